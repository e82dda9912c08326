#pragma once
// Test helpers of the graphics: compare bitmaps, or a part of one with a picture drawn as text (one
// character per pixel); count change notices.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "classlib/graphics/bitmap.h"

using TPixelKey = std::initializer_list<std::pair<char, TColor>>;

// The part of the bitmap at (left, top) as rows of key characters; '?' for a colour not in the key.
inline std::vector<std::string> PixelRows(const TBitmap& bitmap, int left, int top, int width, int height,
                                          TPixelKey key) {
    std::vector<std::string> rows;
    for (int y = top; y < top + height; ++y) {
        std::string row;
        for (int x = left; x < left + width; ++x) {
            char c = '?';
            for (const auto& k : key)
                if (ColorToRGB(k.second) == bitmap.Pixel(x, y)) {
                    c = k.first;
                    break;
                }
            row += c;
        }
        rows.push_back(row);
    }
    return rows;
}

inline ::testing::AssertionResult PixelsAre(const TBitmap& bitmap, int left, int top,
                                            std::initializer_list<const char*> expected, TPixelKey key) {
    const int height = static_cast<int>(expected.size());
    const int width = height ? static_cast<int>(std::string(*expected.begin()).size()) : 0;
    const std::vector<std::string> actual = PixelRows(bitmap, left, top, width, height, key);
    std::vector<std::string> wanted(expected.begin(), expected.end());
    if (actual == wanted) return ::testing::AssertionSuccess();
    auto failure = ::testing::AssertionFailure() << "pixels at (" << left << ", " << top << "):\n";
    for (std::size_t i = 0; i < actual.size(); ++i)
        failure << "  " << actual[i] << "   expected " << wanted[i] << "\n";
    return failure;
}

inline bool SamePixels(const TBitmap& a, const TBitmap& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            if (a.Pixel(x, y) != b.Pixel(x, y)) return false;
    return true;
}

// Counts the OnChange notices of a font, a brush, a picture...
class TChangeCount : public TObject {
public:
    int Count = 0;
    void Bump(TObject*) { ++Count; }
    TNotifyEvent Handler() { return TNotifyEvent(this, &TChangeCount::Bump); }
};

// A fresh white bitmap.
inline void WhiteBitmap(TBitmap& bitmap, int width, int height) {
    bitmap.SetSize(width, height);
    bitmap.Canvas()->Brush()->SetColor(clWhite);
    bitmap.Canvas()->FillRect(Rect(0, 0, width, height));
}

// A temporary folder removed with the object.
class TTempDir {
public:
    TTempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "kvr-graphics-XXXXXX").string();
        if (mkdtemp(pattern.data())) FPath = pattern;
    }
    ~TTempDir() {
        std::error_code ignored;
        if (!FPath.empty()) std::filesystem::remove_all(FPath, ignored);
    }
    std::string File(const std::string& name) const { return (std::filesystem::path(FPath) / name).string(); }
    const std::filesystem::path& Path() const { return FPath; }

private:
    std::filesystem::path FPath;
};
