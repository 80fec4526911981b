#include "services/lookup_unescape.h"

#include <gtest/gtest.h>

namespace qvpc {
namespace {

TEST(LookupUnescape, EscapesDecodeAndTheRestStays) {
    const std::pair<std::string, std::string> cases[] = {
        {R"({"apptitle":"\u661f\u7a7a"})", R"({"apptitle":"星空"})"},
        {R"({"versionname":"%u0033.%u0032"})", R"({"versionname":"3.2"})"},
        {"\\uD83D\\uDCFA", "\U0001F4FA"},  // a surrogate pair is one character
        {"%uD83D", "\xEF\xBF\xBD"},        // half a pair is none
        {R"(http:\/\/h\/a%20b.apk)", R"(http:\/\/h\/a%20b.apk)"},
        {"%u66", "%u66"},  // not an escape
        {"%uZZZZ", "%uZZZZ"},
        {"{\r\n\"a\":\"b\"\r\n}", "{\r\n\"a\":\"b\"\r\n}"},
        // A reply that starts with a lone CR loses every CR but those of CR LF.
        {"\r{\"a\":\r\"b\"\r\n}", "{\"a\":\"b\"\r\n}"},
        {"\r\n{\"a\":\r\"b\"}", "\r\n{\"a\":\r\"b\"}"},
    };
    for (const auto& [body, decoded] : cases) {
        EXPECT_EQ(UnescapeLookupReply(body), decoded) << body;
    }
}

}  // namespace
}  // namespace qvpc
