#pragma once

#include <cstdint>
#include <string>

namespace qvpc::boxsim {

// A time as the box prints it: in its local time, Asia/Shanghai (UTC+8, no
// daylight saving), with a strftime format ("%Y-%m-%d %H:%M" for ls -l,
// "%Y-%m-%d %H:%M:%S" for dumpsys).
std::string FormatBoxTime(int64_t secondsSinceEpoch, const char* format);

}  // namespace qvpc::boxsim
