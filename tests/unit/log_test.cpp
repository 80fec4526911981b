#include "base/log.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>
#include <vector>

#include "base/gbk.h"
#include "support/temp_dir.h"

namespace qvpc {
namespace {

std::time_t At(int year, int month, int day, int hour, int minute, int second) {
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = second;
    local.tm_isdst = -1;
    return std::mktime(&local);
}

const std::string kSeparator = std::string(48, '-') + "\r\n";

TEST(LogTest, RecordIsGbkWithCrLfAndFourSpacesAfterTheStamp) {
    std::string record = Log::FormatRecord(At(2017, 2, 21, 9, 5, 3), "主进程", "程序启动");
    EXPECT_EQ(record, kSeparator + "[2017/02/21 09:05:03]    [" + Utf8ToGbk("主进程") + "] " +
                          Utf8ToGbk("程序启动") + "\r\n");
    // GBK: two bytes per Chinese character.
    EXPECT_EQ(Utf8ToGbk("主进程").size(), 6u);
    EXPECT_EQ(Log::FormatRecord(At(2017, 2, 21, 9, 5, 3), "主进程", ""),
              kSeparator + "[2017/02/21 09:05:03]    [" + Utf8ToGbk("主进程") + "] \r\n");
}

TEST(LogTest, NewestRecordComesFirstAndClearEmptiesTheFile) {
    test::TempDir dir;
    const std::string path = dir.path() + "/log.txt";
    test::WriteFile(path, "left over from the last run\r\n");
    std::time_t now = At(2026, 12, 10, 8, 0, 0);
    Log log(path, [&] { return now; });

    log.WriteLog("主进程", "程序启动", true);
    now += 1;
    log.WriteLog("功能操作", "multi\r\nline");

    EXPECT_EQ(GbkToUtf8(test::ReadFile(path)),
              kSeparator + "[2026/12/10 08:00:01]    [功能操作] multi\r\nline\r\n" + kSeparator +
                  "[2026/12/10 08:00:00]    [主进程] 程序启动\r\n");
}

TEST(LogTest, CreatesAMissingFileAndLosesNoRecordUnderConcurrentWriters) {
    test::TempDir dir;
    const std::string path = dir.path() + "/log.txt";
    Log log(path, [] { return std::time_t{0}; });
    constexpr int kThreads = 4, kRecords = 50;
    std::vector<std::thread> writers;
    for (int t = 0; t < kThreads; ++t) {
        writers.emplace_back([&log, t] {
            for (int i = 0; i < kRecords; ++i) {
                log.WriteLog("接口进度", std::to_string(t) + "/" + std::to_string(i));
            }
        });
    }
    for (auto& writer : writers) {
        writer.join();
    }
    std::string content = test::ReadFile(path);
    std::size_t separators = 0;
    for (std::size_t at = content.find(kSeparator); at != std::string::npos;
         at = content.find(kSeparator, at + 1)) {
        ++separators;
    }
    EXPECT_EQ(separators, static_cast<std::size_t>(kThreads * kRecords));
}

TEST(LogTest, ARecordThatCouldNotBeWrittenGoesWithTheNextOne) {
    test::TempDir dir;
    const std::string path = dir.path() + "/log.txt";
    Log log(path, [] { return std::time_t{0}; });
    log.WriteLog("主进程", "first", true);
    // A folder where the log's new copy is made: the file cannot be replaced.
    std::filesystem::create_directory(path + ".new");
    log.WriteLog("主进程", "second");
    EXPECT_EQ(GbkToUtf8(test::ReadFile(path)).find("second"), std::string::npos);
    std::filesystem::remove(path + ".new");
    log.WriteLog("主进程", "third");
    const std::string content = GbkToUtf8(test::ReadFile(path));
    EXPECT_LT(content.find("third"), content.find("second"));
    EXPECT_LT(content.find("second"), content.find("first"));
}

}  // namespace
}  // namespace qvpc
