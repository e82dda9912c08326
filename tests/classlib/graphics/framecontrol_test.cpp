// Expected pictures are laid out one pixel row per line.
// clang-format off
#include <gtest/gtest.h>

#include "classlib/graphics/bitmap.h"
#include "classlib/graphics/canvas.h"
#include "pixels.h"

namespace {

const TPixelKey kKey = {{'t', clTeal},      {'w', clWhite},       {'s', clBtnShadow}, {'k', cl3DDkShadow},
                        {'l', cl3DLight},   {'f', clBtnFace}};

class FrameControlTest : public ::testing::Test {
protected:
    void SetUp() override {
        FBitmap.SetSize(20, 22);
        Canvas()->Brush()->SetColor(clTeal);
        Canvas()->FillRect(Rect(0, 0, 20, 22));
    }
    TCanvas* Canvas() { return FBitmap.Canvas(); }
    TBitmap FBitmap;
};

} // namespace

TEST_F(FrameControlTest, CheckBoxLooks) {
    TRect r = Rect(0, 0, 13, 13);
    ASSERT_TRUE(DrawFrameControl(Canvas(), r, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_CHECKED));
    EXPECT_EQ(r, Rect(0, 0, 13, 13));
    EXPECT_TRUE(PixelsAre(FBitmap, 0, 0,
                          {"ssssssssssssw",
                           "skkkkkkkkkklw",
                           "skwwwwwwwwwlw",
                           "skwwwwwwwkwlw",
                           "skwwwwwwkkwlw",
                           "skwkwwwkkkwlw",
                           "skwkkwkkkwwlw",
                           "skwkkkkkwwwlw",
                           "skwwkkkwwwwlw",
                           "skwwwkwwwwwlw",
                           "skwwwwwwwwwlw",
                           "slllllllllllw",
                           "wwwwwwwwwwwww"},
                          kKey)); // the mark is window text, black like the dark shadow

    // Unchecked: no mark. Inactive: a face-coloured box with a grey mark, as is a grayed three-state box.
    struct {
        unsigned state;
        TColor face;
        TColor mark;
    } const cases[] = {
        {DFCS_BUTTONCHECK, clWindow, clWindow},
        {DFCS_BUTTONCHECK | DFCS_CHECKED | DFCS_INACTIVE, clBtnFace, clBtnShadow},
        {DFCS_BUTTON3STATE | DFCS_CHECKED, clBtnFace, clBtnShadow},
        {DFCS_BUTTONCHECK | DFCS_PUSHED, clBtnFace, clBtnFace},
    };
    for (const auto& c : cases) {
        TRect box = Rect(2, 4, 15, 17);
        DrawFrameControl(Canvas(), box, DFC_BUTTON, c.state);
        EXPECT_EQ(FBitmap.Pixel(2 + 4, 4 + 2), ColorToRGB(c.face)) << c.state;
        EXPECT_EQ(FBitmap.Pixel(2 + 5, 4 + 9), ColorToRGB(c.mark)) << c.state; // the mark's lowest pixel
    }
}

TEST_F(FrameControlTest, CheckBoxIsASquareCentredInAWideRectangle) {
    // A 20 x 13 rectangle holds a flat 13 x 13 box in its middle; the rest is left alone.
    TRect r = Rect(0, 0, 20, 13);
    DrawFrameControl(Canvas(), r, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_FLAT | DFCS_CHECKED);
    EXPECT_TRUE(PixelsAre(FBitmap, 0, 0, {"tttssssssssssssstttt"}, kKey));
    EXPECT_EQ(FBitmap.Pixel(4, 1), clWhite);
    EXPECT_EQ(FBitmap.Pixel(3, 12), ColorToRGB(clBtnShadow));
    EXPECT_EQ(FBitmap.Pixel(15, 12), ColorToRGB(clBtnShadow));
    EXPECT_EQ(FBitmap.Pixel(2, 6), clTeal);
    EXPECT_EQ(FBitmap.Pixel(12, 3), clBlack); // the mark's top pixel: interior (4, 1) + (2, 2) + (6, 0)
}

TEST_F(FrameControlTest, PushButtonRaisedPushedAndFlat) {
    TRect r = Rect(0, 0, 7, 5);
    DrawFrameControl(Canvas(), r, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_ADJUSTRECT);
    EXPECT_EQ(r, Rect(2, 2, 5, 3));
    TRect pushed = Rect(8, 0, 15, 5);
    DrawFrameControl(Canvas(), pushed, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_PUSHED);
    EXPECT_EQ(pushed, Rect(8, 0, 15, 5)); // unchanged without DFCS_ADJUSTRECT
    TRect flat = Rect(0, 6, 7, 10);
    DrawFrameControl(Canvas(), flat, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_FLAT | DFCS_ADJUSTRECT);
    EXPECT_EQ(flat, Rect(1, 7, 6, 9));
    EXPECT_TRUE(PixelsAre(FBitmap, 0, 0,
                          {"llllllktssssssw",
                           "lwwwwsktskkkklw",
                           "lwfffsktskffflw",
                           "lsssssktslllllw",
                           "kkkkkkktwwwwwww",
                           "ttttttttttttttt",
                           "ssssssstttttttt",
                           "sfffffstttttttt",
                           "sfffffstttttttt",
                           "ssssssstttttttt"},
                          kKey));
}

TEST_F(FrameControlTest, ComboArrowNormalPushedAndInactive) {
    // A 16 x 20 button: raised edges, then a 7-pixel arrow 4 high in the middle of the inside.
    const TPixelKey key = {{'f', clBtnFace}, {'X', clBtnText}, {'w', clBtnHighlight}, {'s', clBtnShadow}};
    const std::initializer_list<const char*> arrow = {"ffXXXXXXXff", "fffXXXXXfff", "ffffXXXffff",
                                                      "fffffXfffff", "fffffffffff"};
    TRect r = Rect(0, 0, 16, 20);
    ASSERT_TRUE(DrawFrameControl(Canvas(), r, DFC_SCROLL, DFCS_SCROLLCOMBOBOX));
    EXPECT_TRUE(PixelsAre(FBitmap, 2, 8, arrow, key));
    // Pushed: a one-pixel shadow frame and the arrow a pixel down and right.
    r = Rect(0, 0, 16, 20);
    DrawFrameControl(Canvas(), r, DFC_SCROLL, DFCS_SCROLLCOMBOBOX | DFCS_FLAT | DFCS_PUSHED);
    EXPECT_EQ(FBitmap.Pixel(0, 0), ColorToRGB(clBtnShadow));
    EXPECT_EQ(FBitmap.Pixel(15, 19), ColorToRGB(clBtnShadow));
    EXPECT_TRUE(PixelsAre(FBitmap, 3, 9, arrow, key));
    // Inactive: grey with a highlight below and to the right.
    r = Rect(0, 0, 16, 20);
    DrawFrameControl(Canvas(), r, DFC_SCROLL, DFCS_SCROLLCOMBOBOX | DFCS_INACTIVE);
    EXPECT_TRUE(PixelsAre(FBitmap, 2, 8,
                          {"ffsssssssff", "fffssssswwf", "ffffssswwff", "fffffswwfff", "ffffffwffff"}, key));
}

TEST_F(FrameControlTest, RadioButtonIsRoundAndSymmetric) {
    TRect r = Rect(0, 0, 13, 13);
    ASSERT_TRUE(DrawFrameControl(Canvas(), r, DFC_BUTTON, DFCS_BUTTONRADIO | DFCS_CHECKED));
    EXPECT_EQ(FBitmap.Pixel(0, 0), clTeal); // corners are left alone
    EXPECT_EQ(FBitmap.Pixel(12, 12), clTeal);
    EXPECT_EQ(FBitmap.Pixel(6, 0), ColorToRGB(clBtnShadow));
    EXPECT_EQ(FBitmap.Pixel(6, 12), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(FBitmap.Pixel(6, 6), ColorToRGB(clWindowText));
    EXPECT_EQ(FBitmap.Pixel(6, 3), ColorToRGB(clWindow));
    for (int y = 0; y < 13; ++y)
        for (int x = 0; x < 13; ++x)
            EXPECT_EQ(FBitmap.Pixel(x, y) == clTeal, FBitmap.Pixel(12 - y, 12 - x) == clTeal) << x << "," << y;
}

TEST_F(FrameControlTest, UnsupportedKindsDrawNothing) {
    TRect r = Rect(0, 0, 10, 10);
    EXPECT_FALSE(DrawFrameControl(Canvas(), r, DFC_CAPTION, 0));
    EXPECT_FALSE(DrawFrameControl(Canvas(), r, DFC_BUTTON, 0x20));
    EXPECT_FALSE(DrawFrameControl(nullptr, r, DFC_BUTTON, DFCS_BUTTONPUSH));
    EXPECT_EQ(FBitmap.Pixel(5, 5), clTeal);
}

TEST_F(FrameControlTest, DrawEdgeSides) {
    TRect r = Rect(0, 0, 6, 4);
    DrawEdge(Canvas(), r, EDGE_SUNKEN, BF_RECT | BF_MIDDLE | BF_ADJUST);
    EXPECT_EQ(r, Rect(2, 2, 4, 2));
    TRect top = Rect(8, 0, 14, 4);
    DrawEdge(Canvas(), top, BDR_RAISEDINNER, BF_TOP | BF_BOTTOM);
    EXPECT_TRUE(PixelsAre(FBitmap, 0, 0,
                          {"ssssswttwwwwwt",
                           "skkklwtttttttt",
                           "sllllwtttttttt",
                           "wwwwwwttssssss"},
                          kKey));
}
