#include "classlib/graphics/canvas.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "classlib/graphics/bitmap.h"
#include "classlib/graphics/glyphs.h"
#include "classlib/graphics/textmetric.h"

namespace {

constexpr Cardinal kRgbMask = 0xFFFFFF;

Cardinal DeviceColor(TColor color) {
    return static_cast<Cardinal>(ColorToRGB(color)) & kRgbMask;
}

Cardinal MixPen(TPenMode mode, Cardinal p, Cardinal d) {
    Cardinal r = 0;
    switch (mode) {
    case pmBlack:
        r = 0;
        break;
    case pmWhite:
        r = kRgbMask;
        break;
    case pmNop:
        r = d;
        break;
    case pmNot:
        r = ~d;
        break;
    case pmCopy:
        r = p;
        break;
    case pmNotCopy:
        r = ~p;
        break;
    case pmMergePenNot:
        r = p | ~d;
        break;
    case pmMaskPenNot:
        r = p & ~d;
        break;
    case pmMergeNotPen:
        r = ~p | d;
        break;
    case pmMaskNotPen:
        r = ~p & d;
        break;
    case pmMerge:
        r = p | d;
        break;
    case pmNotMerge:
        r = ~(p | d);
        break;
    case pmMask:
        r = p & d;
        break;
    case pmNotMask:
        r = ~(p & d);
        break;
    case pmXor:
        r = p ^ d;
        break;
    case pmNotXor:
        r = ~(p ^ d);
        break;
    }
    return r & kRgbMask;
}

// A ternary raster operation: bit (pattern << 2 | source << 1 | dest) of the operation's code byte is
// the result for that combination of input bits.
Cardinal Rop3(TCopyMode rop, Cardinal p, Cardinal s, Cardinal d) {
    const Cardinal code = (rop >> 16) & 0xFF;
    if (code == 0xCC) return s;
    Cardinal r = 0;
    for (int i = 0; i < 8; ++i) {
        if (!(code & (1u << i))) continue;
        r |= ((i & 4) ? p : ~p) & ((i & 2) ? s : ~s) & ((i & 1) ? d : ~d);
    }
    return r & kRgbMask;
}

int Mod8(int v) {
    return ((v % 8) + 8) % 8;
}

// Hatch lines sit at fixed device positions, eight pixels apart.
bool HatchHit(TBrushStyle style, int x, int y) {
    switch (style) {
    case bsHorizontal:
        return Mod8(y) == 0;
    case bsVertical:
        return Mod8(x) == 0;
    case bsFDiagonal:
        return Mod8(x - y) == 0;
    case bsBDiagonal:
        return Mod8(x + y) == 0;
    case bsCross:
        return Mod8(x) == 0 || Mod8(y) == 0;
    case bsDiagCross:
        return Mod8(x - y) == 0 || Mod8(x + y) == 0;
    default:
        return true;
    }
}

// On and off runs of the styled one-pixel pens.
std::span<const int> PenPattern(TPenStyle style) {
    static constexpr int dash[] = {18, 6};
    static constexpr int dot[] = {3, 3};
    static constexpr int dashDot[] = {9, 6, 3, 6};
    static constexpr int dashDotDot[] = {9, 3, 3, 3, 3, 3};
    switch (style) {
    case psDash:
        return dash;
    case psDot:
        return dot;
    case psDashDot:
        return dashDot;
    case psDashDotDot:
        return dashDotDot;
    default:
        return {};
    }
}

bool PatternOn(std::span<const int> pattern, int index) {
    int period = 0;
    for (int run : pattern)
        period += run;
    int pos = index % period;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pos < pattern[i]) return i % 2 == 0;
        pos -= pattern[i];
    }
    return true;
}

std::vector<TPoint> BresenhamLine(TPoint from, TPoint to, bool includeLast) {
    std::vector<TPoint> points;
    int x = from.X, y = from.Y;
    const int dx = std::abs(to.X - x), sx = x < to.X ? 1 : -1;
    const int dy = -std::abs(to.Y - y), sy = y < to.Y ? 1 : -1;
    int err = dx + dy;
    while (true) {
        if (x == to.X && y == to.Y) {
            if (includeLast) points.push_back({x, y});
            break;
        }
        points.push_back({x, y});
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
    return points;
}

// The classic check mark, 7 x 7, one string per row.
constexpr const char* kCheckMark[7] = {
    "......X", ".....XX", "X...XXX", "XX.XXX.", "XXXXX..", ".XXX...", "..X....",
};

} // namespace

struct TCanvas::TDeviceArea {
    TBitmap* Bitmap = nullptr;
    TPoint Origin;
    TRect Clip; // device coordinates, inside the bitmap

    bool Visible(int x, int y) const { return PtInRect(Clip, TPoint{x, y}); }
    Cardinal& At(int x, int y) const {
        return Bitmap->FPixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(Bitmap->FWidth) +
                               static_cast<std::size_t>(x)];
    }
    TRect ToDevice(const TRect& r) const {
        return {r.Left + Origin.X, r.Top + Origin.Y, r.Right + Origin.X, r.Bottom + Origin.Y};
    }
    TPoint ToDevice(TPoint p) const { return {p.X + Origin.X, p.Y + Origin.Y}; }
};

KVR_PUBLISHED(TCanvas, c) {
    c.Property("Brush", &TCanvas::Brush, &TCanvas::SetBrush);
    c.Property("CopyMode", &TCanvas::CopyMode, &TCanvas::SetCopyMode).Default(cmSrcCopy);
    c.Property("Font", &TCanvas::Font, &TCanvas::SetFont);
    c.Property("Pen", &TCanvas::Pen, &TCanvas::SetPen);
}

void TCanvas::Changed() {
    if (FOnChange) FOnChange(this);
}

TCanvas::TCanvas()
    : FFont(std::make_unique<TFont>()), FBrush(std::make_unique<TBrush>()), FPen(std::make_unique<TPen>()) {}

TCanvas::~TCanvas() {
    ClearTarget();
}

void TCanvas::SetTarget(TBitmap* bitmap, TPoint origin, const TRect* deviceClip) {
    if (bitmap != FTarget) {
        if (FTarget) FTarget->Detach(this);
        FTarget = bitmap;
        if (FTarget) FTarget->Attach(this);
    }
    FOrigin = origin;
    FHasDeviceClip = deviceClip != nullptr;
    FDeviceClip = deviceClip ? *deviceClip : TRect{};
}

void TCanvas::ClearTarget() {
    if (FTarget) FTarget->Detach(this);
    FTarget = nullptr;
    FHasDeviceClip = false;
}

int TCanvas::BkMode() const {
    if (FBkMode != 0 && FBkBrushGeneration == FBrush->Generation()) return FBkMode;
    return FBrush->Style() == bsSolid ? OPAQUE : TRANSPARENT;
}

void TCanvas::SetBkMode(int mode) {
    if (mode != TRANSPARENT && mode != OPAQUE) return;
    FBkMode = mode;
    FBkBrushGeneration = FBrush->Generation();
}

bool TCanvas::Opaque() const {
    return BkMode() == OPAQUE;
}

TCanvas::TDeviceArea TCanvas::CurrentArea() const {
    TDeviceArea area;
    area.Bitmap = FTarget;
    area.Origin = FOrigin;
    if (!FTarget) return area;
    TRect clip{0, 0, FTarget->Width(), FTarget->Height()};
    if (FHasDeviceClip) IntersectRect(clip, clip, FDeviceClip);
    if (FHasClip) IntersectRect(clip, clip, area.ToDevice(FClip));
    area.Clip = clip;
    return area;
}

TCanvas::TDeviceArea TCanvas::RequireTarget() {
    if (!FTarget) CreateHandle();
    if (!FTarget) throw EInvalidOperation("Canvas does not allow drawing");
    return CurrentArea();
}

TRect TCanvas::ClipRect() const {
    if (!FTarget) return FHasClip ? FClip : TRect{};
    TRect clip = CurrentArea().Clip;
    OffsetRect(&clip, -FOrigin.X, -FOrigin.Y);
    return clip;
}

void TCanvas::SetClipRect(const TRect& rect) {
    FHasClip = true;
    FClip = rect;
}

void TCanvas::ResetClipRect() {
    FHasClip = false;
}

TColor TCanvas::Pixel(int x, int y) {
    const TDeviceArea area = RequireTarget();
    const TPoint p = area.ToDevice(TPoint{x, y});
    if (!area.Visible(p.X, p.Y)) return CLR_INVALID;
    return static_cast<TColor>(area.At(p.X, p.Y));
}

void TCanvas::SetPixel(int x, int y, TColor color) {
    const TDeviceArea area = RequireTarget();
    const TPoint p = area.ToDevice(TPoint{x, y});
    if (!area.Visible(p.X, p.Y)) return;
    area.At(p.X, p.Y) = DeviceColor(color);
    Changed();
}

void TCanvas::FillRectDevice(const TDeviceArea& area, const TRect& rect, bool mixWithPen) {
    const TBrushStyle style = FBrush->Style();
    if (style == bsClear) return;
    TRect r;
    if (!IntersectRect(r, rect, area.Clip)) return;
    const Cardinal color = DeviceColor(FBrush->Color());
    // Copying the pen's colour leaves the brush's colour as it is.
    const TPenMode mode = mixWithPen ? FPen->Mode() : pmCopy;
    const std::size_t width = static_cast<std::size_t>(r.Right - r.Left);
    for (int y = r.Top; y < r.Bottom; ++y) {
        // Most fills are solid copies: a row at once, which the compiler turns into wide stores.
        Cardinal* row = &area.At(r.Left, y);
        if (style == bsSolid && mode == pmCopy) {
            std::fill_n(row, width, color);
            continue;
        }
        for (int x = r.Left; x < r.Right; ++x) {
            if (style != bsSolid && !HatchHit(style, x, y)) continue;
            Cardinal& d = row[x - r.Left];
            d = MixPen(mode, color, d);
        }
    }
}

void TCanvas::SolidFill(const TRect& rect, TColor color) {
    const TDeviceArea area = RequireTarget();
    TRect r;
    if (!IntersectRect(r, area.ToDevice(rect), area.Clip)) return;
    const Cardinal c = DeviceColor(color);
    for (int y = r.Top; y < r.Bottom; ++y)
        std::fill_n(&area.At(r.Left, y), static_cast<std::size_t>(r.Right - r.Left), c);
}

void TCanvas::EdgeFrame(const TRect& rect, TColor topLeft, TColor bottomRight) {
    if (IsRectEmpty(rect)) return;
    SolidFill({rect.Left, rect.Top, rect.Right - 1, rect.Top + 1}, topLeft);
    SolidFill({rect.Left, rect.Top, rect.Left + 1, rect.Bottom - 1}, topLeft);
    SolidFill({rect.Right - 1, rect.Top, rect.Right, rect.Bottom}, bottomRight);
    SolidFill({rect.Left, rect.Bottom - 1, rect.Right, rect.Bottom}, bottomRight);
}

void TCanvas::FillRect(const TRect& rect) {
    const TDeviceArea area = RequireTarget();
    FillRectDevice(area, area.ToDevice(rect), false);
    Changed();
}

void TCanvas::FrameRect(const TRect& rect) {
    const TDeviceArea area = RequireTarget();
    if (IsRectEmpty(rect) || FBrush->Style() == bsClear) return;
    const TRect r = area.ToDevice(rect);
    FillRectDevice(area, {r.Left, r.Top, r.Right, r.Top + 1}, false);
    FillRectDevice(area, {r.Left, r.Bottom - 1, r.Right, r.Bottom}, false);
    FillRectDevice(area, {r.Left, r.Top + 1, r.Left + 1, r.Bottom - 1}, false);
    FillRectDevice(area, {r.Right - 1, r.Top + 1, r.Right, r.Bottom - 1}, false);
    Changed();
}

void TCanvas::DrawLineDevice(const TDeviceArea& area, TPoint from, TPoint to, bool includeLast) {
    const TPenStyle style = FPen->Style();
    if (style == psClear) return;
    const Cardinal color = DeviceColor(FPen->Color());
    const TPenMode mode = FPen->Mode();
    const int width = std::max(1, FPen->Width());
    const std::vector<TPoint> points = BresenhamLine(from, to, includeLast);
    if (width == 1) {
        const std::span<const int> pattern = PenPattern(style);
        const bool opaque = Opaque();
        const Cardinal background = DeviceColor(FBrush->Color());
        for (std::size_t i = 0; i < points.size(); ++i) {
            const TPoint p = points[i];
            if (!area.Visible(p.X, p.Y)) continue;
            Cardinal& d = area.At(p.X, p.Y);
            if (pattern.empty() || PatternOn(pattern, static_cast<int>(i))) {
                d = MixPen(mode, color, d);
            } else if (opaque) {
                d = background;
            }
        }
        return;
    }
    // A wide pen is a square of its width moved along the line; each pixel is mixed once.
    const int before = (width - 1) / 2;
    const int after = width / 2;
    std::vector<TPoint> covered;
    for (const TPoint p : points)
        for (int y = p.Y - before; y <= p.Y + after; ++y)
            for (int x = p.X - before; x <= p.X + after; ++x)
                if (area.Visible(x, y)) covered.push_back({x, y});
    std::sort(covered.begin(), covered.end(),
              [](TPoint a, TPoint b) { return a.Y != b.Y ? a.Y < b.Y : a.X < b.X; });
    covered.erase(std::unique(covered.begin(), covered.end()), covered.end());
    for (const TPoint p : covered) {
        Cardinal& d = area.At(p.X, p.Y);
        d = MixPen(mode, color, d);
    }
}

void TCanvas::MoveTo(int x, int y) {
    FPenPos = {x, y};
}

void TCanvas::LineTo(int x, int y) {
    const TDeviceArea area = RequireTarget();
    DrawLineDevice(area, area.ToDevice(FPenPos), area.ToDevice(TPoint{x, y}), false);
    FPenPos = {x, y};
    Changed();
}

void TCanvas::Polyline(std::span<const TPoint> points) {
    const TDeviceArea area = RequireTarget();
    for (std::size_t i = 1; i < points.size(); ++i)
        DrawLineDevice(area, area.ToDevice(points[i - 1]), area.ToDevice(points[i]), false);
    Changed();
}

void TCanvas::Polygon(std::span<const TPoint> points) {
    const TDeviceArea area = RequireTarget();
    if (points.size() < 2) return;
    std::vector<TPoint> device;
    device.reserve(points.size());
    for (const TPoint p : points)
        device.push_back(area.ToDevice(p));
    // Fill by the alternate rule, the vertices taken as pixel centres, so the fill meets the outline
    // drawn through the same points; the outline's own pixels are left to the pen, mixed once.
    if (FBrush->Style() != bsClear) {
        std::vector<TPoint> outline;
        if (FPen->Style() != psClear) {
            for (std::size_t i = 0; i < device.size(); ++i) {
                const std::vector<TPoint> edge =
                    BresenhamLine(device[i], device[(i + 1) % device.size()], false);
                outline.insert(outline.end(), edge.begin(), edge.end());
            }
            std::sort(outline.begin(), outline.end(),
                      [](TPoint a, TPoint b) { return a.Y != b.Y ? a.Y < b.Y : a.X < b.X; });
        }
        auto onOutline = [&](int x, int y) {
            return std::binary_search(outline.begin(), outline.end(), TPoint{x, y},
                                      [](TPoint a, TPoint b) { return a.Y != b.Y ? a.Y < b.Y : a.X < b.X; });
        };
        int top = device[0].Y, bottom = device[0].Y;
        for (const TPoint p : device) {
            top = std::min(top, p.Y);
            bottom = std::max(bottom, p.Y);
        }
        top = std::max(top, area.Clip.Top);
        bottom = std::min(bottom, area.Clip.Bottom - 1);
        std::vector<double> crossings;
        for (int y = top; y <= bottom; ++y) {
            crossings.clear();
            for (std::size_t i = 0; i < device.size(); ++i) {
                const TPoint a = device[i];
                const TPoint b = device[(i + 1) % device.size()];
                if (a.Y == b.Y) continue;
                if (y < std::min(a.Y, b.Y) || y >= std::max(a.Y, b.Y)) continue;
                crossings.push_back(a.X + (y - a.Y) * (b.X - a.X) / static_cast<double>(b.Y - a.Y));
            }
            std::sort(crossings.begin(), crossings.end());
            for (std::size_t i = 0; i + 1 < crossings.size(); i += 2) {
                const int x0 = std::max(static_cast<int>(std::ceil(crossings[i])), area.Clip.Left);
                const int x1 = std::min(static_cast<int>(std::floor(crossings[i + 1])), area.Clip.Right - 1);
                for (int x = x0; x <= x1; ++x)
                    if (!onOutline(x, y)) FillRectDevice(area, {x, y, x + 1, y + 1}, true);
            }
        }
    }
    for (std::size_t i = 0; i < device.size(); ++i)
        DrawLineDevice(area, device[i], device[(i + 1) % device.size()], false);
    Changed();
}

void TCanvas::Rectangle(int x1, int y1, int x2, int y2) {
    const TDeviceArea area = RequireTarget();
    TRect r = area.ToDevice(TRect{std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)});
    if (IsRectEmpty(r)) return;
    const TPenStyle style = FPen->Style();
    if (style == psClear) {
        FillRectDevice(area, r, true);
        Changed();
        return;
    }
    const int width = std::max(1, FPen->Width());
    if (width == 1 && !PenPattern(style).empty()) {
        FillRectDevice(area, {r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1}, true);
        const TPoint corners[] = {
            {r.Left, r.Top}, {r.Right - 1, r.Top}, {r.Right - 1, r.Bottom - 1}, {r.Left, r.Bottom - 1}};
        for (int i = 0; i < 4; ++i)
            DrawLineDevice(area, corners[i], corners[(i + 1) % 4], false);
        Changed();
        return;
    }
    // A wide pen straddles the outline, or keeps inside it with psInsideFrame.
    TRect outer = r;
    if (style != psInsideFrame)
        outer = {r.Left - (width - 1) / 2, r.Top - (width - 1) / 2, r.Right + width / 2,
                 r.Bottom + width / 2};
    const TRect inner{outer.Left + width, outer.Top + width, outer.Right - width, outer.Bottom - width};
    TRect inside;
    if (IntersectRect(inside, inner, r)) FillRectDevice(area, inside, true);
    const Cardinal color = DeviceColor(FPen->Color());
    const TPenMode mode = FPen->Mode();
    TRect band;
    if (IntersectRect(band, outer, area.Clip)) {
        for (int y = band.Top; y < band.Bottom; ++y) {
            for (int x = band.Left; x < band.Right; ++x) {
                if (PtInRect(inner, TPoint{x, y})) continue;
                Cardinal& d = area.At(x, y);
                d = MixPen(mode, color, d);
            }
        }
    }
    Changed();
}

void TCanvas::Ellipse(int x1, int y1, int x2, int y2) {
    const TDeviceArea area = RequireTarget();
    const TRect r =
        area.ToDevice(TRect{std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)});
    if (IsRectEmpty(r)) return;
    const double cx = (r.Left + r.Right) / 2.0, cy = (r.Top + r.Bottom) / 2.0;
    const double a = r.Width() / 2.0, b = r.Height() / 2.0;
    auto inside = [&](int x, int y) {
        if (!PtInRect(r, TPoint{x, y})) return false;
        const double u = (x + 0.5 - cx) / a, v = (y + 0.5 - cy) / b;
        return u * u + v * v <= 1.0;
    };
    const bool outline = FPen->Style() != psClear;
    const int width = std::max(1, FPen->Width());
    const Cardinal penColor = DeviceColor(FPen->Color());
    const Cardinal brushColor = DeviceColor(FBrush->Color());
    const TBrushStyle brushStyle = FBrush->Style();
    const TPenMode mode = FPen->Mode();
    TRect visible;
    if (!IntersectRect(visible, r, area.Clip)) return;
    for (int y = visible.Top; y < visible.Bottom; ++y) {
        for (int x = visible.Left; x < visible.Right; ++x) {
            if (!inside(x, y)) continue;
            const bool edge = outline && (!inside(x - width, y) || !inside(x + width, y) ||
                                          !inside(x, y - width) || !inside(x, y + width));
            Cardinal& d = area.At(x, y);
            if (edge) {
                d = MixPen(mode, penColor, d);
            } else if (brushStyle != bsClear && (brushStyle == bsSolid || HatchHit(brushStyle, x, y))) {
                d = MixPen(mode, brushColor, d);
            }
        }
    }
    Changed();
}

void TCanvas::DrawFocusRect(const TRect& rect) {
    const TDeviceArea area = RequireTarget();
    const TRect r = area.ToDevice(rect);
    if (IsRectEmpty(r)) return;
    auto invert = [&](int x, int y) {
        if (((x + y) & 1) != 0 || !area.Visible(x, y)) return;
        Cardinal& d = area.At(x, y);
        d = ~d & kRgbMask;
    };
    for (int x = r.Left; x < r.Right; ++x) {
        invert(x, r.Top);
        if (r.Bottom - 1 != r.Top) invert(x, r.Bottom - 1);
    }
    for (int y = r.Top + 1; y < r.Bottom - 1; ++y) {
        invert(r.Left, y);
        if (r.Right - 1 != r.Left) invert(r.Right - 1, y);
    }
    Changed();
}

TSize TCanvas::TextExtent(const AnsiString& text) const {
    return FontTextExtent(FFont.get(), text);
}

void TCanvas::DrawCharCell(const TDeviceArea& area, int x, int y, const char* bytes, int length,
                           bool underline, bool glyph) {
    const int w = FontCharWidth(FFont.get(), length);
    const int h = FontPixelHeight(FFont.get());
    if (glyph && Opaque()) {
        const Cardinal background = DeviceColor(FBrush->Color());
        TRect cell;
        if (IntersectRect(cell, {x, y, x + w, y + h}, area.Clip))
            for (int py = cell.Top; py < cell.Bottom; ++py)
                for (int px = cell.Left; px < cell.Right; ++px)
                    area.At(px, py) = background;
    }
    const Cardinal color = DeviceColor(FFont->Color());
    auto plot = [&](int px, int py) {
        if (area.Visible(x + px, y + py)) area.At(x + px, y + py) = color;
    };
    const unsigned code = length >= 2 ? (static_cast<Byte>(bytes[0]) << 8) | static_cast<Byte>(bytes[1])
                                      : static_cast<Byte>(bytes[0]);
    const TFontStyles style = FFont->Style();
    const TGlyphCell* fontGlyph = glyph && (length >= 2 || code > 0x20) && TextLook() == tlGlyphs
                                      ? CellGlyph(FontCodePage(FFont.get()), bytes, length, w, h,
                                                  style.Contains(fsBold), style.Contains(fsItalic))
                                      : nullptr;
    if (fontGlyph) {
        // The font's glyph, blended onto what is under it by its coverage.
        TRect visible;
        if (IntersectRect(visible, {x, y, x + w, y + h}, area.Clip)) {
            const Cardinal r = color & 0xFF, g = (color >> 8) & 0xFF, b = (color >> 16) & 0xFF;
            for (int py = visible.Top; py < visible.Bottom; ++py) {
                const Byte* coverage =
                    &fontGlyph->Coverage[static_cast<std::size_t>(py - y) * static_cast<std::size_t>(w)];
                for (int px = visible.Left; px < visible.Right; ++px) {
                    const Cardinal a = coverage[px - x];
                    if (a == 0) continue;
                    Cardinal& d = area.At(px, py);
                    if (a == 255) {
                        d = color;
                        continue;
                    }
                    const auto mix = [a](Cardinal front, Cardinal back) {
                        return (front * a + back * (255 - a) + 127) / 255;
                    };
                    d = mix(r, d & 0xFF) | (mix(g, (d >> 8) & 0xFF) << 8) | (mix(b, (d >> 16) & 0xFF) << 16);
                }
            }
        }
    } else if (glyph && (length >= 2 || code > 0x20)) {
        // A box, for a character the font lacks or when boxes are asked for: an outlined box one pixel short
        // of the cell on the right, top and bottom, with a sparse pattern inside taken from the character
        // code.
        if (w >= 3 && h >= 4) {
            const int right = w - 2, top = 1, bottom = h - 2;
            for (int px = 0; px <= right; ++px) {
                plot(px, top);
                plot(px, bottom);
            }
            for (int py = top; py <= bottom; ++py) {
                plot(0, py);
                plot(right, py);
                if (style.Contains(fsBold) && right >= 3) {
                    plot(1, py);
                    plot(right - 1, py);
                }
            }
            const Cardinal hash = static_cast<Cardinal>(code) * 2654435761u;
            for (int py = top + 2; py <= bottom - 2; ++py)
                for (int px = 2; px <= right - 2; ++px)
                    if (((px + py) & 1) == 0 && ((hash >> ((px * 7 + py * 13) % 32)) & 1)) plot(px, py);
        } else {
            for (int py = 0; py < h; ++py)
                for (int px = 0; px < w; ++px)
                    plot(px, py);
        }
    }
    if (glyph && style.Contains(fsStrikeOut))
        for (int px = 0; px < w; ++px)
            plot(px, h / 2);
    if (underline || (glyph && style.Contains(fsUnderline)))
        for (int px = 0; px < w; ++px)
            plot(px, h - 1);
}

void TCanvas::PaintText(const TDeviceArea& area, int x, int y, const AnsiString& text) {
    const unsigned codePage = FontCodePage(FFont.get());
    for (std::size_t i = 0; i < text.size();) {
        const int length = FontCharLength(text, i, codePage);
        DrawCharCell(area, x, y, text.data() + i, length, false, true);
        x += FontCharWidth(FFont.get(), length);
        i += static_cast<std::size_t>(length);
    }
}

void TCanvas::TextOut(int x, int y, const AnsiString& text) {
    const TDeviceArea area = RequireTarget();
    const TPoint p = area.ToDevice(TPoint{x, y});
    PaintText(area, p.X, p.Y, text);
    FPenPos = {x + TextWidth(text), y};
    Changed();
}

void TCanvas::TextRect(const TRect& rect, int x, int y, const AnsiString& text) {
    TDeviceArea area = RequireTarget();
    if (!IntersectRect(area.Clip, area.Clip, area.ToDevice(rect))) return;
    if (FBrush->Style() != bsClear) {
        const Cardinal background = DeviceColor(FBrush->Color());
        for (int py = area.Clip.Top; py < area.Clip.Bottom; ++py)
            for (int px = area.Clip.Left; px < area.Clip.Right; ++px)
                area.At(px, py) = background;
    }
    const TPoint p = area.ToDevice(TPoint{x, y});
    PaintText(area, p.X, p.Y, text);
    Changed();
}

void TCanvas::BlockCopy(const TRect& dest, const TBitmap* source, const TRect& sourceRect, TCopyMode mode,
                        bool transparent, TColor transparentColor, bool brushReplace) {
    const TDeviceArea area = RequireTarget();
    if (!source) return;
    const TRect d = area.ToDevice(dest);
    const int dw = d.Width(), dh = d.Height();
    const int sw = sourceRect.Width(), sh = sourceRect.Height();
    if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0) return;
    TRect visible;
    if (!IntersectRect(visible, d, area.Clip)) return;
    const Cardinal key = DeviceColor(transparentColor);
    const bool brushClear = FBrush->Style() == bsClear;
    const Cardinal pattern = DeviceColor(FBrush->Color());
    // Sample the whole source first, so that a copy within one bitmap reads the picture as it was.
    constexpr long long kSkip = -1;
    std::vector<long long> samples(static_cast<std::size_t>(visible.Width()) *
                                   static_cast<std::size_t>(visible.Height()));
    std::size_t k = 0;
    for (int y = visible.Top; y < visible.Bottom; ++y) {
        const int sy = sourceRect.Top + static_cast<int>(static_cast<long long>(y - d.Top) * sh / dh);
        for (int x = visible.Left; x < visible.Right; ++x, ++k) {
            const int sx = sourceRect.Left + static_cast<int>(static_cast<long long>(x - d.Left) * sw / dw);
            samples[k] = kSkip;
            if (sx < 0 || sy < 0 || sx >= source->FWidth || sy >= source->FHeight) continue;
            Cardinal s =
                source->FPixels[static_cast<std::size_t>(sy) * static_cast<std::size_t>(source->FWidth) +
                                static_cast<std::size_t>(sx)] &
                kRgbMask;
            if (transparent && s == key) continue;
            if (brushReplace && s == key) {
                if (brushClear) continue;
                s = pattern;
            }
            samples[k] = s;
        }
    }
    k = 0;
    for (int y = visible.Top; y < visible.Bottom; ++y) {
        for (int x = visible.Left; x < visible.Right; ++x, ++k) {
            if (samples[k] == kSkip) continue;
            Cardinal& px = area.At(x, y);
            px = Rop3(mode, pattern, static_cast<Cardinal>(samples[k]), px);
        }
    }
    Changed();
}

void TCanvas::Draw(int x, int y, const TBitmap* bitmap) {
    if (!bitmap) {
        RequireTarget();
        return;
    }
    StretchDraw(Bounds(x, y, bitmap->Width(), bitmap->Height()), bitmap);
}

void TCanvas::StretchDraw(const TRect& rect, const TBitmap* bitmap) {
    if (!bitmap) {
        RequireTarget();
        return;
    }
    BlockCopy(rect, bitmap, {0, 0, bitmap->Width(), bitmap->Height()}, FCopyMode, bitmap->Transparent(),
              bitmap->TransparentColor(), false);
}

void TCanvas::CopyRect(const TRect& dest, TCanvas* source, const TRect& sourceRect) {
    if (!source) {
        RequireTarget();
        return;
    }
    const TDeviceArea from = source->RequireTarget();
    TRect s = from.ToDevice(sourceRect);
    BlockCopy(dest, from.Bitmap, s, FCopyMode, false, clBlack, false);
}

void TCanvas::BrushCopy(const TRect& dest, const TBitmap* bitmap, const TRect& source, TColor color) {
    BlockCopy(dest, bitmap, source, cmSrcCopy, false, color, true);
}

void Frame3D(TCanvas* canvas, TRect& rect, TColor topColor, TColor bottomColor, int width) {
    if (!canvas) return;
    canvas->Pen()->SetWidth(1);
    --rect.Bottom;
    --rect.Right;
    while (width > 0) {
        --width;
        const TPoint topLeft{rect.Left, rect.Top};
        const TPoint topRight{rect.Right, rect.Top};
        const TPoint bottomRight{rect.Right, rect.Bottom};
        canvas->Pen()->SetColor(topColor);
        canvas->Polyline({TPoint{rect.Left, rect.Bottom}, topLeft, topRight});
        canvas->Pen()->SetColor(bottomColor);
        canvas->Polyline({topRight, bottomRight, TPoint{rect.Left - 1, rect.Bottom}});
        InflateRect(&rect, -1, -1);
    }
    ++rect.Bottom;
    ++rect.Right;
}

// ---- DrawText -------------------------------------------------------------------------------------

namespace {

struct TTextItem {
    std::size_t Offset = 0; // in the prepared text
    int Length = 1;
    int Width = 0;
    bool Underline = false;
    bool Blank = false; // a single-byte space: a place to break
    bool Wide = false;  // a double-byte character: breaks may fall on either side
};

struct TTextLine {
    std::vector<TTextItem> Items;
    int Width = 0;
};

int ItemsWidth(const std::vector<TTextItem>& items) {
    int w = 0;
    for (const auto& item : items)
        w += item.Width;
    return w;
}

} // namespace

int DrawText(TCanvas* canvas, const AnsiString& text, TRect& rect, unsigned format) {
    if (!canvas) return 0;
    const TFont* font = canvas->Font();
    const unsigned codePage = FontCodePage(font);
    const int lineHeight = FontPixelHeight(font);
    const bool singleLine = format & DT_SINGLELINE;
    const bool prefix = !(format & DT_NOPREFIX);
    const bool showPrefix = !(format & DT_HIDEPREFIX);

    // Characters of the text with prefixes taken out, split into paragraphs at the line ends.
    AnsiString chars; // the bytes that are drawn; items point into it
    std::vector<std::vector<TTextItem>> paragraphs(1);
    for (std::size_t i = 0; i < text.size();) {
        const char c = text[i];
        if (!singleLine && (c == '\r' || c == '\n')) {
            i += (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
            if (i < text.size()) paragraphs.emplace_back();
            continue;
        }
        bool underline = false;
        if (prefix && c == '&') {
            if (i + 1 >= text.size()) break; // a lone "&" at the end shows nothing
            if (text[i + 1] == '&') {
                ++i;
            } else {
                underline = showPrefix;
                ++i;
                if (!singleLine && (text[i] == '\r' || text[i] == '\n')) continue;
            }
        }
        const int length = FontCharLength(text, i, codePage);
        TTextItem item;
        item.Offset = chars.size();
        item.Length = length;
        item.Width = FontCharWidth(font, length);
        item.Underline = underline;
        item.Blank = length == 1 && text[i] == ' ';
        item.Wide = length == 2;
        chars.append(text, i, static_cast<std::size_t>(length));
        paragraphs.back().push_back(item);
        i += static_cast<std::size_t>(length);
    }
    if (text.empty()) paragraphs.clear();

    const int maxWidth = rect.Width();
    std::vector<TTextLine> lines;
    for (auto& paragraph : paragraphs) {
        if (singleLine || !(format & DT_WORDBREAK)) {
            lines.push_back({paragraph, ItemsWidth(paragraph)});
            continue;
        }
        // Greedy breaking: a word is a run of single-byte non-blanks; a double-byte character stands alone;
        // blanks at a break are dropped.
        TTextLine current;
        bool wrapped = false;
        for (std::size_t i = 0; i < paragraph.size();) {
            std::size_t j = i + 1;
            if (!paragraph[i].Blank && !paragraph[i].Wide)
                while (j < paragraph.size() && !paragraph[j].Blank && !paragraph[j].Wide)
                    ++j;
            int tokenWidth = 0;
            for (std::size_t t = i; t < j; ++t)
                tokenWidth += paragraph[t].Width;
            const bool blank = paragraph[i].Blank;
            if (!blank && !current.Items.empty() && current.Width + tokenWidth > maxWidth) {
                while (!current.Items.empty() && current.Items.back().Blank) {
                    current.Width -= current.Items.back().Width;
                    current.Items.pop_back();
                }
                lines.push_back(std::move(current));
                current = TTextLine{};
                wrapped = true;
            }
            if (!(blank && wrapped && current.Items.empty())) {
                current.Items.insert(current.Items.end(), paragraph.begin() + static_cast<std::ptrdiff_t>(i),
                                     paragraph.begin() + static_cast<std::ptrdiff_t>(j));
                current.Width += tokenWidth;
            }
            i = j;
        }
        lines.push_back(std::move(current));
    }

    if (format & (DT_END_ELLIPSIS | DT_PATH_ELLIPSIS | DT_WORD_ELLIPSIS)) {
        const int dotWidth = FontCharWidth(font, 1);
        for (auto& line : lines) {
            if (line.Width <= maxWidth) continue;
            while (!line.Items.empty() && line.Width + 3 * dotWidth > maxWidth) {
                line.Width -= line.Items.back().Width;
                line.Items.pop_back();
            }
            for (int d = 0; d < 3; ++d) {
                TTextItem dot;
                dot.Offset = chars.size();
                dot.Width = dotWidth;
                chars.push_back('.');
                line.Items.push_back(dot);
                line.Width += dotWidth;
            }
        }
    }

    int textWidth = 0;
    for (const auto& line : lines)
        textWidth = std::max(textWidth, line.Width);
    const int textHeight = static_cast<int>(lines.size()) * lineHeight;
    int top = rect.Top;
    if (singleLine && (format & DT_VCENTER))
        top = rect.Top + (rect.Height() - lineHeight) / 2;
    else if (singleLine && (format & DT_BOTTOM))
        top = rect.Bottom - lineHeight;

    if (format & DT_CALCRECT) {
        rect.Right = rect.Left + textWidth;
        rect.Bottom = rect.Top + textHeight;
        return textHeight;
    }

    TCanvas::TDeviceArea area = canvas->RequireTarget();
    if (!(format & DT_NOCLIP) && !IntersectRect(area.Clip, area.Clip, area.ToDevice(rect))) {
        return singleLine && (format & (DT_VCENTER | DT_BOTTOM)) ? top - rect.Top + lineHeight : textHeight;
    }
    const bool glyphs = !(format & DT_PREFIXONLY);
    int y = top;
    for (const auto& line : lines) {
        int x = rect.Left;
        if (format & DT_CENTER)
            x = rect.Left + (maxWidth - line.Width) / 2;
        else if (format & DT_RIGHT)
            x = rect.Right - line.Width;
        for (const auto& item : line.Items) {
            const TPoint p = area.ToDevice(TPoint{x, y});
            canvas->DrawCharCell(area, p.X, p.Y, chars.data() + item.Offset, item.Length, item.Underline,
                                 glyphs);
            x += item.Width;
        }
        y += lineHeight;
    }
    canvas->Changed();
    return singleLine && (format & (DT_VCENTER | DT_BOTTOM)) ? top - rect.Top + lineHeight : textHeight;
}

// ---- Frame controls and edges ----------------------------------------------------------------------

namespace {

struct TEdgeColors {
    TColor TopLeft;
    TColor BottomRight;
};

} // namespace

bool DrawEdge(TCanvas* canvas, TRect& rect, unsigned edge, unsigned flags) {
    if (!canvas) return false;
    canvas->RequireTarget();
    TRect r = rect;
    auto line = [&](unsigned bdr, TEdgeColors colors) {
        if (!(edge & bdr)) return;
        TColor tl = colors.TopLeft, br = colors.BottomRight;
        if (flags & BF_MONO)
            tl = br = clWindowFrame;
        else if (flags & BF_FLAT)
            tl = br = (bdr & (BDR_RAISEDOUTER | BDR_SUNKENOUTER)) ? clBtnShadow : clBtnFace;
        if (flags & BF_TOP) canvas->SolidFill({r.Left, r.Top, r.Right - 1, r.Top + 1}, tl);
        if (flags & BF_LEFT) canvas->SolidFill({r.Left, r.Top, r.Left + 1, r.Bottom - 1}, tl);
        if (flags & BF_RIGHT) canvas->SolidFill({r.Right - 1, r.Top, r.Right, r.Bottom}, br);
        if (flags & BF_BOTTOM) canvas->SolidFill({r.Left, r.Bottom - 1, r.Right, r.Bottom}, br);
        if (flags & BF_TOP) ++r.Top;
        if (flags & BF_LEFT) ++r.Left;
        if (flags & BF_RIGHT) --r.Right;
        if (flags & BF_BOTTOM) --r.Bottom;
    };
    const unsigned outer = edge & (BDR_RAISEDOUTER | BDR_SUNKENOUTER);
    const unsigned inner = edge & (BDR_RAISEDINNER | BDR_SUNKENINNER);
    if (outer == BDR_RAISEDOUTER)
        line(BDR_RAISEDOUTER, {cl3DLight, cl3DDkShadow});
    else if (outer == BDR_SUNKENOUTER)
        line(BDR_SUNKENOUTER, {clBtnShadow, clBtnHighlight});
    if (inner == BDR_RAISEDINNER)
        line(BDR_RAISEDINNER, {clBtnHighlight, clBtnShadow});
    else if (inner == BDR_SUNKENINNER)
        line(BDR_SUNKENINNER, {cl3DDkShadow, cl3DLight});
    if (flags & BF_MIDDLE) canvas->SolidFill(r, (flags & BF_FLAT) ? clWindow : clBtnFace);
    if (flags & BF_ADJUST) rect = r;
    canvas->Changed();
    return true;
}

bool DrawFrameControl(TCanvas* canvas, TRect& rect, unsigned type, unsigned state) {
    if (!canvas) return false;
    const unsigned kind = state & 0xFF;
    const bool flat = state & (DFCS_FLAT | DFCS_MONO);
    const bool pushed = state & DFCS_PUSHED;
    const bool inactive = state & DFCS_INACTIVE;
    const bool checked = state & DFCS_CHECKED;
    TRect r = rect;

    if (type == DFC_BUTTON && kind == DFCS_BUTTONPUSH) {
        canvas->RequireTarget();
        if (flat) {
            canvas->EdgeFrame(r, clBtnShadow, clBtnShadow);
            InflateRect(&r, -1, -1);
        } else {
            DrawEdge(canvas, r, (pushed || checked) ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_ADJUST);
        }
        if (!(state & DFCS_TRANSPARENT)) canvas->SolidFill(r, clBtnFace);
        if (state & DFCS_ADJUSTRECT) rect = r;
        canvas->Changed();
        return true;
    }

    if (type == DFC_BUTTON &&
        (kind == DFCS_BUTTONCHECK || kind == DFCS_BUTTON3STATE || kind == DFCS_BUTTONRADIO)) {
        canvas->RequireTarget();
        const int side = std::min(r.Width(), r.Height());
        if (side <= 0) return true;
        const TRect box =
            Bounds(r.Left + (r.Width() - side) / 2, r.Top + (r.Height() - side) / 2, side, side);
        const bool grayed = kind == DFCS_BUTTON3STATE && checked;
        const TColor face = (inactive || pushed || grayed) ? clBtnFace : clWindow;
        const TColor mark = (inactive || grayed) ? clBtnShadow : clWindowText;
        if (kind == DFCS_BUTTONRADIO) {
            // Rings by the distance of each pixel centre from the middle; corners stay as they were.
            const double c = side / 2.0;
            const double dotRadius = std::max(1.5, side / 5.0);
            for (int y = 0; y < side; ++y) {
                for (int x = 0; x < side; ++x) {
                    const double dx = x + 0.5 - c, dy = y + 0.5 - c;
                    const double d = std::sqrt(dx * dx + dy * dy);
                    if (d > c) continue;
                    const bool upperLeft = dx + dy < 0;
                    TColor color = face;
                    if (d > c - 1)
                        color = flat ? clBtnShadow : (upperLeft ? clBtnShadow : clBtnHighlight);
                    else if (d > c - 2 && !flat)
                        color = upperLeft ? cl3DDkShadow : cl3DLight;
                    if (checked && d <= dotRadius) color = mark;
                    canvas->SolidFill(Bounds(box.Left + x, box.Top + y, 1, 1), color);
                }
            }
            canvas->Changed();
            return true;
        }
        TRect inside = box;
        if (flat) {
            canvas->EdgeFrame(inside, clBtnShadow, clBtnShadow);
            InflateRect(&inside, -1, -1);
        } else {
            DrawEdge(canvas, inside, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
        }
        canvas->SolidFill(inside, face);
        if (checked) {
            const int mx = inside.Left + (inside.Width() - 7) / 2;
            const int my = inside.Top + (inside.Height() - 7) / 2;
            for (int y = 0; y < 7; ++y)
                for (int x = 0; x < 7; ++x)
                    if (kCheckMark[y][x] == 'X' && PtInRect(inside, TPoint{mx + x, my + y}))
                        canvas->SolidFill(Bounds(mx + x, my + y, 1, 1), mark);
        }
        canvas->Changed();
        return true;
    }

    if (type == DFC_SCROLL && (kind <= DFCS_SCROLLRIGHT || kind == DFCS_SCROLLCOMBOBOX)) {
        canvas->RequireTarget();
        if (flat || pushed) {
            canvas->EdgeFrame(r, clBtnShadow, clBtnShadow);
            InflateRect(&r, -1, -1);
        } else {
            DrawEdge(canvas, r, EDGE_RAISED, BF_RECT | BF_ADJUST);
        }
        canvas->SolidFill(r, clBtnFace);
        if (state & DFCS_ADJUSTRECT) rect = r;
        // The arrow: a filled triangle of height a and base 2a - 1, centred, one pixel down and right
        // while pushed; grey and embossed while inactive.
        const int side = std::min(r.Width(), r.Height());
        const int a = std::max(1, side / 3);
        const bool vertical = kind == DFCS_SCROLLUP || kind == DFCS_SCROLLDOWN || kind == DFCS_SCROLLCOMBOBOX;
        const int along = 2 * a - 1;
        const int boxW = vertical ? along : a, boxH = vertical ? a : along;
        const int shift = pushed ? 1 : 0;
        const int ax = r.Left + (r.Width() - boxW) / 2 + shift;
        const int ay = r.Top + (r.Height() - boxH) / 2 + shift;
        auto arrow = [&](int ox, int oy, TColor color) {
            for (int k = 0; k < a; ++k) {
                switch (kind) {
                case DFCS_SCROLLUP:
                    canvas->SolidFill({ox + a - 1 - k, oy + k, ox + a + k, oy + k + 1}, color);
                    break;
                case DFCS_SCROLLLEFT:
                    canvas->SolidFill({ox + k, oy + a - 1 - k, ox + k + 1, oy + a + k}, color);
                    break;
                case DFCS_SCROLLRIGHT:
                    canvas->SolidFill({ox + k, oy + k, ox + k + 1, oy + along - k}, color);
                    break;
                default: // down and combo box
                    canvas->SolidFill({ox + k, oy + k, ox + along - k, oy + k + 1}, color);
                    break;
                }
            }
        };
        if (inactive) {
            arrow(ax + 1, ay + 1, clBtnHighlight);
            arrow(ax, ay, clBtnShadow);
        } else {
            arrow(ax, ay, clBtnText);
        }
        canvas->Changed();
        return true;
    }
    return false;
}
