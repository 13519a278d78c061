#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QColor>
#include <QImage>
#include <cmath>
#include <filesystem>
#include <limits>
#include <set>
#include <string>

#include "render/Sun.h"
#include "render/WeatherPictures.h"
#include "support/TestSupport.h"

namespace {

using TestSupport::TempFolder;

const QColor Red(200, 30, 30);
const QColor Green(30, 200, 30);
const QColor Blue(30, 30, 200);

// A small solid PNG, written with its folders.
void WritePicture(const std::filesystem::path& path, const QColor& color, int width = 4,
                  int height = 3) {
    std::filesystem::create_directories(path.parent_path());
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(color);
    ASSERT_TRUE(image.save(QString::fromStdString(path.string()), "PNG")) << path;
}

QColor ColorOf(const QImage* image) {
    return image->pixelColor(0, 0);
}

class WeatherPicturesTest : public ::testing::Test {
protected:
    std::string Folder(const std::string& relative) const { return install_.Folder() + relative; }

    TempFolder install_;
    // The user's own backgrounds, laid out as the installation's.
    TempFolder user_;
    WeatherPictures pictures_{install_.Folder(), user_.Folder()};
};

TEST_F(WeatherPicturesTest, LoadWithoutFilesLeavesEverySlotNull) {
    pictures_.Load();
    for (int value = 0; value < WeatherCodeCount; ++value) {
        const auto code = static_cast<EnumWeatherCode>(value);
        for (const bool isDay : {true, false}) {
            const QImage* small = pictures_.SmallIcon(code, isDay);
            ASSERT_NE(small, nullptr);
            EXPECT_TRUE(small->isNull());
            const QImage fallback;
            const QImage& large = pictures_.LargeIcon(code, isDay, fallback);
            EXPECT_NE(&large, &fallback);
            EXPECT_TRUE(large.isNull());
        }
    }
    EXPECT_TRUE(pictures_.SmallNotAvailable().isNull());
    EXPECT_TRUE(pictures_.LargeNotAvailable().isNull());
    EXPECT_TRUE(pictures_.Sky().isNull());
    EXPECT_TRUE(pictures_.LocalWeatherShadow().isNull());
}

TEST_F(WeatherPicturesTest, IconsComeFromTheirSizeFolderAndTheDayOrNightFile) {
    WritePicture(Folder("SmallWeatherIcons/Clear.png"), Red);
    WritePicture(Folder("SmallWeatherIcons/Night Clear.png"), Blue);
    WritePicture(Folder("LargeWeatherIcons/Clear.png"), Green);
    WritePicture(Folder("LargeWeatherIcons/Thunderstorms.png"), Blue);
    WritePicture(Folder("SmallWeatherIcons/Snow.png"), Green);
    pictures_.Load();

    EXPECT_EQ(ColorOf(pictures_.SmallIcon(EnumWeatherCode::Clear, true)), Red);
    EXPECT_EQ(ColorOf(pictures_.SmallIcon(EnumWeatherCode::Clear, false)), Blue);
    EXPECT_EQ(ColorOf(pictures_.SmallIcon(EnumWeatherCode::Hot, false)), Red);
    EXPECT_EQ(ColorOf(pictures_.SmallIcon(EnumWeatherCode::SnowShowers, true)), Green);
    const QImage fallback;
    EXPECT_EQ(pictures_.LargeIcon(EnumWeatherCode::Hot, false, fallback).pixelColor(0, 0), Green);
    EXPECT_EQ(pictures_.LargeIcon(EnumWeatherCode::Tornado, true, fallback).pixelColor(0, 0), Blue);
    EXPECT_TRUE(pictures_.LargeIcon(EnumWeatherCode::Clear, false, fallback).isNull());
}

TEST_F(WeatherPicturesTest, CodesOutsideTheTableHaveNoSmallIconAndTheLargeFallback) {
    WritePicture(Folder("SmallWeatherIcons/NA.png"), Red);
    WritePicture(Folder("LargeWeatherIcons/NA.png"), Blue);
    WritePicture(Folder("LargeWeatherIcons/Sky.png"), Green);
    pictures_.Load();

    EXPECT_EQ(pictures_.SmallNotAvailable().pixelColor(0, 0), Red);
    EXPECT_EQ(pictures_.Sky().pixelColor(0, 0), Green);
    for (const Nullable<EnumWeatherCode>& code :
         {Nullable<EnumWeatherCode>(),
          Nullable<EnumWeatherCode>(static_cast<EnumWeatherCode>(19))}) {
        EXPECT_EQ(pictures_.SmallIcon(code, true), nullptr);
        const QImage& large = pictures_.LargeIcon(code, true, pictures_.LargeNotAvailable());
        EXPECT_EQ(&large, &pictures_.LargeNotAvailable());
        EXPECT_EQ(large.pixelColor(0, 0), Blue);
    }
}

TEST_F(WeatherPicturesTest, ShadowKeepsTheAlphaAndBlackensTheColour) {
    QImage panel(3, 1, QImage::Format_ARGB32);
    panel.setPixelColor(0, 0, QColor(200, 100, 50, 255));
    panel.setPixelColor(1, 0, QColor(10, 220, 90, 128));
    panel.setPixelColor(2, 0, QColor(255, 255, 255, 0));
    std::filesystem::create_directories(Folder("UI"));
    ASSERT_TRUE(panel.save(QString::fromStdString(Folder("UI/LocalWeatherBackground.png"))));
    pictures_.Load();

    const QImage& shadow = pictures_.LocalWeatherShadow();
    ASSERT_EQ(shadow.size(), panel.size());
    EXPECT_EQ(shadow.format(), QImage::Format_ARGB32);
    const int alphas[] = {255, 128, 0};
    for (int x = 0; x < 3; ++x) {
        const QRgb pixel = shadow.pixel(x, 0);
        EXPECT_EQ(qAlpha(pixel), alphas[x]) << x;
        EXPECT_EQ(qRed(pixel) + qGreen(pixel) + qBlue(pixel), 0) << x;
    }
}

TEST_F(WeatherPicturesTest, AnUnreadableIconFileLeavesANullSlot) {
    TestSupport::WriteWholeFile(Folder("SmallWeatherIcons/Fog.png"), "not a picture");
    pictures_.Load();
    EXPECT_TRUE(pictures_.SmallIcon(EnumWeatherCode::Fog, true)->isNull());
}

TEST(IsDaytimeTest, FollowsTheSunAtTheCity) {
    City london;
    london.Latitude = 51.5F;
    london.Longitude = -0.1F;
    EXPECT_TRUE(IsDaytime(london, DateTime(2024, 6, 21, 12, 0, 0)));
    EXPECT_FALSE(IsDaytime(london, DateTime(2024, 12, 21, 0, 0, 0)));
}

TEST(IsDaytimeTest, AFailingSunComputationCountsAsDay) {
    City broken;
    broken.Latitude = std::numeric_limits<float>::quiet_NaN();
    const DateTime midnight(2024, 12, 21, 0, 0, 0);
    ASSERT_ANY_THROW(CSun::IsDaylight(broken.Latitude, broken.Longitude, midnight));
    EXPECT_TRUE(IsDaytime(broken, midnight));
}

TEST_F(WeatherPicturesTest, BackgroundFolderIsNamedByTheShortText) {
    const std::string rain = install_.Folder() + "Weather Backgrounds/Rain/";
    EXPECT_EQ(pictures_.WeatherBackgroundFolder(EnumWeatherCode::Rain), rain);
    EXPECT_EQ(pictures_.WeatherBackgroundFolder(EnumWeatherCode::RainShowers), rain);
    EXPECT_EQ(pictures_.WeatherBackgroundFolder(EnumWeatherCode::RainAndSnow),
              install_.Folder() + "Weather Backgrounds/Snow/");
    EXPECT_EQ(pictures_.WeatherBackgroundFolder(EnumWeatherCode::PartlyCloudy),
              install_.Folder() + "Weather Backgrounds/Partly Cloudy/");
    EXPECT_EQ(pictures_.WeatherBackgroundFolder(Nullable<EnumWeatherCode>()), "");
    EXPECT_EQ(pictures_.WeatherBackgroundFolder(static_cast<EnumWeatherCode>(19)), "");
}

class WeatherBackgroundTest : public WeatherPicturesTest {
protected:
    std::string Backgrounds(const std::string& relative) const {
        return Folder("Weather Backgrounds/" + relative);
    }

    // The paths chosen over many half-hours, each call past the previous choice's lifetime.
    std::set<std::string> ChosenOver(int choices, bool isDay, EnumWeatherCode code) {
        std::set<std::string> chosen;
        for (int index = 0; index < choices; ++index) {
            now_ = now_ + TimeSpan(0, 31, 0);
            const QImage* picture = pictures_.WeatherBackground(isDay, code, now_);
            EXPECT_NE(picture, nullptr);
            chosen.insert(pictures_.CachedBackgroundPath());
        }
        return chosen;
    }

    DateTime now_{2024, 3, 1, 12, 0, 0};
};

TEST_F(WeatherBackgroundTest, TheSamePictureIsKeptForThirtyMinutesEvenFromDayToNight) {
    WritePicture(Backgrounds("Rain/Day/sun.png"), Red);
    WritePicture(Backgrounds("Rain/Night/moon.png"), Blue);

    const QImage* first = pictures_.WeatherBackground(true, EnumWeatherCode::Rain, now_);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(ColorOf(first), Red);
    const QImage* atNight =
        pictures_.WeatherBackground(false, EnumWeatherCode::RainShowers, now_ + TimeSpan(0, 30, 0));
    ASSERT_NE(atNight, nullptr);
    EXPECT_EQ(ColorOf(atNight), Red);
    EXPECT_EQ(pictures_.CachedBackgroundPath(), Backgrounds("Rain/Day/sun.png"));

    const QImage* later =
        pictures_.WeatherBackground(false, EnumWeatherCode::Rain, now_ + TimeSpan(0, 30, 1));
    ASSERT_NE(later, nullptr);
    EXPECT_EQ(ColorOf(later), Blue);
    EXPECT_EQ(pictures_.CachedBackgroundPath(), Backgrounds("Rain/Night/moon.png"));
}

TEST_F(WeatherBackgroundTest, TheCachedPictureOutlivesItsFileUntilItExpires) {
    WritePicture(Backgrounds("Fog/first.png"), Red);
    ASSERT_NE(pictures_.WeatherBackground(true, EnumWeatherCode::Fog, now_), nullptr);
    std::filesystem::remove(Backgrounds("Fog/first.png"));
    WritePicture(Backgrounds("Fog/second.png"), Green);

    EXPECT_EQ(
        ColorOf(pictures_.WeatherBackground(true, EnumWeatherCode::Fog, now_ + TimeSpan(0, 20, 0))),
        Red);
    EXPECT_EQ(
        ColorOf(pictures_.WeatherBackground(true, EnumWeatherCode::Fog, now_ + TimeSpan(0, 31, 0))),
        Green);
}

TEST_F(WeatherBackgroundTest, AnotherConditionPicksAnewAndReplacesTheCache) {
    WritePicture(Backgrounds("Rain/wet.png"), Blue);
    WritePicture(Backgrounds("Snow/white.png"), Green);
    ASSERT_EQ(ColorOf(pictures_.WeatherBackground(true, EnumWeatherCode::Rain, now_)), Blue);

    const QImage* snow =
        pictures_.WeatherBackground(true, EnumWeatherCode::RainAndSnow, now_ + TimeSpan(0, 1, 0));
    ASSERT_NE(snow, nullptr);
    EXPECT_EQ(ColorOf(snow), Green);

    // Rain's picture was dropped with the change, so the folder is read again.
    std::filesystem::remove(Backgrounds("Rain/wet.png"));
    WritePicture(Backgrounds("Rain/drops.png"), Red);
    EXPECT_EQ(
        ColorOf(pictures_.WeatherBackground(true, EnumWeatherCode::Rain, now_ + TimeSpan(0, 2, 0))),
        Red);
}

TEST_F(WeatherBackgroundTest, AnEmptyOrMissingFolderGivesNoPicture) {
    EXPECT_EQ(pictures_.WeatherBackground(true, EnumWeatherCode::Cold, now_), nullptr);
    std::filesystem::create_directories(Backgrounds("Cold/Day"));
    std::filesystem::create_directories(Backgrounds("Cold/Night/x.png"));
    EXPECT_EQ(pictures_.WeatherBackground(true, EnumWeatherCode::Cold, now_), nullptr);
    EXPECT_EQ(pictures_.WeatherBackground(false, EnumWeatherCode::Cold, now_), nullptr);
    EXPECT_EQ(pictures_.CachedBackgroundPath(), "");
}

TEST_F(WeatherBackgroundTest, NoCodeGivesNoPicture) {
    WritePicture(Backgrounds("Clear/sky.png"), Blue);
    EXPECT_EQ(pictures_.WeatherBackground(true, Nullable<EnumWeatherCode>(), now_), nullptr);
    EXPECT_EQ(pictures_.WeatherBackground(true, static_cast<EnumWeatherCode>(19), now_), nullptr);
}

TEST_F(WeatherBackgroundTest, DayPicksFromTheFolderAndDayNightFromTheFolderAndNight) {
    WritePicture(Backgrounds("Haze/any.png"), Red);
    WritePicture(Backgrounds("Haze/Day/bright.png"), Green);
    WritePicture(Backgrounds("Haze/Night/dark.png"), Blue);
    const std::string own = user_.Folder() + "Haze/Day/mine.png";
    WritePicture(own, Green);
    pictures_.SeedRandom(7);

    EXPECT_EQ(ChosenOver(60, true, EnumWeatherCode::Haze),
              (std::set<std::string>{Backgrounds("Haze/any.png"),
                                     Backgrounds("Haze/Day/bright.png"), own}));
    EXPECT_EQ(
        ChosenOver(40, false, EnumWeatherCode::Haze),
        (std::set<std::string>{Backgrounds("Haze/any.png"), Backgrounds("Haze/Night/dark.png")}));
}

TEST_F(WeatherBackgroundTest, HiddenTemporaryAndFolderEntriesAreNeverChosen) {
    WritePicture(Backgrounds("Windy/good.png"), Green);
    for (const char* name :
         {".hidden.png", "draft.png~", "part.tmp", "part.TEMP", "Day/.x.png", "Day/half.Tmp"}) {
        WritePicture(Backgrounds(std::string("Windy/") + name), Red);
    }
    std::filesystem::create_directories(Backgrounds("Windy/folder.png"));

    EXPECT_EQ(ChosenOver(30, true, EnumWeatherCode::Windy),
              std::set<std::string>{Backgrounds("Windy/good.png")});
}

TEST_F(WeatherBackgroundTest, AReadOnlyPictureIsStillChosen) {
    const std::string path = Backgrounds("Hail/locked.png");
    WritePicture(path, Blue);
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    const QImage* picture = pictures_.WeatherBackground(true, EnumWeatherCode::Hail, now_);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(ColorOf(picture), Blue);
}

TEST_F(WeatherBackgroundTest, AnUnreadablePictureGivesNothingAndIsNotReadAgainAtOnce) {
    const std::string path = Backgrounds("Cloudy/broken.png");
    TestSupport::WriteWholeFile(path, "not a picture");
    EXPECT_EQ(pictures_.WeatherBackground(true, EnumWeatherCode::Cloudy, now_), nullptr);
    EXPECT_EQ(pictures_.CachedBackgroundPath(), path);

    WritePicture(path, Green);
    EXPECT_EQ(pictures_.WeatherBackground(true, EnumWeatherCode::Cloudy, now_ + TimeSpan(0, 10, 0)),
              nullptr);
    const QImage* repaired =
        pictures_.WeatherBackground(true, EnumWeatherCode::Cloudy, now_ + TimeSpan(0, 40, 0));
    ASSERT_NE(repaired, nullptr);
    EXPECT_EQ(ColorOf(repaired), Green);
}

}  // namespace
