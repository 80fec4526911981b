#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <utility>

// The entry of a fuzz target, as libFuzzer calls it; fuzz_driver.cpp calls
// it the same way where libFuzzer is not there.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace qvpc::fuzz {

// A broken promise ends the run as a crash would, so both runners keep the
// input.
inline void Require(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

// An input's first line (what the reader is given besides the text) and the
// rest (the text); without a line break all of it is the text.
inline std::pair<std::string_view, std::string_view> SplitFirstLine(std::string_view input) {
    const std::size_t line = input.find('\n');
    if (line == std::string_view::npos) {
        return {{}, input};
    }
    return {input.substr(0, line), input.substr(line + 1)};
}

}  // namespace qvpc::fuzz
