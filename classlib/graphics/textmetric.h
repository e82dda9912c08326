#pragma once
// The fixed text metric of the headless screen: every character cell is as high as the font's pixel
// height; a single-byte character is half that wide, a double-byte character the full height. Layouts
// and pictures come out the same on every machine.
#include "classlib/graphics/graphics.h"
#include "classlib/graphics/types.h"

// The font's height in pixels, whether given as character height (negative) or cell height; a zero
// height means the platform's default of 12.
int FontPixelHeight(const TFont* font);
// The code page whose lead bytes start double-byte characters in the font: the font's charset when it
// names one, else the system code page; 0 for a symbol font, whose bytes are all single characters.
unsigned FontCodePage(const TFont* font);
// Bytes of the character at index: 2 for a lead byte with a byte after it, else 1; 0 past the end.
int FontCharLength(const AnsiString& text, std::size_t index, unsigned codePage);
// Width of a character cell of the given byte length.
int FontCharWidth(const TFont* font, int byteLength);
// The extent of a line of text as drawn, every byte a character or half of one ("&" included).
TSize FontTextExtent(const TFont* font, const AnsiString& text);
