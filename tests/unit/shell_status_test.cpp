#include "adb/shell_status.h"

#include <gtest/gtest.h>

namespace qvpc {
namespace {

using Action = ShellStatusReading::Action;

TEST(ReadShellStatusTest, ReadsTheLastLine) {
    const std::string dataDir = "/home/u/Documents/RiVod";
    const std::string prompt = dataDir + ">";
    const std::string running = "指令执行中";  // no prompt on the last line
    struct Case {
        const char* what;
        std::string output;
        std::string text;
        Action action;
    };
    const Case cases[] = {
        {"reset value", "-", running, Action::None},
        {"empty", "", running, Action::None},
        {"own prompt", "\r\nList of devices attached\r\n\r\n\r\n" + prompt, prompt, Action::None},
        {"own prompt in other case", "\r\n/HOME/U/Documents/RiVod>", "/HOME/U/Documents/RiVod>",
         Action::None},
        {"prompt with spaces around", "x\r\n  " + prompt + " \xE3\x80\x80", prompt, Action::None},
        {"complete last line decides", "\r\n" + prompt + "\r\n", prompt, Action::None},
        {"two line ends make an empty line", "\r\n" + prompt + "\r\n\r\n", running, Action::None},
        {"output still coming", "\r\n" + prompt + "\r\nPerforming Push Install", running,
         Action::None},
        {"incomplete prompt", "\r\n/home/u/Documents/RiV", running, Action::None},
        {"wandered", "\r\n/home/u/Documents>", "/home/u/Documents>", Action::Wandered},
        {"box shell", "\r\n@android:/ $ ", "@android:/ $", Action::ExitOnce},
        {"box root shell", "\r\nroot@android:/ #", "root@android:/ #", Action::ExitTwice},
    };
    for (const Case& c : cases) {
        ShellStatusReading reading = ReadShellStatus(c.output, dataDir);
        EXPECT_EQ(reading.text, c.text) << c.what;
        EXPECT_EQ(reading.action, c.action) << c.what;
    }
}

TEST(ReadShellStatusTest, EachReadingHasItsCorrectionLines) {
    const std::string dataDir = "/home/u/My \"Documents\"/RiVod";
    const auto lines = [&](const std::string& output) {
        return CorrectionCommands(ReadShellStatus(output, dataDir), dataDir);
    };
    using Lines = std::vector<std::string>;
    EXPECT_EQ(lines("\r\n" + dataDir + ">"), Lines{});
    EXPECT_EQ(lines("-"), Lines{});
    EXPECT_EQ(lines("\r\n/home/u>"),
              (Lines{"cd ..", "cd ..", "cd \"/home/u/My \\\"Documents\\\"/RiVod\""}));
    EXPECT_EQ(lines("\r\n@android:/ $ "), Lines{"exit"});
    EXPECT_EQ(lines("\r\nroot@android:/ #"), (Lines{"exit", "exit"}));
}

}  // namespace
}  // namespace qvpc
