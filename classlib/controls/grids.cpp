#include "classlib/controls/grids.h"

#include <algorithm>

namespace {

template <class T> void MoveItem(std::vector<T>& items, int from, int to) {
    int n = static_cast<int>(items.size());
    if (from < 0 || to < 0 || from >= n || to >= n || from == to) return;
    T item = std::move(items[static_cast<size_t>(from)]);
    items.erase(items.begin() + from);
    items.insert(items.begin() + to, std::move(item));
}

} // namespace

void TGridAxis::SetCount(int value) {
    if (value < 0) value = 0;
    FCount = value;
    if (FSizes.size() > static_cast<size_t>(value)) FSizes.resize(static_cast<size_t>(value));
    if (FFixedCount >= FCount) FFixedCount = FCount > 0 ? FCount - 1 : 0;
}

bool TGridAxis::SetFixedCount(int value) {
    if (value < 0 || (value > 0 && value >= FCount)) return false;
    FFixedCount = value;
    return true;
}

void TGridAxis::SetDefaultSize(int value) {
    FDefaultSize = value < 0 ? 0 : value;
    FSizes.clear();
}

int TGridAxis::Size(int index) const {
    if (index < 0 || index >= FCount) return 0;
    if (static_cast<size_t>(index) < FSizes.size() && FSizes[static_cast<size_t>(index)] >= 0)
        return FSizes[static_cast<size_t>(index)];
    return FDefaultSize;
}

void TGridAxis::SetSize(int index, int value) {
    if (index < 0 || index >= FCount) return;
    if (value < 0) value = 0;
    if (FSizes.size() <= static_cast<size_t>(index)) FSizes.resize(static_cast<size_t>(index) + 1, -1);
    FSizes[static_cast<size_t>(index)] = value;
}

bool TGridAxis::HasCustomSizes() const {
    return std::any_of(FSizes.begin(), FSizes.end(), [this](int s) { return s >= 0 && s != FDefaultSize; });
}

void TGridAxis::Move(int from, int to) {
    if (FSizes.empty()) return;
    FSizes.resize(static_cast<size_t>(FCount), -1);
    MoveItem(FSizes, from, to);
}

int TGridAxis::Offset(int index, int lineWidth) const {
    int result = 0;
    for (int i = 0; i < index && i < FCount; ++i) result += Size(i) + lineWidth;
    return result;
}

void TStringGridCells::Resize(int colCount, int rowCount) {
    FColCount = std::max(0, colCount);
    FRows.resize(static_cast<size_t>(std::max(0, rowCount)));
    for (auto& row : FRows) row.resize(static_cast<size_t>(FColCount));
}

AnsiString TStringGridCells::Cell(int col, int row) const {
    return Inside(col, row) ? FRows[static_cast<size_t>(row)][static_cast<size_t>(col)].Text : AnsiString();
}

void TStringGridCells::SetCell(int col, int row, const AnsiString& value) {
    if (Inside(col, row)) FRows[static_cast<size_t>(row)][static_cast<size_t>(col)].Text = value;
}

TObject* TStringGridCells::Object(int col, int row) const {
    return Inside(col, row) ? FRows[static_cast<size_t>(row)][static_cast<size_t>(col)].Object : nullptr;
}

void TStringGridCells::SetObject(int col, int row, TObject* value) {
    if (Inside(col, row)) FRows[static_cast<size_t>(row)][static_cast<size_t>(col)].Object = value;
}

void TStringGridCells::MoveRow(int from, int to) { MoveItem(FRows, from, to); }

void TStringGridCells::MoveCol(int from, int to) {
    for (auto& row : FRows) MoveItem(row, from, to);
}

void TStringGridCells::ClearRow(int row) {
    if (row >= 0 && row < RowCount())
        for (auto& cell : FRows[static_cast<size_t>(row)]) cell = TCell();
}

void TStringGridCells::ClearCol(int col) {
    if (col >= 0 && col < FColCount)
        for (auto& row : FRows) row[static_cast<size_t>(col)] = TCell();
}
