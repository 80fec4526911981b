#include "adb/progress_engine.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "adb/task_names.h"
#include "base/gbk.h"
#include "base/log.h"
#include "base/shared_state.h"
#include "support/fake_screen.h"
#include "support/fake_shell.h"
#include "support/temp_dir.h"
#include "support/wait.h"

namespace qvpc {
namespace {

using namespace std::chrono_literals;

// The owner of the tasks: notes what the engine hands over and ends the task
// as an owner does.
class RecordingOwner : public TaskOwner {
  public:
    explicit RecordingOwner(ProgressEngine& engine) : m_engine(engine) {}

    void InterpretResult(TimerId timer) override {
        {
            std::lock_guard lock(m_mutex);
            m_interpreted.push_back(m_engine.currentProgress());
        }
        m_engine.EndTask(timer);
    }
    void TaskLost(TimerId timer) override {
        ++m_lost;
        m_engine.EndTask(timer);
    }
    void TaskStopped() override { ++m_stopped; }

    std::vector<std::string> interpreted() const {
        std::lock_guard lock(m_mutex);
        return m_interpreted;
    }
    int lost() const { return m_lost; }
    int stopped() const { return m_stopped; }

  private:
    ProgressEngine& m_engine;
    mutable std::mutex m_mutex;
    std::vector<std::string> m_interpreted;
    std::atomic<int> m_lost{0};
    std::atomic<int> m_stopped{0};
};

class ProgressEngineTest : public ::testing::Test {
  protected:
    static ProgressEngine::Timings Timings() {
        ProgressEngine::Timings timings;
        timings.period = kPeriod;
        timings.connectLimit = 150ms;
        timings.stallLimit = 300ms;
        timings.verdictLimit = 600ms;
        timings.commandLimit = 150ms;
        timings.promptAfterStop = 200ms;
        return timings;
    }

    void TearDown() override { m_engine.shutDown(); }

    bool start(std::string_view progress, std::optional<std::string> subject = {},
               std::string extra = {}) {
        return m_engine.StartTask({.progressName = progress,
                                   .owner = &m_owner,
                                   .subject = std::move(subject),
                                   .extra = std::move(extra)});
    }

    // Lets the timer tick a few times.
    static void fewTicks() { std::this_thread::sleep_for(kPeriod * 8); }
    std::string logText() const { return GbkToUtf8(test::ReadFile(m_log.path())); }

    static constexpr std::chrono::milliseconds kPeriod{10};
    test::TempDir m_dir;
    test::FakeShell m_shell{m_dir.path() + "/RiVod"};
    test::FakeScreen m_screen;
    SharedState m_state;
    Log m_log{m_dir.path() + "/log.txt"};
    ProgressEngine m_engine{m_state, m_shell, m_screen, m_log, Timings()};
    RecordingOwner m_owner{m_engine};
};

TEST_F(ProgressEngineTest, AnEndedCommandIsInterpretedOnceAndEndsTheTask) {
    m_shell.resetOutput();
    ASSERT_TRUE(start(kProgressScreenshot));
    fewTicks();
    EXPECT_TRUE(m_owner.interpreted().empty()) << "the reset output is no prompt";
    EXPECT_EQ(m_engine.currentProgress(), "进度_截屏");

    m_shell.finishCommand("");
    ASSERT_TRUE(test::WaitFor([&] { return m_engine.currentProgress().empty(); }));
    fewTicks();
    EXPECT_EQ(m_owner.interpreted(), std::vector<std::string>{"进度_截屏"});
    EXPECT_EQ(m_shell.output(), "-");
}

TEST_F(ProgressEngineTest, ASecondTaskIsRefusedAndTheFirstAbandoned) {
    ASSERT_TRUE(start(kProgressScreenshot));
    EXPECT_FALSE(start(kProgressConnect));

    ASSERT_EQ(m_screen.boxes().size(), 1u);
    EXPECT_EQ(m_screen.boxes()[0].request.title, "任务冲突");
    EXPECT_EQ(m_screen.boxes()[0].request.message, "有任务正在进行,请稍后重试");
    EXPECT_EQ(m_engine.currentProgress(), "");
    EXPECT_NE(logText().find("接口进度，进度不为空，不能同时进行俩任务"), std::string::npos);

    // The abandoned task's timer is gone: a later prompt ends nothing.
    m_shell.finishCommand("");
    fewTicks();
    EXPECT_TRUE(m_owner.interpreted().empty());
}

TEST_F(ProgressEngineTest, ATaskStartedRightAfterAForcedStopRuns) {
    ASSERT_TRUE(start(kProgressConnect));
    m_shell.setRunningCommand(true);
    m_engine.ForceStop();
    EXPECT_GE(m_shell.endRunningCommandCalls(), 1);
    EXPECT_EQ(m_engine.currentProgress(), "");
    EXPECT_EQ(m_shell.output(), "-") << "the prompt of the ended command is gone";

    ASSERT_TRUE(start(kProgressInstall, "/x/a.apk"));
    fewTicks();
    EXPECT_EQ(m_engine.currentProgress(), "进度_安装应用");
    m_shell.finishCommand("Success");
    ASSERT_TRUE(test::WaitFor([&] { return !m_owner.interpreted().empty(); }));
    EXPECT_EQ(m_owner.interpreted(), std::vector<std::string>{"进度_安装应用"});
    EXPECT_NE(logText().find("需要设计中断操作"), std::string::npos);
}

TEST_F(ProgressEngineTest, AStalledTaskWaitsForAForcedStopThatDoesNotEndTheNextTask) {
    ASSERT_TRUE(start(kProgressInstall, "/x/a.apk"));
    m_shell.appendOutput("\r\nC:\\" + std::string(16, '?') + ">");
    ASSERT_TRUE(test::WaitFor([&] { return !m_screen.boxes().empty(); }));
    fewTicks();
    ASSERT_EQ(m_screen.boxes().size(), 1u) << "the timer stopped";
    EXPECT_EQ(m_screen.boxes()[0].request.title, "连接出错");
    EXPECT_EQ(m_screen.boxes()[0].request.message, "请重启助手,重新连接盒子");
    EXPECT_EQ(m_engine.currentProgress(), "进度_安装应用") << "the task stays set";

    m_engine.ForceStop();
    EXPECT_EQ(m_engine.currentProgress(), "");
    ASSERT_TRUE(start(kProgressScreenshot));
    fewTicks();
    EXPECT_EQ(m_engine.currentProgress(), "进度_截屏");
    m_shell.finishCommand("");
    ASSERT_TRUE(test::WaitFor([&] { return !m_owner.interpreted().empty(); }));
}

TEST_F(ProgressEngineTest, EveryTaskThatNeverEndsIsEndedAsLost) {
    m_state.setCurrentIp("192.168.1.5");
    // A box that stopped answering leaves a connection in the ADB server that
    // the next command would wait on; a connect that never ended made none.
    struct Case {
        std::string_view progress;
        const char* logged;  // the record of its end
        std::vector<std::string> commandsAfter;
    };
    const Case cases[] = {
        {kProgressConnect, "任务超时,结束命令: 进度_连接盒子", {}},
        {kProgressUninstall, "任务超时,结束命令: 进度_卸载应用", {"adb disconnect 192.168.1.5"}},
        {kProgressScreenshot, "任务超时,结束命令: 进度_截屏", {"adb disconnect 192.168.1.5"}},
        {kProgressInstall, "任务超时,结束命令: 进度_安装应用", {"adb disconnect 192.168.1.5"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.logged);
        const int before = m_owner.lost();
        const int ends = m_shell.endRunningCommandCalls();
        const std::size_t sent = m_shell.commands().size();
        m_shell.resetOutput();
        m_shell.setRunningCommand(true);
        ASSERT_TRUE(start(c.progress, "/x/a.apk"));
        ASSERT_TRUE(test::WaitFor([&] { return m_owner.lost() == before + 1; }));
        EXPECT_GT(m_shell.endRunningCommandCalls(), ends);
        EXPECT_EQ(m_engine.currentProgress(), "");
        EXPECT_NE(logText().find(c.logged), std::string::npos);
        const std::vector<std::string> commands = m_shell.commands();
        EXPECT_EQ(std::vector<std::string>(commands.begin() + sent, commands.end()),
                  c.commandsAfter);
    }
    EXPECT_TRUE(m_owner.interpreted().empty()) << "the prompt after the end is no result";
}

TEST_F(ProgressEngineTest, AnInstallMayRunAsLongAsItsTransferMovesThenWaitsForTheVerdict) {
    m_shell.resetOutput();
    m_shell.setRunningCommand(true);
    ASSERT_TRUE(start(kProgressInstall, "/x/a.apk"));
    // A transfer that keeps moving outlives the stall limit many times over.
    for (int percent = 1; percent <= 20; ++percent) {
        m_shell.appendOutput("\r[" + std::to_string(percent) + "%] /data/local/tmp/a.apk\x1b[K");
        std::this_thread::sleep_for(40ms);
    }
    EXPECT_EQ(m_engine.currentProgress(), "进度_安装应用");
    EXPECT_EQ(m_owner.lost(), 0);

    // Pushed: the box's verdict gets the longer limit, then the task is lost.
    const auto pushed = std::chrono::steady_clock::now();
    m_shell.appendOutput("\r/x/a.apk: 1 file pushed, 0 skipped. (100 bytes in 0.1s)\r\n");
    ASSERT_TRUE(test::WaitFor([&] { return m_owner.lost() == 1; }));
    EXPECT_GE(std::chrono::steady_clock::now() - pushed, 600ms);
}

TEST_F(ProgressEngineTest, ATaskWhoseShellIsGoneIsLostAtOnce) {
    m_shell.resetOutput();
    ASSERT_TRUE(start(kProgressInstall, "/x/a.apk"));
    m_shell.SendCommand("adb -s 192.168.1.5:5555 install -r \"/x/a.apk\"");
    m_shell.endShell();
    ASSERT_TRUE(test::WaitFor([&] { return m_owner.lost() == 1; }, 100ms));
    EXPECT_EQ(m_engine.currentProgress(), "");
    EXPECT_NE(logText().find("命令行意外结束,任务中断: 进度_安装应用"), std::string::npos);
}

TEST_F(ProgressEngineTest, AnInstallationShowsItsPercentage) {
    m_shell.resetOutput();
    ASSERT_TRUE(start(kProgressInstall, "/x/a.apk", "应用下载<2>"));
    EXPECT_EQ(m_screen.popupMode(), "安装");
    EXPECT_EQ(m_screen.popupText(), "正在安装... ...");
    EXPECT_EQ(m_engine.taskExtra(), "应用下载<2>");

    m_shell.appendOutput("a.apk:    45%");
    EXPECT_TRUE(test::WaitFor([&] { return m_screen.percentText() == "45%"; }));
    // adb's own progress records on a terminal.
    m_shell.appendOutput("\r[ 60%] /data/local/tmp/a.apk\x1b[K");
    EXPECT_TRUE(test::WaitFor([&] { return m_screen.percentText() == "60%"; }));
    m_shell.appendOutput("\r[100%] /data/local/tmp/a.apk\x1b[K");
    EXPECT_TRUE(test::WaitFor([&] { return m_screen.percentText() == "100%"; }));
    // Once at 100 the label stays there.
    m_shell.appendOutput("\r[ 37%] /data/local/tmp/a.apk\x1b[K");
    fewTicks();
    EXPECT_EQ(m_screen.percentText(), "100%");
}

TEST(InstallPercentInTest, ReadsAdbsLastProgressRecordElseTheSixCharactersBeforeTheSign) {
    const std::pair<const char*, int> cases[] = {
        {"", 0},
        {"no sign", 0},
        {"  45%", 45},
        {"x\r[ 45%] a.apk", 45},
        {"[  5%] a.apk\x1b[K\r[ 16%] a.apk\x1b[K", 16},
        {"\r[100%] a.apk\x1b[K\rSuccess 7%", 100},
        {"\r[ 16%] /data/local/tmp/a[ 99%].apk\x1b[K", 16},
        {"\r[ 60%", 0},
        {"7%", 7},
        {"12%    99%", 99},
        {"1234567%", 234567},
        {"  -5%", -5},
    };
    for (const auto& [output, value] : cases) {
        EXPECT_EQ(InstallPercentIn(output), value) << output;
    }
}

TEST_F(ProgressEngineTest, TheConflictPromptStopsTheRunningTaskOnlyWhenConfirmed) {
    EXPECT_FALSE(m_engine.CheckTaskConflict());
    EXPECT_TRUE(m_screen.boxes().empty());

    int stops = 0;
    m_engine.setForcedStopHook([&] { ++stops; });
    ASSERT_TRUE(start(kProgressScreenshot));
    m_screen.answerNextBoxes({1});
    EXPECT_TRUE(m_engine.CheckTaskConflict("安装应用,需要中断操作"));
    ASSERT_EQ(m_screen.boxes().size(), 1u);
    EXPECT_EQ(m_screen.boxes()[0].request.title, "任务冲突");
    EXPECT_EQ(m_screen.boxes()[0].request.message, "有任务正在进行:进度_截屏是否要强制停止?");
    EXPECT_EQ(m_screen.boxes()[0].request.buttonCount, 2);
    EXPECT_EQ(m_engine.currentProgress(), "进度_截屏");
    EXPECT_NE(logText().find("有任务正在进行: 进度_截屏"), std::string::npos);
    EXPECT_EQ(logText().find("安装应用,需要中断操作"), std::string::npos);

    m_screen.answerNextBoxes({0});
    EXPECT_TRUE(m_engine.CheckTaskConflict("安装应用,需要中断操作"));
    EXPECT_EQ(m_engine.currentProgress(), "");
    EXPECT_EQ(stops, 1);
    EXPECT_EQ(m_owner.stopped(), 1) << "the owner clears what the task left";
    const std::string log = logText();
    // Newest first: the record after the stop names no task.
    EXPECT_LT(log.find("有任务正在进行: \r\n"), log.find("需要设计中断操作"));
    EXPECT_LT(log.find("需要设计中断操作"), log.find("安装应用,需要中断操作"));
}

}  // namespace
}  // namespace qvpc
