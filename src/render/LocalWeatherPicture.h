#pragma once

#include <QImage>
#include <string>

#include "core/DateTime.h"
#include "core/Nullable.h"

class COptions;
class WeatherPictures;

// "To see local weather information, ..."; shown instead of the weather while
// the options have no home city.
extern const char* const LocalWeatherHintText;

// The local-weather window's picture in one of CSettings' window modes (a
// value outside them draws Large): premultiplied ARGB, transparent wherever
// nothing is drawn. The hint picture in every mode without a home city; a
// current report or a forecast older than 48 hours at utcNow is not shown.
// A null image when the picture cannot be allocated. Laid out in logical pixels
// and held at ratio device pixels to each (its device pixel ratio).
QImage ComposeLocalWeatherPicture(const COptions& options, const WeatherPictures& pictures,
                                  int mode, const DateTime& utcNow, double ratio = 1.0);

// A forecast column's temperatures, maximum first: "72°/55°", "--/55°", "72°/--".
std::string ForecastTemperatureText(const Nullable<float>& maximum, const Nullable<float>& minimum,
                                    bool metric);
