// The catalog's page fetch against servicesim.
#include "net/web_fetch.h"

#include <gtest/gtest.h>

#include "support/servicesim_process.h"

namespace qvpc {
namespace {

using test::SimService;

TEST(WebFetchTest, AGetSendsItsHeadersAndGivesTheBodyWhateverTheStatus) {
    test::ServiceSimProcess sim;
    const std::string url =
        sim.baseUrl(SimService::Catalog) + "/openapi/tjlist.php?chanel=kestrunebox&s=0&e=9";
    EXPECT_TRUE(WebFetch({.url = url}).starts_with("{\"allnum\":\"19\""));
    const std::vector<nlohmann::json> hits = sim.hits("list");
    ASSERT_EQ(hits.size(), 1u);
    std::vector<std::string> sent;
    for (const auto& header : hits.back()["headers"]) {
        sent.push_back(header[0].get<std::string>() + ": " + header[1].get<std::string>());
    }
    for (const std::string& expected : {
             std::string("Accept: */*"),
             "Referer: " + url,
             std::string("Accept-Language: zh-cn"),
             std::string("User-Agent: Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)"),
             std::string("Content-Type: application/x-www-form-urlencoded"),
         }) {
        EXPECT_NE(std::find(sent.begin(), sent.end(), expected), sent.end()) << expected;
    }
    sim.setFault("list", "http:503");
    EXPECT_NE(WebFetch({.url = url}).find("503"), std::string::npos) << "an error page is a body";
    EXPECT_EQ(WebFetch({.url = "http://127.0.0.1:1/x"}), "");
    EXPECT_EQ(WebFetch({.url = "file:///etc/hostname"}), "");
}

TEST(WebFetchTest, ABodyOverItsLimitIsNone) {
    test::ServiceSimProcess sim({.faults = {"list=huge:17000000"}});
    EXPECT_EQ(WebFetch({.url = sim.baseUrl(SimService::Catalog) +
                               "/openapi/tjlist.php?chanel=kestrunebox&s=0&e=9",
                        .timeoutSeconds = 10}),
              "");
}

TEST(WebFetchHeadersTest, TheCallersHeadersComeFirstAndReplaceTheDefaults) {
    const std::string url = "http://h/p";
    EXPECT_EQ(WebFetchHeaders("", url),
              "Accept: */*\r\nReferer: http://h/p\r\nAccept-Language: zh-cn\r\n"
              "User-Agent: Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)\r\n"
              "Content-Type: application/x-www-form-urlencoded");
    EXPECT_EQ(WebFetchHeaders("accept: text/plain\r\nuser-agent: x\r\nREFERER: y", url),
              "accept: text/plain\r\nuser-agent: x\r\nREFERER: y\r\nAccept-Language: zh-cn\r\n"
              "Content-Type: application/x-www-form-urlencoded");
}

}  // namespace
}  // namespace qvpc
