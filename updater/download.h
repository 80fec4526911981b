#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace qvpc::updater {

struct DownloadResult {
    bool ok = false;
    std::string error;  // why it failed, for the user
    std::uint64_t bytes = 0;
};

// Received bytes and the total the server announced (0 when it did not).
using DownloadProgress = std::function<void(std::uint64_t received, std::uint64_t total)>;

// Fetches an http or https address into path (replaced), certificates
// verified, at most limit bytes, every phase bounded. ok only when the whole
// body the server announced has arrived with a success status.
DownloadResult Download(const std::string& url, const std::string& path, std::uint64_t limit,
                        const DownloadProgress& progress = {});

}  // namespace qvpc::updater
