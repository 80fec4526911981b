// scripts/run with QVPC_DOUBLES (make run DOUBLES=...), against a build
// folder of stand-ins that note when they run: 0 starts the program alone,
// anything but 0 or 1 starts nothing.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "adb/shell_quote.h"
#include "support/run_command.h"
#include "support/temp_dir.h"

namespace qvpc {
namespace {

const std::string kRunScript = std::string(QVPC_SOURCE_DIR) + "/scripts/run";

class RunScriptTest : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* tool : {"boxsim", "servicesim"}) {
            std::filesystem::create_directories(m_build.path() + "/tools/" + tool);
            standIn("tools/" + std::string(tool) + "/" + tool, tool);
        }
    }

    // A program that notes its run in ran-NAME and exits 3.
    void standIn(const std::string& path, const std::string& name) {
        const std::string file = m_build.path() + "/" + path;
        test::WriteFile(
            file, "#!/bin/sh\n: > " + ShellWord(m_build.path() + "/ran-" + name) + "\nexit 3\n");
        ::chmod(file.c_str(), 0755);
    }

    bool ran(const std::string& name) {
        return std::filesystem::exists(m_build.path() + "/ran-" + name);
    }

    test::CommandResult run(const std::string& doubles) {
        return test::RunCommand("QVPC_DOUBLES=" + ShellWord(doubles) + " " + ShellWord(kRunScript) +
                                    " " + ShellWord(m_build.path()),
                                std::chrono::seconds(20));
    }

    test::TempDir m_build;
};

TEST_F(RunScriptTest, NoDoublesStartsTheProgramAloneAndEndsWithIt) {
    standIn("qvpc", "qvpc");
    const test::CommandResult result = run("0");
    EXPECT_EQ(result.exitCode, 3) << result.output;
    EXPECT_TRUE(ran("qvpc"));
    EXPECT_FALSE(ran("boxsim") || ran("servicesim")) << result.output;
}

TEST_F(RunScriptTest, NoDoublesWithoutAProgramSaysSo) {
    const test::CommandResult result = run("0");
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.output.find("make build"), std::string::npos) << result.output;
}

TEST_F(RunScriptTest, AnotherValueStartsNothing) {
    standIn("qvpc", "qvpc");
    for (const std::string value : {"2", "no", "0; : > pwned", "$(: > pwned)", " 0"}) {
        const test::CommandResult result = run(value);
        EXPECT_EQ(result.exitCode, 2) << value << ": " << result.output;
        EXPECT_NE(result.output.find("not '" + value + "'"), std::string::npos) << result.output;
        EXPECT_FALSE(ran("qvpc") || ran("boxsim") || ran("servicesim")) << value;
    }
    EXPECT_FALSE(std::filesystem::exists("pwned"));
}

}  // namespace
}  // namespace qvpc
