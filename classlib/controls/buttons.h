#pragma once
// Buttons with glyphs: TBitBtn and TSpeedButton.
#include <memory>

#include "classlib/controls/button.h"
#include "classlib/controls/controls.h"

KVR_ENUM(TButtonLayout, blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom);
KVR_ENUM(TButtonState, bsUp, bsDisabled, bsDown, bsExclusive);
using TNumGlyphs = int;

// Where a button's glyph and caption go inside rect: the glyph's top-left and the caption's rectangle.
void LayoutGlyphAndCaption(TCanvas* canvas, const TRect& rect, int glyphWidth, int glyphHeight,
                           const AnsiString& caption, TButtonLayout layout, int margin, int spacing,
                           TPoint& glyphPos, TRect& textRect);
// Draws frame number `frame` of a strip of numGlyphs square-ish frames at (x, y), its bottom-left
// colour transparent. Nothing for an empty glyph or a frame out of range.
void DrawGlyphFrame(TCanvas* canvas, const TBitmap* glyph, int numGlyphs, int frame, int x, int y);

class TSpeedButton : public TGraphicControl {
    KVR_CLASS(TSpeedButton, TGraphicControl)
public:
    explicit TSpeedButton(TComponent* owner);
    ~TSpeedButton() override;

    TBitmap* Glyph() const { return FGlyph.get(); }
    void SetGlyph(TBitmap* value);
    TNumGlyphs NumGlyphs() const { return FNumGlyphs; }
    // 1 to 4 frames: up, disabled, clicked, down; other values are kept within that range.
    void SetNumGlyphs(TNumGlyphs value);
    bool Flat() const { return FFlat; }
    void SetFlat(bool value);
    int GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(int value);
    bool Down() const { return FDown; }
    // In a group, going down puts the other buttons of the group (same parent) up; a button of no group
    // never stays down; the last down button of a group stays down unless AllowAllUp.
    void SetDown(bool value);
    bool AllowAllUp() const { return FAllowAllUp; }
    void SetAllowAllUp(bool value);
    TButtonLayout Layout() const { return FLayout; }
    void SetLayout(TButtonLayout value);
    int Margin() const { return FMargin; }
    void SetMargin(int value);
    int Spacing() const { return FSpacing; }
    void SetSpacing(int value);
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool value);
    // The state the button draws in.
    TButtonState State() const;

    void Click() override;

protected:
    void Paint() override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void GlyphChanged(TObject* sender);

private:
    std::unique_ptr<TBitmap> FGlyph;
    TNumGlyphs FNumGlyphs = 1;
    bool FFlat = false;
    int FGroupIndex = 0;
    bool FDown = false;
    bool FAllowAllUp = false;
    TButtonLayout FLayout = blGlyphLeft;
    int FMargin = -1;
    int FSpacing = 4;
    bool FTransparent = true;
    bool FPressed = false;
};

KVR_ENUM(TBitBtnKind, bkCustom, bkOK, bkCancel, bkHelp, bkYes, bkNo, bkClose, bkAbort, bkRetry, bkIgnore,
         bkAll);

// A push button with a glyph beside its caption; a Kind gives it the caption, modal result and
// default or cancel role of a standard dialog button.
class TBitBtn : public TButton {
    KVR_CLASS(TBitBtn, TButton)
public:
    explicit TBitBtn(TComponent* owner);
    ~TBitBtn() override;

    TBitBtnKind Kind() const { return FKind; }
    void SetKind(TBitBtnKind value);
    TBitmap* Glyph() const { return FGlyph.get(); }
    void SetGlyph(TBitmap* value);
    TNumGlyphs NumGlyphs() const { return FNumGlyphs; }
    void SetNumGlyphs(TNumGlyphs value);
    TButtonLayout Layout() const { return FLayout; }
    void SetLayout(TButtonLayout value);
    int Margin() const { return FMargin; }
    void SetMargin(int value);
    int Spacing() const { return FSpacing; }
    void SetSpacing(int value);

    void Click() override;

protected:
    void PaintWindow(TCanvas* canvas) override;

private:
    void GlyphChanged(TObject* sender);
    TBitBtnKind FKind = bkCustom;
    std::unique_ptr<TBitmap> FGlyph;
    TNumGlyphs FNumGlyphs = 1;
    TButtonLayout FLayout = blGlyphLeft;
    int FMargin = -1;
    int FSpacing = 4;
};
