#pragma once
// TdmFwBase: the data module of the framework's own base-level document program FWBASE01, over the
// demo table FWDOC (key DC001, name DC002, amount DC003 NUMERIC(5,2), rate DC004, locked flag DC005:
// the database refuses to delete a locked record).
#include "framework/BaseCD.h"

class TdmFwBase : public TdmBase {
    KVR_CLASS(TdmFwBase, TdmBase)
public:
    explicit TdmFwBase(TComponent* owner, bool load = true);

    // The amount in decimal group 2, the rate in group 7; the columns' ranges from the number-field
    // table.
    void FormLinked() override;
};
