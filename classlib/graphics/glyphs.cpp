#include "classlib/graphics/glyphs.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <atomic>
#include <cmath>
#include <mutex>
#include <unordered_map>

#include "classlib/rtl/codepages.h"

namespace {

std::atomic<TTextLook> gTextLook{tlGlyphs};

// The font set-up installs; fontconfig gives the nearest one it has when it is missing.
constexpr const char* FontPattern = "WenQuanYi Micro Hei:lang=zh-cn";

// Italic slants by a fifth of the height, as FreeType's own oblique style does.
constexpr FT_Fixed ItalicShear = 0x0366A;

struct TGlyphEntry {
    bool Present = false;
    TGlyphCell Cell;
};

class TGlyphSource {
public:
    TGlyphSource() {
        if (FT_Init_FreeType(&FLibrary) != 0) {
            FLibrary = nullptr;
            return;
        }
        int index = 0;
        FFile = FindFont(index);
        if (FFile.empty() || FT_New_Face(FLibrary, FFile.c_str(), index, &FFace) != 0 ||
            !FT_IS_SCALABLE(FFace) || FT_Select_Charmap(FFace, FT_ENCODING_UNICODE) != 0) {
            if (FFace) FT_Done_Face(FFace);
            FFace = nullptr;
            FFile.clear();
        }
    }
    ~TGlyphSource() {
        if (FFace) FT_Done_Face(FFace);
        if (FLibrary) FT_Done_FreeType(FLibrary);
    }
    TGlyphSource(const TGlyphSource&) = delete;
    TGlyphSource& operator=(const TGlyphSource&) = delete;

    const AnsiString& File() const { return FFile; }

    const TGlyphCell* Glyph(unsigned codePage, const char* bytes, int length, int width, int height,
                            bool bold, bool italic) {
        if (!FFace || length < 1 || length > 2 || width < 1 || height < 1 || width > 0xFFF || height > 0xFFF)
            return nullptr;
        const std::uint64_t code = length == 2
                                       ? (static_cast<Byte>(bytes[0]) << 8) | static_cast<Byte>(bytes[1])
                                       : static_cast<Byte>(bytes[0]);
        const std::uint64_t key = code | (static_cast<std::uint64_t>(codePage & 0xFFFF) << 16) |
                                  (static_cast<std::uint64_t>(width) << 32) |
                                  (static_cast<std::uint64_t>(height) << 44) | (std::uint64_t{bold} << 56) |
                                  (std::uint64_t{italic} << 57);
        std::lock_guard<std::mutex> lock(FLock);
        auto found = FCache.find(key);
        if (found == FCache.end())
            found = FCache.emplace(key, Render(codePage, bytes, length, width, height, bold, italic)).first;
        return found->second.Present ? &found->second.Cell : nullptr;
    }

private:
    static AnsiString FindFont(int& index) {
        AnsiString file;
        FcConfig* config = FcInitLoadConfigAndFonts();
        if (!config) return file;
        FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(FontPattern));
        if (pattern) {
            FcConfigSubstitute(config, pattern, FcMatchPattern);
            FcDefaultSubstitute(pattern);
            FcResult result = FcResultNoMatch;
            if (FcPattern* match = FcFontMatch(config, pattern, &result)) {
                FcChar8* path = nullptr;
                if (FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch && path)
                    file = reinterpret_cast<const char*>(path);
                if (FcPatternGetInteger(match, FC_INDEX, 0, &index) != FcResultMatch) index = 0;
                FcPatternDestroy(match);
            }
            FcPatternDestroy(pattern);
        }
        FcConfigDestroy(config);
        return file;
    }

    // The Unicode character of the bytes; 0 when they are none.
    static char32_t Decode(unsigned codePage, const char* bytes, int length) {
        if (codePage == 0) return 0;
        char16_t wide[2] = {};
        if (MultiByteToWideChar(codePage, bytes, length, wide, 2) != 1) return 0;
        // A broken sequence decodes to the default character.
        if ((wide[0] == u'?' && !(length == 1 && bytes[0] == '?')) || wide[0] == 0xFFFD) return 0;
        if (wide[0] >= 0xD800 && wide[0] <= 0xDFFF) return 0;
        return wide[0];
    }

    TGlyphEntry Render(unsigned codePage, const char* bytes, int length, int width, int height, bool bold,
                       bool italic) {
        TGlyphEntry entry;
        const char32_t character = Decode(codePage, bytes, length);
        const FT_UInt index = character ? FT_Get_Char_Index(FFace, character) : 0;
        if (index == 0) return entry;

        // A full cell takes the font at its height; a half cell a font whose ascent and descent together
        // fit the height, so that letters with descenders stay inside. Both share one baseline.
        const double units = static_cast<double>(FFace->ascender - FFace->descender);
        if (units <= 0) return entry;
        const bool wide = width >= height;
        const double em = wide ? height : height * FFace->units_per_EM / units;
        const int baseline = static_cast<int>(std::lround(height * FFace->ascender / units));
        if (FT_Set_Char_Size(FFace, 0, static_cast<FT_F26Dot6>(std::lround(em * 64)), 72, 72) != 0)
            return entry;
        if (FT_Load_Glyph(FFace, index, FT_LOAD_NO_BITMAP | FT_LOAD_TARGET_LIGHT) != 0) return entry;
        FT_GlyphSlot slot = FFace->glyph;
        if (slot->format != FT_GLYPH_FORMAT_OUTLINE) return entry;

        FT_Pos advance = slot->advance.x;
        if (bold) {
            const FT_Pos strength = std::max<FT_Pos>(48, static_cast<FT_Pos>(em * 64 / 24));
            FT_Outline_EmboldenXY(&slot->outline, strength, strength / 2);
            advance += strength;
        }
        // Squeezed across when wider than its cell, centred in it.
        const double scale = advance > width * 64 ? width * 64.0 / advance : 1.0;
        FT_Matrix matrix{static_cast<FT_Fixed>(std::lround(scale * 0x10000)), italic ? ItalicShear : 0, 0,
                         0x10000};
        FT_Outline_Transform(&slot->outline, &matrix);
        FT_Pos shift = static_cast<FT_Pos>(std::lround((width * 64 - advance * scale) / 2));
        if (italic) shift -= static_cast<FT_Pos>(std::lround(em * 64 * 0.2 * 0.4)); // the slant leans right
        FT_Outline_Translate(&slot->outline, shift, 0);
        if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) return entry;

        entry.Present = true;
        TGlyphCell& cell = entry.Cell;
        cell.Width = width;
        cell.Height = height;
        cell.Coverage.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
        const FT_Bitmap& bitmap = slot->bitmap;
        for (unsigned r = 0; r < bitmap.rows; ++r) {
            const int y = baseline - slot->bitmap_top + static_cast<int>(r);
            if (y < 0 || y >= height) continue;
            const unsigned char* row = bitmap.buffer + static_cast<std::ptrdiff_t>(r) * bitmap.pitch;
            for (unsigned c = 0; c < bitmap.width; ++c) {
                const int x = slot->bitmap_left + static_cast<int>(c);
                if (x < 0 || x >= width) continue;
                cell.Coverage[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                              static_cast<std::size_t>(x)] = row[c];
            }
        }
        return entry;
    }

    FT_Library FLibrary = nullptr;
    FT_Face FFace = nullptr;
    AnsiString FFile;
    std::mutex FLock;
    std::unordered_map<std::uint64_t, TGlyphEntry> FCache;
};

TGlyphSource& Source() {
    static TGlyphSource source;
    return source;
}

} // namespace

TTextLook TextLook() {
    return gTextLook.load(std::memory_order_relaxed);
}

void SetTextLook(TTextLook look) {
    gTextLook.store(look, std::memory_order_relaxed);
}

const TGlyphCell* CellGlyph(unsigned codePage, const char* bytes, int length, int width, int height,
                            bool bold, bool italic) {
    return Source().Glyph(codePage, bytes, length, width, height, bold, italic);
}

AnsiString GlyphFontFile() {
    return Source().File();
}
