#include "standins/workcenter/workcenter.h"

#include <mutex>

#include "classlib/automation/comserv.h"
#include "classlib/rtl/codepages.h"
#include "classlib/rtl/strutils.h"
#include "classlib/rtl/varview.h"
#include "standins/workcenter/counter.h"
#include "standins/workcenter/f2window.h"
#include "standins/workcenter/validator.h"

namespace {

std::mutex gLauncherLock;
TProgramLauncher gLauncher;
TWorkCenterObserver gObserver;

TWorkCenterObserver Observer() {
    std::lock_guard<std::mutex> lock(gLauncherLock);
    return gObserver;
}

TAutoObjectFactory gManagerFactory("VorlanWorkCenter.Manager",
                                   [] { return Variant(new TWorkCenterManager); });

} // namespace

void SetWorkCenterLauncher(TProgramLauncher launcher) {
    std::lock_guard<std::mutex> lock(gLauncherLock);
    gLauncher = std::move(launcher);
}

void SetWorkCenterObserver(TWorkCenterObserver observer) {
    std::lock_guard<std::mutex> lock(gLauncherLock);
    gObserver = std::move(observer);
}

AnsiString FillMessage(const AnsiString& text, const std::vector<AnsiString>& args) {
    AnsiString out;
    size_t next = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size()) {
            const char directive = text[i + 1];
            if (directive == 's' || directive == 'S' || directive == 'd' || directive == 'D') {
                if (next < args.size()) out += args[next];
                ++next;
                ++i;
                continue;
            }
            if (directive == '%') {
                out += '%';
                ++i;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

TWorkCenterManager::TWorkCenterManager() : FState(std::make_shared<TWorkCenterState>()) {
    FState->Chooser = WorkCenterChooser();
    FValidator = Variant(new TValidator(FState));
    FF2Window = Variant(new TF2Window(FState));
    FCounter = Variant(new TCounter(FState));
}

const TAutoMembers& TWorkCenterManager::Members() const {
    static const TAutoMembers members{
        AutoProperty("DependencyVersion", &TWorkCenterManager::DependencyVersion),
        AutoProperty("ProductID", &TWorkCenterManager::ProductID),
        AutoMethod("Connect", &TWorkCenterManager::Connect),
        AutoProperty("Com_Validator", &TWorkCenterManager::Com_Validator),
        AutoProperty("Com_F2Window", &TWorkCenterManager::Com_F2Window),
        AutoProperty("Com_Counter", &TWorkCenterManager::Com_Counter),
        AutoMethod("GetMessage", &TWorkCenterManager::GetMessage),
        AutoMethod("ExecWork", &TWorkCenterManager::ExecWork),
        AutoMethod("CallHelp", &TWorkCenterManager::CallHelp),
    };
    return members;
}

int TWorkCenterManager::Connect() {
    FState->Session();
    FState->Catalogue();
    return 0;
}

Variant TWorkCenterManager::GetMessage(TDispArgs args) {
    if (args.size() < 2) throw EOleError("GetMessage: a kind letter and a code are required");
    const AnsiString kind = UpperCase(Trim(VarText(*args[0].Value)));
    const AnsiString code = Trim(VarText(*args[1].Value));
    const std::string utf8 = FState->Messages().Text(kind, code);
    AnsiString text = utf8.empty() ? AnsiString() : ConvertCodePage(utf8, CP_UTF8, 936);
    if (args.size() > 2) {
        std::vector<AnsiString> values;
        for (size_t i = 2; i < args.size(); ++i) {
            const Variant& value = *args[i].Value;
            if (VarIsArray(value))
                for (const Variant& item : VarArrayItems(value))
                    values.push_back(VarText(item));
            else
                values.push_back(VarText(value));
        }
        text = FillMessage(text, values);
    }
    if (const TWorkCenterObserver observer = Observer(); observer.MessageGiven)
        observer.MessageGiven(kind, code, text);
    return Variant(text);
}

int TWorkCenterManager::ExecWork(const Variant& caller, const Variant& param1, const Variant& param2,
                                 Variant& mode, Variant& result) {
    const std::vector<Variant> items = VarArrayItems(caller);
    TStartRequest request;
    request.User = Trim(items.size() > 0 ? VarText(items[0]) : AnsiString());
    request.Company = Trim(items.size() > 1 ? VarText(items[1]) : AnsiString());
    request.Program = UpperCase(Trim(items.size() > 2 ? VarText(items[2]) : AnsiString()));
    request.Param1 = param1;
    request.Param2 = param2;
    const int rc = StartProgram(request, mode, result);
    if (const TWorkCenterObserver observer = Observer(); observer.WorkExecuted)
        observer.WorkExecuted(request, rc);
    return rc;
}

int TWorkCenterManager::StartProgram(const TStartRequest& request, Variant& mode, Variant& result) {
    if (request.User.empty() || request.Program.empty()) return -6;
    TDbSession& session = FState->Session();
    if (session.Select("SELECT 1 FROM WOQMB WHERE MB001 = ?", TDbParams{Variant(request.Program)})
            .Rows.empty())
        return -1;
    // The user's own rights for the program, else those of the user's main group.
    const TDbResult rights = session.Select(
        "SELECT MD003 FROM QVNMD WHERE MD001 = ?1 AND MD002 = ?2 "
        "UNION ALL SELECT ME003 FROM QVNME JOIN QVNMA ON ME001 = MA003 WHERE MA001 = ?1 AND ME002 = ?2",
        TDbParams{Variant(request.User), Variant(request.Program)});
    if (rights.Rows.empty()) return -5;
    TProgramLauncher launcher;
    {
        std::lock_guard<std::mutex> lock(gLauncherLock);
        launcher = gLauncher;
    }
    FStarted.push_back(request);
    return launcher ? launcher(request, mode, result) : 0;
}

void TWorkCenterManager::CallHelp(const Variant& topic) {
    FHelpTopic = topic;
    if (const TWorkCenterObserver observer = Observer(); observer.HelpCalled) observer.HelpCalled(topic);
}
