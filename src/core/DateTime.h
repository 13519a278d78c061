#pragma once

#include <compare>
#include <cstdint>
#include <string>

#include "core/Nullable.h"

// An interval in 100-nanosecond ticks, negative for negative intervals.
class TimeSpan {
public:
    static constexpr std::int64_t TicksPerMillisecond = 10000;
    static constexpr std::int64_t TicksPerSecond = 10000000;
    static constexpr std::int64_t TicksPerMinute = 600000000;
    static constexpr std::int64_t TicksPerHour = 36000000000;
    static constexpr std::int64_t TicksPerDay = 864000000000;

    constexpr TimeSpan() = default;
    constexpr explicit TimeSpan(std::int64_t ticks) : ticks_(ticks) {}
    // h hours, m minutes, s seconds, checked as TimeToTicks does.
    TimeSpan(int hours, int minutes, int seconds);

    static std::int64_t TimeToTicks(int hours, int minutes, int seconds);
    // Fractional minutes, rounded half away from zero to whole milliseconds.
    static TimeSpan Interval(double minutes);

    constexpr std::int64_t Ticks() const { return ticks_; }
    double TotalMilliseconds() const;

    TimeSpan operator-() const;
    constexpr auto operator<=>(const TimeSpan&) const = default;

private:
    std::int64_t ticks_ = 0;
};

// The calendar parts of an instant, as the platform's SYSTEMTIME carries them.
struct SystemTime {
    int Year = 0;
    int Month = 0;
    int DayOfWeek = 0;
    int Day = 0;
    int Hour = 0;
    int Minute = 0;
    int Second = 0;
    int Milliseconds = 0;
};

// An instant: 62 bits of 100-ns ticks since 0001-01-01 00:00:00 (proleptic
// Gregorian) and a two-bit kind. Arithmetic and comparisons ignore the kind.
class DateTime {
public:
    enum class Kind : std::uint8_t { Unspecified = 0, Utc = 1, Local = 2 };

    static constexpr std::uint64_t MaxTicks = 3155378975999999999ULL;
    // Ticks between 0001-01-01 and the platform's file-time epoch 1601-01-01.
    static constexpr std::uint64_t FileTimeOffset = 504911232000000000ULL;
    // File-time ticks between 1601-01-01 and the Unix epoch.
    static constexpr std::uint64_t UnixEpochFileTime = 116444736000000000ULL;

    constexpr DateTime() = default;
    DateTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);

    static constexpr DateTime FromTicks(std::uint64_t ticks, Kind kind = Kind::Unspecified) {
        return DateTime((ticks & TicksMask) | (static_cast<std::uint64_t>(kind) << KindShift));
    }
    // Seconds since the Unix epoch, UTC.
    static DateTime FromUnixSeconds(std::int64_t seconds);

    static std::uint64_t DateToTicks(int year, int month, int day);
    static std::uint64_t TimeToTicks(int hour, int minute, int second);
    static bool IsLeapYear(int year);

    // Today's local date at 00:00:00, kind local: callers use it as the current date.
    static DateTime Now();
    static DateTime UtcNow();

    static const char* MonthString_Short(int month);
    static const char* DayOfWeekString_Short(int dayOfWeek);
    static const char* DayOfWeekString_ShortUppercase(int dayOfWeek);

    std::uint64_t Ticks() const { return data_ & TicksMask; }
    Kind GetKind() const { return static_cast<Kind>(data_ >> KindShift); }
    DateTime WithKind(Kind kind) const { return FromTicks(Ticks(), kind); }

    DateTime Date() const;
    enum class DatePart { Year = 0, DayOfYear = 1, Month = 2, Day = 3 };
    int GetDatePart(DatePart part) const;
    int Year() const { return GetDatePart(DatePart::Year); }
    int Month() const { return GetDatePart(DatePart::Month); }
    int Day() const { return GetDatePart(DatePart::Day); }
    int DayOfYear() const { return GetDatePart(DatePart::DayOfYear); }
    int DayOfWeek() const;  // 0 = Sunday
    int Hour() const;
    int Minute() const;
    int Second() const;
    std::int64_t ToUnixSeconds() const;

    SystemTime ToSystemTime() const;
    std::string ToXsdDateString() const;  // 2013-03-27
    // A value plus 48 hours is later than the UTC clock: a report this fresh is still shown.
    // Never raises, so a damaged far-future time stamp cannot end the caller's step.
    bool IsWithin48Hours() const;
    bool IsWithin48Hours(const DateTime& utcNow) const;

    DateTime operator+(TimeSpan span) const;
    DateTime operator-(TimeSpan span) const;
    TimeSpan operator-(const DateTime& other) const;

    bool operator==(const DateTime& other) const { return Ticks() == other.Ticks(); }
    auto operator<=>(const DateTime& other) const { return Ticks() <=> other.Ticks(); }

private:
    static constexpr std::uint64_t TicksMask = 0x3FFFFFFFFFFFFFFFULL;
    static constexpr int KindShift = 62;

    constexpr explicit DateTime(std::uint64_t data) : data_(data) {}

    // Month and year must already be in range.
    static int DaysInMonth(int year, int month);

    std::uint64_t data_ = 0;
};

template <>
struct NullableLocations<DateTime> {
    static constexpr const char* Value = "Nullable<class DateTime>::Value (20)";
};
