#pragma once

#include <string>

#include "boxsim/apk/apk_builder.h"

namespace qvpc::test {

using ApkSpec = qvpc::boxsim::ApkSpec;

// Writes a test APK built in-process (the same bytes mkapk writes for the
// same options) to dir/fileName and returns its path; fileName defaults to
// PACKAGE-VERSIONCODE.apk.
std::string MakeFixtureApk(const std::string& dir, const ApkSpec& spec,
                           const std::string& fileName = "");

}  // namespace qvpc::test
