// The query dialog's texts: the WHERE text of 50 condition rows, and a grid-built query over 100,000
// documents returning its first packet of 20 from the application server, against the same SELECT run
// on SQLite directly.
#include <sqlite3.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include <benchmark/benchmark.h>

#include "classlib/db/provider.h"
#include "dialogs/QBEConditions.h"
#include "standins/appserver/rarer1.h"
#include "standins/shared/serverconfig.h"

namespace {

struct TColumns {
    TColumns() {
        Operators.SetText(DefaultOperatorLines());
        Add("DC001", "代号", "FWDOC.DC001", ftString);
        Add("DC002", "名称", "FWDOC.DC002", ftString);
        Add("DC003", "金额", "FWDOC.DC003", ftFloat);
        Add("DC004", "汇率", "FWDOC.DC004", ftFloat);
    }
    void Add(const char* name, const char* label, const char* expr, int type) {
        auto* record = new TRecordInfo;
        record->DisplayLabel = label;
        record->ColumnExpr = expr;
        record->DataType = type;
        Records.AddRecord(name, record);
    }
    TRecordInfoList Records;
    TStringList Operators;
};

void WhereOf50Rows(benchmark::State& state) {
    TColumns columns;
    std::vector<TConditionRow> rows;
    const char* const labels[] = {"代号", "名称", "金额", "汇率"};
    const char* const operators[] = {"等于", "起始于", "大于或等于", "存在于", "包含"};
    const char* const values[] = {"D0'01", "甲", "150.5", "1, 2, 3", "x"};
    for (int i = 0; i < 50; ++i)
        rows.push_back({labels[i % 4], operators[i % 5], values[(i + i / 5) % 5], i % 3 ? "AND" : "OR"});
    for (auto _ : state)
        benchmark::DoNotOptimize(GridCondition(rows, columns.Records, columns.Operators, TQBEDateSettings{}));
}
BENCHMARK(WhereOf50Rows)->Unit(benchmark::kMicrosecond);

// The demo database with 100,000 documents of FWDOC, made once.
const std::string& Database() {
    static const std::string path = [] {
        std::string folder = (std::filesystem::temp_directory_path() / "kvrbench-XXXXXX").string();
        if (!mkdtemp(folder.data())) std::abort();
        const std::string file = folder + "/docs.db";
        SetServerDatabasePath(file);
        SetServerDataDir(std::string(KVR_SOURCE_DIR) + "/data");
        OpenServerSession();
        sqlite3* db = nullptr;
        sqlite3_open(file.c_str(), &db);
        sqlite3_exec(db, "BEGIN; DELETE FROM FWDOC", nullptr, nullptr, nullptr);
        sqlite3_stmt* insert = nullptr;
        sqlite3_prepare_v2(
            db, "INSERT INTO FWDOC (COMPANY, DC001, DC002, DC003, DC004) VALUES ('DEMO', ?, ?, ?, 1)", -1,
            &insert, nullptr);
        for (int i = 0; i < 100000; ++i) {
            char key[8];
            snprintf(key, sizeof key, "D%05d", i);
            const std::string name = "N" + std::to_string(i);
            sqlite3_bind_text(insert, 1, key, -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(insert, 2, name.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_double(insert, 3, i % 1000);
            sqlite3_step(insert);
            sqlite3_reset(insert);
        }
        sqlite3_finalize(insert);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_close(db);
        return file;
    }();
    return path;
}

AnsiString GridWhere() {
    TColumns columns;
    return GridCondition({{"金额", "大于", "150", "AND"}, {"名称", "包含", "5", "AND"}}, columns.Records,
                         columns.Operators, TQBEDateSettings{});
}

void FirstPacketFromServer(benchmark::State& state) {
    SetServerDatabasePath(Database());
    SetServerDataDir(std::string(KVR_SOURCE_DIR) + "/data");
    Variant server(new TRarer1);
    VarCall(server, "Connect",
            {VarArrayOf({Variant("FWQBE01"), Variant("DEMO"), Variant("DEMO"), Variant("DEMO"), Variant("1"),
                         Variant("1")})});
    const Variant request = VarArrayOf({Variant(GridWhere()), Variant("")});
    for (auto _ : state) {
        Variant recs = 0, owner;
        const Variant packet =
            VarCall(server, "AS_GetRecords",
                    {"pvdMain", 20, ByRef(recs), grReset | grMetaData, "", Variant(), request, ByRef(owner)});
        if (recs.AsInteger() != 20) state.SkipWithError("the packet does not hold 20 documents");
        benchmark::DoNotOptimize(packet);
    }
}
BENCHMARK(FirstPacketFromServer)->Unit(benchmark::kMicrosecond);

void SameSelectOnSqlite(benchmark::State& state) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(Database().c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    const std::string sql = "SELECT FWDOC.* FROM FWDOC WHERE (" + GridWhere() + ") ORDER BY DC001 LIMIT 20";
    for (auto _ : state) {
        sqlite3_stmt* select = nullptr;
        sqlite3_prepare_v2(db, sql.c_str(), -1, &select, nullptr);
        int rows = 0;
        while (sqlite3_step(select) == SQLITE_ROW) {
            for (int c = 0; c < sqlite3_column_count(select); ++c)
                benchmark::DoNotOptimize(sqlite3_column_text(select, c));
            ++rows;
        }
        sqlite3_finalize(select);
        if (rows != 20) state.SkipWithError("the select does not give 20 rows");
    }
    sqlite3_close(db);
}
BENCHMARK(SameSelectOnSqlite)->Unit(benchmark::kMicrosecond);

} // namespace
