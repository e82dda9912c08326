#include "classlib/controls/buttons.h"

#include <algorithm>

#include "classlib/controls/forms.h"

void LayoutGlyphAndCaption(TCanvas* canvas, const TRect& rect, int glyphWidth, int glyphHeight,
                           const AnsiString& caption, TButtonLayout layout, int margin, int spacing,
                           TPoint& glyphPos, TRect& textRect) {
    TRect calc{0, 0, rect.Width(), 0};
    if (!caption.empty()) DrawText(canvas, caption, calc, DT_SINGLELINE | DT_CALCRECT);
    int textW = caption.empty() ? 0 : calc.Width(), textH = caption.empty() ? 0 : calc.Height();
    if (glyphWidth == 0 || textW == 0) spacing = 0;
    bool horizontal = layout == blGlyphLeft || layout == blGlyphRight;
    int total = horizontal ? rect.Width() : rect.Height();
    int content = horizontal ? glyphWidth + spacing + textW : glyphHeight + spacing + textH;
    if (margin < 0) margin = (total - content) / 2;
    int cx = rect.Left + (rect.Width() - glyphWidth) / 2, cy = rect.Top + (rect.Height() - glyphHeight) / 2;
    int tx = rect.Left + (rect.Width() - textW) / 2, ty = rect.Top + (rect.Height() - textH) / 2;
    switch (layout) {
    case blGlyphLeft:
        cx = rect.Left + margin;
        tx = cx + glyphWidth + spacing;
        break;
    case blGlyphRight:
        cx = rect.Right - margin - glyphWidth;
        tx = cx - spacing - textW;
        break;
    case blGlyphTop:
        cy = rect.Top + margin;
        ty = cy + glyphHeight + spacing;
        break;
    case blGlyphBottom:
        cy = rect.Bottom - margin - glyphHeight;
        ty = cy - spacing - textH;
        break;
    }
    glyphPos = {cx, cy};
    textRect = {tx, ty, tx + textW, ty + textH};
}

void DrawGlyphFrame(TCanvas* canvas, const TBitmap* glyph, int numGlyphs, int frame, int x, int y) {
    if (!canvas || !glyph || glyph->Empty() || numGlyphs < 1 || frame < 0 || frame >= numGlyphs) return;
    int w = glyph->Width() / numGlyphs, h = glyph->Height();
    if (w <= 0) return;
    TColor key = glyph->Pixel(0, h - 1);
    for (int py = 0; py < h; ++py)
        for (int px = 0; px < w; ++px) {
            TColor c = glyph->Pixel(frame * w + px, py);
            if (c != key) canvas->SetPixel(x + px, y + py, c);
        }
}

TSpeedButton::TSpeedButton(TComponent* owner) : TGraphicControl(owner), FGlyph(new TBitmap) {
    SetBounds(0, 0, 23, 22);
    FControlStyle.Include(csCaptureMouse);
    FControlStyle.Include(csDoubleClicks);
    FControlStyle.Exclude(csClickEvents); // MouseUp clicks, once
    FGlyph->SetOnChange(TNotifyEvent(this, &TSpeedButton::GlyphChanged));
}

TSpeedButton::~TSpeedButton() = default;

void TSpeedButton::GlyphChanged(TObject*) {
    if (!FGlyph->Empty() && FGlyph->Height() > 0) {
        int frames = FGlyph->Width() / FGlyph->Height();
        if (frames >= 1 && frames <= 4 && FGlyph->Width() % FGlyph->Height() == 0) FNumGlyphs = frames;
    }
    Invalidate();
}

void TSpeedButton::SetGlyph(TBitmap* value) {
    if (value)
        FGlyph->Assign(value);
    else
        FGlyph->SetSize(0, 0);
    Invalidate();
}

void TSpeedButton::SetNumGlyphs(TNumGlyphs value) {
    FNumGlyphs = std::clamp(value, 1, 4);
    Invalidate();
}

void TSpeedButton::SetFlat(bool value) {
    FFlat = value, Invalidate();
}

void TSpeedButton::SetGroupIndex(int value) {
    FGroupIndex = value;
    if (value == 0) FDown = false;
    Invalidate();
}

void TSpeedButton::SetDown(bool value) {
    if (FGroupIndex == 0) value = false;
    if (value == FDown) return;
    if (FDown && !value && !FAllowAllUp) return;
    FDown = value;
    if (value && Parent()) {
        for (int i = 0; i < Parent()->ControlCount(); ++i) {
            auto* other = dynamic_cast<TSpeedButton*>(Parent()->Controls(i));
            if (other && other != this && other->FGroupIndex == FGroupIndex && other->FDown) {
                other->FDown = false;
                other->Invalidate();
            }
        }
    }
    Invalidate();
}

void TSpeedButton::SetAllowAllUp(bool value) {
    FAllowAllUp = value;
    if (Parent())
        for (int i = 0; i < Parent()->ControlCount(); ++i)
            if (auto* other = dynamic_cast<TSpeedButton*>(Parent()->Controls(i)))
                if (other->FGroupIndex == FGroupIndex && FGroupIndex != 0) other->FAllowAllUp = value;
}

void TSpeedButton::SetLayout(TButtonLayout value) {
    FLayout = value, Invalidate();
}
void TSpeedButton::SetMargin(int value) {
    FMargin = std::max(-1, value), Invalidate();
}
void TSpeedButton::SetSpacing(int value) {
    FSpacing = value, Invalidate();
}
void TSpeedButton::SetTransparent(bool value) {
    FTransparent = value, Invalidate();
}

TButtonState TSpeedButton::State() const {
    if (!IsEnabledInTree()) return bsDisabled;
    if (FPressed) return bsDown;
    if (FDown) return bsExclusive;
    return bsUp;
}

void TSpeedButton::Click() {
    if (FGroupIndex != 0) SetDown(!FDown || !FAllowAllUp ? true : false);
    TGraphicControl::Click();
}

void TSpeedButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TGraphicControl::MouseDown(button, shift, x, y);
    if (button == mbLeft && IsEnabledInTree()) FPressed = true, Invalidate();
}

void TSpeedButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    TGraphicControl::MouseUp(button, shift, x, y);
    if (button != mbLeft || !FPressed) return;
    FPressed = false;
    Invalidate();
    if (x >= 0 && y >= 0 && x < Width() && y < Height()) Click();
}

void TSpeedButton::Paint() {
    TCanvas* canvas = Canvas();
    TRect rect = ClientRect();
    TButtonState state = State();
    if (!FFlat || !FTransparent || state == bsDown || state == bsExclusive) {
        canvas->Brush()->SetStyle(bsSolid);
        canvas->Brush()->SetColor(state == bsExclusive ? clBtnHighlight : clBtnFace);
        canvas->FillRect(rect);
    }
    TRect frame = rect;
    if (state == bsDown || state == bsExclusive)
        Frame3D(canvas, frame, clBtnShadow, clBtnHighlight, 1);
    else if (!FFlat)
        Frame3D(canvas, frame, clBtnHighlight, cl3DDkShadow, 1);
    int gw = FGlyph->Empty() ? 0 : FGlyph->Width() / std::max(1, FNumGlyphs);
    int gh = FGlyph->Empty() ? 0 : FGlyph->Height();
    canvas->Font()->Assign(Font());
    TPoint glyphPos;
    TRect textRect;
    LayoutGlyphAndCaption(canvas, rect, gw, gh, Caption(), FLayout, FMargin, FSpacing, glyphPos, textRect);
    int shiftBy = state == bsDown || state == bsExclusive ? 1 : 0;
    // A missing frame falls back to the up frame.
    int frameIndex = static_cast<int>(state) < FNumGlyphs ? static_cast<int>(state) : 0;
    if (state == bsExclusive && FNumGlyphs < 4) frameIndex = FNumGlyphs > 2 ? 2 : 0;
    DrawGlyphFrame(canvas, FGlyph.get(), FNumGlyphs, frameIndex, glyphPos.X + shiftBy, glyphPos.Y + shiftBy);
    if (!Caption().empty()) {
        canvas->Brush()->SetStyle(bsClear);
        if (state == bsDisabled) canvas->Font()->SetColor(clGrayText);
        TRect t{textRect.Left + shiftBy, textRect.Top + shiftBy, textRect.Right + shiftBy,
                textRect.Bottom + shiftBy};
        DrawText(canvas, Caption(), t, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
        canvas->Brush()->SetStyle(bsSolid);
    }
}

KVR_PUBLISHED(TSpeedButton, c) {
    c.Property("AllowAllUp", &TSpeedButton::AllowAllUp, &TSpeedButton::SetAllowAllUp).Default(false);
    c.Property("GroupIndex", &TSpeedButton::GroupIndex, &TSpeedButton::SetGroupIndex).Default(0);
    c.Property("Down", &TSpeedButton::Down, &TSpeedButton::SetDown).Default(false);
    c.Property("Flat", &TSpeedButton::Flat, &TSpeedButton::SetFlat).Default(false);
    c.Property("Glyph", &TSpeedButton::Glyph, &TSpeedButton::SetGlyph);
    c.Property("Layout", &TSpeedButton::Layout, &TSpeedButton::SetLayout).Default(blGlyphLeft);
    c.Property("Margin", &TSpeedButton::Margin, &TSpeedButton::SetMargin).Default(-1);
    c.Property("NumGlyphs", &TSpeedButton::NumGlyphs, &TSpeedButton::SetNumGlyphs).Default(1);
    c.Property("Spacing", &TSpeedButton::Spacing, &TSpeedButton::SetSpacing).Default(4);
    c.Property("Transparent", &TSpeedButton::Transparent, &TSpeedButton::SetTransparent).Default(true);
}

// TBitBtn ------------------------------------------------------------------------------------------------

namespace {

struct TKindInfo {
    const char* Caption;
    TModalResult Result;
};

// The captions and results of the standard kinds, in TBitBtnKind order.
const TKindInfo kKinds[] = {
    {"", mrNone},        {"OK", mrOk},          {"Cancel", mrCancel}, {"&Help", mrNone},
    {"&Yes", mrYes},     {"&No", mrNo},         {"&Close", mrNone},   {"Abort", mrAbort},
    {"&Retry", mrRetry}, {"&Ignore", mrIgnore}, {"&All", mrAll},
};

} // namespace

TBitBtn::TBitBtn(TComponent* owner) : TButton(owner), FGlyph(new TBitmap) {
    FGlyph->SetOnChange(TNotifyEvent(this, &TBitBtn::GlyphChanged));
}

TBitBtn::~TBitBtn() = default;

void TBitBtn::GlyphChanged(TObject*) {
    if (!FGlyph->Empty() && FGlyph->Height() > 0 && FGlyph->Width() % FGlyph->Height() == 0) {
        int frames = FGlyph->Width() / FGlyph->Height();
        if (frames >= 1 && frames <= 4) FNumGlyphs = frames;
    }
    Invalidate();
}

void TBitBtn::SetKind(TBitBtnKind value) {
    if (FKind == value) return;
    FKind = value;
    if (value == bkCustom) return;
    const TKindInfo& info = kKinds[static_cast<int>(value)];
    SetCaption(info.Caption);
    SetModalResult(info.Result);
    if (value == bkOK || value == bkYes) SetDefault(true);
    if (value == bkCancel || value == bkNo) SetCancel(true);
    Invalidate();
}

void TBitBtn::SetGlyph(TBitmap* value) {
    if (value)
        FGlyph->Assign(value);
    else
        FGlyph->SetSize(0, 0);
    Invalidate();
}

void TBitBtn::SetNumGlyphs(TNumGlyphs value) {
    FNumGlyphs = std::clamp(value, 1, 4), Invalidate();
}
void TBitBtn::SetLayout(TButtonLayout value) {
    FLayout = value, Invalidate();
}
void TBitBtn::SetMargin(int value) {
    FMargin = std::max(-1, value), Invalidate();
}
void TBitBtn::SetSpacing(int value) {
    FSpacing = value, Invalidate();
}

void TBitBtn::Click() {
    // A Close button closes its form, as the class library's does.
    if (FKind == bkClose) {
        if (TCustomForm* form = GetParentForm(this)) {
            TButton::Click();
            form->Close();
            return;
        }
    }
    TButton::Click();
}

void TBitBtn::PaintWindow(TCanvas* canvas) {
    TRect rect = ClientRect();
    TRect face = rect;
    DrawFrameControl(canvas, face, DFC_BUTTON,
                     DFCS_BUTTONPUSH | DFCS_ADJUSTRECT | (IsEnabledInTree() ? 0 : DFCS_INACTIVE));
    int gw = FGlyph->Empty() ? 0 : FGlyph->Width() / FNumGlyphs, gh = FGlyph->Empty() ? 0 : FGlyph->Height();
    canvas->Font()->Assign(Font());
    TPoint glyphPos;
    TRect textRect;
    LayoutGlyphAndCaption(canvas, face, gw, gh, Caption(), FLayout, FMargin, FSpacing, glyphPos, textRect);
    DrawGlyphFrame(canvas, FGlyph.get(), FNumGlyphs, !IsEnabledInTree() && FNumGlyphs > 1 ? 1 : 0, glyphPos.X,
                   glyphPos.Y);
    if (!IsEnabledInTree()) canvas->Font()->SetColor(clGrayText);
    canvas->Brush()->SetStyle(bsClear);
    DrawText(canvas, Caption(), textRect, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    canvas->Brush()->SetStyle(bsSolid);
    if (Focused()) canvas->DrawFocusRect({face.Left + 1, face.Top + 1, face.Right - 1, face.Bottom - 1});
}

KVR_PUBLISHED(TBitBtn, c) {
    c.Property("Glyph", &TBitBtn::Glyph, &TBitBtn::SetGlyph);
    c.Property("Kind", &TBitBtn::Kind, &TBitBtn::SetKind).Default(bkCustom);
    c.Property("Layout", &TBitBtn::Layout, &TBitBtn::SetLayout).Default(blGlyphLeft);
    c.Property("Margin", &TBitBtn::Margin, &TBitBtn::SetMargin).Default(-1);
    c.Property("NumGlyphs", &TBitBtn::NumGlyphs, &TBitBtn::SetNumGlyphs).Default(1);
    c.Property("Spacing", &TBitBtn::Spacing, &TBitBtn::SetSpacing).Default(4);
}
