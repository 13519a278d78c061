#pragma once

#include <QPointF>
#include <cstdint>

#include "Canvas.h"
#include "ScenePainting.h"

// What the weather backgrounds share: placing things by fractions of the picture, the
// landscapes and the kinds of cloud.

// Fractions of the picture to pixels.
class Frame {
public:
    explicit Frame(Canvas& canvas) : canvas_(canvas) {}

    QPointF At(double x, double y) const { return {x * canvas_.Width(), y * canvas_.Height()}; }
    double Height(double fraction) const { return fraction * canvas_.Height(); }

private:
    Canvas& canvas_;
};

// Colours of a landscape's ridges; the far one and the air between them come from the sky's
// colour at the horizon, so that distant hills always sit a little darker than the sky there.
struct Land {
    Rgb Middle;
    Rgb NearTop;
    Rgb NearBottom;
    double Trees = 1;
    double Texture = 0.04;
    double FarShade = 0.35;
};

inline constexpr Land Meadows{Hex(0x3F5B45), Hex(0x2E4630), Hex(0x1D2C1E)};
inline constexpr Land GreyMeadows{Hex(0x46524A), Hex(0x333D36), Hex(0x222923)};
inline constexpr Land StormMeadows{Hex(0x333D37), Hex(0x252D28), Hex(0x171C18)};
inline constexpr Land NightMeadows{Hex(0x0F1522), Hex(0x0A0F18), Hex(0x06090F), 1, 0.04, 0.3};
inline constexpr Land DarkNightMeadows{Hex(0x0C0F14), Hex(0x080A0E), Hex(0x050608), 1, 0.04, 0.3};

// Distant mountains, wooded hills and the near ground, with `haze` of the horizon's colour
// between them.
void PaintLand(Canvas& canvas, const Land& land, const Rgb& horizon, double haze,
               std::uint64_t seed);

// Snowy mountains, a dark band of conifers and snow-covered ground in front.
void PaintSnowyLand(Canvas& canvas, std::uint64_t seed, const Rgb& farSnow, const Rgb& trees,
                    const Rgb& nearSnow, const Rgb& nearShade, const Rgb& air, double haze);

// A soft veil of thin cirrus high in a clear sky.
CloudDeck Cirrus(std::uint64_t seed, const Rgb& light, const Rgb& shadow, double opacity);

// Fair-weather heaps, lit from `sun`.
CloudDeck Cumulus(std::uint64_t seed, double coverage, QPointF sun, const Rgb& light,
                  const Rgb& shadow);

// A closed grey layer with soft lumps.
CloudDeck Overcast(std::uint64_t seed, const Rgb& light, const Rgb& shadow, double softness);

// One function per folder of "Weather Backgrounds/", painting the whole canvas by day or night.
namespace WeatherScene {
void Clear(Canvas& canvas, bool day);
void Fair(Canvas& canvas, bool day);
void PartlyCloudy(Canvas& canvas, bool day);
void MostlyCloudy(Canvas& canvas, bool day);
void Cloudy(Canvas& canvas, bool day);
void Windy(Canvas& canvas, bool day);
void Fog(Canvas& canvas, bool day);
void Haze(Canvas& canvas, bool day);
void Cold(Canvas& canvas, bool day);
void Hot(Canvas& canvas, bool day);
void Rain(Canvas& canvas, bool day);
void Snow(Canvas& canvas, bool day);
void Hail(Canvas& canvas, bool day);
void Thunderstorms(Canvas& canvas, bool day);
void Tornado(Canvas& canvas, bool day);
}  // namespace WeatherScene
