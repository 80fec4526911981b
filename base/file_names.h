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

}  // namespace qvpc
