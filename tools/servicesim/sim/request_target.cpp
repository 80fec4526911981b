#include "sim/request_target.h"

#include "simnet/url_decode.h"

namespace qvpc::servicesim {

RequestTarget RequestTarget::Parse(std::string_view raw) {
    RequestTarget target;
    target.raw = std::string(raw);
    size_t question = raw.find('?');
    std::string_view path = raw.substr(0, question);
    // A fragment never reaches a server, but a hostile client may send one.
    if (size_t hash = path.find('#'); hash != std::string_view::npos) {
        path = path.substr(0, hash);
    }
    target.path = simnet::PercentDecode(path, false);
    if (question != std::string_view::npos) {
        std::string_view query = raw.substr(question + 1);
        if (size_t hash = query.find('#'); hash != std::string_view::npos) {
            query = query.substr(0, hash);
        }
        target.rawQuery = std::string(query);
        target.query = simnet::ParseFormText(query);
    }
    return target;
}

std::optional<std::string> RequestTarget::param(std::string_view name) const {
    for (const auto& [key, value] : query) {
        if (key == name) {
            return value;
        }
    }
    return std::nullopt;
}

}  // namespace qvpc::servicesim
