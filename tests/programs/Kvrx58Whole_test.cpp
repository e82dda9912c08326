// The letter-of-credit form's fields as a user meets them against the demo database: the lookups, date
// and phrase picks of the header, the checks that refuse a value (and keep the old one), the amounts
// that follow the issued amount and the ratio, the shares of the self-financed amount in local money,
// the settings and rights that show or lock fields, what a new credit keeps of the last one, the
// document type's after-save flags and sign-off state, and a browsed credit that F2 leaves alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "classlib/rtl/datetime.h"
#include "foundation/LibVCLs.h"
#include "tests/programs/Kvrx58Fixture.h"

namespace {

bool Asked(const std::vector<AnsiString>& messages, const char* message) {
    return std::find(messages.begin(), messages.end(), AnsiString(message)) != messages.end();
}

class Kvrx58Whole : public Kvrx58Fixture {
protected:
    // A new credit of the given supplier, issuing bank and factory, typed as a user does.
    void AddCredit(const AnsiString& number, const AnsiString& supplier, const AnsiString& bank,
                   const AnsiString& factory, const AnsiString& amount) {
        UserKey(Form, "F5");
        UserType(Form, "edTA001", "5102");
        UserType(Form, "edTA002", number);
        UserType(Form, "edTA004", "LC-" + number);
        UserType(Form, "edTA005", supplier);
        UserClick(Form, "tbsHead1");
        UserType(Form, "edTA006", bank);
        UserType(Form, "edTA036", factory);
        UserClick(Form, "TabSheet1");
        UserType(Form, "edTA018", amount);
    }
    void Reopen() {
        delete Form;
        Form = nullptr;
        Open();
    }
};

TEST_F(Kvrx58Whole, F2OnAHeaderFieldAsksItsTableAndTakesThePickedRow) {
    Open();
    AddCredit("T-F2", "S0002", "B001", "F01", "1000");
    const struct {
        const char* Control;
        const char* Page;
        const char* Table;
        const char* QueryNo;
        const char* Field;
        size_t Rows; // what the lookup offers with this credit's keys
    } cases[] = {
        {"edTA017", "TabSheet1", "TAZMG", "03", "TA017", 5}, // the rates of USD only
        {"edTA006", "tbsHead1", "TAZMO", "01", "TA006", 3},
        {"edTA036", "tbsHead1", "TAZMB", "01", "TA036", 3},
        {"edTA016", "TabSheet1", "TAZMF", "01", "TA016", 5},
        {"edTA005", "", "BYVMA", "01", "TA005", 4},
        {"edTA001", "", "TAZMQ", "01", "TA001", 4}, // the valid letter-of-credit types only
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Control);
        if (*c.Page) UserClick(Form, c.Page);
        Chooser->Picks.push_back({0});
        const size_t before = Chooser->Requests.size();
        UserKey(Form, "F2", c.Control);
        ASSERT_EQ(Chooser->Requests.size(), before + 1);
        const TChooseRequest& request = Chooser->Requests.back();
        EXPECT_EQ(request.Table, c.Table);
        EXPECT_EQ(request.QueryNo, c.QueryNo);
        ASSERT_EQ(request.Rows.size(), c.Rows);
        TField* field = Main()->FieldByName(c.Field);
        if (field->DataType() == ftFloat)
            EXPECT_DOUBLE_EQ(field->AsFloat(), request.Rows[0][0].AsFloat());
        else
            EXPECT_EQ(field->AsString(), Trim(request.Rows[0][0].AsString()));
    }
    EXPECT_EQ(Head("TA001"), "5101");
}

TEST_F(Kvrx58Whole, F2OnADateTakesThePickedDateAndOnATextItsPhrase) {
    Open();
    AddCredit("T-PICKS", "S0002", "B001", "F01", "0");
    const struct {
        const char* Control;
        const char* Page;
        const char* Field;
    } dates[] = {
        {"edTA008", "", "TA008"},         {"edTA009", "tbsHead1", "TA009"}, {"edTA012", "tbsHead1", "TA012"},
        {"edTA014", "tbsHead1", "TA014"}, {"edTA015", "tbsHead1", "TA015"},
    };
    int day = 10;
    for (const auto& c : dates) {
        SCOPED_TRACE(c.Control);
        if (*c.Page) UserClick(Form, c.Page);
        const AnsiString date = "202701" + IntToStr(day++);
        Chooser->Dates.push_back(date);
        const int asked = Chooser->DatesAsked;
        UserKey(Form, "F2", c.Control);
        EXPECT_EQ(Chooser->DatesAsked, asked + 1);
        EXPECT_EQ(Head(c.Field), date);
    }
    EXPECT_EQ(Head("TA042"), "20270110"); // the issue date's confirm-date mirror
    // No date picked: the field keeps its date.
    UserKey(Form, "F2", "edTA009");
    EXPECT_EQ(Head("TA009"), "20270111");

    const struct {
        const char* Control;
        const char* Page;
        const char* Field;
    } phrases[] = {{"edTA013", "tbsHead1", "TA013"}, {"edTA037", "TabSheet2", "TA037"}};
    for (const auto& c : phrases) {
        SCOPED_TRACE(c.Control);
        UserClick(Form, c.Page);
        Chooser->Picks.push_back({1});
        UserKey(Form, "F2", c.Control);
        const TChooseRequest& request = Chooser->Requests.back();
        EXPECT_EQ(request.Kind, TChooseKind::Phrase);
        ASSERT_GE(request.Rows.size(), 2u);
        const TDbRow& row = request.Rows[1];
        EXPECT_TRUE(std::any_of(row.begin(), row.end(), [&](const Variant& v) {
            return Trim(VarToStr(v)) == Head(c.Field);
        })) << Head(c.Field);
        EXPECT_FALSE(Head(c.Field).empty());
    }
}

TEST_F(Kvrx58Whole, ARefusedValueIsSaidAndTheFieldKeepsWhatItHad) {
    Open();
    AddCredit("T-REFUSED", "S0002", "B001", "F01", "1000");
    const struct {
        const char* Control;
        const char* Page;
        const char* Typed;
        const char* Field;
        const char* Message;
    } cases[] = {
        {"edTA017", "TabSheet1", "-1", "TA017", "E 100006"},
        {"edTA018", "TabSheet1", "-5", "TA018", "E 100006"},
        {"edTA016", "TabSheet1", "XYZ", "TA016", "E 000001"},
        {"edTA036", "tbsHead1", "X99", "TA036", "E 000001"},
        {"edTA008", "", "20261340", "TA008", "E 000005"},
        {"edTA002", "", "T-DUP", "TA002", "E 000002"}, // the number of the credit saved below
    };
    // A credit numbered T-DUP is stored first, so that its number is taken.
    UserType(Form, "edTA002", "T-DUP");
    F2OnColumn("TB004", {0});
    UserClick(Form, "TabSheet1");
    UserType(Form, "edTA018", FloatToStr(Main()->FieldByName("TA040")->AsFloat()));
    UserKey(Form, "F12");
    ASSERT_EQ(Sql("SELECT COUNT(*) FROM KVRTA WHERE TA001 = '5102' AND TA002 = 'T-DUP'"), "1");
    ASSERT_EQ(Form->EditState, esInsert); // the next credit, kept on add
    UserType(Form, "edTA002", "T-OTHER");
    UserType(Form, "edTA005", "S0002");
    UserClick(Form, "TabSheet1");
    UserType(Form, "edTA018", "1000");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Control);
        if (*c.Page) UserClick(Form, c.Page);
        const AnsiString before = Head(c.Field);
        TakeMessages();
        UserType(Form, c.Control, c.Typed);
        const std::vector<AnsiString> said = TakeMessages();
        EXPECT_TRUE(Asked(said, c.Message)) << (said.empty() ? AnsiString("none") : said[0]);
        EXPECT_EQ(Head(c.Field), before);
        // The refused text stays in the edit until the user types a value that passes (a date as its
        // eight digits, which is all its edit takes).
        TField* field = Main()->FieldByName(c.Field);
        UserType(Form, c.Control, field->EditMask().empty() ? field->Text() : field->AsString());
        const std::vector<AnsiString> again = TakeMessages();
        EXPECT_TRUE(again.empty()) << again[0] << " " << Main()->FieldByName(c.Field)->Text();
    }
    // A required field left empty: the save is refused with its label, and nothing is stored.
    UserType(Form, "edTA004", "");
    TakeMessages();
    UserKey(Form, "F12");
    EXPECT_TRUE(Asked(TakeMessages(), "E 000003"));
    EXPECT_EQ(Form->EditState, esInsert);
    EXPECT_EQ(Sql("SELECT COUNT(*) FROM KVRTA WHERE TA002 = 'T-OTHER'"), "0");
}

TEST_F(Kvrx58Whole, TheAmountsFollowTheIssuedAmountTheRatioAndTheRate) {
    Open();
    AddCredit("T-AMOUNT", "S0002", "B001", "F01", "1000");
    const double rate = Main()->FieldByName("TA017")->AsFloat();
    ASSERT_GT(rate, 0);
    const struct {
        const char* Control;
        const char* Typed;
        double Issued, Ratio;
    } steps[] = {
        {"edTA018", "1000", 1000, 0.10},
        {"edTA021", "20", 1000, 0.20},
        {"edTA018", "2500", 2500, 0.20},
        {"edTA021", "0", 2500, 0}, // 0 % finances nothing
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(std::string(s.Control) + " " + s.Typed);
        UserType(Form, s.Control, s.Typed);
        EXPECT_DOUBLE_EQ(Main()->FieldByName("TA019C")->AsFloat(), s.Issued); // nothing amended yet
        EXPECT_NEAR(Main()->FieldByName("TA022")->AsFloat(), s.Issued * s.Ratio, 1e-9);
        EXPECT_NEAR(Main()->FieldByName("TA023")->AsFloat(),
                    std::round(s.Issued * s.Ratio * rate * 100) / 100, 1e-9);
    }
    // The local currency's code beside the self-financed amount, whatever the record holds.
    for (const char* local : {"RMB", "HKD"}) {
        Form->Broker->SetSysSetting("SYS003", local);
        EXPECT_EQ(Main()->FieldByName("TA023C")->DisplayText(), local);
    }
}

TEST_F(Kvrx58Whole, TheSharesAreLocalMoneyThatAddsUpToTheSelfFinancedAmount) {
    const struct {
        const char* Local;
        const char* Supplier;
        const char* Bank;
        const char* Factory;
        std::vector<int> Picks;
        const char* Issued;
        int Decimals;
        std::vector<double> Shares; // expected, when known
    } cases[] = {
        {"RMB", "S0003", "B003", "F03", {0, 1}, "7774000", 2, {17404.00, 19522.50}}, // yen against fen
        {"RMB", "S0002", "B001", "F01", {0, 1, 2}, "72000", 2, {}},
        {"JPY", "S0002", "B001", "F01", {0, 1, 2}, "72000", 0, {}}, // a local currency without decimals
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.Local) + "/" + c.Supplier);
        Db.reset(); // a fresh demo database: its order lines free again
        Db = std::make_unique<TServerDatabase>();
        Open();
        Form->Broker->SetSysSetting("SYS003", c.Local);
        const AnsiString number = "T-SHARE-" + IntToStr(++n);
        AddCredit(number, c.Supplier, c.Bank, c.Factory, c.Issued);
        TakeMessages();
        F2OnColumn("TB004", c.Picks);
        Body()->Post();
        const std::vector<AnsiString> said = TakeMessages();
        ASSERT_EQ(Body()->RecordCount(), static_cast<int>(c.Picks.size()))
            << (said.empty() ? AnsiString() : said[0]);
        User.Answers = {"OK"}; // the issued amount need not be the lines' total
        UserKey(Form, "F12");
        const std::string where = " WHERE TB001 = '5102' AND TB002 = '" + number + "'";
        ASSERT_EQ(Sql("SELECT COUNT(*) FROM KVRTB" + where), std::to_string(c.Picks.size()));
        const double financed =
            std::stod(Sql("SELECT TA023 FROM KVRTA WHERE TA001 = '5102' AND TA002 = '" + number + "'"));
        const double unit = std::pow(10.0, c.Decimals);
        EXPECT_DOUBLE_EQ(std::round(financed * unit) / unit, financed); // itself at the local decimals
        EXPECT_NEAR(std::stod(Sql("SELECT SUM(TB008) FROM KVRTB" + where)), financed, 1e-6);
        for (size_t line = 0; line < c.Picks.size(); ++line) {
            const double share = std::stod(Sql("SELECT TB008 FROM KVRTB" + where +
                                               " ORDER BY TB003 LIMIT 1 OFFSET " + std::to_string(line)));
            EXPECT_NEAR(std::round(share * unit) / unit, share, 1e-9) << line;
            if (!c.Shares.empty()) {
                EXPECT_NEAR(share, c.Shares[line], 1e-9) << line;
            }
        }
        delete Form;
        Form = nullptr;
    }
}

TEST_F(Kvrx58Whole, TheUnitSettingsAndTheAmountRightsShowOrLockTheirFields) {
    Open();
    const struct {
        const char* Setting;
        const char* Value;
        const char* Control;
        const char* Field;
        bool Visible;
    } settings[] = {
        {"Sys060", "Y", "cboTA044", "TA044", true},
        {"Sys060", "N", "cboTA044", "TA044", false},
        {"Sys042", "Y", "edTA045", "TA045", true},
        {"Sys042", "", "edTA045", "TA045", false},
    };
    for (const auto& s : settings) {
        SCOPED_TRACE(std::string(s.Setting) + "=" + s.Value);
        auto* control = dynamic_cast<TControl*>(Form->FindComponent(s.Control));
        ASSERT_NE(control, nullptr);
        control->SetVisible(true);
        Main()->FieldByName(s.Field)->SetVisible(true);
        Form->Broker->SetSysSetting(s.Setting, s.Value);
        Form->ApplyInputSettings();
        EXPECT_EQ(control->Visible(), s.Visible);
        EXPECT_EQ(Main()->FieldByName(s.Field)->Visible(), s.Visible);
    }
    // The date and percentage masks; decimal group 0 at the local currency's money decimals.
    for (const char* name : {"TA008", "TA009", "TA012", "TA014", "TA015"})
        EXPECT_EQ(Main()->FieldByName(name)->EditMask(), Form->Module()->DateFieldEditMask()) << name;
    EXPECT_EQ(Body()->FieldByName("TD012C")->EditMask(), Form->Module()->DateFieldEditMask());
    EXPECT_EQ(Main()->FieldByName("TA021")->EditMask(), Form->Module()->PercentFieldEditMask());
    for (const auto& [local, places] : {std::pair<const char*, int>{"JPY", 0}, {"RMB", 2}}) {
        Form->Broker->SetSysSetting("SYS003", local);
        Form->ApplyInputSettings();
        EXPECT_EQ(Form->Module()->GetDecimalGroupPlaces(0), places) << local;
    }

    // Without the amount right the amounts are taken off the form; with the read-only one they stay
    // and cannot be typed into.
    const struct {
        std::vector<int> Without, With;
        bool Visible, ReadOnly;
    } rights[] = {{{33, 35}, {}, false, false}, {{}, {35}, true, true}, {{35}, {33}, true, false}};
    for (const auto& r : rights) {
        SCOPED_TRACE(r.Visible * 2 + r.ReadOnly);
        Reopen();
        for (int right : r.Without)
            Form->Rights.Exclude(right);
        for (int right : r.With)
            Form->Rights.Include(right);
        Form->ApplyInputSettings();
        auto* edit = dynamic_cast<TWinControl*>(Form->FindComponent("edTA018"));
        for (TField* field : {Main()->FieldByName("TA018"), Main()->FieldByName("TA023")}) {
            EXPECT_EQ(field->Visible(), r.Visible) << field->FieldName();
            EXPECT_EQ(field->ReadOnly(), r.ReadOnly) << field->FieldName();
        }
        EXPECT_EQ(Body()->FieldByName("TD011C")->Visible(), r.Visible); // read-only by itself

        EXPECT_EQ(edit->Enabled(), r.Visible);
        EXPECT_FALSE(Main()->FieldByName("TA021")->ReadOnly()); // the ratio is no amount
    }
}

TEST_F(Kvrx58Whole, TheNextCreditKeepsTypeFactoryAndAnIssueDateThatTodayDoesNotReplace) {
    const AnsiString today = FormatDateTime("yyyymmdd", Now());
    const AnsiString nextMonth = FormatDateTime("yyyymm", IncMonth(Now(), 1));
    const struct {
        AnsiString Closing, Typed, Kept;
    } cases[] = {
        {"202601", today, today},                        // an open month: the next credit is dated today
        {nextMonth, nextMonth + "05", nextMonth + "05"}, // today is closed: the last date is kept
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Closing);
        Open();
        Form->Broker->SetSysSetting("Sys011", c.Closing);
        const AnsiString number = "T-KEEP-" + IntToStr(++n);
        AddCredit(number, "S0002", "B001", "F02", "0");
        UserType(Form, "edTA008", c.Typed);
        ASSERT_EQ(Head("TA008"), c.Typed);
        F2OnColumn("TB004", {0});
        UserKey(Form, "F12");
        ASSERT_EQ(Sql("SELECT TA036 || TA008 FROM KVRTA WHERE TA002 = '" + number + "'"), "F02" + c.Typed);
        ASSERT_EQ(Form->EditState, esInsert);
        EXPECT_EQ(Head("TA001"), "5102");
        EXPECT_EQ(Head("TA036"), "F02");
        EXPECT_EQ(Head("TA008"), c.Kept);
        EXPECT_EQ(Head("TA004"), ""); // the rest starts empty
        EXPECT_EQ(Head("TA005"), "");
        UserKey(Form, "Esc");
        delete Form;
        Form = nullptr;
    }
}

TEST_F(Kvrx58Whole, TheSupplierQueryNeedsASupplierAndTheSupplierCodeEntryFollowsItsSetting) {
    Open();
    UserKey(Form, "F5");
    TakeMessages();
    UserClick(Form, "miBYVX31");
    EXPECT_TRUE(Asked(TakeMessages(), "E 200139")); // no supplier yet: nothing started
    UserClick(Form, "miBYVX37");
    EXPECT_TRUE(Asked(TakeMessages(), "E 200139")); // no order on the line either

    const struct {
        const char* Sys055;
        const char* Typed;
        const char* Stored;
        bool Lookup;
    } entries[] = {
        {"1", "S0004", "S0004", false}, {"3", "奥兰", "S0002", true}, {"3", "S0003", "S0003", true}};
    for (const auto& e : entries) {
        SCOPED_TRACE(std::string(e.Sys055) + " " + e.Typed);
        Form->Broker->SetSysSetting("SYS055", e.Sys055);
        const size_t before = Chooser->Requests.size();
        Chooser->Picks.push_back({0});
        UserType(Form, "edTA005", e.Typed);
        EXPECT_EQ(Head("TA005"), e.Stored);
        EXPECT_EQ(Chooser->Requests.size(), before + (e.Lookup ? 1 : 0));
        if (e.Lookup) {
            EXPECT_EQ(Chooser->Requests.back().Table, "BYVMA");
            EXPECT_EQ(Chooser->Requests.back().QueryNo, "61");
        }
        Chooser->Picks.clear();
    }
}

TEST_F(Kvrx58Whole, TheDocumentTypeDecidesConfirmPrintAndSignOff) {
    Open();
    // The demo sends the type 5103 for sign-off by this program's settings; the others are not.
    ASSERT_EQ(Sql("SELECT COUNT(*) FROM WOQMQ WHERE MQ001 = 'KVRX58' AND MQ002 = '5103'"), "1");
    const struct {
        const char* Type;
        Byte AutoConfirm;
        bool AutoPrint;
        const char* SignOff;
    } cases[] = {
        {"5101", 0, false, "N"}, {"5107", 1, true, "N"}, {"5103", 0, false, "0"}, {"5102", 0, false, "N"}};
    UserKey(Form, "F5");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Type);
        UserType(Form, "edTA001", c.Type);
        EXPECT_EQ(Form->AutoConfirmMode, c.AutoConfirm);
        EXPECT_EQ(Form->AutoPrintAfterSave, c.AutoPrint);
        EXPECT_EQ(Head("TA044"), c.SignOff);
    }
}

TEST_F(Kvrx58Whole, AnOrderLineIsCheckedAgainstOtherCreditsAndTheHeader) {
    Open();
    AddCredit("T-LINE", "S0002", "B001", "F01", "0");
    const struct {
        const char* Number;
        const char* Line;
        const char* Answer;
        const char* Message;
        const char* Item; // filled when taken
    } cases[] = {
        {"20261110001", "0001", "Cancel", "W 000005", ""},   // on the demo's second credit
        {"20261110001", "0001", "OK", "W 000005", "E-2001"}, // taken all the same
        {"20261105001", "0003", "OK", "E 100061", ""},       // another supplier's order
        {"20261110002", "0001", "OK", "E 100061", ""},       // this supplier's, another factory's
        {"20261110001", "0002", "OK", "", "E-2002"},         // free and of this header
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.Number) + "-" + c.Line + " " + c.Answer);
        Body()->Append();
        Body()->FieldByName("TB004")->SetAsString("3301");
        Body()->FieldByName("TB005")->SetAsString(c.Number);
        User.Answers = {c.Answer};
        TakeMessages();
        if (*c.Item)
            Body()->FieldByName("TB006")->SetAsString(c.Line);
        else
            EXPECT_THROW(Body()->FieldByName("TB006")->SetAsString(c.Line), EAbort);
        const std::vector<AnsiString> said = TakeMessages();
        if (*c.Message) {
            EXPECT_TRUE(Asked(said, c.Message));
        }
        EXPECT_EQ(Line("TB006"), *c.Item ? c.Line : "");
        EXPECT_EQ(Line("TD004C"), c.Item);
        Body()->Cancel();
    }
}

TEST_F(Kvrx58Whole, F2OnAFieldOfABrowsedCreditOpensNothing) {
    Open();
    ASSERT_EQ(Form->EditState, esBrowse);
    const AnsiString supplier = Head("TA005");
    // The header's edits are closed while browsing; F2 that reaches one all the same (the pop-up menu's
    // lookup item) ends silently before any lookup or picker opens.
    for (const char* control : {"edTA001", "edTA005", "edTA008", "edTA016", "edTA017", "edTA013"}) {
        SCOPED_TRACE(control);
        Chooser->Picks.push_back({1});
        Chooser->Dates.push_back("20270101");
        TakeMessages();
        Word key = VK_F2;
        EXPECT_THROW(Form->DoF2Key(key, dynamic_cast<TWinControl*>(Form->FindComponent(control))), EAbort);
        EXPECT_EQ(key, 0);
        EXPECT_TRUE(Chooser->Requests.empty());
        EXPECT_EQ(Chooser->DatesAsked, 0);
        EXPECT_TRUE(TakeMessages().empty());
        EXPECT_EQ(Main()->State(), dsBrowse);
        Chooser->Picks.clear();
        Chooser->Dates.clear();
    }
    EXPECT_EQ(Head("TA005"), supplier);
}

TEST_F(Kvrx58Whole, TheOrderTypeEditorsButtonOpensTheOrderLookupOnlyWhileTheCreditIsEdited) {
    Open();
    auto* editor = dynamic_cast<TwwDBComboDlg*>(Form->FindComponent("cboTB004G"));
    ASSERT_NE(editor, nullptr);
    // Browsing: the button's dialog opens nothing.
    Form->BodyCustomDlg(editor);
    EXPECT_TRUE(Chooser->Requests.empty());

    AddCredit("T-BUTTON", "S0002", "B001", "F01", "0");
    F2OnColumn("TB004", {0});
    const AnsiString first = Line("TB005") + Line("TB006");
    // A new line: its order type's editor shows over the cell, and its button asks for an order.
    UserKey(Form, "Down", "gdBody1");
    ASSERT_EQ(Body()->State(), dsInsert);
    Application->RunUserAction([&] { Form->gdBody1->SetSelectedField(Body()->FieldByName("TB004")); });
    const TRect cell = Form->gdBody1->CellRect(Form->gdBody1->Col(), Form->gdBody1->Row());
    Application->RunUserAction(
        [&] { Form->gdBody1->MouseClickAt((cell.Left + cell.Right) / 2, (cell.Top + cell.Bottom) / 2); });
    ASSERT_EQ(Form->gdBody1->ActiveCustomEditor(), editor);
    EXPECT_EQ(editor->BoundsRect(), cell);
    Chooser->Picks.push_back({1});
    Application->RunUserAction([&] { PressKey(editor, VK_DOWN, TShiftState{ssAlt}); });
    ASSERT_EQ(Chooser->Requests.size(), 2u);
    EXPECT_EQ(Chooser->Requests.back().Table, "BYVTD");
    EXPECT_EQ(Chooser->Requests.back().QueryNo, "06");
    const TDbRow& row = Chooser->Requests.back().Rows.at(1);
    EXPECT_EQ(Line("TB005"), Trim(row[1].AsString()));
    EXPECT_EQ(Line("TB006"), Trim(row[2].AsString()));
    EXPECT_NE(Line("TB005") + Line("TB006"), first);
    EXPECT_FALSE(Line("TD004C").empty()); // checked and filled like a line picked from the grid
}

} // namespace
