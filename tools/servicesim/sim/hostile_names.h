#pragma once

#include <cstddef>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>

namespace qvpc::servicesim {

// What a hostile or careless server puts into the names a client turns into
// command lines, file names and SQL: the n-th entry of a reply (from 0) gets
// the n-th of nine patterns, so that one page of nine tiles shows them all.
//
//   title: $(touch qvpc-ran), `touch qvpc-ran`, "; touch qvpc-ran; echo ",
//          '; touch qvpc-ran; echo ', ../../../qvpc-escape, /tmp/qvpc-escape,
//          shell metacharacters and a backslash, line breaks and control
//          characters, 40000 Chinese characters
//   icon and APK address: the file's name after ../../../qvpc-escape/,
//          $(touch qvpc-ran), ..\..\qvpc-escape\, /tmp/qvpc-escape/, ".", quotes
//          and metacharacters, a real "/", 200 letters, Chinese; percent-encoded
//          where a URL needs it, so the server sees them decoded
//   id, package name: the real one followed by quotes and $(touch qvpc-ran)
//   summary: tags of the tagged list with a file:// download address
//
// Whoever runs, writes or stores any of these carelessly leaves a file
// qvpc-ran (in its working folder) or something named qvpc-escape outside
// its own folder.

// Rewrites the members of one entry of a list, lookup or search reply that
// it knows, all strings: apptitle, appid, packname, summary, appico, piclist,
// downurl.
void MakeHostile(nlohmann::ordered_json& entry, std::size_t n);

// The file of the data folder's icons/ or apks/ that a hostile name (the
// decoded path after "/down/icon/" or "/down/apk/") stands for.
std::optional<std::string> HostileFileTarget(std::string_view name);

}  // namespace qvpc::servicesim
