#include "classlib/controls/menus.h"

#include <algorithm>

#include "classlib/graphics/colors.h"
#include "classlib/controls/comctrls.h"
#include "classlib/controls/forms.h"
#include "classlib/rtl/strutils.h"

namespace {

TPopupHandler GPopupHandler = nullptr;

} // namespace

char GetHotkey(const AnsiString& text) {
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '&') continue;
        if (text[i + 1] == '&') {
            ++i;
            continue;
        }
        char c = text[i + 1];
        return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    }
    return 0;
}

void SetPopupHandler(TPopupHandler handler) {
    GPopupHandler = handler;
}
TPopupHandler PopupHandler() {
    return GPopupHandler;
}

// TMenuItem ----------------------------------------------------------------------------------------------

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner) {}

TMenuItem::~TMenuItem() {
    if (FParent) FParent->Remove(this);
    while (!FItems.empty()) {
        TMenuItem* item = FItems.back();
        FItems.pop_back();
        item->FParent = nullptr;
        item->Free();
    }
}

void TMenuItem::SetCaption(const AnsiString& value) {
    FCaption = value;
}

void TMenuItem::SetChecked(bool value) {
    if (FChecked == value) return;
    FChecked = value;
    if (value && FRadioItem && FParent) {
        for (TMenuItem* item : FParent->FItems)
            if (item != this && item->FRadioItem && item->FGroupIndex == FGroupIndex) item->FChecked = false;
    }
}

void TMenuItem::SetRadioItem(bool value) {
    FRadioItem = value;
    if (value && FChecked) {
        FChecked = false;
        SetChecked(true);
    }
}

void TMenuItem::SetGroupIndex(Byte value) {
    FGroupIndex = value;
    if (FRadioItem && FChecked) {
        FChecked = false;
        SetChecked(true);
    }
}

TMenuItem* TMenuItem::Items(int index) const {
    if (index < 0 || index >= Count()) throw EMenuError("Menu index out of range");
    return FItems[static_cast<size_t>(index)];
}

void TMenuItem::Add(TMenuItem* item) {
    Insert(Count(), item);
}

void TMenuItem::Insert(int index, TMenuItem* item) {
    if (!item) return;
    if (item->FParent) throw EMenuError("Menu inserted twice");
    if (index < 0 || index > Count()) throw EMenuError("Menu index out of range");
    for (const TMenuItem* p = this; p; p = p->FParent)
        if (p == item) throw EMenuError("Sub-menu is not in menu");
    FItems.insert(FItems.begin() + index, item);
    item->FParent = this;
    if (item->FRadioItem && item->FChecked) {
        item->FChecked = false;
        item->SetChecked(true);
    }
}

void TMenuItem::Delete(int index) {
    TMenuItem* item = Items(index);
    Remove(item);
    item->Free();
}

void TMenuItem::Remove(TMenuItem* item) {
    auto it = std::find(FItems.begin(), FItems.end(), item);
    if (it == FItems.end()) return;
    FItems.erase(it);
    item->FParent = nullptr;
}

void TMenuItem::Clear() {
    while (!FItems.empty())
        Delete(Count() - 1);
}

int TMenuItem::IndexOf(const TMenuItem* item) const {
    auto it = std::find(FItems.begin(), FItems.end(), item);
    return it == FItems.end() ? -1 : static_cast<int>(it - FItems.begin());
}

TMenuItem* TMenuItem::Find(const AnsiString& caption) const {
    AnsiString wanted = StripHotkey(caption);
    for (TMenuItem* item : FItems)
        if (SameText(StripHotkey(item->FCaption), wanted)) return item;
    return nullptr;
}

int TMenuItem::MenuIndex() const {
    return FParent ? FParent->IndexOf(this) : -1;
}

void TMenuItem::SetMenuIndex(int value) {
    if (!FParent) return;
    TMenuItem* parent = FParent;
    value = std::clamp(value, 0, parent->Count() - 1);
    parent->Remove(this);
    parent->Insert(value, this);
}

TMenu* TMenuItem::GetParentMenu() const {
    const TMenuItem* item = this;
    while (item->FParent)
        item = item->FParent;
    return item->FMenu;
}

void TMenuItem::Click() {
    if (!FEnabled) return;
    if (FAutoCheck) SetChecked(!FChecked);
    if (FOnClick) FOnClick(this);
}

void TMenuItem::MeasureItem(TCanvas* canvas, int& width, int& height) {
    if (canvas) {
        width = canvas->TextWidth(StripHotkey(FCaption)) + 32;
        AnsiString key = ShortCutToText(FShortCut);
        if (!key.empty()) width += canvas->TextWidth(key) + 16;
        height = IsLine() ? 8 : canvas->TextHeight("W") + 6;
    }
    TMenu* menu = GetParentMenu();
    if (menu && menu->OwnerDraw() && FOnMeasureItem) FOnMeasureItem(this, canvas, width, height);
}

void TMenuItem::DrawItem(TCanvas* canvas, const TRect& rect, bool selected) {
    TMenu* menu = GetParentMenu();
    if (menu && menu->OwnerDraw() && FOnDrawItem) {
        FOnDrawItem(this, canvas, rect, selected);
        return;
    }
    if (!canvas) return;
    canvas->Brush()->SetColor(selected ? clHighlight : clMenu);
    canvas->FillRect(rect);
    if (IsLine()) {
        int y = rect.Top + rect.Height() / 2;
        canvas->Pen()->SetColor(clBtnShadow);
        canvas->MoveTo(rect.Left + 1, y - 1);
        canvas->LineTo(rect.Right - 1, y - 1);
        canvas->Pen()->SetColor(clBtnHighlight);
        canvas->MoveTo(rect.Left + 1, y);
        canvas->LineTo(rect.Right - 1, y);
        return;
    }
    canvas->Font()->SetColor(!FEnabled ? clGrayText : selected ? clHighlightText : clMenuText);
    if (FChecked) {
        TRect box{rect.Left + 2, rect.Top + 2, rect.Left + 16, rect.Bottom - 2};
        DrawFrameControl(canvas, box, DFC_BUTTON,
                         (FRadioItem ? DFCS_BUTTONRADIO : DFCS_BUTTONCHECK) | DFCS_CHECKED | DFCS_FLAT);
    }
    canvas->Brush()->SetStyle(bsClear);
    TRect text{rect.Left + 20, rect.Top, rect.Right - 4, rect.Bottom};
    DrawText(canvas, FCaption, text, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
    AnsiString key = ShortCutToText(FShortCut);
    if (!key.empty()) DrawText(canvas, key, text, DT_SINGLELINE | DT_VCENTER | DT_RIGHT | DT_NOPREFIX);
    canvas->Brush()->SetStyle(bsSolid);
}

TComponent* TMenuItem::GetParentComponent() const {
    if (FParent && FParent->FMenu) return FParent->FMenu;
    return FParent;
}

void TMenuItem::SetParentComponent(TComponent* value) {
    if (FParent) FParent->Remove(this);
    if (!value) return;
    if (auto* menu = dynamic_cast<TMenu*>(value))
        menu->Items()->Add(this);
    else if (auto* item = dynamic_cast<TMenuItem*>(value))
        item->Add(this);
}

void TMenuItem::GetChildren(const TGetChildProc& proc, TComponent* root) {
    for (TMenuItem* item : FItems)
        if (item->Owner() == root) proc(item);
}

namespace {
bool MenuShortCut(TComponent* menu, TMessage& keyMessage);
} // namespace

// TMenu --------------------------------------------------------------------------------------------------

TMenu::TMenu(TComponent* owner) : TComponent(owner), FItems(new TMenuItem(nullptr)) {
    FItems->FMenu = this;
    // A menu that exists answers shortcuts, even after someone took the seam down.
    if (!MenuShortCutHook()) SetMenuShortCutHook(&MenuShortCut);
}

TMenu::~TMenu() {
    FItems->Free();
}

void TMenu::SetImages(TImageList* value) {
    FImages = value;
    if (value) FreeNotification(value);
}

namespace {

TMenuItem* FindShortCutIn(TMenuItem* parent, TShortCut shortCut) {
    for (int i = 0; i < parent->Count(); ++i) {
        TMenuItem* item = parent->Items(i);
        if (!item->Enabled() || !item->Visible()) continue;
        if (item->ShortCut() == shortCut && item->Count() == 0) return item;
        if (TMenuItem* found = FindShortCutIn(item, shortCut)) return found;
    }
    return nullptr;
}

} // namespace

TMenuItem* TMenu::FindItemByShortCut(TShortCut shortCut) const {
    if (shortCut == 0) return nullptr;
    return FindShortCutIn(FItems, shortCut);
}

bool TMenu::IsShortCut(TMessage& keyMessage) {
    TShiftState shift = KeyboardShiftState();
    if (keyMessage.LParam & KF_ALTDOWN_BIT) shift.Include(ssAlt);
    return IsShortCut(::ShortCut(static_cast<Word>(keyMessage.WParam), shift));
}

namespace {

// Installed for the controls unit: forms and controls reach their menus' shortcuts through it.
bool MenuShortCut(TComponent* menu, TMessage& keyMessage) {
    auto* m = dynamic_cast<TMenu*>(menu);
    return m && m->IsShortCut(keyMessage);
}

// A user's click on a menu item (UserClick, kvrhost's "click") runs the item's click.
bool MenuItemClick(TComponent* component) {
    auto* item = dynamic_cast<TMenuItem*>(component);
    if (!item) return false;
    item->Click();
    return true;
}

const bool kMenuHooksInstalled =
    (SetMenuShortCutHook(&MenuShortCut), RegisterClickHook(&MenuItemClick), true);

} // namespace

bool TMenu::IsShortCut(TShortCut shortCut) {
    TMenuItem* item = FindItemByShortCut(shortCut);
    if (!item) return false;
    item->Click();
    return true;
}

TMenuItem* TMenu::FindAccelItem(char key) const {
    if (key >= 'a' && key <= 'z') key = static_cast<char>(key - 'a' + 'A');
    for (int i = 0; i < FItems->Count(); ++i) {
        TMenuItem* item = FItems->Items(i);
        if (item->Visible() && item->Enabled() && GetHotkey(item->Caption()) == key) return item;
    }
    return nullptr;
}

void TMenu::GetChildren(const TGetChildProc& proc, TComponent* root) {
    FItems->GetChildren(proc, root);
}

void TMenu::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation == opRemove && component == FImages) FImages = nullptr;
}

// TPopupMenu ---------------------------------------------------------------------------------------------

void TPopupMenu::Popup(int x, int y) {
    FPopupPoint = {x, y};
    if (FOnPopup) FOnPopup(this);
    TMenuItem* chosen = GPopupHandler ? GPopupHandler(this, x, y) : nullptr;
    if (chosen) chosen->Click();
}

// Published ----------------------------------------------------------------------------------------------

KVR_PUBLISHED(TMenuItem, c) {
    c.Property("Caption", &TMenuItem::Caption, &TMenuItem::SetCaption);
    c.Property("Checked", &TMenuItem::Checked, &TMenuItem::SetChecked).Default(false);
    c.Property("RadioItem", &TMenuItem::RadioItem, &TMenuItem::SetRadioItem).Default(false);
    c.Property("AutoCheck", &TMenuItem::AutoCheck, &TMenuItem::SetAutoCheck).Default(false);
    c.Property("Default", &TMenuItem::Default, &TMenuItem::SetDefault).Default(false);
    c.Property("Enabled", &TMenuItem::Enabled, &TMenuItem::SetEnabled).Default(true);
    c.Property("Visible", &TMenuItem::Visible, &TMenuItem::SetVisible).Default(true);
    c.Property("GroupIndex", &TMenuItem::GroupIndex, &TMenuItem::SetGroupIndex).Default(0);
    c.Property("ImageIndex", &TMenuItem::ImageIndex, &TMenuItem::SetImageIndex).Default(-1);
    c.Property("Hint", &TMenuItem::Hint, &TMenuItem::SetHint);
    c.Property("ShortCut", &TMenuItem::ShortCut, &TMenuItem::SetShortCut).Type("TShortCut").Default(0);
    c.Property("OnClick", &TMenuItem::OnClick, &TMenuItem::SetOnClick);
    c.Property("OnDrawItem", &TMenuItem::OnDrawItem, &TMenuItem::SetOnDrawItem);
    c.Property("OnMeasureItem", &TMenuItem::OnMeasureItem, &TMenuItem::SetOnMeasureItem);
}

KVR_PUBLISHED(TMenu, c) {
    c.Property("OwnerDraw", &TMenu::OwnerDraw, &TMenu::SetOwnerDraw).Default(false);
}

KVR_PUBLISHED(TMainMenu, c) {
    c.Property("AutoMerge", &TMainMenu::AutoMerge, &TMainMenu::SetAutoMerge).Default(false);
}

KVR_PUBLISHED(TPopupMenu, c) {
    c.Property("Alignment", &TPopupMenu::Alignment, &TPopupMenu::SetAlignment).Default(paLeft);
    c.Property("AutoPopup", &TPopupMenu::AutoPopup, &TPopupMenu::SetAutoPopup).Default(true);
    c.Property("OnPopup", &TPopupMenu::OnPopup, &TPopupMenu::SetOnPopup);
}
