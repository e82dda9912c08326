#include "standins/outside/common/outsidecp.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>
#include <unicode/unistr.h>

#include <memory>
#include <unordered_map>

namespace outsidecp {
namespace {

const char* ConverterName(unsigned codePage) {
    switch (codePage) {
    case 936:
        return "windows-936-2000";
    case 950:
        return "windows-950-2000";
    case 1252:
        return "windows-1252";
    case 437:
        return "ibm-437";
    case 65001:
        return "UTF-8";
    default:
        return nullptr;
    }
}

// A broken byte sequence reads as '?', as the platform's tables have it.
void ToUnicodeQuestionMark(const void*, UConverterToUnicodeArgs* args, const char*, int32_t,
                           UConverterCallbackReason reason, UErrorCode* status) {
    if (reason > UCNV_IRREGULAR) return;
    *status = U_ZERO_ERROR;
    const UChar mark = u'?';
    ucnv_cbToUWriteUChars(args, &mark, 1, 0, status);
}

struct TConverterDeleter {
    void operator()(UConverter* converter) const { ucnv_close(converter); }
};
using TConverterPtr = std::unique_ptr<UConverter, TConverterDeleter>;

enum class TMode { Lenient, Exact };

// Converters are cheap to reset and costly to open: one per code page, mode and thread.
UConverter* Converter(unsigned codePage, TMode mode) {
    thread_local std::unordered_map<unsigned, TConverterPtr> cache;
    const unsigned key = codePage * 2 + (mode == TMode::Exact ? 1 : 0);
    auto found = cache.find(key);
    if (found != cache.end()) {
        ucnv_reset(found->second.get());
        return found->second.get();
    }
    const char* name = ConverterName(codePage);
    if (name == nullptr) return nullptr;
    UErrorCode status = U_ZERO_ERROR;
    TConverterPtr converter(ucnv_open(name, &status));
    if (U_FAILURE(status)) return nullptr;
    if (mode == TMode::Lenient) {
        if (codePage != 65001) {
            ucnv_setToUCallBack(converter.get(), ToUnicodeQuestionMark, nullptr, nullptr, nullptr, &status);
            ucnv_setSubstChars(converter.get(), "?", 1, &status);
            ucnv_setFallback(converter.get(), true);
        }
    } else {
        ucnv_setFromUCallBack(converter.get(), UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr,
                              &status);
        ucnv_setToUCallBack(converter.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    }
    if (U_FAILURE(status)) return nullptr;
    return cache.emplace(key, std::move(converter)).first->second.get();
}

WideString Decode(const char* bytes, std::size_t length, unsigned codePage, TMode mode, bool* ok) {
    if (ok != nullptr) *ok = false;
    UConverter* converter = Converter(codePage, mode);
    if (converter == nullptr || length == 0) {
        if (ok != nullptr) *ok = converter != nullptr;
        return {};
    }
    WideString result(length + 1, u'\0');
    UErrorCode status = U_ZERO_ERROR;
    const int32_t written = ucnv_toUChars(converter, result.data(), static_cast<int32_t>(result.size()), bytes,
                                          static_cast<int32_t>(length), &status);
    if (U_FAILURE(status)) return {};
    result.resize(static_cast<std::size_t>(written));
    if (ok != nullptr) *ok = true;
    return result;
}

AnsiString Encode(const char16_t* text, std::size_t length, unsigned codePage, TMode mode, bool* ok) {
    if (ok != nullptr) *ok = false;
    UConverter* converter = Converter(codePage, mode);
    if (converter == nullptr || length == 0) {
        if (ok != nullptr) *ok = converter != nullptr;
        return {};
    }
    AnsiString result(length * 4 + 4, '\0');
    UErrorCode status = U_ZERO_ERROR;
    const int32_t written = ucnv_fromUChars(converter, result.data(), static_cast<int32_t>(result.size()), text,
                                            static_cast<int32_t>(length), &status);
    if (U_FAILURE(status)) return {};
    result.resize(static_cast<std::size_t>(written));
    if (ok != nullptr) *ok = true;
    return result;
}

}  // namespace

WideString ToWide(const AnsiString& text, unsigned codePage) {
    return Decode(text.data(), text.size(), codePage, TMode::Lenient, nullptr);
}

AnsiString FromWide(const WideString& text, unsigned codePage) {
    return Encode(text.data(), text.size(), codePage, TMode::Lenient, nullptr);
}

std::string ToUtf8(const char* bytes, std::size_t length, unsigned codePage) {
    const WideString wide = Decode(bytes, length, codePage, TMode::Lenient, nullptr);
    return Encode(wide.data(), wide.size(), 65001, TMode::Lenient, nullptr);
}

AnsiString FromUtf8(const char* utf8, std::size_t length, unsigned codePage) {
    const WideString wide = Decode(utf8, length, 65001, TMode::Lenient, nullptr);
    return Encode(wide.data(), wide.size(), codePage, TMode::Lenient, nullptr);
}

bool EncodeExact(char32_t character, unsigned codePage, std::string& bytes) {
    if (character > 0x10FFFF || (character >= 0xD800 && character <= 0xDFFF)) return false;
    char16_t units[2];
    std::size_t count = 1;
    if (character >= 0x10000) {
        units[0] = static_cast<char16_t>(0xD800 + ((character - 0x10000) >> 10));
        units[1] = static_cast<char16_t>(0xDC00 + ((character - 0x10000) & 0x3FF));
        count = 2;
    } else {
        units[0] = static_cast<char16_t>(character);
    }
    bool ok = false;
    bytes = Encode(units, count, codePage, TMode::Exact, &ok);
    if (!ok || bytes.empty()) return false;
    const WideString back = Decode(bytes.data(), bytes.size(), codePage, TMode::Exact, &ok);
    return ok && back == WideString(units, count);
}

}  // namespace outsidecp
