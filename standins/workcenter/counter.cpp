#include "standins/workcenter/counter.h"

#include <cctype>

#include "classlib/rtl/datetime.h"
#include "classlib/rtl/strutils.h"
#include "classlib/rtl/varview.h"
#include "standins/shared/lookups.h"
#include "standins/workcenter/signoff.h"

namespace {

AnsiString TextAt(const std::vector<Variant>& values, size_t i) {
    return i < values.size() ? VarText(values[i]) : AnsiString();
}

const AnsiString AllPrograms(20, '*');

bool IsXmlName(const AnsiString& name) {
    if (name.empty() || std::isdigit(static_cast<unsigned char>(name[0]))) return false;
    for (char c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_' && c != '-') return false;
    return true;
}

} // namespace

const TAutoMembers& TCounter::Members() const {
    static const TAutoMembers members{
        AutoMethod("GetSysInfo", &TCounter::GetSysInfo),
        AutoMethod("GETCOUNTER", &TCounter::GETCOUNTER),
    };
    return members;
}

const std::vector<std::string>& TCounter::WritableTables() {
    static const std::vector<std::string> tables{"ATTACH"};
    return tables;
}

Variant TCounter::GetSysInfo(const AnsiString& company) {
    const TCatalogueEntry* entry = FState->Catalogue().Find("Counter", "QVNMS", "GetSysInfo");
    if (!entry) return Variant();
    const TDbResult result = TCatalogue::Run(FState->Session(), *entry, {Variant(Trim(company))});
    if (result.Rows.empty()) return Variant();
    Variant settings = VarArrayCreate({0, 1, 0, static_cast<int>(result.Rows.size()) - 1}, varVariant);
    for (size_t i = 0; i < result.Rows.size(); ++i) {
        settings.PutElement({0, static_cast<int>(i)}, Variant(VarText(result.Rows[i][0])));
        settings.PutElement({1, static_cast<int>(i)}, Variant(VarText(result.Rows[i][1])));
    }
    return settings;
}

Variant TCounter::GETCOUNTER(const AnsiString& name, const Variant& params, const Variant& companyDatabase) {
    const AnsiString request = UpperCase(Trim(name));
    const AnsiString company = TextAt(VarArrayItems(companyDatabase), 0);
    if (request == "SIMPLESQL") return SimpleSql(params);
    if (request == "TRANSACTIONSQL") {
        const std::vector<Variant> values = VarArrayItems(params);
        // [SQL] or, as the document forms send it, [[SQL], '']. Statements are written one at a time,
        // each in its own transaction: a list of more is refused whole rather than written in part.
        AnsiString sql;
        if (values.empty()) {
            sql = VarText(params);
        } else if (VarIsArray(values[0])) {
            const std::vector<Variant> statements = VarArrayItems(values[0]);
            if (statements.size() != 1) throw EOleError("TransactionSQL: one statement at a time");
            sql = VarText(statements[0]);
        } else {
            sql = TextAt(values, 0);
        }
        FState->Session().ClientWrite(sql, WritableTables());
        return Variant();
    }
    if (request == "QUERYUDFDATA") return QueryUDFData(params);
    if (request == "GETUSERDEFINE") return GetUserDefine(params);
    if (request == "SETUSERDEFINE") return SetUserDefine(params);
    if (request == "EXCHANGERATE") return ExchangeRate(params, company);
    if (request == "INSERTQZJOB") return InsertQZJob(params);
    if (request == "GETQZAPPROVE") return Variant(SignOffApproveInfo(FState->Session(), params));
    if (request == "CALLWEBSERVICE") return Variant(SignOffWebService(params));
    throw EOleError("GETCOUNTER: unknown request '" + Trim(name) + "'");
}

Variant TCounter::SimpleSql(const Variant& params) {
    const std::vector<Variant> values = VarArrayItems(params);
    const TDbResult result = FState->Session().ClientSelect(TextAt(values, 0));
    if (result.Rows.empty()) return Variant();
    // The listed columns by name (the position when the name is none of the result's).
    std::vector<int> positions;
    const AnsiString list = TextAt(values, 1);
    size_t start = 0;
    int ordinal = 0;
    while (!list.empty() && start <= list.size()) {
        size_t comma = list.find(',', start);
        if (comma == AnsiString::npos) comma = list.size();
        AnsiString column = Trim(list.substr(start, comma - start));
        const size_t dot = column.rfind('.');
        if (dot != AnsiString::npos) column = column.substr(dot + 1);
        int position = result.ColumnIndex(column);
        if (position < 0 && ordinal < static_cast<int>(result.Columns.size())) position = ordinal;
        positions.push_back(position);
        ++ordinal;
        start = comma + 1;
    }
    if (positions.empty())
        for (size_t i = 0; i < result.Columns.size(); ++i)
            positions.push_back(static_cast<int>(i));
    std::vector<TDbRow> rows;
    for (const TDbRow& row : result.Rows) {
        TDbRow picked;
        for (int position : positions)
            picked.push_back(position >= 0 ? row[position] : Variant(AnsiString()));
        rows.push_back(std::move(picked));
    }
    return RowsAsVariant(rows);
}

Variant TCounter::QueryUDFData(const Variant& params) {
    const std::vector<Variant> values = VarArrayItems(params);
    const AnsiString formula = TextAt(values, 0);
    const std::vector<Variant> related =
        values.size() > 4 ? VarArrayItems(values[4]) : std::vector<Variant>();
    // %n becomes the n-th value as a quoted literal; %% a percent sign.
    AnsiString sql;
    for (size_t i = 0; i < formula.size(); ++i) {
        if (formula[i] == '%' && i + 1 < formula.size() &&
            std::isdigit(static_cast<unsigned char>(formula[i + 1]))) {
            size_t end = i + 1;
            int n = 0;
            while (end < formula.size() && std::isdigit(static_cast<unsigned char>(formula[end])) && n < 1000)
                n = n * 10 + (formula[end++] - '0');
            sql +=
                QuotedStr(n >= 1 && static_cast<size_t>(n) <= related.size() ? VarText(related[n - 1]) : "");
            i = end - 1;
        } else if (formula[i] == '%' && i + 1 < formula.size() && formula[i + 1] == '%') {
            sql += '%';
            ++i;
        } else {
            sql += formula[i];
        }
    }
    const TDbResult result = FState->Session().ClientSelect(sql);
    return RowsAsVariant(result.Rows);
}

Variant TCounter::GetUserDefine(const Variant& params) {
    const std::vector<Variant> values = VarArrayItems(params);
    const AnsiString company = Trim(TextAt(values, 0)), user = Trim(TextAt(values, 1));
    const AnsiString program = Trim(TextAt(values, 2)), key = Trim(TextAt(values, 3));
    if (key.empty()) return Variant(AnsiString());
    // The program's own value wins over the one for all programs.
    const TDbResult result = FState->Session().Select(
        "SELECT MU004, MU005 FROM QVNMU WHERE MU001 = ? AND MU002 = ? AND MU003 IN (?, ?) "
        "AND (MU004 = ? OR MU004 = '.' OR substr(MU004, 1, length(?) + 1) = ? || '/') "
        "ORDER BY MU003 = ? DESC, MU004",
        TDbParams{Variant(company), Variant(user), Variant(program), Variant(AllPrograms), Variant(key),
                  Variant(key), Variant(key), Variant(program)});
    std::vector<std::pair<AnsiString, AnsiString>> children;
    for (const TDbRow& row : result.Rows) {
        const AnsiString path = VarText(row[0]), value = VarText(row[1]);
        if (path == key) return Variant(value);
        if (path == ".") {
            // A whole document kept under ".": the one whose element is the key.
            const size_t open = value.find('<' + key);
            const size_t after = open == AnsiString::npos ? open : open + key.size() + 1;
            if (after != AnsiString::npos && after < value.size() &&
                (value[after] == '>' || value[after] == ' ' || value[after] == '/'))
                return Variant(value);
            continue;
        }
        const AnsiString child = path.substr(key.size() + 1);
        bool seen = false;
        for (const auto& [name, text] : children)
            seen = seen || name == child;
        if (!seen && IsXmlName(child)) children.emplace_back(child, value);
    }
    if (children.empty() || !IsXmlName(key)) return Variant(AnsiString());
    AnsiString xml = "<" + key + ">";
    for (const auto& [name, text] : children)
        xml += "<" + name + ">" + XmlText(text) + "</" + name + ">";
    return Variant(xml + "</" + key + ">");
}

Variant TCounter::SetUserDefine(const Variant& params) {
    const std::vector<Variant> values = VarArrayItems(params);
    const AnsiString company = Trim(TextAt(values, 0)), user = Trim(TextAt(values, 1));
    const AnsiString program = Trim(TextAt(values, 2)), key = Trim(TextAt(values, 3));
    if (company.empty() || user.empty() || program.empty() || key.empty())
        throw EOleError("SetUserDefine: company, user, program and key are required");
    FState->Session().Transaction([&](TDbWriter& writer) {
        writer.Exec("INSERT OR REPLACE INTO QVNMU (MU001, MU002, MU003, MU004, MU005) VALUES (?, ?, ?, ?, ?)",
                    TDbParams{Variant(company), Variant(user), Variant(program), Variant(key),
                              Variant(TextAt(values, 4))});
    });
    return Variant();
}

Variant TCounter::ExchangeRate(const Variant& params, const AnsiString& company) {
    const std::vector<Variant> values = VarArrayItems(params);
    const TCatalogueEntry* entry = FState->Catalogue().Find("Counter", "TAZMG", "ExchangeRate");
    if (!entry) return Variant(0);
    TCatalogueContext context;
    context.Company = company;
    const TDbResult result =
        TCatalogue::Run(FState->Session(), *entry,
                        {Variant(Trim(TextAt(values, 0))), Variant(Trim(TextAt(values, 1))),
                         Variant(Trim(TextAt(values, 2)))},
                        context);
    if (result.Rows.empty() || VarIsNull(result.Rows[0][0])) return Variant(0);
    return Variant(result.Rows[0][0].AsFloat());
}

Variant TCounter::InsertQZJob(const Variant& params) {
    std::vector<Variant> rows = VarArrayItems(params);
    const std::vector<Variant> row = rows.empty() ? std::vector<Variant>() : VarArrayItems(rows[0]);
    const AnsiString company = Trim(TextAt(row, 0)), program = Trim(TextAt(row, 1));
    const AnsiString key = Trim(TextAt(row, 2)), user = Trim(TextAt(row, 3));
    if (row.size() < 12 || company.empty() || program.empty() || key.empty()) return Variant(2);
    AnsiString job;
    for (const Variant& value : row.size() > 4 ? VarArrayItems(row[4]) : std::vector<Variant>()) {
        if (!job.empty()) job += '\t';
        job += VarText(value);
    }
    int answer = 0;
    FState->Session().Transaction([&](TDbWriter& writer) {
        const TDbParams id{Variant(company), Variant(program), Variant(key)};
        const TDbResult waiting =
            writer.Select("SELECT QZ006 FROM QZJOBQUE WHERE QZ001 = ? AND QZ002 = ? AND QZ003 = ?", id);
        if (!waiting.Rows.empty() && Trim(VarText(waiting.Rows[0][0])) == "N") {
            answer = 1;
            return;
        }
        writer.Exec(
            "INSERT OR REPLACE INTO QZJOBQUE (QZ001, QZ002, QZ003, QZ004, QZ005, QZ006, QZ007, QZ008, QZ009) "
            "VALUES (?, ?, ?, ?, ?, 'N', ?, ?, ?)",
            TDbParams{id[0], id[1], id[2], Variant(user), Variant(job), Variant(TextAt(row, 10)),
                      Variant(VarText(row.back())), Variant(FormatDateTime("yyyymmddhhnnsszzz", Now()))});
    });
    return Variant(answer);
}
