// Page 9 with the whole program behind it, against servicesim and a
// simulated box with the real adb client: the catalog's tiles, paging, and
// a tile's "安装" through the download to the installation on the box.
#include <gtest/gtest.h>

#include <QTest>
#include <QTimer>
#include <filesystem>

#include "app/app_core.h"
#include "base/app_paths.h"
#include "base/log.h"
#include "support/adb_server.h"
#include "support/boxsim_process.h"
#include "support/loopback.h"
#include "support/page_printing.h"
#include "support/servicesim_process.h"
#include "support/temp_dir.h"
#include "ui/app_management_page.h"
#include "ui/catalog_left_list.h"
#include "ui/catalog_pager.h"
#include "ui/catalog_tile_grid.h"
#include "ui/main_window.h"
#include "ui/manual_ip_page.h"
#include "ui/progress_popup.h"
#include "ui/qt_screen.h"
#include "ui/toolkit/image_button.h"
#include "ui/toolkit/text_label.h"

namespace qvpc::ui {
namespace {

constexpr int kOutcomeLimitMs = 30000;

Config WithHosts(const test::ServiceSimProcess& sim) {
    Config config;
    config.catalogHost = sim.hostPort(test::SimService::Catalog);
    config.downloadHost = sim.hostPort(test::SimService::Download);
    return config;
}

class CatalogProgramTest : public ::testing::Test {
  protected:
    void SetUp() override {
        MakeDirectories(m_paths.downloadDir);
        MakeDirectories(m_paths.tempDir);
        m_window.setUserActions(m_core.actions());
        m_window.show();
        m_core.StartWorkers();
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return m_core.shell().shellPid() > 0; }, kOutcomeLimitMs));
    }

    // The window closes first, so that a worker waiting on the screen gives
    // up instead of holding up the core's shutdown.
    void TearDown() override {
        m_window.close();
        m_core.Shutdown();
    }

    void click(PageButton button) {
        ImageButton* target = m_window.pageButton(button);
        ASSERT_NE(target, nullptr);
        QTest::mouseClick(target, Qt::LeftButton);
    }
    void clickAt(QWidget& widget, QPoint point) {
        QTest::mouseClick(&widget, Qt::LeftButton, {}, point);
    }

    void connect() {
        m_window.ShowPage(PageId::ManualIp);
        m_window.manualIpPage().setAddress(QString::fromStdString(m_address));
        click(PageButton::ConnectTypedIp);
        ASSERT_TRUE(QTest::qWaitFor([&] { return m_window.currentPage() == PageId::Home; },
                                    kOutcomeLimitMs));
    }

    AppManagementPage& page() { return m_window.appManagementPage(); }
    CatalogTileGrid& grid() { return page().tileGrid(); }
    std::string tileName(int position) {
        const auto tile = grid().tile(position);
        return tile ? tile->name : std::string();
    }

    test::ServiceSimProcess m_sim;
    test::AdbServer m_server;
    std::string m_address = test::FreeLoopbackAddress();
    test::BoxsimProcess m_boxsim{{test::BoxAt(m_address)}};
    test::TempDir m_dir;
    AppPaths m_paths = AppPaths::UnderDocuments(m_dir.path() + "/Documents");
    Log m_log{m_paths.logPath};
    MainWindow m_window{m_log, Config{}, "1.0.0.1"};
    QtScreen m_screen{m_window};
    AppCore m_core{m_paths, WithHosts(m_sim), m_log, m_screen};
};

TEST_F(CatalogProgramTest, BrowseThePagesAndInstallAnAppFromATile) {
    connect();
    click(PageButton::AppManagementTile);
    ASSERT_EQ(m_window.currentPage(), PageId::AppManagement);
    ASSERT_EQ(grid().count(), 9);
    for (int position = 1; position <= 9; ++position) {
        EXPECT_TRUE(std::filesystem::exists(grid().tile(position)->iconPath)) << position;
    }
    EXPECT_EQ(tileName(1), "星空直播");
    EXPECT_EQ(page().pager().pageCount(), 3);

    // Page through: the next page, the last, and back to the first.
    CatalogPager& pager = page().pager();
    clickAt(pager, pager.nextRect().center());
    EXPECT_EQ(pager.selectedPage(), 2);
    EXPECT_EQ(tileName(1), "全球电视") << "the list's 10th entry";
    clickAt(pager, pager.pageButtonRect(2).center());
    EXPECT_EQ(grid().count(), 1);
    clickAt(pager, pager.pageButtonRect(0).center());
    EXPECT_EQ(grid().count(), 9);
    EXPECT_EQ(tileName(1), "星空直播");

    clickAt(grid(), CatalogTileGrid::buttonRect(1).center());
    EXPECT_EQ(grid().state(1), QString("下载中"));
    ProgressPopup& popup = m_window.popup();
    EXPECT_TRUE(popup.isOpen());
    EXPECT_EQ(popup.mode(), ProgressPopup::Mode::Downloading);
    EXPECT_EQ(popup.titleLabel().text(), QString("正在下载星空直播"));
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return grid().state(1) == QString("安装中"); }, kOutcomeLimitMs));
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return grid().state(1) == QString("已安装"); }, kOutcomeLimitMs))
        << grid().state(1).toStdString();
    EXPECT_TRUE(m_boxsim.package(m_address, "com.xingkong.live"));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return popup.messageLabel().text() == QString("应用安装成功"); }, kOutcomeLimitMs));
    EXPECT_TRUE(std::filesystem::exists(m_paths.downloadDir + "星空直播.apk"));
}

TEST_F(CatalogProgramTest, TheWindowLivesWhileAListIsFetched) {
    connect();
    click(PageButton::AppManagementTile);
    ASSERT_EQ(grid().count(), 9);
    m_sim.setFault("list", "slow:1200");
    m_sim.clearHits();
    bool insideTheClick = false;
    bool tickedInside = false;
    QTimer::singleShot(300, &m_window, [&] {
        tickedInside = insideTheClick;
        // A second click meanwhile is dropped, not run inside the first.
        clickAt(page().leftList(), CatalogLeftList::categoryRow(1).center());
    });
    insideTheClick = true;
    clickAt(page().leftList(), CatalogLeftList::categoryRow(2).center());
    insideTheClick = false;
    EXPECT_TRUE(tickedInside) << "the event loop turned during the fetch";
    EXPECT_EQ(m_sim.hits("list").size(), 1u);
    EXPECT_EQ(tileName(1), "快看影视") << "video on demand's first entry";
}

}  // namespace
}  // namespace qvpc::ui
