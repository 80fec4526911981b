#include "boxsim/box/box_time.h"

#include <ctime>

namespace qvpc::boxsim {

std::string FormatBoxTime(int64_t secondsSinceEpoch, const char* format) {
    constexpr int64_t kUtcOffset = 8 * 3600;
    const std::time_t t = static_cast<std::time_t>(secondsSinceEpoch + kUtcOffset);
    std::tm tm{};
    gmtime_r(&t, &tm);
    char buf[64];
    const size_t n = std::strftime(buf, sizeof buf, format, &tm);
    return std::string(buf, n);
}

}  // namespace qvpc::boxsim
