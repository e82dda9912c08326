// The server's SQL dialect: the texts the clients build, translated to SQLite and run against the seed.
#include "standins/shared/sqldialect.h"

#include "tests/standins/shared/dbfixture.h"

namespace {

TSqlDialect DemoDialect() {
    TSqlDialect dialect;
    dialect.SetCharColumns({{"KVRTA", {{"TA001", 4}, {"TA002", 11}}},
                            {"BYVMA", {{"MA001", 10}, {"MA011", 4}}},
                            {"GIMMA", {{"MA001", 10}}},
                            {"BYVTC", {{"TC001", 4}, {"TC002", 11}}}});
    return dialect;
}

TEST(SqlDialect, TranslatesTheTextsOfTheClients) {
    struct TCase {
        const char* Text;
        const char* Sql;
    };
    const TCase cases[] = {
        // the company database and a named one
        {"select top 1 MF001,MF003,MF004,MF005,MF006 from $$TAZMF TAZMF where MF001='USD'",
         "select MF001,MF003,MF004,MF005,MF006 from TAZMF TAZMF where MF001='USD' LIMIT 1"},
        {" SELECT   MR007 FROM  DEMO..BYVTC BYVTC  WHERE BYVTC.TC001='3301'",
         " SELECT   MR007 FROM  BYVTC BYVTC  WHERE BYVTC.TC001='3301'"},
        // TOP with a locking hint, with odd spacing and ORDER BY, in brackets, inside a sub-select
        {"select TOP 1 1 AS REC from QZJOBQUE(nolock) where QZ001='DEMO' and QZ003='5101||20261108001' ",
         "select 1 AS REC from QZJOBQUE where QZ001='DEMO' and QZ003='5101||20261108001' LIMIT 1 "},
        {" SELECT top  1  MC006,MC009 \r FROM  $$QZSMC \r WHERE MC001='KVRX58' \r ORDER  BY  MC002 DESC  ",
         " SELECT MC006,MC009 \r FROM  QZSMC \r WHERE MC001='KVRX58' \r ORDER  BY  MC002 DESC LIMIT 1  "},
        {"SELECT DISTINCT TOP (2) TC004 FROM BYVTC WITH (NOLOCK)",
         "SELECT DISTINCT TC004 FROM BYVTC LIMIT (2)  "},
        {"SELECT MA001 FROM BYVMA WHERE MA011 = (SELECT TOP 1 MF001 FROM TAZMF ORDER BY MF001)",
         "SELECT MA001 FROM BYVMA WHERE MA011 = (SELECT MF001 FROM TAZMF ORDER BY MF001 LIMIT 1)"},
        {"SELECT TOP 1 MA001 FROM BYVMA UNION SELECT MB001 FROM TAZMB",
         "SELECT * FROM (SELECT MA001 FROM BYVMA LIMIT 1) UNION SELECT MB001 FROM TAZMB"},
        // "+" between texts, fixed-width columns padded, numbers added
        {"SELECT T.TA001+T.TA002 FROM KVRTA T",
         "SELECT KVR_ADD(KVR_CHAR(T.TA001, 4), KVR_CHAR(T.TA002, 11)) FROM KVRTA T"},
        {"SELECT KVRTA.TA018 + KVRTA.TA019 AS TA019C FROM KVRTA",
         "SELECT KVR_ADD(KVRTA.TA018, KVRTA.TA019) AS TA019C FROM KVRTA"},
        {"SELECT 1 FROM BYVTC WHERE SUBSTRING(TC001,1,4)+'-'+SUBSTRING(TC002,1,11)='3301-20261105001'",
         "SELECT 1 FROM BYVTC WHERE KVR_ADD(KVR_ADD(SUBSTR(TC001,1,4), '-'), "
         "SUBSTR(TC002,1,11))='3301-20261105001'"},
        {"SELECT 1 FROM BYVTC WHERE TC001+TC002='330120261105001'",
         "SELECT 1 FROM BYVTC WHERE KVR_ADD(KVR_CHAR(TC001, 4), KVR_CHAR(TC002, 11))='330120261105001'"},
        {"SELECT a - b + c * d, -x + 1, (p + q) * 2 FROM T",
         "SELECT KVR_ADD(a - b, c * d), KVR_ADD(-x, 1), (KVR_ADD(p, q)) * 2 FROM T"},
        {"SELECT CASE WHEN a + 1 > 2 THEN 'x' + b ELSE c END + 'y' FROM T",
         "SELECT KVR_ADD(CASE WHEN KVR_ADD(a, 1) > 2 THEN KVR_ADD('x', b) ELSE c END, 'y') FROM T"},
        {u8"SELECT replace(a, 'x', 'y') + N'中文', [Name] + 1 FROM T",
         u8"SELECT KVR_ADD(replace(a, 'x', 'y'), '中文'), KVR_ADD([Name], 1) FROM T"},
        // a column whose table is ambiguous or unknown is left as it is; an alias resolves it
        {"SELECT MA001 + 'x' FROM BYVMA JOIN GIMMA ON 1=1",
         "SELECT KVR_ADD(KVR_CHAR(MA001, 10), 'x') FROM BYVMA JOIN GIMMA ON 1=1"},
        {"SELECT S.MA011 + 'x' FROM $$BYVMA AS S",
         "SELECT KVR_ADD(KVR_CHAR(S.MA011, 4), 'x') FROM BYVMA AS S"},
        {"SELECT MA011 + 'x' FROM OTHER", "SELECT KVR_ADD(MA011, 'x') FROM OTHER"},
        // functions of the original's dialect
        {"SELECT ISNULL(TA037, '') , isnull (TA004,'-') FROM KVRTA",
         "SELECT IFNULL(TA037, '') , IFNULL (TA004,'-') FROM KVRTA"},
        {"SELECT TA001 FROM KVRTA WHERE TA001 ISNULL", "SELECT TA001 FROM KVRTA WHERE TA001 ISNULL"},
        // what needs nothing stays as it was, quotes and all
        {"SELECT MR004,MR005 FROM WOQMR WHERE MR001= 'KVRX58'",
         "SELECT MR004,MR005 FROM WOQMR WHERE MR001= 'KVRX58'"},
        {"SELECT 'a+b', \"x+y\" FROM T WHERE c = 'it''s $$x TOP 1'",
         "SELECT 'a+b', \"x+y\" FROM T WHERE c = 'it''s $$x TOP 1'"},
        {"RPAD(T.TA001,4,' ')||RPAD(T.TA002,11,' ')>='A   0001       '",
         "RPAD(T.TA001,4,' ')||RPAD(T.TA002,11,' ')>='A   0001       '"},
    };
    const TSqlDialect dialect = DemoDialect();
    for (const TCase& c : cases)
        EXPECT_EQ(dialect.Translate(c.Text), c.Sql) << c.Text;
}

TEST(SqlDialect, RefusesWhatItCannotReadWithAClearReason) {
    const TSqlDialect dialect = DemoDialect();
    for (const char* text : {"SELECT 'open", "SELECT [open", "SELECT 1 /* open", "SELECT (1", "SELECT 1)",
                             "SELECT TOP 10 PERCENT a FROM T", "SELECT TOP x a FROM T", "SELECT TOP"}) {
        try {
            dialect.Translate(text);
            ADD_FAILURE() << text;
        } catch (const EDbRefused& error) {
            EXPECT_FALSE(error.Message().empty()) << text;
        }
    }
}

TEST(SqlDialect, TokensKeepTheirKinds) {
    const std::vector<TSqlToken> tokens = TokenizeSql("$$TAZMF.MF001<>N'x'--c\n:p ?1 @v 1.5e3 [a b]");
    std::vector<std::pair<TSqlTokenKind, std::string>> kinds;
    for (const TSqlToken& token : tokens)
        if (token.Kind != TSqlTokenKind::Space) kinds.emplace_back(token.Kind, token.Text);
    const std::vector<std::pair<TSqlTokenKind, std::string>> expected = {
        {TSqlTokenKind::Word, "TAZMF"},      {TSqlTokenKind::Operator, "."},
        {TSqlTokenKind::Word, "MF001"},      {TSqlTokenKind::Operator, "<>"},
        {TSqlTokenKind::String, "'x'"},      {TSqlTokenKind::Comment, "--c"},
        {TSqlTokenKind::Parameter, ":p"},    {TSqlTokenKind::Parameter, "?1"},
        {TSqlTokenKind::Parameter, "@v"},    {TSqlTokenKind::Number, "1.5e3"},
        {TSqlTokenKind::QuotedName, "[a b]"}};
    EXPECT_EQ(kinds, expected);
    EXPECT_TRUE(tokens[0].CompanyPrefix);
}

// The clients' texts run against the demo database with the answers they expect.
class DialectOnSeed : public ::testing::Test {
protected:
    DialectOnSeed() : Session(DemoOptions(Folder)) {}

    AnsiString MainSelect() {
        return Session.Select("SELECT MS003 FROM WOQMS WHERE MS001 = 'KVRX58' AND MS002 = 'M11_SELECT'")
            .Rows.at(0)
            .at(0)
            .AsString();
    }
    AnsiString DetailSelect() {
        return Session.Select("SELECT MS003 FROM WOQMS WHERE MS001 = 'KVRX58' AND MS002 = 'D11_SELECT'")
            .Rows.at(0)
            .at(0)
            .AsString();
    }
    // The document numbers the header query finds with a condition.
    std::vector<AnsiString> Documents(const AnsiString& condition, const AnsiString& sort = "") {
        TSelectSpec spec;
        spec.Select = MainSelect();
        spec.Condition = condition;
        spec.Sort = sort;
        spec.DefaultSort = "KVRTA.TA001,KVRTA.TA002";
        const TDbResult result = Session.SelectWhere(spec);
        const int number = result.ColumnIndex("TA002");
        std::vector<AnsiString> numbers;
        for (const TDbRow& row : result.Rows)
            numbers.push_back(row.at(number).AsString());
        return numbers;
    }

    TTempFolder Folder;
    TDbSession Session;
};

TEST_F(DialectOnSeed, FrameworkQueriesAnswerFromTheSeed) {
    struct TCase {
        const char* Text;
        size_t Rows;
        const char* First; // first column of the first row
    };
    const TCase cases[] = {
        {"select top 1 MF001,MF003,MF004,MF005,MF006 from $$TAZMF TAZMF where MF001='EUR'", 1, "EUR"},
        {"SELECT MB002,MB011,MB012,MB013 FROM WOQMB WHERE MB001='KVRX58'", 1, "信用证开证作业"},
        {"SELECT MR004,MR005 FROM WOQMR WHERE MR001= 'KVRX58'", 0, ""},
        {" SELECT DISTINCT KeyValues FROM ATTACH WHERE Parent = 'KVRX58' AND CompanyID = 'DEMO'", 0, ""},
        {" SELECT TL006,TL013,TL012 FROM $$WOQTK WOQTK  LEFT JOIN $$WOQTL WOQTL ON TK001 = TL001 AND TL010 = "
         "'Y'  "
         "WHERE  TL012 <> ''  AND TK003 = 'Y' AND TL005 = 'Z01' AND TL003 = 'KVRX58' ORDER BY TL011 ",
         0, ""},
        {" SELECT TJ003,TJ005 FROM WOQTJ WOQTJ  WHERE TJ002 = 'F01' AND TJ001 = 'KVRX58'", 0, ""},
        {" SELECT MQ002,MQ003,MQ004,MR003,MR004,MR005,MR007,MQ006,MQ007,MQ008  FROM $$WOQMQ AS WOQMQ  LEFT "
         "JOIN "
         "$$WOQMR AS WOQMR ON (MQ001=MR001 AND MQ002=MR002)  WHERE MQ001= 'KVRX58' order by MQ002",
         1, "5103"},
        {" SELECT MC002, MC006, '' AAA, '' MD003, '' MD005, '' MD004,'' BBB, MC007, MC008, 'N' CCC  FROM "
         "$$QZSMC  "
         "WHERE MC001 = 'KVRX58' ORDER BY MC002 ",
         1, "5103"},
        {"SELECT * FROM WOQMR AS WOQMR  WHERE MR001='KVRX58' and (MR004='TA005' or MR005='TA005')  order by "
         "MR011",
         0, ""},
        {"  SELECT  MR005,MR004,MR007 \r  FROM $$WOQMR \r  WHERE  MR001='KVRX58' AND MR002='0001'", 0, ""},
        {" SELECT   TC004 FROM  DEMO..BYVTC BYVTC  WHERE TC001='3301' AND TC002='20261110001'", 1, "S0002"},
        {"select NT001,NT002 from WARRANT where UPPER(NT001) like '%KVRX71%' order by NT002", 2, "KVRX71-01"},
        {" SELECT MC001,MC002,MC006 \r FROM $$QZSMC AS QZSMC    \r WHERE MC001='KVRX58' AND (MC002='5101' OR "
         "MC002='****') ",
         0, ""},
        {" SELECT MQ001,MQ002,MQ003 \r FROM $$WOQMQ AS WOQMQ   \r WHERE MQ001='KVRX58' AND (MQ002='5101' OR "
         "MQ002='****') ",
         0, ""},
        {" SELECT top  1  MQ003,MQ004 \r FROM  $$WOQMQ \r WHERE MQ001='KVRX58' AND (MQ002='5101' OR "
         "MQ002='****') "
         "\r ORDER  BY  MQ002 DESC  ",
         0, ""},
        {"SELECT NH003 FROM $$WOQNH WHERE NH001 = 'KVRX58'", 0, ""},
        {"select TOP 1 1 AS REC from QZJOBQUE(nolock) where QZ001='DEMO' and QZ002='KVRX58' and "
         "QZ003='5101||20261108001' ",
         0, ""},
        {" SELECT ME007 FROM $$QZSME WHERE ME001 = 'KVRX58' AND ME002 = '5101' AND ME003 = '20261108001' AND "
         "ME004 "
         "= '' AND ME005 = '' AND ME006 = ''",
         0, ""},
        {" SELECT MB008, MB009, MB010, MB011 FROM QVNMB WHERE MB001 = 'DEMO'", 1, ""},
        // concatenation of fixed-width codes as the original stored them
        {"SELECT MA001 FROM BYVMA WHERE MA001+MA011 = 'S0002     USD '", 1, "S0002"},
        {"SELECT TC002 FROM BYVTC WHERE SUBSTRING(TC001,1,4)+'-'+SUBSTRING(TC002,1,11)='3301-20261118001'", 1,
         "20261118001"},
        {"SELECT MA002 + '(' + MA011 + ')' FROM $$BYVMA WHERE MA001 = 'S0003'", 1, "樱川精工(JPY )"},
        {"SELECT TD008 + TD015, TD010 + 0.5 FROM BYVTD WHERE TD002 = '20261105001' AND TD003 = '0003'", 1,
         "60"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Text);
        const TDbResult result = Session.ClientSelect(c.Text);
        ASSERT_EQ(result.Rows.size(), c.Rows);
        if (c.Rows > 0 && *c.First) {
            EXPECT_EQ(result.Rows[0].at(0).AsString(), c.First);
        }
    }
    EXPECT_THROW(Session.ClientSelect("SELECT 'abc' + 1"), EDbError);
    EXPECT_TRUE(VarIsNull(Session.ClientSelect("SELECT NULL + 'x'").Rows.at(0).at(0)));
}

TEST_F(DialectOnSeed, QueryConditionsAndSortsOfTheQueryDialog) {
    // page 0 of the query dialog, the advanced page with a detail condition, select-list expressions
    EXPECT_EQ(Documents(""), (std::vector<AnsiString>{"20261108001", "20261112001"}));
    EXPECT_EQ(Documents("All"), (std::vector<AnsiString>{"20261108001", "20261112001"}));
    EXPECT_EQ(Documents(" (KVRTA.TA005 = 'S0002' ) AND (KVRTA.TA018 >= 1000 )"),
              (std::vector<AnsiString>{"20261112001"}));
    EXPECT_EQ(Documents("(SUBSTRING(KVRTA.CREATE_DATE ,1,8 ) >= '20261110')"),
              (std::vector<AnsiString>{"20261112001"}));
    EXPECT_EQ(Documents("KVRTA.TA016 IN ('USD','EUR')", "KVRTA.TA002 desc"),
              (std::vector<AnsiString>{"20261112001", "20261108001"}));
    EXPECT_EQ(Documents("(BYVMA.MA002 like '%电子%')"), (std::vector<AnsiString>{"20261112001"}));
    EXPECT_EQ(Documents("(KVRTA.TA018 + KVRTA.TA019 > 70000)"), (std::vector<AnsiString>{"20261108001"}));
    EXPECT_EQ(
        Documents(
            "((KVRTA.TA009 = '20270331')) and  ( select count(*) FROM DEMO..KVRTB KVRTB LEFT JOIN "
            "$$BYVTD BYVTD ON BYVTD.TD001 = KVRTB.TB004 AND BYVTD.TD002 = KVRTB.TB005 AND BYVTD.TD003 = "
            "KVRTB.TB006 where  (KVRTA.TA001=KVRTB.TB001) and  (KVRTA.TA002=KVRTB.TB002) and  ( "
            "(BYVTD.TD004 like 'C-%') ) ) > 0 "),
        (std::vector<AnsiString>{"20261112001"}));
    // the re-query from the current key on, in both forms of the key range
    EXPECT_EQ(Documents("KVRTA.TA001+KVRTA.TA002>='510120261110000'"),
              (std::vector<AnsiString>{"20261112001"}));
    EXPECT_EQ(Documents("RPAD(KVRTA.TA001,4,' ')||RPAD(KVRTA.TA002,11,' ')>='5101 2026'"),
              (std::vector<AnsiString>{"20261108001", "20261112001"}));
    // the joined and computed columns of the select list
    TSelectSpec spec;
    spec.Select = MainSelect();
    spec.Condition = "KVRTA.TA002 = '20261112001'";
    const TDbResult header = Session.SelectWhere(spec);
    ASSERT_EQ(header.Rows.size(), 1u);
    EXPECT_EQ(header.Rows[0].at(header.ColumnIndex("TA001C")).AsString(), "即期信用证");
    EXPECT_EQ(header.Rows[0].at(header.ColumnIndex("TA005C")).AsString(), "奥兰电子");
    EXPECT_EQ(header.Rows[0].at(header.ColumnIndex("TA006C")).AsString(), "华信银行美元户"); // an account
    EXPECT_DOUBLE_EQ(header.Rows[0].at(header.ColumnIndex("TA019C")).AsFloat(), 66450);
    spec.Select = DetailSelect();
    spec.Condition = "KVRTB.TB002 = '20261108001'";
    spec.DefaultSort = "KVRTB.TB003";
    spec.Limit = 1;
    spec.Offset = 1;
    const TDbResult lines = Session.SelectWhere(spec);
    ASSERT_EQ(lines.Rows.size(), 1u);
    EXPECT_EQ(lines.Rows[0].at(lines.ColumnIndex("TB003")).AsString(), "0002");
    EXPECT_EQ(lines.Rows[0].at(lines.ColumnIndex("TD005C")).AsString(), "交流伺服电机");
    EXPECT_EQ(lines.Rows[0].at(lines.ColumnIndex("TD007C")).AsString(), "进口物料仓");
    EXPECT_DOUBLE_EQ(lines.Rows[0].at(lines.ColumnIndex("TD015C")).AsFloat(), 20);
}

TEST_F(DialectOnSeed, TheServersSelectTakesItsOwnConditionFirst) {
    TSelectSpec spec;
    spec.Select = "SELECT TA002 FROM $$KVRTA KVRTA WHERE TA005 = 'S0001' OR TA005 = 'S0002'";
    spec.Where = "KVRTA.TA038 = ?1";
    spec.Condition = "TA005 = 'S0001' OR TA005 = 'S0002'";
    EXPECT_EQ(
        Session.BuildSelect(spec),
        "SELECT TA002 FROM KVRTA KVRTA WHERE (TA005 = 'S0001' OR TA005 = 'S0002') AND (KVRTA.TA038 = ?1) AND "
        "(TA005 = 'S0001' OR TA005 = 'S0002')");
    const TDbResult result = Session.SelectWhere(spec, {Variant(AnsiString("N"))});
    ASSERT_EQ(result.Rows.size(), 1u);
    EXPECT_EQ(result.Rows[0][0].AsString(), "20261112001");
    spec.Select = "SELECT TA002 FROM KVRTA ORDER BY TA002";
    EXPECT_THROW(Session.BuildSelect(spec), EDbError);
    spec.Select = "";
    EXPECT_THROW(Session.BuildSelect(spec), EDbError);
}

} // namespace
