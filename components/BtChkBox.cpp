#include "components/BtChkBox.h"

#include <algorithm>
#include <vector>

#include "classlib/controls/forms.h"
#include "classlib/rtl/strutils.h"

TBitCheckBox::TBitCheckBox(TComponent* owner)
    : TCustomControl(owner), FCheckedGlyph(new TBitmap), FUncheckedGlyph(new TBitmap),
      FGrayedGlyph(new TBitmap) {
    SetBounds(Left(), Top(), 97, 17);
    FControlStyle.Include(csClickEvents);
    FControlStyle.Include(csSetCaption);
    SetTabStop(true);
    SetCheckedGlyph(nullptr);
    SetGrayedGlyph(nullptr);
    SetUncheckedGlyph(nullptr);
    FCheckedNumGlyphs = FGrayedNumGlyphs = FUncheckedNumGlyphs = 1;
}

TBitCheckBox::~TBitCheckBox() = default;

void TBitCheckBox::LoadGlyph(std::unique_ptr<TBitmap>& glyph, int& numGlyphs, TBitmap* value,
                             const char* resource) {
    if (value && !value->Empty()) {
        glyph->Assign(value);
    } else {
        try {
            glyph->LoadFromResourceName(resource);
        } catch (const Exception&) {
            glyph->SetSize(0, 0); // no picture: the box is simply not drawn
        }
    }
    // An empty picture has no frames to count.
    int w = glyph->Width(), h = glyph->Height();
    if (h > 0 && w > 0 && w % h == 0) numGlyphs = std::clamp(w / h, 1, 2);
    Invalidate();
}

void TBitCheckBox::SetCheckedGlyph(TBitmap* value) {
    LoadGlyph(FCheckedGlyph, FCheckedNumGlyphs, value, "CHECKED");
}
void TBitCheckBox::SetGrayedGlyph(TBitmap* value) {
    LoadGlyph(FGrayedGlyph, FGrayedNumGlyphs, value, "GRAYED");
}
void TBitCheckBox::SetUncheckedGlyph(TBitmap* value) {
    LoadGlyph(FUncheckedGlyph, FUncheckedNumGlyphs, value, "UNCHECKED");
}

void TBitCheckBox::SetCheckedNumGlyphs(int value) {
    FCheckedNumGlyphs = std::clamp(value, 1, 2), Invalidate();
}
void TBitCheckBox::SetGrayedNumGlyphs(int value) {
    FGrayedNumGlyphs = std::clamp(value, 1, 2), Invalidate();
}
void TBitCheckBox::SetUncheckedNumGlyphs(int value) {
    FUncheckedNumGlyphs = std::clamp(value, 1, 2), Invalidate();
}

void TBitCheckBox::SetState(TCheckBoxState value) {
    if (FState == value) return;
    FState = value;
    Invalidate();
}

void TBitCheckBox::SetAlignment(TLeftRight value) {
    if (FAlignment == value) return;
    FAlignment = value;
    Invalidate();
}

void TBitCheckBox::SetCtl3D(bool value) {
    FCtl3D = value;
    FParentCtl3D = false;
    Invalidate();
}

void TBitCheckBox::Toggle() {
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

void TBitCheckBox::Click() {
    Toggle();
    TCustomControl::Click();
    if (CanFocus() && !Focused()) {
        HandleNeeded();
        SetFocus();
    }
}

void TBitCheckBox::KeyPress(char& key) {
    TCustomControl::KeyPress(key);
    if (key == ' ') {
        Click();
        key = 0;
    }
}

void TBitCheckBox::CurrentGlyph(TBitmap*& glyph, int& numGlyphs) const {
    switch (FState) {
    case cbChecked:
        glyph = FCheckedGlyph.get(), numGlyphs = FCheckedNumGlyphs;
        break;
    case cbGrayed:
        glyph = FGrayedGlyph.get(), numGlyphs = FGrayedNumGlyphs;
        break;
    default:
        glyph = FUncheckedGlyph.get(), numGlyphs = FUncheckedNumGlyphs;
        break;
    }
}

TRect TBitCheckBox::CaptionRect() {
    TBitmap* glyph;
    int numGlyphs;
    CurrentGlyph(glyph, numGlyphs);
    int frameWidth = glyph->Width() / std::max(numGlyphs, 1);
    TCanvas* canvas = Canvas();
    canvas->Font()->Assign(Font());
    AnsiString caption = Caption();
    int textHeight = canvas->TextHeight("Wg");
    TRect r;
    r.Left = FAlignment == taRightJustify ? frameWidth + 4 : 1;
    r.Right = r.Left + canvas->TextWidth(caption);
    if (caption.find('&') != AnsiString::npos) r.Right -= canvas->TextWidth("&");
    r.Top = (ClientHeight() - textHeight) / 2 - 2;
    r.Bottom = r.Top + textHeight + 3;
    TRect client = ClientRect();
    r.Left = std::max(r.Left, client.Left), r.Top = std::max(r.Top, client.Top);
    r.Right = std::min(r.Right, client.Right), r.Bottom = std::min(r.Bottom, client.Bottom);
    return r;
}

void TBitCheckBox::Paint() {
    TCanvas* canvas = Canvas();
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(Color());
    canvas->FillRect(ClientRect());
    canvas->Brush()->SetStyle(bsClear);
    TBitmap* glyph;
    int numGlyphs;
    CurrentGlyph(glyph, numGlyphs);
    int frameWidth = glyph->Width() / std::max(numGlyphs, 1);
    TRect text = CaptionRect();
    TColor fontColor = canvas->Font()->Color();
    unsigned format = DT_SINGLELINE | DT_VCENTER | DT_LEFT;
    if (IsEnabledInTree()) {
        DrawText(canvas, Caption(), text, format);
    } else {
        if (FCtl3D) {
            TRect shifted{text.Left + 1, text.Top + 1, text.Right + 1, text.Bottom + 1};
            canvas->Font()->SetColor(clBtnHighlight);
            DrawText(canvas, Caption(), shifted, format);
        }
        canvas->Font()->SetColor(clGrayText);
        DrawText(canvas, Caption(), text, format);
    }
    canvas->Font()->SetColor(fontColor);
    canvas->Brush()->SetColor(Color());
    canvas->Brush()->SetStyle(bsSolid);
    if (Focused()) {
        TRect focus{std::max(text.Left - 1, 0), std::max(text.Top - 1, 0), text.Right + 1,
                    std::min(text.Bottom + 1, Height())};
        canvas->DrawFocusRect(focus);
    }
    if (glyph->Empty() || frameWidth <= 0) return;
    int x = FAlignment == taLeftJustify ? ClientWidth() - frameWidth : 0;
    int y = (ClientHeight() - glyph->Height()) / 2;
    int frame = !IsEnabledInTree() && numGlyphs == 2 ? 1 : 0;
    TRect source{frame * frameWidth, 0, (frame + 1) * frameWidth, glyph->Height()};
    TBitmap piece;
    piece.SetSize(frameWidth, glyph->Height());
    piece.Canvas()->CopyRect(TRect{0, 0, frameWidth, glyph->Height()}, glyph->Canvas(), source);
    piece.SetTransparentColor(glyph->TransparentColor());
    piece.SetTransparent(true);
    canvas->Draw(x, y, &piece);
}

void TBitCheckBox::Repainting(TMessage& message) {
    InheritedMessage(message);
    Invalidate();
}

void TBitCheckBox::CMFontChanged(TMessage& message) {
    InheritedMessage(message);
    Canvas()->Font()->Assign(Font());
    Invalidate();
}

void TBitCheckBox::CMDialogChar(TMessage& message) {
    if (IsEnabledInTree() && IsAccel(static_cast<Word>(message.WParam), Caption()) && CanFocus()) {
        SetFocus();
        if (Focused()) Toggle();
        message.Result = 1;
        return;
    }
    InheritedMessage(message);
}

KVR_MESSAGE_MAP(TBitCheckBox, m) {
    m.Handle(CM_ENABLEDCHANGED, &TBitCheckBox::Repainting);
    m.Handle(CM_FONTCHANGED, &TBitCheckBox::CMFontChanged);
    m.Handle(CM_TEXTCHANGED, &TBitCheckBox::Repainting);
    m.Handle(CM_SYSCOLORCHANGE, &TBitCheckBox::Repainting);
    m.Handle(CM_CTL3DCHANGED, &TBitCheckBox::Repainting);
    m.Handle(WM_SETFOCUS, &TBitCheckBox::Repainting);
    m.Handle(WM_KILLFOCUS, &TBitCheckBox::Repainting);
    m.Handle(CM_DIALOGCHAR, &TBitCheckBox::CMDialogChar);
}

KVR_PUBLISHED(TBitCheckBox, c) {
    c.Property("Alignment", &TBitCheckBox::Alignment, &TBitCheckBox::SetAlignment).Default(taRightJustify);
    c.Property("AllowGrayed", &TBitCheckBox::AllowGrayed, &TBitCheckBox::SetAllowGrayed).Default(false);
    c.Property("Checked", &TBitCheckBox::Checked, &TBitCheckBox::SetChecked).Default(false);
    c.Property("State", &TBitCheckBox::State, &TBitCheckBox::SetState).Default(cbUnchecked);
    c.Property("Ctl3D", &TBitCheckBox::Ctl3D, &TBitCheckBox::SetCtl3D).Default(true);
    c.Property("ParentCtl3D", &TBitCheckBox::ParentCtl3D, &TBitCheckBox::SetParentCtl3D).Default(true);
    c.Property("CheckedGlyph", &TBitCheckBox::CheckedGlyph, &TBitCheckBox::SetCheckedGlyph);
    c.Property("GrayedGlyph", &TBitCheckBox::GrayedGlyph, &TBitCheckBox::SetGrayedGlyph);
    c.Property("UncheckedGlyph", &TBitCheckBox::UncheckedGlyph, &TBitCheckBox::SetUncheckedGlyph);
    c.Property("CheckedNumGlyphs", &TBitCheckBox::CheckedNumGlyphs, &TBitCheckBox::SetCheckedNumGlyphs)
        .Default(1);
    c.Property("GrayedNumGlyphs", &TBitCheckBox::GrayedNumGlyphs, &TBitCheckBox::SetGrayedNumGlyphs)
        .Default(1);
    c.Property("UncheckedNumGlyphs", &TBitCheckBox::UncheckedNumGlyphs, &TBitCheckBox::SetUncheckedNumGlyphs)
        .Default(1);
}
