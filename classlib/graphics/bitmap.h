#pragma once
// A 32-bit picture held in memory, one Cardinal per pixel in colour layout (0x00BBGGRR), rows from the
// top. Pictures come from the resource registry of the project's own bitmaps and go out as PNG files.
#include <initializer_list>
#include <memory>
#include <span>
#include <utility>
#include <vector>

#include "classlib/graphics/canvas.h"
#include "classlib/graphics/colors.h"
#include "classlib/graphics/graphics.h"

KVR_ENUM(TPixelFormat, pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom);
KVR_ENUM(TTransparentMode, tmAuto, tmFixed);

// Largest picture a bitmap holds: each side and the pixel count.
constexpr int MaxBitmapSide = 32768;
constexpr long long MaxBitmapPixels = 64LL * 1024 * 1024;

class TStream;

class TBitmap : public TPersistent {
    KVR_CLASS(TBitmap, TPersistent)
public:
    TBitmap();
    ~TBitmap() override;

    // Copies the picture and its settings; a null source empties the bitmap.
    void Assign(TPersistent* source) override;

    int Width() const { return FWidth; }
    void SetWidth(int value) { SetSize(value, FHeight); }
    int Height() const { return FHeight; }
    void SetHeight(int value) { SetSize(FWidth, value); }
    // Keeps the picture at the top left; new pixels are white; a negative side counts as 0. A picture
    // beyond MaxBitmapSide or MaxBitmapPixels raises EInvalidGraphicOperation and changes nothing.
    void SetSize(int width, int height);
    bool Empty() const { return FWidth == 0 || FHeight == 0; }

    // Recorded for the streams; pixels are always held at 32 bits.
    TPixelFormat PixelFormat() const { return FPixelFormat; }
    void SetPixelFormat(TPixelFormat value);
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool value);
    // In tmAuto the colour of the bottom-left pixel (clDefault while empty).
    TColor TransparentColor() const;
    // A colour fixes the mode to tmFixed; clDefault returns to tmAuto.
    void SetTransparentColor(TColor value);
    TTransparentMode TransparentMode() const { return FTransparentMode; }
    void SetTransparentMode(TTransparentMode value);

    TCanvas* Canvas();

    // CLR_INVALID outside the picture; SetPixel outside it does nothing.
    TColor Pixel(int x, int y) const;
    void SetPixel(int x, int y, TColor color);
    // The pixels of one row; raises EInvalidGraphicOperation for a row outside the picture.
    Cardinal* ScanLine(int row);
    const Cardinal* ScanLine(int row) const;

    // Loads a picture of the resource registry; raises EResNotFound and keeps the picture when the
    // name is not registered.
    void LoadFromResourceName(const AnsiString& name);
    // Writes the picture as a PNG file (24-bit colour), or as a bitmap file when the name ends in ".bmp",
    // at a system path (classlib/rtl/files.h). An empty bitmap or a failed write raises
    // EInvalidGraphicOperation or EInOutError and leaves no file.
    void SaveToFile(const AnsiString& fileName) const;
    // Reads a PNG or bitmap file, told apart by their first bytes; a missing file raises EInOutError,
    // a malformed one EInvalidGraphic, and the picture stays as it was.
    void LoadFromFile(const AnsiString& fileName);

    // The picture as a device-independent bitmap file (24 bits, or 32 when asked by PixelFormat), the
    // form of a bitmap's "Data" in form streams. Reading takes 1, 4, 8, 24 and 32-bit uncompressed
    // pictures; anything else raises EInvalidGraphic and keeps the picture.
    void SaveToStream(TStream& stream) const;
    void LoadFromStream(TStream& stream);

    // A change of the picture or of its settings, and every drawing on its canvas.
    const TNotifyEvent& OnChange() const { return FOnChange; }
    void SetOnChange(const TNotifyEvent& value) { FOnChange = value; }

    // Streams the picture as "Data": a 4-byte length and the bitmap file.
    void DefineProperties(TFiler& filer) override;

protected:
    virtual void Changed();
    // "Data": a 4-byte length and the bitmap file.
    void ReadData(TStream& stream);
    void WriteData(TStream& stream) const;

private:
    friend class TCanvas;
    friend class TPicture;
    class TBitmapCanvas;

    void Attach(TCanvas* canvas);
    void Detach(TCanvas* canvas);
    void Replace(int width, int height, std::vector<Cardinal> pixels);

    int FWidth = 0;
    int FHeight = 0;
    std::vector<Cardinal> FPixels;
    TPixelFormat FPixelFormat = pfDevice;
    bool FTransparent = false;
    TTransparentMode FTransparentMode = tmAuto;
    TColor FTransparentColor = clDefault;
    std::unique_ptr<TCanvas> FCanvas;
    std::vector<TCanvas*> FBoundCanvases;
    TNotifyEvent FOnChange;
};

// The resource registry: named pictures that the project draws itself. Names compare without case; a
// second registration of a name replaces the first.
using TBitmapPainter = void (*)(TBitmap* bitmap);
void RegisterBitmapResource(const AnsiString& name, TBitmapPainter painter);
// Pixels row by row; raises EInvalidGraphic when their number is not width x height.
void RegisterBitmapResource(const AnsiString& name, int width, int height, std::span<const TColor> pixels);
// A picture drawn as text: one string per row, each character a pixel coloured through the key.
// Rows of different lengths or a character without a colour raise EInvalidGraphic.
void RegisterBitmapResource(const AnsiString& name, std::initializer_list<const char*> rows,
                            std::initializer_list<std::pair<char, TColor>> key);
void UnregisterBitmapResource(const AnsiString& name);
bool BitmapResourceExists(const AnsiString& name);

// Registers at load time, and unregisters when the library holding it unloads: a static object beside
// the code that owns the picture.
struct TBitmapResource {
    TBitmapResource(const char* name, TBitmapPainter painter) : FName(name) {
        RegisterBitmapResource(name, painter);
    }
    TBitmapResource(const char* name, std::initializer_list<const char*> rows,
                    std::initializer_list<std::pair<char, TColor>> key)
        : FName(name) {
        RegisterBitmapResource(name, rows, key);
    }
    ~TBitmapResource() { UnregisterBitmapResource(FName); }
    TBitmapResource(const TBitmapResource&) = delete;
    TBitmapResource& operator=(const TBitmapResource&) = delete;

private:
    const char* FName;
};
