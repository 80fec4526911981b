// A tile's "安装" and the home page's market tile, through the core's parts
// as the program wires them, against servicesim: the download, the popup,
// the tile's states and the installation it ends in.
#include <gtest/gtest.h>

#include "app/app_actions.h"
#include "support/catalog_rig.h"
#include "support/wait.h"

namespace qvpc {
namespace {

using test::CatalogRig;

// Nothing listens there: whatever asks the box gets no answer at once.
constexpr const char* kBoxIp = "127.0.0.1";

class CatalogDownloadsTest : public ::testing::Test {
  protected:
    CatalogDownloadsTest() {
        m_rig.parts.state.setCurrentIp(kBoxIp);
        m_rig.shell.setAttached(true);
    }

    std::vector<std::string> installCommands() const {
        return m_rig.shell.commandsWith(" install ");
    }

    CatalogRig m_rig;
    AppActions m_actions{m_rig.parts, m_rig.shell, m_rig.screen, [] {}};
};

TEST_F(CatalogDownloadsTest, EnteringAppManagementShowsTheFirstCategory) {
    m_actions.enterAppManagement();
    EXPECT_EQ(m_rig.screen.currentPage(), PageId::AppManagement);
    EXPECT_EQ(m_rig.sim.hits("list").back()["target"],
              "/openapi/tjlist.php?chanel=kestrunebox&s=0&e=9");
    EXPECT_EQ(m_rig.screen.catalogTiles().size(), 9u);
    EXPECT_EQ(m_rig.screen.catalogPages(), std::make_pair(3, 1));
    m_actions.showCatalogCategory(7);
    EXPECT_EQ(m_rig.sim.hits("list").back()["target"],
              "/openapi/list.php?modid=6&chanel=kestrunebox&s=0&e=9");
    EXPECT_EQ(m_rig.screen.catalogTiles().size(), 5u);
}

TEST_F(CatalogDownloadsTest, ATilesInstallDownloadsTheAppAndInstallsIt) {
    m_actions.enterAppManagement();
    m_actions.downloadCatalogApp(2);
    const std::string target = m_rig.paths.downloadDir + "快看影视.apk";
    EXPECT_EQ(m_rig.screen.popupsShown().back(), "下载:正在下载" + target);
    ASSERT_TRUE(test::WaitFor([&] { return !installCommands().empty(); }));
    EXPECT_EQ(installCommands(), std::vector<std::string>{"adb -s " + std::string(kBoxIp) +
                                                          ":5555 install -r \"" + target + "\""});
    EXPECT_EQ(m_rig.parts.engine.taskExtra(), "应用下载<2>");
    EXPECT_EQ(m_rig.screen.catalogTiles().at(2).state, "安装中");
    EXPECT_EQ(m_rig.sim.hits("apk").back()["target"], "/down/apk/com.kuaikan.video_560.apk");
}

TEST_F(CatalogDownloadsTest, OnlyATileInInstallStartsADownload) {
    m_actions.enterAppManagement();
    // The popup the listing of the box's apps showed.
    const std::size_t popups = m_rig.screen.popupsShown().size();
    for (const std::string state : {"下载中", "安装中", "已安装"}) {
        m_rig.screen.setCatalogTileState(5, state);
        m_actions.downloadCatalogApp(5);
    }
    m_actions.downloadCatalogApp(12);  // no such tile
    EXPECT_EQ(m_rig.hits("apk"), 0);
    EXPECT_EQ(m_rig.screen.popupsShown().size(), popups);
}

TEST_F(CatalogDownloadsTest, TheMarketTileDownloadsAndInstallsTheMarketApp) {
    m_actions.installMarketApp();
    const std::string target = m_rig.paths.dataDir + "/Kestrune市场.apk";
    EXPECT_EQ(m_rig.screen.popupsShown().front(), "下载:正在下载" + target);
    ASSERT_TRUE(test::WaitFor([&] { return !installCommands().empty(); }));
    EXPECT_EQ(installCommands(), std::vector<std::string>{"adb -s " + std::string(kBoxIp) +
                                                          ":5555 install -r \"" + target + "\""});
    EXPECT_EQ(m_rig.parts.engine.taskExtra(), "Kestrune市场");
    EXPECT_EQ(m_rig.sim.hits("apk").back()["target"], "/down/apk/com.kestrunemarket_320.apk");
    EXPECT_TRUE(m_rig.screen.catalogTileStates().empty());
}

TEST_F(CatalogDownloadsTest, AMarketSearchThatFindsNothingSaysSo) {
    for (const std::string fault : {"empty", "-1", "http:502"}) {
        SCOPED_TRACE(fault);
        CatalogRig rig({.faults = {"search=" + fault}});
        AppActions actions(rig.parts, rig.shell, rig.screen, [] {});
        actions.installMarketApp();
        ASSERT_EQ(rig.screen.boxes().size(), 1u);
        EXPECT_EQ(rig.screen.boxes()[0].request.title, "网络故障");
        EXPECT_EQ(rig.screen.boxes()[0].request.message, "应用数据获取失败,请检查网络.");
        EXPECT_EQ(rig.hits("apk"), 0);
    }
}

TEST_F(CatalogDownloadsTest, AMarketEntryWithoutItsUrlInCdataFailsAsADownload) {
    CatalogRig rig({.faults = {"search=malformed"}});
    AppActions actions(rig.parts, rig.shell, rig.screen, [] {});
    actions.installMarketApp();
    EXPECT_TRUE(rig.screen.boxes().empty());
    EXPECT_EQ(rig.screen.popupsShown().back(), "提示:应用下载失败,请检查网络.");
}

}  // namespace
}  // namespace qvpc
