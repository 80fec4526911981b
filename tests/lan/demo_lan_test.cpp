// The demo of make run, driven as a user drives it: the window and the core
// in the demo network (tools/demo/lan.conf, tools/demo/boxes.json), a click
// on "立即查找", the tiles of the demo boxes, the manual address field's
// prefix, and a click on the tile of the box that answers on 8090 only.
// Pictures of the pages go to build/ui-pages/.
#include <gtest/gtest.h>

#include <QDir>
#include <QTest>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "app/app_core.h"
#include "base/app_paths.h"
#include "base/log.h"
#include "devices/local_network.h"
#include "support/adb_server.h"
#include "support/boxsim_process.h"
#include "support/lan_network.h"
#include "support/servicesim_process.h"
#include "support/temp_dir.h"
#include "ui/device_list_page.h"
#include "ui/device_tile_list.h"
#include "ui/home_page.h"
#include "ui/main_window.h"
#include "ui/manual_ip_page.h"
#include "ui/qt_screen.h"
#include "ui/toolkit/image_button.h"
#include "ui/toolkit/line_edit.h"
#include "ui/toolkit/text_label.h"
#include "ui_fixture.h"

namespace qvpc::ui {
namespace {

constexpr int kLimitMs = 60000;
constexpr QRgb kWhite = 0xffffffff;
constexpr QRgb kGreen = 0xff02b665;
constexpr QRgb kSlate = 0xff414a5f;
const std::string kDemo = QVPC_SOURCE_DIR "/tools/demo/";

// The demo network as lan.conf gives it.
void ShapeDemoNetwork(qvpc::test::LanNetwork& network) {
    std::ifstream conf(kDemo + "lan.conf");
    std::string line;
    while (std::getline(conf, line)) {
        std::istringstream words(line);
        std::string kind, first, second;
        words >> kind >> first >> second;
        if (kind == "pc") {
            network.setPcAddress(first);
        } else if (kind == "box") {
            network.addBox(first, second);
        }
    }
}

nlohmann::json DemoBoxes() {
    std::ifstream file(kDemo + "boxes.json");
    return nlohmann::json::parse(file)["boxes"];
}

Config DemoConfig(const std::string& sqlUrl) {
    Config config;
    config.remoteSqlUrl = sqlUrl;
    return config;
}

class DemoLanTest : public ::testing::Test {
  protected:
    DemoLanTest() {
        MakeDirectories(m_paths.tempDir);
        QDir().mkpath(m_out);
    }
    void SetUp() override {
        m_window.setUserActions(m_core.actions());
        m_window.show();
        m_core.StartWorkers();
        ASSERT_TRUE(QTest::qWaitFor([&] { return m_core.shell().shellPid() > 0; }, kLimitMs));
    }
    void TearDown() override {
        m_window.close();
        m_core.Shutdown();
    }

    QImage save(const QString& name) {
        QApplication::processEvents();
        const QImage image = m_window.grab().toImage();
        EXPECT_TRUE(image.save(m_out + "/" + name + ".png"));
        return image;
    }
    QRect placeOf(const QWidget& widget) const {
        return {widget.mapTo(&m_window, QPoint(0, 0)), widget.size()};
    }

    const QString m_out = QStringLiteral(QVPC_BUILD_DIR "/ui-pages");
    qvpc::test::LanNetwork m_network;
    // Shaped before the boxes start on it.
    bool m_shaped = (ShapeDemoNetwork(m_network), true);
    qvpc::test::BoxsimProcess m_boxsim{DemoBoxes(), m_network.boxLauncher()};
    qvpc::test::ServiceSimProcess m_sim;
    qvpc::test::AdbServer m_server;
    qvpc::test::TempDir m_dir;
    AppPaths m_paths = AppPaths::UnderDocuments(m_dir.path() + "/Documents");
    Log m_log{m_paths.logPath};
    MainWindow m_window{m_log, Config{}, "1.0.0.1"};
    QtScreen m_screen{m_window};
    AppCore m_core{m_paths, DemoConfig(m_sim.sqlUrl()), m_log, m_screen,
                   {},      LocalNetwork::Machine()};
};

TEST_F(DemoLanTest, SearchNowShowsTheDemoBoxesAndTheirTilesConnect) {
    QTest::mouseClick(m_window.pageButton(PageButton::StartSearch), Qt::LeftButton);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return m_window.currentPage() == PageId::DeviceList; }, kLimitMs))
        << "page " << static_cast<int>(m_window.currentPage());

    DeviceTileList& list = m_window.deviceListPage().list();
    const std::vector<std::string> expected = {"10.42.0.45 智能电视 5555",
                                               "10.42.0.31 天猫魔盒 8090",
                                               "10.42.0.20 小米盒子 5555", " 设备不在这里? 0"};
    std::vector<std::string> shown;
    for (int i = 0; i < 4; ++i) {
        const std::optional<DeviceTile> tile = list.tile(i);
        ASSERT_TRUE(tile);
        shown.push_back(tile->address + " " + tile->name + " " + std::to_string(tile->port));
    }
    EXPECT_EQ(shown, expected);
    EXPECT_FALSE(list.tile(4));
    {
        const QImage image = save(QStringLiteral("lan-demo-page2-found"));
        const QPoint origin = placeOf(list).topLeft();
        for (int i = 0; i < 4; ++i) {
            SCOPED_TRACE(i);
            const QRect card = list.itemRect(i).translated(origin);
            EXPECT_TRUE(test::PixelNear(image, card.topLeft() + QPoint(12, 12), kWhite, 2));
            const QRect strip = card.adjusted(12, 162, -12, -6);
            // 连接 in green on the boxes' tiles, 手动连接新设备 in slate on the last.
            EXPECT_EQ(test::ColourBounds(image, strip, kGreen, 40).isEmpty(), i == 3);
            EXPECT_EQ(test::ColourBounds(image, strip, kSlate, 30).isEmpty(), i != 3);
            // The address and the name in their two lines over the strip.
            if (i < 3) {
                EXPECT_TRUE(test::InkWithin(image, card.adjusted(1, 98, -1, -50),
                                            card.adjusted(8, 104, -8, -52), kWhite));
            }
        }
    }

    m_window.ShowPage(PageId::ManualIp);
    EXPECT_EQ(m_window.manualIpPage().address(), QStringLiteral("10.42.0."));
    {
        const QImage image = save(QStringLiteral("lan-demo-page7-prefix"));
        const QRect field = placeOf(m_window.manualIpPage().addressField()).adjusted(3, 3, -3, -3);
        EXPECT_TRUE(test::InkWithin(image, field, field, kWhite));
        EXPECT_GT(test::InkBounds(image, field, kWhite).width(), 60) << "10.42.0.";
    }

    // The box on 8090 only: asked to start adbd, then connected.
    m_window.ShowPage(PageId::DeviceList);
    QTest::mouseClick(&list, Qt::LeftButton, {}, list.itemRect(1).center());
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_window.currentPage() == PageId::Home; }, kLimitMs))
        << "page " << static_cast<int>(m_window.currentPage());
    EXPECT_EQ(m_boxsim.received("10.42.0.31", "command"), std::vector<std::string>{"start adbd"});
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return m_window.homePage().boxNameLabel().text() == QStringLiteral("天猫魔盒"); },
        kLimitMs));
    save(QStringLiteral("lan-demo-page4-connected"));
}

}  // namespace
}  // namespace qvpc::ui
