#pragma once

#include <string>

namespace qvpc::boxsim {

// Where Android puts an APK: 4.x writes /data/app/PKG-N.apk, 5.0 on a folder
// /data/app/PKG-N holding base.apk; a system app lies in /system/app/NAME.apk
// (from 5.0 in a folder of its name) and "android" is framework-res.apk.

// The file of a user app installed as number index (1 or 2).
std::string UserApkPath(const std::string& packageName, int index, int sdk);
// The folder pm reports as codePath from 5.0 on, the APK itself before.
std::string CodePath(const std::string& apkPath, int sdk);
// The index of a user app's path (1 for anything else), and the one an
// update of it gets: Android alternates between -1 and -2, as the old copy
// still takes its name while the new one is written.
int ApkIndex(const std::string& apkPath);
inline int NextApkIndex(int index) {
    return index == 1 ? 2 : 1;
}
// apkName: the file name without .apk (Settings, SystemUI, ...).
std::string SystemApkPath(const std::string& packageName, const std::string& apkName, int sdk);
// The APK name of a system package as TV box images name it (SettingsProvider
// for com.android.providers.settings), else its last name part capitalised.
std::string SystemApkName(const std::string& packageName);

}  // namespace qvpc::boxsim
