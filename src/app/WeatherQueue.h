#pragma once

#include <memory>

#include "core/AppKind.h"
#include "core/DateTime.h"
#include "weather/WeatherDownloadWork.h"

class COptions;

// Weather older than this is asked for again.
inline constexpr int WeatherDueMinutes = 60;

// The item for every city whose weather is due at utcNow, or null when none
// is. Only the home city gets a forecast; favourites are considered only
// while weather is shown, and not by a weather-edition screen saver.
std::unique_ptr<CWeatherDownloadWork> MakeWeatherDownloadWork(
    const COptions& options, EnumAppKind kind, EnumAppMode mode, DateTime utcNow,
    bool postPartialResults, IWeatherResultSink& sink, WeatherServiceFactory makeService);

// The home city's current conditions whatever their age; null without a home city.
std::unique_ptr<CWeatherDownloadWork> MakeHomeWeatherDownloadWork(
    const COptions& options, IWeatherResultSink& sink, WeatherServiceFactory makeService);
