#include "dialogs/QBESchemes.h"

#include "classlib/rtl/strutils.h"

namespace {

const char kTopRowEnd = '\x07';
const char kRowEnd = '\x08';
const char kPart = '\x03';
const char kFlagEnd = '\x09';

std::vector<AnsiString> Split(const AnsiString& text, char separator) {
    std::vector<AnsiString> pieces;
    size_t start = 0;
    for (;;) {
        const size_t at = text.find(separator, start);
        pieces.push_back(text.substr(start, at == AnsiString::npos ? AnsiString::npos : at - start));
        if (at == AnsiString::npos) return pieces;
        start = at + 1;
    }
}

// The lines of a row piece: CRLF, or a lone LF or CR.
std::vector<AnsiString> Lines(const AnsiString& text) {
    std::vector<AnsiString> lines;
    AnsiString line;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            lines.push_back(line);
            line.clear();
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            line += text[i];
        }
    }
    lines.push_back(line);
    return lines;
}

} // namespace

AnsiString GridSchemeText(const AnsiString& topRow, const std::vector<TConditionRow>& rows) {
    AnsiString text = topRow + kTopRowEnd;
    for (const TConditionRow& row : rows)
        if (!row.Field.empty() || !row.Value.empty())
            text +=
                row.Field + "\r\n" + row.Operator + "\r\n" + row.Value + "\r\n" + row.Connective + kRowEnd;
    return text;
}

bool ParseGridScheme(const AnsiString& text, AnsiString& topRow, std::vector<TConditionRow>& rows) {
    const size_t end = text.find(kTopRowEnd);
    if (end == AnsiString::npos) return false;
    topRow = Trim(text.substr(0, end));
    rows.clear();
    std::vector<AnsiString> pieces = Split(text.substr(end + 1), kRowEnd);
    for (const AnsiString& piece : pieces) {
        if (Trim(piece).empty()) continue;
        std::vector<AnsiString> lines = Lines(piece);
        // The line breaks between the pieces and around them belong to no cell.
        while (!lines.empty() && Trim(lines.front()).empty() && lines.size() > 4)
            lines.erase(lines.begin());
        lines.resize(std::max<size_t>(lines.size(), 4));
        rows.push_back({Trim(lines[0]), Trim(lines[1]), TrimRight(lines[2]) == "" ? AnsiString() : lines[2],
                        Trim(lines[3])});
    }
    return true;
}

AnsiString AdvancedSchemeText(const TAdvancedScheme& scheme) {
    AnsiString sort;
    for (const TSortItem& item : scheme.Sort)
        sort += item.Text + kRowEnd + (item.Descending ? "1" : "0") + kFlagEnd;
    return scheme.TopRow + kTopRowEnd + scheme.Conditions + kPart + sort + kPart + (scheme.Body ? "1" : "0") +
           kPart + scheme.BodyConditions;
}

bool ParseAdvancedScheme(const AnsiString& text, TAdvancedScheme& scheme) {
    const size_t end = text.find(kTopRowEnd);
    if (end == AnsiString::npos) return false;
    std::vector<AnsiString> parts = Split(text.substr(end + 1), kPart);
    if (parts.size() < 4) return false;
    scheme = TAdvancedScheme();
    scheme.TopRow = Trim(text.substr(0, end));
    scheme.Conditions = parts[0];
    if (!Trim(parts[1]).empty()) {
        const AnsiString& sort = parts[1];
        size_t at = 0;
        while (at < sort.size()) {
            const size_t itemEnd = sort.find(kRowEnd, at);
            if (itemEnd == AnsiString::npos) break;
            const size_t flagEnd = sort.find(kFlagEnd, itemEnd + 1);
            const AnsiString item = Trim(sort.substr(at, itemEnd - at));
            const AnsiString flag = Trim(sort.substr(
                itemEnd + 1, flagEnd == AnsiString::npos ? AnsiString::npos : flagEnd - itemEnd - 1));
            if (!item.empty()) scheme.Sort.push_back({item, flag == "1"});
            if (flagEnd == AnsiString::npos) break;
            at = flagEnd + 1;
        }
    }
    scheme.Body = Trim(parts[2]) == "1";
    // A detail text holding #3 itself stays whole.
    scheme.BodyConditions = parts[3];
    for (size_t i = 4; i < parts.size(); ++i)
        scheme.BodyConditions += kPart + parts[i];
    return true;
}
