#include "standins/outside/attach/attachc.h"

#include <mutex>

#include "classlib/automation/comserv.h"
#include "classlib/automation/comobj.h"
#include "classlib/rtl/varview.h"

namespace {

std::mutex gLock;
std::vector<TAttachmentShow> gShows;
std::function<void(const TAttachmentShow&)> gListener;

TAutoObjectFactory gAttachFactory("AttachC.Class1", [] { return Variant(new TAttachDialog); });

} // namespace

std::vector<TAttachmentShow> AttachmentShows() {
    std::lock_guard<std::mutex> lock(gLock);
    return gShows;
}

void ClearAttachmentShows() {
    std::lock_guard<std::mutex> lock(gLock);
    gShows.clear();
}

void SetAttachmentListener(std::function<void(const TAttachmentShow&)> listener) {
    std::lock_guard<std::mutex> lock(gLock);
    gListener = std::move(listener);
}

void TAttachDialog::Init(const Variant& parameters) {
    // Company, user, program, key text, key fields, mode: the dialog cannot file anything with less.
    if (VarArrayLength(parameters) != 6) throw EOleError("AttachC.Init: six parameters expected");
    FParameters = parameters;
    FInitialised = true;
}

int TAttachDialog::ShowModal() {
    if (!FInitialised) throw EOleError("AttachC.ShowModal: Init first");
    const TAttachmentShow show{FParameters, FParentHandle};
    std::function<void(const TAttachmentShow&)> listener;
    {
        std::lock_guard<std::mutex> lock(gLock);
        gShows.push_back(show);
        listener = gListener;
    }
    if (listener) listener(show);
    return 1;
}

const TAutoMembers& TAttachDialog::Members() const {
    static const TAutoMembers members{
        AutoMethod("Init", &TAttachDialog::Init),
        AutoProperty("ParentHandle", &TAttachDialog::ParentHandle, &TAttachDialog::SetParentHandle),
        AutoMethod("ShowModal", &TAttachDialog::ShowModal),
    };
    return members;
}
