#include "apps/kvrhost/ClientConfig.h"

#include <stdlib.h>

#include <filesystem>
#include <system_error>

#include "classlib/rtl/files.h"
#include "classlib/rtl/registry.h"
#include "standins/shared/serverconfig.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* ClientIniName = "VeltraneC.ini";
// The platform's key, whose ClientPath names the client folder that the module's configuration reads.
constexpr const char* VeltraneRegistryKey = "Software\\QVN\\Veltrane";

bool MachineHasClientPath() {
    TRegistry registry;
    registry.SetRootKey(HKEY_LOCAL_MACHINE);
    return registry.OpenKeyReadOnly(VeltraneRegistryKey) && !registry.ReadString("ClientPath").empty();
}

// The folder of the client INI file the user named, '' with the reason in error.
std::string FolderOfClientIni(const std::string& clientIni, std::string& error) {
    std::error_code failure;
    const fs::path file = fs::absolute(clientIni, failure);
    if (failure || !fs::is_regular_file(file, failure)) {
        error = "--client-ini: " + clientIni + " is not a file";
        return std::string();
    }
    if (file.filename() != ClientIniName) {
        error = "--client-ini: " + clientIni + ": the client configuration must be named " + ClientIniName;
        return std::string();
    }
    return file.parent_path().lexically_normal().string();
}

std::string DemoClientFolder(std::string& error) {
    const std::string data = ServerDataDir();
    std::error_code failure;
    if (data.empty() || !fs::is_regular_file(fs::path(data) / ClientIniName, failure)) {
        error = std::string("the demo's client configuration data/") + ClientIniName +
                " was not found beside kvrhost; name one with --client-ini";
        return std::string();
    }
    return fs::absolute(data, failure).lexically_normal().string();
}

} // namespace

bool THostClientConfig::Prepare(const std::string& clientIni, std::string& error) {
    std::string folder;
    if (!clientIni.empty()) {
        folder = FolderOfClientIni(clientIni, error);
    } else if (MachineHasClientPath()) {
        return true;
    } else {
        folder = DemoClientFolder(error);
    }
    if (folder.empty()) return false;

    std::error_code failure;
    fs::path temp = fs::temp_directory_path(failure);
    if (failure) temp = "/tmp";
    std::string pattern = (temp / "kvrhost-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
        error = "cannot make a folder for the session's registry store in " + temp.string();
        return false;
    }
    const std::string machineStore = RegistryFileName();
    const fs::path sessionStore = fs::path(pattern) / "registry.ini";
    std::error_code missing;
    if (fs::is_regular_file(machineStore, missing) && !fs::copy_file(machineStore, sessionStore, failure)) {
        fs::remove_all(pattern, failure);
        error = "cannot copy the registry store " + machineStore;
        return false;
    }

    // The database's default follows the store's folder; it stays with the machine's store.
    SetServerDatabasePath(ServerDatabasePath());
    SetRegistryFileName(sessionStore.string());
    try {
        TRegistry registry;
        registry.SetRootKey(HKEY_LOCAL_MACHINE);
        if (!registry.OpenKey(VeltraneRegistryKey, true)) throw ERegistryException("cannot create the key");
        registry.WriteString("ClientPath", IncludeTrailingBackslash(SystemPath(folder)));
        registry.WriteString("ProfileType", "0");
    } catch (const Exception& e) {
        SetRegistryFileName(machineStore);
        SetServerDatabasePath(std::string());
        fs::remove_all(pattern, failure);
        error = "cannot write the session's registry store: " + e.Message();
        return false;
    }
    FSessionDir = pattern;
    FMachineStore = machineStore;
    return true;
}

THostClientConfig::~THostClientConfig() {
    if (FSessionDir.empty()) return;
    SetRegistryFileName(FMachineStore);
    SetServerDatabasePath(std::string());
    std::error_code failure;
    fs::remove_all(FSessionDir, failure);
}
