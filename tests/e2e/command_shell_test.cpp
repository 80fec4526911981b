#include "adb/command_shell.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <thread>

#include "adb/adb_commands.h"
#include "base/gbk.h"
#include "base/log.h"
#include "support/child_process.h"
#include "support/fake_screen.h"
#include "support/set_variable.h"
#include "support/signal_state.h"
#include "support/temp_dir.h"
#include "support/wait.h"

namespace qvpc {
namespace {

// A stand-in for adb on PATH: it notes each call's arguments, one bracketed
// argument after another, and answers "devices" from a file.
constexpr const char* kFakeAdb = R"(#!/bin/sh
{ for a in "$@"; do printf '[%s]' "$a"; done; printf '\n'; } >> "$FAKE_ADB_DIR/calls"
if [ "$1" = devices ]; then
    printf 'List of devices attached\n'
    cat "$FAKE_ADB_DIR/devices" 2>/dev/null
    printf '\n'
fi
)";

class CommandShellTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::create_directories(m_dataDir);
        std::filesystem::create_directories(m_binDir);
        test::WriteFile(m_binDir + "/adb", kFakeAdb);
        ::chmod((m_binDir + "/adb").c_str(), 0755);
        ::setenv("FAKE_ADB_DIR", m_binDir.c_str(), 1);
    }

    void useFakeAdb() {
        std::string path = m_binDir + ":" + std::getenv("PATH");
        ::setenv("PATH", path.c_str(), 1);
    }

    std::string calls() { return test::ReadFile(m_binDir + "/calls"); }

    // The shell's prompt: its data folder, as given, and ">".
    std::string prompt() const { return m_dataDir + ">"; }

    bool waitForPrompt(CommandShell& shell) {
        return test::WaitFor([&] { return shell.ShellStatus() == prompt(); });
    }

    test::TempDir m_root;
    // Spaces and a quote in the data folder's own path, as a user's may have.
    std::string m_dataDir = m_root.path() + "/My Documents/it's/RiVod";
    std::string m_binDir = m_root.path() + "/bin";
    Log m_log{m_root.path() + "/log.txt"};
    test::FakeScreen m_screen;
};

TEST_F(CommandShellTest, RunsTheRealAdbClientAndComesBackToItsPrompt) {
    CommandShell shell(m_dataDir, m_log, m_screen);
    ASSERT_TRUE(shell.StartShell());
    ASSERT_TRUE(waitForPrompt(shell));

    shell.resetOutput();
    EXPECT_EQ(shell.ShellStatus(), "指令执行中");
    shell.SendCommand("adb version");
    ASSERT_TRUE(waitForPrompt(shell)) << shell.output();
    EXPECT_TRUE(shell.outputContains("Android Debug Bridge version"));
    // Every line ends in CR LF, as the readers of the output expect.
    std::string output = shell.output();
    for (std::size_t at = output.find('\n'); at != std::string::npos;
         at = output.find('\n', at + 1)) {
        ASSERT_EQ(output[at - 1], '\r') << output;
    }
}

TEST_F(CommandShellTest, ADataFolderReachedThroughALinkIsTheShellsHomeFromTheStart) {
    // A documents folder that links to another disk, as many users have.
    const std::string linked = m_root.path() + "/linked";
    std::filesystem::create_directory_symlink(m_root.path() + "/My Documents", linked);
    CommandShell shell(linked + "/it's/RiVod", m_log, m_screen);
    ASSERT_TRUE(shell.StartShell());
    EXPECT_TRUE(shell.WaitUntilIdle(std::chrono::seconds(5)));
    EXPECT_EQ(shell.ShellStatus(), linked + "/it's/RiVod>");
    EXPECT_EQ(test::ReadFile(m_log.path()).find(Utf8ToGbk("指令头初始化")), std::string::npos);
}

TEST_F(CommandShellTest, AHostilePathRunsNothingButTheCommandItIsPartOf) {
    useFakeAdb();
    CommandShell shell(m_dataDir, m_log, m_screen);
    ASSERT_TRUE(shell.StartShell());
    const std::string path =
        m_root.path() + "/a b/\"it's\" $(touch pwned) `touch pwned2` \\$HOME;touch pwned3.apk";
    shell.resetOutput();
    shell.SendCommand(adb_commands::Install("127.0.0.2", path));
    ASSERT_TRUE(waitForPrompt(shell));

    EXPECT_EQ(calls(), "[-s][127.0.0.2:5555][install][-r][" + path + "]\n");
    for (const char* planted : {"pwned", "pwned2", "pwned3.apk"}) {
        EXPECT_FALSE(std::filesystem::exists(m_dataDir + "/" + planted)) << planted;
    }
}

TEST_F(CommandShellTest, AWanderingPromptIsLoggedAndBroughtBack) {
    CommandShell shell(m_dataDir, m_log, m_screen);
    ASSERT_TRUE(shell.StartShell());
    ASSERT_TRUE(waitForPrompt(shell));

    shell.SendCommand("cd /");
    const std::string wandered = "/>";
    ASSERT_TRUE(test::WaitFor([&] { return shell.output().ends_with("\n" + wandered); }));
    EXPECT_EQ(shell.ShellStatus(), wandered);
    EXPECT_NE(test::ReadFile(m_log.path()).find(Utf8ToGbk("指令头初始化:/>")), std::string::npos);
    EXPECT_TRUE(waitForPrompt(shell)) << shell.output();
}

TEST_F(CommandShellTest, OutputEndingLikeAPromptDoesNotSteerTheShell) {
    CommandShell shell(m_dataDir, m_log, m_screen);
    ASSERT_TRUE(shell.StartShell());
    ASSERT_TRUE(waitForPrompt(shell));
    const pid_t pid = shell.shellPid();
    // A box's output may pause at a line that ends as a prompt does: a
    // build.prop comment's "#", a "$", a ">" of any text.
    for (const std::string ending : {"#", "$", ">"}) {
        shell.resetOutput();
        shell.SendCommand("printf 'ro.x=1\\n" + ending + "'; sleep 1");
        ASSERT_TRUE(test::WaitFor([&] { return shell.output().ends_with("\r\n" + ending); }))
            << shell.output();
        EXPECT_EQ(shell.ShellStatus(), ending);
        EXPECT_TRUE(shell.WaitUntilIdle(std::chrono::seconds(5))) << ending << shell.output();
    }
    shell.SendCommand("echo still here");
    ASSERT_TRUE(waitForPrompt(shell));
    EXPECT_EQ(shell.shellPid(), pid) << "the shell ended";
    EXPECT_EQ(test::ReadFile(m_log.path()).find(Utf8ToGbk("指令头初始化")), std::string::npos);
}

TEST_F(CommandShellTest, AZeroByteInTheOutputDoesNotHideThePromptAfterIt) {
    CommandShell shell(m_dataDir, m_log, m_screen);
    ASSERT_TRUE(shell.StartShell());
    ASSERT_TRUE(waitForPrompt(shell));
    shell.resetOutput();
    shell.SendCommand("printf 'Success\\0'");
    EXPECT_TRUE(shell.WaitUntilIdle(std::chrono::seconds(5)));
    EXPECT_TRUE(waitForPrompt(shell)) << shell.output();
    EXPECT_EQ(shell.output(), "-Success\r\n" + prompt());
}

TEST_F(CommandShellTest, AShellThatEndedIsStartedAgainAtTheNextCommand) {
    CommandShell shell(m_dataDir, m_log, m_screen);
    ASSERT_TRUE(shell.StartShell());
    ASSERT_TRUE(waitForPrompt(shell));
    pid_t first = shell.shellPid();

    shell.SendCommand("exit");
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    shell.resetOutput();
    shell.SendCommand("echo again");
    ASSERT_TRUE(waitForPrompt(shell));
    EXPECT_NE(shell.shellPid(), first);
    EXPECT_EQ(shell.output(), "-again\r\n\r\n" + prompt());
}

TEST_F(CommandShellTest, EndRunningCommandBringsTheShellBack) {
    CommandShell shell(m_dataDir, m_log, m_screen);
    ASSERT_TRUE(shell.StartShell());
    ASSERT_TRUE(waitForPrompt(shell));
    shell.resetOutput();
    shell.SendCommand("sleep 600");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ASSERT_EQ(shell.ShellStatus(), "指令执行中");

    shell.EndRunningCommand();
    EXPECT_TRUE(waitForPrompt(shell));
}

TEST_F(CommandShellTest, TheShellLeadsASessionThatStopEndsAsAWhole) {
    CommandShell shell(m_dataDir, m_log, m_screen);
    ASSERT_TRUE(shell.StartShell());
    ASSERT_TRUE(waitForPrompt(shell));
    EXPECT_EQ(::getsid(shell.shellPid()), shell.shellPid());
    EXPECT_EQ(::getpgid(shell.shellPid()), shell.shellPid());

    shell.resetOutput("");
    shell.SendCommand("sleep 600 & echo $!");
    ASSERT_TRUE(waitForPrompt(shell)) << shell.output();
    const pid_t sleeper = std::stoi(shell.output());
    EXPECT_EQ(::getsid(sleeper), shell.shellPid());

    shell.Stop();
    EXPECT_TRUE(test::WaitFor([&] { return test::Ended(sleeper); }))
        << "what the shell ran outlived it";
}

TEST_F(CommandShellTest, ItsProgramsGetItsEnvironmentAndSignalsAtTheirDefaults) {
    CommandShell shell(m_dataDir, m_log, m_screen);
    bool started = false;
    {
        // What the program inherited or set for itself is none of theirs.
        test::SetVariable locale("LC_ALL", "fr_FR.UTF-8"), term("TERM", "dumb"), ps2("PS2", "> ");
        test::SignalsSetAside setAside;
        started = shell.StartShell();
    }
    ASSERT_TRUE(started);
    ASSERT_TRUE(waitForPrompt(shell));

    shell.resetOutput("");
    shell.SendCommand("echo \"$LC_ALL|$TERM|$PS2|$PWD\"; cat /proc/self/status");
    ASSERT_TRUE(waitForPrompt(shell)) << shell.output();
    const std::string text = shell.output();
    EXPECT_TRUE(text.starts_with("C.UTF-8|xterm||" + m_dataDir + "\r\n")) << text;
    EXPECT_TRUE(test::SignalsAtDefaults(text));
}

TEST_F(CommandShellTest, IsDeviceAttachedAsksAdbAndReadsTheBoxsState) {
    useFakeAdb();
    CommandShell shell(m_dataDir, m_log, m_screen);
    ASSERT_TRUE(shell.StartShell());

    EXPECT_FALSE(shell.IsDeviceAttached(""));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(calls(), "") << "no box: nothing is sent";

    test::WriteFile(m_binDir + "/devices", "192.168.1.50:5555\tdevice\n");
    EXPECT_FALSE(shell.IsDeviceAttached("192.168.1.5"));
    test::WriteFile(m_binDir + "/devices", "192.168.1.5:5555\toffline\n");
    EXPECT_FALSE(shell.IsDeviceAttached("192.168.1.5"));
    test::WriteFile(m_binDir + "/devices", "192.168.1.5:5555\tdevice\n");
    EXPECT_TRUE(shell.IsDeviceAttached("192.168.1.5"));
    EXPECT_EQ(calls(), "[devices]\n[devices]\n[devices]\n");
}

}  // namespace
}  // namespace qvpc
