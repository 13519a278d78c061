#include "SceneParts.h"

#include "WeatherEffects.h"

namespace {

// Rows of conifers fading into the fog behind each other.

void PaintFoggyWoods(Canvas& canvas, std::uint64_t seed, const Rgb& fog, const Rgb& trees) {
    PaintRidge(canvas, {.Seed = seed,
                        .Base = 0.8,
                        .Height = 0.09,
                        .Width = 0.45,
                        .Peaks = 0.4,
                        .Top = Mix(fog, trees, 0.12),
                        .Bottom = Mix(fog, trees, 0.12)});
    PaintFog(canvas, seed + 1, 0.66, 0.8, 0.86, fog, 0.5);
    PaintForest(canvas, seed + 2, 0.84, 0.07, 10, Mix(fog, trees, 0.3), Mix(fog, trees, 0.3));
    PaintFog(canvas, seed + 3, 0.72, 0.85, 0.9, fog, 0.45);
    PaintForest(canvas, seed + 4, 0.9, 0.1, 16, Mix(fog, trees, 0.55), Mix(fog, trees, 0.55));
    PaintFog(canvas, seed + 5, 0.8, 0.91, 0.96, fog, 0.35);
    PaintForest(canvas, seed + 6, 1.0, 0.2, 34, trees, trees);
    PaintFog(canvas, seed + 7, 0.55, 0.85, 1.0, fog, 0.3);
}

// Dunes behind dunes, their crests sharp, with a shining mirage strip at the horizon.

void PaintDunes(Canvas& canvas, std::uint64_t seed, const Rgb& far, const Rgb& near,
                const Rgb& shade, const Rgb& mirage, double mirageOpacity) {
    PaintRidge(canvas, {.Seed = seed,
                        .Base = 0.8,
                        .Height = 0.035,
                        .Width = 0.3,
                        .Peaks = 0.5,
                        .Top = far,
                        .Bottom = far});
    PaintFog(canvas, seed + 1, 0.77, 0.795, 0.815, mirage, mirageOpacity);
    const double bases[] = {0.84, 0.9, 0.98};
    const double heights[] = {0.04, 0.06, 0.09};
    for (int row = 0; row < 3; ++row) {
        const double nearness = (row + 1) / 3.0;
        const Rgb crest = Mix(far, near, nearness);
        PaintRidge(canvas, {.Seed = seed + 2 + static_cast<std::uint64_t>(row),
                            .Base = bases[row],
                            .Height = heights[row],
                            .Width = 0.28 + 0.12 * row,
                            .Peaks = 0.85,
                            .Texture = 0.03 * nearness,
                            .Top = crest,
                            .Bottom = Mix(crest, shade, 0.5),
                            .Fall = 0.06});
    }
}

}  // namespace

namespace WeatherScene {

void Fog(Canvas& canvas, bool day) {
    const Frame frame(canvas);
    if (day) {
        constexpr SkyStop sky[] = {
            {0.0, Hex(0xA9B0B7)}, {0.6, Hex(0xCDD1D5)}, {1.0, Hex(0xD8DBDE)}};
        PaintSky(canvas, sky);
        AddGlow(canvas, frame.At(0.25, 0.3), frame.Height(0.2), Hex(0x1A1812));
        PaintFoggyWoods(canvas, 600, Hex(0xD2D5D8), Hex(0x3E474E));
        CalmTextCorner(canvas, 0.3);
    } else {
        constexpr SkyStop sky[] = {
            {0.0, Hex(0x161A21)}, {0.6, Hex(0x272C35)}, {1.0, Hex(0x30353F)}};
        PaintSky(canvas, sky);
        PaintFoggyWoods(canvas, 610, Hex(0x343A44), Hex(0x0B0D11));
    }
}

void Haze(Canvas& canvas, bool day) {
    const Frame frame(canvas);
    if (day) {
        constexpr SkyStop sky[] = {{0.0, Hex(0x8FA6BC)},
                                   {0.45, Hex(0xBFC4C2)},
                                   {0.8, Hex(0xE2D5B8)},
                                   {1.0, Hex(0xE6D5B2)}};
        PaintSky(canvas, sky);
        AddGlow(canvas, frame.At(0.24, 0.45), frame.Height(0.3), Hex(0x1C170E));
        PaintSun(canvas, frame.At(0.24, 0.42), frame.Height(0.03), Hex(0xFFE3B0), 0.55);
        const Land dusty{Hex(0x8E8468), Hex(0x5E5A45), Hex(0x3E3C2E), 0.8, 0.03, 0.25};
        PaintLand(canvas, dusty, Hex(0xE2D5B8), 0.6, 700);
        PaintFog(canvas, 701, 0.3, 0.8, 0.95, Hex(0xE3D5B5), 0.35);
        CalmTextCorner(canvas, 0.22);
    } else {
        constexpr SkyStop sky[] = {{0.0, Hex(0x14141C)},
                                   {0.5, Hex(0x2A2428)},
                                   {0.82, Hex(0x5A4434)},
                                   {1.0, Hex(0x604A38)}};
        PaintSky(canvas, sky);
        PaintStars(canvas, 72, 500, 0.6, 0.35);
        PaintMoon(canvas, frame.At(0.22, 0.3), frame.Height(0.036), 1.0, Hex(0x2A2428));
        const Land dusty{Hex(0x241E1E), Hex(0x161212), Hex(0x0D0B0B), 0.8, 0.03, 0.3};
        PaintLand(canvas, dusty, Hex(0x5A4434), 0.55, 700);
        PaintFog(canvas, 702, 0.4, 0.8, 0.95, Hex(0x5A4636), 0.3);
    }
}

void Cold(Canvas& canvas, bool day) {
    const Frame frame(canvas);
    if (day) {
        const QPointF sun = frame.At(0.24, 0.48);
        constexpr SkyStop sky[] = {
            {0.0, Hex(0x4F84C2)}, {0.5, Hex(0x8DB6DF)}, {0.8, Hex(0xCFE2F2)}, {1.0, Hex(0xE0ECF6)}};
        PaintSky(canvas, sky);
        PaintHalo(canvas, sun, frame.Height(0.24), 0.05);
        PaintSun(canvas, sun, frame.Height(0.026), Hex(0xF4F8FF), 0.9);
        CloudDeck veil = Cirrus(81, Hex(0xFFFFFF), Hex(0xCFE0F2), 0.3);
        veil.CalmCorner = 0.8;
        PaintClouds(canvas, veil);
        PaintSnowyLand(canvas, 800, Hex(0xB9CFE6), Hex(0x22344A), Hex(0xF2F7FC), Hex(0xC4D6EA),
                       Hex(0xDCE9F5), 0.3);
        PaintDiamondDust(canvas, 82, 45, 0.4, 0.85);
        CalmTextCorner(canvas, 0.16);
    } else {
        const QPointF moon = frame.At(0.2, 0.22);
        constexpr SkyStop sky[] = {
            {0.0, Hex(0x020716)}, {0.5, Hex(0x0A1A3A)}, {0.8, Hex(0x193560)}, {1.0, Hex(0x1F3E6A)}};
        PaintSky(canvas, sky);
        PaintStars(canvas, 83, 3000, 0.82, 1.0);
        PaintMoon(canvas, moon, frame.Height(0.04), 1.0, Hex(0x0A1A3A));
        PaintSnowyLand(canvas, 800, Hex(0x5B7296), Hex(0x0A1320), Hex(0x8CA3C4), Hex(0x5C7396),
                       Hex(0x2B4670), 0.35);
    }
}

void Hot(Canvas& canvas, bool day) {
    const Frame frame(canvas);
    if (day) {
        constexpr SkyStop sky[] = {{0.0, Hex(0x2766B8)},
                                   {0.5, Hex(0x73A8DA)},
                                   {0.76, Hex(0xE6D8B8)},
                                   {1.0, Hex(0xF0C890)}};
        PaintSky(canvas, sky);
        PaintSun(canvas, frame.At(0.22, 0.2), frame.Height(0.04), Hex(0xFFE6A8), 1.6);
        PaintDunes(canvas, 900, Hex(0xD8AE88), Hex(0xE9B473), Hex(0xA86A35), Hex(0xDCE6EE), 0.55);
        PaintHeatShimmer(canvas, 901, 0.74, 0.9, 4);
        CalmTextCorner(canvas, 0.14);
    } else {
        constexpr SkyStop sky[] = {
            {0.0, Hex(0x070B1E)}, {0.5, Hex(0x1B1A36)}, {0.8, Hex(0x4A3040)}, {1.0, Hex(0x6A4036)}};
        PaintSky(canvas, sky);
        PaintStars(canvas, 92, 1800, 0.75, 0.8);
        PaintMoon(canvas, frame.At(0.2, 0.24), frame.Height(0.036), 0.25, Hex(0x1B1A36));
        PaintDunes(canvas, 900, Hex(0x3A2A32), Hex(0x2C2024), Hex(0x0E0909), Hex(0x5A3A44), 0.3);
        PaintHeatShimmer(canvas, 902, 0.76, 0.88, 2);
    }
}

}  // namespace WeatherScene
