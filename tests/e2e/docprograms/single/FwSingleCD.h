#pragma once
// TdmFwSingle: the data module of the framework's own single-table document program FWSING01, over
// the demo table FWDOC (key DC001, name DC002, amount DC003, rate DC004, locked flag DC005). The
// name is carried over from one new record to the next.
#include "framework/SingleCD.h"

class TdmFwSingle : public TdmSingle {
    KVR_CLASS(TdmFwSingle, TdmSingle)
public:
    explicit TdmFwSingle(TComponent* owner, bool load = true);

    void FormLinked() override;
};
