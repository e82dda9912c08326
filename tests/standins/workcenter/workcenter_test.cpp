// The work centre VorlanWorkCenter.Manager and its three services against the seeded database, with
// a scripted chooser in place of the host's dialogs.
#include "standins/workcenter/counter.h"
#include "standins/workcenter/f2window.h"
#include "standins/workcenter/signoff.h"
#include "standins/workcenter/workcenter.h"
#include "tests/standins/appserver/serverfixture.h"

namespace {

// Answers the dialogs as a script says and remembers what they offered.
class TScriptedChooser : public TWorkCenterChooser {
public:
    std::vector<int> Rows;
    AnsiString Date, Calculated;
    std::vector<TChooseRequest> Offered;

    std::vector<int> ChooseRows(const TChooseRequest& request) override {
        Offered.push_back(request);
        return Rows;
    }
    AnsiString ChooseDate(const AnsiString& /*date*/, bool /*rocYear*/) override { return Date; }
    AnsiString Calculate(const AnsiString& text) override { return Calculated.empty() ? text : Calculated; }
};

class WorkCenter : public testing::Test {
protected:
    TServerDatabase Db;
    std::shared_ptr<TScriptedChooser> Chooser = std::make_shared<TScriptedChooser>();
    Variant Host = CreateOleObject("VorlanWorkCenter.Manager");
    Variant Validator, F2Window, Counter;

    void SetUp() override {
        VarAsObject<TWorkCenterManager>(Host)->SetChooser(Chooser);
        VarCall(Host, "Connect");
        Validator = VarGet(Host, "Com_Validator");
        F2Window = VarGet(Host, "Com_F2Window");
        Counter = VarGet(Host, "Com_Counter");
    }
    Variant Check(const char* table, const char* number, const Variant& keys, bool* found = nullptr,
                  const char* call = "CheckValue") {
        Variant row;
        const bool answer = VarCall(Validator, call, {table, number, "DEMO", keys, ByRef(row)}).AsBoolean();
        if (found) *found = answer;
        return answer ? row : Variant();
    }
    Variant Request(const char* name, const Variant& params) {
        return VarCall(Counter, "GETCOUNTER", {name, params, VarArrayOf({Variant("DEMO"), Variant("DEMO")})});
    }
};

Variant Keys(std::initializer_list<Variant> keys) {
    return VarArrayOf(keys);
}

TEST_F(WorkCenter, HostObjectAnswersItsVersionAndServices) {
    EXPECT_EQ(VarGet(Host, "DependencyVersion").AsInteger(), 8000);
    EXPECT_EQ(VarGet(Host, "ProductID").AsInteger(), 3);
    VarSet(Validator, "ProductID", 3);
    VarSet(Validator, "BaseLimited", "N");
    EXPECT_EQ(VarGet(Validator, "BaseLimited").AsString(), "N");
    VarCall(Host, "CallHelp", {Keys({Variant("KVR"), Variant(58)})});
    EXPECT_EQ(VarAsObject<TWorkCenterManager>(Host)->LastHelpTopic().GetElement({0}).AsString(), "KVR");
}

TEST_F(WorkCenter, ChecksAnswerTheRowInTheColumnsTheProgramReads) {
    struct {
        const char* Table;
        const char* Number;
        Variant Keys;
        int Column;
        const char* Value; // '' for not found
    } cases[] = {
        {"TAZMQ", "01", Keys({"5101", "A1", "DEMO"}), 0, "即期信用证"},
        {"TAZMQ", "01", Keys({"5102", "A1", "DEMO"}), 2, "4"}, // numbered by hand
        {"TAZMQ", "01", Keys({"5109", "A1", "DEMO"}), 0, ""},  // not valid
        {"TAZMQ", "01", Keys({"3301", "A1", "DEMO"}), 0, ""},  // another category
        {"WOQMB", "06", Keys({"KVRX58", "DEMO"}), 0, "信用证开证作业"},
        {"BYVMA", "01", Variant("S0001"), 1, "EUR"},
        {"BYVMA", "01", Variant("S0005"), 0, ""}, // not approved
        {"TAZMB", "02", Variant("20261210"), 0, "F01"},
        {"TAZMB", "02", Variant(""), 0, ""},
        {"TAZMF", "01", Keys({"JPY"}), 2, "0"},
        {"TAZMO", "02", Variant("B002"), 0, "东方商业银行浦东支行"},
        {"KVRTA", "01", Keys({"5101", "20261108001"}), 2, "20261108"},
        {"KVRTB", "01",
         Keys({"3301", "20261105001", "0001",
               "5101"
               "20261210001"}),
         1, "20261108001"},
        {"KVRTB", "01",
         Keys({"3301", "20261105001", "0001",
               "5101"
               "20261108001"}),
         0, ""}, // its own
        {"BYVTD", "10", Keys({"3301", "20261110002", "0001", "S0002", "F02", "USD"}), 2, "E-2001"},
        {"BYVTD", "10", Keys({"3301", "20261110002", "0001", "S0002", "F01", "USD"}), 0, ""},
        {"NOSUCH", "01", Keys({"x"}), 0, ""},
        // Keys are values, never SQL.
        {"BYVMA", "01", Variant("S0001' OR '1'='1"), 0, ""},
        {"TAZMQ", "01", Keys({"5101", "' OR 1=1 --", "DEMO"}), 0, ""},
    };
    for (const auto& c : cases) {
        bool found = false;
        const Variant row = Check(c.Table, c.Number, c.Keys, &found);
        EXPECT_EQ(found, *c.Value != 0) << c.Table << " " << c.Number;
        if (found) {
            EXPECT_EQ(VarToStr(row.GetElement({c.Column})), c.Value) << c.Table << " " << c.Number;
        }
    }
    // The order-line check fills seventeen values.
    const Variant line = Check("BYVTD", "10", Keys({"3301", "20261110001", "0003", "S0002", "F01", "USD"}));
    ASSERT_EQ(VarArrayLength(line), 17);
    EXPECT_DOUBLE_EQ(line.GetElement({5}).AsFloat(), 40);    // not yet delivered
    EXPECT_DOUBLE_EQ(line.GetElement({7}).AsFloat(), 47200); // amount
}

TEST_F(WorkCenter, QueryDataAnswersEveryRowAndQueryMaxSeqTheNextNumber) {
    bool found = false;
    const Variant rows = Check("NUMFD", "01", Variant("KVRTA"), &found, "QueryData");
    ASSERT_TRUE(found);
    EXPECT_EQ(VarArrayLength(rows), 20);
    EXPECT_EQ(rows.GetElement({0}).GetElement({0}).AsString(), "TA010");

    struct {
        const char* Type;
        const char* Date;
        const char* Next; // '' for none
    } cases[] = {
        {"5101", "20261108", "20261108002"},
        {"5101", "20261210", "20261210001"},
        {"5103", "20261201", "20261200001"},
        {"5102", "20261210", ""}, // by hand
        {"9999", "20261210", ""}, // unknown type
    };
    for (const auto& c : cases) {
        Variant result = "unKnow";
        const bool answer =
            VarCall(Validator, "QueryMaxSeq",
                    {"KVRTA", "TA001,TA002", Keys({c.Type}), c.Date, "KVRX58", "DEMO", ByRef(result)})
                .AsBoolean();
        EXPECT_EQ(answer, *c.Next != 0) << c.Type;
        if (answer) {
            EXPECT_EQ(result.AsString(), c.Next);
        }
    }
}

TEST_F(WorkCenter, TheLookupWindowOffersTheRowsAndAnswersTheChosenOnes) {
    Variant params = VarArrayCreate({0, 18}, varVariant);
    params.PutElement({0}, "BYVMA");
    params.PutElement({1}, "61");
    params.PutElement({2}, Keys({"S000"}));
    params.PutElement({5}, "DEMO");
    params.PutElement({18}, "DEMO");
    Chooser->Rows = {1};
    const Variant chosen = VarCall(F2Window, "F2GetData", {params});
    ASSERT_EQ(VarArrayLength(chosen), 1);
    EXPECT_EQ(chosen.GetElement({0}).GetElement({0}).AsString(), "S0002");
    ASSERT_EQ(Chooser->Offered.size(), 1u);
    EXPECT_EQ(Chooser->Offered[0].Rows.size(), 4u); // the approved suppliers
    EXPECT_EQ(Chooser->Offered[0].Captions[0], "供应商编号");

    Chooser->Rows = {};
    EXPECT_TRUE(VarIsEmpty(VarCall(F2Window, "F2GetData", {params})));
    Chooser->Rows = {0, 2, 99};
    params.PutElement({9}, true); // several rows may be picked
    EXPECT_EQ(VarArrayLength(VarCall(F2Window, "F2GetData", {params})), 2);
}

TEST_F(WorkCenter, PickersAnswerTheChoiceOrNothing) {
    Chooser->Date = "20261215";
    EXPECT_EQ(VarCall(F2Window, "ShowInputDay", {Keys({false, "20261210", "DEMO"})}).AsString(), "20261215");
    Chooser->Date = "2026-12";
    EXPECT_EQ(VarCall(F2Window, "ShowInputDay", {Keys({false, "20261210", "DEMO"})}).AsString(), "");

    Variant text = "";
    Chooser->Rows = {0};
    EXPECT_EQ(VarCall(F2Window, "GetPhrase2", {"DEMO", "DEMO", 0, ByRef(text)}).AsInteger(), 0);
    EXPECT_EQ(text.AsString(), "单据须经我司确认后方可议付"); // the user's own phrase first
    Chooser->Rows = {};
    EXPECT_LT(VarCall(F2Window, "GetPhrase2", {"DEMO", "DEMO", 0, ByRef(text)}).AsInteger(), 0);

    Variant kind = 0;
    Chooser->Rows = {0, 2};
    EXPECT_EQ(VarCall(F2Window, "ShowCharaters", {"DEMO", "DEMO", ByRef(kind), false, "0"})
                  .GetElement({0})
                  .AsString(),
              "Φ×");

    Variant sum = "12+30";
    Chooser->Calculated = "42";
    EXPECT_EQ(VarCall(F2Window, "GetCalcValue", {ByRef(sum), 0}).AsString(), "42");

    // Without a chooser nothing is ever chosen.
    VarAsObject<TWorkCenterManager>(Host)->SetChooser(nullptr);
    EXPECT_EQ(VarCall(F2Window, "ShowInputDay", {Keys({false, "20261210", "DEMO"})}).AsString(), "");
    EXPECT_EQ(VarCall(F2Window, "GetCalcValue", {ByRef(sum), 0}).AsString(), "");
}

TEST_F(WorkCenter, SystemSettingsAndExchangeRates) {
    const Variant settings = VarCall(Counter, "GetSysInfo", {"DEMO"});
    ASSERT_EQ(VarArrayDimCount(settings), 2);
    std::map<AnsiString, AnsiString> byName;
    for (int i = VarArrayLowBound(settings, 2); i <= VarArrayHighBound(settings, 2); ++i)
        byName[settings.GetElement({0, i}).AsString()] = settings.GetElement({1, i}).AsString();
    EXPECT_EQ(byName["SYS003"], "RMB");
    EXPECT_EQ(byName["SYS151"], "500");
    EXPECT_TRUE(VarIsEmpty(VarCall(Counter, "GetSysInfo", {"NOSUCH"})));

    struct {
        const char* Currency;
        const char* Kind;
        const char* Date;
        double Rate;
    } rates[] = {
        {"USD", "W", "20261210", 7.1114}, {"USD", "W", "20260501", 7.1966}, {"USD", "B", "20260501", 7.1680},
        {"EUR", "W", "", 7.7881},         {"RMB", "W", "20261210", 1},      {"XXX", "W", "20261210", 0},
        {"USD", "W", "20250101", 0},
    };
    for (const auto& r : rates)
        EXPECT_DOUBLE_EQ(Request("ExchangeRate", Keys({r.Currency, r.Kind, r.Date})).AsFloat(), r.Rate)
            << r.Currency << " " << r.Date;
}

TEST_F(WorkCenter, SimpleSqlReadsUnderTheGuardAndTransactionSqlWritesAttachmentsOnly) {
    const Variant rows =
        Request("SimpleSql", Keys({"select top 1 MF001,MF003,MF004,MF005,MF006 from $$TAZMF TAZMF "
                                   "where MF001='USD'",
                                   "MF001,MF003,MF004,MF005,MF006", "DEMO", "N"}));
    ASSERT_EQ(VarArrayLength(rows), 1);
    EXPECT_EQ(rows.GetElement({0}).GetElement({0}).AsString(), "USD");
    EXPECT_EQ(rows.GetElement({0}).GetElement({2}).AsInteger(), 2);
    const Variant names =
        Request("SimpleSQL", Keys({"SELECT MB002,MB011,MB012,MB013 FROM WOQMB WHERE MB001='KVRX58'",
                                   "MB002,MB011,MB012,MB013", "DEMO", "N"}));
    EXPECT_EQ(names.GetElement({0}).GetElement({1}).AsString(), "Letter of Credit Issuance");
    EXPECT_TRUE(
        VarIsEmpty(Request("SimpleSql", Keys({"SELECT MF001 FROM TAZMF WHERE 1=0", "MF001", "DEMO", "N"}))));

    const std::string before = Db.Fingerprint();
    const char* refused[] = {
        "DELETE FROM KVRTA",
        "SELECT * FROM KVRTA; DELETE FROM KVRTA",
        "SELECT * FROM KVRTA -- and more",
        "UPDATE KVRTA SET TA037 = 'x'",
        "PRAGMA writable_schema = 1",
        "ATTACH DATABASE '/tmp/x.db' AS x",
        "SELECT load_extension('libx')",
    };
    for (const char* sql : refused)
        EXPECT_THROW(Request("SimpleSql", Keys({sql, "A", "DEMO", "N"})), EOleError) << sql;
    EXPECT_THROW(Request("TransactionSQL", Keys({"UPDATE KVRTA SET TA037 = 'x'", ""})), EOleError);
    EXPECT_THROW(Request("TransactionSQL", Keys({"DELETE FROM ATTACH; DELETE FROM KVRTA", ""})), EOleError);
    EXPECT_EQ(Db.Fingerprint(), before);
    Request("TransactionSQL",
            Keys({" DELETE FROM ATTACH  WHERE Parent = 'KVRX58'        AND CompanyID = 'DEMO' "
                  "       AND KeyValues = '5101||20261108001' ",
                  ""}));
    // The document forms' form: the statement in a list of its own; a list of two is refused whole.
    const auto attachments = [this] {
        return VarArrayLength(Request(
            "SimpleSql",
            Keys({"SELECT KeyValues FROM ATTACH WHERE Parent = 'FWSING01'", "KeyValues", "DEMO", "N"})));
    };
    const int stored = attachments();
    ASSERT_GT(stored, 0);
    const char* removeOne = "DELETE FROM ATTACH WHERE Parent = 'FWSING01' AND KeyValues = 'D001'";
    EXPECT_THROW(Request("TransactionSQL", Keys({Keys({removeOne, "UPDATE KVRTA SET TA037 = 'x'"}), ""})),
                 EOleError);
    EXPECT_EQ(attachments(), stored);
    Request("TransactionSQL", Keys({Keys({removeOne}), ""}));
    EXPECT_EQ(attachments(), stored - 1);
    EXPECT_THROW(Request("NoSuchRequest", Keys({})), EOleError);
}

TEST_F(WorkCenter, UserSettingsUserDefinedFieldsAndSignOffJobs) {
    EXPECT_EQ(Request("GetUserDefine", Keys({"DEMO", "DEMO", "KVRX58", "InputSettings002"})).AsString(),
              "<InputSettings002><IsKeepOnAdd>True</IsKeepOnAdd></InputSettings002>");
    EXPECT_EQ(
        Request("GetUserDefine", Keys({"DEMO", "DEMO", "KVRX58", "InputSettings003"})).AsString(),
        "<InputSettings003><IsColorManage>False</IsColorManage></InputSettings003>"); // for all programs
    EXPECT_EQ(Request("GetUserDefine", Keys({"DEMO", "LIUF", "KVRX58", "InputSettings002"})).AsString(), "");
    Request("SetUserDefine", Keys({"DEMO", "DEMO", "KVRX58", "InputSettings003/IsColorManage", "True"}));
    EXPECT_EQ(Request("GetUserDefine", Keys({"DEMO", "DEMO", "KVRX58", "InputSettings003"})).AsString(),
              "<InputSettings003><IsColorManage>True</IsColorManage></InputSettings003>");
    const char* number =
        "<NumberFieldsSetting><MoneyFieldThousand>False</MoneyFieldThousand></NumberFieldsSetting>";
    Request("SetUserDefine", Keys({"DEMO", "DEMO", "********************", ".", number}));
    EXPECT_EQ(Request("GetUserDefine", Keys({"DEMO", "DEMO", "KVRX58", "NumberFieldsSetting"})).AsString(),
              number);

    const Variant name = Request(
        "QueryUDFData", Keys({"SELECT MA002 FROM BYVMA WHERE MA001 = %1", "", "DEMO", "N", Keys({"S0003"})}));
    EXPECT_EQ(name.GetElement({0}).GetElement({0}).AsString(), "樱川精工");
    EXPECT_TRUE(VarIsEmpty(Request("QueryUDFData", Keys({"SELECT MA002 FROM BYVMA WHERE MA001 = %1", "",
                                                         "DEMO", "N", Keys({"x' OR '1'='1"})}))));

    Variant job = VarArrayCreate({0, 16}, varVariant);
    const Variant row =
        Keys({"DEMO", "KVRX58", "5101||20261108001", "DEMO", job, "N", "", Null(), Null(), "", "936", "SP7"});
    EXPECT_EQ(Request("INSERTQZJOB", Keys({row})).AsInteger(), 0);
    EXPECT_EQ(Request("INSERTQZJOB", Keys({row})).AsInteger(), 1); // still waiting
    EXPECT_EQ(Request("INSERTQZJOB", Keys({Keys({"DEMO"})})).AsInteger(), 2);
    EXPECT_EQ(Db.Value("SELECT QZ008 FROM QZJOBQUE WHERE QZ003 = '5101||20261108001'"), "SP7");
}

TEST_F(WorkCenter, KeyConditionsGiveTheirValuesInOrder) {
    struct {
        const char* Condition;
        const char* Keys;
    } cases[] = {
        {"KVRTA.TA001 = '5101' and KVRTA.TA002 = '20261108001'", "5101||20261108001"},
        {"TA001 = 'O''Neil and = sons' and TA003 = 5", "O'Neil and = sons||5"},
        {"TA001 = '5101", "5101"}, // unterminated: the rest is the value
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(KeyValuesOfCondition(c.Condition), c.Keys) << c.Condition;
}

TEST_F(WorkCenter, SignOffInformationAndOpinionPage) {
    OpenServerSession()->Transaction([](TDbWriter& writer) {
        const char* insert =
            "INSERT INTO QZAPPROVE (AP001, AP002, AP003, AP004, AP005, AP006, AP007, AP008, AP009, "
            "AP010, AP011, AP012, AP013) VALUES (?, '5101||20261108001', ?, ?, ?, ?, ?, '', ?, "
            "?, ?, '', '')";
        for (const TDbParams& row : {
                 TDbParams{"SP7", "1", "1", 1, "经办", "2026-11-08 10:00:00", "同意", "U01", "王 <小> 明"},
                 TDbParams{"SP7", "1", "1", 2, "经办", "2026-11-08 10:00:00", "", "U02", "李四"},
                 TDbParams{"SP7", "2", "1", 1, "主管", "2026-11-09 09:00:00", "", "U03", "赵五"},
                 TDbParams{"SP8", "1", "1", 1, "经办", "2026-11-08 10:00:00", "", "U09", "别的表单"},
             })
            writer.Exec(insert, row);
    });
    const AnsiString info =
        Request("GetQZApprove",
                Keys({"DEMO", "SP7", "KVRTA.TA001 = '5101' and KVRTA.TA002 = '20261108001'", "936"}))
            .AsString();
    EXPECT_EQ(info.find("<RetVal><RetInfo><ErrNum>0</ErrNum>"), 0u) << info;
    // Two passes; the first branch of pass 1 holds both of its people, in order.
    const AnsiString pass1 =
        "<PassNoInfo><PassNo>1</PassNo><BranchInfoList><BranchInfo><BranchNo>1</BranchNo>"
        "<FlowRole>经办</FlowRole><PersonInfo><RecTime>2026-11-08 10:00:00</RecTime>"
        "<ApproveTime></ApproveTime><ApproveRet>同意</ApproveRet><RecPersonId>U01</RecPersonId>"
        "<RecPersonName>王 &lt;小&gt; 明</RecPersonName>";
    EXPECT_NE(info.find(pass1), AnsiString::npos) << info;
    EXPECT_NE(info.find("<RecPersonId>U02</RecPersonId>"), AnsiString::npos);
    EXPECT_NE(info.find("<PassNo>2</PassNo>"), AnsiString::npos);
    EXPECT_EQ(info.find("U09"), AnsiString::npos); // another form's records
    EXPECT_LT(info.find("U02"), info.find("<PassNo>2</PassNo>"));

    // A document without records has no passes; a request without keys is an error.
    EXPECT_EQ(Request("GetQZApprove", Keys({"DEMO", "SP7", "TA001 = 'X'", "936"})).AsString(),
              "<RetVal><RetInfo><ErrNum>0</ErrNum><ErrDis></ErrDis></RetInfo><ApproveInfo><PassNoInfoList>"
              "</PassNoInfoList></ApproveInfo></RetVal>");
    EXPECT_NE(Request("GetQZApprove", Keys({"DEMO", "SP7", "", "936"})).AsString().find("<ErrNum>1</ErrNum>"),
              AnsiString::npos);

    const AnsiString request =
        "<Request><RequestMethod>GetApproveOpinion</RequestMethod><LogOnInfo><SenderIP>10.0.0.2"
        "</SenderIP><ReceiverIP>qz.example:8080</ReceiverIP><QZSiteName>QZ</QZSiteName>"
        "<QZLogonID>DEMO</QZLogonID><SystemID>Norvu</SystemID ></LogOnInfo><RequestContent>"
        "<ContentText><Form><TargetFormID>SP7</TargetFormID><TargetSheetNo>A&amp;1 2"
        "</TargetSheetNo></Form></ContentText></RequestContent></Request>";
    EXPECT_EQ(
        Request("CallWebService", Keys({"http://qz/ws", "Invoke", request, "N"})).AsString(),
        "<Response><ResponseContent><ContentText><URL>http://qz.example:8080/QZ/ApproveOpinion.aspx?"
        "FormID=SP7&amp;SheetNo=A%261%202&amp;LogonID=DEMO</URL></ContentText></ResponseContent></Response>");
    EXPECT_NE(Request("CallWebService",
                      Keys({"", "", "<Request><RequestMethod>Drop</RequestMethod></Request>", "N"}))
                  .AsString()
                  .find("<ErrNum>1</ErrNum>"),
              AnsiString::npos);
}

TEST_F(WorkCenter, MessagesByKindAndCode) {
    const AnsiString text = VarCall(Host, "GetMessage", {"E", "000001"}).AsString();
    EXPECT_NE(text.find("不存在"), AnsiString::npos);
    EXPECT_EQ(VarCall(Host, "GetMessage", {"T", "000001"}).AsString(), text); // T reads E's text
    EXPECT_EQ(VarCall(Host, "GetMessage", {"E", "999999"}).AsString(), "");
    // Arguments fill the placeholders in order; missing ones are left empty and the text still shows.
    EXPECT_EQ(VarCall(Host, "GetMessage", {"E", "000001", "供应商"}).AsString(), "供应商" + text.substr(2));
    EXPECT_EQ(FillMessage("%s 与 %s 不符, %d%%", {"甲"}), "甲 与  不符, %");
    EXPECT_EQ(FillMessage("无参数", {"多余"}), "无参数");
    // Every message code the data file holds has a text.
    for (const char* code : {"E000008", "I000006", "E100007", "E100061", "E200128", "I200007"})
        EXPECT_NE(VarCall(Host, "GetMessage", {AnsiString(1, code[0]), code + 1}).AsString(), "") << code;
}

TEST_F(WorkCenter, ExecWorkStartsCataloguedProgramsTheUserMayRun) {
    std::vector<AnsiString> started;
    SetWorkCenterLauncher([&](const TStartRequest& request, Variant& mode, Variant& result) {
        started.push_back(request.Program);
        mode = 1;
        result = "done";
        return 7;
    });
    struct {
        const char* User;
        const char* Program;
        int Answer;
    } cases[] = {
        {"DEMO", "BYVX31", 7}, {"DEMO", "NOSUCH", -1}, {"LIUF", "BYVX31", -5},
        {"LIUF", "KVRX58", 7}, {"", "BYVX31", -6},
    };
    for (const auto& c : cases) {
        Variant mode = 2, result;
        EXPECT_EQ(VarCall(Host, "ExecWork",
                          {Keys({c.User, "DEMO", c.Program, 0}), Variant(), Keys({0, 4, Variant()}),
                           ByRef(mode), ByRef(result)})
                      .AsInteger(),
                  c.Answer)
            << c.User << " " << c.Program;
    }
    SetWorkCenterLauncher({});
    EXPECT_EQ(started, (std::vector<AnsiString>{"BYVX31", "KVRX58"}));
    Variant mode = 2, result;
    EXPECT_EQ(VarCall(Host, "ExecWork",
                      {Keys({"DEMO", "DEMO", "KVRX71"}), Variant(), Variant(), ByRef(mode), ByRef(result)})
                  .AsInteger(),
              0);
}

} // namespace
