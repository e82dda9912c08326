#include "classlib/rtl/variants.h"

#include <atomic>
#include <cfloat>
#include <cmath>
#include <memory>
#include <new>

#include "classlib/rtl/codepages.h"
#include "classlib/rtl/datetime.h"
#include "classlib/rtl/exceptions.h"
#include "classlib/rtl/format.h"

// Text payloads are immutable once made, so copies share them.
struct TVarStrData {
    std::atomic<int> Refs{1};
    AnsiString Value;
};

struct TVarWideStrData {
    std::atomic<int> Refs{1};
    WideString Value;
};

struct TVarArrayBound {
    int LowBound;
    int ElementCount;
};

// Elements in storage order, the first index running fastest, so that resizing the last dimension
// keeps every element where it was. Byte arrays (data packets, pictures) keep plain bytes.
struct TVarArrayData {
    TVarType ElementType = varVariant;
    std::vector<TVarArrayBound> Bounds;
    std::vector<Variant> Items;
    std::vector<Byte> Bytes;
    int LockCount = 0;
};

namespace {

// Wide text and bytes meet in the system's ANSI code page, as the class library's conversions did.
WideString ToWide(const AnsiString& text) {
    return AnsiToWide(text, GetACP());
}
AnsiString ToAnsi(const WideString& text) {
    return WideToAnsi(text, GetACP());
}

const char* SimpleTypeName(TVarType t) {
    switch (t) {
    case varEmpty:
        return "Empty";
    case varNull:
        return "Null";
    case varSmallint:
        return "Smallint";
    case varInteger:
        return "Integer";
    case varSingle:
        return "Single";
    case varDouble:
        return "Double";
    case varCurrency:
        return "Currency";
    case varDate:
        return "Date";
    case varOleStr:
        return "OleStr";
    case varDispatch:
        return "Dispatch";
    case varError:
        return "Error";
    case varBoolean:
        return "Boolean";
    case varVariant:
        return "Variant";
    case varByte:
        return "Byte";
    case varInt64:
        return "Int64";
    case varString:
        return "String";
    default:
        return nullptr;
    }
}

bool IsArrayType(TVarType t) {
    return (t & varArray) != 0;
}

bool IsIntegralType(TVarType t) {
    return t == varSmallint || t == varInteger || t == varByte || t == varInt64 || t == varBoolean;
}

bool IsNumberType(TVarType t) {
    return IsIntegralType(t) || t == varSingle || t == varDouble || t == varCurrency || t == varDate;
}

bool IsTextType(TVarType t) {
    return t == varString || t == varOleStr;
}

[[noreturn]] void RaiseCast(TVarType from, TVarType to) {
    throw EVariantError("Could not convert variant of type (" + VarTypeAsText(from) + ") into type (" +
                        VarTypeAsText(to) + ")");
}

[[noreturn]] void RaiseOverflow(TVarType from, TVarType to) {
    throw EVariantError("Overflow while converting variant of type (" + VarTypeAsText(from) +
                        ") into type (" + VarTypeAsText(to) + ")");
}

[[noreturn]] void RaiseNotArray() {
    throw EVariantError("Variant is not an array");
}
[[noreturn]] void RaiseBounds() {
    throw EVariantError("Variant or safe array index out of bounds");
}
[[noreturn]] void RaiseCreate() {
    throw EVariantError("Error creating variant or safe array");
}
[[noreturn]] void RaiseLocked() {
    throw EVariantError("Variant or safe array is locked");
}
[[noreturn]] void RaiseInvalidOp() {
    throw EVariantError("Invalid variant operation");
}

// Round half to even, as the class library rounded floating values into integers.
double RoundBankers(double value) {
    const double r = std::round(value);
    if (std::fabs(value - std::trunc(value)) == 0.5) return 2.0 * std::round(value / 2.0);
    return r;
}

constexpr Int64 CurrencyScale = 10000;
// Bounds of Int64 as doubles: -2^63 is exact, 2^63 is the first value past the top.
constexpr double Int64Low = -9223372036854775808.0;
constexpr double Int64High = 9223372036854775808.0;

} // namespace

struct TVariantAccess {
    static decltype(Variant::FValue)& Value(Variant& v) { return v.FValue; }
    static const decltype(Variant::FValue)& Value(const Variant& v) { return v.FValue; }

    static Variant Make(TVarType type) {
        Variant v;
        v.FVType = type;
        return v;
    }

    static const TVarArrayData& Array(const Variant& v) {
        if (!IsArrayType(v.FVType)) RaiseNotArray();
        return *v.FValue.VArray;
    }
    static TVarArrayData& Array(Variant& v) {
        if (!IsArrayType(v.FVType)) RaiseNotArray();
        return *v.FValue.VArray;
    }

    static Variant MakeCurrency(double value, TVarType from) {
        const double scaled = std::round(value * CurrencyScale);
        if (!(scaled >= Int64Low && scaled < Int64High)) RaiseOverflow(from, varCurrency);
        Variant v = Make(varCurrency);
        v.FValue.VCurrency = static_cast<Int64>(scaled);
        return v;
    }

    static Variant DefaultElement(TVarType type) {
        switch (type) {
        case varSmallint:
            return Variant(static_cast<short>(0));
        case varInteger:
            return Variant(0);
        case varSingle:
            return Variant(0.0f);
        case varDouble:
            return Variant(0.0);
        case varCurrency:
            return VarFromCurrency(0);
        case varDate:
            return VarFromDateTime(0);
        case varOleStr:
            return Variant(WideString());
        case varString:
            return Variant(AnsiString());
        case varDispatch:
            return Variant(static_cast<IDispatch*>(nullptr));
        case varError:
            return VarFromError(0);
        case varBoolean:
            return Variant(false);
        case varInt64:
            return Variant(static_cast<Int64>(0));
        default:
            return Variant();
        }
    }

    // Storage offset of an element; raises when the indices do not name one.
    static std::size_t Offset(const TVarArrayData& data, const int* indices, std::size_t count) {
        if (count != data.Bounds.size()) RaiseBounds();
        std::size_t offset = 0;
        std::size_t stride = 1;
        for (std::size_t k = 0; k < count; ++k) {
            const TVarArrayBound& b = data.Bounds[k];
            const Int64 rel = static_cast<Int64>(indices[k]) - b.LowBound;
            if (rel < 0 || rel >= b.ElementCount) RaiseBounds();
            offset += static_cast<std::size_t>(rel) * stride;
            stride *= static_cast<std::size_t>(b.ElementCount);
        }
        return offset;
    }

    static Variant Get(const Variant& v, const int* indices, std::size_t count) {
        const TVarArrayData& data = Array(v);
        const std::size_t offset = Offset(data, indices, count);
        if (data.ElementType == varByte) return Variant(data.Bytes[offset]);
        return data.Items[offset];
    }

    static void Put(Variant& v, const int* indices, std::size_t count, const Variant& value) {
        TVarArrayData& data = Array(v);
        const std::size_t offset = Offset(data, indices, count);
        if (data.ElementType == varByte) {
            data.Bytes[offset] = VarAsType(value, varByte).FValue.VByte;
        } else if (data.ElementType == varVariant) {
            data.Items[offset] = value;
        } else {
            data.Items[offset] = VarAsType(value, data.ElementType);
        }
    }

    static Variant CreateArray(const std::vector<int>& bounds, TVarType elementType) {
        if (bounds.empty() || bounds.size() % 2 != 0 || bounds.size() / 2 > 64 ||
            !VarTypeIsValidElementType(elementType))
            RaiseCreate();
        auto data = std::make_unique<TVarArrayData>();
        data->ElementType = elementType;
        std::size_t total = 1;
        for (std::size_t k = 0; k < bounds.size(); k += 2) {
            const Int64 count = static_cast<Int64>(bounds[k + 1]) - bounds[k] + 1;
            if (count < 0 || count > 0x7FFFFFFF) RaiseCreate();
            if (count > 0 && total > static_cast<std::size_t>(0x7FFFFFFF) / static_cast<std::size_t>(count))
                RaiseCreate();
            total *= static_cast<std::size_t>(count);
            data->Bounds.push_back({bounds[k], static_cast<int>(count)});
        }
        try {
            if (elementType == varByte)
                data->Bytes.assign(total, 0);
            else
                data->Items.assign(total, DefaultElement(elementType));
        } catch (const std::bad_alloc&) {
            RaiseCreate();
        }
        Variant v = Make(varArray | elementType);
        v.FValue.VArray = data.release();
        return v;
    }

    static Int64 ToIntegral(const Variant& v, TVarType target, Int64 low, Int64 high) {
        const auto& value = v.FValue;
        Int64 result = 0;
        double real = 0;
        bool isReal = false;
        switch (v.FVType) {
        case varEmpty:
            result = 0;
            break;
        case varSmallint:
            result = value.VSmallint;
            break;
        case varInteger:
            result = value.VInteger;
            break;
        case varByte:
            result = value.VByte;
            break;
        case varInt64:
            result = value.VInt64;
            break;
        case varBoolean:
            result = value.VBoolean ? -1 : 0;
            break;
        case varSingle:
            real = value.VSingle;
            isReal = true;
            break;
        case varDouble:
            real = value.VDouble;
            isReal = true;
            break;
        case varDate:
            real = value.VDate;
            isReal = true;
            break;
        case varCurrency: {
            // Half to even on the scaled integer, without going through a double.
            Int64 q = value.VCurrency / CurrencyScale;
            const Int64 r = value.VCurrency % CurrencyScale;
            const Int64 twice = 2 * (r < 0 ? -r : r);
            if (twice > CurrencyScale || (twice == CurrencyScale && q % 2 != 0)) q += r < 0 ? -1 : 1;
            result = q;
            break;
        }
        case varString:
        case varOleStr: {
            const AnsiString text =
                v.FVType == varString ? v.FValue.VString->Value : ToAnsi(v.FValue.VOleStr->Value);
            bool flag;
            if (TryStrToInt64(text, result)) break;
            if (TryStrToFloat(text, real)) {
                isReal = true;
                break;
            }
            if (TryStrToBool(text, flag)) {
                result = flag ? -1 : 0;
                break;
            }
            RaiseCast(v.FVType, target);
        }
        default:
            RaiseCast(v.FVType, target);
        }
        if (isReal) {
            const double r = RoundBankers(real);
            if (!(r >= Int64Low && r < Int64High)) RaiseOverflow(v.FVType, target);
            result = static_cast<Int64>(r);
        }
        if (result < low || result > high) RaiseOverflow(v.FVType, target);
        return result;
    }

    static double ToDouble(const Variant& v, TVarType target) {
        const auto& value = v.FValue;
        switch (v.FVType) {
        case varEmpty:
            return 0;
        case varSmallint:
            return value.VSmallint;
        case varInteger:
            return value.VInteger;
        case varByte:
            return value.VByte;
        case varInt64:
            return static_cast<double>(value.VInt64);
        case varBoolean:
            return value.VBoolean ? -1 : 0;
        case varSingle:
            return value.VSingle;
        case varDouble:
            return value.VDouble;
        case varDate:
            return value.VDate;
        case varCurrency:
            return static_cast<double>(value.VCurrency) / CurrencyScale;
        case varString:
        case varOleStr: {
            const AnsiString text =
                v.FVType == varString ? v.FValue.VString->Value : ToAnsi(v.FValue.VOleStr->Value);
            double real;
            Int64 whole;
            bool flag;
            if (TryStrToFloat(text, real)) return real;
            if (TryStrToInt64(text, whole)) return static_cast<double>(whole); // "$FF"
            if (TryStrToBool(text, flag)) return flag ? -1 : 0;
            RaiseCast(v.FVType, target);
        }
        default:
            RaiseCast(v.FVType, target);
        }
    }
};

// ---- construction, copy, destruction ----

Variant::Variant(const Variant& other) : FVType(other.FVType), FValue(other.FValue) {
    switch (FVType) {
    case varString:
        FValue.VString->Refs.fetch_add(1, std::memory_order_relaxed);
        break;
    case varOleStr:
        FValue.VOleStr->Refs.fetch_add(1, std::memory_order_relaxed);
        break;
    case varDispatch:
        if (FValue.VDispatch) FValue.VDispatch->AddRef();
        break;
    default:
        if (IsArrayType(FVType)) {
            FValue.VArray = new TVarArrayData(*other.FValue.VArray);
            FValue.VArray->LockCount = 0;
        }
        break;
    }
}

Variant& Variant::operator=(const Variant& other) {
    if (this != &other) *this = Variant(other);
    return *this;
}

Variant& Variant::operator=(Variant&& other) noexcept {
    if (this != &other) {
        // Take the new value first: releasing the old one may run a dispatch object's code.
        const TVarType oldType = FVType;
        const auto oldValue = FValue;
        FVType = other.FVType;
        FValue = other.FValue;
        other.FVType = varEmpty;
        other.FValue.VInt64 = 0;
        Variant old;
        old.FVType = oldType;
        old.FValue = oldValue;
    }
    return *this;
}

void Variant::Release() noexcept {
    const TVarType type = FVType;
    const auto value = FValue;
    FVType = varEmpty;
    FValue.VInt64 = 0;
    switch (type) {
    case varString:
        if (value.VString->Refs.fetch_sub(1, std::memory_order_acq_rel) == 1) delete value.VString;
        break;
    case varOleStr:
        if (value.VOleStr->Refs.fetch_sub(1, std::memory_order_acq_rel) == 1) delete value.VOleStr;
        break;
    case varDispatch:
        if (value.VDispatch) value.VDispatch->Release();
        break;
    default:
        if (IsArrayType(type)) delete value.VArray;
        break;
    }
}

void Variant::Clear() noexcept {
    Release();
}

Variant::Variant(char value) : Variant(AnsiString(1, value)) {}
Variant::Variant(char16_t value) : Variant(WideString(1, value)) {}

Variant::Variant(unsigned long value) : Variant(static_cast<unsigned long long>(value)) {}

Variant::Variant(unsigned long long value) : FVType(varInt64) {
    if (value > 0x7FFFFFFFFFFFFFFFull)
        throw EVariantError("Overflow while converting variant of type (UInt64) into type (Int64)");
    FValue.VInt64 = static_cast<Int64>(value);
}

Variant::Variant(const char* value) : Variant(value ? AnsiString(value) : AnsiString()) {}

Variant::Variant(const AnsiString& value) : FVType(varString) {
    FValue.VString = new TVarStrData;
    FValue.VString->Value = value;
}

Variant::Variant(const char16_t* value) : Variant(value ? WideString(value) : WideString()) {}

Variant::Variant(const WideString& value) : FVType(varOleStr) {
    FValue.VOleStr = new TVarWideStrData;
    FValue.VOleStr->Value = value;
}

Variant::Variant(IDispatch* value) noexcept : FVType(varDispatch) {
    FValue.VDispatch = value;
    if (value) value->AddRef();
}

// ---- conversions ----

int Variant::ConvertToInteger() const {
    return static_cast<int>(TVariantAccess::ToIntegral(*this, varInteger, INT32_MIN, INT32_MAX));
}

Int64 Variant::AsInt64() const {
    return TVariantAccess::ToIntegral(*this, varInt64, INT64_MIN, INT64_MAX);
}

double Variant::AsFloat() const {
    return TVariantAccess::ToDouble(*this, varDouble);
}

double Variant::AsCurrency() const {
    if (FVType == varCurrency) return static_cast<double>(FValue.VCurrency) / CurrencyScale;
    return VarAsType(*this, varCurrency).AsCurrency();
}

bool Variant::AsBoolean() const {
    switch (FVType) {
    case varEmpty:
        return false;
    case varBoolean:
        return FValue.VBoolean;
    case varString:
    case varOleStr: {
        bool result;
        if (!TryStrToBool(AsString(), result)) RaiseCast(FVType, varBoolean);
        return result;
    }
    default:
        if (IsNumberType(FVType)) return TVariantAccess::ToDouble(*this, varBoolean) != 0;
        RaiseCast(FVType, varBoolean);
    }
}

AnsiString Variant::AsString() const {
    switch (FVType) {
    case varEmpty:
        return AnsiString();
    case varSmallint:
        return IntToStr(FValue.VSmallint);
    case varInteger:
        return IntToStr(FValue.VInteger);
    case varByte:
        return IntToStr(FValue.VByte);
    case varInt64:
        return IntToStr(FValue.VInt64);
    case varSingle:
        return FloatToStr(FValue.VSingle);
    case varDouble:
        return FloatToStr(FValue.VDouble);
    case varCurrency:
        return FloatToStr(AsCurrency());
    case varDate:
        return DateTimeToStr(FValue.VDate);
    case varBoolean:
        return BoolToStr(FValue.VBoolean, true);
    case varString:
        return FValue.VString->Value;
    case varOleStr:
        return ToAnsi(FValue.VOleStr->Value);
    default:
        RaiseCast(FVType, varString);
    }
}

WideString Variant::AsWideString() const {
    if (FVType == varOleStr) return FValue.VOleStr->Value;
    try {
        return ToWide(AsString());
    } catch (const EVariantError&) {
        RaiseCast(FVType, varOleStr);
    }
}

TDateTime Variant::AsDateTime() const {
    if (FVType == varString || FVType == varOleStr) {
        const AnsiString text = AsString();
        TDateTime result;
        if (TryStrToDateTime(text, result)) return result;
    }
    return TVariantAccess::ToDouble(*this, varDate);
}

IDispatch* Variant::DispatchOfOther() const {
    if (FVType == varEmpty) return nullptr;
    RaiseCast(FVType, varDispatch);
}

int Variant::AsError() const {
    if (FVType != varError) RaiseCast(FVType, varError);
    return FValue.VError;
}

// ---- elements ----

Variant Variant::GetElement(std::initializer_list<int> indices) const {
    return TVariantAccess::Get(*this, indices.begin(), indices.size());
}

Variant Variant::GetElement(const std::vector<int>& indices) const {
    return TVariantAccess::Get(*this, indices.data(), indices.size());
}

void Variant::PutElement(std::initializer_list<int> indices, const Variant& value) {
    TVariantAccess::Put(*this, indices.begin(), indices.size(), value);
}

void Variant::PutElement(const std::vector<int>& indices, const Variant& value) {
    TVariantAccess::Put(*this, indices.data(), indices.size(), value);
}

const Variant Variant::operator[](int index) const {
    return TVariantAccess::Get(*this, &index, 1);
}

Variant Variant::TElementRef::Value() const {
    return TVariantAccess::Get(FOwner, &FIndex, 1);
}

Variant::TElementRef& Variant::TElementRef::operator=(const Variant& value) {
    TVariantAccess::Put(FOwner, &FIndex, 1, value);
    return *this;
}

Variant::TElementRef& Variant::TElementRef::operator=(const TElementRef& other) {
    return *this = other.Value();
}

TVarType Variant::TElementRef::VType() const {
    return Value().VType();
}
int Variant::TElementRef::AsInteger() const {
    return Value().AsInteger();
}
Int64 Variant::TElementRef::AsInt64() const {
    return Value().AsInt64();
}
double Variant::TElementRef::AsFloat() const {
    return Value().AsFloat();
}
bool Variant::TElementRef::AsBoolean() const {
    return Value().AsBoolean();
}
AnsiString Variant::TElementRef::AsString() const {
    return Value().AsString();
}
WideString Variant::TElementRef::AsWideString() const {
    return Value().AsWideString();
}
TDateTime Variant::TElementRef::AsDateTime() const {
    return Value().AsDateTime();
}

// ---- free functions ----

Variant Null() {
    return TVariantAccess::Make(varNull);
}
Variant Unassigned() {
    return Variant();
}

Variant VarFromDateTime(TDateTime value) {
    Variant v = TVariantAccess::Make(varDate);
    TVariantAccess::Value(v).VDate = value;
    return v;
}

Variant VarFromCurrency(double value) {
    return TVariantAccess::MakeCurrency(value, varDouble);
}

Variant VarFromScaledCurrency(Int64 scaled) {
    Variant v = TVariantAccess::Make(varCurrency);
    TVariantAccess::Value(v).VCurrency = scaled;
    return v;
}

Int64 VarToScaledCurrency(const Variant& value) {
    if (VarType(value) == varCurrency) return TVariantAccess::Value(value).VCurrency;
    return VarToScaledCurrency(VarAsType(value, varCurrency));
}

Variant VarFromError(int code) {
    Variant v = TVariantAccess::Make(varError);
    TVariantAccess::Value(v).VError = code;
    return v;
}

TDateTime VarToDateTime(const Variant& value) {
    return value.AsDateTime();
}

TVarType VarType(const Variant& value) noexcept {
    return value.VType();
}

AnsiString VarTypeAsText(TVarType varType) {
    const char* name = SimpleTypeName(varType & varTypeMask);
    AnsiString text = name ? AnsiString(name) : "$" + IntToHex(static_cast<int>(varType & varTypeMask), 4);
    if (varType & varArray) text = "Array " + text;
    return text;
}

bool VarIsEmpty(const Variant& value) noexcept {
    return value.VType() == varEmpty ||
           (value.VType() == varDispatch && TVariantAccess::Value(value).VDispatch == nullptr);
}

bool VarIsNull(const Variant& value) noexcept {
    return value.VType() == varNull;
}

bool VarTypeIsValidElementType(TVarType varType) noexcept {
    switch (varType) {
    case varSmallint:
    case varInteger:
    case varSingle:
    case varDouble:
    case varCurrency:
    case varDate:
    case varOleStr:
    case varDispatch:
    case varError:
    case varBoolean:
    case varVariant:
    case varByte:
    case varInt64:
    case varString:
        return true;
    default:
        return false;
    }
}

bool VarIsArray(const Variant& value) noexcept {
    return IsArrayType(value.VType());
}
bool VarIsStr(const Variant& value) noexcept {
    return IsTextType(value.VType());
}

bool VarIsNumeric(const Variant& value) noexcept {
    const TVarType t = value.VType();
    return IsNumberType(t) && t != varBoolean && t != varDate;
}

bool VarIsDispatch(const Variant& value) noexcept {
    return value.VType() == varDispatch;
}
void VarClear(Variant& value) noexcept {
    value.Clear();
}

AnsiString VarToStr(const Variant& value) {
    return VarIsNull(value) ? AnsiString() : value.AsString();
}
WideString VarToWideStr(const Variant& value) {
    return VarIsNull(value) ? WideString() : value.AsWideString();
}

Variant VarAsType(const Variant& value, TVarType varType) {
    const TVarType from = value.VType();
    if (from == varType || varType == varVariant) return value;
    if (varType == varEmpty) return Variant();
    if (varType == varNull) return Null();
    if (IsArrayType(from) || IsArrayType(varType) || from == varNull) RaiseCast(from, varType);
    switch (varType) {
    case varSmallint:
        return Variant(static_cast<short>(TVariantAccess::ToIntegral(value, varSmallint, -32768, 32767)));
    case varInteger:
        return Variant(value.AsInteger());
    case varByte:
        return Variant(static_cast<Byte>(TVariantAccess::ToIntegral(value, varByte, 0, 255)));
    case varInt64:
        return Variant(value.AsInt64());
    case varSingle: {
        const double d = value.AsFloat();
        if (std::isfinite(d) && std::fabs(d) > FLT_MAX) RaiseOverflow(from, varSingle);
        return Variant(static_cast<float>(d));
    }
    case varDouble:
        return Variant(value.AsFloat());
    case varCurrency:
        return TVariantAccess::MakeCurrency(TVariantAccess::ToDouble(value, varCurrency), from);
    case varDate:
        return VarFromDateTime(value.AsDateTime());
    case varBoolean:
        return Variant(value.AsBoolean());
    case varString:
        return Variant(value.AsString());
    case varOleStr:
        return Variant(value.AsWideString());
    case varDispatch:
        return Variant(value.AsDispatch());
    default:
        RaiseCast(from, varType);
    }
}

Variant VarArrayCreate(const std::vector<int>& bounds, TVarType varType) {
    return TVariantAccess::CreateArray(bounds, varType);
}

Variant VarArrayOf(const std::vector<Variant>& values) {
    if (values.size() > 0x7FFFFFFF) RaiseCreate();
    Variant v = TVariantAccess::CreateArray({0, static_cast<int>(values.size()) - 1}, varVariant);
    TVariantAccess::Array(v).Items = values;
    return v;
}

Variant VarArrayOf(std::initializer_list<Variant> values) {
    return VarArrayOf(std::vector<Variant>(values));
}

int VarArrayDimCount(const Variant& value) noexcept {
    if (!VarIsArray(value)) return 0;
    return static_cast<int>(TVariantAccess::Array(value).Bounds.size());
}

int VarArrayLowBound(const Variant& value, int dim) {
    const TVarArrayData& data = TVariantAccess::Array(value);
    if (dim < 1 || dim > static_cast<int>(data.Bounds.size())) RaiseBounds();
    return data.Bounds[static_cast<std::size_t>(dim - 1)].LowBound;
}

int VarArrayHighBound(const Variant& value, int dim) {
    const TVarArrayData& data = TVariantAccess::Array(value);
    if (dim < 1 || dim > static_cast<int>(data.Bounds.size())) RaiseBounds();
    const TVarArrayBound& b = data.Bounds[static_cast<std::size_t>(dim - 1)];
    return static_cast<int>(static_cast<Int64>(b.LowBound) + b.ElementCount - 1);
}

void VarArrayRedim(Variant& value, int highBound) {
    TVarArrayData& data = TVariantAccess::Array(value);
    if (data.LockCount > 0) RaiseLocked();
    TVarArrayBound& last = data.Bounds.back();
    const Int64 count = static_cast<Int64>(highBound) - last.LowBound + 1;
    if (count < 0) RaiseBounds();
    std::size_t others = 1;
    for (std::size_t k = 0; k + 1 < data.Bounds.size(); ++k)
        others *= static_cast<std::size_t>(data.Bounds[k].ElementCount);
    if (count > 0 && others > static_cast<std::size_t>(0x7FFFFFFF) / static_cast<std::size_t>(count))
        RaiseCreate();
    const std::size_t total = others * static_cast<std::size_t>(count);
    try {
        if (data.ElementType == varByte)
            data.Bytes.resize(total, 0);
        else
            data.Items.resize(total, TVariantAccess::DefaultElement(data.ElementType));
    } catch (const std::bad_alloc&) {
        RaiseCreate();
    }
    last.ElementCount = static_cast<int>(count);
}

void* VarArrayLock(Variant& value) {
    TVarArrayData& data = TVariantAccess::Array(value);
    if (data.ElementType != varByte && data.ElementType != varVariant)
        throw EVariantError("Only byte and variant arrays can be locked");
    ++data.LockCount;
    return data.ElementType == varByte ? static_cast<void*>(data.Bytes.data())
                                       : static_cast<void*>(data.Items.data());
}

void VarArrayUnlock(Variant& value) {
    TVarArrayData& data = TVariantAccess::Array(value);
    if (data.LockCount == 0) throw EVariantError("Variant or safe array is not locked");
    --data.LockCount;
}

// ---- comparison ----

namespace {

enum TOrder { ordLess = -1, ordEqual = 0, ordGreater = 1, ordNotEqual = 2 };

template <class T> TOrder OrderOf(const T& a, const T& b) {
    if (a < b) return ordLess;
    if (b < a) return ordGreater;
    return ordEqual;
}

TOrder CompareVariants(const Variant& a, const Variant& b) {
    const TVarType ta = a.VType();
    const TVarType tb = b.VType();
    if (ta == varNull || tb == varNull) {
        if (ta == tb) return ordEqual;
        return ta == varNull ? ordLess : ordGreater;
    }
    if (IsArrayType(ta) || IsArrayType(tb)) RaiseInvalidOp();
    if (ta == varDispatch || tb == varDispatch) {
        if ((ta != varDispatch && ta != varEmpty) || (tb != varDispatch && tb != varEmpty)) RaiseInvalidOp();
        return a.AsDispatch() == b.AsDispatch() ? ordEqual : ordNotEqual;
    }
    if (ta == varError || tb == varError) {
        if (ta != tb) RaiseInvalidOp();
        return a.AsError() == b.AsError() ? ordEqual : ordNotEqual;
    }
    // An unassigned value stands for the empty value of the other side's type.
    if (ta == varEmpty || tb == varEmpty) {
        if (ta == tb) return ordEqual;
        if (ta == varEmpty) return CompareVariants(TVariantAccess::DefaultElement(tb), b);
        return CompareVariants(a, TVariantAccess::DefaultElement(ta));
    }
    if (IsTextType(ta) && IsTextType(tb)) {
        if (ta == varString && tb == varString) {
            const int c = a.AsString().compare(b.AsString());
            return c < 0 ? ordLess : (c > 0 ? ordGreater : ordEqual);
        }
        return OrderOf(a.AsWideString(), b.AsWideString());
    }
    if (ta == varBoolean && tb == varBoolean) return OrderOf(a.AsBoolean(), b.AsBoolean());
    // Text against a value of another kind is read as that kind.
    if (IsTextType(ta) || IsTextType(tb)) {
        const Variant& text = IsTextType(ta) ? a : b;
        const Variant& other = IsTextType(ta) ? b : a;
        Variant converted;
        if (other.VType() == varBoolean)
            converted = Variant(text.AsBoolean());
        else if (other.VType() == varDate)
            converted = VarFromDateTime(text.AsDateTime());
        else if (IsIntegralType(other.VType())) {
            Int64 whole;
            converted = TryStrToInt64(text.AsString(), whole) ? Variant(whole) : Variant(text.AsFloat());
        } else
            converted = Variant(text.AsFloat());
        return IsTextType(ta) ? CompareVariants(converted, b) : CompareVariants(a, converted);
    }
    if (ta == varCurrency && tb == varCurrency)
        return OrderOf(TVariantAccess::Value(a).VCurrency, TVariantAccess::Value(b).VCurrency);
    if (IsIntegralType(ta) && IsIntegralType(tb)) return OrderOf(a.AsInt64(), b.AsInt64());
    const double da = a.AsFloat();
    const double db = b.AsFloat();
    if (std::isnan(da) || std::isnan(db)) return ordNotEqual;
    return OrderOf(da, db);
}

} // namespace

bool operator==(const Variant& a, const Variant& b) {
    return CompareVariants(a, b) == ordEqual;
}
bool operator<(const Variant& a, const Variant& b) {
    return CompareVariants(a, b) == ordLess;
}
bool operator>(const Variant& a, const Variant& b) {
    return CompareVariants(a, b) == ordGreater;
}

bool operator<=(const Variant& a, const Variant& b) {
    const TOrder order = CompareVariants(a, b);
    return order == ordLess || order == ordEqual;
}

bool operator>=(const Variant& a, const Variant& b) {
    const TOrder order = CompareVariants(a, b);
    return order == ordGreater || order == ordEqual;
}

TVariantRelationship VarCompareValue(const Variant& a, const Variant& b) noexcept {
    const TVarType ta = a.VType();
    const TVarType tb = b.VType();
    if (ta == varEmpty || tb == varEmpty || ta == varNull || tb == varNull)
        return ta == tb ? vrEqual : vrNotEqual;
    try {
        switch (CompareVariants(a, b)) {
        case ordLess:
            return vrLessThan;
        case ordGreater:
            return vrGreaterThan;
        case ordEqual:
            return vrEqual;
        default:
            return vrNotEqual;
        }
    } catch (const Exception&) {
        return vrNotEqual;
    } catch (const std::exception&) {
        return vrNotEqual;
    }
}

bool VarSameValue(const Variant& a, const Variant& b) noexcept {
    return VarCompareValue(a, b) == vrEqual;
}
