#include "classlib/controls/extctrls.h"

#include <algorithm>

#include "classlib/graphics/textmetric.h"

// TCustomPanel -------------------------------------------------------------------------------------------

TCustomPanel::TCustomPanel(TComponent* owner) : TCustomControl(owner) {
    FControlStyle.Include(csAcceptsControls);
    FControlStyle.Include(csSetCaption);
    FControlStyle.Include(csOpaque);
    SetBounds(0, 0, 185, 41);
    SetParentColor(false);
    SetColor(clBtnFace);
}

void TCustomPanel::SetBevelInner(TBevelCut value) {
    FBevelInner = value, Realign(), Invalidate();
}
void TCustomPanel::SetBevelOuter(TBevelCut value) {
    FBevelOuter = value, Realign(), Invalidate();
}
void TCustomPanel::SetBevelWidth(int value) {
    FBevelWidth = std::max(1, value), Realign(), Invalidate();
}
void TCustomPanel::SetBorderWidth(int value) {
    FBorderWidth = std::max(0, value), Realign(), Invalidate();
}
void TCustomPanel::SetBorderStyle(TBorderStyle value) {
    FBorderStyle = value, Realign(), Invalidate();
}
void TCustomPanel::SetAlignment(TAlignment value) {
    FAlignment = value, Invalidate();
}

int TCustomPanel::FrameWidth() const {
    int width = FBorderWidth + (FBorderStyle == bsSingle ? 1 : 0);
    if (FBevelOuter != bvNone) width += FBevelWidth;
    if (FBevelInner != bvNone) width += FBevelWidth;
    return width;
}

void TCustomPanel::AdjustClientRect(TRect& rect) {
    int w = FrameWidth();
    rect = {rect.Left + w, rect.Top + w, rect.Right - w, rect.Bottom - w};
}

void TCustomPanel::Paint() {
    TCanvas* canvas = Canvas();
    TRect rect = ClientRect();
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(Color());
    canvas->FillRect(rect);
    if (FBorderStyle == bsSingle) Frame3D(canvas, rect, clWindowFrame, clWindowFrame, 1);
    auto bevel = [&](TBevelCut cut) {
        if (cut == bvNone) return;
        TColor top = cut == bvLowered ? clBtnShadow : clBtnHighlight;
        TColor bottom = cut == bvLowered ? clBtnHighlight : clBtnShadow;
        if (cut == bvSpace) top = bottom = Color();
        Frame3D(canvas, rect, top, bottom, FBevelWidth);
    };
    bevel(FBevelOuter);
    rect = {rect.Left + FBorderWidth, rect.Top + FBorderWidth, rect.Right - FBorderWidth,
            rect.Bottom - FBorderWidth};
    bevel(FBevelInner);
    if (!Caption().empty()) {
        canvas->Font()->Assign(Font());
        if (!IsEnabledInTree()) canvas->Font()->SetColor(clGrayText);
        canvas->Brush()->SetStyle(bsClear);
        unsigned flags = DT_SINGLELINE | DT_VCENTER |
                         (FAlignment == taCenter         ? DT_CENTER
                          : FAlignment == taRightJustify ? DT_RIGHT
                                                         : DT_LEFT);
        DrawText(canvas, Caption(), rect, flags);
        canvas->Brush()->SetStyle(bsSolid);
    }
}

// TBevel -------------------------------------------------------------------------------------------------

TBevel::TBevel(TComponent* owner) : TGraphicControl(owner) {
    SetBounds(0, 0, 50, 50);
}

void TBevel::Paint() {
    TCanvas* canvas = Canvas();
    TRect r = ClientRect();
    TColor a = FStyle == bsLowered ? clBtnShadow : clBtnHighlight;
    TColor b = FStyle == bsLowered ? clBtnHighlight : clBtnShadow;
    auto line = [&](int x1, int y1, int x2, int y2, TColor c) {
        canvas->Pen()->SetColor(c);
        canvas->MoveTo(x1, y1);
        canvas->LineTo(x2, y2);
    };
    switch (FShape) {
    case bsBox: {
        TRect box = r;
        Frame3D(canvas, box, a, b, 1);
        break;
    }
    case bsFrame: {
        TRect outer{r.Left, r.Top, r.Right - 1, r.Bottom - 1};
        Frame3D(canvas, outer, a, a, 1);
        TRect inner{r.Left + 1, r.Top + 1, r.Right, r.Bottom};
        Frame3D(canvas, inner, b, b, 1);
        break;
    }
    case bsTopLine:
        line(r.Left, r.Top, r.Right, r.Top, a), line(r.Left, r.Top + 1, r.Right, r.Top + 1, b);
        break;
    case bsBottomLine:
        line(r.Left, r.Bottom - 2, r.Right, r.Bottom - 2, a),
            line(r.Left, r.Bottom - 1, r.Right, r.Bottom - 1, b);
        break;
    case bsLeftLine:
        line(r.Left, r.Top, r.Left, r.Bottom, a), line(r.Left + 1, r.Top, r.Left + 1, r.Bottom, b);
        break;
    case bsRightLine:
        line(r.Right - 2, r.Top, r.Right - 2, r.Bottom, a),
            line(r.Right - 1, r.Top, r.Right - 1, r.Bottom, b);
        break;
    case bsSpacer:
        break;
    }
}

// TShape -------------------------------------------------------------------------------------------------

TShape::TShape(TComponent* owner) : TGraphicControl(owner), FBrush(new TBrush), FPen(new TPen) {
    SetBounds(0, 0, 65, 65);
    FBrush->SetColor(clWhite);
}

TShape::~TShape() = default;

void TShape::Paint() {
    TCanvas* canvas = Canvas();
    canvas->Brush()->Assign(FBrush.get());
    canvas->Pen()->Assign(FPen.get());
    int w = Width(), h = Height();
    if (FShape == stSquare || FShape == stRoundSquare || FShape == stCircle) w = h = std::min(w, h);
    int x = (Width() - w) / 2, y = (Height() - h) / 2;
    if (FShape == stEllipse || FShape == stCircle)
        canvas->Ellipse(x, y, x + w, y + h);
    else
        canvas->Rectangle(x, y, x + w, y + h);
}

// TImage -------------------------------------------------------------------------------------------------

TImage::TImage(TComponent* owner) : TGraphicControl(owner), FPicture(new TPicture) {
    SetBounds(0, 0, 105, 105);
}

TImage::~TImage() = default;

void TImage::SetPicture(TPicture* value) {
    FPicture->Assign(value);
    if (FAutoSize && FPicture->Width() > 0) SetBounds(Left(), Top(), FPicture->Width(), FPicture->Height());
    Invalidate();
}

TBitmap* TImage::Bitmap() const {
    return FPicture->Bitmap();
}

void TImage::SetAutoSize(bool value) {
    FAutoSize = value;
    if (value && FPicture->Width() > 0) SetBounds(Left(), Top(), FPicture->Width(), FPicture->Height());
}

void TImage::Paint() {
    const TBitmap* bitmap = FPicture->Graphic();
    if (!bitmap || bitmap->Empty()) return;
    TCanvas* canvas = Canvas();
    if (FStretch) {
        canvas->StretchDraw(ClientRect(), bitmap);
        return;
    }
    int x = FCenter ? (Width() - bitmap->Width()) / 2 : 0;
    int y = FCenter ? (Height() - bitmap->Height()) / 2 : 0;
    if (FTransparent) {
        TBitmap copy;
        copy.Assign(const_cast<TBitmap*>(bitmap));
        copy.SetTransparent(true);
        canvas->Draw(x, y, &copy);
    } else {
        canvas->Draw(x, y, bitmap);
    }
}

// TCustomRadioGroup --------------------------------------------------------------------------------------

class TRadioGroupStrings : public TStringList {
    KVR_CLASS(TRadioGroupStrings, TStringList)
public:
    explicit TRadioGroupStrings(TCustomRadioGroup* group = nullptr) : FGroup(group) {}

protected:
    void Changed() override {
        TStringList::Changed();
        if (FGroup) FGroup->ItemsChanged();
    }

private:
    TCustomRadioGroup* FGroup;
};

TCustomRadioGroup::TCustomRadioGroup(TComponent* owner)
    : TCustomGroupBox(owner), FItems(new TRadioGroupStrings(this)) {}

TCustomRadioGroup::~TCustomRadioGroup() {
    FUpdating = true;
    FItems.reset();
}

TStrings* TCustomRadioGroup::Items() const {
    return FItems.get();
}
void TCustomRadioGroup::SetItems(TStrings* value) {
    FItems->Assign(value);
}

TRadioButton* TCustomRadioGroup::Buttons(int index) const {
    return index >= 0 && index < static_cast<int>(FButtons.size()) ? FButtons[static_cast<size_t>(index)]
                                                                   : nullptr;
}

void TCustomRadioGroup::ItemsChanged() {
    if (FUpdating) return;
    // The buttons are the group's own, not the form's: they are made again from the items.
    while (static_cast<int>(FButtons.size()) > FItems->Count()) {
        FButtons.back()->Free();
        FButtons.pop_back();
    }
    while (static_cast<int>(FButtons.size()) < FItems->Count()) {
        auto* button = new TRadioButton(this);
        button->SetParent(this);
        button->SetOnClick(TNotifyEvent(this, &TCustomRadioGroup::ButtonClick));
        FButtons.push_back(button);
    }
    for (int i = 0; i < FItems->Count(); ++i)
        FButtons[static_cast<size_t>(i)]->SetCaption(FItems->Get(i));
    if (FItemIndex >= FItems->Count()) FItemIndex = -1;
    SetItemIndex(FItemIndex);
    ArrangeButtons();
}

void TCustomRadioGroup::SetItemIndex(int value) {
    if (value < -1 || value >= static_cast<int>(FButtons.size())) value = -1;
    FItemIndex = value;
    FUpdating = true;
    for (int i = 0; i < static_cast<int>(FButtons.size()); ++i)
        FButtons[static_cast<size_t>(i)]->SetCheckedValue(i == value);
    FUpdating = false;
}

void TCustomRadioGroup::SetColumns(int value) {
    FColumns = std::clamp(value, 1, 16);
    ArrangeButtons();
}

void TCustomRadioGroup::ButtonClick(TObject* sender) {
    if (FUpdating) return;
    auto it = std::find(FButtons.begin(), FButtons.end(), sender);
    if (it == FButtons.end()) return;
    FItemIndex = static_cast<int>(it - FButtons.begin());
    Click();
}

void TCustomRadioGroup::ArrangeButtons() {
    if (FButtons.empty()) return;
    int top = FontPixelHeight(Font()) + 2;
    int rows = (static_cast<int>(FButtons.size()) + FColumns - 1) / FColumns;
    int width = (Width() - 10) / FColumns;
    int height = std::max(1, (Height() - top - 4) / std::max(1, rows));
    for (int i = 0; i < static_cast<int>(FButtons.size()); ++i) {
        int col = i / rows, row = i % rows;
        FButtons[static_cast<size_t>(i)]->SetBounds(8 + col * width, top + row * height, width,
                                                    std::min(height, 17));
    }
}

void TCustomRadioGroup::Loaded() {
    TCustomGroupBox::Loaded();
    ArrangeButtons();
}

// TScrollBox ---------------------------------------------------------------------------------------------

TScrollBox::TScrollBox(TComponent* owner) : TCustomControl(owner) {
    FControlStyle.Include(csAcceptsControls);
    SetBounds(0, 0, 185, 41);
}

void TScrollBox::Paint() {
    TCanvas* canvas = Canvas();
    TRect rect = ClientRect();
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(Color());
    canvas->FillRect(rect);
    if (FBorderStyle == bsSingle) Frame3D(canvas, rect, clBtnShadow, clBtnHighlight, 1);
}

// Published ----------------------------------------------------------------------------------------------

KVR_PUBLISHED(TCustomPanel, c) {
    c.Property("Alignment", &TCustomPanel::Alignment, &TCustomPanel::SetAlignment).Default(taCenter);
    c.Property("BevelInner", &TCustomPanel::BevelInner, &TCustomPanel::SetBevelInner).Default(bvNone);
    c.Property("BevelOuter", &TCustomPanel::BevelOuter, &TCustomPanel::SetBevelOuter).Default(bvRaised);
    c.Property("BevelWidth", &TCustomPanel::BevelWidth, &TCustomPanel::SetBevelWidth).Default(1);
    c.Property("BorderWidth", &TCustomPanel::BorderWidth, &TCustomPanel::SetBorderWidth).Default(0);
    c.Property("BorderStyle", &TCustomPanel::BorderStyle, &TCustomPanel::SetBorderStyle).Default(bsNone);
}
KVR_PUBLISHED(TPanel, c) {
    (void)c;
}
KVR_PUBLISHED(TBevel, c) {
    c.Property("Shape", &TBevel::Shape, &TBevel::SetShape).Default(bsBox);
    c.Property("Style", &TBevel::Style, &TBevel::SetStyle).Default(bsLowered);
}
KVR_PUBLISHED(TShape, c) {
    c.Property("Brush", &TShape::Brush, &TShape::SetBrush);
    c.Property("Pen", &TShape::Pen, &TShape::SetPen);
    c.Property("Shape", &TShape::Shape, &TShape::SetShape).Default(stRectangle);
}
KVR_PUBLISHED(TImage, c) {
    c.Property("AutoSize", &TImage::AutoSize, &TImage::SetAutoSize).Default(false);
    c.Property("Center", &TImage::Center, &TImage::SetCenter).Default(false);
    c.Property("Picture", &TImage::Picture, &TImage::SetPicture);
    c.Property("Stretch", &TImage::Stretch, &TImage::SetStretch).Default(false);
    c.Property("Transparent", &TImage::Transparent, &TImage::SetTransparent).Default(false);
}
KVR_PUBLISHED(TRadioGroupStrings, c) {
    (void)c;
}
KVR_PUBLISHED(TCustomRadioGroup, c) {
    c.Property("Columns", &TCustomRadioGroup::Columns, &TCustomRadioGroup::SetColumns).Default(1);
    c.Property("Items", &TCustomRadioGroup::Items, &TCustomRadioGroup::SetItems);
    c.Property("ItemIndex", &TCustomRadioGroup::ItemIndex, &TCustomRadioGroup::SetItemIndex).Default(-1);
}
KVR_PUBLISHED(TRadioGroup, c) {
    (void)c;
}
KVR_PUBLISHED(TScrollBox, c) {
    c.Property("BorderStyle", &TScrollBox::BorderStyle, &TScrollBox::SetBorderStyle).Default(bsSingle);
}
