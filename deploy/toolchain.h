#pragma once

#include <span>
#include <string>
#include <string_view>

namespace qvpc {

class Log;
struct AppPaths;

// The companion app's file name in DataDir.
inline constexpr std::string_view kCompanionApkName = "VizorerOVI.apk";

std::string CompanionApkPath(const std::string& dataDir);

// Writes the carried files into DataDir: each one that is missing or of
// another size than its image, the database template only where no database
// exists. Other processes are never touched.
void DeployToolchain(const AppPaths& paths, Log& log);

// Writes image to path, replacing it; false when that failed.
bool WriteImage(const std::string& path, std::span<const unsigned char> image);

// A carried file counts as deployed when a file of exactly its size is there.
bool IsDeployed(const std::string& path, std::span<const unsigned char> image);

// Whether an adb client runs here ("adb version" answers within a bound).
bool AdbClientRuns();

}  // namespace qvpc
