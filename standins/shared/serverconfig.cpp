#include "standins/shared/serverconfig.h"

#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <vector>

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

namespace {

// The sessions given back, the oldest first.
struct TIdleSession {
    std::string Key; // what the session was opened with
    TFileStamp File; // the database file it has open
    std::unique_ptr<TDbSession> Session;
};
std::mutex gIdleLock;
std::vector<TIdleSession>& IdleSessions() {
    static auto* idle = new std::vector<TIdleSession>; // outlives the server objects of static factories
    return *idle;
}
constexpr size_t MaxIdleSessions = 4;

std::string SessionKey(const TDbOptions& options) {
    return options.Path + '\x1f' + options.DataDir + '\x1f' + std::to_string(options.StatementTimeLimitMs) +
           '\x1f' + std::to_string(options.ClientStepLimit);
}

bool SameFile(const TFileStamp& a, const TFileStamp& b) {
    return a.Exists && b.Exists && a.Device == b.Device && a.Inode == b.Inode;
}

} // namespace

void TServerSessionReturn::operator()(TDbSession* session) const {
    if (!session) return;
    std::unique_ptr<TDbSession> owned(session);
    TIdleSession idle{SessionKey(session->Options()), FileStamp(session->Path()), nullptr};
    if (!idle.File.Exists) return;
    idle.Session = std::move(owned);
    std::unique_ptr<TDbSession> oldest; // closed outside the lock
    std::lock_guard<std::mutex> lock(gIdleLock);
    std::vector<TIdleSession>& sessions = IdleSessions();
    if (sessions.size() >= MaxIdleSessions) {
        oldest = std::move(sessions.front().Session);
        sessions.erase(sessions.begin());
    }
    sessions.push_back(std::move(idle));
}

TServerSession OpenServerSession(unsigned codePage) {
    TDbOptions options;
    options.StatementTimeLimitMs = ServerStatementTimeLimit();
    options.ClientStepLimit = ServerStepLimit();
    options.Cancelled = ClientGone;
    options.Path = ServerDatabasePath();
    options.DataDir = ServerDataDir();
    options.CodePage = codePage;
    const std::string key = SessionKey(options);
    std::unique_ptr<TDbSession> reused;
    {
        std::lock_guard<std::mutex> lock(gIdleLock);
        std::vector<TIdleSession>& sessions = IdleSessions();
        for (size_t i = sessions.size(); i-- > 0;)
            if (sessions[i].Key == key) {
                reused = std::move(sessions[i].Session);
                const TFileStamp file = sessions[i].File;
                sessions.erase(sessions.begin() + static_cast<long>(i));
                if (!SameFile(file, FileStamp(options.Path))) reused.reset(); // the file was replaced
                break;
            }
    }
    if (reused) {
        reused->SetCodePage(codePage);
        return TServerSession(reused.release());
    }
    if (!FolderOf(options.Path).empty()) ForceDirectories(FolderOf(options.Path));
    return TServerSession(new TDbSession(options));
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
