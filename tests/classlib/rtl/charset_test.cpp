#include <gtest/gtest.h>

#include <cstring>

#include "classlib/rtl/codepages.h"
#include "classlib/rtl/strutils.h"

// The program's own texts are compiled to code-page 936 bytes.
TEST(Charset, NarrowLiteralsAreGbk) {
    const char* text = "浏览";
    ASSERT_EQ(std::strlen(text), 4u);
    const unsigned char expected[] = {0xE4, 0xAF, 0xC0, 0xC0};
    EXPECT_EQ(std::memcmp(text, expected, 4), 0);
}

TEST(Charset, Utf8LiteralsStayUtf8) {
    const char* text = u8"浏览";
    EXPECT_EQ(std::strlen(text), 6u);
}

TEST(StrUtils, CaseTouchesSingleByteLettersOnly) {
    SetACP(936);
    // "丁" is 0xB6 0xA1 and "乐" 0xC0 0xD6; a GBK trail byte can be an ASCII letter (0x61..0x7A): "猡" 0xE2 0x61.
    const AnsiString text = "ab\xE2\x61" "cd";
    EXPECT_EQ(UpperCase(text), "AB\xE2\x61" "CD");
    EXPECT_EQ(LowerCase("AB\xE2\x41" "CD"), "ab\xE2\x41" "cd");
}

TEST(StrUtils, AnsiPosNeverMatchesAtATrailByte) {
    SetACP(936);
    // 0xB1 0x5C is one character whose trail byte is a backslash.
    const AnsiString text = "\xB1\x5C" "a\\b";
    EXPECT_EQ(AnsiPos("\\", text), 4);
    EXPECT_EQ(Pos("\\", text), 2);
    EXPECT_EQ(StringReplace(text, "\\", "/", rfReplaceAll), "\xB1\x5C" "a/b");
}

TEST(StrUtils, TrimQuoteCompare) {
    EXPECT_EQ(Trim(" \t x y \r\n"), "x y");
    EXPECT_EQ(QuotedStr("O'Neil"), "'O''Neil'");
    EXPECT_TRUE(SameText("Client Components", "CLIENT components"));
    EXPECT_FALSE(SameText("abc", "abcd"));
    EXPECT_EQ(StringReplace("aAa", "a", "b", rfReplaceAll | rfIgnoreCase), "bbb");
    EXPECT_EQ(StringReplace("aAa", "a", "b", 0), "bAa");
    EXPECT_EQ(Copy("hello", 2, 3), "ell");
    EXPECT_EQ(Copy("hello", 9, 3), "");
}
