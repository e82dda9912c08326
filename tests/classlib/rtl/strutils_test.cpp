#include <gtest/gtest.h>

#include "classlib/rtl/codepages.h"
#include "classlib/rtl/strutils.h"

namespace {

// Each test names the system code page it runs in and gets the previous one back afterwards.
class StrUtils : public ::testing::Test {
protected:
    void SetUp() override { FSavedACP = GetACP(); }
    void TearDown() override { SetACP(FSavedACP); }

    void UseCodePage(unsigned codePage) { ASSERT_TRUE(SetACP(codePage)); }

private:
    unsigned FSavedACP = 936;
};

} // namespace

TEST_F(StrUtils, CaseTouchesSingleByteLettersOnly) {
    SetACP(936);
    // "丁" is 0xB6 0xA1 and "乐" 0xC0 0xD6; a GBK trail byte can be an ASCII letter (0x61..0x7A): "猡" 0xE2
    // 0x61.
    const AnsiString text = "ab\xE2\x61"
                            "cd";
    EXPECT_EQ(UpperCase(text), "AB\xE2\x61"
                               "CD");
    EXPECT_EQ(LowerCase("AB\xE2\x41"
                        "CD"),
              "ab\xE2\x41"
              "cd");
}

// The case routines of each code page: trail bytes that look like letters stay, the accented letters
// of the single-byte code pages change only in the Ansi routines, and a letter whose other case the
// code page lacks stays as it is rather than becoming a look-alike.
TEST_F(StrUtils, CaseFollowsTheSystemCodePage) {
    const struct {
        unsigned CodePage;
        AnsiString Text;
        AnsiString AnsiUpper;
        AnsiString AnsiLower;
        AnsiString Upper;
    } cases[] = {
        {936,
         "ab\xE2\x61\xE2\x41"
         "Cd",
         "AB\xE2\x61\xE2\x41"
         "CD",
         "ab\xE2\x61\xE2\x41"
         "cd",
         "AB\xE2\x61\xE2\x41"
         "CD"},
        {936,
         "\x81\x7A"
         "z\x80",
         "\x81\x7A"
         "Z\x80",
         "\x81\x7A"
         "z\x80",
         "\x81\x7A"
         "Z\x80"},
        {950, "a\xA4\x61z\xA4\x5A", "A\xA4\x61Z\xA4\x5A", "a\xA4\x61z\xA4\x5A", "A\xA4\x61Z\xA4\x5A"},
        {1252, "caf\xE9 \xFF\x9A\xC9", "CAF\xC9 \x9F\x8A\xC9", "caf\xE9 \xFF\x9A\xE9",
         "CAF\xE9 \xFF\x9A\xC9"},
        {1252, "\xB5\xDF", "\xB5\xDF", "\xB5\xDF", "\xB5\xDF"}, // µ and ß have no upper case here
        {437,
         "\x84\x82\x98"
         "a",
         "\x8E\x90\x98"
         "A",
         "\x84\x82\x98"
         "a",
         "\x84\x82\x98"
         "A"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.CodePage);
        UseCodePage(c.CodePage);
        EXPECT_EQ(AnsiUpperCase(c.Text), c.AnsiUpper);
        EXPECT_EQ(AnsiLowerCase(c.Text), c.AnsiLower);
        EXPECT_EQ(UpperCase(c.Text), c.Upper);
        EXPECT_EQ(AnsiLowerCase(c.AnsiUpper), AnsiLowerCase(c.Text));
    }
}

TEST_F(StrUtils, AnsiPosNeverMatchesAtATrailByte) {
    SetACP(936);
    // 0xB1 0x5C is one character whose trail byte is a backslash.
    const AnsiString text = "\xB1\x5C"
                            "a\\b";
    EXPECT_EQ(AnsiPos("\\", text), 4);
    EXPECT_EQ(Pos("\\", text), 2);
    EXPECT_EQ(StringReplace(text, "\\", "/", rfReplaceAll), "\xB1\x5C"
                                                            "a/b");
}

// A match must start and end on character boundaries in the system code page.
TEST_F(StrUtils, SearchesMatchWholeCharactersOnly) {
    const struct {
        unsigned CodePage;
        AnsiString Sub;
        AnsiString Text;
        int Expected;
    } cases[] = {
        {936, "\\", "\xB1\x5C\\", 3},
        {936,
         "\x5C"
         "a",
         "\xB1\x5C"
         "a",
         0},                            // would start at a trail byte
        {936, "a\xB1", "a\xB1\x5C", 0}, // would take half a character
        {936, "\xB0\xB0", "\xB0\xB0\xB0\xB0", 1},
        {936, "\xB0\xB0", "a\xB0\xB0\xB0", 2}, // the pair at 3..4 is no whole character
        {936, "1",
         "\xB0"
         "1",
         2}, // a lead byte before a non-trail byte stands alone
        {936, "\xB0", "x\xB0", 2},
        {950, "\\", "\xA5\x5C\xB3\x5C\\", 5}, // 功許 end in backslash bytes
        {950, "\xA5\x5C", "\xB3\xA5\x5C", 0},
        {1252, "\\", "\xA5\x5C", 2}, // no double-byte characters in 1252
        {1252,
         "\x5C"
         "a",
         "\xB1\x5C"
         "a",
         2},
        {936, "", "abc", 0},
        {936, "abcd", "abc", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.CodePage << " " << c.Sub << " in " << c.Text);
        UseCodePage(c.CodePage);
        EXPECT_EQ(AnsiPos(c.Sub, c.Text), c.Expected);
        const char* found = AnsiStrPos(c.Text.c_str(), c.Sub.c_str());
        EXPECT_EQ(found ? static_cast<int>(found - c.Text.c_str()) + 1 : 0, c.Expected);
    }
    EXPECT_EQ(AnsiStrPos(nullptr, "a"), nullptr);
    EXPECT_EQ(AnsiStrPos("a", nullptr), nullptr);
}

TEST_F(StrUtils, AnsiPosExStartsAtACharacter) {
    UseCodePage(936);
    EXPECT_EQ(AnsiPosEx("ab", "abxab", 1), 1);
    EXPECT_EQ(AnsiPosEx("ab", "abxab", 2), 4);
    EXPECT_EQ(AnsiPosEx("ab", "abxab", 5), 0);
    EXPECT_EQ(AnsiPosEx("ab", "abxab", 0), 0);
    EXPECT_EQ(AnsiPosEx("ab", "abxab", 99), 0);
    // Offset 2 points at the trail byte of 0xB1 0x5C: the search begins with the next character.
    EXPECT_EQ(AnsiPosEx("\\", "\xB1\x5C\\", 2), 3);
}

TEST_F(StrUtils, StringReplaceKeepsDoubleByteCharactersWhole) {
    UseCodePage(936);
    EXPECT_EQ(StringReplace("\xB1\x5C\x5C", "\\", "/", rfReplaceAll), "\xB1\x5C/");
    EXPECT_EQ(StringReplace("\xB1\x5C", "\xB1", "x", rfReplaceAll), "\xB1\x5C");
    EXPECT_EQ(StringReplace("\xE2\x61"
                            "a",
                            "A", "b", rfReplaceAll | rfIgnoreCase),
              "\xE2\x61"
              "b");
    EXPECT_EQ(StringReplace("\xB0\xB0\xB0\xB0", "\xB0\xB0", "-", rfReplaceAll), "--");
    EXPECT_EQ(StringReplace("a\xB0\xB0\xB0", "\xB0\xB0", "-", rfReplaceAll), "a-\xB0");
    UseCodePage(950);
    EXPECT_EQ(StringReplace("\xA5\x5C\\\xA5\x5C", "\\", "/", rfReplaceAll), "\xA5\x5C/\xA5\x5C");
}

TEST_F(StrUtils, ByteTypeWalksFromTheStart) {
    // a, 0xB0 0xA1, a broken 0x81 before "1", two pairs of 0xB0 and a dangling 0xB0.
    const AnsiString text = "a\xB0\xA1\x81"
                            "1\xB0\xB0\xB0\xB0\xB0";
    const TMbcsByteType expected[] = {mbSingleByte, mbLeadByte,  mbTrailByte, mbSingleByte, mbSingleByte,
                                      mbLeadByte,   mbTrailByte, mbLeadByte,  mbTrailByte,  mbSingleByte};
    for (unsigned cp : {936u, 950u}) {
        UseCodePage(cp);
        for (int i = 0; i < 10; ++i) {
            SCOPED_TRACE(::testing::Message() << cp << " index " << i);
            EXPECT_EQ(ByteType(text, i + 1), expected[i]);
            EXPECT_EQ(StrByteType(text.c_str(), static_cast<unsigned>(i)), expected[i]);
        }
        EXPECT_EQ(ByteType(text, 0), mbSingleByte);
        EXPECT_EQ(ByteType(text, 11), mbSingleByte);
        EXPECT_EQ(StrByteType(text.c_str(), 50), mbSingleByte);
        EXPECT_EQ(StrByteType(nullptr, 0), mbSingleByte);
    }
    UseCodePage(1252);
    for (int i = 1; i <= 10; ++i)
        EXPECT_EQ(ByteType(text, i), mbSingleByte);
}

TEST_F(StrUtils, AnsiLastCharTakesTheWholeCharacter) {
    UseCodePage(936);
    EXPECT_EQ(AnsiLastChar("ab\xB0\xA1"), "\xB0\xA1");
    EXPECT_EQ(AnsiLastChar("\xB1\x5C"), "\xB1\x5C");
    EXPECT_EQ(AnsiLastChar("\xB0\xA1\xB0"), "\xB0");
    EXPECT_EQ(AnsiLastChar("ab"), "b");
    EXPECT_EQ(AnsiLastChar(""), "");
    UseCodePage(1252);
    EXPECT_EQ(AnsiLastChar("\xB1\x5C"), "\x5C");
}

TEST_F(StrUtils, TrimQuoteCompare) {
    EXPECT_EQ(Trim(" \t x y \r\n"), "x y");
    EXPECT_EQ(QuotedStr("O'Neil"), "'O''Neil'");
    EXPECT_TRUE(SameText("Client Components", "CLIENT components"));
    EXPECT_FALSE(SameText("abc", "abcd"));
    // Two different characters whose trail bytes differ only in letter case.
    UseCodePage(936);
    EXPECT_FALSE(SameText("\xE2\x61", "\xE2\x41"));
    EXPECT_TRUE(SameText("x\xE2\x61y", "X\xE2\x61Y"));
    EXPECT_EQ(StringReplace("aAa", "a", "b", rfReplaceAll | rfIgnoreCase), "bbb");
    EXPECT_EQ(StringReplace("aAa", "a", "b", 0), "bAa");
    EXPECT_EQ(Copy("hello", 2, 3), "ell");
    EXPECT_EQ(Copy("hello", 9, 3), "");
}

TEST_F(StrUtils, TrimTakesEveryByteUpToBlank) {
    EXPECT_EQ(Trim(std::string("\0\x01\x1F \xB0\xA1\x7F \x20\x0B", 10)), "\xB0\xA1\x7F");
    EXPECT_EQ(TrimLeft("\x01 a "), "a ");
    EXPECT_EQ(TrimRight(" a\x1F\x20"), " a");
    EXPECT_EQ(Trim("\x01\x02"), "");
    EXPECT_EQ(Trim(""), "");
}
