// The dialog base: what it borrows from the document form, its keys, dates, lookups and code checks.
#include "classlib/controls/messages.h"
#include "dialogs/QVDialogCF.h"
#include "framework/RadicalCF.h"
#include "tests/dialogs/DialogFixture.h"

namespace {

// A dialog with a labelled code edit, a name edit, a name label and a memo, counting its F2 calls.
class TfrmDialogTest : public TfrmQVDialog {
    KVR_CLASS(TfrmDialogTest, TfrmQVDialog)
public:
    explicit TfrmDialogTest(TComponent* owner) : TfrmQVDialog(owner, false) {
        InitInheritedComponent(this);
        auto place = [this](TWinControl* control, int top) {
            control->SetParent(this);
            control->SetBounds(80, top, 120, 21);
        };
        edCode = new TEdit(this);
        edCode->SetName("edCode");
        place(edCode, 10);
        lblCode = new TLabel(this);
        lblCode->SetParent(this);
        lblCode->SetCaption("供应商");
        lblCode->SetFocusControl(edCode);
        edName = new TEdit(this);
        edName->SetName("edName");
        place(edName, 40);
        lblName = new TLabel(this);
        lblName->SetParent(this);
        mmoNote = new TMemo(this);
        mmoNote->SetName("mmoNote");
        place(mmoNote, 70);
    }
    void DoF2Key(Word& key, TWinControl* control) override {
        TfrmQVDialog::DoF2Key(key, control);
        F2Controls.push_back(control);
    }
    TEdit* edCode = nullptr;
    TLabel* lblCode = nullptr;
    TEdit* edName = nullptr;
    TLabel* lblName = nullptr;
    TMemo* mmoNote = nullptr;
    std::vector<TWinControl*> F2Controls;
};

KVR_PUBLISHED(TfrmDialogTest, c) {}
KVR_FORM_RESOURCE(TfrmDialogTest, R"(inherited frmDialogTest: TfrmDialogTest
end
)");

class QVDialog : public DialogFixture {
protected:
    TfrmDialogTest* Open() {
        StartForm();
        BaseForm->SetCaption("基础测试作业");
        Dialog = new TfrmDialogTest(BaseForm);
        Dialog->Show();
        return Dialog;
    }
    TfrmDialogTest* Dialog = nullptr;
};

TEST_F(QVDialog, BorrowsTheBrokerDatesAndCaptionOfItsDocumentForm) {
    Open();
    EXPECT_EQ(Dialog->Brokers, BaseForm->Broker);
    EXPECT_EQ(Dialog->DateKind, BaseForm->DateKind);
    EXPECT_EQ(Dialog->DateSeparator, "/");
    EXPECT_EQ(Dialog->Caption(), BaseForm->Caption());
    EXPECT_TRUE(Dialog->KeyPreview());
    EXPECT_EQ(Dialog->ClientWidth(), 394);
    EXPECT_EQ(Dialog->ClientHeight(), 322);
}

TEST_F(QVDialog, AnOwnerThatIsNoDocumentFormLeavesItWithoutABroker) {
    TForm plain(nullptr);
    TfrmDialogTest dialog(&plain);
    EXPECT_EQ(dialog.Brokers, nullptr);
    Variant keys;
    dialog.edCode->SetText("S1");
    // Without a broker nothing can be checked: the code is refused, nothing is said.
    EXPECT_FALSE(dialog.ValidateCode({dialog.edCode}, "E", keys, "01", "BYVMA"));
    dialog.PickDate(dialog.edCode);
    EXPECT_EQ(dialog.edCode->Text(), "S1");
    EXPECT_TRUE(TakeDialogs().empty());
}

TEST_F(QVDialog, EmptyDateTextByKind) {
    Open();
    struct {
        int Kind;
        const char* Separator;
        const char* Text;
    } cases[] = {
        {1, "/", "    /  /  "}, {2, "-", "  -  -    "}, {3, ".", "  .  .    "}, {4, "/", "  /  /  "},
        {5, "/", "   /  /  "},  {1, "", "        "},    {0, "/", ""},           {6, "/", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Kind);
        Dialog->SetDateKind(c.Kind);
        Dialog->SetDateSeparator(c.Separator);
        EXPECT_EQ(Dialog->GetEmptyDateText(), c.Text);
    }
}

TEST_F(QVDialog, PicksDatesWithRocYearsWhenTheOwnerShowsThem) {
    Open();
    std::vector<Variant> asked;
    AnsiString answer = "20261215";
    Lookup->On("ShowInputDay", [&](TDispArgs args) {
        asked.push_back(*args[0].Value);
        return Variant(answer);
    });
    struct {
        int Kind;
        const char* Before;
        bool Roc;
        const char* Start;
        const char* After;
    } cases[] = {
        {1, "2024/03/15", false, "20240315", "2026/12/15"},
        {4, "113/03/15", true, "20240315", "115/12/15"},
        {5, "20240315", true, "20240315", "115/12/15"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Kind);
        asked.clear();
        BaseForm->DateKind = c.Kind;
        Dialog->SetDateKind(c.Kind);
        Dialog->edCode->SetText(c.Before);
        Dialog->PickDate(Dialog->edCode);
        ASSERT_EQ(asked.size(), 1u);
        EXPECT_EQ(asked[0].GetElement({0}).AsBoolean(), c.Roc);
        EXPECT_EQ(VarToStr(asked[0].GetElement({1})), c.Start);
        EXPECT_EQ(Dialog->edCode->Text(), c.After);
    }
    // No date typed starts from today; no date picked leaves the text.
    BaseForm->DateKind = 1;
    Dialog->SetDateKind(1);
    Dialog->edCode->SetText("");
    answer = "";
    Dialog->PickDate(Dialog->edCode);
    EXPECT_EQ(VarToStr(asked.back().GetElement({1})), FormatDateTime("yyyymmdd", Date()));
    EXPECT_EQ(Dialog->edCode->Text(), "");
}

TEST_F(QVDialog, LookupFillsTheControlsInOrderFromTheFirstRow) {
    Open();
    Variant params;
    Lookup->On("F2GetData", [&](TDispArgs args) {
        params = *args[0].Value;
        return VarArrayOf({VarArrayOf({"S1", "华东供应"}), VarArrayOf({"S2", "华南供应"})});
    });
    Dialog->edCode->SetText("S");
    Dialog->LookupFill({Dialog->edCode, Dialog->lblName, Dialog->edName}, Variant(), "01", "PURMA");
    EXPECT_EQ(VarToStr(params.GetElement({0})), "PURMA");
    EXPECT_EQ(Dialog->edCode->Text(), "S1");
    EXPECT_EQ(Dialog->lblName->Caption(), "华东供应");
    EXPECT_EQ(Dialog->edName->Text(), ""); // the row has no third value
    // Nothing chosen leaves every control as it was.
    Lookup->OnValue("F2GetData", Variant());
    Dialog->LookupInto(Dialog->edCode, "PURMA", Variant(), "01");
    EXPECT_EQ(Dialog->edCode->Text(), "S1");
}

TEST_F(QVDialog, ValidateCodeSaysByLevelAndFillsWhatFollows) {
    Open();
    std::vector<Variant> keysAsked;
    Validator->On("CheckValue", [&](TDispArgs args) {
        keysAsked.push_back(*args[3].Value);
        if (VarToStr(args[3].Value->GetElement({0})) != "S1") return Variant(false);
        *args[4].Value = VarArrayOf({"华东供应", "上海"});
        return Variant(true);
    });
    struct {
        const char* Code;
        const char* Level;
        Variant Keys;
        bool Result;
        const char* Name;
        std::vector<AnsiString> Said;
        size_t Asked;
    } cases[] = {
        {"", "E", Variant(), true, "", {}, 0},
        {"S1", "E", Variant(), true, "华东供应", {}, 1},
        {"S1", "E", Variant(AnsiString()), true, "华东供应", {}, 1},
        {"S9", "E", Variant(), false, "", {"E000001:供应商"}, 1},
        {"S9", "W", Variant(), false, "", {"W000004:供应商"}, 1},
        {"S9", "I", Variant(), false, "", {}, 1},
        {"xx", "E", Variant("S1"), true, "华东供应", {}, 1}, // a single key becomes a list
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(AnsiString(c.Code) + c.Level);
        keysAsked.clear();
        Dialog->edCode->SetText(c.Code);
        Dialog->edName->SetText("");
        Dialog->lblName->SetCaption("");
        Dialog->mmoNote->SetFocus();
        EXPECT_EQ(Dialog->ValidateCode({Dialog->edCode, Dialog->edName, Dialog->lblName}, c.Level, c.Keys,
                                       "01", "PURMA"),
                  c.Result);
        EXPECT_EQ(Dialog->edName->Text(), c.Name);
        ASSERT_EQ(keysAsked.size(), c.Asked);
        if (c.Asked) {
            EXPECT_TRUE(VarIsArray(keysAsked[0]));
        }
        EXPECT_EQ(Shown(), c.Said);
        if (c.Result) {
            EXPECT_EQ(Dialog->lblName->Caption(), c.Code[0] ? "上海" : "");
        }
        // Only an error takes the focus back to the code.
        EXPECT_EQ(Dialog->ActiveControl() == Dialog->edCode, !c.Result && AnsiString(c.Level) == "E");
    }
    // Cancel on the warning aborts what the dialog was doing.
    Dialog->edCode->SetText("S9");
    Script.Answers.push_back("Cancel");
    EXPECT_THROW(Dialog->ValidateCode({Dialog->edCode}, "W", Variant(), "01", "PURMA"), EAbort);
}

TEST_F(QVDialog, EnterMovesOnExceptInAMemoAndFunctionKeysReachTheOperations) {
    Open();
    Dialog->edCode->SetFocus();
    PressKey(Dialog->edCode, VK_RETURN, {});
    EXPECT_EQ(Dialog->ActiveControl(), Dialog->edName);
    Dialog->mmoNote->SetFocus();
    Dialog->mmoNote->SetText("一");
    Dialog->mmoNote->SetSelStart(2);
    PressKey(Dialog->mmoNote, VK_RETURN, {});
    EXPECT_EQ(Dialog->ActiveControl(), Dialog->mmoNote);
    EXPECT_EQ(Dialog->mmoNote->Text(), "一\r\n");
    // F2 on the focused control, and the pick buttons' message naming another one.
    PressKey(Dialog->mmoNote, VK_F2, {});
    SendMessage(Dialog->Handle(), WM_KEYF2, 0, reinterpret_cast<LPARAM>(Dialog->edName));
    ASSERT_EQ(Dialog->F2Controls.size(), 2u);
    EXPECT_EQ(Dialog->F2Controls[0], Dialog->mmoNote);
    EXPECT_EQ(Dialog->F2Controls[1], Dialog->edName);
    EXPECT_EQ(Dialog->ActiveControl(), Dialog->edName);
}

TEST_F(QVDialog, ControlCaptionComesFromTheControlOrItsLabel) {
    Open();
    TButton* button = new TButton(Dialog);
    button->SetCaption("确定");
    EXPECT_EQ(GetControlCaption(Dialog, button), "确定");
    EXPECT_EQ(GetControlCaption(Dialog, Dialog->edCode), "供应商");
    EXPECT_EQ(GetControlCaption(Dialog, Dialog->edName), "");
    EXPECT_EQ(GetControlCaption(Dialog, nullptr), "");
}

} // namespace
