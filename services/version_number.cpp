#include "services/version_number.h"

#include <algorithm>
#include <charconv>

namespace qvpc {
namespace {

constexpr std::size_t kMostParts = 8;
constexpr std::size_t kMostDigits = 9;

}  // namespace

std::optional<VersionNumber> VersionNumber::Parse(std::string_view text) {
    VersionNumber version;
    for (std::size_t from = 0;;) {
        const std::size_t dot = text.find('.', from);
        const std::string_view part = text.substr(from, dot - from);
        std::uint32_t value = 0;
        const auto [end, error] = std::from_chars(part.data(), part.data() + part.size(), value);
        if (part.empty() || part.size() > kMostDigits || error != std::errc() ||
            end != part.data() + part.size() || version.m_parts.size() == kMostParts) {
            return std::nullopt;
        }
        version.m_parts.push_back(value);
        if (dot == std::string_view::npos) {
            return version;
        }
        from = dot + 1;
    }
}

std::strong_ordering VersionNumber::operator<=>(const VersionNumber& other) const {
    const std::size_t count = std::max(m_parts.size(), other.m_parts.size());
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t mine = i < m_parts.size() ? m_parts[i] : 0;
        const std::uint32_t theirs = i < other.m_parts.size() ? other.m_parts[i] : 0;
        if (mine != theirs) {
            return mine <=> theirs;
        }
    }
    return std::strong_ordering::equal;
}

}  // namespace qvpc
