#include "foundation/CodePageFix.h"

#include <gtest/gtest.h>

#include <optional>

#include "classlib/rtl/codepages.h"
#include "foundation/TempPlatform.h"

namespace {

class CodePageFixTest : public TempPlatform {
protected:
    void TearDown() override {
        RemoveCodePageFix();
        TempPlatform::TearDown();
    }

    void InstallOn950() {
        SetACP(950);
        ASSERT_TRUE(InstallCodePageFix());
    }
};

TEST_F(CodePageFixTest, ConditionIsCodePage950AndUseKBIG5NotZero) {
    struct TCase {
        unsigned CodePage;
        bool Key;                           // the platform's registry key exists
        std::optional<AnsiString> UseKBIG5; // the value, when written
        bool Holds;
    };
    const TCase cases[] = {
        {950, false, std::nullopt, true}, {950, true, std::nullopt, true},
        {950, true, "1", true},           {950, true, "", true},
        {950, true, "0", false},          {936, false, std::nullopt, false},
        {936, true, "1", false},          {1252, true, "1", false},
    };
    for (const TCase& c : cases) {
        TRegistry registry;
        registry.SetRootKey(HKEY_LOCAL_MACHINE);
        registry.DeleteKey(VeltraneRegistryKey);
        if (c.Key) SetPlatformKey({});
        if (c.UseKBIG5) SetPlatformKey({{"UseKBIG5", *c.UseKBIG5}});
        SetACP(c.CodePage);
        EXPECT_EQ(CodePageFixCondition(), c.Holds) << c.CodePage << " " << c.UseKBIG5.value_or("(none)");
        EXPECT_EQ(InstallCodePageFix(), c.Holds);
        EXPECT_EQ(CodePageFixInstalled(), c.Holds);
        // Installed or not, code page 950 shows it.
        EXPECT_EQ(AnsiToWide("\x81\x80", 950), c.Holds ? u"\xA001" : u"?");
        RemoveCodePageFix();
        EXPECT_EQ(AnsiToWide("\x81\x80", 950), u"?");
    }
}

TEST_F(CodePageFixTest, PrivateRangesConvertBothWays) {
    InstallOn950();
    struct TCase {
        const char* Bytes;
        const char16_t* Wide;
    };
    const TCase cases[] = {
        {"\x81\x80", u"\xA001"},
        {"\x81\xA0", u"\xC001"},
        {"\xFE\x80", u"\xA07E"},
        {"\xFE\xA0", u"\xC07E"},
        {"\xC8\x95", u"\xB548"},
        {"\xA3\xC0", u"\xC101"},
        {"\xA3\xDF", u"\xC120"},
        {"\xA3\xE1", u"\x20AC"},
        {"\xA3\xE2", u"\xC123"},
        {"\xA3\xFE", u"\xC13F"},
        {"a\x81\x80"
         "b\xA3\xC0",
         u"a\xA001"
         "b\xC101"},
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(AnsiToWide(c.Bytes, 950), c.Wide) << c.Bytes;
        EXPECT_EQ(AnsiToWide(c.Bytes, CP_ACP), c.Wide) << c.Bytes;
        EXPECT_EQ(WideToAnsi(c.Wide, 950), c.Bytes) << c.Bytes;
        EXPECT_EQ(ConvertCodePage(c.Bytes, 950, CP_UTF8), WideToUtf8(c.Wide));
    }
    // Next to the ranges: base conversion. 0xAC00 has the low byte 00, 0xC121 and 0xC122 would be A3 E0
    // and A3 E1 (the euro sign, which stays the euro sign).
    EXPECT_EQ(WideToAnsi(u"\xAC00\xC121\xC122\xC07F", 950), "????");
    EXPECT_EQ(AnsiToWide("\xA3\xE0", 950), u"?");
}

TEST_F(CodePageFixTest, OtherCharactersAndCodePage936ConvertAsTheBase) {
    SetACP(950);
    const AnsiString big5 = WideToAnsi(u"繁體中文 abc 123 €", 950) + "\xA4\x7F"
                                                                     "x\xA4";
    const WideString wide = u"繁體中文 abc \xAC00 \xD800 €";
    const AnsiString gbk = "\x81\x80\xA3\xC0简体";
    const WideString big5Wide = AnsiToWide(big5, 950);
    const AnsiString wideBig5 = WideToAnsi(wide, 950);
    const WideString gbkWide = AnsiToWide(gbk, 936);
    const AnsiString wideGbk = WideToAnsi(u"\xA001\xC101", 936);

    ASSERT_TRUE(InstallCodePageFix());
    EXPECT_EQ(AnsiToWide(big5, 950), big5Wide);
    EXPECT_EQ(WideToAnsi(wide, 950), wideBig5);
    EXPECT_EQ(AnsiToWide(gbk, 936), gbkWide);
    EXPECT_EQ(WideToAnsi(u"\xA001\xC101", 936), wideGbk);
}

TEST_F(CodePageFixTest, LengthsAreTheCharactersWritten) {
    InstallOn950();
    // Two private pairs, two ASCII letters, one BIG5 character: five wide characters.
    const char bytes[] = "\x81\x80"
                         "ab\xA3\xC0\xA4\x40";
    const int byteCount = 8;
    EXPECT_EQ(MultiByteToWideChar(950, bytes, byteCount, nullptr, 0), 5);
    char16_t wide[8] = {};
    EXPECT_EQ(MultiByteToWideChar(950, bytes, byteCount, wide, 4), 0); // too small
    ASSERT_EQ(MultiByteToWideChar(950, bytes, byteCount, wide, 5), 5);
    EXPECT_EQ(WideString(wide, 5), u"\xA001"
                                   "ab\xC101\x4E00");
    EXPECT_EQ(MultiByteToWideChar(950, bytes, -1, nullptr, 0), 6); // with the NUL
    EXPECT_EQ(MultiByteToWideChar(950, bytes, -1, wide, 6), 6);
    EXPECT_EQ(wide[5], u'\0');

    char out[16] = {};
    bool usedDefault = true;
    EXPECT_EQ(WideCharToMultiByte(950, wide, 5, nullptr, 0, nullptr, nullptr), byteCount);
    EXPECT_EQ(WideCharToMultiByte(950, wide, 5, out, byteCount - 1, nullptr, nullptr), 0);
    ASSERT_EQ(WideCharToMultiByte(950, wide, 5, out, byteCount, nullptr, &usedDefault), byteCount);
    EXPECT_EQ(AnsiString(out, byteCount), AnsiString(bytes, byteCount));
    EXPECT_FALSE(usedDefault);
    EXPECT_EQ(WideCharToMultiByte(950, wide, -1, nullptr, 0, nullptr, nullptr), byteCount + 1);

    // A character without a mapping beside a private one: the default character, reported.
    const char16_t mixed[] = u"\xC101\xAC00";
    EXPECT_EQ(WideCharToMultiByte(950, mixed, 2, out, 16, "#", &usedDefault), 3);
    EXPECT_EQ(AnsiString(out, 3), "\xA3\xC0#");
    EXPECT_TRUE(usedDefault);
}

TEST_F(CodePageFixTest, RemovalDoesNotDependOnTheConditionAnyMore) {
    InstallOn950();
    EXPECT_TRUE(InstallCodePageFix()); // once only
    SetACP(936);
    RemoveCodePageFix();
    EXPECT_FALSE(CodePageFixInstalled());
    EXPECT_EQ(AnsiToWide("\x81\x80", 950), u"?");
}

TEST_F(CodePageFixTest, UnitHooksInstallAndRemove) {
    SetACP(950);
    CodePageFixUnit.Initialization();
    EXPECT_TRUE(CodePageFixInstalled());
    EXPECT_EQ(WideToAnsi(u"\xA001", 950), "\x81\x80");
    CodePageFixUnit.Finalization();
    EXPECT_FALSE(CodePageFixInstalled());
    EXPECT_EQ(WideToAnsi(u"\xA001", 950), "?");
}

} // namespace
