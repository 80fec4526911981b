#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace qvpc {

// What ended a ReadUntilEnd.
enum class ReadEnd {
    EndOfFile,       // every writer has closed its end
    DeadlinePassed,  // the deadline came first
    Woken,           // the wake descriptor became readable
    // poll or read failed; a terminal's controller ends this way (EIO) once the
    // last program writing to the terminal is gone
    Failed,
};

// Every member has an initializer, so a designated initializer may name any.
struct ReadOptions {
    // The most one read takes, and so the largest chunk.
    std::size_t chunkSize = 4096;
    // No limit when none.
    std::optional<std::chrono::steady_clock::time_point> deadline{};
    // Another thread ends the reading by making this readable, even while
    // nothing comes from fd; -1: none. It is looked at before each read.
    int wakeFd = -1;
};

// Reads fd until one of the ends above, handing each chunk to onChunk as it
// arrives. A read or wait that a signal interrupted is carried on.
ReadEnd ReadUntilEnd(int fd, const ReadOptions& options,
                     const std::function<void(std::string_view chunk)>& onChunk);

// The same, appending everything read to text.
ReadEnd ReadUntilEnd(int fd, const ReadOptions& options, std::string& text);

}  // namespace qvpc
