// The HTTP client against the simulated online services on loopback.
#include "net/http_client.h"

#include <gtest/gtest.h>

#include "support/loopback.h"
#include "support/servicesim_process.h"

namespace qvpc {
namespace {

using test::SimService;

class HttpClientTest : public ::testing::Test {
  protected:
    std::string updateUrl() const { return m_sim.baseUrl(SimService::Update) + "/getupdate.php"; }

    test::ServiceSimProcess m_sim;
};

TEST_F(HttpClientTest, AGetCarriesTheDefaultHeadersAndGivesTheBodyAndStatus) {
    const HttpReply reply = HttpClient::request({.url = updateUrl(), .timeoutSeconds = 5});
    EXPECT_EQ(reply.status, "200 OK");
    EXPECT_FALSE(reply.text.empty());
    EXPECT_EQ(reply.text, reply.bytes);
    const std::vector<nlohmann::json> hits = m_sim.hits("update");
    ASSERT_EQ(hits.size(), 1u);
    std::vector<std::string> sent;
    for (const auto& header : hits[0]["headers"]) {
        sent.push_back(header[0].get<std::string>() + ": " + header[1].get<std::string>());
    }
    for (const char* expected : {
             "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)",
             "Accept: text/html, application/xhtml+xml, */*",
             "Accept-Encoding: gbk, GB2312",
             "Accept-Language: zh-cn",
             "Content-Type: application/x-www-form-urlencoded",
             "Cache-Control: no-cache",
         }) {
        EXPECT_NE(std::find(sent.begin(), sent.end(), expected), sent.end()) << expected;
    }
}

TEST_F(HttpClientTest, EachFailureEndsInItsErrorText) {
    struct Case {
        const char* what;
        std::string fault;  // of the update endpoint
        std::string url;
        std::string status;
    };
    const std::string nobody = "http://" + test::FreeLoopbackAddress() + ":9/getupdate.php";
    const Case cases[] = {
        {"not a URL", "", "nonsense", "701 解析URL地址失败!"},
        {"nothing listens", "", nobody, "711 发送请求失败!"},
        {"no reply in time", "slow:3000", updateUrl(), "712 服务器未响应!"},
        {"a reply cut short", "drop:3", updateUrl(), "200 OK"},
    };
    for (const Case& c : cases) {
        m_sim.setFault("update", c.fault.empty() ? "none" : c.fault);
        const HttpReply reply = HttpClient::request({.url = c.url, .timeoutSeconds = 1});
        EXPECT_EQ(reply.status, c.status) << c.what;
        if (c.status != "200 OK") {
            EXPECT_EQ(reply.text, "") << c.what;
        }
    }
}

TEST_F(HttpClientTest, APageThatDeclaresItsCharsetArrivesAsUtf8) {
    // The update reply in the charset each page declares.
    for (const std::string charset : {"utf-8", "gbk", "gb2312"}) {
        SCOPED_TRACE(charset);
        m_sim.setFault("update", "meta:" + charset);
        const HttpReply reply = HttpClient::request({.url = updateUrl(), .timeoutSeconds = 5});
        EXPECT_TRUE(reply.text.starts_with("<meta charset=" + charset + ">")) << reply.text;
        EXPECT_NE(reply.text.find("<rb>假<rb>"), std::string::npos) << reply.text;
        EXPECT_EQ(reply.bytes.find("<rb>假<rb>") != std::string::npos, charset == "utf-8");
    }
}

TEST_F(HttpClientTest, FetchGivesTheBytesOfASuccessOnly) {
    const std::string base = m_sim.baseUrl(SimService::Download) + "/down/icon/";
    const std::string icon = HttpClient::fetch(base + "com.kestrunemarket.png");
    EXPECT_EQ(icon.substr(0, 4), "\x89PNG");
    EXPECT_EQ(HttpClient::fetch(base + "no.such.app.png"), "") << "an error page is no icon";
}

TEST(HttpHeadersTest, ADefaultHeaderTheCallerGivesIsLeftOut) {
    const std::string headers = HttpClient::HeadersFor("user-agent: x\r\ncontent-type: y");
    EXPECT_EQ(headers.find("Mozilla"), std::string::npos);
    EXPECT_EQ(headers.find("user-agent: x\r\ncontent-type: y\r\n"), 0u);
    // Content-Type is looked for with its case: the default comes too.
    EXPECT_NE(headers.find("Content-Type: application/x-www-form-urlencoded\r\n"),
              std::string::npos);
    EXPECT_NE(headers.find("Cache-Control: no-cache\r\n"), std::string::npos);
}

TEST(HttpHeadersTest, TheDeclaredCharsetIsReadFromTheHeadOfThePage) {
    EXPECT_EQ(HttpClient::DeclaredCharset("<html><META http-equiv=x content=\"text/html; "
                                          "charset=UTF-8\">"),
              "utf-8");
    EXPECT_EQ(HttpClient::DeclaredCharset("<meta charset=\"gb2312\">"), "gb2312");
    EXPECT_EQ(HttpClient::DeclaredCharset("no meta here charset=utf-8"), "");
    EXPECT_EQ(HttpClient::DeclaredCharset(std::string(1100, ' ') + "<meta charset=big5>"), "");
}

}  // namespace
}  // namespace qvpc
