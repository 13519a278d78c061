#include "SceneParts.h"

namespace {

constexpr SkyStop ClearDaySky[] = {
    {0.0, Hex(0x2A64AE)}, {0.45, Hex(0x5A95D3)}, {0.8, Hex(0xAFCDEA)}, {1.0, Hex(0xCFE0EE)}};

constexpr Rgb ClearDayHorizon = Hex(0xAFCDEA);

constexpr SkyStop ClearNightSky[] = {
    {0.0, Hex(0x040817)}, {0.5, Hex(0x0A1430)}, {0.8, Hex(0x1B2C50)}, {1.0, Hex(0x22355A)}};

constexpr Rgb ClearNightHorizon = Hex(0x1B2C50);

constexpr Rgb ClearNightHigh = Hex(0x0A1430);

// Clouds torn into long streaks, leaning with the wind.

CloudDeck Streaks(std::uint64_t seed, double coverage, QPointF light, const Rgb& bright,
                  const Rgb& dark) {
    return {.Seed = seed,
            .Coverage = coverage,
            .Softness = 0.07,
            .Size = 0.3,
            .Octaves = 7,
            .Stretch = 4.5,
            .Shear = 1.2,
            .Top = 0.0,
            .Bottom = 0.8,
            .Light = bright,
            .Shadow = dark,
            .LightFrom = light,
            .Shading = 1.0,
            .Thickness = 0.4};
}

}  // namespace

namespace WeatherScene {

void Clear(Canvas& canvas, bool day) {
    const Frame frame(canvas);
    if (day) {
        PaintSky(canvas, ClearDaySky);
        CloudDeck veil = Cirrus(11, Hex(0xFFFFFF), Hex(0xC9DAEE), 0.25);
        veil.CalmCorner = 0.8;
        PaintClouds(canvas, veil);
        PaintSun(canvas, frame.At(0.2, 0.3), frame.Height(0.03), Hex(0xFFF0C8), 1.0);
        PaintLand(canvas, Meadows, ClearDayHorizon, 0.35, 100);
        CalmTextCorner(canvas, 0.12);
    } else {
        PaintSky(canvas, ClearNightSky);
        PaintStars(canvas, 12, 2600, 0.82, 0.9);
        PaintMoon(canvas, frame.At(0.2, 0.22), frame.Height(0.038), 0.32, ClearNightHigh);
        PaintLand(canvas, NightMeadows, ClearNightHorizon, 0.3, 100);
    }
}

void Fair(Canvas& canvas, bool day) {
    const Frame frame(canvas);
    if (day) {
        const QPointF sun = frame.At(0.2, 0.28);
        PaintSky(canvas, ClearDaySky);
        PaintSun(canvas, sun, frame.Height(0.03), Hex(0xFFF0C8), 1.0);
        CloudDeck heaps = Cumulus(21, 0.16, sun, Hex(0xFFFFFF), Hex(0x8FA6C2));
        heaps.CalmCorner = 0.7;
        PaintClouds(canvas, heaps);
        PaintLand(canvas, Meadows, ClearDayHorizon, 0.35, 200);
        CalmTextCorner(canvas, 0.12);
    } else {
        const QPointF moon = frame.At(0.2, 0.22);
        PaintSky(canvas, ClearNightSky);
        PaintStars(canvas, 22, 2200, 0.82, 0.85);
        PaintMoon(canvas, moon, frame.Height(0.038), 0.45, ClearNightHigh);
        PaintClouds(canvas, Cumulus(23, 0.14, moon, Hex(0x4C5B7C), Hex(0x121A2E)));
        PaintLand(canvas, NightMeadows, ClearNightHorizon, 0.3, 200);
    }
}

void PartlyCloudy(Canvas& canvas, bool day) {
    const Frame frame(canvas);
    if (day) {
        const QPointF sun = frame.At(0.18, 0.26);
        constexpr SkyStop sky[] = {
            {0.0, Hex(0x3369AE)}, {0.5, Hex(0x6C9DD2)}, {0.8, Hex(0xB4CDE4)}, {1.0, Hex(0xCCDBE8)}};
        PaintSky(canvas, sky);
        PaintSun(canvas, sun, frame.Height(0.03), Hex(0xFFF0C8), 0.9);
        CloudDeck heaps = Cumulus(31, 0.42, sun, Hex(0xFFFFFF), Hex(0x7F93AE));
        heaps.CalmCorner = 0.9;
        PaintClouds(canvas, heaps);
        PaintLand(canvas, Meadows, Hex(0xB4CDE4), 0.35, 300);
        CalmTextCorner(canvas, 0.12);
    } else {
        const QPointF moon = frame.At(0.2, 0.22);
        PaintSky(canvas, ClearNightSky);
        PaintStars(canvas, 32, 1800, 0.82, 0.8);
        PaintMoon(canvas, moon, frame.Height(0.038), 0.6, ClearNightHigh);
        PaintClouds(canvas, Cumulus(33, 0.45, moon, Hex(0x505E7C), Hex(0x10172A)));
        PaintLand(canvas, NightMeadows, ClearNightHorizon, 0.3, 300);
    }
}

void MostlyCloudy(Canvas& canvas, bool day) {
    const Frame frame(canvas);
    if (day) {
        const QPointF sun = frame.At(0.2, 0.24);
        constexpr SkyStop sky[] = {
            {0.0, Hex(0x4C6F98)}, {0.5, Hex(0x7F9AB8)}, {0.8, Hex(0xB5C3D2)}, {1.0, Hex(0xC6D0DA)}};
        PaintSky(canvas, sky);
        PaintSun(canvas, sun, frame.Height(0.03), Hex(0xFFF2D6), 0.8);
        CloudDeck heaps = Cumulus(41, 0.8, sun, Hex(0xF6F8FB), Hex(0x6E7C8E));
        heaps.Size = 0.45;
        heaps.Thickness = 0.6;
        heaps.CalmCorner = 0.7;
        PaintClouds(canvas, heaps);
        PaintLand(canvas, GreyMeadows, Hex(0xB5C3D2), 0.4, 400);
        CalmTextCorner(canvas, 0.22);
    } else {
        const QPointF moon = frame.At(0.2, 0.22);
        PaintSky(canvas, ClearNightSky);
        PaintStars(canvas, 42, 1400, 0.82, 0.75);
        PaintMoon(canvas, moon, frame.Height(0.038), 0.7, ClearNightHigh);
        CloudDeck heaps = Cumulus(43, 0.8, moon, Hex(0x48546E), Hex(0x0E1422));
        heaps.Size = 0.45;
        PaintClouds(canvas, heaps);
        PaintLand(canvas, NightMeadows, ClearNightHorizon, 0.3, 400);
    }
}

void Cloudy(Canvas& canvas, bool day) {
    const Frame frame(canvas);
    if (day) {
        constexpr SkyStop sky[] = {
            {0.0, Hex(0x8A939E)}, {0.8, Hex(0xBFC5CC)}, {1.0, Hex(0xCDD1D6)}};
        PaintSky(canvas, sky);
        PaintClouds(canvas, Overcast(51, Hex(0xCDD2D8), Hex(0x78818C), 0.2));
        CloudDeck scud = Cumulus(52, 0.3, {0, -2000}, Hex(0x9AA1AA), Hex(0x5C646E));
        scud.Top = 0.35;
        scud.Opacity = 0.7;
        PaintClouds(canvas, scud);
        PaintLand(canvas, GreyMeadows, Hex(0xBFC5CC), 0.4, 500);
        CalmTextCorner(canvas, 0.3);
    } else {
        constexpr SkyStop sky[] = {
            {0.0, Hex(0x15181F)}, {0.8, Hex(0x2A2F38)}, {1.0, Hex(0x343842)}};
        PaintSky(canvas, sky);
        PaintClouds(canvas, Overcast(53, Hex(0x343A46), Hex(0x15181E), 0.2));
        // Town lights far away brighten the cloud base a little.
        AddGlow(canvas, frame.At(0.65, 0.85), frame.Height(0.25), Hex(0x1E1812));
        PaintLand(canvas, DarkNightMeadows, Hex(0x2A2F38), 0.3, 500);
    }
}

void Windy(Canvas& canvas, bool day) {
    const Frame frame(canvas);
    if (day) {
        const QPointF sun = frame.At(0.16, 0.18);
        constexpr SkyStop sky[] = {
            {0.0, Hex(0x346CB0)}, {0.5, Hex(0x6E9ED2)}, {0.8, Hex(0xB9D1E8)}, {1.0, Hex(0xCCDCEA)}};
        PaintSky(canvas, sky);
        CloudDeck veil = Cirrus(101, Hex(0xFFFFFF), Hex(0xBCD0E8), 0.45);
        veil.CalmCorner = 0.7;
        PaintClouds(canvas, veil);
        CloudDeck streaks = Streaks(102, 0.38, sun, Hex(0xFFFFFF), Hex(0x8197B3));
        streaks.CalmCorner = 0.6;
        PaintClouds(canvas, streaks);
        PaintLand(canvas, Meadows, Hex(0xB9D1E8), 0.35, 1000);
        CalmTextCorner(canvas, 0.14);
    } else {
        const QPointF moon = frame.At(0.2, 0.22);
        PaintSky(canvas, ClearNightSky);
        PaintStars(canvas, 103, 1600, 0.82, 0.8);
        PaintMoon(canvas, moon, frame.Height(0.038), 0.8, ClearNightHigh);
        PaintClouds(canvas, Streaks(104, 0.42, moon, Hex(0x4E5C7A), Hex(0x0F1628)));
        PaintLand(canvas, NightMeadows, ClearNightHorizon, 0.3, 1000);
    }
}

}  // namespace WeatherScene
