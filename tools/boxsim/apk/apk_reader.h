#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qvpc::boxsim {

// What the package manager of the simulated box learns from an APK.
struct ApkInfo {
    std::string packageName;
    int64_t versionCode = 0;
    std::string versionName;
    std::string label;                    // empty when the APK has none
    std::string icon;                     // PNG bytes, empty when none could be read
    std::vector<std::string> activities;  // fully qualified class names
    std::string certificateDer;
};

// Either the info, or the package manager's failure code
// (INSTALL_PARSE_FAILED_NOT_APK, ..._BAD_MANIFEST, ..._NO_CERTIFICATES, ...).
struct ApkReadResult {
    std::optional<ApkInfo> info;
    std::string failure;
};

// Reads an APK held in memory. Never throws on bad input: every size and
// offset is checked and capped, so hostile files only give a failure code.
ApkReadResult ReadApk(std::string_view bytes);

}  // namespace qvpc::boxsim
