#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>

#include "base/app_paths.h"
#include "base/gbk.h"
#include "base/log.h"
#include "deploy/carried_images.h"
#include "deploy/toolchain.h"
#include "support/temp_dir.h"

namespace qvpc {
namespace {

class DeployTest : public ::testing::Test {
  protected:
    std::string logText() const { return GbkToUtf8(test::ReadFile(m_log.path())); }

    test::TempDir m_dir;
    AppPaths m_paths = AppPaths::UnderDocuments(m_dir.path() + "/Documents");
    // Where the database and the companion app go: the data folder under the documents.
    std::string m_database = m_dir.path() + "/Documents/RiVod/qvhxconfig.mdb";
    std::string m_companion = m_dir.path() + "/Documents/RiVod/VizorerOVI.apk";
    Log m_log{m_dir.path() + "/log.txt"};
};

// A build with neither boxsim's mkapk nor QVPC_COMPANION_APK carries none.
#define SKIP_WITHOUT_COMPANION()                               \
    if (carried_images::CompanionApk().empty()) {              \
        GTEST_SKIP() << "this build carries no companion app"; \
    }

TEST_F(DeployTest, TheStandInCompanionIsCarried) {
    SKIP_WITHOUT_COMPANION();
    // The stand-in is an APK, a zip file.
    ASSERT_GT(carried_images::CompanionApk().size(), 4u);
    EXPECT_EQ(carried_images::CompanionApk()[0], 'P');
    EXPECT_EQ(carried_images::CompanionApk()[1], 'K');
}

TEST_F(DeployTest, AFirstRunGetsTheDatabaseTemplateWithTheLocalTables) {
    DeployToolchain(m_paths, m_log);
    ASSERT_TRUE(std::filesystem::exists(m_database));

    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(m_database.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    for (const char* sql :
         {"select count(1) from 盒子机型 where mac='00-11-22-33-44-55'",
          "select id, 应用编号, 应用地址, 更新时间, 应用名称, 应用图标, 应用版本, 应用大小, "
          "应用简介, 应用包名, 缩略图集 from 应用数据缓存",
          "select id, 应用名, 应用包名 from 应用名称对照表", "select * from 下载管理总表",
          "select id, ip, 操作记录, time, 关键字 from 基础配置"}) {
        sqlite3_stmt* statement = nullptr;
        EXPECT_EQ(sqlite3_prepare_v2(db, sql, -1, &statement, nullptr), SQLITE_OK)
            << sql << ": " << sqlite3_errmsg(db);
        sqlite3_finalize(statement);
    }
    sqlite3_close(db);
}

TEST_F(DeployTest, AnExistingDatabaseIsNeverReplaced) {
    std::filesystem::create_directories(m_paths.dataDir);
    test::WriteFile(m_database, "");
    DeployToolchain(m_paths, m_log);
    EXPECT_EQ(test::ReadFile(m_database), "");
}

TEST_F(DeployTest, TheCompanionIsWrittenWhenMissingOrOfAnotherSize) {
    SKIP_WITHOUT_COMPANION();
    const auto image = carried_images::CompanionApk();
    const std::string& path = m_companion;
    EXPECT_EQ(CompanionApkPath(m_paths.dataDir), path);

    DeployToolchain(m_paths, m_log);
    EXPECT_EQ(std::filesystem::file_size(path), image.size());
    EXPECT_NE(logText().find("写出VizorerOVI"), std::string::npos);

    // A file of the image's size counts as deployed, whatever it holds.
    test::WriteFile(path, std::string(image.size(), 'x'));
    test::WriteFile(m_log.path(), "");
    DeployToolchain(m_paths, m_log);
    EXPECT_EQ(test::ReadFile(path), std::string(image.size(), 'x'));
    EXPECT_EQ(logText(), "");

    test::WriteFile(path, "truncated");
    DeployToolchain(m_paths, m_log);
    EXPECT_EQ(test::ReadFile(path),
              std::string(reinterpret_cast<const char*>(image.data()), image.size()));
    EXPECT_NE(logText().find("写出VizorerOVI"), std::string::npos);
}

TEST_F(DeployTest, ACompanionThatCannotBeWrittenIsLoggedAsSuch) {
    SKIP_WITHOUT_COMPANION();
    // A folder where the file belongs: nothing can be written over it.
    std::filesystem::create_directories(m_companion + "/in the way");
    DeployToolchain(m_paths, m_log);
    EXPECT_NE(logText().find("写出VizorerOVI失败: " + m_companion), std::string::npos);
    EXPECT_EQ(logText().find("写出VizorerOVI\r\n"), std::string::npos);
}

}  // namespace
}  // namespace qvpc
