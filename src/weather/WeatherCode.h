#pragma once

#include <cstdint>

#include "core/Nullable.h"

// The one condition all weather is reduced to. The numeric order matters: where
// two codes compete for a report, the higher one wins.
enum class EnumWeatherCode : std::int32_t {
    Clear = 0,
    Fair = 1,
    Fog = 2,
    Haze = 3,
    PartlyCloudy = 4,
    MostlyCloudy = 5,
    Cloudy = 6,
    Cold = 7,
    Hot = 8,
    Windy = 9,
    RainShowers = 10,
    SnowShowers = 11,
    HailShowers = 12,
    Rain = 13,
    Snow = 14,
    RainAndSnow = 15,
    Hail = 16,
    Thunderstorms = 17,
    Tornado = 18,
};

// Icon and text tables hold one entry per code.
inline constexpr int WeatherCodeCount = 19;

template <>
struct NullableLocations<EnumWeatherCode> {
    static constexpr const char* Value = "Nullable<enum EnumWeatherCode>::Value (20)";
};
