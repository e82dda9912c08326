// The letter-of-credit form at a user's work against the demo database: saves without lines, the
// lookups of the lines and the issuing bank, the columns that the unit settings show, the closing
// month, the order line's fields emptied by a new order type, and the two kinds of numbering. What a
// save left behind is read from the database file itself.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "classlib/rtl/codepages.h"
#include "classlib/rtl/datetime.h"
#include "foundation/LibVCLs.h"
#include "framework/KnlDouble.h"
#include "tests/programs/Kvrx58Fixture.h"

namespace {

bool Asked(const std::vector<AnsiString>& messages, const char* message) {
    return std::find(messages.begin(), messages.end(), AnsiString(message)) != messages.end();
}

std::string Count(const char* table) {
    return std::string("SELECT COUNT(*) FROM ") + table;
}

class Kvrx58Work : public Kvrx58Fixture {};

TEST_F(Kvrx58Work, ASaveWithoutLinesWarnsOfAnIssuedAmountAndCancelStoresNothing) {
    Open();
    const std::string heads = Sql(Count("KVRTA")), lines = Sql(Count("KVRTB"));
    AddHeader("5102", "T-NOLINE", "100");
    ASSERT_EQ(Main()->FieldByName("TA040")->AsFloat(), 0);
    User.Answers = {"Cancel"};
    TakeMessages();
    UserKey(Form, "F12");
    EXPECT_TRUE(Asked(TakeMessages(), "W 100113")); // 100 issued against no lines at all
    EXPECT_EQ(Sql(Count("KVRTA")), heads);
    EXPECT_EQ(Sql(Count("KVRTB")), lines);
    EXPECT_EQ(Form->EditState, esInsert);
    EXPECT_FALSE(Body()->ControlsDisabled()); // the lines' grid still answers
    EXPECT_TRUE(Body()->IsEmpty());

    // Nothing issued, nothing to warn of: only the framework's question about a body without lines,
    // answered OK, and the header is stored alone.
    UserType(Form, "edTA018", "0");
    UserKey(Form, "F12");
    const std::vector<AnsiString> said = TakeMessages();
    EXPECT_FALSE(Asked(said, "W 100113"));
    EXPECT_TRUE(Asked(said, "W 100079"));
    EXPECT_FALSE(Body()->ControlsDisabled());
    EXPECT_EQ(Sql("SELECT COUNT(*) FROM KVRTA WHERE TA001 = '5102' AND TA002 = 'T-NOLINE'"), "1");
    EXPECT_EQ(Sql("SELECT COUNT(*) FROM KVRTB WHERE TB002 = 'T-NOLINE'"), "0");
}

TEST_F(Kvrx58Work, LinesWithoutAPurchaseTotalAllShareNothing) {
    Open();
    AddHeader("5102", "T-ZERO", "1000");
    F2OnColumn("TB004", {0, 1});
    Body()->Post();
    ASSERT_EQ(Body()->RecordCount(), 2);
    // Order lines of no amount: the lines' total TA040 is 0, and no share is divided by it.
    for (Body()->First(); !Body()->Eof(); Body()->Next()) {
        Body()->Edit();
        SetFieldText(Body()->FieldByName("TD011C"), "0", true);
        Body()->Post();
    }
    ASSERT_EQ(Main()->FieldByName("TA040")->AsFloat(), 0);
    ASSERT_GT(Main()->FieldByName("TA023")->AsFloat(), 0) << "10 % of the issued amount in local currency";
    UserKey(Form, "F12");
    EXPECT_EQ(Sql("SELECT COUNT(*) FROM KVRTB WHERE TB002 = 'T-ZERO'"), "2");
    EXPECT_EQ(Sql("SELECT COUNT(*) FROM KVRTB WHERE TB002 = 'T-ZERO' AND TB008 = 0"), "2");
}

TEST_F(Kvrx58Work, F2OnAReadOnlyLineColumnOpensNothing) {
    Open();
    AddHeader("5102", "T-RO", "0");
    F2OnColumn("TB004", {0});
    Body()->Post();
    ASSERT_EQ(Body()->RecordCount(), 1);
    const AnsiString item = Line("TD004C");
    ASSERT_FALSE(item.empty());
    for (const char* column : {"TB007", "TD004C", "TD011C", "TD012C"}) {
        SCOPED_TRACE(column);
        const size_t lookups = Chooser->Requests.size();
        Form->gdBody1->SetSelectedField(Body()->FieldByName(column));
        Word key = VK_F2;
        Form->DoF2Key(key, Form->gdBody1);
        EXPECT_EQ(key, 0);
        UserKey(Form, "F2", "gdBody1");
        EXPECT_EQ(Chooser->Requests.size(), lookups);
        EXPECT_EQ(Body()->RecordCount(), 1);
        EXPECT_EQ(Line("TD004C"), item);
    }
}

TEST_F(Kvrx58Work, F2OnTheOrderTypeGivesOneLinePerPickedRowAndNoEmptyLine) {
    Open();
    AddHeader("5102", "T-PICK", "0");
    F2OnColumn("TB004", {0, 1, 2});
    ASSERT_EQ(Chooser->Requests.size(), 1u);
    const TChooseRequest& request = Chooser->Requests[0];
    EXPECT_EQ(request.Table, "BYVTD");
    EXPECT_EQ(request.QueryNo, "06");
    EXPECT_TRUE(request.MultiSelect);
    ASSERT_GE(request.Rows.size(), 3u) << "the demo's supplier S0002 has open lines of factory F01 in USD";

    // The last picked line is still being edited, as a user leaves it; nothing else stands after it.
    EXPECT_EQ(Body()->State(), dsInsert);
    Body()->Post();
    ASSERT_EQ(Body()->RecordCount(), 3);
    double total = 0;
    int n = 0;
    for (Body()->First(); !Body()->Eof(); Body()->Next(), ++n) {
        SCOPED_TRACE(n);
        EXPECT_EQ(Line("TB004"), Trim(request.Rows[n][0].AsString()));
        EXPECT_EQ(Line("TB005"), Trim(request.Rows[n][1].AsString()));
        EXPECT_EQ(Line("TB006"), Trim(request.Rows[n][2].AsString()));
        EXPECT_FALSE(Line("TD004C").empty()); // the order line's check filled its columns
        total += Body()->FieldByName("TD011C")->AsFloat();
    }
    EXPECT_DOUBLE_EQ(Main()->FieldByName("TA040")->AsFloat(), total);

    // Saved as it stands: the issued amount is the lines' total, so no warning and no refused line.
    UserClick(Form, "TabSheet1");
    UserType(Form, "edTA018", FloatToStr(total));
    TakeMessages();
    UserKey(Form, "F12");
    const std::vector<AnsiString> said = TakeMessages();
    EXPECT_FALSE(Asked(said, "W 100113"));
    for (const AnsiString& message : said)
        EXPECT_NE(message.substr(0, 1), "E") << message; // no refused line, no required field missing
    EXPECT_EQ(Sql("SELECT COUNT(*) FROM KVRTB WHERE TB001 = '5102' AND TB002 = 'T-PICK'"), "3");
    EXPECT_EQ(Sql("SELECT COUNT(*) FROM KVRTB WHERE TB002 = 'T-PICK' AND (TB005 = '' OR TB005 IS NULL)"),
              "0");
}

TEST_F(Kvrx58Work, F3OnTheIssuingBankTakesABankAccountOrChangesNothing) {
    Open();
    // A browsed document takes no account: its page shows read-only, so the edit takes no key;
    // nothing opens, the record and the flag stay.
    UserClick(Form, "tbsHead1");
    ASSERT_FALSE(Main()->IsEmpty());
    const AnsiString browsed = Head("TA006");
    for (bool picked : {false, true}) {
        Form->BankAccountPicked = picked;
        Chooser->Picks.push_back({0});
        EXPECT_ANY_THROW(UserKey(Form, "F3", "edTA006"));
        EXPECT_TRUE(Chooser->Requests.empty());
        EXPECT_EQ(Form->edTA006->Text(), browsed);
        EXPECT_EQ(Form->BankAccountPicked, picked);
    }
    Chooser->Picks.clear();

    AddHeader("5102", "T-F3", "0");
    UserClick(Form, "tbsHead1");
    ASSERT_EQ(Head("TA006"), "B001");
    const AnsiString bankName = Head("TA006C");
    // Nothing picked: the field, its name and the flag stay as they were, whatever the flag was.
    for (bool picked : {false, true}) {
        SCOPED_TRACE(picked);
        Form->BankAccountPicked = picked;
        Chooser->Picks.push_back({});
        UserKey(Form, "F3", "edTA006");
        EXPECT_EQ(Chooser->Requests.back().Table, "GIMMA");
        EXPECT_EQ(Head("TA006"), "B001");
        EXPECT_EQ(Head("TA006C"), bankName);
        EXPECT_EQ(Form->BankAccountPicked, picked);
    }
    Form->BankAccountPicked = false;

    // A picked account needs no check of its own; the next bank typed is checked again.
    Chooser->Picks.push_back({0});
    TakeMessages();
    UserKey(Form, "F3", "edTA006");
    const TDbRow account = Chooser->Requests.back().Rows.at(0);
    UserKey(Form, "Tab", "edTA006");
    EXPECT_EQ(Head("TA006"), Trim(account[0].AsString()));
    EXPECT_EQ(Head("TA006C"), Trim(account[1].AsString()));
    EXPECT_EQ(Form->edTA006C->Text(), Trim(account[1].AsString()));
    EXPECT_FALSE(Asked(TakeMessages(), "W 000004"));
    EXPECT_FALSE(Form->BankAccountPicked);
    // The same account picked again changes nothing, and leaves nothing unchecked behind it.
    Chooser->Picks.push_back({0});
    UserKey(Form, "F3", "edTA006");
    EXPECT_EQ(Head("TA006"), Trim(account[0].AsString()));
    EXPECT_FALSE(Form->BankAccountPicked);
    User.Answers = {"Cancel"};
    UserType(Form, "edTA006", "NOBANK");
    EXPECT_TRUE(Asked(TakeMessages(), "W 000004"));
    EXPECT_EQ(Head("TA006"), Trim(account[0].AsString())); // the unknown bank refused
}

TEST_F(Kvrx58Work, PricingAndPackageColumnsFollowTheUnitSettings) {
    Open();
    const struct {
        const char* Sys024;
        const char* Sys070;
        bool Pricing, Package;
    } cases[] =
        {
            {"1", "Y", true, false},  {"1", "N", false, false}, {"2", "Y", false, false},
            {"2", "N", false, false}, {"3", "Y", true, true},   {"3", "N", false, true},
            {"0", "Y", false, true}, // no unit kind: the package columns keep what they had
        };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.Sys024) + "/" + c.Sys070);
        for (const char* name : {"TD038C", "TD039C", "TD030C", "TD032C"})
            Body()->FieldByName(name)->SetVisible(true);
        Form->Broker->SetSysSetting("SYS024", c.Sys024);
        Form->Broker->SetSysSetting("SYS070", c.Sys070);
        Form->ApplyInputSettings();
        for (const char* name : {"TD038C", "TD039C"})
            EXPECT_EQ(Body()->FieldByName(name)->Visible(), c.Pricing) << name;
        for (const char* name : {"TD030C", "TD032C"})
            EXPECT_EQ(Body()->FieldByName(name)->Visible(), c.Package) << name;
    }
}

TEST_F(Kvrx58Work, AClosingMonthAfterTodayLeavesTheIssueDateAndTheDefaultFactoryEmpty) {
    const AnsiString today = FormatDateTime("yyyymmdd", Now());
    const struct {
        const char* Closing;
        AnsiString Date;
        bool Factory;
    } cases[] = {{"202601", today, true}, {"209901", "", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Closing);
        Open();
        Form->Broker->SetSysSetting("Sys011", c.Closing);
        UserKey(Form, "F5");
        EXPECT_EQ(Head("TA008"), c.Date);
        EXPECT_EQ(Head("TA042"), c.Date);
        EXPECT_EQ(Head("TA036").empty(), !c.Factory);
        TakeMessages();
        if (!c.Factory) {
            // A date of a closed month is refused and the field keeps what it had.
            Main()->FieldByName("TA008")->SetAsString("");
            EXPECT_THROW(Main()->FieldByName("TA008")->SetAsString(today), EAbort);
            EXPECT_TRUE(Asked(TakeMessages(), "E 100013"));
            EXPECT_EQ(Head("TA008"), "");
        }
        UserKey(Form, "Esc");
        delete Form;
        Form = nullptr;
    }
}

TEST_F(Kvrx58Work, ANewOrderTypeOrNumberEmptiesWhatFollowsItOnTheLine) {
    Open();
    AddHeader("5102", "T-TYPE", "0");
    F2OnColumn("TB004", {0});
    Body()->Post();
    ASSERT_FALSE(Line("TB006").empty());
    const AnsiString item = Line("TD004C"), amount = Line("TD011C");
    const struct {
        const char* Field;
        std::vector<const char*> Emptied, Kept;
    } cases[] = {
        {"TB005", {"TB006"}, {"TB004"}},
        {"TB004", {"TB005", "TB006"}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Field);
        const AnsiString before = Line("TB004");
        ASSERT_FALSE(Line("TB006").empty());
        Body()->Edit();
        Body()->FieldByName(c.Field)->SetAsString("3302");
        for (const char* name : c.Emptied)
            EXPECT_EQ(Line(name), "") << name;
        for (const char* name : c.Kept)
            EXPECT_EQ(Line(name), before) << name;
        // The purchase-order columns stay until another order line is checked.
        EXPECT_EQ(Line("TD004C"), item);
        EXPECT_EQ(Line("TD011C"), amount);
        Body()->Cancel();
    }
}

TEST_F(Kvrx58Work, AHandNumberedTypeLeavesTheNumberToTheUserAndANumberedOneTakesTheServers) {
    Open();
    // 5102 is numbered by hand (its numbering kind is "4"): the number is the user's, and it is stored.
    AddHeader("5102");
    EXPECT_FALSE(Form->Module()->AutoKey);
    EXPECT_EQ(Head("TA002"), "");
    UserType(Form, "edTA002", "HAND-0001");
    F2OnColumn("TB004", {0});
    UserKey(Form, "F12"); // the issued amount 0 against the line: W 100113 answered OK
    EXPECT_EQ(Sql("SELECT COUNT(*) FROM KVRTA WHERE TA001 = '5102' AND TA002 = 'HAND-0001'"), "1");
    EXPECT_EQ(Sql("SELECT COUNT(*) FROM KVRTB WHERE TB001 = '5102' AND TB002 = 'HAND-0001'"), "1");
    // The next document (kept on add) keeps the type, and its number is again the user's to type.
    EXPECT_EQ(Form->EditState, esInsert);
    EXPECT_EQ(Head("TA001"), "5102");
    EXPECT_EQ(Head("TA002"), "");
    UserKey(Form, "Esc");

    // 5101 is numbered from the issue date, and the server's number is the stored one.
    AddHeader("5101");
    EXPECT_TRUE(Form->Module()->AutoKey);
    const AnsiString given = Head("TA002");
    EXPECT_EQ(given.substr(0, 8), Head("TA008"));
    F2OnColumn("TB004", {0});
    UserKey(Form, "F12");
    EXPECT_EQ(Sql("SELECT COUNT(*) FROM KVRTA WHERE TA001 = '5101' AND TA002 = '" + given + "'"), "1");
    EXPECT_EQ(Sql("SELECT COUNT(*) FROM KVRTB WHERE TB001 = '5101' AND TB002 = '" + given + "'"), "1");

    // A numbered type changed to a hand-numbered one while adding leaves no number of the other type.
    AddHeader("5101");
    ASSERT_FALSE(Head("TA002").empty());
    UserType(Form, "edTA001", "5102");
    EXPECT_FALSE(Form->Module()->AutoKey);
    EXPECT_EQ(Head("TA002"), "");
}

// The administrator's user-defined fields without related fields take the server's values in every
// new document and every new line; the saved rows hold them.
TEST_F(Kvrx58Work, NewDocumentsAndLinesTakeTheServersUserFieldDefaults) {
    Open();
    Administer("INSERT INTO WOQTK (TK001, TK002, TK003) VALUES ('TDEF', 'defaults', 'Y');"
               "INSERT INTO WOQTL (TL001, TL002, TL003, TL005, TL006, TL010, TL011, TL012, TL013) VALUES "
               "('TDEF', '0001', 'KVRX58', 'Z01', 'UDF02', 'Y', 1, '', 'SELECT ''CD-2026'''),"
               "('TDEF', '0002', 'KVRX58', 'Z01D', 'UDF03', 'Y', 2, '', 'SELECT ''BOX''');");
    // The definitions are read as the form starts.
    delete Form;
    Form = nullptr;
    Open();
    AddHeader("5102", "T-UDF", "0");
    EXPECT_EQ(Head("UDF02"), "CD-2026");
    F2OnColumn("TB004", {0});
    EXPECT_EQ(Line("UDF03"), "BOX");
    Body()->Post();
    ASSERT_EQ(Body()->RecordCount(), 1);
    UserKey(Form, "F12");
    ASSERT_FALSE(Form->LastSaveFailed);
    EXPECT_EQ(Sql("SELECT UDF02 FROM KVRTA WHERE TA002 = 'T-UDF'"), "CD-2026");
    EXPECT_EQ(Sql("SELECT UDF03 FROM KVRTB WHERE TB002 = 'T-UDF'"), "BOX");
}

// A line user-defined field fed by a header field is computed anew for every line once the changed
// header is posted, after W 200399; Cancel stops the save with the lines as they were and the work
// still pending, so the next save asks again.
TEST_F(Kvrx58Work, AChangedHeaderFieldRecomputesTheLinesUserFieldsAfterAsking) {
    Open();
    Administer("INSERT INTO WOQTK (TK001, TK002, TK003) VALUES ('TREC', 'recalc', 'Y');"
               "INSERT INTO WOQTL (TL001, TL002, TL003, TL005, TL006, TL010, TL011, TL012, TL013) VALUES "
               "('TREC', '0001', 'KVRX58', 'Z01D', 'UDF03', 'Y', 1, 'KVRTA.TA004]', "
               "'SELECT ''for '' || %1');");
    // The definitions are read as the form starts; the query command fetches without a dialog.
    delete Form;
    Form = nullptr;
    TfrmKvrx58Scripted::QueryDialogMaker = [](TfrmSingle*) { return std::unique_ptr<TQueryDialog>(); };
    Open();
    AddHeader("5102", "T-REC", "0");
    F2OnColumn("TB004", {0, 1});
    Body()->Post();
    ASSERT_EQ(Body()->RecordCount(), 2);
    UserKey(Form, "F12");
    ASSERT_FALSE(Form->LastSaveFailed);
    UserKey(Form, "Esc");
    const std::string lines = "SELECT GROUP_CONCAT(UDF03, '|') FROM KVRTB WHERE TB002 = 'T-REC'";
    const std::string before = Sql(lines);

    UserKey(Form, "F6");
    ASSERT_TRUE(Main()->Locate("TA002", Variant(AnsiString("T-REC"))));
    UserKey(Form, "F7");
    ASSERT_EQ(Form->EditState, esEdit);
    UserType(Form, "edTA004", "LC-NEW");
    TakeMessages();
    // The issued amount 0 against the lines (W 100113) is let stand; the lines' question is cancelled.
    User.Answers = {"OK", "Cancel"};
    UserKey(Form, "F12");
    EXPECT_EQ(TakeMessages(), (std::vector<AnsiString>{"W 100113", "W 200399"}));
    EXPECT_TRUE(Form->LastSaveFailed);
    EXPECT_EQ(Form->EditState, esEdit);
    EXPECT_EQ(Sql("SELECT TA004 FROM KVRTA WHERE TA002 = 'T-REC'"), "LC-T-001");
    EXPECT_EQ(Sql(lines), before);

    User.Answers = {"OK", "OK"};
    UserKey(Form, "F12");
    EXPECT_EQ(TakeMessages(), (std::vector<AnsiString>{"W 100113", "W 200399"}));
    ASSERT_FALSE(Form->LastSaveFailed);
    EXPECT_EQ(Sql("SELECT TA004 FROM KVRTA WHERE TA002 = 'T-REC'"), "LC-NEW");
    EXPECT_EQ(Sql(lines), "for LC-NEW|for LC-NEW");
}

// The line user-defined columns get their editors as the company's settings make them: a list of the
// set items, else an edit whose F2 (key or button) opens the phrase picker and writes the pick.
TEST_F(Kvrx58Work, TheLinesUserFieldsGetTheirEditorsAndTheirLookup) {
    Open();
    Administer("INSERT INTO WOQMF (MF001, MF002, MF003) VALUES ('DEMO', 'KVRX58', "
               "'<MT_User CompanyID=\"DEMO\" ProgID=\"KVRX58\"><gdBody1>"
               "<Field ID=\"UDF03\"><Visible>Y</Visible><ControlType>Combo</ControlType>"
               "<Items>FCL</Items></Field>"
               "<Field ID=\"UDF04\"><Visible>Y</Visible></Field></gdBody1></MT_User>')");
    delete Form;
    Form = nullptr;
    Open();
    auto* combo = dynamic_cast<TwwDBComboBox*>(Form->gdBody1->CustomEditorOf(Body()->FieldByName("UDF03")));
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(combo->Name(), "cboUDF03G_UDF");
    EXPECT_EQ(combo->Style(), csDropDownList);
    EXPECT_EQ(combo->Items()->Text(), "FCL\r\n");
    auto* edit = dynamic_cast<TwwDBComboDlg*>(Form->gdBody1->CustomEditorOf(Body()->FieldByName("UDF04")));
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->Hint(), "[F2]常用语查询");
    EXPECT_EQ(Form->gdBody1->CustomEditorOf(Body()->FieldByName("TB004"))->Name(), "cboTB004G");

    AddHeader("5102", "T-UDFL", "0");
    F2OnColumn("TB004", {0});
    struct Case {
        const char* How;
        int Pick;
        std::function<void(int)> Ask;
    };
    const Case cases[] = {
        {"F2 on the column", 1, [this](int pick) { F2OnColumn("UDF04", {pick}); }},
        {"the editor's button", 2,
         [this, edit](int pick) {
             Chooser->Picks.push_back({pick});
             Application->RunUserAction([edit] { edit->DropDown(); });
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.How);
        const size_t asked = Chooser->Requests.size();
        c.Ask(c.Pick);
        ASSERT_EQ(Chooser->Requests.size(), asked + 1);
        const TChooseRequest& request = Chooser->Requests.back();
        ASSERT_EQ(request.Kind, TChooseKind::Phrase);
        ASSERT_GT(request.Rows.size(), static_cast<size_t>(c.Pick));
        EXPECT_EQ(Line("UDF04"), VarText(request.Rows[static_cast<size_t>(c.Pick)][0]));
    }
    const AnsiString picked = Line("UDF04");
    Body()->Post();
    UserKey(Form, "F12");
    ASSERT_FALSE(Form->LastSaveFailed);
    EXPECT_EQ(Utf8ToAnsi(Sql("SELECT UDF04 FROM KVRTB WHERE TB002 = 'T-UDFL'")), picked);
}

// The lines' grid opens the F2/F3/F4 pop-up: its F2 item runs the lookup of the selected column, as the
// key does, and the picked purchase-order line fills the line.
TEST_F(Kvrx58Work, TheLinesPopUpRunsTheSelectedColumnsLookup) {
    Open();
    ASSERT_EQ(Form->gdBody1->PopupMenuComponent(), Form->popOpenF2Window);
    AddHeader("5102", "T-POP", "0");
    Application->RunUserAction([this] { Form->gdBody1->SetFocus(); });
    Application->RunUserAction([this] { Form->gdBody1->SetSelectedField(Body()->FieldByName("TB004")); });
    Chooser->Picks.push_back({0});
    const size_t asked = Chooser->Requests.size();
    Application->RunUserAction([this] {
        Form->popOpenF2Window->SetPopupComponent(Form->gdBody1);
        Form->miOpenF2Window->Click();
    });
    EXPECT_EQ(Chooser->Requests.size(), asked + 1);
    ASSERT_FALSE(Body()->IsEmpty());
    EXPECT_FALSE(Line("TB004").empty());
}

// What a walk over the lines answers: another line, not of the current line's number, holding the
// current line's order line.
bool WalkedOrderLineTaken(TClientDataSet* lines) {
    auto key = [](TDataSet* d) {
        return d->FieldByName("TB004")->AsString() + "\x01" + d->FieldByName("TB005")->AsString() + "\x01" +
               d->FieldByName("TB006")->AsString();
    };
    auto clone = std::make_unique<TClientDataSet>(nullptr);
    clone->CloneCursor(lines, false, false);
    for (clone->First(); !clone->Eof(); clone->Next())
        if (clone->FieldByName("TB003")->AsString() != lines->FieldByName("TB003")->AsString() &&
            key(clone.get()) == key(lines))
            return true;
    return false;
}

TEST_F(Kvrx58Work, AnOrderLineOnTwoLinesIsFoundAfterEveryChangeOfTheLines) {
    Open();
    AddHeader("5102", "T-KEYS", "0");
    // Order lines typed without their lookups, so that made-up ones stand.
    std::vector<std::pair<TField*, TFieldNotifyEvent>> checks;
    for (const char* name : {"TB004", "TB005", "TB006"}) {
        TField* field = Body()->FieldByName(name);
        checks.emplace_back(field, field->OnValidate());
        field->SetOnValidate(TFieldNotifyEvent());
    }
    // Lines changed behind the form's back, so that any state of them can be asked about.
    auto other = std::make_unique<TClientDataSet>(nullptr);
    other->CloneCursor(Body(), false, false);
    auto put = [&](const char* no, const char* type, const char* number, const char* seq) {
        other->FieldByName("TB001")->SetAsString("5102");
        other->FieldByName("TB002")->SetAsString("T-KEYS");
        other->FieldByName("TB003")->SetAsString(no);
        other->FieldByName("TB004")->SetAsString(type);
        other->FieldByName("TB005")->SetAsString(number);
        other->FieldByName("TB006")->SetAsString(seq);
        other->Post();
    };
    auto append = [&](const char* no, const char* type, const char* number, const char* seq) {
        other->Append();
        put(no, type, number, seq);
    };
    auto edit = [&](const char* no, const char* type, const char* number, const char* seq) {
        ASSERT_TRUE(other->Locate("TB003", Variant(no)));
        other->Edit();
        put(no, type, number, seq);
    };
    const struct {
        const char* Step;
        std::function<void()> Change;
    } steps[] = {
        {"three lines",
         [&] {
             append("0001", "3301", "PO1", "0001");
             append("0002", "3301", "PO1", "0002");
             append("0003", "3302", "PO2", "0001");
         }},
        {"an order line on a second line", [&] { append("0004", "3301", "PO1", "0001"); }},
        {"a line edited to another's order line", [&] { edit("0003", "3301", "PO1", "0002"); }},
        {"a line edited back", [&] { edit("0003", "3302", "PO2", "0001"); }},
        {"a line deleted",
         [&] {
             ASSERT_TRUE(other->Locate("TB003", Variant("0004")));
             other->Delete();
         }},
        {"a second line of the same number and order line", [&] { append("0002", "3301", "PO1", "0002"); }},
        {"an order line whose parts run into each other",
         [&] {
             append("0005", "33", "\x01PO", "0001");
             append("0006", "33\x01", "PO", "0001");
         }},
        {"a line of the same number and another order line", [&] { append("0001", "3302", "PO2", "0001"); }},
    };
    TLineKeyIndex index;
    const char* asked[][4] = {{"0001", "3301", "PO1", "0001"},
                              {"0002", "3301", "PO1", "0002"},
                              {"0009", "3302", "PO2", "0001"},
                              {"0001", "3399", "PO9", "0001"}};
    for (const auto& step : steps) {
        SCOPED_TRACE(step.Step);
        step.Change();
        // Each line as it stands, then changed to each of the asked order lines, as a line is posted.
        for (Body()->First(); !Body()->Eof(); Body()->Next()) {
            EXPECT_EQ(OrderLineTaken(Body(), index), WalkedOrderLineTaken(Body())) << Line("TB003");
            for (const auto& line : asked) {
                Body()->Edit();
                for (int i = 0; i < 4; ++i)
                    Body()->FieldByName(("TB00" + std::to_string(i + 3)).c_str())->SetAsString(line[i]);
                EXPECT_EQ(OrderLineTaken(Body(), index), WalkedOrderLineTaken(Body()))
                    << Line("TB003") << " as " << line[0] << line[1] << line[2] << line[3];
                Body()->Cancel();
            }
        }
        for (const auto& line : asked) {
            Body()->Append();
            for (int i = 0; i < 4; ++i)
                Body()->FieldByName(("TB00" + std::to_string(i + 3)).c_str())->SetAsString(line[i]);
            EXPECT_EQ(OrderLineTaken(Body(), index), WalkedOrderLineTaken(Body()))
                << "new " << line[0] << line[1] << line[2] << line[3];
            Body()->Cancel();
        }
    }
    // The form's own check says E 000002 for an order line already on another line.
    Body()->Append();
    Body()->FieldByName("TB003")->SetAsString("0010");
    Body()->FieldByName("TB004")->SetAsString("3301");
    Body()->FieldByName("TB005")->SetAsString("PO1");
    Body()->FieldByName("TB006")->SetAsString("0001");
    EXPECT_THROW(Form->ValidateRecord(Body()), EAbort);
    EXPECT_TRUE(Asked(TakeMessages(), "E 000002"));
    Body()->Cancel();
    for (auto& [field, check] : checks)
        field->SetOnValidate(check);
}

} // namespace
