// What the program's adb-only app inventory runs, read by the real adb from
// a 4.4 and a 6.0 box: the texts, paths and files those Android versions have.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/adb_server.h"
#include "support/boxsim_process.h"
#include "support/fixture_apk.h"
#include "support/loopback.h"
#include "support/temp_dir.h"

namespace qvpc::boxsim {
namespace {

using test::RunAdb;
using ::testing::ContainsRegex;
using ::testing::HasSubstr;
using ::testing::Not;

struct Version {
    int sdk;
    const char* release;
    const char* firstPath;   // where an app installed once lies
    const char* secondPath;  // ... and after an update
    const char* versionLines;
};

// Names the case in test lists by its version alone.
void PrintTo(const Version& version, std::ostream* out) {
    *out << "sdk " << version.sdk;
}

const Version kVersions[] = {
    {19, "4.4.2", "/data/app/com.example.tv-1.apk", "/data/app/com.example.tv-2.apk",
     "    versionCode=321 targetSdk=19\r\n    versionName=1.2.3\r\n"},
    {23, "6.0", "/data/app/com.example.tv-1/base.apk", "/data/app/com.example.tv-2/base.apk",
     "    versionCode=321 targetSdk=23\r\n    versionName=1.2.3\r\n    splits=[base]\r\n"},
};

class AdbInventoryTest : public ::testing::TestWithParam<Version> {
  protected:
    void SetUp() override {
        test::BoxSpec box = test::BoxAt(m_address);
        box.sdk = GetParam().sdk;
        box.release = GetParam().release;
        box.extra["packages"] = {{{"package", "com.example.tv"},
                                  {"version_code", 321},
                                  {"version_name", "1.2.3"},
                                  {"apk_size", 1234567}}};
        m_boxsim = std::make_unique<test::BoxsimProcess>(std::vector{box});
        ASSERT_THAT(RunAdb("connect " + m_address).output, HasSubstr("connected to"));
    }
    std::string shell(const std::string& command) {
        return RunAdb("-s " + m_address + ":5555 shell " + command).output;
    }

    test::AdbServer m_adb;
    test::TempDir m_dir;
    std::string m_address = test::FreeLoopbackAddress();
    std::unique_ptr<test::BoxsimProcess> m_boxsim;
};

TEST_P(AdbInventoryTest, ListsInspectsAndSizesAppsAsTheBoxsAndroidDoes) {
    const std::string path = GetParam().firstPath;
    const std::string file = path.substr(path.rfind('/') + 1);
    struct Case {
        std::string command;
        std::string output;
    };
    const Case exact[] = {
        {"pm list packages -3 -f", "package:" + path + "=com.example.tv\r\n"},
        {"pm path com.example.tv", "package:" + path + "\r\n"},
        // Unknown packages print nothing at all.
        {"pm path com.example.none", ""},
        {"dumpsys package com.example.none", ""},
        // pm reads two characters of an option and none after the filter.
        {"pm list packages -3f", "package:com.example.tv\r\n"},
        {"pm list packages -q", "Error: Unknown option: -q\r\n"},
        {"ls /data/app", "opendir failed, Permission denied\r\n"},
        {"ls -l " + path + "x", path + "x: No such file or directory\r\n"},
    };
    for (const Case& c : exact) {
        EXPECT_EQ(shell(c.command), c.output) << c.command;
    }
    EXPECT_THAT(shell("pm list packages settings -3"),
                HasSubstr("package:com.android.providers.settings\r\n"));
    EXPECT_THAT(shell("ls -l " + path),
                ContainsRegex("^-rw-r--r-- system   system    1234567 "
                              "[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2} " +
                              file + "\r\n$"));

    // The version lines belong to the block under "Packages:".
    const std::string dump = shell("dumpsys package com.example.tv");
    const size_t packages = dump.find("\r\nPackages:\r\n  Package [com.example.tv] (");
    ASSERT_NE(packages, std::string::npos) << dump;
    EXPECT_THAT(dump.substr(packages), HasSubstr(GetParam().versionLines));
    EXPECT_THAT(dump, Not(HasSubstr("Hidden system packages:")));

    // Some boxes' Dalvik makes the linker warn before every Java tool.
    test::BoxFaults faults;
    faults.linkerWarning = true;
    m_boxsim->setFaults(m_address, faults);
    EXPECT_EQ(shell("pm path com.example.tv"),
              "WARNING: linker: libdvm.so has text relocations. This is wasting memory and is a "
              "security risk. Please fix.\r\npackage:" +
                  path + "\r\n");
    EXPECT_EQ(shell("dumpsys package com.example.tv"), dump) << "dumpsys is no Java tool";
}

TEST_P(AdbInventoryTest, AnInstalledApkIsAFileOfItsSizeThatMovesOnUpdate) {
    test::ApkSpec apk;
    apk.packageName = "com.example.tv";
    apk.versionCode = 400;
    apk.paddingBytes = 20000;
    const std::string local = test::MakeFixtureApk(m_dir.path(), apk);
    const std::string bytes = test::ReadFile(local);
    ASSERT_THAT(RunAdb("-s " + m_address + ":5555 install -r \"" + local + "\"").output,
                HasSubstr("Success\r\n"));

    const std::string path = GetParam().secondPath;
    EXPECT_EQ(shell("pm path com.example.tv"), "package:" + path + "\r\n");
    EXPECT_THAT(shell("ls -l " + path), HasSubstr(" " + std::to_string(bytes.size()) + " "));
    EXPECT_THAT(shell("ls -l " + std::string(GetParam().firstPath)),
                HasSubstr("No such file or directory"));
    const std::string pulled = m_dir.path() + "/pulled.apk";
    EXPECT_THAT(RunAdb("-s " + m_address + ":5555 pull " + path + " \"" + pulled + "\"").output,
                HasSubstr("1 file pulled"));
    EXPECT_EQ(test::ReadFile(pulled), bytes);

    // Android alternates between -1 and -2.
    RunAdb("-s " + m_address + ":5555 install -r \"" + local + "\"");
    EXPECT_EQ(shell("pm path com.example.tv"),
              "package:" + std::string(GetParam().firstPath) + "\r\n");
    EXPECT_EQ(shell("pm uninstall com.example.tv"), "Success\r\n");
    EXPECT_THAT(shell("ls -l " + std::string(GetParam().firstPath)),
                HasSubstr("No such file or directory"));
}

INSTANTIATE_TEST_SUITE_P(Sdk, AdbInventoryTest, ::testing::ValuesIn(kVersions),
                         [](const auto& info) { return "Sdk" + std::to_string(info.param.sdk); });

}  // namespace
}  // namespace qvpc::boxsim
