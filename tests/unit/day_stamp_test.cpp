#include "services/day_stamp.h"

#include <gtest/gtest.h>

namespace qvpc {
namespace {

TEST(DayStampTest, SecondsFromEightOClockOfTheFirstDayTo0000OfTheDate) {
    struct Case {
        int year, month, day;
        const char* stamp;
    };
    const Case cases[] = {
        {2017, 2, 21, "1487606400"}, {2017, 2, 22, "1487692800"}, {2000, 3, 1, "951840000"},
        {2024, 2, 29, "1709136000"}, {1970, 1, 2, "57600"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DayStamp(c.year, c.month, c.day), c.stamp) << c.year << "-" << c.month;
    }
}

TEST(DayStampTest, EveryMomentOfALocalDayHasTheDaysStamp) {
    std::tm morning{.tm_sec = 1,
                    .tm_min = 0,
                    .tm_hour = 0,
                    .tm_mday = 21,
                    .tm_mon = 1,
                    .tm_year = 117,
                    .tm_isdst = -1};
    std::tm night = morning;
    night.tm_hour = 23;
    night.tm_min = 59;
    EXPECT_EQ(DayStampAt(std::mktime(&morning)), "1487606400");
    EXPECT_EQ(DayStampAt(std::mktime(&night)), "1487606400");
}

}  // namespace
}  // namespace qvpc
