#include "devices/command_channel.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <cerrno>

#include "base/gbk.h"
#include "base/log.h"
#include "base/socket_watch.h"
#include "base/window_loop.h"

namespace qvpc {
namespace {

constexpr int kCommandPort = 8090;
constexpr std::string_view kStartAdbd = "start adbd";
constexpr std::chrono::milliseconds kStartAdbdReplyWait{500};
constexpr int kConnectPollMs = 10;

// Connects without blocking the event loop for longer than a poll at a time.
UniqueFd ConnectWithin(const sockaddr_in& peer, std::chrono::milliseconds limit, WindowLoop& loop) {
    UniqueFd socket(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!socket.valid()) {
        return {};
    }
    if (::connect(socket.get(), reinterpret_cast<const sockaddr*>(&peer), sizeof peer) == 0) {
        return socket;
    }
    if (errno != EINPROGRESS) {
        return {};
    }
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline && !loop.programClosing()) {
        pollfd watched{socket.get(), POLLOUT, 0};
        const int ready = ::poll(&watched, 1, kConnectPollMs);
        if (ready > 0) {
            int error = 0;
            socklen_t length = sizeof error;
            ::getsockopt(socket.get(), SOL_SOCKET, SO_ERROR, &error, &length);
            return error == 0 ? std::move(socket) : UniqueFd();
        }
        if (ready < 0 && errno != EINTR) {
            return {};
        }
        loop.processPendingEvents();
    }
    return {};
}

}  // namespace

CommandChannel::CommandChannel(SocketWatch& watch, WindowLoop& loop)
    : m_watch(watch), m_loop(loop) {}

CommandChannel::~CommandChannel() {
    CloseChannel();
}

bool CommandChannel::peerClosed() const {
    char byte;
    const ssize_t n = ::recv(m_socket.get(), &byte, 1, MSG_PEEK | MSG_DONTWAIT);
    return n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR);
}

bool CommandChannel::OpenChannel(const std::string& ip, int port,
                                 std::function<void(const std::string&)> onData,
                                 std::function<void()> onClosed) {
    if (isOpen()) {
        // Another box's channel would carry this box's command.
        if (ip == m_ip && port == m_port && !peerClosed()) {
            return true;
        }
        CloseChannel();
    }
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(static_cast<std::uint16_t>(port));
    if (port <= 0 || port > 65535 || ::inet_pton(AF_INET, ip.c_str(), &peer.sin_addr) != 1) {
        return false;
    }
    UniqueFd socket = ConnectWithin(peer, kConnectLimit, m_loop);
    if (!socket.valid()) {
        return false;
    }
    const int id = m_watch.watchSocket(socket.get(), [this] { onReadable(); });
    if (id == 0) {
        return false;
    }
    m_socket = std::move(socket);
    m_watchId = id;
    m_ip = ip;
    m_port = port;
    m_onData = std::move(onData);
    m_onClosed = std::move(onClosed);
    return true;
}

void CommandChannel::onReadable() {
    if (!isOpen()) {
        return;
    }
    if (peerClosed()) {
        std::function<void()> onClosed = m_onClosed;
        CloseChannel();
        if (onClosed) {
            onClosed();
        }
        return;
    }
    if (m_waiting) {
        m_waiting = false;  // the waiting command reads it, then resumes the watch
        return;
    }
    // Nobody asked: a handler gets it, or it goes, so that it is never taken
    // for the reply of a later command.
    char buffer[kReceiveBuffer];
    const ssize_t n = ::recv(m_socket.get(), buffer, sizeof buffer, MSG_DONTWAIT);
    m_watch.resumeSocketWatch(m_watchId);
    if (n > 0 && m_onData) {
        m_onData(GbkToUtf8(std::string_view(buffer, static_cast<std::size_t>(n))));
    }
}

std::string CommandChannel::SendChannelCommand(std::string_view bytes,
                                               std::chrono::milliseconds timeout) {
    if (!isOpen() || bytes.empty() ||
        ::send(m_socket.get(), bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT) < 1) {
        return {};
    }
    m_waiting = true;
    const auto start = std::chrono::steady_clock::now();
    for (;;) {
        if (std::chrono::steady_clock::now() - start > timeout || !isOpen() ||
            m_loop.programClosing()) {
            m_waiting = false;
            return {};
        }
        if (!m_waiting) {
            char buffer[kReceiveBuffer];
            const ssize_t n = ::recv(m_socket.get(), buffer, sizeof buffer, MSG_DONTWAIT);
            m_watch.resumeSocketWatch(m_watchId);
            if (n <= 0) {
                return {};
            }
            return GbkToUtf8(std::string_view(buffer, static_cast<std::size_t>(n)));
        }
        m_loop.runEventLoopFor(kReplyPoll);
    }
}

bool CommandChannel::CloseChannel() {
    if (!isOpen()) {
        return false;
    }
    m_watch.unwatchSocket(m_watchId);
    m_watchId = 0;
    m_socket.reset();
    m_ip.clear();
    m_port = 0;
    m_waiting = false;
    return true;
}

void AskBoxToStartAdbd(CommandChannel& channel, Log& log, const std::string& ip) {
    if (!channel.OpenChannel(ip, kCommandPort)) {
        log.WriteLog(log_category::kMain, "8090连接失败");
        return;
    }
    const std::string reply = channel.SendChannelCommand(kStartAdbd, kStartAdbdReplyWait);
    log.WriteLog(log_category::kMain, "发送命令返回:" + reply);
}

}  // namespace qvpc
