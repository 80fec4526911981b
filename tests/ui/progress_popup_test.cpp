// The progress popup: its modes, its place, and what it does to the window.
#include "ui/progress_popup.h"

#include <QImage>
#include <cmath>
#include <thread>

#include "ui/toolkit/image_box.h"
#include "ui/toolkit/image_button.h"
#include "ui/toolkit/progress_bar.h"
#include "ui/toolkit/text_label.h"
#include "ui_fixture.h"

namespace qvpc::ui::test {
namespace {

using ProgressPopupTest = UiTest;

// Which of the popup's controls show, as one word each.
std::string Visible(ProgressPopup& popup) {
    const std::pair<const char*, QWidget*> controls[] = {
        {"ring", &popup.ring()},
        {"percent", &popup.percentLabel()},
        {"install", &popup.installLabel()},
        {"bar", &popup.progressBar()},
        {"close", &popup.closeButton()},
        {"message", &popup.messageLabel()},
        {"ok", &popup.okButton()},
        {"title", &popup.titleLabel()},
    };
    std::string shown;
    for (const auto& [name, control] : controls) {
        if (!control->isHidden()) {
            shown += std::string(shown.empty() ? "" : " ") + name;
        }
    }
    return shown;
}

TEST_F(ProgressPopupTest, ThreeModes) {
    ProgressPopup& popup = m_window->popup();
    m_screen->ShowInstalling("正在安装... ...", false);
    EXPECT_EQ(Visible(popup), "ring percent install");
    EXPECT_EQ(popup.installLabel().text(), QString::fromUtf8("正在安装... ..."));
    EXPECT_FALSE(m_window->body().isEnabled());
    EXPECT_TRUE(m_window->isShaded());

    m_screen->ShowDownloading("/home/u/Documents/RiVod/Kestrune市场.apk", "正在下载");
    EXPECT_EQ(Visible(popup), "bar title");
    EXPECT_EQ(popup.titleLabel().text(), QString::fromUtf8("正在下载Kestrune市场"));
    m_screen->setDownloadProgress(42);
    EXPECT_EQ(popup.progressBar().value(), 42);

    m_screen->ShowPrompt("不是有效的apk文件");
    EXPECT_EQ(Visible(popup), "message ok");
    EXPECT_EQ(popup.messageLabel().text(), QString::fromUtf8("不是有效的apk文件"));
    EXPECT_EQ(popup.okButton().text(), QString::fromUtf8("确定"));

    click(&popup.okButton());
    EXPECT_FALSE(popup.isOpen());
    EXPECT_TRUE(m_window->body().isEnabled());
    EXPECT_FALSE(m_window->isShaded());
}

TEST_F(ProgressPopupTest, TheTitleBandButtonsStillWorkWhileItIsOpen) {
    bool closed = false;
    QObject::connect(m_window.get(), &MainWindow::closed, [&] { closed = true; });
    m_screen->ShowInstalling("正在安装... ...", false);
    clickButton(PageButton::StartSearch);
    EXPECT_TRUE(m_actions.calls().empty());  // the rest of the window is blocked
    click(&m_window->minimiseButton());
    EXPECT_TRUE(m_window->isMinimized());
    m_window->showNormal();
    click(&m_window->closeButton());
    EXPECT_TRUE(closed);
    EXPECT_FALSE(m_window->isVisible());
    EXPECT_FALSE(m_window->popup().isOpen());
}

TEST_F(ProgressPopupTest, InstallModeWithTheCloseButton) {
    m_screen->ShowInstalling("正在安装助手... ...", true);
    EXPECT_EQ(Visible(m_window->popup()), "ring percent install close");
    EXPECT_EQ(m_window->popup().closeButton().geometry(), QRect(345, 0, 48, 42));
}

TEST_F(ProgressPopupTest, PercentIsWrittenFromAnyThread) {
    m_screen->ShowInstalling("正在安装... ...", false);
    bool written = false;
    std::thread worker([&] {
        m_screen->setPercentText("37%");
        written = true;
    });
    ASSERT_TRUE(waitFor([&] { return written; }));
    worker.join();
    EXPECT_EQ(m_window->popup().percentLabel().text(), QStringLiteral("37%"));
}

TEST_F(ProgressPopupTest, APopupOpenedAgainStartsClean) {
    m_screen->ShowInstalling("a", false);
    m_screen->setPercentText("100%");
    m_screen->ShowPrompt("b");  // switching modes keeps the popup as it is
    EXPECT_EQ(m_window->popup().percentLabel().text(), QStringLiteral("100%"));
    m_screen->ClosePopup();
    m_screen->ShowInstalling("c", false);
    EXPECT_EQ(m_window->popup().percentLabel().text(), QString());
}

// How far round the ring its arc goes, to the nearest 2 %, as drawn: the
// ring is sampled on its centre line clockwise from twelve o'clock, and a
// sample counts where it shows the accent's green rather than the track.
int DrawnRingPercent(const QImage& ring) {
    const QPointF centre(ring.width() / 2.0, ring.height() / 2.0);
    const double radius = ring.width() / 2.0 - 6;
    int lit = 0;
    for (int step = 0; step < 50; ++step) {
        const double turn = (step + 0.5) / 50 * 2 * M_PI;
        const QColor c = ring.pixelColor(
            QPointF(centre.x() + radius * std::sin(turn), centre.y() - radius * std::cos(turn))
                .toPoint());
        if (c.alpha() > 200 && c.green() - c.red() > 80) {
            ++lit;
        }
    }
    return lit * 2;
}

TEST_F(ProgressPopupTest, TheRingFillsAsFarAsThePercentLabelSays) {
    const std::pair<const char*, int> cases[] = {
        {"", 0}, {"0%", 0}, {"7%", 8}, {"63%", 64}, {"99%", 100}, {"100%", 100}, {"250%", 100},
    };
    ProgressPopup& popup = m_window->popup();
    m_screen->ShowInstalling("正在安装... ...", false);
    for (const auto& [label, drawn] : cases) {
        m_screen->setPercentText(label);
        // The round ends of the arc may light one sample more.
        EXPECT_NEAR(DrawnRingPercent(popup.ring().grab().toImage()), drawn, 2) << label;
    }
    // A fresh opening starts from an empty ring.
    m_screen->ClosePopup();
    m_screen->ShowInstalling("正在安装... ...", false);
    EXPECT_EQ(DrawnRingPercent(popup.ring().grab().toImage()), 0);
}

TEST(RingPercentTest, LeadingNumberOfTheLabelClamped) {
    const std::pair<const char*, int> cases[] = {
        {"63%", 63}, {" 5%", 5}, {"100%", 100}, {"250%", 100}, {"99999999999%", 100},
        {"", 0},     {"%", 0},   {"安装中", 0}, {"-5%", 0},
    };
    for (const auto& [label, percent] : cases) {
        EXPECT_EQ(RingPercentOf(QString::fromUtf8(label)), percent) << label;
    }
}

TEST(ProgressPopupPositionTest, CentredOverTheWindowOrOnTheScreen) {
    const QRect screen(0, 0, 1920, 1080);
    EXPECT_EQ(ProgressPopup::Position(QRect(497, 227, 926, 626), screen), QPoint(760, 420));
    EXPECT_EQ(ProgressPopup::Position(QRect(1700, 227, 926, 626), screen), QPoint(760, 420));
    EXPECT_EQ(ProgressPopup::Position(QRect(497, 900, 926, 626), screen), QPoint(760, 420));
}

TEST(DisplayNameTest, FileNameWithoutExtension) {
    const std::pair<const char*, const char*> cases[] = {
        {"/a/b/video.player.apk", "video.player"},
        {"D:\\x\\Kestrune市场.apk", "Kestrune市场"},
        {"/a/x.apk copy", "x.apk copy"},
        {"/a/b/noext", "noext"},
    };
    for (const auto& [path, name] : cases) {
        EXPECT_EQ(DisplayNameOf(QString::fromUtf8(path)), QString::fromUtf8(name)) << path;
    }
}

}  // namespace
}  // namespace qvpc::ui::test
