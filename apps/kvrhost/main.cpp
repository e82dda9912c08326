// kvrhost: the host program of the module (see the command line and script language in --help).
#include <fstream>
#include <iostream>

#include "apps/kvrhost/Options.h"
#include "apps/kvrhost/Session.h"
#include "apps/kvrhost/WorkCenterStandin.h"
#include "classlib/rtl/files.h"

namespace {

// The demo's message texts, copied into the build's data folder beside bin/.
std::string MessageFile() {
    const std::string exe = NativePath(GetModuleFileName());
    const std::size_t slash = exe.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string(".") : exe.substr(0, slash);
    return folder + "/../data/messages";
}

} // namespace

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
    try {
        RegisterWorkCenterStandin(MessageFile());
    } catch (const std::exception& e) {
        std::cerr << "kvrhost: the message texts cannot be read: " << e.what() << '\n';
        return kvrhostUsage;
    }
    THostSession session(options, options.Script.empty() ? std::cin : file, std::cout, std::cerr);
    return session.Run();
}
