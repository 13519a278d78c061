#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "core/DateTime.h"

// The request of the forecast operation; every part travels as text.
struct NdfdRequestParts {
    std::string latitude;
    std::string longitude;
    std::string startDate;
    std::string numDays;
    std::string Unit;
    std::string format;
};

// Bounds of one call, so that a silent or flooding server cannot hold the
// weather thread or its memory. Tests shorten them. A send or receive time-out
// is the longest time no byte may move.
struct NdfdTransportLimits {
    std::chrono::milliseconds ConnectTimeout = std::chrono::seconds(30);
    std::chrono::milliseconds SendTimeout = std::chrono::seconds(60);
    std::chrono::milliseconds ReceiveTimeout = std::chrono::seconds(60);
    // Bounds a server that trickles its answer just fast enough to dodge the
    // receive time-out.
    std::chrono::milliseconds TransferTimeout = std::chrono::seconds(180);
    std::uint64_t MaxAnswerBytes = 1024 * 1024;
};

// The service's current address, and the older name it still answers under.
inline constexpr const char* NdfdDefaultEndpoint =
    "https://digital.weather.gov/xml/SOAP_server/ndfdXMLserver.php";
inline constexpr const char* NdfdOlderEndpoint =
    "https://graphical.weather.gov/xml/SOAP_server/ndfdXMLserver.php";
inline constexpr const char* NdfdSoapAction = "/xml/DWMLgen/wsdl/ndfdXML.wsdl#NDFDgenByDay";

// Seven days of 12-hourly periods in English units, starting today.
NdfdRequestParts MakeNdfdRequestParts(float latitude, float longitude, const DateTime& localToday);

// The service addresses in the order tried: a non-empty SKYVANE_FORECAST_URL alone,
// else the current one and then the older one.
std::vector<std::string> ForecastEndpoints();

// One call with a SOAP state of its own over libcurl (proxies from the
// environment, the service's certificate checked against the system's store);
// returns the DWML text as received. A transport failure, a time-out, an
// oversized answer, a SOAP fault or a stop of the thread's work (WorkStop)
// raises "WeatherServiceNoaa::GetForecast (110)".
std::string CallNdfdGenByDay(const std::string& endpoint, const NdfdRequestParts& parts,
                             const NdfdTransportLimits& limits = {});
