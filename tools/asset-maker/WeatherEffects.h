#pragma once

#include <QPointF>
#include <cstdint>

#include "Canvas.h"

// Weather drawn over a painted sky and landscape: falling rain, snow and hail, lightning, a
// tornado, hot air and ice in the air. Fractions are of the picture's height (and width for x).

// Count pieces anywhere in the band Top..Bottom (fractions); sizes in pixels.
struct Precipitation {
    std::uint64_t Seed = 1;
    int Count = 1000;
    double Angle = 12;  // degrees from vertical, positive leaning to the right at the bottom
    double Length = 40;
    double Width = 1.2;
    double Opacity = 0.25;
    int Blur = 0;
    Rgb Colour;
    double Top = 0;
    double Bottom = 1;
};

// Streaks Length long and Width wide, fading in towards their upper end.
void PaintRain(Canvas& canvas, const Precipitation& rain);
// Soft round flakes; Length is the largest flake's diameter.
void PaintSnow(Canvas& canvas, const Precipitation& snow);
// Bright stones Width across with trails Length long.
void PaintHail(Canvas& canvas, const Precipitation& hail);

// A branching bolt from `from` to `to` with its glow, and the clouds lit around its start.
void PaintLightning(Canvas& canvas, std::uint64_t seed, QPointF from, QPointF to,
                    double brightness);

// A funnel from the cloud base at `top` down to the ground at `ground` (pixels), with the
// dust it raises.
void PaintTornado(Canvas& canvas, std::uint64_t seed, QPointF top, QPointF ground, double width,
                  const Rgb& colour, const Rgb& dust);

// Wavering air over hot ground between `top` and `bottom` (fractions).
void PaintHeatShimmer(Canvas& canvas, std::uint64_t seed, double top, double bottom,
                      double strength);

// Glints of ice crystals in the air between `top` and `bottom`, with four short rays each.
void PaintDiamondDust(Canvas& canvas, std::uint64_t seed, int count, double top, double bottom);

// A faint ring of light around the sun, as ice crystals make it.
void PaintHalo(Canvas& canvas, QPointF centre, double radius, double strength);
