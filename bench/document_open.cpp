// The host's cost of a document form: from loading KVRX58C.so to its form shown, connected to the
// application server and holding the first documents, with the servers in process (127.0.0.1) and
// over TCP (localhost), loaded again after an unload and cold in a fresh process; and the letter of
// credit opened over databases of 1,000 and 100,000 documents, which should cost the same. The host
// object is the work centre in this process.
#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <ctime>
#include <string>

#include "bench/BenchDatabase.h"
#include "bench/BenchPlatform.h"
#include "classlib/automation/comobj.h"
#include "classlib/rtl/dynlib.h"
#include "framework/DLLBaseCtrller.h"

namespace {

double Now() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// One open of the letter of credit with the module loaded: the controller's Open (the form made and
// InitializeForm) until the form shows, timed from since (from after the host is made when negative), in
// seconds; -1 with the reason in error.
double OpenForm(TGetControllerProc getController, std::string& error, double since = -1) {
    TDLLBaseController* controller = getController();
    controller->HostApp = CreateOleObject("VorlanWorkCenter.Manager");
    const double start = since < 0 ? Now() : since;
    try {
        controller->Open(VarArrayOf({"DEMO", "DEMO", "DEMO", 0, ""}));
    } catch (const Exception& e) {
        error = e.Message();
        controller->Free();
        return -1;
    }
    controller->SetVisible(true);
    benchmark::DoNotOptimize(controller->GetVisible());
    const double took = Now() - start;
    controller->CloseForm(true);
    controller->Free();
    return took;
}

// One load of the module until its connected form shows, in the process that calls it: the seconds, or
// -1 with the reason in error. The form is closed and the module unloaded afterwards, untimed.
double LoadToConnectedFormShown(std::string& error) {
    const double start = Now();
    HMODULE module = LoadLibrary(KVR_MODULE_PATH);
    if (!module) {
        error = LastLibraryError();
        return -1;
    }
    auto getController = reinterpret_cast<TGetControllerProc>(GetProcAddress(module, GetControllerName));
    const double took = OpenForm(getController, error, start);
    if (took < 0) return -1;
    FreeLibrary(module);
    if (dlopen(KVR_MODULE_PATH, RTLD_NOW | RTLD_NOLOAD)) {
        error = "the module stayed loaded";
        return -1;
    }
    return took;
}

// A cold load: each round forks a process that has never loaded the module (the class library is
// loaded, as in the host), makes its platform there and loads the module once, in process.
void BM_ColdDlopenToConnectedFormShown(benchmark::State& state) {
    for (auto _ : state) {
        int channel[2];
        if (pipe(channel) != 0) {
            state.SkipWithError("pipe failed");
            return;
        }
        const pid_t child = fork();
        if (child == 0) {
            close(channel[0]);
            double seconds = -1;
            {
                TBenchPlatform platform;
                platform.UseServers(false);
                std::string error;
                seconds = LoadToConnectedFormShown(error);
            }
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
BENCHMARK(BM_ColdDlopenToConnectedFormShown)->UseManualTime()->Unit(benchmark::kMillisecond);

// Loading again in the same process after the module was unloaded (its files and the class library
// warm).
void BM_DlopenToConnectedFormShown(benchmark::State& state) {
    static TBenchPlatform platform;
    platform.UseServers(state.range(0) != 0);
    for (auto _ : state) {
        std::string error;
        const double seconds = LoadToConnectedFormShown(error);
        if (seconds < 0) {
            state.SkipWithError(error.c_str());
            return;
        }
        state.SetIterationTime(seconds);
    }
}
BENCHMARK(BM_DlopenToConnectedFormShown)
    ->ArgName("tcp")
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// Opening over a database of docs documents (two lines each), alternating with an open over 1,000
// documents so that a busy machine slows both alike; ratio is the one against the other.
void BM_OpenAtSize(benchmark::State& state) {
    static TBenchPlatform platform;
    static HMODULE module = LoadLibrary(KVR_MODULE_PATH);
    if (!module) {
        state.SkipWithError(LastLibraryError().c_str());
        return;
    }
    platform.UseServers(false);
    const int docs = static_cast<int>(state.range(0));
    const std::string large = platform.Root() + "/docs-large.db";
    const std::string reference = platform.Root() + "/docs-1000.db";
    benchdb::CopyCachedDatabase(docs, large);
    benchdb::CopyCachedDatabase(1000, reference);
    auto getController = reinterpret_cast<TGetControllerProc>(GetProcAddress(module, GetControllerName));
    std::string error;
    double atSize = 0, atReference = 0;
    for (auto _ : state) {
        SetServerDatabasePath(large);
        const double seconds = OpenForm(getController, error);
        state.PauseTiming();
        SetServerDatabasePath(reference);
        const double referenceSeconds = OpenForm(getController, error);
        state.ResumeTiming();
        if (seconds < 0 || referenceSeconds < 0) {
            state.SkipWithError(error.c_str());
            break;
        }
        atSize += seconds;
        atReference += referenceSeconds;
        state.SetIterationTime(seconds);
    }
    platform.UseDatabase();
    state.counters["open_ms"] = state.iterations() ? atSize * 1e3 / state.iterations() : 0;
    state.counters["ratio"] = atReference > 0 ? atSize / atReference : 0;
}
BENCHMARK(BM_OpenAtSize)
    ->ArgName("docs")
    ->Arg(1000)
    ->Arg(100000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace
