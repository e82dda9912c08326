#include "foundation/UserDefINI.h"

#include "classlib/rtl/files.h"
#include "classlib/rtl/inifiles.h"
#include "classlib/rtl/strutils.h"
#include "foundation/VeltraneIni.h"

KVR_PUBLISHED(TUserDefIni, c) {}

AnsiString EscapeIniKey(const AnsiString& text) {
    return StringReplace(text, "=", "$EQUAL$", rfReplaceAll);
}

TUserDefIni::TUserDefIni() : TUserDefIni(TVeltraneIniC().ClientPath) {}

// Without a client folder there is no file: "\UserDef.ini" would land in the root of the machine.
TUserDefIni::TUserDefIni(const AnsiString& clientPath)
    : FFileName(Trim(clientPath).empty() ? AnsiString()
                                         : IncludeTrailingBackslash(clientPath) + "UserDef.ini"),
      FLines(std::make_unique<TStringList>()) {
    Load();
}

AnsiString TUserDefIni::Key(const AnsiString& program, const AnsiString& name) {
    return program + "_" + EscapeIniKey(name);
}

void TUserDefIni::Load() {
    FLines->Clear();
    if (FFileName.empty() || !FileExists(FFileName)) return;
    TIniFile ini(FFileName);
    std::vector<AnsiString> keys;
    ini.ReadSection(UserDefSection, keys);
    FLines->BeginUpdate();
    for (const AnsiString& key : keys)
        FLines->Add(key + "=" + ini.ReadString(UserDefSection, key, ""));
    FLines->EndUpdate();
}

AnsiString TUserDefIni::GetFormat(const AnsiString& program, const AnsiString& name) const {
    int i = FLines->IndexOfName(Key(program, name));
    return i < 0 ? AnsiString(UserDefNoFormat) : FLines->ValueFromIndex(i);
}

bool TUserDefIni::SetFormat(const AnsiString& program, const AnsiString& name, const AnsiString& format) {
    if (FFileName.empty()) return false;
    TIniFile ini(FFileName);
    if (SameText(format, UserDefNoFormat))
        ini.DeleteKey(UserDefSection, Key(program, name));
    else
        ini.WriteString(UserDefSection, Key(program, name), format);
    Load();
    return true;
}

void TUserDefIni::DeleteFormat(const AnsiString& program, const AnsiString& name) {
    if (FFileName.empty()) return;
    TIniFile ini(FFileName);
    ini.DeleteKey(UserDefSection, Key(program, name));
}
