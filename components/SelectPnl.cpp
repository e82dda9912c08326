#include "components/SelectPnl.h"

#include <algorithm>
#include <functional>
#include <vector>

#include "classlib/controls/forms.h"
#include "classlib/rtl/format.h"
#include "classlib/rtl/strutils.h"

struct TSelectItemCopy {
    AnsiString Caption;
    std::vector<AnsiString> SubItems;
    bool Selected;
    int ImageIndex;
    void* Data;
};

namespace {

constexpr int PickSize = 24;
constexpr int SmallButton = 23;

const char* const DefaultHints[] = {"用户自定输入方式",  "区间选择-起始信息",     "区间选择-起始信息开窗",
                                    "区间选择-截止信息", "区间选择-截止信息开窗", "多选-己选择的信息",
                                    "多选-信息开窗",     "多选-删除一笔信息",     "多选-删除己选信息"};

bool Loading(const TComponent* component) {
    return component->ComponentState().Contains(csLoading) || component->ComponentState().Contains(csReading);
}

// A float range text as integer part "." fraction; a text that is no number stays as the user typed it.
AnsiString FloatText(const AnsiString& text) {
    AnsiString t = Trim(text);
    if (t.empty()) return text;
    size_t dot = t.find('.');
    AnsiString whole = dot == AnsiString::npos ? t : t.substr(0, dot);
    AnsiString fraction = dot == AnsiString::npos ? AnsiString() : t.substr(dot + 1);
    if (whole.empty() || whole == "-" || whole == "+") whole += "0";
    if (fraction.empty()) fraction = "0";
    AnsiString result = whole + "." + fraction;
    double probe = 0;
    if (!TryStrToFloat(result, probe)) return text;
    return result;
}

AnsiString ColumnText(const TSelectItemCopy& item, int column) {
    if (column <= 0) return item.Caption;
    return column - 1 < static_cast<int>(item.SubItems.size())
               ? item.SubItems[static_cast<size_t>(column - 1)]
               : AnsiString();
}

} // namespace

void TOruMaskEdit::Change() {
    if (!Suppress) TMaskEdit::Change();
}

TOruListView::TOruListView(TComponent* owner, TSelectPanel* panel) : TListView(owner), FPanel(panel) {}

void TOruListView::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (button == mbLeft) {
        if (CanFocus() && !Focused()) SetFocus();
        if (!Focused()) return;
        // A press on the column header sorts by that column.
        if (FPanel && FPanel->ShowColumnHeader() && ViewStyle() == vsReport && y < 2 + RowHeight() + 2) {
            int left = 2;
            for (int c = 0; c < Columns()->Count(); ++c) {
                int right = left + Columns()->Items(c)->Width();
                if (x >= left && x < right) {
                    FPanel->ColumnClick(c);
                    return;
                }
                left = right;
            }
        }
    }
    TListView::MouseDown(button, shift, x, y);
}

TSelectPanel::TSelectPanel(TComponent* owner)
    : TGroupBox(owner), FBeginWords(new TStringList), FFinalWords(new TStringList),
      FChildHints(new TStringList) {
    FHintWord = "区间选择";
    SetBounds(Left(), Top(), 353, 45);

    FSwitch = new TOruCheckBox(this);
    FSwitch->SetParent(this);
    FSwitch->SetBounds(16, 17, 97, 17);
    FSwitch->SetCaption(FHintWord);
    FSwitch->SetChecked(FUserChoice);
    FSwitch->SetOnClick(TNotifyEvent(this, &TSelectPanel::SwitchClick));

    FRangePanel = new TPanel(this);
    FRangePanel->SetParent(this);
    FRangePanel->SetBevelOuter(bvNone);
    FBeginLabel = new TLabel(this);
    FBeginLabel->SetParent(FRangePanel);
    FBeginEdit = new TOruMaskEdit(this);
    FBeginEdit->SetParent(FRangePanel);
    FBeginEdit->SetBounds(0, 0, 100, 24);
    FBeginButton = new TF2Button(this);
    FBeginButton->SetParent(FRangePanel);
    FEndLabel = new TLabel(this);
    FEndLabel->SetParent(FRangePanel);
    FEndEdit = new TOruMaskEdit(this);
    FEndEdit->SetParent(FRangePanel);
    FEndEdit->SetBounds(0, 0, 100, 24);
    FEndButton = new TF2Button(this);
    FEndButton->SetParent(FRangePanel);

    FListPanel = new TPanel(this);
    FListPanel->SetParent(this);
    FListPanel->SetBevelOuter(bvNone);
    FListView = new TOruListView(this, this);
    FListView->SetParent(FListPanel);
    FListView->SetMultiSelect(true);
    FListView->SetRowSelect(true);
    FListView->SetReadOnly(true);
    FListView->SetViewStyle(vsReport);
    FListView->SetCursor(crHandPoint);
    FListView->Columns()->Add()->SetCaption("Data");
    FListView->SetOnSelectItem(TLVSelectItemEvent(this, &TSelectPanel::ListSelectItem));
    FListButton = new TF2Button(this);
    FListButton->SetParent(FListPanel);
    FListButton->SetAutoAlign(false);
    FDeleteButton = new TGSpeedButton(this);
    FDeleteButton->SetParent(FListPanel);
    FDeleteButton->SetFlat(true);
    FDeleteButton->SetGlyphIndex(47);
    FDeleteButton->SetBounds(0, 0, SmallButton, SmallButton);
    FDeleteButton->SetOnClick(TNotifyEvent(this, &TSelectPanel::DeleteClick));
    FClearButton = new TGSpeedButton(this);
    FClearButton->SetParent(FListPanel);
    FClearButton->SetFlat(true);
    FClearButton->SetGlyphIndex(4);
    FClearButton->SetNumGlyphs(2);
    FClearButton->SetBounds(0, 0, SmallButton, SmallButton);
    FClearButton->SetOnClick(TNotifyEvent(this, &TSelectPanel::ClearClick));

    for (TF2Button* button : {FBeginButton, FEndButton, FListButton})
        button->SetOnClick(TNotifyEvent(this, &TSelectPanel::PickClick));
    SetGlyphIndex(8);

    // The children's mouse and key events become the panel's own.
    for (TControl* child : std::initializer_list<TControl*>{FSwitch, FRangePanel, FBeginLabel, FBeginEdit,
                                                            FEndLabel, FEndEdit, FListPanel, FListView}) {
        if (child != FSwitch) child->SetOnClick(TNotifyEvent(this, &TSelectPanel::ChildClick));
        child->SetOnDblClick(TNotifyEvent(this, &TSelectPanel::ChildDblClick));
        child->SetOnMouseDown(TMouseEvent(this, &TSelectPanel::ChildMouseDown));
        child->SetOnMouseUp(TMouseEvent(this, &TSelectPanel::ChildMouseUp));
        child->SetOnMouseMove(TMouseMoveEvent(this, &TSelectPanel::ChildMouseMove));
    }
    for (TWinControl* child : std::initializer_list<TWinControl*>{FSwitch, FBeginEdit, FEndEdit, FListView}) {
        child->SetOnKeyDown(TKeyEvent(this, &TSelectPanel::ChildKeyDown));
        child->SetOnKeyUp(TKeyEvent(this, &TSelectPanel::ChildKeyUp));
        child->SetOnKeyPress(TKeyPressEvent(this, &TSelectPanel::ChildKeyPress));
    }

    FBeginWords->Add("起");
    FBeginWords->Add("起");
    FFinalWords->Add("止");
    FFinalWords->Add("止");
    FBeginWords->SetOnChange(TNotifyEvent(this, &TSelectPanel::WordsChanged));
    FFinalWords->SetOnChange(TNotifyEvent(this, &TSelectPanel::WordsChanged));
    for (const char* hint : DefaultHints)
        FChildHints->Add(hint);
    FChildHints->SetOnChange(TNotifyEvent(this, &TSelectPanel::HintsChanged));
    AssignHints();
    ShowParts();
    Layout();
}

TSelectPanel::~TSelectPanel() {
    FBeginWords->SetOnChange(TNotifyEvent());
    FFinalWords->SetOnChange(TNotifyEvent());
    FChildHints->SetOnChange(TNotifyEvent());
}

bool TSelectPanel::RangeShown() const {
    return FStyle == sp_Range || (FStyle == sp_UserChoice && FSwitch->Checked());
}

void TSelectPanel::ShowParts() {
    FSwitch->SetVisible(FStyle == sp_UserChoice);
    FRangePanel->SetVisible(RangeShown());
    FListPanel->SetVisible(!RangeShown());
}

void TSelectPanel::Layout() {
    if (!FClearButton) return; // still being made
    TRect area = ClientRect();
    int top = 16;
    if (FStyle == sp_UserChoice) {
        TCanvas* canvas = Canvas();
        canvas->Font()->Assign(Font());
        FSwitch->SetCaption(FHintWord);
        FSwitch->SetBounds(16, 17, canvas->TextWidth(FHintWord) + 24, canvas->TextHeight(FHintWord) + 2);
        top = FSwitch->Top() + FSwitch->Height() + 2;
    }
    const int width = std::max(0, area.Right - 8), height = std::max(0, area.Bottom - top - 4);
    FRangePanel->SetBounds(4, top, width, height);
    FListPanel->SetBounds(4, top, width, height);

    const int words = FUseVertical || FStyle == sp_UserChoice ? 1 : 0;
    FBeginLabel->SetCaption(words < FBeginWords->Count() ? FBeginWords->Get(words) : AnsiString());
    FEndLabel->SetCaption(words < FFinalWords->Count() ? FFinalWords->Get(words) : AnsiString());
    const int pick = FCanOpenWin ? PickSize + 2 : 0;
    for (TF2Button* button : {FBeginButton, FEndButton, FListButton})
        button->SetVisible(FCanOpenWin);
    const int editHeight = FBeginEdit->Height();
    if (words == 0) {
        // One row: label, edit, button, label, edit, button; the edits share what is left.
        const int y = std::max(0, (height - editHeight) / 2);
        const int beginLabel = FBeginLabel->Width() + 4, endLabel = FEndLabel->Width() + 4;
        const int edit = std::max(0, (width - beginLabel - endLabel - 2 * pick - 4) / 2);
        int x = 0;
        FBeginLabel->SetBounds(x, y + 4, FBeginLabel->Width(), FBeginLabel->Height());
        x += beginLabel;
        FBeginEdit->SetBounds(x, y, edit, editHeight);
        x += edit + 2;
        FBeginButton->SetBounds(x, y, PickSize, PickSize);
        x += pick + 2;
        FEndLabel->SetBounds(x, y + 4, FEndLabel->Width(), FEndLabel->Height());
        x += endLabel;
        FEndEdit->SetBounds(x, y, edit, editHeight);
        FEndButton->SetBounds(x + edit + 2, y, PickSize, PickSize);
    } else {
        // Begin above end, spaced by a third of the free height.
        const int space = std::max(0, (height - 2 * editHeight) / 3);
        const int label = std::max(FBeginLabel->Width(), FEndLabel->Width()) + 4;
        const int edit = std::max(0, width - label - pick);
        FBeginLabel->SetBounds(0, space + 4, FBeginLabel->Width(), FBeginLabel->Height());
        FBeginEdit->SetBounds(label, space, edit, editHeight);
        FBeginButton->SetBounds(label + edit + 2, space, PickSize, PickSize);
        const int y = 2 * space + editHeight;
        FEndLabel->SetBounds(0, y + 4, FEndLabel->Width(), FEndLabel->Height());
        FEndEdit->SetBounds(label, y, edit, editHeight);
        FEndButton->SetBounds(label + edit + 2, y, PickSize, PickSize);
    }

    // The list fills the panel but a column at the right for its three buttons.
    FListView->SetBounds(0, 0, std::max(0, width - PickSize - 2), height);
    const int right = std::max(0, width - PickSize);
    FListButton->SetBounds(right, 0, PickSize, PickSize);
    FDeleteButton->SetBounds(right, PickSize + 2, SmallButton, SmallButton);
    FClearButton->SetBounds(right, PickSize + SmallButton + 4, SmallButton, SmallButton);
    if (FListView->ColumnsAutoSize && FListView->Columns()->Count() > 0) {
        const int columns = FListView->Columns()->Count();
        for (int c = 0; c < columns; ++c)
            FListView->Columns()->Items(c)->SetWidth(std::max(0, (FListView->Width() - 4) / columns));
    }
}

void TSelectPanel::SetStyle(TSelectStyle value) {
    TSelectStyle newStyle = value;
    bool accept = true;
    if (OnStyleChanging) OnStyleChanging(this, FStyle, newStyle, accept);
    if (!accept || newStyle == FStyle) return;
    const TSelectStyle old = FStyle;
    const bool reading = Loading(this) || (Parent() && Loading(Parent()));
    if ((old == sp_Range || newStyle == sp_Range) && !FUseVertical && !reading) {
        const int w = Width(), h = Height();
        SetBounds(Left(), Top(), FOtherWidth, FOtherHeight);
        FOtherWidth = w, FOtherHeight = h;
    }
    FStyle = newStyle;
    ShowParts();
    Layout();
    if (OnStyleChange) OnStyleChange(this, old, newStyle);
}

void TSelectPanel::SetHintWord(const AnsiString& value) {
    FHintWord = value;
    FSwitch->SetCaption(value);
    Layout();
}

void TSelectPanel::SetUserChoice(bool value) {
    FUserChoice = value;
    if (FStyle != sp_UserChoice) return;
    FSwitch->SetChecked(value);
    ShowParts();
    Layout();
    if (OnTypeClick) OnTypeClick(this);
}

void TSelectPanel::SwitchClick(TObject*) {
    if (FStyle == sp_UserChoice) {
        FUserChoice = FSwitch->Checked();
        ShowParts();
        Layout();
        if (OnTypeClick) OnTypeClick(this);
    }
    ChildClick(FSwitch);
}

void TSelectPanel::KeepTwo(TStrings* words) {
    while (words->Count() > 2)
        words->Delete(words->Count() - 1);
}

void TSelectPanel::WordsChanged(TObject* sender) {
    auto* words = static_cast<TStrings*>(sender);
    if (words->Count() > 2) {
        KeepTwo(words); // comes back here with two
        return;
    }
    Layout();
}

void TSelectPanel::SetBeginWords(TStrings* value) {
    FBeginWords->Assign(value);
}

void TSelectPanel::SetFinalWords(TStrings* value) {
    FFinalWords->Assign(value);
}

void TSelectPanel::AssignHints() {
    TControl* controls[] = {FSwitch,   FBeginEdit,  FBeginButton,  FEndEdit,    FEndButton,
                            FListView, FListButton, FDeleteButton, FClearButton};
    for (int i = 0; i < 9; ++i) {
        controls[i]->SetHint(i < FChildHints->Count() ? FChildHints->Get(i) : AnsiString());
        controls[i]->SetShowHint(true);
    }
}

void TSelectPanel::HintsChanged(TObject*) {
    AssignHints();
}

void TSelectPanel::SetChildHints(TStrings* value) {
    FChildHints->Assign(value);
}

void TSelectPanel::SetEditMask(const AnsiString& value) {
    FEditMask = value;
    // Both edits keep what the user typed under the new mask.
    const AnsiString beginText = FBeginEdit->Text(), endText = FEndEdit->Text();
    FBeginEdit->Suppress = true;
    FBeginEdit->SetEditMask(value);
    FBeginEdit->SetText(beginText);
    FBeginEdit->Suppress = false;
    FEndEdit->SetEditMask(value);
    FEndEdit->SetText(endText);
    FEmptyMaskText = FormatMaskText(value, "");
}

void TSelectPanel::SetCanOpenWin(bool value) {
    FCanOpenWin = value;
    Layout();
}

void TSelectPanel::SetGlyphIndex(int value) {
    FGlyphIndex = value;
    for (TF2Button* button : {FBeginButton, FEndButton, FListButton}) {
        button->SetGlyphIndex(value);
        if (value != 0 && button->Glyph()->Empty()) {
            button->SetGlyphIndex(0);
            FGlyphIndex = 0;
        }
    }
}

void TSelectPanel::SetUseVertical(bool value) {
    if (value == FUseVertical || FStyle != sp_Range) return;
    FUseVertical = value;
    if (!Loading(this)) {
        const int w = Width(), h = Height();
        SetBounds(Left(), Top(), FOtherWidth, FOtherHeight);
        FOtherWidth = w, FOtherHeight = h;
    }
    Layout();
}

void TSelectPanel::SetSortListBox(bool value) {
    FSortListBox = value;
    if (value) SortByText();
}

void TSelectPanel::SetCheckDuplicate(TCheckDuplicate value) {
    FCheckDuplicate = value;
    if (value == cd_None) return;
    SetSortListBox(true);
    if (!RangeShown()) RemoveDuplicates();
}

void TSelectPanel::RemoveDuplicates() {
    TListItems* items = FListView->Items();
    bool removed = false;
    for (int i = items->Count() - 1; i > 0; --i) {
        const AnsiString& a = items->Item(i)->Caption();
        const AnsiString& b = items->Item(i - 1)->Caption();
        if (FCheckDuplicate == cd_CaseInsensitive ? CompareText(a, b) == 0 : a == b) {
            items->Delete(i);
            removed = true;
        }
    }
    if (removed && OnItemChange) OnItemChange(this);
}

AnsiString TSelectPanel::ColumnCaptions() const {
    AnsiString text;
    for (int c = 0; c < Columns()->Count(); ++c)
        text += (c ? "\r\n" : "") + Columns()->Items(c)->Caption();
    return text;
}

void TSelectPanel::SetColumnCaptions(const AnsiString& value) {
    TStringList lines;
    lines.SetText(value);
    Columns()->Clear();
    for (int i = 0; i < lines.Count(); ++i)
        Columns()->Add()->SetCaption(lines.Get(i));
    Layout();
}

void TSelectPanel::ColumnClick(int column) {
    if (column == FSortColumn)
        FSortDescending = !FSortDescending;
    else
        FSortColumn = column, FSortDescending = false;
    const int col = FSortColumn;
    const bool descending = FSortDescending;
    ReorderItems([col, descending](const TSelectItemCopy& a, const TSelectItemCopy& b) {
        int result = CompareText(ColumnText(a, col), ColumnText(b, col));
        if (result == 0) {
            if (col == 0) {
                result = CompareText(ColumnText(a, 1), ColumnText(b, 1));
            } else if (col == 1) {
                result = CompareText(a.Caption, b.Caption);
            } else {
                result = CompareText(a.Caption, b.Caption);
                if (result == 0) result = CompareText(ColumnText(a, 1), ColumnText(b, 1));
            }
        }
        return descending ? -result : result;
    });
}

void TSelectPanel::ReorderItems(
    const std::function<int(const TSelectItemCopy&, const TSelectItemCopy&)>& compare) {
    TListItems* items = FListView->Items();
    std::vector<TSelectItemCopy> copies;
    for (int i = 0; i < items->Count(); ++i) {
        TListItem* item = items->Item(i);
        TSelectItemCopy copy{item->Caption(), {}, item->Selected(), item->ImageIndex(), item->Data()};
        for (int k = 0; k < item->SubItems()->Count(); ++k)
            copy.SubItems.push_back(item->SubItems()->Get(k));
        copies.push_back(std::move(copy));
    }
    std::stable_sort(
        copies.begin(), copies.end(),
        [&compare](const TSelectItemCopy& a, const TSelectItemCopy& b) { return compare(a, b) < 0; });
    // The list view has no moves of its own: the items are laid out again, selection and all, without
    // reporting the selection as new.
    FReordering = true;
    items->Clear();
    for (const TSelectItemCopy& copy : copies) {
        TListItem* item = items->Add();
        item->SetCaption(copy.Caption);
        for (const AnsiString& sub : copy.SubItems)
            item->SubItems()->Add(sub);
        item->SetImageIndex(copy.ImageIndex);
        item->SetData(copy.Data);
        item->SetSelected(copy.Selected);
    }
    FReordering = false;
}

void TSelectPanel::SortByText() {
    ReorderItems(
        [](const TSelectItemCopy& a, const TSelectItemCopy& b) { return CompareText(a.Caption, b.Caption); });
}

void TSelectPanel::PickClick(TObject* sender) {
    if (ComponentState().Contains(csDesigning)) return;
    TWinControl* control = sender == FBeginButton ? static_cast<TWinControl*>(FBeginEdit)
                           : sender == FEndButton ? static_cast<TWinControl*>(FEndEdit)
                                                  : static_cast<TWinControl*>(FListView);
    if (control->CanFocus()) {
        control->HandleNeeded();
        control->SetFocus();
    }
    if (auto* form = dynamic_cast<TWinControl*>(Owner()))
        SendMessage(form->Handle(), WM_F2LOOKUP, 0, reinterpret_cast<LPARAM>(control));
    if (OnOpenWinClick) OnOpenWinClick(this, control);
}

void TSelectPanel::DeleteClick(TObject*) {
    bool accept = true;
    if (OnDeleteClick) OnDeleteClick(this, accept);
    if (!accept) return;
    TListItems* items = FListView->Items();
    bool removed = false;
    for (int i = items->Count() - 1; i >= 0; --i)
        if (items->Item(i)->Selected()) items->Delete(i), removed = true;
    if (removed && OnItemChange) OnItemChange(this);
}

void TSelectPanel::ClearClick(TObject*) {
    const bool had = FListView->Items()->Count() > 0;
    FListView->Items()->Clear();
    if (FListView->CanFocus()) FListView->SetFocus();
    if (OnClearClick) OnClearClick(this);
    if (had && OnItemChange) OnItemChange(this);
}

void TSelectPanel::ListSelectItem(TObject*, TListItem* item, bool selected) {
    if (FReordering) return;
    if (OnItemSelect) OnItemSelect(this, item, item ? item->Index() : -1, selected);
}

void TSelectPanel::SetEnabled(bool value) {
    TGroupBox::SetEnabled(value);
    std::vector<TWinControl*> stack{this};
    while (!stack.empty()) {
        TWinControl* parent = stack.back();
        stack.pop_back();
        for (int i = 0; i < parent->ControlCount(); ++i) {
            TControl* child = parent->Controls(i);
            child->SetEnabled(value);
            if (auto* win = dynamic_cast<TWinControl*>(child)) stack.push_back(win);
        }
    }
}

void TSelectPanel::SetFocus() {
    TGroupBox::SetFocus();
    if (!RangeShown() && FListView->CanFocus()) FListView->SetFocus();
}

TDateTime TSelectPanel::ReadDate(const AnsiString& text) const {
    const AnsiString t = Trim(text);
    if (t.empty() || t == FEmptyMaskText || Trim(FEmptyMaskText) == t || FDateSign.empty()) return 0;
    std::vector<AnsiString> parts;
    size_t start = 0;
    for (size_t at; (at = t.find(FDateSign, start)) != AnsiString::npos; start = at + FDateSign.size())
        parts.push_back(t.substr(start, at - start));
    parts.push_back(t.substr(start));
    // A month without its day stands for the first of that month; the day goes where the kind has it,
    // whatever the width of the other parts.
    if (parts.size() == 2) {
        switch (FDateType) {
        case dt_MMDDYYYY:
            parts.insert(parts.begin() + 1, "01");
            break;
        case dt_DDMMYYYY:
            parts.insert(parts.begin(), "01");
            break;
        default:
            parts.push_back("01");
            break;
        }
    }
    if (parts.size() != 3) return 0;
    int n[3];
    for (int i = 0; i < 3; ++i)
        if (!TryStrToInt(Trim(parts[static_cast<size_t>(i)]), n[i])) return 0;
    int year = n[0], month = n[1], day = n[2];
    switch (FDateType) {
    case dt_MMDDYYYY:
        month = n[0], day = n[1], year = n[2];
        break;
    case dt_DDMMYYYY:
        day = n[0], month = n[1], year = n[2];
        break;
    case dt_YYMMDD:
    case dt_YYYMMDD:
        year = n[0] + 1911;
        break;
    default:
        break;
    }
    TDateTime date = 0;
    return TryEncodeDate(year, month, day, date) ? date : TDateTime(0);
}

bool TSelectPanel::ShouldSwap() {
    const AnsiString b = FBeginEdit->Text(), e = FEndEdit->Text();
    switch (FValueType) {
    case SelectPnl::vt_Number:
        return StrToIntDef(Trim(e), 0) < StrToIntDef(Trim(b), 0);
    case SelectPnl::vt_Date:
        if (!FAutoChangeDateSite || IsBlankMask(b) || IsBlankMask(e)) return false;
        if (IsDiscarded(b) || IsDiscarded(e)) return false;
        if (FDateType == dt_NoneCare) return CompareStr(b, e) > 0;
        return ReadDate(b) > ReadDate(e);
    case SelectPnl::vt_Float: {
        FBeginEdit->SetText(FloatText(b));
        FEndEdit->SetText(FloatText(e));
        return StrToFloatDef(Trim(FEndEdit->Text()), 0) < StrToFloatDef(Trim(FBeginEdit->Text()), 0);
    }
    case SelectPnl::vt_String:
    case SelectPnl::vt_Time:
        if (IsBlankMask(b) || IsBlankMask(e) || IsDiscarded(b) || IsDiscarded(e)) return false;
        return CompareStr(b, e) > 0;
    case SelectPnl::vt_OtherMask:
        return false;
    }
    return false;
}

void TSelectPanel::SwapRange() {
    const AnsiString b = FBeginEdit->Text();
    FBeginEdit->SetText(FEndEdit->Text());
    FEndEdit->SetText(b);
}

void TSelectPanel::DoExit() {
    if (FEditMask.empty() || FEditMask[0] != '!') {
        FBeginEdit->SetText(Trim(FBeginEdit->Text()));
        FEndEdit->SetText(Trim(FEndEdit->Text()));
    }
    if (!FBeginEdit->Text().empty() && !FEndEdit->Text().empty() && ShouldSwap()) SwapRange();
    TGroupBox::DoExit();
}

void TSelectPanel::Loaded() {
    TGroupBox::Loaded();
    ShowParts();
    Layout();
}

void TSelectPanel::WMSize(TMessage& message) {
    InheritedMessage(message);
    Layout();
}

void TSelectPanel::CMFontChanged(TMessage& message) {
    InheritedMessage(message);
    Layout();
}

TObject* TSelectPanel::MouseSender(TObject* child, int& x, int& y) {
    if (child == FListView || child == FBeginEdit || child == FEndEdit) return child;
    if (auto* control = dynamic_cast<TControl*>(child)) {
        TPoint p = ScreenToClient(control->ClientToScreen(TPoint{x, y}));
        x = p.X, y = p.Y;
    }
    return this;
}

void TSelectPanel::ChildClick(TObject* sender) {
    if (!OnClick()) return;
    int x = 0, y = 0;
    OnClick()(MouseSender(sender, x, y));
}

void TSelectPanel::ChildDblClick(TObject* sender) {
    if (!OnDblClick()) return;
    int x = 0, y = 0;
    OnDblClick()(MouseSender(sender, x, y));
}

void TSelectPanel::ChildMouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x, int y) {
    if (!OnMouseDown()) return;
    TObject* who = MouseSender(sender, x, y);
    OnMouseDown()(who, button, shift, x, y);
}

void TSelectPanel::ChildMouseUp(TObject* sender, TMouseButton button, TShiftState shift, int x, int y) {
    if (!OnMouseUp()) return;
    TObject* who = MouseSender(sender, x, y);
    OnMouseUp()(who, button, shift, x, y);
}

void TSelectPanel::ChildMouseMove(TObject* sender, TShiftState shift, int x, int y) {
    if (!OnMouseMove()) return;
    TObject* who = MouseSender(sender, x, y);
    OnMouseMove()(who, shift, x, y);
}

void TSelectPanel::ChildKeyDown(TObject* sender, Word& key, TShiftState shift) {
    if (OnKeyDown()) OnKeyDown()(sender, key, shift);
}

void TSelectPanel::ChildKeyUp(TObject* sender, Word& key, TShiftState shift) {
    if (OnKeyUp()) OnKeyUp()(sender, key, shift);
}

void TSelectPanel::ChildKeyPress(TObject* sender, char& key) {
    if (OnKeyPress()) OnKeyPress()(sender, key);
}

KVR_MESSAGE_MAP(TSelectPanel, m) {
    m.Handle(WM_SIZE, &TSelectPanel::WMSize);
    m.Handle(CM_FONTCHANGED, &TSelectPanel::CMFontChanged);
}

KVR_PUBLISHED(TSelectPanel, c) {
    c.Property("Style", &TSelectPanel::Style, &TSelectPanel::SetStyle).Default(sp_Range);
    c.Property("HintWord", &TSelectPanel::HintWord, &TSelectPanel::SetHintWord);
    c.Property("UserChoice", &TSelectPanel::UserChoice, &TSelectPanel::SetUserChoice).Default(true);
    c.Property("BeginWords", &TSelectPanel::BeginWords, &TSelectPanel::SetBeginWords);
    c.Property("FinalWords", &TSelectPanel::FinalWords, &TSelectPanel::SetFinalWords);
    c.Property("EditMask", &TSelectPanel::EditMask, &TSelectPanel::SetEditMask);
    c.Property("ValueType", &TSelectPanel::ValueType, &TSelectPanel::SetValueType)
        .Default(SelectPnl::vt_String);
    c.Property("DateType", &TSelectPanel::DateType, &TSelectPanel::SetDateType).Default(dt_NoneCare);
    c.Property("DateSign", &TSelectPanel::DateSign, &TSelectPanel::SetDateSign);
    c.Property("AutoChangeDateSite", &TSelectPanel::AutoChangeDateSite, &TSelectPanel::SetAutoChangeDateSite)
        .Default(true);
    c.Property("Discard", &TSelectPanel::Discard, &TSelectPanel::SetDiscard);
    c.Property("UseDiscard", &TSelectPanel::UseDiscard, &TSelectPanel::SetUseDiscard).Default(false);
    c.Property("CanOpenWin", &TSelectPanel::CanOpenWin, &TSelectPanel::SetCanOpenWin).Default(true);
    c.Property("GlyphIndex", &TSelectPanel::GlyphIndex, &TSelectPanel::SetGlyphIndex).Default(8);
    c.Property("UseVertical", &TSelectPanel::UseVertical, &TSelectPanel::SetUseVertical).Default(false);
    c.Property("OtherWidth", &TSelectPanel::OtherWidth, &TSelectPanel::SetOtherWidth).Default(200);
    c.Property("OtherHeight", &TSelectPanel::OtherHeight, &TSelectPanel::SetOtherHeight).Default(105);
    c.Property("CheckDuplicate", &TSelectPanel::CheckDuplicate, &TSelectPanel::SetCheckDuplicate)
        .Default(cd_None);
    c.Property("SortListBox", &TSelectPanel::SortListBox, &TSelectPanel::SetSortListBox).Default(false);
    c.Property("ChildHints", &TSelectPanel::ChildHints, &TSelectPanel::SetChildHints);
    c.Property("Columns", &TSelectPanel::Columns, &TSelectPanel::SetColumns);
    c.Property("ColumnCaptions", &TSelectPanel::ColumnCaptions, &TSelectPanel::SetColumnCaptions);
    c.Property("ShowColumnHeader", &TSelectPanel::ShowColumnHeader, &TSelectPanel::SetShowColumnHeader)
        .Default(false);
    c.Property("ColumnsAutoSize", &TSelectPanel::ColumnsAutoSize, &TSelectPanel::SetColumnsAutoSize)
        .Default(true);
    c.Property("HideSelection", &TSelectPanel::HideSelection, &TSelectPanel::SetHideSelection).Default(false);
    c.Property("OnOpenWinClick", &TSelectPanel::OnOpenWinClick);
    c.Property("OnClearClick", &TSelectPanel::OnClearClick);
    c.Property("OnDeleteClick", &TSelectPanel::OnDeleteClick);
    c.Property("OnTypeClick", &TSelectPanel::OnTypeClick);
    c.Property("OnStyleChanging", &TSelectPanel::OnStyleChanging);
    c.Property("OnStyleChange", &TSelectPanel::OnStyleChange);
    c.Property("OnItemSelect", &TSelectPanel::OnItemSelect);
    c.Property("OnItemChange", &TSelectPanel::OnItemChange);
}

KVR_PUBLISHED(TOruMaskEdit, c) {}
KVR_PUBLISHED(TOruListView, c) {}
KVR_PUBLISHED(TOruCheckBox, c) {}
