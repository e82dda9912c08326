// Message dialogs: answered by the driver, recorded, unanswered ones raising; message boxes; dialogs
// whose buttons a caller changes; exceptions shown through the message service.
#include <gtest/gtest.h>

#include "classlib/controls/dialogs.h"
#include "core_fixtures.h"

namespace {

class DialogsTest : public ::testing::Test {
protected:
    TFormsCleanup Cleanup;
};

TEST_F(DialogsTest, MessageDlgIsAnsweredByTheDriverAndRecorded) {
    TQueuedDriver driver;
    driver.Answer("No");
    TModalDriverScope scope(&driver);
    EXPECT_EQ(MessageDlg("保存修改吗?", mtConfirmation, mbYesNoCancel, 0), mrNo);
    const TDialogRecord* r = Application->LastDialog();
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->Kind, "Confirmation");
    EXPECT_EQ(r->Caption, "Confirm");
    EXPECT_EQ(r->Text, "保存修改吗?");
    EXPECT_EQ(r->Buttons, (std::vector<AnsiString>{"Yes", "No", "Cancel"}));
    EXPECT_EQ(r->DefaultButton, "Yes");
    EXPECT_EQ(r->Answer, "No");
    EXPECT_EQ(r->Result, mrNo);
    EXPECT_EQ(Screen->FormCount(), 0); // the dialog is gone
}

TEST_F(DialogsTest, AnswersByCaptionResultNameOrKey) {
    struct TCase {
        const char* Answer;
        TMsgDlgButtons Buttons;
        TModalResult Result;
        const char* Recorded;
    } cases[] = {
        {"YesToAll", mbYesAllNoAllCancel, mrYesToAll, "YesToAll"},
        {"N&o to All", mbYesAllNoAllCancel, mrNoToAll, "NoToAll"}, // a caption, "&" left out or not
        {"No to All", mbYesAllNoAllCancel, mrNoToAll, "NoToAll"},
        {"ok", mbOKCancel, mrOk, "OK"},
        {"Retry", mbAbortRetryIgnore, mrRetry, "Retry"},
    };
    for (const auto& c : cases) {
        TQueuedDriver driver;
        driver.Answer(c.Answer);
        TModalDriverScope scope(&driver);
        EXPECT_EQ(MessageDlg("?", mtWarning, c.Buttons, 0), c.Result) << c.Answer;
        EXPECT_EQ(Application->LastDialog()->Answer, c.Recorded) << c.Answer;
    }
    // Keys: Enter presses the default button, Esc the cancel button (No when there is no Cancel).
    TQueuedDriver keys;
    keys.Key("Enter").Key("Esc").Key("Esc");
    TModalDriverScope scope(&keys);
    EXPECT_EQ(MessageDlg("?", mtConfirmation, mbYesNoCancel, 0, mbNo), mrNo);
    EXPECT_EQ(MessageDlg("?", mtConfirmation, mbYesNoCancel, 0), mrCancel);
    EXPECT_EQ(MessageDlg("?", mtConfirmation, TMsgDlgButtons{mbYes, mbNo}, 0), mrNo);
}

TEST_F(DialogsTest, AnUnansweredDialogRaisesNamingItsTextAndIsRecorded) {
    for (bool withDriver : {false, true}) {
        TQueuedDriver driver;
        TModalDriverScope scope(withDriver ? &driver : nullptr);
        try {
            MessageDlg("单据已存在", mtError, TMsgDlgButtons{mbOK}, 0);
            FAIL() << "unanswered";
        } catch (const ENoModalAnswer& e) {
            EXPECT_NE(e.Message().find("message dialog \"单据已存在\""), AnsiString::npos) << e.Message();
        }
        EXPECT_EQ(Application->LastDialog()->Text, "单据已存在");
        EXPECT_EQ(Application->LastDialog()->Answer, "");
        EXPECT_EQ(Screen->FormCount(), 0);
    }
    EXPECT_THROW(ShowMessage("hello"), ENoModalAnswer);
}

TEST_F(DialogsTest, ANestedDialogIsAnsweredInsideAModalForm) {
    TfrmTest* form = new TfrmTest(Application);
    struct TAsker : TObject {
        int Answer = 0;
        void Click(TObject*) { Answer = MessageDlg("确认?", mtConfirmation, TMsgDlgButtons{mbYes, mbNo}, 0); }
    } asker;
    form->btnOK->SetOnClick(TNotifyEvent(&asker, &TAsker::Click));
    TQueuedDriver driver;
    driver.Click("btnOK").Answer("Yes");
    TModalDriverScope scope(&driver);
    EXPECT_EQ(form->ShowModal(), mrOk);
    EXPECT_EQ(asker.Answer, mrYes);
    EXPECT_EQ(driver.Visited(), (std::vector<AnsiString>{"frmTest", ""}));
}

TEST_F(DialogsTest, MessageBoxFlagsChooseButtonsIconAndDefault) {
    struct TCase {
        Cardinal Flags;
        const char* Key;
        int Result;
        const char* Kind;
        std::vector<AnsiString> Buttons;
        const char* Default;
    } cases[] = {
        {MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2, "Enter", IDNO, "Confirmation", {"Yes", "No"}, "No"},
        {MB_OKCANCEL | MB_ICONSTOP, "Enter", IDOK, "Error", {"OK", "Cancel"}, "OK"},
        {MB_RETRYCANCEL | MB_ICONWARNING, "Esc", IDCANCEL, "Warning", {"Retry", "Cancel"}, "Retry"},
        {MB_ABORTRETRYIGNORE | MB_DEFBUTTON3,
         "Enter",
         IDIGNORE,
         "Custom",
         {"Abort", "Retry", "Ignore"},
         "Ignore"},
        {MB_OK | MB_ICONINFORMATION | MB_DEFBUTTON4, "Enter", IDOK, "Information", {"OK"}, "OK"},
    };
    for (const auto& c : cases) {
        TQueuedDriver driver;
        driver.Key(c.Key);
        TModalDriverScope scope(&driver);
        EXPECT_EQ(Application->MessageBox("text", "标题", c.Flags), c.Result) << c.Flags;
        const TDialogRecord* r = Application->LastDialog();
        EXPECT_EQ(r->Kind, c.Kind);
        EXPECT_EQ(r->Caption, "标题");
        EXPECT_EQ(r->Buttons, c.Buttons);
        EXPECT_EQ(r->DefaultButton, c.Default);
    }
}

TEST_F(DialogsTest, ACreatedDialogsButtonsCanBeRenamedAndReorderedBeforeShowing) {
    TMessageForm* dialog = CreateMessageDialog("覆盖文件?", mtWarning, TMsgDlgButtons{mbYes, mbNo});
    auto* yes = dynamic_cast<TButton*>(dialog->FindComponent("Yes"));
    auto* no = dynamic_cast<TButton*>(dialog->FindComponent("No"));
    ASSERT_TRUE(yes && no);
    EXPECT_EQ(yes->Caption(), "&Yes");
    EXPECT_LT(yes->Left(), no->Left());
    EXPECT_EQ(dialog->Caption(), "Warning");
    ASSERT_NE(dialog->FindComponent("Message"), nullptr);
    ASSERT_NE(dialog->FindComponent("Image"), nullptr);
    yes->SetCaption("覆盖");
    no->SetCaption("跳过");
    int left = yes->Left();
    yes->SetLeft(no->Left());
    no->SetLeft(left);
    TQueuedDriver driver;
    driver.Answer("跳过");
    TModalDriverScope scope(&driver);
    EXPECT_EQ(dialog->ShowModal(), mrNo);
    EXPECT_EQ(Application->LastDialog()->Buttons, (std::vector<AnsiString>{"No", "Yes"}));
    EXPECT_EQ(Application->LastDialog()->Answer, "No");
    dialog->Free();
}

TEST_F(DialogsTest, DialogLayoutFitsTheTextAndTheButtons) {
    TMessageForm* dialog = CreateMessageDialog("一二三四五六七八九十", mtInformation, mbOKCancel);
    TControl* text = dynamic_cast<TControl*>(dialog->FindComponent("Message"));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->Width(), 10 * 12); // ten double-byte characters of the 12-pixel font
    for (const char* name : {"OK", "Cancel"}) {
        auto* b = dynamic_cast<TButton*>(dialog->FindComponent(name));
        EXPECT_LE(b->Left() + b->Width(), dialog->ClientWidth());
        EXPECT_GE(b->Top(), text->Top() + text->Height());
        EXPECT_LE(b->Top() + b->Height(), dialog->ClientHeight());
    }
    dialog->Free();
}

TEST_F(DialogsTest, ShowMessageAndBeep) {
    Application->SetTitle("KVRX58");
    TQueuedDriver driver;
    driver.Answer("OK");
    TModalDriverScope scope(&driver);
    ShowMessage("完成");
    EXPECT_EQ(Application->LastDialog()->Kind, "Custom");
    EXPECT_EQ(Application->LastDialog()->Caption, "KVRX58");
    EXPECT_EQ(Application->LastDialog()->Buttons, std::vector<AnsiString>{"OK"});
    int beeps = Application->BeepCount();
    EXPECT_TRUE(MessageBeep(0));
    EXPECT_EQ(Application->BeepCount(), beeps + 1);
}

TEST_F(DialogsTest, ExceptionsAreShownThroughTheMessageService) {
    Application->SetTitle("KVRX58");
    // Without a driver the exception is recorded and nothing raises.
    ::ShowException(EConvertError("'abc' is not a valid integer value"));
    EXPECT_EQ(Application->LastDialog()->Kind, "Error");
    EXPECT_EQ(Application->LastDialog()->Text, "'abc' is not a valid integer value.");
    // With one, it is a message box the driver answers; EAbort stays silent.
    TQueuedDriver driver;
    driver.Answer("OK");
    TModalDriverScope scope(&driver);
    std::size_t count = Application->Dialogs().size();
    try {
        throw EAbort("");
    } catch (...) {
        Application->HandleException(nullptr);
    }
    EXPECT_EQ(Application->Dialogs().size(), count);
    try {
        throw EInvalidOperation("no");
    } catch (...) {
        Application->HandleException(nullptr);
    }
    EXPECT_EQ(Application->LastDialog()->Text, "no.");
    EXPECT_EQ(Application->LastDialog()->Answer, "OK");
    EXPECT_EQ(driver.Pending(), 0);
}

TEST_F(DialogsTest, TheListenerHearsEveryClosedDialog) {
    std::vector<AnsiString> heard;
    Application->SetDialogListener(
        [&](const TDialogRecord& r) { heard.push_back(r.Text + " -> " + r.Answer); });
    TQueuedDriver driver;
    driver.Answer("Yes").Answer("Cancel");
    TModalDriverScope scope(&driver);
    MessageDlg("a", mtConfirmation, mbYesNoCancel, 0);
    MessageDlg("b", mtConfirmation, mbYesNoCancel, 0);
    Application->SetDialogListener(nullptr);
    EXPECT_EQ(heard, (std::vector<AnsiString>{"a -> Yes", "b -> Cancel"}));
}

} // namespace
