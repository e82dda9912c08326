#pragma once
// TfrmFwQbe: the framework's own query test program FWQBE01 over the demo table FWDOC: the base form
// with a browse grid, its query command running the query-by-example dialog, and its saved query
// conditions in a menu of their own.
#include "classlib/controls/menus.h"
#include "components/FDBGrid.h"
#include "dialogs/QvQBE.h"
#include "framework/BaseCF.h"
#include "tests/e2e/docprograms/base/FwBaseCD.h"

class TfrmFwQbe : public TfrmBase {
    KVR_CLASS(TfrmFwQbe, TfrmBase)
public:
    explicit TfrmFwQbe(TComponent* owner, bool load = true);

    TFDBGrid* gdHead = nullptr;
    TPopupMenu* mnCondition = nullptr;

    TClass DataModuleClass() override;
    bool QueryRecords() override;
    TdmFwBase* Module() const { return static_cast<TdmFwBase*>(DataModule); }
    TQBEForm* Dialog();

    // Handlers of the stream.
    void FormCreate(TObject* sender);
    void FormShow(TObject* sender);
    void LoadSavedConditions(TObject* sender);
    void RunSavedCondition(TObject* sender);
};
