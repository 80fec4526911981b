#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "boxsim/apk/apk_reader.h"

namespace qvpc::boxsim {

struct InstalledPackage {
    ApkInfo apk;
    bool system = false;  // FLAG_SYSTEM: stays set when an update is installed over it
    std::string apkPath;  // /data/app/PKG-1.apk, /system/app/Name.apk, ...
    uint64_t apkSize = 0;
    // The APK's bytes; null for a package described in the configuration,
    // whose file reads as filler of apkSize bytes.
    std::shared_ptr<const std::string> apkBytes;
    int appId = 0;                 // the userId dumpsys shows
    int64_t firstInstallTime = 0;  // ms since the epoch
    int64_t lastUpdateTime = 0;
    // For a system app updated by an install: the system copy, which dumpsys
    // shows as a hidden system package and an uninstall brings back.
    std::shared_ptr<const InstalledPackage> hiddenSystem;

    bool updatedSystem() const { return hiddenSystem != nullptr; }
    // The file's bytes: the APK, or the filler of a described package.
    std::shared_ptr<const std::string> fileBytes() const;
};

// The packages on the box and the rules Android applies when one is
// installed or removed. Not thread-safe: the box serialises calls.
class PackageManager {
  public:
    // sdk: the box's Android version, which decides paths, the order and
    // names of some failures.
    PackageManager(uint64_t freeStorage, int sdk) : m_freeStorage(freeStorage), m_sdk(sdk) {}

    // The package's apkPath is already set.
    void addPreinstalled(InstalledPackage package);

    struct InstallOptions {
        bool replace = false;         // -r
        bool allowDowngrade = false;  // -d
        std::string forcedFailure;    // a configured fault
    };
    // "" on success, else the failure code that pm prints in "Failure [...]".
    // installedName receives the package name on success.
    std::string install(const std::shared_ptr<const std::string>& apkBytes,
                        const InstallOptions& options, int64_t nowMs,
                        std::string* installedName = nullptr);
    // "" on success, else the DELETE_FAILED_* code. An updated system app
    // goes back to its system copy.
    std::string uninstall(const std::string& packageName);

    const InstalledPackage* find(const std::string& packageName) const;
    std::vector<const InstalledPackage*> all() const;  // by package name
    uint64_t freeStorage() const { return m_freeStorage; }

    // The package whose APK, or whose folder (5.0 on), is at a normalised path.
    struct File {
        const InstalledPackage* package = nullptr;
        bool directory = false;
    };
    std::optional<File> fileAt(const std::string& path) const;
    // Names of the package files and folders directly in a directory.
    std::vector<std::string> namesIn(const std::string& directory) const;

  private:
    // Every package with a file on the box: the installed ones and the
    // system copies hidden beneath updates.
    std::vector<const InstalledPackage*> withFiles() const;

    std::map<std::string, InstalledPackage> m_packages;
    uint64_t m_freeStorage;
    int m_sdk;
    int m_nextAppId = 10040;
};

}  // namespace qvpc::boxsim
