#pragma once

#include <ctime>
#include <functional>
#include <string>

namespace qvpc {

class Log;

// What one start tells the statistics server: whether it is the first report
// from this computer, whether it is the day's first start, and the day.
struct UsageFields {
    std::string add;    // "1" for the first report, else "0"
    std::string hot;    // "1" for the day's first start, else "0"
    std::string mtime;  // the day stamp
};

// Once per start: decides the report from "qvpc.ini" in the data folder
// (section "首次", keys add, hot and mtime), writes the file back and sends
// the report. The server's answer changes nothing.
class UsageReport {
  public:
    using Clock = std::function<std::time_t()>;

    UsageReport(
        Log& log, std::string dataDir, std::string statisticsHost,
        Clock clock = [] { return std::time(nullptr); });

    void sendUsageReport();

    // The settings file: dataDir + "/qvpc.ini".
    std::string settingsPath() const { return m_dataDir + "/qvpc.ini"; }
    // The report's address for these fields.
    std::string reportUrl(const UsageFields& fields) const;

  private:
    // Reads and updates the settings file; the fields to report.
    UsageFields recordStart(const std::string& today);

    Log& m_log;
    std::string m_dataDir;
    std::string m_statisticsHost;
    Clock m_clock;
};

}  // namespace qvpc
