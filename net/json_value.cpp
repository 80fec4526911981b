#include "net/json_value.h"

#include <utility>

namespace qvpc {

JsonValue JsonValue::Boolean(bool value) {
    JsonValue v;
    v.m_kind = Kind::Bool;
    v.m_bool = value;
    return v;
}

JsonValue JsonValue::Number(double value) {
    JsonValue v;
    v.m_kind = Kind::Number;
    v.m_number = value;
    return v;
}

JsonValue JsonValue::String(std::string value) {
    JsonValue v;
    v.m_kind = Kind::String;
    v.m_text = std::move(value);
    return v;
}

JsonValue JsonValue::Array() {
    JsonValue v;
    v.m_kind = Kind::Array;
    return v;
}

JsonValue JsonValue::Object() {
    JsonValue v;
    v.m_kind = Kind::Object;
    return v;
}

JsonValue::JsonValue(JsonValue&&) noexcept = default;
JsonValue& JsonValue::operator=(JsonValue&&) noexcept = default;
JsonValue::~JsonValue() = default;

std::size_t JsonValue::size() const {
    return m_kind == Kind::Array ? m_elements.size() : 0;
}

const JsonValue* JsonValue::element(std::size_t index) const {
    return m_kind == Kind::Array && index < m_elements.size() ? &m_elements[index] : nullptr;
}

JsonValue* JsonValue::element(std::size_t index) {
    return m_kind == Kind::Array && index < m_elements.size() ? &m_elements[index] : nullptr;
}

void JsonValue::append(JsonValue value) {
    m_elements.push_back(std::move(value));
}

std::size_t JsonValue::memberCount() const {
    return m_members.size();
}

std::size_t JsonValue::find(std::string_view name) const {
    if (m_index) {
        const auto found = m_index->find(name);
        return found == m_index->end() ? m_members.size() : found->second;
    }
    for (std::size_t i = 0; i < m_members.size(); ++i) {
        if (m_members[i].name == name) {
            return i;
        }
    }
    return m_members.size();
}

const JsonValue* JsonValue::member(std::string_view name) const {
    if (m_kind != Kind::Object) {
        return nullptr;
    }
    const std::size_t at = find(name);
    return at < m_members.size() ? &m_members[at].value : nullptr;
}

JsonValue* JsonValue::member(std::string_view name) {
    return const_cast<JsonValue*>(std::as_const(*this).member(name));
}

void JsonValue::setMember(std::string name, JsonValue value) {
    const std::size_t at = find(name);
    if (at < m_members.size()) {
        m_members[at].value = std::move(value);
        return;
    }
    if (m_index) {
        m_index->emplace(name, m_members.size());
    }
    m_members.push_back({std::move(name), std::move(value)});
    if (!m_index && m_members.size() >= kIndexedFrom) {
        m_index = std::make_unique<Index>();
        m_index->reserve(m_members.size() * 2);
        for (std::size_t i = 0; i < m_members.size(); ++i) {
            m_index->emplace(m_members[i].name, i);
        }
    }
}

}  // namespace qvpc
