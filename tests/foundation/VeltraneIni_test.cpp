#include <gtest/gtest.h>

#include "TempPlatform.h"

#include <cctype>
#include "classlib/rtl/files.h"
#include "classlib/rtl/variants.h"
#include "foundation/VeltraneIni.h"

namespace {

const AnsiString kClient = "C:\\Veltrane\\Client\\";
const AnsiString kServer = "D:\\Veltrane\\Server\\";

using VeltraneIniTest = TempPlatform;

// ---------------------------------------------------------------------------------------------------
// Client reader

TEST_F(VeltraneIniTest, ClientWithoutRegistryKeyKeepsDefaults) {
    TVeltraneIniC ini;
    EXPECT_FALSE(ini.Load());
    EXPECT_EQ(ini.ErrorCode, "E;000015");
    EXPECT_EQ(ini.ClientPath, "");
    EXPECT_EQ(ini.ProfileType, "0");
    EXPECT_EQ(ini.ProfileUser, "Default");
    EXPECT_EQ(ini.UICodePage, "936");
    EXPECT_EQ(ini.DBCodePage, "936");
    EXPECT_EQ(ini.SystemCodePage, "936");
    EXPECT_TRUE(VarIsEmpty(ini.Servers));
    EXPECT_TRUE(ini.WorkDLLPaths->Count() == 0);
}

TEST_F(VeltraneIniTest, ClientWithEmptyClientPathFailsWithoutErrorCode) {
    SetPlatformKey({{"ServerPath", kServer}});
    TVeltraneIniC ini;
    EXPECT_FALSE(ini.Load());
    EXPECT_EQ(ini.ErrorCode, "");
}

TEST_F(VeltraneIniTest, ClientWithoutIniFileTakesEveryDefault) {
    SetPlatformKey({{"ClientPath", "C:\\Veltrane\\Client"}});
    TVeltraneIniC ini;
    EXPECT_TRUE(ini.Load());
    EXPECT_EQ(ini.ErrorCode, "");
    EXPECT_EQ(ini.ClientPath, kClient);
    EXPECT_EQ(ini.ProfilePath, kClient);
    EXPECT_EQ(ini.IniFileName, kClient + "VeltraneC.ini");
    EXPECT_EQ(ini.LangType, "ENG");
    EXPECT_EQ(ini.Version, "");
    EXPECT_EQ(ini.CreateGifBeforeSendQZ, "Y");
    EXPECT_EQ(ini.UICodePage, "936");
    EXPECT_EQ(ini.DBCodePage, "936");
    EXPECT_FALSE(ini.SupportCallBack);
    EXPECT_EQ(ini.AutoCheckNewMsg, "1");
    EXPECT_EQ(ini.CheckInterval, "1");
    EXPECT_EQ(ini.PopupMsg, "1");
    EXPECT_EQ(ini.LoginCheck, "0");
    EXPECT_EQ(ini.UIConvertMode, 0);
    EXPECT_EQ(ini.DBConvertMode, 0);
    ASSERT_EQ(VarArrayDimCount(ini.Servers), 2);
    EXPECT_EQ(VarArrayHighBound(ini.Servers, 1), 1);
    EXPECT_EQ(VarArrayHighBound(ini.Servers, 2), 0);
    EXPECT_EQ(ini.Servers.GetElement({0, 0}).AsString(), "127.0.0.1");
    EXPECT_EQ(ini.Servers.GetElement({1, 0}).AsInteger(), 211);
    EXPECT_EQ(ini.WorkDLLPaths->ToVector(), std::vector<AnsiString>{kClient + "C_PKG\\"});
}

TEST_F(VeltraneIniTest, ClientReadsItsFile) {
    SetPlatformKey({{"ClientPath", kClient}});
    WriteFile(
        kClient + "VeltraneC.ini",
        "[Client Components]\r\nLangType=GB\r\n"
        "[ProductVersion]\r\nVersion=5.2\r\n"
        "[UserDefine]\r\nCreateGifBeforeSendQZ=N\r\n"
        "[CodePage]\r\nUICodePage=950\r\nDBCodePage=936\r\n"
        "[Server Information]\r\nSupportCallBack=yEs\r\nComputerName= alpha; beta; \r\nServerPort=300\r\n"
        "[TaskMessageCenter "
        "Setting]\r\nAutoCheckNewMsg=0\r\nCheckInterval=5\r\nPopupMsg=0\r\nLoginCheck=1\r\n"
        "[WorkDLLPath]\r\nA=Work\r\nB=\\Lib\\Bin\r\nC=E:\\Shared\r\nD=\\\\files\\pkg\\\r\n");
    TVeltraneIniC ini;
    ASSERT_TRUE(ini.Load());
    EXPECT_EQ(ini.LangType, "GB");
    EXPECT_EQ(ini.Version, "5.2");
    EXPECT_EQ(ini.CreateGifBeforeSendQZ, "N");
    EXPECT_EQ(ini.UICodePage, "950");
    EXPECT_TRUE(ini.SupportCallBack);
    EXPECT_EQ(ini.AutoCheckNewMsg, "0");
    EXPECT_EQ(ini.CheckInterval, "5");
    EXPECT_EQ(ini.PopupMsg, "0");
    EXPECT_EQ(ini.LoginCheck, "1");
    EXPECT_EQ(ini.UIConvertMode, 2);
    EXPECT_EQ(ini.DBConvertMode, 2);
    // Two hosts, each with the one port, in the order written; the entries are not trimmed.
    ASSERT_EQ(VarArrayHighBound(ini.Servers, 2), 1);
    EXPECT_EQ(ini.Servers.GetElement({0, 0}).AsString(), "alpha");
    EXPECT_EQ(ini.Servers.GetElement({0, 1}).AsString(), " beta");
    EXPECT_EQ(ini.Servers.GetElement({1, 0}).AsInteger(), 300);
    EXPECT_EQ(ini.Servers.GetElement({1, 1}).AsInteger(), 300);
    const std::vector<AnsiString> work = {kClient + "Work\\", kClient + "Lib\\Bin\\", "E:\\Shared\\",
                                          "\\\\files\\pkg\\"};
    EXPECT_EQ(ini.WorkDLLPaths->ToVector(), work);
}

TEST_F(VeltraneIniTest, ClientServerListOfOnlyASemicolonIsAnError) {
    SetPlatformKey({{"ClientPath", kClient}});
    for (const char* computerName : {";", " ; ", ""}) {
        WriteFile(kClient + "VeltraneC.ini",
                  AnsiString("[Server Information]\r\nComputerName=") + computerName + "\r\n");
        TVeltraneIniC ini;
        EXPECT_FALSE(ini.Load()) << computerName;
        EXPECT_EQ(ini.ErrorCode, "E;000016") << computerName;
    }
}

TEST_F(VeltraneIniTest, SupportCallBackTexts) {
    SetPlatformKey({{"ClientPath", kClient}});
    const struct {
        const char* value;
        bool on;
    } cases[] = {{"1", true},  {"Y", true},   {"yes", true}, {"True", true},
                 {"2", false}, {"no", false}, {"0", false}};
    for (const auto& c : cases) {
        WriteFile(kClient + "VeltraneC.ini",
                  AnsiString("[Server Information]\r\nSupportCallBack=") + c.value + "\r\n");
        TVeltraneIniC ini;
        EXPECT_EQ(ini.SupportCallBack, c.on) << c.value;
    }
}

TEST_F(VeltraneIniTest, ProfileFolderOfTheLogonName) {
    const AnsiString user = GetUserName();
    if (user.empty()) GTEST_SKIP() << "no logon name";
    SetPlatformKey({{"ClientPath", kClient}, {"ProfileType", "1"}});
    WriteFile(kClient + "VeltraneC.ini", "[Client Components]\r\nLangType=SHARED\r\n");

    { // No file in the profile folder: the install folder's file.
        TVeltraneIniC ini;
        EXPECT_TRUE(ini.Load());
        EXPECT_EQ(ini.ProfilePath, kClient);
        EXPECT_EQ(ini.IniFileName, kClient + "VeltraneC.ini");
        EXPECT_EQ(ini.ProfileUser, user);
        EXPECT_EQ(ini.LangType, "SHARED");
    }
    const AnsiString profile = kClient + "Profile\\" + user + "\\";
    WriteFile(profile + "VeltraneC.ini", "[Client Components]\r\nLangType=MINE\r\n");
    TVeltraneIniC ini;
    EXPECT_EQ(ini.ProfileType, "1");
    EXPECT_EQ(ini.ProfilePath, profile);
    EXPECT_EQ(ini.IniFileName, profile + "VeltraneC.ini");
    EXPECT_EQ(ini.LangType, "MINE");
    // The work folders stay below the install folder.
    EXPECT_EQ(ini.WorkDLLPaths->ToVector(), std::vector<AnsiString>{kClient + "C_PKG\\"});

    SetPlatformKey({{"ProfileType", "0"}});
    TVeltraneIniC shared;
    EXPECT_EQ(shared.ProfilePath, kClient);
    EXPECT_EQ(shared.ProfileUser, "Default");
    EXPECT_EQ(shared.LangType, "SHARED");
}

TEST_F(VeltraneIniTest, CodePagesAndConversionModes) {
    SetPlatformKey({{"ClientPath", kClient}});
    const struct {
        unsigned acp;
        const char* file; // the CodePage section's lines
        const char *system, *ui;
        int uiMode, dbMode;
    } cases[] = {
        {1252, "", "437", "437", 0, 0},
        {437, "DBCodePage=950\r\n", "437", "437", 0, 0},
        {950, "UICodePage=936\r\nDBCodePage=950\r\n", "950", "936", 4, 1},
        {950, "", "950", "950", 2, 2},
        {936, "DBCodePage=950\r\n", "936", "936", 0, 1},
        {936, "UICodePage=950\r\nDBCodePage=950\r\n", "936", "950", 2, 0},
        {1252, "UICodePage=936\r\n", "437", "936", 0, 0},
    };
    for (const auto& c : cases) {
        SetACP(c.acp);
        WriteFile(kClient + "VeltraneC.ini", AnsiString("[CodePage]\r\n") + c.file);
        TVeltraneIniC client;
        EXPECT_EQ(client.SystemCodePage, c.system) << c.acp << " " << c.file;
        EXPECT_EQ(client.UICodePage, c.ui) << c.acp << " " << c.file;
        EXPECT_EQ(client.UIConvertMode, c.uiMode) << c.acp << " " << c.file;
        EXPECT_EQ(client.DBConvertMode, c.dbMode) << c.acp << " " << c.file;
    }
    SetACP(936);
}

// ---------------------------------------------------------------------------------------------------
// Server reader

TEST_F(VeltraneIniTest, ServerWithoutRegistryKeyOrServerPath) {
    {
        TVeltraneIniS ini;
        EXPECT_FALSE(ini.Load());
        EXPECT_EQ(ini.ErrorCode, "E;000015");
        EXPECT_EQ(ini.DBCodePage, "936");
    }
    SetPlatformKey({{"ClientPath", kClient}});
    TVeltraneIniS ini;
    EXPECT_FALSE(ini.Load());
    EXPECT_EQ(ini.ErrorCode, "");
}

TEST_F(VeltraneIniTest, ServerDefaults) {
    SetPlatformKey({{"ServerPath", "D:\\Veltrane\\Server"}});
    TVeltraneIniS ini;
    ASSERT_TRUE(ini.Load());
    EXPECT_EQ(ini.ServerPath, kServer);
    EXPECT_EQ(ini.IniFileName, kServer + "VeltraneS.ini");
    ASSERT_EQ(VarArrayDimCount(ini.DBSettings), 2);
    EXPECT_EQ(VarArrayHighBound(ini.DBSettings, 1), 3);
    EXPECT_EQ(VarArrayHighBound(ini.DBSettings, 2), 7);
    const struct {
        int row, column;
        Variant value;
    } cells[] = {
        {0, 0, "Vorlan"},     {0, 1, "sa"},         {0, 2, ""},   {0, 3, "MSSQL"},
        {0, 4, ""},           {0, 5, ""},           {0, 6, 300},  {0, 7, 3000},
        {1, 0, "VorlanTemp"}, {1, 1, "sa"},         {1, 2, ""},   {1, 3, "PARADOX"},
        {1, 4, ""},           {1, 5, "PostgreSQL"}, {1, 6, 300},  {1, 7, 3000},
        {2, 0, ""},           {2, 1, 211},          {2, 2, 1024}, {2, 3, "Chinese_Taiwan_Stroke_BIN"},
        {3, 0, "EDIDATA"},    {3, 1, "sa"},         {3, 2, ""},
    };
    for (const auto& c : cells) {
        const Variant cell = ini.DBSettings.GetElement({c.row, c.column});
        EXPECT_EQ(VarType(cell), VarType(c.value)) << c.row << "," << c.column;
        EXPECT_TRUE(cell == c.value) << c.row << "," << c.column;
    }
    for (int column = 4; column <= 7; ++column) {
        EXPECT_TRUE(VarIsEmpty(ini.DBSettings.GetElement({2, column}))) << column;
        EXPECT_TRUE(VarIsEmpty(ini.DBSettings.GetElement({3, column}))) << column;
    }
    EXPECT_TRUE(VarIsEmpty(ini.DBSettings.GetElement({3, 3})));
    EXPECT_EQ(ini.DBKind, dbkOther);
    EXPECT_FALSE(ini.SupportCallBack);
    EXPECT_EQ(ini.WorkDLLPaths->ToVector(), std::vector<AnsiString>{kServer + "S_PKG\\"});
}

TEST_F(VeltraneIniTest, ServerReadsItsFileAndDecodesPasswords) {
    SetPlatformKey({{"ServerPath", kServer}});
    WriteFile(kServer + "VeltraneS.ini",
              "[ProductVersion]\r\nVersion=7\r\n"
              "[CodePage]\r\nUICodePage=950\r\n"
              "[DBE Setting]\r\nMainAlias=Main\r\nMainDBType=oracle\r\nMainServerName=db01\r\n"
              "XXXXXX=" +
                  EncodeStoredPassword("s3cret") +
                  "\r\n"
                  "TempPassword=" +
                  EncodeStoredPassword("") +
                  "\r\n"
                  "EctPassword=plain-as-stored\r\n"
                  "SystemControlAddress=   \r\nOtherSystemControlAddress=ctl02\r\n"
                  "MainConnectionTimeOut=60\r\n"
                  "[DBPasswordCtrl]\r\nComputerName= pwhost \r\nServerPort=999\r\nSupportCallBack=TRUE\r\n"
                  "[WorkDLLPath]\r\nX=Bin\r\n");
    TVeltraneIniS ini;
    ASSERT_TRUE(ini.Load());
    EXPECT_EQ(ini.Version, "7");
    EXPECT_EQ(ini.UICodePage, "950");
    EXPECT_EQ(ini.UIConvertMode, 2);
    EXPECT_EQ(ini.DBConvertMode, 2);
    EXPECT_EQ(ini.DBSettings.GetElement({0, 0}).AsString(), "Main");
    EXPECT_EQ(ini.DBSettings.GetElement({0, 2}).AsString(), "s3cret");
    EXPECT_EQ(ini.DBSettings.GetElement({0, 6}).AsInteger(), 60);
    EXPECT_EQ(ini.DBSettings.GetElement({1, 2}).AsString(), "");
    EXPECT_EQ(ini.DBSettings.GetElement({3, 2}).AsString(), "plain-as-stored");
    EXPECT_EQ(ini.DBSettings.GetElement({2, 0}).AsString(), "pwhost");
    EXPECT_EQ(ini.DBSettings.GetElement({2, 1}).AsInteger(), 999);
    EXPECT_TRUE(ini.SupportCallBack);
    EXPECT_EQ(ini.DBKind, dbkOracle);
    EXPECT_EQ(ini.SystemControlAddress, "db01");
    EXPECT_EQ(ini.OtherSystemControlAddress, "ctl02");
    EXPECT_EQ(ini.WorkDLLPaths->ToVector(), std::vector<AnsiString>{kServer + "Bin\\"});
}

TEST_F(VeltraneIniTest, ServerDatabaseKinds) {
    SetPlatformKey({{"ServerPath", kServer}});
    const struct {
        const char* type;
        Byte kind;
    } cases[] = {{"ORACLE", dbkOracle}, {"Oracle", dbkOracle}, {"DB2", dbkDB2},
                 {"db2", dbkDB2},       {"MSSQL", dbkOther},   {"ORACLE9", dbkOther}};
    for (const auto& c : cases) {
        WriteFile(kServer + "VeltraneS.ini", AnsiString("[DBE Setting]\r\nMainDBType=") + c.type + "\r\n");
        TVeltraneIniS ini;
        EXPECT_EQ(ini.DBKind, c.kind) << c.type;
    }
}

// ---------------------------------------------------------------------------------------------------
// Paths

TEST_F(VeltraneIniTest, PathRoutinesFallBackInOrder) {
    EXPECT_EQ(GetVeltranePath2(), "");
    EXPECT_EQ(GetVeltranePath(), GetTempPath());
    SetPlatformKey({{"ServerPath", kServer}});
    EXPECT_EQ(GetVeltranePath(), kServer);
    EXPECT_EQ(GetVeltranePath2(), kServer);
    SetPlatformKey({{"ClientPath", "C:\\Veltrane\\Client"}});
    EXPECT_EQ(GetVeltranePath(), "C:\\Veltrane\\Client");
    EXPECT_EQ(GetVeltranePath2(), "C:\\Veltrane\\Client");
}

TEST(VeltraneIniPaths, MakeAbsolutePath) {
    const struct {
        const char *path, *expected;
    } cases[] = {
        {"Work\\", "C:\\Base\\Work\\"},
        {"\\Work\\", "C:\\Base\\Work\\"},
        {"E:\\Other\\", "E:\\Other\\"},
        {"e:relative", "e:relative"},
        {"\\\\server\\share\\x", "\\\\server\\share\\x"},
        {"", "C:\\Base\\"},
        {"..\\Up", "C:\\Base\\..\\Up"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MakeAbsolutePath(c.path, "C:\\Base\\"), c.expected) << c.path;
}

// ---------------------------------------------------------------------------------------------------
// Stored passwords

TEST(StoredPassword, IsTwoLowerCaseHexDigitsPerCharacterAndRoundTrips) {
    for (const AnsiString& plain : {AnsiString("sa"), AnsiString("P@ss word;="), AnsiString("密码"),
                                    AnsiString("aaaaaaaa"), AnsiString("\x01\xFF", 2)}) {
        const AnsiString stored = EncodeStoredPassword(plain);
        ASSERT_EQ(stored.size(), plain.size() * 2) << plain;
        EXPECT_EQ(stored.find_first_not_of("0123456789abcdef"), AnsiString::npos) << stored;
        EXPECT_EQ(DecodeStoredPassword(stored), plain);
    }
    // The position takes part: the same letters do not repeat in the stored text.
    const AnsiString same = EncodeStoredPassword("aaaa");
    EXPECT_NE(same.substr(0, 2), same.substr(2, 2));
    // Upper-case digits are hexadecimal too.
    AnsiString upper = EncodeStoredPassword("sa");
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(DecodeStoredPassword(upper), "sa");
}

TEST(StoredPassword, EmptyPasswordIsStoredAsTheMarker) {
    const AnsiString marker = "QV_Say_NoPassWord_ThePassWordIsEmpty";
    EXPECT_EQ(EncodeStoredPassword(""), EncodeStoredPassword(marker));
    EXPECT_EQ(EncodeStoredPassword("").size(), marker.size() * 2);
    EXPECT_EQ(DecodeStoredPassword(EncodeStoredPassword("")), "");
    EXPECT_EQ(DecodeStoredPassword(""), "");
}

TEST(StoredPassword, FixedFormOfExistingFiles) {
    // Texts as existing INI files hold them: the scramble may never change.
    EXPECT_EQ(EncodeStoredPassword("sa"), "b98e");
    EXPECT_EQ(DecodeStoredPassword("b98e"), "sa");
}

TEST_F(VeltraneIniTest, NotHexadecimalIsAnError) {
    SetPlatformKey({{"ClientPath", kClient}});
    for (const char* bad : {"abc", "zz", "0g", "12 4"})
        EXPECT_EQ(DecodeStoredPassword(bad), "QV_Say_Password_Error") << bad;
}

} // namespace
