// Runs a fuzz target without libFuzzer: every file of the corpus folders
// given, then a fixed number of inputs mutated from them (bytes flipped,
// inserted, removed, pieces of the dictionary spliced in), from a fixed
// seed, so that a run is the same every time and bounded.
//
//   TARGET [--runs N] [--dict FILE] CORPUS_DIR...
//
// The dictionary is libFuzzer's format, so that both runs share it: one
// entry a line, name="text" or "text", with \\, \" and \xNN escapes.
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

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// The quoted text of a dictionary line; false for a comment, a blank or a
// line that is no entry.
bool DictionaryEntry(const std::string& line, std::string& entry) {
    const std::size_t open = line.find('"');
    const std::size_t close = line.rfind('"');
    if (line.empty() || line[0] == '#' || open == std::string::npos || close <= open) {
        return false;
    }
    entry.clear();
    for (std::size_t i = open + 1; i < close; ++i) {
        if (line[i] != '\\' || i + 1 >= close) {
            entry += line[i];
        } else if (line[i + 1] == 'x' && i + 3 < close && HexDigit(line[i + 2]) >= 0 &&
                   HexDigit(line[i + 3]) >= 0) {
            entry += static_cast<char>(HexDigit(line[i + 2]) * 16 + HexDigit(line[i + 3]));
            i += 3;
        } else {
            entry += line[++i];
        }
    }
    return true;
}

std::vector<std::string> ReadDictionary(const char* path) {
    std::ifstream in(path);
    if (!in) {
        std::fprintf(stderr, "cannot read the dictionary %s\n", path);
        std::exit(2);
    }
    std::vector<std::string> pieces;
    std::string line;
    std::string entry;
    while (std::getline(in, line)) {
        if (DictionaryEntry(line, entry)) {
            pieces.push_back(entry);
        }
    }
    return pieces;
}

std::string Mutate(std::string input, const std::vector<std::string>& pieces,
                   std::mt19937& random) {
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
            case 3:
                if (!pieces.empty()) {
                    input.insert(at, pieces[random() % pieces.size()]);
                }
                break;
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
    std::vector<std::string> pieces;
    std::vector<std::string> seeds;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--runs" && i + 1 < argc) {
            runs = std::strtol(argv[++i], nullptr, 10);
            continue;
        }
        if (arg == "--dict" && i + 1 < argc) {
            pieces = ReadDictionary(argv[++i]);
            continue;
        }
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator(arg, ec)) {
            std::ifstream in(entry.path(), std::ios::binary);
            seeds.emplace_back(std::istreambuf_iterator<char>(in),
                               std::istreambuf_iterator<char>());
        }
        if (ec) {
            std::fprintf(stderr, "cannot read the corpus %s: %s\n", arg.c_str(),
                         ec.message().c_str());
            return 2;
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
        last = Mutate(base, pieces, random);
        Run(last);
    }
    std::printf("%zu seeds and %ld mutated inputs ran clean\n", seeds.size(), runs);
    return 0;
}
