#include "weather/WeatherLog.h"

// Only critical messages pass by default.
Q_LOGGING_CATEGORY(lcWeather, "skyvane.weather", QtCriticalMsg)
