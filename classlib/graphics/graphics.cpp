#include "classlib/graphics/graphics.h"

#include <cstdlib>

namespace {

// a * b / c rounded half away from zero, as the platform's MulDiv; 0 when c is 0.
int MulDiv(int a, int b, int c) {
    if (c == 0) return 0;
    const long long product = static_cast<long long>(a) * b;
    const long long half = std::llabs(static_cast<long long>(c)) / 2;
    const bool negative = (product < 0) != (c < 0);
    const long long magnitude = (std::llabs(product) + half) / std::llabs(static_cast<long long>(c));
    return static_cast<int>(negative ? -magnitude : magnitude);
}

// The interface font of a code-page-936 desktop: 9 points.
const char* const kDefaultFontName = "宋体";
constexpr int kDefaultFontHeight = -12;

} // namespace

void TGraphicsObject::Changed() {
    ++FGeneration;
    if (FUpdateCount > 0) {
        FPending = true;
        return;
    }
    if (FOnChange) FOnChange.Proc(FOnChange.Data, this);
}

void TGraphicsObject::EndUpdate() {
    if (FUpdateCount > 0) --FUpdateCount;
    if (FUpdateCount == 0 && FPending) {
        FPending = false;
        if (FOnChange) FOnChange.Proc(FOnChange.Data, this);
    }
}

TFont::TFont()
    : FName(kDefaultFontName), FHeight(kDefaultFontHeight), FColor(clWindowText), FPitch(fpDefault),
      FCharset(DEFAULT_CHARSET) {}

void TFont::Assign(const TFont* source) {
    if (!source || source == this) return;
    BeginUpdate();
    SetName(source->FName);
    SetHeight(source->FHeight);
    SetColor(source->FColor);
    SetStyle(source->FStyle);
    SetPitch(source->FPitch);
    SetCharset(source->FCharset);
    EndUpdate();
}

void TFont::SetName(const TFontName& value) {
    if (value.empty() || value == FName) return; // the platform keeps the face when given no name
    FName = value;
    Changed();
}

void TFont::SetHeight(int value) {
    if (value == FHeight) return;
    FHeight = value;
    Changed();
}

int TFont::Size() const {
    return -MulDiv(FHeight, 72, ScreenPixelsPerInch);
}

void TFont::SetSize(int value) {
    SetHeight(-MulDiv(value, ScreenPixelsPerInch, 72));
}

void TFont::SetColor(TColor value) {
    if (value == FColor) return;
    FColor = value;
    Changed();
}

void TFont::SetStyle(TFontStyles value) {
    if (value == FStyle) return;
    FStyle = value;
    Changed();
}

void TFont::SetPitch(TFontPitch value) {
    if (value == FPitch) return;
    FPitch = value;
    Changed();
}

void TFont::SetCharset(TFontCharset value) {
    if (value == FCharset) return;
    FCharset = value;
    Changed();
}

void TBrush::Assign(const TBrush* source) {
    if (!source || source == this) return;
    BeginUpdate();
    SetColor(source->FColor);
    SetStyle(source->FStyle);
    EndUpdate();
}

void TBrush::SetColor(TColor value) {
    if (value == FColor && FStyle != bsClear) return;
    FColor = value;
    if (FStyle == bsClear) FStyle = bsSolid;
    Changed();
}

void TBrush::SetStyle(TBrushStyle value) {
    if (value == FStyle) return;
    FStyle = value;
    Changed();
}

void TPen::Assign(const TPen* source) {
    if (!source || source == this) return;
    BeginUpdate();
    SetColor(source->FColor);
    SetWidth(source->FWidth);
    SetStyle(source->FStyle);
    SetMode(source->FMode);
    EndUpdate();
}

void TPen::SetColor(TColor value) {
    if (value == FColor) return;
    FColor = value;
    Changed();
}

void TPen::SetWidth(int value) {
    if (value == FWidth) return;
    FWidth = value;
    Changed();
}

void TPen::SetStyle(TPenStyle value) {
    if (value == FStyle) return;
    FStyle = value;
    Changed();
}

void TPen::SetMode(TPenMode value) {
    if (value == FMode) return;
    FMode = value;
    Changed();
}
