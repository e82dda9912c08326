// GBK to BIG5 over 10 MB of mixed text: the class library's code-page service against ICU converting
// the same text directly with converters opened once.
#include <benchmark/benchmark.h>
#include <unicode/ucnv.h>

#include <cstdint>
#include <vector>

#include "bench/MixedGbkText.h"
#include "classlib/rtl/codepages.h"

namespace {

using bench::MixedGbkText;

void BM_ServiceConvertCodePage(benchmark::State& state) {
    const AnsiString& text = MixedGbkText();
    std::size_t outSize = 0;
    for (auto _ : state) {
        AnsiString big5 = ConvertCodePage(text, 936, 950);
        outSize = big5.size();
        benchmark::DoNotOptimize(big5.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(text.size()));
    state.counters["out_bytes"] = static_cast<double>(outSize);
}
BENCHMARK(BM_ServiceConvertCodePage)->Unit(benchmark::kMillisecond);

void BM_IcuPivotConvertersOpenedOnce(benchmark::State& state) {
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
BENCHMARK(BM_IcuPivotConvertersOpenedOnce)->Unit(benchmark::kMillisecond);

// ucnv_convert opens and closes both converters on every call.
void BM_IcuConvert(benchmark::State& state) {
    const AnsiString& text = MixedGbkText();
    AnsiString big5(text.size() * 2, '\0');
    std::size_t outSize = 0;
    for (auto _ : state) {
        UErrorCode err = U_ZERO_ERROR;
        const int32_t n = ucnv_convert("windows-950-2000", "windows-936-2000", big5.data(),
                                       static_cast<int32_t>(big5.size()), text.data(),
                                       static_cast<int32_t>(text.size()), &err);
        if (U_FAILURE(err)) {
            state.SkipWithError(u_errorName(err));
            break;
        }
        outSize = static_cast<std::size_t>(n);
        benchmark::DoNotOptimize(big5.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(text.size()));
    state.counters["out_bytes"] = static_cast<double>(outSize);
}
BENCHMARK(BM_IcuConvert)->Unit(benchmark::kMillisecond);

} // namespace
