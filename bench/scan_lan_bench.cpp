// One /24 scan (253 addresses on ports 5555 and 8090: 506 probes) inside the
// LAN harness, with three boxes on the network, timed for its wall and CPU
// time, side by side with nmap's connect scan of the same network.
//
//   scripts/lan-harness build/bench/scan_lan_bench [RUNS]
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "base/log.h"
#include "devices/scan_plan.h"
#include "devices/tcp_probes.h"
#include "support/boxsim_process.h"
#include "support/lan_network.h"
#include "support/temp_dir.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Timing {
    double wall = 0;
    double cpu = 0;
};

double Seconds(const timeval& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
}

double ThreadCpu() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// nmap's wall time and the CPU time it used, user and system; nothing when
// it could not run.
std::optional<Timing> RunNmap(const std::string& range) {
    const auto start = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        std::freopen("/dev/null", "w", stdout);
        execlp("nmap", "nmap", "-sT", "-p5555,8090", "--max-parallelism", "100", "-n",
               range.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0) {
        return std::nullopt;
    }
    return Timing{std::chrono::duration<double>(Clock::now() - start).count(),
                  Seconds(usage.ru_utime) + Seconds(usage.ru_stime)};
}

Timing Median(std::vector<Timing> runs) {
    auto middle = [](std::vector<double> values) {
        std::sort(values.begin(), values.end());
        return values[values.size() / 2];
    };
    std::vector<double> walls, cpus;
    for (const Timing& run : runs) {
        walls.push_back(run.wall);
        cpus.push_back(run.cpu);
    }
    return {middle(walls), middle(cpus)};
}

}  // namespace

int main(int argc, char** argv) {
    if (std::optional<std::string> why = qvpc::test::WhyNotInsideLanHarness()) {
        std::fprintf(stderr,
                     "scan_lan_bench: refusing to run: %s; run it as scripts/lan-harness %s\n",
                     why->c_str(), argv[0]);
        return 2;
    }
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;

    qvpc::test::LanNetwork network;
    network.setPcAddress("10.77.9.7/24");
    std::vector<qvpc::test::BoxSpec> boxes;
    const struct {
        const char* address;
        const char* mac;
        bool adb;
        bool command;
    } layout[] = {{"10.77.9.20", "02:00:00:00:09:20", true, false},
                  {"10.77.9.31", "02:00:00:00:09:31", false, true},
                  {"10.77.9.45", "02:00:00:00:09:45", true, true}};
    for (const auto& box : layout) {
        network.addBox(box.address, box.mac);
        qvpc::test::BoxSpec spec = qvpc::test::BoxAt(box.address);
        spec.adbListening = box.adb;
        spec.commandPort = box.command;
        boxes.push_back(spec);
    }
    qvpc::test::BoxsimProcess boxsim(boxes, network.boxLauncher());

    qvpc::test::TempDir dir;
    qvpc::Log log(dir.path() + "/log.txt");
    const std::vector<qvpc::ProbeTarget> targets =
        qvpc::PlanScan({"127.0.0.1", "10.77.9.7"}, log).targets();

    std::vector<Timing> scans;
    std::size_t found = 0;
    for (int i = 0; i < runs; ++i) {
        std::size_t hits = 0;
        const auto start = Clock::now();
        const double cpuStart = ThreadCpu();
        qvpc::TcpProbes(log).run(targets, {.found = [&](const qvpc::ProbeTarget&) { ++hits; }});
        scans.push_back(
            {std::chrono::duration<double>(Clock::now() - start).count(), ThreadCpu() - cpuStart});
        found = hits;
    }
    std::vector<Timing> nmaps;
    for (int i = 0; i < runs; ++i) {
        if (std::optional<Timing> nmap = RunNmap("10.77.9.2-254")) {
            nmaps.push_back(*nmap);
        }
    }

    if (found != 4) {
        std::fprintf(stderr, "scan_lan_bench: the scan found %zu of the boxes' 4 ports\n", found);
        return 1;
    }
    const Timing scan = Median(scans);
    const std::optional<Timing> nmap =
        nmaps.empty() ? std::nullopt : std::optional<Timing>(Median(nmaps));
    auto row = [&](const char* what, double ours, std::optional<double> peer, const char* target) {
        if (peer) {
            std::printf("%-34s %10.3f s %10.3f s %8.2f   (%s; peer: nmap -sT, 100 in parallel)\n",
                        what, ours, *peer, ours / *peer, target);
        } else {
            std::printf("%-34s %10.3f s %12s %8s   (%s; nmap did not run)\n", what, ours, "-", "-",
                        target);
        }
    };
    row("/24 scan, 506 probes: wall", scan.wall,
        nmap ? std::optional<double>(nmap->wall) : std::nullopt, "target <= 1.15 s");
    row("/24 scan, 506 probes: CPU", scan.cpu,
        nmap ? std::optional<double>(nmap->cpu) : std::nullopt, "target <= 0.15 s");
    return 0;
}
