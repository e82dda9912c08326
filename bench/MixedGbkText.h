#pragma once
// The benchmarks' GBK text: 10 MB of runs of ASCII, GB2312 characters, characters found only in GBK, and
// a few from the user-defined areas, the same on every run.
#include <benchmark/benchmark.h>
#include <unicode/ucnv.h>

#include <cstdint>
#include <vector>

#include "classlib/rtl/types.h"

namespace bench {

inline constexpr std::size_t kTextSize = 10 * 1024 * 1024;

struct TPair {
    char Lead;
    char Trail;
};

inline void AddPairs(std::vector<TPair>& pool, int leadFrom, int leadTo, int trailFrom, int trailTo) {
    for (int lead = leadFrom; lead <= leadTo; ++lead)
        for (int trail = trailFrom; trail <= trailTo; ++trail)
            if (trail != 0x7F) pool.push_back({static_cast<char>(lead), static_cast<char>(trail)});
}

inline const AnsiString& MixedGbkText() {
    static const AnsiString text = [] {
        std::vector<TPair> gb2312, gbkOnly, userDefined;
        AddPairs(gb2312, 0xB0, 0xD6, 0xA1, 0xFE);
        AddPairs(gb2312, 0xD7, 0xD7, 0xA1, 0xF9);
        AddPairs(gb2312, 0xD8, 0xF7, 0xA1, 0xFE);
        AddPairs(gbkOnly, 0x81, 0xA0, 0x40, 0xFE);
        AddPairs(gbkOnly, 0xAA, 0xFE, 0x40, 0xA0);
        AddPairs(userDefined, 0xAA, 0xAF, 0xA1, 0xFE);
        AddPairs(userDefined, 0xF8, 0xFE, 0xA1, 0xFE);
        AddPairs(userDefined, 0xA1, 0xA7, 0x40, 0xA0);
        static const char ascii[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 ,.;:-/";

        AnsiString t;
        t.reserve(kTextSize + 16);
        std::uint64_t state = 0x9E3779B97F4A7C15ull;
        auto next = [&state] {
            state = state * 6364136223846793005ull + 1442695040888963407ull;
            return static_cast<std::uint32_t>(state >> 33);
        };
        auto append = [&t](const TPair& pair) {
            t += pair.Lead;
            t += pair.Trail;
        };
        while (t.size() < kTextSize) {
            const std::uint32_t kind = next() % 100;
            if (kind < 30) {
                for (std::uint32_t n = 1 + next() % 12; n > 0; --n)
                    t += ascii[next() % (sizeof ascii - 1)];
            } else if (kind < 75) {
                append(gb2312[next() % gb2312.size()]);
            } else if (kind < 95) {
                append(gbkOnly[next() % gbkOnly.size()]);
            } else {
                append(userDefined[next() % userDefined.size()]);
            }
        }
        return t;
    }();
    return text;
}

// ICU's own conversion of the text from 936 to 950, converters opened once: the yardstick of the
// project's conversions.
inline void IcuConvert936To950(benchmark::State& state) {
    const AnsiString& text = MixedGbkText();
    UErrorCode err = U_ZERO_ERROR;
    UConverter* from = ucnv_open("windows-936-2000", &err);
    UConverter* to = ucnv_open("windows-950-2000", &err);
    if (U_FAILURE(err)) {
        state.SkipWithError("cannot open the converters");
        return;
    }
    std::vector<UChar> pivot(1024);
    AnsiString big5(text.size() * 2, '\0');
    std::size_t outSize = 0;
    for (auto _ : state) {
        err = U_ZERO_ERROR;
        char* target = big5.data();
        const char* source = text.data();
        UChar* pivotSource = pivot.data();
        UChar* pivotTarget = pivot.data();
        ucnv_convertEx(to, from, &target, big5.data() + big5.size(), &source, text.data() + text.size(),
                       pivot.data(), &pivotSource, &pivotTarget, pivot.data() + pivot.size(), true, true,
                       &err);
        outSize = static_cast<std::size_t>(target - big5.data());
        benchmark::DoNotOptimize(big5.data());
    }
    if (U_FAILURE(err)) state.SkipWithError(u_errorName(err));
    ucnv_close(from);
    ucnv_close(to);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(text.size()));
    state.counters["out_bytes"] = static_cast<double>(outSize);
}

} // namespace bench
