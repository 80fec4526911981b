#include "sim/request_target.h"

#include "sim/text_codec.h"

namespace qvpc::servicesim {

std::vector<std::pair<std::string, std::string>> ParseFormText(std::string_view text) {
    std::vector<std::pair<std::string, std::string>> pairs;
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t amp = text.find('&', pos);
        if (amp == std::string_view::npos) {
            amp = text.size();
        }
        std::string_view part = text.substr(pos, amp - pos);
        if (!part.empty()) {
            size_t eq = part.find('=');
            std::string_view name = part.substr(0, eq);
            std::string_view value =
                eq == std::string_view::npos ? std::string_view() : part.substr(eq + 1);
            pairs.emplace_back(PercentDecode(name, true), PercentDecode(value, true));
        }
        pos = amp + 1;
    }
    return pairs;
}

RequestTarget RequestTarget::Parse(std::string_view raw) {
    RequestTarget target;
    target.raw = std::string(raw);
    size_t question = raw.find('?');
    std::string_view path = raw.substr(0, question);
    // A fragment never reaches a server, but a hostile client may send one.
    if (size_t hash = path.find('#'); hash != std::string_view::npos) {
        path = path.substr(0, hash);
    }
    target.path = PercentDecode(path, false);
    if (question != std::string_view::npos) {
        std::string_view query = raw.substr(question + 1);
        if (size_t hash = query.find('#'); hash != std::string_view::npos) {
            query = query.substr(0, hash);
        }
        target.rawQuery = std::string(query);
        target.query = ParseFormText(query);
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
