// Faults per endpoint: what each one does to the reply and to the wire.

#include <gtest/gtest.h>

#include <functional>
#include <nlohmann/json.hpp>

#include "http_fetch.h"
#include "support/servicesim_process.h"
#include "support/temp_dir.h"
#include "support/wait.h"

namespace qvpc::servicesim::test {
namespace {

using qvpc::test::ReadFile;
using qvpc::test::ServiceSimOptions;
using qvpc::test::ServiceSimProcess;
using qvpc::test::SimService;

std::string ListUrl(const ServiceSimProcess& sim) {
    return sim.baseUrl(SimService::Catalog) + "/openapi/tjlist.php?chanel=kestrunebox&s=0&e=9";
}

std::string IconUrl(const ServiceSimProcess& sim) {
    return sim.baseUrl(SimService::Download) + "/down/icon/com.kge.tv.png";
}

size_t Count(const std::string& text, const std::string& needle) {
    size_t n = 0;
    for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1)) {
        ++n;
    }
    return n;
}

TEST(Faults, ReplyFaultsChangeWhatTheEndpointAnswers) {
    struct Case {
        std::string endpoint;
        std::string spec;
        std::function<std::string(const ServiceSimProcess&)> url;
        std::function<void(const Fetched& faulty, const Fetched& normal)> check;
    };
    auto lookupUrl = [](const ServiceSimProcess& sim) {
        return sim.baseUrl(SimService::Download) + "/apinew/soubaonew.php?packs=com.kge.tv";
    };
    auto searchUrl = [](const ServiceSimProcess& sim) {
        return sim.baseUrl(SimService::Download) + "/api/soupackzs.php?kw=com.kestrunemarket";
    };
    auto updateUrl = [](const ServiceSimProcess& sim) {
        return sim.baseUrl(SimService::Update) + "/getupdate.php";
    };
    auto statsUrl = [](const ServiceSimProcess& sim) {
        return sim.baseUrl(SimService::Stats) + "/index.php?m=&c=api&a=addpc&add=1&hot=1&mtime=1";
    };
    const Case cases[] = {
        {"list", "-1", ListUrl,
         [](const Fetched& f, const Fetched&) {
             EXPECT_EQ(f.status, 200);
             EXPECT_EQ(f.body, "-1");
         }},
        {"lookup", "empty", lookupUrl,
         [](const Fetched& f, const Fetched&) {
             EXPECT_EQ(f.status, 200);
             EXPECT_EQ(f.body, "");
         }},
        {"search", "http:503", searchUrl,
         [](const Fetched& f, const Fetched&) {
             EXPECT_EQ(f.status, 503);
             EXPECT_EQ(Count(f.body, "</url>"), 0u);
         }},
        {"list", "malformed", ListUrl,
         [](const Fetched& f, const Fetched& normal) {
             EXPECT_EQ(f.body, normal.body.substr(0, normal.body.size() / 2));
             EXPECT_TRUE(nlohmann::json::parse(f.body, nullptr, false).is_discarded());
         }},
        {"lookup", "malformed", lookupUrl,
         [](const Fetched& f, const Fetched&) {
             EXPECT_TRUE(nlohmann::json::parse(f.body.substr(3), nullptr, false).is_discarded());
         }},
        {"search", "malformed", searchUrl,
         [](const Fetched& f, const Fetched&) {
             EXPECT_EQ(Count(f.body, "</url>"), 1u);
             EXPECT_EQ(f.body.find("CDATA"), std::string::npos);
         }},
        {"update", "malformed", updateUrl,
         [](const Fetched& f, const Fetched&) {
             EXPECT_EQ(Count(f.body, "<rb>"), 2u);  // three items where five are needed
             EXPECT_TRUE(f.body.ends_with("<br>"));
         }},
        {"icon", "malformed", IconUrl,
         [](const Fetched& f, const Fetched&) {
             EXPECT_EQ(f.status, 200);
             EXPECT_TRUE(f.body.starts_with("<html>"));
         }},
        {"list", "literal", ListUrl,
         [](const Fetched& f, const Fetched&) {
             EXPECT_TRUE(f.body.starts_with("{allnum:'19',1:{appid:'1001',apptitle:'星空直播',"))
                 << f.body.substr(0, 80);
             EXPECT_NE(f.body.find("downurl:'http://"), std::string::npos);
         }},
        {"stats", "huge:1000000", statsUrl,
         [](const Fetched& f, const Fetched&) {
             EXPECT_EQ(f.header("Content-Length"), "1000000");
             ASSERT_EQ(f.body.size(), 1000000u);
             EXPECT_EQ(f.body.substr(0, 2), "1 ");
         }},
        {"update", "http:500", updateUrl,
         [](const Fetched& f, const Fetched&) { EXPECT_EQ(f.status, 500); }},
    };
    ServiceSimProcess sim;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.endpoint + "=" + c.spec);
        Fetched normal = Fetch(c.url(sim));
        sim.setFault(c.endpoint, c.spec);
        Fetched faulty = Fetch(c.url(sim));
        if (c.endpoint != "stats") {
            EXPECT_EQ(Fetch(statsUrl(sim)).body, "1") << "only the endpoint named is touched";
        }
        sim.clearFaults();
        c.check(faulty, normal);
        EXPECT_EQ(Fetch(c.url(sim)).body, normal.body) << "cleared";
    }
}

TEST(Faults, SqlFaultsKeepTheStatementFromRunning) {
    ServiceSimProcess sim;
    sim.setFault("sql", "-1");
    FetchOptions options;
    // "9|+|SQL|+|tessiwop|+|delete from units|+|"
    std::string message = "9|+|SQL|+|tessiwop|+|delete from units|+|";
    std::string encoded;
    for (unsigned char c : message) {
        static const char* kHex = "0123456789ABCDEF";
        encoded += {'%', kHex[c >> 4], kHex[c & 15]};
    }
    options.postBody = "DATA=" + encoded;
    EXPECT_EQ(Fetch(sim.sqlUrl(), options).body, "-1");
    EXPECT_EQ(sim.sqlRows("units").size(), 10u);
    sim.setFault("sql", "malformed");
    EXPECT_TRUE(Fetch(sim.sqlUrl(), options).body.find("Fatal error") != std::string::npos);
    sim.clearFaults();
    EXPECT_EQ(Fetch(sim.sqlUrl(), options).body, "%31");
    EXPECT_TRUE(sim.sqlRows("units").empty());
}

TEST(Faults, WireFaultsCutSlowOrStallTheTransfer) {
    ServiceSimProcess sim;
    const std::string icon = ReadFile(sim.dataDir() + "/icons/com.kge.tv.png");

    sim.setFault("icon", "drop:100");
    Fetched dropped = Fetch(IconUrl(sim));
    EXPECT_EQ(dropped.code, CURLE_PARTIAL_FILE);
    EXPECT_EQ(dropped.header("Content-Length"), std::to_string(icon.size()));
    EXPECT_EQ(dropped.body, icon.substr(0, 100));

    // The client waits long enough for a loaded machine to send the first 50
    // bytes; the rest never comes.
    sim.setFault("icon", "stall:50");
    Fetched stalled = Fetch(IconUrl(sim), WithTimeout(2000));
    EXPECT_EQ(stalled.code, CURLE_OPERATION_TIMEDOUT);
    EXPECT_EQ(stalled.body, icon.substr(0, 50));

    sim.setFault("icon", "throttle:100000");
    EXPECT_EQ(Fetch(IconUrl(sim)).body, icon);

    // A reply held back longer than the client waits; stopping the double
    // does not wait for it.
    sim.setFault("list", "slow:60000");
    Fetched slow = Fetch(ListUrl(sim), WithTimeout(300));
    EXPECT_EQ(slow.code, CURLE_OPERATION_TIMEDOUT);
    EXPECT_TRUE(slow.body.empty());
    // The client gives up after 300 ms, perhaps before the request was even
    // handled; the hit must come while the reply still waits.
    EXPECT_TRUE(qvpc::test::WaitFor([&] { return sim.hits("list").size() == 1u; }))
        << "the request is recorded before the wait";
    EXPECT_EQ(sim.stop(), 0) << "a reply held back does not keep it from stopping";
}

TEST(Faults, ComeFromTheCommandLineAndBadSpecsAreRefused) {
    ServiceSimOptions options;
    options.faults = {"list=-1", "update=http:502+slow:10"};
    ServiceSimProcess sim(options);
    EXPECT_EQ(Fetch(ListUrl(sim)).body, "-1");
    EXPECT_EQ(Fetch(sim.baseUrl(SimService::Update) + "/getupdate.php").status, 502);
    nlohmann::json faults = sim.control("GET", "faults");
    EXPECT_EQ(faults, nlohmann::json({{"list", "-1"}, {"update", "slow:10+http:502"}}));

    EXPECT_THROW(sim.setFault("list", "sometimes"), std::runtime_error);
    EXPECT_THROW(sim.setFault("nowhere", "-1"), std::runtime_error);
    EXPECT_THROW(sim.setFault("list", "http:99"), std::runtime_error);
    EXPECT_EQ(Fetch(ListUrl(sim)).body, "-1") << "a refused change leaves the faults as they were";
}

}  // namespace
}  // namespace qvpc::servicesim::test
