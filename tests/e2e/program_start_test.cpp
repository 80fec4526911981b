// Starts the built program as a user would, with a fresh home folder.

#include <gtest/gtest.h>
#include <signal.h>

#include <cstdlib>
#include <filesystem>

#include "base/gbk.h"
#include "base/process.h"
#include "program_version.h"
#include "services/day_stamp.h"
#include "support/adb_server.h"
#include "support/child_process.h"
#include "support/servicesim_process.h"
#include "support/set_variable.h"
#include "support/temp_dir.h"
#include "support/wait.h"

namespace qvpc {
namespace {

const std::string kProgram = std::string(QVPC_BUILD_DIR) + "/qvpc";

// The program's shell works in its data folder; so does nothing else here.
int ProcessesWorkingIn(const std::string& dir) {
    int count = 0;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", ec)) {
        std::error_code linkError;
        auto cwd = std::filesystem::read_symlink(entry.path() / "cwd", linkError);
        count += !linkError && cwd == dir;
    }
    return count;
}

class ProgramStartTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::create_directories(m_runtimeDir);
        std::filesystem::permissions(m_runtimeDir, std::filesystem::perms::owner_all);
        ::setenv("HOME", m_home.path().c_str(), 1);
        ::setenv("XDG_RUNTIME_DIR", m_runtimeDir.c_str(), 1);
        ::unsetenv("XDG_DOCUMENTS_DIR");
        ::unsetenv("XDG_CONFIG_HOME");
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }

    std::string log() { return test::ReadFile(m_dataDir + "/log.txt"); }

    test::AdbServer m_adbServer;
    test::TempDir m_home;
    std::string m_runtimeDir = m_home.path() + "/run";
    std::string m_dataDir = m_home.path() + "/Documents/RiVod";
};

TEST_F(ProgramStartTest, FirstStartLaysOutItsFolderAndLogSecondStartOnlyDefers) {
    test::ChildProcess first({kProgram}, m_home.path() + "/first.out");
    const std::string versionRecord = Utf8ToGbk(std::string("程序版本号") + kProgramVersion);
    ASSERT_TRUE(test::WaitFor([&] {
        return log().find(Utf8ToGbk("初始化adb")) != std::string::npos;
    })) << test::ReadFile(m_home.path() + "/first.out");
    EXPECT_TRUE(std::filesystem::is_directory(m_dataDir + "/tmp"));

    // Newest first: the start record is the oldest, the version right above it.
    std::string content = log();
    const std::size_t start = content.rfind(Utf8ToGbk("程序启动"));
    std::size_t version = content.rfind(versionRecord);
    ASSERT_NE(start, std::string::npos);
    ASSERT_NE(version, std::string::npos);
    EXPECT_EQ(content.substr(start), Utf8ToGbk("程序启动") + "\r\n");
    EXPECT_EQ(content.find(std::string(48, '-'), version), content.rfind(std::string(48, '-')));

    auto second = RunProcess({kProgram}, std::chrono::seconds(10));
    ASSERT_TRUE(second);
    EXPECT_EQ(second->exitCode, 0);
    EXPECT_EQ(second->output, "");
    // Records only ever go in front: a second start that wrote anything would
    // have emptied the log first, so the earlier content would not be its tail.
    EXPECT_TRUE(log().ends_with(content)) << "the second start writes nothing";

    EXPECT_EQ(first.stop(SIGTERM, std::chrono::seconds(15)), 0);
    EXPECT_EQ(ProcessesWorkingIn(m_dataDir), 0) << "the program's shell outlived it";
}

TEST_F(ProgramStartTest, StartUpReportsTheUseAndChecksForAnUpdate) {
    test::ServiceSimProcess sim;  // offers the project's own version
    test::SetVariable update("QVPC_UPDATE_HOST", sim.hostPort(test::SimService::Update));
    test::SetVariable statistics("QVPC_STATISTICS_HOST", sim.hostPort(test::SimService::Stats));
    const std::string before = DayStampAt(std::time(nullptr));
    test::ChildProcess program({kProgram}, m_home.path() + "/program.out");
    EXPECT_TRUE(test::WaitFor([&] {
        return log().find(Utf8ToGbk("版本最新,不需要更新")) != std::string::npos &&
               sim.statisticsHits().size() == 1;
    })) << GbkToUtf8(log());
    const std::string after = DayStampAt(std::time(nullptr));
    EXPECT_EQ(program.stop(SIGTERM, std::chrono::seconds(15)), 0);

    const std::vector<nlohmann::json> hits = sim.statisticsHits();
    ASSERT_EQ(hits.size(), 1u);
    const std::string target = hits[0]["target"];
    const std::string first = "/index.php?m=&c=api&a=addpc&add=1&hot=1&mtime=";
    EXPECT_TRUE(target == first + before || target == first + after) << target;
    EXPECT_EQ(sim.hits("update").size(), 1u);
    EXPECT_TRUE(std::filesystem::exists(m_dataDir + "/qvpc.ini"));
}

}  // namespace
}  // namespace qvpc
