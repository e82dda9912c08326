#include <gtest/gtest.h>
#include <unicode/ucnv.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "classlib/rtl/codepages.h"

namespace {

// Every test that switches the system code page gets it back afterwards.
class CodePages : public ::testing::Test {
protected:
    void SetUp() override { FSavedACP = GetACP(); }
    void TearDown() override { SetACP(FSavedACP); }

private:
    unsigned FSavedACP = 936;
};

std::string Hex(const std::string& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string r;
    for (unsigned char b : bytes) {
        r += digits[b >> 4];
        r += digits[b & 15];
        r += ' ';
    }
    return r;
}

std::string Hex(const std::u16string& units) {
    std::string r;
    char buffer[8];
    for (char16_t u : units) {
        std::snprintf(buffer, sizeof buffer, "%04X ", static_cast<unsigned>(u));
        r += buffer;
    }
    return r;
}

struct TIcuStarters {
    UBool Starters[256] = {};
    bool Ok = false;
    explicit TIcuStarters(const char* name) {
        UErrorCode err = U_ZERO_ERROR;
        UConverter* c = ucnv_open(name, &err);
        if (U_FAILURE(err)) return;
        if (ucnv_getType(c) == UCNV_DBCS || ucnv_getType(c) == UCNV_MBCS) ucnv_getStarters(c, Starters, &err);
        Ok = U_SUCCESS(err);
        ucnv_close(c);
    }
};

} // namespace

// The lead-byte test must agree byte for byte with the converters' own view, or byte-string routines
// and conversions would cut texts into different characters.
TEST_F(CodePages, LeadAndTrailBytesAgreeWithTheConverters) {
    const struct {
        unsigned CodePage;
        const char* IcuName;
    } cases[] = {
        {936, "windows-936-2000"}, {950, "windows-950-2000"}, {1252, "windows-1252"}, {437, "ibm-437"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.CodePage);
        TIcuStarters icu(c.IcuName);
        ASSERT_TRUE(icu.Ok);
        for (int b = 0; b < 256; ++b)
            EXPECT_EQ(IsDBCSLeadByteEx(c.CodePage, static_cast<Byte>(b)), static_cast<bool>(icu.Starters[b]))
                << "byte " << b;
    }
    // A trail byte is one that ICU takes together with a lead byte into one character.
    for (unsigned cp : {936u, 950u}) {
        for (int lead : {0x81, 0xA1, 0xA4, 0xC6, 0xFE}) {
            for (int t = 0; t < 256; ++t) {
                const char pair[2] = {static_cast<char>(lead), static_cast<char>(t)};
                const bool oneCharacter = MultiByteToWideChar(cp, pair, 2, nullptr, 0) == 1;
                EXPECT_EQ(IsDBCSTrailByteEx(cp, static_cast<Byte>(t)), oneCharacter)
                    << cp << " lead " << lead << " trail " << t;
            }
        }
    }
    EXPECT_FALSE(IsDBCSLeadByteEx(CP_UTF8, 0xE4));

    ASSERT_TRUE(SetACP(950));
    EXPECT_TRUE(IsDBCSLeadByte(0x81));
    EXPECT_TRUE(IsDBCSLeadByteEx(CP_ACP, 0xFE));
    ASSERT_TRUE(SetACP(1252));
    EXPECT_FALSE(IsDBCSLeadByte(0xB0));
    EXPECT_FALSE(IsDBCSLeadByteEx(CP_ACP, 0x81));
}

TEST_F(CodePages, SetACPRefusesCodePagesItCannotSplit) {
    ASSERT_TRUE(SetACP(950));
    EXPECT_FALSE(SetACP(12345));
    EXPECT_FALSE(SetACP(CP_UTF8));
    EXPECT_FALSE(SetACP(CP_ACP));
    EXPECT_EQ(GetACP(), 950u);
    EXPECT_EQ(GetOEMCP(), 950u);
    ASSERT_TRUE(SetACP(1252));
    EXPECT_EQ(GetOEMCP(), 437u);
    EXPECT_TRUE(IsValidCodePage(CP_UTF8));
    EXPECT_TRUE(IsValidCodePage(CP_ACP));
    EXPECT_FALSE(IsValidCodePage(12345));
}

// Characters of each area of the two Chinese code pages, with the UTF-16 the platform's tables give
// them: ASCII, common characters, characters outside GB2312, and the user-defined areas, which map to
// the private-use range and must come back as the same bytes.
TEST_F(CodePages, ChineseTextsRoundTripThroughUtf16AndUtf8) {
    const struct {
        unsigned CodePage;
        std::string Bytes;
        std::u16string Wide;
    } cases[] = {
        {936, "Ab1 ", u"Ab1 "},
        {936, "\xD6\xD0\xCE\xC4", u"\u4E2D\u6587"},                             // GB2312
        {936, "\x81\x40\x81\x61\xFE\x4F\xB1\x5C", u"\u4E02\u4E64\uFA29\u76F6"}, // GBK only
        {936, "\xAA\xA1\xAF\xFE", u"\uE000\uE233"},                             // user-defined AAA1..AFFE
        {936, "\xF8\xA1\xFE\xFE", u"\uE234\uE4C5"},                             // user-defined F8A1..FEFE
        {936, "\xA1\x40\xA7\xA0", u"\uE4C6\uE765"},                             // user-defined A140..A7A0
        {936, "\x80", u"\u20AC"},
        {950, "\xA4\xA4\xA4\xE5\xA5\x5C\xB3\x5C", u"\u4E2D\u6587\u529F\u8A31"},
        {950, "\xA1\x45\xF9\xF9\xA3\xE1", u"\u2027\u2550\u20AC"},
        {950, "\xFA\x40\xFE\xFE", u"\uE000\uE310"}, // user-defined FA40..FEFE
        {950, "\x8E\x40\xA0\xFE", u"\uE311\uEEB7"}, // user-defined 8E40..A0FE
        {950, "\x81\x40\xC6\xA1", u"\uEEB8\uF6B1"}, // user-defined 8140.., C6A1..
        {1252, "caf\xE9 \x80\x81", u"caf\u00E9 \u20AC\u0081"},
        {437, "\x80\x84\xE1\x1A\x1C\x7F", u"\u00C7\u00E4\u00DF\u001A\u001C\u007F"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.CodePage << ": " << Hex(c.Bytes));
        const WideString wide = AnsiToWide(c.Bytes, c.CodePage);
        EXPECT_EQ(Hex(wide), Hex(c.Wide));
        EXPECT_EQ(Hex(WideToAnsi(wide, c.CodePage)), Hex(c.Bytes));
        const AnsiString utf8 = WideToUtf8(wide);
        EXPECT_EQ(Hex(Utf8ToWide(utf8)), Hex(c.Wide));
        EXPECT_EQ(Hex(ConvertCodePage(utf8, CP_UTF8, c.CodePage)), Hex(c.Bytes));
        ASSERT_TRUE(SetACP(c.CodePage));
        EXPECT_EQ(Hex(AnsiToWide(c.Bytes)), Hex(c.Wide));
        EXPECT_EQ(Hex(Utf8ToAnsi(AnsiToUtf8(c.Bytes))), Hex(c.Bytes));
    }
}

TEST_F(CodePages, Utf8EdgeUsesRealUtf8) {
    ASSERT_TRUE(SetACP(936));
    EXPECT_EQ(AnsiToUtf8("浏览"), u8"浏览");
    EXPECT_EQ(Utf8ToAnsi(u8"浏览"), "浏览");
    EXPECT_EQ(AnsiToUtf8("\xAA\xA1"), "\xEE\x80\x80");
    EXPECT_EQ(Hex(Utf8ToWide("\xF0\x9F\x98\x80")), Hex(std::u16string(u"\U0001F600")));
    EXPECT_EQ(WideToUtf8(u"\U0001F600"), "\xF0\x9F\x98\x80");
}

TEST_F(CodePages, GbAndBig5ConvertIntoEachOther) {
    // 中, 臺 (outside GB2312), and the first user-defined character of each code page, which share
    // U+E000.
    EXPECT_EQ(Hex(ConvertCodePage("A\xD6\xD0\xC5\x5F\xAA\xA1", 936, 950)),
              Hex(std::string("A\xA4\xA4\xBB\x4F\xFA\x40")));
    EXPECT_EQ(Hex(ConvertCodePage("A\xA4\xA4\xBB\x4F\xFA\x40", 950, 936)),
              Hex(std::string("A\xD6\xD0\xC5\x5F\xAA\xA1")));
    ASSERT_TRUE(SetACP(950));
    EXPECT_EQ(Hex(ConvertCodePage("\xD6\xD0", 936, CP_ACP)), Hex(std::string("\xA4\xA4")));
    // The same code page: the bytes stay as they are, broken ones too.
    EXPECT_EQ(ConvertCodePage("\xA4\xA4\xA4", CP_ACP, 950), "\xA4\xA4\xA4");
}

TEST_F(CodePages, UnmappableCharactersBecomeTheDefaultCharacter) {
    const struct {
        const char* Name;
        unsigned CodePage;
        std::u16string Wide;
        const char* DefaultChar;
        std::string Expected;
        bool Used;
    } cases[] = {
        {"BIG5-only character to GBK", 936, u"A\u2027B", nullptr, "A?B", true},
        {"950 private use beyond GBK's", 936, u"\uEEB8", nullptr, "?", true},
        {"Chinese to 1252", 1252, u"\u4E2D\u6587x", nullptr, "??x", true},
        {"Chinese to 437", 437, u"\u4E2D", nullptr, "?", true},
        {"own default character", 1252, u"\u4E2D-", "*", "*-", true},
        {"double-byte default character", 936, u"\u2027", "\xA1\xF5", "\xA1\xF5", true},
        {"lone surrogate", 936,
         u"a\xD800"
         "b",
         nullptr, "a?b", true},
        {"surrogate pair outside GBK", 936, u"\U0001F600", nullptr, "?", true},
        {"best fit is not the default character", 1252, u"\uFF21", nullptr, "A", false},
        {"nothing unmappable", 950, u"\u4E2D", nullptr, "\xA4\xA4", false},
        {"UTF-8 lone surrogate", CP_UTF8, u"a\xDC00", "*", "a\xEF\xBF\xBD", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        const int srcLen = static_cast<int>(c.Wide.size());
        bool used = !c.Used;
        const int needed =
            WideCharToMultiByte(c.CodePage, c.Wide.data(), srcLen, nullptr, 0, c.DefaultChar, &used);
        EXPECT_EQ(needed, static_cast<int>(c.Expected.size()));
        EXPECT_EQ(used, c.Used);
        std::string out(static_cast<std::size_t>(needed), '\0');
        used = !c.Used;
        const int n =
            WideCharToMultiByte(c.CodePage, c.Wide.data(), srcLen, out.data(), needed, c.DefaultChar, &used);
        ASSERT_EQ(n, needed);
        EXPECT_EQ(Hex(out), Hex(c.Expected));
        EXPECT_EQ(used, c.Used);
    }
    EXPECT_EQ(WideToAnsi(u"\u4E2D", 1252), "?");
    EXPECT_EQ(ConvertCodePage("\xA1\x45", 950, 936), "?");
}

// Broken byte sequences decode to one replacement each, and whatever follows them is kept: the ASCII
// after a lead byte with a byte that cannot be a trail byte must survive.
TEST_F(CodePages, BrokenByteSequencesKeepWhatFollows) {
    const struct {
        unsigned CodePage;
        std::string Bytes;
        std::u16string Wide;
    } cases[] = {
        {936, "\xB0", u"?"}, // lone lead byte at the end
        {936, "A\xB0", u"A?"},
        {936,
         "\xB0"
         "1x",
         u"?1x"}, // lead byte, then a byte that is no trail byte
        {936,
         "\xB0\x7F"
         "A",
         u"?\x7F"
         "A"},
        {936,
         "\xB0\xFF"
         "A",
         u"?\uF8F5A"},
        {936, std::string("\xB0\0A", 3), std::u16string(u"?\0A", 3)},
        {950,
         "\xA4"
         "1",
         u"?1"},
        {950, "\xA4", u"?"},
        {950,
         "\xA3\xC0"
         "A",
         u"?A"}, // a pair without a mapping is one character
        {950,
         "\x81\x80"
         "A",
         u"?A"},
        {CP_UTF8,
         "\xE4\xB8"
         "A",
         u"\uFFFDA"},
        {CP_UTF8,
         "\xFF"
         "B",
         u"\uFFFDB"},
        {CP_UTF8,
         "\xC0\xAF"
         "C",
         u"\uFFFD\uFFFDC"},
        {CP_UTF8, "x\xE4\xB8", u"x\uFFFD"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.CodePage << ": " << Hex(c.Bytes));
        EXPECT_EQ(Hex(AnsiToWide(c.Bytes, c.CodePage)), Hex(c.Wide));
        EXPECT_EQ(
            MultiByteToWideChar(c.CodePage, c.Bytes.data(), static_cast<int>(c.Bytes.size()), nullptr, 0),
            static_cast<int>(c.Wide.size()));
    }
    EXPECT_EQ(ConvertCodePage("\xB0"
                              "1x",
                              936, 950),
              "?1x");
    EXPECT_EQ(ConvertCodePage("ab\xB0", 936, CP_UTF8), "ab?");
    // NUL-terminated: the lone lead byte meets the NUL, which is kept and counted.
    char16_t out[4] = {u'#', u'#', u'#', u'#'};
    EXPECT_EQ(MultiByteToWideChar(936, "\xB0", -1, out, 4), 2);
    EXPECT_EQ(out[0], u'?');
    EXPECT_EQ(out[1], u'\0');
}

TEST_F(CodePages, LengthQueryAndTooSmallBuffers) {
    const char* text = "\xD6\xD0\xCE\xC4"
                       "A"; // 中文A
    EXPECT_EQ(MultiByteToWideChar(936, text, -1, nullptr, 0), 4);
    EXPECT_EQ(MultiByteToWideChar(936, text, 5, nullptr, 0), 3);
    char16_t wide[5] = {u'#', u'#', u'#', u'#', u'#'};
    EXPECT_EQ(MultiByteToWideChar(936, text, -1, wide, 4), 4);
    EXPECT_EQ(Hex(std::u16string(wide, 5)), Hex(std::u16string(u"\u4E2D\u6587A\0#", 5)));
    char16_t small[4] = {u'#', u'#', u'#', u'#'};
    EXPECT_EQ(MultiByteToWideChar(936, text, -1, small, 3), 0);
    EXPECT_EQ(small[3], u'#');

    const char16_t* source = u"\u4E2D\u6587A";
    EXPECT_EQ(WideCharToMultiByte(936, source, -1, nullptr, 0, nullptr, nullptr), 6);
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, source, 3, nullptr, 0, nullptr, nullptr), 7);
    char bytes[7] = {'#', '#', '#', '#', '#', '#', '#'};
    EXPECT_EQ(WideCharToMultiByte(936, source, -1, bytes, 6, nullptr, nullptr), 6);
    EXPECT_EQ(Hex(std::string(bytes, 7)), Hex(std::string("\xD6\xD0\xCE\xC4"
                                                          "A\0#",
                                                          7)));
    char tight[5] = {'#', '#', '#', '#', '#'};
    EXPECT_EQ(WideCharToMultiByte(936, source, 3, tight, 4, nullptr, nullptr), 0);
    EXPECT_EQ(tight[4], '#');
    // A second call on the same thread is not disturbed by the failed one.
    EXPECT_EQ(WideToAnsi(u"\u6587", 936), "\xCE\xC4");

    // Long texts are measured in more than one piece.
    const std::string longText(100000, 'x');
    EXPECT_EQ(MultiByteToWideChar(936, longText.data(), static_cast<int>(longText.size()), nullptr, 0),
              100000);
    const std::u16string longWide(100000, u'\u4E2D');
    EXPECT_EQ(WideCharToMultiByte(936, longWide.data(), 100000, nullptr, 0, nullptr, nullptr), 200000);
    EXPECT_EQ(WideCharToMultiByte(437, longWide.data(), 100000, nullptr, 0, nullptr, nullptr), 100000);
}

TEST_F(CodePages, BadArgumentsAndUnknownCodePagesFailWithZero) {
    char16_t wide[8];
    char bytes[8];
    bool used = true;
    EXPECT_EQ(MultiByteToWideChar(12345, "abc", 3, wide, 8), 0);
    EXPECT_EQ(MultiByteToWideChar(12345, "abc", 3, nullptr, 0), 0);
    EXPECT_EQ(WideCharToMultiByte(12345, u"abc", 3, bytes, 8, nullptr, &used), 0);
    EXPECT_FALSE(used);
    EXPECT_EQ(MultiByteToWideChar(936, nullptr, 3, wide, 8), 0);
    EXPECT_EQ(MultiByteToWideChar(936, "abc", 0, wide, 8), 0);
    EXPECT_EQ(MultiByteToWideChar(936, "abc", -2, wide, 8), 0);
    EXPECT_EQ(MultiByteToWideChar(936, "abc", 3, wide, -1), 0);
    EXPECT_EQ(MultiByteToWideChar(936, "abc", 3, nullptr, 8), 0);
    EXPECT_EQ(WideCharToMultiByte(936, nullptr, 3, bytes, 8, nullptr, nullptr), 0);
    EXPECT_EQ(WideCharToMultiByte(936, u"abc", 3, nullptr, 8, nullptr, nullptr), 0);
    EXPECT_EQ(AnsiToWide("abc", 12345), u"");
    EXPECT_EQ(WideToAnsi(u"abc", 12345), "");
    EXPECT_EQ(ConvertCodePage("abc", 936, 12345), "");
    EXPECT_EQ(ConvertCodePage("abc", 12345, 12345), "");
    EXPECT_EQ(AnsiToWide("", 936), u"");
    EXPECT_EQ(WideToUtf8(u""), "");
}

TEST_F(CodePages, SystemCodePageDrivesTheDefaults) {
    const std::string big5 = "\xA4\xA4";
    ASSERT_TRUE(SetACP(950));
    EXPECT_EQ(Hex(AnsiToWide(big5)), Hex(std::u16string(u"\u4E2D")));
    EXPECT_EQ(WideToAnsi(u"\u4E2D"), big5);
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, big5.data(), 2, nullptr, 0), 1);
    ASSERT_TRUE(SetACP(1252));
    EXPECT_EQ(Hex(AnsiToWide(big5)), Hex(std::u16string(u"\u00A4\u00A4")));
    EXPECT_EQ(WideToAnsi(u"\u4E2D\u00E9"), "?\xE9");
    EXPECT_EQ(AnsiToUtf8("\xE9"), "\xC3\xA9");
    ASSERT_TRUE(SetACP(936));
    EXPECT_EQ(Hex(AnsiToWide(big5)), Hex(std::u16string(u"\u3044")));
}

// Conversions run from several threads at once on per-thread converters; every result must be the
// one a single thread gets.
TEST_F(CodePages, ConcurrentConversionsGiveTheSameResults) {
    const std::string gbk = "A\xD6\xD0\xCE\xC4\x81\x40\xAA\xA1\xB0"
                            "1";
    const std::string big5 = ConvertCodePage(gbk, 936, 950);
    const std::string utf8 = ConvertCodePage(gbk, 936, CP_UTF8);
    const std::u16string cp1252 = AnsiToWide("caf\xE9", 1252);
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 300; ++i) {
                switch ((t + i) % 4) {
                case 0:
                    if (ConvertCodePage(gbk, 936, 950) != big5) ++failures;
                    break;
                case 1:
                    if (ConvertCodePage(utf8, CP_UTF8, 936) != "A\xD6\xD0\xCE\xC4\x81\x40\xAA\xA1?1")
                        ++failures;
                    break;
                case 2:
                    if (AnsiToWide("caf\xE9", 1252) != cp1252) ++failures;
                    break;
                default: {
                    bool used = false;
                    char out[4];
                    if (WideCharToMultiByte(437, u"\u4E2D", 1, out, 4, "*", &used) != 1 || out[0] != '*' ||
                        !used)
                        ++failures;
                }
                }
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(failures.load(), 0);
}

namespace {

std::atomic<int> gLayerDecodes{0};
std::atomic<int> gLayerEncodes{0};
std::atomic<unsigned> gLayerCodePage{0};
std::atomic<int> gLayerSrcLen{0};

// A stand-in private mapping: the base conversion first, then one unmapped pair of its own.
int TestLayerDecode(unsigned codePage, const char* src, int srcLen, char16_t* dst, int dstLen,
                    TMultiByteToWideCharProc base) {
    ++gLayerDecodes;
    gLayerCodePage = codePage;
    gLayerSrcLen = srcLen;
    const int n = base(codePage, src, srcLen, dst, dstLen);
    if (n > 0 && dstLen > 0 && srcLen >= 2 && std::memcmp(src, "\xA3\xC0", 2) == 0) dst[0] = u'\uC101';
    return n;
}

int TestLayerEncode(unsigned codePage, const char16_t* src, int srcLen, char* dst, int dstLen,
                    const char* defaultChar, bool* usedDefaultChar, TWideCharToMultiByteProc base) {
    ++gLayerEncodes;
    return base(codePage, src, srcLen, dst, dstLen, defaultChar, usedDefaultChar);
}

const TCodePageLayer kTestLayer{TestLayerDecode, TestLayerEncode};

class CodePageLayers : public CodePages {
protected:
    void TearDown() override {
        SetCodePageLayer(950, nullptr);
        CodePages::TearDown();
    }
};

} // namespace

// Every conversion of a code page, the whole-string ones included, passes through its layer.
TEST_F(CodePageLayers, LayerSeesEveryConversionOfItsCodePage) {
    gLayerDecodes = 0;
    gLayerEncodes = 0;
    EXPECT_EQ(SetCodePageLayer(950, &kTestLayer), nullptr);
    ASSERT_TRUE(SetACP(950));
    EXPECT_EQ(Hex(AnsiToWide("\xA3\xC0"
                             "A")),
              Hex(std::u16string(u"\uC101A")));
    EXPECT_EQ(gLayerCodePage.load(), 950u);
    EXPECT_EQ(gLayerSrcLen.load(), 3);
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, "\xA4\xA4", -1, nullptr, 0), 2);
    EXPECT_EQ(gLayerSrcLen.load(), 3); // measured, NUL included
    EXPECT_EQ(ConvertCodePage("\xA4\xA4", 950, 936), "\xD6\xD0");
    EXPECT_EQ(ConvertCodePage("\xD6\xD0", 936, 950), "\xA4\xA4");
    EXPECT_EQ(AnsiToUtf8("\xA4\xA4"), u8"中");
    EXPECT_EQ(gLayerDecodes.load(), 4);
    EXPECT_EQ(gLayerEncodes.load(), 1);
    // Other code pages do not see it.
    EXPECT_EQ(AnsiToWide("\xD6\xD0", 936), u"\u4E2D");
    EXPECT_EQ(gLayerDecodes.load(), 4);

    EXPECT_EQ(SetCodePageLayer(950, nullptr), &kTestLayer);
    EXPECT_EQ(Hex(AnsiToWide("\xA3\xC0"
                             "A")),
              Hex(std::u16string(u"?A")));
    EXPECT_EQ(gLayerDecodes.load(), 4);
    EXPECT_EQ(SetCodePageLayer(CP_ACP, &kTestLayer), nullptr); // only real code pages take a layer
    EXPECT_EQ(AnsiToWide("\xA3\xC0", 950), u"?");
}
