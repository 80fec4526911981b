#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qvpc::boxsim {

// Android's compiled XML (AndroidManifest.xml inside an APK), read into a flat
// list of elements and written from a small tree.

struct XmlAttribute {
    std::string ns;  // namespace URI, empty for none
    std::string name;
    uint32_t resourceId = 0;  // from the resource map, 0 when absent
    uint8_t type = 0;         // Res_value data type
    uint32_t data = 0;
    std::string text;  // the string value (type string) or the raw text, else empty
};

struct XmlElement {
    int depth = 0;  // 0 for the root
    std::string name;
    std::vector<XmlAttribute> attributes;

    // By resource id when it is not 0, else by plain name.
    const XmlAttribute* find(uint32_t resourceId, std::string_view name) const;
};

// Throws FormatError on damaged input. Element and attribute counts are capped.
std::vector<XmlElement> ReadBinaryXml(std::string_view bytes);

// What the writer takes: attributes of the android namespace carry their id.
struct XmlAttributeSpec {
    bool android = true;
    std::string name;
    uint32_t resourceId = 0;
    uint8_t type = 0;
    uint32_t data = 0;
    std::string text;  // for string values
};

struct XmlNodeSpec {
    std::string name;
    std::vector<XmlAttributeSpec> attributes;
    std::vector<XmlNodeSpec> children;
};

// Writes the tree with the android namespace declared on the root, attributes
// ordered as aapt orders them (by resource id, unnamed ids last).
std::string WriteBinaryXml(const XmlNodeSpec& root);

XmlAttributeSpec StringAttribute(std::string name, uint32_t resourceId, std::string value);
XmlAttributeSpec IntAttribute(std::string name, uint32_t resourceId, int64_t value);
XmlAttributeSpec ReferenceAttribute(std::string name, uint32_t resourceId, uint32_t target);

}  // namespace qvpc::boxsim
