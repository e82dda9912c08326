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
[[maybe_unused]] const bool gControllerClassStored =
    (DLLControllerClass = TDLLMTCtrller::StaticClass(), true);

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
    switch (rightsBit) {
    case 0x01:
        return 0x01; // add
    case 0x02:
        return 0x08; // delete
    case 0x04:
        return 0x04; // query
    case 0x08:
        return 0x02; // change
    case 0x10:
        return 0x10; // print
    case 0x20:
        return 0x20; // confirm
    case 0x40:
        return 0x40;
    case 0x80:
        return 0x80;
    default:
        return 0;
    }
}

int OpenModeOfHostMode(int mode, bool* keepsParam) {
    bool keeps = false;
    int openMode = 0;
    switch (mode) {
    case 1:
    case 2:
    case 3:
    case 4:
    case 5:
        openMode = mode;
        break;
    case 7:
    case 8:
        openMode = mode;
        keeps = true;
        break;
    case 10:
        openMode = 9;
        keeps = true;
        break;
    case 12:
        openMode = 10;
        break;
    case 13:
        openMode = 11;
        break;
    default:
        openMode = 0;
        break;
    }
    if (keepsParam) *keepsParam = keeps;
    return openMode;
}

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
    for (int bit = 0x01; bit <= 0x80; bit <<= 1)
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
