// kvrserver as a process: its command line, bad frames and clients that go away, and a crash test
// that kills it at random moments while documents are saved.
#include <fstream>
#include <random>
#include <thread>

#include "tests/standins/appserver/serverfixture.h"
#include "tests/apps/kvrserver/kvrprocess.h"

namespace {

int RunKvrServer(const std::string& args, std::string* output = nullptr) {
    FILE* pipe = popen((KvrServerPath() + " " + args + " 2>&1").c_str(), "r");
    if (!pipe) return -1;
    std::string text;
    char buffer[256];
    while (fgets(buffer, sizeof buffer, pipe))
        text += buffer;
    const int status = pclose(pipe);
    if (output) *output = text;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class KvrServer : public testing::Test {
protected:
    TTempFolder Folder;
    std::string DbPath = (Folder.Path() / "server.db").string();
    TKvrServerProcess Process;

    std::unique_ptr<TSocketConnection> Connect(const AnsiString& name = "RAVEZ01A.Rarer1") {
        auto connection = std::make_unique<TSocketConnection>();
        connection->SetAddress("127.0.0.1");
        connection->SetPort(Process.Port());
        connection->SetServerName(name);
        connection->Open();
        return connection;
    }
    static void ConnectDemo(const Variant& server) {
        ASSERT_EQ(VarCall(server, "Connect", {TServerReach::ConnectParams("KVRX58", "DEMO")}).AsInteger(), 0);
    }
};

TEST_F(KvrServer, CommandLine) {
    std::string text;
    EXPECT_EQ(RunKvrServer("--help", &text), 0);
    EXPECT_NE(text.find("--db FILE"), std::string::npos);
    EXPECT_EQ(RunKvrServer("--port 5", &text), 2); // no database
    EXPECT_EQ(RunKvrServer("--db x --port 70000", &text), 2);
    EXPECT_EQ(RunKvrServer("--db x --bogus", &text), 2);
}

TEST_F(KvrServer, AConnectionMustProveTheSecretWhenOneIsConfigured) {
    std::string text;
    // Off loopback a secret is required: the server does not start without one.
    EXPECT_EQ(RunKvrServer("--db " + DbPath + " --port 0 --address 0.0.0.0", &text), 1);
    EXPECT_NE(text.find("without a connection secret"), std::string::npos) << text;
    EXPECT_EQ(RunKvrServer("--db " + DbPath + " --secret-file " + DbPath + ".none", &text), 2);

    const std::string secretFile = (Folder.Path() / "secret").string();
    std::ofstream(secretFile) << "  open sesame \n";
    Process.Start(DbPath, SourceDataDir(), {"--secret-file", secretFile});
    auto attempt = [&](const AnsiString& secret) {
        TSocketConnection connection;
        connection.SetAddress("127.0.0.1");
        connection.SetPort(Process.Port());
        connection.SetServerName("RAVEZ01A.Rarer1");
        connection.SetSecret(secret);
        try {
            connection.Open();
            ConnectDemo(connection.AppServer());
            return std::string("served");
        } catch (const ESocketConnectionError& e) {
            return std::string(e.Message());
        }
    };
    EXPECT_NE(attempt("").find("requires a connection secret"), std::string::npos);
    EXPECT_NE(attempt("open sesame!").find("missing or wrong"), std::string::npos);
    EXPECT_EQ(attempt("open sesame"), "served");
    // A client of its own that calls without the open: refused, and nothing is served.
    TRawSocket raw(Process.Port());
    ASSERT_EQ(raw.Greeting.substr(0, 4),
              std::string("\x06\x03\x00\x01", 4)); // hello, protocol 3, proof needed
    raw.SendFrame(TRawSocket::OpenBody("RAVEZ01A.Rarer1"));
    const std::string answer = raw.ReadFrame();
    ASSERT_FALSE(answer.empty());
    EXPECT_EQ(answer[0], 4);
    EXPECT_EQ(raw.ReadFrame(), ""); // and the connection ends
}

TEST_F(KvrServer, AQueryOnlyUserChangesNothingOverTheRealServer) {
    Process.Start(DbPath, SourceDataDir());
    auto connection = Connect();
    const Variant liuf = connection->AppServer();
    ASSERT_EQ(VarCall(liuf, "Connect", {TServerReach::ConnectParams("KVRX58", "LIUF")}).AsInteger(), 0);
    const TPacketView read = GetRecords(liuf, "KVRTA.TA002 = '20261112001'");
    ASSERT_EQ(read.RowCount(), 1);
    const std::string before = TRawDb(DbPath).Fingerprint();
    const Variant remove =
        TDeltaWriter(read.Fields)
            .Delta({MakeDeltaRow(
                usDeleted, 1, TDeltaWriter::Values(read.Fields, TDeltaWriter::Map(read.Fields, read.Row(0))),
                read.Row(0))});
    int errors = 0;
    const Variant refused = ApplyUpdates(liuf, remove, &errors);
    EXPECT_FALSE(refused.GetElement({epCommitted}).AsBoolean());
    EXPECT_EQ(errors, 1);
    EXPECT_EQ(TRawDb(DbPath).Fingerprint(), before);
    auto demo = Connect();
    ConnectDemo(demo->AppServer());
    EXPECT_TRUE(ApplyUpdates(demo->AppServer(), remove).GetElement({epCommitted}).AsBoolean());
    EXPECT_EQ(TRawDb(DbPath).Value("SELECT count(*) FROM KVRTA WHERE TA002 = '20261112001'"), "0");
}

TEST_F(KvrServer, ServesBothServersAndStopsOnTerm) {
    Process.Start(DbPath, SourceDataDir());
    auto app = Connect();
    ConnectDemo(app->AppServer());
    EXPECT_EQ(GetRecords(app->AppServer(), "All").RowCount(), 2);
    auto lookup = Connect("F2WindowS.Class1");
    EXPECT_EQ(VarCall(lookup->AppServer(), "Connect", {Variant()}).AsInteger(), 0);
    EXPECT_THROW(Connect("VorlanWorkCenter.Manager"), EOleError); // not served here
    app.reset();
    lookup.reset();
    EXPECT_EQ(Process.Stop(), 0);
}

TEST_F(KvrServer, SurvivesMalformedFramesAndClientsThatLeaveMidCall) {
    Process.Start(DbPath, SourceDataDir());
    {
        TRawSocket huge(Process.Port());
        huge.Send(std::string("\xff\xff\xff\xff", 4)); // a length it cannot trust: an error, then the end
        const std::string answer = huge.ReadFrame();
        EXPECT_TRUE(answer.empty() || answer[0] == 4);
        EXPECT_EQ(huge.ReadFrame(), "");
    }
    {
        TRawSocket garbage(Process.Port());
        garbage.SendFrame(std::string("\x63\x01\x02", 3)); // an unknown kind: answered with an error
        const std::string answer = garbage.ReadFrame();
        ASSERT_FALSE(answer.empty());
        EXPECT_EQ(answer[0], 4);
    }
    {
        TRawSocket truncated(Process.Port());
        truncated.Send(std::string("\x40\x00\x00\x00\x02\x01", 6)); // 64 bytes announced, two sent, then gone
    }
    for (int i = 0; i < 3; ++i) {
        // A save sent and the client gone before the answer.
        TRawSocket leaving(Process.Port());
        leaving.SendFrame(TRawSocket::OpenBody("RAVEZ01A.Rarer1"));
        const Cardinal handle = TRawSocket::HandleOf(leaving.ReadFrame());
        ASSERT_NE(handle, 0u);
        leaving.SendFrame(
            TRawSocket::CallBody(handle, "Connect", {TServerReach::ConnectParams("KVRX58", "DEMO")}));
        leaving.SendFrame(TRawSocket::CallBody(handle, "AS_GetRecords",
                                               {Variant("pvdMain"), Variant(-1), Variant(0), Variant(3),
                                                Variant(""), Variant(), Variant(), Variant()}));
        leaving.Close();
    }
    ASSERT_TRUE(Process.Running());
    auto app = Connect();
    ConnectDemo(app->AppServer());
    EXPECT_EQ(GetRecords(app->AppServer(), "All").RowCount(), 2);
}

TEST_F(KvrServer, ABrokenConnectionRaisesInTheCaller) {
    Process.Start(DbPath, SourceDataDir());
    auto app = Connect();
    const Variant server = app->AppServer();
    ConnectDemo(server);
    Process.Kill();
    EXPECT_THROW(VarCall(server, "WhatIs", {"TODAY"}), ESocketConnectionError);
    EXPECT_FALSE(app->Connected());
}

// Documents of three lines saved in a bounded loop while the server is killed at random moments and
// started again: afterwards every document is whole, a header with all its lines or absent.
TEST_F(KvrServer, EveryDocumentIsWholeAfterKillsMidSave) {
    std::mt19937 random(20261210);
    const AnsiString pending(20, '~');
    int kills = 0, saves = 0, attempts = 0;
    for (int round = 0; round < 25; ++round) {
        Process.Start(DbPath, SourceDataDir());
        auto app = Connect();
        const Variant server = app->AppServer();
        ConnectDemo(server);
        const TPacketView layout = GetRecords(server, "1 = 0", "", 0);
        auto save = [&] {
            auto line = [&](int id, const char* seq) {
                return MakeDeltaRow(usInserted, id,
                                    TDeltaWriter::Values(layout.LineFields(), {{"TB001", "5101"},
                                                                               {"TB002", pending},
                                                                               {"TB003", seq},
                                                                               {"TB004", "3301"},
                                                                               {"TB005", "20261110002"},
                                                                               {"TB006", seq}}),
                                    Variant());
            };
            const Variant head = MakeDeltaRow(
                usInserted, 1,
                TDeltaWriter::Values(layout.Fields,
                                     {{"TA001", "5101"},
                                      {"TA002", ""},
                                      {"TA008", "20261211"},
                                      {"TA005", "S0002"},
                                      {"TA016", "USD"},
                                      {"TA036", "F02"}},
                                     VarArrayOf({line(2, "0001"), line(3, "0002"), line(4, "0003")})),
                Variant());
            VarCall(server, "SetIsSeq", {true});
            return ApplyUpdates(server, TDeltaWriter(layout.Fields).Delta({head}))
                .GetElement({epCommitted})
                .AsBoolean();
        };
        const int before = static_cast<int>(random() % 4);
        for (int i = 0; i < before; ++i) {
            ++attempts;
            saves += save() ? 1 : 0;
        }
        // One more save in flight, and the kill at a moment of the dice.
        std::thread inFlight([&] {
            ++attempts;
            try {
                save();
            } catch (const EOleError&) {
            }
        });
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 3000));
        Process.Kill();
        ++kills;
        inFlight.join();
    }
    TRawDb raw(DbPath);
    EXPECT_EQ(raw.Value("PRAGMA integrity_check"), "ok");
    EXPECT_EQ(raw.Value("SELECT count(*) FROM KVRTA WHERE TA008 = '20261211' AND "
                        "(SELECT count(*) FROM KVRTB WHERE TB001 = TA001 AND TB002 = TA002) <> 3"),
              "0");
    EXPECT_EQ(raw.Value("SELECT count(*) FROM KVRTB WHERE NOT EXISTS "
                        "(SELECT 1 FROM KVRTA WHERE TA001 = TB001 AND TA002 = TB002)"),
              "0");
    const int stored = std::stoi(raw.Value("SELECT count(*) FROM KVRTA WHERE TA008 = '20261211'"));
    EXPECT_GE(stored, saves);    // every answered save is there
    EXPECT_LE(stored, attempts); // and nothing more than was sent
    std::printf("crash test: %d kills, %d saves sent, %d answered as committed, %d documents stored\n", kills,
                attempts, saves, stored);
}

} // namespace
