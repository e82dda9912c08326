#include "classlib/rtl/varview.h"

#include "classlib/rtl/strutils.h"

int VarArrayLength(const Variant& array) noexcept {
    if (!VarIsArray(array) || VarArrayDimCount(array) != 1) return 0;
    try {
        return VarArrayHighBound(array, 1) - VarArrayLowBound(array, 1) + 1;
    } catch (...) {
        return 0;
    }
}

Variant VarArrayItem(const Variant& array, int i) {
    if (i < 0 || i >= VarArrayLength(array)) return Variant();
    return array.GetElement({VarArrayLowBound(array, 1) + i});
}

std::vector<Variant> VarArrayItems(const Variant& array) {
    std::vector<Variant> values;
    const int count = VarArrayLength(array);
    values.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        values.push_back(VarArrayItem(array, i));
    return values;
}

Variant VarArrayFromVector(std::vector<Variant>&& values) {
    Variant array = VarArrayCreate({0, static_cast<int>(values.size()) - 1}, varVariant);
    if (!values.empty()) {
        auto* data = static_cast<Variant*>(VarArrayLock(array));
        for (std::size_t i = 0; i < values.size(); ++i)
            data[i] = std::move(values[i]);
        VarArrayUnlock(array);
    }
    return array;
}

AnsiString VarText(const Variant& value) {
    // Texts, numbers, dates and booleans have a text; an array, an object, an error code or no value none.
    const TVarType type = VarType(value);
    const bool hasText = VarIsStr(value) || VarIsNumeric(value) || type == varBoolean || type == varDate;
    return hasText ? VarToStr(value) : AnsiString();
}

bool VarIsBlank(const Variant& value) {
    return VarIsEmpty(value) || VarIsNull(value) || (VarIsStr(value) && Trim(VarToStr(value)).empty());
}

AnsiString VarArrayItemText(const Variant& array, int i) {
    return VarText(VarArrayItem(array, i));
}
