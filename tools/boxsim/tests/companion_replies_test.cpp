// The companion's service answering as a real companion may: odd members,
// odd versions, broken lists, icons named by label, and a record of every
// header the program sends.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "boxsim/apk/image.h"
#include "support/boxsim_process.h"
#include "support/loopback.h"
#include "tcp_client.h"

namespace qvpc::boxsim {
namespace {

using nlohmann::json;
using ::testing::HasSubstr;

test::BoxPackage described(const std::string& name, const std::string& label,
                           json element = json::object()) {
    test::BoxPackage p;
    p.packageName = name;
    p.label = label;
    p.extra["companion_element"] = std::move(element);
    return p;
}

class CompanionRepliesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        test::BoxSpec box = test::BoxAt(m_address);
        box.companionVersion = 3;
        box.companionRunning = true;
        box.companionNotReadyPolls = 0;
        box.packages = {
            described("com.example.video", "播放器"),
            described("com.example.odd", "Odd",
                      {{"AppName", "null"}, {"iconPath", "null"}, {"isUser", "1"}}),
            described("com.example.short", "Short",
                      {{"DataDir", nullptr}, {"ApkPath", nullptr}, {"LaunchActivity", nullptr}}),
        };
        box.extra["companion_replies"] = {
            {"icon_names", "label"}, {"icon_extension", ".jpg"}, {"icon_bytes", 2000}};
        m_boxsim = std::make_unique<test::BoxsimProcess>(std::vector{box});
    }
    std::optional<testing::HttpReply> get(const std::string& target) {
        return testing::HttpGet(m_address, 8988, target);
    }
    std::map<std::string, json> listByName() {
        std::map<std::string, json> out;
        for (const json& app : json::parse(get("/?a=getlist")->body)) {
            out[app["PackageName"]] = app;
        }
        return out;
    }

    std::string m_address = test::FreeLoopbackAddress();
    std::unique_ptr<test::BoxsimProcess> m_boxsim;
};

TEST_F(CompanionRepliesTest, ElementsAndIconsAsARealCompanionMaySendThem) {
    auto apps = listByName();
    const json& odd = apps["com.example.odd"];
    EXPECT_EQ(odd["AppName"], "null");
    EXPECT_EQ(odd["iconPath"], "null");
    EXPECT_EQ(odd["isUser"], "1") << "a string, not the number";
    EXPECT_EQ(apps["com.example.short"].size(), 9u);
    EXPECT_FALSE(apps["com.example.short"].contains("DataDir"));
    EXPECT_EQ(apps["com.example.video"].size(), 12u);

    // Named by label: the program keeps the URL's name and asks for the
    // percent-encoded stem with ".png".
    EXPECT_EQ(apps["com.example.video"]["iconPath"],
              "http://" + m_address + ":8988/icons/播放器.jpg");
    for (const std::string target :
         {"/icons/%E6%92%AD%E6%94%BE%E5%99%A8.png", "/icons/%E6%92%AD%E6%94%BE%E5%99%A8.jpg"}) {
        auto icon = get(target);
        ASSERT_TRUE(icon);
        EXPECT_EQ(icon->status, 200) << target;
        EXPECT_EQ(icon->body.size(), 2000u) << "above the program's 1005-byte cache limit";
        EXPECT_TRUE(DecodePng(icon->body)) << "padding keeps it a PNG";
    }
    EXPECT_EQ(get("/icons/com.example.video.png")->status, 404);

    // Back to the plain names while running.
    m_boxsim->setCompanionReplies(m_address, {{"icon_names", "package"}, {"icon_bytes", 0}});
    apps = listByName();
    EXPECT_EQ(apps["com.example.video"]["iconPath"],
              "http://" + m_address + ":8988/icons/com.example.video.jpg");
    EXPECT_LT(get("/icons/com.example.video.png")->body.size(), 1005u);
}

TEST_F(CompanionRepliesTest, VersionsAndListsThatAreNotWhatTheProgramHopesFor) {
    const std::string whole = get("/?a=getlist")->body;
    struct Case {
        const char* name;
        json replies;
        const char* target;
        int status;
        std::string body;
    };
    const Case cases[] = {
        {"minus one", {{"version", "-1"}}, "/?a=getversion", 200, "-1"},
        {"blanks", {{"version", "   "}}, "/?a=getversion", 200, "   "},
        {"not a number", {{"version", "v3 beta"}}, "/?a=getversion", 200, "v3 beta"},
        {"version back", {{"version", nullptr}}, "/?a=getversion", 200, "3"},
        {"not JSON", {{"list_body", "<html>busy</html>"}}, "/?a=getlist", 200, "<html>busy</html>"},
        {"error status",
         {{"list_body", nullptr}, {"list_status", 500}},
         "/?a=getlist",
         500,
         "<html><body><h1>500</h1></body></html>"},
        {"cut",
         {{"list_status", 200}, {"list_cut_at", 40}},
         "/?a=getlist",
         200,
         whole.substr(0, 40)},
    };
    for (const Case& c : cases) {
        m_boxsim->setCompanionReplies(m_address, c.replies);
        auto reply = get(c.target);
        ASSERT_TRUE(reply) << c.name;
        EXPECT_EQ(reply->status, c.status) << c.name;
        EXPECT_EQ(reply->body, c.body) << c.name;
    }

    // Cut on the wire: the whole length announced, the connection closed early.
    m_boxsim->setCompanionReplies(m_address, {{"list_close_early", true}});
    const std::string raw =
        testing::TcpExchange(m_address, 8988, "GET /?a=getlist HTTP/1.1\r\n\r\n").value_or("");
    EXPECT_THAT(raw, HasSubstr("\r\nContent-Length: " + std::to_string(whole.size()) + "\r\n"));
    EXPECT_EQ(raw.substr(raw.find("\r\n\r\n") + 4), whole.substr(0, 40));
}

TEST_F(CompanionRepliesTest, RecordsEveryRequestWithItsHeaders) {
    const std::string request =
        "GET /?a=getversion HTTP/1.1\r\n"
        "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)\r\n"
        "Accept: text/html, application/xhtml+xml, */*\r\n"
        "Accept-Encoding: gbk, GB2312\r\n"
        "X-Twice: 1\r\n"
        "X-Twice:2  \r\n"
        "Cache-Control: no-cache\r\n\r\n";
    ASSERT_THAT(testing::TcpExchange(m_address, 8988, request).value_or(""),
                HasSubstr("\r\n\r\n3"));
    const json requests = m_boxsim->httpRequests(m_address);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0]["method"], "GET");
    EXPECT_EQ(requests[0]["target"], "/?a=getversion");
    EXPECT_EQ(requests[0]["version"], "HTTP/1.1");
    const json expected = json::array(
        {{"User-Agent", "Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)"},
         {"Accept", "text/html, application/xhtml+xml, */*"},
         {"Accept-Encoding", "gbk, GB2312"},
         {"X-Twice", "1"},
         {"X-Twice", "2"},
         {"Cache-Control", "no-cache"}});
    EXPECT_EQ(requests[0]["headers"], expected);

    m_boxsim->clearReceived(m_address);
    EXPECT_TRUE(m_boxsim->httpRequests(m_address).empty());
}

}  // namespace
}  // namespace qvpc::boxsim
