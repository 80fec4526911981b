// The usage report against servicesim's statistics server: what each start
// sends and what it keeps in qvpc.ini.

#include <gtest/gtest.h>

#include <filesystem>

#include "base/gbk.h"
#include "base/log.h"
#include "services/usage_report.h"
#include "support/log_records.h"
#include "support/servicesim_process.h"
#include "support/temp_dir.h"

namespace qvpc {
namespace {

using test::ServiceSimProcess;
using test::SimService;

// 2017-02-21 and 2017-02-22, at noon local time.
std::time_t Noon(int day) {
    std::tm local{.tm_sec = 0,
                  .tm_min = 0,
                  .tm_hour = 12,
                  .tm_mday = day,
                  .tm_mon = 1,
                  .tm_year = 117,
                  .tm_isdst = -1};
    return std::mktime(&local);
}

const std::string kFirstDay = "1487606400";
const std::string kNextDay = "1487692800";

class UsageReportTest : public ::testing::Test {
  protected:
    void SetUp() override { std::filesystem::create_directories(m_dataDir); }

    // One start on that day; the query it sent.
    std::string start(int day) {
        m_sim.clearHits();
        UsageReport(m_log, m_dataDir, m_sim.hostPort(SimService::Stats), [day] {
            return Noon(day);
        }).sendUsageReport();
        const std::vector<nlohmann::json> hits = m_sim.statisticsHits();
        EXPECT_EQ(hits.size(), 1u);
        if (hits.empty()) {
            return {};
        }
        EXPECT_EQ(hits[0]["status"], 200) << "every placeholder filled";
        return hits[0]["target"];
    }

    std::string settings() const { return GbkToUtf8(test::ReadFile(m_ini)); }

    ServiceSimProcess m_sim;
    test::TempDir m_dir;
    std::string m_dataDir = m_dir.path() + "/RiVod";
    std::string m_ini = m_dataDir + "/qvpc.ini";
    Log m_log{m_dir.path() + "/log.txt"};
};

const std::string kPath = "/index.php?m=&c=api&a=addpc";

TEST_F(UsageReportTest, FirstRunThenTheSameDayThenTheNextDay) {
    EXPECT_EQ(start(21), kPath + "&add=1&hot=1&mtime=" + kFirstDay);
    EXPECT_EQ(settings(), "[首次]\r\nadd=1\r\nhot=1\r\nmtime=" + kFirstDay + "\r\n");

    EXPECT_EQ(start(21), kPath + "&add=0&hot=0&mtime=" + kFirstDay);
    EXPECT_EQ(settings(), "[首次]\r\nadd=1\r\nhot=2\r\nmtime=" + kFirstDay + "\r\n");

    EXPECT_EQ(start(22), kPath + "&add=0&hot=1&mtime=" + kNextDay);
    EXPECT_EQ(settings(), "[首次]\r\nadd=1\r\nhot=1\r\nmtime=" + kNextDay + "\r\n");
}

TEST_F(UsageReportTest, AFileWhoseAddIsZeroOrMissingCountsAsTheFirstRun) {
    struct Case {
        std::string before;
        std::string after;
    };
    const Case cases[] = {
        {"[首次]\r\nadd=0\r\nhot=5\r\nmtime=" + kFirstDay + "\r\n",
         "[首次]\r\nadd=1\r\nhot=1\r\nmtime=" + kFirstDay + "\r\n"},
        {"[首次]\r\nhot=5\r\nmtime=1400000000\r\n",
         "[首次]\r\nhot=1\r\nmtime=" + kFirstDay + "\r\nadd=1\r\n"},
        {"", "[首次]\r\nadd=1\r\nhot=1\r\nmtime=" + kFirstDay + "\r\n"},
    };
    for (const Case& c : cases) {
        test::WriteFile(m_ini, Utf8ToGbk(c.before));
        EXPECT_EQ(start(21), kPath + "&add=1&hot=1&mtime=" + kFirstDay) << c.before;
        EXPECT_EQ(settings(), c.after);
    }
}

TEST_F(UsageReportTest, AFileThatCannotBeWrittenStillReports) {
    std::filesystem::create_directory(m_ini);
    EXPECT_EQ(start(21), kPath + "&add=1&hot=1&mtime=" + kFirstDay);
    EXPECT_TRUE(std::filesystem::is_directory(m_ini));
    EXPECT_EQ(test::LogTexts(m_log.path()), std::vector<std::string>{"写入qvpc.ini失败"});
}

}  // namespace
}  // namespace qvpc
