#include "boxsim/net/companion_http.h"

#include <chrono>
#include <thread>

#include "simnet/socket.h"
#include "simnet/url_decode.h"

namespace qvpc::boxsim {

namespace {

constexpr size_t kMaxRequestHead = 16 * 1024;
constexpr int kRequestTimeoutMs = 10000;

// Waits for the peer's next bytes: false when the connection is to end
// without a word (timeout, or a box that fell silent and held it to its end).
bool awaitRequest(int fd, const Box& box, int timeoutMs = -1) {
    switch (box.silence().waitReadable(fd, timeoutMs)) {
        case Silence::Wait::Readable:
            return true;
        case Silence::Wait::Silenced:
            Silence::hold(fd);
            return false;
        case Silence::Wait::TimedOut:
            return false;
    }
    return false;
}

void reply(int fd, const Box& box, int status, const std::string& contentType,
           const std::string& body) {
    if (box.silence().active()) {
        Silence::hold(fd);  // the box fell silent while it worked on the request
        return;
    }
    const char* reason = status == 200 ? "OK" : status == 404 ? "Not Found" : "Bad Request";
    const std::string head =
        "HTTP/1.1 " + std::to_string(status) + " " + reason + "\r\nContent-Type: " + contentType +
        "\r\nContent-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n";
    simnet::SendAll(fd, head + body);
}

}  // namespace

void ServeCompanionHttp(int fd, const std::shared_ptr<Box>& box) {
    std::string head;
    char buf[2048];
    while (head.find("\r\n\r\n") == std::string::npos && head.find("\n\n") == std::string::npos) {
        if (!awaitRequest(fd, *box, kRequestTimeoutMs)) {
            return;
        }
        const long n = simnet::RecvSome(fd, buf, sizeof buf);
        if (n <= 0 || head.size() + static_cast<size_t>(n) > kMaxRequestHead) {
            return;
        }
        head.append(buf, static_cast<size_t>(n));
    }
    const std::string requestLine = head.substr(0, head.find_first_of("\r\n"));
    const size_t sp1 = requestLine.find(' ');
    const size_t sp2 = requestLine.find(' ', sp1 + 1);
    if (sp1 == std::string::npos || sp2 == std::string::npos) {
        reply(fd, *box, 400, "text/plain", "bad request");
        return;
    }
    const std::string method = requestLine.substr(0, sp1);
    const std::string target = requestLine.substr(sp1 + 1, sp2 - sp1 - 1);
    box->record("http", method + " " + target);

    if (const int delay = box->faults().companionDelayMs; delay > 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(delay));
    }
    const size_t question = target.find('?');
    const std::string path = target.substr(0, question);
    const std::string text = "text/plain; charset=UTF-8";

    if (path == "/" || path.empty()) {
        const std::string query = question == std::string::npos ? "" : target.substr(question + 1);
        std::string action;
        for (const auto& [name, value] : simnet::ParseFormText(query)) {
            if (name == "a") {
                action = value;  // the last one counts
            }
        }
        if (action == "getversion") {
            reply(fd, *box, 200, text, box->companionVersion().value_or(""));
        } else if (action == "getlist") {
            reply(fd, *box, 200, text, box->companionList());
        } else if (action == "gettype") {
            reply(fd, *box, 200, text, "tv");
        } else {
            reply(fd, *box, 404, text, "unknown request");
        }
        return;
    }
    const std::string decoded = simnet::PercentDecode(path, false);
    const std::string prefix = "/icons/";
    if (decoded.starts_with(prefix) && decoded.size() > prefix.size() + 4 &&
        decoded.ends_with(".png")) {
        const std::string package =
            decoded.substr(prefix.size(), decoded.size() - prefix.size() - 4);
        if (auto icon = box->packageIcon(package)) {
            reply(fd, *box, 200, "image/png", *icon);
            return;
        }
    }
    reply(fd, *box, 404, text, "not found");
}

void ServeCommandPort(int fd, const std::shared_ptr<Box>& box) {
    constexpr std::string_view kStartAdbd = "start adbd";
    std::string pending;
    char buf[2048];
    for (;;) {
        if (!awaitRequest(fd, *box)) {
            return;
        }
        const long n = simnet::RecvSome(fd, buf, sizeof buf);
        if (n <= 0) {
            return;
        }
        pending.append(buf, static_cast<size_t>(n));
        // Commands carry no terminator: answer once the bytes form a known
        // command or can no longer become one.
        while (!pending.empty()) {
            if (pending.size() < kStartAdbd.size() &&
                kStartAdbd.substr(0, pending.size()) == pending) {
                break;  // wait for the rest
            }
            const size_t take =
                pending.rfind(kStartAdbd, 0) == 0 ? kStartAdbd.size() : pending.size();
            if (box->silence().active()) {
                Silence::hold(fd);  // fell silent as the bytes came
                return;
            }
            const std::string command = pending.substr(0, take);
            pending.erase(0, take);
            box->record("command", command);
            const std::string answer = box->commandPortRequest(command);
            if (!answer.empty() && !simnet::SendAll(fd, answer)) {
                return;
            }
        }
    }
}

}  // namespace qvpc::boxsim
