#include "standins/outside/qvlanguage/qvlanguage.h"

#include <unicode/translit.h>
#include <unicode/unistr.h>

#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>

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

// Traditional forms the transform gives that BIG5 does not hold, with the form BIG5 holds for them (the
// Taiwanese standard form): without it "开启" would come out as "開?".
void UseBig5Forms(icu::UnicodeString& text) {
    static const std::pair<char16_t, char16_t> forms[] = {
        {u'啓', u'啟'}, {u'鈎', u'鉤'}, {u'竪', u'豎'}, {u'叄', u'參'}, {u'鰐', u'鱷'}, {u'鉢', u'缽'},
        {u'醖', u'醞'}, {u'贋', u'贗'}, {u'縧', u'絛'}, {u'繮', u'韁'}, {u'飈', u'飆'}, {u'壠', u'壟'},
    };
    for (int32_t i = 0; i < text.length(); ++i)
        for (const auto& [from, to] : forms)
            if (text.charAt(i) == from) text.setCharAt(i, to);
}

std::string Convert(const char* text, unsigned fromCodePage, unsigned toCodePage, TTransform& transform) {
    if (text == nullptr || *text == '\0') return {};
    const WideString wide = AnsiToWide(AnsiString(text, std::strlen(text)), fromCodePage);
    icu::UnicodeString unicode(wide.data(), static_cast<int32_t>(wide.size()));
    transform.Apply(unicode);
    if (toCodePage == 950) UseBig5Forms(unicode);
    const WideString converted(unicode.getBuffer(), static_cast<std::size_t>(unicode.length()));
    return WideToAnsi(converted, toCodePage);
}

// Each calling thread keeps its own answer of each function, valid until its next call of it. The buffers
// belong to the library, not to the threads, so that none outlives the library once it is freed.
const char* Answer(int function, std::string text) {
    static std::mutex lock;
    static std::map<std::pair<std::thread::id, int>, std::string> answers;
    std::lock_guard<std::mutex> guard(lock);
    std::string& buffer = answers[{std::this_thread::get_id(), function}];
    buffer = std::move(text);
    return buffer.c_str();
}

// Nothing may escape through the C boundary: a conversion that cannot finish gives an empty text.
const char* Run(int function, const char* text, unsigned fromCodePage, unsigned toCodePage,
                TTransform& transform) {
    try {
        return Answer(function, Convert(text, fromCodePage, toCodePage, transform));
    } catch (...) {
        try {
            return Answer(function, {});
        } catch (...) {
            return "";
        }
    }
}

} // namespace

extern "C" {

QV_EXPORT const char* GBtoBIG5(const char* text) {
    return Run(0, text, 936, 950, SimplifiedToTraditional());
}

QV_EXPORT const char* BIG5toGB(const char* text) {
    return Run(1, text, 950, 936, TraditionalToSimplified());
}

QV_EXPORT void GetBIG5Data(void) {}
QV_EXPORT void GetGBData(void) {}
QV_EXPORT void SaveOrder(void) {}
}
