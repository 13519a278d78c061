#include "weather/WeatherDownloadWork.h"

#include <gtest/gtest.h>

#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace {

const DateTime Observed(2024, 3, 1, 12, 0, 0);

// Stations listed as failing raise; every other station answers.
class FakeWeatherService : public IWeatherService {
public:
    explicit FakeWeatherService(std::set<std::string> failing) : failing_(std::move(failing)) {}

    CCurrentWeather GetCurrentWeather(const WeatherRequest& request) override {
        FailFor(request);
        CCurrentWeather weather;
        weather.ReportDateTime = Observed;
        return weather;
    }

    std::unique_ptr<CWeatherReport> GetCurrentWeatherAndForecast(
        const WeatherRequest& request) override {
        FailFor(request);
        auto report = std::make_unique<CWeatherReport>();
        report->Forecast.ReportDateTime = Observed;
        return report;
    }

private:
    void FailFor(const WeatherRequest& request) const {
        if (failing_.count(request.Station) != 0) {
            throw std::runtime_error("station file missing");
        }
    }

    std::set<std::string> failing_;
};

class WeatherDownloadWorkTest : public ::testing::Test, public IWeatherResultSink {
protected:
    void PushWeatherResult(std::unique_ptr<CWeatherReport> report, bool postNow) override {
        pushed_.push_back(report->CityId);
        if (postNow) {
            announced_.push_back(report->CityId);
        }
    }
    void PostWeatherDone() override { ++doneCount_; }

    std::unique_ptr<CWeatherDownloadWork> MakeWork(int cities, std::set<std::string> failing = {}) {
        auto work = std::make_unique<CWeatherDownloadWork>(
            *this, [failing] { return std::make_unique<FakeWeatherService>(failing); });
        work->Sleep = [this](int milliseconds) { pauses_.push_back(milliseconds); };
        for (int id = 1; id <= cities; ++id) {
            work->CurrentRequests.push_back(Request(id));
        }
        return work;
    }

    static WeatherRequest Request(int id) {
        return WeatherRequest{id, 10.0F, 20.0F, "S" + std::to_string(id)};
    }

    std::vector<int> pushed_;
    std::vector<int> announced_;
    std::vector<int> pauses_;
    int doneCount_ = 0;
};

TEST_F(WeatherDownloadWorkTest, PartialResultsFollowTheSecondFourthAndEveryFifthCity) {
    auto work = MakeWork(15);
    work->PostPartialResults = true;
    work->DoWork();
    EXPECT_EQ(pushed_.size(), 15U);
    EXPECT_EQ(announced_, (std::vector<int>{2, 4, 9, 14}));
    EXPECT_EQ(doneCount_, 1);
    EXPECT_TRUE(pauses_.empty());
}

TEST_F(WeatherDownloadWorkTest, FailedCityCostsOnePauseAndDoesNotCount) {
    auto work = MakeWork(5, {"S2"});
    work->PostPartialResults = true;
    work->DoWork();
    EXPECT_EQ(pushed_, (std::vector<int>{1, 3, 4, 5}));
    EXPECT_EQ(pauses_, std::vector<int>{CWeatherDownloadWork::FailurePauseMilliseconds});
    EXPECT_EQ(announced_, (std::vector<int>{3, 5}));
}

TEST_F(WeatherDownloadWorkTest, ForecastsComeFirstAndAreAnnouncedOnlyWithPartialResults) {
    for (const bool partial : {false, true}) {
        pushed_.clear();
        announced_.clear();
        auto work = MakeWork(5, {"S8"});
        work->PostPartialResults = partial;
        work->ForecastRequests = {Request(8), Request(9)};
        work->DoWork();
        EXPECT_EQ(pushed_, (std::vector<int>{9, 1, 2, 3, 4, 5}));
        EXPECT_EQ(announced_, partial ? (std::vector<int>{9, 2, 4}) : std::vector<int>{});
    }
    EXPECT_EQ(pauses_.size(), 2U);
}

TEST_F(WeatherDownloadWorkTest, ClientThatCannotBeMadeStillEndsWithDone) {
    CWeatherDownloadWork work(*this, []() -> std::unique_ptr<IWeatherService> {
        throw std::runtime_error("no network session");
    });
    work.CurrentRequests.push_back(Request(1));
    EXPECT_NO_THROW(work.DoWork());
    EXPECT_TRUE(pushed_.empty());
    EXPECT_EQ(doneCount_, 1);
}

TEST(WeatherDownloadWorkFailureTest, NothingEscapesWhenTheHandBackRaises) {
    class ThrowingSink : public IWeatherResultSink {
    public:
        void PushWeatherResult(std::unique_ptr<CWeatherReport>, bool) override {
            throw std::runtime_error("list unavailable");
        }
        void PostWeatherDone() override { throw std::runtime_error("no window"); }
    } sink;
    CWeatherDownloadWork work(
        sink, [] { return std::make_unique<FakeWeatherService>(std::set<std::string>{}); });
    work.CurrentRequests.push_back(WeatherRequest{1, 0.0F, 0.0F, "S1"});
    EXPECT_NO_THROW(work.DoWork());
}

}  // namespace
