#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace qvpc::servicesim {

// The bytes of a reply body, read in pieces at any offset; the size is known
// before the first byte goes out (it becomes the Content-Length).
class BodySource {
  public:
    virtual ~BodySource() = default;
    virtual std::uint64_t size() const = 0;
    // Copies up to max bytes from offset; -1 when reading fails.
    virtual long long read(std::uint64_t offset, char* out, std::size_t max) = 0;
};

std::shared_ptr<BodySource> StringBody(std::string text);
// A byte range of a file, opened now; nothing when the file cannot be read.
std::shared_ptr<BodySource> FileBody(const std::string& path, std::uint64_t offset,
                                     std::uint64_t length);
// The inner body, then fill bytes up to total bytes (a huge reply without the
// memory).
std::shared_ptr<BodySource> PaddedBody(std::shared_ptr<BodySource> inner, std::uint64_t total,
                                       char fill);

}  // namespace qvpc::servicesim
