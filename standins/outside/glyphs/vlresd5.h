#pragma once
// The suite's numbered glyph library, VlResD5.so, loaded by name. Its entry points have C linkage.
//
//   int GetMaxBmpID(void);
//     The highest glyph number the library knows. Numbers from 1 to it may still be unused.
//   bool LoadBmp(TBitmap* bitmap, int number);
//     Loads glyph `number` into the bitmap: a strip of square frames side by side (normal, then
//     disabled, ...). False, with the bitmap untouched, for a null bitmap or an unused number.
//
// Glyphs: 1 tick (2 frames), 2 cross (2), 3 arrows left, right, up, down (4, 64 x 16), 4 magnifier (1),
// 6 folder (2), 7 calendar (2), 8 pick dots (2), 9 disk (1), 10 printer (2), 12 question mark (1).
// 5 and 11 are unused.

class TBitmap;

#ifdef __cplusplus
extern "C" {
#endif

int GetMaxBmpID(void);
bool LoadBmp(TBitmap* bitmap, int number);

#ifdef __cplusplus
}
#endif

inline constexpr const char* GlyphLibraryName = "VlResD5.so";
