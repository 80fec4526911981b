#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <string_view>

#include "base/unique_fd.h"

namespace qvpc {

class Log;
class SocketWatch;
class WindowLoop;

// The one TCP connection to a box's command port (8090). Everything runs on
// the user-interface thread: the open, the send, the reply wait (which keeps
// the event loop running) and the socket's events, which arrive through the
// loop: data for a waiting command is its reply, data nobody waits for goes
// to the data handler (or is dropped), and a closure by the box resets the
// channel, so the next open connects anew.
class CommandChannel {
  public:
    static constexpr std::chrono::milliseconds kConnectLimit{2000};
    static constexpr std::chrono::milliseconds kDefaultReplyWait{10000};
    static constexpr std::chrono::milliseconds kReplyPoll{10};
    static constexpr std::size_t kReceiveBuffer = 2048;

    CommandChannel(SocketWatch& watch, WindowLoop& loop);
    ~CommandChannel();
    CommandChannel(const CommandChannel&) = delete;
    CommandChannel& operator=(const CommandChannel&) = delete;

    // True when the channel is open to the address, as it was or anew: one
    // open to another address (or closed by its box) is closed first. The
    // connect waits at most kConnectLimit.
    bool OpenChannel(const std::string& ip, int port,
                     std::function<void(const std::string&)> onData = {},
                     std::function<void()> onClosed = {});
    // Sends the bytes in one go and waits for the reply (at most 2048 bytes,
    // read as GBK); empty on failure or when none came in time.
    std::string SendChannelCommand(std::string_view bytes,
                                   std::chrono::milliseconds timeout = kDefaultReplyWait);
    // False when no channel was open.
    bool CloseChannel();

    bool isOpen() const { return m_socket.valid(); }

  private:
    void onReadable();
    bool peerClosed() const;

    SocketWatch& m_watch;
    WindowLoop& m_loop;
    UniqueFd m_socket;
    int m_watchId = 0;
    std::string m_ip;
    int m_port = 0;
    std::function<void(const std::string&)> m_onData;
    std::function<void()> m_onClosed;
    bool m_waiting = false;
};

// The first step of a tile click for a box found on port 8090 only: ask it
// over its command port to start its ADB daemon, and log the answer.
void AskBoxToStartAdbd(CommandChannel& channel, Log& log, const std::string& ip);

}  // namespace qvpc
