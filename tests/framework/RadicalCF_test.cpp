// The document form root: creation, the start-up against the servers, the user's rights, help, the
// lookup keys and pickers, the host's lookup interaction and the stand-alone start.
#include <gtest/gtest.h>

#include "classlib/dbctrls/dbctrls.h"
#include "classlib/rtl/shellapi.h"
#include "framework/DLLMTCtrller.h"
#include "framework/RadicalCF.h"
#include "standins/outside/vlpkgex/InteraParam.h"
#include "tests/framework/FormFixture.h"

namespace {

TEST(ProgramID, FromTheModuleFileName) {
    const struct {
        const char* FileName;
        const char* ID;
    } cases[] = {
        {"KVRX58C.so", "KVRX58"},
        {"KVRX58C.dll", "KVRX58"},
        {"/opt/kvr.2/bin/KVRX58C.so", "KVRX58"}, // a dot in a folder name is not the name's
        {"C:\\Vorlan\\kvrx58c.DLL", "KVRX58"},
        {"ab12cd.dll", "AB12"},
        {"ab12cd.so", "AB12"},
        {"abc.dll", ""},
        {"abc.so", ""},
        {"KVRX58C", ""}, // no dot
        {"9.so", "9"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ProgramIDOfFileName(c.FileName), c.ID) << c.FileName;
}

class RadicalFormTest : public FormFixture {};

TEST_F(RadicalFormTest, CreationGivesTheBrokerAndTheStartingRights) {
    MakeForm();
    EXPECT_FALSE(Form->Visible());
    EXPECT_EQ(Form->OperationMask, 511);
    EXPECT_EQ(Form->OpenMode, 0);
    EXPECT_EQ(Form->ParamText, "");
    ASSERT_NE(Form->Broker, nullptr);
    EXPECT_EQ(Form->Broker->Owner(), Form);
    ASSERT_NE(Form->DataModule, nullptr);
    EXPECT_EQ(Form->DataModule->Owner(), Form);
    EXPECT_TRUE(Form->DataModule->CreateFlag);
    EXPECT_EQ(Form->Rights, RightsRange(0, 14) | RightsRange(22, 59));
    EXPECT_FALSE(Form->LoadLanguageOnShow);
    EXPECT_EQ(Application->HintPause(), 100);
}

TEST_F(RadicalFormTest, HostedUnlessTheModuleIsAnExecutable) {
    MakeForm();
    for (const char* name : {"KVRX58C.EXE", "kvrx58c.exe", "KVRX58C.Exe"}) {
        Form->SetModuleFileName(name);
        EXPECT_FALSE(Form->IsHosted()) << name;
    }
    for (const char* name : {"KVRX58C.dll", "KVRX58C.so", "KVRX58C.exe.so"}) {
        Form->SetModuleFileName(name);
        EXPECT_TRUE(Form->IsHosted()) << name;
    }
    // Without a module file: the executable's path decides (this one is linked into the test).
    Form->SetModuleFileName("");
    EXPECT_TRUE(Form->IsHosted()); // ".../VORLAN/..."
    Application->SetExeName("/usr/local/bin/kvrtest");
    EXPECT_FALSE(Form->IsHosted());
    EXPECT_EQ(Form->ModuleFileName, "kvrtest");
}

class StartUpTest : public FormFixture {
protected:
    // The host's catalogue row and system settings, and a server answering Connect with answer.
    void Prepare(int answer, const AnsiString& powerData) {
        Validator->On("CheckValue", [](TDispArgs args) {
            *args[4].Value = VarArrayOf({"信用证开证作业", "KVRX71 ", "", "", "", "", "", "N", "W", "LC"});
            return Variant(true);
        });
        Variant info = VarArrayCreate({0, 1, 0, 2}, varVariant);
        const char* settings[][2] = {{"SYS001", "4"}, {"SYS002", "/"}, {"QVN002", "演示账套"}};
        for (int i = 0; i < 3; ++i) {
            info.PutElement({0, i}, settings[i][0]);
            info.PutElement({1, i}, settings[i][1]);
        }
        Counter->OnValue("GetSysInfo", info);
        Server = std::make_unique<TAppServerDouble>(
            answer, "USER_GROUP=IMP\r\nGROUP_LIST='IMP','FIN'\r\nPOWER_DATA=" + powerData +
                        "\r\nEX_POWER=btnAdd=N\r\n");
        Server->Server->OnValue("WhatIs", 1);
        Server->ServeInProcess();
        MakeForm();
    }
    std::unique_ptr<TAppServerDouble> Server;
};

TEST_F(StartUpTest, InitializeFormTakesTheStartValuesConnectsAndBuildsTheRights) {
    Prepare(0, ",Y,N,YYYYYYYYYYYY,YYYYYYY,YYYYYYY");
    EXPECT_TRUE(Form->InitializeForm(VarArrayOf({"DEMO", "C1", "DB1", 77, "P"})));
    EXPECT_EQ(Form->Broker->UserID, "DEMO");
    EXPECT_EQ(Form->Broker->CompanyID, "C1");
    EXPECT_EQ(Form->Database, "DB1");
    EXPECT_EQ(Form->Broker->ProgramID, "KVRX58");
    EXPECT_EQ(Form->HostWindow, 77);
    EXPECT_EQ(Form->OpenParam.AsString(), "P");
    EXPECT_FALSE(Form->Visible());
    EXPECT_EQ(Form->Caption(), "信用证开证作业[演示账套]");
    EXPECT_EQ(Form->PrintProgram, "KVRX71");
    EXPECT_EQ(Form->DateKind, 4);
    EXPECT_EQ(Form->DataModule->DateKind, 4);
    EXPECT_EQ(Form->SQLType, 1);
    EXPECT_EQ(Form->Broker->Group, "IMP");
    EXPECT_EQ(Form->GroupList, "'IMP','FIN'");
    EXPECT_EQ(Form->ExPower, "btnAdd=N");
    EXPECT_TRUE(Form->Rights.Contains(36));
    EXPECT_FALSE(Form->Rights.Contains(31));
    EXPECT_TRUE(TakeDialogs().empty());
    EXPECT_EQ(Form->ClientIniName.empty(), false);
    // The server was asked with the start values.
    const Variant params = Server->Server->Calls.at(0).Args.at(0);
    EXPECT_EQ(params.GetElement({2}).AsString(), "C1");
    EXPECT_EQ(params.GetElement({3}).AsString(), "DB1");
    EXPECT_THROW(Form->InitializeForm(VarArrayOf({"DEMO"})), Exception); // no company
}

TEST_F(StartUpTest, AUserTheServerRefusesHasNoRightsOfTheProgram) {
    Prepare(1, ",Y,Y,YYYYYYYYYYYY,YYYYYYY,YYYYYYY");
    EXPECT_TRUE(Form->InitializeForm(VarArrayOf({"NOBODY", "DEMO", "DEMO", 0, ""})));
    EXPECT_EQ(Form->Rights, NoProgramRights());
    EXPECT_EQ(TakeDialogs().at(0).Text, "E000004: ");
    EXPECT_EQ(Form->GroupList, "");
}

TEST_F(StartUpTest, AFailedConnectionLeavesNoRightsEither) {
    Prepare(0, ",Y,Y,YYYYYYYYYYYY,YYYYYYY,YYYYYYY");
    WriteFile("C:\\Veltrane\\VeltraneC.ini", "[Server Information]\r\nComputerName=\r\n");
    EXPECT_THROW(Form->InitializeForm(VarArrayOf({"DEMO", "DEMO", "DEMO", 0, ""})), Exception);
    EXPECT_EQ(Form->Rights, NoProgramRights());
}

TEST_F(StartUpTest, FewerThanFiveParametersAreReportedAndCloseTheForm) {
    Prepare(0, ",Y,N,YYYYYYYYYYYY,YYYYYYY,YYYYYYY");
    struct TCloseSpy : TObject {
        int Closes = 0;
        void Closed(TObject*, TCloseAction&) { ++Closes; }
    } spy;
    Form->SetOnClose(TCloseEvent(&spy, &TCloseSpy::Closed));
    EXPECT_TRUE(Form->InitializeForm(VarArrayOf({"DEMO", "DEMO", "DEMO", 0})));
    EXPECT_EQ(TakeDialogs().at(0).Text, "E000038: ");
    Application->ProcessMessages();
    EXPECT_EQ(spy.Closes, 1);
}

TEST_F(RadicalFormTest, RightsFromPowerData) {
    MakeForm();
    const struct {
        const char* PowerData;
        TRights Expected;
        bool Refused; // E 000004
    } cases[] = {
        {",Y,n,xYYYYYRR,,,", RightsRange(0, 14) | TRights{30, 37} | RightsRange(38, 42) | TRights{34, 35},
         false},
        {",y,Y,NNNNNNYYYYYY,YNNNNNY,NNNNNNY",
         RightsRange(0, 14) | TRights{30, 31, 37, 32, 33, 36, 43, 44, 45, 46, 52, 59}, false},
        {",Y", RightsRange(0, 14) | TRights{30, 37}, false}, // a short list reads nothing beyond itself
        {"", NoProgramRights(), true},
    };
    for (const auto& c : cases) {
        Form->SetUserRights(c.PowerData, "'IMP'", "x=Y");
        EXPECT_EQ(Form->Rights.Bits(), c.Expected.Bits()) << c.PowerData;
        EXPECT_EQ(Form->GroupList, "'IMP'");
        EXPECT_EQ(TakeDialogs().size(), c.Refused ? 1u : 0u) << c.PowerData;
    }
}

TEST_F(RadicalFormTest, HelpTopicsByProgram) {
    MakeForm();
    Variant topic;
    HostObject->On("CallHelp", [&topic](TDispArgs args) {
        topic = *args[0].Value;
        return Variant();
    });
    const struct {
        const char* Program;
        const char* Context; // '' for no help
    } cases[] = {{"KVRI02", "11020000"}, {"KVRQ02", "14020000"}, {"KVRA58", "64580000"},
                 {"KVRM07", "84070000"}, {"KVRX58", ""},         {"KVR", ""}};
    for (const auto& c : cases) {
        topic = Variant();
        Form->Broker->ProgramID = c.Program;
        Form->ShowHelp();
        if (!*c.Context) {
            EXPECT_TRUE(VarIsEmpty(topic)) << c.Program;
            continue;
        }
        EXPECT_EQ(topic.GetElement({0}).AsString(), "KVR") << c.Program;
        EXPECT_EQ(topic.GetElement({1}).AsString(), c.Context) << c.Program;
    }
}

TEST_F(RadicalFormTest, TheHelpContextOfAFieldOfTheMainDataSet) {
    MakeForm();
    auto* data = new TClientDataSet(Form->DataModule);
    data->SetName("cdsMain");
    data->FieldDefs()->Add("TA001", ftString, 4);
    data->FieldDefs()->Add("NAME", ftString, 4);
    data->CreateDataSet();
    auto* source = new TDataSource(Form->DataModule);
    source->SetDataSet(data);
    auto* edit = new TDBEdit(Form);
    edit->SetParent(Form);
    edit->SetDataSource(source);
    edit->SetDataField("TA001");
    Form->Show();
    Form->FocusControl(edit);
    AnsiString context;
    Form->GetHelpContext("1102", context);
    EXPECT_EQ(context, "11021001");
    edit->SetDataField("NAME"); // no digit in third place
    Form->GetHelpContext("1102", context);
    EXPECT_EQ(context, "11020000");
}

TEST_F(RadicalFormTest, TheLookupKeysAndMessagesReachTheOperations) {
    MakeForm();
    auto* edit = new TEdit(Form);
    edit->SetParent(Form);
    Form->Show();
    Form->FocusControl(edit);
    UserKey(Form, "F2");
    EXPECT_EQ(Form->F2Count, 1);
    SendMessage(Form->Handle(), WM_KEYF2, 0, reinterpret_cast<LPARAM>(edit));
    EXPECT_EQ(Form->F2Count, 2);

    AnsiString shown;
    TShellExecuteHandler previous = SetShellExecuteHandler([&shown](const TShellExecuteInfo& info) {
        shown = info.Verb + " " + info.File;
        return true;
    });
    UserKey(Form, "Ctrl+Alt+V");
    SetShellExecuteHandler(previous);
    EXPECT_EQ(shown, "properties /opt/VORLAN/KVRX58C.so");
}

class LookupTest : public FormFixture {
protected:
    void SetUp() override {
        FormFixture::SetUp();
        MakeForm();
        Data = new TClientDataSet(Form->DataModule);
        Data->SetName("cdsMain");
        Data->FieldDefs()->Add("TA005", ftString, 10);
        Data->FieldDefs()->Add("TA005C", ftString, 20);
        Data->FieldDefs()->Add("TA008", ftString, 8);
        Data->CreateDataSet();
        Data->Append();
    }
    TClientDataSet* Data = nullptr;
};

TEST_F(LookupTest, SeveralRowsAppendOneRecordEach) {
    Lookup->OnValue("F2GetData",
                    VarArrayOf({VarArrayOf({"S0001", "海森机械"}), VarArrayOf({"S0002", "奥兰电子"})}));
    Form->OpenLookupFor(Data->FieldByName("TA005"), "TA005,NONE,TA005C", true, false, Variant(), "01",
                        "BYVMA");
    // The first row fills the record, the second a record of its own: no empty record after the last.
    EXPECT_EQ(Data->State(), dsInsert);
    EXPECT_EQ(Data->FieldByName("TA005")->AsString(), "S0002");
    Data->Post();
    EXPECT_EQ(Data->RecordCount(), 2);
    Data->First();
    EXPECT_EQ(Data->FieldByName("TA005")->AsString(), "S0001");
    EXPECT_EQ(Data->FieldByName("TA005C")->AsString(), ""); // the third target takes the third value
    Data->Next();
    EXPECT_EQ(Data->FieldByName("TA005")->AsString(), "S0002");

    // One row fills the record in place; none changes nothing.
    Data->Last();
    Data->Edit();
    Lookup->OnValue("F2GetData", VarArrayOf({VarArrayOf({"S0003", "x", "昆仑"})}));
    Form->OpenLookupFor(Data->FieldByName("TA005"), "TA005,NONE,TA005C", true, false, Variant(), "01",
                        "BYVMA");
    EXPECT_EQ(Data->RecordCount(), 2);
    EXPECT_EQ(Data->FieldByName("TA005C")->AsString(), "昆仑");
    Lookup->OnValue("F2GetData", Variant());
    Form->OpenLookup(Data->FieldByName("TA005"), "BYVMA", Variant(), "01");
    EXPECT_EQ(Data->FieldByName("TA005")->AsString(), "S0003");
}

TEST_F(LookupTest, DatePickAndPhrasePick) {
    Variant asked;
    Lookup->On("ShowInputDay", [&asked](TDispArgs args) {
        asked = *args[0].Value;
        return Variant("20261215");
    });
    Data->FieldByName("TA008")->SetAsString("20240315");
    Form->DateKind = 4;
    Form->PickDate(Data->FieldByName("TA008"));
    EXPECT_TRUE(asked.GetElement({0}).AsBoolean()); // ROC years for kinds 4 and 5
    EXPECT_EQ(asked.GetElement({1}).AsString(), "20240315");
    EXPECT_EQ(Data->FieldByName("TA008")->AsString(), "20261215");
    Data->FieldByName("TA008")->SetAsString("nonsense");
    Form->DateKind = 1;
    Lookup->OnValue("ShowInputDay", "");
    Form->PickDate(Data->FieldByName("TA008"));
    EXPECT_EQ(Data->FieldByName("TA008")->AsString(), "nonsense"); // nothing chosen
    Lookup->On("ShowInputDay", [&asked](TDispArgs args) {
        asked = *args[0].Value;
        return Variant("");
    });
    Form->PickDate(Data->FieldByName("TA008"));
    EXPECT_FALSE(asked.GetElement({0}).AsBoolean());
    EXPECT_EQ(asked.GetElement({1}).AsString(), FormatDateTime("yyyymmdd", Date())); // no date: today

    Lookup->On("GetPhrase2", [](TDispArgs args) {
        *args[3].Value = "海运";
        return Variant(0);
    });
    Form->PickPhrase(Data->FieldByName("TA005C"));
    EXPECT_EQ(Data->FieldByName("TA005C")->AsString(), "海运");
    Lookup->OnValue("GetPhrase2", -1);
    Form->PickPhrase(Data->FieldByName("TA005C"));
    EXPECT_EQ(Data->FieldByName("TA005C")->AsString(), "海运");
}

TEST_F(LookupTest, TheHostRecordsAndReplaysTheLookup) {
    Form->LookupField = Data->FieldByName("TA005");
    Form->Rights = TRights{34};
    Form->DateKind = 2;
    Form->DateSeparator = "-";
    Form->SetCaption("KV");
    TInteraParam param;
    Form->GetBaseClassParam(nullptr, &param);
    EXPECT_EQ(Lookup->CallCount("F2GetData"), 0); // recorded, not opened
    EXPECT_EQ(param.Table(), "BYVMA");
    EXPECT_EQ(param.QueryNo(), "01");
    EXPECT_EQ(param.DateKind, 2);
    EXPECT_EQ(param.DateSeparator, "-");
    EXPECT_TRUE(param.FieldRightsA);
    EXPECT_FALSE(param.FieldRightsB);
    EXPECT_EQ(param.FormCaption, "KV");
    EXPECT_EQ(param.UICodePage, "936");
    Variant text("汉字");
    param.UiTextCallback(text);
    EXPECT_EQ(text.AsString(), "汉字");
    EXPECT_EQ(Form->LookupMode, lmNormal);

    Form->SetReturn(nullptr, VarArrayOf({VarArrayOf({"S0002"})}));
    EXPECT_EQ(Data->FieldByName("TA005")->AsString(), "S0002");
    EXPECT_EQ(Lookup->CallCount("F2GetData"), 0);
    EXPECT_EQ(Form->LookupMode, lmNormal);
}

class StandAloneTest : public FormFixture {
protected:
    void SetUp() override {
        FormFixture::SetUp();
        Application->SetExeName("/usr/local/bin/kvrx58test");
        HostObject->OnValue("Connect", 0);
        FHost = RegisterOleObjectFactory("VorlanWorkCenter.Manager", [this] { return Host; });
    }
    void TearDown() override {
        RevokeOleObjectFactory(FHost);
        FormFixture::TearDown();
    }
    int FHost = 0;
};

TEST_F(StandAloneTest, AStandAloneFormStartsItselfWithTheHostObject) {
    TAppServerDouble server(0, "POWER_DATA=,Y,N,NNNNNNNNNNNN,NNNNNNN,NNNNNNN\r\n");
    server.ServeInProcess();
    Form = new TfrmRootTest(nullptr);
    EXPECT_FALSE(Form->StartFailed);
    EXPECT_EQ(Form->ModuleFileName, "kvrx58test");
    EXPECT_EQ(HostObject->CallCount("Connect"), 1);
    EXPECT_TRUE(VarSameValue(Form->Broker->HostApp, Host));
    EXPECT_EQ(Form->Broker->UserID, "QV");
    EXPECT_EQ(Form->Broker->CompanyID, "PRTest65");
    EXPECT_EQ(VarArrayDimCount(Form->OpenParam), 2);
    EXPECT_TRUE(Form->Rights.Contains(37));
}

TEST_F(StandAloneTest, AFailedStandAloneStartIsShownAndClosesTheForm) {
    WriteFile("C:\\Veltrane\\VeltraneC.ini", "[Server Information]\r\nComputerName=\r\n"); // no server
    Form = new TfrmRootTest(nullptr);
    EXPECT_TRUE(Form->StartFailed);
    const std::vector<TDialogRecord> shown = TakeDialogs();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].Caption, "Error!!");
    EXPECT_EQ(shown[0].Kind, "Error");
    Form->Show();
    EXPECT_TRUE(Form->Visible());
    TBitmap picture;
    picture.SetSize(Form->Width(), Form->Height());
    Form->PaintTo(&picture, 0, 0);
    Application->ProcessMessages();
    EXPECT_FALSE(Form->Visible()); // closed on its first paint
}

// The controller unit stores the controller class (the program's form class is set by its library's
// main block, which the host tests load).
TEST(ClassVariables, UnsetOnesRaiseTheInternalErrors) {
    DLLMTCtrllerUnit.Initialization();
    ASSERT_EQ(DLLControllerClass, TDLLMTCtrller::StaticClass());

    const TClass controllerClass = DLLControllerClass;
    DLLControllerClass = nullptr;
    try {
        GetController();
        ADD_FAILURE() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "QVN DLL Internal Error :\rNot Assign \"DLLControllerClass\" varible");
    }
    DLLControllerClass = controllerClass;

    const TClass formClass = frmRadicalClass;
    frmRadicalClass = nullptr;
    TDLLBaseController* controller = GetController();
    try {
        controller->Open(VarArrayOf({"DEMO", "DEMO", "DEMO", 0, ""}));
        ADD_FAILURE() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "QVN DLL Internal Error :\rNot Assign \"frmRadicalClass\" varible");
    }
    EXPECT_TRUE(controller->IsFree());
    frmRadicalClass = formClass;
    controller->Free();
}

} // namespace
