#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <ostream>
#include <utility>
#include <vector>

#include "core/DateTime.h"
#include "core/Exceptions.h"
#include "core/Nullable.h"
#include "data/Regions.h"
#include "render/NightMask.h"
#include "render/Sun.h"

namespace {

constexpr double Pi = 3.141592653589793;

DateTime Utc(int year, int month, int day, int hour = 0, int minute = 0) {
    return DateTime(year, month, day, hour, minute, 0).WithKind(DateTime::Kind::Utc);
}

double Radians(double degrees) {
    return degrees * Pi / 180.0;
}

double Degrees(double radians) {
    return radians * 180.0 / Pi;
}

struct SunPosition {
    double Declination;
    double SubsolarLongitude;
};

// Where the sun stands overhead, from the almanac's low-precision formulas
// (about 0.01 degree), kept apart from the model the program uses.
SunPosition SunAt(const DateTime& instant) {
    const double julianDay = static_cast<double>(instant.ToUnixSeconds()) / 86400.0 + 2440587.5;
    const double n = julianDay - 2451545.0;
    const double meanLongitude = std::fmod(280.460 + 0.9856474 * n, 360.0);
    const double anomaly = Radians(357.528 + 0.9856003 * n);
    const double eclipticLongitude =
        Radians(meanLongitude + 1.915 * std::sin(anomaly) + 0.020 * std::sin(2.0 * anomaly));
    const double obliquity = Radians(23.439 - 0.0000004 * n);
    const double rightAscension = Degrees(
        std::atan2(std::cos(obliquity) * std::sin(eclipticLongitude), std::cos(eclipticLongitude)));
    const double equationOfTime = std::remainder(meanLongitude - rightAscension, 360.0);
    const double hoursUtc = static_cast<double>(instant.Ticks() % TimeSpan::TicksPerDay) /
                            static_cast<double>(TimeSpan::TicksPerHour);
    return {Degrees(std::asin(std::sin(obliquity) * std::sin(eclipticLongitude))),
            std::remainder(15.0 * (12.0 - hoursUtc) - equationOfTime, 360.0)};
}

double Elevation(const SunPosition& sun, double latitude, double longitude) {
    const double phi = Radians(latitude);
    const double delta = Radians(sun.Declination);
    return Degrees(std::asin(std::sin(phi) * std::sin(delta) +
                             std::cos(phi) * std::cos(delta) *
                                 std::cos(Radians(longitude - sun.SubsolarLongitude))));
}

struct Moment {
    DateTime Value;
};

void PrintTo(const Moment& moment, std::ostream* stream) {
    *stream << moment.Value.ToXsdDateString() << " " << moment.Value.Hour() << ":"
            << moment.Value.Minute();
}

class NightMaskTerminatorTest : public ::testing::TestWithParam<Moment> {};

// Shade 0 starts where the sun is 9 degrees up, 255 where it is 22 down; the
// margins cover a pixel's width and the difference of the two solar models.
TEST_P(NightMaskTerminatorTest, DayWhereTheSunIsHighAndNightWhereItIsFarBelow) {
    const int width = 360;
    const int height = 180;
    const std::vector<std::uint8_t> mask = BuildNightMask(width, height, GetParam().Value);
    const int shift = NightMaskShift(width, GetParam().Value);
    // The night layer's alpha at image pixel (x, y).
    auto weight = [&](int x, int y) {
        return mask[static_cast<std::size_t>(y) * width + ((x + shift) % width + width) % width];
    };
    const SunPosition sun = SunAt(GetParam().Value);
    auto column = [&](double longitude) {
        return static_cast<int>(std::remainder(longitude, 360.0) + 180.0) % width;
    };
    auto row = [&](double latitude) { return static_cast<int>(90.0 - latitude); };
    EXPECT_EQ(weight(column(sun.SubsolarLongitude), row(sun.Declination)), 0);
    EXPECT_EQ(weight(column(sun.SubsolarLongitude + 180.0), row(-sun.Declination)), 255);

    int day = 0;
    int night = 0;
    for (int y = 0; y < height; y += 3) {
        for (int x = 0; x < width; x += 3) {
            const double elevation = Elevation(sun, 90.0 - y, -180.0 + x);
            if (elevation > 11.0) {
                EXPECT_EQ(weight(x, y), 0) << x << "," << y << " elevation " << elevation;
                ++day;
            } else if (elevation < -24.0) {
                EXPECT_EQ(weight(x, y), 255) << x << "," << y << " elevation " << elevation;
                ++night;
            }
        }
    }
    EXPECT_GT(day, 1000);
    EXPECT_GT(night, 1000);
}

INSTANTIATE_TEST_SUITE_P(
    AcrossTheSeasons, NightMaskTerminatorTest,
    ::testing::Values(Moment{Utc(2026, 3, 20, 6, 0)}, Moment{Utc(2026, 6, 21, 15, 30)},
                      Moment{Utc(2026, 9, 23, 0, 0)}, Moment{Utc(2026, 12, 21, 21, 45)},
                      Moment{Utc(2025, 2, 10, 12, 0)}, Moment{Utc(2027, 8, 1, 3, 20)}));

struct PolarCase {
    DateTime Date;
    bool NorthernSummer;
};

void PrintTo(const PolarCase& polar, std::ostream* stream) {
    *stream << polar.Date.ToXsdDateString();
}

class NightMaskPolarTest : public ::testing::TestWithParam<PolarCase> {};

TEST_P(NightMaskPolarTest, SummerPoleIsDayAllDayAndWinterPoleNightAllDay) {
    const int width = 360;
    const int height = 180;
    const std::vector<std::uint8_t> mask = BuildNightMask(width, height, GetParam().Date);
    auto row = [&](int y) {
        return std::vector<std::uint8_t>(mask.begin() + y * width, mask.begin() + (y + 1) * width);
    };
    // 80 degrees and poleward: the sun stays above 9 degrees in summer; in winter
    // it never climbs above 13 degrees below the horizon.
    for (int fromPole = 0; fromPole <= 10; ++fromPole) {
        const int summerRow = GetParam().NorthernSummer ? fromPole : height - fromPole;
        const int winterRow = GetParam().NorthernSummer ? height - fromPole : fromPole;
        if (summerRow < height) {
            for (std::uint8_t value : row(summerRow)) {
                ASSERT_EQ(value, 0) << "row " << summerRow;
            }
        }
        if (winterRow < height) {
            for (std::uint8_t value : row(winterRow)) {
                ASSERT_GE(value, 200) << "row " << winterRow;
            }
        }
    }
    // Only a degree from the winter pole the sun stays below the last shading level.
    const int lastWinterRow = GetParam().NorthernSummer ? height - 1 : 0;
    for (std::uint8_t value : row(lastWinterRow)) {
        ASSERT_EQ(value, 255);
    }
}

INSTANTIATE_TEST_SUITE_P(Solstices, NightMaskPolarTest,
                         ::testing::Values(PolarCase{Utc(2026, 6, 21), true},
                                           PolarCase{Utc(2026, 12, 21), false}));

TEST(NightMaskTest, OddHeightVisitsEveryRowBetweenThePolarCircles) {
    const int width = 96;
    const int height = 7;
    const std::vector<std::uint8_t> mask = BuildNightMask(width, height, Utc(2026, 3, 20));
    ASSERT_EQ(mask.size(), static_cast<std::size_t>(width * height));
    for (int y = 1; y < height; ++y) {
        const auto first = mask.begin() + y * width;
        EXPECT_EQ(*std::min_element(first, first + width), 0) << "row " << y;
        EXPECT_EQ(*std::max_element(first, first + width), 255) << "row " << y;
    }
}

int LevelOf(double cosZenith) {
    const auto& levels = ShadeLevels();
    for (int k = 0; k < ShadeLevelCount; ++k) {
        if (levels[k].CosZenith == cosZenith) {
            return k;
        }
    }
    ADD_FAILURE() << "not a level's zenith: " << cosZenith;
    return 0;
}

// A made-up sun for a 24-column picture of 6 rows (latitudes 90, 60, 30, 0, -30,
// -60), so that every fill rule shows in whole hours.
void MadeUpCrossings(double latitude, const DateTime& date, double cosZenith,
                     Nullable<DateTime>& sunrise, Nullable<DateTime>& sunset) {
    const int level = LevelOf(cosZenith);
    auto at = [&date](int hours) { return date + TimeSpan(TimeSpan::TicksPerHour * hours); };
    if (latitude == 0.0) {
        sunrise = at(6);
        sunset = at(18);
    } else if (latitude == 30.0) {
        sunrise = at(5);
        sunset = at(19);
    } else if (latitude == 60.0 && level < 60) {
        // Lit from 14:00 to 10:00 the next day, widening at levels 30 and 50.
        sunrise = at(level >= 30 ? 13 : 14);
        sunset = at(24 + (level >= 50 ? 11 : 10));
    }
}

TEST(NightMaskTest, LevelsFillOnlyTheRingOutsideBrighterSpansAndPolarDayFromTheStartColumn) {
    const std::vector<std::uint8_t> mask = BuildNightMask(24, 6, Utc(2026, 1, 1), MadeUpCrossings);
    auto row = [&](int y) {
        return std::vector<int>(mask.begin() + y * 24, mask.begin() + (y + 1) * 24);
    };
    const auto& levels = ShadeLevels();
    std::vector<int> expected(24, 0);
    EXPECT_EQ(row(0), expected) << "polar day of the first level";
    expected[11] = levels[50].Shade;
    expected[12] = levels[60].Shade;
    expected[13] = levels[30].Shade;
    EXPECT_EQ(row(1), expected) << "wrapped span, then polar day from its start column";
    expected.assign(24, 255);
    std::fill(expected.begin() + 5, expected.begin() + 20, 0);
    EXPECT_EQ(row(2), expected);
    expected.assign(24, 255);
    std::fill(expected.begin() + 6, expected.begin() + 19, 0);
    EXPECT_EQ(row(3), expected);
    EXPECT_EQ(row(4), std::vector<int>(24, 255)) << "polar night: no crossing, not widening";
    EXPECT_EQ(row(5), std::vector<int>(24, 255));
}

// The mask asks the sampled sun instead of the model: the same crossings to a
// fraction of a second, so at most a pixel at a ring's edge may differ.
TEST(NightMaskTest, TheSampledSunGivesTheModelsMaskButForStrayEdgePixels) {
    const SunCrossings model = [](double latitude, const DateTime& date, double cosZenith,
                                  Nullable<DateTime>& sunrise, Nullable<DateTime>& sunset) {
        CSun::GetSunriseSunset(latitude, 0.0, date, cosZenith, sunrise, sunset);
    };
    for (const DateTime& date : {DateTime(2026, 3, 20), DateTime(2026, 6, 21),
                                 DateTime(2026, 12, 21), DateTime(2027, 1, 1)}) {
        const std::vector<std::uint8_t> sampled = BuildNightMask(1024, 512, date);
        const std::vector<std::uint8_t> exact = BuildNightMask(1024, 512, date, model);
        ASSERT_EQ(sampled.size(), exact.size());
        int differing = 0;
        for (std::size_t index = 0; index < exact.size(); ++index) {
            differing += sampled[index] != exact[index] ? 1 : 0;
        }
        EXPECT_LE(differing, 512) << date.Year() << "-" << date.Month() << "-" << date.Day();
    }
}

TEST(NightMaskTest, FailureInEitherHalfGivesDaylightEverywhere) {
    auto failingAt = [](double failingLatitude, auto error) {
        return [failingLatitude, error](double latitude, const DateTime& date, double cosZenith,
                                        Nullable<DateTime>& sunrise, Nullable<DateTime>& sunset) {
            if (latitude == failingLatitude) {
                throw error;
            }
            MadeUpCrossings(latitude, date, cosZenith, sunrise, sunset);
        };
    };
    const std::vector<std::uint8_t> daylight(24 * 6, 0);
    EXPECT_EQ(BuildNightMask(24, 6, Utc(2026, 1, 1),
                             failingAt(60.0, ApplicationException("CSun::GetSunriseSunset (441)"))),
              daylight);
    EXPECT_EQ(BuildNightMask(24, 6, Utc(2026, 1, 1),
                             failingAt(-30.0, ArgumentException("CSun::GetSunriseSunset (389)"))),
              daylight);
    EXPECT_EQ(BuildNightMask(24, 6, Utc(2026, 1, 1),
                             failingAt(0.0, CAtlException(CAtlException::E_FAIL))),
              daylight);
}

TEST(ShadeLevelsTest, RampRunsFromDaylightToNightWithoutSteppingBack) {
    const auto& levels = ShadeLevels();
    EXPECT_EQ(levels.front().Shade, 0);
    EXPECT_EQ(levels.back().Shade, 255);
    EXPECT_DOUBLE_EQ(levels.front().CosZenith, std::cos(Radians(81.0)));
    EXPECT_DOUBLE_EQ(levels.back().CosZenith, std::cos(Radians(112.0)));
    for (std::size_t k = 1; k < levels.size(); ++k) {
        EXPECT_GE(levels[k].Shade, levels[k - 1].Shade) << k;
        EXPECT_LT(levels[k].CosZenith, levels[k - 1].CosZenith) << k;
    }
    // A half sine: flat at both ends, steepest in the middle.
    EXPECT_LE(levels[1].Shade, 1);
    EXPECT_GE(levels[118].Shade, 254);
    EXPECT_NEAR(levels[60].Shade, 128, 2);
}

struct ShiftCase {
    int Width;
    int Hour;
    int Shift;
};

void PrintTo(const ShiftCase& shift, std::ostream* stream) {
    *stream << "width " << shift.Width << " at " << shift.Hour << ":00";
}

class NightMaskShiftTest : public ::testing::TestWithParam<ShiftCase> {};

TEST_P(NightMaskShiftTest, ShiftFollowsTheTimeOfDayTruncatedTowardZero) {
    EXPECT_EQ(NightMaskShift(GetParam().Width, Utc(2026, 4, 2, GetParam().Hour, 0)),
              GetParam().Shift);
}

INSTANTIATE_TEST_SUITE_P(Instants, NightMaskShiftTest,
                         ::testing::Values(ShiftCase{4096, 12, 0}, ShiftCase{4097, 12, 0},
                                           ShiftCase{4096, 0, -2048}, ShiftCase{4097, 0, -2048},
                                           ShiftCase{5, 0, -2}, ShiftCase{5, 6, -1},
                                           ShiftCase{4096, 18, 1024}, ShiftCase{4096, 23, 1877}));

QImage Filled(int width, int height, QRgb colour) {
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(colour);
    return image;
}

TEST(ApplyNightMaskTest, PixelTakesTheAlphaOfTheMaskColumnShiftedAndWrapped) {
    std::vector<std::uint8_t> mask(8, 0);
    mask[1] = 255;
    for (const auto& [shift, litColumn] : {std::pair{0, 1}, {-2, 3}, {3, 6}, {-4, 5}}) {
        QImage image = Filled(8, 1, qRgb(10, 20, 30));
        ApplyNightMask(image, mask, shift);
        for (int x = 0; x < 8; ++x) {
            EXPECT_EQ(qAlpha(image.pixel(x, 0)), x == litColumn ? 255 : 0)
                << "shift " << shift << " column " << x;
        }
    }
}

TEST(ApplyNightMaskTest, MaskOfAnotherSizeLeavesThePictureUntouched) {
    QImage image = Filled(4, 3, qRgba(200, 100, 50, 77));
    const QImage before = image;
    ApplyNightMask(image, std::vector<std::uint8_t>(11, 255), 0);
    EXPECT_EQ(image, before);

    const QImage night = Filled(4, 3, qRgb(200, 100, 50));
    const QImage layer = MakeNightLayer(night, std::vector<std::uint8_t>(13, 0), Utc(2026, 1, 1));
    EXPECT_EQ(layer.convertToFormat(QImage::Format_ARGB32), night);
}

struct TwilightCase {
    QRgb Colour;
    std::uint8_t Weight;
    QRgb Expected;
};

void PrintTo(const TwilightCase& twilight, std::ostream* stream) {
    *stream << std::hex << twilight.Colour << " at " << std::dec << int(twilight.Weight);
}

class TwilightColourTest : public ::testing::TestWithParam<TwilightCase> {};

TEST_P(TwilightColourTest, BrightPixelsFadeToDarkBlueTowardTheDaySide) {
    QImage image = Filled(1, 1, GetParam().Colour);
    ApplyNightMask(image, std::vector<std::uint8_t>{GetParam().Weight}, 0);
    EXPECT_EQ(image.pixel(0, 0), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Pixels, TwilightColourTest,
    ::testing::Values(TwilightCase{qRgb(40, 40, 48), 100,
                                   qRgba(40, 40, 48, 100)},  // sum 128 keeps its colour
                      TwilightCase{qRgb(40, 40, 49), 100, qRgba(32, 32, 64, 100)},  // sum 129 fades
                      TwilightCase{qRgb(200, 150, 100), 127, qRgba(32, 32, 64, 127)},
                      TwilightCase{qRgb(200, 150, 100), 1, qRgba(32, 32, 64, 1)},
                      TwilightCase{qRgb(200, 150, 100), 200, qRgba(127, 99, 84, 200)},
                      TwilightCase{qRgb(250, 250, 250), 254, qRgba(248, 248, 248, 254)},
                      TwilightCase{qRgb(255, 255, 255), 0, qRgba(255, 255, 255, 0)},
                      TwilightCase{qRgb(255, 255, 255), 255, qRgba(255, 255, 255, 255)}));

// Colours and weights of every kind, so that both layer forms meet every branch.
QImage VariedNight(int width, int height) {
    QImage night(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            night.setPixel(
                x, y,
                qRgb((x * 37 + y * 11) % 256, (x * 5 + y * 71) % 256, (x * 113 + y * 3) % 256));
        }
    }
    return night;
}

std::vector<std::uint8_t> VariedMask(int width, int height) {
    std::vector<std::uint8_t> mask(static_cast<std::size_t>(width) * height);
    for (std::size_t i = 0; i < mask.size(); ++i) {
        mask[i] = static_cast<std::uint8_t>(i % 7 == 0 ? 0 : i % 5 == 0 ? 255 : (i * 29) % 256);
    }
    return mask;
}

QImage DrawnOverDay(const QImage& layer, const QRect& dest) {
    QImage canvas(80, 50, QImage::Format_RGB32);
    canvas.fill(qRgb(20, 90, 160));
    QPainter painter(&canvas);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.drawImage(QRectF(dest), layer, QRectF(layer.rect()));
    return canvas;
}

TEST(MakeNightLayerTest, PremultipliedLayerLooksExactlyLikeThePlainOne) {
    const int width = 64;
    const int height = 32;
    const QImage night = VariedNight(width, height);
    const std::vector<std::uint8_t> mask = VariedMask(width, height);
    const DateTime instant = Utc(2026, 2, 3, 7, 30);

    QImage plain = night.convertToFormat(QImage::Format_ARGB32);
    ApplyNightMask(plain, mask, NightMaskShift(width, instant));
    const QImage layer = MakeNightLayer(night, mask, instant);
    ASSERT_EQ(layer.format(), QImage::Format_ARGB32_Premultiplied);
    EXPECT_EQ(layer, plain.convertToFormat(QImage::Format_ARGB32_Premultiplied));
    EXPECT_EQ(DrawnOverDay(layer, QRect(3, 2, 64, 32)), DrawnOverDay(plain, QRect(3, 2, 64, 32)));
    EXPECT_EQ(DrawnOverDay(layer, QRect(0, 0, 80, 50)), DrawnOverDay(plain, QRect(0, 0, 80, 50)));
}

TEST(MakeNightLayerTest, RecycledPixelsGiveTheSameLayerAndSharedOnesAreLeftAlone) {
    const QImage night = VariedNight(40, 20);
    const std::vector<std::uint8_t> mask = VariedMask(40, 20);
    const QImage fresh = MakeNightLayer(night, mask, Utc(2026, 2, 3, 9, 0));

    QImage previous = MakeNightLayer(night, mask, Utc(2026, 2, 3, 1, 0));
    const uchar* previousPixels = previous.constBits();
    const QImage recycled = MakeNightLayer(night, mask, Utc(2026, 2, 3, 9, 0), std::move(previous));
    EXPECT_EQ(recycled, fresh);
    EXPECT_EQ(recycled.constBits(), previousPixels);

    const QImage shared = MakeNightLayer(night, mask, Utc(2026, 2, 3, 1, 0));
    const QImage keptByAnother = shared;
    EXPECT_EQ(MakeNightLayer(night, mask, Utc(2026, 2, 3, 9, 0), shared), fresh);
    EXPECT_EQ(keptByAnother, MakeNightLayer(night, mask, Utc(2026, 2, 3, 1, 0)));
}

// The mask made row by row as the rows are shaded is the whole mask's, in every
// season and for a height whose halves differ.
TEST(MakeNightLayerTest, ALayerShadedRowByRowIsTheOneOfTheWholeMask) {
    const QImage night = VariedNight(360, 181);
    for (const DateTime& instant :
         {Utc(2026, 3, 20, 9, 0), Utc(2026, 6, 21, 23, 45), Utc(2026, 12, 21, 0, 10)}) {
        const std::vector<std::uint8_t> mask = BuildNightMask(360, 181, instant);
        const QImage whole = MakeNightLayer(night, mask, instant);
        QImage own = night.copy();
        const uchar* pixels = own.constBits();
        const QImage streamed = MakeNightLayerInPlace(std::move(own), instant);
        EXPECT_EQ(streamed, whole) << instant.Month();
        EXPECT_EQ(streamed.constBits(), pixels) << "made in the picture's own pixels";
    }
}

struct RegionCase {
    const char* Name;
    QSize ImageSize;
    QRect Expected;
};

void PrintTo(const RegionCase& region, std::ostream* stream) {
    *stream << region.Name << " on " << region.ImageSize.width() << "x"
            << region.ImageSize.height();
}

class RegionSourceRectTest : public ::testing::TestWithParam<RegionCase> {};

TEST_P(RegionSourceRectTest, RegionMapsEquirectangularlyToWholePixels) {
    const std::optional<RegionRecord> region = Regions::Find(GetParam().Name);
    ASSERT_TRUE(region.has_value());
    EXPECT_EQ(RegionSourceRect(*region, GetParam().ImageSize), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Views, RegionSourceRectTest,
    ::testing::Values(RegionCase{"Earth (Complete)", {4096, 2048}, {0, 0, 4096, 2048}},
                      RegionCase{"Earth (Complete)", {4097, 2049}, {0, 0, 4097, 2049}},
                      RegionCase{"North America", {3600, 1800}, {250, 100, 1050, 800}},
                      RegionCase{"North America", {1000, 500}, {69, 28, 292, 222}},
                      RegionCase{"Earth (Default)", {4096, 2048}, {398, 0, 3527, 1934}}));

TEST(DrawRegionTest, RegionIsStretchedOverTheDestinationWithoutKeepingItsAspect) {
    // Red counts columns and green rows, so a drawn pixel tells where it came from.
    QImage world(256, 128, QImage::Format_RGB32);
    for (int y = 0; y < world.height(); ++y) {
        for (int x = 0; x < world.width(); ++x) {
            world.setPixel(x, y, qRgb(x, y, 0));
        }
    }
    const QRect source = RegionSourceRect(*Regions::Find("North America"), world.size());
    ASSERT_EQ(source, QRect(18, 7, 74, 57));
    QImage canvas(200, 200, QImage::Format_RGB32);
    canvas.fill(qRgb(0, 0, 255));
    const QRect dest(10, 20, 150, 171);
    {
        QPainter painter(&canvas);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
        DrawRegion(painter, world, *Regions::Find("North America"), dest);
    }
    for (int x = dest.left(); x <= dest.right(); x += 7) {
        for (int y = dest.top(); y <= dest.bottom(); y += 9) {
            const double sourceX =
                source.left() + (x - dest.left() + 0.5) * source.width() / dest.width() - 0.5;
            const double sourceY =
                source.top() + (y - dest.top() + 0.5) * source.height() / dest.height() - 0.5;
            const QRgb pixel = canvas.pixel(x, y);
            EXPECT_NEAR(qRed(pixel), std::clamp(sourceX, 18.0, 91.0), 1.0) << x << "," << y;
            EXPECT_NEAR(qGreen(pixel), std::clamp(sourceY, 7.0, 63.0), 1.0) << x << "," << y;
        }
    }
    EXPECT_EQ(canvas.pixel(dest.left() - 1, dest.top()), qRgb(0, 0, 255));
    EXPECT_EQ(canvas.pixel(dest.right() + 1, dest.bottom()), qRgb(0, 0, 255));
    EXPECT_EQ(canvas.pixel(dest.left(), dest.bottom() + 1), qRgb(0, 0, 255));
}

// A grey layer of densities laid with Screen looks exactly like white clouds of
// that opacity drawn over, which is what a layer with alpha gives.
TEST(DrawCloudLayerTest, AGreyLayerLaysWhiteOfItsDensityAsAnAlphaLayerDoes) {
    const RegionRecord whole = *Regions::Find("Earth (Complete)");
    for (const QRgb below : {qRgb(0, 0, 0), qRgb(20, 90, 200), qRgb(250, 128, 3)}) {
        for (const int density : {0, 1, 77, 128, 254, 255}) {
            QImage grey(8, 4, QImage::Format_Grayscale8);
            grey.fill(QColor(density, density, density));
            QImage white(8, 4, QImage::Format_ARGB32);
            white.fill(qRgba(255, 255, 255, density));
            QImage fromGrey(8, 4, QImage::Format_RGB32);
            fromGrey.fill(below);
            QImage fromWhite = fromGrey.copy();
            {
                QPainter painter(&fromGrey);
                DrawCloudLayer(painter, grey, whole, fromGrey.rect());
                QPainter other(&fromWhite);
                DrawCloudLayer(other, white, whole, fromWhite.rect());
            }
            const QRgb a = fromGrey.pixel(3, 2);
            const QRgb b = fromWhite.pixel(3, 2);
            EXPECT_NEAR(qRed(a), qRed(b), 1) << "density " << density;
            EXPECT_NEAR(qGreen(a), qGreen(b), 1) << "density " << density;
            EXPECT_NEAR(qBlue(a), qBlue(b), 1) << "density " << density;
        }
    }
}

}  // namespace
