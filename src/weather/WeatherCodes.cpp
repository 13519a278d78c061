#include "weather/WeatherCodes.h"

#include <array>
#include <climits>
#include <cmath>
#include <cstdio>

namespace {

struct WeatherCodeEntry {
    const char* DisplayText;
    const char* ShortText;
    const char* DayIcon;
    const char* NightIcon;
};

// Index = code. Hot shows the clear-sky icon even at night, on purpose.
constexpr std::array<WeatherCodeEntry, WeatherCodeCount> Table{{
    {"Clear", "Clear", "Clear.png", "Night Clear.png"},
    {"Fair", "Fair", "Fair.png", "Night Fair.png"},
    {"Fog", "Fog", "Fog.png", "Fog.png"},
    {"Haze", "Haze", "Haze.png", "Haze.png"},
    {"Partly Cloudy", "Partly Cloudy", "Partly Cloudy.png", "Night Partly Cloudy.png"},
    {"Mostly Cloudy", "Mostly Cloudy", "Mostly Cloudy.png", "Night Mostly Cloudy.png"},
    {"Cloudy", "Cloudy", "Cloudy.png", "Cloudy.png"},
    {"Cold", "Cold", "Cold.png", "Cold.png"},
    {"Hot", "Hot", "Clear.png", "Clear.png"},
    {"Windy", "Windy", "Windy.png", "Windy.png"},
    {"Rain Showers", "Rain", "Rain Showers.png", "Rain Showers.png"},
    {"Snow Showers", "Snow", "Snow.png", "Snow.png"},
    {"Hail Showers", "Hail", "Hail.png", "Hail.png"},
    {"Rain", "Rain", "Rain.png", "Rain.png"},
    {"Snow", "Snow", "Snow.png", "Snow.png"},
    {"Rain and Snow", "Snow", "Rain and Snow.png", "Rain and Snow.png"},
    {"Hail", "Hail", "Hail.png", "Hail.png"},
    {"Thunderstorms", "Thunderstorms", "Thunderstorms.png", "Thunderstorms.png"},
    {"Tornado", "Tornado", "Thunderstorms.png", "Thunderstorms.png"},
}};

// Codes arrive from parsers and files, so a value outside the enumeration is possible.
const WeatherCodeEntry* Find(const Nullable<EnumWeatherCode>& code) {
    if (!code.HasValue()) {
        return nullptr;
    }
    const auto index = static_cast<std::int32_t>(code.Value());
    if (index < 0 || index >= WeatherCodeCount) {
        return nullptr;
    }
    return &Table[static_cast<std::size_t>(index)];
}

}  // namespace

std::string DisplayText(const Nullable<EnumWeatherCode>& code) {
    const WeatherCodeEntry* entry = Find(code);
    return entry != nullptr ? entry->DisplayText : "";
}

std::string ShortText(const Nullable<EnumWeatherCode>& code) {
    const WeatherCodeEntry* entry = Find(code);
    return entry != nullptr ? entry->ShortText : "";
}

std::string IconFileName(const Nullable<EnumWeatherCode>& code, bool isDay) {
    const WeatherCodeEntry* entry = Find(code);
    if (entry == nullptr) {
        return "";
    }
    return isDay ? entry->DayIcon : entry->NightIcon;
}

std::string TemperatureText(float celsius, bool metric) {
    const double degrees = metric ? celsius : static_cast<double>(celsius) * 1.8 + 32.0;
    // A damaged report must not turn into an undefined conversion to int.
    if (!std::isfinite(degrees)) {
        return "--";
    }
    const double rounded = std::round(degrees);
    const int whole = rounded >= static_cast<double>(INT_MAX)   ? INT_MAX
                      : rounded <= static_cast<double>(INT_MIN) ? INT_MIN
                                                                : static_cast<int>(rounded);
    char text[16];
    std::snprintf(text, sizeof text, "%i", whole);
    return std::string(text) + "\u00B0";
}

std::string TemperatureText(const Nullable<float>& celsius, bool metric) {
    return celsius.HasValue() ? TemperatureText(celsius.Value(), metric) : "--";
}
