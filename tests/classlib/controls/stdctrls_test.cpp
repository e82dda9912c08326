// The standard controls on a shown form: typing, selection and the clipboard in edits, masked entry,
// list and combo selection with owner drawing, radio groups, and labels' accelerators.
#include <gtest/gtest.h>

#include "classlib/controls/dialogs.h"
#include "classlib/controls/mask.h"
#include "classlib/controls/stdctrls.h"
#include "classlib/graphics/textmetric.h"

namespace {

// Records the events of the tests.
struct TRecorder : TObject {
    std::vector<AnsiString> Events;
    std::vector<int> Drawn;
    void Change(TObject* sender) { Events.push_back("change " + static_cast<TComponent*>(sender)->Name()); }
    void Select(TObject* sender) { Events.push_back("select " + static_cast<TComponent*>(sender)->Name()); }
    void Click(TObject* sender) { Events.push_back("click " + static_cast<TComponent*>(sender)->Name()); }
    void Draw(TWinControl* control, int index, TRect rect, TOwnerDrawState state) {
        Drawn.push_back(index);
        auto* list = dynamic_cast<TCustomListBox*>(control);
        TCanvas* canvas = list ? list->Canvas() : static_cast<TCustomComboBox*>(control)->Canvas();
        canvas->Brush()->SetColor(state.Contains(odSelected) ? clRed : clLime);
        canvas->FillRect(rect);
    }
};

class StdCtrlsTest : public ::testing::Test {
protected:
    StdCtrlsTest() {
        Form = new TForm(Application);
        Form->SetName("frmStd");
        Form->SetBounds(0, 0, 400, 300);
    }
    ~StdCtrlsTest() override {
        Application->SetModalDriver(nullptr);
        Form->Free();
    }
    template <class T> T* Add(const char* name, int left, int top) {
        auto* control = new T(Form);
        control->SetName(name);
        control->SetParent(Form);
        control->SetLeft(left);
        control->SetTop(top);
        return control;
    }
    TForm* Form;
    TRecorder Rec;
};

TEST_F(StdCtrlsTest, EditTypingSelectionAndClipboard) {
    auto* edit = Add<TEdit>("edName", 10, 10);
    auto* next = Add<TEdit>("edNext", 10, 40);
    (void)next;
    edit->SetOnChange(TNotifyEvent(&Rec, &TRecorder::Change));
    Form->Show();
    UserType(Form, "edName", "Hello");
    EXPECT_EQ(edit->Text(), "Hello");
    EXPECT_TRUE(edit->Modified());
    EXPECT_EQ(Rec.Events.size(), 5u); // one change a character
    edit->SetFocus();
    edit->SetSelStart(1);
    edit->SetSelLength(3);
    EXPECT_EQ(edit->SelText(), "ell");
    PressKey(edit, 'C', TShiftState{ssCtrl});
    EXPECT_EQ(Clipboard()->AsText(), "ell");
    PressKey(edit, VK_END, TShiftState());
    PressKey(edit, 'V', TShiftState{ssCtrl});
    EXPECT_EQ(edit->Text(), "Helloell");
    edit->SetSelStart(0);
    edit->SetSelLength(1);
    edit->Perform(WM_CUT);
    EXPECT_EQ(edit->Text(), "elloell");
    EXPECT_EQ(Clipboard()->AsText(), "H");
    PressKey(edit, VK_HOME, TShiftState());
    PressKey(edit, VK_RIGHT, TShiftState{ssShift});
    PressKey(edit, VK_RIGHT, TShiftState{ssShift});
    EXPECT_EQ(edit->SelText(), "el");
    PressKey(edit, VK_DELETE, TShiftState());
    EXPECT_EQ(edit->Text(), "loell");
    PressKey(edit, VK_BACK, TShiftState()); // at the start: nothing to delete
    EXPECT_EQ(edit->Text(), "loell");
}

TEST_F(StdCtrlsTest, EditLimitsCaseReadOnlyAndPasswords) {
    auto* edit = Add<TEdit>("edCode", 10, 10);
    edit->SetMaxLength(5);
    edit->SetCharCase(ecUpperCase);
    Form->Show();
    UserType(Form, "edCode", "ab中文x"); // bytes: a b + two double-byte characters
    // The second double-byte character does not fit in 5 bytes; the last letter does.
    EXPECT_EQ(edit->Text(), "AB中X");
    edit->SetReadOnly(true);
    edit->SetFocus();
    edit->SelectAll();
    PressKey(edit, 'Z', TShiftState());
    EXPECT_EQ(edit->Text(), "AB中X");
    edit->SetReadOnly(false);
    edit->SetPasswordChar('*');
    edit->SelectAll();
    Clipboard()->SetAsText("keep");
    edit->CopyToClipboard(); // a password is never copied out
    EXPECT_EQ(Clipboard()->AsText(), "keep");
    EXPECT_EQ(edit->DumpText(), "*****");
}

TEST_F(StdCtrlsTest, MaskEditFillsPositionsAndValidatesOnExit) {
    auto* edit = Add<TMaskEdit>("edDate", 10, 10);
    Add<TEdit>("edAfter", 10, 40);
    edit->SetEditMask("!99/99/0000;1;_");
    EXPECT_EQ(edit->EditText(), "__/__/____");
    EXPECT_EQ(edit->Text(), "  /  /    ");
    Form->Show();
    edit->SetFocus();
    edit->SetSelStart(0);
    for (char c : std::string("12x052024"))
        PressKey(edit, static_cast<Word>(c == 'x' ? 'X' : c), TShiftState());
    EXPECT_EQ(edit->EditText(), "12/05/2024"); // the letter was refused, literals skipped
    EXPECT_EQ(edit->Text(), "12/05/2024");
    PressKey(edit, VK_BACK, TShiftState());
    EXPECT_EQ(edit->EditText(), "12/05/202_");
    EXPECT_THROW(Form->SelectNext(edit, true, true), EDBEditError);
    PressKey(edit, VK_ESCAPE, TShiftState());
    EXPECT_EQ(edit->EditText(), "__/__/____");
    edit->SetText("01/02/2003");
    EXPECT_EQ(edit->EditText(), "01/02/2003");
    edit->SetEditMask("0000/00/00;0;_");
    edit->SetText("20240512");
    EXPECT_EQ(edit->EditText(), "2024/05/12");
    EXPECT_EQ(edit->Text(), "20240512");
}

TEST_F(StdCtrlsTest, ListBoxSelectionAndOwnerDrawing) {
    auto* list = Add<TListBox>("lbItems", 10, 10);
    list->SetBounds(10, 10, 120, 2 + 16 * 4 + 2);
    for (const char* s : {"alpha", "beta", "gamma", "delta", "omega"})
        list->Items()->Add(s);
    list->SetOnClick(TNotifyEvent(&Rec, &TRecorder::Click));
    Form->Show();
    list->MouseClickAt(20, 2 + 16 + 5);
    EXPECT_EQ(list->ItemIndex(), 1);
    PressKey(list, VK_DOWN, TShiftState());
    EXPECT_EQ(list->ItemIndex(), 2);
    PressKey(list, VK_END, TShiftState());
    EXPECT_EQ(list->ItemIndex(), 4);
    EXPECT_EQ(list->TopIndex(), 1); // scrolled so the item shows
    list->SetItemIndex(9);
    EXPECT_EQ(list->ItemIndex(), -1);
    list->SetMultiSelect(true);
    list->SetSelected(0, true);
    list->SetSelected(3, true);
    EXPECT_EQ(list->SelCount(), 2);
    EXPECT_TRUE(list->Selected(3));
    list->Items()->Delete(4);
    list->Items()->Delete(3);
    EXPECT_EQ(list->SelCount(), 1);

    // Owner drawing paints through OnDrawItem with the selected state.
    list->SetMultiSelect(false);
    list->SetTopIndex(0);
    list->SetItemIndex(1);
    list->SetStyle(lbOwnerDrawFixed);
    list->SetOnDrawItem(TDrawItemEvent(&Rec, &TRecorder::Draw));
    TBitmap picture;
    PaintControlPicture(list, &picture);
    EXPECT_EQ(Rec.Drawn, (std::vector<int>{0, 1, 2}));
    TRect second = list->ItemRect(1);
    EXPECT_EQ(picture.Pixel(second.Left + 5, second.Top + 5), clRed);
    EXPECT_EQ(picture.Pixel(second.Left + 5, second.Top - 5), clLime);
}

TEST_F(StdCtrlsTest, ComboBoxStylesSelectAndOwnerDraw) {
    auto* combo = Add<TComboBox>("cbKind", 10, 10);
    for (const char* s : {"Apple", "Banana", "Cherry"})
        combo->Items()->Add(s);
    combo->SetOnChange(TNotifyEvent(&Rec, &TRecorder::Change));
    combo->SetOnSelect(TNotifyEvent(&Rec, &TRecorder::Select));
    Form->Show();
    combo->SetFocus();
    PressKey(combo, VK_DOWN, TShiftState());
    EXPECT_EQ(combo->ItemIndex(), 0);
    EXPECT_EQ(combo->Text(), "Apple");
    EXPECT_EQ(Rec.Events, (std::vector<AnsiString>{"change cbKind", "select cbKind"}));
    // A drop-down with an edit takes typed text; an item of that text becomes the current one.
    UserType(Form, "cbKind", "Cherry");
    EXPECT_EQ(combo->ItemIndex(), 2);
    UserType(Form, "cbKind", "Durian");
    EXPECT_EQ(combo->ItemIndex(), -1);
    EXPECT_EQ(combo->Text(), "Durian");
    // A list without an edit moves by first letter and never holds other text.
    combo->SetStyle(csDropDownList);
    combo->SetItemIndex(0);
    combo->SetFocus();
    PressKey(combo, 'C', TShiftState());
    EXPECT_EQ(combo->Text(), "Cherry");
    // Clicking the closed list drops it; clicking an item picks it.
    combo->MouseClickAt(5, 5);
    EXPECT_TRUE(combo->DroppedDown());
    TRect item = combo->DropDownItemRect(1);
    combo->MouseClickAt(item.Left + 3, item.Top + 3);
    EXPECT_FALSE(combo->DroppedDown());
    EXPECT_EQ(combo->Text(), "Banana");
    // Owner-drawn: the edit part is drawn by OnDrawItem.
    combo->SetStyle(csOwnerDrawFixed);
    combo->SetOnDrawItem(TDrawItemEvent(&Rec, &TRecorder::Draw));
    TBitmap picture;
    PaintControlPicture(combo, &picture);
    EXPECT_EQ(Rec.Drawn, (std::vector<int>{1}));
}

TEST_F(StdCtrlsTest, RadioButtonsAreExclusiveWithinTheirParent) {
    auto* group = Add<TGroupBox>("gbA", 10, 10);
    TRadioButton* inGroup[3];
    for (int i = 0; i < 3; ++i) {
        inGroup[i] = new TRadioButton(Form);
        inGroup[i]->SetName("rbA" + std::to_string(i));
        inGroup[i]->SetParent(group);
        inGroup[i]->SetTop(20 + i * 20);
        inGroup[i]->SetOnClick(TNotifyEvent(&Rec, &TRecorder::Click));
    }
    auto* outside = Add<TRadioButton>("rbOut", 200, 10);
    outside->SetCheckedValue(true);
    Form->Show();
    inGroup[0]->SetCheckedValue(true);
    inGroup[2]->MouseClickAt(5, 5);
    EXPECT_FALSE(inGroup[0]->Checked());
    EXPECT_TRUE(inGroup[2]->Checked());
    EXPECT_TRUE(outside->Checked()); // another parent, another group
    EXPECT_TRUE(inGroup[2]->TabStop());
    EXPECT_FALSE(inGroup[0]->TabStop());
    EXPECT_EQ(Rec.Events, (std::vector<AnsiString>{"click rbA0", "click rbA2"}));
    inGroup[2]->MouseClickAt(5, 5); // already checked: no second click
    EXPECT_EQ(Rec.Events.size(), 2u);
}

TEST_F(StdCtrlsTest, CheckBoxStatesAndLabelAccelerators) {
    auto* box = Add<TCheckBox>("cbFlag", 10, 10);
    box->SetCaption("&Flag");
    box->SetOnClick(TNotifyEvent(&Rec, &TRecorder::Click));
    auto* edit = Add<TEdit>("edName", 10, 60);
    auto* label = Add<TLabel>("lblName", 10, 40);
    label->SetCaption("&Name");
    label->SetFocusControl(edit);
    Form->Show();
    box->MouseClickAt(3, 3);
    EXPECT_TRUE(box->Checked());
    box->SetAllowGrayed(true);
    box->Toggle();
    EXPECT_EQ(box->State(), cbUnchecked);
    box->Toggle();
    EXPECT_EQ(box->State(), cbGrayed);
    box->SetAllowGrayed(false);
    box->SetState(cbGrayed); // not allowed any more
    EXPECT_EQ(box->State(), cbUnchecked);
    EXPECT_EQ(Rec.Events.size(), 4u);
    // Alt+N focuses the label's control; Alt+F toggles the box.
    PressKey(box, 'N', TShiftState{ssAlt});
    EXPECT_EQ(Form->FocusedControl(), edit);
    PressKey(edit, 'F', TShiftState{ssAlt});
    EXPECT_EQ(Form->FocusedControl(), box);
    EXPECT_TRUE(box->Checked());
    // An auto-sized label takes its text's extent.
    EXPECT_EQ(label->Width(), FontTextExtent(label->Font(), "Name").cx);
}

} // namespace
