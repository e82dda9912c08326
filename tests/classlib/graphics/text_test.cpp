// Expected pictures are laid out one pixel row per line.
// clang-format off
#include <gtest/gtest.h>

#include "classlib/graphics/bitmap.h"
#include "classlib/graphics/canvas.h"
#include "classlib/graphics/glyphs.h"
#include "classlib/graphics/textmetric.h"
#include "classlib/rtl/codepages.h"
#include "pixels.h"

namespace {

// The smallest rectangle holding every pixel of the colour; empty when there is none.
TRect InkBounds(const TBitmap& bitmap, TColor color) {
    TRect ink{bitmap.Width(), bitmap.Height(), 0, 0};
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x)
            if (bitmap.Pixel(x, y) == ColorToRGB(color)) {
                ink.Left = std::min(ink.Left, x);
                ink.Top = std::min(ink.Top, y);
                ink.Right = std::max(ink.Right, x + 1);
                ink.Bottom = std::max(ink.Bottom, y + 1);
            }
    return IsRectEmpty(ink) ? TRect{} : ink;
}

// An 8-pixel font: single-byte cells 4 x 8, double-byte cells 8 x 8, drawn as the metric's boxes, whose
// ink tells the layout exactly.
class TextTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetTextLook(tlBoxes);
        SetACP(936);
        WhiteBitmap(FBitmap, 40, 24);
        Canvas()->Font()->SetHeight(-8);
        Canvas()->Font()->SetColor(clBlack);
    }
    void TearDown() override {
        SetACP(936);
        SetTextLook(tlGlyphs);
    }
    TCanvas* Canvas() { return FBitmap.Canvas(); }
    TBitmap FBitmap;
};

const TPixelKey kKey = {{'.', clWhite}, {'X', clBlack}, {'y', clYellow}};

} // namespace

TEST_F(TextTest, FixedMetric) {
    TCanvas* c = Canvas();
    EXPECT_EQ(c->TextExtent("abc"), (TSize{12, 8}));
    EXPECT_EQ(c->TextWidth("中文"), 16);
    EXPECT_EQ(c->TextWidth("a中"), 12);
    EXPECT_EQ(c->TextWidth("&OK"), 12); // the prefix character is measured like any other
    EXPECT_EQ(c->TextWidth("\xD6"), 4);  // a lead byte without its trail byte is one narrow cell
    EXPECT_EQ(c->TextHeight(""), 8);
    EXPECT_EQ(c->TextWidth(""), 0);

    c->Font()->SetHeight(15); // a positive height measures the same; odd heights round the half down
    EXPECT_EQ(c->TextExtent("a中"), (TSize{7 + 15, 15}));
    c->Font()->SetHeight(0);
    EXPECT_EQ(c->TextExtent("a"), (TSize{6, 12}));
    c->Font()->SetHeight(-8);

    // The font's charset decides which bytes pair up; a default charset follows the system code page.
    // An odd height tells a double-byte cell (15) from two single-byte ones (7 + 7).
    c->Font()->SetHeight(-15);
    EXPECT_EQ(c->TextWidth("中文"), 30);
    SetACP(1252);
    EXPECT_EQ(c->TextWidth("中文"), 28);
    c->Font()->SetCharset(GB2312_CHARSET);
    EXPECT_EQ(c->TextWidth("中文"), 30);
    c->Font()->SetCharset(SYMBOL_CHARSET);
    SetACP(936);
    EXPECT_EQ(c->TextWidth("\xFE\xA8"), 14);
}

TEST_F(TextTest, TextOutDrawsOneBoxPerCharacterOnTheBrush) {
    TCanvas* c = Canvas();
    c->Brush()->SetColor(clYellow);
    c->TextOut(1, 1, "A b");
    EXPECT_EQ(c->PenPos(), Point(13, 1));
    EXPECT_TRUE(PixelsAre(FBitmap, 0, 0,
                          {"..............",
                           ".yyyyyyyyyyyy.",
                           ".XXXyyyyyXXXy.",
                           ".XyXyyyyyXyXy.",
                           ".XyXyyyyyXyXy.",
                           ".XyXyyyyyXyXy.",
                           ".XyXyyyyyXyXy.",
                           ".XXXyyyyyXXXy.",
                           ".yyyyyyyyyyyy.",
                           ".............."},
                          kKey));
    // With a clear brush only the glyphs are drawn; underline draws along the bottom row of the cell.
    WhiteBitmap(FBitmap, 40, 24);
    c->Brush()->SetStyle(bsClear);
    c->Font()->SetStyle({fsUnderline});
    c->TextOut(0, 0, "ab");
    EXPECT_TRUE(PixelsAre(FBitmap, 0, 6, {"XXX.XXX..", "XXXXXXXX."}, kKey));
    EXPECT_EQ(InkBounds(FBitmap, clBlack), Rect(0, 1, 8, 8));
}

TEST_F(TextTest, DoubleByteCellsAndBold) {
    TCanvas* c = Canvas();
    c->Brush()->SetStyle(bsClear);
    c->TextOut(0, 0, "中");
    EXPECT_EQ(InkBounds(FBitmap, clBlack), Rect(0, 1, 7, 7));
    // Bold thickens the sides of the box.
    WhiteBitmap(FBitmap, 40, 24);
    c->Font()->SetStyle({fsBold});
    c->Font()->SetHeight(-12);
    c->TextOut(0, 0, "中");
    EXPECT_EQ(FBitmap.Pixel(0, 5), clBlack);
    EXPECT_EQ(FBitmap.Pixel(1, 5), clBlack);
    EXPECT_EQ(FBitmap.Pixel(9, 5), clBlack);
    EXPECT_EQ(FBitmap.Pixel(10, 5), clBlack);
    EXPECT_EQ(FBitmap.Pixel(11, 5), clWhite);
}

TEST_F(TextTest, DrawTextAlignment) {
    // Ink of "ab" (8 x 8 cells, boxes one pixel short on the right, top and bottom) in a 30 x 20 rectangle.
    struct {
        unsigned format;
        TRect ink;
        int result;
    } const cases[] = {
        {DT_LEFT, Rect(5, 3, 12, 9), 8},
        {DT_CENTER, Rect(16, 3, 23, 9), 8},
        {DT_RIGHT, Rect(27, 3, 34, 9), 8},
        {DT_SINGLELINE | DT_VCENTER, Rect(5, 9, 12, 15), 14},
        {DT_SINGLELINE | DT_BOTTOM | DT_RIGHT, Rect(27, 15, 34, 21), 20},
        {DT_VCENTER, Rect(5, 3, 12, 9), 8}, // vertical placement needs a single line
    };
    for (const auto& c : cases) {
        WhiteBitmap(FBitmap, 40, 24);
        TRect r = Rect(5, 2, 35, 22);
        Canvas()->Brush()->SetStyle(bsClear);
        EXPECT_EQ(DrawText(Canvas(), "ab", r, c.format), c.result) << c.format;
        EXPECT_EQ(r, Rect(5, 2, 35, 22));
        EXPECT_EQ(InkBounds(FBitmap, clBlack), c.ink) << c.format;
    }
}

TEST_F(TextTest, DrawTextCalcRect) {
    struct {
        const char* text;
        unsigned format;
        int width; // of the given rectangle
        TRect expected;
        int result;
    } const cases[] = {
        {"abc", DT_SINGLELINE, 100, Rect(0, 0, 12, 8), 8},
        {"&File", DT_SINGLELINE, 100, Rect(0, 0, 16, 8), 8},       // the prefix is not shown
        {"a&&b", DT_SINGLELINE, 100, Rect(0, 0, 12, 8), 8},        // "&&" shows one "&"
        {"&File", DT_SINGLELINE | DT_NOPREFIX, 100, Rect(0, 0, 20, 8), 8},
        {"ab\r\nc\nlonger", 0, 100, Rect(0, 0, 24, 24), 24},
        {"ab\r\nc", DT_SINGLELINE, 100, Rect(0, 0, 20, 8), 8},     // line ends are characters here
        {"aa bb cc", DT_WORDBREAK, 20, Rect(0, 0, 20, 16), 16},    // "aa bb" / "cc"
        {"aa bb cc", DT_WORDBREAK, 19, Rect(0, 0, 8, 24), 24},     // "aa" / "bb" / "cc"
        {"toolongword x", DT_WORDBREAK, 16, Rect(0, 0, 44, 16), 16}, // a long word is not split
        {"中文中文", DT_WORDBREAK, 20, Rect(0, 0, 16, 16), 16},      // breaks between wide characters
        {"abcdefgh", DT_SINGLELINE | DT_END_ELLIPSIS, 20, Rect(0, 0, 20, 8), 8}, // "ab..."
        {"abcd", DT_SINGLELINE | DT_END_ELLIPSIS, 16, Rect(0, 0, 16, 8), 8},     // fits: unchanged
        {"", DT_SINGLELINE, 100, Rect(0, 0, 0, 0), 0},
    };
    for (const auto& c : cases) {
        TRect r = Rect(0, 0, c.width, 50);
        EXPECT_EQ(DrawText(Canvas(), c.text, r, c.format | DT_CALCRECT), c.result) << c.text;
        EXPECT_EQ(r, c.expected) << c.text;
    }
    // Nothing is drawn.
    EXPECT_EQ(InkBounds(FBitmap, clBlack), TRect{});
}

TEST_F(TextTest, DrawTextPrefixUnderlinesTheNextCharacter) {
    TCanvas* c = Canvas();
    c->Brush()->SetStyle(bsClear);
    TRect r = Rect(0, 0, 40, 8);
    DrawText(c, "a&bc", r, DT_SINGLELINE);
    EXPECT_TRUE(PixelsAre(FBitmap, 0, 6, {"XXX.XXX.XXX.", "....XXXX...."}, kKey));
    WhiteBitmap(FBitmap, 40, 24);
    DrawText(c, "a&bc", r, DT_SINGLELINE | DT_HIDEPREFIX);
    EXPECT_EQ(InkBounds(FBitmap, clBlack), Rect(0, 1, 11, 7));
    WhiteBitmap(FBitmap, 40, 24);
    DrawText(c, "a&bc", r, DT_SINGLELINE | DT_NOPREFIX);
    EXPECT_EQ(InkBounds(FBitmap, clBlack), Rect(0, 1, 15, 7)); // four boxes, no underline
}

TEST_F(TextTest, DrawTextWrapsAndClips) {
    TCanvas* c = Canvas();
    c->Brush()->SetColor(clYellow);
    // "aa bb" on the first line, "cc" on the second, left-aligned; the background follows the text only.
    TRect r = Rect(2, 2, 22, 22);
    EXPECT_EQ(DrawText(c, "aa bb cc", r, DT_WORDBREAK), 16);
    EXPECT_EQ(InkBounds(FBitmap, clYellow), Rect(2, 2, 22, 18));
    EXPECT_EQ(FBitmap.Pixel(2, 11), clBlack);  // "c" starts the second line
    EXPECT_EQ(FBitmap.Pixel(10, 11), clWhite); // and the line is two cells long
    // Clipped to the rectangle unless DT_NOCLIP.
    WhiteBitmap(FBitmap, 40, 24);
    c->Brush()->SetColor(clYellow);
    r = Rect(0, 0, 6, 8);
    DrawText(c, "abc", r, DT_SINGLELINE);
    EXPECT_EQ(InkBounds(FBitmap, clYellow), Rect(0, 0, 6, 8));
    DrawText(c, "abc", r, DT_SINGLELINE | DT_NOCLIP);
    EXPECT_EQ(InkBounds(FBitmap, clYellow), Rect(0, 0, 12, 8));
}

TEST_F(TextTest, TextRectFillsAndClips) {
    TCanvas* c = Canvas();
    c->Brush()->SetColor(clYellow);
    c->TextRect(Rect(2, 2, 10, 12), 4, 3, "abc");
    EXPECT_EQ(InkBounds(FBitmap, clYellow), Rect(2, 2, 10, 12));
    EXPECT_EQ(InkBounds(FBitmap, clBlack), Rect(4, 4, 10, 10));
}
