#include "classlib/controls/timer.h"

#include <algorithm>
#include <vector>

namespace {
std::vector<TTimer*>& Timers() {
    static auto* timers = new std::vector<TTimer*>;
    return *timers;
}
} // namespace

KVR_PUBLISHED(TTimer, c) {
    c.Property("Enabled", &TTimer::Enabled, &TTimer::SetEnabled).Default(1);
    c.Property("Interval", &TTimer::Interval, &TTimer::SetInterval).Default(1000);
    c.Property("OnTimer", &TTimer::OnTimer, &TTimer::SetOnTimer);
}

TTimer::TTimer(TComponent* owner) : TComponent(owner) {
    FHandle = AllocateHWnd(TWndMethod(this, &TTimer::WndProc));
}

TTimer::~TTimer() {
    FRunning = false;
    auto& timers = Timers();
    timers.erase(std::remove(timers.begin(), timers.end(), this), timers.end());
    DeallocateHWnd(FHandle);
}

void TTimer::SetEnabled(bool value) {
    if (FEnabled == value) return;
    FEnabled = value;
    UpdateTimer();
}

void TTimer::SetInterval(Cardinal value) {
    if (FInterval == value) return;
    FInterval = value;
    UpdateTimer();
}

void TTimer::SetOnTimer(const TNotifyEvent& value) {
    FOnTimer = value;
    UpdateTimer();
}

void TTimer::Loaded() {
    inherited::Loaded();
    UpdateTimer();
}

void TTimer::UpdateTimer() {
    auto& timers = Timers();
    timers.erase(std::remove(timers.begin(), timers.end(), this), timers.end());
    FRunning = FEnabled && FInterval > 0 && FOnTimer && !ComponentState().Contains(csLoading) &&
               !ComponentState().Contains(csDesigning);
    if (!FRunning) return;
    FDue = GetTickCount() + FInterval;
    timers.push_back(this);
}

void TTimer::WndProc(TMessage& message) {
    if (message.Msg != WM_TIMER) return;
    FPending = false;
    if (FRunning) Timer();
}

void TTimer::Timer() {
    if (FOnTimer) FOnTimer(this);
}

void FireDueTimers() {
    Cardinal now = GetTickCount();
    for (TTimer* t : std::vector<TTimer*>(Timers())) {
        if (!t->FRunning || static_cast<int>(now - t->FDue) < 0) continue;
        t->FDue = now + t->FInterval;
        if (t->FPending) continue;
        t->FPending = true;
        PostMessage(t->FHandle, WM_TIMER, 1);
    }
}
