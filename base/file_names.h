#pragma once

#include <string>
#include <string_view>

namespace qvpc {

// The extension of a path with its leading ".": from the last "." that no
// separator ("/" or "\") and no space follows. Empty when there is none:
// "/a.b/file" and "x.apk copy" have none, "/d/b.c.apk" has ".apk".
std::string FileExtension(std::string_view path);

// The last component of a path: the text after the last "/", "\" or ":" that
// more characters follow; without its extension unless keepExtension.
std::string FileName(std::string_view path, bool keepExtension);

// A file name made from text off the network (an app's title, the last
// segment of a URL) that stays one file inside its folder: "/", "\", NUL and
// other control characters become "_", leading dots go, invalid UTF-8 is
// replaced, and it is cut to kSafeFileNameBytes on a character boundary.
// Empty when nothing is left.
std::string SafeFileName(std::string_view name);

inline constexpr std::size_t kSafeFileNameBytes = 120;

// The file an app's APK is downloaded to: its name made safe, or "app" when
// nothing of it is left, with ".apk".
std::string ApkFileName(std::string_view appName);

}  // namespace qvpc
