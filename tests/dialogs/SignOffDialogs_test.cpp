// The sign-off dialogs: the flow window (its rows, widths and text file) and the settings asked before
// a send.
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "classlib/rtl/shellapi.h"
#include "dialogs/FQZInfo.h"
#include "dialogs/SetQZINFO.h"
#include "tests/dialogs/DialogFixture.h"

namespace {

Variant Step(const char* pass, const char* person) {
    return VarArrayOf({pass, "1", "经办", "2026-01-05 09:00:00", "", "", person, "王明", "", ""});
}

class SignOffDialogs : public DialogFixture {
protected:
    void SetUp() override {
        DialogFixture::SetUp();
        FPreviousShell = SetShellExecuteHandler([this](const TShellExecuteInfo& info) {
            Opened.push_back(info.Verb + " " + info.File);
            return true;
        });
        Folder = std::filesystem::temp_directory_path() / ("qzinfo_" + std::to_string(::getpid()));
        std::filesystem::create_directories(Folder);
    }
    void TearDown() override {
        Info.reset();
        SetShellExecuteHandler(FPreviousShell);
        std::filesystem::remove_all(Folder);
        DialogFixture::TearDown();
    }
    TfrmQZInfo* Fill(const Variant& rows) {
        Info.reset(new TfrmQZInfo(Application));
        Info->FillSteps(rows);
        return Info.get();
    }
    // Answers the save dialog with that file name.
    void SaveAs(const std::string& path) {
        Script.Steps.push_back([path](TCustomForm* form) {
            UserType(form, "FileName", path.c_str());
            UserClick(form, "OK");
        });
    }
    std::unique_ptr<TfrmQZInfo> Info;
    std::vector<AnsiString> Opened;
    std::filesystem::path Folder;

private:
    TShellExecuteHandler FPreviousShell;
};

TEST_F(SignOffDialogs, EveryStepGetsItsRowWithOrWithoutTheTrailingElement) {
    struct Case {
        const char* Name;
        Variant Rows;
        int RowCount;
        std::vector<const char*> Persons; // column 7 of rows 1..
    } cases[] = {
        {"only the trailing element", VarArrayOf({Variant()}), 2, {""}},
        {"one step and the trailing element", VarArrayOf({Step("1", "DEMO"), Variant()}), 2, {"DEMO"}},
        {"two steps, no trailing element",
         VarArrayOf({Step("1", "DEMO"), Step("2", "LIUF")}),
         3,
         {"DEMO", "LIUF"}},
        {"two steps and the trailing element",
         VarArrayOf({Step("1", "DEMO"), Step("2", "LIUF"), Variant()}),
         3,
         {"DEMO", "LIUF"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TStringGrid* grid = Fill(c.Rows)->StringGrid1;
        EXPECT_EQ(grid->RowCount(), c.RowCount);
        EXPECT_EQ(grid->Cells(0, 0), "序号");
        EXPECT_EQ(grid->Cells(10, 0), "签核者");
        for (size_t i = 0; i < c.Persons.size(); ++i) {
            const int row = static_cast<int>(i) + 1;
            EXPECT_EQ(grid->Cells(7, row), c.Persons[i]);
            EXPECT_EQ(grid->Cells(0, row), *c.Persons[i] ? AnsiString(std::to_string(row)) : AnsiString());
        }
    }
}

TEST_F(SignOffDialogs, LongTextsWidenTheirColumnsAndTheFileKeepsThem) {
    Variant step = Step("1", "DEMO");
    step.PutElement({2}, "采购部经理审批流程角色"); // 22 bytes: 22 * 8 + 5 = 181 pixels
    TfrmQZInfo* info = Fill(VarArrayOf({step, Variant()}));
    EXPECT_EQ(info->StringGrid1->ColWidths(3), 181);
    EXPECT_EQ(info->StringGrid1->ColWidths(1), 37);
    EXPECT_GE(info->ClientWidth(), info->StringGrid1->Width() + 10);

    const std::string path = (Folder / "flow.txt").string();
    SaveAs(path);
    info->N1->Click();
    std::ifstream file(path, std::ios::binary);
    std::stringstream read;
    read << file.rdbuf();
    const std::string text = read.str();
    const std::string header = text.substr(0, text.find("\r\n"));
    // Each cell padded to round((width - 5) / 8) + 5 characters: "序号" in 9, "关号" in 9, ...
    EXPECT_EQ(header.substr(0, 18), AnsiString("序号") + "     " + "关号" + "     ");
    const std::string row = text.substr(text.find("\r\n") + 2);
    EXPECT_EQ(row.find("采购部经理审批流程角色"), 9u + 9 + 9);
    EXPECT_EQ(row.substr(27 + 22, 5), "     "); // 181 pixels give 27 characters
    EXPECT_EQ(Opened, std::vector<AnsiString>{AnsiString("open ") + path.c_str()});
}

TEST_F(SignOffDialogs, AFailedWriteSaysSoAndOpensNothing) {
    TfrmQZInfo* info = Fill(VarArrayOf({Step("1", "DEMO"), Variant()}));
    const std::string path = (Folder / "missing" / "flow.txt").string();
    SaveAs(path);
    info->N1->Click();
    std::vector<AnsiString> texts = Shown();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0], "文档保存失败 !");
    EXPECT_TRUE(Opened.empty());
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(SignOffDialogs, SettingsAskAPersonThatExists) {
    StartForm();
    std::vector<AnsiString> asked;
    Validator->On("CheckValue", [&](TDispArgs args) {
        asked.push_back(args[0].Value->AsString() + " " + VarToStr(args[3].Value->GetElement({0})));
        return Variant(VarToStr(args[3].Value->GetElement({0})) == "LIUF");
    });
    Variant result = VarArrayOf({1});
    // Cancel: false and nothing.
    Script.Steps.push_back([](TCustomForm* form) {
        EXPECT_EQ(form->ClassName(), AnsiString("TfrmSetQZINFO"));
        UserClick(form, "btnCancel");
    });
    EXPECT_FALSE(ExecuteSetQZInfo(BaseForm, result));
    EXPECT_TRUE(VarIsEmpty(result));

    Script.Steps.push_back([](TCustomForm* form) {
        auto* dialog = static_cast<TfrmSetQZINFO*>(form);
        EXPECT_EQ(dialog->ed02->Text(), "DEMO"); // the user's own ID to begin with
        EXPECT_EQ(dialog->cbo01->ItemIndex(), 0);
        dialog->ed02->SetText("");
        UserClick(form, "btnOK");
    });
    Script.Steps.push_back([this](TCustomForm* form) {
        auto* dialog = static_cast<TfrmSetQZINFO*>(form);
        EXPECT_EQ(Shown(), std::vector<AnsiString>{"E000003:表单关系人"});
        EXPECT_EQ(form->ActiveControl(), dialog->ed02);
        dialog->ed02->SetText("NOBODY");
        UserClick(form, "btnOK");
    });
    Script.Steps.push_back([](TCustomForm* form) {
        auto* dialog = static_cast<TfrmSetQZINFO*>(form);
        EXPECT_EQ(form->ActiveControl(), dialog->ed02);
        EXPECT_TRUE(VarIsEmpty(dialog->QZResult));
        dialog->ed02->SetText("LIUF");
        dialog->cbo01->SetItemIndex(1);
        UserClick(form, "btnOK");
    });
    EXPECT_TRUE(ExecuteSetQZInfo(BaseForm, result));
    ASSERT_TRUE(VarIsArray(result));
    EXPECT_EQ(result.GetElement({0}).AsInteger(), 2);
    EXPECT_EQ(VarToStr(result.GetElement({1})), "LIUF");
    EXPECT_EQ(asked.back(), "QVNMA LIUF");
}

} // namespace
