#pragma once
// One kvrhost session: loads the module, hands it the work-centre object, opens and drives its form
// through the controller, runs the script against the form as a user would, and reports.
#include <deque>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "apps/kvrhost/Options.h"
#include "apps/kvrhost/ScriptParser.h"
#include "classlib/controls/forms.h"
#include "classlib/objects/object.h"
#include "classlib/rtl/dynlib.h"
#include "classlib/rtl/variants.h"

class TDLLBaseController;
class TMainMenuWindow;

// Exit statuses.
constexpr int kvrhostOk = 0;
constexpr int kvrhostFailed = 1;
constexpr int kvrhostUsage = 2;

class THostSession : public TObject, public TModalDriver {
public:
    THostSession(const TOptions& options, std::istream& script, std::ostream& out, std::ostream& err);
    ~THostSession() override;

    int Run();

    // The controller's notification callback.
    void Notified(int code, TObject* sender);

private:
    enum class TStep { Done, Failed };

    bool LoadModule();
    void EndSession();
    bool NextCommand(TScriptCommand& command);
    // Runs commands until the script ends or one fails; in a modal session, until the form is gone.
    void RunScript();
    TStep Execute(const TScriptCommand& command);
    void Fail(const TScriptCommand& command, const std::string& what);

    TCustomForm* ProgramForm() const;
    // The component of that name on the dialog that is up, else on the program's form; nullptr when none.
    TComponent* FindByName(const std::string& name) const;
    TComponent* Require(const TScriptCommand& command, std::size_t arg);

    // The commands.
    TStep Show(const TScriptCommand& command);
    TStep Key(const TScriptCommand& command);
    TStep Type(const TScriptCommand& command);
    TStep Click(const TScriptCommand& command);
    TStep Answer(const TScriptCommand& command);
    TStep Pick(const TScriptCommand& command);
    TStep PickDate(const TScriptCommand& command);
    TStep Expect(const TScriptCommand& command);
    TStep ExpectState(const TScriptCommand& command, bool enabled);
    TStep ExpectField(const TScriptCommand& command);
    TStep ExpectDialog(const TScriptCommand& command);
    TStep Cell(const TScriptCommand& command);
    TStep Mouse(const TScriptCommand& command);
    TStep ExpectChecked(const TScriptCommand& command);
    TStep Dump(const TScriptCommand& command);
    TStep Picture(const TScriptCommand& command);
    TStep Wait(const TScriptCommand& command);
    TStep Close(const TScriptCommand& command);

    // The modal driver: the next script step while the modal form waits, the answer of a dialog.
    bool Idle(TCustomForm* form) override;
    void DialogShown(const TDialogRecord& record);
    bool ShowsMessage(const AnsiString& shown, const AnsiString& message) const;
    // The host's calls that open no window: each printed as one line.
    void InstallObservers();
    void RemoveObservers();
    // The host's own windows (lookup window, date picker) with their queued answers; false when the
    // form is none of them or nothing is queued for it.
    bool AnswerHostWindow(TCustomForm* form);
    TCustomForm* TargetForm() const;

    void Print(const std::string& line);
    // Texts of the user interface for the terminal (UTF-8), and the script's texts for the user
    // interface, through the interface's code page of the module (InterfaceCodePage).
    unsigned InterfaceCodePage() const;
    std::string ToTerminal(const AnsiString& text) const;
    AnsiString FromScript(const std::string& text) const;
    // A value as the output lines show it: VarToStr, arrays in brackets.
    std::string ValueText(const Variant& value) const;

    TOptions FOptions;
    std::istream& FScript;
    std::ostream& FOut;
    std::ostream& FErr;
    HMODULE FModule = 0;
    mutable unsigned FInterfaceCodePage = 0; // 0 until the module's form tells it
    TDLLBaseController* FController = nullptr;
    int FLine = 0;
    bool FScriptEnded = false;
    bool FFailed = false;
    bool FInModal = false;
    bool FOpening = false;
    std::deque<std::string> FAnswers;
    // The module's own modal windows that the script drives: their waits run script commands, and the
    // answers queued meanwhile are for the message dialogs they raise.
    // With each window its class: a window freed between two idle calls leaves its address to the
    // next one (a message dialog after a closed module window), which must not inherit the script.
    std::vector<std::pair<TCustomForm*, TClass>> FScriptedWindows;
    std::deque<TScriptCommand> FPicks, FDates;
    // The message the module last asked the host for, until a dialog shows it.
    struct TAskedMessage {
        std::string Kind, Code;
        AnsiString Text;
        bool Pending = false;
    } FAsked;
    // Kind and code of the last message dialog ("-" when it did not come from a message code).
    std::string FLastDialogKind = "-", FLastDialogCode = "-";
    bool FAnyDialog = false;
    // The host's main-menu window, which the programs send their document links to.
    std::unique_ptr<TMainMenuWindow> FMainMenu;
};
