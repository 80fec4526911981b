// A box that lies: package names and labels made to break whoever handles
// them carelessly, seen through the real adb and the companion's list.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "boxsim/box/box_config.h"
#include "support/adb_server.h"
#include "support/boxsim_process.h"
#include "support/loopback.h"
#include "tcp_client.h"

namespace qvpc::boxsim {
namespace {

using test::RunAdb;
using ::testing::HasSubstr;

// Single quotes for sh, which the box's shell and the test's both are.
std::string shQuote(const std::string& s) {
    std::string out = "'";
    for (char c : s) {
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return out + "'";
}

// What a terminal shows of text with line ends: LF as CR LF.
std::string terminal(std::string s) {
    for (size_t at = 0; (at = s.find('\n', at)) != std::string::npos; at += 2) {
        s.insert(at, "\r");
    }
    return s;
}

class HostileBoxTest : public ::testing::Test {
  protected:
    void SetUp() override {
        test::BoxSpec box = test::BoxAt(m_address);
        box.companionVersion = 3;
        box.companionRunning = true;
        box.companionNotReadyPolls = 0;
        box.extra["hostile_packages"] = true;
        m_boxsim = std::make_unique<test::BoxsimProcess>(std::vector{box});
        ASSERT_THAT(RunAdb("connect " + m_address).output, HasSubstr("connected to"));
    }
    std::string shell(const std::string& command) {
        return RunAdb("-s " + m_address + ":5555 shell " + shQuote(command)).output;
    }

    test::AdbServer m_adb;
    std::string m_address = test::FreeLoopbackAddress();
    std::unique_ptr<test::BoxsimProcess> m_boxsim;
};

TEST_F(HostileBoxTest, NamesAndLabelsArriveAsTheBoxHasThem) {
    const std::string listing = shell("pm list packages -3");
    EXPECT_GT(listing.size(), 100u << 10) << "the 100 KB name is listed whole";
    for (const PackageConfig& p : HostilePackages()) {
        const std::string& name = p.packageName;
        EXPECT_THAT(listing, HasSubstr(terminal("package:" + name + "\n"))) << name.substr(0, 40);
        if (name.size() > 1000) {
            continue;  // more than an old adbd takes in one command line
        }
        // Quoted, every name is only a name.
        EXPECT_EQ(shell("pm path " + shQuote(name)),
                  terminal("package:/data/app/" + name + "-1.apk\n"));
        EXPECT_THAT(shell("dumpsys package " + shQuote(name)),
                    HasSubstr(terminal("Packages:\n  Package [" + name + "] (")));
    }
    EXPECT_TRUE(m_boxsim->received(m_address, "reboot").empty());

    // The companion sends the labels byte for byte, escaped only as JSON must.
    const auto list = testing::HttpGet(m_address, 8988, "/?a=getlist");
    ASSERT_TRUE(list);
    EXPECT_GT(list->body.size(), 300u << 10);
    for (const std::string piece :
         {"\"AppName\":\"bad \xff\xfe\xc3\x28 utf8\"",
          "\"AppName\":\"line one\\nline two\\r\\nreboot\"",
          "\"PackageName\":\"com.hostile.quote'\\\"\\\\\"", "\"AppName\":\"$(reboot)\"",
          "\"AppName\":\"../../../etc/passwd\""}) {
        EXPECT_THAT(list->body, HasSubstr(piece));
    }
}

// The names are bait: sent unquoted, each runs its payload on the box, which
// records it, so a test of the program sees a slip.
TEST_F(HostileBoxTest, AnUnquotedNameRunsItsPayload) {
    for (const char* name :
         {"com.hostile.semi;reboot", "com.hostile.sub$(reboot)", "com.hostile.tick`reboot`",
          "com.hostile.ops&&reboot||reboot|reboot"}) {
        m_boxsim->clearReceived(m_address);
        shell(std::string("pm path ") + name);
        EXPECT_FALSE(m_boxsim->received(m_address, "reboot").empty()) << name;
    }
}

}  // namespace
}  // namespace qvpc::boxsim
