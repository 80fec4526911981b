#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace qvpc::servicesim {

// One "Range: bytes=…" request against a body of a known size.
struct ByteRange {
    enum class Kind { Whole, Part, Unsatisfiable };
    Kind kind = Kind::Whole;
    std::uint64_t first = 0;
    std::uint64_t length = 0;
};

// "bytes=a-b", "bytes=a-" and "bytes=-n". A header that is missing,
// malformed or asks for several ranges gives the whole body, as servers
// commonly do; a range wholly past the end is unsatisfiable.
ByteRange ParseByteRange(std::optional<std::string_view> header, std::uint64_t size);

}  // namespace qvpc::servicesim
