#include "classlib/rtl/varview.h"
#include "standins/outside/vlpkgex/InteraParam.h"

KVR_PUBLISHED(TInteraParam, c) {}

void TInteraParam::SetFF2OpenParam(const Variant& params) {
    FOpenParam = params;
}

AnsiString TInteraParam::Table() const {
    return VarArrayItemText(FOpenParam, 0);
}

AnsiString TInteraParam::QueryNo() const {
    return VarArrayItemText(FOpenParam, 1);
}
