// The host's cost of a document form: from loading KVRX58C.so to its form shown, connected to the
// application server and holding the first documents, with the servers in process (127.0.0.1) and
// over TCP (localhost). The host object is the work centre in this process.
#include <benchmark/benchmark.h>

#include "bench/BenchPlatform.h"
#include "classlib/automation/comobj.h"
#include "classlib/rtl/dynlib.h"
#include "framework/DLLBaseCtrller.h"

namespace {

void BM_DlopenToConnectedFormShown(benchmark::State& state) {
    static TBenchPlatform platform;
    platform.UseServers(state.range(0) != 0);
    for (auto _ : state) {
        HMODULE module = LoadLibrary(KVR_MODULE_PATH);
        if (!module) {
            state.SkipWithError(LastLibraryError().c_str());
            return;
        }
        auto getController = reinterpret_cast<TGetControllerProc>(GetProcAddress(module, GetControllerName));
        TDLLBaseController* controller = getController();
        controller->HostApp = CreateOleObject("VorlanWorkCenter.Manager");
        try {
            controller->Open(VarArrayOf({"DEMO", "DEMO", "DEMO", 0, ""}));
        } catch (const Exception& e) {
            state.SkipWithError(e.Message().c_str());
            controller->Free();
            return;
        }
        controller->SetVisible(true);
        benchmark::DoNotOptimize(controller->GetVisible());
        state.PauseTiming();
        controller->CloseForm(true);
        controller->Free();
        FreeLibrary(module); // the next round loads the library afresh
        state.ResumeTiming();
    }
}
BENCHMARK(BM_DlopenToConnectedFormShown)->ArgName("tcp")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace
