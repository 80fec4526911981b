#include "adb/shell_quote.h"

#include <gtest/gtest.h>

namespace qvpc {
namespace {

TEST(ShellWordTest, OrdinaryValuesStayBareOthersAreSingleQuoted) {
    struct Case {
        std::string value;
        std::string expected;
    };
    const Case cases[] = {
        {"192.168.1.5", "192.168.1.5"},
        {"192.168.1.5:5555", "192.168.1.5:5555"},
        {"com.example.app", "com.example.app"},
        {"", "''"},
        {"a b", "'a b'"},
        {"1.2.3.4;reboot", "'1.2.3.4;reboot'"},
        {"$(touch x)", "'$(touch x)'"},
        {"it's", "'it'\\''s'"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ShellWord(c.value), c.expected) << c.value;
    }
}

TEST(QuotedPathTest, KeepsDoubleQuotesAndEscapesWhatTheShellExpands) {
    EXPECT_EQ(QuotedPath("/home/u/my app.apk"), "\"/home/u/my app.apk\"");
    EXPECT_EQ(QuotedPath("/a/\"$(x)`y`\\.apk"), "\"/a/\\\"\\$(x)\\`y\\`\\\\.apk\"");
}

TEST(PackageNameTest, FollowsAndroidsGrammar) {
    EXPECT_TRUE(IsValidPackageName("com.quillet.remoteassistant"));
    EXPECT_TRUE(IsValidPackageName("a.b_2"));
    for (const char* bad : {"", "single", "com..x", ".com.x", "com.x.", "com.1x", "com.x;rm",
                            "com.x y", "com.x/.Main"}) {
        EXPECT_FALSE(IsValidPackageName(bad)) << bad;
    }
    // No longer than the file name of its folder on the box.
    const std::string longest = "com." + std::string(kMaxPackageNameBytes - 4, 'x');
    EXPECT_TRUE(IsValidPackageName(longest));
    EXPECT_FALSE(IsValidPackageName(longest + "x"));
}

}  // namespace
}  // namespace qvpc
