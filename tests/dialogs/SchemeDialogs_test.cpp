// The status window and the scheme-name dialog.
#include "dialogs/DocuConditionCF.h"
#include "dialogs/ShowStatusCF.h"
#include "tests/dialogs/DialogFixture.h"

namespace {

class SchemeDialogs : public DialogFixture {};

TEST_F(SchemeDialogs, StatusWindowShowsItsGaugeOnlyForARange) {
    StartForm();
    TfrmShowStatus status(BaseForm);
    status.ShowStatus("导出资料", 0, 0);
    EXPECT_TRUE(status.Visible());
    EXPECT_FALSE(status.StatusBar->Visible());
    EXPECT_EQ(status.Caption(), "导出资料");
    EXPECT_EQ(status.Label1->Caption(), "导出资料");
    status.ShowStatus("导出资料", 2, 4);
    EXPECT_TRUE(status.StatusBar->Visible());
    EXPECT_EQ(status.StatusBar->Progress(), 2);
    for (int i = 0; i < 5; ++i)
        status.StepIt();
    EXPECT_EQ(status.StatusBar->Progress(), 4);
    status.CloseStatus();
    EXPECT_FALSE(status.Visible());
}

TEST_F(SchemeDialogs, SchemeNameDialogChecksTheNameAndAsksBeforeReplacing) {
    StartForm();
    Validator->On("CheckValue", [](TDispArgs args) {
        const Variant keys = *args[3].Value;
        return Variant(args[0].Value->AsString() == "DOCUS" && args[1].Value->AsString() == "01" &&
                       VarToStr(keys.GetElement({0})) == "本月开证" &&
                       VarToStr(keys.GetElement({1})) == "DEMO" &&
                       VarToStr(keys.GetElement({2})) == "FWTEST01");
    });
    TForm* qbe = new TForm(BaseForm);
    auto type = [](const AnsiString& name) {
        return [name](TCustomForm* form) {
            auto* dialog = static_cast<TfrmDocuCondition*>(form);
            dialog->edConName->SetText(name);
            dialog->btnOk->Click();
        };
    };
    auto cancel = [](AnsiString* kept) {
        return [kept](TCustomForm* form) {
            *kept = static_cast<TfrmDocuCondition*>(form)->edConName->Text();
            form->SetModalResult(mrCancel);
        };
    };
    struct {
        const char* Name;
        std::vector<AnsiString> Answers;
        bool ThenCancel;
        AnsiString Result;
        int Elements;
        bool Replace;
        std::vector<AnsiString> Shown;
    } cases[] = {
        {"新方案", {}, false, "新方案", 2, false, {}},
        {"", {}, true, "", 1, false, {"方案名不可空白!"}},
        {"   ", {}, true, "", 1, false, {"方案名不可空白!"}},
        {"本月开证", {"Cancel"}, true, "", 1, false, {"此方案名已存在！是否将原来的方案替换为此方案?"}},
        {"本月开证", {"OK"}, false, "本月开证", 2, true, {"此方案名已存在！是否将原来的方案替换为此方案?"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        AnsiString kept;
        Script.Steps.push_back(type(c.Name));
        if (c.ThenCancel) Script.Steps.push_back(cancel(&kept));
        Script.Answers.assign(c.Answers.begin(), c.Answers.end());
        Variant result;
        ShowDocuConditionDialog(qbe, result);
        EXPECT_EQ(VarArrayHighBound(result, 1) + 1, c.Elements);
        EXPECT_EQ(VarToStr(result.GetElement({0})), c.Result);
        if (c.Elements == 2) {
            EXPECT_EQ(result.GetElement({1}).AsBoolean(), c.Replace);
        }
        if (c.ThenCancel) {
            EXPECT_EQ(kept, c.Name); // the dialog stayed open with the name still there
        }
        EXPECT_EQ(Shown(), c.Shown);
        EXPECT_TRUE(Script.Steps.empty());
        Script.Steps.clear();
    }
    EXPECT_EQ(qbe->ComponentCount(), 0); // every dialog was freed
}

} // namespace
