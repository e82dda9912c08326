// Saving letters of credit through pvdMain's deltas: a header with its lines added, changed and
// deleted, numbering by the server, rejected rows and concurrent saves, clients' SQL that tries to
// leave its place, and what the user's rights permit. In process and over TCP alike.
#include <gmock/gmock.h>

#include <thread>

#include "classlib/rtl/datetime.h"
#include "tests/standins/appserver/serverfixture.h"

namespace {

const AnsiString Pending(20, '~'); // the key of lines whose header is new

class Documents : public testing::TestWithParam<TReach> {
protected:
    TServerDatabase Db;
    TServerReach Reach{GetParam()};
    Variant Server = Reach.AppServer();
    TPacketView Layout = GetRecords(Server, "1 = 0", "", 0);

    std::map<AnsiString, Variant> Header(const AnsiString& type, const AnsiString& number) {
        return {{"COMPANY", "DEMO"}, {"CREATOR", "DEMO"},   {"USR_GROUP", "IMP"}, {"TA001", type},
                {"TA002", number},   {"TA008", "20261210"}, {"TA005", "S0002"},   {"TA006", "B001"},
                {"TA016", "USD"},    {"TA017", 7.1114},     {"TA018", 12340.5},   {"TA021", 0.1},
                {"TA036", "F01"},    {"TA038", "N"}};
    }
    std::map<AnsiString, Variant> Line(const AnsiString& type, const AnsiString& number,
                                       const AnsiString& seq, const AnsiString& orderSeq) {
        return {{"COMPANY", "DEMO"}, {"TB001", type},   {"TB002", number},
                {"TB003", seq},      {"TB004", "3301"}, {"TB005", "20261110002"},
                {"TB006", orderSeq}, {"TB007", "W03"},  {"TB009", "N"}};
    }
    Variant LineRow(TUpdateStatus status, int id, const std::map<AnsiString, Variant>& values,
                    const Variant& old = Variant()) {
        return MakeDeltaRow(status, id, TDeltaWriter::Values(Layout.LineFields(), values), old);
    }
    Variant HeadRow(TUpdateStatus status, int id, const std::map<AnsiString, Variant>& values,
                    const std::vector<Variant>& lines, const Variant& old = Variant()) {
        const Variant nested = lines.empty() ? Variant() : VarArrayOf(lines);
        return MakeDeltaRow(status, id, TDeltaWriter::Values(Layout.Fields, values, nested), old);
    }
    Variant Delta(const std::vector<Variant>& rows) { return TDeltaWriter(Layout.Fields).Delta(rows); }

    // A new document of type 5101 with three lines, numbered by the server.
    AnsiString AddDocument(const AnsiString& shownNumber = "20261210001") {
        VarCall(Server, "SetIsSeq", {true});
        const Variant errors = ApplyUpdates(
            Server, Delta({HeadRow(usInserted, 1, Header("5101", shownNumber),
                                   {LineRow(usInserted, 2, Line("5101", Pending, "0001", "0001")),
                                    LineRow(usInserted, 3, Line("5101", Pending, "0002", "0002")),
                                    LineRow(usInserted, 4, Line("5101", Pending, "0003", "0001"))})}));
        EXPECT_TRUE(errors.GetElement({epCommitted}).AsBoolean());
        return VarCall(Server, "WhatIs", {"SEQNO"}).AsString();
    }
    std::string Count(const std::string& table, const std::string& where) {
        return Db.Value("SELECT count(*) FROM " + table + " WHERE " + where);
    }
};

INSTANTIATE_TEST_SUITE_P(Reach, Documents, testing::Values(TReach::InProcess, TReach::Tcp), ReachName);

// The message of each row error.
std::vector<AnsiString> ErrorMessages(const Variant& errorPacket) {
    std::vector<AnsiString> messages;
    const Variant errors = errorPacket.GetElement({epErrors});
    for (int i = 0; i < VarArrayLength(errors); ++i)
        messages.push_back(errors.GetElement({i}).GetElement({reMessage}).AsString());
    return messages;
}

TEST_P(Documents, AHeaderWithThreeLinesIsAddedChangedAndDeleted) {
    const AnsiString number = AddDocument();
    EXPECT_EQ(number, "20261210001");
    EXPECT_EQ(Count("KVRTB", "TB001 = '5101' AND TB002 = '20261210001'"), "3");
    EXPECT_EQ(Count("KVRTB", "TB002 LIKE '~%'"), "0");
    EXPECT_EQ(Db.Value("SELECT FLAG FROM KVRTA WHERE TA002 = '20261210001'"), "1");
    // A field the new row leaves null keeps the column's default.
    EXPECT_EQ(Db.Value("SELECT TA039 || '/' || TA019 FROM KVRTA WHERE TA002 = '20261210001'"), "N/0");

    // Read it back as the client holds it, then change the header, change line 2, delete line 3 and add
    // a fourth.
    const TPacketView read = GetRecords(Server, "KVRTA.TA002 = '" + number + "'");
    ASSERT_EQ(read.RowCount(), 1);
    ASSERT_EQ(VarArrayLength(read.Lines(0)), 3);
    EXPECT_EQ(read.LineValue(0, 0, "TD004C").AsString(), "E-2001");
    const Variant headOld = read.Row(0);
    std::map<AnsiString, Variant> head = TDeltaWriter::Map(read.Fields, headOld);
    head["TA037"] = Variant("改为分批装运");
    head["TA018"] = Variant(15000.0);
    auto lineOld = [&](int i) { return read.Lines(0).GetElement({i}); };
    std::map<AnsiString, Variant> line2 = TDeltaWriter::Map(read.LineFields(), lineOld(1));
    line2["TB008"] = Variant(1500.25);
    const Variant delta =
        Delta({HeadRow(usModified, 1, head,
                       {LineRow(usModified, 3, line2, lineOld(1)),
                        LineRow(usDeleted, 4, TDeltaWriter::Map(read.LineFields(), lineOld(2)), lineOld(2)),
                        LineRow(usInserted, 5, Line("5101", number, "0004", "0002"))},
                       headOld)});
    int errorCount = -1;
    const Variant result = ApplyUpdates(Server, delta, &errorCount);
    EXPECT_TRUE(result.GetElement({epCommitted}).AsBoolean())
        << testing::PrintToString(ErrorMessages(result));
    EXPECT_EQ(errorCount, 0);
    EXPECT_EQ(Db.Value("SELECT TA037 FROM KVRTA WHERE TA002 = '20261210001'"), u8"改为分批装运");
    EXPECT_EQ(Db.Value("SELECT FLAG FROM KVRTA WHERE TA002 = '20261210001'"), "2");
    EXPECT_EQ(Db.Value("SELECT group_concat(TB003, ',') FROM (SELECT TB003 FROM KVRTB WHERE TB002 = "
                       "'20261210001' ORDER BY TB003)"),
              "0001,0002,0004");
    EXPECT_EQ(Db.Value("SELECT TB008 FROM KVRTB WHERE TB002 = '20261210001' AND TB003 = '0002'"), "1500.25");
    EXPECT_EQ(Db.Value("SELECT FLAG FROM KVRTB WHERE TB002 = '20261210001' AND TB003 = '0002'"), "2");

    // Deleting the header takes its lines with it, the deleted ones listed or not.
    const TPacketView again = GetRecords(Server, "KVRTA.TA002 = '" + number + "'");
    const Variant deleteDelta = Delta(
        {HeadRow(usDeleted, 1, TDeltaWriter::Map(again.Fields, again.Row(0)),
                 {LineRow(usDeleted, 2, TDeltaWriter::Map(again.LineFields(), again.Lines(0).GetElement({0})),
                          again.Lines(0).GetElement({0}))},
                 again.Row(0))});
    EXPECT_TRUE(ApplyUpdates(Server, deleteDelta).GetElement({epCommitted}).AsBoolean());
    EXPECT_EQ(Count("KVRTA", "TA002 = '20261210001'"), "0");
    EXPECT_EQ(Count("KVRTB", "TB002 = '20261210001'"), "0");
}

TEST_P(Documents, TheServerNumbersByTheTypesRuleAndSeqNoTellsTheNumber) {
    EXPECT_EQ(AddDocument(), "20261210001");
    EXPECT_EQ(AddDocument(), "20261210002"); // the shown number was taken: the next one
    // A monthly type: year-month and five digits.
    VarCall(Server, "SetIsSeq", {true});
    ASSERT_TRUE(ApplyUpdates(Server, Delta({HeadRow(usInserted, 1, Header("5103", ""), {})}))
                    .GetElement({epCommitted})
                    .AsBoolean());
    EXPECT_EQ(VarCall(Server, "WhatIs", {"SEQNO"}).AsString(), "20261200001");
    // Numbered by hand, or with the server's numbering off: the client's number stands.
    ASSERT_TRUE(ApplyUpdates(Server, Delta({HeadRow(usInserted, 1, Header("5102", "LC-HAND-01"), {})}))
                    .GetElement({epCommitted})
                    .AsBoolean());
    EXPECT_EQ(VarCall(Server, "WhatIs", {"SEQNO"}).AsString(), "LC-HAND-01");
    VarCall(Server, "SetIsSeq", {false});
    ASSERT_TRUE(ApplyUpdates(Server, Delta({HeadRow(usInserted, 1, Header("5101", "20261210777"), {})}))
                    .GetElement({epCommitted})
                    .AsBoolean());
    EXPECT_EQ(VarCall(Server, "WhatIs", {"SEQNO"}).AsString(), "20261210777");
    EXPECT_EQ(Count("KVRTA", "TA001 = '5101' AND TA002 LIKE '20261210%'"), "3");
}

// Each numbering kind in turn, the numbers of a type with one digit running out, an unknown type, and
// a document without its date (numbered on today's); a refused number writes nothing.
TEST_P(Documents, EveryNumberingKindAndItsLimits) {
    {
        TDbSession session(DemoOptions(Db.Folder()));
        session.Transaction([](TDbWriter& writer) {
            writer.Exec("INSERT INTO TAZMQ (MQ001, MQ002, MQ003, MQ004, MQ005, MQ009) VALUES "
                        "('5104', 'running', 'A1', '3', 4, 'Y'), ('5105', 'one digit', 'A1', '1', 1, 'Y'), "
                        "('5106', 'too long', 'A1', '3', 12, 'Y')");
        });
    }
    VarCall(Server, "SetIsSeq", {true});
    auto save = [&](const AnsiString& type, const AnsiString& date) {
        std::map<AnsiString, Variant> head = Header(type, "");
        head["TA008"] = date.empty() ? Null() : Variant(date);
        const Variant result = ApplyUpdates(
            Server, Delta({HeadRow(usInserted, 1, head,
                                   {LineRow(usInserted, 2, Line(type, Pending, "0001", "0001"))})}));
        if (!result.GetElement({epCommitted}).AsBoolean()) return "refused: " + ErrorMessages(result)[0];
        return VarCall(Server, "WhatIs", {"SEQNO"}).AsString();
    };
    struct {
        const char* Type;
        AnsiString Date;
        AnsiString Number; // '' : the next of today's
    } cases[] = {
        {"5101", "20250310", "20250310001"},
        {"5101", "20250310", "20250310002"},
        {"5101", "20250311", "20250311001"},
        {"5103", "20250315", "20250300001"},
        {"5103", "20250331", "20250300002"},
        {"5104", "20250310", "0001"},
        {"5104", "20250401", "0002"},
        {"5101", "", ""},
        {"5101", "2026-12", ""},
    };
    const std::string today = FormatDateTime("yyyymmdd", Now());
    for (const auto& c : cases) {
        AnsiString expected = c.Number;
        if (expected.empty()) {
            const int used = std::stoi(Count("KVRTA", "TA001 = '5101' AND TA002 LIKE '" + today + "___'"));
            char running[16];
            std::snprintf(running, sizeof running, "%03d", used + 1);
            expected = today + running;
        }
        EXPECT_EQ(save(c.Type, c.Date), expected) << c.Type << " " << c.Date;
    }
    EXPECT_EQ(Db.Value("SELECT count(*) FROM KVRTB WHERE TB002 = '0002' AND TB001 = '5104'"), "1");

    // A number typed by hand in the shape of the type's but not all digits does not count.
    {
        TDbSession session(DemoOptions(Db.Folder()));
        session.Transaction([](TDbWriter& writer) {
            writer.Exec("INSERT INTO KVRTA (TA001, TA002) VALUES ('5105', '20261210X'), ('5105', '2026121')");
        });
    }
    for (int i = 1; i <= 9; ++i)
        ASSERT_EQ(save("5105", "20261210"), "20261210" + std::to_string(i));
    const std::string before = Db.Fingerprint();
    EXPECT_THAT(save("5105", "20261210"), testing::HasSubstr("的单号已经用完 (20261210)"));
    EXPECT_THAT(save("5199", "20261210"), testing::HasSubstr("单别 5199 不存在"));
    // A type whose numbers are longer than the number's column.
    EXPECT_THAT(save("5106", "20261210"), testing::HasSubstr("栏位内容超过长度: TA002 (11)"));
    EXPECT_EQ(Db.Fingerprint(), before);
    EXPECT_EQ(VarCall(Server, "WhatIs", {"SEQNO"}).AsString(), "202612109"); // the last that was given
}

TEST_P(Documents, ARejectedRowComesBackWithItsReasonAndNothingIsWritten) {
    const std::string before = Db.Fingerprint();
    VarCall(Server, "SetIsSeq", {false});
    struct {
        const char* Name;
        Variant Delta;
        int ErrorCode;
    } cases[] = {
        // The header is fine, its second line repeats an existing key: the header is not written either.
        {"existing line key",
         Delta({HeadRow(usInserted, 1, Header("5101", "20261210900"),
                        {LineRow(usInserted, 2, Line("5101", Pending, "0001", "0001")),
                         LineRow(usInserted, 3, Line("5101", Pending, "0001", "0002"))})}),
         3},
        {"existing document", Delta({HeadRow(usInserted, 1, Header("5101", "20261108001"), {})}), 3},
        {"unknown line item",
         Delta({HeadRow(usInserted, 1, Header("5101", "20261210901"),
                        {LineRow(usInserted, 7, Line("5101", Pending, "", "0001"))})}),
         4},
        {"deleted meanwhile",
         Delta({HeadRow(usDeleted, 1, Header("5101", "20261299999"), {},
                        TDeltaWriter::Values(Layout.Fields,
                                             {{"TA001", "5101"}, {"TA002", "20261299999"}, {"FLAG", 1}}))}),
         2},
    };
    for (const auto& c : cases) {
        int errorCount = 0;
        const Variant result = ApplyUpdates(Server, c.Delta, &errorCount);
        EXPECT_FALSE(result.GetElement({epCommitted}).AsBoolean()) << c.Name;
        ASSERT_EQ(errorCount, 1) << c.Name;
        const Variant error = result.GetElement({epErrors}).GetElement({0});
        EXPECT_EQ(error.GetElement({reErrorCode}).AsInteger(), c.ErrorCode) << c.Name;
        EXPECT_FALSE(error.GetElement({reMessage}).AsString().empty()) << c.Name;
        EXPECT_EQ(Db.Fingerprint(), before) << c.Name;
    }
    // The error names the row by its id: the line that repeated the key.
    const Variant lineError = ApplyUpdates(Server, cases[0].Delta).GetElement({epErrors}).GetElement({0});
    EXPECT_EQ(lineError.GetElement({reRowId}).AsInteger(), 3);
    EXPECT_NE(lineError.GetElement({reMessage}).AsString().find("资料已经存在"), AnsiString::npos);
}

// Packets no client of the framework sends, each refused whole with its reason: a document's key
// changed, a line of another document slipped under this header (whose rights were the ones checked),
// and texts longer than their columns (a line number past 9999 among them).
TEST_P(Documents, ABadPacketIsRefusedWholeWithItsReason) {
    const std::string before = Db.Fingerprint();
    VarCall(Server, "SetIsSeq", {false});
    const TPacketView mine = GetRecords(Server, "KVRTA.TA002 = '20261112001'");
    const TPacketView other = GetRecords(Server, "KVRTA.TA002 = '20261108001'");
    const Variant headOld = mine.Row(0);
    const std::map<AnsiString, Variant> head = TDeltaWriter::Map(mine.Fields, headOld);
    auto with = [](std::map<AnsiString, Variant> values, const AnsiString& field, const Variant& value) {
        values[field] = value;
        return values;
    };
    const Variant otherLine = other.Lines(0).GetElement({0});
    const std::map<AnsiString, Variant> otherValues = TDeltaWriter::Map(other.LineFields(), otherLine);
    struct {
        const char* Name;
        Variant Delta;
        const char* Told;
    } cases[] = {
        {"key changed", Delta({HeadRow(usModified, 1, with(head, "TA002", "20261112999"), {}, headOld)}),
         "单据的键值不能更改"},
        {"another document's line changed",
         Delta({HeadRow(usModified, 1, with(head, "TA037", "x"),
                        {LineRow(usModified, 2, with(otherValues, "TB008", 1.0), otherLine)}, headOld)}),
         "单身不属于此单据"},
        {"another document's line deleted",
         Delta({HeadRow(usUnmodified, 1, head, {LineRow(usDeleted, 2, otherValues, otherLine)}, headOld)}),
         "单身不属于此单据"},
        {"a line moved to another document",
         Delta({HeadRow(usUnmodified, 1, head,
                        {LineRow(usModified, 2,
                                 with(TDeltaWriter::Map(mine.LineFields(), mine.Lines(0).GetElement({0})),
                                      "TB002", "20261108001"),
                                 mine.Lines(0).GetElement({0}))},
                        headOld)}),
         "单身不属于此单据"},
        {"line number past four characters",
         Delta({HeadRow(usUnmodified, 1, head,
                        {LineRow(usInserted, 2, Line("5101", "20261112001", "10000", "0002"))}, headOld)}),
         "栏位内容超过长度: TB003 (4)"},
        {"remark longer than its column",
         Delta({HeadRow(usModified, 1, with(head, "TA037", AnsiString(256, '\xb0') + AnsiString(1, 'x')), {},
                        headOld)}),
         "栏位内容超过长度: TA037 (255)"},
        {"new document's number too long",
         Delta({HeadRow(usInserted, 1, Header("5102", "LC-2026-HAND-0001"), {})}),
         "栏位内容超过长度: TA002 (11)"},
    };
    for (const auto& c : cases) {
        int errorCount = 0;
        const Variant result = ApplyUpdates(Server, c.Delta, &errorCount);
        EXPECT_FALSE(result.GetElement({epCommitted}).AsBoolean()) << c.Name;
        ASSERT_EQ(errorCount, 1) << c.Name << testing::PrintToString(ErrorMessages(result));
        EXPECT_THAT(ErrorMessages(result)[0], testing::HasSubstr(c.Told)) << c.Name;
        EXPECT_EQ(Db.Fingerprint(), before) << c.Name;
    }
    // Within the sizes all is well: a 255-byte remark of Chinese text and the four-character line 9999.
    const Variant fine =
        Delta({HeadRow(usModified, 1, with(head, "TA037", AnsiString(254, '\xb0').append(1, 'x')),
                       {LineRow(usInserted, 2, Line("5101", "20261112001", "9999", "0002"))}, headOld)});
    EXPECT_TRUE(ApplyUpdates(Server, fine).GetElement({epCommitted}).AsBoolean());
    EXPECT_EQ(Db.Value("SELECT length(CAST(TA037 AS BLOB)) FROM KVRTA WHERE TA002 = '20261112001'"), "382");
    EXPECT_EQ(Count("KVRTB", "TB002 = '20261112001' AND TB003 = '9999'"), "1");
}

TEST_P(Documents, TheSecondOfTwoConcurrentSavesIsRejectedAndTheFirstStands) {
    Variant other = Reach.AppServer("DEMO"); // another session of a user who may change it too
    const TPacketView mine = GetRecords(Server, "KVRTA.TA002 = '20261112001'");
    const TPacketView theirs = GetRecords(other, "KVRTA.TA002 = '20261112001'");
    auto change = [&](const TPacketView& read, const char* remark) {
        std::map<AnsiString, Variant> head = TDeltaWriter::Map(read.Fields, read.Row(0));
        head["TA037"] = Variant(remark);
        return Delta({HeadRow(usModified, 1, head, {}, read.Row(0))});
    };
    EXPECT_TRUE(ApplyUpdates(Server, change(mine, "first")).GetElement({epCommitted}).AsBoolean());
    const std::string afterFirst = Db.Fingerprint();
    int errorCount = 0;
    const Variant second = ApplyUpdates(other, change(theirs, "second"), &errorCount);
    EXPECT_FALSE(second.GetElement({epCommitted}).AsBoolean());
    ASSERT_EQ(errorCount, 1);
    EXPECT_EQ(second.GetElement({epErrors}).GetElement({0}).GetElement({reErrorCode}).AsInteger(), 1);
    EXPECT_NE(ErrorMessages(second)[0].find("资料已被其他用户更改"), AnsiString::npos);
    EXPECT_EQ(Db.Fingerprint(), afterFirst);
    EXPECT_EQ(Db.Value("SELECT TA037 FROM KVRTA WHERE TA002 = '20261112001'"), "first");
    // Deleting the changed row from the old reading is refused the same way.
    const Variant remove =
        Delta({HeadRow(usDeleted, 1, TDeltaWriter::Map(theirs.Fields, theirs.Row(0)), {}, theirs.Row(0))});
    EXPECT_FALSE(ApplyUpdates(other, remove).GetElement({epCommitted}).AsBoolean());
    EXPECT_EQ(Db.Fingerprint(), afterFirst);
}

TEST_P(Documents, ConditionsAndSortTextsCannotLeaveTheirPlace) {
    const std::string before = Db.Fingerprint();
    const char* conditions[] = {
        "1=1; DELETE FROM KVRTA",
        "1=1) OR (1=1",
        "1=1 -- ",
        "1=1 /* */",
        "TA001 IN (SELECT name FROM sqlite_schema)",
        "load_extension('x') IS NULL",
        "TA001 = '5101'); DROP TABLE KVRTB; --",
    };
    for (const char* condition : conditions)
        EXPECT_THROW(GetRecords(Server, condition), EOleError) << condition;
    const char* sorts[] = {"TA001; DELETE FROM KVRTA", "TA001) --", "(SELECT 1) UNION SELECT 1"};
    for (const char* sort : sorts)
        EXPECT_THROW(GetRecords(Server, "All", sort), EOleError) << sort;
    // A quote that closes the literal stays inside it: no rows, no harm.
    EXPECT_EQ(GetRecords(Server, "TA005 = 'S0001'' OR ''1''=''1'").RowCount(), 0);
    EXPECT_EQ(Db.Fingerprint(), before);
    // The server goes on serving.
    EXPECT_EQ(GetRecords(Server, "All").RowCount(), 2);
}

TEST_P(Documents, ManyConnectionsReadAndSaveAtOnce) {
    std::vector<Variant> servers;
    for (int i = 0; i < 6; ++i)
        servers.push_back(Reach.AppServer());
    std::vector<std::thread> threads;
    std::vector<int> committed(servers.size(), 0);
    for (size_t i = 0; i < servers.size(); ++i)
        threads.emplace_back([&, i] {
            for (int n = 0; n < 5; ++n) {
                VarCall(servers[i], "SetIsSeq", {true});
                const Variant result = ApplyUpdates(
                    servers[i],
                    Delta({HeadRow(usInserted, 1, Header("5101", ""),
                                   {LineRow(usInserted, 2, Line("5101", Pending, "0001", "0001"))})}));
                committed[i] += result.GetElement({epCommitted}).AsBoolean() ? 1 : 0;
                GetRecords(servers[i], "All", "", 5);
            }
        });
    for (std::thread& thread : threads)
        thread.join();
    for (int count : committed)
        EXPECT_EQ(count, 5);
    EXPECT_EQ(Count("KVRTA", "TA002 LIKE '20261210%'"), "30");
    EXPECT_EQ(Count("KVRTB", "TB002 LIKE '20261210%'"), "30");
    EXPECT_EQ(Db.Value("SELECT max(TA002) FROM KVRTA WHERE TA002 LIKE '20261210%'"), "20261210030");
}

} // namespace

// Users beside the demo's, for the rights: WANGH has no rights of his own and takes his group IMP's
// (rights by record: his own and his groups' records, no others'); SUNM may only change.
void AddRightsUsers(const std::string& path) {
    OpenServerSession(); // the database made first
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    const char* sql =
        "INSERT INTO QVNMA (COMPANY, MA001, MA002, MA003, MA006) VALUES "
        "('DEMO', 'WANGH', 'W', 'IMP', 'Y'), ('DEMO', 'SUNM', 'S', 'FIN', 'Y');"
        "INSERT INTO QVNMF (MF001, MF002) VALUES ('WANGH', 'IMP'), ('SUNM', 'FIN');"
        "INSERT INTO QVNMD (MD001, MD002, MD003) VALUES ('SUNM', 'KVRX58', ',Y,N,NYNNNNNNNNNN,,');";
    EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
}

class Rights : public Documents {
protected:
    void SetUp() override { AddRightsUsers(Db.Path()); }

    // A change of the stored document's header fields (and, when asked, its lines' confirm code).
    Variant Change(const Variant& server, const AnsiString& number,
                   const std::map<AnsiString, Variant>& values, const AnsiString& lineCode = "") {
        const TPacketView read = GetRecords(server, "KVRTA.TA002 = '" + number + "'");
        std::map<AnsiString, Variant> head = TDeltaWriter::Map(read.Fields, read.Row(0));
        for (const auto& [field, value] : values)
            head[field] = value;
        std::vector<Variant> lines;
        if (!lineCode.empty())
            for (int i = 0; i < VarArrayLength(read.Lines(0)); ++i) {
                const Variant old = read.Lines(0).GetElement({i});
                std::map<AnsiString, Variant> line = TDeltaWriter::Map(read.LineFields(), old);
                line["TB009"] = Variant(lineCode);
                lines.push_back(LineRow(usModified, 10 + i, line, old));
            }
        return HeadRow(usModified, 1, head, lines, read.Row(0));
    }
    Variant Remove(const Variant& server, const AnsiString& number) {
        const TPacketView read = GetRecords(server, "KVRTA.TA002 = '" + number + "'");
        return HeadRow(usDeleted, 2, TDeltaWriter::Map(read.Fields, read.Row(0)), {}, read.Row(0));
    }
    // Applies the rows; '' when written, else the messages of the refused rows.
    std::string Save(const Variant& server, const std::vector<Variant>& rows) {
        const Variant result = ApplyUpdates(server, Delta(rows));
        if (result.GetElement({epCommitted}).AsBoolean()) return "";
        std::string text;
        for (const AnsiString& message : ErrorMessages(result))
            text += message + "\n";
        return text;
    }
};

INSTANTIATE_TEST_SUITE_P(Reach, Rights, testing::Values(TReach::InProcess, TReach::Tcp), ReachName);

TEST_P(Rights, AQueryOnlyUserCanNeitherAddNorChangeNorDelete) {
    const Variant liuf = Reach.AppServer("LIUF");
    const std::string before = Db.Fingerprint();
    VarCall(liuf, "SetIsSeq", {true});
    EXPECT_THAT(Save(liuf, {HeadRow(usInserted, 1, Header("5101", ""),
                                    {LineRow(usInserted, 2, Line("5101", Pending, "0001", "0001"))})}),
                testing::HasSubstr("没有新增的权限 (权限 36)"));
    EXPECT_THAT(Save(liuf, {Change(liuf, "20261112001", {{"TA037", "liuf"}})}),
                testing::HasSubstr("没有更改的权限 (权限 38)"));
    EXPECT_THAT(Save(liuf, {Remove(liuf, "20261112001")}), testing::HasSubstr("没有删除的权限 (权限 39)"));
    EXPECT_EQ(Db.Fingerprint(), before);
    // A packet is refused whole: SUNM's change alone would do, his delete may not.
    const Variant sunm = Reach.AppServer("SUNM");
    const std::string refused =
        Save(sunm, {Change(sunm, "20261112001", {{"TA037", "sunm"}}), Remove(sunm, "20261108001")});
    EXPECT_THAT(refused, testing::HasSubstr("没有删除的权限"));
    EXPECT_THAT(refused, testing::Not(testing::HasSubstr("更改")));
    EXPECT_EQ(Db.Fingerprint(), before);
    EXPECT_EQ(Save(sunm, {Change(sunm, "20261112001", {{"TA037", "sunm"}})}), "");
    EXPECT_EQ(Db.Value("SELECT TA037 FROM KVRTA WHERE TA002 = '20261112001'"), "sunm");
    // The user with every right.
    EXPECT_EQ(
        Save(Server, {Change(Server, "20261112001", {{"TA037", "demo"}}), Remove(Server, "20261108001")}),
        "");
    EXPECT_EQ(Count("KVRTA", "TA002 = '20261108001'"), "0");
}

TEST_P(Rights, TheConfirmCodeGoesOnlyBetweenNotConfirmedAndVoid) {
    const std::string before = Db.Fingerprint();
    const char* confirmOnly = "审核码只能由审核作业更改";
    EXPECT_THAT(Save(Server, {Change(Server, "20261112001", {{"TA038", "Y"}})}),
                testing::HasSubstr(confirmOnly));
    EXPECT_THAT(Save(Server, {Change(Server, "20261108001", {{"TA038", "N"}})}),
                testing::HasSubstr(confirmOnly));
    EXPECT_THAT(Save(Server, {Change(Server, "20261112001", {}, "Y")}), testing::HasSubstr(confirmOnly));
    std::map<AnsiString, Variant> confirmedNew = Header("5101", "20261210950");
    confirmedNew["TA038"] = "Y";
    EXPECT_THAT(Save(Server, {HeadRow(usInserted, 1, confirmedNew, {})}), testing::HasSubstr(confirmOnly));
    EXPECT_EQ(Db.Fingerprint(), before);
    // Void and un-void with the void right; a user who may only change may not void.
    const Variant sunm = Reach.AppServer("SUNM");
    EXPECT_THAT(Save(sunm, {Change(sunm, "20261112001", {{"TA038", "V"}}, "V")}),
                testing::HasSubstr("没有作废的权限 (权限 45)"));
    EXPECT_EQ(Save(Server, {Change(Server, "20261112001", {{"TA038", "V"}}, "V")}), "");
    EXPECT_EQ(Db.Value("SELECT TA038 || min(TB009) || max(TB009) FROM KVRTA JOIN KVRTB ON TB002 = TA002 "
                       "WHERE TA002 = '20261112001'"),
              "VVV");
    EXPECT_EQ(Save(Server, {Change(Server, "20261112001", {{"TA038", "N"}}, "N")}), "");
    EXPECT_EQ(Db.Value("SELECT TA038 FROM KVRTA WHERE TA002 = '20261112001'"), "N");
}

TEST_P(Rights, RightsByRecordFollowItsCreatorAndGroup) {
    const Variant wangh = Reach.AppServer("WANGH");
    // DEMO's document of group IMP, WANGH's group: the group's change right.
    EXPECT_EQ(Save(wangh, {Change(wangh, "20261112001", {{"TA037", "wangh"}})}), "");
    // A document of another group: the others' right, which IMP has not.
    OpenServerSession()->Transaction([](TDbWriter& writer) {
        writer.Exec("UPDATE KVRTA SET USR_GROUP = 'FIN' WHERE TA002 = '20261112001'");
    });
    const std::string before = Db.Fingerprint();
    EXPECT_THAT(Save(wangh, {Change(wangh, "20261112001", {{"TA037", "again"}})}),
                testing::HasSubstr("没有更改的权限 (权限 54)"));
    EXPECT_THAT(Save(wangh, {Remove(wangh, "20261112001")}), testing::HasSubstr("没有删除的权限 (权限 55)"));
    EXPECT_EQ(Db.Fingerprint(), before);
    // His own document, whatever its group.
    OpenServerSession()->Transaction([](TDbWriter& writer) {
        writer.Exec("UPDATE KVRTA SET CREATOR = 'WANGH' WHERE TA002 = '20261112001'");
    });
    EXPECT_EQ(Save(wangh, {Change(wangh, "20261112001", {{"TA037", "mine"}})}), "");
}
