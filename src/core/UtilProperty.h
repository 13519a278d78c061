#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace UtilProperty {

// The value of the first "name=" anywhere in the content, up to the end of its
// line: the next "\r\n" or "\n" alone, or the end of the content. The match is
// a plain substring search, so "XName=" also matches "Name=". The value is not
// trimmed. nullopt when the content holds no "name=".
std::optional<std::string> FindPropertyValue(std::string_view content, std::string_view name);

// The same; a missing "name=" raises "UtilProperty::ReadPropertyValueAsString (10)".
std::string ReadPropertyValueAsString(std::string_view content, std::string_view name);

}  // namespace UtilProperty
