#include "standins/workcenter/wcstate.h"

#include "standins/appserver/serverconfig.h"

namespace {

std::mutex gChooserLock;
std::shared_ptr<TWorkCenterChooser> gChooser;

} // namespace

void SetWorkCenterChooser(std::shared_ptr<TWorkCenterChooser> chooser) {
    std::lock_guard<std::mutex> lock(gChooserLock);
    gChooser = std::move(chooser);
}

std::shared_ptr<TWorkCenterChooser> WorkCenterChooser() {
    std::lock_guard<std::mutex> lock(gChooserLock);
    return gChooser;
}

TDbSession& TWorkCenterState::Session() {
    if (!FSession) FSession = OpenServerSession(936);
    return *FSession;
}

const TCatalogue& TWorkCenterState::Catalogue() {
    if (!FCatalogue) FCatalogue = ServerCatalogue();
    return *FCatalogue;
}

const TMessageFile& TWorkCenterState::Messages() {
    if (!FMessages) FMessages = ServerMessages();
    return *FMessages;
}
