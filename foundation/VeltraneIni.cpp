#include "foundation/VeltraneIni.h"

#include <mutex>
#include <optional>
#include <vector>

#include "classlib/rtl/codepages.h"
#include "classlib/rtl/files.h"
#include "classlib/rtl/format.h"
#include "classlib/rtl/inifiles.h"
#include "classlib/rtl/registry.h"
#include "classlib/rtl/strutils.h"
#include "foundation/AlertLog.h"
#include "foundation/libstrs.h"

namespace {

const char* const kEmptyPasswordMarker = "QV_Say_NoPassWord_ThePassWordIsEmpty";
const char* const kPasswordError = "QV_Say_Password_Error";

// The scramble of a stored password: each byte is mixed with a mask taken from its 1-based position, so
// the same letter reads differently along the text. Applying it twice gives the byte back.
Byte ScrambleByte(Byte value, std::size_t position) {
    return static_cast<Byte>(value ^ static_cast<Byte>(0xA5 + 37 * position));
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The installation's values of the registry key.
struct TRegistryPaths {
    bool keyFound = false;
    AnsiString clientPath, serverPath, profileType;
};

TRegistryPaths ReadRegistryPaths() {
    TRegistryPaths paths;
    TRegistry registry;
    registry.SetRootKey(HKEY_LOCAL_MACHINE);
    if (!registry.OpenKeyReadOnly(VeltraneRegistryKey)) return paths;
    paths.keyFound = true;
    paths.clientPath = registry.ReadString("ClientPath");
    paths.serverPath = registry.ReadString("ServerPath");
    paths.profileType = registry.ReadString("ProfileType");
    registry.CloseKey();
    return paths;
}

// "936" or "950" when the system's ANSI code page is one of them, else "437".
AnsiString SystemCodePageText() {
    const unsigned acp = GetACP();
    return acp == 936 || acp == 950 ? IntToStr(acp) : AnsiString("437");
}

Byte UIConvertModeOf(const AnsiString& uiCodePage, const AnsiString& systemCodePage) {
    if (uiCodePage == "950") return 2;
    if (uiCodePage == "936" && systemCodePage == "950") return 4;
    return 0;
}

Byte DBConvertModeOf(const AnsiString& uiCodePage, const AnsiString& dbCodePage) {
    if (uiCodePage == "950" && dbCodePage == "936") return 2;
    if (uiCodePage == "936" && dbCodePage == "950") return 1;
    return 0;
}

bool IsOnText(const AnsiString& value) {
    const AnsiString upper = UpperCase(value);
    return upper == "1" || upper == "Y" || upper == "YES" || upper == "TRUE";
}

// The folder of the INI file: the user's profile folder when profiles are on and the logon name is
// known, else the install folder. profileUser is set when the profile folder is taken.
AnsiString ProfileFolder(const AnsiString& installPath, const AnsiString& profileType,
                         AnsiString& profileUser) {
    if (profileType.empty() || profileType == "0") return installPath;
    const AnsiString logonName = GetUserName();
    if (logonName.empty()) return installPath;
    profileUser = logonName;
    return installPath + "Profile\\" + logonName + "\\";
}

// What both readers set before anything is read: the defaults, the system's code page and the modes.
template <class TReader> void ResetDefaults(TReader& reader) {
    reader.ErrorCode.clear();
    reader.ProfilePath.clear();
    reader.ProfileType = "0";
    reader.ProfileUser = "Default";
    reader.DBCodePage = "936";
    reader.SystemCodePage = SystemCodePageText();
    reader.UICodePage = reader.SystemCodePage;
    reader.SupportCallBack = false;
    reader.UIConvertMode = UIConvertModeOf(reader.UICodePage, reader.SystemCodePage);
    reader.DBConvertMode = DBConvertModeOf(reader.UICodePage, reader.DBCodePage);
}

// The INI file in the profile folder, or in the install folder when the profile holds none.
template <class TReader>
void LocateIniFile(TReader& reader, const AnsiString& installPath, const char* fileName) {
    reader.ProfilePath = ProfileFolder(installPath, reader.ProfileType, reader.ProfileUser);
    reader.IniFileName = reader.ProfilePath + fileName;
    if (!FileExists(reader.IniFileName)) {
        reader.ProfilePath = installPath;
        reader.IniFileName = installPath + fileName;
    }
}

// The work-library folders of the WorkDLLPath section, absolute; the default folder when it is empty.
std::vector<AnsiString> WorkFolders(const TIniFile& ini, const AnsiString& base,
                                    const AnsiString& defaultFolder) {
    std::vector<AnsiString> lines;
    ini.ReadSectionValues("WorkDLLPath", lines);
    std::vector<AnsiString> folders;
    for (const AnsiString& line : lines) {
        const std::size_t eq = line.find('=');
        const AnsiString value = eq == AnsiString::npos ? AnsiString() : line.substr(eq + 1);
        folders.push_back(MakeAbsolutePath(IncludeTrailingBackslash(value), base));
    }
    if (folders.empty()) folders.push_back(defaultFolder);
    return folders;
}

} // namespace

KVR_PUBLISHED(TVeltraneIniC, c) {}
KVR_PUBLISHED(TVeltraneIniS, c) {}

AnsiString EncodeStoredPassword(const AnsiString& plain) {
    static const char digits[] = "0123456789abcdef";
    const AnsiString& text = plain.empty() ? AnsiString(kEmptyPasswordMarker) : plain;
    AnsiString stored;
    stored.reserve(text.size() * 2);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const Byte b = ScrambleByte(static_cast<Byte>(text[i]), i + 1);
        stored += digits[b >> 4];
        stored += digits[b & 0x0F];
    }
    return stored;
}

AnsiString DecodeStoredPassword(const AnsiString& stored) {
    AnsiString plain;
    bool valid = stored.size() % 2 == 0;
    for (std::size_t i = 0; valid && i < stored.size(); i += 2) {
        const int high = HexDigit(stored[i]);
        const int low = HexDigit(stored[i + 1]);
        valid = high >= 0 && low >= 0;
        if (valid) plain += static_cast<char>(ScrambleByte(static_cast<Byte>(high * 16 + low), i / 2 + 1));
    }
    if (!valid) {
        LogException(nullptr, EncodeStoredPassword("DecodeSQLSa"), "解析 Sa 时发生错误!");
        return kPasswordError;
    }
    return plain == kEmptyPasswordMarker ? AnsiString() : plain;
}

AnsiString MakeAbsolutePath(const AnsiString& path, const AnsiString& base) {
    if (!ExtractFileDrive(path).empty()) return path;
    if (!path.empty() && path[0] == '\\') return base + path.substr(1);
    return base + path;
}

// ---------------------------------------------------------------------------------------------------

namespace {

// One reading of the client's language settings, with the files it depends on: the registry file, and
// with a client folder the profile's settings file and the one read (the same file without a profile).
struct TLanguageReading {
    AnsiString ClientPath, UICodePage;
    unsigned Acp = 0;
    std::vector<AnsiString> Files;
    std::vector<TFileStamp> Stamps; // of Files, taken between two readings that agreed
    bool SameAs(const TLanguageReading& other) const {
        return ClientPath == other.ClientPath && UICodePage == other.UICodePage && Acp == other.Acp &&
               Files == other.Files;
    }
};

TLanguageReading ReadLanguageSettingsNow() {
    TLanguageReading reading;
    reading.Acp = GetACP();
    reading.UICodePage = SystemCodePageText();
    reading.Files.push_back(RegistryFileName());
    const TRegistryPaths paths = ReadRegistryPaths();
    if (!paths.keyFound || paths.clientPath.empty()) return reading;
    struct {
        AnsiString ProfilePath, IniFileName, ProfileType, ProfileUser;
    } location{"", "", paths.profileType, "Default"};
    reading.ClientPath = IncludeTrailingBackslash(paths.clientPath);
    LocateIniFile(location, reading.ClientPath, "VeltraneC.ini");
    reading.Files.push_back(ProfileFolder(reading.ClientPath, paths.profileType, location.ProfileUser) +
                            "VeltraneC.ini");
    reading.Files.push_back(location.IniFileName);
    reading.UICodePage =
        TIniFile(location.IniFileName).ReadString("CodePage", "UICodePage", reading.UICodePage);
    return reading;
}

// Whether the files still look as they did when the reading was kept (only a reading whose files had
// all settled past the file clock's tick is kept).
bool StillStands(const TLanguageReading& reading) {
    if (reading.Acp != GetACP() || reading.Files.front() != RegistryFileName()) return false;
    for (std::size_t i = 0; i < reading.Files.size(); ++i)
        if (FileStamp(reading.Files[i]) != reading.Stamps[i]) return false;
    return true;
}

} // namespace

void ReadClientLanguageSettings(AnsiString& clientPath, AnsiString& uiCodePage) {
    // Every language text asks, and each reading stats and looks up several files: the last reading is
    // kept while none of its files changed. The logon name of a profile is the process's own, which
    // does not change while it runs.
    static std::mutex lock;
    static std::optional<TLanguageReading> kept;
    {
        std::lock_guard<std::mutex> hold(lock);
        if (kept && StillStands(*kept)) {
            clientPath = kept->ClientPath;
            uiCodePage = kept->UICodePage;
            return;
        }
    }
    // Stamps taken between two readings that agree belong to what was read: a change after them shows
    // as a new stamp next time.
    const TLanguageReading first = ReadLanguageSettingsNow();
    std::vector<TFileStamp> stamps;
    bool settled = true;
    for (const AnsiString& file : first.Files) {
        stamps.push_back(FileStamp(file));
        settled = settled && !StampIsRecent(stamps.back());
    }
    TLanguageReading second = ReadLanguageSettingsNow();
    clientPath = second.ClientPath;
    uiCodePage = second.UICodePage;
    std::lock_guard<std::mutex> hold(lock);
    if (settled && second.SameAs(first)) {
        second.Stamps = std::move(stamps);
        kept = std::move(second);
    } else {
        kept.reset();
    }
}

TVeltraneIniC::TVeltraneIniC() {
    Load();
}

bool TVeltraneIniC::Load() {
    ClientPath.clear();
    ResetDefaults(*this);

    const TRegistryPaths paths = ReadRegistryPaths();
    if (!paths.keyFound) {
        ErrorCode = "E;000015";
        return false;
    }
    ClientPath = paths.clientPath;
    ProfileType = paths.profileType;
    if (ClientPath.empty()) return false;

    ClientPath = IncludeTrailingBackslash(ClientPath);
    LocateIniFile(*this, ClientPath, "VeltraneC.ini");

    const TIniFile ini(IniFileName);
    LangType = ini.ReadString("Client Components", "LangType", "ENG");
    Version = ini.ReadString("ProductVersion", "Version", "");
    CreateGifBeforeSendQZ = ini.ReadString("UserDefine", "CreateGifBeforeSendQZ", "Y");
    UICodePage = ini.ReadString("CodePage", "UICodePage", SystemCodePage);
    DBCodePage = ini.ReadString("CodePage", "DBCodePage", "936");
    SupportCallBack = IsOnText(ini.ReadString("Server Information", "SupportCallBack", "0"));
    AnsiString computerName = ini.ReadString("Server Information", "ComputerName", "127.0.0.1");
    const int serverPort = ini.ReadInteger("Server Information", "ServerPort", 211);
    AutoCheckNewMsg = ini.ReadString("TaskMessageCenter Setting", "AutoCheckNewMsg", "1");
    CheckInterval = ini.ReadString("TaskMessageCenter Setting", "CheckInterval", "1");
    PopupMsg = ini.ReadString("TaskMessageCenter Setting", "PopupMsg", "1");
    LoginCheck = ini.ReadString("TaskMessageCenter Setting", "LoginCheck", "0");

    UIConvertMode = UIConvertModeOf(UICodePage, SystemCodePage);
    DBConvertMode = DBConvertModeOf(UICodePage, DBCodePage);

    computerName = Trim(computerName);
    if (!computerName.empty() && computerName.back() == ';') computerName.pop_back();
    if (computerName.empty()) {
        ErrorCode = "E;000016";
        return false;
    }
    const int count = GetTokenCount(computerName, ";");
    Servers = VarArrayCreate({0, 1, 0, count - 1}, varVariant);
    for (int i = 0; i < count; ++i) {
        Servers.PutElement({0, i}, Variant(GetToken(computerName, ";", i + 1)));
        Servers.PutElement({1, i}, Variant(serverPort));
    }

    WorkDLLPaths->SetStrings(WorkFolders(ini, ClientPath, ClientPath + "C_PKG\\"));
    return true;
}

// ---------------------------------------------------------------------------------------------------

TVeltraneIniS::TVeltraneIniS() {
    Load();
}

bool TVeltraneIniS::Load() {
    ServerPath.clear();
    ResetDefaults(*this);

    const TRegistryPaths paths = ReadRegistryPaths();
    if (!paths.keyFound) {
        ErrorCode = "E;000015";
        return false;
    }
    ServerPath = paths.serverPath;
    ProfileType = paths.profileType;
    // As the client reader: no install folder, nothing to read and no error code.
    if (ServerPath.empty()) return false;

    ServerPath = IncludeTrailingBackslash(ServerPath);
    LocateIniFile(*this, ServerPath, "VeltraneS.ini");

    const TIniFile ini(IniFileName);
    DBSettings = VarArrayCreate({0, 3, 0, 7}, varVariant);
    auto put = [this](int row, int column, const Variant& value) {
        DBSettings.PutElement({row, column}, value);
    };
    const char* const dbe = "DBE Setting";

    Version = ini.ReadString("ProductVersion", "Version", "");
    UICodePage = ini.ReadString("CodePage", "UICodePage", SystemCodePage);
    DBCodePage = ini.ReadString("CodePage", "DBCodePage", "936");

    put(0, 0, ini.ReadString(dbe, "MainAlias", "Vorlan"));
    put(0, 1, ini.ReadString(dbe, "MainUserName", "sa"));
    put(0, 2, DecodeStoredPassword(ini.ReadString(dbe, "XXXXXX", "")));
    const AnsiString mainDBType = ini.ReadString(dbe, "MainDBType", "MSSQL");
    put(0, 3, mainDBType);
    put(0, 4, ini.ReadString(dbe, "MainDBName", ""));
    const AnsiString mainServerName = ini.ReadString(dbe, "MainServerName", "");
    put(0, 5, mainServerName);
    put(0, 6, ini.ReadInteger(dbe, "MainConnectionTimeOut", 300));
    put(0, 7, ini.ReadInteger(dbe, "MainCommandTimeOut", 3000));
    SystemControlAddress = ini.ReadString(dbe, "SystemControlAddress", "");
    if (Trim(SystemControlAddress).empty()) SystemControlAddress = mainServerName;
    OtherSystemControlAddress = ini.ReadString(dbe, "OtherSystemControlAddress", "");
    if (Trim(OtherSystemControlAddress).empty()) OtherSystemControlAddress = mainServerName;

    put(1, 0, ini.ReadString(dbe, "TempAlias", "VorlanTemp"));
    put(1, 1, ini.ReadString(dbe, "TempUserName", "sa"));
    put(1, 2, DecodeStoredPassword(ini.ReadString(dbe, "TempPassword", "")));
    put(1, 3, ini.ReadString(dbe, "TempDBType", "PARADOX"));
    put(1, 4, ini.ReadString(dbe, "TempDBName", ""));
    put(1, 5, ini.ReadString(dbe, "TempDriverName", "PostgreSQL"));
    put(1, 6, ini.ReadInteger(dbe, "TempConnectionTimeOut", 300));
    put(1, 7, ini.ReadInteger(dbe, "TempCommandTimeOut", 3000));

    put(2, 0, Trim(ini.ReadString("DBPasswordCtrl", "ComputerName", "")));
    put(2, 1, ini.ReadInteger("DBPasswordCtrl", "ServerPort", 211));
    put(2, 2, ini.ReadInteger("DBPasswordCtrl", "ClientSocketPort", 1024));
    SupportCallBack = IsOnText(ini.ReadString("DBPasswordCtrl", "SupportCallBack", "0"));
    put(2, 3, ini.ReadString(dbe, "DataBaseCodeOrder", "Chinese_Taiwan_Stroke_BIN"));

    put(3, 0, ini.ReadString(dbe, "EctAlias", "EDIDATA"));
    put(3, 1, ini.ReadString(dbe, "EctUserName", "sa"));
    put(3, 2, ini.ReadString(dbe, "EctPassword", ""));

    DBKind = SameText(mainDBType, "ORACLE") ? dbkOracle : SameText(mainDBType, "DB2") ? dbkDB2 : dbkOther;
    UIConvertMode = UIConvertModeOf(UICodePage, SystemCodePage);
    DBConvertMode = DBConvertModeOf(UICodePage, DBCodePage);
    WorkDLLPaths->SetStrings(WorkFolders(ini, ServerPath, ServerPath + "S_PKG\\"));
    return true;
}

// ---------------------------------------------------------------------------------------------------

AnsiString GetVeltranePath() {
    try {
        const TRegistryPaths paths = ReadRegistryPaths();
        if (!paths.clientPath.empty()) return paths.clientPath;
        if (!paths.serverPath.empty()) return paths.serverPath;
        const AnsiString temp = GetTempPath();
        if (!temp.empty()) return temp;
    } catch (...) {
    }
    return "C:\\Temp";
}

AnsiString GetVeltranePath2() {
    try {
        const TRegistryPaths paths = ReadRegistryPaths();
        if (!paths.clientPath.empty()) return paths.clientPath;
        return paths.serverPath;
    } catch (...) {
        return AnsiString();
    }
}
