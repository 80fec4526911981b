#pragma once

#include <string>
#include <string_view>

namespace qvpc {

// The package lookup's reply as its readers take it: "\uXXXX" and "%uXXXX"
// escapes decoded into UTF-8 (a surrogate pair as one character), and, in a
// reply whose first character is a lone carriage return, every carriage
// return dropped that does not end a line (CR LF is kept). Percent escapes
// of single bytes ("%20") stay as they are: they belong to the URLs.
std::string UnescapeLookupReply(std::string_view body);

}  // namespace qvpc
