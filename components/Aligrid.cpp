// The aligned grid's property model and its lists kept in step with the grid's shape (its form-stream
// properties are in AligridStream.cpp).
#include "components/Aligrid.h"

#include <algorithm>

#include "classlib/rtl/strutils.h"

namespace {

TCellProperties* NewCellProperties(TStringAlignGrid* owner) {
    return new TCellProperties(owner);
}

// Moves entry from to to, padding the list with empty entries when it is shorter.
template <class T> void MoveEntry(std::vector<T>& list, int from, int to) {
    if (from == to || from < 0 || to < 0) return;
    const std::size_t need = static_cast<std::size_t>(std::max(from, to)) + 1;
    if (list.size() < need) {
        // Both beyond the end: every entry between is empty, nothing moves.
        if (static_cast<std::size_t>(std::min(from, to)) >= list.size()) return;
        list.resize(need);
    }
    T item = std::move(list[static_cast<std::size_t>(from)]);
    list.erase(list.begin() + from);
    list.insert(list.begin() + to, std::move(item));
}

template <class T> void SwapEntry(std::vector<T>& list, int a, int b) {
    if (a == b || a < 0 || b < 0) return;
    const std::size_t need = static_cast<std::size_t>(std::max(a, b)) + 1;
    if (list.size() < need) {
        if (static_cast<std::size_t>(std::min(a, b)) >= list.size()) return;
        list.resize(need);
    }
    std::swap(list[static_cast<std::size_t>(a)], list[static_cast<std::size_t>(b)]);
}

template <class T> void DeleteEntry(std::vector<T>& list, int index) {
    if (index >= 0 && static_cast<std::size_t>(index) < list.size()) list.erase(list.begin() + index);
}

} // namespace

TTextFormatProc AlignGridTextFormat = nullptr;

// ---- TMyFont, TMyBrush -----------------------------------------------------------------------------

TMyFont::TMyFont(TStringAlignGrid* owner) : FOwner(nullptr) {
    SetOwner(owner);
}

void TMyFont::SetOwner(TStringAlignGrid* owner) {
    FOwner = owner;
    SetOnChange(owner ? TNotifyEvent(owner, &TStringAlignGrid::GridChanged) : TNotifyEvent());
}

void TMyFont::Changed() {
    Modified = true;
    TFont::Changed();
}

TMyBrush::TMyBrush(TStringAlignGrid* owner) : FOwner(nullptr) {
    SetOwner(owner);
}

void TMyBrush::SetOwner(TStringAlignGrid* owner) {
    FOwner = owner;
    SetOnChange(owner ? TNotifyEvent(owner, &TStringAlignGrid::GridChanged) : TNotifyEvent());
}

void TMyBrush::Changed() {
    Modified = true;
    TBrush::Changed();
}

// ---- TGridStrings -----------------------------------------------------------------------------------

void TGridStrings::Assign(TPersistent* source) {
    ListOnly = false;
    DropDownCount = 8;
    if (auto* other = dynamic_cast<TGridStrings*>(source)) {
        ListOnly = other->ListOnly;
        DropDownCount = other->DropDownCount;
        Separator = other->Separator;
    }
    TStringList::Assign(source);
}

void TGridStrings::Changed() {
    Modified = true;
    TStringList::Changed();
}

AnsiString TGridStrings::ShownText(int index) const {
    const AnsiString line = Get(index);
    const std::size_t at = Separator.empty() ? AnsiString::npos : line.find(Separator);
    return at == AnsiString::npos ? line : line.substr(0, at);
}

AnsiString TGridStrings::ValueText(int index) const {
    const AnsiString line = Get(index);
    const std::size_t at = Separator.empty() ? AnsiString::npos : line.find(Separator);
    return at == AnsiString::npos ? line : line.substr(at + Separator.size());
}

// ---- TControlInfo -----------------------------------------------------------------------------------

TControlInfo::TControlInfo(TStringAlignGrid* owner) : FOwner(owner) {}

TControlInfo::~TControlInfo() = default;

void TControlInfo::SetKind(TCellControlKind value) {
    if (value == FKind) return;
    FKind = value;
    switch (value) {
    case TCellControlKind::ctNone:
        FText.clear(), FCheckedText.clear(), FUncheckedText.clear(), FPickList.reset();
        break;
    case TCellControlKind::ctButton:
    case TCellControlKind::ctText:
        FCheckedText.clear(), FUncheckedText.clear(), FPickList.reset();
        break;
    case TCellControlKind::ctCheckBox:
        FText.clear(), FPickList.reset();
        break;
    case TCellControlKind::ctPickList:
        if (!FPickList) FPickList = std::make_unique<TGridStrings>();
        FText.clear(), FCheckedText.clear(), FUncheckedText.clear();
        break;
    }
    Changed();
}

void TControlInfo::SetText(const AnsiString& value) {
    if (FKind != TCellControlKind::ctText || value == FText) return;
    FText = value;
    Changed();
}

void TControlInfo::SetCheckedText(const AnsiString& value) {
    if (FKind != TCellControlKind::ctCheckBox || value == FCheckedText) return;
    FCheckedText = value;
    Changed();
}

void TControlInfo::SetUncheckedText(const AnsiString& value) {
    if (FKind != TCellControlKind::ctCheckBox || value == FUncheckedText) return;
    FUncheckedText = value;
    Changed();
}

void TControlInfo::SetPickList(TStrings* value) {
    if (FKind != TCellControlKind::ctPickList) return;
    if (!FPickList) FPickList = std::make_unique<TGridStrings>();
    auto* other = dynamic_cast<TGridStrings*>(value);
    const bool same = value && FPickList->Text() == value->Text() &&
                      (!other || (other->ListOnly == FPickList->ListOnly &&
                                  other->DropDownCount == FPickList->DropDownCount));
    if (same) return;
    if (value)
        FPickList->Assign(value);
    else
        FPickList->Clear();
    Changed();
}

void TControlInfo::Assign(const TControlInfo* source) {
    if (!source) {
        SetKind(TCellControlKind::ctNone);
        FText.clear(), FCheckedText.clear(), FUncheckedText.clear(), FPickList.reset();
        return;
    }
    SetKind(source->Kind());
    SetText(source->Text());
    SetCheckedText(source->CheckedText());
    SetUncheckedText(source->UncheckedText());
    if (source->PickList()) SetPickList(source->PickList());
}

void TControlInfo::Changed() {
    Modified = true;
    if (OnChange) OnChange(FOwner, this);
}

// ---- TCellProperties --------------------------------------------------------------------------------

TCellProperties::TCellProperties(TStringAlignGrid* owner) : Owner(owner) {}

TCellProperties::~TCellProperties() = default;

namespace {
template <class TMy, class TPlain>
void CopyInto(std::unique_ptr<TMy>& field, const TPlain* value, TStringAlignGrid* owner) {
    if (!value) {
        field.reset();
        return;
    }
    if (!field) field = std::make_unique<TMy>(owner);
    field->Assign(const_cast<TPlain*>(value));
    field->SetOwner(owner);
    auto* my = dynamic_cast<const TMy*>(value);
    field->Modified = my ? my->Modified : true;
}
} // namespace

void TCellProperties::SetFont(const TFont* value) {
    CopyInto(FFont, value, Owner);
}
void TCellProperties::SetSelectedFont(const TFont* value) {
    CopyInto(FSelectedFont, value, Owner);
}
void TCellProperties::SetBrush(const TBrush* value) {
    CopyInto(FBrush, value, Owner);
}
void TCellProperties::SetSelectedBrush(const TBrush* value) {
    CopyInto(FSelectedBrush, value, Owner);
}

void TCellProperties::SetControlInfo(const TControlInfo* value) {
    if (!value) {
        FControlInfo.reset();
        return;
    }
    if (!FControlInfo) FControlInfo = std::make_unique<TControlInfo>(Owner);
    if (Owner) Owner->Adopt(FControlInfo.get());
    FControlInfo->Assign(value);
    FControlInfo->Modified = value->Modified;
}

void TCellProperties::Assign(const TCellProperties* source) {
    if (!source) {
        Align = TMyAlign::alDefault;
        Wordwrap = T_Wordwrap::ww_default;
        Editable = 0;
        EditMask.clear();
        FFont.reset(), FSelectedFont.reset(), FBrush.reset(), FSelectedBrush.reset(), FControlInfo.reset();
        return;
    }
    Align = source->Align;
    Wordwrap = source->Wordwrap;
    SetBrush(source->Brush());
    SetSelectedBrush(source->SelectedBrush());
    SetFont(source->Font());
    SetSelectedFont(source->SelectedFont());
    Editable = source->Editable;
    EditMask = source->EditMask;
    SetControlInfo(source->ControlInfo());
}

bool TCellProperties::IsEmpty() const {
    // A control of kind ctNone shows nothing and is not written: it does not count as a setting.
    const bool control = FControlInfo && FControlInfo->Kind() != TCellControlKind::ctNone;
    return Align == TMyAlign::alDefault && Wordwrap == T_Wordwrap::ww_default && !FFont && !FSelectedFont &&
           !FBrush && !FSelectedBrush && Editable == 0 && EditMask.empty() && !control;
}

TCellProperties* TCellProperties::Clone() const {
    TCellProperties* copy = Owner ? Owner->NewProps() : new TCellProperties(nullptr);
    copy->Assign(this);
    return copy;
}

// ---- the routines of the unit -----------------------------------------------------------------------

void SetGridCellControl(TStringAlignGrid* grid, int col, int row, bool flag, const AnsiString& text,
                        TCellControlKind kind) {
    if (!grid || (col < 0 && row < 0)) return;
    TControlInfo* info = col >= 0 && row >= 0 ? grid->GetCellControl(col, row)
                         : row < 0            ? grid->GetColControl(col)
                                              : grid->GetRowControl(row);
    info->SetKind(kind);
    switch (kind) {
    case TCellControlKind::ctButton:
    case TCellControlKind::ctText:
        info->SetText(text);
        break;
    case TCellControlKind::ctCheckBox: {
        const std::size_t at = text.find(';');
        info->SetCheckedText(at == AnsiString::npos ? AnsiString() : text.substr(0, at));
        info->SetUncheckedText(at == AnsiString::npos ? AnsiString() : text.substr(at + 1));
        break;
    }
    case TCellControlKind::ctPickList: {
        TGridStrings lines;
        lines.SetText(text);
        lines.ListOnly = flag;
        lines.DropDownCount = info->PickList() ? info->PickList()->DropDownCount : 8;
        info->SetPickList(&lines);
        break;
    }
    case TCellControlKind::ctNone:
        break;
    }
}

AnsiString GetGridCellText(const TStringAlignGrid* grid, int col, int row) {
    if (!grid) return AnsiString();
    const AnsiString stored = grid->Cells(col, row);
    if (grid->IsFixed(col, row)) return stored;
    const TControlInfo* info = grid->GetCellControlInfo(col, row);
    if (info && info->Kind() == TCellControlKind::ctCheckBox)
        return stored == info->CheckedText() ? info->CheckedText() : info->UncheckedText();
    return stored;
}

void SetGridCellText(TStringAlignGrid* grid, int col, int row, const AnsiString& text) {
    if (grid) grid->SetCells(col, row, text);
}

// ---- TStringAlignGrid: creation ---------------------------------------------------------------------

TStringAlignGrid::TStringAlignGrid(TComponent* owner) : TStringGrid(owner) {
    FControlStyle.Include(csOpaque);
    FGridLineColor = clSilver;
    FHintsStored = FCellsStored = false;
    FEditable = true;
    CreateComponents();
}

TStringAlignGrid::~TStringAlignGrid() {
    // The records' fonts and brushes repaint this grid when they change: none may outlive it.
    FCellProps.clear();
    FColProps.clear(), FRowProps.clear(), FFixedColProps.clear(), FFixedRowProps.clear();
}

void TStringAlignGrid::CreateComponents() {
    PropClass = &NewCellProperties;
    FEditMask.clear();
    FAlignment = TMyAlign::alLeft;
    FWordwrap = T_Wordwrap::ww_none;
    FSelectedCellColor = clActiveCaption;
    FSelectedFontColor = clWhite;
    FDrawSelection = true;
    FAutoAdjustLastCol = false;
    TStringGrid::SetFixedColor(clBtnFace);
    FHintCell = {-1, -1};
    FFixedBrush = std::make_unique<TMyBrush>(this);
    FFixedBrush->SetColor(FixedColor());
    FFixedBrush->Modified = false;
    OnCompareCol = TCompareFunction(this, &TStringAlignGrid::CompareColTexts);
    OnCompareRow = TCompareFunction(this, &TStringAlignGrid::CompareRowTexts);
    SortColRow = [this](int colRow, int first, int last, bool byColumn, bool descending) {
        DefaultSort(colRow, first, last, byColumn, descending);
    };
    FFixedFont = std::make_unique<TMyFont>(this);
    FFixedFont->Assign(Font());
    FFixedFont->Modified = false;
    FDefaultControl = std::make_unique<TControlInfo>(this);
    Adopt(FDefaultControl.get());
    FBackground = std::make_unique<TBitmap>();
    FCheckBitmap = std::make_unique<TBitmap>();
    FUncheckBitmap = std::make_unique<TBitmap>();
    if (BitmapResourceExists("CHECK")) FCheckBitmap->LoadFromResourceName("CHECK");
    if (BitmapResourceExists("UNCHECK")) FUncheckBitmap->LoadFromResourceName("UNCHECK");
}

TCellProperties* TStringAlignGrid::NewProps() {
    return PropClass ? PropClass(this) : new TCellProperties(this);
}

void TStringAlignGrid::Adopt(TControlInfo* info) {
    info->SetOwner(this);
    info->OnChange = [](TStringAlignGrid* owner, TControlInfo*) {
        if (owner) owner->GridChanged();
    };
}

void TStringAlignGrid::GridChanged(TObject*) {
    Invalidate();
}

// ---- published setters ------------------------------------------------------------------------------

void TStringAlignGrid::SetEditMask(const AnsiString& value) {
    if (value == FEditMask) return;
    FEditMask = value;
    GridChanged();
}

void TStringAlignGrid::SetAlignment(TMyAlign value) {
    if (value == FAlignment) return;
    FAlignment = value;
    GridChanged();
}

void TStringAlignGrid::SetWordwrap(T_Wordwrap value) {
    if (value == FWordwrap) return;
    FWordwrap = value;
    GridChanged();
}

void TStringAlignGrid::SetFixedColor(TColor value) {
    if (FFixedBrush) FFixedBrush->SetColor(value);
    TStringGrid::SetFixedColor(value);
    GridChanged();
}

void TStringAlignGrid::SetSelectedCellColor(TColor value) {
    FSelectedCellColor = value;
    GridChanged();
}

void TStringAlignGrid::SetSelectedFontColor(TColor value) {
    FSelectedFontColor = value;
    GridChanged();
}

void TStringAlignGrid::SetDrawSelection(bool value) {
    FDrawSelection = value;
    GridChanged();
}

void TStringAlignGrid::SetGridLineColor(TColor value) {
    FGridLineColor = value;
    GridChanged();
}

void TStringAlignGrid::SetAutoAdjustLastCol(bool value) {
    FAutoAdjustLastCol = value;
    if (value) AdjustLastCol();
}

void TStringAlignGrid::SetGridLineWidth(int value) {
    TStringGrid::SetGridLineWidth(value);
    if (FAutoAdjustLastCol) AdjustLastCol();
}

// ---- the records ------------------------------------------------------------------------------------

TCellProperties* TStringAlignGrid::At(const TPropList& list, int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= list.size()) return nullptr;
    return list[static_cast<std::size_t>(index)].get();
}

TCellProperties* TStringAlignGrid::Need(TPropList& list, int index) {
    if (index < 0) return nullptr;
    auto& slot = Slot(list, index);
    if (!slot) slot.reset(NewProps());
    return slot.get();
}

TCellProperties* TStringAlignGrid::CellPropsOf(int col, int row) const {
    if (col < 0 || static_cast<std::size_t>(col) >= FCellProps.size()) return nullptr;
    return At(FCellProps[static_cast<std::size_t>(col)], row);
}
TCellProperties* TStringAlignGrid::ColPropsOf(int col) const {
    return At(FColProps, col);
}
TCellProperties* TStringAlignGrid::RowPropsOf(int row) const {
    return At(FRowProps, row);
}
TCellProperties* TStringAlignGrid::FixedColPropsOf(int col) const {
    return At(FFixedColProps, col);
}
TCellProperties* TStringAlignGrid::FixedRowPropsOf(int row) const {
    return At(FFixedRowProps, row);
}

TCellProperties* TStringAlignGrid::GetCellProps(int col, int row) {
    if (col < 0 || row < 0) return nullptr;
    return Need(Slot(FCellProps, col), row);
}
TCellProperties* TStringAlignGrid::GetColProps(int col) {
    return Need(FColProps, col);
}
TCellProperties* TStringAlignGrid::GetRowProps(int row) {
    return Need(FRowProps, row);
}
TCellProperties* TStringAlignGrid::GetFixedColProps(int col) {
    return Need(FFixedColProps, col);
}
TCellProperties* TStringAlignGrid::GetFixedRowProps(int row) {
    return Need(FFixedRowProps, row);
}

void TStringAlignGrid::ResetCellProps(int col, int row) {
    TCellProperties* p = CellPropsOf(col, row);
    if (!p) return;
    p->Align = TMyAlign::alDefault;
    p->Wordwrap = T_Wordwrap::ww_default;
    p->Editable = 0;
    p->SetFont(nullptr);
    p->SetBrush(nullptr);
    p->SetSelectedBrush(nullptr);
    p->SetSelectedFont(nullptr);
    p->EditMask.clear();
    p->SetControlInfo(nullptr);
    GridChanged();
}

// Alignment ---------------------------------------------------------------------------------------------

void TStringAlignGrid::SetAlignCell(int col, int row, TMyAlign value) {
    if (TCellProperties* p = GetCellProps(col, row)) p->Align = value, GridChanged();
}
void TStringAlignGrid::SetAlignCol(int col, TMyAlign value) {
    if (TCellProperties* p = GetColProps(col)) p->Align = value, GridChanged();
}
void TStringAlignGrid::SetFixedAlignCol(int col, TMyAlign value) {
    if (TCellProperties* p = GetFixedColProps(col)) p->Align = value, GridChanged();
}
void TStringAlignGrid::SetAlignRow(int row, TMyAlign value) {
    if (TCellProperties* p = GetRowProps(row)) p->Align = value, GridChanged();
}
void TStringAlignGrid::SetFixedAlignRow(int row, TMyAlign value) {
    if (TCellProperties* p = GetFixedRowProps(row)) p->Align = value, GridChanged();
}
void TStringAlignGrid::ClearAlignCell(int col, int row) {
    if (TCellProperties* p = CellPropsOf(col, row)) p->Align = TMyAlign::alDefault, GridChanged();
}

TMyAlign TStringAlignGrid::GetAlignCell(int col, int row) const {
    const bool fixed = IsFixed(col, row);
    for (const TCellProperties* p : {CellPropsOf(col, row), ColSource(col, fixed), RowSource(row, fixed)})
        if (p && p->Align != TMyAlign::alDefault) return p->Align;
    return FAlignment == TMyAlign::alDefault ? TMyAlign::alLeft : FAlignment;
}

// Word wrap ---------------------------------------------------------------------------------------------

void TStringAlignGrid::ClearWordwrapCell(int col, int row) {
    if (TCellProperties* p = CellPropsOf(col, row)) p->Wordwrap = T_Wordwrap::ww_default, GridChanged();
}

T_Wordwrap TStringAlignGrid::GetWordwrapCell(int col, int row) const {
    const bool fixed = IsFixed(col, row);
    for (const TCellProperties* p : {CellPropsOf(col, row), ColSource(col, fixed), RowSource(row, fixed)})
        if (p && p->Wordwrap != T_Wordwrap::ww_default) return p->Wordwrap;
    return FWordwrap == T_Wordwrap::ww_default ? T_Wordwrap::ww_none : FWordwrap;
}

// Editability -------------------------------------------------------------------------------------------

void TStringAlignGrid::SetEditCell(int col, int row, bool value) {
    if (TCellProperties* p = GetCellProps(col, row)) p->Editable = value ? 2 : 1;
}
void TStringAlignGrid::SetEditCol(int col, bool value) {
    if (TCellProperties* p = GetColProps(col)) p->Editable = value ? 2 : 1;
}
void TStringAlignGrid::SetEditRow(int row, bool value) {
    if (TCellProperties* p = GetRowProps(row)) p->Editable = value ? 2 : 1;
}
void TStringAlignGrid::ClearEditCell(int col, int row) {
    if (TCellProperties* p = CellPropsOf(col, row)) p->Editable = 0, GridChanged();
}

bool TStringAlignGrid::GetEditableCell(int col, int row) const {
    const bool fixed = IsFixed(col, row);
    for (const TCellProperties* p : {CellPropsOf(col, row), ColSource(col, fixed), RowSource(row, fixed)})
        if (p && p->Editable != 0) return p->Editable == 2;
    return FEditable;
}

// Fonts -------------------------------------------------------------------------------------------------

TMyFont* TStringAlignGrid::NeedFont(TCellProperties* props, bool fixed) {
    if (!props) return nullptr;
    if (!props->Font()) {
        // The fixed records start from the fixed font, the others from the grid's font.
        props->SetFont(fixed ? static_cast<TFont*>(FFixedFont.get()) : Font());
        props->Font()->Modified = false;
    }
    return props->Font();
}

TFont* TStringAlignGrid::FontCell(int col, int row) {
    return NeedFont(GetCellProps(col, row), IsFixed(col, row));
}
TFont* TStringAlignGrid::FontCol(int col) {
    return NeedFont(GetColProps(col), false);
}
TFont* TStringAlignGrid::FontFixedCol(int col) {
    return NeedFont(GetFixedColProps(col), true);
}
TFont* TStringAlignGrid::FontRow(int row) {
    return NeedFont(GetRowProps(row), false);
}
TFont* TStringAlignGrid::FontFixedRow(int row) {
    return NeedFont(GetFixedRowProps(row), true);
}
void TStringAlignGrid::ClearFontCell(int col, int row) {
    if (TCellProperties* p = CellPropsOf(col, row)) p->SetFont(nullptr), GridChanged();
}

TFont* TStringAlignGrid::GetCellFont(int col, int row) const {
    const bool fixed = IsFixed(col, row);
    for (const TCellProperties* p : {CellPropsOf(col, row), ColSource(col, fixed), RowSource(row, fixed)})
        if (p && p->Font()) return p->Font();
    return fixed ? static_cast<TFont*>(FFixedFont.get()) : Font();
}

// Brushes -----------------------------------------------------------------------------------------------

TMyBrush* TStringAlignGrid::NeedBrush(TCellProperties* props, bool fixed) {
    if (!props) return nullptr;
    if (!props->Brush()) {
        TBrush gridBrush;
        gridBrush.SetColor(Color());
        props->SetBrush(fixed ? static_cast<const TBrush*>(FFixedBrush.get()) : &gridBrush);
        props->Brush()->Modified = false;
    }
    return props->Brush();
}

TBrush* TStringAlignGrid::BrushCell(int col, int row) {
    return NeedBrush(GetCellProps(col, row), IsFixed(col, row));
}
TBrush* TStringAlignGrid::BrushCol(int col) {
    return NeedBrush(GetColProps(col), false);
}
TBrush* TStringAlignGrid::BrushFixedCol(int col) {
    return NeedBrush(GetFixedColProps(col), true);
}
TBrush* TStringAlignGrid::BrushRow(int row) {
    return NeedBrush(GetRowProps(row), false);
}
TBrush* TStringAlignGrid::BrushFixedRow(int row) {
    return NeedBrush(GetFixedRowProps(row), true);
}
void TStringAlignGrid::ClearBrushCell(int col, int row) {
    if (TCellProperties* p = CellPropsOf(col, row)) p->SetBrush(nullptr), GridChanged();
}

TBrush* TStringAlignGrid::GetCellBrush(int col, int row) const {
    const bool fixed = IsFixed(col, row);
    for (const TCellProperties* p : {CellPropsOf(col, row), ColSource(col, fixed), RowSource(row, fixed)})
        if (p && p->Brush()) return p->Brush();
    if (fixed) return FFixedBrush.get();
    // The grid's own brush: its colour.
    if (!FGridBrush) FGridBrush = std::make_unique<TBrush>();
    FGridBrush->SetColor(Color());
    FGridBrush->SetStyle(bsSolid);
    return FGridBrush.get();
}

TColor TStringAlignGrid::GetCellColor(int col, int row) const {
    return GetCellBrush(col, row)->Color();
}

// Selected colours and fonts ----------------------------------------------------------------------------

namespace {
void SetSelected(TCellProperties* p, TColor color) {
    if (!p) return;
    TBrush brush;
    brush.SetColor(color);
    p->SetSelectedBrush(&brush);
}
} // namespace

void TStringAlignGrid::SetSelectedColorCell(int col, int row, TColor value) {
    SetSelected(GetCellProps(col, row), value), GridChanged();
}
void TStringAlignGrid::SetSelectedColorCol(int col, TColor value) {
    SetSelected(GetColProps(col), value), GridChanged();
}
void TStringAlignGrid::SetSelectedColorRow(int row, TColor value) {
    SetSelected(GetRowProps(row), value), GridChanged();
}
void TStringAlignGrid::ClearSelectedColorCell(int col, int row) {
    if (TCellProperties* p = CellPropsOf(col, row)) p->SetSelectedBrush(nullptr), GridChanged();
}

TColor TStringAlignGrid::GetSelectedCellColor(int col, int row) const {
    for (const TCellProperties* p : {CellPropsOf(col, row), ColPropsOf(col), RowPropsOf(row)})
        if (p && p->SelectedBrush()) return p->SelectedBrush()->Color();
    return FSelectedCellColor;
}

void TStringAlignGrid::ClearSelectedFontCell(int col, int row) {
    if (TCellProperties* p = CellPropsOf(col, row)) p->SetSelectedFont(nullptr), GridChanged();
}

TColor TStringAlignGrid::GetSelectedFontColorCell(int col, int row) const {
    for (const TCellProperties* p : {CellPropsOf(col, row), ColPropsOf(col), RowPropsOf(row)})
        if (p && p->SelectedFont()) return p->SelectedFont()->Color();
    return FSelectedFontColor;
}

// Edit masks --------------------------------------------------------------------------------------------

void TStringAlignGrid::SetCellEditMask(int col, int row, const AnsiString& value) {
    if (TCellProperties* p = GetCellProps(col, row)) p->EditMask = value, GridChanged();
}
void TStringAlignGrid::ClearCellEditMask(int col, int row) {
    if (TCellProperties* p = CellPropsOf(col, row)) p->EditMask.clear(), GridChanged();
}

AnsiString TStringAlignGrid::GetCellEditMask(int col, int row) const {
    for (const TCellProperties* p : {CellPropsOf(col, row), ColPropsOf(col), RowPropsOf(row)})
        if (p && !p->EditMask.empty()) return p->EditMask;
    return FEditMask;
}

// Controls ----------------------------------------------------------------------------------------------

TControlInfo* TStringAlignGrid::NeedControl(TCellProperties* props) {
    if (!props) return nullptr;
    if (!props->ControlInfo()) {
        props->SetControlInfo(FDefaultControl.get());
        props->ControlInfo()->Modified = false;
    }
    return props->ControlInfo();
}

TControlInfo* TStringAlignGrid::GetCellControl(int col, int row) {
    return NeedControl(GetCellProps(col, row));
}
TControlInfo* TStringAlignGrid::GetColControl(int col) {
    return NeedControl(GetColProps(col));
}
TControlInfo* TStringAlignGrid::GetRowControl(int row) {
    return NeedControl(GetRowProps(row));
}
void TStringAlignGrid::ClearCellControl(int col, int row) {
    if (TCellProperties* p = CellPropsOf(col, row)) p->SetControlInfo(nullptr), GridChanged();
}

TControlInfo* TStringAlignGrid::GetCellControlInfo(int col, int row) const {
    for (const TCellProperties* p : {CellPropsOf(col, row), ColPropsOf(col), RowPropsOf(row)})
        if (p && p->ControlInfo() && p->ControlInfo()->Kind() != TCellControlKind::ctNone)
            return p->ControlInfo();
    return FDefaultControl.get();
}

TGridStrings* TStringAlignGrid::GetCellPickList(int col, int row) const {
    const TControlInfo* info = GetCellControlInfo(col, row);
    return info && info->Kind() == TCellControlKind::ctPickList ? info->PickList() : nullptr;
}

bool TStringAlignGrid::IsCheckCell(int col, int row) const {
    const TControlInfo* info = GetCellControlInfo(col, row);
    return info && info->Kind() == TCellControlKind::ctCheckBox;
}

// Hints -------------------------------------------------------------------------------------------------

void TStringAlignGrid::SetHintCell(int col, int row, const AnsiString& value) {
    if (col < 0 || row < 0) return;
    Slot(Slot(FCellHints, col), row) = value;
    FHintsStored = true;
}

bool TStringAlignGrid::HasCellHint(int col, int row) const {
    if (col < 0 || row < 0 || static_cast<std::size_t>(col) >= FCellHints.size()) return false;
    const THintList& list = FCellHints[static_cast<std::size_t>(col)];
    return static_cast<std::size_t>(row) < list.size() && list[static_cast<std::size_t>(row)].has_value();
}

AnsiString TStringAlignGrid::GetHintCell(int col, int row) const {
    if (HasCellHint(col, row))
        return *FCellHints[static_cast<std::size_t>(col)][static_cast<std::size_t>(row)];
    return Hint();
}

// ---- the shape --------------------------------------------------------------------------------------

void TStringAlignGrid::InsertCol(int index) {
    index = std::max(index, FixedCols());
    if (index > ColCount()) index = ColCount();
    const bool wasShown = EditorMode() && Col() >= index;
    if (wasShown) HideEditor();
    const int current = Col();
    SetColCount(ColCount() + 1);
    const int last = ColCount() - 1;
    for (int row = 0; row < RowCount(); ++row)
        SetCells(last, row, ""), SetObjects(last, row, nullptr);
    // One move of the new last column to its place shifts every list once (ColumnMoved).
    MoveColumn(last, index);
    if (current >= index && current + 1 < ColCount()) SetCol(current + 1);
    if (wasShown) ShowEditor();
    GridChanged();
}

void TStringAlignGrid::InsertRow(int index) {
    index = std::max(index, FixedRows());
    if (index > RowCount()) index = RowCount();
    const bool wasShown = EditorMode() && Row() >= index;
    if (wasShown) HideEditor();
    const int current = Row();
    SetRowCount(RowCount() + 1);
    const int last = RowCount() - 1;
    for (int col = 0; col < ColCount(); ++col)
        SetCells(col, last, ""), SetObjects(col, last, nullptr);
    MoveRow(last, index);
    if (current >= index && current + 1 < RowCount()) SetRow(current + 1);
    if (wasShown) ShowEditor();
    GridChanged();
}

void TStringAlignGrid::RemoveRow(int row) {
    if (row < FixedRows() || row >= RowCount()) return;
    const bool wasShown = EditorMode() && Row() >= row;
    if (wasShown) HideEditor();
    const int current = Row();
    // The row's records and hints go; the fixed-row list stays in step with the others.
    DeleteEntry(FRowProps, row);
    DeleteEntry(FFixedRowProps, row);
    for (TPropList& list : FCellProps)
        DeleteEntry(list, row);
    for (THintList& list : FCellHints)
        DeleteEntry(list, row);
    for (int r = row; r + 1 < RowCount(); ++r)
        for (int col = 0; col < ColCount(); ++col) {
            SetCells(col, r, Cells(col, r + 1));
            SetObjects(col, r, Objects(col, r + 1));
        }
    for (int col = 0; col < ColCount(); ++col)
        SetCells(col, RowCount() - 1, ""), SetObjects(col, RowCount() - 1, nullptr);
    if (RowCount() - 1 > FixedRows()) SetRowCount(RowCount() - 1);
    if (current > row) SetRow(current - 1);
    if (wasShown) ShowEditor();
    GridChanged();
}

void TStringAlignGrid::ColumnMoved(int from, int to) {
    if (from != to) {
        MoveEntry(FColProps, from, to);
        MoveEntry(FFixedColProps, from, to);
        MoveEntry(FCellProps, from, to);
        MoveEntry(FCellHints, from, to);
        if (TNewInplaceEdit* e = Editor(); e && e->FCol == from) e->FCol = to;
    }
    TStringGrid::ColumnMoved(from, to);
}

void TStringAlignGrid::RowMoved(int from, int to) {
    if (from != to) {
        MoveEntry(FRowProps, from, to);
        MoveEntry(FFixedRowProps, from, to);
        for (TPropList& list : FCellProps)
            MoveEntry(list, from, to);
        for (THintList& list : FCellHints)
            MoveEntry(list, from, to);
        if (TNewInplaceEdit* e = Editor(); e && e->FRow == from) e->FRow = to;
    }
    TStringGrid::RowMoved(from, to);
}

void TStringAlignGrid::SizeChanged(int oldColCount, int oldRowCount) {
    TStringGrid::SizeChanged(oldColCount, oldRowCount);
    if (FAutoAdjustLastCol) AdjustLastCol();
}

void TStringAlignGrid::SwapRows(int a, int b) {
    if (a == b || a < 0 || b < 0 || a >= RowCount() || b >= RowCount()) return;
    const bool wasShown = EditorMode() && (Row() == a || Row() == b);
    if (wasShown) HideEditor();
    SwapEntry(FRowProps, a, b);
    SwapEntry(FFixedRowProps, a, b);
    for (TPropList& list : FCellProps)
        SwapEntry(list, a, b);
    for (THintList& list : FCellHints)
        SwapEntry(list, a, b);
    for (int col = 0; col < ColCount(); ++col) {
        const AnsiString ta = GetGridCellText(this, col, a), tb = GetGridCellText(this, col, b);
        TObject* oa = Objects(col, a);
        SetCells(col, a, tb), SetCells(col, b, ta);
        SetObjects(col, a, Objects(col, b)), SetObjects(col, b, oa);
    }
    if (Row() == a)
        SetRow(b);
    else if (Row() == b)
        SetRow(a);
    if (wasShown) ShowEditor();
}

void TStringAlignGrid::SwapCols(int a, int b) {
    if (a == b || a < 0 || b < 0 || a >= ColCount() || b >= ColCount()) return;
    const bool wasShown = EditorMode() && (Col() == a || Col() == b);
    if (wasShown) HideEditor();
    SwapEntry(FColProps, a, b);
    SwapEntry(FFixedColProps, a, b);
    SwapEntry(FCellProps, a, b);
    SwapEntry(FCellHints, a, b);
    for (int row = 0; row < RowCount(); ++row) {
        const AnsiString ta = GetGridCellText(this, a, row), tb = GetGridCellText(this, b, row);
        TObject* oa = Objects(a, row);
        SetCells(a, row, tb), SetCells(b, row, ta);
        SetObjects(a, row, Objects(b, row)), SetObjects(b, row, oa);
    }
    if (Col() == a)
        SetCol(b);
    else if (Col() == b)
        SetCol(a);
    if (wasShown) ShowEditor();
}

// ---- sorting ----------------------------------------------------------------------------------------

t_relation TStringAlignGrid::CompareColTexts(TObject*, int colRow, int a, int b) {
    const int c = GetGridCellText(this, colRow, a).compare(GetGridCellText(this, colRow, b));
    return c < 0 ? rel_smaller : c == 0 ? rel_equal : rel_greater;
}

t_relation TStringAlignGrid::CompareRowTexts(TObject*, int colRow, int a, int b) {
    const int c = GetGridCellText(this, a, colRow).compare(GetGridCellText(this, b, colRow));
    return c < 0 ? rel_smaller : c == 0 ? rel_equal : rel_greater;
}

void TStringAlignGrid::DefaultSort(int colRow, int first, int last, bool byColumn, bool descending) {
    const t_relation wanted = descending ? rel_greater : rel_smaller;
    auto relation = [&](int a, int b) {
        const TCompareFunction& compare = byColumn ? OnCompareCol : OnCompareRow;
        if (compare) return compare(this, colRow, a, b);
        return byColumn ? CompareColTexts(this, colRow, a, b) : CompareRowTexts(this, colRow, a, b);
    };
    auto swap = [&](int a, int b) { byColumn ? SwapRows(a, b) : SwapCols(a, b); };
    std::function<void(int, int)> sort = [&](int lo, int hi) {
        while (lo < hi) {
            int i = lo, j = hi - 1;
            for (;;) {
                while (i < hi && relation(i, hi) == wanted)
                    ++i;
                // The right-hand scan stops at the left scan: it never runs below the range.
                while (j > i && relation(hi, j) == wanted)
                    --j;
                if (i >= j) break;
                swap(i, j);
                ++i, --j;
            }
            if (i != hi) swap(i, hi);
            // The smaller side recursively, the larger one in the loop.
            if (i - lo < hi - i) {
                sort(lo, i - 1);
                lo = i + 1;
            } else {
                sort(i + 1, hi);
                hi = i - 1;
            }
        }
    };
    const int count = byColumn ? RowCount() : ColCount();
    first = std::max(first, 0);
    last = std::min(last, count - 1);
    sort(first, last);
}

// ---- the form conversion's walk ---------------------------------------------------------------------

void TStringAlignGrid::ConvertResources(const TGridTextConversion& text, const TGridFontConversion& font) {
    auto convertList = [&](TControlInfo* info) {
        if (!info || !info->PickList() || !text) return;
        TGridStrings* list = info->PickList();
        for (int i = 0; i < list->Count(); ++i)
            list->Put(i, text(list->Get(i)));
    };
    auto convertProps = [&](TCellProperties* p) {
        if (!p) return;
        if (font && p->Font()) font(p->Font());
        convertList(p->ControlInfo());
    };
    if (font) font(FFixedFont.get());
    for (int col = 0; col < ColCount(); ++col)
        for (int row = 0; row < RowCount(); ++row) {
            if (text) {
                const AnsiString shown = GetGridCellText(this, col, row);
                if (!shown.empty()) SetCells(col, row, text(shown));
                if (HasCellHint(col, row)) SetHintCell(col, row, text(GetHintCell(col, row)));
            }
            convertProps(CellPropsOf(col, row));
        }
    for (int col = 0; col < ColCount(); ++col) {
        convertProps(ColPropsOf(col));
        if (font && FixedColPropsOf(col) && FixedColPropsOf(col)->Font()) font(FixedColPropsOf(col)->Font());
    }
    for (int row = 0; row < RowCount(); ++row) {
        convertProps(RowPropsOf(row));
        if (font && FixedRowPropsOf(row) && FixedRowPropsOf(row)->Font()) font(FixedRowPropsOf(row)->Font());
    }
    GridChanged();
}

KVR_PUBLISHED(TMyFont, c) {}
KVR_PUBLISHED(TMyBrush, c) {}
KVR_PUBLISHED(TGridStrings, c) {}
KVR_PUBLISHED(TControlInfo, c) {}
KVR_PUBLISHED(TCellProperties, c) {}

KVR_PUBLISHED(TStringAlignGrid, c) {
    c.Property("EditMask", &TStringAlignGrid::EditMask, &TStringAlignGrid::SetEditMask);
    c.Property("Alignment", &TStringAlignGrid::Alignment, &TStringAlignGrid::SetAlignment)
        .Default(static_cast<int>(TMyAlign::alLeft));
    c.Property("Wordwrap", &TStringAlignGrid::Wordwrap, &TStringAlignGrid::SetWordwrap)
        .Default(static_cast<int>(T_Wordwrap::ww_none));
    c.Property("Editable", &TStringAlignGrid::Editable, &TStringAlignGrid::SetEditable).Default(true);
    c.Property("FixedColor", &TStringAlignGrid::FixedColor, &TStringAlignGrid::SetFixedColor)
        .Type("TColor")
        .Default(clBtnFace);
    c.Property("SelectedCellColor", &TStringAlignGrid::SelectedCellColor,
               &TStringAlignGrid::SetSelectedCellColor)
        .Type("TColor")
        .Default(clActiveCaption);
    c.Property("SelectedFontColor", &TStringAlignGrid::SelectedFontColor,
               &TStringAlignGrid::SetSelectedFontColor)
        .Type("TColor")
        .Default(clWhite);
    c.Property("ShowCellHints", &TStringAlignGrid::ShowCellHints).Default(true);
    c.Property("SelectEditText", &TStringAlignGrid::SelectEditText).Default(true);
    c.Property("EditMultiline", &TStringAlignGrid::EditMultiline).Default(false);
    c.Property("ImeMode", &TStringAlignGrid::ImeMode).Default(0);
    c.Property("ImeName", &TStringAlignGrid::ImeName);
    c.Property("AutoEditNextCell", &TStringAlignGrid::AutoEditNextCell).Default(false);
    c.Property("NextCellEdit", &TStringAlignGrid::NextCellEdit).Default(nc_rightdown);
    c.Property("NextCellTab", &TStringAlignGrid::NextCellTab).Default(nc_rightdown);
    c.Property("AfterLastCellEdit", &TStringAlignGrid::AfterLastCellEdit).Default(lc_newcolrow);
    c.Property("AfterLastCellTab", &TStringAlignGrid::AfterLastCellTab).Default(lc_first);
    c.Property("DrawSelection", &TStringAlignGrid::DrawSelection, &TStringAlignGrid::SetDrawSelection)
        .Default(true);
    c.Property("AutoAdjustLastCol", &TStringAlignGrid::AutoAdjustLastCol,
               &TStringAlignGrid::SetAutoAdjustLastCol)
        .Default(false);
    c.Property("GridLineWidth", &TStringAlignGrid::GridLineWidth, &TStringAlignGrid::SetGridLineWidth)
        .Default(1);
    c.Property("RedrawWhileScroll", &TStringAlignGrid::RedrawWhileScroll).Default(false);
    c.Property("GridLineColor", &TStringAlignGrid::GridLineColor, &TStringAlignGrid::SetGridLineColor)
        .Type("TColor")
        .Default(clSilver);
    c.Property("OnShowHintCell", &TStringAlignGrid::OnShowHintCell);
    c.Property("OnAfterEdit", &TStringAlignGrid::OnAfterEdit);
    c.Property("OnCancelEdit", &TStringAlignGrid::OnCancelEdit);
    c.Property("OnBeforeEdit", &TStringAlignGrid::OnBeforeEdit);
    c.Property("OnValidateEdit", &TStringAlignGrid::OnValidateEdit);
    c.Property("OnColWidthsChanged", &TStringAlignGrid::OnColWidthsChanged);
    c.Property("OnRowHeightsChanged", &TStringAlignGrid::OnRowHeightsChanged);
    c.Property("OnFixedColClick", &TStringAlignGrid::OnFixedColClick);
    c.Property("OnFixedRowClick", &TStringAlignGrid::OnFixedRowClick);
    c.Property("OnEditButtonClick", &TStringAlignGrid::OnEditButtonClick);
    c.Property("OnComboBoxClick", &TStringAlignGrid::OnComboBoxClick);
    c.Property("OnCalcCellColors", &TStringAlignGrid::OnCalcCellColors);
    c.Method("ConvertResources", &TStringAlignGrid::ConvertResources);
}
