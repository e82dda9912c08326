#include "apps/kvrhost/WorkCenterStandin.h"

#include <memory>

#include "classlib/automation/autoobj.h"
#include "classlib/automation/comserv.h"
#include "classlib/rtl/codepages.h"
#include "classlib/rtl/files.h"
#include "standins/appserver/messages.h"

namespace {

class TEmptyService : public TAutoObject {};

class TWorkCenterStandin : public TAutoObject {
public:
    explicit TWorkCenterStandin(std::shared_ptr<const TMessageFile> messages)
        : FMessages(std::move(messages)), FValidator(new TEmptyService), FF2Window(new TEmptyService),
          FCounter(new TEmptyService) {}

    int DependencyVersion() const { return 8000; }
    int ProductID() const { return 3; }
    void Connect() { FConnected = true; }
    // Texts in the client's code page, as the work centre hands them out.
    AnsiString GetMessage(const AnsiString& kind, const AnsiString& code) const {
        return FMessages ? Utf8ToAnsi(FMessages->Text(kind, code)) : AnsiString();
    }
    Variant Com_Validator() const { return FValidator; }
    Variant Com_F2Window() const { return FF2Window; }
    Variant Com_Counter() const { return FCounter; }

protected:
    const TAutoMembers& Members() const override {
        static const TAutoMembers members{
            AutoProperty("DependencyVersion", &TWorkCenterStandin::DependencyVersion),
            AutoProperty("ProductID", &TWorkCenterStandin::ProductID),
            AutoMethod("Connect", &TWorkCenterStandin::Connect),
            AutoMethod("GetMessage", &TWorkCenterStandin::GetMessage),
            AutoProperty("Com_Validator", &TWorkCenterStandin::Com_Validator),
            AutoProperty("Com_F2Window", &TWorkCenterStandin::Com_F2Window),
            AutoProperty("Com_Counter", &TWorkCenterStandin::Com_Counter),
        };
        return members;
    }

private:
    std::shared_ptr<const TMessageFile> FMessages;
    Variant FValidator;
    Variant FF2Window;
    Variant FCounter;
    bool FConnected = false;
};

} // namespace

void RegisterWorkCenterStandin(const AnsiString& messageFile) {
    std::shared_ptr<TMessageFile> messages;
    if (!messageFile.empty() && FileExists(messageFile)) {
        messages = std::make_shared<TMessageFile>();
        messages->LoadFromFile(NativePath(messageFile));
    }
    static int registration = -1;
    if (registration >= 0) RevokeOleObjectFactory(registration);
    registration = RegisterOleObjectFactory("VorlanWorkCenter.Manager", [messages] {
        return Variant(static_cast<IDispatch*>(new TWorkCenterStandin(messages)));
    });
}
