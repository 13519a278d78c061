#pragma once

#include <string>

#include "core/DateTime.h"
#include "core/Nullable.h"
#include "weather/Forecast.h"
#include "weather/WeatherCode.h"

// Reads the 12-hourly forecast document of the forecast service.
namespace NoaaDwml {

// Fills the forecast from the document: the periods of the weather layout with
// their summary, icon code and the day's minimum and maximum in Celsius. Raises
// "NoaaDwml::Parse12HourlyForecast (N)" for a document it cannot read; the
// forecast then keeps its 1990-01-01 time. Documents nested deeper than
// MaxNestingDepth are refused as unreadable rather than parsed.
void Parse12HourlyForecast(const std::string& dwml, CForecast& forecast);

inline constexpr int MaxNestingDepth = 256;

}  // namespace NoaaDwml

// "2013-03-27T18:00:00-04:00" read as its local wall-clock time; the zone offset
// is not looked at.
DateTime ParseXsdDateTime(const std::string& text);

// The weather code of a forecast icon, from its file name ("nsct.png" is
// PartlyCloudy); absent when the name matches nothing.
Nullable<EnumWeatherCode> IconToWeatherCode(const std::string& link);
