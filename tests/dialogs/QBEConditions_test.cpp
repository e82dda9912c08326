// The WHERE, sort and detail texts of the query-by-example dialog, and the reading of select lists.
#include "dialogs/QBEConditions.h"

#include <gtest/gtest.h>

namespace {

const TQBEDateSettings kDates{"!9999/99/99;1;_", "!9999/99;1;_", 1, "/"};

// The columns of a letter-of-credit head as the grid offers them.
class Records {
public:
    Records() {
        Operators.SetText(DefaultOperatorLines());
        Add("TA002", "单号", "KVRTA.TA002", ftString);
        Add("TA010", "远期天数", "KVRTA.TA010", ftInteger);
        Add("TA018", "开证金额", "KVRTA.TA018", ftFloat);
        TRecordInfo* kind = Add("TA003", "类别", "KVRTA.TA003", ftFixedChar);
        kind->PickList->SetText("即期\t1\r\n远期\t2\r\n");
        Add("TA008", "开证日期", "KVRTA.TA008", ftString)->EditMask = kDates.DateMask;
        Add("TA050", "月份", "KVRTA.TA050", ftString)->EditMask = kDates.YMMask;
        Add("TA099", "备注", "KVRTA.TA099", ftMemo);
    }
    TRecordInfo* Add(const char* name, const char* label, const char* expr, int type) {
        auto* record = new TRecordInfo;
        record->DisplayLabel = label;
        record->ColumnExpr = expr;
        record->DataType = type;
        List.AddRecord(name, record);
        return record;
    }
    AnsiString Row(const TConditionRow& row) const { return RowCondition(row, List, Operators, kDates); }
    AnsiString Where(const std::vector<TConditionRow>& rows) const {
        return GridCondition(rows, List, Operators, kDates);
    }

    TRecordInfoList List;
    TStringList Operators;
};

TEST(QBERowCondition, ValuesAreQuotedOrReadAsNumbersByFieldType) {
    Records records;
    struct {
        TConditionRow Row;
        const char* Expected;
    } cases[] = {
        {{"单号", "等于", "A01", "AND"}, "KVRTA.TA002 = 'A01' AND"},
        {{" 单号 ", " 不等于 ", "O'Brien", "or"}, "KVRTA.TA002 <> 'O''Brien' OR"},
        {{"单号", "起始于", "A'1", "AND"}, "KVRTA.TA002 like 'A''1%' AND"},
        {{"单号", "终止于", "01", "AND"}, "KVRTA.TA002 like '%01' AND"},
        {{"单号", "包含", "0", "AND"}, "KVRTA.TA002 like '%0%' AND"},
        {{"单号", "存在于", "A, B,C", "AND"}, "KVRTA.TA002 IN ('A','B','C') AND"},
        {{"单号", "存在于", "A,,B", "AND"}, "KVRTA.TA002 IN ('A','','B') AND"},
        {{"远期天数", "起始于", "5", "AND"}, "KVRTA.TA010 like '5%' AND"},
        {{"开证金额", "等于", "1.50", "AND"}, "KVRTA.TA018 = 1.5 AND"},
        {{"开证金额", "大于或等于", "-2", "AND"}, "KVRTA.TA018 >= -2 AND"},
        {{"远期天数", "存在于", "1, 2", "AND"}, "KVRTA.TA010 IN (1,2) AND"},
        {{"远期天数", "存在于", "1.0,2e1", "AND"}, "KVRTA.TA010 IN (1,20) AND"},
        // A number list's empty piece stands for nothing (a text list's is the empty text).
        {{"远期天数", "存在于", "1,,2", "AND"}, "KVRTA.TA010 IN (1,2) AND"},
        // A pick-list label is sent as its stored value; under IN only the pieces are mapped.
        {{"类别", "等于", "远期", "AND"}, "KVRTA.TA003 = '2' AND"},
        {{"类别", "存在于", "即期,远期,3", "AND"}, "KVRTA.TA003 IN ('1','2','3') AND"},
        {{"开证日期", "大于", "2026/11/8", "AND"}, "KVRTA.TA008 > '20261108' AND"},
        {{"月份", "等于", "2026/11", "AND"}, "KVRTA.TA050 = '202611' AND"},
        // Rows that say nothing.
        {{"开证金额", "等于", "abc", "AND"}, ""},
        {{"开证金额", "等于", "1 OR 1=1", "AND"}, ""},
        {{"远期天数", "存在于", "1, 2) OR (1=1", "AND"}, ""},
        {{"远期天数", "存在于", " , ", "AND"}, ""},
        {{"单号", "等于", "   ", "AND"}, ""},
        {{"", "等于", "A", "AND"}, ""},
        {{"无此栏", "等于", "A", "AND"}, ""},
        {{"备注", "等于", "A", "AND"}, ""},
        {{"开证日期", "等于", "2026/13", "AND"}, ""},
        // Operators and connectives come from their lists only.
        {{"单号", "= 'x' OR 1=1 --", "A", "AND"}, ""},
        {{"单号", "=", "A", "AND"}, ""},
        {{"单号", "", "A", "AND"}, ""},
        {{"单号", "等于", "A", "OR 1=1 OR"}, ""},
        {{"单号", "等于", "A", ""}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Row.Field + " | " + c.Row.Operator + " | " + c.Row.Value + " | " + c.Row.Connective);
        EXPECT_EQ(records.Row(c.Row), c.Expected);
    }
}

TEST(QBERowCondition, AnOperatorTableMayRenameLabelsButNotInventOperators) {
    Records records;
    records.Operators.SetText("eq\t=\r\nbad\t= 1 OR 1 =\r\nin\tin\r\n");
    EXPECT_EQ(records.Row({"单号", "eq", "A", "AND"}), "KVRTA.TA002 = 'A' AND");
    EXPECT_EQ(records.Row({"单号", "in", "A,B", "AND"}), "KVRTA.TA002 IN ('A','B') AND");
    EXPECT_EQ(records.Row({"单号", "bad", "A", "AND"}), "");
    EXPECT_EQ(records.Row({"单号", "等于", "A", "AND"}), "");
}

TEST(QBEGridCondition, RowsJoinByTheConnectiveOfTheRowBefore) {
    Records records;
    struct {
        std::vector<TConditionRow> Rows;
        const char* Expected;
    } cases[] = {
        {{}, ""},
        {{{"", "", "", ""}}, ""},
        {{{"单号", "等于", "A01", "AND"}, {"开证金额", "大于或等于", "3", "AND"}},
         " (KVRTA.TA002 = 'A01' ) AND (KVRTA.TA018 >= 3 ) "},
        {{{"单号", "等于", "A01", "OR"}, {"开证金额", "大于或等于", "3", "OR"}},
         " (KVRTA.TA002 = 'A01')  OR (KVRTA.TA018 >= 3) "},
        // The middle row gives nothing: the first row's connective joins the other two.
        {{{"单号", "等于", "A", "OR"}, {"", "等于", "", "AND"}, {"远期天数", "小于", "9", "AND"}},
         " (KVRTA.TA002 = 'A')  OR (KVRTA.TA010 < 9 ) "},
        {{{"开证金额", "等于", "x", "OR"}, {"单号", "等于", "A", "AND"}}, " (KVRTA.TA002 = 'A' ) "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Expected);
        EXPECT_EQ(records.Where(c.Rows), c.Expected);
    }
}

TEST(QBEDateToSQL, DatesByKind) {
    struct {
        const char* Text;
        int Kind;
        const char* Sep;
        const char* Expected;
    } cases[] = {
        {"2026/1/5", 1, "/", "20260105"}, {"1/5/2026", 2, "/", "20260105"}, {"5-1-2026", 3, "-", "20260105"},
        {"115/1/5", 4, "/", "20260105"},  {"115/1/5", 5, "/", "20260105"},  {"2026/1/5", 6, "/", ""},
        {"2026/x/5", 1, "/", ""},         {"2026/1", 1, "/", ""},           {"  ", 1, "/", ""},
        {"2026/1/5/7", 1, "/", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DateToSQL(c.Text, c.Kind, c.Sep), c.Expected) << c.Text << " kind " << c.Kind;
}

TEST(QBESelectList, WholeWordsAndEntries) {
    struct {
        const char* Word;
        const char* List;
        int Expected;
    } words[] = {
        {"TA001", "KVRTA.TA0011, TA001", 0}, // only the first occurrence counts
        {"TA001", "TA001,TA002", 1},
        {"TA002", "TA001,TA002", 7},
        {"TA002", "TA001\r\nTA002 X", 8},
        {"", "TA001", 0},
        {"TA001", "", 0},
        {"WOQMB.MB002", "x, WOQMB.MB002 SUPPNAME", 4},
    };
    for (const auto& w : words)
        EXPECT_EQ(QBEFindWholeWord(w.Word, w.List), w.Expected) << w.Word << " in " << w.List;

    const std::vector<AnsiString> entries =
        SelectListEntries("SELECT KVRTA.*, SUPPNAME=WOQMB.MB002, KVRTA.TA018 + KVRTA.TA019 AS TA019C, "
                          "SUBSTRING(KVRTA.TA008, 1, 6) TA008M, TA005 FROM $$KVRTA KVRTA LEFT JOIN X ON 1=1");
    const std::vector<AnsiString> expected = {" KVRTA.*", "WOQMB.MB002 SUPPNAME",
                                              "KVRTA.TA018 + KVRTA.TA019 TA019C",
                                              "SUBSTRING(KVRTA.TA008, 1, 6) TA008M", " TA005"};
    EXPECT_EQ(entries, expected);
    EXPECT_TRUE(SelectListEntries("  ").empty());
}

TEST(QBESelectList, ColumnExpressionsComeFromTheFieldsAndTheSelectList) {
    const char* select =
        "KVRTA.*, SUPPNAME=WOQMB.MB002, KVRTA.TA018 + KVRTA.TA019 AS TA019C, BYVMA.MA002 SUPPX";
    struct {
        const char* Field;
        const char* Table;
        const char* Select;
        const char* Expected;
    } cases[] = {
        {"TA001", "KVRTA", select, "KVRTA.TA001"},
        {"SUPPNAME", "KVRTA", select, "WOQMB.MB002"},
        {"TA019C", "KVRTA", select, "KVRTA.TA018 + KVRTA.TA019"},
        {"SUPPX", "KVRTA", select, "BYVMA.MA002"},
        {"OTHER", "KVRTA", select, "KVRTA.OTHER"},
        {"OTHER", "KVRTA", "", ""},
        {"Parent", "ATTACH", "", "ATTACH.Parent"},
        {"TA001", "", select, "TA001"},
        {"TA0", "KVRTA", "", ""}, // a suffix of 0 is no numbered field
        {"BAD NAME", "KVRTA", select, ""},
        {"X;DROP", "KVRTA", select, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GridColumnExpression(c.Field, c.Table, c.Select), c.Expected) << c.Field;
}

TEST(QBEAdvancedPage, LinesQuoteTextAndCheckNumbers) {
    const char* select = "KVRTA.*, SUPPNAME=WOQMB.MB002";
    struct {
        int Op;
        const char* Value;
        const char* Expr;
        const char* Field;
        int Type;
        int Kind;
        const char* Expected;
    } cases[] = {
        {0, "Y", "TA009", "TA009", ftString, 0, "(KVRTA.TA009 = 'Y')"},
        {0, "it's", "TA009", "TA009", ftString, 0, "(KVRTA.TA009 = 'it''s')"},
        {6, "A", "TA004", "TA004", ftString, 0, "(KVRTA.TA004 like 'A%')"},
        {3, "5", "TA010", "TA010", ftInteger, 0, "(KVRTA.TA010 > 5)"},
        {3, "1.50", "TA010", "TA010", ftFloat, 0, "(KVRTA.TA010 > 1.5)"},
        {6, "5", "TA010", "TA010", ftInteger, 0, "(KVRTA.TA010 like '5%')"},
        {8, "5", "TA010", "TA010", ftInteger, 0, "(KVRTA.TA010 like '%5%')"},
        {0, "1 OR 1=1", "TA010", "TA010", ftInteger, 0, ""},
        // Currency and decimal fields are numbers too; byte fields are no numbers.
        {0, "12.50", "TA011", "TA011", ftCurrency, 0, "(KVRTA.TA011 = 12.5)"},
        {0, "abc", "TA011", "TA011", ftBCD, 0, ""},
        {0, "A1", "TA012", "TA012", ftBytes, 0, "(KVRTA.TA012 = 'A1')"},
        {0, "x", "WOQMB.MB002", "SUPPNAME", ftString, 0, "(WOQMB.MB002 = 'x')"},
        {1, "20260101", "CREATE_DATE", "CREATE_DATE", ftString, 0,
         "(SUBSTRING(KVRTA.CREATE_DATE ,1,8 ) >= '20260101')"},
        {1, "20260101", "CREATE_DATE", "CREATE_DATE", ftString, 1,
         "(SUBSTR(KVRTA.CREATE_DATE, 1, 8) >= '20260101')"},
        {9, "A", "TA004", "TA004", ftString, 0, ""},
        {-1, "A", "TA004", "TA004", ftString, 0, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AdvancedCondition(c.Op, c.Value, c.Expr, c.Field, "KVRTA", select, c.Type, c.Kind),
                  c.Expected)
            << c.Field << " " << c.Value;
}

TEST(QBEAdvancedPage, SortAndDetailTexts) {
    EXPECT_EQ(SortCondition({{"单号      \tTA002", true}, {"供应商\tWOQMB.MB002", false}}, "KVRTA",
                            "KVRTA.*, WOQMB.MB002 SUPPNAME"),
              "KVRTA.TA002 desc,WOQMB.MB002 asc");
    EXPECT_EQ(SortCondition({}, "KVRTA", ""), "");
    EXPECT_EQ(
        DetailCondition("(KVRTA.TA009 = 'Y')", "(KVRTB.TB004 like 'A%')", "KVRTA", "TA001", "KVRTB", "TB001",
                        "", "DB", false),
        "((KVRTA.TA009 = 'Y')) and  ( select count(*) FROM DB..KVRTB KVRTB where  (KVRTA.TA001=KVRTB.TB001) "
        "and  ( (KVRTB.TB004 like 'A%') ) ) > 0 ");
    // A link list shorter than the keys links the pairs it has; no database name or a skipped qualifier
    // names the company database.
    EXPECT_EQ(DetailCondition("", "X", "KVRTA", "TA001,TA002", "KVRTB", "TB001", "", "DB", true),
              " ( select count(*) FROM $$KVRTB KVRTB where  (KVRTA.TA001=KVRTB.TB001) and  ( X ) ) > 0 ");
    EXPECT_EQ(DetailCondition("W", " ", "KVRTA", "TA001", "KVRTB", "TB001", "", "DB", false), "W");
}

} // namespace
