// kvrserver: serves the application server RAVEZ01A.Rarer1 and the lookup-window server
// F2WindowS.Class1 over TCP, one server object (and one database session) per client connection.
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "classlib/automation/sconnect.h"
#include "classlib/rtl/strutils.h"
#include "standins/appserver/f2windows.h"
#include "standins/appserver/rarer1.h"
#include "standins/appserver/serverconfig.h"

namespace {

const char* const Usage =
    "usage: kvrserver --db FILE [--port N] [--address A] [--data DIR]\n"
    "\n"
    "Serves RAVEZ01A.Rarer1 and F2WindowS.Class1 over TCP.\n"
    "  --db FILE      the database file; created from the data folder when missing\n"
    "  --port N       the port to listen on (default 211; 0 takes a free one)\n"
    "  --address A    the address to listen on (default 127.0.0.1, loopback only)\n"
    "  --data DIR     the folder of schema.sql, seed.sql, catalogue and messages\n"
    "  --help         this text\n"
    "Once listening it prints \"kvrserver: listening on ADDRESS:PORT\"; SIGINT or SIGTERM stop it.\n";

Variant MakeServer(const AnsiString& name) {
    if (SameText(Trim(name), "RAVEZ01A.Rarer1")) return Variant(new TRarer1);
    if (SameText(Trim(name), "F2WindowS.Class1")) return Variant(new TF2WindowS);
    throw EOleError("Invalid class string '" + name + "'");
}

bool ParsePort(const char* text, int& port) {
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (!end || *end || value < 0 || value > 65535) return false;
    port = static_cast<int>(value);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    std::string db, address = "127.0.0.1", data;
    int port = 211;
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
        } else if (arg == "--port") {
            if (!ParsePort(value("--port"), port)) {
                std::fprintf(stderr, "kvrserver: --port needs a number from 0 to 65535\n");
                return 2;
            }
        } else if (arg == "--address") {
            address = value("--address");
        } else if (arg == "--data") {
            data = value("--data");
        } else {
            std::fprintf(stderr, "kvrserver: unknown option %s\n%s", arg.c_str(), Usage);
            return 2;
        }
    }
    if (db.empty()) {
        std::fprintf(stderr, "kvrserver: --db FILE is required\n%s", Usage);
        return 2;
    }
    SetServerDatabasePath(db);
    if (!data.empty()) SetServerDataDir(data);

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
        TSocketDispatchServer server(MakeServer);
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
