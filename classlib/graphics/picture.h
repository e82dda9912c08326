#pragma once
// A picture holder, as an image control keeps its picture: empty, or one bitmap. Its changes, and the
// changes of its bitmap, fire OnChange.
#include <memory>

#include "classlib/graphics/bitmap.h"

class TPicture : public TPersistent {
    KVR_CLASS(TPicture, TPersistent)
public:
    TPicture();
    ~TPicture() override;

    // The bitmap, created empty on first use.
    TBitmap* Bitmap();
    void SetBitmap(TBitmap* value) { Bitmap()->Assign(value); }
    // The picture held; null while there is none.
    TBitmap* Graphic() const { return FBitmap.get(); }
    // A copy of value; null clears the picture.
    void SetGraphic(TBitmap* value);
    int Width() const { return FBitmap ? FBitmap->Width() : 0; }
    int Height() const { return FBitmap ? FBitmap->Height() : 0; }

    // From a picture, a bitmap, or null (which clears it).
    void Assign(TPersistent* source) override;
    // A PNG or bitmap file; a failed load raises and keeps the picture.
    void LoadFromFile(const AnsiString& fileName);
    // Raises EInvalidGraphicOperation when there is no picture.
    void SaveToFile(const AnsiString& fileName) const;

    const TNotifyEvent& OnChange() const { return FOnChange; }
    void SetOnChange(const TNotifyEvent& value) { FOnChange = value; }

    // Streams the picture as "Data": the class name as a short string, then the bitmap's data.
    void DefineProperties(TFiler& filer) override;

protected:
    void Changed();

private:
    void BitmapChanged(TObject* sender);
    TBitmap* Attach(std::unique_ptr<TBitmap> bitmap);

    std::unique_ptr<TBitmap> FBitmap;
    TNotifyEvent FOnChange;
};
