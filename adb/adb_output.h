#pragma once

#include <string>
#include <string_view>

namespace qvpc {

// Small readings of the text adb leaves in OutputBuffer.

// The output without the notes of an ADB server starting ("* daemon started
// successfully"), which say nothing about the command.
std::string WithoutServerNotes(std::string_view output);

// The text with its ASCII letters in lower case.
std::string Lower(std::string_view text);

// Substring test without regard to (ASCII) case.
bool ContainsIgnoringCase(std::string_view text, std::string_view what);

}  // namespace qvpc
