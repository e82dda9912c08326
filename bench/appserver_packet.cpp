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
#include "standins/shared/sqlfunctions.h"

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

// The floor of the first packet: the provider's two SELECTs (20 headers and one more, then their
// lines), as the server writes them, run on SQLite alone with every value read.
void RawSelects(benchmark::State& state) {
    const std::string path = Database(static_cast<int>(state.range(0)));
    TDbOptions options;
    options.Path = path;
    options.DataDir = std::string(KVR_SOURCE_DIR) + "/data";
    TDbSession session(options);
    auto setting = [&](const char* name) {
        return session
            .Select("SELECT MS003 FROM WOQMS WHERE MS001 = 'KVRX58' AND MS002 = ?",
                    {Variant(AnsiString(name))})
            .Rows.at(0)
            .at(0)
            .AsString();
    };
    TSelectSpec heads;
    heads.Select = setting("M11_SELECT");
    heads.DefaultSort = "KVRTA.TA001,KVRTA.TA002";
    heads.Limit = 21;
    TSelectSpec lines;
    lines.Select = setting("D11_SELECT");
    lines.DefaultSort = "KVRTB.TB001,KVRTB.TB002,KVRTB.TB003";
    for (int i = 0; i < 20; ++i)
        lines.Where += std::string(i ? " OR " : "") + "(KVRTB.TB001 = ? AND KVRTB.TB002 = ?)";
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    RegisterServerFunctions(db);
    sqlite3_stmt* head = nullptr;
    sqlite3_stmt* line = nullptr;
    const std::string headSql = session.BuildSelect(heads), lineSql = session.BuildSelect(lines);
    if (sqlite3_prepare_v2(db, headSql.c_str(), -1, &head, nullptr) != SQLITE_OK ||
        sqlite3_prepare_v2(db, lineSql.c_str(), -1, &line, nullptr) != SQLITE_OK) {
        state.SkipWithError(sqlite3_errmsg(db));
        sqlite3_close(db);
        return;
    }
    int keyColumns[2] = {-1, -1};
    for (int i = 0; i < sqlite3_column_count(head); ++i)
        for (int k : {0, 1})
            if (std::string(sqlite3_column_name(head, i)) == (k ? "TA002" : "TA001") && keyColumns[k] < 0)
                keyColumns[k] = i;
    auto readRow = [](sqlite3_stmt* stmt) {
        for (int i = 0; i < sqlite3_column_count(stmt); ++i)
            if (sqlite3_column_type(stmt, i) == SQLITE_TEXT)
                benchmark::DoNotOptimize(sqlite3_column_text(stmt, i));
            else
                benchmark::DoNotOptimize(sqlite3_column_double(stmt, i));
    };
    for (auto _ : state) {
        std::vector<std::string> keys;
        int rows = 0;
        while (sqlite3_step(head) == SQLITE_ROW) {
            readRow(head);
            if (++rows <= 20)
                for (int column : keyColumns)
                    keys.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(head, column)));
        }
        sqlite3_reset(head);
        for (size_t i = 0; i < 40; ++i)
            sqlite3_bind_text(line, static_cast<int>(i + 1), i < keys.size() ? keys[i].c_str() : "", -1,
                              SQLITE_TRANSIENT);
        while (sqlite3_step(line) == SQLITE_ROW)
            readRow(line);
        sqlite3_reset(line);
        if (rows != 21) state.SkipWithError("the SELECT does not give 21 headers");
    }
    sqlite3_finalize(head);
    sqlite3_finalize(line);
    sqlite3_close(db);
}
BENCHMARK(RawSelects)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);

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
