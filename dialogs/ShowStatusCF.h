#pragma once
// TfrmShowStatus: the modeless progress window of long data-set work (the Excel export and the like).
#include "classlib/controls/comctrls.h"
#include "classlib/controls/extctrls.h"
#include "classlib/controls/stdctrls.h"
#include "framework/QVForm.h"

class TfrmShowStatus : public TQVForm {
    KVR_CLASS(TfrmShowStatus, TQVForm)
public:
    explicit TfrmShowStatus(TComponent* owner, bool load = true);

    TBevel* Bevel1 = nullptr;
    TLabel* Label1 = nullptr;
    TGauge* StatusBar = nullptr;

    // Caption and label become caption (through the converter); a range other than 0..0 shows the gauge
    // at min; the window is shown modeless and painted at once.
    void ShowStatus(const AnsiString& caption, int min, int max);
    // One step while the gauge is below its maximum.
    void StepIt();
    void CloseStatus();

    void FormCreate(TObject* sender);
    void FormDestroy(TObject* sender);
};
