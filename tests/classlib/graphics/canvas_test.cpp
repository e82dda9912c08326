// Expected pictures are laid out one pixel row per line.
// clang-format off
#include <gtest/gtest.h>

#include "classlib/graphics/bitmap.h"
#include "classlib/graphics/canvas.h"
#include "pixels.h"

namespace {

const TPixelKey kKey = {{'.', clWhite}, {'X', clBlack}, {'r', clRed}, {'b', clBlue}, {'y', clYellow},
                        {'h', clBtnHighlight}, {'s', clBtnShadow}, {'k', cl3DDkShadow}, {'l', cl3DLight},
                        {'f', clBtnFace}};

class CanvasTest : public ::testing::Test {
protected:
    void SetUp() override { WhiteBitmap(FBitmap, 12, 10); }
    TCanvas* Canvas() { return FBitmap.Canvas(); }
    TBitmap FBitmap;
};

} // namespace

TEST_F(CanvasTest, FillAndFrameUseTheBrush) {
    Canvas()->Brush()->SetColor(clRed);
    Canvas()->FillRect(Rect(1, 1, 4, 3));
    Canvas()->Brush()->SetColor(clBlue);
    Canvas()->FrameRect(Rect(5, 1, 10, 5));
    Canvas()->Brush()->SetStyle(bsClear);
    Canvas()->FillRect(Rect(0, 0, 12, 10)); // a clear brush paints nothing
    Canvas()->FrameRect(Rect(0, 0, 12, 10));
    EXPECT_TRUE(PixelsAre(FBitmap, 0, 0,
                          {"............",
                           ".rrr.bbbbb..",
                           ".rrr.b...b..",
                           ".....b...b..",
                           ".....bbbbb..",
                           "............"},
                          kKey));
    // An empty or inverted rectangle fills nothing.
    Canvas()->Brush()->SetColor(clBlack);
    Canvas()->FillRect(Rect(3, 3, 3, 8));
    Canvas()->FillRect(Rect(8, 8, 2, 9));
    EXPECT_TRUE(PixelsAre(FBitmap, 0, 6, {"............", "............"}, kKey));
}

TEST_F(CanvasTest, HatchedBrushLeavesTheBackground) {
    Canvas()->Brush()->SetColor(clBlack);
    Canvas()->Brush()->SetStyle(bsCross);
    Canvas()->FillRect(Rect(0, 0, 12, 10));
    EXPECT_TRUE(PixelsAre(FBitmap, 0, 0, {"XXXXXXXXXXXX", "X.......X...", "X.......X..."}, kKey));
    EXPECT_TRUE(PixelsAre(FBitmap, 0, 8, {"XXXXXXXXXXXX", "X.......X..."}, kKey));
}

TEST_F(CanvasTest, LinesLeaveOutTheirEndPoint) {
    TCanvas* c = Canvas();
    c->MoveTo(1, 1);
    c->LineTo(6, 1);
    EXPECT_EQ(c->PenPos(), Point(6, 1));
    c->LineTo(6, 4);
    c->Pen()->SetColor(clRed);
    c->MoveTo(1, 3);
    c->LineTo(4, 6); // 45 degrees
    c->Pen()->SetColor(clBlue);
    c->Polyline({Point(8, 6), Point(10, 6), Point(10, 8)});
    EXPECT_EQ(c->PenPos(), Point(4, 6)); // Polyline leaves the pen where it was
    EXPECT_TRUE(PixelsAre(FBitmap, 0, 0,
                          {"............",
                           ".XXXXXX.....",
                           "......X.....",
                           ".r....X.....",
                           "..r.........",
                           "...r........",
                           "........bbb.",
                           "..........b.",
                           "............"},
                          kKey));
}

TEST_F(CanvasTest, StyledAndWidePens) {
    TCanvas* c = Canvas();
    c->Pen()->SetStyle(psDot);
    c->Brush()->SetColor(clYellow); // the gaps of a styled pen take the background while it is opaque
    c->MoveTo(0, 0);
    c->LineTo(12, 0);
    c->Brush()->SetStyle(bsClear);
    c->MoveTo(0, 1);
    c->LineTo(12, 1);
    c->Pen()->SetStyle(psSolid);
    c->Pen()->SetWidth(3);
    c->MoveTo(2, 4);
    c->LineTo(8, 4);
    EXPECT_TRUE(PixelsAre(FBitmap, 0, 0,
                          {"XXXyyyXXXyyy",
                           "XXX...XXX...",
                           "............",
                           ".XXXXXXXX...",
                           ".XXXXXXXX...",
                           ".XXXXXXXX...",
                           "............"},
                          kKey));
}

TEST_F(CanvasTest, RectangleOutlinesWithThePenAndFillsWithTheBrush) {
    TCanvas* c = Canvas();
    c->Brush()->SetColor(clYellow);
    c->Rectangle(1, 1, 6, 5);
    c->Brush()->SetStyle(bsClear);
    c->Pen()->SetColor(clRed);
    c->Rectangle(Rect(10, 8, 7, 1)); // corners in any order
    EXPECT_TRUE(PixelsAre(FBitmap, 0, 0,
                          {"............",
                           ".XXXXX.rrr..",
                           ".XyyyX.r.r..",
                           ".XyyyX.r.r..",
                           ".XXXXX.r.r..",
                           ".......r.r..",
                           ".......r.r..",
                           ".......rrr..",
                           "............"},
                          kKey));
    // With an exclusive-or pen the same rectangle twice gives the picture back.
    c->Pen()->SetMode(pmXor);
    c->Pen()->SetColor(clWhite);
    c->Brush()->SetColor(clBlue);
    c->Rectangle(0, 0, 12, 10);
    EXPECT_EQ(FBitmap.Pixel(0, 0), clBlack);
    EXPECT_EQ(FBitmap.Pixel(1, 1), clBlue); // the old outline, now inside: mixed with the brush
    EXPECT_EQ(FBitmap.Pixel(3, 3), clYellow ^ clBlue);
    c->Rectangle(0, 0, 12, 10);
    EXPECT_EQ(FBitmap.Pixel(0, 0), clWhite);
    EXPECT_EQ(FBitmap.Pixel(3, 3), clYellow);
    EXPECT_EQ(FBitmap.Pixel(1, 1), clBlack);
}

TEST_F(CanvasTest, ComboButtonTriangle) {
    // The drop-down triangle of a grid cell: a polygon through (x + 4, m - 2), (x + 10, m - 2), (x + 7, m + 1).
    TCanvas* c = Canvas();
    const int x = 0, m = 4;
    c->Brush()->SetColor(clBlack);
    c->Polygon({Point(x + 4, m - 2), Point(x + 10, m - 2), Point(x + 7, m + 1)});
    EXPECT_TRUE(PixelsAre(FBitmap, 0, 1,
                          {"............",
                           "....XXXXXXX.",
                           ".....XXXXX..",
                           "......XXX...",
                           ".......X....",
                           "............"},
                          kKey));
}

TEST_F(CanvasTest, EllipseStaysInsideItsBoundsAndIsSymmetric) {
    TCanvas* c = Canvas();
    c->Brush()->SetColor(clYellow);
    c->Ellipse(1, 1, 11, 9);
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 12; ++x) {
            const bool outside = x < 1 || x >= 11 || y < 1 || y >= 9;
            if (outside) {
                EXPECT_EQ(FBitmap.Pixel(x, y), clWhite) << x << "," << y;
            }
            EXPECT_EQ(FBitmap.Pixel(x, y), FBitmap.Pixel(11 - x, y)) << x << "," << y;
            EXPECT_EQ(FBitmap.Pixel(x, y), FBitmap.Pixel(x, 9 - y)) << x << "," << y;
        }
    }
    EXPECT_EQ(FBitmap.Pixel(1, 1), clWhite); // corners stay
    EXPECT_EQ(FBitmap.Pixel(1, 4), clBlack); // the outline touches every side
    EXPECT_EQ(FBitmap.Pixel(5, 1), clBlack);
    EXPECT_EQ(FBitmap.Pixel(5, 4), clYellow);
}

TEST_F(CanvasTest, Frame3DTopLeftAndBottomRight) {
    Canvas()->Brush()->SetColor(clTeal);
    Canvas()->FillRect(Rect(0, 0, 12, 10));
    TRect r = Rect(1, 1, 8, 7);
    Frame3D(Canvas(), r, clBtnHighlight, clBtnShadow, 1);
    EXPECT_EQ(r, Rect(2, 2, 7, 6));
    Frame3D(Canvas(), r, cl3DLight, cl3DDkShadow, 2);
    EXPECT_EQ(r, Rect(4, 4, 5, 4));
    EXPECT_EQ(Canvas()->Pen()->Width(), 1);
    EXPECT_EQ(Canvas()->Pen()->Color(), cl3DDkShadow);
    EXPECT_TRUE(PixelsAre(FBitmap, 0, 0,
                          {"tttttttttt",
                           "thhhhhhstt",
                           "thllllkstt",
                           "thlllkkstt",
                           "thlkkkkstt",
                           "thkkkkkstt",
                           "tssssssstt",
                           "tttttttttt"},
                          {{'t', clTeal}, {'h', clBtnHighlight}, {'s', clBtnShadow}, {'l', cl3DLight},
                           {'k', cl3DDkShadow}}));
}

TEST_F(CanvasTest, FocusRectInvertsEveryOtherPixelAndTwiceRestores) {
    TCanvas* c = Canvas();
    c->Brush()->SetColor(clRed);
    c->FillRect(Rect(0, 0, 12, 10));
    c->DrawFocusRect(Rect(1, 1, 8, 6));
    const TColor cyan = clAqua; // red inverted
    EXPECT_TRUE(PixelsAre(FBitmap, 0, 0,
                          {"rrrrrrrrrr",
                           "rcrcrcrcrr",
                           "rrrrrrrrrr",
                           "rcrrrrrcrr",
                           "rrrrrrrrrr",
                           "rcrcrcrcrr",
                           "rrrrrrrrrr"},
                          {{'r', clRed}, {'c', cyan}}));
    c->DrawFocusRect(Rect(1, 1, 8, 6));
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 12; ++x) ASSERT_EQ(FBitmap.Pixel(x, y), clRed) << x << "," << y;
    // A rectangle one pixel wide inverts each pixel once.
    c->DrawFocusRect(Rect(2, 2, 3, 9));
    EXPECT_EQ(FBitmap.Pixel(2, 2), cyan);
    EXPECT_EQ(FBitmap.Pixel(2, 8), cyan);
}

TEST(CanvasRasterOps, EveryCopyModeOnKnownPixels) {
    const Cardinal s = 0x00F0CC0F, d = 0x00AA55F0, p = 0x003366CC;
    struct {
        TCopyMode mode;
        Cardinal expected;
        const char* name;
    } const cases[] = {
        {cmSrcCopy, s, "SrcCopy"},
        {cmSrcAnd, s & d, "SrcAnd"},
        {cmSrcInvert, s ^ d, "SrcInvert"},
        {cmSrcPaint, s | d, "SrcPaint"},
        {cmSrcErase, s & ~d, "SrcErase"},
        {cmNotSrcCopy, ~s, "NotSrcCopy"},
        {cmNotSrcErase, ~(s | d), "NotSrcErase"},
        {cmMergeCopy, p & s, "MergeCopy"},
        {cmMergePaint, ~s | d, "MergePaint"},
        {cmPatCopy, p, "PatCopy"},
        {cmPatPaint, p | ~s | d, "PatPaint"},
        {cmPatInvert, p ^ d, "PatInvert"},
        {cmDstInvert, ~d, "DstInvert"},
        {cmBlackness, 0, "Blackness"},
        {cmWhiteness, 0xFFFFFF, "Whiteness"},
    };
    TBitmap source;
    source.SetSize(2, 1);
    source.SetPixel(0, 0, static_cast<TColor>(s));
    source.SetPixel(1, 0, static_cast<TColor>(s));
    for (const auto& c : cases) {
        TBitmap dest;
        dest.SetSize(3, 1);
        for (int x = 0; x < 3; ++x) dest.SetPixel(x, 0, static_cast<TColor>(d));
        dest.Canvas()->Brush()->SetColor(static_cast<TColor>(p));
        dest.Canvas()->SetCopyMode(c.mode);
        dest.Canvas()->Draw(1, 0, &source);
        EXPECT_EQ(dest.Pixel(0, 0), static_cast<TColor>(d)) << c.name;
        EXPECT_EQ(static_cast<Cardinal>(dest.Pixel(1, 0)), c.expected & 0xFFFFFF) << c.name;
        EXPECT_EQ(static_cast<Cardinal>(dest.Pixel(2, 0)), c.expected & 0xFFFFFF) << c.name;
    }
}

TEST(CanvasTarget, OriginAndClipPlaceADrawingInsideItsPart) {
    // A child's canvas: logical (0, 0) at (4, 2) of the picture, drawing kept inside (4, 2, 9, 6).
    TBitmap picture;
    WhiteBitmap(picture, 12, 8);
    TCanvas canvas;
    const TRect part = Rect(4, 2, 9, 6);
    canvas.SetTarget(&picture, Point(4, 2), &part);
    EXPECT_EQ(canvas.ClipRect(), Rect(0, 0, 5, 4));
    canvas.Brush()->SetColor(clRed);
    canvas.FillRect(Rect(-10, -10, 100, 100));
    canvas.SetClipRect(Rect(1, 1, 3, 3));
    EXPECT_EQ(canvas.ClipRect(), Rect(1, 1, 3, 3));
    canvas.Brush()->SetColor(clBlue);
    canvas.FillRect(Rect(0, 0, 100, 100));
    EXPECT_EQ(canvas.Pixel(0, 0), CLR_INVALID); // outside the clip
    canvas.ResetClipRect();
    EXPECT_EQ(canvas.Pixel(0, 0), clRed);
    canvas.MoveTo(-1, 3);
    canvas.LineTo(10, 3);
    EXPECT_TRUE(PixelsAre(picture, 0, 0,
                          {"............",
                           "............",
                           "....rrrrr...",
                           "....rbbrr...",
                           "....rbbrr...",
                           "....XXXXX...",
                           "............",
                           "............"},
                          kKey));
}

TEST(CanvasTarget, UnboundCanvasMeasuresButDoesNotDraw) {
    TCanvas canvas;
    EXPECT_FALSE(canvas.HandleAllocated());
    EXPECT_EQ(canvas.TextWidth("ab"), 12);
    EXPECT_THROW(canvas.FillRect(Rect(0, 0, 1, 1)), EInvalidOperation);
    EXPECT_THROW(canvas.TextOut(0, 0, "a"), EInvalidOperation);

    // A canvas whose bitmap goes away is unbound rather than left pointing at it.
    auto picture = std::make_unique<TBitmap>();
    picture->SetSize(4, 4);
    canvas.SetTarget(picture.get());
    canvas.FillRect(Rect(0, 0, 4, 4));
    picture.reset();
    EXPECT_FALSE(canvas.HandleAllocated());
    EXPECT_THROW(canvas.LineTo(1, 1), EInvalidOperation);
}

TEST(CanvasCopy, DrawStretchCopyRectAndBrushCopy) {
    TBitmap glyph;
    glyph.SetSize(2, 2);
    glyph.SetPixel(0, 0, clRed);
    glyph.SetPixel(1, 0, clBlue);
    glyph.SetPixel(0, 1, clBlack);
    glyph.SetPixel(1, 1, clYellow);

    TBitmap picture;
    WhiteBitmap(picture, 10, 6);
    TCanvas* c = picture.Canvas();
    c->StretchDraw(Rect(0, 0, 4, 4), &glyph);
    // Transparent: the bottom-left colour (black) is left out.
    glyph.SetTransparent(true);
    EXPECT_EQ(glyph.TransparentColor(), clBlack);
    c->Draw(5, 0, &glyph);
    // Brush copy: yellow becomes the brush; with a clear brush it is left out.
    c->Brush()->SetColor(clBtnShadow);
    c->BrushCopy(Rect(7, 0, 9, 2), &glyph, Rect(0, 0, 2, 2), clYellow);
    c->Brush()->SetStyle(bsClear);
    c->BrushCopy(Rect(7, 2, 9, 4), &glyph, Rect(0, 0, 2, 2), clYellow);
    EXPECT_TRUE(PixelsAre(picture, 0, 0,
                          {"rrbb.rbrb.",
                           "rrbb..yXs.",
                           "XXyy...rb.",
                           "XXyy...X..",
                           ".........."},
                          kKey));
    // Copying a part of a picture onto itself reads the picture as it was.
    c->CopyRect(Rect(1, 0, 5, 4), c, Rect(0, 0, 4, 4));
    EXPECT_TRUE(PixelsAre(picture, 0, 0, {"rrrbb", "rrrbb", "XXXyy", "XXXyy"}, kKey));
}
