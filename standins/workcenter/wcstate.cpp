#include "standins/workcenter/wcstate.h"

#include "standins/shared/serverconfig.h"
#include "standins/workcenter/wcdialogs.h"

namespace {

std::mutex gChooserLock;
std::shared_ptr<TWorkCenterChooser> gChooser = std::make_shared<THostDialogs>();

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

AnsiString XmlText(const AnsiString& text) {
    AnsiString out;
    for (char c : text) {
        if (c == '<')
            out += "&lt;";
        else if (c == '>')
            out += "&gt;";
        else if (c == '&')
            out += "&amp;";
        else
            out += c;
    }
    return out;
}
