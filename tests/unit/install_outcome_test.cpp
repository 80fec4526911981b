#include "adb/install_outcome.h"

#include <gtest/gtest.h>

namespace qvpc {
namespace {

using Kind = InstallOutcome::Kind;

// Outputs as the shell collects them: old clients (1.0.32) and adb 29 against
// an old box (push install) or a newer one (streamed install).
constexpr const char* kOldPush = "1234 KB/s (100000 bytes in 0.079s)\r\n";
constexpr const char* kModernPush =
    "Performing Push Install\r\n"
    "/home/u/app.apk: 1 file pushed, 0 skipped. 2.0 MB/s (100000 bytes in 0.048s)\r\n";
constexpr const char* kPkgLine = "\tpkg: /data/local/tmp/app.apk\r\r\n";

std::string OldFailure(const std::string& code) {
    return std::string(kOldPush) + kPkgLine + "Failure [" + code + "]\r\r\n";
}
std::string ModernPushFailure(const std::string& code) {
    return std::string(kModernPush) + kPkgLine + "Failure [" + code + "]\r\r\n";
}
std::string StreamedFailure(const std::string& code) {
    return "Performing Streamed Install\r\nadb: failed to install /home/u/app.apk: Failure [" +
           code + ": detail]\r\n";
}

TEST(ClassifyInstallOutputTest, EveryFailureCodeGivesItsRowInEveryClientsWording) {
    const std::pair<const char*, int> codes[] = {
        {"INSTALL_FAILED_MEDIA_UNAVAILABLE", 2},
        {"INSTALL_FAILED_INVALID_INSTALL_LOCATION", 3},
        {"INSTALL_FAILED_OLDER_SDK", 4},
        {"INSTALL_FAILED_INVALID_APK", 5},
        {"INSTALL_FAILED_INSUFFICIENT_STORAGE", 6},
        {"INSTALL_FAILED_ALREADY_EXISTS", 8},
        {"INSTALL_PARSE_FAILED_INCONSISTENT_CERTIFICATES", 9},
        {"INSTALL_FAILED_UID_CHANGED", 10},
        {"INSTALL_FAILED_VERSION_DOWNGRADE", 11},
        // A code the table does not know counts as a lost connection, even
        // with the push summary in the output.
        {"INSTALL_FAILED_UPDATE_INCOMPATIBLE", 16},
        {"INSTALL_PARSE_FAILED_NO_CERTIFICATES", 16},
    };
    for (const auto& [code, row] : codes) {
        for (const std::string& output :
             {OldFailure(code), ModernPushFailure(code), StreamedFailure(code)}) {
            InstallOutcome outcome = ClassifyInstallOutput(output, "/home/u/app.apk");
            EXPECT_EQ(outcome.kind, Kind::Failure) << output;
            EXPECT_EQ(outcome.row, row) << output;
        }
    }
}

TEST(ClassifyInstallOutputTest, ReadsTheOtherRowsInOrder) {
    struct Case {
        const char* what;
        std::string output;
        int row;
        Kind kind;
    };
    const Case cases[] = {
        {"old success", std::string(kOldPush) + kPkgLine + "Success\r\r\n", 1, Kind::Success},
        {"modern push success", std::string(kModernPush) + kPkgLine + "Success\r\r\n", 1,
         Kind::Success},
        {"streamed success", "Performing Streamed Install\r\nSuccess\r\n", 1, Kind::Success},
        {"lower case", "success\r\n", 1, Kind::Success},
        {"old missing file", "can't find '/x/a.apk' to install\r\n", 7, Kind::Failure},
        {"modern missing file",
         "Performing Push Install\r\nadb: error: cannot stat '/x/a.apk': No such file or "
         "directory\r\n",
         7, Kind::Failure},
        {"streamed missing file", "adb: failed to stat /x/a.apk: No such file or directory\r\n", 7,
         Kind::Failure},
        {"pushed, no verdict yet", kOldPush, 12, Kind::Transferring},
        {"modern pushed, no verdict yet", kModernPush, 12, Kind::Transferring},
        {"empty file pushed", "Performing Push Install\r\n/x/a.apk: 1 file pushed, 0 skipped.\r\n",
         12, Kind::Transferring},
        {"protocol fault", "error: protocol fault (no status)\r\n", 13, Kind::Failure},
        {"old device not found", "error: device not found\r\n", 14, Kind::Failure},
        {"modern device not found",
         "Performing Push Install\r\nerror: device '127.0.0.2:5555' not found\r\nadb: error: "
         "failed to get feature set: device '127.0.0.2:5555' not found\r\n",
         14, Kind::Failure},
        {"offline", "Performing Push Install\r\nerror: device offline\r\n", 15, Kind::Failure},
        {"unauthorized", "error: device unauthorized.\r\n", 16, Kind::Failure},
        {"nothing", "-", 16, Kind::Failure},
        {"earlier row wins", "Failure [INSTALL_FAILED_OLDER_SDK]\r\ncan't find x\r\n", 4,
         Kind::Failure},
        {"success and bytes in", std::string(kOldPush) + "Success\r\n", 1, Kind::Success},
    };
    for (const Case& c : cases) {
        InstallOutcome outcome = ClassifyInstallOutput(c.output, "/x/a.apk");
        EXPECT_EQ(outcome.row, c.row) << c.what;
        EXPECT_EQ(outcome.kind, c.kind) << c.what;
    }
}

TEST(ClassifyInstallOutputTest, TheDialogTextsAreThoseOfTheTable) {
    InstallOutcome sdCard = ClassifyInstallOutput("Failure [INSTALL_FAILED_MEDIA_UNAVAILABLE]");
    EXPECT_EQ(sdCard.title, "应用安装失败");
    EXPECT_EQ(sdCard.text, "SD卡不存在");
    InstallOutcome offline = ClassifyInstallOutput("error: device offline");
    EXPECT_EQ(offline.title, "连接断开");
    EXPECT_EQ(offline.text, "请检查盒子的adb调试模式是否已打开,再尝试重新连接");
    InstallOutcome none = ClassifyInstallOutput("");
    EXPECT_EQ(none.text, "连接断开.请检查盒子的adb调试模式是否已打开,再尝试重新连接");
}

TEST(ClassifyInstallOutputTest, NeitherTheEchoedPathNorTheServersNotesDecide) {
    // adb echoes the local path and the file's name; what they hold is not
    // the box's verdict, whatever the box answers or when it answers nothing.
    struct Case {
        const char* what;
        std::string path;
        std::string boxSays;  // after the push summary; "" when the box dropped
        int row;
    };
    const Case cases[] = {
        {"a folder named Success", "/home/u/Success/app.apk", "Failure [INSTALL_FAILED_OLDER_SDK]",
         4},
        {"any case", "/home/u/my success stories/app.apk", "Failure [INSTALL_FAILED_OLDER_SDK]", 4},
        {"the file's own name", "/home/u/Success TV.apk", "Failure [INSTALL_FAILED_OLDER_SDK]", 4},
        {"a line break in the name", "/home/u/x\nSuccess\n.apk",
         "Failure [INSTALL_FAILED_OLDER_SDK]", 4},
        {"a failure code in the name", "/home/u/Failure [INSTALL_FAILED_OLDER_SDK]/app.apk",
         "Success", 1},
        {"the box dropped mid-push, Success folder", "/home/u/Success/app.apk", "", 16},
    };
    for (const Case& c : cases) {
        const std::size_t slash = c.path.rfind('/');
        const std::string remote = "/data/local/tmp/" + c.path.substr(slash + 1);
        std::string output =
            "* daemon not running; starting now at tcp:5037\r\n"
            "* daemon started successfully\r\nPerforming Push Install\r\n"
            "\r[ 50%] " +
            remote + "\x1b[K";
        if (c.boxSays.empty()) {
            output += "\radb: error: failed to copy '" + c.path + "' to '" + remote +
                      "': couldn't read from device\x1b[K\r\n";
        } else {
            output += "\r" + c.path + ": 1 file pushed, 0 skipped. 2.0 MB/s (100 bytes in " +
                      "0.001s)\x1b[K\r\n\tpkg: " + remote + "\r\r\n" + c.boxSays + "\r\r\n";
        }
        // The shell's reader turns a bare LF into CR LF.
        std::string kept;
        for (std::size_t i = 0; i < output.size(); ++i) {
            if (output[i] == '\n' && (i == 0 || output[i - 1] != '\r')) {
                kept += '\r';
            }
            kept += output[i];
        }
        EXPECT_EQ(ClassifyInstallOutput(kept, c.path).row, c.row) << c.what;
    }

    const std::string serverOnly =
        "* daemon started successfully\r\nerror: device '1.2.3.4:5555' not found\r\n";
    EXPECT_EQ(ClassifyInstallOutput(serverOnly).row, 14);
}

TEST(ClassifyInstallOutputTest, OnlyAWholeLineOfTheBoxIsASuccess) {
    EXPECT_EQ(ClassifyInstallOutput("Performing Push Install\r\nnot a Success story\r\n").row, 16);
    EXPECT_EQ(ClassifyInstallOutput("\tpkg: /data/local/tmp/a.apk\r\r\n  Success \r\r\n").row, 1);
}

}  // namespace
}  // namespace qvpc
