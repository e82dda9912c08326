#include "foundation/CodePageFix.h"

#include <climits>
#include <mutex>

#include "classlib/rtl/codepages.h"
#include "classlib/rtl/registry.h"
#include "foundation/VeltraneIni.h"

namespace {

constexpr unsigned kBig5CodePage = 950;

bool IsLead(Byte value) {
    return value >= 0x81 && value <= 0xFE;
}

// The private wide character of a pair, 0 when the mapping does not cover it.
char16_t PrivateWide(Byte lead, Byte trail) {
    if (IsLead(lead) && trail >= 0x80 && trail <= 0xA0)
        return static_cast<char16_t>((trail + 0x20) << 8 | (lead - 0x80));
    // A3 E1 is the euro sign of code page 950 and stays so: the GB/BIG5 conversions pair it with 0x80.
    if (lead == 0xA3 && ((trail >= 0xC0 && trail <= 0xDF) || (trail >= 0xE2 && trail <= 0xFE)))
        return static_cast<char16_t>(trail + 0xC041);
    return 0;
}

// The pair of a private wide character; false for any other character.
bool PrivatePair(char16_t wide, Byte& lead, Byte& trail) {
    const unsigned high = wide >> 8;
    const unsigned low = wide & 0xFF;
    if (high >= 0xA0 && high <= 0xC0 && low >= 0x01 && low <= 0x7E) {
        lead = static_cast<Byte>(low + 0x80);
        trail = static_cast<Byte>(high - 0x20);
        return true;
    }
    if (high == 0xC1 && ((low >= 0x01 && low <= 0x20) || (low >= 0x23 && low <= 0x3F))) {
        lead = 0xA3;
        trail = static_cast<Byte>(low + 0xBF);
        return true;
    }
    return false;
}

// The source is cut into runs between the private characters; each run goes to the base conversion as
// it stands and each private character is written here, so the count is exact in both directions.
int FixMultiByteToWideChar(unsigned codePage, const char* src, int srcLen, char16_t* dst, int dstLen,
                           TMultiByteToWideCharProc base) {
    const bool counting = dstLen == 0;
    long long total = 0;
    int runStart = 0;
    auto flush = [&](int end) {
        if (end == runStart) return true;
        if (!counting && total >= dstLen) return false;
        const int n = counting ? base(codePage, src + runStart, end - runStart, nullptr, 0)
                               : base(codePage, src + runStart, end - runStart, dst + total,
                                      dstLen - static_cast<int>(total));
        if (n <= 0) return false;
        total += n;
        return true;
    };
    for (int i = 0; i < srcLen;) {
        const Byte lead = static_cast<Byte>(src[i]);
        if (!IsLead(lead) || i + 1 >= srcLen || !IsDBCSTrailByteEx(codePage, static_cast<Byte>(src[i + 1]))) {
            ++i;
            continue;
        }
        const char16_t wide = PrivateWide(lead, static_cast<Byte>(src[i + 1]));
        if (wide != 0) {
            if (!flush(i)) return 0;
            if (!counting) {
                if (total >= dstLen) return 0;
                dst[total] = wide;
            }
            ++total;
            runStart = i + 2;
        }
        i += 2;
    }
    if (!flush(srcLen) || total > INT_MAX) return 0;
    return static_cast<int>(total);
}

int FixWideCharToMultiByte(unsigned codePage, const char16_t* src, int srcLen, char* dst, int dstLen,
                           const char* defaultChar, bool* usedDefaultChar, TWideCharToMultiByteProc base) {
    const bool counting = dstLen == 0;
    long long total = 0;
    bool usedAny = false;
    int runStart = 0;
    auto flush = [&](int end) {
        if (end == runStart) return true;
        if (!counting && total >= dstLen) return false;
        bool used = false;
        const int n = counting
                          ? base(codePage, src + runStart, end - runStart, nullptr, 0, defaultChar, &used)
                          : base(codePage, src + runStart, end - runStart, dst + total,
                                 dstLen - static_cast<int>(total), defaultChar, &used);
        if (n <= 0) return false;
        usedAny = usedAny || used;
        total += n;
        return true;
    };
    for (int i = 0; i < srcLen; ++i) {
        Byte lead = 0;
        Byte trail = 0;
        if (!PrivatePair(src[i], lead, trail)) continue;
        if (!flush(i)) return 0;
        if (!counting) {
            if (total + 2 > dstLen) return 0;
            dst[total] = static_cast<char>(lead);
            dst[total + 1] = static_cast<char>(trail);
        }
        total += 2;
        runStart = i + 1;
    }
    if (!flush(srcLen) || total > INT_MAX) return 0;
    if (usedDefaultChar) *usedDefaultChar = usedAny;
    return static_cast<int>(total);
}

const TCodePageLayer kFixLayer{&FixMultiByteToWideChar, &FixWideCharToMultiByte};

std::mutex gFixLock;
bool gInstalled = false;
const TCodePageLayer* gReplaced = nullptr; // the layer of code page 950 before ours, put back at removal

void InitializeUnit() {
    InstallCodePageFix();
}
void FinalizeUnit() {
    RemoveCodePageFix();
}

} // namespace

bool CodePageFixCondition() {
    if (GetACP() != kBig5CodePage) return false;
    TRegistry registry;
    registry.SetRootKey(HKEY_LOCAL_MACHINE);
    if (!registry.OpenKeyReadOnly(VeltraneRegistryKey)) return true;
    return registry.ReadString("UseKBIG5") != "0";
}

bool InstallCodePageFix() {
    std::lock_guard<std::mutex> lock(gFixLock);
    if (gInstalled) return true;
    if (!CodePageFixCondition()) return false;
    gReplaced = SetCodePageLayer(kBig5CodePage, &kFixLayer);
    gInstalled = true;
    return true;
}

void RemoveCodePageFix() {
    std::lock_guard<std::mutex> lock(gFixLock);
    if (!gInstalled) return;
    const TCodePageLayer* current = SetCodePageLayer(kBig5CodePage, gReplaced);
    // A layer put in over ours since then stays: ours is not in use any more.
    if (current != &kFixLayer) SetCodePageLayer(kBig5CodePage, current);
    gInstalled = false;
    gReplaced = nullptr;
}

bool CodePageFixInstalled() {
    std::lock_guard<std::mutex> lock(gFixLock);
    return gInstalled;
}

const TUnitHooks CodePageFixUnit{"CodePageFix", &InitializeUnit, &FinalizeUnit};
