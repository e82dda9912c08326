#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <unistd.h>

#include "classlib/rtl/codepages.h"
#include "classlib/rtl/files.h"
#include "classlib/rtl/registry.h"

namespace {

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetACP(936);
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/kvr-reg-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        FTemp = pattern;
        FStore = FTemp + "/store/registry.ini";
        SetRegistryFileName(FStore);
    }
    void TearDown() override {
        SetRegistryFileName("");
        std::error_code ec;
        std::filesystem::remove_all(FTemp, ec);
    }
    AnsiString StoreText() const {
        AnsiString text;
        return ReadFileBytes(FStore, text) ? text : AnsiString("<missing>");
    }
    // The platform's key, written as its installer would.
    void Install(const AnsiString& clientPath) {
        TRegistry reg;
        reg.SetRootKey(HKEY_LOCAL_MACHINE);
        ASSERT_TRUE(reg.OpenKey("Software\\QVN\\Veltrane", true));
        reg.WriteString("ClientPath", clientPath);
    }
    std::string FTemp;
    std::string FStore;
};

} // namespace

TEST_F(RegistryTest, MissingKeyIsToldFromMissingValue) {
    TRegistry reg;
    EXPECT_EQ(reg.RootKey(), HKEY_CURRENT_USER);
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    EXPECT_FALSE(reg.OpenKeyReadOnly("Software\\QVN\\Veltrane"));
    EXPECT_FALSE(reg.OpenKey("Software\\QVN\\Veltrane", false));
    EXPECT_FALSE(reg.KeyExists("Software\\QVN\\Veltrane"));
    EXPECT_EQ(reg.CurrentPath(), "");
    EXPECT_FALSE(FileExists(FStore)); // nothing was written

    Install("C:\\Veltrane");
    ASSERT_TRUE(reg.OpenKeyReadOnly("SOFTWARE\\qvn\\VELTRANE")); // a second object sees the first's write
    EXPECT_EQ(reg.CurrentPath(), "SOFTWARE\\qvn\\VELTRANE");
    EXPECT_EQ(reg.ReadString("clientpath"), "C:\\Veltrane");
    EXPECT_TRUE(reg.ValueExists("ClientPath"));
    EXPECT_FALSE(reg.ValueExists("ProfileType"));
    EXPECT_EQ(reg.ReadString("ProfileType"), ""); // a missing value reads '' and raises nothing
    EXPECT_TRUE(reg.KeyExists("\\Software\\QVN"));
    EXPECT_FALSE(reg.KeyExists("\\Software\\QVN\\Other"));
    reg.CloseKey();
    EXPECT_EQ(reg.ReadString("ClientPath"), "");

    // Each root key is a tree of its own.
    TRegistry user;
    EXPECT_FALSE(user.KeyExists("Software\\QVN\\Veltrane"));
    user.SetRootKey(HKEY_LOCAL_MACHINE);
    EXPECT_TRUE(user.KeyExists("Software\\QVN\\Veltrane"));
    user.SetRootKey(0x12345u);
    EXPECT_FALSE(user.KeyExists("Software"));
    EXPECT_FALSE(user.OpenKey("Software", true));
}

TEST_F(RegistryTest, WritesNeedAKeyOpenForWriting) {
    Install("C:\\Veltrane");
    TRegistry reg;
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    EXPECT_THROW(reg.WriteString("ClientPath", "x"), ERegistryException); // no key open
    ASSERT_TRUE(reg.OpenKeyReadOnly("Software\\QVN\\Veltrane"));
    try {
        reg.WriteString("ClientPath", "x");
        ADD_FAILURE() << "a read-only key took a write";
    } catch (const ERegistryException& e) {
        EXPECT_EQ(e.Message(), "Failed to set data for 'ClientPath'");
    }
    EXPECT_FALSE(reg.DeleteValue("ClientPath"));
    EXPECT_EQ(reg.ReadString("ClientPath"), "C:\\Veltrane");

    // A key deleted under an open object takes no more writes.
    ASSERT_TRUE(reg.OpenKey("\\Software\\QVN\\Veltrane", false));
    TRegistry other;
    other.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(other.DeleteKey("Software\\QVN\\Veltrane"));
    EXPECT_EQ(reg.ReadString("ClientPath"), "");
    EXPECT_THROW(reg.WriteString("ClientPath", "x"), ERegistryException);
    EXPECT_FALSE(reg.KeyExists("\\Software\\QVN\\Veltrane"));
}

TEST_F(RegistryTest, PathsValuesAndKeyLists) {
    TRegistry reg;
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(reg.OpenKey("\\Software\\\\QVN\\", true));
    EXPECT_EQ(reg.CurrentPath(), "Software\\QVN");
    ASSERT_TRUE(reg.OpenKey("Veltrane", true)); // relative to the open key
    EXPECT_EQ(reg.CurrentPath(), "Software\\QVN\\Veltrane");
    reg.WriteString("ClientPath", "C:\\Veltrane\\");
    reg.WriteString("ServerPath", "D:\\Srv\\");
    reg.WriteString("CLIENTPATH", "E:\\Client\\"); // same value, its first spelling kept
    ASSERT_TRUE(reg.OpenKey("\\Software\\QVN\\Tools", true));
    ASSERT_TRUE(reg.OpenKey("\\Software\\QVN\\Veltrane\\Sub", true));

    std::vector<AnsiString> names{"stale"};
    ASSERT_TRUE(reg.OpenKey("\\Software\\QVN", false));
    reg.GetKeyNames(names);
    EXPECT_EQ(names, (std::vector<AnsiString>{"Veltrane", "Tools"}));
    reg.GetValueNames(names);
    EXPECT_TRUE(names.empty());
    ASSERT_TRUE(reg.OpenKey("veltrane", false));
    reg.GetValueNames(names);
    EXPECT_EQ(names, (std::vector<AnsiString>{"ClientPath", "ServerPath"}));
    EXPECT_EQ(reg.ReadString("ClientPath"), "E:\\Client\\");

    EXPECT_TRUE(reg.DeleteValue("serverpath"));
    EXPECT_FALSE(reg.DeleteValue("serverpath"));
    EXPECT_FALSE(reg.ValueExists("ServerPath"));

    // A key goes with everything below it; its parent stays.
    EXPECT_TRUE(reg.DeleteKey("\\Software\\QVN\\Veltrane"));
    EXPECT_FALSE(reg.DeleteKey("\\Software\\QVN\\Veltrane"));
    EXPECT_FALSE(reg.KeyExists("\\Software\\QVN\\Veltrane\\Sub"));
    EXPECT_TRUE(reg.KeyExists("\\Software\\QVN\\Tools"));
    EXPECT_TRUE(reg.DeleteKey("\\Software\\QVN\\Tools"));
    EXPECT_TRUE(reg.KeyExists("\\Software\\QVN"));
    EXPECT_FALSE(reg.DeleteKey("\\")); // never the root key
    reg.CloseKey();
    reg.GetKeyNames(names);
    EXPECT_TRUE(names.empty());
}

TEST_F(RegistryTest, StoreFileRoundTripsAnyBytes) {
    struct Case {
        const char* name;
        const char* value;
    };
    const Case cases[] = {
        {"Plain", "C:\\Veltrane\\"},
        {"Percent", "100% %41"},
        {"Eq=Name", "a=b"},
        {";Leading", "[x]"},
        {" Blanks ", "  two  "},
        {"Lines", "one\r\ntwo\n"},
        {"\xD6\xD0\xCE\xC4", "\xB1\x5C\xB1\x5D"}, // GBK, trail bytes "\" and "]"
        {"", "default value"},
        {"Empty", ""},
    };
    {
        TRegistry reg;
        reg.SetRootKey(HKEY_LOCAL_MACHINE);
        ASSERT_TRUE(reg.OpenKey("Software\\Odd]Key\\\xB1\x5D", true));
        for (const Case& c : cases)
            reg.WriteString(c.name, c.value);
    }
    TRegistry reg;
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(reg.OpenKeyReadOnly("Software\\Odd]Key\\\xB1\x5D"));
    for (const Case& c : cases) {
        EXPECT_TRUE(reg.ValueExists(c.name)) << c.name;
        EXPECT_EQ(reg.ReadString(c.name), c.value) << c.name;
    }
    std::vector<AnsiString> names;
    reg.GetValueNames(names);
    EXPECT_EQ(names.size(), std::size(cases));

    // Written once more, the store is the same text: nothing drifts.
    AnsiString before = StoreText();
    TRegistry again;
    again.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(again.OpenKey("Software\\Odd]Key\\\xB1\x5D", false));
    again.WriteString("Plain", "C:\\Veltrane\\");
    EXPECT_EQ(StoreText(), before);
    // Only the store and its lock file are in the folder: no temporary file is left.
    std::vector<std::string> files;
    for (const auto& e : std::filesystem::directory_iterator(FTemp + "/store"))
        files.push_back(e.path().filename().string());
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::string>{"registry.ini", "registry.ini.lock"}));
}

TEST_F(RegistryTest, HandWrittenStore) {
    std::filesystem::create_directories(FTemp + "/store");
    ASSERT_TRUE(SaveFileBytes(FStore, "; set up by hand\r\n"
                                      "ignored=before any key\r\n"
                                      "[HKLM\\Software\\QVN\\Veltrane]\r\n"
                                      "  ClientPath = C:\\Veltrane\\  \r\n"
                                      "ProfileType=1\r\n"
                                      "not a value line\r\n"
                                      "[HKEY_LOCAL_MACHINE\\software\\qvn\\veltrane]\r\n"
                                      "profiletype=2\r\n"
                                      "UseKBIG5=0\r\n"
                                      "[NoSuchRoot\\X]\r\n"
                                      "A=1\r\n"));
    TRegistry reg;
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(reg.OpenKeyReadOnly("Software\\QVN\\Veltrane"));
    EXPECT_EQ(reg.ReadString("ClientPath"), "C:\\Veltrane\\");
    EXPECT_EQ(reg.ReadString("ProfileType"), "1"); // the first one wins
    EXPECT_EQ(reg.ReadString("UseKBIG5"), "0");
    EXPECT_FALSE(reg.ValueExists("ignored"));
    EXPECT_TRUE(reg.KeyExists("\\Software")); // a parent without a line of its own
    std::vector<AnsiString> names;
    reg.GetValueNames(names);
    EXPECT_EQ(names, (std::vector<AnsiString>{"ClientPath", "ProfileType", "UseKBIG5"}));

    // Deleting the only sub-key keeps the parent that had no line.
    ASSERT_TRUE(reg.DeleteKey("\\Software\\QVN\\Veltrane"));
    EXPECT_TRUE(reg.KeyExists("\\Software\\QVN"));
}

TEST_F(RegistryTest, StoreLocation) {
    SetRegistryFileName("");
    std::optional<std::string> oldStore, oldHome;
    if (const char* v = std::getenv("KVR_REGISTRY")) oldStore = v;
    if (const char* v = std::getenv("HOME")) oldHome = v;

    ::setenv("KVR_REGISTRY", (FTemp + "/env/reg.ini").c_str(), 1);
    EXPECT_EQ(RegistryFileName(), FTemp + "/env/reg.ini");
    ::unsetenv("KVR_REGISTRY");
    ::setenv("HOME", FTemp.c_str(), 1);
    EXPECT_EQ(RegistryFileName(), FTemp + "/.kvrx58/registry.ini");
    {
        // The first write creates the store's folder.
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey("Software\\QVN", true));
        reg.WriteString("A", "1");
    }
    EXPECT_TRUE(std::filesystem::is_regular_file(FTemp + "/.kvrx58/registry.ini"));

    if (oldStore) ::setenv("KVR_REGISTRY", oldStore->c_str(), 1);
    if (oldHome)
        ::setenv("HOME", oldHome->c_str(), 1);
    else
        ::unsetenv("HOME");

    // A store that cannot be a file takes no writes and reads as empty.
    std::filesystem::create_directories(FTemp + "/dir.ini");
    SetRegistryFileName(FTemp + "/dir.ini");
    TRegistry reg;
    EXPECT_FALSE(reg.OpenKey("Software", true));
    EXPECT_FALSE(reg.KeyExists("Software"));
}
