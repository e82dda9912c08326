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
    for (int i = 0; i < index && i < FCount; ++i)
        result += Size(i) + lineWidth;
    return result;
}

void TStringGridCells::Resize(int colCount, int rowCount) {
    FColCount = std::max(0, colCount);
    FRows.resize(static_cast<size_t>(std::max(0, rowCount)));
    for (auto& row : FRows)
        row.resize(static_cast<size_t>(FColCount));
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

void TStringGridCells::MoveRow(int from, int to) {
    MoveItem(FRows, from, to);
}

void TStringGridCells::MoveCol(int from, int to) {
    for (auto& row : FRows)
        MoveItem(row, from, to);
}

void TStringGridCells::ClearRow(int row) {
    if (row >= 0 && row < RowCount())
        for (auto& cell : FRows[static_cast<size_t>(row)])
            cell = TCell();
}

void TStringGridCells::ClearCol(int col) {
    if (col >= 0 && col < FColCount)
        for (auto& row : FRows)
            row[static_cast<size_t>(col)] = TCell();
}

// TInplaceEdit -------------------------------------------------------------------------------------------

TInplaceEdit::TInplaceEdit(TComponent* owner) : TCustomMaskEdit(owner) {
    SetBorderStyle(bsNone);
    SetTabStop(false);
    SetVisible(false);
    SetAutoSelect(false);
}

void TInplaceEdit::WMGetDlgCode(TMessage& message) {
    message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
    if (FGrid && FGrid->Options().Contains(goTabs)) message.Result |= DLGC_WANTTAB;
}

void TInplaceEdit::KeyDown(Word& key, TShiftState shift) {
    if (!FGrid) {
        TCustomMaskEdit::KeyDown(key, shift);
        return;
    }
    switch (key) {
    case VK_UP:
    case VK_DOWN:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_RETURN:
        FGrid->KeyDown(key, shift);
        return;
    case VK_TAB:
        if (FGrid->Options().Contains(goTabs)) {
            FGrid->KeyDown(key, shift);
            return;
        }
        break;
    case VK_ESCAPE:
        // Esc gives the cell its text back and leaves the editor.
        FLoading = true;
        SetText(FOriginal);
        FLoading = false;
        FGrid->SetEditText(FGrid->Col(), FGrid->Row(), Text());
        FGrid->HideEditor();
        FGrid->SetFocus();
        key = 0;
        return;
    case VK_LEFT:
        if (FSelStart == 0 && FSelLength == 0) {
            FGrid->KeyDown(key, shift);
            return;
        }
        break;
    case VK_RIGHT:
        if (FSelStart >= static_cast<int>(EditBuffer().size())) {
            FGrid->KeyDown(key, shift);
            return;
        }
        break;
    default:
        break;
    }
    TCustomMaskEdit::KeyDown(key, shift);
}

void TInplaceEdit::KeyPress(char& key) {
    if (key == '\r' || key == '\t' || key == 27) {
        key = 0;
        return;
    }
    if (FGrid && !FGrid->CanEditModify()) {
        key = 0;
        return;
    }
    TCustomMaskEdit::KeyPress(key);
}

void TInplaceEdit::Change() {
    TCustomMaskEdit::Change();
    if (FGrid && !FLoading && FGrid->FEditorCell.X >= 0)
        FGrid->SetEditText(FGrid->FEditorCell.X, FGrid->FEditorCell.Y, Text());
}

void TInplaceEdit::DoExit() {
    TCustomMaskEdit::DoExit();
    if (FGrid) FGrid->UpdateText();
}

KVR_MESSAGE_MAP(TInplaceEdit, m) {
    m.Handle(WM_GETDLGCODE, &TInplaceEdit::WMGetDlgCode);
}

// TCustomGrid --------------------------------------------------------------------------------------------

TCustomGrid::TCustomGrid(TComponent* owner)
    : TCustomControl(owner), FOptions{goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine,
                                      goRangeSelect},
      FFixedColor(clBtnFace) {
    SetBounds(0, 0, 320, 120);
    SetTabStop(true);
    SetParentColor(false);
    SetColor(clWindow);
    FControlStyle.Include(csDoubleClicks);
}

TCustomGrid::~TCustomGrid() = default;

void TCustomGrid::ChangeSize(int colCount, int rowCount) {
    int oldCols = ColCount(), oldRows = RowCount();
    if (colCount == oldCols && rowCount == oldRows) return;
    HideEditor();
    FCols.SetCount(colCount);
    FRows.SetCount(rowCount);
    auto clampCoord = [this](TGridCoord& c) {
        c.X = std::clamp(c.X, FixedCols(), std::max(FixedCols(), ColCount() - 1));
        c.Y = std::clamp(c.Y, FixedRows(), std::max(FixedRows(), RowCount() - 1));
    };
    clampCoord(FCurrent);
    clampCoord(FAnchor);
    clampCoord(FTopLeft);
    SizeChanged(oldCols, oldRows);
    Invalidate();
}

void TCustomGrid::SetColCount(int value) {
    ChangeSize(value, RowCount());
}
void TCustomGrid::SetRowCount(int value) {
    ChangeSize(ColCount(), value);
}

void TCustomGrid::SetFixedCols(int value) {
    if (!FCols.SetFixedCount(value))
        throw EInvalidGridOperation("Fixed column count must be less than column count");
    FCurrent.X = std::max(FCurrent.X, value);
    FAnchor.X = std::max(FAnchor.X, value);
    FTopLeft.X = std::max(FTopLeft.X, value);
    Invalidate();
}

void TCustomGrid::SetFixedRows(int value) {
    if (!FRows.SetFixedCount(value))
        throw EInvalidGridOperation("Fixed row count must be less than row count");
    FCurrent.Y = std::max(FCurrent.Y, value);
    FAnchor.Y = std::max(FAnchor.Y, value);
    FTopLeft.Y = std::max(FTopLeft.Y, value);
    Invalidate();
}

void TCustomGrid::SetDefaultColWidth(int value) {
    FCols.SetDefaultSize(value), UpdateEditor(), Invalidate();
}
void TCustomGrid::SetDefaultRowHeight(int value) {
    FRows.SetDefaultSize(value), UpdateEditor(), Invalidate();
}
void TCustomGrid::SetColWidths(int index, int value) {
    FCols.SetSize(index, value), UpdateEditor(), Invalidate();
}
void TCustomGrid::SetRowHeights(int index, int value) {
    FRows.SetSize(index, value), UpdateEditor(), Invalidate();
}
void TCustomGrid::SetGridLineWidth(int value) {
    FGridLineWidth = std::max(0, value), Invalidate();
}
void TCustomGrid::SetFixedColor(TColor value) {
    FFixedColor = value, Invalidate();
}

void TCustomGrid::SetOptions(TGridOptions value) {
    FOptions = value;
    if (!value.Contains(goEditing)) HideEditor();
    if (value.Contains(goAlwaysShowEditor) && value.Contains(goEditing)) ShowEditor();
    Invalidate();
}

TGridRect TCustomGrid::Selection() const {
    if (FOptions.Contains(goRowSelect)) return {FixedCols(), FCurrent.Y, ColCount() - 1, FCurrent.Y};
    return {std::min(FAnchor.X, FCurrent.X), std::min(FAnchor.Y, FCurrent.Y), std::max(FAnchor.X, FCurrent.X),
            std::max(FAnchor.Y, FCurrent.Y)};
}

void TCustomGrid::SetSelection(const TGridRect& range) {
    auto clampCol = [this](int c) {
        return std::clamp(c, FixedCols(), std::max(FixedCols(), ColCount() - 1));
    };
    auto clampRow = [this](int r) {
        return std::clamp(r, FixedRows(), std::max(FixedRows(), RowCount() - 1));
    };
    HideEditor();
    FAnchor = {clampCol(range.Left), clampRow(range.Top)};
    FCurrent = {clampCol(range.Right), clampRow(range.Bottom)};
    ScrollToCurrent();
    Invalidate();
}

int TCustomGrid::VisibleColCount() const {
    int width = ClientWidth() - FCols.Offset(FixedCols(), FGridLineWidth);
    int count = 0;
    for (int c = FTopLeft.X; c < ColCount() && width >= FCols.Size(c); ++c, ++count)
        width -= FCols.Size(c) + FGridLineWidth;
    return std::max(count, ColCount() > FixedCols() ? 1 : 0);
}

int TCustomGrid::VisibleRowCount() const {
    int height = ClientHeight() - FRows.Offset(FixedRows(), FGridLineWidth);
    int count = 0;
    for (int r = FTopLeft.Y; r < RowCount() && height >= FRows.Size(r); ++r, ++count)
        height -= FRows.Size(r) + FGridLineWidth;
    return std::max(count, RowCount() > FixedRows() ? 1 : 0);
}

namespace {

// The start of an item along one axis on screen: fixed ones first, then the scrolled ones from first.
int AxisStart(const TGridAxis& axis, int index, int first, int line) {
    if (index < axis.FixedCount()) return axis.Offset(index, line);
    if (index < first) return -1;
    int pos = axis.Offset(axis.FixedCount(), line);
    for (int i = first; i < index; ++i)
        pos += axis.Size(i) + line;
    return pos;
}

} // namespace

TRect TCustomGrid::CellRect(int col, int row) const {
    if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount()) return {};
    int x = AxisStart(FCols, col, FTopLeft.X, FGridLineWidth);
    int y = AxisStart(FRows, row, FTopLeft.Y, FGridLineWidth);
    if (x < 0 || y < 0 || x >= ClientWidth() || y >= ClientHeight()) return {};
    return {x, y, std::min(x + FCols.Size(col), ClientWidth()),
            std::min(y + FRows.Size(row), ClientHeight())};
}

TGridCoord TCustomGrid::MouseCoord(int x, int y) const {
    auto find = [this](const TGridAxis& axis, int first, int pos) {
        for (int i = 0; i < axis.Count(); ++i) {
            if (i >= axis.FixedCount() && i < first) continue;
            int start = AxisStart(axis, i, first, FGridLineWidth);
            if (pos >= start && pos < start + axis.Size(i) + FGridLineWidth) return i;
        }
        return -1;
    };
    int col = find(FCols, FTopLeft.X, x), row = find(FRows, FTopLeft.Y, y);
    if (col < 0 || row < 0) return {-1, -1};
    return {col, row};
}

void TCustomGrid::MouseToCell(int x, int y, int& col, int& row) const {
    TGridCoord c = MouseCoord(x, y);
    col = c.X;
    row = c.Y;
}

bool TCustomGrid::SelectCell(int col, int row) {
    bool canSelect = true;
    if (FOnSelectCell) FOnSelectCell(this, col, row, canSelect);
    return canSelect;
}

bool TCustomGrid::MoveCurrent(int col, int row) {
    if (col < FixedCols() || row < FixedRows() || col >= ColCount() || row >= RowCount()) return false;
    if (col == FCurrent.X && row == FCurrent.Y) return true;
    if (!SelectCell(col, row)) return false;
    bool editing = EditorMode();
    UpdateText();
    const TGridCoord old = FCurrent;
    FCurrent = {col, row};
    FAnchor = FCurrent;
    ScrollToCurrent();
    if (editing || FOptions.Contains(goAlwaysShowEditor)) {
        HideEditor();
        ShowEditor();
    }
    Invalidate();
    CurrentMoved(old.X, old.Y);
    return true;
}

void TCustomGrid::ScrollToCurrent() {
    TGridCoord old = FTopLeft;
    if (FCurrent.X < FTopLeft.X) FTopLeft.X = FCurrent.X;
    if (FCurrent.Y < FTopLeft.Y) FTopLeft.Y = FCurrent.Y;
    while (FCurrent.X >= FTopLeft.X + VisibleColCount() && FTopLeft.X < FCurrent.X)
        ++FTopLeft.X;
    while (FCurrent.Y >= FTopLeft.Y + VisibleRowCount() && FTopLeft.Y < FCurrent.Y)
        ++FTopLeft.Y;
    if (!(old == FTopLeft)) TopLeftChanged();
}

void TCustomGrid::SetTopRow(int value) {
    value = std::clamp(value, FixedRows(), std::max(FixedRows(), RowCount() - 1));
    if (value == FTopLeft.Y) return;
    FTopLeft.Y = value;
    UpdateEditor();
    TopLeftChanged();
    Invalidate();
}

void TCustomGrid::SetLeftCol(int value) {
    value = std::clamp(value, FixedCols(), std::max(FixedCols(), ColCount() - 1));
    if (value == FTopLeft.X) return;
    FTopLeft.X = value;
    UpdateEditor();
    TopLeftChanged();
    Invalidate();
}

void TCustomGrid::TopLeftChanged() {
    if (FOnTopLeftChanged) FOnTopLeftChanged(this);
}

void TCustomGrid::SizeChanged(int, int) {}

AnsiString TCustomGrid::GetEditText(int col, int row) {
    AnsiString value;
    if (FOnGetEditText) FOnGetEditText(this, col, row, value);
    return value;
}

void TCustomGrid::SetEditText(int col, int row, const AnsiString& value) {
    if (FOnSetEditText) FOnSetEditText(this, col, row, value);
}

AnsiString TCustomGrid::GetEditMask(int col, int row) {
    AnsiString value;
    if (FOnGetEditMask) FOnGetEditMask(this, col, row, value);
    return value;
}

bool TCustomGrid::CanEditShow() {
    return FOptions.Contains(goEditing) && !FOptions.Contains(goRowSelect) && ColCount() > FixedCols() &&
           RowCount() > FixedRows();
}

bool TCustomGrid::CanEditModify() {
    return true;
}

TInplaceEdit* TCustomGrid::CreateEditor() {
    return new TInplaceEdit(this);
}

void TCustomGrid::ShowEditor() {
    if (!CanEditShow()) return;
    if (!FEditor) {
        FEditor = CreateEditor();
        FEditor->SetGrid(this);
        FEditor->SetParent(this);
    }
    FEditorCell = FCurrent;
    FEditor->FLoading = true;
    FEditor->SetEditMask(GetEditMask(FCurrent.X, FCurrent.Y));
    FEditor->FOriginal = GetEditText(FCurrent.X, FCurrent.Y);
    FEditor->SetText(FEditor->FOriginal);
    FEditor->FLoading = false;
    FEditor->SetModified(false);
    FEditor->UpdateContents();
    UpdateEditor();
    FEditor->SetVisible(true);
    if (Focused() || (GetParentForm(this) && GetParentForm(this)->FocusedControl() == this)) {
        FEditor->HandleNeeded();
        FEditor->SetFocus();
    }
    FEditor->SelectAll();
}

void TCustomGrid::HideEditor() {
    if (!FEditor || !FEditor->Visible()) return;
    bool hadFocus = FEditor->Focused();
    UpdateText();
    FEditorCell = {-1, -1};
    FEditor->SetVisible(false);
    if (hadFocus && CanFocus()) SetFocus();
}

void TCustomGrid::SetEditorMode(bool value) {
    if (value)
        ShowEditor();
    else
        HideEditor();
}

void TCustomGrid::UpdateText() {
    if (FEditor && FEditorCell.X >= 0 && FEditor->Visible())
        SetEditText(FEditorCell.X, FEditorCell.Y, FEditor->Text());
}

void TCustomGrid::UpdateEditor() {
    if (!FEditor || FEditorCell.X < 0) return;
    TRect r = CellRect(FEditorCell.X, FEditorCell.Y);
    FEditor->SetBounds(r.Left, r.Top, r.Width(), r.Height());
}

void TCustomGrid::ColumnMoved(int from, int to) {
    if (FOnColumnMoved) FOnColumnMoved(this, from, to);
}

void TCustomGrid::RowMoved(int from, int to) {
    if (FOnRowMoved) FOnRowMoved(this, from, to);
}

void TCustomGrid::MoveColumn(int from, int to) {
    if (from == to || from < 0 || to < 0 || from >= ColCount() || to >= ColCount()) return;
    HideEditor();
    FCols.Move(from, to);
    ColumnMoved(from, to);
    Invalidate();
}

void TCustomGrid::MoveRow(int from, int to) {
    if (from == to || from < 0 || to < 0 || from >= RowCount() || to >= RowCount()) return;
    HideEditor();
    FRows.Move(from, to);
    RowMoved(from, to);
    Invalidate();
}

void TCustomGrid::DrawCell(int col, int row, TRect rect, TGridDrawState state) {
    if (FOnDrawCell) FOnDrawCell(this, col, row, rect, state);
}

void TCustomGrid::Paint() {
    TCanvas* canvas = Canvas();
    TRect client = ClientRect();
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(Color());
    canvas->FillRect(client);
    TGridRect sel = Selection();
    // Only the lines on screen: the fixed ones, then the scrolled ones from the top-left until the
    // client area ends, so a page costs the same however long the grid is.
    auto onScreen = [this](const TGridAxis& axis, int first, int extent) {
        std::vector<int> items;
        for (int i = 0; i < axis.FixedCount() && i < axis.Count(); ++i)
            items.push_back(i);
        int pos = axis.Offset(axis.FixedCount(), FGridLineWidth);
        for (int i = std::max(first, axis.FixedCount()); i < axis.Count() && pos < extent; ++i) {
            items.push_back(i);
            pos += axis.Size(i) + FGridLineWidth;
        }
        return items;
    };
    const std::vector<int> rows = onScreen(FRows, FTopLeft.Y, client.Bottom);
    const std::vector<int> cols = onScreen(FCols, FTopLeft.X, client.Right);
    for (int row : rows) {
        for (int col : cols) {
            TRect r = CellRect(col, row);
            if (r.Width() <= 0 || r.Height() <= 0) continue;
            TGridDrawState state;
            bool fixed = col < FixedCols() || row < FixedRows();
            if (fixed)
                state.Include(gdFixed);
            else {
                if (col >= sel.Left && col <= sel.Right && row >= sel.Top && row <= sel.Bottom)
                    state.Include(gdSelected);
                if (col == FCurrent.X && row == FCurrent.Y) state.Include(gdFocused);
            }
            canvas->Font()->Assign(Font());
            if (FDefaultDrawing) {
                bool highlight = state.Contains(gdSelected) &&
                                 (!state.Contains(gdFocused) || FOptions.Contains(goDrawFocusSelected) ||
                                  FOptions.Contains(goRowSelect));
                canvas->Brush()->SetColor(fixed ? FFixedColor : highlight ? clHighlight : Color());
                if (highlight) canvas->Font()->SetColor(clHighlightText);
                canvas->FillRect(r);
            }
            DrawCell(col, row, r, state);
            if (FDefaultDrawing && fixed) {
                TRect edge = r;
                Frame3D(canvas, edge, clBtnHighlight, clBtnShadow, 1);
            }
            if (FDefaultDrawing && state.Contains(gdFocused) && Focused() && !EditorMode())
                canvas->DrawFocusRect(r);
        }
    }
    if (FGridLineWidth > 0) {
        canvas->Pen()->SetColor(GridLinePaintColor());
        canvas->Brush()->SetColor(GridLinePaintColor());
        for (int col : cols) {
            TRect r = CellRect(col, std::min(FTopLeft.Y, RowCount() - 1));
            TRect f = CellRect(col, 0);
            int right = r.Width() > 0 ? r.Right : f.Right;
            if (right > 0 && (r.Width() > 0 || f.Width() > 0))
                canvas->FillRect({right, 0, right + FGridLineWidth, client.Bottom});
        }
        for (int row : rows) {
            TRect r = CellRect(std::min(FTopLeft.X, ColCount() - 1), row);
            TRect f = CellRect(0, row);
            int bottom = r.Height() > 0 ? r.Bottom : f.Bottom;
            if (bottom > 0 && (r.Height() > 0 || f.Height() > 0))
                canvas->FillRect({0, bottom, client.Right, bottom + FGridLineWidth});
        }
    }
}

void TCustomGrid::KeyDown(Word& key, TShiftState shift) {
    TCustomControl::KeyDown(key, shift);
    if (key == 0) return;
    int col = FCurrent.X, row = FCurrent.Y;
    int page = std::max(1, VisibleRowCount());
    switch (key) {
    case VK_UP:
        row--;
        break;
    case VK_DOWN:
        row++;
        break;
    case VK_LEFT:
        if (FOptions.Contains(goRowSelect)) return;
        col--;
        break;
    case VK_RIGHT:
        if (FOptions.Contains(goRowSelect)) return;
        col++;
        break;
    case VK_PRIOR:
        row -= page;
        break;
    case VK_NEXT:
        row += page;
        break;
    case VK_HOME:
        col = FixedCols();
        if (shift.Contains(ssCtrl)) row = FixedRows();
        break;
    case VK_END:
        col = ColCount() - 1;
        if (shift.Contains(ssCtrl)) row = RowCount() - 1;
        break;
    case VK_TAB:
        if (!FOptions.Contains(goTabs)) return;
        if (shift.Contains(ssShift)) {
            if (--col < FixedCols()) col = ColCount() - 1, row--;
        } else if (++col >= ColCount()) {
            col = FixedCols(), row++;
        }
        break;
    case VK_F2:
        if (FOptions.Contains(goEditing)) ShowEditor();
        key = 0;
        return;
    case VK_RETURN:
        if (FOptions.Contains(goEditing)) {
            if (EditorMode())
                HideEditor();
            else
                ShowEditor();
        }
        key = 0;
        return;
    default:
        return;
    }
    row = std::clamp(row, FixedRows(), std::max(FixedRows(), RowCount() - 1));
    col = std::clamp(col, FixedCols(), std::max(FixedCols(), ColCount() - 1));
    MoveCurrent(col, row);
    key = 0;
}

void TCustomGrid::KeyPress(char& key) {
    TCustomControl::KeyPress(key);
    unsigned char c = static_cast<unsigned char>(key);
    if (c < 0x20 || !FOptions.Contains(goEditing) || EditorMode()) return;
    // Typing on a cell opens its editor over the cell's text and types there.
    ShowEditor();
    if (EditorMode()) {
        FEditor->SelectAll();
        FEditor->Perform(WM_CHAR, c);
    }
    key = 0;
}

void TCustomGrid::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TCustomControl::MouseDown(button, shift, x, y);
    if (button != mbLeft) return;
    if (CanFocus() && !Focused()) {
        HandleNeeded();
        SetFocus();
    }
    TGridCoord cell = MouseCoord(x, y);
    if (cell.X < FixedCols() || cell.Y < FixedRows()) return;
    MoveCurrent(cell.X, cell.Y);
}

void TCustomGrid::DoExit() {
    TCustomControl::DoExit();
    if (!FEditor || !FEditor->Focused()) UpdateText();
}

void TCustomGrid::WMGetDlgCode(TMessage& message) {
    message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
    if (FOptions.Contains(goTabs)) message.Result |= DLGC_WANTTAB;
}

void TCustomGrid::WMSize(TMessage& message) {
    InheritedMessage(message);
    UpdateEditor();
}

KVR_MESSAGE_MAP(TCustomGrid, m) {
    m.Handle(WM_GETDLGCODE, &TCustomGrid::WMGetDlgCode);
    m.Handle(WM_SIZE, &TCustomGrid::WMSize);
}

// TStringGrid --------------------------------------------------------------------------------------------

int TStringGridStrings::Count() const {
    return FIsCol ? FGrid->RowCount() : FGrid->ColCount();
}

AnsiString TStringGridStrings::Get(int index) const {
    return FIsCol ? FGrid->Cells(FIndex, index) : FGrid->Cells(index, FIndex);
}

void TStringGridStrings::Put(int index, const AnsiString& value) {
    if (FIsCol)
        FGrid->SetCells(FIndex, index, value);
    else
        FGrid->SetCells(index, FIndex, value);
}

TObject* TStringGridStrings::GetObject(int index) const {
    return FIsCol ? FGrid->Objects(FIndex, index) : FGrid->Objects(index, FIndex);
}

void TStringGridStrings::PutObject(int index, TObject* object) {
    if (FIsCol)
        FGrid->SetObjects(FIndex, index, object);
    else
        FGrid->SetObjects(index, FIndex, object);
}

int TStringGridStrings::Add(const AnsiString& value) {
    for (int i = 0; i < Count(); ++i)
        if (Get(i).empty()) {
            Put(i, value);
            return i;
        }
    return -1;
}

void TStringGridStrings::Insert(int, const AnsiString&) {
    throw EInvalidGridOperation("Grid strings cannot be inserted");
}

void TStringGridStrings::Delete(int) {
    throw EInvalidGridOperation("Grid strings cannot be deleted");
}

void TStringGridStrings::Clear() {
    for (int i = 0; i < Count(); ++i) {
        Put(i, "");
        PutObject(i, nullptr);
    }
}

TStringGrid::TStringGrid(TComponent* owner) : TDrawGrid(owner), FCells(ColCount(), RowCount()) {}

TStringGrid::~TStringGrid() = default;

void TStringGrid::SetCells(int col, int row, const AnsiString& value) {
    FCells.SetCell(col, row, value);
    Invalidate();
}

TStrings* TStringGrid::Cols(int index) {
    FLines.push_back(std::make_unique<TStringGridStrings>(this, true, index));
    return FLines.back().get();
}

TStrings* TStringGrid::Rows(int index) {
    FLines.push_back(std::make_unique<TStringGridStrings>(this, false, index));
    return FLines.back().get();
}

void TStringGrid::SetCols(int index, TStrings* value) {
    if (!value) return;
    for (int i = 0; i < RowCount(); ++i)
        SetCells(index, i, i < value->Count() ? value->Get(i) : AnsiString());
}

void TStringGrid::SetRows(int index, TStrings* value) {
    if (!value) return;
    for (int i = 0; i < ColCount(); ++i)
        SetCells(i, index, i < value->Count() ? value->Get(i) : AnsiString());
}

void TStringGrid::SizeChanged(int oldColCount, int oldRowCount) {
    FCells.Resize(ColCount(), RowCount());
    TDrawGrid::SizeChanged(oldColCount, oldRowCount);
}

void TStringGrid::DrawCell(int col, int row, TRect rect, TGridDrawState state) {
    if (DefaultDrawing()) Canvas()->TextRect(rect, rect.Left + 2, rect.Top + 2, Cells(col, row));
    TDrawGrid::DrawCell(col, row, rect, state);
}

AnsiString TStringGrid::GetEditText(int col, int row) {
    AnsiString value = Cells(col, row);
    if (OnGetEditText()) OnGetEditText()(this, col, row, value);
    return value;
}

void TStringGrid::SetEditText(int col, int row, const AnsiString& value) {
    SetCells(col, row, value);
    TDrawGrid::SetEditText(col, row, value);
}

void TStringGrid::ColumnMoved(int from, int to) {
    FCells.MoveCol(from, to);
    TDrawGrid::ColumnMoved(from, to);
}

void TStringGrid::RowMoved(int from, int to) {
    FCells.MoveRow(from, to);
    TDrawGrid::RowMoved(from, to);
}

void TStringGrid::DumpDetails(std::vector<AnsiString>& lines, const AnsiString& indent) const {
    for (int row = 0; row < RowCount(); ++row) {
        AnsiString line = indent + "|";
        for (int col = 0; col < ColCount(); ++col)
            line += " " + Cells(col, row) + " |";
        lines.push_back(line);
    }
}

KVR_PUBLISHED(TInplaceEdit, c) {
    (void)c;
}

KVR_PUBLISHED(TCustomGrid, c) {
    c.Property("ColCount", &TCustomGrid::ColCount, &TCustomGrid::SetColCount).Default(5);
    c.Property("RowCount", &TCustomGrid::RowCount, &TCustomGrid::SetRowCount).Default(5);
    c.Property("DefaultColWidth", &TCustomGrid::DefaultColWidth, &TCustomGrid::SetDefaultColWidth)
        .Default(64);
    c.Property("DefaultRowHeight", &TCustomGrid::DefaultRowHeight, &TCustomGrid::SetDefaultRowHeight)
        .Default(24);
    c.Property("DefaultDrawing", &TCustomGrid::DefaultDrawing, &TCustomGrid::SetDefaultDrawing).Default(true);
    c.Property("FixedColor", &TCustomGrid::FixedColor, &TCustomGrid::SetFixedColor)
        .Type("TColor")
        .Default(clBtnFace);
    c.Property("FixedCols", &TCustomGrid::FixedCols, &TCustomGrid::SetFixedCols).Default(1);
    c.Property("FixedRows", &TCustomGrid::FixedRows, &TCustomGrid::SetFixedRows).Default(1);
    c.Property("GridLineWidth", &TCustomGrid::GridLineWidth, &TCustomGrid::SetGridLineWidth).Default(1);
    c.Property("Options", &TCustomGrid::Options, &TCustomGrid::SetOptions);
    c.Property("OnDrawCell", &TCustomGrid::OnDrawCell, &TCustomGrid::SetOnDrawCell);
    c.Property("OnSelectCell", &TCustomGrid::OnSelectCell, &TCustomGrid::SetOnSelectCell);
    c.Property("OnGetEditText", &TCustomGrid::OnGetEditText, &TCustomGrid::SetOnGetEditText);
    c.Property("OnGetEditMask", &TCustomGrid::OnGetEditMask, &TCustomGrid::SetOnGetEditMask);
    c.Property("OnSetEditText", &TCustomGrid::OnSetEditText, &TCustomGrid::SetOnSetEditText);
    c.Property("OnColumnMoved", &TCustomGrid::OnColumnMoved, &TCustomGrid::SetOnColumnMoved);
    c.Property("OnRowMoved", &TCustomGrid::OnRowMoved, &TCustomGrid::SetOnRowMoved);
    c.Property("OnTopLeftChanged", &TCustomGrid::OnTopLeftChanged, &TCustomGrid::SetOnTopLeftChanged);
}
KVR_PUBLISHED(TDrawGrid, c) {
    (void)c;
}
KVR_PUBLISHED(TStringGridStrings, c) {
    (void)c;
}
KVR_PUBLISHED(TStringGrid, c) {
    (void)c;
}
