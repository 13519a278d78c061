#include "app/WorkResults.h"

#include <gtest/gtest.h>

#include <QImage>
#include <ostream>
#include <utility>
#include <vector>

#include "app/Program.h"
#include "data/Options.h"

namespace {

const DateTime Noon(2024, 3, 1, 12, 0, 0);

class FakeHiddenWindow : public IHiddenWindowPoster {
public:
    bool Post(unsigned message, std::uintptr_t wParam) override {
        ++Attempts;
        if (RefusalsLeft > 0) {
            --RefusalsLeft;
            return false;
        }
        Delivered.push_back(message);
        if (message == WorkMessage::CloudImage) {
            Images.emplace_back(reinterpret_cast<QImage*>(wParam));
        }
        return true;
    }
    bool Exists() const override { return WindowExists; }

    int Attempts = 0;
    std::vector<unsigned> Delivered;
    std::vector<std::unique_ptr<QImage>> Images;
    int RefusalsLeft = 0;
    bool WindowExists = true;
};

class WorkResultsTest : public ::testing::Test {
protected:
    void SetUp() override {
        Program::ResetForTesting();
        Program::SetHiddenWindowPoster(&window_);
        Program::SetCloudImageRetryDelay(
            [this](int milliseconds) { delays_.push_back(milliseconds); });
        options_.HomeCity = nullptr;
        *options_.Cities = {};
        Program::TakeWeatherResults(options_);
    }
    void TearDown() override {
        Program::SetHiddenWindowPoster(nullptr);
        Program::SetCloudImageRetryDelay(nullptr);
        Program::ResetForTesting();
    }

    static std::unique_ptr<CWeatherReport> Report(int cityId) {
        auto report = std::make_unique<CWeatherReport>();
        report->CityId = cityId;
        report->Current.ReportDateTime = Noon;
        return report;
    }

    static City MakeCity(int id) { return City(id, "UK", "", "", "City", 51.5F, 0.0F, "EGLL"); }

    COptions options_{EnumAppKind::Earth, OptionsFiles{}};
    FakeHiddenWindow window_;
    std::vector<int> delays_;
};

TEST_F(WorkResultsTest, ReportsGoToTheHomeCityFirstThenTheFirstFavouriteWithTheId) {
    options_.HomeCity = new City(MakeCity(7));
    *options_.Cities = {MakeCity(7), MakeCity(8), MakeCity(8)};
    (*options_.Cities)[1].Forecast.ReportDateTime = Noon;

    IWeatherResultSink& sink = Program::WeatherResultSink();
    sink.PushWeatherResult(Report(7), false);
    sink.PushWeatherResult(Report(8), true);
    sink.PushWeatherResult(Report(99), false);
    sink.PostWeatherDone();
    EXPECT_EQ(window_.Delivered,
              (std::vector<unsigned>{WorkMessage::WeatherPartial, WorkMessage::WeatherDone}));
    ASSERT_TRUE(Program::TakeWeatherResults(options_));

    EXPECT_EQ(options_.HomeCity->CurrentWeather.ReportDateTime, Noon);
    const std::vector<City>& cities = *options_.Cities;
    EXPECT_EQ(cities[0].CurrentWeather.ReportDateTime, InitialReportDateTime());
    EXPECT_EQ(cities[1].CurrentWeather.ReportDateTime, Noon);
    // The report's missing forecast never replaces a received one.
    EXPECT_EQ(cities[1].Forecast.ReportDateTime, Noon);
    EXPECT_EQ(cities[2].CurrentWeather.ReportDateTime, InitialReportDateTime());
    EXPECT_FALSE(Program::TakeWeatherResults(options_));
}

TEST_F(WorkResultsTest, WhileExitingReportsAreDiscardedAndNothingIsPosted) {
    Program::SetExiting();
    Program::PushWeatherResult(Report(1), true);
    EXPECT_FALSE(Program::PostWeatherDone());
    EXPECT_FALSE(Program::PostNewVersion());
    EXPECT_FALSE(Program::PostCloudImage(std::make_unique<QImage>(2, 2, QImage::Format_ARGB32)));
    EXPECT_EQ(window_.Attempts, 0);
    EXPECT_FALSE(Program::TakeWeatherResults(options_));
}

TEST_F(WorkResultsTest, CloudImageIsGivenUpWhenTheProgramExitsDuringThePause) {
    window_.RefusalsLeft = 5;
    Program::SetCloudImageRetryDelay([](int) { Program::SetExiting(); });
    EXPECT_FALSE(Program::PostCloudImage(std::make_unique<QImage>(2, 2, QImage::Format_ARGB32)));
    EXPECT_EQ(window_.Attempts, 1);
}

struct CloudCase {
    int Refusals;
    bool WindowExists;
    bool Delivered;
    int Attempts;
};

void PrintTo(const CloudCase& value, std::ostream* out) {
    *out << value.Refusals << " refusals, window " << (value.WindowExists ? "exists" : "gone");
}

class CloudImagePostTest : public WorkResultsTest,
                           public ::testing::WithParamInterface<CloudCase> {};

TEST_P(CloudImagePostTest, ImageIsRetriedFiveSecondsApartWhileTheWindowExists) {
    window_.RefusalsLeft = GetParam().Refusals;
    window_.WindowExists = GetParam().WindowExists;
    auto image = std::make_unique<QImage>(4, 2, QImage::Format_ARGB32);
    QImage* const sent = image.get();
    EXPECT_EQ(Program::PostCloudImage(std::move(image)), GetParam().Delivered);
    EXPECT_EQ(window_.Attempts, GetParam().Attempts);
    EXPECT_EQ(delays_,
              std::vector<int>(GetParam().Attempts - 1, Program::CloudImageRetryMilliseconds));
    ASSERT_EQ(window_.Images.size(), GetParam().Delivered ? 1U : 0U);
    if (GetParam().Delivered) {
        EXPECT_EQ(window_.Images[0].get(), sent);
    }
}

INSTANTIATE_TEST_SUITE_P(Attempts, CloudImagePostTest,
                         ::testing::Values(CloudCase{0, true, true, 1},
                                           CloudCase{10, true, true, 11},
                                           CloudCase{11, true, false, 11},
                                           CloudCase{5, false, false, 1}));

}  // namespace
