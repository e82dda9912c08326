#include "classlib/objects/rtti.h"

#include <cmath>

#include "classlib/objects/component.h"
#include "classlib/objects/textform.h"
#include "classlib/rtl/codepages.h"
#include "classlib/rtl/format.h"
#include "classlib/rtl/strutils.h"

namespace {

const TPropInfo* Need(const TObject* instance, const AnsiString& name) {
    if (!instance) throw EPropertyError("Property " + name + " of a nil object");
    const TPropInfo* p = instance->ClassType()->FindProp(name);
    if (!p) throw EPropertyError("Property " + name + " does not exist");
    return p;
}

[[noreturn]] void Invalid(const TPropInfo* prop, const AnsiString& value) {
    throw EPropertyError("Invalid property value '" + value + "' for " + prop->Name());
}

bool ParseInt(const AnsiString& text, Int64& value) {
    return TryStrToInt64(text, value);
}

} // namespace

const TPropInfo* GetPropInfo(const TObject* instance, const AnsiString& name) {
    return instance ? instance->ClassType()->FindProp(name) : nullptr;
}

const TPropInfo* GetPropInfo(TClass cls, const AnsiString& name) {
    return cls ? cls->FindProp(name) : nullptr;
}

bool IsPublishedProp(const TObject* instance, const AnsiString& name) {
    return GetPropInfo(instance, name) != nullptr;
}

TTypeKind PropType(const TObject* instance, const AnsiString& name) {
    return Need(instance, name)->Kind();
}

bool PropIsType(const TObject* instance, const AnsiString& name, TTypeKind kind) {
    return PropType(instance, name) == kind;
}

Int64 GetOrdProp(TObject* instance, const AnsiString& name) {
    return Need(instance, name)->GetOrd(instance);
}
void SetOrdProp(TObject* instance, const AnsiString& name, Int64 value) {
    Need(instance, name)->SetOrd(instance, value);
}
Int64 GetInt64Prop(TObject* instance, const AnsiString& name) {
    return GetOrdProp(instance, name);
}
void SetInt64Prop(TObject* instance, const AnsiString& name, Int64 value) {
    SetOrdProp(instance, name, value);
}
Extended GetFloatProp(TObject* instance, const AnsiString& name) {
    return Need(instance, name)->GetFloat(instance);
}
void SetFloatProp(TObject* instance, const AnsiString& name, Extended value) {
    Need(instance, name)->SetFloat(instance, value);
}
AnsiString GetStrProp(TObject* instance, const AnsiString& name) {
    return Need(instance, name)->GetStr(instance);
}
void SetStrProp(TObject* instance, const AnsiString& name, const AnsiString& value) {
    Need(instance, name)->SetStr(instance, value);
}
WideString GetWideStrProp(TObject* instance, const AnsiString& name) {
    return Need(instance, name)->GetWideStr(instance);
}
void SetWideStrProp(TObject* instance, const AnsiString& name, const WideString& value) {
    Need(instance, name)->SetWideStr(instance, value);
}
TObject* GetObjectProp(TObject* instance, const AnsiString& name) {
    return Need(instance, name)->GetObject(instance);
}
void SetObjectProp(TObject* instance, const AnsiString& name, TObject* value) {
    Need(instance, name)->SetObject(instance, value);
}
TMethod GetMethodProp(TObject* instance, const AnsiString& name) {
    return Need(instance, name)->GetMethod(instance);
}
void SetMethodProp(TObject* instance, const AnsiString& name, const TMethod& value) {
    Need(instance, name)->SetMethod(instance, value);
}

AnsiString GetEnumProp(TObject* instance, const AnsiString& name) {
    const TPropInfo* p = Need(instance, name);
    return GetEnumName(p->PropType(), p->GetOrd(instance));
}

void SetEnumProp(TObject* instance, const AnsiString& name, const AnsiString& value) {
    const TPropInfo* p = Need(instance, name);
    int v = GetEnumValue(p->PropType(), Trim(value));
    if (v < 0) Invalid(p, value);
    p->SetOrd(instance, v);
}

AnsiString GetSetProp(TObject* instance, const AnsiString& name, bool brackets) {
    const TPropInfo* p = Need(instance, name);
    return SetToString(p->PropType(), static_cast<std::uint64_t>(p->GetOrd(instance)), brackets);
}

void SetSetProp(TObject* instance, const AnsiString& name, const AnsiString& value) {
    const TPropInfo* p = Need(instance, name);
    p->SetOrd(instance, static_cast<Int64>(StringToSet(p->PropType(), value)));
}

AnsiString GetPropText(TObject* instance, const AnsiString& name) {
    return GetPropText(instance, Need(instance, name));
}

AnsiString GetPropText(TObject* instance, const TPropInfo* prop) {
    const TTypeInfo* type = prop->PropType();
    switch (type->Kind) {
    case tkInteger:
    case tkInt64: {
        Int64 v = prop->GetOrd(instance);
        AnsiString ident;
        if (IntToIdentOfType(type->Name(), v, ident)) return ident;
        return IntToStr(v);
    }
    case tkChar:
        return AnsiString(1, static_cast<char>(prop->GetOrd(instance)));
    case tkWChar:
        return IntToStr(prop->GetOrd(instance));
    case tkEnumeration:
        return GetEnumName(type, prop->GetOrd(instance));
    case tkSet:
        return SetToString(type, static_cast<std::uint64_t>(prop->GetOrd(instance)), true);
    case tkFloat:
        return FloatToStr(prop->GetFloat(instance));
    case tkString:
    case tkLString:
        return prop->GetStr(instance);
    case tkWString:
        return WideToAnsi(prop->GetWideStr(instance));
    case tkClass: {
        auto* c = dynamic_cast<TComponent*>(prop->GetObject(instance));
        return c ? c->Name() : AnsiString();
    }
    case tkMethod: {
        TMethod m = prop->GetMethod(instance);
        return m.Data ? m.Data->MethodName(m.Code) : AnsiString();
    }
    default:
        return "";
    }
}

void SetPropText(TObject* instance, const AnsiString& name, const AnsiString& value) {
    SetPropText(instance, Need(instance, name), value);
}

void SetPropText(TObject* instance, const TPropInfo* prop, const AnsiString& value) {
    const TTypeInfo* type = prop->PropType();
    switch (type->Kind) {
    case tkInteger:
    case tkInt64:
    case tkWChar: {
        Int64 v;
        if (!IdentToIntOfType(type->Name(), Trim(value), v) && !ParseInt(value, v)) Invalid(prop, value);
        prop->SetOrd(instance, v);
        break;
    }
    case tkChar:
        if (value.size() != 1) Invalid(prop, value);
        prop->SetOrd(instance, static_cast<Byte>(value[0]));
        break;
    case tkEnumeration: {
        int v = GetEnumValue(type, Trim(value));
        Int64 n;
        if (v < 0 && ParseInt(value, n) && n >= type->MinValue && n <= type->MaxValue)
            v = static_cast<int>(n);
        if (v < 0) Invalid(prop, value);
        prop->SetOrd(instance, v);
        break;
    }
    case tkSet:
        prop->SetOrd(instance, static_cast<Int64>(StringToSet(type, value)));
        break;
    case tkFloat: {
        double d = 0;
        if (!TryStrToFloat(value, d)) Invalid(prop, value);
        prop->SetFloat(instance, d);
        break;
    }
    case tkString:
    case tkLString:
        prop->SetStr(instance, value);
        break;
    case tkWString:
        prop->SetWideStr(instance, AnsiToWide(value));
        break;
    default:
        Invalid(prop, value);
    }
}

Variant GetPropValue(TObject* instance, const AnsiString& name, bool preferStrings) {
    return GetPropValue(instance, Need(instance, name), preferStrings);
}

Variant GetPropValue(TObject* instance, const TPropInfo* prop, bool preferStrings) {
    const TTypeInfo* type = prop->PropType();
    switch (type->Kind) {
    case tkInteger:
        return Variant(static_cast<int>(prop->GetOrd(instance)));
    case tkInt64:
        return Variant(prop->GetOrd(instance));
    case tkChar:
        return Variant(static_cast<char>(prop->GetOrd(instance)));
    case tkWChar:
        return Variant(static_cast<char16_t>(prop->GetOrd(instance)));
    case tkEnumeration: {
        Int64 v = prop->GetOrd(instance);
        if (type == TypeInfoOf<bool>()) return Variant(v != 0);
        if (preferStrings) return Variant(GetEnumName(type, v));
        return Variant(static_cast<int>(v));
    }
    case tkSet: {
        auto bits = static_cast<std::uint64_t>(prop->GetOrd(instance));
        if (preferStrings) return Variant(SetToString(type, bits, false));
        return Variant(static_cast<Int64>(bits));
    }
    case tkFloat: {
        double d = prop->GetFloat(instance);
        if (SameIdent(type->Name(), "TDateTime") || SameIdent(type->Name(), "TDate") ||
            SameIdent(type->Name(), "TTime"))
            return VarFromDateTime(d);
        if (type->FloatType == ftSingle) return Variant(static_cast<float>(d));
        return Variant(d);
    }
    case tkString:
    case tkLString:
        return Variant(prop->GetStr(instance));
    case tkWString:
        return Variant(prop->GetWideStr(instance));
    case tkVariant:
        return prop->GetVariant(instance);
    default:
        throw EPropertyError("Property " + prop->Name() + " has no Variant value");
    }
}

void SetPropValue(TObject* instance, const AnsiString& name, const Variant& value) {
    SetPropValue(instance, Need(instance, name), value);
}

void SetPropValue(TObject* instance, const TPropInfo* prop, const Variant& value) {
    const TTypeInfo* type = prop->PropType();
    switch (type->Kind) {
    case tkInteger:
    case tkInt64:
    case tkWChar:
        if (type->Kind == tkWChar && VarIsStr(value)) {
            WideString w = VarToWideStr(value);
            if (w.size() != 1) Invalid(prop, VarToStr(value));
            prop->SetOrd(instance, w[0]);
        } else {
            prop->SetOrd(instance, value.AsInt64());
        }
        break;
    case tkChar:
        if (VarIsStr(value)) {
            AnsiString t = VarToStr(value);
            if (t.size() != 1) Invalid(prop, t);
            prop->SetOrd(instance, static_cast<Byte>(t[0]));
        } else {
            prop->SetOrd(instance, value.AsInteger());
        }
        break;
    case tkEnumeration:
        if (type == TypeInfoOf<bool>()) {
            prop->SetOrd(instance, value.AsBoolean() ? 1 : 0);
        } else if (VarIsStr(value)) {
            SetPropText(instance, prop, VarToStr(value));
        } else {
            prop->SetOrd(instance, value.AsInt64());
        }
        break;
    case tkSet:
        if (VarIsStr(value))
            prop->SetOrd(instance, static_cast<Int64>(StringToSet(type, VarToStr(value))));
        else
            prop->SetOrd(instance, value.AsInt64());
        break;
    case tkFloat:
        prop->SetFloat(instance, VarType(value) == varDate ? VarToDateTime(value) : value.AsFloat());
        break;
    case tkString:
    case tkLString:
        prop->SetStr(instance, VarToStr(value));
        break;
    case tkWString:
        prop->SetWideStr(instance, VarToWideStr(value));
        break;
    case tkVariant:
        prop->SetVariant(instance, value);
        break;
    default:
        throw EPropertyError("Property " + prop->Name() + " cannot be set from a Variant");
    }
}
