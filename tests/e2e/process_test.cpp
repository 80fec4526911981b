#include "base/process.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <sstream>

#include "support/child_process.h"
#include "support/signal_state.h"
#include "support/wait.h"

namespace qvpc {
namespace {

using namespace std::chrono_literals;

TEST(RunProcessTest, CollectsBothOutputsAndTheExitCodeWithNothingOnItsInput) {
    // cat ends at once on /dev/null; on an inherited terminal it would wait.
    auto result = RunProcess({"sh", "-c", "cat; echo out; echo err >&2; exit 3"}, 10s);
    ASSERT_TRUE(result);
    EXPECT_FALSE(result->timedOut);
    EXPECT_EQ(result->exitCode, 3);
    EXPECT_EQ(result->output, "out\nerr\n");
}

TEST(RunProcessTest, RunsInAProcessGroupOfItsOwnInOurSession) {
    auto result = RunProcess({"sh", "-c", "echo $$; cut -d' ' -f5,6 /proc/$$/stat"}, 10s);
    ASSERT_TRUE(result);
    std::istringstream in(result->output);
    int pid = 0, group = 0, session = 0;
    in >> pid >> group >> session;
    EXPECT_EQ(group, pid) << result->output;
    EXPECT_EQ(session, ::getsid(0)) << result->output;
}

TEST(RunProcessTest, ItsProgramStartsWithSignalsAtTheirDefaults) {
    std::optional<ProcessResult> result;
    {
        test::SignalsSetAside setAside;
        result = RunProcess({"cat", "/proc/self/status"}, 10s);
    }
    ASSERT_TRUE(result);
    EXPECT_TRUE(test::SignalsAtDefaults(result->output));
}

TEST(RunProcessTest, TheTimeLimitEndsTheWholeGroup) {
    // The background sleep holds the output open too: only ending the group
    // lets the call return.
    const auto start = std::chrono::steady_clock::now();
    auto result = RunProcess({"sh", "-c", "sleep 30 & echo $!; wait"}, 300ms);
    ASSERT_TRUE(result);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    EXPECT_TRUE(result->timedOut);
    EXPECT_EQ(result->exitCode, -1);
    const int sleeper = std::stoi(result->output);
    EXPECT_TRUE(test::WaitFor([&] { return test::Ended(sleeper); }, 5s))
        << "the background sleep outlived the time limit";
}

TEST(RunProcessTest, NothingToRunOrAProgramNotFoundIsNoResult) {
    EXPECT_FALSE(RunProcess({}, 1s));
    EXPECT_FALSE(RunProcess({"qvpc-no-such-program"}, 1s));
}

}  // namespace
}  // namespace qvpc
