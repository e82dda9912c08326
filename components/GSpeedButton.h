#pragma once
// TGSpeedButton: a speed button whose glyph is a number in the suite's glyph library (VlResD5), and
// TF2Button, the small flat pick button at the right of an edit that asks the form for its F2 lookup.
#include "classlib/controls/buttons.h"

class TBitmap;

// The glyph library, loaded on first use. Without it there are no glyphs (the highest number is 0).
int GlyphLibraryMaxBmpID();
bool GlyphLibraryLoadBmp(TBitmap* bitmap, int number);

class TGSpeedButton : public TSpeedButton {
    KVR_CLASS(TGSpeedButton, TSpeedButton)
public:
    explicit TGSpeedButton(TComponent* owner);

    int GlyphIndex() const { return FGlyphIndex; }
    // The glyph of that number with the number as caption while there is none; 0, a negative number
    // or one above the library's highest clears the glyph. A failure shows "读取 BMP 发生错误".
    void SetGlyphIndex(int value);
    int HintIndex() const { return FHintIndex; }
    void SetHintIndex(int value) { FHintIndex = value; }

private:
    int FGlyphIndex = 0;
    int FHintIndex = 0;
};
