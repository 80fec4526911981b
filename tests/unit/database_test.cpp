// The local database on the template the program writes out.
#include "devices/database.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>
#include <vector>

#include "deploy/carried_images.h"
#include "support/temp_dir.h"

namespace qvpc {
namespace {

class DatabaseTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const auto image = carried_images::DatabaseTemplate();
        test::WriteFile(m_path, std::string(image.begin(), image.end()));
        ASSERT_TRUE(m_db.OpenAccess(m_path));
    }

    std::string machineOf(const std::string& mac) {
        std::optional<QueryResult> result = m_db.Query("select * from 盒子机型 where mac=?", {mac});
        if (!result || !result->First()) {
            return "(no row)";
        }
        return result->ReadText("机型");
    }

    test::TempDir m_dir;
    std::string m_path = m_dir.path() + "/qvhxconfig.mdb";
    Database m_db;
};

TEST_F(DatabaseTest, ValuesAreStoredAndFoundAsTheyAreWhateverTheyHold) {
    const std::string insert = "insert into 盒子机型 (`mac`,`机型`,`ip`) values (?,?,?)";
    const struct {
        std::string mac;
        std::string name;
    } rows[] = {
        {"00-1A-2B-3C-4D-5E", "小米盒子"},   {"00-1A-2B-3C-4D-5F", "O'Brien's box"},
        {"00-1A-2B-3C-4D-60", "a\\'b\\\\c"}, {"00-1A-2B-3C-4D-61", "x'); delete from 盒子机型; --"},
        {"' or '1'='1", "quote in the key"}, {"00-1A-2B-3C-4D-62", ""},
    };
    for (const auto& row : rows) {
        EXPECT_TRUE(m_db.Execute(insert, {row.mac, row.name, "192.168.1.5"})) << row.name;
    }
    for (const auto& row : rows) {
        EXPECT_EQ(machineOf(row.mac), row.name) << row.mac;
        EXPECT_EQ(m_db.CountRows("盒子机型", "where mac=?", {row.mac}), 1) << row.mac;
    }
    EXPECT_EQ(m_db.CountRows("盒子机型", ""), 6);

    EXPECT_TRUE(m_db.Execute("update 盒子机型 set 机型=?,ip=? where mac=?",
                             {"客厅'盒子", "10.0.0.9", "' or '1'='1"}));
    EXPECT_EQ(machineOf("' or '1'='1"), "客厅'盒子");
    EXPECT_EQ(machineOf("00-1A-2B-3C-4D-5E"), "小米盒子");
}

TEST_F(DatabaseTest, ReadTextFindsColumnsByTheirExactName) {
    ASSERT_TRUE(m_db.Execute("insert into 盒子机型 (mac,机型,ip) values (?,?,?)",
                             {"00-11-22-33-44-55", "天猫魔盒", "192.168.1.9"}));
    std::optional<QueryResult> result =
        m_db.Query("select * from 盒子机型 where mac=?", {"00-11-22-33-44-55"});
    ASSERT_TRUE(result);
    EXPECT_EQ(result->ReadText("机型"), "") << "before First";
    ASSERT_TRUE(result->First());
    EXPECT_EQ(result->ReadText("机型"), "天猫魔盒");
    EXPECT_EQ(result->ReadText("ip"), "192.168.1.9");
    EXPECT_EQ(result->ReadText("IP"), "");
    EXPECT_EQ(result->ReadText("机型 "), "");
    EXPECT_EQ(result->ReadText("brand"), "");

    std::optional<QueryResult> none =
        m_db.Query("select * from 盒子机型 where mac=?", {"AA-AA-AA-AA-AA-AA"});
    ASSERT_TRUE(none);
    EXPECT_FALSE(none->First());
    EXPECT_EQ(none->ReadText("机型"), "");
}

TEST_F(DatabaseTest, FailuresAreQuiet) {
    EXPECT_FALSE(m_db.Execute("insert into nowhere values (1)"));
    EXPECT_FALSE(m_db.Query("select * from nowhere"));
    EXPECT_EQ(m_db.CountRows("nowhere", ""), 0);
    // One statement per call: a second one is never run.
    EXPECT_FALSE(m_db.Execute("insert into 盒子机型 (mac) values ('A'); delete from 盒子机型"));
    EXPECT_EQ(m_db.CountRows("盒子机型", ""), 0);
    // Values and marks must match.
    EXPECT_FALSE(m_db.Execute("insert into 盒子机型 (mac,ip) values (?,?)", {"only one"}));
    EXPECT_EQ(m_db.CountRows("盒子机型", "where mac=?"), 0);

    EXPECT_TRUE(m_db.Close());
    EXPECT_FALSE(m_db.Close());
    EXPECT_FALSE(m_db.Execute("insert into 盒子机型 (mac) values (?)", {"A"}));
    EXPECT_FALSE(m_db.Query("select * from 盒子机型"));
    EXPECT_EQ(m_db.CountRows("盒子机型", ""), 0);
}

TEST_F(DatabaseTest, AMissingOrDamagedFileDoesNotOpen) {
    Database missing;
    const std::string nowhere = m_dir.path() + "/none.mdb";
    EXPECT_FALSE(missing.OpenAccess(nowhere));
    EXPECT_FALSE(std::filesystem::exists(nowhere)) << "no database is made up";
    EXPECT_FALSE(missing.isOpen());
    EXPECT_EQ(missing.CountRows("盒子机型", ""), 0);

    const std::string damaged = m_dir.path() + "/damaged.mdb";
    test::WriteFile(damaged, std::string(4096, 'x'));
    Database broken;
    EXPECT_FALSE(broken.OpenAccess(damaged));
    EXPECT_EQ(test::ReadFile(damaged), std::string(4096, 'x')) << "left as it was";
}

TEST_F(DatabaseTest, ThreadsShareTheConnection) {
    constexpr int kThreads = 8;
    constexpr int kRowsEach = 50;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([this, t] {
            for (int i = 0; i < kRowsEach; ++i) {
                const std::string mac = std::to_string(t) + "-" + std::to_string(i);
                m_db.Execute("insert into 盒子机型 (mac,机型,ip) values (?,?,?)",
                             {mac, "智能电视", "10.0.0.1"});
                m_db.CountRows("盒子机型", "where mac=?", {mac});
                m_db.Query("select * from 盒子机型 where mac=?", {mac});
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(m_db.CountRows("盒子机型", ""), kThreads * kRowsEach);
}

}  // namespace
}  // namespace qvpc
