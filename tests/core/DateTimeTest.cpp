#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <ctime>
#include <limits>
#include <string>
#include <tuple>

#include "core/DateTime.h"
#include "support/TestSupport.h"

using namespace TestSupport;

namespace {

namespace chrono = std::chrono;

constexpr std::uint64_t TicksPerDay = static_cast<std::uint64_t>(TimeSpan::TicksPerDay);

// Days from 0001-01-01 computed by the standard library's own calendar.
std::int64_t DaysSinceYearOne(const chrono::year_month_day& date) {
    constexpr chrono::year_month_day first{chrono::year{1}, chrono::January, chrono::day{1}};
    return (chrono::sys_days{date} - chrono::sys_days{first}).count();
}

void ExpectMatchesStandardCalendar(const chrono::year_month_day& date) {
    const int year = static_cast<int>(date.year());
    const int month = static_cast<int>(static_cast<unsigned>(date.month()));
    const int day = static_cast<int>(static_cast<unsigned>(date.day()));
    SCOPED_TRACE(std::to_string(year) + "-" + std::to_string(month) + "-" + std::to_string(day));

    const auto days = static_cast<std::uint64_t>(DaysSinceYearOne(date));
    ASSERT_EQ(DateTime::DateToTicks(year, month, day), days * TicksPerDay);

    // Any time of the day must give the same calendar parts.
    const DateTime value = DateTime::FromTicks(days * TicksPerDay + TicksPerDay - 1);
    const chrono::year_month_day januaryFirst{date.year(), chrono::January, chrono::day{1}};
    EXPECT_EQ(value.Year(), year);
    EXPECT_EQ(value.Month(), month);
    EXPECT_EQ(value.Day(), day);
    EXPECT_EQ(value.DayOfYear(),
              (chrono::sys_days{date} - chrono::sys_days{januaryFirst}).count() + 1);
    EXPECT_EQ(value.DayOfWeek(),
              static_cast<int>(chrono::weekday{chrono::sys_days{date}}.c_encoding()));
}

TEST(DateTimeCalendarTest, AgreesWithTheStandardCalendarAcrossTheWholeRange) {
    const chrono::sys_days first{chrono::year{1} / chrono::January / 1};
    const chrono::sys_days last{chrono::year{9999} / chrono::December / 31};
    for (chrono::sys_days day = first; day <= last; day += chrono::days{37}) {
        ExpectMatchesStandardCalendar(chrono::year_month_day{day});
        if (HasFailure()) {
            return;
        }
    }
    ExpectMatchesStandardCalendar(chrono::year_month_day{last});
}

TEST(DateTimeCalendarTest, AgreesWithTheStandardCalendarOnEveryDayAroundCenturyLeapRules) {
    for (const int year : {1, 4, 100, 1600, 1899, 1900, 1999, 2000, 2012, 2100, 2400, 9999}) {
        const chrono::sys_days first{chrono::year{year} / chrono::January / 1};
        const chrono::sys_days last{chrono::year{year} / chrono::December / 31};
        for (chrono::sys_days day = first; day <= last; day += chrono::days{1}) {
            ExpectMatchesStandardCalendar(chrono::year_month_day{day});
        }
    }
}

TEST(DateTimeCalendarTest, TicksZeroIsMondayTheFirstOfJanuaryOfYearOne) {
    const DateTime zero = DateTime::FromTicks(0);
    EXPECT_EQ(zero.Year(), 1);
    EXPECT_EQ(zero.Month(), 1);
    EXPECT_EQ(zero.Day(), 1);
    EXPECT_EQ(zero.DayOfYear(), 1);
    EXPECT_EQ(zero.DayOfWeek(), 1);
}

TEST(DateTimeCalendarTest, LargestValueIsTheLastTickOf9999) {
    const DateTime last(9999, 12, 31, 23, 59, 59);
    EXPECT_EQ(last.Ticks(), DateTime::MaxTicks - (TimeSpan::TicksPerSecond - 1));
    EXPECT_EQ(last.Year(), 9999);
    EXPECT_EQ(last.Month(), 12);
    EXPECT_EQ(last.Day(), 31);
    const DateTime maximum = DateTime::FromTicks(DateTime::MaxTicks);
    EXPECT_EQ(maximum.Year(), 9999);
    EXPECT_EQ(maximum.Second(), 59);
}

TEST(DateTimeCalendarTest, LeapYearsFollowTheGregorianRule) {
    EXPECT_TRUE(DateTime::IsLeapYear(2000));
    EXPECT_TRUE(DateTime::IsLeapYear(2012));
    EXPECT_FALSE(DateTime::IsLeapYear(1900));
    EXPECT_FALSE(DateTime::IsLeapYear(2013));
    EXPECT_EQ(DateTime(2012, 2, 29).Day(), 29);
    EXPECT_EQ(DateTime(2000, 2, 29).DayOfYear(), 60);
    EXPECT_EQ(LocationOf<ArgumentOutOfRangeException>([] { DateTime::IsLeapYear(0); }),
              "DateTime::IsLeapYear (403)");
    EXPECT_EQ(LocationOf<ArgumentOutOfRangeException>([] { DateTime::IsLeapYear(10000); }),
              "DateTime::IsLeapYear (403)");
}

struct BadDate {
    int Year;
    int Month;
    int Day;
};

void PrintTo(const BadDate& value, std::ostream* out) {
    *out << value.Year << "-" << value.Month << "-" << value.Day;
}

class DateToTicksRangeTest : public testing::TestWithParam<BadDate> {};

TEST_P(DateToTicksRangeTest, RaisesOutOfRangeWithTheBadYearMonthDayMessage) {
    const BadDate date = GetParam();
    try {
        DateTime::DateToTicks(date.Year, date.Month, date.Day);
        FAIL() << "no exception";
    } catch (const ArgumentOutOfRangeException& error) {
        EXPECT_EQ(error.Location, "DateTime::DateToTicks (48)");
        EXPECT_EQ(error.Message, "ArgumentOutOfRange_BadYearMonthDay");
    }
}

INSTANTIATE_TEST_SUITE_P(Dates, DateToTicksRangeTest,
                         testing::Values(BadDate{2013, 2, 29}, BadDate{1900, 2, 29},
                                         BadDate{0, 1, 1}, BadDate{10000, 1, 1},
                                         BadDate{2013, 0, 1}, BadDate{2013, 13, 1},
                                         BadDate{2013, 4, 31}, BadDate{2013, 1, 0},
                                         BadDate{2013, 1, 32}, BadDate{-1, -1, -1}));

TEST(DateTimeConstructionTest, TimeOfDayMustLieWithinOneDay) {
    EXPECT_EQ(DateTime::TimeToTicks(23, 59, 59),
              static_cast<std::uint64_t>(TimeSpan::TicksPerDay - TimeSpan::TicksPerSecond));
    EXPECT_EQ(DateTime::TimeToTicks(0, 0, 0), 0U);
    for (const auto& [hour, minute, second] :
         {std::tuple{24, 0, 0}, std::tuple{-1, 0, 0}, std::tuple{0, 60, 0}, std::tuple{0, -1, 0},
          std::tuple{0, 0, 60}, std::tuple{0, 0, -1}}) {
        EXPECT_EQ(LocationOf<ArgumentOutOfRangeException>(
                      [h = hour, m = minute, s = second] { DateTime::TimeToTicks(h, m, s); }),
                  "DateTime::TimeToTicks (467)");
    }
}

TEST(DateTimeConstructionTest, ReportsABadDateBeforeABadTime) {
    EXPECT_EQ(LocationOf<ArgumentOutOfRangeException>([] { DateTime(2013, 13, 1, 25, 0, 0); }),
              "DateTime::DateToTicks (48)");
    EXPECT_EQ(LocationOf<ArgumentOutOfRangeException>([] { DateTime(2013, 3, 27, 24, 0, 0); }),
              "DateTime::TimeToTicks (467)");
}

TEST(TimeSpanTest, TimeToTicksAcceptsExactlyTheRepresentableSeconds) {
    // 256204778 h 48 min 5 s is 922337203685 s, the largest accepted total.
    EXPECT_EQ(TimeSpan::TimeToTicks(256204778, 48, 5), 922337203685 * TimeSpan::TicksPerSecond);
    EXPECT_EQ(TimeSpan::TimeToTicks(-256204778, -48, -5), -922337203685 * TimeSpan::TicksPerSecond);
    EXPECT_EQ(
        LocationOf<ArgumentOutOfRangeException>([] { TimeSpan::TimeToTicks(256204778, 48, 6); }),
        "TimeSpan::TimeToTicks (108)");
    EXPECT_EQ(
        LocationOf<ArgumentOutOfRangeException>([] { TimeSpan::TimeToTicks(-256204778, -48, -6); }),
        "TimeSpan::TimeToTicks (108)");
    EXPECT_EQ(TimeSpan(48, 0, 0).Ticks(), 48 * TimeSpan::TicksPerHour);
    EXPECT_EQ(TimeSpan(0, 90, -30).Ticks(), 5370 * TimeSpan::TicksPerSecond);
}

struct IntervalCase {
    double Minutes;
    std::int64_t Milliseconds;
};

void PrintTo(const IntervalCase& value, std::ostream* out) {
    *out << value.Minutes << " min is " << value.Milliseconds << " ms";
}

class TimeSpanIntervalTest : public testing::TestWithParam<IntervalCase> {};

TEST_P(TimeSpanIntervalTest, RoundsToWholeMillisecondsHalfAwayFromZero) {
    EXPECT_EQ(TimeSpan::Interval(GetParam().Minutes).Ticks(),
              GetParam().Milliseconds * TimeSpan::TicksPerMillisecond);
}

// 2^-6 minutes is exactly 937.5 ms, a true half.
INSTANTIATE_TEST_SUITE_P(Minutes, TimeSpanIntervalTest,
                         testing::Values(IntervalCase{0.5, 30000}, IntervalCase{-0.00001, -1},
                                         IntervalCase{0.00001, 1}, IntervalCase{0.000008, 0},
                                         IntervalCase{0.015625, 938}, IntervalCase{-0.015625, -938},
                                         IntervalCase{0.0, 0}, IntervalCase{1440.0, 86400000},
                                         IntervalCase{15372286728.0, 922337203680000}));

TEST(TimeSpanTest, IntervalBeyondTheMillisecondRangeOverflows) {
    for (const double minutes :
         {15372286729.0, -15372286729.0, 1e300, std::numeric_limits<double>::quiet_NaN(),
          std::numeric_limits<double>::infinity()}) {
        EXPECT_EQ(LocationOf<OverflowException>([&] { TimeSpan::Interval(minutes); }),
                  "TimeSpan::Interval (57)")
            << minutes;
    }
}

TEST(DateTimeArithmeticTest, AddingPastTheLargestValueRaises) {
    const DateTime last(9999, 12, 31, 23, 59, 59);
    EXPECT_EQ((last + TimeSpan(TimeSpan::TicksPerSecond - 1)).Ticks(), DateTime::MaxTicks);
    EXPECT_EQ(LocationOf<ArgumentOutOfRangeException>([&] { (void)(last + TimeSpan(0, 0, 1)); }),
              "DateTime::operator + (337)");
    EXPECT_EQ(LocationOf<ArgumentOutOfRangeException>(
                  [&] { (void)(last + TimeSpan(std::numeric_limits<std::int64_t>::max())); }),
              "DateTime::operator + (337)");
    EXPECT_EQ(LocationOf<ArgumentOutOfRangeException>(
                  [&] { (void)(last - TimeSpan(-TimeSpan::TicksPerSecond)); }),
              "DateTime::operator - (328)");
}

TEST(DateTimeArithmeticTest, GoingBelowYearOneRaises) {
    const DateTime first = DateTime::FromTicks(0);
    EXPECT_EQ((first + TimeSpan(0)).Ticks(), 0U);
    EXPECT_EQ(LocationOf<ArgumentOutOfRangeException>([&] { (void)(first - TimeSpan(1)); }),
              "DateTime::operator - (328)");
    EXPECT_EQ(LocationOf<ArgumentOutOfRangeException>([&] { (void)(first + TimeSpan(-1)); }),
              "DateTime::operator + (337)");
    EXPECT_EQ(LocationOf<ArgumentOutOfRangeException>(
                  [&] { (void)(first - TimeSpan(std::numeric_limits<std::int64_t>::min())); }),
              "DateTime::operator - (328)");
}

TEST(DateTimeArithmeticTest, ResultsKeepTheKindAndComparisonsIgnoreIt) {
    const DateTime local = DateTime(2013, 3, 27).WithKind(DateTime::Kind::Local);
    const DateTime later = local + TimeSpan(1, 30, 0);
    EXPECT_EQ(later.GetKind(), DateTime::Kind::Local);
    EXPECT_EQ((later - TimeSpan(1, 30, 0)).GetKind(), DateTime::Kind::Local);
    EXPECT_EQ(later.Hour(), 1);
    EXPECT_EQ(later.Minute(), 30);

    const DateTime utc = local.WithKind(DateTime::Kind::Utc);
    EXPECT_EQ(local, utc);
    EXPECT_LT(utc, later);
    EXPECT_EQ((later - utc).Ticks(), 90 * TimeSpan::TicksPerMinute);
    EXPECT_EQ((utc - later).Ticks(), -90 * TimeSpan::TicksPerMinute);
}

TEST(DateTimeArithmeticTest, DateCutsTheTimeOfDayAndKeepsTheKind) {
    const DateTime value = DateTime(2013, 3, 27, 23, 59, 59).WithKind(DateTime::Kind::Utc);
    const DateTime date = value.Date();
    EXPECT_EQ(date, DateTime(2013, 3, 27));
    EXPECT_EQ(date.GetKind(), DateTime::Kind::Utc);
}

TEST(DateTimeFormatTest, ToSystemTimeSplitsAllPartsWithZeroMilliseconds) {
    const DateTime value = DateTime(2013, 3, 27, 15, 30, 45) + TimeSpan(9999999);
    const SystemTime parts = value.ToSystemTime();
    EXPECT_EQ(parts.Year, 2013);
    EXPECT_EQ(parts.Month, 3);
    EXPECT_EQ(parts.DayOfWeek, 3);  // a Wednesday
    EXPECT_EQ(parts.Day, 27);
    EXPECT_EQ(parts.Hour, 15);
    EXPECT_EQ(parts.Minute, 30);
    EXPECT_EQ(parts.Second, 45);
    EXPECT_EQ(parts.Milliseconds, 0);
}

TEST(DateTimeFormatTest, XsdDateStringIsZeroPaddedYearMonthDay) {
    EXPECT_EQ(DateTime(2013, 3, 27, 12, 0, 0).ToXsdDateString(), "2013-03-27");
    EXPECT_EQ(DateTime::FromTicks(0).ToXsdDateString(), "0001-01-01");
    EXPECT_EQ(DateTime::FromTicks(DateTime::MaxTicks).ToXsdDateString(), "9999-12-31");
}

TEST(DateTimeFormatTest, NameTablesCoverTheirIndicesAndRaiseOutsideThem) {
    EXPECT_STREQ(DateTime::MonthString_Short(1), "Jan");
    EXPECT_STREQ(DateTime::MonthString_Short(9), "Sep");
    EXPECT_STREQ(DateTime::MonthString_Short(12), "Dec");
    EXPECT_STREQ(DateTime::DayOfWeekString_Short(0), "Sun");
    EXPECT_STREQ(DateTime::DayOfWeekString_Short(6), "Sat");
    EXPECT_STREQ(DateTime::DayOfWeekString_ShortUppercase(0), "SUN");
    EXPECT_STREQ(DateTime::DayOfWeekString_ShortUppercase(4), "THU");
    EXPECT_STREQ(DateTime::DayOfWeekString_ShortUppercase(6), "SAT");

    for (const int month : {0, 13, -1}) {
        EXPECT_EQ(LocationOf<ApplicationException>([&] { DateTime::MonthString_Short(month); }),
                  "DateTime::MonthString_Short (123)");
    }
    for (const int day : {7, -1, std::numeric_limits<int>::min()}) {
        EXPECT_EQ(LocationOf<ApplicationException>([&] { DateTime::DayOfWeekString_Short(day); }),
                  "DateTime::DayOfWeekString_Short (115)");
        EXPECT_EQ(LocationOf<ApplicationException>(
                      [&] { DateTime::DayOfWeekString_ShortUppercase(day); }),
                  "DateTime::DayOfWeekString_ShortUppercase (108)");
    }
}

TEST(DateTimeFreshnessTest, IsWithin48HoursWhenPlus48HoursIsStillLaterThanTheClock) {
    const DateTime now = DateTime(2013, 3, 27, 12, 0, 0).WithKind(DateTime::Kind::Utc);
    EXPECT_TRUE(now.IsWithin48Hours(now));
    EXPECT_TRUE((now - TimeSpan(47, 59, 59)).IsWithin48Hours(now));
    EXPECT_FALSE((now - TimeSpan(48, 0, 0)).IsWithin48Hours(now));
    EXPECT_FALSE((now - TimeSpan(49, 0, 0)).IsWithin48Hours(now));
    EXPECT_TRUE((now + TimeSpan(1, 0, 0)).IsWithin48Hours(now));
}

TEST(DateTimeFreshnessTest, AFarFutureValueCountsAsFreshInsteadOfRaising) {
    const DateTime now = DateTime(2013, 3, 27).WithKind(DateTime::Kind::Utc);
    EXPECT_TRUE(DateTime::FromTicks(DateTime::MaxTicks).IsWithin48Hours(now));
    EXPECT_TRUE(DateTime::FromTicks(DateTime::MaxTicks).IsWithin48Hours());
}

TEST(DateTimeFreshnessTest, WithoutAClockArgumentUsesTheUtcClock) {
    const DateTime now = DateTime::UtcNow();
    EXPECT_TRUE((now - TimeSpan(1, 0, 0)).IsWithin48Hours());
    EXPECT_FALSE((now - TimeSpan(49, 0, 0)).IsWithin48Hours());
    EXPECT_FALSE(DateTime(1990, 1, 1).IsWithin48Hours());
}

TEST(DateTimeClockTest, NowIsTodaysLocalDateAtMidnight) {
    // Retried when the local date changes while the test runs.
    for (int attempt = 0; attempt < 3; ++attempt) {
        const std::time_t before = std::time(nullptr);
        const DateTime now = DateTime::Now();
        const std::time_t after = std::time(nullptr);
        std::tm local{};
        ASSERT_NE(localtime_r(&before, &local), nullptr);
        std::tm localAfter{};
        ASSERT_NE(localtime_r(&after, &localAfter), nullptr);
        if (local.tm_mday != localAfter.tm_mday) {
            continue;
        }
        EXPECT_EQ(now.GetKind(), DateTime::Kind::Local);
        EXPECT_EQ(now.Ticks() % TicksPerDay, 0U);
        EXPECT_EQ(now, DateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday));
        return;
    }
    FAIL() << "the local date kept changing";
}

TEST(DateTimeClockTest, UtcNowFollowsTheSystemClockAtFullResolution) {
    using Ticks = chrono::duration<std::int64_t, std::ratio<1, 10000000>>;
    const auto epochTicks =
        static_cast<std::int64_t>(DateTime::UnixEpochFileTime + DateTime::FileTimeOffset);
    const auto before =
        chrono::duration_cast<Ticks>(chrono::system_clock::now().time_since_epoch()).count() +
        epochTicks;
    const DateTime now = DateTime::UtcNow();
    const auto after =
        chrono::duration_cast<Ticks>(chrono::system_clock::now().time_since_epoch()).count() +
        epochTicks;

    EXPECT_EQ(now.GetKind(), DateTime::Kind::Utc);
    // One tick of slack for the two clocks' truncation.
    EXPECT_GE(static_cast<std::int64_t>(now.Ticks()), before - 1);
    EXPECT_LE(static_cast<std::int64_t>(now.Ticks()), after + 1);
}

}  // namespace
