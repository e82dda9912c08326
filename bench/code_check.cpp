// One code check of an entered code through the broker to the host's validator (a supplier looked up
// in the demo database), with the host's work centre in this process and behind a socket connection.
#include <benchmark/benchmark.h>

#include <memory>

#include "bench/BenchPlatform.h"
#include "classlib/automation/comobj.h"
#include "classlib/controls/forms.h"
#include "framework/Brokers.h"
#include "programs/kvrx58/Kvrx58CF.h"

namespace {

void BM_CodeCheckThroughBroker(benchmark::State& state) {
    static TBenchPlatform platform;
    const bool remote = state.range(0) != 0;
    platform.UseServers(remote);
    Application->SetExeName("/opt/VORLAN/bench"); // a hosted form: no stand-alone start
    TSocketConnection host;
    Variant hostApp;
    if (remote) {
        host.SetAddress("localhost");
        host.SetPort(platform.Port());
        host.SetServerName("VorlanWorkCenter.Manager");
        host.Open();
        hostApp = host.AppServer();
    } else {
        hostApp = CreateOleObject("VorlanWorkCenter.Manager");
    }
    std::unique_ptr<TfrmKvrx58> form(new TfrmKvrx58(nullptr));
    form->SetModuleFileName("KVRX58C.so");
    form->Broker->HostApp = hostApp;
    form->InitializeForm(VarArrayOf({"DEMO", "DEMO", "DEMO", 0, ""}));
    const Variant keys = VarArrayOf({"S0001"});
    for (auto _ : state) {
        Variant row;
        const bool found = form->Broker->CheckValue("BYVMA", "01", row, keys);
        if (!found) {
            state.SkipWithError("the supplier was not found");
            break;
        }
        benchmark::DoNotOptimize(row);
    }
    form.reset();
}
BENCHMARK(BM_CodeCheckThroughBroker)->ArgName("tcp")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

} // namespace
