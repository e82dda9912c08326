// kvrhost: the host program of the module (see the command line and script language in --help).
#include <fstream>
#include <iostream>

#include "apps/kvrhost/ClientConfig.h"
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
    std::ifstream file;
    if (!options.Script.empty()) {
        file.open(options.Script);
        if (!file) {
            std::cerr << "kvrhost: cannot read the script " << options.Script << '\n';
            return kvrhostUsage;
        }
    }
    THostClientConfig client;
    if (!client.Prepare(options.ClientIni, error)) {
        std::cerr << "kvrhost: " << error << '\n';
        return kvrhostUsage;
    }
    // The work centre (libworkcenter.so, linked in) registers VorlanWorkCenter.Manager for
    // CreateOleObject. kvrhost starts no other program: ExecWork answers as without a launcher.
    SetWorkCenterLauncher(TProgramLauncher());
    THostSession session(options, options.Script.empty() ? std::cin : file, std::cout, std::cerr);
    return session.Run();
}
