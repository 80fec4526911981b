#include "apps/local_install.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "adb/task_names.h"
#include "app/app_actions.h"
#include "support/task_rig.h"

namespace qvpc {
namespace {

class LocalInstallTest : public ::testing::Test {
  protected:
    void SetUp() override { m_rig.state.setCurrentIp("192.168.1.5"); }

    std::string file(const std::string& name) {
        std::string path = m_rig.dir.path() + "/" + name;
        test::WriteFile(path, "PK");
        return path;
    }
    std::vector<std::string> installCommands() const {
        std::vector<std::string> found;
        for (const std::string& line : m_rig.shell.commands()) {
            if (line.find(" install ") != std::string::npos) {
                found.push_back(line);
            }
        }
        return found;
    }

    test::TaskRig m_rig;
};

TEST_F(LocalInstallTest, AnApkIsInstalledAsOneQuotedArgument) {
    const std::string path = file("my tv \"app\" $(x).apk");
    m_rig.installer.InstallApk(path, "应用下载<1>");
    EXPECT_EQ(installCommands(),
              std::vector<std::string>{"adb -s 192.168.1.5:5555 install -r \"" + m_rig.dir.path() +
                                       "/my tv \\\"app\\\" \\$(x).apk\""});
    EXPECT_EQ(m_rig.engine.currentProgress(), "进度_安装应用");
    EXPECT_EQ(m_rig.engine.taskExtra(), "应用下载<1>");
    EXPECT_EQ(m_rig.screen.popupMode(), "安装");
    EXPECT_EQ(m_rig.shell.output(), "=");
}

TEST_F(LocalInstallTest, EachCheckStopsTheInstallationInOrder) {
    std::filesystem::create_directories(m_rig.dir.path() + "/folder.apk");
    struct Case {
        const char* what;
        std::string path;
        std::string popupMode;
        std::string popupText;
        std::string boxTitle;
    };
    const Case cases[] = {
        {"missing", m_rig.dir.path() + "/none.apk", "", "", "应用路径错误"},
        {"upper case", file("app.APK"), "提示", "不是有效的apk文件", ""},
        {"backup", file("app.apk.bak"), "提示", "不是有效的apk文件", ""},
        {"dotted name", file("my.tv.app.apk"), "安装", "正在安装... ...", ""},
        {"a folder named like an APK", m_rig.dir.path() + "/folder.apk", "提示",
         "不是有效的apk文件", ""},
    };
    for (const Case& c : cases) {
        test::TaskRig rig;
        rig.state.setCurrentIp("192.168.1.5");
        rig.installer.InstallApk(c.path, "");
        EXPECT_EQ(rig.screen.popupMode(), c.popupMode) << c.what;
        if (!c.popupMode.empty()) {
            EXPECT_EQ(rig.screen.popupText(), c.popupText) << c.what;
        }
        if (c.boxTitle.empty()) {
            EXPECT_TRUE(rig.screen.boxes().empty()) << c.what;
        } else {
            ASSERT_EQ(rig.screen.boxes().size(), 1u) << c.what;
            EXPECT_EQ(rig.screen.boxes()[0].request.title, c.boxTitle) << c.what;
        }
        const bool sent = !rig.shell.commands().empty();
        EXPECT_EQ(sent, c.popupMode == "安装") << c.what;
    }
}

TEST_F(LocalInstallTest, ARunningScreenshotIsNotDisturbedUnlessTheUserSays) {
    ASSERT_TRUE(
        m_rig.engine.StartTask({.progressName = kProgressScreenshot, .owner = &m_rig.screenshot}));
    m_rig.screen.answerNextBoxes({1});
    m_rig.installer.InstallApk(file("a.apk"), "");
    EXPECT_EQ(m_rig.screen.boxes().at(0).request.title, "任务冲突");
    EXPECT_TRUE(m_rig.shell.commands().empty());
    EXPECT_EQ(m_rig.shell.attachChecks(), 0);
    EXPECT_EQ(m_rig.engine.currentProgress(), "进度_截屏");
    EXPECT_EQ(m_rig.logText().find("安装应用,需要中断操作"), std::string::npos);

    m_rig.screen.answerNextBoxes({0});
    m_rig.installer.InstallApk(file("a.apk"), "");
    EXPECT_EQ(m_rig.engine.currentProgress(), "");
    EXPECT_TRUE(installCommands().empty()) << "the user starts it again";
    EXPECT_NE(m_rig.logText().find("安装应用,需要中断操作"), std::string::npos);
}

TEST_F(LocalInstallTest, ALostBoxIsReportedAndTheSearchOffered) {
    m_rig.shell.setAttached(false);
    m_rig.screen.answerNextBoxes({0});
    m_rig.installer.InstallApk(file("a.apk"), "");
    ASSERT_EQ(m_rig.screen.boxes().size(), 1u);
    EXPECT_EQ(m_rig.screen.boxes()[0].request.title, "连接断开");
    EXPECT_EQ(m_rig.screen.boxes()[0].request.message,
              "您的电脑与盒子的连接断开\r\n请重新连接盒子");
    EXPECT_EQ(m_rig.lanScans(), 1);
    EXPECT_TRUE(installCommands().empty());
    EXPECT_EQ(m_rig.engine.currentProgress(), "");
}

TEST_F(LocalInstallTest, DropsAndTheBrowseDialogInstallOneFile) {
    m_rig.installer.onFilesDropped(file("a.apk") + "\r\n" + file("b.apk"));
    EXPECT_EQ(m_rig.screen.popupText(), "超过两个文件,请一个一个安装.");
    m_rig.installer.onFilesDropped("");
    EXPECT_TRUE(m_rig.shell.commands().empty());

    m_rig.screen.setFileToInstall("");
    m_rig.installer.onDropAreaClick();
    EXPECT_TRUE(m_rig.shell.commands().empty()) << "cancelled";

    m_rig.screen.setFileToInstall(file("c.apk") + "  ");
    m_rig.installer.onDropAreaClick();
    ASSERT_EQ(installCommands().size(), 1u);
    EXPECT_TRUE(installCommands()[0].ends_with("/c.apk\""));

    test::TaskRig dropped;
    dropped.state.setCurrentIp("192.168.1.5");
    dropped.installer.onFilesDropped(file("d.apk") + "\r\n");
    EXPECT_EQ(dropped.engine.currentProgress(), "进度_安装应用");
}

TEST_F(LocalInstallTest, TheRemoteInstallTileOpensThePageOnlyForAnAttachedBox) {
    AppActions actions(m_rig.parts, m_rig.shell, m_rig.screen,
                       [this] { m_rig.shell.SendCommand("# scan"); });
    actions.enterRemoteInstall();
    EXPECT_EQ(m_rig.screen.currentPage(), PageId::RemoteInstall);
    EXPECT_EQ(m_rig.shell.output(), "-");

    m_rig.screen.ShowPage(PageId::Home);
    m_rig.shell.setAttached(false);
    m_rig.screen.answerNextBoxes({0});
    actions.enterRemoteInstall();
    EXPECT_EQ(m_rig.screen.currentPage(), PageId::Home);
    EXPECT_EQ(m_rig.screen.boxes().at(0).request.title, "连接断开");
    EXPECT_EQ(m_rig.shell.commands().back(), "# scan");
}

TEST_F(LocalInstallTest, RetryConnectsAgainToTheCurrentBox) {
    AppActions actions(m_rig.parts, m_rig.shell, m_rig.screen, {});
    m_rig.state.setCurrentMac("00-11-22-33-44-55");
    actions.retryConnect();
    EXPECT_EQ(m_rig.shell.commands(), std::vector<std::string>{"adb connect 192.168.1.5"});
    EXPECT_EQ(m_rig.state.currentDevice().mac, "00-11-22-33-44-55");
}

}  // namespace
}  // namespace qvpc
