#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "Arguments.h"
#include "Commands.h"
#include "core/Exceptions.h"
#include "core/Nullable.h"
#include "render/Sun.h"

namespace {

constexpr double Pi = 3.141592653589793;

std::string JsonTime(const Nullable<DateTime>& moment) {
    return moment.HasValue() ? "\"" + FormatUtcTime(moment.Value()) + "\"" : "null";
}

// Null at the equator, which has neither polar day nor polar night.
std::string JsonPolarDay(const DateTime& date, double latitude) {
    try {
        return CSun::IsPolarDay(date, latitude) ? "true" : "false";
    } catch (const ApplicationException&) {
        return "null";
    }
}

void PrintCrossings(double latitude, double longitude, const DateTime& date, double cosZenith) {
    Nullable<DateTime> sunrise;
    Nullable<DateTime> sunset;
    CSun::GetSunriseSunset(latitude, longitude, date, cosZenith, sunrise, sunset);
    // The cosine was checked to be a finite number when it was read.
    std::printf("{\"cos_zenith\": %.17g, \"sunrise\": %s, \"sunset\": %s, \"polar_day\": %s}\n",
                cosZenith, JsonTime(sunrise).c_str(), JsonTime(sunset).c_str(),
                JsonPolarDay(date, latitude).c_str());
}

}  // namespace

int RunSun(const std::vector<std::string>& arguments) {
    if (arguments.size() != 3 && arguments.size() != 4) {
        throw BadArguments("expects LAT LON YYYY-MM-DD [COS_ZENITH]");
    }
    const double latitude = ParseNumberInRange(arguments[0], "latitude", -90.0, 90.0);
    const double longitude = ParseNumberInRange(arguments[1], "longitude", -180.0, 180.0);
    const DateTime date = ParseUtcDate(arguments[2]);
    if (arguments.size() == 4) {
        PrintCrossings(latitude, longitude, date,
                       ParseNumberInRange(arguments[3], "cosine of the zenith", -1.0, 1.0));
        return 0;
    }
    // The standard sunrise (centre of the sun 50' below the horizon), then civil twilight.
    PrintCrossings(latitude, longitude, date, std::cos(90.833 * Pi / 180.0));
    PrintCrossings(latitude, longitude, date, CSun::CosZenithCivilTwilight);
    return 0;
}
