#include "core/DateTime.h"

#include <cmath>
#include <cstdio>
#include <ctime>

namespace {

constexpr int DaysToMonth365[13] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334, 365};
constexpr int DaysToMonth366[13] = {0, 31, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335, 366};

constexpr const char* MonthNames[13] = {"",    "Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr const char* DayNames[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr const char* DayNamesUppercase[7] = {"SUN", "MON", "TUE", "WED", "THU", "FRI", "SAT"};

constexpr std::int64_t MaxSeconds = 922337203685;
constexpr std::int64_t MaxMilliseconds = 922337203685477;

bool IsLeap(int year) {
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

// Adds a signed span to ticks, or reports that the result leaves 0 ..= MaxTicks.
bool AddTicks(std::uint64_t ticks, std::int64_t span, std::uint64_t& result) {
    const auto signedTicks = static_cast<std::int64_t>(ticks);  // ticks < 2^62: no overflow
    std::int64_t sum = 0;
    if (__builtin_add_overflow(signedTicks, span, &sum) || sum < 0 ||
        static_cast<std::uint64_t>(sum) > DateTime::MaxTicks) {
        return false;
    }
    result = static_cast<std::uint64_t>(sum);
    return true;
}

}  // namespace

TimeSpan::TimeSpan(int hours, int minutes, int seconds)
    : ticks_(TimeToTicks(hours, minutes, seconds)) {}

std::int64_t TimeSpan::TimeToTicks(int hours, int minutes, int seconds) {
    const std::int64_t total =
        static_cast<std::int64_t>(hours) * 3600 + static_cast<std::int64_t>(minutes) * 60 + seconds;
    if (total > MaxSeconds || total < -MaxSeconds) {
        static constexpr const char* Location = "TimeSpan::TimeToTicks (108)";
        throw ArgumentOutOfRangeException(Location);
    }
    return total * TicksPerSecond;
}

TimeSpan TimeSpan::Interval(double minutes) {
    const double milliseconds = std::round(minutes * 60000.0);  // half away from zero
    if (!(milliseconds <= static_cast<double>(MaxMilliseconds) &&
          milliseconds >= -static_cast<double>(MaxMilliseconds))) {
        static constexpr const char* Location = "TimeSpan::Interval (57)";
        throw OverflowException(Location);
    }
    return TimeSpan(static_cast<std::int64_t>(milliseconds) * TicksPerMillisecond);
}

double TimeSpan::TotalMilliseconds() const {
    const double milliseconds = static_cast<double>(ticks_) * 0.0001;
    const auto limit = static_cast<double>(MaxMilliseconds);
    if (milliseconds > limit) {
        return limit;
    }
    if (milliseconds < -limit) {
        return -limit;
    }
    return milliseconds;
}

TimeSpan TimeSpan::operator-() const {
    if (ticks_ == INT64_MIN) {
        static constexpr const char* Location = "TimeSpan::operator - (95)";
        throw OverflowException(Location);
    }
    return TimeSpan(-ticks_);
}

DateTime::DateTime(int year, int month, int day, int hour, int minute, int second) {
    // The date is checked first, so a text with both parts wrong reports the date.
    const std::uint64_t dateTicks = DateToTicks(year, month, day);
    const std::uint64_t ticks = dateTicks + TimeToTicks(hour, minute, second);
    if (ticks > MaxTicks) {
        static constexpr const char* Location = "DateTime::DateTime (223)";
        throw ArgumentException(Location);
    }
    data_ = ticks;
}

DateTime DateTime::FromUnixSeconds(std::int64_t seconds) {
    // Seconds beyond what a span can hold are clamped; the addition then raises its range error.
    constexpr std::int64_t limit = INT64_MAX / TimeSpan::TicksPerSecond;
    const std::int64_t clamped = seconds > limit ? limit : (seconds < -limit ? -limit : seconds);
    return FromTicks(UnixEpochFileTime + FileTimeOffset, Kind::Utc) +
           TimeSpan(clamped * TimeSpan::TicksPerSecond);
}

std::uint64_t DateTime::DateToTicks(int year, int month, int day) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 ||
        day > DaysInMonth(year, month)) {
        static constexpr const char* Location = "DateTime::DateToTicks (48)";
        throw ArgumentOutOfRangeException(Location, "ArgumentOutOfRange_BadYearMonthDay");
    }
    const int* table = IsLeap(year) ? DaysToMonth366 : DaysToMonth365;
    const std::uint64_t y = static_cast<std::uint64_t>(year) - 1;
    const std::uint64_t days = y * 365 + y / 4 - y / 100 + y / 400 +
                               static_cast<std::uint64_t>(table[month - 1]) +
                               static_cast<std::uint64_t>(day) - 1;
    return days * static_cast<std::uint64_t>(TimeSpan::TicksPerDay);
}

std::uint64_t DateTime::TimeToTicks(int hour, int minute, int second) {
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59) {
        static constexpr const char* Location = "DateTime::TimeToTicks (467)";
        throw ArgumentOutOfRangeException(Location);
    }
    return static_cast<std::uint64_t>(TimeSpan::TimeToTicks(hour, minute, second));
}

bool DateTime::IsLeapYear(int year) {
    if (year < 1 || year > 9999) {
        static constexpr const char* Location = "DateTime::IsLeapYear (403)";
        throw ArgumentOutOfRangeException(Location);
    }
    return IsLeap(year);
}

int DateTime::DaysInMonth(int year, int month) {
    const int* table = IsLeap(year) ? DaysToMonth366 : DaysToMonth365;
    return table[month] - table[month - 1];
}

DateTime DateTime::Now() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (now == static_cast<std::time_t>(-1) || localtime_r(&now, &local) == nullptr) {
        static constexpr const char* Location = "DateTime::Now (375)";
        RaiseError(Location);
    }
    const std::uint64_t ticks = DateToTicks(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
    return FromTicks(ticks, Kind::Local);
}

DateTime DateTime::UtcNow() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    const std::uint64_t fileTime = static_cast<std::uint64_t>(now.tv_sec) * 10000000ULL +
                                   static_cast<std::uint64_t>(now.tv_nsec) / 100 +
                                   UnixEpochFileTime;
    return FromTicks(fileTime + FileTimeOffset, Kind::Utc);
}

const char* DateTime::MonthString_Short(int month) {
    if (month < 1 || month > 12) {
        static constexpr const char* Location = "DateTime::MonthString_Short (123)";
        RaiseError(Location);
    }
    return MonthNames[month];
}

const char* DateTime::DayOfWeekString_Short(int dayOfWeek) {
    if (static_cast<unsigned>(dayOfWeek) > 6) {
        static constexpr const char* Location = "DateTime::DayOfWeekString_Short (115)";
        RaiseError(Location);
    }
    return DayNames[dayOfWeek];
}

const char* DateTime::DayOfWeekString_ShortUppercase(int dayOfWeek) {
    if (static_cast<unsigned>(dayOfWeek) > 6) {
        static constexpr const char* Location = "DateTime::DayOfWeekString_ShortUppercase (108)";
        RaiseError(Location);
    }
    return DayNamesUppercase[dayOfWeek];
}

DateTime DateTime::Date() const {
    const std::uint64_t ticks = Ticks();
    return FromTicks(ticks - ticks % static_cast<std::uint64_t>(TimeSpan::TicksPerDay), GetKind());
}

int DateTime::GetDatePart(DatePart part) const {
    auto n = static_cast<int>(Ticks() / static_cast<std::uint64_t>(TimeSpan::TicksPerDay));
    const int y400 = n / 146097;
    n %= 146097;
    int y100 = n / 36524;
    if (y100 == 4) {
        y100 = 3;
    }
    n -= y100 * 36524;
    const int y4 = n / 1461;
    n %= 1461;
    int y1 = n / 365;
    if (y1 == 4) {
        y1 = 3;
    }
    if (part == DatePart::Year) {
        return y400 * 400 + y100 * 100 + y4 * 4 + y1 + 1;
    }
    n -= y1 * 365;
    if (part == DatePart::DayOfYear) {
        return n + 1;
    }
    const bool leap = y1 == 3 && (y4 != 24 || y100 == 3);
    const int* table = leap ? DaysToMonth366 : DaysToMonth365;
    int month = n >> 6;
    while (n >= table[month]) {
        ++month;
    }
    if (part == DatePart::Month) {
        return month;
    }
    return n - table[month - 1] + 1;
}

int DateTime::DayOfWeek() const {
    return static_cast<int>((Ticks() / static_cast<std::uint64_t>(TimeSpan::TicksPerDay) + 1) % 7);
}

int DateTime::Hour() const {
    return static_cast<int>((Ticks() / static_cast<std::uint64_t>(TimeSpan::TicksPerHour)) % 24);
}

int DateTime::Minute() const {
    return static_cast<int>((Ticks() / static_cast<std::uint64_t>(TimeSpan::TicksPerMinute)) % 60);
}

int DateTime::Second() const {
    return static_cast<int>((Ticks() / static_cast<std::uint64_t>(TimeSpan::TicksPerSecond)) % 60);
}

std::int64_t DateTime::ToUnixSeconds() const {
    const auto unixEpochTicks = static_cast<std::int64_t>(UnixEpochFileTime + FileTimeOffset);
    const auto ticks = static_cast<std::int64_t>(Ticks()) - unixEpochTicks;
    // Floor division, so instants before 1970 still land on the right second.
    std::int64_t seconds = ticks / TimeSpan::TicksPerSecond;
    if (ticks % TimeSpan::TicksPerSecond < 0) {
        --seconds;
    }
    return seconds;
}

SystemTime DateTime::ToSystemTime() const {
    SystemTime result;
    result.Year = Year();
    result.Month = Month();
    result.DayOfWeek = DayOfWeek();
    result.Day = Day();
    result.Hour = Hour();
    result.Minute = Minute();
    result.Second = Second();
    result.Milliseconds = 0;
    return result;
}

std::string DateTime::ToXsdDateString() const {
    char buffer[32];
    const int length =
        std::snprintf(buffer, sizeof buffer, "%04i-%02i-%02i", Year(), Month(), Day());
    if (length < 0 || static_cast<std::size_t>(length) >= sizeof buffer) {
        static constexpr const char* Location = "DateTime::ToXsdDateString (447)";
        RaiseError(Location);
    }
    return std::string(buffer, static_cast<std::size_t>(length));
}

bool DateTime::IsWithin48Hours() const {
    return IsWithin48Hours(UtcNow());
}

bool DateTime::IsWithin48Hours(const DateTime& utcNow) const {
    // Ticks stay below 2^62, so the sum cannot overflow where operator + would raise.
    const auto limit = static_cast<std::int64_t>(Ticks()) + 48 * TimeSpan::TicksPerHour;
    return limit > static_cast<std::int64_t>(utcNow.Ticks());
}

DateTime DateTime::operator+(TimeSpan span) const {
    std::uint64_t ticks = 0;
    if (!AddTicks(Ticks(), span.Ticks(), ticks)) {
        static constexpr const char* Location = "DateTime::operator + (337)";
        throw ArgumentOutOfRangeException(Location);
    }
    return FromTicks(ticks, GetKind());
}

DateTime DateTime::operator-(TimeSpan span) const {
    std::uint64_t ticks = 0;
    if (span.Ticks() == INT64_MIN || !AddTicks(Ticks(), -span.Ticks(), ticks)) {
        static constexpr const char* Location = "DateTime::operator - (328)";
        throw ArgumentOutOfRangeException(Location);
    }
    return FromTicks(ticks, GetKind());
}

TimeSpan DateTime::operator-(const DateTime& other) const {
    return TimeSpan(static_cast<std::int64_t>(Ticks()) - static_cast<std::int64_t>(other.Ticks()));
}
