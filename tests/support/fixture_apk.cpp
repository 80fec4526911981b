#include "support/fixture_apk.h"

namespace qvpc::test {

std::string MakeFixtureApk(const std::string& dir, const ApkSpec& spec,
                           const std::string& fileName) {
    const std::string path =
        dir + "/" +
        (fileName.empty() ? spec.packageName + "-" + std::to_string(spec.versionCode) + ".apk"
                          : fileName);
    qvpc::boxsim::WriteApk(spec, path);
    return path;
}

}  // namespace qvpc::test
