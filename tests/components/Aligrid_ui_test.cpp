// The aligned grid on the headless screen: what it paints (alignment, word wrap, grid lines, check
// boxes, masked texts) and editing through keys and the mouse (masks, pick lists, check cells, Esc and
// Enter, the clipboard).
#include <gtest/gtest.h>

#include "classlib/controls/clipbrd.h"
#include "components/Aligrid.h"

namespace {

class AligridUiTest : public ::testing::Test {
protected:
    AligridUiTest() {
        Form = new TForm(Application);
        Form->SetBounds(0, 0, 400, 300);
        Grid = new TStringAlignGrid(Form);
        Grid->SetName("grdLines");
        Grid->SetParent(Form);
        Grid->SetBounds(0, 0, 340, 220);
        Grid->SetColCount(4);
        Grid->SetRowCount(5);
        Grid->SetDefaultColWidth(80);
        Grid->SetDefaultRowHeight(40);
        TGridOptions options = Grid->Options();
        options.Include(goEditing);
        Grid->SetOptions(options);
    }
    ~AligridUiTest() override { Form->Free(); }
    void Focus() {
        Form->Show();
        Grid->HandleNeeded();
        Grid->SetFocus();
    }
    TWinControl* Focused() const { return Form->FocusedControl(); }
    void Key(Word key, TShiftState shift = TShiftState()) { PressKey(Focused(), key, shift); }
    void Type(const AnsiString& text) {
        for (char ch : text) {
            Word key;
            TShiftState shift;
            ASSERT_TRUE(CharToKey(ch, key, shift));
            PressKey(Focused(), key, shift);
        }
    }
    // The columns of a cell's inner area (2 pixels in) that hold any pixel other than the background.
    std::pair<int, int> InkColumns(const TBitmap& picture, int col, int row, TColor background) {
        const TRect r = Grid->CellRect(col, row);
        int first = -1, last = -1;
        for (int x = r.Left + 2; x < r.Right - 2; ++x)
            for (int y = r.Top + 2; y < r.Bottom - 2; ++y)
                if (picture.Pixel(x, y) != ColorToRGB(background)) {
                    if (first < 0) first = x;
                    last = x;
                    break;
                }
        if (first < 0) return {-1, -1};
        return {first - r.Left, last - r.Left};
    }
    int InkRows(const TBitmap& picture, int col, int row, TColor background) {
        const TRect r = Grid->CellRect(col, row);
        int last = -1;
        for (int y = r.Top + 2; y < r.Bottom - 2; ++y)
            for (int x = r.Left + 2; x < r.Right - 2; ++x)
                if (picture.Pixel(x, y) != ColorToRGB(background)) {
                    last = y - r.Top;
                    break;
                }
        return last;
    }
    TForm* Form;
    TStringAlignGrid* Grid;
};

TEST_F(AligridUiTest, PaintsAlignedWrappedAndMaskedTexts) {
    Grid->SetCells(1, 1, "WW");
    Grid->SetCells(2, 1, "WW");
    Grid->SetCells(3, 1, "WW");
    Grid->SetAlignCol(2, TMyAlign::alCenter);
    Grid->SetAlignCell(3, 1, TMyAlign::alRight);
    Grid->SetCells(1, 2, "ab cd ef gh ij");
    Grid->GetCellProps(1, 2)->Wordwrap = T_Wordwrap::ww_wordwrap;
    Grid->SetCells(2, 2, "ab cd ef gh ij");
    Grid->SetCellEditMask(3, 2, "!(999)");
    Grid->SetCol(1);
    Grid->SetRow(4); // away from the painted cells
    TBitmap picture;
    PaintControlPicture(Grid, &picture);
    const TColor bg = Grid->Color();
    // Left: from 2 in; centred: about as far from both edges; right: ending 2 in from the right edge.
    auto left = InkColumns(picture, 1, 1, bg), centre = InkColumns(picture, 2, 1, bg),
         right = InkColumns(picture, 3, 1, bg);
    EXPECT_EQ(left.first, 2);
    EXPECT_NEAR(centre.first, 80 - 1 - centre.second, 2);
    EXPECT_GE(right.second, 80 - 2 - 2);
    EXPECT_LT(right.second, 80 - 2);
    EXPECT_GT(right.first, 40);
    // Word wrap puts the text on more than one line; unwrapped it stays on one.
    const int fontHeight = std::abs(Grid->Font()->Height());
    EXPECT_GT(InkRows(picture, 1, 2, bg), 2 + fontHeight + 1);
    EXPECT_LE(InkRows(picture, 2, 2, bg), 2 + fontHeight + 1);
    // A masked cell with no text draws nothing, not the mask's literals.
    EXPECT_EQ(InkColumns(picture, 3, 2, bg).first, -1);
    // The lines between the cells take the grid line colour.
    const TRect r = Grid->CellRect(2, 2);
    EXPECT_EQ(picture.Pixel(r.Right, r.Top + 10), ColorToRGB(clSilver));
    Grid->SetGridLineColor(clRed);
    PaintControlPicture(Grid, &picture);
    EXPECT_EQ(picture.Pixel(r.Right, r.Top + 10), ColorToRGB(clRed));
}

TEST_F(AligridUiTest, PaintsSelectedColoursAndCheckBoxes) {
    SetGridCellControl(Grid, 2, -1, false, "Y;N", TCellControlKind::ctCheckBox);
    Grid->SetCells(2, 1, "Y");
    Grid->SetCells(2, 2, "N");
    Grid->SetSelectedColorCell(1, 3, clLime);
    Grid->SetSelection({1, 3, 1, 4}); // (1, 3) selected, (1, 4) focused
    TBitmap picture;
    PaintControlPicture(Grid, &picture);
    const TRect sel = Grid->CellRect(1, 3);
    EXPECT_EQ(picture.Pixel(sel.Left + 5, sel.Top + 5), ColorToRGB(clLime));
    // The box sits in the middle of the cell: a tick for the checked text, none for the other.
    const TRect a = Grid->CellRect(2, 1), b = Grid->CellRect(2, 2);
    const int x = (80 - 13) / 2 + 2, y = (40 - 13) / 2 + 1;
    auto dark = [&](const TRect& cell) {
        int n = 0;
        for (int dy = 1; dy < 12; ++dy)
            for (int dx = 1; dx < 12; ++dx)
                n += picture.Pixel(cell.Left + x + dx, cell.Top + y + dy) == ColorToRGB(clBlack);
        return n;
    };
    EXPECT_GT(dark(a), 5);
    EXPECT_EQ(dark(b), 0);
    EXPECT_EQ(picture.Pixel(a.Left + x, a.Top + y), ColorToRGB(clGray)); // the box's frame
}

TEST_F(AligridUiTest, WithoutDrawnSelectionsTheFocusFrameLeavesCheckAndButtonCellsAlone) {
    Grid->SetDrawSelection(false);
    SetGridCellControl(Grid, 1, 1, false, "Y;N", TCellControlKind::ctCheckBox);
    SetGridCellControl(Grid, 2, 1, false, "", TCellControlKind::ctButton);
    Focus();
    TBitmap picture;
    const TRect check = Grid->CellRect(1, 1);
    ASSERT_TRUE(Grid->Focused());
    PaintControlPicture(Grid, &picture);
    EXPECT_EQ(picture.Pixel(check.Left + 10, check.Top), ColorToRGB(Grid->Color())); // no frame
    EXPECT_EQ(picture.Pixel(check.Left + 11, check.Top), ColorToRGB(Grid->Color()));
    Grid->SetCol(2);
    PaintControlPicture(Grid, &picture);
    const TRect button = Grid->CellRect(2, 1);
    const int x = button.Right - 16 - 1; // on the frame's dotted right edge
    const bool dotted = picture.Pixel(x, button.Top + 10) != ColorToRGB(Grid->Color()) ||
                        picture.Pixel(x, button.Top + 11) != ColorToRGB(Grid->Color());
    EXPECT_TRUE(dotted);
}

TEST_F(AligridUiTest, ABackgroundBitmapIsTiledBehindTheCellsAndBeyondThem) {
    Grid->Background()->SetSize(4, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            Grid->Background()->SetPixel(x, y, x < 2 ? clRed : clBlue);
    Grid->SetColCount(3); // 3 x 81 wide: the client area goes on to the right
    TBitmap picture;
    PaintControlPicture(Grid, &picture);
    const TRect cell = Grid->CellRect(2, 2);
    // Tiles at fixed client positions: x mod 4 below 2 is red.
    EXPECT_EQ(picture.Pixel(cell.Left + (4 - cell.Left % 4) % 4 + 1, cell.Top + 30), ColorToRGB(clRed));
    EXPECT_EQ(picture.Pixel(cell.Left + (4 - cell.Left % 4) % 4 + 2, cell.Top + 30), ColorToRGB(clBlue));
    EXPECT_EQ(picture.Pixel(300, 100), ColorToRGB(300 % 4 < 2 ? clRed : clBlue)); // beyond the last column
    const TRect fixed = Grid->CellRect(0, 2);
    EXPECT_EQ(picture.Pixel(fixed.Left + 30, fixed.Top + 30), ColorToRGB(clBtnFace));
}

TEST_F(AligridUiTest, AMaskedCellTakesOnlyWhatItsMaskAllows) {
    Grid->SetCellEditMask(1, 1, "000;0;_");
    Focus();
    Key(VK_F2);
    ASSERT_TRUE(Grid->EditorMode());
    EXPECT_EQ(Grid->Editor()->EditMask(), "000;0;_");
    Type("1a23");
    Key(VK_RETURN);
    EXPECT_EQ(Grid->Cells(1, 1), "123");
}

TEST_F(AligridUiTest, APickListChosenByKeys) {
    int clicks = 0;
    struct TCounter : TObject {
        int* N;
        void Click(TObject*) { ++*N; }
    } counter;
    counter.N = &clicks;
    Grid->OnComboBoxClick = TNotifyEvent(&counter, &TCounter::Click);
    SetGridCellControl(Grid, 2, 1, false, "red\r\ngreen\r\nblue", TCellControlKind::ctPickList);
    Grid->SetCells(2, 1, "red");
    Focus();
    Grid->SetCol(2);
    Key(VK_F2);
    ASSERT_TRUE(Grid->EditorMode());
    EXPECT_EQ(Grid->Editor()->ButtonStyle(), 2);
    Key(VK_DOWN, TShiftState{ssAlt});
    ASSERT_TRUE(Grid->Editor()->Dropped());
    EXPECT_EQ(Grid->Editor()->PickListBox()->ItemIndex(), 0);
    Key(VK_DOWN);
    Key(VK_RETURN);
    EXPECT_FALSE(Grid->Editor()->Dropped());
    EXPECT_EQ(Grid->Cells(2, 1), "green");
    EXPECT_EQ(clicks, 1);

    // A list-only cell is picked by typing: the first line starting with the letter; others refused.
    SetGridCellControl(Grid, 2, 2, true, "red\r\ngreen\r\nblue", TCellControlKind::ctPickList);
    Key(VK_DOWN);
    ASSERT_EQ(Grid->Row(), 2);
    ASSERT_TRUE(Grid->EditorMode());
    Type("b");
    EXPECT_EQ(Grid->Cells(2, 2), "blue");
    const int beeps = Application->BeepCount();
    Type("x");
    EXPECT_EQ(Grid->Cells(2, 2), "blue");
    EXPECT_GT(Application->BeepCount(), beeps);
}

TEST_F(AligridUiTest, ACheckCellTogglesBySpaceAndClick) {
    SetGridCellControl(Grid, 1, 2, false, "Y;N", TCellControlKind::ctCheckBox);
    SetGridCellControl(Grid, 1, 3, false, "", TCellControlKind::ctCheckBox);
    Focus();
    Grid->SetRow(2);
    Key(VK_SPACE);
    EXPECT_EQ(Grid->Cells(1, 2), "Y");
    Key(VK_SPACE);
    EXPECT_EQ(Grid->Cells(1, 2), "N");
    const TRect r = Grid->CellRect(1, 2);
    Grid->MouseClickAt(r.Left + 10, r.Top + 10);
    EXPECT_EQ(Grid->Cells(1, 2), "Y");
    EXPECT_FALSE(Grid->EditorMode()); // no editor over a check-box cell
    // Without texts the cell stays empty and shows unchecked.
    Grid->SetRow(3);
    Key(VK_SPACE);
    EXPECT_EQ(Grid->Cells(1, 3), "");
    EXPECT_EQ(GetGridCellText(Grid, 1, 3), "");
}

struct TEditLog : TObject {
    std::vector<std::string> Events;
    bool Accept = true;
    void Before(TObject*, int c, int r) {
        Events.push_back("before " + std::to_string(c) + "," + std::to_string(r));
    }
    void After(TObject*, int c, int r) {
        Events.push_back("after " + std::to_string(c) + "," + std::to_string(r));
    }
    void Cancel(TObject*, int c, int r) {
        Events.push_back("cancel " + std::to_string(c) + "," + std::to_string(r));
    }
    void Validate(TObject*, int c, int r, bool& ok) {
        Events.push_back("validate " + std::to_string(c) + "," + std::to_string(r));
        ok = Accept;
    }
};

TEST_F(AligridUiTest, EscCancelsAndEnterValidatesAndMovesOn) {
    TEditLog log;
    Grid->OnBeforeEdit = TCellEvent(&log, &TEditLog::Before);
    Grid->OnAfterEdit = TCellEvent(&log, &TEditLog::After);
    Grid->OnCancelEdit = TCellEvent(&log, &TEditLog::Cancel);
    Grid->OnValidateEdit = TCellEventBool(&log, &TEditLog::Validate);
    Grid->AutoEditNextCell = true;
    Grid->SetCells(1, 1, "old");
    Focus();
    Key(VK_F2);
    Type("new");
    EXPECT_EQ(Grid->Cells(1, 1), "new");
    Key(VK_ESCAPE);
    Application->ProcessMessages();
    EXPECT_EQ(Grid->Cells(1, 1), "old");
    EXPECT_EQ(Grid->Col(), 1); // Esc never moves on
    EXPECT_EQ(log.Events, (std::vector<std::string>{"before 1,1", "cancel 1,1"}));

    log.Events.clear();
    Key(VK_F2);
    Type("x");
    Key(VK_RETURN);
    Application->ProcessMessages();
    EXPECT_EQ(Grid->Cells(1, 1), "x");
    EXPECT_EQ(Grid->Col(), 2);
    EXPECT_TRUE(Grid->EditorMode());
    ASSERT_GE(log.Events.size(), 3u);
    EXPECT_EQ(log.Events[1], "validate 1,1");
    EXPECT_EQ(log.Events[2], "after 1,1");

    // Refused, the editor stays on the cell.
    log.Accept = false;
    Type("y");
    Key(VK_RETURN);
    Application->ProcessMessages();
    EXPECT_EQ(Grid->Col(), 2);
    EXPECT_EQ(Grid->Row(), 1);
    EXPECT_TRUE(Grid->EditorMode());

    // On the last cell Enter adds a row and edits its first cell.
    log.Accept = true;
    Grid->SetCol(3);
    Grid->SetRow(4);
    Key(VK_F2);
    Key(VK_RETURN);
    Application->ProcessMessages();
    EXPECT_EQ(Grid->RowCount(), 6);
    EXPECT_EQ(Grid->Col(), 1);
    EXPECT_EQ(Grid->Row(), 5);
}

TEST_F(AligridUiTest, CopiesAndPastesARangeThroughTheClipboard) {
    const char* texts[2][3] = {{"a", "b", "c"}, {"d", "e", "f"}};
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 3; ++c)
            Grid->SetCells(1 + c, 1 + r, texts[r][c]);
    Focus();
    Grid->SetSelection({1, 1, 3, 2});
    Key(VK_INSERT, TShiftState{ssCtrl});
    EXPECT_EQ(Clipboard()->AsText(), "a\tb\tc\t\r\nd\te\tf\t\r\n");
    Grid->SetSelection({1, 3, 3, 4});
    Key(VK_INSERT, TShiftState{ssShift});
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(Grid->Cells(1 + c, 3 + r), texts[r][c]);
    // Into one selected cell only that cell takes the first field.
    Grid->SetCells(2, 3, "");
    Grid->SetSelection({2, 3, 2, 3});
    Key(VK_INSERT, TShiftState{ssShift});
    EXPECT_EQ(Grid->Cells(2, 3), "a");
    EXPECT_EQ(Grid->Cells(3, 3), "c");
    // Cut empties the range.
    Grid->SetSelection({1, 1, 2, 1});
    Key(VK_DELETE, TShiftState{ssShift});
    EXPECT_EQ(Clipboard()->AsText(), "a\tb\t\r\n");
    EXPECT_EQ(Grid->Cells(1, 1), "");
    EXPECT_EQ(Grid->Cells(3, 1), "c");
}

TEST_F(AligridUiTest, TabAndShiftEnterFollowTheirDirections) {
    TGridOptions options = Grid->Options();
    options.Include(goTabs);
    Grid->SetOptions(options);
    Focus();
    Key(VK_TAB);
    EXPECT_EQ(Grid->Col(), 2);
    Grid->SetCol(3);
    Key(VK_TAB);
    EXPECT_EQ(Grid->Col(), 1);
    EXPECT_EQ(Grid->Row(), 2);
    Key(VK_TAB, TShiftState{ssShift});
    EXPECT_EQ(Grid->Col(), 3);
    EXPECT_EQ(Grid->Row(), 1);
    // At the last cell lc_stop stays; lc_first goes back to the first cell.
    Grid->SetCol(3);
    Grid->SetRow(4);
    Grid->AfterLastCellTab = lc_stop;
    Key(VK_TAB);
    EXPECT_EQ(Grid->Col(), 3);
    EXPECT_EQ(Grid->Row(), 4);
    Grid->AfterLastCellTab = lc_first;
    Key(VK_TAB);
    EXPECT_EQ(Grid->Col(), 1);
    EXPECT_EQ(Grid->Row(), 1);
    // Shift+Enter goes the other way: down-right becomes up-left.
    Grid->AutoEditNextCell = true;
    Grid->NextCellEdit = nc_downright;
    Grid->SetCol(2);
    Grid->SetRow(3);
    Key(VK_F2);
    Key(VK_RETURN, TShiftState{ssShift});
    Application->ProcessMessages();
    EXPECT_EQ(Grid->Col(), 2);
    EXPECT_EQ(Grid->Row(), 2);
    Key(VK_RETURN);
    Application->ProcessMessages();
    EXPECT_EQ(Grid->Row(), 3);
}

TEST_F(AligridUiTest, TheEllipsisButtonAndTheFixedLinesReportClicks) {
    std::vector<std::string> seen;
    struct TRecorder : TObject {
        std::vector<std::string>* Seen;
        void Button(TObject*) { Seen->push_back("button"); }
        void FixedCol(TObject*, int c) { Seen->push_back("col " + std::to_string(c)); }
        void FixedRow(TObject*, int r) { Seen->push_back("row " + std::to_string(r)); }
    } recorder;
    recorder.Seen = &seen;
    Grid->OnEditButtonClick = TNotifyEvent(&recorder, &TRecorder::Button);
    Grid->OnFixedColClick = TColEvent(&recorder, &TRecorder::FixedCol);
    Grid->OnFixedRowClick = TRowEvent(&recorder, &TRecorder::FixedRow);
    SetGridCellControl(Grid, 1, 1, false, "", TCellControlKind::ctButton);
    Focus();
    Key(VK_F2);
    ASSERT_TRUE(Grid->EditorMode());
    EXPECT_EQ(Grid->Editor()->ButtonStyle(), 1);
    Key(VK_RETURN, TShiftState{ssAlt});
    TNewInplaceEdit* editor = Grid->Editor();
    editor->MouseClickAt(editor->Width() - 5, 5);
    editor->MouseClickAt(5, 5); // not on the button
    const TRect header = Grid->CellRect(2, 0), side = Grid->CellRect(0, 3);
    Grid->MouseClickAt(header.Left + 5, header.Top + 5);
    Grid->MouseClickAt(side.Left + 5, side.Top + 5);
    EXPECT_EQ(seen, (std::vector<std::string>{"button", "button", "col 2", "row 3"}));
    // The button at the right of the cell: the editor's while it shows (black squares of side 16 / 8 =
    // 2, 2 apart), the grid's own without it (2 x 2 dots from x + 3 at m - 2).
    TBitmap picture;
    PaintControlPicture(Grid, &picture);
    const TRect cell = Grid->CellRect(1, 1);
    const int m = cell.Top + 20;
    const int firstSquare = cell.Right - 16 + (16 - (3 * 2 + 4)) / 2;
    EXPECT_EQ(picture.Pixel(firstSquare + 4, m), ColorToRGB(clBlack));
    EXPECT_EQ(picture.Pixel(firstSquare + 2, m), ColorToRGB(clBtnFace));
    EXPECT_EQ(picture.Pixel(cell.Right - 8, cell.Top + 3), ColorToRGB(clBtnFace));
    Grid->SetEditorMode(false);
    PaintControlPicture(Grid, &picture);
    EXPECT_EQ(picture.Pixel(cell.Right - 16 + 3, m - 2), ColorToRGB(clBlack));
    EXPECT_EQ(picture.Pixel(cell.Right - 16 + 12, m - 1), ColorToRGB(clBlack));
    EXPECT_NE(picture.Pixel(cell.Right - 16 + 5, m - 2), ColorToRGB(clBlack));
}

TEST_F(AligridUiTest, LeavingTheGridValidatesAndARefusalTakesTheFocusBack) {
    auto* other = new TEdit(Form);
    other->SetParent(Form);
    other->SetBounds(0, 250, 100, 21);
    TEditLog log;
    log.Accept = false;
    Grid->OnValidateEdit = TCellEventBool(&log, &TEditLog::Validate);
    Focus();
    Key(VK_F2);
    Type("z");
    other->SetFocus();
    EXPECT_EQ(log.Events, (std::vector<std::string>{"validate 1,1"}));
    EXPECT_NE(Focused(), other);
    EXPECT_TRUE(Grid->EditUnderway());
    log.Accept = true;
    other->SetFocus();
    EXPECT_EQ(Focused(), other);
    EXPECT_EQ(Grid->Cells(1, 1), "z");
}

TEST_F(AligridUiTest, CellHintsShowTheCellsTextUnlessVetoed) {
    Grid->SetShowHint(true);
    Grid->SetHint("grid");
    Grid->SetHintCell(2, 1, "cell hint");
    struct TVeto : TObject {
        void Show(TObject*, int c, int, AnsiString& text, bool& canShow, THintInfo&) {
            if (c == 3) canShow = false;
            text += "!";
        }
    } veto;
    Grid->OnShowHintCell = TShowHintCellProc(&veto, &TVeto::Show);
    Focus();
    auto hintAt = [&](int col, int row) {
        const TRect r = Grid->CellRect(col, row);
        Grid->Perform(WM_MOUSEMOVE, 0, MakeLParam(r.Left + 3, r.Top + 3));
        AnsiString shown;
        return Application->ActivateHint(Grid, &shown) ? shown : AnsiString("(none)");
    };
    EXPECT_EQ(hintAt(2, 1), "cell hint!");
    EXPECT_EQ(hintAt(1, 1), "grid!");
    EXPECT_EQ(hintAt(3, 1), "(none)");
    Grid->ShowCellHints = false;
    EXPECT_EQ(hintAt(2, 1), "grid");
}

TEST_F(AligridUiTest, TheLastColumnFillsTheWidthAndNeverGoesNegative) {
    Grid->SetAutoAdjustLastCol(true);
    const int lines = Grid->ColCount() * Grid->GridLineWidth();
    EXPECT_EQ(Grid->ColWidths(3), Grid->ClientWidth() - 3 * 80 - lines);
    Grid->SetColWidths(0, 400);
    const int before = Grid->ColWidths(3);
    Grid->SetAutoAdjustLastCol(true);
    EXPECT_EQ(Grid->ColWidths(3), before);
    EXPECT_GE(Grid->ColWidths(3), 0);
}

} // namespace
