#pragma once

#include <cstddef>
#include <cstdint>

// The entry of a fuzz target, as libFuzzer calls it; fuzz_driver.cpp calls
// it the same way where libFuzzer is not there.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
