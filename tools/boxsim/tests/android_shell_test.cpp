// The box's shell, run in-process on a box model (no sockets).

#include "boxsim/box/android_shell.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <tuple>

#include "boxsim/apk/apk_builder.h"
#include "boxsim/apk/test_certificate.h"
#include "boxsim/apk/zip_archive.h"
#include "boxsim/box/package_order.h"
#include "boxsim/box/shell_parser.h"
#include "support/temp_dir.h"

namespace qvpc::boxsim {
namespace {

using ::testing::ElementsAre;

TEST(ShellParserTest, SplitsLikeSh) {
    struct Case {
        std::string line;
        std::vector<std::string> words;
    };
    const Case cases[] = {
        {"pm 'install' '-r' '/data/local/tmp/a b.apk'",
         {"pm", "install", "-r", "/data/local/tmp/a b.apk"}},
        {"rm '/data/local/tmp/x.apk' </dev/null", {"rm", "/data/local/tmp/x.apk"}},
        {"echo \"a \\\"b\\\" $c\" d\\ e ''", {"echo", "a \"b\" $c", "d e", ""}},
        {"echo 'it'\\''s'", {"echo", "it's"}},
        {"  ls   -l  # a comment", {"ls", "-l"}},
    };
    for (const Case& c : cases) {
        ParseResult r = ParseShellLine(c.line);
        ASSERT_TRUE(r.error.empty()) << c.line << ": " << r.error;
        ASSERT_EQ(r.pipelines.size(), 1u) << c.line;
        EXPECT_EQ(r.pipelines[0].commands[0].words, c.words) << c.line;
    }
    EXPECT_EQ(ParseShellLine("echo 'open").error, "no closing quote");
    EXPECT_FALSE(ParseShellLine("a &&").error.empty());
    EXPECT_FALSE(ParseShellLine("| a").error.empty());

    ParseResult list = ParseShellLine("a; b && c || d | e 2>&1 >/sdcard/x");
    ASSERT_EQ(list.pipelines.size(), 4u);
    EXPECT_EQ(list.pipelines[2].connector, Pipeline::Connector::IfSuccess);
    EXPECT_EQ(list.pipelines[3].commands.size(), 2u);
    const auto& redirections = list.pipelines[3].commands[1].redirections;
    ASSERT_EQ(redirections.size(), 2u);
    EXPECT_EQ(redirections[0].fd, 2);
    EXPECT_EQ(redirections[0].target, "&1");
    EXPECT_EQ(redirections[1].target, "/sdcard/x");
}

class AndroidShellTest : public ::testing::Test {
  protected:
    static BoxConfig config() {
        BoxConfig c;
        c.systemApps = {"android", "com.android.settings"};
        c.packages.push_back({"com.example.tv", 3, "3.0", "TV", "test", {}, false, 1000, ""});
        return c;
    }
    std::string run(const std::string& line) { return m_shell.run(line).output; }

    Box m_box{config()};
    AndroidShell m_shell{m_box};
};

TEST_F(AndroidShellTest, PrintsWhatAndroidPrints) {
    struct Case {
        std::string line;
        std::string output;
    };
    const Case cases[] = {
        {"getprop ro.product.model", "MiBOX3\n"},
        {"getprop no.such.key fallback", "fallback\n"},
        {"pm list packages -3", "package:com.example.tv\n"},
        {"pm list packages -f settings", "package:/system/app/Settings.apk=com.android.settings\n"},
        {"pm list packages | grep example", "package:com.example.tv\n"},
        {"pm path com.example.tv", "package:/data/app/com.example.tv-1.apk\n"},
        {"pm uninstall com.android.settings", "Failure\n"},
        {"pm install -r /data/local/tmp/none.apk",
         "\tpkg: /data/local/tmp/none.apk\nFailure [INSTALL_FAILED_INVALID_URI]\n"},
        {"am start -n com.example.tv/.MainActivity",
         "Starting: Intent { cmp=com.example.tv/.MainActivity }\n"},
        {"am start -n com.example.tv/com.example.tv.MainActivity",
         "Starting: Intent { cmp=com.example.tv/.MainActivity }\n"
         "Warning: Activity not started, its current task has been brought to the front\n"},
        {"am start -n com.example.tv/other.Main",
         "Starting: Intent { cmp=com.example.tv/other.Main }\nError type 3\n"
         "Error: Activity class {com.example.tv/other.Main} does not exist.\n"},
        {"am startservice -n com.example.tv/.S",
         "Starting service: Intent { cmp=com.example.tv/.S }\nError: Not found; no service "
         "started.\n"},
        {"am force-stop com.example.tv", ""},
        {"rm /sdcard/none", "rm failed for /sdcard/none, No such file or directory\n"},
        {"rm -f /sdcard/none", ""},
        {"rm /system/build.prop", "rm failed for /system/build.prop, Read-only file system\n"},
        {"cat /none", "/none: No such file or directory\n"},
        {"echo hi > /sdcard/a.txt; cat /mnt/sdcard/a.txt && echo ok", "hi\nok\n"},
        {"cat /sdcard/missing || echo alt 2>/dev/null",
         "/sdcard/missing: No such file or directory\nalt\n"},
        {"echo x > /system/y", "/system/bin/sh: can't create /system/y: Read-only file system\n"},
        {"/system/bin/screencap -p /sdcard/s.png; ls /sdcard",
         "Download\nPictures\na.txt\ns.png\n"},
        {"/data/local/tmp/tool", "/system/bin/sh: /data/local/tmp/tool: not found\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(run(c.line), c.output) << c.line;
    }
    EXPECT_TRUE(m_shell.run("exit").exit);
    EXPECT_EQ(m_shell.prompt(), "shell@android:/ $ ");
}

TEST_F(AndroidShellTest, InstallsFromTheBoxsFiles) {
    ApkSpec spec;
    spec.packageName = "com.example.tv";
    spec.versionCode = 4;
    ASSERT_EQ(m_box.writeFile("/data/local/tmp/tv.apk", BuildApk(spec)), "");
    EXPECT_EQ(run("pm install /data/local/tmp/tv.apk"),
              "\tpkg: /data/local/tmp/tv.apk\nFailure [INSTALL_FAILED_ALREADY_EXISTS]\n");
    EXPECT_EQ(run("pm install -r /data/local/tmp/tv.apk"),
              "\tpkg: /data/local/tmp/tv.apk\nSuccess\n");
    EXPECT_EQ(m_box.package("com.example.tv")->apk.versionCode, 4);
    EXPECT_EQ(m_box.package("com.example.tv")->apkPath, "/data/app/com.example.tv-2.apk");

    BoxConfig small = config();
    small.freeStorage = 100;
    Box full(small);
    AndroidShell shell(full);
    full.writeFile("/sdcard/tv.apk", BuildApk(spec));
    EXPECT_EQ(shell.run("pm install -r /sdcard/tv.apk").output,
              "\tpkg: /sdcard/tv.apk\nFailure [INSTALL_FAILED_INSUFFICIENT_STORAGE]\n");
}

// Android 4.x reads the manifest before it looks for space and names every
// unreadable APK alike, and its pm uninstall names no reason; from 5.0 on
// space comes first and the parser names the fault.
TEST(PmTextsTest, FollowTheBoxsAndroidVersion) {
    ApkSpec tv;
    tv.packageName = "com.example.tv";
    const std::string good = BuildApk(tv);
    const std::string manifest = *ZipReader::open(good)->read("AndroidManifest.xml", 1 << 20);
    struct Case {
        const char* name;
        std::string apk;
        // pm's code on an sdk-19 box with room, on a full one, then the same for sdk 23.
        const char* old;
        const char* oldFull;
        const char* lollipop;
        const char* lollipopFull;
    };
    const Case cases[] = {
        {"empty", "", "INSTALL_FAILED_INVALID_APK", "INSTALL_FAILED_INVALID_APK",
         "INSTALL_PARSE_FAILED_NOT_APK", "INSTALL_PARSE_FAILED_NOT_APK"},
        {"not a zip", "just text", "INSTALL_FAILED_INVALID_APK", "INSTALL_FAILED_INVALID_APK",
         "INSTALL_PARSE_FAILED_NOT_APK", "INSTALL_FAILED_INSUFFICIENT_STORAGE"},
        {"zip without manifest", WriteZip({{"classes.dex", "x", true}}),
         "INSTALL_FAILED_INVALID_APK", "INSTALL_FAILED_INVALID_APK",
         "INSTALL_PARSE_FAILED_BAD_MANIFEST", "INSTALL_FAILED_INSUFFICIENT_STORAGE"},
        {"unsigned", WriteZip({{"AndroidManifest.xml", manifest, true}}),
         "INSTALL_PARSE_FAILED_NO_CERTIFICATES", "INSTALL_FAILED_INSUFFICIENT_STORAGE",
         "INSTALL_PARSE_FAILED_NO_CERTIFICATES", "INSTALL_FAILED_INSUFFICIENT_STORAGE"},
        {"valid", good, "", "INSTALL_FAILED_INSUFFICIENT_STORAGE", "",
         "INSTALL_FAILED_INSUFFICIENT_STORAGE"},
    };
    for (const Case& c : cases) {
        for (const auto& [sdk, freeStorage, code] :
             {std::tuple<int, uint64_t, std::string>{19, 1u << 30, c.old},
              {19, 0, c.oldFull},
              {23, 1u << 30, c.lollipop},
              {23, 0, c.lollipopFull}}) {
            BoxConfig config;
            config.sdk = sdk;
            config.freeStorage = freeStorage;
            Box box(config);
            ASSERT_EQ(box.writeFile("/data/local/tmp/x.apk", c.apk), "");
            EXPECT_EQ(AndroidShell(box).run("pm install -r /data/local/tmp/x.apk").output,
                      "\tpkg: /data/local/tmp/x.apk\n" +
                          (code.empty() ? "Success\n" : "Failure [" + code + "]\n"))
                << c.name << ", sdk " << sdk << ", free " << freeStorage;
        }
    }

    for (const auto& [sdk, failure] : {std::pair<int, std::string>{19, "Failure\n"},
                                       {22, "Failure [DELETE_FAILED_INTERNAL_ERROR]\n"}}) {
        BoxConfig config;
        config.sdk = sdk;
        Box box(config);
        EXPECT_EQ(AndroidShell(box).run("pm uninstall com.example.none").output, failure) << sdk;
    }
}

// An update of a system app stays a system app: listed by -s from /data/app,
// left out by -3, dumped with its system copy hidden beneath, and an
// uninstall brings the system copy back.
TEST(PmTextsTest, AnUpdatedSystemAppKeepsItsSystemCopy) {
    for (int sdk : {19, 23}) {
        BoxConfig config;
        config.sdk = sdk;
        config.systemApps = {"android", "com.android.settings"};
        Box box(config);
        AndroidShell shell(box);
        ApkSpec update;
        update.packageName = "com.android.settings";
        update.versionCode = 40;
        update.certName = "platform";
        ASSERT_EQ(box.writeFile("/data/local/tmp/s.apk", BuildApk(update)), "");
        ASSERT_EQ(shell.run("pm install -r /data/local/tmp/s.apk").output,
                  "\tpkg: /data/local/tmp/s.apk\nSuccess\n");

        const std::string data = sdk < 21 ? "/data/app/com.android.settings-1.apk"
                                          : "/data/app/com.android.settings-1/base.apk";
        const std::string system =
            sdk < 21 ? "/system/app/Settings.apk" : "/system/app/Settings/Settings.apk";
        EXPECT_EQ(shell.run("pm list packages -s -f settings").output,
                  "package:" + data + "=com.android.settings\n");
        EXPECT_EQ(shell.run("pm list packages -3").output, "");
        const std::string dump = shell.run("dumpsys package com.android.settings").output;
        const size_t hidden = dump.find("\nHidden system packages:\n");
        ASSERT_NE(hidden, std::string::npos) << dump;
        EXPECT_THAT(dump.substr(0, hidden), ::testing::HasSubstr("    versionCode=40 targetSdk="));
        EXPECT_THAT(dump.substr(hidden),
                    ::testing::HasSubstr(
                        "codePath=" + (sdk < 21 ? system : "/system/app/Settings") + "\n"));
        EXPECT_THAT(dump.substr(hidden),
                    ::testing::HasSubstr("    versionCode=" + std::to_string(sdk) + "\n"));
        EXPECT_TRUE(box.stat(system)) << "the system copy stays on /system";

        EXPECT_EQ(shell.run("pm uninstall com.android.settings").output, "Success\n");
        EXPECT_EQ(shell.run("pm path com.android.settings").output, "package:" + system + "\n");
        EXPECT_EQ(box.package("com.android.settings")->apk.versionCode, sdk);
        EXPECT_FALSE(box.stat(data));
    }
}

TEST(PmTextsTest, ListsInTheOrderOfTheBoxsAndroid) {
    // Java's String.hashCode over UTF-16, surrogate pairs included.
    for (const auto& [text, hash] : {std::pair<std::string, int32_t>{"hello", 99162322},
                                     {"android", -861391249},
                                     {"播放器", 25593431},
                                     {"a\U0001D11E", 1865611}}) {
        EXPECT_EQ(JavaStringHash(text), hash) << text;
    }
    auto names = [](int sdk) {
        BoxConfig config;
        config.sdk = sdk;
        config.systemApps = DefaultSystemApps();
        Box box(config);
        std::vector<std::string> out;
        const std::string listing = AndroidShell(box).run("pm list packages").output;
        for (size_t at = 0; at < listing.size();) {
            const size_t end = listing.find('\n', at);
            out.push_back(listing.substr(at + 8, end - at - 8));
            at = end + 1;
        }
        return out;
    };
    const auto jellyBean = names(17);
    EXPECT_TRUE(std::is_sorted(jellyBean.begin(), jellyBean.end()));
    EXPECT_EQ(jellyBean.size(), DefaultSystemApps().size());
    const auto kitKat = names(19);
    EXPECT_FALSE(std::is_sorted(kitKat.begin(), kitKat.end()));
    const auto marshmallow = names(23);
    EXPECT_TRUE(std::is_sorted(marshmallow.begin(), marshmallow.end(), [](auto& a, auto& b) {
        return JavaStringHash(a) < JavaStringHash(b);
    }));
}

// $(...) and `...` run on the box, outside single quotes, as sh runs them.
TEST(ShellSubstitutionTest, RunsOnTheBoxOutsideSingleQuotes) {
    BoxConfig config;
    Box box(config);
    AndroidShell shell(box);
    struct Case {
        std::string line;
        std::string output;
    };
    const Case cases[] = {
        {"echo \"[$(echo hi)]\" `echo a` b", "[hi] a b\n"},
        {"echo $(echo $(echo nested))", "nested\n"},
        {"echo '$(reboot)' \\$(reboot) \"\\`reboot\\`\"", "$(reboot) $(reboot) `reboot`\n"},
        {"echo $(echo 'a)b')", "a)b\n"},
        {"echo $(echo", "/system/bin/sh: syntax error: unterminated command substitution\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(shell.run(c.line).output, c.output) << c.line;
    }
    EXPECT_TRUE(box.received().empty()) << "nothing above ran reboot";
    EXPECT_EQ(shell.run("pm path x$(reboot)").output, "");
    EXPECT_EQ(box.received().size(), 1u);
    EXPECT_EQ(box.received()[0]["channel"], "reboot");
}

TEST(AndroidShellFaultTest, ABoxWithoutScreencapSaysNotFound) {
    BoxConfig config;
    config.faults.screencapMissing = true;
    Box box(config);
    AndroidShell shell(box);
    EXPECT_EQ(shell.run("screencap -p /sdcard/s.png").output,
              "/system/bin/sh: screencap: not found\n");
    EXPECT_EQ(shell.run("/system/bin/screencap -p /sdcard/s.png").output,
              "/system/bin/sh: /system/bin/screencap: not found\n");
    EXPECT_FALSE(box.stat("/sdcard/s.png"));
}

TEST(BoxTest, PreinstallsFromApkFiles) {
    test::TempDir dir;
    ApkSpec spec;
    spec.packageName = "com.example.market";
    spec.versionCode = 21;
    spec.label = "Market";
    spec.certName = "market";
    const std::string path = dir.path() + "/market.apk";
    WriteApk(spec, path);
    BoxConfig config;
    PackageConfig fromFile;
    fromFile.apkFile = path;
    config.packages.push_back(fromFile);
    Box box(config);
    auto market = box.package("com.example.market");
    ASSERT_TRUE(market);
    EXPECT_EQ(market->apk.versionCode, 21);
    EXPECT_EQ(market->apk.label, "Market");
    EXPECT_EQ(market->apk.certificateDer, TestCertificateDer("market"));
    EXPECT_FALSE(market->system);

    config.packages[0].apkFile = dir.path() + "/missing.apk";
    EXPECT_THROW(Box{config}, std::runtime_error);
}

}  // namespace
}  // namespace qvpc::boxsim
