// Letters of credit kept through client data sets on pvdMain, the header with its lines nested, in
// process and over TCP: added, changed and deleted through their deltas, and a save that lost the
// race reaching the reconcile handler with nothing written.
#include <functional>

#include "classlib/db/dbclient.h"
#include "tests/standins/appserver/serverfixture.h"

namespace {

class TReconcileLog : public TComponent {
public:
    using TComponent::TComponent;
    std::vector<AnsiString> Messages;
    void ReconcileError(TCustomClientDataSet*, EReconcileError* e, TUpdateKind, TReconcileAction& action) {
        Messages.push_back(e->Message());
        action = raSkip;
    }
};

// A header data set and its nested lines on one server object.
struct TDocumentSets {
    std::unique_ptr<TComponent> Owner = std::make_unique<TComponent>(nullptr);
    Variant Server;
    TClientDataSet* cdsMain = new TClientDataSet(Owner.get());
    TClientDataSet* cdsBody1 = new TClientDataSet(Owner.get());
    TReconcileLog* Reconcile = new TReconcileLog(Owner.get());

    explicit TDocumentSets(Variant server) : Server(std::move(server)) {
        cdsMain->SetName("cdsMain");
        cdsBody1->SetName("cdsBody1");
        cdsMain->SetAppServer(Server);
        cdsMain->SetProviderName("pvdMain");
        cdsMain->SetPacketRecords(20);
        cdsMain->SetOnReconcileError(TReconcileErrorEvent(Reconcile, &TReconcileLog::ReconcileError));
    }
    void Open(const AnsiString& condition) {
        cdsBody1->Close();
        cdsMain->Close();
        cdsMain->SetDataRequest(VarArrayOf({Variant(condition), Variant("")}));
        cdsMain->Open();
        cdsBody1->SetDataSetField(static_cast<TDataSetField*>(cdsMain->FieldByName("qryBody")));
        cdsBody1->Open();
    }
    void Set(TClientDataSet* dataSet, const char* field, const Variant& value) {
        dataSet->FieldByName(field)->SetValue(value);
    }
    void AddLine(const AnsiString& number, const char* seq, const char* orderSeq) {
        cdsBody1->Append();
        Set(cdsBody1, "TB001", "5101");
        Set(cdsBody1, "TB002", number);
        Set(cdsBody1, "TB003", seq);
        Set(cdsBody1, "TB004", "3301");
        Set(cdsBody1, "TB005", "20261110002");
        Set(cdsBody1, "TB006", orderSeq);
        cdsBody1->Post();
    }
};

class ClientDataSets : public testing::TestWithParam<TReach> {
protected:
    TServerDatabase Db;
    TServerReach Reach{GetParam()};
};

INSTANTIATE_TEST_SUITE_P(Reach, ClientDataSets, testing::Values(TReach::InProcess, TReach::Tcp), ReachName);

TEST_P(ClientDataSets, AHeaderWithThreeLinesIsAddedChangedAndDeleted) {
    TDocumentSets sets(Reach.AppServer());
    sets.Open("All");
    EXPECT_EQ(sets.cdsMain->RecordCount(), 2);
    EXPECT_EQ(sets.cdsBody1->RecordCount(), 2);
    EXPECT_EQ(sets.cdsMain->FieldByName("TA005C")->AsString(), "海森机械");

    // Added: the number shown is the one the client guessed; the server numbers it.
    sets.cdsMain->Append();
    sets.Set(sets.cdsMain, "TA001", "5101");
    sets.Set(sets.cdsMain, "TA002", "20261210009");
    sets.Set(sets.cdsMain, "TA008", "20261210");
    sets.Set(sets.cdsMain, "TA005", "S0002");
    sets.Set(sets.cdsMain, "TA016", "USD");
    sets.Set(sets.cdsMain, "TA018", 5000.0);
    for (const char* seq : {"0001", "0002", "0003"})
        sets.AddLine("20261210009", seq, seq);
    sets.cdsMain->Post();
    VarCall(sets.Server, "SetIsSeq", {true});
    ASSERT_EQ(sets.cdsMain->ApplyUpdates(0), 0) << testing::PrintToString(sets.Reconcile->Messages);
    const AnsiString number = VarCall(sets.Server, "WhatIs", {"SEQNO"}).AsString();
    EXPECT_EQ(number, "20261210001");
    EXPECT_EQ(Db.Value("SELECT count(*) FROM KVRTB WHERE TB002 = '20261210001'"), "3");
    // The header's key, as the server numbered it, in every line; each row stamped FLAG 1.
    EXPECT_EQ(
        Db.Value("SELECT count(*) FROM KVRTB WHERE TB001 = '5101' AND TB002 = '20261210001' AND FLAG = 1"),
        "3");
    EXPECT_EQ(Db.Value("SELECT count(*) FROM KVRTB WHERE TB002 = '20261210009'"), "0");
    EXPECT_EQ(Db.Value("SELECT FLAG FROM KVRTA WHERE TA002 = '20261210001'"), "1");

    // Changed: the header, line 2 changed, line 3 deleted, line 4 added.
    VarCall(sets.Server, "SetIsSeq", {false});
    sets.Open("KVRTA.TA002 = '" + number + "'");
    ASSERT_EQ(sets.cdsMain->RecordCount(), 1);
    ASSERT_EQ(sets.cdsBody1->RecordCount(), 3);
    EXPECT_EQ(sets.cdsBody1->FieldByName("TD004C")->AsString(), "E-2001");
    sets.cdsMain->Edit();
    sets.Set(sets.cdsMain, "TA037", "分批装运");
    sets.cdsBody1->Next();
    sets.cdsBody1->Edit();
    sets.Set(sets.cdsBody1, "TB008", 321.5);
    sets.cdsBody1->Post();
    sets.cdsBody1->Next();
    sets.cdsBody1->Delete();
    sets.AddLine(number, "0004", "0002");
    sets.cdsMain->Post();
    ASSERT_EQ(sets.cdsMain->ApplyUpdates(0), 0) << testing::PrintToString(sets.Reconcile->Messages);
    EXPECT_EQ(Db.Value("SELECT TA037 || '/' || FLAG FROM KVRTA WHERE TA002 = '20261210001'"), u8"分批装运/2");
    EXPECT_EQ(Db.Value("SELECT group_concat(TB003 || '=' || TB008, ',') FROM (SELECT TB003, TB008 FROM KVRTB "
                       "WHERE TB002 = '20261210001' ORDER BY TB003)"),
              "0001=0,0002=321.5,0004=0");

    // Deleted, with its lines.
    sets.Open("KVRTA.TA002 = '" + number + "'");
    sets.cdsMain->Delete();
    ASSERT_EQ(sets.cdsMain->ApplyUpdates(0), 0) << testing::PrintToString(sets.Reconcile->Messages);
    EXPECT_EQ(Db.Value("SELECT count(*) FROM KVRTA WHERE TA002 = '20261210001'"), "0");
    EXPECT_EQ(Db.Value("SELECT count(*) FROM KVRTB WHERE TB002 = '20261210001'"), "0");
}

TEST_P(ClientDataSets, TheLateSaveReachesTheReconcileHandlerAndNothingIsWritten) {
    TDocumentSets first(Reach.AppServer("DEMO")), second(Reach.AppServer("DEMO"));
    first.Open("KVRTA.TA002 = '20261112001'");
    second.Open("KVRTA.TA002 = '20261112001'");
    first.cdsMain->Edit();
    first.Set(first.cdsMain, "TA037", "first");
    first.cdsMain->Post();
    ASSERT_EQ(first.cdsMain->ApplyUpdates(0), 0);
    const std::string afterFirst = Db.Fingerprint();

    second.cdsMain->Edit();
    second.Set(second.cdsMain, "TA037", "second");
    second.cdsBody1->Edit();
    second.Set(second.cdsBody1, "TB008", 1.0);
    second.cdsBody1->Post();
    second.cdsMain->Post();
    EXPECT_EQ(second.cdsMain->ApplyUpdates(0), 1);
    ASSERT_EQ(second.Reconcile->Messages.size(), 1u);
    EXPECT_NE(second.Reconcile->Messages[0].find("资料已被其他用户更改"), AnsiString::npos);
    EXPECT_EQ(Db.Fingerprint(), afterFirst);
    EXPECT_GT(second.cdsMain->ChangeCount(), 0); // still waiting in the change log
}

// What another user did to the document since the second client read it, what the second client
// then saves, and what it is told: the save is refused whole, the database stays as the first left it,
// and the second client's changes wait in its change log.
TEST_P(ClientDataSets, ASaveOverAnotherUsersChangeOrDeleteIsAReconcileErrorWithNothingWritten) {
    using TAction = std::function<void(TDocumentSets&)>;
    const TAction changeHead = [](TDocumentSets& s) {
        s.cdsMain->Edit();
        s.Set(s.cdsMain, "TA037", "改过");
        s.cdsMain->Post();
    };
    const TAction changeLine = [](TDocumentSets& s) {
        s.cdsBody1->First();
        s.cdsBody1->Edit();
        s.Set(s.cdsBody1, "TB008", 99.0);
        s.cdsBody1->Post();
    };
    const TAction changeHeadAndLine = [&](TDocumentSets& s) {
        changeHead(s);
        changeLine(s);
    };
    const TAction addLine = [](TDocumentSets& s) { s.AddLine("20261112001", "0003", "0002"); };
    const TAction deleteLine = [](TDocumentSets& s) {
        s.cdsBody1->First();
        s.cdsBody1->Delete();
    };
    const TAction deleteDocument = [](TDocumentSets& s) { s.cdsMain->Delete(); };
    struct {
        const char* Name;
        TAction First, Second;
        const char* Told;
    } cases[] = {
        {"header changed, then header and line", changeHead, changeHeadAndLine, "资料已被其他用户更改"},
        {"header changed, then a line only", changeHead, changeLine, "资料已被其他用户更改"},
        {"header changed, then a line added", changeHead, addLine, "资料已被其他用户更改"},
        {"header changed, then deleted", changeHead, deleteDocument, "资料已被其他用户更改"},
        {"line changed, then the same line", changeLine, changeLine, "资料已被其他用户更改"},
        {"line deleted, then the same line changed", deleteLine, changeLine, "资料已被其他用户删除"},
        {"deleted, then header changed", deleteDocument, changeHead, "资料已被其他用户删除"},
        {"deleted, then a line added", deleteDocument, addLine, "资料已被其他用户删除"},
    };
    for (const auto& c : cases) {
        TServerDatabase db; // each case on a fresh database
        TDocumentSets first(Reach.AppServer()), second(Reach.AppServer());
        first.Open("KVRTA.TA002 = '20261112001'");
        second.Open("KVRTA.TA002 = '20261112001'");
        c.First(first);
        ASSERT_EQ(first.cdsMain->ApplyUpdates(0), 0)
            << c.Name << testing::PrintToString(first.Reconcile->Messages);
        const std::string afterFirst = db.Fingerprint();

        c.Second(second);
        EXPECT_GE(second.cdsMain->ApplyUpdates(0), 1) << c.Name;
        ASSERT_FALSE(second.Reconcile->Messages.empty()) << c.Name;
        EXPECT_NE(second.Reconcile->Messages[0].find(c.Told), AnsiString::npos)
            << c.Name << ": " << second.Reconcile->Messages[0];
        EXPECT_EQ(db.Fingerprint(), afterFirst) << c.Name;
        EXPECT_GT(second.cdsMain->ChangeCount(), 0) << c.Name;
    }
}

// The FLAG the client stamps is the one stored, so that the client can save again from what it holds
// (999 wraps to 0 as the client's stamp does); a client that stamps nothing gets the server's step.
TEST_P(ClientDataSets, TheClientsFlagStampIsStoredAndItsNextSaveIsNoConflict) {
    {
        TDbSession session(DemoOptions(Db.Folder()));
        session.Transaction([](TDbWriter& writer) {
            writer.Exec("UPDATE KVRTA SET FLAG = 998 WHERE TA002 = '20261112001'");
        });
    }
    TDocumentSets sets(Reach.AppServer());
    sets.Open("KVRTA.TA002 = '20261112001'");
    for (const double stamp : {999.0, 0.0}) {
        sets.cdsMain->Edit();
        sets.Set(sets.cdsMain, "TA037", AnsiString("盖章 ") + std::to_string(static_cast<int>(stamp)));
        sets.Set(sets.cdsMain, "FLAG", stamp);
        sets.cdsMain->Post();
        ASSERT_EQ(sets.cdsMain->ApplyUpdates(0), 0) << testing::PrintToString(sets.Reconcile->Messages);
        EXPECT_EQ(Db.Value("SELECT FLAG FROM KVRTA WHERE TA002 = '20261112001'"),
                  std::to_string(static_cast<int>(stamp)));
    }
    // Unstamped: stepped by the server; the client reads it back before its next save.
    sets.cdsMain->Edit();
    sets.Set(sets.cdsMain, "TA037", "未盖章");
    sets.cdsMain->Post();
    ASSERT_EQ(sets.cdsMain->ApplyUpdates(0), 0);
    EXPECT_EQ(Db.Value("SELECT FLAG FROM KVRTA WHERE TA002 = '20261112001'"), "1");
    sets.Open("KVRTA.TA002 = '20261112001'");
    EXPECT_EQ(sets.cdsMain->FieldByName("FLAG")->AsInteger(), 1);
}

} // namespace
