#pragma once
// Grids: the cell model (axes with their sizes, the string cells) and the grid controls.
#include <vector>

#include "classlib/objects/object.h"
#include "classlib/rtl/types.h"

// One axis of a grid: how many columns (or rows) it has, how many of them are fixed, and their sizes.
// A size left at -1 follows the default size.
class TGridAxis {
public:
    explicit TGridAxis(int count = 5, int fixedCount = 1, int defaultSize = 24)
        : FCount(count), FFixedCount(fixedCount), FDefaultSize(defaultSize) {}

    int Count() const { return FCount; }
    // Counts below 0 become 0; the fixed count follows so that it stays below the count, as the grid
    // needs one scrolling row or column when there are any.
    void SetCount(int value);
    int FixedCount() const { return FFixedCount; }
    // False when the value does not leave a scrolling item (the grid's "Fixed ... must be less" rule).
    bool SetFixedCount(int value);
    int DefaultSize() const { return FDefaultSize; }
    // Changing the default resets every size to it, as the class library does.
    void SetDefaultSize(int value);
    int Size(int index) const;
    void SetSize(int index, int value);
    bool HasCustomSizes() const;
    void Move(int from, int to);
    // Offset of item index from the first one, with lineWidth between items.
    int Offset(int index, int lineWidth) const;
    int Extent(int lineWidth) const { return Offset(FCount, lineWidth); }

private:
    int FCount;
    int FFixedCount;
    int FDefaultSize;
    std::vector<int> FSizes; // -1: the default
};

// The text and object of every cell of a string grid, kept as rows of columns.
class TStringGridCells {
public:
    TStringGridCells(int colCount = 5, int rowCount = 5) { Resize(colCount, rowCount); }

    int ColCount() const { return FColCount; }
    int RowCount() const { return static_cast<int>(FRows.size()); }
    // Growing adds empty cells, shrinking drops the cells beyond; the rest keep their values.
    void Resize(int colCount, int rowCount);
    // Reads outside the grid answer "" and nullptr; writes outside the grid are ignored.
    AnsiString Cell(int col, int row) const;
    void SetCell(int col, int row, const AnsiString& value);
    TObject* Object(int col, int row) const;
    void SetObject(int col, int row, TObject* value);
    void MoveRow(int from, int to);
    void MoveCol(int from, int to);
    void ClearRow(int row);
    void ClearCol(int col);

private:
    struct TCell {
        AnsiString Text;
        TObject* Object = nullptr;
    };
    bool Inside(int col, int row) const {
        return col >= 0 && row >= 0 && col < FColCount && row < static_cast<int>(FRows.size());
    }
    int FColCount = 0;
    std::vector<std::vector<TCell>> FRows;
};
