#pragma once

#include <nlohmann/json.hpp>
#include <string>

namespace qvpc::boxsim {

// JSON text with every string's bytes sent as they are (only quotes,
// backslashes and control characters escaped): a hostile companion may
// send labels that are not UTF-8, which a validating writer would mend.
std::string WriteJsonKeepingBytes(const nlohmann::json& value);

}  // namespace qvpc::boxsim
