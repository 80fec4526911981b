#include "base/log.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "base/gbk.h"

namespace qvpc {

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
    std::lock_guard lock(m_mutex);
    std::string old;
    if (!clear) {
        std::ifstream in(m_path, std::ios::binary);
        old.assign(std::istreambuf_iterator<char>(in), {});
    }
    // The new record goes in front; writing a sibling file and renaming it over
    // the log means a reader never sees a half-written file.
    const std::string temp = m_path + ".new";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) {
            return;
        }
        out << FormatRecord(m_clock(), category, text) << old;
        if (!out.flush()) {
            return;
        }
    }
    std::error_code ec;
    std::filesystem::rename(temp, m_path, ec);
}

}  // namespace qvpc
