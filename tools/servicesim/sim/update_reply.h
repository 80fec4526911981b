#pragma once

#include <string>

namespace qvpc::servicesim {

// What "/getupdate.php" offers.
struct UpdateInfo {
    std::string version;  // dotted, e.g. 1.0.0.2
    std::string url;      // where the updater fetches the new version; may be empty
    bool force = false;
    std::string notes;  // free text, CR LF line breaks
    std::string date;   // the fifth item, which the program does not use
};

// The reply in GBK: version <rb> url <rb> "真" or "假" <rb> notes <rb> date <br>.
std::string UpdateReply(const UpdateInfo& info);

}  // namespace qvpc::servicesim
