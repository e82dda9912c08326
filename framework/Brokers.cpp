#include "framework/Brokers.h"

KVR_PUBLISHED(TBrokers, c) {}

TBrokers::TBrokers(TComponent* owner) : TComponent(owner) {}

// The host's object is released with the broker, so that the form never
// outlives its hold on it.
TBrokers::~TBrokers() {
    VarClear(HostApp);
}
