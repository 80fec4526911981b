#pragma once

#include <ctime>
#include <string>

namespace qvpc {

// The usage report's day stamp: the seconds from 1970-01-01 08:00:00 to
// 00:00:00 of the given local date, as decimal text (on a computer set to
// UTC+8, the Unix time of local midnight). month 1-12, day 1-31.
std::string DayStamp(int year, int month, int day);

// The day stamp of the local date at that moment.
std::string DayStampAt(std::time_t moment);

}  // namespace qvpc
