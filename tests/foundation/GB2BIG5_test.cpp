#include "foundation/GB2BIG5.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <vector>

#include "classlib/rtl/codepages.h"
#include "classlib/rtl/exceptions.h"
#include "foundation/TempPlatform.h"

namespace {

// Narrow literals are GB bytes; BIG5 texts are written in UTF-16 and encoded here.
AnsiString Big5(const WideString& text) {
    return WideToAnsi(text, 950);
}

std::vector<AnsiString> gMessages;
void CaptureMessage(const AnsiString& text) {
    gMessages.push_back(text);
}

// A platform whose mapping file is read from a folder of the test, with the reports captured.
class GB2BIG5Test : public TempPlatform {
protected:
    void SetUp() override {
        TempPlatform::SetUp();
        gMessages.clear();
        SetLanguageMessageProc(&CaptureMessage);
        UnloadLanguageTable();
    }

    void TearDown() override {
        UnloadLanguageTable();
        SetLanguageMessageProc(nullptr);
        TempPlatform::TearDown();
    }

    void UseShippedMappingFile() { SetPlatformKey({{"ClientPath", KVR_BINARY_DIR "/data/"}}); }

    // ClientPath in the test's folder, holding a mapping file with this content (none when null).
    void UseMappingFile(const char* content) {
        const AnsiString folder = (FRoot / "client").string() + "/";
        ASSERT_TRUE(ForceDirectories(folder));
        if (content != nullptr) WriteFile(folder + "Language", content);
        SetPlatformKey({{"ClientPath", folder}});
    }

    // A mapping file of that many BIG5 and GB entries, each 0000 but those given.
    static AnsiString MappingFile(int big5Entries, const std::map<int, unsigned>& big5Codes, int gbEntries,
                                  const std::map<int, unsigned>& gbCodes) {
        AnsiString text = "[BIG5]\r\n";
        char line[32];
        for (int i = 0; i < big5Entries; ++i) {
            std::snprintf(line, sizeof line, "BIG5----=$%04X\r\n", big5Codes.count(i) ? big5Codes.at(i) : 0u);
            text += line;
        }
        text += "\r\n[GB]\r\n";
        for (int i = 0; i < gbEntries; ++i) {
            std::snprintf(line, sizeof line, "GB----=$%04X\r\n", gbCodes.count(i) ? gbCodes.at(i) : 0u);
            text += line;
        }
        return text;
    }
};

TEST(GB2BIG5Ordinals, OrdinalsOfEveryArea) {
    struct TCase {
        unsigned Pair;
        int GB;
        int BIG5;
    };
    const TCase cases[] = {
        {0xA1A1, 0, 63},       {0xF7FE, 8177, 13658}, {0x8140, 8178, -1},   {0xAA40, 14290, 1413},
        {0xA840, 22535, 1099}, {0xA9A0, 22728, -1},   {0xB0A1, 1410, 2418}, {0xA440, -1, 471},
        {0xA140, -1, 0},       {0xA17E, -1, 62},      {0xA1A0, -1, -1},     {0xAAA1, -1, 1476},
        {0x813F, -1, -1},      {0x8040, -1, -1},      {0xA47F, -1, -1},     {0xFEA0, 22534, -1},
    };
    for (const TCase& c : cases) {
        const Byte lead = static_cast<Byte>(c.Pair >> 8);
        const Byte trail = static_cast<Byte>(c.Pair & 0xFF);
        EXPECT_EQ(GBOrdinal(lead, trail), c.GB) << std::hex << c.Pair;
        EXPECT_EQ(BIG5Ordinal(lead, trail), c.BIG5) << std::hex << c.Pair;
    }
}

TEST(GB2BIG5Ordinals, LeadTestsNeedALeadAndATrailByte) {
    struct TCase {
        const char* Text;
        std::size_t Index;
        bool GB;
        bool BIG5;
    };
    const TCase cases[] = {
        {"\xB0\xA1", 0, true, true},   {"\x81\x40", 0, true, true},   {"\xFE\xFE", 0, true, true},
        {"\x81\x80", 0, true, false},  {"\xA4\xA0", 0, true, false},  {"\xB0", 0, false, false},
        {"\xB0\xA1", 1, false, false}, {"\xB0\xA1", 2, false, false}, {"\xA4\x7F", 0, false, false},
        {"\xB0 x", 0, false, false},   {"\xB0\n", 0, false, false},   {"\xB0\xFF", 0, false, false},
        {"\x80\x40", 0, false, false}, {"\xFF\x40", 0, false, false}, {"a\xB0", 0, false, false},
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(IsGBLead(c.Text, c.Index), c.GB) << c.Text << " at " << c.Index;
        EXPECT_EQ(IsBIG5Lead(c.Text, c.Index), c.BIG5) << c.Text << " at " << c.Index;
    }
}

// Texts and their counterparts; GBBack is what the BIG5 text converts back to when that is not the
// GB text itself (a traditional character of GBK comes back simplified).
struct TRoundTrip {
    const char* GB;
    const char16_t* BIG5;
    const char* GBBack;
};
const TRoundTrip kRoundTrips[] = {
    {"国家数据库 abc", u"國家數據庫 abc", nullptr},
    {"开发软件，测试！", u"開發軟件，測試！", nullptr},
    {"电脑资料 123 (A-Z)", u"電腦資料 123 (A-Z)", nullptr},
    {"伕乂亶", u"伕乂亶", nullptr}, // outside GB2312
    {"國語", u"國語", "国语"},      // traditional characters of GBK
    {"Plain ASCII ~!@#$%^&*()_+{}|:\"<>?`-=[]\\;',./\t\r\n",
     u"Plain ASCII ~!@#$%^&*()_+{}|:\"<>?`-=[]\\;',./\t\r\n", nullptr},
    {"", u"", nullptr},
};

TEST_F(GB2BIG5Test, MappingFileConvertsBothWaysWithNothingLost) {
    UseShippedMappingFile();
    for (const TRoundTrip& c : kRoundTrips) {
        const AnsiString big5 = GBToBig5(c.GB);
        EXPECT_EQ(big5, Big5(c.BIG5)) << c.GB;
        EXPECT_EQ(Big5ToGB(big5), c.GBBack ? c.GBBack : c.GB) << c.GB;
    }
    EXPECT_TRUE(LanguageTableLoaded());
    EXPECT_TRUE(gMessages.empty());
}

TEST_F(GB2BIG5Test, TranslatorConvertsBothWaysWithNothingLost) {
    TTranslator translator;
    for (const TRoundTrip& c : kRoundTrips) {
        const AnsiString big5 = translator.GBToBIG5(c.GB);
        EXPECT_EQ(big5, Big5(c.BIG5)) << c.GB;
        EXPECT_EQ(translator.BIG5ToGB(big5), c.GBBack ? c.GBBack : c.GB) << c.GB;
    }
}

TEST_F(GB2BIG5Test, EveryByteBelow0x80PassesUnchanged) {
    UseShippedMappingFile();
    AnsiString ascii;
    for (int c = 0; c < 0x80; ++c)
        ascii += static_cast<char>(c);
    EXPECT_EQ(GBToBig5(ascii), ascii);
    EXPECT_EQ(Big5ToGB(ascii), ascii);
}

TEST_F(GB2BIG5Test, EuroSignOfGBIsTheBig5PairA3E1) {
    UseShippedMappingFile();
    EXPECT_EQ(GBToBig5("a\x80"
                       "b\x80"),
              "a\xA3\xE1"
              "b\xA3\xE1");
    EXPECT_EQ(Big5ToGB("a\xA3\xE1"
                       "b\xA3\xE1"),
              "a\x80"
              "b\x80");
}

TEST_F(GB2BIG5Test, CharacterWithoutCounterpartGoesThroughTheSystem) {
    UseShippedMappingFile();
    // Neither the table nor code page 950 holds the character: the system's default character.
    EXPECT_EQ(GBToBig5("a堃b"), "a?b");
}

TEST_F(GB2BIG5Test, BrokenByteSequencesAreCopiedAndLoseNoNeighbour) {
    UseShippedMappingFile();
    const AnsiString ah = Big5(u"啊");
    struct TCase {
        AnsiString GB;
        AnsiString BIG5;
    };
    const TCase gbToBig5[] = {
        {"\xB0", "\xB0"},         // a lone lead byte, the whole text
        {"ab\xB0", "ab\xB0"},     // at the end
        {"啊\xB0", ah + "\xB0"},  // after a character
        {"\xB0 x", "\xB0 x"},     // lead, a byte that is no trail byte, ASCII
        {"x\xB0\nx", "x\xB0\nx"}, // in the middle
        {"\xB0\x7F"
         "a",
         "\xB0\x7F"
         "a"},
        {"\xB0\xFF", "\xB0\xFF"},
        {"x\xFF啊", "x\xFF" + ah}, // 0xFF is no lead byte: the character after it stays whole
    };
    for (const TCase& c : gbToBig5)
        EXPECT_EQ(GBToBig5(c.GB), c.BIG5) << c.GB;

    const AnsiString one = "一";
    const TCase big5ToGB[] = {
        {"\xA4", "\xA4"},
        {"ab\xA4", "ab\xA4"},
        {Big5(u"一") + "\xA4", one + "\xA4"},
        {"\xA4 x", "\xA4 x"},
        {"x\xA4\x7F"
         "a",
         "x\xA4\x7F"
         "a"},
        {"\xA4\x80"
         "A",
         "\xA4\x80"
         "A"}, // 0x80 is no BIG5 trail byte, and no lead byte either
        {"x\xFF" + Big5(u"一"), "x\xFF" + one},
    };
    for (const TCase& c : big5ToGB)
        EXPECT_EQ(Big5ToGB(c.GB), c.BIG5) << c.GB;
}

TEST_F(GB2BIG5Test, OrdinalEqualToTheTableSizeFallsBack) {
    // 啊 (B0 A1) has GB ordinal 1410; 一 (A4 40) has BIG5 ordinal 471. The file maps every entry to
    // the other character, so a table entry is told from the system's conversion at once.
    struct TCase {
        int Entries;
        const char* GBResult;       // of Big5ToGB(一 in BIG5)
        const char16_t* BIG5Result; // of GBToBig5(啊)
    };
    const TCase cases[] = {
        {1410, "一", u"啊"},
        {1411, "啊", u"一"},
    };
    for (const TCase& c : cases) {
        std::map<int, unsigned> toAh, toOne;
        for (int i = 0; i < c.Entries; ++i) {
            toAh[i] = 0xB0A1;
            toOne[i] = 0xA440;
        }
        const int big5Entries = c.Entries == 1410 ? 471 : 472;
        UseMappingFile(MappingFile(big5Entries, toAh, c.Entries, toOne).c_str());
        UnloadLanguageTable();
        EXPECT_EQ(GBToBig5("啊"), Big5(c.BIG5Result)) << c.Entries;
        EXPECT_EQ(Big5ToGB(Big5(u"一")), c.GBResult) << c.Entries;
        EXPECT_TRUE(gMessages.empty());
    }
}

TEST_F(GB2BIG5Test, MissingMappingFileIsReportedOnceAndTheSystemConverts) {
    UseMappingFile(nullptr);
    EXPECT_EQ(LanguageFileName(), "");
    EXPECT_EQ(GBToBig5("啊国"), Big5(u"啊") + "?");
    EXPECT_EQ(Big5ToGB(Big5(u"國")), "國"); // the table would have given 国
    EXPECT_EQ(GBToBig5("\x80"), "\xA3\xE1");
    EXPECT_EQ(gMessages, std::vector<AnsiString>{"Can't find file Language !!"});
    EXPECT_FALSE(LanguageTableLoaded());
}

TEST_F(GB2BIG5Test, MissingRegistryKeyIsAMissingMappingFile) {
    EXPECT_EQ(GBToBig5("啊"), Big5(u"啊"));
    EXPECT_EQ(GBToBig5("啊"), Big5(u"啊"));
    EXPECT_EQ(gMessages, std::vector<AnsiString>{"Can't find file Language !!"});
}

TEST_F(GB2BIG5Test, BadLineLeavesNoHalfTableInUse) {
    // 国 (B9 FA) has GB ordinal 2345: a good first part of the file maps it to 國 (B0 EA), which the
    // system cannot (国 is not in code page 950).
    const AnsiString good = MappingFile(1, {}, 2346, {{2345, 0xB0EA}});
    const AnsiString badLines[] = {
        "GB----=$b0ea\r\n",   // lower-case digits
        "GB----=$B0E\r\n",    // too short
        "GB----\r\n",         // no value
        "GB----=$B0EG\r\n",   // not a hexadecimal digit
        "BIG5----=$B0EA\r\n", // a BIG5 line after the GB lines
        "Language=$B0EA\r\n", // neither kind
    };
    for (const AnsiString& bad : badLines) {
        gMessages.clear();
        UseMappingFile((good + bad).c_str());
        UnloadLanguageTable();
        EXPECT_EQ(GBToBig5("国"), "?") << bad;
        EXPECT_EQ(GBToBig5("国"), "?") << bad;
        EXPECT_FALSE(LanguageTableLoaded()) << bad;
        ASSERT_EQ(gMessages.size(), 1u) << bad;
        EXPECT_NE(gMessages[0].find("Invalid line 2351"), AnsiString::npos) << gMessages[0];
    }
    // The same file without the bad line loads.
    UseMappingFile(good.c_str());
    UnloadLanguageTable();
    EXPECT_EQ(GBToBig5("国"), Big5(u"國"));
}

TEST_F(GB2BIG5Test, FailedReloadKeepsTheTablesInUse) {
    UseMappingFile(MappingFile(1, {}, 2346, {{2345, 0xB0EA}}).c_str());
    EXPECT_TRUE(LoadLanguageTable());
    UseMappingFile("GB----=$00\r\n");
    EXPECT_FALSE(LoadLanguageTable());
    EXPECT_EQ(gMessages.size(), 1u);
    EXPECT_TRUE(LanguageTableLoaded());
    EXPECT_EQ(GBToBig5("国"), Big5(u"國"));
}

TEST_F(GB2BIG5Test, TranslatorLibraryFailuresRaise) {
    struct TCase {
        const char* Library;
        const char* Message;
    };
    const TCase cases[] = {
        {"NoSuchTranslator.so", "Load Library NoSuchTranslator.so Error!"},
        {KVR_TRANSLATOR_HALF_TEST, "Get Library Procedure Address Error!"},
    };
    for (const TCase& c : cases) {
        try {
            TTranslator translator(c.Library);
            ADD_FAILURE() << c.Library << " loaded";
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), c.Message);
        }
    }
}

TEST_F(GB2BIG5Test, TranslatorCallsTheLibraryOnEveryPartBetweenNulBytes) {
    // The library has both conversions and none of the optional procedures.
    TTranslator translator(KVR_TRANSLATOR_TEST);
    EXPECT_EQ(translator.GBToBIG5("ab"), "<ab>");
    EXPECT_EQ(translator.BIG5ToGB("ab"), "[ab]");
    EXPECT_EQ(translator.GBToBIG5(AnsiString("a\0\0b", 4)), AnsiString("<a>\0\0<b>", 8));
    EXPECT_EQ(translator.BIG5ToGB(AnsiString("\0b", 2)), AnsiString("\0[b]", 4));
    EXPECT_EQ(translator.GBToBIG5(""), "");
}

} // namespace
