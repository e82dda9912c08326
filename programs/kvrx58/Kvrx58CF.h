#pragma once
// TfrmKvrx58: the letter-of-credit issuance form. For now the bare document
// form, so that the module loads, opens and shows; the program's fields and
// rules are added here.
#include "framework/RadicalCF.h"

class TfrmKvrx58 : public TfrmRadical {
    KVR_CLASS(TfrmKvrx58, TfrmRadical)
public:
    explicit TfrmKvrx58(TComponent* owner, bool load = true);
};
