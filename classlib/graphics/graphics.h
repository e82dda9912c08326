#pragma once
// The drawing tools of a canvas: font, brush and pen. Each reports its changes through OnChange, once
// per property write or Assign, so a control can repaint when its font changes.
#include "classlib/graphics/colors.h"
#include "classlib/objects/component.h"
#include "classlib/objects/delegate.h"
#include "classlib/rtl/exceptions.h"
#include "classlib/rtl/types.h"

KVR_DECLARE_EXCEPTION(EInvalidGraphic, Exception)
KVR_DECLARE_EXCEPTION(EInvalidGraphicOperation, Exception)
KVR_DECLARE_EXCEPTION(EResNotFound, Exception)

// The base of the drawing tools: OnChange fires once per property write that changes a value, and once
// per Assign.
class TGraphicsObject : public TPersistent {
    KVR_CLASS(TGraphicsObject, TPersistent)
public:
    TGraphicsObject() = default;

    const TNotifyEvent& OnChange() const { return FOnChange; }
    void SetOnChange(const TNotifyEvent& value) { FOnChange = value; }

    // Grows on every change; a canvas compares it to know that a tool changed since it last looked.
    unsigned Generation() const { return FGeneration; }

protected:
    virtual void Changed();
    // Assign copies several values and reports once.
    void BeginUpdate() { ++FUpdateCount; }
    void EndUpdate();

private:
    TNotifyEvent FOnChange;
    unsigned FGeneration = 0;
    int FUpdateCount = 0;
    bool FPending = false;
};

KVR_ENUM(TFontStyle, fsBold, fsItalic, fsUnderline, fsStrikeOut);
// Bit 0 bold, bit 1 italic, bit 2 underline, bit 3 strike-out.
KVR_SET(TFontStyles, TFontStyle);

KVR_ENUM(TFontPitch, fpDefault, fpVariable, fpFixed);

using TFontCharset = Byte;
using TFontName = AnsiString;

enum : TFontCharset {
    ANSI_CHARSET = 0,
    DEFAULT_CHARSET = 1,
    SYMBOL_CHARSET = 2,
    SHIFTJIS_CHARSET = 128,
    HANGEUL_CHARSET = 129,
    GB2312_CHARSET = 134,
    CHINESEBIG5_CHARSET = 136,
    OEM_CHARSET = 255,
};

// The screen the fonts are measured for.
constexpr int ScreenPixelsPerInch = 96;

// The identifiers of font charsets ("GB2312_CHARSET"), as streams write them.
bool CharsetToIdent(TFontCharset charset, AnsiString& ident);
bool IdentToCharset(const AnsiString& ident, TFontCharset& charset);

class TFont : public TGraphicsObject {
    KVR_CLASS(TFont, TGraphicsObject)
public:
    TFont();

    void Assign(TPersistent* source) override;

    const TFontName& Name() const { return FName; }
    void SetName(const TFontName& value);
    // Negative: the character height in pixels; positive: the cell height. Both measure the same here.
    int Height() const { return FHeight; }
    void SetHeight(int value);
    // Points on a 96-dpi screen: Size = -Height * 72 / 96, rounded.
    int Size() const;
    void SetSize(int value);
    int PixelsPerInch() const { return ScreenPixelsPerInch; }
    TColor Color() const { return FColor; }
    void SetColor(TColor value);
    TFontStyles Style() const { return FStyle; }
    void SetStyle(TFontStyles value);
    TFontPitch Pitch() const { return FPitch; }
    void SetPitch(TFontPitch value);
    TFontCharset Charset() const { return FCharset; }
    void SetCharset(TFontCharset value);

private:
    TFontName FName;
    int FHeight;
    TColor FColor;
    TFontStyles FStyle;
    TFontPitch FPitch;
    TFontCharset FCharset;
};

KVR_ENUM(TBrushStyle, bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross,
         bsDiagCross);

class TBrush : public TGraphicsObject {
    KVR_CLASS(TBrush, TGraphicsObject)
public:
    TBrush() = default;

    void Assign(TPersistent* source) override;

    TColor Color() const { return FColor; }
    // Choosing a colour on a clear brush makes it solid, as the platform does.
    void SetColor(TColor value);
    TBrushStyle Style() const { return FStyle; }
    void SetStyle(TBrushStyle value);

private:
    TColor FColor = clWhite;
    TBrushStyle FStyle = bsSolid;
};

KVR_ENUM(TPenStyle, psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame);

// How a pen (and the fill of a shape) mixes with the picture, in the platform's order.
KVR_ENUM(TPenMode, pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot,
         pmMergeNotPen, pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor);

class TPen : public TGraphicsObject {
    KVR_CLASS(TPen, TGraphicsObject)
public:
    TPen() = default;

    void Assign(TPersistent* source) override;

    TColor Color() const { return FColor; }
    void SetColor(TColor value);
    // Widths below 1 draw as 1 pixel.
    int Width() const { return FWidth; }
    void SetWidth(int value);
    TPenStyle Style() const { return FStyle; }
    void SetStyle(TPenStyle value);
    TPenMode Mode() const { return FMode; }
    void SetMode(TPenMode value);

private:
    TColor FColor = clBlack;
    int FWidth = 1;
    TPenStyle FStyle = psSolid;
    TPenMode FMode = pmCopy;
};
