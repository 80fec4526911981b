#include "base/file_names.h"

#include <gtest/gtest.h>

namespace qvpc {
namespace {

TEST(FileNamesTest, ExtensionIsAfterTheLastDotOfTheLastComponent) {
    const std::pair<const char*, const char*> cases[] = {
        {"D:\\a\\b.c.apk", ".apk"},
        {"/home/u/b.c.apk", ".apk"},
        {"/home/u/my.tv.app.apk", ".apk"},
        {"/home/u/app.APK", ".APK"},
        {"/home/u/app.apk.bak", ".bak"},
        {"D:\\a.b\\file", ""},
        {"/a.b/file", ""},
        {"x.apk copy", ""},
        {"noext", ""},
        {"", ""},
    };
    for (const auto& [path, extension] : cases) {
        EXPECT_EQ(FileExtension(path), extension) << path;
    }
}

TEST(FileNamesTest, NameIsTheLastComponentWithOrWithoutExtension) {
    EXPECT_EQ(FileName("D:\\x\\video.player.apk", true), "video.player.apk");
    EXPECT_EQ(FileName("D:\\x\\video.player.apk", false), "video.player");
    EXPECT_EQ(FileName("/home/u/video.player.apk", false), "video.player");
    EXPECT_EQ(FileName("C:video.apk", true), "video.apk");
    EXPECT_EQ(FileName("plain", true), "plain");
    EXPECT_EQ(FileName("/home/u/a b.apk", false), "a b");
}

}  // namespace
}  // namespace qvpc
