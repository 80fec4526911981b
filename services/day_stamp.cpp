#include "services/day_stamp.h"

#include <chrono>

namespace qvpc {
namespace {

constexpr long long kEightHours = 8 * 3600;

}  // namespace

std::string DayStamp(int year, int month, int day) {
    const std::chrono::sys_days date = std::chrono::year{year} /
                                       std::chrono::month{static_cast<unsigned>(month)} /
                                       std::chrono::day{static_cast<unsigned>(day)};
    const long long seconds =
        std::chrono::duration_cast<std::chrono::seconds>(date.time_since_epoch()).count();
    return std::to_string(seconds - kEightHours);
}

std::string DayStampAt(std::time_t moment) {
    std::tm local{};
    localtime_r(&moment, &local);
    return DayStamp(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
}

}  // namespace qvpc
