// Forms from their streams, shown, typed into and clicked through the modal driver; focus, keys,
// closing and releasing.
#include <gtest/gtest.h>

#include "classlib/controls/dialogs.h"
#include "classlib/controls/hourglass.h"
#include "classlib/objects/formloader.h"
#include "classlib/rtl/format.h"
#include "core_fixtures.h"

namespace {

class FormsTest : public ::testing::Test {
protected:
    TFormsCleanup Cleanup;
    TfrmTest* Form = new TfrmTest(Application);

    std::vector<AnsiString> EventsFrom(std::size_t start) const {
        return std::vector<AnsiString>(Form->Events.begin() + static_cast<long>(start), Form->Events.end());
    }
};

TEST_F(FormsTest, StreamBuildsTheFormItsLayoutAndRunsOnCreateOnce) {
    EXPECT_EQ(Form->Name(), "frmTest");
    EXPECT_EQ(Form->Caption(), "测试窗口");
    ASSERT_TRUE(Form->edName && Form->edCode && Form->btnOK && Form->btnCancel && Form->pnlTop);
    EXPECT_EQ(Form->edName->Parent(), Form->pnlTop);
    EXPECT_EQ(Form->btnOK->Parent(), Form);
    // The client size was applied after the border style, whatever their order in the stream.
    EXPECT_EQ(Form->ClientWidth(), 240);
    EXPECT_EQ(Form->ClientHeight(), 120);
    EXPECT_EQ(Form->Width(), 240 + 6);
    EXPECT_EQ(Form->Height(), 120 + 6 + CaptionHeight);
    // The top panel spans the client width.
    EXPECT_EQ(Form->pnlTop->BoundsRect(), Rect(0, 0, 240, 40));
    EXPECT_EQ(Form->CreateCount, 1);
    EXPECT_TRUE(Form->btnOK->Default());
    EXPECT_EQ(Form->btnCancel->ModalResult(), mrCancel);
    EXPECT_FALSE(Form->Visible());
    // Children take the form's font and colour unless they have their own.
    EXPECT_EQ(Form->btnOK->Font()->Height(), Form->Font()->Height());
    EXPECT_EQ(Form->edName->Color(), clWindow);
    EXPECT_EQ(Screen->FindRoot("FRMTEST"), Form);
    EXPECT_EQ(FindGlobalComponent("frmTest"), Form);
}

TEST_F(FormsTest, ShowModalIsTypedIntoAndClickedThroughTheDriver) {
    TQueuedDriver driver;
    driver.Type("edName", "张三").Type("edCode", "A1").Click("btnOK");
    TModalDriverScope scope(&driver);
    std::size_t start = Form->Events.size();
    EXPECT_EQ(Form->ShowModal(), mrOk);
    EXPECT_EQ(Form->edName->Text(), "张三");
    EXPECT_EQ(Form->edCode->Text(), "A1");
    EXPECT_EQ(driver.Pending(), 0);
    EXPECT_FALSE(Form->Visible());
    std::vector<AnsiString> expected = {"show",         "activate",    "enter edName", "exit edName",
                                        "enter edCode", "exit edCode", "enter btnOK",  "ok click"};
    std::vector<AnsiString> seen;
    for (const auto& e : EventsFrom(start))
        if (e.rfind("form key", 0) != 0 && e.rfind("edit key", 0) != 0) seen.push_back(e);
    EXPECT_EQ(seen, expected);
}

TEST_F(FormsTest, TypingReplacesTheTextAndLeavesAsTabDoes) {
    Form->Show();
    Form->edName->SetText("old");
    UserType(Form, "edName", "new");
    EXPECT_EQ(Form->edName->Text(), "new");
    EXPECT_EQ(Form->FocusedControl(), Form->edCode);
}

TEST_F(FormsTest, ModalWithoutAnswerRaisesNamingTheFormAndRestoresTheScreen) {
    auto* other = new TForm(Application);
    other->SetName("frmOther");
    other->Show();
    for (bool withDriver : {false, true}) {
        TQueuedDriver driver; // nothing queued
        TModalDriverScope scope(withDriver ? &driver : nullptr);
        try {
            Form->ShowModal();
            FAIL() << "no answer";
        } catch (const ENoModalAnswer& e) {
            EXPECT_NE(e.Message().find("frmTest"), AnsiString::npos) << e.Message();
            EXPECT_NE(e.Message().find(withDriver ? "nothing to do" : "no modal driver"), AnsiString::npos);
        }
        EXPECT_FALSE(Form->Visible());
        EXPECT_FALSE(Form->FormState().Contains(fsModal));
        EXPECT_TRUE(other->Enabled());
        EXPECT_EQ(Screen->ActiveForm(), other);
    }
    EXPECT_EQ(Application->ModalLevel(), 0);
}

TEST_F(FormsTest, ShowModalRefusesAVisibleForm) {
    Form->Show();
    EXPECT_THROW(Form->ShowModal(), EInvalidOperation);
}

TEST_F(FormsTest, CloseQueryRefusesUntilTheNameIsTyped) {
    Form->RequireName = true;
    TQueuedDriver driver;
    driver.Click("btnOK").Then([](TCustomForm* f) {
        // The refused close leaves the form up, and modal.
        EXPECT_TRUE(f->Visible());
        EXPECT_EQ(f->ModalResult(), mrNone);
    });
    driver.Type("edName", "x").Click("btnOK");
    TModalDriverScope scope(&driver);
    EXPECT_EQ(Form->ShowModal(), mrOk);
    EXPECT_EQ(Form->CloseQueries, 2);
}

TEST_F(FormsTest, EnterAndEscPressTheDefaultAndCancelButtons) {
    struct TCase {
        const char* Key;
        const char* FocusOn;
        TModalResult Result;
    } cases[] = {{"Enter", "edCode", mrOk}, {"Esc", "edName", mrCancel}, {"Enter", "btnCancel", mrCancel}};
    for (const auto& c : cases) {
        TQueuedDriver driver;
        driver.Key(c.Key, c.FocusOn);
        TModalDriverScope scope(&driver);
        EXPECT_EQ(Form->ShowModal(), c.Result) << c.Key << " on " << c.FocusOn;
    }
}

TEST_F(FormsTest, AcceleratorOfACaptionClicksItsButton) {
    TQueuedDriver driver;
    driver.Key("Alt+O");
    TModalDriverScope scope(&driver);
    EXPECT_EQ(Form->ShowModal(), mrOk);
}

TEST_F(FormsTest, TabAndShiftTabMoveThroughTheTabOrderSkippingDisabledControls) {
    Form->Show();
    EXPECT_EQ(Form->FocusedControl(), Form->edName); // the first in tab order, inside the panel
    Form->edCode->SetEnabled(false);
    std::vector<AnsiString> forward;
    for (int i = 0; i < 4; ++i) {
        UserKey(Form, "Tab");
        forward.push_back(Form->FocusedControl()->Name());
    }
    EXPECT_EQ(forward, (std::vector<AnsiString>{"btnOK", "btnCancel", "edName", "btnOK"}));
    UserKey(Form, "Shift+Tab");
    EXPECT_EQ(Form->FocusedControl(), Form->edName);
    Form->edCode->SetEnabled(true);
    Form->SelectNext(Form->edName, true, true);
    EXPECT_EQ(Form->FocusedControl(), Form->edCode);
    Form->SelectNext(Form->edCode, false, true);
    EXPECT_EQ(Form->FocusedControl(), Form->edName);
    // TabOrder moves a control and renumbers its siblings.
    Form->btnCancel->SetTabOrder(1);
    EXPECT_EQ(Form->edCode->TabOrder(), 2);
    EXPECT_EQ(Form->FindNextControl(Form->edName, true, true, false), Form->btnCancel);
}

TEST_F(FormsTest, PostedKeysPassTheDialogKeysAndADoubleByteKeyIsTyped) {
    Form->Show();
    Form->edName->SetFocus();
    PostMessage(Form->edName->Handle(), WM_KEYDOWN, VK_TAB, 1);
    EXPECT_EQ(Form->FocusedControl(), Form->edName);
    Application->ProcessMessages();
    EXPECT_EQ(Form->FocusedControl(), Form->edCode);
    EXPECT_TRUE(Form->edName->KeysSeen.empty()); // Tab went to the dialog, not to the edit
    UserKey(Form, "张");
    UserKey(Form, "a");
    EXPECT_EQ(Form->edCode->Text(), "张a");
}

TEST_F(FormsTest, ArrowsOnAButtonMoveAmongItsSiblingsButAnEditKeepsThem) {
    Form->Show();
    Form->btnOK->SetFocus();
    UserKey(Form, "Right");
    EXPECT_EQ(Form->FocusedControl(), Form->btnCancel);
    Form->edName->SetFocus();
    UserKey(Form, "Down");
    EXPECT_EQ(Form->FocusedControl(), Form->edName);
    EXPECT_EQ(Form->edName->KeysSeen.back(), VK_DOWN);
}

TEST_F(FormsTest, KeyPreviewLetsTheFormSeeAndSwallowKeysFirst) {
    Form->Show();
    Form->edName->SetFocus();
    std::size_t start = Form->Events.size();
    UserKey(Form, "F2");
    EXPECT_EQ(EventsFrom(start), (std::vector<AnsiString>{"form key 113", "edit key 113"}));
    Form->SwallowKey = VK_F2;
    start = Form->Events.size();
    UserKey(Form, "F2");
    EXPECT_EQ(EventsFrom(start), (std::vector<AnsiString>{"form key 113"}));
    Form->SetKeyPreview(false);
    start = Form->Events.size();
    UserKey(Form, "F2");
    EXPECT_EQ(EventsFrom(start), (std::vector<AnsiString>{"edit key 113"}));
}

TEST_F(FormsTest, ShortcutsReachTheFormsHandlerAndTheMenuBeforeTheKeyEvents) {
    Form->Show();
    Form->edName->SetFocus();
    std::vector<AnsiString> seen;
    struct THandler : TObject {
        std::vector<AnsiString>* Seen = nullptr;
        void ShortCut(TMessage& m, bool& handled) {
            handled = ::ShortCut(static_cast<Word>(m.WParam), KeyDataToShiftState(m.LParam)) ==
                      TextToShortCut("Ctrl+F");
            if (handled) Seen->push_back("form shortcut");
        }
    } handler;
    handler.Seen = &seen;
    Form->SetOnShortCut(TShortCutEvent(&handler, &THandler::ShortCut));
    static std::vector<AnsiString>* menuSeen;
    menuSeen = &seen;
    auto* menu = new TComponent(Form);
    menu->SetName("MainMenu");
    Form->SetMenuComponent(menu);
    SetMenuShortCutHook([](TComponent* m, TMessage& key) {
        bool mine = key.WParam == VK_F5;
        if (mine) menuSeen->push_back("menu " + m->Name());
        return mine;
    });
    std::size_t start = Form->Events.size();
    UserKey(Form, "Ctrl+F");
    UserKey(Form, "F5");
    UserKey(Form, "F6");
    SetMenuShortCutHook(nullptr);
    EXPECT_EQ(seen, (std::vector<AnsiString>{"form shortcut", "menu MainMenu"}));
    // Only the key that no shortcut took reached the key events.
    EXPECT_EQ(EventsFrom(start), (std::vector<AnsiString>{"form key 117", "edit key 117"}));
    // The menu bar takes its height from the window, not the client area.
    EXPECT_EQ(Form->ClientHeight(), 120 - MenuBarHeight);
}

TEST_F(FormsTest, EnterInKeyPressMovesThroughNextDialogControl) {
    struct TMover : TObject {
        TCustomForm* Form = nullptr;
        void KeyPress(TObject*, char& key) {
            if (key != '\r') return;
            key = 0;
            Form->Perform(WM_NEXTDLGCTL, 0, 0);
        }
    } mover;
    mover.Form = Form;
    Form->SetOnKeyPress(TKeyPressEvent(&mover, &TMover::KeyPress));
    Form->btnOK->SetDefault(false); // else Enter would press it before the key press is seen
    Form->Show();
    Form->edName->SetFocus();
    UserKey(Form, "Enter");
    EXPECT_EQ(Form->FocusedControl(), Form->edCode);
}

TEST_F(FormsTest, OnExitKnowsWhereTheFocusIsGoing) {
    struct TWatcher : TObject {
        TCustomForm* Form = nullptr;
        std::vector<TWinControl*> Seen;
        void Exit(TObject*) { Seen.push_back(Form->FocusingControl()); }
    } watcher;
    watcher.Form = Form;
    Form->Show();
    Form->edName->SetFocus();
    Form->edName->SetOnExit(TNotifyEvent(&watcher, &TWatcher::Exit));
    UserClick(Form, "btnOK");
    Form->edName->SetFocus();
    UserKey(Form, "Shift+Tab");
    ASSERT_EQ(watcher.Seen.size(), 2u);
    EXPECT_EQ(watcher.Seen[0], Form->btnOK);
    EXPECT_EQ(watcher.Seen[1], Form->FocusedControl());
    EXPECT_EQ(Form->FocusingControl(), nullptr); // only while the exits run
}

TEST_F(FormsTest, OnExitThatRaisesKeepsTheFocusAndStopsTheClick) {
    struct TValidator : TObject {
        void Exit(TObject*) { throw EConvertError("'x' is not a valid date"); }
    } validator;
    Form->Show();
    Form->edName->SetFocus();
    Form->edName->SetOnExit(TNotifyEvent(&validator, &TValidator::Exit));
    std::size_t start = Form->Events.size();
    UserClick(Form, "btnOK");
    EXPECT_EQ(Form->FocusedControl(), Form->edName);
    EXPECT_EQ(EventsFrom(start), std::vector<AnsiString>{});
    // The error went to the application's exception handler: recorded, nothing raised.
    ASSERT_NE(Application->LastDialog(), nullptr);
    EXPECT_EQ(Application->LastDialog()->Kind, "Error");
    EXPECT_EQ(Application->LastDialog()->Text, "'x' is not a valid date.");
}

TEST_F(FormsTest, UserActionsRefuseWhatAUserCouldNotDo) {
    Form->Show();
    EXPECT_THROW(UserClick(Form, "btnNone"), EInvalidOperation);
    Form->btnOK->SetEnabled(false);
    EXPECT_THROW(UserClick(Form, "btnOK"), EInvalidOperation);
    Form->pnlTop->SetVisible(false);
    EXPECT_THROW(UserType(Form, "edName", "a"), EInvalidOperation);
    EXPECT_THROW(UserKey(Form, "NoSuchKey"), EInvalidOperation);
    EXPECT_THROW(Form->edName->SetFocus(), EInvalidOperation);
}

TEST_F(FormsTest, ModalFormDisablesTheOthersWhileUp) {
    auto* main = new TForm(Application);
    main->SetName("frmMain");
    auto* button = new TButton(main);
    button->SetName("btnGo");
    button->SetParent(main);
    main->Show();
    TQueuedDriver driver;
    driver.Then([&](TCustomForm* f) {
        EXPECT_EQ(f, Form);
        EXPECT_FALSE(main->Enabled());
        EXPECT_EQ(Screen->ActiveForm(), Form);
        EXPECT_THROW(UserClick(main, "btnGo"), EInvalidOperation);
    });
    driver.Answer("Cancel");
    TModalDriverScope scope(&driver);
    EXPECT_EQ(Form->ShowModal(), mrCancel);
    EXPECT_TRUE(main->Enabled());
    EXPECT_EQ(Screen->ActiveForm(), main);
}

TEST_F(FormsTest, ReleaseFreesTheFormAtTheNextDrain) {
    struct TWatcher : TComponent {
        using TComponent::TComponent;
        bool Gone = false;
        void Notification(TComponent* c, TOperation op) override {
            TComponent::Notification(c, op);
            if (op == opRemove) Gone = true;
        }
    } watcher(nullptr);
    Form->FreeNotification(&watcher);
    Form->Show();
    Form->Release();
    EXPECT_FALSE(watcher.Gone);
    EXPECT_EQ(Screen->FindRoot("frmTest"), Form);
    Application->ProcessMessages();
    EXPECT_TRUE(watcher.Gone);
    EXPECT_EQ(Screen->FindRoot("frmTest"), nullptr);
}

TEST_F(FormsTest, CloseFollowsTheCloseAction) {
    struct TCloser : TObject {
        TCloseAction Action = caHide;
        void Close(TObject*, TCloseAction& action) { action = Action; }
    } closer;
    Form->SetOnClose(TCloseEvent(&closer, &TCloser::Close));
    for (TCloseAction action : {caNone, caHide, caMinimize}) {
        closer.Action = action;
        Form->SetWindowState(wsNormal);
        Form->Show();
        Form->Close();
        EXPECT_EQ(Form->Visible(), action != caHide) << action;
        EXPECT_EQ(Form->WindowState() == wsMinimized, action == caMinimize);
    }
    closer.Action = caFree;
    Form->Close();
    EXPECT_EQ(Screen->FormCount(), 1);
    Application->ProcessMessages();
    EXPECT_EQ(Screen->FormCount(), 0);
    Form = nullptr;
}

TEST_F(FormsTest, ClosingTheMainFormEndsTheApplication) {
    Application->SetMainForm(Form);
    Form->Show();
    Form->RequireName = true;
    Form->Close();
    EXPECT_FALSE(Application->Terminated());
    Form->edName->SetText("x");
    Form->Close();
    EXPECT_TRUE(Application->Terminated());
}

TEST_F(FormsTest, ActivationMovesBetweenFormsAndKeepsEachFocus) {
    auto* other = new TfrmTest(Application);
    Form->Show();
    Form->edCode->SetFocus();
    other->Show();
    EXPECT_EQ(Screen->ActiveForm(), other);
    EXPECT_EQ(Screen->Forms(0), other);
    EXPECT_FALSE(Form->edCode->Focused());
    EXPECT_NE(other->Name(), Form->Name()); // a second instance takes frmTest_1
    other->Hide();
    EXPECT_EQ(Screen->ActiveForm(), Form);
    EXPECT_TRUE(Form->edCode->Focused());
    EXPECT_EQ(Screen->ActiveControl(), Form->edCode);
}

TEST_F(FormsTest, PositionCentresOnTheScreen) {
    Form->SetPosition(poScreenCenter);
    Form->Show();
    EXPECT_EQ(Form->Left(), (Screen->Width() - Form->Width()) / 2);
    EXPECT_EQ(Form->Top(), (Screen->Height() - Form->Height()) / 2);
}

TEST_F(FormsTest, DataModuleRunsItsEventsAndIsFoundByName) {
    std::vector<AnsiString> log;
    struct TRecorder : TObject {
        std::vector<AnsiString>* Log;
        void Created(TObject*) { Log->push_back("created"); }
        void Destroyed(TObject*) { Log->push_back("destroyed"); }
    } recorder;
    recorder.Log = &log;
    auto* dm = new TDataModule(Application);
    dm->SetOnCreate(TNotifyEvent(&recorder, &TRecorder::Created));
    dm->SetOnDestroy(TNotifyEvent(&recorder, &TRecorder::Destroyed));
    ReadComponentFromText(dm,
                          "object dmMain: TDataModule\n  OldCreateOrder = False\n  Left = 10\n  Top = 20\n"
                          "  Height = 150\n  Width = 215\nend\n");
    EXPECT_EQ(Screen->FindRoot("dmMain"), dm);
    EXPECT_EQ(Screen->DataModuleCount(), 1);
    dm->Free();
    EXPECT_EQ(log, (std::vector<AnsiString>{"created", "destroyed"}));
    EXPECT_EQ(Screen->DataModuleCount(), 0);
}

} // namespace

TEST(HourGlass, NestedScopesPutBackTheCursorTheyFoundAlsoAfterAnException) {
    Screen->SetCursor(crDefault);
    {
        THourGlass outer;
        EXPECT_EQ(Screen->Cursor(), crHourGlass);
        try {
            THourGlass inner;
            throw Exception("stop");
        } catch (const Exception&) {
        }
        EXPECT_EQ(Screen->Cursor(), crHourGlass); // the inner one found the hour-glass already
    }
    EXPECT_EQ(Screen->Cursor(), crDefault);
}
