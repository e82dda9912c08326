// The application server RAVEZ01A.Rarer1 and the lookup-window server against the seeded database, in
// process and over TCP: the calls of the host contract, the providers and the saving of deltas.
#include <gmock/gmock.h>

#include <filesystem>

#include "classlib/automation/comserv.h"
#include "classlib/rtl/datetime.h"
#include "tests/standins/appserver/serverfixture.h"

namespace {

class AppServer : public testing::TestWithParam<TReach> {
protected:
    TServerDatabase Db;
    TServerReach Reach{GetParam()};
};

INSTANTIATE_TEST_SUITE_P(Reach, AppServer, testing::Values(TReach::InProcess, TReach::Tcp), ReachName);

bool Contains(const AnsiString& text, const AnsiString& part) {
    return text.find(part) != AnsiString::npos;
}

TEST_P(AppServer, ConnectRefusesUnknownUsersAndProgramsAndMissingParameters) {
    struct {
        Variant Params;
        int Answer;
    } cases[] = {
        {TServerReach::ConnectParams("KVRX58", "DEMO"), 0},
        {TServerReach::ConnectParams("KVRX58", "ZHAOL"), 0}, // no rights, but a user: the rights say so
        {TServerReach::ConnectParams("KVRX58", "NOBODY"), 1},
        {TServerReach::ConnectParams("NOSUCH", "DEMO"), 1},
        {TServerReach::ConnectParams("KVRX58", "DEMO' OR '1'='1"), 1},
        {VarArrayOf({Variant("KVRX58")}), 3},
        {Variant(), 3},
    };
    for (const auto& c : cases) {
        Variant server = Reach.Create("RAVEZ01A.Rarer1");
        EXPECT_EQ(VarCall(server, "Connect", {c.Params}).AsInteger(), c.Answer);
    }
}

// The first successful Connect fixes the user of the object: in process too, another user is refused
// (over TCP the connection ends with it), the same user may connect again, and a failed Connect of
// another user before it fixes nothing.
TEST_P(AppServer, OneObjectSpeaksForOneUser) {
    Variant server = Reach.Create("RAVEZ01A.Rarer1");
    EXPECT_EQ(VarCall(server, "Connect", {TServerReach::ConnectParams("KVRX58", "NOBODY")}).AsInteger(), 1);
    ASSERT_EQ(VarCall(server, "Connect", {TServerReach::ConnectParams("KVRX58", "LIUF")}).AsInteger(), 0);
    EXPECT_EQ(VarCall(server, "Connect", {TServerReach::ConnectParams("KVRX58", "LIUF")}).AsInteger(), 0);
    try {
        VarCall(server, "Connect", {TServerReach::ConnectParams("KVRX58", "DEMO")});
        ADD_FAILURE() << "Connect as another user was not refused";
    } catch (const EOleError& refusal) {
        EXPECT_TRUE(Contains(refusal.Message(), "speaks for LIUF")) << refusal.Message();
    }
    if (GetParam() == TReach::Tcp) {
        EXPECT_THROW(VarCall(server, "WhatIs", {"TODAY"}), ESocketConnectionError);
    } else {
        // Still LIUF's: the query-only user reads, and its rights are the ones the server derived.
        EXPECT_EQ(GetRecords(server, "All").RowCount(), 2);
        EXPECT_THAT(VarToStr(VarCall(server, "SvrData", {})), testing::HasSubstr("POWER_DATA=,Y,N,NNNNNY"));
    }
}

TEST_P(AppServer, SvrDataIsTheProgramsSettingsForTheUser) {
    const AnsiString demo = VarCall(Reach.AppServer("DEMO"), "SvrData").AsString();
    for (const char* line : {"M11_TABLE=KVRTA\r\n", "M11_KEY=TA001,TA002\r\n", "D11_TABLE=KVRTB\r\n",
                             "D11_KEY=TB001,TB002,TB003\r\n", "MAX_RECORD=20\r\n", "USER_GROUP=IMP\r\n",
                             "POWER_DATA=,Y,N,YYYYYYYYYYYY,YYYYYYY,YYYYYYY\r\n", "BaseLimited=N\r\n",
                             "GROUP_LIST='FIN','IMP'\r\n"})
        EXPECT_TRUE(Contains(demo, line)) << line;
    EXPECT_TRUE(Contains(demo, "M11_SELECT=SELECT KVRTA.*"));
    // A user without rights of his own takes his group's; one without either has none.
    EXPECT_TRUE(Contains(VarCall(Reach.AppServer("ZHAOL"), "SvrData").AsString(), "POWER_DATA=\r\n"));
    EXPECT_EQ(VarCall(Reach.Create("RAVEZ01A.Rarer1"), "SvrData").AsString(), "");
}

TEST_P(AppServer, WhatIsAnswersTodaySqlTypeAndTheLastNumber) {
    SetNowForTesting(EncodeDate(2026, 12, 10) + EncodeTime(9, 30, 0, 0));
    Variant server = Reach.AppServer();
    EXPECT_EQ(VarCall(server, "WhatIs", {"TODAY"}).AsString(), "20261210");
    EXPECT_EQ(VarCall(server, "WhatIs", {"SQLTYPE"}).AsInteger(), 0);
    EXPECT_EQ(VarCall(server, "WhatIs", {"SEQNO"}).AsString(), "");
    ResetNowForTesting();
}

TEST_P(AppServer, PvdMainDeliversHeadersWithTheirLinesAndJoinedColumns) {
    Variant server = Reach.AppServer();
    const TPacketView all = GetRecords(server, "All");
    ASSERT_EQ(all.RowCount(), 2);
    EXPECT_TRUE(all.Complete());
    EXPECT_EQ(all.Value(0, "TA002").AsString(), "20261108001");
    EXPECT_EQ(all.Value(0, "TA001C").AsString(), "即期信用证");
    EXPECT_EQ(all.Value(0, "TA005C").AsString(), "海森机械");
    EXPECT_EQ(all.Value(0, "TA006C").AsString(), "东方商业银行浦东支行");
    EXPECT_EQ(all.Value(1, "TA006C").AsString(), "华信银行美元户"); // a bank account, not a bank
    EXPECT_DOUBLE_EQ(all.Value(0, "TA019C").AsFloat(), 73700);
    EXPECT_DOUBLE_EQ(all.Value(0, "FLAG").AsFloat(), 2);
    ASSERT_EQ(VarArrayLength(all.Lines(0)), 2);
    EXPECT_EQ(all.LineValue(0, 1, "TB003").AsString(), "0002");
    EXPECT_EQ(all.LineValue(0, 0, "TD004C").AsString(), "M-1001");
    EXPECT_EQ(all.LineValue(0, 0, "TD007C").AsString(), "进口物料仓");
    EXPECT_DOUBLE_EQ(all.LineValue(1, 1, "TD011C").AsFloat(), 47200);
    // Field definitions: stored columns with their sizes, the lines nested.
    const TPacketField& ta001 = all.Fields[all.Index("TA001", all.Fields)];
    EXPECT_EQ(ta001.DataType, ftString);
    EXPECT_EQ(ta001.Size, 4);
    EXPECT_EQ(all.Fields[all.Index("TA018", all.Fields)].DataType, ftFloat);
    EXPECT_EQ(all.Fields[all.Index("qryBody", all.Fields)].DataType, ftDataSet);
    // An empty answer describes the computed columns as a full one does.
    Variant fresh = Reach.AppServer();
    const TPacketView none = GetRecords(fresh, "1 = 0");
    EXPECT_EQ(none.RowCount(), 0);
    EXPECT_EQ(none.Fields[none.Index("TA019C", none.Fields)].DataType, ftFloat);
    EXPECT_EQ(none.LineFields()[none.Index("TD015C", none.LineFields())].DataType, ftFloat);

    struct {
        const char* Condition;
        const char* Sort;
        std::vector<AnsiString> Numbers;
    } queries[] = {
        {"", "", {"20261108001", "20261112001"}},
        {"KVRTA.TA005 = 'S0002'", "", {"20261112001"}},
        {"TA018 > 70000 AND TA016 = 'EUR'", "", {"20261108001"}},
        {"All", "KVRTA.TA002 DESC", {"20261112001", "20261108001"}},
        {"TA001+TA002 >= '5101' + '20261110000'", "", {"20261112001"}},
        {"SUBSTRING(TA002, 1, 6) = '202611' AND TA005C IS NULL", "", {}},
    };
    for (const auto& q : queries) {
        const TPacketView packet = GetRecords(server, q.Condition, q.Sort);
        std::vector<AnsiString> numbers;
        for (int i = 0; i < packet.RowCount(); ++i)
            numbers.push_back(packet.Value(i, "TA002").AsString());
        EXPECT_EQ(numbers, q.Numbers) << q.Condition;
    }
}

TEST_P(AppServer, PacketsOfTheAskedSizeAndTheRowLimit) {
    Variant server = Reach.AppServer();
    const TPacketView first = GetRecords(server, "All", "", 1);
    EXPECT_EQ(first.RowCount(), 1);
    EXPECT_FALSE(first.Complete());
    const TPacketView second = GetRecords(server, "All", "", 1, false);
    ASSERT_EQ(second.RowCount(), 1);
    EXPECT_EQ(second.Value(0, "TA002").AsString(), "20261112001");
    EXPECT_TRUE(GetRecords(server, "All", "", 1, false).Complete());
    EXPECT_EQ(GetRecords(server, "All", "", 0).RowCount(), 0); // field definitions only
    EXPECT_EQ(VarCall(server, "GetRecCount").AsInteger(), 2);

    VarCall(server, "SetTopRow", {1});
    const TPacketView limited = GetRecords(server, "All", "", 20);
    EXPECT_EQ(limited.RowCount(), 1);
    EXPECT_TRUE(limited.Complete());
    EXPECT_EQ(VarCall(server, "GetRecCount").AsInteger(), 1);
    VarCall(server, "SetTopRow", {0});
    EXPECT_EQ(GetRecords(server, "All").RowCount(), 2);
}

TEST_P(AppServer, PacketsPageToTheSameRowsAsOneReadInEveryOrder) {
    Variant server = Reach.AppServer(); // the database made
    {
        // Sixty documents more, with ties in every sorted column and remarks that are null or not.
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(Db.Path().c_str(), &db), SQLITE_OK);
        std::string sql = "BEGIN;";
        for (int i = 0; i < 60; ++i)
            sql += "INSERT INTO KVRTA (TA001, TA002, TA005, TA006, TA008, TA018, TA037, FLAG) VALUES ('" +
                   std::string(i % 2 ? "5101" : "5102") + "', '2026120" + std::to_string(1000 + i) +
                   "', 'S000" + std::to_string(1 + i % 3) + "', 'B001', '20261201', " +
                   std::to_string(100 * (i % 4)) + ", " +
                   (i % 5 ? "'r" + std::to_string(i % 7) + "'" : std::string("NULL")) + ", 1);";
        sql += "COMMIT;";
        ASSERT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
        sqlite3_close(db);
    }
    auto keys = [](const TPacketView& packet, std::vector<std::string>& into) {
        for (int i = 0; i < packet.RowCount(); ++i)
            into.push_back(packet.Value(i, "TA001").AsString() + "-" + packet.Value(i, "TA002").AsString());
    };
    for (const char* sort : {"", "TA005 DESC", "TA018, KVRTA.TA005 DESC", "TA037", "TA037 DESC, TA018 DESC",
                             "TA005C", "TA018 * 1 DESC", "KVRTA.TA002 DESC"}) {
        std::vector<std::string> whole, paged;
        keys(GetRecords(server, "All", sort), whole);
        ASSERT_EQ(whole.size(), 62u) << sort;
        TPacketView packet = GetRecords(server, "All", sort, 7);
        for (;;) {
            keys(packet, paged);
            if (packet.Complete()) break;
            packet = GetRecords(server, "All", sort, 7, false);
        }
        EXPECT_EQ(paged, whole) << sort;
    }
}

TEST_P(AppServer, PvdColorReadsTheSameRowsAndCannotBeChanged) {
    Variant server = Reach.AppServer();
    const TPacketView colors = GetRecords(server, "KVRTA.TA038 = 'Y'", "", -1, true, "pvdColor");
    ASSERT_EQ(colors.RowCount(), 1);
    EXPECT_EQ(colors.Value(0, "TA002").AsString(), "20261108001");
    EXPECT_EQ(VarArrayLength(colors.Value(0, "qryBodyColor")), 2);
    EXPECT_THROW(ApplyUpdates(server,
                              MakeDataPacket(colors.Fields, VarArrayOf(std::vector<Variant>{}), pfDelta),
                              nullptr, "pvdColor"),
                 EOleError);
    EXPECT_THROW(GetRecords(server, "All", "", -1, true, "pvdNoSuch"), EOleError);
}

TEST_P(AppServer, SavedSchemesAreLoadedAddedRenamedAndDeleted) {
    Variant server = Reach.AppServer();
    VarCall(server, "LoadTable", {VarArrayOf({Variant("DEMO"), Variant("KVRX58")})});
    const TPacketView seeded = GetRecords(server, "", "", -1, true, "pvdConSave");
    ASSERT_EQ(seeded.RowCount(), 1);
    EXPECT_EQ(seeded.Value(0, "NCONDITION").AsString(), "本月开证");

    auto insert = [&](const char* name, bool replace) {
        return VarCall(server, "InsertConTable",
                       {VarArrayOf({Variant(name), Variant("DEMO"), Variant("20261210"), Variant("KVRX58"),
                                    Variant("500\x07TA005"), Variant(1), Variant(replace)})})
            .AsString();
    };
    EXPECT_EQ(insert("美元信用证", false), "");
    EXPECT_NE(insert("美元信用证", false), ""); // exists, not replaced
    EXPECT_EQ(insert("美元信用证", true), "");
    EXPECT_NE(insert("", false), "");
    EXPECT_EQ(VarCall(server, "ChangeConName",
                      {VarArrayOf({Variant("美元信用证"), Variant("DEMO"), Variant("KVRX58")}),
                       VarArrayOf({Variant("美元开证"), Variant("DEMO"), Variant("KVRX58")})})
                  .AsString(),
              "");
    EXPECT_NE(VarCall(server, "ChangeConName",
                      {VarArrayOf({Variant("美元开证"), Variant("DEMO"), Variant("KVRX58")}),
                       VarArrayOf({Variant("本月开证"), Variant("DEMO"), Variant("KVRX58")})})
                  .AsString(),
              ""); // the new name is taken
    const TPacketView two = GetRecords(server, "", "", -1, true, "pvdConSave");
    ASSERT_EQ(two.RowCount(), 2);
    EXPECT_EQ(two.Value(0, "NCONDITION").AsString(), "本月开证");
    EXPECT_EQ(two.Value(1, "NCONDITION").AsString(), "美元开证");
    EXPECT_EQ(two.Value(1, "ActivePage").AsInteger(), 1);
    EXPECT_EQ(VarCall(server, "DeleteConTable",
                      {VarArrayOf({Variant("美元开证"), Variant("DEMO"), Variant("KVRX58")})})
                  .AsString(),
              "");
    EXPECT_NE(VarCall(server, "DeleteConTable",
                      {VarArrayOf({Variant("美元开证"), Variant("DEMO"), Variant("KVRX58")})})
                  .AsString(),
              "");
    // Another user's schemes are not his.
    VarCall(server, "LoadTable", {VarArrayOf({Variant("LIUF"), Variant("KVRX58")})});
    EXPECT_EQ(GetRecords(server, "", "", -1, true, "pvdConSave").RowCount(), 0);
}

TEST_P(AppServer, AnotherUsersSchemesCannotBeTouched) {
    Variant liuf = Reach.AppServer("LIUF");
    const Variant mine = VarArrayOf({Variant("刘的方案"), Variant("LIUF"), Variant("20261210"),
                                     Variant("KVRX58"), Variant("500\x07TA005"), Variant(0), Variant(false)});
    ASSERT_EQ(VarCall(liuf, "InsertConTable", {mine}).AsString(), "");
    Variant demo = Reach.AppServer();
    const std::string before = TRawDb(Db.Path()).Fingerprint();
    const Variant liufKey = VarArrayOf({Variant("刘的方案"), Variant("LIUF"), Variant("KVRX58")});
    EXPECT_NE(VarCall(demo, "InsertConTable", {mine}).AsString(), "");
    EXPECT_NE(VarCall(demo, "DeleteConTable", {liufKey}).AsString(), "");
    EXPECT_NE(VarCall(demo, "ChangeConName",
                      {liufKey, VarArrayOf({Variant("我的了"), Variant("DEMO"), Variant("KVRX58")})})
                  .AsString(),
              "");
    // Nor through the provider: the delta of a scheme that is not his is refused whole.
    VarCall(liuf, "LoadTable", {VarArrayOf({Variant("LIUF"), Variant("KVRX58")})});
    const TPacketView theirs = GetRecords(liuf, "", "", -1, true, "pvdConSave");
    ASSERT_EQ(theirs.RowCount(), 1);
    int errors = 0;
    const Variant refused =
        ApplyUpdates(demo,
                     TDeltaWriter(theirs.Fields)
                         .Delta({MakeDeltaRow(usDeleted, 1, theirs.Row(0), theirs.Row(0)),
                                 MakeDeltaRow(usInserted, 2,
                                              TDeltaWriter::Values(theirs.Fields, {{"NCONDITION", "新的"},
                                                                                   {"CREATOR", "LIUF"},
                                                                                   {"PROGRAMME", "KVRX58"}}),
                                              Variant())}),
                     &errors, "pvdConSave");
    EXPECT_FALSE(refused.GetElement({epCommitted}).AsBoolean());
    EXPECT_EQ(errors, 2);
    VarCall(demo, "LoadTable", {VarArrayOf({Variant("LIUF"), Variant("KVRX58")})});
    EXPECT_EQ(GetRecords(demo, "", "", -1, true, "pvdConSave").RowCount(), 0);
    EXPECT_EQ(TRawDb(Db.Path()).Fingerprint(), before);
    // His own, he may.
    EXPECT_EQ(VarCall(liuf, "DeleteConTable", {liufKey}).AsString(), "");
}

TEST_P(AppServer, FormatsRecordCountsAndBaseDataRights) {
    Variant server = Reach.AppServer();
    EXPECT_EQ(VarCall(server, "GetFormat", {"DEMO", "KVRX58"}).AsString(), "");
    const Variant rights = VarCall(server, "GetBaseLimitedRecs", {"D11_", "TB001='5101'", 2});
    EXPECT_EQ(rights.GetElement({0}).AsInteger(), -1); // nothing limited
    EXPECT_EQ(rights.GetElement({1}).AsString(), "");
    EXPECT_THROW(VarCall(Reach.Create("RAVEZ01A.Rarer1"), "GetFormat", {"DEMO", "KVRX58"}), EOleError);
}

TEST_P(AppServer, LookupServerAnswersTheCatalogueLookups) {
    Variant lookup = Reach.Create("F2WindowS.Class1");
    EXPECT_EQ(VarCall(lookup, "Connect", {TServerReach::ConnectParams("KVRX58", "DEMO")}).AsInteger(), 0);
    const Variant data = VarCall(lookup, "GetLookupData", {"TAZMF", "01", Variant(), ""});
    const Variant captions = data.GetElement({0}), rows = data.GetElement({1});
    EXPECT_EQ(captions.GetElement({0}).AsString(), "币种");
    ASSERT_EQ(VarArrayLength(rows), 5);
    EXPECT_EQ(rows.GetElement({0}).GetElement({0}).AsString(), "EUR");
    EXPECT_EQ(
        VarArrayLength(VarCall(lookup, "GetLookupData", {"NOSUCH", "01", Variant(), ""}).GetElement({1})), 0);
}

} // namespace

namespace {

// The class registry file of the data folder names the library of each server, and the names load.
TEST(ServerClasses, TheRegistryFileNamesTheLibrariesThatProvideThem) {
    SetClassRegistryFileName(std::string(KVR_BINARY_DIR) + "/data/classes.ini");
    for (const char* name : {"RAVEZ01A.Rarer1", "F2WindowS.Class1", "VorlanWorkCenter.Manager"}) {
        const AnsiString library = ClassLibraryName(name);
        EXPECT_FALSE(library.empty()) << name;
        EXPECT_TRUE(std::filesystem::exists(std::string(KVR_BINARY_DIR) + "/bin/" + library)) << name;
        EXPECT_TRUE(static_cast<bool>(FindOleObjectFactory(name))) << name;
    }
    SetClassRegistryFileName("");
}

} // namespace

namespace {

// A session given back serves the next holder as a new one would: its own code page, never two
// holders at once, and never a database file that has been replaced since.
TEST(ServerSessions, AGivenBackSessionServesTheNextHolderAsANewOne) {
    TServerDatabase database;
    TDbSession* given = nullptr;
    {
        TServerSession session = OpenServerSession(950);
        given = session.get();
        EXPECT_EQ(session->CodePage(), 950u);
    }
    TServerSession again = OpenServerSession(936);
    EXPECT_EQ(again.get(), given);
    EXPECT_EQ(again->CodePage(), 936u);
    TServerSession other = OpenServerSession(936);
    EXPECT_NE(other.get(), again.get());
    EXPECT_EQ(other->Select("SELECT COUNT(*) FROM KVRTA").Rows.at(0).at(0).AsInteger(),
              again->Select("SELECT COUNT(*) FROM KVRTA").Rows.at(0).at(0).AsInteger());
    again.reset();
    other.reset();
    for (const char* suffix : {"", "-wal", "-shm"})
        std::filesystem::remove(database.Path() + suffix);
    TServerSession fresh = OpenServerSession(936);
    EXPECT_TRUE(std::filesystem::exists(database.Path())); // made anew, not an old file's session
    EXPECT_FALSE(fresh->Select("SELECT MS003 FROM WOQMS WHERE MS001 = 'KVRX58'").Rows.empty());
}

} // namespace
