#include "classlib/graphics/picture.h"

#include "classlib/objects/filer.h"
#include "classlib/objects/streams.h"
#include "classlib/rtl/strutils.h"

KVR_PUBLISHED(TPicture, c) {}

TPicture::TPicture() = default;

TPicture::~TPicture() = default;

TBitmap* TPicture::Attach(std::unique_ptr<TBitmap> bitmap) {
    FBitmap = std::move(bitmap);
    if (FBitmap) FBitmap->SetOnChange(TNotifyEvent(this, &TPicture::BitmapChanged));
    return FBitmap.get();
}

TBitmap* TPicture::Bitmap() {
    if (!FBitmap) {
        Attach(std::make_unique<TBitmap>());
        Changed();
    }
    return FBitmap.get();
}

void TPicture::SetGraphic(TBitmap* value) {
    if (value == FBitmap.get()) return;
    if (!value) {
        FBitmap.reset();
        Changed();
        return;
    }
    auto copy = std::make_unique<TBitmap>();
    copy->Assign(value);
    Attach(std::move(copy));
    Changed();
}

void TPicture::Assign(TPersistent* source) {
    if (!source) {
        SetGraphic(nullptr);
    } else if (auto* picture = dynamic_cast<TPicture*>(source)) {
        if (picture != this) SetGraphic(picture->Graphic());
    } else if (auto* bitmap = dynamic_cast<TBitmap*>(source)) {
        SetGraphic(bitmap);
    } else {
        inherited::Assign(source);
    }
}

void TPicture::LoadFromFile(const AnsiString& fileName) {
    auto loaded = std::make_unique<TBitmap>();
    loaded->LoadFromFile(fileName);
    Attach(std::move(loaded));
    Changed();
}

void TPicture::SaveToFile(const AnsiString& fileName) const {
    if (!FBitmap) throw EInvalidGraphicOperation("Cannot save an empty picture to \"" + fileName + "\"");
    FBitmap->SaveToFile(fileName);
}

void TPicture::Changed() {
    if (FOnChange) FOnChange(this);
}

void TPicture::BitmapChanged(TObject*) {
    Changed();
}

void TPicture::DefineProperties(TFiler& filer) {
    filer.DefineBinaryProperty(
        "Data",
        [this](TStream& stream) {
            unsigned char length = 0;
            if (stream.Read(&length, 1) != 1) throw EInvalidGraphic("Bitmap image is not valid");
            AnsiString className(length, '\0');
            stream.ReadBuffer(className.data(), length);
            if (!SameText(className, "TBitmap")) throw EInvalidGraphic("Unknown picture format " + className);
            auto bitmap = std::make_unique<TBitmap>();
            bitmap->ReadData(stream);
            Attach(std::move(bitmap));
            Changed();
        },
        [this](TStream& stream) {
            const unsigned char length = 7;
            stream.WriteBuffer(&length, 1);
            stream.WriteBuffer("TBitmap", 7);
            FBitmap->WriteData(stream);
        },
        FBitmap && !FBitmap->Empty());
}
