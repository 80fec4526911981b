#include "lan_rig.h"

#include "devices/local_network.h"
#include "support/log_text.h"

namespace qvpc::test {
namespace {

constexpr auto kScanLimit = std::chrono::seconds(60);

LanBox Box(const std::string& address, const std::string& mac, const std::string& model, bool adb,
           bool commandPort) {
    LanBox box{BoxAt(address), mac};
    box.spec.model = model;
    box.spec.adbListening = adb;
    box.spec.commandPort = commandPort;
    return box;
}

Config WithRemoteSql(const std::string& url) {
    Config config;
    config.remoteSqlUrl = url;
    return config;
}

}  // namespace

LanBox AdbOnlyBox(const std::string& address, const std::string& mac, const std::string& model) {
    return Box(address, mac, model, true, false);
}

LanBox CommandPortOnlyBox(const std::string& address, const std::string& mac,
                          const std::string& model) {
    return Box(address, mac, model, false, true);
}

LanBox BothPortsBox(const std::string& address, const std::string& mac, const std::string& model) {
    return Box(address, mac, model, true, true);
}

LanRig::LanRig(std::vector<LanBox> boxes)
    : paths(AppPaths::UnderDocuments(dir.path() + "/Documents")), log(paths.logPath) {
    network.setPcAddress(kPcAddress);
    std::vector<BoxSpec> specs;
    for (const LanBox& box : boxes) {
        network.addBox(box.spec.address, box.mac);
        specs.push_back(box.spec);
    }
    if (!specs.empty()) {
        boxsim = std::make_unique<BoxsimProcess>(specs, network.boxLauncher());
    }
    MakeDirectories(paths.tempDir);
    ProgressEngine::Timings timings;
    timings.period = std::chrono::milliseconds(200);
    core = std::make_unique<AppCore>(paths, WithRemoteSql(sim.sqlUrl()), log, screen, timings,
                                     LocalNetwork::Machine());
    core->InitAdb();
}

bool LanRig::scan() {
    core->StartLanScan();
    return core->scanner().waitUntilDone(kScanLimit);
}

int LanRig::logCount(const std::string& text) const {
    return Occurrences(LogText(log), text);
}

}  // namespace qvpc::test
