// The update check against servicesim's update server, with an updater that
// only records how it was started.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "app/action_gate.h"
#include "app/app_actions.h"
#include "app/core_parts.h"
#include "base/log.h"
#include "services/md5_digest.h"
#include "services/update_check.h"
#include "support/child_process.h"
#include "support/fake_screen.h"
#include "support/fake_shell.h"
#include "support/log_records.h"
#include "support/servicesim_process.h"
#include "support/temp_dir.h"
#include "support/wait.h"

namespace qvpc {
namespace {

using test::ServiceSimOptions;
using test::ServiceSimProcess;
using test::SimService;
using Box = std::pair<std::string, std::string>;  // title, text

// Writes its command line and the process it is to wait for beside itself.
const std::string kRecordingUpdater =
    "#!/bin/sh\n"
    "printf '%s' \"$1\" > \"$(dirname \"$0\")/updater-args\"\n"
    "printf '%s' \"$QVPC_UPDATE_WAIT_PID\" > \"$(dirname \"$0\")/updater-wait-pid\"\n";

const std::string kDefaultNotes = "1. 修复了若干问题\r\n2. 提升了下载和安装速度";

// Our child has ended and is collected (now or before).
bool Reaped(pid_t pid) {
    const pid_t got = ::waitpid(pid, nullptr, WNOHANG);
    return got == pid || (got < 0 && errno == ECHILD);
}

std::span<const unsigned char> Bytes(const std::string& text) {
    return {reinterpret_cast<const unsigned char*>(text.data()), text.size()};
}

class UpdateCheckTest : public ::testing::Test {
  protected:
    void SetUp() override { std::filesystem::create_directories(m_dataDir); }
    void TearDown() override { endCheck(); }

    void startSim(ServiceSimOptions options) {
        m_sim = std::make_unique<ServiceSimProcess>(options);
    }

    // A check of its own, with a fresh screen and log.
    UpdateCheck& check(const std::string& currentVersion, std::string contact = "",
                       std::string progress = "") {
        endCheck();
        m_screen = std::make_unique<test::FakeScreen>();
        std::filesystem::remove(m_log.path());
        m_check = std::make_unique<UpdateCheck>(
            m_log, *m_screen, *m_screen, [progress] { return progress; }, m_dataDir,
            UpdateSettings{.programVersion = currentVersion,
                           .executablePath = "/opt/rivod/qvpc",
                           .updaterImage = Bytes(kRecordingUpdater),
                           .updateHost = m_sim->hostPort(SimService::Update),
                           .contactNumber = std::move(contact)});
        return *m_check;
    }

    // Waits for the check's threads and its updater, which is our child.
    void endCheck() {
        if (!m_check) {
            return;
        }
        m_check->shutDown();
        if (std::optional<pid_t> pid = m_check->updaterPid()) {
            test::WaitFor([&] { return Reaped(*pid); });
        }
        m_check.reset();
    }

    std::vector<Box> boxes() const {
        std::vector<Box> shown;
        for (const auto& box : m_screen->boxes()) {
            shown.emplace_back(box.request.title, box.request.message);
        }
        return shown;
    }

    std::vector<std::string> logTexts() const { return test::LogTexts(m_log.path()); }

    // What the recording updater was given, once it has ended.
    std::string updaterArgs() {
        const pid_t pid = m_check->updaterPid().value_or(-1);
        EXPECT_TRUE(test::WaitFor([&] { return Reaped(pid); }));
        return test::ReadFile(m_dataDir + "/updater-args");
    }

    test::TempDir m_dir;
    std::string m_dataDir = m_dir.path() + "/RiVod";
    std::string m_updater = m_dataDir + "/update_QVPC";
    Log m_log{m_dir.path() + "/log.txt"};
    std::unique_ptr<ServiceSimProcess> m_sim;
    std::unique_ptr<test::FakeScreen> m_screen;
    std::unique_ptr<UpdateCheck> m_check;
};

TEST_F(UpdateCheckTest, TheSameVersionIsToldOnlyWhenAskedFor) {
    startSim({.updateVersion = "1.4.2.20"});
    for (bool manual : {true, false}) {
        check("1.4.2.20").checkForUpdate(manual);
        const std::vector<Box> told = {{"未检测到更新", "您使用的是最新版"}};
        EXPECT_EQ(boxes(), manual ? told : std::vector<Box>{}) << manual;
        EXPECT_EQ(logTexts(), (std::vector<std::string>{"检查更新", "1.4.2.20", kDefaultNotes,
                                                        "版本最新,不需要更新"}));
    }
    EXPECT_FALSE(std::filesystem::exists(m_updater));
}

TEST_F(UpdateCheckTest, AnUnusableReplyIsANetworkErrorToTheUserAndItsReasonInTheLog) {
    struct Case {
        std::vector<std::string> faults;
        std::string version;
        std::string notes;
        std::string logged;
    };
    const Case cases[] = {
        // Notes holding "<br>" cut the reply to four items.
        {{}, "1.4.10.0", "a<br>b", "更新数据不完全全,项目少于5"},
        {{"update=malformed"}, "1.4.10.0", "n", "更新数据不完全全,项目少于5"},
        {{"update=empty"}, "1.4.10.0", "n", "没有取到更新信息"},
        {{"update=http:500"}, "1.4.10.0", "n", "没有取到更新信息"},
        {{}, "v1.4", "n", "更新版本号无法识别:v1.4"},
    };
    for (const Case& c : cases) {
        startSim({.faults = c.faults, .updateVersion = c.version, .updateNotes = c.notes});
        check("1.4.2.20").checkForUpdate(true);
        EXPECT_EQ(boxes(), (std::vector<Box>{{"获取更新失败", "网络错误,请检查外网是否联通"}}))
            << c.logged;
        EXPECT_EQ(logTexts(), (std::vector<std::string>{"检查更新", c.logged}));
    }
    // Found out at start-up, it is only logged.
    check("1.4.2.20").checkForUpdate(false);
    EXPECT_EQ(boxes(), std::vector<Box>{});
    EXPECT_EQ(logTexts(), (std::vector<std::string>{"检查更新", "更新版本号无法识别:v1.4"}));
}

TEST_F(UpdateCheckTest, ANewerVersionAfterConsentStartsTheUpdaterAndClosesTheWindow) {
    const std::string url = "http://127.0.0.1:9/down/update/qvpc_1.4.10.0";
    startSim({.updateVersion = "1.4.10.0",
              .updateUrl = url,
              .updateForce = true,
              .updateNotes = "1. a b\r\n2. c"});
    UpdateCheck& checker = check("1.4.9.99");
    m_screen->answerNextBoxes({0});
    checker.checkForUpdate(false);

    EXPECT_EQ(boxes(), (std::vector<Box>{{"检测到新版本:1.4.10.0", "是否要更新?"}}));
    ASSERT_TRUE(checker.updaterPid());
    EXPECT_EQ(updaterArgs(), " 启动窗口标题:1.4.10.0<#><#><#>/opt/rivod/qvpc<#>" + url +
                                 "<#>更新说明:|换行符|1.<?>a<?>b|换行符|2.<?>c<#>真");
    EXPECT_EQ(test::ReadFile(m_dataDir + "/updater-wait-pid"), std::to_string(::getpid()));
    EXPECT_EQ(FileMd5Hex(m_updater), Md5Hex(Bytes(kRecordingUpdater)));
    EXPECT_TRUE(m_screen->mainWindowClosed());
    EXPECT_EQ(logTexts(), (std::vector<std::string>{
                              "检查更新", "1.4.10.0", "1. a b\r\n2. c", "有新版本，请更新后再运行",
                              "强制更新", "更新地址有效,开始更新",
                              "已启动更新程序,进程号" + std::to_string(*checker.updaterPid())}));
}

// The address's Chinese and its space go percent-encoded, as a browser
// sends them.
TEST_F(UpdateCheckTest, AReplySavedAsUtf8ReadsTheSame) {
    startSim({.updateVersion = "1.4.10.0",
              .updateUrl = "http://127.0.0.1:9/下载/new 1",
              .updateNotes = "修复 下载",
              .extraArgs = {"--update-charset", "utf-8"}});
    UpdateCheck& checker = check("1.4.9.99");
    m_screen->answerNextBoxes({0});
    checker.checkForUpdate(true);
    EXPECT_EQ(boxes(), (std::vector<Box>{{"检测到新版本:1.4.10.0", "是否要更新?"}}));
    EXPECT_EQ(updaterArgs(),
              " 启动窗口标题:1.4.10.0<#><#><#>/opt/rivod/qvpc<#>"
              "http://127.0.0.1:9/%E4%B8%8B%E8%BD%BD/new%201<#>更新说明:|换行符|修复<?>下载<#>真");
    EXPECT_EQ(logTexts().at(2), "修复 下载");
}

TEST_F(UpdateCheckTest, DecliningOrKeepingARunningTaskLeavesEverythingAsItWas) {
    startSim({.updateVersion = "1.4.10.0", .updateUrl = "http://127.0.0.1:9/new"});
    struct Case {
        std::string progress;
        std::vector<int> answers;
        std::vector<Box> asked;
        bool updates;
    };
    const Box offer{"检测到新版本:1.4.10.0", "是否要更新?"};
    const Box task{"有任务正在进行", "是否关闭助手进行更新?"};
    const Case cases[] = {
        {"", {1}, {offer}, false},
        {"进度_安装应用", {0, 1}, {offer, task}, false},
        {"进度_安装应用", {0, 0}, {offer, task}, true},
    };
    for (const Case& c : cases) {
        UpdateCheck& checker = check("1.4.9.99", "", c.progress);
        m_screen->answerNextBoxes(c.answers);
        checker.checkForUpdate(true);
        EXPECT_EQ(boxes(), c.asked);
        EXPECT_EQ(checker.updaterPid().has_value(), c.updates) << c.answers.size();
        EXPECT_EQ(m_screen->mainWindowClosed(), c.updates);
        EXPECT_EQ(std::filesystem::exists(m_updater), c.updates);
    }
}

TEST_F(UpdateCheckTest, WithoutAnAddressTheUserIsToldAndTheProgramStays) {
    struct Case {
        std::string url;
        std::string contact;
        std::vector<std::string> logged;
    };
    const Case cases[] = {
        {"", "12345678", {"作者更新信息还没提交,联系我吧,QQ:12345678"}},
        {"", "", {"作者更新信息还没提交"}},
        {"ftp://127.0.0.1/new", "", {"更新地址无效:ftp://127.0.0.1/new", "作者更新信息还没提交"}},
    };
    for (const Case& c : cases) {
        startSim({.updateVersion = "1.4.10.0", .updateUrl = c.url});
        UpdateCheck& checker = check("1.4.9.99", c.contact);
        m_screen->answerNextBoxes({0});
        checker.checkForUpdate(false);
        EXPECT_EQ(boxes().back(), Box("更新信息获取失败", c.logged.back()));
        std::vector<std::string> logged = logTexts();
        logged.erase(logged.begin(), logged.end() - static_cast<long>(c.logged.size()));
        EXPECT_EQ(logged, c.logged);
        EXPECT_FALSE(m_screen->mainWindowClosed()) << c.url;
        EXPECT_FALSE(checker.updaterPid());
    }
}

TEST_F(UpdateCheckTest, AProgramNewerThanTheOfferIsNotYetReleased) {
    startSim({.updateVersion = "1.0.0.1", .updateUrl = "http://127.0.0.1:9/new"});
    UpdateCheck& checker = check("1.0.0.2");
    checker.checkForUpdate(true);
    EXPECT_EQ(boxes(), (std::vector<Box>{{"您的版本还没发布", "请到官网下载官方版本"}}));
    EXPECT_EQ(logTexts().back(), "您的版本还没发布");

    // Asked to update all the same, the user is asked first.
    m_screen->answerNextBoxes({1});
    EXPECT_FALSE(checker.runSelfUpdate());
    EXPECT_EQ(boxes().back(),
              Box("您的版本:1.0.0.2,还没有发布!", "最新版本:1.0.0.1\r\n是否更新到官方版本? "));
    EXPECT_FALSE(std::filesystem::exists(m_updater));
}

TEST_F(UpdateCheckTest, TwoQuickChecksRunOneTheSecondOnlyLogs) {
    startSim({.faults = {"update=slow:2000"}, .updateVersion = "1.4.2.20"});
    UpdateCheck& checker = check("1.4.2.20");
    checker.startCheck(true);
    ASSERT_TRUE(test::WaitFor([&] { return m_sim->hits("update").size() == 1; }));
    checker.checkForUpdate(true);
    checker.shutDown();

    EXPECT_EQ(m_sim->hits("update").size(), 1u);
    EXPECT_EQ(boxes(), (std::vector<Box>{{"未检测到更新", "您使用的是最新版"}}));
    EXPECT_EQ(logTexts(), (std::vector<std::string>{"检查更新", "检查更新", "更新中", "1.4.2.20",
                                                    kDefaultNotes, "版本最新,不需要更新"}));
}

TEST_F(UpdateCheckTest, TheUpdaterIsWrittenOnlyWhenItDiffersFromTheCarriedOne) {
    startSim({.updateVersion = "1.4.10.0", .updateUrl = "http://127.0.0.1:9/new"});
    for (const std::string& existing : {kRecordingUpdater, std::string("an older updater")}) {
        test::WriteFile(m_updater, existing);
        ::chmod(m_updater.c_str(), 0755);
        struct stat before {};
        ::stat(m_updater.c_str(), &before);
        UpdateCheck& checker = check("1.4.9.99");
        m_screen->answerNextBoxes({0});
        checker.checkForUpdate(false);
        EXPECT_FALSE(updaterArgs().empty());
        struct stat after {};
        ::stat(m_updater.c_str(), &after);
        EXPECT_EQ(after.st_ino == before.st_ino, existing == kRecordingUpdater) << existing;
        EXPECT_EQ(test::ReadFile(m_updater), kRecordingUpdater);
    }
}

TEST_F(UpdateCheckTest, AnUpdaterStillAtWorkIsNotStartedAgain) {
    startSim({.updateVersion = "1.4.10.0", .updateUrl = "http://127.0.0.1:9/new"});
    std::filesystem::copy_file("/bin/sleep", m_updater);
    test::ChildProcess running({m_updater, "30"}, m_dir.path() + "/sleep.out");
    const std::string exe = "/proc/" + std::to_string(running.pid()) + "/exe";
    ASSERT_TRUE(test::WaitFor([&] {
        std::error_code ec;
        return std::filesystem::read_symlink(exe, ec) == m_updater;
    }));
    UpdateCheck& checker = check("1.4.9.99");
    m_screen->answerNextBoxes({0});
    checker.checkForUpdate(false);
    EXPECT_EQ(boxes().back(), Box("更新失败", "更新程序已在运行,请稍候再试"));
    EXPECT_EQ(logTexts().back(), "进程已存在");
    EXPECT_FALSE(checker.updaterPid());
    EXPECT_FALSE(m_screen->mainWindowClosed());
}

TEST_F(UpdateCheckTest, AnUpdaterThatCannotBeWrittenIsToldAndTheProgramStays) {
    startSim({.updateVersion = "1.4.10.0", .updateUrl = "http://127.0.0.1:9/new"});
    std::filesystem::remove_all(m_dataDir);
    UpdateCheck& checker = check("1.4.9.99");
    m_screen->answerNextBoxes({0});
    checker.checkForUpdate(false);
    EXPECT_EQ(boxes().back(), Box("更新失败", "无法启动更新程序,请稍后再试"));
    EXPECT_EQ(logTexts().back(), "写出更新程序失败:" + m_updater);
    EXPECT_FALSE(checker.updaterPid());
    EXPECT_FALSE(m_screen->mainWindowClosed());
}

TEST_F(UpdateCheckTest, TheFootersLinkChecksOnAThreadOfItsOwn) {
    startSim({.updateVersion = "1.4.2.20"});
    test::FakeScreen screen;
    test::FakeShell shell;
    CoreParts parts({.shell = shell,
                     .screen = screen,
                     .log = m_log,
                     .dataDir = m_dataDir,
                     .update = {.programVersion = "1.4.2.20",
                                .updateHost = m_sim->hostPort(SimService::Update)}});
    AppActions actions(parts, shell, screen, {});
    ActionGate gate(actions);
    gate.checkForUpdate();
    ASSERT_TRUE(test::WaitFor([&] { return !screen.boxes().empty(); }));
    parts.update.shutDown();
    EXPECT_EQ(screen.boxes().at(0).request.title, "未检测到更新");
}

}  // namespace
}  // namespace qvpc
