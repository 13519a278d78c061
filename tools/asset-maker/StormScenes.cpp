#include "SceneParts.h"

#include "WeatherEffects.h"

namespace {

void PaintRainFall(Canvas& canvas, std::uint64_t seed, const Rgb& colour, double strength) {
    PaintRain(canvas, {.Seed = seed,
                       .Count = 5000,
                       .Angle = 10,
                       .Length = 24,
                       .Width = 1.0,
                       .Opacity = 0.16 * strength,
                       .Colour = colour});
    PaintRain(canvas, {.Seed = seed + 1,
                       .Count = 2200,
                       .Angle = 11,
                       .Length = 46,
                       .Width = 1.4,
                       .Opacity = 0.2 * strength,
                       .Colour = colour});
    PaintRain(canvas, {.Seed = seed + 2,
                       .Count = 320,
                       .Angle = 12,
                       .Length = 110,
                       .Width = 2.4,
                       .Opacity = 0.18 * strength,
                       .Blur = 2,
                       .Colour = colour});
}

void PaintSnowFall(Canvas& canvas, std::uint64_t seed, const Rgb& colour, double strength) {
    PaintSnow(
        canvas,
        {.Seed = seed, .Count = 7000, .Length = 3.5, .Opacity = 0.75 * strength, .Colour = colour});
    PaintSnow(canvas, {.Seed = seed + 1,
                       .Count = 1600,
                       .Length = 8,
                       .Opacity = 0.85 * strength,
                       .Colour = colour});
    PaintSnow(canvas, {.Seed = seed + 2,
                       .Count = 160,
                       .Length = 22,
                       .Opacity = 0.7 * strength,
                       .Blur = 3,
                       .Colour = colour});
}

}  // namespace

namespace WeatherScene {

void Rain(Canvas& canvas, bool day) {
    if (day) {
        constexpr SkyStop sky[] = {
            {0.0, Hex(0x454D57)}, {0.8, Hex(0x77808A)}, {1.0, Hex(0x848C95)}};
        PaintSky(canvas, sky);
        PaintClouds(canvas, Overcast(111, Hex(0x87909A), Hex(0x3E454E), 0.25));
        PaintLand(canvas, StormMeadows, Hex(0x77808A), 0.45, 1100);
        PaintFog(canvas, 112, 0.6, 0.84, 1.0, Hex(0x7D858F), 0.3);
        PaintRainFall(canvas, 113, Hex(0xD0D8E2), 1.0);
        CalmTextCorner(canvas, 0.12);
    } else {
        constexpr SkyStop sky[] = {
            {0.0, Hex(0x0E1117)}, {0.8, Hex(0x1F252E)}, {1.0, Hex(0x262C35)}};
        PaintSky(canvas, sky);
        PaintClouds(canvas, Overcast(114, Hex(0x2A313B), Hex(0x0E1116), 0.25));
        PaintLand(canvas, DarkNightMeadows, Hex(0x1F252E), 0.35, 1100);
        PaintFog(canvas, 115, 0.6, 0.84, 1.0, Hex(0x262C35), 0.3);
        PaintRainFall(canvas, 116, Hex(0x9AA6B6), 0.9);
    }
}

void Snow(Canvas& canvas, bool day) {
    if (day) {
        constexpr SkyStop sky[] = {
            {0.0, Hex(0x98A3B0)}, {0.8, Hex(0xCBD2DA)}, {1.0, Hex(0xD8DDE3)}};
        PaintSky(canvas, sky);
        PaintClouds(canvas, Overcast(121, Hex(0xD2D8DF), Hex(0x8D98A5), 0.25));
        PaintSnowyLand(canvas, 1200, Hex(0xBCC6D1), Hex(0x3A4654), Hex(0xF0F3F7), Hex(0xCCD5DF),
                       Hex(0xD3D9E0), 0.7);
        PaintFog(canvas, 122, 0.55, 0.82, 1.0, Hex(0xD3D9E0), 0.35);
        PaintSnowFall(canvas, 123, Hex(0xFFFFFF), 1.0);
        CalmTextCorner(canvas, 0.3);
    } else {
        constexpr SkyStop sky[] = {
            {0.0, Hex(0x141A26)}, {0.8, Hex(0x2C3648)}, {1.0, Hex(0x343F52)}};
        PaintSky(canvas, sky);
        PaintClouds(canvas, Overcast(124, Hex(0x36404F), Hex(0x151A22), 0.25));
        PaintSnowyLand(canvas, 1200, Hex(0x3A4456), Hex(0x121822), Hex(0x76849A), Hex(0x4E5A6E),
                       Hex(0x2C3648), 0.7);
        PaintFog(canvas, 125, 0.55, 0.82, 1.0, Hex(0x3A4456), 0.3);
        PaintSnowFall(canvas, 126, Hex(0xD6DEEA), 0.8);
    }
}

void Hail(Canvas& canvas, bool day) {
    const Rgb stones = Hex(0xE9EFF4);
    if (day) {
        constexpr SkyStop sky[] = {
            {0.0, Hex(0x38423F)}, {0.8, Hex(0x6E7A70)}, {1.0, Hex(0x7C8678)}};
        PaintSky(canvas, sky);
        PaintClouds(canvas, Overcast(131, Hex(0x7A8680), Hex(0x2C3431), 0.3));
        PaintLand(canvas, StormMeadows, Hex(0x6E7A70), 0.45, 1300);
        PaintFog(canvas, 132, 0.6, 0.84, 1.0, Hex(0x6E7870), 0.25);
        PaintRainFall(canvas, 133, Hex(0xC8D2D8), 0.6);
    } else {
        constexpr SkyStop sky[] = {
            {0.0, Hex(0x0C100F)}, {0.8, Hex(0x1D2422)}, {1.0, Hex(0x232A28)}};
        PaintSky(canvas, sky);
        PaintClouds(canvas, Overcast(134, Hex(0x28302E), Hex(0x0C0F0E), 0.3));
        PaintLand(canvas, DarkNightMeadows, Hex(0x1D2422), 0.35, 1300);
        PaintRainFall(canvas, 135, Hex(0x8C9898), 0.5);
    }
    // Stones lying on the ground, then the falling ones, the nearest large and blurred.
    PaintSnow(canvas, {.Seed = 136,
                       .Count = 2500,
                       .Length = 4,
                       .Opacity = day ? 0.75 : 0.4,
                       .Colour = stones,
                       .Top = 0.93,
                       .Bottom = 1.0});
    PaintHail(canvas, {.Seed = 137,
                       .Count = 600,
                       .Angle = 8,
                       .Length = 26,
                       .Width = 5,
                       .Opacity = day ? 0.85 : 0.55,
                       .Colour = stones});
    PaintHail(canvas, {.Seed = 138,
                       .Count = 70,
                       .Angle = 9,
                       .Length = 70,
                       .Width = 11,
                       .Opacity = day ? 0.8 : 0.5,
                       .Blur = 2,
                       .Colour = stones});
    if (day) {
        CalmTextCorner(canvas, 0.12);
    }
}

void Thunderstorms(Canvas& canvas, bool day) {
    const Frame frame(canvas);
    if (day) {
        constexpr SkyStop sky[] = {
            {0.0, Hex(0x232932)}, {0.8, Hex(0x545E6A)}, {1.0, Hex(0x626B76)}};
        PaintSky(canvas, sky);
        CloudDeck deck = Overcast(141, Hex(0x66707D), Hex(0x1C2128), 0.18);
        deck.LightFrom = frame.At(0.4, 0.2);
        deck.Shading = 1.4;
        PaintClouds(canvas, deck);
        PaintLightning(canvas, 142, frame.At(0.4, 0.42), frame.At(0.47, 0.84), 0.9);
        PaintLand(canvas, StormMeadows, Hex(0x545E6A), 0.4, 1400);
        PaintFog(canvas, 143, 0.6, 0.84, 1.0, Hex(0x59626D), 0.25);
        PaintRainFall(canvas, 144, Hex(0xB9C3CF), 0.8);
    } else {
        constexpr SkyStop sky[] = {
            {0.0, Hex(0x06080C)}, {0.8, Hex(0x131820)}, {1.0, Hex(0x171C25)}};
        PaintSky(canvas, sky);
        CloudDeck deck = Overcast(145, Hex(0x2C3342), Hex(0x090B0F), 0.18);
        deck.LightFrom = frame.At(0.4, 0.3);
        deck.Shading = 1.6;
        PaintClouds(canvas, deck);
        PaintLightning(canvas, 146, frame.At(0.38, 0.4), frame.At(0.45, 0.84), 1.0);
        PaintLand(canvas, DarkNightMeadows, Hex(0x131820), 0.35, 1400);
        PaintRainFall(canvas, 147, Hex(0x8E99AA), 0.7);
    }
}

void Tornado(Canvas& canvas, bool day) {
    const Frame frame(canvas);
    const QPointF cloudBase = frame.At(0.36, 0.3);
    const QPointF ground = frame.At(0.43, 0.855);
    if (day) {
        constexpr SkyStop sky[] = {{0.0, Hex(0x2D3634)},
                                   {0.45, Hex(0x4E5A52)},
                                   {0.78, Hex(0x9EA486)},
                                   {1.0, Hex(0xB0B08E)}};
        PaintSky(canvas, sky);
        CloudDeck wall = Overcast(151, Hex(0x5F6A64), Hex(0x1D2322), 0.15);
        wall.Bottom = 0.5;
        wall.Fade = 0.12;
        PaintClouds(canvas, wall);
        const Land plains{Hex(0x3A4233), Hex(0x2A3126), Hex(0x1A1F18), 0.6, 0.04, 0.45};
        PaintRidge(canvas, {.Seed = 1500,
                            .Base = 0.83,
                            .Height = 0.05,
                            .Width = 0.4,
                            .Top = Hex(0x6A7062),
                            .Bottom = Hex(0x6A7062)});
        PaintTornado(canvas, 152, cloudBase, ground, frame.Height(0.3), Hex(0x474E49),
                     Hex(0x5E5648));
        PaintRidge(canvas, {.Seed = 1502,
                            .Base = 0.92,
                            .Height = 0.05,
                            .Width = 0.3,
                            .Trees = 0.012,
                            .Top = plains.Middle,
                            .Bottom = plains.NearTop});
        PaintRidge(canvas, {.Seed = 1504,
                            .Base = 0.99,
                            .Height = 0.05,
                            .Width = 0.6,
                            .Trees = 0.02,
                            .Texture = 0.04,
                            .Top = plains.NearTop,
                            .Bottom = plains.NearBottom});
        CalmTextCorner(canvas, 0.1);
    } else {
        constexpr SkyStop sky[] = {
            {0.0, Hex(0x07090A)}, {0.8, Hex(0x181D1D)}, {1.0, Hex(0x1D2220)}};
        PaintSky(canvas, sky);
        CloudDeck wall = Overcast(153, Hex(0x262D2C), Hex(0x080A0A), 0.15);
        wall.Bottom = 0.5;
        PaintClouds(canvas, wall);
        // The flash behind the funnel shows its outline.
        PaintLightning(canvas, 154, frame.At(0.56, 0.3), frame.At(0.53, 0.84), 1.0);
        PaintRidge(canvas, {.Seed = 1500,
                            .Base = 0.83,
                            .Height = 0.05,
                            .Width = 0.4,
                            .Top = Hex(0x151A1C),
                            .Bottom = Hex(0x151A1C)});
        PaintTornado(canvas, 155, cloudBase, ground, frame.Height(0.3), Hex(0x1A1E1E),
                     Hex(0x24211E));
        PaintRidge(canvas, {.Seed = 1502,
                            .Base = 0.92,
                            .Height = 0.05,
                            .Width = 0.3,
                            .Trees = 0.012,
                            .Top = Hex(0x0C0F12),
                            .Bottom = Hex(0x080A0C)});
        PaintRidge(canvas, {.Seed = 1504,
                            .Base = 0.99,
                            .Height = 0.05,
                            .Width = 0.6,
                            .Trees = 0.02,
                            .Top = Hex(0x07090B),
                            .Bottom = Hex(0x040506)});
    }
}

}  // namespace WeatherScene
