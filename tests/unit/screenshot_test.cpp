#include "apps/screenshot.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/task_rig.h"

namespace qvpc {
namespace {

TEST(ScreenshotFileTest, SaveAsCopiesThePictureOverAnyFile) {
    test::TaskRig rig;
    const std::string target = rig.dir.path() + "/copy.png";
    test::WriteFile(target, "something else, and longer than the picture");
    test::WriteFile(Screenshot::PathIn(rig.dataDir), "\x89PNG picture");

    rig.screen.setSaveFile("");
    rig.screenshot.SaveScreenshotAs();
    EXPECT_EQ(test::ReadFile(target), "something else, and longer than the picture");

    rig.screen.setSaveFile(target);
    rig.screenshot.SaveScreenshotAs();
    EXPECT_EQ(test::ReadFile(target), "\x89PNG picture");
}

TEST(ScreenshotFileTest, WithoutAPictureTheMenuSaysSo) {
    test::TaskRig rig;
    const std::string target = rig.dir.path() + "/copy.png";
    rig.screen.setSaveFile(target);
    rig.screenshot.SaveScreenshotAs();
    EXPECT_FALSE(std::filesystem::exists(target));
    rig.screenshot.OpenScreenshotFolder();
    ASSERT_EQ(rig.screen.boxes().size(), 2u);
    for (const auto& box : rig.screen.boxes()) {
        EXPECT_EQ(box.request.message, "文件不存在,请重新截图.");
        EXPECT_EQ(box.request.title, "");
    }
    EXPECT_TRUE(rig.screen.openedUrls().empty());

    test::WriteFile(Screenshot::PathIn(rig.dataDir), "\x89PNG");
    rig.screenshot.OpenScreenshotFolder();
    EXPECT_EQ(rig.screen.openedUrls(),
              std::vector<std::string>{"reveal:" + Screenshot::PathIn(rig.dataDir)});
}

}  // namespace
}  // namespace qvpc
