// The root form: the two-state glyphs with their drawn disabled image, and texts by section and
// identifier (the language files of a whole class chain and the English fonts: tests/programs).
#include <gtest/gtest.h>

#include <memory>

#include "classlib/controls/buttons.h"
#include "framework/QVForm.h"
#include "tests/framework/FormFixture.h"

namespace {

class QVFormTest : public FormFixture {
protected:
    void WriteLanguage(const AnsiString& className, const AnsiString& xml) {
        WriteFile("C:\\Veltrane\\MultiLanguage\\CHS\\" + className + ".Lng",
                  "<?xml version=\"1.0\" encoding=\"UTF-8\"?>" + xml);
    }
};

TEST_F(QVFormTest, TextsBySectionWithTheirDefault) {
    WriteLanguage("TdmRadical", "<d><sFlag Msg=\"Flag\"/></d>");
    std::unique_ptr<TQVForm> form(new TQVForm(nullptr));
    AnsiString text;
    form->GetLangString("TdmRadical", "sFlag", text, true, "标识");
    EXPECT_EQ(text, "Flag");
    form->GetLangString("TdmRadical", "sModifier", text, true, "更改者");
    EXPECT_EQ(text, "更改者");
}

// A 5 by 5 glyph: olive (transparent, as its bottom-left pixel) around a yellow block whose corner is
// navy. Its disabled image: the block's edge (next to the transparent colour) and its dark corner in
// the shadow colour, and the same shape one pixel down and right in the highlight colour behind it.
TEST(DisabledGlyph, PixelByPixel) {
    const TColor T = clOlive, L = clYellow, D = clNavy;
    const TColor glyphRows[5][5] = {
        {T, T, T, T, T}, {T, L, L, L, T}, {T, L, L, L, T}, {T, L, L, D, T}, {T, T, T, T, T}};
    TBitmap glyph;
    glyph.SetSize(5, 5);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x)
            glyph.SetPixel(x, y, glyphRows[y][x]);
    const TColor F = ColorToRGB(clBtnFace), S = ColorToRGB(clBtnShadow), H = ColorToRGB(clBtnHighlight);
    const TColor expected[5][5] = {
        {F, F, F, F, F}, {F, S, S, S, F}, {F, S, H, S, H}, {F, S, S, S, H}, {F, F, H, H, H}};
    std::unique_ptr<TBitmap> disabled(CreateDisabledGlyph(&glyph));
    ASSERT_EQ(disabled->Width(), 5);
    ASSERT_EQ(disabled->Height(), 5);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(ColorToRGB(disabled->Pixel(x, y)), expected[y][x]) << x << "," << y;
    EXPECT_EQ(glyph.PixelFormat(), pf24bit);

    // The two-state glyph: the image, then its disabled image.
    MakeTwoStateGlyph(&glyph);
    ASSERT_EQ(glyph.Width(), 10);
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 5; ++x) {
            EXPECT_EQ(ColorToRGB(glyph.Pixel(x, y)), ColorToRGB(glyphRows[y][x])) << x << "," << y;
            EXPECT_EQ(ColorToRGB(glyph.Pixel(x + 5, y)), expected[y][x]) << x + 5 << "," << y;
        }
    }
}

TEST_F(QVFormTest, OneImageButtonsGetTwoStatesAndTwoImageButtonsStayAsTheyAre) {
    std::unique_ptr<TQVForm> form(new TQVForm(nullptr));
    auto paint = [](TBitmap* bitmap, int width) {
        bitmap->SetSize(width, 4);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < width; ++x)
                bitmap->SetPixel(x, y, (x + y) % 2 ? clNavy : clOlive);
    };
    auto* single = new TSpeedButton(form.get());
    paint(single->Glyph(), 4);
    auto* twice = new TBitBtn(form.get());
    paint(twice->Glyph(), 8);
    twice->SetNumGlyphs(2);
    TBitmap before;
    before.Assign(twice->Glyph());
    form->FormCreate(nullptr);
    EXPECT_EQ(single->NumGlyphs(), 2);
    EXPECT_EQ(single->Glyph()->Width(), 8);
    EXPECT_EQ(twice->NumGlyphs(), 2);
    ASSERT_EQ(twice->Glyph()->Width(), 8);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(twice->Glyph()->Pixel(x, y), before.Pixel(x, y)) << x << "," << y;
    EXPECT_TRUE(form->LoadLanguageOnShow);
}

} // namespace
