#include <gtest/gtest.h>

#include "classlib/graphics/bitmap.h"
#include "classlib/graphics/canvas.h"
#include "classlib/graphics/picture.h"
#include "classlib/objects/formloader.h"
#include "classlib/objects/rtti.h"
#include "classlib/objects/streams.h"
#include "pixels.h"

namespace {

// A component with the drawing tools as published class properties, as controls hold them.
class TPaintBox : public TComponent {
    KVR_CLASS(TPaintBox, TComponent)
public:
    explicit TPaintBox(TComponent* owner) : TComponent(owner) {}
    TFont* Font() const { return FFont.get(); }
    void SetFont(TFont* value) { FFont->Assign(value); }
    TPen* Pen() const { return FPen.get(); }
    void SetPen(TPen* value) { FPen->Assign(value); }
    TBitmap* Glyph() const { return FGlyph.get(); }
    void SetGlyph(TBitmap* value) { FGlyph->Assign(value); }

private:
    std::unique_ptr<TFont> FFont = std::make_unique<TFont>();
    std::unique_ptr<TPen> FPen = std::make_unique<TPen>();
    std::unique_ptr<TBitmap> FGlyph = std::make_unique<TBitmap>();
};

KVR_PUBLISHED(TPaintBox, c) {
    c.Property("Font", &TPaintBox::Font, &TPaintBox::SetFont);
    c.Property("Glyph", &TPaintBox::Glyph, &TPaintBox::SetGlyph);
    c.Property("Pen", &TPaintBox::Pen, &TPaintBox::SetPen);
}

// An image control's picture.
class TImageBox : public TComponent {
    KVR_CLASS(TImageBox, TComponent)
public:
    explicit TImageBox(TComponent* owner) : TComponent(owner) {}
    TPicture* Picture() const { return FPicture.get(); }
    void SetPicture(TPicture* value) { FPicture->Assign(value); }

private:
    std::unique_ptr<TPicture> FPicture = std::make_unique<TPicture>();
};

KVR_PUBLISHED(TImageBox, c) {
    c.Property("Picture", &TImageBox::Picture, &TImageBox::SetPicture);
}

} // namespace

TEST(GraphicsStreaming, PublishedPropertiesByName) {
    TFont font;
    SetPropText(&font, "Color", "clRed");
    EXPECT_EQ(font.Color(), clRed);
    SetPropText(&font, "Color", "clBtnFace");
    EXPECT_EQ(GetPropText(&font, "Color"), "clBtnFace");
    SetPropText(&font, "Charset", "GB2312_CHARSET");
    EXPECT_EQ(font.Charset(), GB2312_CHARSET);
    EXPECT_EQ(GetPropText(&font, "Charset"), "GB2312_CHARSET");
    SetSetProp(&font, "Style", "fsBold,fsUnderline");
    EXPECT_EQ(font.Style(), (TFontStyles{fsBold, fsUnderline}));
    SetOrdProp(&font, "Size", 12);
    EXPECT_EQ(font.Height(), -16);

    TPen pen;
    SetEnumProp(&pen, "Mode", "pmXor");
    EXPECT_EQ(pen.Mode(), pmXor);
    TBrush brush;
    SetEnumProp(&brush, "Style", "bsClear");
    EXPECT_EQ(GetEnumProp(&brush, "Style"), "bsClear");

    AnsiString ident;
    EXPECT_TRUE(CharsetToIdent(CHINESEBIG5_CHARSET, ident));
    EXPECT_EQ(ident, "CHINESEBIG5_CHARSET");
    TFontCharset charset = 0;
    EXPECT_TRUE(IdentToCharset("symbol_charset", charset));
    EXPECT_EQ(charset, SYMBOL_CHARSET);
    EXPECT_FALSE(IdentToCharset("KLINGON_CHARSET", charset));
}

TEST(GraphicsStreaming, ToolsAndGlyphThroughAFormStream) {
    TComponent root(nullptr);
    root.SetName("Root");
    auto* box = new TPaintBox(&root);
    box->SetName("Box");
    box->Font()->SetColor(clRed);
    box->Font()->SetCharset(GB2312_CHARSET);
    box->Font()->SetStyle({fsBold});
    box->Font()->SetSize(11);
    box->Pen()->SetWidth(3);
    box->Glyph()->SetSize(5, 3);
    box->Glyph()->SetPixel(1, 0, clBlue);
    box->Glyph()->SetPixel(4, 2, clYellow);

    const AnsiString text = WriteComponentToText(&root);
    EXPECT_NE(text.find("Font.Color = clRed"), AnsiString::npos) << text;
    EXPECT_NE(text.find("Font.Charset = GB2312_CHARSET"), AnsiString::npos) << text;
    EXPECT_NE(text.find("Font.Height = -15"), AnsiString::npos) << text;
    EXPECT_NE(text.find("Font.Style = [fsBold]"), AnsiString::npos) << text;
    EXPECT_EQ(text.find("Font.Size"), AnsiString::npos) << text; // Height carries it
    EXPECT_EQ(text.find("Pen.Color"), AnsiString::npos) << text; // defaults are left out
    EXPECT_NE(text.find("Pen.Width = 3"), AnsiString::npos) << text;
    EXPECT_NE(text.find("Glyph.Data = {"), AnsiString::npos) << text;

    TComponent copy(nullptr);
    ReadComponentFromText(&copy, text);
    auto* loaded = dynamic_cast<TPaintBox*>(copy.FindComponent("Box"));
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->Font()->Color(), clRed);
    EXPECT_EQ(loaded->Font()->Charset(), GB2312_CHARSET);
    EXPECT_EQ(loaded->Font()->Size(), 11);
    EXPECT_EQ(loaded->Font()->Style(), (TFontStyles{fsBold}));
    EXPECT_EQ(loaded->Pen()->Width(), 3);
    EXPECT_TRUE(SamePixels(*loaded->Glyph(), *box->Glyph()));
    // An empty glyph writes no data.
    box->Glyph()->Assign(nullptr);
    EXPECT_EQ(WriteComponentToText(&root).find("Glyph.Data"), AnsiString::npos);
}

TEST(GraphicsStreaming, BitmapFilesInStreams) {
    TBitmap picture;
    picture.SetSize(3, 2);
    picture.SetPixel(0, 0, RGB(1, 2, 3));
    picture.SetPixel(2, 1, clBtnShadow);
    for (TPixelFormat format : {pfDevice, pf32bit}) {
        picture.SetPixelFormat(format);
        TMemoryStream stream;
        picture.SaveToStream(stream);
        // 54 header bytes, then rows of 3 pixels padded to 12 bytes (24 bits) or 12 bytes (32 bits).
        EXPECT_EQ(stream.Size(), 54 + 2 * 12);
        EXPECT_EQ(stream.Memory()[0], 'B');
        EXPECT_EQ(static_cast<unsigned char>(stream.Memory()[28]), format == pf32bit ? 32 : 24);
        stream.SetPosition(0);
        TBitmap loaded;
        loaded.LoadFromStream(stream);
        EXPECT_TRUE(SamePixels(loaded, picture)) << format;
    }

    // A 1-bit picture with a two-colour palette, 2 x 2, rows from the bottom.
    const unsigned char mono[] = {
        'B',  'M', 70, 0, 0, 0, 0, 0, 0,    0,    62,   0, 0,    0,             // file header
        40,   0,   0,  0, 2, 0, 0, 0, 2,    0,    0,    0, 1,    0,    1,    0, // 2 x 2, 1 bit
        0,    0,   0,  0, 8, 0, 0, 0, 0,    0,    0,    0, 0,    0,    0,    0,
        2,    0,   0,  0, 0, 0, 0, 0, 0x00, 0x00, 0xFF, 0, 0xFF, 0x00, 0x00, 0, // red, blue
        0x40, 0,   0,  0,                                                       // bottom row: red, blue
        0x80, 0,   0,  0,                                                       // top row: blue, red
    };
    TMemoryStream stream;
    stream.WriteBuffer(mono, sizeof mono);
    stream.SetPosition(0);
    TBitmap loaded;
    loaded.LoadFromStream(stream);
    EXPECT_TRUE(PixelsAre(loaded, 0, 0, {"br", "rb"}, {{'r', clRed}, {'b', clBlue}}));

    // Broken or unsupported pictures raise and keep what was there.
    for (std::size_t cut : {std::size_t{10}, std::size_t{60}, sizeof mono - 1}) {
        TMemoryStream part;
        part.WriteBuffer(mono, static_cast<Int64>(cut));
        part.SetPosition(0);
        EXPECT_THROW(loaded.LoadFromStream(part), EInvalidGraphic) << cut;
        EXPECT_EQ(loaded.Width(), 2) << cut;
    }
    unsigned char compressed[sizeof mono];
    std::copy(std::begin(mono), std::end(mono), compressed);
    compressed[30] = 1; // run-length compression
    TMemoryStream rle;
    rle.WriteBuffer(compressed, sizeof compressed);
    rle.SetPosition(0);
    EXPECT_THROW(loaded.LoadFromStream(rle), EInvalidGraphic);
}

TEST(GraphicsStreaming, PictureHoldsABitmapAndStreamsIt) {
    TPicture picture;
    TChangeCount changes;
    picture.SetOnChange(changes.Handler());
    EXPECT_EQ(picture.Graphic(), nullptr);
    EXPECT_EQ(picture.Width(), 0);
    picture.Bitmap()->SetSize(4, 2);
    picture.Bitmap()->Canvas()->Brush()->SetColor(clNavy);
    picture.Bitmap()->Canvas()->FillRect(Rect(0, 0, 2, 2));
    EXPECT_EQ(changes.Count, 3); // created, sized, drawn on
    EXPECT_EQ(picture.Width(), 4);

    TComponent root(nullptr);
    root.SetName("Root");
    auto* image = new TImageBox(&root);
    image->SetName("Image");
    image->Picture()->Assign(&picture);
    EXPECT_NE(image->Picture()->Graphic(), picture.Graphic()); // a copy
    const AnsiString text = WriteComponentToText(&root);
    const std::size_t data = text.find("Picture.Data = {");
    ASSERT_NE(data, AnsiString::npos) << text;
    EXPECT_EQ(text.find("07544269746D6170"), text.find_first_not_of(" \r\n", data + 16)) << text; // "TBitmap"

    TComponent copy(nullptr);
    ReadComponentFromText(&copy, text);
    auto* loaded = dynamic_cast<TImageBox*>(copy.FindComponent("Image"));
    ASSERT_NE(loaded, nullptr);
    ASSERT_NE(loaded->Picture()->Graphic(), nullptr);
    EXPECT_TRUE(SamePixels(*loaded->Picture()->Graphic(), *picture.Graphic()));

    // Cleared: nothing to stream, nothing to save.
    image->Picture()->Assign(nullptr);
    EXPECT_EQ(image->Picture()->Graphic(), nullptr);
    EXPECT_EQ(WriteComponentToText(&root).find("Picture.Data"), AnsiString::npos);
    EXPECT_THROW(image->Picture()->SaveToFile("never.png"), EInvalidGraphicOperation);
    TFont font;
    EXPECT_THROW(image->Picture()->Assign(&font), EConvertError);
}
