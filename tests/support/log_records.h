#pragma once

#include <string>
#include <vector>

namespace qvpc::test {

// The texts of a log file's records (GBK, newest first, see base/log.h) as
// UTF-8, oldest first, each without its time and category.
std::vector<std::string> LogTexts(const std::string& logPath);

}  // namespace qvpc::test
