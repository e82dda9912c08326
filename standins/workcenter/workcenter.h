#pragma once
// The host's automation object VorlanWorkCenter.Manager (libworkcenter.so):
//   DependencyVersion      8000
//   ProductID              the host's product identifier
//   Connect                opens the database (stand-alone starts call it once)
//   Com_Validator, Com_F2Window, Com_Counter   the three services (validator.h, f2window.h, counter.h)
//   GetMessage(Kind, Code[, Args...])          the text of data/messages in code page 936; with
//                                              arguments, "%s" filled in order (missing ones empty)
//   ExecWork(Caller, Param1, Param2, var Mode, var Result)   starts a program of the catalogue: -1
//                                              unknown program, -5 no right to run it, -6 a caller
//                                              without user or program, else the launcher's answer
//                                              (0 without a launcher)
//   CallHelp(Topic)                            [system code, help context]
// The host supplies the dialogs through the chooser (wcstate.h) and the start of programs through
// the launcher below.
#include <functional>
#include <memory>

#include "classlib/automation/autoobj.h"
#include "standins/workcenter/wcstate.h"

struct TStartRequest {
    AnsiString User, Company, Program;
    Variant Param1, Param2;
};

// Starts a program for the host: 0 or more on success, -1 to -7 as ExecWork answers.
using TProgramLauncher = std::function<int(const TStartRequest& request, Variant& mode, Variant& result)>;
void SetWorkCenterLauncher(TProgramLauncher launcher);

// What the host's own calls did, for a host that reports them (kvrhost prints a line for each); an
// empty member is not told. Called on the thread of the call.
struct TWorkCenterObserver {
    // The kind and code as asked, and the text handed out.
    std::function<void(const AnsiString& kind, const AnsiString& code, const AnsiString& text)> MessageGiven;
    std::function<void(const TStartRequest& request, int rc)> WorkExecuted;
    std::function<void(const Variant& topic)> HelpCalled;
};
void SetWorkCenterObserver(TWorkCenterObserver observer);

// Fills "%s" and "%d" of a message text with the arguments in order, missing ones empty; "%%" is "%".
AnsiString FillMessage(const AnsiString& text, const std::vector<AnsiString>& args);

class TWorkCenterManager : public TAutoObject {
public:
    static constexpr int Version = 8000;
    static constexpr int Product = 3;

    TWorkCenterManager();

    int DependencyVersion() const { return Version; }
    int ProductID() const { return Product; }
    int Connect();
    Variant Com_Validator() const { return FValidator; }
    Variant Com_F2Window() const { return FF2Window; }
    Variant Com_Counter() const { return FCounter; }
    Variant GetMessage(TDispArgs args);
    int ExecWork(const Variant& caller, const Variant& param1, const Variant& param2, Variant& mode,
                 Variant& result);
    void CallHelp(const Variant& topic);

    const std::vector<TStartRequest>& Started() const { return FStarted; }
    const Variant& LastHelpTopic() const { return FHelpTopic; }
    void SetChooser(std::shared_ptr<TWorkCenterChooser> chooser) { FState->Chooser = std::move(chooser); }

protected:
    const TAutoMembers& Members() const override;

private:
    int StartProgram(const TStartRequest& request, Variant& mode, Variant& result);

    std::shared_ptr<TWorkCenterState> FState;
    Variant FValidator, FF2Window, FCounter;
    std::vector<TStartRequest> FStarted;
    Variant FHelpTopic;
};
