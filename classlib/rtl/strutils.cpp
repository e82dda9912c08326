#include "classlib/rtl/strutils.h"

#include <unicode/uchar.h>

#include <array>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>

#include "classlib/rtl/codepages.h"

namespace {

bool IsBlankOrControl(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

template <char From, char To, int Delta> AnsiString MapLetters(const AnsiString& s) {
    AnsiString r = s;
    for (std::size_t i = 0; i < r.size();) {
        int len = CharLength(r, i);
        if (len == 1 && r[i] >= From && r[i] <= To) r[i] = static_cast<char>(r[i] + Delta);
        i += len;
    }
    return r;
}

// Length of the character at index of a text of size bytes, as CharLength counts it.
std::size_t CharLengthIn(const char* text, std::size_t size, std::size_t index, unsigned codePage) {
    if (index >= size) return 0;
    if (index + 1 < size && IsDBCSLeadByteEx(codePage, static_cast<Byte>(text[index])) &&
        IsDBCSTrailByteEx(codePage, static_cast<Byte>(text[index + 1])))
        return 2;
    return 1;
}

// True when the count bytes from the character start at index are whole characters.
bool EndsOnBoundary(const char* text, std::size_t size, std::size_t index, std::size_t count,
                    unsigned codePage) {
    const std::size_t end = index + count;
    std::size_t i = index;
    while (i < end)
        i += CharLengthIn(text, size, i, codePage);
    return i == end;
}

// 0-based byte offset of the first whole-character match of sub at or after from, npos when none. The
// walk starts at from when the caller knows that a character starts there, else at the beginning.
std::size_t FindWhole(const char* text, std::size_t size, const char* sub, std::size_t subSize,
                      std::size_t from, bool fromIsBoundary) {
    if (subSize == 0 || subSize > size) return AnsiString::npos;
    const unsigned acp = GetACP();
    for (std::size_t i = fromIsBoundary ? from : 0; i + subSize <= size;
         i += CharLengthIn(text, size, i, acp)) {
        if (i < from) continue;
        if (std::memcmp(text + i, sub, subSize) == 0 && EndsOnBoundary(text, size, i, subSize, acp)) return i;
    }
    return AnsiString::npos;
}

TMbcsByteType ByteTypeIn(const char* text, std::size_t size, std::size_t index) {
    if (index >= size) return mbSingleByte;
    const unsigned acp = GetACP();
    std::size_t i = 0;
    for (;;) {
        const std::size_t len = CharLengthIn(text, size, i, acp);
        if (index < i + len) return len == 1 ? mbSingleByte : (index == i ? mbLeadByte : mbTrailByte);
        i += len;
    }
}

// Upper- and lower-case maps of a code page's single-byte characters, built once from the code page's
// own mapping: a byte maps to the byte of its letter's other case when that is a single byte that
// converts back to exactly that letter (so no best-fit look-alike is taken).
struct TCaseTables {
    std::array<char, 256> Upper;
    std::array<char, 256> Lower;
};

std::unique_ptr<TCaseTables> BuildCaseTables(unsigned codePage) {
    auto tables = std::make_unique<TCaseTables>();
    for (int b = 0; b < 256; ++b) {
        const char byte = static_cast<char>(b);
        tables->Upper[b] = tables->Lower[b] = byte;
        if (IsDBCSLeadByteEx(codePage, static_cast<Byte>(b))) continue;
        char16_t wide = 0;
        if (MultiByteToWideChar(codePage, &byte, 1, &wide, 1) != 1) continue;
        auto other = [&](UChar32 mapped) {
            if (mapped == wide || mapped > 0xFFFF) return byte;
            const char16_t w = static_cast<char16_t>(mapped);
            char out[2];
            bool used = false;
            if (WideCharToMultiByte(codePage, &w, 1, out, 2, nullptr, &used) != 1 || used) return byte;
            char16_t back = 0;
            if (MultiByteToWideChar(codePage, out, 1, &back, 1) != 1 || back != w) return byte;
            return out[0];
        };
        tables->Upper[b] = other(u_toupper(wide));
        tables->Lower[b] = other(u_tolower(wide));
    }
    return tables;
}

const TCaseTables& CaseTablesFor(unsigned codePage) {
    thread_local unsigned lastCodePage = 0;
    thread_local const TCaseTables* lastTables = nullptr;
    if (lastTables && lastCodePage == codePage) return *lastTables;
    static std::mutex mutex;
    static std::map<unsigned, std::unique_ptr<TCaseTables>> tables;
    std::lock_guard<std::mutex> lock(mutex);
    std::unique_ptr<TCaseTables>& entry = tables[codePage];
    if (!entry) entry = BuildCaseTables(codePage);
    lastCodePage = codePage;
    lastTables = entry.get();
    return *entry;
}

AnsiString MapSingleBytes(const AnsiString& s, const std::array<char, 256>& map) {
    AnsiString r = s;
    for (std::size_t i = 0; i < r.size();) {
        const int len = CharLength(r, i);
        if (len == 1) r[i] = map[static_cast<unsigned char>(r[i])];
        i += static_cast<std::size_t>(len);
    }
    return r;
}

} // namespace

AnsiString TrimLeft(const AnsiString& s) {
    std::size_t i = 0;
    while (i < s.size() && IsBlankOrControl(s[i]))
        ++i;
    return s.substr(i);
}

AnsiString TrimRight(const AnsiString& s) {
    std::size_t n = s.size();
    while (n > 0 && IsBlankOrControl(s[n - 1]))
        --n;
    return s.substr(0, n);
}

AnsiString Trim(const AnsiString& s) {
    return TrimRight(TrimLeft(s));
}

AnsiString UpperCase(const AnsiString& s) {
    return MapLetters<'a', 'z', -32>(s);
}
AnsiString LowerCase(const AnsiString& s) {
    return MapLetters<'A', 'Z', 32>(s);
}
AnsiString AnsiUpperCase(const AnsiString& s) {
    return MapSingleBytes(s, CaseTablesFor(GetACP()).Upper);
}
AnsiString AnsiLowerCase(const AnsiString& s) {
    return MapSingleBytes(s, CaseTablesFor(GetACP()).Lower);
}

int CompareText(const AnsiString& a, const AnsiString& b) {
    // Fold only single-byte letters: a trail byte that looks like a letter belongs to its character.
    return CompareStr(UpperCase(a), UpperCase(b));
}

bool SameText(const AnsiString& a, const AnsiString& b) {
    return a.size() == b.size() && CompareText(a, b) == 0;
}

int CompareStr(const AnsiString& a, const AnsiString& b) {
    int c = a.compare(b);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

AnsiString QuotedStr(const AnsiString& s) {
    AnsiString r = "'";
    for (char c : s) {
        r += c;
        if (c == '\'') r += '\'';
    }
    r += '\'';
    return r;
}

AnsiString StringReplace(const AnsiString& s, const AnsiString& oldPattern, const AnsiString& newPattern,
                         TReplaceFlags flags) {
    if (oldPattern.empty()) return s;
    const bool ignoreCase = flags & rfIgnoreCase;
    // Folding single-byte letters keeps every character boundary where it was.
    const AnsiString hay = ignoreCase ? UpperCase(s) : s;
    const AnsiString needle = ignoreCase ? UpperCase(oldPattern) : oldPattern;
    AnsiString r;
    std::size_t from = 0;
    for (std::size_t at = FindWhole(hay.data(), hay.size(), needle.data(), needle.size(), 0, true);
         at != AnsiString::npos;
         at = FindWhole(hay.data(), hay.size(), needle.data(), needle.size(), from, true)) {
        r.append(s, from, at - from);
        r += newPattern;
        from = at + needle.size();
        if (!(flags & rfReplaceAll)) break;
    }
    r.append(s, from, AnsiString::npos);
    return r;
}

int AnsiPos(const AnsiString& sub, const AnsiString& s) {
    return AnsiPosEx(sub, s, 1);
}

int AnsiPosEx(const AnsiString& sub, const AnsiString& s, int offset) {
    if (offset < 1) return 0;
    const std::size_t at =
        FindWhole(s.data(), s.size(), sub.data(), sub.size(), static_cast<std::size_t>(offset) - 1, false);
    return at == AnsiString::npos ? 0 : static_cast<int>(at) + 1;
}

const char* AnsiStrPos(const char* str, const char* subStr) {
    if (!str || !subStr) return nullptr;
    const std::size_t at = FindWhole(str, std::strlen(str), subStr, std::strlen(subStr), 0, true);
    return at == AnsiString::npos ? nullptr : str + at;
}

int Pos(const AnsiString& sub, const AnsiString& s) {
    if (sub.empty()) return 0;
    std::size_t at = s.find(sub);
    return at == AnsiString::npos ? 0 : static_cast<int>(at) + 1;
}

AnsiString Copy(const AnsiString& s, int index, int count) {
    if (index < 1) index = 1;
    if (count <= 0 || static_cast<std::size_t>(index) > s.size()) return AnsiString();
    return s.substr(static_cast<std::size_t>(index) - 1, static_cast<std::size_t>(count));
}

TMbcsByteType ByteType(const AnsiString& s, int index) {
    if (index < 1) return mbSingleByte;
    return ByteTypeIn(s.data(), s.size(), static_cast<std::size_t>(index) - 1);
}

TMbcsByteType StrByteType(const char* str, unsigned index) {
    if (!str) return mbSingleByte;
    // Only the bytes up to the one after index matter; the text may be far longer.
    const std::size_t size = strnlen(str, static_cast<std::size_t>(index) + 2);
    return ByteTypeIn(str, size, index);
}

AnsiString AnsiLastChar(const AnsiString& s) {
    if (s.empty()) return AnsiString();
    const std::size_t last = s.size() - 1;
    const std::size_t start = ByteTypeIn(s.data(), s.size(), last) == mbTrailByte ? last - 1 : last;
    return s.substr(start);
}
