// The host's costs: loading KVRX58C.so until its form is shown (cold, in a fresh process, and again
// after an unload), and one late-bound call with five
// arguments (as the module calls its host and servers) against a direct virtual call doing the same
// work.
#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <ctime>
#include <string>

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

// One load of the module until its form shows, timed in the process that loads it; the seconds, or -1
// with the reason in error. With unload, the module is freed again after it.
double Now() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

double LoadToFormShown(bool unload, std::string& error) {
    const double start = Now();
    HMODULE module = LoadLibrary(KVR_MODULE_PATH);
    if (!module) {
        error = LastLibraryError();
        return -1;
    }
    auto getController = reinterpret_cast<TGetControllerProc>(GetProcAddress(module, GetControllerName));
    TDLLBaseController* controller = getController();
    controller->HostApp = Variant(static_cast<IDispatch*>(new TBenchHost));
    controller->Open(VarArrayOf({"DEMO", "DEMO", "DEMO", 0, ""}));
    controller->SetVisible(true);
    benchmark::DoNotOptimize(controller->GetVisible());
    const double took = Now() - start;
    if (unload) {
        controller->CloseForm(true);
        controller->Free();
        FreeLibrary(module);
        if (dlopen(KVR_MODULE_PATH, RTLD_NOW | RTLD_NOLOAD)) {
            error = "the module stayed loaded";
            return -1;
        }
    }
    return took;
}

// A cold load: each round forks a process that has never loaded the module (the class library is
// loaded, as in the host) and loads it there once.
void BM_ColdLoadToFormShown(benchmark::State& state) {
    for (auto _ : state) {
        int channel[2];
        if (pipe(channel) != 0) {
            state.SkipWithError("pipe failed");
            return;
        }
        const pid_t child = fork();
        if (child == 0) {
            close(channel[0]);
            std::string error;
            const double seconds = LoadToFormShown(false, error);
            const ssize_t written = write(channel[1], &seconds, sizeof seconds);
            _exit(seconds < 0 || written != sizeof seconds ? 1 : 0);
        }
        close(channel[1]);
        double seconds = -1;
        const ssize_t got = child > 0 ? read(channel[0], &seconds, sizeof seconds) : 0;
        close(channel[0]);
        int status = 0;
        if (child > 0) waitpid(child, &status, 0);
        if (got != sizeof seconds || seconds < 0) {
            state.SkipWithError("the child could not load the module");
            return;
        }
        state.SetIterationTime(seconds);
    }
}
BENCHMARK(BM_ColdLoadToFormShown)->UseManualTime()->Unit(benchmark::kMillisecond);

// Loading again in the same process after the module was unloaded (its files and the class library
// warm).
void BM_ReloadToFormShown(benchmark::State& state) {
    for (auto _ : state) {
        std::string error;
        const double seconds = LoadToFormShown(true, error);
        if (seconds < 0) {
            state.SkipWithError(error.c_str());
            return;
        }
        state.SetIterationTime(seconds);
    }
}
BENCHMARK(BM_ReloadToFormShown)->UseManualTime()->Unit(benchmark::kMillisecond);

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
