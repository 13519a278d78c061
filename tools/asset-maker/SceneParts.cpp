#include "SceneParts.h"

void PaintLand(Canvas& canvas, const Land& land, const Rgb& horizon, double haze,
               std::uint64_t seed) {
    const Rgb far = Mix(horizon, land.Middle, land.FarShade);
    PaintRidge(canvas, {.Seed = seed,
                        .Base = 0.815,
                        .Height = 0.11,
                        .Width = 0.45,
                        .Peaks = 0.6,
                        .Top = far,
                        .Bottom = Mix(far, horizon, 0.5)});
    PaintFog(canvas, seed + 1, 0.72, 0.81, 0.86, horizon, haze);
    PaintRidge(canvas, {.Seed = seed + 2,
                        .Base = 0.875,
                        .Height = 0.075,
                        .Width = 0.22,
                        .Trees = 0.014 * land.Trees,
                        .Texture = land.Texture * 0.5,
                        .Top = land.Middle,
                        .Bottom = Mix(land.Middle, land.NearTop, 0.5)});
    PaintFog(canvas, seed + 3, 0.8, 0.88, 0.93, horizon, haze * 0.45);
    PaintRidge(canvas, {.Seed = seed + 4,
                        .Base = 0.98,
                        .Height = 0.075,
                        .Width = 0.6,
                        .Trees = 0.022 * land.Trees,
                        .Texture = land.Texture,
                        .Top = land.NearTop,
                        .Bottom = land.NearBottom});
}

CloudDeck Cirrus(std::uint64_t seed, const Rgb& light, const Rgb& shadow, double opacity) {
    return {.Seed = seed,
            .Coverage = 0.3,
            .Softness = 0.14,
            .Size = 0.9,
            .Octaves = 6,
            .Stretch = 5,
            .Shear = 0.4,
            .Top = 0.0,
            .Bottom = 0.8,
            .Light = light,
            .Shadow = shadow,
            .Opacity = opacity,
            .Shading = 0.3,
            .Thickness = 0.2};
}

CloudDeck Cumulus(std::uint64_t seed, double coverage, QPointF sun, const Rgb& light,
                  const Rgb& shadow) {
    return {.Seed = seed,
            .Coverage = coverage,
            .Softness = 0.05,
            .Size = 0.35,
            .Octaves = 7,
            .Puff = 0.35,
            .Top = 0.0,
            .Bottom = 0.8,
            .Light = light,
            .Shadow = shadow,
            .LightFrom = sun,
            .Shading = 1.2,
            .Thickness = 0.45};
}

CloudDeck Overcast(std::uint64_t seed, const Rgb& light, const Rgb& shadow, double softness) {
    return {.Seed = seed,
            .Coverage = 0.97,
            .Softness = softness,
            .Size = 0.5,
            .Octaves = 7,
            .Top = 0.0,
            .Bottom = 0.82,
            .Light = light,
            .Shadow = shadow,
            .LightFrom = {0, -2000},
            .Shading = 0.5,
            .Thickness = 0.7,
            .Rim = 0.2};
}

void PaintSnowyLand(Canvas& canvas, std::uint64_t seed, const Rgb& farSnow, const Rgb& trees,
                    const Rgb& nearSnow, const Rgb& nearShade, const Rgb& air, double haze) {
    PaintRidge(canvas, {.Seed = seed,
                        .Base = 0.82,
                        .Height = 0.13,
                        .Width = 0.4,
                        .Peaks = 0.75,
                        .Texture = 0.04,
                        .Top = farSnow,
                        .Bottom = Mix(farSnow, air, 0.4)});
    PaintFog(canvas, seed + 1, 0.72, 0.82, 0.87, air, haze);
    PaintForest(canvas, seed + 2, 0.9, 0.085, 10, trees, Mix(nearSnow, nearShade, 0.6));
    PaintRidge(canvas, {.Seed = seed + 4,
                        .Base = 0.99,
                        .Height = 0.08,
                        .Width = 0.7,
                        .Texture = 0.025,
                        .Top = nearSnow,
                        .Bottom = nearShade});
}
