#include "components/ChkList.h"

#include <algorithm>
#include <iterator>

#include "classlib/graphics/colors.h"

namespace {
constexpr TColor kCheckRed = 0x0000FF;
} // namespace

TFCheckListBox::TFCheckListBox(TComponent* owner) : TCustomListBox(owner), FBarColor(clActiveCaption) {
    SetStyle(lbOwnerDrawFixed);
    SetParentFont(false);
    Font()->SetName("宋体");
    Font()->SetSize(11);
    SetItemHeight(24);
}

TFCheckListBox::~TFCheckListBox() {
    // The items must not point at checks that may go now; each check goes with its last holder.
    FReleasing = true;
    for (int i = 0; i < Items()->Count(); ++i)
        if (dynamic_cast<TCheck*>(Items()->GetObject(i))) Items()->PutObject(i, nullptr);
    for (TCheck* check : FHeld)
        if (--check->FHolders == 0) delete check;
    FHeld.clear();
}

void TFCheckListBox::ItemsChanged() {
    TCustomListBox::ItemsChanged();
    // Within an update (a Move deletes the item before it inserts it again) a check is briefly in no
    // item: it is counted again when the update ends, not let go halfway.
    if (!FReleasing && Items()->UpdateCount() == 0) HoldChecks();
}

void TFCheckListBox::HoldChecks() {
    std::vector<TCheck*> now;
    for (int i = 0; i < Items()->Count(); ++i)
        if (auto* check = dynamic_cast<TCheck*>(Items()->GetObject(i))) now.push_back(check);
    std::sort(now.begin(), now.end());
    now.erase(std::unique(now.begin(), now.end()), now.end());
    // Take the new ones first: a check that only moved within the list is never let go.
    std::vector<TCheck*> gone;
    std::set_difference(FHeld.begin(), FHeld.end(), now.begin(), now.end(), std::back_inserter(gone));
    std::vector<TCheck*> taken;
    std::set_difference(now.begin(), now.end(), FHeld.begin(), FHeld.end(), std::back_inserter(taken));
    for (TCheck* check : taken)
        ++check->FHolders;
    FHeld = std::move(now);
    for (TCheck* check : gone)
        if (--check->FHolders == 0) delete check;
}

TCheck* TFCheckListBox::GetCheck(int index) {
    if (index < 0 || index >= Items()->Count()) return nullptr;
    auto* check = dynamic_cast<TCheck*>(Items()->GetObject(index));
    if (!check) {
        check = new TCheck;
        Items()->PutObject(index, check); // held from here on (ItemsChanged)
    }
    return check;
}

bool TFCheckListBox::Checked(int index) {
    TCheck* check = GetCheck(index);
    return check && check->Checked;
}

void TFCheckListBox::SetChecked(int index, bool value) {
    TCheck* check = GetCheck(index);
    if (!check) return;
    if (check->Checked != value) check->Checked = value;
    RedrawItem(index);
    DoCheck(index);
}

void TFCheckListBox::Toggle(int index) {
    SetChecked(index, !Checked(index));
}

void TFCheckListBox::DoCheck(int index) {
    if (FOnCheck) FOnCheck(this, index);
}

void TFCheckListBox::SetBarColor(TColor value) {
    if (FBarColor == value) return;
    FBarColor = value;
    Invalidate();
}

void TFCheckListBox::SetBoxSize(int value) {
    if (FBoxSize == value) return;
    FBoxSize = value < ItemHeight() ? value : ItemHeight();
    Invalidate();
}

void TFCheckListBox::SetCheckStyle(int value) {
    if (FCheckStyle == value) return;
    FCheckStyle = value;
    Invalidate();
}

void TFCheckListBox::CheckGlyph(int checkStyle, bool checked, char& glyph, TColor& color) {
    // Check styles 1 to 4: a pair of WingDings marks, the first red and the second black. Styles 1 and 3
    // show the first when checked; 2 and 4 swap the two. Other styles draw no mark.
    static const struct {
        Byte First, Second;
        bool Swapped;
    } styles[] = {{0xFE, 0xA8, false}, {0xFE, 0xA8, true}, {0xE9, 0xEA, false}, {0xE9, 0xEA, true}};
    glyph = 0;
    color = clBlack;
    if (checkStyle < 1 || checkStyle > 4) return;
    const auto& style = styles[checkStyle - 1];
    const bool first = checked != style.Swapped;
    glyph = static_cast<char>(first ? style.First : style.Second);
    color = first ? kCheckRed : clBlack;
}

TRect TFCheckListBox::BoxRect(int index) const {
    TRect item = ItemRect(index);
    int top = item.Top + (ItemHeight() - FBoxSize) / 2;
    return {4, top, FBoxSize + 4, top + FBoxSize};
}

void TFCheckListBox::DrawCheck(const TRect& rect, bool checked, bool selected) {
    TCanvas* canvas = Canvas();
    char glyph = 0;
    TColor color = clBlack;
    CheckGlyph(FCheckStyle, checked, glyph, color);
    if (selected && color == clBlack) color = clHighlightText;
    int top = rect.Top + (ItemHeight() - FBoxSize) / 2;
    canvas->Font()->SetName("WingDings");
    canvas->Font()->SetCharset(DEFAULT_CHARSET);
    canvas->Font()->SetHeight(FBoxSize);
    canvas->Font()->SetStyle(TFontStyles());
    canvas->Font()->SetColor(color);
    if (glyph) canvas->TextOut(4, top, AnsiString(1, glyph));
    canvas->Font()->Assign(Font());
}

void TFCheckListBox::DrawItem(int index, TRect rect, TOwnerDrawState state) {
    TCanvas* canvas = Canvas();
    bool selected = state.Contains(odSelected);
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(selected ? FBarColor : Color());
    canvas->FillRect(rect);
    canvas->Font()->Assign(Font());
    AnsiString text = index >= 0 && index < Items()->Count() ? Items()->Get(index) : AnsiString();
    // The font height is negative, so this centres the text in the item.
    int y = rect.Top + (ItemHeight() + Font()->Height()) / 2;
    if (FCheckStyle <= 0) {
        canvas->TextOut(rect.Left + 8, y, text);
    } else {
        DrawCheck(rect, Checked(index), selected);
        if (selected) canvas->Font()->SetColor(clHighlightText);
        canvas->TextOut(rect.Left + FBoxSize + 8, y, text);
    }
    canvas->Brush()->SetColor(Color());
}

void TFCheckListBox::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TCustomListBox::MouseDown(button, shift, x, y);
    if (button != mbLeft) return;
    int index = ItemAtPos({x, y});
    if (index < 0) return;
    TRect box = BoxRect(index);
    if (x >= box.Left && x < box.Right && y >= box.Top && y < box.Bottom) {
        Toggle(index);
        Canvas()->DrawFocusRect(ItemRect(index));
    }
}

void TFCheckListBox::KeyDown(Word& key, TShiftState shift) {
    TCustomListBox::KeyDown(key, shift);
    if (key == VK_SPACE && ItemIndex() >= 0) {
        Toggle(ItemIndex());
        Canvas()->DrawFocusRect(ItemRect(ItemIndex()));
        key = 0;
    }
}

KVR_PUBLISHED(TCheck, c) {
    (void)c;
}

KVR_PUBLISHED(TFCheckListBox, c) {
    c.Property("BarColor", &TFCheckListBox::BarColor, &TFCheckListBox::SetBarColor)
        .Type("TColor")
        .Default(clActiveCaption);
    c.Property("BoxSize", &TFCheckListBox::BoxSize, &TFCheckListBox::SetBoxSize).Default(18);
    c.Property("CheckStyle", &TFCheckListBox::CheckStyle, &TFCheckListBox::SetCheckStyle).Default(1);
    c.Property("OnCheck", &TFCheckListBox::OnCheck, &TFCheckListBox::SetOnCheck);
}
