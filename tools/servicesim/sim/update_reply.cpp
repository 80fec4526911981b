#include "sim/update_reply.h"

#include "sim/text_codec.h"

namespace qvpc::servicesim {

std::string UpdateReply(const UpdateInfo& info) {
    std::string text = info.version + "<rb>" + info.url + "<rb>" + (info.force ? "真" : "假") +
                       "<rb>" + info.notes + "<rb>" + info.date + "<br>";
    return UpdateText(info, text);
}

std::string UpdateText(const UpdateInfo& info, const std::string& utf8Text) {
    return info.utf8 ? "\xEF\xBB\xBF" + utf8Text : Utf8ToGbk(utf8Text);
}

std::string UpdateContentType(const UpdateInfo& info) {
    return info.utf8 ? "text/html; charset=utf-8" : "text/html; charset=gbk";
}

}  // namespace qvpc::servicesim
