#include "boxsim/net/control_server.h"

#include <openssl/sha.h>

#include "boxsim/net/simulator.h"
#include "simnet/socket.h"

namespace qvpc::boxsim {

namespace {

constexpr size_t kMaxRequest = 1u << 20;

using nlohmann::json;

std::string hex(const std::string& bytes) {
    static const char* digits = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

std::string sha256Hex(const std::string& data) {
    unsigned char digest[SHA256_DIGEST_LENGTH];
    SHA256(reinterpret_cast<const unsigned char*>(data.data()), data.size(), digest);
    return hex(std::string(reinterpret_cast<char*>(digest), sizeof digest));
}

json packageJson(const InstalledPackage& p) {
    return {{"package", p.apk.packageName},
            {"version_code", p.apk.versionCode},
            {"version_name", p.apk.versionName},
            {"label", p.apk.label},
            {"system", p.system},
            {"activities", p.apk.activities},
            {"apk_path", p.apkPath},
            {"apk_size", p.apkSize},
            {"has_icon", !p.apk.icon.empty()},
            {"cert_sha256", sha256Hex(p.apk.certificateDer)}};
}

json error(const std::string& message) {
    return {{"ok", false}, {"error", message}};
}

}  // namespace

json HandleControlRequest(const json& request, Simulator& simulator) {
    if (!request.is_object() || !request.contains("op") || !request["op"].is_string()) {
        return error("a request is an object with a string \"op\"");
    }
    const std::string op = request["op"];
    if (op == "boxes") {
        json boxes = json::array();
        for (const auto& b : simulator.boxes()) {
            boxes.push_back(b->state());
        }
        return {{"ok", true}, {"boxes", boxes}};
    }
    if (!request.contains("box") || !request["box"].is_string()) {
        return error("\"" + op + "\" needs \"box\": the box's address");
    }
    auto box = simulator.box(request["box"].get<std::string>());
    if (!box) {
        return error("no box at " + request["box"].get<std::string>());
    }
    if (op == "state") {
        return {{"ok", true}, {"state", box->state()}};
    }
    if (op == "packages") {
        json list = json::array();
        for (const auto& p : box->packages()) {
            list.push_back(packageJson(p));
        }
        return {{"ok", true}, {"packages", list}};
    }
    if (op == "received") {
        return {{"ok", true}, {"received", box->received()}};
    }
    if (op == "http_requests") {
        return {{"ok", true}, {"requests", box->httpRequests()}};
    }
    if (op == "clear_received") {
        box->clearReceived();
        return {{"ok", true}};
    }
    if (op == "file") {
        if (!request.contains("path") || !request["path"].is_string()) {
            return error("\"file\" needs \"path\"");
        }
        auto path = VirtualFiles::normalize(request["path"].get<std::string>());
        auto entry = path ? box->stat(*path) : std::nullopt;
        return {{"ok", true},
                {"exists", entry.has_value()},
                {"size", entry ? entry->size : 0},
                {"directory", entry && entry->mode == VirtualFiles::kDirMode}};
    }
    if (op == "authorize") {
        box->authorize();
        return {{"ok", true}, {"state", box->state()}};
    }
    if (op == "set") {
        try {
            if (request.contains("faults")) {
                BoxFaults faults = box->faults();
                ApplyFaults(request["faults"], faults);
                box->setFaults(faults);
            }
            if (request.contains("companion_not_ready_polls")) {
                box->setCompanionNotReadyPolls(request["companion_not_ready_polls"].get<int>());
            }
            if (request.contains("companion_replies")) {
                CompanionReplies replies = box->companionReplies();
                ApplyCompanionReplies(request["companion_replies"], replies);
                box->setCompanionReplies(replies);
            }
            if (request.contains("command_reply")) {
                box->setCommandReply(request["command_reply"].get<std::string>());
            }
        } catch (const std::exception& e) {
            return error(e.what());
        }
        return {{"ok", true}, {"state", box->state()}};
    }
    return error("unknown op \"" + op + "\"");
}

void ServeControl(int fd, Simulator& simulator) {
    std::string buffer;
    char chunk[4096];
    for (;;) {
        size_t newline;
        while ((newline = buffer.find('\n')) == std::string::npos) {
            const long n = simnet::RecvSome(fd, chunk, sizeof chunk);
            if (n <= 0 || buffer.size() > kMaxRequest) {
                return;
            }
            buffer.append(chunk, static_cast<size_t>(n));
        }
        const std::string line = buffer.substr(0, newline);
        buffer.erase(0, newline + 1);
        json reply;
        try {
            reply = HandleControlRequest(json::parse(line), simulator);
        } catch (const json::exception& e) {
            reply = error(std::string("bad JSON: ") + e.what());
        }
        if (!simnet::SendAll(fd,
                             reply.dump(-1, ' ', false, json::error_handler_t::replace) + "\n")) {
            return;
        }
    }
}

}  // namespace qvpc::boxsim
