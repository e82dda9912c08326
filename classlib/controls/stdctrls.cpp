#include "classlib/controls/stdctrls.h"

#include <algorithm>

#include "classlib/graphics/textmetric.h"
#include "classlib/rtl/codepages.h"

namespace {
bool LeadByte(char c) {
    return IsDBCSLeadByte(static_cast<Byte>(c));
}
} // namespace

AnsiString ApplyCharCase(const AnsiString& text, TEditCharCase charCase) {
    if (charCase == ecNormal) return text;
    AnsiString result = text;
    for (size_t i = 0; i < result.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(result[i]);
        if (c >= 0x80) {
            if (LeadByte(static_cast<char>(c)) && i + 1 < result.size()) ++i; // the trail byte stays
            continue;
        }
        if (charCase == ecUpperCase && c >= 'a' && c <= 'z') result[i] = static_cast<char>(c - 32);
        if (charCase == ecLowerCase && c >= 'A' && c <= 'Z') result[i] = static_cast<char>(c + 32);
    }
    return result;
}

namespace {

// The start of the character that holds byte index (a trail byte belongs to the character before it).
int CharStart(const AnsiString& text, int index) {
    int i = 0;
    while (i < index && i < static_cast<int>(text.size())) {
        int len = LeadByte(text[static_cast<size_t>(i)]) && i + 1 < static_cast<int>(text.size()) ? 2 : 1;
        if (i + len > index) return i;
        i += len;
    }
    return std::min(index, static_cast<int>(text.size()));
}

int PrevCharStart(const AnsiString& text, int index) {
    return index <= 0 ? 0 : CharStart(text, index - 1);
}

int NextCharEnd(const AnsiString& text, int index) {
    if (index >= static_cast<int>(text.size())) return static_cast<int>(text.size());
    return index +
           (LeadByte(text[static_cast<size_t>(index)]) && index + 1 < static_cast<int>(text.size()) ? 2 : 1);
}

// Cuts text to at most maxBytes bytes without splitting a double-byte character.
AnsiString CutToBytes(const AnsiString& text, int maxBytes) {
    if (maxBytes < 0) maxBytes = 0;
    if (static_cast<int>(text.size()) <= maxBytes) return text;
    return text.substr(0, static_cast<size_t>(CharStart(text, maxBytes)));
}

void Draw3DFrame(TCanvas* canvas, TRect rect, bool sunken) {
    Frame3D(canvas, rect, sunken ? clBtnShadow : clBtnHighlight, sunken ? clBtnHighlight : clBtnShadow, 1);
    Frame3D(canvas, rect, sunken ? cl3DDkShadow : cl3DLight, sunken ? cl3DLight : cl3DDkShadow, 1);
}

} // namespace

// TCustomLabel -------------------------------------------------------------------------------------------

TCustomLabel::TCustomLabel(TComponent* owner) : TGraphicControl(owner) {
    FControlStyle.Include(csSetCaption);
    FControlStyle.Include(csReplicatable);
    SetBounds(0, 0, 65, 17);
}

void TCustomLabel::SetFocusControl(TWinControl* value) {
    if (FFocusControl == value) return;
    FFocusControl = value;
    if (value) value->FreeNotification(this);
}

void TCustomLabel::Notification(TComponent* component, TOperation operation) {
    TGraphicControl::Notification(component, operation);
    if (operation == opRemove && component == FFocusControl) FFocusControl = nullptr;
}

void TCustomLabel::SetAutoSize(bool value) {
    if (FAutoSize == value) return;
    FAutoSize = value;
    AdjustBounds();
}

void TCustomLabel::SetAlignment(TAlignment value) {
    FAlignment = value, Invalidate();
}
void TCustomLabel::SetLayout(TTextLayout value) {
    FLayout = value, Invalidate();
}
void TCustomLabel::SetTransparent(bool value) {
    FTransparent = value, Invalidate();
}
void TCustomLabel::SetWordWrap(bool value) {
    if (FWordWrap == value) return;
    FWordWrap = value;
    AdjustBounds();
    Invalidate();
}
void TCustomLabel::SetShowAccelChar(bool value) {
    FShowAccelChar = value;
    AdjustBounds();
    Invalidate();
}

unsigned TCustomLabel::TextFlags() const {
    unsigned flags = DT_EXPANDTABS;
    if (FWordWrap) flags |= DT_WORDBREAK;
    if (!FShowAccelChar) flags |= DT_NOPREFIX;
    if (FAlignment == taRightJustify) flags |= DT_RIGHT;
    if (FAlignment == taCenter) flags |= DT_CENTER;
    return flags;
}

void TCustomLabel::Loaded() {
    TGraphicControl::Loaded();
    AdjustBounds();
}

void TCustomLabel::AdjustBounds() {
    if (!FAutoSize || ComponentState().Contains(csLoading)) return;
    TBitmap scratch;
    scratch.SetSize(1, 1);
    TCanvas* canvas = scratch.Canvas();
    canvas->Font()->Assign(Font());
    TRect rect{0, 0, FWordWrap ? Width() : 0x7FFF, 0};
    AnsiString text = Caption().empty() ? AnsiString(" ") : Caption();
    DrawText(canvas, text, rect, TextFlags() | DT_CALCRECT);
    int left = Left();
    if (!FWordWrap && FAlignment == taRightJustify) left += Width() - rect.Width();
    if (!FWordWrap && FAlignment == taCenter) left += (Width() - rect.Width()) / 2;
    SetBounds(left, Top(), rect.Width(), rect.Height());
}

void TCustomLabel::Paint() {
    TCanvas* canvas = Canvas();
    TRect rect = ClientRect();
    if (!FTransparent) {
        canvas->Brush()->SetColor(Color());
        canvas->Brush()->SetStyle(bsSolid);
        canvas->FillRect(rect);
    }
    canvas->Brush()->SetStyle(bsClear);
    canvas->Font()->Assign(Font());
    unsigned flags = TextFlags();
    if (FLayout != tlTop) {
        TRect calc = rect;
        DrawText(canvas, Caption(), calc, flags | DT_CALCRECT);
        int offset = rect.Height() - calc.Height();
        rect.Top += FLayout == tlBottom ? offset : offset / 2;
    }
    if (!IsEnabledInTree()) {
        canvas->Font()->SetColor(clGrayText);
    }
    DrawText(canvas, Caption(), rect, flags);
    canvas->Brush()->SetStyle(bsSolid);
}

void TCustomLabel::CMTextChanged(TMessage&) {
    Invalidate();
    AdjustBounds();
}

void TCustomLabel::CMFontChanged(TMessage& message) {
    InheritedMessage(message);
    AdjustBounds();
}

void TCustomLabel::CMDialogChar(TMessage& message) {
    if (FFocusControl && Enabled() && FShowAccelChar &&
        IsAccel(static_cast<Word>(message.WParam), Caption()) && FFocusControl->CanFocus()) {
        FFocusControl->SetFocus();
        message.Result = 1;
    }
}

KVR_MESSAGE_MAP(TCustomLabel, m) {
    m.Handle(CM_TEXTCHANGED, &TCustomLabel::CMTextChanged);
    m.Handle(CM_FONTCHANGED, &TCustomLabel::CMFontChanged);
    m.Handle(CM_DIALOGCHAR, &TCustomLabel::CMDialogChar);
}

// TCustomEdit --------------------------------------------------------------------------------------------

TCustomEdit::TCustomEdit(TComponent* owner) : TCustomControl(owner) {
    SetBounds(0, 0, 121, 21);
    SetTabStop(true);
    SetParentColor(false);
    SetColor(clWindow);
    FControlStyle.Include(csClickEvents);
    FControlStyle.Include(csSetCaption);
    FControlStyle.Include(csDoubleClicks);
}

void TCustomEdit::SetMaxLength(int value) {
    FMaxLength = std::max(0, value);
    if (FMaxLength > 0 && static_cast<int>(EditBuffer().size()) > FMaxLength)
        SetEditBuffer(CutToBytes(EditBuffer(), FMaxLength));
}

void TCustomEdit::SetCharCase(TEditCharCase value) {
    FCharCase = value;
    if (value != ecNormal) SetEditBuffer(ApplyCharCase(EditBuffer(), value));
}

void TCustomEdit::SetPasswordChar(char value) {
    FPasswordChar = value;
    Invalidate();
}

void TCustomEdit::SetBorderStyle(TBorderStyle value) {
    FBorderStyle = value;
    Invalidate();
}

void TCustomEdit::SetSelStart(int value) {
    AnsiString text = EditBuffer();
    FSelStart = CharStart(text, std::clamp(value, 0, static_cast<int>(text.size())));
    FSelLength = 0;
    Invalidate();
}

void TCustomEdit::SetSelLength(int value) {
    AnsiString text = EditBuffer();
    int end = std::clamp(FSelStart + std::max(0, value), FSelStart, static_cast<int>(text.size()));
    // A selection never ends inside a double-byte character.
    if (end > FSelStart && CharStart(text, end) != end) end = NextCharEnd(text, CharStart(text, end));
    FSelLength = end - FSelStart;
    Invalidate();
}

AnsiString TCustomEdit::SelText() const {
    AnsiString text = EditBuffer();
    if (FSelStart >= static_cast<int>(text.size())) return "";
    return text.substr(static_cast<size_t>(FSelStart), static_cast<size_t>(FSelLength));
}

void TCustomEdit::SetSelText(const AnsiString& value) {
    ReplaceSelection(value, false);
}

void TCustomEdit::SelectAll() {
    FSelStart = 0;
    FSelLength = static_cast<int>(EditBuffer().size());
    Invalidate();
}

void TCustomEdit::ClearSelection() {
    if (FSelLength > 0) ReplaceSelection("", false);
}

void TCustomEdit::ReplaceSelection(const AnsiString& value, bool byUser) {
    AnsiString text = EditBuffer();
    int start = std::min(FSelStart, static_cast<int>(text.size()));
    int length = std::min(FSelLength, static_cast<int>(text.size()) - start);
    AnsiString insert = ApplyCharCase(value, FCharCase);
    if (FMaxLength > 0) {
        int room = FMaxLength - (static_cast<int>(text.size()) - length);
        insert = CutToBytes(insert, room);
    }
    text.replace(static_cast<size_t>(start), static_cast<size_t>(length), insert);
    if (byUser)
        SetTextByUser(text);
    else
        SetEditBuffer(text);
    FSelStart = start + static_cast<int>(insert.size());
    FSelLength = 0;
}

void TCustomEdit::SetTextByUser(const AnsiString& value) {
    if (value == EditBuffer()) return;
    FModified = true;
    SetEditBuffer(value);
}

void TCustomEdit::CutToClipboard() {
    if (FSelLength == 0) return;
    CopyToClipboard();
    if (!FReadOnly) ReplaceSelection("", true);
}

void TCustomEdit::CopyToClipboard() {
    // A password never leaves the edit.
    if (FSelLength > 0 && FPasswordChar == 0) Clipboard()->SetAsText(SelText());
}

void TCustomEdit::PasteFromClipboard() {
    if (FReadOnly || !Clipboard()->HasFormat(CF_TEXT)) return;
    AnsiString text = Clipboard()->AsText();
    // A one-line edit takes the clipboard's first line.
    size_t end = text.find_first_of("\r\n");
    if (end != AnsiString::npos) text.erase(end);
    ReplaceSelection(text, true);
}

void TCustomEdit::Change() {
    if (FOnChange) FOnChange(this);
}

void TCustomEdit::CMTextChanged(TMessage&) {
    int size = static_cast<int>(EditBuffer().size());
    if (FSelStart > size) FSelStart = size;
    if (FSelStart + FSelLength > size) FSelLength = size - FSelStart;
    Invalidate();
    Change();
}

void TCustomEdit::DoEnter() {
    if (FAutoSelect) SelectAll();
    TCustomControl::DoEnter();
}

void TCustomEdit::TypeChar(char key) {
    if (FPendingLead) {
        char both[2] = {FPendingLead, key};
        FPendingLead = 0;
        ReplaceSelection(AnsiString(both, 2), true);
        return;
    }
    if (LeadByte(key)) {
        FPendingLead = key;
        return;
    }
    ReplaceSelection(AnsiString(1, key), true);
}

void TCustomEdit::DeleteKey(bool backwards) {
    if (FReadOnly) return;
    if (FSelLength == 0) {
        AnsiString text = EditBuffer();
        if (backwards) {
            if (FSelStart == 0) return;
            int from = PrevCharStart(text, FSelStart);
            FSelLength = FSelStart - from;
            FSelStart = from;
        } else {
            if (FSelStart >= static_cast<int>(text.size())) return;
            FSelLength = NextCharEnd(text, FSelStart) - FSelStart;
        }
    }
    ReplaceSelection("", true);
}

void TCustomEdit::KeyPress(char& key) {
    TCustomControl::KeyPress(key);
    if (key == 0) return;
    unsigned char c = static_cast<unsigned char>(key);
    if (c == 8) {
        DeleteKey(true);
        key = 0;
        return;
    }
    if (c == 3 || c == 22 || c == 24 || c == 1) { // Ctrl+C, Ctrl+V, Ctrl+X, Ctrl+A as characters
        if (c == 3) Perform(WM_COPY);
        if (c == 22) Perform(WM_PASTE);
        if (c == 24) Perform(WM_CUT);
        if (c == 1) SelectAll();
        key = 0;
        return;
    }
    if (c < 0x20 || FReadOnly) return;
    TypeChar(key);
    key = 0;
}

void TCustomEdit::KeyDown(Word& key, TShiftState shift) {
    TCustomControl::KeyDown(key, shift);
    if (key == 0) return;
    AnsiString text = EditBuffer();
    int size = static_cast<int>(text.size());
    int caret = FSelStart + FSelLength;
    auto moveTo = [&](int pos) {
        pos = std::clamp(pos, 0, size);
        if (shift.Contains(ssShift)) {
            int anchor = FSelStart;
            int from = std::min(anchor, pos), to = std::max(anchor, pos);
            FSelStart = from;
            FSelLength = to - from;
        } else {
            FSelStart = pos;
            FSelLength = 0;
        }
        Invalidate();
    };
    switch (key) {
    case VK_LEFT:
        moveTo(shift.Contains(ssShift) ? PrevCharStart(text, caret)
                                       : (FSelLength ? FSelStart : PrevCharStart(text, FSelStart)));
        break;
    case VK_RIGHT:
        moveTo(FSelLength && !shift.Contains(ssShift) ? caret : NextCharEnd(text, caret));
        break;
    case VK_HOME:
        moveTo(0);
        break;
    case VK_END:
        moveTo(size);
        break;
    case VK_DELETE:
        if (shift.Contains(ssShift))
            Perform(WM_CUT);
        else
            DeleteKey(false);
        break;
    case VK_INSERT:
        if (shift.Contains(ssCtrl))
            Perform(WM_COPY);
        else if (shift.Contains(ssShift))
            Perform(WM_PASTE);
        else
            return;
        break;
    default:
        // Ctrl+C, Ctrl+V and Ctrl+X arrive as their characters (KeyPress).
        return;
    }
    key = 0;
}

void TCustomEdit::WMCut(TMessage&) {
    CutToClipboard();
}
void TCustomEdit::WMCopy(TMessage&) {
    CopyToClipboard();
}
void TCustomEdit::WMPaste(TMessage&) {
    PasteFromClipboard();
}
void TCustomEdit::WMClear(TMessage&) {
    if (!FReadOnly) ReplaceSelection("", true);
}
void TCustomEdit::WMGetDlgCode(TMessage& message) {
    message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_HASSETSEL;
}

void TCustomEdit::EMSetSel(TMessage& message) {
    int from = static_cast<int>(message.WParam), to = static_cast<int>(message.LParam);
    if (from < 0) {
        FSelStart = static_cast<int>(EditBuffer().size());
        FSelLength = 0;
        return;
    }
    if (to < 0) to = static_cast<int>(EditBuffer().size());
    SetSelStart(std::min(from, to));
    SetSelLength(std::abs(to - from));
}

void TCustomEdit::EMGetSel(TMessage& message) {
    message.Result = MakeLParam(FSelStart, FSelStart + FSelLength);
}

void TCustomEdit::EMLimitText(TMessage& message) {
    SetMaxLength(static_cast<int>(message.WParam));
}
void TCustomEdit::EMSetReadOnly(TMessage& message) {
    FReadOnly = message.WParam != 0;
}

AnsiString TCustomEdit::DisplayText() const {
    AnsiString text = EditBuffer();
    if (FPasswordChar) return AnsiString(text.size(), FPasswordChar);
    return text;
}

void TCustomEdit::SetEditBuffer(const AnsiString& value) {
    if (value == Text()) return;
    TControl::SetTextBuf(value);
    Perform(CM_TEXTCHANGED);
}

AnsiString TCustomEdit::DumpText() const {
    return FPasswordChar ? DisplayText() : EditBuffer();
}

void TCustomEdit::Paint() {
    TCanvas* canvas = Canvas();
    TRect rect = ClientRect();
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(IsEnabledInTree() ? Color() : clBtnFace);
    canvas->FillRect(rect);
    if (FBorderStyle == bsSingle) Draw3DFrame(canvas, rect, true);
    canvas->Font()->Assign(Font());
    if (!IsEnabledInTree()) canvas->Font()->SetColor(clGrayText);
    AnsiString shown = DisplayText();
    int x = 3, y = (rect.Height() - FontPixelHeight(canvas->Font())) / 2;
    canvas->Brush()->SetStyle(bsClear);
    canvas->TextRect({2, 2, rect.Right - 2, rect.Bottom - 2}, x, y, shown);
    if (Focused() && FSelLength > 0) {
        int from = x + canvas->TextWidth(shown.substr(0, static_cast<size_t>(FSelStart)));
        AnsiString sel = shown.substr(static_cast<size_t>(FSelStart), static_cast<size_t>(FSelLength));
        canvas->Brush()->SetStyle(bsSolid);
        canvas->Brush()->SetColor(clHighlight);
        canvas->Font()->SetColor(clHighlightText);
        canvas->TextRect(
            {from, 2, std::min<int>(rect.Right - 2, from + canvas->TextWidth(sel)), rect.Bottom - 2}, from, y,
            sel);
    }
    canvas->Brush()->SetStyle(bsSolid);
}

KVR_MESSAGE_MAP(TCustomEdit, m) {
    m.Handle(CM_TEXTCHANGED, &TCustomEdit::CMTextChanged);
    m.Handle(WM_CUT, &TCustomEdit::WMCut);
    m.Handle(WM_COPY, &TCustomEdit::WMCopy);
    m.Handle(WM_PASTE, &TCustomEdit::WMPaste);
    m.Handle(WM_CLEAR, &TCustomEdit::WMClear);
    m.Handle(WM_GETDLGCODE, &TCustomEdit::WMGetDlgCode);
    m.Handle(EM_SETSEL, &TCustomEdit::EMSetSel);
    m.Handle(EM_GETSEL, &TCustomEdit::EMGetSel);
    m.Handle(EM_LIMITTEXT, &TCustomEdit::EMLimitText);
    m.Handle(EM_SETREADONLY, &TCustomEdit::EMSetReadOnly);
}

// TCustomMemo --------------------------------------------------------------------------------------------

void TMemoStrings::Changed() {
    TStringList::Changed();
    if (FMemo && !FMemo->FSyncing) {
        FMemo->FSyncing = true;
        FMemo->SetText(Text());
        FMemo->FSyncing = false;
    }
}

TCustomMemo::TCustomMemo(TComponent* owner) : TCustomEdit(owner), FLines(new TMemoStrings(this)) {
    SetBounds(0, 0, 185, 89);
    SetAutoSelect(false);
}

TCustomMemo::~TCustomMemo() = default;

TStrings* TCustomMemo::Lines() const {
    return FLines.get();
}
void TCustomMemo::SetLines(TStrings* value) {
    FLines->Assign(value);
}
void TCustomMemo::SetScrollBars(TScrollStyle value) {
    FScrollBars = value, Invalidate();
}
void TCustomMemo::SetWordWrap(bool value) {
    FWordWrap = value, Invalidate();
}
void TCustomMemo::SetAlignment(TAlignment value) {
    FAlignment = value, Invalidate();
}

void TCustomMemo::Change() {
    if (!FSyncing) {
        FSyncing = true;
        // The lines follow the text; a text ending in a line break has no empty last line.
        FLines->SetText(Text());
        FSyncing = false;
    }
    TCustomEdit::Change();
}

void TCustomMemo::KeyPress(char& key) {
    if (key == '\r') {
        if (FWantReturns && !ReadOnly()) ReplaceSelection("\r\n", true);
        key = 0;
        return;
    }
    if (key == '\t') {
        if (FWantTabs && !ReadOnly()) ReplaceSelection("\t", true);
        key = 0;
        return;
    }
    TCustomEdit::KeyPress(key);
}

void TCustomMemo::Paint() {
    TCanvas* canvas = Canvas();
    TRect rect = ClientRect();
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(IsEnabledInTree() ? Color() : clBtnFace);
    canvas->FillRect(rect);
    Draw3DFrame(canvas, rect, true);
    canvas->Font()->Assign(Font());
    canvas->Brush()->SetStyle(bsClear);
    TRect text{3, 3, rect.Right - 3 - (FScrollBars == ssVertical || FScrollBars == ssBoth ? 16 : 0),
               rect.Bottom - 3 - (FScrollBars == ssHorizontal || FScrollBars == ssBoth ? 16 : 0)};
    unsigned flags = DT_NOPREFIX | DT_EXPANDTABS | (FWordWrap ? DT_WORDBREAK : 0);
    if (FAlignment == taRightJustify) flags |= DT_RIGHT;
    if (FAlignment == taCenter) flags |= DT_CENTER;
    DrawText(canvas, Text(), text, flags);
    canvas->Brush()->SetStyle(bsSolid);
    if (FScrollBars == ssVertical || FScrollBars == ssBoth) {
        canvas->Brush()->SetColor(clScrollBar);
        canvas->FillRect({text.Right, 2, rect.Right - 2, rect.Bottom - 2});
    }
    if (FScrollBars == ssHorizontal || FScrollBars == ssBoth) {
        canvas->Brush()->SetColor(clScrollBar);
        canvas->FillRect({2, text.Bottom, rect.Right - 2, rect.Bottom - 2});
    }
}

// TListItemsStrings --------------------------------------------------------------------------------------

void TListItemsStrings::Changed() {
    TStringList::Changed();
    if (auto* list = dynamic_cast<TCustomListBox*>(FOwner))
        list->ItemsChanged();
    else if (auto* combo = dynamic_cast<TCustomComboBox*>(FOwner))
        combo->ItemsChanged();
}

// TCustomListBox -----------------------------------------------------------------------------------------

TCustomListBox::TCustomListBox(TComponent* owner)
    : TCustomControl(owner), FItems(new TListItemsStrings(this)) {
    SetBounds(0, 0, 121, 97);
    SetTabStop(true);
    SetParentColor(false);
    SetColor(clWindow);
    FControlStyle.Include(csClickEvents);
    FControlStyle.Include(csDoubleClicks);
}

TCustomListBox::~TCustomListBox() = default;

TStrings* TCustomListBox::Items() const {
    return FItems.get();
}
void TCustomListBox::SetItems(TStrings* value) {
    FItems->Assign(value);
}

void TCustomListBox::ItemsChanged() {
    FSelected.resize(static_cast<size_t>(Count()), false);
    if (FItemIndex >= Count()) FItemIndex = Count() - 1;
    if (FTopIndex >= Count()) FTopIndex = std::max(0, Count() - 1);
    Invalidate();
}

void TCustomListBox::SetItemIndex(int value) {
    if (value < -1 || value >= Count()) value = -1;
    if (FItemIndex == value) return;
    FItemIndex = value;
    if (!FMultiSelect) std::fill(FSelected.begin(), FSelected.end(), false);
    if (value >= 0) {
        if (!FMultiSelect) FSelected[static_cast<size_t>(value)] = true;
        int visible = std::max(1, ItemsArea().Height() / std::max(1, FItemHeight));
        if (value < FTopIndex) FTopIndex = value;
        if (value >= FTopIndex + visible) FTopIndex = value - visible + 1;
    }
    Invalidate();
}

void TCustomListBox::SetMultiSelect(bool value) {
    FMultiSelect = value;
    std::fill(FSelected.begin(), FSelected.end(), false);
    if (!value && FItemIndex >= 0) FSelected[static_cast<size_t>(FItemIndex)] = true;
    Invalidate();
}

bool TCustomListBox::Selected(int index) const {
    if (index < 0 || index >= Count()) return false;
    if (!FMultiSelect) return index == FItemIndex;
    return FSelected[static_cast<size_t>(index)];
}

void TCustomListBox::SetSelected(int index, bool value) {
    if (index < 0 || index >= Count()) return;
    if (!FMultiSelect) {
        if (value)
            SetItemIndex(index);
        else if (index == FItemIndex)
            SetItemIndex(-1);
        return;
    }
    FSelected[static_cast<size_t>(index)] = value;
    Invalidate();
}

int TCustomListBox::SelCount() const {
    if (!FMultiSelect) return -1;
    return static_cast<int>(std::count(FSelected.begin(), FSelected.end(), true));
}

void TCustomListBox::SetStyle(TListBoxStyle value) {
    FStyle = value, Invalidate();
}
void TCustomListBox::SetItemHeight(int value) {
    if (value > 0) FItemHeight = value, Invalidate();
}
void TCustomListBox::SetSorted(bool value) {
    FSorted = value;
    FItems->SetSorted(value);
}
void TCustomListBox::SetBorderStyle(TBorderStyle value) {
    FBorderStyle = value, Invalidate();
}
void TCustomListBox::SetTopIndex(int value) {
    FTopIndex = std::clamp(value, 0, std::max(0, Count() - 1));
    Invalidate();
}

void TCustomListBox::Clear() {
    FItems->Clear();
    FItemIndex = -1;
}

TRect TCustomListBox::ItemsArea() const {
    TRect rect = ClientRect();
    if (FBorderStyle == bsSingle) rect = {rect.Left + 2, rect.Top + 2, rect.Right - 2, rect.Bottom - 2};
    return rect;
}

TRect TCustomListBox::ItemRect(int index) const {
    if (index < FTopIndex || index >= Count()) return {};
    TRect area = ItemsArea();
    int top = area.Top + (index - FTopIndex) * FItemHeight;
    if (top >= area.Bottom) return {};
    return {area.Left, top, area.Right, top + FItemHeight};
}

int TCustomListBox::ItemAtPos(const TPoint& pos, bool existing) const {
    TRect area = ItemsArea();
    if (pos.X < area.Left || pos.X >= area.Right || pos.Y < area.Top || pos.Y >= area.Bottom) return -1;
    int index = FTopIndex + (pos.Y - area.Top) / std::max(1, FItemHeight);
    if (index >= Count()) return existing ? -1 : Count();
    return index;
}

TOwnerDrawState TCustomListBox::ItemState(int index) const {
    TOwnerDrawState state;
    if (Selected(index)) state.Include(odSelected);
    if (!IsEnabledInTree()) state.Include(odDisabled);
    if (index == FItemIndex && Focused()) state.Include(odFocused);
    return state;
}

void TCustomListBox::DrawItem(int index, TRect rect, TOwnerDrawState state) {
    if (FStyle != lbStandard && FOnDrawItem)
        FOnDrawItem(this, index, rect, state);
    else
        DefaultDrawItem(index, rect, state);
}

void TCustomListBox::DefaultDrawItem(int index, const TRect& rect, TOwnerDrawState state) {
    TCanvas* canvas = Canvas();
    bool selected = state.Contains(odSelected);
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(selected ? clHighlight : Color());
    canvas->FillRect(rect);
    canvas->Font()->Assign(Font());
    if (selected) canvas->Font()->SetColor(clHighlightText);
    if (state.Contains(odDisabled)) canvas->Font()->SetColor(clGrayText);
    if (index >= 0 && index < Count()) canvas->TextRect(rect, rect.Left + 2, rect.Top, Items()->Get(index));
}

void TCustomListBox::RedrawItem(int index) {
    TRect rect = ItemRect(index);
    if (rect.Width() <= 0) return;
    Canvas()->Font()->Assign(Font());
    Canvas()->Brush()->SetColor(Color());
    DrawItem(index, rect, ItemState(index));
}

void TCustomListBox::Paint() {
    TCanvas* canvas = Canvas();
    TRect rect = ClientRect();
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(Color());
    canvas->FillRect(rect);
    if (FBorderStyle == bsSingle) Draw3DFrame(canvas, rect, true);
    for (int i = FTopIndex; i < Count(); ++i) {
        TRect item = ItemRect(i);
        if (item.Height() <= 0) break;
        canvas->Font()->Assign(Font());
        canvas->Brush()->SetColor(Color());
        DrawItem(i, item, ItemState(i));
        if (i == FItemIndex && Focused()) canvas->DrawFocusRect(item);
    }
}

void TCustomListBox::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (button == mbLeft) {
        if (CanFocus() && !Focused()) SetFocus();
        int index = ItemAtPos({x, y});
        if (index >= 0) {
            if (FMultiSelect && shift.Contains(ssCtrl)) {
                SetSelected(index, !Selected(index));
                FItemIndex = index;
            } else {
                if (FMultiSelect) std::fill(FSelected.begin(), FSelected.end(), false);
                FItemIndex = -2; // the index is set again even when it was this one
                SetItemIndex(index);
                if (FMultiSelect) FSelected[static_cast<size_t>(index)] = true;
            }
        }
    }
    TCustomControl::MouseDown(button, shift, x, y);
}

void TCustomListBox::KeyDown(Word& key, TShiftState shift) {
    TCustomControl::KeyDown(key, shift);
    if (Count() == 0) return;
    int visible = std::max(1, ItemsArea().Height() / std::max(1, FItemHeight));
    int next = FItemIndex;
    switch (key) {
    case VK_UP:
        next = std::max(0, FItemIndex - 1);
        break;
    case VK_DOWN:
        next = std::min(Count() - 1, FItemIndex + 1);
        break;
    case VK_HOME:
        next = 0;
        break;
    case VK_END:
        next = Count() - 1;
        break;
    case VK_PRIOR:
        next = std::max(0, FItemIndex - visible);
        break;
    case VK_NEXT:
        next = std::min(Count() - 1, FItemIndex + visible);
        break;
    default:
        return;
    }
    if (next != FItemIndex) {
        if (FMultiSelect) std::fill(FSelected.begin(), FSelected.end(), false);
        SetItemIndex(next);
        if (FMultiSelect) FSelected[static_cast<size_t>(next)] = true;
        Click();
    }
    key = 0;
}

void TCustomListBox::KeyPress(char& key) {
    TCustomControl::KeyPress(key);
    if (static_cast<unsigned char>(key) <= 0x20) return;
    // A letter moves to the next item that starts with it.
    for (int n = 1; n <= Count(); ++n) {
        int i = (FItemIndex + n) % Count();
        AnsiString item = Items()->Get(i);
        if (!item.empty() &&
            ApplyCharCase(item.substr(0, 1), ecUpperCase) == ApplyCharCase(AnsiString(1, key), ecUpperCase)) {
            SetItemIndex(i);
            Click();
            break;
        }
    }
    key = 0;
}

AnsiString TCustomListBox::DumpText() const {
    return FItemIndex >= 0 ? Items()->Get(FItemIndex) : AnsiString();
}

void TCustomListBox::DumpDetails(std::vector<AnsiString>& lines, const AnsiString& indent) const {
    for (int i = 0; i < Count(); ++i)
        lines.push_back(indent + (Selected(i) ? "* " : "  ") + Items()->Get(i));
}

void TCustomListBox::WMGetDlgCode(TMessage& message) {
    message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
}

KVR_MESSAGE_MAP(TCustomListBox, m) {
    m.Handle(WM_GETDLGCODE, &TCustomListBox::WMGetDlgCode);
}

// TCustomComboBox ----------------------------------------------------------------------------------------

TCustomComboBox::TCustomComboBox(TComponent* owner)
    : TCustomControl(owner), FItems(new TListItemsStrings(this)) {
    SetBounds(0, 0, 145, 21);
    SetTabStop(true);
    SetParentColor(false);
    SetColor(clWindow);
    FControlStyle.Include(csSetCaption);
}

TCustomComboBox::~TCustomComboBox() = default;

TStrings* TCustomComboBox::Items() const {
    return FItems.get();
}
void TCustomComboBox::SetItems(TStrings* value) {
    FItems->Assign(value);
}

void TCustomComboBox::ItemsChanged() {
    if (FItemIndex >= Items()->Count()) FItemIndex = -1;
    Invalidate();
}

void TCustomComboBox::SetItemIndex(int value) {
    if (value < -1 || value >= Items()->Count()) value = -1;
    FItemIndex = value;
    SetText(value >= 0 ? Items()->Get(value) : AnsiString());
    Invalidate();
}

void TCustomComboBox::SetStyle(TComboBoxStyle value) {
    FStyle = value;
    if (!EditableText() && FItemIndex < 0) SetText("");
    Invalidate();
}

void TCustomComboBox::SetDroppedDown(bool value) {
    if (FDroppedDown == value || FStyle == csSimple) return;
    FDroppedDown = value;
    if (value && FOnDropDown) FOnDropDown(this);
    if (!value && FOnCloseUp) FOnCloseUp(this);
    Invalidate();
}

void TCustomComboBox::SetItemHeight(int value) {
    if (value > 0) FItemHeight = value, Invalidate();
}

void TCustomComboBox::SetSorted(bool value) {
    FSorted = value;
    FItems->SetSorted(value);
}

void TCustomComboBox::Change() {
    if (FOnChange) FOnChange(this);
}

void TCustomComboBox::Select() {
    if (FOnSelect)
        FOnSelect(this);
    else
        Click();
}

void TCustomComboBox::SelectItem(int index) {
    if (index < 0 || index >= Items()->Count()) return;
    FItemIndex = index;
    SetText(Items()->Get(index));
    Change();
    Select();
    Invalidate();
}

void TCustomComboBox::SetTextByUser(const AnsiString& value) {
    AnsiString text = ApplyCharCase(value, FCharCase);
    if (FMaxLength > 0) text = CutToBytes(text, FMaxLength);
    SetText(text);
    FItemIndex = Items()->IndexOf(text);
    Change();
}

void TCustomComboBox::KeyDown(Word& key, TShiftState shift) {
    TCustomControl::KeyDown(key, shift);
    int count = Items()->Count();
    if (key == VK_DOWN && shift.Contains(ssAlt)) {
        SetDroppedDown(!FDroppedDown);
    } else if ((key == VK_DOWN || key == VK_UP) && count > 0) {
        int next = key == VK_DOWN ? std::min(count - 1, FItemIndex + 1) : std::max(0, FItemIndex - 1);
        if (next != FItemIndex || FItemIndex < 0) SelectItem(std::max(0, next));
    } else if (key == VK_F4) {
        SetDroppedDown(!FDroppedDown);
    } else if ((key == VK_RETURN || key == VK_ESCAPE) && FDroppedDown) {
        SetDroppedDown(false);
    } else if (key == VK_BACK && EditableText()) {
        AnsiString text = Text();
        if (!text.empty())
            SetTextByUser(
                text.substr(0, static_cast<size_t>(PrevCharStart(text, static_cast<int>(text.size())))));
    } else {
        return;
    }
    key = 0;
}

void TCustomComboBox::KeyPress(char& key) {
    TCustomControl::KeyPress(key);
    unsigned char c = static_cast<unsigned char>(key);
    if (c < 0x20) return;
    if (EditableText()) {
        SetTextByUser(FTextSelected ? AnsiString(1, key) : Text() + key);
        FTextSelected = false;
    } else {
        // A list without an edit part moves to the next item that starts with the character.
        int count = Items()->Count();
        for (int n = 1; n <= count; ++n) {
            int i = (FItemIndex + n) % count;
            AnsiString item = Items()->Get(i);
            if (!item.empty() && ApplyCharCase(item.substr(0, 1), ecUpperCase) ==
                                     ApplyCharCase(AnsiString(1, key), ecUpperCase)) {
                SelectItem(i);
                break;
            }
        }
    }
    key = 0;
}

TRect TCustomComboBox::DropDownItemRect(int index) const {
    int shown = std::min(FDropDownCount, Items()->Count());
    if (index < 0 || index >= shown) return {};
    int top = Height() + index * FItemHeight;
    return {0, top, DropDownWidth(), top + FItemHeight};
}

void TCustomComboBox::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (button == mbLeft) {
        if (CanFocus() && !Focused()) SetFocus();
        if (FDroppedDown && y >= Height()) {
            int index = (y - Height()) / std::max(1, FItemHeight);
            SetDroppedDown(false);
            SelectItem(index);
        } else if (FStyle != csSimple &&
                   (x >= Width() - 18 || FStyle == csDropDownList || FStyle == csOwnerDrawFixed)) {
            SetDroppedDown(!FDroppedDown);
        }
    }
    TCustomControl::MouseDown(button, shift, x, y);
}

void TCustomComboBox::DrawItem(int index, TRect rect, TOwnerDrawState state) {
    if ((FStyle == csOwnerDrawFixed || FStyle == csOwnerDrawVariable) && FOnDrawItem) {
        FOnDrawItem(this, index, rect, state);
        return;
    }
    TCanvas* canvas = Canvas();
    bool selected = state.Contains(odSelected);
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(selected ? clHighlight : Color());
    canvas->FillRect(rect);
    canvas->Font()->Assign(Font());
    if (selected) canvas->Font()->SetColor(clHighlightText);
    if (index >= 0 && index < Items()->Count())
        canvas->TextRect(rect, rect.Left + 2, rect.Top + 1, Items()->Get(index));
}

void TCustomComboBox::Paint() {
    TCanvas* canvas = Canvas();
    TRect rect = ClientRect();
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(IsEnabledInTree() ? Color() : clBtnFace);
    canvas->FillRect(rect);
    Draw3DFrame(canvas, rect, true);
    TRect edit{2, 2, rect.Right - 2, rect.Bottom - 2};
    if (FStyle != csSimple) {
        TRect button{rect.Right - 18, 2, rect.Right - 2, rect.Bottom - 2};
        DrawFrameControl(canvas, button, DFC_SCROLL, DFCS_SCROLLCOMBOBOX | (FDroppedDown ? DFCS_PUSHED : 0));
        edit.Right -= 16;
    }
    TOwnerDrawState state;
    state.Include(odComboBoxEdit);
    if (Focused() && !EditableText()) state.Include(odSelected), state.Include(odFocused);
    if (!EditableText() && FItemIndex >= 0) {
        DrawItem(FItemIndex, edit, state);
    } else {
        canvas->Font()->Assign(Font());
        if (!IsEnabledInTree()) canvas->Font()->SetColor(clGrayText);
        canvas->Brush()->SetStyle(bsClear);
        canvas->TextRect(edit, edit.Left + 1, edit.Top + 1, Text());
        canvas->Brush()->SetStyle(bsSolid);
    }
}

AnsiString TCustomComboBox::DumpText() const {
    return Text();
}

void TCustomComboBox::WMGetDlgCode(TMessage& message) {
    message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
}

// EM_SETSEL 0, -1 selects the edit part's text: the next character typed replaces it.
void TCustomComboBox::EMSetSel(TMessage& message) {
    FTextSelected = message.WParam == 0 && message.LParam == -1;
}

KVR_MESSAGE_MAP(TCustomComboBox, m) {
    m.Handle(WM_GETDLGCODE, &TCustomComboBox::WMGetDlgCode);
    m.Handle(EM_SETSEL, &TCustomComboBox::EMSetSel);
}

// TButtonControl -----------------------------------------------------------------------------------------

TButtonControl::TButtonControl(TComponent* owner) : TCustomControl(owner) {
    // The state change runs the click; the mouse alone does not.
    FControlStyle.Exclude(csClickEvents);
    FControlStyle.Include(csSetCaption);
    FControlStyle.Include(csDoubleClicks);
    SetTabStop(true);
}

void TButtonControl::CMDialogChar(TMessage& message) {
    if (IsAccel(static_cast<Word>(message.WParam), Caption()) && CanFocus()) {
        SetFocus();
        if (Focused()) {
            if (auto* box = dynamic_cast<TCustomCheckBox*>(this))
                box->Toggle();
            else
                SetChecked(true);
        }
        message.Result = 1;
    }
}

void TButtonControl::WMGetDlgCode(TMessage& message) {
    message.Result = DLGC_BUTTON;
}

KVR_MESSAGE_MAP(TButtonControl, m) {
    m.Handle(CM_DIALOGCHAR, &TButtonControl::CMDialogChar);
    m.Handle(WM_GETDLGCODE, &TButtonControl::WMGetDlgCode);
}

// TCustomCheckBox ----------------------------------------------------------------------------------------

TCustomCheckBox::TCustomCheckBox(TComponent* owner) : TButtonControl(owner) {
    SetBounds(0, 0, 97, 17);
}

void TCustomCheckBox::SetState(TCheckBoxState value) {
    if (value == cbGrayed && !FAllowGrayed && !ComponentState().Contains(csLoading)) value = cbUnchecked;
    if (FState == value) return;
    FState = value;
    Invalidate();
    if (!FClicksDisabled && !ComponentState().Contains(csLoading)) TControl::Click();
}

void TCustomCheckBox::SetAlignment(TLeftRight value) {
    FAlignment = value, Invalidate();
}

void TCustomCheckBox::Toggle() {
    switch (FState) {
    case cbUnchecked:
        SetState(FAllowGrayed ? cbGrayed : cbChecked);
        break;
    case cbChecked:
        SetState(cbUnchecked);
        break;
    case cbGrayed:
        SetState(cbChecked);
        break;
    }
}

void TCustomCheckBox::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    TButtonControl::MouseUp(button, shift, x, y);
    if (button == mbLeft && x >= 0 && y >= 0 && x < Width() && y < Height() && IsEnabledInTree()) {
        if (CanFocus() && !Focused()) SetFocus();
        Toggle();
    }
}

void TCustomCheckBox::KeyPress(char& key) {
    TButtonControl::KeyPress(key);
    if (key == ' ') {
        Toggle();
        key = 0;
    }
}

TRect TCustomCheckBox::BoxRect() const {
    int top = (Height() - 13) / 2;
    int left = FAlignment == taRightJustify ? 0 : Width() - 13;
    return {left, top, left + 13, top + 13};
}

void TCustomCheckBox::Paint() {
    TCanvas* canvas = Canvas();
    TRect rect = ClientRect();
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(Color());
    canvas->FillRect(rect);
    TRect box = BoxRect();
    unsigned state = DFCS_BUTTONCHECK;
    if (FState == cbChecked) state |= DFCS_CHECKED;
    if (FState == cbGrayed) state = DFCS_BUTTON3STATE | DFCS_CHECKED;
    if (!IsEnabledInTree()) state |= DFCS_INACTIVE;
    DrawFrameControl(canvas, box, DFC_BUTTON, state);
    canvas->Font()->Assign(Font());
    if (!IsEnabledInTree()) canvas->Font()->SetColor(clGrayText);
    canvas->Brush()->SetStyle(bsClear);
    // The caption starts at its side's left edge, whichever side the box is on, as the platform draws it.
    TRect text = FAlignment == taRightJustify ? TRect{17, 0, rect.Right, rect.Bottom}
                                              : TRect{0, 0, rect.Right - 17, rect.Bottom};
    DrawText(canvas, Caption(), text, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
    canvas->Brush()->SetStyle(bsSolid);
    if (Focused()) {
        TRect focus = text;
        DrawText(canvas, Caption(), focus, DT_SINGLELINE | DT_CALCRECT);
        canvas->DrawFocusRect({focus.Left - 1, (rect.Height() - focus.Height()) / 2 - 1, focus.Right + 1,
                               (rect.Height() + focus.Height()) / 2 + 1});
    }
}

// TRadioButton -------------------------------------------------------------------------------------------

TRadioButton::TRadioButton(TComponent* owner) : TButtonControl(owner) {
    SetBounds(0, 0, 113, 17);
    SetTabStop(false);
}

void TRadioButton::SetCheckedValue(bool value) {
    if (FChecked == value) return;
    FChecked = value;
    SetTabStop(value);
    Invalidate();
    if (!value) return;
    if (Parent()) {
        for (int i = 0; i < Parent()->ControlCount(); ++i) {
            auto* other = dynamic_cast<TRadioButton*>(Parent()->Controls(i));
            if (other && other != this) other->SetCheckedValue(false);
        }
    }
    if (!FClicksDisabled && !ComponentState().Contains(csLoading)) TControl::Click();
}

void TRadioButton::SetAlignment(TLeftRight value) {
    FAlignment = value, Invalidate();
}

void TRadioButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    TButtonControl::MouseUp(button, shift, x, y);
    if (button == mbLeft && x >= 0 && y >= 0 && x < Width() && y < Height() && IsEnabledInTree()) {
        if (CanFocus() && !Focused()) SetFocus();
        SetCheckedValue(true);
    }
}

void TRadioButton::KeyPress(char& key) {
    TButtonControl::KeyPress(key);
    if (key == ' ') {
        SetCheckedValue(true);
        key = 0;
    }
}

void TRadioButton::Paint() {
    PaintRadioButton(Canvas(), ClientRect(), Color(), Font(), Caption(), FAlignment, FChecked,
                     IsEnabledInTree());
}

void PaintRadioButton(TCanvas* canvas, const TRect& client, TColor color, TFont* font,
                      const AnsiString& caption, TLeftRight alignment, bool checked, bool enabled) {
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(color);
    canvas->FillRect(client);
    int top = (client.Height() - 13) / 2;
    int left = alignment == taRightJustify ? 0 : client.Right - 13;
    TRect box{left, top, left + 13, top + 13};
    DrawFrameControl(canvas, box, DFC_BUTTON,
                     DFCS_BUTTONRADIO | (checked ? DFCS_CHECKED : 0) | (enabled ? 0 : DFCS_INACTIVE));
    canvas->Font()->Assign(font);
    if (!enabled) canvas->Font()->SetColor(clGrayText);
    canvas->Brush()->SetStyle(bsClear);
    // The caption starts at its side's left edge, whichever side the box is on, as the platform draws it.
    TRect text = alignment == taRightJustify ? TRect{17, 0, client.Right, client.Bottom}
                                             : TRect{0, 0, client.Right - 17, client.Bottom};
    DrawText(canvas, caption, text, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
    canvas->Brush()->SetStyle(bsSolid);
}

// TCustomGroupBox ----------------------------------------------------------------------------------------

TCustomGroupBox::TCustomGroupBox(TComponent* owner) : TCustomControl(owner) {
    FControlStyle.Include(csAcceptsControls);
    FControlStyle.Include(csSetCaption);
    SetBounds(0, 0, 185, 105);
}

void TCustomGroupBox::AdjustClientRect(TRect& rect) {
    int h = FontPixelHeight(Font());
    rect = {rect.Left + 2, rect.Top + h + 2, rect.Right - 2, rect.Bottom - 2};
}

void TCustomGroupBox::Paint() {
    TCanvas* canvas = Canvas();
    TRect rect = ClientRect();
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(Color());
    canvas->FillRect(rect);
    int h = FontPixelHeight(Font());
    TRect frame{0, h / 2, rect.Right, rect.Bottom};
    Frame3D(canvas, frame, clBtnShadow, clBtnHighlight, 1);
    Frame3D(canvas, frame, clBtnHighlight, clBtnShadow, 1);
    if (!Caption().empty()) {
        canvas->Font()->Assign(Font());
        if (!IsEnabledInTree()) canvas->Font()->SetColor(clGrayText);
        TRect text{8, 0, rect.Right - 8, h};
        TRect calc = text;
        DrawText(canvas, Caption(), calc, DT_SINGLELINE | DT_CALCRECT);
        canvas->Brush()->SetColor(Color());
        canvas->FillRect({6, 0, 10 + calc.Width(), h});
        canvas->Brush()->SetStyle(bsClear);
        DrawText(canvas, Caption(), text, DT_SINGLELINE);
        canvas->Brush()->SetStyle(bsSolid);
    }
}

// Published ----------------------------------------------------------------------------------------------

KVR_PUBLISHED(TCustomLabel, c) {
    c.Property("Alignment", &TCustomLabel::Alignment, &TCustomLabel::SetAlignment).Default(taLeftJustify);
    c.Property("AutoSize", &TCustomLabel::AutoSize, &TCustomLabel::SetAutoSize).Default(true);
    c.Property("FocusControl", &TCustomLabel::FocusControl, &TCustomLabel::SetFocusControl);
    c.Property("Layout", &TCustomLabel::Layout, &TCustomLabel::SetLayout).Default(tlTop);
    c.Property("ShowAccelChar", &TCustomLabel::ShowAccelChar, &TCustomLabel::SetShowAccelChar).Default(true);
    c.Property("Transparent", &TCustomLabel::Transparent, &TCustomLabel::SetTransparent).Default(false);
    c.Property("WordWrap", &TCustomLabel::WordWrap, &TCustomLabel::SetWordWrap).Default(false);
}
KVR_PUBLISHED(TLabel, c) {
    (void)c;
}

KVR_PUBLISHED(TCustomEdit, c) {
    c.Property("AutoSelect", &TCustomEdit::AutoSelect, &TCustomEdit::SetAutoSelect).Default(true);
    c.Property("BorderStyle", &TCustomEdit::BorderStyle, &TCustomEdit::SetBorderStyle).Default(bsSingle);
    c.Property("CharCase", &TCustomEdit::CharCase, &TCustomEdit::SetCharCase).Default(ecNormal);
    c.Property("MaxLength", &TCustomEdit::MaxLength, &TCustomEdit::SetMaxLength).Default(0);
    c.Property("PasswordChar", &TCustomEdit::PasswordChar, &TCustomEdit::SetPasswordChar).Default(0);
    c.Property("ReadOnly", &TCustomEdit::ReadOnly, &TCustomEdit::SetReadOnly).Default(false);
    c.Property("OnChange", &TCustomEdit::OnChange, &TCustomEdit::SetOnChange);
}
KVR_PUBLISHED(TEdit, c) {
    (void)c;
}

KVR_PUBLISHED(TCustomMemo, c) {
    c.Property("Alignment", &TCustomMemo::Alignment, &TCustomMemo::SetAlignment).Default(taLeftJustify);
    c.Property("Lines", &TCustomMemo::Lines, &TCustomMemo::SetLines);
    c.Property("ScrollBars", &TCustomMemo::ScrollBars, &TCustomMemo::SetScrollBars).Default(ssNone);
    c.Property("WantReturns", &TCustomMemo::WantReturns, &TCustomMemo::SetWantReturns).Default(true);
    c.Property("WantTabs", &TCustomMemo::WantTabs, &TCustomMemo::SetWantTabs).Default(false);
    c.Property("WordWrap", &TCustomMemo::WordWrap, &TCustomMemo::SetWordWrap).Default(true);
}
KVR_PUBLISHED(TMemo, c) {
    (void)c;
}
KVR_PUBLISHED(TMemoStrings, c) {
    (void)c;
}
KVR_PUBLISHED(TListItemsStrings, c) {
    (void)c;
}

KVR_PUBLISHED(TCustomListBox, c) {
    c.Property("BorderStyle", &TCustomListBox::BorderStyle, &TCustomListBox::SetBorderStyle)
        .Default(bsSingle);
    c.Property("ExtendedSelect", &TCustomListBox::ExtendedSelect, &TCustomListBox::SetExtendedSelect)
        .Default(true);
    c.Property("IntegralHeight", &TCustomListBox::IntegralHeight, &TCustomListBox::SetIntegralHeight)
        .Default(false);
    c.Property("ItemHeight", &TCustomListBox::ItemHeight, &TCustomListBox::SetItemHeight).Default(16);
    c.Property("Items", &TCustomListBox::Items, &TCustomListBox::SetItems);
    c.Property("MultiSelect", &TCustomListBox::MultiSelect, &TCustomListBox::SetMultiSelect).Default(false);
    c.Property("Sorted", &TCustomListBox::Sorted, &TCustomListBox::SetSorted).Default(false);
    c.Property("Style", &TCustomListBox::Style, &TCustomListBox::SetStyle).Default(lbStandard);
    c.Property("TabWidth", &TCustomListBox::TabWidth, &TCustomListBox::SetTabWidth).Default(0);
    c.Property("OnDrawItem", &TCustomListBox::OnDrawItem, &TCustomListBox::SetOnDrawItem);
    c.Property("OnMeasureItem", &TCustomListBox::OnMeasureItem, &TCustomListBox::SetOnMeasureItem);
}
KVR_PUBLISHED(TListBox, c) {
    (void)c;
}

KVR_PUBLISHED(TCustomComboBox, c) {
    c.Property("CharCase", &TCustomComboBox::CharCase, &TCustomComboBox::SetCharCase).Default(ecNormal);
    c.Property("DropDownCount", &TCustomComboBox::DropDownCount, &TCustomComboBox::SetDropDownCount)
        .Default(8);
    c.Property("ItemHeight", &TCustomComboBox::ItemHeight, &TCustomComboBox::SetItemHeight).Default(16);
    c.Property("Items", &TCustomComboBox::Items, &TCustomComboBox::SetItems);
    c.Property("MaxLength", &TCustomComboBox::MaxLength, &TCustomComboBox::SetMaxLength).Default(0);
    c.Property("Sorted", &TCustomComboBox::Sorted, &TCustomComboBox::SetSorted).Default(false);
    c.Property("Style", &TCustomComboBox::Style, &TCustomComboBox::SetStyle).Default(csDropDown);
    c.Property("ItemIndex", &TCustomComboBox::ItemIndex, &TCustomComboBox::SetItemIndex).Default(-1);
    c.Property("OnChange", &TCustomComboBox::OnChange, &TCustomComboBox::SetOnChange);
    c.Property("OnSelect", &TCustomComboBox::OnSelect, &TCustomComboBox::SetOnSelect);
    c.Property("OnDropDown", &TCustomComboBox::OnDropDown, &TCustomComboBox::SetOnDropDown);
    c.Property("OnCloseUp", &TCustomComboBox::OnCloseUp, &TCustomComboBox::SetOnCloseUp);
    c.Property("OnDrawItem", &TCustomComboBox::OnDrawItem, &TCustomComboBox::SetOnDrawItem);
}
KVR_PUBLISHED(TComboBox, c) {
    (void)c;
}

KVR_PUBLISHED(TButtonControl, c) {
    (void)c;
}
KVR_PUBLISHED(TCustomCheckBox, c) {
    c.Property("Alignment", &TCustomCheckBox::Alignment, &TCustomCheckBox::SetAlignment)
        .Default(taRightJustify);
    c.Property("AllowGrayed", &TCustomCheckBox::AllowGrayed, &TCustomCheckBox::SetAllowGrayed).Default(false);
    c.Property("Checked", &TCustomCheckBox::Checked, &TCustomCheckBox::SetCheckedValue).Default(false);
    c.Property("State", &TCustomCheckBox::State, &TCustomCheckBox::SetState).Default(cbUnchecked);
}
KVR_PUBLISHED(TCheckBox, c) {
    (void)c;
}
KVR_PUBLISHED(TRadioButton, c) {
    c.Property("Alignment", &TRadioButton::Alignment, &TRadioButton::SetAlignment).Default(taRightJustify);
    c.Property("Checked", &TRadioButton::Checked, &TRadioButton::SetCheckedValue).Default(false);
}
KVR_PUBLISHED(TCustomGroupBox, c) {
    (void)c;
}
KVR_PUBLISHED(TGroupBox, c) {
    (void)c;
}
