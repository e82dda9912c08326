#pragma once
// TStringAlignGrid: a string grid whose cells, columns and rows each may carry their own alignment,
// word wrap, editability, brushes, fonts, edit mask and in-cell control (ellipsis button, check box,
// pick list). The settings are kept sparsely, one TCellProperties record per cell, column, row, fixed
// column or fixed row that was given anything, and resolved for a cell in a fixed order: the cell,
// then its column (the fixed-column record for a fixed cell), then its row (likewise), then the grid.
// Edit masks, selected colours and controls never consult the fixed records.
//
// The records, hints and texts go into the form stream as the extra properties HintCell, Cells,
// PropCell, PropCol, PropRow, PropFixedCol and PropFixedRow (see Aligrid.cpp for the byte format);
// older streams' AlignCell, FontCol, ColorRow ... are read and saved again in that form.
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "classlib/controls/forms.h"
#include "classlib/controls/grids.h"
#include "classlib/controls/stdctrls.h"
#include "classlib/objects/filer.h"
#include "classlib/objects/stringlist.h"

class TStringAlignGrid;

// Ordinals are stored in form streams, so they are fixed.
enum class TMyAlign : Byte { alRight, alLeft, alCenter, alDefault };
KVR_ENUM_INFO(TMyAlign, alRight, alLeft, alCenter, alDefault);
enum class T_Wordwrap : Byte { ww_none, ww_wordwrap, ww_ellipsis, ww_default };
KVR_ENUM_INFO(T_Wordwrap, ww_none, ww_wordwrap, ww_ellipsis, ww_default);
// ctText carries a text and has no look or editing of its own in the grid.
enum class TCellControlKind : Byte { ctNone, ctButton, ctCheckBox, ctPickList, ctText };
KVR_ENUM_INFO(TCellControlKind, ctNone, ctButton, ctCheckBox, ctPickList, ctText);

KVR_ENUM(T_nextcell, nc_rightdown, nc_downright, nc_leftdown, nc_downleft, nc_leftup, nc_upleft, nc_rightup,
         nc_upright);
KVR_ENUM(T_lastcell, lc_newcolrow, lc_stop, lc_first, lc_exit);
// What a compare event answers for (Compare1, Compare2).
KVR_ENUM(t_relation, rel_smaller, rel_equal, rel_greater);

// (Signatures the class library's grid events already name are aliases of those.)
using TCellEvent = TDelegate<void(TObject* sender, int ACol, int ARow)>;
using TCellEventBool = TDelegate<void(TObject* sender, int ACol, int ARow, bool& Result)>;
KVR_EVENT_TYPE(TColEvent, void(TObject* sender, int ACol));
using TRowEvent = TColEvent;
KVR_EVENT_TYPE(TShowHintCellProc, void(TObject* sender, int ACol, int ARow, AnsiString& HintStr,
                                       bool& CanShow, THintInfo& HintInfo));
KVR_EVENT_TYPE(TCompareFunction, t_relation(TObject* sender, int ColRow, int Compare1, int Compare2));
KVR_EVENT_TYPE(TCalcCellColorsEvent, void(TObject* sender, int ACol, int ARow, TRect ARect,
                                          TGridDrawState AState, TFont* AFont, TBrush* ABrush));

// A font of the grid's records: every change marks it modified and repaints its grid.
class TMyFont : public TFont {
    KVR_CLASS(TMyFont, TFont)
public:
    explicit TMyFont(TStringAlignGrid* owner = nullptr);
    TStringAlignGrid* Owner() const { return FOwner; }
    void SetOwner(TStringAlignGrid* owner);
    bool Modified = false;

protected:
    void Changed() override;

private:
    TStringAlignGrid* FOwner;
};

class TMyBrush : public TBrush {
    KVR_CLASS(TMyBrush, TBrush)
public:
    explicit TMyBrush(TStringAlignGrid* owner = nullptr);
    TStringAlignGrid* Owner() const { return FOwner; }
    void SetOwner(TStringAlignGrid* owner);
    bool Modified = false;

protected:
    void Changed() override;

private:
    TStringAlignGrid* FOwner;
};

// The lines of a pick list: a shown text, or a shown text, a tab and a value.
class TGridStrings : public TStringList {
    KVR_CLASS(TGridStrings, TStringList)
public:
    TGridStrings() = default;
    // Any strings' lines; a TGridStrings also gives ListOnly, DropDownCount and Separator (others
    // leave them at False and 8).
    void Assign(TPersistent* source) override;
    AnsiString Separator = "\t";
    bool ListOnly = false; // the cell is picked from, never typed into
    int DropDownCount = 8;
    bool Modified = false;
    // The shown part and the value part of a line (the shown part when the line has no value).
    AnsiString ShownText(int index) const;
    AnsiString ValueText(int index) const;

protected:
    void Changed() override;
};

// The control shown in a cell. Its setters keep only what the kind uses.
class TControlInfo : public TObject {
    KVR_CLASS(TControlInfo, TObject)
public:
    explicit TControlInfo(TStringAlignGrid* owner = nullptr);
    ~TControlInfo() override;
    TCellControlKind Kind() const { return FKind; }
    void SetKind(TCellControlKind value);
    const AnsiString& Text() const { return FText; }
    void SetText(const AnsiString& value); // kept for ctText only
    const AnsiString& CheckedText() const { return FCheckedText; }
    void SetCheckedText(const AnsiString& value); // kept for ctCheckBox only
    const AnsiString& UncheckedText() const { return FUncheckedText; }
    void SetUncheckedText(const AnsiString& value);
    TGridStrings* PickList() const { return FPickList.get(); }
    void SetPickList(TStrings* value); // kept for ctPickList only
    TStringAlignGrid* Owner() const { return FOwner; }
    void SetOwner(TStringAlignGrid* owner) { FOwner = owner; }
    // Nil: kind ctNone, no texts, no pick list.
    virtual void Assign(const TControlInfo* source);
    bool Modified = false;
    std::function<void(TStringAlignGrid* owner, TControlInfo* sender)> OnChange;

protected:
    virtual void Changed();

private:
    TStringAlignGrid* FOwner;
    TCellControlKind FKind = TCellControlKind::ctNone;
    AnsiString FText, FCheckedText, FUncheckedText;
    std::unique_ptr<TGridStrings> FPickList;
};

// The settings of one cell, column or row; every field at its default means "not set".
class TCellProperties : public TObject {
    KVR_CLASS(TCellProperties, TObject)
public:
    explicit TCellProperties(TStringAlignGrid* owner = nullptr);
    ~TCellProperties() override;

    Byte Editable = 0; // 0 not set, 1 not editable, 2 editable
    AnsiString EditMask;
    T_Wordwrap Wordwrap = T_Wordwrap::ww_default;
    TMyAlign Align = TMyAlign::alDefault;
    TStringAlignGrid* Owner;
    TMyFont* Font() const { return FFont.get(); }
    TMyFont* SelectedFont() const { return FSelectedFont.get(); }
    TMyBrush* Brush() const { return FBrush.get(); }
    TMyBrush* SelectedBrush() const { return FSelectedBrush.get(); }
    TControlInfo* ControlInfo() const { return FControlInfo.get(); }

    // Nil frees and clears; otherwise a copy owned by the record, handed to the owner grid.
    void SetFont(const TFont* value);
    void SetSelectedFont(const TFont* value);
    void SetBrush(const TBrush* value);
    void SetSelectedBrush(const TBrush* value);
    void SetControlInfo(const TControlInfo* value);

    // The record's part of a form stream: (tag, value) pairs of what differs from the defaults, ended
    // by the tag 0.
    virtual void WriteToStream(TWriter& writer) const;
    // Reads the value of one tag; false for the end tag 0. Tags it does not know are skipped.
    virtual bool ReadTag(int tag, TReader& reader, TStringAlignGrid* grid);
    void ReadFromStream(TReader& reader, TStringAlignGrid* grid);
    virtual void Assign(const TCellProperties* source);
    virtual bool IsEmpty() const;
    virtual TCellProperties* Clone() const;

private:
    std::unique_ptr<TMyFont> FFont, FSelectedFont;
    std::unique_ptr<TMyBrush> FBrush, FSelectedBrush;
    std::unique_ptr<TControlInfo> FControlInfo;
};

// The class a grid makes its records of; a descendant grid may make its own.
using TCellPropertiesClass = TCellProperties* (*)(TStringAlignGrid* owner);

class TPopupListbox;

// The grid's in-place editor: edit masks, an ellipsis or drop-down button, check-box cells.
class TNewInplaceEdit : public TInplaceEdit {
    KVR_CLASS(TNewInplaceEdit, TInplaceEdit)
    KVR_MESSAGES(TNewInplaceEdit)
public:
    explicit TNewInplaceEdit(TComponent* owner);
    TStringAlignGrid* AlignGrid() const;

    int ButtonWidth() const { return FButtonWidth; }
    Byte ButtonStyle() const { return FButtonStyle; } // 0 none, 1 ellipsis, 2 drop-down
    bool Dropped() const { return FDropped; }
    TPopupListbox* PickListBox() const { return FPickList; }
    int RecordedCol() const { return FCol; }
    int RecordedRow() const { return FRow; }
    void DropDown();
    void CloseUp(bool accept);
    bool Multiline() const { return FMultiline; }
    void UpdateContents() override;

protected:
    void KeyDown(Word& key, TShiftState shift) override;
    void KeyPress(char& key) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void DoExit() override;
    void Paint() override;
    // The drop-down list sits on the form, which frees it with its other controls.
    void Notification(TComponent* component, TOperation operation) override;
    void CMHintShow(TMessage& message);

private:
    friend class TStringAlignGrid;
    bool OnButton(int x) const;
    bool ListOnlyCell() const;
    bool CheckCell() const;
    void ToggleCheck();
    bool SearchList(char key);

    TMyAlign FAlignment = TMyAlign::alLeft;
    bool FMultiline = false;
    int FButtonWidth = 16;
    Byte FButtonStyle = 0;
    TPopupListbox* FPickList = nullptr;
    TPopupListbox* FActiveList = nullptr;
    bool FDropped = false;
    Cardinal FLastKeyTime = 0;
    bool FTracking = false;
    bool FPressed = false;
    AnsiString FSearchText;
    int FCol = -1, FRow = -1;
    bool FBeforeEdit = false;
    AnsiString FRestoreText;
};

// The editor's drop-down list of a pick-list cell.
class TPopupListbox : public TCustomListBox {
    KVR_CLASS(TPopupListbox, TCustomListBox)
public:
    explicit TPopupListbox(TComponent* owner);
    ~TPopupListbox() override;
    TGridStrings* Values() const { return FValues.get(); }
    AnsiString Separator = "\t";

protected:
    void KeyPress(char& key) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

private:
    Cardinal FLastKeyTime = 0;
    AnsiString FSearchText;
    std::unique_ptr<TGridStrings> FValues;
};

// The grid's own messages: WParam the column, LParam the row.
constexpr Cardinal WM_ALIGNGRID_CANCELEDIT = WM_USER + 2000;
constexpr Cardinal WM_ALIGNGRID_ENDEDIT = WM_USER + 2001;
constexpr Cardinal WM_ALIGNGRID_VALIDATEEDIT = WM_USER + 2002;
constexpr Cardinal WM_ALIGNGRID_BEFOREEDIT = WM_USER + 2003;
constexpr Cardinal WM_ALIGNGRID_SHOWEDITOR = WM_USER + 2004;
constexpr Cardinal WM_ALIGNGRID_RESERVED = WM_USER + 2005;

// The optional hook that may change a cell's alignment and word wrap before its text is drawn.
using TTextFormatProc = void (*)(TStringAlignGrid* grid, int col, int row, T_Wordwrap& wordwrap,
                                 TMyAlign& align);
extern TTextFormatProc AlignGridTextFormat;

// What a form's code-page conversion is handed for each text and each font the grid holds (the code
// converter reaches the grid through its published method "ConvertResources" with this signature).
using TGridTextConversion = std::function<AnsiString(const AnsiString& text)>;
using TGridFontConversion = std::function<void(TFont* font)>;

class TStringAlignGrid : public TStringGrid {
    KVR_CLASS(TStringAlignGrid, TStringGrid)
    KVR_MESSAGES(TStringAlignGrid)
public:
    explicit TStringAlignGrid(TComponent* owner);
    ~TStringAlignGrid() override;

    // ---- published settings ----
    const AnsiString& EditMask() const { return FEditMask; }
    void SetEditMask(const AnsiString& value);
    TMyAlign Alignment() const { return FAlignment; }
    void SetAlignment(TMyAlign value);
    T_Wordwrap Wordwrap() const { return FWordwrap; }
    void SetWordwrap(T_Wordwrap value);
    bool Editable() const { return FEditable; }
    void SetEditable(bool value) { FEditable = value; }
    TColor FixedColor() const { return TStringGrid::FixedColor(); }
    void SetFixedColor(TColor value);
    TColor SelectedCellColor() const { return FSelectedCellColor; }
    void SetSelectedCellColor(TColor value);
    TColor SelectedFontColor() const { return FSelectedFontColor; }
    void SetSelectedFontColor(TColor value);
    bool DrawSelection() const { return FDrawSelection; }
    void SetDrawSelection(bool value);
    TColor GridLineColor() const { return FGridLineColor; }
    void SetGridLineColor(TColor value);
    bool AutoAdjustLastCol() const { return FAutoAdjustLastCol; }
    void SetAutoAdjustLastCol(bool value);
    void SetGridLineWidth(int value);
    int GridLineWidth() const { return TStringGrid::GridLineWidth(); }
    bool ShowCellHints = true;
    bool SelectEditText = true;
    bool EditMultiline = false;
    bool AutoEditNextCell = false;
    T_nextcell NextCellEdit = nc_rightdown;
    T_nextcell NextCellTab = nc_rightdown;
    T_lastcell AfterLastCellEdit = lc_newcolrow;
    T_lastcell AfterLastCellTab = lc_first;
    bool RedrawWhileScroll = false;
    int ImeMode = 0;
    AnsiString ImeName;

    TShowHintCellProc OnShowHintCell;
    TCellEvent OnAfterEdit, OnCancelEdit, OnBeforeEdit;
    TCellEventBool OnValidateEdit;
    TCompareFunction OnCompareRow, OnCompareCol;
    TNotifyEvent OnColWidthsChanged, OnRowHeightsChanged;
    TColEvent OnFixedColClick;
    TRowEvent OnFixedRowClick;
    TNotifyEvent OnEditButtonClick, OnComboBoxClick;
    TCalcCellColorsEvent OnCalcCellColors;

    // ---- the grid-level fallbacks ----
    TMyFont* FixedFont() const { return FFixedFont.get(); }
    TMyBrush* FixedBrush() const { return FFixedBrush.get(); }
    TControlInfo* DefaultControl() const { return FDefaultControl.get(); }
    TBitmap* Background() const { return FBackground.get(); }
    TCellPropertiesClass PropClass = nullptr;

    // ---- the records, created on demand ----
    TCellProperties* GetCellProps(int col, int row);
    TCellProperties* GetColProps(int col);
    TCellProperties* GetRowProps(int row);
    TCellProperties* GetFixedColProps(int col);
    TCellProperties* GetFixedRowProps(int row);
    // The records as they are; nil when there is none.
    TCellProperties* CellPropsOf(int col, int row) const;
    TCellProperties* ColPropsOf(int col) const;
    TCellProperties* RowPropsOf(int row) const;
    TCellProperties* FixedColPropsOf(int col) const;
    TCellProperties* FixedRowPropsOf(int row) const;
    void ResetCellProps(int col, int row);
    bool IsFixed(int col, int row) const { return col < FixedCols() || row < FixedRows(); }

    // Alignment.
    void SetAlignCell(int col, int row, TMyAlign value);
    void SetAlignCol(int col, TMyAlign value);
    void SetFixedAlignCol(int col, TMyAlign value);
    void SetAlignRow(int row, TMyAlign value);
    void SetFixedAlignRow(int row, TMyAlign value);
    void ClearAlignCell(int col, int row);
    TMyAlign GetAlignCell(int col, int row) const;
    // Word wrap (set through the records).
    void ClearWordwrapCell(int col, int row);
    T_Wordwrap GetWordwrapCell(int col, int row) const;
    // Editability.
    void SetEditCell(int col, int row, bool value);
    void SetEditCol(int col, bool value);
    void SetEditRow(int row, bool value);
    void ClearEditCell(int col, int row);
    bool GetEditableCell(int col, int row) const;
    // Fonts, made on demand as a copy of the grid's font (the fixed ones of the fixed font).
    TFont* FontCell(int col, int row);
    TFont* FontCol(int col);
    TFont* FontFixedCol(int col);
    TFont* FontRow(int row);
    TFont* FontFixedRow(int row);
    void ClearFontCell(int col, int row);
    TFont* GetCellFont(int col, int row) const;
    // Brushes, made on demand as a copy of the grid's brush (the fixed ones of the fixed brush).
    TBrush* BrushCell(int col, int row);
    TBrush* BrushCol(int col);
    TBrush* BrushFixedCol(int col);
    TBrush* BrushRow(int row);
    TBrush* BrushFixedRow(int row);
    void ClearBrushCell(int col, int row);
    TBrush* GetCellBrush(int col, int row) const;
    TColor GetCellColor(int col, int row) const;
    // Selected colours and fonts.
    void SetSelectedColorCell(int col, int row, TColor value);
    void SetSelectedColorCol(int col, TColor value);
    void SetSelectedColorRow(int row, TColor value);
    void ClearSelectedColorCell(int col, int row);
    TColor GetSelectedCellColor(int col, int row) const;
    void ClearSelectedFontCell(int col, int row);
    TColor GetSelectedFontColorCell(int col, int row) const;
    // Edit masks.
    void SetCellEditMask(int col, int row, const AnsiString& value);
    void ClearCellEditMask(int col, int row);
    AnsiString GetCellEditMask(int col, int row) const;
    // Controls, made on demand as a copy of DefaultControl.
    TControlInfo* GetCellControl(int col, int row);
    TControlInfo* GetColControl(int col);
    TControlInfo* GetRowControl(int row);
    void ClearCellControl(int col, int row);
    // The effective control: cell, column, row (a ctNone one does not count), else DefaultControl.
    TControlInfo* GetCellControlInfo(int col, int row) const;
    TGridStrings* GetCellPickList(int col, int row) const;
    bool IsCheckCell(int col, int row) const;
    // Hints: the cell's own, else the grid's Hint.
    void SetHintCell(int col, int row, const AnsiString& value);
    AnsiString GetHintCell(int col, int row) const;
    bool HasCellHint(int col, int row) const;

    // ---- the grid's shape, with the records ----
    void InsertCol(int index);
    void InsertRow(int index);
    void RemoveRow(int row);
    void SwapRows(int a, int b);
    void SwapCols(int a, int b);
    void ColumnMoved(int from, int to) override;
    void RowMoved(int from, int to) override;
    void SizeChanged(int oldColCount, int oldRowCount) override;

    // ---- sorting, clipboard ----
    // Reorders the rows first..last by the texts of column colRow (byColumn) or the columns by row
    // colRow, through OnCompareCol / OnCompareRow.
    std::function<void(int colRow, int first, int last, bool byColumn, bool descending)> SortColRow;
    void CopyToClipboard(char separator, TGridRect range);
    void PasteFromClipboard(char separator, TGridRect range);
    void CellsToStream(TStream& stream, char separator, TGridRect range);
    void StreamToCells(TStream& stream, char separator, TGridRect range);

    // ---- next cell ----
    // The cell after (col, row) in that direction; (-1, -1) at the end, after the end rule applied.
    TGridCoord NextCell(int col, int row, T_nextcell direction, T_lastcell rule, bool* added = nullptr);
    TGridCoord NextEditableCell(int col, int row);

    // ---- the in-place editor ----
    TNewInplaceEdit* Editor() const;
    bool EditUnderway() const { return FEditUnderway; }

    // ---- the library's virtuals ----
    TInplaceEdit* CreateEditor() override;
    AnsiString GetEditMask(int col, int row) override;
    AnsiString GetEditText(int col, int row) override;
    bool CanEditShow() override;
    bool CanEditModify() override;
    void DrawCell(int col, int row, TRect rect, TGridDrawState state) override;
    void Loaded() override;
    void DefineProperties(TFiler& filer) override;
    void DumpDetails(std::vector<AnsiString>& lines, const AnsiString& indent) const override;

    // The form conversion's walk over the texts, hints, fonts and pick lists the grid holds.
    void ConvertResources(const TGridTextConversion& text, const TGridFontConversion& font);

    // Repaints the whole grid (every font, brush and control info of the grid calls it).
    void GridChanged(TObject* sender = nullptr);
    TColor GridLinePaintColor() const override { return FGridLineColor; }

protected:
    virtual void CreateComponents();
    virtual void PrepareCellCanvas(int col, int row, TGridDrawState state, TRect& rect);
    virtual void DrawCellText(int col, int row, TGridDrawState state, TRect rect);
    virtual void DrawCellButton(int col, int row, TGridDrawState state, TRect& rect);
    virtual void DrawCellCheckBox(int col, int row, TRect rect);
    virtual void DrawComboButton(int col, int row, TGridDrawState state, TRect rect);
    virtual void DrawEllipsisButton(int col, int row, TGridDrawState state, TRect rect);
    virtual void DoCalcCellColors(int col, int row, TRect rect, TGridDrawState state, TFont* font,
                                  TBrush* brush);
    virtual void DoEditButtonClick();
    virtual void DoComboBoxClick();

    void Paint() override;
    void TileBackground(const TRect& rect);
    void KeyDown(Word& key, TShiftState shift) override;
    void KeyPress(char& key) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void DoEnter() override;
    void DoExit() override;
    void TopLeftChanged() override;

    void WMCancelEdit(TMessage& message);
    void WMEndEdit(TMessage& message);
    void WMValidateEdit(TMessage& message);
    void WMBeforeEdit(TMessage& message);
    void WMShowEditor(TMessage& message);
    void WMReserved(TMessage& message);
    void WMCopy(TMessage& message);
    void WMCut(TMessage& message);
    void WMPaste(TMessage& message);
    void WMCommand(TMessage& message);
    void WMSize(TMessage& message);
    void CMHintShow(TMessage& message);
    void CMFontChanged(TMessage& message);

private:
    friend class TNewInplaceEdit;
    friend class TCellProperties;
    using TPropList = std::vector<std::unique_ptr<TCellProperties>>;
    using THintList = std::vector<std::optional<AnsiString>>;

    // The entry at index (not negative), the list grown to hold it.
    template <class T> static T& Slot(std::vector<T>& list, int index) {
        if (static_cast<std::size_t>(index) >= list.size()) list.resize(static_cast<std::size_t>(index) + 1);
        return list[static_cast<std::size_t>(index)];
    }
    TCellProperties* NewProps();
    static TCellProperties* At(const TPropList& list, int index);
    TCellProperties* Need(TPropList& list, int index);
    TCellProperties* ColSource(int col, bool fixed) const {
        return fixed ? FixedColPropsOf(col) : ColPropsOf(col);
    }
    TCellProperties* RowSource(int row, bool fixed) const {
        return fixed ? FixedRowPropsOf(row) : RowPropsOf(row);
    }
    TMyFont* NeedFont(TCellProperties* props, bool fixed);
    TMyBrush* NeedBrush(TCellProperties* props, bool fixed);
    TControlInfo* NeedControl(TCellProperties* props);
    void Adopt(TControlInfo* info);
    void SetEditorCell(int col, int row);
    void Validate(int col, int row);
    void AdjustLastCol();
    void DefaultSort(int colRow, int first, int last, bool byColumn, bool descending);
    t_relation CompareColTexts(TObject* sender, int colRow, int a, int b);
    t_relation CompareRowTexts(TObject* sender, int colRow, int a, int b);
    bool HasPropsToWrite() const;

    // Stream readers and writers.
    void ReadPropCell(TReader& reader);
    void WritePropCell(TWriter& writer);
    void ReadPropList(TReader& reader, TPropList& list);
    void WritePropList(TWriter& writer, const TPropList& list, int count);
    void ReadHints(TReader& reader);
    void WriteHints(TWriter& writer);
    void ReadCellTexts(TReader& reader);
    void WriteCellTexts(TWriter& writer);

    AnsiString FEditMask;
    TMyAlign FAlignment = TMyAlign::alLeft;
    T_Wordwrap FWordwrap = T_Wordwrap::ww_none;
    bool FEditable = true;
    TColor FSelectedCellColor;
    TColor FSelectedFontColor;
    bool FDrawSelection = true;
    bool FAutoAdjustLastCol = false;
    TColor FGridLineColor;

    TPropList FColProps, FRowProps, FFixedColProps, FFixedRowProps;
    std::vector<TPropList> FCellProps;                    // by column, then row
    std::vector<THintList> FCellHints;                    // by column, then row
    std::unique_ptr<std::vector<THintList>> FLoadedCells; // between reading and Loaded
    std::unique_ptr<TControlInfo> FDefaultControl;
    std::unique_ptr<TMyFont> FFixedFont;
    std::unique_ptr<TMyBrush> FFixedBrush;
    mutable std::unique_ptr<TBrush> FGridBrush; // what GetCellBrush answers for the grid's own colour
    std::unique_ptr<TBitmap> FBackground, FCheckBitmap, FUncheckBitmap;
    TGridCoord FHintCell{-1, -1};
    TPoint FMousePos;
    bool FEditUnderway = false;
    bool FRestoreEditor = false;
    int FSavedSelStart = 0, FSavedSelLength = 0;
    bool FHintsStored = false; // write HintCell
    bool FCellsStored = false; // write Cells
};

// The unit's routines. The control of a cell (both indices >= 0), a column (row < 0) or a row (col < 0):
// ctCheckBox splits text at its first ";" into checked and unchecked text, ctPickList takes its lines
// (and ListOnly from flag), ctButton and ctText pass it to SetText.
void SetGridCellControl(TStringAlignGrid* grid, int col, int row, bool flag, const AnsiString& text,
                        TCellControlKind kind);
// The text as shown: a check-box cell gives its checked text when the stored text equals it, else its
// unchecked text; fixed and other cells their stored text.
AnsiString GetGridCellText(const TStringAlignGrid* grid, int col, int row);
void SetGridCellText(TStringAlignGrid* grid, int col, int row, const AnsiString& text);
