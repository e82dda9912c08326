#pragma once
// The demo database as the servers use it: one SQLite file, created from data/schema.sql and
// data/seed.sql on first use, opened per client session as two connections (WAL, busy timeout,
// foreign keys):
//   * the read connection, under the read-only guard (sqlguard.h), query_only, with SQLite's defensive
//     settings: every read runs here, the server's own as well as the clients' texts, so the server's
//     reads too call only the guard's allowed functions;
//   * the write connection, for transactions of the server and the clients' guarded single writes.
//
// Texts: SQLite holds UTF-8. Values, client SQL texts and messages at this interface are in the
// session's code page (the client's database code page, 936 by default; CP_UTF8 for none); the SQL
// texts the server writes itself (Select, TDbWriter) are UTF-8, in practice ASCII. Errors raise
// EDbError, refusals of client texts EDbRefused, with messages in the session's code page.
#include <sqlite3.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "classlib/rtl/types.h"
#include "classlib/rtl/variants.h"
#include "standins/shared/dberrors.h"
#include "standins/shared/selectcount.h"
#include "standins/shared/sqldialect.h"

// A row: one Variant per column. NULL is Null; an integer is varInteger, or varInt64 beyond its range;
// a float varDouble; a text varString in the session's code page; a blob a byte array.
using TDbRow = std::vector<Variant>;
// Parameters, bound to ?1, ?2, ... in order, or to :name (the key without ':'). Empty and Null bind
// NULL; Boolean 1 or 0; the integer and floating types, currency and dates their numbers; varString
// its text in the session's code page; varOleStr its text; a byte array a blob. Other types (arrays,
// dispatch objects) raise EDbError.
using TDbParams = std::vector<Variant>;
using TDbNamedParams = std::map<std::string, Variant>;

struct TDbResult {
    std::vector<AnsiString> Columns;
    std::vector<std::string> DeclTypes; // the declared type of each column (upper case), '' for expressions
    std::vector<TDbRow> Rows;

    // The position of a column (ignoring case), -1 when absent.
    int ColumnIndex(const AnsiString& name) const;
};

struct TDbOptions {
    std::string Path;                  // the database file; created when it does not exist
    std::string DataDir;               // folder of schema.sql and seed.sql; empty: FindDataDir()
    unsigned CodePage = 936;           // the client's database code page
    int BusyTimeoutMs = 10000;         // how long a statement waits for another connection's lock
    Int64 ClientStepLimit = 500000000; // virtual-machine steps a statement with client text may take
    int StatementTimeLimitMs = 10000;  // how long any statement may run (0: no limit)
    // Asked while a statement runs: true stops it (the client it runs for has gone).
    std::function<bool()> Cancelled;
};

// A row's place in a query's order: the values of the order's terms for that row, as SQLite holds
// them, so that the next packet begins exactly after it (paging by key). Empty: the start.
class TSortPosition {
public:
    bool Empty() const { return FValues.empty(); }
    void Clear() {
        FValues.clear();
        FOrder.clear();
    }

private:
    friend class TDbSession;
    std::vector<std::shared_ptr<sqlite3_value>> FValues;
    std::string FOrder; // the ORDER BY it belongs to: a position of another order is no position
};

// The provider's query: the server's select with the client's condition and sort.
//
// Paging: a query with After (a position of the same order) gives the rows after it, found through
// the sort's terms and the key (DefaultSort, which follows the client's sort so that ties keep one
// order); Offset is then not used. This needs every term to be a column of the result (a column, or
// an alias of the select): a sort by an expression pages by Offset, since an expression's value may
// change between packets (GETDATE) or cannot stand in a condition (aggregates, window functions).
// Last receives the position of row PositionRow (or of the last row when there are fewer; unchanged
// when there are none).
struct TSelectSpec {
    AnsiString Select;      // "SELECT ... FROM ... [JOIN ...] [WHERE ...]" in the clients' dialect
    AnsiString Where;       // the server's own condition (clients' dialect), or empty
    AnsiString Condition;   // the client's condition; empty or "All" for none
    AnsiString Sort;        // the client's sort text; empty: DefaultSort
    AnsiString DefaultSort; // the server's sort (the key fields)
    Int64 Limit = -1;       // row limit (SetTopRow); negative: none
    Int64 Offset = 0;
    const TSortPosition* After = nullptr;
    TSortPosition* Last = nullptr;
    Int64 PositionRow = -1; // -1: the last row
    // The tables the client's condition and sort may read (the select's own: TablesOfSelect); empty:
    // any. Another one refuses the statement before it runs.
    std::vector<std::string> Tables;
};

class TDbSession;

// Statements of one transaction on the write connection (TDbSession::Transaction).
class TDbWriter {
public:
    // Runs a statement of the server (UTF-8 SQLite text); the number of rows it changed.
    Int64 Exec(const std::string& sql, const TDbParams& params = {});
    Int64 Exec(const std::string& sql, const TDbNamedParams& params);
    // Reads inside the transaction, seeing its own changes.
    TDbResult Select(const std::string& sql, const TDbParams& params = {});
    TDbResult Select(const std::string& sql, const TDbNamedParams& params);
    Int64 LastInsertRowId() const;

private:
    friend class TDbSession;
    explicit TDbWriter(TDbSession& session) : FSession(session) {}
    TDbSession& FSession;
};

class TDbSession {
public:
    // Opens the database, creating it from the data folder when it does not exist yet (or was left
    // unfinished); raises EDbError when that fails.
    explicit TDbSession(const TDbOptions& options);
    ~TDbSession();
    TDbSession(const TDbSession&) = delete;
    TDbSession& operator=(const TDbSession&) = delete;

    const std::string& Path() const { return FOptions.Path; }
    const TDbOptions& Options() const { return FOptions; }
    unsigned CodePage() const { return FOptions.CodePage; }
    void SetCodePage(unsigned codePage); // EDbError for a code page the conversions do not know
    const TSqlDialect& Dialect() const { return FDialect; }

    // Conversions at the boundary: session code page <-> UTF-8.
    std::string ToUtf8(const AnsiString& text) const;
    AnsiString FromUtf8(const std::string& text) const;

    // A read of the server (UTF-8 SQLite text) with bound parameters, on the read connection.
    TDbResult Select(const std::string& sql, const TDbParams& params = {});
    TDbResult Select(const std::string& sql, const TDbNamedParams& params);

    // A client's query (SimpleSql): one SELECT (or WITH ... SELECT) in the clients' dialect.
    TDbResult ClientSelect(const AnsiString& text);
    // The provider's query with the client's condition and sort (validated and embedded).
    TDbResult SelectWhere(const TSelectSpec& spec, const TDbParams& params = {});
    // The number of rows SelectWhere would give (its limit and offset count).
    Int64 CountWhere(const TSelectSpec& spec, const TDbParams& params = {});
    // The SQLite text SelectWhere runs (UTF-8), for logs and tests.
    std::string BuildSelect(const TSelectSpec& spec) const;
    // The SQLite text CountWhere runs: the select without its order, its list and the joins that cannot
    // change how many rows there are.
    std::string BuildCount(const TSelectSpec& spec);
    // Whether SelectWhere would page the select by key from its After.
    bool PagesByKey(const TSelectSpec& spec) const;

    // One transaction of the server on the write connection: committed when the body returns,
    // rolled back when it raises (the exception passes on).
    void Transaction(const std::function<void(TDbWriter&)>& body);
    // A client's single INSERT, UPDATE or DELETE (TransactionSQL) on one of the named tables, in its
    // own transaction; the number of rows it changed.
    Int64 ClientWrite(const AnsiString& text, const std::vector<std::string>& writableTables);

private:
    friend class TDbWriter;
    struct TConnections;

    [[noreturn]] void Fail(const EDbError& error) const; // raises it again in the session's code page
    // Runs the body; a database failure out of it is raised again through Fail. Every public entry
    // runs its work here, so no failure leaves in SQLite's own encoding.
    template <class TBody> auto Guarded(TBody&& body) const -> decltype(body()) {
        try {
            return body();
        } catch (const EDbError& error) {
            Fail(error);
        }
    }
    struct TBuiltSelect {
        std::string Sql;
        std::string Order;                // the ORDER BY terms
        std::vector<std::string> Terms;   // the result columns that hold the order's values (upper case)
        std::vector<sqlite3_value*> Seek; // bound after the parameters when paging by key
        bool ByKey = false;
        size_t LimitAt = std::string::npos; // where the LIMIT goes when not at the end (PageLimitMark)
    };
    // With shapes, the select that counts the rows: no order, and only the joins that can change how
    // many rows there are (CountingHead).
    TBuiltSelect Build(const TSelectSpec& spec, size_t firstParameter,
                       const TTableShapes* shapes = nullptr) const;
    TBuiltSelect Compose(const TSelectSpec& spec, size_t firstParameter, const TTableShapes* shapes) const;
    const TTableShape& Shape(const std::string& table);
    TDbResult Run(sqlite3* db, const std::string& sql, const std::function<void(sqlite3_stmt*)>& bind,
                  bool clientText, Int64* changes,
                  const std::function<void(sqlite3_stmt*, size_t)>* onRow = nullptr);
    std::function<void(sqlite3_stmt*)> Binder(const TDbParams& params) const;
    std::function<void(sqlite3_stmt*)> Binder(const TDbNamedParams& params) const;

    TDbOptions FOptions;
    TSqlDialect FDialect;
    std::unique_ptr<TConnections> FConnections;
    bool FInTransaction = false;
};

// The folder of the demo database's files: <executable folder>/../data or <executable folder>/data,
// whichever holds schema.sql; empty when neither does.
std::string FindDataDir();
