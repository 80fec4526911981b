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
    // The reply as a server whose page was saved as UTF-8 (with the
    // byte-order mark editors put first) instead of GBK.
    bool utf8 = false;
};

// The reply: version <rb> url <rb> "真" or "假" <rb> notes <rb> date <br>.
std::string UpdateReply(const UpdateInfo& info);

// Text of the update server in its charset: GBK, or UTF-8 after its mark.
std::string UpdateText(const UpdateInfo& info, const std::string& utf8Text);

// The Content-Type of the update server's replies.
std::string UpdateContentType(const UpdateInfo& info);

}  // namespace qvpc::servicesim
