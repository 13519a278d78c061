#include "weather/WeatherDownloadWork.h"

#include <chrono>
#include <utility>

#include "core/Exceptions.h"
#include "core/WorkStop.h"
#include "weather/WeatherLog.h"

namespace {

// Counting starts at 1, so the main thread redraws after the 2nd, 4th, 9th,
// 14th ... successful city: early feedback, then every five.
bool IsAnnouncedCount(int counter) {
    return counter == 3 || counter % 5 == 0;
}

}  // namespace

CWeatherDownloadWork::CWeatherDownloadWork(IWeatherResultSink& sink,
                                           WeatherServiceFactory makeService)
    : Sleep([](int milliseconds) { WorkStop::SleepFor(std::chrono::milliseconds(milliseconds)); }),
      sink_(sink),
      makeService_(std::move(makeService)) {}

void CWeatherDownloadWork::DoWork() {
    std::unique_ptr<IWeatherService> service;
    try {
        if (makeService_) {
            service = makeService_();
        }
    } catch (...) {
        qCWarning(lcWeather) << "no weather client:" << CurrentExceptionText().c_str();
        service.reset();
    }
    if (service) {
        try {
            FetchAll(*service);
        } catch (...) {
            qCWarning(lcWeather) << "the weather round failed:" << CurrentExceptionText().c_str();
        }
        try {
            service.reset();
        } catch (...) {
            qCWarning(lcWeather) << "the weather client failed as it ended:"
                                 << CurrentExceptionText().c_str();
        }
    }
    try {
        sink_.PostWeatherDone();
    } catch (...) {
        qCWarning(lcWeather) << "the weather's news was not posted:"
                             << CurrentExceptionText().c_str();
    }
}

void CWeatherDownloadWork::FetchAll(IWeatherService& service) {
    for (const WeatherRequest& request : ForecastRequests) {
        if (WorkStop::Requested()) {
            return;
        }
        std::unique_ptr<CWeatherReport> report;
        try {
            report = service.GetCurrentWeatherAndForecast(request);
        } catch (...) {
            qCWarning(lcWeather) << "weather and forecast of" << request.Station.c_str()
                                 << "failed:" << CurrentExceptionText().c_str();
            report.reset();
        }
        if (!report) {
            Pause();
            continue;
        }
        // The report belongs to the city that was asked for, whatever the client filled in.
        report->CityId = request.Id;
        sink_.PushWeatherResult(std::move(report), PostPartialResults);
    }

    int counter = 1;
    for (const WeatherRequest& request : CurrentRequests) {
        if (WorkStop::Requested()) {
            return;
        }
        auto report = std::make_unique<CWeatherReport>();
        report->CityId = request.Id;
        try {
            report->Current = service.GetCurrentWeather(request);
        } catch (...) {
            qCWarning(lcWeather) << "weather of" << request.Station.c_str()
                                 << "failed:" << CurrentExceptionText().c_str();
            Pause();
            continue;
        }
        ++counter;
        sink_.PushWeatherResult(std::move(report), PostPartialResults && IsAnnouncedCount(counter));
    }
}

void CWeatherDownloadWork::Pause() const {
    if (Sleep) {
        Sleep(FailurePauseMilliseconds);
    }
}
