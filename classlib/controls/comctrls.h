#pragma once
// The common controls: image lists, page controls, tool bars, status bars, list views, progress bars.
#include <vector>

#include "classlib/controls/controls.h"
#include "classlib/controls/forms.h"
#include "classlib/controls/stdctrls.h"
#include "classlib/graphics/bitmap.h"
#include "classlib/objects/collection.h"
#include "classlib/objects/component.h"

class TPageControl;

KVR_ENUM(TDrawingStyle, dsFocus, dsSelected, dsNormal, dsTransparent);
KVR_ENUM(TImageType, itImage, itMask);

// Images of one size, each with the mask of its transparent pixels.
class TImageList : public TComponent {
    KVR_CLASS(TImageList, TComponent)
public:
    explicit TImageList(TComponent* owner);
    ~TImageList() override;

    int Width() const { return FWidth; }
    // Changing the size clears the list, as the class library's image lists do.
    void SetWidth(int value);
    int Height() const { return FHeight; }
    void SetHeight(int value);
    int Count() const { return static_cast<int>(FImages.size()); }
    bool Masked() const { return FMasked; }
    void SetMasked(bool value) { FMasked = value; }
    TColor BkColor() const { return FBkColor; }
    void SetBkColor(TColor value) { FBkColor = value; }
    TDrawingStyle DrawingStyle() const { return FDrawingStyle; }
    void SetDrawingStyle(TDrawingStyle value) { FDrawingStyle = value; }
    const TNotifyEvent& OnChange() const { return FOnChange; }
    void SetOnChange(const TNotifyEvent& value) { FOnChange = value; }

    // Adds the image, split into Width-wide pieces when it is wider; a mask pixel that is not black
    // makes the image pixel transparent. Returns the index of the first image added, -1 for an empty
    // or missing image.
    int Add(const TBitmap* image, const TBitmap* mask);
    // Adds the image with its pixels of maskColor transparent (clDefault: the bottom-left pixel's colour).
    int AddMasked(const TBitmap* image, TColor maskColor);
    void Delete(int index);
    void Clear();
    // Draws image index with its top-left at (x, y); a disabled image is drawn in the shadow colour.
    // An index out of range draws nothing.
    void Draw(TCanvas* canvas, int x, int y, int index, bool enabled = true) const;
    // The image on a bitmap of the list's size, its transparent pixels in BkColor (clWindow when none).
    // False for an index out of range or a missing bitmap.
    bool GetBitmap(int index, TBitmap* image) const;
    // Whether the pixel of image index is transparent (true out of range).
    bool IsTransparent(int index, int x, int y) const;

    void DefineProperties(TFiler& filer) override;

private:
    struct TImage {
        std::vector<TColor> Pixels;
        std::vector<bool> Mask; // true: transparent
    };
    void Change();
    void ReadBitmap(TStream& stream);
    void WriteBitmap(TStream& stream) const;

    int FWidth = 16;
    int FHeight = 16;
    bool FMasked = true;
    TColor FBkColor = clNone;
    TDrawingStyle FDrawingStyle = dsNormal;
    std::vector<TImage> FImages;
    TNotifyEvent FOnChange;
};

// ---- page controls ----

KVR_ENUM(TTabStyle, tsTabs, tsButtons, tsFlatButtons);
KVR_ENUM(TTabPosition, tpTop, tpBottom, tpLeft, tpRight);
KVR_EVENT_TYPE(TDrawTabEvent, void(TCustomControl* control, int tabIndex, const TRect& rect, bool active));
// The same signature as a close query, so the same delegate type (one name per signature).
using TTabChangingEvent = TCloseQueryEvent;

class TTabSheet : public TCustomControl {
    KVR_CLASS(TTabSheet, TCustomControl)
public:
    explicit TTabSheet(TComponent* owner);
    ~TTabSheet() override;

    TPageControl* PageControl() const { return FPageControl; }
    // Moves the sheet to another page control (nil: none); the sheet's parent follows.
    void SetPageControl(TPageControl* value);
    int PageIndex() const;
    void SetPageIndex(int value);
    bool TabVisible() const { return FTabVisible; }
    void SetTabVisible(bool value);
    // The sheet's index among the visible tabs; -1 when its tab is hidden.
    int TabIndex() const;
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int value) { FImageIndex = value; }
    void SetParent(TWinControl* value) override;

protected:
    void Paint() override;

private:
    friend class TPageControl;
    TPageControl* FPageControl = nullptr;
    bool FTabVisible = true;
    int FImageIndex = -1;
};

class TPageControl : public TCustomControl {
    KVR_CLASS(TPageControl, TCustomControl)
public:
    explicit TPageControl(TComponent* owner);
    ~TPageControl() override;

    int PageCount() const { return static_cast<int>(FPages.size()); }
    TTabSheet* Pages(int index) const; // nil out of range
    TTabSheet* ActivePage() const { return FActivePage; }
    // Shows the page and hides the others; a page of another control is refused (nothing changes).
    void SetActivePage(TTabSheet* page);
    int ActivePageIndex() const { return FActivePage ? FActivePage->PageIndex() : -1; }
    void SetActivePageIndex(int value) { SetActivePage(Pages(value)); }
    // Tab indices count visible tabs only; -1 when the active page's tab is hidden or there is none.
    int TabIndex() const { return FActivePage ? FActivePage->TabIndex() : -1; }
    void SetTabIndex(int value);
    // The page of the tabIndex-th visible tab; nil when there is none.
    TTabSheet* PageForTab(int tabIndex) const;
    int VisibleTabCount() const;
    bool OwnerDraw() const { return FOwnerDraw; }
    void SetOwnerDraw(bool value);
    int TabHeight() const { return FTabHeight; }
    void SetTabHeight(int value);
    int TabWidth() const { return FTabWidth; }
    void SetTabWidth(int value);
    TTabStyle Style() const { return FStyle; }
    void SetStyle(TTabStyle value);
    TTabPosition TabPosition() const { return FTabPosition; }
    void SetTabPosition(TTabPosition value) { FTabPosition = value; }
    bool MultiLine() const { return FMultiLine; }
    void SetMultiLine(bool value) { FMultiLine = value; }
    TImageList* Images() const { return FImages; }
    void SetImages(TImageList* value);
    const TDrawTabEvent& OnDrawTab() const { return FOnDrawTab; }
    void SetOnDrawTab(const TDrawTabEvent& value) { FOnDrawTab = value; }
    const TNotifyEvent& OnChange() const { return FOnChange; }
    void SetOnChange(const TNotifyEvent& value) { FOnChange = value; }
    const TTabChangingEvent& OnChanging() const { return FOnChanging; }
    void SetOnChanging(const TTabChangingEvent& value) { FOnChanging = value; }

    // The rectangle of a visible tab in the control's client area; empty for a tab that is not there.
    TRect TabRect(int tabIndex) const;
    // The visible tab under a client point, -1 when none.
    int IndexOfTabAt(int x, int y) const;
    // The next (or previous) page with a visible tab after the current one, wrapping; nil when none.
    TTabSheet* FindNextPage(TTabSheet* current, bool goForward, bool checkTabVisible) const;
    void SelectNextPage(bool goForward);
    // The user's choice of a tab: OnChanging may refuse it, OnChange follows a change.
    bool ChangeActivePage(TTabSheet* page);

    void AdjustClientRect(TRect& rect) override;
    void GetChildren(const TGetChildProc& proc, TComponent* root) override;
    void Notification(TComponent* component, TOperation operation) override;
    void Loaded() override;
    AnsiString DumpText() const override;

    // Creation style of the tab window (TCS_OWNERDRAWFIXED when drawing by its owner).
    static constexpr Cardinal TCS_OWNERDRAWFIXED = 0x2000;

protected:
    // Draws one tab: OnDrawTab when owner-drawn and assigned, otherwise the default tab.
    virtual void DrawTab(int tabIndex, const TRect& rect, bool active);
    virtual bool CanChange();
    virtual void Change();
    void CreateParams(TCreateParams& params) override;
    void Paint() override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void KeyDown(Word& key, TShiftState shift) override;

private:
    friend class TTabSheet;
    void InsertPage(TTabSheet* page);
    void RemovePage(TTabSheet* page);
    void LayoutPages();
    int TabExtent(int tabIndex) const;

    std::vector<TTabSheet*> FPages;
    TTabSheet* FActivePage = nullptr;
    bool FOwnerDraw = false;
    int FTabHeight = 0;
    int FTabWidth = 0;
    TTabStyle FStyle = tsTabs;
    TTabPosition FTabPosition = tpTop;
    bool FMultiLine = false;
    TImageList* FImages = nullptr;
    TDrawTabEvent FOnDrawTab;
    TNotifyEvent FOnChange;
    TTabChangingEvent FOnChanging;
};

// ---- status bars ----

KVR_ENUM(TStatusPanelStyle, psText, psOwnerDraw);
KVR_ENUM(TStatusPanelBevel, pbNone, pbLowered, pbRaised);

class TStatusPanel : public TCollectionItem {
    KVR_CLASS(TStatusPanel, TCollectionItem)
public:
    explicit TStatusPanel(TCollection* collection) : TCollectionItem(collection) {}
    const AnsiString& Text() const { return FText; }
    void SetText(const AnsiString& value);
    int Width() const { return FWidth; }
    void SetWidth(int value);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment value);
    TStatusPanelBevel Bevel() const { return FBevel; }
    void SetBevel(TStatusPanelBevel value);
    TStatusPanelStyle Style() const { return FStyle; }
    void SetStyle(TStatusPanelStyle value);

private:
    AnsiString FText;
    int FWidth = 50;
    TAlignment FAlignment = taLeftJustify;
    TStatusPanelBevel FBevel = pbLowered;
    TStatusPanelStyle FStyle = psText;
};

class TStatusBar;
class TStatusPanels : public TCollection {
    KVR_CLASS(TStatusPanels, TCollection)
public:
    explicit TStatusPanels(TStatusBar* bar = nullptr);
    TStatusPanel* Add() { return static_cast<TStatusPanel*>(TCollection::Add()); }
    TStatusPanel* Items(int index) const { return static_cast<TStatusPanel*>(TCollection::Items(index)); }
    TPersistent* GetOwner() override;

protected:
    void Update(TCollectionItem* item) override;

private:
    TStatusBar* FBar;
};

KVR_EVENT_TYPE(TDrawPanelEvent, void(TStatusBar* statusBar, TStatusPanel* panel, const TRect& rect));

class TStatusBar : public TCustomControl {
    KVR_CLASS(TStatusBar, TCustomControl)
public:
    explicit TStatusBar(TComponent* owner);
    ~TStatusBar() override;

    TStatusPanels* Panels() const { return FPanels.get(); }
    void SetPanels(TStatusPanels* value) { FPanels->Assign(value); }
    // One panel across the bar showing SimpleText instead of the panels.
    bool SimplePanel() const { return FSimplePanel; }
    void SetSimplePanel(bool value);
    const AnsiString& SimpleText() const { return FSimpleText; }
    void SetSimpleText(const AnsiString& value);
    bool SizeGrip() const { return FSizeGrip; }
    void SetSizeGrip(bool value) { FSizeGrip = value, Invalidate(); }
    const TDrawPanelEvent& OnDrawPanel() const { return FOnDrawPanel; }
    void SetOnDrawPanel(const TDrawPanelEvent& value) { FOnDrawPanel = value; }
    // The rectangle of panel index; the last panel takes the rest of the bar.
    TRect PanelRect(int index) const;
    AnsiString DumpText() const override;

protected:
    void Paint() override;

private:
    std::unique_ptr<TStatusPanels> FPanels;
    bool FSimplePanel = false;
    AnsiString FSimpleText;
    bool FSizeGrip = true;
    TDrawPanelEvent FOnDrawPanel;
};

// ---- progress ----

class TProgressBar : public TCustomControl {
    KVR_CLASS(TProgressBar, TCustomControl)
public:
    explicit TProgressBar(TComponent* owner);
    int Min() const { return FMin; }
    void SetMin(int value);
    int Max() const { return FMax; }
    void SetMax(int value);
    // Kept between Min and Max.
    int Position() const { return FPosition; }
    void SetPosition(int value);
    int Step() const { return FStep; }
    void SetStep(int value) { FStep = value; }
    void StepIt() { SetPosition(FPosition + FStep); }
    void StepBy(int delta) { SetPosition(FPosition + delta); }
    // The filled width for the current position (no division when Min equals Max).
    int FilledWidth() const;

protected:
    void Paint() override;

private:
    int FMin = 0;
    int FMax = 100;
    int FPosition = 0;
    int FStep = 10;
};

KVR_ENUM(TGaugeKind, gkText, gkHorizontalBar, gkVerticalBar, gkPie, gkNeedle);

class TGauge : public TGraphicControl {
    KVR_CLASS(TGauge, TGraphicControl)
public:
    explicit TGauge(TComponent* owner);
    int MinValue() const { return FMinValue; }
    void SetMinValue(int value);
    int MaxValue() const { return FMaxValue; }
    void SetMaxValue(int value);
    int Progress() const { return FProgress; }
    void SetProgress(int value);
    void AddProgress(int value) { SetProgress(FProgress + value); }
    // 0 to 100; 0 when the range is empty.
    int PercentDone() const;
    TGaugeKind Kind() const { return FKind; }
    void SetKind(TGaugeKind value) { FKind = value, Invalidate(); }
    bool ShowText() const { return FShowText; }
    void SetShowText(bool value) { FShowText = value, Invalidate(); }
    TColor ForeColor() const { return FForeColor; }
    void SetForeColor(TColor value) { FForeColor = value, Invalidate(); }
    TColor BackColor() const { return FBackColor; }
    void SetBackColor(TColor value) { FBackColor = value, Invalidate(); }

protected:
    void Paint() override;

private:
    int FMinValue = 0;
    int FMaxValue = 100;
    int FProgress = 0;
    TGaugeKind FKind = gkHorizontalBar;
    bool FShowText = true;
    TColor FForeColor = clBlack;
    TColor FBackColor = clWhite;
};

// ---- tool bars ----

class TPopupMenu;
class TToolBar;
KVR_ENUM(TToolButtonStyle, tbsButton, tbsCheck, tbsDropDown, tbsSeparator, tbsDivider);

class TToolButton : public TGraphicControl {
    KVR_CLASS(TToolButton, TGraphicControl)
public:
    explicit TToolButton(TComponent* owner);
    ~TToolButton() override;

    TToolButtonStyle Style() const { return FStyle; }
    void SetStyle(TToolButtonStyle value);
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int value) { FImageIndex = value, Invalidate(); }
    // A check button stays down; grouped check buttons next to each other are exclusive.
    bool Down() const { return FDown; }
    void SetDown(bool value);
    bool Grouped() const { return FGrouped; }
    void SetGrouped(bool value) { FGrouped = value; }
    bool AllowAllUp() const { return FAllowAllUp; }
    void SetAllowAllUp(bool value) { FAllowAllUp = value; }
    TPopupMenu* DropdownMenu() const { return FDropdownMenu; }
    void SetDropdownMenu(TPopupMenu* value);
    // This button starts a new row of a wrapping tool bar after it.
    bool Wrap() const { return FWrap; }
    void SetWrap(bool value);
    TToolBar* ToolBar() const;
    int Index() const;

    void Click() override;
    // The drop-down part's click: the menu pops up below the button.
    bool CheckMenuDropdown();
    void SetParent(TWinControl* value) override;
    void Notification(TComponent* component, TOperation operation) override;

protected:
    void Paint() override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

private:
    TToolButtonStyle FStyle = tbsButton;
    int FImageIndex = -1;
    bool FDown = false;
    bool FGrouped = false;
    bool FAllowAllUp = false;
    TPopupMenu* FDropdownMenu = nullptr;
    bool FWrap = false;
};

class TToolBar : public TCustomControl {
    KVR_CLASS(TToolBar, TCustomControl)
public:
    explicit TToolBar(TComponent* owner);
    ~TToolBar() override;

    int ButtonCount() const { return static_cast<int>(FButtons.size()); }
    TToolButton* Buttons(int index) const;
    TImageList* Images() const { return FImages; }
    void SetImages(TImageList* value);
    int ButtonWidth() const { return FButtonWidth; }
    void SetButtonWidth(int value);
    int ButtonHeight() const { return FButtonHeight; }
    void SetButtonHeight(int value);
    bool ShowCaptions() const { return FShowCaptions; }
    void SetShowCaptions(bool value);
    bool Flat() const { return FFlat; }
    void SetFlat(bool value) { FFlat = value, Invalidate(); }
    bool Wrapable() const { return FWrapable; }
    void SetWrapable(bool value);
    int Indent() const { return FIndent; }
    void SetIndent(int value);
    // Places the buttons left to right, starting a new row after a wrapping button or, when Wrapable,
    // where the next button would pass the bar's width.
    void ArrangeButtons();
    void Notification(TComponent* component, TOperation operation) override;
    void Loaded() override;
    void DumpDetails(std::vector<AnsiString>& lines, const AnsiString& indent) const override;

protected:
    void Paint() override;
    void Resize() override;

private:
    friend class TToolButton;
    void InsertButton(TToolButton* button);
    void RemoveButton(TToolButton* button);
    std::vector<TToolButton*> FButtons;
    TImageList* FImages = nullptr;
    int FButtonWidth = 23;
    int FButtonHeight = 22;
    bool FShowCaptions = false;
    bool FFlat = false;
    bool FWrapable = true;
    int FIndent = 0;
    bool FArranging = false;
};

// ---- list views ----

KVR_ENUM(TViewStyle, vsIcon, vsSmallIcon, vsList, vsReport);

class TListColumn : public TCollectionItem {
    KVR_CLASS(TListColumn, TCollectionItem)
public:
    explicit TListColumn(TCollection* collection) : TCollectionItem(collection) {}
    const AnsiString& Caption() const { return FCaption; }
    void SetCaption(const AnsiString& value) { FCaption = value, Changed(false); }
    int Width() const { return FWidth; }
    void SetWidth(int value) { FWidth = std::max(0, value), Changed(false); }
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment value) { FAlignment = value, Changed(false); }

private:
    AnsiString FCaption;
    int FWidth = 50;
    TAlignment FAlignment = taLeftJustify;
};

class TListView;
class TListColumns : public TCollection {
    KVR_CLASS(TListColumns, TCollection)
public:
    explicit TListColumns(TListView* view = nullptr);
    TListColumn* Add() { return static_cast<TListColumn*>(TCollection::Add()); }
    TListColumn* Items(int index) const { return static_cast<TListColumn*>(TCollection::Items(index)); }
    TPersistent* GetOwner() override;

protected:
    void Update(TCollectionItem* item) override;

private:
    TListView* FView;
};

class TListItem : public TPersistent {
    KVR_CLASS(TListItem, TPersistent)
public:
    explicit TListItem(TListView* owner = nullptr);
    ~TListItem() override;
    const AnsiString& Caption() const { return FCaption; }
    void SetCaption(const AnsiString& value);
    TStrings* SubItems() const { return FSubItems.get(); }
    bool Selected() const { return FSelected; }
    void SetSelected(bool value);
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int value) { FImageIndex = value; }
    void* Data() const { return FData; }
    void SetData(void* value) { FData = value; }
    int Index() const;
    TListView* ListView() const { return FOwner; }

private:
    friend class TListView;
    TListView* FOwner;
    AnsiString FCaption;
    std::unique_ptr<TStringList> FSubItems;
    bool FSelected = false;
    int FImageIndex = -1;
    void* FData = nullptr;
};

class TListItems {
public:
    explicit TListItems(TListView* owner) : FOwner(owner) {}
    ~TListItems() { Clear(); }
    int Count() const { return static_cast<int>(FItems.size()); }
    TListItem* Item(int index) const; // nullptr out of range
    TListItem* Add();
    TListItem* Insert(int index);
    void Delete(int index);
    void Clear();
    int IndexOf(const TListItem* item) const;

private:
    TListView* FOwner;
    std::vector<TListItem*> FItems;
};

KVR_EVENT_TYPE(TLVSelectItemEvent, void(TObject* sender, TListItem* item, bool selected));

class TListView : public TCustomControl {
    KVR_CLASS(TListView, TCustomControl)
public:
    explicit TListView(TComponent* owner);
    ~TListView() override;

    TListColumns* Columns() const { return FColumns.get(); }
    void SetColumns(TListColumns* value) { FColumns->Assign(value); }
    TListItems* Items() const { return FItems.get(); }
    TViewStyle ViewStyle() const { return FViewStyle; }
    void SetViewStyle(TViewStyle value) { FViewStyle = value, Invalidate(); }
    bool MultiSelect() const { return FMultiSelect; }
    void SetMultiSelect(bool value) { FMultiSelect = value; }
    bool RowSelect() const { return FRowSelect; }
    void SetRowSelect(bool value) { FRowSelect = value, Invalidate(); }
    bool GridLines() const { return FGridLines; }
    void SetGridLines(bool value) { FGridLines = value, Invalidate(); }
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool value) { FReadOnly = value; }
    // The first selected item, nullptr when none; setting selects that one alone.
    TListItem* Selected() const;
    void SetSelected(TListItem* item);
    int ItemIndex() const;
    void SetItemIndex(int value);
    int SelCount() const;
    const TLVSelectItemEvent& OnSelectItem() const { return FOnSelectItem; }
    void SetOnSelectItem(const TLVSelectItemEvent& value) { FOnSelectItem = value; }
    // The row rectangle of an item in report style, below the header.
    TRect ItemRect(int index) const;
    int ItemAtPos(int x, int y) const;
    int RowHeight() const;
    void DumpDetails(std::vector<AnsiString>& lines, const AnsiString& indent) const override;
    void ItemChanged(TListItem* item, bool selectionChanged);

protected:
    void Paint() override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void KeyDown(Word& key, TShiftState shift) override;
    void WMGetDlgCode(TMessage& message);
    KVR_MESSAGES(TListView)

private:
    std::unique_ptr<TListColumns> FColumns;
    std::unique_ptr<TListItems> FItems;
    TViewStyle FViewStyle = vsIcon;
    bool FMultiSelect = false;
    bool FRowSelect = false;
    bool FGridLines = false;
    bool FReadOnly = false;
    bool FSelecting = false;
    TLVSelectItemEvent FOnSelectItem;
};
