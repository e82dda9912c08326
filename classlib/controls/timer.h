#pragma once
// TTimer: OnTimer every Interval milliseconds of the tick clock (GetTickCount in forms.h, which tests
// fix), delivered as WM_TIMER through the pump; a timer that is due again before its message was
// handled gets no second one. Nothing fires outside Application->ProcessMessages.
#include "classlib/controls/forms.h"

class TTimer : public TComponent {
    KVR_CLASS(TTimer, TComponent)
public:
    explicit TTimer(TComponent* owner);
    ~TTimer() override;

    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool value);
    Cardinal Interval() const { return FInterval; }
    void SetInterval(Cardinal value);
    const TNotifyEvent& OnTimer() const { return FOnTimer; }
    void SetOnTimer(const TNotifyEvent& value);
    // Running: enabled, with an interval and a handler.
    bool Running() const { return FRunning; }
    void Loaded() override;

protected:
    virtual void Timer();

private:
    friend void FireDueTimers();
    void UpdateTimer();
    void WndProc(TMessage& message);

    bool FEnabled = true;
    Cardinal FInterval = 1000;
    TNotifyEvent FOnTimer;
    HWND FHandle = 0;
    bool FRunning = false;
    bool FPending = false;
    Cardinal FDue = 0;
};

// Posts WM_TIMER for every running timer that is due; the pump calls it.
void FireDueTimers();
