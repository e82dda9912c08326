#include <gtest/gtest.h>

#include "classlib/controls/grids.h"

namespace {

TEST(GridAxis, SizesFollowTheDefaultUntilSet) {
    TGridAxis axis(5, 1, 24);
    axis.SetSize(2, 40);
    EXPECT_EQ(axis.Size(1), 24);
    EXPECT_EQ(axis.Size(2), 40);
    EXPECT_EQ(axis.Size(9), 0);
    EXPECT_EQ(axis.Offset(3, 1), 24 + 1 + 24 + 1 + 40 + 1);
    EXPECT_EQ(axis.Extent(1), 24 * 4 + 40 + 5);
    axis.Move(2, 0);
    EXPECT_EQ(axis.Size(0), 40);
    EXPECT_EQ(axis.Size(2), 24);
    EXPECT_TRUE(axis.HasCustomSizes());
    axis.SetDefaultSize(30);
    EXPECT_EQ(axis.Size(0), 30);
    EXPECT_FALSE(axis.HasCustomSizes());
}

TEST(GridAxis, FixedCountStaysBelowCount) {
    TGridAxis axis(5, 1, 24);
    EXPECT_FALSE(axis.SetFixedCount(5));
    EXPECT_FALSE(axis.SetFixedCount(-1));
    EXPECT_TRUE(axis.SetFixedCount(4));
    axis.SetCount(3);
    EXPECT_EQ(axis.FixedCount(), 2);
    axis.SetCount(-4);
    EXPECT_EQ(axis.Count(), 0);
    EXPECT_EQ(axis.FixedCount(), 0);
    EXPECT_TRUE(axis.SetFixedCount(0));
}

TEST(StringGridCells, ResizeKeepsCellsAndMovesCarryThem) {
    TStringGridCells cells(3, 3);
    cells.SetCell(1, 1, "b");
    cells.SetCell(2, 0, "c");
    cells.SetCell(7, 7, "outside");
    EXPECT_EQ(cells.Cell(7, 7), "");
    EXPECT_EQ(cells.Cell(-1, 0), "");
    cells.Resize(4, 5);
    EXPECT_EQ(cells.Cell(1, 1), "b");
    EXPECT_EQ(cells.Cell(3, 4), "");
    cells.MoveRow(1, 3);
    EXPECT_EQ(cells.Cell(1, 3), "b");
    EXPECT_EQ(cells.Cell(1, 1), "");
    cells.MoveCol(2, 0);
    EXPECT_EQ(cells.Cell(0, 0), "c");
    cells.Resize(1, 1);
    EXPECT_EQ(cells.Cell(0, 0), "c");
    EXPECT_EQ(cells.Cell(1, 3), "");
    cells.ClearRow(0);
    EXPECT_EQ(cells.Cell(0, 0), "");
}

} // namespace
