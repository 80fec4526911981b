#include "boxsim/box/virtual_files.h"

namespace qvpc::boxsim {

namespace {

constexpr const char* kDirectories[] = {
    "/",
    "/sdcard",
    "/data",
    "/data/local",
    "/data/local/tmp",
    "/data/app",
    "/data/data",
    "/system",
    "/system/app",
    "/system/bin",
    "/system/xbin",
    "/storage",
    "/mnt",
    "/proc",
    "/sys",
    "/sys/class",
    "/sys/class/net",
    "/sys/class/net/eth0",
    "/cache",
    "/dev",
    "/system/framework",
    "/system/priv-app",
};

constexpr const char* kWritableRoots[] = {"/sdcard/", "/data/local/tmp/"};

std::string parentOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

VirtualFiles::VirtualFiles() : m_dirs(std::begin(kDirectories), std::end(kDirectories)) {
    m_dirs.insert("/sdcard/Download");
    m_dirs.insert("/sdcard/Pictures");
}

std::optional<std::string> VirtualFiles::normalize(std::string_view path) {
    if (path.empty() || path.size() > kMaxPath || path.find('\0') != std::string_view::npos) {
        return std::nullopt;
    }
    std::vector<std::string_view> parts;
    size_t at = 0;
    while (at <= path.size()) {
        size_t end = path.find('/', at);
        if (end == std::string_view::npos) {
            end = path.size();
        }
        std::string_view part = path.substr(at, end - at);
        if (part == "..") {
            if (!parts.empty()) {
                parts.pop_back();
            }
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        at = end + 1;
    }
    std::string out;
    for (auto p : parts) {
        out += '/';
        out += p;
    }
    if (out.empty()) {
        out = "/";
    }
    // Old boxes mount the shared storage under several names.
    for (std::string_view alias : {"/mnt/sdcard", "/storage/sdcard0"}) {
        if (out == alias || out.rfind(std::string(alias) + "/", 0) == 0) {
            out = "/sdcard" + out.substr(alias.size());
            break;
        }
    }
    return out;
}

bool VirtualFiles::isDirectory(const std::string& path) const {
    if (m_dirs.count(path)) {
        return true;
    }
    // Directories made implicitly by files written below them.
    const std::string prefix = path == "/" ? "/" : path + "/";
    auto it = m_files.lower_bound(prefix);
    return it != m_files.end() && it->first.rfind(prefix, 0) == 0;
}

bool VirtualFiles::isWritable(const std::string& path) {
    for (const char* root : kWritableRoots) {
        if (path.rfind(root, 0) == 0) {
            return true;
        }
    }
    return false;
}

std::optional<VirtualFiles::Entry> VirtualFiles::stat(const std::string& path) const {
    if (auto it = m_files.find(path); it != m_files.end()) {
        return Entry{kFileMode, it->second.data->size(), it->second.mtime};
    }
    if (isDirectory(path)) {
        return Entry{kDirMode, 4096, kSystemBuildTime};
    }
    return std::nullopt;
}

std::shared_ptr<const std::string> VirtualFiles::read(const std::string& path) const {
    auto it = m_files.find(path);
    return it == m_files.end() ? nullptr : it->second.data;
}

std::optional<std::vector<std::string>> VirtualFiles::list(const std::string& path) const {
    if (!isDirectory(path)) {
        return std::nullopt;
    }
    const std::string prefix = path == "/" ? "/" : path + "/";
    std::set<std::string> names;
    auto collect = [&](const std::string& full) {
        if (full.size() > prefix.size() && full.rfind(prefix, 0) == 0) {
            const std::string rest = full.substr(prefix.size());
            names.insert(rest.substr(0, rest.find('/')));
        }
    };
    for (const auto& d : m_dirs) {
        collect(d);
    }
    for (const auto& [name, file] : m_files) {
        collect(name);
    }
    return std::vector<std::string>(names.begin(), names.end());
}

std::string VirtualFiles::write(const std::string& path, std::string data, uint32_t mtime) {
    if (isDirectory(path)) {
        return "Is a directory";
    }
    if (!isWritable(path)) {
        return m_files.count(path) || isDirectory(parentOf(path)) ? "Read-only file system"
                                                                  : "No such file or directory";
    }
    auto old = m_files.find(path);
    const uint64_t replaced =
        old != m_files.end() && old->second.data ? old->second.data->size() : 0;
    if (m_writtenBytes - replaced + data.size() > kMaxStoredBytes) {
        return "No space left on device";
    }
    File& f = m_files[path];
    m_writtenBytes -= f.data ? f.data->size() : 0;
    m_writtenBytes += data.size();
    f.data = std::make_shared<const std::string>(std::move(data));
    f.mtime = mtime;
    f.system = false;
    return {};
}

std::string VirtualFiles::remove(const std::string& path) {
    auto it = m_files.find(path);
    if (it == m_files.end()) {
        return isDirectory(path) ? "Is a directory" : "No such file or directory";
    }
    if (it->second.system || !isWritable(path)) {
        return "Read-only file system";
    }
    m_writtenBytes -= it->second.data->size();
    m_files.erase(it);
    return {};
}

void VirtualFiles::setSystemFile(const std::string& path, std::string data) {
    File& f = m_files[path];
    f.data = std::make_shared<const std::string>(std::move(data));
    f.mtime = kSystemBuildTime;
    f.system = true;
}

}  // namespace qvpc::boxsim
