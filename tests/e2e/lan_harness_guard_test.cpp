// What scans or resolves addresses refuses to run outside the private
// network of scripts/lan-harness: the harness itself, told by a forged marker
// that it is inside, and the LAN test program started by hand.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/lan_network.h"
#include "support/run_command.h"

namespace qvpc::test {
namespace {

const std::string kHarness = QVPC_SOURCE_DIR "/scripts/lan-harness";
const std::string kLanTests = QVPC_BUILD_DIR "/tests/lan_tests";

std::string ThisNamespace() {
    struct stat info {};
    ::stat("/proc/self/ns/net", &info);
    return std::to_string(info.st_ino);
}

TEST(LanHarnessGuardTest, NothingRunsOutsideANamespaceTheHarnessMade) {
    EXPECT_EQ(WhyNotInsideLanHarness(), "not started by scripts/lan-harness");

    // The harness's inner stage, started by hand in this namespace.
    const CommandResult forged =
        RunCommand("QVPC_LAN_HARNESS_STAGE=inside QVPC_LAN_OUTER_NETNS=" + ThisNamespace() + " " +
                   kHarness + " --pc 10.77.1.7/24 touch " + "/nonexistent/ran");
    EXPECT_EQ(forged.exitCode, 2) << forged.output;
    EXPECT_NE(
        forged.output.find("refusing to run: not inside a network namespace this harness made"),
        std::string::npos)
        << forged.output;

    // The LAN tests without the harness, even with its marker set by hand.
    const CommandResult byHand =
        RunCommand("env -u QVPC_LAN_NETNS QVPC_LAN_HARNESS=1 " + kLanTests + " --gtest_filter='*'");
    EXPECT_EQ(byHand.exitCode, 2) << byHand.output;
    EXPECT_NE(byHand.output.find("lan_tests: refusing to run: not in the network namespace the "
                                 "harness made"),
              std::string::npos)
        << byHand.output;
    EXPECT_EQ(byHand.output.find("[ RUN      ]"), std::string::npos) << "no test ran";
}

}  // namespace
}  // namespace qvpc::test
