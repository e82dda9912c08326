#include "classlib/graphics/textmetric.h"

#include <cstdlib>

#include "classlib/rtl/codepages.h"

int FontPixelHeight(const TFont* font) {
    if (!font) return 12;
    const int height = std::abs(font->Height());
    return height == 0 ? 12 : height;
}

unsigned FontCodePage(const TFont* font) {
    if (!font) return GetACP();
    switch (font->Charset()) {
    case SYMBOL_CHARSET:
        return 0;
    case GB2312_CHARSET:
        return 936;
    case CHINESEBIG5_CHARSET:
        return 950;
    default:
        return GetACP();
    }
}

int FontCharLength(const AnsiString& text, std::size_t index, unsigned codePage) {
    if (index >= text.size()) return 0;
    if (codePage != 0 && IsDBCSLeadByteEx(codePage, static_cast<Byte>(text[index])) &&
        index + 1 < text.size())
        return 2;
    return 1;
}

int FontCharWidth(const TFont* font, int byteLength) {
    const int height = FontPixelHeight(font);
    return byteLength >= 2 ? height : height / 2;
}

TSize FontTextExtent(const TFont* font, const AnsiString& text) {
    const unsigned codePage = FontCodePage(font);
    int width = 0;
    for (std::size_t i = 0; i < text.size();) {
        const int length = FontCharLength(text, i, codePage);
        width += FontCharWidth(font, length);
        i += static_cast<std::size_t>(length);
    }
    return {width, FontPixelHeight(font)};
}
