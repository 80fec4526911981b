#include "base/update_command_line.h"

#include <vector>

namespace qvpc {
namespace {

constexpr std::string_view kSeparator = "<#>";
constexpr std::string_view kSpace = "<?>";
constexpr std::string_view kLineBreak = "|换行符|";
constexpr std::string_view kTitlePrefix = "启动窗口标题:";
constexpr std::string_view kNotesPrefix = "更新说明:";
constexpr std::string_view kLastField = "真";
constexpr std::size_t kFieldCount = 7;

std::string ReplaceAll(std::string text, std::string_view from, std::string_view to) {
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

// CR LF is the described line break; a lone LF or CR (a reply written on
// another system) is one too, so no raw line break reaches the command line.
std::string EncodeLineBreaks(std::string text) {
    text = ReplaceAll(std::move(text), "\r\n", kLineBreak);
    text = ReplaceAll(std::move(text), "\n", kLineBreak);
    return ReplaceAll(std::move(text), "\r", kLineBreak);
}

std::vector<std::string> Split(std::string_view text, std::string_view separator) {
    std::vector<std::string> parts;
    for (std::size_t from = 0;;) {
        const std::size_t at = text.find(separator, from);
        parts.emplace_back(text.substr(from, at - from));
        if (at == std::string_view::npos) {
            return parts;
        }
        from = at + separator.size();
    }
}

std::string Join(const std::vector<std::string>& parts, std::size_t first, std::size_t end) {
    std::string joined;
    for (std::size_t i = first; i < end; ++i) {
        joined += (i == first ? "" : std::string(kSeparator)) + parts[i];
    }
    return joined;
}

}  // namespace

std::string UpdaterCommandLine(const UpdateOrder& order) {
    const std::string notes = std::string(kNotesPrefix) + std::string(kLineBreak) +
                              ReplaceAll(EncodeLineBreaks(order.notes), " ", kSpace);
    const std::vector<std::string> fields = {std::string(kTitlePrefix) + order.version,
                                             "",
                                             "",
                                             order.executablePath,
                                             order.url,
                                             notes,
                                             std::string(kLastField)};
    return " " + ReplaceAll(Join(fields, 0, fields.size()), " ", kSpace);
}

std::optional<UpdateOrder> ParseUpdaterCommandLine(std::string_view text) {
    while (text.starts_with(' ')) {
        text.remove_prefix(1);
    }
    std::vector<std::string> fields = Split(text, kSeparator);
    if (fields.size() < kFieldCount || !fields[0].starts_with(kTitlePrefix)) {
        return std::nullopt;
    }
    std::string notes = Join(fields, 5, fields.size() - 1);
    if (!notes.starts_with(kNotesPrefix)) {
        return std::nullopt;
    }
    notes.erase(0, kNotesPrefix.size());
    if (notes.starts_with(kLineBreak)) {
        notes.erase(0, kLineBreak.size());
    }
    auto decode = [](std::string field) { return ReplaceAll(std::move(field), kSpace, " "); };
    UpdateOrder order;
    order.version = decode(fields[0].substr(kTitlePrefix.size()));
    order.executablePath = decode(fields[3]);
    order.url = decode(fields[4]);
    order.notes = ReplaceAll(decode(std::move(notes)), kLineBreak, "\n");
    return order;
}

}  // namespace qvpc
