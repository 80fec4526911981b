#include "support/log_records.h"

#include <algorithm>

#include "base/gbk.h"
#include "support/temp_dir.h"

namespace qvpc::test {

std::vector<std::string> LogTexts(const std::string& logPath) {
    const std::string separator = std::string(48, '-') + "\r\n";
    const std::string content = GbkToUtf8(ReadFile(logPath));
    std::vector<std::string> texts;
    for (std::size_t at = content.find(separator); at != std::string::npos;) {
        const std::size_t from = at + separator.size();
        at = content.find(separator, from);
        std::string record = content.substr(from, at == std::string::npos ? at : at - from);
        // "[yyyy/MM/dd HH:mm:ss]    [category] text\r\n"
        const std::size_t category = record.find("]    [");
        const std::size_t text = record.find("] ", category + 6);
        if (category == std::string::npos || text == std::string::npos) {
            continue;
        }
        record = record.substr(text + 2);
        if (record.ends_with("\r\n")) {
            record.resize(record.size() - 2);
        }
        texts.push_back(record);
    }
    std::reverse(texts.begin(), texts.end());
    return texts;
}

}  // namespace qvpc::test
