#pragma once
// TwwDBGrid: the commercial library's data grid. It shows the rows of its data source as a window of as
// many records as fit (the grid's rows are that window, under a title row and beside an indicator
// column), so painting and scrolling cost the visible rows, never the data set's size. Its columns are
// the `Selected` list (lines "FIELD<TAB>width in characters<TAB>title"), or the visible fields in order
// when the list is empty. Cells edit through the grid's in-place editor, through the form's control
// that the data set's ControlType names for a field ("FIELD;CustomEdit;control"), or as a check box
// ("FIELD;CheckBox;checked;unchecked", and every Boolean field). Up, Down, Page Up, Page Down and
// Ctrl+Home/End move the record, Left, Right and Tab the column; Down on the last row appends when
// the grid allows inserting.
#include <vector>

#include "classlib/controls/grids.h"
#include "classlib/dbctrls/dblink.h"
#include "classlib/dbctrls/wwdbctrls.h"

class TwwDBGrid;
class TImageList;

KVR_ENUM(TwwDBGridOption, dgEditing, dgAlwaysShowEditor, dgTitles, dgIndicator, dgColumnResize, dgColLines,
         dgRowLines, dgTabs, dgRowSelect, dgAlwaysShowSelection, dgConfirmDelete, dgCancelOnExit, dgWordWrap,
         dgMultiSelect);
KVR_SET(TwwDBGridOptions, TwwDBGridOption);
KVR_ENUM(TwwDBGridKeyOption, dgEnterToTab, dgAllowDelete, dgAllowInsert);
KVR_SET(TwwDBGridKeyOptions, TwwDBGridKeyOption);

// Colours of one data cell before it draws: the handler may change the font and the brush.
KVR_EVENT_TYPE(TwwCalcCellColorsEvent, void(TObject* sender, TField* field, TGridDrawState state,
                                            bool highlight, TFont* font, TBrush* brush));
// A click on a column's title button (the column's field name).
KVR_EVENT_TYPE(TwwTitleButtonClickEvent, void(TObject* sender, const AnsiString& fieldName));
// The image of a column's title from the title image list; -1 for none.
KVR_EVENT_TYPE(TwwCalcTitleImageEvent, void(TObject* sender, TField* field, int& titleImageIndex));
// Colours of a column's title before it draws.
KVR_EVENT_TYPE(TwwCalcTitleAttributesEvent,
               void(TObject* sender, const AnsiString& fieldName, TFont* font, TBrush* brush));
// After a data cell drew its value.
KVR_EVENT_TYPE(TwwDrawDataCellEvent,
               void(TObject* sender, const TRect& rect, TField* field, TGridDrawState state));

// The grid's link: tells the grid when the data set opens, scrolls, changes its layout or its record.
class TwwGridDataLink : public TDataLink {
    KVR_CLASS(TwwGridDataLink, TDataLink)
public:
    TwwGridDataLink() = default;
    void SetGrid(TwwDBGrid* grid);

protected:
    void ActiveChanged() override;
    void DataSetChanged() override;
    void DataSetScrolled(int distance) override;
    void LayoutChanged() override;
    void RecordChanged(TField* field) override;
    void EditingChanged() override;
    void CheckBrowseMode() override;
    void UpdateData() override;

private:
    TwwDBGrid* FGrid = nullptr;
};

// One column: its field (nil when the data set has no field of that name), width in pixels, title.
struct TwwGridColumn {
    AnsiString FieldName;
    TField* Field = nullptr;
    int Width = 64;
    AnsiString Title;
};

class TwwDBGrid : public TCustomGrid, public TDataAware<TwwGridDataLink> {
    KVR_CLASS(TwwDBGrid, TCustomGrid)
public:
    explicit TwwDBGrid(TComponent* owner);
    ~TwwDBGrid() override;

    TDataSet* DataSet() const { return FDataLink->DataSet(); }
    TStrings* Selected() const { return FSelected.get(); }
    void SetSelected(TStrings* value) { FSelected->Assign(value); }
    TwwDBGridOptions Options() const { return FOptions; }
    void SetOptions(TwwDBGridOptions value);
    TwwDBGridKeyOptions KeyOptions() const { return FKeyOptions; }
    void SetKeyOptions(TwwDBGridKeyOptions value) { FKeyOptions = value; }
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool value);
    // After the user (or the program) moved the current cell into another column.
    const TNotifyEvent& OnColEnter() const { return FOnColEnter; }
    void SetOnColEnter(const TNotifyEvent& value) { FOnColEnter = value; }
    TColor TitleColor() const { return FixedColor(); }
    void SetTitleColor(TColor value) { SetFixedColor(value); }
    int IndicatorWidth() const { return FIndicatorWidth; }

    // The columns as laid out now, and the grid column of each (the indicator comes first).
    const std::vector<TwwGridColumn>& Columns() const { return FColumns; }
    int ColumnCount() const { return static_cast<int>(FColumns.size()); }
    // The column of a grid column number; -1 for the indicator or outside.
    int ColumnIndex(int gridCol) const;
    int GridColumnOf(const AnsiString& fieldName) const; // -1 when no column shows that field
    TField* SelectedField() const;
    void SetSelectedField(TField* field);
    int SelectedIndex() const { return ColumnIndex(Col()); }
    // The grid row of the data set's current record.
    int ActiveRow() const { return FixedRows() + FDataLink->ActiveRecord(); }
    // The number of records the grid shows now (its data rows).
    int VisibleRecordCount() const { return FDataLink->RecordCount(); }
    // The shown record of a grid row: its number in the data set's order from 0 (the inserted record
    // counts in its place), -1 for the title row or below the records.
    int RecordIndexOf(int gridRow) const;
    // The place of a data row's record among all the records shown, from 1 (an inserted record counts
    // in its place, so rows keep alternating); 0 for a row without a record.
    int RecordNumberOf(int gridRow) const;
    // The grid row of the cell being drawn (-1 outside drawing).
    int DrawingRow() const { return FDrawingRow; }
    // The text a cell shows ('' for the title and indicator columns of data rows).
    AnsiString CellText(int gridCol, int gridRow) const;
    // The width in pixels a column of that many characters gets in the grid's font.
    int CharsToPixels(int chars) const;
    // Lays the columns out again from Selected or the fields.
    void LayoutChanged();

    // Rows picked for a batch command: bookmarks of the data set, in the order they were picked; the
    // current record is added once at most. Without dgMultiSelect no row is picked.
    const std::vector<TBookmarkStr>& SelectedList() const { return FSelectedRows; }
    bool IsSelectedRecord() const;
    void SelectRecord();
    void UnselectRecord();
    // Every record the data set holds now, in its order; the position stays.
    void SelectAll();
    void UnselectAll();

    const TwwCalcCellColorsEvent& OnCalcCellColors() const { return FOnCalcCellColors; }
    void SetOnCalcCellColors(const TwwCalcCellColorsEvent& value) { FOnCalcCellColors = value; }
    const TwwDrawDataCellEvent& OnDrawDataCell() const { return FOnDrawDataCell; }
    void SetOnDrawDataCell(const TwwDrawDataCellEvent& value) { FOnDrawDataCell = value; }
    // Titles that act as buttons: a left click on a data column's title runs OnTitleButtonClick.
    bool TitleButtons() const { return FTitleButtons; }
    void SetTitleButtons(bool value) { FTitleButtons = value; }
    const TwwTitleButtonClickEvent& OnTitleButtonClick() const { return FOnTitleButtonClick; }
    void SetOnTitleButtonClick(const TwwTitleButtonClickEvent& value) { FOnTitleButtonClick = value; }
    // The images a title may show at its right (OnCalcTitleImage chooses one per column).
    TImageList* TitleImageList() const { return FTitleImageList; }
    void SetTitleImageList(TImageList* value);
    const TwwCalcTitleImageEvent& OnCalcTitleImage() const { return FOnCalcTitleImage; }
    void SetOnCalcTitleImage(const TwwCalcTitleImageEvent& value) { FOnCalcTitleImage = value; }
    const TwwCalcTitleAttributesEvent& OnCalcTitleAttributes() const { return FOnCalcTitleAttributes; }
    void SetOnCalcTitleAttributes(const TwwCalcTitleAttributesEvent& value) {
        FOnCalcTitleAttributes = value;
    }
    // The title image the column's title shows now; -1 for none.
    int TitleImageOf(int gridCol);

    // TCustomGrid's editing virtuals over the current record's fields.
    AnsiString GetEditText(int col, int row) override;
    void SetEditText(int col, int row, const AnsiString& value) override;
    AnsiString GetEditMask(int col, int row) override;
    bool CanEditShow() override;
    bool CanEditModify() override;
    TInplaceEdit* CreateEditor() override;
    bool SelectCell(int col, int row) override;
    void DrawCell(int col, int row, TRect rect, TGridDrawState state) override;
    void DumpDetails(std::vector<AnsiString>& lines, const AnsiString& indent) const override;
    void Notification(TComponent* component, TOperation operation) override;

    // Writes what the editor holds into the field (raising when the field or the picture mask refuses
    // it; the text stays in the editor).
    void UpdateData();
    // Toggles a check-box cell of the current record.
    void ToggleCheckBox();
    // The check-box values of a field's column ("" when it is no check box).
    bool IsCheckBoxField(TField* field, AnsiString& valueChecked, AnsiString& valueUnchecked) const;
    // The control of the grid's owner that edits a field's cells, nil when the grid's own editor does.
    TWinControl* CustomEditorOf(TField* field) const;
    TWinControl* ActiveCustomEditor() const { return FCustomEditor; }

protected:
    friend class TwwGridDataLink;
    void Paint() override;
    void KeyDown(Word& key, TShiftState shift) override;
    void KeyPress(char& key) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void DoExit() override;
    void Resize() override;
    void CurrentMoved(int oldCol, int oldRow) override;

    // The drawing hooks: the colours of a data cell, a check box, and a data cell after it drew.
    virtual void DoCalcCellColors(TField* field, TGridDrawState state, bool highlight, TFont* font,
                                  TBrush* brush);
    virtual void DrawCheckBox(const TRect& rect, bool checked);
    virtual void DrawDataCell(const TRect& rect, TField* field, TGridDrawState state);
    virtual void DrawTitleCell(int col, const TRect& rect);
    // Moves the data set's cursor by distance records (appending past the end when allowed); the editor
    // closes first and comes back on the new record when it was open.
    void MoveRecord(int distance);
    // The record a data row shows becomes the one the fields read (-1: the current record again).
    void ShowRecordOfRow(int gridRow) const;
    bool CanAppend() const;

private:
    void SelectedChanged(TObject* sender);
    void LinkActiveChanged();
    void LinkDataChanged();
    void LinkRecordChanged(TField* field);
    void UpdateRowCount();
    void SyncCurrentRow();
    void ShowCustomEditor();
    void HideCustomEditor();
    void ValidatePicture(TField* field, const AnsiString& text) const;
    // The text a cell of the field shows: a mapped combo editor's item text, else the display text.
    AnsiString ShownText(TField* field) const;

    std::unique_ptr<TStringList> FSelected;
    std::vector<TBookmarkStr> FSelectedRows;
    std::vector<TwwGridColumn> FColumns;
    TwwDBGridOptions FOptions;
    TwwDBGridKeyOptions FKeyOptions;
    bool FReadOnly = false;
    int FIndicatorWidth = 11;
    int FDrawingRow = -1;
    bool FSyncing = false;
    bool FLayingOut = false;
    // The editor's text not yet written, and the field it is for.
    AnsiString FEditText;
    TField* FEditField = nullptr;
    bool FEditPending = false;
    TWinControl* FCustomEditor = nullptr;
    TNotifyEvent FOnColEnter;
    TwwCalcCellColorsEvent FOnCalcCellColors;
    TwwDrawDataCellEvent FOnDrawDataCell;
    bool FTitleButtons = false;
    TwwTitleButtonClickEvent FOnTitleButtonClick;
    TImageList* FTitleImageList = nullptr;
    TwwCalcTitleImageEvent FOnCalcTitleImage;
    TwwCalcTitleAttributesEvent FOnCalcTitleAttributes;
};

// Whether text matches a picture mask of the library's picture syntax: # a digit, ? a letter, & a letter
// made upper case, ~ a letter made lower case, @ any character, ! any character made upper case,
// ; the next character literally, *N or * a repetition of what follows (N times, or any number), [ ]
// optional, { , } alternatives; any other character stands for itself (letters without case).
bool MatchesPictureMask(const AnsiString& mask, const AnsiString& text);
