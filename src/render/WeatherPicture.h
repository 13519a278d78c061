#pragma once

#include <QImage>
#include <QPainter>
#include <QRect>
#include <vector>

#include "core/DateTime.h"
#include "data/Options.h"
#include "render/Screen.h"

class WeatherPictures;

// The weather edition's wallpaper: one RGB32 picture over the virtual screen in
// device pixels with a panel per screen, placed relative to the virtual screen's
// top-left corner and drawn at the screen's scale. A null
// image when there is no screen or the picture cannot be allocated.
QImage ComposeWeatherPicture(const COptions& options, WeatherPictures& pictures,
                             const std::vector<Screen>& screens, const DateTime& utcNow);

// The sky, the photograph of the home city's weather (kept inside the bounds) and,
// at the top right of the work area, its temperature, description and name. Only
// the sky without a home city or without a report of the last 48 hours.
void DrawWeatherPanel(QPainter& painter, const COptions& options, WeatherPictures& pictures,
                      const QRect& bounds, const QRect& workArea, const DateTime& utcNow);
