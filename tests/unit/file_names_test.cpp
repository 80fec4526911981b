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

TEST(FileNamesTest, NamesFromTheNetworkStayOneFileInTheirFolder) {
    const std::pair<std::string, std::string> cases[] = {
        {"星空直播", "星空直播"},
        {"a/b\\c", "a_b_c"},
        {"../../etc/passwd", "_.._etc_passwd"},
        {"..hidden", "hidden"},
        {"...", ""},
        {std::string("nul\0in", 6), "nul_in"},
        {"tab\there", "tab_here"},
        {"\xFF"
         "bad",
         "\xEF\xBF\xBD"
         "bad"},
        {"icon.png?v=2", "icon.png?v=2"},
    };
    for (const auto& [name, safe] : cases) {
        EXPECT_EQ(SafeFileName(name), safe) << name;
    }
    // Long names are cut on a character boundary.
    const std::string cut = SafeFileName(std::string(200, 'x') + "星");
    EXPECT_EQ(cut.size(), kSafeFileNameBytes);
    const std::string chinese = SafeFileName(std::string(119, 'x') + "星星");
    EXPECT_EQ(chinese, std::string(119, 'x'));
}

}  // namespace
}  // namespace qvpc
