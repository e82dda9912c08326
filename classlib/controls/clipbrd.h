#pragma once
// The clipboard of the headless screen: one text (CF_TEXT, code-page bytes) held in the process.
#include "classlib/objects/component.h"

constexpr Word CF_TEXT = 1;
constexpr Word CF_BITMAP = 2;
constexpr Word CF_UNICODETEXT = 13;

class TClipboard : public TPersistent {
    KVR_CLASS(TClipboard, TPersistent)
public:
    TClipboard() = default;
    AnsiString AsText() const { return FHasText ? FText : AnsiString(); }
    void SetAsText(const AnsiString& value);
    bool HasFormat(Word format) const { return FHasText && (format == CF_TEXT || format == CF_UNICODETEXT); }
    void Clear();
    // Open and Close nest; the clipboard is always available here.
    void Open() { ++FOpenCount; }
    void Close() {
        if (FOpenCount > 0) --FOpenCount;
    }
    int FormatCount() const { return FHasText ? 1 : 0; }

private:
    AnsiString FText;
    bool FHasText = false;
    int FOpenCount = 0;
};

TClipboard* Clipboard();
