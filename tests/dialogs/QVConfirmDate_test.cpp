// The confirm-date dialog: its preparation, the typing aid, and the checks before it closes.
#include <memory>

#include "classlib/controls/messages.h"
#include "classlib/rtl/datetime.h"
#include "dialogs/QVConfirmDate.h"
#include "foundation/libstrs.h"
#include "tests/dialogs/DialogFixture.h"

namespace {

class ConfirmDate : public DialogFixture {
protected:
    TQVConfirmDateForm* Open(int kind = 1, const AnsiString& separator = "/") {
        StartForm();
        BaseForm->DateKind = kind;
        BaseForm->DateSeparator = separator;
        Dialog.reset(new TQVConfirmDateForm(BaseForm));
        return Dialog.get();
    }
    void TearDown() override {
        Dialog.reset();
        DialogFixture::TearDown();
    }
    std::unique_ptr<TQVConfirmDateForm> Dialog;
};

TEST_F(ConfirmDate, PrepareShowsTheDateAndNamesTheAction) {
    Open();
    struct {
        const char* Kind;
        const char* DateText;
        const char* Caption;
        AnsiString Shown;
        const char* Label;
    } cases[] = {
        {"1", "20200101", "", FormatDateByKind(1, "/", Date()), "审核"},
        {"0", "20260105", "作废", "2026/01/05", "审核作废"},
        {"0", "20260105", "审核", "2026/01/05", "审核日期"},
        {"0", "20260105", "取消审核", "2026/01/05", "审核日期"},
        {"0", "2026", "", "", "审核"}, // no date to show
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Caption);
        Dialog->Prepare(c.Kind, c.DateText, c.Caption);
        EXPECT_EQ(Dialog->edDate01->Text(), c.Shown);
        EXPECT_EQ(Dialog->lbl01->Caption(), c.Label);
        EXPECT_EQ(Dialog->edDate01->Left(), Dialog->lbl01->Left() + Dialog->lbl01->Width() + 5);
        EXPECT_EQ(Dialog->edDate01->Top(), Dialog->lbl01->Top() - 3);
        EXPECT_EQ(Dialog->btn01->Left(), Dialog->edDate01->Left() + Dialog->edDate01->Width() + 2);
        EXPECT_EQ(Dialog->btn01->Top(), Dialog->edDate01->Top());
    }
    EXPECT_EQ(Dialog->btnOK->Caption(), "确定");
    EXPECT_EQ(Dialog->btnCancel->Caption(), "取消");
}

TEST_F(ConfirmDate, TypingReplacesInPlaceAndStepsOverSeparators) {
    Open();
    struct {
        const char* Before;
        int Caret;
        char Key;
        const char* After;
        int CaretAfter;
    } cases[] = {
        {"2026/01/05", 0, '1', "1026/01/05", 1},
        {"2026/01/05", 4, '9', "2026/91/05", 6}, // over the separator
        {"2026/01/05", 3, '\b', "20 6/01/05", 2},
        {"2026/01/05", 5, '\b', "2026/01/05", 4},  // only the caret moves over a separator
        {"2026/01/05", 10, '7', "2026/01/05", 10}, // nothing left to type into
        {"2026/01/05", 0, '\b', "2026/01/05", 0},
        {"2026/01/05", 2, 'a', "2026/01/05", 2},
        {"", 0, '2', "2   /  /  ", 1},
        {"   ", 0, '\b', "   ", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(AnsiString(c.Before) + " " + IntToStr(c.Caret));
        Dialog->edDate01->SetText(c.Before);
        Dialog->edDate01->SetSelStart(c.Caret);
        char key = c.Key;
        Dialog->edDate01KeyPress(Dialog->edDate01, key);
        EXPECT_EQ(key, 0); // every key is the aid's
        EXPECT_EQ(Dialog->edDate01->Text(), c.After);
        EXPECT_EQ(Dialog->edDate01->SelStart(), c.CaretAfter);
    }
}

TEST_F(ConfirmDate, DollarGivesTodayInTheOwnersFormat) {
    const TDateTime today = Date();
    Word year, month, day;
    DecodeDate(today, year, month, day);
    struct {
        int Kind;
        AnsiString Expected;
    } cases[] = {
        {1, FormatDateTime("yyyy/mm/dd", today)},
        {2, FormatDateTime("mm/dd/yyyy", today)},
        {4, IntToStr(year - 1911) + FormatDateTime("/mm/dd", today)},
        {5, FormatZeroPad(3, year - 1911) + FormatDateTime("/mm/dd", today)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Kind);
        Open(c.Kind);
        Dialog->Show();
        UserKey(Dialog.get(), "$", "edDate01");
        EXPECT_EQ(Dialog->edDate01->Text(), c.Expected);
        Dialog.reset();
        delete BaseForm;
        BaseForm = nullptr;
    }
}

TEST_F(ConfirmDate, WithoutASeparatorTheEditTypesDigitsItself) {
    Open(1, "");
    Dialog->Show();
    UserType(Dialog.get(), "edDate01", "20260105");
    EXPECT_EQ(Dialog->edDate01->Text(), "20260105");
    Dialog->edDate01->SetFocus();
    UserKey(Dialog.get(), "x");
    EXPECT_EQ(Dialog->edDate01->Text(), "20260105");
}

TEST_F(ConfirmDate, DeleteIsRefusedAndF2PicksTheDate) {
    Open();
    Dialog->Prepare("0", "20260105", "");
    Dialog->Show();
    Dialog->edDate01->SetFocus();
    Dialog->edDate01->SetSelStart(0);
    Dialog->edDate01->SetSelLength(0);
    UserKey(Dialog.get(), "Delete");
    EXPECT_EQ(Dialog->edDate01->Text(), "2026/01/05");
    Variant asked;
    Lookup->On("ShowInputDay", [&asked](TDispArgs args) {
        asked = *args[0].Value;
        return Variant("20261231");
    });
    UserKey(Dialog.get(), "F2");
    EXPECT_EQ(VarToStr(asked.GetElement({1})), "20260105");
    EXPECT_EQ(Dialog->edDate01->Text(), "2026/12/31");
    // The pick button asks the same.
    Dialog->btn01->Click();
    EXPECT_EQ(Dialog->edDate01->Text(), "2026/12/31");
    EXPECT_EQ(VarToStr(asked.GetElement({1})), "20261231");
}

TEST_F(ConfirmDate, ABadDateIsSaidOnLeavingAndKeepsTheDialogOpenOnOK) {
    Open();
    Dialog->Prepare("0", "20260105", "");
    Script.Steps.push_back([this](TCustomForm*) {
        UserType(Dialog.get(), "edDate01", "2026/02/30");
        EXPECT_EQ(Shown(), std::vector<AnsiString>{"E000005:"});
        EXPECT_EQ(Dialog->ActiveControl(), Dialog->edDate01); // the focus stayed
        Dialog->btnOK->Click();
        EXPECT_EQ(Shown(), std::vector<AnsiString>{"E000003:审核"});
        EXPECT_EQ(Dialog->ConfirmDate, "0");
        EXPECT_EQ(Dialog->ModalResult(), mrNone);
    });
    Script.Steps.push_back([this](TCustomForm*) {
        Dialog->edDate01->SetFocus();
        Dialog->edDate01->SetText("2026/02/28");
        UserClick(Dialog.get(), "btnOK");
    });
    EXPECT_EQ(Dialog->ShowModal(), mrOk);
    EXPECT_EQ(Dialog->ConfirmDate, "20260228");
    EXPECT_TRUE(Shown().empty());
}

TEST_F(ConfirmDate, CancelClosesWithoutAnyCheck) {
    Open();
    Dialog->Prepare("0", "20260105", "");
    Script.Steps.push_back([this](TCustomForm*) {
        Dialog->edDate01->SetFocus();
        Dialog->edDate01->SetText("2026/13/01");
        UserClick(Dialog.get(), "btnCancel");
    });
    EXPECT_EQ(Dialog->ShowModal(), mrCancel);
    EXPECT_TRUE(Shown().empty());
    // Esc as well, and an emptied date passes the exit check (only OK asks for one).
    Script.Steps.push_back([this](TCustomForm*) {
        Dialog->edDate01->SetFocus();
        Dialog->edDate01->SetText("    /  /  ");
        UserKey(Dialog.get(), "Tab");
        EXPECT_TRUE(Shown().empty());
        UserKey(Dialog.get(), "Esc");
    });
    EXPECT_EQ(Dialog->ShowModal(), mrCancel);
    EXPECT_TRUE(Shown().empty());
}

} // namespace
