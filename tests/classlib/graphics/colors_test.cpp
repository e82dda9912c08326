#include <gtest/gtest.h>

#include "classlib/graphics/colors.h"
#include "classlib/graphics/types.h"
#include "classlib/objects/typeinfo.h"
#include "classlib/rtl/strutils.h"
#include "classlib/rtl/exceptions.h"

TEST(Colors, PlainColoursAreBgr) {
    EXPECT_EQ(RGB(0x12, 0x34, 0x56), 0x563412);
    EXPECT_EQ(clRed, RGB(255, 0, 0));
    EXPECT_EQ(clNavy, RGB(0, 0, 128));
    EXPECT_EQ(GetRValue(0x563412), 0x12);
    EXPECT_EQ(GetGValue(0x563412), 0x34);
    EXPECT_EQ(GetBValue(0x563412), 0x56);
}

TEST(Colors, SystemColoursResolveThroughTheClassicPalette) {
    struct {
        TColor color;
        int index;
        TColor rgb;
    } const cases[] = {
        {clScrollBar, 0, RGB(192, 192, 192)},
        {clActiveCaption, 2, RGB(0, 0, 128)},
        {clInactiveCaption, 3, RGB(128, 128, 128)},
        {clWindow, 5, RGB(255, 255, 255)},
        {clWindowText, 8, RGB(0, 0, 0)},
        {clCaptionText, 9, RGB(255, 255, 255)},
        {clHighlight, 13, RGB(0, 0, 128)},
        {clHighlightText, 14, RGB(255, 255, 255)},
        {clBtnFace, 15, RGB(192, 192, 192)},
        {clBtnShadow, 16, RGB(128, 128, 128)},
        {clGrayText, 17, RGB(128, 128, 128)},
        {clBtnText, 18, RGB(0, 0, 0)},
        {clInactiveCaptionText, 19, RGB(192, 192, 192)},
        {clBtnHighlight, 20, RGB(255, 255, 255)},
        {cl3DDkShadow, 21, RGB(0, 0, 0)},
        {cl3DLight, 22, RGB(223, 223, 223)},
        {clInfoText, 23, RGB(0, 0, 0)},
        {clInfoBk, 24, RGB(255, 255, 225)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(static_cast<std::uint32_t>(c.color), 0x80000000u | static_cast<std::uint32_t>(c.index));
        EXPECT_EQ(ColorToRGB(c.color), c.rgb) << c.index;
        EXPECT_EQ(GetSysColor(c.index), c.rgb) << c.index;
    }
    // Plain values, clNone and clDefault come back unchanged; an unknown system index is black.
    EXPECT_EQ(ColorToRGB(0x123456), 0x123456);
    EXPECT_EQ(ColorToRGB(clNone), clNone);
    EXPECT_EQ(ColorToRGB(clDefault), clDefault);
    EXPECT_EQ(ColorToRGB(SystemColor(200)), clBlack);
}

TEST(Colors, IdentifiersBothWays) {
    AnsiString ident;
    EXPECT_TRUE(ColorToIdent(clBtnFace, ident));
    EXPECT_EQ(ident, "clBtnFace");
    // The aliases clLtGray/clDkGray read back as the platform's names.
    EXPECT_TRUE(ColorToIdent(clLtGray, ident));
    EXPECT_EQ(ident, "clSilver");
    EXPECT_FALSE(ColorToIdent(0x123456, ident));

    TColor color = 0;
    EXPECT_TRUE(IdentToColor("CLRED", color));
    EXPECT_EQ(color, clRed);
    EXPECT_TRUE(IdentToColor("cl3DDkShadow", color));
    EXPECT_EQ(color, cl3DDkShadow);
    color = 7;
    EXPECT_FALSE(IdentToColor("clRedish", color));
    EXPECT_EQ(color, 7);

    EXPECT_EQ(ColorToString(clWindow), "clWindow");
    EXPECT_EQ(ColorToString(15532027), "$00ECFFFB");
    EXPECT_EQ(StringToColor("clInfoBk"), clInfoBk);
    EXPECT_EQ(StringToColor("$00ECFFFB"), 15532027);
    EXPECT_EQ(StringToColor("255"), clRed);
    EXPECT_EQ(StringToColor("-2147483633"), clBtnFace);
    EXPECT_EQ(StringToColor("$8000000F"), clBtnFace);
    for (const char* bad : {"", "clPink", "12x", "$", "$1FFFFFFFF", "99999999999"})
        EXPECT_THROW(StringToColor(bad), EConvertError) << bad;
}

TEST(Geometry, RectangleHelpers) {
    TRect r = Rect(10, 20, 30, 50);
    EXPECT_EQ(r.Width(), 20);
    EXPECT_EQ(r.Height(), 30);
    EXPECT_EQ(Bounds(10, 20, 20, 30), r);
    EXPECT_TRUE(PtInRect(r, Point(10, 20)));
    EXPECT_FALSE(PtInRect(r, Point(30, 20))); // the right edge is outside
    EXPECT_FALSE(PtInRect(r, Point(10, 50)));

    ASSERT_TRUE(InflateRect(&r, 2, -5));
    EXPECT_EQ(r, Rect(8, 25, 32, 45));
    ASSERT_TRUE(OffsetRect(&r, -8, 5));
    EXPECT_EQ(r, Rect(0, 30, 24, 50));
    EXPECT_FALSE(InflateRect(nullptr, 1, 1));
    EXPECT_FALSE(OffsetRect(nullptr, 1, 1));

    TRect common;
    EXPECT_TRUE(IntersectRect(common, Rect(0, 0, 10, 10), Rect(5, 5, 20, 20)));
    EXPECT_EQ(common, Rect(5, 5, 10, 10));
    EXPECT_FALSE(IntersectRect(common, Rect(0, 0, 10, 10), Rect(10, 0, 20, 10)));
    EXPECT_EQ(common, Rect(0, 0, 0, 0));
    EXPECT_TRUE(IsRectEmpty(Rect(5, 5, 5, 9)));

    TRect both;
    EXPECT_TRUE(UnionRect(both, Rect(0, 0, 2, 2), Rect(5, 5, 6, 8)));
    EXPECT_EQ(both, Rect(0, 0, 6, 8));
    EXPECT_TRUE(UnionRect(both, Rect(3, 3, 3, 3), Rect(5, 5, 6, 8)));
    EXPECT_EQ(both, Rect(5, 5, 6, 8));
}

// The identifiers form streams and language files use for colours and charsets.
TEST(Identifiers, ColorsAndCharsets) {
    struct Case {
        const char* type;
        const char* ident;
        Int64 value;
    } cases[] = {
        {"TColor", "clRed", 0x0000FF},
        {"TColor", "clBlack", 0},
        {"TColor", "clWindow", static_cast<std::int32_t>(0x80000005u)},
        {"TColor", "clBtnFace", static_cast<std::int32_t>(0x8000000Fu)},
        {"TColor", "clInfoBk", static_cast<std::int32_t>(0x80000018u)},
        {"tcolor", "CLWHITE", 0xFFFFFF},
        {"TFontCharset", "DEFAULT_CHARSET", 1},
        {"TFontCharset", "GB2312_CHARSET", 134},
        {"TFontCharset", "CHINESEBIG5_CHARSET", 136},
        {"TFontCharset", "ANSI_CHARSET", 0},
    };
    for (const Case& c : cases) {
        Int64 v = -1;
        EXPECT_TRUE(IdentToIntOfType(c.type, c.ident, v)) << c.ident;
        EXPECT_EQ(v, c.value) << c.ident;
        AnsiString back;
        EXPECT_TRUE(IntToIdentOfType(c.type, c.value, back));
        EXPECT_TRUE(SameText(back, c.ident)) << back;
    }
    Int64 v = 42;
    EXPECT_FALSE(IdentToIntOfType("TColor", "clNoSuch", v));
    EXPECT_FALSE(IdentToIntOfType("TNoType", "clRed", v));
    EXPECT_EQ(v, 42);
    AnsiString ident = "kept";
    EXPECT_FALSE(IntToIdentOfType("TColor", 0x123456, ident));
    EXPECT_EQ(ident, "kept");
}
