#pragma once
// Number texts of the class library: Format with its directives, FormatFloat patterns, FloatToStr and
// the integer and floating-point readers. The decimal separator is always "." and the thousands
// separator ",", whatever the machine's locale.
#include <initializer_list>
#include <vector>

#include "classlib/rtl/types.h"
#include "classlib/rtl/variants.h"

enum TVarRecKind {
    vtInteger,
    vtInt64,
    vtExtended,
    vtChar,
    vtBoolean,
    vtString,
    vtWideString,
    vtVariant,
    vtPointer
};

// One argument of Format, as the class library's open array of constants carried it. It keeps its own
// copy of the value, so an argument list may outlive the expressions that built it.
class TVarRec {
public:
    TVarRec(int value) : FKind(vtInteger), FValue(value) {}
    TVarRec(unsigned value) : FKind(vtInt64), FValue(static_cast<Int64>(value)) {}
    TVarRec(long value) : FKind(vtInt64), FValue(static_cast<Int64>(value)) {}
    TVarRec(long long value) : FKind(vtInt64), FValue(static_cast<Int64>(value)) {}
    TVarRec(unsigned long value) : TVarRec(static_cast<unsigned long long>(value)) {}
    TVarRec(unsigned long long value)
        : FKind(vtInt64), FUnsigned(value > 0x7FFFFFFFFFFFFFFFull), FValue(static_cast<Int64>(value)) {}
    TVarRec(double value) : FKind(vtExtended), FValue(value) {}
    TVarRec(char value) : FKind(vtChar), FValue(value) {}
    TVarRec(bool value) : FKind(vtBoolean), FValue(value) {}
    TVarRec(const char* value) : FKind(vtString), FValue(value) {}
    TVarRec(const AnsiString& value) : FKind(vtString), FValue(value) {}
    TVarRec(const char16_t* value) : FKind(vtWideString), FValue(value) {}
    TVarRec(const WideString& value) : FKind(vtWideString), FValue(value) {}
    TVarRec(const Variant& value) : FKind(vtVariant), FValue(value) {}
    TVarRec(const Variant::TElementRef& value) : FKind(vtVariant), FValue(value.Value()) {}
    TVarRec(const void* value) : FKind(vtPointer), FPointer(value) {}

    TVarRecKind Kind() const { return FKind; }
    // The integer, floating-point, text or Variant value (a char as a text of one byte).
    const Variant& Value() const { return FValue; }
    // True for an unsigned 64-bit value above the Int64 range, held in Value as its bit pattern.
    bool IsUnsigned() const { return FUnsigned; }
    const void* Pointer() const { return FPointer; }

private:
    TVarRecKind FKind;
    bool FUnsigned = false;
    Variant FValue;
    const void* FPointer = nullptr;
};

// Directives: "%" [index ":"] ["-"] [width] ["." precision] type, where width and precision may be "*"
// (taken from the next argument) and type is one of d u x e f g n p s (either case). A directive that
// does not fit its argument, a missing argument or an unknown directive raises EConvertError.
AnsiString Format(const AnsiString& format, std::initializer_list<TVarRec> args = {});
AnsiString Format(const AnsiString& format, const std::vector<TVarRec>& args);

// Pattern of up to three sections (positive; negative; zero) of "0" and "#" digit placeholders, "."
// decimal point, "," thousands grouping, "E+00" style exponents and quoted literals. An empty pattern
// gives FloatToStr.
AnsiString FormatFloat(const AnsiString& format, double value);

enum TFloatFormat { ffGeneral, ffExponent, ffFixed, ffNumber };
// Up to 15 significant digits in the shortest of fixed and exponent form ("1.5", "1E20", "1E-6").
AnsiString FloatToStr(double value);
AnsiString FloatToStrF(double value, TFloatFormat format, int precision, int digits);

AnsiString IntToStr(int value);
AnsiString IntToStr(unsigned value);
AnsiString IntToStr(long value);
AnsiString IntToStr(unsigned long value);
AnsiString IntToStr(long long value);
AnsiString IntToStr(unsigned long long value);
// Upper-case hexadecimal with at least digits digits; negative values in the two's complement of their
// own width.
AnsiString IntToHex(int value, int digits);
AnsiString IntToHex(unsigned value, int digits);
AnsiString IntToHex(long value, int digits);
AnsiString IntToHex(unsigned long value, int digits);
AnsiString IntToHex(long long value, int digits);
AnsiString IntToHex(unsigned long long value, int digits);

// Integer texts: blanks around, an optional sign, decimal digits or hexadecimal after "$" or "0x".
// A text that is no integer of the range raises EConvertError "'text' is not a valid integer value".
int StrToInt(const AnsiString& text);
int StrToIntDef(const AnsiString& text, int defaultValue);
bool TryStrToInt(const AnsiString& text, int& value);
Int64 StrToInt64(const AnsiString& text);
Int64 StrToInt64Def(const AnsiString& text, Int64 defaultValue);
bool TryStrToInt64(const AnsiString& text, Int64& value);

// Floating-point texts: blanks around, an optional sign, digits with "." and an optional exponent.
// Anything else (and overflow) raises EConvertError "'text' is not a valid floating point value".
double StrToFloat(const AnsiString& text);
double StrToFloatDef(const AnsiString& text, double defaultValue);
bool TryStrToFloat(const AnsiString& text, double& value);

// "True"/"False" with useBoolStrs, else "-1"/"0" as the class library wrote them.
AnsiString BoolToStr(bool value, bool useBoolStrs = false);
// "True" and "False" in any case, or a number (True when not zero).
bool TryStrToBool(const AnsiString& text, bool& value);
bool StrToBool(const AnsiString& text); // EConvertError "'text' is not a valid boolean value"
bool StrToBoolDef(const AnsiString& text, bool defaultValue);
