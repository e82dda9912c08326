#include "foundation/libstrs.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "classlib/rtl/codepages.h"
#include "classlib/rtl/strutils.h"

namespace {

// 0-based offset of the first delimiter at or after from, walking by characters as the position search
// does; npos when there is none. An empty delimiter never matches.
std::size_t FindDelimiter(const AnsiString& text, const AnsiString& delimiter, std::size_t from) {
    if (delimiter.empty()) return AnsiString::npos;
    for (std::size_t i = from; i + delimiter.size() <= text.size(); i += CharLength(text, i)) {
        if (text.compare(i, delimiter.size(), delimiter) == 0) return i;
    }
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
    const AnsiString fill(static_cast<std::size_t>(length) - text.size(), padChar);
    return left ? fill + text : text + fill;
}

}  // namespace

AnsiString PadLeft(const AnsiString& text, std::initializer_list<int> options) { return Pad(text, options, true); }

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
                          bool trim) {
    if (oldText.empty() || SameText(oldText, newText)) return trim ? Trim(text) : text;

    // One scan by characters. What is behind the scan holds no occurrence; after a replacement the scan
    // steps back over the bytes that could start a new occurrence together with the inserted text, which
    // gives the result of searching again from the start after each replacement.
    const bool newHoldsOld = newText.find(oldText) != AnsiString::npos;
    AnsiString ahead = text;  // the text still to scan starts at ahead[pos]
    std::size_t pos = 0;
    AnsiString out;
    std::vector<unsigned char> outChars;  // byte length of each character of out, to step back by
    std::size_t unsearched = 0;            // bytes at pos that were inserted and are not searched again
    // Some patterns that grow the text go on forming occurrences without end: the replacements stop
    // before the text passes what a plain pass could make of it, or after (n+1)^2 of them.
    const std::size_t n = text.size() + 1;
    const std::size_t lengthLimit = n * (newText.size() + 1);
    std::size_t budget = n * n;

    auto pushFront = [&](const AnsiString& bytes) {
        if (pos < bytes.size()) {
            // Room in front for this and later pushes, so that stepping back stays cheap.
            const std::size_t room = bytes.size() + (ahead.size() - pos);
            ahead = AnsiString(room, '\0') + ahead.substr(pos);
            pos = room;
        }
        pos -= bytes.size();
        ahead.replace(pos, bytes.size(), bytes);
    };

    while (pos < ahead.size()) {
        if (unsearched == 0 && budget > 0 && ahead.compare(pos, oldText.size(), oldText) == 0 &&
            out.size() + (ahead.size() - pos) - oldText.size() + newText.size() <= lengthLimit) {
            --budget;
            pos += oldText.size();
            AnsiString again = newText;
            if (newHoldsOld) {
                unsearched = newText.size();
            } else {
                std::size_t back = 0;
                while (!outChars.empty() && back + outChars.back() < oldText.size()) {
                    const std::size_t len = outChars.back();
                    again.insert(0, out, out.size() - len, len);
                    out.resize(out.size() - len);
                    outChars.pop_back();
                    back += len;
                }
            }
            pushFront(again);
            continue;
        }
        const std::size_t len = static_cast<std::size_t>(CharLength(ahead, pos));
        out.append(ahead, pos, len);
        pos += len;
        outChars.push_back(static_cast<unsigned char>(len));
        unsearched = unsearched > len ? unsearched - len : 0;
    }
    return trim ? Trim(out) : out;
}

bool IsLocalHostAddr(const AnsiString& text) { return text == "127.0.0.1"; }
