#pragma once

#include <cstdint>
#include <deque>
#include <fstream>
#include <mutex>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

namespace qvpc::servicesim {

// Every request the services received, for tests and people to read: kept
// in memory (the newest kMaxHits) and, when a record file is given, appended
// to it as one JSON object per line.
class HitLog {
  public:
    static constexpr std::size_t kMaxHits = 100000;

    // recordPath empty: memory only. Throws std::runtime_error when the file
    // cannot be opened.
    explicit HitLog(const std::string& recordPath);

    // Stores the hit with its sequence number (from 1) and returns that number.
    std::uint64_t add(nlohmann::json hit);

    // The hits with a sequence number above since, optionally of one
    // endpoint only, oldest first.
    nlohmann::json list(const std::optional<std::string>& endpoint, std::uint64_t since) const;
    void clear();

  private:
    mutable std::mutex m_mutex;
    std::deque<nlohmann::json> m_hits;
    std::uint64_t m_next = 1;
    std::ofstream m_record;
};

}  // namespace qvpc::servicesim
