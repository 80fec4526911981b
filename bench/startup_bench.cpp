// Start-up of the real program: from its exec to the first painted page
// under Qt's offscreen platform, and its resident memory once the start-up
// workers have run, each start with an empty home folder, no box and its own
// ADB server; the search is never started. The peer is an empty Qt window
// (empty_window.cpp) measured the same way: what Qt itself costs.
#include <signal.h>
#include <sys/stat.h>
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "bench_rows.h"
#include "support/adb_server.h"
#include "support/child_process.h"
#include "support/set_variable.h"
#include "support/temp_dir.h"
#include "support/wait.h"

namespace {

constexpr int kRuns = 7;
constexpr double kStartUpTargetMs = 400;
constexpr double kMemoryTargetMb = 50;
// Long enough for the start-up workers (adb, usage report, update check) to
// have run against nothing.
constexpr std::chrono::milliseconds kSettle{2000};
constexpr std::chrono::seconds kPaintLimit{30};

long long MonotonicNs() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1'000'000'000LL + now.tv_nsec;
}

struct Memory {
    double residentMb = 0;
    double anonymousMb = 0;  // the rest is mapped from files: libraries, fonts
};

// A process's resident memory, or nothing when it is gone.
std::optional<Memory> MemoryOf(pid_t pid) {
    std::ifstream rollup("/proc/" + std::to_string(pid) + "/smaps_rollup");
    std::optional<double> resident;
    std::optional<double> anonymous;
    for (std::string line; std::getline(rollup, line);) {
        if (line.starts_with("Rss:")) {
            resident = std::stod(line.substr(4)) / 1024.0;
        } else if (line.starts_with("Anonymous:")) {
            anonymous = std::stod(line.substr(10)) / 1024.0;
        }
    }
    if (!resident || !anonymous) {
        return std::nullopt;
    }
    return Memory{*resident, *anonymous};
}

struct Start {
    double paintMs = 0;
    Memory memory;
};

// One start of program with a fresh, empty home; nothing when it did not paint.
std::optional<Start> MeasureStart(const std::string& program) {
    qvpc::test::TempDir home;
    qvpc::test::TempDir work;  // beside the home, which stays empty
    const std::string runtime = work.path() + "/run";
    std::filesystem::create_directory(runtime);
    ::chmod(runtime.c_str(), 0700);
    const std::string stamp = work.path() + "/painted";
    const std::string output = work.path() + "/output";
    qvpc::test::SetVariable homeVariable("HOME", home.path());
    qvpc::test::SetVariable runtimeVariable("XDG_RUNTIME_DIR", runtime);
    qvpc::test::SetVariable stampVariable("QVPC_FIRST_PAINT_FILE", stamp);

    const long long started = MonotonicNs();
    qvpc::test::ChildProcess child({program}, output);
    std::string painted;
    const bool paintSeen = qvpc::test::WaitFor(
        [&] {
            painted = qvpc::test::ReadFile(stamp);
            return painted.ends_with('\n') || !child.running();
        },
        kPaintLimit);
    if (!paintSeen || !painted.ends_with('\n')) {
        std::fprintf(stderr, "%s did not paint within %lld s:\n%s\n", program.c_str(),
                     static_cast<long long>(kPaintLimit.count()),
                     qvpc::test::ReadFile(output).c_str());
        return std::nullopt;
    }
    Start start;
    start.paintMs = static_cast<double>(std::stoll(painted) - started) / 1e6;
    std::this_thread::sleep_for(kSettle);
    const std::optional<Memory> memory = MemoryOf(child.pid());
    // The program quits in order on SIGTERM, the peer just ends; either way
    // it is gone before the next start (the child is killed otherwise).
    child.stop(SIGTERM, std::chrono::seconds(15));
    if (!memory) {
        std::fprintf(stderr, "%s ended on its own after its first paint:\n%s\n", program.c_str(),
                     qvpc::test::ReadFile(output).c_str());
        return std::nullopt;
    }
    start.memory = *memory;
    return start;
}

// The median start, by time to paint and by memory apart.
struct Medians {
    double paintMs = 0;
    Memory memory;
};

std::optional<Medians> MeasureStarts(const std::string& program) {
    std::vector<Start> starts;
    for (int i = 0; i < kRuns; ++i) {
        const std::optional<Start> start = MeasureStart(program);
        if (!start) {
            return std::nullopt;
        }
        starts.push_back(*start);
    }
    Medians medians;
    std::sort(starts.begin(), starts.end(),
              [](const Start& a, const Start& b) { return a.paintMs < b.paintMs; });
    medians.paintMs = starts[starts.size() / 2].paintMs;
    std::sort(starts.begin(), starts.end(), [](const Start& a, const Start& b) {
        return a.memory.residentMb < b.memory.residentMb;
    });
    medians.memory = starts[starts.size() / 2].memory;
    return medians;
}

std::string TargetNote(double value, double target, const char* unit) {
    char note[96];
    std::snprintf(note, sizeof note,
                  value <= target ? "target %.0f %s: met" : "target %.0f %s: MISSED", target, unit);
    return note;
}

}  // namespace

int main() {
    qvpc::test::AdbServer adb;  // the program's adb talks to a server of this run only
    qvpc::test::SetVariable platform("QT_QPA_PLATFORM", "offscreen");
    ::unsetenv("XDG_DOCUMENTS_DIR");
    ::unsetenv("XDG_CONFIG_HOME");

    const std::optional<Medians> ours = MeasureStarts(std::string(QVPC_BUILD_DIR) + "/qvpc");
    const std::optional<Medians> peer = MeasureStarts(QVPC_EMPTY_WINDOW);
    if (!ours || !peer) {
        return 1;
    }
    PrintRow("start-up to first painted page", ours->paintMs, peer->paintMs,
             TargetNote(ours->paintMs, kStartUpTargetMs, "ms").c_str());
    const Memory& memory = ours->memory;
    char split[96];
    std::snprintf(split, sizeof split,
                  "; %.1f MB anonymous, %.1f MB mapped from files (libraries, fonts)",
                  memory.anonymousMb, memory.residentMb - memory.anonymousMb);
    PrintMbRow("resident memory after start-up", memory.residentMb, peer->memory.residentMb,
               (TargetNote(memory.residentMb, kMemoryTargetMb, "MB") + split).c_str());
    return 0;
}
