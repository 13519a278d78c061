#include "core/Version.h"

#include <vector>

#include "core/Exceptions.h"
#include "core/TextSplit.h"
#include "core/Util.h"

namespace {

constexpr std::string_view TrimmedCharacters = " \r\n\t";

std::string_view Trim(std::string_view text) {
    const std::size_t first = text.find_first_not_of(TrimmedCharacters);
    if (first == std::string_view::npos) {
        return {};
    }
    const std::size_t last = text.find_last_not_of(TrimmedCharacters);
    return text.substr(first, last - first + 1);
}

}  // namespace

Version Version::Parse(std::string_view text) {
    const std::vector<std::string> fields = Split(Trim(text), '.');
    if (fields.size() < 3) {
        static constexpr const char* Location = "Version::Parse (18)";
        RaiseError(Location);
    }
    Version version;
    version.Major = Util::ParseInt(fields[0].c_str());
    version.Minor = Util::ParseInt(fields[1].c_str());
    version.Build = Util::ParseInt(fields[2].c_str());
    return version;
}

std::string Version::ToString() const {
    return Util::ToString(Major) + "." + Util::ToString(Minor) + "." + Util::ToString(Build);
}
