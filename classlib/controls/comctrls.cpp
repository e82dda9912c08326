#include "classlib/controls/comctrls.h"

#include <algorithm>

#include "classlib/graphics/textmetric.h"
#include "classlib/controls/menus.h"
#include "classlib/objects/filer.h"
#include "classlib/rtl/format.h"
#include "classlib/objects/streams.h"

// TImageList ---------------------------------------------------------------------------------------------

TImageList::TImageList(TComponent* owner) : TComponent(owner) {}

TImageList::~TImageList() = default;

void TImageList::SetWidth(int value) {
    if (value < 1 || value == FWidth) return;
    FWidth = value;
    Clear();
}

void TImageList::SetHeight(int value) {
    if (value < 1 || value == FHeight) return;
    FHeight = value;
    Clear();
}

void TImageList::Change() {
    if (FOnChange) FOnChange(this);
}

int TImageList::Add(const TBitmap* image, const TBitmap* mask) {
    if (!image || image->Empty()) return -1;
    int first = Count();
    int pieces = (image->Width() + FWidth - 1) / FWidth;
    for (int p = 0; p < pieces; ++p) {
        TImage item;
        item.Pixels.assign(static_cast<size_t>(FWidth * FHeight), clBlack);
        item.Mask.assign(static_cast<size_t>(FWidth * FHeight), true);
        for (int y = 0; y < FHeight && y < image->Height(); ++y) {
            for (int x = 0; x < FWidth; ++x) {
                int sx = p * FWidth + x;
                if (sx >= image->Width()) break;
                size_t at = static_cast<size_t>(y * FWidth + x);
                item.Pixels[at] = image->Pixel(sx, y);
                bool transparent = mask && !mask->Empty() && sx < mask->Width() && y < mask->Height() &&
                                   ColorToRGB(mask->Pixel(sx, y)) != 0;
                item.Mask[at] = transparent;
            }
        }
        FImages.push_back(std::move(item));
    }
    Change();
    return first;
}

int TImageList::AddMasked(const TBitmap* image, TColor maskColor) {
    if (!image || image->Empty()) return -1;
    TColor key = maskColor == clDefault ? image->Pixel(0, image->Height() - 1) : ColorToRGB(maskColor);
    TBitmap mask;
    mask.SetSize(image->Width(), image->Height());
    for (int y = 0; y < image->Height(); ++y)
        for (int x = 0; x < image->Width(); ++x)
            mask.SetPixel(x, y, ColorToRGB(image->Pixel(x, y)) == ColorToRGB(key) ? clWhite : clBlack);
    return Add(image, &mask);
}

void TImageList::Delete(int index) {
    if (index < 0 || index >= Count()) return;
    FImages.erase(FImages.begin() + index);
    Change();
}

void TImageList::Clear() {
    if (FImages.empty()) return;
    FImages.clear();
    Change();
}

void TImageList::Draw(TCanvas* canvas, int x, int y, int index, bool enabled) const {
    if (!canvas || index < 0 || index >= Count()) return;
    const TImage& image = FImages[static_cast<size_t>(index)];
    for (int py = 0; py < FHeight; ++py)
        for (int px = 0; px < FWidth; ++px) {
            size_t at = static_cast<size_t>(py * FWidth + px);
            if (FMasked && image.Mask[at]) continue;
            canvas->SetPixel(x + px, y + py, enabled ? image.Pixels[at] : ColorToRGB(clBtnShadow));
        }
}

bool TImageList::GetBitmap(int index, TBitmap* image) const {
    if (!image || index < 0 || index >= Count()) return false;
    image->SetSize(FWidth, FHeight);
    TColor back = ColorToRGB(FBkColor == clNone ? clWindow : FBkColor);
    const TImage& item = FImages[static_cast<size_t>(index)];
    for (int py = 0; py < FHeight; ++py)
        for (int px = 0; px < FWidth; ++px) {
            size_t at = static_cast<size_t>(py * FWidth + px);
            image->SetPixel(px, py, item.Mask[at] ? back : item.Pixels[at]);
        }
    return true;
}

bool TImageList::IsTransparent(int index, int x, int y) const {
    if (index < 0 || index >= Count() || x < 0 || y < 0 || x >= FWidth || y >= FHeight) return true;
    return FImages[static_cast<size_t>(index)].Mask[static_cast<size_t>(y * FWidth + x)];
}

// The images are streamed as one strip: a bitmap of the images side by side, transparent pixels in
// olive, the colour no image of the system uses.
void TImageList::DefineProperties(TFiler& filer) {
    TComponent::DefineProperties(filer);
    filer.DefineBinaryProperty(
        "Bitmap", [this](TStream& s) { ReadBitmap(s); }, [this](TStream& s) { WriteBitmap(s); }, Count() > 0);
}

void TImageList::ReadBitmap(TStream& stream) {
    TBitmap strip;
    strip.LoadFromStream(stream);
    FImages.clear();
    AddMasked(&strip, clOlive);
}

void TImageList::WriteBitmap(TStream& stream) const {
    TBitmap strip;
    strip.SetSize(FWidth * Count(), FHeight);
    for (int i = 0; i < Count(); ++i)
        for (int py = 0; py < FHeight; ++py)
            for (int px = 0; px < FWidth; ++px) {
                size_t at = static_cast<size_t>(py * FWidth + px);
                const TImage& item = FImages[static_cast<size_t>(i)];
                strip.SetPixel(i * FWidth + px, py, item.Mask[at] ? clOlive : item.Pixels[at]);
            }
    strip.SaveToStream(stream);
}

KVR_PUBLISHED(TImageList, c) {
    c.Property("Width", &TImageList::Width, &TImageList::SetWidth).Default(16);
    c.Property("Height", &TImageList::Height, &TImageList::SetHeight).Default(16);
    c.Property("Masked", &TImageList::Masked, &TImageList::SetMasked).Default(true);
    c.Property("BkColor", &TImageList::BkColor, &TImageList::SetBkColor).Type("TColor").Default(clNone);
    c.Property("DrawingStyle", &TImageList::DrawingStyle, &TImageList::SetDrawingStyle).Default(dsNormal);
    c.Property("OnChange", &TImageList::OnChange, &TImageList::SetOnChange);
}

// TTabSheet ----------------------------------------------------------------------------------------------

TTabSheet::TTabSheet(TComponent* owner) : TCustomControl(owner) {
    FControlStyle.Include(csAcceptsControls);
    SetVisible(false);
}

TTabSheet::~TTabSheet() {
    if (FPageControl) FPageControl->RemovePage(this);
}

void TTabSheet::SetParent(TWinControl* value) {
    TCustomControl::SetParent(value);
    auto* control = dynamic_cast<TPageControl*>(value);
    if (control == FPageControl) return;
    if (FPageControl) FPageControl->RemovePage(this);
    if (control) control->InsertPage(this);
}

void TTabSheet::SetPageControl(TPageControl* value) {
    SetParent(value);
}

int TTabSheet::PageIndex() const {
    if (!FPageControl) return -1;
    auto& pages = FPageControl->FPages;
    auto it = std::find(pages.begin(), pages.end(), this);
    return it == pages.end() ? -1 : static_cast<int>(it - pages.begin());
}

void TTabSheet::SetPageIndex(int value) {
    if (!FPageControl) return;
    auto& pages = FPageControl->FPages;
    int from = PageIndex();
    value = std::clamp(value, 0, static_cast<int>(pages.size()) - 1);
    pages.erase(pages.begin() + from);
    pages.insert(pages.begin() + value, this);
    FPageControl->Invalidate();
}

void TTabSheet::SetTabVisible(bool value) {
    if (FTabVisible == value) return;
    FTabVisible = value;
    if (FPageControl) FPageControl->Invalidate();
}

int TTabSheet::TabIndex() const {
    if (!FPageControl || !FTabVisible) return -1;
    int index = 0;
    for (TTabSheet* page : FPageControl->FPages) {
        if (page == this) return index;
        if (page->FTabVisible) ++index;
    }
    return -1;
}

void TTabSheet::Paint() {
    Canvas()->Brush()->SetStyle(bsSolid);
    Canvas()->Brush()->SetColor(Color());
    Canvas()->FillRect(ClientRect());
}

// TPageControl -------------------------------------------------------------------------------------------

TPageControl::TPageControl(TComponent* owner) : TCustomControl(owner) {
    SetBounds(0, 0, 289, 193);
    SetTabStop(true);
    FControlStyle.Include(csAcceptsControls);
}

TPageControl::~TPageControl() {
    for (TTabSheet* page : FPages)
        page->FPageControl = nullptr;
}

TTabSheet* TPageControl::Pages(int index) const {
    if (index < 0 || index >= PageCount()) return nullptr;
    return FPages[static_cast<size_t>(index)];
}

void TPageControl::InsertPage(TTabSheet* page) {
    FPages.push_back(page);
    page->FPageControl = this;
    LayoutPages();
    if (!FActivePage && !ComponentState().Contains(csLoading)) SetActivePage(page);
    Invalidate();
}

void TPageControl::RemovePage(TTabSheet* page) {
    auto it = std::find(FPages.begin(), FPages.end(), page);
    if (it == FPages.end()) return;
    TTabSheet* next = page == FActivePage ? FindNextPage(page, true, true) : FActivePage;
    FPages.erase(it);
    page->FPageControl = nullptr;
    if (page == FActivePage) {
        FActivePage = nullptr;
        if (next != page && !ComponentState().Contains(csDestroying)) SetActivePage(next);
    }
    Invalidate();
}

void TPageControl::SetActivePage(TTabSheet* page) {
    if (page && page->FPageControl != this) return;
    if (page == FActivePage) return;
    FActivePage = page;
    for (TTabSheet* p : FPages)
        p->SetVisible(p == page);
    LayoutPages();
    Invalidate();
}

void TPageControl::SetTabIndex(int value) {
    if (TTabSheet* page = PageForTab(value)) SetActivePage(page);
}

TTabSheet* TPageControl::PageForTab(int tabIndex) const {
    if (tabIndex < 0) return nullptr;
    for (TTabSheet* page : FPages) {
        if (!page->FTabVisible) continue;
        if (tabIndex-- == 0) return page;
    }
    return nullptr;
}

int TPageControl::VisibleTabCount() const {
    return static_cast<int>(
        std::count_if(FPages.begin(), FPages.end(), [](TTabSheet* p) { return p->FTabVisible; }));
}

void TPageControl::SetOwnerDraw(bool value) {
    FOwnerDraw = value;
    if (HandleAllocated()) {
        DestroyHandle();
        HandleNeeded();
    }
    Invalidate();
}

void TPageControl::SetTabHeight(int value) {
    FTabHeight = std::max(0, value);
    LayoutPages();
    Invalidate();
}

void TPageControl::SetTabWidth(int value) {
    FTabWidth = std::max(0, value);
    Invalidate();
}

void TPageControl::SetStyle(TTabStyle value) {
    FStyle = value, Invalidate();
}

void TPageControl::SetImages(TImageList* value) {
    FImages = value;
    if (value) value->FreeNotification(this);
}

void TPageControl::Notification(TComponent* component, TOperation operation) {
    TCustomControl::Notification(component, operation);
    if (operation == opRemove && component == FImages) FImages = nullptr;
}

void TPageControl::CreateParams(TCreateParams& params) {
    TCustomControl::CreateParams(params);
    if (FOwnerDraw) params.Style |= TCS_OWNERDRAWFIXED;
}

namespace {
int DefaultTabHeight(const TFont* font) {
    return FontPixelHeight(font) + 6;
}
} // namespace

int TPageControl::TabExtent(int tabIndex) const {
    if (FTabWidth > 0) return FTabWidth;
    TTabSheet* page = PageForTab(tabIndex);
    if (!page) return 0;
    return FontTextExtent(Font(), StripHotkey(page->Caption())).cx + 12;
}

TRect TPageControl::TabRect(int tabIndex) const {
    if (tabIndex < 0 || tabIndex >= VisibleTabCount()) return {};
    int height = FTabHeight > 0 ? FTabHeight : DefaultTabHeight(Font());
    int left = 2;
    for (int i = 0; i < tabIndex; ++i)
        left += TabExtent(i);
    return {left, 2, left + TabExtent(tabIndex), 2 + height};
}

int TPageControl::IndexOfTabAt(int x, int y) const {
    for (int i = 0; i < VisibleTabCount(); ++i) {
        TRect r = TabRect(i);
        if (x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom) return i;
    }
    return -1;
}

void TPageControl::AdjustClientRect(TRect& rect) {
    int height = FTabHeight > 0 ? FTabHeight : DefaultTabHeight(Font());
    rect = {rect.Left + 4, rect.Top + height + 4, rect.Right - 4, rect.Bottom - 4};
}

void TPageControl::LayoutPages() {
    TRect rect = ClientRect();
    AdjustClientRect(rect);
    for (TTabSheet* page : FPages)
        page->SetBounds(rect.Left, rect.Top, rect.Width(), rect.Height());
}

TTabSheet* TPageControl::FindNextPage(TTabSheet* current, bool goForward, bool checkTabVisible) const {
    int count = PageCount();
    if (count == 0) return nullptr;
    auto it = std::find(FPages.begin(), FPages.end(), current);
    int start = it == FPages.end() ? (goForward ? count - 1 : 0) : static_cast<int>(it - FPages.begin());
    int i = start;
    for (int n = 0; n < count; ++n) {
        i = goForward ? (i + 1) % count : (i + count - 1) % count;
        TTabSheet* page = FPages[static_cast<size_t>(i)];
        if (!checkTabVisible || page->FTabVisible) return page;
    }
    return nullptr;
}

void TPageControl::SelectNextPage(bool goForward) {
    TTabSheet* page = FindNextPage(FActivePage, goForward, true);
    if (page && page != FActivePage) ChangeActivePage(page);
}

bool TPageControl::CanChange() {
    bool allow = true;
    if (FOnChanging) FOnChanging(this, allow);
    return allow;
}

void TPageControl::Change() {
    if (FOnChange) FOnChange(this);
}

bool TPageControl::ChangeActivePage(TTabSheet* page) {
    if (!page || page == FActivePage || page->FPageControl != this) return false;
    if (!CanChange()) return false;
    SetActivePage(page);
    Change();
    return true;
}

void TPageControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TCustomControl::MouseDown(button, shift, x, y);
    if (button != mbLeft) return;
    int tab = IndexOfTabAt(x, y);
    if (tab >= 0) {
        if (CanFocus() && !Focused()) SetFocus();
        ChangeActivePage(PageForTab(tab));
    }
}

void TPageControl::KeyDown(Word& key, TShiftState shift) {
    TCustomControl::KeyDown(key, shift);
    if (key == VK_TAB && shift.Contains(ssCtrl)) {
        SelectNextPage(!shift.Contains(ssShift));
        key = 0;
    } else if ((key == VK_LEFT || key == VK_RIGHT) && Focused()) {
        SelectNextPage(key == VK_RIGHT);
        key = 0;
    }
}

void TPageControl::DrawTab(int tabIndex, const TRect& rect, bool active) {
    if (FOwnerDraw && FOnDrawTab) {
        FOnDrawTab(this, tabIndex, rect, active);
        return;
    }
    TCanvas* canvas = Canvas();
    TTabSheet* page = PageForTab(tabIndex);
    TRect r = rect;
    if (!active) r.Top += 2;
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(clBtnFace);
    canvas->FillRect(r);
    if (FStyle == tsTabs || active) {
        canvas->Pen()->SetColor(clBtnHighlight);
        canvas->MoveTo(r.Left, r.Bottom - 1);
        canvas->LineTo(r.Left, r.Top);
        canvas->LineTo(r.Right - 1, r.Top);
        canvas->Pen()->SetColor(cl3DDkShadow);
        canvas->LineTo(r.Right - 1, r.Bottom);
    }
    if (page) {
        canvas->Font()->Assign(Font());
        canvas->Brush()->SetStyle(bsClear);
        DrawText(canvas, page->Caption(), r, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
        canvas->Brush()->SetStyle(bsSolid);
    }
}

void TPageControl::Paint() {
    TCanvas* canvas = Canvas();
    TRect rect = ClientRect();
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(clBtnFace);
    canvas->FillRect(rect);
    int height = FTabHeight > 0 ? FTabHeight : DefaultTabHeight(Font());
    TRect body{0, height + 2, rect.Right, rect.Bottom};
    Frame3D(canvas, body, clBtnHighlight, cl3DDkShadow, 1);
    int active = TabIndex();
    for (int i = 0; i < VisibleTabCount(); ++i) {
        TRect tab = TabRect(i);
        canvas->Font()->Assign(Font());
        canvas->Brush()->SetColor(clBtnFace);
        DrawTab(i, i == active ? TRect{tab.Left - 2, tab.Top - 2, tab.Right + 2, tab.Bottom + 2} : tab,
                i == active);
    }
}

void TPageControl::GetChildren(const TGetChildProc& proc, TComponent* root) {
    for (TTabSheet* page : FPages)
        proc(page);
    (void)root;
}

void TPageControl::Loaded() {
    TCustomControl::Loaded();
    if (!FActivePage && !FPages.empty()) SetActivePage(FPages.front());
    LayoutPages();
}

AnsiString TPageControl::DumpText() const {
    return FActivePage ? FActivePage->Name() : AnsiString();
}

KVR_PUBLISHED(TTabSheet, c) {
    c.Property("ImageIndex", &TTabSheet::ImageIndex, &TTabSheet::SetImageIndex).Default(-1);
    c.Property("PageIndex", &TTabSheet::PageIndex, &TTabSheet::SetPageIndex).Stored(false);
    c.Property("TabVisible", &TTabSheet::TabVisible, &TTabSheet::SetTabVisible).Default(true);
}

KVR_PUBLISHED(TPageControl, c) {
    c.Property("ActivePage", &TPageControl::ActivePage, &TPageControl::SetActivePage);
    c.Property("Images", &TPageControl::Images, &TPageControl::SetImages);
    c.Property("MultiLine", &TPageControl::MultiLine, &TPageControl::SetMultiLine).Default(false);
    c.Property("OwnerDraw", &TPageControl::OwnerDraw, &TPageControl::SetOwnerDraw).Default(false);
    c.Property("Style", &TPageControl::Style, &TPageControl::SetStyle).Default(tsTabs);
    c.Property("TabHeight", &TPageControl::TabHeight, &TPageControl::SetTabHeight).Default(0);
    c.Property("TabPosition", &TPageControl::TabPosition, &TPageControl::SetTabPosition).Default(tpTop);
    c.Property("TabWidth", &TPageControl::TabWidth, &TPageControl::SetTabWidth).Default(0);
    c.Property("OnChange", &TPageControl::OnChange, &TPageControl::SetOnChange);
    c.Property("OnChanging", &TPageControl::OnChanging, &TPageControl::SetOnChanging);
    c.Property("OnDrawTab", &TPageControl::OnDrawTab, &TPageControl::SetOnDrawTab);
}

// TStatusBar ---------------------------------------------------------------------------------------------

void TStatusPanel::SetText(const AnsiString& value) {
    FText = value, Changed(false);
}
void TStatusPanel::SetWidth(int value) {
    FWidth = std::max(0, value), Changed(true);
}
void TStatusPanel::SetAlignment(TAlignment value) {
    FAlignment = value, Changed(false);
}
void TStatusPanel::SetBevel(TStatusPanelBevel value) {
    FBevel = value, Changed(false);
}
void TStatusPanel::SetStyle(TStatusPanelStyle value) {
    FStyle = value, Changed(false);
}

TStatusPanels::TStatusPanels(TStatusBar* bar) : TCollection(TStatusPanel::StaticClass()), FBar(bar) {}

TPersistent* TStatusPanels::GetOwner() {
    return FBar;
}

void TStatusPanels::Update(TCollectionItem*) {
    if (FBar) FBar->Invalidate();
}

TStatusBar::TStatusBar(TComponent* owner) : TCustomControl(owner), FPanels(new TStatusPanels(this)) {
    SetBounds(0, 0, 200, 19);
    SetAlign(alBottom);
    SetParentColor(false);
    SetColor(clBtnFace);
}

TStatusBar::~TStatusBar() = default;

void TStatusBar::SetSimplePanel(bool value) {
    FSimplePanel = value, Invalidate();
}
void TStatusBar::SetSimpleText(const AnsiString& value) {
    FSimpleText = value, Invalidate();
}

TRect TStatusBar::PanelRect(int index) const {
    if (index < 0 || index >= FPanels->Count()) return {};
    int left = 0;
    for (int i = 0; i < index; ++i)
        left += FPanels->Items(i)->Width() + 2;
    int right = index == FPanels->Count() - 1 ? Width() : left + FPanels->Items(index)->Width();
    return {left, 2, std::max(left, right), Height()};
}

AnsiString TStatusBar::DumpText() const {
    if (FSimplePanel) return FSimpleText;
    AnsiString text;
    for (int i = 0; i < FPanels->Count(); ++i)
        text += (i ? " | " : "") + FPanels->Items(i)->Text();
    return text;
}

void TStatusBar::Paint() {
    TCanvas* canvas = Canvas();
    TRect rect = ClientRect();
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(Color());
    canvas->FillRect(rect);
    canvas->Font()->Assign(Font());
    auto drawText = [&](TRect r, const AnsiString& text, TAlignment alignment) {
        canvas->Brush()->SetStyle(bsClear);
        r = {r.Left + 2, r.Top, r.Right - 2, r.Bottom};
        DrawText(canvas, text, r,
                 DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX |
                     (alignment == taCenter         ? DT_CENTER
                      : alignment == taRightJustify ? DT_RIGHT
                                                    : DT_LEFT));
        canvas->Brush()->SetStyle(bsSolid);
    };
    if (FSimplePanel) {
        TRect r{0, 2, rect.Right, rect.Bottom};
        Frame3D(canvas, r, clBtnShadow, clBtnHighlight, 1);
        drawText(r, FSimpleText, taLeftJustify);
        return;
    }
    for (int i = 0; i < FPanels->Count(); ++i) {
        TStatusPanel* panel = FPanels->Items(i);
        TRect r = PanelRect(i);
        if (panel->Bevel() != pbNone) {
            TRect frame = r;
            Frame3D(canvas, frame, panel->Bevel() == pbLowered ? clBtnShadow : clBtnHighlight,
                    panel->Bevel() == pbLowered ? clBtnHighlight : clBtnShadow, 1);
        }
        if (panel->Style() == psOwnerDraw && FOnDrawPanel)
            FOnDrawPanel(this, panel, r);
        else
            drawText(r, panel->Text(), panel->Alignment());
    }
}

// TProgressBar and TGauge --------------------------------------------------------------------------------

TProgressBar::TProgressBar(TComponent* owner) : TCustomControl(owner) {
    SetBounds(0, 0, 150, 16);
}

void TProgressBar::SetMin(int value) {
    FMin = value;
    if (FMax < FMin) FMax = FMin;
    SetPosition(FPosition);
}

void TProgressBar::SetMax(int value) {
    FMax = value;
    if (FMin > FMax) FMin = FMax;
    SetPosition(FPosition);
}

void TProgressBar::SetPosition(int value) {
    FPosition = std::clamp(value, FMin, FMax);
    Invalidate();
}

int TProgressBar::FilledWidth() const {
    if (FMax == FMin) return 0;
    return static_cast<int>(static_cast<long long>(Width() - 4) * (FPosition - FMin) / (FMax - FMin));
}

void TProgressBar::Paint() {
    TCanvas* canvas = Canvas();
    TRect rect = ClientRect();
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(clBtnFace);
    canvas->FillRect(rect);
    TRect frame = rect;
    Frame3D(canvas, frame, clBtnShadow, clBtnHighlight, 1);
    canvas->Brush()->SetColor(clHighlight);
    canvas->FillRect({2, 2, 2 + FilledWidth(), rect.Bottom - 2});
}

TGauge::TGauge(TComponent* owner) : TGraphicControl(owner) {
    SetBounds(0, 0, 100, 100);
}

void TGauge::SetMinValue(int value) {
    FMinValue = value;
    if (FMaxValue < FMinValue) FMaxValue = FMinValue;
    SetProgress(FProgress);
}

void TGauge::SetMaxValue(int value) {
    FMaxValue = value;
    if (FMinValue > FMaxValue) FMinValue = FMaxValue;
    SetProgress(FProgress);
}

void TGauge::SetProgress(int value) {
    FProgress = std::clamp(value, FMinValue, FMaxValue);
    Invalidate();
}

int TGauge::PercentDone() const {
    if (FMaxValue == FMinValue) return 0;
    return static_cast<int>(100LL * (FProgress - FMinValue) / (FMaxValue - FMinValue));
}

void TGauge::Paint() {
    TCanvas* canvas = Canvas();
    TRect rect = ClientRect();
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(FBackColor);
    canvas->FillRect(rect);
    canvas->Brush()->SetColor(FForeColor);
    if (FKind == gkVerticalBar) {
        int h = rect.Height() * PercentDone() / 100;
        canvas->FillRect({0, rect.Bottom - h, rect.Right, rect.Bottom});
    } else if (FKind != gkText) {
        canvas->FillRect({0, 0, rect.Width() * PercentDone() / 100, rect.Bottom});
    }
    if (FShowText) {
        canvas->Font()->Assign(Font());
        canvas->Brush()->SetStyle(bsClear);
        DrawText(canvas, IntToStr(PercentDone()) + "%", rect, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
        canvas->Brush()->SetStyle(bsSolid);
    }
}

KVR_PUBLISHED(TStatusPanel, c) {
    c.Property("Alignment", &TStatusPanel::Alignment, &TStatusPanel::SetAlignment).Default(taLeftJustify);
    c.Property("Bevel", &TStatusPanel::Bevel, &TStatusPanel::SetBevel).Default(pbLowered);
    c.Property("Style", &TStatusPanel::Style, &TStatusPanel::SetStyle).Default(psText);
    c.Property("Text", &TStatusPanel::Text, &TStatusPanel::SetText);
    c.Property("Width", &TStatusPanel::Width, &TStatusPanel::SetWidth).Default(50);
}
KVR_PUBLISHED(TStatusPanels, c) {
    (void)c;
}
KVR_PUBLISHED(TStatusBar, c) {
    c.Property("Panels", &TStatusBar::Panels, &TStatusBar::SetPanels);
    c.Property("SimplePanel", &TStatusBar::SimplePanel, &TStatusBar::SetSimplePanel).Default(false);
    c.Property("SimpleText", &TStatusBar::SimpleText, &TStatusBar::SetSimpleText);
    c.Property("SizeGrip", &TStatusBar::SizeGrip, &TStatusBar::SetSizeGrip).Default(true);
    c.Property("OnDrawPanel", &TStatusBar::OnDrawPanel, &TStatusBar::SetOnDrawPanel);
}
KVR_PUBLISHED(TProgressBar, c) {
    c.Property("Min", &TProgressBar::Min, &TProgressBar::SetMin).Default(0);
    c.Property("Max", &TProgressBar::Max, &TProgressBar::SetMax).Default(100);
    c.Property("Position", &TProgressBar::Position, &TProgressBar::SetPosition).Default(0);
    c.Property("Step", &TProgressBar::Step, &TProgressBar::SetStep).Default(10);
}
KVR_PUBLISHED(TGauge, c) {
    c.Property("BackColor", &TGauge::BackColor, &TGauge::SetBackColor).Type("TColor").Default(clWhite);
    c.Property("ForeColor", &TGauge::ForeColor, &TGauge::SetForeColor).Type("TColor").Default(clBlack);
    c.Property("Kind", &TGauge::Kind, &TGauge::SetKind).Default(gkHorizontalBar);
    c.Property("MaxValue", &TGauge::MaxValue, &TGauge::SetMaxValue).Default(100);
    c.Property("MinValue", &TGauge::MinValue, &TGauge::SetMinValue).Default(0);
    c.Property("Progress", &TGauge::Progress, &TGauge::SetProgress).Default(0);
    c.Property("ShowText", &TGauge::ShowText, &TGauge::SetShowText).Default(true);
}

// TToolButton --------------------------------------------------------------------------------------------

TToolButton::TToolButton(TComponent* owner) : TGraphicControl(owner) {
    SetBounds(0, 0, 23, 22);
    FControlStyle.Exclude(csClickEvents); // MouseUp clicks once, by kind
}

TToolButton::~TToolButton() {
    if (TToolBar* bar = ToolBar()) bar->RemoveButton(this);
}

TToolBar* TToolButton::ToolBar() const {
    return dynamic_cast<TToolBar*>(Parent());
}

int TToolButton::Index() const {
    TToolBar* bar = ToolBar();
    if (!bar) return -1;
    auto it = std::find(bar->FButtons.begin(), bar->FButtons.end(), this);
    return it == bar->FButtons.end() ? -1 : static_cast<int>(it - bar->FButtons.begin());
}

void TToolButton::SetParent(TWinControl* value) {
    if (TToolBar* old = ToolBar()) old->RemoveButton(this);
    TGraphicControl::SetParent(value);
    if (TToolBar* bar = ToolBar()) bar->InsertButton(this);
}

void TToolButton::SetStyle(TToolButtonStyle value) {
    FStyle = value;
    if (TToolBar* bar = ToolBar()) bar->ArrangeButtons();
    Invalidate();
}

void TToolButton::SetWrap(bool value) {
    FWrap = value;
    if (TToolBar* bar = ToolBar()) bar->ArrangeButtons();
}

void TToolButton::SetDropdownMenu(TPopupMenu* value) {
    FDropdownMenu = value;
    if (value) value->FreeNotification(this);
}

void TToolButton::Notification(TComponent* component, TOperation operation) {
    TGraphicControl::Notification(component, operation);
    if (operation == opRemove && component == FDropdownMenu) FDropdownMenu = nullptr;
}

void TToolButton::SetDown(bool value) {
    if (value == FDown) return;
    if (!value && FGrouped && !FAllowAllUp) return;
    FDown = value;
    if (value && FGrouped) {
        // The group: the grouped check buttons next to this one, up to a button of another kind.
        TToolBar* bar = ToolBar();
        int index = Index();
        if (bar && index >= 0) {
            for (int step : {-1, 1})
                for (int i = index + step; i >= 0 && i < bar->ButtonCount(); i += step) {
                    TToolButton* other = bar->Buttons(i);
                    if (other->FStyle != tbsCheck || !other->FGrouped) break;
                    other->FDown = false;
                    other->Invalidate();
                }
        }
    }
    Invalidate();
}

bool TToolButton::CheckMenuDropdown() {
    if (!FDropdownMenu) return false;
    TPoint at = ClientToScreen({0, Height()});
    FDropdownMenu->SetPopupComponent(this);
    FDropdownMenu->Popup(at.X, at.Y);
    return true;
}

void TToolButton::Click() {
    if (FStyle == tbsSeparator || FStyle == tbsDivider) return;
    if (FStyle == tbsCheck) SetDown(!FDown || (FGrouped && !FAllowAllUp));
    TGraphicControl::Click();
}

void TToolButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    TGraphicControl::MouseUp(button, shift, x, y);
    if (button != mbLeft || x < 0 || y < 0 || x >= Width() || y >= Height() || !IsEnabledInTree()) return;
    // The arrow part of a drop-down button opens its menu; the rest clicks.
    if (FStyle == tbsDropDown && x >= Width() - 12 && CheckMenuDropdown()) return;
    Click();
}

void TToolButton::Paint() {
    TCanvas* canvas = Canvas();
    TRect rect = ClientRect();
    TToolBar* bar = ToolBar();
    if (FStyle == tbsSeparator) return;
    if (FStyle == tbsDivider) {
        int x = rect.Width() / 2;
        canvas->Pen()->SetColor(clBtnShadow);
        canvas->MoveTo(x - 1, 0);
        canvas->LineTo(x - 1, rect.Bottom);
        canvas->Pen()->SetColor(clBtnHighlight);
        canvas->MoveTo(x, 0);
        canvas->LineTo(x, rect.Bottom);
        return;
    }
    bool flat = bar && bar->Flat();
    if (FDown) {
        TRect r = rect;
        Frame3D(canvas, r, clBtnShadow, clBtnHighlight, 1);
    } else if (!flat) {
        TRect r = rect;
        Frame3D(canvas, r, clBtnHighlight, clBtnShadow, 1);
    }
    int right = FStyle == tbsDropDown ? rect.Right - 12 : rect.Right;
    TImageList* images = bar ? bar->Images() : nullptr;
    bool captions = bar && bar->ShowCaptions();
    if (images && FImageIndex >= 0) {
        int x = (right - images->Width()) / 2;
        int y = captions ? 3 : (rect.Height() - images->Height()) / 2;
        images->Draw(canvas, x + (FDown ? 1 : 0), y + (FDown ? 1 : 0), FImageIndex, IsEnabledInTree());
    }
    if (captions && !Caption().empty()) {
        canvas->Font()->Assign(Font());
        if (!IsEnabledInTree()) canvas->Font()->SetColor(clGrayText);
        canvas->Brush()->SetStyle(bsClear);
        TRect text{0, images ? images->Height() + 3 : 0, right, rect.Bottom};
        DrawText(canvas, Caption(), text, DT_SINGLELINE | DT_CENTER | (images ? DT_TOP : DT_VCENTER));
        canvas->Brush()->SetStyle(bsSolid);
    }
    if (FStyle == tbsDropDown) {
        canvas->Brush()->SetColor(clBtnText);
        canvas->Pen()->SetColor(clBtnText);
        int cx = rect.Right - 6, cy = rect.Height() / 2;
        canvas->Polygon({TPoint{cx - 3, cy - 1}, TPoint{cx + 3, cy - 1}, TPoint{cx, cy + 2}});
    }
}

// TToolBar -----------------------------------------------------------------------------------------------

TToolBar::TToolBar(TComponent* owner) : TCustomControl(owner) {
    FControlStyle.Include(csAcceptsControls);
    SetBounds(0, 0, 150, 29);
    SetAlign(alTop);
    SetParentColor(false);
    SetColor(clBtnFace);
}

// The buttons outlive the bar only as plain controls: they no longer find it as a tool bar.
TToolBar::~TToolBar() {
    FButtons.clear();
}

TToolButton* TToolBar::Buttons(int index) const {
    return index >= 0 && index < ButtonCount() ? FButtons[static_cast<size_t>(index)] : nullptr;
}

void TToolBar::InsertButton(TToolButton* button) {
    FButtons.push_back(button);
    ArrangeButtons();
}

void TToolBar::RemoveButton(TToolButton* button) {
    auto it = std::find(FButtons.begin(), FButtons.end(), button);
    if (it == FButtons.end()) return;
    FButtons.erase(it);
    if (!ComponentState().Contains(csDestroying)) ArrangeButtons();
}

void TToolBar::SetImages(TImageList* value) {
    FImages = value;
    if (value) value->FreeNotification(this);
    Invalidate();
}

void TToolBar::Notification(TComponent* component, TOperation operation) {
    TCustomControl::Notification(component, operation);
    if (operation == opRemove && component == FImages) FImages = nullptr;
}

void TToolBar::SetButtonWidth(int value) {
    FButtonWidth = std::max(1, value), ArrangeButtons();
}
void TToolBar::SetButtonHeight(int value) {
    FButtonHeight = std::max(1, value), ArrangeButtons();
}
void TToolBar::SetShowCaptions(bool value) {
    FShowCaptions = value, ArrangeButtons();
}
void TToolBar::SetWrapable(bool value) {
    FWrapable = value, ArrangeButtons();
}
void TToolBar::SetIndent(int value) {
    FIndent = std::max(0, value), ArrangeButtons();
}

void TToolBar::Loaded() {
    TCustomControl::Loaded();
    ArrangeButtons();
}

void TToolBar::ArrangeButtons() {
    if (FArranging || ComponentState().Contains(csLoading)) return;
    FArranging = true;
    int x = FIndent, y = 0;
    for (TToolButton* button : FButtons) {
        if (!button->Visible()) continue;
        int width = FButtonWidth;
        if (button->Style() == tbsSeparator || button->Style() == tbsDivider)
            width = 8;
        else if (button->Style() == tbsDropDown)
            width = FButtonWidth + 12;
        if (FWrapable && x > FIndent && x + width > ClientWidth()) {
            x = FIndent;
            y += FButtonHeight;
        }
        button->SetBounds(x, y, width, FButtonHeight);
        x += width;
        if (button->Wrap()) {
            x = FIndent;
            y += FButtonHeight;
        }
    }
    FArranging = false;
    Invalidate();
}

void TToolBar::Resize() {
    TCustomControl::Resize();
    ArrangeButtons();
}

void TToolBar::Paint() {
    TCanvas* canvas = Canvas();
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(Color());
    canvas->FillRect(ClientRect());
}

void TToolBar::DumpDetails(std::vector<AnsiString>&, const AnsiString&) const {}

// TListView ----------------------------------------------------------------------------------------------

TListColumns::TListColumns(TListView* view) : TCollection(TListColumn::StaticClass()), FView(view) {}
TPersistent* TListColumns::GetOwner() {
    return FView;
}
void TListColumns::Update(TCollectionItem*) {
    if (FView) FView->Invalidate();
}

TListItem::TListItem(TListView* owner) : FOwner(owner), FSubItems(new TStringList) {}
TListItem::~TListItem() = default;

void TListItem::SetCaption(const AnsiString& value) {
    FCaption = value;
    if (FOwner) FOwner->ItemChanged(this, false);
}

void TListItem::SetSelected(bool value) {
    if (FSelected == value) return;
    FSelected = value;
    if (FOwner) FOwner->ItemChanged(this, true);
}

int TListItem::Index() const {
    return FOwner ? FOwner->Items()->IndexOf(this) : -1;
}

TListItem* TListItems::Item(int index) const {
    return index >= 0 && index < Count() ? FItems[static_cast<size_t>(index)] : nullptr;
}

TListItem* TListItems::Add() {
    return Insert(Count());
}

TListItem* TListItems::Insert(int index) {
    index = std::clamp(index, 0, Count());
    auto* item = new TListItem(FOwner);
    FItems.insert(FItems.begin() + index, item);
    if (FOwner) FOwner->Invalidate();
    return item;
}

void TListItems::Delete(int index) {
    TListItem* item = Item(index);
    if (!item) return;
    FItems.erase(FItems.begin() + index);
    delete item;
    if (FOwner) FOwner->Invalidate();
}

void TListItems::Clear() {
    for (TListItem* item : FItems)
        delete item;
    FItems.clear();
    if (FOwner) FOwner->Invalidate();
}

int TListItems::IndexOf(const TListItem* item) const {
    auto it = std::find(FItems.begin(), FItems.end(), item);
    return it == FItems.end() ? -1 : static_cast<int>(it - FItems.begin());
}

TListView::TListView(TComponent* owner)
    : TCustomControl(owner), FColumns(new TListColumns(this)), FItems(new TListItems(this)) {
    SetBounds(0, 0, 250, 150);
    SetTabStop(true);
    SetParentColor(false);
    SetColor(clWindow);
}

TListView::~TListView() {
    FSelecting = true;
    FItems.reset();
}

void TListView::ItemChanged(TListItem* item, bool selectionChanged) {
    Invalidate();
    if (!selectionChanged || FSelecting) return;
    if (item->FSelected && !FMultiSelect) {
        FSelecting = true;
        for (int i = 0; i < FItems->Count(); ++i) {
            TListItem* other = FItems->Item(i);
            if (other != item && other->FSelected) {
                other->FSelected = false;
                if (FOnSelectItem) FOnSelectItem(this, other, false);
            }
        }
        FSelecting = false;
    }
    if (FOnSelectItem) FOnSelectItem(this, item, item->FSelected);
}

TListItem* TListView::Selected() const {
    for (int i = 0; i < FItems->Count(); ++i)
        if (FItems->Item(i)->Selected()) return FItems->Item(i);
    return nullptr;
}

void TListView::SetSelected(TListItem* item) {
    if (!item) {
        for (int i = 0; i < FItems->Count(); ++i)
            FItems->Item(i)->SetSelected(false);
        return;
    }
    if (FMultiSelect)
        for (int i = 0; i < FItems->Count(); ++i)
            if (FItems->Item(i) != item) FItems->Item(i)->SetSelected(false);
    item->SetSelected(true);
}

int TListView::ItemIndex() const {
    TListItem* item = Selected();
    return item ? item->Index() : -1;
}

void TListView::SetItemIndex(int value) {
    SetSelected(FItems->Item(value));
}

int TListView::SelCount() const {
    int count = 0;
    for (int i = 0; i < FItems->Count(); ++i)
        count += FItems->Item(i)->Selected() ? 1 : 0;
    return count;
}

int TListView::RowHeight() const {
    return FontPixelHeight(Font()) + 4;
}

TRect TListView::ItemRect(int index) const {
    if (index < 0 || index >= FItems->Count()) return {};
    int top = 2 + (FViewStyle == vsReport ? RowHeight() + 2 : 0) + index * RowHeight();
    return {2, top, Width() - 2, top + RowHeight()};
}

int TListView::ItemAtPos(int x, int y) const {
    for (int i = 0; i < FItems->Count(); ++i) {
        TRect r = ItemRect(i);
        if (x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom) return i;
    }
    return -1;
}

void TListView::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TCustomControl::MouseDown(button, shift, x, y);
    if (button != mbLeft) return;
    if (CanFocus() && !Focused()) {
        HandleNeeded();
        SetFocus();
    }
    int index = ItemAtPos(x, y);
    if (index < 0) return;
    if (FMultiSelect && shift.Contains(ssCtrl))
        FItems->Item(index)->SetSelected(!FItems->Item(index)->Selected());
    else
        SetSelected(FItems->Item(index));
}

void TListView::KeyDown(Word& key, TShiftState shift) {
    TCustomControl::KeyDown(key, shift);
    if (FItems->Count() == 0) return;
    int index = ItemIndex();
    if (key == VK_DOWN)
        index = std::min(FItems->Count() - 1, index + 1);
    else if (key == VK_UP)
        index = std::max(0, index - 1);
    else if (key == VK_HOME)
        index = 0;
    else if (key == VK_END)
        index = FItems->Count() - 1;
    else
        return;
    SetItemIndex(index);
    key = 0;
}

void TListView::WMGetDlgCode(TMessage& message) {
    message.Result = DLGC_WANTARROWS;
}

KVR_MESSAGE_MAP(TListView, m) {
    m.Handle(WM_GETDLGCODE, &TListView::WMGetDlgCode);
}

void TListView::Paint() {
    TCanvas* canvas = Canvas();
    TRect rect = ClientRect();
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(Color());
    canvas->FillRect(rect);
    TRect frame = rect;
    Frame3D(canvas, frame, clBtnShadow, clBtnHighlight, 1);
    canvas->Font()->Assign(Font());
    int h = RowHeight();
    auto columnLeft = [this](int c) {
        int x = 2;
        for (int i = 0; i < c; ++i)
            x += FColumns->Items(i)->Width();
        return x;
    };
    if (FViewStyle == vsReport) {
        for (int c = 0; c < FColumns->Count(); ++c) {
            TRect head{columnLeft(c), 2, columnLeft(c) + FColumns->Items(c)->Width(), 2 + h + 2};
            canvas->Brush()->SetColor(clBtnFace);
            canvas->FillRect(head);
            TRect edge = head;
            Frame3D(canvas, edge, clBtnHighlight, clBtnShadow, 1);
            canvas->Brush()->SetStyle(bsClear);
            DrawText(canvas, FColumns->Items(c)->Caption(), edge, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
            canvas->Brush()->SetStyle(bsSolid);
        }
    }
    for (int i = 0; i < FItems->Count(); ++i) {
        TListItem* item = FItems->Item(i);
        TRect row = ItemRect(i);
        if (row.Top >= rect.Bottom) break;
        int columns = FViewStyle == vsReport ? std::max(1, FColumns->Count()) : 1;
        for (int c = 0; c < columns; ++c) {
            int left = FViewStyle == vsReport && FColumns->Count() ? columnLeft(c) : row.Left;
            int right =
                FViewStyle == vsReport && FColumns->Count() ? left + FColumns->Items(c)->Width() : row.Right;
            TRect cell{left, row.Top, right, row.Bottom};
            bool highlight = item->Selected() && (c == 0 || FRowSelect);
            canvas->Brush()->SetColor(highlight ? clHighlight : Color());
            canvas->FillRect(cell);
            canvas->Font()->SetColor(highlight ? clHighlightText : Font()->Color());
            AnsiString text = c == 0                              ? item->Caption()
                              : c - 1 < item->SubItems()->Count() ? item->SubItems()->Get(c - 1)
                                                                  : AnsiString();
            canvas->Brush()->SetStyle(bsClear);
            TRect t{cell.Left + 2, cell.Top, cell.Right - 2, cell.Bottom};
            TAlignment a =
                FViewStyle == vsReport && FColumns->Count() ? FColumns->Items(c)->Alignment() : taLeftJustify;
            DrawText(canvas, text, t,
                     DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX |
                         (a == taRightJustify ? DT_RIGHT
                          : a == taCenter     ? DT_CENTER
                                              : DT_LEFT));
            canvas->Brush()->SetStyle(bsSolid);
        }
    }
}

void TListView::DumpDetails(std::vector<AnsiString>& lines, const AnsiString& indent) const {
    for (int i = 0; i < FItems->Count(); ++i) {
        TListItem* item = FItems->Item(i);
        AnsiString line = indent + (item->Selected() ? "* " : "  ") + item->Caption();
        for (int s = 0; s < item->SubItems()->Count(); ++s)
            line += " | " + item->SubItems()->Get(s);
        lines.push_back(line);
    }
}

KVR_PUBLISHED(TToolButton, c) {
    c.Property("AllowAllUp", &TToolButton::AllowAllUp, &TToolButton::SetAllowAllUp).Default(false);
    c.Property("Down", &TToolButton::Down, &TToolButton::SetDown).Default(false);
    c.Property("DropdownMenu", &TToolButton::DropdownMenu, &TToolButton::SetDropdownMenu);
    c.Property("Grouped", &TToolButton::Grouped, &TToolButton::SetGrouped).Default(false);
    c.Property("ImageIndex", &TToolButton::ImageIndex, &TToolButton::SetImageIndex).Default(-1);
    c.Property("Style", &TToolButton::Style, &TToolButton::SetStyle).Default(tbsButton);
    c.Property("Wrap", &TToolButton::Wrap, &TToolButton::SetWrap).Default(false);
}
KVR_PUBLISHED(TToolBar, c) {
    c.Property("ButtonHeight", &TToolBar::ButtonHeight, &TToolBar::SetButtonHeight).Default(22);
    c.Property("ButtonWidth", &TToolBar::ButtonWidth, &TToolBar::SetButtonWidth).Default(23);
    c.Property("Flat", &TToolBar::Flat, &TToolBar::SetFlat).Default(false);
    c.Property("Images", &TToolBar::Images, &TToolBar::SetImages);
    c.Property("Indent", &TToolBar::Indent, &TToolBar::SetIndent).Default(0);
    c.Property("ShowCaptions", &TToolBar::ShowCaptions, &TToolBar::SetShowCaptions).Default(false);
    c.Property("Wrapable", &TToolBar::Wrapable, &TToolBar::SetWrapable).Default(true);
}
KVR_PUBLISHED(TListColumn, c) {
    c.Property("Alignment", &TListColumn::Alignment, &TListColumn::SetAlignment).Default(taLeftJustify);
    c.Property("Caption", &TListColumn::Caption, &TListColumn::SetCaption);
    c.Property("Width", &TListColumn::Width, &TListColumn::SetWidth).Default(50);
}
KVR_PUBLISHED(TListColumns, c) {
    (void)c;
}
KVR_PUBLISHED(TListItem, c) {
    (void)c;
}
KVR_PUBLISHED(TListView, c) {
    c.Property("Columns", &TListView::Columns, &TListView::SetColumns);
    c.Property("GridLines", &TListView::GridLines, &TListView::SetGridLines).Default(false);
    c.Property("MultiSelect", &TListView::MultiSelect, &TListView::SetMultiSelect).Default(false);
    c.Property("ReadOnly", &TListView::ReadOnly, &TListView::SetReadOnly).Default(false);
    c.Property("RowSelect", &TListView::RowSelect, &TListView::SetRowSelect).Default(false);
    c.Property("ViewStyle", &TListView::ViewStyle, &TListView::SetViewStyle).Default(vsIcon);
    c.Property("OnSelectItem", &TListView::OnSelectItem, &TListView::SetOnSelectItem);
}
