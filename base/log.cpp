#include "base/log.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "base/gbk.h"
#include "base/unique_fd.h"

namespace qvpc {
namespace {

// Writes every byte of the parts, going on after a short write.
bool WriteAll(int fd, std::array<iovec, 2> parts) {
    std::size_t part = 0;
    while (part < parts.size()) {
        if (parts[part].iov_len == 0) {
            ++part;
            continue;
        }
        const ssize_t n = ::writev(fd, parts.data() + part, static_cast<int>(parts.size() - part));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        std::size_t written = static_cast<std::size_t>(n);
        while (part < parts.size() && written >= parts[part].iov_len) {
            written -= parts[part].iov_len;
            ++part;
        }
        if (part < parts.size()) {
            parts[part].iov_base = static_cast<char*>(parts[part].iov_base) + written;
            parts[part].iov_len -= written;
        }
    }
    return true;
}

}  // namespace

Log::Log(std::string path, Clock clock) : m_path(std::move(path)), m_clock(std::move(clock)) {}

std::string Log::FormatRecord(std::time_t when, std::string_view category, std::string_view text) {
    std::tm local{};
    localtime_r(&when, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y/%m/%d %H:%M:%S", &local);

    std::string record(48, '-');
    record += "\r\n[";
    record += stamp;
    record += "]   ";
    record += " [";
    record += Utf8ToGbk(category);
    record += "] ";
    record += Utf8ToGbk(text);
    record += "\r\n";
    return record;
}

void Log::WriteLog(std::string_view category, std::string_view text, bool clear) {
    std::string fresh = FormatRecord(m_clock(), category, text);
    std::lock_guard lock(m_mutex);
    struct stat now {};
    const bool exists = ::stat(m_path.c_str(), &now) == 0;
    if (clear) {
        m_fileContent.clear();
        m_unwritten.clear();
    } else if (!exists) {
        m_fileContent.clear();
    } else if (!m_fileKnown || now.st_ino != m_inode ||
               static_cast<std::size_t>(now.st_size) != m_fileContent.size()) {
        std::ifstream in(m_path, std::ios::binary);
        m_fileContent.assign(std::istreambuf_iterator<char>(in), {});
    }
    m_fileKnown = true;
    // The new record goes in front, with any that could not be written
    // before; writing a sibling file and renaming it over the log means a
    // reader never sees a half-written file.
    m_unwritten.insert(0, fresh);
    const std::string temp = m_path + ".new";
    UniqueFd out(::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    std::array<iovec, 2> parts{
        {{m_unwritten.data(), m_unwritten.size()}, {m_fileContent.data(), m_fileContent.size()}}};
    struct stat written {};
    if (out.valid() && WriteAll(out.get(), parts) && ::fstat(out.get(), &written) == 0 &&
        ::close(out.release()) == 0 && ::rename(temp.c_str(), m_path.c_str()) == 0) {
        m_inode = written.st_ino;
        m_fileContent.insert(0, m_unwritten);
        m_unwritten.clear();
    }
}

}  // namespace qvpc
