#include "framework/DLLBaseCtrller.h"

TClass DLLControllerClass = nullptr;

KVR_PUBLISHED(TDLLBaseController, c) {}

TDLLBaseController::~TDLLBaseController() = default;

void TDLLBaseController::DoCreated() {
    Notify(DLL_NOTIFY_CREATED);
}

void TDLLBaseController::FormShowHook(TObject*) {
    Notify(DLL_NOTIFY_SHOWN);
}

void TDLLBaseController::FormHideHook(TObject*) {
    Notify(DLL_NOTIFY_HIDDEN);
}

void TDLLBaseController::FormDestroyHook(TObject*) {
    Notify(DLL_NOTIFY_DESTROYED);
}

void TDLLBaseController::FormCloseHook(TObject*, TCloseAction&) {
    Notify(DLL_NOTIFY_CLOSED);
}

void TDLLBaseController::Notify(int code) {
    if (OnNotify) OnNotify(code, this);
}

void TDLLBaseController::Reserved17() {}

extern "C" TDLLBaseController* GetController() {
    if (!DLLControllerClass)
        throw Exception("QVN DLL Internal Error :\rNot Assign \"DLLControllerClass\" varible");
    TObject* object = DLLControllerClass->CreateObject();
    auto* controller = dynamic_cast<TDLLBaseController*>(object);
    if (!controller) {
        // A class that is no controller would be called through the wrong table by
        // the host.
        delete object;
        throw Exception("QVN DLL Internal Error :\rNot Assign \"DLLControllerClass\" varible");
    }
    return controller;
}
