// Saving one letter of credit of 500 lines through pvdMain (the delta read, the keys checked, FLAG
// stamped, one transaction) against the raw SQLite inserts of the same rows in one transaction.
#include <sqlite3.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include <benchmark/benchmark.h>

#include "classlib/db/datapacket.h"
#include "classlib/db/provider.h"
#include "standins/appserver/rarer1.h"
#include "standins/shared/serverconfig.h"

namespace {

constexpr int Lines = 500;

std::string TempDb(const char* name) {
    std::string pattern = (std::filesystem::temp_directory_path() / "kvrbench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) std::abort();
    return pattern + "/" + name;
}

Variant Line(const std::vector<TPacketField>& fields, int i) {
    char seq[16];
    std::snprintf(seq, sizeof seq, "%04d", i + 1);
    std::vector<Variant> values;
    for (const TPacketField& field : fields) {
        const AnsiString& n = field.Name;
        if (n == "TB001")
            values.push_back("5101");
        else if (n == "TB002")
            values.push_back(AnsiString(20, '~'));
        else if (n == "TB003")
            values.push_back(seq);
        else if (n == "TB004")
            values.push_back("3301");
        else if (n == "TB005")
            values.push_back("20261110002");
        else if (n == "TB006")
            values.push_back("0001");
        else if (n == "TB007")
            values.push_back("W03");
        else if (n == "TB008")
            values.push_back(12.5 * i);
        else if (n == "COMPANY" || n == "CREATOR")
            values.push_back("DEMO");
        else
            values.push_back(Null());
    }
    return MakeDeltaRow(usInserted, i + 2, VarArrayOf(values), Variant());
}

void ProviderSave(benchmark::State& state) {
    SetServerDatabasePath(TempDb("provider.db"));
    SetServerDataDir(std::string(KVR_SOURCE_DIR) + "/data");
    Variant server(new TRarer1);
    VarCall(server, "Connect",
            {VarArrayOf({Variant("KVRX58"), Variant("DEMO"), Variant("DEMO"), Variant("DEMO"), Variant("1"),
                         Variant("1")})});
    Variant recs = 0, owner;
    const Variant layout = VarCall(server, "AS_GetRecords",
                                   {"pvdMain", 0, ByRef(recs), 3, "", Variant(),
                                    VarArrayOf({Variant("1=0"), Variant("")}), ByRef(owner)});
    const std::vector<TPacketField> fields = ReadPacketFields(layout);
    const std::vector<TPacketField>& lineFields = fields.back().Nested;
    std::vector<Variant> lines;
    for (int i = 0; i < Lines; ++i)
        lines.push_back(Line(lineFields, i));
    std::vector<Variant> head;
    for (const TPacketField& field : fields) {
        if (field.DataType == ftDataSet)
            head.push_back(VarArrayOf(lines));
        else if (field.Name == "TA001")
            head.push_back("5101");
        else if (field.Name == "TA002")
            head.push_back("");
        else if (field.Name == "TA008")
            head.push_back("20261210");
        else if (field.Name == "TA005")
            head.push_back("S0002");
        else
            head.push_back(Null());
    }
    const Variant delta = MakeDataPacket(
        fields, VarArrayOf({MakeDeltaRow(usInserted, 1, VarArrayOf(head), Variant())}), pfDelta);
    // Each document on its own date, so the daily numbers never run out.
    int day = 0;
    for (auto _ : state) {
        state.PauseTiming();
        char date[32];
        std::snprintf(date, sizeof date, "2027%04d", 101 + day++ % 1200);
        Variant changed = delta;
        Variant rows = PacketRows(changed);
        Variant row = rows.GetElement({0});
        Variant values = row.GetElement({2});
        for (size_t i = 0; i < fields.size(); ++i)
            if (fields[i].Name == "TA008") values.PutElement({static_cast<int>(i)}, Variant(date));
        row.PutElement({2}, values);
        rows.PutElement({0}, row);
        changed.PutElement({2}, rows);
        VarCall(server, "SetIsSeq", {true});
        state.ResumeTiming();
        Variant count = 0;
        const Variant result =
            VarCall(server, "AS_ApplyUpdates", {"pvdMain", changed, 0, ByRef(count), ByRef(owner)});
        if (!result.GetElement({0}).AsBoolean()) state.SkipWithError("the save was rejected");
    }
    state.SetItemsProcessed(state.iterations() * (Lines + 1));
}
BENCHMARK(ProviderSave)->Unit(benchmark::kMillisecond);

void RawSqliteInserts(benchmark::State& state) {
    // The same file and settings (WAL, synchronous NORMAL), the same rows, prepared once.
    SetServerDatabasePath(TempDb("raw.db"));
    SetServerDataDir(std::string(KVR_SOURCE_DIR) + "/data");
    OpenServerSession();
    sqlite3* db = nullptr;
    sqlite3_open(ServerDatabasePath().c_str(), &db);
    sqlite3_exec(db, "PRAGMA journal_mode = WAL; PRAGMA synchronous = NORMAL; PRAGMA foreign_keys = ON",
                 nullptr, nullptr, nullptr);
    // The columns the provider writes for these rows (the others keep their defaults), prepared once.
    sqlite3_stmt* head = nullptr;
    sqlite3_stmt* line = nullptr;
    sqlite3_prepare_v2(
        db, "INSERT INTO KVRTA (TA001, TA002, TA008, TA005, FLAG) VALUES ('5101', ?, '20261210', 'S0002', 1)",
        -1, &head, nullptr);
    sqlite3_prepare_v2(
        db,
        "INSERT INTO KVRTB (COMPANY, CREATOR, TB001, TB002, TB003, TB004, TB005, TB006, TB007, TB008, FLAG) "
        "VALUES ('DEMO', 'DEMO', '5101', ?, ?, '3301', '20261110002', '0001', 'W03', ?, 1)",
        -1, &line, nullptr);
    long n = 0;
    for (auto _ : state) {
        const std::string number = std::to_string(30000000000L + n++);
        sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        sqlite3_bind_text(head, 1, number.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_step(head);
        sqlite3_reset(head);
        for (int i = 0; i < Lines; ++i) {
            char seq[16];
            std::snprintf(seq, sizeof seq, "%04d", i + 1);
            sqlite3_bind_text(line, 1, number.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(line, 2, seq, -1, SQLITE_TRANSIENT);
            sqlite3_bind_double(line, 3, 12.5 * i);
            sqlite3_step(line);
            sqlite3_reset(line);
        }
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    }
    sqlite3_finalize(head);
    sqlite3_finalize(line);
    sqlite3_close(db);
    state.SetItemsProcessed(state.iterations() * (Lines + 1));
}
BENCHMARK(RawSqliteInserts)->Unit(benchmark::kMillisecond);

} // namespace
