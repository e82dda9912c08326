// The header-plus-body form's confirmation over a document in memory: the request it hands the
// transaction manager (a double, by name), the confirm date from the setting or the dialog, the void
// and un-void with their FLAG step, and what a refusal of the manager shows.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <deque>
#include <filesystem>

#include "classlib/rtl/datetime.h"
#include "classlib/objects/streams.h"
#include "classlib/rtl/files.h"
#include "framework/Brokers.h"
#include "framework/DoubleCF.h"
#include "tests/framework/FormFixture.h"

class TdmConfirmTest : public TdmDouble {
    KVR_CLASS(TdmConfirmTest, TdmDouble)
public:
    explicit TdmConfirmTest(TComponent* owner, bool load = true) : TdmDouble(owner, false) {
        if (load) InitInheritedComponent(this);
    }
    // The save keeps the change log as the server would have taken it.
    bool SaveDataSet(TCustomClientDataSet* dataSet) override {
        ++Saves;
        if (!SaveAnswer) return false;
        dataSet->MergeChangeLog();
        return true;
    }
    int Saves = 0;
    bool SaveAnswer = true;
    TDataSetField* cdsMainqryBody = nullptr;
};

KVR_PUBLISHED(TdmConfirmTest, c) {
    c.Field("cdsMainqryBody", &TdmConfirmTest::cdsMainqryBody);
}

KVR_FORM_RESOURCE(TdmConfirmTest, R"(inherited dmConfirmTest: TdmConfirmTest
  inherited cdsMain: TwwClientDataSet
    object cdsMainTA001: TStringField
      FieldName = 'TA001'
      Size = 4
    end
    object cdsMainTA002: TStringField
      FieldName = 'TA002'
      Size = 11
    end
    object cdsMainTA038: TStringField
      FieldName = 'TA038'
      Size = 1
    end
    object cdsMainTA042: TStringField
      FieldName = 'TA042'
      Size = 8
    end
    object cdsMainTA044: TStringField
      FieldName = 'TA044'
      Size = 1
    end
    object cdsMainFLAG: TFloatField
      FieldName = 'FLAG'
    end
    object cdsMainqryBody: TDataSetField
      FieldName = 'qryBody'
    end
  end
  inherited cdsBody1: TwwClientDataSet
    DataSetField = cdsMainqryBody
    object cdsBody1TB001: TStringField
      FieldName = 'TB001'
      Size = 4
    end
    object cdsBody1TB002: TStringField
      FieldName = 'TB002'
      Size = 11
    end
    object cdsBody1TB003: TStringField
      FieldName = 'TB003'
      Size = 4
    end
    object cdsBody1TB009: TStringField
      FieldName = 'TB009'
      Size = 1
    end
    object cdsBody1FLAG: TFloatField
      FieldName = 'FLAG'
    end
  end
end
)");

class TfrmConfirmTest : public TfrmDouble {
    KVR_CLASS(TfrmConfirmTest, TfrmDouble)
public:
    explicit TfrmConfirmTest(TComponent* owner, bool load = true) : TfrmDouble(owner, false) {
        if (load) InitInheritedComponent(this);
    }
    TClass DataModuleClass() override { return TdmConfirmTest::StaticClass(); }
    void FormCreate(TObject* sender) {
        CreateDataModule();
        TfrmDouble::FormCreate(sender);
    }
    void ApplyQBECondition() override { ++Requeries; }
    std::unique_ptr<TConfirmDateDialog> MakeConfirmDateDialog() override;
    // A re-query by key is recorded, not run: these documents live in memory.
    void SetQueryCondition(TCustomClientDataSet*, const AnsiString& where, const AnsiString&) override {
        KeyQueries.push_back(where);
    }
    bool AddRecord(bool) override {
        ++Adds;
        SetEditState(esInsert);
        return true;
    }
    // The sign-off settings answer from SettingsAnswer (Unassigned: cancelled); the flow window records.
    bool RunSignOffSettings(Variant& result) override {
        ++SettingsAsked;
        result = SettingsAnswer;
        return !VarIsEmpty(SettingsAnswer);
    }
    void ShowSignOffSteps(const Variant& rows) override { ShownSteps.push_back(rows); }
    // The export's progress window keeps what it was told.
    std::unique_ptr<TExportStatus> MakeExportStatusDialog() override {
        struct TRecorded : TExportStatus {
            std::vector<AnsiString>* Log;
            void ShowStatus(const AnsiString& caption, int min, int max) override {
                Log->push_back("show " + caption + " " + IntToStr(min) + ".." + IntToStr(max));
            }
            void StepIt() override { Log->push_back("step"); }
            void CloseStatus() override { Log->push_back("close"); }
        };
        auto status = std::make_unique<TRecorded>();
        status->Log = &StatusLog;
        return status;
    }
    std::vector<AnsiString> StatusLog;
    int Requeries = 0;
    int Adds = 0;
    std::vector<AnsiString> KeyQueries;
    int SettingsAsked = 0;
    Variant SettingsAnswer;
    std::vector<Variant> ShownSteps;
};

KVR_PUBLISHED(TfrmConfirmTest, c) {
    c.Method("FormCreate", &TfrmConfirmTest::FormCreate);
}

KVR_FORM_RESOURCE(TfrmConfirmTest, R"(inherited frmConfirmTest: TfrmConfirmTest
end
)");

namespace {

// The confirm-date dialog of these tests: answers from a queue ('' cancels) and records how it was
// prepared.
class TScriptedConfirmDate : public TConfirmDateDialog {
public:
    static inline std::deque<AnsiString> Answers;
    static inline std::vector<AnsiString> Prepared;
    void Prepare(const AnsiString& kind, const AnsiString& dateText, const AnsiString& caption) override {
        Prepared.push_back(kind + "|" + dateText + "|" + caption);
    }
    bool Execute(AnsiString& date) override {
        const AnsiString answer = Answers.empty() ? AnsiString() : Answers.front();
        if (!Answers.empty()) Answers.pop_front();
        date = answer;
        return !answer.empty();
    }
};

} // namespace

std::unique_ptr<TConfirmDateDialog> TfrmConfirmTest::MakeConfirmDateDialog() {
    return std::make_unique<TScriptedConfirmDate>();
}

namespace {

class DoubleConfirmTest : public FormFixture {
protected:
    void SetUp() override {
        FormFixture::SetUp();
        TScriptedConfirmDate::Answers.clear();
        TScriptedConfirmDate::Prepared.clear();
        ManagerObject = NewDispatchDouble(Manager);
        Manager->OnValue("DoIt2", true);
        Manager->OnValue("ReturnSeq", AnsiString("SEQ-1"));
        Manager->OnValue("ErrorCode", AnsiString());
        Manager->OnValue("ResultDesc", Variant());
        Manager->OnValue("ErrorDescript", AnsiString());
        Manager->OnValue("CloseCOM", Variant());
        FManager = RegisterOleObjectFactory("TransManagerC.Class1", [this] { return ManagerObject; });

        Double = new TfrmConfirmTest(nullptr);
        Double->SetModuleFileName("/opt/VORLAN/FWDBL01C.so");
        Double->Broker->HostApp = Host;
        Double->Broker->UserID = "DEMO";
        Double->Broker->CompanyID = "DEMO";
        Double->Broker->ProgramID = "FWDBL01";
        Double->Broker->SetSysSetting("SYS025", "1");
        Double->CanConfirm = Double->CanUnconfirm = Double->CanVoid = true;
        TdmDouble* module = Double->DoubleModule();
        module->cdsMain->SetRemoteServer(nullptr);
        module->SetKeyFields("TA001,TA002");
        module->SetBodyKeyFields("TB001,TB002,TB003 line");
        TFieldDefs* defs = module->cdsMain->FieldDefs();
        defs->Clear();
        defs->Add("TA001", ftString, 4);
        defs->Add("TA002", ftString, 11);
        defs->Add("TA038", ftString, 1);
        defs->Add("TA042", ftString, 8);
        defs->Add("TA044", ftString, 1);
        defs->Add("FLAG", ftFloat);
        TFieldDef* lines = defs->AddFieldDef();
        lines->SetName("qryBody");
        lines->SetDataType(ftDataSet);
        TFieldDefs* child = lines->ChildDefs();
        child->Add("TB001", ftString, 4);
        child->Add("TB002", ftString, 11);
        child->Add("TB003", ftString, 4);
        child->Add("TB009", ftString, 1);
        child->Add("FLAG", ftFloat);
        module->cdsMain->CreateDataSet();
        if (!module->cdsBody1->Active()) module->cdsBody1->Open();
        Main()->Append();
        Main()->FieldByName("TA001")->SetAsString("5101");
        Main()->FieldByName("TA002")->SetAsString("20261201001");
        Main()->FieldByName("TA038")->SetAsString("N");
        Main()->FieldByName("TA042")->SetAsString("20261130");
        Main()->FieldByName("FLAG")->SetAsFloat(4);
        for (const char* line : {"0001", "0002"}) {
            Body()->Append();
            Body()->FieldByName("TB001")->SetAsString("5101");
            Body()->FieldByName("TB002")->SetAsString("20261201001");
            Body()->FieldByName("TB003")->SetAsString(line);
            Body()->FieldByName("TB009")->SetAsString("N");
            Body()->FieldByName("FLAG")->SetAsFloat(1);
            Body()->Post();
        }
        Main()->Post();
        Main()->MergeChangeLog();
        Double->SetConfirmField("TA038");
        Double->SetBodyConfirmField("TB009");
        Double->SetConfirmDateField("TA042");
    }
    void TearDown() override {
        delete Double;
        Double = nullptr;
        RevokeOleObjectFactory(FManager);
        Manager->Calls.clear();
        ManagerObject = Variant();
        FormFixture::TearDown();
    }
    TClientDataSet* Main() const { return Double->DoubleModule()->cdsMain; }
    TClientDataSet* Body() const { return Double->DoubleModule()->cdsBody1; }
    int ManagerCalls(const char* member) const {
        int count = 0;
        for (const auto& call : Manager->Calls)
            if (call.Member == member) ++count;
        return count;
    }
    // The request of the last DoIt2 as texts, the parameter array flattened into it in brackets.
    std::vector<AnsiString> LastRequest() const {
        std::vector<AnsiString> texts;
        for (auto call = Manager->Calls.rbegin(); call != Manager->Calls.rend(); ++call) {
            if (call->Member != "DoIt2") continue;
            const Variant& request = call->Args.at(0);
            for (int i = 0; i <= VarArrayHighBound(request, 1); ++i) {
                const Variant item = request.GetElement({i});
                if (!VarIsArray(item)) {
                    texts.push_back(VarIsEmpty(item) ? AnsiString("<none>") : VarToStr(item));
                    continue;
                }
                AnsiString inner = "[";
                for (int j = 0; j <= VarArrayHighBound(item, 1); ++j) {
                    const Variant value = item.GetElement({j});
                    inner += (j ? "," : "") + (VarIsEmpty(value) ? AnsiString("<none>") : VarToStr(value));
                }
                texts.push_back(inner + "]");
            }
            break;
        }
        return texts;
    }

    TfrmConfirmTest* Double = nullptr;
    Variant ManagerObject;
    TDispatchDouble* Manager = nullptr;

private:
    int FManager = 0;
};

TEST_F(DoubleConfirmTest, TheRequestCarriesTheKeysTheFlagAndTheDate) {
    const AnsiString today = FormatDateTime("yyyymmdd", Date());
    ASSERT_TRUE(Double->ConfirmDocument(3, false));
    EXPECT_EQ(LastRequest(), (std::vector<AnsiString>{"TXNFWDBL01", "DEMO", "S", "DEMO", "",
                                                      "[,N,DO,5101,20261201001,4,," + today + ",FWDBL01]",
                                                      "936", "936", "False", "<none>"}));
    const Variant pair =
        Manager->Calls.back().Member == "CloseCOM" ? Manager->Calls[0].Args.at(1) : Variant();
    EXPECT_EQ(VarToStr(pair.GetElement({0})), "TransManager.TxnManager");
    EXPECT_EQ(VarToStr(pair.GetElement({1})), "FWDBL01");
    EXPECT_EQ(ManagerCalls("CloseCOM"), 1);
    EXPECT_EQ(Double->Requeries, 1);
    // The sequence text of the confirmation is shown.
    const std::vector<TDialogRecord> dialogs = TakeDialogs();
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].Text, "SEQ-1");

    // Unconfirm sends no date; a setting other than "1" takes the document's date.
    ASSERT_TRUE(Double->ConfirmDocument(2, false));
    EXPECT_EQ(LastRequest().at(5), "[,N,UNDO,5101,20261201001,4,,<none>,FWDBL01]");
    EXPECT_TRUE(TakeDialogs().empty());
    Double->Broker->SetSysSetting("SYS025", "2");
    Double->ConfirmDocument(3, false);
    EXPECT_EQ(LastRequest().at(5), "[,N,DO,5101,20261201001,4,,20261130,FWDBL01]");
    // The catalogue's transaction server and program take the defaults' place.
    Double->Broker->TxnServer = " Other.Server ";
    Double->Broker->TxnProgram = "OTHER";
    Double->ConfirmDocument(3, false);
    EXPECT_EQ(LastRequest().at(0), "TXNOTHER");
}

TEST_F(DoubleConfirmTest, NoDateNoTransaction) {
    // Asked: a cancelled dialog ends silently; a chosen date goes into the request.
    TScriptedConfirmDate::Answers = {"", "20261203", "20260230"};
    Double->ConfirmDocument(3, true);
    EXPECT_EQ(ManagerCalls("DoIt2"), 0);
    EXPECT_TRUE(TakeDialogs().empty());
    Double->ConfirmDocument(3, true);
    EXPECT_EQ(LastRequest().at(5), "[,N,DO,5101,20261201001,4,,20261203,FWDBL01]");
    EXPECT_EQ(TScriptedConfirmDate::Prepared.front(), "1|20261130|TA042");
    TakeDialogs();
    // A date of no calendar is none.
    Double->ConfirmDocument(3, true);
    EXPECT_EQ(ManagerCalls("DoIt2"), 1);
    // Not asked, and the document has no date to take: the manager is not called.
    Double->Broker->SetSysSetting("SYS025", "2");
    Main()->Edit();
    Main()->FieldByName("TA042")->SetAsString("");
    Main()->Post();
    Double->ConfirmDocument(3, false);
    EXPECT_EQ(ManagerCalls("DoIt2"), 1);
    const std::vector<TDialogRecord> dialogs = TakeDialogs();
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].Text, "There is no ConfirmDate !");
}

TEST_F(DoubleConfirmTest, ARefusalIsShownAsTheManagersMessage) {
    Manager->OnValue("DoIt2", false);
    Manager->OnValue("ErrorCode", AnsiString("7"));
    Manager->OnValue("ErrorDescript", AnsiString("plain"));
    // Structured, of kind "E": the framework message, then the silent abort.
    Manager->OnValue("ResultDesc", VarArrayOf({Variant(AnsiString("E")), Variant(AnsiString("000032")),
                                               VarArrayOf({Variant(AnsiString("no"))})}));
    EXPECT_THROW(Double->ConfirmDocument(3, false), EAbort);
    std::vector<TDialogRecord> dialogs = TakeDialogs();
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(Trim(dialogs[0].Text), "E000032:no");
    EXPECT_EQ(Double->Requeries, 1);
    // Without the structure: the error description in a plain box.
    Manager->OnValue("ResultDesc", Variant());
    EXPECT_TRUE(Double->ConfirmDocument(2, false));
    dialogs = TakeDialogs();
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].Text, "plain");
    EXPECT_EQ(Main()->FieldByName("TA038")->AsString(), "N");
}

// A new document confirmed right after its save, the confirmation refused ("E": the silent abort): the
// save stands, and the form still leaves the edit as it would after an accepted confirmation, then the
// abort goes on to the caller.
TEST_F(DoubleConfirmTest, ARefusedConfirmAfterSaveStillEndsTheSave) {
    TDispatchDouble* server = nullptr;
    const Variant serverObject = NewDispatchDouble(server);
    server->OnValue("SetIsSeq", Variant());
    server->OnValue("WhatIs", AnsiString("20261201009"));
    auto* module = static_cast<TdmConfirmTest*>(Double->DoubleModule());
    module->AppServer = serverObject;
    Manager->OnValue("DoIt2", false);
    Manager->OnValue("ResultDesc", VarArrayOf({Variant(AnsiString("E")), Variant(AnsiString("000032")),
                                               VarArrayOf({Variant(AnsiString("no"))})}));
    const struct {
        const char* Name;
        bool CloseAfterSave, KeepOnAdd;
        Byte State;   // the edit state after the save
        int Adds;     // the next document started
        bool Closed;  // the form closed with the result of open mode 7
        bool Requery; // the document read again under the server's number
    } cases[] = {
        {"browse", false, false, esBrowse, 0, false, true},
        {"keep on add", false, true, esInsert, 1, false, true},
        {"open mode 7", true, false, esBrowse, 0, true, false},
    };
    int number = 2;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Double->CloseAfterSave = c.CloseAfterSave;
        Double->IsKeepOnAdd = c.KeepOnAdd;
        Double->OpenMode = c.CloseAfterSave ? 7 : 0;
        Double->ReturnCode = 0;
        Double->Adds = 0;
        Double->KeyQueries.clear();
        Double->AutoConfirmMode = 1;
        const AnsiString shown = "2026120100" + IntToStr(number++);
        Main()->Append();
        Main()->FieldByName("TA001")->SetAsString("5101");
        Main()->FieldByName("TA002")->SetAsString(shown);
        Main()->FieldByName("TA038")->SetAsString("N");
        Main()->FieldByName("FLAG")->SetAsFloat(1);
        module->SetAutoKey(true); // as the document type's check does: the server numbers it
        Double->SetEditState(esInsert);
        const int saves = module->Saves;
        EXPECT_THROW(Double->SaveRecord(), EAbort);
        TakeDialogs();
        EXPECT_EQ(module->Saves, saves + 1);
        EXPECT_FALSE(Double->LastSaveFailed);
        EXPECT_EQ(Double->EditState, c.State);
        EXPECT_EQ(Double->Adds, c.Adds);
        EXPECT_EQ(Double->ReturnCode, c.Closed ? 1 : 0);
        const bool requeried =
            std::any_of(Double->KeyQueries.begin(), Double->KeyQueries.end(), [](const AnsiString& where) {
                return where.find("20261201009") != AnsiString::npos;
            });
        EXPECT_EQ(requeried, c.Requery);
        if (Main()->State() != dsBrowse) Main()->Cancel();
    }
}

TEST_F(DoubleConfirmTest, VoidAndUnvoidStepTheFlagAndReachEveryLine) {
    const struct {
        double Flag;
        Byte Kind;
        const char* Code;
        double Stored;
    } cases[] = {{4, 1, "V", 5}, {999, 1, "V", 1}, {-1, 0, "N", 0}, {998, 0, "N", 999}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.Flag));
        Main()->Edit();
        Main()->FieldByName("FLAG")->SetAsFloat(c.Flag);
        Main()->Post();
        Main()->MergeChangeLog();
        ASSERT_TRUE(Double->ConfirmDocument(c.Kind, false));
        EXPECT_EQ(Main()->FieldByName("TA038")->AsString(), c.Code);
        EXPECT_EQ(Main()->FieldByName("FLAG")->AsFloat(), c.Stored);
        for (Body()->First(); !Body()->Eof(); Body()->Next())
            EXPECT_EQ(Body()->FieldByName("TB009")->AsString(), c.Code);
        EXPECT_EQ(Double->EditState, esBrowse);
    }
    EXPECT_EQ(ManagerCalls("DoIt2"), 0);
    // A save that fails leaves nothing of the void behind.
    Double->DoubleModule()->SaveDataSet(Main());
    static_cast<TdmConfirmTest*>(Double->DataModule)->SaveAnswer = false;
    EXPECT_FALSE(Double->ConfirmDocument(1, false));
    EXPECT_EQ(Main()->FieldByName("TA038")->AsString(), "N");
    EXPECT_EQ(Main()->ChangeCount(), 0);
}

// ---- sign-off ----

class SignOffTest : public DoubleConfirmTest {
protected:
    void SetUp() override {
        DoubleConfirmTest::SetUp();
        TBrokers* broker = Double->Broker;
        broker->Validator = VarGet(Host, "Com_Validator");
        broker->Counter = VarGet(Host, "Com_Counter");
        broker->SetSysSetting("SYS060", "Y");
        broker->ProgramAttr5 = "QZ";
        broker->ProgramAttr6 = "QZ";
        broker->SvrSettings->SetText(
            "M11_TABLE=FWDHD\r\nM11_KEY=TA001,TA002\r\nD11_TABLE=FWDLN\r\nD11_KEY=TB001");
        Double->CreateGifBeforeSendQZ = "N";
        Double->CanBatch = true;
        Double->SetSignOffStatusField("TA044");
        Double->btnSorvane->SetVisible(true);
        SetTypes({{"5101", "Y"}});
        SetHead("TA044", "0");
        Manager->OnValue("DoCheck", true);
        Validator->On("QueryData", [](TDispArgs args) {
            if (args[0].Value->AsString() != "WOQMQ") return Variant(false);
            *args[4].Value = VarArrayOf({VarArrayOf({"5101", "LC01", "Y", "TA002", "FWDHD", "DocNo"}),
                                         VarArrayOf({"5101", "LC01", "Y", "TB003", "FWDLN", "Line"}),
                                         VarArrayOf({"5101", "LC01", "Y", "TA099", "FWDHD", "Missing"})});
            return Variant(true);
        });
        Validator->On("CheckValue", [this](TDispArgs args) {
            Checks.push_back(args[0].Value->AsString() + " " + VarToStr(args[3].Value->GetElement({2})));
            return Variant(Queued);
        });
        Counter->On("GETCOUNTER", [this](TDispArgs args) {
            const AnsiString name = UpperCase(args[0].Value->AsString());
            if (name == "INSERTQZJOB") {
                Jobs.push_back(args[1].Value->GetElement({0}));
                return Variant(0);
            }
            if (name == "SIMPLESQL") {
                const AnsiString sql = VarToStr(args[1].Value->GetElement({0}));
                Sqls.push_back(sql);
                if (sql.find("QZJOBQUE") != AnsiString::npos) return VarArrayOf({VarArrayOf({1})});
            }
            return Variant();
        });
    }
    // Types and the confirm setting (row element 0) of each; the other settings "Y".
    void SetTypes(const std::vector<std::pair<const char*, const char*>>& types) {
        Double->SignOff->Types.Clear();
        Double->SignOff->TypeRows.Clear();
        for (const auto& [type, confirm] : types) {
            Double->SignOff->Types.Add(type);
            Double->SignOff->TypeRows.Add(AnsiString(confirm) + "\x03\x03\x03\x03\x03\x03Y\x03Y\x03Y");
        }
    }
    void SetHead(const char* field, const char* value) {
        Main()->Edit();
        Main()->FieldByName(field)->SetAsString(value);
        Main()->Post();
        Main()->MergeChangeLog();
    }
    // Element i of the last job that reached the queue, as text.
    AnsiString JobElement(int i) const { return VarToStr(Jobs.back().GetElement({4}).GetElement({i})); }
    bool Queued = false;
    std::vector<AnsiString> Checks, Sqls;
    std::vector<Variant> Jobs;
};

TEST_F(SignOffTest, TheTypeRowDecidesWhatGoesThroughSignOff) {
    struct Case {
        const char* Sys174;
        std::vector<std::pair<const char*, const char*>> Types;
        bool Confirm;
    } cases[] = {
        // Both switches on: "****" decides even beside the type's own row.
        {"Y", {{"****", "N"}, {"5101", "Y"}}, false},
        {"Y", {{"****", "Y"}, {"5101", "N"}}, true},
        // Otherwise the type's own row, and "****" only without one.
        {"N", {{"****", "N"}, {"5101", "Y"}}, true},
        {"N", {{"****", "Y"}, {"5101", "N"}}, false},
        {"N", {{"****", "C"}}, true},
        {"N", {{"5102", "Y"}}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(AnsiString(c.Sys174) + " " + c.Types[0].second);
        Double->Broker->SetSysSetting("SYS174", c.Sys174);
        SetTypes(c.Types);
        EXPECT_EQ(Double->SignOffRequired(3), c.Confirm);
    }
    // Without its button nothing goes through sign-off.
    Double->btnSorvane->SetVisible(false);
    EXPECT_FALSE(Double->SignOffRequired(3));
}

TEST_F(SignOffTest, TheStatusOpensAndClosesTheSendItems) {
    struct Case {
        const char* Status;
        const char* Code;
        bool Confirm, Unconfirm, View, Direct;
    } cases[] = {
        {"0", "N", true, false, true, false},  {"2", "N", true, false, true, false},
        {"3", "Y", false, true, true, false},  {"", "N", false, false, false, true},
        {"1", "N", false, false, true, false}, {"S", "N", false, false, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Status);
        SetHead("TA044", c.Status);
        SetHead("TA038", c.Code);
        EXPECT_EQ(Double->SignOffRequired(3), c.Confirm);
        EXPECT_EQ(Double->SignOffRequired(2), c.Unconfirm);
        Double->UpdateButtonStates();
        EXPECT_EQ(Double->miGoConfirm->Enabled(), c.Confirm);
        EXPECT_EQ(Double->miGoUnConfirm->Enabled(), c.Unconfirm);
        EXPECT_EQ(Double->miViewSorvane->Enabled(), c.View);
        // A confirmation that goes through sign-off is not run directly, nor while one is open.
        EXPECT_EQ(Double->btnConfirm->Enabled(), c.Direct);
        EXPECT_EQ(Double->miConfirm->Enabled(), c.Direct);
    }
    // A type without sign-off confirms directly.
    SetHead("TA044", "N");
    SetHead("TA038", "N");
    SetTypes({{"5101", "N"}});
    Double->UpdateButtonStates();
    EXPECT_TRUE(Double->btnConfirm->Enabled());
    EXPECT_FALSE(Double->miGoConfirm->Enabled());
}

TEST_F(SignOffTest, ASendQueuesTheJobAndMarksTheDocumentAsSent) {
    SetHead("TA002", "2026'12");
    TScriptedConfirmDate::Answers = {"20261203"};
    Double->SettingsAnswer = VarArrayOf({2, "LIUF"});
    Double->miGoConfirm->SetEnabled(true);
    Double->btnSorvaneClick(nullptr);
    ASSERT_EQ(Jobs.size(), 1u);
    // The key values joined by "||", quoted with their quotes doubled wherever SQL is built of them.
    EXPECT_EQ(VarToStr(Jobs[0].GetElement({2})), "5101||2026'12");
    EXPECT_EQ(JobElement(0), "DEMO");
    EXPECT_EQ(JobElement(3), "TA001 = '5101' and TA002 = '2026''12'");
    EXPECT_EQ(JobElement(4), "DocNo,C,2026'12;Line,C,0002;"); // the current line
    EXPECT_EQ(JobElement(5), "LC01");
    EXPECT_EQ(JobElement(6), "0");
    EXPECT_EQ(JobElement(8), "0"); // the status when sent
    EXPECT_EQ(JobElement(12), "2");
    EXPECT_EQ(JobElement(13), "LIUF");
    EXPECT_EQ(JobElement(15), "FWDHD;TA001,TA002||FWDLN;TB001");
    EXPECT_EQ(JobElement(16), "M;TA002,C,DocNo||D;TB003,C,Line||M;TA099");
    ASSERT_FALSE(Sqls.empty());
    EXPECT_NE(Sqls.back().find("QZ003='5101||2026''12'"), AnsiString::npos);
    EXPECT_EQ(Checks, std::vector<AnsiString>{"QZJOBQUE 5101||2026'12"});
    EXPECT_EQ(ManagerCalls("DoCheck"), 1);
    EXPECT_EQ(ManagerCalls("DoIt2"), 0);
    EXPECT_EQ(Main()->FieldByName("TA044")->AsString(), "S");
    EXPECT_EQ(static_cast<TdmConfirmTest*>(Double->DataModule)->Saves, 1);
    Double->UpdateButtonStates();
    EXPECT_FALSE(Double->btnEdit->Enabled());
    EXPECT_FALSE(Double->miGoConfirm->Enabled());

    // A job already waiting: E 200130 and nothing sent.
    SetHead("TA044", "0");
    TakeDialogs();
    Queued = true;
    Double->SendForSignOff(true, 3, true);
    EXPECT_EQ(Jobs.size(), 1u);
    const std::vector<TDialogRecord> dialogs = TakeDialogs();
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].Text.substr(0, 7), "E200130");
}

TEST_F(SignOffTest, ANumberKeyWhoseTextIsNoNumberNamesNoDocument) {
    TdmDouble* module = Double->DoubleModule();
    module->SetKeyFields("TA001,FLAG");
    module->AutoKey = true;
    module->AutoKeyField = "FLAG";
    Double->SetEditState(esInsert);
    struct Case {
        const char* ServerNumber;
        bool Named;
        const char* Text;
    } cases[] = {{"12", true, "5101||12"}, {"12' or '1'='1", false, ""}, {"", true, "5101||4"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ServerNumber);
        Double->ServerNumber = c.ServerNumber;
        AnsiString text;
        EXPECT_EQ(Double->SignOff->KeyText(text), c.Named);
        EXPECT_EQ(text, c.Text);
    }
    // Such a document is never asked after in the queue nor sent, and the user is told why.
    Double->ServerNumber = "12' or '1'='1";
    TakeDialogs();
    Double->SendForSignOff(true, 3, true);
    EXPECT_TRUE(Checks.empty());
    EXPECT_TRUE(Jobs.empty());
    const std::vector<TDialogRecord> dialogs = TakeDialogs();
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].Text.substr(0, 7), "E000032");
}

TEST_F(SignOffTest, ACancelledSettingsDialogSendsNothing) {
    TScriptedConfirmDate::Answers = {"20261203"};
    Double->SendForSignOff(true, 3, true);
    EXPECT_EQ(Double->SettingsAsked, 1);
    EXPECT_TRUE(Jobs.empty());
    EXPECT_EQ(Main()->FieldByName("TA044")->AsString(), "0");
}

TEST_F(SignOffTest, PicturesAreNamedByTheKeysAndCollectedInOrder) {
    Double->ClientDir = "C:\\Veltrane";
    std::vector<Variant> commands;
    HostObject->On("ExecWork", [&](TDispArgs args) {
        commands.push_back(*args[2].Value);
        const AnsiString base = VarToStr(args[2].Value->GetElement({2}).GetElement({2}));
        WriteFile(base + "_1.GIF", "one");
        WriteFile(base + "_2.GIF", "second");
        return Variant(0);
    });
    WriteFile("C:\\Veltrane\\c_temp\\DEMO\\5101-77_old.GIF", "stale");
    Variant files;
    Double->SignOff->CreateImages("DEMO", "DEMO", files, "F1", "5101||77", "FWDBL02");
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(VarToStr(commands[0].GetElement({2}).GetElement({2})), "C:\\Veltrane\\c_temp\\DEMO\\5101-77");
    EXPECT_EQ(VarToStr(commands[0].GetElement({2}).GetElement({0}).GetElement({1})), "77");
    EXPECT_EQ(VarToStr(files.GetElement({0})), "5101-77");
    TMemoryStream stream;
    AnsiString sizes;
    Double->SignOff->CollectImages(files, sizes, true, &stream);
    EXPECT_EQ(sizes, "3;6"); // the stale picture was deleted before the new ones were made
    EXPECT_EQ(stream.Size(), 9);
    EXPECT_FALSE(FileExists("C:\\Veltrane\\c_temp\\DEMO\\5101-77_1.GIF"));
}

TEST_F(SignOffTest, TheApprovalAnswerBecomesRows) {
    const AnsiString person =
        "<PersonInfo><RecTime>t1</RecTime><ApproveTime>t2</ApproveTime><ApproveRet>同意</ApproveRet>"
        "<RecPersonId>LIUF</RecPersonId><RecPersonName>刘芳</RecPersonName>"
        "<ApprovePersonId>LIUF</ApprovePersonId><ApprovePersonName>刘芳</ApprovePersonName>"
        "</PersonInfo>";
    const AnsiString ok =
        "<RetVal><RetInfo><ErrNum>0</ErrNum><ErrDis></ErrDis></RetInfo><ApproveInfo><PassNoInfoList>";
    Variant rows;
    EXPECT_TRUE(Double->SignOff->ParseApproveInfo(
        ok +
            "<PassNoInfo><PassNo>1</PassNo><BranchInfoList><BranchInfo><BranchNo>1</BranchNo><FlowRole>经办</"
            "FlowRole>" +
            person + person +
            "</BranchInfo></BranchInfoList></PassNoInfo></PassNoInfoList></ApproveInfo></RetVal>",
        rows));
    ASSERT_EQ(VarArrayHighBound(rows, 1), 2); // two people and the trailing element
    EXPECT_EQ(VarToStr(rows.GetElement({1}).GetElement({2})), "经办");
    EXPECT_EQ(VarToStr(rows.GetElement({1}).GetElement({6})), "LIUF");
    EXPECT_TRUE(VarIsEmpty(rows.GetElement({2})));
    EXPECT_TRUE(TakeDialogs().empty());
    // No step: no rows and no window.
    EXPECT_FALSE(Double->SignOff->ParseApproveInfo(ok + "</PassNoInfoList></ApproveInfo></RetVal>", rows));
    EXPECT_TRUE(VarIsEmpty(rows));
    // An error answer is said.
    EXPECT_FALSE(Double->SignOff->ParseApproveInfo(
        "<RetVal><RetInfo><ErrNum>1</ErrNum><ErrDis>无此表单</ErrDis></RetInfo></RetVal>", rows));
    const std::vector<TDialogRecord> dialogs = TakeDialogs();
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_NE(dialogs[0].Text.find("无此表单"), AnsiString::npos);
}

// The lines' export shows its progress over the documents and closes it; a line the server refused
// is shown in a box captioned as a failed save.
TEST_F(DoubleConfirmTest, TheLinesExportShowsItsProgressAndARefusedLineItsCaption) {
    const std::filesystem::path before = std::filesystem::current_path();
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("kvr-double-status-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    std::filesystem::current_path(folder);
    Application->ClearDialogs();
    EXPECT_TRUE(Double->DoubleModule()->ExportBodyToExcelPlain(Main(), Body(), Double));
    std::filesystem::current_path(before);
    std::filesystem::remove_all(folder);
    EXPECT_EQ(Double->StatusLog,
              (std::vector<AnsiString>{
                  "show " + Double->ViewLangText("TdmSingle", "sConvertStat", "查询结果转 Excel 文件进度") +
                      " 0..1",
                  "step", "close"}));

    Application->ClearDialogs();
    EReconcileError refused("duplicate line", 2627, 0, "KVRTB");
    TReconcileAction action = raAbort;
    Double->DoubleModule()->cdsBody1ReconcileError(Body(), &refused, ukInsert, action);
    ASSERT_NE(Application->LastDialog(), nullptr);
    EXPECT_EQ(Application->LastDialog()->Caption, Double->ViewToUI("保存错误"));
    EXPECT_EQ(Application->LastDialog()->Text, Double->ViewToUI("duplicate line"));
}

} // namespace
