#include <gtest/gtest.h>

#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <set>
#include <string>
#include <vector>

#include "core/DateTime.h"
#include "data/TimeZoneInfo.h"
#include "data/TimeZoneItem.h"
#include "support/TestSupport.h"

namespace {

using TestSupport::LocationOf;
using TestSupport::ScopedEnvironment;

constexpr std::int64_t SecondsPerHour = 3600;

int ThisYear() {
    return DateTime::UtcNow().Year();
}

std::int64_t UnixSeconds(int year, int month, int day) {
    return DateTime(year, month, day).ToUnixSeconds();
}

SystemTime UtcSystemTime(std::int64_t unixSeconds) {
    return DateTime::FromUnixSeconds(unixSeconds).ToSystemTime();
}

// The C library's reading of the same tz database: an oracle that shares no
// code with Qt. Points TZ at one zone while it lives.
class CLibraryZone {
public:
    explicit CLibraryZone(const std::string& ianaId) : environment_("TZ", ":" + ianaId) { tzset(); }

    std::tm LocalClock(std::int64_t unixSeconds) const {
        const auto moment = static_cast<std::time_t>(unixSeconds);
        std::tm clock{};
        localtime_r(&moment, &clock);
        return clock;
    }

    int Offset(std::int64_t unixSeconds) const {
        return static_cast<int>(LocalClock(unixSeconds).tm_gmtoff);
    }
    bool IsDaylight(std::int64_t unixSeconds) const { return LocalClock(unixSeconds).tm_isdst > 0; }

    struct Change {
        std::int64_t At = 0;  // first second of the new offset
        int OffsetBefore = 0;
        int OffsetAfter = 0;
        bool DaylightAfter = false;
    };

    // Every change of offset or daylight flag in the UTC year, found to the second.
    std::vector<Change> ChangesIn(int year) const {
        std::vector<Change> changes;
        const std::int64_t end = UnixSeconds(year + 1, 1, 1);
        State previous = StateAt(UnixSeconds(year, 1, 1));
        for (std::int64_t hour = UnixSeconds(year, 1, 1); hour < end; hour += SecondsPerHour) {
            const State next = StateAt(hour + SecondsPerHour);
            if (next == previous) {
                continue;
            }
            std::int64_t low = hour;
            std::int64_t high = hour + SecondsPerHour;
            while (high - low > 1) {
                const std::int64_t middle = low + (high - low) / 2;
                (StateAt(middle) == previous ? low : high) = middle;
            }
            if (high < end) {
                const State after = StateAt(high);
                changes.push_back({high, previous.Offset, after.Offset, after.Daylight});
            }
            previous = next;
        }
        return changes;
    }

    // The text the program should show: "Sun Mar 8, 3:00 " with the 24-hour clock.
    std::string Text24(std::int64_t unixSeconds) const {
        const std::tm clock = LocalClock(unixSeconds);
        char text[64];
        std::strftime(text, sizeof text, "%a %b ", &clock);
        return text + std::to_string(clock.tm_mday) + ", " + std::to_string(clock.tm_hour) + ":" +
               TwoDigits(clock.tm_min) + " ";
    }

    // "3:00 AM" with the 12-hour clock, from the C library's own 12-hour fields.
    std::string Text12(std::int64_t unixSeconds) const {
        const std::tm clock = LocalClock(unixSeconds);
        char text[64];
        std::strftime(text, sizeof text, "%I:%M %p", &clock);
        // strftime pads the hour with a zero; the program does not.
        return text[0] == '0' ? std::string(text + 1) : std::string(text);
    }

private:
    // Restores the process's own zone after the environment is put back.
    struct ResetOnExit {
        ~ResetOnExit() { tzset(); }
    };

    static std::string TwoDigits(int value) {
        return (value < 10 ? "0" : "") + std::to_string(value);
    }

    struct State {
        int Offset = 0;
        bool Daylight = false;
        bool operator==(const State&) const = default;
    };

    State StateAt(std::int64_t unixSeconds) const {
        const std::tm clock = LocalClock(unixSeconds);
        return {static_cast<int>(clock.tm_gmtoff), clock.tm_isdst > 0};
    }

    ResetOnExit reset_;
    ScopedEnvironment environment_;
};

// The biases and rules must describe the year's changes as the C library sees
// them: a yearly pair into and out of daylight time, or no rule at all.
void ExpectRulesMatchTheDatabase(const TimeZoneInfo& zone, int year) {
    SCOPED_TRACE(zone.Id + " (" + zone.IanaId + ") in " + std::to_string(year));
    const CLibraryZone library(zone.IanaId);
    const std::vector<CLibraryZone::Change> changes = library.ChangesIn(year);
    const bool yearlyPair = changes.size() == 2 &&
                            changes[0].DaylightAfter != changes[1].DaylightAfter &&
                            changes[0].OffsetBefore == changes[1].OffsetAfter;
    if (!yearlyPair) {
        EXPECT_EQ(zone.DaylightDate.Month, 0);
        EXPECT_EQ(zone.StandardDate.Month, 0);
        EXPECT_EQ(zone.Bias, -library.Offset(UnixSeconds(year + 1, 1, 1) - 1) / 60);
        return;
    }
    const CLibraryZone::Change& intoDaylight = changes[0].DaylightAfter ? changes[0] : changes[1];
    const CLibraryZone::Change& intoStandard = changes[0].DaylightAfter ? changes[1] : changes[0];
    const int standardOffset = intoStandard.OffsetAfter;
    const int daylightOffset = intoDaylight.OffsetAfter;
    EXPECT_EQ(zone.Bias, -standardOffset / 60);
    EXPECT_EQ(zone.StandardBias, 0);
    EXPECT_EQ(zone.DaylightBias, -(daylightOffset - standardOffset) / 60);
    EXPECT_EQ(zone.DaylightDate.Year, 0);
    EXPECT_EQ(zone.StandardDate.Year, 0);

    // Each rule, resolved on the clock in force before its change, names the change's instant.
    const Nullable<DateTime> daylightStart = TimeZoneInfo::TransitionTime(zone.DaylightDate, year);
    const Nullable<DateTime> standardStart = TimeZoneInfo::TransitionTime(zone.StandardDate, year);
    ASSERT_TRUE(daylightStart.HasValue());
    ASSERT_TRUE(standardStart.HasValue());
    EXPECT_EQ(daylightStart.Value().ToUnixSeconds() - standardOffset, intoDaylight.At);
    EXPECT_EQ(standardStart.Value().ToUnixSeconds() - daylightOffset, intoStandard.At);
}

TimeZoneItem ItemFor(const std::string& id) {
    TimeZoneItem item;
    item.Label = "Somewhere";
    item.Info = TimeZoneInfo::FindTimeZoneById(id);
    return item;
}

TEST(TimeZoneInfoTest, GetSystemTimeZones_BuildsTheListOnceAndHoldsTheDefaultZones) {
    const std::vector<TimeZoneInfo>& zones = TimeZoneInfo::GetSystemTimeZones();
    EXPECT_EQ(&zones, &TimeZoneInfo::GetSystemTimeZones());
    EXPECT_GT(zones.size(), 100U);
    std::set<std::string> ids;
    for (const TimeZoneInfo& zone : zones) {
        EXPECT_TRUE(ids.insert(zone.Id).second) << zone.Id;
        EXPECT_TRUE(zone.StandardName.empty());
        EXPECT_TRUE(zone.DaylightName.empty());
    }
    for (const char* id : {"Eastern Standard Time", "GMT Standard Time", "W. Europe Standard Time",
                           "Tokyo Standard Time", "India Standard Time", "UTC"}) {
        EXPECT_EQ(ids.count(id), 1U) << id;
    }
}

TEST(TimeZoneInfoTest, GetSystemTimeZones_SortsByDisplayNameInCodeUnitOrder) {
    const std::vector<TimeZoneInfo>& zones = TimeZoneInfo::GetSystemTimeZones();
    for (std::size_t index = 1; index < zones.size(); ++index) {
        const QString previous = QString::fromStdString(zones[index - 1].DisplayName);
        const QString current = QString::fromStdString(zones[index].DisplayName);
        EXPECT_LE(QString::compare(previous, current, Qt::CaseSensitive), 0)
            << zones[index - 1].DisplayName << " before " << zones[index].DisplayName;
    }
}

TEST(TimeZoneInfoTest, DisplayNamesShowTheStandardOffsetAndLeadBackToTheirZone) {
    std::set<QString> seen;
    for (const TimeZoneInfo& zone : TimeZoneInfo::GetSystemTimeZones()) {
        const int minutes = -zone.Bias;
        char offset[32];
        std::snprintf(offset, sizeof offset, "(UTC%c%02d:%02d) ", minutes < 0 ? '-' : '+',
                      std::abs(minutes) / 60, std::abs(minutes) % 60);
        EXPECT_EQ(zone.DisplayName.rfind(offset, 0), 0U) << zone.DisplayName;
        EXPECT_GT(zone.DisplayName.size(), std::string(offset).size()) << zone.Id;
        EXPECT_TRUE(seen.insert(QString::fromStdString(zone.DisplayName).toCaseFolded()).second)
            << "shown twice: " << zone.DisplayName;
        EXPECT_EQ(TimeZoneInfo::FindTimeZoneByDisplayName(zone.DisplayName).Id, zone.Id);
    }
    const TimeZoneInfo newYork = TimeZoneInfo::FindTimeZoneById("Eastern Standard Time");
    EXPECT_NE(newYork.DisplayName.find("Eastern"), std::string::npos) << newYork.DisplayName;
}

TEST(TimeZoneInfoTest, FindTimeZoneById_IgnoresCaseAndRaisesForAnUnknownId) {
    const TimeZoneInfo zone = TimeZoneInfo::FindTimeZoneById("eastern STANDARD time");
    EXPECT_EQ(zone.Id, "Eastern Standard Time");
    EXPECT_EQ(zone.IanaId, "America/New_York");
    EXPECT_EQ(LocationOf([] { TimeZoneInfo::FindTimeZoneById("Atlantis Standard Time"); }),
              "TimeZoneInfo::FindTimeZoneById (61)");
    EXPECT_EQ(LocationOf([] { TimeZoneInfo::FindTimeZoneById(""); }),
              "TimeZoneInfo::FindTimeZoneById (61)");
    // The id must match whole, not as a prefix.
    EXPECT_EQ(LocationOf([] { TimeZoneInfo::FindTimeZoneById("Eastern Standard Time "); }),
              "TimeZoneInfo::FindTimeZoneById (61)");
}

TEST(TimeZoneInfoTest, FindTimeZoneByDisplayName_IgnoresCaseAndRaisesForAnUnknownName) {
    const TimeZoneInfo tokyo = TimeZoneInfo::FindTimeZoneById("Tokyo Standard Time");
    const QString upper = QString::fromStdString(tokyo.DisplayName).toUpper();
    EXPECT_EQ(TimeZoneInfo::FindTimeZoneByDisplayName(upper.toStdString()).Id, tokyo.Id);
    EXPECT_EQ(LocationOf([] { TimeZoneInfo::FindTimeZoneByDisplayName("(UTC+25:00) Nowhere"); }),
              "TimeZoneInfo::FindTimeZoneByDisplayName (72)");
}

TEST(TimeZoneInfoTest, FromTzDatabase_RaisesForAZoneTheSystemLacks) {
    EXPECT_EQ(LocationOf([] { TimeZoneInfo::FromTzDatabase("Nowhere", "Atlantis/Capital", 2026); }),
              "TimeZoneInfo::GetSystemTimeZones (33)");
    EXPECT_EQ(LocationOf([] { TimeZoneInfo::FromTzDatabase("Nowhere", "", 2026); }),
              "TimeZoneInfo::GetSystemTimeZones (33)");
}

TEST(TimeZoneInfoTest, EveryZoneOfTheListDescribesThisYearOfTheDatabase) {
    for (const TimeZoneInfo& zone : TimeZoneInfo::GetSystemTimeZones()) {
        ExpectRulesMatchTheDatabase(zone, ThisYear());
    }
}

struct TransitionCase {
    int Year;
    SystemTime Rule;
    const char* Expected;  // yyyy-mm-dd hh:mm:ss, or "none"
};

void PrintTo(const TransitionCase& test, std::ostream* stream) {
    *stream << test.Year << " -> " << test.Expected;
}

class TransitionTimeTest : public ::testing::TestWithParam<TransitionCase> {};

SystemTime Rule(int year, int month, int dayOfWeek, int day, int hour, int minute = 0) {
    SystemTime rule;
    rule.Year = year;
    rule.Month = month;
    rule.DayOfWeek = dayOfWeek;
    rule.Day = day;
    rule.Hour = hour;
    rule.Minute = minute;
    return rule;
}

TEST_P(TransitionTimeTest, ResolvesTheRuleInTheYear) {
    const TransitionCase& test = GetParam();
    const Nullable<DateTime> time = TimeZoneInfo::TransitionTime(test.Rule, test.Year);
    if (std::string(test.Expected) == "none") {
        EXPECT_FALSE(time.HasValue());
        return;
    }
    ASSERT_TRUE(time.HasValue());
    const DateTime value = time.Value();
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", value.Year(), value.Month(),
                  value.Day(), value.Hour(), value.Minute(), value.Second());
    EXPECT_STREQ(text, test.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, TransitionTimeTest,
    ::testing::Values(
        // Second Sunday of March: the month starts on a Sunday, on a Monday.
        TransitionCase{2026, Rule(0, 3, 0, 2, 2), "2026-03-08 02:00:00"},
        TransitionCase{2027, Rule(0, 3, 0, 2, 2), "2027-03-14 02:00:00"},
        // Day 5 is the last such weekday, whether the month has four or five of them.
        TransitionCase{2026, Rule(0, 10, 0, 5, 3), "2026-10-25 03:00:00"},
        TransitionCase{2026, Rule(0, 3, 0, 5, 1), "2026-03-29 01:00:00"},
        TransitionCase{2024, Rule(0, 2, 4, 5, 0), "2024-02-29 00:00:00"},
        TransitionCase{2026, Rule(0, 2, 6, 5, 23, 30), "2026-02-28 23:30:00"},
        TransitionCase{2026, Rule(2026, 4, 0, 12, 2), "2026-04-12 02:00:00"},
        TransitionCase{2027, Rule(2026, 4, 0, 12, 2), "none"},
        TransitionCase{2026, Rule(0, 0, 0, 0, 0), "none"},
        TransitionCase{2026, Rule(0, 3, 7, 1, 2), "none"},
        TransitionCase{2026, Rule(0, 3, 0, 6, 2), "none"},
        TransitionCase{2026, Rule(0, 3, 0, 1, 24), "none"},
        TransitionCase{2026, Rule(2026, 2, 0, 30, 2), "none"}));

// The default zones and a spread of others: both hemispheres, half- and
// quarter-hour offsets, a 30-minute daylight shift, a zone whose "daylight"
// time is behind its standard time, and zones without daylight time.
class ZoneCaseTest : public ::testing::TestWithParam<const char*> {};

TEST_P(ZoneCaseTest, RulesDescribeThisYearAndNextYear) {
    const TimeZoneInfo zone = TimeZoneInfo::FindTimeZoneById(GetParam());
    ExpectRulesMatchTheDatabase(zone, ThisYear());
    ExpectRulesMatchTheDatabase(TimeZoneInfo::FromTzDatabase(zone.Id, zone.IanaId, ThisYear() + 1),
                                ThisYear() + 1);
}

TEST_P(ZoneCaseTest, LocalTimeTextAgreesWithTheDatabaseAroundEachChange) {
    const TimeZoneItem item = ItemFor(GetParam());
    const CLibraryZone library(item.Info.IanaId);
    std::vector<std::int64_t> instants = {UnixSeconds(ThisYear(), 1, 1),
                                          UnixSeconds(ThisYear(), 7, 1) + 13 * SecondsPerHour,
                                          DateTime::UtcNow().ToUnixSeconds()};
    for (const CLibraryZone::Change& change : library.ChangesIn(ThisYear())) {
        instants.insert(instants.end(), {change.At - 60, change.At - 1, change.At, change.At + 60});
    }
    for (const std::int64_t instant : instants) {
        const SystemTime utc = UtcSystemTime(instant);
        EXPECT_EQ(item.UtcToLocalTimeAsString(true, true, 2, utc), library.Text24(instant))
            << "at Unix time " << instant;
        EXPECT_EQ(item.UtcToLocalTimeAsString(false, false, 1, utc), library.Text12(instant))
            << "at Unix time " << instant;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Zones, ZoneCaseTest,
    ::testing::Values("Eastern Standard Time", "GMT Standard Time", "W. Europe Standard Time",
                      "Tokyo Standard Time", "Pacific Standard Time", "AUS Eastern Standard Time",
                      "New Zealand Standard Time", "Pacific SA Standard Time",
                      "Lord Howe Standard Time", "Chatham Islands Standard Time",
                      "Newfoundland Standard Time", "India Standard Time", "Nepal Standard Time",
                      "Israel Standard Time", "Morocco Standard Time", "Greenland Standard Time",
                      "Egypt Standard Time", "UTC", "Dateline Standard Time"));

TEST(TimeZoneItemTest, UtcToLocalTimeAsString_FollowsTheZonesHistory) {
    // 1990: daylight time in New York began on the first Sunday of April, not in March.
    const TimeZoneItem item = ItemFor("Eastern Standard Time");
    const CLibraryZone library(item.Info.IanaId);
    for (const std::int64_t instant : {UnixSeconds(1990, 3, 11) + 7 * SecondsPerHour + 1800,
                                       UnixSeconds(1990, 4, 1) + 7 * SecondsPerHour + 1800}) {
        EXPECT_EQ(item.UtcToLocalTimeAsString(true, true, 2, UtcSystemTime(instant)),
                  library.Text24(instant));
    }
    EXPECT_NE(library.Offset(UnixSeconds(1990, 3, 20)), library.Offset(UnixSeconds(2024, 3, 20)));
}

TEST(TimeZoneItemTest, UtcToLocalTimeAsString_TakesTheWeekdayFromTheLocalDate) {
    const TimeZoneItem item = ItemFor("Tokyo Standard Time");
    SystemTime utc = DateTime(2026, 3, 14, 20, 5, 0).ToSystemTime();  // a Saturday in UTC
    utc.DayOfWeek = 2;
    const CLibraryZone library(item.Info.IanaId);
    EXPECT_EQ(item.UtcToLocalTimeAsString(true, true, 2, utc),
              library.Text24(DateTime(2026, 3, 14, 20, 5, 0).ToUnixSeconds()));
}

TEST(TimeZoneItemTest, UtcToLocalTimeAsString_GivesAQuestionMarkForAnyFailure) {
    const TimeZoneItem item = ItemFor("UTC");
    SystemTime badMonth = DateTime(2026, 3, 14).ToSystemTime();
    badMonth.Month = 13;
    EXPECT_EQ(item.UtcToLocalTimeAsString(true, true, 1, badMonth), "?");
    SystemTime badHour = DateTime(2026, 3, 14).ToSystemTime();
    badHour.Hour = 24;
    EXPECT_EQ(item.UtcToLocalTimeAsString(true, true, 1, badHour), "?");

    TimeZoneItem noZone;
    EXPECT_EQ(noZone.UtcToLocalTimeAsString(false, false, 2, DateTime(2026, 3, 14).ToSystemTime()),
              "?");
    TimeZoneItem missingZone = item;
    missingZone.Info.IanaId = "Atlantis/Capital";
    EXPECT_EQ(
        missingZone.UtcToLocalTimeAsString(false, false, 2, DateTime(2026, 3, 14).ToSystemTime()),
        "?");
}

struct ClockCase {
    int Hour;
    int Minute;
    int HourFormat;
    const char* Expected;
};

void PrintTo(const ClockCase& test, std::ostream* stream) {
    *stream << test.Hour << ':' << test.Minute << " format " << test.HourFormat;
}

class ClockTextTest : public ::testing::TestWithParam<ClockCase> {};

TEST_P(ClockTextTest, FormatsTheHourForTheClock) {
    const ClockCase& test = GetParam();
    // Through the whole conversion, in the zone whose local time is UTC.
    const TimeZoneItem item = ItemFor("UTC");
    const SystemTime utc = DateTime(2026, 1, 5, test.Hour, test.Minute, 0).ToSystemTime();
    EXPECT_EQ(item.UtcToLocalTimeAsString(false, false, test.HourFormat, utc), test.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Clocks, ClockTextTest,
    ::testing::Values(ClockCase{0, 30, 1, "12:30 AM"}, ClockCase{0, 30, 2, "0:30 "},
                      ClockCase{12, 5, 1, "12:05 PM"}, ClockCase{13, 0, 1, "1:00 PM"},
                      ClockCase{13, 0, 2, "13:00 "}, ClockCase{11, 59, 1, "11:59 AM"},
                      ClockCase{23, 59, 1, "11:59 PM"},
                      // Any format but 2 is the 12-hour clock.
                      ClockCase{13, 0, 3, "1:00 PM"}));

struct SampleCase {
    bool ShowDayOfWeek;
    bool ShowDate;
    int HourFormat;
    const char* Expected;
};

void PrintTo(const SampleCase& test, std::ostream* stream) {
    *stream << '"' << test.Expected << '"';
}

class SampleTimeTest : public ::testing::TestWithParam<SampleCase> {};

TEST_P(SampleTimeTest, PutsDayDateAndTimeInThatOrder) {
    const SampleCase& test = GetParam();
    EXPECT_EQ(TimeZoneItem::FormatSampleTime(test.ShowDayOfWeek, test.ShowDate, test.HourFormat),
              test.Expected);
}

INSTANTIATE_TEST_SUITE_P(Samples, SampleTimeTest,
                         ::testing::Values(SampleCase{true, true, 1, "Wed Sep 25, 10:55 AM"},
                                           SampleCase{true, true, 2, "Wed Sep 25, 10:55 "},
                                           SampleCase{true, false, 1, "Wed 10:55 AM"},
                                           SampleCase{false, true, 1, "Sep 25, 10:55 AM"},
                                           SampleCase{false, false, 2, "10:55 "}));

TEST(TimeZoneItemTest, FormatLocalTime_RaisesForAWeekdayOrMonthOutsideTheTables) {
    SystemTime local = DateTime(2026, 3, 14).ToSystemTime();
    local.DayOfWeek = 7;
    EXPECT_EQ(LocationOf([&] { TimeZoneItem::FormatLocalTime(local, true, false, 1); }),
              "DateTime::DayOfWeekString_Short (115)");
    EXPECT_EQ(TimeZoneItem::FormatLocalTime(local, false, true, 1), "Mar 14, 12:00 AM");
    local.Month = 0;
    EXPECT_EQ(LocationOf([&] { TimeZoneItem::FormatLocalTime(local, false, true, 1); }),
              "DateTime::MonthString_Short (123)");
}

TEST(TimeZoneItemTest, Deserialize_MatchesTheIdIgnoringCaseAndSerializesTheFoundId) {
    const TimeZoneItem item = TimeZoneItem::Deserialize("Home;eastern standard time");
    EXPECT_EQ(item.Label, "Home");
    EXPECT_EQ(item.Info.Id, "Eastern Standard Time");
    EXPECT_EQ(item.Serialize(), "Home;Eastern Standard Time");
}

TEST(TimeZoneItemTest, Deserialize_TakesAnEmptyLabel) {
    const TimeZoneItem item = TimeZoneItem::Deserialize(";Tokyo Standard Time");
    EXPECT_EQ(item.Label, "");
    EXPECT_EQ(item.Info.Id, "Tokyo Standard Time");
    EXPECT_EQ(item.Serialize(), ";Tokyo Standard Time");
}

TEST(TimeZoneItemTest, Deserialize_RaisesForALineWithoutSeparatorOrWithAnUnknownId) {
    EXPECT_EQ(LocationOf([] { TimeZoneItem::Deserialize("Tokyo Standard Time"); }),
              "TimeZoneItem::Deserialize (96)");
    EXPECT_EQ(LocationOf([] { TimeZoneItem::Deserialize(""); }), "TimeZoneItem::Deserialize (96)");
    EXPECT_EQ(LocationOf([] { TimeZoneItem::Deserialize("Home;Atlantis Standard Time"); }),
              "TimeZoneInfo::FindTimeZoneById (61)");
    EXPECT_EQ(LocationOf([] { TimeZoneItem::Deserialize("Tokyo;"); }),
              "TimeZoneInfo::FindTimeZoneById (61)");
}

TEST(TimeZoneItemTest, ALabelHoldingTheSeparatorComesBackWhole) {
    TimeZoneItem item = ItemFor("Romance Standard Time");
    item.Label = "Paris; France";
    const TimeZoneItem back = TimeZoneItem::Deserialize(item.Serialize());
    EXPECT_EQ(back.Label, "Paris; France");
    EXPECT_EQ(back.Info.Id, "Romance Standard Time");
}

TEST(TimeZoneItemTest, Serialize_KeepsOneItemOnOneLine) {
    TimeZoneItem item = ItemFor("Tokyo Standard Time");
    item.Label = "Tokyo\r\nJapan";
    EXPECT_EQ(item.Serialize(), "Tokyo  Japan;Tokyo Standard Time");
}

}  // namespace
