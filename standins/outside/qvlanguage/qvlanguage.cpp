#include "standins/outside/qvlanguage/qvlanguage.h"

#include <unicode/translit.h>
#include <unicode/unistr.h>

#include <cstring>
#include <memory>
#include <mutex>
#include <string>

#include "classlib/rtl/codepages.h"

#define QV_EXPORT __attribute__((visibility("default")))

namespace {

// One transliterator per direction, created once on first use. ICU does not promise that one
// transliterator may run on two threads at once, so each runs under its own lock.
class TTransform {
public:
    explicit TTransform(const char* id) {
        UErrorCode status = U_ZERO_ERROR;
        FTransliterator.reset(icu::Transliterator::createInstance(id, UTRANS_FORWARD, status));
        if (U_FAILURE(status)) FTransliterator.reset();
    }

    // Without the transform (its ICU data missing) the text only changes code page.
    void Apply(icu::UnicodeString& text) {
        if (FTransliterator == nullptr) return;
        std::lock_guard<std::mutex> lock(FLock);
        FTransliterator->transliterate(text);
    }

private:
    std::unique_ptr<icu::Transliterator> FTransliterator;
    std::mutex FLock;
};

TTransform& SimplifiedToTraditional() {
    static TTransform transform("Hans-Hant");
    return transform;
}

TTransform& TraditionalToSimplified() {
    static TTransform transform("Hant-Hans");
    return transform;
}

std::string Convert(const char* text, unsigned fromCodePage, unsigned toCodePage, TTransform& transform) {
    if (text == nullptr || *text == '\0') return {};
    const WideString wide = AnsiToWide(AnsiString(text, std::strlen(text)), fromCodePage);
    icu::UnicodeString unicode(wide.data(), static_cast<int32_t>(wide.size()));
    transform.Apply(unicode);
    const WideString converted(unicode.getBuffer(), static_cast<std::size_t>(unicode.length()));
    return WideToAnsi(converted, toCodePage);
}

// Nothing may escape through the C boundary: a conversion that cannot finish gives an empty text.
const char* Run(std::string& buffer, const char* text, unsigned fromCodePage, unsigned toCodePage,
                TTransform& transform) {
    try {
        buffer = Convert(text, fromCodePage, toCodePage, transform);
    } catch (...) {
        buffer.clear();
    }
    return buffer.c_str();
}

} // namespace

extern "C" {

QV_EXPORT const char* GBtoBIG5(const char* text) {
    thread_local std::string buffer;
    return Run(buffer, text, 936, 950, SimplifiedToTraditional());
}

QV_EXPORT const char* BIG5toGB(const char* text) {
    thread_local std::string buffer;
    return Run(buffer, text, 950, 936, TraditionalToSimplified());
}

QV_EXPORT void GetBIG5Data(void) {}
QV_EXPORT void GetGBData(void) {}
QV_EXPORT void SaveOrder(void) {}
}
