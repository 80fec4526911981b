#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "boxsim/apk/string_pool.h"

namespace qvpc::boxsim {

// resources.arsc, read lazily: the constructor only indexes the type chunks;
// a lookup reads the few entries it needs.
class ResourceTable {
  public:
    // Throws FormatError on damaged input. The bytes must outlive the table.
    explicit ResourceTable(std::string_view bytes);

    // A string resource of the default locale (else the first one found),
    // following references.
    std::optional<std::string> resolveString(uint32_t id) const;
    // The file paths of a drawable or mipmap resource, densest first.
    std::vector<std::string> resolveFiles(uint32_t id) const;

  private:
    struct TypeChunk {
        uint8_t packageId;
        uint8_t typeId;
        size_t at;
        size_t size;
    };
    struct Value {
        uint16_t density;
        bool defaultLocale;
        uint8_t type;
        uint32_t data;
    };
    std::vector<Value> values(uint32_t id) const;
    void indexPackage(size_t at, size_t size);

    std::string_view m_bytes;
    StringPoolReader m_strings;
    std::vector<TypeChunk> m_types;
};

// One resource of the table the writer builds: its value is a string of the
// global pool (a label, or a file path for a drawable).
struct ResourceEntrySpec {
    std::string key;
    std::string value;
};

struct ResourceTypeSpec {
    std::string name;  // "drawable", "string", ...
    std::vector<ResourceEntrySpec> entries;
};

// Package id 0x7f; type n (1-based) entry e gets the id 0x7f00000 | n << 16 | e.
std::string WriteResourceTable(std::string_view packageName,
                               const std::vector<ResourceTypeSpec>& types);

}  // namespace qvpc::boxsim
