#include "boxsim/device/shell_service.h"

#include "boxsim/box/android_shell.h"

namespace qvpc::boxsim {

namespace {

constexpr size_t kMaxLine = 64 * 1024;

void interactive(AdbStream& stream, Box& box) {
    AndroidShell shell(box, [&stream] { return stream.gone(); });
    if (!stream.write(shell.prompt())) {
        return;
    }
    std::string line;
    bool lastWasCr = false;
    while (auto chunk = stream.read()) {
        std::string echo;
        for (char c : *chunk) {
            if (c == '\n' && lastWasCr) {
                lastWasCr = false;
                continue;  // the LF of a CR LF pair
            }
            lastWasCr = c == '\r';
            if (c == '\r' || c == '\n') {
                echo += "\r\n";
                if (!stream.write(echo)) {
                    return;
                }
                echo.clear();
                box.record("shell", line);
                AndroidShell::Result result = shell.run(line);
                line.clear();
                if (!stream.write(TerminalLineEnds(result.output))) {
                    return;
                }
                if (result.exit) {
                    return;
                }
                echo = shell.prompt();
            } else if (c == 0x7f || c == '\b') {
                if (!line.empty()) {
                    line.pop_back();
                    echo += "\b \b";
                }
            } else if (c == 0x03) {  // ^C
                line.clear();
                echo += "^C\r\n" + shell.prompt();
            } else if (c == 0x04 && line.empty()) {  // ^D on an empty line
                stream.write(echo);
                return;
            } else if (line.size() < kMaxLine) {
                line += c;
                echo += c;
            }
        }
        if (!echo.empty() && !stream.write(echo)) {
            return;
        }
    }
}

}  // namespace

std::string TerminalLineEnds(const std::string& text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (char c : text) {
        if (c == '\n') {
            out += '\r';
        }
        out += c;
    }
    return out;
}

void RunShellService(AdbStream& stream, Box& box, const std::string& command, bool terminal) {
    if (command.empty() && terminal) {
        interactive(stream, box);
    } else {
        box.record("shell", command);
        AndroidShell shell(box, [&stream] { return stream.gone(); });
        const std::string output = shell.run(command).output;
        stream.write(terminal ? TerminalLineEnds(output) : output);
    }
    stream.close();
}

}  // namespace qvpc::boxsim
