// The aligned grid's drawing, its in-place editor and drop-down list, the edit cycle through the grid's
// own messages, moving to the next cell, the clipboard and the hints.
#include <algorithm>

#include "classlib/controls/dialogs.h"
#include "classlib/rtl/strutils.h"
#include "components/Aligrid.h"
#include "components/AligridTools.h"

namespace {

bool StartsText(const AnsiString& prefix, const AnsiString& text) {
    return prefix.size() <= text.size() && SameText(text.substr(0, prefix.size()), prefix);
}

T_nextcell Reversed(T_nextcell d) {
    switch (d) {
    case nc_rightdown:
        return nc_leftup;
    case nc_leftup:
        return nc_rightdown;
    case nc_downright:
        return nc_upleft;
    case nc_upleft:
        return nc_downright;
    case nc_leftdown:
        return nc_rightup;
    case nc_rightup:
        return nc_leftdown;
    case nc_downleft:
        return nc_upright;
    case nc_upright:
        return nc_downleft;
    }
    return d;
}

// Searches the shown parts of a pick list for the first line starting with the search text, and then
// with the last character alone; -1 when none.
int SearchLines(const TStrings* lines, AnsiString& search, char key) {
    auto find = [&](const AnsiString& text) {
        for (int i = 0; i < lines->Count(); ++i) {
            const auto* g = dynamic_cast<const TGridStrings*>(lines);
            if (StartsText(text, g ? g->ShownText(i) : lines->Get(i))) return i;
        }
        return -1;
    };
    int found = find(search);
    if (found < 0) {
        found = find(AnsiString(1, key));
        if (found >= 0) search = AnsiString(1, key);
    }
    return found;
}

} // namespace

// ---- TNewInplaceEdit ---------------------------------------------------------------------------------

TNewInplaceEdit::TNewInplaceEdit(TComponent* owner) : TInplaceEdit(owner) {}

TStringAlignGrid* TNewInplaceEdit::AlignGrid() const {
    return dynamic_cast<TStringAlignGrid*>(Grid());
}

bool TNewInplaceEdit::CheckCell() const {
    TStringAlignGrid* g = AlignGrid();
    return g && FCol >= 0 && g->IsCheckCell(FCol, FRow);
}

bool TNewInplaceEdit::ListOnlyCell() const {
    TStringAlignGrid* g = AlignGrid();
    if (!g || FCol < 0) return false;
    const TGridStrings* list = g->GetCellPickList(FCol, FRow);
    return list && list->ListOnly;
}

bool TNewInplaceEdit::OnButton(int x) const {
    return FButtonStyle != 0 && x >= Width() - FButtonWidth;
}

void TNewInplaceEdit::UpdateContents() {
    TStringAlignGrid* g = AlignGrid();
    if (!g) return;
    const int col = g->Col(), row = g->Row();
    const TControlInfo* info = g->GetCellControlInfo(col, row);
    const TCellControlKind kind = info ? info->Kind() : TCellControlKind::ctNone;
    FButtonStyle = kind == TCellControlKind::ctButton ? 1
                   : kind == TCellControlKind::ctPickList && info->PickList() && g->GetEditableCell(col, row)
                       ? 2
                       : 0;
    FCol = col, FRow = row;
    Font()->Assign(g->GetCellFont(col, row));
    SetColor(g->GetCellColor(col, row));
    FMultiline = g->EditMultiline;
    if (!FBeforeEdit) {
        FBeforeEdit = true;
        g->Perform(WM_ALIGNGRID_BEFOREEDIT, static_cast<WPARAM>(col), row);
        FRestoreText = GetGridCellText(g, col, row);
    }
    if (!g->SelectEditText) SetSelLength(0);
    PostMessage(g->Handle(), WM_ALIGNGRID_RESERVED, static_cast<WPARAM>(col), row);
}

void TNewInplaceEdit::ToggleCheck() {
    TStringAlignGrid* g = AlignGrid();
    const TControlInfo* info = g ? g->GetCellControlInfo(FCol, FRow) : nullptr;
    if (!info || !g->GetEditableCell(FCol, FRow)) return;
    const AnsiString next =
        g->Cells(FCol, FRow) == info->CheckedText() ? info->UncheckedText() : info->CheckedText();
    SetGridCellText(g, FCol, FRow, next);
    SetText(next);
}

bool TNewInplaceEdit::SearchList(char key) {
    TStringAlignGrid* g = AlignGrid();
    const TGridStrings* list = g ? g->GetCellPickList(FCol, FRow) : nullptr;
    if (!list) return false;
    const Cardinal now = GetTickCount();
    if (now - FLastKeyTime > 2000) FSearchText.clear();
    FLastKeyTime = now;
    const AnsiString before = FSearchText;
    if (FSearchText.size() < 32) FSearchText += key;
    const int found = SearchLines(list, FSearchText, key);
    if (found < 0) {
        FSearchText = before;
        return false;
    }
    const AnsiString line = list->ShownText(found);
    SetText(line);
    SetGridCellText(g, FCol, FRow, line);
    g->DoComboBoxClick();
    SelectAll();
    return true;
}

void TNewInplaceEdit::KeyDown(Word& key, TShiftState shift) {
    TStringAlignGrid* g = AlignGrid();
    if (!g) {
        TInplaceEdit::KeyDown(key, shift);
        return;
    }
    const bool alt = shift.Contains(ssAlt);
    if (FDropped) {
        if ((alt && (key == VK_DOWN || key == VK_UP)) || key == VK_RETURN || key == VK_ESCAPE) {
            CloseUp(key != VK_ESCAPE);
            key = 0;
            return;
        }
        if (key == VK_DOWN || key == VK_UP) {
            const int n = FPickList->Count();
            int i = FPickList->ItemIndex() + (key == VK_DOWN ? 1 : -1);
            FPickList->SetItemIndex(std::clamp(i, 0, std::max(0, n - 1)));
            key = 0;
            return;
        }
    }
    if (alt && (key == VK_DOWN || key == VK_UP) && FButtonStyle == 2) {
        DropDown();
        key = 0;
        return;
    }
    if (alt && key == VK_RETURN && !FMultiline && FButtonStyle == 1) {
        g->DoEditButtonClick();
        key = 0;
        return;
    }
    if (key == VK_ESCAPE && !FMultiline) {
        // Esc gives the cell the text it had when the edit began and cancels the edit: nothing is
        // validated and the grid does not move on.
        const int col = FCol, row = FRow;
        FLoading = true;
        SetText(FRestoreText);
        FLoading = false;
        if (col >= 0) g->SetEditText(col, row, FRestoreText);
        FOriginal = FRestoreText;
        FBeforeEdit = false;
        FCol = FRow = -1;
        if (col >= 0) PostMessage(g->Handle(), WM_ALIGNGRID_CANCELEDIT, static_cast<WPARAM>(col), row);
        g->HideEditor();
        if (g->CanFocus()) g->SetFocus();
        key = 0;
        return;
    }
    if ((CheckCell() || ListOnlyCell()) && key == VK_DELETE) {
        key = 0;
        return;
    }
    if (ListOnlyCell() && key == VK_BACK) {
        if (!FSearchText.empty()) FSearchText.pop_back();
        key = 0;
        return;
    }
    TInplaceEdit::KeyDown(key, shift);
}

void TNewInplaceEdit::KeyPress(char& key) {
    TStringAlignGrid* g = AlignGrid();
    if (!g) {
        TInplaceEdit::KeyPress(key);
        return;
    }
    if (FCol < 0) {
        key = 0;
        return;
    }
    if (CheckCell()) {
        if (key == ' ') ToggleCheck();
        key = 0;
        return;
    }
    const unsigned char c = static_cast<unsigned char>(key);
    if (ListOnlyCell()) {
        if (c >= 0x20 && !SearchList(key)) MessageBeep(0);
        key = 0;
        return;
    }
    if (key == '\t') {
        key = 0;
        return;
    }
    if ((c >= 0x20 || key == '\b' || key == 0x16 || key == 0x18) && !g->CanEditModify()) {
        if (c >= 0x20) MessageBeep(0);
        key = 0;
        return;
    }
    TInplaceEdit::KeyPress(key);
}

void TNewInplaceEdit::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (button == mbLeft) {
        if (CheckCell()) {
            ToggleCheck();
            return;
        }
        if (FButtonStyle == 2 && (OnButton(x) || ListOnlyCell())) {
            FDropped ? CloseUp(false) : DropDown();
            return;
        }
        if (FButtonStyle == 1 && OnButton(x)) {
            FTracking = FPressed = true;
            Invalidate();
            return;
        }
    }
    TInplaceEdit::MouseDown(button, shift, x, y);
}

void TNewInplaceEdit::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (FTracking) {
        const bool fire = FPressed && OnButton(x) && y >= 0 && y < Height();
        FTracking = FPressed = false;
        Invalidate();
        if (fire && AlignGrid()) AlignGrid()->DoEditButtonClick();
        return;
    }
    TInplaceEdit::MouseUp(button, shift, x, y);
}

void TNewInplaceEdit::DoExit() {
    if (FDropped) CloseUp(false);
    TInplaceEdit::DoExit();
}

void TNewInplaceEdit::Notification(TComponent* component, TOperation operation) {
    TInplaceEdit::Notification(component, operation);
    if (operation == opRemove && component == FPickList) {
        FPickList = FActiveList = nullptr;
        FDropped = false;
    }
}

void TNewInplaceEdit::Paint() {
    TInplaceEdit::Paint();
    if (FButtonStyle == 0) return;
    TCanvas* canvas = Canvas();
    TRect b{Width() - FButtonWidth, 0, Width(), Height()};
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(clBtnFace);
    canvas->FillRect(b);
    TRect frame = b;
    if (FPressed)
        Frame3D(canvas, frame, clBtnShadow, clBtnShadow, 1);
    else
        Frame3D(canvas, frame, clBtnHighlight, cl3DDkShadow, 1);
    const int shift = FPressed ? 1 : 0;
    if (FButtonStyle == 1) {
        // Three black squares, their side an eighth of the button (at least 2), side + 2 apart.
        const int side = std::max(2, std::min(Height(), FButtonWidth) / 8);
        const int total = 3 * side + 2 * 2;
        const int x = b.Left + (FButtonWidth - total) / 2 + shift, y = (Height() - side) / 2;
        canvas->Brush()->SetColor(clBlack);
        for (int i = 0; i < 3; ++i)
            canvas->FillRect({x + i * (side + 2), y, x + i * (side + 2) + side, y + side});
    } else {
        const int x = b.Left + (FButtonWidth - 7) / 2 + shift, y = (Height() - 4) / 2 + shift;
        const bool active = AlignGrid() && AlignGrid()->GetCellPickList(FCol, FRow);
        canvas->Pen()->SetColor(active ? clBtnText : clBtnShadow);
        canvas->Brush()->SetColor(active ? clBtnText : clBtnShadow);
        canvas->Polygon({Point(x, y), Point(x + 6, y), Point(x + 3, y + 3)});
    }
}

void TNewInplaceEdit::CMHintShow(TMessage& message) {
    TStringAlignGrid* g = AlignGrid();
    if (!g || !g->ShowCellHints || FCol < 0) {
        InheritedMessage(message);
        return;
    }
    auto* info = reinterpret_cast<THintInfo*>(message.LParam);
    info->HintStr = g->GetHintCell(FCol, FRow);
    bool canShow = true;
    if (g->OnShowHintCell) g->OnShowHintCell(g, FCol, FRow, info->HintStr, canShow, *info);
    message.Result = canShow ? 0 : 1;
}

void TNewInplaceEdit::DropDown() {
    TStringAlignGrid* g = AlignGrid();
    const TGridStrings* list = g ? g->GetCellPickList(FCol, FRow) : nullptr;
    if (!list || FDropped) return;
    TCustomForm* form = GetParentForm(g);
    if (!FPickList) {
        FPickList = new TPopupListbox(this);
        FPickList->SetParent(form ? static_cast<TWinControl*>(form) : g);
    }
    FActiveList = FPickList;
    FPickList->Items()->Clear();
    FPickList->Values()->Clear();
    for (int i = 0; i < list->Count(); ++i) {
        FPickList->Items()->Add(list->ShownText(i));
        FPickList->Values()->Add(list->ValueText(i));
    }
    FPickList->SetColor(Color());
    FPickList->Font()->Assign(Font());
    const int lines = std::min(list->Count(), list->DropDownCount);
    const int height = lines * FPickList->ItemHeight() + 4;
    int selected = FPickList->Items()->IndexOf(Text());
    FPickList->SetItemIndex(selected >= 0 ? selected : (list->Count() > 0 ? 0 : -1));
    TWinControl* host = FPickList->Parent();
    TPoint below = host->ScreenToClient(ClientToScreen(Point(0, Height())));
    if (host->ClientHeight() > 0 && below.Y + height > host->ClientHeight()) below.Y -= Height() + height;
    FPickList->SetBounds(below.X, below.Y, Width(), height);
    FPickList->SetVisible(true);
    FPickList->BringToFront();
    FDropped = true;
}

void TNewInplaceEdit::CloseUp(bool accept) {
    if (!FDropped || !FPickList) return;
    FPickList->SetVisible(false);
    FDropped = false;
    FActiveList = nullptr;
    TStringAlignGrid* g = AlignGrid();
    if (!accept || !g || FPickList->ItemIndex() < 0 || FCol < 0) return;
    if (!ReadOnly() || g->CanEditModify()) {
        const AnsiString line = FPickList->Items()->Get(FPickList->ItemIndex());
        SetText(line);
        SetGridCellText(g, FCol, FRow, line);
        g->DoComboBoxClick();
        SetModified(true);
    }
}

KVR_MESSAGE_MAP(TNewInplaceEdit, m) {
    m.Handle(CM_HINTSHOW, &TNewInplaceEdit::CMHintShow);
}

// ---- TPopupListbox -----------------------------------------------------------------------------------

TPopupListbox::TPopupListbox(TComponent* owner)
    : TCustomListBox(owner), FValues(std::make_unique<TGridStrings>()) {
    SetVisible(false);
    SetTabStop(false);
}

TPopupListbox::~TPopupListbox() = default;

void TPopupListbox::KeyPress(char& key) {
    if (key == '\b' || key == 27) {
        FSearchText.clear();
    } else if (static_cast<unsigned char>(key) >= 0x20) {
        const Cardinal now = GetTickCount();
        if (now - FLastKeyTime > 2000) FSearchText.clear();
        FLastKeyTime = now;
        if (FSearchText.size() < 32) FSearchText += key;
        const int found = SearchLines(Items(), FSearchText, key);
        if (found >= 0) SetItemIndex(found);
    }
    key = 0;
}

void TPopupListbox::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    TCustomListBox::MouseUp(button, shift, x, y);
    if (auto* editor = dynamic_cast<TNewInplaceEdit*>(Owner()); editor && button == mbLeft)
        editor->CloseUp(true);
}

// ---- the grid: editor and edit cycle -----------------------------------------------------------------

TInplaceEdit* TStringAlignGrid::CreateEditor() {
    auto* editor = new TNewInplaceEdit(this);
    editor->FCol = editor->FRow = -1;
    return editor;
}

TNewInplaceEdit* TStringAlignGrid::Editor() const {
    return dynamic_cast<TNewInplaceEdit*>(InplaceEditor());
}

AnsiString TStringAlignGrid::GetEditMask(int col, int row) {
    return IsCheckCell(col, row) ? AnsiString() : GetCellEditMask(col, row);
}

AnsiString TStringAlignGrid::GetEditText(int col, int row) {
    return TStringGrid::GetEditText(col, row);
}

bool TStringAlignGrid::CanEditShow() {
    bool result = TStringGrid::CanEditShow();
    TNewInplaceEdit* editor = Editor();
    if (editor && editor->FCol >= 0 && editor->FRow >= 0 &&
        (editor->FCol != Col() || editor->FRow != Row())) {
        PostMessage(Handle(), WM_ALIGNGRID_VALIDATEEDIT, static_cast<WPARAM>(editor->FCol), editor->FRow);
        editor->FBeforeEdit = false;
    }
    if (!ComponentState().Contains(csDesigning))
        // A check-box cell is toggled on the grid itself: the editor never comes over it.
        result = result && GetEditableCell(Col(), Row()) && !IsCheckCell(Col(), Row());
    if (!result && editor) editor->FCol = editor->FRow = -1;
    return result;
}

bool TStringAlignGrid::CanEditModify() {
    const TGridStrings* list = GetCellPickList(Col(), Row());
    return GetEditableCell(Col(), Row()) && !(list && list->ListOnly) && !IsCheckCell(Col(), Row());
}

void TStringAlignGrid::Validate(int col, int row) {
    FEditUnderway = false;
    if (TNewInplaceEdit* e = Editor()) e->FBeforeEdit = false;
    if (col < 0 || row < 0) return;
    bool result = true;
    if (OnValidateEdit) OnValidateEdit(this, col, row, result);
    if (!result) {
        MoveCurrent(col, row);
        ShowEditor();
        FEditUnderway = true;
    } else if (OnAfterEdit) {
        OnAfterEdit(this, col, row);
        if (TNewInplaceEdit* e = Editor()) e->FBeforeEdit = true;
    }
}

void TStringAlignGrid::WMCancelEdit(TMessage& message) {
    FEditUnderway = false;
    if (TNewInplaceEdit* e = Editor()) e->FBeforeEdit = false;
    const int col = static_cast<int>(message.WParam), row = static_cast<int>(message.LParam);
    if (col >= 0 && row >= 0 && OnCancelEdit) OnCancelEdit(this, col, row);
}

void TStringAlignGrid::WMValidateEdit(TMessage& message) {
    Validate(static_cast<int>(message.WParam), static_cast<int>(message.LParam));
}

void TStringAlignGrid::WMBeforeEdit(TMessage& message) {
    const int col = static_cast<int>(message.WParam), row = static_cast<int>(message.LParam);
    if (col >= 0 && row >= 0 && OnBeforeEdit) OnBeforeEdit(this, col, row);
    FEditUnderway = true;
}

void TStringAlignGrid::WMEndEdit(TMessage& message) {
    FEditUnderway = false;
    TNewInplaceEdit* editor = Editor();
    if (editor) editor->FBeforeEdit = false;
    const int col = static_cast<int>(message.WParam), row = static_cast<int>(message.LParam);
    if (col < 0 || row < 0) return;
    if (editor && EditorMode() && editor->Text() != Cells(col, row)) SetEditText(col, row, editor->Text());
    bool result = true;
    if (OnValidateEdit) OnValidateEdit(this, col, row, result);
    if (!result) {
        MoveCurrent(col, row);
        ShowEditor();
        FEditUnderway = true;
        return;
    }
    if (OnAfterEdit) OnAfterEdit(this, col, row);
    if (!AutoEditNextCell || FEditUnderway) return;
    const TGridCoord next = NextEditableCell(col, row);
    if (next.X < 0) return;
    if (editor) editor->FCol = editor->FRow = -1;
    HideEditor();
    MoveCurrent(next.X, next.Y);
    ShowEditor();
    FEditUnderway = true;
}

void TStringAlignGrid::WMShowEditor(TMessage&) {
    ShowEditor();
    if (TNewInplaceEdit* e = Editor(); e && EditorMode()) {
        if (FSavedSelLength < 0)
            e->SelectAll();
        else
            e->SetSelStart(FSavedSelStart), e->SetSelLength(FSavedSelLength);
    }
}

void TStringAlignGrid::WMReserved(TMessage&) {}

void TStringAlignGrid::DoEditButtonClick() {
    if (OnEditButtonClick) OnEditButtonClick(this);
}

void TStringAlignGrid::DoComboBoxClick() {
    if (OnComboBoxClick) OnComboBoxClick(this);
}

void TStringAlignGrid::DoCalcCellColors(int col, int row, TRect rect, TGridDrawState state, TFont* font,
                                        TBrush* brush) {
    if (OnCalcCellColors) OnCalcCellColors(this, col, row, rect, state, font, brush);
}

void TStringAlignGrid::DoEnter() {
    TStringGrid::DoEnter();
    if (FRestoreEditor && Options().Contains(goAlwaysShowEditor))
        PostMessage(Handle(), WM_ALIGNGRID_SHOWEDITOR);
}

void TStringAlignGrid::DoExit() {
    TStringGrid::DoExit();
    // Leaving the grid with the editor shown validates its cell; refused, the grid takes the focus back.
    TNewInplaceEdit* editor = Editor();
    if (!editor || !EditorMode() || editor->FCol < 0) return;
    FRestoreEditor = true;
    FSavedSelStart = editor->SelStart();
    FSavedSelLength = editor->SelLength();
    Validate(editor->FCol, editor->FRow);
    if (FEditUnderway && CanFocus()) SetFocus();
}

void TStringAlignGrid::TopLeftChanged() {
    TStringGrid::TopLeftChanged();
    if (EditorMode()) PostMessage(Handle(), WM_ALIGNGRID_RESERVED, static_cast<WPARAM>(Col()), Row());
}

// ---- keys and mouse ----------------------------------------------------------------------------------

void TStringAlignGrid::KeyDown(Word& key, TShiftState shift) {
    if (key == VK_RETURN && AutoEditNextCell && !EditMultiline && !shift.Contains(ssAlt) &&
        !shift.Contains(ssCtrl)) {
        const T_nextcell saved = NextCellEdit;
        if (shift.Contains(ssShift)) NextCellEdit = Reversed(NextCellEdit);
        Perform(WM_ALIGNGRID_ENDEDIT, static_cast<WPARAM>(Col()), Row());
        NextCellEdit = saved;
        key = 0;
        return;
    }
    if (key == VK_INSERT && shift.Contains(ssShift)) {
        Perform(WM_PASTE), key = 0;
        return;
    }
    if (key == VK_INSERT && shift.Contains(ssCtrl)) {
        Perform(WM_COPY), key = 0;
        return;
    }
    if (key == VK_DELETE && shift.Contains(ssShift)) {
        Perform(WM_CUT), key = 0;
        return;
    }
    if (key == VK_TAB && !shift.Contains(ssAlt) && Options().Contains(goTabs)) {
        // Every column takes the tab: this grid's columns carry no tab stops of their own. At the end
        // (-1, -1) the current cell stays.
        const T_nextcell dir = shift.Contains(ssShift) ? Reversed(NextCellTab) : NextCellTab;
        const TGridCoord at = NextCell(Col(), Row(), dir, AfterLastCellTab);
        if (at.X >= 0) MoveCurrent(at.X, at.Y);
        key = 0;
        return;
    }
    TStringGrid::KeyDown(key, shift);
}

void TStringAlignGrid::KeyPress(char& key) {
    if (key == ' ' && IsCheckCell(Col(), Row()) && GetEditableCell(Col(), Row()) &&
        Options().Contains(goEditing)) {
        TControlInfo* info = GetCellControlInfo(Col(), Row());
        SetGridCellText(this, Col(), Row(),
                        Cells(Col(), Row()) == info->CheckedText() ? info->UncheckedText()
                                                                   : info->CheckedText());
        key = 0;
        return;
    }
    if (key == '\r' && EditMultiline) return;
    TStringGrid::KeyPress(key);
}

void TStringAlignGrid::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    const TGridCoord cell = MouseCoord(x, y);
    const TGridCoord before{Col(), Row()};
    if (TNewInplaceEdit* e = Editor()) e->FLastKeyTime = GetTickCount();
    if (button == mbLeft && cell.X >= 0) {
        const bool fixedCol = cell.X < FixedCols(), fixedRow = cell.Y < FixedRows();
        if (fixedCol && !fixedRow && OnFixedRowClick) OnFixedRowClick(this, cell.Y);
        if (fixedRow && !fixedCol && OnFixedColClick) OnFixedColClick(this, cell.X);
    }
    TStringGrid::MouseDown(button, shift, x, y);
    // A click on the current check-box cell toggles it.
    if (button == mbLeft && cell == before && cell.X >= FixedCols() && cell.Y >= FixedRows() &&
        IsCheckCell(cell.X, cell.Y) && GetEditableCell(cell.X, cell.Y) && Options().Contains(goEditing)) {
        TControlInfo* info = GetCellControlInfo(cell.X, cell.Y);
        SetGridCellText(this, cell.X, cell.Y,
                        Cells(cell.X, cell.Y) == info->CheckedText() ? info->UncheckedText()
                                                                     : info->CheckedText());
    }
}

void TStringAlignGrid::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    TStringGrid::MouseUp(button, shift, x, y);
    if (FAutoAdjustLastCol) AdjustLastCol();
}

void TStringAlignGrid::MouseMove(TShiftState shift, int x, int y) {
    TStringGrid::MouseMove(shift, x, y);
    FMousePos = Point(x, y);
    const TGridCoord cell = MouseCoord(x, y);
    if (!(cell == FHintCell) && FHintCell.X >= 0) {
        Application->CancelHint();
        FHintCell = {-1, -1};
    }
}

void TStringAlignGrid::CMHintShow(TMessage& message) {
    if (!ShowCellHints) {
        InheritedMessage(message);
        return;
    }
    auto* info = reinterpret_cast<THintInfo*>(message.LParam);
    const TGridCoord cell = MouseCoord(FMousePos.X, FMousePos.Y);
    FHintCell = cell;
    if (cell.X < 0) {
        InheritedMessage(message);
        return;
    }
    const TRect r = CellRect(cell.X, cell.Y);
    info->HintPos = ClientToScreen(Point(r.Left, r.Top));
    info->HintStr = GetHintCell(cell.X, cell.Y);
    bool canShow = true;
    if (OnShowHintCell) OnShowHintCell(this, cell.X, cell.Y, info->HintStr, canShow, *info);
    message.Result = canShow ? 0 : 1;
}

void TStringAlignGrid::CMFontChanged(TMessage& message) {
    InheritedMessage(message);
    if (TNewInplaceEdit* e = Editor(); e && Col() >= 0) e->Font()->Assign(GetCellFont(Col(), Row()));
}

void TStringAlignGrid::WMSize(TMessage& message) {
    InheritedMessage(message);
    if (FAutoAdjustLastCol) AdjustLastCol();
}

void TStringAlignGrid::WMCommand(TMessage&) {}

void TStringAlignGrid::AdjustLastCol() {
    if (ColCount() <= 0) return;
    int others = 0;
    for (int c = 0; c + 1 < ColCount(); ++c)
        others += ColWidths(c);
    const bool lines = Options().Contains(goVertLine) || Options().Contains(goFixedVertLine);
    const int width = ClientWidth() - others - (lines ? ColCount() * GridLineWidth() : 0);
    // The last column never gets a negative width: too narrow a grid leaves it as it is.
    if (others < ClientWidth() && width > 0) TStringGrid::SetColWidths(ColCount() - 1, width);
}

// ---- next cell ---------------------------------------------------------------------------------------

TGridCoord TStringAlignGrid::NextCell(int col, int row, T_nextcell direction, T_lastcell rule, bool* added) {
    if (added) *added = false;
    const int c0 = FixedCols(), c1 = ColCount() - 1, r0 = FixedRows(), r1 = RowCount() - 1;
    bool end = false;
    switch (direction) {
    case nc_rightdown:
        if (++col > c1) col = c0, end = ++row > r1;
        break;
    case nc_downright:
        if (++row > r1) row = r0, end = ++col > c1;
        break;
    case nc_leftdown:
        if (--col < c0) col = c1, end = ++row > r1;
        break;
    case nc_downleft:
        if (++row > r1) row = r0, end = --col < c0;
        break;
    case nc_leftup:
        if (--col < c0) col = c1, end = --row < r0;
        break;
    case nc_upleft:
        if (--row < r0) row = r1, end = --col < c0;
        break;
    case nc_rightup:
        if (++col > c1) col = c0, end = --row < r0;
        break;
    case nc_upright:
        if (--row < r0) row = r1, end = ++col > c1;
        break;
    }
    if (!end) return {col, row};
    switch (rule) {
    case lc_stop:
        return {-1, -1};
    case lc_exit:
        if (TCustomForm* form = GetParentForm(this)) form->Perform(WM_NEXTDLGCTL, 0, 0);
        return {-1, -1};
    case lc_first:
        switch (direction) {
        case nc_rightdown:
        case nc_downright:
            return {c0, r0};
        case nc_leftdown:
        case nc_downleft:
            return {c1, r0};
        case nc_leftup:
        case nc_upleft:
            return {c1, r1};
        case nc_rightup:
        case nc_upright:
            return {c0, r1};
        }
        return {-1, -1};
    case lc_newcolrow:
        break;
    }
    if (added) *added = true;
    switch (direction) {
    case nc_rightdown:
        InsertRow(RowCount());
        return {c0, RowCount() - 1};
    case nc_downright:
        InsertCol(ColCount());
        return {ColCount() - 1, r0};
    case nc_leftdown:
        InsertRow(RowCount());
        return {ColCount() - 1, RowCount() - 1};
    case nc_downleft:
        InsertCol(c0);
        return {c0, r0};
    case nc_leftup:
        InsertRow(r0);
        return {ColCount() - 1, r0};
    case nc_upleft:
        InsertCol(c0);
        return {c0, RowCount() - 1};
    case nc_rightup:
        InsertRow(r0);
        return {c0, r0};
    case nc_upright:
        InsertCol(ColCount());
        return {ColCount() - 1, RowCount() - 1};
    }
    return {-1, -1};
}

TGridCoord TStringAlignGrid::NextEditableCell(int col, int row) {
    const TGridCoord start{col, row};
    TGridCoord at = start;
    for (;;) {
        bool added = false;
        at = NextCell(at.X, at.Y, NextCellEdit, AfterLastCellEdit, &added);
        if (at.X < 0 || added || at == start || GetEditableCell(at.X, at.Y)) return at;
    }
}

// ---- clipboard ---------------------------------------------------------------------------------------

namespace {
// A copy's range: an end before its start or negative is the last column or row, a negative start 0.
TGridRect CopyRange(TGridRect r, int cols, int rows) {
    if (r.Left < 0) r.Left = 0;
    if (r.Top < 0) r.Top = 0;
    if (r.Right < r.Left || r.Right < 0) r.Right = cols - 1;
    if (r.Bottom < r.Top || r.Bottom < 0) r.Bottom = rows - 1;
    r.Right = std::min(r.Right, cols - 1);
    r.Bottom = std::min(r.Bottom, rows - 1);
    return r;
}
} // namespace

void TStringAlignGrid::CellsToStream(TStream& stream, char separator, TGridRect range) {
    range = CopyRange(range, ColCount(), RowCount());
    for (int row = range.Top; row <= range.Bottom; ++row) {
        for (int col = range.Left; col <= range.Right; ++col)
            WriteStringToStream(stream, GetGridCellText(this, col, row) + separator);
        WriteStringToStream(stream, "\r\n");
    }
}

void TStringAlignGrid::StreamToCells(TStream& stream, char separator, TGridRect range) {
    AnsiString text(static_cast<std::size_t>(stream.Size()), '\0');
    stream.SetPosition(0);
    if (!text.empty()) stream.ReadBuffer(text.data(), static_cast<Int64>(text.size()));
    if (range.Left < 0) range.Left = 0;
    if (range.Top < 0) range.Top = 0;
    const bool rowsBounded = range.Bottom >= range.Top, colsBounded = range.Right >= range.Left;
    std::vector<AnsiString> lines;
    for (std::size_t at = 0; at <= text.size();) {
        std::size_t end = text.find('\n', at);
        AnsiString line = text.substr(at, end == AnsiString::npos ? AnsiString::npos : end - at);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        // Nothing after the last line break is no line.
        if (end == AnsiString::npos && line.empty()) break;
        lines.push_back(line);
        if (end == AnsiString::npos) break;
        at = end + 1;
    }
    int row = range.Top;
    for (const AnsiString& source : lines) {
        if (rowsBounded && row > range.Bottom) break;
        if (row >= RowCount()) SetRowCount(row + 1);
        AnsiString line = source + separator;
        int col = range.Left;
        while ((!colsBounded || col <= range.Right) && line.size() > 1) {
            const std::size_t at = line.find(separator);
            if (col >= ColCount()) SetColCount(col + 1);
            SetCells(col, row, line.substr(0, at));
            line.erase(0, at + 1);
            ++col;
        }
        ++row;
    }
    GridChanged();
}

void TStringAlignGrid::CopyToClipboard(char separator, TGridRect range) {
    TMemoryStream stream;
    CellsToStream(stream, separator, range);
    CopyStreamToClipboard(stream, CF_TEXT);
}

void TStringAlignGrid::PasteFromClipboard(char separator, TGridRect range) {
    TMemoryStream stream;
    PasteStreamFromClipboard(stream, CF_TEXT);
    if (stream.Size() == 0) return;
    StreamToCells(stream, separator, range);
}

void TStringAlignGrid::WMCopy(TMessage& message) {
    CopyToClipboard('\t', Selection());
    InheritedMessage(message);
}

void TStringAlignGrid::WMCut(TMessage& message) {
    const TGridRect range = CopyRange(Selection(), ColCount(), RowCount());
    CopyToClipboard('\t', range);
    for (int row = range.Top; row <= range.Bottom; ++row)
        for (int col = range.Left; col <= range.Right; ++col)
            SetCells(col, row, "");
    InheritedMessage(message);
}

void TStringAlignGrid::WMPaste(TMessage& message) {
    PasteFromClipboard('\t', Selection());
    InheritedMessage(message);
}

// ---- drawing -----------------------------------------------------------------------------------------

void TStringAlignGrid::DrawCell(int col, int row, TRect rect, TGridDrawState state) {
    if (DefaultDrawing()) DrawCellButton(col, row, state, rect);
    PrepareCellCanvas(col, row, state, rect);
    if (!DefaultDrawing()) return;
    if (!IsFixed(col, row) && IsCheckCell(col, row))
        DrawCellCheckBox(col, row, rect);
    else {
        DrawCellText(col, row, state, rect);
        TCustomGrid::DrawCell(col, row, rect, state);
    }
}

void TStringAlignGrid::PrepareCellCanvas(int col, int row, TGridDrawState state, TRect& rect) {
    TCanvas* canvas = Canvas();
    canvas->Font()->Assign(GetCellFont(col, row));
    canvas->Brush()->Assign(GetCellBrush(col, row));
    if (FDrawSelection && state.Contains(gdSelected) &&
        (!state.Contains(gdFocused) || Options().Contains(goDrawFocusSelected) ||
         Options().Contains(goRowSelect))) {
        canvas->Brush()->SetColor(GetSelectedCellColor(col, row));
        canvas->Font()->SetColor(GetSelectedFontColorCell(col, row));
    }
    const bool fixed = IsFixed(col, row);
    if (!fixed && GridLineWidth() > 0) {
        canvas->Pen()->SetColor(FGridLineColor);
        canvas->Pen()->SetWidth(GridLineWidth());
        canvas->Polyline({Point(rect.Left, rect.Top), Point(rect.Right, rect.Top),
                          Point(rect.Right, rect.Bottom), Point(rect.Left, rect.Bottom),
                          Point(rect.Left, rect.Top)});
    }
    DoCalcCellColors(col, row, rect, state, canvas->Font(), canvas->Brush());
    if (!DefaultDrawing()) return;
    canvas->FillRect(rect);
    const TGridOptions o = Options();
    if (fixed) {
        if (!o.Contains(goFixedVertLine)) rect.Bottom += GridLineWidth();
        if (!o.Contains(goFixedHorzLine)) rect.Right += GridLineWidth();
    } else {
        if (!o.Contains(goVertLine)) rect.Bottom += GridLineWidth();
        if (!o.Contains(goHorzLine)) rect.Right += GridLineWidth();
    }
    if (!fixed && !FBackground->Empty()) {
        TileBackground(rect);
        canvas->Brush()->SetStyle(bsClear);
        if (state.Contains(gdSelected) || state.Contains(gdFocused))
            canvas->Font()->SetColor(clHighlightText);
    }
}

void TStringAlignGrid::DrawCellText(int col, int row, TGridDrawState, TRect rect) {
    if (!DefaultDrawing()) return;
    TMyAlign align = GetAlignCell(col, row);
    T_Wordwrap wrap = GetWordwrapCell(col, row);
    if (AlignGridTextFormat) AlignGridTextFormat(this, col, row, wrap, align);
    AnsiString text = GetGridCellText(this, col, row);
    const AnsiString mask = GetCellEditMask(col, row);
    if (!mask.empty()) {
        const AnsiString formatted = FormatMaskText(mask, text);
        // An empty entry shows nothing rather than the mask's literals.
        if (formatted == FormatMaskText(mask, "")) return;
        text = formatted;
    }
    TCanvas* canvas = Canvas();
    canvas->Brush()->SetStyle(bsClear);
    TRect r{rect.Left + 2, rect.Top + 2, rect.Right - 2, rect.Bottom - 2};
    unsigned format = DT_NOPREFIX;
    format |= align == TMyAlign::alRight ? DT_RIGHT : align == TMyAlign::alCenter ? DT_CENTER : DT_LEFT;
    if (wrap == T_Wordwrap::ww_wordwrap) format |= DT_WORDBREAK;
    if (wrap == T_Wordwrap::ww_ellipsis) format |= DT_END_ELLIPSIS;
    DrawText(canvas, text, r, format);
}

void TStringAlignGrid::DrawCellButton(int col, int row, TGridDrawState state, TRect& rect) {
    if (!(state.Contains(gdSelected) || state.Contains(gdFocused))) return;
    if (!Options().Contains(goEditing) || Options().Contains(goRowSelect)) return;
    const TControlInfo* info = GetCellControlInfo(col, row);
    if (!info) return;
    if (info->Kind() == TCellControlKind::ctButton)
        DrawEllipsisButton(col, row, state, rect);
    else if (info->Kind() == TCellControlKind::ctPickList)
        DrawComboButton(col, row, state, rect);
    else
        return;
    rect.Right -= 16;
}

namespace {
void DrawButtonFace(TCanvas* canvas, TRect r) {
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(clBtnFace);
    canvas->FillRect(r);
    Frame3D(canvas, r, cl3DLight, cl3DDkShadow, 1);
    Frame3D(canvas, r, clBtnHighlight, clBtnShadow, 1);
}
} // namespace

void TStringAlignGrid::DrawComboButton(int col, int row, TGridDrawState, TRect rect) {
    TCanvas* canvas = Canvas();
    TRect b{rect.Right - 16, rect.Top, rect.Right, rect.Bottom};
    DrawButtonFace(canvas, b);
    const int x = b.Left, m = rect.Top + (rect.Bottom - rect.Top) / 2;
    auto triangle = [&](int dx, int dy, TColor color) {
        canvas->Pen()->SetColor(color);
        canvas->Pen()->SetWidth(1);
        canvas->Brush()->SetColor(color);
        canvas->Polygon(
            {Point(x + 4 + dx, m - 2 + dy), Point(x + 10 + dx, m - 2 + dy), Point(x + 7 + dx, m + 1 + dy)});
    };
    if (Enabled() && GetEditableCell(col, row))
        triangle(0, 0, clBtnText);
    else
        triangle(2, 1, clBtnHighlight), triangle(0, 0, clBtnShadow);
}

void TStringAlignGrid::DrawEllipsisButton(int, int, TGridDrawState, TRect rect) {
    TCanvas* canvas = Canvas();
    TRect b{rect.Right - 16, rect.Top, rect.Right, rect.Bottom};
    DrawButtonFace(canvas, b);
    const int x = b.Left, half = (rect.Bottom - rect.Top) / 2;
    const int top = half == 2 ? rect.Top + 1 : rect.Top + half - 2;
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(clBlack);
    for (int dx : {3, 7, 11})
        canvas->FillRect({x + dx, top, x + dx + 2, top + 2});
}

void TStringAlignGrid::DrawCellCheckBox(int col, int row, TRect rect) {
    const TControlInfo* info = GetCellControlInfo(col, row);
    if (!info || info->Kind() != TCellControlKind::ctCheckBox) return;
    TBitmap* bitmap = Cells(col, row) == info->CheckedText() ? FCheckBitmap.get() : FUncheckBitmap.get();
    if (bitmap->Empty()) return;
    const int x = rect.Left + (rect.Width() - bitmap->Width()) / 2 + 2;
    const int y = rect.Top + (rect.Height() - bitmap->Height()) / 2 + 1;
    Canvas()->Brush()->SetStyle(bsClear);
    Canvas()->Draw(x, y, bitmap);
}

// Tiles sit at fixed client positions, multiples of the bitmap's size from the client origin.
void TStringAlignGrid::TileBackground(const TRect& rect) {
    if (FBackground->Empty() || rect.Width() <= 0 || rect.Height() <= 0) return;
    TCanvas* canvas = Canvas();
    const int w = FBackground->Width(), h = FBackground->Height();
    for (int y = (std::max(rect.Top, 0) / h) * h; y < rect.Bottom; y += h)
        for (int x = (std::max(rect.Left, 0) / w) * w; x < rect.Right; x += w) {
            const TRect tile{std::max(x, rect.Left), std::max(y, rect.Top), std::min(x + w, rect.Right),
                             std::min(y + h, rect.Bottom)};
            canvas->CopyRect(tile, FBackground->Canvas(),
                             {tile.Left - x, tile.Top - y, tile.Right - x, tile.Bottom - y});
        }
}

void TStringAlignGrid::Paint() {
    TStringGrid::Paint();
    const TGridOptions o = Options();
    if (!FBackground->Empty()) {
        // The client area right of the last column and below the last row.
        int right = 0, bottom = 0;
        for (int c = 0; c < ColCount(); ++c) {
            const TRect r = CellRect(c, std::min(TopRow(), RowCount() - 1));
            if (r.Width() > 0)
                right = std::max(right, r.Right + GridLineWidth());
            else if (c >= LeftCol())
                break;
        }
        for (int r = 0; r < RowCount(); ++r) {
            const TRect cell = CellRect(std::min(LeftCol(), ColCount() - 1), r);
            if (cell.Height() > 0)
                bottom = std::max(bottom, cell.Bottom + GridLineWidth());
            else if (r >= TopRow())
                break;
        }
        TileBackground({right, 0, ClientWidth(), ClientHeight()});
        TileBackground({0, bottom, right, ClientHeight()});
    }
    // Without drawn selections the library's focus rectangle (an inversion) leaves out a cell's button
    // and is taken off a check-box cell.
    if (!FDrawSelection && DefaultDrawing() && !ComponentState().Contains(csDesigning) && Focused() &&
        !EditorMode() && !o.Contains(goRowSelect) &&
        !(o.Contains(goEditing) && o.Contains(goAlwaysShowEditor))) {
        TRect r = CellRect(Col(), Row());
        const TCellControlKind kind = GetCellControlInfo(Col(), Row())->Kind();
        if ((kind == TCellControlKind::ctButton || kind == TCellControlKind::ctPickList) &&
            o.Contains(goEditing)) {
            Canvas()->DrawFocusRect(r);
            r.Right -= 16;
            Canvas()->DrawFocusRect(r);
        } else if (kind == TCellControlKind::ctCheckBox) {
            Canvas()->DrawFocusRect(r);
        }
    }
    if (GridLineWidth() <= 0) return;
    // The current cell's right and bottom lines again, over the library's.
    const TRect r = CellRect(Col(), Row());
    if (r.Width() <= 0) return;
    TCanvas* canvas = Canvas();
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(FGridLineColor);
    canvas->FillRect({r.Right, r.Top, r.Right + GridLineWidth(), r.Bottom + GridLineWidth()});
    canvas->FillRect({r.Left, r.Bottom, r.Right + GridLineWidth(), r.Bottom + GridLineWidth()});
}

KVR_MESSAGE_MAP(TStringAlignGrid, m) {
    m.Handle(WM_ALIGNGRID_CANCELEDIT, &TStringAlignGrid::WMCancelEdit);
    m.Handle(WM_ALIGNGRID_ENDEDIT, &TStringAlignGrid::WMEndEdit);
    m.Handle(WM_ALIGNGRID_VALIDATEEDIT, &TStringAlignGrid::WMValidateEdit);
    m.Handle(WM_ALIGNGRID_BEFOREEDIT, &TStringAlignGrid::WMBeforeEdit);
    m.Handle(WM_ALIGNGRID_SHOWEDITOR, &TStringAlignGrid::WMShowEditor);
    m.Handle(WM_ALIGNGRID_RESERVED, &TStringAlignGrid::WMReserved);
    m.Handle(WM_COPY, &TStringAlignGrid::WMCopy);
    m.Handle(WM_CUT, &TStringAlignGrid::WMCut);
    m.Handle(WM_PASTE, &TStringAlignGrid::WMPaste);
    m.Handle(WM_COMMAND, &TStringAlignGrid::WMCommand);
    m.Handle(WM_SIZE, &TStringAlignGrid::WMSize);
    m.Handle(CM_HINTSHOW, &TStringAlignGrid::CMHintShow);
    m.Handle(CM_FONTCHANGED, &TStringAlignGrid::CMFontChanged);
}

KVR_PUBLISHED(TNewInplaceEdit, c) {}
KVR_PUBLISHED(TPopupListbox, c) {}
