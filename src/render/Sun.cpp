#include "render/Sun.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

namespace {

constexpr double Pi = 3.141592653589793;
constexpr double MinutesPerDay = 1440.0;

double Radians(double degrees) {
    return degrees * Pi / 180.0;
}

double Degrees(double radians) {
    return radians * 180.0 / Pi;
}

double JulianCenturies(double julianDay) {
    return (julianDay - 2451545.0) / 36525.0;
}

// Julian day at 0 h UTC of the calendar date, Gregorian calendar.
double JulianDayOfDate(const DateTime& date) {
    // The night mask asks for one date for every row and level, and taking a
    // date apart costs more than the rest of this.
    thread_local std::uint64_t lastDay = ~std::uint64_t{0};
    thread_local double lastJulianDay = 0.0;
    const std::uint64_t day = date.Ticks() / static_cast<std::uint64_t>(TimeSpan::TicksPerDay);
    if (day == lastDay) {
        return lastJulianDay;
    }
    int year = date.Year();
    int month = date.Month();
    if (month <= 2) {
        year -= 1;
        month += 12;
    }
    const int a = year / 100;
    const int b = 2 - a + a / 4;
    lastJulianDay = std::floor(365.25 * (year + 4716)) + std::floor(30.6001 * (month + 1)) +
                    date.Day() + b - 1524.5;
    lastDay = day;
    return lastJulianDay;
}

double GeometricMeanLongitude(double t) {
    double l0 = 280.46646 + t * (36000.76983 + 0.0003032 * t);
    if (l0 < 0.0) {
        l0 += 360.0 * (std::trunc(l0 / -360.0) + 1.0);
    }
    return std::fmod(l0, 360.0);
}

double MeanAnomaly(double t) {
    return 357.52911 + t * (35999.05029 - 0.0001537 * t);
}

double Eccentricity(double t) {
    return 0.016708634 - t * (0.000042037 + 0.0000001267 * t);
}

double Omega(double t) {
    return 125.04 - 1934.136 * t;
}

double MeanObliquity(double t) {
    return 23.0 + (26.0 + (21.448 - t * (46.815 + t * (0.00059 - 0.001813 * t))) / 60.0) / 60.0;
}

struct SunAt {
    double Declination;
    double EquationOfTime;
};

// Declination and equation of time share most of their terms; each is computed
// once, by the very expressions the two would use on their own.
SunAt SunPosition(double t) {
    const double omega = Radians(Omega(t));
    const double obliquity = MeanObliquity(t) + 0.00256 * std::cos(omega);
    const double meanLongitude = GeometricMeanLongitude(t);
    const double m = Radians(MeanAnomaly(t));
    const double sinM = std::sin(m);
    const double sin2M = std::sin(2.0 * m);
    const double centre = sinM * (1.914602 - t * (0.004817 + 0.000014 * t)) +
                          sin2M * (0.019993 - 0.000101 * t) + std::sin(3.0 * m) * 0.000289;
    const double apparentLongitude = meanLongitude + centre - 0.00569 - 0.00478 * std::sin(omega);
    const double declination =
        Degrees(std::asin(std::sin(Radians(obliquity)) * std::sin(Radians(apparentLongitude))));

    const double y = std::pow(std::tan(Radians(obliquity) / 2.0), 2.0);
    const double l0 = Radians(meanLongitude);
    const double e = Eccentricity(t);
    const double value = y * std::sin(2.0 * l0) - 2.0 * e * sinM +
                         4.0 * e * y * sinM * std::cos(2.0 * l0) -
                         0.5 * y * y * std::sin(4.0 * l0) - 1.25 * e * e * sin2M;
    // Minutes by which true solar time runs ahead of mean solar time.
    return {declination, 4.0 * Degrees(value)};
}

struct AngleTerms {
    double Cos;
    double Tan;
};

AngleTerms TermsOf(double degrees) {
    const double radians = Radians(degrees);
    return {std::cos(radians), std::tan(radians)};
}

// Not a number when the sun stays on one side of the zenith circle all day.
double HourAngle(const AngleTerms& latitude, const AngleTerms& declination, double cosZenith) {
    return std::acos(cosZenith / (latitude.Cos * declination.Cos) - latitude.Tan * declination.Tan);
}

// The sun's position with the terms of its declination that the hour angle needs.
struct SunWithTerms {
    SunAt Sun;
    AngleTerms Declination;
};

SunWithTerms WithTerms(const SunAt& sun) {
    return {sun, TermsOf(sun.Declination)};
}

// The solar noon of one day, in minutes after 0 h UTC, and the sun then.
struct Noon {
    double Minutes;
    SunWithTerms Sun;
};

template <class Position>
Noon NoonOf(const Position& position, double julianDay, double longitudeWest) {
    const double tnoon = JulianCenturies(julianDay + longitudeWest / 360.0);
    const double noon1 = 720.0 + 4.0 * longitudeWest - position(tnoon).EquationOfTime;
    const double t2 = JulianCenturies(julianDay - 0.5 + noon1 / MinutesPerDay);
    const double minutes = 720.0 + 4.0 * longitudeWest - position(t2).EquationOfTime;
    const SunAt sun = position(JulianCenturies(julianDay + minutes / MinutesPerDay));
    return {minutes, WithTerms(sun)};
}

// The sun's position as the model gives it. A picture's night mask asks for the
// noon of one date and longitude for every row and level; the functions are
// pure, so the last noon serves unchanged.
struct ModelPosition {
    SunAt operator()(double t) const { return SunPosition(t); }
    SunWithTerms WithTermsAt(double t) const { return WithTerms(SunPosition(t)); }

    const Noon& NoonOfDay(double julianDay, double longitudeWest) const {
        thread_local double lastDay = std::nan("");
        thread_local double lastLongitude = std::nan("");
        thread_local Noon last{};
        if (julianDay != lastDay || longitudeWest != lastLongitude) {
            last = NoonOf(*this, julianDay, longitudeWest);
            lastDay = julianDay;
            lastLongitude = longitudeWest;
        }
        return last;
    }
};

// Minutes after 0 h UTC of the day; may lie outside that day. The second pass
// takes the sun's position at the first estimate.
template <class Position>
double CrossingTime(const Position& position, double sign, double julianDay,
                    const AngleTerms& latitude, double longitudeWest, double cosZenith,
                    double noonHourAngle, double noonEquationOfTime) {
    const double first = 720.0 + 4.0 * (longitudeWest + sign * noonHourAngle) - noonEquationOfTime;
    const SunWithTerms atFirst =
        position.WithTermsAt(JulianCenturies(julianDay + first / MinutesPerDay));
    const double hourAngle = Degrees(HourAngle(latitude, atFirst.Declination, cosZenith));
    return 720.0 + 4.0 * (longitudeWest + sign * hourAngle) - atFirst.Sun.EquationOfTime;
}

// The rise and set around the solar noon of one day, in minutes after 0 h UTC of that day.
// Not numbers when the sun stays on one side of the zenith circle.
struct SolarDay {
    double Rise;
    double Set;

    bool HasCrossings() const { return !std::isnan(Rise) && !std::isnan(Set); }
};

template <class Position>
SolarDay CrossingsOfDay(const Position& position, double julianDay, const AngleTerms& latitudeTerms,
                        double longitudeWest, double cosZenith) {
    const SunWithTerms atNoon = position.NoonOfDay(julianDay, longitudeWest).Sun;
    const double noonHourAngle = Degrees(HourAngle(latitudeTerms, atNoon.Declination, cosZenith));
    const double equationOfTime = atNoon.Sun.EquationOfTime;
    return {CrossingTime(position, -1.0, julianDay, latitudeTerms, longitudeWest, cosZenith,
                         noonHourAngle, equationOfTime),
            CrossingTime(position, 1.0, julianDay, latitudeTerms, longitudeWest, cosZenith,
                         noonHourAngle, equationOfTime)};
}

double NormaliseMinutes(double minutes) {
    // fmod would return a time already within the day unchanged.
    if (minutes >= 0.0 && minutes < MinutesPerDay) {
        return minutes;
    }
    if (minutes < 0.0) {
        minutes += MinutesPerDay - std::trunc(minutes / MinutesPerDay) * MinutesPerDay;
    }
    return std::fmod(minutes, MinutesPerDay);
}

}  // namespace

namespace {

template <class Position>
void SunriseSunset(const Position& position, double latitude, double longitude,
                   const DateTime& date, double cosZenith, Nullable<DateTime>& sunrise,
                   Nullable<DateTime>& sunset) {
    sunrise.Reset();
    sunset.Reset();
    if (!(latitude >= -90.0 && latitude <= 90.0 && longitude >= -180.0 && longitude <= 180.0)) {
        static constexpr const char* Location = "CSun::GetSunriseSunset (389)";
        throw ArgumentException(Location);
    }
    // At the poles the tangent of the latitude is infinite.
    latitude = std::clamp(latitude, -89.0, 89.0);

    const double longitudeWest = -longitude;
    const double julianDay = JulianDayOfDate(date);
    // The night mask asks for every level of one latitude in turn.
    thread_local double lastLatitude = std::nan("");
    thread_local AngleTerms latitudeTerms{};
    if (latitude != lastLatitude) {
        latitudeTerms = TermsOf(latitude);
        lastLatitude = latitude;
    }
    SolarDay day = CrossingsOfDay(position, julianDay, latitudeTerms, longitudeWest, cosZenith);
    if (!day.HasCrossings()) {
        return;
    }
    // Far from Greenwich the rise around the date's solar noon can fall on the day before or
    // after. Moved onto the date unchanged it would be off by a day's drift, minutes at high
    // latitudes, so take the crossings of the solar day whose rise does fall on the date.
    // Where that neighbouring day has no crossings (polar night or day begins), keep the
    // wrapped value rather than report none for a place that does see the sun cross.
    const double daysAway = std::floor(day.Rise / MinutesPerDay);
    if (daysAway != 0.0) {
        const SolarDay neighbour =
            CrossingsOfDay(position, julianDay - daysAway, latitudeTerms, longitudeWest, cosZenith);
        if (neighbour.HasCrossings()) {
            day = neighbour;
        }
    }

    const double riseMinutes = NormaliseMinutes(day.Rise);
    if (!(riseMinutes >= 0.0 && riseMinutes < MinutesPerDay)) {
        static constexpr const char* Location = "CSun::GetSunriseSunset (427)";
        RaiseError(Location);
    }
    const double dayLength = NormaliseMinutes(day.Set - day.Rise);
    if (!(dayLength > 0.0 && dayLength < MinutesPerDay)) {
        static constexpr const char* Location = "CSun::GetSunriseSunset (441)";
        RaiseError(Location);
    }

    const DateTime midnight = DateTime::FromTicks(date.Date().Ticks(), DateTime::Kind::Utc);
    sunrise = midnight + TimeSpan::Interval(riseMinutes);
    sunset = midnight + TimeSpan::Interval(riseMinutes + dayLength);
}

}  // namespace

void CSun::GetSunriseSunset(double latitude, double longitude, const DateTime& date,
                            double cosZenith, Nullable<DateTime>& sunrise,
                            Nullable<DateTime>& sunset) {
    SunriseSunset(ModelPosition{}, latitude, longitude, date, cosZenith, sunrise, sunset);
}

// The sun's position over the days around one date, sampled every few minutes:
// declination and equation of time change so smoothly that between samples a
// straight line is off by far less than a second of any crossing.
class SunTable::Samples {
public:
    static constexpr double StepDays = 5.0 / MinutesPerDay;

    explicit Samples(const DateTime& date) : date_(date.Date()) {
        const double julianDay = JulianDayOfDate(date_);
        first_ = julianDay - 2.0;
        const auto count = static_cast<std::size_t>(5.0 / StepDays) + 2;
        samples_.reserve(count);
        for (std::size_t index = 0; index < count; ++index) {
            samples_.push_back(WithTerms(SunPosition(JulianCenturies(first_ + index * StepDays))));
        }
        for (int offset = -1; offset <= 1; ++offset) {
            noons_[offset + 1] = NoonOf(*this, julianDay + offset, 0.0);
        }
        noonDay_ = julianDay;
    }

    SunAt operator()(double t) const { return WithTermsAt(t).Sun; }

    // The declination's terms are sampled too: between samples they are as
    // straight as the declination itself.
    SunWithTerms WithTermsAt(double t) const {
        const double position = (t * 36525.0 + 2451545.0 - first_) / StepDays;
        const double whole = std::floor(position);
        if (!(whole >= 0.0 && whole + 1.0 < static_cast<double>(samples_.size()))) {
            return WithTerms(SunPosition(t));
        }
        const auto index = static_cast<std::size_t>(whole);
        const double fraction = position - whole;
        const SunWithTerms& a = samples_[index];
        const SunWithTerms& b = samples_[index + 1];
        const auto between = [fraction](double from, double to) {
            return from + (to - from) * fraction;
        };
        return {{between(a.Sun.Declination, b.Sun.Declination),
                 between(a.Sun.EquationOfTime, b.Sun.EquationOfTime)},
                {between(a.Declination.Cos, b.Declination.Cos),
                 between(a.Declination.Tan, b.Declination.Tan)}};
    }

    Noon NoonOfDay(double julianDay, double longitudeWest) const {
        const double offset = julianDay - noonDay_;
        if (longitudeWest == 0.0 && (offset == -1.0 || offset == 0.0 || offset == 1.0)) {
            return noons_[static_cast<std::size_t>(offset + 1.0)];
        }
        return NoonOf(*this, julianDay, longitudeWest);
    }

    const DateTime& Date() const { return date_; }

private:
    DateTime date_;
    double first_ = 0.0;
    std::vector<SunWithTerms> samples_;
    double noonDay_ = 0.0;
    std::array<Noon, 3> noons_{};
};

SunTable::SunTable(const DateTime& date) : samples_(std::make_shared<Samples>(date)) {}

void SunTable::GetSunriseSunset(double latitude, double longitude, const DateTime& date,
                                double cosZenith, Nullable<DateTime>& sunrise,
                                Nullable<DateTime>& sunset) const {
    if (date.Date() != samples_->Date()) {
        CSun::GetSunriseSunset(latitude, longitude, date, cosZenith, sunrise, sunset);
        return;
    }
    SunriseSunset(*samples_, latitude, longitude, date, cosZenith, sunrise, sunset);
}

bool CSun::IsPolarDay(const DateTime& date, double latitude) {
    const int day = date.DayOfYear();
    if (latitude > 0.0) {
        return day >= 81 && day <= 264;
    }
    if (latitude < 0.0) {
        return day <= 79 || day >= 266;
    }
    static constexpr const char* Location = "CSun::IsPolarDay (502)";
    RaiseError(Location);
}

bool CSun::IsDaylight(double latitude, double longitude, const DateTime& moment) {
    Nullable<DateTime> sunrise;
    Nullable<DateTime> sunset;
    GetSunriseSunset(latitude, longitude, moment, CosZenithCivilTwilight, sunrise, sunset);
    if (!sunrise.HasValue() || !sunset.HasValue()) {
        return IsPolarDay(moment, latitude);
    }
    const TimeSpan oneDay(TimeSpan::TicksPerDay);
    const DateTime& rise = sunrise.Value();
    const DateTime& set = sunset.Value();
    // A day that straddles UTC midnight is seen from both of its dates.
    return (moment >= rise && moment <= set) ||
           (moment >= rise - oneDay && moment <= set - oneDay) ||
           (moment >= rise + oneDay && moment <= set + oneDay);
}
