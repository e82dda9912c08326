// The bitmap check box (states, glyph frames, painting) and its data-aware descendant over a client
// data set.
#include <gtest/gtest.h>

#include "classlib/db/dbclient.h"
#include "components/FDbChkBox.h"

namespace {

class BitCheckBoxTest : public ::testing::Test {
protected:
    BitCheckBoxTest() {
        Form = new TForm(Application);
        Form->SetBounds(0, 0, 300, 200);
        Cds = new TClientDataSet(Form);
        Cds->FieldDefs()->Add("TA040", ftString, 1);
        Cds->FieldDefs()->Add("DONE", ftBoolean);
        Cds->CreateDataSet();
        Cds->Append();
        Cds->FieldByName("TA040")->SetAsString("N");
        Cds->Post();
        Cds->FieldByName("TA040")->SetDisplayLabel("结束");
        Ds = new TDataSource(Form);
        Ds->SetDataSet(Cds);
    }
    ~BitCheckBoxTest() override { Form->Free(); }
    template <class T> T* Add(int left, int top) {
        auto* box = new T(Form);
        box->SetParent(Form);
        box->SetBounds(left, top, 97, 17);
        return box;
    }
    TFDbCheckBox* Bound(const char* field) {
        auto* box = Add<TFDbCheckBox>(10, 60);
        box->SetDataSource(Ds);
        box->SetDataField(field);
        return box;
    }
    void SetText(const char* value) {
        Cds->Edit();
        if (value)
            Cds->FieldByName("TA040")->SetAsString(value);
        else
            Cds->FieldByName("TA040")->Clear();
        Cds->Post();
    }
    // A glyph of two colours, the left half then the right half, over a bottom row of olive (the
    // transparent colour, taken from the bottom-left pixel).
    static std::unique_ptr<TBitmap> TwoColourGlyph(int width, int height, TColor left, TColor right) {
        auto bitmap = std::make_unique<TBitmap>();
        bitmap->SetSize(width, height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                bitmap->SetPixel(x, y, y == height - 1 ? clOlive : x < width / 2 ? left : right);
        return bitmap;
    }
    TForm* Form;
    TClientDataSet* Cds;
    TDataSource* Ds;
};

TEST_F(BitCheckBoxTest, DefaultsAndToggleCycle) {
    auto* box = Add<TBitCheckBox>(10, 10);
    EXPECT_EQ(box->Width(), 97);
    EXPECT_EQ(box->State(), cbUnchecked);
    EXPECT_EQ(box->Alignment(), taRightJustify);
    EXPECT_TRUE(box->TabStop());
    EXPECT_EQ(box->CheckedGlyph()->Width(), 13); // the module's own box picture
    Form->Show();
    box->SetAllowGrayed(true);
    std::vector<TCheckBoxState> seen;
    for (int i = 0; i < 4; ++i) {
        box->MouseClickAt(5, 5);
        seen.push_back(box->State());
    }
    EXPECT_EQ(seen, (std::vector<TCheckBoxState>{cbGrayed, cbChecked, cbUnchecked, cbGrayed}));
    EXPECT_TRUE(box->Focused());
    box->SetAllowGrayed(false);
    box->SetState(cbUnchecked);
    PressKey(box, VK_SPACE, TShiftState());
    EXPECT_TRUE(box->Checked());
}

TEST_F(BitCheckBoxTest, GlyphFramesAndTheDisabledLook) {
    auto* box = Add<TBitCheckBox>(0, 0);
    auto wide = TwoColourGlyph(32, 16, clRed, clBlue);
    box->SetCheckedGlyph(wide.get());
    EXPECT_EQ(box->CheckedNumGlyphs(), 2);
    auto odd = TwoColourGlyph(30, 16, clLime, clLime);
    box->SetUncheckedGlyph(odd.get());
    EXPECT_EQ(box->UncheckedNumGlyphs(), 1); // not a whole multiple of the height
    box->SetCheckedNumGlyphs(5);
    EXPECT_EQ(box->CheckedNumGlyphs(), 2);
    box->SetChecked(true);
    TBitmap picture;
    PaintControlPicture(box, &picture);
    // The glyph sits at x 0, y (17 - 16) div 2; its frame is 16 wide, the caption starts at 20.
    EXPECT_EQ(picture.Pixel(8, 8), ColorToRGB(clRed));
    EXPECT_NE(picture.Pixel(17, 8), ColorToRGB(clRed));
    EXPECT_EQ(picture.Pixel(8, 15), ColorToRGB(box->Color())); // the transparent row
    EXPECT_EQ(box->CaptionRect().Left, 20);
    box->SetEnabled(false);
    PaintControlPicture(box, &picture);
    EXPECT_EQ(picture.Pixel(8, 8), ColorToRGB(clBlue));
    // Box on the right: x = client width - frame width.
    box->SetEnabled(true);
    box->SetAlignment(taLeftJustify);
    PaintControlPicture(box, &picture);
    EXPECT_EQ(picture.Pixel(97 - 16, 8), ColorToRGB(clRed));
    EXPECT_NE(picture.Pixel(97 - 17, 8), ColorToRGB(clRed));
    EXPECT_EQ(box->CaptionRect().Left, 1);
}

TEST_F(BitCheckBoxTest, AMissingPictureLeavesAnEmptyBoxThatStillPaints) {
    auto* box = Add<TBitCheckBox>(0, 0);
    box->SetCaption("Grey");
    UnregisterBitmapResource("GRAYED");
    box->SetGrayedGlyph(nullptr);
    EXPECT_TRUE(box->GrayedGlyph()->Empty());
    EXPECT_EQ(box->GrayedNumGlyphs(), 1);
    box->SetState(cbGrayed);
    TBitmap picture;
    EXPECT_NO_THROW(PaintControlPicture(box, &picture));
    EXPECT_EQ(box->CaptionRect().Left, 4); // no frame
    RegisterBitmapResource("GRAYED", {"ggg", "ggg", "ggg"}, {{'g', clSilver}});
    box->SetGrayedGlyph(nullptr);
    EXPECT_EQ(box->GrayedGlyph()->Width(), 3);
}

TEST_F(BitCheckBoxTest, CaptionRectangleLeavesOutTheAccelerator) {
    auto* plain = Add<TBitCheckBox>(0, 0);
    auto* accel = Add<TBitCheckBox>(0, 30);
    plain->SetCaption("Done");
    accel->SetCaption("&Done");
    TRect a = plain->CaptionRect(), b = accel->CaptionRect();
    EXPECT_EQ(a.Left, 17);
    EXPECT_EQ(b.Width(), a.Width());
    EXPECT_GT(a.Width(), 0);
    EXPECT_GE(a.Top, 0);
}

TEST_F(BitCheckBoxTest, FieldTextMapsToStates) {
    struct Case {
        const char* text; // nullptr: null
        const char* checked;
        TCheckBoxState state;
    } cases[] = {
        {"Y", "Y", cbChecked},       {"y", "Y", cbChecked},   {"N", "Y", cbUnchecked}, {"X", "Y", cbGrayed},
        {nullptr, "Y", cbUnchecked}, {"T", "Y;T", cbChecked}, {"Y", "Y;T", cbChecked},
    };
    auto* box = Bound("TA040");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text ? c.text : "null");
        box->SetValueChecked(c.checked);
        SetText(c.text);
        EXPECT_EQ(box->State(), c.state);
    }
}

TEST_F(BitCheckBoxTest, TogglingWritesTheFirstValueAndGrayedWritesNull) {
    auto* box = Bound("TA040");
    box->SetValueChecked("Y;T");
    box->SetAllowGrayed(true);
    auto* other = Add<TBitCheckBox>(150, 10);
    Form->Show();
    box->MouseClickAt(5, 5); // unchecked -> grayed
    EXPECT_EQ(Cds->State(), dsEdit);
    other->SetFocus();
    EXPECT_TRUE(Cds->FieldByName("TA040")->IsNull());
    box->MouseClickAt(5, 5); // grayed -> checked
    other->SetFocus();
    EXPECT_EQ(Cds->FieldByName("TA040")->AsString(), "Y");
    // Esc shows the field again.
    box->SetFocus();
    PressKey(box, VK_SPACE, TShiftState());
    EXPECT_FALSE(box->Checked());
    PressKey(box, VK_ESCAPE, TShiftState());
    EXPECT_TRUE(box->Checked());
}

TEST_F(BitCheckBoxTest, ReadOnlyOrUnboundDoesNotToggle) {
    auto* box = Bound("TA040");
    box->SetReadOnly(true);
    Form->Show();
    box->MouseClickAt(5, 5);
    EXPECT_EQ(box->State(), cbUnchecked);
    EXPECT_EQ(Cds->State(), dsBrowse);
    auto* unbound = Add<TFDbCheckBox>(10, 100);
    unbound->MouseClickAt(5, 5);
    EXPECT_EQ(unbound->State(), cbUnchecked);
}

TEST_F(BitCheckBoxTest, BooleanFieldAndAutoCaption) {
    auto* box = Bound("DONE");
    Cds->Edit();
    Cds->FieldByName("DONE")->SetAsBoolean(true);
    EXPECT_TRUE(box->Checked());
    Form->Show();
    box->MouseClickAt(5, 5);
    box->DataLink()->UpdateRecord();
    EXPECT_FALSE(Cds->FieldByName("DONE")->AsBoolean());
    box->SetDataField("TA040");
    box->SetAutoCaption(true);
    EXPECT_EQ(box->Caption(), "结束");
    EXPECT_EQ(box->Perform(CM_GETDATALINK), reinterpret_cast<LRESULT>(box->DataLink()));
}

} // namespace
