#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "sim/endpoint.h"
#include "sim/fault.h"
#include "sim/update_reply.h"

namespace qvpc::servicesim {

// The default port of each service on loopback.
std::uint16_t DefaultPort(Service service);

// The command line of servicesim.
struct Options {
    std::string bind = "127.0.0.1";
    std::string host;  // the host written into URLs; empty: the bind address
    std::map<Service, std::uint16_t> ports;
    std::optional<std::uint16_t> sharedPort;  // --port: every service on one listener
    std::string dataDir;
    std::string sqlDb = ":memory:";
    std::optional<std::string> sqlSeed;  // default: DATA/remote_sql.json
    std::string recordPath;
    std::string readyFile;
    std::vector<std::pair<Endpoint, Fault>> faults;
    UpdateInfo update;
    bool updateUrlGiven = false;
    std::string remoteId = "tessiwop";
    std::optional<std::string> sqlToken;
    // --ftp-account USER:PASSWORD: the one FTP account let in; any account
    // without it.
    std::optional<std::pair<std::string, std::string>> ftpAccount;
    // --hostile: the "hostile" fault on every endpoint that carries names.
    bool hostile = false;
    bool help = false;

    // Parses argv; on a bad argument returns nothing and sets error.
    static std::optional<Options> Parse(int argc, char** argv, const std::string& defaultDataDir,
                                        const std::string& defaultVersion, std::string& error);

    // The HTTP listeners to open (FTP has its own): each a port and the
    // services it serves.
    // Services on the same non-zero port share one; with --port, all do.
    std::vector<std::pair<std::uint16_t, std::vector<Service>>> listeners() const;
};

const char* UsageText();

}  // namespace qvpc::servicesim
