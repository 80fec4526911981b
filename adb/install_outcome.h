#pragma once

#include <string>
#include <string_view>

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

    Kind kind = Kind::Failure;
    int row = 16;
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

// The output without the notes of an ADB server starting ("* daemon started
// successfully"), which say nothing about the command.
std::string WithoutServerNotes(std::string_view output);

// Substring test without regard to (ASCII) case.
bool ContainsIgnoringCase(std::string_view text, std::string_view what);

}  // namespace qvpc
