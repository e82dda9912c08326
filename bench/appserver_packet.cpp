// The first packet of 20 documents (headers with their lines, joined columns) from a database of 1,000
// and of 100,000 documents: the packet should cost the same whatever the table holds. Then packets of
// 20 at positions 0, 10,000, 50,000 and 90,000 of the 100,000 (in the key order, and in a client's
// sort whose values all tie): a later packet should cost what the first does.
#include <sqlite3.h>
#include <stdlib.h>

#include <filesystem>
#include <map>
#include <string>

#include <benchmark/benchmark.h>

#include "bench/BenchDatabase.h"
#include "classlib/db/datapacket.h"
#include "classlib/db/provider.h"
#include "standins/appserver/rarer1.h"
#include "standins/shared/serverconfig.h"

namespace {

// A copy of the demo database with count more documents of two lines each, made once per count.
std::string Database(int count) {
    static std::map<int, std::string> made;
    auto found = made.find(count);
    if (found != made.end()) return found->second;
    std::string folder = (std::filesystem::temp_directory_path() / "kvrbench-XXXXXX").string();
    if (!mkdtemp(folder.data())) std::abort();
    const std::string path = folder + "/docs.db";
    benchdb::CopyCachedDatabase(count, path);
    made[count] = path;
    return path;
}

void FirstPacket(benchmark::State& state) {
    SetServerDatabasePath(Database(static_cast<int>(state.range(0))));
    SetServerDataDir(std::string(KVR_SOURCE_DIR) + "/data");
    Variant server(new TRarer1);
    VarCall(server, "Connect",
            {VarArrayOf({Variant("KVRX58"), Variant("DEMO"), Variant("DEMO"), Variant("DEMO"), Variant("1"),
                         Variant("1")})});
    const Variant request = VarArrayOf({Variant("All"), Variant("")});
    for (auto _ : state) {
        Variant recs = 0, owner;
        const Variant packet =
            VarCall(server, "AS_GetRecords",
                    {"pvdMain", 20, ByRef(recs), grReset | grMetaData, "", Variant(), request, ByRef(owner)});
        if (recs.AsInteger() != 20) state.SkipWithError("the packet does not hold 20 documents");
        benchmark::DoNotOptimize(packet);
    }
}
BENCHMARK(FirstPacket)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);

// Packets of 20 from the position on (the loop's 100 packets move it on by 2,000 rows).
void PacketAt(benchmark::State& state, const char* sort) {
    SetServerDatabasePath(Database(100000));
    SetServerDataDir(std::string(KVR_SOURCE_DIR) + "/data");
    Variant server(new TRarer1);
    VarCall(server, "Connect",
            {VarArrayOf({Variant("KVRX58"), Variant("DEMO"), Variant("DEMO"), Variant("DEMO"), Variant("1"),
                         Variant("1")})});
    const Variant request = VarArrayOf({Variant("All"), Variant(sort)});
    bool reset = true;
    auto packet = [&](int count) {
        Variant recs = 0, owner;
        VarCall(server, "AS_GetRecords",
                {"pvdMain", count, ByRef(recs), reset ? grReset | grMetaData : 0, "", Variant(), request,
                 ByRef(owner)});
        reset = false;
        return recs.AsInteger();
    };
    const int position = static_cast<int>(state.range(0));
    for (int done = 0; done < position;)
        done += packet(std::min(5000, position - done));
    for (auto _ : state)
        if (packet(20) != 20) state.SkipWithError("the packet does not hold 20 documents");
}
BENCHMARK_CAPTURE(PacketAt, KeyOrder, "")
    ->Arg(0)
    ->Arg(10000)
    ->Arg(50000)
    ->Arg(90000)
    ->Iterations(100)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(PacketAt, TiedSort, "TA018 DESC")
    ->Arg(0)
    ->Arg(10000)
    ->Arg(50000)
    ->Arg(90000)
    ->Iterations(100)
    ->Unit(benchmark::kMicrosecond);

} // namespace
