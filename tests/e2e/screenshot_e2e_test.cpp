// Screenshots of a simulated box through the real adb client.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/core_rig.h"
#include "support/loopback.h"

namespace qvpc {
namespace {

using test::BoxAt;
using test::BoxFaults;

class ScreenshotE2eTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_rig.start();
        ASSERT_TRUE(m_rig.connect(m_address));
    }

    std::string m_address = test::FreeLoopbackAddress();
    test::CoreRig m_rig{{BoxAt(m_address)}};
    std::string m_path = m_rig.paths.dataDir + "/screenshot.png";
};

TEST_F(ScreenshotE2eTest, APictureArrivesAsAPngOnPage1) {
    m_rig.core.actions().takeScreenshot();
    EXPECT_EQ(m_rig.screen.busyTitle(), "正在截屏,请稍后...");
    ASSERT_TRUE(m_rig.waitForIdle());

    EXPECT_TRUE(m_rig.screen.boxes().empty());
    EXPECT_EQ(m_rig.screen.currentPage(), PageId::Busy);
    EXPECT_TRUE(m_rig.screen.busyScreenshotMode());
    EXPECT_EQ(m_rig.screen.screenshotPicture(), m_path);
    EXPECT_EQ(test::ReadFile(m_path).substr(0, 8), "\x89PNG\r\n\x1a\n");
}

TEST_F(ScreenshotE2eTest, AFailedCaptureSaysFaultAndLeavesNoOldPicture) {
    m_rig.core.actions().takeScreenshot();
    ASSERT_TRUE(m_rig.waitForIdle());
    ASSERT_TRUE(std::filesystem::exists(m_path));
    m_rig.screen.ShowPage(PageId::Home);

    BoxFaults faults;
    faults.screencapFails = true;
    m_rig.boxsim->setFaults(m_address, faults);
    m_rig.core.actions().takeScreenshot();
    ASSERT_TRUE(m_rig.waitForIdle());
    ASSERT_EQ(m_rig.screen.boxes().size(), 1u);
    EXPECT_EQ(m_rig.screen.boxes()[0].request.title, "故障");
    EXPECT_EQ(m_rig.screen.boxes()[0].request.message, "什么牌子的盒子啊,到群里问问吧");
    EXPECT_EQ(m_rig.screen.screenshotPicture(), "");
    EXPECT_EQ(m_rig.screen.currentPage(), PageId::Home);
    EXPECT_FALSE(std::filesystem::exists(m_path));
}

TEST(ScreenshotOfABoxWithoutScreencapTest, SaysFaultInsteadOfShowingTheOldPicture) {
    const std::string address = test::FreeLoopbackAddress();
    BoxFaults faults;
    faults.screencapMissing = true;
    test::BoxSpec box = BoxAt(address, faults);
    box.files.push_back({.path = "/sdcard/screenshot.png", .content = {}, .oldScreenshot = true});
    test::CoreRig rig({box});
    rig.start();
    ASSERT_TRUE(rig.connect(address));

    rig.core.actions().takeScreenshot();
    ASSERT_TRUE(rig.waitForIdle());
    ASSERT_EQ(rig.screen.boxes().size(), 1u);
    EXPECT_EQ(rig.screen.boxes()[0].request.title, "故障");
    EXPECT_EQ(rig.screen.screenshotPicture(), "");
    EXPECT_FALSE(std::filesystem::exists(rig.paths.dataDir + "/screenshot.png"));
}

}  // namespace
}  // namespace qvpc
