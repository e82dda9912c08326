// kvrhost: the host program of the module (see the command line and script language in --help).
#include <fstream>
#include <iostream>
#include <sstream>

#include "apps/kvrhost/ClientConfig.h"
#include "apps/kvrhost/ModuleFile.h"
#include "apps/kvrhost/Options.h"
#include "apps/kvrhost/Session.h"
#include "standins/workcenter/workcenter.h"

int main(int argc, char** argv) {
    TOptions options;
    std::string error;
    if (!ParseOptions(argc, argv, options, error)) {
        std::cerr << "kvrhost: " << error << "\n\n" << UsageText();
        return kvrhostUsage;
    }
    if (options.Help) {
        std::cout << UsageText();
        return kvrhostOk;
    }
    // Refused before the loader sees it: a file that is not a whole library of this machine can
    // crash the process inside the loader.
    if (!CheckModuleFile(options.Module, error)) {
        std::cerr << "kvrhost: cannot load " << options.Module << ": " << error << '\n';
        return kvrhostUsage;
    }
    std::ifstream file;
    if (!options.Script.empty()) {
        if (CheckScriptFile(options.Script, error)) file.open(options.Script, std::ios::binary);
        if (!file.is_open() || !file) {
            std::cerr << "kvrhost: cannot read the script " << options.Script << ": "
                      << (error.empty() ? "cannot be opened" : error) << '\n';
            return kvrhostUsage;
        }
    }
    // SetParameter's text, read whole before anything is loaded.
    if (!options.ParameterFile.empty()) {
        std::ifstream parameter(options.ParameterFile, std::ios::binary);
        if (CheckScriptFile(options.ParameterFile, error) && parameter) {
            std::ostringstream text;
            text << parameter.rdbuf();
            options.ParameterText = text.str();
        } else {
            std::cerr << "kvrhost: cannot read the parameter file " << options.ParameterFile << ": "
                      << (error.empty() ? "cannot be opened" : error) << '\n';
            return kvrhostUsage;
        }
    }
    // A byte-order mark that an editor put before the first command.
    std::istream& script = options.Script.empty() ? std::cin : file;
    for (const int byte : {0xEF, 0xBB, 0xBF}) {
        if (script.peek() != byte) break;
        script.get();
    }
    THostClientConfig client;
    if (!client.Prepare(options.ClientIni, error)) {
        std::cerr << "kvrhost: " << error << '\n';
        return kvrhostUsage;
    }
    // The work centre (libworkcenter.so, linked in) registers VorlanWorkCenter.Manager for
    // CreateOleObject. kvrhost starts no other program: ExecWork answers as without a launcher.
    SetWorkCenterLauncher(TProgramLauncher());
    THostSession session(options, script, std::cout, std::cerr);
    return session.Run();
}
