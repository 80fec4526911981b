#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct zip;

namespace qvpc::boxsim {

// Reading a zip archive held in memory (an APK pushed to the box). The bytes
// must outlive the reader. Every read is capped.
class ZipReader {
  public:
    // nullptr when the bytes are not a zip archive.
    static std::unique_ptr<ZipReader> open(std::string_view bytes);
    ~ZipReader();
    ZipReader(const ZipReader&) = delete;
    ZipReader& operator=(const ZipReader&) = delete;

    // Entry names, at most the first maxCount.
    std::vector<std::string> names(size_t maxCount = 100000) const;
    // nullopt when the entry is missing, encrypted, damaged or larger than maxBytes.
    std::optional<std::string> read(std::string_view name, size_t maxBytes) const;

  private:
    explicit ZipReader(zip* archive) : m_archive(archive) {}
    zip* m_archive;
};

struct ZipEntry {
    std::string name;
    std::string data;
    bool compress = true;
};

// A zip archive with a fixed timestamp on every entry, so the same entries
// give the same bytes. Throws std::runtime_error when libzip fails.
std::string WriteZip(const std::vector<ZipEntry>& entries);

}  // namespace qvpc::boxsim
