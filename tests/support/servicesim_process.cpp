#include "support/servicesim_process.h"

#include <curl/curl.h>
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <stdexcept>

#include "support/wait.h"

namespace qvpc::test {
namespace {

constexpr const char* kServiceSim = QVPC_BUILD_DIR "/tools/servicesim/servicesim";
constexpr auto kStartTimeout = std::chrono::seconds(15);
constexpr auto kStopTimeout = std::chrono::seconds(5);

const char* ServiceKey(SimService service) {
    switch (service) {
        case SimService::Catalog:
            return "catalog";
        case SimService::Download:
            return "download";
        case SimService::Update:
            return "update";
        case SimService::Stats:
            return "stats";
        case SimService::Sql:
            return "sql";
        case SimService::Control:
            return "control";
        case SimService::Ftp:
            return "ftp";
    }
    return "";
}

std::string Escape(const std::string& text) {
    std::unique_ptr<char, decltype(&curl_free)> escaped(
        curl_easy_escape(nullptr, text.c_str(), static_cast<int>(text.size())), &curl_free);
    return escaped ? escaped.get() : "";
}

size_t AppendBody(char* data, size_t size, size_t count, void* target) {
    static_cast<std::string*>(target)->append(data, size * count);
    return size * count;
}

}  // namespace

ServiceSimProcess::ServiceSimProcess(const ServiceSimOptions& options) {
    std::string readyFile = m_dir.path() + "/ready.json";
    std::vector<std::string> args = {kServiceSim, "--ready-file", readyFile};
    for (const char* service :
         {"catalog", "download", "update", "stats", "sql", "control", "ftp"}) {
        args.push_back(std::string("--") + service + "-port");
        args.push_back("0");
    }
    for (const std::string& fault : options.faults) {
        args.insert(args.end(), {"--fault", fault});
    }
    if (options.updateVersion) {
        args.insert(args.end(), {"--update-version", *options.updateVersion});
    }
    if (options.updateUrl) {
        args.insert(args.end(), {"--update-url", *options.updateUrl});
    }
    if (options.updateForce) {
        args.push_back("--update-force");
    }
    if (options.updateNotes) {
        args.insert(args.end(), {"--update-notes", *options.updateNotes});
    }
    if (!options.dataDir.empty()) {
        args.insert(args.end(), {"--data", options.dataDir});
    }
    args.insert(args.end(), options.extraArgs.begin(), options.extraArgs.end());

    m_process = std::make_unique<ChildProcess>(args, logPath());
    bool ready = WaitFor(
        [&] { return std::filesystem::exists(readyFile) || !m_process->running(); }, kStartTimeout);
    if (!ready || !std::filesystem::exists(readyFile)) {
        stop();
        throw std::runtime_error("servicesim did not come up: " + ReadFile(logPath()));
    }
    m_info = nlohmann::json::parse(ReadFile(readyFile));
    m_dataDir =
        options.dataDir.empty() ? QVPC_BUILD_DIR "/tools/servicesim/catalog" : options.dataDir;
}

ServiceSimProcess::~ServiceSimProcess() {
    stop();
}

std::optional<int> ServiceSimProcess::stop() {
    std::optional<int> code = m_process->stop(SIGTERM, kStopTimeout);
    if (m_process->running()) {
        m_process->stop(SIGKILL, kStopTimeout);
    }
    return code;
}

int ServiceSimProcess::port(SimService service) const {
    return m_info.at("ports").at(ServiceKey(service)).get<int>();
}

std::string ServiceSimProcess::hostPort(SimService service) const {
    return m_info.at("host").get<std::string>() + ":" + std::to_string(port(service));
}

std::string ServiceSimProcess::baseUrl(SimService service) const {
    return (service == SimService::Ftp ? "ftp://" : "http://") + hostPort(service);
}

std::string ServiceSimProcess::sqlUrl() const {
    return baseUrl(SimService::Sql) + "/qvhx/sqlqvhx.php";
}

std::string ServiceSimProcess::logPath() const {
    return m_dir.path() + "/servicesim.log";
}

nlohmann::json ServiceSimProcess::control(const std::string& method,
                                          const std::string& pathAndQuery,
                                          const std::string& body) const {
    std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), &curl_easy_cleanup);
    std::string url = baseUrl(SimService::Control) + "/_sim/" + pathAndQuery;
    std::string reply;
    curl_easy_setopt(curl.get(), CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, AppendBody);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, &reply);
    curl_easy_setopt(curl.get(), CURLOPT_TIMEOUT, 10L);
    curl_easy_setopt(curl.get(), CURLOPT_NOSIGNAL, 1L);
    if (method == "POST") {
        curl_easy_setopt(curl.get(), CURLOPT_POSTFIELDS, body.c_str());
        curl_easy_setopt(curl.get(), CURLOPT_POSTFIELDSIZE, static_cast<long>(body.size()));
    }
    CURLcode rc = curl_easy_perform(curl.get());
    long status = 0;
    curl_easy_getinfo(curl.get(), CURLINFO_RESPONSE_CODE, &status);
    if (rc != CURLE_OK || status != 200) {
        throw std::runtime_error("servicesim control " + pathAndQuery +
                                 " failed: " + curl_easy_strerror(rc) + " " + reply);
    }
    return nlohmann::json::parse(reply);
}

void ServiceSimProcess::setFault(const std::string& endpoint, const std::string& spec) {
    control("POST", "faults?" + Escape(endpoint) + "=" + Escape(spec));
}

void ServiceSimProcess::clearFaults() {
    control("POST", "faults/clear");
}

std::vector<nlohmann::json> ServiceSimProcess::hits(const std::string& endpoint) const {
    nlohmann::json list =
        control("GET", endpoint.empty() ? "hits" : "hits?endpoint=" + Escape(endpoint));
    return {list.begin(), list.end()};
}

void ServiceSimProcess::clearHits() {
    control("POST", "hits/clear");
}

std::vector<nlohmann::json> ServiceSimProcess::sqlRows(const std::string& table) const {
    nlohmann::json rows = control("GET", "sql/rows?table=" + Escape(table));
    return {rows.begin(), rows.end()};
}

void ServiceSimProcess::execSql(const std::string& sql) {
    control("POST", "sql/exec", sql);
}

void ServiceSimProcess::expectSqlToken(std::optional<int> token) {
    control("POST", "sql/token?expect=" + (token ? std::to_string(*token) : std::string()));
}

std::vector<std::string> ServiceSimProcess::sqlMessageBytes() const {
    auto nibble = [](char c) { return c <= '9' ? c - '0' : c - 'a' + 10; };
    std::vector<std::string> messages;
    for (const nlohmann::json& hit : hits("sql")) {
        const std::string hex = hit.value("message_hex", "");
        std::string bytes;
        for (std::size_t at = 0; at + 1 < hex.size(); at += 2) {
            bytes.push_back(static_cast<char>(nibble(hex[at]) * 16 + nibble(hex[at + 1])));
        }
        messages.push_back(std::move(bytes));
    }
    return messages;
}

void ServiceSimProcess::setUpdate(const std::string& version, const std::optional<std::string>& url,
                                  bool force, const std::optional<std::string>& notes) {
    std::string query = "update?version=" + Escape(version) + "&force=" + (force ? "1" : "0");
    if (url) {
        query += "&url=" + Escape(*url);
    }
    if (notes) {
        query += "&notes=" + Escape(*notes);
    }
    control("POST", query);
}

}  // namespace qvpc::test
