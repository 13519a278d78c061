#pragma once

#include <memory>
#include <string>
#include <vector>

#include "net/Internet.h"
#include "weather/WeatherDownloadWork.h"

// Where the station files are published when nothing else is configured.
inline constexpr const char* DefaultMetarStationsUrl =
    "https://tgftp.nws.noaa.gov/data/observations/metar/stations/";

// The folder URL of the station files: a non-empty SKYVANE_METAR_URL wins.
std::string MetarStationsUrl();

struct NdfdRequestParts;
// The forecast service at each of its addresses in turn until one answers; a redirect
// (which would turn the POST into a GET) fails like any other answer. The last
// failure is raised; a stop of the thread's work ends the turns at once.
std::string CallForecastService(const std::vector<std::string>& endpoints,
                                const NdfdRequestParts& parts);

// The weather client of one weather run, used from one thread: every station
// file goes through the one kept-alive connection, each forecast is a SOAP call
// of its own.
class WeatherServiceNoaa : public IWeatherService {
public:
    // Raises "AfxThrowInternetException (11)" when the session or connection fails.
    WeatherServiceNoaa();
    ~WeatherServiceNoaa() override;

    CCurrentWeather GetCurrentWeather(const WeatherRequest& request) override;
    void GetForecast(const WeatherRequest& request, CForecast& forecast);
    // NDFD's forecast in the USA; elsewhere, and where NDFD fails or has no
    // period, the worldwide service's.
    void GetForecastForPlace(const WeatherRequest& request, CForecast& forecast);
    // Raises "WeatherServiceNoaa::GetCurrentWeatherAndForecast (69)" only when
    // both halves fail.
    std::unique_ptr<CWeatherReport> GetCurrentWeatherAndForecast(
        const WeatherRequest& request) override;

    // The station's object path on the connection's server.
    std::string StationPath(const std::string& station) const;

private:
    InternetSession session_;
    std::unique_ptr<HttpConnection> connection_;
    std::string stationsPath_;
};

std::unique_ptr<IWeatherService> MakeWeatherServiceNoaa();
