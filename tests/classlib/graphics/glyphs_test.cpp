// Characters drawn as the installed font's glyphs inside the fixed metric's cells.
#include <gtest/gtest.h>

#include "classlib/graphics/bitmap.h"
#include "classlib/graphics/canvas.h"
#include "classlib/graphics/glyphs.h"
#include "classlib/graphics/textmetric.h"
#include "classlib/rtl/codepages.h"
#include "pixels.h"

namespace {

class GlyphTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetACP(936);
        SetTextLook(tlGlyphs);
        ASSERT_FALSE(GlyphFontFile().empty())
            << "no font found through fontconfig (scripts/setup.sh installs one)";
    }
    void TearDown() override {
        SetACP(936);
        SetTextLook(tlGlyphs);
    }

    // The text drawn at (2, 3) with a clear brush, in black unless told, on a white bitmap.
    static void Draw(TBitmap& bitmap, const AnsiString& text, int height,
                     TFontCharset charset = DEFAULT_CHARSET, TFontStyles style = {}, TColor color = clBlack) {
        WhiteBitmap(bitmap, 80, 40);
        TCanvas* c = bitmap.Canvas();
        c->Font()->SetHeight(-height);
        c->Font()->SetCharset(charset);
        c->Font()->SetStyle(style);
        c->Font()->SetColor(color);
        c->Brush()->SetStyle(bsClear);
        c->TextOut(2, 3, text);
    }

    // Pixels differing between two bitmaps of one size inside rect.
    static int Differences(const TBitmap& a, const TBitmap& b, const TRect& rect) {
        int n = 0;
        for (int y = rect.Top; y < rect.Bottom; ++y)
            for (int x = rect.Left; x < rect.Right; ++x)
                if (a.Pixel(x, y) != b.Pixel(x, y)) ++n;
        return n;
    }

    // Darkness summed over the bitmap (255 a channel off white).
    static long Ink(const TBitmap& bitmap) {
        long ink = 0;
        for (int y = 0; y < bitmap.Height(); ++y)
            for (int x = 0; x < bitmap.Width(); ++x) {
                const TColor p = bitmap.Pixel(x, y);
                ink += 3 * 255 - GetRValue(p) - GetGValue(p) - GetBValue(p);
            }
        return ink;
    }

    // The smallest rectangle holding every pixel that is not white; empty when there is none.
    static TRect InkBounds(const TBitmap& bitmap) {
        TRect ink{bitmap.Width(), bitmap.Height(), 0, 0};
        for (int y = 0; y < bitmap.Height(); ++y)
            for (int x = 0; x < bitmap.Width(); ++x)
                if (bitmap.Pixel(x, y) != ColorToRGB(clWhite)) {
                    ink.Left = std::min(ink.Left, x);
                    ink.Top = std::min(ink.Top, y);
                    ink.Right = std::max(ink.Right, x + 1);
                    ink.Bottom = std::max(ink.Bottom, y + 1);
                }
        return IsRectEmpty(ink) ? TRect{} : ink;
    }
};

} // namespace

TEST_F(GlyphTest, DifferentTextsOfOneLengthDifferAndOneTextComesOutTheSame) {
    // Two texts whose first character is the same and whose second differs, in each script the screen
    // shows: only the second cell differs, and each is the font's glyph, not the box drawn without it.
    struct {
        const char* Name;
        TFontCharset Charset;
        AnsiString First, Second;
    } const cases[] = {
        {"ASCII", DEFAULT_CHARSET, "AB", "AD"},
        {"digits", DEFAULT_CHARSET, "18", "10"},
        {"simplified", GB2312_CHARSET, "单别", "单号"},
        {"traditional", CHINESEBIG5_CHARSET, "\xB3\xE6\xA7\x4F", "\xB3\xE6\xB8\xB9"}, // 單別, 單號 in BIG5
        {"full-width", GB2312_CHARSET, "ＡＢ", "ＡＣ"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        constexpr int height = 16;
        TBitmap first, again, second, boxes;
        Draw(first, c.First, height, c.Charset);
        Draw(again, c.First, height, c.Charset);
        Draw(second, c.Second, height, c.Charset);
        const TSize extent = first.Canvas()->TextExtent(c.First);
        ASSERT_EQ(extent, second.Canvas()->TextExtent(c.Second));
        const int cell = extent.cx / 2;
        const TRect whole = Bounds(0, 0, 80, 40);
        EXPECT_EQ(Differences(first, again, whole), 0);
        EXPECT_EQ(Differences(first, second, Bounds(2, 3, cell, height)), 0);
        EXPECT_GT(Differences(first, second, Bounds(2 + cell, 3, cell, height)), 4);
        // Nothing outside the text's extent.
        TRect ink = InkBounds(first);
        TRect inside;
        IntersectRect(inside, ink, Bounds(2, 3, extent.cx, extent.cy));
        EXPECT_EQ(inside, ink);
        SetTextLook(tlBoxes);
        Draw(boxes, c.First, height, c.Charset);
        SetTextLook(tlGlyphs);
        EXPECT_GT(Differences(first, boxes, Bounds(2, 3, cell, height)), 4);
        EXPECT_GT(Differences(first, boxes, Bounds(2 + cell, 3, cell, height)), 4);
    }
}

TEST_F(GlyphTest, GlyphsAreBlendedInTheFontColour) {
    TBitmap bitmap;
    Draw(bitmap, "中a", 16, DEFAULT_CHARSET, {}, clRed);
    // Red over white: full red where the glyph covers its pixel, red and white mixed at its edges, and
    // nothing of any other colour.
    int solid = 0, mixed = 0, other = 0;
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x) {
            const TColor p = bitmap.Pixel(x, y);
            if (p == ColorToRGB(clWhite)) continue;
            if (p == ColorToRGB(clRed))
                ++solid;
            else if (GetRValue(p) == 255 && GetGValue(p) == GetBValue(p))
                ++mixed;
            else
                ++other;
        }
    EXPECT_GT(solid, 10);
    EXPECT_GT(mixed, 10);
    EXPECT_EQ(other, 0);

    // On an opaque brush the cells take the brush's colour and the glyph is blended onto it.
    WhiteBitmap(bitmap, 80, 40);
    TCanvas* c = bitmap.Canvas();
    c->Brush()->SetColor(clYellow);
    c->Font()->SetColor(clBlue);
    c->TextOut(0, 0, "中");
    int yellow = 0, blue = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const TColor p = bitmap.Pixel(x, y);
            yellow += p == ColorToRGB(clYellow);
            blue += p == ColorToRGB(clBlue);
            EXPECT_EQ(GetRValue(p), GetGValue(p)) << x << "," << y; // yellow and blue mixed, nothing else
        }
    EXPECT_GT(yellow, 50);
    EXPECT_GT(blue, 10);
    EXPECT_EQ(bitmap.Pixel(16, 0), ColorToRGB(clWhite));
}

TEST_F(GlyphTest, CharactersTheFontLacksAreBoxes) {
    // A character of the user-defined area, a lead byte without its trail byte, a symbol font's bytes.
    struct {
        const char* Name;
        TFontCharset Charset;
        AnsiString Text;
    } const cases[] = {
        {"user-defined", GB2312_CHARSET, "\xAA\xA1"},
        {"broken", GB2312_CHARSET, "\xD6"},
        {"symbol", SYMBOL_CHARSET, "AB"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TBitmap glyphs, boxes;
        Draw(glyphs, c.Text, 12, c.Charset);
        SetTextLook(tlBoxes);
        Draw(boxes, c.Text, 12, c.Charset);
        SetTextLook(tlGlyphs);
        EXPECT_EQ(Differences(glyphs, boxes, Bounds(0, 0, 80, 40)), 0);
        EXPECT_FALSE(IsRectEmpty(InkBounds(glyphs)));
    }
    // Blanks draw nothing either way.
    TBitmap blank;
    Draw(blank, " \xA1\xA1", 12, GB2312_CHARSET);
    EXPECT_TRUE(IsRectEmpty(InkBounds(blank)));
}

TEST_F(GlyphTest, StylesChangeTheGlyphInsideItsCell) {
    constexpr int height = 16;
    TBitmap regular, bold, italic, underline, strike;
    Draw(regular, "单A", height);
    Draw(bold, "单A", height, DEFAULT_CHARSET, {fsBold});
    Draw(italic, "单A", height, DEFAULT_CHARSET, {fsItalic});
    Draw(underline, "单A", height, DEFAULT_CHARSET, {fsUnderline});
    Draw(strike, "单A", height, DEFAULT_CHARSET, {fsStrikeOut});
    const TRect text = Bounds(2, 3, height + height / 2, height);
    const TRect whole = Bounds(0, 0, 80, 40);
    EXPECT_GT(Ink(bold), Ink(regular) * 11 / 10);
    EXPECT_GT(Differences(italic, regular, whole), 10);
    for (const TBitmap* styled : {&regular, &bold, &italic, &underline, &strike}) {
        TRect inside;
        IntersectRect(inside, InkBounds(*styled), text);
        EXPECT_EQ(inside, InkBounds(*styled));
    }
    // Underline along the cells' bottom row, strike-out through their middle, both the whole text long.
    for (int x = text.Left; x < text.Right; ++x) {
        EXPECT_EQ(underline.Pixel(x, text.Bottom - 1), ColorToRGB(clBlack)) << x;
        EXPECT_EQ(strike.Pixel(x, text.Top + height / 2), ColorToRGB(clBlack)) << x;
    }
}

TEST_F(GlyphTest, OneGlyphAsTheInstalledFontDrawsIt) {
    // "中" at 12 pixels, black on white: X where the glyph covers more than half of the pixel.
    ASSERT_NE(GlyphFontFile().find("wqy-microhei"), AnsiString::npos)
        << GlyphFontFile() << " is not the font scripts/setup.sh installs";
    TBitmap bitmap;
    Draw(bitmap, "中", 12);
    std::vector<std::string> rows;
    for (int y = 3; y < 15; ++y) {
        std::string row;
        for (int x = 2; x < 14; ++x)
            row += GetRValue(bitmap.Pixel(x, y)) < 128 ? 'X' : '.';
        rows.push_back(row);
    }
    const std::vector<std::string> expected = {
        // clang-format off
        ".....X......",
        ".....X......",
        ".XXXXXXXXXX.",
        ".X...X....X.",
        ".X...X....X.",
        ".X...X....X.",
        ".XXXXXXXXXX.",
        ".X...X....X.",
        ".....X......",
        ".....X......",
        ".....X......",
        "............",
        // clang-format on
    };
    EXPECT_EQ(rows, expected);
}
