#pragma once

#include "core/DateTime.h"
#include "core/Nullable.h"
#include "weather/ReportTime.h"
#include "weather/WeatherCode.h"

// The conditions of one station report; copied as a whole.
class CCurrentWeather {
public:
    // Observation time, UTC wall clock.
    DateTime ReportDateTime = InitialReportDateTime();
    Nullable<EnumWeatherCode> WeatherCode;
    // Degrees Celsius; absent when the report carries none.
    Nullable<float> Temprature;
    Nullable<float> DewPoint;
};
