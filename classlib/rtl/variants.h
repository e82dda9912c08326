#pragma once
// Variant: the class library's tagged value (numbers, Boolean, dates, currency, byte and wide strings,
// arrays with bounds, dispatch objects) with its conversion and comparison rules. Assigning a Variant
// copies it, arrays included.
#include <cstddef>
#include <initializer_list>
#include <type_traits>
#include <vector>

#include "classlib/rtl/dispatch.h"
#include "classlib/rtl/types.h"

using TVarType = Word;

constexpr TVarType varEmpty = 0x0000;
constexpr TVarType varNull = 0x0001;
constexpr TVarType varSmallint = 0x0002;
constexpr TVarType varInteger = 0x0003;
constexpr TVarType varSingle = 0x0004;
constexpr TVarType varDouble = 0x0005;
constexpr TVarType varCurrency = 0x0006;
constexpr TVarType varDate = 0x0007;
constexpr TVarType varOleStr = 0x0008;
constexpr TVarType varDispatch = 0x0009;
constexpr TVarType varError = 0x000A;
constexpr TVarType varBoolean = 0x000B;
constexpr TVarType varVariant = 0x000C;
constexpr TVarType varByte = 0x0011;
constexpr TVarType varInt64 = 0x0014;
constexpr TVarType varString = 0x0100;
constexpr TVarType varTypeMask = 0x0FFF;
constexpr TVarType varArray = 0x2000;

class Variant;
struct TVarArrayData;
struct TVarStrData;
struct TVarWideStrData;

class Variant {
public:
    // The element of a one-dimensional array that operator[] names: reads convert it to a Variant,
    // assignments store through PutElement (so a typed array converts the value to its element type).
    class TElementRef {
    public:
        Variant Value() const;
        TElementRef& operator=(const Variant& value);
        TElementRef& operator=(const TElementRef& other);

        TVarType VType() const;
        int AsInteger() const;
        Int64 AsInt64() const;
        double AsFloat() const;
        bool AsBoolean() const;
        AnsiString AsString() const;
        WideString AsWideString() const;
        TDateTime AsDateTime() const;

    private:
        friend class Variant;
        TElementRef(Variant& owner, int index) : FOwner(owner), FIndex(index) {}
        Variant& FOwner;
        int FIndex;
    };

    // The constructors of simple values and the destructor of a value that holds nothing are inline:
    // every late-bound call makes and drops a Variant for each argument and its result.
    Variant() noexcept : FVType(varEmpty) { FValue.VInt64 = 0; }
    Variant(const Variant& other);
    Variant(Variant&& other) noexcept : FVType(other.FVType), FValue(other.FValue) {
        other.FVType = varEmpty;
        other.FValue.VInt64 = 0;
    }
    Variant(const TElementRef& element) : Variant(element.Value()) {}
    ~Variant() {
        if (HoldsReference(FVType)) Release();
    }
    Variant& operator=(const Variant& other);
    Variant& operator=(Variant&& other) noexcept;

    Variant(bool value) noexcept : FVType(varBoolean) {
        FValue.VInt64 = 0;
        FValue.VBoolean = value;
    }
    Variant(char value);     // a byte string of one character
    Variant(char16_t value); // a wide string of one character
    Variant(signed char value) noexcept : Variant(static_cast<short>(value)) {}
    Variant(unsigned char value) noexcept : FVType(varByte) {
        FValue.VInt64 = 0;
        FValue.VByte = value;
    }
    Variant(short value) noexcept : FVType(varSmallint) {
        FValue.VInt64 = 0;
        FValue.VSmallint = value;
    }
    Variant(unsigned short value) noexcept : Variant(static_cast<int>(value)) {}
    Variant(int value) noexcept : FVType(varInteger) {
        FValue.VInt64 = 0;
        FValue.VInteger = value;
    }
    Variant(unsigned value) noexcept : Variant(static_cast<long long>(value)) {}
    Variant(long value) noexcept : Variant(static_cast<long long>(value)) {}
    Variant(unsigned long value); // raises EVariantError above the Int64 range
    Variant(long long value) noexcept : FVType(varInt64) { FValue.VInt64 = value; }
    Variant(unsigned long long value);
    Variant(float value) noexcept : FVType(varSingle) {
        FValue.VInt64 = 0;
        FValue.VSingle = value;
    }
    Variant(double value) noexcept : FVType(varDouble) { FValue.VDouble = value; }
    Variant(const char* value); // a null pointer gives an empty byte string
    Variant(const AnsiString& value);
    Variant(const char16_t* value);
    Variant(const WideString& value);
    Variant(IDispatch* value) noexcept; // AddRefs the object; a null pointer is an unset dispatch
    // A pointer to any other class would otherwise become a Boolean.
    template <class T>
    requires(!std::is_convertible_v<T*, IDispatch*> && !std::is_same_v<std::remove_cv_t<T>, char> &&
             !std::is_same_v<std::remove_cv_t<T>, char16_t>) Variant(T*)
    = delete;

    TVarType VType() const noexcept { return FVType; }

    // Conversions by the class library's rules; EVariantError where they fail (null to anything but
    // Null, text that is no number, arrays and dispatch objects to simple values, overflow).
    int AsInteger() const { return FVType == varInteger ? FValue.VInteger : ConvertToInteger(); }
    Int64 AsInt64() const;
    double AsFloat() const;
    double AsCurrency() const; // rounded to 4 decimals
    bool AsBoolean() const;
    AnsiString AsString() const; // wide text in the system code page
    WideString AsWideString() const;
    TDateTime AsDateTime() const;
    // The held object, not AddRef'd (nullptr when unassigned); EVariantError for other types. Inline, as
    // every late-bound call starts with it.
    IDispatch* AsDispatch() const { return FVType == varDispatch ? FValue.VDispatch : DispatchOfOther(); }
    int AsError() const;

    // Array elements; indices are in the array's bounds, one per dimension.
    Variant GetElement(std::initializer_list<int> indices) const;
    Variant GetElement(const std::vector<int>& indices) const;
    void PutElement(std::initializer_list<int> indices, const Variant& value);
    void PutElement(const std::vector<int>& indices, const Variant& value);
    const Variant operator[](int index) const;
    TElementRef operator[](int index) { return TElementRef(*this, index); }

    void Clear() noexcept;

private:
    // The free functions below reach the representation through this one friend.
    friend struct TVariantAccess;

    // Text, objects and arrays hold a reference that Release lets go; other values hold none. Two tests:
    // varOleStr and varDispatch are adjacent, varString and every array type lie above the other types.
    static constexpr bool HoldsReference(TVarType type) noexcept {
        static_assert(varDispatch == varOleStr + 1 && varInt64 < varString && varArray > varString);
        return type >= varString || static_cast<unsigned>(type - varOleStr) <= 1;
    }
    void Release() noexcept;
    int ConvertToInteger() const;       // AsInteger of a value of another type
    IDispatch* DispatchOfOther() const; // AsDispatch of a value of another type

    TVarType FVType;
    union {
        short VSmallint;
        int VInteger;
        float VSingle;
        double VDouble;
        Int64 VCurrency; // scaled by 10000
        double VDate;
        bool VBoolean;
        Byte VByte;
        Int64 VInt64;
        int VError;
        IDispatch* VDispatch;
        TVarStrData* VString;
        TVarWideStrData* VOleStr;
        TVarArrayData* VArray;
    } FValue;
};

using OleVariant = Variant;

Variant Null();
Variant Unassigned();
Variant VarFromDateTime(TDateTime value);
Variant VarFromCurrency(double value); // EVariantError outside the currency range
// Currency as its exact scaled value (units of 1/10000), for packets that must not round amounts.
Variant VarFromScaledCurrency(Int64 scaled);
Int64 VarToScaledCurrency(const Variant& value); // converts other types as AsCurrency does
Variant VarFromError(int code);
TDateTime VarToDateTime(const Variant& value);

TVarType VarType(const Variant& value) noexcept;
AnsiString VarTypeAsText(TVarType varType);     // "Integer", "OleStr", "Array Variant", ...
bool VarIsEmpty(const Variant& value) noexcept; // unassigned, or a dispatch without object
bool VarIsNull(const Variant& value) noexcept;
bool VarIsArray(const Variant& value) noexcept;
bool VarIsStr(const Variant& value) noexcept;
bool VarIsNumeric(const Variant& value) noexcept; // integer, floating, currency types
bool VarIsDispatch(const Variant& value) noexcept;
void VarClear(Variant& value) noexcept;
// Text of the value; '' for null (and unassigned). Other failures raise as AsString does.
AnsiString VarToStr(const Variant& value);
WideString VarToWideStr(const Variant& value);
// The value converted to the type; arrays only to their own type.
Variant VarAsType(const Variant& value, TVarType varType);

// Arrays. Bounds come in pairs, low and high for each dimension from the first: {0, 1, 0, 4} is two
// rows of five. Element types are the simple types, varOleStr, varString, varDispatch and varVariant.
Variant VarArrayCreate(const std::vector<int>& bounds, TVarType varType);
// True for the element types above (the types an array may be created with, and marshalled with).
bool VarTypeIsValidElementType(TVarType varType) noexcept;
Variant VarArrayOf(std::initializer_list<Variant> values); // varVariant, bounds 0..n-1
Variant VarArrayOf(const std::vector<Variant>& values);
int VarArrayDimCount(const Variant& value) noexcept; // 0 for a value that is no array
int VarArrayLowBound(const Variant& value, int dim); // dim from 1
int VarArrayHighBound(const Variant& value, int dim);
// Changes the high bound of the last dimension, keeping the elements that remain in bounds.
void VarArrayRedim(Variant& value, int highBound);
// Direct access to the elements of a byte array (Byte*) or a varVariant array (Variant*), in storage
// order (the first index runs fastest); the array cannot be resized while locked.
void* VarArrayLock(Variant& value);
void VarArrayUnlock(Variant& value);

// Comparison by the class library's rules: null equals only null and orders before everything; an
// unassigned value reads as 0, '' or False against the other side; a number against text converts the
// text to a number (EVariantError when it is none); text against text compares by code unit.
bool operator==(const Variant& a, const Variant& b);
bool operator<(const Variant& a, const Variant& b);
bool operator>(const Variant& a, const Variant& b);
bool operator<=(const Variant& a, const Variant& b);
bool operator>=(const Variant& a, const Variant& b);

enum TVariantRelationship { vrEqual, vrLessThan, vrGreaterThan, vrNotEqual };
// Never raise: values that cannot be compared are vrNotEqual (and not the same value).
TVariantRelationship VarCompareValue(const Variant& a, const Variant& b) noexcept;
bool VarSameValue(const Variant& a, const Variant& b) noexcept;
