#include "core/UtilProperty.h"

#include "core/Exceptions.h"

namespace UtilProperty {

std::optional<std::string> FindPropertyValue(std::string_view content, std::string_view name) {
    const std::string prefix = std::string(name) + "=";
    const std::size_t found = content.find(prefix);
    if (found == std::string_view::npos) {
        return std::nullopt;
    }
    std::string_view value = content.substr(found + prefix.size());
    const std::size_t lineFeed = value.find('\n');
    if (lineFeed != std::string_view::npos) {
        // Files written elsewhere end their lines in "\n" alone; ours in "\r\n".
        value = value.substr(0, lineFeed);
        if (!value.empty() && value.back() == '\r') {
            value.remove_suffix(1);
        }
    }
    return std::string(value);
}

std::string ReadPropertyValueAsString(std::string_view content, std::string_view name) {
    std::optional<std::string> value = FindPropertyValue(content, name);
    if (!value) {
        static constexpr const char* Location = "UtilProperty::ReadPropertyValueAsString (10)";
        RaiseError(Location);
    }
    return std::move(*value);
}

}  // namespace UtilProperty
