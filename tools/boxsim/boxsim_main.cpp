// boxsim: simulated Android TV boxes for tests and people (see README.md).

#include <signal.h>

#include <cstdio>
#include <exception>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>

#include "boxsim/net/simulator.h"

namespace {

constexpr const char* kUsage =
    "usage: boxsim [--config FILE] [--control SOCKET]\n"
    "Without a configuration one ordinary box is served on 127.0.0.2.\n";

}  // namespace

int main(int argc, char** argv) {
    std::string configPath;
    std::string controlPath;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if ((arg == "--config" || arg == "--control") && i + 1 < argc) {
            (arg == "--config" ? configPath : controlPath) = argv[++i];
        } else if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else {
            std::fprintf(stderr, "boxsim: unknown argument %s\n%s", arg.c_str(), kUsage);
            return 2;
        }
    }

    // Signals are taken synchronously by sigwait below, so block them in
    // every thread before any is started.
    // A shell that starts boxsim in the background sets SIGINT to ignored,
    // and an ignored signal never reaches sigwait.
    ::signal(SIGINT, SIG_DFL);
    ::signal(SIGTERM, SIG_DFL);
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    ::signal(SIGPIPE, SIG_IGN);

    qvpc::boxsim::SimConfig config;
    try {
        nlohmann::json json = {{"boxes", nlohmann::json::array({nlohmann::json::object()})}};
        if (!configPath.empty()) {
            std::ifstream in(configPath);
            if (!in) {
                std::fprintf(stderr, "boxsim: cannot read %s\n", configPath.c_str());
                return 2;
            }
            json = nlohmann::json::parse(in);
        }
        config = qvpc::boxsim::ParseSimConfig(json);
        if (!controlPath.empty()) {
            config.controlSocket = controlPath;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "boxsim: bad configuration: %s\n", e.what());
        return 2;
    }

    try {
        qvpc::boxsim::Simulator simulator(config);
        std::string error;
        if (!simulator.start(error)) {
            std::fprintf(stderr, "boxsim: %s\n", error.c_str());
            return 1;
        }
        std::printf("%sready (Ctrl-C stops)\n", simulator.describe().c_str());
        std::fflush(stdout);
        int signal = 0;
        sigwait(&signals, &signal);
        simulator.stop();
        std::printf("boxsim: stopped\n");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "boxsim: %s\n", e.what());
        return 1;
    }
    return 0;
}
