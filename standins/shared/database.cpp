#include "standins/shared/database.h"

#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unordered_map>

#include "classlib/rtl/codepages.h"
#include "classlib/rtl/strutils.h"
#include "standins/shared/sqlfunctions.h"
#include "standins/shared/sqlguard.h"

namespace {

// The version of data/schema.sql: 1 the first tables, 2 the sign-off system's QZAPPROVE. A database of
// an earlier version gets what the schema added since (see CreateIfNeeded).
constexpr int CurrentSchemaVersion = 2;

// Where a page's LIMIT goes when it belongs inside the select (a page chosen before the joins): the
// same as none, so that the text stands as it is until the limit replaces it.
constexpr const char* PageLimitMark = " LIMIT -1 OFFSET 0";

bool IsAscii(const std::string& text) {
    for (unsigned char c : text)
        if (c >= 0x80) return false;
    return true;
}

bool IsBlank(const char* text) {
    for (; text && *text; ++text)
        if (*text != ' ' && *text != '\t' && *text != '\r' && *text != '\n' && *text != ';') return false;
    return true;
}

std::string ErrorText(sqlite3* db) {
    return db ? sqlite3_errmsg(db) : "out of memory";
}

// Runs trusted statements of the server (set-up, the data files) on a connection.
void ExecScript(sqlite3* db, const std::string& sql, const std::string& what) {
    char* message = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
        const std::string text = message ? message : ErrorText(db);
        sqlite3_free(message);
        throw EDbError(what + ": " + text);
    }
}

Int64 PragmaInteger(sqlite3* db, const char* pragma) {
    sqlite3_stmt* stmt = nullptr;
    Int64 value = 0;
    if (sqlite3_prepare_v2(db, pragma, -1, &stmt, nullptr) == SQLITE_OK && sqlite3_step(stmt) == SQLITE_ROW)
        value = sqlite3_column_int64(stmt, 0);
    const int rc = stmt ? sqlite3_finalize(stmt) : SQLITE_ERROR;
    if (rc != SQLITE_OK) throw EDbError(std::string(u8"读取数据库设定失败: ") + ErrorText(db));
    return value;
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) throw EDbError(u8"找不到数据库的建立文件 " + path.string());
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// Settings both connections share: waiting for locks, names in double quotes are names, SQLite's
// protections against a corrupt or hostile schema, no extensions.
void Configure(sqlite3* db, int busyTimeoutMs) {
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_timeout(db, busyTimeoutMs);
    sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_LOAD_EXTENSION, 0, nullptr);
    sqlite3_limit(db, SQLITE_LIMIT_ATTACHED, 0);
    if (!RegisterServerFunctions(db)) throw EDbError(std::string(u8"注册 SQL 函数失败: ") + ErrorText(db));
}

sqlite3* OpenConnection(const std::string& path, int flags) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, flags, nullptr) != SQLITE_OK) {
        const std::string message = ErrorText(db);
        sqlite3_close_v2(db);
        throw EDbError(u8"无法打开数据库文件 " + path + ": " + message);
    }
    return db;
}

// Creates the tables and the demo data unless the file already holds them, and brings a database of an
// earlier version up to this one. The exclusive transaction makes a second process that opens the file
// at the same moment wait and then find it complete; a creation that fails leaves nothing behind but
// an empty file, which the next open fills.
//
// An earlier version runs schema.sql again, which creates only the tables and indexes it lacks; the
// seed is not run again, so the company's rows stay as they are and the new tables start empty. A
// change to a table that is already there would need a step of its own here.
void CreateIfNeeded(sqlite3* db, const std::string& dataDir) {
    if (PragmaInteger(db, "PRAGMA user_version") >= CurrentSchemaVersion) return;
    ExecScript(db, "BEGIN EXCLUSIVE", u8"无法锁定数据库");
    try {
        const int version = PragmaInteger(db, "PRAGMA user_version");
        if (version < CurrentSchemaVersion) {
            if (dataDir.empty()) throw EDbError(u8"找不到数据文件夹 (data/schema.sql), 无法建立数据库");
            const std::filesystem::path dir(dataDir);
            const bool created = version == 0;
            ExecScript(db, ReadFile(dir / "schema.sql"),
                       created ? u8"建立数据库结构失败 (schema.sql)" : u8"升级数据库结构失败 (schema.sql)");
            if (created) ExecScript(db, ReadFile(dir / "seed.sql"), u8"写入演示资料失败 (seed.sql)");
            // The framework's own test programs: their statements only add what is missing.
            if (std::filesystem::exists(dir / "seed_docprograms.sql"))
                ExecScript(db, ReadFile(dir / "seed_docprograms.sql"),
                           u8"写入框架测试程序资料失败 (seed_docprograms.sql)");
            ExecScript(db, "PRAGMA user_version = " + std::to_string(CurrentSchemaVersion),
                       u8"标记数据库版本失败");
        }
        ExecScript(db, "COMMIT", u8"保存数据库失败");
    } catch (...) {
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

// The CHAR(n) columns of every table, for the dialect's padding of concatenations.
TCharColumns LoadCharColumns(sqlite3* db) {
    TCharColumns columns;
    sqlite3_stmt* stmt = nullptr;
    const char* sql = "SELECT m.name, p.name, p.type FROM sqlite_schema m JOIN pragma_table_info(m.name) p "
                      "WHERE m.type = 'table'";
    if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) != SQLITE_OK)
        throw EDbError(std::string(u8"读取数据库结构失败: ") + ErrorText(db));
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        auto text = [&](int i) {
            const unsigned char* value = sqlite3_column_text(stmt, i);
            return UpperCase(value ? reinterpret_cast<const char*>(value) : "");
        };
        const std::string type = text(2);
        size_t open = std::string::npos;
        if (type.rfind("CHAR(", 0) == 0) open = 4;
        if (type.rfind("NCHAR(", 0) == 0) open = 5;
        if (open == std::string::npos) continue;
        const int width = std::atoi(type.c_str() + open + 1);
        if (width > 0) columns[text(0)][text(1)] = width;
    }
    sqlite3_finalize(stmt);
    return columns;
}

// A statement of one run: finalized afterwards, or, when it belongs to the session's cache, reset
// for the next run.
struct TStatement {
    sqlite3_stmt* Handle = nullptr;
    bool Cached = false;
    ~TStatement() {
        if (!Cached) {
            sqlite3_finalize(Handle);
        } else if (Handle) {
            sqlite3_reset(Handle);
            sqlite3_clear_bindings(Handle);
        }
    }
};

// Prepared statements of the server's own texts, by connection and text; a save writes the same few
// statements for every row.
constexpr size_t StatementCacheSize = 256;

} // namespace

int TDbResult::ColumnIndex(const AnsiString& name) const {
    for (size_t i = 0; i < Columns.size(); ++i)
        if (SameText(Columns[i], name)) return static_cast<int>(i);
    return -1;
}

//----------------------------------------------------------------------------------------------------------------
// TDbSession

struct TDbSession::TConnections {
    sqlite3* Write = nullptr;
    sqlite3* Read = nullptr;
    std::unique_ptr<TSqlGuard> WriteGuard;
    std::unique_ptr<TSqlGuard> ReadGuard;
    std::unordered_map<std::string, sqlite3_stmt*> ReadStatements, WriteStatements; // by text
    std::map<std::string, TTableShape> Shapes;
    std::unordered_map<std::string, TDbSession::TBuiltSelect> Built; // Build's texts, by what they are made
                                                                     // of // by table name

    ~TConnections() {
        for (auto& [key, statement] : ReadStatements)
            sqlite3_finalize(statement);
        for (auto& [key, statement] : WriteStatements)
            sqlite3_finalize(statement);
        ReadGuard.reset();
        WriteGuard.reset();
        sqlite3_close_v2(Read);
        sqlite3_close_v2(Write);
    }
};

TDbSession::TDbSession(const TDbOptions& options)
    : FOptions(options), FConnections(std::make_unique<TConnections>()) {
    Guarded([&] {
        if (!IsValidCodePage(FOptions.CodePage))
            throw EDbError(u8"不支持的数据库代码页 " + std::to_string(FOptions.CodePage));
        if (FOptions.Path.empty()) throw EDbError(u8"没有指定数据库文件");
        TConnections& c = *FConnections;
        c.Write =
            OpenConnection(FOptions.Path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX);
        Configure(c.Write, FOptions.BusyTimeoutMs);
        ExecScript(c.Write,
                   "PRAGMA journal_mode = WAL; PRAGMA synchronous = NORMAL; PRAGMA foreign_keys = ON",
                   u8"设定数据库失败");
        CreateIfNeeded(c.Write, FOptions.DataDir.empty() ? FindDataDir() : FOptions.DataDir);
        FDialect.SetCharColumns(LoadCharColumns(c.Write));

        c.Read = OpenConnection(FOptions.Path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_FULLMUTEX);
        Configure(c.Read, FOptions.BusyTimeoutMs);
        ExecScript(c.Read, "PRAGMA query_only = 1", u8"设定只读连接失败");
        sqlite3_limit(c.Read, SQLITE_LIMIT_LENGTH, 64 * 1024 * 1024);
        sqlite3_limit(c.Read, SQLITE_LIMIT_SQL_LENGTH, 1024 * 1024);

        c.WriteGuard = std::make_unique<TSqlGuard>(c.Write, TGuardMode::Trusted);
        c.ReadGuard = std::make_unique<TSqlGuard>(c.Read, TGuardMode::ReadOnly);
    });
}

TDbSession::~TDbSession() = default;

void TDbSession::SetCodePage(unsigned codePage) {
    if (!IsValidCodePage(codePage))
        throw EDbError(FromUtf8(u8"不支持的数据库代码页 " + std::to_string(codePage)));
    FOptions.CodePage = codePage;
}

std::string TDbSession::ToUtf8(const AnsiString& text) const {
    if (FOptions.CodePage == CP_UTF8 || IsAscii(text)) return text;
    return ConvertCodePage(text, FOptions.CodePage, CP_UTF8);
}

AnsiString TDbSession::FromUtf8(const std::string& text) const {
    if (FOptions.CodePage == CP_UTF8 || IsAscii(text) || !IsValidCodePage(FOptions.CodePage)) return text;
    return ConvertCodePage(text, CP_UTF8, FOptions.CodePage);
}

void TDbSession::Fail(const EDbError& error) const {
    if (dynamic_cast<const EDbRefused*>(&error)) throw EDbRefused(FromUtf8(error.Message()));
    throw EDbError(FromUtf8(error.Message()));
}

std::function<void(sqlite3_stmt*)> TDbSession::Binder(const TDbParams& params) const {
    return [this, &params](sqlite3_stmt* stmt) {
        const int count = sqlite3_bind_parameter_count(stmt);
        for (int i = 1; i <= count; ++i) {
            const Variant value = static_cast<size_t>(i) <= params.size() ? params[i - 1] : Null();
            const TVarType type = VarType(value);
            if (VarIsArray(value)) {
                if ((type & varTypeMask) != varByte)
                    throw EDbError(u8"参数的类型不能写入数据库: " + VarTypeAsText(type));
                Variant bytes = value;
                const int length = VarArrayHighBound(bytes, 1) - VarArrayLowBound(bytes, 1) + 1;
                if (length <= 0) {
                    sqlite3_bind_zeroblob(stmt, i, 0); // an empty blob, which a null pointer would make NULL
                    continue;
                }
                const void* data = VarArrayLock(bytes);
                sqlite3_bind_blob(stmt, i, data, length, SQLITE_TRANSIENT);
                VarArrayUnlock(bytes);
                continue;
            }
            switch (type) {
            case varEmpty:
            case varNull:
                sqlite3_bind_null(stmt, i);
                break;
            case varBoolean:
                sqlite3_bind_int64(stmt, i, value.AsBoolean() ? 1 : 0);
                break;
            case varSmallint:
            case varInteger:
            case varByte:
            case varInt64:
                sqlite3_bind_int64(stmt, i, value.AsInt64());
                break;
            case varSingle:
            case varDouble:
            case varCurrency:
            case varDate:
                sqlite3_bind_double(stmt, i, value.AsFloat());
                break;
            case varString:
            case varOleStr: {
                const std::string text =
                    type == varOleStr ? WideToUtf8(value.AsWideString()) : ToUtf8(value.AsString());
                sqlite3_bind_text(stmt, i, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
                break;
            }
            default:
                throw EDbError(u8"参数的类型不能写入数据库: " + VarTypeAsText(type));
            }
        }
    };
}

std::function<void(sqlite3_stmt*)> TDbSession::Binder(const TDbNamedParams& params) const {
    return [this, &params](sqlite3_stmt* stmt) {
        TDbParams ordered;
        const int count = sqlite3_bind_parameter_count(stmt);
        for (int i = 1; i <= count; ++i) {
            const char* name = sqlite3_bind_parameter_name(stmt, i);
            if (!name || name[0] == '?') throw EDbError(u8"语句的参数没有名称 (应写作 :名称)");
            auto value = params.find(name + 1);
            if (value == params.end()) throw EDbError(std::string(u8"参数 ") + name + u8" 没有值");
            ordered.push_back(value->second);
        }
        Binder(ordered)(stmt);
    };
}

TDbResult TDbSession::Run(sqlite3* db, const std::string& sql, const std::function<void(sqlite3_stmt*)>& bind,
                          bool clientText, Int64* changes,
                          const std::function<void(sqlite3_stmt*, size_t)>* onRow) {
    TSqlGuard& guard = db == FConnections->Read ? *FConnections->ReadGuard : *FConnections->WriteGuard;
    guard.TakeDenial();
    guard.SetLimits(clientText ? FOptions.ClientStepLimit : 0, FOptions.StatementTimeLimitMs,
                    FOptions.Cancelled);
    TStatement stmt;
    // Only the server's own texts are kept: a client's text is prepared, and so authorized, each time.
    auto& cache = db == FConnections->Read ? FConnections->ReadStatements : FConnections->WriteStatements;
    const std::string& key = sql;
    if (!clientText) {
        auto found = cache.find(key);
        if (found != cache.end()) {
            stmt.Handle = found->second;
            stmt.Cached = true;
        }
    }
    if (!stmt.Handle) {
        const char* tail = nullptr;
        if (sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &stmt.Handle, &tail) !=
            SQLITE_OK) {
            const std::string denial = guard.TakeDenial();
            if (!denial.empty()) throw EDbRefused(u8"SQL 语句被拒绝: " + denial);
            throw EDbError(u8"SQL 错误: " + ErrorText(db));
        }
        if (!stmt.Handle) throw EDbRefused(u8"SQL 语句是空的");
        if (!IsBlank(tail)) {
            if (clientText) throw EDbRefused(u8"一次只能执行一条 SQL 语句");
            throw EDbError(u8"一次只能执行一条 SQL 语句: " + sql.substr(0, 80));
        }
        if (!clientText && cache.size() < StatementCacheSize) {
            cache.emplace(key, stmt.Handle);
            stmt.Cached = true;
        }
    }
    if (clientText && db == FConnections->Read && !sqlite3_stmt_readonly(stmt.Handle))
        throw EDbRefused(u8"只允许执行查询语句");
    bind(stmt.Handle);

    TDbResult result;
    const int columns = sqlite3_column_count(stmt.Handle);
    for (int i = 0; i < columns; ++i) {
        const char* name = sqlite3_column_name(stmt.Handle, i);
        result.Columns.push_back(FromUtf8(name ? name : ""));
        const char* declType = sqlite3_column_decltype(stmt.Handle, i);
        result.DeclTypes.push_back(UpperCase(declType ? declType : ""));
    }
    for (;;) {
        const int rc = sqlite3_step(stmt.Handle);
        if (rc == SQLITE_DONE) break;
        if (rc != SQLITE_ROW) {
            switch (guard.Stopped()) {
            case TSqlGuard::TStop::Steps:
                throw EDbRefused(u8"查询过于复杂, 超出允许的执行步数, 已中止");
            case TSqlGuard::TStop::Time:
                throw EDbRefused(u8"查询超过允许的执行时间 (" +
                                 std::to_string(FOptions.StatementTimeLimitMs) + u8" 毫秒), 已中止");
            case TSqlGuard::TStop::Cancelled:
                throw EDbError(u8"客户端已断开, 查询已中止");
            case TSqlGuard::TStop::None:
                break;
            }
            throw EDbError(u8"SQL 错误: " + ErrorText(db));
        }
        TDbRow row;
        row.reserve(columns);
        for (int i = 0; i < columns; ++i) {
            switch (sqlite3_column_type(stmt.Handle, i)) {
            case SQLITE_INTEGER: {
                const sqlite3_int64 value = sqlite3_column_int64(stmt.Handle, i);
                if (value >= INT_MIN && value <= INT_MAX)
                    row.emplace_back(static_cast<int>(value));
                else
                    row.emplace_back(static_cast<long long>(value));
                break;
            }
            case SQLITE_FLOAT:
                row.emplace_back(sqlite3_column_double(stmt.Handle, i));
                break;
            case SQLITE_TEXT: {
                const char* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt.Handle, i));
                row.emplace_back(FromUtf8(std::string(text, sqlite3_column_bytes(stmt.Handle, i))));
                break;
            }
            case SQLITE_BLOB: {
                const int length = sqlite3_column_bytes(stmt.Handle, i);
                Variant bytes = VarArrayCreate({0, length - 1}, varByte);
                if (length > 0) {
                    std::memcpy(VarArrayLock(bytes), sqlite3_column_blob(stmt.Handle, i),
                                static_cast<size_t>(length));
                    VarArrayUnlock(bytes);
                }
                row.push_back(std::move(bytes));
                break;
            }
            default:
                row.push_back(Null());
                break;
            }
        }
        if (onRow) (*onRow)(stmt.Handle, result.Rows.size());
        result.Rows.push_back(std::move(row));
    }
    if (changes) *changes = sqlite3_changes64(db);
    return result;
}

TDbResult TDbSession::Select(const std::string& sql, const TDbParams& params) {
    return Guarded([&] { return Run(FConnections->Read, sql, Binder(params), false, nullptr); });
}

TDbResult TDbSession::Select(const std::string& sql, const TDbNamedParams& params) {
    return Guarded([&] { return Run(FConnections->Read, sql, Binder(params), false, nullptr); });
}

TDbResult TDbSession::ClientSelect(const AnsiString& text) {
    return Guarded([&] {
        std::string first;
        const std::string statement = CheckClientStatement(ToUtf8(text), &first);
        if (first != "SELECT" && first != "WITH") throw EDbRefused(u8"只允许执行查询语句 (SELECT)");
        return Run(FConnections->Read, FDialect.Translate(statement), Binder(TDbParams()), true, nullptr);
    });
}

namespace {

// The column a sort term names, plain or qualified, upper case; '' for an expression. A column's
// value is the row's own, the same in every packet, so paging by key finds exactly the rows after a
// position.
std::string ColumnOfTerm(const TSortTerm& term) {
    if (!term.Nulls.empty()) return "";
    std::vector<TSqlToken> tokens;
    for (const TSqlToken& token : TokenizeSql(term.Expression))
        if (token.Kind != TSqlTokenKind::Space && token.Kind != TSqlTokenKind::Comment)
            tokens.push_back(token);
    if (tokens.size() < 3 || tokens.front().Text != "(" || tokens.back().Text != ")") return "";
    auto name = [&](size_t i) {
        return tokens[i].Kind == TSqlTokenKind::Word ||
               (tokens[i].Kind == TSqlTokenKind::QuotedName && tokens[i].Text.size() > 2);
    };
    auto bare = [&](size_t i) {
        const std::string& text = tokens[i].Text;
        return UpperCase(tokens[i].Kind == TSqlTokenKind::QuotedName ? text.substr(1, text.size() - 2)
                                                                     : text);
    };
    if (tokens.size() == 3 && name(1)) return bare(1);
    if (tokens.size() == 5 && name(1) && tokens[2].Text == "." && name(3)) return bare(3);
    return "";
}

} // namespace

TDbSession::TBuiltSelect TDbSession::Build(const TSelectSpec& spec, size_t firstParameter,
                                           const TTableShapes* shapes) const {
    // A provider asks the same query packet after packet: its text is made once (tokens, checks,
    // translation) and kept by what it is made of. A position's values only go into the text as NULL
    // or not.
    const TSortPosition* after = spec.After;
    std::string key = spec.Select + '\x1f' + spec.Where + '\x1f' + spec.Condition + '\x1f' + spec.Sort +
                      '\x1f' + spec.DefaultSort + '\x1f' + std::to_string(firstParameter) +
                      (shapes ? "C" : "S") + (spec.Limit >= 0 ? "L" : "");
    if (after && !after->Empty()) {
        key += '\x1f' + after->FOrder + '\x1f';
        for (const auto& value : after->FValues)
            key += sqlite3_value_type(value.get()) == SQLITE_NULL ? 'N' : 'V';
    }
    auto& cache = FConnections->Built;
    auto found = cache.find(key);
    if (found == cache.end()) {
        TBuiltSelect composed = Compose(spec, firstParameter, shapes);
        if (cache.size() >= 64) cache.clear(); // a few queries at a time; never grows without bound
        found = cache.emplace(std::move(key), std::move(composed)).first;
    }
    TBuiltSelect built = found->second;
    built.Seek.clear();
    if (built.ByKey)
        for (const auto& value : after->FValues)
            built.Seek.push_back(value.get());
    const Int64 offset = built.ByKey ? 0 : spec.Offset;
    std::string limit;
    if (spec.Limit >= 0 || offset > 0)
        limit = " LIMIT " + std::to_string(spec.Limit >= 0 ? spec.Limit : -1) + " OFFSET " +
                std::to_string(offset > 0 ? offset : 0);
    if (built.LimitAt != std::string::npos)
        built.Sql.replace(built.LimitAt, std::strlen(PageLimitMark), limit);
    else
        built.Sql += limit;
    return built;
}

TDbSession::TBuiltSelect TDbSession::Compose(const TSelectSpec& spec, size_t firstParameter,
                                             const TTableShapes* shapes) const {
    return Guarded([&] {
        TBuiltSelect built;
        const std::string select = Trim(ToUtf8(spec.Select));
        if (select.empty()) throw EDbError(u8"没有查询语句");
        // The server's select may end in a WHERE of its own; nothing may follow it.
        const std::vector<TSqlToken> tokens = TokenizeSql(select);
        size_t where = tokens.size();
        int depth = 0;
        for (size_t i = 0; i < tokens.size(); ++i) {
            const TSqlToken& token = tokens[i];
            if (token.Kind == TSqlTokenKind::Operator)
                depth += token.Text == "(" ? 1 : token.Text == ")" ? -1 : 0;
            if (depth != 0 || token.Kind != TSqlTokenKind::Word) continue;
            const std::string word = UpperCase(token.Text);
            if (word == "WHERE" && where == tokens.size()) where = i;
            if (word == "GROUP" || word == "ORDER" || word == "LIMIT" || word == "UNION" || word == "HAVING")
                throw EDbError(u8"查询语句的末尾只能是 WHERE 条件: " + select.substr(0, 80));
        }

        // The order: the client's terms, then the key's that the client's leave out, so that ties keep
        // one order from packet to packet.
        std::vector<TSortTerm> terms = shapes ? std::vector<TSortTerm>() : ClientSortTerms(ToUtf8(spec.Sort));
        for (const TSortTerm& key : ClientSortTerms(ToUtf8(shapes ? std::string() : spec.DefaultSort))) {
            bool named = false;
            for (const TSortTerm& term : terms)
                named = named || UpperCase(term.Expression) == UpperCase(key.Expression);
            if (!named) terms.push_back(key);
        }
        for (const TSortTerm& term : terms)
            built.Order += (built.Order.empty() ? "" : ", ") + term.Text();
        bool columns = !terms.empty();
        for (const TSortTerm& term : terms) {
            built.Terms.push_back(ColumnOfTerm(term));
            columns = columns && !built.Terms.back().empty();
        }
        if (!columns) built.Terms.clear();

        std::string head, ownWhere;
        for (size_t i = 0; i < tokens.size(); ++i) {
            const bool comment = tokens[i].Kind == TSqlTokenKind::Comment;
            const std::string text = comment ? " " : (tokens[i].CompanyPrefix ? "$$" : "") + tokens[i].Text;
            (i < where ? head : ownWhere) += i == where ? std::string() : text;
        }
        std::vector<std::string> conditions;
        if (!Trim(ownWhere).empty()) conditions.push_back("(" + Trim(ownWhere) + ")");
        if (!Trim(ToUtf8(spec.Where)).empty()) conditions.push_back("(" + Trim(ToUtf8(spec.Where)) + ")");
        const std::string condition = ClientCondition(ToUtf8(spec.Condition));
        if (!condition.empty()) conditions.push_back(condition);
        if (shapes) {
            std::string named;
            for (const std::string& text : conditions)
                named += text + " ";
            const std::string counting = CountingHead(
                std::vector<TSqlToken>(tokens.begin(), tokens.begin() + static_cast<long>(where)), named,
                *shapes);
            if (!counting.empty()) head = counting;
        }

        // After the position: an earlier term equal and this one beyond it, for some term. A null sorts
        // first in ascending order and last in descending order.
        const TSortPosition* after = spec.After;
        if (columns && after && !after->Empty() && after->FOrder == built.Order &&
            after->FValues.size() == terms.size()) {
            built.ByKey = true;
            std::string seek, equal, row, values;
            bool ascending = true;
            for (size_t i = 0; i < terms.size(); ++i) {
                sqlite3_value* value = after->FValues[i].get();
                const std::string t = terms[i].Expression;
                const std::string p = "?" + std::to_string(firstParameter + built.Seek.size());
                built.Seek.push_back(value);
                const bool null = sqlite3_value_type(value) == SQLITE_NULL;
                ascending = ascending && !terms[i].Descending() && !null;
                row += (i ? ", " : "") + t;
                values += (i ? ", " : "") + p;
                std::string beyond;
                if (terms[i].Descending())
                    beyond = null ? "" : "(" + t + " < " + p + " OR " + t + " IS NULL)";
                else
                    beyond = null ? t + " IS NOT NULL" : t + " > " + p;
                if (!beyond.empty()) seek += (seek.empty() ? "(" : " OR (") + equal + beyond + ")";
                equal += t + " IS " + p + " AND ";
            }
            // All ascending and none null: one comparison of rows, which an index serves. Otherwise the
            // terms one by one, behind a bound on the first term that an index can serve.
            if (ascending)
                conditions.push_back("((" + row + ") > (" + values + "))");
            else if (seek.empty())
                conditions.push_back("(0 = 1)");
            else {
                const TSortTerm& first = terms.front();
                const bool firstNull = sqlite3_value_type(after->FValues[0].get()) == SQLITE_NULL;
                if (!first.Descending() && !firstNull)
                    conditions.push_back("(" + first.Expression + " >= ?" + std::to_string(firstParameter) +
                                         ")");
                conditions.push_back("(" + seek + ")");
            }
        }

        // A page of a client's sort that no index serves reads and sorts every row: the page's rows are
        // then chosen on the tables that the sort and the conditions need, and only they are joined to
        // the rest.
        std::string lean, base;
        int dropped = 0;
        if (!shapes && columns && spec.Limit >= 0 && !Trim(ToUtf8(spec.Sort)).empty()) {
            std::string named = built.Order;
            for (const std::string& text : conditions)
                named += " " + text;
            const TTableShapes lookup = [this](const std::string& table) -> const TTableShape& {
                return const_cast<TDbSession*>(this)->Shape(table); // the shapes are a cache of the schema
            };
            lean = CountingHead(
                std::vector<TSqlToken>(tokens.begin(), tokens.begin() + static_cast<long>(where)), named,
                lookup, &base, &dropped);
        }
        std::string text = Trim(head);
        std::string filter;
        for (size_t i = 0; i < conditions.size(); ++i)
            filter += (i == 0 ? " WHERE " : " AND ") + conditions[i];
        if (!lean.empty() && !base.empty() && dropped > 0) {
            text += " WHERE " + base + ".rowid IN (SELECT " + base + ".rowid " + Trim(lean.substr(9)) +
                    filter + " ORDER BY " + built.Order + PageLimitMark + ") ORDER BY " + built.Order;
            built.Sql = FDialect.Translate(text);
            built.LimitAt = built.Sql.rfind(PageLimitMark);
            return built;
        }
        text += filter;
        if (!built.Order.empty()) text += " ORDER BY " + built.Order;
        built.Sql = FDialect.Translate(text);
        return built;
    });
}

std::string TDbSession::BuildSelect(const TSelectSpec& spec) const {
    return Build(spec, 1).Sql;
}

bool TDbSession::PagesByKey(const TSelectSpec& spec) const {
    return Build(spec, 1).ByKey;
}

namespace {

// Confines the reads of one statement to the tables given (none: any).
class TReadableScope {
public:
    TReadableScope(TSqlGuard& guard, const std::vector<std::string>& tables) : FGuard(guard) {
        FGuard.SetReadableTables(tables);
    }
    ~TReadableScope() { FGuard.SetReadableTables({}); }

private:
    TSqlGuard& FGuard;
};

} // namespace

TDbResult TDbSession::SelectWhere(const TSelectSpec& spec, const TDbParams& params) {
    const TBuiltSelect built = Build(spec, params.size() + 1);
    // "All" and an empty text are no condition: the statement is then the server's own, and kept prepared.
    const bool clientText = !ClientCondition(ToUtf8(spec.Condition)).empty() || !Trim(spec.Sort).empty();
    const auto bindParams = Binder(params);
    auto bind = [&](sqlite3_stmt* stmt) {
        bindParams(stmt);
        for (size_t i = 0; i < built.Seek.size(); ++i)
            sqlite3_bind_value(stmt, static_cast<int>(params.size() + 1 + i), built.Seek[i]);
    };
    // The position of the row asked for: the values of the result's columns that the order names (the
    // first of each name); none when the result lacks one of them.
    std::vector<int> columns;
    std::vector<std::shared_ptr<sqlite3_value>> position;
    const std::function<void(sqlite3_stmt*, size_t)> onRow = [&](sqlite3_stmt* stmt, size_t row) {
        if (spec.PositionRow >= 0 && static_cast<Int64>(row) > spec.PositionRow) return;
        if (row == 0)
            for (const std::string& term : built.Terms) {
                int found = -1;
                for (int i = 0; i < sqlite3_column_count(stmt) && found < 0; ++i)
                    if (UpperCase(sqlite3_column_name(stmt, i)) == term) found = i;
                columns.push_back(found);
            }
        position.clear();
        for (int column : columns) {
            if (column < 0) return position.clear();
            position.emplace_back(sqlite3_value_dup(sqlite3_column_value(stmt, column)), sqlite3_value_free);
        }
    };
    return Guarded([&] {
        const bool capture = spec.Last && !built.Terms.empty();
        const TReadableScope readable(*FConnections->ReadGuard, spec.Tables);
        TDbResult result =
            Run(FConnections->Read, built.Sql, bind, clientText, nullptr, capture ? &onRow : nullptr);
        if (capture && !result.Rows.empty()) {
            spec.Last->FValues = std::move(position);
            spec.Last->FOrder = built.Order;
        }
        return result;
    });
}

const TTableShape& TDbSession::Shape(const std::string& table) {
    auto found = FConnections->Shapes.find(table);
    if (found != FConnections->Shapes.end()) return found->second;
    TTableShape shape;
    // The schema's pragmas are refused on the guarded read connection; the write connection reads them.
    sqlite3* db = FConnections->Write;
    try {
        const TDbParams name{Variant(FromUtf8(table))};
        const auto named = Binder(name); // binds by reference: name outlives it
        const TDbResult columns =
            Run(db, "SELECT name, type, pk FROM pragma_table_info(?1)", named, false, nullptr);
        std::vector<std::string> primary;
        for (const TDbRow& row : columns.Rows) {
            const std::string name = UpperCase(ToUtf8(VarToStr(row[0])));
            const char* collation = nullptr;
            sqlite3_table_column_metadata(db, "main", table.c_str(), name.c_str(), nullptr, &collation,
                                          nullptr, nullptr, nullptr);
            shape.Columns[name] = {ColumnAffinity(ToUtf8(VarToStr(row[1]))),
                                   UpperCase(collation ? collation : "BINARY")};
            if (row[2].AsInteger() > 0) primary.push_back(name);
            // The rowid's own column: unique, compared as numbers.
            if (row[2].AsInteger() > 0 && UpperCase(ToUtf8(VarToStr(row[1]))) == "INTEGER")
                shape.UniqueKeys.push_back({{name, "BINARY"}});
        }
        shape.Known = !shape.Columns.empty();
        const TDbResult kind =
            Run(db, "SELECT 1 FROM pragma_table_list WHERE name = ?1 AND type = 'table' AND wr = 0", named,
                false, nullptr);
        shape.Rowid = !kind.Rows.empty();
        if (primary.size() != 1 || shape.UniqueKeys.empty()) shape.UniqueKeys.clear();
        const TDbResult indexes =
            Run(db, "SELECT name FROM pragma_index_list(?1) WHERE \"unique\" = 1 AND partial = 0", named,
                false, nullptr);
        for (const TDbRow& index : indexes.Rows) {
            const TDbResult keys =
                Run(db, "SELECT name, coll FROM pragma_index_xinfo(?1) WHERE key = 1 ORDER BY seqno",
                    Binder(TDbParams{index[0]}), false, nullptr);
            std::vector<TTableShape::TKeyColumn> key;
            bool plain = true; // an index on an expression has no column name
            for (const TDbRow& row : keys.Rows) {
                plain = plain && !VarIsNull(row[0]);
                if (plain)
                    key.push_back({UpperCase(ToUtf8(VarToStr(row[0]))), UpperCase(ToUtf8(VarToStr(row[1])))});
            }
            if (plain && !key.empty()) shape.UniqueKeys.push_back(std::move(key));
        }
    } catch (const EDbError&) {
        shape = TTableShape(); // unknown: its joins stay in the count
    }
    return FConnections->Shapes[table] = std::move(shape);
}

std::string TDbSession::BuildCount(const TSelectSpec& spec) {
    TSelectSpec count = spec;
    count.After = nullptr;
    count.Last = nullptr;
    const TTableShapes shapes = [this](const std::string& table) -> const TTableShape& {
        return Shape(table);
    };
    return "SELECT COUNT(*) FROM (" + Build(count, 1, &shapes).Sql + ")";
}

Int64 TDbSession::CountWhere(const TSelectSpec& spec, const TDbParams& params) {
    const std::string sql = BuildCount(spec);
    // "All" and an empty text are no condition: the statement is then the server's own, and kept prepared.
    const bool clientText = !ClientCondition(ToUtf8(spec.Condition)).empty() || !Trim(spec.Sort).empty();
    return Guarded([&] {
        const TReadableScope readable(*FConnections->ReadGuard, spec.Tables);
        const TDbResult result = Run(FConnections->Read, sql, Binder(params), clientText, nullptr);
        return result.Rows.empty() || result.Rows[0].empty() ? 0 : result.Rows[0][0].AsInt64();
    });
}

void TDbSession::Transaction(const std::function<void(TDbWriter&)>& body) {
    sqlite3* db = FConnections->Write;
    Guarded([&] {
        if (FInTransaction) throw EDbError(u8"事务不能嵌套");
        ExecScript(db, "BEGIN IMMEDIATE", u8"无法开始事务");
    });
    FInTransaction = true;
    TDbWriter writer(*this);
    try {
        body(writer);
    } catch (...) {
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        FInTransaction = false;
        throw;
    }
    FInTransaction = false;
    Guarded([&] {
        try {
            ExecScript(db, "COMMIT", u8"提交事务失败");
        } catch (const EDbError&) {
            sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
            throw;
        }
    });
}

Int64 TDbSession::ClientWrite(const AnsiString& text, const std::vector<std::string>& writableTables) {
    TSqlGuard& guard = *FConnections->WriteGuard;
    return Guarded([&] {
        std::string first;
        const std::string statement = CheckClientStatement(ToUtf8(text), &first);
        if (first != "INSERT" && first != "UPDATE" && first != "DELETE" && first != "REPLACE")
            throw EDbRefused(u8"只允许单条的 INSERT、UPDATE 或 DELETE 语句");
        const std::string sql = FDialect.Translate(statement);
        Int64 changes = 0;
        auto run = [&] {
            guard.SetMode(TGuardMode::Write, writableTables);
            try {
                Run(FConnections->Write, sql, Binder(TDbParams()), true, &changes);
            } catch (...) {
                guard.SetMode(TGuardMode::Trusted);
                throw;
            }
            guard.SetMode(TGuardMode::Trusted);
        };
        if (FInTransaction) {
            run();
        } else {
            ExecScript(FConnections->Write, "BEGIN IMMEDIATE", u8"无法开始事务");
            try {
                run();
                ExecScript(FConnections->Write, "COMMIT", u8"提交事务失败");
            } catch (...) {
                sqlite3_exec(FConnections->Write, "ROLLBACK", nullptr, nullptr, nullptr);
                throw;
            }
        }
        return changes;
    });
}

//----------------------------------------------------------------------------------------------------------------
// TDbWriter

Int64 TDbWriter::Exec(const std::string& sql, const TDbParams& params) {
    return FSession.Guarded([&] {
        Int64 changes = 0;
        FSession.Run(FSession.FConnections->Write, sql, FSession.Binder(params), false, &changes);
        return changes;
    });
}

Int64 TDbWriter::Exec(const std::string& sql, const TDbNamedParams& params) {
    return FSession.Guarded([&] {
        Int64 changes = 0;
        FSession.Run(FSession.FConnections->Write, sql, FSession.Binder(params), false, &changes);
        return changes;
    });
}

TDbResult TDbWriter::Select(const std::string& sql, const TDbParams& params) {
    return FSession.Guarded([&] {
        return FSession.Run(FSession.FConnections->Write, sql, FSession.Binder(params), false, nullptr);
    });
}

TDbResult TDbWriter::Select(const std::string& sql, const TDbNamedParams& params) {
    return FSession.Guarded([&] {
        return FSession.Run(FSession.FConnections->Write, sql, FSession.Binder(params), false, nullptr);
    });
}

Int64 TDbWriter::LastInsertRowId() const {
    return sqlite3_last_insert_rowid(FSession.FConnections->Write);
}

//----------------------------------------------------------------------------------------------------------------

std::string FindDataDir() {
    char buffer[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length <= 0) return std::string();
    const std::filesystem::path folder = std::filesystem::path(std::string(buffer, length)).parent_path();
    for (const std::filesystem::path& candidate : {folder.parent_path() / "data", folder / "data"}) {
        std::error_code error;
        if (std::filesystem::exists(candidate / "schema.sql", error))
            return candidate.lexically_normal().string();
    }
    return std::string();
}
