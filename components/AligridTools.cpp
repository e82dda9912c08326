#include "components/AligridTools.h"

#include "classlib/controls/clipbrd.h"

namespace {
constexpr Int64 kChunk = 0x8000;
}

void WriteStringToStream(TStream& stream, const AnsiString& text) {
    if (!text.empty()) stream.WriteBuffer(text.data(), static_cast<Int64>(text.size()));
}

void CopyStreamToClipboard(TStream& stream, Word format) {
    if (format != CF_TEXT) return;
    AnsiString text;
    stream.SetPosition(0);
    char buffer[kChunk];
    for (;;) {
        Int64 got = stream.Read(buffer, kChunk);
        if (got <= 0) break;
        text.append(buffer, static_cast<std::size_t>(got));
    }
    Clipboard()->Open();
    Clipboard()->Clear();
    Clipboard()->SetAsText(text);
    Clipboard()->Close();
}

void PasteStreamFromClipboard(TStream& stream, Word format) {
    Clipboard()->Open();
    if (Clipboard()->HasFormat(format)) {
        const AnsiString text = Clipboard()->AsText();
        for (std::size_t at = 0; at < text.size(); at += kChunk) {
            const std::size_t n = std::min<std::size_t>(kChunk, text.size() - at);
            stream.WriteBuffer(text.data() + at, static_cast<Int64>(n));
        }
    }
    Clipboard()->Close();
}
