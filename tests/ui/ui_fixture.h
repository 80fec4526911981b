#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QColor>
#include <QImage>
#include <QRect>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "base/config.h"
#include "base/log.h"
#include "base/user_actions.h"
#include "support/page_printing.h"
#include "support/temp_dir.h"
#include "ui/main_window.h"
#include "ui/qt_screen.h"

namespace qvpc::ui::test {

// Records what the pages asked the core to do, one line per call.
class RecordingUserActions : public UserActions {
  public:
    void startLanScan() override { record("startLanScan"); }
    void connectTypedAddress(const std::string& typed) override {
        record("connectTypedAddress " + typed);
    }
    void disconnect() override { record("disconnect"); }
    void connectToTile(const DeviceTile& tile) override {
        record("connectToTile " + tile.address + " " + tile.name + " " + std::to_string(tile.port));
    }
    void retryConnect() override { record("retryConnect"); }
    void finishGuide() override { record("finishGuide"); }
    void enterRemoteInstall() override { record("enterRemoteInstall"); }
    void enterAppManagement() override { record("enterAppManagement"); }
    void leaveAppManagement() override { record("leaveAppManagement"); }
    void installMarketApp() override { record("installMarketApp"); }
    void onFilesDropped(const std::string& text) override { record("onFilesDropped " + text); }
    void onDropAreaClick() override { record("onDropAreaClick"); }
    void showCatalogCategory(int category) override {
        record("showCatalogCategory " + std::to_string(category));
    }
    void showCatalogPage(int page) override { record("showCatalogPage " + std::to_string(page)); }
    void downloadCatalogApp(int position) override {
        record("downloadCatalogApp " + std::to_string(position));
    }
    void loadInstalledApps() override { record("loadInstalledApps"); }
    void showUpgradeList() override { record("showUpgradeList"); }
    void onInstalledRowClick(int position, int x, int y) override {
        record("onInstalledRowClick " + std::to_string(position) + " " + std::to_string(x) + " " +
               std::to_string(y));
    }
    void takeScreenshot() override { record("takeScreenshot"); }
    void saveScreenshotAs() override { record("saveScreenshotAs"); }
    void openScreenshotFolder() override { record("openScreenshotFolder"); }
    void abortCompanionBootstrap() override { record("abortCompanionBootstrap"); }
    void checkForUpdate() override { record("checkForUpdate"); }

    std::vector<std::string> calls() {
        std::lock_guard lock(m_mutex);
        return m_calls;
    }

  private:
    void record(std::string call) {
        std::lock_guard lock(m_mutex);
        m_calls.push_back(std::move(call));
    }

    std::mutex m_mutex;
    std::vector<std::string> m_calls;
};

// Tiles of the device list as a scan makes them: a box, and the
// manual-connect tile that ends the list.
inline DeviceTile Device(const std::string& address, const std::string& name, int port = 5555) {
    return {"tile.png", address, name, "连接", "00-11-22-33-44-55", port};
}
inline DeviceTile ManualTile() {
    return {"tile.png", "", "设备不在这里?", "手动连接新设备", "", 0};
}

// Checks of a picture that stay clear of glyph details: colours at points
// and in areas, with a tolerance per colour channel.

// The smallest rectangle within area that holds every pixel differing from
// background by more than tolerance in a colour channel; empty if none does.
QRect InkBounds(const QImage& image, const QRect& area, QColor background, int tolerance = 24);

// The smallest rectangle within area that holds every pixel within tolerance
// of colour in each channel; empty if none is.
QRect ColourBounds(const QImage& image, const QRect& area, QColor colour, int tolerance = 16);

// The pixel at `at` is within tolerance of expected in each channel.
::testing::AssertionResult PixelNear(const QImage& image, QPoint at, QColor expected,
                                     int tolerance = 6);

// What is drawn in searched on its background is something, and lies within
// allowed: a text inside its label, a picture inside its box.
::testing::AssertionResult InkWithin(const QImage& image, const QRect& searched,
                                     const QRect& allowed, QColor background, int tolerance = 24);

// Nothing but the shadow (black of any opacity) lies outside frame.
::testing::AssertionResult NothingOutside(const QImage& image, const QRect& frame);

// One log record as written: its category and its text.
struct LogRecord {
    std::string category;
    std::string text;
    bool operator==(const LogRecord&) const = default;
};

// A fresh main window with its screen, a recording core and a log of its own.
class UiTest : public ::testing::Test {
  protected:
    UiTest();
    ~UiTest() override;

    // The records of the log, oldest first.
    std::vector<LogRecord> logRecords() const;
    std::vector<std::string> mainLogTexts() const;

    // The window as drawn, cut to a widget of it, in that widget's coordinates.
    QImage pictureOf(QWidget& widget);

    void click(QWidget* widget);
    void clickButton(PageButton id);

    // Runs the event loop until done() holds or two seconds have passed.
    bool waitFor(const std::function<bool()>& done);

    // Answers the next message box that opens (while this thread runs its
    // event loop) with the button at index; -1 closes it without a button.
    // The texts it showed land in shownMessage and shownTitle.
    void answerNextBox(int index);

    qvpc::test::TempDir m_dir;
    Log m_log;
    Config m_config;
    RecordingUserActions m_actions;
    std::vector<QString> m_openedUrls;
    std::unique_ptr<MainWindow> m_window;
    std::unique_ptr<QtScreen> m_screen;
    QString shownMessage;
    QString shownTitle;
};

}  // namespace qvpc::ui::test
