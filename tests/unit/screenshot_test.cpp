#include "apps/screenshot.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/task_rig.h"

namespace qvpc {
namespace {

const std::string kPicture = std::string("\x89PNG\r\n\x1a\n", 8) + "picture";

// Where the program keeps the screenshot.
std::string PicturePath(const test::TaskRig& rig) {
    return rig.dataDir + "/screenshot.png";
}

TEST(ScreenshotFileTest, SaveAsCopiesThePictureOverAnyFile) {
    test::TaskRig rig;
    const std::string target = rig.dir.path() + "/copy.png";
    test::WriteFile(target, "something else, and longer than the picture");
    test::WriteFile(PicturePath(rig), kPicture);

    rig.screen.setSaveFile("");
    rig.screenshot.SaveScreenshotAs();
    EXPECT_EQ(test::ReadFile(target), "something else, and longer than the picture");

    rig.screen.setSaveFile(target);
    rig.screenshot.SaveScreenshotAs();
    EXPECT_EQ(test::ReadFile(target), kPicture);
    EXPECT_TRUE(rig.screen.boxes().empty());

    // A place that cannot take the file says so.
    rig.screen.setSaveFile(rig.dir.path() + "/no such folder/copy.png");
    rig.screenshot.SaveScreenshotAs();
    ASSERT_EQ(rig.screen.boxes().size(), 1u);
    EXPECT_EQ(rig.screen.boxes()[0].request.message, "截图没有保存成功,请换一个位置再试");
    EXPECT_NE(rig.logText().find("截图另存失败"), std::string::npos);
}

TEST(ScreenshotFileTest, WithoutAPictureTheMenuSaysSo) {
    test::TaskRig rig;
    const std::string target = rig.dir.path() + "/copy.png";
    rig.screen.setSaveFile(target);
    // What a stopped pull leaves is no picture.
    test::WriteFile(PicturePath(rig), "");
    rig.screenshot.SaveScreenshotAs();
    EXPECT_FALSE(std::filesystem::exists(target));
    rig.screenshot.OpenScreenshotFolder();
    ASSERT_EQ(rig.screen.boxes().size(), 2u);
    for (const auto& box : rig.screen.boxes()) {
        EXPECT_EQ(box.request.message, "文件不存在,请重新截图.");
        EXPECT_EQ(box.request.title, "");
    }
    EXPECT_TRUE(rig.screen.openedUrls().empty());

    test::WriteFile(PicturePath(rig), kPicture);
    rig.screenshot.OpenScreenshotFolder();
    EXPECT_EQ(rig.screen.openedUrls(), std::vector<std::string>{"reveal:" + PicturePath(rig)});
}

}  // namespace
}  // namespace qvpc
