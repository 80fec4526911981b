#include "boxsim/net/companion_http.h"

#include <chrono>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

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

const char* reasonPhrase(int status) {
    switch (status) {
        case 200:
            return "OK";
        case 400:
            return "Bad Request";
        case 403:
            return "Forbidden";
        case 404:
            return "Not Found";
        case 500:
            return "Internal Server Error";
        case 503:
            return "Service Unavailable";
        default:
            return "Status";
    }
}

// announcedLength: the Content-Length, which a reply cut short exceeds.
void reply(int fd, const Box& box, int status, const std::string& contentType,
           const std::string& body, std::optional<size_t> announcedLength = std::nullopt) {
    if (box.silence().active()) {
        Silence::hold(fd);  // the box fell silent while it worked on the request
        return;
    }
    const std::string head = "HTTP/1.1 " + std::to_string(status) + " " + reasonPhrase(status) +
                             "\r\nContent-Type: " + contentType + "\r\nContent-Length: " +
                             std::to_string(announcedLength.value_or(body.size())) +
                             "\r\nConnection: close\r\n\r\n";
    simnet::SendAll(fd, head + body);
}

// The header lines after the request line, as sent: name before the first
// colon, value without the blanks around it.
std::vector<std::pair<std::string, std::string>> headerLines(const std::string& head) {
    std::vector<std::pair<std::string, std::string>> out;
    size_t at = head.find('\n');
    while (at != std::string::npos && at + 1 < head.size()) {
        const size_t end = head.find('\n', at + 1);
        std::string line = head.substr(at + 1, end == std::string::npos ? end : end - at - 1);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.empty()) {
            break;
        }
        const size_t colon = line.find(':');
        std::string value = colon == std::string::npos ? "" : line.substr(colon + 1);
        value.erase(0, value.find_first_not_of(" \t"));
        value.erase(value.find_last_not_of(" \t") + 1);
        out.emplace_back(line.substr(0, colon), std::move(value));
        at = end;
    }
    return out;
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
    box->recordHttpRequest({method, target, requestLine.substr(sp2 + 1), headerLines(head)});

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
            const Box::ListReply list = box->companionList();
            reply(fd, *box, list.status, text, list.body, list.announcedLength);
        } else if (action == "gettype") {
            reply(fd, *box, 200, text, "tv");
        } else {
            reply(fd, *box, 404, text, "unknown request");
        }
        return;
    }
    // The icon's name as the list gave it, or its stem + ".png" as the
    // program asks for it, raw or percent-encoded.
    const std::string decoded = simnet::PercentDecode(path, false);
    const std::string prefix = "/icons/";
    if (decoded.starts_with(prefix) && decoded.size() > prefix.size()) {
        if (auto icon = box->companionIcon(decoded.substr(prefix.size()))) {
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
