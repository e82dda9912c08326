// One late-bound call on the application server (WhatIs "SQLTYPE", and a check of the settings list)
// in process against the same call over TCP on loopback.
#include <stdlib.h>

#include <filesystem>

#include <benchmark/benchmark.h>

#include "classlib/automation/sconnect.h"
#include "standins/appserver/rarer1.h"
#include "standins/shared/serverconfig.h"

namespace {

void UseDemoDatabase() {
    static bool done = false;
    if (done) return;
    std::string folder = (std::filesystem::temp_directory_path() / "kvrbench-XXXXXX").string();
    if (!mkdtemp(folder.data())) std::abort();
    SetServerDatabasePath(folder + "/call.db");
    SetServerDataDir(std::string(KVR_SOURCE_DIR) + "/data");
    done = true;
}

Variant ConnectParams() {
    return VarArrayOf(
        {Variant("KVRX58"), Variant("DEMO"), Variant("DEMO"), Variant("DEMO"), Variant("1"), Variant("1")});
}

void CallInProcess(benchmark::State& state) {
    UseDemoDatabase();
    Variant server(new TRarer1);
    VarCall(server, "Connect", {ConnectParams()});
    for (auto _ : state)
        benchmark::DoNotOptimize(VarCall(server, "WhatIs", {"SQLTYPE"}));
}
BENCHMARK(CallInProcess);

void CallOverTcp(benchmark::State& state) {
    UseDemoDatabase();
    TSocketDispatchServer listener([](const AnsiString&) { return Variant(new TRarer1); });
    listener.Open(0);
    TSocketConnection connection;
    connection.SetAddress("127.0.0.1");
    connection.SetPort(listener.Port());
    connection.SetServerName("RAVEZ01A.Rarer1");
    connection.Open();
    const Variant server = connection.AppServer();
    VarCall(server, "Connect", {ConnectParams()});
    for (auto _ : state)
        benchmark::DoNotOptimize(VarCall(server, "WhatIs", {"SQLTYPE"}));
    connection.Close();
    listener.Close();
}
BENCHMARK(CallOverTcp);

} // namespace
