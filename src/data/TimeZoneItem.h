#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/CPtr.h"
#include "core/DateTime.h"
#include "data/TimeZoneInfo.h"

// A zone the user chose to watch, under the user's own name for the place.
struct TimeZoneItem {
    // "Berlin".
    std::string Label;
    TimeZoneInfo Info;
    // Pixel size of the label text as the clocks' layout last measured it; not saved.
    int TextWidth = 0;
    int TextHeight = 0;

    // The local time of the zone at the UTC instant, as text: "Wed Sep 25, 10:55 AM".
    // Hour format 2 is the 24-hour clock, any other the 12-hour one. Never
    // fails towards the caller: anything that goes wrong gives "?".
    std::string UtcToLocalTimeAsString(bool showDayOfWeek, bool showDate, int hourFormat,
                                       const SystemTime& utc) const;
    // The text of a local clock time; raises for a weekday or month outside the
    // name tables.
    static std::string FormatLocalTime(const SystemTime& local, bool showDayOfWeek, bool showDate,
                                       int hourFormat);
    // The text for a fixed moment, so that label sizes do not change with the clock.
    static std::string FormatSampleTime(bool showDayOfWeek, bool showDate, int hourFormat);

    // "Label;Id". The label ends at the last ";": zone ids hold none, so a label
    // that does comes back whole. A line without ";" raises
    // "TimeZoneItem::Deserialize (96)"; an unknown id raises as FindTimeZoneById does.
    static TimeZoneItem Deserialize(std::string_view line);
    // The line without its line end. Line breaks inside the label become spaces,
    // so that one item is always one line.
    std::string Serialize() const;
};

// The location texts are kept whole so that they can be searched for.
// clang-format off
template <>
struct CPtrLocations<std::vector<TimeZoneItem>> {
    static constexpr const char* Arrow = "CPtr<class std::vector<class TimeZoneItem,class std::allocator<class TimeZoneItem> > >::operator -> (114)";
    static constexpr const char* Star = "CPtr<class std::vector<class TimeZoneItem,class std::allocator<class TimeZoneItem> > >::operator * (108)";
};
// clang-format on
