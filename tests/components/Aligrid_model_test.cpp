// The aligned grid's property model: the precedence of cell, column, row and grid settings, the
// on-demand records, the control infos, and inserting, removing and moving lines with their records.
#include <gtest/gtest.h>

#include "components/Aligrid.h"

namespace {

class AligridModelTest : public ::testing::Test {
protected:
    AligridModelTest() {
        Form = new TForm(Application);
        Grid = new TStringAlignGrid(Form);
        Grid->SetParent(Form);
    }
    ~AligridModelTest() override { Form->Free(); }
    TForm* Form;
    TStringAlignGrid* Grid;
};

TEST_F(AligridModelTest, AFreshGridResolvesEveryCellToTheGridDefaults) {
    EXPECT_EQ(Grid->GetAlignCell(2, 2), TMyAlign::alLeft);
    EXPECT_EQ(Grid->GetWordwrapCell(2, 2), T_Wordwrap::ww_none);
    EXPECT_TRUE(Grid->GetEditableCell(2, 2));
    EXPECT_EQ(Grid->GetCellFont(2, 2), Grid->Font());
    EXPECT_EQ(Grid->GetCellFont(0, 2), Grid->FixedFont());
    EXPECT_EQ(Grid->GetCellColor(0, 0), clBtnFace);
    EXPECT_EQ(Grid->GetCellColor(2, 2), Grid->Color());
    EXPECT_EQ(Grid->GetSelectedCellColor(2, 2), clActiveCaption);
    EXPECT_EQ(Grid->GetSelectedFontColorCell(2, 2), clWhite);
    Grid->SetAlignment(TMyAlign::alDefault);
    Grid->SetWordwrap(T_Wordwrap::ww_default);
    EXPECT_EQ(Grid->GetAlignCell(2, 2), TMyAlign::alLeft);
    EXPECT_EQ(Grid->GetWordwrapCell(2, 2), T_Wordwrap::ww_none);
    Grid->SetFixedColor(clYellow);
    EXPECT_EQ(Grid->GetCellColor(0, 3), clYellow);
    // Nothing was created by asking.
    EXPECT_EQ(Grid->CellPropsOf(2, 2), nullptr);
    EXPECT_EQ(Grid->ColPropsOf(2), nullptr);
}

// Which source wins for a normal cell (2, 2) and a fixed cell (2, 0) of column 2 and row 0 or 2.
TEST_F(AligridModelTest, PrecedenceOfCellColumnRowAndGrid) {
    struct Case {
        const char* What;
        std::function<void(TStringAlignGrid*)> Set;
        int Col, Row;
        TMyAlign Align;
    } cases[] = {
        {"cell over column",
         [](auto* g) { g->SetAlignCell(2, 2, TMyAlign::alRight), g->SetAlignCol(2, TMyAlign::alCenter); }, 2,
         2, TMyAlign::alRight},
        {"column over row",
         [](auto* g) { g->SetAlignCol(2, TMyAlign::alCenter), g->SetAlignRow(2, TMyAlign::alRight); }, 2, 2,
         TMyAlign::alCenter},
        {"row over grid",
         [](auto* g) { g->SetAlignRow(2, TMyAlign::alRight), g->SetAlignment(TMyAlign::alCenter); }, 2, 2,
         TMyAlign::alRight},
        {"column does not reach the fixed cell", [](auto* g) { g->SetAlignCol(2, TMyAlign::alRight); }, 2, 0,
         TMyAlign::alLeft},
        {"fixed column reaches it", [](auto* g) { g->SetFixedAlignCol(2, TMyAlign::alRight); }, 2, 0,
         TMyAlign::alRight},
        {"fixed column does not reach a normal cell",
         [](auto* g) { g->SetFixedAlignCol(2, TMyAlign::alRight); }, 2, 2, TMyAlign::alLeft},
        {"fixed row", [](auto* g) { g->SetFixedAlignRow(0, TMyAlign::alCenter); }, 2, 0, TMyAlign::alCenter},
        {"cleared cell falls through",
         [](auto* g) {
             g->SetAlignCell(2, 2, TMyAlign::alRight), g->SetAlignRow(2, TMyAlign::alCenter),
                 g->ClearAlignCell(2, 2);
         },
         2, 2, TMyAlign::alCenter},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.What);
        auto* grid = new TStringAlignGrid(Form);
        c.Set(grid);
        EXPECT_EQ(grid->GetAlignCell(c.Col, c.Row), c.Align);
        grid->Free();
    }
}

TEST_F(AligridModelTest, MasksSelectedColoursAndControlsIgnoreTheFixedLists) {
    Grid->GetColProps(2)->EditMask = "000";
    EXPECT_EQ(Grid->GetCellEditMask(2, 0), "000"); // the column's mask reaches its fixed cell
    Grid->SetSelectedColorCol(2, clRed);
    EXPECT_EQ(Grid->GetSelectedCellColor(2, 0), clRed);
    Grid->GetFixedColProps(3)->EditMask = "999";
    EXPECT_EQ(Grid->GetCellEditMask(3, 0), "");
    // Editability: cell, then column, then row, then the grid.
    Grid->SetEditRow(3, false);
    EXPECT_FALSE(Grid->GetEditableCell(1, 3));
    Grid->SetEditCol(1, true);
    EXPECT_TRUE(Grid->GetEditableCell(1, 3));
    Grid->SetEditCell(1, 3, false);
    EXPECT_FALSE(Grid->GetEditableCell(1, 3));
    Grid->ClearEditCell(1, 3);
    EXPECT_TRUE(Grid->GetEditableCell(1, 3));
    Grid->SetEditable(false);
    EXPECT_FALSE(Grid->GetEditableCell(4, 4));
}

TEST_F(AligridModelTest, OnDemandFontsAndBrushesCopyTheirSource) {
    Grid->Font()->SetName("Arial");
    Grid->FixedFont()->SetName("Courier");
    TFont* cell = Grid->FontCell(2, 2);
    EXPECT_EQ(cell->Name(), "Arial");
    EXPECT_FALSE(static_cast<TMyFont*>(cell)->Modified);
    // The fixed records start from the fixed font, not the grid's.
    EXPECT_EQ(Grid->FontFixedCol(1)->Name(), "Courier");
    EXPECT_EQ(Grid->FontFixedRow(0)->Name(), "Courier");
    cell->SetStyle(TFontStyles{fsBold});
    EXPECT_TRUE(static_cast<TMyFont*>(cell)->Modified);
    EXPECT_EQ(Grid->GetCellFont(2, 2), cell);
    Grid->BrushCol(3)->SetColor(clLime);
    EXPECT_EQ(Grid->GetCellColor(3, 4), clLime);
    EXPECT_EQ(Grid->GetCellColor(3, 0), clBtnFace); // a column brush does not reach the fixed cell
    Grid->BrushFixedCol(3)->SetColor(clAqua);
    EXPECT_EQ(Grid->GetCellColor(3, 0), clAqua);
    Grid->ClearFontCell(2, 2);
    EXPECT_EQ(Grid->GetCellFont(2, 2), Grid->Font());
}

TEST_F(AligridModelTest, ControlInfoKeepsOnlyWhatItsKindUses) {
    TControlInfo info;
    info.SetText("ignored");
    EXPECT_EQ(info.Text(), "");
    info.SetKind(TCellControlKind::ctText);
    info.SetText("kept");
    info.SetKind(TCellControlKind::ctButton);
    EXPECT_EQ(info.Text(), "kept");
    info.SetKind(TCellControlKind::ctCheckBox);
    EXPECT_EQ(info.Text(), "");
    info.SetCheckedText("Y");
    info.SetKind(TCellControlKind::ctPickList);
    ASSERT_NE(info.PickList(), nullptr);
    EXPECT_EQ(info.CheckedText(), "");
    info.SetKind(TCellControlKind::ctNone);
    EXPECT_EQ(info.PickList(), nullptr);

    SetGridCellControl(Grid, 2, 2, false, "是;否", TCellControlKind::ctCheckBox);
    EXPECT_EQ(Grid->GetCellControlInfo(2, 2)->CheckedText(), "是");
    EXPECT_EQ(Grid->GetCellControlInfo(2, 2)->UncheckedText(), "否");
    SetGridCellControl(Grid, 3, 2, false, "yes", TCellControlKind::ctCheckBox);
    EXPECT_EQ(Grid->GetCellControlInfo(3, 2)->CheckedText(), "");
    EXPECT_EQ(Grid->GetCellControlInfo(3, 2)->UncheckedText(), "");
    Grid->SetCells(2, 2, "maybe");
    EXPECT_EQ(GetGridCellText(Grid, 2, 2), "否"); // neither text: the unchecked one
    Grid->SetCells(2, 2, "是");
    EXPECT_EQ(GetGridCellText(Grid, 2, 2), "是");

    // A ctNone control of a cell does not hide its column's.
    SetGridCellControl(Grid, 4, -1, true, "A\r\nB", TCellControlKind::ctPickList);
    Grid->GetCellControl(4, 3);
    ASSERT_NE(Grid->GetCellPickList(4, 3), nullptr);
    EXPECT_TRUE(Grid->GetCellPickList(4, 3)->ListOnly);
    EXPECT_EQ(Grid->GetCellPickList(4, 3)->Count(), 2);
    EXPECT_FALSE(Grid->IsCheckCell(4, 3));
    SetGridCellControl(Grid, -1, -1, false, "x", TCellControlKind::ctButton); // nothing at all
}

TEST_F(AligridModelTest, EmptinessAndClearing) {
    TCellProperties* p = Grid->GetCellProps(1, 1);
    EXPECT_TRUE(p->IsEmpty());
    // Only asking for a control makes a ctNone one: still nothing to keep.
    Grid->GetCellControl(1, 1);
    EXPECT_TRUE(p->IsEmpty());
    SetGridCellControl(Grid, 1, 1, false, "", TCellControlKind::ctButton);
    EXPECT_FALSE(p->IsEmpty());
    std::unique_ptr<TCellProperties> copy(p->Clone());
    EXPECT_EQ(copy->ControlInfo()->Kind(), TCellControlKind::ctButton);
    Grid->SetAlignCell(1, 1, TMyAlign::alRight);
    Grid->FontCell(1, 1);
    Grid->ResetCellProps(1, 1);
    EXPECT_TRUE(p->IsEmpty());
    EXPECT_EQ(Grid->GetCellProps(1, 1), p); // the record stays
}

TEST_F(AligridModelTest, HintsFallBackToTheGridHint) {
    Grid->SetHint("grid");
    Grid->SetHintCell(2, 3, "cell");
    EXPECT_EQ(Grid->GetHintCell(2, 3), "cell");
    EXPECT_EQ(Grid->GetHintCell(3, 3), "grid");
}

// Each line's record, hint and text in a grid of 5 x 5 before and after a change of its shape.
class AligridShapeTest : public AligridModelTest {
protected:
    void Mark(int col, int row) {
        Grid->SetCells(col, row, Text(col, row));
        Grid->SetAlignCell(col, row, TMyAlign::alRight);
        Grid->SetHintCell(col, row, "h" + Text(col, row));
    }
    static AnsiString Text(int col, int row) { return std::to_string(col) + "," + std::to_string(row); }
};

TEST_F(AligridShapeTest, InsertingAColumnShiftsEveryListOnce) {
    Mark(2, 2);
    Grid->SetAlignCol(2, TMyAlign::alCenter);
    Grid->SetFixedAlignCol(2, TMyAlign::alCenter);
    Grid->SetAlignCol(3, TMyAlign::alRight);
    Grid->InsertCol(2);
    EXPECT_EQ(Grid->ColCount(), 6);
    EXPECT_EQ(Grid->Cells(3, 2), "2,2");
    EXPECT_EQ(Grid->Cells(2, 2), "");
    EXPECT_EQ(Grid->GetAlignCell(3, 2), TMyAlign::alRight); // the cell's record came along
    EXPECT_EQ(Grid->GetHintCell(3, 2), "h2,2");
    EXPECT_EQ(Grid->ColPropsOf(2), nullptr);
    EXPECT_EQ(Grid->ColPropsOf(3)->Align, TMyAlign::alCenter);
    EXPECT_EQ(Grid->ColPropsOf(4)->Align, TMyAlign::alRight);
    EXPECT_EQ(Grid->FixedColPropsOf(3)->Align, TMyAlign::alCenter); // in step with the others
    EXPECT_EQ(Grid->FixedColPropsOf(2), nullptr);
    // A column inserted before the fixed ones goes after them.
    Grid->InsertCol(0);
    EXPECT_EQ(Grid->Cells(4, 2), "2,2");
}

TEST_F(AligridShapeTest, InsertingAndRemovingRows) {
    Mark(1, 2);
    Mark(1, 3);
    Grid->SetAlignRow(3, TMyAlign::alCenter);
    Grid->SetFixedAlignRow(3, TMyAlign::alCenter);
    Grid->InsertRow(2);
    EXPECT_EQ(Grid->RowCount(), 6);
    EXPECT_EQ(Grid->Cells(1, 3), "1,2");
    EXPECT_EQ(Grid->Cells(1, 4), "1,3");
    EXPECT_EQ(Grid->RowPropsOf(4)->Align, TMyAlign::alCenter);
    EXPECT_EQ(Grid->FixedRowPropsOf(4)->Align, TMyAlign::alCenter);
    EXPECT_EQ(Grid->CellPropsOf(1, 2), nullptr);
    Grid->RemoveRow(3);
    EXPECT_EQ(Grid->RowCount(), 5);
    EXPECT_EQ(Grid->Cells(1, 3), "1,3");
    EXPECT_EQ(Grid->GetHintCell(1, 3), "h1,3");
    EXPECT_EQ(Grid->RowPropsOf(3)->Align, TMyAlign::alCenter);
    EXPECT_EQ(Grid->FixedRowPropsOf(3)->Align, TMyAlign::alCenter);
    Grid->RemoveRow(0); // fixed: nothing
    Grid->RemoveRow(9);
    EXPECT_EQ(Grid->RowCount(), 5);
}

TEST_F(AligridShapeTest, RemovingTheOnlyScrollingRowKeepsTheRow) {
    Grid->SetRowCount(2);
    Mark(1, 1);
    Grid->RemoveRow(1);
    EXPECT_EQ(Grid->RowCount(), 2);
    EXPECT_EQ(Grid->Cells(1, 1), "");
    EXPECT_EQ(Grid->CellPropsOf(1, 1), nullptr);
    EXPECT_FALSE(Grid->HasCellHint(1, 1));
}

TEST_F(AligridShapeTest, MovingLinesCarriesTheirRecords) {
    Mark(1, 1);
    Grid->SetAlignRow(1, TMyAlign::alCenter);
    Grid->MoveRow(1, 3);
    EXPECT_EQ(Grid->Cells(1, 3), "1,1");
    EXPECT_EQ(Grid->GetAlignCell(1, 3), TMyAlign::alRight);
    EXPECT_EQ(Grid->RowPropsOf(3)->Align, TMyAlign::alCenter);
    EXPECT_EQ(Grid->RowPropsOf(1), nullptr);
    Mark(4, 2);
    Grid->SetAlignCol(4, TMyAlign::alCenter);
    Grid->MoveColumn(4, 1);
    EXPECT_EQ(Grid->Cells(1, 2), "4,2");
    EXPECT_EQ(Grid->GetHintCell(1, 2), "h4,2");
    EXPECT_EQ(Grid->ColPropsOf(1)->Align, TMyAlign::alCenter);
    EXPECT_EQ(Grid->GetAlignCell(2, 3), TMyAlign::alRight); // the old column 1 moved right
}

TEST_F(AligridShapeTest, SortingMovesRecordsHintsAndObjectsWithTheTexts) {
    const char* texts[] = {"pear", "apple", "fig"};
    for (int i = 0; i < 3; ++i) {
        Grid->SetCells(1, 1 + i, texts[i]);
        Grid->SetCells(2, 1 + i, std::to_string(i));
        Grid->SetHintCell(2, 1 + i, texts[i]);
    }
    Grid->SetRowCount(4);
    Grid->SetAlignCell(3, 1, TMyAlign::alCenter); // with "pear"
    TObject marker;
    Grid->SetObjects(3, 3, &marker); // with "fig"
    Grid->SortColRow(1, 1, 3, true, false);
    EXPECT_EQ(Grid->Cells(1, 1), "apple");
    EXPECT_EQ(Grid->Cells(1, 2), "fig");
    EXPECT_EQ(Grid->Cells(1, 3), "pear");
    EXPECT_EQ(Grid->Cells(2, 3), "0");
    EXPECT_EQ(Grid->GetHintCell(2, 3), "pear");
    EXPECT_EQ(Grid->GetAlignCell(3, 3), TMyAlign::alCenter);
    EXPECT_EQ(Grid->Objects(3, 2), &marker);
    Grid->SortColRow(1, 1, 3, true, true);
    EXPECT_EQ(Grid->Cells(1, 1), "pear");
    EXPECT_EQ(Grid->Cells(1, 3), "apple");
    // Many equal and sorted keys: the scans stay inside the range.
    Grid->SetRowCount(40);
    for (int r = 1; r < 40; ++r)
        Grid->SetCells(1, r, r % 3 == 0 ? "b" : "a");
    Grid->SortColRow(1, 1, 39, true, false);
    for (int r = 1; r < 39; ++r)
        EXPECT_LE(Grid->Cells(1, r), Grid->Cells(1, r + 1));
}

TEST_F(AligridModelTest, NextCellDirectionsAndEndRules) {
    Grid->SetColCount(3); // columns 1..2, rows 1..4
    struct Case {
        T_nextcell Dir;
        T_lastcell Rule;
        int Col, Row, ToCol, ToRow;
    } cases[] = {
        {nc_rightdown, lc_stop, 1, 1, 2, 1},   {nc_rightdown, lc_stop, 2, 1, 1, 2},
        {nc_rightdown, lc_stop, 2, 4, -1, -1}, {nc_rightdown, lc_first, 2, 4, 1, 1},
        {nc_downright, lc_first, 2, 4, 1, 1},  {nc_leftup, lc_first, 1, 1, 2, 4},
        {nc_upleft, lc_stop, 1, 1, -1, -1},    {nc_rightup, lc_first, 2, 1, 1, 4},
        {nc_downleft, lc_stop, 2, 4, 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.Dir << " " << c.Rule << " " << c.Col << "," << c.Row);
        TGridCoord at = Grid->NextCell(c.Col, c.Row, c.Dir, c.Rule);
        EXPECT_EQ(at.X, c.ToCol);
        EXPECT_EQ(at.Y, c.ToRow);
    }
    bool added = false;
    TGridCoord at = Grid->NextCell(2, 4, nc_rightdown, lc_newcolrow, &added);
    EXPECT_TRUE(added);
    EXPECT_EQ(Grid->RowCount(), 6);
    EXPECT_EQ(at.X, 1);
    EXPECT_EQ(at.Y, 5);
    Grid->SetEditCol(2, false);
    at = Grid->NextEditableCell(1, 1);
    EXPECT_EQ(at.X, 1);
    EXPECT_EQ(at.Y, 2);
}

} // namespace
