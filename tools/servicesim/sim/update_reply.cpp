#include "sim/update_reply.h"

#include "sim/text_codec.h"

namespace qvpc::servicesim {

std::string UpdateReply(const UpdateInfo& info) {
    std::string text = info.version + "<rb>" + info.url + "<rb>" + (info.force ? "真" : "假") +
                       "<rb>" + info.notes + "<rb>" + info.date + "<br>";
    return Utf8ToGbk(text);
}

}  // namespace qvpc::servicesim
