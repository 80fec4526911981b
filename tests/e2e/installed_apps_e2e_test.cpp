// Page 9's installed-app side against a simulated box and servicesim, with
// the real shell and adb: the list, its counts, an uninstall and an upgrade,
// once through the companion and once through adb alone.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/core_rig.h"
#include "support/loopback.h"
#include "support/servicesim_process.h"
#include "support/set_variable.h"
#include "support/wait.h"

namespace qvpc {
namespace {

constexpr std::string_view kCompanion = "com.quillet.remoteassistant";

enum class Way { Companion, AdbAlone };

std::string NameOf(Way way) {
    return way == Way::Companion ? "Companion" : "AdbAlone";
}

// Three user apps: two the download server has newer (3.2.1 and 2.8.0 of
// its sample catalog), one it does not know.
test::BoxSpec BoxWithApps(const std::string& address) {
    test::BoxSpec box = test::BoxAt(address);
    box.packages = {
        {.packageName = "com.xingkong.live", .versionCode = 300, .label = "星空直播"},
        {.packageName = "com.lantian.tv", .versionCode = 200, .label = "蓝天电视"},
        {.packageName = "com.example.notes", .versionCode = 5, .label = "便签"},
    };
    return box;
}

Config ConfigFor(Way way, const test::ServiceSimProcess& sim) {
    Config config;
    config.catalogHost = sim.hostPort(test::SimService::Catalog);
    config.downloadHost = sim.hostPort(test::SimService::Download);
    config.installStandInCompanion = way == Way::Companion;
    return config;
}

// Anything of the box's that reached a command line on this side would run
// `reboot`: here it finds this one, which only leaves a mark.
class HarmlessReboot {
  public:
    HarmlessReboot() {
        const std::string script = m_dir.path() + "/reboot";
        test::WriteFile(script, "#!/bin/sh\ntouch '" + mark() + "'\n");
        std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    }
    std::string pathVariable() const { return m_dir.path() + ":" + std::getenv("PATH"); }
    std::string mark() const { return m_dir.path() + "/rebooted"; }

  private:
    test::TempDir m_dir;
};

class InstalledAppsTest : public ::testing::TestWithParam<Way> {
  protected:
    explicit InstalledAppsTest(test::BoxSpec box = BoxWithApps(test::FreeLoopbackAddress()))
        : m_address(box.address),
          m_rig({box}, test::CoreRig::QuickTicks(), ConfigFor(GetParam(), m_sim)) {
        m_rig.start();
        m_connected = m_rig.connect(m_address);
    }

    UserActions& actions() { return m_rig.core.actions(); }
    test::FakeScreen& screen() { return m_rig.screen; }

    // The row of the package; its name is the package's own where adb
    // alone cannot tell its label and the server does not know it.
    std::optional<int> rowOf(const std::string& package) {
        const std::vector<InstalledAppRow> rows = screen().appRows();
        for (std::size_t i = 0; i < rows.size(); ++i) {
            if (rows[i].packageName == package) {
                return static_cast<int>(i) + 1;
            }
        }
        return std::nullopt;
    }
    void clickButtonOf(int position) {
        const RowRect button = screen().appRowButton(position);
        actions().onInstalledRowClick(position, button.left, button.top);
    }
    std::optional<int64_t> versionOnTheBox(const std::string& package) {
        auto found = m_rig.boxsim->package(m_address, package);
        return found ? std::optional<int64_t>((*found)["version_code"].get<int64_t>())
                     : std::nullopt;
    }

    HarmlessReboot m_reboot;
    test::SetVariable m_path{"PATH", m_reboot.pathVariable()};
    test::ServiceSimProcess m_sim;
    std::string m_address;
    test::CoreRig m_rig;
    bool m_connected = false;
};

TEST_P(InstalledAppsTest, TheListShowsTheUserAppsWithTheirCounts) {
    ASSERT_TRUE(m_connected);
    actions().enterAppManagement();
    const std::vector<InstalledAppRow> rows = screen().appRows();
    ASSERT_EQ(rows.size(), 3u) << "system apps and the companion left out";
    for (const InstalledAppRow& row : rows) {
        EXPECT_EQ(row.action, "卸载");
        EXPECT_FALSE(row.version.empty()) << row.name;
        EXPECT_NE(row.packageName, kCompanion);
    }
    EXPECT_TRUE(rowOf("com.xingkong.live") && rowOf("com.lantian.tv") &&
                rowOf("com.example.notes"));
    EXPECT_EQ(rows[static_cast<std::size_t>(*rowOf("com.xingkong.live") - 1)].name, "星空直播");
    EXPECT_EQ(screen().uninstallCount(), 3);
    EXPECT_EQ(screen().upgradeCount(), 2);
    EXPECT_EQ(screen().popupMode(), "");
    if (GetParam() == Way::Companion) {
        EXPECT_TRUE(versionOnTheBox(std::string(kCompanion))) << "the companion was put on the box";
    } else {
        EXPECT_FALSE(versionOnTheBox(std::string(kCompanion))) << "nothing is put on the box";
        EXPECT_TRUE(m_rig.boxsim->httpRequests(m_address).empty());
    }
}

TEST_P(InstalledAppsTest, AnUninstallTakesTheAppOffTheBoxAndMarksItsRow) {
    ASSERT_TRUE(m_connected);
    actions().enterAppManagement();
    const std::optional<int> row = rowOf("com.example.notes");
    ASSERT_TRUE(row);
    const std::string name = screen().appRows()[static_cast<std::size_t>(*row - 1)].name;
    // Beside the button nothing happens.
    actions().onInstalledRowClick(*row, 5, 5);
    EXPECT_TRUE(m_rig.core.engine().currentProgress().empty());

    clickButtonOf(*row);
    EXPECT_EQ(screen().popupText(), "正在卸载 " + name + "... ...");
    ASSERT_TRUE(m_rig.waitForIdle());
    EXPECT_EQ(screen().appRows()[static_cast<std::size_t>(*row - 1)].state, AppRowState::Done);
    EXPECT_FALSE(versionOnTheBox("com.example.notes"));
    EXPECT_TRUE(screen().boxes().empty());
}

TEST_P(InstalledAppsTest, AnUpgradeInstallsTheServersVersionAndLowersTheCount) {
    ASSERT_TRUE(m_connected);
    actions().enterAppManagement();
    actions().showUpgradeList();
    const std::vector<InstalledAppRow> rows = screen().appRows();
    ASSERT_EQ(rows.size(), 2u);
    const std::optional<int> row = rowOf("com.xingkong.live");
    ASSERT_TRUE(row);
    const InstalledAppRow& live = rows[static_cast<std::size_t>(*row - 1)];
    EXPECT_EQ(live.action, "更新");
    EXPECT_EQ(live.version, "3.2.1") << "the server's version";
    EXPECT_EQ(live.size, "12.6M");

    clickButtonOf(*row);
    ASSERT_TRUE(test::WaitFor([&] { return versionOnTheBox("com.xingkong.live") == 321; },
                              std::chrono::seconds(30)));
    ASSERT_TRUE(test::WaitFor(
        [&] {
            return screen().appRows()[static_cast<std::size_t>(*row - 1)].state ==
                   AppRowState::Done;
        },
        std::chrono::seconds(30)));
    EXPECT_EQ(screen().upgradeCount(), 1);
    EXPECT_TRUE(std::filesystem::exists(m_rig.paths.tempDir + "星空直播.apk"));
}

INSTANTIATE_TEST_SUITE_P(BothWays, InstalledAppsTest,
                         ::testing::Values(Way::Companion, Way::AdbAlone),
                         [](const auto& info) { return NameOf(info.param); });

// A box whose package names and labels hold shell syntax, quotes, line
// breaks, invalid UTF-8 and 100 KiB strings.
test::BoxSpec HostileBox(const std::string& address) {
    test::BoxSpec box = BoxWithApps(address);
    box.extra["hostile_packages"] = true;
    return box;
}

class HostileInventoryTest : public InstalledAppsTest {
  protected:
    HostileInventoryTest() : InstalledAppsTest(HostileBox(test::FreeLoopbackAddress())) {}
};

TEST_P(HostileInventoryTest, ItsNamesRunNothingAndBreakNothing) {
    ASSERT_TRUE(m_connected);
    actions().enterAppManagement();
    EXPECT_EQ(screen().popupMode(), "");
    EXPECT_GE(screen().appRows().size(), 3u) << "the honest apps are still listed";
    // Every row's button: uninstalls of the names that are valid, none of
    // the others.
    for (int position = static_cast<int>(screen().appRows().size()); position >= 1; --position) {
        clickButtonOf(position);
        ASSERT_TRUE(m_rig.waitForIdle());
    }
    EXPECT_FALSE(std::filesystem::exists(m_reboot.mark())) << "a name ran on this side";
    EXPECT_TRUE(m_rig.boxsim->received(m_address, "reboot").empty()) << "a name ran on the box";
}

INSTANTIATE_TEST_SUITE_P(BothWays, HostileInventoryTest,
                         ::testing::Values(Way::Companion, Way::AdbAlone),
                         [](const auto& info) { return NameOf(info.param); });

}  // namespace
}  // namespace qvpc
