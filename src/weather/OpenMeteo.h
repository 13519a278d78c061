#pragma once

#include <string>

#include "core/DateTime.h"
#include "weather/Forecast.h"

// The worldwide forecast service, for every place the NDFD forecast does not
// cover: Open-Meteo's forecast API, free for non-commercial programs and
// without a key.
namespace OpenMeteo {

inline constexpr const char* DefaultForecastUrl = "https://api.open-meteo.com/v1/forecast";
// Its data are CC BY 4.0: this line goes wherever its forecast is shown.
inline constexpr const char* Credit = "Weather data by Open-Meteo.com";
// Seven days, a day and a night period each: as many as the NDFD forecast has.
inline constexpr int MaxPeriods = 14;

// The service address; a non-empty SKYVANE_WORLD_FORECAST_URL replaces the default.
std::string ForecastUrl();

// The request of one place: hourly temperatures and weather codes in Celsius on
// the place's own clock, eight days from its midnight, so that the seventh
// night is whole.
std::string RequestUrl(const std::string& serviceUrl, float latitude, float longitude);

// Fills the forecast with the answer's 12-hour periods, day 06:00 to 18:00 and
// night 18:00 to 06:00 at the place, from the one under way at utcNow on, at
// most MaxPeriods: each with the most significant weather of its hours and,
// like the NDFD forecast, its date's highest day and lowest night temperature.
// Only periods whose hours the answer spans are made; a value that is missing,
// not finite, out of range or an unknown code only leaves its hour without it,
// and a value array whose length is not the time array's is not used at all.
// Raises "OpenMeteo::ParseForecast (N)" for an answer it cannot read or one
// without any period; the forecast then keeps its 1990-01-01 time.
void ParseForecast(const std::string& answer, const DateTime& utcNow, CForecast& forecast);

// Downloads and parses the forecast of the place through the program's HTTP
// transfers (their limits, the stop of the worker's work, 1 MiB of text);
// raises when either fails, the forecast then emptied and at its 1990-01-01 time.
void GetForecast(float latitude, float longitude, CForecast& forecast);

}  // namespace OpenMeteo
