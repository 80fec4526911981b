#include "boxsim/box/package_manager.h"

#include <set>

#include "boxsim/box/box_config.h"
#include "boxsim/box/package_paths.h"
#include "boxsim/box/virtual_files.h"

namespace qvpc::boxsim {

namespace {

// What a described package's file holds: a zip's first bytes, then zeros, so
// a pull gets as many bytes as ls -l shows.
std::shared_ptr<const std::string> filler(uint64_t size) {
    auto data = std::make_shared<std::string>(size, '\0');
    data->replace(0, std::min<size_t>(4, data->size()), std::string("PK\3\4").substr(0, size));
    return data;
}

std::string parentOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == 0 || slash == std::string::npos ? "/" : path.substr(0, slash);
}

}  // namespace

std::shared_ptr<const std::string> InstalledPackage::fileBytes() const {
    return apkBytes ? apkBytes : filler(apkSize);
}

void PackageManager::addPreinstalled(InstalledPackage package) {
    const std::string name = package.apk.packageName;
    if (!package.system) {
        m_freeStorage -= std::min(m_freeStorage, package.apkSize);
    }
    package.appId = name == "android" ? 1000 : m_nextAppId++;
    m_packages[name] = std::move(package);
}

std::string PackageManager::install(const std::shared_ptr<const std::string>& apkBytes,
                                    const InstallOptions& options, int64_t nowMs,
                                    std::string* installedName) {
    if (!options.forcedFailure.empty()) {
        return options.forcedFailure;
    }
    ApkReadResult read = ReadApk(*apkBytes);
    // Android 4.x reads the manifest before it looks for space, and names
    // every manifest it cannot read INSTALL_FAILED_INVALID_APK; certificates
    // are only checked with the full parse after the copy.
    if (m_sdk < kLollipopSdk && !read.info &&
        read.failure != "INSTALL_PARSE_FAILED_NO_CERTIFICATES") {
        return "INSTALL_FAILED_INVALID_APK";
    }
    // Later versions copy the file into /data/app before parsing it, so
    // space is the first thing to run out.
    if (apkBytes->size() > m_freeStorage) {
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
    package.apkSize = apkBytes->size();
    package.apkBytes = apkBytes;
    package.firstInstallTime = nowMs;
    package.lastUpdateTime = nowMs;
    package.appId = m_nextAppId;
    int index = 1;
    if (existing != m_packages.end()) {
        const InstalledPackage& old = existing->second;
        package.firstInstallTime = old.firstInstallTime;
        package.appId = old.appId;
        if (old.system) {
            // An update of a system app stays a system app (FLAG_SYSTEM) and
            // keeps the system copy hidden beneath it.
            package.system = true;
            package.hiddenSystem = old.updatedSystem()
                                       ? old.hiddenSystem
                                       : std::make_shared<const InstalledPackage>(old);
        }
        if (old.apkPath.rfind("/data/app/", 0) == 0) {
            index = NextApkIndex(ApkIndex(old.apkPath));
            m_freeStorage += old.apkSize;
        }
    } else {
        ++m_nextAppId;
    }
    package.apkPath = UserApkPath(apk.packageName, index, m_sdk);
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
    if (it == m_packages.end() || (it->second.system && !it->second.updatedSystem())) {
        return "DELETE_FAILED_INTERNAL_ERROR";
    }
    m_freeStorage += it->second.apkSize;
    if (it->second.updatedSystem()) {
        InstalledPackage system = *it->second.hiddenSystem;
        it->second = std::move(system);
    } else {
        m_packages.erase(it);
    }
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

std::vector<const InstalledPackage*> PackageManager::withFiles() const {
    std::vector<const InstalledPackage*> out;
    for (const auto& [name, package] : m_packages) {
        out.push_back(&package);
        if (package.hiddenSystem) {
            out.push_back(package.hiddenSystem.get());  // still on /system
        }
    }
    return out;
}

std::optional<PackageManager::File> PackageManager::fileAt(const std::string& path) const {
    for (const InstalledPackage* package : withFiles()) {
        const auto apk = VirtualFiles::normalize(package->apkPath);
        if (!apk) {
            continue;
        }
        if (*apk == path) {
            return File{package, false};
        }
        // From 5.0 on the APK has a folder of its own.
        const std::string folder = CodePath(*apk, m_sdk);
        if (folder != *apk && folder == path) {
            return File{package, true};
        }
    }
    return std::nullopt;
}

std::vector<std::string> PackageManager::namesIn(const std::string& directory) const {
    std::set<std::string> names;
    for (const InstalledPackage* package : withFiles()) {
        const auto apk = VirtualFiles::normalize(package->apkPath);
        if (!apk) {
            continue;
        }
        for (std::string at = *apk; at != "/"; at = parentOf(at)) {
            if (parentOf(at) == directory) {
                names.insert(at.substr(at.rfind('/') + 1));
                break;
            }
        }
    }
    return {names.begin(), names.end()};
}

}  // namespace qvpc::boxsim
