#include <cstdio>
#include <string>
#include <vector>

#include "Arguments.h"
#include "Commands.h"
#include "data/TimeZoneInfo.h"
#include "data/TimeZoneItem.h"

namespace {

// The eight fields of a SYSTEMTIME in their order: year, month, day of week,
// day, hour, minute, second, milliseconds.
std::string RuleText(const SystemTime& rule) {
    char text[96];
    std::snprintf(text, sizeof text, "%d,%d,%d,%d,%d,%d,%d,%d", rule.Year, rule.Month,
                  rule.DayOfWeek, rule.Day, rule.Hour, rule.Minute, rule.Second, rule.Milliseconds);
    return text;
}

}  // namespace

int RunZones(const std::vector<std::string>& arguments) {
    if (!arguments.empty()) {
        throw BadArguments("expects no arguments");
    }
    for (const TimeZoneInfo& zone : TimeZoneInfo::GetSystemTimeZones()) {
        std::printf(
            "{\"id\": %s, \"display_name\": %s, \"bias\": %d, \"standard_bias\": %d, "
            "\"daylight_bias\": %d, \"standard_date\": %s, \"daylight_date\": %s, \"iana\": %s}\n",
            JsonString(zone.Id).c_str(), JsonString(zone.DisplayName).c_str(), zone.Bias,
            zone.StandardBias, zone.DaylightBias, JsonString(RuleText(zone.StandardDate)).c_str(),
            JsonString(RuleText(zone.DaylightDate)).c_str(), JsonString(zone.IanaId).c_str());
    }
    return 0;
}

int RunZoneTime(const std::vector<std::string>& arguments) {
    bool showDate = false;
    bool showDayOfWeek = false;
    int hourFormat = 1;
    std::vector<std::string> positional;
    for (const std::string& argument : arguments) {
        if (argument == "--date") {
            showDate = true;
        } else if (argument == "--day") {
            showDayOfWeek = true;
        } else if (argument == "--24h") {
            hourFormat = 2;
        } else if (argument.starts_with("--")) {
            throw BadArguments("unknown option " + argument);
        } else {
            positional.push_back(argument);
        }
    }
    if (positional.size() != 2) {
        throw BadArguments("expects ID YYYY-MM-DDTHH:MM:SSZ [--date] [--day] [--24h]");
    }
    const SystemTime utc = ParseUtcTime(positional[1]).ToSystemTime();
    TimeZoneItem item;
    item.Info = TimeZoneInfo::FindTimeZoneById(positional[0]);
    std::printf("%s\n",
                item.UtcToLocalTimeAsString(showDayOfWeek, showDate, hourFormat, utc).c_str());
    return 0;
}
