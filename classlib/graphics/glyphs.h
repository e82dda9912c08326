#pragma once
// The glyphs the headless screen draws its characters with: each character of a text is drawn from a
// real font (a CJK font found through fontconfig, rendered by FreeType, anti-aliased), scaled and placed
// inside the cell the fixed text metric (textmetric.h) gives it, so that layouts stay as the metric
// makes them whatever the font. A glyph is rendered once per cell size, style and character and kept
// for the rest of the process. Every call is thread-safe.
#include <cstdint>
#include <vector>

#include "classlib/rtl/types.h"

// How the canvas draws characters: as glyphs of the font (the default), or as the metric's boxes, which
// come out the same whatever font is installed (for tests and pictures about something else than text).
enum TTextLook { tlGlyphs, tlBoxes };
TTextLook TextLook();
void SetTextLook(TTextLook look);

// The coverage of one character cell, row by row, 0 (background) to 255 (the font's colour).
struct TGlyphCell {
    int Width = 0;
    int Height = 0;
    std::vector<Byte> Coverage;
};

// The glyph of the character (its bytes in the code page; code page 0, a symbol font, has none) in a cell
// of width x height pixels, bold and italic as asked; null when the font lacks the character, when the
// bytes are no character of the code page, or when no font was found: the caller draws a box then.
const TGlyphCell* CellGlyph(unsigned codePage, const char* bytes, int length, int width, int height,
                            bool bold, bool italic);

// The font file the glyphs come from; empty when none was found.
AnsiString GlyphFontFile();
