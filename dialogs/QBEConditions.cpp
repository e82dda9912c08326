#include "dialogs/QBEConditions.h"

#include <cmath>

#include "classlib/rtl/datetime.h"
#include "classlib/rtl/format.h"
#include "classlib/rtl/strutils.h"
#include "framework/knlRadical.h"

KVR_PUBLISHED(TRecordInfo, c) {}
KVR_PUBLISHED(TRecordInfoList, c) {}

namespace {

// The operators a condition may carry, as the table maps its labels.
const char* const kOperators[] = {"=", ">=", "<=", ">", "<", "<>", "LLIKE", "RLIKE", "ILIKE", "IN"};

bool IsLikeWord(const AnsiString& op) {
    return op == "LLIKE" || op == "RLIKE" || op == "ILIKE";
}

AnsiString LikePattern(const AnsiString& op, const AnsiString& value) {
    if (op == "LLIKE") return QuotedStr(value + "%");
    if (op == "RLIKE") return QuotedStr("%" + value);
    return QuotedStr("%" + value + "%");
}

// The pieces of text between separators that stand outside parentheses and quoted texts.
std::vector<AnsiString> SplitOutside(const AnsiString& text, char separator) {
    std::vector<AnsiString> pieces;
    AnsiString piece;
    int depth = 0;
    char quote = 0;
    for (char ch : text) {
        if (quote) {
            if (ch == quote) quote = 0;
        } else if (ch == '\'' || ch == '"' || ch == '[') {
            quote = ch == '[' ? ']' : ch;
        } else if (ch == '(') {
            ++depth;
        } else if (ch == ')') {
            if (depth > 0) --depth;
        } else if (ch == separator && depth == 0) {
            pieces.push_back(piece);
            piece.clear();
            continue;
        }
        piece += ch;
    }
    pieces.push_back(piece);
    return pieces;
}

bool IsWordChar(char ch) {
    return (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z') || (ch >= '0' && ch <= '9') || ch == '_' ||
           ch == '$' || ch == '.' || static_cast<unsigned char>(ch) >= 0x80;
}

// The 1-based position of a keyword standing on its own outside parentheses and quotes; 0 when none.
int FindKeyword(const AnsiString& text, const AnsiString& keyword) {
    const AnsiString upper = UpperCase(text);
    int depth = 0;
    char quote = 0;
    for (size_t i = 0; i < upper.size(); ++i) {
        const char ch = upper[i];
        if (quote) {
            if (ch == quote) quote = 0;
            continue;
        }
        if (ch == '\'' || ch == '"')
            quote = ch;
        else if (ch == '(')
            ++depth;
        else if (ch == ')')
            --depth;
        else if (depth == 0 && upper.compare(i, keyword.size(), keyword) == 0 &&
                 (i == 0 || !IsWordChar(upper[i - 1])) &&
                 (i + keyword.size() == upper.size() || !IsWordChar(upper[i + keyword.size()])))
            return static_cast<int>(i) + 1;
    }
    return 0;
}

// A select-list entry as expression and alias ("EXPR ALIAS" after SelectListEntries).
void SplitEntry(const AnsiString& entry, AnsiString& expr, AnsiString& alias) {
    const size_t blank = entry.find_last_of(' ');
    if (blank == AnsiString::npos) {
        expr.clear();
        alias = entry;
        return;
    }
    expr = Trim(entry.substr(0, blank));
    alias = entry.substr(blank + 1);
}

// A piece of a comma list, 1-based; '' beyond its end.
std::vector<AnsiString> CommaPieces(const AnsiString& text) {
    std::vector<AnsiString> pieces;
    if (Trim(text).empty()) return pieces;
    size_t start = 0;
    for (;;) {
        const size_t comma = text.find(',', start);
        pieces.push_back(
            Trim(text.substr(start, comma == AnsiString::npos ? AnsiString::npos : comma - start)));
        if (comma == AnsiString::npos) break;
        start = comma + 1;
    }
    return pieces;
}

// The stored value of a pick-list label (its own text when no line shows it).
AnsiString PickValue(const TGridStrings* pickList, const AnsiString& value) {
    if (!pickList) return value;
    for (int i = 0; i < pickList->Count(); ++i)
        if (pickList->ShownText(i) == value) return pickList->ValueText(i);
    return value;
}

// The expression stands in the select list: as a whole word, or as the expression of one of its entries
// (ALIAS=EXPR puts an "=" before it).
bool InSelectList(const AnsiString& expr, const AnsiString& selectList);

} // namespace

int QBEFieldClass(int dataType) {
    switch (FieldTypeClass(static_cast<TFieldType>(dataType))) {
    case fcText:
        return 1;
    case fcNumber:
        return 0;
    default:
        return -1;
    }
}

TRecordInfo::TRecordInfo() : PickList(std::make_unique<TGridStrings>()) {}

TRecordInfoList::~TRecordInfoList() {
    Clear();
}

void TRecordInfoList::Clear() {
    for (int i = 0; i < Count(); ++i)
        delete GetObject(i);
    TStringList::Clear();
}

void TRecordInfoList::Delete(int index) {
    delete GetObject(index);
    TStringList::Delete(index);
}

void TRecordInfoList::AddRecord(const AnsiString& fieldName, TRecordInfo* record) {
    AddObject(fieldName + "=" + Trim(record->DisplayLabel), record);
}

TRecordInfo* TRecordInfoList::Record(int index) const {
    return static_cast<TRecordInfo*>(GetObject(index));
}

TRecordInfo* TRecordInfoList::FindRecord(const AnsiString& label) const {
    for (int i = 0; i < Count(); ++i)
        if (TRecordInfo* record = Record(i); record && SameText(record->DisplayLabel, label)) return record;
    return nullptr;
}

AnsiString DefaultOperatorLines() {
    return "等于\t=\r\n大于或等于\t>=\r\n小于或等于\t<=\r\n大于\t>\r\n小于\t<\r\n不等于\t<>\r\n"
           "起始于\tLLIKE\r\n终止于\tRLIKE\r\n包含\tILIKE\r\n存在于\tIN\r\n";
}

AnsiString QBEOperator(const AnsiString& label, const TStrings& operatorLines) {
    const AnsiString wanted = Trim(label);
    if (wanted.empty()) return "";
    for (int i = 0; i < operatorLines.Count(); ++i) {
        const AnsiString line = operatorLines.Strings(i);
        const size_t tab = line.find('\t');
        if (tab == AnsiString::npos || line.substr(0, tab) != wanted) continue;
        const AnsiString op = UpperCase(Trim(line.substr(tab + 1)));
        for (const char* known : kOperators)
            if (op == known) return op;
        return ""; // a table that maps a label to anything else sends nothing
    }
    return "";
}

AnsiString QBEConnective(const AnsiString& text) {
    const AnsiString word = UpperCase(Trim(text));
    return word == "AND" || word == "OR" ? word : AnsiString();
}

bool QBENumber(const AnsiString& text, AnsiString& out) {
    double value = 0;
    if (!TryStrToFloat(Trim(text), value) || !std::isfinite(value)) return false;
    out = FloatToStr(value);
    return true;
}

AnsiString DateToSQL(const AnsiString& text, int dateKind, const AnsiString& separator) {
    const AnsiString value = Trim(text);
    if (value.empty() || separator.empty()) return "";
    std::vector<int> parts;
    size_t start = 0;
    for (int i = 0; i < 3; ++i) {
        size_t end = i < 2 ? value.find(separator, start) : AnsiString::npos;
        if (i < 2 && end == AnsiString::npos) return "";
        int part = 0;
        if (!TryStrToInt(value.substr(start, end == AnsiString::npos ? AnsiString::npos : end - start), part))
            return "";
        parts.push_back(part);
        start = end + separator.size();
    }
    int year = 0, month = 0, day = 0;
    switch (dateKind) {
    case 1:
        year = parts[0], month = parts[1], day = parts[2];
        break;
    case 2:
        month = parts[0], day = parts[1], year = parts[2];
        break;
    case 3:
        day = parts[0], month = parts[1], year = parts[2];
        break;
    case 4:
    case 5:
        year = parts[0] + 1911, month = parts[1], day = parts[2];
        break;
    default:
        return "";
    }
    return Format("%d%.2d%.2d", {year, month, day});
}

namespace {

// YYYYMMDD of a date text when it is a day of the calendar; empty otherwise.
AnsiString CalendarDay(const AnsiString& text, const TQBEDateSettings& dates) {
    const AnsiString day = DateToSQL(text, dates.DateKind, dates.DateSeparator);
    TDateTime date;
    if (day.size() != 8 || !TryEncodeDate(StrToIntDef(day.substr(0, 4), 0), StrToIntDef(day.substr(4, 2), 0),
                                          StrToIntDef(day.substr(6, 2), 0), date))
        return "";
    return day;
}

// YYYYMM of a year-month text when its month is 1 to 12; empty otherwise.
AnsiString CalendarMonth(const AnsiString& text, const TQBEDateSettings& dates) {
    AnsiString month;
    ComposeYearMonth(text, dates.DateKind, dates.DateSeparator, month);
    const int m = month.size() >= 6 ? StrToIntDef(month.substr(4, 2), 0) : 0;
    return month.size() >= 6 && m >= 1 && m <= 12 ? month : AnsiString();
}

} // namespace

TQBERowCheck CheckRowValue(const TConditionRow& row, const TRecordInfoList& records,
                           const TStrings& operatorLines, const TQBEDateSettings& dates) {
    TQBERowCheck check;
    const AnsiString op = QBEOperator(row.Operator, operatorLines);
    if (Trim(row.Field).empty() || op.empty() || Trim(row.Value).empty()) return check;
    const TRecordInfo* record = records.FindRecord(Trim(row.Field));
    if (!record || QBEFieldClass(record->DataType) < 0) return check;
    AnsiString value = row.Value;
    if (op != "IN") value = PickValue(record->PickList.get(), value);
    const bool dateMask = !record->EditMask.empty() && record->EditMask == dates.DateMask;
    const bool monthMask = !record->EditMask.empty() && record->EditMask == dates.YMMask;
    if (dateMask || monthMask) {
        // A mask left blank (only its separators) is no value at all.
        if (Trim(StringReplace(value, dates.DateSeparator, "", rfReplaceAll)).empty()) return check;
        if ((dateMask ? CalendarDay(value, dates) : CalendarMonth(value, dates)).empty())
            check = {dateMask ? TQBEValueFault::Date : TQBEValueFault::Month, Trim(value)};
        return check;
    }
    if (QBEFieldClass(record->DataType) != 0) return check;
    AnsiString number;
    if (op != "IN") {
        if (!QBENumber(value, number)) check = {TQBEValueFault::Number, Trim(value)};
        return check;
    }
    for (const AnsiString& piece : CommaPieces(value))
        if (!piece.empty() && !QBENumber(piece, number)) return {TQBEValueFault::Number, piece};
    return check;
}

AnsiString RowCondition(const TConditionRow& row, const TRecordInfoList& records,
                        const TStrings& operatorLines, const TQBEDateSettings& dates) {
    const AnsiString label = Trim(row.Field);
    const AnsiString op = QBEOperator(row.Operator, operatorLines);
    const AnsiString connective = QBEConnective(row.Connective);
    AnsiString value = row.Value;
    if (label.empty() || op.empty() || connective.empty() || Trim(value).empty()) return "";
    const TRecordInfo* record = records.FindRecord(label);
    if (!record || Trim(record->ColumnExpr).empty()) return "";
    const int fieldClass = QBEFieldClass(record->DataType);
    if (fieldClass < 0) return "";
    if (op != "IN") value = PickValue(record->PickList.get(), value);
    if (!record->EditMask.empty() && record->EditMask == dates.DateMask) {
        value = DateToSQL(value, dates.DateKind, dates.DateSeparator);
    } else if (!record->EditMask.empty() && record->EditMask == dates.YMMask) {
        AnsiString month;
        ComposeYearMonth(value, dates.DateKind, dates.DateSeparator, month);
        value = month;
    }
    if (value.empty()) return "";

    AnsiString text;
    if (op == "IN") {
        AnsiString list;
        for (const AnsiString& piece : CommaPieces(value)) {
            AnsiString item;
            if (fieldClass == 0) {
                // Every piece of a number field's list is a number, or the row says nothing; a piece
                // left empty between two commas stands for nothing.
                if (piece.empty()) continue;
                if (!QBENumber(piece, item)) return "";
            } else {
                item = QuotedStr(piece.empty() ? piece : PickValue(record->PickList.get(), piece));
            }
            list += (list.empty() ? "" : ",") + item;
        }
        if (list.empty()) return "";
        text = record->ColumnExpr + " IN (" + list + ")";
    } else {
        if (fieldClass == 0 && !QBENumber(value, value)) return "";
        if (IsLikeWord(op))
            text = record->ColumnExpr + " like " + LikePattern(op, value);
        else
            text = record->ColumnExpr + " " + op + " " + (fieldClass == 0 ? value : QuotedStr(value));
    }
    return Trim(text) + " " + connective;
}

AnsiString GridCondition(const std::vector<TConditionRow>& rows, const TRecordInfoList& records,
                         const TStrings& operatorLines, const TQBEDateSettings& dates) {
    AnsiString where;
    for (const TConditionRow& row : rows) {
        const AnsiString r = RowCondition(row, records, operatorLines, dates);
        if (r.size() < 3) continue;
        where += " (" + r.substr(0, r.size() - 3) + ") " + r.substr(r.size() - 3);
    }
    if (where.size() >= 3) where.erase(where.size() - 3);
    return where;
}

std::vector<TConditionRow> GridRows(const TStringGrid* grid) {
    std::vector<TConditionRow> rows;
    for (int r = 1; r < grid->RowCount(); ++r)
        rows.push_back({grid->Cells(0, r), grid->Cells(1, r), grid->Cells(2, r), grid->Cells(3, r)});
    return rows;
}

int QBEFindWholeWord(const AnsiString& word, const AnsiString& list) {
    if (word.empty()) return 0;
    const size_t p = list.find(word);
    if (p == AnsiString::npos) return 0;
    auto bound = [](char ch) { return ch == '\n' || ch == '\r' || ch == ' ' || ch == ','; };
    const size_t after = p + word.size();
    if ((p == 0 || bound(list[p - 1])) && (after == list.size() || bound(list[after])))
        return static_cast<int>(p) + 1;
    return 0;
}

std::vector<AnsiString> SelectListEntries(const AnsiString& selectList) {
    AnsiString columns = Trim(selectList);
    if (FindKeyword(columns, "SELECT") == 1) {
        columns = columns.substr(6);
        if (const int from = FindKeyword(columns, "FROM"); from > 0) columns = columns.substr(0, from - 1);
    }
    std::vector<AnsiString> entries;
    if (Trim(columns).empty()) return entries;
    for (AnsiString piece : SplitOutside(columns, ',')) {
        piece = Trim(piece);
        const size_t equals = piece.find('=');
        if (equals != AnsiString::npos) {
            const AnsiString alias = Trim(piece.substr(0, equals));
            if (!alias.empty() && alias.find(' ') == AnsiString::npos) {
                entries.push_back(Trim(piece.substr(equals + 1)) + " " + alias);
                continue;
            }
        }
        if (const int as = FindKeyword(piece, "AS"); as > 1) {
            const AnsiString alias = Trim(piece.substr(as + 1));
            if (!alias.empty() && alias.find(' ') == AnsiString::npos) {
                entries.push_back(Trim(piece.substr(0, as - 1)) + " " + alias);
                continue;
            }
        }
        entries.push_back(piece.find(' ') == AnsiString::npos ? " " + piece : piece);
    }
    return entries;
}

AnsiString QualifiedColumn(const AnsiString& table, const AnsiString& field) {
    return Trim(table).empty() ? field : Trim(table) + "." + field;
}

bool IsColumnName(const AnsiString& name) {
    if (name.empty() || (name[0] >= '0' && name[0] <= '9')) return false;
    for (char ch : name)
        if (!((ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z') || (ch >= '0' && ch <= '9') || ch == '_'))
            return false;
    return true;
}

AnsiString SelectExpression(const AnsiString& fieldName, const AnsiString& table,
                            const AnsiString& selectList, bool& found) {
    found = false;
    for (const AnsiString& entry : SelectListEntries(selectList)) {
        AnsiString expr, alias;
        SplitEntry(entry, expr, alias);
        // A plain column (table.FIELD or FIELD) names the field too.
        const size_t dot = alias.find_last_of('.');
        const AnsiString column = dot == AnsiString::npos ? alias : alias.substr(dot + 1);
        if (!SameText(column, fieldName)) continue;
        found = true;
        if (!expr.empty()) return expr;
        return dot == AnsiString::npos ? QualifiedColumn(table, fieldName) : alias;
    }
    return "";
}

AnsiString GridColumnExpression(const AnsiString& fieldName, const AnsiString& table,
                                const AnsiString& selectList) {
    if (!IsColumnName(fieldName)) return "";
    int suffix = 0;
    const bool numbered =
        fieldName.size() >= 2 && TryStrToInt(fieldName.substr(fieldName.size() - 2), suffix) && suffix >= 1 &&
        fieldName.substr(fieldName.size() - 2).find_first_not_of("0123456789") == AnsiString::npos;
    if (SameText(table, "ATTACH") || numbered) return QualifiedColumn(table, fieldName);
    bool found = false;
    const AnsiString expr = SelectExpression(fieldName, table, selectList, found);
    if (found) return expr;
    if (Trim(selectList).empty()) return "";
    return QualifiedColumn(table, fieldName);
}

AnsiString DbQualifiedTable(const AnsiString& database, const AnsiString& table, bool skipDbQualifier) {
    // The name comes from the host's start parameters: anything but a plain name is never pasted.
    if (skipDbQualifier || !IsColumnName(Trim(database))) return "$$" + table;
    return Trim(database) + ".." + table;
}

AnsiString AdvancedCondition(int opIndex, const AnsiString& value, const AnsiString& expr,
                             const AnsiString& field, const AnsiString& table, const AnsiString& selectList,
                             int dataType, int databaseKind) {
    static const char* const operators[] = {"=", ">=", "<=", ">", "<", "<>", "like", "like", "like"};
    if (opIndex < 0 || opIndex > 8 || !IsColumnName(field)) return "";
    const bool like = opIndex >= 6;
    const bool numeric = IsNumberField(static_cast<TFieldType>(dataType));
    AnsiString v = value;
    if (numeric && !QBENumber(v, v)) return "";
    if (opIndex == 6)
        v = v + "%";
    else if (opIndex == 7)
        v = "%" + v;
    else if (opIndex == 8)
        v = "%" + v + "%";
    // A pattern is always text; a number compared as a number is written back from its value.
    const AnsiString shown = numeric && !like ? v : QuotedStr(v);
    const AnsiString op = operators[opIndex];
    const bool inList = InSelectList(expr, selectList);
    if (inList) return "(" + expr + " " + op + " " + shown + ")";
    const AnsiString t = Trim(table);
    const AnsiString p = t.empty() ? "" : ".";
    if (!numeric && (SameText(field, "CREATE_DATE") || SameText(field, "MODI_DATE"))) {
        if (databaseKind == 0) return "(SUBSTRING(" + t + p + field + " ,1,8 ) " + op + " " + shown + ")";
        return "(SUBSTR(" + t + p + field + ", 1, 8) " + op + " " + shown + ")";
    }
    return "(" + t + p + field + " " + op + " " + shown + ")";
}

AnsiString SortCondition(const std::vector<TSortItem>& items, const AnsiString& table,
                         const AnsiString& selectList) {
    AnsiString order;
    for (const TSortItem& item : items) {
        const size_t tab = item.Text.find('\t');
        AnsiString e = Trim(tab == AnsiString::npos ? item.Text : item.Text.substr(tab + 1));
        if (e.empty()) continue;
        if (!InSelectList(e, selectList)) e = QualifiedColumn(table, e);
        order += e + (item.Descending ? " desc," : " asc,");
    }
    if (!order.empty()) order.pop_back();
    return order;
}

AnsiString DetailCondition(const AnsiString& where, const AnsiString& detail, const AnsiString& headTable,
                           const AnsiString& keyList, const AnsiString& bodyTable, const AnsiString& linkList,
                           const AnsiString& extraFrom, const AnsiString& database, bool skipDbQualifier) {
    if (Trim(detail).empty()) return where;
    const std::vector<AnsiString> keys = CommaPieces(keyList);
    const std::vector<AnsiString> links = CommaPieces(linkList);
    const AnsiString hp = Trim(headTable).empty() ? "" : headTable + ".";
    const AnsiString bp = Trim(bodyTable).empty() ? "" : bodyTable + ".";
    AnsiString link;
    for (size_t i = 0; i < keys.size() && i < links.size(); ++i)
        link += " (" + hp + keys[i] + "=" + bp + links[i] + ")" + " and ";
    const AnsiString sub = " select count(*) FROM " + DbQualifiedTable(database, bodyTable, skipDbQualifier) +
                           " " + bodyTable + extraFrom + " where " + link + " ( " + Trim(detail) + " ) ";
    return (where.empty() ? AnsiString() : "(" + where + ")" + " and ") + " (" + sub + ") > 0 ";
}

namespace {

bool InSelectList(const AnsiString& expr, const AnsiString& selectList) {
    if (Trim(expr).empty()) return false;
    if (QBEFindWholeWord(expr, selectList) > 0) return true;
    for (const AnsiString& entry : SelectListEntries(selectList)) {
        AnsiString e, alias;
        SplitEntry(entry, e, alias);
        if (e == Trim(expr)) return true;
    }
    return false;
}

} // namespace
