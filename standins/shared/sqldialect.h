#pragma once
// The server's SQL dialect: the texts the clients build, in the manner of the suite's original database
// (SQLTYPE 0), and their translation to SQLite.
//
// What the dialect accepts beyond SQLite's own syntax, and how it is translated:
//   $$TABLE               the company database's table: TABLE
//   DATABASE..TABLE       a table of a named database: TABLE (one company database per file)
//   SELECT [DISTINCT] TOP n ...    LIMIT n at the end of that SELECT (wrapped as a sub-select when
//                                  a UNION, INTERSECT or EXCEPT follows it); TOP n PERCENT is refused
//   a + b                 KVR_ADD(a, b): text + text concatenates, numbers add (a text that is no number
//                         next to a number is an error), NULL gives NULL; a fixed-width column (CHAR(n))
//                         that takes part is padded with blanks to n characters first, as the original
//                         stored it, so T.TA001+T.TA002 >= 'A   0001       ' compares whole keys
//   SUBSTRING(x, s, n)    SUBSTR(x, s, n)
//   ISNULL(a, b)          IFNULL(a, b)
//   LEN(x), RPAD(x, n[, c]), LPAD(x, n[, c]), GETDATE()   functions of the server (sqlfunctions.h)
//   N'text'               'text'
//   table (NOLOCK), WITH (NOLOCK) and the other locking hints   dropped
//   [name]                a quoted name, as SQLite reads it
// String literals use '' for a quote; "name" is always a name (the server turns off SQLite's fallback
// of unknown double-quoted names to strings).
//
// The dialect works on UTF-8 text; refusals raise EDbRefused with a UTF-8 message.
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "standins/shared/dberrors.h"

// The number the application server answers to WhatIs("SQLTYPE"): 0, the dialect above. With 0 the
// clients send their row limit with SetTopRow before a query and build SUBSTRING and "+" texts.
inline constexpr int ServerSqlType = 0;

enum class TSqlTokenKind { Space, Word, QuotedName, String, Number, Parameter, Operator, Comment };

struct TSqlToken {
    TSqlTokenKind Kind = TSqlTokenKind::Space;
    std::string Text;           // as written, except: $$ dropped, N'..' without its N
    bool CompanyPrefix = false; // the word was written $$WORD
};

// Splits a UTF-8 text into tokens, spaces and comments included. An unterminated string, quoted name
// or comment raises EDbRefused.
std::vector<TSqlToken> TokenizeSql(const std::string& text);

// A token, or a parenthesised group with its inner items.
struct TSqlNode {
    TSqlToken Token; // the word, literal, operator...; "(" for a group
    bool Group = false;
    std::vector<TSqlNode> Items;
};

// The tokens nested by parentheses; a ")" without its "(" or a "(" left open raises EDbRefused.
std::vector<TSqlNode> ParseSqlTree(const std::vector<TSqlToken>& tokens);

// table name -> column name -> width of its CHAR(n) columns (upper-case names)
using TCharColumns = std::map<std::string, std::map<std::string, int>>;

class TSqlDialect {
public:
    // The fixed-width text columns of the database, for padding them in concatenations.
    void SetCharColumns(TCharColumns columns) { FCharColumns = std::move(columns); }
    const TCharColumns& CharColumns() const { return FCharColumns; }

    // The SQLite text of a client text (UTF-8 in and out).
    std::string Translate(const std::string& text) const;

private:
    TCharColumns FCharColumns;
};
