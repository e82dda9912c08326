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
    bench::IcuConvert936To950(state);
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
