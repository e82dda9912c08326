#pragma once
// The user print-format file "UserDef.ini" in the client folder: which voucher format a user last
// chose, per program and format name. One section, VoucherFormatDef; key: program ID + "_" + the format
// name with every "=" written as "$EQUAL$"; value: the chosen format's name. "<New>" stands for no
// format chosen and is never stored. Reads answer from the list loaded at creation or after the last
// SetFormat; writes go straight to the file.
#include <memory>

#include "classlib/objects/stringlist.h"

inline constexpr const char* UserDefSection = "VoucherFormatDef";
inline constexpr const char* UserDefNoFormat = "<New>";

// Every "=" replaced by "$EQUAL$".
AnsiString EscapeIniKey(const AnsiString& text);

class TUserDefIni : public TObject {
    KVR_CLASS(TUserDefIni, TObject)
public:
    // The file in the platform configuration's client folder.
    TUserDefIni();
    // The file in this folder (a system path; "\" is added when it does not end with one).
    explicit TUserDefIni(const AnsiString& clientPath);

    const AnsiString& FileName() const { return FFileName; }
    // Clears the list; when the file exists, takes every key of the section as key=value.
    void Load();
    // The stored format, or "<New>" when the list has no such key.
    AnsiString GetFormat(const AnsiString& program, const AnsiString& name) const;
    // "<New>" (any letter case) deletes the key, any other format is written under it; then Load. False
    // when nothing can be stored (no client folder): the caller tells the user. A failed write raises.
    bool SetFormat(const AnsiString& program, const AnsiString& name, const AnsiString& format);
    // Deletes the key from the file; the list is not reloaded.
    void DeleteFormat(const AnsiString& program, const AnsiString& name);
    const TStrings& Lines() const { return *FLines; }

private:
    static AnsiString Key(const AnsiString& program, const AnsiString& name);
    AnsiString FFileName;
    std::unique_ptr<TStringList> FLines;
};
