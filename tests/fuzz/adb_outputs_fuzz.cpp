// The readers of what adb and the shell leave in OutputBuffer, on any text.
// The input's first line is the address, APK path or data folder the
// reader is given; the rest is the output. None may fail, and each answer
// must agree with the text it was read from.
#include <string>
#include <string_view>

#include "adb/adb_output.h"
#include "adb/connect_outcome.h"
#include "adb/device_list.h"
#include "adb/install_outcome.h"
#include "adb/shell_status.h"
#include "fuzz_target.h"

namespace {

using qvpc::fuzz::Require;

bool Contains(std::string_view text, std::string_view what) {
    return text.find(what) != std::string_view::npos;
}

void ReadNotes(std::string_view output) {
    const std::string kept = qvpc::WithoutServerNotes(output);
    Require(kept.size() <= output.size());
    Require(!kept.starts_with("* daemon ") && !Contains(kept, "\n* daemon "));
    Require(qvpc::Lower(output).size() == output.size());
    Require(qvpc::ContainsIgnoringCase(output, qvpc::Lower(output)));
}

void ReadConnect(std::string_view output, std::string_view ip) {
    const qvpc::ConnectRow row = qvpc::ClassifyConnectOutput(output, ip);
    if (row == qvpc::ConnectRow::Connected) {
        Require(Contains(output, "connected to " + std::string(ip) + ":5555"));
    }
    qvpc::ConnectFailureMessage(row);
    const std::optional<std::string> state = qvpc::ListedState(output, ip);
    qvpc::ResolveAlreadyConnected(state.value_or(""));
}

void ReadDevices(std::string_view output) {
    for (const qvpc::ListedDevice& device : qvpc::ParseDeviceList(output)) {
        Require(!device.serial.empty() && !device.state.empty());
        for (const std::string* field : {&device.serial, &device.state}) {
            Require(field->find_first_of(" \t\r\n") == std::string::npos);
        }
        Require(Contains(output, device.serial) && Contains(output, device.state));
    }
}

void ReadInstall(std::string_view output, std::string_view localPath) {
    for (std::string_view path : {std::string_view(), localPath}) {
        const qvpc::InstallOutcome outcome = qvpc::ClassifyInstallOutput(output, path);
        Require(outcome.row >= 1 && outcome.row <= qvpc::InstallOutcome::kNoneOfThemRow);
        // (Taking the echoed path out could join a word, so the plain read
        // alone is held to the text.)
        if (outcome.kind == qvpc::InstallOutcome::Kind::Success && path.empty()) {
            Require(qvpc::ContainsIgnoringCase(output, "success"));
        }
        if (outcome.kind == qvpc::InstallOutcome::Kind::Failure) {
            Require(!outcome.title.empty() && !outcome.text.empty());
        }
    }
    qvpc::AwaitsVerdict(output, localPath);
}

void ReadShell(std::string_view output, std::string_view dataDir) {
    const qvpc::ShellStatusReading reading = qvpc::ReadShellStatus(output, dataDir);
    using Action = qvpc::ShellStatusReading::Action;
    if (reading.text != qvpc::kCommandRunning) {
        Require(!reading.text.empty() && Contains(output, reading.text));
        const char last = reading.text.back();
        Require(last == '>' || last == '$' || last == '#');
    } else {
        Require(reading.action == Action::None);
    }
    const std::size_t corrections = qvpc::CorrectionCommands(reading, dataDir).size();
    Require(corrections == (reading.action == Action::Wandered    ? 3
                            : reading.action == Action::ExitTwice ? 2
                            : reading.action == Action::ExitOnce  ? 1
                                                                  : 0));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const auto [given, output] = qvpc::fuzz::SplitFirstLine(input);

    ReadNotes(output);
    ReadConnect(output, given);
    ReadDevices(output);
    ReadInstall(output, given);
    ReadShell(output, given);
    return 0;
}
