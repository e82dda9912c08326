#pragma once
// Menus: TMenuItem trees under TMainMenu and TPopupMenu, shortcuts and their texts.
#include <vector>

#include "classlib/controls/controls.h"
#include "classlib/graphics/canvas.h"
#include "classlib/objects/component.h"

class TMenu;
class TImageList;

KVR_EVENT_TYPE(TMenuDrawItemEvent, void(TObject* sender, TCanvas* canvas, TRect rect, bool selected));
KVR_EVENT_TYPE(TMenuMeasureItemEvent, void(TObject* sender, TCanvas* canvas, int& width, int& height));

class TMenuItem : public TComponent {
    KVR_CLASS(TMenuItem, TComponent)
public:
    explicit TMenuItem(TComponent* owner);
    ~TMenuItem() override;

    const AnsiString& Caption() const { return FCaption; }
    void SetCaption(const AnsiString& value);
    bool IsLine() const { return FCaption == "-"; }
    TShortCut ShortCut() const { return FShortCut; }
    void SetShortCut(TShortCut value) { FShortCut = value; }
    bool Checked() const { return FChecked; }
    // Checking a radio item unchecks the other radio items of its group under the same parent.
    void SetChecked(bool value);
    bool RadioItem() const { return FRadioItem; }
    void SetRadioItem(bool value);
    bool AutoCheck() const { return FAutoCheck; }
    void SetAutoCheck(bool value) { FAutoCheck = value; }
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool value) { FEnabled = value; }
    bool Visible() const { return FVisible; }
    void SetVisible(bool value) { FVisible = value; }
    bool Default() const { return FDefault; }
    void SetDefault(bool value) { FDefault = value; }
    Byte GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(Byte value);
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int value) { FImageIndex = value; }
    const AnsiString& Hint() const { return FHint; }
    void SetHint(const AnsiString& value) { FHint = value; }
    const TNotifyEvent& OnClick() const { return FOnClick; }
    void SetOnClick(const TNotifyEvent& value) { FOnClick = value; }
    const TMenuDrawItemEvent& OnDrawItem() const { return FOnDrawItem; }
    void SetOnDrawItem(const TMenuDrawItemEvent& value) { FOnDrawItem = value; }
    const TMenuMeasureItemEvent& OnMeasureItem() const { return FOnMeasureItem; }
    void SetOnMeasureItem(const TMenuMeasureItemEvent& value) { FOnMeasureItem = value; }

    // The sub-items.
    int Count() const { return static_cast<int>(FItems.size()); }
    TMenuItem* Items(int index) const; // raises EMenuError out of range
    void Add(TMenuItem* item);
    // Raises EMenuError for an item that already has a parent or an index out of range.
    void Insert(int index, TMenuItem* item);
    // Frees the item at index.
    void Delete(int index);
    // Takes the item out without freeing it.
    void Remove(TMenuItem* item);
    void Clear();
    int IndexOf(const TMenuItem* item) const;
    // The sub-item of that caption, compared without "&" and without regard to case; nullptr if none.
    TMenuItem* Find(const AnsiString& caption) const;
    TMenuItem* Parent() const { return FParent; }
    int MenuIndex() const;
    void SetMenuIndex(int value);
    // The menu at the root of this item's tree, nullptr when it hangs under none.
    TMenu* GetParentMenu() const;

    // Checks an auto-check item, then runs OnClick; a disabled item does nothing.
    virtual void Click();
    // Owner drawing: OnMeasureItem / OnDrawItem when the menu draws by its owner, the default look
    // otherwise. Width and height start at the default size of the item.
    virtual void MeasureItem(TCanvas* canvas, int& width, int& height);
    virtual void DrawItem(TCanvas* canvas, const TRect& rect, bool selected);

    bool HasParent() const override { return true; }
    TComponent* GetParentComponent() const override;
    void SetParentComponent(TComponent* value) override;
    void GetChildren(const TGetChildProc& proc, TComponent* root) override;

private:
    friend class TMenu;
    AnsiString FCaption;
    TShortCut FShortCut = 0;
    bool FChecked = false;
    bool FRadioItem = false;
    bool FAutoCheck = false;
    bool FEnabled = true;
    bool FVisible = true;
    bool FDefault = false;
    Byte FGroupIndex = 0;
    int FImageIndex = -1;
    AnsiString FHint;
    TNotifyEvent FOnClick;
    TMenuDrawItemEvent FOnDrawItem;
    TMenuMeasureItemEvent FOnMeasureItem;
    TMenuItem* FParent = nullptr;
    TMenu* FMenu = nullptr; // set on the root item only
    std::vector<TMenuItem*> FItems;
};

class TMenu : public TComponent {
    KVR_CLASS(TMenu, TComponent)
public:
    explicit TMenu(TComponent* owner);
    ~TMenu() override;

    TMenuItem* Items() const { return FItems; }
    bool OwnerDraw() const { return FOwnerDraw; }
    void SetOwnerDraw(bool value) { FOwnerDraw = value; }
    TImageList* Images() const { return FImages; }
    void SetImages(TImageList* value);

    // The item whose shortcut this is, among items that are enabled and visible with all their parents.
    TMenuItem* FindItemByShortCut(TShortCut shortCut) const;
    // Clicks the item of the shortcut; true when there was one.
    bool IsShortCut(TShortCut shortCut);
    // The same for a key message (WM_KEYDOWN / WM_SYSKEYDOWN) with the keyboard's shift state: what
    // forms and controls call through the menu seam of the controls unit.
    bool IsShortCut(TMessage& keyMessage);
    // The item of the accelerator character ("&F" in "&File") among the top items, nullptr if none.
    TMenuItem* FindAccelItem(char key) const;

    void GetChildren(const TGetChildProc& proc, TComponent* root) override;
    void Notification(TComponent* component, TOperation operation) override;

private:
    TMenuItem* FItems;
    bool FOwnerDraw = false;
    TImageList* FImages = nullptr;
};

class TMainMenu : public TMenu {
    KVR_CLASS(TMainMenu, TMenu)
public:
    explicit TMainMenu(TComponent* owner) : TMenu(owner) {}
    bool AutoMerge() const { return FAutoMerge; }
    void SetAutoMerge(bool value) { FAutoMerge = value; }

private:
    bool FAutoMerge = false;
};

KVR_ENUM(TPopupAlignment, paLeft, paRight, paCenter);

// What a popup shows and answers, for the modal driver: the item chosen or none.
class TPopupMenu;
using TPopupHandler = TMenuItem* (*)(TPopupMenu* menu, int x, int y);
// The answer to a popup: a test or a script sets one; without one a popup closes with nothing chosen.
void SetPopupHandler(TPopupHandler handler);
TPopupHandler PopupHandler();

class TPopupMenu : public TMenu {
    KVR_CLASS(TPopupMenu, TMenu)
public:
    explicit TPopupMenu(TComponent* owner) : TMenu(owner) {}

    TPopupAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TPopupAlignment value) { FAlignment = value; }
    bool AutoPopup() const { return FAutoPopup; }
    void SetAutoPopup(bool value) { FAutoPopup = value; }
    TComponent* PopupComponent() const { return FPopupComponent; }
    void SetPopupComponent(TComponent* value) { FPopupComponent = value; }
    const TNotifyEvent& OnPopup() const { return FOnPopup; }
    void SetOnPopup(const TNotifyEvent& value) { FOnPopup = value; }
    // Where the last popup showed, in screen coordinates.
    TPoint PopupPoint() const { return FPopupPoint; }

    // Runs OnPopup, then asks the popup handler which item was chosen and clicks it.
    virtual void Popup(int x, int y);

private:
    TPopupAlignment FAlignment = paLeft;
    bool FAutoPopup = true;
    TComponent* FPopupComponent = nullptr;
    TNotifyEvent FOnPopup;
    TPoint FPopupPoint;
};

KVR_DECLARE_EXCEPTION(EMenuError, Exception)

// The accelerator character of a caption, 0 when it has none.
char GetHotkey(const AnsiString& text);
