#include "standins/shared/serverconfig.h"

#include <cstdlib>
#include <filesystem>
#include <mutex>

#include "classlib/automation/sconnect.h"
#include "classlib/rtl/files.h"
#include "classlib/rtl/registry.h"

namespace {

struct TServerConfig {
    std::mutex Lock;
    std::string DatabasePath;
    std::string DataDir;
    std::string CatalogueDir;
    std::shared_ptr<const TCatalogue> Catalogue;
    std::string MessagesDir;
    std::shared_ptr<const TMessageFile> Messages;
    int StatementTimeLimitMs = TDbOptions().StatementTimeLimitMs;
    Int64 StepLimit = TDbOptions().ClientStepLimit;
};

TServerConfig& Config() {
    static TServerConfig* config = new TServerConfig; // outlives the server objects of static factories
    return *config;
}

std::string FolderOf(const std::string& file) {
    return std::filesystem::path(file).parent_path().string();
}

std::string EnvOr(const char* name, const std::string& fallback) {
    const char* value = std::getenv(name);
    return value && *value ? std::string(value) : fallback;
}

} // namespace

std::string ServerDatabasePath() {
    TServerConfig& c = Config();
    {
        std::lock_guard<std::mutex> lock(c.Lock);
        if (!c.DatabasePath.empty()) return c.DatabasePath;
    }
    return EnvOr("KVR_DATABASE", FolderOf(RegistryFileName()) + "/demo.db");
}

void SetServerDatabasePath(const std::string& path) {
    TServerConfig& c = Config();
    std::lock_guard<std::mutex> lock(c.Lock);
    c.DatabasePath = path;
}

std::string ServerDataDir() {
    TServerConfig& c = Config();
    {
        std::lock_guard<std::mutex> lock(c.Lock);
        if (!c.DataDir.empty()) return c.DataDir;
    }
    return EnvOr("KVR_DATA", FindDataDir());
}

void SetServerDataDir(const std::string& path) {
    TServerConfig& c = Config();
    std::lock_guard<std::mutex> lock(c.Lock);
    c.DataDir = path;
}

int ServerStatementTimeLimit() {
    TServerConfig& c = Config();
    std::lock_guard<std::mutex> lock(c.Lock);
    return c.StatementTimeLimitMs;
}

void SetServerStatementTimeLimit(int milliseconds) {
    TServerConfig& c = Config();
    std::lock_guard<std::mutex> lock(c.Lock);
    c.StatementTimeLimitMs = milliseconds;
}

Int64 ServerStepLimit() {
    TServerConfig& c = Config();
    std::lock_guard<std::mutex> lock(c.Lock);
    return c.StepLimit;
}

void SetServerStepLimit(Int64 steps) {
    TServerConfig& c = Config();
    std::lock_guard<std::mutex> lock(c.Lock);
    c.StepLimit = steps;
}

std::unique_ptr<TDbSession> OpenServerSession(unsigned codePage) {
    TDbOptions options;
    options.StatementTimeLimitMs = ServerStatementTimeLimit();
    options.ClientStepLimit = ServerStepLimit();
    options.Cancelled = ClientGone;
    options.Path = ServerDatabasePath();
    options.DataDir = ServerDataDir();
    options.CodePage = codePage;
    if (!FolderOf(options.Path).empty()) ForceDirectories(FolderOf(options.Path));
    return std::make_unique<TDbSession>(options);
}

std::shared_ptr<const TCatalogue> ServerCatalogue() {
    const std::string dir = ServerDataDir();
    TServerConfig& c = Config();
    std::lock_guard<std::mutex> lock(c.Lock);
    if (!c.Catalogue || c.CatalogueDir != dir) {
        auto catalogue = std::make_shared<TCatalogue>();
        catalogue->LoadFromFile(dir + "/catalogue");
        c.Catalogue = std::move(catalogue);
        c.CatalogueDir = dir;
    }
    return c.Catalogue;
}

std::shared_ptr<const TMessageFile> ServerMessages() {
    const std::string dir = ServerDataDir();
    TServerConfig& c = Config();
    std::lock_guard<std::mutex> lock(c.Lock);
    if (!c.Messages || c.MessagesDir != dir) {
        auto messages = std::make_shared<TMessageFile>();
        messages->LoadFromFile(dir + "/messages");
        c.Messages = std::move(messages);
        c.MessagesDir = dir;
    }
    return c.Messages;
}
