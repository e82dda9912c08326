// The base document form: edit states and their status texts, the commands by rights and by the
// host's operation mask, record-level rights, EX_POWER, the required-field check, delete, cancel and
// the close query, the required-field lists and the field restrictions.
#include <gtest/gtest.h>

#include "classlib/dbctrls/dbctrls.h"
#include "classlib/rtl/files.h"
#include "classlib/rtl/shellapi.h"
#include "standins/outside/dms/dmsc.h"
#include "tests/framework/BaseFixture.h"

namespace {

class BaseFormTest : public BaseFormFixture {
protected:
    bool Enabled(const char* name) {
        TComponent* component = BaseForm->FindComponent(name);
        if (auto* control = dynamic_cast<TControl*>(component)) return control->Enabled();
        if (auto* item = dynamic_cast<TMenuItem*>(component)) return item->Enabled();
        ADD_FAILURE() << "no component " << name;
        return false;
    }
    AnsiString Key() const { return Main()->FieldByName("TA001")->AsString(); }
};

TEST_F(BaseFormTest, StartUpShowsBrowseThePositionAndTheServer) {
    StartForm();
    EXPECT_EQ(BaseForm->EditState, esBrowse);
    EXPECT_EQ(Panel(0), "浏览");
    EXPECT_EQ(Panel(2), "单据笔数");
    EXPECT_EQ(Panel(3), "1/3");
    EXPECT_EQ(Panel(4), "127.0.0.1 - 211");
    EXPECT_EQ(Module()->KeyFields, "TA001");
    EXPECT_EQ(Module()->MainTable, "TESTA");
    EXPECT_EQ(Module()->RecordCount, 3);
    EXPECT_TRUE(BaseForm->DocLookupByItem);
    EXPECT_TRUE(Module()->cdsMainColor->Active());
}

TEST_F(BaseFormTest, AddEditCancelAndNavigationWithTheirStatusTexts) {
    StartForm();
    UserClick(BaseForm, "btnNext");
    EXPECT_EQ(Key(), "A2");
    EXPECT_EQ(Panel(3), "2/3");
    UserClick(BaseForm, "miLast");
    EXPECT_EQ(Panel(3), "3/3");
    UserClick(BaseForm, "btnPrior");
    UserClick(BaseForm, "btnFirst");
    EXPECT_EQ(Key(), "A1");
    UserClick(BaseForm, "miPrior"); // at the beginning: stays
    EXPECT_EQ(Key(), "A1");

    // Edit (F7): the state text, the commands that cannot run while editing.
    UserKey(BaseForm, "F7");
    EXPECT_EQ(BaseForm->EditState, esEdit);
    EXPECT_EQ(Panel(0), "更改");
    EXPECT_EQ(Main()->State(), dsEdit);
    for (const char* name : {"btnAdd", "miAdd", "btnEdit", "btnDelete", "btnFirst", "miNext", "miExit"})
        EXPECT_FALSE(Enabled(name)) << name;
    Main()->FieldByName("TA002")->SetAsString("改");
    // Esc asks (C 000002); Cancel keeps the change, OK drops it.
    User.Answers = {"Cancel"};
    UserKey(BaseForm, "Esc");
    EXPECT_EQ(DialogTexts(), std::vector<AnsiString>{"C000002: "});
    EXPECT_EQ(Main()->FieldByName("TA002")->AsString(), "改");
    User.Answers = {"OK"};
    UserKey(BaseForm, "Esc");
    EXPECT_EQ(DialogTexts(), std::vector<AnsiString>{"C000002: "});
    EXPECT_EQ(BaseForm->EditState, esBrowse);
    EXPECT_EQ(Panel(0), "浏览");
    EXPECT_EQ(Main()->FieldByName("TA002")->AsString(), "甲");

    // Add (F5) empties the main data set and appends.
    UserKey(BaseForm, "F5");
    EXPECT_EQ(Panel(0), "新增");
    EXPECT_EQ(Main()->State(), dsInsert);
    EXPECT_EQ(Server->Schemes->LastDataRequest().GetElement({0}).AsString(), "1=2");
    EXPECT_EQ(BaseForm->LastWhere, "1=2");
    EXPECT_EQ(BaseForm->LastOrder, "TA001");
    Main()->FieldByName("TA001")->SetAsString("A9");
    User.Answers = {"OK"};
    UserKey(BaseForm, "Esc");
    EXPECT_EQ(DialogTexts(), std::vector<AnsiString>{"C000004: "});
    EXPECT_EQ(Panel(0), "浏览");
    EXPECT_EQ(Main()->ChangeCount(), 0);
}

TEST_F(BaseFormTest, ABrowsedRecordTakesNoTypingAndNoFunctionKey) {
    StartForm();
    auto* edit = dynamic_cast<TDBEdit*>(BaseForm->FindComponent("edTA002"));
    ASSERT_NE(edit, nullptr);
    const AnsiString before = Main()->FieldByName("TA002")->AsString();
    // Typed into while browsing: the record is not put into edit, so nothing can be saved with it
    // later.
    UserType(BaseForm, "edTA002", "X");
    EXPECT_EQ(Main()->State(), dsBrowse);
    EXPECT_EQ(Main()->FieldByName("TA002")->AsString(), before);
    EXPECT_EQ(Main()->ChangeCount(), 0);
    // F2, F3 and F4 end silently before a program's own handling.
    using THandler = void (TfrmBase::*)(Word&, TWinControl*);
    for (THandler handler : {&TfrmBase::DoF2Key, &TfrmBase::DoF3Key, &TfrmBase::DoF4Key}) {
        Word key = VK_F2;
        EXPECT_THROW((BaseForm->*handler)(key, edit), EAbort);
        EXPECT_EQ(key, 0);
    }
    // While editing the same keys and typing reach the field.
    UserKey(BaseForm, "F7");
    for (THandler handler : {&TfrmBase::DoF2Key, &TfrmBase::DoF3Key, &TfrmBase::DoF4Key}) {
        Word key = VK_F2;
        EXPECT_NO_THROW((BaseForm->*handler)(key, edit));
    }
    UserType(BaseForm, "edTA002", "X");
    EXPECT_EQ(Main()->FieldByName("TA002")->AsString(), "X");
    User.Answers = {"OK"};
    UserKey(BaseForm, "Esc");
    EXPECT_EQ(Main()->FieldByName("TA002")->AsString(), before);
}

TEST_F(BaseFormTest, NothingToEditOrDeleteWithoutRecords) {
    StartForm();
    MainProvider().Rows.clear();
    BaseForm->SetQueryCondition(Main(), "1=2", "");
    EXPECT_TRUE(Main()->IsEmpty());
    EXPECT_FALSE(Enabled("btnEdit"));
    EXPECT_FALSE(Enabled("btnNext"));
    EXPECT_FALSE(BaseForm->EditRecord());
    EXPECT_FALSE(BaseForm->DeleteRecord(true));
    EXPECT_EQ(BaseForm->EditState, esBrowse);
    EXPECT_TRUE(DialogTexts().empty());
}

TEST_F(BaseFormTest, StateTextsInEnglishOutsideTheChineseCodePages) {
    StartForm();
    const struct {
        Byte State;
        const char* Chinese;
        const char* English;
    } cases[] = {{1, "浏览", "Browse"}, {2, "更改", "Edit"}, {3, "新增", "Insert"}};
    for (const auto& c : cases)
        EXPECT_EQ(BaseForm->StateText(c.State), c.Chinese);
    WriteFile("C:\\Veltrane\\VeltraneC.ini",
              "[Server Information]\r\nComputerName=127.0.0.1\r\n[Client Components]\r\nUICodePage=1252\r\n");
    if (BaseForm->GetUICodePage() == "1252") {
        for (const auto& c : cases)
            EXPECT_EQ(BaseForm->StateText(c.State), c.English);
    }
}

// Each command by the rights of POWER_DATA and the host's operation mask, browsing with records.
TEST_F(BaseFormTest, CommandsFollowTheRightsAndTheOperationMask) {
    const struct {
        const char* PowerData;
        Word Mask;
        bool Add, Query, Edit, Delete, Print;
    } cases[] = {
        {",Y,N,YYYYYYYYYYYY,YYYYYYY,YYYYYYY", OPERATION_MASK_ALL, true, true, true, true, true},
        {",Y,N,YYYYYYYYYYYY,YYYYYYY,YYYYYYY", OPERATION_MASK_ALL & ~OPERATION_ADD, false, true, true, true,
         true},
        {",Y,N,YYYYYYYYYYYY,YYYYYYY,YYYYYYY", OPERATION_MASK_ALL & ~OPERATION_QUERY, true, false, true, true,
         true},
        {",Y,N,YYYYYYYYYYYY,YYYYYYY,YYYYYYY", OPERATION_MASK_ALL & ~OPERATION_CHANGE, true, true, false, true,
         true},
        {",Y,N,YYYYYYYYYYYY,YYYYYYY,YYYYYYY", OPERATION_MASK_ALL & ~OPERATION_DELETE, true, true, true, false,
         true},
        {",Y,N,YYYYYYYYYYYY,YYYYYYY,YYYYYYY", OPERATION_MASK_ALL & ~OPERATION_PRINT, true, true, true, true,
         false},
        {",Y,N,YYYYYYYYYYYY,YYYYYYY,YYYYYYY", OPERATION_ALWAYS, false, false, false, false, false},
        // Position 2 edit, 3 delete, 6 print, 9 add; the query right always comes.
        {",Y,N,YNYYYYYYNYYY,YYYYYYY,YYYYYYY", OPERATION_MASK_ALL, false, true, false, true, true},
        {",Y,N,YYNYYNYYYYYY,YYYYYYY,YYYYYYY", OPERATION_MASK_ALL, true, true, true, false, false},
        {",Y,N,NNNNNNNNNNNN,NNNNNNN,NNNNNNN", OPERATION_MASK_ALL, false, true, false, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(AnsiString(c.PowerData) + " mask " + IntToStr(c.Mask));
        StartForm(c.PowerData, "", c.Mask);
        EXPECT_EQ(Enabled("btnAdd"), c.Add);
        EXPECT_EQ(Enabled("miAdd"), c.Add);
        EXPECT_EQ(Enabled("btnQuery"), c.Query);
        EXPECT_EQ(Enabled("miQuery"), c.Query);
        EXPECT_EQ(Enabled("btnEdit"), c.Edit);
        EXPECT_EQ(Enabled("miEdit"), c.Edit);
        EXPECT_EQ(Enabled("btnDelete"), c.Delete);
        EXPECT_EQ(Enabled("miDelete"), c.Delete);
        EXPECT_EQ(Enabled("btnPrint"), c.Print);
        EXPECT_TRUE(Enabled("btnNext"));
        EXPECT_TRUE(Enabled("miExit"));
        // A disabled menu command does nothing on its shortcut either.
        UserKey(BaseForm, "F7");
        EXPECT_EQ(BaseForm->EditState, c.Edit ? esEdit : esBrowse);
        delete BaseForm;
        BaseForm = nullptr;
    }
}

// Element 31 on: the record's creator and group choose the rights (own 38-41/45, group 47-50/52,
// others 54-57/59); print is element 42 whatever the record.
TEST_F(BaseFormTest, RecordLevelRightsFollowTheCreatorAndTheGroup) {
    Settings = "M11_TABLE=TESTA\r\nM11_KEY=TA001\r\nMAX_RECORD=20\r\nGROUP_LIST=\"IMP\",'FIN'\r\n";
    // Own: all; group: edit only; others: delete only.
    StartForm(",Y,Y,YYYYYYYYYYYY,NYNNNNN,NNYNNNN");
    const struct {
        const char* Key;
        bool Edit, Delete;
    } cases[] = {{"A1", true, true}, {"A2", true, false}, {"A3", false, true}};
    for (const auto& c : cases) {
        ASSERT_TRUE(Main()->Locate("TA001", c.Key));
        EXPECT_EQ(BaseForm->CanEdit, c.Edit) << c.Key;
        EXPECT_EQ(BaseForm->CanDelete, c.Delete) << c.Key;
        EXPECT_EQ(Enabled("btnEdit"), c.Edit) << c.Key;
        EXPECT_TRUE(BaseForm->CanPrint) << c.Key;
    }
    // An empty creator counts as the user's own record.
    Main()->Locate("TA001", "A3");
    Main()->Edit();
    Main()->FieldByName("CREATOR")->SetAsString("");
    Main()->Post();
    BaseForm->RecordChanged(Main());
    EXPECT_TRUE(BaseForm->CanEdit);
}

TEST_F(BaseFormTest, ExtraRightsTakeAwayButNeverGiveACommandItsStateForbids) {
    StartForm(",Y,N,YYYYYYYYYYYY,YYYYYYY,YYYYYYY", "btnAdd=Y;btnDelete=y;miQuery;;nothing=N;edTA002=N");
    EXPECT_TRUE(Enabled("btnAdd"));
    EXPECT_FALSE(Enabled("btnDelete")); // lower-case y
    EXPECT_FALSE(Enabled("miQuery"));   // a name alone
    EXPECT_FALSE(Enabled("edTA002"));
    BaseForm->EditRecord();
    EXPECT_FALSE(Enabled("btnAdd")); // "Y" does not enable Add while editing
    EXPECT_FALSE(Enabled("miAdd"));
    delete BaseForm;
    BaseForm = nullptr;
    // "Y" does not give what the rights withhold; on a control the state does not govern, it enables.
    StartForm(",Y,N,YYYYYYYYNYYY,YYYYYYY,YYYYYYY", "btnAdd=Y;edTA002=Y");
    EXPECT_FALSE(Enabled("btnAdd"));
    static_cast<TControl*>(BaseForm->FindComponent("edTA002"))->SetEnabled(false);
    BaseForm->UpdateButtonStates();
    EXPECT_TRUE(Enabled("edTA002"));
}

// A post the form did not start (a grid's, a program's) runs the same check from the data module: the
// focus stays where it is while the post fails, and moves to the field once the form's queue is worked.
TEST_F(BaseFormTest, ACheckInsideAPostLeavesTheFocusMoveToTheForm) {
    StartForm();
    BaseForm->MergeRequiredFields("cdsMain:TA002");
    BaseForm->Show();
    BaseForm->EditRecord();
    auto* other = static_cast<TWinControl*>(BaseForm->FindComponent("edTA003"));
    ASSERT_NE(other, nullptr);
    other->SetFocus();
    Main()->FieldByName("TA002")->SetAsString("");
    EXPECT_THROW(Main()->Post(), EAbort);
    EXPECT_EQ(DialogTexts(), std::vector<AnsiString>{"E000003:名称 "});
    EXPECT_EQ(BaseForm->ActiveControl(), other);
    Application->ProcessMessages();
    EXPECT_EQ(BaseForm->ActiveControl(), BaseForm->FindComponent("edTA002"));
}

TEST_F(BaseFormTest, TheRequiredFieldCheckNamesTheFieldAndStopsThePost) {
    StartForm();
    BaseForm->MergeRequiredFields("cdsMain:TA002");
    BaseForm->Show();
    BaseForm->EditRecord();
    Main()->FieldByName("TA002")->SetAsString("");
    EXPECT_FALSE(BaseForm->SaveRecord());
    EXPECT_EQ(DialogTexts(), std::vector<AnsiString>{"E000003:名称 "});
    EXPECT_EQ(Main()->State(), dsEdit);
    EXPECT_EQ(BaseForm->ActiveControl(), BaseForm->FindComponent("edTA002"));
    Main()->FieldByName("TA002")->SetAsString("新名");
    EXPECT_TRUE(BaseForm->SaveRecord());
    EXPECT_EQ(Panel(0), "浏览");
}

TEST_F(BaseFormTest, ARefusedDeleteIsUndoneAndNotAppliedAtTheNextSave) {
    StartForm();
    MainProvider().RejectRow = [](TUpdateKind kind, const Variant&) {
        return kind == ukDelete ? AnsiString("资料使用中") : AnsiString();
    };
    Server->Schemes->Provider("pvdMain").RejectRow = MainProvider().RejectRow;
    Main()->Locate("TA001", "A2");
    User.Answers = {"OK"};
    UserKey(BaseForm, "F8");
    EXPECT_EQ(DialogTexts(), (std::vector<AnsiString>{"C000001: ", "E000007: "}));
    EXPECT_EQ(Main()->RecordCount(), 3);
    EXPECT_EQ(Key(), "A2");
    EXPECT_EQ(Main()->ChangeCount(), 0);
    EXPECT_EQ(Panel(0), "浏览");
    // The next save sends the change alone.
    MainProvider().RejectRow = nullptr;
    BaseForm->EditRecord();
    Main()->FieldByName("TA002")->SetAsString("改");
    ASSERT_TRUE(BaseForm->SaveRecord());
    EXPECT_EQ(MainProvider().Rows.size(), 3u);
    // A delete the server takes: gone, and the count follows.
    User.Answers = {"OK"};
    EXPECT_TRUE(BaseForm->DeleteRecord(true));
    EXPECT_EQ(MainProvider().Rows.size(), 2u);
    EXPECT_EQ(Module()->RecordCount, 2);
    // Declined: nothing happens.
    User.Answers = {"Cancel"};
    EXPECT_FALSE(BaseForm->DeleteRecord(true));
    EXPECT_EQ(MainProvider().Rows.size(), 2u);
}

TEST_F(BaseFormTest, CancelAfterAFailedSaveKeepsWhatTheUserChoseToKeep) {
    StartForm();
    MainProvider().RejectRow = [](TUpdateKind kind, const Variant&) {
        return kind == ukModify ? AnsiString("拒绝") : AnsiString();
    };
    BaseForm->EditRecord();
    Main()->FieldByName("TA002")->SetAsString("改");
    EXPECT_FALSE(BaseForm->SaveRecord());
    BaseForm->LastSaveFailed = true;
    DialogTexts();
    User.Answers = {"Cancel"};
    EXPECT_FALSE(BaseForm->CancelEdit(true));
    EXPECT_EQ(Main()->FieldByName("TA002")->AsString(), "改");
    EXPECT_EQ(BaseForm->EditState, esEdit);
}

TEST_F(BaseFormTest, TheCloseQueryWhileEditing) {
    StartForm();
    BaseForm->Show();
    // Edit: D 000002; Cancel keeps the form open and the edit.
    BaseForm->EditRecord();
    Main()->FieldByName("TA002")->SetAsString("改");
    User.Answers = {"Cancel"};
    bool canClose = true;
    BaseForm->FormCloseQuery(BaseForm, canClose);
    EXPECT_FALSE(canClose);
    EXPECT_EQ(DialogTexts(), std::vector<AnsiString>{"D000002: "});
    EXPECT_EQ(Main()->State(), dsEdit);
    // Yes saves.
    User.Answers = {"Yes"};
    canClose = false;
    BaseForm->FormCloseQuery(BaseForm, canClose);
    EXPECT_TRUE(canClose);
    EXPECT_EQ(BaseForm->SaveCount, 1);
    DialogTexts();
    EXPECT_EQ(VarToStr(MainProvider().Rows[0].GetElement({1})), "改");
    // Insert: D 000001; No cancels the new record without a further question.
    BaseForm->AddRecord(true);
    Main()->FieldByName("TA001")->SetAsString("A9");
    User.Answers = {"No"};
    canClose = false;
    BaseForm->FormCloseQuery(BaseForm, canClose);
    EXPECT_TRUE(canClose);
    EXPECT_EQ(DialogTexts(), std::vector<AnsiString>{"D000001: "});
    EXPECT_EQ(BaseForm->EditState, esBrowse);
    EXPECT_EQ(MainProvider().Rows.size(), 3u);
    // Browsing: nothing is asked.
    canClose = true;
    BaseForm->FormCloseQuery(BaseForm, canClose);
    EXPECT_TRUE(canClose);
    EXPECT_TRUE(DialogTexts().empty());
}

TEST(RequiredFieldLists, MergeAndDedupe) {
    const struct {
        const char* Before;
        const char* List;
        const char* After;
    } cases[] = {
        {"", "cdsMain:A,B;cdsMain:B,C", "cdsMain:A,B,C"},
        {"", "CdsMain:A; cdsBody1:X ,X, Y;cdsMain:C", "cdsBody1:X,Y;cdsMain:A,C"},
        {"", " ;:A;cdsMain:;cdsMain: , ;x", ""},
        {"", "cdsMain:A,,B, A", "cdsMain:A,B"},
    };
    for (const auto& c : cases) {
        TfrmBase form(nullptr, false);
        form.RequiredFields = c.Before;
        form.MergeRequiredFields(c.List);
        EXPECT_EQ(form.RequiredFields, c.After) << c.List;
    }
    TfrmBase form(nullptr, false);
    form.RequiredFields = "cdsMain:TA001";
    form.AddRequiredFields("cdsmain:TA005,TA001;cdsBody1:TB004");
    EXPECT_EQ(form.RequiredFields, "cdsmain:TA001,TA005;cdsBody1:TB004");
    EXPECT_EQ(TfrmBase::DedupeCommaList(" b, a,b ,,a,c"), "b,a,c");
}

TEST_F(BaseFormTest, FieldRestrictionsByRightsAndBySys024) {
    const struct {
        const char* Position78; // element 3's positions 7 and 8
        const char* Sys024;
        bool ReadOnly002, Hidden002, ReadOnly003, Hidden003;
    } cases[] = {
        {"YY", "0", false, false, false, false}, {"RY", "0", true, false, false, false}, // 34: A read-only
        {"NY", "0", false, true, false, false},                                          // no 32: A disabled
        {"YR", "0", false, false, true, false},                                          // 35: B read-only
        {"YN", "0", false, false, false, true},                                          // no 33: B disabled
        {"YY", "1", false, true, false, true},  // SYS024 1: both setting lists
        {"YY", "2", false, false, false, true}, // 2: B
        {"YY", "3", false, true, false, false}, // 3: A
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(AnsiString(c.Position78) + " SYS024=" + c.Sys024);
        SysSettings["SYS024"] = c.Sys024;
        // The lists are the form's before its input settings apply: a program sets them in FormCreate.
        StartForm(AnsiString(",Y,N,YYYYYY") + c.Position78 + "YYYY,YYYYYYY,YYYYYYY");
        BaseForm->RestrictedFieldsA = BaseForm->SettingFieldsA = "cdsMain:TA002";
        BaseForm->RestrictedFieldsB = BaseForm->SettingFieldsB = "cdsMain:TA003";
        BaseForm->ApplyInputSettings();
        auto* ed002 = static_cast<TDBEdit*>(BaseForm->FindComponent("edTA002"));
        auto* ed003 = static_cast<TDBEdit*>(BaseForm->FindComponent("edTA003"));
        EXPECT_EQ(ed002->ReadOnly(), c.ReadOnly002);
        EXPECT_EQ(Main()->FieldByName("TA002")->ReadOnly(), c.ReadOnly002);
        EXPECT_EQ(!Main()->FieldByName("TA002")->Visible(), c.Hidden002);
        EXPECT_EQ(ed002->DataField().empty(), c.Hidden002);
        EXPECT_EQ(ed003->ReadOnly(), c.ReadOnly003);
        EXPECT_EQ(!Main()->FieldByName("TA003")->Visible(), c.Hidden003);
        EXPECT_EQ(!ed003->Enabled(), c.Hidden003);
        delete BaseForm;
        BaseForm = nullptr;
    }
}

TEST_F(BaseFormTest, InputSettingsFromTheUsersSettings) {
    UserDefines["InputSettings001"] =
        "<InputSettings001><IsFocusPageOne>False</IsFocusPageOne></InputSettings001>";
    UserDefines["InputSettings002"] = "<InputSettings002><IsKeepOnAdd>true</IsKeepOnAdd></InputSettings002>";
    StartForm();
    EXPECT_FALSE(BaseForm->IsFocusPageOne);
    EXPECT_FALSE(BaseForm->IsKeepOnAdd); // "true" is not "True"
    EXPECT_TRUE(BaseForm->ReadUserDefineFlag("InputSettings009", "X", true));
}

TEST_F(BaseFormTest, ManagedFieldsAndTheToolBarToggle) {
    StartForm();
    EXPECT_FALSE(Main()->FieldByName("CREATOR")->Visible());
    UserKey(BaseForm, "Ctrl+M");
    EXPECT_TRUE(BaseForm->miManager->Checked());
    EXPECT_TRUE(Main()->FieldByName("CREATOR")->Visible());
    UserClick(BaseForm, "miToolBar");
    EXPECT_FALSE(BaseForm->ToolBar1->Visible());
    // Quick find outside a grid: nothing happens, fetch on scroll stays.
    UserKey(BaseForm, "Ctrl+F");
    EXPECT_TRUE(Module()->FetchOnScroll);
}

} // namespace

// ---- after the show: grid views and user settings; the lookup keys; help; the linked document ----

namespace {

class BaseShowTest : public BaseFormFixture {};

TEST_F(BaseShowTest, ASavedGridViewAndTheUserSettingsComeBackWhenTheFormShows) {
    WriteFile("C:\\Veltrane\\c_Data\\DEMO\\FWTEST01C.ugs", "[cdsMain]\r\nTA003=0;33\r\n");
    FormatXml = "<MT_User CompanyID=\"DEMO\" ProgID=\"FWTEST01\"><Components>"
                "<Component ID=\"edTA002\"><Width>211</Width><Required>-1</Required></Component>"
                "<Component ID=\"edTA003\"><Required>0</Required></Component>"
                "</Components></MT_User>";
    StartForm();
    TField* amount = Main()->FieldByName("TA003");
    EXPECT_EQ(amount->Index(), 0);
    EXPECT_EQ(amount->DisplayWidth(), 33);
    auto* name = dynamic_cast<TControl*>(BaseForm->FindComponent("edTA002"));
    EXPECT_EQ(name->Width(), 211);
    // Only the component marked required joins the required fields.
    EXPECT_EQ(BaseForm->RequiredFields, "cdsMain:TA002");
    // It is checked as every required field: the empty name stops the save.
    UserClick(BaseForm, "miEdit");
    Main()->FieldByName("TA002")->SetAsString("");
    EXPECT_FALSE(BaseForm->SaveRecord());
    EXPECT_EQ(Main()->State(), dsEdit);
}

TEST_F(BaseShowTest, TheHostsMode12SkipsTheUserSettingsButNotTheGridView) {
    WriteFile("C:\\Veltrane\\c_Data\\DEMO\\FWTEST01C.ugs", "[cdsMain]\r\nTA003=1;17\r\n");
    FormatXml = "<MT_User><Components><Component ID=\"edTA002\"><Required>-1</Required></Component>"
                "</Components></MT_User>";
    StartForm();
    BaseForm->RequiredFields.clear();
    BaseForm->OpenMode = OPEN_MODE_HOST_12;
    Main()->FieldByName("TA003")->SetIndex(2);
    BaseForm->AfterFormShow();
    EXPECT_EQ(BaseForm->RequiredFields, "");
    EXPECT_EQ(Main()->FieldByName("TA003")->Index(), 1);
}

TEST_F(BaseShowTest, ASettingsTextThatIsNoDocumentChangesNothing) {
    FormatXml = "<MT_User><Components>";
    StartForm();
    EXPECT_EQ(BaseForm->RequiredFields, "");
    ASSERT_NE(BaseForm->GetFormatDoc(), nullptr);
    AnsiString ids;
    BaseForm->GetFormatDoc()->GetNodeIDs("Components/*", ids);
    EXPECT_EQ(ids, "");
}

// F2 reaches a program's lookup only on a writable control of a record being edited: a browsed record
// or a read-only control opens nothing and its field keeps its value, though the lookup would write
// with read-only lifted.
TEST_F(BaseShowTest, LookupKeysOpenNothingOnAReadOnlyControlOrABrowsedRecord) {
    StartForm();
    struct Case {
        const char* Edit;
        bool Editing;
        bool ReadOnly;
        bool Opens;
    };
    const Case cases[] = {
        {"edTA002", false, false, false},
        {"edTA002", true, true, false},
        {"edTA002", true, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Edit + AnsiString(c.Editing ? " editing" : " browsing") +
                     (c.ReadOnly ? " read-only" : ""));
        if (BaseForm->EditState != esBrowse) BaseForm->CancelEdit(false);
        if (c.Editing) UserClick(BaseForm, "miEdit");
        auto* edit = dynamic_cast<TDBEdit*>(BaseForm->FindComponent(c.Edit));
        edit->SetReadOnly(c.ReadOnly);
        BaseForm->LookupCount = 0;
        const AnsiString before = Main()->FieldByName("TA002")->AsString();
        UserKey(BaseForm, "F2", c.Edit);
        EXPECT_EQ(BaseForm->LookupCount, c.Opens ? 1 : 0);
        EXPECT_EQ(Main()->FieldByName("TA002")->AsString(), c.Opens ? AnsiString("ZZ") : before);
        Word key = VK_F3;
        if (!c.Opens) {
            EXPECT_THROW(BaseForm->DoF3Key(key, edit), EAbort);
            EXPECT_EQ(key, 0);
        }
        edit->SetReadOnly(false);
    }
    EXPECT_TRUE(DialogTexts().empty());
}

TEST_F(BaseShowTest, TheHelpTopicOfTheBrowseStateIsThePagesOwn) {
    StartForm();
    auto* edit = dynamic_cast<TDBEdit*>(BaseForm->FindComponent("edTA002"));
    edit->SetFocus();
    AnsiString context;
    BaseForm->GetHelpContext("1102", context);
    EXPECT_EQ(context, "11020000");
    UserClick(BaseForm, "miEdit");
    edit->SetFocus();
    BaseForm->GetHelpContext("1102", context);
    EXPECT_EQ(context, "11021002");
}

TEST_F(BaseShowTest, F11PutsThePickedCharacterIntoAListedFieldBeingEdited) {
    StartForm();
    Lookup->OnValue("ShowCharaters", VarArrayOf({"#"}));
    BaseForm->LinkedDocFields = "cdsMain = TA002";
    struct Case {
        const char* Edit;
        bool Editing;
        const char* Expected;
    };
    // Browsing takes nothing; a field the list does not name takes nothing.
    const Case cases[] = {{"edTA002", false, "甲"}, {"edTA001", true, "A1"}, {"edTA002", true, "#"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Edit);
        if (c.Editing && BaseForm->EditState == esBrowse) UserClick(BaseForm, "miEdit");
        UserKey(BaseForm, "F11", c.Edit);
        AnsiString dataField;
        GetStrPropByName(BaseForm->FindComponent(c.Edit), "DataField", dataField);
        EXPECT_EQ(Main()->FieldByName(dataField)->AsString(), c.Expected);
    }
}

TEST_F(BaseShowTest, TheLinkedDocumentIsCheckedOutAndOpened) {
    StartForm();
    std::vector<TShellExecuteInfo> opened;
    const TShellExecuteHandler previous = SetShellExecuteHandler([&](const TShellExecuteInfo& info) {
        opened.push_back(info);
        return true;
    });
    std::vector<AnsiString> lookups;
    Validator->On("CheckValue", [&](TDispArgs args) {
        lookups.push_back(args[0].Value->AsString() + "/" + args[1].Value->AsString());
        *args[4].Value = VarArrayOf({"DOC-7", "2"});
        return Variant(true);
    });
    BaseForm->LinkedDocFields = "cdsMain:TA002";
    BaseForm->DocLookupByItem = false;
    ClearDmsCheckOuts();
    EXPECT_TRUE(BaseForm->ViewDocument());
    SetShellExecuteHandler(previous);
    EXPECT_EQ(DialogTexts(), std::vector<AnsiString>{});
    EXPECT_EQ(lookups, std::vector<AnsiString>{"TAZMV/07"});
    ASSERT_EQ(DmsCheckOuts().size(), 1u);
    const Variant checkOut = DmsCheckOuts()[0];
    std::vector<AnsiString> parameters;
    for (int i = VarArrayLowBound(checkOut, 1); i <= VarArrayHighBound(checkOut, 1); ++i)
        parameters.push_back(VarToStr(checkOut.GetElement({i})));
    EXPECT_EQ(parameters, (std::vector<AnsiString>{"DEMO", "R", "DOC-7", "2", ""}));
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].Verb, "open");
    AnsiString content;
    ASSERT_TRUE(ReadFileBytes(opened[0].File, content));
    EXPECT_NE(content.find("DOC-7 version 2 for DEMO"), AnsiString::npos);
}

} // namespace
