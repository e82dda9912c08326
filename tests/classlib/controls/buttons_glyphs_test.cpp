// Speed buttons (groups, glyph frames, layout) and bit buttons (kinds), and memos' lines.
#include <gtest/gtest.h>

#include "classlib/controls/buttons.h"
#include "classlib/controls/stdctrls.h"

namespace {

struct TRecorder : TObject {
    int Clicks = 0;
    void Click(TObject*) { ++Clicks; }
};

class ButtonsTest : public ::testing::Test {
protected:
    ButtonsTest() {
        Form = new TForm(Application);
        Form->SetBounds(0, 0, 300, 200);
    }
    ~ButtonsTest() override { Form->Free(); }
    TSpeedButton* AddSpeed(int left) {
        auto* b = new TSpeedButton(Form);
        b->SetParent(Form);
        b->SetLeft(left);
        return b;
    }
    TForm* Form;
    TRecorder Rec;
};

TEST_F(ButtonsTest, SpeedButtonGroupsKeepOneDown) {
    TSpeedButton* b[3] = {AddSpeed(0), AddSpeed(30), AddSpeed(60)};
    for (auto* x : b)
        x->SetGroupIndex(1);
    b[2]->SetGroupIndex(2);
    b[0]->SetOnClick(TNotifyEvent(&Rec, &TRecorder::Click));
    Form->Show();
    b[0]->MouseClickAt(3, 3);
    EXPECT_TRUE(b[0]->Down());
    EXPECT_EQ(Rec.Clicks, 1);
    b[2]->SetDown(true);
    b[1]->MouseClickAt(3, 3);
    EXPECT_TRUE(b[1]->Down());
    EXPECT_FALSE(b[0]->Down());
    EXPECT_TRUE(b[2]->Down()); // another group
    b[1]->MouseClickAt(3, 3);  // the last one down stays down
    EXPECT_TRUE(b[1]->Down());
    b[1]->SetAllowAllUp(true);
    b[1]->MouseClickAt(3, 3);
    EXPECT_FALSE(b[1]->Down());
    TSpeedButton* plain = AddSpeed(100);
    plain->SetDown(true); // no group: never stays down
    EXPECT_FALSE(plain->Down());
}

TEST_F(ButtonsTest, SpeedButtonDrawsTheFrameOfItsState) {
    TSpeedButton* button = AddSpeed(0);
    button->SetBounds(0, 0, 30, 30);
    TBitmap strip;
    strip.SetSize(20, 10); // two frames: red up, blue disabled; the bottom-left pixel is transparent
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x)
            strip.SetPixel(x, y, y == 9 ? clOlive : (x < 10 ? clRed : clBlue));
    button->SetGlyph(&strip);
    EXPECT_EQ(button->NumGlyphs(), 2);
    TBitmap picture;
    PaintControlPicture(button, &picture);
    EXPECT_EQ(picture.Pixel(15, 12), clRed); // centred: (30 - 10) / 2 = 10
    EXPECT_NE(picture.Pixel(15, 19), clOlive);
    button->SetEnabled(false);
    PaintControlPicture(button, &picture);
    EXPECT_EQ(picture.Pixel(15, 12), clBlue);
    button->SetNumGlyphs(9);
    EXPECT_EQ(button->NumGlyphs(), 4);
    TBitmap empty;
    button->SetGlyph(&empty);
    PaintControlPicture(button, &picture); // nothing to draw, nothing divided by zero
}

TEST_F(ButtonsTest, BitBtnKindsGiveCaptionAndModalResult) {
    auto* ok = new TBitBtn(Form);
    ok->SetParent(Form);
    ok->SetKind(bkOK);
    EXPECT_EQ(ok->Caption(), "OK");
    EXPECT_EQ(ok->ModalResult(), mrOk);
    EXPECT_TRUE(ok->Default());
    auto* cancel = new TBitBtn(Form);
    cancel->SetParent(Form);
    cancel->SetKind(bkCancel);
    EXPECT_TRUE(cancel->Cancel());
    EXPECT_EQ(cancel->ModalResult(), mrCancel);
    TQueuedDriver driver;
    driver.Key("Esc");
    TModalDriverScope scope(&driver);
    EXPECT_EQ(Form->ShowModal(), mrCancel);
}

TEST_F(ButtonsTest, MemoLinesAndTextFollowEachOther) {
    auto* memo = new TMemo(Form);
    memo->SetParent(Form);
    memo->Lines()->Add("first");
    memo->Lines()->Add("second");
    EXPECT_EQ(memo->Text(), "first\r\nsecond\r\n");
    memo->SetText("a\r\nb");
    EXPECT_EQ(memo->Lines()->Count(), 2);
    EXPECT_EQ(memo->Lines()->Get(1), "b");
    Form->Show();
    memo->SetFocus();
    memo->SetSelStart(static_cast<int>(memo->Text().size()));
    PressKey(memo, VK_RETURN, TShiftState());
    PressKey(memo, 'C', TShiftState());
    EXPECT_EQ(memo->Lines()->Count(), 3);
    EXPECT_EQ(memo->Lines()->Get(2), "c");
}

} // namespace
