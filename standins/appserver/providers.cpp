#include "standins/appserver/providers.h"

#include <cctype>
#include <cstdlib>

#include "classlib/rtl/strutils.h"
#include "classlib/rtl/varview.h"
#include "standins/shared/numbering.h"
#include "standins/shared/sqlguard.h"

namespace {

// Thrown inside the save's transaction to roll it back once a row was rejected.
struct TRollback {};

// A failure the session raised while numbering, already in the session's code page (the numbering's
// own messages are UTF-8).
struct TSessionFailure {
    AnsiString Message;
};

bool IsIdentifier(const AnsiString& name) {
    if (name.empty() || std::isdigit(static_cast<unsigned char>(name[0]))) return false;
    for (char c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') return false;
    return true;
}

std::string Quoted(const AnsiString& name) {
    return "\"" + name + "\"";
}

AnsiString Setting(const TProgramSettings& settings, const char* name) {
    auto found = settings.find(name);
    return found == settings.end() ? AnsiString() : Trim(found->second);
}

// Field names are ASCII identifiers: compared without regard to case, without the code page's rules.
AnsiString AsciiUpper(AnsiString name) {
    for (char& c : name)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return name;
}

// The value a field of a row has, found as written or else without regard to case.
const Variant* FindValue(const std::map<AnsiString, Variant>& values, const AnsiString& field) {
    auto exact = values.find(field);
    if (exact != values.end()) return &exact->second;
    const AnsiString upper = AsciiUpper(field);
    for (const auto& [name, value] : values)
        if (AsciiUpper(name) == upper) return &value;
    return nullptr;
}

AnsiString KeyText(const Variant& value) {
    return VarIsEmpty(value) || VarIsNull(value) ? AnsiString() : Trim(VarToStr(value));
}

// The FLAG a client stamped on a changed row (0 to 999, and not the one it read), else -1: the
// server steps it then.
int ClientStamp(const TDeltaRow& row) {
    const Variant* stamp = FindValue(row.New, "FLAG");
    const Variant* read = FindValue(row.Old, "FLAG");
    if (!stamp || !VarIsNumeric(*stamp)) return -1;
    const double value = stamp->AsFloat();
    if (value < 0 || value > 999 || value != static_cast<int>(value)) return -1;
    if (read && VarIsNumeric(*read) && read->AsFloat() == value) return -1;
    return static_cast<int>(value);
}

AnsiString KeyOf(const TDbRow& row, const std::vector<int>& positions) {
    AnsiString text;
    for (int position : positions) {
        text += position >= 0 && !VarIsNull(row[position]) ? Trim(VarToStr(row[position])) : AnsiString();
        text += '\x1f';
    }
    return text;
}

// The audit columns whose values a save takes from the server's connection, not from the packet.
bool IsAuditStamp(const AnsiString& field) {
    static const char* const names[] = {"CREATOR",  "USR_GROUP", "CREATE_DATE",
                                        "MODIFIER", "MODI_DATE", "FLAG"};
    const AnsiString upper = AsciiUpper(field);
    for (const char* name : names)
        if (upper == name) return true;
    return false;
}

} // namespace

std::vector<AnsiString> SplitKeyList(const AnsiString& list) {
    std::vector<AnsiString> items;
    size_t start = 0;
    while (start <= list.size()) {
        size_t comma = list.find(',', start);
        if (comma == AnsiString::npos) comma = list.size();
        AnsiString item = Trim(list.substr(start, comma - start));
        const size_t blank = item.find(' ');
        if (blank != AnsiString::npos) item = item.substr(0, blank);
        if (!item.empty()) items.push_back(UpperCase(item));
        start = comma + 1;
    }
    return items;
}

Variant TDeltaRow::Value(const AnsiString& field) const {
    if (const Variant* value = FindValue(New, field)) return *value;
    if (const Variant* value = FindValue(Old, field)) return *value;
    return Variant();
}

bool TDocumentProvider::TTableInfo::Has(const AnsiString& column) const {
    return ColumnSet.count(column) != 0 || ColumnSet.count(AsciiUpper(column)) != 0;
}

bool TDocumentProvider::TTableInfo::Fits(const AnsiString& column, const Variant& value) const {
    if (!VarIsStr(value)) return true;
    auto size = Sizes.find(column);
    if (size == Sizes.end()) size = Sizes.find(AsciiUpper(column));
    return size == Sizes.end() || VarToStr(value).size() <= static_cast<size_t>(size->second);
}

TDocumentProvider::TDocumentProvider(TDbSession& session, std::shared_ptr<const TCatalogue> catalogue,
                                     const TProgramSettings& settings)
    : FSession(session), FCatalogue(std::move(catalogue)) {
    FHeadTable = UpperCase(Setting(settings, "M11_TABLE"));
    FHeadKey = SplitKeyList(Setting(settings, "M11_KEY"));
    FHeadSelect = Setting(settings, "M11_SELECT");
    FLineTable = UpperCase(Setting(settings, "D11_TABLE"));
    FLineKey = SplitKeyList(Setting(settings, "D11_KEY"));
    FLineSelect = Setting(settings, "D11_SELECT");
    FSeqDateField = UpperCase(Setting(settings, "SEQ_DATE"));
    FConfirmField = UpperCase(Setting(settings, "M11_CONFIRM"));
    FLineConfirmField = UpperCase(Setting(settings, "D11_CONFIRM"));
    if (!IsIdentifier(FHeadTable) || FHeadKey.empty())
        throw EDbError(FSession.FromUtf8(u8"程序的服务器设定缺少单头表或键值 (M11_TABLE, M11_KEY)"));
    if (FHeadSelect.empty()) FHeadSelect = "SELECT " + FHeadTable + ".* FROM " + FHeadTable;
    FHead = ReadTable(FHeadTable);
    if (!FLineTable.empty()) {
        if (!IsIdentifier(FLineTable) || FLineKey.size() <= FHeadKey.size())
            throw EDbError(FSession.FromUtf8(u8"程序的服务器设定的单身表或键值不正确 (D11_TABLE, D11_KEY)"));
        if (FLineSelect.empty()) FLineSelect = "SELECT " + FLineTable + ".* FROM " + FLineTable;
        FLine = ReadTable(FLineTable);
    }
    // A client's condition may read the tables of the documents' selects, the lines' included (a
    // condition on lines is a sub-query on them), and no other.
    FTables = TablesOfSelect(FHeadSelect);
    FSubqueryTables = {FHeadTable};
    if (!FLineTable.empty())
        for (const std::string& table : TablesOfSelect(FLineSelect)) {
            FTables.push_back(table);
            FSubqueryTables.push_back(table);
        }
    for (const AnsiString& field : FHeadKey)
        if (!FHead.Has(field)) throw EDbError(FSession.FromUtf8(u8"键值栏位不在单头表中: ") + field);
    for (const AnsiString& field : FLineKey)
        if (!FLine.Has(field)) throw EDbError(FSession.FromUtf8(u8"键值栏位不在单身表中: ") + field);
}

TDocumentProvider::TTableInfo TDocumentProvider::ReadTable(const AnsiString& name) {
    TTableInfo info;
    info.Name = name;
    const TDbResult result = FSession.Select("SELECT * FROM " + Quoted(name) + " LIMIT 0");
    for (size_t i = 0; i < result.Columns.size(); ++i) {
        const AnsiString column = AsciiUpper(result.Columns[i]);
        info.Columns.push_back(column);
        info.ColumnSet.insert(column);
        if (column == "FLAG") info.HasFlag = true;
        const std::string type = i < result.DeclTypes.size() ? result.DeclTypes[i] : std::string();
        const size_t open = type.find('(');
        if (type.find("CHAR") != std::string::npos && open != std::string::npos) {
            const int size = std::atoi(type.c_str() + open + 1);
            if (size > 0) info.Sizes[column] = size;
        }
    }
    return info;
}

TProviderRows TDocumentProvider::GetRecords(const AnsiString& condition, const AnsiString& sort, Int64 limit,
                                            Int64 offset, Int64 count, TSortPosition* position) {
    TProviderRows rows;
    TSelectSpec spec;
    spec.Select = FHeadSelect;
    spec.Condition = condition;
    spec.Sort = sort;
    spec.Tables = FTables;
    CheckClientText(condition, sort);
    for (const AnsiString& field : FHeadKey)
        spec.DefaultSort += (spec.DefaultSort.empty() ? "" : ",") + FHeadTable + "." + field;
    if (offset < 0) offset = 0;
    Int64 wanted = count >= 0 ? count : -1;
    bool capped = false; // the query's row limit ends the rows here
    if (limit >= 0) {
        const Int64 left = limit > offset ? limit - offset : 0;
        if (wanted < 0 || left <= wanted) {
            wanted = left;
            capped = true;
        }
    }
    // One row more than asked tells whether another packet follows.
    spec.Limit = wanted < 0 ? -1 : capped ? wanted : wanted + 1;
    spec.Offset = offset;
    if (position) {
        if (offset == 0) position->Clear();
        spec.After = position;
        spec.Last = position;
        spec.PositionRow = wanted < 0 ? -1 : wanted - 1;
    }
    rows.Head = FSession.SelectWhere(spec);
    rows.Eof = wanted < 0 || capped || static_cast<Int64>(rows.Head.Rows.size()) <= wanted;
    if (wanted >= 0 && static_cast<Int64>(rows.Head.Rows.size()) > wanted)
        rows.Head.Rows.resize(static_cast<size_t>(wanted));
    rows.Lines.resize(rows.Head.Rows.size());
    if (FLineTable.empty()) return rows;

    // The lines of these headers, a few hundred headers per query.
    std::vector<int> headPositions;
    for (const AnsiString& field : FHeadKey)
        headPositions.push_back(rows.Head.ColumnIndex(field));
    std::map<AnsiString, size_t> headIndex;
    for (size_t i = 0; i < rows.Head.Rows.size(); ++i)
        headIndex[KeyOf(rows.Head.Rows[i], headPositions)] = i;

    TSelectSpec lines;
    lines.Select = FLineSelect;
    for (const AnsiString& field : FLineKey)
        lines.DefaultSort += (lines.DefaultSort.empty() ? "" : ",") + FLineTable + "." + field;
    const size_t chunk = 200;
    bool first = true;
    for (size_t start = 0; start < rows.Head.Rows.size() || first; start += chunk) {
        TDbParams params;
        AnsiString where;
        for (size_t i = start; i < rows.Head.Rows.size() && i < start + chunk; ++i) {
            AnsiString term;
            for (size_t k = 0; k < FHeadKey.size(); ++k) {
                term += (k ? " AND " : "") + FLineTable + "." + FLineKey[k] + " = ?";
                params.push_back(headPositions[k] >= 0 ? rows.Head.Rows[i][headPositions[k]] : Variant());
            }
            where += (where.empty() ? "(" : " OR (") + term + ")";
        }
        if (where.empty()) where = "0 = 1"; // the columns of the lines all the same
        lines.Where = where;
        TDbResult result = FSession.SelectWhere(lines, params);
        if (first) {
            rows.LineColumns.Columns = result.Columns;
            rows.LineColumns.DeclTypes = result.DeclTypes;
            first = false;
        }
        std::vector<int> linePositions;
        for (size_t k = 0; k < FHeadKey.size(); ++k)
            linePositions.push_back(result.ColumnIndex(FLineKey[k]));
        for (TDbRow& line : result.Rows) {
            auto head = headIndex.find(KeyOf(line, linePositions));
            if (head != headIndex.end()) rows.Lines[head->second].push_back(std::move(line));
        }
        if (rows.Head.Rows.empty()) break;
    }
    return rows;
}

void TDocumentProvider::CheckClientText(const AnsiString& condition, const AnsiString& sort) const {
    try {
        CheckClientTables(FSession.ToUtf8(condition), FSubqueryTables);
        CheckClientTables(FSession.ToUtf8(sort), FSubqueryTables);
    } catch (const EDbError& refusal) { // UTF-8, as the guard's refusals are
        throw EDbRefused(FSession.FromUtf8(refusal.Message()));
    }
}

Int64 TDocumentProvider::RecordCount(const AnsiString& condition, Int64 limit) {
    TSelectSpec spec;
    spec.Select = FHeadSelect;
    spec.Condition = condition;
    spec.Tables = FTables;
    CheckClientText(condition, AnsiString());
    spec.Limit = limit;
    return FSession.CountWhere(spec);
}

TSaveResult TDocumentProvider::ApplyUpdates(const std::vector<TDeltaRow>& delta,
                                            const TSaveContext& context) {
    TSaveResult result;
    try {
        FSession.Transaction([&](TDbWriter& writer) {
            if (context.Rights) {
                for (size_t i = 0; i < delta.size(); ++i)
                    CheckRights(writer, delta[i], static_cast<int>(i), *context.Rights, result);
                if (!result.Errors.empty()) throw TRollback{};
            }
            for (size_t i = 0; i < delta.size(); ++i)
                ApplyHead(writer, delta[i], static_cast<int>(i), context, result);
            if (!result.Errors.empty()) throw TRollback{};
        });
    } catch (const TRollback&) {
    }
    if (!result.Errors.empty()) result.AssignedNumber.clear();
    return result;
}

void TDocumentProvider::ApplyHead(TDbWriter& writer, const TDeltaRow& row, int index,
                                  const TSaveContext& context, TSaveResult& result) {
    auto reject = [&](TUpdateError error, int line) {
        error.HeadIndex = index;
        error.LineIndex = line;
        result.Errors.push_back(std::move(error));
    };
    // Lines by kind, in the order the save needs: deletes, changes, inserts.
    auto applyLines = [&](TUpdateStatus kind, const std::map<AnsiString, Variant>& headKey) {
        std::map<AnsiString, Variant> forced; // new lines take their header's key
        if (kind == usInserted)
            for (size_t k = 0; k < FHeadKey.size(); ++k)
                forced[FLineKey[k]] = headKey.at(FHeadKey[k]);
        for (size_t i = 0; i < row.Lines.size(); ++i) {
            const TDeltaRow& line = row.Lines[i];
            if (line.Kind != kind) continue;
            TUpdateError error;
            if (kind != usInserted && !BelongsToHead(line, headKey, error)) {
                reject(error, static_cast<int>(i));
                continue;
            }
            if (!ApplyRow(writer, FLine, FLineKey, line, forced, error, context))
                reject(error, static_cast<int>(i));
        }
    };
    auto keyOf = [&](const TDeltaRow& head, const std::map<AnsiString, Variant>& forced) {
        std::map<AnsiString, Variant> key;
        for (const AnsiString& field : FHeadKey) {
            auto it = forced.find(field);
            key[field] = it != forced.end() ? it->second : head.Value(field);
        }
        return key;
    };
    const bool hasLines = !FLineTable.empty();
    TUpdateError error;
    error.Kind = row.Kind;

    switch (row.Kind) {
    case usDeleted: {
        std::map<AnsiString, Variant> key;
        for (const AnsiString& field : FHeadKey) {
            const Variant* value = FindValue(row.Old, field);
            key[field] = value ? *value : Variant();
        }
        if (hasLines) {
            applyLines(usDeleted, key);
            DeleteRemainingLines(writer, key);
        }
        if (!ApplyRow(writer, FHead, FHeadKey, row, {}, error, context)) reject(error, -1);
        break;
    }
    case usInserted: {
        std::map<AnsiString, Variant> forced;
        const AnsiString numberField = FHeadKey.back();
        if (context.ServerNumbering && FHeadKey.size() >= 2) {
            try {
                const Variant date = FSeqDateField.empty() ? Variant() : row.Value(FSeqDateField);
                const AnsiString number = NextDocumentNumber(
                    *FCatalogue,
                    [&](const TCatalogueEntry& entry, const std::vector<Variant>& keys) {
                        try {
                            return TCatalogue::Run(writer, entry, keys, context.Catalogue);
                        } catch (const EDbError& failure) {
                            throw TSessionFailure{failure.Message()};
                        }
                    },
                    FHeadTable, VarToStr(row.Value(FHeadKey.front())), VarIsNull(date) ? "" : VarToStr(date));
                if (!number.empty()) forced[numberField] = Variant(number);
            } catch (const TSessionFailure& failure) {
                error.ErrorCode = 4;
                error.Message = failure.Message;
                reject(error, -1);
                return;
            } catch (const EDbError& failure) { // the numbering's own, in UTF-8
                error.ErrorCode = 4;
                error.Message = FSession.FromUtf8(failure.Message());
                error.Context = FHeadTable + " numbering";
                reject(error, -1);
                return;
            }
        }
        if (!ApplyRow(writer, FHead, FHeadKey, row, forced, error, context)) {
            reject(error, -1);
            return;
        }
        const std::map<AnsiString, Variant> key = keyOf(row, forced);
        result.AssignedNumber = Trim(VarToStr(key.at(numberField)));
        if (hasLines) {
            applyLines(usDeleted, key);
            applyLines(usModified, key);
            applyLines(usInserted, key);
        }
        break;
    }
    case usModified:
    case usUnmodified: {
        // A document keeps its key: its lines and the documents that refer to it go by it.
        for (const AnsiString& field : FHeadKey) {
            const Variant* changed = FindValue(row.New, field);
            const Variant* read = FindValue(row.Old, field);
            if (changed && (!read || KeyText(*changed) != KeyText(*read))) {
                error.ErrorCode = 4;
                error.Context = FHeadTable + " modify " + field;
                error.Message = FSession.FromUtf8(u8"单据的键值不能更改: ") + field + " [" + FHeadTable +
                                ": " + (read ? KeyText(*read) : AnsiString()) + "]";
                reject(error, -1);
                return;
            }
        }
        // Lines changed under a header that did not: the header must still be as it was read, so
        // that lines never land on a document that another user changed or deleted meanwhile.
        if (!ApplyRow(writer, FHead, FHeadKey, row, {}, error, context)) {
            reject(error, -1);
            return;
        }
        if (hasLines) {
            const std::map<AnsiString, Variant> key = keyOf(row, {});
            applyLines(usDeleted, key);
            applyLines(usModified, key);
            applyLines(usInserted, key);
        }
        break;
    }
    }
}

bool TDocumentProvider::ApplyRow(TDbWriter& writer, const TTableInfo& table,
                                 const std::vector<AnsiString>& key, const TDeltaRow& row,
                                 const std::map<AnsiString, Variant>& forcedValues, TUpdateError& error,
                                 const TSaveContext& context) {
    // A new row's creation stamps are the server's; the packet's audit columns are not written.
    std::map<AnsiString, Variant> forced = forcedValues;
    const bool stamps = context.Stamps;
    if (stamps && row.Kind == usInserted)
        for (const auto& [field, value] :
             {std::pair<const char*, const AnsiString&>{"CREATOR", context.StampUser},
              {"USR_GROUP", context.StampGroup},
              {"CREATE_DATE", context.StampDate}})
            if (table.Has(field)) forced[field] = Variant(value);
    error.Kind = row.Kind;
    // The key as the messages show it, made only when the row is rejected.
    auto keyText = [&] {
        AnsiString text;
        for (const AnsiString& field : key) {
            auto it = forced.find(field);
            const Variant value = it != forced.end() ? it->second : row.Value(field);
            text += (text.empty() ? "" : "-") +
                    (VarIsEmpty(value) || VarIsNull(value) ? AnsiString() : Trim(VarToStr(value)));
        }
        return text;
    };
    static const char* const kinds[] = {"unmodified", "modify", "insert", "delete"};
    auto fail = [&](int code, const std::string& utf8) {
        error.ErrorCode = code;
        error.Context = table.Name + " " + kinds[row.Kind] + " " + keyText();
        error.Message = FSession.FromUtf8(utf8) + " [" + table.Name + ": " + keyText() + "]";
        return false;
    };
    // A text longer than its column is refused rather than stored past the size the clients read.
    auto tooLong = [&](const AnsiString& field) {
        return fail(4, std::string(u8"栏位内容超过长度: ") + field + " (" +
                           std::to_string(table.Sizes.at(AsciiUpper(field))) + ")");
    };
    // The key of the row as read, and whether the row is still there.
    std::string where;
    TDbParams keyParams;
    for (const AnsiString& field : key) {
        where += (where.empty() ? "" : " AND ") + Quoted(field) + " = ?";
        const Variant* value = row.Kind == usInserted ? nullptr : FindValue(row.Old, field);
        if (row.Kind == usInserted) {
            auto it = forced.find(field);
            keyParams.push_back(it != forced.end() ? it->second : row.Value(field));
        } else {
            if (!value || VarIsBlank(*value)) return fail(4, u8"缺少原来的键值, 无法保存");
            keyParams.push_back(*value);
        }
    }
    auto exists = [&] {
        return !writer.Select("SELECT 1 FROM " + Quoted(table.Name) + " WHERE " + where, keyParams)
                    .Rows.empty();
    };

    try {
        if (row.Kind == usInserted) {
            for (const Variant& value : keyParams)
                if (VarIsBlank(value)) return fail(4, u8"键值栏位不能为空");
            std::string columns, marks;
            TDbParams params;
            columns.reserve(16 * (row.New.size() + forced.size() + 1));
            marks.reserve(3 * (row.New.size() + forced.size() + 1));
            params.reserve(row.New.size() + forced.size() + 1);
            AnsiString overlong; // the first column whose text is too long
            auto add = [&](const AnsiString& field, const Variant& value) {
                if (overlong.empty() && !table.Fits(field, value)) overlong = field;
                if (!columns.empty()) {
                    columns += ", ";
                    marks += ", ";
                }
                columns += '"';
                columns += field;
                columns += '"';
                marks += '?';
                params.push_back(value);
            };
            for (const auto& [field, value] : forced)
                add(AsciiUpper(field), value);
            for (const auto& [field, value] : row.New) {
                // A null leaves the column to its default, as a new row without that value.
                if (VarIsEmpty(value) || VarIsNull(value) || !table.Has(field)) continue;
                if (stamps && IsAuditStamp(field)) continue;
                if (table.ColumnSet.count(field)) { // as the table spells it, the usual case
                    if (field != "FLAG" && !forced.count(field)) add(field, value);
                    continue;
                }
                const AnsiString upper = AsciiUpper(field);
                if (upper != "FLAG" && !forced.count(upper)) add(upper, value);
            }
            if (table.HasFlag) add("FLAG", Variant(1));
            if (!overlong.empty()) return tooLong(overlong);
            try {
                writer.Exec("INSERT INTO " + Quoted(table.Name) + " (" + columns + ") VALUES (" + marks + ")",
                            params);
            } catch (const EDbError&) {
                // The key in use is the usual reason; the database's own message otherwise.
                if (exists()) return fail(3, u8"资料已经存在, 不能重复");
                throw;
            }
            return true;
        }

        std::string flagTerm;
        TDbParams flagParams;
        if (table.HasFlag) {
            if (const Variant* flag = FindValue(row.Old, "FLAG")) {
                flagTerm = " AND \"FLAG\" IS ?";
                flagParams.push_back(VarIsEmpty(*flag) ? Null() : *flag);
            }
        }
        Int64 changed = 0;
        if (row.Kind == usUnmodified) {
            TDbParams params = keyParams;
            params.insert(params.end(), flagParams.begin(), flagParams.end());
            changed = static_cast<Int64>(
                writer.Select("SELECT 1 FROM " + Quoted(table.Name) + " WHERE " + where + flagTerm, params)
                    .Rows.size());
        } else if (row.Kind == usDeleted) {
            TDbParams params = keyParams;
            params.insert(params.end(), flagParams.begin(), flagParams.end());
            changed = writer.Exec("DELETE FROM " + Quoted(table.Name) + " WHERE " + where + flagTerm, params);
        } else {
            std::string sets;
            TDbParams params;
            for (const auto& [field, value] : row.New) {
                const AnsiString upper = AsciiUpper(field);
                if (!table.Has(upper) || upper == "FLAG" || (stamps && IsAuditStamp(upper))) continue;
                if (!table.Fits(upper, value)) return tooLong(upper);
                sets += (sets.empty() ? "" : ", ") + Quoted(upper) + " = ?";
                params.push_back(VarIsEmpty(value) ? Null() : value);
            }
            // With the server's stamps the client may still ask for the step it counts on: a FLAG stamp
            // (as the client makes it, negative while not read back) that follows the FLAG read.
            int nextFlag = -1;
            if (stamps && table.HasFlag) {
                const Variant* stamp = FindValue(row.New, "FLAG");
                const Variant* read = FindValue(row.Old, "FLAG");
                if (stamp && read && VarIsNumeric(*stamp) && VarIsNumeric(*read)) {
                    const int next = (static_cast<int>(read->AsFloat()) + 1) % 1000;
                    if (std::abs(stamp->AsFloat()) == next) nextFlag = next;
                }
            }
            if (stamps) {
                // Nothing but stamps, no step asked and no line changed under it: nothing to write, only
                // the row as read to find.
                bool linesChanged = false;
                for (const TDeltaRow& line : row.Lines)
                    linesChanged = linesChanged || line.Kind != usUnmodified;
                if (sets.empty() && !linesChanged && nextFlag < 0) {
                    TDbParams present = keyParams;
                    present.insert(present.end(), flagParams.begin(), flagParams.end());
                    if (!writer
                             .Select("SELECT 1 FROM " + Quoted(table.Name) + " WHERE " + where + flagTerm,
                                     present)
                             .Rows.empty())
                        return true;
                    if (exists()) return fail(1, u8"资料已被其他用户更改, 请重新查询后再保存");
                    return fail(2, u8"资料已被其他用户删除");
                }
                for (const auto& [field, value] :
                     {std::pair<const char*, const AnsiString&>{"MODIFIER", context.StampUser},
                      {"MODI_DATE", context.StampDate}})
                    if (table.Has(field)) {
                        sets += (sets.empty() ? "" : ", ") + Quoted(field) + " = ?";
                        params.push_back(Variant(value));
                    }
            }
            // The client's own stamp when it made one, so that it holds what the table holds; when the
            // server stamps, the next FLAG (the client's count, 999 wrapping to 0, when it asked for it).
            if (table.HasFlag) {
                const int stamp = stamps ? nextFlag : ClientStamp(row);
                sets +=
                    std::string(sets.empty() ? "" : ", ") +
                    (stamp >= 0 ? "\"FLAG\" = " + std::to_string(stamp)
                                : std::string("\"FLAG\" = IFNULL(CAST(\"FLAG\" AS INTEGER), 0) % 999 + 1"));
            }
            if (sets.empty()) return true;
            params.insert(params.end(), keyParams.begin(), keyParams.end());
            params.insert(params.end(), flagParams.begin(), flagParams.end());
            changed = writer.Exec(
                "UPDATE " + Quoted(table.Name) + " SET " + sets + " WHERE " + where + flagTerm, params);
        }
        if (changed == 0) {
            if (exists()) return fail(1, u8"资料已被其他用户更改, 请重新查询后再保存");
            return fail(2, u8"资料已被其他用户删除");
        }
        return true;
    } catch (const EDbError& failure) {
        error.ErrorCode = 4;
        error.Context = table.Name + " " + kinds[row.Kind] + " " + keyText();
        error.Message = failure.Message() + " [" + table.Name + ": " + keyText() + "]";
        return false;
    }
}

void TDocumentProvider::CheckRights(TDbWriter& writer, const TDeltaRow& row, int index,
                                    const TUserRights& rights, TSaveResult& result) {
    auto code = [](const Variant& value) {
        return VarIsEmpty(value) || VarIsNull(value) ? AnsiString() : UpperCase(Trim(VarToStr(value)));
    };
    // Only the transaction manager confirms: a save may void and un-void, nothing more.
    auto confirmedCode = [](const AnsiString& value) { return value == "Y" || value == "U"; };
    auto audit = [](const AnsiString& field) { return IsAuditStamp(field); };
    AnsiString key;
    for (const AnsiString& field : FHeadKey) {
        const Variant value = row.Kind == usInserted ? row.Value(field) : [&] {
            const Variant* old = FindValue(row.Old, field);
            return old ? *old : Variant();
        }();
        key += (key.empty() ? "" : "-") +
               (VarIsEmpty(value) || VarIsNull(value) ? AnsiString() : Trim(VarToStr(value)));
    }
    auto refuse = [&](const std::string& utf8) {
        TUpdateError error;
        error.HeadIndex = index;
        error.Kind = row.Kind;
        error.ErrorCode = 4;
        error.Context = FHeadTable + " refused " + key;
        error.Message = FSession.FromUtf8(utf8) + " [" + FHeadTable + ": " + key + "]";
        result.Errors.push_back(std::move(error));
    };
    auto lacking = [&](const char* name, int element) {
        refuse(std::string(u8"没有") + name + u8"的权限 (权限 " + std::to_string(element) + u8"), 不能保存");
    };
    const std::string confirmOnly = u8"审核码只能由审核作业更改, 不能保存";
    // A line's confirm code follows its header's; a line may carry only what its header may.
    bool lineFieldsChanged = false, lineConfirmed = false, lineVoided = false;
    for (const TDeltaRow& line : row.Lines) {
        if (line.Kind == usUnmodified) continue;
        if (line.Kind != usModified) lineFieldsChanged = true;
        for (const auto& [field, value] :
             line.Kind == usDeleted ? std::map<AnsiString, Variant>() : line.New) {
            if (!FLineConfirmField.empty() && AsciiUpper(field) == FLineConfirmField) {
                const Variant* old = FindValue(line.Old, field);
                if (confirmedCode(code(value)) || (old && confirmedCode(code(*old)))) lineConfirmed = true;
                lineVoided = true;
            } else if (line.Kind == usModified && FLine.Has(field) && !audit(field)) {
                lineFieldsChanged = true;
            }
        }
    }

    if (row.Kind == usInserted) {
        if (!rights.Has(TUserRights::AddRight)) return lacking(u8"新增", TUserRights::AddRight);
        const AnsiString confirm = FConfirmField.empty() ? AnsiString() : code(row.Value(FConfirmField));
        if (confirmedCode(confirm) || confirm == "V" || lineConfirmed) refuse(confirmOnly);
        return;
    }
    // The record as stored decides whose it is and what its confirm code is.
    std::string where, columns = "\"CREATOR\", \"USR_GROUP\"";
    TDbParams params;
    for (const AnsiString& field : FHeadKey) {
        where += (where.empty() ? "" : " AND ") + Quoted(field) + " = ?";
        const Variant* value = FindValue(row.Old, field);
        params.push_back(value ? *value : Variant());
    }
    if (!FConfirmField.empty()) columns += ", " + Quoted(FConfirmField);
    const TDbResult stored =
        writer.Select("SELECT " + columns + " FROM " + Quoted(FHeadTable) + " WHERE " + where, params);
    if (stored.Rows.empty()) return; // gone: the save itself reports it
    const TDbRow& record = stored.Rows[0];
    const AnsiString creator = VarIsNull(record[0]) ? AnsiString() : VarToStr(record[0]);
    const AnsiString group = VarIsNull(record[1]) ? AnsiString() : VarToStr(record[1]);
    auto need = [&](TRecordAction action) {
        if (rights.May(action, creator, group)) return true;
        lacking(RightName(action), rights.RecordRight(action, creator, group));
        return false;
    };
    if (row.Kind == usDeleted) {
        need(TRecordAction::Delete);
        return;
    }
    bool fieldsChanged = lineFieldsChanged, voiding = false;
    const AnsiString storedCode = FConfirmField.empty() ? AnsiString() : code(record[2]);
    for (const auto& [field, value] : row.Kind == usModified ? row.New : std::map<AnsiString, Variant>()) {
        if (!FConfirmField.empty() && AsciiUpper(field) == FConfirmField) {
            const AnsiString wanted = code(value);
            if (wanted == storedCode) continue;
            if (confirmedCode(wanted) || confirmedCode(storedCode)) return refuse(confirmOnly);
            voiding = true;
        } else if (FHead.Has(field) && !audit(field)) {
            fieldsChanged = true;
        }
    }
    if (lineConfirmed) return refuse(confirmOnly);
    if (lineVoided && !voiding) fieldsChanged = true; // the lines' code alone: an ordinary change
    // A change of nothing (or of stamps alone) is still a change: it needs the right like any other.
    if ((fieldsChanged || !voiding) && !need(TRecordAction::Change)) return;
    if (voiding) need(TRecordAction::Void);
}

bool TDocumentProvider::BelongsToHead(const TDeltaRow& line, const std::map<AnsiString, Variant>& headKey,
                                      TUpdateError& error) const {
    for (size_t k = 0; k < FHeadKey.size(); ++k) {
        const AnsiString head = KeyText(headKey.at(FHeadKey[k]));
        const Variant* read = FindValue(line.Old, FLineKey[k]);
        const Variant* changed = FindValue(line.New, FLineKey[k]);
        if ((read && KeyText(*read) == head) && (!changed || KeyText(*changed) == head)) continue;
        error.Kind = line.Kind;
        error.ErrorCode = 4;
        error.Context = FLineTable + " not of " + FHeadTable + " " + head;
        error.Message = FSession.FromUtf8(u8"单身不属于此单据, 不能保存") + " [" + FLineTable + ": " +
                        (read ? KeyText(*read) : AnsiString()) + " / " + FHeadTable + ": " + head + "]";
        return false;
    }
    return true;
}

void TDocumentProvider::DeleteRemainingLines(TDbWriter& writer,
                                             const std::map<AnsiString, Variant>& headKey) {
    std::string where;
    TDbParams params;
    for (size_t k = 0; k < FHeadKey.size(); ++k) {
        where += (where.empty() ? "" : " AND ") + Quoted(FLineKey[k]) + " = ?";
        params.push_back(headKey.at(FHeadKey[k]));
    }
    writer.Exec("DELETE FROM " + Quoted(FLineTable) + " WHERE " + where, params);
}

//----------------------------------------------------------------------------------------------------------------
// TSchemeProvider

void TSchemeProvider::Select(const AnsiString& user, const AnsiString& program) {
    FUser = Trim(user);
    FProgram = Trim(program);
}

TDbResult TSchemeProvider::GetRecords() {
    return FSession.Select(
        "SELECT NCONDITION, CREATOR, PROGRAMME, CREATE_DATE, VCONDITION, ActivePage FROM DOCUS "
        "WHERE CREATOR = ? AND PROGRAMME = ? ORDER BY NCONDITION",
        TDbParams{Variant(FUser), Variant(FProgram)});
}

AnsiString TSchemeProvider::Insert(const AnsiString& name, const AnsiString& user, const AnsiString& day,
                                   const AnsiString& program, const AnsiString& text, int page,
                                   bool replace) {
    const AnsiString scheme = Trim(name);
    if (scheme.empty()) return FSession.FromUtf8(u8"方案名称不能为空");
    if (FSession.ToUtf8(scheme).size() > 60 || scheme.size() > 20) return FSession.FromUtf8(u8"方案名称过长");
    try {
        AnsiString answer;
        FSession.Transaction([&](TDbWriter& writer) {
            const TDbParams key{Variant(scheme), Variant(Trim(user)), Variant(Trim(program))};
            const bool found =
                !writer
                     .Select("SELECT 1 FROM DOCUS WHERE NCONDITION = ? AND CREATOR = ? AND PROGRAMME = ?",
                             key)
                     .Rows.empty();
            if (found && !replace) {
                answer = FSession.FromUtf8(u8"方案名称已经存在: ") + scheme;
                return;
            }
            writer.Exec(
                "INSERT OR REPLACE INTO DOCUS (NCONDITION, CREATOR, PROGRAMME, CREATE_DATE, VCONDITION, "
                "ActivePage) VALUES (?, ?, ?, ?, ?, ?)",
                {key[0], key[1], key[2], Variant(Trim(day)), Variant(text), Variant(page)});
        });
        return answer;
    } catch (const Exception& failure) {
        return failure.Message();
    }
}

AnsiString TSchemeProvider::Delete(const AnsiString& name, const AnsiString& user,
                                   const AnsiString& program) {
    try {
        Int64 changed = 0;
        FSession.Transaction([&](TDbWriter& writer) {
            changed = writer.Exec("DELETE FROM DOCUS WHERE NCONDITION = ? AND CREATOR = ? AND PROGRAMME = ?",
                                  {Variant(Trim(name)), Variant(Trim(user)), Variant(Trim(program))});
        });
        return changed ? AnsiString() : FSession.FromUtf8(u8"方案不存在: ") + Trim(name);
    } catch (const Exception& failure) {
        return failure.Message();
    }
}

AnsiString TSchemeProvider::Rename(const AnsiString& oldName, const AnsiString& user,
                                   const AnsiString& program, const AnsiString& newName,
                                   const AnsiString& newUser, const AnsiString& newProgram) {
    const AnsiString target = Trim(newName);
    if (target.empty()) return FSession.FromUtf8(u8"方案名称不能为空");
    if (target.size() > 20) return FSession.FromUtf8(u8"方案名称过长");
    try {
        AnsiString answer;
        FSession.Transaction([&](TDbWriter& writer) {
            const TDbParams to{Variant(target), Variant(Trim(newUser)), Variant(Trim(newProgram))};
            if (!writer
                     .Select("SELECT 1 FROM DOCUS WHERE NCONDITION = ? AND CREATOR = ? AND PROGRAMME = ?", to)
                     .Rows.empty()) {
                answer = FSession.FromUtf8(u8"方案名称已经存在: ") + target;
                return;
            }
            const Int64 changed = writer.Exec(
                "UPDATE DOCUS SET NCONDITION = ?, CREATOR = ?, PROGRAMME = ? "
                "WHERE NCONDITION = ? AND CREATOR = ? AND PROGRAMME = ?",
                {to[0], to[1], to[2], Variant(Trim(oldName)), Variant(Trim(user)), Variant(Trim(program))});
            if (changed == 0) answer = FSession.FromUtf8(u8"方案不存在: ") + Trim(oldName);
        });
        return answer;
    } catch (const Exception& failure) {
        return failure.Message();
    }
}
