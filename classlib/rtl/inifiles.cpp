#include "classlib/rtl/inifiles.h"

#include <cstdint>
#include <mutex>

#include "classlib/rtl/codepages.h"
#include "classlib/rtl/files.h"
#include "classlib/rtl/strutils.h"

namespace {

// Writes read the file, change it and save it whole; one at a time, so two writers in the process
// never lose each other's change.
std::mutex gWriteLock;

enum class TLineKind { Blank, Other, Comment, Section, Key };

struct TLineInfo {
    TLineKind Kind = TLineKind::Blank;
    AnsiString Name;  // section or key name, trimmed
    AnsiString Key;   // the name as compared (NameKey)
    AnsiString Value; // key value, trimmed, quotes kept
};

// Names compare without case; UpperCase leaves the trail bytes of double-byte characters alone.
AnsiString NameKey(const AnsiString& name) {
    return UpperCase(Trim(name));
}

TLineInfo Classify(const AnsiString& line) {
    TLineInfo info;
    AnsiString text = Trim(line);
    if (text.empty()) return info;
    info.Kind = TLineKind::Other;
    if (text[0] == ';') {
        info.Kind = TLineKind::Comment;
        return info;
    }
    if (text[0] == '[') {
        // The last "]" that starts a character closes the name (a trail byte can be 0x5D).
        std::size_t close = AnsiString::npos;
        for (std::size_t i = 1; i < text.size(); i += CharLength(text, i))
            if (text[i] == ']' && CharLength(text, i) == 1) close = i;
        if (close != AnsiString::npos) {
            info.Kind = TLineKind::Section;
            info.Name = Trim(text.substr(1, close - 1));
            info.Key = NameKey(info.Name);
        }
        return info;
    }
    std::size_t eq = text.find('='); // "=" is never a trail byte
    if (eq == AnsiString::npos) return info;
    info.Name = Trim(text.substr(0, eq));
    if (info.Name.empty()) return info;
    info.Kind = TLineKind::Key;
    info.Key = NameKey(info.Name);
    info.Value = Trim(text.substr(eq + 1));
    return info;
}

AnsiString Unquote(const AnsiString& value) {
    if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
        return value.substr(1, value.size() - 2);
    return value;
}

class TIniDocument {
public:
    // A missing or unreadable file is an empty document; Loaded() tells whether the bytes were read.
    explicit TIniDocument(const AnsiString& fileName) {
        AnsiString bytes;
        FExists = FileExists(fileName);
        FLoaded = FExists && ReadFileBytes(fileName, bytes);
        if (!FLoaded) return;
        FLineBreak =
            bytes.find("\r\n") != AnsiString::npos || bytes.find('\n') == AnsiString::npos ? "\r\n" : "\n";
        std::size_t from = 0;
        while (from < bytes.size()) {
            std::size_t end = bytes.find('\n', from);
            if (end == AnsiString::npos) end = bytes.size();
            AnsiString line = bytes.substr(from, end - from);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            Add(line);
            from = end + 1;
        }
    }

    bool Exists() const { return FExists; }
    bool Loaded() const { return FLoaded; }
    std::size_t Count() const { return FLines.size(); }
    const TLineInfo& Info(std::size_t i) const { return FInfo[i]; }

    // Lines [first, last) of the first section of the name; false when there is none.
    bool FindSection(const AnsiString& section, std::size_t& first, std::size_t& last,
                     std::size_t from = 0) const {
        AnsiString key = NameKey(section);
        for (std::size_t i = from; i < FLines.size(); ++i) {
            if (FInfo[i].Kind == TLineKind::Section && FInfo[i].Key == key) {
                first = i + 1;
                last = first;
                while (last < FLines.size() && FInfo[last].Kind != TLineKind::Section)
                    ++last;
                return true;
            }
        }
        return false;
    }

    std::size_t FindKey(std::size_t first, std::size_t last, const AnsiString& ident) const {
        AnsiString key = NameKey(ident);
        for (std::size_t i = first; i < last; ++i)
            if (FInfo[i].Kind == TLineKind::Key && FInfo[i].Key == key) return i;
        return AnsiString::npos;
    }

    void Add(const AnsiString& line) { Insert(FLines.size(), line); }
    void Insert(std::size_t at, const AnsiString& line) {
        FLines.insert(FLines.begin() + static_cast<std::ptrdiff_t>(at), line);
        FInfo.insert(FInfo.begin() + static_cast<std::ptrdiff_t>(at), Classify(line));
    }
    void Replace(std::size_t at, const AnsiString& line) {
        FLines[at] = line;
        FInfo[at] = Classify(line);
    }
    void Erase(std::size_t first, std::size_t last) {
        FLines.erase(FLines.begin() + static_cast<std::ptrdiff_t>(first),
                     FLines.begin() + static_cast<std::ptrdiff_t>(last));
        FInfo.erase(FInfo.begin() + static_cast<std::ptrdiff_t>(first),
                    FInfo.begin() + static_cast<std::ptrdiff_t>(last));
    }

    AnsiString Text() const {
        AnsiString r;
        for (const AnsiString& line : FLines)
            r += line + FLineBreak;
        return r;
    }

private:
    std::vector<AnsiString> FLines;
    std::vector<TLineInfo> FInfo;
    AnsiString FLineBreak = "\r\n";
    bool FExists = false;
    bool FLoaded = false;
};

bool HasLineBreak(const AnsiString& s) {
    return s.find_first_of("\r\n") != AnsiString::npos;
}

// Decimal or hexadecimal ("$1F", "0x1F") within 32 bits, as the class library's integer reader took it.
bool ParseInteger(const AnsiString& text, int& value) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    unsigned base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= text.size()) return false;
    std::uint64_t n = 0;
    for (; i < text.size(); ++i) {
        char c = text[i];
        unsigned digit;
        if (c >= '0' && c <= '9')
            digit = static_cast<unsigned>(c - '0');
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = static_cast<unsigned>(c - 'a' + 10);
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = static_cast<unsigned>(c - 'A' + 10);
        else
            return false;
        n = n * base + digit;
        if (n > 0xFFFFFFFFull) return false;
    }
    std::int64_t v;
    if (base == 16) {
        v = static_cast<std::int32_t>(static_cast<std::uint32_t>(n)); // "$FFFFFFFF" is -1
    } else {
        v = static_cast<std::int64_t>(n);
        if (v > static_cast<std::int64_t>(negative ? 2147483648LL : 2147483647LL)) return false;
    }
    value = static_cast<int>(negative ? -v : v);
    return true;
}

// The files as last read: reading a setting costs a look at the file's stamp, not a read and a parse.
std::shared_ptr<const TIniDocument> Parsed(const AnsiString& fileName) {
    static TFileCache<TIniDocument> cache;
    return cache.Get(fileName, [](const AnsiString& name) { return TIniDocument(name); });
}

} // namespace

AnsiString TIniFile::ReadString(const AnsiString& section, const AnsiString& ident,
                                const AnsiString& defaultValue) const {
    const auto parsed = Parsed(FFileName);
    const TIniDocument& doc = *parsed;
    std::size_t first, last;
    if (doc.FindSection(section, first, last)) {
        std::size_t at = doc.FindKey(first, last, ident);
        if (at != AnsiString::npos) return Unquote(doc.Info(at).Value);
    }
    std::size_t n = defaultValue.size();
    while (n > 0 && defaultValue[n - 1] == ' ')
        --n;
    return defaultValue.substr(0, n);
}

int TIniFile::ReadInteger(const AnsiString& section, const AnsiString& ident, int defaultValue) const {
    int value;
    return ParseInteger(ReadString(section, ident, ""), value) ? value : defaultValue;
}

bool TIniFile::ReadBool(const AnsiString& section, const AnsiString& ident, bool defaultValue) const {
    return ReadInteger(section, ident, defaultValue ? 1 : 0) != 0;
}

void TIniFile::ReadSection(const AnsiString& section, std::vector<AnsiString>& keyNames) const {
    keyNames.clear();
    const auto parsed = Parsed(FFileName);
    const TIniDocument& doc = *parsed;
    std::size_t first, last;
    if (!doc.FindSection(section, first, last)) return;
    for (std::size_t i = first; i < last; ++i) {
        const TLineInfo& info = doc.Info(i);
        if (info.Kind == TLineKind::Key && doc.FindKey(first, i, info.Name) == AnsiString::npos)
            keyNames.push_back(info.Name);
    }
}

void TIniFile::ReadSections(std::vector<AnsiString>& sectionNames) const {
    sectionNames.clear();
    const auto parsed = Parsed(FFileName);
    const TIniDocument& doc = *parsed;
    std::vector<AnsiString> seen;
    for (std::size_t i = 0; i < doc.Count(); ++i) {
        const TLineInfo& info = doc.Info(i);
        if (info.Kind != TLineKind::Section) continue;
        AnsiString key = NameKey(info.Name);
        bool known = false;
        for (const AnsiString& s : seen)
            known = known || s == key;
        if (known) continue;
        seen.push_back(key);
        sectionNames.push_back(info.Name);
    }
}

void TIniFile::ReadSectionValues(const AnsiString& section, std::vector<AnsiString>& lines) const {
    lines.clear();
    const auto parsed = Parsed(FFileName);
    const TIniDocument& doc = *parsed;
    std::size_t first, last;
    if (!doc.FindSection(section, first, last)) return;
    for (std::size_t i = first; i < last; ++i) {
        const TLineInfo& info = doc.Info(i);
        if (info.Kind == TLineKind::Key && doc.FindKey(first, i, info.Name) == AnsiString::npos)
            lines.push_back(info.Name + "=" + Unquote(info.Value));
    }
}

bool TIniFile::SectionExists(const AnsiString& section) const {
    std::vector<AnsiString> keys;
    ReadSection(section, keys);
    return !keys.empty();
}

bool TIniFile::ValueExists(const AnsiString& section, const AnsiString& ident) const {
    const auto parsed = Parsed(FFileName);
    const TIniDocument& doc = *parsed;
    std::size_t first, last;
    return doc.FindSection(section, first, last) && doc.FindKey(first, last, ident) != AnsiString::npos;
}

namespace {

TIniDocument LoadForWrite(const AnsiString& fileName) {
    TIniDocument doc(fileName);
    // A file that is there but cannot be read must not be replaced by what little we know of it.
    if (doc.Exists() && !doc.Loaded()) throw EIniFileException("Unable to write to " + fileName);
    return doc;
}

void Save(const AnsiString& fileName, const TIniDocument& doc) {
    if (!SaveFileBytes(fileName, doc.Text())) throw EIniFileException("Unable to write to " + fileName);
}

} // namespace

void TIniFile::WriteString(const AnsiString& section, const AnsiString& ident, const AnsiString& value) {
    AnsiString sectionName = Trim(section), keyName = Trim(ident);
    if (sectionName.empty() || HasLineBreak(sectionName) || keyName.empty() || HasLineBreak(keyName) ||
        keyName.find('=') != AnsiString::npos || keyName[0] == ';' || keyName[0] == '[' ||
        HasLineBreak(value))
        throw EIniFileException("Unable to write to " + FFileName + ": invalid section, key or value");

    std::lock_guard<std::mutex> lock(gWriteLock);
    TIniDocument doc = LoadForWrite(FFileName);
    std::size_t first, last;
    if (!doc.FindSection(sectionName, first, last)) {
        doc.Add("[" + sectionName + "]");
        doc.Add(keyName + "=" + value);
    } else if (std::size_t at = doc.FindKey(first, last, keyName); at != AnsiString::npos) {
        doc.Replace(at, doc.Info(at).Name + "=" + value);
    } else {
        // After the section's last non-blank line, so blank lines before the next section stay there.
        std::size_t insertAt = first;
        for (std::size_t i = first; i < last; ++i)
            if (doc.Info(i).Kind != TLineKind::Blank) insertAt = i + 1;
        doc.Insert(insertAt, keyName + "=" + value);
    }
    Save(FFileName, doc);
}

void TIniFile::WriteInteger(const AnsiString& section, const AnsiString& ident, int value) {
    WriteString(section, ident, std::to_string(value));
}

void TIniFile::WriteBool(const AnsiString& section, const AnsiString& ident, bool value) {
    WriteString(section, ident, value ? "1" : "0");
}

void TIniFile::EraseSection(const AnsiString& section) {
    std::lock_guard<std::mutex> lock(gWriteLock);
    TIniDocument doc = LoadForWrite(FFileName);
    bool changed = false;
    std::size_t first, last;
    while (doc.FindSection(section, first, last)) {
        doc.Erase(first - 1, last);
        changed = true;
    }
    if (changed) Save(FFileName, doc);
}

void TIniFile::DeleteKey(const AnsiString& section, const AnsiString& ident) {
    std::lock_guard<std::mutex> lock(gWriteLock);
    TIniDocument doc = LoadForWrite(FFileName);
    bool changed = false;
    std::size_t first, last, from = 0;
    while (doc.FindSection(section, first, last, from)) {
        for (std::size_t at = doc.FindKey(first, last, ident); at != AnsiString::npos;
             at = doc.FindKey(first, last, ident)) {
            doc.Erase(at, at + 1);
            --last;
            changed = true;
        }
        from = last;
    }
    if (changed) Save(FFileName, doc);
}
