// The transaction manager's server object over the demo database: a confirmation stamps the code, the
// date, the FLAG step and the lines' code in one transaction; every refusal names its reason in the
// structured form the document forms show and leaves the database as it was. The suite's client object
// reaches it by name.
#include <gtest/gtest.h>

#include "classlib/automation/comobj.h"
#include "classlib/rtl/codepages.h"
#include "standins/appserver/txnmanager.h"
#include "standins/outside/transmanager/transmanagerc.h"
#include "tests/standins/appserver/serverfixture.h"

namespace {

// A request of the document form for FWDBL01's document 5102-<number>.
Variant Request(const char* action, const char* number, const Variant& flag, const Variant& date,
                const char* user = "DEMO", const char* program = "FWDBL01") {
    const Variant params =
        VarArrayOf({Variant(AnsiString()), Variant(AnsiString("N")), Variant(AnsiString(action)),
                    Variant(AnsiString("5102")), Variant(AnsiString(number)), flag, Variant(AnsiString()),
                    date, Variant(AnsiString(program))});
    return VarArrayOf({Variant(AnsiString("TXN") + program), Variant(AnsiString("DEMO")),
                       Variant(AnsiString("S")), Variant(AnsiString(user)), Variant(AnsiString()), params,
                       Variant(AnsiString("936")), Variant(AnsiString("936")), Variant(false), Variant()});
}

Variant Pair() {
    return VarArrayOf({Variant(AnsiString("TransManager.TxnManager")), Variant(AnsiString("FWDBL01"))});
}

class TxnManager : public testing::Test {
protected:
    void SetUp() override { OpenServerSession(936); } // the demo database, made on first use
    TServerDatabase Database;
    std::string Head(const char* number) const {
        return Database.Value(
            std::string("SELECT DH006 || '/' || DH007 || '/' || FLAG FROM FWDHD WHERE DH002 = '") + number +
            "'");
    }
    std::string Lines(const char* number) const {
        return Database.Value(std::string("SELECT group_concat(DL007, '') FROM FWDLN WHERE DL002 = '") +
                              number + "'");
    }
};

TEST_F(TxnManager, ConfirmAndUnconfirmStampTheDocumentAndItsLines) {
    Variant manager(new TTxnManager);
    EXPECT_TRUE(VarCall(manager, "DoIt2",
                        {Request("DO", "H0001", Variant(1), Variant(AnsiString("20261211"))), Pair()})
                    .AsBoolean());
    EXPECT_EQ(VarToStr(VarGet(manager, "ReturnSeq")), "5102-H0001");
    EXPECT_EQ(Head("H0001"), "Y/20261211/2");
    EXPECT_EQ(Lines("H0001"), "YY");
    EXPECT_EQ(Database.Value("SELECT MODIFIER FROM FWDHD WHERE DH002 = 'H0001'"), "DEMO");

    // Unconfirm takes no date and clears the one stored.
    EXPECT_TRUE(
        VarCall(manager, "DoIt2", {Request("UNDO", "H0001", Variant(2), Variant()), Pair()}).AsBoolean());
    EXPECT_EQ(Head("H0001"), "N//3");
    EXPECT_EQ(Lines("H0001"), "NN");
    EXPECT_EQ(VarToStr(VarGet(manager, "ErrorCode")), "");

    // A FLAG the client stamped itself (negative: it has not read the stored one) is not compared.
    EXPECT_TRUE(VarCall(manager, "DoIt2",
                        {Request("DO", "H0003", Variant(-1), Variant(AnsiString("20261201"))), Pair()})
                    .AsBoolean());
    EXPECT_EQ(Head("H0003"), "Y/20261201/2");
}

TEST_F(TxnManager, RefusalsChangeNothingAndSayWhy) {
    const struct {
        const char* Case;
        Variant Request;
        const char* Reason; // UTF-8, the start of the reason
    } cases[] = {
        {"already confirmed", Request("DO", "H0002", Variant(1), Variant(AnsiString("20261211"))),
         u8"单据已审核"},
        {"not confirmed", Request("UNDO", "H0001", Variant(1), Variant()), u8"单据未审核"},
        {"changed since read", Request("DO", "H0001", Variant(7), Variant(AnsiString("20261211"))),
         u8"单据已被他人修改"},
        {"no such document", Request("DO", "H9999", Variant(1), Variant(AnsiString("20261211"))),
         u8"单据不存在"},
        {"a day of no calendar", Request("DO", "H0001", Variant(1), Variant(AnsiString("20260230"))),
         u8"审核日期不正确"},
        {"no date", Request("DO", "H0001", Variant(1), Variant()), u8"审核日期不正确"},
        {"no confirm right", Request("DO", "H0001", Variant(1), Variant(AnsiString("20261211")), "LIUF"),
         u8"没有审核的权限"},
        {"unknown action", Request("REDO", "H0001", Variant(1), Variant()),
         "TransManager.TxnManager: unknown action"},
        {"no request", Variant(AnsiString("DO")),
         "TransManager.TxnManager: the request is no transaction request"},
    };
    const std::string before = Database.Fingerprint();
    Variant manager(new TTxnManager);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Case);
        EXPECT_FALSE(VarCall(manager, "DoIt2", {c.Request, Pair()}).AsBoolean());
        const AnsiString reason = AnsiToUtf8(VarToStr(VarGet(manager, "ErrorDescript")));
        EXPECT_EQ(reason.substr(0, std::string(c.Reason).size()), c.Reason) << reason;
        EXPECT_NE(VarToStr(VarGet(manager, "ErrorCode")), "");
        const Variant desc = VarGet(manager, "ResultDesc");
        ASSERT_TRUE(VarIsArray(desc));
        EXPECT_EQ(VarToStr(desc.GetElement({0})), "E");
        EXPECT_EQ(VarToStr(desc.GetElement({1})), "000032");
        EXPECT_EQ(VarToStr(desc.GetElement({2}).GetElement({0})), VarToStr(VarGet(manager, "ErrorDescript")));
        EXPECT_EQ(VarToStr(VarGet(manager, "ReturnSeq")), "");
    }
    EXPECT_EQ(Database.Fingerprint(), before);
}

TEST_F(TxnManager, CheckRunsTheChecksAndWritesNothing) {
    const std::string before = Database.Fingerprint();
    Variant manager(new TTxnManager);
    EXPECT_TRUE(VarCall(manager, "DoCheck",
                        {Request("DO", "H0001", Variant(1), Variant(AnsiString("20261211"))), Pair()})
                    .AsBoolean());
    EXPECT_FALSE(VarCall(manager, "DoCheck",
                         {Request("DO", "H0002", Variant(1), Variant(AnsiString("20261211"))), Pair()})
                     .AsBoolean());
    EXPECT_EQ(Database.Fingerprint(), before);
}

TEST_F(TxnManager, TheLetterOfCreditTakesItsConfirmDate) {
    Variant manager(new TTxnManager);
    const Variant params =
        VarArrayOf({Variant(AnsiString()), Variant(AnsiString("N")), Variant(AnsiString("DO")),
                    Variant(AnsiString("5101")), Variant(AnsiString("20261112001")), Variant(1),
                    Variant(AnsiString()), Variant(AnsiString("20261115")), Variant(AnsiString("KVRX58"))});
    const Variant request =
        VarArrayOf({Variant(AnsiString("TXNKVRX58")), Variant(AnsiString("DEMO")), Variant(AnsiString("S")),
                    Variant(AnsiString("DEMO")), Variant(AnsiString()), params, Variant(AnsiString("936")),
                    Variant(AnsiString("936")), Variant(false), Variant()});
    ASSERT_TRUE(VarCall(manager, "DoIt2", {request, Pair()}).AsBoolean())
        << AnsiToUtf8(VarToStr(VarGet(manager, "ErrorDescript")));
    EXPECT_EQ(Database.Value("SELECT TA038 || '/' || TA042 FROM KVRTA WHERE TA002 = '20261112001'"),
              "Y/20261115");
    EXPECT_EQ(Database.Value("SELECT group_concat(TB009, '') FROM KVRTB WHERE TB002 = '20261112001'"), "YY");
}

// The suite's client object, created by name, runs the server object in process when the client
// configuration names no server, and hands on its outcome; a server it cannot make is a failure.
TEST_F(TxnManager, TheClientObjectHandsOnTheServersOutcome) {
    const Variant linked(new TTransManagerC); // the library registers the identifier when it is loaded
    Variant client = CreateOleObject("TransManagerC.Class1");
    EXPECT_FALSE(VarCall(client, "DoIt2",
                         {Request("DO", "H0002", Variant(1), Variant(AnsiString("20261211"))), Pair()})
                     .AsBoolean());
    EXPECT_TRUE(VarIsArray(VarGet(client, "ResultDesc")));
    EXPECT_EQ(
        AnsiToUtf8(VarToStr(VarGet(client, "ErrorDescript"))).substr(0, std::string(u8"单据已审核").size()),
        u8"单据已审核");
    EXPECT_TRUE(VarCall(client, "DoIt2",
                        {Request("DO", "H0001", Variant(1), Variant(AnsiString("20261211"))), Pair()})
                    .AsBoolean());
    EXPECT_EQ(VarToStr(VarGet(client, "ReturnSeq")), "5102-H0001");
    EXPECT_EQ(Head("H0001"), "Y/20261211/2");
    VarCall(client, "CloseCOM");

    const Variant nowhere =
        VarArrayOf({Variant(AnsiString("No.SuchServer")), Variant(AnsiString("FWDBL01"))});
    EXPECT_FALSE(
        VarCall(client, "DoIt2", {Request("UNDO", "H0001", Variant(2), Variant()), nowhere}).AsBoolean());
    EXPECT_EQ(VarToStr(VarGet(client, "ErrorCode")), "-1");
    EXPECT_NE(VarToStr(VarGet(client, "ErrorDescript")), "");
    EXPECT_EQ(Head("H0001"), "Y/20261211/2");
}

} // namespace
