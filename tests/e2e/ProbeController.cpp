#include "tests/e2e/ProbeController.h"

TProbeController::~TProbeController() {
    if (FForm) FForm->Free();
}

void TProbeController::SetVisible(bool value) {
    if (FForm) FForm->SetVisible(value);
}

int TProbeController::Open(const OleVariant&) {
    FForm = CreateProbeForm(Application, HostApp);
    return 0;
}

void TProbeController::ShowModal(OleVariant&) {
    if (FForm) FForm->ShowModal();
}

void TProbeController::CloseForm(bool) {
    if (FForm) FForm->Free();
    FForm = nullptr;
}

KVR_PUBLISHED(TProbeController, c) {}

namespace {
const bool gRegistered = (DLLControllerClass = TProbeController::StaticClass(), true);
}
