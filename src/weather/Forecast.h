#pragma once

#include <string>
#include <vector>

#include "core/DateTime.h"
#include "core/Nullable.h"
#include "weather/ReportTime.h"
#include "weather/WeatherCode.h"

// One 12-hour period. Start and end are the forecast point's local time.
class CForecastItem {
public:
    DateTime Start;
    DateTime End;
    std::string WeatherSummary;
    Nullable<EnumWeatherCode> WeatherCode;
    // Degrees Celsius, the day's values: both periods of a date carry the same.
    Nullable<float> MinTemprature;
    Nullable<float> MaxTemprature;
};

// Where a forecast came from: the worldwide service's data must be credited
// wherever they are shown.
enum class ForecastSource { Ndfd, OpenMeteo };

class CForecast {
public:
    // When the forecast was parsed, UTC.
    DateTime ReportDateTime = InitialReportDateTime();
    std::vector<CForecastItem> Items;
    ForecastSource Source = ForecastSource::Ndfd;
};
