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

TUserDefIni::TUserDefIni(const AnsiString& clientPath)
    : FFileName(IncludeTrailingBackslash(clientPath) + "UserDef.ini"),
      FLines(std::make_unique<TStringList>()) {
    Load();
}

AnsiString TUserDefIni::Key(const AnsiString& program, const AnsiString& name) {
    return program + "_" + EscapeIniKey(name);
}

void TUserDefIni::Load() {
    FLines->Clear();
    if (!FileExists(FFileName)) return;
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

void TUserDefIni::SetFormat(const AnsiString& program, const AnsiString& name, const AnsiString& format) {
    TIniFile ini(FFileName);
    if (SameText(format, UserDefNoFormat))
        ini.DeleteKey(UserDefSection, Key(program, name));
    else
        ini.WriteString(UserDefSection, Key(program, name), format);
    Load();
}

void TUserDefIni::DeleteFormat(const AnsiString& program, const AnsiString& name) {
    TIniFile ini(FFileName);
    ini.DeleteKey(UserDefSection, Key(program, name));
}
