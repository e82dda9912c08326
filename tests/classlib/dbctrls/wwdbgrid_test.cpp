// The data grid on a shown form over a client data set: its columns and dump, moving with keys and
// the mouse through a window of records, typing into cells, check-box cells, the form's editor for a
// field, picture masks, and the inserted record in its place.
#include <gtest/gtest.h>

#include "classlib/controls/forms.h"
#include "classlib/dbctrls/wwdbgrid.h"
#include "classlib/graphics/bitmap.h"
#include "classlib/objects/formloader.h"

namespace {

class WwDBGridTest : public ::testing::Test {
protected:
    WwDBGridTest() {
        Form = new TForm(Application);
        Form->SetName("frmGrid");
        Form->SetBounds(0, 0, 500, 400);
        Cds = new TwwClientDataSet(Form);
        Cds->SetName("cdsBody");
        Cds->FieldDefs()->Add("CODE", ftString, 6);
        Cds->FieldDefs()->Add("NAME", ftString, 10);
        Cds->FieldDefs()->Add("FLAG", ftString, 1);
        Cds->FieldDefs()->Add("QTY", ftInteger);
        Cds->CreateDataSet();
        Cds->ControlType()->Add("FLAG;CheckBox;Y;N");
        for (int i = 1; i <= 10; ++i) {
            Cds->Append();
            Cds->FieldByName("CODE")->SetAsString("C" + std::to_string(i));
            Cds->FieldByName("NAME")->SetAsString("N" + std::to_string(i));
            Cds->FieldByName("FLAG")->SetAsString(i % 2 ? "Y" : "N");
            Cds->FieldByName("QTY")->SetAsInteger(i * 10);
            Cds->Post();
        }
        Cds->First();
        Ds = new TwwDataSource(Form);
        Ds->SetDataSet(Cds);
        Grid = new TwwDBGrid(Form);
        Grid->SetName("gdBody");
        Grid->SetParent(Form);
        // A title row and exactly three records of 18 + 1 pixels.
        Grid->SetBounds(0, 0, 400, 19 * 4 + 2);
        Grid->SetDataSource(Ds);
        Form->Show();
        Grid->HandleNeeded();
        Grid->SetFocus();
    }
    ~WwDBGridTest() override {
        Application->SetModalDriver(nullptr);
        Form->Free();
    }
    std::vector<AnsiString> Dump() const {
        std::vector<AnsiString> lines;
        Grid->DumpDetails(lines, "");
        return lines;
    }
    void Key(Word key, TShiftState shift = {}) { PressKey(Grid, key, shift); }
    TForm* Form;
    TwwClientDataSet* Cds;
    TwwDataSource* Ds;
    TwwDBGrid* Grid;
};

TEST_F(WwDBGridTest, ColumnsComeFromTheFieldsOrTheSelectedList) {
    EXPECT_EQ(Grid->ColumnCount(), 4);
    EXPECT_EQ(Grid->VisibleRecordCount(), 3);
    EXPECT_EQ(Grid->RowCount(), 4);
    auto lines = Dump();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "|  | CODE | NAME | FLAG | QTY |");
    EXPECT_EQ(lines[1], "| > | C1 | N1 | Y | 10 |");
    EXPECT_EQ(lines[3], "|  | C3 | N3 | Y | 30 |");

    // Selected: field, width in characters, title; a name the data set lacks is left out.
    Grid->Selected()->Add("NAME\t5\tName");
    Grid->Selected()->Add("NONE\t5\tNone");
    Grid->Selected()->Add("CODE\t8");
    ASSERT_EQ(Grid->ColumnCount(), 2);
    EXPECT_EQ(Dump()[0], "|  | Name | CODE |");
    EXPECT_EQ(Grid->ColWidths(1), Grid->CharsToPixels(5));
    EXPECT_EQ(Grid->ColWidths(2), Grid->CharsToPixels(8));

    // A field hidden or retitled lays the columns out again.
    Grid->Selected()->Clear();
    Cds->FieldByName("FLAG")->SetVisible(false);
    Cds->FieldByName("CODE")->SetDisplayLabel("Code");
    EXPECT_EQ(Dump()[0], "|  | Code | NAME | QTY |");
}

TEST_F(WwDBGridTest, KeysMoveThroughAWindowOfRecords) {
    struct Step {
        Word key;
        bool ctrl;
        int recNo, activeRow;
        const char* firstShown;
    } steps[] = {
        {VK_DOWN, false, 2, 2, "C1"},  {VK_DOWN, false, 3, 3, "C1"}, {VK_DOWN, false, 4, 3, "C2"},
        {VK_NEXT, false, 7, 3, "C5"},  {VK_UP, false, 6, 2, "C5"},   {VK_END, true, 10, 3, "C8"},
        {VK_DOWN, false, 10, 3, "C8"}, // no inserting: the last row stays
        {VK_PRIOR, false, 7, 1, "C7"}, {VK_HOME, true, 1, 1, "C1"},  {VK_UP, false, 1, 1, "C1"},
    };
    for (const Step& s : steps) {
        Key(s.key, s.ctrl ? TShiftState{ssCtrl} : TShiftState{});
        SCOPED_TRACE(s.firstShown);
        EXPECT_EQ(Cds->RecNo(), s.recNo);
        EXPECT_EQ(Grid->Row(), s.activeRow);
        EXPECT_EQ(Grid->CellText(1, 1), s.firstShown);
    }
    // Right and Tab move the column, the record stays.
    Key(VK_RIGHT);
    Key(VK_TAB);
    EXPECT_EQ(Grid->SelectedField(), Cds->FieldByName("FLAG"));
    EXPECT_EQ(Cds->RecNo(), 1);
}

TEST_F(WwDBGridTest, DownOnTheLastRowAppendsWhenInsertingIsAllowed) {
    Grid->SetKeyOptions({dgAllowInsert});
    Key(VK_END, {ssCtrl});
    Key(VK_DOWN);
    ASSERT_EQ(Cds->State(), dsInsert);
    EXPECT_EQ(Grid->Row(), 3);
    EXPECT_EQ(Grid->CellText(1, 2), "C10");
    EXPECT_EQ(Grid->CellText(1, 3), "");
    // Down on the empty new row does nothing; Up drops it.
    Key(VK_DOWN);
    EXPECT_EQ(Cds->State(), dsInsert);
    Key(VK_UP);
    EXPECT_EQ(Cds->State(), dsBrowse);
    EXPECT_EQ(Cds->RecordCount(), 10);
    // A new last row that was typed into is stored by Down, and the next new row follows it.
    for (const char* code : {"C11", "C12"}) {
        SCOPED_TRACE(code);
        Key(VK_END, {ssCtrl});
        Key(VK_DOWN);
        ASSERT_EQ(Cds->State(), dsInsert);
        Cds->FieldByName("CODE")->SetAsString(code);
        Key(VK_DOWN);
        EXPECT_EQ(Cds->State(), dsInsert);
        EXPECT_TRUE(Cds->FieldByName("CODE")->AsString().empty());
        Cds->Cancel();
    }
    EXPECT_EQ(Cds->RecordCount(), 12);
}

TEST_F(WwDBGridTest, AnInsertedRecordStandsBeforeTheCurrentOne) {
    Key(VK_DOWN); // C2
    Cds->Insert();
    EXPECT_EQ(Grid->Row(), 2);
    EXPECT_EQ(Grid->CellText(1, 1), "C1");
    EXPECT_EQ(Grid->CellText(1, 2), "");
    EXPECT_EQ(Grid->CellText(1, 3), "C2"); // the current row, shown as it stands below the new one
    Cds->Cancel();
    EXPECT_EQ(Grid->CellText(1, 2), "C2");
}

TEST_F(WwDBGridTest, TypingIntoACellChangesTheField) {
    Grid->SetCol(2);
    for (char c : AnsiString("BETA"))
        PressKey(Grid->InplaceEditor() && Grid->EditorMode()
                     ? static_cast<TWinControl*>(Grid->InplaceEditor())
                     : static_cast<TWinControl*>(Grid),
                 static_cast<Word>(c), {ssShift});
    EXPECT_EQ(Cds->State(), dsEdit);
    EXPECT_EQ(Cds->FieldByName("NAME")->AsString(), "N1"); // not yet: the cell is still being typed
    Key(VK_RETURN);
    EXPECT_EQ(Cds->FieldByName("NAME")->AsString(), "BETA");
    // Moving to the next record posts it.
    Key(VK_DOWN);
    EXPECT_EQ(Cds->State(), dsBrowse);
    Cds->First();
    EXPECT_EQ(Cds->FieldByName("NAME")->AsString(), "BETA");

    // The grid's virtuals, as a generic cell command drives them, write the current record.
    Grid->MoveCurrent(4, 2);
    EXPECT_EQ(Cds->RecNo(), 2);
    EXPECT_EQ(Grid->GetEditText(4, 2), "20");
    Grid->ShowEditor();
    Grid->SetEditText(4, 2, "25");
    Grid->MoveCurrent(1, 2);
    EXPECT_EQ(Cds->FieldByName("QTY")->AsInteger(), 25);
    // A text the field refuses keeps the editor's text and the cell.
    Grid->MoveCurrent(4, 2);
    Grid->SetEditText(4, 2, "x");
    EXPECT_THROW(Grid->MoveCurrent(1, 2), Exception);
    EXPECT_EQ(Grid->Col(), 4);
    EXPECT_EQ(Cds->FieldByName("QTY")->AsInteger(), 25);
}

TEST_F(WwDBGridTest, ClicksMoveTheRecordAndTickCheckBoxes) {
    TRect r = Grid->CellRect(3, 3);
    Grid->MouseClickAt(r.Left + 3, r.Top + 3);
    EXPECT_EQ(Cds->RecNo(), 3);
    EXPECT_EQ(Grid->Col(), 3);
    // The click landed on a check-box cell: it toggled Y to N.
    EXPECT_EQ(Cds->State(), dsEdit);
    EXPECT_EQ(Cds->FieldByName("FLAG")->AsString(), "N");
    Key(VK_SPACE);
    EXPECT_EQ(Cds->FieldByName("FLAG")->AsString(), "Y");
    EXPECT_FALSE(Grid->EditorMode()); // a check box needs no editor
    // Read only: nothing toggles.
    Cds->Cancel();
    Grid->SetReadOnly(true);
    Key(VK_SPACE);
    EXPECT_EQ(Cds->State(), dsBrowse);
}

TEST_F(WwDBGridTest, PictureMasksRefuseWhatDoesNotMatch) {
    Cds->PictureMasks()->Add("CODE\t{A,B}##\tT\tF");
    Cds->SetValidateWithMask(true);
    Grid->SetCol(1);
    Grid->ShowEditor();
    Grid->SetEditText(1, 1, "C12");
    EXPECT_THROW(Grid->UpdateData(), EDatabaseError);
    EXPECT_EQ(Cds->FieldByName("CODE")->AsString(), "C1");
    Grid->SetEditText(1, 1, "b12");
    Grid->UpdateData();
    EXPECT_EQ(Cds->FieldByName("CODE")->AsString(), "b12");
    // Without ValidateWithMask the mask checks nothing.
    Cds->SetValidateWithMask(false);
    Grid->SetEditText(1, 1, "zz");
    Grid->UpdateData();
    EXPECT_EQ(Cds->FieldByName("CODE")->AsString(), "zz");
}

TEST(PictureMask, Syntax) {
    struct Case {
        const char* mask;
        const char* text;
        bool matches;
    } cases[] = {
        {"###", "123", true},
        {"###", "12", false},
        {"###", "12a", false},
        {"?"
         "?-#",
         "ab-1", true},
        {"&&", "xY", true},
        {"@@", "中", true},
        {"*#", "", true},
        {"*#", "12345", true},
        {"*#.##", "12.50", true},
        {"*3#", "123", true},
        {"*3#", "1234", false},
        {"#[#]", "1", true},
        {"#[#]", "12", true},
        {"{Y,N}", "n", true},
        {"{Y,N}", "X", false},
        {"#;*#", "1*2", true},
        {"#;*#", "112", false},
        {"{##,?"
         "?}-*#",
         "ab-", true},
        {"[A]{B,C}", "AC", true},
        {"[A]{B,C}", "C", true},
        {"[A", "anything", true}, // no mask
    };
    for (const Case& c : cases)
        EXPECT_EQ(MatchesPictureMask(c.mask, c.text), c.matches) << c.mask << " / " << c.text;
}

TEST_F(WwDBGridTest, TheFormsEditorEditsItsField) {
    auto* combo = new TwwDBComboBox(Form);
    combo->SetName("cboNAMEG");
    combo->SetParent(Form);
    combo->SetVisible(false);
    combo->SetStyle(csDropDownList);
    combo->Items()->Add("First\tN1");
    combo->Items()->Add("Second\tN2");
    Cds->ControlType()->Add("NAME;CustomEdit;cboNAMEG");
    Grid->SetCol(2);
    Grid->ShowEditor();
    EXPECT_FALSE(Grid->EditorMode());
    ASSERT_EQ(Grid->ActiveCustomEditor(), combo);
    EXPECT_TRUE(combo->Visible());
    EXPECT_EQ(combo->Parent(), Grid);
    EXPECT_EQ(combo->BoundsRect(), Grid->CellRect(2, 1));
    EXPECT_EQ(combo->Text(), "First");
    PressKey(combo, VK_DOWN, {});
    // Leaving the cell hides the editor, which wrote its value.
    Grid->SetCol(1);
    EXPECT_FALSE(combo->Visible());
    EXPECT_EQ(Cds->FieldByName("NAME")->AsString(), "N2");
    // The cells of a field whose editor maps its items show the item's text; a value that no item
    // stores shows as it is.
    EXPECT_EQ(Grid->CellText(2, 1), "Second");
    EXPECT_EQ(Grid->CellText(2, 2), "Second"); // C2 held N2 already
    EXPECT_EQ(Grid->CellText(2, 3), "N3");
    combo->SetMapList(false);
    EXPECT_EQ(Grid->CellText(2, 1), "N2");
}

TEST_F(WwDBGridTest, PaintingCostsTheVisibleRowsAndChangesNothing) {
    int calls = 0;
    struct TCounter : TObject {
        int* Calls;
        void Calc(TObject*, TField*, TGridDrawState, bool, TFont*, TBrush* brush) {
            ++*Calls;
            brush->SetColor(clYellow);
        }
    } counter;
    counter.Calls = &calls;
    Grid->SetOnCalcCellColors(TwwCalcCellColorsEvent(&counter, &TCounter::Calc));
    TBitmap picture;
    int invalidated = Grid->InvalidateCount();
    PaintControlPicture(Grid, &picture);
    EXPECT_EQ(calls, 3 * 4); // three records of four columns
    EXPECT_EQ(Grid->InvalidateCount(), invalidated);
    TRect r = Grid->CellRect(2, 2);
    EXPECT_EQ(picture.Pixel(r.Right - 2, r.Bottom - 2), clYellow);
    // The fields read the current record again afterwards.
    EXPECT_EQ(Cds->FieldByName("CODE")->AsString(), "C1");
}

TEST(WwDBGridStream, GridLoadsFromAFormText) {
    auto* form = new TForm(Application);
    ReadComponentFromText(form, R"(object frmLoad: TForm
  Width = 300
  Height = 200
  object dsMain: TwwDataSource
  end
  object gdHead: TwwDBGrid
    Left = 0
    Top = 0
    Width = 300
    Height = 150
    DataSource = dsMain
    Options = [dgEditing, dgTitles, dgIndicator, dgColLines, dgRowLines, dgTabs]
    KeyOptions = [dgEnterToTab, dgAllowInsert]
    Selected.Strings = (
      'TA001'#9'10'#9'Code')
  end
end)");
    auto* grid = dynamic_cast<TwwDBGrid*>(form->FindComponent("gdHead"));
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(grid->DataSource(), form->FindComponent("dsMain"));
    EXPECT_TRUE(grid->KeyOptions().Contains(dgAllowInsert));
    EXPECT_EQ(grid->ColumnCount(), 1); // no data set open: the list's columns with their titles
    form->Free();
}

} // namespace

// Rows picked for a batch: each once, in the order picked, back by bookmark; picking all keeps the
// position; closing the data set forgets them.
TEST_F(WwDBGridTest, PickedRowsKeepTheirOrderAndGoWithTheData) {
    auto codes = [this] {
        std::vector<AnsiString> texts;
        const TBookmarkStr here = Cds->Bookmark();
        for (const TBookmarkStr& mark : Grid->SelectedList()) {
            Cds->SetBookmark(mark);
            texts.push_back(Cds->FieldByName("CODE")->AsString());
        }
        Cds->SetBookmark(here);
        return texts;
    };
    Cds->Locate("CODE", Variant("C3"));
    // A grid without multi-select picks nothing.
    Grid->SelectRecord();
    Grid->SelectAll();
    EXPECT_TRUE(Grid->SelectedList().empty());
    Grid->SetOptions(Grid->Options() | TwwDBGridOptions{dgMultiSelect});
    Grid->SelectRecord();
    Grid->SelectRecord();
    Cds->First();
    Grid->SelectRecord();
    EXPECT_TRUE(Grid->IsSelectedRecord());
    EXPECT_EQ(codes(), (std::vector<AnsiString>{"C3", "C1"}));
    Grid->UnselectRecord();
    EXPECT_FALSE(Grid->IsSelectedRecord());
    EXPECT_EQ(codes(), (std::vector<AnsiString>{"C3"}));

    Cds->Locate("CODE", Variant("C5"));
    Grid->SelectAll();
    EXPECT_EQ(Cds->FieldByName("CODE")->AsString(), "C5");
    ASSERT_EQ(Grid->SelectedList().size(), 10u);
    EXPECT_EQ(codes().front(), "C3");
    EXPECT_EQ(codes().back(), "C10");
    Grid->UnselectAll();
    EXPECT_TRUE(Grid->SelectedList().empty());

    Grid->SelectAll();
    Cds->Close();
    EXPECT_TRUE(Grid->SelectedList().empty());
}

// A title click is a button only when the grid's titles are buttons, and names the column's field;
// the chosen title image is drawn at the title's right.
TEST_F(WwDBGridTest, TitleButtonsNameTheirColumnAndShowTheChosenImage) {
    std::vector<AnsiString> clicked;
    struct TTarget : TObject {
        std::vector<AnsiString>* Clicked = nullptr;
        void Click(TObject*, const AnsiString& name) { Clicked->push_back(name); }
        void Image(TObject*, TField* field, int& index) {
            index = field && field->FieldName() == "NAME" ? 0 : -1;
        }
    } target;
    target.Clicked = &clicked;
    Grid->SetOnTitleButtonClick(TwwTitleButtonClickEvent(&target, &TTarget::Click));
    const TRect name = Grid->CellRect(2, 0);
    Grid->MouseClickAt(name.Left + 3, name.Top + 3);
    EXPECT_TRUE(clicked.empty());
    Grid->SetTitleButtons(true);
    Grid->MouseClickAt(name.Left + 3, name.Top + 3);
    const TRect indicator = Grid->CellRect(0, 0);
    Grid->MouseClickAt(indicator.Left + 2, indicator.Top + 2);
    EXPECT_EQ(clicked, (std::vector<AnsiString>{"NAME"}));
    EXPECT_EQ(Cds->FieldByName("CODE")->AsString(), "C1"); // the record stays

    Grid->SetOnCalcTitleImage(TwwCalcTitleImageEvent(&target, &TTarget::Image));
    EXPECT_EQ(Grid->TitleImageOf(2), 0);
    EXPECT_EQ(Grid->TitleImageOf(1), -1);
    EXPECT_EQ(Grid->TitleImageOf(0), -1);
}

TEST_F(WwDBGridTest, EnteringAnotherColumnIsToldOnlyWhenTheColumnChanges) {
    struct TTarget : TObject {
        std::vector<AnsiString> Entered;
        TwwDBGrid* Grid = nullptr;
        void ColEnter(TObject*) { Entered.push_back(Grid->SelectedField()->FieldName()); }
    } target;
    target.Grid = Grid;
    Grid->SetOnColEnter(TNotifyEvent(&target, &TTarget::ColEnter));
    Key(VK_RIGHT);
    Key(VK_DOWN); // another record in the same column
    const TRect qty = Grid->CellRect(4, 2);
    Grid->MouseClickAt(qty.Left + 3, qty.Top + 3);
    Grid->SetSelectedField(Cds->FieldByName("QTY")); // already there
    // A new layout puts the cursor back in its column: no column is entered.
    Grid->Selected()->Add("QTY\t5");
    Grid->Selected()->Add("CODE\t5");
    EXPECT_EQ(target.Entered, (std::vector<AnsiString>{"NAME", "QTY"}));
}
