#pragma once
// The controller of the host's probe plug-ins: it opens the one form the plug-in makes and does nothing
// else, so that a probe holds only the form its end-to-end scripts drive.
#include "classlib/controls/forms.h"
#include "framework/DLLBaseCtrller.h"

class TProbeController : public TDLLBaseController {
    KVR_CLASS(TProbeController, TDLLBaseController)
public:
    ~TProbeController() override;

    void GetVersion(WideString& version) override { version = u"1.0"; }
    bool GetVisible() override { return FForm && FForm->Visible(); }
    void SetVisible(bool value) override;
    int GetHandle() override { return FForm ? static_cast<int>(FForm->Handle()) : 0; }
    int Open(const OleVariant& params) override;
    int SetParameter(const OleVariant&) override { return 0; }
    int SetMode(int, int, const OleVariant&) override { return 0; }
    void ShowModal(OleVariant& value) override;
    void CloseForm(bool silent) override;
    int GetInfo(OleVariant&) override { return 0; }
    bool IsFree() override { return !FForm; }

private:
    TForm* FForm = nullptr;
};

// Defined by each probe: its form, made when the host opens the program.
TForm* CreateProbeForm(TComponent* owner, const OleVariant& host);
