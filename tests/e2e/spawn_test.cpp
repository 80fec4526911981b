#include "base/spawn.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "base/read_until_end.h"
#include "base/unique_fd.h"
#include "support/signal_state.h"
#include "support/temp_dir.h"

namespace qvpc {
namespace {

using namespace std::chrono_literals;

// Everything the program writes to the pipe, and its exit code.
std::pair<std::string, int> Collect(pid_t pid, Pipe& pipe) {
    pipe.writeEnd.reset();
    std::string text;
    ReadUntilEnd(pipe.readEnd.get(), {.deadline = std::chrono::steady_clock::now() + 10s}, text);
    const int status = WaitForExit(pid);
    return {text, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

TEST(SpawnTest, StartsInAGroupOrASessionOfItsOwn) {
    struct Case {
        ProcessStart start;
        bool ownSession;
    };
    for (const Case& c :
         {Case{ProcessStart::NewProcessGroup, false}, Case{ProcessStart::NewSession, true}}) {
        std::optional<pid_t> pid = Spawn({"sleep", "30"}, {.start = c.start});
        ASSERT_TRUE(pid);
        EXPECT_EQ(::getpgid(*pid), *pid);
        EXPECT_EQ(::getsid(*pid), c.ownSession ? *pid : ::getsid(0));
        ::kill(*pid, SIGKILL);
        WaitForExit(*pid);
    }
}

TEST(SpawnTest, GetsTheDescriptorsFolderAndEnvironmentItIsGiven) {
    test::TempDir dir;
    const std::string folder = std::filesystem::canonical(dir.path()).string();
    struct Case {
        const char* name;
        bool input;  // else /dev/null
        bool error;  // else /dev/null
        std::string expected;
    };
    const Case cases[] = {
        {"all given", true, true, "typed\n" + folder + "\ngiven|none\nerr\n"},
        {"input and error left out", false, false, folder + "\ngiven|none\n"},
    };
    for (const Case& c : cases) {
        std::optional<Pipe> in = OpenPipe();
        std::optional<Pipe> out = OpenPipe();
        ASSERT_TRUE(in && out);
        std::optional<pid_t> pid =
            Spawn({"/bin/sh", "-c", "cat; pwd; echo \"$ONLY|${HOME-none}\"; echo err >&2"},
                  {.input = c.input ? in->readEnd.get() : -1,
                   .output = out->writeEnd.get(),
                   .error = c.error ? out->writeEnd.get() : -1,
                   .workingDirectory = folder,
                   .environment = std::vector<std::string>{"ONLY=given", "PATH=/usr/bin:/bin"}});
        ASSERT_TRUE(pid) << c.name;
        ASSERT_EQ(::write(in->writeEnd.get(), "typed\n", 6), 6);
        in->writeEnd.reset();
        EXPECT_EQ(Collect(*pid, *out), std::make_pair(c.expected, 0)) << c.name;
    }
}

TEST(SpawnTest, StartsWithNoSignalBlockedAndTheEndingOnesAtTheirDefaults) {
    std::optional<Pipe> out = OpenPipe();
    ASSERT_TRUE(out);
    std::optional<pid_t> pid;
    {
        test::SignalsSetAside setAside;
        pid = Spawn({"cat", "/proc/self/status"}, {.output = out->writeEnd.get()});
    }
    ASSERT_TRUE(pid);
    const std::string status = Collect(*pid, *out).first;
    EXPECT_TRUE(test::SignalsAtDefaults(status));
}

TEST(SpawnTest, WhatCannotStartIsNoProcess) {
    std::optional<Pipe> closed = OpenPipe();
    ASSERT_TRUE(closed);
    const int closedFd = closed->readEnd.get();
    closed->readEnd.reset();
    struct Case {
        const char* name;
        std::vector<std::string> argv;
        SpawnOptions options;
    };
    const Case cases[] = {
        {"no program", {}, {}},
        {"not on PATH", {"qvpc-no-such-program"}, {}},
        {"no such file", {"/nonexistent/sh"}, {}},
        {"no such folder", {"true"}, {.workingDirectory = "/nonexistent"}},
        {"a descriptor not open", {"true"}, {.input = closedFd}},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(Spawn(c.argv, c.options)) << c.name;
    }
}

}  // namespace
}  // namespace qvpc
