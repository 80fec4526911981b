// The connection pages: retry, the typed address, cancel, the guide and the
// device list.
#include <cstdlib>

#include "ui/device_list_page.h"
#include "ui/device_tile_list.h"
#include "ui/guide_page.h"
#include "ui/home_page.h"
#include "ui/manual_ip_page.h"
#include "ui/not_found_page.h"
#include "ui/toolkit/image_button.h"
#include "ui/toolkit/skin_colors.h"
#include "ui/toolkit/text_label.h"
#include "ui_fixture.h"

namespace qvpc::ui::test {
namespace {

using ConnectionPagesTest = UiTest;

TEST_F(ConnectionPagesTest, CancelOnManualIpReturnsToWhereItCameFrom) {
    m_window->ShowPage(PageId::NotFound);
    clickButton(PageButton::EnterIp);
    ASSERT_EQ(m_window->currentPage(), PageId::ManualIp);
    clickButton(PageButton::CancelManualIp);
    EXPECT_EQ(m_window->currentPage(), PageId::NotFound);
    EXPECT_EQ(mainLogTexts(), (std::vector<std::string>{"输入IP_连接", "手动IP_取消"}));
}

TEST_F(ConnectionPagesTest, RetryRescansAfterNothingFoundAndReconnectsAfterAFailure) {
    m_window->ShowPage(PageId::NotFound);
    clickButton(PageButton::Retry);
    m_window->ShowPage(PageId::Start);
    m_window->ShowPage(PageId::NotFound, QString::fromUtf8("连接失败,请确认盒子已开启ADB"));
    clickButton(PageButton::Retry);
    EXPECT_EQ(m_actions.calls(), (std::vector<std::string>{"startLanScan", "retryConnect"}));
    EXPECT_EQ(mainLogTexts(), (std::vector<std::string>{"再试一次", "再试一次"}));
}

// The longest failure text the core shows on page 3, about 1,580 pixels in one line.
constexpr const char* kLongFailure =
    "很抱歉，由于您电脑上安装的豌豆荚或腾讯手机助手或百度手机助手等助手类软件与本程序冲突，"
    "建议关闭所有助手类软件，并拔出与电脑连接的安卓设备，再重新试一次，如果仍然不行，只能说明，"
    "您装的软件太霸道了，只有把他卸载，本程序才能正常运行。";

TEST_F(ConnectionPagesTest, PageThreeHintStaysInsideTheWindowBelowTheButtons) {
    struct Case {
        const char* failure;  // "" for the no-device hint
        bool wraps;
    };
    const Case cases[] = {
        {"", false}, {"连接失败,请确认盒子已打开ADB调试", false}, {kLongFailure, true}};
    NotFoundPage& page = m_window->notFoundPage();
    TextLabel& hint = page.hintLabel();
    const int buttonsBottom = m_window->pageButton(PageButton::NotFoundGuide)->geometry().bottom();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.failure);
        m_window->ShowPage(PageId::Start);
        m_window->ShowPage(PageId::NotFound, QString::fromUtf8(c.failure));
        if (!c.wraps) {
            EXPECT_EQ(hint.geometry(), QRect(0, 452, 900, 20));
        }
        const QImage picture = pictureOf(page);
        const QRect below(0, buttonsBottom + 1, page.width(), page.height() - buttonsBottom - 1);
        const QRect ink = InkBounds(picture, below, QColor::fromRgb(skin::kBody));
        ASSERT_FALSE(ink.isEmpty());
        EXPECT_GE(ink.left(), 20);
        EXPECT_LE(ink.right(), page.width() - 20);
        EXPECT_LT(ink.bottom(), page.height() - 2);  // not cut at the page's foot
        EXPECT_LE(std::abs(ink.left() + ink.right() - page.width()), 24);  // centred
        EXPECT_EQ(ink.height() > 2 * hint.font().pixelSize(), c.wraps);
    }
}

TEST_F(ConnectionPagesTest, ConnectPassesTheAddressAsTyped) {
    m_window->ShowPage(PageId::ManualIp);
    EXPECT_EQ(m_window->manualIpPage().address(), QStringLiteral("192.168.0."));
    m_screen->setManualAddress("192.168.0.5.7");
    clickButton(PageButton::ConnectTypedIp);
    EXPECT_EQ(m_actions.calls(), std::vector<std::string>{"connectTypedAddress 192.168.0.5.7"});
    EXPECT_EQ(mainLogTexts(), std::vector<std::string>{"手动IP_连接"});
}

TEST_F(ConnectionPagesTest, GuideArrowsWalkTheSteps) {
    GuidePage& guide = m_window->guidePage();
    m_window->ShowPage(PageId::Guide);
    EXPECT_EQ(guide.step(), 1);
    clickButton(PageButton::GuidePrevious);
    EXPECT_EQ(guide.step(), 1);
    for (int press = 0; press < 3; ++press) {
        clickButton(PageButton::GuideNext);
    }
    EXPECT_EQ(guide.step(), 4);
    EXPECT_EQ(guide.nextButtonText(), QString::fromUtf8("设置完成,继续连接"));
    EXPECT_EQ(guide.stepText(),
              QString::fromUtf8("此时工程模式出现了,打开调试模式,接下来就可以继续操作了."));
    EXPECT_EQ(guide.stepNumber(4).font().pixelSize(), 20);
    EXPECT_EQ(guide.stepNumber(4).color(), QColor(0x41, 0x4a, 0x5f));
    EXPECT_EQ(guide.stepNumber(1).font().pixelSize(), 18);
    for (int k = 1; k <= 4; ++k) {
        EXPECT_EQ(guide.stepNumber(k).geometry(), QRect(402 + 25 * (k - 1), 420, 20, 20));
    }
    // The row shares the centre line of the buttons under it (in doubled
    // pixels, so that a half pixel of rounding shows as 1).
    const auto twiceCentre = [](const QRect& left, const QRect& right) {
        return left.left() + right.left() + right.width();
    };
    EXPECT_LE(
        std::abs(twiceCentre(guide.stepNumber(1).geometry(), guide.stepNumber(4).geometry()) -
                 twiceCentre(m_window->pageButton(PageButton::GuideBack)->geometry(),
                             m_window->pageButton(PageButton::GuideNextOrFinish)->geometry())),
        1);
    clickButton(PageButton::GuideNext);
    EXPECT_EQ(guide.step(), 4);

    // Stepping back leaves the last step, and with it the finish button.
    clickButton(PageButton::GuidePrevious);
    EXPECT_EQ(guide.step(), 3);
    EXPECT_EQ(guide.nextButtonText(), QString::fromUtf8("下一步"));
    EXPECT_TRUE(mainLogTexts().empty());
}

TEST_F(ConnectionPagesTest, GuideNextButtonStepsThenFinishes) {
    GuidePage& guide = m_window->guidePage();
    m_window->ShowPage(PageId::NotFound);
    clickButton(PageButton::NotFoundGuide);
    for (int press = 0; press < 3; ++press) {
        clickButton(PageButton::GuideNextOrFinish);
    }
    EXPECT_EQ(guide.step(), 4);
    clickButton(PageButton::GuideNextOrFinish);
    EXPECT_EQ(m_actions.calls(), std::vector<std::string>{"finishGuide"});
    EXPECT_EQ(guide.step(), 1);
    EXPECT_EQ(guide.nextButtonText(), QString::fromUtf8("下一步"));
    EXPECT_EQ(mainLogTexts(), (std::vector<std::string>{"未找到_阿里云", "下一步", "下一步",
                                                        "下一步", "设置完成,继续连接"}));
}

TEST_F(ConnectionPagesTest, GuideBackResetsAndReturns) {
    m_window->ShowPage(PageId::ManualIp);
    clickButton(PageButton::ManualIpGuide);
    clickButton(PageButton::GuideNext);
    clickButton(PageButton::GuideBack);
    EXPECT_EQ(m_window->currentPage(), PageId::ManualIp);
    EXPECT_EQ(m_window->guidePage().step(), 1);
}

TEST_F(ConnectionPagesTest, InvalidGuideStepIsLoggedAndIgnored) {
    GuidePage& guide = m_window->guidePage();
    guide.ShowGuideStep(2);
    EXPECT_FALSE(guide.ShowGuideStep(0));
    EXPECT_FALSE(guide.ShowGuideStep(5));
    EXPECT_EQ(guide.step(), 2);
    const std::vector<LogRecord> expected(2, LogRecord{"功能操作", "数字,不合法入"});
    EXPECT_EQ(logRecords(), expected);
}

TEST_F(ConnectionPagesTest, DeviceListKeepsNewestFirstAndTheManualTileLast) {
    m_screen->clearDeviceTiles();
    m_screen->addDeviceTileInFront(ManualTile());
    m_screen->addDeviceTileInFront(Device("192.168.1.25", "小米盒子"));
    m_screen->addDeviceTileInFront(Device("192.168.1.2", "智能电视", 8090));
    m_screen->addDeviceTileInFront(Device("192.168.1.3", "天猫魔盒"));
    m_screen->addDeviceTileInFront(Device("192.168.1.4", "智能电视"));

    EXPECT_EQ(m_screen->deviceTile(0)->address, "192.168.1.4");
    EXPECT_EQ(m_screen->deviceTile(4)->buttonText, "手动连接新设备");
    EXPECT_FALSE(m_screen->deviceTile(5).has_value());
    // An address that is the prefix of another is not taken for it.
    EXPECT_EQ(m_screen->findDeviceTile("192.168.1.2"), 2);
    EXPECT_EQ(m_screen->findDeviceTile("192.168.1.250"), std::nullopt);
    m_screen->setDeviceTilePort(2, 5555);
    EXPECT_EQ(m_screen->deviceTile(2)->port, 5555);

    DeviceTileList& list = m_window->deviceListPage().list();
    EXPECT_EQ(list.parentWidget()->geometry().topLeft(), QPoint(0, 42));
    EXPECT_EQ(list.geometry(), QRect(81, 6, 819, 508));
    EXPECT_EQ(list.itemRect(0), QRect(0, 30, 206, 206));
    EXPECT_EQ(list.itemRect(2), QRect(532, 30, 206, 206));
    EXPECT_EQ(list.itemRect(3), QRect(0, 266, 206, 206));
}

TEST_F(ConnectionPagesTest, TileClicksConnectOrAskForAnAddress) {
    m_window->ShowPage(PageId::DeviceList);
    m_screen->clearDeviceTiles();
    m_screen->addDeviceTileInFront(ManualTile());
    m_screen->addDeviceTileInFront(Device("192.168.1.20", "智能电视"));
    DeviceTileList& list = m_window->deviceListPage().list();

    QTest::mouseClick(&list, Qt::LeftButton, {}, list.itemRect(0).center());
    EXPECT_EQ(m_actions.calls(),
              std::vector<std::string>{"connectToTile 192.168.1.20 智能电视 5555"});
    EXPECT_EQ(m_window->homePage().boxNameLabel().width(), 88);
    EXPECT_EQ(m_window->pageButton(PageButton::Disconnect)->x(), 170);

    QTest::mouseClick(&list, Qt::LeftButton, {}, list.itemRect(1).center());
    EXPECT_EQ(m_window->currentPage(), PageId::ManualIp);
    EXPECT_EQ(m_actions.calls().size(), 1u);
}

TEST_F(ConnectionPagesTest, LongDeviceListScrollsAndResets) {
    m_window->ShowPage(PageId::DeviceList);
    DeviceTileList& list = m_window->deviceListPage().list();
    m_screen->addDeviceTileInFront(ManualTile());
    for (int i = 1; i <= 9; ++i) {
        m_screen->addDeviceTileInFront(Device("10.0.0." + std::to_string(i), "智能电视"));
    }
    list.setScrollOffset(400);
    EXPECT_GT(list.scrollOffset(), 0);
    // A click lands on the tile under the pointer, scrolled as it is.
    const QPoint onThird = list.itemRect(6).center() - QPoint(0, list.scrollOffset());
    QTest::mouseClick(&list, Qt::LeftButton, {}, onThird);
    EXPECT_EQ(m_actions.calls(), std::vector<std::string>{"connectToTile 10.0.0.3 智能电视 5555"});
    m_screen->resetDeviceListScroll();
    EXPECT_EQ(list.scrollOffset(), 0);
}

}  // namespace
}  // namespace qvpc::ui::test
