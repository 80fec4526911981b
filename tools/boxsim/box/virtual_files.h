#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace qvpc::boxsim {

// The part of the box's file system that the shell and the sync service see:
// a fixed tree of directories, a few read-only generated files, and files
// written by pushes, screencap and redirections under the writable roots.
class VirtualFiles {
  public:
    static constexpr uint32_t kDirMode = 040755;
    static constexpr uint32_t kFileMode = 0100644;
    static constexpr size_t kMaxPath = 1024;
    // 2015-01-01, when the system image was built: the time of its files.
    static constexpr uint32_t kSystemBuildTime = 1420070400;
    // Everything written, together: pushes beyond it fail as on a full disk.
    static constexpr uint64_t kMaxStoredBytes = 1ull << 30;

    struct Entry {
        uint32_t mode = 0;
        uint64_t size = 0;
        uint32_t mtime = 0;
    };

    VirtualFiles();

    // An absolute, normalised path ("." and ".." resolved, /mnt/sdcard is
    // /sdcard), or nullopt for an empty or over-long path.
    static std::optional<std::string> normalize(std::string_view path);

    std::optional<Entry> stat(const std::string& path) const;
    // Shared, so a long pull does not hold the box's lock or copy the file.
    std::shared_ptr<const std::string> read(const std::string& path) const;
    // Names in a directory, sorted; nullopt when it is not a directory.
    std::optional<std::vector<std::string>> list(const std::string& path) const;

    // "" on success, else the reason ("Read-only file system", "Is a
    // directory", "No such file or directory").
    std::string write(const std::string& path, std::string data, uint32_t mtime);
    std::string remove(const std::string& path);
    void setSystemFile(const std::string& path, std::string data);

    uint64_t writtenBytes() const { return m_writtenBytes; }

    // Whether a normalised path lies in a writable place (/sdcard/,
    // /data/local/tmp/).
    static bool isWritable(const std::string& path);

  private:
    bool isDirectory(const std::string& path) const;

    struct File {
        std::shared_ptr<const std::string> data;
        uint32_t mtime = 0;
        bool system = false;
    };
    std::set<std::string> m_dirs;
    std::map<std::string, File> m_files;
    uint64_t m_writtenBytes = 0;
};

}  // namespace qvpc::boxsim
