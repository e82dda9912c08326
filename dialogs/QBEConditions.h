#pragma once
// The SQL texts of the query-by-example dialog: the condition rows of its general grid turned into the
// WHERE text by field type, the lines of its advanced and detail pages, the sort text and the detail
// sub-query, and the reading of a select list.
//
// Every text that reaches the server is built here from three kinds of pieces only: column names and
// expressions that come from the data set's fields and the program's select list, operators and
// connectives taken from their fixed lists, and values that are quoted (inner quotes doubled) or read
// and written back as numbers. A row whose operator, connective or number is not one of those gives no
// condition at all, so typed text never reaches the server's SELECT.
#include <memory>
#include <vector>

#include "classlib/db/dbconsts.h"
#include "classlib/db/fieldtypes.h"
#include "classlib/objects/stringlist.h"
#include "components/Aligrid.h"

// Field-type classes of the general grid (from the one field-class table): -1 not offered, 0 numeric,
// 1 quoted. The advanced page takes the same numbers.
int QBEFieldClass(int dataType);

// One queryable column of the general grid.
class TRecordInfo : public TObject {
    KVR_CLASS(TRecordInfo, TObject)
public:
    TRecordInfo();
    AnsiString DisplayLabel;
    AnsiString ColumnExpr; // the SQL text the condition names
    AnsiString EditMask;
    std::unique_ptr<TGridStrings> PickList; // label, TAB, stored value
    int DataType = 1;                       // the field's data-type code
    bool CheckBox = false;
};

// "fieldname=label" lines, each with its record, which the list owns.
class TRecordInfoList : public TStringList {
    KVR_CLASS(TRecordInfoList, TStringList)
public:
    TRecordInfoList() = default;
    ~TRecordInfoList() override;
    void Clear() override;
    void Delete(int index) override;
    // Takes the record over.
    void AddRecord(const AnsiString& fieldName, TRecordInfo* record);
    TRecordInfo* Record(int index) const;
    // The first record whose label equals label ignoring case; nil when none.
    TRecordInfo* FindRecord(const AnsiString& label) const;
};

// The operator table: label, TAB, operator, one line each (the default of the language text).
AnsiString DefaultOperatorLines();
// The operator of a label through the table's lines: one of =, >=, <=, >, <, <>, LLIKE, RLIKE, ILIKE, IN
// (upper-case); empty when the label is not in the table or the table maps it to anything else.
AnsiString QBEOperator(const AnsiString& label, const TStrings& operatorLines);
// "AND" or "OR" for a connective cell (either case, blanks around); empty for anything else.
AnsiString QBEConnective(const AnsiString& text);
// A number as the float-to-text form of its value; false (and out untouched) when text is no number.
bool QBENumber(const AnsiString& text, AnsiString& out);

// How a row's dates and months are read: the data module's masks and the user's date settings.
struct TQBEDateSettings {
    AnsiString DateMask;
    AnsiString YMMask;
    int DateKind = 1;
    AnsiString DateSeparator = "/";
};

// YYYYMMDD of a date text by date kind (1 y/m/d, 2 m/d/y, 3 d/m/y, 4 and 5 a Minguo year first); empty
// when a part is no number or the kind is unknown.
AnsiString DateToSQL(const AnsiString& text, int dateKind, const AnsiString& separator);

// One row of the general grid as its cells hold it.
struct TConditionRow {
    AnsiString Field, Operator, Value, Connective;
};

// What is wrong with the value of a row that names a field: a number field's value (or a piece of its IN
// list) that is no number, a date or a year-month that is not one. Piece is the text at fault.
enum class TQBEValueFault { None, Number, Date, Month };
struct TQBERowCheck {
    TQBEValueFault Fault = TQBEValueFault::None;
    AnsiString Piece;
};
// The check of one row's value; None for a row that gives nothing anyway (no field, no operator, a blank
// value, a field that is not offered).
TQBERowCheck CheckRowValue(const TConditionRow& row, const TRecordInfoList& records,
                           const TStrings& operatorLines, const TQBEDateSettings& dates);

// The condition of one row followed by a blank and its connective; empty when the row gives none.
AnsiString RowCondition(const TConditionRow& row, const TRecordInfoList& records,
                        const TStrings& operatorLines, const TQBEDateSettings& dates);
// The WHERE text of the rows (without the word WHERE): each row in parentheses, joined by the
// connective of the row before it; the last row's connective is dropped.
AnsiString GridCondition(const std::vector<TConditionRow>& rows, const TRecordInfoList& records,
                         const TStrings& operatorLines, const TQBEDateSettings& dates);
// The data rows of a grid (row 0 is its header): columns field, operator, value, connective.
std::vector<TConditionRow> GridRows(const TStringGrid* grid);

// 1-based position of word in list when it stands there as a whole word (bounded by the start or end,
// LF, CR, a blank or a comma); only the first occurrence counts; 0 otherwise and for an empty word.
// (TQBEForm::FindWholeWord; the framework's own FindWholeWord of FieldLists.h looks past the first
// occurrence and knows more delimiters.)
int QBEFindWholeWord(const AnsiString& word, const AnsiString& list);

// The entries of a select list: the columns between SELECT and FROM (the whole text when it does not
// start with SELECT), cut at the commas outside parentheses and quotes, each trimmed and written as
// "EXPR ALIAS": ALIAS=EXPR is turned round, EXPR AS ALIAS loses its AS, and a bare column becomes a
// blank and the column.
std::vector<AnsiString> SelectListEntries(const AnsiString& selectList);
// The expression that a select list gives a field: the expression of the entry whose alias is the field
// (ignoring case), or qualified table.field when the list names it as a plain column; found false when
// no entry names it.
AnsiString SelectExpression(const AnsiString& fieldName, const AnsiString& table,
                            const AnsiString& selectList, bool& found);
// table.field, or field alone when table is blank.
AnsiString QualifiedColumn(const AnsiString& table, const AnsiString& field);
// A plain column name (letters, digits and underscores, not starting with a digit).
bool IsColumnName(const AnsiString& name);
// The column expression of a field of the general grid: table.field for ATTACH and for fields named
// like TA001, else what the select list gives it (table.field when the list does not name it, none
// when the list is empty).
AnsiString GridColumnExpression(const AnsiString& fieldName, const AnsiString& table,
                                const AnsiString& selectList);

// A table of another database in the texts the dialogs send: DATABASE..TABLE, or $$TABLE (the company
// database) when the database name is not a plain name (none included) or the form skips the qualifier.
AnsiString DbQualifiedTable(const AnsiString& database, const AnsiString& table, bool skipDbQualifier);

// One line of the advanced or detail page. opIndex is the index in the operator list (0 = .. 8
// contains); expr the select expression or field name of the picked item, field its field name; value
// the stored text of the value field. Numbers of the numeric set are checked and written back;
// everything else is quoted. Empty when there is nothing to add (no operator, a value that is no
// number, a date column on a database kind without SUBSTRING).
AnsiString AdvancedCondition(int opIndex, const AnsiString& value, const AnsiString& expr,
                             const AnsiString& field, const AnsiString& table, const AnsiString& selectList,
                             int dataType, int databaseKind);
// The sort text of sort items (label, TAB, expression; descending when checked).
struct TSortItem {
    AnsiString Text;
    bool Descending = false;
};
AnsiString SortCondition(const std::vector<TSortItem>& items, const AnsiString& table,
                         const AnsiString& selectList);
// WHERE with the detail sub-query: the head keys linked to the body's link fields position by position
// (pairs beyond the shorter list are left out).
AnsiString DetailCondition(const AnsiString& where, const AnsiString& detail, const AnsiString& headTable,
                           const AnsiString& keyList, const AnsiString& bodyTable, const AnsiString& linkList,
                           const AnsiString& extraFrom, const AnsiString& database, bool skipDbQualifier);
