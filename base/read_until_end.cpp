#include "base/read_until_end.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <vector>

namespace qvpc {
namespace {

using Clock = std::chrono::steady_clock;

// poll's timeout for what is left until the deadline, rounded up so that
// DeadlinePassed means it has passed: -1 (none) without a deadline, nullopt
// once it has passed.
std::optional<int> PollTimeout(const ReadOptions& options) {
    if (!options.deadline) {
        return -1;
    }
    const auto left = *options.deadline - Clock::now();
    if (left <= Clock::duration::zero()) {
        return std::nullopt;
    }
    const auto milliseconds = std::chrono::ceil<std::chrono::milliseconds>(left).count();
    return static_cast<int>(std::min<decltype(milliseconds)>(milliseconds, INT_MAX));
}

}  // namespace

ReadEnd ReadUntilEnd(int fd, const ReadOptions& options,
                     const std::function<void(std::string_view chunk)>& onChunk) {
    std::vector<char> buffer(std::max<std::size_t>(options.chunkSize, 1));
    // poll passes over an entry whose descriptor is negative: no wake
    // descriptor needs no case of its own.
    std::array<pollfd, 2> fds{{{fd, POLLIN, 0}, {options.wakeFd, POLLIN, 0}}};
    for (;;) {
        std::optional<int> timeout = PollTimeout(options);
        if (!timeout) {
            return ReadEnd::DeadlinePassed;
        }
        const int ready = ::poll(fds.data(), fds.size(), *timeout);
        if (ready < 0 && errno != EINTR) {
            return ReadEnd::Failed;
        }
        if (ready <= 0) {
            continue;
        }
        if (fds[1].revents != 0) {
            return ReadEnd::Woken;
        }
        const ssize_t n = ::read(fd, buffer.data(), buffer.size());
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) {
            continue;
        }
        if (n < 0) {
            return ReadEnd::Failed;
        }
        if (n == 0) {
            return ReadEnd::EndOfFile;
        }
        onChunk(std::string_view(buffer.data(), static_cast<std::size_t>(n)));
    }
}

ReadEnd ReadUntilEnd(int fd, const ReadOptions& options, std::string& text) {
    return ReadUntilEnd(fd, options, [&text](std::string_view chunk) { text.append(chunk); });
}

}  // namespace qvpc
