#include "standins/outside/pager/qvnpager.h"

#include <mutex>

#include "classlib/automation/comserv.h"

namespace {

std::mutex gLock;
std::vector<TPagerMessage> gMessages;
std::function<void(const TPagerMessage&)> gListener;

TAutoObjectFactory gPagerFactory("QVNPagerC.Class1", [] { return Variant(new TQVNPager); });

} // namespace

std::vector<TPagerMessage> PagerMessages() {
    std::lock_guard<std::mutex> lock(gLock);
    return gMessages;
}

void ClearPagerMessages() {
    std::lock_guard<std::mutex> lock(gLock);
    gMessages.clear();
}

void SetPagerListener(std::function<void(const TPagerMessage&)> listener) {
    std::lock_guard<std::mutex> lock(gLock);
    gListener = std::move(listener);
}

void TQVNPager::ShowSendVorlan(const AnsiString& user, const Variant& target, const Variant& text,
                               const Variant&) {
    const TPagerMessage message{user, target, text};
    std::function<void(const TPagerMessage&)> listener;
    {
        std::lock_guard<std::mutex> lock(gLock);
        gMessages.push_back(message);
        listener = gListener;
    }
    if (listener) listener(message);
}

const TAutoMembers& TQVNPager::Members() const {
    static const TAutoMembers members{
        AutoMethod("ShowSendVorlan", &TQVNPager::ShowSendVorlan),
    };
    return members;
}
