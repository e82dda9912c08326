#include "components/BoxPictures.h"

#include <vector>

void PaintBoxPicture(TBitmap* bitmap, TCheckBoxState state) {
    bitmap->SetSize(13, 13);
    for (int y = 0; y < 13; ++y)
        for (int x = 0; x < 13; ++x) {
            bool edge = x == 0 || y == 0 || x == 12 || y == 12;
            TColor c = edge ? clGray : (state == cbGrayed ? clSilver : clWhite);
            bitmap->SetPixel(x, y, c);
        }
    if (state == cbChecked)
        for (int i = 0; i < 7; ++i) {
            int y = i < 3 ? 6 + i : 8 - (i - 2);
            bitmap->SetPixel(3 + i, y, clBlack);
            bitmap->SetPixel(3 + i, y - 1, clBlack);
        }
}

namespace {

void PaintChecked(TBitmap* bitmap) {
    PaintBoxPicture(bitmap, cbChecked);
}
void PaintUnchecked(TBitmap* bitmap) {
    PaintBoxPicture(bitmap, cbUnchecked);
}
void PaintGrayed(TBitmap* bitmap) {
    PaintBoxPicture(bitmap, cbGrayed);
}

// The pictures are the module's code: those it registered go when it unloads.
struct TBoxResources {
    TBoxResources() {
        Register("CHECKED", &PaintChecked);
        Register("UNCHECKED", &PaintUnchecked);
        Register("GRAYED", &PaintGrayed);
        Register("CHECK", &PaintChecked);
        Register("UNCHECK", &PaintUnchecked);
    }
    ~TBoxResources() {
        for (const char* name : FRegistered)
            UnregisterBitmapResource(name);
    }
    void Register(const char* name, TBitmapPainter painter) {
        if (BitmapResourceExists(name)) return;
        RegisterBitmapResource(name, painter);
        FRegistered.push_back(name);
    }
    std::vector<const char*> FRegistered;
};
const TBoxResources boxResources;

} // namespace
