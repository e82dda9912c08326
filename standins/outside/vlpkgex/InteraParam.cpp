#include "standins/outside/vlpkgex/InteraParam.h"

KVR_PUBLISHED(TInteraParam, c) {}

namespace {

AnsiString Element(const Variant& params, int index) {
    if (!VarIsArray(params) || VarArrayDimCount(params) != 1) return AnsiString();
    const int at = VarArrayLowBound(params, 1) + index;
    if (at > VarArrayHighBound(params, 1)) return AnsiString();
    const Variant value = params.GetElement({at});
    return VarIsArray(value) || VarIsNull(value) ? AnsiString() : VarToStr(value);
}

} // namespace

void TInteraParam::SetFF2OpenParam(const Variant& params) {
    FOpenParam = params;
}

AnsiString TInteraParam::Table() const {
    return Element(FOpenParam, 0);
}

AnsiString TInteraParam::QueryNo() const {
    return Element(FOpenParam, 1);
}
