#pragma once
// TfrmKvrx58: the letter-of-credit issuance form. For now the document form root with the header
// fields that the data module opens, their lookups (F2) and date picks; the program's other fields
// and rules are added here as the form levels above the root come.
#include "framework/RadicalCF.h"
#include "programs/kvrx58/Kvrx58CD.h"

class TfrmKvrx58 : public TfrmRadical {
    KVR_CLASS(TfrmKvrx58, TfrmRadical)
public:
    explicit TfrmKvrx58(TComponent* owner, bool load = true);

    TClass DataModuleClass() override;
    void DoF2Key(Word& key, TWinControl* control) override;

    TdmKvrx58* Module() const { return static_cast<TdmKvrx58*>(DataModule); }

    // Handlers of the stream.
    void FormCreate(TObject* sender);
};
