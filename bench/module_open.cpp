// The host's costs: loading KVRX58C.so until its form is shown, and one late-bound call with five
// arguments (as the module calls its host and servers) against a direct virtual call doing the same
// work.
#include <benchmark/benchmark.h>

#include "classlib/automation/autoobj.h"
#include "classlib/automation/comobj.h"
#include "classlib/rtl/dynlib.h"
#include "framework/DLLBaseCtrller.h"

namespace {

class TBenchHost : public TAutoObject {
public:
    int DependencyVersion() const { return 8000; }
    int Sum5(int a, int b, int c, int d, int e) { return a + b + c + d + e; }

protected:
    const TAutoMembers& Members() const override {
        static const TAutoMembers members{
            AutoProperty("DependencyVersion", &TBenchHost::DependencyVersion),
            AutoMethod("Sum5", &TBenchHost::Sum5),
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

void BM_LateBoundCall5(benchmark::State& state) {
    const Variant host(static_cast<IDispatch*>(new TBenchHost));
    int a = 1;
    for (auto _ : state) {
        benchmark::DoNotOptimize(a);
        Variant result = VarCall(host, "Sum5", {a, 2, 3, 4, 5});
        benchmark::DoNotOptimize(result);
    }
}
BENCHMARK(BM_LateBoundCall5);

struct ISum {
    virtual ~ISum() = default;
    virtual int Sum5(int a, int b, int c, int d, int e) = 0;
};
struct TSum : ISum {
    int Sum5(int a, int b, int c, int d, int e) override { return a + b + c + d + e; }
};
// A second implementation and a target chosen where the compiler cannot see, so that the call below
// stays a call through the virtual table (no devirtualising, no speculative inlining).
struct TSumTwice : ISum {
    int Sum5(int a, int b, int c, int d, int e) override { return 2 * (a + b + c + d + e); }
};
__attribute__((noipa)) ISum* OpaqueTarget(ISum* first, ISum* second, bool useSecond) {
    return useSecond ? second : first;
}

void BM_DirectVirtualCall5(benchmark::State& state) {
    TSum sum;
    TSumTwice twice;
    ISum* target = OpaqueTarget(&sum, &twice, state.range(0) != 0);
    int a = 1;
    for (auto _ : state) {
        benchmark::DoNotOptimize(target);
        benchmark::DoNotOptimize(a);
        int result = target->Sum5(a, 2, 3, 4, 5);
        benchmark::DoNotOptimize(result);
    }
}
BENCHMARK(BM_DirectVirtualCall5)->Arg(0);

} // namespace
