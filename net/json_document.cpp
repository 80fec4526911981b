#include "net/json_document.h"

#include <climits>

#include "net/json_path.h"
#include "net/json_reader.h"

namespace qvpc {

JsonDocument::JsonDocument() : m_root(JsonValue::Object()) {}

bool JsonDocument::parse(std::string_view text) {
    m_lastParentValue = nullptr;
    m_root = JsonValue();
    std::optional<JsonValue> value = ReadJavaScriptValue(text);
    if (!value) {
        return false;
    }
    m_root = std::move(*value);
    return !m_root.isNull();
}

const JsonValue* JsonDocument::find(std::string_view path) const {
    // The path's steps; the last one begins where its parent's path ends.
    JsonPath steps(path);
    JsonPath::Step step;
    JsonPath::Step last;
    std::size_t parentLength = 0;
    std::size_t count = 0;
    for (std::size_t start = 0; steps.next(step); start = steps.position()) {
        parentLength = start;
        last = step;
        ++count;
    }
    if (steps.failed()) {
        return nullptr;
    }
    if (count < 2) {
        return count == 0 ? &m_root : JsonStep(m_root, last);
    }
    const std::string_view parent = path.substr(0, parentLength);
    if (!m_lastParentValue || parent != m_lastParent) {
        m_lastParentValue = FindJsonPath(m_root, parent);
        m_lastParent.assign(parent);
        if (!m_lastParentValue) {
            return nullptr;
        }
    }
    return JsonStep(*m_lastParentValue, last);
}

std::string JsonDocument::getText(std::string_view path) const {
    const JsonValue* value = find(path);
    return value && value->kind() == JsonValue::Kind::String ? value->text() : std::string();
}

double JsonDocument::getNumber(std::string_view path) const {
    const JsonValue* value = find(path);
    if (!value) {
        return 0;
    }
    switch (value->kind()) {
        case JsonValue::Kind::Number:
            return value->number();
        case JsonValue::Kind::Bool:
            return value->boolean() ? -1 : 0;
        default:
            return 0;
    }
}

int JsonDocument::count(std::string_view path) const {
    const JsonValue* value = find(path);
    if (!value) {
        return 0;
    }
    const std::size_t n =
        value->kind() == JsonValue::Kind::Object ? value->memberCount() : value->size();
    return n > INT_MAX ? INT_MAX : static_cast<int>(n);
}

void JsonDocument::setText(std::string_view path, std::string value) {
    m_lastParentValue = nullptr;
    // The parent is the path up to its last step.
    JsonPath steps(path);
    JsonPath::Step step;
    JsonPath::Step last;
    const JsonValue* parent = &m_root;
    bool haveLast = false;
    while (steps.next(step)) {
        if (haveLast) {
            parent = JsonStep(*parent, last);
            if (!parent) {
                return;
            }
        }
        last = step;
        haveLast = true;
    }
    if (steps.failed() || !haveLast) {
        return;
    }
    auto* target = const_cast<JsonValue*>(parent);
    if (target->kind() == JsonValue::Kind::Object) {
        std::string name = last.isIndex ? std::to_string(last.index) : std::string(last.name);
        target->setMember(std::move(name), JsonValue::String(std::move(value)));
    } else if (target->kind() == JsonValue::Kind::Array) {
        if (JsonValue* element = const_cast<JsonValue*>(JsonStep(*target, last))) {
            *element = JsonValue::String(std::move(value));
        } else if (last.isIndex && last.index == target->size()) {
            target->append(JsonValue::String(std::move(value)));
        }
    }
}

}  // namespace qvpc
