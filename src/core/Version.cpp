#include "core/Version.h"

#include <vector>

#include "core/Exceptions.h"
#include "core/TextSplit.h"
#include "core/Util.h"
#include "core/UtilText.h"

namespace {

// The version file's own set, without the vertical tab and form feed.
constexpr std::string_view TrimmedCharacters = " \r\n\t";

}  // namespace

Version Version::Parse(std::string_view text) {
    const std::vector<std::string> fields = Split(UtilText::Trim(text, TrimmedCharacters), '.');
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
