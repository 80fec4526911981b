// Saves a picture of every page, box and popup under the build tree
// (build/ui-pages/), so that a person can look at them, and checks on each
// picture a few facts of the drawing: colours at known places, texts inside
// their labels, buttons where the layout puts them.
#include "page_snapshots.h"

#include "ui/app_management_page.h"
#include "ui/busy_page.h"
#include "ui/catalog_left_list.h"
#include "ui/catalog_pager.h"
#include "ui/catalog_tile_grid.h"
#include "ui/device_list_page.h"
#include "ui/device_tile_list.h"
#include "ui/guide_page.h"
#include "ui/home_page.h"
#include "ui/manual_ip_page.h"
#include "ui/msg_box_presenter.h"
#include "ui/not_found_page.h"
#include "ui/pictures.h"
#include "ui/progress_popup.h"
#include "ui/remote_install_page.h"
#include "ui/toolkit/button_skin.h"

namespace qvpc::ui::test {
namespace {

TEST_F(PageSnapshots, SavesEveryPage) {
    m_screen->setManualAddress("192.168.1.");
    {
        const QWidget& page = m_window->page(PageId::Start);
        const QImage image = save(QStringLiteral("page6-start"));
        // The green start button in the middle of the circles, its two lines
        // of white text centred in it.
        const QRect button = at(page, {364, 237, 172, 62});
        EXPECT_TRUE(FaceAt(image, button, kGreen));
        const QRect text = ColourBounds(image, button.adjusted(3, 3, -3, -3), kWhite, 60);
        EXPECT_GT(text.height(), 36) << "two lines";
        EXPECT_TRUE(CentredOn(text, button.center().x()));
        EXPECT_TRUE(PixelNear(image, at(page, {257, 268}), 0xffeceef2, 4)) << "the outer ring";
        EXPECT_TRUE(PixelNear(image, at(page, {20, 20}), kBody, 2));
    }

    m_screen->ShowBusyPage(
        BusyPageRequest::Enter("正在查找设备 ... ...", "提示：请连接在同一网络环境下"));
    {
        const QWidget& page = m_window->busyPage();
        const QImage image = save(QStringLiteral("page1-busy"));
        EXPECT_TRUE(PixelNear(image, at(page, {20, 20}), kBody, 2));
        EXPECT_TRUE(PixelNear(image, at(page, {880, 500}), kBody, 2));
        // The turning picture stays in its square, the texts in their labels.
        EXPECT_TRUE(InkWithin(image, at(page, {300, 60, 300, 280}), at(page, {340, 98, 220, 220}),
                              kBody, 8));
        const QRect title = at(page, {0, 348, 900, 34});
        EXPECT_TRUE(InkWithin(image, at(page, {0, 322, 900, 68}), title, kBody));
        EXPECT_TRUE(CentredOn(InkBounds(image, title, kBody), title.center().x()));
        EXPECT_TRUE(
            InkWithin(image, at(page, {0, 386, 900, 44}), at(page, {0, 394, 900, 20}), kBody));
    }

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
    {
        const QWidget& page = m_window->busyPage();
        const QImage image = save(QStringLiteral("page1-screenshot"));
        // The 16:9 picture fills the page's width between two dark bands.
        EXPECT_TRUE(PixelNear(image, at(page, {450, 3}), kScreenBackdrop, 2));
        EXPECT_TRUE(PixelNear(image, at(page, {450, 522}), kScreenBackdrop, 2));
        EXPECT_TRUE(PixelNear(image, at(page, {4, 16}), 0xff123a6b, 10)) << "its blue corner";
        EXPECT_TRUE(PixelNear(image, at(page, {896, 510}), 0xffe07a3c, 10)) << "its orange corner";
        // The close button in the top right corner: a white cross on a dark disc.
        EXPECT_TRUE(PixelNear(image, at(page, {870, 30}), kWhite, 40));
        EXPECT_LT(image.pixelColor(at(page, {859, 30})).lightness(), 90);
    }

    m_screen->clearDeviceTiles();
    m_screen->addDeviceTileInFront(ManualTile());
    m_screen->addDeviceTileInFront(Device("192.168.1.25", "小米盒子3"));
    m_screen->addDeviceTileInFront(Device("192.168.1.31", "智能电视"));
    m_screen->addDeviceTileInFront(Device("192.168.1.102", "天猫魔盒M17"));
    m_screen->ShowPage(PageId::DeviceList);
    DeviceTileList& list = m_window->deviceListPage().list();
    // Three tiles a row, 266 apart across and 236 down, the first row 30 down.
    const auto card = [&](int i) {
        return at(list, QRect(266 * (i % 3), 30 + 236 * (i / 3), 206, 206));
    };
    // The strip under the tile's picture that carries the button text, clear
    // of its round corners.
    const auto strip = [&](int i) { return card(i).adjusted(12, 162, -12, -6); };
    {
        const QImage image = save(QStringLiteral("page2-devices"));
        for (int i = 0; i < 4; ++i) {
            SCOPED_TRACE(i);
            EXPECT_TRUE(PixelNear(image, card(i).topLeft() + QPoint(12, 12), kWhite, 2));
            EXPECT_TRUE(PixelNear(image, card(i).topLeft() + QPoint(12, 169), kWhite, 2));
        }
        EXPECT_TRUE(PixelNear(image, at(list, {236, 130}), kBody, 2)) << "between two tiles";
        for (int i = 0; i < 3; ++i) {
            SCOPED_TRACE(i);
            const QRect connect = ColourBounds(image, strip(i), kGreen, 40);
            EXPECT_TRUE(CentredOn(connect, card(i).center().x(), 4)) << "连接, green";
            // The address in its line over the name.
            EXPECT_TRUE(InkWithin(image, card(i).adjusted(1, 96, -1, -77),
                                  card(i).adjusted(8, 104, -8, -78), kWhite));
        }
        const QRect manual = ColourBounds(image, strip(3), kSlate, 30);
        EXPECT_TRUE(CentredOn(manual, card(3).center().x(), 4)) << "手动连接新设备, slate";
        EXPECT_TRUE(ColourBounds(image, strip(3), kGreen, 40).isEmpty());
    }
    QTest::mouseMove(&list, list.itemRect(1).center());
    {
        const QImage image = save(QStringLiteral("page2-devices-hover"));
        // The tile under the mouse turns its strip green, with white text,
        // and its border; the others stay as they were.
        EXPECT_TRUE(PixelNear(image, card(1).topLeft() + QPoint(12, 169), kGreen, 4));
        EXPECT_TRUE(CentredOn(ColourBounds(image, strip(1), kWhite, 40), card(1).center().x(), 4));
        EXPECT_TRUE(PixelNear(image, card(1).topLeft() + QPoint(0, 100), kGreen, 8));
        EXPECT_TRUE(PixelNear(image, card(0).topLeft() + QPoint(12, 169), kWhite, 2));
        EXPECT_TRUE(PixelNear(image, card(2).topLeft() + QPoint(12, 169), kWhite, 2));
    }
    QTest::mouseMove(m_window.get(), QPoint(5, 5));

    // Page 3 in its three forms: the badge on the picture tells them apart,
    // the hint sits under the buttons.
    struct NotFound {
        const char* name;
        const char* failure;
        QRgb badge;
        bool wraps;
    };
    const NotFound forms[] = {
        {"page3-nodevice", "", 0xfff5a623, false},
        {"page3-failed", "连接失败,请确认盒子已打开ADB调试", 0xffe85a4f, false},
        {"page3-failed-long",
         "很抱歉，由于您电脑上安装的豌豆荚或腾讯手机助手或百度手机助手等助手类软件与本程序冲突，"
         "建议关闭所有助手类软件，并拔出与电脑连接的安卓设备，再重新试一次，如果仍然不行，只能说明"
         "，"
         "您装的软件太霸道了，只有把他卸载，本程序才能正常运行。",
         0xffe85a4f, true},
    };
    for (const NotFound& form : forms) {
        SCOPED_TRACE(form.name);
        const QWidget& page = m_window->notFoundPage();
        m_screen->ShowPage(PageId::Start);
        m_screen->ShowPage(PageId::NotFound, form.failure);
        const QImage image = save(QString::fromUtf8(form.name));
        EXPECT_TRUE(PixelNear(image, at(page, {502, 192}), form.badge, 6));
        EXPECT_TRUE(
            InkWithin(image, at(page, {175, 236, 550, 96}), at(page, {175, 256, 550, 40}), kBody))
            << "the caption under the picture";
        EXPECT_TRUE(FaceAt(image, at(page, {270, 338, 160, 40}), kGreen)) << "再试一次";
        EXPECT_TRUE(FaceAt(image, at(page, {470, 338, 160, 40}), kGreen)) << "输入IP连接设备";
        const QRect below = at(page, {0, 444, 900, 82});
        if (form.wraps) {
            const QRect hint = InkBounds(image, below, kBody);
            EXPECT_TRUE(at(page, {40, 444, 820, 80}).contains(hint));
            EXPECT_GT(hint.height(), 2 * 14) << "two lines";
        } else {
            EXPECT_TRUE(InkWithin(image, below, at(page, {0, 452, 900, 20}), kBody));
        }
        EXPECT_TRUE(CentredOn(InkBounds(image, below, kBody), at(page, QPoint(450, 0)).x(), 12));
    }

    m_screen->setBoxName("天猫魔盒");
    m_screen->ShowPage(PageId::Home);
    {
        const QWidget& page = m_window->homePage();
        const QImage image = save(QStringLiteral("page4-home"));
        EXPECT_TRUE(PixelNear(image, at(page, {450, 30}), kHeaderBand, 2));
        EXPECT_TRUE(PixelNear(image, at(page, {450, 59}), 0xffd9dce1, 2)) << "the header's rule";
        // The name in its label, 88 wide for its 8 GBK bytes, and "断开连接" after it.
        EXPECT_TRUE(
            InkWithin(image, at(page, {0, 0, 165, 58}), at(page, {16, 20, 88, 24}), kHeaderBand));
        EXPECT_TRUE(FaceAt(image, at(page, {170, 12, 90, 40}), kSlate));
        // The four tiles, each in its colour.
        struct Tile {
            QRect place;
            QPoint sample;  // clear of icon, texts and watermark
            QRgb colour;
        };
        const Tile tiles[] = {
            {{55, 157, 270, 270}, {250, 20}, 0xffe9573f},
            {{335, 157, 270, 270}, {250, 20}, 0xfff2a516},
            {{615, 157, 230, 130}, {143, 15}, 0xff3b8fe8},
            {{615, 297, 230, 130}, {143, 15}, 0xff1fb36b},
        };
        for (const Tile& tile : tiles) {
            const QRect place = at(page, tile.place);
            EXPECT_TRUE(PixelNear(image, place.topLeft() + tile.sample, tile.colour, 8));
            EXPECT_TRUE(PixelNear(image, place.topLeft() - QPoint(5, 0), kBody, 2))
                << "the body beside the tile";
        }
    }

    m_screen->ShowPage(PageId::Guide);
    for (int step = 1; step <= 4; ++step) {
        SCOPED_TRACE(step);
        const QWidget& page = m_window->guidePage();
        m_window->guidePage().ShowGuideStep(step);
        const QImage image = save(QStringLiteral("page5-guide-step%1").arg(step));
        // Only the number of the step shown is slate; the others are grey.
        for (int k = 1; k <= 4; ++k) {
            const QRect number = at(page, QRect(402 + 25 * (k - 1), 420, 20, 20));
            EXPECT_EQ(ColourBounds(image, number, kSlate, 24).isEmpty(), k != step) << k;
            EXPECT_FALSE(InkBounds(image, number, kWhite).isEmpty()) << k;
        }
        const QRect heading = ColourBounds(image, at(page, {0, 32, 900, 50}), kOrange, 40);
        EXPECT_TRUE(CentredOn(heading, at(page, QPoint(450, 0)).x()));
        const QRect text = at(page, {66, 84, 768, 26});
        EXPECT_TRUE(InkWithin(image, at(page, {40, 70, 820, 48}), text, kWhite));
        EXPECT_TRUE(CentredOn(InkBounds(image, text, kWhite), text.center().x(), 12));
        // The step's picture fills its box in the white frame.
        const QRect box = at(page, {150, 122, 600, 280});
        const QRect drawn = InkBounds(image, at(page, {70, 116, 760, 300}), kWhite);
        EXPECT_TRUE(box.adjusted(-1, -1, 1, 1).contains(drawn));
        EXPECT_GE(drawn.width(), box.width() - 2);
        EXPECT_GE(drawn.height(), box.height() - 2);
        // The last step's picture shows the debugging switch turned on.
        EXPECT_EQ(ColourBounds(image, box, kGreen, 40).isEmpty(), step != 4);
    }

    m_screen->ShowPage(PageId::ManualIp);
    {
        const QWidget& page = m_window->manualIpPage();
        const QImage image = save(QStringLiteral("page7-manual-ip"));
        // The typed address starts at the field's left, inside the field.
        const QRect field = at(page, {150, 222, 340, 54}).adjusted(3, 3, -3, -3);
        const QRect typed = InkBounds(image, field, kWhite);
        EXPECT_TRUE(InkWithin(image, field, field, kWhite));
        EXPECT_LT(typed.left(), field.left() + 30);
        EXPECT_GT(typed.width(), 100) << "192.168.1.";
        EXPECT_TRUE(FaceAt(image, at(page, {550, 229, 90, 40}), kGreen)) << "连接";
        EXPECT_TRUE(FaceAt(image, at(page, {660, 229, 90, 40}), kSlate)) << "取消";
        EXPECT_TRUE(PixelNear(image, at(page, {480, 157}), kGreen, 4)) << "the emblem's IP tag";
    }

    m_screen->ShowPage(PageId::RemoteInstall);
    {
        const QWidget& page = m_window->remoteInstallPage();
        const QImage image = save(QStringLiteral("page8-remote-install"));
        EXPECT_TRUE(PixelNear(image, at(page, {415, 201}), 0xffe6f7ee, 4)) << "the upload disc";
        // The invitation centred in the panel, under the disc.
        const QRect invitation = at(page, {39, 253, 822, 30});
        EXPECT_TRUE(InkWithin(image, at(page, {60, 250, 780, 120}), invitation, kFrameWhite));
        EXPECT_TRUE(CentredOn(InkBounds(image, invitation, kFrameWhite), invitation.center().x()));
        EXPECT_TRUE(FaceAt(image, at(page, {405, 472, 90, 40}), kSlate)) << "返回";
    }

    m_screen->ShowPage(PageId::AppManagement);
    {
        const QWidget& page = m_window->appManagementPage();
        const QImage image = save(QStringLiteral("page9-app-management"));
        EXPECT_TRUE(PixelNear(image, at(page, {20, 300}), kListPanel, 2));
        // The header's row holds only "应用下载", centred in it; the categories
        // begin under it.
        const QRect header = at(page, {0, 60, 154, 50});
        EXPECT_TRUE(InkWithin(image, header, at(page, {20, 68, 114, 34}), kListPanel))
            << "应用下载 at the head of the list";
        EXPECT_TRUE(CentredOn(InkBounds(image, header, kListPanel), header.center().x()));
        EXPECT_TRUE(PixelNear(image, at(page, {450, 30}), kHeaderBand, 2));
        EXPECT_TRUE(
            InkWithin(image, at(page, {170, 62, 120, 30}), at(page, {184, 72, 51, 15}), kBody, 40))
            << "返回";
    }
}

TEST_F(PageSnapshots, SavesBoxesAndPopups) {
    m_screen->ShowPage(PageId::Home);
    const QWidget& home = m_window->homePage();
    // A box: slate, its texts in their places, its buttons where the layout
    // puts them, the window dimmed behind it. The areas searched for texts
    // keep clear of the round corners of boxes and popup, where the window
    // shows through.
    const auto expectABox = [&](const QImage& image, const QRect& box, bool titled, int messageTop,
                                std::vector<int> buttonLefts) {
        EXPECT_EQ(box.size(), QSize(400, 240));
        EXPECT_TRUE(PixelNear(image, box.topLeft() + QPoint(10, 120), kSlate, 2));
        EXPECT_TRUE(PixelNear(image, at(home, {20, 480}), kShadedBody, 4));
        if (titled) {
            EXPECT_TRUE(InkWithin(image, box.adjusted(8, 8, -8, -174),
                                  box.adjusted(20, 28, -20, -180), kSlate, 40));
        }
        EXPECT_TRUE(InkWithin(image, box.adjusted(0, 66, 0, -90),
                              QRect(box.left() + 20, box.top() + messageTop, 360, 78), kSlate, 40));
        for (std::size_t i = 0; i < buttonLefts.size(); ++i) {
            EXPECT_TRUE(FaceAt(image, QRect(box.left() + buttonLefts[i], box.top() + 158, 90, 40),
                               i == 0 ? kGreen : kSlateLight))
                << "button " << i;
        }
    };

    MsgBoxRequest one;
    one.message = "IP地址格式不正确";
    saveWithBox(QStringLiteral("msgbox-1-button"), one, [&](const QImage& image, const QRect& box) {
        expectABox(image, box, false, 62, {155});
        EXPECT_TRUE(CentredOn(InkBounds(image, box.adjusted(20, 62, -20, -100), kSlate, 40),
                              box.center().x()));
    });

    MsgBoxRequest two;
    two.title = "连接断开";
    two.message = "您的电脑与盒子的连接断开\r\n请重新连接盒子";
    two.buttonCount = 2;
    saveWithBox(QStringLiteral("msgbox-2-buttons"), two,
                [&](const QImage& image, const QRect& box) {
                    expectABox(image, box, true, 70, {73, 237});
                });

    MsgBoxRequest three;
    three.title = "发现新版本";
    three.message = "发现新版本 1.0.0.2,是否立即更新?";
    three.buttonCount = 3;
    saveWithBox(QStringLiteral("msgbox-3-buttons"), three,
                [&](const QImage& image, const QRect& box) {
                    expectABox(image, box, true, 62, {55, 155, 255});
                });

    QTimer::singleShot(50, [&] {
        const QImage image = save(QStringLiteral("msgbox-system"));
        QWidget* open = m_window->msgBoxes().openBox();
        ASSERT_NE(open, nullptr);
        const QRect box = placeOf(*open);
        // White, with a slate title band, the blue icon left of the message
        // and "确认" green at the right.
        EXPECT_EQ(box.width(), 320);
        EXPECT_TRUE(PixelNear(image, box.topLeft() + QPoint(200, 18), kSlate, 2));
        EXPECT_TRUE(PixelNear(image, box.topLeft() + QPoint(10, 60), kWhite, 2));
        const QRect icon = ColourBounds(image, box.adjusted(0, 36, 0, 0), kInfoBlue, 24);
        EXPECT_TRUE(QRect(box.left() + 19, box.top() + 50, 34, 44).contains(icon))
            << icon.x() << ", " << icon.y();
        EXPECT_TRUE(InkWithin(image, box.adjusted(60, 40, -4, -50),
                              QRect(box.left() + 66, box.top() + 50, 234, 40), kWhite));
        EXPECT_TRUE(FaceAt(image, QRect(box.left() + 224, box.bottom() - 43, 76, 30), kGreen));
        open->close();
    });
    m_screen->SystemMsgBox({"文件不存在,请重新截图.", "", 0});

    ProgressPopup& popup = m_window->popup();
    // The popup's place in the picture, and places in it.
    const auto in = [&](const QRect& rect) { return at(popup, rect); };
    const auto point = [&](QPoint p) { return at(popup, p); };
    // The ring's centre line at three, six and nine o'clock.
    const QPoint atThree(263, 99);
    const QPoint atSix(199, 163);
    const QPoint atNine(136, 99);

    m_screen->ShowInstalling("正在安装... ...", true);
    {
        const QImage image = save(QStringLiteral("popup-install-0"));
        EXPECT_EQ(placeOf(popup).size(), QSize(400, 240));
        EXPECT_TRUE(PixelNear(image, point({10, 120}), kSlate, 2)) << "#414a5f";
        EXPECT_TRUE(PixelNear(image, at(home, {20, 480}), kShadedBody, 4));
        // An empty ring: the track all round, no green on it.
        for (QPoint onRing : {atThree, atSix, atNine}) {
            EXPECT_TRUE(PixelNear(image, point(onRing), kSlateLight, 8));
        }
        EXPECT_TRUE(ColourBounds(image, in({130, 30, 139, 139}), kGreen, 60).isEmpty());
        EXPECT_TRUE(InkWithin(image, in({300, 6, 94, 44}), in({345, 0, 48, 42}), kSlate, 40))
            << "the close button";
        EXPECT_TRUE(InkWithin(image, in({6, 172, 388, 62}), in({30, 186, 340, 30}), kSlate, 40));
    }
    m_screen->setPercentText("63%");
    {
        const QImage image = save(QStringLiteral("popup-install-63"));
        // 63 % of the ring, clockwise from twelve: past six, short of nine.
        EXPECT_TRUE(PixelNear(image, point(atThree), kGreen, 60));
        EXPECT_TRUE(PixelNear(image, point(atSix), kGreen, 60));
        EXPECT_TRUE(PixelNear(image, point(atNine), kSlateLight, 8));
        EXPECT_TRUE(InkWithin(image, in({160, 70, 80, 60}), in({166, 69, 67, 67}), 0xff373e50, 40))
            << "63% inside the ring";
    }
    m_screen->ShowDownloading("/tmp/Kestrune市场.apk", "正在下载");
    m_screen->setDownloadProgress(58);
    {
        const QImage image = save(QStringLiteral("popup-download"));
        // The bar green to 58 % of its 280 pixels, the track after it.
        const QRect bar = in({60, 176, 280, 16});
        const QRect filled = ColourBounds(image, bar, kGreen, 24);
        EXPECT_LE(std::abs(filled.left() - bar.left()), 1);
        EXPECT_LE(std::abs(filled.right() - (bar.left() + 162)), 3);
        EXPECT_TRUE(PixelNear(image, point({330, 184}), kSlateLight, 4));
        const QRect title = in({0, 62, 400, 30});
        EXPECT_TRUE(InkWithin(image, in({0, 40, 400, 66}), title, kSlate, 40));
        EXPECT_TRUE(CentredOn(InkBounds(image, title, kSlate, 40), title.center().x()));
        EXPECT_TRUE(PixelNear(image, point({200, 134}), kGreen, 8)) << "the download arrow";
    }
    m_screen->ShowPrompt("不是有效的apk文件");
    {
        const QImage image = save(QStringLiteral("popup-prompt"));
        const QRect message = in({0, 84, 400, 60});
        EXPECT_TRUE(InkWithin(image, in({0, 40, 400, 130}), message, kSlate, 40));
        EXPECT_TRUE(CentredOn(InkBounds(image, message, kSlate, 40), message.center().x()));
        EXPECT_TRUE(FaceAt(image, in({155, 176, 90, 40}), kGreen)) << "确定";
        EXPECT_TRUE(PixelNear(image, point({199, 36}), kSlate, 4)) << "no ring";
    }
    m_screen->ClosePopup();
}

TEST_F(PageSnapshots, SavesTheButtonStates) {
    // Each skin's colour at a point of its face in the three states; where a
    // state draws nothing there the sheet's slate shows.
    struct Row {
        ButtonSkin skin;
        QSize size;
        QPoint sample;
        QRgb normal;
        QRgb hover;
        QRgb pressed;
    };
    const Row rows[] = {
        {ButtonSkin::primary(), {160, 40}, {8, 20}, 0xff02b665, 0xff17c878, 0xff019a55},
        {ButtonSkin::secondary(), {90, 40}, {8, 20}, 0xff5b6579, 0xff6c778d, 0xff353c4e},
        {ButtonSkin::slate(), {90, 40}, {8, 20}, 0xff414a5f, 0xff5b6579, 0xff353c4e},
        {ButtonSkin::muted(), {76, 30}, {8, 15}, 0xffdfe3e9, 0xffe9ecf0, 0xffcfd4dc},
        {ButtonSkin::outline(QColor(8, 159, 90)),
         {160, 40},
         {0, 20},
         0xff089f5a,
         0xff089f5a,
         0xff089f5a},
        {pictures::GuideArrow(true), {32, 32}, {4, 16}, 0xffe9ecf1, 0xff02b665, 0xff019a55},
        {pictures::PopupClose(), {48, 42}, {12, 21}, kSlate, 0xffe04f45, 0xffc23f36},
        {pictures::TitleBarButton(true), {44, 42}, {6, 21}, kSlate, 0xffe04f45, 0xffc23f36},
        {pictures::HomeTileSkin(pictures::HomeTile::Market),
         {230, 130},
         {143, 15},
         0xff3b8fe8,
         0xff479df7,
         0xff3685d9},
    };
    QImage sheet(3 * 250 + 20, 9 * 140 + 20, QImage::Format_ARGB32_Premultiplied);
    sheet.fill(QColor::fromRgb(kSlate));
    QPainter painter(&sheet);
    std::vector<int> tops;
    int y = 10;
    for (const Row& row : rows) {
        tops.push_back(y);
        int x = 10;
        for (ButtonState state : {ButtonState::Normal, ButtonState::Hover, ButtonState::Pressed}) {
            painter.drawPixmap(x, y, row.skin.pixmap(row.size, 1, state));
            x += 250;
        }
        y += row.size.height() + 12;
    }
    painter.end();
    const QImage saved = sheet.copy(0, 0, sheet.width(), y);
    EXPECT_TRUE(saved.save(m_out + QStringLiteral("/button-states.png")));
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const Row& row = rows[i];
        SCOPED_TRACE(row.skin.key.toStdString());
        const QPoint cell(10, tops[i]);
        EXPECT_TRUE(PixelNear(saved, cell + row.sample, row.normal, 6)) << "normal";
        EXPECT_TRUE(PixelNear(saved, cell + QPoint(250, 0) + row.sample, row.hover, 6)) << "hover";
        EXPECT_TRUE(PixelNear(saved, cell + QPoint(500, 0) + row.sample, row.pressed, 6))
            << "pressed";
    }
}

// Page 9's catalog as the core fills it, pictured with checks of what each
// part draws: the tiles' cells, icons, texts and buttons in their places and
// colours, the left list's selection and counts, the pager's run.
class CatalogPictures : public PageSnapshots {
  protected:
    static constexpr QRgb kTileDone = 0xffbababa;
    static constexpr QRgb kListSelected = 0xff5b6579;
    static constexpr QRgb kPlaceholder = 0xffeef0f3;

    CatalogPictures() {
        m_screen->ShowPage(PageId::AppManagement);
        m_window->appManagementPage().leftList().selectCategory(0);
    }

    static CatalogTile Tile(const std::string& package, const std::string& name,
                            const std::string& version, const std::string& size) {
        CatalogTile tile;
        tile.iconPath = QVPC_BUILD_DIR "/tools/servicesim/catalog/icons/" + package + ".png";
        tile.name = name;
        tile.version = version;
        tile.size = size;
        tile.state = "安装";
        tile.total = 19;
        tile.downloadUrl = "http://127.0.0.1:8782/down/apk/" + package + ".apk";
        return tile;
    }

    static std::vector<CatalogTile> FirstPage() {
        return {
            Tile("com.xingkong.live", "星空直播", "3.2.1", "12.6M"),
            Tile("com.kuaikan.video", "快看影视", "5.6.0", "25.4M"),
            Tile("com.jisu.racing", "极速赛车", "1.5.2", "35.6M"),
            Tile("com.lantian.tv", "蓝天电视", "2.8.0", "9.8M"),
            Tile("com.baiyun.cinema", "白云影院", "3.3.3", "19.9M"),
            Tile("com.xiaoxue.class", "小学同步课堂", "4.5.0", "30.2M"),
            Tile("com.jiguang.live", "极光直播", "1.9.5", "15.2M"),
            Tile("com.zhuiju.master", "追剧大师", "2.7.1", "16.0M"),
            Tile("com.huanle.ddz", "欢乐斗地主TV", "2.9.0", "28.3M"),
        };
    }

    void show(const std::vector<CatalogTile>& tiles, int pages, int page) {
        m_screen->clearCatalogTiles();
        m_screen->setCatalogNotice({});
        for (std::size_t i = 0; i < tiles.size(); ++i) {
            m_screen->addCatalogTile(static_cast<int>(i) + 1, tiles[i]);
        }
        m_screen->setCatalogPages(pages, page);
    }

    QWidget& grid() { return m_window->appManagementPage().tileGrid(); }
    QWidget& pager() { return m_window->appManagementPage().pager(); }
    QWidget& list() { return m_window->appManagementPage().leftList(); }
    QRect cell(int position) { return at(grid(), CatalogTileGrid::cellRect(position)); }
    QRect button(int position) { return at(grid(), CatalogTileGrid::buttonRect(position)); }

    // A tile drawn whole: its white cell, its icon in the icon box, its name
    // and version and size in their lines, its button's frame in the colour
    // of its state.
    void expectATile(const QImage& image, int position, QColor buttonInk) {
        SCOPED_TRACE("tile " + std::to_string(position));
        const QRect c = cell(position);
        EXPECT_TRUE(PixelNear(image, c.topLeft() + QPoint(4, 4), kWhite, 2));
        EXPECT_TRUE(PixelNear(image, c.bottomRight() - QPoint(4, 4), kWhite, 2));
        EXPECT_TRUE(
            InkWithin(image, c.adjusted(2, 2, -120, -2), c.adjusted(12, 12, -123, -13), kWhite, 16))
            << "the icon in its 85 x 85 box";
        const QRect name(c.left() + 103, c.top() + 11, 109, 24);
        EXPECT_TRUE(InkWithin(image, c.adjusted(100, 1, -1, -76), name, kWhite, 40)) << "name";
        EXPECT_TRUE(InkWithin(image, QRect(c.left() + 100, c.top() + 36, 118, 36),
                              QRect(c.left() + 103, c.top() + 38, 109, 32), kWhite, 40))
            << "version and size";
        const QRect b = button(position);
        EXPECT_TRUE(PixelNear(image, QPoint(b.left(), b.center().y()), buttonInk, 40))
            << "the button's frame";
        EXPECT_FALSE(ColourBounds(image, b.adjusted(2, 2, -2, -2), buttonInk, 40).isEmpty())
            << "its state text";
    }
};

TEST_F(CatalogPictures, AFullPageOfNineTiles) {
    m_window->appManagementPage().setUpgradeCount(3);
    m_window->appManagementPage().leftList().setCount(CatalogLeftList::Action::Uninstall, 12);
    show(FirstPage(), 3, 1);
    const QImage image = save(QStringLiteral("page9-catalog"));
    for (int position = 1; position <= 9; ++position) {
        expectATile(image, position, kGreen);
    }
    // The selected category's row, the others on the panel.
    EXPECT_TRUE(PixelNear(image,
                          at(list(), CatalogLeftList::categoryRow(0).topLeft() + QPoint(4, 4)),
                          kListSelected, 2));
    EXPECT_TRUE(PixelNear(image,
                          at(list(), CatalogLeftList::categoryRow(1).topLeft() + QPoint(4, 4)),
                          kListPanel, 2));
    for (int category = 0; category < 8; ++category) {
        const QRect row = at(list(), CatalogLeftList::categoryRow(category));
        EXPECT_TRUE(InkWithin(image, row, row.adjusted(28, 6, -20, -6),
                              category == 0 ? QColor(kListSelected) : QColor(kListPanel), 40))
            << "category " << category << "'s label";
    }
    // Each action entry's label and then its count.
    for (const auto action :
         {CatalogLeftList::Action::Uninstall, CatalogLeftList::Action::Upgrade}) {
        const QRect row = at(list(), CatalogLeftList::actionRow(action));
        const QRect ink = InkBounds(image, row, kListPanel, 40);
        EXPECT_GT(ink.right(), row.left() + 30 + 60 + 12) << "the label and its count";
    }
    // The pager: both moves framed, "上一页" greyed, three page buttons with
    // the first green.
    const CatalogPager& run = m_window->appManagementPage().pager();
    EXPECT_EQ(run.firstShown(), 1);
    EXPECT_EQ(run.lastShown(), 3);
    const QRect previous = at(pager(), run.previousRect());
    EXPECT_TRUE(ColourBounds(image, previous.adjusted(3, 3, -3, -3), kGreen, 40).isEmpty());
    EXPECT_FALSE(ColourBounds(image, at(pager(), run.pageButtonRect(0)), 0xff01b861, 40).isEmpty());
    EXPECT_TRUE(ColourBounds(image, at(pager(), run.pageButtonRect(1)), 0xff01b861, 40).isEmpty());
}

TEST_F(CatalogPictures, TheLastPageWithFewerTiles) {
    std::vector<CatalogTile> tiles = FirstPage();
    tiles.resize(4);
    show(tiles, 3, 3);
    const QImage image = save(QStringLiteral("page9-catalog-last-page"));
    for (int position = 1; position <= 4; ++position) {
        expectATile(image, position, kGreen);
    }
    // The first row and the first tile of the second; the other cells empty.
    for (int position = 5; position <= 9; ++position) {
        EXPECT_TRUE(InkBounds(image, cell(position), kBody, 8).isEmpty()) << "cell " << position;
    }
    const CatalogPager& run = m_window->appManagementPage().pager();
    const QRect next = at(pager(), run.nextRect());
    EXPECT_FALSE(InkBounds(image, next.adjusted(3, 3, -3, -3), kWhite, 16).isEmpty());
    EXPECT_FALSE(ColourBounds(image, at(pager(), run.pageButtonRect(2)), 0xff01b861, 40).isEmpty())
        << "page 3 selected";
}

TEST_F(CatalogPictures, ATileInEachStateAMissingIconAndALongTitle) {
    std::vector<CatalogTile> tiles = FirstPage();
    tiles[1].state = "下载中";
    tiles[2].state = "安装中";
    tiles[3].state = "已安装";
    tiles[4].iconPath = m_dir.path() + "/no-such-icon.png";
    qvpc::test::WriteFile(m_dir.path() + "/empty.png", "");
    tiles[5].iconPath = m_dir.path() + "/empty.png";
    tiles[6].name = "超级无敌长名字的电视直播应用高清版";
    show(tiles, 3, 1);
    // The pointer over the first tile's "安装".
    QTest::mouseMove(&grid(), CatalogTileGrid::buttonRect(1).center());
    const QImage image = save(QStringLiteral("page9-catalog-tile-states"));
    EXPECT_TRUE(FaceAt(image, button(1), kGreen)) << "安装 under the pointer";
    expectATile(image, 2, kGreen);
    expectATile(image, 3, kGreen);
    expectATile(image, 4, kTileDone);
    EXPECT_TRUE(ColourBounds(image, button(4).adjusted(2, 2, -2, -2), kGreen, 40).isEmpty())
        << "已安装 is grey, not green";
    for (int position : {5, 6}) {
        const QRect icon = cell(position).adjusted(12, 12, -123, -13);
        EXPECT_TRUE(PixelNear(image, icon.topLeft() + QPoint(20, 4), kPlaceholder, 4))
            << "the placeholder of tile " << position;
        expectATile(image, position, kGreen);
    }
    // The long title shortened within its line.
    const QRect c = cell(7);
    EXPECT_TRUE(InkWithin(image, QRect(c.left() + 98, c.top(), 122, 36),
                          QRect(c.left() + 103, c.top() + 11, 109, 24), kWhite, 40));
    EXPECT_EQ(m_screen->catalogTile(4)->state, "已安装");
}

TEST_F(CatalogPictures, ACatalogThatCannotBeReached) {
    show(FirstPage(), 3, 1);
    m_screen->clearCatalogTiles();
    m_screen->setCatalogNotice("应用数据获取失败,请检查网络.");
    m_screen->setCatalogPages(0, 0);
    const QImage image = save(QStringLiteral("page9-catalog-unreachable"));
    const QRect area = at(grid(), grid().rect());
    const QRect ink = InkBounds(image, area, kBody, 24);
    EXPECT_FALSE(ink.isEmpty()) << "the notice";
    EXPECT_TRUE(CentredOn(ink, area.center().x()));
    EXPECT_TRUE(InkWithin(image, area, at(grid(), {0, 130, 716, 60}), kBody));
    EXPECT_TRUE(ColourBounds(image, area, kWhite, 2).isEmpty()) << "no tiles";
    const CatalogPager& run = m_window->appManagementPage().pager();
    EXPECT_EQ(run.lastShown() - run.firstShown() + 1, 0) << "no page buttons";
}

}  // namespace
}  // namespace qvpc::ui::test
