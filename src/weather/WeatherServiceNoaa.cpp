#include "weather/WeatherServiceNoaa.h"

#include "core/CPtr.h"
#include "core/Exceptions.h"
#include "core/WorkStop.h"
#include "net/ServiceAddress.h"
#include "weather/Dwml.h"
#include "weather/Metar.h"
#include "weather/OpenMeteo.h"
#include "weather/WeatherLog.h"
#include "weather/soap/NdfdClient.h"

namespace {

[[noreturn]] void RaiseInternetFailure() {
    static constexpr const char* Location = "AfxThrowInternetException (11)";
    RaiseError(Location);
}

bool IsPlainCharacter(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

// Station codes come from an editable file: anything but letters and digits is
// sent encoded, so no code can reach another path of the server.
std::string EncodedStation(const std::string& station) {
    static constexpr const char* Hex = "0123456789ABCDEF";
    std::string encoded;
    for (const char ch : station) {
        const auto c = static_cast<unsigned char>(ch);
        if (IsPlainCharacter(c)) {
            encoded += ch;
        } else {
            encoded += '%';
            encoded += Hex[c >> 4];
            encoded += Hex[c & 15];
        }
    }
    return encoded;
}

}  // namespace

std::string CallForecastService(const std::vector<std::string>& endpoints,
                                const NdfdRequestParts& parts) {
    for (std::size_t index = 0;; ++index) {
        try {
            return CallNdfdGenByDay(endpoints.at(index), parts);
        } catch (const ApplicationException& error) {
            if (index + 1 >= endpoints.size() || WorkStop::Requested()) {
                throw;
            }
            qCInfo(lcWeather).noquote()
                << "the forecast service at" << QString::fromStdString(endpoints[index])
                << "failed (" << QString::fromStdString(error.Message) << "), trying"
                << QString::fromStdString(endpoints[index + 1]);
        }
    }
}

std::string MetarStationsUrl() {
    return AddressFromEnvironment("SKYVANE_METAR_URL", DefaultMetarStationsUrl);
}

WeatherServiceNoaa::WeatherServiceNoaa() {
    const std::optional<ServiceAddress> address = SplitUrl(MetarStationsUrl());
    if (!address || !address->IsHttp()) {
        RaiseInternetFailure();
    }
    connection_ = std::make_unique<HttpConnection>(session_, address->Host, address->Port,
                                                   address->IsSecure());
    stationsPath_ = address->Path;
    if (stationsPath_.empty() || stationsPath_.back() != '/') {
        stationsPath_ += '/';
    }
}

// The connection goes before the session it was opened on.
WeatherServiceNoaa::~WeatherServiceNoaa() {
    connection_.reset();
}

std::string WeatherServiceNoaa::StationPath(const std::string& station) const {
    return stationsPath_ + EncodedStation(station) + ".TXT";
}

CCurrentWeather WeatherServiceNoaa::GetCurrentWeather(const WeatherRequest& request) {
    if (!connection_) {
        RaiseError(CPtrLocations<HttpConnection>::Star);
    }
    const std::string text = Util::DownloadHttp(StationPath(request.Station), *connection_);
    return ParseMetar(text, request.Station);
}

void WeatherServiceNoaa::GetForecast(const WeatherRequest& request, CForecast& forecast) {
    const NdfdRequestParts parts =
        MakeNdfdRequestParts(request.Latitude, request.Longitude, DateTime::Now());
    NoaaDwml::Parse12HourlyForecast(CallForecastService(ForecastEndpoints(), parts), forecast);
}

std::unique_ptr<CWeatherReport> WeatherServiceNoaa::GetCurrentWeatherAndForecast(
    const WeatherRequest& request) {
    auto report = std::make_unique<CWeatherReport>();
    report->CityId = request.Id;
    bool currentFailed = false;
    try {
        report->Current = GetCurrentWeather(request);
    } catch (...) {
        qCWarning(lcWeather) << "weather of" << request.Station.c_str()
                             << "failed:" << CurrentExceptionText().c_str();
        currentFailed = true;
    }
    bool forecastFailed = false;
    try {
        GetForecastForPlace(request, report->Forecast);
    } catch (...) {
        // A forecast that failed while parsing keeps its 1990 time, so it never
        // replaces a city's forecast.
        qCWarning(lcWeather) << "forecast for" << request.Station.c_str()
                             << "failed:" << CurrentExceptionText().c_str();
        forecastFailed = true;
    }
    if (currentFailed && forecastFailed) {
        static constexpr const char* Location =
            "WeatherServiceNoaa::GetCurrentWeatherAndForecast (69)";
        RaiseError(Location);
    }
    return report;
}

void WeatherServiceNoaa::GetForecastForPlace(const WeatherRequest& request, CForecast& forecast) {
    if (request.InUsa) {
        try {
            GetForecast(request, forecast);
            if (!forecast.Items.empty()) {
                return;
            }
            qCInfo(lcWeather) << "the NDFD forecast for" << request.Station.c_str()
                              << "has no period; the worldwide one is asked";
        } catch (...) {
            if (WorkStop::Requested()) {
                throw;
            }
            qCInfo(lcWeather) << "the NDFD forecast for" << request.Station.c_str()
                              << "failed:" << CurrentExceptionText().c_str()
                              << "; the worldwide one is asked";
        }
    }
    OpenMeteo::GetForecast(request.Latitude, request.Longitude, forecast);
}

std::unique_ptr<IWeatherService> MakeWeatherServiceNoaa() {
    return std::make_unique<WeatherServiceNoaa>();
}
