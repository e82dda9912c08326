// kvrhost's checks of what it is given, each a usage error (exit 2) before anything is loaded: a
// module that is not a whole shared library of this machine, a script or parameter file that is not a
// readable file, rights outside 0-255; and a script that starts with a byte-order mark runs as one without
// it.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "tests/standins/shared/dbfixture.h"

namespace {

struct TRun {
    int Status = -1;
    std::string Output; // standard output and error
};

TRun RunKvrHost(const std::string& args, const TTempFolder& folder) {
    const std::string command = "cd " + folder.Path().string() +
                                " && KVR_REGISTRY=" + (folder.Path() / "registry.ini").string() + " " +
                                KVR_BINARY_DIR + "/bin/kvrhost " + args + " 2>&1 < /dev/null";
    TRun run;
    FILE* pipe = popen(command.c_str(), "r");
    char buffer[512];
    while (pipe && fgets(buffer, sizeof buffer, pipe))
        run.Output += buffer;
    const int status = pipe ? pclose(pipe) : -1;
    run.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

#ifdef KVR_MODULE_PATH
TEST(KvrHost, WhatIsNotAModuleOrAScriptIsAUsageError) {
    TTempFolder folder;
    const std::filesystem::path dir = folder.Path();
    const std::string module = KVR_MODULE_PATH;
    const auto size = std::filesystem::file_size(module);
    std::ifstream whole(module, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(whole)), std::istreambuf_iterator<char>());
    std::ofstream(dir / "half.so", std::ios::binary) << bytes.substr(0, size / 2);
    std::ofstream(dir / "head.so", std::ios::binary) << bytes.substr(0, 64);
    std::ofstream(dir / "text.so") << "not a library\n";
    std::filesystem::create_directory(dir / "folder.so");
    std::ofstream(dir / "ok.kvs") << "wait\n";
    std::filesystem::create_directory(dir / "scripts");
    const struct {
        std::string Args;
        const char* Says;
    } cases[] = {
        {"half.so ok.kvs", "cut short"},
        {"head.so ok.kvs", "cut short"},
        {"text.so ok.kvs", "not a shared library"},
        {"folder.so ok.kvs", "not a regular file"},
        {"none.so ok.kvs", "No such file"},
        {module + " scripts", "cannot read the script scripts: not a regular file"},
        {module + " none.kvs", "cannot read the script none.kvs"},
        {"--rights -1 " + module + " ok.kvs", "from 0 to 255"},
        {"--rights 256 " + module + " ok.kvs", "from 0 to 255"},
        {"--parameter-file none.xml " + module + " ok.kvs", "cannot read the parameter file none.xml"},
        {"--parameter-file scripts " + module + " ok.kvs", "cannot read the parameter file scripts"},
    };
    for (const auto& c : cases) {
        const TRun run = RunKvrHost(c.Args, folder);
        EXPECT_EQ(run.Status, 2) << c.Args << "\n" << run.Output;
        EXPECT_NE(run.Output.find(c.Says), std::string::npos) << c.Args << "\n" << run.Output;
    }
}

TEST(KvrHost, AByteOrderMarkBeforeTheFirstCommandIsSkipped) {
    TTempFolder folder;
    std::ofstream(folder.Path() / "bom.kvs") << "\xEF\xBB\xBFshow\nexpect-visible frmKvrx58 yes\n";
    const TRun run = RunKvrHost("--quiet " + std::string(KVR_MODULE_PATH) + " bom.kvs", folder);
    EXPECT_EQ(run.Status, 0) << run.Output;
    EXPECT_EQ(run.Output.find("unknown"), std::string::npos) << run.Output;
}
#endif

} // namespace
