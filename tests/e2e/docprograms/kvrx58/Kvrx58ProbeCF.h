#pragma once
// TfrmKvrx58Probe: the letter-of-credit form with what a session needs to look behind it: a second
// client that changes (btnOther) or deletes (btnOtherDelete) the current document on the server through
// data sets of its own, and a probe that reads the current document back from the server (btnProbe:
// lblProbe shows headers, lines, lines with the header's key, and the header's L/C number; btnConfirmProbe:
// lblConfirmProbe shows the confirm code, date, FLAG, the lines' codes and shares, and the L/C number),
// the sign-off status and queue of the current document as the server holds them (btnProbeSignOff), and
// the sign-off system taking a queued document into its flow (btnSignOffTake).
#include "classlib/controls/stdctrls.h"
#include "programs/kvrx58/Kvrx58CF.h"

class TfrmKvrx58Probe : public TfrmKvrx58 {
    KVR_CLASS(TfrmKvrx58Probe, TfrmKvrx58)
public:
    explicit TfrmKvrx58Probe(TComponent* owner, bool load = true);

    TLabel* lblProbe = nullptr;
    TLabel* lblConfirmProbe = nullptr;

    // Handlers of the stream.
    void btnOtherClick(TObject* sender);
    void btnOtherDeleteClick(TObject* sender);
    void btnProbeClick(TObject* sender);
    void btnConfirmProbeClick(TObject* sender);
    void btnProbeSignOffClick(TObject* sender);
    void btnSignOffTakeClick(TObject* sender);

private:
    AnsiString CurrentKeyCondition() const;
};
