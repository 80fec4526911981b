#include "services/ini_file.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>

#include "base/atomic_file.h"
#include "base/gbk.h"

namespace qvpc {
namespace {

// A settings file of this program holds a few lines; a larger one is not
// read whole.
constexpr std::size_t kLargestFile = 64 * 1024;

std::string Trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return std::string(text);
}

bool SameName(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

}  // namespace

std::optional<IniFile> IniFile::Load(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::string bytes(kLargestFile, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (in.bad()) {
        return std::nullopt;
    }
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return Parse(bytes);
}

IniFile IniFile::Parse(std::string_view gbk) {
    IniFile file;
    const std::string text = GbkToUtf8(gbk);
    std::string section;
    for (std::size_t from = 0; from < text.size();) {
        std::size_t end = text.find('\n', from);
        if (end == std::string::npos) {
            end = text.size();
        }
        Line line;
        line.text = text.substr(from, end - from);
        if (line.text.ends_with('\r')) {
            line.text.pop_back();
        }
        from = end + 1;
        const std::string trimmed = Trimmed(line.text);
        if (trimmed.starts_with('[') && trimmed.find(']') != std::string::npos) {
            section = Trimmed(trimmed.substr(1, trimmed.find(']') - 1));
        } else if (const std::size_t equals = trimmed.find('=');
                   equals != std::string::npos && equals > 0 && !trimmed.starts_with(';')) {
            line.key = Trimmed(trimmed.substr(0, equals));
            line.value = Trimmed(trimmed.substr(equals + 1));
        }
        line.section = section;
        file.m_lines.push_back(std::move(line));
    }
    return file;
}

std::vector<IniFile::Line>::const_iterator IniFile::find(std::string_view section,
                                                         std::string_view key) const {
    return std::find_if(m_lines.begin(), m_lines.end(), [&](const Line& line) {
        return !line.key.empty() && SameName(line.section, section) && SameName(line.key, key);
    });
}

std::string IniFile::value(std::string_view section, std::string_view key,
                           const std::string& fallback) const {
    const auto found = find(section, key);
    return found == m_lines.end() ? fallback : found->value;
}

void IniFile::setValue(std::string_view section, std::string_view key, const std::string& value) {
    Line line{.text = std::string(key) + "=" + value,
              .section = std::string(section),
              .key = std::string(key),
              .value = value};
    if (const auto found = find(section, key); found != m_lines.end()) {
        m_lines[static_cast<std::size_t>(found - m_lines.begin())] = std::move(line);
        return;
    }
    // After the section's last line; a missing section goes at the end.
    auto last = std::find_if(m_lines.rbegin(), m_lines.rend(), [&](const Line& each) {
        return SameName(each.section, section) && !Trimmed(each.text).empty();
    });
    if (last == m_lines.rend()) {
        m_lines.push_back(
            {.text = "[" + std::string(section) + "]", .section = std::string(section)});
        m_lines.push_back(std::move(line));
        return;
    }
    m_lines.insert(last.base(), std::move(line));
}

std::string IniFile::text() const {
    std::string text;
    for (const Line& line : m_lines) {
        text += line.text + "\r\n";
    }
    return Utf8ToGbk(text);
}

bool IniFile::save(const std::string& path) const {
    const std::string bytes = text();
    return WriteFileReplacing(path,
                              {reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()});
}

}  // namespace qvpc
