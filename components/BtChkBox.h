#pragma once
// TBitCheckBox: a self-painted check box whose box is a bitmap per state. Each glyph holds one or two
// frames side by side: the enabled look, then (with NumGlyphs 2) the disabled one.
#include <memory>

#include "classlib/controls/stdctrls.h"

class TBitCheckBox : public TCustomControl {
    KVR_CLASS(TBitCheckBox, TCustomControl)
    KVR_MESSAGES(TBitCheckBox)
public:
    explicit TBitCheckBox(TComponent* owner);
    ~TBitCheckBox() override;

    TLeftRight Alignment() const { return FAlignment; }
    void SetAlignment(TLeftRight value);
    bool AllowGrayed() const { return FAllowGrayed; }
    void SetAllowGrayed(bool value) { FAllowGrayed = value; }
    bool Checked() const { return FState == cbChecked; }
    void SetChecked(bool value) { SetState(value ? cbChecked : cbUnchecked); }
    TCheckBoxState State() const { return FState; }
    void SetState(TCheckBoxState value);
    bool Ctl3D() const { return FCtl3D; }
    void SetCtl3D(bool value);
    bool ParentCtl3D() const { return FParentCtl3D; }
    void SetParentCtl3D(bool value) { FParentCtl3D = value; }

    // Setting nil (or an empty picture) loads the resource "CHECKED", "GRAYED" or "UNCHECKED".
    TBitmap* CheckedGlyph() const { return FCheckedGlyph.get(); }
    void SetCheckedGlyph(TBitmap* value);
    TBitmap* GrayedGlyph() const { return FGrayedGlyph.get(); }
    void SetGrayedGlyph(TBitmap* value);
    TBitmap* UncheckedGlyph() const { return FUncheckedGlyph.get(); }
    void SetUncheckedGlyph(TBitmap* value);
    int CheckedNumGlyphs() const { return FCheckedNumGlyphs; }
    void SetCheckedNumGlyphs(int value);
    int GrayedNumGlyphs() const { return FGrayedNumGlyphs; }
    void SetGrayedNumGlyphs(int value);
    int UncheckedNumGlyphs() const { return FUncheckedNumGlyphs; }
    void SetUncheckedNumGlyphs(int value);

    // Unchecked goes to grayed (when allowed) or checked, checked to unchecked, grayed to checked.
    virtual void Toggle();
    void Click() override;
    // The caption's rectangle as Paint computes it (before the focus frame).
    TRect CaptionRect();

protected:
    void Paint() override;
    void KeyPress(char& key) override;
    void Repainting(TMessage& message);
    void CMDialogChar(TMessage& message);
    void CMFontChanged(TMessage& message);

private:
    void LoadGlyph(std::unique_ptr<TBitmap>& glyph, int& numGlyphs, TBitmap* value, const char* resource);
    void CurrentGlyph(TBitmap*& glyph, int& numGlyphs) const;
    std::unique_ptr<TBitmap> FCheckedGlyph, FUncheckedGlyph, FGrayedGlyph;
    TLeftRight FAlignment = taRightJustify;
    TCheckBoxState FState = cbUnchecked;
    bool FAllowGrayed = false;
    bool FCtl3D = true;
    bool FParentCtl3D = true;
    int FCheckedNumGlyphs = 1, FGrayedNumGlyphs = 1, FUncheckedNumGlyphs = 1;
};
