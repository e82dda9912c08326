// Page controls: tab indices over visible tabs, owner-drawn tabs, changing pages by clicks and keys;
// and image lists.
#include <gtest/gtest.h>

#include "classlib/controls/comctrls.h"
#include "classlib/controls/forms.h"

namespace {

struct TTabRecorder : TObject {
    std::vector<std::pair<int, bool>> Drawn;
    std::vector<AnsiString> Events;
    bool Allow = true;
    void DrawTab(TCustomControl* control, int tabIndex, const TRect& rect, bool active) {
        Drawn.push_back({tabIndex, active});
        static_cast<TPageControl*>(control)->Canvas()->Brush()->SetColor(active ? clRed : clBlue);
        static_cast<TPageControl*>(control)->Canvas()->FillRect(rect);
    }
    void Changing(TObject*, bool& allow) {
        Events.push_back("changing");
        allow = Allow;
    }
    void Change(TObject*) { Events.push_back("change"); }
};

class PageControlTest : public ::testing::Test {
protected:
    PageControlTest() {
        Form = new TForm(Application);
        Pages = new TPageControl(Form);
        Pages->SetParent(Form);
        Pages->SetBounds(0, 0, 300, 200);
        for (int i = 0; i < 3; ++i) {
            Sheets[i] = new TTabSheet(Form);
            Sheets[i]->SetName("ts" + std::to_string(i));
            Sheets[i]->SetCaption("Page" + std::to_string(i));
            Sheets[i]->SetPageControl(Pages);
        }
    }
    ~PageControlTest() override { Form->Free(); }
    TForm* Form;
    TPageControl* Pages;
    TTabSheet* Sheets[3];
    TTabRecorder Rec;
};

TEST_F(PageControlTest, TabIndexCountsVisibleTabsOnly) {
    EXPECT_EQ(Pages->PageCount(), 3);
    EXPECT_EQ(Pages->ActivePage(), Sheets[0]);
    Sheets[1]->SetTabVisible(false);
    EXPECT_EQ(Pages->VisibleTabCount(), 2);
    EXPECT_EQ(Pages->PageForTab(1), Sheets[2]);
    EXPECT_EQ(Sheets[2]->TabIndex(), 1);
    EXPECT_EQ(Sheets[1]->TabIndex(), -1);
    Pages->SetTabIndex(1);
    EXPECT_EQ(Pages->ActivePage(), Sheets[2]);
    EXPECT_EQ(Pages->ActivePageIndex(), 2);
    EXPECT_TRUE(Sheets[2]->Visible());
    EXPECT_FALSE(Sheets[0]->Visible());
    // A hidden tab's page can still be made active by program; its tab index is then -1.
    Pages->SetActivePage(Sheets[1]);
    EXPECT_EQ(Pages->TabIndex(), -1);
    Pages->SetTabIndex(5);
    EXPECT_EQ(Pages->ActivePage(), Sheets[1]);
    EXPECT_EQ(Pages->TabRect(2), TRect());
    // Ctrl+Tab skips the hidden tab and wraps.
    Pages->SetActivePage(Sheets[0]);
    Form->Show();
    Pages->SetFocus();
    PressKey(Pages, VK_TAB, TShiftState{ssCtrl});
    EXPECT_EQ(Pages->ActivePage(), Sheets[2]);
    PressKey(Pages, VK_TAB, TShiftState{ssCtrl});
    EXPECT_EQ(Pages->ActivePage(), Sheets[0]);
    PressKey(Pages, VK_TAB, TShiftState{ssCtrl, ssShift});
    EXPECT_EQ(Pages->ActivePage(), Sheets[2]);
}

TEST_F(PageControlTest, ClickingATabAsksOnChangingThenChanges) {
    Pages->SetOnChanging(TTabChangingEvent(&Rec, &TTabRecorder::Changing));
    Pages->SetOnChange(TNotifyEvent(&Rec, &TTabRecorder::Change));
    Form->Show();
    TRect tab = Pages->TabRect(2);
    Rec.Allow = false;
    Pages->MouseClickAt(tab.Left + 3, tab.Top + 3);
    EXPECT_EQ(Pages->ActivePage(), Sheets[0]);
    Rec.Allow = true;
    Pages->MouseClickAt(tab.Left + 3, tab.Top + 3);
    EXPECT_EQ(Pages->ActivePage(), Sheets[2]);
    EXPECT_EQ(Rec.Events, (std::vector<AnsiString>{"changing", "changing", "change"}));
    // Setting the page by program asks nobody.
    Pages->SetActivePageIndex(1);
    EXPECT_EQ(Rec.Events.size(), 3u);
}

TEST_F(PageControlTest, OwnerDrawnTabsAreDrawnByOnDrawTab) {
    Pages->SetOnDrawTab(TDrawTabEvent(&Rec, &TTabRecorder::DrawTab));
    TBitmap picture;
    PaintControlPicture(Pages, &picture);
    EXPECT_TRUE(Rec.Drawn.empty()); // not owner-drawn yet
    Pages->SetOwnerDraw(true);
    EXPECT_TRUE(Pages->Handle() && (Pages->LastCreateParams().Style & TPageControl::TCS_OWNERDRAWFIXED));
    Sheets[0]->SetTabVisible(false);
    Pages->SetActivePage(Sheets[2]);
    PaintControlPicture(Pages, &picture);
    EXPECT_EQ(Rec.Drawn, (std::vector<std::pair<int, bool>>{{0, false}, {1, true}}));
    TRect inactive = Pages->TabRect(0);
    EXPECT_EQ(picture.Pixel(inactive.Left + 4, inactive.Top + 4), clBlue);
    TRect active = Pages->TabRect(1);
    EXPECT_EQ(picture.Pixel(active.Left + 4, active.Top + 4), clRed);
}

TEST_F(PageControlTest, RemovingTheActivePageActivatesTheNext) {
    Pages->SetActivePage(Sheets[1]);
    Sheets[1]->Free();
    EXPECT_EQ(Pages->PageCount(), 2);
    EXPECT_EQ(Pages->ActivePage(), Sheets[2]);
    Sheets[0]->SetPageIndex(1);
    EXPECT_EQ(Pages->Pages(1), Sheets[0]);
}

TEST(ImageLists, AddSplitsStripsAndKeepsMasks) {
    TImageList images(nullptr);
    images.SetWidth(4);
    images.SetHeight(4);
    TBitmap strip;
    strip.SetSize(8, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x)
            strip.SetPixel(x, y, x < 4 ? clRed : (x == 5 ? clBlue : clOlive));
    EXPECT_EQ(images.AddMasked(&strip, clOlive), 0);
    EXPECT_EQ(images.Count(), 2);
    EXPECT_FALSE(images.IsTransparent(1, 1, 0));
    EXPECT_TRUE(images.IsTransparent(1, 0, 0));
    TBitmap target;
    target.SetSize(10, 10);
    target.Canvas()->Brush()->SetColor(clWhite);
    target.Canvas()->FillRect({0, 0, 10, 10});
    images.Draw(target.Canvas(), 2, 2, 1);
    EXPECT_EQ(target.Pixel(3, 3), clBlue);
    EXPECT_EQ(target.Pixel(2, 2), clWhite); // transparent
    images.Draw(target.Canvas(), 0, 0, 7);  // out of range: nothing
    TBitmap one;
    EXPECT_TRUE(images.GetBitmap(0, &one));
    EXPECT_EQ(one.Width(), 4);
    EXPECT_EQ(one.Pixel(0, 0), clRed);
    EXPECT_FALSE(images.GetBitmap(2, &one));
    EXPECT_EQ(images.Add(nullptr, nullptr), -1);
    images.SetWidth(8); // a new size clears the list
    EXPECT_EQ(images.Count(), 0);
}

} // namespace
