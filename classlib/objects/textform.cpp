#include "classlib/objects/textform.h"

#include <charconv>
#include <cmath>
#include <cstring>

#include "classlib/rtl/codepages.h"
#include "classlib/rtl/strutils.h"

namespace {

constexpr int MaxNesting = 200;
constexpr std::size_t StringPart = 64; // bytes of a long string per written line

// ---- text to binary ----

enum TToken { toEOF, toSymbol, toString, toWString, toInteger, toFloat, toChar };

class TTextToBinary {
public:
    TTextToBinary(const AnsiString& text, TLineMap* lines) : FText(text), FLines(lines) {}

    AnsiString Convert() {
        Next();
        FOut.append(FilerSignature, 4);
        ConvertObject();
        if (FToken != toEOF) Error("End of text expected but " + TokenText() + " found");
        return FOut;
    }

private:
    [[noreturn]] void Error(const AnsiString& reason) {
        AnsiString what = FObject.empty() ? AnsiString("stream") : FObject;
        if (!FProp.empty()) what += "." + FProp;
        throw EReadError("Error reading " + what + " at line " + std::to_string(FTokenLine) + ": " + reason);
    }

    AnsiString TokenText() const {
        switch (FToken) {
        case toEOF:
            return "end of text";
        case toString:
        case toWString:
            return "string";
        case toChar:
            return "'" + FValue + "'";
        default:
            return "'" + FValue + "'";
        }
    }

    char Peek(std::size_t ahead = 0) const {
        return FPos + ahead < FText.size() ? FText[FPos + ahead] : '\0';
    }
    bool AtEnd(std::size_t ahead = 0) const { return FPos + ahead >= FText.size(); }

    static bool IsIdentStart(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
    static bool IsIdentChar(char c) { return IsIdentStart(c) || (c >= '0' && c <= '9'); }
    static bool IsDigit(char c) { return c >= '0' && c <= '9'; }
    static bool IsHex(char c) { return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

    void SkipBlanks() {
        while (!AtEnd()) {
            char c = Peek();
            if (c == '\n') {
                ++FLine;
                ++FPos;
            } else if (static_cast<unsigned char>(c) <= ' ') {
                ++FPos;
            } else {
                break;
            }
        }
    }

    void Next() {
        SkipBlanks();
        FTokenLine = FLine;
        FValue.clear();
        FWide.clear();
        if (AtEnd()) {
            FToken = toEOF;
            return;
        }
        char c = Peek();
        if (IsIdentStart(c)) {
            std::size_t start = FPos;
            while (!AtEnd() && (IsIdentChar(Peek()) || (Peek() == '.' && IsIdentStart(Peek(1)))))
                ++FPos;
            FValue = FText.substr(start, FPos - start);
            FToken = toSymbol;
        } else if (c == '\'' || c == '#') {
            ReadStringToken();
        } else if (IsDigit(c) || c == '$' ||
                   ((c == '-' || c == '+') && (IsDigit(Peek(1)) || Peek(1) == '$'))) {
            ReadNumber();
        } else {
            FValue = AnsiString(1, c);
            ++FPos;
            FToken = toChar;
        }
    }

    void ReadNumber() {
        std::size_t start = FPos;
        bool negative = false;
        if (Peek() == '-' || Peek() == '+') {
            negative = Peek() == '-';
            ++FPos;
        }
        if (Peek() == '$') {
            ++FPos;
            std::size_t digits = FPos;
            while (!AtEnd() && IsHex(Peek()))
                ++FPos;
            if (FPos == digits || FPos - digits > 16) Error("Invalid number");
            std::uint64_t u = 0;
            std::from_chars(FText.data() + digits, FText.data() + FPos, u, 16);
            FInt = static_cast<Int64>(negative ? 0 - u : u);
            FValue = FText.substr(start, FPos - start);
            FToken = toInteger;
            return;
        }
        while (!AtEnd() && IsDigit(Peek()))
            ++FPos;
        bool isFloat = false;
        if (Peek() == '.' && IsDigit(Peek(1))) {
            isFloat = true;
            ++FPos;
            while (!AtEnd() && IsDigit(Peek()))
                ++FPos;
        }
        if ((Peek() == 'e' || Peek() == 'E') &&
            (IsDigit(Peek(1)) || ((Peek(1) == '-' || Peek(1) == '+') && IsDigit(Peek(2))))) {
            isFloat = true;
            FPos += 2;
            while (!AtEnd() && IsDigit(Peek()))
                ++FPos;
        }
        FValue = FText.substr(start, FPos - start);
        FSuffix = '\0';
        char s = Peek();
        if ((s == 's' || s == 'S' || s == 'c' || s == 'C' || s == 'd' || s == 'D') && !IsIdentChar(Peek(1))) {
            FSuffix = static_cast<char>(s | 0x20);
            isFloat = true;
            ++FPos;
        }
        if (isFloat) {
            FToken = toFloat;
            return;
        }
        const char* first = FValue.data() + (FValue[0] == '+' ? 1 : 0);
        auto [ptr, ec] = std::from_chars(first, FValue.data() + FValue.size(), FInt);
        if (ec != std::errc() || ptr != FValue.data() + FValue.size()) Error("Invalid number " + FValue);
        FToken = toInteger;
    }

    // A run of '...' parts and #nnn codes. Codes of 128 and more make it a wide string.
    void ReadStringToken() {
        std::vector<std::pair<bool, unsigned>> units; // (code?, value)
        bool wide = false;
        for (;;) {
            if (Peek() == '\'') {
                ++FPos;
                for (;;) {
                    if (AtEnd() || Peek() == '\n' || Peek() == '\r') Error("Unterminated string");
                    char c = Peek();
                    if (c == '\'') {
                        if (Peek(1) == '\'') {
                            units.push_back({false, '\''});
                            FPos += 2;
                            continue;
                        }
                        ++FPos;
                        break;
                    }
                    units.push_back({false, static_cast<unsigned char>(c)});
                    ++FPos;
                }
            } else if (Peek() == '#') {
                ++FPos;
                unsigned value = 0;
                std::size_t start = FPos;
                if (Peek() == '$') {
                    ++FPos;
                    while (!AtEnd() && IsHex(Peek()) && FPos - start <= 6) {
                        value = value * 16 +
                                static_cast<unsigned>(std::isdigit(static_cast<unsigned char>(Peek()))
                                                          ? Peek() - '0'
                                                          : (Peek() | 0x20) - 'a' + 10);
                        ++FPos;
                    }
                } else {
                    while (!AtEnd() && IsDigit(Peek()) && FPos - start < 6) {
                        value = value * 10 + static_cast<unsigned>(Peek() - '0');
                        ++FPos;
                    }
                }
                if (FPos == start || (FPos == start + 1 && FText[start] == '$'))
                    Error("Invalid character code");
                if (value > 0xFFFF) Error("Invalid character code");
                if (value >= 0x80) wide = true;
                units.push_back({true, value});
            } else {
                break;
            }
        }
        if (wide) {
            // Raw bytes between the codes are text in the system code page.
            AnsiString run;
            for (auto [code, v] : units) {
                if (!code) {
                    run += static_cast<char>(v);
                    continue;
                }
                FWide += AnsiToWide(run);
                run.clear();
                FWide += static_cast<char16_t>(v);
            }
            FWide += AnsiToWide(run);
            FToken = toWString;
        } else {
            for (auto [code, v] : units)
                FValue += static_cast<char>(v);
            FToken = toString;
        }
    }

    bool IsSymbol(const char* word) const { return FToken == toSymbol && SameIdent(FValue, word); }
    bool IsChar(char c) const { return FToken == toChar && FValue[0] == c; }

    void Expect(char c) {
        if (!IsChar(c)) Error(AnsiString("'") + c + "' expected but " + TokenText() + " found");
        Next();
    }

    AnsiString ExpectIdent() {
        if (FToken != toSymbol || IsSymbol("end") || IsSymbol("object") || IsSymbol("inherited") ||
            IsSymbol("inline"))
            Error("Identifier expected but " + TokenText() + " found");
        AnsiString r = FValue;
        Next();
        return r;
    }

    void Mark() {
        if (FLines) FLines->push_back({static_cast<Int64>(FOut.size()), FTokenLine});
    }

    void PutByte(unsigned v) { FOut += static_cast<char>(v & 0xFF); }
    template <class T> void PutRaw(T value) {
        auto u = static_cast<std::make_unsigned_t<T>>(value);
        for (std::size_t i = 0; i < sizeof(T); ++i)
            FOut += static_cast<char>((u >> (8 * i)) & 0xFF);
    }
    void PutStr(const AnsiString& s) {
        if (s.size() > 255) Error("Name too long");
        PutByte(static_cast<unsigned>(s.size()));
        FOut += s;
    }
    void PutInteger(Int64 v) {
        if (v >= -128 && v <= 127) {
            PutByte(vaInt8);
            PutRaw<std::int8_t>(static_cast<std::int8_t>(v));
        } else if (v >= -32768 && v <= 32767) {
            PutByte(vaInt16);
            PutRaw<std::int16_t>(static_cast<std::int16_t>(v));
        } else if (v >= INT32_MIN && v <= INT32_MAX) {
            PutByte(vaInt32);
            PutRaw<std::int32_t>(static_cast<std::int32_t>(v));
        } else {
            PutByte(vaInt64);
            PutRaw<std::int64_t>(v);
        }
    }

    void Enter() {
        if (++FDepth > MaxNesting) Error("Stream nested too deeply");
    }

    void ConvertObject() {
        Enter();
        Byte flags = 0;
        if (IsSymbol("inherited"))
            flags = ffInherited;
        else if (IsSymbol("inline"))
            flags = ffInline;
        else if (!IsSymbol("object"))
            Error("'object' expected but " + TokenText() + " found");
        Mark();
        Next();
        AnsiString name = ExpectIdent();
        AnsiString className;
        if (IsChar(':')) {
            Next();
            className = ExpectIdent();
        } else {
            className = name;
            name.clear();
        }
        AnsiString outerObject = FObject;
        FObject = name.empty() ? className : name;
        Int64 childPos = 0;
        if (IsChar('[')) {
            Next();
            if (FToken != toInteger || FInt < INT32_MIN || FInt > INT32_MAX)
                Error("Number expected but " + TokenText() + " found");
            childPos = FInt;
            Next();
            Expect(']');
            flags |= ffChildPos;
        }
        if (flags) {
            PutByte(0xF0u | flags);
            if (flags & ffChildPos) PutInteger(childPos);
        }
        PutStr(className);
        PutStr(name);
        while (!IsSymbol("end") && !IsSymbol("object") && !IsSymbol("inherited") && !IsSymbol("inline")) {
            if (FToken == toEOF) Error("'end' expected but end of text found");
            ConvertProperty();
        }
        PutByte(vaNull);
        while (!IsSymbol("end")) {
            if (FToken == toEOF) Error("'end' expected but end of text found");
            ConvertObject();
        }
        PutByte(vaNull);
        Next();
        FObject = outerObject;
        --FDepth;
    }

    void ConvertProperty() {
        if (FToken != toSymbol || IsSymbol("object") || IsSymbol("inherited") || IsSymbol("inline"))
            Error("Property name expected but " + TokenText() + " found");
        AnsiString outer = FProp;
        FProp = FValue;
        Mark();
        PutStr(FValue);
        Next();
        Expect('=');
        ConvertValue();
        FProp = outer;
    }

    void ConvertString() {
        AnsiString ansi;
        WideString wide;
        bool isWide = false;
        for (;;) {
            if (FToken == toWString) {
                if (!isWide) {
                    wide = AnsiToWide(ansi);
                    isWide = true;
                }
                wide += FWide;
            } else if (isWide) {
                wide += AnsiToWide(FValue);
            } else {
                ansi += FValue;
            }
            Next();
            if (!IsChar('+')) break;
            Next();
            if (FToken != toString && FToken != toWString)
                Error("String expected but " + TokenText() + " found");
        }
        if (isWide) {
            PutByte(vaWString);
            PutRaw<std::uint32_t>(static_cast<std::uint32_t>(wide.size()));
            for (char16_t ch : wide)
                PutRaw<std::uint16_t>(ch);
        } else if (ansi.size() <= 255) {
            PutByte(vaString);
            PutByte(static_cast<unsigned>(ansi.size()));
            FOut += ansi;
        } else {
            PutByte(vaLString);
            PutRaw<std::uint32_t>(static_cast<std::uint32_t>(ansi.size()));
            FOut += ansi;
        }
    }

    void ConvertFloat() {
        double d = 0;
        AnsiString digits = FValue;
        if (!digits.empty() && digits[0] == '+') digits.erase(0, 1);
        if (FSuffix == 'c') {
            // Currency exactly: the scaled integer from the decimal digits, within the 64-bit range.
            bool negative = !digits.empty() && digits[0] == '-';
            if (negative) digits.erase(0, 1);
            const std::uint64_t highest = negative ? std::uint64_t{1} << 63 : (std::uint64_t{1} << 63) - 1;
            std::uint64_t magnitude = 0;
            if (digits.find_first_of("eE") != AnsiString::npos) {
                auto [p, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), d);
                if (ec != std::errc()) Error("Invalid number " + FValue);
                const double scaled = std::round(d * 10000.0);
                if (!(scaled >= 0 && scaled < 9223372036854775808.0))
                    Error("Currency value out of range: " + FValue);
                magnitude = static_cast<std::uint64_t>(scaled);
            } else {
                std::size_t dot = digits.find('.');
                AnsiString whole = digits.substr(0, dot);
                AnsiString frac = dot == AnsiString::npos ? AnsiString() : digits.substr(dot + 1);
                if (frac.size() > 4) Error("Invalid currency value " + FValue);
                frac.append(4 - frac.size(), '0');
                AnsiString all = whole + frac;
                auto [p, ec] = std::from_chars(all.data(), all.data() + all.size(), magnitude);
                if (ec == std::errc::result_out_of_range) Error("Currency value out of range: " + FValue);
                if (ec != std::errc() || p != all.data() + all.size()) Error("Invalid number " + FValue);
            }
            if (magnitude > highest) Error("Currency value out of range: " + FValue);
            PutByte(vaCurrency);
            PutRaw<std::int64_t>(negative ? static_cast<std::int64_t>(0 - magnitude)
                                          : static_cast<std::int64_t>(magnitude));
            Next();
            return;
        }
        if (FSuffix == 's') {
            float f = 0;
            auto [p, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), f);
            if (ec != std::errc()) Error("Invalid number " + FValue);
            std::uint32_t bits;
            std::memcpy(&bits, &f, 4);
            PutByte(vaSingle);
            PutRaw<std::uint32_t>(bits);
            Next();
            return;
        }
        auto [p, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), d);
        if (ec != std::errc()) Error("Invalid number " + FValue);
        if (FSuffix == 'd') {
            std::uint64_t bits;
            std::memcpy(&bits, &d, 8);
            PutByte(vaDate);
            PutRaw<std::uint64_t>(bits);
        } else {
            unsigned char bytes[10];
            DoubleToExtended(d, bytes);
            PutByte(vaExtended);
            FOut.append(reinterpret_cast<const char*>(bytes), 10);
        }
        Next();
    }

    // In a list, Null would read as the list's end.
    void ConvertValue(bool inList = false) {
        Enter();
        switch (FToken) {
        case toInteger:
            PutInteger(FInt);
            Next();
            break;
        case toFloat:
            ConvertFloat();
            break;
        case toString:
        case toWString:
            ConvertString();
            break;
        case toSymbol:
            if (IsSymbol("end") || IsSymbol("object") || IsSymbol("inherited") || IsSymbol("inline"))
                Error("Property value expected but " + TokenText() + " found");
            if (SameIdent(FValue, "True"))
                PutByte(vaTrue);
            else if (SameIdent(FValue, "False"))
                PutByte(vaFalse);
            else if (SameIdent(FValue, "nil"))
                PutByte(vaNil);
            else if (SameIdent(FValue, "Null")) {
                if (inList) Error("Null cannot stand in a list");
                PutByte(vaNull);
            } else {
                PutByte(vaIdent);
                PutStr(FValue);
            }
            Next();
            break;
        case toChar:
            if (IsChar('[')) {
                Next();
                PutByte(vaSet);
                if (!IsChar(']')) {
                    for (;;) {
                        if (FToken == toSymbol && FValue.find('.') != AnsiString::npos)
                            Error("Set element expected but " + TokenText() + " found");
                        PutStr(ExpectIdent());
                        if (IsChar(']')) break;
                        Expect(',');
                    }
                }
                PutByte(0);
                Next();
            } else if (IsChar('(')) {
                Next();
                PutByte(vaList);
                while (!IsChar(')')) {
                    if (FToken == toEOF) Error("')' expected but end of text found");
                    ConvertValue(true);
                }
                PutByte(vaNull);
                Next();
            } else if (IsChar('{')) {
                ConvertBinary();
            } else if (IsChar('<')) {
                Next();
                PutByte(vaCollection);
                while (!IsChar('>')) {
                    if (!IsSymbol("item")) Error("'item' expected but " + TokenText() + " found");
                    Next();
                    if (IsChar('[')) {
                        Next();
                        if (FToken != toInteger || FInt < INT32_MIN || FInt > INT32_MAX)
                            Error("Number expected but " + TokenText() + " found");
                        PutInteger(FInt);
                        Next();
                        Expect(']');
                    }
                    PutByte(vaList);
                    while (!IsSymbol("end")) {
                        if (FToken == toEOF) Error("'end' expected but end of text found");
                        ConvertProperty();
                    }
                    PutByte(vaNull);
                    Next();
                }
                PutByte(vaNull);
                Next();
            } else {
                Error("Invalid property value " + TokenText());
            }
            break;
        default:
            Error("Property value expected but " + TokenText() + " found");
        }
        --FDepth;
    }

    void ConvertBinary() {
        // The token is '{': read hex digits directly from the text up to '}'.
        AnsiString bytes;
        int nibble = -1;
        for (;;) {
            if (AtEnd()) Error("'}' expected but end of text found");
            char c = Peek();
            ++FPos;
            if (c == '}') break;
            if (c == '\n') {
                ++FLine;
                continue;
            }
            if (static_cast<unsigned char>(c) <= ' ') continue;
            if (!IsHex(c)) Error("Invalid binary value");
            int v = IsDigit(c) ? c - '0' : (c | 0x20) - 'a' + 10;
            if (nibble < 0) {
                nibble = v;
            } else {
                bytes += static_cast<char>(nibble * 16 + v);
                nibble = -1;
            }
        }
        if (nibble >= 0) Error("Invalid binary value");
        PutByte(vaBinary);
        PutRaw<std::uint32_t>(static_cast<std::uint32_t>(bytes.size()));
        FOut += bytes;
        Next();
    }

    const AnsiString& FText;
    TLineMap* FLines;
    AnsiString FOut;
    std::size_t FPos = 0;
    int FLine = 1;
    int FTokenLine = 1;
    TToken FToken = toEOF;
    AnsiString FValue;
    WideString FWide;
    Int64 FInt = 0;
    char FSuffix = '\0';
    AnsiString FObject;
    AnsiString FProp;
    int FDepth = 0;
};

// ---- binary to text ----

// A name the text form can hold: identifiers joined by dots, and not a word of the text form itself.
bool IsTextName(const AnsiString& s) {
    auto start = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; };
    auto part = [&](char c) { return start(c) || (c >= '0' && c <= '9'); };
    if (s.empty() || !start(s[0])) return false;
    for (std::size_t i = 1; i < s.size(); ++i) {
        if (s[i] == '.') {
            if (i + 1 >= s.size() || !start(s[i + 1])) return false;
        } else if (!part(s[i])) {
            return false;
        }
    }
    return !SameIdent(s, "end") && !SameIdent(s, "object") && !SameIdent(s, "inherited") &&
           !SameIdent(s, "inline");
}

class TBinaryToText {
public:
    TBinaryToText(const AnsiString& binary) : FStream(), FReader(nullptr) {
        FStream.WriteBuffer(binary.data(), static_cast<Int64>(binary.size()));
        FStream.SetPosition(0);
        FReader = std::make_unique<TReader>(FStream);
    }

    AnsiString Convert() {
        FReader->ReadSignature();
        ConvertObject(0);
        return FOut;
    }

private:
    static AnsiString Indent(int n) { return AnsiString(static_cast<std::size_t>(n), ' '); }

    void ConvertObject(int indent) {
        FReader->MarkPlace();
        if (indent / 2 > MaxNesting) FReader->Error("Stream nested too deeply");
        Byte flags;
        int childPos;
        FReader->ReadPrefix(flags, childPos);
        AnsiString className = FReader->ReadStr();
        AnsiString name = FReader->ReadStr();
        if (!IsTextName(className) || (!name.empty() && !IsTextName(name)))
            FReader->Error("Invalid component name");
        FOut += Indent(indent);
        FOut += (flags & ffInherited) ? "inherited " : (flags & ffInline) ? "inline " : "object ";
        if (!name.empty()) FOut += name + ": ";
        FOut += className;
        if (flags & ffChildPos) FOut += " [" + std::to_string(childPos) + "]";
        FOut += "\r\n";
        while (!FReader->EndOfList())
            ConvertProperty(indent + 2);
        FReader->ReadValue();
        while (!FReader->EndOfList())
            ConvertObject(indent + 2);
        FReader->ReadValue();
        FOut += Indent(indent) + "end\r\n";
    }

    void ConvertProperty(int indent) {
        FReader->MarkPlace();
        AnsiString name = FReader->ReadStr();
        if (!IsTextName(name)) FReader->Error("Invalid property name");
        FOut += Indent(indent) + name + " =";
        ConvertValue(indent, true);
        FOut += "\r\n";
    }

    static AnsiString QuoteAnsi(const AnsiString& s) {
        AnsiString r;
        bool inQuotes = false;
        for (char ch : s) {
            unsigned char b = static_cast<unsigned char>(ch);
            if (b < 32 || b == 127) {
                if (inQuotes) r += '\'';
                inQuotes = false;
                r += "#" + std::to_string(b);
            } else {
                if (!inQuotes) r += '\'';
                inQuotes = true;
                r += ch;
                if (ch == '\'') r += '\'';
            }
        }
        if (inQuotes) r += '\'';
        if (r.empty()) r = "''";
        return r;
    }

    static AnsiString QuoteWide(const WideString& s) {
        AnsiString r;
        bool inQuotes = false;
        for (char16_t ch : s) {
            if (ch < 32 || ch >= 127) {
                if (inQuotes) r += '\'';
                inQuotes = false;
                r += "#" + std::to_string(static_cast<unsigned>(ch));
            } else {
                if (!inQuotes) r += '\'';
                inQuotes = true;
                r += static_cast<char>(ch);
                if (ch == u'\'') r += '\'';
            }
        }
        if (inQuotes) r += '\'';
        if (r.empty()) r = "''";
        return r;
    }

    // A long string goes out in parts on lines of their own, never splitting a double-byte character.
    void PutAnsi(const AnsiString& s, int indent, bool leading) {
        if (s.size() <= StringPart) {
            FOut += (leading ? " " : "") + QuoteAnsi(s);
            return;
        }
        std::size_t i = 0;
        bool first = true;
        while (i < s.size()) {
            std::size_t end = i;
            while (end < s.size() && end - i < StringPart)
                end += static_cast<std::size_t>(std::max(1, CharLength(s, end)));
            if (!first) FOut += " +";
            if (leading || !first) FOut += "\r\n" + Indent(indent + 2);
            FOut += QuoteAnsi(s.substr(i, end - i));
            first = false;
            i = end;
        }
    }

    void PutWide(const WideString& s, int indent, bool leading) {
        if (s.size() <= StringPart) {
            FOut += (leading ? " " : "") + QuoteWide(s);
            return;
        }
        bool first = true;
        for (std::size_t i = 0; i < s.size(); i += StringPart) {
            if (!first) FOut += " +";
            if (leading || !first) FOut += "\r\n" + Indent(indent + 2);
            FOut += QuoteWide(s.substr(i, StringPart));
            first = false;
        }
    }

    // leading: the value follows "Name =" on the same line (a blank comes first).
    void ConvertValue(int indent, bool leading) {
        if (++FDepth > MaxNesting) FReader->Error("Stream nested too deeply");
        AnsiString sp = leading ? " " : "";
        switch (FReader->NextValue()) {
        case vaList: {
            FReader->ReadValue();
            FOut += sp + "(";
            bool any = false;
            while (!FReader->EndOfList()) {
                FOut += "\r\n" + Indent(indent + 2);
                ConvertValue(indent + 2, false);
                any = true;
            }
            FReader->ReadValue();
            (void)any;
            FOut += ")";
            break;
        }
        case vaInt8:
        case vaInt16:
        case vaInt32:
        case vaInt64:
            FOut += sp + std::to_string(FReader->ReadInt64());
            break;
        case vaExtended: {
            double d = FReader->ReadFloat();
            if (!std::isfinite(d)) FReader->Error("Invalid floating point value");
            FOut += sp + FormFloatToText(d);
            break;
        }
        case vaSingle: {
            float f = FReader->ReadSingle();
            if (!std::isfinite(f)) FReader->Error("Invalid floating point value");
            char buf[64];
            auto [p, ec] = std::to_chars(buf, buf + sizeof buf, f);
            AnsiString t(buf, p);
            if (t.find_first_of(".e") == AnsiString::npos) t += ".0";
            FOut += sp + t + "s";
            break;
        }
        case vaCurrency: {
            Int64 scaled = FReader->ReadScaledCurrency();
            std::uint64_t magnitude =
                scaled < 0 ? 0 - static_cast<std::uint64_t>(scaled) : static_cast<std::uint64_t>(scaled);
            AnsiString frac = std::to_string(magnitude % 10000);
            frac.insert(0, 4 - frac.size(), '0');
            while (frac.size() > 1 && frac.back() == '0')
                frac.pop_back();
            FOut += sp + (scaled < 0 ? "-" : "") + std::to_string(magnitude / 10000) + "." + frac + "c";
            break;
        }
        case vaDate: {
            double d = FReader->ReadDate();
            if (!std::isfinite(d)) FReader->Error("Invalid floating point value");
            AnsiString t = FormFloatToText(d);
            FOut += sp + t + "d";
            break;
        }
        case vaString:
        case vaLString:
            PutAnsi(FReader->ReadString(), indent, leading);
            break;
        case vaWString:
            PutWide(FReader->ReadWideString(), indent, leading);
            break;
        case vaIdent:
        case vaFalse:
        case vaTrue:
        case vaNil:
        case vaNull: {
            AnsiString ident = FReader->ReadIdent();
            if (!IsTextName(ident)) FReader->Error("Invalid identifier");
            FOut += sp + ident;
            break;
        }
        case vaBinary: {
            FReader->ReadValue();
            AnsiString bytes;
            FReader->ReadBinary(bytes);
            static const char hex[] = "0123456789ABCDEF";
            FOut += sp + "{";
            for (std::size_t i = 0; i < bytes.size(); ++i) {
                if (i % 32 == 0) FOut += "\r\n" + Indent(indent + 2);
                unsigned char b = static_cast<unsigned char>(bytes[i]);
                FOut += hex[b >> 4];
                FOut += hex[b & 15];
            }
            FOut += "}";
            break;
        }
        case vaSet: {
            FReader->ReadValue();
            FOut += sp + "[";
            bool first = true;
            for (;;) {
                AnsiString name = FReader->ReadStr();
                if (name.empty()) break;
                if (!IsTextName(name) || name.find('.') != AnsiString::npos)
                    FReader->Error("Invalid set element");
                if (!first) FOut += ", ";
                FOut += name;
                first = false;
            }
            FOut += "]";
            break;
        }
        case vaCollection: {
            FReader->ReadValue();
            FOut += sp + "<";
            while (!FReader->EndOfList()) {
                FOut += "\r\n" + Indent(indent + 2) + "item";
                TValueType v = FReader->NextValue();
                if (v == vaInt8 || v == vaInt16 || v == vaInt32)
                    FOut += " [" + std::to_string(FReader->ReadInteger()) + "]";
                FOut += "\r\n";
                FReader->ReadListBegin();
                while (!FReader->EndOfList())
                    ConvertProperty(indent + 4);
                FReader->ReadListEnd();
                FOut += Indent(indent + 2) + "end";
            }
            FReader->ReadValue();
            FOut += ">";
            break;
        }
        default:
            FReader->Error("Unknown value type " + std::to_string(static_cast<int>(FReader->NextValue())));
        }
        --FDepth;
    }

    TMemoryStream FStream;
    std::unique_ptr<TReader> FReader;
    AnsiString FOut;
    int FDepth = 0;
};

AnsiString ReadAll(TStream& input) {
    Int64 n = input.Size() - input.Position();
    AnsiString s(static_cast<std::size_t>(std::max<Int64>(n, 0)), '\0');
    if (!s.empty()) input.ReadBuffer(s.data(), static_cast<Int64>(s.size()));
    return s;
}

} // namespace

AnsiString FormFloatToText(double value) {
    if (!std::isfinite(value)) throw EWriteError("Invalid floating point value");
    char buf[64];
    auto [p, ec] = std::to_chars(buf, buf + sizeof buf, value);
    AnsiString t(buf, p);
    if (t.find_first_of(".e") == AnsiString::npos) t += ".0";
    return t;
}

AnsiString ObjectTextToBinary(const AnsiString& text, TLineMap* lines) {
    if (lines) lines->clear();
    TTextToBinary converter(text, lines);
    return converter.Convert();
}

AnsiString ObjectBinaryToText(const AnsiString& binary) {
    TBinaryToText converter(binary);
    return converter.Convert();
}

void ObjectTextToBinary(TStream& input, TStream& output) {
    AnsiString binary = ObjectTextToBinary(ReadAll(input));
    output.WriteBuffer(binary.data(), static_cast<Int64>(binary.size()));
}

void ObjectBinaryToText(TStream& input, TStream& output) {
    AnsiString text = ObjectBinaryToText(ReadAll(input));
    output.WriteBuffer(text.data(), static_cast<Int64>(text.size()));
}
