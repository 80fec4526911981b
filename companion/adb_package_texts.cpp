#include "companion/adb_package_texts.h"

#include <algorithm>
#include <charconv>

namespace qvpc {
namespace {

// Hands every line to onLine without its line end.
template <typename OnLine>
void ForEachLine(std::string_view text, OnLine onLine) {
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        if (!onLine(line)) {
            return;
        }
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
}

template <typename Number>
std::optional<Number> LeadingDigits(std::string_view text) {
    Number value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end == text.data()) {
        return std::nullopt;
    }
    return value;
}

bool AllDigits(std::string_view text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

// "2017-01-01", the date column of ls -l.
bool IsDate(std::string_view text) {
    return text.size() == 10 && text[4] == '-' && text[7] == '-' && AllDigits(text.substr(0, 4)) &&
           AllDigits(text.substr(5, 2)) && AllDigits(text.substr(8, 2));
}

std::string_view BaseName(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// The size in one ls -l line of a regular file named name or path. The
// owner and group come before the size, and a link count too in toybox's
// form, so the size is found as the column before the date.
std::optional<std::uint64_t> LsLineSize(std::string_view line, std::string_view path) {
    if (!line.starts_with('-')) {
        return std::nullopt;
    }
    std::vector<std::string_view> columns;
    std::size_t at = 0;
    while (at < line.size()) {
        const std::size_t start = line.find_first_not_of(' ', at);
        if (start == std::string_view::npos) {
            break;
        }
        std::size_t end = line.find(' ', start);
        end = end == std::string_view::npos ? line.size() : end;
        columns.push_back(line.substr(start, end - start));
        at = end;
        // The date, its time and then the name, which may hold blanks.
        if (columns.size() >= 4 && IsDate(columns[columns.size() - 2])) {
            const std::size_t nameStart = std::min(line.size(), end + 1);
            const std::string_view name = line.substr(nameStart);
            const std::string_view size = columns[columns.size() - 3];
            if ((name == path || name == BaseName(path)) && AllDigits(size)) {
                return LeadingDigits<std::uint64_t>(size);
            }
            return std::nullopt;
        }
    }
    return std::nullopt;
}

}  // namespace

std::vector<ListedPackage> ParsePackageList(std::string_view output) {
    constexpr std::string_view kPrefix = "package:";
    std::vector<ListedPackage> packages;
    ForEachLine(output, [&](std::string_view line) {
        if (!line.starts_with(kPrefix)) {
            return true;
        }
        line.remove_prefix(kPrefix.size());
        const std::size_t equals = line.rfind('=');
        ListedPackage package;
        if (equals == std::string_view::npos) {
            package.name = line;
        } else {
            package.name = line.substr(equals + 1);
            const std::string_view path = line.substr(0, equals);
            package.apkPath = path == "null" ? std::string() : std::string(path);
        }
        if (!package.name.empty()) {
            packages.push_back(std::move(package));
        }
        return true;
    });
    return packages;
}

std::optional<std::string> FailureLine(std::string_view output) {
    std::optional<std::string> failure;
    ForEachLine(output, [&](std::string_view line) {
        if (line.starts_with("error:") || line.starts_with("Error:")) {
            failure = std::string(line);
            return false;
        }
        return true;
    });
    return failure;
}

std::optional<PackageDump> ParseDumpsysPackage(std::string_view output, std::string_view package) {
    const std::string header = "  Package [" + std::string(package) + "]";
    enum class Where { Before, InPackages, InBlock, Done } where = Where::Before;
    bool found = false;
    PackageDump dump;
    ForEachLine(output, [&](std::string_view line) {
        switch (where) {
            case Where::Before:
                if (line == "Packages:") {
                    where = Where::InPackages;
                }
                return true;
            case Where::InPackages:
                if (line.starts_with(header)) {
                    where = Where::InBlock;
                    found = true;
                } else if (!line.empty() && line.front() != ' ') {
                    where = Where::Done;  // the next section
                }
                return where != Where::Done;
            case Where::InBlock:
                break;
            case Where::Done:
                return false;
        }
        // The block's own fields are indented 4; deeper lines belong to
        // lists inside it.
        if (!line.starts_with("    ")) {
            where = Where::Done;
            return false;
        }
        const std::string_view field = line.substr(4);
        auto value = [&](std::string_view name) -> std::optional<std::string_view> {
            if (field.starts_with(name)) {
                return field.substr(name.size());
            }
            return std::nullopt;
        };
        if (auto code = value("versionCode=")) {
            dump.versionCode = LeadingDigits<std::int64_t>(*code);
        } else if (auto name = value("versionName=")) {
            dump.versionName = *name;
        } else if (auto dir = value("dataDir=")) {
            dump.dataDir = *dir;
        } else if (auto first = value("firstInstallTime=")) {
            dump.firstInstallTime = *first;
        } else if (auto last = value("lastUpdateTime=")) {
            dump.lastUpdateTime = *last;
        }
        return true;
    });
    return found ? std::optional(dump) : std::nullopt;
}

std::optional<std::uint64_t> ParseLsSize(std::string_view output, std::string_view path) {
    std::optional<std::uint64_t> size;
    ForEachLine(output, [&](std::string_view line) {
        size = LsLineSize(line, path);
        return !size;
    });
    return size;
}

std::map<std::string, std::string> SplitAtMarkers(std::string_view output) {
    std::map<std::string, std::string> parts;
    std::string* current = nullptr;
    ForEachLine(output, [&](std::string_view line) {
        if (line.starts_with(kPackageMarker)) {
            current = &parts[std::string(line.substr(kPackageMarker.size()))];
        } else if (current) {
            current->append(line).append("\n");
        }
        return true;
    });
    return parts;
}

}  // namespace qvpc
