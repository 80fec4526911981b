#include "boxsim/box/listing.h"

#include <cstdio>

#include "boxsim/box/box_time.h"

namespace qvpc::boxsim {

namespace {

// The package manager (system_server) owns what it writes below /data/app.
const char* ownerOf(const std::string& path) {
    return path.rfind("/data/app/", 0) == 0 ? "system" : "root";
}

}  // namespace

std::string LongListingLine(const std::string& path, const VirtualFiles::Entry& entry) {
    const bool directory = entry.mode == VirtualFiles::kDirMode;
    const std::string name = path.substr(path.rfind('/') + 1);
    const std::string date = FormatBoxTime(entry.mtime, "%Y-%m-%d %H:%M");
    const char* owner = ownerOf(path);
    char head[96];
    if (directory) {
        std::snprintf(head, sizeof head, "drwxr-xr-x %-8s %-8s          ", owner, owner);
    } else {
        std::snprintf(head, sizeof head, "-rw-r--r-- %-8s %-8s %8llu ", owner, owner,
                      static_cast<unsigned long long>(entry.size));
    }
    return head + date + " " + (name.empty() ? path : name) + "\n";
}

}  // namespace qvpc::boxsim
