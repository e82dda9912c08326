// The demo database file: created from data/ on first use, reopened as it was, transactions, the
// code-page boundary.
#include <fstream>

#include "classlib/rtl/codepages.h"
#include "tests/standins/shared/dbfixture.h"

namespace {

AnsiString Utf8To(unsigned codePage, const std::string& utf8) {
    return ConvertCodePage(utf8, CP_UTF8, codePage);
}

TEST(DemoDatabase, IsCreatedFromTheDataFilesAndReopenedAsItWas) {
    TTempFolder folder;
    const TDbOptions options = DemoOptions(folder);
    {
        TDbSession session(options);
        EXPECT_EQ(session.Select("SELECT count(*) FROM KVRTA").Rows.at(0).at(0).AsInteger(), 2);
        session.Transaction([](TDbWriter& writer) {
            writer.Exec("UPDATE KVRTA SET TA037 = ?1 WHERE TA001 = '5101' AND TA002 = '20261112001'",
                        {Variant(AnsiString("changed"))});
        });
    }
    TRawDb raw(options.Path);
    EXPECT_EQ(raw.Value("PRAGMA user_version"), "2");
    EXPECT_EQ(raw.Value("PRAGMA journal_mode"), "wal");
    // The tables of schema.sql and the three of the framework's test programs (seed_docprograms.sql).
    EXPECT_EQ(raw.Value("SELECT count(*) FROM sqlite_schema WHERE type = 'table'"), "46");

    // Reopening neither seeds again nor needs the data folder.
    TDbOptions again = options;
    again.DataDir = (folder.Path() / "no such folder").string();
    TDbSession session(again);
    EXPECT_EQ(session.Select("SELECT count(*) FROM KVRTA").Rows.at(0).at(0).AsInteger(), 2);
    EXPECT_EQ(
        session.Select("SELECT TA037 FROM KVRTA WHERE TA002 = '20261112001'").Rows.at(0).at(0).AsString(),
        "changed");
}

// A database made by a build before the sign-off records: reopening adds the table and keeps every
// row the company had, without seeding again.
TEST(DemoDatabase, EarlierVersionGetsTheNewTablesAndKeepsItsRows) {
    TTempFolder folder;
    const TDbOptions options = DemoOptions(folder);
    { TDbSession created(options); }
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open_v2(options.Path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
        const char* downgrade = "DROP TABLE QZAPPROVE; PRAGMA user_version = 1;"
                                "UPDATE KVRTA SET TA037 = 'kept' WHERE TA002 = '20261112001';";
        ASSERT_EQ(sqlite3_exec(db, downgrade, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
        sqlite3_close_v2(db);
    }
    const std::string tables = "SELECT count(*) FROM sqlite_schema WHERE type = 'table'";
    ASSERT_EQ(TRawDb(options.Path).Value(tables), "45");

    TDbSession session(options);
    EXPECT_EQ(session.Select("SELECT count(*) FROM QZAPPROVE").Rows.at(0).at(0).AsInteger(), 0);
    EXPECT_EQ(session.Select("SELECT count(*) FROM KVRTA").Rows.at(0).at(0).AsInteger(), 2);
    EXPECT_EQ(session.Select("SELECT count(*) FROM TAZMF").Rows.at(0).at(0).AsInteger(), 5);
    EXPECT_EQ(
        session.Select("SELECT TA037 FROM KVRTA WHERE TA002 = '20261112001'").Rows.at(0).at(0).AsString(),
        "kept");
    TRawDb raw(options.Path);
    EXPECT_EQ(raw.Value("PRAGMA user_version"), "2");
    EXPECT_EQ(raw.Value(tables), "46");
}

TEST(DemoDatabase, SeedHoldsWhatALetterOfCreditNeeds) {
    TTempFolder folder;
    TDbSession session(DemoOptions(folder, CP_UTF8));
    auto count = [&](const std::string& sql) { return session.Select(sql).Rows.at(0).at(0).AsInteger(); };
    EXPECT_EQ(count("SELECT count(*) FROM TAZMQ WHERE MQ003 = 'A1' AND MQ009 = 'Y' AND MQ004 = '4'"), 1);
    EXPECT_GE(count("SELECT count(*) FROM TAZMQ WHERE MQ003 = 'A1' AND MQ009 = 'Y' AND MQ004 <> '4'"), 1);
    EXPECT_EQ(
        count("SELECT count(*) FROM TAZMF WHERE MF001 = (SELECT MS003 FROM QVNMS WHERE MS002 = 'SYS003')"),
        1);
    EXPECT_GE(count("SELECT count(DISTINCT TC004) FROM BYVTC JOIN BYVTD ON TD001 = TC001 AND TD002 = TC002 "
                    "WHERE TC014 = 'Y' AND TD016 = 'N'"),
              3);
    EXPECT_GE(count("SELECT count(DISTINCT TC010) FROM BYVTC WHERE TC014 = 'Y'"), 3);
    EXPECT_GE(count("SELECT count(DISTINCT TC005) FROM BYVTC WHERE TC014 = 'Y'"), 4);
    // Every open order's supplier, factory and currency exist, and each currency has a rate.
    EXPECT_EQ(count("SELECT count(*) FROM BYVTC WHERE TC004 NOT IN (SELECT MA001 FROM BYVMA) OR TC010 NOT IN "
                    "(SELECT MB001 FROM TAZMB) OR TC005 NOT IN (SELECT MF001 FROM TAZMF) OR TC005 NOT IN "
                    "(SELECT MG001 FROM TAZMG)"),
              0);
    // The seeded documents keep their own totals.
    EXPECT_EQ(
        count("SELECT count(*) FROM KVRTA WHERE TA040 <> (SELECT sum(TD011) FROM KVRTB JOIN BYVTD ON "
              "TD001 = TB004 AND TD002 = TB005 AND TD003 = TB006 WHERE TB001 = TA001 AND TB002 = TA002)"),
        0);
    // The system settings the program reads, each once whatever the case of its name.
    for (const char* name : {"SYS001", "SYS002", "SYS003", "sys068", "Sys011", "SYS024", "SYS025", "Sys042",
                             "SYS055", "Sys060", "SYS070", "SYS150", "QVN002"})
        EXPECT_EQ(
            count(std::string("SELECT count(*) FROM QVNMS WHERE MS001 = 'DEMO' AND upper(MS002) = upper('") +
                  name + "')"),
            1)
            << name;
    // The default factory offers a supplier more than one open order line in the supplier's currency.
    EXPECT_GE(count("SELECT count(*) FROM BYVTD JOIN BYVTC ON TC001 = TD001 AND TC002 = TD002 "
                    "JOIN BYVMA ON MA001 = TC004 AND MA011 = TC005 "
                    "WHERE TC014 = 'Y' AND TD016 = 'N' AND TC004 = 'S0002' "
                    "AND TC010 = (SELECT MB001 FROM TAZMB WHERE MB007 = 'Y')"),
              3);
    // Each order's total is the sum of its lines.
    EXPECT_EQ(count("SELECT count(*) FROM BYVTC WHERE TC015 <> (SELECT sum(TD011) FROM BYVTD WHERE "
                    "TD001 = TC001 AND TD002 = TC002)"),
              0);
    EXPECT_EQ(session.Select("SELECT MS003 FROM WOQMS WHERE MS001 = 'KVRX58' AND MS002 = 'D11_KEY'")
                  .Rows.at(0)
                  .at(0)
                  .AsString(),
              "TB001,TB002,TB003");
}

TEST(DemoDatabase, CreationThatFailsLeavesNothingAndIsRetried) {
    TTempFolder folder;
    TDbOptions options = DemoOptions(folder);

    options.DataDir = (folder.Path() / "missing").string();
    EXPECT_THROW(TDbSession{options}, EDbError);

    // A seed that breaks half-way: the schema written before it is rolled back too.
    const std::filesystem::path broken = folder.Path() / "broken";
    std::filesystem::create_directory(broken);
    std::filesystem::copy_file(SourceDataDir() + "/schema.sql", broken / "schema.sql");
    std::ofstream(broken / "seed.sql")
        << "INSERT INTO TAZMF (MF001) VALUES ('RMB');\nINSERT INTO NOTABLE VALUES (1);\n";
    options.DataDir = broken.string();
    try {
        TDbSession session(options);
        FAIL() << "a broken seed must not open";
    } catch (const EDbError& error) {
        EXPECT_NE(error.Message().find("seed.sql"), std::string::npos) << error.Message();
    }
    {
        TRawDb raw(options.Path);
        EXPECT_EQ(raw.Value("PRAGMA user_version"), "0");
        EXPECT_EQ(raw.Value("SELECT count(*) FROM sqlite_schema"), "0");
    }

    options.DataDir = SourceDataDir();
    TDbSession session(options);
    EXPECT_EQ(session.Select("SELECT count(*) FROM TAZMF").Rows.at(0).at(0).AsInteger(), 5);
}

TEST(DemoDatabase, BadOptionsAreRefused) {
    TTempFolder folder;
    TDbOptions options = DemoOptions(folder);
    options.CodePage = 1234;
    EXPECT_THROW(TDbSession{options}, EDbError);
    options.CodePage = 936;
    options.Path.clear();
    EXPECT_THROW(TDbSession{options}, EDbError);
    options.Path = (folder.Path() / "no folder" / "demo.db").string();
    EXPECT_THROW(TDbSession{options}, EDbError);

    TDbSession session(DemoOptions(folder));
    EXPECT_THROW(session.SetCodePage(1234), EDbError);
    EXPECT_EQ(session.CodePage(), 936u);
}

TEST(DemoDatabase, DataFolderIsFoundBesideTheExecutable) {
    const std::string dir = FindDataDir();
    ASSERT_FALSE(dir.empty());
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(dir) / "seed.sql"));
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(dir) / "catalogue"));
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(dir) / "messages"));
}

TEST(DemoDatabase, TransactionCommitsOrLeavesNothing) {
    TTempFolder folder;
    TDbSession session(DemoOptions(folder));
    const std::string before = TRawDb(session.Path()).Fingerprint();

    // A failure in the middle takes back what the transaction had written.
    EXPECT_THROW(session.Transaction([](TDbWriter& writer) {
        writer.Exec("DELETE FROM KVRTB WHERE TB002 = '20261112001'");
        writer.Exec("DELETE FROM KVRTA WHERE TA002 = '20261112001'");
        writer.Exec("INSERT INTO KVRTB (TB001, TB002, TB003) VALUES ('5101', 'NO HEADER', '0001')");
    }),
                 EDbError);
    EXPECT_THROW(session.Transaction([](TDbWriter& writer) {
        writer.Exec("DELETE FROM KVRTB WHERE TB002 = '20261108001'");
        writer.Exec("DELETE FROM KVRTA WHERE TA002 = '20261108001'");
        throw std::runtime_error("caller gives up");
    }),
                 std::runtime_error);
    EXPECT_EQ(TRawDb(session.Path()).Fingerprint(), before);

    // Nested transactions are refused and the outer one stays intact.
    session.Transaction([&](TDbWriter& writer) {
        EXPECT_THROW(session.Transaction([](TDbWriter&) {}), EDbError);
        writer.Exec("UPDATE KVRTA SET FLAG = FLAG + 1 WHERE TA002 = :number",
                    TDbNamedParams{{"number", Variant(AnsiString("20261108001"))}});
        EXPECT_EQ(
            writer.Select("SELECT FLAG FROM KVRTA WHERE TA002 = '20261108001'").Rows.at(0).at(0).AsInteger(),
            3);
    });
    EXPECT_EQ(
        session.Select("SELECT FLAG FROM KVRTA WHERE TA002 = '20261108001'").Rows.at(0).at(0).AsInteger(), 3);
}

TEST(DemoDatabase, SessionsSeeOnlyCommittedChangesAndWritersWaitTheirTurn) {
    TTempFolder folder;
    TDbOptions options = DemoOptions(folder);
    options.BusyTimeoutMs = 0; // a locked database answers at once
    TDbSession first(options);
    TDbSession second(options);
    auto phrases = [](TDbSession& session) {
        return session.Select("SELECT count(*) FROM WOQMP").Rows.at(0).at(0).AsInteger();
    };
    first.Transaction([&](TDbWriter& writer) {
        writer.Exec("INSERT INTO WOQMP (MP001, MP002, MP003) VALUES ('DEMO', '0002', 'x')");
        EXPECT_EQ(phrases(second), 7);
        EXPECT_THROW(second.Transaction([](TDbWriter&) {}), EDbError);
    });
    EXPECT_EQ(phrases(second), 8);
    second.Transaction([](TDbWriter& writer) { writer.Exec("DELETE FROM WOQMP WHERE MP003 = 'x'"); });
    EXPECT_EQ(phrases(first), 7);
}

TEST(DemoDatabase, ParametersBindByPositionAndByName) {
    TTempFolder folder;
    TDbSession session(DemoOptions(folder));
    const TDbResult byPosition = session.Select("SELECT MA002, ?2 FROM BYVMA WHERE MA001 = ?1",
                                                TDbParams{Variant(AnsiString("S0002")), Variant(7)});
    EXPECT_EQ(byPosition.Rows.at(0).at(0).AsString(), "奥兰电子");
    EXPECT_EQ(byPosition.Rows.at(0).at(1).AsInteger(), 7);
    EXPECT_EQ(byPosition.ColumnIndex("ma002"), 0);
    EXPECT_EQ(byPosition.ColumnIndex("MA003"), -1);
    // A missing positional value is null; a missing name is an error, not a silent null.
    EXPECT_TRUE(VarIsNull(session.Select("SELECT ?1", TDbParams{}).Rows.at(0).at(0)));
    EXPECT_THROW(session.Select("SELECT :missing", TDbNamedParams{}), EDbError);
    EXPECT_THROW(session.Select("SELECT 1; SELECT 2"), EDbError);
}

TEST(DemoDatabase, ValuesTravelAsVariantsOfTheirTypes) {
    TTempFolder folder;
    TDbSession session(DemoOptions(folder));
    // What comes out: integers, large integers, floats, texts, nulls and blobs.
    const TDbRow row =
        session.Select("SELECT 42, 20261108001, 7.1304, 'RMB', NULL, x'00FF10', x''").Rows.at(0);
    EXPECT_EQ(VarType(row[0]), varInteger);
    EXPECT_EQ(row[0].AsInteger(), 42);
    EXPECT_EQ(VarType(row[1]), varInt64);
    EXPECT_EQ(row[1].AsInt64(), 20261108001);
    EXPECT_EQ(VarType(row[2]), varDouble);
    EXPECT_DOUBLE_EQ(row[2].AsFloat(), 7.1304);
    EXPECT_EQ(VarType(row[3]), varString);
    EXPECT_EQ(row[3].AsString(), "RMB");
    EXPECT_TRUE(VarIsNull(row[4]));
    EXPECT_EQ(VarType(row[5]), varArray | varByte);
    EXPECT_EQ(VarArrayHighBound(row[5], 1), 2);
    EXPECT_EQ(row[5][1].AsInteger(), 255);
    EXPECT_EQ(VarArrayHighBound(row[6], 1), -1);

    // What goes in, read back as SQLite stored it.
    const TDbResult types =
        session.Select("SELECT typeof(?1), typeof(?2), typeof(?3), typeof(?4), typeof(?5), typeof(?6), "
                       "typeof(?7), typeof(?8), "
                       "?5, hex(?7), ?8 = ?9",
                       TDbParams{Unassigned(), Null(), Variant(true), Variant(static_cast<short>(-3)),
                                 Variant(2.5), VarFromCurrency(12.34), VarArrayCreate({0, -1}, varByte),
                                 Variant(u"中文"), Variant("中文")});
    const std::vector<AnsiString> expected = {"null", "null", "integer", "integer",
                                              "real", "real", "blob",    "text"};
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(types.Rows.at(0).at(i).AsString(), expected[i]) << i;
    EXPECT_DOUBLE_EQ(types.Rows[0][8].AsFloat(), 2.5);
    EXPECT_EQ(types.Rows[0][10].AsInteger(), 1); // a wide string and its GBK bytes are the same text
    Variant bytes = VarArrayCreate({0, 2}, varByte);
    bytes.PutElement({0}, 1);
    bytes.PutElement({1}, 0);
    bytes.PutElement({2}, 200);
    EXPECT_EQ(session.Select("SELECT hex(?1)", TDbParams{bytes}).Rows.at(0).at(0).AsString(), "0100C8");
    // Values no column can hold are refused, not stored as something else.
    EXPECT_THROW(session.Select("SELECT ?1", TDbParams{VarArrayOf({1, 2})}), EDbError);
}

// The client's database code page at the boundary: GBK or BIG5 bytes in, UTF-8 in the file, the
// client's bytes out.
TEST(CodePageBoundary, GbkTextIsStoredAsUtf8AndComesBackAsGbk) {
    TTempFolder folder;
    TDbSession session(DemoOptions(folder, 936));
    const AnsiString gbk = "装船后十日内交单"; // the narrow literal is GBK
    ASSERT_EQ(gbk, Utf8To(936, u8"装船后十日内交单"));
    session.Transaction([&](TDbWriter& writer) {
        writer.Exec("INSERT INTO WOQMP (MP001, MP002, MP003) VALUES ('DEMO', '0009', ?1)",
                    {Variant(AnsiString(gbk))});
    });
    EXPECT_EQ(TRawDb(session.Path()).Value("SELECT MP003 FROM WOQMP WHERE MP002 = '0009'"),
              u8"装船后十日内交单");
    EXPECT_EQ(session.Select("SELECT MP003 FROM WOQMP WHERE MP002 = '0009'").Rows.at(0).at(0).AsString(),
              gbk);
    // The seed's own texts and column names come out in GBK too, also through a client's query.
    const TDbResult result =
        session.ClientSelect("SELECT MA001 AS 编号, MA002 FROM BYVMA WHERE MA002 = '奥兰电子'");
    EXPECT_EQ(result.Columns.at(0), "编号");
    ASSERT_EQ(result.Rows.size(), 1u);
    EXPECT_EQ(result.Rows[0][1].AsString(), "奥兰电子");
    // A refusal speaks the client's code page as well.
    try {
        session.ClientSelect("SELECT 1 -- 注释");
        FAIL();
    } catch (const EDbRefused& error) {
        EXPECT_NE(error.Message().find("注释"), std::string::npos);
    }
}

TEST(CodePageBoundary, Big5ClientReadsAndWritesItsOwnBytes) {
    TTempFolder folder;
    TDbSession big5(DemoOptions(folder, 950));
    const AnsiString traditional = Utf8To(950, u8"信用狀開證作業");
    EXPECT_EQ(big5.Select("SELECT MB012 FROM WOQMB WHERE MB001 = 'KVRX58'").Rows.at(0).at(0).AsString(),
              traditional);
    const TDbResult found = big5.ClientSelect("SELECT MB001 FROM WOQMB WHERE MB012 = '" + traditional + "'");
    ASSERT_EQ(found.Rows.size(), 1u);
    EXPECT_EQ(found.Rows[0][0].AsString(), "KVRX58");

    const AnsiString remark = Utf8To(950, u8"開狀銀行請於裝船前通知");
    big5.Transaction([&](TDbWriter& writer) {
        writer.Exec("UPDATE KVRTA SET TA037 = ?1 WHERE TA002 = '20261112001'", {Variant(AnsiString(remark))});
    });
    EXPECT_EQ(TRawDb(big5.Path()).Value("SELECT TA037 FROM KVRTA WHERE TA002 = '20261112001'"),
              u8"開狀銀行請於裝船前通知");
    // The same text read by a GBK client, and by one that speaks UTF-8.
    TDbSession gbk(DemoOptions(folder, 936));
    EXPECT_EQ(gbk.Select("SELECT TA037 FROM KVRTA WHERE TA002 = '20261112001'").Rows.at(0).at(0).AsString(),
              Utf8To(936, u8"開狀銀行請於裝船前通知"));
    gbk.SetCodePage(CP_UTF8);
    EXPECT_EQ(gbk.Select("SELECT TA037 FROM KVRTA WHERE TA002 = '20261112001'").Rows.at(0).at(0).AsString(),
              u8"開狀銀行請於裝船前通知");
}

} // namespace
