// The data-aware controls on a shown form over a client data set: typing starts editing through the
// link, leaving writes the field, Esc shows the field again; AutoEdit off and read-only fields keep the
// value; the combo box maps its items between display text and stored value.
#include <gtest/gtest.h>

#include "classlib/controls/dialogs.h"
#include "classlib/controls/forms.h"
#include "classlib/dbctrls/dbctrls.h"
#include "classlib/dbctrls/wwdbctrls.h"
#include "classlib/objects/formloader.h"
#include "classlib/objects/rtti.h"

namespace {

struct TRecorder : TObject {
    int Dialogs = 0;
    TObject* Sender = nullptr;
    void Validate(TField* field) {
        if (field->AsString() == "bad") throw Exception("bad code");
    }
    void CustomDlg(TObject* sender) {
        ++Dialogs;
        Sender = sender;
    }
};

class DBCtrlsTest : public ::testing::Test {
protected:
    DBCtrlsTest() {
        Form = new TForm(Application);
        Form->SetName("frmData");
        Form->SetBounds(0, 0, 400, 300);
        Cds = new TwwClientDataSet(Form);
        Cds->SetName("cdsMain");
        Cds->FieldDefs()->Add("CODE", ftString, 6);
        Cds->FieldDefs()->Add("NAME", ftString, 20);
        Cds->FieldDefs()->Add("KIND", ftString, 2);
        Cds->FieldDefs()->Add("FLAG", ftString, 1);
        Cds->FieldDefs()->Add("DONE", ftBoolean);
        Cds->FieldDefs()->Add("NOTE", ftMemo);
        Cds->CreateDataSet();
        Cds->Append();
        Cds->FieldByName("CODE")->SetAsString("A01");
        Cds->FieldByName("NAME")->SetAsString("Alpha");
        Cds->FieldByName("KIND")->SetAsString("B");
        Cds->FieldByName("FLAG")->SetAsString("Y");
        Cds->FieldByName("DONE")->SetAsBoolean(true);
        Cds->FieldByName("NOTE")->SetAsString("first");
        Cds->Post();
        Cds->First();
        Ds = new TwwDataSource(Form);
        Ds->SetDataSet(Cds);
        Next = Add<TEdit>("edNext", 300, 10);
    }
    ~DBCtrlsTest() override {
        Application->SetModalDriver(nullptr);
        Form->Free();
    }
    template <class T> T* Add(const char* name, int left, int top) {
        auto* control = new T(Form);
        control->SetName(name);
        control->SetParent(Form);
        control->SetBounds(left, top, 120, 21);
        return control;
    }
    template <class T> T* Bound(const char* name, const char* field, int top = 10) {
        auto* control = Add<T>(name, 10, top);
        control->SetDataSource(Ds);
        control->SetDataField(field);
        return control;
    }
    TForm* Form;
    TwwClientDataSet* Cds;
    TwwDataSource* Ds;
    TEdit* Next;
    TRecorder Rec;
};

TEST_F(DBCtrlsTest, EditShowsTypesAndWritesOnLeaving) {
    auto* edit = Bound<TDBEdit>("edName", "NAME");
    Form->Show();
    EXPECT_EQ(edit->Text(), "Alpha");
    EXPECT_EQ(edit->MaxLength(), 20);
    UserType(Form, "edName", "Beta");
    // Typing put the data set in edit state; leaving wrote the field but did not post.
    EXPECT_EQ(Cds->State(), dsEdit);
    EXPECT_EQ(Cds->FieldByName("NAME")->AsString(), "Beta");
    Cds->Post();
    EXPECT_EQ(Cds->FieldByName("NAME")->AsString(), "Beta");
    EXPECT_EQ(edit->Text(), "Beta");
}

TEST_F(DBCtrlsTest, EscShowsTheFieldAgain) {
    auto* edit = Bound<TDBEdit>("edName", "NAME");
    Form->Show();
    edit->SetFocus();
    PressKey(edit, 'X', TShiftState());
    EXPECT_EQ(edit->Text(), "x");
    EXPECT_TRUE(edit->DataLink()->Modified());
    PressKey(edit, VK_ESCAPE, TShiftState());
    EXPECT_EQ(edit->Text(), "Alpha");
    EXPECT_FALSE(edit->DataLink()->Modified());
    Next->SetFocus();
    EXPECT_EQ(Cds->FieldByName("NAME")->AsString(), "Alpha");
}

TEST_F(DBCtrlsTest, NoEditingWithoutAutoEditOrOnReadOnly) {
    struct Case {
        const char* what;
        bool autoEdit, fieldReadOnly, linkReadOnly;
    } cases[] = {
        {"AutoEdit off", false, false, false},
        {"read-only field", true, true, false},
        {"read-only control", true, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Ds->SetAutoEdit(c.autoEdit);
        Cds->FieldByName("NAME")->SetReadOnly(c.fieldReadOnly);
        auto* edit = Bound<TDBEdit>("edName", "NAME");
        edit->SetReadOnly(c.linkReadOnly);
        Form->Show();
        UserType(Form, "edName", "Zed");
        EXPECT_EQ(edit->Text(), "Alpha");
        EXPECT_EQ(Cds->State(), dsBrowse);
        EXPECT_EQ(Cds->FieldByName("NAME")->AsString(), "Alpha");
        edit->Free();
    }
}

TEST_F(DBCtrlsTest, AutoEditOffStillEditsAnEditingDataSet) {
    Ds->SetAutoEdit(false);
    Bound<TwwDBEdit>("edName", "NAME");
    Form->Show();
    Cds->Edit();
    UserType(Form, "edName", "Gamma");
    EXPECT_EQ(Cds->FieldByName("NAME")->AsString(), "Gamma");
}

TEST_F(DBCtrlsTest, AFailedWriteKeepsTheFocusAndTheText) {
    auto* edit = Bound<TDBEdit>("edCode", "CODE");
    Cds->FieldByName("CODE")->SetOnValidate(TFieldNotifyEvent(&Rec, &TRecorder::Validate));
    Form->Show();
    edit->SetFocus();
    for (char ch : AnsiString("BAD"))
        PressKey(edit, ch, TShiftState());
    EXPECT_THROW(Next->SetFocus(), Exception);
    EXPECT_TRUE(edit->Focused());
    EXPECT_EQ(edit->Text(), "bad");
    EXPECT_EQ(Cds->FieldByName("CODE")->AsString(), "A01");
}

TEST_F(DBCtrlsTest, ACheckThatMovesTheFocusWritesTheFieldOnce) {
    auto* edit = Bound<TDBEdit>("edCode", "CODE");
    struct TMover : TObject {
        TWinControl* Target = nullptr;
        int Checks = 0;
        void Validate(TField*) {
            ++Checks;
            Target->SetFocus();
        }
    } mover;
    mover.Target = Next;
    Cds->FieldByName("CODE")->SetOnValidate(TFieldNotifyEvent(&mover, &TMover::Validate));
    Form->Show();
    edit->SetFocus();
    for (char ch : AnsiString("B07"))
        PressKey(edit, ch, TShiftState());
    Add<TEdit>("edOther", 300, 40)->SetFocus();
    EXPECT_EQ(mover.Checks, 1);
    EXPECT_EQ(Cds->FieldByName("CODE")->AsString(), "b07");
    EXPECT_TRUE(Next->Focused());
}

TEST_F(DBCtrlsTest, ControlsFollowTheCursor) {
    auto* text = Bound<TDBText>("lbName", "NAME", 40);
    auto* memo = Bound<TDBMemo>("meNote", "NOTE", 70);
    Cds->Append();
    Cds->FieldByName("NAME")->SetAsString("Omega");
    Cds->Post();
    EXPECT_EQ(text->Caption(), "Omega");
    EXPECT_EQ(memo->Text(), "");
    Cds->First();
    EXPECT_EQ(text->Caption(), "Alpha");
    EXPECT_EQ(memo->Text(), "first");
    // A freed data source leaves the controls unbound rather than dangling.
    Ds->Free();
    EXPECT_EQ(text->DataSource(), nullptr);
    EXPECT_EQ(memo->DataSource(), nullptr);
}

TEST_F(DBCtrlsTest, MemoTypesLinesIntoTheField) {
    auto* memo = Bound<TDBMemo>("meNote", "NOTE");
    Form->Show();
    memo->SetFocus();
    memo->SelectAll();
    for (char ch : AnsiString("AB"))
        PressKey(memo, ch, TShiftState());
    PressKey(memo, VK_RETURN, TShiftState());
    PressKey(memo, 'C', TShiftState());
    Next->SetFocus();
    EXPECT_EQ(Cds->FieldByName("NOTE")->AsString(), memo->Text());
    EXPECT_EQ(memo->Text(), "ab\r\nc");
    EXPECT_EQ(Cds->State(), dsEdit);
}

TEST_F(DBCtrlsTest, CheckBoxMapsValuesAndStates) {
    struct Case {
        const char* field;
        const char* value; // nullptr: null
        TCheckBoxState state;
    } cases[] = {
        {"FLAG", "Y", cbChecked},       {"FLAG", "y", cbChecked},       {"FLAG", "N", cbUnchecked},
        {"FLAG", "Q", cbGrayed},        {"FLAG", nullptr, cbUnchecked}, {"DONE", "True", cbChecked},
        {"DONE", "False", cbUnchecked},
    };
    auto* box = Bound<TDBCheckBox>("chkFlag", "FLAG");
    box->SetValueChecked("Y;T");
    box->SetValueUnchecked("N");
    for (const auto& c : cases) {
        SCOPED_TRACE(AnsiString(c.field) + "=" + (c.value ? c.value : "null"));
        box->SetDataField(c.field);
        Cds->Edit();
        if (c.value)
            Cds->FieldByName(c.field)->SetAsString(c.value);
        else
            Cds->FieldByName(c.field)->Clear();
        Cds->Post();
        EXPECT_EQ(box->State(), c.state);
    }
}

TEST_F(DBCtrlsTest, CheckBoxTogglesThroughTheLink) {
    auto* box = Bound<TDBCheckBox>("chkFlag", "FLAG");
    box->SetValueChecked("Y;T");
    box->SetValueUnchecked("N");
    Form->Show();
    EXPECT_TRUE(box->Checked());
    box->SetFocus();
    PressKey(box, ' ', TShiftState());
    EXPECT_EQ(Cds->State(), dsEdit);
    EXPECT_FALSE(box->Checked());
    Next->SetFocus();
    EXPECT_EQ(Cds->FieldByName("FLAG")->AsString(), "N");
    box->SetFocus();
    PressKey(box, ' ', TShiftState());
    Next->SetFocus();
    EXPECT_EQ(Cds->FieldByName("FLAG")->AsString(), "Y"); // the first of the checked values
    Cds->Post();
    // Read-only: a toggle changes nothing.
    box->SetReadOnly(true);
    box->SetFocus();
    PressKey(box, ' ', TShiftState());
    EXPECT_TRUE(box->Checked());
    EXPECT_EQ(Cds->State(), dsBrowse);
}

TEST_F(DBCtrlsTest, ComboMapsItemsBothWays) {
    auto* combo = Bound<TwwDBComboBox>("cboKind", "KIND");
    combo->SetStyle(csDropDownList);
    combo->Items()->Add("Apple\tA");
    combo->Items()->Add("Banana\tB");
    combo->Items()->Add("C:Cherry");
    combo->DataLink()->Reset();
    EXPECT_EQ(combo->ItemIndex(), 1);
    EXPECT_EQ(combo->Text(), "Banana");
    EXPECT_EQ(combo->ItemValue(2), "C");
    EXPECT_EQ(combo->ItemDisplay(2), "Cherry");
    Form->Show();
    combo->SetFocus();
    PressKey(combo, VK_DOWN, TShiftState());
    EXPECT_EQ(Cds->State(), dsEdit);
    EXPECT_EQ(combo->Text(), "Cherry");
    Next->SetFocus();
    EXPECT_EQ(Cds->FieldByName("KIND")->AsString(), "C");
    // A stored value that no item has shows nothing in a list-only combo.
    Cds->FieldByName("KIND")->SetAsString("Z");
    EXPECT_EQ(combo->ItemIndex(), -1);
    EXPECT_EQ(combo->Text(), "");
    // Without MapList the display text is the stored value.
    combo->SetMapList(false);
    EXPECT_EQ(combo->ItemValue(0), "Apple");
    EXPECT_EQ(combo->ItemValue(2), "C:Cherry");
}

TEST_F(DBCtrlsTest, DropDownComboStoresTypedText) {
    auto* combo = Bound<TwwDBComboBox>("cboKind", "KIND");
    combo->Items()->Add("Apple\tA");
    Form->Show();
    UserType(Form, "cboKind", "Apple");
    EXPECT_EQ(Cds->FieldByName("KIND")->AsString(), "A"); // a typed display text stands for its value
    UserType(Form, "cboKind", "QQ");
    EXPECT_EQ(Cds->FieldByName("KIND")->AsString(), "QQ");
    Cds->Cancel();
    Ds->SetAutoEdit(false);
    UserType(Form, "cboKind", "ZZ");
    EXPECT_EQ(Cds->FieldByName("KIND")->AsString(), "B");
    EXPECT_EQ(combo->Text(), "B");
}

TEST_F(DBCtrlsTest, ComboDialogRunsTheCustomDialog) {
    auto* dlg = Bound<TwwDBComboDlg>("cboCode", "CODE");
    dlg->SetOnCustomDlg(TNotifyEvent(&Rec, &TRecorder::CustomDlg));
    Form->Show();
    TRect button = dlg->ButtonRect();
    EXPECT_EQ(button.Width(), 17);
    dlg->MouseClickAt(button.Left + 3, button.Top + 3);
    EXPECT_EQ(Rec.Dialogs, 1);
    EXPECT_EQ(Rec.Sender, dlg);
    EXPECT_TRUE(dlg->Focused());
    PressKey(dlg, VK_DOWN, TShiftState{ssAlt});
    EXPECT_EQ(Rec.Dialogs, 2);
    dlg->MouseClickAt(2, 2); // in the text: no dialog
    EXPECT_EQ(Rec.Dialogs, 2);
    EXPECT_EQ(dlg->Text(), "A01");
}

TEST(wwClientDataSet, ControlTypeEntries) {
    TwwClientDataSet cds(nullptr);
    cds.ControlType()->Add("UDF01;Combo;Y");
    cds.ControlType()->Add("TB004;CustomEdit;cboTB004G");
    EXPECT_EQ(cds.FieldControlType("udf01"), "Combo");
    EXPECT_EQ(cds.FieldControlType("TB004"), "CustomEdit");
    EXPECT_EQ(cds.FieldControlType("TB005"), "");
    AnsiString type, parameters;
    EXPECT_TRUE(wwDataSet_GetControl(&cds, "TB004", type, parameters));
    EXPECT_EQ(type, "CustomEdit");
    EXPECT_EQ(parameters, "cboTB004G");
    TClientDataSet plain(nullptr);
    EXPECT_FALSE(wwDataSet_GetControl(&plain, "TB004", type, parameters));
    EXPECT_EQ(type, "");
    EXPECT_NE(GetPropInfo(&cds, "ControlType"), nullptr);
}

} // namespace

namespace {

TEST_F(DBCtrlsTest, ComboPaintsTheDisplayTextOnly) {
    // Two unbound combos: one's item carries a long stored value after the TAB, the other's none; both
    // must paint alike, and picking an item works without a field.
    auto* mapped = Add<TwwDBComboBox>("cboMapped", 10, 10);
    auto* plain = Add<TwwDBComboBox>("cboPlain", 10, 40);
    for (auto* combo : {mapped, plain})
        combo->SetStyle(csDropDownList);
    mapped->Items()->Add("Banana\tBBBBBBBBBBBBBBBBBBBBBB");
    plain->Items()->Add("Banana");
    plain->SetMapList(false);
    mapped->SetItemIndex(0);
    plain->SetItemIndex(0);
    TBitmap a, b;
    PaintControlPicture(mapped, &a);
    PaintControlPicture(plain, &b);
    bool same = true;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            same = same && a.Pixel(x, y) == b.Pixel(x, y);
    EXPECT_TRUE(same);
    EXPECT_EQ(mapped->ItemIndex(), 0);
    EXPECT_EQ(mapped->Text(), "Banana");
}

} // namespace

namespace {

// The controls as a form stream names them: data sources by name, items with their TABs.
TEST(DBCtrlsStream, ControlsLoadFromAFormText) {
    auto* form = new TForm(Application);
    ReadComponentFromText(form, R"(object frmLoad: TForm
  Width = 300
  Height = 200
  object cdsMain: TwwClientDataSet
    ControlType.Strings = (
      'TA010;CheckBox;Y;N')
  end
  object dsMain: TwwDataSource
    DataSet = cdsMain
  end
  object edTA001: TwwDBEdit
    Left = 10
    Top = 10
    DataField = 'TA001'
    DataSource = dsMain
  end
  object cboTA002: TwwDBComboBox
    Left = 10
    Top = 40
    DataField = 'TA002'
    DataSource = dsMain
    Items.Strings = (
      #20154#27665#24065#9'RMB'
      'Dollar'#9'USD')
  end
  object chkTA010: TDBCheckBox
    Left = 10
    Top = 70
    DataField = 'TA010'
    DataSource = dsMain
    ValueChecked = 'Y'
    ValueUnchecked = 'N'
  end
end)");
    auto* edit = dynamic_cast<TwwDBEdit*>(form->FindComponent("edTA001"));
    auto* combo = dynamic_cast<TwwDBComboBox*>(form->FindComponent("cboTA002"));
    auto* cds = dynamic_cast<TwwClientDataSet*>(form->FindComponent("cdsMain"));
    ASSERT_TRUE(edit && combo && cds);
    EXPECT_EQ(edit->DataSource(), form->FindComponent("dsMain"));
    EXPECT_EQ(edit->DataField(), "TA001");
    EXPECT_EQ(combo->ItemValue(1), "USD");
    EXPECT_EQ(cds->FieldControlType("TA010"), "CheckBox");
    EXPECT_EQ(dynamic_cast<TDBCheckBox*>(form->FindComponent("chkTA010"))->ValueChecked(), "Y");
    form->Free();
}

} // namespace
