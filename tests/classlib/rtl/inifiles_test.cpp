#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

#include "classlib/rtl/codepages.h"
#include "classlib/rtl/files.h"
#include "classlib/rtl/inifiles.h"

namespace {

class IniFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetACP(936);
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/kvr-ini-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        FTemp = pattern;
        SetDriveRoot(FTemp);
        ASSERT_TRUE(ForceDirectories("C:\\Cfg"));
    }
    void TearDown() override {
        SetDriveRoot("");
        std::error_code ec;
        std::filesystem::remove_all(FTemp, ec);
    }
    static void Put(const AnsiString& text) { ASSERT_TRUE(SaveFileBytes(FileName, text)); }
    static AnsiString Content() {
        AnsiString text;
        return ReadFileBytes(FileName, text) ? text : AnsiString("<missing>");
    }
    static inline const AnsiString FileName = "C:\\Cfg\\VeltraneC.ini";
    std::string FTemp;
};

const char* const kSample = "; written by hand\r\n"
                            "[Client Components]\r\n"
                            "  LangType = CHS  \r\n"
                            "langtype=ENG\r\n"
                            "Quoted=\"  a b  \"\r\n"
                            "Single='x'\r\n"
                            "Mismatch=\"x'\r\n"
                            "OnlyQuote=\"\r\n"
                            "Empty=\r\n"
                            "NoEquals line\r\n"
                            ";Commented=1\r\n"
                            "  [ Server Information ]  trailing\r\n"
                            "ComputerName=127.0.0.1;\r\n"
                            "[client components]\r\n"
                            "LangType=BIG\r\n"
                            "Extra=1\r\n"
                            "[Numbers]\r\n"
                            "Dec=42\r\nNeg=-7\r\nHex=0x1F\r\nDollar=$FF\r\nAllBits=$FFFFFFFF\r\nBig="
                            "2147483648\r\nBad=12a\r\nZero=0\r\n"
                            // A section whose double-byte name ends in the trail byte 0x5D ("]").
                            "[\xB1\x5D]\r\n"
                            "\xD6\xD0\xCE\xC4=\xD6\xB5\r\n"
                            "[Empty]\r\n";

} // namespace

TEST_F(IniFileTest, ReadsWithPrivateProfileRules) {
    Put(kSample);
    TIniFile ini(FileName);
    struct Case {
        const char* section;
        const char* key;
        const char* defaultValue;
        const char* expected;
    };
    const Case cases[] = {
        {"Client Components", "LangType", "ENG", "CHS"},  // trimmed; the first duplicate wins
        {" CLIENT components ", " langTYPE ", "", "CHS"}, // names without case, trimmed
        {"Client Components", "Quoted", "", "  a b  "},   // one pair of quotes removed
        {"Client Components", "Single", "", "x"},
        {"Client Components", "Mismatch", "", "\"x'"},
        {"Client Components", "OnlyQuote", "", "\""},
        {"Client Components", "Empty", "d", ""}, // present but empty is not missing
        {"Client Components", "NoEquals line", "d", "d"},
        {"Client Components", ";Commented", "d", "d"},
        {"Client Components", "Extra", "none", "none"}, // only the first section of a name is read
        {"Server Information", "ComputerName", "", "127.0.0.1;"},
        {"Missing", "Key", "def  ", "def"}, // a default loses its trailing blanks
        {"\xB1\x5D", "\xD6\xD0\xCE\xC4", "", "\xD6\xB5"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ini.ReadString(c.section, c.key, c.defaultValue), c.expected) << c.section << "/" << c.key;

    struct IntCase {
        const char* key;
        int expected;
    };
    const IntCase ints[] = {{"Dec", 42},  {"Neg", -7},  {"Hex", 31}, {"Dollar", 255}, {"AllBits", -1},
                            {"Big", -99}, {"Bad", -99}, {"Zero", 0}, {"None", -99}};
    for (const IntCase& c : ints)
        EXPECT_EQ(ini.ReadInteger("Numbers", c.key, -99), c.expected) << c.key;
    EXPECT_TRUE(ini.ReadBool("Numbers", "Dec", false));
    EXPECT_FALSE(ini.ReadBool("Numbers", "Zero", true));
    EXPECT_TRUE(ini.ReadBool("Numbers", "Bad", true));
    EXPECT_FALSE(ini.ReadBool("Client Components", "LangType", false));
}

TEST_F(IniFileTest, ListsAndExistence) {
    Put(kSample);
    TIniFile ini(FileName);
    std::vector<AnsiString> list{"stale"};
    ini.ReadSections(list);
    EXPECT_EQ(list, (std::vector<AnsiString>{"Client Components", "Server Information", "Numbers", "\xB1\x5D",
                                             "Empty"}));
    ini.ReadSection("client components", list);
    EXPECT_EQ(list,
              (std::vector<AnsiString>{"LangType", "Quoted", "Single", "Mismatch", "OnlyQuote", "Empty"}));
    ini.ReadSectionValues("Client Components", list);
    EXPECT_EQ(list, (std::vector<AnsiString>{"LangType=CHS", "Quoted=  a b  ", "Single=x", "Mismatch=\"x'",
                                             "OnlyQuote=\"", "Empty="}));
    ini.ReadSection("Missing", list);
    EXPECT_TRUE(list.empty());

    EXPECT_TRUE(ini.SectionExists("numbers"));
    EXPECT_FALSE(ini.SectionExists("Empty")); // a section without keys counts as absent
    EXPECT_FALSE(ini.SectionExists("Missing"));
    EXPECT_TRUE(ini.ValueExists("Client Components", "EMPTY"));
    EXPECT_FALSE(ini.ValueExists("Client Components", "Extra"));
    EXPECT_FALSE(ini.ValueExists("Client Components", "NoEquals line"));

    // Any list with Clear and Add takes the same answers.
    struct TFakeStrings {
        std::vector<AnsiString> Items{"stale"};
        void Clear() { Items.clear(); }
        void Add(const AnsiString& s) { Items.push_back(s); }
    } strings;
    ini.ReadSectionValues("Server Information", &strings);
    EXPECT_EQ(strings.Items, (std::vector<AnsiString>{"ComputerName=127.0.0.1;"}));
}

TEST_F(IniFileTest, MissingFileGivesDefaults) {
    TIniFile ini("C:\\Cfg\\None.ini");
    EXPECT_EQ(ini.ReadString("Client Components", "LangType", "ENG"), "ENG");
    EXPECT_EQ(ini.ReadInteger("Server Information", "ServerPort", 211), 211);
    std::vector<AnsiString> list{"stale"};
    ini.ReadSections(list);
    EXPECT_TRUE(list.empty());
    EXPECT_FALSE(ini.ValueExists("a", "b"));
    ini.DeleteKey("a", "b");
    ini.EraseSection("a");
    EXPECT_FALSE(FileExists("C:\\Cfg\\None.ini")); // nothing changed, nothing written
    EXPECT_EQ(TIniFile("C:\\No\\Folder\\x.ini").ReadString("a", "b", "c"), "c");
}

TEST_F(IniFileTest, WritesCreateTheFile) {
    TIniFile ini(FileName);
    ini.WriteString("VoucherFormatDef", "KVRX58_A$EQUAL$B", "\xB8\xF1\xCA\xBD");
    EXPECT_EQ(Content(), "[VoucherFormatDef]\r\nKVRX58_A$EQUAL$B=\xB8\xF1\xCA\xBD\r\n");
    ini.WriteInteger("Server Information", "ServerPort", 300);
    ini.WriteBool("Server Information", "SupportCallBack", true);
    EXPECT_EQ(TIniFile(FileName).ReadString("voucherformatdef", "kvrx58_a$equal$b", ""), "\xB8\xF1\xCA\xBD");
    EXPECT_EQ(ini.ReadInteger("Server Information", "ServerPort", 0), 300);
    EXPECT_TRUE(ini.ReadBool("Server Information", "SupportCallBack", false));
    EXPECT_EQ(Content(), "[VoucherFormatDef]\r\nKVRX58_A$EQUAL$B=\xB8\xF1\xCA\xBD\r\n"
                         "[Server Information]\r\nServerPort=300\r\nSupportCallBack=1\r\n");
}

TEST_F(IniFileTest, WritesKeepOtherLinesAndTheirOrder) {
    Put("; head\n[A]\n  x = 1 \n; note\n\n[B]\ny=2\n[a]\nx=old\nw=3");
    TIniFile ini(FileName);
    ini.WriteString("a", "X", "10"); // the first key of the first section, spelling kept
    ini.WriteString("A", "z", "new value");
    ini.WriteString("C", "k", "v");
    EXPECT_EQ(Content(), "; head\n[A]\nx=10\n; note\nz=new value\n\n[B]\ny=2\n[a]\nx=old\nw=3\n[C]\nk=v\n");
    EXPECT_EQ(ini.ReadString("A", "x", ""), "10");

    ini.DeleteKey("A", "X"); // every x of every [A]
    EXPECT_EQ(Content(), "; head\n[A]\n; note\nz=new value\n\n[B]\ny=2\n[a]\nw=3\n[C]\nk=v\n");
    EXPECT_EQ(ini.ReadString("A", "x", "gone"), "gone");

    ini.EraseSection("a"); // both sections of the name, with their comments and blank lines
    EXPECT_EQ(Content(), "; head\n[B]\ny=2\n[C]\nk=v\n");
    ini.EraseSection("B");
    ini.EraseSection("c");
    EXPECT_EQ(Content(), "; head\n");
}

TEST_F(IniFileTest, BadWritesRaiseAndChangeNothing) {
    Put("[A]\r\nx=1\r\n");
    TIniFile ini(FileName);
    struct Case {
        const char* section;
        const char* key;
        const char* value;
    };
    const Case cases[] = {
        {"A", "x", "two\r\nlines"}, {"A", "a=b", "1"},  {"A", ";x", "1"},
        {"A", "[x", "1"},           {"", "x", "1"},     {"A", " ", "1"},
        {"A\nB", "x", "1"},         {"A", "x\ry", "1"},
    };
    for (const Case& c : cases) {
        EXPECT_THROW(ini.WriteString(c.section, c.key, c.value), EIniFileException) << c.key;
        EXPECT_EQ(Content(), "[A]\r\nx=1\r\n");
    }
    TIniFile nowhere("C:\\No\\Folder\\x.ini");
    EXPECT_THROW(nowhere.WriteString("A", "x", "1"), EIniFileException);
    EXPECT_FALSE(DirectoryExists("C:\\No"));

    // A file that exists but cannot be read is never replaced.
    if (::geteuid() != 0) {
        std::string native = NativePath(FileName);
        std::filesystem::permissions(native, std::filesystem::perms::none);
        EXPECT_EQ(ini.ReadString("A", "x", "d"), "d");
        EXPECT_THROW(ini.WriteString("A", "y", "2"), EIniFileException);
        std::filesystem::permissions(native, std::filesystem::perms::owner_read |
                                                 std::filesystem::perms::owner_write);
        EXPECT_EQ(Content(), "[A]\r\nx=1\r\n");
    }
}

namespace {

// Reads are kept between calls; every way a file can change must still show at the next read: a
// write through another TIniFile, a rewrite of the same size at once (the file's times may not move),
// a rewrite after the file has settled, a replacement by another file, and the file going away.
TEST_F(IniFileTest, KeptReadsSeeEveryChangeOfTheFile) {
    const TIniFile ini(FileName);
    Put("[S]\r\nK=1\r\n");
    EXPECT_EQ(ini.ReadString("S", "K", "none"), "1");
    TIniFile(FileName).WriteString("S", "K", "2");
    EXPECT_EQ(ini.ReadString("S", "K", "none"), "2");
    Put("[S]\r\nK=3\r\n");
    EXPECT_EQ(ini.ReadString("S", "K", "none"), "3");
    ::usleep(150000); // settled: the next read keeps the parsed file
    EXPECT_EQ(ini.ReadInteger("S", "K", 0), 3);
    Put("[S]\r\nK=4\r\n");
    EXPECT_EQ(ini.ReadString("S", "K", "none"), "4");
    ::usleep(150000);
    EXPECT_EQ(ini.ReadString("S", "K", "none"), "4");
    {
        const std::string native = NativePath(FileName);
        std::FILE* file = std::fopen(native.c_str(), "r+b"); // in place: same file, same size
        ASSERT_NE(file, nullptr);
        std::fseek(file, 7, SEEK_SET);
        std::fputc('5', file);
        std::fclose(file);
    }
    EXPECT_EQ(ini.ReadString("S", "K", "none"), "5");
    ASSERT_TRUE(DeleteFile(FileName));
    EXPECT_EQ(ini.ReadString("S", "K", "none"), "none");
}

} // namespace
