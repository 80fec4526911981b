#include "services/md5_digest.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace qvpc {
namespace {

std::span<const unsigned char> Bytes(const std::string& text) {
    return {reinterpret_cast<const unsigned char*>(text.data()), text.size()};
}

TEST(Md5DigestTest, LowerCaseHexOfBytesAndOfFiles) {
    test::TempDir dir;
    struct Case {
        std::string bytes;
        const char* digest;
    };
    const Case cases[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {std::string(200000, 'a'), "561b1994f6baacd6e5eaf4baaa12849f"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Md5Hex(Bytes(c.bytes)), c.digest);
        test::WriteFile(dir.path() + "/f", c.bytes);
        EXPECT_EQ(FileMd5Hex(dir.path() + "/f"), c.digest);
    }
    EXPECT_FALSE(FileMd5Hex(dir.path() + "/missing"));
}

}  // namespace
}  // namespace qvpc
