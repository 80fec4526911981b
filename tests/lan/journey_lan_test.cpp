// A user's whole journey through the program of make run, in one test: the
// window and the core in the demo network (tools/demo/), clicks on the real
// widgets from the start page through the search, a box's tile, the
// catalog, the uninstall and upgrade lists, a dropped APK and a screenshot
// saved under a hostile name, to the disconnection and the window's close.
// Each step checks the page and the log records it wrote, and leaves a
// picture of the window in build/journey/.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QDir>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <stdexcept>

#include "app/app_core.h"
#include "base/app_paths.h"
#include "base/config.h"
#include "base/log.h"
#include "devices/local_network.h"
#include "support/adb_server.h"
#include "support/boxsim_process.h"
#include "support/lan_network.h"
#include "support/log_records.h"
#include "support/run_command.h"
#include "support/servicesim_process.h"
#include "support/set_variable.h"
#include "support/temp_dir.h"
#include "ui/app_management_page.h"
#include "ui/busy_page.h"
#include "ui/catalog_left_list.h"
#include "ui/catalog_pager.h"
#include "ui/catalog_tile_grid.h"
#include "ui/device_list_page.h"
#include "ui/device_tile_list.h"
#include "ui/home_page.h"
#include "ui/installed_app_list.h"
#include "ui/installed_app_rows.h"
#include "ui/main_window.h"
#include "ui/progress_popup.h"
#include "ui/qt_screen.h"
#include "ui/remote_install_page.h"
#include "ui/toolkit/context_menu.h"
#include "ui/toolkit/image_box.h"
#include "ui/toolkit/image_button.h"
#include "ui/toolkit/text_label.h"

namespace qvpc::ui {
namespace {

using Action = CatalogLeftList::Action;

// Every wait; the whole journey takes some 20 s on an idle machine.
constexpr int kStepLimitMs = 30000;
const std::string kDemo = QVPC_SOURCE_DIR "/tools/demo/";
// The box the journey uses: on 5555 only, three apps, no companion yet.
const std::string kBox = "10.42.0.20";

// The fixture's first member: nothing of it starts outside the harness.
bool InsideTheHarness() {
    if (std::optional<std::string> why = test::WhyNotInsideLanHarness()) {
        throw std::runtime_error("refusing to run outside the LAN harness: " + *why);
    }
    return true;
}

void ShapeDemoNetwork(test::LanNetwork& network) {
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

bool Listening(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool connected =
        ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return connected;
}

// The message when a wait ran out: what the window shows.
std::string PageOf(MainWindow& window) {
    return "page " + std::to_string(static_cast<int>(window.currentPage())) + ", popup " +
           (window.popup().isOpen() ? window.popup().messageLabel().text().toStdString() +
                                          window.popup().titleLabel().text().toStdString()
                                    : std::string("closed"));
}

class JourneyLanTest : public ::testing::Test {
  protected:
    JourneyLanTest() {
        MakeDirectories(m_paths.tempDir);
        QDir(m_out).removeRecursively();
        QDir().mkpath(m_out);
    }
    void SetUp() override {
        m_window.setUserActions(m_core.actions());
        m_window.show();
        m_core.StartWorkers();
        ASSERT_TRUE(QTest::qWaitFor([&] { return m_core.shell().shellPid() > 0; }, kStepLimitMs));
        newRecords();
    }
    // After a failure on the way: the program's own order, window first.
    void TearDown() override {
        m_window.close();
        m_core.Shutdown();
    }

    // The window as the user sees it, with the popup or a box over it,
    // saved as NN-name.png.
    QImage snap(const char* name) {
        QApplication::processEvents();
        QImage image = m_window.grab().toImage();
        QPainter painter(&image);
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (top != &m_window && top->isVisible() && !qobject_cast<QMenu*>(top)) {
                painter.drawPixmap(top->pos() - m_window.pos(), top->grab());
            }
        }
        painter.end();
        const QString file =
            QString::asprintf("%s/%02d-%s.png", qPrintable(m_out), ++m_shots, name);
        EXPECT_TRUE(image.save(file)) << file.toStdString();
        return image;
    }

    // The log's records written since the last call, oldest first.
    std::vector<std::string> newRecords() {
        const std::vector<std::string> all = test::LogTexts(m_paths.logPath);
        std::vector<std::string> fresh(
            all.begin() + static_cast<long>(std::min(m_seen, all.size())), all.end());
        m_seen = all.size();
        return fresh;
    }
    // Each text is part of a record the step wrote, in this order.
    void expectStepLogged(const std::vector<std::string>& texts) {
        const std::vector<std::string> records = newRecords();
        auto at = records.begin();
        for (const std::string& text : texts) {
            at = std::find_if(at, records.end(), [&](const std::string& record) {
                return record.find(text) != std::string::npos;
            });
            if (at == records.end()) {
                std::string written;
                for (const std::string& record : records) {
                    written += "\n  " + record;
                }
                ADD_FAILURE() << "no record \"" << text
                              << "\" in its place; the step wrote:" << written;
                return;
            }
            ++at;
        }
    }

    bool waitFor(const std::function<bool()>& done) { return QTest::qWaitFor(done, kStepLimitMs); }
    bool waitForPage(PageId page) {
        return waitFor([&] { return m_window.currentPage() == page; });
    }
    // The prompt the progress popup ends a task with, pictured, then
    // answered with its OK.
    void acknowledgePrompt(const QString& text, const char* picture) {
        ProgressPopup& popup = m_window.popup();
        ASSERT_TRUE(waitFor([&] {
            return popup.isOpen() && popup.mode() == ProgressPopup::Mode::Prompt &&
                   popup.messageLabel().text() == text;
        })) << text.toStdString()
            << " awaited; " << PageOf(m_window);
        snap(picture);
        QTest::mouseClick(&popup.okButton(), Qt::LeftButton);
        EXPECT_FALSE(popup.isOpen());
    }

    void click(PageButton button) {
        ImageButton* target = m_window.pageButton(button);
        ASSERT_NE(target, nullptr);
        ASSERT_TRUE(target->isVisible());
        QTest::mouseClick(target, Qt::LeftButton);
    }
    static void clickAt(QWidget& widget, QPoint point) {
        QTest::mouseClick(&widget, Qt::LeftButton, {}, point);
    }

    AppManagementPage& management() { return m_window.appManagementPage(); }
    CatalogTileGrid& grid() { return management().tileGrid(); }
    InstalledAppList& installed() { return management().installedList(); }
    std::string tileName(int position) {
        const std::optional<CatalogTile> tile = grid().tile(position);
        return tile ? tile->name : std::string();
    }
    std::optional<int> rowOf(const std::string& package) {
        for (int position = 1; position <= installed().count(); ++position) {
            if (installed().row(position)->packageName == package) {
                return position;
            }
        }
        return std::nullopt;
    }
    // A click on the row's action button, where the user sees it.
    void clickRowButton(int position) {
        InstalledAppRows& rows = installed().rows();
        const QRect button = InstalledAppRows::buttonRect().translated(
            0, (position - 1) * InstalledAppRows::kRowHeight - rows.scrollOffset());
        clickAt(rows, button.center());
    }
    std::vector<std::string> rowNames() {
        std::vector<std::string> names;
        for (int position = 1; position <= installed().count(); ++position) {
            names.push_back(installed().row(position)->name + " " +
                            installed().row(position)->version + " " +
                            installed().row(position)->action);
        }
        return names;
    }
    std::optional<std::int64_t> versionOnTheBox(const std::string& package) {
        const std::optional<nlohmann::json> found = m_boxsim.package(kBox, package);
        return found ? std::optional<std::int64_t>((*found)["version_code"].get<std::int64_t>())
                     : std::nullopt;
    }

    // The save dialog of "另存为" is given the path and accepted; one that
    // stays open after that is a failure, as is any other modal window, and
    // is closed, so that none holds the journey for ever. The answering
    // ends with the returned timer.
    static std::unique_ptr<QTimer> answerSaveDialogWith(const QString& path) {
        auto poll = std::make_unique<QTimer>();
        QObject::connect(poll.get(), &QTimer::timeout, poll.get(), [path, ticks = 0]() mutable {
            QWidget* modal = QApplication::activeModalWidget();
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            if (dialog && ticks == 0) {
                // The folder chosen, the name typed: what a user does.
                const QFileInfo file(path);
                dialog->setDirectory(file.absolutePath());
                if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) {
                    name->setText(file.fileName());
                }
                static_cast<QDialog*>(dialog)->accept();  // QFileDialog hides it
                ++ticks;
            } else if (dialog && ++ticks > 40) {
                ADD_FAILURE() << "the save dialog did not take " << path.toStdString();
                dialog->reject();
            } else if (modal && !dialog) {
                QStringList texts;
                for (const QLabel* label : modal->findChildren<QLabel*>()) {
                    texts << label->text();
                }
                ADD_FAILURE() << "an unexpected " << modal->metaObject()->className() << ": "
                              << texts.join(QStringLiteral(" | ")).toStdString();
                modal->close();
            }
        });
        poll->start(50);
        return poll;
    }

    const QString m_out = QStringLiteral(QVPC_BUILD_DIR "/journey");
    bool m_inside = InsideTheHarness();
    test::LanNetwork m_network;
    bool m_shaped = (ShapeDemoNetwork(m_network), true);
    test::BoxsimProcess m_boxsim{DemoBoxes(), m_network.boxLauncher()};
    test::ServiceSimProcess m_sim;
    test::AdbServer m_server;
    test::TempDir m_dir;
    // What make run gives the program, read as the program reads it.
    test::SetVariable m_standIn{"QVPC_INSTALL_STAND_IN_COMPANION", "1"};
    test::SetVariable m_sql{"QVPC_REMOTE_SQL_URL", m_sim.sqlUrl()};
    test::SetVariable m_catalog{"QVPC_CATALOG_HOST", m_sim.hostPort(test::SimService::Catalog)};
    test::SetVariable m_download{"QVPC_DOWNLOAD_HOST", m_sim.hostPort(test::SimService::Download)};
    test::SetVariable m_update{"QVPC_UPDATE_HOST", m_sim.hostPort(test::SimService::Update)};
    test::SetVariable m_stats{"QVPC_STATISTICS_HOST", m_sim.hostPort(test::SimService::Stats)};
    Config m_config = Config::FromEnvironment();
    AppPaths m_paths = AppPaths::UnderDocuments(m_dir.path() + "/Documents");
    Log m_log{m_paths.logPath};
    MainWindow m_window{m_log, m_config, "1.0.0.1"};
    QtScreen m_screen{m_window};
    AppCore m_core{m_paths, m_config, m_log, m_screen, {}, LocalNetwork::Machine()};
    int m_shots = 0;
    std::size_t m_seen = 0;
};

TEST_F(JourneyLanTest, FromTheStartPageThroughEveryPageToTheClose) {
    // The start page.
    ASSERT_EQ(m_window.currentPage(), PageId::Start);
    snap("start");

    // "立即查找": the search page, then the three boxes and the tile of help.
    click(PageButton::StartSearch);
    ASSERT_TRUE(waitForPage(PageId::DeviceList)) << PageOf(m_window);
    DeviceTileList& tiles = m_window.deviceListPage().list();
    std::vector<std::string> shown;
    for (int i = 0; i < tiles.count(); ++i) {
        shown.push_back(tiles.tile(i)->address + " " + tiles.tile(i)->name);
    }
    EXPECT_EQ(shown, (std::vector<std::string>{"10.42.0.45 智能电视", "10.42.0.31 天猫魔盒",
                                               "10.42.0.20 小米盒子", " 设备不在这里?"}));
    snap("device-list");
    expectStepLogged({"立即查找", "盒子型号:小米盒子", "盒子型号:天猫魔盒"});

    // Its tile's "连接": the box's home page with its name.
    const std::optional<int> tile = tiles.find(kBox);
    ASSERT_TRUE(tile);
    clickAt(tiles, tiles.itemRect(*tile).center());
    ASSERT_TRUE(waitForPage(PageId::Home)) << PageOf(m_window);
    ASSERT_TRUE(waitFor([&] { return m_core.engine().currentProgress().empty(); }));
    EXPECT_EQ(m_window.homePage().boxNameLabel().text(), QStringLiteral("小米盒子"));
    snap("home");
    expectStepLogged({"connected to " + kBox + ":5555"});

    // 应用管理: the first category's first page; the companion goes on the box
    // and the box's apps are counted behind the grid.
    click(PageButton::AppManagementTile);
    ASSERT_EQ(m_window.currentPage(), PageId::AppManagement);
    ASSERT_TRUE(waitFor([&] { return management().leftList().count(Action::Upgrade) >= 0; }))
        << PageOf(m_window);
    EXPECT_EQ(grid().count(), 9);
    EXPECT_EQ(tileName(1), "星空直播");
    EXPECT_EQ(management().pager().pageCount(), 3);
    EXPECT_EQ(management().leftList().count(Action::Uninstall), 3);
    EXPECT_EQ(management().leftList().count(Action::Upgrade), 2);
    EXPECT_TRUE(versionOnTheBox("com.quillet.remoteassistant")) << "the companion was put on";
    snap("catalog");
    expectStepLogged({"应用管理_连接成功"});

    // The pager's next page; its first tile's "安装" until "已安装".
    CatalogPager& pager = management().pager();
    clickAt(pager, pager.nextRect().center());
    EXPECT_EQ(pager.selectedPage(), 2);
    ASSERT_EQ(tileName(1), "全球电视");
    snap("catalog-page2");
    clickAt(grid(), CatalogTileGrid::buttonRect(1).center());
    EXPECT_EQ(m_window.popup().titleLabel().text(), QStringLiteral("正在下载全球电视"));
    ASSERT_TRUE(waitFor([&] { return grid().state(1) == QStringLiteral("已安装"); }))
        << grid().state(1).toStdString() << "; " << PageOf(m_window);
    acknowledgePrompt(QStringLiteral("应用安装成功"), "catalog-installed");
    EXPECT_EQ(versionOnTheBox("com.quanqiu.tv"), 510);
    expectStepLogged({"apk_down/全球电视.apk", "Success", "应用安装成功"});

    // "卸载应用": the box's apps; one uninstalled.
    clickAt(management().leftList(), CatalogLeftList::actionRow(Action::Uninstall).center());
    ASSERT_FALSE(management().isCatalogView());
    ASSERT_TRUE(waitFor([&] { return rowOf("com.example.notes").has_value(); }))
        << PageOf(m_window);
    EXPECT_EQ(rowNames(), (std::vector<std::string>{"便签 1.5 卸载", "蓝天电视 2.0.0 卸载",
                                                    "全球电视 5.1.0 卸载", "星空直播 3.0.0 卸载"}));
    EXPECT_EQ(management().leftList().count(Action::Uninstall), 4);
    snap("uninstall-list");
    const int notes = *rowOf("com.example.notes");
    clickRowButton(notes);
    ASSERT_TRUE(waitFor([&] { return installed().row(notes)->state == AppRowState::Done; }))
        << PageOf(m_window);
    EXPECT_EQ(installed().row(notes)->action, "卸载") << "drawn as 卸载完成!";
    EXPECT_FALSE(versionOnTheBox("com.example.notes"));
    snap("uninstalled");
    expectStepLogged({"服务已运行", "\"PackageName\":\"com.example.notes\""});

    // "升级应用": the apps the server has newer; one upgraded.
    clickAt(management().leftList(), CatalogLeftList::actionRow(Action::Upgrade).center());
    ASSERT_TRUE(waitFor([&] { return rowOf("com.xingkong.live").has_value(); }))
        << PageOf(m_window);
    EXPECT_EQ(rowNames(), (std::vector<std::string>{"蓝天电视 2.8.0 更新", "星空直播 3.2.1 更新"}));
    snap("upgrade-list");
    const int live = *rowOf("com.xingkong.live");
    clickRowButton(live);
    ASSERT_TRUE(waitFor([&] { return installed().row(live)->state == AppRowState::Done; }))
        << PageOf(m_window);
    EXPECT_EQ(installed().row(live)->action, "更新") << "drawn as 更新完成!";
    acknowledgePrompt(QStringLiteral("应用安装成功"), "upgraded");
    EXPECT_EQ(versionOnTheBox("com.xingkong.live"), 321);
    EXPECT_EQ(management().leftList().count(Action::Upgrade), 1);
    expectStepLogged({"更新应用星空直播", "tmp/星空直播.apk", "Success", "应用安装成功"});

    // Back home, then the remote install page and a dropped APK.
    click(PageButton::AppManagementBack);
    ASSERT_EQ(m_window.currentPage(), PageId::Home);
    click(PageButton::RemoteInstallTile);
    ASSERT_EQ(m_window.currentPage(), PageId::RemoteInstall);
    snap("remote-install");
    const std::string apk = m_dir.path() + "/旅程 \"app\".apk";
    const test::CommandResult made =
        test::RunCommand(test::MkapkPath() + " --out '" + apk +
                         "' --package com.example.journey --version-code 7 --label 旅程");
    ASSERT_EQ(made.exitCode, 0) << made.output;
    {
        TextLabel& area = m_window.remoteInstallPage().dropArea();
        QMimeData files;
        files.setUrls({QUrl::fromLocalFile(QString::fromStdString(apk))});
        QDragEnterEvent enter(area.rect().center(), Qt::CopyAction, &files, Qt::LeftButton, {});
        QCoreApplication::sendEvent(&area, &enter);
        ASSERT_TRUE(enter.isAccepted());
        QDropEvent drop(area.rect().center(), Qt::CopyAction, &files, Qt::LeftButton, {});
        QCoreApplication::sendEvent(&area, &drop);
    }
    acknowledgePrompt(QStringLiteral("应用安装成功"), "remote-installed");
    EXPECT_EQ(versionOnTheBox("com.example.journey"), 7);
    expectStepLogged({"远程安装_点击进入", apk, "Success", "应用安装成功"});

    // The screenshot: the busy page, then the TV's picture, saved as a name
    // with Chinese and quotes.
    click(PageButton::RemoteInstallBack);
    click(PageButton::ScreenshotTile);
    BusyPage& busy = m_window.busyPage();
    ASSERT_EQ(m_window.currentPage(), PageId::Busy);
    EXPECT_EQ(busy.title(), QStringLiteral("正在截屏,请稍后..."));
    snap("screenshot-busy");
    ASSERT_TRUE(waitFor([&] { return busy.isScreenshotMode(); })) << PageOf(m_window);
    EXPECT_EQ(busy.screenshot().image().size(), QSize(1280, 720)) << "the box's screen";
    snap("screenshot");
    // Qt's own dialog reads a typed " as the start of a list of names, so
    // the double quotes are in the folder's name.
    const std::string folder = m_dir.path() + "/客厅的\"电视\"";
    std::filesystem::create_directory(folder);
    const std::string saved = folder + "/截图 'shot'.png";
    const std::unique_ptr<QTimer> answering = answerSaveDialogWith(QString::fromStdString(saved));
    {
        // A right click, as the window system reports it to the picture.
        ImageBox& picture = busy.screenshot();
        QContextMenuEvent rightClick(QContextMenuEvent::Mouse, picture.rect().center(),
                                     picture.mapToGlobal(picture.rect().center()));
        QCoreApplication::sendEvent(&picture, &rightClick);
    }
    QMenu& menu = busy.menu().menu();
    ASSERT_TRUE(waitFor([&] { return menu.isVisible(); }));
    QAction* saveAs = nullptr;
    for (QAction* item : menu.actions()) {
        saveAs = item->text() == QStringLiteral("另存为") ? item : saveAs;
    }
    ASSERT_NE(saveAs, nullptr);
    clickAt(menu, menu.actionGeometry(saveAs).center());
    ASSERT_TRUE(waitFor([&] { return std::filesystem::exists(saved); }));
    EXPECT_EQ(test::ReadFile(saved), test::ReadFile(m_paths.dataDir + "/screenshot.png"));
    EXPECT_EQ(QImage(QString::fromStdString(saved)).size(), QSize(1280, 720));
    expectStepLogged({"远程安装_返回"});

    // Its close button, then "断开连接".
    QTest::mouseClick(&busy.closeButton(), Qt::LeftButton);
    ASSERT_EQ(m_window.currentPage(), PageId::Home);
    click(PageButton::Disconnect);
    ASSERT_TRUE(waitForPage(PageId::Start)) << PageOf(m_window);
    ASSERT_TRUE(waitFor([&] { return m_core.engine().currentProgress().empty(); }));
    EXPECT_EQ(test::RunAdb("devices").output.find(kBox), std::string::npos);
    snap("disconnected");
    expectStepLogged({"断开连接"});

    // The title band's close: the window goes, the program shuts down.
    QSignalSpy closed(&m_window, &MainWindow::closed);
    QTest::mouseClick(&m_window.closeButton(), Qt::LeftButton);
    ASSERT_EQ(closed.count(), 1);
    EXPECT_FALSE(m_window.isVisible());
    const auto before = std::chrono::steady_clock::now();
    m_core.Shutdown();
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(15));
    EXPECT_FALSE(m_core.shell().running());
    EXPECT_FALSE(Listening(m_server.port())) << "the ADB server was stopped";
    EXPECT_EQ(newRecords(), std::vector<std::string>{}) << "the shutdown met no failure";
}

}  // namespace
}  // namespace qvpc::ui
