#include "classlib/graphics/bitmap.h"

#include <png.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <mutex>

#include "classlib/objects/filer.h"
#include "classlib/objects/streams.h"
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

// ---- Device-independent bitmap files ----

void PutLE(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

std::uint32_t GetLE(const unsigned char* p, int bytes) {
    std::uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = (value << 8) | p[i];
    return value;
}

[[noreturn]] void InvalidBitmap() {
    throw EInvalidGraphic("Bitmap image is not valid");
}

std::string EncodeBmp(int width, int height, const std::vector<Cardinal>& pixels, bool alpha) {
    const int bytesPerPixel = alpha ? 4 : 3;
    const std::size_t stride = (static_cast<std::size_t>(width) * bytesPerPixel + 3) / 4 * 4;
    const std::size_t imageSize = stride * static_cast<std::size_t>(height);
    std::string out;
    out.reserve(54 + imageSize);
    out += "BM";
    PutLE(out, static_cast<std::uint32_t>(54 + imageSize), 4);
    PutLE(out, 0, 4);
    PutLE(out, 54, 4);
    PutLE(out, 40, 4);
    PutLE(out, static_cast<std::uint32_t>(width), 4);
    PutLE(out, static_cast<std::uint32_t>(height), 4); // positive: rows from the bottom
    PutLE(out, 1, 2);
    PutLE(out, static_cast<std::uint32_t>(bytesPerPixel * 8), 2);
    PutLE(out, 0, 4); // no compression
    PutLE(out, static_cast<std::uint32_t>(imageSize), 4);
    PutLE(out, 3780, 4); // 96 dpi in pixels per metre
    PutLE(out, 3780, 4);
    PutLE(out, 0, 4);
    PutLE(out, 0, 4);
    for (int y = height - 1; y >= 0; --y) {
        const std::size_t rowStart = out.size();
        for (int x = 0; x < width; ++x) {
            const Cardinal c = pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                                      static_cast<std::size_t>(x)];
            out.push_back(static_cast<char>((c >> 16) & 0xFF));
            out.push_back(static_cast<char>((c >> 8) & 0xFF));
            out.push_back(static_cast<char>(c & 0xFF));
            if (alpha) out.push_back(0);
        }
        out.append(stride - (out.size() - rowStart), '\0');
    }
    return out;
}

void DecodeBmp(const std::string& file, int& width, int& height, std::vector<Cardinal>& pixels) {
    const auto* data = reinterpret_cast<const unsigned char*>(file.data());
    const std::size_t size = file.size();
    if (size < 54 || data[0] != 'B' || data[1] != 'M') InvalidBitmap();
    const std::uint32_t offBits = GetLE(data + 10, 4);
    const std::uint32_t headerSize = GetLE(data + 14, 4);
    if (headerSize < 40 || 14 + static_cast<std::size_t>(headerSize) > size) InvalidBitmap();
    const auto w = static_cast<std::int32_t>(GetLE(data + 18, 4));
    const auto h = static_cast<std::int32_t>(GetLE(data + 22, 4));
    const std::uint32_t bitCount = GetLE(data + 28, 2);
    const std::uint32_t compression = GetLE(data + 30, 4);
    std::uint32_t colorsUsed = GetLE(data + 46, 4);
    if (w <= 0 || h == 0 || h == INT32_MIN || compression != 0) InvalidBitmap();
    const bool topDown = h < 0;
    const long long rows = topDown ? -static_cast<long long>(h) : h;
    if (w > MaxBitmapSide || rows > MaxBitmapSide || w * rows > MaxBitmapPixels) InvalidBitmap();
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24 && bitCount != 32) InvalidBitmap();
    std::vector<Cardinal> palette;
    if (bitCount <= 8) {
        const std::uint32_t maxColors = 1u << bitCount;
        if (colorsUsed == 0 || colorsUsed > maxColors) colorsUsed = maxColors;
        const std::size_t paletteAt = 14 + static_cast<std::size_t>(headerSize);
        if (paletteAt + 4 * static_cast<std::size_t>(colorsUsed) > size) InvalidBitmap();
        for (std::uint32_t i = 0; i < colorsUsed; ++i) {
            const unsigned char* q = data + paletteAt + 4 * i;
            palette.push_back(q[2] | (q[1] << 8) | (static_cast<Cardinal>(q[0]) << 16));
        }
    }
    const std::size_t stride = (static_cast<std::size_t>(w) * bitCount + 31) / 32 * 4;
    if (offBits > size || (size - offBits) / stride < static_cast<std::size_t>(rows)) InvalidBitmap();
    pixels.assign(static_cast<std::size_t>(w) * static_cast<std::size_t>(rows), 0);
    for (long long r = 0; r < rows; ++r) {
        const unsigned char* row = data + offBits + static_cast<std::size_t>(r) * stride;
        const long long y = topDown ? r : rows - 1 - r;
        Cardinal* target = pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(w);
        for (int x = 0; x < w; ++x) {
            if (bitCount >= 24) {
                const unsigned char* q = row + static_cast<std::size_t>(x) * (bitCount / 8);
                target[x] = q[2] | (q[1] << 8) | (static_cast<Cardinal>(q[0]) << 16);
                continue;
            }
            const std::size_t bit = static_cast<std::size_t>(x) * bitCount;
            const unsigned shift = 8 - bitCount - static_cast<unsigned>(bit % 8);
            const unsigned index = (row[bit / 8] >> shift) & ((1u << bitCount) - 1);
            if (index >= palette.size()) InvalidBitmap();
            target[x] = palette[index];
        }
    }
    width = w;
    height = static_cast<int>(rows);
}

std::string EncodePng(int width, int height, const std::vector<Cardinal>& pixels) {
    std::vector<png_byte> rgb(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        rgb[i * 3] = static_cast<png_byte>(pixels[i] & 0xFF);
        rgb[i * 3 + 1] = static_cast<png_byte>((pixels[i] >> 8) & 0xFF);
        rgb[i * 3 + 2] = static_cast<png_byte>((pixels[i] >> 16) & 0xFF);
    }
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGB;
    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(&image, nullptr, &size, 0, rgb.data(), 0, nullptr))
        throw EInvalidGraphicOperation(AnsiString("Cannot encode the bitmap: ") + image.message);
    std::string encoded(size, '\0');
    if (!png_image_write_to_memory(&image, encoded.data(), &size, 0, rgb.data(), 0, nullptr))
        throw EInvalidGraphicOperation(AnsiString("Cannot encode the bitmap: ") + image.message);
    png_image_free(&image);
    encoded.resize(size);
    return encoded;
}

} // namespace

// The bitmap's own canvas: always bound to it, and every drawing reports a change of the bitmap.
class TBitmap::TBitmapCanvas : public TCanvas {
public:
    explicit TBitmapCanvas(TBitmap* owner) : FOwner(owner) { SetTarget(owner); }

protected:
    void CreateHandle() override { SetTarget(FOwner); }
    void Changed() override {
        TCanvas::Changed();
        FOwner->Changed();
    }

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

KVR_PUBLISHED(TBitmap, c) {}

void TBitmap::Changed() {
    if (FOnChange) FOnChange(this);
}

void TBitmap::Replace(int width, int height, std::vector<Cardinal> pixels) {
    FWidth = width;
    FHeight = height;
    FPixels = std::move(pixels);
    Changed();
}

void TBitmap::Assign(TPersistent* persistent) {
    if (!persistent) {
        Replace(0, 0, {});
        return;
    }
    const auto* source = dynamic_cast<const TBitmap*>(persistent);
    if (!source) {
        inherited::Assign(persistent);
        return;
    }
    if (source == this) return;
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
    const AnsiString content = SameText(ExtractFileExt(fileName), ".bmp")
                                   ? EncodeBmp(FWidth, FHeight, FPixels, FPixelFormat == pf32bit)
                                   : EncodePng(FWidth, FHeight, FPixels);
    // Through a temporary file and a rename, so a failed write never leaves half a picture.
    errno = 0;
    if (!SaveFileBytes(fileName, content)) {
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

    if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M') {
        int width = 0, height = 0;
        std::vector<Cardinal> pixels;
        DecodeBmp(bytes, width, height, pixels);
        Replace(width, height, std::move(pixels));
        return;
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

void TBitmap::SaveToStream(TStream& stream) const {
    const std::string file = EncodeBmp(FWidth, FHeight, FPixels, FPixelFormat == pf32bit);
    stream.WriteBuffer(file.data(), static_cast<Int64>(file.size()));
}

void TBitmap::LoadFromStream(TStream& stream) {
    // The file header tells the file's length; a writer that left it 0 gets the rest of the stream.
    unsigned char header[14];
    if (stream.Read(header, sizeof header) != static_cast<Int64>(sizeof header)) InvalidBitmap();
    const Int64 rest = stream.Size() - stream.Position();
    Int64 length = static_cast<Int64>(GetLE(header + 2, 4)) - 14;
    if (length <= 0 || length > rest) length = rest;
    std::string file(reinterpret_cast<const char*>(header), sizeof header);
    file.resize(sizeof header + static_cast<std::size_t>(std::max<Int64>(length, 0)));
    if (stream.Read(file.data() + sizeof header, length) != length) InvalidBitmap();
    int width = 0, height = 0;
    std::vector<Cardinal> pixels;
    DecodeBmp(file, width, height, pixels);
    Replace(width, height, std::move(pixels));
}

void TBitmap::ReadData(TStream& stream) {
    unsigned char size[4];
    if (stream.Read(size, 4) != 4) InvalidBitmap();
    const Int64 length = GetLE(size, 4);
    if (length > stream.Size() - stream.Position()) InvalidBitmap();
    std::string file(static_cast<std::size_t>(length), '\0');
    stream.ReadBuffer(file.data(), length);
    int width = 0, height = 0;
    std::vector<Cardinal> pixels;
    DecodeBmp(file, width, height, pixels);
    Replace(width, height, std::move(pixels));
}

void TBitmap::WriteData(TStream& stream) const {
    const std::string file = EncodeBmp(FWidth, FHeight, FPixels, FPixelFormat == pf32bit);
    std::string size;
    PutLE(size, static_cast<std::uint32_t>(file.size()), 4);
    stream.WriteBuffer(size.data(), 4);
    stream.WriteBuffer(file.data(), static_cast<Int64>(file.size()));
}

void TBitmap::DefineProperties(TFiler& filer) {
    filer.DefineBinaryProperty(
        "Data", [this](TStream& stream) { ReadData(stream); }, [this](TStream& stream) { WriteData(stream); },
        !Empty());
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
