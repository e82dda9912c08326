#pragma once
// The module controller as the host sees it: the one declaration that the host
// and the module share. The host calls GetController, then drives the object
// through its virtual operations and reads and writes its fields directly, so
// the order of the fields and of the eighteen virtual operations below is the
// contract between them; change neither without rebuilding both.
//
// The host needs nothing of the module but this header and the exported
// GetController: every call goes through the object's virtual table, so the
// host links only the class library.
#include "classlib/controls/forms.h"
#include "classlib/objects/object.h"
#include "classlib/rtl/variants.h"

// The host's notification callback: a notification code and the controller.
KVR_EVENT_TYPE(TDLLNotifyEvent, void(int code, TObject* sender));

// Notification codes.
constexpr int DLL_NOTIFY_CREATED = 0x100;
constexpr int DLL_NOTIFY_SHOWN = 0x110;
constexpr int DLL_NOTIFY_HIDDEN = 0x120;
constexpr int DLL_NOTIFY_DESTROYED = 0x130;
constexpr int DLL_NOTIFY_CLOSED = 0x140;

// SetMode's rights: one bit per operation; a clear bit withholds it from the user.
constexpr int DLL_RIGHT_ADD = 0x01;
constexpr int DLL_RIGHT_DELETE = 0x02;
constexpr int DLL_RIGHT_QUERY = 0x04;
constexpr int DLL_RIGHT_CHANGE = 0x08;
constexpr int DLL_RIGHT_PRINT = 0x10;
constexpr int DLL_RIGHT_CONFIRM = 0x20;
constexpr int DLL_RIGHT_UNCONFIRM = 0x40;
constexpr int DLL_RIGHT_VOID = 0x80;
constexpr int DLL_RIGHTS_ALL = 0xFF;

// SetMode's modes, as the host numbers them: 1 to 5 open the form in that mode; with a parameter 7 (add)
// and 8 (edit); 10, 12 and 13 (data import). Any other mode asks for nothing.
constexpr int DLL_MODE_ADD = 1;
constexpr int DLL_MODE_EDIT = 3;
constexpr int DLL_MODE_PRINT = 5;
constexpr int DLL_MODE_ADD_WITH_PARAM = 7;
constexpr int DLL_MODE_EDIT_WITH_PARAM = 8;
constexpr int DLL_MODE_10 = 10;
constexpr int DLL_MODE_12 = 12;
constexpr int DLL_MODE_IMPORT = 13;

class TDLLBaseController : public TObject {
    KVR_CLASS(TDLLBaseController, TObject)
public:
    // Fields, in the order of the contract. A new controller starts with all of
    // them empty.
    OleVariant HostApp;       // the host's automation object; written by the host before Open
    int ResultCode = 0;       // the form's return code, copied when the form is destroyed
    OleVariant ResultValue;   // the form's return value, copied when the form is destroyed
    TDLLNotifyEvent OnNotify; // the host's callback; empty means no notifications

    ~TDLLBaseController() override;

    // 1-11: implemented by the controller of the document forms.
    virtual void GetVersion(WideString& version) = 0;
    virtual bool GetVisible() = 0;
    virtual void SetVisible(bool value) = 0;
    virtual int GetHandle() = 0;
    virtual int Open(const OleVariant& params) = 0;
    virtual int SetParameter(const OleVariant& value) = 0;
    virtual int SetMode(int mode, int rights, const OleVariant& param) = 0;
    virtual void ShowModal(OleVariant& value) = 0;
    virtual void CloseForm(bool silent) = 0;
    virtual int GetInfo(OleVariant& info) = 0;
    virtual bool IsFree() = 0;
    // 12-18: with bodies here; the hooks only notify unless a descendant does
    // more.
    virtual void DoCreated();
    virtual void FormShowHook(TObject* sender);
    virtual void FormHideHook(TObject* sender);
    virtual void FormDestroyHook(TObject* sender);
    virtual void FormCloseHook(TObject* sender, TCloseAction& action);
    virtual void Notify(int code);
    virtual void Reserved17();
};

// The controller class that GetController creates (a TDLLBaseController
// descendant); set when the controller unit of the library loads.
extern TClass DLLControllerClass;

// The library's only export, found by the host by name. Returns a new
// controller that the caller owns and frees; raises Exception when no
// controller class is stored.
extern "C" TDLLBaseController* GetController();
using TGetControllerProc = TDLLBaseController* (*)();
constexpr const char* GetControllerName = "GetController";
