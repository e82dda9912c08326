#include "classlib/rtl/codepages.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>

#include <atomic>
#include <climits>
#include <cstring>
#include <mutex>
#include <type_traits>

static_assert(std::is_same_v<UChar, char16_t>, "ICU's UChar must be char16_t");

namespace {

struct TCodePageInfo {
    unsigned CodePage;
    const char* IcuName;
    int MaxBytesPerUnit;  // bytes that one UTF-16 unit can need in this code page
    bool DoubleByte;      // lead bytes 0x81..0xFE, trail bytes 0x40..0x7E and 0x80..0xFE
    bool IbmControls;     // ICU's IBM table rotates 0x1A, 0x1C and 0x7F; the platform mapped them as is
    char16_t Replacement; // what a broken or unmapped byte sequence decodes to
};

// '?' is the Unicode default character of the platform's tables for these code pages; its UTF-8
// decoder wrote U+FFFD.
// clang-format off
constexpr TCodePageInfo kCodePages[] = {
    {936,     "windows-936-2000", 2, true,  false, u'?'},
    {950,     "windows-950-2000", 2, true,  false, u'?'},
    {1252,    "windows-1252",     1, false, false, u'?'},
    {437,     "ibm-437",          1, false, true,  u'?'},
    {CP_UTF8, "UTF-8",            3, false, false, u'\uFFFD'},
};
// clang-format on
constexpr int kCodePageCount = static_cast<int>(std::size(kCodePages));

std::atomic<unsigned> gACP{936};

int IndexOf(unsigned codePage) {
    for (int i = 0; i < kCodePageCount; ++i)
        if (kCodePages[i].CodePage == codePage) return i;
    return -1;
}

unsigned Resolve(unsigned codePage) {
    if (codePage == CP_ACP) return GetACP();
    if (codePage == CP_OEMCP) return GetOEMCP();
    return codePage;
}

// ICU's ibm-437 decodes 0x1A, 0x1C and 0x7F as U+001C, U+007F and U+001A (and encodes the reverse).
char16_t UnrotateIbmControl(char16_t c) {
    return c == 0x1C ? 0x1A : c == 0x7F ? 0x1C : c == 0x1A ? 0x7F : c;
}
char16_t RotateIbmControl(char16_t c) {
    return c == 0x1A ? 0x1C : c == 0x1C ? 0x7F : c == 0x7F ? 0x1A : c;
}

// The default character of one encoding call, read by the substitution callback.
struct TFromUnicodeState {
    char Bytes[3] = {'?', 0, 0};
    int8_t Length = 1;
    bool Used = false;
};

void U_CALLCONV ToUnicodeSubstitute(const void* context, UConverterToUnicodeArgs* args, const char*, int32_t,
                                    UConverterCallbackReason reason, UErrorCode* err) {
    if (reason > UCNV_IRREGULAR) return; // reset, close, clone: nothing to write
    const char16_t* replacement = static_cast<const char16_t*>(context);
    *err = U_ZERO_ERROR;
    ucnv_cbToUWriteUChars(args, replacement, 1, 0, err);
}

void U_CALLCONV FromUnicodeSubstitute(const void* context, UConverterFromUnicodeArgs* args, const UChar*,
                                      int32_t, UChar32, UConverterCallbackReason reason, UErrorCode* err) {
    if (reason > UCNV_IRREGULAR) return;
    auto* state = static_cast<TFromUnicodeState*>(const_cast<void*>(context));
    state->Used = true;
    *err = U_ZERO_ERROR;
    ucnv_cbFromUWriteBytes(args, state->Bytes, state->Length, 0, err);
}

// Opening a converter costs far more than a short conversion, so each thread keeps its own, one per
// code page, for its lifetime; a converter is never shared between threads.
struct TThreadConverters {
    UConverter* Items[kCodePageCount] = {};
    TFromUnicodeState FromUnicode[kCodePageCount];

    ~TThreadConverters() {
        for (UConverter* c : Items)
            if (c) ucnv_close(c);
    }
};

thread_local TThreadConverters tConverters;

UConverter* ConverterAt(int index) {
    UConverter*& slot = tConverters.Items[index];
    if (slot) return slot;
    UErrorCode err = U_ZERO_ERROR;
    UConverter* c = ucnv_open(kCodePages[index].IcuName, &err);
    if (U_FAILURE(err) || !c) return nullptr;
    ucnv_setToUCallBack(c, ToUnicodeSubstitute, &kCodePages[index].Replacement, nullptr, nullptr, &err);
    ucnv_setFromUCallBack(c, FromUnicodeSubstitute, &tConverters.FromUnicode[index], nullptr, nullptr, &err);
    if (U_FAILURE(err)) {
        ucnv_close(c);
        return nullptr;
    }
    ucnv_setFallback(c, true); // the platform's best-fit mappings
    slot = c;
    return slot;
}

constexpr int kScratchUnits = 2048;

int BaseMultiByteToWideChar(unsigned codePage, const char* src, int srcLen, char16_t* dst, int dstLen) {
    const int index = IndexOf(codePage);
    if (index < 0 || !src || srcLen <= 0 || dstLen < 0 || (dstLen > 0 && !dst)) return 0;
    UConverter* c = ConverterAt(index);
    if (!c) return 0;
    ucnv_resetToUnicode(c);
    const char* source = src;
    const char* sourceLimit = src + srcLen;
    if (dstLen == 0) {
        char16_t scratch[kScratchUnits];
        long long total = 0;
        UErrorCode err;
        do {
            err = U_ZERO_ERROR;
            char16_t* target = scratch;
            ucnv_toUnicode(c, &target, scratch + kScratchUnits, &source, sourceLimit, nullptr, true, &err);
            total += target - scratch;
        } while (err == U_BUFFER_OVERFLOW_ERROR);
        ucnv_resetToUnicode(c);
        return U_FAILURE(err) || total > INT_MAX ? 0 : static_cast<int>(total);
    }
    UErrorCode err = U_ZERO_ERROR;
    char16_t* target = dst;
    ucnv_toUnicode(c, &target, dst + dstLen, &source, sourceLimit, nullptr, true, &err);
    if (U_FAILURE(err)) {
        ucnv_resetToUnicode(c); // drop what did not fit
        return 0;
    }
    const int written = static_cast<int>(target - dst);
    if (kCodePages[index].IbmControls)
        for (int i = 0; i < written; ++i)
            dst[i] = UnrotateIbmControl(dst[i]);
    return written;
}

// Runs one piece of UTF-16 through the converter into dst, or only counts the bytes when counting.
bool FeedFromUnicode(UConverter* c, const char16_t* source, const char16_t* sourceLimit, bool flush,
                     bool counting, char*& out, char* outLimit, long long& total) {
    char scratch[kScratchUnits];
    for (;;) {
        UErrorCode err = U_ZERO_ERROR;
        char* target = counting ? scratch : out;
        char* limit = counting ? scratch + kScratchUnits : outLimit;
        ucnv_fromUnicode(c, &target, limit, &source, sourceLimit, nullptr, flush, &err);
        total += target - (counting ? scratch : out);
        if (!counting) out = target;
        if (err == U_BUFFER_OVERFLOW_ERROR && counting) continue;
        return U_SUCCESS(err);
    }
}

int BaseWideCharToMultiByte(unsigned codePage, const char16_t* src, int srcLen, char* dst, int dstLen,
                            const char* defaultChar, bool* usedDefaultChar) {
    const int index = IndexOf(codePage);
    if (index < 0 || !src || srcLen <= 0 || dstLen < 0 || (dstLen > 0 && !dst)) return 0;
    UConverter* c = ConverterAt(index);
    if (!c) return 0;
    const TCodePageInfo& info = kCodePages[index];

    TFromUnicodeState& state = tConverters.FromUnicode[index];
    if (codePage == CP_UTF8) {
        std::memcpy(state.Bytes, "\xEF\xBF\xBD", 3);
        state.Length = 3;
    } else if (defaultChar) {
        state.Bytes[0] = defaultChar[0];
        state.Length = 1;
        if (info.DoubleByte && IsDBCSLeadByteEx(codePage, static_cast<Byte>(defaultChar[0])) &&
            IsDBCSTrailByteEx(codePage, static_cast<Byte>(defaultChar[1]))) {
            state.Bytes[1] = defaultChar[1];
            state.Length = 2;
        }
    } else {
        state.Bytes[0] = '?';
        state.Length = 1;
    }
    state.Used = false;

    ucnv_resetFromUnicode(c);
    const bool counting = dstLen == 0;
    char* out = dst;
    char* outLimit = dst ? dst + dstLen : nullptr;
    long long total = 0;
    bool ok = true;
    if (!info.IbmControls) {
        ok = FeedFromUnicode(c, src, src + srcLen, true, counting, out, outLimit, total);
    } else {
        // The source goes through in pieces with the control characters rotated to ICU's view; a
        // surrogate pair cut between two pieces is held by the converter.
        char16_t piece[kScratchUnits];
        for (int at = 0; ok && at < srcLen;) {
            const int n = srcLen - at < kScratchUnits ? srcLen - at : kScratchUnits;
            for (int i = 0; i < n; ++i)
                piece[i] = RotateIbmControl(src[at + i]);
            at += n;
            ok = FeedFromUnicode(c, piece, piece + n, at == srcLen, counting, out, outLimit, total);
        }
    }
    ucnv_resetFromUnicode(c);
    if (!ok || total > INT_MAX) return 0;
    if (usedDefaultChar) *usedDefaultChar = state.Used;
    return static_cast<int>(total);
}

// Layers by code page. Slots are claimed once and never given back, so a reader that finds a code page
// in a slot can trust it; the layer pointer in it changes atomically.
struct TLayerSlot {
    std::atomic<unsigned> CodePage{0};
    std::atomic<const TCodePageLayer*> Layer{nullptr};
};

constexpr int kLayerSlots = 16;
TLayerSlot gLayers[kLayerSlots];
std::atomic<bool> gAnyLayer{false};
std::mutex gLayerMutex;

const TCodePageLayer* LayerFor(unsigned codePage) {
    if (!gAnyLayer.load(std::memory_order_acquire)) return nullptr;
    for (TLayerSlot& slot : gLayers) {
        const unsigned cp = slot.CodePage.load(std::memory_order_acquire);
        if (cp == 0) break;
        if (cp == codePage) return slot.Layer.load(std::memory_order_acquire);
    }
    return nullptr;
}

int MaxBytesPerUnit(unsigned resolvedCodePage) {
    const int index = IndexOf(resolvedCodePage);
    return index < 0 ? 4 : kCodePages[index].MaxBytesPerUnit;
}

} // namespace

unsigned GetACP() {
    return gACP.load(std::memory_order_relaxed);
}

bool SetACP(unsigned codePage) {
    if (codePage != 936 && codePage != 950 && codePage != 1252 && codePage != 437) return false;
    gACP.store(codePage, std::memory_order_relaxed);
    return true;
}

unsigned GetOEMCP() {
    const unsigned acp = GetACP();
    return acp == 936 || acp == 950 ? acp : 437;
}

bool IsValidCodePage(unsigned codePage) {
    return IndexOf(Resolve(codePage)) >= 0;
}

bool IsDBCSLeadByteEx(unsigned codePage, Byte value) {
    switch (Resolve(codePage)) {
    case 936:
    case 950:
        return value >= 0x81 && value <= 0xFE;
    default:
        return false;
    }
}

bool IsDBCSLeadByte(Byte value) {
    return IsDBCSLeadByteEx(GetACP(), value);
}

bool IsDBCSTrailByteEx(unsigned codePage, Byte value) {
    switch (Resolve(codePage)) {
    case 936:
    case 950:
        return value >= 0x40 && value <= 0xFE && value != 0x7F;
    default:
        return false;
    }
}

int CharLength(const AnsiString& text, std::size_t index) {
    if (index >= text.size()) return 0;
    const unsigned acp = GetACP();
    if (index + 1 < text.size() && IsDBCSLeadByteEx(acp, static_cast<Byte>(text[index])) &&
        IsDBCSTrailByteEx(acp, static_cast<Byte>(text[index + 1])))
        return 2;
    return 1;
}

int MultiByteToWideChar(unsigned codePage, const char* src, int srcLen, char16_t* dst, int dstLen) {
    if (!src || srcLen < -1 || dstLen < 0) return 0;
    if (srcLen == -1) {
        const std::size_t n = std::strlen(src) + 1;
        if (n > INT_MAX) return 0;
        srcLen = static_cast<int>(n);
    }
    codePage = Resolve(codePage);
    const TCodePageLayer* layer = LayerFor(codePage);
    if (layer && layer->MultiByteToWideChar)
        return layer->MultiByteToWideChar(codePage, src, srcLen, dst, dstLen, &BaseMultiByteToWideChar);
    return BaseMultiByteToWideChar(codePage, src, srcLen, dst, dstLen);
}

int WideCharToMultiByte(unsigned codePage, const char16_t* src, int srcLen, char* dst, int dstLen,
                        const char* defaultChar, bool* usedDefaultChar) {
    if (usedDefaultChar) *usedDefaultChar = false;
    if (!src || srcLen < -1 || dstLen < 0) return 0;
    if (srcLen == -1) {
        const std::size_t n = std::char_traits<char16_t>::length(src) + 1;
        if (n > INT_MAX) return 0;
        srcLen = static_cast<int>(n);
    }
    codePage = Resolve(codePage);
    const TCodePageLayer* layer = LayerFor(codePage);
    if (layer && layer->WideCharToMultiByte)
        return layer->WideCharToMultiByte(codePage, src, srcLen, dst, dstLen, defaultChar, usedDefaultChar,
                                          &BaseWideCharToMultiByte);
    return BaseWideCharToMultiByte(codePage, src, srcLen, dst, dstLen, defaultChar, usedDefaultChar);
}

WideString AnsiToWide(const AnsiString& text, unsigned codePage) {
    if (text.empty() || text.size() > INT_MAX) return WideString();
    const int srcLen = static_cast<int>(text.size());
    // No code page needs more than one unit per byte; a layer that does is measured first.
    WideString result(text.size(), u'\0');
    int n = MultiByteToWideChar(codePage, text.data(), srcLen, result.data(), srcLen);
    if (n == 0) {
        n = MultiByteToWideChar(codePage, text.data(), srcLen, nullptr, 0);
        if (n <= 0) return WideString();
        result.assign(static_cast<std::size_t>(n), u'\0');
        n = MultiByteToWideChar(codePage, text.data(), srcLen, result.data(), n);
    }
    result.resize(static_cast<std::size_t>(n));
    return result;
}

AnsiString WideToAnsi(const WideString& text, unsigned codePage) {
    if (text.empty() || text.size() > INT_MAX) return AnsiString();
    const int srcLen = static_cast<int>(text.size());
    const long long bound = static_cast<long long>(srcLen) * MaxBytesPerUnit(Resolve(codePage));
    const int capacity = bound > INT_MAX ? INT_MAX : static_cast<int>(bound);
    AnsiString result(static_cast<std::size_t>(capacity), '\0');
    int n = WideCharToMultiByte(codePage, text.data(), srcLen, result.data(), capacity, nullptr, nullptr);
    if (n == 0) {
        n = WideCharToMultiByte(codePage, text.data(), srcLen, nullptr, 0, nullptr, nullptr);
        if (n <= 0) return AnsiString();
        result.assign(static_cast<std::size_t>(n), '\0');
        n = WideCharToMultiByte(codePage, text.data(), srcLen, result.data(), n, nullptr, nullptr);
    }
    result.resize(static_cast<std::size_t>(n));
    return result;
}

AnsiString ConvertCodePage(const AnsiString& text, unsigned fromCodePage, unsigned toCodePage) {
    const unsigned from = Resolve(fromCodePage);
    const unsigned to = Resolve(toCodePage);
    if (from == to && IsValidCodePage(from)) return text;
    return WideToAnsi(AnsiToWide(text, from), to);
}

AnsiString Utf8ToAnsi(const AnsiString& text) {
    return ConvertCodePage(text, CP_UTF8, CP_ACP);
}

AnsiString AnsiToUtf8(const AnsiString& text) {
    return ConvertCodePage(text, CP_ACP, CP_UTF8);
}

WideString Utf8ToWide(const AnsiString& text) {
    return AnsiToWide(text, CP_UTF8);
}

AnsiString WideToUtf8(const WideString& text) {
    return WideToAnsi(text, CP_UTF8);
}

const TCodePageLayer* SetCodePageLayer(unsigned codePage, const TCodePageLayer* layer) {
    if (codePage == CP_ACP || codePage == CP_OEMCP) return nullptr; // layers belong to real code pages
    std::lock_guard<std::mutex> lock(gLayerMutex);
    for (TLayerSlot& slot : gLayers) {
        const unsigned cp = slot.CodePage.load(std::memory_order_relaxed);
        if (cp == codePage) return slot.Layer.exchange(layer, std::memory_order_acq_rel);
        if (cp == 0) {
            if (!layer) return nullptr;
            slot.Layer.store(layer, std::memory_order_release);
            slot.CodePage.store(codePage, std::memory_order_release);
            gAnyLayer.store(true, std::memory_order_release);
            return nullptr;
        }
    }
    return nullptr; // every slot taken by another code page
}
