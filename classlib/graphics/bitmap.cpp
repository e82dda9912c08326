#include "classlib/graphics/bitmap.h"

#include <png.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <mutex>

#include "classlib/rtl/files.h"
#include "classlib/rtl/strutils.h"

namespace {

constexpr Cardinal kRgbMask = 0xFFFFFF;
constexpr Cardinal kWhite = 0xFFFFFF;

void CheckSize(long long width, long long height) {
    if (width > MaxBitmapSide || height > MaxBitmapSide || width * height > MaxBitmapPixels)
        throw EInvalidGraphicOperation("Bitmap too large: " + std::to_string(width) + " x " +
                                       std::to_string(height) + " pixels");
}

struct TResourceEntry {
    TBitmapPainter Painter = nullptr;
    int Width = 0;
    int Height = 0;
    std::vector<Cardinal> Pixels;
};

struct TResourceRegistry {
    std::mutex Lock;
    std::map<AnsiString, TResourceEntry> Entries; // by upper-case name
};

TResourceRegistry& Resources() {
    static TResourceRegistry registry;
    return registry;
}

void StoreResource(const AnsiString& name, TResourceEntry entry) {
    TResourceRegistry& registry = Resources();
    std::lock_guard<std::mutex> guard(registry.Lock);
    registry.Entries[UpperCase(name)] = std::move(entry);
}

AnsiString SystemErrorText(int code) {
    return code ? std::strerror(code) : "unknown error";
}

} // namespace

// The bitmap's own canvas: always bound to it, and every drawing reports a change of the bitmap.
class TBitmap::TBitmapCanvas : public TCanvas {
public:
    explicit TBitmapCanvas(TBitmap* owner) : FOwner(owner) { SetTarget(owner); }

protected:
    void CreateHandle() override { SetTarget(FOwner); }
    void Changed() override { FOwner->Changed(); }

private:
    TBitmap* FOwner;
};

TBitmap::TBitmap() = default;

TBitmap::~TBitmap() {
    const std::vector<TCanvas*> bound = FBoundCanvases;
    for (TCanvas* canvas : bound)
        canvas->ClearTarget();
}

void TBitmap::Attach(TCanvas* canvas) {
    if (std::find(FBoundCanvases.begin(), FBoundCanvases.end(), canvas) == FBoundCanvases.end())
        FBoundCanvases.push_back(canvas);
}

void TBitmap::Detach(TCanvas* canvas) {
    FBoundCanvases.erase(std::remove(FBoundCanvases.begin(), FBoundCanvases.end(), canvas),
                         FBoundCanvases.end());
}

void TBitmap::Changed() {
    if (FOnChange) FOnChange.Proc(FOnChange.Data, nullptr);
}

void TBitmap::Replace(int width, int height, std::vector<Cardinal> pixels) {
    FWidth = width;
    FHeight = height;
    FPixels = std::move(pixels);
    Changed();
}

void TBitmap::Assign(const TBitmap* source) {
    if (source == this) return;
    if (!source) {
        Replace(0, 0, {});
        return;
    }
    FPixelFormat = source->FPixelFormat;
    FTransparent = source->FTransparent;
    FTransparentMode = source->FTransparentMode;
    FTransparentColor = source->FTransparentColor;
    Replace(source->FWidth, source->FHeight, source->FPixels);
}

void TBitmap::SetSize(int width, int height) {
    width = std::max(0, width);
    height = std::max(0, height);
    if (width == FWidth && height == FHeight) return;
    CheckSize(width, height);
    std::vector<Cardinal> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), kWhite);
    const int keepW = std::min(width, FWidth), keepH = std::min(height, FHeight);
    for (int y = 0; y < keepH; ++y)
        std::copy_n(FPixels.begin() + static_cast<std::ptrdiff_t>(y) * FWidth, keepW,
                    pixels.begin() + static_cast<std::ptrdiff_t>(y) * width);
    Replace(width, height, std::move(pixels));
}

void TBitmap::SetPixelFormat(TPixelFormat value) {
    if (value == FPixelFormat) return;
    FPixelFormat = value;
    Changed();
}

void TBitmap::SetTransparent(bool value) {
    if (value == FTransparent) return;
    FTransparent = value;
    Changed();
}

TColor TBitmap::TransparentColor() const {
    if (FTransparentMode == tmFixed) return FTransparentColor;
    if (Empty()) return clDefault;
    return Pixel(0, FHeight - 1);
}

void TBitmap::SetTransparentColor(TColor value) {
    FTransparentColor = value;
    FTransparentMode = value == clDefault ? tmAuto : tmFixed;
    Changed();
}

void TBitmap::SetTransparentMode(TTransparentMode value) {
    if (value == FTransparentMode) return;
    FTransparentMode = value;
    if (value == tmAuto) FTransparentColor = clDefault;
    Changed();
}

TCanvas* TBitmap::Canvas() {
    if (!FCanvas) FCanvas = std::make_unique<TBitmapCanvas>(this);
    return FCanvas.get();
}

TColor TBitmap::Pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= FWidth || y >= FHeight) return CLR_INVALID;
    return static_cast<TColor>(FPixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(FWidth) +
                                       static_cast<std::size_t>(x)] &
                               kRgbMask);
}

void TBitmap::SetPixel(int x, int y, TColor color) {
    if (x < 0 || y < 0 || x >= FWidth || y >= FHeight) return;
    FPixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(FWidth) + static_cast<std::size_t>(x)] =
        static_cast<Cardinal>(ColorToRGB(color)) & kRgbMask;
    Changed();
}

Cardinal* TBitmap::ScanLine(int row) {
    if (row < 0 || row >= FHeight || FWidth == 0)
        throw EInvalidGraphicOperation("Scan line index out of range");
    return FPixels.data() + static_cast<std::size_t>(row) * static_cast<std::size_t>(FWidth);
}

const Cardinal* TBitmap::ScanLine(int row) const {
    return const_cast<TBitmap*>(this)->ScanLine(row);
}

void TBitmap::LoadFromResourceName(const AnsiString& name) {
    TResourceEntry entry;
    {
        TResourceRegistry& registry = Resources();
        std::lock_guard<std::mutex> guard(registry.Lock);
        const auto it = registry.Entries.find(UpperCase(name));
        if (it == registry.Entries.end()) throw EResNotFound("Resource " + name + " not found");
        entry = it->second;
    }
    if (entry.Painter) {
        // Painted on a fresh bitmap, so a painter that fails leaves this picture as it was.
        TBitmap painted;
        entry.Painter(&painted);
        Replace(painted.FWidth, painted.FHeight, std::move(painted.FPixels));
        return;
    }
    Replace(entry.Width, entry.Height, std::move(entry.Pixels));
}

void TBitmap::SaveToFile(const AnsiString& fileName) const {
    if (Empty()) throw EInvalidGraphicOperation("Cannot save an empty bitmap to \"" + fileName + "\"");
    std::vector<png_byte> rgb(static_cast<std::size_t>(FWidth) * static_cast<std::size_t>(FHeight) * 3);
    for (std::size_t i = 0; i < FPixels.size(); ++i) {
        rgb[i * 3] = static_cast<png_byte>(FPixels[i] & 0xFF);
        rgb[i * 3 + 1] = static_cast<png_byte>((FPixels[i] >> 8) & 0xFF);
        rgb[i * 3 + 2] = static_cast<png_byte>((FPixels[i] >> 16) & 0xFF);
    }
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(FWidth);
    image.height = static_cast<png_uint_32>(FHeight);
    image.format = PNG_FORMAT_RGB;
    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(&image, nullptr, &size, 0, rgb.data(), 0, nullptr))
        throw EInvalidGraphicOperation(AnsiString("Cannot encode the bitmap: ") + image.message);
    std::vector<unsigned char> encoded(size);
    if (!png_image_write_to_memory(&image, encoded.data(), &size, 0, rgb.data(), 0, nullptr))
        throw EInvalidGraphicOperation(AnsiString("Cannot encode the bitmap: ") + image.message);
    png_image_free(&image);

    // Through a temporary file and a rename, so a failed write never leaves half a picture.
    errno = 0;
    if (!SaveFileBytes(fileName, AnsiString(reinterpret_cast<const char*>(encoded.data()), size))) {
        const int code = errno ? errno : EIO;
        throw EInOutError("Cannot create file \"" + fileName + "\". " + SystemErrorText(code), code);
    }
}

void TBitmap::LoadFromFile(const AnsiString& fileName) {
    AnsiString bytes;
    errno = 0;
    if (!ReadFileBytes(fileName, bytes)) {
        const int code = errno ? errno : EIO;
        throw EInOutError("Cannot open file \"" + fileName + "\". " + SystemErrorText(code), code);
    }

    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (bytes.empty() || !png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()))
        throw EInvalidGraphic("Bitmap image is not valid: \"" + fileName + "\"" +
                              (bytes.empty() ? AnsiString() : AnsiString(" (") + image.message + ")"));
    try {
        CheckSize(image.width, image.height);
    } catch (...) {
        png_image_free(&image);
        throw;
    }
    image.format = PNG_FORMAT_RGBA;
    std::vector<png_byte> rgba(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr)) {
        const AnsiString message = image.message;
        png_image_free(&image);
        throw EInvalidGraphic("Bitmap image is not valid: \"" + fileName + "\" (" + message + ")");
    }
    const int width = static_cast<int>(image.width), height = static_cast<int>(image.height);
    png_image_free(&image);
    // Partly transparent pixels are laid over white, the colour of a new bitmap.
    std::vector<Cardinal> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        const unsigned alpha = rgba[i * 4 + 3];
        auto over = [alpha](unsigned c) { return (c * alpha + 255 * (255 - alpha) + 127) / 255; };
        pixels[i] = over(rgba[i * 4]) | (over(rgba[i * 4 + 1]) << 8) | (over(rgba[i * 4 + 2]) << 16);
    }
    Replace(width, height, std::move(pixels));
}

void RegisterBitmapResource(const AnsiString& name, TBitmapPainter painter) {
    if (!painter) return;
    TResourceEntry entry;
    entry.Painter = painter;
    StoreResource(name, std::move(entry));
}

void RegisterBitmapResource(const AnsiString& name, int width, int height, std::span<const TColor> pixels) {
    if (width < 0 || height < 0 ||
        static_cast<long long>(width) * height != static_cast<long long>(pixels.size()))
        throw EInvalidGraphic("Bitmap resource " + name + ": " + std::to_string(pixels.size()) +
                              " pixels do not make " + std::to_string(width) + " x " +
                              std::to_string(height));
    CheckSize(width, height);
    TResourceEntry entry;
    entry.Width = width;
    entry.Height = height;
    entry.Pixels.reserve(pixels.size());
    for (TColor c : pixels)
        entry.Pixels.push_back(static_cast<Cardinal>(ColorToRGB(c)) & kRgbMask);
    StoreResource(name, std::move(entry));
}

void RegisterBitmapResource(const AnsiString& name, std::initializer_list<const char*> rows,
                            std::initializer_list<std::pair<char, TColor>> key) {
    std::vector<TColor> pixels;
    int width = -1;
    for (const char* row : rows) {
        const int length = row ? static_cast<int>(std::strlen(row)) : 0;
        if (width >= 0 && length != width)
            throw EInvalidGraphic("Bitmap resource " + name + ": rows of different lengths");
        width = length;
        for (int x = 0; x < length; ++x) {
            const auto found =
                std::find_if(key.begin(), key.end(), [&](const auto& k) { return k.first == row[x]; });
            if (found == key.end())
                throw EInvalidGraphic("Bitmap resource " + name + ": no colour for '" +
                                      AnsiString(1, row[x]) + "'");
            pixels.push_back(found->second);
        }
    }
    const int height = width > 0 ? static_cast<int>(rows.size()) : 0;
    RegisterBitmapResource(name, std::max(width, 0), height, pixels);
}

void UnregisterBitmapResource(const AnsiString& name) {
    TResourceRegistry& registry = Resources();
    std::lock_guard<std::mutex> guard(registry.Lock);
    registry.Entries.erase(UpperCase(name));
}

bool BitmapResourceExists(const AnsiString& name) {
    TResourceRegistry& registry = Resources();
    std::lock_guard<std::mutex> guard(registry.Lock);
    return registry.Entries.count(UpperCase(name)) != 0;
}
