#pragma once
// A fresh demo database in a temporary folder for each test, and a look at the file that bypasses
// the server (to see what SQLite really holds).
#include <sqlite3.h>
#include <stdlib.h>

#include <filesystem>
#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

#include "classlib/rtl/strutils.h"
#include "standins/shared/database.h"

class TTempFolder {
public:
    TTempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "kvrdb-XXXXXX").string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
        FPath = pattern;
    }
    ~TTempFolder() {
        std::error_code error;
        std::filesystem::remove_all(FPath, error);
    }
    const std::filesystem::path& Path() const { return FPath; }

private:
    std::filesystem::path FPath;
};

inline std::string SourceDataDir() {
    return std::string(KVR_SOURCE_DIR) + "/data";
}

inline TDbOptions DemoOptions(const TTempFolder& folder, unsigned codePage = 936) {
    TDbOptions options;
    options.Path = (folder.Path() / "demo.db").string();
    options.DataDir = SourceDataDir();
    options.CodePage = codePage;
    return options;
}

// The database file read directly with SQLite (UTF-8, no guard).
class TRawDb {
public:
    explicit TRawDb(const std::string& path) {
        if (sqlite3_open_v2(path.c_str(), &FDb, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
            throw std::runtime_error("cannot open " + path);
    }
    ~TRawDb() { sqlite3_close_v2(FDb); }
    TRawDb(const TRawDb&) = delete;
    TRawDb& operator=(const TRawDb&) = delete;

    // The first column of the first row as text, "<none>" when there is no row.
    std::string Value(const std::string& sql) const {
        sqlite3_stmt* stmt = nullptr;
        std::string value = "<none>";
        if (sqlite3_prepare_v2(FDb, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK)
            return std::string("<error ") + sqlite3_errmsg(FDb) + ">";
        if (sqlite3_step(stmt) == SQLITE_ROW) {
            const unsigned char* text = sqlite3_column_text(stmt, 0);
            value = text ? reinterpret_cast<const char*>(text) : "<null>";
        }
        sqlite3_finalize(stmt);
        return value;
    }

    // Everything the file holds (settings, schema, every row of every table) as one text: equal
    // texts mean an unchanged database.
    std::string Fingerprint() const {
        std::string text = Value("PRAGMA user_version") + "|" + Value("PRAGMA journal_mode") + "|";
        sqlite3_stmt* tables = nullptr;
        sqlite3_prepare_v2(FDb, "SELECT name, type, sql FROM sqlite_schema ORDER BY name", -1, &tables,
                           nullptr);
        while (sqlite3_step(tables) == SQLITE_ROW) {
            const std::string name = reinterpret_cast<const char*>(sqlite3_column_text(tables, 0));
            const std::string type = reinterpret_cast<const char*>(sqlite3_column_text(tables, 1));
            const unsigned char* sql = sqlite3_column_text(tables, 2);
            text += name + ":" + (sql ? reinterpret_cast<const char*>(sql) : "") + "\n";
            if (type != "table") continue;
            sqlite3_stmt* rows = nullptr;
            sqlite3_prepare_v2(FDb, ("SELECT * FROM \"" + name + "\" ORDER BY rowid").c_str(), -1, &rows,
                               nullptr);
            while (sqlite3_step(rows) == SQLITE_ROW) {
                for (int i = 0; i < sqlite3_column_count(rows); ++i) {
                    const unsigned char* value = sqlite3_column_text(rows, i);
                    text += value ? reinterpret_cast<const char*>(value) : "<null>";
                    text += '\x1f';
                }
                text += '\n';
            }
            sqlite3_finalize(rows);
        }
        sqlite3_finalize(tables);
        return text;
    }

private:
    sqlite3* FDb = nullptr;
};
