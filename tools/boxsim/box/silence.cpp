#include "boxsim/box/silence.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <stdexcept>

namespace qvpc::boxsim {

Silence::Silence() : m_event(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
    if (!m_event.valid()) {
        throw std::runtime_error("no eventfd for the silent fault");
    }
}

void Silence::set(bool silent) {
    std::lock_guard lock(m_mutex);
    if (silent == m_active) {
        return;
    }
    uint64_t value = 1;
    // Writing makes the counter non-zero (readable), reading resets it.
    [[maybe_unused]] const ssize_t n = silent ? ::write(m_event.get(), &value, sizeof value)
                                              : ::read(m_event.get(), &value, sizeof value);
    m_active = silent;
}

Silence::Wait Silence::waitReadable(int fd, int timeoutMs) const {
    pollfd fds[2] = {{fd, POLLIN, 0}, {m_event.get(), POLLIN, 0}};
    for (;;) {
        const int n = ::poll(fds, 2, timeoutMs);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n == 0) {
            return Wait::TimedOut;
        }
        // Silence wins over bytes that came with it: the box reads no more.
        return n > 0 && fds[1].revents ? Wait::Silenced : Wait::Readable;
    }
}

void Silence::hold(int fd) {
    // Only the peer's end or an error wakes this: POLLIN is not asked for,
    // so bytes that keep arriving do not.
    pollfd p{fd, POLLRDHUP, 0};
    while (::poll(&p, 1, -1) < 0 && errno == EINTR) {
    }
}

}  // namespace qvpc::boxsim
