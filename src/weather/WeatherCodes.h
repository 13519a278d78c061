#pragma once

#include <string>

#include "core/Nullable.h"
#include "weather/WeatherCode.h"

// Texts and icon file names of the weather codes. An absent code or a value
// outside the table gives an empty text, never a failure.

// Shown to the user: "Partly Cloudy".
std::string DisplayText(const Nullable<EnumWeatherCode>& code);
// Names the folder of background pictures: "Rain" for both kinds of rain.
std::string ShortText(const Nullable<EnumWeatherCode>& code);
// "Night Clear.png"; codes without a night form give their day icon.
std::string IconFileName(const Nullable<EnumWeatherCode>& code, bool isDay);

// Whole degrees with a degree sign ("21°"): Celsius when metric, else Fahrenheit,
// rounded half away from zero. A value that is not a number gives "--".
std::string TemperatureText(float celsius, bool metric);
// The same, and "--" when there is no temperature.
std::string TemperatureText(const Nullable<float>& celsius, bool metric);
