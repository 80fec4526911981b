#include "services/usage_report.h"

#include <charconv>
#include <limits>

#include "base/log.h"
#include "net/http_client.h"
#include "services/day_stamp.h"
#include "services/ini_file.h"

namespace qvpc {
namespace {

constexpr const char* kSection = "首次";
constexpr const char* kUrlTemplate = "/index.php?m=&c=api&a=addpc&add=@@&hot=##&mtime=$$";
constexpr int kRequestTimeoutSeconds = 3;

void ReplaceFirst(std::string& text, std::string_view placeholder, const std::string& value) {
    if (const std::size_t at = text.find(placeholder); at != std::string::npos) {
        text.replace(at, placeholder.size(), value);
    }
}

// The count of the day's starts plus one; what is not a count starts again.
std::string Incremented(const std::string& count) {
    long long value = 0;
    const auto [end, error] = std::from_chars(count.data(), count.data() + count.size(), value);
    if (error != std::errc() || end != count.data() + count.size() || value < 0 ||
        value == std::numeric_limits<long long>::max()) {
        value = 0;
    }
    return std::to_string(value + 1);
}

}  // namespace

UsageReport::UsageReport(Log& log, std::string dataDir, std::string statisticsHost, Clock clock)
    : m_log(log),
      m_dataDir(std::move(dataDir)),
      m_statisticsHost(std::move(statisticsHost)),
      m_clock(std::move(clock)) {}

std::string UsageReport::reportUrl(const UsageFields& fields) const {
    std::string url = "http://" + m_statisticsHost + kUrlTemplate;
    ReplaceFirst(url, "@@", fields.add);
    ReplaceFirst(url, "##", fields.hot);
    ReplaceFirst(url, "$$", fields.mtime);
    return url;
}

UsageFields UsageReport::recordStart(const std::string& today) {
    std::optional<IniFile> loaded = IniFile::Load(settingsPath());
    IniFile file = loaded.value_or(IniFile());
    UsageFields fields;
    if (!loaded || file.value(kSection, "add", "0") == "0") {
        file.setValue(kSection, "add", "1");
        file.setValue(kSection, "hot", "1");
        file.setValue(kSection, "mtime", today);
        fields = {"1", "1", today};
    } else if (const std::string mtime = file.value(kSection, "mtime", "0"); mtime == today) {
        file.setValue(kSection, "hot", Incremented(file.value(kSection, "hot", "0")));
        file.setValue(kSection, "mtime", mtime);
        fields = {"0", "0", mtime};
    } else {
        file.setValue(kSection, "hot", "1");
        file.setValue(kSection, "mtime", today);
        fields = {"0", "1", today};
    }
    // Only the local count is lost; the report goes all the same.
    if (!file.save(settingsPath())) {
        m_log.WriteLog(log_category::kMain, "写入qvpc.ini失败");
    }
    return fields;
}

void UsageReport::sendUsageReport() {
    const UsageFields fields = recordStart(DayStampAt(m_clock()));
    HttpRequest request;
    request.url = reportUrl(fields);
    request.timeoutSeconds = kRequestTimeoutSeconds;
    const HttpReply reply = HttpClient::request(request);
    if (!reply.status.starts_with('2')) {
        m_log.WriteLog(log_category::kMain, "使用统计发送失败:" + reply.status);
    }
}

}  // namespace qvpc
