#include "app/WeatherQueue.h"

#include <utility>

#include "data/City.h"
#include "data/Options.h"

namespace {

WeatherRequest RequestFor(const City& city) {
    return WeatherRequest{city.Id, city.Latitude, city.Longitude, city.Station,
                          city.Country == "USA"};
}

bool IsScreenSaverMode(EnumAppMode mode) {
    return mode != EnumAppMode::Desktop;
}

}  // namespace

std::unique_ptr<CWeatherDownloadWork> MakeWeatherDownloadWork(
    const COptions& options, EnumAppKind kind, EnumAppMode mode, DateTime utcNow,
    bool postPartialResults, IWeatherResultSink& sink, WeatherServiceFactory makeService) {
    if (!options.ShowWeather) {
        // Without weather on the map only the weather edition and the desktop
        // program still need the home city's weather.
        if (kind != EnumAppKind::Weather && IsScreenSaverMode(mode)) {
            return nullptr;
        }
        postPartialResults = false;
    }
    const DateTime dueLimit = utcNow - TimeSpan(0, WeatherDueMinutes, 0);
    const auto isStale = [&dueLimit](const DateTime& reportTime) { return reportTime < dueLimit; };

    auto work = std::make_unique<CWeatherDownloadWork>(sink, std::move(makeService));
    work->PostPartialResults = postPartialResults;

    if (const City* home = options.HomeCity.Get()) {
        if (isStale(home->Forecast.ReportDateTime)) {
            work->ForecastRequests.push_back(RequestFor(*home));
        } else if (isStale(home->CurrentWeather.ReportDateTime)) {
            work->CurrentRequests.push_back(RequestFor(*home));
        }
    }
    const bool favouritesWanted =
        options.ShowWeather && !(kind == EnumAppKind::Weather && IsScreenSaverMode(mode));
    if (favouritesWanted && options.Cities) {
        for (const City& city : *options.Cities) {
            if (isStale(city.CurrentWeather.ReportDateTime)) {
                work->CurrentRequests.push_back(RequestFor(city));
            }
        }
    }
    if (work->ForecastRequests.empty() && work->CurrentRequests.empty()) {
        return nullptr;
    }
    return work;
}

std::unique_ptr<CWeatherDownloadWork> MakeHomeWeatherDownloadWork(
    const COptions& options, IWeatherResultSink& sink, WeatherServiceFactory makeService) {
    const City* home = options.HomeCity.Get();
    if (home == nullptr) {
        return nullptr;
    }
    auto work = std::make_unique<CWeatherDownloadWork>(sink, std::move(makeService));
    work->PostPartialResults = false;
    work->CurrentRequests.push_back(RequestFor(*home));
    return work;
}
