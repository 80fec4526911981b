// What the real servers may send besides their usual replies, and where the
// double is strict: the shapes of the JSON replies, a charset declared in a
// page, a download of unknown size, an FTP server that refuses the login,
// and a list request without its page.

#include <gtest/gtest.h>

#include <functional>
#include <nlohmann/json.hpp>

#include "http_fetch.h"
#include "support/servicesim_process.h"
#include "support/temp_dir.h"

namespace qvpc::servicesim::test {
namespace {

using qvpc::test::ReadFile;
using qvpc::test::ServiceSimOptions;
using qvpc::test::ServiceSimProcess;
using qvpc::test::SimService;

std::string ListUrl(const ServiceSimProcess& sim, const std::string& page = "&s=0&e=9") {
    return sim.baseUrl(SimService::Catalog) + "/openapi/tjlist.php?chanel=kestrunebox" + page;
}

std::string LookupUrl(const ServiceSimProcess& sim) {
    return sim.baseUrl(SimService::Download) +
           "/apinew/soubaonew.php?packs=com.kge.tv,com.yingyu.kids";
}

// The JSON after the lookup's byte-order mark.
nlohmann::ordered_json Json(const std::string& body) {
    const std::string_view text = std::string_view(body).starts_with("\xEF\xBB\xBF")
                                      ? std::string_view(body).substr(3)
                                      : std::string_view(body);
    return nlohmann::ordered_json::parse(text);
}

TEST(ListRequests, WithoutTheirPageAreNotFound) {
    ServiceSimProcess sim;
    for (const std::string page : {"", "&s=0", "&e=9"}) {
        EXPECT_EQ(Fetch(ListUrl(sim, page)).status, 404) << page;
    }
    EXPECT_EQ(Fetch(ListUrl(sim)).status, 200);
}

TEST(ReplyShapes, JsonRepliesAsRealServersMayWriteThem) {
    struct Case {
        std::string endpoint;
        std::string spec;
        bool lookup;
        std::function<void(const std::string& body, const std::string& usual)> check;
    };
    const Case cases[] = {
        {"list", "allnum:18", false,
         [](const std::string& body, const std::string&) {
             EXPECT_EQ(Json(body)["allnum"], "18");
         }},
        {"list", "allnum:unknown", false,
         [](const std::string& body, const std::string&) {
             EXPECT_EQ(Json(body)["allnum"], "unknown");
         }},
        {"list", "number:allnum", false,
         [](const std::string& body, const std::string&) { EXPECT_EQ(Json(body)["allnum"], 19); }},
        {"list", "missing:appico", false,
         [](const std::string& body, const std::string&) {
             const auto list = Json(body);
             EXPECT_FALSE(list["1"].contains("appico"));
             EXPECT_TRUE(list["2"].contains("appico"));
         }},
        {"lookup", "number:versioncode", true,
         [](const std::string& body, const std::string&) {
             EXPECT_EQ(Json(body)["com_kge_tv"]["versioncode"], 444);
         }},
        {"lookup", "escape:json", true,
         [](const std::string& body, const std::string& usual) {
             EXPECT_NE(body.find(R"("versionname":"\u0034\u002E\u0034\u002E\u0034")"),
                       std::string::npos);
             EXPECT_NE(body.find(R"("size":"\u0033\u0033\u002E\u0033\u004D")"), std::string::npos);
             EXPECT_EQ(Json(body), Json(usual)) << "the same values";
         }},
        {"lookup", "escape:percent", true,
         [](const std::string& body, const std::string&) {
             EXPECT_NE(body.find(R"("versionname":"%u0034%u002E%u0034%u002E%u0034")"),
                       std::string::npos);
             EXPECT_NE(body.find(R"("apptitle":"Kid's\u82f1\u8bed")"), std::string::npos);
         }},
        {"lookup", "crlf", true,
         [](const std::string& body, const std::string& usual) {
             EXPECT_NE(body.find(",\r\n"), std::string::npos);
             EXPECT_EQ(Json(body), Json(usual));
         }},
        {"lookup", "leadcr", true,
         [](const std::string& body, const std::string& usual) {
             EXPECT_TRUE(body.starts_with("\r\xEF\xBB\xBF{\r"));
             EXPECT_EQ(body.find("\r\n"), std::string::npos);
             std::string lines = body.substr(1);
             std::erase(lines, '\r');
             EXPECT_EQ(Json(lines), Json(usual));
         }},
    };
    ServiceSimProcess sim;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.endpoint + "=" + c.spec);
        const std::string url = c.lookup ? LookupUrl(sim) : ListUrl(sim);
        sim.clearFaults();
        const std::string usual = Fetch(url).body;
        sim.setFault(c.endpoint, c.spec);
        Fetched shaped = Fetch(url);
        EXPECT_EQ(shaped.status, 200);
        c.check(shaped.body, usual);
    }
}

TEST(ReplyShapes, APageCanDeclareItsCharset) {
    ServiceSimProcess sim;
    const std::string url = sim.baseUrl(SimService::Update) + "/getupdate.php";
    sim.setFault("update", "meta:utf-8");
    Fetched page = Fetch(url);
    ASSERT_TRUE(page.body.starts_with("<meta charset=utf-8>\n")) << page.body;
    // GBK otherwise, the reply now comes in the charset it declares.
    EXPECT_NE(page.body.find("<rb>假<rb>"), std::string::npos);
    EXPECT_EQ(page.header("Content-Type"), "text/html");
}

TEST(Downloads, OfUnknownSizeComeWithoutContentLength) {
    ServiceSimProcess sim({.faults = {"apk=nolength"}});
    const std::string apk = "com.kge.tv_444.apk";
    Fetched download = Fetch(sim.baseUrl(SimService::Download) + "/down/apk/" + apk);
    EXPECT_EQ(download.code, CURLE_OK);
    EXPECT_FALSE(download.header("Content-Length"));
    EXPECT_EQ(download.body, ReadFile(sim.dataDir() + "/apks/" + apk));
}

TEST(Ftp, AServerGivenAnAccountRefusesEveryOther) {
    ServiceSimProcess sim({.extraArgs = {"--ftp-account", "box:secret"}});
    const std::string url = sim.baseUrl(SimService::Ftp) + "/down/icon/com.kge.tv.png";
    EXPECT_EQ(Fetch(url).code, CURLE_LOGIN_DENIED) << "anonymous";
    FetchOptions wrong;
    wrong.userPassword = "box:guess";
    EXPECT_EQ(Fetch(url, wrong).code, CURLE_LOGIN_DENIED);
    FetchOptions right;
    right.userPassword = "box:secret";
    EXPECT_EQ(Fetch(url, right).code, CURLE_OK);
}

}  // namespace
}  // namespace qvpc::servicesim::test
