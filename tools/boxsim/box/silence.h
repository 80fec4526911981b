#pragma once

#include <atomic>
#include <mutex>

#include "simnet/socket.h"

namespace qvpc::boxsim {

// The silent fault as something poll() can wait on: a box switched off
// without closing its sockets. The eventfd is readable exactly while the box
// is silent, so a connection thread waits for its peer's bytes and for the
// silence at once, instead of waking up to look.
class Silence {
  public:
    // Throws std::runtime_error when no eventfd can be made.
    Silence();

    void set(bool silent);
    bool active() const { return m_active; }

    enum class Wait { Readable, TimedOut, Silenced };
    // Until fd has something to read (bytes, its end, an error), the timeout
    // in milliseconds passes (-1: none), or the box is silent.
    Wait waitReadable(int fd, int timeoutMs = -1) const;

    // A connection of a silent box: reads, sends and closes nothing, so the
    // peer's window fills and it hears nothing at all, until the peer hangs
    // up or boxsim shuts the socket down.
    static void hold(int fd);

  private:
    std::mutex m_mutex;  // orders set() calls
    simnet::Fd m_event;
    std::atomic<bool> m_active{false};
};

}  // namespace qvpc::boxsim
