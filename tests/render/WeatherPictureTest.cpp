#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QRect>
#include <filesystem>
#include <string>
#include <vector>

#include "render/WeatherPicture.h"
#include "render/WeatherPictures.h"
#include "support/TestPictures.h"
#include "support/TestSupport.h"

namespace {

using TestSupport::SolidPicture;

const QColor SkyColor(30, 60, 200);
const QColor Red(220, 20, 20);
const QColor Green(20, 220, 20);

Screen MakeScreen(ScreenRect bounds, ScreenRect workArea) {
    Screen screen;
    screen.Bounds = bounds;
    screen.WorkArea = workArea;
    return screen;
}

bool IsWhite(const QImage& image, int x, int y) {
    return (image.pixel(x, y) & 0xFFFFFFu) == 0xFFFFFFu;
}

// The smallest rectangle holding every pure white pixel of the area: the fill of the
// texts, since neither the sky nor the test backgrounds have any.
QRect WhiteBounds(const QImage& image, const QRect& area) {
    QRect bounds;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (IsWhite(image, x, y)) {
                bounds |= QRect(x, y, 1, 1);
            }
        }
    }
    return bounds;
}

bool RowHasWhite(const QImage& image, const QRect& area, int y) {
    for (int x = area.left(); x <= area.right(); ++x) {
        if (IsWhite(image, x, y)) {
            return true;
        }
    }
    return false;
}

int CountColor(const QImage& image, const QColor& color) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            count += image.pixelColor(x, y) == color ? 1 : 0;
        }
    }
    return count;
}

class WeatherPictureTest : public ::testing::Test {
protected:
    void SetUp() override {
        WritePicture("LargeWeatherIcons/Sky.png", SolidPicture(8, 8, SkyColor));
        pictures_.Load();
        ASSERT_FALSE(pictures_.Sky().isNull());

        City home;
        home.CityName = "Testville";
        home.Latitude = 51.5F;
        home.Longitude = 0.0F;
        home.CurrentWeather.ReportDateTime = now_ - TimeSpan(1, 0, 0);
        home.CurrentWeather.WeatherCode = EnumWeatherCode::Haze;
        home.CurrentWeather.Temprature = 21.0F;
        options_.HomeCity = new City(home);
    }

    // Top or left half red, the rest green.
    static QImage SplitPicture(int width, int height) {
        QImage image = SolidPicture(width, height, Green);
        const QRect firstHalf =
            width > height ? QRect(0, 0, width / 2, height) : QRect(0, 0, width, height / 2);
        for (int y = firstHalf.top(); y <= firstHalf.bottom(); ++y) {
            for (int x = firstHalf.left(); x <= firstHalf.right(); ++x) {
                image.setPixelColor(x, y, Red);
            }
        }
        return image;
    }

    void WritePicture(const std::string& relative, const QImage& image) {
        TestSupport::SavePicture(install_.Path() / relative, image);
    }

    City& Home() { return *options_.HomeCity; }

    QImage Compose(const std::vector<Screen>& screens) {
        return ComposeWeatherPicture(options_, pictures_, screens, now_);
    }

    TestSupport::TempFolder install_;
    WeatherPictures pictures_{install_.Folder()};
    COptions options_{EnumAppKind::Weather, OptionsFiles{}};
    // Midday in June: daylight at the home city.
    DateTime now_{2024, 6, 21, 12, 0, 0};
};

TEST_F(WeatherPictureTest, TwoScreensSideBySideGetTheirTextsAtTheirOwnTopRight) {
    const std::vector<Screen> screens{MakeScreen({0, 0, 400, 300}, {0, 0, 400, 300}),
                                      MakeScreen({400, 0, 800, 300}, {400, 0, 800, 300})};
    const QImage picture = Compose(screens);
    ASSERT_EQ(picture.size(), QSize(800, 300));

    for (const int left : {0, 400}) {
        const QRect panel(left, 0, 400, 300);
        const QRect white = WhiteBounds(picture, panel);
        ASSERT_FALSE(white.isNull()) << left;
        EXPECT_LE(white.right(), left + 400 - 20) << left;
        EXPECT_GE(white.right(), left + 400 - 30) << left;
        EXPECT_GE(white.top(), 20) << left;
        EXPECT_LE(white.top(), 30) << left;
        EXPECT_GE(white.left(), left + 200) << left;
        EXPECT_LE(white.bottom(), 120) << left;
    }
    EXPECT_GT(CountColor(picture, SkyColor), 800 * 300 / 2);
}

TEST_F(WeatherPictureTest, PanelsArePlacedFromTheVirtualScreensTopLeftAndATopTaskBarMovesTheTexts) {
    const std::vector<Screen> screens{MakeScreen({0, 0, 400, 300}, {0, 40, 400, 300}),
                                      MakeScreen({-400, -100, 0, 200}, {-400, -100, 0, 200})};
    const QImage picture = Compose(screens);
    ASSERT_EQ(picture.size(), QSize(800, 400));

    const QRect withTaskBar = WhiteBounds(picture, QRect(400, 100, 400, 300));
    const QRect without = WhiteBounds(picture, QRect(0, 0, 400, 300));
    ASSERT_FALSE(without.isNull());
    EXPECT_GE(without.top(), 20);
    EXPECT_EQ(withTaskBar, without.translated(400, 140));
    EXPECT_TRUE(WhiteBounds(picture, QRect(400, 100, 400, 60)).isNull());
}

TEST_F(WeatherPictureTest, WithoutAHomeCityOnlyTheSkyIsDrawn) {
    WritePicture("Weather Backgrounds/Haze/fog.png", SolidPicture(8, 8, Red));
    options_.HomeCity = static_cast<City*>(nullptr);
    const QImage picture = Compose({Screen::OfSize(320, 200)});
    EXPECT_EQ(CountColor(picture, SkyColor), 320 * 200);
}

TEST_F(WeatherPictureTest, AReportOlderThanTwoDaysLeavesOnlyTheSky) {
    WritePicture("Weather Backgrounds/Haze/fog.png", SolidPicture(8, 8, Red));
    Home().CurrentWeather.ReportDateTime = now_ - TimeSpan(48, 0, 0);
    const QImage picture = Compose({Screen::OfSize(320, 200)});
    EXPECT_EQ(CountColor(picture, SkyColor), 320 * 200);
}

TEST_F(WeatherPictureTest, AWidePictureCoversEachPanelCentredAndStaysInsideIt) {
    WritePicture("Weather Backgrounds/Haze/wide.png", SplitPicture(200, 50));
    const std::vector<Screen> screens{MakeScreen({0, 0, 400, 300}, {0, 0, 400, 300}),
                                      MakeScreen({400, 0, 800, 300}, {400, 0, 800, 300})};
    const QImage picture = Compose(screens);

    EXPECT_EQ(CountColor(picture, SkyColor), 0);
    for (const int left : {0, 400}) {
        EXPECT_EQ(picture.pixelColor(left + 1, 150), Red) << left;
        EXPECT_EQ(picture.pixelColor(left + 180, 150), Red) << left;
        EXPECT_EQ(picture.pixelColor(left + 220, 290), Green) << left;
        EXPECT_EQ(picture.pixelColor(left + 398, 290), Green) << left;
    }
}

TEST_F(WeatherPictureTest, ATallPictureCoversThePanelCentred) {
    WritePicture("Weather Backgrounds/Haze/tall.png", SplitPicture(50, 200));
    const QImage picture = Compose({Screen::OfSize(400, 300)});

    EXPECT_EQ(CountColor(picture, SkyColor), 0);
    EXPECT_EQ(picture.pixelColor(20, 1), Red);
    EXPECT_EQ(picture.pixelColor(20, 140), Red);
    EXPECT_EQ(picture.pixelColor(20, 160), Green);
    EXPECT_EQ(picture.pixelColor(20, 298), Green);
}

TEST_F(WeatherPictureTest, WeatherWithoutACodeStillShowsTheTemperatureAndTheCityOnItsSecondLine) {
    const QRect rightSide(200, 0, 200, 300);
    const QImage withCode = Compose({Screen::OfSize(400, 300)});
    Home().CurrentWeather.WeatherCode.Reset();
    WritePicture("Weather Backgrounds/Haze/fog.png", SolidPicture(8, 8, Red));
    const QImage withoutCode = Compose({Screen::OfSize(400, 300)});

    EXPECT_EQ(CountColor(withoutCode, Red), 0);
    const QRect white = WhiteBounds(withoutCode, rightSide);
    ASSERT_FALSE(white.isNull());
    EXPECT_LE(white.top(), 30);
    EXPECT_GE(white.bottom(), 70);

    // The description's own line stays empty, the city name keeps its place below it.
    bool descriptionLineShown = false;
    for (int y = 52; y < 64; ++y) {
        EXPECT_FALSE(RowHasWhite(withoutCode, rightSide, y)) << y;
        descriptionLineShown = descriptionLineShown || RowHasWhite(withCode, rightSide, y);
    }
    EXPECT_TRUE(descriptionLineShown);
    EXPECT_EQ(WhiteBounds(withoutCode, QRect(200, 66, 200, 234)),
              WhiteBounds(withCode, QRect(200, 66, 200, 234)));
}

}  // namespace
