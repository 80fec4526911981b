#include "boxsim/box/package_manager.h"

#include "boxsim/box/box_config.h"

namespace qvpc::boxsim {

void PackageManager::addPreinstalled(InstalledPackage package) {
    const std::string name = package.apk.packageName;
    if (!package.system) {
        m_freeStorage -= std::min(m_freeStorage, package.apkSize);
    }
    m_packages[name] = std::move(package);
}

std::string PackageManager::install(std::string_view apkBytes, const InstallOptions& options,
                                    int64_t nowMs, std::string* installedName) {
    if (!options.forcedFailure.empty()) {
        return options.forcedFailure;
    }
    ApkReadResult read = ReadApk(apkBytes);
    // Android 4.x reads the manifest before it looks for space, and names
    // every manifest it cannot read INSTALL_FAILED_INVALID_APK; certificates
    // are only checked with the full parse after the copy.
    if (m_sdk < kLollipopSdk && !read.info &&
        read.failure != "INSTALL_PARSE_FAILED_NO_CERTIFICATES") {
        return "INSTALL_FAILED_INVALID_APK";
    }
    // Later versions copy the file into /data/app before parsing it, so
    // space is the first thing to run out.
    if (apkBytes.size() > m_freeStorage) {
        return "INSTALL_FAILED_INSUFFICIENT_STORAGE";
    }
    if (!read.info) {
        return read.failure;
    }
    ApkInfo& apk = *read.info;
    auto existing = m_packages.find(apk.packageName);
    if (existing != m_packages.end()) {
        const InstalledPackage& old = existing->second;
        if (!options.replace) {
            return "INSTALL_FAILED_ALREADY_EXISTS";
        }
        // Checked while choosing the install location, before the certificates.
        if (apk.versionCode < old.apk.versionCode && !options.allowDowngrade) {
            return "INSTALL_FAILED_VERSION_DOWNGRADE";
        }
        if (apk.certificateDer != old.apk.certificateDer) {
            return "INSTALL_PARSE_FAILED_INCONSISTENT_CERTIFICATES";
        }
    }

    InstalledPackage package;
    package.apkSize = apkBytes.size();
    package.firstInstallTime = nowMs;
    package.lastUpdateTime = nowMs;
    // Updates alternate between -1 and -2, as on Android 4.x.
    std::string suffix = "-1.apk";
    if (existing != m_packages.end()) {
        const InstalledPackage& old = existing->second;
        package.firstInstallTime = old.firstInstallTime;
        if (old.apkPath.size() > 6 && old.apkPath.substr(old.apkPath.size() - 6) == "-1.apk") {
            suffix = "-2.apk";
        }
        if (!old.system) {
            m_freeStorage += old.apkSize;
        }
    }
    package.apkPath = "/data/app/" + apk.packageName + suffix;
    m_freeStorage -= package.apkSize;
    package.apk = std::move(apk);
    if (installedName) {
        *installedName = package.apk.packageName;
    }
    m_packages[package.apk.packageName] = std::move(package);
    return {};
}

std::string PackageManager::uninstall(const std::string& packageName) {
    auto it = m_packages.find(packageName);
    if (it == m_packages.end() || it->second.system) {
        return "DELETE_FAILED_INTERNAL_ERROR";
    }
    m_freeStorage += it->second.apkSize;
    m_packages.erase(it);
    return {};
}

const InstalledPackage* PackageManager::find(const std::string& packageName) const {
    auto it = m_packages.find(packageName);
    return it == m_packages.end() ? nullptr : &it->second;
}

std::vector<const InstalledPackage*> PackageManager::all() const {
    std::vector<const InstalledPackage*> out;
    for (const auto& [name, package] : m_packages) {
        out.push_back(&package);
    }
    return out;
}

}  // namespace qvpc::boxsim
