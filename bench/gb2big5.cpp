// GBToBig5 over 10 MB of mixed GBK text, driven by the generated mapping file, against ICU converting
// the same text from 936 to 950 with its converters opened once.
#include <benchmark/benchmark.h>
#include <unicode/ucnv.h>

#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "bench/MixedGbkText.h"
#include "classlib/rtl/files.h"
#include "classlib/rtl/registry.h"
#include "foundation/GB2BIG5.h"
#include "foundation/VeltraneIni.h"

namespace {

using bench::MixedGbkText;

// A registry of its own in a temporary folder whose ClientPath is the build's data folder, where the
// mapping file is generated (bin/ and data/ sit side by side in the build tree).
class TBenchPlatform {
public:
    TBenchPlatform() {
        std::random_device seed;
        FFolder = std::filesystem::temp_directory_path() / ("kvr-bench-gb2big5-" + std::to_string(seed()));
        std::filesystem::create_directories(FFolder);
        SetRegistryFileName((FFolder / "registry.ini").string());
        TRegistry registry;
        registry.SetRootKey(HKEY_LOCAL_MACHINE);
        registry.OpenKey(VeltraneRegistryKey, true);
        registry.WriteString("ClientPath", ExtractFilePath(GetModuleFileName()) + "..\\data\\");
    }
    ~TBenchPlatform() {
        SetRegistryFileName("");
        std::error_code ignored;
        std::filesystem::remove_all(FFolder, ignored);
    }

private:
    std::filesystem::path FFolder;
};

void SetBytes(benchmark::State& state, std::size_t inSize, std::size_t outSize) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(inSize));
    state.counters["out_bytes"] = static_cast<double>(outSize);
}

void BM_GBToBig5(benchmark::State& state) {
    TBenchPlatform platform;
    UnloadLanguageTable();
    if (!LoadLanguageTable()) {
        state.SkipWithError("the mapping file Language was not found in the build's data folder");
        return;
    }
    const AnsiString& text = MixedGbkText();
    std::size_t outSize = 0;
    for (auto _ : state) {
        AnsiString big5 = GBToBig5(text);
        outSize = big5.size();
        benchmark::DoNotOptimize(big5.data());
    }
    SetBytes(state, text.size(), outSize);
}
BENCHMARK(BM_GBToBig5)->Unit(benchmark::kMillisecond);

void BM_Icu936To950(benchmark::State& state) {
    bench::IcuConvert936To950(state);
}
BENCHMARK(BM_Icu936To950)->Unit(benchmark::kMillisecond);

} // namespace
