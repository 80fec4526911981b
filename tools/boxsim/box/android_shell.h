#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "boxsim/box/box.h"
#include "boxsim/box/shell_parser.h"

namespace qvpc::boxsim {

// The box's /system/bin/sh with the commands an old Android TV box offers to
// adb: getprop, cat, ls, rm, echo, pm, am, screencap, ... Texts are those of
// Android 4.x/5.x/6.x. Output uses "\n"; the ADB shell service turns it into
// the CR LF of a terminal where a real box has one.
class AndroidShell {
  public:
    // cancelled, when given, ends long commands (sleep) once the caller is gone.
    explicit AndroidShell(Box& box, std::function<bool()> cancelled = {})
        : m_box(box), m_cancelled(std::move(cancelled)) {}

    struct Result {
        std::string output;  // stdout and stderr as a terminal shows them
        bool exit = false;   // the line ran "exit"
    };
    Result run(std::string_view line);

    // "shell@android:/ $ " or, on a rooted box, "root@android:/ # ".
    std::string prompt() const;

  private:
    // Output chunks keep their stream so redirections can pick them apart.
    struct Output {
        std::vector<std::pair<int, std::string>> chunks;
        int status = 0;
        void out(std::string text) { chunks.emplace_back(1, std::move(text)); }
        void err(std::string text) { chunks.emplace_back(2, std::move(text)); }
        std::string text(int fd) const;
    };
    using Args = std::vector<std::string>;

    Output runSimple(const SimpleCommand& command, const std::string& input, bool& exit);
    Output dispatch(const Args& args, const std::string& input, bool& exit);

    Output getprop(const Args& args);
    Output cat(const Args& args, const std::string& input);
    Output ls(const Args& args);
    Output rm(const Args& args);
    Output echo(const Args& args);
    Output grep(const Args& args, const std::string& input);
    Output pm(const Args& args);
    Output pmInstall(const Args& args);
    Output pmList(const Args& args);
    Output pmUninstall(const Args& args);
    Output dumpsys(const Args& args);
    Output am(const Args& args);
    Output amStart(const Args& args, bool service);
    Output screencap(const Args& args);
    Output monkey(const Args& args);

    Box& m_box;
    std::function<bool()> m_cancelled;
    int m_depth = 0;  // of command substitutions, bounded
};

}  // namespace qvpc::boxsim
