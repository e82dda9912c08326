// The module controller as the host drives it: the built KVRX58C.so loaded by path, GetController
// found by name, and every operation called through the shared declaration only. This executable does
// not link the module's objects, so the module's classes are the library's own, as in the host.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <vector>

#include "classlib/rtl/dynlib.h"
#include "classlib/rtl/files.h"
#include "framework/DLLMTCtrller.h"
#include "framework/RadicalCF.h"
#include "standins/shared/serverconfig.h"
#include "foundation/TempPlatform.h"
#include "tests/framework/DispatchDouble.h"
#include "tests/framework/host/UiDriver.h"

namespace {

HMODULE gModule = 0;
std::filesystem::path gDatabaseDir;
TGetControllerProc gGetController = nullptr;

class TNotifications : public TObject {
public:
    void Notified(int code, TObject* sender) {
        Codes.push_back(code);
        Senders.push_back(sender);
    }
    std::vector<int> Codes;
    std::vector<TObject*> Senders;
};

// Through TObject alone: a call the compiler could bind to the module's class directly would need the
// module's own code in this executable.
__attribute__((noipa)) AnsiString ClassNameOf(const TObject* object) {
    return object->ClassName();
}

Variant StartParams() {
    return VarArrayOf({"DEMO", "DEMO", "DEMO", 0, "P1"});
}

// The form starts up against the application server in this process, over a demo database made once
// for the suite, on a platform whose client configuration names 127.0.0.1.
class ControllerTest : public TempPlatform {
protected:
    static void SetUpTestSuite() {
        gDatabaseDir =
            std::filesystem::temp_directory_path() / ("kvr-controller-" + std::to_string(getpid()));
        std::filesystem::create_directories(gDatabaseDir);
        SetServerDatabasePath((gDatabaseDir / "demo.db").string());
        gModule = LoadLibrary(KVR_MODULE_PATH);
        ASSERT_NE(gModule, 0u) << LastLibraryError();
        gGetController = reinterpret_cast<TGetControllerProc>(GetProcAddress(gModule, GetControllerName));
        ASSERT_NE(gGetController, nullptr);
    }
    static void TearDownTestSuite() {
        // As the host does when it is done: every controller freed, then the module unloaded.
        if (gModule) FreeLibrary(gModule);
        gModule = 0;
        gGetController = nullptr;
        SetServerDatabasePath("");
        std::error_code ignored;
        std::filesystem::remove_all(gDatabaseDir, ignored);
    }

    void SetUp() override {
        TempPlatform::SetUp();
        SetPlatformKey({{"ClientPath", "C:\\Veltrane\\"}});
        WriteFile("C:\\Veltrane\\VeltraneC.ini", "[Server Information]\r\nComputerName=127.0.0.1\r\n");
        Ui.Install();
        Controller = gGetController();
        Controller->OnNotify = TDLLNotifyEvent(&Notes, &TNotifications::Notified);
    }
    void TearDown() override {
        if (Controller) Controller->Free();
        Ui.Uninstall();
        TempPlatform::TearDown();
    }

    // The controller's own fields beyond the host's, read through the shared declaration.
    TDLLMTCtrller* Ctrl() const { return static_cast<TDLLMTCtrller*>(Controller); }
    TfrmRadical* Form() const { return Ctrl()->Form; }

    int OpenWith(const Variant& version) {
        Controller->HostApp = NewWorkCenterDouble(version);
        return Controller->Open(StartParams());
    }

    TUiDriver Ui;
    TNotifications Notes;
    TDLLBaseController* Controller = nullptr;
};

TEST_F(ControllerTest, TwoCallsGiveTwoIndependentEmptyControllers) {
    TDLLBaseController* second = gGetController();
    EXPECT_NE(second, Controller);
    EXPECT_EQ(ClassNameOf(second), "TDLLMTCtrller");
    for (TDLLBaseController* c : {Controller, second}) {
        EXPECT_TRUE(c->IsFree());
        EXPECT_TRUE(VarIsEmpty(static_cast<TDLLMTCtrller*>(c)->HostApp));
        EXPECT_EQ(c->ResultCode, 0);
        EXPECT_TRUE(VarIsEmpty(c->ResultValue));
    }
    EXPECT_FALSE(second->OnNotify.Assigned());
    ASSERT_EQ(OpenWith(8000), 0);
    EXPECT_FALSE(Controller->IsFree());
    EXPECT_TRUE(second->IsFree()); // one controller's form is its own
    second->Free();
}

TEST_F(ControllerTest, OpenCreatesTheFormAndStartsItUp) {
    ASSERT_EQ(OpenWith(8000), 0);
    EXPECT_EQ(Notes.Codes, std::vector<int>{DLL_NOTIFY_CREATED});
    EXPECT_EQ(Notes.Senders[0], Controller);
    ASSERT_NE(Form(), nullptr);
    EXPECT_EQ(ClassNameOf(Form()), "TfrmKvrx58");
    EXPECT_FALSE(Controller->GetVisible()); // hidden until the host shows it
    EXPECT_EQ(ExtractFileName(Form()->ModuleFileName), "KVRX58C.so");
    EXPECT_TRUE(VarSameValue(Form()->Broker->HostApp, Controller->HostApp));
    EXPECT_TRUE(Ui.Dialogs().empty());

    Variant info;
    ASSERT_EQ(Controller->GetInfo(info), 0);
    EXPECT_EQ(VarArrayLowBound(info, 1), 0);
    EXPECT_EQ(VarArrayHighBound(info, 1), 3);
    EXPECT_EQ(info.GetElement({0}).AsString(), "DEMO");
    EXPECT_EQ(info.GetElement({1}).AsString(), "DEMO");
    EXPECT_EQ(info.GetElement({2}).AsString(), "KVRX58");
    EXPECT_EQ(Form()->OpenParam.AsString(), "P1");

    Form()->VersionText = "8.0.1";
    WideString version;
    Controller->GetVersion(version);
    EXPECT_EQ(version, u"8.0.1");
}

struct TVersionCase {
    const char* Name;
    Variant Version; // Unassigned: the host object has no DependencyVersion
    std::vector<AnsiString> Messages;
    AnsiString Error;
};

TEST_F(ControllerTest, TheHostVersionMustBe8000) {
    const AnsiString bang = "VorlanWorkCenter version too old,please update!";
    const AnsiString newer = "This program's version is too old, please update.";
    const AnsiString older = "VorlanWorkCenter version too old,please update.";
    const AnsiString missing = "Method 'DependencyVersion' not supported by automation object";
    const TVersionCase cases[] = {
        {"above", 8001, {newer, bang}, bang + newer},
        {"below", 7999, {older, bang}, bang + older},
        {"text below", "70", {older, bang}, bang + older},
        {"missing", Variant(), {bang}, bang + missing},
    };
    for (const TVersionCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TDLLBaseController* controller = gGetController();
        TNotifications notes;
        controller->OnNotify = TDLLNotifyEvent(&notes, &TNotifications::Notified);
        controller->HostApp = NewWorkCenterDouble(c.Version);
        Ui.ClearDialogs();
        try {
            controller->Open(StartParams());
            ADD_FAILURE() << "Open did not raise";
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), c.Error);
        }
        EXPECT_EQ(Ui.Dialogs(), c.Messages);
        EXPECT_TRUE(notes.Codes.empty()); // no 0x100
        // The form stays with the controller, without hooks: showing it tells the host nothing.
        EXPECT_FALSE(controller->IsFree());
        controller->SetVisible(true);
        EXPECT_TRUE(controller->GetVisible());
        EXPECT_TRUE(notes.Codes.empty());
        controller->CloseForm(true);
        EXPECT_TRUE(controller->IsFree());
        controller->Free();
    }
}

TEST_F(ControllerTest, ARepeatedOpenKeepsTheFormAndNeverChainsAHookToItself) {
    ASSERT_EQ(OpenWith(8000), 0);
    int formOwnShows = 0;
    class TCounter : public TObject {
    public:
        explicit TCounter(int& n) : N(n) {}
        void Shown(TObject*) { ++N; }
        int& N;
    } counter(formOwnShows);
    TfrmRadical* form = Form();
    // The form (or its program) sets a handler of its own after the first Open.
    form->SetOnShow(TNotifyEvent(&counter, &TCounter::Shown));

    ASSERT_EQ(Controller->Open(StartParams()), 0);
    ASSERT_EQ(Controller->Open(StartParams()), 0);
    EXPECT_EQ(Form(), form); // no second form
    EXPECT_EQ(Notes.Codes, std::vector<int>{DLL_NOTIFY_CREATED});
    EXPECT_EQ(Ctrl()->SavedOnShow, TNotifyEvent(&counter, &TCounter::Shown));
    EXPECT_EQ(Ctrl()->SavedOnHide.Object(), nullptr);
    EXPECT_NE(Ctrl()->SavedOnDestroy.Object(), Controller);
    EXPECT_NE(Ctrl()->SavedOnClose.Object(), Controller);

    Notes.Codes.clear();
    Controller->SetVisible(true);
    Controller->SetVisible(false);
    EXPECT_EQ(formOwnShows, 1);
    EXPECT_EQ(Notes.Codes, (std::vector<int>{DLL_NOTIFY_SHOWN, DLL_NOTIFY_HIDDEN}));
    Controller->CloseForm(false);
    EXPECT_EQ(Notes.Codes, (std::vector<int>{DLL_NOTIFY_SHOWN, DLL_NOTIFY_HIDDEN, DLL_NOTIFY_CLOSED,
                                             DLL_NOTIFY_DESTROYED}));
}

TEST_F(ControllerTest, SetModeClearsMaskBitsForMissingRights) {
    EXPECT_EQ(Controller->SetMode(1, 0, Variant()), -1); // no form
    ASSERT_EQ(OpenWith(8000), 0);
    ASSERT_EQ(Controller->SetMode(0, 0xFF, Variant()), 0);
    EXPECT_EQ(Form()->OperationMask, OPERATION_MASK_ALL);
    ASSERT_EQ(Controller->SetMode(0, 0, Variant()), 0);
    EXPECT_EQ(Form()->OperationMask, OPERATION_ALWAYS);
    ASSERT_EQ(Controller->SetMode(0, 0xFF, Variant()), 0);
    EXPECT_EQ(Form()->OperationMask, OPERATION_ALWAYS); // bits are never set again
}

TEST_F(ControllerTest, EachMissingRightClearsItsOwnMaskBit) {
    const struct {
        int Right;
        Word MaskBit;
    } table[] = {{DLL_RIGHT_ADD, OPERATION_ADD},
                 {DLL_RIGHT_DELETE, OPERATION_DELETE},
                 {DLL_RIGHT_QUERY, OPERATION_QUERY},
                 {DLL_RIGHT_CHANGE, OPERATION_CHANGE},
                 {DLL_RIGHT_PRINT, OPERATION_PRINT},
                 {DLL_RIGHT_CONFIRM, OPERATION_CONFIRM},
                 {DLL_RIGHT_UNCONFIRM, OPERATION_UNCONFIRM},
                 {DLL_RIGHT_VOID, OPERATION_VOID}};
    for (const auto& row : table) {
        SCOPED_TRACE(row.Right);
        TDLLBaseController* controller = gGetController();
        controller->HostApp = NewWorkCenterDouble(8000);
        ASSERT_EQ(controller->Open(StartParams()), 0);
        ASSERT_EQ(controller->SetMode(0, 0xFFFFFF00 | (0xFF & ~row.Right), Variant()), 0);
        EXPECT_EQ(static_cast<TDLLMTCtrller*>(controller)->Form->OperationMask,
                  OPERATION_MASK_ALL & ~row.MaskBit);
        controller->Free();
    }
}

TEST_F(ControllerTest, SetModeMapsTheHostModes) {
    ASSERT_EQ(OpenWith(8000), 0);
    const struct {
        int Mode;
        int OpenMode;
        bool KeepsParam;
    } table[] = {{0, 0, false},   {1, 1, false},   {2, 2, false},  {3, 3, false},
                 {4, 4, false},   {5, 5, false},   {6, 0, false},  {7, 7, true},
                 {8, 8, true},    {9, 0, false},   {10, 9, true},  {11, 0, false},
                 {12, 10, false}, {13, 11, false}, {14, 0, false}, {-1, 0, false}};
    for (const auto& row : table) {
        SCOPED_TRACE(row.Mode);
        Form()->ModeParam = Variant();
        ASSERT_EQ(Controller->SetMode(row.Mode, 0xFF, "KV1-0001"), 0);
        EXPECT_EQ(Form()->OpenMode, row.OpenMode);
        EXPECT_EQ(VarIsEmpty(Form()->ModeParam), !row.KeepsParam);
    }
}

TEST_F(ControllerTest, SetParameterTakesTextAndValue) {
    EXPECT_EQ(Controller->SetParameter(VarArrayOf({0, "x"})), -1); // no form
    ASSERT_EQ(OpenWith(8000), 0);
    EXPECT_EQ(Controller->SetParameter(Null()), -1);
    EXPECT_EQ(Controller->SetParameter("not an array"), -1);
    EXPECT_EQ(Controller->SetParameter(VarArrayOf({0})), -1); // no element 1
    EXPECT_EQ(Form()->ParamText, "");

    ASSERT_EQ(Controller->SetParameter(VarArrayOf({0, "单号"})), 0);
    EXPECT_EQ(Form()->ParamText, "单号");
    ASSERT_EQ(Controller->SetParameter(VarArrayOf({0, Null()})), 0);
    EXPECT_EQ(Form()->ParamText, "");
    ASSERT_EQ(Controller->SetParameter(VarArrayOf({0, VarArrayOf({"KV1", 42})})), 0);
    EXPECT_EQ(Form()->ParamText, "KV1");
    EXPECT_EQ(Form()->ParamValue.AsInteger(), 42);
}

TEST_F(ControllerTest, CloseFormSilentOrNot) {
    for (const bool silent : {true, false}) {
        SCOPED_TRACE(silent);
        TDLLBaseController* controller = gGetController();
        TNotifications notes;
        controller->OnNotify = TDLLNotifyEvent(&notes, &TNotifications::Notified);
        controller->HostApp = NewWorkCenterDouble(8000);
        ASSERT_EQ(controller->Open(StartParams()), 0);
        TfrmRadical* form = static_cast<TDLLMTCtrller*>(controller)->Form;
        form->ReturnCode = 2;
        form->ReturnValue = "KV1-0001";
        notes.Codes.clear();
        controller->CloseForm(silent);
        const std::vector<int> expected = silent ? std::vector<int>{DLL_NOTIFY_DESTROYED}
                                                 : std::vector<int>{DLL_NOTIFY_CLOSED, DLL_NOTIFY_DESTROYED};
        EXPECT_EQ(notes.Codes, expected);
        EXPECT_TRUE(controller->IsFree());
        EXPECT_EQ(controller->ResultCode, 2);
        EXPECT_EQ(controller->ResultValue.AsString(), "KV1-0001");
        controller->CloseForm(false); // no form: nothing
        EXPECT_EQ(notes.Codes.size(), silent ? 1u : 2u);
        controller->Free();
    }
}

TEST_F(ControllerTest, ShowModalRunsTheModalLoopAndEndsWithoutAForm) {
    ASSERT_EQ(OpenWith(8000), 0);
    Notes.Codes.clear();
    TfrmRadical* form = Form();
    Ui.OnModalIdle(form, [form] {
        form->ReturnValue = "返回值";
        form->SetModalResult(mrOk);
    });
    Variant value;
    Controller->ShowModal(value);
    EXPECT_EQ(value.AsString(), "返回值");
    EXPECT_TRUE(Controller->IsFree());
    // The document form's close result: 2 when it was not opened with a parameter.
    EXPECT_EQ(Controller->ResultCode, 2);
    ASSERT_GE(Notes.Codes.size(), 3u);
    EXPECT_EQ(Notes.Codes.front(), DLL_NOTIFY_SHOWN);
    EXPECT_EQ(Notes.Codes[Notes.Codes.size() - 2], DLL_NOTIFY_CLOSED);
    EXPECT_EQ(Notes.Codes.back(), DLL_NOTIFY_DESTROYED);
}

TEST_F(ControllerTest, WithoutAFormTheOperationsDoNothing) {
    Variant info = "unchanged";
    EXPECT_EQ(Controller->GetInfo(info), -1);
    EXPECT_EQ(info.AsString(), "unchanged");
    EXPECT_EQ(Controller->GetHandle(), 0);
    EXPECT_FALSE(Controller->GetVisible());
    WideString version = u"v";
    Controller->GetVersion(version);
    EXPECT_EQ(version, u"v");
    Controller->SetVisible(true);
    Controller->CloseForm(false);
    Variant value = 5;
    Controller->ShowModal(value);
    EXPECT_EQ(value.AsInteger(), 5);
    EXPECT_TRUE(Controller->IsFree());
    EXPECT_TRUE(Notes.Codes.empty());
    Controller->Notify(0x777); // Notify works without a form
    EXPECT_EQ(Notes.Codes, std::vector<int>{0x777});
}

TEST_F(ControllerTest, VisibilityAndHandleOfTheForm) {
    ASSERT_EQ(OpenWith(8000), 0);
    Notes.Codes.clear();
    EXPECT_NE(Controller->GetHandle(), 0);
    EXPECT_EQ(Controller->GetHandle(), Controller->GetHandle());
    Form()->SetWindowState(wsMinimized);
    Controller->SetVisible(true);
    EXPECT_TRUE(Controller->GetVisible());
    EXPECT_EQ(Form()->WindowState(), wsNormal);
    Controller->SetVisible(false);
    EXPECT_FALSE(Controller->GetVisible());
    EXPECT_EQ(Notes.Codes, (std::vector<int>{DLL_NOTIFY_SHOWN, DLL_NOTIFY_HIDDEN}));
}

TEST_F(ControllerTest, FreeingTheControllerClosesItsForm) {
    ASSERT_EQ(OpenWith(8000), 0);
    Notes.Codes.clear();
    Controller->Free();
    Controller = nullptr;
    EXPECT_EQ(Notes.Codes, (std::vector<int>{DLL_NOTIFY_CLOSED, DLL_NOTIFY_DESTROYED}));
}

TEST_F(ControllerTest, TheUserClosingTheFormReachesTheHost) {
    ASSERT_EQ(OpenWith(8000), 0);
    Controller->SetVisible(true);
    Notes.Codes.clear();
    Form()->Close();
    EXPECT_EQ(Notes.Codes.front(), DLL_NOTIFY_CLOSED);
}

} // namespace
