// The broker: settings, the host's services, the lookup array, messages by kind and code, starting
// programs and the sign-off job, against host doubles.
#include <gtest/gtest.h>

#include "classlib/rtl/codepages.h"
#include "framework/Brokers.h"
#include "standins/outside/pager/qvnpager.h"
#include "tests/framework/FormFixture.h"

namespace {

class BrokerTest : public FormFixture {
protected:
    TBrokers* Broker() { return Form->Broker; }
    void SetUp() override {
        FormFixture::SetUp();
        MakeForm();
    }
};

TEST_F(BrokerTest, MaxRecordIsCappedAt40) {
    const struct {
        const char* Value;
        int Expected;
    } cases[] = {{"100", 40}, {"40", 40}, {"20", 20}, {"", 0}, {"abc", 0}, {" 7 ", 7}};
    for (const auto& c : cases) {
        Broker()->SvrSettings->SetText(AnsiString("MAX_RECORD=") + c.Value);
        EXPECT_EQ(Broker()->MaxRecord(), c.Expected) << c.Value;
    }
}

TEST_F(BrokerTest, SystemSettingsByName) {
    Broker()->SetSysSetting("SYS001", "4");
    Broker()->SetSysSetting("", "x");
    EXPECT_EQ(Broker()->GetSysSetting("sys001"), "4");
    EXPECT_EQ(Broker()->GetSysSetting(""), "");
    EXPECT_EQ(Broker()->SysSettings->Count(), 1);

    // The counter's answer: [0, i] the name and [1, i] the value.
    Variant info = VarArrayCreate({0, 1, 0, 1}, varVariant);
    info.PutElement({0, 0}, "SYS002");
    info.PutElement({1, 0}, "-");
    info.PutElement({0, 1}, "QVN002");
    info.PutElement({1, 1}, "演示");
    Counter->OnValue("GetSysInfo", info);
    EXPECT_TRUE(Broker()->LoadSysSettings());
    EXPECT_EQ(Broker()->GetSysSetting("SYS002"), "-");
    EXPECT_EQ(Broker()->GetSysSetting("QVN002"), "演示");
    Counter->OnValue("GetSysInfo", Variant());
    EXPECT_FALSE(Broker()->LoadSysSettings());
}

TEST_F(BrokerTest, AttachingTakesTheServicesAndTheCatalogueRow) {
    TBrokers fresh(Form);
    EXPECT_FALSE(fresh.AttachServices()); // no host object
    fresh.HostApp = Host;
    fresh.ProgramID = "KVRX58";
    fresh.Database = "DEMO";
    Validator->On("CheckValue", [](TDispArgs args) {
        *args[4].Value = VarArrayOf({"信用证开证作业", "KVRX71", "TXN", "TP", "", "A§", "B", "Y", "E", "LC"});
        return Variant(true);
    });
    EXPECT_TRUE(fresh.AttachServices());
    EXPECT_FALSE(VarIsEmpty(fresh.Counter));
    EXPECT_EQ(fresh.ProgramName, "信用证开证作业");
    EXPECT_EQ(fresh.GetPrintProgram(), "KVRX71");
    EXPECT_EQ(fresh.GetTxnServerText(), "TXN;TP");
    EXPECT_EQ(fresh.ProgramAttr5, "A§");
    EXPECT_TRUE(fresh.CatalogFlag);
    EXPECT_EQ(fresh.ProgramKind, 2);
    // The check asked: table, number, database, [program, database]; product and base limit set first.
    const TDispatchDouble::TCall& call = Validator->Calls.back();
    EXPECT_EQ(call.Args[0].AsString(), "WOQMB");
    EXPECT_EQ(call.Args[1].AsString(), "06");
    EXPECT_EQ(call.Args[3].GetElement({0}).AsString(), "KVRX58");
    EXPECT_EQ(Validator->CallCount("ProductID"), 1);
    EXPECT_EQ(Validator->CallCount("BaseLimited"), 1);
}

TEST_F(BrokerTest, CodeChecksSwallowEveryFailure) {
    Variant row;
    Validator->On("CheckValue", [](TDispArgs) -> Variant { throw Exception("server down"); });
    EXPECT_FALSE(Broker()->CheckValue("BYVMA", "01", row, VarArrayOf({"S1"})));
    Validator->Remove("QueryMaxSeq");
    Variant result;
    Broker()->QueryMaxSeq(nullptr, "KVRTA", result, "20260101", "TA001,TA002");
    EXPECT_EQ(result.AsString(), "unKnow");
    TBrokers lonely(Form);
    EXPECT_FALSE(lonely.CheckValue("BYVMA", "01", row, Variant("x")));
    EXPECT_EQ(lonely.ShowInputDay(false, "20260101"), "");
    lonely.CallCounter("SimpleSQL", Variant(), result);
    EXPECT_TRUE(VarIsEmpty(result));
}

TEST_F(BrokerTest, TheLookupArrayHasNineteenElements) {
    Form->Rights = TRights{33, 34};
    Broker()->SvrSettings->SetText("BaseLimited=Y");
    Variant sent;
    Lookup->On("F2GetData", [&sent](TDispArgs args) {
        sent = *args[0].Value;
        return VarArrayOf({VarArrayOf({"S0002", "奥兰电子"})});
    });
    Variant rows;
    Broker()->OpenF2Window("BYVMA", "01", rows, "t1", "t2", "t3", 0, "", true, false, "S0",
                           VarArrayOf({"k"}));
    ASSERT_EQ(VarArrayHighBound(sent, 1), 18);
    EXPECT_EQ(sent.GetElement({0}).AsString(), "BYVMA");
    EXPECT_EQ(sent.GetElement({1}).AsString(), "01");
    EXPECT_EQ(sent.GetElement({2}).GetElement({0}).AsString(), "k");
    EXPECT_FALSE(sent.GetElement({3}).AsBoolean()); // flag 2
    EXPECT_EQ(sent.GetElement({4}).AsString(), "S0");
    EXPECT_EQ(sent.GetElement({5}).AsString(), "DEMO");
    EXPECT_EQ(sent.GetElement({7}).AsInteger(), static_cast<int>(Form->Handle())); // window 0: the form's
    EXPECT_EQ(sent.GetElement({8}).AsInteger(), 1);
    EXPECT_TRUE(sent.GetElement({9}).AsBoolean()); // flag 1
    EXPECT_EQ(sent.GetElement({10}).AsInteger(), 3);
    EXPECT_EQ(sent.GetElement({11}).AsString(), "t3");
    EXPECT_EQ(sent.GetElement({13}).AsString(), "t1");
    EXPECT_EQ(sent.GetElement({14}).AsString(), "Y");
    EXPECT_TRUE(sent.GetElement({15}).AsBoolean()); // right 33
    EXPECT_TRUE(sent.GetElement({16}).AsBoolean()); // right 34
    EXPECT_EQ(sent.GetElement({18}).AsString(), "DEMO");
    EXPECT_EQ(rows.GetElement({0}).GetElement({0}).AsString(), "S0002");

    // Recording: nothing opens, the form keeps the parameters; replaying: the host's rows come back.
    const int calls = Lookup->CallCount("F2GetData");
    Form->LookupMode = lmRecording;
    Broker()->OpenF2Window("BYVMA", "01", rows, "t1", "t2", "", 0, "", true, false, "S0", Variant());
    EXPECT_EQ(Lookup->CallCount("F2GetData"), calls);
    ASSERT_EQ(VarArrayHighBound(Form->LookupRecord, 1), 13);
    EXPECT_EQ(Form->LookupRecord.GetElement({3}).AsInteger(), 1);
    EXPECT_EQ(Form->LookupRecord.GetElement({9}).AsString(), ""); // no text 3: no texts at all
    EXPECT_EQ(Form->LookupRecord.GetElement({13}).AsString(), "9");
    Form->LookupMode = lmReplaying;
    Form->LookupReturn = VarArrayOf({VarArrayOf({"S0003"})});
    Broker()->OpenF2Window("BYVMA", "01", rows, "", "", "", 0, "", true, false, "", Variant());
    EXPECT_EQ(rows.GetElement({0}).GetElement({0}).AsString(), "S0003");
    Form->LookupMode = lmNormal;
}

struct TSayCase {
    const char* Kind;
    const char* Asked; // the kind the host was asked for
    const char* DialogKind;
    std::vector<AnsiString> Buttons;
};

TEST_F(BrokerTest, SayShowsEachKindWithItsButtons) {
    const TSayCase cases[] = {
        {"E", "E", "Error", {"OK"}},
        {"I", "I", "Information", {"OK"}},
        {"C", "C", "Warning", {"OK", "Cancel"}},
        {"D", "D", "Warning", {"Yes", "No", "Cancel"}},
        {"Q", "Q", "Confirmation", {"OK", "Cancel"}},
        {"W", "W", "Warning", {"OK", "Cancel"}},
        {"T", "E", "Error", {"Yes", "No", "Cancel", "YesToAll"}},
        {"X", "X", "Custom", {"OK"}},
    };
    Form->SetCaption("信用证开证作业[演示]");
    for (const TSayCase& c : cases) {
        User.Answers = {c.Buttons[0]};
        EXPECT_EQ(Broker()->Say(c.Kind, "000123", {"A"}), c.Buttons[0] == "OK" ? mrOk : mrYes) << c.Kind;
        const std::vector<TDialogRecord> shown = TakeDialogs();
        ASSERT_EQ(shown.size(), 1u) << c.Kind;
        AnsiString text = AnsiString(c.Asked) + "000123:A ";
        if (AnsiString(c.Kind) == "T") text += "\r\n是否继续?";
        EXPECT_EQ(shown[0].Text, text) << c.Kind;
        EXPECT_EQ(shown[0].Kind, c.DialogKind) << c.Kind;
        EXPECT_EQ(shown[0].Buttons, c.Buttons) << c.Kind;
        EXPECT_EQ(shown[0].Caption, "信用证开证作业[演示]") << c.Kind;
    }
    EXPECT_EQ(Form->AfterSayCount, 8);
}

TEST_F(BrokerTest, AWarningAnsweredCancelAbortsWhenAsked) {
    User.Answers = {"Cancel"};
    EXPECT_THROW(Broker()->Say("W", "000004", {"供应商"}, 936, true), EAbort);
    EXPECT_EQ(Form->AfterSayCount, 0); // the abort leaves before AfterSay
    User.Answers = {"Cancel"};
    EXPECT_EQ(Broker()->Say("W", "000004", {"供应商"}, 936, false), mrCancel);
    EXPECT_EQ(Broker()->Say("W", "000004", {"供应商"}, 936, true), mrOk);
    EXPECT_EQ(Form->AfterSayCount, 2);
}

TEST_F(BrokerTest, TheDialogHasChineseCaptionsTheAskedDefaultAndTheGbFont) {
    TDialogRecord record;
    User.Answers = {"Cancel"};
    Broker()->Say("C", "000001", {}, 936, false, sayDefaultCancel);
    record = TakeDialogs().at(0);
    EXPECT_EQ(record.DefaultButton, "Cancel");
    Broker()->Say("C", "000001");
    record = TakeDialogs().at(0);
    EXPECT_EQ(record.DefaultButton, "OK");

    // The dialog as ShowMessageDialog builds it, looked at while it is up.
    TModalDriver* saved = Application->SetModalDriver(nullptr);
    struct TPeek : TModalDriver {
        AnsiString Captions, FontName;
        int Charset = 0;
        bool Idle(TCustomForm* form) override {
            for (int i = 0; i < form->ComponentCount(); ++i)
                if (auto* b = dynamic_cast<TButton*>(form->Components(i))) Captions += b->Caption() + ";";
            FontName = form->Font()->Name();
            Charset = form->Font()->Charset();
            UserAnswer(form, "Yes");
            return true;
        }
    } peek;
    Application->SetModalDriver(&peek);
    Broker()->Say("D", "000002");
    Application->SetModalDriver(saved);
    EXPECT_NE(peek.Captions.find("是(&Y)"), AnsiString::npos);
    EXPECT_NE(peek.Captions.find("取消"), AnsiString::npos);
    EXPECT_EQ(peek.FontName, "SimSun");
    EXPECT_EQ(peek.Charset, 134);
}

TEST_F(BrokerTest, SixBlanksOnASystemWhoseCodePageIsNot936) {
    SetACP(1252);
    Broker()->Say("E", "000005");
    SetACP(936);
    EXPECT_EQ(TakeDialogs().at(0).Text, "E000005:       "); // the one blank, then six
}

// The host's text is converted for the user interface before the arguments go in: an argument is in
// the interface's code page already (a field's label) and is neither converted nor formatted again.
TEST_F(BrokerTest, TheTextIsConvertedBeforeItsArgumentsGoIn) {
    const AnsiString tail = "     " + AnsiString(6, ' '); // four for BIG5, the one, six for a conversion
    const struct {
        const char* UICodePage;
        AnsiString Label, Shown;
    } cases[] = {
        {"936", "供应商", "供应商 与 100% [%s] 不符 "},
        {"950", WideToAnsi(u"供應商", 950), WideToAnsi(u"供應商 與 100% [%s] 不符", 950) + tail},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.UICodePage);
        delete Form;
        WriteFile("C:\\Veltrane\\VeltraneC.ini", "[Server Information]\r\nComputerName=127.0.0.1\r\n"
                                                 "[CodePage]\r\nUICodePage=" +
                                                     AnsiString(c.UICodePage) + "\r\nDBCodePage=936\r\n");
        MakeForm();
        HostObject->OnValue("GetMessage", AnsiString("%s 与 %s 不符"));
        Broker()->Say("E", "000001", {c.Label, "100% [%s]"});
        EXPECT_EQ(TakeDialogs().at(0).Text, c.Shown);
    }
}

// Under a BIG5 user interface the texts the broker converts itself before handing them to E 000032
// (ExecWork's error with the program's name, the calculator's failure) show converted once.
TEST_F(BrokerTest, UnderBig5TheBrokersOwnArgumentsAreConvertedOnce) {
    delete Form;
    WriteFile("C:\\Veltrane\\VeltraneC.ini",
              "[Server Information]\r\nComputerName=127.0.0.1\r\n[CodePage]\r\nUICodePage=950\r\n");
    MakeForm();
    HostObject->OnValue("GetMessage", AnsiString("%s"));
    HostObject->OnValue("ExecWork", -5);
    Counter->OnValue("GETCOUNTER", VarArrayOf({VarArrayOf({"供应商信息查询", "Supplier Inquiry"})}));
    Lookup->On("GetCalcValue", [](TDispArgs) -> Variant { throw Exception("old library"); });
    const AnsiString tail = "     " + AnsiString(6, ' ');
    Variant result;
    Broker()->ExecWork("BYVX31", Variant("x"), true, result);
    EXPECT_EQ(TakeDialogs().at(0).Text, WideToAnsi(u"[供應商信息查詢]作業程序無運行作業權限!", 950) + tail);
    EXPECT_EQ(Broker()->GetCalcValue("1+"), "");
    EXPECT_EQ(TakeDialogs().at(0).Text, WideToAnsi(u"請更新F2WindowC.dll", 950) + tail);
}

// A text that does not fit its arguments still shows: each placeholder takes the next argument's text.
TEST_F(BrokerTest, ATextThatDoesNotFitItsArgumentsStillShows) {
    const struct {
        const char* Text;
        std::vector<TVarRec> Args;
        const char* Shown;
    } cases[] = {
        {"%s 与 %s", {"A"}, "A 与  "}, {"[%s]", {42}, "[42] "},      {"%d%%", {7}, "7% "},
        {"%.1f", {2.25}, "2.3 "},      {"无参数", {"A"}, "无参数 "}, {"%s", {}, " "},
    };
    for (const auto& c : cases) {
        HostObject->OnValue("GetMessage", AnsiString(c.Text));
        Broker()->Say("E", "000001", c.Args, 936, false, sayDefaultOK);
        EXPECT_EQ(TakeDialogs().at(0).Text, c.Shown) << c.Text;
    }
    // Without a host there is no text: the dialog shows the blank alone.
    Broker()->HostApp = Variant();
    Broker()->Say("I", "000006");
    EXPECT_EQ(TakeDialogs().at(0).Text, " ");
}

TEST_F(BrokerTest, ExecWorkReportsFailuresOnlyWhenAsked) {
    Variant caller;
    HostObject->On("ExecWork", [&caller](TDispArgs args) {
        caller = *args[0].Value;
        *args[4].Value = "done";
        return Variant(-5);
    });
    Variant sql;
    Counter->On("GETCOUNTER", [&sql](TDispArgs args) {
        sql = args[1].Value->GetElement({0});
        return VarArrayOf({VarArrayOf({"供应商信息查询", "Supplier Inquiry"})});
    });
    Variant result;
    EXPECT_EQ(Broker()->ExecWork("BYVX31", Variant("x"), false, result), -5);
    EXPECT_TRUE(TakeDialogs().empty());
    EXPECT_EQ(result.AsString(), "done");
    EXPECT_EQ(caller.GetElement({2}).AsString(), "BYVX31");
    EXPECT_EQ(caller.GetElement({3}).AsInteger(), static_cast<int>(Form->Handle()));

    EXPECT_EQ(Broker()->ExecWork("O'X", Variant("x"), true, result), -5);
    EXPECT_EQ(TakeDialogs().at(0).Text, "E000032:[供应商信息查询]作业程序无运行作业权限! ");
    EXPECT_EQ(sql.AsString(), "SELECT MB002,MB011,MB012,MB013 FROM WOQMB WHERE MB001='O''X'");

    Broker()->HostApp = Variant();
    EXPECT_EQ(Broker()->ExecWork("BYVX31", Variant(), true, result), -1);
    EXPECT_TRUE(TakeDialogs().empty());
}

TEST_F(BrokerTest, TheProgramNameOfAnUnknownProgramIsItsID) {
    Counter->OnValue("GETCOUNTER", Variant());
    EXPECT_EQ(Broker()->GetProgramNameOf("ZZZX01"), "ZZZX01");
    Counter->On("GETCOUNTER", [](TDispArgs) -> Variant { throw Exception("refused"); });
    EXPECT_EQ(Broker()->GetProgramNameOf("ZZZX01"), "ZZZX01");
}

TEST_F(BrokerTest, SignOffJobsThroughTheCounter) {
    Variant sent;
    int answer = 0;
    Counter->On("GETCOUNTER", [&](TDispArgs args) {
        sent = *args[1].Value;
        return Variant(answer);
    });
    std::vector<Variant> data;
    for (int i = 0; i <= 13; ++i)
        data.push_back(Variant("d" + IntToStr(i)));
    EXPECT_TRUE(Broker()->SendQZJob(1, VarArrayOf(data)));
    EXPECT_EQ(TakeDialogs().at(0).Text, "I200007: ");
    const Variant row = sent.GetElement({0});
    ASSERT_EQ(VarArrayHighBound(row, 1), 11);
    EXPECT_EQ(row.GetElement({2}).AsString(), "d6");
    EXPECT_EQ(row.GetElement({11}).AsString(), "SP7");
    const Variant job = row.GetElement({4});
    ASSERT_EQ(VarArrayHighBound(job, 1), 16);
    EXPECT_EQ(job.GetElement({3}).AsString(), "d1");
    EXPECT_EQ(job.GetElement({5}).AsString(), "d0");
    EXPECT_EQ(job.GetElement({16}).AsString(), "d13");

    data.push_back(Variant("d14"));
    data.push_back(Variant("d15"));
    Broker()->ProgramAttr5 = "x§";
    answer = 1;
    EXPECT_FALSE(Broker()->SendQZJob(1, VarArrayOf(data)));
    EXPECT_EQ(TakeDialogs().at(0).Text, "E200128: ");
    EXPECT_EQ(sent.GetElement({0}).GetElement({13}).AsString(), "SP8");
    EXPECT_EQ(sent.GetElement({0}).GetElement({4}).GetElement({15}).AsString(), "d14");
    data.pop_back();
    EXPECT_FALSE(Broker()->SendQZJob(1, VarArrayOf(data))); // neither 13 nor 15 elements
}

TEST_F(BrokerTest, MessagesThroughThePagerAndTheHost) {
    ClearPagerMessages();
    EXPECT_TRUE(Broker()->SendQZJob(2, VarArrayOf({"请审核单据"})));
    const std::vector<TPagerMessage> sent = PagerMessages();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].User, "DEMO");
    EXPECT_EQ(sent[0].Target.GetElement({1}).AsString(), "KVRX58");
    EXPECT_EQ(sent[0].Text.AsString(), "请审核单据");

    Variant param;
    HostObject->On("ExecWork", [&param](TDispArgs args) {
        param = *args[1].Value;
        return Variant(0);
    });
    Counter->OnValue("GETCOUNTER", VarArrayOf({VarArrayOf({"信用证开证作业", "LC"})}));
    EXPECT_FALSE(Broker()->SendQZJob(3, Variant("5101-001")));
    EXPECT_EQ(param.GetElement({1}).GetElement({2}).AsString(),
              "<A href=\"ktrw://Norvu/DEMO/KVRX58/query/5101-001\">信用证开证作业</A>");
}

} // namespace
