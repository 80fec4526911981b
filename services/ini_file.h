#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qvpc {

// A settings file as Windows profile files are written: "[section]" lines,
// "key=value" lines below them, GBK text with CR LF line ends. Section and
// key names are compared without regard to ASCII case; lines it does not
// understand (comments, blanks) are kept as they are.
class IniFile {
  public:
    // The file's content; nothing when it does not exist or cannot be read.
    static std::optional<IniFile> Load(const std::string& path);
    // Content given as GBK bytes.
    static IniFile Parse(std::string_view gbk);

    // The value, without blanks around it; fallback when the key is missing.
    std::string value(std::string_view section, std::string_view key,
                      const std::string& fallback) const;
    // Sets a key, adding it (and its section) at the end when missing.
    void setValue(std::string_view section, std::string_view key, const std::string& value);

    // The content as it is written: GBK, CR LF.
    std::string text() const;
    // Writes the file, replacing it whole; false when that failed.
    bool save(const std::string& path) const;

  private:
    struct Line {
        std::string text;     // the line as read or written, UTF-8
        std::string section;  // the section it belongs to
        std::string key;      // for a key line, its name; else empty
        std::string value;
    };

    std::vector<Line>::const_iterator find(std::string_view section, std::string_view key) const;

    std::vector<Line> m_lines;
};

}  // namespace qvpc
