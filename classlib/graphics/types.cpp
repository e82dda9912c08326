#include "classlib/graphics/types.h"

bool IsRectEmpty(const TRect& rect) {
    return rect.Right <= rect.Left || rect.Bottom <= rect.Top;
}

bool InflateRect(TRect* rect, int dx, int dy) {
    if (!rect) return false;
    rect->Left -= dx;
    rect->Top -= dy;
    rect->Right += dx;
    rect->Bottom += dy;
    return true;
}

bool OffsetRect(TRect* rect, int dx, int dy) {
    if (!rect) return false;
    rect->Left += dx;
    rect->Right += dx;
    rect->Top += dy;
    rect->Bottom += dy;
    return true;
}

bool PtInRect(const TRect& rect, const TPoint& point) {
    return point.X >= rect.Left && point.X < rect.Right && point.Y >= rect.Top && point.Y < rect.Bottom;
}

bool IntersectRect(TRect& dest, const TRect& a, const TRect& b) {
    TRect r{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
            std::min(a.Bottom, b.Bottom)};
    if (IsRectEmpty(r)) {
        dest = TRect{};
        return false;
    }
    dest = r;
    return true;
}

bool UnionRect(TRect& dest, const TRect& a, const TRect& b) {
    const bool emptyA = IsRectEmpty(a);
    const bool emptyB = IsRectEmpty(b);
    if (emptyA && emptyB) {
        dest = TRect{};
        return false;
    }
    if (emptyA) {
        dest = b;
    } else if (emptyB) {
        dest = a;
    } else {
        dest = TRect{std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right),
                     std::max(a.Bottom, b.Bottom)};
    }
    return true;
}

bool EqualRect(const TRect& a, const TRect& b) {
    return a == b;
}
