// boxsim as people start it: its configuration checks and a clean stop.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>

#include "support/boxsim_process.h"
#include "support/child_process.h"
#include "support/loopback.h"
#include "support/run_command.h"
#include "support/temp_dir.h"
#include "support/wait.h"
#include "tcp_client.h"

namespace qvpc::boxsim {
namespace {

using ::testing::HasSubstr;

TEST(BoxsimCliTest, RejectsBadConfigurationsByName) {
    test::TempDir dir;
    struct Case {
        std::string json;
        std::string message;
    };
    const Case cases[] = {
        {R"({"boxes":[{"faults":{"refuze":true}}]})", "unknown member \"refuze\" in faults"},
        {R"({"boxes":[{"address":"127.0.0.300"}]})", "bad box address \"127.0.0.300\""},
        {R"({"boxes":[{"packages":[{"package":"nodots"}]}]})", "bad package name \"nodots\""},
        {R"({"boxes":[]})", "boxes must be a non-empty array"},
        {"{", "bad configuration"},
    };
    for (const Case& c : cases) {
        const std::string path = dir.path() + "/config.json";
        test::WriteFile(path, c.json);
        const auto result =
            test::RunCommand(test::BoxsimPath() + " --config " + path, std::chrono::seconds(10));
        EXPECT_EQ(result.exitCode, 2) << c.json;
        EXPECT_THAT(result.output, HasSubstr(c.message)) << c.json;
    }
}

TEST(BoxsimCliTest, PrintsWhatItServesAndStopsOnSigint) {
    test::TempDir dir;
    const std::string address = test::FreeLoopbackAddress();
    const std::string config = dir.path() + "/config.json";
    test::WriteFile(config, R"({"boxes":[{"address":")" + address +
                                R"(","model":"Q5","adb_listening":false}]})");
    const std::string log = dir.path() + "/boxsim.log";
    test::ChildProcess boxsim({test::BoxsimPath(), "--config", config}, log);
    ASSERT_TRUE(
        test::WaitFor([&] { return test::ReadFile(log).find("ready") != std::string::npos; }));
    const std::string printed = test::ReadFile(log);
    EXPECT_THAT(printed, HasSubstr("box " + address + ": Xiaomi Q5"));
    EXPECT_THAT(printed, HasSubstr(address + ":5555 (off until \"start adbd\" on 8090)"));
    EXPECT_THAT(printed, HasSubstr("command  " + address + ":8090"));
    EXPECT_EQ(testing::TcpExchange(address, 8090, "start adbd", std::chrono::seconds(5), 2), "ok");

    EXPECT_EQ(boxsim.stop(SIGINT, std::chrono::seconds(5)), 0);
    EXPECT_THAT(test::ReadFile(log), HasSubstr("boxsim: stopped"));
    EXPECT_FALSE(testing::TcpExchange(address, 8090, ""));
}

}  // namespace
}  // namespace qvpc::boxsim
