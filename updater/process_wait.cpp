#include "updater/process_wait.h"

#include <poll.h>
#include <signal.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <thread>

#include "base/unique_fd.h"

namespace qvpc::updater {
namespace {

constexpr std::chrono::milliseconds kPollStep{100};

bool Gone(pid_t pid) {
    return ::kill(pid, 0) != 0 && errno == ESRCH;
}

}  // namespace

bool WaitForProcessEnd(pid_t pid, std::chrono::milliseconds limit) {
    if (pid <= 0) {
        return true;
    }
    // A process descriptor cannot come to name another process once its id
    // is reused.
    UniqueFd process(static_cast<int>(::syscall(SYS_pidfd_open, pid, 0)));
    if (process.valid()) {
        pollfd ready{.fd = process.get(), .events = POLLIN, .revents = 0};
        const auto deadline = std::chrono::steady_clock::now() + limit;
        for (;;) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            const int got =
                ::poll(&ready, 1, static_cast<int>(std::max<long long>(0, left.count())));
            if (got > 0) {
                return true;
            }
            if (got == 0 || errno != EINTR) {
                return false;
            }
        }
    }
    if (errno == ESRCH) {
        return true;
    }
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!Gone(pid)) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(kPollStep);
    }
    return true;
}

}  // namespace qvpc::updater
