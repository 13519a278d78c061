#include "app/WorkResults.h"

#include <QImage>
#include <chrono>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "app/Program.h"
#include "data/FavouriteCities.h"
#include "data/Options.h"

namespace Program {
namespace {

struct WeatherResult {
    std::unique_ptr<CWeatherReport> Report;
    bool PostNow = false;
};

struct HandBack {
    // Held only for an append or a move of the whole list, never with another lock.
    std::mutex ResultLock;
    std::vector<WeatherResult> Results;

    std::mutex PosterLock;
    IHiddenWindowPoster* Poster = nullptr;
    std::function<void(int)> RetryDelay;
};

// Never destroyed: a worker abandoned at exit may still reach it.
HandBack& Shared() {
    static HandBack* const handBack = new HandBack();
    return *handBack;
}

bool PostToHiddenWindow(unsigned message, std::uintptr_t wParam) {
    HandBack& shared = Shared();
    std::lock_guard lock(shared.PosterLock);
    if (shared.Poster == nullptr) {
        return false;
    }
    try {
        return shared.Poster->Post(message, wParam);
    } catch (...) {
        return false;
    }
}

bool HiddenWindowExists() {
    HandBack& shared = Shared();
    std::lock_guard lock(shared.PosterLock);
    try {
        return shared.Poster != nullptr && shared.Poster->Exists();
    } catch (...) {
        return false;
    }
}

void WaitBeforeRetry() {
    std::function<void(int)> delay;
    {
        HandBack& shared = Shared();
        std::lock_guard lock(shared.PosterLock);
        delay = shared.RetryDelay;
    }
    if (delay) {
        delay(CloudImageRetryMilliseconds);
    } else {
        std::this_thread::sleep_for(std::chrono::milliseconds(CloudImageRetryMilliseconds));
    }
}

bool PostUnlessExiting(unsigned message) {
    return !IsExiting() && PostToHiddenWindow(message, 0);
}

class ProgramWeatherResultSink final : public IWeatherResultSink {
public:
    void PushWeatherResult(std::unique_ptr<CWeatherReport> report, bool postNow) override {
        Program::PushWeatherResult(std::move(report), postNow);
    }
    void PostWeatherDone() override { Program::PostWeatherDone(); }
};

}  // namespace

void SetHiddenWindowPoster(IHiddenWindowPoster* poster) {
    HandBack& shared = Shared();
    std::lock_guard lock(shared.PosterLock);
    shared.Poster = poster;
}

void PushWeatherResult(std::unique_ptr<CWeatherReport> report, bool postNow) {
    if (!report || IsExiting()) {
        return;
    }
    {
        HandBack& shared = Shared();
        std::lock_guard lock(shared.ResultLock);
        shared.Results.push_back({std::move(report), postNow});
    }
    if (postNow) {
        PostUnlessExiting(WorkMessage::WeatherPartial);
    }
}

bool TakeWeatherResults(COptions& options) {
    std::vector<WeatherResult> taken;
    {
        HandBack& shared = Shared();
        std::lock_guard lock(shared.ResultLock);
        taken.swap(shared.Results);
    }
    if (taken.empty()) {
        return false;
    }
    for (const WeatherResult& result : taken) {
        const CWeatherReport& report = *result.Report;
        MergeWeather(report.CityId, report.Current, report.Forecast, options.HomeCity.Get(),
                     options.Cities.Get());
    }
    return true;
}

bool PostWeatherDone() {
    return PostUnlessExiting(WorkMessage::WeatherDone);
}

bool PostWeatherPartial() {
    return PostUnlessExiting(WorkMessage::WeatherPartial);
}

bool PostNewVersion() {
    return PostUnlessExiting(WorkMessage::NewVersion);
}

bool PostCloudImage(std::unique_ptr<QImage> image) {
    if (!image) {
        return false;
    }
    for (int attempt = 1; !IsExiting(); ++attempt) {
        if (PostToHiddenWindow(WorkMessage::CloudImage,
                               reinterpret_cast<std::uintptr_t>(image.get()))) {
            // The hidden window owns the image now.
            static_cast<void>(image.release());
            return true;
        }
        if (attempt >= CloudImageAttempts || IsExiting() || !HiddenWindowExists()) {
            return false;
        }
        WaitBeforeRetry();
        if (!HiddenWindowExists()) {
            return false;
        }
    }
    return false;
}

void SetCloudImageRetryDelay(std::function<void(int milliseconds)> delay) {
    HandBack& shared = Shared();
    std::lock_guard lock(shared.PosterLock);
    shared.RetryDelay = std::move(delay);
}

IWeatherResultSink& WeatherResultSink() {
    // Never destroyed, for the same reason as the hand-back state.
    static ProgramWeatherResultSink* const sink = new ProgramWeatherResultSink();
    return *sink;
}

}  // namespace Program
