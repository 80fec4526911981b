#pragma once

#include <string_view>

namespace qvpc {

// Whether an address typed on the manual-address page may be connected to:
// split at "." (an empty part after a final "." does not count), more than
// three parts, the first four of them not empty. Only this is checked:
// "192.168.0." is refused, "192.168.0.5.7" goes to adb as typed.
bool IsTypedAddressAcceptable(std::string_view typed);

}  // namespace qvpc
