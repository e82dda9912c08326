#include "apps/kvrhost/Session.h"

#include <algorithm>
#include <cctype>
#include <iostream>
#include <unistd.h>
#include <sstream>

#include "classlib/automation/comobj.h"
#include "classlib/controls/forms.h"
#include "classlib/controls/dialogs.h"
#include "classlib/controls/grids.h"
#include "classlib/controls/menus.h"
#include "classlib/dbctrls/wwdbgrid.h"
#include "classlib/rtl/codepages.h"
#include "classlib/rtl/format.h"
#include "classlib/rtl/strutils.h"
#include "classlib/db/db.h"
#include "classlib/objects/rtti.h"
#include "classlib/rtl/shellapi.h"
#include "framework/DLLBaseCtrller.h"
#include "apps/kvrhost/ModuleFile.h"
#include "standins/outside/attach/attachc.h"
#include "standins/outside/excel/excelapp.h"
#include "standins/outside/pager/qvnpager.h"
#include "standins/workcenter/mainmenu.h"
#include "standins/workcenter/wcdialogs.h"
#include "standins/workcenter/workcenter.h"

namespace {

// A failure that ends the script: an unanswered dialog raises it out of the module's code. Its text is
// UTF-8, as the script's words it names.
class EScriptStop : public Exception {
public:
    using Exception::Exception;
    const char* ClassName() const override { return "EScriptStop"; }
};

const char* NotificationName(int code) {
    switch (code) {
    case DLL_NOTIFY_CREATED:
        return "created";
    case DLL_NOTIFY_SHOWN:
        return "shown";
    case DLL_NOTIFY_HIDDEN:
        return "hidden";
    case DLL_NOTIFY_DESTROYED:
        return "destroyed";
    case DLL_NOTIFY_CLOSED:
        return "closed";
    default:
        return "unknown";
    }
}

std::string Hex(int code) {
    std::ostringstream s;
    s << "0x" << std::hex << code;
    return s.str();
}

std::string Quoted(const std::string& text) {
    std::string result = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') result += '\\';
        result += c;
    }
    return result + "\"";
}

bool ParseYesNo(const std::string& text, bool& value) {
    if (SameText(text, "yes")) {
        value = true;
        return true;
    }
    if (SameText(text, "no")) {
        value = false;
        return true;
    }
    return false;
}

} // namespace

// The user interface's code page: that of the code converter the module's form carries (the client
// configuration's UICodePage, read by the module), not the machine's; the machine's until the form is
// there.
unsigned THostSession::InterfaceCodePage() const {
    if (FInterfaceCodePage) return FInterfaceCodePage;
    TCustomForm* form = ProgramForm();
    TComponent* converter = form ? form->FindComponent("QvConverter") : nullptr;
    if (!converter) return GetACP();
    unsigned codePage = GetACP();
    try {
        const int asked = StrToIntDef(VarToStr(GetPropValue(converter, "UICodePage")), 0);
        if (asked > 0 && IsValidCodePage(static_cast<unsigned>(asked)))
            codePage = static_cast<unsigned>(asked);
    } catch (const Exception&) {
        // A converter without the property: the machine's code page.
    }
    FInterfaceCodePage = codePage;
    return codePage;
}

std::string THostSession::ToTerminal(const AnsiString& text) const {
    return ConvertCodePage(text, InterfaceCodePage(), CP_UTF8);
}

AnsiString THostSession::FromScript(const std::string& text) const {
    return ConvertCodePage(text, CP_UTF8, InterfaceCodePage());
}

// A value as the output lines show it: VarToStr, arrays in brackets.
std::string THostSession::ValueText(const Variant& value) const {
    if (VarIsArray(value)) {
        std::string text = "[";
        if (VarArrayDimCount(value) == 1) {
            for (int i = VarArrayLowBound(value, 1); i <= VarArrayHighBound(value, 1); ++i)
                text += (i > VarArrayLowBound(value, 1) ? ", " : "") + ValueText(value.GetElement({i}));
        } else if (VarArrayDimCount(value) == 2) {
            // Row by row: [[row 0], [row 1], ...].
            for (int i = VarArrayLowBound(value, 1); i <= VarArrayHighBound(value, 1); ++i) {
                text += i > VarArrayLowBound(value, 1) ? ", [" : "[";
                for (int j = VarArrayLowBound(value, 2); j <= VarArrayHighBound(value, 2); ++j)
                    text +=
                        (j > VarArrayLowBound(value, 2) ? ", " : "") + ValueText(value.GetElement({i, j}));
                text += "]";
            }
        }
        return text + "]";
    }
    if (VarIsDispatch(value)) return VarIsEmpty(value) ? std::string() : std::string("(object)");
    try {
        return ToTerminal(VarToStr(value));
    } catch (const Exception&) {
        return "?";
    }
}

THostSession::THostSession(const TOptions& options, std::istream& script, std::ostream& out,
                           std::ostream& err)
    : FOptions(options), FScript(script), FOut(out), FErr(err) {}

THostSession::~THostSession() {
    EndSession();
}

void THostSession::Print(const std::string& line) {
    FOut << line << '\n';
    FOut.flush();
}

void THostSession::Notified(int code, TObject*) {
    if (!FOptions.Quiet) Print("notify " + Hex(code) + " " + NotificationName(code));
}

bool THostSession::LoadModule() {
    FModule = LoadLibrary(FOptions.Module);
    if (!FModule) {
        FErr << "kvrhost: cannot load " << FOptions.Module << ": " << LastLibraryError() << '\n';
        return false;
    }
    auto getController = reinterpret_cast<TGetControllerProc>(GetProcAddress(FModule, GetControllerName));
    if (!getController) {
        FErr << "kvrhost: " << FOptions.Module << " does not export " << GetControllerName << '\n';
        return false;
    }
    try {
        FController = getController();
    } catch (const Exception& e) {
        FErr << "kvrhost: GetController failed: " << ToTerminal(e.Message()) << '\n';
        return false;
    }
    return true;
}

void THostSession::EndSession() {
    if (FController) {
        // The host lets the form go: hidden, closed and freed, then reads what it returned.
        try {
            if (FController->GetVisible()) FController->SetVisible(false);
            FController->CloseForm(false);
        } catch (const Exception& e) {
            FErr << "kvrhost: closing the form failed: " << ToTerminal(e.Message()) << '\n';
            FFailed = true;
        }
        Print("result code " + std::to_string(FController->ResultCode) + " value " +
              Quoted(ValueText(FController->ResultValue)));
        FController->Free();
        FController = nullptr;
    }
    // Then the module goes: its units finalise and what it registered leaves the class library.
    if (FModule) {
        if (!FreeLibrary(FModule))
            FErr << "kvrhost: cannot unload " << FOptions.Module << ": " << LastLibraryError() << '\n';
        FModule = 0;
    }
}

int THostSession::Run() {
    if (!LoadModule()) return kvrhostUsage;
    FController->OnNotify = TDLLNotifyEvent(this, &THostSession::Notified);
    TModalDriverScope scope(this);
    Application->SetDialogListener([this](const TDialogRecord& record) { DialogShown(record); });
    InstallObservers();
    int status = kvrhostOk;
    try {
        FController->HostApp = CreateOleObject("VorlanWorkCenter.Manager");
        const Variant params = VarArrayOf({FromScript(FOptions.User), FromScript(FOptions.Company),
                                           FromScript(FOptions.Database), 0, FromScript(FOptions.Param)});
        // What the module tells the user while it opens (the version check) is acknowledged.
        FOpening = true;
        const int opened = FController->Open(params);
        FOpening = false;
        if (opened != 0) {
            FErr << "kvrhost: the module's form did not start up\n";
            status = kvrhostUsage;
        } else {
            if (!FOptions.ParameterFile.empty())
                FController->SetParameter(
                    VarArrayOf({Variant(0), Variant(FromScript(FOptions.ParameterText))}));
            FController->SetMode(FOptions.Mode, FOptions.Rights, Variant());
        }
    } catch (const Exception& e) {
        FOpening = false;
        FErr << "kvrhost: Open failed: " << ToTerminal(e.Message()) << '\n';
        status = kvrhostUsage;
    }
    if (status == kvrhostOk) RunScript();
    EndSession();
    RemoveObservers();
    Application->SetDialogListener(nullptr);
    if (status != kvrhostOk) return status;
    return FFailed ? kvrhostFailed : kvrhostOk;
}

bool THostSession::NextCommand(TScriptCommand& command) {
    std::string line;
    while (!FScriptEnded) {
        if (&FScript == &std::cin && !FOptions.Quiet && isatty(0)) {
            FOut << "kvrhost> ";
            FOut.flush();
        }
        if (!std::getline(FScript, line)) {
            FScriptEnded = true;
            break;
        }
        ++FLine;
        std::string error;
        if (!ParseScriptLine(line, FLine, command, error)) {
            Print("error line " + std::to_string(FLine) + ": " + error);
            FFailed = true;
            FScriptEnded = true;
            break;
        }
        if (!command.Name.empty()) return true;
    }
    return false;
}

void THostSession::Fail(const TScriptCommand& command, const std::string& what) {
    Print("error line " + std::to_string(command.Line) + ": " + command.Name + ": " + what);
    FFailed = true;
}

void THostSession::RunScript() {
    TScriptCommand command;
    while (!FFailed && NextCommand(command)) {
        if (Execute(command) == TStep::Failed) break;
    }
}

THostSession::TStep THostSession::Execute(const TScriptCommand& command) {
    using TCommand = TStep (THostSession::*)(const TScriptCommand&);
    static const struct {
        const char* Name;
        TCommand Run;
        std::size_t MinArgs, MaxArgs;
    } commands[] = {
        {"show", &THostSession::Show, 0, 0},
        {"key", &THostSession::Key, 1, 2},
        {"type", &THostSession::Type, 2, 2},
        {"click", &THostSession::Click, 1, 1},
        {"answer", &THostSession::Answer, 1, 1},
        {"expect", &THostSession::Expect, 2, 2},
        {"dump", &THostSession::Dump, 0, 1},
        {"picture", &THostSession::Picture, 1, 1},
        {"wait", &THostSession::Wait, 0, 0},
        {"close", &THostSession::Close, 0, 0},
        {"pick", &THostSession::Pick, 1, 1},
        {"date", &THostSession::PickDate, 1, 1},
        {"expect-field", &THostSession::ExpectField, 2, 2},
        {"expect-dialog", &THostSession::ExpectDialog, 2, 2},
        {"cell", &THostSession::Cell, 4, 4},
        {"mouse", &THostSession::Mouse, 3, 4},
    };
    try {
        if (command.Name == "expect-enabled" || command.Name == "expect-visible") {
            if (command.Args.size() != 2) {
                Fail(command, "needs COMPONENT and yes or no");
                return TStep::Failed;
            }
            return ExpectState(command, command.Name == "expect-enabled");
        }
        if (command.Name == "expect-checked") {
            if (command.Args.size() != 2) {
                Fail(command, "needs a menu item and yes or no");
                return TStep::Failed;
            }
            return ExpectChecked(command);
        }
        for (const auto& c : commands) {
            if (command.Name != c.Name) continue;
            if (command.Args.size() < c.MinArgs || command.Args.size() > c.MaxArgs) {
                Fail(command, "wrong number of arguments (see kvrhost --help)");
                return TStep::Failed;
            }
            return (this->*c.Run)(command);
        }
        Fail(command, "unknown command");
        return TStep::Failed;
    } catch (const EScriptStop& e) {
        Fail(command, e.Message()); // made of the script's own (UTF-8) words
        return TStep::Failed;
    } catch (const Exception& e) {
        Fail(command, std::string(e.ClassName()) + ": " + ToTerminal(e.Message()));
        return TStep::Failed;
    }
}

TCustomForm* THostSession::ProgramForm() const {
    if (!FController || FController->IsFree()) return nullptr;
    return dynamic_cast<TCustomForm*>(FindControl(static_cast<HWND>(FController->GetHandle())));
}

TComponent* THostSession::FindByName(const std::string& name) const {
    const AnsiString wanted = FromScript(name);
    for (TCustomForm* root : {TargetForm(), ProgramForm()}) {
        if (!root) continue;
        if (SameText(root->Name(), wanted)) return root;
        if (TComponent* found = FindFormComponent(root, wanted)) return found;
    }
    return nullptr;
}

TComponent* THostSession::Require(const TScriptCommand& command, std::size_t arg) {
    TComponent* found = FindByName(command.Args[arg]);
    if (!found) throw EScriptStop("no component named " + command.Args[arg]);
    return found;
}

THostSession::TStep THostSession::Show(const TScriptCommand& command) {
    if (!ProgramForm()) {
        Fail(command, "no form");
        return TStep::Failed;
    }
    if (!FOptions.Modal) {
        FController->SetVisible(true);
        return TStep::Done;
    }
    // The rest of the script runs inside the modal loop, asked for by the modal driver.
    FInModal = true;
    Variant value;
    try {
        FController->ShowModal(value);
    } catch (...) {
        FInModal = false;
        throw;
    }
    FInModal = false;
    return FFailed ? TStep::Failed : TStep::Done;
}

namespace {

TControl* AsControl(TComponent* component, const std::string& name) {
    auto* control = dynamic_cast<TControl*>(component);
    if (!control) throw EScriptStop(name + " is not a control");
    return control;
}

} // namespace

// The dialog that is up over the program's form, else the form: where a user's action lands.
TCustomForm* THostSession::TargetForm() const {
    TCustomForm* active = Screen->ActiveForm();
    if (active && active != ProgramForm() && (active->FormState().Contains(fsModal))) return active;
    return ProgramForm();
}

THostSession::TStep THostSession::Key(const TScriptCommand& command) {
    TCustomForm* form = TargetForm();
    if (!form) throw EScriptStop("no form");
    AnsiString key = FromScript(command.Args[0]);
    if (SameText(key, "Delete")) key = "Del";
    UserKey(form, key, command.Args.size() > 1 ? FromScript(command.Args[1]) : AnsiString());
    return TStep::Done;
}

THostSession::TStep THostSession::Type(const TScriptCommand& command) {
    TCustomForm* form = TargetForm();
    if (!form) throw EScriptStop("no form");
    UserType(form, FromScript(command.Args[0]), FromScript(command.Args[1]));
    return TStep::Done;
}

THostSession::TStep THostSession::Click(const TScriptCommand& command) {
    TCustomForm* form = TargetForm();
    if (!form) throw EScriptStop("no form");
    UserClick(form, FromScript(command.Args[0]));
    return TStep::Done;
}

THostSession::TStep THostSession::Answer(const TScriptCommand& command) {
    FAnswers.push_back(command.Args[0]);
    return TStep::Done;
}

namespace {

// "none", or grid rows from 1 joined by ",".
bool ParseRows(const std::string& text, std::vector<int>& rows) {
    rows.clear();
    if (SameText(text, "none")) return true;
    std::string part;
    std::istringstream parts(text);
    while (std::getline(parts, part, ',')) {
        if (part.empty() || part.size() > 6 || part.find_first_not_of("0123456789") != std::string::npos)
            return false;
        const int row = std::stoi(part);
        if (row < 1) return false;
        rows.push_back(row);
    }
    return !rows.empty();
}

} // namespace

THostSession::TStep THostSession::Pick(const TScriptCommand& command) {
    std::vector<int> rows;
    if (!ParseRows(command.Args[0], rows)) {
        Fail(command, "needs grid rows from 1 (1 or 1,3) or none, not " + command.Args[0]);
        return TStep::Failed;
    }
    FPicks.push_back(command);
    return TStep::Done;
}

THostSession::TStep THostSession::PickDate(const TScriptCommand& command) {
    const std::string& text = command.Args[0];
    TDateTime date = 0;
    if (!SameText(text, "none") && !ReadYYYYMMDD(text, date)) {
        Fail(command, "needs a date as YYYYMMDD or none, not " + text);
        return TStep::Failed;
    }
    FDates.push_back(command);
    return TStep::Done;
}

THostSession::TStep THostSession::Expect(const TScriptCommand& command) {
    TComponent* component = Require(command, 0);
    // A menu item shows its caption.
    auto* item = dynamic_cast<TMenuItem*>(component);
    const std::string found =
        ToTerminal(item ? item->Caption() : AsControl(component, command.Args[0])->Text());
    if (found != command.Args[1]) {
        Fail(command, command.Args[0] + " is " + Quoted(found) + ", expected " + Quoted(command.Args[1]));
        return TStep::Failed;
    }
    return TStep::Done;
}

THostSession::TStep THostSession::ExpectState(const TScriptCommand& command, bool enabled) {
    bool wanted = false;
    if (!ParseYesNo(command.Args[1], wanted)) {
        Fail(command, "needs yes or no, not " + command.Args[1]);
        return TStep::Failed;
    }
    TComponent* component = Require(command, 0);
    bool found = false;
    // A menu item is no control, but a user sees whether its command can be chosen.
    if (auto* item = dynamic_cast<TMenuItem*>(component)) {
        found = enabled ? item->Enabled() : item->Visible();
    } else {
        TControl* control = AsControl(component, command.Args[0]);
        found = enabled ? control->Enabled() : control->Visible();
    }
    if (found != wanted) {
        Fail(command, command.Args[0] + (enabled ? " enabled " : " visible ") + (found ? "yes" : "no") +
                          ", expected " + command.Args[1]);
        return TStep::Failed;
    }
    return TStep::Done;
}

THostSession::TStep THostSession::ExpectChecked(const TScriptCommand& command) {
    bool wanted = false;
    if (!ParseYesNo(command.Args[1], wanted)) {
        Fail(command, "needs yes or no, not " + command.Args[1]);
        return TStep::Failed;
    }
    auto* item = dynamic_cast<TMenuItem*>(Require(command, 0));
    if (!item) throw EScriptStop(command.Args[0] + " is not a menu item");
    if (item->Checked() != wanted) {
        Fail(command, command.Args[0] + " checked " + (item->Checked() ? "yes" : "no") + ", expected " +
                          command.Args[1]);
        return TStep::Failed;
    }
    return TStep::Done;
}

// ---- grids ----
// A grid is driven through what the class library's grids answer (the current cell, the in-place
// editor, GetEditText and SetEditText), so any grid built on TCustomGrid takes the cell command; a grid's
// rows reach dump through its DumpDetails (the string grids print their cells as shown).

namespace {

bool ParseIndex(const std::string& text, int& value) {
    if (text.empty() || text.size() > 6 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    value = std::stoi(text);
    return true;
}

// Moves to the cell as the keys would, opens its editor (F2) and types the text over the cell's text,
// key by key; the editor stays open on the cell, as a user leaves it after typing.
void TypeIntoGridCell(TCustomGrid* grid, int row, int col, const AnsiString& text, const std::string& name) {
    const std::string where = "row " + std::to_string(row) + " col " + std::to_string(col) + " of " + name;
    if (row >= grid->RowCount() || col >= grid->ColCount() || row < grid->FixedRows() ||
        col < grid->FixedCols())
        throw EScriptStop(where + " is not a cell the user can reach (the grid has " +
                          std::to_string(grid->RowCount()) + " rows and " + std::to_string(grid->ColCount()) +
                          " columns, " + std::to_string(grid->FixedRows()) + " and " +
                          std::to_string(grid->FixedCols()) + " of them fixed)");
    if (!grid->CanFocus()) throw EScriptStop(name + " cannot take the focus");
    Application->RunUserAction([&] { grid->SetFocus(); });
    Application->RunUserAction([&] {
        if (grid->Col() != col || grid->Row() != row) grid->MoveCurrent(col, row);
    });
    if (grid->Col() != col || grid->Row() != row) throw EScriptStop("the grid refused to move to " + where);
    // A column whose editor is a control of the form: a click on the current cell shows it over the
    // cell, and the text is typed into that control.
    TWinControl* editor = nullptr;
    if (auto* dataGrid = dynamic_cast<TwwDBGrid*>(grid);
        dataGrid && !grid->EditorMode() && dataGrid->CustomEditorOf(dataGrid->SelectedField())) {
        if (!dataGrid->ActiveCustomEditor()) {
            const TRect rect = grid->CellRect(col, row);
            Application->RunUserAction(
                [&] { grid->MouseClickAt((rect.Left + rect.Right) / 2, (rect.Top + rect.Bottom) / 2); });
        }
        editor = dataGrid->ActiveCustomEditor();
        if (!editor || !editor->Visible() || !editor->Focused())
            throw EScriptStop(
                where + " cannot be edited (its editor " +
                std::string(dataGrid->CustomEditorOf(dataGrid->SelectedField())->Name().c_str()) +
                " does not show)");
    } else {
        if (!grid->EditorMode()) Application->RunUserAction([&] { PressKey(grid, VK_F2, TShiftState()); });
        editor = grid->InplaceEditor();
        if (!grid->EditorMode() || !editor) throw EScriptStop(where + " cannot be edited");
    }
    const HWND wnd = editor->Handle();
    Application->RunUserAction([&] {
        editor->Perform(EM_SETSEL, 0, -1);
        for (char ch : text) {
            if (!IsWindow(wnd)) return;
            Word key;
            TShiftState shift;
            if (static_cast<unsigned char>(ch) < 0x80 && CharToKey(ch, key, shift))
                PressKey(editor, key, shift);
            else
                editor->Perform(WM_CHAR, static_cast<unsigned char>(ch), 1);
        }
    });
}

} // namespace

THostSession::TStep THostSession::Cell(const TScriptCommand& command) {
    auto* grid = dynamic_cast<TCustomGrid*>(Require(command, 0));
    if (!grid) throw EScriptStop(command.Args[0] + " is not a grid");
    int row = 0, col = 0;
    if (!ParseIndex(command.Args[1], row) || !ParseIndex(command.Args[2], col)) {
        Fail(command, "needs ROW and COL as numbers from 0, not " + command.Args[1] + " " + command.Args[2]);
        return TStep::Failed;
    }
    TypeIntoGridCell(grid, row, col, FromScript(command.Args[3]), command.Args[0]);
    return TStep::Done;
}

THostSession::TStep THostSession::Mouse(const TScriptCommand& command) {
    auto* grid = dynamic_cast<TCustomGrid*>(Require(command, 0));
    if (!grid) throw EScriptStop(command.Args[0] + " is not a grid");
    int row = 0, col = 0;
    if (!ParseIndex(command.Args[1], row) || !ParseIndex(command.Args[2], col)) {
        Fail(command, "needs ROW and COL as numbers from 0, not " + command.Args[1] + " " + command.Args[2]);
        return TStep::Failed;
    }
    const bool ctrl = command.Args.size() > 3;
    if (ctrl && command.Args[3] != "ctrl") {
        Fail(command, "the fourth argument can only be ctrl, not " + command.Args[3]);
        return TStep::Failed;
    }
    const TRect rect = grid->CellRect(col, row);
    if (rect.Right <= rect.Left || rect.Bottom <= rect.Top)
        throw EScriptStop(command.Args[0] + " does not show cell " + command.Args[1] + " " + command.Args[2]);
    const int x = (rect.Left + rect.Right) / 2, y = (rect.Top + rect.Bottom) / 2;
    const TShiftState held = KeyboardShiftState();
    if (ctrl) {
        TShiftState withCtrl = held;
        withCtrl.Include(ssCtrl);
        SetKeyboardShiftState(withCtrl);
    }
    try {
        grid->Perform(WM_MOUSEMOVE, ctrl ? 0x0008 : 0, MakeLParam(x, y));
        grid->MouseClickAt(x, y);
    } catch (...) {
        SetKeyboardShiftState(held);
        throw;
    }
    SetKeyboardShiftState(held);
    return TStep::Done;
}

THostSession::TStep THostSession::Dump(const TScriptCommand& command) {
    const TControl* root = nullptr;
    if (command.Args.empty()) {
        root = ProgramForm();
        if (!root) throw EScriptStop("no form");
    } else {
        root = AsControl(Require(command, 0), command.Args[0]);
    }
    std::vector<AnsiString> lines;
    DumpControl(root, lines);
    for (const AnsiString& line : lines)
        Print(ToTerminal(line));
    return TStep::Done;
}

THostSession::TStep THostSession::Picture(const TScriptCommand& command) {
    TCustomForm* form = ProgramForm();
    if (!form) throw EScriptStop("no form");
    SaveControlPicture(form, FromScript(command.Args[0]));
    if (!FOptions.Quiet) Print("picture " + command.Args[0]);
    return TStep::Done;
}

THostSession::TStep THostSession::Wait(const TScriptCommand&) {
    Application->ProcessMessages();
    return TStep::Done;
}

THostSession::TStep THostSession::Close(const TScriptCommand&) {
    TCustomForm* form = ProgramForm();
    if (!form) throw EScriptStop("no form");
    Application->RunUserAction([form] { form->Close(); });
    Application->ProcessMessages();
    return TStep::Done;
}

// The modal driver: a dialog over the form takes the next queued answer; the program's form, waiting
// in its modal loop, runs the next script command.
bool THostSession::Idle(TCustomForm* form) {
    if (form != ProgramForm()) {
        if (FOpening) {
            UserAnswer(form, "OK");
            return true;
        }
        if (AnswerHostWindow(form)) return true;
        // Windows that are gone leave the list (a window lives in Screen's list while it exists).
        std::erase_if(FScriptedWindows, [](const std::pair<TCustomForm*, TClass>& window) {
            for (int i = 0; i < Screen->FormCount(); ++i)
                if (Screen->Forms(i) == window.first) return window.first->ClassType() != window.second;
            return true;
        });
        const std::pair<TCustomForm*, TClass> self(form, form->ClassType());
        const bool scripted =
            std::find(FScriptedWindows.begin(), FScriptedWindows.end(), self) != FScriptedWindows.end();
        if (FAnswers.empty() || scripted) {
            // A window of the module's own (not a message, not a host window) with no answer queued for
            // it: the next script commands act on it, as on the program's form in its modal loop.
            const bool answered = dynamic_cast<TMessageForm*>(form) ||
                                  dynamic_cast<TfrmLookupWindow*>(form) ||
                                  dynamic_cast<TfrmDatePicker*>(form) || dynamic_cast<TfrmCalculator*>(form);
            if (answered) return false; // the modal loop raises, naming the dialog
            if (!scripted) FScriptedWindows.push_back(self);
            TScriptCommand command;
            if (FFailed || !NextCommand(command)) {
                form->Close();
                return true;
            }
            if (Execute(command) == TStep::Failed) form->Close();
            return true;
        }
        const std::string answer = FAnswers.front();
        FAnswers.pop_front();
        UserAnswer(form, FromScript(answer));
        return true;
    }
    TScriptCommand command;
    if (FFailed || !NextCommand(command)) {
        // The script is done (or failed): the user closes the form.
        form->Close();
        return true;
    }
    if (Execute(command) == TStep::Failed && ProgramForm() == form) form->Close();
    return true;
}

bool THostSession::AnswerHostWindow(TCustomForm* form) {
    auto* lookup = dynamic_cast<TfrmLookupWindow*>(form);
    auto* picker = dynamic_cast<TfrmDatePicker*>(form);
    std::deque<TScriptCommand>* queue = lookup ? &FPicks : picker ? &FDates : nullptr;
    if (!queue || queue->empty()) return false;
    const TScriptCommand command = queue->front();
    queue->pop_front();
    const std::string& answer = command.Args[0];
    std::string button = "btnOK";
    if (SameText(answer, "none")) {
        button = "btnCancel";
    } else if (lookup) {
        std::vector<int> rows;
        ParseRows(answer, rows);
        if (!lookup->SelectRows(rows)) {
            // The window is let go so that the module goes on; the script has failed.
            Fail(command, "the lookup window offers " + std::to_string(lookup->CandidateCount()) +
                              (lookup->MultiSelect() || rows.size() == 1 ? " rows" : " rows, one to pick") +
                              ", not " + answer);
            button = "btnCancel";
        }
    } else {
        picker->SetDate(FromScript(answer));
    }
    if (!FOptions.Quiet)
        Print("window " + Quoted(ToTerminal(form->Caption())) + " -> " +
              (button == "btnOK" ? answer : "none"));
    UserAnswer(form, button);
    return true;
}

// Whether a dialog's text is the host's message text with its arguments put in: the text's pieces
// between the placeholders in order, the first at the start. A BIG5 interface shows the text converted
// by the module, which the host cannot redo: there the dialog that follows the question shows it.
bool THostSession::ShowsMessage(const AnsiString& shown, const AnsiString& message) const {
    if (InterfaceCodePage() == 950) return true;
    std::vector<AnsiString> pieces(1);
    for (std::size_t i = 0; i < message.size(); ++i) {
        if (message[i] == '%' && i + 1 < message.size()) {
            if (message[i + 1] == '%') {
                pieces.back() += '%';
                ++i;
                continue;
            }
            // "%" [index ":"] ["-"] [width] ["." precision] type
            while (i + 1 < message.size() && !std::isalpha(static_cast<unsigned char>(message[i + 1])))
                ++i;
            ++i;
            pieces.emplace_back();
            continue;
        }
        pieces.back() += message[i];
    }
    if (shown.compare(0, pieces[0].size(), pieces[0]) != 0) return false;
    std::size_t at = pieces[0].size();
    for (std::size_t i = 1; i < pieces.size(); ++i) {
        const std::size_t found = shown.find(pieces[i], at);
        if (found == AnsiString::npos) return false;
        at = found + pieces[i].size();
    }
    return true;
}

void THostSession::DialogShown(const TDialogRecord& record) {
    std::string buttons;
    for (const AnsiString& b : record.Buttons)
        buttons += (buttons.empty() ? "" : " ") + ToTerminal(b);
    const bool fromCode = FAsked.Pending && ShowsMessage(record.Text, FAsked.Text);
    FLastDialogKind = fromCode ? FAsked.Kind : "-";
    FLastDialogCode = fromCode ? FAsked.Code : "-";
    FAsked.Pending = false;
    FAnyDialog = true;
    Print("dialog " + FLastDialogKind + " " + FLastDialogCode + " " + Quoted(ToTerminal(record.Text)) + " [" +
          buttons + "] -> " + (record.Answer.empty() ? std::string("(none)") : ToTerminal(record.Answer)));
}

void THostSession::InstallObservers() {
    TWorkCenterObserver observer;
    observer.MessageGiven = [this](const AnsiString& kind, const AnsiString& code, const AnsiString& text) {
        FAsked.Kind = ToTerminal(kind);
        FAsked.Code = ToTerminal(code);
        FAsked.Text = text;
        FAsked.Pending = true;
    };
    observer.WorkExecuted = [this](const TStartRequest& request, int rc) {
        Print("execwork " + ToTerminal(request.User) + " " + ToTerminal(request.Company) + " " +
              ToTerminal(request.Program) + " " + ValueText(request.Param1) + " -> " + std::to_string(rc));
    };
    observer.HelpCalled = [this](const Variant& topic) { Print("help " + ValueText(topic)); };
    SetWorkCenterObserver(observer);
    // What the module leaves open in the spreadsheet program is kept where its own exports go.
    SetExcelKeeping("", FromScript(FOptions.User), ProgramOfModule(FOptions.Module));
    SetExcelFileListener([this](const AnsiString& file) { Print("excel " + ToTerminal(file)); });
    SetShellExecuteHandler([this](const TShellExecuteInfo& info) {
        if (SameText(info.Verb, "properties"))
            Print("properties " + ToTerminal(info.File));
        else
            Print("shell " + ToTerminal(info.Verb) + " " + ToTerminal(info.File) +
                  (info.Parameters.empty() ? std::string() : " " + ToTerminal(info.Parameters)));
        return true;
    });
    SetPagerListener([this](const TPagerMessage& message) {
        Print("pager " + ToTerminal(message.User) + " " + ValueText(message.Target) + " " +
              Quoted(ValueText(message.Text)));
    });
    SetAttachmentListener(
        [this](const TAttachmentShow& show) { Print("attach " + ValueText(show.Parameters)); });
    FMainMenu = std::make_unique<TMainMenuWindow>(
        [this](const AnsiString& text, HWND) { Print("link " + ToTerminal(text)); });
}

void THostSession::RemoveObservers() {
    SetWorkCenterObserver(TWorkCenterObserver());
    SetShellExecuteHandler(nullptr);
    SetPagerListener(nullptr);
    SetAttachmentListener(nullptr);
    SetExcelFileListener(nullptr);
    FMainMenu.reset();
}

namespace {

// The data set of that name among the components the form owns, and those they own (the form's data
// module); nil when none.
TDataSet* FindDataSet(TComponent* root, const AnsiString& name, int depth = 0) {
    if (!root || depth > 3) return nullptr;
    for (int i = 0; i < root->ComponentCount(); ++i) {
        TComponent* component = root->Components(i);
        if (auto* dataSet = dynamic_cast<TDataSet*>(component); dataSet && SameText(dataSet->Name(), name))
            return dataSet;
        if (TDataSet* found = FindDataSet(component, name, depth + 1)) return found;
    }
    return nullptr;
}

} // namespace

THostSession::TStep THostSession::ExpectField(const TScriptCommand& command) {
    const std::string& target = command.Args[0];
    const std::size_t dot = target.find('.');
    if (dot == std::string::npos || dot == 0 || dot + 1 == target.size()) {
        Fail(command, "needs DATASET.FIELD, not " + target);
        return TStep::Failed;
    }
    TDataSet* dataSet = FindDataSet(ProgramForm(), FromScript(target.substr(0, dot)));
    if (!dataSet) throw EScriptStop("no data set named " + target.substr(0, dot));
    TField* field = dataSet->FindField(FromScript(target.substr(dot + 1)));
    if (!field) throw EScriptStop("no field named " + target);
    const std::string found = dataSet->Active() ? ToTerminal(field->DisplayText()) : std::string();
    if (found != command.Args[1]) {
        Fail(command, target + " is " + Quoted(found) + ", expected " + Quoted(command.Args[1]));
        return TStep::Failed;
    }
    return TStep::Done;
}

THostSession::TStep THostSession::ExpectDialog(const TScriptCommand& command) {
    const std::string found = FAnyDialog ? FLastDialogKind + " " + FLastDialogCode : std::string("none");
    if (!FAnyDialog || FLastDialogKind != command.Args[0] || FLastDialogCode != command.Args[1]) {
        Fail(command,
             "the last dialog was " + found + ", expected " + command.Args[0] + " " + command.Args[1]);
        return TStep::Failed;
    }
    return TStep::Done;
}
