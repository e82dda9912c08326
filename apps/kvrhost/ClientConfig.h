#pragma once
// The client configuration the module reads in this process. The platform's registry key names the
// client folder (ClientPath); its VeltraneC.ini gives the servers (a first server 127.0.0.1 runs the
// application server in process, any other is reached over TCP), the code pages and the grid-view
// folder, and the folder holds the logs and the GB/BIG5 mapping file.
//
// kvrhost never writes the machine's registry store. It chooses the client folder:
//   * --client-ini PATH: the folder of PATH, an existing file named VeltraneC.ini (the name the
//     platform looks for);
//   * otherwise the machine's configuration, when its store has the key with a ClientPath;
//   * otherwise the demo's: the data folder beside the executable (data/VeltraneC.ini, beside the
//     mapping file the build writes there).
// For the first and the last, the process gets a store of its own for the session: a copy of the
// machine's with ClientPath set (and no per-user profiles), removed at the end. The demo database
// stays where the machine's store puts it.
#include <string>

class THostClientConfig {
public:
    THostClientConfig() = default;
    ~THostClientConfig(); // the process returns to the machine's store
    THostClientConfig(const THostClientConfig&) = delete;
    THostClientConfig& operator=(const THostClientConfig&) = delete;

    // False with the reason in error; the process's configuration is then as it was.
    bool Prepare(const std::string& clientIni, std::string& error);

private:
    std::string FSessionDir;   // the temporary folder of the session's store
    std::string FMachineStore; // the store the process used before
};
