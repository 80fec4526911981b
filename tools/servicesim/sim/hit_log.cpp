#include "sim/hit_log.h"

#include <stdexcept>

namespace qvpc::servicesim {

HitLog::HitLog(const std::string& recordPath) {
    if (!recordPath.empty()) {
        m_record.open(recordPath, std::ios::app | std::ios::binary);
        if (!m_record) {
            throw std::runtime_error("cannot open the record file " + recordPath);
        }
    }
}

std::uint64_t HitLog::add(nlohmann::json hit) {
    std::lock_guard lock(m_mutex);
    std::uint64_t seq = m_next++;
    hit["seq"] = seq;
    if (m_record.is_open()) {
        m_record << hit.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
        m_record.flush();
    }
    m_hits.push_back(std::move(hit));
    if (m_hits.size() > kMaxHits) {
        m_hits.pop_front();
    }
    return seq;
}

nlohmann::json HitLog::list(const std::optional<std::string>& endpoint, std::uint64_t since) const {
    std::lock_guard lock(m_mutex);
    nlohmann::json out = nlohmann::json::array();
    for (const nlohmann::json& hit : m_hits) {
        if (hit["seq"].get<std::uint64_t>() <= since) {
            continue;
        }
        if (endpoint && hit.value("endpoint", "") != *endpoint) {
            continue;
        }
        out.push_back(hit);
    }
    return out;
}

void HitLog::clear() {
    std::lock_guard lock(m_mutex);
    m_hits.clear();
}

}  // namespace qvpc::servicesim
