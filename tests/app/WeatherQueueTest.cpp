#include "app/WeatherQueue.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "data/Options.h"

namespace {

const DateTime Now(2024, 3, 1, 12, 0, 0);

DateTime MinutesAgo(int minutes) {
    return Now - TimeSpan(0, minutes, 0);
}

class UnusedSink : public IWeatherResultSink {
public:
    void PushWeatherResult(std::unique_ptr<CWeatherReport>, bool) override {}
    void PostWeatherDone() override {}
};

std::vector<int> IdsOf(const std::vector<WeatherRequest>& requests) {
    std::vector<int> ids;
    for (const WeatherRequest& request : requests) {
        ids.push_back(request.Id);
    }
    return ids;
}

class WeatherQueueTest : public ::testing::Test {
protected:
    WeatherQueueTest() : options_(EnumAppKind::Earth, OptionsFiles{}) {
        options_.ShowWeather = true;
        options_.HomeCity = new City(MakeCity(1, "USA", 0, 0));
        *options_.Cities = {};
    }

    static City MakeCity(int id, const std::string& country, int currentAge, int forecastAge) {
        City city(id, country, "", "", "City", 40.5F, -74.25F, "K" + std::to_string(id));
        city.CurrentWeather.ReportDateTime = MinutesAgo(currentAge);
        city.Forecast.ReportDateTime = MinutesAgo(forecastAge);
        return city;
    }

    std::unique_ptr<CWeatherDownloadWork> Make(EnumAppKind kind = EnumAppKind::Earth,
                                               EnumAppMode mode = EnumAppMode::Desktop,
                                               bool postPartialResults = true) {
        return MakeWeatherDownloadWork(options_, kind, mode, Now, postPartialResults, sink_, {});
    }

    COptions options_;
    UnusedSink sink_;
};

TEST_F(WeatherQueueTest, UsHomeCityWithRecentForecastAsksForCurrentConditionsOnly) {
    options_.HomeCity = new City(MakeCity(1, "USA", 61, 59));
    auto work = Make();
    ASSERT_NE(work, nullptr);
    EXPECT_TRUE(work->ForecastRequests.empty());
    EXPECT_EQ(IdsOf(work->CurrentRequests), std::vector<int>{1});

    // Due means strictly older than an hour.
    options_.HomeCity = new City(MakeCity(1, "USA", 60, 60));
    *options_.Cities = {MakeCity(2, "UK", 60, 60)};
    EXPECT_EQ(Make(), nullptr);
}

TEST_F(WeatherQueueTest, UsHomeCityWithStaleForecastAsksForBothWhateverTheCurrentAge) {
    options_.HomeCity = new City(MakeCity(1, "USA", 0, 61));
    auto work = Make();
    ASSERT_NE(work, nullptr);
    EXPECT_EQ(IdsOf(work->ForecastRequests), std::vector<int>{1});
    EXPECT_TRUE(work->CurrentRequests.empty());
    const WeatherRequest& request = work->ForecastRequests[0];
    EXPECT_FLOAT_EQ(request.Latitude, 40.5F);
    EXPECT_FLOAT_EQ(request.Longitude, -74.25F);
    EXPECT_EQ(request.Station, "K1");
}

// Every home city gets a forecast; only the exact country "USA" asks NDFD first.
TEST_F(WeatherQueueTest, EveryHomeCityGetsAForecastAndOnlyTheExactCountryUsaFromNdfd) {
    for (const char* country : {"USA", "usa", "UK"}) {
        options_.HomeCity = new City(MakeCity(1, country, 0, 61));
        auto work = Make();
        ASSERT_NE(work, nullptr) << country;
        ASSERT_EQ(IdsOf(work->ForecastRequests), std::vector<int>{1}) << country;
        EXPECT_EQ(work->ForecastRequests[0].InUsa, std::string(country) == "USA") << country;
        EXPECT_TRUE(work->CurrentRequests.empty()) << country;
    }
    options_.HomeCity = new City(MakeCity(1, "UK", 61, 59));
    auto work = Make();
    ASSERT_NE(work, nullptr);
    EXPECT_TRUE(work->ForecastRequests.empty());
    EXPECT_EQ(IdsOf(work->CurrentRequests), std::vector<int>{1});
}

TEST_F(WeatherQueueTest, StaleFavouritesFollowTheHomeCityInListOrderWithoutForecast) {
    options_.HomeCity = new City(MakeCity(1, "UK", 90, 0));
    *options_.Cities = {MakeCity(5, "USA", 120, 120), MakeCity(3, "UK", 10, 120),
                        MakeCity(4, "UK", 61, 0)};
    auto work = Make();
    ASSERT_NE(work, nullptr);
    EXPECT_TRUE(work->ForecastRequests.empty());
    EXPECT_EQ(IdsOf(work->CurrentRequests), (std::vector<int>{1, 5, 4}));
    EXPECT_TRUE(work->PostPartialResults);
}

struct HiddenWeatherCase {
    EnumAppKind Kind;
    EnumAppMode Mode;
    bool HomeQueued;
};

void PrintTo(const HiddenWeatherCase& value, std::ostream* out) {
    *out << "edition " << static_cast<int>(value.Kind) << ", mode " << static_cast<int>(value.Mode);
}

class WeatherQueueHiddenWeatherTest : public WeatherQueueTest,
                                      public ::testing::WithParamInterface<HiddenWeatherCase> {};

TEST_P(WeatherQueueHiddenWeatherTest, WithoutShownWeatherOnlyTheHomeCityIsAskedSilently) {
    options_.ShowWeather = false;
    options_.HomeCity = new City(MakeCity(1, "UK", 90, 0));
    *options_.Cities = {MakeCity(2, "UK", 90, 90)};
    auto work = Make(GetParam().Kind, GetParam().Mode);
    if (!GetParam().HomeQueued) {
        EXPECT_EQ(work, nullptr);
        return;
    }
    ASSERT_NE(work, nullptr);
    EXPECT_EQ(IdsOf(work->CurrentRequests), std::vector<int>{1});
    EXPECT_FALSE(work->PostPartialResults);
}

INSTANTIATE_TEST_SUITE_P(
    EditionsAndModes, WeatherQueueHiddenWeatherTest,
    ::testing::Values(HiddenWeatherCase{EnumAppKind::Earth, EnumAppMode::Desktop, true},
                      HiddenWeatherCase{EnumAppKind::Earth, EnumAppMode::ScreenSaver, false},
                      HiddenWeatherCase{EnumAppKind::TimeZones, EnumAppMode::Preview, false},
                      HiddenWeatherCase{EnumAppKind::Weather, EnumAppMode::ScreenSaver, true}));

TEST_F(WeatherQueueTest, WeatherEditionScreenSaverSkipsFavourites) {
    options_.HomeCity = new City(MakeCity(1, "UK", 90, 0));
    *options_.Cities = {MakeCity(2, "UK", 90, 90)};
    auto work = Make(EnumAppKind::Weather, EnumAppMode::ScreenSaver);
    ASSERT_NE(work, nullptr);
    EXPECT_EQ(IdsOf(work->CurrentRequests), std::vector<int>{1});
    EXPECT_TRUE(work->PostPartialResults);
}

TEST_F(WeatherQueueTest, HomeItemAsksForCurrentConditionsWhateverTheirAge) {
    options_.HomeCity = new City(MakeCity(1, "USA", 0, 0));
    auto work = MakeHomeWeatherDownloadWork(options_, sink_, {});
    ASSERT_NE(work, nullptr);
    EXPECT_EQ(IdsOf(work->CurrentRequests), std::vector<int>{1});
    EXPECT_TRUE(work->ForecastRequests.empty());
    EXPECT_FALSE(work->PostPartialResults);

    options_.HomeCity = nullptr;
    EXPECT_EQ(MakeHomeWeatherDownloadWork(options_, sink_, {}), nullptr);
}

}  // namespace
