#include "boxsim/apk/binary_xml.h"

#include <algorithm>
#include <functional>

#include "boxsim/apk/byte_io.h"
#include "boxsim/apk/res_format.h"
#include "boxsim/apk/string_pool.h"

namespace qvpc::boxsim {

namespace {

constexpr size_t kMaxElements = 200000;

struct Chunk {
    size_t at;
    uint16_t type;
    size_t headerSize;
    size_t size;
};

Chunk readChunk(const ByteView& v, size_t at, size_t end) {
    Chunk c{at, v.u16(at), v.u16(at + 2), v.u32(at + 4)};
    if (c.headerSize < 8 || c.size < c.headerSize || c.size > end - at) {
        throw FormatError("bad chunk header");
    }
    return c;
}

std::string poolString(const StringPoolReader& pool, uint32_t index) {
    return index == res::kNoIndex ? std::string() : pool.at(index);
}

}  // namespace

const XmlAttribute* XmlElement::find(uint32_t resourceId, std::string_view attrName) const {
    for (const auto& a : attributes) {
        if (resourceId != 0 && a.resourceId == resourceId) {
            return &a;
        }
    }
    for (const auto& a : attributes) {
        if (a.name == attrName && (resourceId == 0 || a.resourceId == 0)) {
            return &a;
        }
    }
    return nullptr;
}

std::vector<XmlElement> ReadBinaryXml(std::string_view bytes) {
    ByteView v(bytes);
    const Chunk doc = readChunk(v, 0, bytes.size());
    if (doc.type != res::kXmlType) {
        throw FormatError("not binary XML");
    }
    StringPoolReader pool;
    bool havePool = false;
    std::vector<uint32_t> resourceMap;
    std::vector<XmlElement> elements;
    int depth = 0;

    for (size_t at = doc.headerSize; at + 8 <= doc.size;) {
        const Chunk c = readChunk(v, at, doc.size);
        switch (c.type) {
            case res::kStringPoolType:
                pool = StringPoolReader(v.slice(c.at, c.size));
                havePool = true;
                break;
            case res::kXmlResourceMapType: {
                const size_t n = (c.size - c.headerSize) / 4;
                resourceMap.clear();
                for (size_t i = 0; i < n; ++i) {
                    resourceMap.push_back(v.u32(c.at + c.headerSize + 4 * i));
                }
                break;
            }
            case res::kXmlStartElementType: {
                if (!havePool || elements.size() >= kMaxElements) {
                    throw FormatError("element without string pool or too many elements");
                }
                const size_t ext = c.at + c.headerSize;
                XmlElement e;
                e.depth = depth++;
                e.name = poolString(pool, v.u32(ext + 4));
                const size_t attrStart = v.u16(ext + 8);
                const size_t attrSize = v.u16(ext + 10);
                const size_t attrCount = v.u16(ext + 12);
                if (attrCount > 0 && attrSize < 20) {
                    throw FormatError("bad attribute size");
                }
                v.require(ext + attrStart, attrCount * attrSize);
                if (ext + attrStart + attrCount * attrSize > c.at + c.size) {
                    throw FormatError("attributes outside their element");
                }
                for (size_t i = 0; i < attrCount; ++i) {
                    const size_t a = ext + attrStart + i * attrSize;
                    XmlAttribute attr;
                    attr.ns = poolString(pool, v.u32(a));
                    const uint32_t nameIndex = v.u32(a + 4);
                    attr.name = poolString(pool, nameIndex);
                    if (nameIndex < resourceMap.size()) {
                        attr.resourceId = resourceMap[nameIndex];
                    }
                    const uint32_t raw = v.u32(a + 8);
                    attr.type = v.u8(a + 15);
                    attr.data = v.u32(a + 16);
                    if (attr.type == res::kTypeString) {
                        attr.text = pool.at(attr.data);
                    } else if (raw != res::kNoIndex) {
                        attr.text = pool.at(raw);
                    }
                    e.attributes.push_back(std::move(attr));
                }
                elements.push_back(std::move(e));
                break;
            }
            case res::kXmlEndElementType:
                depth = std::max(0, depth - 1);
                break;
            default:
                break;  // namespaces, CDATA and unknown chunks carry nothing we read
        }
        at += c.size;
    }
    return elements;
}

XmlAttributeSpec StringAttribute(std::string name, uint32_t resourceId, std::string value) {
    return {true, std::move(name), resourceId, res::kTypeString, 0, std::move(value)};
}

XmlAttributeSpec IntAttribute(std::string name, uint32_t resourceId, int64_t value) {
    return {true, std::move(name), resourceId, res::kTypeIntDec, static_cast<uint32_t>(value), {}};
}

XmlAttributeSpec ReferenceAttribute(std::string name, uint32_t resourceId, uint32_t target) {
    return {true, std::move(name), resourceId, res::kTypeReference, target, {}};
}

std::string WriteBinaryXml(const XmlNodeSpec& root) {
    // Attribute names that carry an id come first in the pool, in the order
    // of the resource map that gives their ids.
    std::vector<uint32_t> ids;
    std::vector<std::string> idNames;
    std::function<void(const XmlNodeSpec&)> collectIds = [&](const XmlNodeSpec& n) {
        for (const auto& a : n.attributes) {
            if (a.resourceId != 0 &&
                std::find(idNames.begin(), idNames.end(), a.name) == idNames.end()) {
                idNames.push_back(a.name);
                ids.push_back(a.resourceId);
            }
        }
        for (const auto& c : n.children) {
            collectIds(c);
        }
    };
    collectIds(root);

    StringPoolWriter pool(false);
    for (const auto& name : idNames) {
        pool.add(name);
    }
    const uint32_t prefix = pool.add("android");
    const uint32_t uri = pool.add(res::kAndroidNamespace);

    ByteWriter body;
    std::function<void(const XmlNodeSpec&)> writeNode = [&](const XmlNodeSpec& n) {
        std::vector<XmlAttributeSpec> attrs = n.attributes;
        std::stable_sort(attrs.begin(), attrs.end(), [](const auto& a, const auto& b) {
            if ((a.resourceId == 0) != (b.resourceId == 0)) {
                return a.resourceId != 0;
            }
            return a.resourceId < b.resourceId;
        });
        const uint32_t nameIndex = pool.add(n.name);
        body.u16(res::kXmlStartElementType);
        body.u16(16);
        body.u32(static_cast<uint32_t>(16 + 20 + 20 * attrs.size()));
        body.u32(1);  // line number
        body.u32(res::kNoIndex);
        body.u32(res::kNoIndex);
        body.u32(nameIndex);
        body.u16(20);
        body.u16(20);
        body.u16(static_cast<uint16_t>(attrs.size()));
        body.u16(0);
        body.u16(0);
        body.u16(0);
        for (const auto& a : attrs) {
            body.u32(a.android ? uri : res::kNoIndex);
            body.u32(pool.add(a.name));
            const bool isString = a.type == res::kTypeString;
            const uint32_t text = isString ? pool.add(a.text) : res::kNoIndex;
            body.u32(text);
            body.u16(8);
            body.u8(0);
            body.u8(a.type);
            body.u32(isString ? text : a.data);
        }
        for (const auto& c : n.children) {
            writeNode(c);
        }
        body.u16(res::kXmlEndElementType);
        body.u16(16);
        body.u32(24);
        body.u32(1);
        body.u32(res::kNoIndex);
        body.u32(res::kNoIndex);
        body.u32(nameIndex);
    };

    auto writeNamespace = [&](uint16_t type) {
        body.u16(type);
        body.u16(16);
        body.u32(24);
        body.u32(1);
        body.u32(res::kNoIndex);
        body.u32(prefix);
        body.u32(uri);
    };
    writeNamespace(res::kXmlStartNamespaceType);
    writeNode(root);
    writeNamespace(res::kXmlEndNamespaceType);

    ByteWriter map;
    map.u16(res::kXmlResourceMapType);
    map.u16(8);
    map.u32(static_cast<uint32_t>(8 + 4 * ids.size()));
    for (uint32_t id : ids) {
        map.u32(id);
    }

    const std::string poolChunk = pool.build();
    ByteWriter out;
    out.u16(res::kXmlType);
    out.u16(8);
    out.u32(static_cast<uint32_t>(8 + poolChunk.size() + map.size() + body.size()));
    out.bytes(poolChunk);
    out.bytes(map.str());
    out.bytes(body.str());
    return std::move(out.str());
}

}  // namespace qvpc::boxsim
