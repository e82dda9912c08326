// The columns a program's select list joins in, queried through the grid against the application
// server (in process and over TCP), and the names the dialogs put into the texts they send.
#include <gtest/gtest.h>

#include <tuple>

#include "dialogs/QBEConditions.h"
#include "framework/BaseCD.h"
#include "tests/standins/appserver/serverfixture.h"

namespace {

class JoinedColumns : public testing::TestWithParam<TReach> {
protected:
    TServerDatabase Db;
    TServerReach Reach{GetParam()};
};

INSTANTIATE_TEST_SUITE_P(Reach, JoinedColumns, testing::Values(TReach::InProcess, TReach::Tcp), ReachName);

TEST_P(JoinedColumns, TakeTheirExpressionsFromTheSelectList) {
    Variant server = Reach.AppServer();
    const std::string before = Db.Fingerprint();
    // The select list as the data module hands it over.
    const AnsiString select = MainSelectFields(
        "SELECT KVRTA.*, TAZMQ.MQ002 AS TA001C, CASE WHEN TAZMO.MO001 IS NULL THEN GIMMA.MA002 ELSE "
        "TAZMO.MO002 END AS TA006C, KVRTA.TA018 + KVRTA.TA019 AS TA019C, ISNULL(BYVMA.MA002, KVRTA.TA005) "
        "TA005C "
        "FROM $$KVRTA KVRTA");
    TRecordInfoList records;
    for (auto [name, label, type] :
         {std::tuple{"TA006C", "开证银行", int(ftString)}, std::tuple{"TA019C", "信用证金额", int(ftFloat)},
          std::tuple{"TA005C", "供应商", int(ftString)}}) {
        auto* record = new TRecordInfo;
        record->DisplayLabel = label;
        record->ColumnExpr = GridColumnExpression(name, "KVRTA", select);
        record->DataType = type;
        records.AddRecord(name, record);
    }
    EXPECT_EQ(records.FindRecord("信用证金额")->ColumnExpr, "KVRTA.TA018 + KVRTA.TA019");
    EXPECT_EQ(records.FindRecord("供应商")->ColumnExpr,
              "ISNULL(BYVMA.MA002, KVRTA.TA005)"); // its comma inside
    TStringList operators;
    operators.SetText(DefaultOperatorLines());
    struct {
        TConditionRow Row;
        int Count;
    } cases[] = {
        {{"开证银行", "包含", "浦东", "AND"}, 1},
        {{"信用证金额", "大于", "70000", "AND"}, 1},
        {{"信用证金额", "存在于", "73700, 1) OR (1=1", "AND"}, 2}, // no number: the row gives nothing
        {{"供应商", "起始于", "海森", "AND"}, 1},
    };
    for (const auto& c : cases) {
        const AnsiString where = GridCondition({c.Row}, records, operators, TQBEDateSettings{});
        SCOPED_TRACE(where);
        int rows = -1;
        ASSERT_NO_THROW(rows = GetRecords(server, where.empty() ? AnsiString("All") : where).RowCount());
        EXPECT_EQ(rows, c.Count);
    }
    EXPECT_EQ(Db.Fingerprint(), before);
}

TEST(DbQualifiedTable, OnlyAPlainDatabaseNameIsWritten) {
    EXPECT_EQ(DbQualifiedTable("DEMO", "KVRTB", false), "DEMO..KVRTB");
    EXPECT_EQ(DbQualifiedTable("DEMO", "KVRTB", true), "$$KVRTB");
    EXPECT_EQ(DbQualifiedTable("", "KVRTB", false), "$$KVRTB");
    // A start parameter is no SQL: anything but a plain name stands for the company database.
    EXPECT_EQ(DbQualifiedTable("X; DROP TABLE KVRTA; --", "KVRTB", false), "$$KVRTB");
    EXPECT_EQ(DbQualifiedTable("A B", "KVRTB", false), "$$KVRTB");
}

} // namespace
