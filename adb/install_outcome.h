#pragma once

#include <string>
#include <string_view>

#include "adb/adb_output.h"

namespace qvpc {

// What an installation's output says, by the first row of the table that
// matches (substring tests without regard to case, earlier rows first).
struct InstallOutcome {
    enum class Kind {
        Success,
        Failure,
        // The APK was pushed but no verdict has come yet.
        Transferring,
    };

    // The rows that callers tell apart.
    static constexpr int kMediaUnavailableRow = 2;
    static constexpr int kNoneOfThemRow = 16;

    Kind kind = Kind::Failure;
    int row = kNoneOfThemRow;
    std::string_view title;
    std::string_view text;
};

// localPath is the APK's path on the PC: adb echoes it and the file's name,
// and neither may decide the outcome, whatever they hold. The verdict comes
// from the box's own lines only.
InstallOutcome ClassifyInstallOutput(std::string_view output, std::string_view localPath = {});

// Whether the APK is on the box and only the box's verdict is awaited: the
// push summary without a verdict, or a streamed install, which shows no
// progress of its transfer.
bool AwaitsVerdict(std::string_view output, std::string_view localPath);

}  // namespace qvpc
