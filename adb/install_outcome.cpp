#include "adb/install_outcome.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <vector>

namespace qvpc {
namespace {

constexpr std::string_view kFailedTitle = "应用安装失败";
constexpr std::string_view kConnectionLost = "连接断开，请重新连接盒子";

struct Row {
    int number;
    InstallOutcome::Kind kind;
    std::array<std::string_view, 3> texts;  // any one of them matches; empty ones don't count
    std::string_view title;
    std::string_view text;
};

using Kind = InstallOutcome::Kind;

// Old clients' texts first, then the modern client's forms of the same outcome.
const std::array kRows = {
    Row{1, Kind::Success, {"Success"}, {}, {}},
    Row{2, Kind::Failure, {"INSTALL_FAILED_MEDIA_UNAVAILABLE"}, kFailedTitle, "SD卡不存在"},
    Row{3,
        Kind::Failure,
        {"INSTALL_FAILED_INVALID_INSTALL_LOCATION"},
        kFailedTitle,
        "无效的安装路径"},
    Row{4, Kind::Failure, {"INSTALL_FAILED_OLDER_SDK"}, kFailedTitle, "安卓系统版本过旧"},
    Row{5, Kind::Failure, {"INSTALL_FAILED_INVALID_APK"}, kFailedTitle, "无效的APK"},
    Row{6,
        Kind::Failure,
        {"INSTALL_FAILED_INSUFFICIENT_STORAGE"},
        kFailedTitle,
        "没有足够的存储空间"},
    // adb 29: "adb: error: cannot stat 'P': ..." (push), "adb: failed to stat P: ..." (streamed).
    Row{7,
        Kind::Failure,
        {"can't find", "cannot stat '", "failed to stat "},
        kFailedTitle,
        "apk文件不存在"},
    Row{8,
        Kind::Failure,
        {"INSTALL_FAILED_ALREADY_EXISTS"},
        kFailedTitle,
        "应用已存在,请卸载后再安装"},
    Row{9,
        Kind::Failure,
        {"INSTALL_PARSE_FAILED_INCONSISTENT_CERTIFICATES"},
        kFailedTitle,
        "签名不一致,请卸载后再安装"},
    Row{10, Kind::Failure, {"INSTALL_FAILED_UID_CHANGED"}, kFailedTitle, "签名冲突,请卸载后再安装"},
    Row{11,
        Kind::Failure,
        {"INSTALL_FAILED_VERSION_DOWNGRADE"},
        kFailedTitle,
        "已安装更高版本,请卸载后再安装"},
    // The push summary; adb 29 leaves out "(N bytes in T s)" for an empty file.
    Row{12, Kind::Transferring, {"bytes in", " pushed, "}, {}, {}},
    Row{13, Kind::Failure, {"error: protocol fault (no status)"}, kFailedTitle, kConnectionLost},
    Row{14, Kind::Failure, {"error: device not found"}, kFailedTitle, kConnectionLost},
    Row{15,
        Kind::Failure,
        {"error: device offline"},
        "连接断开",
        "请检查盒子的adb调试模式是否已打开,再尝试重新连接"},
};

constexpr InstallOutcome kNoneOfThem{Kind::Failure, InstallOutcome::kNoneOfThemRow, kFailedTitle,
                                     "连接断开.请检查盒子的adb调试模式是否已打开,再尝试重新连接"};

// adb 29 names the box: "error: device '192.168.1.5:5555' not found".
bool NamesMissingDevice(std::string_view lowerOutput) {
    std::size_t at = lowerOutput.find("error: device '");
    return at != std::string_view::npos &&
           lowerOutput.find("' not found", at) != std::string_view::npos;
}

void EraseAll(std::string& text, std::string_view what) {
    if (what.empty()) {
        return;
    }
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at)) {
        text.erase(at, what.size());
    }
}

// Text as the shell's reader keeps it: every LF without a CR before it
// becomes CR LF.
std::string AsReaderKeepsIt(std::string_view text) {
    std::string kept;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) {
            kept += '\r';
        }
        kept += text[i];
    }
    return kept;
}

// adb echoes the APK's local path (push summary, transfer errors) and its
// name on the box ("/data/local/tmp/" + base name: progress and the package
// manager's "pkg:" line). Whatever those hold, a folder named "Success" or a
// name with line breaks, is not the box's word.
std::string WithoutEchoedPaths(std::string text, std::string_view localPath) {
    if (localPath.empty()) {
        return text;
    }
    const std::size_t slash = localPath.rfind('/');
    const std::string_view baseName =
        slash == std::string_view::npos ? localPath : localPath.substr(slash + 1);
    for (std::string_view echoed : {localPath, baseName}) {
        EraseAll(text, AsReaderKeepsIt(echoed));
        EraseAll(text, echoed);
    }
    return text;
}

// The lines of the output with their surrounding blanks and the terminal's
// erase-to-end-of-line codes taken off; a CR alone also ends a line (adb
// redraws its progress line after one).
std::vector<std::string> Lines(std::string_view text) {
    std::vector<std::string> lines;
    std::string line;
    auto finish = [&] {
        EraseAll(line, "\x1b[K");
        const std::size_t first = line.find_first_not_of(" \t");
        const std::size_t last = line.find_last_not_of(" \t");
        lines.push_back(first == std::string::npos ? std::string()
                                                   : line.substr(first, last - first + 1));
        line.clear();
    };
    for (char c : text) {
        if (c == '\r' || c == '\n') {
            finish();
        } else {
            line += c;
        }
    }
    finish();
    return lines;
}

// The box's verdict lines: the package manager's "Success" or "Failure [CODE]"
// (relayed as they are, or inside adb's "adb: failed to install P: Failure
// [CODE: detail]" of a streamed install).
bool IsSuccessLine(std::string_view lowerLine) {
    return lowerLine == "success";
}
bool IsFailureLine(std::string_view lowerLine) {
    return lowerLine.find("failure") != std::string_view::npos;
}

}  // namespace

InstallOutcome ClassifyInstallOutput(std::string_view output, std::string_view localPath) {
    // OutputBuffer starts with the marker it was reset to ("-", "="), and what
    // the command printed follows it on the same line.
    if (output.starts_with('-') || output.starts_with('=')) {
        output.remove_prefix(1);
    }
    const std::string lower = Lower(WithoutEchoedPaths(WithoutServerNotes(output), localPath));
    const std::vector<std::string> lines = Lines(lower);
    const bool succeeded = std::any_of(lines.begin(), lines.end(), IsSuccessLine);
    // A verdict from the box, even one the table does not know, means the
    // transfer is over: the installation failed for a reason of its own.
    std::string failures;
    for (const std::string& line : lines) {
        if (IsFailureLine(line)) {
            failures += line + '\n';
        }
    }
    const bool hasVerdict = succeeded || !failures.empty();

    for (const Row& row : kRows) {
        // The verdict rows read only the box's lines; the rest are adb's own
        // texts about the transfer and the connection.
        const bool fromTheBox = row.number <= 11 && row.number != 7;
        const std::string& searched = fromTheBox ? failures : lower;
        bool found;
        if (row.kind == Kind::Success) {
            found = succeeded;
        } else {
            found = std::any_of(row.texts.begin(), row.texts.end(), [&](std::string_view what) {
                return !what.empty() && searched.find(Lower(what)) != std::string::npos;
            });
        }
        if (row.number == 14) {
            found = found || NamesMissingDevice(lower);
        }
        if (row.kind == Kind::Transferring && hasVerdict) {
            found = false;
        }
        if (found) {
            return {row.kind, row.number, row.title, row.text};
        }
    }
    return kNoneOfThem;
}

bool AwaitsVerdict(std::string_view output, std::string_view localPath) {
    const InstallOutcome outcome = ClassifyInstallOutput(output, localPath);
    if (outcome.kind == Kind::Transferring) {
        return true;
    }
    return outcome.row == kNoneOfThem.row &&
           Lower(WithoutEchoedPaths(std::string(output), localPath))
                   .find("performing streamed install") != std::string::npos;
}

}  // namespace qvpc
