#include "app/WorkResults.h"

#include <utility>

#include "app/Program.h"
#include "data/FavouriteCities.h"
#include "data/Options.h"

WorkResults::WorkResults(QObject* parent) : QObject(parent) {}

WorkResults::~WorkResults() = default;

void WorkResults::PushWeatherResult(std::unique_ptr<CWeatherReport> report, bool postNow) {
    if (!report || Program::IsExiting()) {
        return;
    }
    {
        std::lock_guard lock(resultLock_);
        results_.push_back(std::move(*report));
    }
    if (postNow) {
        PostWeatherPartial();
    }
}

void WorkResults::PostWeatherDone() {
    if (!Program::IsExiting()) {
        emit weatherDone();
    }
}

bool WorkResults::PostWeatherPartial() {
    if (Program::IsExiting()) {
        return false;
    }
    emit weatherPartial();
    return true;
}

bool WorkResults::PostCloudImage(QImage layer) {
    if (Program::IsExiting() || layer.isNull()) {
        return false;
    }
    emit cloudImageReady(std::move(layer));
    return true;
}

bool WorkResults::PostNewVersion() {
    if (Program::IsExiting()) {
        return false;
    }
    emit newVersionAvailable();
    return true;
}

bool WorkResults::TakeWeatherResults(COptions& options) {
    std::vector<CWeatherReport> taken;
    {
        std::lock_guard lock(resultLock_);
        taken.swap(results_);
    }
    for (const CWeatherReport& report : taken) {
        MergeWeather(report.CityId, report.Current, report.Forecast, options.HomeCity.Get(),
                     options.Cities.Get());
    }
    return !taken.empty();
}
