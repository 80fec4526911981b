#pragma once

#include <sys/types.h>

#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "support/child_process.h"
#include "support/temp_dir.h"

namespace qvpc::test {

// The listeners of servicesim, one per real host; Ftp serves the download
// files over FTP.
enum class SimService { Catalog, Download, Update, Stats, Sql, Control, Ftp };

struct ServiceSimOptions {
    // Faults in force from the start, each "ENDPOINT=SPEC" (see
    // tools/servicesim/README.md), e.g. "list=-1" or "apk=drop:4096".
    std::vector<std::string> faults;
    std::optional<std::string> updateVersion;  // default: the project version
    std::optional<std::string> updateUrl;      // default: servicesim's own update file
    bool updateForce = false;
    std::optional<std::string> updateNotes;
    std::string dataDir;  // default: the sample catalog of the build
    std::vector<std::string> extraArgs;
};

// Starts the built servicesim with every service on its own free loopback
// port, waits until it listens, and stops it (by its pid) when destroyed.
// Throws std::runtime_error when it does not come up.
class ServiceSimProcess {
  public:
    explicit ServiceSimProcess(const ServiceSimOptions& options = {});
    ~ServiceSimProcess();
    ServiceSimProcess(const ServiceSimProcess&) = delete;
    ServiceSimProcess& operator=(const ServiceSimProcess&) = delete;

    pid_t pid() const { return m_process->pid(); }
    int port(SimService service) const;
    // "127.0.0.1:PORT": what the program's host settings take.
    std::string hostPort(SimService service) const;
    // "http://127.0.0.1:PORT" ("ftp://…" for Ftp)
    std::string baseUrl(SimService service) const;
    // The remote SQL endpoint, ending "/sqlqvhx.php".
    std::string sqlUrl() const;
    // The catalog data folder it serves (apps.json, icons/, apks/).
    const std::string& dataDir() const { return m_dataDir; }
    // Where its standard output and error go.
    std::string logPath() const;

    // Faults per endpoint (list, lookup, search, apk, icon, file, update,
    // stats, sql); spec "none" clears one. Throws on a bad spec.
    void setFault(const std::string& endpoint, const std::string& spec);
    void clearFaults();

    // The requests received, oldest first, as recorded JSON objects with
    // "seq", "endpoint", "method", "target", "path", "query" (object),
    // "headers" ([name, value] pairs in order), "status", "fault", and for
    // the remote SQL endpoint "body", "sql" (token, kind, remote_id,
    // operands, message) and "reply". An empty endpoint gives all.
    std::vector<nlohmann::json> hits(const std::string& endpoint = "") const;
    std::vector<nlohmann::json> statisticsHits() const { return hits("stats"); }
    void clearHits();

    // The rows of app_mac or units, as JSON objects by column name.
    std::vector<nlohmann::json> sqlRows(const std::string& table) const;
    // Runs one UTF-8 statement on the remote database; throws on failure.
    void execSql(const std::string& sql);
    // The remote SQL service accepts only this token from now on; nothing
    // accepts any token a client can make.
    void expectSqlToken(std::optional<int> token);
    // The DATA field of every remote SQL request, percent-decoded but not
    // converted: the GBK bytes exactly as sent, oldest first.
    std::vector<std::string> sqlMessageBytes() const;

    // Changes the offer of /getupdate.php.
    void setUpdate(const std::string& version, const std::optional<std::string>& url = {},
                   bool force = false, const std::optional<std::string>& notes = {});

    // A control request (path under "/_sim/"), parsed as JSON; throws when
    // the status is not 200.
    nlohmann::json control(const std::string& method, const std::string& pathAndQuery,
                           const std::string& body = "") const;

    // Stops it now (SIGTERM, then SIGKILL after 5 s); the destructor does
    // too. Its exit code, or nothing when it had to be killed.
    std::optional<int> stop();

  private:
    TempDir m_dir;
    std::unique_ptr<ChildProcess> m_process;
    nlohmann::json m_info;
    std::string m_dataDir;
};

}  // namespace qvpc::test
