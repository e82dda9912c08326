// The read-only guard: injection attempts through a condition, a sort text, a SimpleSql text and a
// TransactionSQL text are refused, and the database stays as it was.
#include "standins/shared/sqlguard.h"

#include "tests/standins/shared/dbfixture.h"

namespace {

using namespace std::string_literals;

class GuardTest : public ::testing::Test {
protected:
    GuardTest() : Session(DemoOptions(Folder)), Before(TRawDb(Session.Path()).Fingerprint()) {}

    void TearDown() override {
        EXPECT_EQ(TRawDb(Session.Path()).Fingerprint(), Before) << "the database changed";
        EXPECT_FALSE(std::filesystem::exists(Folder.Path() / "stolen.db"));
    }

    TSelectSpec HeaderQuery(const AnsiString& condition, const AnsiString& sort) const {
        TSelectSpec spec;
        spec.Select = "SELECT KVRTA.* FROM $$KVRTA KVRTA";
        spec.Condition = condition;
        spec.Sort = sort;
        return spec;
    }

    std::string Attach() const {
        return "ATTACH DATABASE '" + (Folder.Path() / "stolen.db").string() + "' AS x";
    }

    TTempFolder Folder;
    TDbSession Session;
    std::string Before;
};

// Refused before anything runs, or denied by the authorizer: an EDbRefused either way.
TEST_F(GuardTest, ConditionsCannotLeaveTheirWhere) {
    const std::string conditions[] = {
        "1=1; DELETE FROM KVRTB",
        "1=1 -- and the rest is gone",
        "1=1 /* ORDER BY */",
        "1=1) OR (1=1",
        "1=1) UNION SELECT * FROM KVRTA WHERE (1=1",
        "(1=1",
        "1=1)",
        "TA001 = ?1",
        "TA001 = :key",
        "load_extension('/tmp/evil.so') IS NULL",
        "(SELECT count(*) FROM sqlite_schema) > 0",
        "(SELECT count(*) FROM pragma_table_info('KVRTA')) > 0",
        "length(randomblob(1000000000)) > 0",
        "EXISTS (WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c) SELECT x FROM c)",
        "1=1'",
    };
    for (const std::string& condition : conditions) {
        SCOPED_TRACE(condition);
        EXPECT_THROW(Session.SelectWhere(HeaderQuery(condition, "")), EDbRefused);
    }
    // Nesting far deeper than any query needs is refused rather than followed down the stack.
    const int depth = 5000;
    std::string parentheses, cases;
    for (int i = 0; i < depth; ++i) {
        parentheses += "(";
        cases += "CASE WHEN 1=1 THEN ";
    }
    parentheses += "1=1" + std::string(depth, ')');
    cases += "1";
    for (int i = 0; i < depth; ++i)
        cases += " END";
    EXPECT_THROW(Session.SelectWhere(HeaderQuery(parentheses, "")), EDbRefused);
    EXPECT_THROW(Session.SelectWhere(HeaderQuery(cases + " = 1", "")), EDbRefused);
    EXPECT_THROW(Session.SelectWhere(HeaderQuery("1=1\0) OR (1=1"s, "")), EDbRefused);
    // A sub-select that only reads stays a condition.
    EXPECT_EQ(Session.SelectWhere(HeaderQuery("TA005 IN (SELECT MA001 FROM BYVMA WHERE MA011 = 'EUR')", ""))
                  .Rows.size(),
              1u);
    // Text that is no condition at all is SQLite's syntax error.
    EXPECT_THROW(Session.SelectWhere(HeaderQuery("1=1 UNION SELECT 1", "")), EDbError);
}

// A provider's select holds the tables its condition may read: any other is refused by name, wherever
// the text reaches for it, and the select's own tables stay open to sub-queries.
TEST_F(GuardTest, AConditionReadsOnlyTheTablesOfItsSelect) {
    const std::vector<std::string> tables =
        TablesOfSelect("SELECT KVRTA.*, QVNMA.MA002 FROM $$KVRTA KVRTA LEFT JOIN DEMO..QVNMA QVNMA ON "
                       "QVNMA.MA001 = KVRTA.TA043, "
                       "\"KVRTB\" AS b, main.BYVTD d JOIN (SELECT 1 FROM RUXMC) r ON 1 = 1 WHERE 1 = 1");
    EXPECT_EQ(tables, (std::vector<std::string>{"KVRTA", "QVNMA", "KVRTB", "BYVTD", "RUXMC"}));
    const struct {
        const char* Condition;
        const char* Sort;
        const char* Refused; // the table named in the refusal, '' when permitted
    } cases[] = {
        {"EXISTS (SELECT 1 FROM QVNMD WHERE MD003 LIKE ',Y%')", "", "QVNMD"},
        {"KVRTA.TA043 IN QVNMA", "", "QVNMA"},
        {"1 IN (WITH x AS (SELECT MA001 FROM QVNMA) SELECT * FROM x)", "", "QVNMA"},
        {"", "(SELECT VCONDITION FROM DOCUS LIMIT 1)", "DOCUS"},
        {"(SELECT count(*) FROM KVRTB WHERE KVRTB.TB002 = KVRTA.TA002) > 1", "", ""},
        {"KVRTA.TA002 IN (SELECT TB002 FROM KVRTB)", "KVRTA.TA002 DESC", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Condition + std::string(" / ") + c.Sort);
        TSelectSpec spec = HeaderQuery(c.Condition, c.Sort);
        spec.Tables = {"KVRTA", "KVRTB"};
        if (!*c.Refused) {
            EXPECT_NO_THROW(Session.SelectWhere(spec));
            continue;
        }
        try {
            Session.SelectWhere(spec);
            ADD_FAILURE() << "not refused";
        } catch (const EDbRefused& refusal) {
            EXPECT_NE(Session.ToUtf8(refusal.Message()).find(c.Refused), std::string::npos)
                << Session.ToUtf8(refusal.Message());
        }
        // The sub-query check of a provider's client text names it before SQLite sees it.
        EXPECT_THROW(CheckClientTables(std::string(c.Condition) + " " + c.Sort, {"KVRTA", "KVRTB"}),
                     EDbRefused);
    }
    EXPECT_NO_THROW(
        CheckClientTables("(select count(*) FROM DEMO..KVRTB KVRTB LEFT JOIN $$BYVTD BYVTD ON 1=1) > 0",
                          {"KVRTA", "KVRTB", "BYVTD"}));
}

TEST_F(GuardTest, SortTextsStayAnOrderList) {
    const std::string sorts[] = {
        "TA001; DROP TABLE KVRTA",      "TA001) --",   "TA001 /*", "TA001)",
        "(SELECT load_extension('x'))", "TA001 DESC,", ", TA002",  "DESC",
    };
    for (const std::string& sort : sorts) {
        SCOPED_TRACE(sort);
        EXPECT_THROW(Session.SelectWhere(HeaderQuery("", sort)), EDbRefused);
    }
    EXPECT_THROW(Session.SelectWhere(HeaderQuery("", "TA001 LIMIT 0")), EDbError);
    EXPECT_EQ(ClientSort(" KVRTA.TA001 asc, TA002 DESC NULLS LAST,(TA018 + 1)"),
              "(KVRTA.TA001) ASC, (TA002) DESC NULLS LAST, ((TA018 + 1))");
    EXPECT_EQ(ClientSort("  "), "");
    const TDbResult sorted = Session.SelectWhere(HeaderQuery("", "KVRTA.TA002 desc"));
    ASSERT_EQ(sorted.Rows.size(), 2u);
    EXPECT_EQ(sorted.Rows[0].at(sorted.ColumnIndex("TA002")).AsString(), "20261112001");
}

TEST_F(GuardTest, SimpleSqlReadsAndNothingElse) {
    const std::string texts[] = {
        "SELECT 1; DELETE FROM KVRTA",
        "SELECT 1;;",
        "SELECT 1 -- comment",
        "SELECT /* comment */ 1",
        "UPDATE KVRTA SET TA037 = 'x'",
        "DELETE FROM KVRTA",
        "INSERT INTO QVNMD (MD001, MD002, MD003) VALUES ('EVIL', 'KVRX58', ',Y,Y,YYYYYYYYYYYY')",
        "DROP TABLE KVRTA",
        Attach(),
        "PRAGMA writable_schema = 1",
        "PRAGMA query_only = 0",
        "VACUUM INTO '/tmp/stolen.db'",
        "SELECT load_extension('/tmp/evil.so')",
        "SELECT * FROM sqlite_schema",
        "WITH x AS (SELECT 1) DELETE FROM KVRTB",
        "WITH x AS (SELECT 1) INSERT INTO WOQMP SELECT 'a', 'b', 'c' FROM x",
        "SELECT zeroblob(1000000000)",
        "CREATE TABLE X (A)",
        "BEGIN",
        "",
        "   ",
        "SELECT ?1",
    };
    for (const std::string& text : texts) {
        SCOPED_TRACE(text);
        EXPECT_THROW(Session.ClientSelect(text), EDbRefused);
    }
    // SQLite would stop at a NUL and drop the rest without a word.
    EXPECT_THROW(Session.ClientSelect("SELECT count(*) FROM KVRTA\0 WHERE 1=0"s), EDbRefused);
    // One trailing semicolon is only the end of the statement.
    EXPECT_EQ(Session.ClientSelect("SELECT count(*) FROM KVRTA;").Rows.at(0).at(0).AsInteger(), 2);
    EXPECT_EQ(Session.ClientSelect("WITH x AS (SELECT TA002 FROM KVRTA) SELECT count(*) FROM x")
                  .Rows.at(0)
                  .at(0)
                  .AsInteger(),
              2);
}

TEST_F(GuardTest, ARunawayQueryIsStopped) {
    TDbOptions options = DemoOptions(Folder);
    options.ClientStepLimit = 100000;
    TDbSession limited(options);
    const char* cartesian = "SELECT count(*) FROM BYVTD a, BYVTD b, BYVTD c, BYVTD d, BYVTD e";
    try {
        limited.ClientSelect(cartesian);
        FAIL() << "the query should have been stopped";
    } catch (const EDbRefused& error) {
        EXPECT_NE(error.Message().find("中止"), std::string::npos) << error.Message();
    }
    // The limit is per statement: the next one runs, and the server's own reads have none.
    const Int64 lines = limited.Select("SELECT count(*) FROM BYVTD").Rows.at(0).at(0).AsInteger();
    EXPECT_EQ(limited.ClientSelect("SELECT count(*) FROM BYVTD").Rows.at(0).at(0).AsInteger(), lines);
    EXPECT_EQ(limited.Select(cartesian).Rows.at(0).at(0).AsInteger(), lines * lines * lines * lines * lines);
}

TEST_F(GuardTest, TransactionSqlWritesOnlyTheTablesItIsGiven) {
    const std::vector<std::string> attach = {"ATTACH"};
    const std::string texts[] = {
        "DELETE FROM KVRTA",
        "DELETE FROM ATTACH WHERE Parent = 'KVRX58'; DELETE FROM KVRTA",
        "DELETE FROM ATTACH WHERE Parent = 'KVRX58' -- AND CompanyID = 'DEMO'",
        "DELETE FROM ATTACH WHERE Parent IN (SELECT load_extension('x'))",
        "UPDATE QVNMD SET MD003 = ',Y,Y,YYYYYYYYYYYY'",
        "SELECT 1",
        Attach(),
        "PRAGMA foreign_keys = 0",
        "INSERT INTO KVRTA (TA001, TA002) SELECT 'X', 'Y'",
    };
    for (const std::string& text : texts) {
        SCOPED_TRACE(text);
        EXPECT_THROW(Session.ClientWrite(text, attach), EDbRefused);
    }
    EXPECT_EQ(
        Session.ClientWrite(" DELETE FROM ATTACH  WHERE Parent = 'KVRX58'        AND CompanyID = 'DEMO' "
                            "       AND KeyValues = '5101||20261108001' ",
                            attach),
        0);
}

TEST(GuardWrites, AGuardedWriteChangesItsTableInItsOwnTransaction) {
    TTempFolder folder;
    TDbSession session(DemoOptions(folder));
    session.Transaction([](TDbWriter& writer) {
        writer.Exec("INSERT INTO ATTACH (Parent, KeyValues, CompanyID, SeqNo, FileName) VALUES "
                    "('KVRX58', '5101||20261108001', 'DEMO', 1, '开证申请书.pdf')");
    });
    EXPECT_EQ(
        session.ClientWrite(
            "DELETE FROM $$ATTACH WHERE Parent = 'KVRX58' AND KeyValues = '5101||20261108001'", {"ATTACH"}),
        1);
    EXPECT_EQ(
        session.Select("SELECT count(*) FROM ATTACH WHERE Parent = 'KVRX58'").Rows.at(0).at(0).AsInteger(),
        0);
    // After a guarded write the write connection is the server's again.
    session.Transaction([](TDbWriter& writer) { writer.Exec("UPDATE KVRTA SET TA041 = TA041 + 1"); });
    EXPECT_EQ(session.Select("SELECT sum(TA041) FROM KVRTA").Rows.at(0).at(0).AsInteger(), 2);
}

TEST(GuardRules, AllowedFunctionsAreValuesOnly) {
    for (const char* name : {"substr", "UPPER", "kvr_add", "RPAD", "count", "ifnull"})
        EXPECT_TRUE(TSqlGuard::IsAllowedFunction(name)) << name;
    for (const char* name : {"load_extension", "readfile", "writefile", "randomblob", "zeroblob",
                             "sqlite_version", "fts3_tokenizer", "edit"})
        EXPECT_FALSE(TSqlGuard::IsAllowedFunction(name)) << name;
    EXPECT_EQ(ClientCondition(" all "), "");
    EXPECT_EQ(ClientCondition("a = 'x''y'"), "(a = 'x''y')");
    std::string first;
    EXPECT_EQ(CheckClientStatement("  with x as (select 1) select * from x ;", &first),
              "  with x as (select 1) select * from x ");
    EXPECT_EQ(first, "WITH");
}

} // namespace
