#pragma once

#include <QImage>
#include <QPainter>
#include <QRect>
#include <QSize>
#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "core/DateTime.h"
#include "core/Nullable.h"
#include "data/Regions.h"

// One ring of the twilight band: where the sun crosses this zenith circle, and
// the night weight of the pixels the ring adds.
struct ShadeLevel {
    double CosZenith = 0.0;
    std::uint8_t Shade = 0;
};

inline constexpr int ShadeLevelCount = 120;

// From the sun 9 degrees above the horizon (shade 0) to 22 degrees below it
// (shade 255), the shade rising along a half sine.
const std::array<ShadeLevel, ShadeLevelCount>& ShadeLevels();

// The sun's crossings of a zenith circle at Greenwich's longitude, as
// CSun::GetSunriseSunset gives them. Called from two threads at once.
using SunCrossings = std::function<void(double latitude, const DateTime& date, double cosZenith,
                                        Nullable<DateTime>& sunrise, Nullable<DateTime>& sunset)>;

// The night weight of every pixel of an equirectangular picture of the given
// size, row by row: 0 daylight, 255 night, twilight between. The mask belongs
// to the UTC date of utcDate (its time of day is ignored); its columns stand for
// the time of day at Greenwich. Any failure gives a mask of daylight (zeros).
std::vector<std::uint8_t> BuildNightMask(int width, int height, const DateTime& utcDate);
// The same with the crossings taken from elsewhere than CSun.
std::vector<std::uint8_t> BuildNightMask(int width, int height, const DateTime& utcDate,
                                         const SunCrossings& crossings);

// Columns by which the mask moves for the instant's time of day: 0 at 12:00
// UTC, -width / 2 (truncated toward zero) at 00:00.
int NightMaskShift(int width, const DateTime& utcNow);

// Gives each pixel of a 32-bit ARGB picture (Format_ARGB32; any other format
// is converted first) the alpha of the mask column `shift` places to its right,
// wrapping round, and fades bright pixels of the twilight band to dark blue. The
// pixels' own alpha is ignored. A mask not of the picture's size changes nothing.
void ApplyNightMask(QImage& image, std::span<const std::uint8_t> mask, int shift);

// The night layer for the instant: the night picture with the mask applied as
// ApplyNightMask does, in premultiplied ARGB, which draws fastest and looks the
// same. When `recycled` has the size and format and nobody else shares it, its
// pixels are reused instead of allocating new ones. A mask not of the picture's
// size gives an untouched copy of the picture.
QImage MakeNightLayer(const QImage& night, std::span<const std::uint8_t> mask,
                      const DateTime& utcNow, QImage recycled = QImage());

// The same made in the night picture's own pixels, for a caller that needs the
// picture no more: no second full-size picture is held.
QImage MakeNightLayerInPlace(QImage night, std::span<const std::uint8_t> mask,
                             const DateTime& utcNow);
// The same with the mask of the instant's date made a row at a time as the rows
// are shaded: the whole mask is never held.
QImage MakeNightLayerInPlace(QImage night, const DateTime& utcNow);

// The pixels of an equirectangular picture of the given size that the region
// covers, its corners rounded to whole pixels.
QRect RegionSourceRect(const RegionRecord& region, const QSize& imageSize);

// The region of the picture stretched over dest; the aspect ratio is not kept.
// A null picture draws nothing.
void DrawRegion(QPainter& painter, const QImage& image, const RegionRecord& region,
                const QRect& dest);

// The region of a cloud layer over dest as white clouds: a grey layer of
// densities (as GenClouds makes them) is laid with the Screen composition, which
// for a grey g gives exactly white of opacity g over what is there, at a quarter
// of the memory of a white picture with alpha; such a picture (a "Clouds.png"
// of an earlier version) is drawn over as it is.
void DrawCloudLayer(QPainter& painter, const QImage& layer, const RegionRecord& region,
                    const QRect& dest);

// Lays a grey cloud layer into an opaque picture of the same world (RGB32 or
// ARGB32 without transparency), as DrawCloudLayer would lay it over the
// picture drawn at its own size; a layer of another size is first scaled to
// the picture's. Drawing the result then draws both at once. False, with the
// picture untouched, when either is not of that kind.
bool LayCloudLayer(QImage& picture, const QImage& layer);
