// The single-table form's services: attachment keys and their clean-up, the drill-down link
// conditions, the colour filter with its menu and its dialog, user-defined-field labels and computed
// values, print formats with the workstation's default, and the data import of open mode 11.
#include <gtest/gtest.h>

#include <deque>
#include <map>

#include "classlib/automation/comserv.h"
#include "classlib/rtl/files.h"
#include "components/QvDBComboBox.h"
#include "components/QvDBEdit.h"
#include "dialogs/QvColorQBE.h"
#include "foundation/UserDefINI.h"
#include "framework/FieldLists.h"
#include "framework/SingleAttachments.h"
#include "framework/SingleColorFilter.h"
#include "framework/SingleCF.h"
#include "standins/outside/attach/attachc.h"
#include "tests/framework/FormFixture.h"

class TdmServicesTest : public TdmSingle {
    KVR_CLASS(TdmServicesTest, TdmSingle)
public:
    explicit TdmServicesTest(TComponent* owner, bool load = true) : TdmSingle(owner, false) {
        if (load) InitInheritedComponent(this);
    }
};

class TfrmServicesTest : public TfrmSingle {
    KVR_CLASS(TfrmServicesTest, TfrmSingle)
public:
    explicit TfrmServicesTest(TComponent* owner, bool load = true) : TfrmSingle(owner, false) {
        if (load) InitInheritedComponent(this);
    }
    TClass DataModuleClass() override { return TdmServicesTest::StaticClass(); }
    // The scripted colour dialog, or the dialogs' own form when a test asks for it.
    std::unique_ptr<TColorQueryDialog> MakeColorQueryDialog(TColorConditions* conditions) override;
    static inline bool DialogsColorForm = false;
    void FormCreate(TObject* sender) {
        CreateDataModule();
        IsColorManage = true;
        TfrmSingle::FormCreate(sender);
        PrintProgram = "TSTPRT";
    }
    void ConfigureProgram() override {
        TfrmSingle::ConfigureProgram();
        AttachmentsEnabled = true;
    }
    AnsiString ColorManagerText() override {
        return "<colormanager><head><component name=\"gdHead\" enable=\"Y\">"
               "<condition value=\"TA003 &gt; 250\" colorx=\"255\" msg=\"大额\"/>"
               "<condition value=\"TA003 &lt; 0\" bkcolor=\"65535\" msg=\"负数\"/>"
               "</component></head></colormanager>";
    }
    int RunProgram(const AnsiString& programID, const AnsiString& param) override {
        Started.push_back(programID + " " + param);
        return 0;
    }
    std::vector<AnsiString> Started;
};

KVR_PUBLISHED(TdmServicesTest, c) {}
KVR_FORM_RESOURCE(TdmServicesTest, R"(inherited dmServicesTest: TdmServicesTest
  inherited cdsMain: TwwClientDataSet
    ProviderName = 'pvdMain'
    object cdsMainTA001: TStringField
      DisplayLabel = '代号'
      FieldName = 'TA001'
      Size = 6
    end
    object cdsMainTA002: TStringField
      DisplayLabel = '名称'
      FieldName = 'TA002'
      Size = 8
    end
    object cdsMainTA003: TFloatField
      DisplayLabel = '金额'
      FieldName = 'TA003'
    end
    object cdsMainTA006: TStringField
      DisplayLabel = '序号'
      FieldName = 'TA006'
      Size = 4
    end
    object cdsMainUDF01: TStringField
      FieldName = 'UDF01'
      Size = 20
    end
    object cdsMainUDF51: TFloatField
      FieldName = 'UDF51'
    end
  end
end
)");

KVR_PUBLISHED(TfrmServicesTest, c) {
    c.Method("FormCreate", &TfrmServicesTest::FormCreate);
}
KVR_FORM_RESOURCE(TfrmServicesTest, R"(inherited frmServicesTest: TfrmServicesTest
  Width = 600
  Height = 400
  inherited pgHead: TExtPageControl
    inherited tbsHead1: TTabSheet
      object edTA001: TDBEdit
        DataField = 'TA001'
        DataSource = dmServicesTest.dsMain
      end
      object cboTA002: TwwDBComboBox
        DataField = 'TA002'
        DataSource = dmServicesTest.dsMain
      end
    end
    inherited tbsUDF: TTabSheet
      inherited edUDF01: TQvBtnDBEdit
      end
      inherited cboUDF01: TQvDBComboBox
        Left = 100
      end
      inherited edUDF51: TQvBtnDBEdit
      end
    end
  end
end
)");

namespace {

// The colour query dialog as its user answers it: OK or Cancel, colour management left on or off,
// and the conditions ticked by index.
class TScriptedColorQuery : public TColorQueryDialog {
public:
    bool Execute(bool colorManage, TColorConditions* conditions) override {
        Runs.push_back(colorManage);
        if (!AnswerOK) return false;
        for (int i = 0; i < conditions->Count(); ++i)
            conditions->Items(i)->Checked = std::find(Ticks.begin(), Ticks.end(), i) != Ticks.end();
        return true;
    }
    bool IsColorManage() const override { return KeepColorManage; }
    static inline bool AnswerOK = true, KeepColorManage = true;
    static inline std::vector<int> Ticks;
    static inline std::vector<bool> Runs;
};

} // namespace

std::unique_ptr<TColorQueryDialog> TfrmServicesTest::MakeColorQueryDialog(TColorConditions* conditions) {
    if (DialogsColorForm) return TfrmSingle::MakeColorQueryDialog(conditions);
    return std::make_unique<TScriptedColorQuery>();
}

namespace {

Variant Rows(std::initializer_list<std::vector<Variant>> rows) {
    std::vector<Variant> items;
    for (const std::vector<Variant>& row : rows)
        items.push_back(VarArrayOf(row));
    return items.empty() ? Variant() : VarArrayOf(items);
}

class SingleServicesTest : public FormFixture {
protected:
    void SetUp() override {
        FormFixture::SetUp();
        SetClassRegistryFileName(std::string(KVR_BINARY_DIR) + "/data/classes.ini");
        Counter->On("GETCOUNTER", [this](TDispArgs args) {
            const AnsiString name = UpperCase(args[0].Value->AsString());
            const Variant params = *args[1].Value;
            if (name == "GETSYSINFO") return Variant();
            const Variant first = params.GetElement({0});
            const AnsiString sql = VarIsArray(first) ? VarToStr(first.GetElement({0})) : VarToStr(first);
            Requests.push_back(name + "|" + sql);
            if (name == "TRANSACTIONSQL" && FailTransaction) throw EOleError("ATTACH is locked");
            if (name == "QUERYUDFDATA") return UDFAnswer(sql, params.GetElement({4}));
            for (const auto& [prefix, answer] : Answers)
                if (sql.find(prefix) != AnsiString::npos) return answer;
            return Variant();
        });
        Validator->On("CheckValue", [](TDispArgs args) {
            if (args[0].Value->AsString() == "F2LINK") {
                const Variant keys = *args[3].Value;
                if (VarToStr(keys.GetElement({1})) != "KVRTA" || VarToStr(keys.GetElement({2})) != "UDF01")
                    return Variant(false);
                *args[4].Value = VarArrayOf({"BYVMA", "01"});
                return Variant(true);
            }
            *args[4].Value = VarArrayOf({"服务测试作业", "", "", "", "", "", "", "N", "W", "Services"});
            return Variant(true);
        });
        Validator->On("QueryData", [](TDispArgs args) {
            if (args[0].Value->AsString() != "WOQMD") return Variant(false);
            *args[4].Value = Rows({{"UDF51", "保证金", "Margin"}});
            return Variant(true);
        });
        TfrmServicesTest::DialogsColorForm = false;
        TScriptedColorQuery::AnswerOK = true;
        TScriptedColorQuery::KeepColorManage = true;
        TScriptedColorQuery::Ticks.clear();
        TScriptedColorQuery::Runs.clear();
        ClearAttachmentShows();
    }
    void TearDown() override {
        delete Single;
        Single = nullptr;
        Server.reset();
        SetClassRegistryFileName("");
        FormFixture::TearDown();
    }

    Variant UDFAnswer(const AnsiString& formula, const Variant& values) {
        AnsiString text = formula;
        for (int i = 0; VarIsArray(values) && i <= VarArrayHighBound(values, 1); ++i)
            text += ":" + VarToStr(values.GetElement({i}));
        UDFAsked.push_back(text);
        if (formula == "NAME") return Rows({{Variant("名称之" + VarToStr(values.GetElement({0})))}});
        if (formula == "BAD") return Rows({{Variant("not a number")}});
        if (formula == "DEF51") return Rows({{Variant("12.5")}});
        return Variant();
    }

    TfrmServicesTest* Start(int mode = OPEN_MODE_NONE, const AnsiString& param = AnsiString()) {
        Server = std::make_unique<TAppServerDouble>(
            0, "M11_TABLE=TESTS\r\nM11_KEY=TA001,TA006\r\nMAX_RECORD=20\r\nPOWER_"
               "DATA=,Y,N,YYYYYYYYYYYY,YYYYYYY,YYYYYYY\r\n");
        Server->Server->OnValue("GetRecCount", 3);
        Server->Server->OnValue("LoadTable", Variant());
        Server->Server->On("WhatIs", [](TDispArgs args) {
            return UpperCase(args[0].Value->AsString()) == "SQLTYPE" ? Variant(1) : Variant("20260105");
        });
        Server->Server->On("SetTopRow", [](TDispArgs) { return Variant(); });
        Server->Server->OnValue("GetFormat", FormatXml);
        TMemoryAppServer* memory = Server->Schemes;
        Server->Server->On("AS_ApplyUpdates", [this, memory](TDispArgs args) {
            ++Saves;
            return memory->ApplyUpdates(args);
        });
        // The condition of each fetch is kept; one naming REFUSE is a statement the server refuses.
        Server->Server->On("AS_GetRecords", [this, memory](TDispArgs args) {
            Variant packet = memory->GetRecords(args);
            const Variant request = memory->LastDataRequest();
            const AnsiString where = VarIsArray(request) ? VarToStr(request.GetElement({0})) : AnsiString();
            Conditions.push_back(where);
            if (where.find("REFUSE") != AnsiString::npos) throw EOleError("incorrect syntax near REFUSE");
            return packet;
        });
        TMemoryProviderData& main = Server->Schemes->Provider("pvdMain");
        main.Fields = {{"TA001", ftString, 6, 0, {}},  {"TA002", ftString, 8, 0, {}},
                       {"TA003", ftFloat, 0, 0, {}},   {"TA006", ftString, 4, 0, {}},
                       {"UDF01", ftString, 20, 0, {}}, {"UDF51", ftFloat, 0, 0, {}}};
        main.KeyFields = "TA001;TA006";
        main.Rows = {VarArrayOf({"A", "甲", 100.0, "001", "", 0.0}),
                     VarArrayOf({"B", "乙", 300.0, "002", "", 0.0}),
                     VarArrayOf({"C", "丙", -5.0, "003", "", 0.0})};
        // The colour record of each row: the negative amount's carries a message.
        TMemoryProviderData& colors = Server->Schemes->Provider("pvdColor");
        colors = main;
        colors.Fields.push_back({"gdHead", ftString, 60, 0, {}});
        const char* texts[] = {"", "colorx=255", "bkcolor=65535;msg=负数;bold=Y"};
        for (size_t i = 0; i < colors.Rows.size(); ++i) {
            std::vector<Variant> items;
            for (int c = 0; c <= VarArrayHighBound(colors.Rows[i], 1); ++c)
                items.push_back(colors.Rows[i].GetElement({c}));
            items.push_back(texts[i]);
            colors.Rows[i] = VarArrayOf(items);
        }
        Server->ServeInProcess();
        Single = new TfrmServicesTest(nullptr);
        Single->SetModuleFileName("/opt/VORLAN/TSTSRV01C.so");
        Single->Broker->HostApp = Host;
        Single->InitializeForm(VarArrayOf({"DEMO", "DEMO", "DEMO", 0, ""}));
        Single->OpenMode = mode;
        Single->ParamText = param;
        Single->Show();
        Application->ProcessMessages();
        return Single;
    }
    TClientDataSet* Main() const { return Single->SingleModule()->cdsMain; }
    std::vector<AnsiString> RequestsOf(const AnsiString& name) const {
        std::vector<AnsiString> found;
        for (const AnsiString& request : Requests)
            if (request.substr(0, name.size() + 1) == name + "|")
                found.push_back(request.substr(name.size() + 1));
        return found;
    }
    std::vector<AnsiString> Keys() const {
        std::vector<AnsiString> keys;
        Main()->First();
        for (; !Main()->Eof(); Main()->Next())
            keys.push_back(Main()->FieldByName("TA001")->AsString());
        return keys;
    }

    std::unique_ptr<TAppServerDouble> Server;
    TfrmServicesTest* Single = nullptr;
    std::vector<AnsiString> Requests;
    std::vector<AnsiString> UDFAsked;
    std::vector<AnsiString> Conditions;
    std::vector<std::pair<AnsiString, Variant>> Answers;
    bool FailTransaction = false;
    AnsiString FormatXml;
    int Saves = 0;
};

// ---- pure condition builders ----

TEST(GridLinkCondition, EachShapeOfLinkGivesItsConditionAndEmptyValuesGiveNone) {
    const struct {
        TGridLink Link;
        const char* V1;
        const char* V2;
        int SqlType;
        const char* Expected;
    } cases[] = {
        {{"MA001", "MA001", "TC001", "TC001", ""}, "S01", "", 0, "TC001='S01'"},
        {{"MA001", "MA001", "TC001", "TC001", ""}, "", "", 0, ""},
        {{"TA001", "TA002", "TC001", "TC002", ""}, "A1", "0001", 0, "TC001='A1' and TC002='0001'"},
        {{"TA001", "TA002", "TC001", "TC002", ""}, "", "", 0, ""},
        {{"TA001", "TA002", "TC001", "TC001", "-"}, "A1", "0001", 0, "TC001='A1-0001'"},
        {{"TA001", "TA002", "TC001", "TC001", ""}, "A1", "", 1, "TC001='A1'"},
        {{"TA001", "TA001", "TC001", "TC002", "-"},
         "A1-0001",
         "",
         0,
         "SUBSTRING(TC001,1,2)+'-'+SUBSTRING(TC002,1,4)='A1-0001'"},
        {{"TA001", "TA001", "TC001", "TC002", "-"}, "A1-0001", "", 1, "TC001||'-'||TC002='A1-0001'"},
        // Without a separator only the first fifteen characters enter the condition.
        {{"TA001", "TA001", "TC001", "TC002", ""},
         "ABCDEFGHIJKLMNOPQ",
         "",
         0,
         "TC001+TC002='ABCDEFGHIJKLMNO'"},
        {{"TA001", "TA001", "TC001", "TC002", ""}, "AB", "", 1, "TC001||TC002='AB'"},
        // A value is a literal, whatever it holds.
        {{"MA001", "MA001", "TC001", "TC001", ""}, "x' or '1'='1", "", 0, "TC001='x'' or ''1''=''1'"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(BuildGridLinkCondition(c.Link, c.V1, c.V2, c.SqlType), c.Expected)
            << c.Link.Source1 << "/" << c.Link.Source2 << " " << c.V1;
}

TEST(ColorFilter, TickedConditionsNarrowTheRememberedOne) {
    const struct {
        std::vector<AnsiString> Ticked;
        const char* Remembered;
        const char* Expected;
    } cases[] = {
        {{"K1", "K2"}, "1=1", "(1=1) and ( ( K1 ) or  ( K2 ) )"},
        {{}, "TA001 = 'A'", "TA001 = 'A'"},
        {{"K1"}, "", " ( K1 ) "},
        // A remembered condition that holds the filter already is not wrapped again.
        {{"K1"}, "(X) and ( ( K1 ) )", " ( K1 ) "},
        {{"T.A IN (SELECT B FROM $$T2 T2)"}, "1=1", "(1=1) and ( ( T.A IN (SELECT B FROM DEMO..T2 T2) ) )"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(BuildColorFilter(c.Ticked, c.Remembered, "DEMO"), c.Expected) << c.Remembered;
}

// ---- attachments ----

TEST_F(SingleServicesTest, AttachmentKeysJoinTheKeyValuesAndADeleteTakesTheRecordsAttachments) {
    Answers = {{"FROM ATTACH", Rows({{"C||003"}, {"A||001"}})}};
    Start();
    Single->LoadAttachmentKeys();
    EXPECT_EQ(RequestsOf("SIMPLESQL").back(),
              " SELECT DISTINCT KeyValues FROM ATTACH WHERE Parent = 'TSTSRV01' AND CompanyID = 'DEMO'");
    Main()->First();
    EXPECT_EQ(Single->BuildAttachmentKey("||"), "A||001");
    EXPECT_TRUE(Single->HasAttachment());
    Main()->Next();
    EXPECT_FALSE(Single->HasAttachment());

    // The clean-up failing does not undo the delete; the key leaves the list either way.
    Main()->Last();
    FailTransaction = true;
    ASSERT_TRUE(Single->DeleteRecord(false));
    EXPECT_EQ(RequestsOf("TRANSACTIONSQL").back(),
              " DELETE FROM ATTACH  WHERE Parent = 'TSTSRV01'        AND "
              "CompanyID = 'DEMO'        AND KeyValues = 'C||003' ");
    EXPECT_EQ(Keys(), (std::vector<AnsiString>{"A", "B"}));
    EXPECT_EQ(Single->Attachments().Keys()->Count(), 1);
}

TEST_F(SingleServicesTest, TheAttachmentDialogGetsTheRecordAndNeverOpensWhileAdding) {
    Start();
    Main()->First();
    Single->ShowAttachments();
    const std::vector<TAttachmentShow> shows = AttachmentShows();
    ASSERT_EQ(shows.size(), 1u);
    std::vector<AnsiString> given;
    for (int i = 0; i <= VarArrayHighBound(shows[0].Parameters, 1); ++i)
        given.push_back(VarToStr(shows[0].Parameters.GetElement({i})));
    EXPECT_EQ(given, (std::vector<AnsiString>{"DEMO", "DEMO", "TSTSRV01", "A||001", "TA001||TA006", "1"}));
    EXPECT_NE(shows[0].ParentHandle, 0);

    ASSERT_TRUE(Single->AddRecord(true));
    Single->ShowAttachments();
    EXPECT_EQ(AttachmentShows().size(), 1u);
    Single->CancelEdit(false);
    Single->AttachmentsEnabled = false;
    Single->ShowAttachments();
    EXPECT_EQ(AttachmentShows().size(), 1u);
}

// ---- drill-down links ----

TEST_F(SingleServicesTest, FollowingALinkOpensTheTargetWithTheRowTheSelectorChooses) {
    Answers = {{"FROM WOQMR AS WOQMR",
                Rows({{"0001", "TA006", "TA001", "TA001", "TSTX01", "TC001", "TC001", "", "001", 1},
                      {"0002", "TA006", "TA001", "TA001", "TSTX02", "TD001", "TD001", "", "002", 2}})}};
    Start();
    Single->gdHead->SetSelectedField(Main()->FieldByName("TA001"));
    Main()->First();
    Single->FollowGridLink(Single->gdHead, Main());
    Main()->Next();
    Single->FollowGridLink(Single->gdHead, Main());
    // No row for the third record's selector value: nothing opens.
    Main()->Next();
    Single->FollowGridLink(Single->gdHead, Main());
    EXPECT_EQ(Single->Started, (std::vector<AnsiString>{"TSTX01 TC001='A'", "TSTX02 TD001='B'"}));
    EXPECT_EQ(RequestsOf("SIMPLESQL").back(), "SELECT * FROM WOQMR AS WOQMR  WHERE MR001='TSTSRV01' and "
                                              "(MR004='TA001' or MR005='TA001')  order by MR011");
    // Off a link, the grid's hint is the message of the hovered row's colour record.
    Single->pgHead->SetActivePage(Single->tbsBrowse);
    const int column = Single->gdHead->GridColumnOf("TA002");
    ASSERT_GE(column, 0);
    const auto hover = [this, column](int row) {
        const TRect rect = Single->gdHead->CellRect(column, row);
        Single->gdHead->Perform(WM_MOUSEMOVE, 0,
                                MakeLParam((rect.Left + rect.Right) / 2, (rect.Top + rect.Bottom) / 2));
        return Single->gdHead->Hint();
    };
    const int first = Single->gdHead->FixedRows();
    EXPECT_EQ(hover(first + 2), "负数");
    EXPECT_EQ(hover(first + 1), "");
    // An empty cell starts nothing, not even the lookup of its links.
    const size_t asked = Requests.size();
    Main()->Edit();
    Main()->FieldByName("TA001")->SetAsString("");
    Single->FollowGridLink(Single->gdHead, Main());
    EXPECT_EQ(Requests.size(), asked);
    Main()->Cancel();
}

// ---- colour filter ----

TEST_F(SingleServicesTest, AColourConditionOfTheMenuFiltersAndAFailedFilterQueriesTheConditionAgain) {
    Start();
    ASSERT_EQ(Single->pmColorCondition->Items()->Count(), 2);
    EXPECT_EQ(Single->pmColorCondition->Items()->Items(1)->Name(), "mnuColor1");
    Single->LastWhere = "1=1";
    Single->pmColorCondition->Items()->Items(1)->Click();
    EXPECT_EQ(Conditions.back(), "(1=1) and ( ( TA003 < 0 ) )");
    EXPECT_EQ(Single->LastWhere, "1=1");
    Single->pmColorCondition->Items()->Items(0)->Click();
    EXPECT_EQ(Conditions.back(), "(1=1) and ( ( TA003 > 250 ) )");
    TColorConditions* conditions = Single->HeadColors->FindComponent("gdHead", "")->Conditions();
    EXPECT_TRUE(conditions->Items(0)->Checked);
    EXPECT_FALSE(conditions->Items(1)->Checked);
    EXPECT_EQ(Single->pgHead->ActivePage(), Single->tbsBrowse);

    // A condition the server refuses: said, and the unfiltered condition is queried again.
    conditions->Items(0)->Value = "REFUSE";
    Application->ClearDialogs();
    Single->ApplyColorFilter();
    const std::vector<TDialogRecord> dialogs = Application->Dialogs();
    ASSERT_FALSE(dialogs.empty());
    EXPECT_NE(dialogs[0].Text.find("E000032"), AnsiString::npos);
    EXPECT_EQ(Conditions.back(), "1=1");
    EXPECT_EQ(Single->LastWhere, "1=1");
    EXPECT_EQ(Keys(), (std::vector<AnsiString>{"A", "B", "C"}));
}

TEST_F(SingleServicesTest, TheColourDialogTicksConditionsAndCanSwitchColourManagementOff) {
    Start();
    ASSERT_TRUE(Single->ColorFilter().QueryDialog());
    EXPECT_TRUE(Single->btnColorQuery->Visible());
    const size_t fetched = Conditions.size();
    TScriptedColorQuery::AnswerOK = false;
    Single->btnColorQueryClick(nullptr);
    EXPECT_EQ(Conditions.size(), fetched);

    TScriptedColorQuery::AnswerOK = true;
    TScriptedColorQuery::Ticks = {0, 1};
    Single->LastWhere = "1=1";
    Single->btnColorQueryClick(nullptr);
    EXPECT_EQ(Conditions.back(), "(1=1) and ( ( TA003 > 250 ) or  ( TA003 < 0 ) )");

    TScriptedColorQuery::KeepColorManage = false;
    Single->btnColorQueryClick(nullptr);
    EXPECT_FALSE(Single->IsColorManage);
    EXPECT_FALSE(Single->btnColorQuery->Visible());
    EXPECT_EQ(TScriptedColorQuery::Runs, (std::vector<bool>{true, true, true}));
}

// The dialogs' colour form behind the seam: OK with colour management switched off there.
class TColorFormUser : public TModalDriver {
public:
    bool Idle(TCustomForm* form) override {
        auto* dialog = dynamic_cast<TColorQBEForm*>(form);
        if (!dialog) return false;
        ++Shown;
        dialog->chkColorManage->SetChecked(false);
        UserAnswer(form, "BBOK");
        return true;
    }
    int Shown = 0;
};

TEST_F(SingleServicesTest, TheDialogsColourFormServesTheFilter) {
    TfrmServicesTest::DialogsColorForm = true;
    Start();
    ASSERT_TRUE(Single->ColorFilter().QueryDialog());
    TColorFormUser user;
    TModalDriver* previous = Application->SetModalDriver(&user);
    Single->btnColorQueryClick(nullptr);
    Application->SetModalDriver(previous);
    EXPECT_EQ(user.Shown, 1);
    EXPECT_FALSE(Single->IsColorManage);
    EXPECT_FALSE(Single->btnColorQuery->Visible());
}

// ---- user-defined fields ----

TEST_F(SingleServicesTest, UserFieldsTakeTheirLabelsAndComputedValuesFollowTheirRelatedField) {
    Answers = {
        {"TL012 = ''", Variant()}, // no field without related fields: no server defaults
        {"FROM $$WOQTK WOQTK", Rows({{"UDF01", "NAME", "TESTS.TA001 ;"}, {"UDF51", "BAD", "TESTS.TA001 "}})}};
    Start();
    EXPECT_EQ(Main()->FieldByName("UDF51")->DisplayLabel(), "保证金");
    EXPECT_EQ(Main()->FieldByName("UDF01")->DisplayLabel(), "自定义项1");
    EXPECT_FALSE(Main()->FieldByName("UDF01")->Visible());
    auto* edit = static_cast<TQvBtnDBEdit*>(Single->FindComponent("edUDF51"));
    EXPECT_EQ(edit->Caption(), "保证金");
    EXPECT_EQ(edit->Field(), Main()->FieldByName("UDF51"));
    auto* combo = static_cast<TQvDBComboBox*>(Single->FindComponent("cboUDF01"));
    EXPECT_EQ(combo->Caption(), "自定义项1");
    EXPECT_EQ(combo->Left(), -1000);
    EXPECT_EQ(combo->Field(), Main()->FieldByName("UDF01"));
    ASSERT_TRUE(Single->HeadUDFFields);
    ASSERT_EQ(Single->HeadUDFFields->Count(), 2);
    EXPECT_EQ(Single->HeadUDFFields->Items(0)->RelatedFields->Items(0)->LinkedField,
              Main()->FieldByName("TA001"));

    ASSERT_TRUE(Single->AddRecord(true));
    Application->ClearDialogs();
    Main()->FieldByName("TA001")->SetAsString("X9");
    EXPECT_EQ(UDFAsked, (std::vector<AnsiString>{"NAME:X9", "BAD:X9"}));
    EXPECT_EQ(Main()->FieldByName("UDF01")->AsString(), "名称之X9");
    // The value that does not fit is said once, and the field keeps what it had.
    const std::vector<TDialogRecord> dialogs = Application->Dialogs();
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_NE(dialogs[0].Text.find("E000032"), AnsiString::npos);
    EXPECT_TRUE(Main()->FieldByName("UDF51")->IsNull() || Main()->FieldByName("UDF51")->AsFloat() == 0);
    Single->CancelEdit(false);
}

// Outside a simplified-Chinese system and interface, a changeable combo box of the record must be
// filled (its items are in the other code page); the user-defined combos never are.
TEST_F(SingleServicesTest, EditableComboBoxesBecomeRequiredOutsideASimplifiedChineseSystem) {
    for (const char* interfacePage : {"936", "1252"}) {
        SCOPED_TRACE(interfacePage);
        WriteFile("C:\\Veltrane\\VeltraneC.ini",
                  AnsiString("[CodePage]\r\nUICodePage=") + interfacePage + "\r\n");
        Start();
        ASSERT_EQ(Single->GetUICodePage(), interfacePage);
        const bool simplified = Single->GetSystemCodePage() == "936" && Single->GetUICodePage() == "936";
        EXPECT_EQ(ContainsWholeWord(Single->RequiredFields, "TA002"), !simplified) << Single->RequiredFields;
        EXPECT_FALSE(ContainsWholeWord(Single->RequiredFields, "UDF01")) << Single->RequiredFields;
        delete Single;
        Single = nullptr;
    }
}

// A new record takes the user-settings document's default text into a user-defined combo shown on
// the form, and the server's default into a user-defined field without related fields; a stored
// record is left as it is.
TEST_F(SingleServicesTest, ANewRecordTakesTheDefaultTextsAndTheServersUserFieldDefaults) {
    FormatXml = "<MT_User CompanyID=\"DEMO\" ProgID=\"TSTSRV01\"><Components><Component ID=\"cboUDF01\">"
                "<DEFAULTTEXT>预设值</DEFAULTTEXT></Component></Components></MT_User>";
    Answers = {{"TL012 = ''", Rows({{"UDF51", "DEF51", ""}})}, {"FROM $$WOQTK WOQTK", Variant()}};
    Start();
    ASSERT_TRUE(Single->HeadUDFDefaults);
    ASSERT_EQ(Single->HeadUDFDefaults->Count(), 1);
    // The user's settings put the combo on the page in place of the edit.
    auto* combo = static_cast<TQvDBComboBox*>(Single->FindComponent("cboUDF01"));
    combo->SetLeft(100);
    combo->SetVisible(true);
    Main()->First();
    EXPECT_EQ(Main()->FieldByName("UDF01")->AsString(), "");
    ASSERT_TRUE(Single->AddRecord(true));
    EXPECT_EQ(Main()->FieldByName("UDF01")->AsString(), "预设值");
    EXPECT_DOUBLE_EQ(Main()->FieldByName("UDF51")->AsFloat(), 12.5);
    EXPECT_EQ(UDFAsked, (std::vector<AnsiString>{"DEF51"}));
    Single->CancelEdit(false);

    // A combo the settings leave off the page keeps its field as it is.
    combo->SetLeft(-1000);
    ASSERT_TRUE(Single->AddRecord(true));
    EXPECT_EQ(Main()->FieldByName("UDF01")->AsString(), "");
    Single->CancelEdit(false);
}

TEST_F(SingleServicesTest, F2OnAUserFieldOpensTheLookupItsSettingsNameWithTheRecordsConditions) {
    FormatXml =
        "<MT_User CompanyID=\"DEMO\" ProgID=\"TSTSRV01\"><Components><Component ID=\"edUDF01\">"
        "<DataSource>BYVMA</DataSource><RefFileID>KVRTA-UDF01</RefFileID><F2Field>MA001,MA002</F2Field>"
        "<RefCondID>TA001,TA006</RefCondID></Component></Components></MT_User>";
    Variant sent;
    Lookup->On("F2GetData", [&sent](TDispArgs args) {
        sent = *args[0].Value;
        return VarArrayOf({VarArrayOf({"S0002", "奥兰电子"})});
    });
    Start();
    auto* udf01 = static_cast<TDBEdit*>(Single->FindComponent("edUDF01"));
    auto* udf51 = static_cast<TDBEdit*>(Single->FindComponent("edUDF51"));
    EXPECT_EQ(udf01->Hint(), "[F2]自定义项1查询");
    EXPECT_EQ(udf51->Hint(), "[F2]常用语查询");
    EXPECT_EQ(static_cast<TQvBtnDBEdit*>(udf01)->ButtonHint(), "自定义项1查询");

    Main()->First();
    // A record that is only browsed takes nothing: the key ends silently before any lookup opens.
    Word key = VK_F2;
    EXPECT_THROW(Single->DoF2Key(key, udf01), EAbort);
    EXPECT_EQ(key, 0);
    EXPECT_FALSE(VarIsArray(sent));
    ASSERT_TRUE(Single->EditRecord());
    key = VK_F2;
    Single->DoF2Key(key, udf01);
    ASSERT_TRUE(VarIsArray(sent));
    EXPECT_EQ(VarToStr(sent.GetElement({0})), "BYVMA");
    EXPECT_EQ(VarToStr(sent.GetElement({1})), "01");
    const Variant conditions = sent.GetElement({2});
    ASSERT_EQ(VarArrayHighBound(conditions, 1) - VarArrayLowBound(conditions, 1) + 1, 10);
    EXPECT_EQ(VarToStr(conditions.GetElement({0})), "A");
    EXPECT_EQ(VarToStr(conditions.GetElement({1})), "001");
    EXPECT_EQ(Main()->FieldByName("UDF01")->AsString(), "S0002,奥兰电子");
    Single->CancelEdit(false);

    // The same lookup by mouse, from the edit's pop-up menu.
    sent = Variant();
    ASSERT_TRUE(Single->EditRecord());
    Single->popOpenF2Window->SetPopupComponent(udf01);
    Single->miOpenF2Window->Click();
    ASSERT_TRUE(VarIsArray(sent));
    EXPECT_EQ(VarToStr(sent.GetElement({0})), "BYVMA");
    Single->CancelEdit(false);
}

// ---- sign-off settings and link queries ----

TEST_F(SingleServicesTest, SignOffSettingsReadTheTableTheSystemSettingNames) {
    Start();
    Answers = {{"$$QZSMC AS QZSMC", Rows({{"QZ01"}})}, {"$$WOQMQ", Rows({{"Y", "3"}})}};
    AnsiString result[2];
    Single->Broker->SetSysSetting("SYS174", "Y");
    Single->GetSignOffSetting("5101", "x'y", result);
    EXPECT_EQ(RequestsOf("SIMPLESQL").back(),
              " SELECT MC001,MC002,MC006 \r FROM $$QZSMC AS QZSMC    \r WHERE "
              "MC001='5101' AND (MC002='x''y' OR MC002='****') ");
    EXPECT_EQ(result[0], "0");
    EXPECT_EQ(result[1], "QZ01");
    Single->Broker->SetSysSetting("SYS174", "N");
    Single->GetSignOffSetting("5101", "A", result);
    EXPECT_EQ(result[0], "0");
    EXPECT_EQ(result[1], "Y");
    EXPECT_NE(RequestsOf("SIMPLESQL").back().find("FROM $$WOQMQ AS WOQMQ"), AnsiString::npos);
    const auto answers = Answers;
    Answers.clear();
    Single->GetSignOffSetting("5101", "A", result);
    EXPECT_EQ(result[0], "N");
    EXPECT_EQ(result[1], "");
    Answers = answers;

    // The top setting only with SYS060, and ["N", ''] whenever it has none.
    Single->GetSignOffSettingTop("5101", "A", result);
    EXPECT_EQ(result[0], "N");
    Single->Broker->SetSysSetting("SYS060", "Y");
    Single->GetSignOffSettingTop("5101", "A", result);
    EXPECT_EQ(result[0], "Y");
    EXPECT_EQ(result[1], "3");
    EXPECT_NE(RequestsOf("SIMPLESQL").back().find(" ORDER  BY  MQ002 DESC  "), AnsiString::npos);
}

TEST_F(SingleServicesTest, ALinkQueryCollectsTheTargetValuesWithTheirKinds) {
    Start();
    Answers = {{"FROM $$WOQMR", Rows({{"TESTS", "TC001", "TA001"}, {"OTHER", "TC003", "TB009"}})},
               {"SELECT   TA001", Rows({{"A01"}})},
               {"SELECT   TB009", Rows({{12.5}})}};
    AnsiString result;
    Single->BuildLinkQuery("TSTSRV01", "TESTS", result, "TA001 = 'A01'", "0001", "OTHERS");
    EXPECT_EQ(result, "TC001,C,A01;TC003,N,12.5;");
    const std::vector<AnsiString> asked = RequestsOf("SIMPLESQL");
    EXPECT_EQ(asked.back(), " SELECT   TB009 FROM  DEMO..OTHERS OTHERS  WHERE TA001 = 'A01'");
}

// ---- print formats ----

TEST_F(SingleServicesTest, PrintFormatsFillTheMenuAndTheChosenDefaultIsKeptPerRecord) {
    Start();
    Single->LoadVoucherFormats(Single->miVoucherFormats, false);
    ASSERT_EQ(Single->miVoucherFormats->Count(), 1);
    EXPECT_EQ(Single->miVoucherFormats->Items(0)->Caption(), "<无格式>");
    EXPECT_FALSE(Single->miVoucherFormats->Items(0)->Enabled());
    EXPECT_EQ(RequestsOf("SIMPLESQL").back(),
              "select NT001,NT002 from WARRANT where UPPER(NT001) like '%TSTPRT%' order by NT002");

    Answers = {{"from WARRANT", Rows({{"格式一"}, {"格式二"}})}};
    Single->LoadVoucherFormats(Single->miVoucherFormats, true);
    ASSERT_EQ(Single->miVoucherFormats->Count(), 2);
    TMenuItem* second = Single->miVoucherFormats->Items(1);
    EXPECT_TRUE(second->RadioItem());
    Main()->First();
    Single->MenuItemVoucherFormatClick(second);
    EXPECT_TRUE(second->Checked());
    EXPECT_EQ(TUserDefIni().GetFormat("TSTPRT", "A"), "格式二");
    // The next record has no default; the first keeps its own.
    Main()->Next();
    Single->LoadVoucherFormats(Single->miVoucherFormats, false);
    EXPECT_FALSE(second->Checked());
    Main()->First();
    Single->LoadVoucherFormats(Single->miVoucherFormats, false);
    EXPECT_TRUE(second->Checked());
    // A cancelled question changes nothing.
    User.Answers = {"Cancel"};
    Single->MenuItemVoucherFormatClick(second);
    EXPECT_TRUE(second->Checked());
    Single->MenuItemVoucherFormatClick(second);
    EXPECT_FALSE(second->Checked());
    EXPECT_EQ(TUserDefIni().GetFormat("TSTPRT", "A"), UserDefNoFormat);
    // The print choices' menu fills its own list when it pops up.
    Single->popPrint->Popup(0, 0);
    ASSERT_EQ(Single->miVoucherFormatsPrint->Count(), 2);
    EXPECT_EQ(Single->miVoucherFormatsPrint->Items(0)->Name(), "miVoucherFormatsPrint0");
}

// ---- data import ----

const char* const ImportText = R"(<?xml version="1.0" encoding="UTF-8"?>
<batch><dataimport headfields="TA001|TA006|TA002|TA003">
  <doc1><head><row TA001="D1" TA006="010" TA002="一号" TA003="12.5"/></head></doc1>
  <anything><head><row TA001="D2" TA006="020" TA002="二号" TA003="7"/></head></anything>
</dataimport></batch>)";

TEST_F(SingleServicesTest, AnImportAddsAndSavesEveryDocumentThenCloses) {
    Start(OPEN_MODE_IMPORT, ImportText);
    EXPECT_EQ(Saves, 2);
    const TMemoryProviderData& main = Server->Schemes->Provider("pvdMain");
    ASSERT_EQ(main.Rows.size(), 5u);
    EXPECT_EQ(VarToStr(main.Rows[3].GetElement({0})), "D1");
    EXPECT_EQ(VarToStr(main.Rows[4].GetElement({1})), "二号");
    EXPECT_FALSE(Single->Visible());
}

TEST_F(SingleServicesTest, AFaultyImportKeepsWhatWasSavedDropsTheRestAndSaysWhy) {
    const struct {
        const char* Second;
        const char* Said;
    } cases[] = {
        {R"(<row TA001="D2" TA006="020" TA002="二号"/>)", "TA003"},
        {R"(<row TA001="D2" TA006="020" TA002="一个太长的名称" TA003="1"/>)", "TA002"},
    };
    for (const auto& c : cases) {
        Saves = 0;
        const AnsiString text =
            AnsiString(R"(<dataimport headfields="TA001|TA006|TA002|TA003">)") +
            R"(<d><head><row TA001="D1" TA006="010" TA002="一号" TA003="1"/></head></d>)" + "<d><head>" +
            c.Second + "</head></d></dataimport>";
        Application->ClearDialogs();
        Start(OPEN_MODE_IMPORT, text);
        EXPECT_EQ(Saves, 1) << c.Said;
        EXPECT_EQ(Server->Schemes->Provider("pvdMain").Rows.size(), 4u) << c.Said;
        const std::vector<TDialogRecord> dialogs = Application->Dialogs();
        ASSERT_FALSE(dialogs.empty());
        EXPECT_NE(dialogs.back().Text.find(c.Said), AnsiString::npos) << dialogs.back().Text;
        EXPECT_FALSE(Single->Visible());
        delete Single;
        Single = nullptr;
        Server.reset();
    }
}

} // namespace
