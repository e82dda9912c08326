#pragma once
// Counting the rows of a provider's select without the work of its columns and of the joins that
// cannot change how many rows there are: a document list counts its header table alone, however many
// names it joins for display.
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "standins/shared/sqldialect.h"

// What the count needs to know of a table (names upper case). Affinity is SQLite's: "INTEGER", "TEXT",
// "BLOB", "REAL" or "NUMERIC".
struct TTableShape {
    struct TColumn {
        std::string Affinity;
        std::string Collation; // the declared one, BINARY by default
    };
    struct TKeyColumn {
        std::string Name;
        std::string Collation;
    };
    bool Known = false; // false: no such table (or not readable)
    bool Rowid = false; // a table with a rowid (not a view, not WITHOUT ROWID)
    std::map<std::string, TColumn> Columns;
    std::vector<std::vector<TKeyColumn>> UniqueKeys; // the primary key and every whole unique index
};
using TTableShapes = std::function<const TTableShape&(const std::string& table)>;

// The affinity SQLite gives a column of a declared type.
std::string ColumnAffinity(const std::string& declaredType);

// "SELECT 1 FROM ..." giving as many rows as the head of a select (its tokens, up to a WHERE of its
// own) gives under `conditions` (the text of every condition the query adds to it, which may name any
// table of the head). The select list goes, and so does every LEFT JOIN that finds at most one row for
// each row before it (its ON, a few equalities, sets each column of a unique key of its table to a
// column of a table before it or to a literal, compared as the key compares) and that nothing left
// names. Empty when the head is no plain select of columns (DISTINCT, TOP, a function or a sub-select
// in its list), so that the caller counts the whole select.
// baseAlias receives the first table's name in the query when it is a plain table, dropped how many
// joins went.
std::string CountingHead(const std::vector<TSqlToken>& head, const std::string& conditions,
                         const TTableShapes& shapes, std::string* baseAlias = nullptr,
                         int* dropped = nullptr);
