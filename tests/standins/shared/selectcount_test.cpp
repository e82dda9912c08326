// Counting a provider's select: the count leaves out the joins that cannot change it, and always
// gives the number of rows the select itself gives.
#include "standins/shared/selectcount.h"

#include "tests/standins/shared/dbfixture.h"

namespace {

// A head of a select without its own WHERE, as the provider hands it on.
std::vector<TSqlToken> Head(const std::string& select) {
    return TokenizeSql(select);
}

TEST(CountingHead, LeavesOutOnlyTheJoinsThatFindOneRowAndThatNothingNames) {
    std::map<std::string, TTableShape> shapes;
    auto text = [](const char* affinity) { return TTableShape::TColumn{affinity, "RTRIM"}; };
    shapes["H"].Columns = {
        {"K1", text("TEXT")}, {"K2", text("TEXT")}, {"C", text("TEXT")}, {"N", text("INTEGER")}};
    shapes["H"].UniqueKeys = {{{"K1", "RTRIM"}, {"K2", "RTRIM"}}};
    shapes["M"].Columns = {{"MK", text("TEXT")}, {"MNAME", text("TEXT")}, {"MNUM", text("INTEGER")}};
    shapes["M"].UniqueKeys = {{{"MK", "RTRIM"}}};
    shapes["L"].Columns = {{"K1", text("TEXT")}, {"K2", text("TEXT")}, {"SEQ", text("TEXT")}};
    shapes["L"].UniqueKeys = {{{"K1", "RTRIM"}, {"K2", "RTRIM"}, {"SEQ", "RTRIM"}}};
    shapes["B"].Columns = {{"BK", {"TEXT", "BINARY"}}};
    shapes["B"].UniqueKeys = {{{"BK", "NOCASE"}}}; // unique without case, compared with it
    for (auto& [name, shape] : shapes)
        shape.Known = true;
    const TTableShape unknown;
    const TTableShapes lookup = [&](const std::string& table) -> const TTableShape& {
        auto found = shapes.find(table);
        return found == shapes.end() ? unknown : found->second;
    };
    struct TCase {
        const char* Select;
        const char* Conditions;
        const char* Count; // "" where the whole select must be counted
    } const cases[] = {
        // the key of the joined table from a column of the same kind, or a literal: the join goes
        {"SELECT H.*, M.MNAME AS CN FROM $$H H LEFT JOIN $$M M ON M.MK = H.C", "", "SELECT 1 FROM $$H H "},
        {"SELECT H.* FROM H LEFT OUTER JOIN M AS X ON X.MK = 'A'", "(H.K1 = 'x')", "SELECT 1 FROM H "},
        {"SELECT H.* FROM H LEFT JOIN L ON L.K1 = H.K1 AND L.K2 = H.K2 AND L.SEQ = '0001'", "",
         "SELECT 1 FROM H "},
        // named by a condition (by alias, table or a column of its own), or by a join that stays
        {"SELECT H.* FROM H LEFT JOIN M M ON M.MK = H.C", "(M.MNAME LIKE 'A%')",
         "SELECT 1 FROM H LEFT JOIN M M ON M.MK = H.C"},
        {"SELECT H.* FROM H LEFT JOIN M M ON M.MK = H.C", "(MNAME = 'A')",
         "SELECT 1 FROM H LEFT JOIN M M ON M.MK = H.C"},
        {"SELECT H.* FROM H LEFT JOIN M M ON M.MK = H.C LEFT JOIN L ON L.K1 = M.MNAME", "",
         "SELECT 1 FROM H LEFT JOIN M M ON M.MK = H.C LEFT JOIN L ON L.K1 = M.MNAME"},
        {"SELECT H.* FROM H LEFT JOIN M M ON M.MK = H.C LEFT JOIN L ON L.K1 = M.MNAME AND L.K2 = H.K2 AND "
         "L.SEQ = H.K1",
         "", "SELECT 1 FROM H "},
        // more than one row possible: part of the key, another comparison, another kind, another
        // collation, another join, an unknown table
        {"SELECT H.* FROM H LEFT JOIN L ON L.K1 = H.K1 AND L.K2 = H.K2", "",
         "SELECT 1 FROM H LEFT JOIN L ON L.K1 = H.K1 AND L.K2 = H.K2"},
        {"SELECT H.* FROM H LEFT JOIN M ON M.MK > H.C", "", "SELECT 1 FROM H LEFT JOIN M ON M.MK > H.C"},
        {"SELECT H.* FROM H LEFT JOIN M ON M.MK = H.C OR M.MK = H.K1", "",
         "SELECT 1 FROM H LEFT JOIN M ON M.MK = H.C OR M.MK = H.K1"},
        {"SELECT H.* FROM H LEFT JOIN M ON M.MK = H.N", "", "SELECT 1 FROM H LEFT JOIN M ON M.MK = H.N"},
        {"SELECT H.* FROM H LEFT JOIN M ON M.MK = 5", "", "SELECT 1 FROM H LEFT JOIN M ON M.MK = 5"},
        {"SELECT H.* FROM H LEFT JOIN B ON B.BK = H.C", "", "SELECT 1 FROM H LEFT JOIN B ON B.BK = H.C"},
        {"SELECT H.* FROM H JOIN M ON M.MK = H.C", "", "SELECT 1 FROM H JOIN M ON M.MK = H.C"},
        {"SELECT H.* FROM H LEFT JOIN Q ON Q.MK = H.C", "", "SELECT 1 FROM H LEFT JOIN Q ON Q.MK = H.C"},
        {"SELECT H.* FROM H LEFT JOIN M ON M.MK = UPPER(H.C)", "",
         "SELECT 1 FROM H LEFT JOIN M ON M.MK = UPPER(H.C)"},
        // lists that make the number of rows or that a condition names: the whole select
        {"SELECT DISTINCT H.C FROM H", "", ""},
        {"SELECT TOP 5 H.C FROM H", "", ""},
        {"SELECT COUNT(*) FROM H", "", ""},
        {"SELECT H.*, M.MNAME AS CN FROM H LEFT JOIN M ON M.MK = H.C", "(CN = 'A')", ""},
        {"SELECT H.*, M.MNAME CN FROM H LEFT JOIN M ON M.MK = H.C", "(CN = 'A')", ""},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(CountingHead(Head(c.Select), c.Conditions, lookup), c.Count)
            << c.Select << " / " << c.Conditions;
}

class CountOnSeed : public ::testing::Test {
protected:
    CountOnSeed() : Session(DemoOptions(Folder)) {}
    AnsiString Setting(const char* name) {
        return Session
            .Select("SELECT MS003 FROM WOQMS WHERE MS001 = 'KVRX58' AND MS002 = ?1",
                    {Variant(AnsiString(name))})
            .Rows.at(0)
            .at(0)
            .AsString();
    }
    TTempFolder Folder;
    TDbSession Session;
};

TEST_F(CountOnSeed, CountsWhatTheSelectGivesWithOrWithoutItsJoins) {
    const AnsiString header = Setting("M11_SELECT");
    const AnsiString lines = Setting("D11_SELECT");
    struct TCase {
        AnsiString Select, Where, Condition;
        Int64 Limit;
        bool Lean; // the count has left out the joins
    } const cases[] = {
        {header, "", "", -1, true},
        {header, "", "All", -1, true},
        {header, "KVRTA.TA001 = '5101'", "KVRTA.TA002 >= '20261110'", -1, true},
        {header, "", "", 1, true},
        // conditions on the joined tables and on the list's names keep what they need
        {header, "", "BYVMA.MA002 LIKE '%电子%'", -1, false},
        {header, "", "TA005C IS NOT NULL", -1, false},
        {header, "", "TA019C > 0", -1, false},
        {lines, "", "", -1, true},
        {lines, "", "BYVTD.TD004 LIKE 'C-%'", -1, false},
        // joins that multiply the rows are counted
        {"SELECT KVRTA.TA002 FROM KVRTA LEFT JOIN KVRTB ON KVRTB.TB001 = KVRTA.TA001 AND KVRTB.TB002 = "
         "KVRTA.TA002",
         "", "", -1, false},
        {"SELECT DISTINCT KVRTB.TB002 FROM KVRTB", "", "", -1, false},
    };
    for (const TCase& c : cases) {
        TSelectSpec spec;
        spec.Select = c.Select;
        spec.Where = c.Where;
        spec.Condition = c.Condition;
        spec.Limit = c.Limit;
        const std::string count = Session.BuildCount(spec);
        const size_t rows = Session.SelectWhere(spec).Rows.size();
        ASSERT_GT(rows, 0u) << count;
        EXPECT_EQ(Session.CountWhere(spec), static_cast<Int64>(rows)) << count;
        EXPECT_EQ(count.find("SELECT 1 ") != std::string::npos && count.find("JOIN") == std::string::npos,
                  c.Lean)
            << count;
    }
}

// A page of a client's sort is chosen on the header table (and what the sort and the conditions
// name), then joined; the page holds the rows the whole select gives at that place.
TEST_F(CountOnSeed, APageOfAClientsSortIsChosenBeforeTheJoins) {
    struct TCase {
        const char* Sort;
        const char* Condition;
        const char* Inner; // the start of the choosing select, "" where the select stays whole
    } const cases[] = {
        {"TA018 DESC", "", "rowid IN (SELECT KVRTA.rowid FROM KVRTA KVRTA ORDER BY"},
        {"KVRTA.TA008", "BYVMA.MA002 LIKE '%'",
         "rowid IN (SELECT KVRTA.rowid FROM KVRTA KVRTA LEFT JOIN BYVMA BYVMA ON BYVMA.MA001 = KVRTA.TA005 "},
        {"BYVMA.MA002", "", "rowid IN (SELECT KVRTA.rowid FROM KVRTA KVRTA LEFT JOIN BYVMA"},
        {"TA005C", "", ""},
        {"TA018 * 2", "", ""},
        {"", "", ""},
    };
    for (const TCase& c : cases) {
        TSelectSpec spec;
        spec.Select = Setting("M11_SELECT");
        spec.Sort = c.Sort;
        spec.Condition = c.Condition;
        spec.DefaultSort = "KVRTA.TA001,KVRTA.TA002";
        const TDbResult whole = Session.SelectWhere(spec);
        ASSERT_GE(whole.Rows.size(), 2u);
        spec.Limit = 1;
        spec.Offset = 1;
        const std::string sql = Session.BuildSelect(spec);
        if (*c.Inner)
            EXPECT_NE(sql.find(c.Inner), std::string::npos) << sql;
        else
            EXPECT_EQ(sql.find("rowid IN"), std::string::npos) << sql;
        const TDbResult page = Session.SelectWhere(spec);
        ASSERT_EQ(page.Rows.size(), 1u) << sql;
        EXPECT_EQ(page.Rows[0], whole.Rows[1]) << sql;
    }
}

} // namespace
