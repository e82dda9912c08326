#pragma once
// TfrmFwDouble: the form of the framework's own header-plus-body program FWDBL01. Beside the header's
// edits it carries what a session needs to look behind the form: the lines option to use (typed into
// edLinesOption), a second client that changes the current document on the server (btnOther), and a
// probe that reads the current document back from the server with a data set of its own (btnProbe:
// lblProbe shows headers, lines, lines with the header's key and lines with FLAG 1).
#include "classlib/controls/stdctrls.h"
#include "framework/DoubleCF.h"
#include "tests/e2e/docprograms/double/FwDoubleCD.h"

class TfrmFwDouble : public TfrmDouble {
    KVR_CLASS(TfrmFwDouble, TfrmDouble)
public:
    explicit TfrmFwDouble(TComponent* owner, bool load = true);

    TEdit* edLinesOption = nullptr;
    TLabel* lblProbe = nullptr;

    TClass DataModuleClass() override;
    TdmFwDouble* Module() const { return static_cast<TdmFwDouble*>(DataModule); }

    // Handlers of the stream.
    void FormCreate(TObject* sender);
    void edLinesOptionExit(TObject* sender);
    void btnOtherClick(TObject* sender);
    void btnProbeClick(TObject* sender);

    // The copy command is this program's; btnProbeKey reads back the document whose type and number
    // are typed into edProbeKey ("5102 H0001") the way btnProbe reads the current one.
    TEdit* edProbeKey = nullptr;
    void UpdateCopyCommand() override;
    void btnProbeKeyClick(TObject* sender);

private:
    AnsiString CurrentKeyCondition() const;
    void Probe(const AnsiString& condition);
};
