#pragma once
// TfrmFwBase: the form of the framework's own base-level document program FWBASE01: the base form's
// commands over the demo table FWDOC, with a save button of its own (the base level saves nothing).
#include "classlib/controls/stdctrls.h"
#include "framework/BaseCF.h"
#include "tests/e2e/docprograms/base/FwBaseCD.h"

class TfrmFwBase : public TfrmBase {
    KVR_CLASS(TfrmFwBase, TfrmBase)
public:
    explicit TfrmFwBase(TComponent* owner, bool load = true);

    TButton* btnSave = nullptr;

    TClass DataModuleClass() override;
    bool SaveRecord() override;
    void UpdateButtonStates() override;

    TdmFwBase* Module() const { return static_cast<TdmFwBase*>(DataModule); }

    // Handlers of the stream.
    void FormCreate(TObject* sender);
    void btnSaveClick(TObject* sender);
};
