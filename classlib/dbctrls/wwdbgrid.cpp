#include "classlib/dbctrls/wwdbgrid.h"

#include <algorithm>
#include <cctype>
#include <functional>

#include "classlib/controls/comctrls.h"
#include "classlib/controls/forms.h"
#include "classlib/objects/rtti.h"
#include "classlib/rtl/format.h"
#include "classlib/rtl/strutils.h"

namespace {

// The grid's editor: leaving it writes its text into the field, as leaving the cell does.
class TwwInplaceEdit : public TInplaceEdit {
public:
    explicit TwwInplaceEdit(TComponent* owner) : TInplaceEdit(owner) {}

protected:
    void DoExit() override {
        TInplaceEdit::DoExit();
        if (auto* grid = dynamic_cast<TwwDBGrid*>(Grid())) grid->UpdateData();
    }
};

// "FIELD<TAB>width<TAB>title": the parts of one Selected line.
void SplitSelected(const AnsiString& line, AnsiString& field, int& width, AnsiString& title) {
    auto tab = line.find('\t');
    field = Trim(line.substr(0, tab));
    width = -1;
    title.clear();
    if (tab == AnsiString::npos) return;
    AnsiString rest = line.substr(tab + 1);
    auto tab2 = rest.find('\t');
    width = StrToIntDef(Trim(rest.substr(0, tab2)), -1);
    if (tab2 != AnsiString::npos) title = rest.substr(tab2 + 1);
}

} // namespace

// ---- TwwGridDataLink ----

void TwwGridDataLink::SetGrid(TwwDBGrid* grid) {
    FGrid = grid;
}

void TwwGridDataLink::ActiveChanged() {
    if (FGrid) FGrid->LinkActiveChanged();
}

void TwwGridDataLink::DataSetChanged() {
    if (FGrid) FGrid->LinkDataChanged();
}

void TwwGridDataLink::DataSetScrolled(int) {
    if (FGrid) FGrid->LinkDataChanged();
}

void TwwGridDataLink::LayoutChanged() {
    if (FGrid) FGrid->LayoutChanged();
}

void TwwGridDataLink::RecordChanged(TField* field) {
    if (FGrid) FGrid->LinkRecordChanged(field);
}

void TwwGridDataLink::EditingChanged() {
    if (FGrid) FGrid->Invalidate();
}

void TwwGridDataLink::CheckBrowseMode() {}

void TwwGridDataLink::UpdateData() {
    if (FGrid) FGrid->UpdateData();
}

// ---- TwwDBGrid ----

TwwDBGrid::TwwDBGrid(TComponent* owner)
    : TCustomGrid(owner), TDataAware(this),
      FSelected(new TStringList), FOptions{dgEditing,  dgTitles, dgIndicator,     dgColumnResize, dgColLines,
                                           dgRowLines, dgTabs,   dgConfirmDelete, dgCancelOnExit} {
    FDataLink->SetGrid(this);
    FSelected->SetOnChange(TNotifyEvent(this, &TwwDBGrid::SelectedChanged));
    SetDefaultRowHeight(18);
    SetOptions(FOptions);
    LayoutChanged();
}

TwwDBGrid::~TwwDBGrid() {
    // The editor went with the children: the link tells the grid nothing more.
    FDataLink->SetGrid(nullptr);
    FDataLink->SetDataSource(nullptr);
}

void TwwDBGrid::SelectedChanged(TObject*) {
    LayoutChanged();
}

void TwwDBGrid::Notification(TComponent* component, TOperation operation) {
    TCustomGrid::Notification(component, operation);
    DataSourceNotification(component, operation);
    if (operation == opRemove && component == FCustomEditor) FCustomEditor = nullptr;
    if (operation == opRemove && component == FTitleImageList) FTitleImageList = nullptr;
}

void TwwDBGrid::SetTitleImageList(TImageList* value) {
    FTitleImageList = value;
    if (value) value->FreeNotification(this);
    Invalidate();
}

int TwwDBGrid::TitleImageOf(int gridCol) {
    const int index = ColumnIndex(gridCol);
    if (index < 0 || !FOnCalcTitleImage) return -1;
    int image = -1;
    FOnCalcTitleImage(this, FColumns[static_cast<size_t>(index)].Field, image);
    return image;
}

void TwwDBGrid::SetOptions(TwwDBGridOptions value) {
    FOptions = value;
    TGridOptions grid;
    if (value.Contains(dgColLines)) grid.Include(goFixedVertLine), grid.Include(goVertLine);
    if (value.Contains(dgRowLines)) grid.Include(goFixedHorzLine), grid.Include(goHorzLine);
    if (value.Contains(dgEditing)) grid.Include(goEditing);
    if (value.Contains(dgAlwaysShowEditor)) grid.Include(goAlwaysShowEditor);
    if (value.Contains(dgTabs)) grid.Include(goTabs);
    if (value.Contains(dgRowSelect)) grid.Include(goRowSelect);
    if (value.Contains(dgColumnResize)) grid.Include(goColSizing);
    TCustomGrid::SetOptions(grid);
    LayoutChanged();
}

void TwwDBGrid::SetReadOnly(bool value) {
    FReadOnly = value;
    if (value) HideEditor();
    Invalidate();
}

int TwwDBGrid::CharsToPixels(int chars) const {
    TCanvas measure;
    measure.Font()->Assign(Font());
    return std::max(0, chars) * measure.TextWidth("0") + 4;
}

bool TwwDBGrid::IsSelectedRecord() const {
    TDataSet* dataSet = DataSet();
    if (!dataSet || !dataSet->Active() || dataSet->IsEmpty()) return false;
    const TBookmarkStr mark = dataSet->Bookmark();
    return std::find(FSelectedRows.begin(), FSelectedRows.end(), mark) != FSelectedRows.end();
}

void TwwDBGrid::SelectRecord() {
    TDataSet* dataSet = DataSet();
    if (!FOptions.Contains(dgMultiSelect) || !dataSet || !dataSet->Active() || dataSet->IsEmpty() ||
        IsSelectedRecord())
        return;
    FSelectedRows.push_back(dataSet->Bookmark());
    Invalidate();
}

void TwwDBGrid::UnselectRecord() {
    TDataSet* dataSet = DataSet();
    if (!dataSet || !dataSet->Active() || dataSet->IsEmpty()) return;
    const TBookmarkStr mark = dataSet->Bookmark();
    FSelectedRows.erase(std::remove(FSelectedRows.begin(), FSelectedRows.end(), mark), FSelectedRows.end());
    Invalidate();
}

void TwwDBGrid::SelectAll() {
    TDataSet* dataSet = DataSet();
    if (!FOptions.Contains(dgMultiSelect) || !dataSet || !dataSet->Active() || dataSet->IsEmpty()) return;
    const TBookmarkStr here = dataSet->Bookmark();
    dataSet->DisableControls();
    for (dataSet->First(); !dataSet->Eof(); dataSet->Next())
        if (!IsSelectedRecord()) FSelectedRows.push_back(dataSet->Bookmark());
    dataSet->SetBookmark(here);
    dataSet->EnableControls();
    Invalidate();
}

void TwwDBGrid::UnselectAll() {
    FSelectedRows.clear();
    Invalidate();
}

void TwwDBGrid::LayoutChanged() {
    if (FLayingOut) return;
    FLayingOut = true;
    try {
        TDataSet* ds = DataSet();
        const bool active = ds && ds->Active();
        std::vector<TwwGridColumn> columns;
        if (FSelected->Count() > 0) {
            for (int i = 0; i < FSelected->Count(); ++i) {
                TwwGridColumn column;
                int chars;
                SplitSelected(FSelected->Get(i), column.FieldName, chars, column.Title);
                if (column.FieldName.empty()) continue;
                column.Field = active ? ds->FindField(column.FieldName) : nullptr;
                if (active && !column.Field) continue;
                if (chars < 0) chars = column.Field ? column.Field->DisplayWidth() : 10;
                column.Width = CharsToPixels(chars);
                if (column.Title.empty())
                    column.Title = column.Field ? column.Field->DisplayLabel() : column.FieldName;
                columns.push_back(column);
            }
        } else if (active) {
            for (int i = 0; i < ds->FieldCount(); ++i) {
                TField* field = ds->Fields()->Fields(i);
                if (!field->Visible() || field->DataType() == ftDataSet) continue;
                TwwGridColumn column;
                column.FieldName = field->FieldName();
                column.Field = field;
                column.Width = CharsToPixels(field->DisplayWidth());
                column.Title = field->DisplayLabel();
                columns.push_back(column);
            }
        }
        HideCustomEditor();
        FColumns = std::move(columns);
        FEditPending = false;
        const int fixedCols = FOptions.Contains(dgIndicator) ? 1 : 0;
        const int fixedRows = FOptions.Contains(dgTitles) ? 1 : 0;
        const int selectedCol = Col();
        ChangeSize(fixedCols + std::max(1, ColumnCount()), std::max(RowCount(), fixedRows + 1));
        FCols.SetFixedCount(fixedCols);
        FRows.SetFixedCount(fixedRows);
        if (fixedCols) FCols.SetSize(0, FIndicatorWidth);
        for (int i = 0; i < ColumnCount(); ++i)
            FCols.SetSize(fixedCols + i, FColumns[static_cast<size_t>(i)].Width);
        if (ColumnCount() == 0) FCols.SetSize(fixedCols, DefaultColWidth());
        FSyncing = true;
        MoveCurrent(std::clamp(selectedCol, fixedCols, ColCount() - 1), std::max(Row(), fixedRows));
        FSyncing = false;
        UpdateRowCount();
    } catch (...) {
        FSyncing = false;
        FLayingOut = false;
        throw;
    }
    FLayingOut = false;
    Invalidate();
}

void TwwDBGrid::Resize() {
    TCustomGrid::Resize();
    UpdateRowCount();
}

void TwwDBGrid::UpdateRowCount() {
    const int fixedRows = FixedRows();
    const int titles = fixedRows > 0 ? FRows.Size(0) + GridLineWidth() : 0;
    const int rowExtent = std::max(1, DefaultRowHeight() + GridLineWidth());
    FDataLink->SetBufferCount(std::max(1, (ClientHeight() - titles) / rowExtent));
    const int rows = fixedRows + std::max(1, FDataLink->RecordCount());
    if (rows != RowCount()) {
        FSyncing = true;
        try {
            ChangeSize(ColCount(), rows);
        } catch (...) {
            FSyncing = false;
            throw;
        }
        FSyncing = false;
    }
    SyncCurrentRow();
}

void TwwDBGrid::SyncCurrentRow() {
    const int target = std::min(ActiveRow(), RowCount() - 1);
    if (Row() == target) return;
    FSyncing = true;
    try {
        MoveCurrent(Col(), target);
    } catch (...) {
        FSyncing = false;
        throw;
    }
    FSyncing = false;
}

void TwwDBGrid::LinkActiveChanged() {
    FEditPending = false;
    // Bookmarks of rows that were closed mean nothing in what opens next.
    FSelectedRows.clear();
    LayoutChanged();
}

void TwwDBGrid::LinkDataChanged() {
    // The record under the editor may be another one now: what it held is dropped, not written there.
    FSyncing = true;
    FEditPending = false;
    try {
        HideEditor();
        HideCustomEditor();
    } catch (...) {
        FSyncing = false;
        throw;
    }
    FSyncing = false;
    UpdateRowCount();
    Invalidate();
}

void TwwDBGrid::LinkRecordChanged(TField* field) {
    // A field changed from elsewhere shows in the editor when the editor is on it and holds nothing new.
    if (EditorMode() && !FEditPending && field && field == SelectedField()) {
        FSyncing = true;
        HideEditor();
        FSyncing = false;
        ShowEditor();
    }
    Invalidate();
}

int TwwDBGrid::ColumnIndex(int gridCol) const {
    int index = gridCol - FixedCols();
    return index >= 0 && index < ColumnCount() ? index : -1;
}

int TwwDBGrid::GridColumnOf(const AnsiString& fieldName) const {
    for (int i = 0; i < ColumnCount(); ++i)
        if (SameText(FColumns[static_cast<size_t>(i)].FieldName, fieldName)) return FixedCols() + i;
    return -1;
}

TField* TwwDBGrid::SelectedField() const {
    int index = ColumnIndex(Col());
    return index < 0 ? nullptr : FColumns[static_cast<size_t>(index)].Field;
}

void TwwDBGrid::SetSelectedField(TField* field) {
    if (!field) return;
    int col = GridColumnOf(field->FieldName());
    if (col >= 0) SetCol(col);
}

int TwwDBGrid::RecordIndexOf(int gridRow) const {
    int row = gridRow - FixedRows();
    if (row < 0 || row >= FDataLink->RecordCount()) return -1;
    return row;
}

int TwwDBGrid::RecordNumberOf(int gridRow) const {
    int row = RecordIndexOf(gridRow);
    return row < 0 ? 0 : FDataLink->FirstRecord() + row + 1;
}

void TwwDBGrid::ShowRecordOfRow(int gridRow) const {
    FDataLink->SetActiveRecord(gridRow < 0 ? -1 : gridRow - FixedRows());
}

bool TwwDBGrid::IsCheckBoxField(TField* field, AnsiString& valueChecked, AnsiString& valueUnchecked) const {
    valueChecked.clear();
    valueUnchecked.clear();
    if (!field) return false;
    AnsiString type, parameters;
    if (wwDataSet_GetControl(field->DataSet(), field->FieldName(), type, parameters) &&
        SameText(type, "CheckBox")) {
        auto semi = parameters.find(';');
        valueChecked = parameters.substr(0, semi);
        if (semi != AnsiString::npos) valueUnchecked = parameters.substr(semi + 1);
        return true;
    }
    if (field->DataType() == ftBoolean) {
        valueChecked = "True";
        valueUnchecked = "False";
        return true;
    }
    return false;
}

TWinControl* TwwDBGrid::CustomEditorOf(TField* field) const {
    if (!field || !Owner()) return nullptr;
    AnsiString type, parameters;
    if (!wwDataSet_GetControl(field->DataSet(), field->FieldName(), type, parameters) ||
        !SameText(type, "CustomEdit"))
        return nullptr;
    AnsiString name = Trim(parameters.substr(0, parameters.find(';')));
    auto* control = dynamic_cast<TWinControl*>(Owner()->FindComponent(name));
    if (!control || control == this || !IsPublishedProp(control, "DataSource")) return nullptr;
    return control;
}

AnsiString TwwDBGrid::ShownText(TField* field) const {
    // A field whose editor is a mapped combo shows the item's text, as the combo itself does.
    auto* combo = dynamic_cast<TwwDBCustomComboBox*>(CustomEditorOf(field));
    if (combo && combo->MapList()) {
        const int index = combo->IndexOfValue(field->AsString());
        if (index >= 0) return combo->ItemDisplay(index);
    }
    return field->DisplayText();
}

AnsiString TwwDBGrid::CellText(int gridCol, int gridRow) const {
    if (gridRow < FixedRows()) {
        int index = ColumnIndex(gridCol);
        return index < 0 ? AnsiString() : FColumns[static_cast<size_t>(index)].Title;
    }
    if (gridCol < FixedCols()) return gridRow == ActiveRow() ? ">" : "";
    int index = ColumnIndex(gridCol);
    if (index < 0 || RecordIndexOf(gridRow) < 0) return "";
    TField* field = FColumns[static_cast<size_t>(index)].Field;
    if (!field) return "";
    ShowRecordOfRow(gridRow);
    AnsiString text;
    try {
        text = ShownText(field);
    } catch (...) {
        ShowRecordOfRow(-1);
        throw;
    }
    ShowRecordOfRow(-1);
    return text;
}

void TwwDBGrid::DumpDetails(std::vector<AnsiString>& lines, const AnsiString& indent) const {
    for (int row = 0; row < RowCount(); ++row) {
        if (row >= FixedRows() && RecordIndexOf(row) < 0) continue;
        AnsiString line = indent + "|";
        for (int col = 0; col < ColCount(); ++col)
            line += " " + CellText(col, row) + " |";
        lines.push_back(line);
    }
}

// ---- editing ----

AnsiString TwwDBGrid::GetEditText(int col, int row) {
    (void)row;
    int index = ColumnIndex(col);
    TField* field = index < 0 ? nullptr : FColumns[static_cast<size_t>(index)].Field;
    if (!field) return "";
    if (FEditPending && FEditField == field) return FEditText;
    return field->Text();
}

void TwwDBGrid::SetEditText(int col, int row, const AnsiString& value) {
    (void)row;
    if (FSyncing) return;
    int index = ColumnIndex(col);
    TField* field = index < 0 ? nullptr : FColumns[static_cast<size_t>(index)].Field;
    if (!field) return;
    if (!(FEditPending && FEditField == field) && value == field->Text()) return;
    if (!FDataLink->Editing() && !FDataLink->Edit()) return;
    FEditText = value;
    FEditField = field;
    FEditPending = true;
    // A text set from outside the editor shows in it, so that closing the editor keeps it.
    if (EditorMode() && col == Col() && InplaceEditor()->Text() != value) InplaceEditor()->SetText(value);
    TCustomGrid::SetEditText(col, row, value);
}

AnsiString TwwDBGrid::GetEditMask(int col, int row) {
    int index = ColumnIndex(col);
    TField* field = index < 0 ? nullptr : FColumns[static_cast<size_t>(index)].Field;
    AnsiString mask = field ? field->EditMask() : AnsiString();
    if (OnGetEditMask()) OnGetEditMask()(this, col, row, mask);
    return mask;
}

void TwwDBGrid::ValidatePicture(TField* field, const AnsiString& text) const {
    auto* ww = dynamic_cast<TwwClientDataSet*>(field->DataSet());
    if (!ww || !ww->ValidateWithMask() || text.empty()) return;
    AnsiString mask;
    if (!ww->FindPictureMask(field->FieldName(), mask) || MatchesPictureMask(mask, text)) return;
    throw EDatabaseError(Format("Invalid value for field '%s'", {field->DisplayLabel()}));
}

void TwwDBGrid::UpdateData() {
    if (!FEditPending || !FEditField) return;
    TField* field = FEditField;
    ValidatePicture(field, FEditText);
    field->SetText(FEditText);
    FEditPending = false;
}

bool TwwDBGrid::CanEditShow() {
    if (!FOptions.Contains(dgEditing) || FReadOnly || !TCustomGrid::CanEditShow()) return false;
    TField* field = SelectedField();
    if (!field || RecordIndexOf(Row()) < 0) return false;
    AnsiString checked, unchecked;
    if (IsCheckBoxField(field, checked, unchecked)) return false;
    if (CustomEditorOf(field)) {
        ShowCustomEditor();
        return false;
    }
    return true;
}

bool TwwDBGrid::CanEditModify() {
    TField* field = SelectedField();
    if (FReadOnly || !field || !field->CanModify()) return false;
    return FDataLink->Editing() || FDataLink->Edit();
}

TInplaceEdit* TwwDBGrid::CreateEditor() {
    return new TwwInplaceEdit(this);
}

void TwwDBGrid::ShowCustomEditor() {
    TField* field = SelectedField();
    TWinControl* control = CustomEditorOf(field);
    if (!control) return;
    if (FCustomEditor && FCustomEditor != control) HideCustomEditor();
    FCustomEditor = control;
    control->FreeNotification(this);
    TRect r = CellRect(Col(), Row());
    control->SetParent(this);
    control->SetBounds(r.Left, r.Top, r.Width(), r.Height());
    SetObjectProp(control, "DataSource", DataSource());
    if (IsPublishedProp(control, "DataField")) SetStrProp(control, "DataField", field->FieldName());
    control->SetVisible(true);
    if (control->CanFocus()) control->SetFocus();
}

void TwwDBGrid::HideCustomEditor() {
    TWinControl* control = FCustomEditor;
    if (!control) return;
    FCustomEditor = nullptr;
    bool hadFocus = control->Focused();
    if (hadFocus && CanFocus()) SetFocus(); // leaving the control writes its value
    control->SetVisible(false);
}

void TwwDBGrid::ToggleCheckBox() {
    TField* field = SelectedField();
    AnsiString checked, unchecked;
    if (FReadOnly || !FOptions.Contains(dgEditing) || !IsCheckBoxField(field, checked, unchecked)) return;
    if (!field->CanModify() || !(FDataLink->Editing() || FDataLink->Edit())) return;
    TCheckBoxState state = FieldCheckState(field, checked, unchecked, cbUnchecked);
    WriteFieldCheckState(field, state == cbChecked ? cbUnchecked : cbChecked, checked, unchecked);
}

bool TwwDBGrid::SelectCell(int col, int row) {
    if (FSyncing) return true;
    if (col != Col() || row != Row()) {
        // Leaving the cell: its text goes to its field of the record it was typed on.
        UpdateText();
        UpdateData();
        HideCustomEditor();
    }
    if (!TCustomGrid::SelectCell(col, row)) return false;
    if (row == Row()) return true;
    TDataSet* ds = DataSet();
    if (!ds || !ds->Active() || RecordIndexOf(row) < 0) return false;
    ds->MoveBy(row - Row());
    return ActiveRow() == row;
}

void TwwDBGrid::CurrentMoved(int oldCol, int) {
    // A new layout puts the cursor back where it was: no column is entered then.
    if (oldCol != Col() && !FSyncing && FOnColEnter) FOnColEnter(this);
}

void TwwDBGrid::MoveRecord(int distance) {
    TDataSet* ds = DataSet();
    if (!ds || !ds->Active() || distance == 0) return;
    const bool wasEditing = EditorMode();
    UpdateText();
    UpdateData();
    HideCustomEditor();
    if (distance > 0 && ds->State() == dsInsert && !ds->Modified()) return; // an empty new row stays
    const bool atEnd = ds->State() != dsInsert ? ds->CurrentIndex() >= ds->RowCount() - 1 : ds->Appending();
    // Down on a typed new last line stores it and starts the next one, whatever lines stand before it.
    const bool appendingLast = distance > 0 && atEnd && ds->State() == dsInsert;
    int moved = 0;
    if (!appendingLast) moved = ds->MoveBy(distance);
    if (distance > 0 && moved == 0 && (appendingLast || ds->Eof()) && CanAppend()) ds->Append();
    if (wasEditing) ShowEditor();
}

bool TwwDBGrid::CanAppend() const {
    TDataSet* ds = DataSet();
    return ds && ds->Active() && ds->CanModify() && !FReadOnly && FOptions.Contains(dgEditing) &&
           FKeyOptions.Contains(dgAllowInsert) && DataSource() && DataSource()->AutoEdit();
}

void TwwDBGrid::KeyDown(Word& key, TShiftState shift) {
    TDataSet* ds = DataSet();
    const bool ctrl = shift.Contains(ssCtrl);
    if (ds && ds->Active()) {
        switch (key) {
        case VK_UP:
            MoveRecord(-1);
            key = 0;
            return;
        case VK_DOWN:
            MoveRecord(1);
            key = 0;
            return;
        case VK_PRIOR:
            MoveRecord(-std::max(1, FDataLink->BufferCount()));
            key = 0;
            return;
        case VK_NEXT:
            MoveRecord(std::max(1, FDataLink->BufferCount()));
            key = 0;
            return;
        case VK_HOME:
        case VK_END:
            if (ctrl) {
                UpdateText();
                UpdateData();
                if (key == VK_HOME)
                    ds->First();
                else
                    ds->Last();
                key = 0;
                return;
            }
            break;
        case VK_ESCAPE:
            if (!EditorMode() && (ds->State() == dsEdit || ds->State() == dsInsert)) {
                FEditPending = false;
                ds->Cancel();
                key = 0;
                return;
            }
            break;
        case VK_SPACE:
            if (!EditorMode()) {
                AnsiString checked, unchecked;
                if (IsCheckBoxField(SelectedField(), checked, unchecked)) {
                    ToggleCheckBox();
                    key = 0;
                    return;
                }
            }
            break;
        case VK_INSERT:
            if (CanAppend() && !EditorMode()) {
                ds->Insert();
                key = 0;
                return;
            }
            break;
        case VK_RETURN:
            if (FKeyOptions.Contains(dgEnterToTab)) {
                UpdateText();
                UpdateData();
                HideEditor();
                if (Col() < ColCount() - 1)
                    SetCol(Col() + 1);
                else {
                    SetCol(FixedCols());
                    MoveRecord(1);
                }
                key = 0;
                return;
            }
            break;
        default:
            break;
        }
    }
    TCustomGrid::KeyDown(key, shift);
    // Enter closed the editor: its text goes to the field now.
    if (!EditorMode()) UpdateData();
}

void TwwDBGrid::KeyPress(char& key) {
    if (key == ' ' && !EditorMode()) {
        AnsiString checked, unchecked;
        if (IsCheckBoxField(SelectedField(), checked, unchecked)) {
            key = 0;
            return;
        }
    }
    unsigned char c = static_cast<unsigned char>(key);
    if (c >= 0x20 && !EditorMode() && FOptions.Contains(dgEditing) && !FReadOnly &&
        CustomEditorOf(SelectedField())) {
        // Typing on a cell with the form's editor opens it with the character.
        ShowCustomEditor();
        if (FCustomEditor) FCustomEditor->Perform(WM_CHAR, c);
        key = 0;
        return;
    }
    TCustomGrid::KeyPress(key);
}

void TwwDBGrid::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TGridCoord cell = MouseCoord(x, y);
    const bool wasCurrent = cell.X == Col() && cell.Y == Row();
    TCustomGrid::MouseDown(button, shift, x, y);
    if (button == mbLeft && FTitleButtons && cell.Y >= 0 && cell.Y < FixedRows() && FOnTitleButtonClick) {
        const int index = ColumnIndex(cell.X);
        if (index >= 0) FOnTitleButtonClick(this, FColumns[static_cast<size_t>(index)].FieldName);
        return;
    }
    if (button != mbLeft || cell.X < FixedCols() || cell.Y < FixedRows()) return;
    if (cell.X != Col() || cell.Y != Row()) return;
    AnsiString checked, unchecked;
    if (IsCheckBoxField(SelectedField(), checked, unchecked))
        ToggleCheckBox();
    else if (wasCurrent && CustomEditorOf(SelectedField()) && FOptions.Contains(dgEditing) && !FReadOnly)
        ShowCustomEditor();
}

void TwwDBGrid::DoExit() {
    TCustomGrid::DoExit();
    UpdateData();
}

// ---- drawing ----

void TwwDBGrid::Paint() {
    try {
        TCustomGrid::Paint();
    } catch (...) {
        ShowRecordOfRow(-1);
        throw;
    }
    ShowRecordOfRow(-1);
}

void TwwDBGrid::DoCalcCellColors(TField* field, TGridDrawState state, bool highlight, TFont* font,
                                 TBrush* brush) {
    if (FOnCalcCellColors) FOnCalcCellColors(this, field, state, highlight, font, brush);
}

void TwwDBGrid::DrawCheckBox(const TRect& rect, bool checked) {
    TCanvas* canvas = Canvas();
    canvas->FillRect(rect);
    const int size = 11;
    TRect box{rect.Left + (rect.Width() - size) / 2, rect.Top + (rect.Height() - size) / 2, 0, 0};
    box.Right = box.Left + size;
    box.Bottom = box.Top + size;
    TRect frame = box;
    Frame3D(canvas, frame, clBtnShadow, clBtnHighlight, 1);
    if (!checked) return;
    // The tick: two strokes in the text colour.
    for (int i = 0; i < 3; ++i) {
        canvas->SetPixel(box.Left + 2 + i, box.Top + 4 + i, canvas->Font()->Color());
        canvas->SetPixel(box.Left + 2 + i, box.Top + 5 + i, canvas->Font()->Color());
    }
    for (int i = 0; i < 4; ++i) {
        canvas->SetPixel(box.Left + 5 + i, box.Top + 5 - i, canvas->Font()->Color());
        canvas->SetPixel(box.Left + 5 + i, box.Top + 6 - i, canvas->Font()->Color());
    }
}

void TwwDBGrid::DrawDataCell(const TRect& rect, TField* field, TGridDrawState state) {
    if (FOnDrawDataCell) FOnDrawDataCell(this, rect, field, state);
}

void TwwDBGrid::DrawTitleCell(int col, const TRect& rect) {
    TCanvas* canvas = Canvas();
    canvas->Brush()->SetColor(FixedColor());
    const int index = ColumnIndex(col);
    if (index >= 0 && FOnCalcTitleAttributes)
        FOnCalcTitleAttributes(this, FColumns[static_cast<size_t>(index)].FieldName, canvas->Font(),
                               canvas->Brush());
    canvas->FillRect(rect);
    if (index < 0) return;
    canvas->TextRect(rect, rect.Left + 2, rect.Top + 2, FColumns[static_cast<size_t>(index)].Title);
    const int image = FTitleImageList ? TitleImageOf(col) : -1;
    if (image >= 0)
        FTitleImageList->Draw(canvas, rect.Right - FTitleImageList->Width() - 2,
                              rect.Top + (rect.Height() - FTitleImageList->Height()) / 2, image);
}

void TwwDBGrid::DrawCell(int col, int row, TRect rect, TGridDrawState state) {
    TCanvas* canvas = Canvas();
    if (row < FixedRows()) {
        DrawTitleCell(col, rect);
        return;
    }
    const int index = ColumnIndex(col);
    const bool shown = RecordIndexOf(row) >= 0;
    if (col < FixedCols()) {
        canvas->Brush()->SetColor(FixedColor());
        canvas->FillRect(rect);
        if (shown && row == ActiveRow()) {
            // The current record's arrow.
            int cy = rect.Top + rect.Height() / 2, cx = rect.Left + rect.Width() / 2 - 1;
            canvas->Brush()->SetColor(clBlack);
            canvas->Pen()->SetColor(clBlack);
            canvas->Polygon({TPoint{cx - 2, cy - 4}, TPoint{cx + 2, cy}, TPoint{cx - 2, cy + 4}});
        }
        return;
    }
    canvas->Brush()->SetStyle(bsSolid);
    if (!shown || index < 0) {
        canvas->Brush()->SetColor(Color());
        canvas->FillRect(rect);
        return;
    }
    TField* field = FColumns[static_cast<size_t>(index)].Field;
    ShowRecordOfRow(row);
    FDrawingRow = row;
    const bool current = row == ActiveRow();
    const bool highlight = current && (state.Contains(gdFocused) || FOptions.Contains(dgRowSelect)) &&
                           (Focused() || FOptions.Contains(dgAlwaysShowSelection) ||
                            (InplaceEditor() && InplaceEditor()->Focused()));
    canvas->Font()->Assign(Font());
    canvas->Brush()->SetColor(highlight ? clHighlight : Color());
    if (highlight) canvas->Font()->SetColor(clHighlightText);
    DoCalcCellColors(field, state, highlight, canvas->Font(), canvas->Brush());
    AnsiString checked, unchecked;
    if (field && IsCheckBoxField(field, checked, unchecked)) {
        DrawCheckBox(rect, FieldCheckState(field, checked, unchecked, cbUnchecked) == cbChecked);
    } else {
        canvas->FillRect(rect);
        if (field) {
            AnsiString text = ShownText(field);
            int width = canvas->TextWidth(text);
            int x = rect.Left + 2;
            if (field->Alignment() == taRightJustify)
                x = rect.Right - 2 - width;
            else if (field->Alignment() == taCenter)
                x = rect.Left + (rect.Width() - width) / 2;
            canvas->Brush()->SetStyle(bsClear);
            canvas->TextRect(rect, x, rect.Top + 2, text);
            canvas->Brush()->SetStyle(bsSolid);
        }
    }
    DrawDataCell(rect, field, state);
    FDrawingRow = -1;
}

// ---- picture masks ----

namespace {

struct TPictureNode {
    enum TKind { Literal, Digit, Letter, AnyChar, Sequence, Optional, Alternatives, Repeat } Kind = Sequence;
    char Char = 0;
    int Count = -1; // Repeat: the number of times, -1 any
    std::vector<TPictureNode> Items;
};

class TPictureParser {
public:
    explicit TPictureParser(const AnsiString& mask) : FMask(mask) {}
    bool Parse(TPictureNode& root) {
        root.Kind = TPictureNode::Sequence;
        if (!ParseSequence(root, '\0')) return false;
        return FPos == FMask.size();
    }

private:
    bool ParseSequence(TPictureNode& seq, char closer) {
        while (FPos < FMask.size()) {
            char c = FMask[FPos];
            if (c == closer || (closer == '}' && c == ',')) return true;
            if (c == ']' || c == '}' || c == ',') {
                if (closer == '\0') {
                    // A stray closer stands for itself.
                    seq.Items.push_back({TPictureNode::Literal, c, -1, {}});
                    ++FPos;
                    continue;
                }
                return false;
            }
            TPictureNode item;
            if (!ParseItem(item)) return false;
            seq.Items.push_back(std::move(item));
        }
        return closer == '\0';
    }
    bool ParseItem(TPictureNode& item) {
        char c = FMask[FPos++];
        switch (c) {
        case '#':
            item.Kind = TPictureNode::Digit;
            return true;
        case '?':
        case '&':
        case '~':
            item.Kind = TPictureNode::Letter;
            return true;
        case '@':
        case '!':
            item.Kind = TPictureNode::AnyChar;
            return true;
        case ';':
            if (FPos >= FMask.size()) return false;
            item.Kind = TPictureNode::Literal;
            item.Char = FMask[FPos++];
            return true;
        case '*': {
            item.Kind = TPictureNode::Repeat;
            size_t start = FPos;
            while (FPos < FMask.size() && std::isdigit(static_cast<unsigned char>(FMask[FPos])))
                ++FPos;
            item.Count = FPos > start ? std::stoi(FMask.substr(start, FPos - start)) : -1;
            if (FPos >= FMask.size()) return false;
            TPictureNode child;
            if (!ParseItem(child)) return false;
            item.Items.push_back(std::move(child));
            return true;
        }
        case '[': {
            item.Kind = TPictureNode::Optional;
            if (!ParseSequence(item, ']') || FPos >= FMask.size()) return false;
            ++FPos;
            return true;
        }
        case '{': {
            item.Kind = TPictureNode::Alternatives;
            while (true) {
                TPictureNode alternative;
                if (!ParseSequence(alternative, '}') || FPos >= FMask.size()) return false;
                item.Items.push_back(std::move(alternative));
                if (FMask[FPos++] == '}') return true;
            }
        }
        default:
            item.Kind = TPictureNode::Literal;
            item.Char = c;
            return true;
        }
    }
    const AnsiString& FMask;
    size_t FPos = 0;
};

using TContinue = std::function<bool(size_t)>;

class TPictureMatcher {
public:
    explicit TPictureMatcher(const AnsiString& text) : FText(text) {}
    bool Node(const TPictureNode& node, size_t pos, const TContinue& next) const {
        const bool more = pos < FText.size();
        const unsigned char c = more ? static_cast<unsigned char>(FText[pos]) : 0;
        switch (node.Kind) {
        case TPictureNode::Literal:
            return more && std::toupper(c) == std::toupper(static_cast<unsigned char>(node.Char)) &&
                   next(pos + 1);
        case TPictureNode::Digit:
            return more && std::isdigit(c) && next(pos + 1);
        case TPictureNode::Letter:
            return more && std::isalpha(c) && next(pos + 1);
        case TPictureNode::AnyChar:
            return more && next(pos + 1);
        case TPictureNode::Sequence:
            return Sequence(node.Items, 0, pos, next);
        case TPictureNode::Optional:
            return Sequence(node.Items, 0, pos, next) || next(pos);
        case TPictureNode::Alternatives:
            for (const TPictureNode& alternative : node.Items)
                if (Node(alternative, pos, next)) return true;
            return false;
        case TPictureNode::Repeat:
            return Repeat(node, 0, pos, next);
        }
        return false;
    }

private:
    bool Sequence(const std::vector<TPictureNode>& items, size_t index, size_t pos,
                  const TContinue& next) const {
        if (index == items.size()) return next(pos);
        return Node(items[index], pos, [&](size_t after) { return Sequence(items, index + 1, after, next); });
    }
    bool Repeat(const TPictureNode& node, int done, size_t pos, const TContinue& next) const {
        if (node.Count >= 0 && done == node.Count) return next(pos);
        // Any number: as many as match first, the rest of the mask after them.
        if (node.Count < 0 && Node(node.Items[0], pos, [&](size_t after) {
                return after > pos && Repeat(node, done + 1, after, next);
            }))
            return true;
        if (node.Count < 0) return next(pos);
        return Node(node.Items[0], pos, [&](size_t after) { return Repeat(node, done + 1, after, next); });
    }
    const AnsiString& FText;
};

} // namespace

bool MatchesPictureMask(const AnsiString& mask, const AnsiString& text) {
    TPictureNode root;
    TPictureParser parser(mask);
    // A mask that does not parse checks nothing, as the library's own editor would take any text then.
    if (!parser.Parse(root)) return true;
    TPictureMatcher matcher(text);
    return matcher.Node(root, 0, [&](size_t end) { return end == text.size(); });
}

KVR_PUBLISHED(TwwGridDataLink, c) {
    (void)c;
}

KVR_PUBLISHED(TwwDBGrid, c) {
    c.Property("DataSource", &TwwDBGrid::DataSource, &TwwDBGrid::SetDataSource);
    c.Property("Selected", &TwwDBGrid::Selected, &TwwDBGrid::SetSelected);
    c.Property("Options", &TwwDBGrid::Options, &TwwDBGrid::SetOptions);
    c.Property("KeyOptions", &TwwDBGrid::KeyOptions, &TwwDBGrid::SetKeyOptions);
    c.Property("ReadOnly", &TwwDBGrid::ReadOnly, &TwwDBGrid::SetReadOnly).Default(false);
    c.Property("OnColEnter", &TwwDBGrid::OnColEnter, &TwwDBGrid::SetOnColEnter);
    c.Property("TitleColor", &TwwDBGrid::TitleColor, &TwwDBGrid::SetTitleColor)
        .Type("TColor")
        .Default(clBtnFace);
    c.Property("OnCalcCellColors", &TwwDBGrid::OnCalcCellColors, &TwwDBGrid::SetOnCalcCellColors);
    c.Property("OnDrawDataCell", &TwwDBGrid::OnDrawDataCell, &TwwDBGrid::SetOnDrawDataCell);
    c.Property("TitleButtons", &TwwDBGrid::TitleButtons, &TwwDBGrid::SetTitleButtons).Default(false);
    c.Property("TitleImageList", &TwwDBGrid::TitleImageList, &TwwDBGrid::SetTitleImageList);
    c.Property("OnTitleButtonClick", &TwwDBGrid::OnTitleButtonClick, &TwwDBGrid::SetOnTitleButtonClick);
    c.Property("OnCalcTitleImage", &TwwDBGrid::OnCalcTitleImage, &TwwDBGrid::SetOnCalcTitleImage);
    c.Property("OnCalcTitleAttributes", &TwwDBGrid::OnCalcTitleAttributes,
               &TwwDBGrid::SetOnCalcTitleAttributes);
}
