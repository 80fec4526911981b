// An installation through the program against bare "adb install -r" of the
// same APK to the same simulated box, side by side in one run. What the
// program adds is its own: the check that the box is attached, the task's
// start and the time until it sees the shell back at its prompt.
#include <chrono>
#include <cstdio>
#include <vector>

#include "support/core_rig.h"
#include "support/fixture_apk.h"
#include "support/loopback.h"
#include "support/wait.h"

namespace {

using Clock = std::chrono::steady_clock;

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main() {
    using namespace qvpc;
    const std::string address = test::FreeLoopbackAddress();
    // The program's own tick, as the user has it.
    test::CoreRig rig({test::BoxAt(address)}, ProgressEngine::Timings{});
    rig.start();
    if (!rig.connect(address)) {
        std::fprintf(stderr, "install_bench: cannot connect to the simulated box\n");
        return 1;
    }
    test::ApkSpec spec;
    spec.packageName = "com.example.bench";
    spec.paddingBytes = 2 * 1024 * 1024;
    const std::string apk = test::MakeFixtureApk(rig.dir.path(), spec, "bench.apk");

    constexpr int kRuns = 7;
    std::vector<double> bare, ours;
    for (int run = 0; run < kRuns; ++run) {
        auto started = Clock::now();
        test::RunAdb("-s " + address + ":5555 install -r '" + apk + "'");
        bare.push_back(std::chrono::duration<double>(Clock::now() - started).count());

        started = Clock::now();
        rig.core.actions().installApk(apk, {});
        rig.waitForIdle(std::chrono::seconds(60));
        ours.push_back(std::chrono::duration<double>(Clock::now() - started).count());
        rig.screen.ClosePopup();
    }
    const double b = Median(bare), o = Median(ours);
    std::printf("%-34s %10.3f s %10.3f s %8.2f   (program adds %.3f s; target <= 0.2 s)\n",
                "install 2 MB APK (median of 7)", o, b, o / b, o - b);
    return 0;
}
