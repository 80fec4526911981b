#pragma once

#include <string>
#include <string_view>

#include "net/json_value.h"

namespace qvpc {

// A parsed reply read by member paths ("arr[3].PackageName", see JsonPath),
// with the typing rules the callers depend on:
// - getText gives a string's value, and empty text for anything else: a
//   number, a boolean, null, an object, an array, a missing member;
// - getNumber gives a number's value, -1 for true and 0 for false, and 0 for
//   anything else, a string of digits included;
// - count gives the members of an object or the elements of an array, and 0
//   for anything else.
// Nothing is reported: a failed parse leaves a null root that every read
// finds empty; a failed write is ignored. One thread at a time.
class JsonDocument {
  public:
    // The root is an empty object.
    JsonDocument();

    // The text read as a JavaScript value (see ReadJavaScriptValue): true when
    // it is one and neither null nor undefined. On failure the root is null.
    bool parse(std::string_view text);

    std::string getText(std::string_view path) const;
    double getNumber(std::string_view path) const;
    int count(std::string_view path = {}) const;

    // The member at path becomes the string value, exactly; it is created
    // when missing, under a parent that must exist.
    void setText(std::string_view path, std::string value);

    // The value at path, null when there is none.
    const JsonValue* find(std::string_view path) const;

  private:
    JsonValue m_root;
    // The parent of the last path read and where it led: readers go field by
    // field through one entry ("arr[7].appid", "arr[7].apptitle", ...), so
    // the entry is looked up once. Any change of the document forgets it.
    mutable std::string m_lastParent;
    mutable const JsonValue* m_lastParentValue = nullptr;
};

}  // namespace qvpc
