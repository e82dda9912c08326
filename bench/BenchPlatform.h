#pragma once
// The platform of the document benchmarks, in a temporary folder for the run: a registry store whose
// client folder holds VeltraneC.ini, the demo database made once, and servers over TCP on a free
// loopback port in this process (the application server, the lookup-window server and the host's
// work centre, each a connection of its own), so that a run can point the client configuration at
// 127.0.0.1 (in process) or at localhost (over TCP).
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "classlib/automation/sconnect.h"
#include "classlib/rtl/files.h"
#include "classlib/rtl/registry.h"
#include "classlib/rtl/strutils.h"
#include "standins/appserver/f2windows.h"
#include "standins/appserver/rarer1.h"
#include "standins/shared/serverconfig.h"
#include "standins/workcenter/workcenter.h"

class TBenchPlatform {
public:
    TBenchPlatform() {
        FRoot = std::filesystem::temp_directory_path() / ("kvr-bench-" + std::to_string(getpid()));
        std::filesystem::create_directories(FRoot / "client");
        SetRegistryFileName((FRoot / "registry.ini").string());
        SetServerDatabasePath((FRoot / "demo.db").string());
        TRegistry registry;
        registry.SetRootKey(HKEY_LOCAL_MACHINE);
        registry.OpenKey("Software\\QVN\\Veltrane", true);
        registry.WriteString("ClientPath", IncludeTrailingBackslash(SystemPath((FRoot / "client").string())));
        OpenServerSession(); // the database, made once
        FServer = std::make_unique<TSocketDispatchServer>([](const AnsiString& name) -> Variant {
            if (SameText(name, "RAVEZ01A.Rarer1")) return Variant(new TRarer1);
            if (SameText(name, "F2WindowS.Class1")) return Variant(new TF2WindowS);
            return Variant(new TWorkCenterManager);
        });
        FServer->Open(0);
    }
    ~TBenchPlatform() {
        FServer->Close();
        SetServerDatabasePath("");
        SetRegistryFileName("");
        std::error_code ignored;
        std::filesystem::remove_all(FRoot, ignored);
    }

    // The client configuration names the servers in process (remote false) or over TCP.
    void UseServers(bool remote) {
        std::ofstream ini(FRoot / "client" / "VeltraneC.ini", std::ios::binary);
        ini << "[Server Information]\r\nComputerName=" << (remote ? "localhost" : "127.0.0.1")
            << "\r\nServerPort=" << FServer->Port() << "\r\n";
    }
    int Port() const { return FServer->Port(); }
    // The run's folder, and a return to its demo database after a run that named another.
    std::string Root() const { return FRoot.string(); }
    void UseDatabase() { SetServerDatabasePath((FRoot / "demo.db").string()); }

private:
    std::filesystem::path FRoot;
    std::unique_ptr<TSocketDispatchServer> FServer;
};
