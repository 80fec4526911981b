// The readers of the app listing's adb texts, fed what Android 4.2 to 6.0
// prints (CR LF from the box's terminal, noise lines, no final line end).
#include "companion/adb_package_texts.h"

#include <gtest/gtest.h>

namespace qvpc {
namespace {

using Listed = std::vector<ListedPackage>;

TEST(AdbPackageTextsTest, PackageListOfEveryVersion) {
    const struct {
        const char* version;
        std::string output;
        Listed packages;
    } cases[] = {
        {"4.2, sorted, with a system app updated into /data/app absent from -3",
         "package:/data/app/com.example.tv-1.apk=com.example.tv\r\n"
         "package:/data/app/com.other.app-2.apk=com.other.app\r\n",
         {{"com.example.tv", "/data/app/com.example.tv-1.apk"},
          {"com.other.app", "/data/app/com.other.app-2.apk"}}},
        {"4.4 after a linker warning, no final line end",
         "WARNING: linker: libdvm.so has text relocations. This is wasting memory and is a "
         "security risk. Please fix.\r\n"
         "package:/data/app/com.other.app-2.apk=com.other.app\r\n"
         "package:/data/app/com.example.tv-1.apk=com.example.tv",
         {{"com.other.app", "/data/app/com.other.app-2.apk"},
          {"com.example.tv", "/data/app/com.example.tv-1.apk"}}},
        {"5.x and 6.0, a folder per app",
         "package:/data/app/com.example.tv-1/base.apk=com.example.tv\r\n",
         {{"com.example.tv", "/data/app/com.example.tv-1/base.apk"}}},
        {"a null path, a path holding '=', no path (without -f)",
         "package:null=com.example.tv\r\npackage:/mnt/asec/a=b/pkg.apk=com.b.c\r\n"
         "package:com.plain.name\n",
         {{"com.example.tv", ""}, {"com.b.c", "/mnt/asec/a=b/pkg.apk"}, {"com.plain.name", ""}}},
        {"nothing installed", "", {}},
        {"the package manager is not running",
         "Error: Could not access the Package Manager.  Is the system running?\r\n",
         {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParsePackageList(c.output), c.packages) << c.version;
    }
}

TEST(AdbPackageTextsTest, FailuresOfAdbAndOfTheBoxsTools) {
    const std::pair<std::string, std::optional<std::string>> cases[] = {
        {"Error: Could not access the Package Manager.  Is the system running?\r\n",
         "Error: Could not access the Package Manager.  Is the system running?"},
        {"android.os.DeadObjectException\r\nError: Could not access the Package Manager.  Is "
         "the system running?\r\n",
         "Error: Could not access the Package Manager.  Is the system running?"},
        {"Error: Unknown option: -q\r\n", "Error: Unknown option: -q"},
        {"error: device offline\n", "error: device offline"},
        {"error: device '192.168.1.20:5555' not found\n",
         "error: device '192.168.1.20:5555' not found"},
        {"package:/data/app/com.example.tv-1.apk=com.example.tv\r\n", std::nullopt},
        {"/data/app/x.apk: No such file or directory\r\n", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& [output, failure] : cases) {
        EXPECT_EQ(FailureLine(output), failure) << output;
    }
}

// The 4.4 block (Settings.dumpPackageLPr), with the sections dumpsys prints
// before it.
const std::string kDumpsys44 =
    "Activity Resolver Table:\r\n"
    "  Non-Data Actions:\r\n"
    "      android.intent.action.MAIN:\r\n"
    "        41c2f3a8 com.example.tv/.MainActivity filter 41c2f5b0\r\n"
    "\r\n"
    "Permissions:\r\n"
    "  Permission [com.example.tv.permission.C2D] (41b55e40):\r\n"
    "    sourcePackage=com.example.tv\r\n"
    "\r\n"
    "Packages:\r\n"
    "  Package [com.example.tv] (41b7c2a8):\r\n"
    "    userId=10045 gids=[3003]\r\n"
    "    pkg=Package{41c0e1f0 com.example.tv}\r\n"
    "    codePath=/data/app/com.example.tv-1.apk\r\n"
    "    resourcePath=/data/app/com.example.tv-1.apk\r\n"
    "    nativeLibraryPath=/data/app-lib/com.example.tv-1\r\n"
    "    versionCode=321 targetSdk=19\r\n"
    "    versionName=1.2.3\r\n"
    "    applicationInfo=ApplicationInfo{41b9e2e8 com.example.tv}\r\n"
    "    flags=[ HAS_CODE ALLOW_CLEAR_USER_DATA ALLOW_BACKUP ]\r\n"
    "    dataDir=/data/data/com.example.tv\r\n"
    "    supportsScreens=[small, medium, large, xlarge, resizeable, anyDensity]\r\n"
    "    timeStamp=2017-01-01 08:00:00\r\n"
    "    firstInstallTime=2017-01-01 08:00:00\r\n"
    "    lastUpdateTime=2017-01-01 08:00:00\r\n"
    "    signatures=PackageSignatures{41b7c3d0 [41b7d1e8]}\r\n"
    "    permissionsFixed=true haveGids=true installStatus=1\r\n"
    "    pkgFlags=[ HAS_CODE ALLOW_CLEAR_USER_DATA ALLOW_BACKUP ]\r\n"
    "    User 0:  installed=true blocked=false stopped=false notLaunched=false enabled=0\r\n"
    "    grantedPermissions:\r\n"
    "      android.permission.INTERNET\r\n";

const PackageDump kDump321{.versionCode = 321,
                           .versionName = "1.2.3",
                           .dataDir = "/data/data/com.example.tv",
                           .firstInstallTime = "2017-01-01 08:00:00",
                           .lastUpdateTime = "2017-01-01 08:00:00"};

TEST(AdbPackageTextsTest, DumpsysPackageBlockOfEveryVersion) {
    const std::string dumpsys51 =
        "Packages:\r\n"
        "  Package [com.example.tv] (2a3b4c5d):\r\n"
        "    userId=10045 gids=[3003]\r\n"
        "    pkg=Package{1f2e3d4c com.example.tv}\r\n"
        "    codePath=/data/app/com.example.tv-1\r\n"
        "    resourcePath=/data/app/com.example.tv-1\r\n"
        "    legacyNativeLibraryDir=/data/app/com.example.tv-1/lib\r\n"
        "    primaryCpuAbi=armeabi-v7a\r\n"
        "    secondaryCpuAbi=null\r\n"
        "    versionCode=321 targetSdk=22\r\n"
        "    versionName=1.2.3\r\n"
        "    splits=[base]\r\n"
        "    dataDir=/data/data/com.example.tv\r\n"
        "    firstInstallTime=2017-01-01 08:00:00\r\n"
        "    lastUpdateTime=2017-01-01 08:00:00\r\n"
        "    User 0:  installed=true hidden=false stopped=false notLaunched=false enabled=0\r\n";
    const std::string dumpsys60 =
        "Key Set Manager:\r\n"
        "  [com.example.tv]\r\n"
        "      Signing KeySets: 12\r\n"
        "\r\n"
        "Packages:\r\n"
        "  Package [com.example.tv] (5e6f7a8b):\r\n"
        "    userId=10045\r\n"
        "    pkg=Package{9c8d7e6f com.example.tv}\r\n"
        "    codePath=/data/app/com.example.tv-1\r\n"
        "    versionCode=321 targetSdk=23\r\n"
        "    versionName=1.2.3\r\n"
        "    splits=[base]\r\n"
        "    dataDir=/data/user/0/com.example.tv\r\n"
        "    firstInstallTime=2017-01-01 08:00:00\r\n"
        "    lastUpdateTime=2017-01-01 08:00:00\r\n"
        "    installPermissionsFixed=true installStatus=1\r\n"
        "    requested permissions:\r\n"
        "      android.permission.INTERNET\r\n"
        "    User 0: installed=true hidden=false stopped=false notLaunched=false enabled=0\r\n"
        "      runtime permissions:\r\n";
    PackageDump dump60 = kDump321;
    dump60.dataDir = "/data/user/0/com.example.tv";

    EXPECT_EQ(ParseDumpsysPackage(kDumpsys44, "com.example.tv"), kDump321) << "4.2, 4.4";
    EXPECT_EQ(ParseDumpsysPackage(dumpsys51, "com.example.tv"), kDump321) << "5.1";
    EXPECT_EQ(ParseDumpsysPackage(dumpsys60, "com.example.tv"), dump60) << "6.0";
    // A final field line without its line end still counts.
    EXPECT_EQ(ParseDumpsysPackage("Packages:\n  Package [a.b] (1):\n    versionCode=7 targetSdk=19",
                                  "a.b"),
              PackageDump{.versionCode = 7});
}

TEST(AdbPackageTextsTest, DumpsysReadsOnlyThePackagesOwnBlockUnderPackages) {
    // An updated system app: the current block under "Packages:", the
    // /system one with the old version under "Hidden system packages:".
    const std::string updated =
        "Packages:\r\n"
        "  Package [com.example.tv] (41b7c2a8):\r\n"
        "    codePath=/data/app/com.example.tv-1.apk\r\n"
        "    versionCode=321 targetSdk=19\r\n"
        "    versionName=1.2.3\r\n"
        "\r\n"
        "Hidden system packages:\r\n"
        "  Package [com.example.tv] (41c1a2b8):\r\n"
        "    codePath=/system/app/ExampleTv.apk\r\n"
        "    versionCode=100 targetSdk=19\r\n"
        "    versionName=1.0\r\n";
    EXPECT_EQ(ParseDumpsysPackage(updated, "com.example.tv"),
              (PackageDump{.versionCode = 321, .versionName = "1.2.3"}));
    const std::string hiddenOnly =
        "Packages:\r\n"
        "  Package [com.other.app] (41b7c2a8):\r\n"
        "    versionCode=5 targetSdk=19\r\n"
        "\r\n"
        "Hidden system packages:\r\n"
        "  Package [com.example.tv] (41c1a2b8):\r\n"
        "    versionCode=100 targetSdk=19\r\n";
    EXPECT_EQ(ParseDumpsysPackage(hiddenOnly, "com.example.tv"), std::nullopt);
    // A package whose name begins like another's.
    EXPECT_EQ(ParseDumpsysPackage(kDumpsys44, "com.example.t"), std::nullopt);
    // An unknown name with a dot prints nothing at all.
    EXPECT_EQ(ParseDumpsysPackage("", "com.example.tv"), std::nullopt);
    EXPECT_EQ(ParseDumpsysPackage("Can't find service: package\r\n", "com.example.tv"),
              std::nullopt);
}

TEST(AdbPackageTextsTest, LsSizeOfTheApk) {
    const std::string path44 = "/data/app/com.example.tv-1.apk";
    const std::string path60 = "/data/app/com.example.tv-1/base.apk";
    const struct {
        const char* what;
        std::string output;
        std::string path;
        std::optional<std::uint64_t> size;
    } cases[] = {
        {"4.2 to 6.0 toolbox: the base name",
         "-rw-r--r-- system   system    1234567 2017-01-01 08:00 com.example.tv-1.apk\r\n", path44,
         1234567},
        {"6.0 base.apk", "-rw-r--r-- system   system    5242880 2017-01-01 08:00 base.apk\r\n",
         path60, 5242880},
        {"a size wider than its column, no line end",
         "-rw-r--r-- system   system   123456789012 2017-01-01 08:00 base.apk", path60,
         123456789012},
        {"the whole path, a link count (toybox)",
         "-rw-r--r-- 1 system system 6926 2015-01-01 00:00 /data/app/com.example.tv-1.apk\n",
         path44, 6926},
        {"missing", "/data/app/com.example.tv-1.apk: No such file or directory\r\n", path44,
         std::nullopt},
        {"unreadable folder", "opendir failed, Permission denied\r\n", path44, std::nullopt},
        {"another file's line",
         "-rw-r--r-- system   system    1234567 2017-01-01 08:00 com.other-1.apk\r\n", path44,
         std::nullopt},
        {"a folder", "drwxr-xr-x system   system            2017-01-01 08:00 com.example.tv-1\r\n",
         "/data/app/com.example.tv-1", std::nullopt},
        {"a name with blanks",
         "-rw-r--r-- system   system        42 2017-01-01 08:00 my app.apk\r\n",
         "/mnt/asec/my app.apk", 42},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseLsSize(c.output, c.path), c.size) << c.what;
    }
}

TEST(AdbPackageTextsTest, BatchOutputIsCutAtItsMarkers) {
    const std::string output =
        "noise before\r\n"
        "qvpc-package:com.example.tv\r\n" +
        kDumpsys44 +
        "-rw-r--r-- system   system    1234567 2017-01-01 08:00 "
        "com.example.tv-1.apk\r\n"
        "qvpc-package:com.empty.app\r\n"
        "qvpc-package:com.other.app\r\n"
        "/data/app/com.other.app-1.apk: No such file or directory";
    const auto parts = SplitAtMarkers(output);
    ASSERT_EQ(parts.size(), 3u);
    EXPECT_EQ(ParseDumpsysPackage(parts.at("com.example.tv"), "com.example.tv"), kDump321);
    EXPECT_EQ(ParseLsSize(parts.at("com.example.tv"), "/data/app/com.example.tv-1.apk"), 1234567u);
    EXPECT_EQ(parts.at("com.empty.app"), "");
    EXPECT_EQ(ParseLsSize(parts.at("com.other.app"), "/data/app/com.other.app-1.apk"),
              std::nullopt);
}

}  // namespace
}  // namespace qvpc
