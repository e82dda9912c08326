#include "classlib/controls/clipbrd.h"

KVR_PUBLISHED(TClipboard, c) {}

void TClipboard::SetAsText(const AnsiString& value) {
    FText = value;
    FHasText = true;
}

void TClipboard::Clear() {
    FText.clear();
    FHasText = false;
}

TClipboard* Clipboard() {
    static auto* clipboard = new TClipboard;
    return clipboard;
}
