#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "core/DateTime.h"
#include "core/Exceptions.h"
#include "support/TestSupport.h"
#include "weather/Dwml.h"

namespace {

using TestSupport::LocationOf;

std::string Fixture(const std::string& name) {
    return TestSupport::ReadWholeFile(std::string(SKYVANE_TEST_DATA_DIR) + name);
}

// A small document around the given parameters; layout "k1" has two periods.
std::string Document(const std::string& parameters, const std::string& layoutKey = "k1") {
    return "<dwml><data><time-layout><layout-key>" + layoutKey +
           "</layout-key>"
           "<start-valid-time>2013-03-27T06:00:00-07:00</start-valid-time>"
           "<end-valid-time>2013-03-27T18:00:00-07:00</end-valid-time>"
           "<start-valid-time>2013-03-28T06:00:00-07:00</start-valid-time>"
           "<end-valid-time>2013-03-28T18:00:00-07:00</end-valid-time>"
           "</time-layout><parameters>" +
           parameters + "</parameters></data></dwml>";
}

const std::string WeatherAndIcons =
    "<weather time-layout=\"k1\"><weather-conditions weather-summary=\"Sunny\"/>"
    "<weather-conditions weather-summary=\"Rain\"/></weather>"
    "<conditions-icon time-layout=\"k1\"><icon-link>a/skc.png</icon-link>"
    "<icon-link>a/ra.png</icon-link></conditions-icon>";

std::string ParseFailure(const std::string& document) {
    CForecast forecast;
    return LocationOf([&] { NoaaDwml::Parse12HourlyForecast(document, forecast); });
}

TEST(DwmlTest, SevenDayForecastGivesFourteenPeriodsWithTheDaysTemperatures) {
    CForecast forecast;
    const DateTime before = DateTime::UtcNow();
    NoaaDwml::Parse12HourlyForecast(Fixture("dwml-7day.xml"), forecast);
    EXPECT_GE(forecast.ReportDateTime, before);
    EXPECT_LE(forecast.ReportDateTime, DateTime::UtcNow());

    const std::vector<EnumWeatherCode> codes{
        EnumWeatherCode::Thunderstorms, EnumWeatherCode::Thunderstorms,
        EnumWeatherCode::MostlyCloudy,  EnumWeatherCode::MostlyCloudy,
        EnumWeatherCode::RainShowers,   EnumWeatherCode::RainShowers,
        EnumWeatherCode::Fair,          EnumWeatherCode::Fair,
        EnumWeatherCode::Clear,         EnumWeatherCode::PartlyCloudy,
        EnumWeatherCode::Hot,           EnumWeatherCode::Fog,
        EnumWeatherCode::Rain,          EnumWeatherCode::Rain};
    ASSERT_EQ(forecast.Items.size(), codes.size());
    for (std::size_t index = 0; index < codes.size(); ++index) {
        EXPECT_EQ(forecast.Items[index].WeatherCode.Value(), codes[index]) << index;
    }
    const CForecastItem& day = forecast.Items[0];
    EXPECT_EQ(day.Start, DateTime(2013, 8, 12, 6, 0, 0));
    EXPECT_EQ(day.End, DateTime(2013, 8, 12, 18, 0, 0));
    EXPECT_EQ(day.WeatherSummary, "Chance Thunderstorms");
    EXPECT_FLOAT_EQ(day.MaxTemprature.Value(), 30.0F);
    EXPECT_FLOAT_EQ(day.MinTemprature.Value(), (69.0F - 32.0F) * 5.0F / 9.0F);
    // The night takes its own date's values, not those of the following morning.
    const CForecastItem& night = forecast.Items[1];
    EXPECT_EQ(night.End, DateTime(2013, 8, 13, 6, 0, 0));
    EXPECT_FLOAT_EQ(night.MaxTemprature.Value(), 30.0F);
    EXPECT_FLOAT_EQ(night.MinTemprature.Value(), day.MinTemprature.Value());
    EXPECT_EQ(forecast.Items[13].WeatherSummary, "Rain");
    EXPECT_FLOAT_EQ(forecast.Items[13].MaxTemprature.Value(), (87.0F - 32.0F) * 5.0F / 9.0F);
}

TEST(DwmlTest, NightStartDropsLeadingAndTrailingEmptyPeriodsButKeepsMiddleOnes) {
    CForecast forecast;
    forecast.Items.resize(3);
    NoaaDwml::Parse12HourlyForecast(Fixture("dwml-night-start.xml"), forecast);
    ASSERT_EQ(forecast.Items.size(), 5U);

    const CForecastItem& first = forecast.Items[0];
    EXPECT_EQ(first.Start, DateTime(2013, 3, 27, 18, 0, 0));
    EXPECT_EQ(first.WeatherSummary, "Mostly Clear");
    EXPECT_EQ(first.WeatherCode.Value(), EnumWeatherCode::Fair);
    EXPECT_FLOAT_EQ(first.MaxTemprature.Value(), 20.0F);
    EXPECT_FLOAT_EQ(first.MinTemprature.Value(), 10.0F);

    EXPECT_EQ(forecast.Items[1].WeatherSummary, "Rain & Wind");
    // An empty value gives a day without maximum.
    EXPECT_FALSE(forecast.Items[1].MaxTemprature.HasValue());
    EXPECT_FLOAT_EQ(forecast.Items[1].MinTemprature.Value(), 5.0F);

    const CForecastItem& middle = forecast.Items[2];
    EXPECT_TRUE(middle.WeatherSummary.empty());
    EXPECT_FALSE(middle.WeatherCode.HasValue());

    EXPECT_EQ(forecast.Items[3].WeatherCode.Value(), EnumWeatherCode::Snow);
    EXPECT_FLOAT_EQ(forecast.Items[3].MaxTemprature.Value(), 0.0F);
    EXPECT_FLOAT_EQ(forecast.Items[3].MinTemprature.Value(), -5.0F);
    EXPECT_EQ(forecast.Items[4].Start, DateTime(2013, 3, 29, 18, 0, 0));
}

TEST(DwmlTest, ByteOrderMarkIsSkipped) {
    CForecast forecast;
    NoaaDwml::Parse12HourlyForecast("\xEF\xBB\xBF" + Fixture("dwml-7day.xml"), forecast);
    EXPECT_EQ(forecast.Items.size(), 14U);
}

TEST(DwmlTest, UnreadableTemperatureSkipsOnlyItsOwnEntry) {
    CForecast forecast;
    NoaaDwml::Parse12HourlyForecast(
        Document("<temperature type=\"maximum\" time-layout=\"k1\"><value>7O</value>"
                 "<value>50</value></temperature>"
                 "<temperature type=\"minimum\" time-layout=\"missing\"><value>1</value>"
                 "</temperature>" +
                 WeatherAndIcons),
        forecast);
    ASSERT_EQ(forecast.Items.size(), 2U);
    EXPECT_FALSE(forecast.Items[0].MaxTemprature.HasValue());
    EXPECT_FLOAT_EQ(forecast.Items[1].MaxTemprature.Value(), 10.0F);
    EXPECT_FALSE(forecast.Items[1].MinTemprature.HasValue());
}

// Whether the number reader itself refuses "nan" or not: a value that is no
// finite temperature in a float counts as missing, and a later entry of the
// same date counts instead, as for any unreadable value.
TEST(DwmlTest, ATemperatureThatIsNotFiniteCountsAsMissing) {
    CForecast forecast;
    NoaaDwml::Parse12HourlyForecast(
        Document("<temperature type=\"maximum\" time-layout=\"k1\"><value>nan</value>"
                 "<value>inf</value></temperature>"
                 "<temperature type=\"maximum\" time-layout=\"k1\"><value>50</value>"
                 "<value>68</value></temperature>"
                 "<temperature type=\"minimum\" time-layout=\"k1\"><value>-inf</value>"
                 "<value>1e39</value></temperature>" +
                 WeatherAndIcons),
        forecast);
    ASSERT_EQ(forecast.Items.size(), 2U);
    EXPECT_FLOAT_EQ(forecast.Items[0].MaxTemprature.Value(), 10.0F);
    EXPECT_FLOAT_EQ(forecast.Items[1].MaxTemprature.Value(), 20.0F);
    EXPECT_FALSE(forecast.Items[0].MinTemprature.HasValue());
    EXPECT_FALSE(forecast.Items[1].MinTemprature.HasValue());
}

TEST(DwmlTest, BadPeriodTimeRaisesAndLeavesTheForecastUnreceived) {
    CForecast forecast;
    EXPECT_EQ(LocationOf([&] {
                  NoaaDwml::Parse12HourlyForecast(Fixture("dwml-bad-period-time.xml"), forecast);
              }),
              "Util::ParseDigits (536)");
    EXPECT_EQ(forecast.ReportDateTime, DateTime(1990, 1, 1));
    EXPECT_EQ(forecast.Items.size(), 1U);
}

struct BrokenDocument {
    const char* Name;
    std::string Text;
    const char* Location;
};

class DwmlBrokenDocumentTest : public testing::TestWithParam<BrokenDocument> {};

TEST_P(DwmlBrokenDocumentTest, RaisesWithTheLocationOfWhatIsMissing) {
    EXPECT_EQ(ParseFailure(GetParam().Text), GetParam().Location);
}

const std::string Icons =
    "<conditions-icon time-layout=\"k1\"><icon-link>x</icon-link>"
    "</conditions-icon>";
const std::string Weather = "<weather time-layout=\"k1\"><weather-conditions/></weather>";

INSTANTIATE_TEST_SUITE_P(
    Documents, DwmlBrokenDocumentTest,
    testing::Values(
        BrokenDocument{"Empty", "", "NoaaDwml::Parse12HourlyForecast (162)"},
        BrokenDocument{"NotXml", "Sunny, 21 degrees", "NoaaDwml::Parse12HourlyForecast (162)"},
        BrokenDocument{"Unclosed", "<dwml><data>", "NoaaDwml::Parse12HourlyForecast (162)"},
        BrokenDocument{"NoData", "<dwml><head/></dwml>", "NoaaDwml::Parse12HourlyForecast (164)"},
        BrokenDocument{"NoParameters", "<dwml><data/></dwml>",
                       "NoaaDwml::Parse12HourlyForecast (166)"},
        BrokenDocument{"LayoutWithoutKey", "<dwml><data><time-layout/><parameters/></data></dwml>",
                       "NoaaDwml::Parse12HourlyForecast (171)"},
        BrokenDocument{"NoWeather", Document(Icons), "NoaaDwml::Parse12HourlyForecast (197)"},
        BrokenDocument{"NoIcons", Document(Weather), "NoaaDwml::Parse12HourlyForecast (199)"},
        BrokenDocument{"WeatherWithoutLayout",
                       Document("<weather><weather-conditions/></weather>" + Icons),
                       "NoaaDwml::Parse12HourlyForecast (202)"},
        BrokenDocument{"IconsWithoutLayout",
                       Document(Weather + "<conditions-icon><icon-link/></conditions-icon>"),
                       "NoaaDwml::Parse12HourlyForecast (204)"},
        BrokenDocument{"DifferentLayouts", Fixture("dwml-different-layouts.xml"),
                       "NoaaDwml::Parse12HourlyForecast (205)"},
        BrokenDocument{"UnknownLayout", Document(Weather + Icons, "k2"),
                       "NoaaDwml::Parse12HourlyForecast (208)"}),
    [](const testing::TestParamInfo<BrokenDocument>& document) { return document.param.Name; });

std::string Repeat(const std::string& text, int count) {
    std::string result;
    for (int index = 0; index < count; ++index) {
        result += text;
    }
    return result;
}

TEST(DwmlTest, DeepNestingIsRefusedWithoutExhaustingTheStack) {
    EXPECT_EQ(ParseFailure(Repeat("<a>", 1000000)), "NoaaDwml::Parse12HourlyForecast (162)");
    // The root is one level, so MaxNestingDepth - 1 elements inside it are still read.
    const auto nested = [](int levels) {
        return "<dwml>" + Repeat("<a x='1'>", levels) + Repeat("</a>", levels) + "</dwml>";
    };
    EXPECT_EQ(ParseFailure(nested(NoaaDwml::MaxNestingDepth - 1)),
              "NoaaDwml::Parse12HourlyForecast (164)");
    EXPECT_EQ(ParseFailure(nested(NoaaDwml::MaxNestingDepth)),
              "NoaaDwml::Parse12HourlyForecast (162)");
}

// n of everything a parser might look up by scanning: n time layouts, n
// temperature series naming the last of them, and a weather layout of n
// periods, each on a date of its own with its maximum.
std::string ManyPeriodsAndLayouts(int n) {
    const auto xsd = [](const DateTime& moment) {
        char text[32];
        std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:00:00-05:00", moment.Year(),
                      moment.Month(), moment.Day(), moment.Hour());
        return std::string(text);
    };
    std::string layouts;
    std::string temperatures;
    std::string periods;
    std::string maxima;
    std::string conditions;
    std::string icons;
    // Keys of one length, which a scan has to compare to their end.
    const auto key = [](int index) {
        char text[16];
        std::snprintf(text, sizeof text, "k-%08d", index);
        return std::string(text);
    };
    for (int index = 0; index < n; ++index) {
        layouts += "<time-layout><layout-key>" + key(index) +
                   "</layout-key><start-valid-time>2013-03-27T06:00:00</start-valid-time>"
                   "</time-layout>";
        temperatures += "<temperature type=\"minimum\" time-layout=\"" + key(n - 1) +
                        "\"><value>50</value></temperature>";
        const DateTime day = DateTime(1900, 1, 1, 6, 0, 0) + TimeSpan(index * 24, 0, 0);
        periods += "<start-valid-time>" + xsd(day) + "</start-valid-time><end-valid-time>" +
                   xsd(day + TimeSpan(12, 0, 0)) + "</end-valid-time>";
        maxima += "<value>" + std::to_string(index % 100) + "</value>";
        conditions += "<weather-conditions weather-summary=\"Sunny\"/>";
        icons += "<icon-link>a/skc.png</icon-link>";
    }
    return "<dwml><data>" + layouts + "<time-layout><layout-key>w</layout-key>" + periods +
           "</time-layout><parameters>" + temperatures +
           "<temperature type=\"maximum\" time-layout=\"w\">" + maxima +
           "</temperature><weather time-layout=\"w\">" + conditions +
           "</weather><conditions-icon time-layout=\"w\">" + icons +
           "</conditions-icon></parameters></data></dwml>";
}

// The best of a few runs, so that a busy machine disturbs the ratio less.
double ParseSeconds(const std::string& document, std::size_t expectedPeriods) {
    double best = 0.0;
    for (int run = 0; run < 3; ++run) {
        CForecast forecast;
        const auto start = std::chrono::steady_clock::now();
        NoaaDwml::Parse12HourlyForecast(document, forecast);
        const std::chrono::duration<double> taken = std::chrono::steady_clock::now() - start;
        EXPECT_EQ(forecast.Items.size(), expectedPeriods);
        best = run == 0 ? taken.count() : std::min(best, taken.count());
    }
    return best;
}

TEST(DwmlTest, ParsingTimeGrowsLinearlyWithTheDocument) {
    // Documents of a megabyte and more: smaller ones fit the processor's caches,
    // which alone would make the larger one look several times slower per element.
    constexpr int Small = 3000;
    constexpr int Factor = 8;
    const double small = ParseSeconds(ManyPeriodsAndLayouts(Small), Small);
    const double large = ParseSeconds(ManyPeriodsAndLayouts(Small * Factor), Small * Factor);
    // A parser that scans for each look-up takes Factor * Factor times as long.
    EXPECT_LT(large, 3.0 * Factor * small) << small << " s, then " << large << " s";
}

TEST(DwmlTest, NestingHiddenInCommentsAndAttributesDoesNotCount) {
    const std::string deep = Repeat("<a>", 2 * NoaaDwml::MaxNestingDepth);
    EXPECT_EQ(ParseFailure("<dwml><!--" + deep + "--><?pi " + deep + "?><![CDATA[" + deep +
                           "]]><x v='" + deep + "'/></dwml>"),
              "NoaaDwml::Parse12HourlyForecast (164)");
}

TEST(DwmlTest, XsdDateTimeIgnoresTheZoneOffset) {
    EXPECT_EQ(ParseXsdDateTime("2013-03-27T18:05:09-04:00"), DateTime(2013, 3, 27, 18, 5, 9));
    EXPECT_EQ(ParseXsdDateTime("2013-03-27T18:05:09"), DateTime(2013, 3, 27, 18, 5, 9));
}

TEST(DwmlTest, XsdDateTimeRejectsNonDigitsShortTextsAndBadDates) {
    EXPECT_EQ(LocationOf([] { ParseXsdDateTime("2013-03-2xT18:00:00"); }),
              "Util::ParseDigits (536)");
    EXPECT_EQ(LocationOf([] { ParseXsdDateTime("2013-02-29T18:00:00"); }),
              "DateTime::DateToTicks (48)");
    try {
        ParseXsdDateTime("2013-03-27T18:00");
        ADD_FAILURE() << "a short text was read";
    } catch (const CAtlException& error) {
        EXPECT_EQ(error.Result, CAtlException::E_INVALIDARG);
    }
}

struct IconCase {
    const char* Link;
    Nullable<EnumWeatherCode> Code;
};

class IconToWeatherCodeTest : public testing::TestWithParam<IconCase> {};

TEST_P(IconToWeatherCodeTest, NamesTheCodeOfTheIconFileName) {
    const Nullable<EnumWeatherCode> code = IconToWeatherCode(GetParam().Link);
    ASSERT_EQ(code.HasValue(), GetParam().Code.HasValue()) << GetParam().Link;
    if (code.HasValue()) {
        EXPECT_EQ(code.Value(), GetParam().Code.Value()) << GetParam().Link;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Links, IconToWeatherCodeTest,
    testing::Values(
        IconCase{"http://forecast.example/images/nsct.png", EnumWeatherCode::PartlyCloudy},
        IconCase{"ra70.jpg", EnumWeatherCode::Rain},
        IconCase{"hi_shwrs30", EnumWeatherCode::RainShowers},
        IconCase{"/icons/tsra.png", EnumWeatherCode::Thunderstorms},
        IconCase{"rasn", EnumWeatherCode::RainAndSnow}, IconCase{"fzra", EnumWeatherCode::Rain},
        IconCase{"nskc", EnumWeatherCode::Clear}, IconCase{"blizzard", EnumWeatherCode::Snow},
        IconCase{"hot", EnumWeatherCode::Hot},
        IconCase{"HI_NSHWRS20.JPG", EnumWeatherCode::RainShowers},
        // The dot of a folder name is not an extension.
        IconCase{"http://forecast.example/v1.2/ovc", EnumWeatherCode::Cloudy},
        IconCase{"wind.png?x=cold", EnumWeatherCode::Windy}, IconCase{"nothing", {}},
        IconCase{"", {}}));

}  // namespace
