#pragma once

#include <memory>

#include "core/DateTime.h"
#include "core/Nullable.h"

// When the sun crosses a zenith circle at a place, and whether it is day there.
// Low-precision solar model (mean elements, two-pass hour angle); all times UTC.
class CSun {
public:
    // cos(96 degrees): the civil-twilight circle that separates day from night. A literal, so
    // that no order of static initialisation can see it unset.
    static constexpr double CosZenithCivilTwilight = -0.10452846326765333;

    // Crossings of the circle of the given zenith cosine on the UTC date of `date`
    // (its time of day is ignored): the sunrise lies on that date, the sunset follows
    // it within a day. Both stay without value when the sun does not cross the circle.
    static void GetSunriseSunset(double latitude, double longitude, const DateTime& date,
                                 double cosZenith, Nullable<DateTime>& sunrise,
                                 Nullable<DateTime>& sunset);

    // For a place without crossings: polar day (true) or polar night (false) by the
    // day of the year alone. Raises at latitude 0, which has neither.
    static bool IsPolarDay(const DateTime& date, double latitude);

    // True when the UTC moment lies between civil dawn and dusk at the place (a day that
    // straddles UTC midnight counts on both dates), or in polar day where there are none.
    static bool IsDaylight(double latitude, double longitude, const DateTime& moment);
};

// CSun::GetSunriseSunset for many places and zeniths of one UTC date, as the
// night mask asks for them: the sun's position comes from samples taken every
// few minutes over the days around the date instead of the model itself, which
// moves no crossing by more than a fraction of a second. Another date is
// answered by CSun. Copies share the samples; safe to use from several threads.
class SunTable {
public:
    explicit SunTable(const DateTime& date);

    void GetSunriseSunset(double latitude, double longitude, const DateTime& date, double cosZenith,
                          Nullable<DateTime>& sunrise, Nullable<DateTime>& sunset) const;

    class Samples;

private:
    std::shared_ptr<const Samples> samples_;
};
