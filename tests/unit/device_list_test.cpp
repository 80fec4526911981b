#include "adb/device_list.h"

#include <gtest/gtest.h>

namespace qvpc {
namespace {

TEST(DeviceListTest, ReadsTheStateOfABoxInEveryClientsWording) {
    struct Case {
        const char* what;
        std::string output;
        std::string ip;
        std::optional<std::string> state;
    };
    const Case cases[] = {
        {"modern tab", "List of devices attached\r\n192.168.1.5:5555\tdevice\r\n\r\n",
         "192.168.1.5", "device"},
        {"described spaces", "List of devices attached \r\n192.168.1.5:5555     offline\r\n\r\n",
         "192.168.1.5", "offline"},
        {"unauthorized", "List of devices attached\n10.0.0.7:5555\tunauthorized\n\n", "10.0.0.7",
         "unauthorized"},
        {"daemon notes first",
         "* daemon not running; starting now at tcp:5037\r\n* daemon started successfully\r\n"
         "List of devices attached\r\n127.0.0.2:5555\tdevice\r\n\r\n",
         "127.0.0.2", "device"},
        {"a longer address is another box",
         "List of devices attached\r\n192.168.1.50:5555\tdevice\r\n\r\n", "192.168.1.5",
         std::nullopt},
        {"listed without port", "List of devices attached\r\n192.168.1.5\tdevice\r\n\r\n",
         "192.168.1.5", "device"},
        {"empty list", "List of devices attached\r\n\r\n", "192.168.1.5", std::nullopt},
        {"no list at all", "error: cannot connect to daemon\r\n", "192.168.1.5", std::nullopt},
        {"the prompt after the list is not a device",
         "List of devices attached\r\n\r\n\r\n/home/u/RiVod>", "/home/u/RiVod>", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ListedState(c.output, c.ip), c.state) << c.what;
    }
}

}  // namespace
}  // namespace qvpc
