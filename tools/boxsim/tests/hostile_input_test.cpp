// Whatever arrives on a box's ports, boxsim answers as a box would or drops
// the connection, and keeps serving.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "boxsim/apk/byte_io.h"
#include "boxsim/device/adb_packet.h"
#include "support/adb_server.h"
#include "support/boxsim_process.h"
#include "support/loopback.h"
#include "tcp_client.h"

namespace qvpc::boxsim {
namespace {

using ::testing::HasSubstr;

std::string syncRequest(const char* id, uint32_t length, const std::string& data = "") {
    ByteWriter w;
    w.bytes(id);
    w.u32(length);
    w.bytes(data);
    return std::move(w.str());
}

using testing::RawHost;

class HostileInputTest : public ::testing::Test {
  protected:
    void SetUp() override {
        test::BoxSpec box;
        box.address = m_address;
        box.commandPort = true;
        box.companionVersion = 3;
        box.companionRunning = true;
        m_boxsim = std::make_unique<test::BoxsimProcess>(std::vector{box});
    }
    // Handshake and open a service; returns the box's stream id.
    uint32_t openService(RawHost& host, const std::string& service) {
        host.send(adb::kCnxn, 0x01000001, 1 << 20, "host::");
        auto cnxn = host.receive();
        EXPECT_TRUE(cnxn && cnxn->command == adb::kCnxn);
        host.send(adb::kOpen, 7, 0, service);  // no trailing NUL, as old hosts send
        auto okay = host.receive();
        EXPECT_TRUE(okay && okay->command == adb::kOkay && okay->arg1 == 7);
        return okay ? okay->arg0 : 0;
    }

    std::string m_address = test::FreeLoopbackAddress();
    std::unique_ptr<test::BoxsimProcess> m_boxsim;
};

TEST_F(HostileInputTest, BrokenAdbPacketsDropTheConnection) {
    {
        RawHost host(m_address, 5555);
        host.sendRaw(std::string(200, 'x'));  // bad magic
        EXPECT_TRUE(host.closedByPeer());
    }
    {
        RawHost host(m_address, 5555);
        ByteWriter w;  // a valid header announcing 16 MiB of payload
        for (uint32_t v :
             {adb::kCnxn, 0x01000000u, 4096u, 16u << 20, 0u, adb::kCnxn ^ 0xffffffffu}) {
            w.u32(v);
        }
        host.sendRaw(w.str());
        EXPECT_TRUE(host.closedByPeer());
    }
    {
        // WRTEs without waiting for OKAY, more than any host sends.
        RawHost host(m_address, 5555);
        const uint32_t id = openService(host, "shell:sleep 3");
        for (int i = 0; i < 6; ++i) {
            host.send(adb::kWrte, 7, id, std::string(1 << 20, 'w'));
        }
        EXPECT_TRUE(host.closedByPeer());
    }
    {
        // Packets for streams that do not exist and services that do not
        // exist are ignored or refused, as adbd does.
        RawHost host(m_address, 5555);
        const uint32_t id = openService(host, "shell:echo hi");
        host.send(adb::kWrte, 9, 12345, "data");
        host.send(adb::kOkay, 9, 54321);
        host.send(adb::kClse, 9, 999);
        host.send(adb::kOpen, 0, 0, "shell:echo zero id");
        host.send(adb::kOpen, 8, 0, "framebuffer:");
        bool sawOutput = false;
        bool sawRefusal = false;
        for (int i = 0; i < 6 && !(sawOutput && sawRefusal); ++i) {
            auto p = host.receive();
            ASSERT_TRUE(p);
            if (p->command == adb::kWrte && p->arg0 == id) {
                sawOutput = p->payload == "hi\r\n";
                host.send(adb::kOkay, 7, id);
            }
            sawRefusal = sawRefusal || (p->command == adb::kClse && p->arg0 == 0 && p->arg1 == 8);
        }
        EXPECT_TRUE(sawOutput);
        EXPECT_TRUE(sawRefusal);
    }
}

TEST_F(HostileInputTest, BadSyncRequestsFailAndTheBoxGoesOn) {
    struct Case {
        const char* name;
        std::string bytes;
    };
    const Case cases[] = {
        {"over-long path", syncRequest("STAT", 5000)},
        {"unknown request", syncRequest("ABCD", 4, "/x/y")},
        {"oversized data chunk",
         syncRequest("SEND", 19, "/sdcard/x.bin,33188") + syncRequest("DATA", 1u << 20)},
        {"data without send", syncRequest("DATA", 4, "abcd")},
    };
    for (const Case& c : cases) {
        RawHost host(m_address, 5555);
        const uint32_t id = openService(host, "sync:");
        host.send(adb::kWrte, 7, id, c.bytes);
        std::string reply;
        for (int i = 0; i < 4; ++i) {
            auto p = host.receive();
            if (!p || p->command == adb::kClse) {
                break;
            }
            if (p->command == adb::kWrte) {
                reply += p->payload;
                host.send(adb::kOkay, 7, id);
            }
        }
        EXPECT_EQ(reply.substr(0, 4), "FAIL") << c.name;
    }
    EXPECT_FALSE(m_boxsim->fileExists(m_address, "/sdcard/x.bin"));

    test::AdbServer adb;
    EXPECT_THAT(test::RunAdb("connect " + m_address).output, HasSubstr("connected to"));
    EXPECT_EQ(test::RunAdb("-s " + m_address + ":5555 shell echo alive").output, "alive\r\n");
}

TEST_F(HostileInputTest, HttpAndCommandPortGarbage) {
    const std::string hugeHead = "GET /?a=getversion HTTP/1.1\r\nX: " + std::string(64 * 1024, 'a');
    EXPECT_EQ(testing::TcpExchange(m_address, 8988, hugeHead).value_or("?"), "");
    EXPECT_THAT(testing::TcpExchange(m_address, 8988, "\x01\x02\r\n\r\n").value_or(""),
                HasSubstr("400 Bad Request"));
    EXPECT_EQ(testing::HttpGet(m_address, 8988, "/icons/%zz.png")->status, 404);
    EXPECT_EQ(testing::HttpGet(m_address, 8988, "/?a=getversion")->body, "3");

    // The command port keeps the connection open: read as many bytes as
    // the reply has, however long a loaded machine takes to send them.
    EXPECT_EQ(testing::TcpExchange(m_address, 8090, std::string("\0\xff stop", 7),
                                   std::chrono::seconds(5), 15)
                  .value_or(""),
              "unknown command");
    EXPECT_EQ(testing::TcpExchange(m_address, 8090, "start adbd", std::chrono::seconds(5), 2)
                  .value_or(""),
              "ok");
}

}  // namespace
}  // namespace qvpc::boxsim
