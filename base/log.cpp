#include "base/log.h"

#include <fcntl.h>
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
    const std::string record = FormatRecord(m_clock(), category, text);
    std::lock_guard lock(m_mutex);
    if (clear) {
        m_content.clear();
        m_contentKnown = true;
    } else if (!m_contentKnown) {
        std::ifstream in(m_path, std::ios::binary);
        m_content.assign(std::istreambuf_iterator<char>(in), {});
        m_contentKnown = true;
    }
    // The new record goes in front; writing a sibling file and renaming it over
    // the log means a reader never sees a half-written file.
    const std::string temp = m_path + ".new";
    UniqueFd out(::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    std::array<iovec, 2> parts{
        {{const_cast<char*>(record.data()), record.size()}, {m_content.data(), m_content.size()}}};
    if (out.valid() && WriteAll(out.get(), parts) && ::close(out.release()) == 0) {
        ::rename(temp.c_str(), m_path.c_str());
    }
    // When the file could not be replaced it stays as it was; the record is
    // kept and goes with the next one.
    m_content.insert(0, record);
}

}  // namespace qvpc
