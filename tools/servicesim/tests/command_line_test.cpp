// servicesim as a person starts it: what it prints, one shared port, Ctrl-C.

#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "http_fetch.h"
#include "support/child_process.h"
#include "support/temp_dir.h"
#include "support/wait.h"

namespace qvpc::servicesim::test {
namespace {

using qvpc::test::ChildProcess;
using qvpc::test::ReadFile;
using qvpc::test::TempDir;
using qvpc::test::WaitFor;

const std::string kServiceSim = QVPC_BUILD_DIR "/tools/servicesim/servicesim";

TEST(CommandLine, OnePortForAllPrintsTheUrlsAndStopsOnCtrlC) {
    TempDir dir;
    const std::string ready = dir.path() + "/ready.json";
    const std::string output = dir.path() + "/out.txt";
    ChildProcess sim({kServiceSim, "--port", "0", "--ready-file", ready}, output);
    ASSERT_TRUE(WaitFor([&] { return std::filesystem::exists(ready); }));

    nlohmann::json info = nlohmann::json::parse(ReadFile(ready));
    const int port = info["ports"]["catalog"];
    for (const auto& [service, servicePort] : info["ports"].items()) {
        if (service != "ftp") {  // FTP has a port of its own
            EXPECT_EQ(servicePort, port) << service;
        }
    }
    const std::string base = "http://127.0.0.1:" + std::to_string(port);
    EXPECT_EQ(Fetch(base + "/getupdate.php").status, 200);
    EXPECT_EQ(Fetch(base + "/openapi/tjlist.php?chanel=kestrunebox&s=0&e=9").status, 200);
    EXPECT_EQ(Fetch(base + "/_sim/info").status, 200);

    std::string printed = ReadFile(output);
    for (const std::string& url :
         {base + "/openapi/list.php?modid=6&chanel=kestrunebox&s=0&e=9",
          base + "/apinew/soubaonew.php?packs=", base + "/api/soupackzs.php?kw=com.kestrunemarket",
          base + "/getupdate.php", base + "/index.php?m=&c=api&a=addpc&add=@@&hot=##&mtime=$$",
          base + "/qvhx/sqlqvhx.php"}) {
        EXPECT_NE(printed.find(url), std::string::npos) << url << "\n" << printed;
    }
    EXPECT_EQ(sim.stop(SIGINT, std::chrono::seconds(5)), 0);
}

TEST(CommandLine, BadArgumentsAreRefusedWithTheUsage) {
    TempDir dir;
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--fault", "list=sometimes"},
          {"--fault", "nowhere=-1"},
          {"--catalog-port", "70000"},
          {"--update-charset", "big5"},
          {"--frobnicate"},
          {"--data"}}) {
        std::vector<std::string> argv = {kServiceSim};
        argv.insert(argv.end(), args.begin(), args.end());
        ChildProcess sim(argv, dir.path() + "/out.txt");
        EXPECT_TRUE(WaitFor([&] { return !sim.running(); }));
        EXPECT_EQ(sim.stop(SIGKILL, std::chrono::seconds(1)), 2) << args[0];
        EXPECT_NE(ReadFile(dir.path() + "/out.txt").find("usage: servicesim"), std::string::npos);
    }
}

}  // namespace
}  // namespace qvpc::servicesim::test
