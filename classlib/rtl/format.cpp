#include "classlib/rtl/format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "classlib/rtl/codepages.h"
#include "classlib/rtl/exceptions.h"
#include "classlib/rtl/strutils.h"

namespace {

// Digits of a number as 0.D1D2D3... x 10^Exponent, without trailing zeros (none at all for zero).
struct TDecimal {
    bool Negative = false;
    int Exponent = 0;
    std::string Digits;
    bool IsZero() const { return Digits.empty(); }
};

void StripTrailingZeros(TDecimal& d) {
    while (!d.Digits.empty() && d.Digits.back() == '0')
        d.Digits.pop_back();
    if (d.Digits.empty()) d.Exponent = 0;
}

// The decimal expansion of the double, to far more digits than it holds.
TDecimal ExactDecimal(double value) {
    TDecimal d;
    if (value == 0) return d;
    d.Negative = std::signbit(value);
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.40e", std::fabs(value));
    const char* p = buffer;
    d.Digits += *p++;
    if (*p == '.') ++p;
    while (*p >= '0' && *p <= '9')
        d.Digits += *p++;
    if (*p == 'e') d.Exponent = std::atoi(p + 1) + 1;
    StripTrailingZeros(d);
    return d;
}

// Keeps keep significant digits, rounding half away from zero as the class library did.
void RoundDigits(TDecimal& d, int keep) {
    if (keep >= static_cast<int>(d.Digits.size())) return;
    if (keep < 0) {
        d.Digits.clear();
        d.Exponent = 0;
        return;
    }
    const bool up = d.Digits[static_cast<std::size_t>(keep)] >= '5';
    d.Digits.resize(static_cast<std::size_t>(keep));
    if (up) {
        int i = keep - 1;
        while (i >= 0 && d.Digits[static_cast<std::size_t>(i)] == '9')
            d.Digits[static_cast<std::size_t>(i--)] = '0';
        if (i < 0) {
            d.Digits.insert(d.Digits.begin(), '1');
            ++d.Exponent;
        } else {
            ++d.Digits[static_cast<std::size_t>(i)];
        }
    }
    StripTrailingZeros(d);
}

// The value rounded to at most precision significant digits and at most decimals digits after the
// point. Up to 15 digits the value is first taken to 15 digits, the most a double holds, so that 2.675
// rounds as the 2.675 it was written as and not as the 2.67499999... it is stored as.
TDecimal FloatToDecimal(double value, int precision, int decimals) {
    TDecimal d = ExactDecimal(value);
    if (d.IsZero()) return d;
    if (precision <= 15) RoundDigits(d, 15);
    const long keep = std::min<long>(precision, static_cast<long>(d.Exponent) + decimals);
    RoundDigits(d, static_cast<int>(std::max<long>(keep, -1)));
    if (d.IsZero()) d.Negative = false;
    return d;
}

AnsiString SpecialText(double value) {
    if (std::isnan(value)) return "NAN";
    return value < 0 ? "-INF" : "INF";
}

AnsiString ExponentText(int exponent, int minDigits, bool alwaysSign) {
    AnsiString text = std::to_string(exponent < 0 ? -exponent : exponent);
    if (static_cast<int>(text.size()) < minDigits)
        text.insert(0, static_cast<std::size_t>(minDigits) - text.size(), '0');
    if (exponent < 0)
        text.insert(0, 1, '-');
    else if (alwaysSign)
        text.insert(0, 1, '+');
    return text;
}

// Groups the integer digits by three.
AnsiString GroupThousands(const AnsiString& digits) {
    AnsiString out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        out += digits[i];
        const std::size_t left = digits.size() - 1 - i;
        if (left > 0 && left % 3 == 0) out += ',';
    }
    return out;
}

AnsiString GeneralText(double value, int precision, int expDigits) {
    if (!std::isfinite(value)) return SpecialText(value);
    precision = std::clamp(precision, 1, 18);
    expDigits = std::clamp(expDigits, 0, 4);
    const TDecimal d = FloatToDecimal(value, precision, 9999);
    if (d.IsZero()) return "0";
    AnsiString out = d.Negative ? "-" : "";
    const int n = static_cast<int>(d.Digits.size());
    if (d.Exponent > precision || d.Exponent < -4) {
        out += d.Digits[0];
        if (n > 1) out += "." + d.Digits.substr(1);
        out += "E" + ExponentText(d.Exponent - 1, expDigits, false);
    } else if (d.Exponent <= 0) {
        out += "0." + AnsiString(static_cast<std::size_t>(-d.Exponent), '0') + d.Digits;
    } else {
        if (n <= d.Exponent) {
            out += d.Digits + AnsiString(static_cast<std::size_t>(d.Exponent - n), '0');
        } else {
            out += d.Digits.substr(0, static_cast<std::size_t>(d.Exponent)) + "." +
                   d.Digits.substr(static_cast<std::size_t>(d.Exponent));
        }
    }
    return out;
}

AnsiString ExponentFormText(double value, int precision, int expDigits) {
    if (!std::isfinite(value)) return SpecialText(value);
    precision = std::clamp(precision, 1, 18);
    expDigits = std::clamp(expDigits, 0, 4);
    const TDecimal d = FloatToDecimal(value, precision, 9999);
    AnsiString digits = d.Digits;
    digits.resize(static_cast<std::size_t>(precision), '0');
    AnsiString out = d.Negative ? "-" : "";
    out += digits[0];
    if (precision > 1) out += "." + digits.substr(1);
    out += "E" + ExponentText(d.IsZero() ? 0 : d.Exponent - 1, expDigits, true);
    return out;
}

// Fixed notation with decimals digits after the point; a value with more than threshold digits before
// the point is written in general form instead.
AnsiString FixedText(double value, int precision, int threshold, int decimals, bool thousands) {
    if (!std::isfinite(value)) return SpecialText(value);
    precision = std::clamp(precision, 1, 18);
    decimals = std::clamp(decimals, 0, 18);
    const TDecimal d = FloatToDecimal(value, precision, decimals);
    if (d.Exponent > threshold) return GeneralText(value, precision, 0);
    AnsiString intPart;
    if (d.Exponent > 0) {
        intPart =
            d.Digits.substr(0, std::min<std::size_t>(d.Digits.size(), static_cast<std::size_t>(d.Exponent)));
        intPart.resize(static_cast<std::size_t>(d.Exponent), '0');
    } else {
        intPart = "0";
    }
    AnsiString out = d.Negative ? "-" : "";
    out += thousands ? GroupThousands(intPart) : intPart;
    if (decimals > 0) {
        out += '.';
        for (int k = 0; k < decimals; ++k) {
            const int index = d.Exponent + k;
            out += index >= 0 && index < static_cast<int>(d.Digits.size())
                       ? d.Digits[static_cast<std::size_t>(index)]
                       : '0';
        }
    }
    return out;
}

// ---- FormatFloat ----

// What a pattern section asks for: digit placeholders before and after the point, the digits that must
// show, thousands grouping and an exponent.
struct TSectionInfo {
    int IntPlaceholders = 0;
    int MinIntDigits = 0;
    int FracPlaceholders = 0;
    int MinFracDigits = 0;
    bool Thousands = false;
    bool Scientific = false;
};

// Calls visit(kind, position, length) for each element of a section: 'q' quoted literal (content),
// 'l' literal byte or double-byte character, '0' '#' '.' ',' and 'E' (the exponent with its sign and
// digits: position of the E, length including them).
template <class Visit> void WalkSection(const AnsiString& s, Visit visit) {
    std::size_t i = 0;
    bool scientificSeen = false;
    while (i < s.size()) {
        const char c = s[i];
        if (CharLength(s, i) == 2) {
            visit('l', i, 2);
            i += 2;
        } else if (c == '\'' || c == '"') {
            std::size_t j = i + 1;
            while (j < s.size() && s[j] != c)
                j += CharLength(s, j);
            visit('q', i + 1, std::min(j, s.size()) - i - 1);
            i = j < s.size() ? j + 1 : s.size();
        } else if (!scientificSeen && (c == 'E' || c == 'e') && i + 1 < s.size() &&
                   (s[i + 1] == '+' || s[i + 1] == '-')) {
            std::size_t j = i + 2;
            while (j < s.size() && s[j] == '0' && j - i - 2 < 4)
                ++j;
            visit('E', i, j - i);
            scientificSeen = true;
            i = j;
        } else if (!scientificSeen && (c == '0' || c == '#' || c == '.' || c == ',')) {
            visit(c, i, 1);
            ++i;
        } else {
            visit('l', i, 1);
            ++i;
        }
    }
}

TSectionInfo AnalyseSection(const AnsiString& s) {
    TSectionInfo info;
    bool afterPoint = false;
    int firstZero = -1;
    WalkSection(s, [&](char kind, std::size_t, std::size_t) {
        switch (kind) {
        case '0':
        case '#':
            if (afterPoint) {
                ++info.FracPlaceholders;
                if (kind == '0') info.MinFracDigits = info.FracPlaceholders;
            } else {
                if (kind == '0' && firstZero < 0) firstZero = info.IntPlaceholders;
                ++info.IntPlaceholders;
            }
            break;
        case '.':
            afterPoint = true;
            break;
        case ',':
            info.Thousands = true;
            break;
        case 'E':
            info.Scientific = true;
            break;
        default:
            break;
        }
    });
    if (firstZero >= 0) info.MinIntDigits = info.IntPlaceholders - firstZero;
    return info;
}

// The digits that a section shows for a value; Zero tells whether they are all zeros.
struct TSectionDigits {
    AnsiString IntDigits;
    AnsiString FracDigits;
    int Exponent = 0;
    bool Zero = true;
    bool TooLarge = false;
};

TSectionDigits SectionDigits(const TSectionInfo& info, double magnitude) {
    TSectionDigits out;
    TDecimal d;
    if (info.Scientific) {
        const int significant = std::clamp(info.IntPlaceholders + info.FracPlaceholders, 1, 18);
        d = FloatToDecimal(magnitude, significant, 9999);
        AnsiString digits = d.Digits;
        if (!d.IsZero()) out.Exponent = d.Exponent - info.IntPlaceholders;
        digits.resize(static_cast<std::size_t>(info.IntPlaceholders + info.FracPlaceholders), '0');
        out.IntDigits = digits.substr(0, static_cast<std::size_t>(info.IntPlaceholders));
        out.FracDigits = digits.substr(static_cast<std::size_t>(info.IntPlaceholders));
        if (d.IsZero()) out.IntDigits.clear();
    } else {
        d = FloatToDecimal(magnitude, 15, info.FracPlaceholders);
        if (d.Exponent > 18) {
            out.TooLarge = true;
            return out;
        }
        if (d.Exponent > 0) {
            out.IntDigits = d.Digits.substr(
                0, std::min<std::size_t>(d.Digits.size(), static_cast<std::size_t>(d.Exponent)));
            out.IntDigits.resize(static_cast<std::size_t>(d.Exponent), '0');
        }
        for (int k = 0; k < info.FracPlaceholders; ++k) {
            const int index = d.Exponent + k;
            out.FracDigits += index >= 0 && index < static_cast<int>(d.Digits.size())
                                  ? d.Digits[static_cast<std::size_t>(index)]
                                  : '0';
        }
    }
    out.Zero = d.IsZero();
    if (static_cast<int>(out.IntDigits.size()) < info.MinIntDigits)
        out.IntDigits.insert(0, static_cast<std::size_t>(info.MinIntDigits) - out.IntDigits.size(), '0');
    while (static_cast<int>(out.FracDigits.size()) > info.MinFracDigits && out.FracDigits.back() == '0')
        out.FracDigits.pop_back();
    return out;
}

AnsiString RenderSection(const AnsiString& s, const TSectionInfo& info, const TSectionDigits& digits,
                         bool negative) {
    AnsiString out = negative ? "-" : "";
    const int n = static_cast<int>(digits.IntDigits.size());
    const bool thousands = info.Thousands && !info.Scientific;
    int intIndex = 0;
    int fracIndex = 0;
    bool afterPoint = false;
    bool intWritten = false;
    bool pointWritten = false;
    auto writeIntDigit = [&](int index) {
        out += digits.IntDigits[static_cast<std::size_t>(index)];
        const int left = n - 1 - index;
        if (thousands && left > 0 && left % 3 == 0) out += ',';
    };
    // With no placeholder before the point the integer digits go just before it.
    auto writeIntIfNone = [&] {
        if (info.IntPlaceholders == 0 && !intWritten) {
            for (int k = 0; k < n; ++k)
                writeIntDigit(k);
            intWritten = true;
        }
    };
    WalkSection(s, [&](char kind, std::size_t pos, std::size_t len) {
        switch (kind) {
        case '0':
        case '#':
            if (!afterPoint) {
                const int j = n - info.IntPlaceholders + intIndex;
                if (intIndex == 0) {
                    for (int k = 0; k <= j; ++k)
                        writeIntDigit(k);
                } else if (j >= 0) {
                    writeIntDigit(j);
                }
                intWritten = true;
                ++intIndex;
            } else {
                writeIntIfNone();
                if (fracIndex < static_cast<int>(digits.FracDigits.size())) {
                    if (!pointWritten) out += '.';
                    pointWritten = true;
                    out += digits.FracDigits[static_cast<std::size_t>(fracIndex)];
                }
                ++fracIndex;
            }
            break;
        case '.':
            writeIntIfNone();
            afterPoint = true;
            break;
        case ',':
            break;
        case 'E':
            writeIntIfNone();
            out += s[pos];
            out += ExponentText(digits.Exponent, static_cast<int>(len) - 2, s[pos + 1] == '+');
            break;
        default:
            out.append(s, pos, len);
            break;
        }
    });
    return out;
}

std::vector<AnsiString> SplitSections(const AnsiString& format) {
    std::vector<AnsiString> sections(1);
    char quote = 0;
    for (std::size_t i = 0; i < format.size();) {
        const int len = CharLength(format, i);
        const char c = format[i];
        if (len == 1 && quote == 0 && c == ';' && sections.size() < 3) {
            sections.emplace_back();
        } else {
            if (len == 1 && (c == '\'' || c == '"')) quote = quote == 0 ? c : (quote == c ? 0 : quote);
            sections.back().append(format, i, static_cast<std::size_t>(len));
        }
        i += static_cast<std::size_t>(len);
    }
    return sections;
}

// ---- integer texts ----

bool ParseInteger(const AnsiString& text, bool wide, Int64& value) {
    const AnsiString s = Trim(text);
    std::size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    bool hex = false;
    if (i < s.size() && s[i] == '$') {
        hex = true;
        ++i;
    } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        hex = true;
        i += 2;
    } else if (i < s.size() && (s[i] == 'x' || s[i] == 'X')) {
        hex = true;
        ++i;
    }
    if (i >= s.size()) return false;
    const std::uint64_t limit = hex ? (wide ? UINT64_MAX : 0xFFFFFFFFull)
                                    : (wide ? (negative ? 0x8000000000000000ull : 0x7FFFFFFFFFFFFFFFull)
                                            : (negative ? 0x80000000ull : 0x7FFFFFFFull));
    const unsigned base = hex ? 16 : 10;
    std::uint64_t magnitude = 0;
    for (; i < s.size(); ++i) {
        const char c = s[i];
        unsigned digit;
        if (c >= '0' && c <= '9')
            digit = static_cast<unsigned>(c - '0');
        else if (hex && c >= 'a' && c <= 'f')
            digit = static_cast<unsigned>(c - 'a' + 10);
        else if (hex && c >= 'A' && c <= 'F')
            digit = static_cast<unsigned>(c - 'A' + 10);
        else
            return false;
        if (magnitude > (limit - digit) / base) return false;
        magnitude = magnitude * base + digit;
    }
    if (hex && !wide) {
        // Hexadecimal covers the whole 32-bit pattern: $FFFFFFFF is -1.
        const auto bits = static_cast<std::int32_t>(static_cast<std::uint32_t>(magnitude));
        value = negative ? -static_cast<Int64>(bits) : bits;
    } else {
        const auto bits = static_cast<Int64>(magnitude);
        value = negative ? static_cast<Int64>(0 - magnitude) : bits;
    }
    return true;
}

AnsiString InvalidInteger(const AnsiString& text) {
    return "'" + text + "' is not a valid integer value";
}

AnsiString HexText(std::uint64_t bits, int digits) {
    static const char hexDigits[] = "0123456789ABCDEF";
    AnsiString out;
    do {
        out.insert(out.begin(), hexDigits[bits & 0xF]);
        bits >>= 4;
    } while (bits != 0);
    if (static_cast<int>(out.size()) < digits)
        out.insert(0, static_cast<std::size_t>(digits) - out.size(), '0');
    return out;
}

// ---- Format ----

constexpr int MaxFieldWidth = 1 << 20;

class TFormatter {
public:
    TFormatter(const AnsiString& format, const TVarRec* args, std::size_t count)
        : FFormat(format), FArgs(args), FCount(count) {}

    AnsiString Run() {
        AnsiString out;
        std::size_t i = 0;
        const std::size_t n = FFormat.size();
        while (i < n) {
            const int len = CharLength(FFormat, i);
            if (len == 2 || FFormat[i] != '%') {
                out.append(FFormat, i, static_cast<std::size_t>(len));
                i += static_cast<std::size_t>(len);
                continue;
            }
            ++i;
            if (i < n && FFormat[i] == '%') {
                out += '%';
                ++i;
                continue;
            }
            out += Directive(i);
        }
        return out;
    }

private:
    [[noreturn]] void Invalid() const {
        throw EConvertError("Format '" + FFormat + "' invalid or incompatible with argument");
    }

    const TVarRec& NextArg() {
        if (FNext >= FCount) throw EConvertError("No argument for format '" + FFormat + "'");
        return FArgs[FNext++];
    }

    // A number written in the directive, or "*" for the next argument; -1 when there is none.
    int ReadNumber(std::size_t& i, bool allowNegative) {
        if (i < FFormat.size() && FFormat[i] == '*') {
            ++i;
            const TVarRec& arg = NextArg();
            if (arg.Kind() != vtInteger && arg.Kind() != vtInt64) Invalid();
            const Int64 v = arg.Value().AsInt64();
            if (v > MaxFieldWidth || v < (allowNegative ? -MaxFieldWidth : 0)) Invalid();
            return static_cast<int>(v);
        }
        if (i >= FFormat.size() || FFormat[i] < '0' || FFormat[i] > '9') return -1;
        long value = 0;
        while (i < FFormat.size() && FFormat[i] >= '0' && FFormat[i] <= '9') {
            value = value * 10 + (FFormat[i++] - '0');
            if (value > MaxFieldWidth) Invalid();
        }
        return static_cast<int>(value);
    }

    AnsiString Directive(std::size_t& i) {
        // An index ("%1:s") sets the argument of this directive and of the ones after it.
        if (i < FFormat.size() && FFormat[i] >= '0' && FFormat[i] <= '9') {
            std::size_t j = i;
            const int index = ReadNumber(j, false);
            if (j < FFormat.size() && FFormat[j] == ':') {
                FNext = static_cast<std::size_t>(index);
                i = j + 1;
            }
        }
        bool left = false;
        if (i < FFormat.size() && FFormat[i] == '-') {
            left = true;
            ++i;
        }
        int width = ReadNumber(i, true);
        if (width < -1) {
            left = true;
            width = -width;
        }
        int precision = -1;
        if (i < FFormat.size() && FFormat[i] == '.') {
            ++i;
            precision = ReadNumber(i, false);
            if (precision < 0) precision = 0;
        }
        if (i >= FFormat.size()) Invalid();
        const char type =
            static_cast<char>(FFormat[i] >= 'A' && FFormat[i] <= 'Z' ? FFormat[i] + 32 : FFormat[i]);
        ++i;
        AnsiString text = Convert(type, precision, NextArgFor(type));
        if (width > static_cast<int>(text.size())) {
            const std::size_t pad = static_cast<std::size_t>(width) - text.size();
            if (left)
                text.append(pad, ' ');
            else
                text.insert(0, pad, ' ');
        }
        return text;
    }

    const TVarRec& NextArgFor(char type) {
        if (std::string_view("duxefgnps").find(type) == std::string_view::npos) Invalid();
        return NextArg();
    }

    static AnsiString ZeroPad(AnsiString digits, int precision) {
        if (precision > static_cast<int>(digits.size()))
            digits.insert(0, static_cast<std::size_t>(precision) - digits.size(), '0');
        return digits;
    }

    AnsiString Convert(char type, int precision, const TVarRec& arg) {
        const TVarRecKind kind = arg.Kind();
        switch (type) {
        case 'd':
        case 'u':
        case 'x': {
            if (kind != vtInteger && kind != vtInt64 && kind != vtVariant) Invalid();
            const Int64 value = arg.Value().AsInt64();
            const bool narrow = kind == vtInteger || (kind == vtVariant && arg.Value().VType() != varInt64 &&
                                                      value >= INT32_MIN && value <= INT32_MAX);
            std::uint64_t bits = static_cast<std::uint64_t>(value);
            if (narrow) bits = static_cast<std::uint32_t>(static_cast<std::int32_t>(value));
            if (type == 'x') return ZeroPad(HexText(bits, 0), precision);
            if (type == 'u' || arg.IsUnsigned()) return ZeroPad(std::to_string(bits), precision);
            const std::uint64_t magnitude =
                value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
            return (value < 0 ? "-" : "") + ZeroPad(std::to_string(magnitude), precision);
        }
        case 'e':
        case 'f':
        case 'g':
        case 'n': {
            if (kind != vtExtended && kind != vtVariant) Invalid();
            const double value = arg.Value().AsFloat();
            switch (type) {
            case 'e':
                return ExponentFormText(value, precision < 0 ? 15 : precision, 3);
            case 'g':
                return GeneralText(value, precision < 0 ? 15 : precision, 3);
            default:
                return FixedText(value, 15, 18, precision < 0 ? 2 : precision, type == 'n');
            }
        }
        case 'p':
            if (kind != vtPointer) Invalid();
            return HexText(reinterpret_cast<std::uintptr_t>(arg.Pointer()),
                           static_cast<int>(sizeof(void*) * 2));
        default: { // 's'
            AnsiString text;
            switch (kind) {
            case vtString:
            case vtChar:
            case vtWideString:
            case vtVariant:
                text = arg.Value().AsString();
                break;
            case vtBoolean:
                text = BoolToStr(arg.Value().AsBoolean(), true);
                break;
            default:
                Invalid();
            }
            if (precision >= 0 && precision < static_cast<int>(text.size())) {
                // Cut before a double-byte character rather than through it.
                std::size_t cut = 0;
                while (cut < text.size()) {
                    const std::size_t next = cut + static_cast<std::size_t>(CharLength(text, cut));
                    if (next > static_cast<std::size_t>(precision)) break;
                    cut = next;
                }
                text.resize(cut);
            }
            return text;
        }
        }
    }

    const AnsiString& FFormat;
    const TVarRec* FArgs;
    std::size_t FCount;
    std::size_t FNext = 0;
};

} // namespace

AnsiString Format(const AnsiString& format, std::initializer_list<TVarRec> args) {
    return TFormatter(format, args.begin(), args.size()).Run();
}

AnsiString Format(const AnsiString& format, const std::vector<TVarRec>& args) {
    return TFormatter(format, args.data(), args.size()).Run();
}

AnsiString FormatFloat(const AnsiString& format, double value) {
    if (!std::isfinite(value)) return SpecialText(value);
    if (format.empty()) return FloatToStr(value);
    const std::vector<AnsiString> sections = SplitSections(format);
    const bool hasNegative = sections.size() > 1 && !sections[1].empty();
    const bool hasZero = sections.size() > 2 && !sections[2].empty();
    const double magnitude = std::fabs(value);

    auto render = [&](const AnsiString& section, bool minus, bool& zero, bool& tooLarge) {
        const TSectionInfo info = AnalyseSection(section);
        const TSectionDigits digits = SectionDigits(info, magnitude);
        zero = digits.Zero;
        tooLarge = digits.TooLarge;
        return tooLarge ? AnsiString() : RenderSection(section, info, digits, minus && !digits.Zero);
    };

    bool zero = false, tooLarge = false;
    AnsiString result;
    if (value == 0 && hasZero) return render(sections[2], false, zero, tooLarge);
    if (value < 0 && hasNegative) {
        result = render(sections[1], false, zero, tooLarge);
        // A negative value that rounds to zero is shown as zero, not as a negative.
        if (zero && !tooLarge) result = render(sections[0], false, zero, tooLarge);
    } else {
        result = render(sections[0], value < 0, zero, tooLarge);
    }
    if (tooLarge) return FloatToStr(value);
    if (zero && hasZero) return render(sections[2], false, zero, tooLarge);
    return result;
}

AnsiString FloatToStr(double value) {
    return GeneralText(value, 15, 0);
}

AnsiString FloatToStrF(double value, TFloatFormat format, int precision, int digits) {
    switch (format) {
    case ffExponent:
        return ExponentFormText(value, precision, digits);
    case ffFixed:
        return FixedText(value, precision, std::clamp(precision, 1, 18), digits, false);
    case ffNumber:
        return FixedText(value, precision, std::clamp(precision, 1, 18), digits, true);
    default:
        return GeneralText(value, precision, digits);
    }
}

AnsiString IntToStr(int value) {
    return std::to_string(value);
}
AnsiString IntToStr(unsigned value) {
    return std::to_string(value);
}
AnsiString IntToStr(long value) {
    return std::to_string(value);
}
AnsiString IntToStr(unsigned long value) {
    return std::to_string(value);
}
AnsiString IntToStr(long long value) {
    return std::to_string(value);
}
AnsiString IntToStr(unsigned long long value) {
    return std::to_string(value);
}

AnsiString IntToHex(int value, int digits) {
    return HexText(static_cast<std::uint32_t>(value), digits);
}
AnsiString IntToHex(unsigned value, int digits) {
    return HexText(value, digits);
}
AnsiString IntToHex(long value, int digits) {
    return HexText(static_cast<std::uint64_t>(value), digits);
}
AnsiString IntToHex(unsigned long value, int digits) {
    return HexText(value, digits);
}
AnsiString IntToHex(long long value, int digits) {
    return HexText(static_cast<std::uint64_t>(value), digits);
}
AnsiString IntToHex(unsigned long long value, int digits) {
    return HexText(value, digits);
}

bool TryStrToInt(const AnsiString& text, int& value) {
    Int64 result;
    if (!ParseInteger(text, false, result)) return false;
    value = static_cast<int>(result);
    return true;
}

int StrToInt(const AnsiString& text) {
    int result;
    if (!TryStrToInt(text, result)) throw EConvertError(InvalidInteger(text));
    return result;
}

int StrToIntDef(const AnsiString& text, int defaultValue) {
    int result;
    return TryStrToInt(text, result) ? result : defaultValue;
}

bool TryStrToInt64(const AnsiString& text, Int64& value) {
    return ParseInteger(text, true, value);
}

Int64 StrToInt64(const AnsiString& text) {
    Int64 result;
    if (!TryStrToInt64(text, result)) throw EConvertError(InvalidInteger(text));
    return result;
}

Int64 StrToInt64Def(const AnsiString& text, Int64 defaultValue) {
    Int64 result;
    return TryStrToInt64(text, result) ? result : defaultValue;
}

bool TryStrToFloat(const AnsiString& text, double& value) {
    const AnsiString s = Trim(text);
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    const std::size_t numberStart = i;
    std::size_t mantissaDigits = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9')
        ++i, ++mantissaDigits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9')
            ++i, ++mantissaDigits;
    }
    if (mantissaDigits == 0) return false;
    bool negativeExponent = false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) negativeExponent = s[i++] == '-';
        std::size_t exponentDigits = 0;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9')
            ++i, ++exponentDigits;
        if (exponentDigits == 0) return false;
    }
    if (i != s.size()) return false;
    double result = 0;
    const auto [end, error] = std::from_chars(s.data() + numberStart, s.data() + s.size(), result);
    if (end != s.data() + s.size()) return false;
    if (error == std::errc::result_out_of_range) {
        if (!negativeExponent) return false; // overflow
        result = 0;                          // underflow reads as zero
    } else if (error != std::errc()) {
        return false;
    }
    value = numberStart > 0 && s[0] == '-' ? -result : result;
    return true;
}

double StrToFloat(const AnsiString& text) {
    double result;
    if (!TryStrToFloat(text, result))
        throw EConvertError("'" + text + "' is not a valid floating point value");
    return result;
}

double StrToFloatDef(const AnsiString& text, double defaultValue) {
    double result;
    return TryStrToFloat(text, result) ? result : defaultValue;
}

AnsiString BoolToStr(bool value, bool useBoolStrs) {
    if (useBoolStrs) return value ? "True" : "False";
    return value ? "-1" : "0";
}

bool TryStrToBool(const AnsiString& text, bool& value) {
    const AnsiString s = Trim(text);
    if (SameText(s, "True")) {
        value = true;
        return true;
    }
    if (SameText(s, "False")) {
        value = false;
        return true;
    }
    double number;
    if (!TryStrToFloat(s, number)) return false;
    value = number != 0;
    return true;
}

bool StrToBool(const AnsiString& text) {
    bool result;
    if (!TryStrToBool(text, result)) throw EConvertError("'" + text + "' is not a valid boolean value");
    return result;
}

bool StrToBoolDef(const AnsiString& text, bool defaultValue) {
    bool result;
    return TryStrToBool(text, result) ? result : defaultValue;
}
