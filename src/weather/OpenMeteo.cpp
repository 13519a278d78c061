#include "weather/OpenMeteo.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QJsonValue>
#include <QLatin1String>
#include <QString>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <utility>

#include "core/Exceptions.h"
#include "core/Util.h"
#include "net/Internet.h"
#include "net/ServiceAddress.h"
#include "weather/WeatherLog.h"

namespace OpenMeteo {
namespace {

struct WmoWeather {
    int Wmo;
    EnumWeatherCode Code;
    const char* DaySummary;
    const char* NightSummary;
};

// Every WMO code the service reports, in the program's codes as the station
// reports have them: drizzle is the light-rain icon, freezing rain is rain as
// the NDFD icons count it, and a thunderstorm with hail is a thunderstorm,
// the higher of the two codes. The summaries say by day what the sky does, by
// night what it is, as the NDFD forecast words them.
constexpr std::array<WmoWeather, 28> WmoTable{{
    {0, EnumWeatherCode::Clear, "Sunny", "Clear"},
    {1, EnumWeatherCode::Fair, "Mostly Sunny", "Mostly Clear"},
    {2, EnumWeatherCode::PartlyCloudy, "Partly Sunny", "Partly Cloudy"},
    {3, EnumWeatherCode::Cloudy, "Cloudy", "Cloudy"},
    {45, EnumWeatherCode::Fog, "Fog", "Fog"},
    {48, EnumWeatherCode::Fog, "Freezing Fog", "Freezing Fog"},
    {51, EnumWeatherCode::RainShowers, "Light Drizzle", "Light Drizzle"},
    {53, EnumWeatherCode::RainShowers, "Drizzle", "Drizzle"},
    {55, EnumWeatherCode::RainShowers, "Heavy Drizzle", "Heavy Drizzle"},
    {56, EnumWeatherCode::Rain, "Light Freezing Drizzle", "Light Freezing Drizzle"},
    {57, EnumWeatherCode::Rain, "Freezing Drizzle", "Freezing Drizzle"},
    {61, EnumWeatherCode::Rain, "Light Rain", "Light Rain"},
    {63, EnumWeatherCode::Rain, "Rain", "Rain"},
    {65, EnumWeatherCode::Rain, "Heavy Rain", "Heavy Rain"},
    {66, EnumWeatherCode::Rain, "Light Freezing Rain", "Light Freezing Rain"},
    {67, EnumWeatherCode::Rain, "Freezing Rain", "Freezing Rain"},
    {71, EnumWeatherCode::Snow, "Light Snow", "Light Snow"},
    {73, EnumWeatherCode::Snow, "Snow", "Snow"},
    {75, EnumWeatherCode::Snow, "Heavy Snow", "Heavy Snow"},
    {77, EnumWeatherCode::Snow, "Snow Grains", "Snow Grains"},
    {80, EnumWeatherCode::RainShowers, "Light Rain Showers", "Light Rain Showers"},
    {81, EnumWeatherCode::RainShowers, "Rain Showers", "Rain Showers"},
    {82, EnumWeatherCode::RainShowers, "Heavy Rain Showers", "Heavy Rain Showers"},
    {85, EnumWeatherCode::SnowShowers, "Snow Showers", "Snow Showers"},
    {86, EnumWeatherCode::SnowShowers, "Heavy Snow Showers", "Heavy Snow Showers"},
    {95, EnumWeatherCode::Thunderstorms, "Thunderstorms", "Thunderstorms"},
    {96, EnumWeatherCode::Thunderstorms, "Thunderstorms with Hail", "Thunderstorms with Hail"},
    {99, EnumWeatherCode::Thunderstorms, "Thunderstorms with Heavy Hail",
     "Thunderstorms with Heavy Hail"},
}};

// The weather a period shows is its most significant hour's: the higher
// program code, as wherever two codes compete, and of one code the heavier.
bool MoreSignificant(const WmoWeather& candidate, const WmoWeather& current) {
    return std::pair(static_cast<int>(candidate.Code), candidate.Wmo) >
           std::pair(static_cast<int>(current.Code), current.Wmo);
}

constexpr int PeriodHours = 12;
constexpr int DayStartHour = 6;
constexpr int NightStartHour = 18;
// The service forecasts at most sixteen days: a longer answer is not read on.
constexpr qsizetype MaxHours = 16 * 24;
// Colder or hotter air has never been measured; such a value is damage.
constexpr double MaxPlausibleCelsius = 100.0;
// The widest offsets of the world's clocks, with room to spare.
constexpr double MaxOffsetSeconds = 18 * 3600;

TimeSpan Hours(int hours) {
    return TimeSpan(static_cast<std::int64_t>(hours) * TimeSpan::TicksPerHour);
}

// "2026-06-21T06:00", on the hour; anything else is no hour of the forecast.
std::optional<DateTime> ReadHour(const QJsonValue& value) {
    static constexpr char Shape[] = "dddd-dd-ddTdd:00";
    const QString text = value.toString();
    if (!value.isString() || text.size() != static_cast<qsizetype>(sizeof Shape - 1)) {
        return std::nullopt;
    }
    for (qsizetype index = 0; index < text.size(); ++index) {
        const char16_t c = text[index].unicode();
        const char expected = Shape[index];
        if (expected == 'd' ? (c < u'0' || c > u'9') : c != static_cast<char16_t>(expected)) {
            return std::nullopt;
        }
    }
    const auto number = [&text](qsizetype from, qsizetype count) {
        return text.mid(from, count).toInt();
    };
    try {
        return DateTime(number(0, 4), number(5, 2), number(8, 2), number(11, 2), 0, 0);
    } catch (const ApplicationException&) {
        return std::nullopt;
    }
}

std::optional<float> ReadCelsius(const QJsonValue& value) {
    const double celsius = value.toDouble(NAN);
    if (!value.isDouble() || !std::isfinite(celsius) || std::fabs(celsius) > MaxPlausibleCelsius) {
        return std::nullopt;
    }
    return static_cast<float>(celsius);
}

const WmoWeather* ReadWeather(const QJsonValue& value) {
    const double code = value.toDouble(NAN);
    if (!value.isDouble() || !std::isfinite(code) || code != std::floor(code)) {
        return nullptr;
    }
    const auto found = std::find_if(WmoTable.begin(), WmoTable.end(),
                                    [code](const WmoWeather& row) { return row.Wmo == code; });
    return found != WmoTable.end() ? &*found : nullptr;
}

// A value array counts only when it pairs one value with each time: with any
// other length no value could be trusted to belong to its hour.
QJsonArray Series(const QJsonObject& hourly, const char* name, qsizetype hours) {
    const QJsonValue value = hourly.value(QLatin1String(name));
    if (!value.isArray() || value.toArray().size() != hours) {
        qCWarning(lcWeather) << "the worldwide forecast's" << name
                             << "is missing or does not pair with its hours";
        return {};
    }
    return value.toArray();
}

DateTime PeriodStartOf(const DateTime& hour) {
    const DateTime date = hour.Date();
    if (hour.Hour() >= NightStartHour) {
        return date + Hours(NightStartHour);
    }
    if (hour.Hour() >= DayStartHour) {
        return date + Hours(DayStartHour);
    }
    return date - Hours(PeriodHours - DayStartHour);
}

struct PeriodWeather {
    Nullable<float> Highest;
    Nullable<float> Lowest;
    const WmoWeather* Weather = nullptr;
};

// The answer's hours gathered into the periods they fall in. A period is only
// read when the answer spans all of it, so that the first and the last, which
// the answer cuts, never show the extremes of a few hours as a whole period's.
class Periods {
public:
    void Add(const DateTime& hour, std::optional<float> celsius, const WmoWeather* weather) {
        // A repeated hour counts once; an hour next to the start of time has no period.
        if (hour.Ticks() < static_cast<std::uint64_t>(Hours(PeriodHours).Ticks()) ||
            !seen_.insert(hour.Ticks()).second) {
            return;
        }
        first_ = seen_.size() == 1 ? hour : std::min(first_, hour);
        last_ = seen_.size() == 1 ? hour : std::max(last_, hour);
        PeriodWeather& period = periods_[PeriodStartOf(hour).Ticks()];
        if (celsius) {
            period.Highest =
                period.Highest.HasValue() ? std::max(period.Highest.Value(), *celsius) : *celsius;
            period.Lowest =
                period.Lowest.HasValue() ? std::min(period.Lowest.Value(), *celsius) : *celsius;
        }
        if (weather != nullptr &&
            (period.Weather == nullptr || MoreSignificant(*weather, *period.Weather))) {
            period.Weather = weather;
        }
    }

    bool Spans(const DateTime& start) const {
        return !seen_.empty() && start >= first_ && last_ - start >= Hours(PeriodHours - 1);
    }

    // The first period the answer spans that has not ended by then.
    std::optional<DateTime> FirstAfter(const DateTime& now) const {
        if (seen_.empty()) {
            return std::nullopt;
        }
        DateTime start = PeriodStartOf(std::max(now, first_));
        if (start < first_) {
            start = start + Hours(PeriodHours);
        }
        return start;
    }

    const PeriodWeather* Find(const DateTime& start) const {
        if (!Spans(start)) {
            return nullptr;
        }
        const auto found = periods_.find(start.Ticks());
        return found != periods_.end() ? &found->second : nullptr;
    }

private:
    std::set<std::uint64_t> seen_;
    DateTime first_;
    DateTime last_;
    std::map<std::uint64_t, PeriodWeather> periods_;
};

bool IsEmpty(const CForecastItem& item) {
    return item.WeatherSummary.empty() && !item.WeatherCode.HasValue() &&
           !item.MinTemprature.HasValue() && !item.MaxTemprature.HasValue();
}

// Consecutive periods from the first on, so that day and night keep
// alternating: a period without data in the middle stays as an empty one.
std::vector<CForecastItem> MakeItems(const Periods& periods, const DateTime& localNow) {
    std::vector<CForecastItem> items;
    const std::optional<DateTime> first = periods.FirstAfter(localNow);
    if (!first) {
        return items;
    }
    DateTime start = *first;
    for (int count = 0; count < MaxPeriods && periods.Spans(start); ++count) {
        CForecastItem item;
        item.Start = start;
        item.End = start + Hours(PeriodHours);
        if (const PeriodWeather* own = periods.Find(start); own != nullptr && own->Weather) {
            const bool isDay = start.Hour() == DayStartHour;
            item.WeatherCode = own->Weather->Code;
            item.WeatherSummary = isDay ? own->Weather->DaySummary : own->Weather->NightSummary;
        }
        // Both periods of a date carry its day's highest and its night's lowest.
        const DateTime date = start.Date();
        if (const PeriodWeather* day = periods.Find(date + Hours(DayStartHour))) {
            item.MaxTemprature = day->Highest;
        }
        if (const PeriodWeather* night = periods.Find(date + Hours(NightStartHour))) {
            item.MinTemprature = night->Lowest;
        }
        start = item.End;
        items.push_back(std::move(item));
    }
    const auto firstFull = std::find_if_not(items.begin(), items.end(), IsEmpty);
    items.erase(items.begin(), firstFull);
    while (!items.empty() && IsEmpty(items.back())) {
        items.pop_back();
    }
    return items;
}

}  // namespace

std::string ForecastUrl() {
    return AddressFromEnvironment("SKYVANE_WORLD_FORECAST_URL", DefaultForecastUrl);
}

std::string RequestUrl(const std::string& serviceUrl, float latitude, float longitude) {
    const char separator = serviceUrl.find('?') == std::string::npos ? '?' : '&';
    return serviceUrl + separator + "latitude=" + Util::ToString(static_cast<double>(latitude)) +
           "&longitude=" + Util::ToString(static_cast<double>(longitude)) +
           "&hourly=temperature_2m,weather_code&timezone=auto&forecast_days=8";
}

void ParseForecast(const std::string& answer, const DateTime& utcNow, CForecast& forecast) {
    forecast = CForecast{};
    forecast.Source = ForecastSource::OpenMeteo;

    QJsonParseError error{};
    const QJsonDocument document =
        QJsonDocument::fromJson(QByteArray::fromStdString(answer), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        static constexpr const char* Location = "OpenMeteo::ParseForecast (231)";
        RaiseError(Location, error.errorString().toStdString().c_str());
    }
    const QJsonObject root = document.object();
    // The answer's clock decides which periods are over.
    const double offset = root.value(QLatin1String("utc_offset_seconds")).toDouble(NAN);
    if (!std::isfinite(offset) || offset != std::floor(offset) ||
        std::fabs(offset) > MaxOffsetSeconds) {
        static constexpr const char* Location = "OpenMeteo::ParseForecast (238)";
        RaiseError(Location);
    }
    const QJsonObject hourly = root.value(QLatin1String("hourly")).toObject();
    const QJsonValue timeValue = hourly.value(QLatin1String("time"));
    if (!timeValue.isArray()) {
        static constexpr const char* Location = "OpenMeteo::ParseForecast (244)";
        RaiseError(Location);
    }
    const QJsonArray times = timeValue.toArray();
    const QJsonArray temperatures = Series(hourly, "temperature_2m", times.size());
    const QJsonArray codes = Series(hourly, "weather_code", times.size());

    Periods periods;
    for (qsizetype index = 0; index < std::min(times.size(), MaxHours); ++index) {
        if (const std::optional<DateTime> hour = ReadHour(times.at(index))) {
            periods.Add(
                *hour,
                index < temperatures.size() ? ReadCelsius(temperatures.at(index)) : std::nullopt,
                index < codes.size() ? ReadWeather(codes.at(index)) : nullptr);
        }
    }
    const DateTime localNow =
        utcNow.WithKind(DateTime::Kind::Unspecified) +
        TimeSpan(static_cast<std::int64_t>(offset) * TimeSpan::TicksPerSecond);
    forecast.Items = MakeItems(periods, localNow);
    if (forecast.Items.empty()) {
        static constexpr const char* Location = "OpenMeteo::ParseForecast (265)";
        RaiseError(Location);
    }
    forecast.ReportDateTime = DateTime::UtcNow();
}

void GetForecast(float latitude, float longitude, CForecast& forecast) {
    // Whatever another service left in it must not outlive a failed download.
    forecast = CForecast{};
    const std::string answer = Util::DownloadHttp(RequestUrl(ForecastUrl(), latitude, longitude));
    ParseForecast(answer, DateTime::UtcNow(), forecast);
}

}  // namespace OpenMeteo
