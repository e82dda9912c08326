#include "foundation/libstrs.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "classlib/rtl/codepages.h"
#include "classlib/rtl/datetime.h"
#include "classlib/rtl/exceptions.h"
#include "classlib/rtl/format.h"
#include "classlib/rtl/strutils.h"
#include "foundation/AlertLog.h"

namespace {

// True when sub stands at the character that starts at pos and ends on a character boundary, as the
// position search matches whole characters only.
bool MatchesAt(const AnsiString& text, std::size_t pos, const AnsiString& sub) {
    if (sub.empty() || text.compare(pos, sub.size(), sub) != 0) return false;
    std::size_t end = pos;
    while (end < pos + sub.size())
        end += static_cast<std::size_t>(CharLength(text, end));
    return end == pos + sub.size();
}

// 0-based offset of the first delimiter at or after from (where a character starts), walking by
// characters as the position search does; npos when there is none. An empty delimiter never matches.
std::size_t FindDelimiter(const AnsiString& text, const AnsiString& delimiter, std::size_t from) {
    if (delimiter.empty()) return AnsiString::npos;
    for (std::size_t i = from; i + delimiter.size() <= text.size();
         i += static_cast<std::size_t>(CharLength(text, i)))
        if (MatchesAt(text, i, delimiter)) return i;
    return AnsiString::npos;
}

AnsiString Pad(const AnsiString& text, std::initializer_list<int> options, bool left) {
    if (options.size() == 0) return text;
    const int length = *options.begin();
    if (length <= 0 || text.size() >= static_cast<std::size_t>(length)) return text;
    char padChar = ' ';
    if (options.size() > 1) {
        const int code = *(options.begin() + 1);
        if (code >= 0 && code <= 255) padChar = static_cast<char>(code);
    }
    try {
        const AnsiString fill(static_cast<std::size_t>(length) - text.size(), padChar);
        return left ? fill + text : text + fill;
    } catch (const std::exception&) {
        return text; // no memory for such a length
    }
}

} // namespace

AnsiString PadLeft(const AnsiString& text, std::initializer_list<int> options) {
    return Pad(text, options, true);
}

AnsiString PadRight(const AnsiString& text, std::initializer_list<int> options) {
    return Pad(text, options, false);
}

AnsiString GetToken(const AnsiString& text, const AnsiString& delimiter, int index) {
    if (index < 1) return AnsiString();
    std::size_t start = 0;
    for (int field = 1; field < index; ++field) {
        const std::size_t at = FindDelimiter(text, delimiter, start);
        if (at == AnsiString::npos) return AnsiString();
        start = at + delimiter.size();
    }
    const std::size_t end = FindDelimiter(text, delimiter, start);
    return text.substr(start, end == AnsiString::npos ? AnsiString::npos : end - start);
}

int GetTokenCount(const AnsiString& text, const AnsiString& delimiter) {
    if (text.empty()) return 0;
    int count = 1;
    for (std::size_t at = FindDelimiter(text, delimiter, 0); at != AnsiString::npos;
         at = FindDelimiter(text, delimiter, at + delimiter.size()))
        ++count;
    return count;
}

AnsiString FetchToken(AnsiString& text, const AnsiString& delimiter) {
    const std::size_t at = FindDelimiter(text, delimiter, 0);
    AnsiString result;
    if (at == AnsiString::npos) {
        result.swap(text);
    } else {
        result = text.substr(0, at);
        text.erase(0, at + delimiter.size());
    }
    return result;
}

AnsiString ReplaceAllText(const AnsiString& text, const AnsiString& oldText, const AnsiString& newText,
                          bool trim, bool* finished) {
    if (finished) *finished = true;
    if (oldText.empty() || SameText(oldText, newText)) return trim ? Trim(text) : text;
    // When New holds Old, searching again from the start would find the inserted text for ever: the
    // search goes on after each inserted text instead.
    const bool newHoldsOld = FindDelimiter(newText, oldText, 0) != AnsiString::npos;
    // The guard: a pattern that goes on forming occurrences (growing the text, or going round) stops
    // before the text passes what a single pass could make of it, or after (n+1)^2 replacements.
    const std::size_t n = text.size() + 1;
    const std::size_t lengthLimit = n * (newText.size() + 1);
    std::size_t budget = n * n;
    AnsiString out = text;
    std::size_t from = 0;
    for (std::size_t at = FindDelimiter(out, oldText, 0); at != AnsiString::npos;
         at = FindDelimiter(out, oldText, from)) {
        if (budget == 0 || out.size() - oldText.size() + newText.size() > lengthLimit) {
            if (finished) *finished = false;
            break;
        }
        --budget;
        out.replace(at, oldText.size(), newText);
        from = newHoldsOld ? at + newText.size() : 0;
    }
    return trim ? Trim(out) : out;
}

bool IsLocalHostAddr(const AnsiString& text) {
    return text == "127.0.0.1";
}

AnsiString FormatZeroPad(int digits, Int64 value) {
    try {
        return Format("%.*d", {digits, static_cast<long long>(value)});
    } catch (const std::exception&) {
        return IntToStr(static_cast<long long>(value));
    }
}

// ---------------------------------------------------------------------------------------------------
// Dates

namespace {

// The first character of the separator text, both bytes of a double-byte one.
AnsiString FirstCharacter(const AnsiString& text) {
    return text.substr(0, static_cast<std::size_t>(CharLength(text, 0)));
}

// A year is written with at least the kind's YearDigits digits; read without a separator, it is what
// the two-digit month and day leave, YearDigits to four digits.
using TDateKind = TDateKindLayout;

const TDateKind* DateKind(int kind) {
    return DateKindLayout(kind);
}

// The date part of a text by kind; '' for a kind outside 1..5.
AnsiString DatePartByKind(int kind, const AnsiString& separator, int year, int month, int day) {
    const TDateKind* k = DateKind(kind);
    if (!k) return AnsiString();
    const AnsiString sep = FirstCharacter(separator);
    AnsiString text;
    for (int i = 0; i < 3; ++i) {
        if (i > 0) text += sep;
        switch (k->Order[i]) {
        case 'Y':
            text += Format("%.*d", {k->YearDigits, year - k->YearOffset});
            break;
        case 'M':
            text += Format("%.2d", {month});
            break;
        default:
            text += Format("%.2d", {day});
        }
    }
    return text;
}

// A field read as an integer, trimmed; the fallback when it is no number.
long long FieldValue(const AnsiString& field, int fallback) {
    return StrToIntDef(Trim(field), fallback);
}

// The year, month and day of a date text of a kind: with a separator the three fields between it,
// otherwise by the kind's widths. False when a field is missing or not a number above 0; the values are
// not checked as a calendar date.
bool ReadDateParts(const AnsiString& text, const TDateKind& kind, const AnsiString& separator,
                   long long& year, long long& month, long long& day) {
    long long parts[3];
    if (!separator.empty()) {
        AnsiString rest = text;
        for (long long& part : parts)
            part = FieldValue(FetchToken(rest, separator), -1);
    } else {
        const AnsiString digits = Trim(text);
        const int yearDigits = static_cast<int>(digits.size()) - 4;
        if (yearDigits < kind.YearDigits || yearDigits > 4) return false;
        int at = 1;
        for (int i = 0; i < 3; ++i) {
            const int width = kind.Order[i] == 'Y' ? yearDigits : 2;
            parts[i] = FieldValue(Copy(digits, at, width), -1);
            at += width;
        }
    }
    for (int i = 0; i < 3; ++i) {
        if (parts[i] <= 0) return false;
        (kind.Order[i] == 'Y' ? year : kind.Order[i] == 'M' ? month : day) = parts[i];
    }
    year += kind.YearOffset;
    return true;
}

// A number of characters at a 1-based position read as an integer, 0 when it is no number.
int NumberAt(const AnsiString& text, int index, int count) {
    return StrToIntDef(Copy(text, index, count), 0);
}

} // namespace

const TDateKindLayout* DateKindLayout(int kind) {
    // The one table that writing and reading a date text (and a year-month text) follow.
    static const TDateKindLayout kinds[] = {
        {"YMD", 4, 0}, {"MDY", 4, 0}, {"DMY", 4, 0}, {"YMD", 2, 1911}, {"YMD", 3, 1911}};
    return kind >= 1 && kind <= 5 ? &kinds[kind - 1] : nullptr;
}

AnsiString FormatDateByKind(int kind, const AnsiString& separator, TDateTime date) {
    if (date == 0) return AnsiString();
    try {
        Word year, month, day;
        DecodeDate(date, year, month, day);
        return DatePartByKind(kind, separator, year, month, day);
    } catch (const std::exception&) {
        return AnsiString();
    }
}

AnsiString FormatDateTimeByKind(int kind, const AnsiString& separator, TDateTime dateTime) {
    if (dateTime == 0) return AnsiString();
    try {
        Word year, month, day, hour, min, sec, msec;
        DecodeDateTime(dateTime, year, month, day, hour, min, sec, msec);
        const AnsiString datePart = DatePartByKind(kind, separator, year, month, day);
        if (datePart.empty()) return AnsiString();
        return datePart + Format(" %.2d:%.2d:%.2d:%.3d", {hour, min, sec, msec});
    } catch (const std::exception&) {
        return AnsiString();
    }
}

TDateTime StrToDateByKind(const AnsiString& text, int kind, const AnsiString& separator) {
    const TDateKind* k = DateKind(kind);
    long long year, month, day;
    if (!k || Trim(text).empty() || !ReadDateParts(text, *k, separator, year, month, day)) return 0;
    // A day past the month's end is no date (it is not rolled into the next month).
    TDateTime date;
    if (year > 9999 || month > 12 || day > 31 ||
        !TryEncodeDate(static_cast<int>(year), static_cast<int>(month), static_cast<int>(day), date))
        return 0;
    return date;
}

AnsiString DateStrToYMD(const AnsiString& text, int kind, const AnsiString& separator) {
    // Kinds outside 2..5 read as year/month/day.
    const TDateKind* k = DateKind(kind >= 2 && kind <= 5 ? kind : 1);
    long long year, month, day;
    if (Trim(text).empty() || !ReadDateParts(text, *k, separator, year, month, day)) return "0";
    // Not checked as a calendar date, but always eight digits.
    if (year > 9999 || month > 99 || day > 99) return "0";
    return Format("%.4d%.2d%.2d", {year, month, day});
}

TDateTime YMDStrToDate(const AnsiString& text) {
    if (text.size() != 8) return 0;
    const int year = NumberAt(text, 1, 4), month = NumberAt(text, 5, 2), day = NumberAt(text, 7, 2);
    TDateTime date;
    if (year == 0 || month == 0 || day == 0 || !TryEncodeDate(year, month, day, date)) return 0;
    return date;
}

bool IsValidYMDStr(const AnsiString& text) {
    if (text.empty()) return true;
    TDateTime date;
    if (!TryEncodeDate(NumberAt(text, 1, 4), NumberAt(text, 5, 2), NumberAt(text, 7, 2), date)) return false;
    return CompareStr(text, "17530101") >= 0 && CompareStr(text, "99991231") <= 0;
}

TDateTime YMDHNSZStrToDateTime(const AnsiString& text) {
    const int year = NumberAt(text, 1, 4), month = NumberAt(text, 5, 2), day = NumberAt(text, 7, 2);
    const int hour = NumberAt(text, 9, 2), min = NumberAt(text, 11, 2), sec = NumberAt(text, 13, 2);
    const int msec = NumberAt(text, 15, 3);
    TDateTime value;
    if (year != 0 && month != 0 && day != 0) {
        if (!TryEncodeDateTime(year, month, day, hour, min, sec, msec, value)) return 0;
    } else if (!TryEncodeTime(hour, min, sec, msec, value)) {
        return 0;
    }
    return value;
}

// ---------------------------------------------------------------------------------------------------
// Numbers

namespace {

// The value's decimal text at 15 significant digits: its digits and the power of ten of the first one.
struct TDecimalText {
    bool negative = false;
    AnsiString digits; // 15 digits, the first one not 0 (unless the value is 0)
    int exponent = 0;  // value = 0.d1d2... * 10^(exponent + 1)
};

TDecimalText DecimalText(double value) {
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.14e", value);
    TDecimalText result;
    const char* p = buffer;
    if (*p == '-') result.negative = true, ++p;
    for (; *p && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9') result.digits += *p;
    if (*p == 'e') result.exponent = std::atoi(p + 1);
    return result;
}

double DecimalValue(bool negative, const AnsiString& digits, int exponent) {
    if (digits.find_first_not_of('0') == AnsiString::npos) return 0; // never -0
    const AnsiString text = (negative ? "-0." : "0.") + digits + "e" + std::to_string(exponent + 1);
    return std::strtod(text.c_str(), nullptr);
}

// The value as the class library's general text gives it back (15 significant digits).
double Normalized(double value) {
    const TDecimalText t = DecimalText(value);
    return DecimalValue(t.negative, t.digits, t.exponent);
}

} // namespace

double RoundFloat(int digits, double value) {
    if (!std::isfinite(value)) return 0;
    if (digits < 0) digits = 0;
    TDecimalText t = DecimalText(value);
    // Digits kept: those before the point and digits decimals after it.
    const long long keep = static_cast<long long>(t.exponent) + 1 + digits;
    if (keep >= static_cast<long long>(t.digits.size()))
        return DecimalValue(t.negative, t.digits, t.exponent);
    if (keep < 0) return 0;
    const bool up = t.digits[static_cast<std::size_t>(keep)] >= '5'; // a half and more: away from zero
    AnsiString kept = t.digits.substr(0, static_cast<std::size_t>(keep));
    if (up) {
        std::size_t i = kept.size();
        while (i > 0 && kept[i - 1] == '9')
            kept[--i] = '0';
        if (i == 0) {
            kept.insert(0, "1");
            ++t.exponent;
        } else {
            ++kept[i - 1];
        }
    }
    if (kept.empty()) return 0;
    return DecimalValue(t.negative, kept, t.exponent);
}

int CompareFloat(double a, double b) {
    // Beyond the numbers: infinities by their sign, and a NaN after everything, equal to nothing.
    if (std::isnan(a)) return 1;
    if (std::isnan(b)) return -1;
    if (std::isinf(a) || std::isinf(b)) return a == b ? 0 : a < b ? -1 : 1;
    if (a == b) return 0;
    // Fifteen significant digits move a value by less than 1e-14 of it: values this far apart
    // compare the same before and after, without writing them out.
    if (std::fabs(a - b) > 1e-10 + 1e-14 * (std::fabs(a) + std::fabs(b))) return a < b ? -1 : 1;
    const double x = Normalized(a), y = Normalized(b);
    if (std::fabs(x - y) < 1e-10) return 0;
    return x < y ? -1 : 1;
}

// ---------------------------------------------------------------------------------------------------
// Time spans

AnsiString SecondsToTimeStr(Int64 seconds) {
    try {
        if (seconds == INT64_MIN) return "0000:00:00";
        const Int64 span = seconds < 0 ? -seconds : seconds;
        const AnsiString text = Format("%.4d:%.2d:%.2d", {static_cast<long long>(span / 3600),
                                                          static_cast<long long>(span / 60 % 60),
                                                          static_cast<long long>(span % 60)});
        return seconds < 0 ? "-" + text : text;
    } catch (const std::exception&) {
        return "0000:00:00";
    }
}

namespace {

// "hh:nn:ss" (at least 8 characters, digits and exactly two ":").
bool IsTimeSpanText(const AnsiString& text) {
    if (text.size() < 8) return false;
    int colons = 0;
    for (char c : text) {
        if (c == ':')
            ++colons;
        else if (c < '0' || c > '9')
            return false;
    }
    return colons == 2;
}

bool TimeSpanSeconds(const AnsiString& text, Int64& seconds) {
    Int64 hours, minutes, secs;
    if (!TryStrToInt64(GetToken(text, ":", 1), hours) || !TryStrToInt64(GetToken(text, ":", 2), minutes) ||
        !TryStrToInt64(GetToken(text, ":", 3), secs))
        return false;
    Int64 total;
    return !__builtin_mul_overflow(hours, Int64{3600}, &total) &&
           !__builtin_mul_overflow(minutes, Int64{60}, &minutes) &&
           !__builtin_add_overflow(total, minutes, &total) && !__builtin_add_overflow(total, secs, &seconds);
}

} // namespace

Variant AddTimeStr(const AnsiString& first, const AnsiString& second, int sign) {
    try {
        const AnsiString a = Trim(first), b = Trim(second);
        Int64 secondsA, secondsB, total;
        if (IsTimeSpanText(a) && IsTimeSpanText(b) && (sign == 1 || sign == -1) &&
            TimeSpanSeconds(a, secondsA) && TimeSpanSeconds(b, secondsB) &&
            !__builtin_mul_overflow(secondsB, Int64{sign}, &secondsB) &&
            !__builtin_add_overflow(secondsA, secondsB, &total))
            return VarArrayOf({Variant(static_cast<long long>(total)), Variant(SecondsToTimeStr(total))});
        return VarArrayOf({Variant(0), Variant("000:00:00")});
    } catch (const std::exception&) {
        return Variant();
    }
}

// ---------------------------------------------------------------------------------------------------
// Variants and code pages

AnsiString WideToAnsiCP(const WideString& text, unsigned codePage) {
    const int length = WideCharToMultiByte(codePage, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                           nullptr, nullptr);
    return length > 0 ? WideToAnsi(text, codePage) : WideToAnsi(text);
}

WideString AnsiToWideCP(const AnsiString& text, unsigned codePage) {
    const int length = MultiByteToWideChar(codePage, text.data(), static_cast<int>(text.size()), nullptr, 0);
    return length > 0 ? AnsiToWide(text, codePage) : AnsiToWide(text);
}

namespace {

enum class TDirection { WideToAnsi, AnsiToWide };

// A string element of the kind that the direction converts; other values as they are.
Variant ConvertString(const Variant& value, TDirection direction, unsigned codePage, bool byteStringsToo) {
    const TVarType type = VarType(value);
    if (direction == TDirection::WideToAnsi) {
        // A byte string is in the system code page: through UTF-16 into the wanted one.
        if (type == varOleStr || (byteStringsToo && type == varString))
            return Variant(WideToAnsiCP(value.AsWideString(), codePage));
    } else if (type == varString) {
        return Variant(AnsiToWideCP(value.AsString(), codePage));
    }
    return value;
}

Variant ConvertArray(const Variant& value, TDirection direction, unsigned codePage) {
    const int dims = VarArrayDimCount(value);
    if (dims < 1 || dims > 2) return value;
    // A converted string does not keep its new kind in an array of strings: such an array becomes an
    // array of Variants of the same bounds.
    const TVarType elementType = VarType(value) & varTypeMask;
    const TVarType fromType = direction == TDirection::WideToAnsi ? varOleStr : varString;
    Variant result = value;
    std::vector<int> bounds;
    for (int d = 1; d <= dims; ++d) {
        bounds.push_back(VarArrayLowBound(value, d));
        bounds.push_back(VarArrayHighBound(value, d));
    }
    if (elementType == fromType)
        result = VarArrayCreate(bounds, varVariant);
    else if (elementType != varVariant)
        return value;

    if (dims == 1) {
        for (int i = bounds[0]; i <= bounds[1]; ++i) {
            const Variant element = value.GetElement({i});
            if (VarIsArray(element))
                result.PutElement({i}, ConvertArray(element, direction, codePage));
            else
                result.PutElement({i}, ConvertString(element, direction, codePage, false));
        }
    } else {
        for (int i = bounds[0]; i <= bounds[1]; ++i)
            for (int j = bounds[2]; j <= bounds[3]; ++j)
                result.PutElement({i, j},
                                  ConvertString(value.GetElement({i, j}), direction, codePage, false));
    }
    return result;
}

AnsiString MessageOf(const std::exception& e) {
    if (const auto* classLibrary = dynamic_cast<const Exception*>(&e)) return classLibrary->Message();
    return e.what();
}

// The conversion of a whole value, written to the alert log when it fails; the value then comes back
// as it was.
Variant ConvertValue(const Variant& value, TDirection direction, unsigned codePage, bool arraysOnly) {
    Variant result = value;
    try {
        if (VarIsArray(value)) return ConvertArray(value, direction, codePage);
        if (arraysOnly || VarIsEmpty(value) || VarIsNull(value)) return result;
        return ConvertString(value, direction, codePage, true);
    } catch (const std::exception& e) {
        const char* line = direction == TDirection::WideToAnsi ? "LINE[2735] " : "LINE[115] ";
        WriteAlertLog("libstrs", line + MessageOf(e), 'D');
    } catch (...) {
    }
    return result;
}

} // namespace

Variant VarWideToAnsi(const Variant& value, unsigned codePage) {
    return ConvertValue(value, TDirection::WideToAnsi, codePage, false);
}

Variant VarAnsiToWide(const Variant& value, unsigned codePage) {
    return ConvertValue(value, TDirection::AnsiToWide, codePage, false);
}

Variant VarArrayWideToAnsi(const Variant& value, unsigned codePage) {
    return ConvertValue(value, TDirection::WideToAnsi, codePage, true);
}

Variant VarArrayAnsiToWide(const Variant& value, unsigned codePage) {
    return ConvertValue(value, TDirection::AnsiToWide, codePage, true);
}

Variant IifVariant(bool condition, const Variant& a, const Variant& b) {
    return condition ? a : b;
}

bool VarIsEmptyOrNull(const Variant& value) {
    return VarIsEmpty(value) || VarIsNull(value);
}

// ---------------------------------------------------------------------------------------------------
// Button captions

AnsiString LocalizeButtonCaption(const AnsiString& name) {
    static const struct {
        const char* name;
        const char* caption;
    } captions[] = {
        {"Yes", "是(&Y)"},       {"No", "否(&N)"},         {"OK", "确定"},         {"Cancel", "取消"},
        {"Abort", "中断(&A)"},   {"Retry", "重试(&R)"},    {"Ignore", "忽略(&I)"}, {"All", "全部(&A)"},
        {"NoToAll", "全否(&o)"}, {"YesToAll", "全是(&A)"}, {"Help", "帮助(&H)"},
    };
    for (const auto& c : captions)
        if (name == c.name) return c.caption;
    return name;
}
