#pragma once
// TdmKvrx58: the letter-of-credit issuance data module. For now the least over the root data module
// that connects and opens the program's documents: the header data set cdsMain over the server table
// KVRTA (provider pvdMain) with the fields the form shows, and their checks.
#include "classlib/db/db.h"
#include "framework/RadicalCD.h"

class TdmKvrx58 : public TdmRadical {
    KVR_CLASS(TdmKvrx58, TdmRadical)
public:
    explicit TdmKvrx58(TComponent* owner, bool load = true);

    // Components of the stream.
    TClientDataSet* cdsMain = nullptr;
    TDataSource* dsMain = nullptr;

    bool IsLocalServer() override;

    // Field handlers of the stream.
    void cdsMainTA005Validate(TField* sender);
    void cdsMainTA036Validate(TField* sender);
};
