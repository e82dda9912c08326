#pragma once
// TfrmFwSingle: the form of the framework's own single-table document program FWSING01: the detail
// page over FWDOC, printing through the host's print program FWPRT01, and a colour condition on the
// browse grid (large amounts in red, small ones in blue), attachments from its menu, drill-down links
// to FWBASE01 and print formats.
#include "framework/SingleCF.h"
#include "tests/e2e/docprograms/single/FwSingleCD.h"

class TfrmFwSingle : public TfrmSingle {
    KVR_CLASS(TfrmFwSingle, TfrmSingle)
public:
    explicit TfrmFwSingle(TComponent* owner, bool load = true);

    TClass DataModuleClass() override;
    bool PrintRecords() override;
    AnsiString ColorManagerText() override;
    // The program manages colours whatever the user's setting says.
    void ApplyInputSettings() override;
    // The program keeps attachments of its records.
    void ConfigureProgram() override;

    // Handlers of the stream.
    void FormCreate(TObject* sender);
    void miAttachClick(TObject* sender);
};
