#pragma once
// The demo database with many more letters of credit (two lines each), made once per count and per
// version of the data folder's SQL files and kept outside the tree ($XDG_CACHE_HOME/kvr-bench, else
// /tmp/kvr-bench), since making 100,000 documents takes longer than the run that reads them.
#include <sqlite3.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "standins/shared/serverconfig.h"

namespace benchdb {

inline std::string DataDir() {
    return std::string(KVR_SOURCE_DIR) + "/data";
}

// A digest of the SQL files the database is made from: a changed schema makes a new database.
inline size_t DataVersion() {
    std::string all;
    for (const char* name : {"schema.sql", "seed.sql", "seed_docprograms.sql"}) {
        std::ifstream file(DataDir() + "/" + name, std::ios::binary);
        std::stringstream text;
        text << file.rdbuf();
        all += text.str();
    }
    return std::hash<std::string>()(all);
}

inline bool Check(int code, sqlite3* db, const char* what) {
    if (code == SQLITE_OK || code == SQLITE_DONE || code == SQLITE_ROW) return true;
    std::fprintf(stderr, "%s: %s\n", what, sqlite3_errmsg(db));
    return false;
}

// Adds count letters of credit (5101-400000000nn, two lines each) to the database at path.
inline bool AddDocuments(const std::string& path, int count) {
    sqlite3* db = nullptr;
    bool ok = Check(sqlite3_open(path.c_str(), &db), db, "open");
    sqlite3_stmt* head = nullptr;
    sqlite3_stmt* line = nullptr;
    ok = ok && Check(sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr), db, "begin");
    ok = ok && Check(sqlite3_prepare_v2(db,
                                        "INSERT INTO KVRTA (TA001, TA002, TA008, TA005, TA006, TA016, TA036, "
                                        "TA018, FLAG) VALUES ('5101', ?, '20261210', 'S0002', 'B001', 'USD', "
                                        "'F01', 1000, 1)",
                                        -1, &head, nullptr),
                     db, "prepare");
    ok = ok && Check(sqlite3_prepare_v2(db,
                                        "INSERT INTO KVRTB (TB001, TB002, TB003, TB004, TB005, TB006, TB007, "
                                        "FLAG) VALUES ('5101', ?, ?, '3301', '20261110002', ?, 'W03', 1)",
                                        -1, &line, nullptr),
                     db, "prepare");
    for (int i = 0; ok && i < count; ++i) {
        const std::string number = std::to_string(40000000000L + i);
        sqlite3_bind_text(head, 1, number.c_str(), -1, SQLITE_TRANSIENT);
        ok = Check(sqlite3_step(head), db, "insert");
        sqlite3_reset(head);
        for (const char* seq : {"0001", "0002"}) {
            sqlite3_bind_text(line, 1, number.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(line, 2, seq, -1, SQLITE_STATIC);
            sqlite3_bind_text(line, 3, seq, -1, SQLITE_STATIC);
            ok = ok && Check(sqlite3_step(line), db, "insert");
            sqlite3_reset(line);
        }
    }
    sqlite3_finalize(head);
    sqlite3_finalize(line);
    ok = ok && Check(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), db, "commit");
    ok = ok && Check(sqlite3_exec(db, "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr), db,
                     "checkpoint");
    sqlite3_close(db);
    return ok;
}

// The cached database of count more documents (made on first use); aborts when it cannot be made.
inline std::string CachedDatabase(int count) {
    const char* cache = std::getenv("XDG_CACHE_HOME");
    const std::filesystem::path folder =
        std::filesystem::path(cache && *cache ? cache : "/tmp") / "kvr-bench";
    std::filesystem::create_directories(folder);
    const std::string path =
        (folder / ("docs-" + std::to_string(count) + "-" + std::to_string(DataVersion()) + ".db")).string();
    if (std::filesystem::exists(path)) return path;
    // Made under a name of this process and renamed when whole, so that a run stopped half way or
    // another run making the same database at once leaves no half-made file under the final name.
    const std::string part = path + ".part-" + std::to_string(getpid());
    const std::string previous = ServerDatabasePath();
    SetServerDatabasePath(part);
    SetServerDataDir(DataDir());
    OpenServerSession(); // the demo database, created from the data folder
    SetServerDatabasePath(previous);
    SetServerDataDir("");
    if (!AddDocuments(part, count)) std::abort();
    std::error_code ignored;
    for (const char* suffix : {"-wal", "-shm"})
        std::filesystem::remove(part + suffix, ignored);
    std::filesystem::rename(part, path);
    return path;
}

// A copy of the cached database at target, for a run that may write into it.
inline void CopyCachedDatabase(int count, const std::string& target) {
    std::filesystem::copy_file(CachedDatabase(count), target,
                               std::filesystem::copy_options::overwrite_existing);
}

} // namespace benchdb
