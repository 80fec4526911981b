// Runs a fuzz target without libFuzzer: every file of the corpus folders
// given, then a fixed number of inputs mutated from them (bytes flipped,
// inserted, removed, pieces of JSON and tags spliced in), from a fixed
// seed, so that a run is the same every time and bounded.
//
//   TARGET [--runs N] CORPUS_DIR...
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "fuzz_target.h"

namespace {

constexpr std::size_t kMaxInput = 64 * 1024;

const char* const kPieces[] = {
    "{",
    "}",
    "[",
    "]",
    ",",
    ":",
    "\"",
    "'",
    "\\",
    "\\u",
    "\\ud83d",
    "\\udcfa",
    "%u",
    "%uD83D",
    "null",
    "true",
    "false",
    "-1",
    "1e400",
    "0x1F",
    ".5",
    "NaN",
    "/*",
    "*/",
    "//",
    "\n",
    "\r",
    "\r\n",
    "arr",
    "allnum",
    "[1]",
    "['a']",
    "</url>",
    "<url>",
    "<appid>",
    "</appid>",
    "<![CDATA[",
    "]]>",
    "<downurl>",
    "</downurl>",
    "\xEF\xBB\xBF",
    "\xC2\xA0",
    "\xE2\x80\xA8",
    "\xFF",
    "\0",
};

std::string Mutate(std::string input, std::mt19937& random) {
    const int edits = 1 + static_cast<int>(random() % 8);
    for (int i = 0; i < edits; ++i) {
        const std::size_t at = input.empty() ? 0 : random() % (input.size() + 1);
        switch (random() % 5) {
            case 0:
                if (!input.empty() && at < input.size()) {
                    input[at] = static_cast<char>(input[at] ^ (1 << (random() % 8)));
                }
                break;
            case 1:
                input.insert(at, 1, static_cast<char>(random() % 256));
                break;
            case 2:
                if (!input.empty()) {
                    input.erase(std::min(at, input.size() - 1), 1 + random() % 16);
                }
                break;
            case 3: {
                const char* piece = kPieces[random() % std::size(kPieces)];
                input.insert(at, piece[0] ? std::string(piece) : std::string(1, '\0'));
                break;
            }
            default:
                if (!input.empty()) {
                    const std::size_t from = random() % input.size();
                    const std::size_t length =
                        1 + random() % std::min<std::size_t>(64, input.size() - from);
                    input.insert(at, input.substr(from, length));
                }
                break;
        }
    }
    if (input.size() > kMaxInput) {
        input.resize(kMaxInput);
    }
    return input;
}

// The input running now, for the file a failing run leaves (crash-input in
// the working folder), as libFuzzer leaves its crash files.
const std::string* g_running = nullptr;

void SaveRunningInput(int signal) {
    if (g_running) {
        const int fd = ::open("crash-input", O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd >= 0) {
            [[maybe_unused]] const ssize_t written =
                ::write(fd, g_running->data(), g_running->size());
            ::close(fd);
        }
    }
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

void Run(const std::string& input) {
    g_running = &input;
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(input.data()), input.size());
    g_running = nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    for (int signal : {SIGILL, SIGSEGV, SIGABRT, SIGBUS, SIGFPE}) {
        ::signal(signal, SaveRunningInput);
    }
    long runs = 10000;
    std::vector<std::string> seeds;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--runs" && i + 1 < argc) {
            runs = std::strtol(argv[++i], nullptr, 10);
            continue;
        }
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator(arg, ec)) {
            std::ifstream in(entry.path(), std::ios::binary);
            seeds.emplace_back(std::istreambuf_iterator<char>(in),
                               std::istreambuf_iterator<char>());
        }
    }
    seeds.emplace_back();
    std::sort(seeds.begin(), seeds.end());
    for (const std::string& seed : seeds) {
        Run(seed);
    }
    std::mt19937 random(20170101);
    std::string last = seeds[0];
    for (long i = 0; i < runs; ++i) {
        // Most inputs grow from a seed, some from the last mutation.
        const std::string& base = random() % 4 == 0 ? last : seeds[random() % seeds.size()];
        last = Mutate(base, random);
        Run(last);
    }
    std::printf("%zu seeds and %ld mutated inputs ran clean\n", seeds.size(), runs);
    return 0;
}
