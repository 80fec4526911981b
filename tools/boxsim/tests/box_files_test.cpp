// Files a box starts with: checked in the configuration, then there for the
// shell and for pulls like any file written on the box.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "boxsim/apk/image.h"
#include "boxsim/box/android_shell.h"
#include "boxsim/box/box.h"
#include "boxsim/box/tv_screen.h"

namespace qvpc::boxsim {
namespace {

using nlohmann::json;
using ::testing::HasSubstr;

TEST(BoxFilesTest, ConfiguredFilesAreOnTheBoxFromTheStart) {
    Box box(ParseBoxConfig({{"screen_width", 640},
                            {"screen_height", 360},
                            {"files",
                             {{{"path", "/sdcard/screenshot.png"}, {"old_screenshot", true}},
                              {{"path", "/mnt/sdcard/notes.txt"}, {"text", "hello\n"}},
                              {{"path", "/data/local/tmp/blob.bin"}, {"base64", "AAEC/w=="}}}}}));
    AndroidShell shell(box);
    EXPECT_EQ(shell.run("cat /sdcard/notes.txt").output, "hello\n");
    EXPECT_EQ(*box.readFile("/data/local/tmp/blob.bin"), std::string("\0\1\2\xff", 4));

    const auto old = box.readFile("/sdcard/screenshot.png");
    ASSERT_TRUE(old);
    EXPECT_EQ(*old, DrawOldScreenshot(640, 360));
    auto picture = DecodePng(*old);
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->width(), 640);
    EXPECT_EQ(picture->height(), 360);
    const uint8_t* corner = picture->rgba().data();
    EXPECT_EQ(corner[0], kOldScreenshotColor.r);
    EXPECT_EQ(corner[1], kOldScreenshotColor.g);
    EXPECT_EQ(corner[2], kOldScreenshotColor.b);
    EXPECT_NE(*old, box.screenPng());

    // A capture replaces the old picture like any write.
    EXPECT_EQ(shell.run("screencap -p /sdcard/screenshot.png").output, "");
    EXPECT_EQ(*box.readFile("/sdcard/screenshot.png"), box.screenPng());
}

TEST(BoxFilesTest, BadFilesAreRejectedByName) {
    struct Case {
        const char* name;
        json files;
        std::string message;
    };
    const json tooMany(65, {{"path", "/sdcard/x"}, {"text", ""}});
    const json tooBig = {{{"path", "/sdcard/a"}, {"text", std::string(40u << 20, 'a')}},
                         {{"path", "/sdcard/b"}, {"text", std::string(40u << 20, 'b')}}};
    const Case cases[] = {
        {"read-only place",
         {{{"path", "/system/app/x.apk"}, {"text", "x"}}},
         "\"/system/app/x.apk\" is not an absolute path under /sdcard or /data/local/tmp"},
        {"relative path", {{{"path", "sdcard/x"}, {"text", "x"}}}, "\"sdcard/x\" is not"},
        {"escape by ..",
         {{{"path", "/sdcard/../system/x"}, {"text", "x"}}},
         "\"/sdcard/../system/x\" is not"},
        {"no content", {{{"path", "/sdcard/x"}}}, "needs one of"},
        {"two contents",
         {{{"path", "/sdcard/x"}, {"text", "x"}, {"base64", "eA=="}}},
         "needs one of"},
        {"base64 without padding", {{{"path", "/sdcard/x"}, {"base64", "eA"}}}, "bad base64"},
        {"base64 digit after padding", {{{"path", "/sdcard/x"}, {"base64", "e=A="}}}, "bad base64"},
        {"base64 with a blank", {{{"path", "/sdcard/x"}, {"base64", "eA= "}}}, "bad base64"},
        {"unknown member", {{{"path", "/sdcard/x"}, {"txt", "x"}}}, "unknown member \"txt\""},
        {"not an array", {{"path", "/sdcard/x"}}, "files must be an array"},
        {"too many", tooMany, "files must be an array of at most 64"},
        {"too big", tooBig, "files hold more than 64 MiB"},
    };
    for (const Case& c : cases) {
        try {
            ParseBoxConfig({{"files", c.files}});
            ADD_FAILURE() << c.name << " was accepted";
        } catch (const std::runtime_error& e) {
            EXPECT_THAT(e.what(), HasSubstr(c.message)) << c.name;
        }
    }
    // A directory cannot become a file.
    EXPECT_THROW(Box(ParseBoxConfig({{"files", {{{"path", "/sdcard/Download"}, {"text", ""}}}}})),
                 std::runtime_error);
}

}  // namespace
}  // namespace qvpc::boxsim
