// What a caller of WriteLog waits for on a log that has grown to 1 MB.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "base/log.h"

namespace {

void BM_WriteLogOnA1MbLog(benchmark::State& state) {
    char pattern[] = "/tmp/qvpc-log-bench-XXXXXX";
    const std::string dir = ::mkdtemp(pattern);
    const std::string path = dir + "/log.txt";
    qvpc::Log log(path);
    log.WriteLog("主进程", "程序启动", true);
    const std::string line(200, 'x');
    while (std::filesystem::file_size(path) < 1024 * 1024) {
        log.WriteLog("接口进度", line);
    }
    for (auto _ : state) {
        log.WriteLog("接口进度", line);
    }
    state.counters["log_bytes"] = static_cast<double>(std::filesystem::file_size(path));
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_WriteLogOnA1MbLog)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
