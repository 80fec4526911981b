// The ADB set-up at start-up and what shutdown leaves behind.
#include <gtest/gtest.h>
#include <signal.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include "support/core_rig.h"
#include "support/wait.h"

namespace qvpc {
namespace {

using namespace std::chrono_literals;

bool ProcessGone(pid_t pid) {
    return ::kill(pid, 0) != 0 && errno == ESRCH;
}

TEST(StartupE2eTest, TheSetUpWritesTheFilesAndStartsTheServerAndShutdownLeavesNothing) {
    test::CoreRig rig({});
    const std::string database = rig.paths.dataDir + "/qvhxconfig.mdb";
    ASSERT_FALSE(std::filesystem::exists(database));
    rig.start();

    EXPECT_TRUE(std::filesystem::exists(database));
    EXPECT_TRUE(rig.core.database().isOpen()) << "opened on the template just written";
    EXPECT_EQ(rig.core.database().CountRows("盒子机型", ""), 0);
    EXPECT_TRUE(std::filesystem::exists(rig.paths.dataDir + "/VizorerOVI.apk"));
    const pid_t shell = rig.core.shell().shellPid();
    ASSERT_GT(shell, 0);
    EXPECT_TRUE(test::WaitFor([&] { return test::Listening(rig.server.port()); }, 10s));
    EXPECT_TRUE(rig.screen.boxes().empty());

    rig.core.Shutdown();
    EXPECT_FALSE(rig.core.database().isOpen());
    EXPECT_TRUE(ProcessGone(shell));
    EXPECT_TRUE(test::WaitFor([&] { return !test::Listening(rig.server.port()); }, 10s));
}

TEST(StartupE2eTest, WithoutAnAdbClientTheProgramSaysSoAndCloses) {
    test::CoreRig rig({});
    const std::string emptyBin = rig.dir.path() + "/bin";
    std::filesystem::create_directories(emptyBin);
    const std::string path = std::getenv("PATH");
    ::setenv("PATH", emptyBin.c_str(), 1);
    rig.start();
    ::setenv("PATH", path.c_str(), 1);

    ASSERT_EQ(rig.screen.boxes().size(), 1u);
    EXPECT_EQ(rig.screen.boxes()[0].request.message,
              "非常抱歉,您的电脑上没有可以运行的adb程序,助手将不能运行,助手将自动关闭.");
    EXPECT_TRUE(rig.screen.mainWindowClosed());
    EXPECT_EQ(rig.core.shell().shellPid(), -1) << "no shell was started";
}

}  // namespace
}  // namespace qvpc
