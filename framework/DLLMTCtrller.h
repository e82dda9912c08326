#pragma once
// TDLLMTCtrller: the controller of the document forms. Open creates the
// program's form from frmRadicalClass, checks the host's version, hooks the
// form's show, hide, destroy and close events so that the host hears of them,
// and starts the form up; the other operations act on that form.
#include "framework/DLLBaseCtrller.h"
#include "classlib/rtl/units.h"
#include "framework/FormModes.h"

class TfrmRadical;

// The class of the program's form (a TfrmRadical descendant); the library's
// main block stores it.
extern TClass frmRadicalClass;

// The unit's initialisation stores TDLLMTCtrller in DLLControllerClass (classlib/rtl/units.h).
extern const TUnitHooks DLLMTCtrllerUnit;

// The host version the module was built against.
constexpr int DLL_DEPENDENCY_VERSION = 8000;

class TDLLMTCtrller : public TDLLBaseController {
    KVR_CLASS(TDLLMTCtrller, TDLLBaseController)
public:
    TDLLMTCtrller() = default;
    ~TDLLMTCtrller() override;

    // Fields, in the order of the contract.
    TfrmRadical* Form = nullptr; // the form Open created; nil before and after it
    TNotifyEvent SavedOnShow;    // the form's handlers before Open hooked them
    TNotifyEvent SavedOnHide;
    TNotifyEvent SavedOnDestroy;
    TCloseEvent SavedOnClose;

    void GetVersion(WideString& version) override;
    bool GetVisible() override;
    void SetVisible(bool value) override;
    int GetHandle() override;
    int Open(const OleVariant& params) override;
    int SetParameter(const OleVariant& value) override;
    int SetMode(int mode, int rights, const OleVariant& param) override;
    void ShowModal(OleVariant& value) override;
    void CloseForm(bool silent) override;
    int GetInfo(OleVariant& info) override;
    bool IsFree() override;
    void FormShowHook(TObject* sender) override;
    void FormHideHook(TObject* sender) override;
    void FormDestroyHook(TObject* sender) override;
    void FormCloseHook(TObject* sender, TCloseAction& action) override;

    void BeforeDestruction() override;

private:
    void CheckHostVersion();
    void InstallHooks();
};

// The operation-mask bit that a clear bit of the host's rights takes away, for
// rights bits DLL_RIGHT_ADD..DLL_RIGHT_VOID.
Word OperationMaskBitOfRight(int rightsBit);
// The form's open mode for a host mode, and whether that mode hands its
// parameter to the form.
int OpenModeOfHostMode(int mode, bool* keepsParam = nullptr);
