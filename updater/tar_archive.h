#pragma once

#include <cstdint>
#include <string>

namespace qvpc::updater {

// Takes the program out of a tar archive (gzip-compressed or not): the
// regular file whose name ends in programName, else the archive's only
// regular file. It is written to outPath, at most limit bytes. False, with
// why, when there is no such file or the archive is cut short or damaged;
// nothing else of the archive is ever written anywhere.
bool ExtractProgram(const std::string& archivePath, const std::string& programName,
                    const std::string& outPath, std::uint64_t limit, std::string& why);

}  // namespace qvpc::updater
