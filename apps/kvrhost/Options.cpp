#include "apps/kvrhost/Options.h"

#include <cstdlib>
#include <cstring>

namespace {

bool ParseInt(const std::string& text, int& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 0);
    if (*end != '\0' || v < -2147483647L - 1 || v > 2147483647L) return false;
    value = static_cast<int>(v);
    return true;
}

} // namespace

const char* UsageText() {
    return "usage: kvrhost [options] MODULE [SCRIPT]\n"
           "\n"
           "Loads the module, hands it the work-centre object, opens its form and runs the session\n"
           "script (standard input without SCRIPT). Scripts and output are UTF-8, converted through the\n"
           "code page of the module's user interface (its client configuration's UICodePage).\n"
           "\n"
           "options:\n"
           "  --client-ini PATH   the client configuration the module reads, a VeltraneC.ini file\n"
           "                      (default: the machine's, else the demo's data/VeltraneC.ini)\n"
           "  --user U            start parameter 0 (default DEMO)\n"
           "  --company C         start parameter 1 (default DEMO)\n"
           "  --database D        start parameter 2 (default DEMO)\n"
           "  --param P           start parameter 4, the open parameter (default empty)\n"
           "  --parameter-file PATH  SetParameter's text, read from the file (UTF-8), before SetMode\n"
           "  --mode N            SetMode's mode before the form is shown (default 0)\n"
           "  --rights R          SetMode's rights, 0 to 255 (default 255)\n"
           "  --modal             show the form modally; the script runs inside the modal loop\n"
           "  --quiet             print only what the script asks for and failures\n"
           "  --help              this text\n"
           "\n"
           "script commands (one a line, # starts a comment, \"quoted text\" with \\\" and \\\\):\n"
           "  show                      shows the form (modeless, or modal with --modal)\n"
           "  key KEY [CONTROL]         presses a key (F1..F12, Enter, Esc, Tab, Shift+Tab, Up, Down,\n"
           "                            Delete, Ctrl+F, Ctrl+Alt+V, a character) on the focused control\n"
           "                            or on CONTROL after focusing it\n"
           "  type CONTROL TEXT         types TEXT over the control's text and leaves it as Tab would\n"
           "  click COMPONENT           clicks a button, tool button, check box or menu item\n"
           "  answer BUTTON             answers the next message dialog or modal window (OK, Cancel,\n"
           "                            Yes, No, YesToAll, or a button's name)\n"
           "  pick ROWS                 the rows the next lookup window returns, as its grid counts\n"
           "                            them (1 the first candidate; 1,3 for several; none)\n"
           "  date YYYYMMDD             the answer of the next date picker (none for none)\n"
           "  expect CONTROL TEXT       the control's text (or caption, or a menu item's) equals TEXT\n"
           "  expect-enabled COMPONENT yes|no\n"
           "  expect-visible COMPONENT yes|no\n"
           "  expect-checked MENUITEM yes|no\n"
           "  dump [CONTROL]            prints the form, or one control, as text\n"
           "  picture FILE              writes the form as a PNG picture\n"
           "  wait                      handles everything posted\n"
           "  close                     closes the form as the user would\n"
           "  expect-field DATASET.FIELD TEXT  the field's display text equals TEXT\n"
           "  expect-dialog KIND CODE   the last message dialog was of that kind and code (E 000003)\n"
           "  cell GRID ROW COL TEXT    moves to a grid cell (rows and columns from 0 as the grid counts\n"
           "                            them) and types TEXT into it, or into the form's control\n"
           "                            that the grid shows over that cell as its editor\n"
           "  mouse GRID ROW COL [ctrl] moves the mouse over a grid cell and clicks it, with Ctrl held\n"
           "                            when ctrl is given\n"
           "\n"
           "exit status: 0 the script ran and every expectation held; 1 an expectation failed or a\n"
           "dialog came unanswered; 2 a usage error or a module that cannot be loaded.\n";
}

bool ParseOptions(int argc, char** argv, TOptions& options, std::string& error) {
    std::string* positional[] = {&options.Module, &options.Script};
    int positionals = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](std::string& target) {
            if (i + 1 >= argc) {
                error = "option " + arg + " needs a value";
                return false;
            }
            target = argv[++i];
            return true;
        };
        std::string text;
        if (arg == "--help" || arg == "-h") {
            options.Help = true;
        } else if (arg == "--client-ini") {
            if (!value(options.ClientIni)) return false;
        } else if (arg == "--user") {
            if (!value(options.User)) return false;
        } else if (arg == "--company") {
            if (!value(options.Company)) return false;
        } else if (arg == "--database") {
            if (!value(options.Database)) return false;
        } else if (arg == "--param") {
            if (!value(options.Param)) return false;
        } else if (arg == "--parameter-file") {
            if (!value(options.ParameterFile)) return false;
        } else if (arg == "--mode" || arg == "--rights") {
            if (!value(text)) return false;
            if (!ParseInt(text, arg == "--mode" ? options.Mode : options.Rights)) {
                error = "option " + arg + " needs a number, not '" + text + "'";
                return false;
            }
            // The rights are SetMode's eight bits.
            if (arg == "--rights" && (options.Rights < 0 || options.Rights > 255)) {
                error = "option --rights needs a number from 0 to 255, not '" + text + "'";
                return false;
            }
        } else if (arg == "--modal") {
            options.Modal = true;
        } else if (arg == "--quiet") {
            options.Quiet = true;
        } else if (arg.size() > 1 && arg[0] == '-' && arg != "-") {
            error = "unknown option " + arg;
            return false;
        } else {
            if (positionals >= 2) {
                error = "too many arguments: " + arg;
                return false;
            }
            *positional[positionals++] = arg;
        }
    }
    if (!options.Help && options.Module.empty()) {
        error = "no MODULE given";
        return false;
    }
    return true;
}
