#pragma once

#include <cstdint>
#include <string>

namespace qvpc::boxsim {

// What mkapk builds: a small installable APK. The package and certificate
// names are checked; everything else has a default.
struct ApkSpec {
    std::string packageName;
    int64_t versionCode = 1;
    std::string versionName;        // default: versionCode + ".0"
    std::string label;              // default: the package name
    std::string iconPng;            // PNG bytes; default: a drawn icon
    std::string certName = "test";  // see MakeTestSigningIdentity
    std::string activity = ".MainActivity";
    size_t paddingBytes = 0;  // an extra stored asset, for APKs of a chosen size
};

// The APK bytes: binary AndroidManifest.xml, resources.arsc with the label
// (@string/app_name) and icon (@drawable/icon), the icon PNG, a stub
// classes.dex, and a v1 signature. The same spec gives the same bytes.
// Throws std::invalid_argument for a bad spec, std::runtime_error otherwise.
std::string BuildApk(const ApkSpec& spec);

// BuildApk written to a file (replaced when it exists).
void WriteApk(const ApkSpec& spec, const std::string& path);

// Android's package-name grammar: two or more dot-separated segments, each a
// letter followed by letters, digits or underscores.
bool IsValidAndroidPackageName(std::string_view name);

}  // namespace qvpc::boxsim
