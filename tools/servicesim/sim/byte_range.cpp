#include "sim/byte_range.h"

#include <charconv>

namespace qvpc::servicesim {
namespace {

std::optional<std::uint64_t> Number(std::string_view text) {
    std::uint64_t value = 0;
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || ptr != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
}

}  // namespace

ByteRange ParseByteRange(std::optional<std::string_view> header, std::uint64_t size) {
    ByteRange whole{ByteRange::Kind::Whole, 0, size};
    if (!header) {
        return whole;
    }
    std::string_view spec = Trim(*header);
    constexpr std::string_view kUnit = "bytes=";
    if (!spec.starts_with(kUnit) || spec.find(',') != std::string_view::npos) {
        return whole;
    }
    spec.remove_prefix(kUnit.size());
    size_t dash = spec.find('-');
    if (dash == std::string_view::npos) {
        return whole;
    }
    std::string_view firstText = Trim(spec.substr(0, dash));
    std::string_view lastText = Trim(spec.substr(dash + 1));
    if (firstText.empty()) {
        std::optional<std::uint64_t> suffix = Number(lastText);
        if (!suffix) {
            return whole;
        }
        if (*suffix == 0 || size == 0) {
            return {ByteRange::Kind::Unsatisfiable, 0, 0};
        }
        std::uint64_t length = std::min(*suffix, size);
        return {ByteRange::Kind::Part, size - length, length};
    }
    std::optional<std::uint64_t> first = Number(firstText);
    if (!first) {
        return whole;
    }
    std::uint64_t last = size == 0 ? 0 : size - 1;
    if (!lastText.empty()) {
        std::optional<std::uint64_t> asked = Number(lastText);
        if (!asked || *asked < *first) {
            return whole;
        }
        last = std::min(*asked, last);
    }
    if (*first >= size) {
        return {ByteRange::Kind::Unsatisfiable, 0, 0};
    }
    return {ByteRange::Kind::Part, *first, last - *first + 1};
}

}  // namespace qvpc::servicesim
