// Who is connected to kvrserver: each connection proves one user (a user's own secret in the server's
// secret file), and every call acts as that user with that user's rights. A small client of the wire
// format tries, as the demo's query-only user LIUF and the user without rights ZHAOL, what those users
// may not do; each is refused and the database is as it was. DEMO still does all the module does.
// Then the connection limits: idle sockets do not keep a new client out, and failed proofs slow down.
#include <gmock/gmock.h>
#include <sys/time.h>

#include <fstream>
#include <functional>
#include <thread>

#include "classlib/rtl/datetime.h"
#include "tests/apps/kvrserver/kvrprocess.h"
#include "tests/standins/appserver/serverfixture.h"

namespace {

using testing::HasSubstr;

const char* const MachineSecret = "open sesame";

const std::map<AnsiString, AnsiString> Secrets = {
    {"DEMO", "demo's own"}, {"LIUF", "liuf's own"}, {"ZHAOL", "zhaol's own"}};

double NowMs() {
    timeval now{};
    gettimeofday(&now, nullptr);
    return now.tv_sec * 1000.0 + now.tv_usec / 1000.0;
}

// What a call came to: its answer, or the text of what it raised.
std::string Outcome(const std::function<std::string()>& call) {
    try {
        return call();
    } catch (const Exception& e) {
        return "raised: " + std::string(e.Message());
    }
}

// A transaction-manager request of KVRX58 for credit 5101-<number>.
Variant TxnRequest(const char* action, const char* number, int flag, const AnsiString& user) {
    const Variant params = VarArrayOf(
        {Variant(AnsiString()), Variant(AnsiString("N")), Variant(AnsiString(action)),
         Variant(AnsiString("5101")), Variant(AnsiString(number)), Variant(flag), Variant(AnsiString()),
         Variant(AnsiString(std::string(action) == "DO" ? "20261211" : "")), Variant(AnsiString("KVRX58"))});
    return VarArrayOf({Variant(AnsiString("TXNKVRX58")), Variant(AnsiString("DEMO")),
                       Variant(AnsiString("S")), Variant(user), Variant(AnsiString()), params,
                       Variant(AnsiString("936")), Variant(AnsiString("936")), Variant(false), Variant()});
}

std::string TxnOutcome(const Variant& manager, const Variant& request) {
    const Variant pair =
        VarArrayOf({Variant(AnsiString("TransManager.TxnManager")), Variant(AnsiString("KVRX58"))});
    if (VarCall(manager, "DoIt2", {request, pair}).AsBoolean()) return "done";
    return "refused " + std::string(VarToStr(VarGet(manager, "ErrorCode"))) + ": " +
           std::string(VarToStr(VarGet(manager, "ErrorDescript")));
}

// A changed row of a delta: the row as read with the changes made (a field equal to its old value
// is no change).
Variant Changed(const TPacketView& read, int row, const std::map<AnsiString, Variant>& changes) {
    std::map<AnsiString, Variant> values = TDeltaWriter::Map(read.Fields, read.Row(row));
    for (const auto& [field, value] : changes)
        values[field] = value;
    return MakeDeltaRow(usModified, 1, TDeltaWriter::Values(read.Fields, values), read.Row(row));
}

std::string SaveOutcome(const Variant& errors, int count) {
    if (errors.GetElement({epCommitted}).AsBoolean()) return "committed";
    const Variant rows = errors.GetElement({epErrors});
    std::string text = "refused " + std::to_string(count);
    for (int i = 0; i < VarArrayLength(rows); ++i)
        text += ": " + std::string(rows.GetElement({i}).GetElement({reMessage}).AsString());
    return text;
}

class KvrServerUsers : public testing::Test {
protected:
    TTempFolder Folder;
    std::string DbPath = (Folder.Path() / "server.db").string();
    TKvrServerProcess Process;
    std::vector<std::unique_ptr<TSocketConnection>> Connections;

    void StartWithSecrets(std::vector<std::string> options = {}) {
        const std::string file = (Folder.Path() / "secrets").string();
        std::ofstream out(file);
        out << MachineSecret << "\n";
        for (const auto& [user, secret] : Secrets)
            out << user << " = " << secret << "\n";
        out.close();
        options.insert(options.begin(), {"--secret-file", file});
        Process.Start(DbPath, SourceDataDir(), options);
    }
    // A connection to the named server object that speaks for the user with that secret.
    Variant Open(const AnsiString& user, const AnsiString& secret,
                 const AnsiString& server = "RAVEZ01A.Rarer1") {
        auto connection = std::make_unique<TSocketConnection>();
        connection->SetAddress("127.0.0.1");
        connection->SetPort(Process.Port());
        connection->SetServerName(server);
        connection->SetSecret(MachineSecret);
        connection->SetUser(user);
        connection->SetUserSecret(secret);
        connection->Open();
        Connections.push_back(std::move(connection));
        return Connections.back()->AppServer();
    }
    Variant Proven(const AnsiString& user, const AnsiString& server = "RAVEZ01A.Rarer1") {
        return Open(user, Secrets.at(user), server);
    }
    // The application server of KVRX58 for the user, over a connection that proved the user.
    Variant App(const AnsiString& user) {
        const Variant app = Proven(user);
        const int answer = VarCall(app, "Connect", {TServerReach::ConnectParams("KVRX58", user)}).AsInteger();
        if (answer != 0) throw std::runtime_error("Connect answered " + std::to_string(answer));
        return app;
    }
    std::string Fingerprint() const { return TRawDb(DbPath).Fingerprint(); }
    std::string Value(const std::string& sql) const { return TRawDb(DbPath).Value(sql); }
};

TEST_F(KvrServerUsers, EachForbiddenCallIsRefusedAndChangesNothing) {
    StartWithSecrets();
    // DEMO's two credits as DEMO reads them: 20261108001 confirmed (FLAG 2), 20261112001 not (FLAG 1).
    const Variant demo = App("DEMO");
    const TPacketView read = GetRecords(demo, "KVRTA.TA001 = '5101'", "KVRTA.TA002");
    ASSERT_EQ(read.RowCount(), 2);
    const std::map<AnsiString, Variant> open = TDeltaWriter::Map(read.Fields, read.Row(1));
    ASSERT_EQ(open.at("TA002").AsString(), "20261112001");
    auto modify = [&](const std::map<AnsiString, Variant>& changes) {
        return TDeltaWriter(read.Fields).Delta({Changed(read, 1, changes)});
    };
    auto with = [&](std::map<AnsiString, Variant> values, const AnsiString& field, const Variant& value) {
        values[field] = value;
        return values;
    };
    const Variant stampsOnly =
        modify({{"MODIFIER", "HACKLI"}, {"MODI_DATE", "20991231235959000"}, {"FLAG", 777}});
    const Variant nothing = modify({});
    const Variant voiding = modify({{"TA038", "V"}});
    const Variant insert =
        TDeltaWriter(read.Fields)
            .Delta({MakeDeltaRow(usInserted, 1,
                                 TDeltaWriter::Values(read.Fields, with(open, "TA002", "20261299001")),
                                 Variant())});
    const Variant remove =
        TDeltaWriter(read.Fields)
            .Delta({MakeDeltaRow(usDeleted, 1, TDeltaWriter::Values(read.Fields, open), read.Row(1))});
    auto save = [&](const AnsiString& user, const Variant& delta) {
        return [=, this] {
            int count = 0;
            const Variant errors = ApplyUpdates(App(user), delta, &count);
            return SaveOutcome(errors, count);
        };
    };
    auto query = [&](const AnsiString& user, const AnsiString& condition, const AnsiString& sort = "",
                     const AnsiString& provider = "pvdMain") {
        return [=, this] {
            const TPacketView rows = GetRecords(App(user), condition, sort, -1, true, provider);
            return "read " + std::to_string(rows.RowCount()) + " rows";
        };
    };
    auto openAs = [&](const AnsiString& user, const AnsiString& secret) {
        return [=, this] {
            return Outcome([&] {
                Open(user, secret);
                return std::string("opened");
            });
        };
    };
    auto txn = [&](const AnsiString& user, const char* action, const char* number, int flag,
                   const AnsiString& named) {
        return [=, this] {
            return TxnOutcome(Proven(user, "TransManager.TxnManager"),
                              TxnRequest(action, number, flag, named));
        };
    };

    const struct {
        const char* Kind;
        const char* Case;
        std::function<std::string()> Call;
        const char* Says; // a part of the refusal
    } cases[] = {
        // Who the connection speaks for
        {"proof or user", "open as DEMO with LIUF's secret", openAs("DEMO", Secrets.at("LIUF")),
         "not proved"},
        {"proof or user", "open as DEMO with no secret", openAs("DEMO", ""), "not proved"},
        {"proof or user", "open naming no user", openAs("", Secrets.at("DEMO")), "not proved"},
        {"proof or user", "LIUF's connection connects as DEMO",
         [&] {
             const Variant app = App("LIUF");
             const std::string first = Outcome([&] {
                 return std::to_string(
                     VarCall(app, "Connect", {TServerReach::ConnectParams("KVRX58", "DEMO")}).AsInteger());
             });
             // The connection is closed after the refusal.
             const std::string then =
                 Outcome([&] { return std::string(VarToStr(VarCall(app, "WhatIs", {"TODAY"}))); });
             const bool closed = then.rfind("raised: ", 0) == 0;
             return (closed ? "refused, then closed: " : "not closed: ") + first;
         },
         "closed: raised: RAVEZ01A.Rarer1: the connection speaks for LIUF"},
        {"proof or user", "LIUF's lookup connection connects as DEMO",
         [&] {
             return Outcome([&] {
                 return std::to_string(VarCall(Proven("LIUF", "F2WindowS.Class1"), "Connect",
                                               {TServerReach::ConnectParams("KVRX58", "DEMO")})
                                           .AsInteger());
             });
         },
         "speaks for LIUF"},
        // The transaction manager acts as the connection's user
        {"transaction manager", "LIUF unconfirms DEMO's credit naming DEMO",
         txn("LIUF", "UNDO", "20261108001", 2, "DEMO"), "speaks for LIUF"},
        {"transaction manager", "ZHAOL unconfirms DEMO's credit naming DEMO",
         txn("ZHAOL", "UNDO", "20261108001", 2, "DEMO"), "speaks for ZHAOL"},
        {"transaction manager", "LIUF unconfirms as LIUF", txn("LIUF", "UNDO", "20261108001", 2, "LIUF"),
         "refused 8"},
        {"transaction manager", "ZHAOL confirms as ZHAOL", txn("ZHAOL", "DO", "20261112001", 1, "ZHAOL"),
         "refused "},
        // Reads need the query right
        {"read", "ZHAOL reads the credits", query("ZHAOL", "All"), " 37)"},
        {"read", "ZHAOL reads the credits in an order", query("ZHAOL", "", "KVRTA.TA002"), " 37)"},
        {"read", "ZHAOL reads the colour rows", query("ZHAOL", "KVRTA.TA001 = '5101'", "", "pvdColor"),
         " 37)"},
        {"read", "ZHAOL counts the credits",
         [&] {
             return Outcome(
                 [&] { return std::to_string(VarCall(App("ZHAOL"), "GetRecCount", {}).AsInteger()); });
         },
         " 37)"},
        // Conditions stay inside the provider
        {"condition", "a sub-query on the saved schemes",
         query("LIUF", "(SELECT substr(VCONDITION,1,3) FROM DOCUS WHERE CREATOR='DEMO') = '500'"), "DOCUS"},
        {"condition", "a sub-query on the rights",
         query("LIUF", "EXISTS (SELECT 1 FROM QVNMD WHERE MD003 LIKE ',Y%')"), "QVNMD"},
        {"condition", "a table in place of a list", query("LIUF", "KVRTA.TA043 IN QVNMA"), "QVNMA"},
        {"condition", "a common table expression",
         query("LIUF", "1 IN (WITH x AS (SELECT MA005 FROM QVNMA) SELECT * FROM x)"), "QVNMA"},
        {"condition", "a column of a table outside the select", query("LIUF", "QVNMD.MD003 LIKE ',Y%'"),
         "QVNMD.MD003"},
        {"condition", "a sub-query in the sort",
         query("LIUF", "All", "(SELECT MA005 FROM QVNMA WHERE MA001 = 'DEMO')"), "QVNMA"},
        {"condition", "a sub-query on a table the header joins",
         query("LIUF", "(SELECT MA005 FROM QVNMA WHERE MA001 = 'LIUF') LIKE 'l%'"), "QVNMA"},
        {"condition", "a sub-query that joins another table to the lines",
         query("LIUF", "(SELECT count(*) FROM KVRTB, QVNMD WHERE KVRTB.TB002 = KVRTA.TA002) > 0"), "QVNMD"},
        // Changes need their rights, stamps included
        {"save", "LIUF stamps DEMO's credit", save("LIUF", stampsOnly), " 38)"},
        {"save", "LIUF saves DEMO's credit unchanged", save("LIUF", nothing), " 38)"},
        {"save", "ZHAOL stamps DEMO's credit", save("ZHAOL", stampsOnly), " 38)"},
        {"save", "LIUF voids DEMO's credit", save("LIUF", voiding), " 45)"},
        {"save", "LIUF adds a credit", save("LIUF", insert), " 36)"},
        {"save", "LIUF deletes DEMO's credit", save("LIUF", remove), " 39)"},
        {"save", "ZHAOL deletes DEMO's credit", save("ZHAOL", remove), " 39)"},
    };
    // The form's opening read (no condition) of a user without the query right: the fields, no rows.
    const TPacketView opening = GetRecords(App("ZHAOL"), "");
    EXPECT_EQ(opening.RowCount(), 0);
    EXPECT_TRUE(opening.Complete());
    EXPECT_NO_THROW(opening.Index("TA002", opening.Fields));
    std::map<std::string, int> refusedByKind;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Case);
        const std::string before = Fingerprint();
        const std::string outcome = Outcome(c.Call);
        EXPECT_THAT(outcome, HasSubstr(c.Says));
        EXPECT_THAT(outcome, testing::Not(testing::AnyOf(HasSubstr("committed"), HasSubstr("done"),
                                                         HasSubstr("opened"), HasSubstr("read "))));
        EXPECT_EQ(Fingerprint(), before);
        ++refusedByKind[c.Kind];
    }
    std::printf("refused calls:");
    for (const auto& [kind, count] : refusedByKind)
        std::printf(" [%s] %d", kind.c_str(), count);
    std::printf(" (of %zu)\n", std::size(cases));
    // After all that, DEMO's own save is not blocked by a stamp of another user.
    const Variant save2 = modify({{"TA037", "changed by DEMO"}});
    int count = 0;
    EXPECT_EQ(SaveOutcome(ApplyUpdates(demo, save2, &count), count), "committed");
}

TEST_F(KvrServerUsers, TheProvenUserDoesWhatTheModuleDoesAndTheServerStampsItsWork) {
    StartWithSecrets();
    const Variant demo = App("DEMO");
    const AnsiString today = FormatDateTime("yyyymmdd", Now());
    // Reads, counts, conditions on the provider's tables and joins.
    EXPECT_EQ(GetRecords(demo, "All").RowCount(), 2);
    EXPECT_EQ(VarCall(demo, "GetRecCount", {}).AsInteger(), 2);
    EXPECT_EQ(GetRecords(demo, "KVRTA.TA016 = 'USD' AND QVNMA.MA002 IS NULL", "KVRTA.TA002 DESC").RowCount(),
              1);
    EXPECT_EQ(
        GetRecords(demo, "TA002 IN ('20261108001', '20261112001')", "", -1, true, "pvdColor").RowCount(), 2);
    // The query dialog's condition on lines: a sub-query on the lines and their joins.
    EXPECT_EQ(GetRecords(demo,
                         "( select count(*) FROM DEMO..KVRTB KVRTB LEFT JOIN $$BYVTD BYVTD ON BYVTD.TD001 = "
                         "KVRTB.TB004 AND BYVTD.TD002 = KVRTB.TB005 AND BYVTD.TD003 = KVRTB.TB006 where "
                         "(KVRTA.TA001=KVRTB.TB001) and (KVRTA.TA002=KVRTB.TB002) and ((BYVTD.TD004 like "
                         "'C-%')) ) > 0")
                  .RowCount(),
              1);
    EXPECT_EQ(VarCall(Proven("DEMO", "F2WindowS.Class1"), "Connect",
                      {TServerReach::ConnectParams("KVRX58", "DEMO")})
                  .AsInteger(),
              0);

    const TPacketView read = GetRecords(demo, "KVRTA.TA002 = '20261112001'");
    ASSERT_EQ(read.RowCount(), 1);
    const std::map<AnsiString, Variant> open = TDeltaWriter::Map(read.Fields, read.Row(0));
    auto save = [&](const Variant& row) {
        int count = 0;
        return SaveOutcome(ApplyUpdates(demo, TDeltaWriter(read.Fields).Delta({row}), &count), count);
    };
    // An insert whose stamps name others is stored with the connection's user, group and date.
    std::map<AnsiString, Variant> forged = open;
    forged["TA002"] = "20261299001";
    forged["CREATOR"] = "LIUF";
    forged["USR_GROUP"] = "FIN";
    forged["CREATE_DATE"] = "19990101";
    forged["MODIFIER"] = "HACKLI";
    forged["FLAG"] = 777;
    EXPECT_EQ(save(MakeDeltaRow(usInserted, 1, TDeltaWriter::Values(read.Fields, forged), Variant())),
              "committed");
    EXPECT_EQ(
        Value("SELECT CREATOR || '/' || USR_GROUP || '/' || CREATE_DATE || '/' || MODIFIER || '/' || FLAG "
              "FROM KVRTA WHERE TA002 = '20261299001'"),
        "DEMO/IMP/" + today + "//1");
    // A change stamps the modifier, the date and the next FLAG, whatever the packet says.
    EXPECT_EQ(save(Changed(read, 0,
                           {{"TA037", "by DEMO"},
                            {"MODIFIER", "HACKLI"},
                            {"MODI_DATE", "20991231235959000"},
                            {"FLAG", 777},
                            {"CREATOR", "LIUF"}})),
              "committed");
    EXPECT_EQ(Value("SELECT TA037 || '/' || CREATOR || '/' || MODIFIER || '/' || MODI_DATE || '/' || FLAG "
                    "FROM KVRTA WHERE TA002 = '20261112001'"),
              "by DEMO/DEMO/DEMO/" + today + "/2");
    // Stamps alone, or nothing: committed, and nothing written.
    const TPacketView again = GetRecords(demo, "KVRTA.TA002 = '20261112001'");
    const std::string before = Fingerprint();
    EXPECT_EQ(save(Changed(again, 0, {{"MODIFIER", "X"}, {"FLAG", 9}})), "committed");
    EXPECT_EQ(save(Changed(again, 0, {})), "committed");
    EXPECT_EQ(Fingerprint(), before);
    // The step the client counts on (its stamp of the next FLAG, negative until read back) is made.
    EXPECT_EQ(save(Changed(again, 0, {{"FLAG", -3}, {"MODIFIER", "X"}})), "committed");
    EXPECT_EQ(Value("SELECT MODIFIER || '/' || FLAG FROM KVRTA WHERE TA002 = '20261112001'"), "DEMO/3");
    // Confirm and unconfirm through the manager, void and un-void through the save, then delete.
    const Variant manager = Proven("DEMO", "TransManager.TxnManager");
    EXPECT_EQ(TxnOutcome(manager, TxnRequest("DO", "20261112001", 3, "DEMO")), "done");
    EXPECT_EQ(TxnOutcome(manager, TxnRequest("UNDO", "20261112001", 4, "DEMO")), "done");
    EXPECT_EQ(Value("SELECT TA038 || '/' || FLAG FROM KVRTA WHERE TA002 = '20261112001'"), "N/5");
    const TPacketView confirmed = GetRecords(demo, "KVRTA.TA002 = '20261112001'");
    EXPECT_EQ(save(Changed(confirmed, 0, {{"TA038", "V"}})), "committed");
    const TPacketView voided = GetRecords(demo, "KVRTA.TA002 = '20261112001'");
    EXPECT_EQ(save(Changed(voided, 0, {{"TA038", "N"}})), "committed");
    const TPacketView last = GetRecords(demo, "KVRTA.TA002 = '20261112001'");
    EXPECT_EQ(
        save(MakeDeltaRow(usDeleted, 1,
                          TDeltaWriter::Values(last.Fields, TDeltaWriter::Map(last.Fields, last.Row(0))),
                          last.Row(0))),
        "committed");
    EXPECT_EQ(Value("SELECT count(*) FROM KVRTA WHERE TA002 = '20261112001'"), "0");
}

// On loopback without users' secrets (development) a connection speaks for the user it first names.
TEST_F(KvrServerUsers, WithoutSecretsAConnectionKeepsTheUserItFirstNamed) {
    Process.Start(DbPath, SourceDataDir());
    TSocketConnection connection;
    connection.SetAddress("127.0.0.1");
    connection.SetPort(Process.Port());
    connection.SetServerName("RAVEZ01A.Rarer1");
    connection.Open();
    const Variant app = connection.AppServer();
    ASSERT_EQ(VarCall(app, "Connect", {TServerReach::ConnectParams("KVRX58", "LIUF")}).AsInteger(), 0);
    ASSERT_EQ(VarCall(app, "Connect", {TServerReach::ConnectParams("KVRX58", "LIUF")}).AsInteger(), 0);
    EXPECT_THAT(Outcome([&] {
                    return std::to_string(
                        VarCall(app, "Connect", {TServerReach::ConnectParams("KVRX58", "DEMO")}).AsInteger());
                }),
                HasSubstr("speaks for LIUF"));
    EXPECT_THROW(VarCall(app, "WhatIs", {"TODAY"}), ESocketConnectionError);
    // A connection that named its user when it opened keeps that one.
    TSocketConnection named;
    named.SetAddress("127.0.0.1");
    named.SetPort(Process.Port());
    named.SetServerName("TransManager.TxnManager");
    named.SetUser("LIUF");
    named.Open();
    EXPECT_THAT(TxnOutcome(named.AppServer(), TxnRequest("UNDO", "20261108001", 2, "DEMO")),
                HasSubstr("speaks for LIUF"));
    EXPECT_EQ(Value("SELECT TA038 FROM KVRTA WHERE TA002 = '20261108001'"), "Y");
}

// 256 sockets from one address that never send a byte: a new client of the same machine is served
// within 20 s all the same (the per-address limit refuses most of them at once, the deadline for
// proving ends the others).
TEST_F(KvrServerUsers, IdleSocketsDoNotKeepANewClientOut) {
    Process.Start(DbPath, SourceDataDir());
    std::vector<std::unique_ptr<TRawSocket>> idle;
    for (int i = 0; i < 256; ++i)
        idle.push_back(std::make_unique<TRawSocket>(Process.Port(), false));
    const double start = NowMs();
    double served = -1;
    std::string last;
    for (int attempt = 0; attempt < 100 && NowMs() - start < 25000; ++attempt) {
        last = Outcome([&] {
            TSocketConnection connection;
            connection.SetAddress("127.0.0.1");
            connection.SetPort(Process.Port());
            connection.SetServerName("RAVEZ01A.Rarer1");
            connection.Open();
            const Variant app = connection.AppServer();
            VarCall(app, "Connect", {TServerReach::ConnectParams("KVRX58", "DEMO")});
            return "read " + std::to_string(GetRecords(app, "All").RowCount());
        });
        if (last == "read 2") {
            served = NowMs() - start;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
    }
    ASSERT_GE(served, 0) << last;
    EXPECT_LT(served, 20000.0);
    std::printf("256 idle sockets from one address: a new client served after %.0f ms\n", served);
}

// The limits are settings: a connection beyond the per-address limit is refused at once, naming it,
// and one that does not open its object within the deadline is closed, told why.
TEST_F(KvrServerUsers, ThePerAddressLimitAndTheOpenDeadlineAreSettings) {
    Process.Start(DbPath, SourceDataDir(), {"--max-per-address", "2", "--open-deadline", "600"});
    TRawSocket first(Process.Port()), second(Process.Port());
    TRawSocket third(Process.Port(), false);
    const std::string refusal = third.ReadFrame();
    ASSERT_FALSE(refusal.empty());
    EXPECT_EQ(refusal[0], 4);
    EXPECT_THAT(refusal, HasSubstr("limit of 2 connections from this address"));
    const double start = NowMs();
    for (TRawSocket* idle : {&first, &second}) {
        const std::string told = idle->ReadFrame();
        ASSERT_FALSE(told.empty());
        EXPECT_THAT(told, HasSubstr("did not open its server object within 600 ms"));
        EXPECT_EQ(idle->ReadFrame(), ""); // and closed
    }
    EXPECT_LT(NowMs() - start, 3000.0);
    // Then a client is served.
    TRawSocket good(Process.Port());
    good.SendFrame(TRawSocket::OpenBody("RAVEZ01A.Rarer1", "DEMO"));
    EXPECT_NE(TRawSocket::HandleOf(good.ReadFrame()), 0u);
}

// The command line refuses a secret file that is no list of users' secrets, and an address off
// loopback without users' secrets.
TEST_F(KvrServerUsers, TheSecretFileIsCheckedWhenTheServerStarts) {
    const struct {
        const char* Content;
        const char* Address;
        int Status;
        const char* Says;
    } cases[] = {
        {"machine\nDEMO\n", "127.0.0.1", 2, "line 2 is no USER=SECRET"},
        {"machine\nDEMO=a\n\nDEMO=b\n", "127.0.0.1", 2, "line 4 is no USER=SECRET"},
        {"machine\n=a\n", "127.0.0.1", 2, "line 2"},
        {"\nDEMO=a\n", "127.0.0.1", 2, "no secret in its first line"},
        {"machine\n", "0.0.0.0", 1, "without users' secrets"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Content);
        const std::string file = (Folder.Path() / "secrets").string();
        std::ofstream(file) << c.Content;
        const std::string command = KvrServerPath() + " --db " + DbPath + " --port 0 --address " + c.Address +
                                    " --secret-file " + file + " 2>&1";
        FILE* pipe = popen(command.c_str(), "r");
        ASSERT_NE(pipe, nullptr);
        std::string text;
        char buffer[256];
        while (fgets(buffer, sizeof buffer, pipe))
            text += buffer;
        const int status = pclose(pipe);
        EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, c.Status) << text;
        EXPECT_THAT(text, HasSubstr(c.Says));
    }
}

// Wrong proofs from one address: after a few, the address waits longer and longer.
TEST_F(KvrServerUsers, FailedProofsAreThrottledPerAddress) {
    StartWithSecrets();
    int checked = 0, throttled = 0;
    std::string refusal;
    const double start = NowMs();
    for (int attempt = 0; attempt < 200000 && NowMs() - start < 2000; ++attempt) {
        const std::string outcome = Outcome([&] {
            Open("DEMO", "a guess");
            return std::string("opened");
        });
        ASSERT_NE(outcome, "opened");
        if (outcome.find("not proved") != std::string::npos) ++checked;
        if (outcome.find("Too many failed proofs") != std::string::npos) {
            ++throttled;
            refusal = outcome;
        }
    }
    const double seconds = (NowMs() - start) / 1000;
    EXPECT_LE(checked, 12) << "proofs checked in " << seconds << " s";
    EXPECT_GT(throttled, 0);
    std::printf("wrong proofs: %d checked and %d refused unchecked in %.1f s (%.1f checked a second)\n",
                checked, throttled, seconds, checked / seconds);
}

} // namespace
