#pragma once

#include <string>
#include <string_view>

namespace UtilProperty {

// The value of the first "name=" anywhere in the content, up to the next "\r\n"
// or the end. The match is a plain substring search, so "XName=" also matches
// "Name=". The value is not trimmed.
std::string ReadPropertyValueAsString(std::string_view content, std::string_view name);

}  // namespace UtilProperty
