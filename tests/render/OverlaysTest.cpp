#include <gtest/gtest.h>

#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cctype>
#include <climits>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "data/ChosenTimeZones.h"
#include "data/Options.h"
#include "render/Graphics.h"
#include "render/Overlays.h"
#include "render/WeatherPictures.h"
#include "support/TestSupport.h"

namespace {

constexpr QRgb Black = 0xFF000000;
constexpr QRgb NameGreen = 0xFF00FF00;
constexpr QRgb TemperatureYellow = 0xFFFFFF00;
constexpr QRgb ClockRed = 0xFFFF0000;
constexpr QRgb DayRed = 0xFFFF0000;
constexpr QRgb NightBlue = 0xFF0000FF;
constexpr QRgb HomeWhite = 0xFFFFFFFF;

// Anti-aliased text on black is its pure colour scaled down: the same channels lead.
bool IsShadeOf(QRgb pixel, QRgb color) {
    const int channels[3] = {qRed(pixel), qGreen(pixel), qBlue(pixel)};
    const bool wanted[3] = {qRed(color) > 0, qGreen(color) > 0, qBlue(color) > 0};
    const int brightest = *std::max_element(channels, channels + 3);
    if (brightest < 80) {
        return false;
    }
    for (int i = 0; i < 3; ++i) {
        if (wanted[i] ? channels[i] < brightest * 2 / 3 : channels[i] > brightest / 3) {
            return false;
        }
    }
    return true;
}

struct PixelBounds {
    int Left = INT_MAX;
    int Top = INT_MAX;
    int Right = INT_MIN;
    int Bottom = INT_MIN;
    int Count = 0;

    double CentreX() const { return (Left + Right) / 2.0; }
};

PixelBounds BoundsOfShade(const QImage& image, QRgb color) {
    PixelBounds bounds;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (IsShadeOf(image.pixel(x, y), color)) {
                bounds.Left = std::min(bounds.Left, x);
                bounds.Top = std::min(bounds.Top, y);
                bounds.Right = std::max(bounds.Right, x);
                bounds.Bottom = std::max(bounds.Bottom, y);
                ++bounds.Count;
            }
        }
    }
    return bounds;
}

QImage BlankPicture(int width = 720, int height = 360) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Black);
    return image;
}

QColor ToColor(QRgb color) {
    return QColor::fromRgba(color);
}

// Plain text drawn where a label's box is expected; on black the label's shadow vanishes,
// so a label in that box gives the very same pixels.
QImage ReferenceText(const QRectF& box, const std::string& text, const FontValue& font,
                     QRgb color) {
    QImage image = BlankPicture();
    QPainter painter(&image);
    Graphics::PreparePainter(painter);
    painter.setFont(Graphics::ToQFont(font));
    painter.setPen(ToColor(color));
    painter.drawText(box, Qt::AlignHCenter | Qt::AlignTop | Qt::TextDontClip,
                     QString::fromStdString(text));
    return image;
}

COptions OptionsIn(const TestSupport::TempFolder& folder) {
    const std::string base = folder.Folder();
    return COptions(EnumAppKind::Earth, OptionsFiles{base + "Options.txt", base + "TimeZones.txt",
                                                     base + "Cities.txt", base + "Earth/"});
}

TEST(CityPositionTest, APlaceOutsideTheRegionLandsOutsideThePicture) {
    const RegionRecord europe = *Regions::Find("Europe");
    const QRect dest(0, 0, 630, 460);
    const QPoint newYork = CityPosition(europe, dest, 40.7F, -74.0F);
    const QPoint sydney = CityPosition(europe, dest, -33.9F, 151.2F);
    EXPECT_LT(newYork.x(), 0);
    EXPECT_GT(sydney.x(), dest.right());
    EXPECT_GT(sydney.y(), dest.bottom());
}

TEST(CityPositionTest, APlaceInsideIsScaledFromTheRegionOntoThePicture) {
    const RegionRecord complete = *Regions::Find("Earth (Complete)");
    EXPECT_EQ(CityPosition(complete, QRect(0, 0, 3600, 1800), 45.5F, 90.25F), QPoint(2702, 445));
    EXPECT_EQ(CityPosition(complete, QRect(100, 50, 360, 180), 0.0F, 0.0F), QPoint(280, 140));
}

TEST(CityPositionTest, FractionsAreTruncatedTowardZeroNotRoundedDown) {
    const RegionRecord complete = *Regions::Find("Earth (Complete)");
    EXPECT_EQ(CityPosition(complete, QRect(0, 0, 360, 180), 90.5F, -180.5F), QPoint(0, 0));
    EXPECT_EQ(CityPosition(complete, QRect(0, 0, 360, 180), 89.1F, -179.1F), QPoint(0, 0));
}

TEST(CityPositionTest, ARegionWithoutWidthPutsPlacesOffThePicture) {
    const RegionRecord line{"Line", 10, 50, 10, -50};
    const QRect dest(0, 0, 800, 600);
    EXPECT_FALSE(dest.contains(CityPosition(line, dest, 0.0F, 20.0F)));
    EXPECT_FALSE(dest.contains(CityPosition(line, dest, 0.0F, 10.0F)));
}

class RegionCornersTest : public ::testing::TestWithParam<RegionRecord> {};

TEST_P(RegionCornersTest, TheRegionsCornersMapToTheDestinationsCorners) {
    const RegionRecord& region = GetParam();
    const QRect dest(10, 20, 1000, 500);
    EXPECT_EQ(CityPosition(region, dest, static_cast<float>(region.North),
                           static_cast<float>(region.West)),
              QPoint(10, 20));
    EXPECT_EQ(CityPosition(region, dest, static_cast<float>(region.South),
                           static_cast<float>(region.East)),
              QPoint(1010, 520));
}

INSTANTIATE_TEST_SUITE_P(EveryView, RegionCornersTest,
                         ::testing::ValuesIn(std::vector<RegionRecord>(Regions::All().begin(),
                                                                       Regions::All().end())),
                         [](const ::testing::TestParamInfo<RegionRecord>& region) {
                             std::string name;
                             for (char c : region.param.Name) {
                                 if (std::isalnum(static_cast<unsigned char>(c)) != 0) {
                                     name += c;
                                 }
                             }
                             return name;
                         });

// Pictures from a temporary installation folder, a noon at Greenwich on the equinox
// and fonts large enough for their pixels to be told apart.
class CityOverlayTest : public ::testing::Test {
protected:
    CityOverlayTest() : options_(OptionsIn(folder_)) {
        options_.Cities = new std::vector<City>();
        options_.HomeCity = nullptr;
        options_.Region = *Regions::Find("Earth (Complete)");
        options_.DispalyCityName = true;
        options_.DisplayCityTemprature = true;
        options_.UseMetricSystem = true;
        options_.WeatherIconScale = 100;
        options_.FontCityName = FontValue{"Arial", 14.0, 0};
        options_.FontCityTemprature = FontValue{"Arial", 24.0, FontValue::Bold};
        options_.ColorCityName = Color{NameGreen};
        options_.ColorCityTemprature = Color{TemperatureYellow};
    }

    void WriteIcon(const std::string& file, QSize size, QRgb color) {
        const std::filesystem::path folder = folder_.Path() / "SmallWeatherIcons";
        std::filesystem::create_directories(folder);
        QImage icon(size, QImage::Format_RGB32);
        icon.fill(color);
        ASSERT_TRUE(icon.save(QString::fromStdString((folder / file).string()), "PNG"));
        pictures_.reset();
    }

    const WeatherPictures& Pictures() {
        if (!pictures_) {
            pictures_ = std::make_unique<WeatherPictures>(folder_.Folder());
            pictures_->Load();
        }
        return *pictures_;
    }

    City MakeCity(const std::string& name, float latitude, float longitude,
                  Nullable<EnumWeatherCode> code, Nullable<float> temperature,
                  TimeSpan reportAge = TimeSpan(TimeSpan::TicksPerHour)) const {
        City city(1, "Country", "", "", name, latitude, longitude, "XXXX");
        city.CurrentWeather.ReportDateTime = now_ - reportAge;
        city.CurrentWeather.WeatherCode = code;
        city.CurrentWeather.Temprature = temperature;
        return city;
    }

    QImage DrawItem(const City& city, bool name, bool temperature, bool icon, QPoint at,
                    const DateTime& utcNow) {
        QImage image = BlankPicture();
        QPainter painter(&image);
        Graphics::PreparePainter(painter);
        DrawCityItem(painter, options_, Pictures(), city, name, temperature, icon, at, utcNow);
        return image;
    }
    QImage DrawItem(const City& city, bool name, bool temperature, bool icon, QPoint at = Centre) {
        return DrawItem(city, name, temperature, icon, at, now_);
    }

    QImage DrawAllCities() {
        QImage image = BlankPicture();
        QPainter painter(&image);
        Graphics::PreparePainter(painter);
        DrawCities(painter, options_, Pictures(), image.rect(), now_);
        return image;
    }

    // The equator at Greenwich on the picture of the whole Earth drawn by DrawAllCities.
    static constexpr QPoint Centre{360, 180};

    TestSupport::TempFolder folder_;
    COptions options_;
    std::unique_ptr<WeatherPictures> pictures_;
    DateTime now_ = DateTime(2024, 3, 20, 12, 0, 0);
};

TEST_F(CityOverlayTest, AReportOf48HoursOrOlderOrNoneDrawsNothingAtAll) {
    WriteIcon("Clear.png", QSize(40, 40), DayRed);
    const QImage blank = BlankPicture();
    const TimeSpan ages[] = {TimeSpan(48 * TimeSpan::TicksPerHour),
                             TimeSpan(72 * TimeSpan::TicksPerHour)};
    for (const TimeSpan& age : ages) {
        const City city = MakeCity("Paris", 0.0F, 0.0F, EnumWeatherCode::Clear, 23.0F, age);
        EXPECT_EQ(DrawItem(city, true, true, true), blank) << age.Ticks();
    }
    City neverReported = MakeCity("Paris", 0.0F, 0.0F, EnumWeatherCode::Clear, 23.0F);
    neverReported.CurrentWeather.ReportDateTime = CCurrentWeather().ReportDateTime;
    EXPECT_EQ(DrawItem(neverReported, true, true, true), blank);
}

TEST_F(CityOverlayTest, AReportJustUnder48HoursOldIsDrawnWithEverything) {
    WriteIcon("Clear.png", QSize(40, 40), DayRed);
    const City city = MakeCity("Paris", 0.0F, 0.0F, EnumWeatherCode::Clear, 23.0F,
                               TimeSpan(48 * TimeSpan::TicksPerHour - TimeSpan::TicksPerMinute));
    const QImage image = DrawItem(city, true, true, true);
    EXPECT_GT(BoundsOfShade(image, DayRed).Count, 0);
    EXPECT_GT(BoundsOfShade(image, NameGreen).Count, 0);
    EXPECT_GT(BoundsOfShade(image, TemperatureYellow).Count, 0);
}

TEST_F(CityOverlayTest, TheIconIsStretchedByTheScaleIntoABoxCentredOnTheCity) {
    WriteIcon("Clear.png", QSize(40, 20), DayRed);
    options_.WeatherIconScale = 150;
    const City city = MakeCity("Paris", 0.0F, 0.0F, EnumWeatherCode::Clear, 23.0F);
    const PixelBounds icon = BoundsOfShade(DrawItem(city, false, false, true), DayRed);
    EXPECT_EQ(icon.Left, Centre.x() - 30);
    EXPECT_EQ(icon.Right, Centre.x() + 29);
    EXPECT_EQ(icon.Top, Centre.y() - 15);
    EXPECT_EQ(icon.Bottom, Centre.y() + 14);
    EXPECT_EQ(icon.Count, 60 * 30);
}

TEST_F(CityOverlayTest, ACityWithoutWeatherCodeHasNoIconButItsLabels) {
    WriteIcon("Clear.png", QSize(40, 40), DayRed);
    const City city = MakeCity("Paris", 0.0F, 0.0F, Nullable<EnumWeatherCode>(), 23.0F);
    const QImage image = DrawItem(city, true, true, true);
    EXPECT_EQ(BoundsOfShade(image, DayRed).Count, 0);
    EXPECT_GT(BoundsOfShade(image, NameGreen).Count, 0);
}

TEST_F(CityOverlayTest, IconScaleZeroDrawsNoIconAndPutsTheLabelTopAtTheCity) {
    WriteIcon("Clear.png", QSize(40, 40), DayRed);
    options_.WeatherIconScale = 0;
    options_.DisplayCityTemprature = false;
    const City city = MakeCity("Paris", 0.0F, 0.0F, EnumWeatherCode::Clear, 23.0F);
    const QImage image = DrawItem(city, true, false, true);
    EXPECT_EQ(BoundsOfShade(image, DayRed).Count, 0);
    EXPECT_EQ(image, ReferenceText(QRectF(Centre.x() - 500, Centre.y(), 1000, 1000), "Paris",
                                   options_.FontCityName, NameGreen));
}

struct SingleLabelCase {
    const char* Name;
    int IconSide;  // 0: no icon file at all
    int ScalePercent;
    int ExpectedTopBelowCity;
    bool ShowName;
};

class SingleLabelTest : public CityOverlayTest,
                        public ::testing::WithParamInterface<SingleLabelCase> {};

TEST_P(SingleLabelTest, TheOnlyTextIsCentredUnderTheCityAQuarterIconBelowIt) {
    const SingleLabelCase& test = GetParam();
    if (test.IconSide > 0) {
        WriteIcon("Clear.png", QSize(test.IconSide, test.IconSide), DayRed);
    }
    options_.WeatherIconScale = test.ScalePercent;
    options_.DispalyCityName = test.ShowName;
    options_.DisplayCityTemprature = !test.ShowName;
    const City city = MakeCity("Paris", 0.0F, 0.0F, EnumWeatherCode::Clear, 23.0F);
    const QImage image = DrawItem(city, test.ShowName, !test.ShowName, false);
    const QRectF box(Centre.x() - 500, Centre.y() + test.ExpectedTopBelowCity, 1000, 1000);
    const QImage expected =
        test.ShowName
            ? ReferenceText(box, "Paris", options_.FontCityName, NameGreen)
            : ReferenceText(box, "23\u00B0", options_.FontCityTemprature, TemperatureYellow);
    EXPECT_EQ(image, expected);
}

INSTANTIATE_TEST_SUITE_P(
    IconSizes, SingleLabelTest,
    ::testing::Values(SingleLabelCase{"NameUnderIconOf40", 40, 100, 10, true},
                      SingleLabelCase{"NameUnderIconOf42", 42, 100, 10, true},
                      SingleLabelCase{"NameUnderIconScaledTo30", 20, 150, 7, true},
                      SingleLabelCase{"NameWithoutIcon", 0, 100, 0, true},
                      SingleLabelCase{"TemperatureUnderIconOf40", 40, 100, 10, false},
                      SingleLabelCase{"TemperatureUnderIconScaledTo60", 40, 150, 15, false}),
    [](const ::testing::TestParamInfo<SingleLabelCase>& test) { return test.param.Name; });

TEST_F(CityOverlayTest, OnlyTheNamePassDrawsTheNameAndOnlyTheTemperaturePassItsText) {
    options_.DisplayCityTemprature = false;
    const City city = MakeCity("Paris", 0.0F, 0.0F, Nullable<EnumWeatherCode>(), 23.0F);
    EXPECT_EQ(DrawItem(city, false, true, true), BlankPicture());
    options_.DispalyCityName = false;
    options_.DisplayCityTemprature = true;
    EXPECT_EQ(DrawItem(city, true, false, true), BlankPicture());
}

TEST_F(CityOverlayTest, EachPassOfTheLineDrawsOnlyItsOwnTextInItsPlace) {
    const City city = MakeCity("Paris", 0.0F, 0.0F, Nullable<EnumWeatherCode>(), 23.0F);
    const QImage both = DrawItem(city, true, true, false);
    const QImage nameOnly = DrawItem(city, true, false, false);
    const QImage temperatureOnly = DrawItem(city, false, true, false);
    EXPECT_EQ(BoundsOfShade(nameOnly, TemperatureYellow).Count, 0);
    EXPECT_EQ(BoundsOfShade(temperatureOnly, NameGreen).Count, 0);
    const PixelBounds name = BoundsOfShade(nameOnly, NameGreen);
    const PixelBounds temperature = BoundsOfShade(temperatureOnly, TemperatureYellow);
    EXPECT_EQ(name.Left, BoundsOfShade(both, NameGreen).Left);
    EXPECT_EQ(temperature.Right, BoundsOfShade(both, TemperatureYellow).Right);
}

TEST_F(CityOverlayTest, BothTextsAreDrawnInTheirExactLineBoxes) {
    WriteIcon("Clear.png", QSize(40, 40), DayRed);
    const City city = MakeCity("Paris", 0.0F, 0.0F, EnumWeatherCode::Clear, 23.0F);
    const QImage image = DrawItem(city, true, true, false);

    const QImage device = BlankPicture(8, 8);
    const QFont nameFont = Graphics::ToQFont(options_.FontCityName);
    const QFont temperatureFont = Graphics::ToQFont(options_.FontCityTemprature);
    const QRectF layout(0, 0, 1000, 1000);
    const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip;
    const QSizeF name =
        QFontMetricsF(nameFont, &device).boundingRect(layout, flags, "Paris").size();
    const QSizeF temperature =
        QFontMetricsF(temperatureFont, &device).boundingRect(layout, flags, "23\u00B0").size();
    const qreal total = name.width() + temperature.width();
    const qreal lineH = std::max(name.height(), temperature.height());
    // Icon of 40 at scale 1: the line starts at 20 - min(10, lineH) below the city.
    const qreal top = Centre.y() + 10;
    const qreal start = Centre.x() - total / 2;

    QImage expected = BlankPicture();
    {
        QPainter painter(&expected);
        Graphics::PreparePainter(painter);
        painter.setFont(nameFont);
        painter.setPen(ToColor(NameGreen));
        painter.drawText(QRectF(start - 1000, top, name.width() + 1000, lineH),
                         Qt::AlignRight | Qt::AlignVCenter | Qt::TextDontClip, "Paris");
        painter.setFont(temperatureFont);
        painter.setPen(ToColor(TemperatureYellow));
        painter.drawText(QRectF(start + name.width(), top, temperature.width() + 1000, lineH),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextDontClip, "23\u00B0");
    }
    EXPECT_EQ(image, expected);
}

TEST_F(CityOverlayTest, TheLineRisesByItsOwnHeightWhenTheScaledQuarterIsMore) {
    WriteIcon("Clear.png", QSize(40, 40), DayRed);
    const City city = MakeCity("Paris", 0.0F, 0.0F, EnumWeatherCode::Clear, 23.0F);
    // Icons of 120 and 100 pixels: raised by min(90, line) and min(62.5, line), the line
    // being about 37 pixels high, so the line ends at the icon's bottom edge in both.
    options_.WeatherIconScale = 300;
    const QImage large = DrawItem(city, true, true, false);
    options_.WeatherIconScale = 250;
    const QImage smaller = DrawItem(city, true, true, false);
    const PixelBounds largeTemperature = BoundsOfShade(large, TemperatureYellow);
    const PixelBounds smallerTemperature = BoundsOfShade(smaller, TemperatureYellow);
    ASSERT_GT(largeTemperature.Count, 0);
    EXPECT_EQ(largeTemperature.Top - smallerTemperature.Top, 10);
    EXPECT_LE(largeTemperature.Bottom, Centre.y() + 60);
    EXPECT_GT(largeTemperature.Bottom, Centre.y() + 40);
}

TEST_F(CityOverlayTest, TheIconIsTheDayOrNightFormBySunAtTheCity) {
    WriteIcon("Clear.png", QSize(20, 20), DayRed);
    WriteIcon("Night Clear.png", QSize(20, 20), NightBlue);
    const City greenwich = MakeCity("Greenwich", 0.0F, 0.0F, EnumWeatherCode::Clear, 23.0F);
    const City dateLine = MakeCity("Date Line", 0.0F, 180.0F, EnumWeatherCode::Clear, 23.0F);
    const DateTime noon(2024, 3, 20, 12, 0, 0);
    const DateTime midnight(2024, 3, 20, 0, 0, 0);
    EXPECT_EQ(DrawItem(greenwich, false, false, true, Centre, noon).pixel(Centre), DayRed);
    EXPECT_EQ(DrawItem(greenwich, false, false, true, Centre, midnight).pixel(Centre), NightBlue);
    EXPECT_EQ(DrawItem(dateLine, false, false, true, Centre, noon).pixel(Centre), NightBlue);
}

TEST_F(CityOverlayTest, NamesLieUnderTheIconsAndTemperaturesOnTopOfThem) {
    WriteIcon("Clear.png", QSize(60, 60), DayRed);
    options_.Cities->push_back(MakeCity("Paris", 0.0F, 0.0F, EnumWeatherCode::Clear, 23.0F));
    options_.FontCityName = FontValue{"Arial", 24.0, 0};
    options_.DisplayCityTemprature = false;
    QImage image = DrawAllCities();
    const QRect icon(Centre.x() - 30, Centre.y() - 30, 60, 60);
    // The name starts a quarter of the icon below the city, inside the icon's lower half.
    const PixelBounds name = BoundsOfShade(image, NameGreen);
    ASSERT_GT(name.Count, 0);
    EXPECT_GT(name.Bottom, icon.bottom());
    EXPECT_EQ(BoundsOfShade(image.copy(icon), NameGreen).Count, 0);

    options_.DispalyCityName = false;
    options_.DisplayCityTemprature = true;
    image = DrawAllCities();
    EXPECT_GT(BoundsOfShade(image.copy(icon), TemperatureYellow).Count, 0);
}

TEST_F(CityOverlayTest, FavouritesAreDrawnInListOrderAndTheHomeCityLast) {
    WriteIcon("Clear.png", QSize(20, 20), DayRed);
    WriteIcon("Fog.png", QSize(20, 20), NightBlue);
    WriteIcon("Cloudy.png", QSize(20, 20), HomeWhite);
    options_.Cities->push_back(MakeCity("First", 0.0F, 0.0F, EnumWeatherCode::Clear, 1.0F));
    options_.Cities->push_back(MakeCity("Second", 0.0F, 0.0F, EnumWeatherCode::Fog, 2.0F));
    EXPECT_EQ(DrawAllCities().pixel(Centre), NightBlue);
    options_.HomeCity = new City(MakeCity("Home", 0.0F, 0.0F, EnumWeatherCode::Cloudy, 3.0F));
    EXPECT_EQ(DrawAllCities().pixel(Centre), HomeWhite);
}

TEST_F(CityOverlayTest, CitiesArePlacedOnTheMapOfTheRegion) {
    WriteIcon("Clear.png", QSize(10, 10), DayRed);
    options_.DispalyCityName = false;
    options_.DisplayCityTemprature = false;
    options_.HomeCity = new City(MakeCity("Home", 45.0F, 30.0F, EnumWeatherCode::Clear, 3.0F));
    const PixelBounds icon = BoundsOfShade(DrawAllCities(), DayRed);
    EXPECT_EQ(QRect(QPoint(icon.Left, icon.Top), QPoint(icon.Right, icon.Bottom)),
              QRect(420 - 5, 90 - 5, 10, 10));
}

TEST_F(CityOverlayTest, SwitchedOffTextsAreNotDrawnByAnyPass) {
    options_.Cities->push_back(MakeCity("Paris", 0.0F, 0.0F, Nullable<EnumWeatherCode>(), 23.0F));
    options_.DispalyCityName = false;
    EXPECT_EQ(BoundsOfShade(DrawAllCities(), NameGreen).Count, 0);
    EXPECT_GT(BoundsOfShade(DrawAllCities(), TemperatureYellow).Count, 0);
    options_.DispalyCityName = true;
    options_.DisplayCityTemprature = false;
    EXPECT_GT(BoundsOfShade(DrawAllCities(), NameGreen).Count, 0);
    EXPECT_EQ(BoundsOfShade(DrawAllCities(), TemperatureYellow).Count, 0);
}

TEST_F(CityOverlayTest, NoCityListAndNoHomeCityDrawNothing) {
    options_.Cities = nullptr;
    options_.HomeCity = nullptr;
    EXPECT_EQ(DrawAllCities(), BlankPicture());
}

TEST_F(CityOverlayTest, LabelsCarryADarkShadowOnePixelDownAndRight) {
    options_.DisplayCityTemprature = false;
    const City city = MakeCity("Paris", 0.0F, 0.0F, Nullable<EnumWeatherCode>(), 23.0F);
    QImage image(720, 360, QImage::Format_RGB32);
    image.fill(0xFFFFFFFF);
    {
        QPainter painter(&image);
        Graphics::PreparePainter(painter);
        DrawCityItem(painter, options_, Pictures(), city, true, false, false, Centre, now_);
    }
    const PixelBounds name = BoundsOfShade(image, NameGreen);
    PixelBounds dark;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (qRed(pixel) < 128 && qGreen(pixel) < 128 && qBlue(pixel) < 128) {
                dark.Right = std::max(dark.Right, x);
                dark.Bottom = std::max(dark.Bottom, y);
                ++dark.Count;
            }
        }
    }
    ASSERT_GT(dark.Count, 0);
    EXPECT_GE(dark.Right, name.Right);
    EXPECT_LE(dark.Right, name.Right + 2);
    EXPECT_GE(dark.Bottom, name.Bottom);
    EXPECT_LE(dark.Bottom, name.Bottom + 2);
}

TEST(LayoutTimeZoneBlocksTest, FiveZonesOf170On800MakeABalancedGridOfThreeAndTwo) {
    const std::vector<QSize> sizes(5, QSize(170, 30));
    const std::vector<QRect> boxes = LayoutTimeZoneBlocks(sizes, QRect(0, 0, 800, 600));
    // Columns start at (800 - 190 * 3 + 20) / 2 = 125 and are 190 apart; rows 50 apart.
    const std::vector<QRect> expected{QRect(75, 5, 270, 1000), QRect(265, 5, 270, 1000),
                                      QRect(455, 5, 270, 1000), QRect(75, 55, 270, 1000),
                                      QRect(265, 55, 270, 1000)};
    EXPECT_EQ(boxes, expected);
}

TEST(LayoutTimeZoneBlocksTest, TheGridFollowsTheWorkAreasCornerAndTheTallestBlock) {
    const std::vector<QSize> sizes{QSize(170, 30), QSize(120, 44), QSize(170, 30), QSize(100, 20),
                                   QSize(170, 30)};
    const std::vector<QRect> boxes = LayoutTimeZoneBlocks(sizes, QRect(200, 40, 800, 600));
    ASSERT_EQ(boxes.size(), 5U);
    EXPECT_EQ(boxes[0], QRect(275, 45, 270, 1000));
    EXPECT_EQ(boxes[2], QRect(655, 45, 270, 1000));
    EXPECT_EQ(boxes[4], QRect(465, 109, 270, 1000));
}

TEST(LayoutTimeZoneBlocksTest, ZonesWiderThanTheWorkAreaGetItsWidthButAreCentredByTheWidest) {
    const std::vector<QRect> boxes =
        LayoutTimeZoneBlocks({QSize(900, 30), QSize(500, 40)}, QRect(0, 0, 800, 600));
    // cell = 800, one column; offset (800 - 920 + 20) / 2 = -50.
    EXPECT_EQ(boxes, (std::vector<QRect>{QRect(-100, 5, 900, 1000), QRect(-100, 65, 900, 1000)}));
}

TEST(LayoutTimeZoneBlocksTest, ZonesThatFitFormOneCentredRowOfTheirOwnWidths) {
    const std::vector<QSize> sizes{QSize(100, 30), QSize(150, 30), QSize(200, 30)};
    // total = 450 + 40 = 490, so the row starts at (800 - 490) / 2 = 155.
    const std::vector<QRect> expected{QRect(105, 15, 200, 1000), QRect(225, 15, 250, 1000),
                                      QRect(395, 15, 300, 1000)};
    EXPECT_EQ(LayoutTimeZoneBlocks(sizes, QRect(0, 10, 800, 600)), expected);
}

TEST(LayoutTimeZoneBlocksTest, ASingleZoneWiderThanTheWorkAreaOverhangsBothSides) {
    const std::vector<QRect> boxes =
        LayoutTimeZoneBlocks({QSize(1000, 30)}, QRect(100, 0, 800, 600));
    EXPECT_EQ(boxes, std::vector<QRect>{QRect(-50, 5, 1100, 1000)});
}

TEST(LayoutTimeZoneBlocksTest, CentringTruncatesTowardZero) {
    // (800 - 801) / 2 is 0, not -1.
    EXPECT_EQ(LayoutTimeZoneBlocks({QSize(801, 30)}, QRect(0, 0, 800, 600)),
              std::vector<QRect>{QRect(-50, 5, 901, 1000)});
}

TEST(LayoutTimeZoneBlocksTest, BlocksNarrowerThanTenPixelsUseCellsOfTen) {
    const std::vector<QSize> sizes(8, QSize(5, 12));
    // total = 40 + 140 > 100; columns (100 + 20) / 30 = 4, two rows of four.
    const std::vector<QRect> boxes = LayoutTimeZoneBlocks(sizes, QRect(0, 0, 100, 600));
    ASSERT_EQ(boxes.size(), 8U);
    // Offset (100 - 25 * 4 + 20) / 2 = 10.
    EXPECT_EQ(boxes[0], QRect(10 - 50, 5, 110, 1000));
    EXPECT_EQ(boxes[3], QRect(100 - 50, 5, 110, 1000));
    EXPECT_EQ(boxes[4], QRect(10 - 50, 37, 110, 1000));
}

TEST(LayoutTimeZoneBlocksTest, AWorkAreaWithoutWidthStillHasOneColumn) {
    const std::vector<QRect> boxes =
        LayoutTimeZoneBlocks({QSize(50, 10), QSize(50, 10)}, QRect(0, 0, 0, 0));
    // Offset (0 - 70 * 1 + 20) / 2 = -25; cell = min(0, 50) = 0.
    EXPECT_EQ(boxes, (std::vector<QRect>{QRect(-75, 5, 100, 1000), QRect(-75, 35, 100, 1000)}));
}

TEST(LayoutTimeZoneBlocksTest, NoSizesGiveNoBoxes) {
    EXPECT_TRUE(LayoutTimeZoneBlocks({}, QRect(0, 0, 800, 600)).empty());
}

class TimeZonesOnMapTest : public ::testing::Test {
protected:
    TimeZonesOnMapTest() : options_(OptionsIn(folder_)) {
        options_.TimeZones = new std::vector<TimeZoneItem>();
        options_.FontTzMap = FontValue{"Times New Roman", 16.0, 0};
        options_.ColorTzMap = Color{ClockRed};
        options_.TzShowDayOfWeek = true;
        options_.TzShowDate = false;
        options_.TzHourFormat = 1;
    }

    void AddZone(const std::string& label, const std::string& ianaId = "UTC") {
        TimeZoneItem zone;
        zone.Label = label;
        zone.Info.Id = "UTC";
        zone.Info.IanaId = ianaId;
        zone.TextWidth = 9999;
        zone.TextHeight = 9999;
        options_.TimeZones->push_back(zone);
    }

    QImage Draw(const DateTime& utcNow) {
        QImage image = BlankPicture(800, 400);
        QPainter painter(&image);
        Graphics::PreparePainter(painter);
        DrawTimeZonesOnMap(painter, options_, workArea_, utcNow);
        return image;
    }

    TestSupport::TempFolder folder_;
    COptions options_;
    QRect workArea_{0, 30, 800, 370};
    DateTime now_ = DateTime(2008, 9, 25, 10, 55, 0);
};

TEST_F(TimeZonesOnMapTest, AnEmptyOrMissingListDrawsNothing) {
    EXPECT_EQ(Draw(now_), BlankPicture(800, 400));
    options_.TimeZones = nullptr;
    EXPECT_EQ(Draw(now_), BlankPicture(800, 400));
}

// The options make their clocks only when they are first drawn: the default
// clocks, and those of "TimeZones.txt" as the file was when the options were
// loaded, are drawn as if they had been made at once.
TEST_F(TimeZonesOnMapTest, ClocksMadeOnFirstUseAreDrawnAsThoseMadeAtOnce) {
    const std::string lines =
        "Home;eastern standard time\r\nNowhere;Atlantis\r\nTokyo;Tokyo Standard Time\r\n";
    const auto drawn = [&](COptions& options) {
        options.TzShowDate = true;
        QImage image = BlankPicture(800, 400);
        QPainter painter(&image);
        Graphics::PreparePainter(painter);
        DrawTimeZonesOnMap(painter, options, workArea_, now_);
        return image;
    };
    COptions defaults = OptionsIn(folder_);
    COptions madeAtOnce = OptionsIn(folder_);
    madeAtOnce.TimeZones = new std::vector<TimeZoneItem>(DefaultTimeZoneItems());
    const QImage defaultClocks = drawn(madeAtOnce);
    EXPECT_EQ(drawn(defaults), defaultClocks);

    TestSupport::WriteWholeFile(folder_.Folder() + "TimeZones.txt", lines);
    COptions loaded = OptionsIn(folder_);
    loaded.Load();
    COptions copy(loaded);
    TestSupport::WriteWholeFile(folder_.Folder() + "TimeZones.txt", "Later;UTC\r\n");
    madeAtOnce.TimeZones = new std::vector<TimeZoneItem>(ParseTimeZoneItems(lines));
    const QImage fileClocks = drawn(madeAtOnce);
    EXPECT_NE(fileClocks, defaultClocks);
    EXPECT_EQ(drawn(loaded), fileClocks);
    EXPECT_EQ(drawn(copy), fileClocks);
}

TEST_F(TimeZonesOnMapTest, TheMeasuredBlockSizesAreWrittenIntoTheZones) {
    AddZone("A");
    AddZone("B");
    AddZone("A label far longer than any clock text");
    Draw(now_);
    const std::vector<TimeZoneItem>& zones = *options_.TimeZones;
    const QImage device = BlankPicture(8, 8);
    const QFontMetricsF metrics(Graphics::ToQFont(options_.FontTzMap), &device);
    // The block of a short label is as wide as the clock text, and two lines high.
    EXPECT_GT(zones[0].TextWidth, 0);
    EXPECT_LT(zones[0].TextWidth, 9999);
    EXPECT_EQ(zones[0].TextWidth, zones[1].TextWidth);
    EXPECT_GT(zones[2].TextWidth, zones[0].TextWidth);
    EXPECT_EQ(zones[0].TextHeight, zones[2].TextHeight);
    EXPECT_GE(zones[0].TextHeight, static_cast<int>(2 * metrics.height()) - 1);
    EXPECT_LT(zones[0].TextHeight, static_cast<int>(3 * metrics.height()));
}

TEST_F(TimeZonesOnMapTest, TheSampleTimeAndNotTheClockSetsTheWidth) {
    AddZone("A");
    Draw(DateTime(2024, 1, 1, 1, 11, 0));
    const int earlyWidth = options_.TimeZones->front().TextWidth;
    Draw(DateTime(2024, 1, 1, 22, 58, 0));
    EXPECT_EQ(options_.TimeZones->front().TextWidth, earlyWidth);
    options_.TzShowDate = true;
    Draw(now_);
    EXPECT_GT(options_.TimeZones->front().TextWidth, earlyWidth);
}

TEST_F(TimeZonesOnMapTest, ClocksAreDrawnInsideTheirBlocksBelowTheWorkAreaTop) {
    AddZone("London");
    AddZone("Lisbon");
    const QImage image = Draw(now_);
    std::vector<QSize> sizes;
    for (const TimeZoneItem& zone : *options_.TimeZones) {
        sizes.emplace_back(zone.TextWidth, zone.TextHeight);
    }
    const std::vector<QRect> boxes = LayoutTimeZoneBlocks(sizes, workArea_);
    const PixelBounds text = BoundsOfShade(image, ClockRed);
    ASSERT_GT(text.Count, 0);
    EXPECT_GE(text.Top, workArea_.top() + 5);
    EXPECT_LE(text.Bottom, workArea_.top() + 5 + sizes[0].height());
    // Each block is centred in a box 100 wider than itself.
    EXPECT_GE(text.Left, boxes[0].left() + 50);
    EXPECT_LE(text.Right, boxes[1].right() - 50 + 1);
    EXPECT_NEAR(text.CentreX(), workArea_.center().x(), 4.0);
}

TEST_F(TimeZonesOnMapTest, TheClocksShowTheTimeOfTheInstant) {
    AddZone("London");
    const QImage first = Draw(now_);
    EXPECT_EQ(Draw(now_), first);
    EXPECT_NE(Draw(now_ + TimeSpan(TimeSpan::TicksPerMinute)), first);
}

TEST_F(TimeZonesOnMapTest, AZoneThatCannotConvertStillShowsItsBlock) {
    AddZone("Nowhere", "No/Such_Zone");
    const QImage image = Draw(now_);
    EXPECT_GT(BoundsOfShade(image, ClockRed).Count, 0);
    EXPECT_GT(options_.TimeZones->front().TextWidth, 0);
}

}  // namespace
