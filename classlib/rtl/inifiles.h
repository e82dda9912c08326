#pragma once
// INI files with the private-profile rules the system was written against, in code-page bytes:
// - "[Section]" lines open a section; "name=value" lines inside it are keys; a line whose first
//   non-blank character is ";" is a comment; other lines (blank, or without "=") are kept but never read.
// - Section and key names are compared without case and trimmed; values are trimmed, and one pair of
//   surrounding double or single quotes is removed on reading ("'a b'" reads a b).
// - The first section of a name, and in it the first key of a name, is the one that is read; the lists
//   give each name once, in the order of the file.
// - A missing or unreadable file reads as empty: every call gives its default and raises nothing.
// - A default of ReadString loses its trailing blanks, as the platform's reader did.
// - Every write goes to the file at once (a missing file is created, its folder is not), keeps every
//   other line and its order, and replaces the file as a whole, so a crash never leaves half of it.
//   A new key goes after the last non-blank line of its section, a new section at the end.
//   EraseSection and DeleteKey remove every section, or every key in the sections, of that name.
// - A write that would not read back as written (a line break anywhere, an empty name, "=" in a key
//   name, a key name starting with ";" or "[") raises EIniFileException and leaves the file unchanged;
//   so does a failure to write the file.
// A file name is a system path (see files.h); a relative name is taken from the current folder.
#include <vector>

#include "classlib/rtl/exceptions.h"
#include "classlib/rtl/types.h"

KVR_DECLARE_EXCEPTION(EIniFileException, Exception)

class TIniFile {
public:
    explicit TIniFile(const AnsiString& fileName) : FFileName(fileName) {}

    const AnsiString& FileName() const { return FFileName; }

    AnsiString ReadString(const AnsiString& section, const AnsiString& ident,
                          const AnsiString& defaultValue) const;
    // Decimal, or hexadecimal with "$" or "0x"; anything else, or out of range, gives the default.
    int ReadInteger(const AnsiString& section, const AnsiString& ident, int defaultValue) const;
    // A number other than 0 is true; what is not a number gives the default.
    bool ReadBool(const AnsiString& section, const AnsiString& ident, bool defaultValue) const;

    // The lists are cleared first.
    void ReadSection(const AnsiString& section, std::vector<AnsiString>& keyNames) const;
    void ReadSections(std::vector<AnsiString>& sectionNames) const;
    void ReadSectionValues(const AnsiString& section, std::vector<AnsiString>& lines) const; // name=value

    // Any list with Clear() and Add(text), such as a string list, takes the same answers.
    template <class TList> void ReadSection(const AnsiString& section, TList* strings) const {
        CopyTo(strings, [&](std::vector<AnsiString>& v) { ReadSection(section, v); });
    }
    template <class TList> void ReadSections(TList* strings) const {
        CopyTo(strings, [&](std::vector<AnsiString>& v) { ReadSections(v); });
    }
    template <class TList> void ReadSectionValues(const AnsiString& section, TList* strings) const {
        CopyTo(strings, [&](std::vector<AnsiString>& v) { ReadSectionValues(section, v); });
    }

    // As the class library had it: a section exists when it holds at least one key.
    bool SectionExists(const AnsiString& section) const;
    bool ValueExists(const AnsiString& section, const AnsiString& ident) const;

    void WriteString(const AnsiString& section, const AnsiString& ident, const AnsiString& value);
    void WriteInteger(const AnsiString& section, const AnsiString& ident, int value);
    void WriteBool(const AnsiString& section, const AnsiString& ident, bool value); // "1" or "0"
    void EraseSection(const AnsiString& section);
    void DeleteKey(const AnsiString& section, const AnsiString& ident);
    // Writes are never held back, so there is nothing to flush.
    void UpdateFile() {}

private:
    template <class TList, class TFill> static void CopyTo(TList* strings, TFill fill) {
        std::vector<AnsiString> v;
        fill(v);
        if (!strings) return;
        strings->Clear();
        for (const AnsiString& s : v)
            strings->Add(s);
    }

    AnsiString FFileName;
};
