// The download files over FTP, fetched as the transfer engine fetches them.

#include <gtest/gtest.h>

#include "http_fetch.h"
#include "support/servicesim_process.h"
#include "support/temp_dir.h"

namespace qvpc::servicesim::test {
namespace {

using qvpc::test::ReadFile;
using qvpc::test::ServiceSimProcess;
using qvpc::test::SimService;

TEST(Ftp, ServesTheDownloadFilesWithEpsvPasvAndResume) {
    ServiceSimProcess sim;
    const std::string url = sim.baseUrl(SimService::Ftp) + "/down/icon/com.kge.tv.png";
    const std::string icon = ReadFile(sim.dataDir() + "/icons/com.kge.tv.png");

    Fetched anonymous = Fetch(url);
    EXPECT_EQ(anonymous.code, CURLE_OK);
    EXPECT_EQ(anonymous.body, icon);

    FetchOptions pasv;
    pasv.passive = true;
    pasv.userPassword = "box:secret";
    EXPECT_EQ(Fetch(url, pasv).body, icon);

    FetchOptions resume;
    resume.resumeFrom = 100;
    Fetched rest = Fetch(url, resume);
    EXPECT_EQ(rest.code, CURLE_OK);
    EXPECT_EQ(rest.body, icon.substr(100));

    std::vector<nlohmann::json> retrievals;
    for (const nlohmann::json& hit : sim.hits("icon")) {
        EXPECT_EQ(hit["protocol"], "ftp");
        if (hit["method"] == "RETR") {
            retrievals.push_back(hit);
        }
    }
    ASSERT_EQ(retrievals.size(), 3u);
    EXPECT_EQ(retrievals[0]["headers"][0], nlohmann::json({"User", "anonymous"}));
    EXPECT_EQ(retrievals[1]["headers"][0], nlohmann::json({"User", "box"}));
    EXPECT_EQ(retrievals[1]["headers"][1], nlohmann::json({"Password", "secret"}));
    EXPECT_EQ(retrievals[2]["headers"][2], nlohmann::json({"Range", "bytes=100-"}));
}

TEST(Ftp, MissingFilesAndFaultsBehaveAsOverHttp) {
    ServiceSimProcess sim;
    const std::string base = sim.baseUrl(SimService::Ftp);
    EXPECT_EQ(Fetch(base + "/down/icon/none.png").code, CURLE_REMOTE_FILE_NOT_FOUND);
    EXPECT_EQ(Fetch(base + "/down/../apps.json").code, CURLE_REMOTE_FILE_NOT_FOUND);
    EXPECT_NE(Fetch(base + "/elsewhere/file.png").code, CURLE_OK);

    const std::string icon = ReadFile(sim.dataDir() + "/icons/com.kge.tv.png");
    sim.setFault("icon", "drop:200");
    Fetched dropped = Fetch(base + "/down/icon/com.kge.tv.png");
    EXPECT_NE(dropped.code, CURLE_OK);
    EXPECT_EQ(dropped.body, icon.substr(0, 200));

    sim.setFault("icon", "malformed");
    EXPECT_TRUE(Fetch(base + "/down/icon/com.kge.tv.png").body.starts_with("<html>"));
    sim.setFault("icon", "http:500");
    EXPECT_EQ(Fetch(base + "/down/icon/com.kge.tv.png").code, CURLE_REMOTE_FILE_NOT_FOUND);
}

}  // namespace
}  // namespace qvpc::servicesim::test
