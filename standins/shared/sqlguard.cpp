#include "standins/shared/sqlguard.h"

#include <time.h>

#include <algorithm>
#include <set>

#include "classlib/rtl/strutils.h"

namespace {

constexpr int ProgressInterval = 1000; // steps between two calls of the step counter

// Milliseconds of a clock that only goes forward (<chrono> does not compile for GBK literals).
Int64 MonotonicMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<Int64>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

[[noreturn]] void Refuse(const std::string& message) {
    throw EDbRefused(message);
}

bool IsOperator(const TSqlToken& token, const char* op) {
    return token.Kind == TSqlTokenKind::Operator && token.Text == op;
}
bool IsSignificant(const TSqlToken& token) {
    return token.Kind != TSqlTokenKind::Space && token.Kind != TSqlTokenKind::Comment;
}

// The tokens of a client's text, refusing what no client text may hold.
std::vector<TSqlToken> ClientTokens(const std::string& text, bool allowTrailingSemicolon) {
    // SQLite would stop reading at a NUL: what follows it must not be silently dropped.
    if (text.find('\0') != std::string::npos) Refuse(u8"SQL 文字中不允许含有空字符 (NUL)");
    std::vector<TSqlToken> tokens = TokenizeSql(text);
    size_t last = tokens.size();
    while (last > 0 && !IsSignificant(tokens[last - 1]) && tokens[last - 1].Kind != TSqlTokenKind::Comment)
        --last;
    for (size_t i = 0; i < tokens.size(); ++i) {
        const TSqlToken& token = tokens[i];
        if (token.Kind == TSqlTokenKind::Comment) Refuse(u8"SQL 文字中不允许使用注释 (-- 或 /* */)");
        if (token.Kind == TSqlTokenKind::Parameter) Refuse(u8"SQL 文字中不允许使用参数占位符: " + token.Text);
        if (IsOperator(token, ";") && !(allowTrailingSemicolon && i + 1 == last))
            Refuse(u8"一次只能执行一条 SQL 语句");
    }
    if (allowTrailingSemicolon && last > 0 && IsOperator(tokens[last - 1], ";")) tokens.resize(last - 1);
    ParseSqlTree(tokens); // balanced parentheses
    return tokens;
}

std::string Render(const std::vector<TSqlToken>& tokens, size_t from, size_t to) {
    std::string text;
    for (size_t i = from; i < to; ++i)
        text += (tokens[i].CompanyPrefix ? "$$" : "") + tokens[i].Text;
    return text;
}

std::string Upper(const TSqlToken& token) {
    return UpperCase(token.Text);
}

} // namespace

std::string CheckClientStatement(const std::string& text, std::string* firstWord) {
    const std::vector<TSqlToken> tokens = ClientTokens(text, true);
    std::string first;
    for (const TSqlToken& token : tokens)
        if (IsSignificant(token)) {
            first = token.Kind == TSqlTokenKind::Word ? Upper(token) : token.Text;
            break;
        }
    if (first.empty()) Refuse(u8"SQL 语句是空的");
    if (firstWord) *firstWord = first;
    return Render(tokens, 0, tokens.size());
}

std::string ClientCondition(const std::string& text) {
    const std::string condition = Trim(text);
    if (condition.empty() || SameText(condition, "All")) return std::string();
    const std::vector<TSqlToken> tokens = ClientTokens(condition, false);
    return "(" + Render(tokens, 0, tokens.size()) + ")";
}

std::vector<TSortTerm> ClientSortTerms(const std::string& text) {
    const std::vector<TSqlToken> tokens = ClientTokens(Trim(text), false);
    std::vector<TSortTerm> terms;
    size_t from = 0;
    int depth = 0;
    for (size_t i = 0; i <= tokens.size(); ++i) {
        if (i < tokens.size()) {
            if (IsOperator(tokens[i], "(")) ++depth;
            if (IsOperator(tokens[i], ")")) --depth;
            if (depth != 0 || !IsOperator(tokens[i], ",")) continue;
        }
        // One item: tokens [from, i). Its direction words stay outside the parentheses.
        std::vector<size_t> sig;
        for (size_t k = from; k < i; ++k)
            if (IsSignificant(tokens[k])) sig.push_back(k);
        size_t end = sig.size();
        TSortTerm term;
        auto word = [&](size_t k) {
            return tokens[sig[k]].Kind == TSqlTokenKind::Word ? Upper(tokens[sig[k]]) : "";
        };
        if (end >= 2 && word(end - 2) == "NULLS" && (word(end - 1) == "FIRST" || word(end - 1) == "LAST")) {
            term.Nulls = word(end - 1);
            end -= 2;
        }
        if (end >= 1 && (word(end - 1) == "ASC" || word(end - 1) == "DESC")) {
            term.Direction = word(end - 1);
            end -= 1;
        }
        if (end == 0) {
            if (!sig.empty() || i < tokens.size() || !terms.empty()) Refuse(u8"排序字段不能为空");
            break;
        }
        term.Expression = "(" + Render(tokens, sig.front(), sig[end - 1] + 1) + ")";
        terms.push_back(std::move(term));
        from = i + 1;
    }
    return terms;
}

std::vector<std::string> TablesOfSelect(const std::string& select) {
    std::vector<TSqlToken> tokens;
    for (TSqlToken& token : TokenizeSql(select))
        if (IsSignificant(token)) tokens.push_back(std::move(token));
    auto isName = [&](size_t i) {
        return i < tokens.size() &&
               (tokens[i].Kind == TSqlTokenKind::Word || tokens[i].Kind == TSqlTokenKind::QuotedName);
    };
    auto word = [&](size_t i) { return isName(i) ? Upper(tokens[i]) : std::string(); };
    // The words that end a FROM list at its level of parentheses.
    static const std::set<std::string> ends = {"WHERE", "GROUP",  "ORDER",     "HAVING", "LIMIT",
                                               "UNION", "EXCEPT", "INTERSECT", "WINDOW"};
    std::vector<std::string> tables;
    // The name at k (DATABASE..TABLE and SCHEMA.TABLE: the last one) as a table.
    auto take = [&](size_t k) {
        while (k + 2 < tokens.size() && IsOperator(tokens[k + 1], ".") &&
               (isName(k + 2) || (IsOperator(tokens[k + 2], ".") && isName(k + 3))))
            k += isName(k + 2) ? 2 : 3;
        std::string name = Upper(tokens[k]);
        if (tokens[k].Kind == TSqlTokenKind::QuotedName && name.size() >= 2)
            name = name.substr(1, name.size() - 2);
        tables.push_back(name);
    };
    std::vector<bool> inFrom{false}; // per level of parentheses: within a FROM list
    for (size_t i = 0; i < tokens.size(); ++i) {
        if (IsOperator(tokens[i], "(")) {
            inFrom.push_back(false);
            continue;
        }
        if (IsOperator(tokens[i], ")")) {
            if (inFrom.size() > 1) inFrom.pop_back();
            continue;
        }
        const std::string current = word(i);
        if (current == "FROM") inFrom.back() = true;
        if (ends.count(current)) inFrom.back() = false;
        const bool listed = IsOperator(tokens[i], ",") && inFrom.back();
        if ((current == "FROM" || current == "JOIN" || listed) && isName(i + 1)) take(i + 1);
    }
    return tables;
}

void CheckClientTables(const std::string& text, const std::vector<std::string>& tables) {
    for (const std::string& table : TablesOfSelect(text))
        if (std::find_if(tables.begin(), tables.end(), [&](const std::string& allowed) {
                return UpperCase(allowed) == table;
            }) == tables.end())
            Refuse(u8"查询条件的子查询只能读取本程序的单据和单身资料表, 不能读取 " + table);
    std::vector<TSqlToken> tokens;
    for (TSqlToken& token : TokenizeSql(text))
        if (IsSignificant(token)) tokens.push_back(std::move(token));
    for (size_t i = 0; i + 1 < tokens.size(); ++i)
        if (tokens[i].Kind == TSqlTokenKind::Word && Upper(tokens[i]) == "IN" &&
            !IsOperator(tokens[i + 1], "("))
            Refuse(u8"查询条件的 IN 之后只能是值的列表或子查询, 不能是 " + tokens[i + 1].Text);
}

std::string TSortTerm::Text() const {
    return Expression + (Direction.empty() ? "" : " " + Direction) + (Nulls.empty() ? "" : " NULLS " + Nulls);
}

std::string ClientSort(const std::string& text) {
    std::string sort;
    for (const TSortTerm& term : ClientSortTerms(text))
        sort += (sort.empty() ? "" : ", ") + term.Text();
    return sort;
}

TSqlGuard::TSqlGuard(sqlite3* db, TGuardMode mode) : FDb(db), FMode(mode) {
    sqlite3_set_authorizer(FDb, &TSqlGuard::Authorize, this);
    sqlite3_progress_handler(FDb, ProgressInterval, &TSqlGuard::Progress, this);
}

TSqlGuard::~TSqlGuard() {
    sqlite3_set_authorizer(FDb, nullptr, nullptr);
    sqlite3_progress_handler(FDb, 0, nullptr, nullptr);
}

void TSqlGuard::SetMode(TGuardMode mode, std::vector<std::string> writableTables) {
    FMode = mode;
    FWritable.clear();
    for (const std::string& table : writableTables)
        FWritable.push_back(UpperCase(Trim(table)));
    FDenial.clear();
}

void TSqlGuard::SetReadableTables(std::vector<std::string> tables) {
    FReadable.clear();
    for (const std::string& table : tables)
        FReadable.push_back(UpperCase(Trim(table)));
}

void TSqlGuard::SetLimits(Int64 steps, int milliseconds, std::function<bool()> cancelled) {
    FStepLimit = steps;
    FSteps = 0;
    FTimed = milliseconds > 0;
    FDeadline = MonotonicMs() + milliseconds;
    FCancelled = std::move(cancelled);
    FStopped = TStop::None;
}

std::string TSqlGuard::TakeDenial() {
    std::string denial;
    denial.swap(FDenial);
    return denial;
}

bool TSqlGuard::IsAllowedFunction(const std::string& name) {
    // Pure functions of values; nothing that reads files, loads code, or makes values of any size.
    static const std::set<std::string> allowed = {
        "ABS",        "AVG",        "CHAR",         "COALESCE",   "COUNT",   "DATE",       "DATETIME",
        "FORMAT",     "GLOB",       "GROUP_CONCAT", "HEX",        "IFNULL",  "IIF",        "INSTR",
        "JULIANDAY",  "LENGTH",     "LIKE",         "LIKELIHOOD", "LIKELY",  "LOWER",      "LTRIM",
        "MAX",        "MIN",        "NULLIF",       "PRINTF",     "REPLACE", "ROUND",      "RTRIM",
        "STRFTIME",   "STRING_AGG", "SUBSTR",       "SUBSTRING",  "SUM",     "TIME",       "TOTAL",
        "TRIM",       "TYPEOF",     "UNICODE",      "UNLIKELY",   "UPPER",   "ROW_NUMBER", "RANK",
        "DENSE_RANK", "KVR_ADD",    "KVR_CHAR",     "RPAD",       "LPAD",    "LEN",        "GETDATE"};
    return allowed.count(UpperCase(name)) != 0;
}

int TSqlGuard::Authorize(void* guard, int action, const char* arg1, const char* arg2, const char*,
                         const char*) {
    return static_cast<TSqlGuard*>(guard)->Decide(action, arg1, arg2);
}

void TSqlGuard::Deny(const std::string& reason) {
    if (FDenial.empty()) FDenial = reason;
}

int TSqlGuard::Decide(int action, const char* arg1, const char* arg2) {
    if (FMode == TGuardMode::Trusted) return SQLITE_OK;
    const std::string first = arg1 ? arg1 : "";
    const std::string second = arg2 ? arg2 : "";
    switch (action) {
    case SQLITE_SELECT:
        return SQLITE_OK;
    case SQLITE_READ:
        // SQLite's own tables and the pragma functions that read the connection's settings.
        if (UpperCase(first).rfind("SQLITE_", 0) == 0 || UpperCase(first).rfind("PRAGMA_", 0) == 0) {
            Deny(u8"不允许读取系统表 " + first);
            return SQLITE_DENY;
        }
        if (!FReadable.empty() &&
            std::find(FReadable.begin(), FReadable.end(), UpperCase(first)) == FReadable.end()) {
            Deny(u8"查询条件只能使用本程序资料表的栏位, 不能读取 " + first +
                 (second.empty() ? "" : "." + second));
            return SQLITE_DENY;
        }
        return SQLITE_OK;
    case SQLITE_FUNCTION:
        if (IsAllowedFunction(second)) return SQLITE_OK;
        Deny(u8"不允许调用函数 " + second);
        return SQLITE_DENY;
    case SQLITE_INSERT:
    case SQLITE_UPDATE:
    case SQLITE_DELETE:
        if (FMode == TGuardMode::Write)
            for (const std::string& table : FWritable)
                if (table == UpperCase(first)) return SQLITE_OK;
        Deny(u8"不允许修改资料表 " + first);
        return SQLITE_DENY;
    case SQLITE_PRAGMA:
        Deny(u8"不允许执行 PRAGMA " + first);
        return SQLITE_DENY;
    case SQLITE_ATTACH:
    case SQLITE_DETACH:
        Deny(u8"不允许附加或分离数据库");
        return SQLITE_DENY;
    case SQLITE_TRANSACTION:
    case SQLITE_SAVEPOINT:
        Deny(u8"不允许控制事务");
        return SQLITE_DENY;
    case SQLITE_RECURSIVE:
        Deny(u8"不允许递归查询");
        return SQLITE_DENY;
    default:
        Deny(u8"不允许更改数据库结构或设定 (操作代码 " + std::to_string(action) + ")");
        return SQLITE_DENY;
    }
}

int TSqlGuard::Progress(void* guard) {
    TSqlGuard* self = static_cast<TSqlGuard*>(guard);
    self->FSteps += ProgressInterval;
    if (self->FStepLimit > 0 && self->FSteps > self->FStepLimit)
        self->FStopped = TStop::Steps;
    else if (self->FTimed && MonotonicMs() > self->FDeadline)
        self->FStopped = TStop::Time;
    else if (self->FCancelled && self->FCancelled())
        self->FStopped = TStop::Cancelled;
    return self->FStopped == TStop::None ? 0 : 1;
}
