#pragma once

#include <cstddef>
#include <string_view>

namespace qvpc {

class JsonValue;

// The member paths the program reads documents with, as JavaScript reads
// them after the document's root: "arr", "arr[3].PackageName",
// "arr['allnum']", "com_example_tv.versioncode"; a path that begins with
// "[" steps into the root directly, an empty path is the root itself.
// Nothing is allocated: the page loader reads every field by path.
class JsonPath {
  public:
    struct Step {
        bool isIndex = false;
        std::size_t index = 0;  // isIndex
        std::string_view name;  // otherwise
    };

    explicit JsonPath(std::string_view path) : m_path(path) {}

    // The next step into step; false at the end of the path or at a syntax
    // error, which failed() then tells.
    bool next(Step& step);
    bool failed() const { return m_failed; }
    // Where the next step begins in the path.
    std::size_t position() const { return m_pos; }

  private:
    bool fail();
    bool readName(Step& step);
    bool readBracket(Step& step);

    std::string_view m_path;
    std::size_t m_pos = 0;
    bool m_failed = false;
};

// The value at path under root; null when the path is missing anywhere on
// its way, or is not a path.
const JsonValue* FindJsonPath(const JsonValue& root, std::string_view path);

// One step from a value: an object's member (an index names the member
// written as that number), an array's element (a name that is an index
// names it too); null otherwise.
const JsonValue* JsonStep(const JsonValue& value, const JsonPath::Step& step);

}  // namespace qvpc
