#include "framework/DLLMTCtrller.h"

#include <dlfcn.h>

#include "classlib/controls/dialogs.h"
#include "classlib/rtl/codepages.h"
#include "classlib/rtl/files.h"
#include "framework/RadicalCF.h"
#include "framework/WorkCenter.h"

TClass frmRadicalClass = nullptr;

KVR_PUBLISHED(TDLLMTCtrller, c) {}

namespace {

// The unit's initialisation: GetController makes document-form controllers.
void InitializeUnit() {
    DLLControllerClass = TDLLMTCtrller::StaticClass();
}
void FinalizeUnit() {
    DLLControllerClass = nullptr;
}

// The full path of the library this code is in (the executable's when linked
// into one).
AnsiString OwnModuleFileName() {
    Dl_info info{};
    if (::dladdr(reinterpret_cast<void*>(&OwnModuleFileName), &info) == 0 || !info.dli_fname ||
        !*info.dli_fname)
        return GetModuleFileName();
    return ExpandFileName(SystemPath(info.dli_fname));
}

void ShowPlainMessage(const AnsiString& text) {
    Application->MessageBox(text, "", MB_OK);
}

} // namespace

Word OperationMaskBitOfRight(int rightsBit) {
    static const struct {
        int Right;
        Word Mask;
    } table[] = {{DLL_RIGHT_ADD, OPERATION_ADD},
                 {DLL_RIGHT_DELETE, OPERATION_DELETE},
                 {DLL_RIGHT_QUERY, OPERATION_QUERY},
                 {DLL_RIGHT_CHANGE, OPERATION_CHANGE},
                 {DLL_RIGHT_PRINT, OPERATION_PRINT},
                 {DLL_RIGHT_CONFIRM, OPERATION_CONFIRM},
                 {DLL_RIGHT_UNCONFIRM, OPERATION_UNCONFIRM},
                 {DLL_RIGHT_VOID, OPERATION_VOID}};
    for (const auto& row : table)
        if (row.Right == rightsBit) return row.Mask;
    return 0;
}

int OpenModeOfHostMode(int mode, bool* keepsParam) {
    static const struct {
        int HostMode;
        int OpenMode;
        bool KeepsParam;
    } table[] = {{DLL_MODE_ADD, OPEN_MODE_ADD, false},
                 {2, 2, false},
                 {DLL_MODE_EDIT, OPEN_MODE_EDIT, false},
                 {4, 4, false},
                 {DLL_MODE_PRINT, OPEN_MODE_PRINT, false},
                 {DLL_MODE_ADD_WITH_PARAM, OPEN_MODE_ADD_WITH_PARAM, true},
                 {DLL_MODE_EDIT_WITH_PARAM, OPEN_MODE_EDIT_WITH_PARAM, true},
                 {DLL_MODE_10, OPEN_MODE_HOST_10, true},
                 {DLL_MODE_12, OPEN_MODE_HOST_12, false},
                 {DLL_MODE_IMPORT, OPEN_MODE_IMPORT, false}};
    if (keepsParam) *keepsParam = false;
    for (const auto& row : table)
        if (row.HostMode == mode) {
            if (keepsParam) *keepsParam = row.KeepsParam;
            return row.OpenMode;
        }
    return OPEN_MODE_NONE;
}

const TUnitHooks DLLMTCtrllerUnit{"DLLMTCtrller", &InitializeUnit, &FinalizeUnit};

TDLLMTCtrller::~TDLLMTCtrller() {
    // Deleted without Free: the form still must not outlive its controller, whose
    // hooks it calls.
    if (Form) {
        try {
            CloseForm(false);
        } catch (...) {
            Form = nullptr;
        }
    }
}

void TDLLMTCtrller::BeforeDestruction() {
    if (Form) CloseForm(false);
    TDLLBaseController::BeforeDestruction();
}

void TDLLMTCtrller::GetVersion(WideString& version) {
    if (Form) version = AnsiToWide(Form->VersionText);
}

bool TDLLMTCtrller::GetVisible() {
    return Form && Form->Visible();
}

void TDLLMTCtrller::SetVisible(bool value) {
    if (!Form) return;
    if (value) {
        if (Form->WindowState() == wsMinimized) Form->SetWindowState(wsNormal);
        Form->SetVisible(true);
        Form->BringToFront();
    } else {
        Form->SetVisible(false);
    }
}

int TDLLMTCtrller::GetHandle() {
    return Form ? static_cast<int>(Form->Handle()) : 0;
}

void TDLLMTCtrller::CheckHostVersion() {
    try {
        const TWorkCenter host(HostApp);
        if (host.DependencyVersion() > DLL_DEPENDENCY_VERSION) {
            const AnsiString text = "This program's version is too old, please update.";
            ShowPlainMessage(text);
            throw Exception(text);
        }
        if (host.DependencyVersion() < DLL_DEPENDENCY_VERSION) {
            const AnsiString text = "VorlanWorkCenter version too old,please update.";
            ShowPlainMessage(text);
            throw Exception(text);
        }
    } catch (const Exception& e) {
        const AnsiString text = "VorlanWorkCenter version too old,please update!";
        ShowPlainMessage(text);
        throw Exception(text + e.Message());
    }
}

void TDLLMTCtrller::InstallHooks() {
    // A hook is installed only where the form's event does not hold it already: a
    // repeated Open then keeps the handler it saved the first time, and a hook
    // never becomes its own saved handler.
    const TNotifyEvent showHook(this, &TDLLBaseController::FormShowHook);
    const TNotifyEvent hideHook(this, &TDLLBaseController::FormHideHook);
    const TNotifyEvent destroyHook(this, &TDLLBaseController::FormDestroyHook);
    const TCloseEvent closeHook(this, &TDLLBaseController::FormCloseHook);
    if (!(Form->OnShow() == showHook)) {
        SavedOnShow = Form->OnShow();
        Form->SetOnShow(showHook);
    }
    if (!(Form->OnHide() == hideHook)) {
        SavedOnHide = Form->OnHide();
        Form->SetOnHide(hideHook);
    }
    if (!(Form->OnDestroy() == destroyHook)) {
        SavedOnDestroy = Form->OnDestroy();
        Form->SetOnDestroy(destroyHook);
    }
    if (!(Form->OnClose() == closeHook)) {
        SavedOnClose = Form->OnClose();
        Form->SetOnClose(closeHook);
    }
}

int TDLLMTCtrller::Open(const OleVariant& params) {
    int result = -1;
    if (!Form) {
        if (!frmRadicalClass)
            throw Exception("QVN DLL Internal Error :\rNot Assign \"frmRadicalClass\" varible");
        // Only a document form has the fields the controller reads and writes.
        if (!frmRadicalClass->InheritsFrom(TfrmRadical::StaticClass()))
            throw Exception("QVN DLL Internal Error :\r\"frmRadicalClass\" is not a " +
                            TfrmRadical::StaticClass()->ClassName());
        TComponent* created = frmRadicalClass->CreateComponent(nullptr);
        if (!created) throw Exception("QVN DLL Internal Error :\rNot Assign \"frmRadicalClass\" varible");
        Form = static_cast<TfrmRadical*>(created);
        Form->SetModuleFileName(OwnModuleFileName());
        CheckHostVersion();
        Form->Broker->HostApp = HostApp;
        DoCreated();
    }
    InstallHooks();
    if (Form->InitializeForm(params)) result = 0;
    return result;
}

int TDLLMTCtrller::SetParameter(const OleVariant& value) {
    if (!Form || VarIsNull(value) || !VarIsArray(value)) return -1;
    try {
        const Variant element = value.GetElement({1});
        if (VarIsNull(element) || !VarIsArray(element)) {
            Form->ParamText = VarToStr(element);
        } else {
            Form->ParamText = VarToStr(element.GetElement({0}));
            Form->ParamValue = element.GetElement({1});
        }
        return 0;
    } catch (const Exception&) {
        return -1;
    }
}

int TDLLMTCtrller::SetMode(int mode, int rights, const OleVariant& param) {
    if (!Form) return -1;
    for (int bit = DLL_RIGHT_ADD; bit <= DLL_RIGHT_VOID; bit <<= 1)
        if ((rights & bit) == 0) Form->OperationMask &= static_cast<Word>(~OperationMaskBitOfRight(bit));
    Form->UpdateButtonStates();
    bool keepsParam = false;
    Form->OpenMode = OpenModeOfHostMode(mode, &keepsParam);
    if (keepsParam) Form->ModeParam = param;
    return 0;
}

void TDLLMTCtrller::ShowModal(OleVariant& value) {
    if (!Form) return;
    Form->ShowModal();
    // A form that freed itself on closing has left its return value with the
    // destroy hook.
    value = Form ? Form->ReturnValue : ResultValue;
    CloseForm(false);
}

void TDLLMTCtrller::CloseForm(bool silent) {
    if (!Form || Form->ComponentState().Contains(csDestroying)) return;
    TfrmRadical* form = Form;
    if (!silent) {
        TCloseAction action = caNone;
        FormCloseHook(form, action);
    }
    if (Form != form) return; // the close handlers freed it already
    form->Free();
    // Without hooks (a failed version check) no destroy hook forgets the form:
    // never keep a freed one.
    Form = nullptr;
}

int TDLLMTCtrller::GetInfo(OleVariant& info) {
    if (!Form) return -1;
    Variant result = VarArrayCreate({0, 3}, varVariant);
    result.PutElement({0}, Form->Broker->UserID);
    result.PutElement({1}, Form->Broker->CompanyID);
    result.PutElement({2}, Form->Broker->ProgramID);
    result.PutElement({3}, Form->Broker->ProgramName);
    info = result;
    return 0;
}

bool TDLLMTCtrller::IsFree() {
    return Form == nullptr;
}

void TDLLMTCtrller::FormShowHook(TObject* sender) {
    if (SavedOnShow) SavedOnShow(sender);
    TDLLBaseController::FormShowHook(sender);
}

void TDLLMTCtrller::FormHideHook(TObject* sender) {
    if (SavedOnHide) SavedOnHide(sender);
    TDLLBaseController::FormHideHook(sender);
}

void TDLLMTCtrller::FormDestroyHook(TObject* sender) {
    if (Form) {
        ResultCode = Form->ReturnCode;
        ResultValue = Form->ReturnValue;
    }
    try {
        if (SavedOnDestroy) SavedOnDestroy(sender);
        TDLLBaseController::FormDestroyHook(sender);
    } catch (...) {
        Form = nullptr;
        throw;
    }
    Form = nullptr;
}

void TDLLMTCtrller::FormCloseHook(TObject* sender, TCloseAction& action) {
    if (SavedOnClose) SavedOnClose(sender, action);
    TDLLBaseController::FormCloseHook(sender, action);
}
