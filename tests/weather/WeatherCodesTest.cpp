#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <ostream>
#include <string>

#include "weather/WeatherCodes.h"

namespace {

constexpr const char* Degree = "\u00B0";

std::string Degrees(const std::string& number) {
    return number + Degree;
}

Nullable<EnumWeatherCode> CodeOf(int value) {
    return static_cast<EnumWeatherCode>(value);
}

struct CodeRow {
    EnumWeatherCode Code;
    const char* DisplayText;
    const char* ShortText;
    const char* DayIcon;
    const char* NightIcon;
};

// Names the test cases by their code.
void PrintTo(const CodeRow& row, std::ostream* stream) {
    *stream << static_cast<int>(row.Code) << " " << row.DisplayText;
}

class WeatherCodeTableTest : public ::testing::TestWithParam<CodeRow> {};

TEST_P(WeatherCodeTableTest, EachCodeHasItsTextsAndIcons) {
    const CodeRow& row = GetParam();
    EXPECT_EQ(DisplayText(row.Code), row.DisplayText);
    EXPECT_EQ(ShortText(row.Code), row.ShortText);
    EXPECT_EQ(IconFileName(row.Code, true), row.DayIcon);
    EXPECT_EQ(IconFileName(row.Code, false), row.NightIcon);
}

INSTANTIATE_TEST_SUITE_P(
    AllCodes, WeatherCodeTableTest,
    ::testing::Values(
        CodeRow{EnumWeatherCode::Clear, "Clear", "Clear", "Clear.png", "Night Clear.png"},
        CodeRow{EnumWeatherCode::Fair, "Fair", "Fair", "Fair.png", "Night Fair.png"},
        CodeRow{EnumWeatherCode::Fog, "Fog", "Fog", "Fog.png", "Fog.png"},
        CodeRow{EnumWeatherCode::Haze, "Haze", "Haze", "Haze.png", "Haze.png"},
        CodeRow{EnumWeatherCode::PartlyCloudy, "Partly Cloudy", "Partly Cloudy",
                "Partly Cloudy.png", "Night Partly Cloudy.png"},
        CodeRow{EnumWeatherCode::MostlyCloudy, "Mostly Cloudy", "Mostly Cloudy",
                "Mostly Cloudy.png", "Night Mostly Cloudy.png"},
        CodeRow{EnumWeatherCode::Cloudy, "Cloudy", "Cloudy", "Cloudy.png", "Cloudy.png"},
        CodeRow{EnumWeatherCode::Cold, "Cold", "Cold", "Cold.png", "Cold.png"},
        CodeRow{EnumWeatherCode::Hot, "Hot", "Hot", "Clear.png", "Clear.png"},
        CodeRow{EnumWeatherCode::Windy, "Windy", "Windy", "Windy.png", "Windy.png"},
        CodeRow{EnumWeatherCode::RainShowers, "Rain Showers", "Rain", "Rain Showers.png",
                "Rain Showers.png"},
        CodeRow{EnumWeatherCode::SnowShowers, "Snow Showers", "Snow", "Snow.png", "Snow.png"},
        CodeRow{EnumWeatherCode::HailShowers, "Hail Showers", "Hail", "Hail.png", "Hail.png"},
        CodeRow{EnumWeatherCode::Rain, "Rain", "Rain", "Rain.png", "Rain.png"},
        CodeRow{EnumWeatherCode::Snow, "Snow", "Snow", "Snow.png", "Snow.png"},
        CodeRow{EnumWeatherCode::RainAndSnow, "Rain and Snow", "Snow", "Rain and Snow.png",
                "Rain and Snow.png"},
        CodeRow{EnumWeatherCode::Hail, "Hail", "Hail", "Hail.png", "Hail.png"},
        CodeRow{EnumWeatherCode::Thunderstorms, "Thunderstorms", "Thunderstorms",
                "Thunderstorms.png", "Thunderstorms.png"},
        CodeRow{EnumWeatherCode::Tornado, "Tornado", "Tornado", "Thunderstorms.png",
                "Thunderstorms.png"}));

TEST(WeatherCodesTest, OnlyFourCodesHaveANightIcon) {
    int withNightForm = 0;
    for (int value = 0; value < WeatherCodeCount; ++value) {
        if (IconFileName(CodeOf(value), true) != IconFileName(CodeOf(value), false)) {
            ++withNightForm;
            EXPECT_EQ(IconFileName(CodeOf(value), false),
                      "Night " + IconFileName(CodeOf(value), true));
        }
    }
    EXPECT_EQ(withNightForm, 4);
}

TEST(WeatherCodesTest, CodesOutsideTheTableGiveEmptyTexts) {
    for (const Nullable<EnumWeatherCode>& code :
         {Nullable<EnumWeatherCode>(), CodeOf(WeatherCodeCount), CodeOf(1000), CodeOf(-1)}) {
        EXPECT_EQ(DisplayText(code), "");
        EXPECT_EQ(ShortText(code), "");
        EXPECT_EQ(IconFileName(code, true), "");
        EXPECT_EQ(IconFileName(code, false), "");
    }
}

struct TemperatureCase {
    float Celsius;
    bool Metric;
    const char* Number;
};

void PrintTo(const TemperatureCase& value, std::ostream* stream) {
    *stream << value.Celsius << (value.Metric ? " C" : " C in F");
}

class TemperatureTextTest : public ::testing::TestWithParam<TemperatureCase> {};

TEST_P(TemperatureTextTest, RoundsHalvesAwayFromZeroInTheChosenUnit) {
    const TemperatureCase& value = GetParam();
    EXPECT_EQ(TemperatureText(value.Celsius, value.Metric), Degrees(value.Number));
    EXPECT_EQ(TemperatureText(Nullable<float>(value.Celsius), value.Metric), Degrees(value.Number));
}

INSTANTIATE_TEST_SUITE_P(
    CelsiusAndFahrenheit, TemperatureTextTest,
    ::testing::Values(TemperatureCase{21.0F, true, "21"}, TemperatureCase{21.4F, true, "21"},
                      TemperatureCase{21.5F, true, "22"}, TemperatureCase{-0.4F, true, "0"},
                      TemperatureCase{-0.5F, true, "-1"}, TemperatureCase{-2.5F, true, "-3"},
                      TemperatureCase{0.0F, false, "32"}, TemperatureCase{100.0F, false, "212"},
                      TemperatureCase{-40.0F, false, "-40"},
                      // -26.5 F and 0.5 F: the halves of the converted value count.
                      TemperatureCase{-32.5F, false, "-27"}, TemperatureCase{-17.5F, false, "1"},
                      TemperatureCase{21.0F, false, "70"}));

TEST(TemperatureTextTest, NoTemperatureGivesTwoDashes) {
    EXPECT_EQ(TemperatureText(Nullable<float>(), true), "--");
    EXPECT_EQ(TemperatureText(Nullable<float>(), false), "--");
}

TEST(TemperatureTextTest, DamagedValuesGiveDashesOrTheNearestWholeNumber) {
    EXPECT_EQ(TemperatureText(std::numeric_limits<float>::quiet_NaN(), true), "--");
    EXPECT_EQ(TemperatureText(std::numeric_limits<float>::infinity(), false), "--");
    EXPECT_EQ(TemperatureText(3.0e38F, true), Degrees("2147483647"));
    EXPECT_EQ(TemperatureText(-3.0e38F, false), Degrees("-2147483648"));
}

}  // namespace
