// The simulated box's package manager reads any bytes pushed as an APK: a
// failure code or the package's name, never a crash.
#include <string_view>

#include "boxsim/apk/apk_reader.h"
#include "fuzz_target.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const qvpc::boxsim::ApkReadResult result =
        qvpc::boxsim::ReadApk(std::string_view(reinterpret_cast<const char*>(data), size));
    qvpc::fuzz::Require(result.info.has_value() == result.failure.empty());
    qvpc::fuzz::Require(!result.info || !result.info->packageName.empty());
    return 0;
}
