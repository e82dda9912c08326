#include "foundation/proputils.h"

#include "classlib/rtl/strutils.h"

void ExtractField(const AnsiString& text, const AnsiString& delimiter, int n, AnsiString& result) {
    result.clear();
    if (n < 1) return;
    AnsiString rest = text;
    for (int i = 1;; ++i) {
        std::size_t p = delimiter.empty() ? AnsiString::npos : rest.find(delimiter);
        if (i == n) {
            result = p == AnsiString::npos ? rest : rest.substr(0, p);
            return;
        }
        if (p == AnsiString::npos) return; // no field n
        rest.erase(0, p + delimiter.size());
    }
}

TObject* GetClassPropObject(TObject* instance, const AnsiString& name) {
    const TPropInfo* prop = GetPropInfo(instance, name);
    if (!prop || prop->Kind() != tkClass) return nullptr;
    return prop->GetObject(instance);
}

void SetPropValueByPath(TObject* instance, const AnsiString& path, const Variant& value) {
    if (!instance) throw EPropertyError("Cannot set " + path + " of a nil object");
    std::size_t dot = path.find('.');
    if (dot != AnsiString::npos) {
        const TPropInfo* prop = GetPropInfo(instance, Trim(path.substr(0, dot)));
        if (!prop) return;
        if (prop->Kind() != tkClass) throw EPropertyError("Property " + prop->Name() + " holds no object");
        TObject* inner = prop->GetObject(instance);
        if (!inner) throw EPropertyError("Property " + prop->Name() + " holds nil");
        SetPropValueByPath(inner, path.substr(dot + 1), value);
        return;
    }
    const TPropInfo* prop = GetPropInfo(instance, Trim(path));
    if (!prop) return;
    const TTypeInfo* type = prop->PropType();
    switch (type->Kind) {
    case tkInteger:
    case tkInt64: {
        Int64 converted;
        if (!VarIsNull(value) && !VarIsEmpty(value) && !VarIsArray(value) &&
            IdentToIntOfType(type->Name(), VarToStr(value), converted)) {
            prop->SetOrd(instance, converted);
            return;
        }
        SetPropValue(instance, prop, value);
        return;
    }
    case tkEnumeration:
    case tkSet:
        if (VarIsStr(value)) {
            SetPropValue(instance, prop, Variant(Trim(VarToStr(value))));
            return;
        }
        SetPropValue(instance, prop, value);
        return;
    default:
        SetPropValue(instance, prop, value);
    }
}

bool TrySetPropValueByPath(TObject* instance, const AnsiString& path, const Variant& value) noexcept {
    try {
        SetPropValueByPath(instance, path, value);
        return true;
    } catch (...) {
        return false;
    }
}
