#include "boxsim/box/package_order.h"

#include <algorithm>
#include <tuple>

#include "boxsim/box/box_config.h"

namespace qvpc::boxsim {

namespace {

constexpr int kKitKatSdk = 19;

// One code point from UTF-8 at i (advanced); 0xFFFD for a bad sequence.
uint32_t nextCodePoint(std::string_view s, size_t& i) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char lead = byte(i);
    const int length = lead < 0x80         ? 1
                       : (lead >> 5) == 6  ? 2
                       : (lead >> 4) == 14 ? 3
                       : (lead >> 3) == 30 ? 4
                                           : 0;
    if (length == 0 || i + length > s.size()) {
        ++i;
        return 0xFFFD;
    }
    uint32_t cp = length == 1 ? lead : lead & (0x7F >> length);
    for (int k = 1; k < length; ++k) {
        if ((byte(i + k) >> 6) != 2) {
            ++i;
            return 0xFFFD;
        }
        cp = cp << 6 | (byte(i + k) & 0x3F);
    }
    i += length;
    return cp;
}

// libcore's HashMap.secondaryHash, which spreads the bits before masking.
uint32_t secondaryHash(int32_t hashCode) {
    uint32_t h = static_cast<uint32_t>(hashCode);
    h ^= (h >> 20) ^ (h >> 12);
    return h ^ (h >> 7) ^ (h >> 4);
}

// The table a libcore HashMap grows to for n entries (load factor 3/4).
uint32_t tableSize(size_t n) {
    uint32_t capacity = 4;
    while (n > capacity / 4 * 3) {
        capacity *= 2;
    }
    return capacity;
}

}  // namespace

int32_t JavaStringHash(std::string_view utf8) {
    uint32_t h = 0;
    for (size_t i = 0; i < utf8.size();) {
        const uint32_t cp = nextCodePoint(utf8, i);
        if (cp >= 0x10000) {
            h = 31 * h + (0xD800 + ((cp - 0x10000) >> 10));
            h = 31 * h + (0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            h = 31 * h + cp;
        }
    }
    return static_cast<int32_t>(h);
}

std::vector<const InstalledPackage*> PackageListingOrder(
    std::vector<const InstalledPackage*> packages, int sdk) {
    const auto name = [](const InstalledPackage* p) -> const std::string& {
        return p->apk.packageName;
    };
    if (sdk < kKitKatSdk) {
        std::sort(packages.begin(), packages.end(),
                  [&](auto* a, auto* b) { return name(a) < name(b); });
    } else if (sdk < kLollipopSdk) {
        const uint32_t mask = tableSize(packages.size()) - 1;
        const auto bucket = [&](auto* p) { return secondaryHash(JavaStringHash(name(p))) & mask; };
        std::sort(packages.begin(), packages.end(), [&](auto* a, auto* b) {
            return std::make_tuple(bucket(a), std::cref(name(a))) <
                   std::make_tuple(bucket(b), std::cref(name(b)));
        });
    } else {
        std::sort(packages.begin(), packages.end(), [&](auto* a, auto* b) {
            return std::make_tuple(JavaStringHash(name(a)), std::cref(name(a))) <
                   std::make_tuple(JavaStringHash(name(b)), std::cref(name(b)));
        });
    }
    return packages;
}

}  // namespace qvpc::boxsim
