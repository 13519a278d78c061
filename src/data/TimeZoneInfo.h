#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/DateTime.h"
#include "core/Nullable.h"

// One zone of the system's time-zone database under its Windows-style id, with
// the offsets and yearly daylight-time rule of the current year in the shape of
// TIME_ZONE_INFORMATION. Local times are computed from the tz database itself
// (see TimeZoneItem); the rule describes the zone to whoever shows it.
struct TimeZoneInfo {
    // Minutes, UTC = local time + Bias.
    int Bias = 0;
    // Left empty: the display name names the zone.
    std::string StandardName;
    // When standard time begins, on the daylight-time clock; Month 0: no daylight time.
    SystemTime StandardDate;
    // Minutes added to Bias outside daylight time.
    int StandardBias = 0;
    std::string DaylightName;
    // When daylight time begins, on the standard-time clock.
    SystemTime DaylightDate;
    // Minutes added to Bias during daylight time; positive where the tz database
    // puts the zone's "daylight" time behind its standard time.
    int DaylightBias = 0;
    // "Eastern Standard Time": what "TimeZones.txt" stores.
    std::string Id;
    // "(UTC-05:00) Eastern Time (New York)": readable, unique within the system list.
    std::string DisplayName;
    // The tz database zone the Id stands for, "America/New_York".
    std::string IanaId;

    // Every Windows zone id that Qt maps to a zone this system has, sorted by
    // DisplayName in UTF-16 code-unit order. Built on first use, then only read.
    // A zone that cannot be read is left out; an unusable database raises and is
    // tried again on the next call.
    static const std::vector<TimeZoneInfo>& GetSystemTimeZones();
    // Copies of the first zone whose Id / DisplayName equals the text, ignoring case.
    static TimeZoneInfo FindTimeZoneById(std::string_view id);
    static TimeZoneInfo FindTimeZoneByDisplayName(std::string_view displayName);

    // The zone ianaId of the tz database under the given id, its rule derived from
    // the zone's transitions in the given year. Raises when the zone is missing
    // or its offsets cannot be expressed in minutes.
    static TimeZoneInfo FromTzDatabase(const std::string& id, const std::string& ianaId, int year);

    // The local clock time at which a transition rule (StandardDate or
    // DaylightDate) takes effect in the given year; empty for Month 0 or a rule
    // that names no real date. Day 5 is the month's last such weekday.
    static Nullable<DateTime> TransitionTime(const SystemTime& rule, int year);
};
