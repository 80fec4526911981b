#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "boxsim/apk/apk_reader.h"

namespace qvpc::boxsim {

struct InstalledPackage {
    ApkInfo apk;
    bool system = false;
    std::string apkPath;  // /data/app/PKG-1.apk, /system/app/Name.apk
    uint64_t apkSize = 0;
    int64_t firstInstallTime = 0;  // ms since the epoch
    int64_t lastUpdateTime = 0;
};

// The packages on the box and the rules Android applies when one is
// installed or removed. Not thread-safe: the box serialises calls.
class PackageManager {
  public:
    // sdk: the box's Android version, which decides the order and names of
    // some failures.
    PackageManager(uint64_t freeStorage, int sdk) : m_freeStorage(freeStorage), m_sdk(sdk) {}

    void addPreinstalled(InstalledPackage package);

    struct InstallOptions {
        bool replace = false;         // -r
        bool allowDowngrade = false;  // -d
        std::string forcedFailure;    // a configured fault
    };
    // "" on success, else the failure code that pm prints in "Failure [...]".
    // installedName receives the package name on success.
    std::string install(std::string_view apkBytes, const InstallOptions& options, int64_t nowMs,
                        std::string* installedName = nullptr);
    // "" on success, else the DELETE_FAILED_* code.
    std::string uninstall(const std::string& packageName);

    const InstalledPackage* find(const std::string& packageName) const;
    std::vector<const InstalledPackage*> all() const;  // by package name
    uint64_t freeStorage() const { return m_freeStorage; }

  private:
    std::map<std::string, InstalledPackage> m_packages;
    uint64_t m_freeStorage;
    int m_sdk;
};

}  // namespace qvpc::boxsim
