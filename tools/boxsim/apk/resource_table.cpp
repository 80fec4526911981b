#include "boxsim/apk/resource_table.h"

#include <algorithm>

#include "boxsim/apk/byte_io.h"
#include "boxsim/apk/res_format.h"

namespace qvpc::boxsim {

namespace {

constexpr size_t kPackageHeaderSize = 288;
constexpr size_t kConfigSize = 64;
constexpr uint16_t kEntryFlagComplex = 0x0001;
constexpr uint8_t kTypeFlagSparse = 0x01;
constexpr int kMaxReferenceDepth = 8;

// Density values of ResTable_config with a special meaning.
constexpr uint16_t kDensityDefault = 0;
constexpr uint16_t kDensityAny = 0xfffe;
constexpr uint16_t kDensityNone = 0xffff;

int densityRank(uint16_t density) {
    if (density == kDensityAny || density == kDensityNone) {
        return 1;
    }
    if (density == kDensityDefault) {
        return 160;
    }
    return density;
}

}  // namespace

ResourceTable::ResourceTable(std::string_view bytes) : m_bytes(bytes) {
    ByteView v(bytes);
    if (v.u16(0) != res::kTableType) {
        throw FormatError("not a resource table");
    }
    const size_t headerSize = v.u16(2);
    const size_t total = std::min<size_t>(v.u32(4), bytes.size());
    bool havePool = false;
    for (size_t at = headerSize; at + 8 <= total;) {
        const size_t chunkHeader = v.u16(at + 2);
        const size_t size = v.u32(at + 4);
        if (chunkHeader < 8 || size < chunkHeader || size > total - at) {
            throw FormatError("bad table chunk");
        }
        const uint16_t type = v.u16(at);
        if (type == res::kStringPoolType && !havePool) {
            m_strings = StringPoolReader(v.slice(at, size));
            havePool = true;
        } else if (type == res::kTablePackageType) {
            indexPackage(at, size);
        }
        at += size;
    }
}

void ResourceTable::indexPackage(size_t at, size_t size) {
    ByteView v(m_bytes);
    const size_t headerSize = v.u16(at + 2);
    const uint32_t packageId = v.u32(at + 8);
    if (packageId > 0xff) {
        throw FormatError("bad package id");
    }
    for (size_t p = at + headerSize; p + 8 <= at + size;) {
        const size_t chunkHeader = v.u16(p + 2);
        const size_t chunkSize = v.u32(p + 4);
        if (chunkHeader < 8 || chunkSize < chunkHeader || chunkSize > at + size - p) {
            throw FormatError("bad package chunk");
        }
        if (v.u16(p) == res::kTableTypeType && chunkHeader >= 20) {
            m_types.push_back({static_cast<uint8_t>(packageId), v.u8(p + 8), p, chunkSize});
        }
        p += chunkSize;
    }
}

std::vector<ResourceTable::Value> ResourceTable::values(uint32_t id) const {
    const auto packageId = static_cast<uint8_t>(id >> 24);
    const auto typeId = static_cast<uint8_t>((id >> 16) & 0xff);
    const uint32_t entryIndex = id & 0xffff;
    ByteView v(m_bytes);
    std::vector<Value> out;
    for (const auto& t : m_types) {
        if (t.packageId != packageId || t.typeId != typeId) {
            continue;
        }
        const size_t headerSize = v.u16(t.at + 2);
        const bool sparse = (v.u8(t.at + 9) & kTypeFlagSparse) != 0;
        const uint32_t entryCount = v.u32(t.at + 12);
        const size_t entriesStart = v.u32(t.at + 16);
        const size_t config = t.at + 20;
        const uint16_t language = headerSize >= 20 + 10 ? v.u16(config + 8) : 0;
        const uint16_t density = headerSize >= 20 + 16 ? v.u16(config + 14) : 0;
        const size_t offsets = t.at + headerSize;
        if (entryCount > t.size / 2) {
            throw FormatError("bad entry count");
        }
        uint32_t offset = res::kNoIndex;
        if (sparse) {
            for (uint32_t i = 0; i < entryCount; ++i) {
                if (v.u16(offsets + 4 * i) == entryIndex) {
                    offset = 4u * v.u16(offsets + 4 * i + 2);
                    break;
                }
            }
        } else if (entryIndex < entryCount) {
            offset = v.u32(offsets + 4 * size_t{entryIndex});
        }
        if (offset == res::kNoIndex) {
            continue;
        }
        const size_t entry = t.at + entriesStart + offset;
        if (entry + 16 > t.at + t.size) {
            throw FormatError("entry outside its type chunk");
        }
        const size_t entrySize = v.u16(entry);
        if ((v.u16(entry + 2) & kEntryFlagComplex) != 0 || entrySize < 8) {
            continue;  // a bag (style, array): no single value
        }
        const size_t value = entry + entrySize;
        if (value + 8 > t.at + t.size) {
            throw FormatError("value outside its type chunk");
        }
        out.push_back({density, language == 0, v.u8(value + 3), v.u32(value + 4)});
    }
    return out;
}

std::optional<std::string> ResourceTable::resolveString(uint32_t id) const {
    for (int depth = 0; depth < kMaxReferenceDepth; ++depth) {
        auto found = values(id);
        if (found.empty()) {
            return std::nullopt;
        }
        auto pick = std::find_if(found.begin(), found.end(),
                                 [](const Value& x) { return x.defaultLocale; });
        const Value& value = pick != found.end() ? *pick : found.front();
        if (value.type == res::kTypeString) {
            return m_strings.at(value.data);
        }
        if (value.type != res::kTypeReference) {
            return std::nullopt;
        }
        id = value.data;
    }
    return std::nullopt;
}

std::vector<std::string> ResourceTable::resolveFiles(uint32_t id) const {
    for (int depth = 0; depth < kMaxReferenceDepth; ++depth) {
        auto found = values(id);
        std::stable_sort(found.begin(), found.end(), [](const Value& a, const Value& b) {
            return densityRank(a.density) > densityRank(b.density);
        });
        std::vector<std::string> paths;
        for (const auto& value : found) {
            if (value.type == res::kTypeString) {
                paths.push_back(m_strings.at(value.data));
            }
        }
        if (!paths.empty() || found.empty() || found.front().type != res::kTypeReference) {
            return paths;
        }
        id = found.front().data;
    }
    return {};
}

std::string WriteResourceTable(std::string_view packageName,
                               const std::vector<ResourceTypeSpec>& types) {
    StringPoolWriter values(true);
    StringPoolWriter typeNames(false);
    StringPoolWriter keys(false);
    for (const auto& t : types) {
        typeNames.add(t.name);
        for (const auto& e : t.entries) {
            keys.add(e.key);
            values.add(e.value);
        }
    }
    const std::string typePool = typeNames.build();
    const std::string keyPool = keys.build();

    ByteWriter body;
    for (size_t ti = 0; ti < types.size(); ++ti) {
        const auto& t = types[ti];
        const auto count = static_cast<uint32_t>(t.entries.size());
        body.u16(res::kTableTypeSpecType);
        body.u16(16);
        body.u32(16 + 4 * count);
        body.u8(static_cast<uint8_t>(ti + 1));
        body.u8(0);
        body.u16(0);
        body.u32(count);
        for (uint32_t i = 0; i < count; ++i) {
            body.u32(0);
        }

        const uint32_t header = 20 + kConfigSize;
        const uint32_t entriesStart = header + 4 * count;
        body.u16(res::kTableTypeType);
        body.u16(static_cast<uint16_t>(header));
        body.u32(entriesStart + 16 * count);
        body.u8(static_cast<uint8_t>(ti + 1));
        body.u8(0);
        body.u16(0);
        body.u32(count);
        body.u32(entriesStart);
        body.u32(kConfigSize);  // the default configuration: all zero
        for (size_t i = 4; i < kConfigSize; ++i) {
            body.u8(0);
        }
        for (uint32_t i = 0; i < count; ++i) {
            body.u32(16 * i);
        }
        for (const auto& e : t.entries) {
            body.u16(8);
            body.u16(0);
            body.u32(keys.add(e.key));
            body.u16(8);
            body.u8(0);
            body.u8(res::kTypeString);
            body.u32(values.add(e.value));
        }
    }

    ByteWriter package;
    package.u16(res::kTablePackageType);
    package.u16(kPackageHeaderSize);
    package.u32(
        static_cast<uint32_t>(kPackageHeaderSize + typePool.size() + keyPool.size() + body.size()));
    package.u32(0x7f);
    std::u16string name = Utf8ToUtf16(packageName);
    name.resize(128, u'\0');
    name.back() = u'\0';
    for (char16_t c : name) {
        package.u16(c);
    }
    package.u32(kPackageHeaderSize);
    package.u32(static_cast<uint32_t>(types.size()));
    package.u32(static_cast<uint32_t>(kPackageHeaderSize + typePool.size()));
    package.u32(0);  // lastPublicKey
    package.u32(0);  // typeIdOffset
    package.bytes(typePool);
    package.bytes(keyPool);
    package.bytes(body.str());

    const std::string valuePool = values.build();
    ByteWriter out;
    out.u16(res::kTableType);
    out.u16(12);
    out.u32(static_cast<uint32_t>(12 + valuePool.size() + package.size()));
    out.u32(1);
    out.bytes(valuePool);
    out.bytes(package.str());
    return std::move(out.str());
}

}  // namespace qvpc::boxsim
