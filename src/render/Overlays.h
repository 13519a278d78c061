#pragma once

#include <QPainter>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <vector>

#include "core/DateTime.h"
#include "data/City.h"
#include "data/Options.h"
#include "data/Regions.h"

class WeatherPictures;

// Where a place lies on a picture of the region drawn into dest, in single precision
// truncated toward zero; places outside the region lie outside dest.
QPoint CityPosition(const RegionRecord& region, const QRect& dest, float latitude, float longitude);

// Favourite cities and the home city with their icons, names and temperatures: names
// first, then icons, then temperatures, so that later drawings cover earlier ones.
// Whether the overlay is wanted at all (ShowWeather) is the caller's decision. A city
// that fails to draw is left out.
void DrawCities(QPainter& painter, const COptions& options, const WeatherPictures& pictures,
                const QRect& dest, const DateTime& utcNow);

// One city in the passes named by the flags; nothing at all unless its report is
// younger than 48 hours.
void DrawCityItem(QPainter& painter, const COptions& options, const WeatherPictures& pictures,
                  const City& city, bool drawName, bool drawTemperature, bool drawIcon,
                  QPoint position, const DateTime& utcNow);

// The columns of a grid of count entries, at most perRow to a row (at least one):
// the rows that takes, then the fewest columns that still fill them, so that the
// rows come out even (5 at 4 to a row: 3 + 2, not 4 + 1).
int BalancedColumns(int count, int perRow);

// The drawing box of each clock block of the measured sizes: one centred row, or
// a balanced grid when they do not fit the work area's width.
std::vector<QRect> LayoutTimeZoneBlocks(const std::vector<QSize>& sizes, const QRect& workArea);

// The clocks of the chosen zones along the top of the work area. Writes the
// measured size of each block into its zone. Fails silently.
void DrawTimeZonesOnMap(QPainter& painter, COptions& options, const QRect& workArea,
                        const DateTime& utcNow);
