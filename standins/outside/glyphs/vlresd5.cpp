#include "standins/outside/glyphs/vlresd5.h"

#include <cstdlib>

#include "classlib/graphics/bitmap.h"

namespace {

constexpr int kMaxId = 12;
constexpr int kSize = 16;
constexpr TColor kBack = clOlive; // the transparent colour of every frame (its bottom-left pixel)

// A shape on a 16 x 16 frame: whether the pixel belongs to it.
using TShapeTest = bool (*)(int x, int y);

bool Tick(int x, int y) {
    return (x >= 3 && x <= 6 && y == x + 4) || (x >= 6 && x <= 12 && y == 16 - x) ||
           (x >= 3 && x <= 6 && y == x + 5) || (x >= 6 && x <= 12 && y == 17 - x);
}
bool Cross(int x, int y) {
    return x >= 3 && x <= 12 && y >= 3 && y <= 12 && (std::abs(x - y) <= 1 || std::abs(x + y - 15) <= 1);
}
bool ArrowLeft(int x, int y) {
    return x >= 4 && x <= 11 && std::abs(y - 8) <= x - 4 && x <= 8;
}
bool ArrowRight(int x, int y) {
    return ArrowLeft(15 - x, y);
}
bool ArrowUp(int x, int y) {
    return ArrowLeft(y, x);
}
bool ArrowDown(int x, int y) {
    return ArrowLeft(15 - y, x);
}
bool Magnifier(int x, int y) {
    int d = (x - 6) * (x - 6) + (y - 6) * (y - 6);
    return (d >= 9 && d <= 20) || (x >= 9 && x <= 13 && std::abs(x - y) <= 0 && y >= 9);
}
bool Folder(int x, int y) {
    return (y >= 5 && y <= 13 && x >= 1 && x <= 14) || (y == 4 && x >= 1 && x <= 6);
}
bool Calendar(int x, int y) {
    bool frame = x >= 2 && x <= 13 && y >= 3 && y <= 13 && (x == 2 || x == 13 || y == 3 || y == 13 || y == 5);
    bool days = x >= 4 && x <= 11 && y >= 7 && y <= 11 && x % 2 == 0 && y % 2 == 1;
    return frame || days;
}
bool Dots(int x, int y) {
    return y >= 10 && y <= 11 && (x == 3 || x == 4 || x == 7 || x == 8 || x == 11 || x == 12);
}
bool Disk(int x, int y) {
    return x >= 2 && x <= 13 && y >= 2 && y <= 13 && !(x >= 5 && x <= 10 && y >= 2 && y <= 6);
}
bool Printer(int x, int y) {
    return (x >= 4 && x <= 11 && y >= 2 && y <= 5) || (x >= 1 && x <= 14 && y >= 6 && y <= 11);
}
bool Question(int x, int y) {
    return (y == 2 && x >= 5 && x <= 10) || (x == 11 && y >= 3 && y <= 6) || (x == 4 && y == 3) ||
           (y == 7 && x >= 7 && x <= 10) || (x == 7 && y >= 8 && y <= 10) || (x == 7 && y == 13);
}

struct TGlyph {
    int Number;
    TColor Color;
    TShapeTest Frames[4]; // the frames that are drawn; a frame without its own shape greys the first
    int FrameCount;
};

const TGlyph kGlyphs[] = {
    {1, clGreen, {Tick}, 2},
    {2, clRed, {Cross}, 2},
    {3, clNavy, {ArrowLeft, ArrowRight, ArrowUp, ArrowDown}, 4},
    {4, clBlack, {Magnifier}, 1},
    {6, clMaroon, {Folder}, 2},
    {7, clNavy, {Calendar}, 2},
    {8, clBlack, {Dots}, 2},
    {9, clBlue, {Disk}, 1},
    {10, clBlack, {Printer}, 2},
    {12, clBlue, {Question}, 1},
};

const TGlyph* FindGlyph(int number) {
    for (const TGlyph& g : kGlyphs)
        if (g.Number == number) return &g;
    return nullptr;
}

} // namespace

extern "C" __attribute__((visibility("default"))) int GetMaxBmpID(void) {
    return kMaxId;
}

extern "C" __attribute__((visibility("default"))) bool LoadBmp(TBitmap* bitmap, int number) {
    const TGlyph* glyph = FindGlyph(number);
    if (!bitmap || !glyph) return false;
    try {
        bitmap->SetSize(kSize * glyph->FrameCount, kSize);
        for (int f = 0; f < glyph->FrameCount; ++f) {
            TShapeTest shape = glyph->Frames[f] ? glyph->Frames[f] : glyph->Frames[0];
            TColor ink = glyph->Frames[f] ? glyph->Color : clGray;
            for (int y = 0; y < kSize; ++y)
                for (int x = 0; x < kSize; ++x)
                    bitmap->SetPixel(f * kSize + x, y, shape(x, y) ? ink : kBack);
        }
        bitmap->SetTransparent(true);
        return true;
    } catch (...) {
        return false;
    }
}
