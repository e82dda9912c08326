#include "classlib/graphics/graphics.h"

#include <cstdlib>

#include "classlib/rtl/strutils.h"

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

struct TCharsetIdent {
    TFontCharset Value;
    const char* Name;
};

constexpr TCharsetIdent kCharsetIdents[] = {
    {0, "ANSI_CHARSET"},      {1, "DEFAULT_CHARSET"},    {2, "SYMBOL_CHARSET"},
    {77, "MAC_CHARSET"},      {128, "SHIFTJIS_CHARSET"}, {129, "HANGEUL_CHARSET"},
    {130, "JOHAB_CHARSET"},   {134, "GB2312_CHARSET"},   {136, "CHINESEBIG5_CHARSET"},
    {161, "GREEK_CHARSET"},   {162, "TURKISH_CHARSET"},  {163, "VIETNAMESE_CHARSET"},
    {177, "HEBREW_CHARSET"},  {178, "ARABIC_CHARSET"},   {186, "BALTIC_CHARSET"},
    {204, "RUSSIAN_CHARSET"}, {222, "THAI_CHARSET"},     {238, "EASTEUROPE_CHARSET"},
    {255, "OEM_CHARSET"},
};

// The form loader and the property routines read charsets by identifier through this table.
struct TRegisterCharsetIdents {
    TRegisterCharsetIdents() {
        std::vector<TIdentMapEntry> map;
        for (const auto& entry : kCharsetIdents)
            map.push_back({entry.Value, entry.Name});
        RegisterIntegerConsts("TFontCharset", std::move(map));
    }
} registerCharsetIdents;

} // namespace

bool CharsetToIdent(TFontCharset charset, AnsiString& ident) {
    for (const auto& entry : kCharsetIdents) {
        if (entry.Value == charset) {
            ident = entry.Name;
            return true;
        }
    }
    return false;
}

bool IdentToCharset(const AnsiString& ident, TFontCharset& charset) {
    for (const auto& entry : kCharsetIdents) {
        if (SameText(ident, entry.Name)) {
            charset = entry.Value;
            return true;
        }
    }
    return false;
}

KVR_PUBLISHED(TGraphicsObject, c) {}

KVR_PUBLISHED(TFont, c) {
    c.Property("Charset", &TFont::Charset, &TFont::SetCharset).Type("TFontCharset");
    c.Property("Color", &TFont::Color, &TFont::SetColor).Type("TColor");
    c.Property("Height", &TFont::Height, &TFont::SetHeight);
    c.Property("Name", &TFont::Name, &TFont::SetName);
    c.Property("Pitch", &TFont::Pitch, &TFont::SetPitch).Default(fpDefault);
    c.Property("Size", &TFont::Size, &TFont::SetSize).Stored(false);
    c.Property("Style", &TFont::Style, &TFont::SetStyle).Default(0);
}

KVR_PUBLISHED(TBrush, c) {
    c.Property("Color", &TBrush::Color, &TBrush::SetColor).Type("TColor").Default(clWhite);
    c.Property("Style", &TBrush::Style, &TBrush::SetStyle).Default(bsSolid);
}

KVR_PUBLISHED(TPen, c) {
    c.Property("Color", &TPen::Color, &TPen::SetColor).Type("TColor").Default(clBlack);
    c.Property("Mode", &TPen::Mode, &TPen::SetMode).Default(pmCopy);
    c.Property("Style", &TPen::Style, &TPen::SetStyle).Default(psSolid);
    c.Property("Width", &TPen::Width, &TPen::SetWidth).Default(1);
}

void TGraphicsObject::Changed() {
    ++FGeneration;
    if (FUpdateCount > 0) {
        FPending = true;
        return;
    }
    if (FOnChange) FOnChange(this);
}

void TGraphicsObject::EndUpdate() {
    if (FUpdateCount > 0) --FUpdateCount;
    if (FUpdateCount == 0 && FPending) {
        FPending = false;
        if (FOnChange) FOnChange(this);
    }
}

TFont::TFont()
    : FName(kDefaultFontName), FHeight(kDefaultFontHeight), FColor(clWindowText), FPitch(fpDefault),
      FCharset(DEFAULT_CHARSET) {}

void TFont::Assign(TPersistent* source) {
    const auto* from = dynamic_cast<const TFont*>(source);
    if (!from) {
        inherited::Assign(source);
        return;
    }
    if (from == this) return;
    BeginUpdate();
    SetName(from->FName);
    SetHeight(from->FHeight);
    SetColor(from->FColor);
    SetStyle(from->FStyle);
    SetPitch(from->FPitch);
    SetCharset(from->FCharset);
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

void TBrush::Assign(TPersistent* source) {
    const auto* from = dynamic_cast<const TBrush*>(source);
    if (!from) {
        inherited::Assign(source);
        return;
    }
    if (from == this) return;
    BeginUpdate();
    SetColor(from->FColor);
    SetStyle(from->FStyle);
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

void TPen::Assign(TPersistent* source) {
    const auto* from = dynamic_cast<const TPen*>(source);
    if (!from) {
        inherited::Assign(source);
        return;
    }
    if (from == this) return;
    BeginUpdate();
    SetColor(from->FColor);
    SetWidth(from->FWidth);
    SetStyle(from->FStyle);
    SetMode(from->FMode);
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
