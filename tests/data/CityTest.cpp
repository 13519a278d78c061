#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>

#include "data/City.h"
#include "support/TestSupport.h"

namespace {

using TestSupport::LocationOf;

TEST(CityTest, LineWithEmptyDetailsLoadsEveryField) {
    const CityRecord record = ParseCityLine("1;ABCD;Land;Town;;10.5;-20.25");
    EXPECT_EQ(record.Id, 1);
    EXPECT_EQ(record.Station, "ABCD");
    EXPECT_EQ(record.Country, "Land");
    EXPECT_EQ(record.CityName, "Town");
    EXPECT_EQ(record.Details, "");
    EXPECT_EQ(record.ShortCode, "");
    EXPECT_FLOAT_EQ(record.Latitude, 10.5F);
    EXPECT_FLOAT_EQ(record.Longitude, -20.25F);
}

TEST(CityTest, FieldsAfterTheSeventhAndTheLineEndAreIgnored) {
    const CityRecord extra = ParseCityLine("2;ABCD;Land;Town;Field;1.5;2.5;more;fields");
    EXPECT_FLOAT_EQ(extra.Longitude, 2.5F);
    const CityRecord ended = ParseCityLine("2;ABCD;Land;Town;Field;1.5;2.5\r\nnext line");
    EXPECT_FLOAT_EQ(ended.Longitude, 2.5F);
}

TEST(CityTest, LongStationCodesAreStoredWhole) {
    EXPECT_EQ(ParseCityLine("3;ABCDEFGH;Land;Town;;0;0").Station, "ABCDEFGH");
}

TEST(CityTest, CityFromRecordCopiesTheFieldsAndStartsWithoutWeather) {
    const City city(ParseCityLine("5;WXYZ;Land;Town;Field;-1;2"));
    EXPECT_EQ(city.Id, 5);
    EXPECT_EQ(city.Station, "WXYZ");
    EXPECT_EQ(city.Details, "Field");
    EXPECT_EQ(city.CurrentWeather.ReportDateTime, DateTime(1990, 1, 1));
    EXPECT_FALSE(city.CurrentWeather.WeatherCode.HasValue());
    EXPECT_EQ(city.Forecast.ReportDateTime, DateTime(1990, 1, 1));
    EXPECT_TRUE(city.Forecast.Items.empty());
}

TEST(CityTest, EmptyPointersRaiseWithTheirLocations) {
    const CPtr<City> city;
    EXPECT_EQ(LocationOf([&] { (void)city->Id; }), "CPtr<class City>::operator -> (114)");
    EXPECT_EQ(LocationOf([&] { (void)*city; }), "CPtr<class City>::operator * (108)");
    const CPtr<std::vector<City>> cities;
    EXPECT_EQ(LocationOf([&] { (void)cities->size(); }),
              "CPtr<class std::vector<class City,class std::allocator<class City> > >::operator "
              "-> (114)");
    EXPECT_EQ(LocationOf([&] { (void)*cities; }),
              "CPtr<class std::vector<class City,class std::allocator<class City> > >::operator * "
              "(108)");
}

struct NamedLine {
    const char* Name;
    const char* Line;
    const char* Location = nullptr;  // of the raise, for damaged lines
};

// Test names and failure messages show the case's name, not its raw bytes.
void PrintTo(const NamedLine& line, std::ostream* stream) {
    *stream << line.Name;
}

std::string NameOf(const ::testing::TestParamInfo<NamedLine>& info) {
    return info.param.Name;
}

class CityLineRoundTripTest : public ::testing::TestWithParam<NamedLine> {};

TEST_P(CityLineRoundTripTest, WritingAParsedLineGivesTheSameLine) {
    EXPECT_EQ(SerializeCityLine(ParseCityLine(GetParam().Line)), GetParam().Line);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, CityLineRoundTripTest,
    ::testing::Values(
        NamedLine{"Miami",
                  "358900;KMIA;USA;Miami;Miami International Airport;25.791000;-80.316002"},
        NamedLine{"EmptyDetails", "216100;FAJS;South Africa;Johannesburg;;-26.132999;28.233000"},
        NamedLine{"NegativeIdAndEmptyTexts", "-5;X;;;;0.000000;0.000000"},
        NamedLine{"Utf8AndLimits",
                  "1713398;SBBR;Brazil;Brasília;Aeroporto São Paulo;-90.000000;180.000000"},
        NamedLine{"LargestIdAndSmallCoordinates",
                  "2147483647;ABCD;Côte d'Ivoire;Town, Place;A (B);0.000001;-179.999985"}),
    NameOf);

class DamagedCityLineTest : public ::testing::TestWithParam<NamedLine> {};

TEST_P(DamagedCityLineTest, RaisesWithTheLocationOfTheFirstFault) {
    EXPECT_EQ(LocationOf([] { ParseCityLine(GetParam().Line); }), GetParam().Location);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, DamagedCityLineTest,
    ::testing::Values(
        NamedLine{"SixFields", "1;ABCD;Land;Town;;10.5", "Tokenize (58)"},
        NamedLine{"EmptyLongitude", "1;ABCD;Land;Town;;10.5;", "Util::ParseDouble (516)"},
        NamedLine{"CarriageReturnEndsTheLine", "1;ABCD;Land\r;Town;;10.5;2", "Tokenize (58)"},
        NamedLine{"EmptyLine", "", "Util::ParseInt (495)"},
        NamedLine{"IdNotANumber", "x;ABCD;Land;Town;;1;2", "Util::ParseInt (486)"},
        NamedLine{"LatitudeNotANumber", "1;ABCD;Land;Town;;north;2", "Util::ParseDouble (516)"},
        NamedLine{"TextAfterTheNumber", "1;ABCD;Land;Town;;1.5x;2", "Util::ParseDouble (522)"},
        NamedLine{"DecimalComma", "1;ABCD;Land;Town;;1,5;2", "Util::ParseDouble (522)"},
        NamedLine{"LatitudeNotFinite", "1;ABCD;Land;Town;;nan;2", "Util::ParseDouble (516)"},
        NamedLine{"LatitudeBeyondThePole", "1;ABCD;Land;Town;;90.5;2", "ParseCityLine (61)"},
        NamedLine{"LongitudeInfinite", "1;ABCD;Land;Town;;1;inf", "Util::ParseDouble (516)"},
        NamedLine{"LongitudeBeyondFloatRange", "1;ABCD;Land;Town;;1;1e300", "ParseCityLine (62)"},
        NamedLine{"LongitudeBeyondTheDateLine", "1;ABCD;Land;Town;;1;-180.5",
                  "ParseCityLine (62)"}),
    NameOf);

// Coordinates must come out as "%f" prints the float, digit for digit.
TEST(CityTest, CoordinatesAreWrittenAsPrintfWritesTheFloat) {
    std::mt19937 random(20130327);
    std::uniform_real_distribution<float> latitude(-90.0F, 90.0F);
    std::uniform_real_distribution<float> longitude(-180.0F, 180.0F);
    for (int round = 0; round < 2000; ++round) {
        CityRecord record;
        record.Latitude = latitude(random);
        record.Longitude = longitude(random);
        char expected[128];
        std::snprintf(expected, sizeof expected, "0;;;;;%f;%f",
                      static_cast<double>(record.Latitude), static_cast<double>(record.Longitude));
        ASSERT_EQ(SerializeCityLine(record), expected);
        // Loading and saving again must not drift the text.
        ASSERT_EQ(SerializeCityLine(ParseCityLine(expected)), expected);
    }
}

}  // namespace
