#pragma once
// A drawing surface over a TBitmap. A canvas draws into the bitmap it is bound to, at an origin and
// within a device clip, so a control's canvas paints its own part of its form's picture. Everything
// is drawn pixel by pixel in fixed rules, so a test can check the result by pixels.
#include <initializer_list>
#include <memory>
#include <span>

#include "classlib/graphics/graphics.h"
#include "classlib/graphics/types.h"

class TBitmap;

// Raster operations of block copies, as the platform numbers them.
using TCopyMode = Cardinal;
constexpr TCopyMode cmBlackness = 0x00000042;
constexpr TCopyMode cmDstInvert = 0x00550009;
constexpr TCopyMode cmMergeCopy = 0x00C000CA;
constexpr TCopyMode cmMergePaint = 0x00BB0226;
constexpr TCopyMode cmNotSrcCopy = 0x00330008;
constexpr TCopyMode cmNotSrcErase = 0x001100A6;
constexpr TCopyMode cmPatCopy = 0x00F00021;
constexpr TCopyMode cmPatInvert = 0x005A0049;
constexpr TCopyMode cmPatPaint = 0x00FB0A09;
constexpr TCopyMode cmSrcAnd = 0x008800C6;
constexpr TCopyMode cmSrcCopy = 0x00CC0020;
constexpr TCopyMode cmSrcErase = 0x00440328;
constexpr TCopyMode cmSrcInvert = 0x00660046;
constexpr TCopyMode cmSrcPaint = 0x00EE0086;
constexpr TCopyMode cmWhiteness = 0x00FF0062;

// Background mix of text and styled lines.
enum : int { TRANSPARENT = 1, OPAQUE = 2 };

class TCanvas : public TPersistent {
    KVR_CLASS(TCanvas, TPersistent)
public:
    TCanvas();
    ~TCanvas() override;

    // Binds the canvas: logical (0, 0) is origin in the bitmap, and drawing stays inside deviceClip
    // (bitmap coordinates; the whole bitmap when null). A bitmap that is destroyed unbinds its canvases.
    void SetTarget(TBitmap* bitmap, TPoint origin = {}, const TRect* deviceClip = nullptr);
    void ClearTarget();
    TBitmap* Target() const { return FTarget; }
    TPoint Origin() const { return FOrigin; }
    bool HandleAllocated() const { return FTarget != nullptr; }

    TFont* Font() const { return FFont.get(); }
    void SetFont(TFont* value) { FFont->Assign(value); }
    TBrush* Brush() const { return FBrush.get(); }
    void SetBrush(TBrush* value) { FBrush->Assign(value); }
    TPen* Pen() const { return FPen.get(); }
    void SetPen(TPen* value) { FPen->Assign(value); }
    TPoint PenPos() const { return FPenPos; }
    void SetPenPos(TPoint value) { FPenPos = value; }
    TCopyMode CopyMode() const { return FCopyMode; }
    void SetCopyMode(TCopyMode value) { FCopyMode = value; }
    // OPAQUE while the brush is solid, else TRANSPARENT; SetBkMode holds until the brush changes.
    int BkMode() const;
    void SetBkMode(int mode);

    // The visible part, in logical coordinates. SetClipRect limits drawing further; ResetClipRect ends it.
    TRect ClipRect() const;
    void SetClipRect(const TRect& rect);
    void ResetClipRect();

    // CLR_INVALID outside the picture or the clip.
    TColor Pixel(int x, int y);
    void SetPixel(int x, int y, TColor color);

    void FillRect(const TRect& rect);
    // A one-pixel frame in the brush colour.
    void FrameRect(const TRect& rect);
    void Rectangle(int x1, int y1, int x2, int y2);
    void Rectangle(const TRect& rect) { Rectangle(rect.Left, rect.Top, rect.Right, rect.Bottom); }
    void Ellipse(int x1, int y1, int x2, int y2);
    void Ellipse(const TRect& rect) { Ellipse(rect.Left, rect.Top, rect.Right, rect.Bottom); }
    void MoveTo(int x, int y);
    // From the pen position to (x, y), the end point left out; the pen position moves there.
    void LineTo(int x, int y);
    void Polyline(std::span<const TPoint> points);
    void Polyline(std::initializer_list<TPoint> points) {
        Polyline(std::span<const TPoint>(points.begin(), points.size()));
    }
    // Filled with the brush (alternate rule), then outlined with the pen.
    void Polygon(std::span<const TPoint> points);
    void Polygon(std::initializer_list<TPoint> points) {
        Polygon(std::span<const TPoint>(points.begin(), points.size()));
    }
    // Inverts every other pixel of the one-pixel frame; drawing it twice restores the picture.
    void DrawFocusRect(const TRect& rect);

    TSize TextExtent(const AnsiString& text) const;
    int TextWidth(const AnsiString& text) const { return TextExtent(text).cx; }
    int TextHeight(const AnsiString& text) const { return TextExtent(text).cy; }
    // Draws the text with its top-left at (x, y) and moves the pen position to its end.
    void TextOut(int x, int y, const AnsiString& text);
    // Draws the text at (x, y) clipped to rect, which is first filled with the brush unless it is clear.
    void TextRect(const TRect& rect, int x, int y, const AnsiString& text);

    // Block copies through CopyMode; a transparent bitmap leaves its transparent colour out.
    void Draw(int x, int y, const TBitmap* bitmap);
    void StretchDraw(const TRect& rect, const TBitmap* bitmap);
    void CopyRect(const TRect& dest, TCanvas* source, const TRect& sourceRect);
    // Copies the part of the bitmap with the pixels of color replaced by the brush (left as they were
    // under a clear brush).
    void BrushCopy(const TRect& dest, const TBitmap* bitmap, const TRect& source, TColor color);

    // Fires after every drawing operation.
    const TNotifyEvent& OnChange() const { return FOnChange; }
    void SetOnChange(const TNotifyEvent& value) { FOnChange = value; }

protected:
    // Called before drawing when the canvas has no bitmap; a descendant binds one here.
    virtual void CreateHandle() {}
    // After every drawing operation.
    virtual void Changed();

private:
    friend class TBitmap;
    friend int DrawText(TCanvas* canvas, const AnsiString& text, TRect& rect, unsigned format);
    friend bool DrawFrameControl(TCanvas* canvas, TRect& rect, unsigned type, unsigned state);
    friend bool DrawEdge(TCanvas* canvas, TRect& rect, unsigned edge, unsigned flags);
    struct TDeviceArea;

    // Fills and frames in a given colour, leaving the canvas's tools alone.
    void SolidFill(const TRect& rect, TColor color);
    void EdgeFrame(const TRect& rect, TColor topLeft, TColor bottomRight);
    // One character cell of the fixed metric at device (x, y); the cell's background follows BkMode.
    void DrawCharCell(const TDeviceArea& area, int x, int y, const char* bytes, int length, bool underline,
                      bool glyph);

    TDeviceArea RequireTarget();
    TDeviceArea CurrentArea() const;
    bool Opaque() const;

    void DrawLineDevice(const TDeviceArea& area, TPoint from, TPoint to, bool includeLast);
    void FillRectDevice(const TDeviceArea& area, const TRect& rect, bool mixWithPen);
    void PaintText(const TDeviceArea& area, int x, int y, const AnsiString& text);
    void BlockCopy(const TRect& dest, const TBitmap* source, const TRect& sourceRect, TCopyMode mode,
                   bool transparent, TColor transparentColor, bool brushReplace);

    TBitmap* FTarget = nullptr;
    TPoint FOrigin;
    bool FHasDeviceClip = false;
    TRect FDeviceClip;
    bool FHasClip = false;
    TRect FClip;
    std::unique_ptr<TFont> FFont;
    std::unique_ptr<TBrush> FBrush;
    std::unique_ptr<TPen> FPen;
    TPoint FPenPos;
    TCopyMode FCopyMode = cmSrcCopy;
    TNotifyEvent FOnChange;
    int FBkMode = 0;                 // 0: follow the brush
    unsigned FBkBrushGeneration = 0; // brush generation when SetBkMode was called
};

// Frames the rectangle width times inward, top and left edges in topColor, bottom and right in
// bottomColor, and leaves rect shrunk by width; the pen is left 1 pixel wide in bottomColor.
void Frame3D(TCanvas* canvas, TRect& rect, TColor topColor, TColor bottomColor, int width);

// DrawText formats.
constexpr unsigned DT_TOP = 0x0;
constexpr unsigned DT_LEFT = 0x0;
constexpr unsigned DT_CENTER = 0x1;
constexpr unsigned DT_RIGHT = 0x2;
constexpr unsigned DT_VCENTER = 0x4;
constexpr unsigned DT_BOTTOM = 0x8;
constexpr unsigned DT_WORDBREAK = 0x10;
constexpr unsigned DT_SINGLELINE = 0x20;
constexpr unsigned DT_EXPANDTABS = 0x40;
constexpr unsigned DT_TABSTOP = 0x80;
constexpr unsigned DT_NOCLIP = 0x100;
constexpr unsigned DT_EXTERNALLEADING = 0x200;
constexpr unsigned DT_CALCRECT = 0x400;
constexpr unsigned DT_NOPREFIX = 0x800;
constexpr unsigned DT_INTERNAL = 0x1000;
constexpr unsigned DT_EDITCONTROL = 0x2000;
constexpr unsigned DT_PATH_ELLIPSIS = 0x4000;
constexpr unsigned DT_END_ELLIPSIS = 0x8000;
constexpr unsigned DT_MODIFYSTRING = 0x10000;
constexpr unsigned DT_RTLREADING = 0x20000;
constexpr unsigned DT_WORD_ELLIPSIS = 0x40000;
constexpr unsigned DT_HIDEPREFIX = 0x100000;
constexpr unsigned DT_PREFIXONLY = 0x200000;

// Draws text in rect with the canvas's font, in the platform's rules: lines break at line ends unless
// DT_SINGLELINE, and between words with DT_WORDBREAK; "&x" underlines x and "&&" shows "&" unless
// DT_NOPREFIX; DT_VCENTER and DT_BOTTOM place a single line; an ellipsis ends a line that does not fit.
// With DT_CALCRECT nothing is drawn and rect's right and bottom edges take the text's extent. Returns the
// text's height (from rect's top to the text's bottom when placed by DT_VCENTER or DT_BOTTOM).
int DrawText(TCanvas* canvas, const AnsiString& text, TRect& rect, unsigned format);

// DrawFrameControl types and states.
constexpr unsigned DFC_CAPTION = 1;
constexpr unsigned DFC_MENU = 2;
constexpr unsigned DFC_SCROLL = 3;
constexpr unsigned DFC_BUTTON = 4;
constexpr unsigned DFCS_BUTTONCHECK = 0x0000;
constexpr unsigned DFCS_BUTTONRADIOIMAGE = 0x0001;
constexpr unsigned DFCS_BUTTONRADIOMASK = 0x0002;
constexpr unsigned DFCS_BUTTONRADIO = 0x0004;
constexpr unsigned DFCS_BUTTON3STATE = 0x0008;
constexpr unsigned DFCS_BUTTONPUSH = 0x0010;
constexpr unsigned DFCS_SCROLLUP = 0x0000;
constexpr unsigned DFCS_SCROLLDOWN = 0x0001;
constexpr unsigned DFCS_SCROLLLEFT = 0x0002;
constexpr unsigned DFCS_SCROLLRIGHT = 0x0003;
constexpr unsigned DFCS_SCROLLCOMBOBOX = 0x0005;
constexpr unsigned DFCS_INACTIVE = 0x0100;
constexpr unsigned DFCS_PUSHED = 0x0200;
constexpr unsigned DFCS_CHECKED = 0x0400;
constexpr unsigned DFCS_TRANSPARENT = 0x0800;
constexpr unsigned DFCS_HOT = 0x1000;
constexpr unsigned DFCS_ADJUSTRECT = 0x2000;
constexpr unsigned DFCS_FLAT = 0x4000;
constexpr unsigned DFCS_MONO = 0x8000;

// Draws a push button, a check box, a radio button or a scroll/combo arrow button in the classic look.
// DFCS_ADJUSTRECT shrinks rect to the inside of the frame. False for a type or kind it does not draw.
bool DrawFrameControl(TCanvas* canvas, TRect& rect, unsigned type, unsigned state);

// DrawEdge borders and flags (the classic two-line 3-D edges).
constexpr unsigned BDR_RAISEDOUTER = 0x1;
constexpr unsigned BDR_SUNKENOUTER = 0x2;
constexpr unsigned BDR_RAISEDINNER = 0x4;
constexpr unsigned BDR_SUNKENINNER = 0x8;
constexpr unsigned EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER;
constexpr unsigned EDGE_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER;
constexpr unsigned EDGE_ETCHED = BDR_SUNKENOUTER | BDR_RAISEDINNER;
constexpr unsigned EDGE_BUMP = BDR_RAISEDOUTER | BDR_SUNKENINNER;
constexpr unsigned BF_LEFT = 0x1;
constexpr unsigned BF_TOP = 0x2;
constexpr unsigned BF_RIGHT = 0x4;
constexpr unsigned BF_BOTTOM = 0x8;
constexpr unsigned BF_RECT = BF_LEFT | BF_TOP | BF_RIGHT | BF_BOTTOM;
constexpr unsigned BF_MIDDLE = 0x800;
constexpr unsigned BF_FLAT = 0x4000;
constexpr unsigned BF_MONO = 0x8000;
constexpr unsigned BF_ADJUST = 0x2000;

// Draws the chosen edges of rect; BF_MIDDLE fills the inside with clBtnFace (clWindow when flat);
// BF_ADJUST shrinks rect past the edges drawn.
bool DrawEdge(TCanvas* canvas, TRect& rect, unsigned edge, unsigned flags);
