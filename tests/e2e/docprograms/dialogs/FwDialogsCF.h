#pragma once
// TfrmFwDialogs: the framework's own dialog test program FWDLG01 over the demo table FWDOC: the base
// form with three buttons that open the options dialog, the confirm-date dialog and the colour
// filter, and a label that shows what each one answered.
#include <memory>

#include "classlib/controls/stdctrls.h"
#include "dialogs/QvColorQBE.h"
#include "framework/BaseCF.h"
#include "tests/e2e/docprograms/base/FwBaseCD.h"

class TfrmFwDialogs : public TfrmBase {
    KVR_CLASS(TfrmFwDialogs, TfrmBase)
public:
    explicit TfrmFwDialogs(TComponent* owner, bool load = true);

    TButton* btnOptions = nullptr;
    TButton* btnConfirmDate = nullptr;
    TButton* btnColorFilter = nullptr;
    TLabel* lblAnswer = nullptr;

    TClass DataModuleClass() override;

    // Handlers of the stream.
    void FormCreate(TObject* sender);
    void btnOptionsClick(TObject* sender);
    void btnConfirmDateClick(TObject* sender);
    void btnColorFilterClick(TObject* sender);

private:
    std::unique_ptr<TColorConditions> FConditions;
    TColorQBEForm* FColorFilter = nullptr; // made once, owned by the form
    bool FColorManage = true;
};
