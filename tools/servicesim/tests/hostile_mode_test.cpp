// Hostile mode: names meant to break their reader, whose files are still
// served, and replies that never end, are huge or come a byte at a time.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <nlohmann/json.hpp>
#include <thread>

#include "http_fetch.h"
#include "support/servicesim_process.h"
#include "support/temp_dir.h"

namespace qvpc::servicesim::test {
namespace {

using qvpc::test::ReadFile;
using qvpc::test::ServiceSimProcess;
using qvpc::test::SimService;
using Clock = std::chrono::steady_clock;

// GET target on the port; reads until the reply's head and then at least
// bodyBytes more have come, the server closes, or the limit passes.
struct RawReply {
    std::string head;
    std::string body;
    Clock::duration firstBody{};  // from the request to the first body byte
    Clock::duration allBody{};    // to the last byte read
};

// A connection with the request sent, or -1.
int SendGet(int port, const std::string& target) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    inet_pton(AF_INET, "127.0.0.1", &address.sin_addr);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    const std::string request = "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
    send(fd, request.data(), request.size(), MSG_NOSIGNAL);
    return fd;
}

RawReply RawGet(int port, const std::string& target, std::size_t bodyBytes,
                std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    RawReply reply;
    const auto start = Clock::now();
    const int fd = SendGet(port, target);
    if (fd >= 0) {
        std::string bytes;
        char buffer[65536];
        std::size_t headEnd = std::string::npos;
        while (Clock::now() - start < limit) {
            pollfd ready{fd, POLLIN, 0};
            if (poll(&ready, 1, 100) <= 0) {
                continue;
            }
            const ssize_t got = recv(fd, buffer, sizeof buffer, 0);
            if (got <= 0) {
                break;
            }
            bytes.append(buffer, static_cast<std::size_t>(got));
            const bool hadBody = headEnd != std::string::npos && bytes.size() > headEnd + 4;
            headEnd = bytes.find("\r\n\r\n");
            if (headEnd != std::string::npos && bytes.size() > headEnd + 4) {
                if (!hadBody) {
                    reply.firstBody = Clock::now() - start;
                }
                reply.allBody = Clock::now() - start;
                if (bytes.size() - headEnd - 4 >= bodyBytes) {
                    break;
                }
            }
        }
        reply.head = bytes.substr(0, headEnd);
        reply.body = headEnd == std::string::npos ? "" : bytes.substr(headEnd + 4);
        close(fd);
    }
    return reply;
}

// Reads and drops what comes until the server closes (true) or the limit.
bool ReadsUntilClosed(int fd, std::chrono::seconds limit) {
    const auto start = Clock::now();
    char buffer[65536];
    bool closed = false;
    while (!closed && Clock::now() - start < limit) {
        pollfd ready{fd, POLLIN, 0};
        closed = poll(&ready, 1, 100) > 0 && recv(fd, buffer, sizeof buffer, 0) <= 0;
    }
    close(fd);
    return closed;
}

TEST(HostileMode, EveryEntryOfAPageCarriesAnotherHostileNameAndItsFilesAreServed) {
    ServiceSimProcess sim({.extraArgs = {"--hostile"}});
    const Fetched list =
        Fetch(sim.baseUrl(SimService::Catalog) + "/openapi/tjlist.php?chanel=kestrunebox&s=0&e=9");
    const nlohmann::json reply = nlohmann::json::parse(list.body);
    const std::pair<const char*, const char*> titles[] = {
        {"1", "$(touch qvpc-ran)"},           {"2", "`touch qvpc-ran`"},
        {"3", "\"; touch qvpc-ran; echo \""}, {"4", "'; touch qvpc-ran; echo '"},
        {"5", "../../../qvpc-escape"},        {"6", "/tmp/qvpc-escape"},
    };
    for (const auto& [entry, title] : titles) {
        EXPECT_EQ(reply[entry]["apptitle"], title);
    }
    EXPECT_EQ(reply["8"]["apptitle"],
              "line\r\nbreak\ttab\x01"
              "end");
    EXPECT_EQ(reply["9"]["apptitle"].get<std::string>().size(), 120000u);
    EXPECT_EQ(reply["1"]["appid"], "1001' OR '1'='1");
    EXPECT_EQ(reply["1"]["appico"],
              sim.baseUrl(SimService::Download) +
                  "/down/icon/..%2F..%2F..%2Fqvpc-escape%2Fcom.xingkong.live.png");

    // Whatever the name, the file behind it comes from the data folder.
    for (int entry = 1; entry <= 9; ++entry) {
        SCOPED_TRACE(entry);
        const nlohmann::json& item = reply[std::to_string(entry)];
        const std::string package = item["packname"].get<std::string>().substr(
            0, item["packname"].get<std::string>().find('"'));
        EXPECT_EQ(Fetch(item["appico"].get<std::string>()).body,
                  ReadFile(sim.dataDir() + "/icons/" + package + ".png"));
        const std::string downurl = item["downurl"].get<std::string>();
        EXPECT_TRUE(Fetch(downurl).body.starts_with("PK\x03\x04")) << downurl;
    }
    // but nothing outside it.
    const std::string download = sim.baseUrl(SimService::Download);
    for (const char* name : {"..%2F..%2F..%2Fqvpc-escape%2F..%2Fapps.json", "%2Fetc%2Fpasswd"}) {
        EXPECT_EQ(Fetch(download + "/down/icon/" + name).status, 404) << name;
    }

    const Fetched search = Fetch(download + "/api/soupackzs.php?kw=com.kestrunemarket");
    EXPECT_NE(search.body.find("<apptitle>$(touch qvpc-ran)</apptitle>"), std::string::npos);
    EXPECT_NE(search.body.find("<summary></summary><downurl><![CDATA[file:///etc/passwd]]>"),
              std::string::npos);
    const Fetched lookup = Fetch(download + "/apinew/soubaonew.php?packs=com.kge.tv");
    EXPECT_NE(lookup.body.find(R"x("apptitle":"$(touch qvpc-ran)")x"), std::string::npos);

    EXPECT_EQ(sim.control("GET", "faults"), nlohmann::json({{"list", "hostile"},
                                                            {"lookup", "hostile"},
                                                            {"search", "hostile"},
                                                            {"apk", "hostile"},
                                                            {"icon", "hostile"}}));
}

TEST(HostileMode, RepliesThatNeverEndAreHugeOrComeAByteAtATime) {
    ServiceSimProcess sim;
    const int catalog = sim.port(SimService::Catalog);
    const std::string page = "/openapi/tjlist.php?chanel=kestrunebox&s=0&e=9";

    sim.setFault("list", "endless");
    const RawReply endless = RawGet(catalog, page, 4 << 20);
    EXPECT_NE(endless.head.find("Transfer-Encoding: chunked"), std::string::npos) << endless.head;
    EXPECT_EQ(endless.head.find("Content-Length"), std::string::npos);
    EXPECT_GE(endless.body.size(), 4u << 20);

    sim.setFault("icon", "huge:104857600");
    const RawReply huge =
        RawGet(sim.port(SimService::Download), "/down/icon/com.kge.tv.png", 1 << 20);
    EXPECT_NE(huge.head.find("Content-Length: 104857600"), std::string::npos) << huge.head;
    EXPECT_TRUE(huge.body.starts_with("\x89PNG"));

    sim.setFault("list", "loris:400");
    const RawReply loris = RawGet(catalog, page, 4);
    EXPECT_EQ(loris.body, "{\"al");
    EXPECT_LT(loris.firstBody, std::chrono::milliseconds(400)) << "the head and a byte at once";
    EXPECT_GE(loris.allBody - loris.firstBody, std::chrono::milliseconds(3 * 400 - 50));

    // Replies still coming do not keep the double from stopping.
    sim.setFault("list", "endless+loris:60000");
    sim.setFault("icon", "endless");
    const int trickling = SendGet(catalog, page);
    const int flooding = SendGet(sim.port(SimService::Download), "/down/icon/com.kge.tv.png");
    bool floodEnded = false;
    std::thread reader([&] { floodEnded = ReadsUntilClosed(flooding, std::chrono::seconds(10)); });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const auto stopping = Clock::now();
    EXPECT_EQ(sim.stop(), 0);
    EXPECT_LT(Clock::now() - stopping, std::chrono::seconds(4));
    reader.join();
    EXPECT_TRUE(floodEnded);
    EXPECT_TRUE(ReadsUntilClosed(trickling, std::chrono::seconds(1)));
}

TEST(HostileMode, KindsAreSpelledAndRefusedLikeTheOthers) {
    ServiceSimProcess sim;
    sim.setFault("list", "hostile+endless+loris");
    EXPECT_EQ(sim.control("GET", "faults")["list"], "hostile+loris:3000+endless");
    EXPECT_THROW(sim.setFault("list", "loris:0"), std::runtime_error);
    EXPECT_THROW(sim.setFault("list", "loris:60001"), std::runtime_error);
}

}  // namespace
}  // namespace qvpc::servicesim::test
