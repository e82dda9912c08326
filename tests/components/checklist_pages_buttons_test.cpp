// The check list box, the page control with its own tabs, the radio button and check box that paint
// their captions again, and the numbered-glyph buttons.
#include <gtest/gtest.h>

#include "classlib/controls/dialogs.h"
#include "classlib/graphics/glyphs.h"
#include "classlib/graphics/textmetric.h"
#include "components/ChkList.h"
#include "components/ExtPage.h"
#include "components/F2Button.h"
#include "components/QVCheckBox.h"
#include "components/QvRadioButton.h"
#include "classlib/rtl/format.h"

namespace {

struct TRecorder : TObject {
    std::vector<int> Checked;
    int Clicks = 0;
    void Check(TObject*, int index) { Checked.push_back(index); }
    void Click(TObject*) { ++Clicks; }
};

// A form that records the F2 lookups asked of it.
class TLookupForm : public TForm {
    KVR_CLASS(TLookupForm, TForm)
    KVR_MESSAGES(TLookupForm)
public:
    explicit TLookupForm(TComponent* owner) : TForm(owner) {}
    std::vector<LPARAM> Lookups;
    void WMF2Lookup(TMessage& message) { Lookups.push_back(message.LParam); }
};

} // namespace

KVR_MESSAGE_MAP(TLookupForm, m) {
    m.Handle(WM_F2LOOKUP, &TLookupForm::WMF2Lookup);
}
KVR_PUBLISHED(TLookupForm, c) {
    (void)c;
}

namespace {

class ComponentsTest : public ::testing::Test {
protected:
    // The layouts are told by where ink starts and ends: the metric's boxes fill their cells.
    ComponentsTest() {
        SetTextLook(tlBoxes);
        Form = new TLookupForm(Application);
        Form->SetBounds(0, 0, 400, 300);
    }
    ~ComponentsTest() override {
        Application->SetModalDriver(nullptr);
        Form->Free();
        SetTextLook(tlGlyphs);
    }
    template <class T> T* Add(int left, int top) {
        auto* control = new T(Form);
        control->SetParent(Form);
        control->SetLeft(left);
        control->SetTop(top);
        return control;
    }
    // The leftmost column in rect holding a pixel of colour.
    static int FirstColumnOf(const TBitmap& picture, const TRect& rect, TColor colour) {
        for (int x = rect.Left; x < rect.Right; ++x)
            for (int y = rect.Top; y < rect.Bottom; ++y)
                if (picture.Pixel(x, y) == ColorToRGB(colour)) return x;
        return -1;
    }
    static int LastColumnOf(const TBitmap& picture, const TRect& rect, TColor colour) {
        for (int x = rect.Right - 1; x >= rect.Left; --x)
            for (int y = rect.Top; y < rect.Bottom; ++y)
                if (picture.Pixel(x, y) == ColorToRGB(colour)) return x;
        return -1;
    }
    TLookupForm* Form;
    TRecorder Rec;
};

// ---- check list box ----

TEST_F(ComponentsTest, CheckListBoxDefaultsAndSetters) {
    auto* list = Add<TFCheckListBox>(10, 10);
    EXPECT_EQ(list->ItemHeight(), 24);
    EXPECT_EQ(list->BoxSize(), 18);
    EXPECT_EQ(list->CheckStyle(), 1);
    EXPECT_EQ(list->BarColor(), clActiveCaption);
    EXPECT_EQ(list->Style(), lbOwnerDrawFixed);
    EXPECT_EQ(list->Font()->Name(), "宋体");
    EXPECT_EQ(list->Font()->Size(), 11);
    list->SetBoxSize(30);
    EXPECT_EQ(list->BoxSize(), 24);
    list->SetBoxSize(12);
    EXPECT_EQ(list->BoxSize(), 12);
    const struct {
        int style;
        bool checked;
        unsigned char glyph;
        TColor colour;
    } glyphs[] = {{1, true, 0xFE, 0x0000FF},  {1, false, 0xA8, clBlack},  {2, true, 0xA8, clBlack},
                  {2, false, 0xFE, 0x0000FF}, {3, true, 0xE9, 0x0000FF},  {3, false, 0xEA, clBlack},
                  {4, true, 0xEA, clBlack},   {4, false, 0xE9, 0x0000FF}, {0, true, 0, clBlack},
                  {5, true, 0, clBlack}};
    for (const auto& g : glyphs) {
        char glyph = 1;
        TColor colour = clNone;
        TFCheckListBox::CheckGlyph(g.style, g.checked, glyph, colour);
        EXPECT_EQ(static_cast<unsigned char>(glyph), g.glyph) << g.style << g.checked;
        if (g.glyph) {
            EXPECT_EQ(colour, g.colour) << g.style << g.checked;
        }
    }
}

TEST_F(ComponentsTest, CheckListBoxChecksByClickSpaceAndProgram) {
    auto* list = Add<TFCheckListBox>(10, 10);
    list->SetBounds(10, 10, 200, 4 + 24 * 3);
    for (const char* s : {"one", "two", "three"})
        list->Items()->Add(s);
    list->SetOnCheck(TCheckEvent(&Rec, &TRecorder::Check));
    Form->Show();
    EXPECT_FALSE(list->Checked(0));
    EXPECT_FALSE(list->Checked(7));
    // Setting the value it already holds still reports the check.
    list->SetChecked(0, false);
    EXPECT_EQ(Rec.Checked, std::vector<int>{0});
    // Clicking the text selects without toggling; clicking the box toggles.
    TRect item = list->ItemRect(1);
    list->MouseClickAt(120, item.Top + 12);
    EXPECT_EQ(list->ItemIndex(), 1);
    EXPECT_FALSE(list->Checked(1));
    TRect box = list->BoxRect(1);
    list->MouseClickAt(box.Left + 2, box.Top + 2);
    EXPECT_TRUE(list->Checked(1));
    PressKey(list, VK_SPACE, TShiftState());
    EXPECT_FALSE(list->Checked(1));
    EXPECT_EQ(Rec.Checked, (std::vector<int>{0, 1, 1}));
    // A deleted item takes its check along.
    list->SetChecked(2, true);
    list->Items()->Delete(2);
    EXPECT_EQ(list->Items()->Count(), 2);
}

// Fields move between the query dialog's two lists with their objects: the check goes with its item,
// whichever list is freed first.
TEST_F(ComponentsTest, CheckListBoxChecksFollowTheirItems) {
    for (bool freeSourceFirst : {true, false}) {
        SCOPED_TRACE(freeSourceFirst);
        auto* source = Add<TFCheckListBox>(10, 10);
        auto* target = Add<TFCheckListBox>(10, 200);
        for (const char* s : {"TA001", "TA002", "TA003"})
            source->Items()->Add(s);
        source->SetChecked(1, true);
        source->SetChecked(2, false);
        for (int i : {1, 2})
            target->Items()->AddObject(source->Items()->Get(i), source->Items()->GetObject(i));
        source->Items()->Delete(2);
        source->Items()->Delete(1);
        if (freeSourceFirst) {
            delete source;
            EXPECT_TRUE(target->Checked(0));
            EXPECT_FALSE(target->Checked(1));
            target->Toggle(1);
            EXPECT_TRUE(target->Checked(1));
            target->Items()->Clear();
            delete target;
        } else {
            EXPECT_TRUE(target->Checked(0));
            delete target;
            EXPECT_FALSE(source->Checked(0)); // TA001 kept its own check
            delete source;
        }
    }
    // A check in two lists lives while either holds it; the form frees what is left.
    auto* first = Add<TFCheckListBox>(10, 10);
    auto* second = Add<TFCheckListBox>(10, 200);
    first->Items()->Add("TA001");
    first->SetChecked(0, true);
    second->Items()->AddObject("TA001", first->Items()->GetObject(0));
    EXPECT_TRUE(second->Checked(0));
    // Moved or exchanged within its list, a check goes along and stays alive.
    first->Items()->Add("TA002");
    first->Items()->Add("TA003");
    first->Items()->Move(0, 2);
    EXPECT_TRUE(first->Checked(2));
    first->Items()->Exchange(2, 0);
    EXPECT_TRUE(first->Checked(0));
    EXPECT_FALSE(first->Checked(2));
    EXPECT_TRUE(second->Checked(0));
}

TEST_F(ComponentsTest, CheckListBoxDrawsGlyphAndTextWhereTheLayoutSays) {
    auto* list = Add<TFCheckListBox>(0, 0);
    list->SetBounds(0, 0, 200, 4 + 24 * 2);
    list->SetColor(clWhite);
    list->Items()->Add("one");
    list->Items()->Add("two");
    list->SetChecked(0, true);
    list->SetItemIndex(1);
    TBitmap picture;
    PaintControlPicture(list, &picture);
    TRect item0 = list->ItemRect(0);
    TRect box0 = list->BoxRect(0);
    // The checked mark of style 1 is red, drawn from the box's top-left.
    EXPECT_EQ(FirstColumnOf(picture, item0, 0x0000FF), box0.Left);
    EXPECT_EQ(box0.Top, item0.Top + (24 - 18) / 2);
    // The text starts BoxSize + 8 from the item's left.
    EXPECT_EQ(FirstColumnOf(picture, {box0.Left + 18, item0.Top, item0.Right, item0.Bottom}, clWindowText),
              item0.Left + 18 + 8);
    // The selected item is filled with the bar colour, its text in the highlight text colour.
    TRect item1 = list->ItemRect(1);
    EXPECT_EQ(picture.Pixel(item1.Right - 2, item1.Bottom - 2), ColorToRGB(clActiveCaption));
    EXPECT_EQ(
        FirstColumnOf(picture, {item1.Left + 22, item1.Top, item1.Right, item1.Bottom}, clHighlightText),
        item1.Left + 18 + 8);
    // Without a box the text moves to left + 8.
    list->SetCheckStyle(0);
    PaintControlPicture(list, &picture);
    EXPECT_EQ(FirstColumnOf(picture, item0, clWindowText), item0.Left + 8);
    EXPECT_EQ(FirstColumnOf(picture, item0, 0x0000FF), -1);
}

// ---- page control ----

TEST_F(ComponentsTest, ExtPageControlDrawsTheVisibleTabsPages) {
    auto* pages = Add<TExtPageControl>(0, 0);
    pages->SetBounds(0, 0, 300, 120);
    const char* captions[] = {"A", "Hidden page", "Third page"};
    TTabSheet* sheets[3];
    for (int i = 0; i < 3; ++i) {
        sheets[i] = new TTabSheet(Form);
        sheets[i]->SetCaption(captions[i]);
        sheets[i]->SetPageControl(pages);
    }
    sheets[1]->SetTabVisible(false);
    pages->SetActivePage(sheets[0]);
    EXPECT_TRUE(pages->Handle() && (pages->LastCreateParams().Style & 0x2000));
    TBitmap picture;
    PaintControlPicture(pages, &picture);
    // Tab 1 is the third page: its caption is centred in the tab and as wide as "Third page".
    TRect tab1 = pages->TabRect(1);
    int first = FirstColumnOf(picture, tab1, clInactiveCaptionText);
    int last = LastColumnOf(picture, tab1, clInactiveCaptionText);
    ASSERT_GE(first, 0);
    // (the last character cell's right column is its spacing)
    EXPECT_NEAR(last - first + 1, FontTextExtent(pages->Font(), "Third page").cx, 1);
    EXPECT_LT(last - first + 1, FontTextExtent(pages->Font(), "Hidden page").cx - 1);
    EXPECT_EQ(picture.Pixel(tab1.Left + 1, tab1.Bottom - 2), ColorToRGB(clInactiveCaption));
    // The active tab: shrunk by 2 and in the active caption colours.
    TRect tab0 = pages->TabRect(0);
    EXPECT_EQ(picture.Pixel(tab0.Left + 1, tab0.Top + 1), ColorToRGB(clActiveCaption));
    EXPECT_GE(FirstColumnOf(picture, tab0, clCaptionText), 0);
}

// ---- radio button and check box ----

TEST_F(ComponentsTest, QvRadioButtonsUncheckOnlyTheirOwnKind) {
    auto* a = Add<TQvRadioButton>(10, 10);
    auto* b = Add<TQvRadioButton>(10, 30);
    auto* plain = Add<TRadioButton>(10, 50);
    a->SetCaption("&Alpha");
    b->SetOnClick(TNotifyEvent(&Rec, &TRecorder::Click));
    EXPECT_EQ(a->Width(), 113);
    EXPECT_EQ(a->Height(), 17);
    EXPECT_FALSE(a->TabStop());
    plain->SetCheckedValue(true);
    a->SetCheckedValue(true);
    EXPECT_TRUE(a->TabStop());
    Form->Show();
    b->MouseClickAt(3, 3);
    EXPECT_TRUE(b->Checked());
    EXPECT_FALSE(a->Checked());
    EXPECT_FALSE(a->TabStop());
    EXPECT_TRUE(plain->Checked());
    EXPECT_EQ(Rec.Clicks, 1);
    EXPECT_TRUE(b->WindowChecked());
    // The accelerator focuses the button without checking it.
    PressKey(b, 'A', TShiftState{ssAlt});
    EXPECT_EQ(Form->FocusedControl(), a);
    EXPECT_FALSE(a->Checked());
    // The window's style follows the alignment.
    EXPECT_EQ(a->LastCreateParams().Style & (BS_RADIOBUTTON | BS_LEFTTEXT), BS_RADIOBUTTON);
    a->SetAlignment(taLeftJustify);
    EXPECT_EQ(a->LastCreateParams().Style & BS_LEFTTEXT, BS_LEFTTEXT);
    EXPECT_EQ(a->LastCreateParams().WinClassName, "BUTTON");
}

TEST_F(ComponentsTest, CaptionOffsetsByFontSize) {
    const struct {
        int size;
        int offset;
    } cases[] = {{1, 17},  {8, 17},  {9, 19},  {12, 19}, {15, 19}, {16, 20}, {17, 20},
                 {18, 21}, {23, 21}, {24, 23}, {30, 25}, {36, 27}, {42, 29}, {43, 29},
                 {44, 31}, {60, 31}, {61, 39}, {80, 39}, {81, 44}, {0, 44}};
    for (const auto& c : cases)
        EXPECT_EQ(QvCaptionOffset(c.size), c.offset) << c.size;
    EXPECT_EQ(QvLeftCaptionRightAdjust(12), 14);
    EXPECT_EQ(QvLeftCaptionRightAdjust(16), -10);
    EXPECT_EQ(QvLeftCaptionTopAdjust(12), -2);
    EXPECT_EQ(QvLeftCaptionTopAdjust(90), -25);
}

TEST_F(ComponentsTest, CaptionsArePaintedAgainAtTheOffset) {
    auto* box = Add<TQVCheckBox>(0, 0);
    box->SetCaption("Check");
    box->SetParentFont(false);
    box->Font()->SetSize(12);
    box->Font()->SetColor(clNavy);
    box->SetColor(clWhite);
    box->SetBounds(0, 0, 120, 24);
    TBitmap picture;
    PaintControlPicture(box, &picture);
    EXPECT_EQ(FirstColumnOf(picture, {0, 0, 120, 24}, clNavy), 19);
    // The fill reaches 4 pixels left of the caption, over the library's own caption.
    EXPECT_EQ(picture.Pixel(15, 12), clWhite);

    auto* radio = Add<TQvRadioButton>(0, 40);
    radio->SetCaption("Radio");
    radio->SetParentFont(false);
    radio->Font()->SetSize(20);
    radio->Font()->SetColor(clNavy);
    radio->SetColor(clWhite);
    radio->SetBounds(0, 40, 200, 40);
    PaintControlPicture(radio, &picture);
    EXPECT_EQ(FirstColumnOf(picture, {0, 0, 200, 40}, clNavy), 21);

    // Caption on the left of the box: right edge 6 x length + a, drawn right-aligned.
    box->SetAlignment(taLeftJustify);
    box->Font()->SetSize(12);
    TRect text = box->CaptionRect();
    EXPECT_EQ(text.Right, 6 * 5 + 14);
    EXPECT_EQ(text.Top, (24 - 17) / 2 + 2 - 2);
    PaintControlPicture(box, &picture);
    EXPECT_NEAR(LastColumnOf(picture, {0, 0, 120, 24}, clNavy), text.Right - 1, 1);
}

// ---- numbered-glyph buttons ----

TEST_F(ComponentsTest, GlyphIndexLoadsNumberedGlyphs) {
    ASSERT_GT(GlyphLibraryMaxBmpID(), 3) << "the glyph library did not load";
    auto* button = Add<TGSpeedButton>(10, 10);
    EXPECT_EQ(button->GlyphIndex(), 0);
    button->SetGlyphIndex(3); // 64 x 16: four frames
    EXPECT_EQ(button->Glyph()->Width(), 64);
    EXPECT_EQ(button->NumGlyphs(), 4);
    EXPECT_EQ(button->Caption(), "");
    button->SetGlyphIndex(0);
    EXPECT_TRUE(button->Glyph()->Empty());
    EXPECT_EQ(button->Caption(), "0");
    button->SetGlyphIndex(GlyphLibraryMaxBmpID() + 1);
    EXPECT_TRUE(button->Glyph()->Empty());
    EXPECT_EQ(button->Caption(), IntToStr(GlyphLibraryMaxBmpID() + 1));
    button->SetGlyphIndex(-4); // never asked of the library
    EXPECT_TRUE(button->Glyph()->Empty());
    EXPECT_EQ(button->Caption(), "-4");
    button->SetGlyphIndex(5); // an unused number: the caption keeps it
    EXPECT_EQ(button->Caption(), "5");
    EXPECT_FALSE(GlyphLibraryLoadBmp(nullptr, 1));
    EXPECT_FALSE(GlyphLibraryLoadBmp(button->Glyph(), -1));
    // The glyph is painted: frame 0 of glyph 1 is green.
    button->SetGlyphIndex(1);
    EXPECT_EQ(button->NumGlyphs(), 2);
    TBitmap picture;
    PaintControlPicture(button, &picture);
    EXPECT_GE(FirstColumnOf(picture, {0, 0, button->Width(), button->Height()}, clGreen), 0);
}

TEST_F(ComponentsTest, F2ButtonAlignsClicksAndRefusesASecondButton) {
    auto* edit = Add<TEdit>(100, 30);
    edit->SetBounds(100, 30, 80, 21);
    auto* button = Add<TF2Button>(0, 0);
    EXPECT_TRUE(button->AutoAlign());
    EXPECT_EQ(button->Gap(), 2);
    EXPECT_EQ(button->GlyphIndex(), 8);
    EXPECT_TRUE(button->Flat());
    EXPECT_FALSE(button->Glyph()->Empty());
    button->SetF2Control(edit);
    EXPECT_EQ(button->BoundsRect(), (TRect{182, 30, 203, 51}));
    button->SetGap(5);
    EXPECT_EQ(button->Left(), 185);
    button->SetOnClick(TNotifyEvent(&Rec, &TRecorder::Click));
    Form->Show();
    button->Click();
    EXPECT_EQ(Rec.Clicks, 1);
    EXPECT_EQ(Form->FocusedControl(), edit);
    EXPECT_TRUE(edit->Focused());
    EXPECT_EQ(Screen->ActiveForm(), Form);
    EXPECT_EQ(Form->Lookups, std::vector<LPARAM>{reinterpret_cast<LPARAM>(edit)});
    edit->SetEnabled(false);
    button->Click();
    EXPECT_EQ(Rec.Clicks, 2);
    EXPECT_EQ(Form->Lookups.size(), 1u);

    auto* second = Add<TF2Button>(0, 0);
    TQueuedDriver driver;
    driver.Answer("OK");
    TModalDriverScope scope(&driver);
    second->SetF2Control(edit);
    EXPECT_EQ(second->F2Control(), nullptr);
    ASSERT_NE(Application->LastDialog(), nullptr);
    EXPECT_EQ(Application->LastDialog()->Text, "不能同时有两个 F2Button 指到同一个 Edit.");
    button->SetF2Control(edit); // the one it serves already: nothing happens
    EXPECT_EQ(button->F2Control(), edit);
}

} // namespace
