#pragma once
// Grids: the cell model (axes with their sizes, the string cells) and the grid controls.
#include <memory>
#include <vector>

#include "classlib/controls/mask.h"
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

// ---- the grid controls ----

KVR_ENUM(TGridOption, goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect,
         goDrawFocusSelected, goRowSizing, goColSizing, goRowMoving, goColMoving, goEditing, goTabs,
         goRowSelect, goAlwaysShowEditor, goThumbTracking);
KVR_SET(TGridOptions, TGridOption);
KVR_ENUM(TGridDrawStateElement, gdSelected, gdFocused, gdFixed);
KVR_SET(TGridDrawState, TGridDrawStateElement);

struct TGridCoord {
    int X = 0;
    int Y = 0;
    friend bool operator==(const TGridCoord&, const TGridCoord&) = default;
};
struct TGridRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    friend bool operator==(const TGridRect&, const TGridRect&) = default;
};

KVR_EVENT_TYPE(TDrawCellEvent, void(TObject* sender, int col, int row, TRect rect, TGridDrawState state));
KVR_EVENT_TYPE(TSelectCellEvent, void(TObject* sender, int col, int row, bool& canSelect));
KVR_EVENT_TYPE(TGetEditEvent, void(TObject* sender, int col, int row, AnsiString& value));
KVR_EVENT_TYPE(TSetEditEvent, void(TObject* sender, int col, int row, const AnsiString& value));
KVR_EVENT_TYPE(TMovedEvent, void(TObject* sender, int fromIndex, int toIndex));

class TCustomGrid;

// The editor a grid shows over its current cell; its text goes back to the grid as it changes.
class TInplaceEdit : public TCustomMaskEdit {
    KVR_CLASS(TInplaceEdit, TCustomMaskEdit)
public:
    explicit TInplaceEdit(TComponent* owner);
    TCustomGrid* Grid() const { return FGrid; }
    void SetGrid(TCustomGrid* grid) { FGrid = grid; }
    // Called each time the editor comes up over a cell, after its mask and text were loaded.
    virtual void UpdateContents() {}

protected:
    void KeyDown(Word& key, TShiftState shift) override;
    void KeyPress(char& key) override;
    void Change() override;
    void DoExit() override;
    void WMGetDlgCode(TMessage& message);
    KVR_MESSAGES(TInplaceEdit)

protected:
    bool FLoading = false;
    AnsiString FOriginal; // the cell's text when the editor came up, for Esc

private:
    friend class TCustomGrid;
    TCustomGrid* FGrid = nullptr;
};

class TCustomGrid : public TCustomControl {
    KVR_CLASS(TCustomGrid, TCustomControl)
    KVR_MESSAGES(TCustomGrid)
public:
    explicit TCustomGrid(TComponent* owner);
    ~TCustomGrid() override;

    int ColCount() const { return FCols.Count(); }
    void SetColCount(int value);
    int RowCount() const { return FRows.Count(); }
    void SetRowCount(int value);
    int FixedCols() const { return FCols.FixedCount(); }
    // Raises EInvalidGridOperation when no scrolling column would be left.
    void SetFixedCols(int value);
    int FixedRows() const { return FRows.FixedCount(); }
    void SetFixedRows(int value);
    int DefaultColWidth() const { return FCols.DefaultSize(); }
    void SetDefaultColWidth(int value);
    int DefaultRowHeight() const { return FRows.DefaultSize(); }
    void SetDefaultRowHeight(int value);
    int ColWidths(int index) const { return FCols.Size(index); }
    void SetColWidths(int index, int value);
    int RowHeights(int index) const { return FRows.Size(index); }
    void SetRowHeights(int index, int value);
    int GridLineWidth() const { return FGridLineWidth; }
    void SetGridLineWidth(int value);
    TGridOptions Options() const { return FOptions; }
    void SetOptions(TGridOptions value);
    TColor FixedColor() const { return FFixedColor; }
    void SetFixedColor(TColor value);
    bool DefaultDrawing() const { return FDefaultDrawing; }
    void SetDefaultDrawing(bool value) { FDefaultDrawing = value; }

    int Col() const { return FCurrent.X; }
    void SetCol(int value) { MoveCurrent(value, FCurrent.Y); }
    int Row() const { return FCurrent.Y; }
    void SetRow(int value) { MoveCurrent(FCurrent.X, value); }
    int TopRow() const { return FTopLeft.Y; }
    void SetTopRow(int value);
    int LeftCol() const { return FTopLeft.X; }
    void SetLeftCol(int value);
    int VisibleRowCount() const;
    int VisibleColCount() const;
    TGridRect Selection() const;
    // Selects a range: its top-left becomes the anchor and its bottom-right the current cell.
    void SetSelection(const TGridRect& range);
    bool EditorMode() const { return FEditor && FEditor->Visible(); }
    void SetEditorMode(bool value);
    TInplaceEdit* InplaceEditor() const { return FEditor; }

    // The cell's rectangle in the client area; empty when it is scrolled out of view.
    TRect CellRect(int col, int row) const;
    // The cell under a client point; (-1, -1) when none.
    TGridCoord MouseCoord(int x, int y) const;
    void MouseToCell(int x, int y, int& col, int& row) const;
    // Moves the current cell (SelectCell may refuse); true when it moved.
    bool MoveCurrent(int col, int row);
    void MoveColumn(int from, int to);
    void MoveRow(int from, int to);
    void ShowEditor();
    void HideEditor();

    const TDrawCellEvent& OnDrawCell() const { return FOnDrawCell; }
    void SetOnDrawCell(const TDrawCellEvent& value) { FOnDrawCell = value; }
    const TSelectCellEvent& OnSelectCell() const { return FOnSelectCell; }
    void SetOnSelectCell(const TSelectCellEvent& value) { FOnSelectCell = value; }
    const TGetEditEvent& OnGetEditText() const { return FOnGetEditText; }
    void SetOnGetEditText(const TGetEditEvent& value) { FOnGetEditText = value; }
    const TGetEditEvent& OnGetEditMask() const { return FOnGetEditMask; }
    void SetOnGetEditMask(const TGetEditEvent& value) { FOnGetEditMask = value; }
    const TSetEditEvent& OnSetEditText() const { return FOnSetEditText; }
    void SetOnSetEditText(const TSetEditEvent& value) { FOnSetEditText = value; }
    const TMovedEvent& OnColumnMoved() const { return FOnColumnMoved; }
    void SetOnColumnMoved(const TMovedEvent& value) { FOnColumnMoved = value; }
    const TMovedEvent& OnRowMoved() const { return FOnRowMoved; }
    void SetOnRowMoved(const TMovedEvent& value) { FOnRowMoved = value; }
    const TNotifyEvent& OnTopLeftChanged() const { return FOnTopLeftChanged; }
    void SetOnTopLeftChanged(const TNotifyEvent& value) { FOnTopLeftChanged = value; }

    // The virtuals a grid descendant overrides.
    virtual void DrawCell(int col, int row, TRect rect, TGridDrawState state);
    virtual bool SelectCell(int col, int row);
    virtual AnsiString GetEditText(int col, int row);
    virtual void SetEditText(int col, int row, const AnsiString& value);
    virtual AnsiString GetEditMask(int col, int row);
    virtual bool CanEditShow();
    virtual bool CanEditModify();
    virtual TInplaceEdit* CreateEditor();
    virtual void ColumnMoved(int from, int to);
    virtual void RowMoved(int from, int to);
    virtual void TopLeftChanged();
    virtual void SizeChanged(int oldColCount, int oldRowCount);
    // After the current cell moved (from the cell given).
    virtual void CurrentMoved(int /*oldCol*/, int /*oldRow*/) {}
    // The colour Paint draws the lines between the cells in.
    virtual TColor GridLinePaintColor() const { return clBtnFace; }

protected:
    friend class TInplaceEdit;
    void Paint() override;
    void KeyDown(Word& key, TShiftState shift) override;
    void KeyPress(char& key) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void DoExit() override;
    void WMGetDlgCode(TMessage& message);
    void WMSize(TMessage& message);
    // Writes the editor's text back to its cell.
    void UpdateText();
    void UpdateEditor();
    void ScrollToCurrent();
    void ChangeSize(int colCount, int rowCount);

    TGridAxis FCols{5, 1, 64};
    TGridAxis FRows{5, 1, 24};

private:
    int FGridLineWidth = 1;
    TGridOptions FOptions;
    TColor FFixedColor;
    bool FDefaultDrawing = true;
    TGridCoord FCurrent{1, 1};
    TGridCoord FAnchor{1, 1};
    TGridCoord FTopLeft{1, 1};
    TInplaceEdit* FEditor = nullptr;
    TGridCoord FEditorCell{-1, -1};
    TDrawCellEvent FOnDrawCell;
    TSelectCellEvent FOnSelectCell;
    TGetEditEvent FOnGetEditText;
    TGetEditEvent FOnGetEditMask;
    TSetEditEvent FOnSetEditText;
    TMovedEvent FOnColumnMoved;
    TMovedEvent FOnRowMoved;
    TNotifyEvent FOnTopLeftChanged;
};

KVR_DECLARE_EXCEPTION(EInvalidGridOperation, Exception)

class TDrawGrid : public TCustomGrid {
    KVR_CLASS(TDrawGrid, TCustomGrid)
public:
    explicit TDrawGrid(TComponent* owner) : TCustomGrid(owner) {}
};

class TStringGrid;
// A column or a row of a string grid as a string list.
class TStringGridStrings : public TStrings {
    KVR_CLASS(TStringGridStrings, TStrings)
public:
    TStringGridStrings(TStringGrid* grid = nullptr, bool isCol = false, int index = 0)
        : FGrid(grid), FIsCol(isCol), FIndex(index) {}
    int Count() const override;
    AnsiString Get(int index) const override;
    void Put(int index, const AnsiString& value) override;
    TObject* GetObject(int index) const override;
    void PutObject(int index, TObject* object) override;
    // A column or row has as many strings as the grid: adding fills the first empty one.
    int Add(const AnsiString& value) override;
    void Insert(int index, const AnsiString& value) override;
    void Delete(int index) override;
    void Clear() override;

private:
    TStringGrid* FGrid;
    bool FIsCol;
    int FIndex;
};

class TStringGrid : public TDrawGrid {
    KVR_CLASS(TStringGrid, TDrawGrid)
public:
    explicit TStringGrid(TComponent* owner);
    ~TStringGrid() override;

    AnsiString Cells(int col, int row) const { return FCells.Cell(col, row); }
    void SetCells(int col, int row, const AnsiString& value);
    TObject* Objects(int col, int row) const { return FCells.Object(col, row); }
    void SetObjects(int col, int row, TObject* value) { FCells.SetObject(col, row, value); }
    TStrings* Cols(int index);
    TStrings* Rows(int index);
    void SetCols(int index, TStrings* value);
    void SetRows(int index, TStrings* value);

    void DrawCell(int col, int row, TRect rect, TGridDrawState state) override;
    AnsiString GetEditText(int col, int row) override;
    void SetEditText(int col, int row, const AnsiString& value) override;
    void ColumnMoved(int from, int to) override;
    void RowMoved(int from, int to) override;
    void SizeChanged(int oldColCount, int oldRowCount) override;
    void DumpDetails(std::vector<AnsiString>& lines, const AnsiString& indent) const override;

private:
    TStringGridCells FCells;
    std::vector<std::unique_ptr<TStringGridStrings>> FLines;
};
