#pragma once

#include <string>

#include "platform/RegistryStore.h"

namespace Util {

// The string value of the key in the root's store. A missing or unreadable store or a
// missing key raises "Util::RegGetKeyValue (251)"; a missing value, a binary value or one
// longer than 259 wide characters raises "Util::RegGetKeyValue (253)".
std::string RegGetKeyValue(const std::string& subKey, RegistryRoot root,
                           const std::string& valueName);

}  // namespace Util
