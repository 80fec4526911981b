// Requests no real client sends: the double answers or closes, and keeps
// serving.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>

#include "http_fetch.h"
#include "support/servicesim_process.h"

namespace qvpc::servicesim::test {
namespace {

using qvpc::test::ServiceSimProcess;
using qvpc::test::SimService;

// Writes raw bytes to the port and reads what comes back until the server
// closes, a whole reply head has come, or the server stays silent for the
// given time (it keeps a connection open after an error reply).
std::string RawExchange(int port, const std::string& bytes,
                        std::chrono::milliseconds silence = std::chrono::milliseconds(300)) {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    inet_pton(AF_INET, "127.0.0.1", &address.sin_addr);
    timeval timeout{silence.count() / 1000, silence.count() % 1000 * 1000};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    std::string reply;
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
        send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        char buffer[4096];
        ssize_t got;
        while (reply.find("\r\n\r\n") == std::string::npos &&
               (got = recv(fd, buffer, sizeof buffer, 0)) > 0) {
            reply.append(buffer, static_cast<size_t>(got));
        }
    }
    close(fd);
    return reply;
}

TEST(HostileInput, OversizedAndBrokenRequestsLeaveTheServicesRunning) {
    ServiceSimProcess sim;
    const int catalog = sim.port(SimService::Catalog);

    FetchOptions big;
    big.postBody = "DATA=" + std::string(2 << 20, 'A');
    EXPECT_EQ(Fetch(sim.sqlUrl(), big).status, 413);

    FetchOptions longHeader;
    longHeader.headers = {"X-Long: " + std::string(100000, 'h')};
    long status =
        Fetch(sim.baseUrl(SimService::Catalog) + "/openapi/tjlist.php", longHeader).status;
    EXPECT_TRUE(status == 0 || status >= 400) << status;

    // A chunked body past the limit, without a Content-Length to refuse early.
    std::string chunked =
        "POST /qvhx/sqlqvhx.php HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: chunked\r\n\r\n";
    for (int i = 0; i < 20; ++i) {
        chunked += "10000\r\n" + std::string(0x10000, 'B') + "\r\n";
    }
    chunked += "0\r\n\r\n";
    EXPECT_NE(
        RawExchange(sim.port(SimService::Sql), chunked, std::chrono::seconds(5)).find(" 413 "),
        std::string::npos);

    for (const std::string& garbage :
         {std::string("\x00\x01\x02GARBAGE\r\n\r\n", 14), std::string("GET\r\n\r\n"),
          std::string("GET /openapi/tjlist.php?chanel=kestrunebox HTTP/9.9\r\n\r\n"),
          std::string(
              "GET /openapi/list.php?s=-5&e=99999999999999999999999 HTTP/1.1\r\nHost: x\r\n\r\n"),
          "GET /openapi/" + std::string(60000, 'p') + " HTTP/1.1\r\nHost: x\r\n\r\n",
          std::string("GET /apinew/soubaonew.php?packs=%ZZ%,,,,%00 HTTP/1.1\r\nHost: x\r\n\r\n")}) {
        RawExchange(catalog, garbage);
        RawExchange(sim.port(SimService::Download), garbage);
    }

    EXPECT_EQ(kill(sim.pid(), 0), 0) << "still running";
    Fetched list = Fetch(sim.baseUrl(SimService::Catalog) +
                         "/openapi/tjlist.php?chanel=kestrunebox&s=-5&e=99999999999999999999999");
    EXPECT_EQ(list.status, 200);
    EXPECT_TRUE(list.body.starts_with("{\"allnum\":\"19\""));
}

}  // namespace
}  // namespace qvpc::servicesim::test
