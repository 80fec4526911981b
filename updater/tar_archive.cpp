#include "updater/tar_archive.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

namespace qvpc::updater {
namespace {

constexpr std::size_t kBlock = 512;
constexpr std::uint64_t kLongestName = 4096;

struct GzClose {
    void operator()(gzFile_s* file) const { gzclose(file); }
};

using Block = std::array<char, kBlock>;
using Sink = std::function<bool(const char* data, std::size_t length)>;

struct Entry {
    std::string name;
    char type = '0';
    std::uint64_t size = 0;

    bool regular() const { return type == '0' || type == '\0'; }
};

std::string CString(std::string_view field) {
    return std::string(field.substr(0, field.find('\0')));
}

std::optional<std::uint64_t> Octal(std::string_view field) {
    while (!field.empty() && (field.front() == ' ' || field.front() == '\0')) {
        field.remove_prefix(1);
    }
    field = field.substr(0, field.find_first_of(std::string_view(" \0", 2)));
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value, 8);
    if (field.empty() || error != std::errc() || end != field.data() + field.size()) {
        return std::nullopt;
    }
    return value;
}

// Reads a tar archive entry by entry. gzread reads an uncompressed file as it
// is, so one reader serves both kinds.
class TarReader {
  public:
    explicit TarReader(const std::string& path) : m_file(gzopen(path.c_str(), "rb")) {}

    bool opened() const { return m_file != nullptr; }
    // A tar ends with a zero block; an archive without one was cut short.
    bool ended() const { return m_ended; }
    bool damaged() const { return m_damaged; }

    // The next file's header; nothing at the end or when the archive is
    // damaged.
    std::optional<Entry> next() {
        std::string longName;
        while (std::optional<Block> header = readBlock()) {
            if (std::all_of(header->begin(), header->end(), [](char c) { return c == '\0'; })) {
                m_ended = true;
                return std::nullopt;
            }
            const std::string_view bytes(header->data(), header->size());
            const std::optional<std::uint64_t> size = Octal(bytes.substr(124, 12));
            if (!size) {
                m_damaged = true;
                return std::nullopt;
            }
            const std::string prefix = CString(bytes.substr(345, 155));
            Entry entry{.name = longName.empty() ? (prefix.empty() ? "" : prefix + "/") +
                                                       CString(bytes.substr(0, 100))
                                                 : longName,
                        .type = bytes[156],
                        .size = *size};
            if (entry.type != 'L') {
                return entry;
            }
            // A GNU long name: this content names the entry that follows.
            longName.clear();
            if (entry.size > kLongestName || !content(entry, [&](const char* data, std::size_t n) {
                    longName.append(data, n);
                    return true;
                })) {
                m_damaged = true;
                return std::nullopt;
            }
            longName = CString(longName);
        }
        return std::nullopt;
    }

    // The entry's content, block by block, to sink (which may refuse).
    bool content(const Entry& entry, const Sink& sink) {
        for (std::uint64_t left = entry.size; left > 0;) {
            std::optional<Block> block = readBlock();
            if (!block) {
                m_damaged = true;
                return false;
            }
            const std::size_t used = left < kBlock ? static_cast<std::size_t>(left) : kBlock;
            if (!sink(block->data(), used)) {
                return false;
            }
            left -= used;
        }
        return true;
    }

  private:
    std::optional<Block> readBlock() {
        Block block{};
        const int got = gzread(m_file.get(), block.data(), static_cast<unsigned>(block.size()));
        int error = Z_OK;
        gzerror(m_file.get(), &error);
        if (got != static_cast<int>(block.size()) || (error != Z_OK && error != Z_STREAM_END)) {
            m_damaged = m_damaged || got != 0 || (error != Z_OK && error != Z_STREAM_END);
            return std::nullopt;
        }
        return block;
    }

    std::unique_ptr<gzFile_s, GzClose> m_file;
    bool m_ended = false;
    bool m_damaged = false;
};

const Sink kSkip = [](const char*, std::size_t) { return true; };

// Which regular file is the program, counted among the regular files; the
// whole archive is read, so a damaged one is found out before anything is
// written.
std::optional<std::size_t> FindProgram(const std::string& archivePath,
                                       const std::string& programName, std::string& why) {
    TarReader reader(archivePath);
    std::vector<std::string> names;
    while (std::optional<Entry> entry = reader.next()) {
        if (entry->regular()) {
            names.push_back(entry->name);
        }
        if (!reader.content(*entry, kSkip)) {
            break;
        }
    }
    if (!reader.opened() || reader.damaged() || !reader.ended()) {
        why = "下载的压缩包不完整";
        return std::nullopt;
    }
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (names[i] == programName || names[i].ends_with("/" + programName)) {
            return i;
        }
    }
    if (names.size() == 1) {
        return 0;
    }
    why = "压缩包里没有助手程序";
    return std::nullopt;
}

bool WriteRegularFile(const std::string& archivePath, std::size_t index, const std::string& outPath,
                      std::uint64_t limit, std::string& why) {
    TarReader reader(archivePath);
    std::size_t regularIndex = 0;
    while (std::optional<Entry> entry = reader.next()) {
        if (!entry->regular() || regularIndex++ != index) {
            if (!reader.content(*entry, kSkip)) {
                break;
            }
            continue;
        }
        if (entry->size > limit) {
            why = "压缩包里的程序太大";
            return false;
        }
        std::ofstream out(outPath, std::ios::binary | std::ios::trunc);
        const bool written = reader.content(*entry, [&](const char* data, std::size_t n) {
            out.write(data, static_cast<std::streamsize>(n));
            return static_cast<bool>(out);
        });
        if (!written || !out.flush()) {
            why = reader.damaged() ? "下载的压缩包不完整" : "无法写出压缩包里的程序";
            return false;
        }
        return true;
    }
    why = "下载的压缩包不完整";
    return false;
}

}  // namespace

bool ExtractProgram(const std::string& archivePath, const std::string& programName,
                    const std::string& outPath, std::uint64_t limit, std::string& why) {
    const std::optional<std::size_t> index = FindProgram(archivePath, programName, why);
    return index && WriteRegularFile(archivePath, *index, outPath, limit, why);
}

}  // namespace qvpc::updater
