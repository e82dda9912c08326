#pragma once
// Run-time type information of published properties: type kinds, enumeration and set types, and the
// identifier converters of integer types (TColor's clRed, TFontCharset's GB2312_CHARSET).
//
// A C++ type maps to its type information through TypeInfoOf<T>(). Integers, floats, strings, Boolean,
// characters, object pointers and delegates are known; an enumeration or a set is made known once,
// beside its declaration:
//
//     KVR_ENUM(TAlignment, taLeftJustify, taRightJustify, taCenter);   // declares the enum and its names
//     KVR_SET(TFontStyles, TFontStyle);                                // using TFontStyles =
//     TSet<TFontStyle>
//
// An integer type with a name of its own (TColor is an int) is named on the property that uses it
// (`.Type("TColor")`); identifier converters are registered per type name.
#include <cstdint>
#include <limits>
#include <initializer_list>
#include <type_traits>
#include <typeinfo>
#include <vector>

#include "classlib/rtl/types.h"
#include "classlib/rtl/variants.h"

class TObject;
class TClassInfo;
using TClass = const TClassInfo*;

// Numbered as the class library numbers them, so that a kind reads the same in saved data.
enum TTypeKind {
    tkUnknown,
    tkInteger,
    tkChar,
    tkEnumeration,
    tkFloat,
    tkString,
    tkSet,
    tkClass,
    tkMethod,
    tkWChar,
    tkLString,
    tkWString,
    tkVariant,
    tkArray,
    tkRecord,
    tkInterface,
    tkInt64,
    tkDynArray
};

enum TFloatType { ftSingle, ftDouble, ftExtended, ftComp, ftCurr };

class TTypeInfo {
public:
    TTypeKind Kind = tkUnknown;
    TFloatType FloatType = ftDouble;
    Int64 MinValue = 0;
    Int64 MaxValue = 0;
    std::vector<AnsiString> Names;             // enumeration identifiers, by ordinal
    const TTypeInfo* CompType = nullptr;       // the element type of a set
    const std::type_info* Signature = nullptr; // the function type of a method type
    TClass (*ClassFn)() = nullptr;             // the class of a class type, asked lazily (classes refer
                                               // to each other through their properties)

    const AnsiString& Name() const;
    TClass ClassType() const { return ClassFn ? ClassFn() : nullptr; }
    bool IsOrdinal() const;

    AnsiString FName; // use Name(): a class type takes its class's name
};

const char* TypeKindName(TTypeKind kind);

// Names of classes, components, properties, methods and identifiers are ASCII identifiers: compared
// without regard to the case of ASCII letters, every other byte as it is.
int CompareIdent(const AnsiString& a, const AnsiString& b);
inline bool SameIdent(const AnsiString& a, const AnsiString& b) {
    return a.size() == b.size() && CompareIdent(a, b) == 0;
}
struct TIdentLess {
    bool operator()(const AnsiString& a, const AnsiString& b) const { return CompareIdent(a, b) < 0; }
};

// The type information of T; unknown types do not compile.
template <class T> const TTypeInfo* TypeInfoOf();

// A copy of a type's information under another name (TColor over Integer), one per name.
const TTypeInfo* NamedTypeInfo(const TTypeInfo* base, const AnsiString& name);

// Enumerations. Names are matched without regard to case; an unknown name gives -1.
AnsiString GetEnumName(const TTypeInfo* type, Int64 value);
int GetEnumValue(const TTypeInfo* type, const AnsiString& name);

// Sets of up to 64 elements of an enumeration (ordinals 0..63).
template <class E> class TSet {
public:
    using Element = E;
    constexpr TSet() = default;
    constexpr TSet(std::initializer_list<E> items) {
        for (E e : items)
            Include(e);
    }
    static constexpr TSet FromBits(std::uint64_t bits) {
        TSet s;
        s.FBits = bits;
        return s;
    }
    constexpr std::uint64_t Bits() const { return FBits; }
    constexpr bool Contains(E e) const { return Valid(e) && (FBits >> Ord(e) & 1u); }
    constexpr TSet& Include(E e) {
        if (Valid(e)) FBits |= std::uint64_t{1} << Ord(e);
        return *this;
    }
    constexpr TSet& Exclude(E e) {
        if (Valid(e)) FBits &= ~(std::uint64_t{1} << Ord(e));
        return *this;
    }
    constexpr bool Empty() const { return FBits == 0; }
    friend constexpr TSet operator|(TSet a, TSet b) { return FromBits(a.FBits | b.FBits); }
    friend constexpr TSet operator&(TSet a, TSet b) { return FromBits(a.FBits & b.FBits); }
    friend constexpr TSet operator-(TSet a, TSet b) { return FromBits(a.FBits & ~b.FBits); }
    friend constexpr bool operator==(TSet a, TSet b) { return a.FBits == b.FBits; }

private:
    static constexpr int Ord(E e) { return static_cast<int>(e); }
    static constexpr bool Valid(E e) { return Ord(e) >= 0 && Ord(e) < 64; }
    std::uint64_t FBits = 0;
};

// "[a, b]" and back; an unknown identifier in StringToSet raises EPropertyError.
AnsiString SetToString(const TTypeInfo* setType, std::uint64_t bits, bool brackets = true);
std::uint64_t StringToSet(const TTypeInfo* setType, const AnsiString& text);

// Identifier converters of integer types, by type name (without regard to case).
struct TIdentMapEntry {
    Int64 Value;
    const char* Name;
};
void RegisterIntegerConsts(const AnsiString& typeName, std::vector<TIdentMapEntry> map);
void UnRegisterIntegerConsts(const AnsiString& typeName);
bool HasIntegerConsts(const AnsiString& typeName);
// False (value untouched) when the type has no converter or the identifier is not one of its names.
bool IdentToIntOfType(const AnsiString& typeName, const AnsiString& ident, Int64& value);
bool IntToIdentOfType(const AnsiString& typeName, Int64 value, AnsiString& ident);

// ---- type information of C++ types ----

namespace kvr_detail {
const TTypeInfo* MakeOrdinalType(TTypeKind kind, const char* name, Int64 minValue, Int64 maxValue);
const TTypeInfo* MakeFloatType(const char* name, TFloatType floatType);
const TTypeInfo* MakeSimpleType(TTypeKind kind, const char* name);
TTypeInfo* MakeEnumType(const char* name, const char* identifiers);
const TTypeInfo* MakeSetType(const char* name, const TTypeInfo* element);
const TTypeInfo* MakeClassType(TClass (*classFn)());

template <class T> inline constexpr bool AlwaysFalse = false;

// Enumerations are found through KvrEnumTypeInfo(E*), which KVR_ENUM declares beside the enumeration
// (so it works in any namespace, an anonymous one included).
template <class T> struct TypeInfoTrait {
    static const TTypeInfo* Get() {
        if constexpr (std::is_enum_v<T>) {
            return KvrEnumTypeInfo(static_cast<T*>(nullptr));
        } else {
            static_assert(AlwaysFalse<T>, "no run-time type information for this type");
            return nullptr;
        }
    }
};
} // namespace kvr_detail

template <class T> const TTypeInfo* TypeInfoOf() {
    return kvr_detail::TypeInfoTrait<std::remove_cv_t<T>>::Get();
}

namespace kvr_detail {
template <class T, class Tag = T> const TTypeInfo* OrdinalOf(TTypeKind kind, const char* name) {
    static const TTypeInfo* info =
        MakeOrdinalType(kind, name, static_cast<Int64>(std::numeric_limits<T>::min()),
                        static_cast<Int64>(std::numeric_limits<T>::max()));
    return info;
}
// clang-format off
template <> struct TypeInfoTrait<int> { static const TTypeInfo* Get() { return OrdinalOf<int>(tkInteger, "Integer"); } };
template <> struct TypeInfoTrait<short> { static const TTypeInfo* Get() { return OrdinalOf<short>(tkInteger, "Smallint"); } };
template <> struct TypeInfoTrait<signed char> { static const TTypeInfo* Get() { return OrdinalOf<signed char>(tkInteger, "ShortInt"); } };
template <> struct TypeInfoTrait<unsigned char> { static const TTypeInfo* Get() { return OrdinalOf<unsigned char>(tkInteger, "Byte"); } };
template <> struct TypeInfoTrait<unsigned short> { static const TTypeInfo* Get() { return OrdinalOf<unsigned short>(tkInteger, "Word"); } };
template <> struct TypeInfoTrait<unsigned int> { static const TTypeInfo* Get() { return OrdinalOf<unsigned int>(tkInteger, "Cardinal"); } };
template <> struct TypeInfoTrait<long> { static const TTypeInfo* Get() { return OrdinalOf<long>(tkInt64, "Int64"); } };
template <> struct TypeInfoTrait<long long> { static const TTypeInfo* Get() { return OrdinalOf<long long>(tkInt64, "Int64"); } };
template <> struct TypeInfoTrait<char> { static const TTypeInfo* Get() { return OrdinalOf<unsigned char, char>(tkChar, "Char"); } };
template <> struct TypeInfoTrait<char16_t> { static const TTypeInfo* Get() { return OrdinalOf<char16_t>(tkWChar, "WideChar"); } };
template <> struct TypeInfoTrait<float> { static const TTypeInfo* Get() { static const TTypeInfo* i = MakeFloatType("Single", ftSingle); return i; } };
template <> struct TypeInfoTrait<double> { static const TTypeInfo* Get() { static const TTypeInfo* i = MakeFloatType("Double", ftDouble); return i; } };
template <> struct TypeInfoTrait<AnsiString> { static const TTypeInfo* Get() { static const TTypeInfo* i = MakeSimpleType(tkLString, "AnsiString"); return i; } };
template <> struct TypeInfoTrait<WideString> { static const TTypeInfo* Get() { static const TTypeInfo* i = MakeSimpleType(tkWString, "WideString"); return i; } };
template <> struct TypeInfoTrait<Variant> { static const TTypeInfo* Get() { static const TTypeInfo* i = MakeSimpleType(tkVariant, "Variant"); return i; } };
template <> struct TypeInfoTrait<bool> { static const TTypeInfo* Get() { static const TTypeInfo* i = MakeEnumType("Boolean", "False, True"); return i; } };
// clang-format on

template <class T>
concept ObjectPointer =
    std::is_pointer_v<T> && std::is_base_of_v<TObject, std::remove_cv_t<std::remove_pointer_t<T>>>;

template <class T>
requires ObjectPointer<T>
struct TypeInfoTrait<T> {
    static const TTypeInfo* Get() {
        static const TTypeInfo* info =
            MakeClassType(&std::remove_cv_t<std::remove_pointer_t<T>>::StaticClass);
        return info;
    }
};

template <class E> struct TypeInfoTrait<TSet<E>> {
    static const TTypeInfo* Get() {
        static const TTypeInfo* info =
            MakeSetType(KvrSetName(static_cast<TSet<E>*>(nullptr)), TypeInfoOf<E>());
        return info;
    }
};
} // namespace kvr_detail

// Declares an enumeration (ordinals from 0, in order) with the names of its identifiers.
#define KVR_ENUM(Name, ...)                                                                                  \
    enum Name { __VA_ARGS__ };                                                                               \
    KVR_ENUM_INFO(Name, __VA_ARGS__)

// Gives an enumeration declared elsewhere (ordinals from 0, in order) the names of its identifiers; in
// the enumeration's namespace.
#define KVR_ENUM_INFO(Name, ...)                                                                             \
    inline const TTypeInfo* KvrEnumTypeInfo(Name*) {                                                         \
        static const TTypeInfo* info = kvr_detail::MakeEnumType(#Name, #__VA_ARGS__);                        \
        return info;                                                                                         \
    }                                                                                                        \
    static_assert(true)

// Declares a set type of an enumeration declared with KVR_ENUM, in the enumeration's namespace.
#define KVR_SET(Name, Element)                                                                               \
    using Name = TSet<Element>;                                                                              \
    inline const char* KvrSetName(Name*) {                                                                   \
        return #Name;                                                                                        \
    }                                                                                                        \
    static_assert(true)

// Text alignment, shared by controls and data-set fields.
KVR_ENUM(TAlignment, taLeftJustify, taRightJustify, taCenter);
