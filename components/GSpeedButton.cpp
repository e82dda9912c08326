#include "components/GSpeedButton.h"

#include <mutex>

#include "classlib/controls/dialogs.h"
#include "classlib/rtl/dynlib.h"
#include "classlib/rtl/format.h"
#include "standins/outside/glyphs/vlresd5.h"

namespace {

// Loaded on first use and freed when the module unloads.
struct TGlyphLibrary {
    using TMaxProc = int (*)();
    using TLoadProc = bool (*)(TBitmap*, int);
    ~TGlyphLibrary() {
        if (Module) FreeLibrary(Module);
    }
    HMODULE Module = 0;
    TMaxProc Max = nullptr;
    TLoadProc Load = nullptr;
};

const TGlyphLibrary& Library() {
    static TGlyphLibrary library;
    static std::once_flag once;
    std::call_once(once, [] {
        library.Module = LoadLibrary(GlyphLibraryName);
        if (!library.Module) return;
        library.Max =
            reinterpret_cast<TGlyphLibrary::TMaxProc>(GetProcAddress(library.Module, "GetMaxBmpID"));
        library.Load = reinterpret_cast<TGlyphLibrary::TLoadProc>(GetProcAddress(library.Module, "LoadBmp"));
    });
    return library;
}

} // namespace

int GlyphLibraryMaxBmpID() {
    const TGlyphLibrary& library = Library();
    return library.Max ? library.Max() : 0;
}

bool GlyphLibraryLoadBmp(TBitmap* bitmap, int number) {
    const TGlyphLibrary& library = Library();
    // The library is never asked for a number it cannot have.
    if (!library.Load || !bitmap || number <= 0) return false;
    return library.Load(bitmap, number);
}

TGSpeedButton::TGSpeedButton(TComponent* owner) : TSpeedButton(owner) {}

void TGSpeedButton::SetGlyphIndex(int value) {
    if (value == FGlyphIndex) return;
    FGlyphIndex = value;
    SetCaption(IntToStr(value));
    try {
        if (value <= 0 || value > GlyphLibraryMaxBmpID()) {
            Glyph()->SetSize(0, 0);
            return;
        }
        TBitmap loaded;
        // An empty picture counts as a failure: it has no frames to divide into.
        if (GlyphLibraryLoadBmp(&loaded, value) && !loaded.Empty()) {
            Glyph()->Assign(&loaded);
            SetCaption("");
            SetNumGlyphs(loaded.Width() / loaded.Height());
        }
    } catch (const Exception&) {
        MessageDlg("读取 BMP 发生错误", mtError, TMsgDlgButtons{mbOK}, 0);
    }
}

KVR_PUBLISHED(TGSpeedButton, c) {
    c.Property("GlyphIndex", &TGSpeedButton::GlyphIndex, &TGSpeedButton::SetGlyphIndex).Default(0);
    c.Property("HintIndex", &TGSpeedButton::HintIndex, &TGSpeedButton::SetHintIndex).Default(0);
}
