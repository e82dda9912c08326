// kvrserver: serves the application server RAVEZ01A.Rarer1, the lookup-window server F2WindowS.Class1
// and the transaction manager's server object TransManager.TxnManager over TCP, one server object (and
// one database session) per client connection.
#include <signal.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <string>

#include "classlib/automation/sconnect.h"
#include "classlib/rtl/strutils.h"
#include "standins/appserver/f2windows.h"
#include "standins/appserver/rarer1.h"
#include "standins/appserver/txnmanager.h"
#include "standins/shared/serverconfig.h"

namespace {

const char* const Usage =
    "usage: kvrserver --db FILE [options]\n"
    "\n"
    "Serves RAVEZ01A.Rarer1, F2WindowS.Class1 and TransManager.TxnManager over TCP.\n"
    "  --db FILE                 the database file; created from the data folder when missing\n"
    "  --port N                  the port to listen on (default 211; 0 takes a free one)\n"
    "  --address A               the address to listen on (default 127.0.0.1, loopback only); any\n"
    "                            other address needs --secret-file with users' secrets\n"
    "  --data DIR                the folder of schema.sql, seed.sql, catalogue and messages\n"
    "  --secret-file FILE        the connection secret, the first line of FILE: every client must\n"
    "                            prove it (the client INI's [Server Information] ConnectionSecret)\n"
    "                            (default none: loopback only). Each further line USER=SECRET gives\n"
    "                            a user's own secret: with any, every connection proves the user it\n"
    "                            speaks for (the client INI's [User Secrets] USER=SECRET); without,\n"
    "                            a connection speaks for the user it first names\n"
    "  --max-connections N       connections served at once; more are refused (default 256)\n"
    "  --max-per-address N       connections served at once from one address (default 64; 0 no limit)\n"
    "  --open-deadline MS        a connection that has not proved itself and opened its server object\n"
    "                            within MS milliseconds is closed (default 10000; 0 never)\n"
    "  --idle-timeout MS         a connection that sends nothing for MS milliseconds is closed\n"
    "                            (default 3600000, an hour; 0 never)\n"
    "  --frame-deadline MS       a frame must arrive whole within MS milliseconds of its first byte\n"
    "                            (default 60000; 0 no deadline)\n"
    "  --max-pending-mib N       MiB that frames being received may hold, across all connections\n"
    "                            (default 256; 0 no limit)\n"
    "  --statement-time-limit MS how long one database statement may run (default 10000; 0 no limit)\n"
    "  --step-limit N            steps a statement with a client's text may take (default 500000000)\n"
    "  --help                    this text\n"
    "Once listening it prints \"kvrserver: listening on ADDRESS:PORT\"; SIGINT or SIGTERM stop it.\n";

Variant MakeServer(const AnsiString& name) {
    if (SameText(Trim(name), "RAVEZ01A.Rarer1")) return Variant(new TRarer1);
    if (SameText(Trim(name), "F2WindowS.Class1")) return Variant(new TF2WindowS);
    if (SameText(Trim(name), "TransManager.TxnManager")) return Variant(new TTxnManager);
    throw EOleError("Invalid class string '" + name + "'");
}

bool ParseNumber(const char* text, long long high, long long& number) {
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(text, &end, 10);
    if (!*text || !end || *end || errno || value < 0 || value > high) return false;
    number = value;
    return true;
}

// The secret: the file's first line without the blanks around it; then the users' own secrets, a
// line USER=SECRET each (blank lines skipped). False with the reason when the file is no such list.
bool ReadSecrets(const std::string& path, AnsiString& secret, std::map<AnsiString, AnsiString>& users,
                 std::string& reason) {
    std::ifstream file(path);
    std::string line;
    if (!file || !std::getline(file, line) || Trim(line).empty()) {
        reason = "no secret in its first line";
        return false;
    }
    secret = Trim(line);
    for (int number = 2; std::getline(file, line); ++number) {
        if (Trim(line).empty()) continue;
        const size_t equals = line.find('=');
        const AnsiString user = equals == std::string::npos ? AnsiString() : Trim(line.substr(0, equals));
        const AnsiString userSecret =
            equals == std::string::npos ? AnsiString() : Trim(line.substr(equals + 1));
        if (user.empty() || userSecret.empty() || users.count(user)) {
            reason = "line " + std::to_string(number) + " is no USER=SECRET of a user named once";
            return false;
        }
        users[user] = userSecret;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    std::string db, address = "127.0.0.1", data, secretFile;
    int port = 211;
    TSocketServerLimits limits;
    Int64 stepLimit = ServerStepLimit();
    int statementTimeLimit = ServerStatementTimeLimit();
    struct TNumberOption {
        long long High;
        std::function<void(long long)> Set;
    };
    std::map<std::string, TNumberOption> numbers = {
        {"--port", {65535, [&](long long n) { port = static_cast<int>(n); }}},
        {"--max-connections", {1000000, [&](long long n) { limits.MaxConnections = static_cast<int>(n); }}},
        {"--max-per-address", {1000000, [&](long long n) { limits.MaxPerAddress = static_cast<int>(n); }}},
        {"--open-deadline", {INT_MAX, [&](long long n) { limits.OpenDeadlineMs = static_cast<int>(n); }}},
        {"--idle-timeout", {INT_MAX, [&](long long n) { limits.IdleTimeoutMs = static_cast<int>(n); }}},
        {"--frame-deadline", {INT_MAX, [&](long long n) { limits.FrameDeadlineMs = static_cast<int>(n); }}},
        {"--max-pending-mib",
         {1 << 20, [&](long long n) { limits.MaxPendingBytes = static_cast<std::size_t>(n) << 20; }}},
        {"--statement-time-limit", {INT_MAX, [&](long long n) { statementTimeLimit = static_cast<int>(n); }}},
        {"--step-limit", {LLONG_MAX, [&](long long n) { stepLimit = n; }}},
    };
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](const char* option) -> const char* {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "kvrserver: %s needs a value\n%s", option, Usage);
                std::exit(2);
            }
            return argv[++i];
        };
        if (arg == "--help" || arg == "-h") {
            std::fputs(Usage, stdout);
            return 0;
        } else if (arg == "--db") {
            db = value("--db");
        } else if (arg == "--address") {
            address = value("--address");
        } else if (arg == "--data") {
            data = value("--data");
        } else if (arg == "--secret-file") {
            secretFile = value("--secret-file");
        } else if (const auto found = numbers.find(arg); found != numbers.end()) {
            long long number = 0;
            if (!ParseNumber(value(arg.c_str()), found->second.High, number)) {
                std::fprintf(stderr, "kvrserver: %s needs a number from 0 to %lld\n", arg.c_str(),
                             found->second.High);
                return 2;
            }
            found->second.Set(number);
        } else {
            std::fprintf(stderr, "kvrserver: unknown option %s\n%s", arg.c_str(), Usage);
            return 2;
        }
    }
    if (db.empty()) {
        std::fprintf(stderr, "kvrserver: --db FILE is required\n%s", Usage);
        return 2;
    }
    std::string reason;
    if (!secretFile.empty() && !ReadSecrets(secretFile, limits.Secret, limits.UserSecrets, reason)) {
        std::fprintf(stderr, "kvrserver: --secret-file %s: %s\n", secretFile.c_str(), reason.c_str());
        return 2;
    }
    SetServerDatabasePath(db);
    if (!data.empty()) SetServerDataDir(data);
    SetServerStatementTimeLimit(statementTimeLimit);
    SetServerStepLimit(stepLimit);

    // The signals are taken by sigwait below; the connection threads inherit the mask.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    signal(SIGPIPE, SIG_IGN);

    try {
        // Create the database (or find it whole) before the first client comes.
        OpenServerSession();
        ServerCatalogue();
        ServerMessages();
        TSocketDispatchServer server(MakeServer, limits);
        server.Open(port, address);
        std::printf("kvrserver: listening on %s:%d\n", address.c_str(), server.Port());
        std::fflush(stdout);
        int received = 0;
        sigwait(&signals, &received);
        server.Close();
    } catch (const Exception& error) {
        std::fprintf(stderr, "kvrserver: %s\n", error.Message().c_str());
        return 1;
    }
    return 0;
}
