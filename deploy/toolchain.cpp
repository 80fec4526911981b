#include "deploy/toolchain.h"

#include <filesystem>

#include "base/app_paths.h"
#include "base/atomic_file.h"
#include "base/log.h"
#include "base/process.h"
#include "deploy/carried_images.h"

namespace qvpc {
namespace {

constexpr std::chrono::seconds kAdbVersionLimit{10};

}  // namespace

std::string CompanionApkPath(const std::string& dataDir) {
    return dataDir + "/" + std::string(kCompanionApkName);
}

bool IsDeployed(const std::string& path, std::span<const unsigned char> image) {
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec) &&
           std::filesystem::file_size(path, ec) == image.size() && !ec;
}

bool WriteImage(const std::string& path, std::span<const unsigned char> image) {
    return WriteFileReplacing(path, image);
}

void DeployToolchain(const AppPaths& paths, Log& log) {
    MakeDirectories(paths.dataDir);

    // An existing database is the user's, whatever its size or state.
    std::error_code ec;
    if (!std::filesystem::exists(paths.dbPath, ec) && !ec &&
        !WriteImage(paths.dbPath, carried_images::DatabaseTemplate())) {
        log.WriteLog(log_category::kOperation, "写出数据库模板失败: " + paths.dbPath);
    }

    std::span<const unsigned char> companion = carried_images::CompanionApk();
    const std::string companionPath = CompanionApkPath(paths.dataDir);
    if (!companion.empty() && !IsDeployed(companionPath, companion)) {
        // Without it the box's apps cannot be listed; the log says why.
        log.WriteLog(log_category::kOperation, WriteImage(companionPath, companion)
                                                   ? "写出VizorerOVI"
                                                   : "写出VizorerOVI失败: " + companionPath);
    }
}

bool AdbClientRuns() {
    std::optional<ProcessResult> result = RunProcess({"adb", "version"}, kAdbVersionLimit);
    return result && result->exitCode == 0 &&
           result->output.find("Android Debug Bridge") != std::string::npos;
}

}  // namespace qvpc
