#pragma once

#include <string>
#include <string_view>

namespace qvpc {

class JsonDocument;

// Reads the download server's package lookup reply into the document: every
// UTF-8 byte-order mark directly before a "{" goes first, since the server
// puts one before its object. An empty reply leaves an empty document.
void ReadLookupReply(JsonDocument& document, std::string_view reply);

// The lookup reply's member of a package: its name with every "." as "_"
// (com.example.tv is com_example_tv).
std::string LookupKey(std::string_view packageName);

}  // namespace qvpc
