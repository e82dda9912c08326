// The host's cost of loading KVRX58C.so until its form is shown (a late-bound call's cost is
// bench_late_bound_call's).
#include <benchmark/benchmark.h>

#include "classlib/automation/autoobj.h"
#include "classlib/automation/comobj.h"
#include "classlib/rtl/dynlib.h"
#include "framework/DLLBaseCtrller.h"

namespace {

class TBenchHost : public TAutoObject {
public:
    int DependencyVersion() const { return 8000; }

protected:
    const TAutoMembers& Members() const override {
        static const TAutoMembers members{
            AutoProperty("DependencyVersion", &TBenchHost::DependencyVersion),
        };
        return members;
    }
};

void BM_LoadLibraryToFormShown(benchmark::State& state) {
    for (auto _ : state) {
        HMODULE module = LoadLibrary(KVR_MODULE_PATH);
        if (!module) {
            state.SkipWithError(LastLibraryError().c_str());
            return;
        }
        auto getController = reinterpret_cast<TGetControllerProc>(GetProcAddress(module, GetControllerName));
        TDLLBaseController* controller = getController();
        controller->HostApp = Variant(static_cast<IDispatch*>(new TBenchHost));
        controller->Open(VarArrayOf({"DEMO", "DEMO", "DEMO", 0, ""}));
        controller->SetVisible(true);
        benchmark::DoNotOptimize(controller->GetVisible());
        state.PauseTiming();
        controller->CloseForm(true);
        controller->Free();
        FreeLibrary(module); // the next round loads the library afresh
        state.ResumeTiming();
    }
}
BENCHMARK(BM_LoadLibraryToFormShown)->Unit(benchmark::kMicrosecond);

} // namespace
