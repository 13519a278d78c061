#pragma once

#include <QPointF>
#include <cstdint>
#include <span>

#include "Canvas.h"

// The pieces a weather scene is painted from. Positions and lengths given as fractions are
// fractions of the picture's height (and, for x, of its width), so a recipe keeps its look at
// any size.

struct SkyStop {
    double At;  // 0 top, 1 bottom
    Rgb Colour;
};

// Fills the picture with a vertical gradient through the stops (smoothly between them).
void PaintSky(Canvas& canvas, std::span<const SkyStop> stops);

// Light around `centre` falling off like a Gaussian of `radius` pixels.
void AddGlow(Canvas& canvas, QPointF centre, double radius, const Rgb& light);

// A sun disc of `radius` pixels with its glow.
void PaintSun(Canvas& canvas, QPointF centre, double radius, const Rgb& colour, double glow);

// A moon lit from the left: `lit` 1 is full, 0.5 a half moon, below that a crescent.
void PaintMoon(Canvas& canvas, QPointF centre, double radius, double lit, const Rgb& skyColour);

// Stars thinning out towards `horizon` (fraction of the height), at most `brightness` bright.
void PaintStars(Canvas& canvas, std::uint64_t seed, int count, double horizon, double brightness);

struct CloudDeck {
    std::uint64_t Seed = 1;
    // Share of the sky the clouds cover, 0..1, and how soft their edges are.
    double Coverage = 0.4;
    double Softness = 0.08;
    // Size of the largest cloud shapes, as a fraction of the picture's height.
    double Size = 0.5;
    int Octaves = 6;
    // Weight of rounded, billowing detail on the shapes (heaped clouds).
    double Puff = 0;
    // >1 draws the shapes out sideways (wind), Shear slants them.
    double Stretch = 1;
    double Shear = 0;
    // Drawn as a level deck seen in perspective down to `Horizon` (fraction of the height):
    // the shapes shrink and flatten towards it and fade into the haze. Without it, a flat sheet.
    bool Perspective = true;
    double Horizon = 0.8;
    // Vertical band (fractions of the height) and how softly it fades at its ends.
    double Top = 0;
    double Bottom = 0.8;
    double Fade = 0.1;
    Rgb Light;
    Rgb Shadow;
    double Opacity = 1;
    // Where the light comes from (in pixels), for bright rims towards it and darker sides away.
    QPointF LightFrom{0, 0};
    double Shading = 1;
    // Thick parts turn towards Shadow by this much.
    double Thickness = 0.5;
    // The share of the light-facing rims that is brightened; softer for hazy decks.
    double Rim = 1;
    // Thins the clouds around the top right corner by this share, for the program's text.
    double CalmCorner = 0;
};

void PaintClouds(Canvas& canvas, const CloudDeck& deck);

struct Ridge {
    std::uint64_t Seed = 1;
    double Base = 0.8;     // fraction of the height at the ridge's lowest
    double Height = 0.05;  // fraction of the height the hills rise above Base
    double Width = 0.6;    // size of the largest hills, fraction of the width
    double Peaks = 0;      // 0 rounded hills .. 1 sharp mountain crests
    double Trees = 0;      // height of a bumpy tree line on the ridge, fraction of the height
    double Texture = 0;    // brightness variation of the ground
    // Colour at the outline, turning to Bottom over `Fall` (fraction of the height) below it,
    // or over all of it down to the picture's bottom when Fall is 0.
    Rgb Top;
    Rgb Bottom;
    double Fall = 0;
};

// A landscape silhouette: everything below the ridge line, from Top to Bottom colour.
void PaintRidge(Canvas& canvas, const Ridge& ridge);

// A ground line of gentle hills at `base` (fraction of the height), everything below it filled
// with `floorColour`, and conifers of `colour` standing on it, `treeHeight` tall at most and
// about `spacing` pixels apart where they grow.
void PaintForest(Canvas& canvas, std::uint64_t seed, double base, double treeHeight, double spacing,
                 const Rgb& colour, const Rgb& floorColour);

// Fog or haze between `top` and `bottom` (fractions), densest at `densest`, drifting in soft
// horizontal banks.
void PaintFog(Canvas& canvas, std::uint64_t seed, double top, double densest, double bottom,
              const Rgb& colour, double opacity);

// Darkens the top right corner, where the program writes white text.
void CalmTextCorner(Canvas& canvas, double strength);
