#include "weather/OpenMeteo.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/Exceptions.h"
#include "support/TestSupport.h"

namespace {

using TestSupport::LocationOf;

// The service's answer for the Berlin example of its documentation
// (open-meteo.com/en/docs, 52.52 N 13.41 E), asked as RequestUrl asks: the
// documented members and their order, compact as the service sends it, for
// eight days from 2025-09-08 00:00 CEST; the weather is a made-up September
// week that visits most rows of the WMO table.
std::string SavedAnswer() {
    return TestSupport::ReadWholeFile(std::string(SKYVANE_TEST_DATA_DIR) +
                                      "open-meteo-berlin.json");
}

// Noon in Berlin on the answer's first day.
const DateTime BerlinNoon = DateTime(2025, 9, 8, 10, 0, 0).WithKind(DateTime::Kind::Utc);

CForecast Parse(const std::string& answer, const DateTime& utcNow = BerlinNoon) {
    CForecast forecast;
    OpenMeteo::ParseForecast(answer, utcNow, forecast);
    return forecast;
}

struct Period {
    DateTime Start;
    std::optional<EnumWeatherCode> Code;
    std::string Summary;
    std::optional<float> Max;
    std::optional<float> Min;
};

template <class T>
std::optional<T> Optional(const Nullable<T>& value) {
    return value.HasValue() ? std::optional<T>(value.Value()) : std::nullopt;
}

void ExpectPeriods(const CForecast& forecast, const std::vector<Period>& expected) {
    ASSERT_EQ(forecast.Items.size(), expected.size());
    for (std::size_t index = 0; index < expected.size(); ++index) {
        SCOPED_TRACE("period " + std::to_string(index));
        const CForecastItem& item = forecast.Items[index];
        EXPECT_EQ(item.Start, expected[index].Start);
        EXPECT_EQ(item.End, expected[index].Start + TimeSpan(12, 0, 0));
        EXPECT_EQ(Optional(item.WeatherCode), expected[index].Code);
        EXPECT_EQ(item.WeatherSummary, expected[index].Summary);
        EXPECT_EQ(Optional(item.MaxTemprature), expected[index].Max);
        EXPECT_EQ(Optional(item.MinTemprature), expected[index].Min);
    }
}

// The saved answer's fourteen periods from Monday's day: the weather of each
// period's most significant hour, the date's highest day and lowest night
// temperature on both periods of the date.
std::vector<Period> SavedAnswersPeriods() {
    using Code = EnumWeatherCode;
    const auto at = [](int day, int hour) { return DateTime(2025, 9, day, hour, 0, 0); };
    return {
        {at(8, 6), Code::PartlyCloudy, "Partly Sunny", 22.4F, 13.4F},
        {at(8, 18), Code::Fog, "Fog", 22.4F, 13.4F},
        {at(9, 6), Code::RainShowers, "Drizzle", 19.8F, 11.8F},
        {at(9, 18), Code::Rain, "Rain", 19.8F, 11.8F},
        {at(10, 6), Code::RainShowers, "Rain Showers", 18.1F, 9.6F},
        {at(10, 18), Code::PartlyCloudy, "Partly Cloudy", 18.1F, 9.6F},
        {at(11, 6), Code::Clear, "Sunny", 21.7F, 12.7F},
        {at(11, 18), Code::Clear, "Clear", 21.7F, 12.7F},
        {at(12, 6), Code::Thunderstorms, "Thunderstorms with Hail", 24.3F, 14.2F},
        {at(12, 18), Code::Rain, "Light Rain", 24.3F, 14.2F},
        {at(13, 6), Code::PartlyCloudy, "Partly Sunny", 20.6F, 11.5F},
        {at(13, 18), Code::Cloudy, "Cloudy", 20.6F, 11.5F},
        {at(14, 6), Code::Rain, "Heavy Rain", 16.9F, 10.3F},
        {at(14, 18), Code::Cloudy, "Cloudy", 16.9F, 10.3F},
    };
}

TEST(OpenMeteoTest, ASavedAnswerGivesSevenDaysOfPeriodsWithTheirMostSignificantWeather) {
    const DateTime before = DateTime::UtcNow();
    const CForecast forecast = Parse(SavedAnswer());
    EXPECT_EQ(forecast.Source, ForecastSource::OpenMeteo);
    EXPECT_GE(forecast.ReportDateTime, before);
    ExpectPeriods(forecast, SavedAnswersPeriods());

    // At 18:30 in Berlin, 16:30 UTC, Monday's day is over: the forecast starts
    // with its night and ends with the next Monday's day, whose night the answer
    // does not hold.
    std::vector<Period> fromTheNight = SavedAnswersPeriods();
    fromTheNight.erase(fromTheNight.begin());
    fromTheNight.push_back(
        {DateTime(2025, 9, 15, 6, 0, 0), EnumWeatherCode::PartlyCloudy, "Partly Sunny", 19.2F, {}});
    ExpectPeriods(Parse(SavedAnswer(), DateTime(2025, 9, 8, 16, 30, 0)), fromTheNight);
}

TEST(OpenMeteoTest, TheRequestAsksForThePlacesHoursOnItsOwnClock) {
    EXPECT_EQ(OpenMeteo::RequestUrl("https://api.open-meteo.com/v1/forecast", 48.733F, 2.4F),
              "https://api.open-meteo.com/v1/forecast?latitude=48.733&longitude=2.400"
              "&hourly=temperature_2m,weather_code&timezone=auto&forecast_days=8");
    EXPECT_EQ(OpenMeteo::RequestUrl("http://127.0.0.1:8/f?key=1", -33.95F, 151.183F),
              "http://127.0.0.1:8/f?key=1&latitude=-33.950&longitude=151.183"
              "&hourly=temperature_2m,weather_code&timezone=auto&forecast_days=8");
    const TestSupport::ScopedEnvironment overridden("SKYVANE_WORLD_FORECAST_URL",
                                                    "http://127.0.0.1:8/f");
    EXPECT_EQ(OpenMeteo::ForecastUrl(), "http://127.0.0.1:8/f");
}

// The saved answer with its hourly arrays changed.
std::string Damaged(const std::function<void(QJsonObject& hourly)>& change) {
    QJsonObject answer = QJsonDocument::fromJson(QByteArray::fromStdString(SavedAnswer())).object();
    QJsonObject hourly = answer.value(QStringLiteral("hourly")).toObject();
    change(hourly);
    answer.insert(QStringLiteral("hourly"), hourly);
    return QJsonDocument(answer).toJson(QJsonDocument::Compact).toStdString();
}

QJsonArray Array(const QJsonObject& hourly, const char* name) {
    return hourly.value(QLatin1String(name)).toArray();
}

void Set(QJsonObject& hourly, const char* name, const QJsonArray& values) {
    hourly.insert(QLatin1String(name), values);
}

// Every hour of the three arrays in the order given.
void Reorder(QJsonObject& hourly, const std::function<int(int count, int index)>& source) {
    for (const char* name : {"time", "temperature_2m", "weather_code"}) {
        const QJsonArray old = Array(hourly, name);
        QJsonArray changed;
        for (int index = 0; index < old.size(); ++index) {
            const int from = source(static_cast<int>(old.size()), index);
            if (from >= 0) {
                changed.append(old.at(from));
            }
        }
        Set(hourly, name, changed);
    }
}

void Append(QJsonObject& hourly, const QJsonValue& time, const QJsonValue& temperature,
            const QJsonValue& code) {
    for (const auto& [name, value] :
         {std::pair{"time", time}, {"temperature_2m", temperature}, {"weather_code", code}}) {
        QJsonArray values = Array(hourly, name);
        values.append(value);
        Set(hourly, name, values);
    }
}

// A damaged value costs only its own hour; a damaged series costs its values,
// never their pairing with the hours, and the periods keep alternating.
TEST(OpenMeteoTest, DamagedValuesLeaveOnlyWhatTheyHeldUnread) {
    const std::vector<Period> whole = SavedAnswersPeriods();
    {
        SCOPED_TRACE("a temperature array one shorter than the hours is not used");
        std::vector<Period> expected = whole;
        for (Period& period : expected) {
            period.Max.reset();
            period.Min.reset();
        }
        ExpectPeriods(Parse(Damaged([](QJsonObject& hourly) {
                          QJsonArray values = Array(hourly, "temperature_2m");
                          values.removeLast();
                          Set(hourly, "temperature_2m", values);
                      })),
                      expected);
    }
    {
        SCOPED_TRACE("without weather codes the periods keep their temperatures");
        std::vector<Period> expected = whole;
        for (Period& period : expected) {
            period.Code.reset();
            period.Summary.clear();
        }
        ExpectPeriods(Parse(Damaged([](QJsonObject& hourly) {
                          hourly.remove(QStringLiteral("weather_code"));
                      })),
                      expected);
    }
    {
        SCOPED_TRACE("nulls, numbers that are no code or no temperature, and other types");
        // Monday's day, 06:00 to 17:00, keeps only one code, the fair sky of 09:00;
        // its warmest hour, 15:00, is damaged, so 16:00's 21.8 is its highest.
        std::vector<Period> expected = whole;
        expected[0].Code = EnumWeatherCode::Fair;
        expected[0].Summary = "Mostly Sunny";
        expected[0].Max = expected[1].Max = 21.8F;
        ExpectPeriods(Parse(Damaged([](QJsonObject& hourly) {
                          QJsonArray codes = Array(hourly, "weather_code");
                          const QJsonValue notCodes[] = {
                              QJsonValue(),        4,    -1,   100,          2.5,    1e300,
                              QStringLiteral("3"), true, 1000, QJsonValue(), -1e300, QJsonArray{3}};
                          for (int hour = 6; hour < 18; ++hour) {
                              codes[hour] = hour == 9 ? QJsonValue(1) : notCodes[hour - 6];
                          }
                          Set(hourly, "weather_code", codes);
                          QJsonArray temperatures = Array(hourly, "temperature_2m");
                          temperatures[15] = 1e300;
                          temperatures[14] = QStringLiteral("25");
                          temperatures[13] = -500;
                          temperatures[12] = QJsonValue();
                          Set(hourly, "temperature_2m", temperatures);
                      })),
                      expected);
    }
    {
        SCOPED_TRACE("hours out of order, repeated or not on the hour");
        ExpectPeriods(
            Parse(Damaged([](QJsonObject& hourly) {
                Reorder(hourly, [](int count, int index) { return count - 1 - index; });
                // Wednesday noon again, and Thursday noon misspelt: all with a storm.
                for (const char* time : {"2025-09-10T12:00", "2025-09-11T12:30", "2025-09-11 12:00",
                                         "2025-02-30T12:00", "2025-09-11T12:00:00", ""}) {
                    Append(hourly, QLatin1String(time), 30, 95);
                }
                Append(hourly, 20250911, 30, 95);
            })),
            whole);
    }
    {
        SCOPED_TRACE("a day missing in the middle stays as a period without its data");
        // Wednesday's day, hours 54 to 65, is gone: its period keeps its place,
        // with only the lowest of the night after it.
        std::vector<Period> expected = whole;
        expected[4].Code.reset();
        expected[4].Summary.clear();
        expected[4].Max.reset();
        expected[5].Max.reset();
        ExpectPeriods(Parse(Damaged([](QJsonObject& hourly) {
                          Reorder(hourly, [](int, int index) {
                              return index >= 54 && index < 66 ? -1 : index;
                          });
                      })),
                      expected);
    }
}

// Nothing readable, or nothing still to come, is no forecast: the parse raises
// and the forecast keeps the time that never replaces a city's forecast.
TEST(OpenMeteoTest, AnAnswerWithoutAnyReadablePeriodIsNoForecast) {
    const std::string deep = std::string(5'000'000, '[') + std::string(5'000'000, ']');
    const std::string huge = "{\"utc_offset_seconds\":0,\"hourly\":{\"time\":[" + [] {
        std::string hours;
        for (int index = 0; index < 500'000; ++index) {
            hours += "\"2025-09-08T06:00\",";
        }
        return hours;
    }() + "\"x\"],\"weather_code\":[0]}}";
    const std::string allNull = Damaged([](QJsonObject& hourly) {
        for (const char* name : {"temperature_2m", "weather_code"}) {
            QJsonArray values;
            for (qsizetype index = 0; index < Array(hourly, "time").size(); ++index) {
                values.append(QJsonValue());
            }
            Set(hourly, name, values);
        }
    });
    struct Case {
        std::string Name;
        std::string Answer;
        std::string Location;
        DateTime UtcNow = BerlinNoon;
    };
    const std::string saved = SavedAnswer();
    const std::vector<Case> cases{
        {"empty", "", "OpenMeteo::ParseForecast (231)"},
        {"cut short", saved.substr(0, saved.size() / 2), "OpenMeteo::ParseForecast (231)"},
        {"not an object", "[1, 2]", "OpenMeteo::ParseForecast (231)"},
        {"not finite", "{\"utc_offset_seconds\": NaN}", "OpenMeteo::ParseForecast (231)"},
        {"nested ten megabytes deep", deep, "OpenMeteo::ParseForecast (231)"},
        {"the service's error", "{\"error\":true,\"reason\":\"Latitude must be in range\"}",
         "OpenMeteo::ParseForecast (238)"},
        {"no clock", "{\"hourly\":{\"time\":[]}}", "OpenMeteo::ParseForecast (238)"},
        {"a clock of days", "{\"utc_offset_seconds\":900000,\"hourly\":{\"time\":[]}}",
         "OpenMeteo::ParseForecast (238)"},
        {"no hours", "{\"utc_offset_seconds\":0,\"hourly\":{\"time\":\"now\"}}",
         "OpenMeteo::ParseForecast (244)"},
        {"ten megabytes of one hour", huge, "OpenMeteo::ParseForecast (265)"},
        {"nothing but nulls", allNull, "OpenMeteo::ParseForecast (265)"},
        {"all over", saved, "OpenMeteo::ParseForecast (265)", DateTime(2025, 9, 20, 0, 0, 0)},
    };
    for (const Case& entry : cases) {
        SCOPED_TRACE(entry.Name);
        CForecast forecast;
        forecast.Items.resize(3);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(
            LocationOf([&] { OpenMeteo::ParseForecast(entry.Answer, entry.UtcNow, forecast); }),
            entry.Location);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
        EXPECT_EQ(forecast.ReportDateTime, InitialReportDateTime());
        EXPECT_TRUE(forecast.Items.empty());
    }
}

}  // namespace
