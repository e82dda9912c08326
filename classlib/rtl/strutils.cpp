#include "classlib/rtl/strutils.h"

#include "classlib/rtl/codepages.h"

namespace {

bool IsBlankOrControl(char c) { return static_cast<unsigned char>(c) <= ' '; }

template <char From, char To, int Delta>
AnsiString MapLetters(const AnsiString& s) {
    AnsiString r = s;
    for (std::size_t i = 0; i < r.size();) {
        int len = CharLength(r, i);
        if (len == 1 && r[i] >= From && r[i] <= To) r[i] = static_cast<char>(r[i] + Delta);
        i += len;
    }
    return r;
}

char FoldAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

// Byte offsets where characters start, so searches never match at a trail byte.
bool StartsCharacter(const AnsiString& s, std::size_t index) {
    for (std::size_t i = 0; i < s.size();) {
        if (i == index) return true;
        if (i > index) return false;
        i += CharLength(s, i);
    }
    return index == s.size();
}

}  // namespace

AnsiString TrimLeft(const AnsiString& s) {
    std::size_t i = 0;
    while (i < s.size() && IsBlankOrControl(s[i])) ++i;
    return s.substr(i);
}

AnsiString TrimRight(const AnsiString& s) {
    std::size_t n = s.size();
    while (n > 0 && IsBlankOrControl(s[n - 1])) --n;
    return s.substr(0, n);
}

AnsiString Trim(const AnsiString& s) { return TrimRight(TrimLeft(s)); }

AnsiString UpperCase(const AnsiString& s) { return MapLetters<'a', 'z', -32>(s); }
AnsiString LowerCase(const AnsiString& s) { return MapLetters<'A', 'Z', 32>(s); }
AnsiString AnsiUpperCase(const AnsiString& s) { return UpperCase(s); }
AnsiString AnsiLowerCase(const AnsiString& s) { return LowerCase(s); }

int CompareText(const AnsiString& a, const AnsiString& b) {
    std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        unsigned char ca = static_cast<unsigned char>(FoldAscii(a[i]));
        unsigned char cb = static_cast<unsigned char>(FoldAscii(b[i]));
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

bool SameText(const AnsiString& a, const AnsiString& b) { return a.size() == b.size() && CompareText(a, b) == 0; }

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
    const AnsiString hay = ignoreCase ? UpperCase(s) : s;
    const AnsiString needle = ignoreCase ? UpperCase(oldPattern) : oldPattern;
    AnsiString r;
    std::size_t from = 0;
    while (from <= s.size()) {
        std::size_t at = hay.find(needle, from);
        while (at != AnsiString::npos && !StartsCharacter(hay, at)) at = hay.find(needle, at + 1);
        if (at == AnsiString::npos) break;
        r.append(s, from, at - from);
        r += newPattern;
        from = at + needle.size();
        if (!(flags & rfReplaceAll)) break;
    }
    r.append(s, from, AnsiString::npos);
    return r;
}

int AnsiPos(const AnsiString& sub, const AnsiString& s) {
    if (sub.empty()) return 0;
    for (std::size_t i = 0; i + sub.size() <= s.size(); i += CharLength(s, i)) {
        if (s.compare(i, sub.size(), sub) == 0) return static_cast<int>(i) + 1;
    }
    return 0;
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
