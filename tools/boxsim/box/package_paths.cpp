#include "boxsim/box/package_paths.h"

#include <cctype>
#include <map>

#include "boxsim/box/box_config.h"

namespace qvpc::boxsim {

std::string UserApkPath(const std::string& packageName, int index, int sdk) {
    const std::string stem = "/data/app/" + packageName + "-" + std::to_string(index);
    return sdk < kLollipopSdk ? stem + ".apk" : stem + "/base.apk";
}

std::string CodePath(const std::string& apkPath, int sdk) {
    if (sdk < kLollipopSdk || apkPath.rfind("/system/framework/", 0) == 0) {
        return apkPath;
    }
    return apkPath.substr(0, apkPath.rfind('/'));
}

int ApkIndex(const std::string& apkPath) {
    for (const char* tail : {"-2.apk", "-2/base.apk"}) {
        const std::string t = tail;
        if (apkPath.size() > t.size() &&
            apkPath.compare(apkPath.size() - t.size(), t.size(), t) == 0) {
            return 2;
        }
    }
    return 1;
}

std::string SystemApkPath(const std::string& packageName, const std::string& apkName, int sdk) {
    if (packageName == "android") {
        return "/system/framework/framework-res.apk";
    }
    return sdk < kLollipopSdk ? "/system/app/" + apkName + ".apk"
                              : "/system/app/" + apkName + "/" + apkName + ".apk";
}

std::string SystemApkName(const std::string& packageName) {
    static const std::map<std::string, std::string> kKnown = {
        {"com.android.browser", "Browser"},
        {"com.android.defcontainer", "DefaultContainerService"},
        {"com.android.inputmethod.latin", "LatinIME"},
        {"com.android.launcher", "Launcher2"},
        {"com.android.packageinstaller", "PackageInstaller"},
        {"com.android.providers.downloads", "DownloadProvider"},
        {"com.android.providers.media", "MediaProvider"},
        {"com.android.providers.settings", "SettingsProvider"},
        {"com.android.settings", "Settings"},
        {"com.android.shell", "Shell"},
        {"com.android.systemui", "SystemUI"},
    };
    if (auto it = kKnown.find(packageName); it != kKnown.end()) {
        return it->second;
    }
    const size_t dot = packageName.rfind('.');
    std::string name = dot == std::string::npos ? packageName : packageName.substr(dot + 1);
    if (!name.empty()) {
        name[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
    }
    return name;
}

}  // namespace qvpc::boxsim
