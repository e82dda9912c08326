// The letter-of-credit form after it shows: the company's user settings of the header and the line
// grid, the browse page without the lines, and a query that brings the lines of its first document.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include "foundation/LibVCLs.h"
#include "foundation/libstrs.h"
#include "tests/programs/Kvrx58Fixture.h"

namespace {

class Kvrx58Settings : public Kvrx58Fixture {
protected:
    void SetUp() override {
        Kvrx58Fixture::SetUp();
        TRecordingQuery::Where = "1=1";
        TRecordingQuery::Cancel = false;
        TRecordingQuery::BodyBindings.clear();
        TfrmKvrx58Scripted::QueryDialogMaker = [](TfrmSingle* form) {
            return std::make_unique<TRecordingQuery>(form);
        };
    }
    // A statement on the demo database as its administrator would run it.
    void Exec(const std::string& sql) {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open_v2(Db->Path().c_str(), &db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sql;
        sqlite3_close_v2(db);
    }
    // The user-settings document the server keeps for the company's program.
    void StoreSettings(const std::string& xml) {
        Exec("INSERT INTO WOQMF (MF001, MF002, MF003) VALUES ('DEMO', 'KVRX58', '" + xml + "')");
        ASSERT_EQ(Sql("SELECT COUNT(*) FROM WOQMF WHERE MF001 = 'DEMO' AND MF002 = 'KVRX58'"), "1");
    }
    // The item of the data set in the form's required-field list.
    AnsiString RequiredOf(const AnsiString& dataSet) const {
        for (int i = 1; i <= GetTokenCount(Form->RequiredFields, ";"); ++i) {
            const AnsiString item = GetToken(Form->RequiredFields, ";", i);
            if (SameText(Trim(GetToken(item, ":", 1)), dataSet)) return Trim(GetToken(item, ":", 2));
        }
        return AnsiString();
    }
};

TEST_F(Kvrx58Settings, TheCompanysSettingsOfTheHeaderAndTheLineGridApplyWhenTheFormShows) {
    // A first start makes the database; the settings are stored before the second.
    Open();
    EXPECT_EQ(RequiredOf("cdsBody1"), "TB004,TB005,TB006,TB008");
    delete Form;
    Form = nullptr;
    StoreSettings(
        "<MT_User CompanyID=\"DEMO\" ProgID=\"KVRX58\"><Components>"
        "<Component ID=\"edTA013\"><Required>-1</Required></Component></Components>"
        "<gdBody1><Field ID=\"TB007\"><Required>-1</Required><DisplayWidth>31</DisplayWidth></Field>"
        "</gdBody1></MT_User>");
    Open();
    EXPECT_EQ(RequiredOf("cdsMain"), "TA006,TA008,TA004,TA005,TA036,TA016,TA013");
    EXPECT_EQ(RequiredOf("cdsBody1"), "TB004,TB005,TB006,TB008,TB007");
    EXPECT_EQ(Body()->FieldByName("TB007")->DisplayWidth(), 31);
}

TEST_F(Kvrx58Settings, TheBrowsePageShowsNoLinesAndADetailPageShowsThem) {
    Open();
    struct Case {
        const char* Page;
        bool Lines;
    };
    for (const Case& c : {Case{"tbsBrowse", false}, Case{"TabSheet1", true}, Case{"tbsBrowse", false}}) {
        SCOPED_TRACE(c.Page);
        UserClick(Form, c.Page);
        EXPECT_EQ(Form->pgBody->Visible(), c.Lines);
        EXPECT_EQ(Form->sprBody->Visible(), c.Lines);
        EXPECT_EQ(Form->Status->Panels()->Items(2)->Text(), c.Lines ? "单身笔数" : "单头笔数");
    }
}

TEST_F(Kvrx58Settings, AQueryBindsTheLinesAndBringsTheFirstDocumentsLinesACancelledOneKeepsThePlace) {
    Open();
    ASSERT_FALSE(TRecordingQuery::BodyBindings.empty());
    EXPECT_EQ(TRecordingQuery::BodyBindings.back(), "cdsBody1 KVRTB TB001,TB002,TB003");
    UserKey(Form, "F6");
    ASSERT_GE(Main()->RecordCount(), 2);
    EXPECT_EQ(Main()->RecNo(), 1);
    EXPECT_TRUE(Body()->Active());
    EXPECT_EQ(Line("TB002"), Head("TA002"));
    Main()->Last();
    const AnsiString last = Head("TA002");
    TRecordingQuery::Cancel = true;
    UserKey(Form, "F6");
    EXPECT_EQ(Head("TA002"), last);
}

} // namespace

namespace {

// A line the server refuses: its message under the caption of a save error, over the form.
TEST_F(Kvrx58Settings, ARefusedLineIsSaidUnderTheSaveErrorCaption) {
    Open();
    Application->ClearDialogs();
    EReconcileError refused("line 0002 was changed by another user", 1, 0, "KVRTB");
    TReconcileAction action = raSkip;
    Form->Module()->cdsBody1ReconcileError(Body(), &refused, ukModify, action);
    const std::vector<TDialogRecord> dialogs = Application->Dialogs();
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].Caption, "保存错误");
    EXPECT_EQ(dialogs[0].Kind, "Error");
    EXPECT_NE(dialogs[0].Text.find("line 0002 was changed by another user"), AnsiString::npos);
}

} // namespace

namespace {

// A line column that opens another program: blue and underlined while browsing, with the link hint and,
// with Ctrl held, the hand cursor; black while the document is changed.
TEST_F(Kvrx58Settings, LinkColumnsOfTheLinesShowAsLinksWhileBrowsing) {
    Open();
    delete Form;
    Form = nullptr;
    Exec(
        "INSERT INTO WOQMR (MR001, MR002, MR003, MR004, MR005, MR006, MR007, MR008, MR009, MR010, MR011) "
        "VALUES ('KVRX58', '0001', '', 'TB004', 'TB004', 'BYVX31', 'PURTC.TC001', 'PURTC.TC001', '', '', 1)");
    Open();
    UserKey(Form, "F6");
    UserClick(Form, "TabSheet1");
    ASSERT_FALSE(Body()->IsEmpty());
    auto colours = [this](const char* field) {
        TFont font;
        TBrush brush;
        Form->gdBody1CalcCellColors(Form->gdBody1, Body()->FieldByName(field), TGridDrawState{}, false, &font,
                                    &brush);
        return std::pair{font.Color(), font.Style().Contains(fsUnderline)};
    };
    EXPECT_EQ(colours("TB004"), std::pair(clBlue, true));
    EXPECT_EQ(colours("TB003"), std::pair(clBlack, false));
    const TRect cell =
        Form->gdBody1->CellRect(Form->gdBody1->GridColumnOf("TB004"), Form->gdBody1->FixedRows());
    Form->gdBody1MouseMove(Form->gdBody1, TShiftState{ssCtrl}, cell.Left + 2, cell.Top + 2);
    EXPECT_EQ(Form->gdBody1->Hint(), "按住CTRL并单击鼠标以跟踪链接");
    EXPECT_EQ(Form->gdBody1->Cursor(), crHandPoint);
    Word released = VK_CONTROL;
    Form->gdBody1KeyUp(Form->gdBody1, released, TShiftState{});
    EXPECT_EQ(Form->gdBody1->Cursor(), crDefault);
    // The demo's second credit is not confirmed: it can be changed.
    Main()->Last();
    UserKey(Form, "F7");
    ASSERT_EQ(Form->EditState, esEdit);
    EXPECT_EQ(colours("TB004"), std::pair(clBlack, false));
}

} // namespace

namespace {

// A click on a line column's title sorts the lines by it, a second click the other way; the titles of
// the line's key columns take the key colour.
TEST_F(Kvrx58Settings, ALineTitleClickSortsTheLinesAndKeyTitlesTakeTheKeyColour) {
    Open();
    UserKey(Form, "F6");
    UserClick(Form, "TabSheet1");
    ASSERT_GE(Body()->RecordCount(), 2);
    auto clickTitle = [this](const char* field) {
        const TRect cell = Form->gdBody1->CellRect(Form->gdBody1->GridColumnOf(field), 0);
        const LPARAM at = MakeLParam(cell.Left + 3, cell.Top + 3);
        Form->gdBody1->Perform(WM_LBUTTONDOWN, 0x0001, at);
        Form->gdBody1->Perform(WM_LBUTTONUP, 0, at);
    };
    auto titleImage = [this](const char* field) {
        return Form->gdBody1->TitleImageOf(Form->gdBody1->GridColumnOf(field));
    };
    EXPECT_EQ(titleImage("TB003"), -1);
    clickTitle("TB003");
    Body()->First();
    EXPECT_EQ(Line("TB003"), "0001");
    EXPECT_EQ(titleImage("TB003"), 0);
    clickTitle("TB003");
    Body()->First();
    EXPECT_EQ(Line("TB003"), "0002");
    EXPECT_EQ(titleImage("TB003"), 1);
    EXPECT_EQ(titleImage("TB004"), -1);
    struct Case {
        const char* Field;
        bool Key;
    };
    for (const Case& c : {Case{"TB003", true}, Case{"TB004", false}}) {
        TBrush brush;
        brush.SetColor(clBtnFace);
        Form->gdBody1CalcTitleAttributes(Form->gdBody1, c.Field, nullptr, &brush);
        EXPECT_EQ(brush.Color(), c.Key ? static_cast<TColor>(KeyFieldColor) : clBtnFace) << c.Field;
    }
}

} // namespace

namespace {

// A colour condition's or a user field's "TABLE.FIELD)" reference finds the header's and the lines'
// fields by their tables.
TEST_F(Kvrx58Settings, QualifiedReferencesFindHeaderAndLineFields) {
    Open();
    struct Case {
        const char* Reference;
        TDataSet* DataSet;
        const char* Field;
    };
    const Case cases[] = {{"KVRTA.TA005)", Main(), "TA005"},
                          {"KVRTB.TB004)", Body(), "TB004"},
                          {"PURTC.TB004)", nullptr, ""},
                          {"KVRTB.TA005)", nullptr, ""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Reference);
        TField* found = Form->FindQualifiedField(c.Reference);
        if (!c.DataSet) {
            EXPECT_EQ(found, nullptr);
            continue;
        }
        ASSERT_NE(found, nullptr);
        EXPECT_EQ(found->DataSet(), c.DataSet);
        EXPECT_EQ(found->FieldName(), c.Field);
    }
}

} // namespace
