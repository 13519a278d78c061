#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/DateTime.h"
#include "core/Exceptions.h"
#include "support/TestSupport.h"
#include "weather/Metar.h"

namespace {

using TestSupport::LocationOf;

const std::string Header = "2013/03/27 18:51\n";
const DateTime MarchNow(2013, 3, 27, 19, 5, 0);

CCurrentWeather Parse(const std::string& text, const DateTime& now = MarchNow) {
    return ParseMetar(text, "KLAX", now);
}

// The report with its group of weather and clouds replaced.
CCurrentWeather ParseWeather(const std::string& groups) {
    return Parse(Header + "KLAX 271851Z 25010KT 10SM " + groups + " 18/09 A2992 RMK AO2");
}

TEST(MetarTest, StationFileGivesTimeCodeTemperatureAndDewPoint) {
    const CCurrentWeather weather =
        Parse(Header + "KLAX 271851Z 25010KT 10SM FEW020 SCT250 18/09 A2992 RMK AO2\n");
    EXPECT_EQ(weather.ReportDateTime, DateTime(2013, 3, 27, 18, 51, 0));
    EXPECT_EQ(weather.WeatherCode.Value(), EnumWeatherCode::PartlyCloudy);
    EXPECT_FLOAT_EQ(weather.Temprature.Value(), 18.0F);
    EXPECT_FLOAT_EQ(weather.DewPoint.Value(), 9.0F);
}

TEST(MetarTest, LowerCaseReadsLikeUpperCase) {
    const CCurrentWeather weather =
        Parse("2013/03/27 18:51\r\nklax 271851z 25010kt 10sm -tsra bkn020 m05/m12 a2992");
    EXPECT_EQ(weather.ReportDateTime, DateTime(2013, 3, 27, 18, 51, 0));
    EXPECT_EQ(weather.WeatherCode.Value(), EnumWeatherCode::Thunderstorms);
    EXPECT_FLOAT_EQ(weather.Temprature.Value(), -5.0F);
    EXPECT_FLOAT_EQ(weather.DewPoint.Value(), -12.0F);
}

struct TemperatureCase {
    const char* Group;
    bool HasTemperature;
    float Temperature;
    bool HasDewPoint;
    float DewPoint;
};

class MetarTemperatureTest : public testing::TestWithParam<TemperatureCase> {};

TEST_P(MetarTemperatureTest, ReadsTheFirstTemperatureGroup) {
    const TemperatureCase& expected = GetParam();
    const CCurrentWeather weather = Parse(Header + "KLAX 271851Z CLR " + expected.Group + " A2992");
    ASSERT_EQ(weather.Temprature.HasValue(), expected.HasTemperature) << expected.Group;
    ASSERT_EQ(weather.DewPoint.HasValue(), expected.HasDewPoint) << expected.Group;
    if (expected.HasTemperature) {
        EXPECT_FLOAT_EQ(weather.Temprature.Value(), expected.Temperature);
    }
    if (expected.HasDewPoint) {
        EXPECT_FLOAT_EQ(weather.DewPoint.Value(), expected.DewPoint);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Groups, MetarTemperatureTest,
    testing::Values(
        TemperatureCase{"M05/M12", true, -5, true, -12}, TemperatureCase{"05/", true, 5, false, 0},
        TemperatureCase{"05///", true, 5, false, 0}, TemperatureCase{"00/M00", true, 0, true, 0},
        TemperatureCase{"12/10 M01/M02", true, 12, true, 10},
        // Not temperature groups: single digits, visibility, runway range.
        TemperatureCase{"5/3", false, 0, false, 0}, TemperatureCase{"1/2SM", false, 0, false, 0},
        TemperatureCase{"R27/0600", false, 0, false, 0},
        TemperatureCase{"////", false, 0, false, 0}));

struct CodeCase {
    const char* Groups;
    EnumWeatherCode Code;
};

class MetarWeatherCodeTest : public testing::TestWithParam<CodeCase> {};

TEST_P(MetarWeatherCodeTest, KeepsTheHigherOfPhenomenonAndClouds) {
    EXPECT_EQ(ParseWeather(GetParam().Groups).WeatherCode.Value(), GetParam().Code)
        << GetParam().Groups;
}

INSTANTIATE_TEST_SUITE_P(
    Groups, MetarWeatherCodeTest,
    testing::Values(
        CodeCase{"-TSRA", EnumWeatherCode::Thunderstorms},
        CodeCase{"+RA BR OVC008", EnumWeatherCode::Rain},
        CodeCase{"BR BKN010", EnumWeatherCode::MostlyCloudy},
        CodeCase{"RASN", EnumWeatherCode::Snow}, CodeCase{"HZ FEW030", EnumWeatherCode::Haze},
        CodeCase{"CAVOK", EnumWeatherCode::Clear},
        CodeCase{"FEW010 BKN030 SCT100", EnumWeatherCode::MostlyCloudy},
        CodeCase{"+FC TSRA", EnumWeatherCode::Tornado},
        CodeCase{"SHGS", EnumWeatherCode::HailShowers},
        CodeCase{"-SHSN", EnumWeatherCode::SnowShowers},
        CodeCase{"-DZ", EnumWeatherCode::RainShowers}, CodeCase{"GR", EnumWeatherCode::Hail},
        CodeCase{"FZFG VV002", EnumWeatherCode::Fog},
        // A group without a code does not use up the phenomenon.
        CodeCase{"MI RA", EnumWeatherCode::Rain},
        // Only the first group with a code counts.
        CodeCase{"RA SN", EnumWeatherCode::Rain}, CodeCase{"VCSH NSC", EnumWeatherCode::Clear},
        CodeCase{"SKC", EnumWeatherCode::Clear}, CodeCase{"OVC010CB", EnumWeatherCode::Cloudy}));

TEST(MetarTest, GroupsAfterRemarksAreNeverRead) {
    const CCurrentWeather weather =
        Parse(Header + "KLAX 271851Z FEW010 RMK SKC OVC100 TS 271900Z 20/10");
    EXPECT_EQ(weather.WeatherCode.Value(), EnumWeatherCode::Fair);
    EXPECT_FALSE(weather.Temprature.HasValue());
}

// A clear sky is a report without phenomena or clouds, not a missing report.
TEST(MetarTest, NothingObservedAfterTheStationAndTimeGivesNoCode) {
    for (const std::string& text : {Header, Header + "KLAX 271851Z", Header + "KLAX 271851Z\n",
                                    Header + "KLAX 271851Z RMK AO2"}) {
        const CCurrentWeather weather = Parse(text);
        EXPECT_EQ(weather.ReportDateTime, DateTime(2013, 3, 27, 18, 51, 0)) << text;
        EXPECT_FALSE(weather.WeatherCode.HasValue()) << text;
        EXPECT_FALSE(weather.Temprature.HasValue()) << text;
    }
    for (const std::string groups : {"CAVOK", "25010KT", "18/09"}) {
        EXPECT_EQ(Parse(Header + "KLAX 271851Z " + groups).WeatherCode.Value(),
                  EnumWeatherCode::Clear)
            << groups;
    }
}

TEST(MetarTest, StationCodeIsSkippedEvenWhenItLooksLikeAGroup) {
    const CCurrentWeather weather = ParseMetar(Header + "BKNA 271851Z 10/05", "BKNA", MarchNow);
    EXPECT_EQ(weather.WeatherCode.Value(), EnumWeatherCode::Clear);
}

TEST(MetarTest, OnlyTheFirstTimeGroupCounts) {
    EXPECT_EQ(Parse(Header + "KLAX 271851Z 271751Z CLR").ReportDateTime,
              DateTime(2013, 3, 27, 18, 51, 0));
    // An impossible hour is not a time group; the next one is taken.
    EXPECT_EQ(Parse(Header + "KLAX 272551Z 271751Z CLR").ReportDateTime,
              DateTime(2013, 3, 27, 17, 51, 0));
}

TEST(MetarTest, TimeGroupWithoutHeaderTakesItsMonthFromTheLastDays) {
    EXPECT_EQ(Parse("KLAX 011200Z CLR", DateTime(2013, 3, 1, 22, 0, 0)).ReportDateTime,
              DateTime(2013, 3, 1, 12, 0, 0));
    EXPECT_EQ(Parse("KLAX 312355Z CLR", DateTime(2013, 4, 1, 1, 0, 0)).ReportDateTime,
              DateTime(2013, 3, 31, 23, 55, 0));
    // A clock slightly behind the station already sees the next day.
    EXPECT_EQ(Parse("KLAX 010005Z CLR", DateTime(2012, 12, 31, 23, 50, 0)).ReportDateTime,
              DateTime(2013, 1, 1, 0, 5, 0));
}

TEST(MetarTest, TimeGroupOutsideTheLastDaysWithoutHeaderMeansNoTime) {
    EXPECT_EQ(LocationOf([] { Parse("KLAX 011200Z CLR 10/05", DateTime(2013, 3, 5, 10, 0, 0)); }),
              "Nullable<class DateTime>::Value (20)");
    EXPECT_EQ(LocationOf([] { Parse(""); }), "Nullable<class DateTime>::Value (20)");
}

TEST(MetarTest, HeaderOfAnotherDayLeavesTheGroupToTheClock) {
    // Header day 27 does not match group day 26, and the clock is years away.
    EXPECT_EQ(Parse(Header + "KLAX 262351Z CLR", DateTime(2020, 1, 1)).ReportDateTime,
              DateTime(2013, 3, 27, 18, 51, 0));
}

TEST(MetarTest, HeaderWithBadTimeFallsBackToItsDate) {
    EXPECT_EQ(Parse("2013/03/27 25:61\nKLAX CLR").ReportDateTime, DateTime(2013, 3, 27));
    EXPECT_EQ(Parse("2013/03/27\nKLAX CLR").ReportDateTime, DateTime(2013, 3, 27));
    EXPECT_EQ(LocationOf([] { Parse("2013/02/30 10:00\nKLAX CLR"); }),
              "Nullable<class DateTime>::Value (20)");
    // Without whitespace after the time only the date is a header.
    EXPECT_EQ(Parse("2013/03/27 18:51Z KLAX CLR").ReportDateTime, DateTime(2013, 3, 27));
    EXPECT_EQ(LocationOf([] { Parse("2013/03/27T18:51 KLAX CLR"); }),
              "Nullable<class DateTime>::Value (20)");
}

TEST(MetarTest, HugeTokensAreIgnoredWithoutExhaustingTheStack) {
    std::string storm;
    for (int index = 0; index < 200000; ++index) {
        storm += "RA";
    }
    const CCurrentWeather weather = Parse(Header + "KLAX " + storm + " 12/04");
    EXPECT_EQ(weather.WeatherCode.Value(), EnumWeatherCode::Clear);
    EXPECT_FLOAT_EQ(weather.Temprature.Value(), 12.0F);
}

TEST(MetarTest, RegExMatchesAnchoredPatternsAndRejectsInvalidOnes) {
    const RegEx timeGroup("^\\d\\d\\d\\d\\d\\dZ$");
    EXPECT_TRUE(timeGroup.Match("271851Z"));
    EXPECT_FALSE(timeGroup.Match("271851ZZ"));
    EXPECT_FALSE(RegEx("^ab").Match("cab"));
    EXPECT_TRUE(RegEx("b").Match("cab"));
    EXPECT_EQ(LocationOf([] { RegEx("((M?"); }), "RegEx::RegEx (11)");
}

// Real reports with the temperature and dew point an independent decoder gives
// (tests/weather/data/metar-reference.csv, see tools/metar-reference/).
TEST(MetarTest, RealReportsGiveTheTemperatureOfAnIndependentDecoder) {
    std::ifstream file(std::string(SKYVANE_TEST_DATA_DIR) + "metar-reference.csv");
    ASSERT_TRUE(file) << "metar-reference.csv is missing";
    std::string line;
    std::getline(file, line);  // column names
    int total = 0;
    int agreeing = 0;
    std::ostringstream misses;
    while (std::getline(file, line)) {
        // header;report;temperature;dew point — the report itself has no ";".
        std::vector<std::string> fields;
        std::stringstream stream(line);
        for (std::string field; std::getline(stream, field, ';');) {
            fields.push_back(field);
        }
        if (fields.size() < 3) {
            continue;
        }
        ++total;
        const std::string station = fields[1].substr(0, fields[1].find(' '));
        try {
            const CCurrentWeather weather =
                ParseMetar(fields[0] + "\n" + fields[1] + "\n", station, DateTime(2000, 1, 1));
            const float expected = std::stof(fields[2]);
            if (weather.Temprature.HasValue() &&
                std::fabs(weather.Temprature.Value() - expected) <= 1.0F) {
                ++agreeing;
                continue;
            }
        } catch (const ApplicationException& error) {
            misses << error.Location << ": ";
        }
        misses << line << "\n";
    }
    ASSERT_GE(total, 300);
    EXPECT_GE(agreeing * 100, total * 99) << agreeing << " of " << total << " agree; misses:\n"
                                          << misses.str();
    RecordProperty("agreeing", agreeing);
    RecordProperty("total", total);
}

}  // namespace
