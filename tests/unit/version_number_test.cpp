#include "services/version_number.h"

#include <gtest/gtest.h>

namespace qvpc {
namespace {

std::strong_ordering Compare(const char* a, const char* b) {
    return *VersionNumber::Parse(a) <=> *VersionNumber::Parse(b);
}

TEST(VersionNumberTest, ComparesPartByPartAsNumbers) {
    struct Case {
        const char* newer;
        const char* older;
    };
    const Case cases[] = {
        {"1.4.10.0", "1.4.9.99"},
        {"1.4.2.20", "1.4.2.3"},
        {"2.0.0.0", "1.999.999.999"},
        // Where joining three-digit parts would go wrong: a shorter version,
        // and a part of four digits.
        {"1.5", "1.4.2.20"},
        {"1.4.1000", "1.4.999"},
        {"1.0.0.1", "1"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Compare(c.newer, c.older), std::strong_ordering::greater) << c.newer;
        EXPECT_EQ(Compare(c.older, c.newer), std::strong_ordering::less) << c.older;
    }
}

TEST(VersionNumberTest, MissingPartsCountAsZero) {
    EXPECT_EQ(*VersionNumber::Parse("1.4.2.20"), *VersionNumber::Parse("1.4.2.20"));
    EXPECT_EQ(*VersionNumber::Parse("1.4.2"), *VersionNumber::Parse("1.4.2.0"));
    EXPECT_EQ(*VersionNumber::Parse("01.4"), *VersionNumber::Parse("1.4"));
}

TEST(VersionNumberTest, OnlyDecimalNumbersJoinedByDotsAreVersions) {
    for (const char* text : {"", ".", "1.", ".1", "1..2", "1.4a", "v1.4", " 1.4", "1.-4",
                             "\xEF\xBB\xBF"
                             "1.4",
                             "1.2.3.4.5.6.7.8.9", "1.1234567890"}) {
        EXPECT_FALSE(VersionNumber::Parse(text)) << text;
    }
}

}  // namespace
}  // namespace qvpc
