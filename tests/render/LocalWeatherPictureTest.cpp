#include "render/LocalWeatherPicture.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QRect>
#include <algorithm>
#include <filesystem>
#include <string>

#include "data/Options.h"
#include "data/Settings.h"
#include "render/WeatherPictures.h"
#include "support/TestPictures.h"
#include "support/TestSupport.h"

namespace {

using TestSupport::SolidPicture;

const QColor DayColor(250, 200, 0);
const QColor NightColor(120, 0, 160);
const QColor NotAvailableColor(0, 0, 255);
// The shadow's alpha in its corners, along its edges and in its centre.
constexpr int CornerAlpha = 250;
constexpr int EdgeAlpha = 150;
constexpr int CentreAlpha = 60;

// Text is white; neither the panel nor the test's icons have a pixel this bright.
bool IsText(const QImage& image, int x, int y) {
    const QColor color = image.pixelColor(x, y);
    return color.alpha() >= 200 && std::min({color.red(), color.green(), color.blue()}) >= 200;
}

// The smallest rectangle holding every text pixel.
QRect TextBounds(const QImage& image) {
    QRect bounds;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (IsText(image, x, y)) {
                bounds |= QRect(x, y, 1, 1);
            }
        }
    }
    return bounds;
}

QColor Opaque(const QImage& image, int x, int y) {
    return image.pixelColor(x, y);
}

class LocalWeatherPictureTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* folder : {"LargeWeatherIcons/", "SmallWeatherIcons/"}) {
            WritePicture(std::string(folder) + "Clear.png", SolidPicture(64, 64, DayColor));
            WritePicture(std::string(folder) + "Night Clear.png", SolidPicture(64, 64, NightColor));
        }
        WritePicture("LargeWeatherIcons/NA.png", SolidPicture(64, 64, NotAvailableColor));
        WritePicture("UI/LocalWeatherBackground.png", Background());
        pictures_.Load();

        City home;
        home.CityName = "Testville";
        home.Latitude = 51.5F;
        home.Longitude = 0.0F;
        home.CurrentWeather.ReportDateTime = now_ - TimeSpan(1, 0, 0);
        home.CurrentWeather.WeatherCode = EnumWeatherCode::Clear;
        home.CurrentWeather.Temprature = 21.0F;
        home.Forecast.ReportDateTime = now_ - TimeSpan(2, 0, 0);
        options_.HomeCity = new City(home);
    }

    // Coloured, so that the shadow made of it shows that only the alpha counts.
    static QImage Background() {
        QImage image = SolidPicture(200, 200, QColor(200, 100, 50, CentreAlpha));
        for (int y = 0; y < 200; ++y) {
            for (int x = 0; x < 200; ++x) {
                const bool edgeX = x < 30 || x >= 170;
                const bool edgeY = y < 30 || y >= 170;
                if (edgeX || edgeY) {
                    image.setPixelColor(
                        x, y, QColor(200, 100, 50, edgeX && edgeY ? CornerAlpha : EdgeAlpha));
                }
            }
        }
        return image;
    }

    void WritePicture(const std::string& relative, const QImage& image) {
        TestSupport::SavePicture(install_.Path() / relative, image);
    }

    City& Home() { return *options_.HomeCity; }

    // Periods of twelve hours from the first start on, alternating the icon's code.
    void SetForecast(int count, int firstHour, const std::string& daySummary = "",
                     const std::string& nightSummary = "") {
        std::vector<CForecastItem>& items = Home().Forecast.Items;
        items.clear();
        const DateTime first(2024, 6, 22, firstHour, 0, 0);
        const bool firstIsDay = firstHour < 12;
        for (int index = 0; index < count; ++index) {
            CForecastItem item;
            item.Start = first + TimeSpan(12 * index, 0, 0);
            item.End = item.Start + TimeSpan(12, 0, 0);
            item.WeatherCode = EnumWeatherCode::Clear;
            const bool isDay = (index % 2 == 0) == firstIsDay;
            item.WeatherSummary = isDay ? daySummary : nightSummary;
            items.push_back(item);
        }
    }

    QImage Compose(int mode) { return ComposeLocalWeatherPicture(options_, pictures_, mode, now_); }

    TestSupport::TempFolder install_;
    WeatherPictures pictures_{install_.Folder()};
    COptions options_{EnumAppKind::Earth, OptionsFiles{}};
    // Midday in June: daylight at the home city.
    DateTime now_{2024, 6, 21, 12, 0, 0};
};

TEST_F(LocalWeatherPictureTest, WithoutAHomeCityEverySizeShowsTheHintInWhiteInsideItsBox) {
    options_.HomeCity = static_cast<City*>(nullptr);
    const QImage large = Compose(CSettings::ModeLarge);
    ASSERT_EQ(large.size(), QSize(290, 73));
    EXPECT_TRUE(large.hasAlphaChannel());

    const QRect text = TextBounds(large);
    ASSERT_FALSE(text.isNull());
    EXPECT_TRUE(QRect(10, 10, 270, 53).contains(text))
        << text.x() << "," << text.y() << " " << text.width() << "x" << text.height();
    // Wrapped to more than one line, centred.
    EXPECT_GT(text.height(), 15);
    EXPECT_NEAR(text.center().x(), 145, 6);
    EXPECT_EQ(Compose(CSettings::ModeSmall), large);
    EXPECT_EQ(Compose(CSettings::ModeIconOnly), large);
}

TEST_F(LocalWeatherPictureTest, ThePanelIsTheShadowInNineSlicesAndTheRestIsTransparent) {
    // Nothing but the panel and the dashes at the top right.
    Home().CityName.clear();
    Home().CurrentWeather.ReportDateTime = now_ - TimeSpan(49, 0, 0);
    std::filesystem::remove(install_.Path() / "LargeWeatherIcons/NA.png");
    pictures_.Load();

    const QImage small = Compose(CSettings::ModeSmall);
    ASSERT_EQ(small.size(), QSize(290, 160));
    EXPECT_EQ(small.pixel(100, 50), 0u);
    EXPECT_EQ(small.pixel(100, 150), 0u);
    EXPECT_EQ(small.pixel(5, 80), qRgba(0, 0, 0, CornerAlpha));
    EXPECT_EQ(small.pixel(284, 143), qRgba(0, 0, 0, CornerAlpha));
    // The edges and the centre are stretched from 140 to 230 pixels and from 140 to 13.
    EXPECT_EQ(small.pixel(100, 80), qRgba(0, 0, 0, EdgeAlpha));
    EXPECT_EQ(small.pixel(5, 111), qRgba(0, 0, 0, EdgeAlpha));
    EXPECT_EQ(small.pixel(100, 111), qRgba(0, 0, 0, CentreAlpha));
}

TEST_F(LocalWeatherPictureTest, AFreshReportShowsItsIconAndAStaleOneTheNotAvailableIconAndDashes) {
    const QImage iconOnly = Compose(CSettings::ModeIconOnly);
    ASSERT_EQ(iconOnly.size(), QSize(210, 160));
    // The 64-pixel icon fills the height of the 200 x 160 icon box, centred.
    EXPECT_EQ(Opaque(iconOnly, 110, 80), DayColor);
    EXPECT_EQ(Opaque(iconOnly, 31, 80), DayColor);
    EXPECT_EQ(iconOnly.pixel(28, 80), 0u);
    EXPECT_EQ(Opaque(Compose(CSettings::ModeSmall), 110, 80), DayColor);

    const QImage fresh = Compose(CSettings::ModeSmall);
    Home().CurrentWeather.ReportDateTime = now_ - TimeSpan(48, 0, 1);
    const QImage stale = Compose(CSettings::ModeSmall);
    EXPECT_EQ(Opaque(stale, 110, 80), NotAvailableColor);
    EXPECT_EQ(Opaque(Compose(CSettings::ModeIconOnly), 110, 80), NotAvailableColor);

    // A stale report is drawn as a fresh one without a code or temperature: "--".
    Home().CurrentWeather.ReportDateTime = now_;
    Home().CurrentWeather.WeatherCode.Reset();
    Home().CurrentWeather.Temprature.Reset();
    EXPECT_EQ(stale, Compose(CSettings::ModeSmall));
    EXPECT_NE(stale, fresh);
}

struct ColumnsCase {
    int FirstHour;
    int Width;
    bool FirstColumnHasADay;
};

class LocalWeatherColumnsTest : public LocalWeatherPictureTest,
                                public ::testing::WithParamInterface<ColumnsCase> {};

// Empty summaries give rows of 5 pixels: the day row's icons at 170, the night row's at 205.
TEST_P(LocalWeatherColumnsTest, FourteenItemsFillTheirColumnsDayAboveNight) {
    SetForecast(14, GetParam().FirstHour);
    const QImage large = Compose(CSettings::ModeLarge);
    ASSERT_EQ(large.size(), QSize(GetParam().Width, 260));

    const int lastColumnCentre = 30 + 68 * ((GetParam().Width - 45) / 68 - 1) + 34;
    EXPECT_EQ(Opaque(large, lastColumnCentre, 185) == DayColor, true);
    EXPECT_EQ(Opaque(large, lastColumnCentre, 220) == NightColor, GetParam().FirstColumnHasADay);
    EXPECT_EQ(Opaque(large, 64, 185) == DayColor, GetParam().FirstColumnHasADay);
    EXPECT_EQ(Opaque(large, 64, 220), NightColor);
}

INSTANTIATE_TEST_SUITE_P(FirstPeriod, LocalWeatherColumnsTest,
                         ::testing::Values(ColumnsCase{6, 521, true}, ColumnsCase{18, 589, false}));

TEST_F(LocalWeatherPictureTest, TheLongestDaySummarySetsTheDayRowAndMovesTheNightRowDown) {
    SetForecast(4, 6, "Chance of Rain Showers then Mostly Sunny", "");
    const QImage large = Compose(CSettings::ModeLarge);
    const int dayRow = large.height() - 255;
    EXPECT_GT(dayRow, 20);
    EXPECT_LE(dayRow, 100);
    EXPECT_NE(Opaque(large, 64, 220), NightColor);
    EXPECT_EQ(Opaque(large, 64, 200 + dayRow + 15), NightColor);
    // The summary is drawn under its icon, inside its column.
    const QRect text = TextBounds(large.copy(30, 200, 68, dayRow));
    ASSERT_FALSE(text.isNull());
    EXPECT_GT(text.height(), 10);
}

TEST_F(LocalWeatherPictureTest, LargeWithAStaleOrEmptyForecastIsAsLargeAsSmall) {
    EXPECT_EQ(Compose(CSettings::ModeLarge).size(), QSize(290, 160));
    SetForecast(14, 6);
    EXPECT_EQ(Compose(CSettings::ModeLarge).size(), QSize(521, 260));
    Home().Forecast.ReportDateTime = now_ - TimeSpan(48, 0, 0);
    EXPECT_EQ(Compose(CSettings::ModeLarge).size(), QSize(290, 160));
}

// The worldwide service's data are credited under the columns, ending with the
// last one; the NDFD forecast needs no credit.
TEST_F(LocalWeatherPictureTest, AWorldwideForecastIsCreditedUnderItsColumns) {
    SetForecast(14, 6);
    const QImage ndfd = Compose(CSettings::ModeLarge);
    ASSERT_EQ(ndfd.size(), QSize(521, 260));
    EXPECT_TRUE(TextBounds(ndfd.copy(0, 240, 521, 20)).isNull());

    Home().Forecast.Source = ForecastSource::OpenMeteo;
    const QImage credited = Compose(CSettings::ModeLarge);
    ASSERT_EQ(credited.size(), QSize(521, 272));
    const QRect credit = TextBounds(credited.copy(0, 240, 521, 32)).translated(0, 240);
    ASSERT_FALSE(credit.isNull());
    EXPECT_GT(credit.top(), 240);
    EXPECT_LE(credit.bottom(), 240 + 12);
    EXPECT_LE(credit.right(), 30 + 7 * 68);
    EXPECT_GT(credit.right(), 30 + 7 * 68 - 12);
    EXPECT_GT(credit.width(), 100);
    // Everything above stays as it was, down to where the panel's bottom edge begins.
    EXPECT_EQ(credited.copy(0, 0, 521, 230), ndfd.copy(0, 0, 521, 230));

    // One column is narrower than the credit: it stays inside the panel.
    SetForecast(2, 6);
    const QImage narrow = Compose(CSettings::ModeLarge);
    const QRect narrowCredit = TextBounds(narrow.copy(0, 240, narrow.width(), 32));
    ASSERT_FALSE(narrowCredit.isNull());
    EXPECT_GE(narrowCredit.left(), 10);
    EXPECT_LE(narrowCredit.right(), narrow.width() - 10);
}

TEST(ForecastTemperatureTextTest, MaximumOverMinimumWithDashesForWhatIsMissing) {
    EXPECT_EQ(ForecastTemperatureText(22.2F, 12.8F, false), "72\u00B0/55\u00B0");
    EXPECT_EQ(ForecastTemperatureText(Nullable<float>(), 12.8F, false), "--/55\u00B0");
    EXPECT_EQ(ForecastTemperatureText(22.2F, Nullable<float>(), false), "72\u00B0/--");
    EXPECT_EQ(ForecastTemperatureText(20.5F, -0.5F, true), "21\u00B0/-1\u00B0");
}

}  // namespace
