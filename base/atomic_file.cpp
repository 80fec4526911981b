#include "base/atomic_file.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>

#include "base/unique_fd.h"

namespace qvpc {
namespace {

bool WriteAll(int fd, std::span<const unsigned char> bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        bytes = bytes.subspan(static_cast<std::size_t>(written));
    }
    return true;
}

}  // namespace

bool WriteFileReplacing(const std::string& path, std::span<const unsigned char> bytes,
                        mode_t mode) {
    const std::string partial = path + ".part";
    UniqueFd fd(::open(partial.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode));
    // The mode is given again: the creation mask may have taken bits away.
    const bool written = fd.valid() && ::fchmod(fd.get(), mode) == 0 && WriteAll(fd.get(), bytes) &&
                         ::fsync(fd.get()) == 0;
    fd.reset();
    if (!written || std::rename(partial.c_str(), path.c_str()) != 0) {
        std::remove(partial.c_str());
        return false;
    }
    return true;
}

}  // namespace qvpc
