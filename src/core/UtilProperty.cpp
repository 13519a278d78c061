#include "core/UtilProperty.h"

#include "core/Exceptions.h"

namespace UtilProperty {

std::string ReadPropertyValueAsString(std::string_view content, std::string_view name) {
    const std::string prefix = std::string(name) + "=";
    const std::size_t found = content.find(prefix);
    if (found == std::string_view::npos) {
        static constexpr const char* Location = "UtilProperty::ReadPropertyValueAsString (10)";
        RaiseError(Location);
    }
    const std::size_t start = found + prefix.size();
    const std::size_t end = content.find("\r\n", start);
    return std::string(
        content.substr(start, end == std::string_view::npos ? content.npos : end - start));
}

}  // namespace UtilProperty
