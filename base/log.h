#pragma once

#include <ctime>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>

namespace qvpc {

// The log categories.
namespace log_category {
inline constexpr std::string_view kMain = "主进程";
inline constexpr std::string_view kOperation = "功能操作";
inline constexpr std::string_view kTask = "接口进度";
inline constexpr std::string_view kScan = "设备扫描";
inline constexpr std::string_view kDownload = "下载回调";
}  // namespace log_category

// The diagnostic log: a GBK text file with CR LF line ends whose newest record
// comes first. Each record is a separator line of 48 dashes and a line
// "[yyyy/MM/dd HH:mm:ss]    [category] text". Writers inside the process take
// turns, so no record is lost; failures are silent.
//
// Newest first means every record rewrites the file. The log keeps its
// content in memory (read once, at the first record that does not empty
// it), so a record costs one write of the file and a rename, never a read.
class Log {
  public:
    using Clock = std::function<std::time_t()>;

    explicit Log(
        std::string path, Clock clock = [] { return std::time(nullptr); });

    // clear empties the file first (the first record of every start).
    void WriteLog(std::string_view category, std::string_view text, bool clear = false);

    const std::string& path() const { return m_path; }

    // One record exactly as it is put into the file (GBK, CR LF).
    static std::string FormatRecord(std::time_t when, std::string_view category,
                                    std::string_view text);

  private:
    std::string m_path;
    Clock m_clock;
    std::mutex m_mutex;
    // The file's content, once known.
    std::string m_content;
    bool m_contentKnown = false;
};

}  // namespace qvpc
