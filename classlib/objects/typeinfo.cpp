#include "classlib/objects/typeinfo.h"

#include "classlib/rtl/format.h"

#include <map>
#include <memory>
#include <mutex>

#include "classlib/objects/object.h"
#include "classlib/rtl/exceptions.h"
#include "classlib/rtl/strutils.h"

namespace {

// Type information lives as long as the program: the types of published properties are static.
TTypeInfo* NewType(TTypeKind kind, const char* name) {
    auto* t = new TTypeInfo;
    t->Kind = kind;
    t->FName = name;
    return t;
}

std::mutex& TypesMutex() {
    static std::mutex m;
    return m;
}

struct TIdentTable {
    std::vector<TIdentMapEntry> Map;
};

std::map<AnsiString, TIdentTable, TIdentLess>& IdentTables() {
    static std::map<AnsiString, TIdentTable, TIdentLess> tables;
    return tables;
}

std::mutex& IdentMutex() {
    static std::mutex m;
    return m;
}

} // namespace

const AnsiString& TTypeInfo::Name() const {
    if (Kind == tkClass) {
        if (TClass cls = ClassType()) return cls->ClassName();
    }
    return FName;
}

bool TTypeInfo::IsOrdinal() const {
    switch (Kind) {
    case tkInteger:
    case tkChar:
    case tkEnumeration:
    case tkSet:
    case tkWChar:
    case tkInt64:
        return true;
    default:
        return false;
    }
}

int CompareIdent(const AnsiString& a, const AnsiString& b) {
    std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x >= 'a' && x <= 'z') x = static_cast<unsigned char>(x - 32);
        if (y >= 'a' && y <= 'z') y = static_cast<unsigned char>(y - 32);
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

const char* TypeKindName(TTypeKind kind) {
    static const char* const names[] = {"tkUnknown",   "tkInteger", "tkChar",    "tkEnumeration", "tkFloat",
                                        "tkString",    "tkSet",     "tkClass",   "tkMethod",      "tkWChar",
                                        "tkLString",   "tkWString", "tkVariant", "tkArray",       "tkRecord",
                                        "tkInterface", "tkInt64",   "tkDynArray"};
    return kind >= tkUnknown && kind <= tkDynArray ? names[kind] : "tkUnknown";
}

const TTypeInfo* NamedTypeInfo(const TTypeInfo* base, const AnsiString& name) {
    if (SameIdent(base->Name(), name)) return base;
    std::lock_guard<std::mutex> lock(TypesMutex());
    static std::map<std::pair<const TTypeInfo*, AnsiString>, const TTypeInfo*> named;
    auto key = std::make_pair(base, UpperCase(name));
    auto it = named.find(key);
    if (it != named.end()) return it->second;
    auto* t = new TTypeInfo(*base);
    t->FName = name;
    named[key] = t;
    return t;
}

AnsiString GetEnumName(const TTypeInfo* type, Int64 value) {
    if (type == nullptr || type->Kind != tkEnumeration) return "";
    if (value < 0 || value >= static_cast<Int64>(type->Names.size())) return "";
    return type->Names[static_cast<std::size_t>(value)];
}

int GetEnumValue(const TTypeInfo* type, const AnsiString& name) {
    if (type == nullptr || type->Kind != tkEnumeration) return -1;
    for (std::size_t i = 0; i < type->Names.size(); ++i)
        if (SameIdent(type->Names[i], name)) return static_cast<int>(i);
    return -1;
}

AnsiString SetToString(const TTypeInfo* setType, std::uint64_t bits, bool brackets) {
    AnsiString r;
    const TTypeInfo* comp = setType ? setType->CompType : nullptr;
    for (int i = 0; i < 64; ++i) {
        if (!(bits >> i & 1u)) continue;
        if (!r.empty()) r += ',';
        AnsiString name = comp ? GetEnumName(comp, i) : AnsiString();
        r += name.empty() ? IntToStr(i) : name;
    }
    return brackets ? "[" + r + "]" : r;
}

std::uint64_t StringToSet(const TTypeInfo* setType, const AnsiString& text) {
    const TTypeInfo* comp = setType ? setType->CompType : nullptr;
    AnsiString s = Trim(text);
    if (!s.empty() && s.front() == '[') s.erase(0, 1);
    if (!s.empty() && s.back() == ']') s.pop_back();
    std::uint64_t bits = 0;
    std::size_t start = 0;
    while (start <= s.size()) {
        std::size_t comma = s.find(',', start);
        if (comma == AnsiString::npos) comma = s.size();
        AnsiString item = Trim(s.substr(start, comma - start));
        if (!item.empty()) {
            int v = comp ? GetEnumValue(comp, item) : -1;
            if (v < 0 || v >= 64) throw EPropertyError("Invalid property element: " + item);
            bits |= std::uint64_t{1} << v;
        }
        start = comma + 1;
    }
    return bits;
}

void RegisterIntegerConsts(const AnsiString& typeName, std::vector<TIdentMapEntry> map) {
    std::lock_guard<std::mutex> lock(IdentMutex());
    IdentTables()[typeName].Map = std::move(map);
}

void UnRegisterIntegerConsts(const AnsiString& typeName) {
    std::lock_guard<std::mutex> lock(IdentMutex());
    IdentTables().erase(typeName);
}

bool HasIntegerConsts(const AnsiString& typeName) {
    std::lock_guard<std::mutex> lock(IdentMutex());
    return IdentTables().count(typeName) != 0;
}

bool IdentToIntOfType(const AnsiString& typeName, const AnsiString& ident, Int64& value) {
    std::lock_guard<std::mutex> lock(IdentMutex());
    auto it = IdentTables().find(typeName);
    if (it == IdentTables().end()) return false;
    for (const TIdentMapEntry& e : it->second.Map) {
        if (SameIdent(e.Name, ident)) {
            value = e.Value;
            return true;
        }
    }
    return false;
}

bool IntToIdentOfType(const AnsiString& typeName, Int64 value, AnsiString& ident) {
    std::lock_guard<std::mutex> lock(IdentMutex());
    auto it = IdentTables().find(typeName);
    if (it == IdentTables().end()) return false;
    for (const TIdentMapEntry& e : it->second.Map) {
        if (e.Value == value) {
            ident = e.Name;
            return true;
        }
    }
    return false;
}

namespace kvr_detail {

const TTypeInfo* MakeOrdinalType(TTypeKind kind, const char* name, Int64 minValue, Int64 maxValue) {
    TTypeInfo* t = NewType(kind, name);
    t->MinValue = minValue;
    t->MaxValue = maxValue;
    return t;
}

const TTypeInfo* MakeFloatType(const char* name, TFloatType floatType) {
    TTypeInfo* t = NewType(tkFloat, name);
    t->FloatType = floatType;
    return t;
}

const TTypeInfo* MakeSimpleType(TTypeKind kind, const char* name) {
    return NewType(kind, name);
}

TTypeInfo* MakeEnumType(const char* name, const char* identifiers) {
    TTypeInfo* t = NewType(tkEnumeration, name);
    AnsiString all = identifiers;
    std::size_t start = 0;
    while (start <= all.size()) {
        std::size_t comma = all.find(',', start);
        if (comma == AnsiString::npos) comma = all.size();
        AnsiString item = Trim(all.substr(start, comma - start));
        std::size_t eq = item.find('='); // "a = 0" in an existing enum: the name only
        if (eq != AnsiString::npos) item = Trim(item.substr(0, eq));
        if (!item.empty()) t->Names.push_back(item);
        start = comma + 1;
    }
    t->MinValue = 0;
    t->MaxValue = static_cast<Int64>(t->Names.size()) - 1;
    return t;
}

const TTypeInfo* MakeSetType(const char* name, const TTypeInfo* element) {
    TTypeInfo* t = NewType(tkSet, name);
    t->CompType = element;
    t->MinValue = 0;
    std::size_t n = element ? element->Names.size() : 64;
    t->MaxValue = n >= 64 ? -1 : static_cast<Int64>((std::uint64_t{1} << n) - 1); // -1: all 64 bits
    return t;
}

const TTypeInfo* MakeClassType(TClass (*classFn)()) {
    TTypeInfo* t = NewType(tkClass, "");
    t->ClassFn = classFn;
    return t;
}

const TTypeInfo* MakeMethodTypeFor(const char* name, const std::type_info& signature) {
    TTypeInfo* t = NewType(tkMethod, name);
    t->Signature = &signature;
    return t;
}

void RaiseSignatureMismatch() {
    throw EInvalidOperation("Method of another signature");
}
void RaiseEmptyDelegate() {
    throw EInvalidOperation("Call of an unassigned method");
}

} // namespace kvr_detail
