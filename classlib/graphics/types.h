#pragma once
// Points, sizes and rectangles as the platform's records: a rectangle holds its right and bottom
// edges exclusive, so its width is Right - Left. Shared by the drawing and the control layers.
#include <algorithm>

struct TPoint {
    int X = 0;
    int Y = 0;

    friend bool operator==(const TPoint&, const TPoint&) = default;
};

struct TSize {
    int cx = 0;
    int cy = 0;

    friend bool operator==(const TSize&, const TSize&) = default;
};

struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    TPoint TopLeft() const { return {Left, Top}; }
    TPoint BottomRight() const { return {Right, Bottom}; }

    friend bool operator==(const TRect&, const TRect&) = default;
};

inline TPoint Point(int x, int y) {
    return {x, y};
}
inline TRect Rect(int left, int top, int right, int bottom) {
    return {left, top, right, bottom};
}
// A rectangle from its origin and extent.
inline TRect Bounds(int left, int top, int width, int height) {
    return {left, top, left + width, top + height};
}

// True when the rectangle holds no pixel (right not beyond left or bottom not below top).
bool IsRectEmpty(const TRect& rect);
// Both routines return False and leave the rectangle as it was when rect is null.
bool InflateRect(TRect* rect, int dx, int dy);
bool OffsetRect(TRect* rect, int dx, int dy);
// The right and bottom edges are outside the rectangle.
bool PtInRect(const TRect& rect, const TPoint& point);
// dest becomes the common part of a and b; an empty result is (0, 0, 0, 0) and gives False.
bool IntersectRect(TRect& dest, const TRect& a, const TRect& b);
// dest becomes the smallest rectangle holding both; an empty side is ignored. False when both are empty.
bool UnionRect(TRect& dest, const TRect& a, const TRect& b);
bool EqualRect(const TRect& a, const TRect& b);
