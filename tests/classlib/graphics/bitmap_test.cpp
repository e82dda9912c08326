#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "classlib/graphics/bitmap.h"
#include "classlib/graphics/canvas.h"
#include "pixels.h"

namespace {

std::string FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

unsigned BigEndian32(const std::string& bytes, std::size_t at) {
    return (static_cast<unsigned char>(bytes[at]) << 24) | (static_cast<unsigned char>(bytes[at + 1]) << 16) |
           (static_cast<unsigned char>(bytes[at + 2]) << 8) | static_cast<unsigned char>(bytes[at + 3]);
}

// A small picture of a dialog: a raised frame, a caption bar with text, a check box and a button.
void PaintSample(TBitmap& bitmap) {
    bitmap.SetSize(120, 60);
    TCanvas* c = bitmap.Canvas();
    c->Brush()->SetColor(clBtnFace);
    c->FillRect(Rect(0, 0, 120, 60));
    TRect r = Rect(0, 0, 120, 60);
    Frame3D(c, r, clBtnHighlight, clBtnShadow, 1);
    c->Brush()->SetColor(clActiveCaption);
    c->FillRect(Rect(2, 2, 118, 16));
    c->Font()->SetColor(clCaptionText);
    TRect caption = Rect(4, 2, 118, 16);
    DrawText(c, "信用证 LC", caption, DT_SINGLELINE | DT_VCENTER);
    c->Brush()->SetColor(clBtnFace);
    c->Font()->SetColor(clBtnText);
    TRect box = Rect(6, 22, 19, 35);
    DrawFrameControl(c, box, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_CHECKED);
    c->TextOut(22, 23, "结束");
    TRect button = Rect(60, 36, 114, 56);
    DrawFrameControl(c, button, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_ADJUSTRECT);
    DrawText(c, "确定(&O)", button, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
    c->DrawFocusRect(Rect(63, 39, 111, 53));
}

} // namespace

TEST(Bitmap, SizeKeepsThePictureAndGuardsItsLimits) {
    TBitmap bitmap;
    EXPECT_TRUE(bitmap.Empty());
    EXPECT_EQ(bitmap.TransparentColor(), clDefault);
    bitmap.SetSize(3, 2);
    EXPECT_EQ(bitmap.Pixel(2, 1), clWhite);
    bitmap.SetPixel(1, 1, clBtnShadow); // system colours are stored as their value
    EXPECT_EQ(bitmap.Pixel(1, 1), RGB(128, 128, 128));
    bitmap.SetPixel(-1, 0, clRed); // outside: ignored
    EXPECT_EQ(bitmap.Pixel(3, 0), CLR_INVALID);
    bitmap.SetWidth(5);
    EXPECT_EQ(bitmap.Width(), 5);
    EXPECT_EQ(bitmap.Pixel(1, 1), RGB(128, 128, 128));
    EXPECT_EQ(bitmap.Pixel(4, 1), clWhite);
    EXPECT_EQ(bitmap.ScanLine(1)[1], 0x808080u);
    EXPECT_THROW(bitmap.ScanLine(2), EInvalidGraphicOperation);

    EXPECT_THROW(bitmap.SetSize(MaxBitmapSide + 1, 1), EInvalidGraphicOperation);
    EXPECT_THROW(bitmap.SetSize(20000, 20000), EInvalidGraphicOperation);
    EXPECT_EQ(bitmap.Width(), 5);
    EXPECT_EQ(bitmap.Height(), 2);
    bitmap.SetHeight(-4);
    EXPECT_TRUE(bitmap.Empty());
    EXPECT_EQ(bitmap.Width(), 5);
}

TEST(Bitmap, TransparentColourAutoAndFixed) {
    TBitmap bitmap;
    bitmap.SetSize(2, 2);
    bitmap.SetPixel(0, 1, clFuchsia);
    EXPECT_EQ(bitmap.TransparentMode(), tmAuto);
    EXPECT_EQ(bitmap.TransparentColor(), clFuchsia); // bottom-left
    bitmap.SetTransparentColor(clBtnFace);
    EXPECT_EQ(bitmap.TransparentMode(), tmFixed);
    EXPECT_EQ(bitmap.TransparentColor(), clBtnFace);
    bitmap.SetTransparentColor(clDefault);
    EXPECT_EQ(bitmap.TransparentMode(), tmAuto);
    EXPECT_EQ(bitmap.TransparentColor(), clFuchsia);
}

TEST(Bitmap, AssignCopiesAndDrawingReportsChanges) {
    TBitmap source;
    source.SetSize(4, 3);
    source.Canvas()->Brush()->SetColor(clRed);
    source.Canvas()->FillRect(Rect(1, 1, 3, 2));
    source.SetTransparent(true);
    source.SetTransparentColor(clRed);
    source.SetPixelFormat(pf24bit);

    TBitmap copy;
    TChangeCount changes;
    copy.SetOnChange(changes.Handler());
    copy.Assign(&source);
    EXPECT_EQ(changes.Count, 1);
    EXPECT_TRUE(SamePixels(copy, source));
    EXPECT_TRUE(copy.Transparent());
    EXPECT_EQ(copy.TransparentColor(), clRed);
    EXPECT_EQ(copy.PixelFormat(), pf24bit);

    // The copy is its own picture; drawing on its canvas reports a change.
    copy.Canvas()->Pen()->SetColor(clBlue);
    copy.Canvas()->MoveTo(0, 0);
    copy.Canvas()->LineTo(4, 0);
    EXPECT_EQ(changes.Count, 2);
    EXPECT_EQ(source.Pixel(0, 0), clWhite);
    EXPECT_EQ(copy.Pixel(0, 0), clBlue);

    copy.Assign(nullptr);
    EXPECT_TRUE(copy.Empty());
    copy.Assign(&copy);
}

TEST(Bitmap, ResourceRegistry) {
    RegisterBitmapResource("TESTCHECK", {"r.r", "..."}, {{'.', clWhite}, {'r', clRed}});
    TBitmap bitmap;
    bitmap.LoadFromResourceName("TestCheck"); // names compare without case
    EXPECT_EQ(bitmap.Width(), 3);
    EXPECT_EQ(bitmap.Height(), 2);
    EXPECT_TRUE(PixelsAre(bitmap, 0, 0, {"r.r", "..."}, {{'.', clWhite}, {'r', clRed}}));

    RegisterBitmapResource("TESTSTRIP", [](TBitmap* b) {
        b->SetSize(32, 16);
        b->Canvas()->Brush()->SetColor(clNavy);
        b->Canvas()->FillRect(Rect(16, 0, 32, 16));
    });
    EXPECT_TRUE(BitmapResourceExists("teststrip"));
    bitmap.LoadFromResourceName("TESTSTRIP");
    EXPECT_EQ(bitmap.Width(), 32);
    EXPECT_EQ(bitmap.Pixel(20, 3), clNavy);

    // An unknown name raises and keeps the picture.
    EXPECT_THROW(bitmap.LoadFromResourceName("NOSUCHGLYPH"), EResNotFound);
    EXPECT_EQ(bitmap.Width(), 32);
    UnregisterBitmapResource("TESTSTRIP");
    EXPECT_FALSE(BitmapResourceExists("TESTSTRIP"));

    EXPECT_THROW(RegisterBitmapResource("BAD", {"ab", "a"}, {{'a', clRed}, {'b', clBlue}}), EInvalidGraphic);
    EXPECT_THROW(RegisterBitmapResource("BAD", {"ax"}, {{'a', clRed}}), EInvalidGraphic);
    const TColor three[] = {clRed, clRed, clRed};
    EXPECT_THROW(RegisterBitmapResource("BAD", 2, 2, three), EInvalidGraphic);
    EXPECT_FALSE(BitmapResourceExists("BAD"));
}

TEST(Bitmap, PngWrittenAndReadBack) {
    TTempDir dir;
    TBitmap picture;
    PaintSample(picture);
    const std::string file = dir.File("dialog.png");
    picture.SaveToFile(file);

    const std::string bytes = FileBytes(file);
    ASSERT_GT(bytes.size(), 33u);
    EXPECT_EQ(bytes.substr(0, 8), std::string("\x89PNG\r\n\x1A\n", 8));
    EXPECT_EQ(bytes.substr(12, 4), "IHDR");
    EXPECT_EQ(BigEndian32(bytes, 16), 120u);
    EXPECT_EQ(BigEndian32(bytes, 20), 60u);
    EXPECT_EQ(bytes[24], 8); // bits per sample
    EXPECT_EQ(bytes[25], 2); // truecolour

    TBitmap loaded;
    loaded.LoadFromFile(file);
    EXPECT_TRUE(SamePixels(loaded, picture));
    EXPECT_EQ(loaded.Pixel(0, 0), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(loaded.Pixel(2, 2), ColorToRGB(clActiveCaption));

    // A name ending in ".bmp" gives a bitmap file; reading tells the two apart by their first bytes.
    const std::string bmp = dir.File("dialog.bmp");
    picture.SaveToFile(bmp);
    EXPECT_EQ(FileBytes(bmp).substr(0, 2), "BM");
    TBitmap fromBmp;
    fromBmp.LoadFromFile(bmp);
    EXPECT_TRUE(SamePixels(fromBmp, picture));
}

TEST(Bitmap, PngFailuresLeaveNothingHalfDone) {
    TTempDir dir;
    TBitmap empty;
    EXPECT_THROW(empty.SaveToFile(dir.File("empty.png")), EInvalidGraphicOperation);
    EXPECT_FALSE(std::filesystem::exists(dir.File("empty.png")));

    TBitmap picture;
    picture.SetSize(2, 2);
    EXPECT_THROW(picture.SaveToFile(dir.File("missing/folder.png")), EInOutError);
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));

    EXPECT_THROW(picture.LoadFromFile(dir.File("none.png")), EInOutError);
    {
        std::ofstream(dir.File("junk.png"), std::ios::binary) << "not a picture";
        std::ofstream(dir.File("zero.png"), std::ios::binary);
        std::ofstream(dir.File("cut.png"), std::ios::binary)
            << std::string("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR", 16);
    }
    for (const char* name : {"junk.png", "zero.png", "cut.png"}) {
        EXPECT_THROW(picture.LoadFromFile(dir.File(name)), EInvalidGraphic) << name;
        EXPECT_EQ(picture.Width(), 2) << name;
    }
}
