#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/Work.h"
#include "weather/CurrentWeather.h"
#include "weather/Forecast.h"

// What the worker needs of a city, copied when the item is made so that the
// main thread may edit its cities while the item runs.
struct WeatherRequest {
    std::int32_t Id = 0;
    float Latitude = 0.0F;
    float Longitude = 0.0F;
    std::string Station;
    // The NDFD forecast covers only the USA; elsewhere the worldwide service
    // answers alone.
    bool InUsa = false;
};

// One city's results on their way to the main thread. A half that was not
// received keeps its initial report time and so never replaces anything.
class CWeatherReport {
public:
    std::int32_t CityId = 0;
    CCurrentWeather Current;
    CForecast Forecast;
};

// The weather client one work item fetches through; it lives for one DoWork.
class IWeatherService {
public:
    virtual CCurrentWeather GetCurrentWeather(const WeatherRequest& request) = 0;
    // Raises only when both halves failed.
    virtual std::unique_ptr<CWeatherReport> GetCurrentWeatherAndForecast(
        const WeatherRequest& request) = 0;
    virtual ~IWeatherService() = default;
};

// Where the worker hands its reports to; called on the worker thread.
class IWeatherResultSink {
public:
    virtual void PushWeatherResult(std::unique_ptr<CWeatherReport> report, bool postNow) = 0;
    virtual void PostWeatherDone() = 0;
    virtual ~IWeatherResultSink() = default;
};

// Makes the weather client; raising or returning null means it cannot be made.
using WeatherServiceFactory = std::function<std::unique_ptr<IWeatherService>()>;

class CWeatherDownloadWork : public IWork {
public:
    static constexpr int FailurePauseMilliseconds = 1000;

    // The sink must outlive the item.
    CWeatherDownloadWork(IWeatherResultSink& sink, WeatherServiceFactory makeService);

    void DoWork() override;

    bool PostPartialResults = false;
    // Current conditions and a forecast.
    std::vector<WeatherRequest> ForecastRequests;
    // Current conditions only.
    std::vector<WeatherRequest> CurrentRequests;
    // The pause after a failed city; replaceable so that tests need not wait.
    std::function<void(int milliseconds)> Sleep;

private:
    void FetchAll(IWeatherService& service);
    void Pause() const;

    IWeatherResultSink& sink_;
    WeatherServiceFactory makeService_;
};
