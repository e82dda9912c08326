#pragma once
// The guard over the SQL that clients send: conditions, sort texts and whole statements (SimpleSql,
// TransactionSQL).
//
// A client's text is checked before anything runs: no comment outside string literals, no parameter
// placeholder, balanced parentheses, and one statement (a trailing ";" is dropped). A condition and a
// sort text are then embedded only where the server puts them: the condition as WHERE (condition), each
// sort item as (expression) [ASC|DESC], so that a parenthesis of the client's text can never close the
// server's and nothing it holds can leave the clause.
//
// A condition and a sort of a provider read no more than the provider's own select: while the guard
// holds that select's tables (TablesOfSelect), SQLite's parser reports every table the statement reads
// and any other one, in a sub-query or anywhere, refuses the statement before it runs, naming it.
// A sub-query of the client's own is narrower still (CheckClientTables): it may name only the tables
// given (a provider's documents and lines, where a condition on lines looks), and IN takes a list.
//
// What runs is decided by SQLite's authorizer on the connection (TSqlGuard): in read-only mode only
// SELECT, reading tables and the functions of an allowed list pass; in write mode also INSERT, UPDATE
// and DELETE on the tables named for the statement. Everything else (PRAGMA, ATTACH, schema changes,
// transactions, recursive queries, load_extension and every function not in the list) is denied. A
// step limit and a time limit interrupt a query that runs away, and a cancel check one whose caller
// has gone.
//
// Texts are UTF-8; refusals raise EDbRefused with a UTF-8 message.
#include <sqlite3.h>

#include <functional>
#include <string>
#include <vector>

#include "classlib/rtl/types.h"
#include "standins/shared/sqldialect.h"

// A client's statement checked as above, without its trailing ";". firstWord receives its first
// keyword upper-cased ("SELECT", "WITH", "DELETE", ...).
std::string CheckClientStatement(const std::string& text, std::string* firstWord = nullptr);
// A client's condition ready for "WHERE ": "(" + condition + ")"; empty for none (an empty text or "All").
std::string ClientCondition(const std::string& text);
// A client's sort text ready for "ORDER BY ": "(expression) DESC, (expression)"; empty for none.
std::string ClientSort(const std::string& text);
// The same as terms: each expression in its parentheses, its direction and its NULLS word.
struct TSortTerm {
    std::string Expression; // "(expression)"
    std::string Direction;  // "", "ASC" or "DESC", as written
    std::string Nulls;      // "", "FIRST" or "LAST"
    bool Descending() const { return Direction == "DESC"; }
    std::string Text() const;
};
std::vector<TSortTerm> ClientSortTerms(const std::string& text);

// The tables a select of the server reads, as it names them after FROM and JOIN (upper case, without
// a company or database prefix).
std::vector<std::string> TablesOfSelect(const std::string& select);

// Refuses (EDbRefused, naming it) a client's condition or sort whose sub-queries name a table after
// FROM or JOIN that is not one of these (any case), or that reads a table with "IN table".
void CheckClientTables(const std::string& text, const std::vector<std::string>& tables);

enum class TGuardMode {
    Trusted,  // the server's own statements: everything passes
    ReadOnly, // reads only
    Write     // reads, and INSERT, UPDATE, DELETE on the writable tables
};

class TSqlGuard {
public:
    // Installs the authorizer and the step counter on the connection, which must outlive the guard.
    TSqlGuard(sqlite3* db, TGuardMode mode);
    ~TSqlGuard();
    TSqlGuard(const TSqlGuard&) = delete;
    TSqlGuard& operator=(const TSqlGuard&) = delete;

    TGuardMode Mode() const { return FMode; }
    void SetMode(TGuardMode mode, std::vector<std::string> writableTables = {});
    // While not empty, only these tables (any case) may be read.
    void SetReadableTables(std::vector<std::string> tables);

    // Virtual-machine steps the statements that run next may take together (0: no limit), the time
    // they may run (milliseconds from now, 0: none), and a check that stops them when it answers
    // true. Setting them starts the count again.
    void SetLimits(Int64 steps, int milliseconds, std::function<bool()> cancelled);
    enum class TStop { None, Steps, Time, Cancelled };
    TStop Stopped() const { return FStopped; }

    // Why the guard denied the last statement (UTF-8), empty when it denied nothing; clears it.
    std::string TakeDenial();

    static bool IsAllowedFunction(const std::string& name);

private:
    static int Authorize(void* guard, int action, const char* arg1, const char* arg2, const char* database,
                         const char* trigger);
    static int Progress(void* guard);
    int Decide(int action, const char* arg1, const char* arg2);
    void Deny(const std::string& reason);

    sqlite3* FDb;
    TGuardMode FMode;
    std::vector<std::string> FWritable; // upper-case table names
    std::vector<std::string> FReadable; // upper-case table names; empty: any
    std::string FDenial;
    Int64 FStepLimit = 0;
    Int64 FSteps = 0;
    Int64 FDeadline = 0; // CLOCK_MONOTONIC milliseconds
    bool FTimed = false;
    std::function<bool()> FCancelled;
    TStop FStopped = TStop::None;
};
