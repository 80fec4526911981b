// Saves a picture of every page, box and popup under the build tree
// (build/ui-pages/), so that a person can look at them.
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QPixmap>

#include "ui/busy_page.h"
#include "ui/device_list_page.h"
#include "ui/device_tile_list.h"
#include "ui/guide_page.h"
#include "ui/msg_box_presenter.h"
#include "ui/pictures.h"
#include "ui/progress_popup.h"
#include "ui/toolkit/button_skin.h"
#include "ui_fixture.h"

namespace qvpc::ui::test {
namespace {

class PageSnapshots : public UiTest {
  protected:
    PageSnapshots() : m_out(QStringLiteral(QVPC_BUILD_DIR "/ui-pages")) { QDir().mkpath(m_out); }

    // The window with any box or popup drawn where it sits over it.
    QImage picture() {
        QApplication::processEvents();
        QImage image = m_window->grab().toImage();
        QPainter painter(&image);
        for (QWidget* top :
             {m_window->msgBoxes().openBox(), static_cast<QWidget*>(&m_window->popup())}) {
            if (top && top->isVisible()) {
                painter.drawPixmap(top->pos() - m_window->pos(), top->grab());
            }
        }
        return image;
    }

    void save(const QString& name) {
        const QImage image = picture();
        EXPECT_FALSE(image.isNull());
        EXPECT_TRUE(image.save(m_out + QLatin1Char('/') + name + QStringLiteral(".png")))
            << name.toStdString();
    }

    // Saves the window while a box of this request is open, then answers it.
    void saveWithBox(const QString& name, const MsgBoxRequest& request) {
        QTimer::singleShot(50, [this, name] {
            save(name);
            answerNextBox(0);
        });
        m_screen->MsgBox(request);
    }

    QString m_out;
};

TEST_F(PageSnapshots, SavesEveryPage) {
    m_screen->setManualAddress("192.168.1.");
    save(QStringLiteral("page6-start"));

    m_screen->ShowBusyPage(
        BusyPageRequest::Enter("正在查找设备 ... ...", "提示：请连接在同一网络环境下"));
    save(QStringLiteral("page1-busy"));

    QImage tv(1280, 720, QImage::Format_RGB32);
    {
        QPainter painter(&tv);
        QLinearGradient sky(0, 0, 1280, 720);
        sky.setColorAt(0, QColor(0x12, 0x3a, 0x6b));
        sky.setColorAt(1, QColor(0xe0, 0x7a, 0x3c));
        painter.fillRect(tv.rect(), sky);
        painter.setPen(Qt::white);
        painter.setFont(QFont(QStringLiteral("微软雅黑"), 60));
        painter.drawText(tv.rect(), Qt::AlignCenter, QString::fromUtf8("电视画面"));
    }
    const QString shot = QString::fromStdString(m_dir.path() + "/screenshot.png");
    ASSERT_TRUE(tv.save(shot));
    m_screen->setScreenshotPicture(shot.toStdString());
    m_screen->ShowBusyPage(BusyPageRequest::ShowScreenshot());
    save(QStringLiteral("page1-screenshot"));

    m_screen->clearDeviceTiles();
    m_screen->addDeviceTileInFront(ManualTile());
    m_screen->addDeviceTileInFront(Device("192.168.1.25", "小米盒子3"));
    m_screen->addDeviceTileInFront(Device("192.168.1.31", "智能电视"));
    m_screen->addDeviceTileInFront(Device("192.168.1.102", "天猫魔盒M17"));
    m_screen->ShowPage(PageId::DeviceList);
    save(QStringLiteral("page2-devices"));
    DeviceTileList& list = m_window->deviceListPage().list();
    QTest::mouseMove(&list, list.itemRect(1).center());
    save(QStringLiteral("page2-devices-hover"));
    QTest::mouseMove(m_window.get(), QPoint(5, 5));

    m_screen->ShowPage(PageId::NotFound);
    save(QStringLiteral("page3-nodevice"));
    m_screen->ShowPage(PageId::Start);
    m_screen->ShowPage(PageId::NotFound, "连接失败,请确认盒子已打开ADB调试");
    save(QStringLiteral("page3-failed"));
    m_screen->ShowPage(PageId::Start);
    m_screen->ShowPage(PageId::NotFound,
                       "很抱歉，由于您电脑上安装的豌豆荚或腾讯手机助手或百度手机助手等助手类软件与"
                       "本程序冲突，建议关闭所有助手类软件，并拔出与电脑连接的安卓设备，再重新试一"
                       "次，如果仍然不行，只能说明，您装的软件太霸道了，只有把他卸载，本程序才能正"
                       "常运行。");
    save(QStringLiteral("page3-failed-long"));

    m_screen->setBoxName("天猫魔盒");
    m_screen->ShowPage(PageId::Home);
    save(QStringLiteral("page4-home"));

    m_screen->ShowPage(PageId::Guide);
    for (int step = 1; step <= 4; ++step) {
        m_window->guidePage().ShowGuideStep(step);
        save(QStringLiteral("page5-guide-step%1").arg(step));
    }

    m_screen->ShowPage(PageId::ManualIp);
    save(QStringLiteral("page7-manual-ip"));
    m_screen->ShowPage(PageId::RemoteInstall);
    save(QStringLiteral("page8-remote-install"));
    m_screen->ShowPage(PageId::AppManagement);
    save(QStringLiteral("page9-app-management"));
}

TEST_F(PageSnapshots, SavesBoxesAndPopups) {
    m_screen->ShowPage(PageId::Home);
    MsgBoxRequest one;
    one.message = "IP地址格式不正确";
    saveWithBox(QStringLiteral("msgbox-1-button"), one);

    MsgBoxRequest two;
    two.title = "连接断开";
    two.message = "您的电脑与盒子的连接断开\r\n请重新连接盒子";
    two.buttonCount = 2;
    saveWithBox(QStringLiteral("msgbox-2-buttons"), two);

    MsgBoxRequest three;
    three.title = "发现新版本";
    three.message = "发现新版本 1.0.0.2,是否立即更新?";
    three.buttonCount = 3;
    saveWithBox(QStringLiteral("msgbox-3-buttons"), three);

    QTimer::singleShot(50, [this] {
        save(QStringLiteral("msgbox-system"));
        m_window->msgBoxes().openBox()->close();
    });
    m_screen->SystemMsgBox({"文件不存在,请重新截图.", "", 0});

    m_screen->ShowInstalling("正在安装... ...", true);
    save(QStringLiteral("popup-install-0"));
    m_screen->setPercentText("63%");
    save(QStringLiteral("popup-install-63"));
    m_screen->ShowDownloading("/tmp/Kestrune市场.apk", "正在下载");
    m_screen->setDownloadProgress(58);
    save(QStringLiteral("popup-download"));
    m_screen->ShowPrompt("不是有效的apk文件");
    save(QStringLiteral("popup-prompt"));
    m_screen->ClosePopup();
}

TEST_F(PageSnapshots, SavesTheButtonStates) {
    struct Row {
        ButtonSkin skin;
        QSize size;
    };
    const Row rows[] = {
        {ButtonSkin::primary(), {160, 40}},
        {ButtonSkin::secondary(), {90, 40}},
        {ButtonSkin::slate(), {90, 40}},
        {ButtonSkin::muted(), {76, 30}},
        {ButtonSkin::outline(QColor(8, 159, 90)), {160, 40}},
        {pictures::GuideArrow(true), {32, 32}},
        {pictures::PopupClose(), {48, 42}},
        {pictures::TitleBarButton(true), {44, 42}},
        {pictures::HomeTileSkin(pictures::HomeTile::Market), {230, 130}},
    };
    QImage sheet(3 * 250 + 20, 9 * 140 + 20, QImage::Format_ARGB32_Premultiplied);
    sheet.fill(QColor(0x41, 0x4a, 0x5f));
    QPainter painter(&sheet);
    int y = 10;
    for (const Row& row : rows) {
        int x = 10;
        for (ButtonState state : {ButtonState::Normal, ButtonState::Hover, ButtonState::Pressed}) {
            painter.drawPixmap(x, y, row.skin.pixmap(row.size, 1, state));
            x += 250;
        }
        y += row.size.height() + 12;
    }
    painter.end();
    EXPECT_TRUE(
        sheet.copy(0, 0, sheet.width(), y).save(m_out + QStringLiteral("/button-states.png")));
}

}  // namespace
}  // namespace qvpc::ui::test
