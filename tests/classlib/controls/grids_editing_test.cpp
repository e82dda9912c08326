// String grids on a form: the in-place editor, moving with keys, the virtuals a descendant overrides,
// cell geometry and the grid's rows in the form's dump.
#include <gtest/gtest.h>

#include "classlib/controls/grids.h"

namespace {

// A grid that records the virtuals it is asked through.
class TRecordingGrid : public TStringGrid {
    KVR_CLASS(TRecordingGrid, TStringGrid)
public:
    explicit TRecordingGrid(TComponent* owner) : TStringGrid(owner) {}
    std::vector<AnsiString> Calls;
    int RefuseCol = -1;
    AnsiString MaskOfCol2;
    void SetEditText(int col, int row, const AnsiString& value) override {
        Calls.push_back("set " + std::to_string(col) + "," + std::to_string(row) + "=" + value);
        TStringGrid::SetEditText(col, row, value);
    }
    bool SelectCell(int col, int row) override {
        return col != RefuseCol && TStringGrid::SelectCell(col, row);
    }
    AnsiString GetEditMask(int col, int) override { return col == 2 ? MaskOfCol2 : AnsiString(); }
    void TopLeftChanged() override {
        Calls.push_back("topleft " + std::to_string(LeftCol()) + "," + std::to_string(TopRow()));
        TStringGrid::TopLeftChanged();
    }
    void RowMoved(int from, int to) override {
        Calls.push_back("rowmoved " + std::to_string(from) + ">" + std::to_string(to));
        TStringGrid::RowMoved(from, to);
    }
};

} // namespace

KVR_PUBLISHED(TRecordingGrid, c) {
    (void)c;
}

namespace {

class GridTest : public ::testing::Test {
protected:
    GridTest() {
        Form = new TForm(Application);
        Form->SetBounds(0, 0, 500, 300);
        Grid = new TRecordingGrid(Form);
        Grid->SetName("sgLines");
        Grid->SetParent(Form);
        Grid->SetBounds(0, 0, 400, 200);
        Grid->SetColCount(4);
        Grid->SetRowCount(6);
        TGridOptions options = Grid->Options();
        options.Include(goEditing);
        options.Include(goTabs);
        Grid->SetOptions(options);
        Form->Show();
        Grid->HandleNeeded();
        Grid->SetFocus();
    }
    ~GridTest() override { Form->Free(); }
    TForm* Form;
    TRecordingGrid* Grid;
};

TEST_F(GridTest, TypingIntoACellGoesThroughTheInplaceEditor) {
    EXPECT_EQ(Grid->Col(), 1);
    EXPECT_EQ(Grid->Row(), 1);
    PressKey(Grid, 'A', TShiftState());
    ASSERT_TRUE(Grid->EditorMode());
    EXPECT_EQ(Form->FocusedControl(), Grid->InplaceEditor());
    PressKey(Grid->InplaceEditor(), 'B', TShiftState());
    EXPECT_EQ(Grid->Cells(1, 1), "ab");
    EXPECT_EQ(Grid->Calls, (std::vector<AnsiString>{"set 1,1=a", "set 1,1=ab"}));
    // Down moves to the next row and keeps editing there; Tab moves to the next column.
    PressKey(Grid->InplaceEditor(), VK_DOWN, TShiftState());
    EXPECT_EQ(Grid->Row(), 2);
    EXPECT_TRUE(Grid->EditorMode());
    EXPECT_EQ(Form->FocusedControl(), Grid->InplaceEditor());
    PressKey(Grid->InplaceEditor(), 'X', TShiftState());
    EXPECT_EQ(Grid->InplaceEditor()->Text(), "x");
    PressKey(Grid->InplaceEditor(), VK_TAB, TShiftState());
    EXPECT_EQ(Grid->Col(), 2);
    EXPECT_EQ(Grid->Cells(1, 2), "x");
    // Esc gives the cell back its text and leaves the editor.
    PressKey(Grid->InplaceEditor(), 'Q', TShiftState());
    EXPECT_EQ(Grid->Cells(2, 2), "q");
    Grid->HideEditor(); // writes the editor's text back
    EXPECT_EQ(Grid->Cells(2, 2), "q");
    Grid->SetCells(2, 2, "orig");
    PressKey(Grid, VK_F2, TShiftState());
    EXPECT_EQ(Grid->InplaceEditor()->Text(), "orig");
    PressKey(Grid->InplaceEditor(), 'Z', TShiftState());
    PressKey(Grid->InplaceEditor(), VK_ESCAPE, TShiftState());
    EXPECT_FALSE(Grid->EditorMode());
    EXPECT_EQ(Grid->Cells(2, 2), "orig");
    EXPECT_EQ(Form->FocusedControl(), Grid);
    // Tab at the last column wraps to the next row's first scrolling column.
    Grid->SetCol(3);
    PressKey(Grid, VK_TAB, TShiftState());
    EXPECT_EQ(Grid->Col(), 1);
    EXPECT_EQ(Grid->Row(), 3);
}

TEST_F(GridTest, SelectCellRefusesAndTheEditorTakesTheMask) {
    Grid->RefuseCol = 2;
    PressKey(Grid, VK_RIGHT, TShiftState());
    EXPECT_EQ(Grid->Col(), 1);
    Grid->RefuseCol = -1;
    Grid->MaskOfCol2 = "000;0;_";
    Grid->SetCol(2);
    PressKey(Grid, '1', TShiftState());
    PressKey(Grid->InplaceEditor(), 'X', TShiftState()); // refused by the mask
    PressKey(Grid->InplaceEditor(), '2', TShiftState());
    EXPECT_EQ(Grid->InplaceEditor()->EditText(), "12_");
    EXPECT_EQ(Grid->Cells(2, 1), "12");
    // Without goEditing, typing edits nothing.
    TGridOptions options = Grid->Options();
    options.Exclude(goEditing);
    Grid->SetOptions(options);
    EXPECT_FALSE(Grid->EditorMode());
    PressKey(Grid, '9', TShiftState());
    EXPECT_EQ(Grid->Cells(2, 1), "12");
}

TEST_F(GridTest, GeometryScrollingAndMovedRows) {
    Grid->SetColWidths(1, 100);
    EXPECT_EQ(Grid->CellRect(0, 0), (TRect{0, 0, 64, 24}));
    EXPECT_EQ(Grid->CellRect(1, 1), (TRect{65, 25, 165, 49}));
    EXPECT_EQ(Grid->CellRect(2, 1).Left, 166);
    int col = 0, row = 0;
    Grid->MouseToCell(170, 30, col, row);
    EXPECT_EQ(col, 2);
    EXPECT_EQ(row, 1);
    Grid->MouseToCell(1000, 30, col, row);
    EXPECT_EQ(col, -1);
    Grid->MouseClickAt(170, 30);
    EXPECT_EQ(Grid->Col(), 2);
    // 200 pixels show the fixed row and 7 more rows of 25; with 20 rows the last ones scroll in.
    Grid->SetRowCount(20);
    EXPECT_EQ(Grid->VisibleRowCount(), 7);
    Grid->SetRow(12);
    EXPECT_EQ(Grid->TopRow(), 6);
    EXPECT_EQ(Grid->Calls.back(), "topleft 1,6");
    EXPECT_EQ(Grid->CellRect(2, 3), TRect());
    EXPECT_EQ(Grid->CellRect(2, 6).Top, 25);
    Grid->SetCells(0, 3, "third");
    Grid->MoveRow(3, 5);
    EXPECT_EQ(Grid->Cells(0, 5), "third");
    EXPECT_EQ(Grid->Calls.back(), "rowmoved 3>5");
    Grid->SetRowCount(2);
    EXPECT_EQ(Grid->Row(), 1);
    EXPECT_THROW(Grid->SetFixedRows(2), EInvalidGridOperation);
}

TEST_F(GridTest, RowsAndColumnsAsStringsAndTheDump) {
    Grid->SetColCount(3);
    Grid->SetRowCount(2);
    Grid->Rows(0)->SetCommaText("No,Name,Qty");
    Grid->Cols(1)->Put(1, "张三");
    EXPECT_EQ(Grid->Cells(2, 0), "Qty");
    EXPECT_EQ(Grid->Cols(1)->Get(1), "张三");
    EXPECT_EQ(Grid->Rows(1)->Count(), 3);
    AnsiString dump = DumpControl(Grid);
    EXPECT_NE(dump.find("| No | Name | Qty |"), AnsiString::npos) << dump;
    EXPECT_NE(dump.find("|  | 张三 |  |"), AnsiString::npos) << dump;
}

TEST_F(GridTest, DrawCellPaintsTheCellsText) {
    Grid->SetCells(1, 1, "X");
    struct TCellRecorder : TObject {
        std::vector<std::pair<int, int>> Cells;
        void Draw(TObject*, int col, int row, TRect, TGridDrawState state) {
            if (state.Contains(gdFocused)) Cells.push_back({col, row});
        }
    } rec;
    Grid->SetOnDrawCell(TDrawCellEvent(&rec, &TCellRecorder::Draw));
    TBitmap picture;
    PaintControlPicture(Grid, &picture);
    EXPECT_EQ(rec.Cells, (std::vector<std::pair<int, int>>{{1, 1}}));
    TRect cell = Grid->CellRect(1, 1);
    bool inked = false;
    for (int x = cell.Left; x < cell.Right; ++x)
        for (int y = cell.Top; y < cell.Bottom; ++y)
            if (picture.Pixel(x, y) == ColorToRGB(clWindowText) ||
                picture.Pixel(x, y) == ColorToRGB(clHighlightText))
                inked = true;
    EXPECT_TRUE(inked);
    EXPECT_EQ(picture.Pixel(2, 2), ColorToRGB(clBtnFace)); // the fixed colour
}

} // namespace
