#include "support/boxsim_process.h"

#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <stdexcept>
#include <string_view>
#include <thread>

namespace qvpc::test {

namespace {

using nlohmann::json;

constexpr auto kStartTimeout = std::chrono::seconds(15);
constexpr auto kStopTimeout = std::chrono::seconds(5);

// One request on a fresh connection; nullopt when boxsim is not there.
std::optional<json> exchange(const std::string& socketPath, const json& request) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return std::nullopt;
    }
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, socketPath.c_str(), sizeof addr.sun_path - 1);
    timeval tv{10, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    std::optional<json> reply;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) {
        const std::string line = request.dump() + "\n";
        if (::send(fd, line.data(), line.size(), MSG_NOSIGNAL) ==
            static_cast<ssize_t>(line.size())) {
            std::string in;
            char buf[65536];
            ssize_t n;
            while (in.find('\n') == std::string::npos && (n = ::recv(fd, buf, sizeof buf, 0)) > 0) {
                in.append(buf, static_cast<size_t>(n));
            }
            if (in.find('\n') != std::string::npos) {
                reply = json::parse(in.substr(0, in.find('\n')));
            }
        }
    }
    ::close(fd);
    return reply;
}

std::string base64(std::string_view bytes) {
    static constexpr char kDigits[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (size_t i = 0; i < bytes.size(); i += 3) {
        const size_t n = std::min<size_t>(3, bytes.size() - i);
        uint32_t bits = 0;
        for (size_t k = 0; k < 3; ++k) {
            bits = bits << 8 | (k < n ? static_cast<unsigned char>(bytes[i + k]) : 0u);
        }
        for (size_t k = 0; k < 4; ++k) {
            out += k <= n ? kDigits[bits >> (18 - 6 * k) & 63] : '=';
        }
    }
    return out;
}

}  // namespace

std::string BoxsimPath() {
    return QVPC_BUILD_DIR "/tools/boxsim/boxsim";
}

std::string MkapkPath() {
    return QVPC_BUILD_DIR "/tools/boxsim/mkapk";
}

json BoxFaults::toJson() const {
    return {{"refuse", refuse},
            {"offline", offline},
            {"unauthorized", unauthorized},
            {"install_failure", installFailure},
            {"transfer_bytes_per_second", transferBytesPerSecond},
            {"drop_after_bytes", dropAfterBytes},
            {"screencap_fails", screencapFails},
            {"screencap_missing", screencapMissing},
            {"companion_delay_ms", companionDelayMs},
            {"silent", silent},
            {"linker_warning", linkerWarning}};
}

json BoxPackage::toJson() const {
    json j;
    if (!apkFile.empty()) {
        j = {{"apk", apkFile}, {"system", system}};
        j.update(extra);
        return j;
    }
    j = {{"package", packageName},
         {"version_code", versionCode},
         {"cert", cert},
         {"system", system}};
    if (!versionName.empty()) {
        j["version_name"] = versionName;
    }
    if (!label.empty()) {
        j["label"] = label;
    }
    j.update(extra);
    return j;
}

json BoxFile::toJson() const {
    if (oldScreenshot) {
        return {{"path", path}, {"old_screenshot", true}};
    }
    return {{"path", path}, {"base64", base64(content)}};
}

json BoxSpec::toJson() const {
    json j = {{"address", address},
              {"model", model},
              {"brand", brand},
              {"rooted", rooted},
              {"screen_width", screenWidth},
              {"screen_height", screenHeight},
              {"adb_listening", adbListening},
              {"companion_running", companionRunning},
              {"companion_not_ready_polls", companionNotReadyPolls},
              {"faults", faults.toJson()},
              {"packages", json::array()}};
    if (!mac.empty()) {
        j["mac"] = mac;
    }
    if (sdk) {
        j["sdk"] = sdk;
    }
    if (!release.empty()) {
        j["release"] = release;
    }
    if (freeStorage) {
        j["free_storage"] = freeStorage;
    }
    if (commandPort) {
        j["command_port"] = *commandPort;
    }
    if (!commandReply.empty()) {
        j["command_reply"] = commandReply;
    }
    for (const auto& p : packages) {
        j["packages"].push_back(p.toJson());
    }
    for (const auto& f : files) {
        j["files"].push_back(f.toJson());
    }
    if (companionVersion) {
        j["companion_version"] = *companionVersion;
    }
    for (const auto& [key, value] : extra.items()) {
        j[key] = value;
    }
    return j;
}

BoxsimProcess::BoxsimProcess(std::vector<BoxSpec> boxes, std::vector<std::string> launcher) {
    json list = json::array();
    for (const auto& b : boxes) {
        if (b.address.empty()) {
            throw std::invalid_argument("BoxSpec needs an address (FreeLoopbackAddress())");
        }
        list.push_back(b.toJson());
    }
    start(list, launcher);
}

BoxsimProcess::BoxsimProcess(const json& boxes, std::vector<std::string> launcher) {
    start(boxes, launcher);
}

void BoxsimProcess::start(const json& boxes, const std::vector<std::string>& launcher) {
    m_control = m_dir.path() + "/control.sock";
    json config = {{"control_socket", m_control}, {"boxes", boxes}};
    const std::string configPath = m_dir.path() + "/boxsim.json";
    WriteFile(configPath, config.dump(2));
    std::vector<std::string> argv = launcher;
    argv.insert(argv.end(), {BoxsimPath(), "--config", configPath});
    m_child = std::make_unique<ChildProcess>(argv, m_dir.path() + "/boxsim.log");
    const auto deadline = std::chrono::steady_clock::now() + kStartTimeout;
    while (std::chrono::steady_clock::now() < deadline) {
        if (!m_child->running()) {
            throw std::runtime_error("boxsim ended at start:\n" + output());
        }
        if (auto reply = exchange(m_control, {{"op", "boxes"}}); reply && (*reply)["ok"] == true) {
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    stop();
    throw std::runtime_error("boxsim did not come up:\n" + output());
}

BoxsimProcess::~BoxsimProcess() {
    stop();
}

void BoxsimProcess::stop() {
    if (m_child && m_child->running() && !m_child->stop(SIGTERM, kStopTimeout)) {
        m_child->stop(SIGKILL, kStopTimeout);
    }
}

std::string BoxsimProcess::output() const {
    return ReadFile(m_dir.path() + "/boxsim.log");
}

json BoxsimProcess::request(const json& request) const {
    auto reply = exchange(m_control, request);
    if (!reply) {
        throw std::runtime_error("boxsim's control socket does not answer");
    }
    if ((*reply)["ok"] != true) {
        throw std::runtime_error("boxsim: " + reply->value("error", std::string("error")));
    }
    return *reply;
}

json BoxsimProcess::packages(const std::string& address) const {
    return request({{"op", "packages"}, {"box", address}})["packages"];
}

std::optional<json> BoxsimProcess::package(const std::string& address,
                                           const std::string& packageName) const {
    for (const auto& p : packages(address)) {
        if (p["package"] == packageName) {
            return p;
        }
    }
    return std::nullopt;
}

std::vector<std::string> BoxsimProcess::received(const std::string& address,
                                                 const std::string& channel) const {
    std::vector<std::string> out;
    const json reply = request({{"op", "received"}, {"box", address}});
    for (const auto& r : reply["received"]) {
        if (channel.empty() || r["channel"] == channel) {
            out.push_back(r["text"].get<std::string>());
        }
    }
    return out;
}

void BoxsimProcess::clearReceived(const std::string& address) const {
    request({{"op", "clear_received"}, {"box", address}});
}

json BoxsimProcess::state(const std::string& address) const {
    return request({{"op", "state"}, {"box", address}})["state"];
}

bool BoxsimProcess::fileExists(const std::string& address, const std::string& path) const {
    return request({{"op", "file"}, {"box", address}, {"path", path}})["exists"].get<bool>();
}

void BoxsimProcess::setFaults(const std::string& address, const BoxFaults& faults) const {
    request({{"op", "set"}, {"box", address}, {"faults", faults.toJson()}});
}

void BoxsimProcess::setCompanionNotReadyPolls(const std::string& address, int polls) const {
    request({{"op", "set"}, {"box", address}, {"companion_not_ready_polls", polls}});
}

void BoxsimProcess::setCompanionReplies(const std::string& address, const json& replies) const {
    request({{"op", "set"}, {"box", address}, {"companion_replies", replies}});
}

json BoxsimProcess::httpRequests(const std::string& address) const {
    return request({{"op", "http_requests"}, {"box", address}})["requests"];
}

void BoxsimProcess::authorize(const std::string& address) const {
    request({{"op", "authorize"}, {"box", address}});
}

}  // namespace qvpc::test
