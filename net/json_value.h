#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace qvpc {

// One value of a parsed document, as JavaScript sees it: null (undefined
// too), a boolean, a number, a string, an array or an object whose members
// keep the order they were written in.
class JsonValue {
  public:
    enum class Kind : std::uint8_t { Null, Bool, Number, String, Array, Object };
    struct Member;

    JsonValue() = default;
    static JsonValue Boolean(bool value);
    static JsonValue Number(double value);
    static JsonValue String(std::string value);
    static JsonValue Array();
    static JsonValue Object();

    JsonValue(JsonValue&&) noexcept;
    JsonValue& operator=(JsonValue&&) noexcept;
    ~JsonValue();

    Kind kind() const { return m_kind; }
    bool isNull() const { return m_kind == Kind::Null; }
    bool boolean() const { return m_bool; }
    double number() const { return m_number; }
    const std::string& text() const { return m_text; }

    // Arrays.
    std::size_t size() const;
    const JsonValue* element(std::size_t index) const;
    JsonValue* element(std::size_t index);
    void append(JsonValue value);

    // Objects: a member by name, null when there is none. Setting a member
    // that exists replaces its value and keeps its place, as in JavaScript.
    const JsonValue* member(std::string_view name) const;
    JsonValue* member(std::string_view name);
    void setMember(std::string name, JsonValue value);
    std::size_t memberCount() const;

  private:
    // Objects this large look members up through an index; smaller ones
    // are searched in order, which is quicker for them.
    static constexpr std::size_t kIndexedFrom = 12;

    std::size_t find(std::string_view name) const;

    Kind m_kind = Kind::Null;
    bool m_bool = false;
    double m_number = 0;
    std::string m_text;
    std::vector<JsonValue> m_elements;
    std::vector<Member> m_members;
    struct NameHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view name) const {
            return std::hash<std::string_view>{}(name);
        }
    };
    using Index = std::unordered_map<std::string, std::size_t, NameHash, std::equal_to<>>;
    std::unique_ptr<Index> m_index;
};

struct JsonValue::Member {
    std::string name;
    JsonValue value;
};

}  // namespace qvpc
