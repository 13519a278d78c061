#include <gtest/gtest.h>

#include "core/DateTime.h"
#include "support/TestSupport.h"
#include "weather/CurrentWeather.h"
#include "weather/Forecast.h"

namespace {

using TestSupport::LocationOf;

TEST(WeatherValuesTest, FreshCurrentWeatherMeansNothingReceivedYet) {
    const CCurrentWeather weather;
    EXPECT_EQ(weather.ReportDateTime, DateTime(1990, 1, 1, 0, 0, 0));
    EXPECT_FALSE(weather.WeatherCode.HasValue());
    EXPECT_FALSE(weather.Temprature.HasValue());
    EXPECT_FALSE(weather.DewPoint.HasValue());
}

TEST(WeatherValuesTest, FreshForecastMeansNothingReceivedYet) {
    const CForecast forecast;
    EXPECT_EQ(forecast.ReportDateTime, DateTime(1990, 1, 1, 0, 0, 0));
    EXPECT_TRUE(forecast.Items.empty());
}

TEST(WeatherValuesTest, MissingValuesRaiseWithTheirInstanceLocations) {
    const CForecastItem item;
    EXPECT_EQ(LocationOf([&] { (void)item.WeatherCode.Value(); }),
              "Nullable<enum EnumWeatherCode>::Value (20)");
    EXPECT_EQ(LocationOf([&] { (void)item.MaxTemprature.Value(); }), "Nullable<float>::Value (20)");
}

}  // namespace
