#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <cstdlib>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "core/AppKind.h"
#include "core/DateTime.h"
#include "data/Options.h"
#include "data/Regions.h"
#include "render/CloudLayer.h"
#include "render/EarthRenderer.h"
#include "render/Graphics.h"
#include "render/NightMask.h"
#include "render/Screen.h"
#include "render/WeatherPictures.h"
#include "support/HostilePictures.h"
#include "support/TestPictures.h"
#include "support/TestSupport.h"
#include "weather/CurrentWeather.h"

namespace {

using TestSupport::LocationOf;
using TestSupport::TempFolder;

const DateTime Noon = DateTime(2026, 3, 20, 12, 0, 0).WithKind(DateTime::Kind::Utc);
const QRgb DayColour = qRgb(0, 0, 200);
const QRgb NightColour = qRgb(200, 200, 0);
const QRgb LogoColour = qRgb(0, 255, 0);
// At noon UTC the sun stands over Greenwich: the map's middle is day, its edges night.
const QPoint DayPoint(180, 90);
const QPoint NightPoint(2, 90);

void Save(const std::string& path, int width, int height, QRgb colour) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(colour);
    ASSERT_TRUE(image.save(QString::fromStdString(path), nullptr, 100)) << path;
}

void ExpectColourNear(QRgb actual, QRgb expected, int tolerance = 3) {
    EXPECT_NEAR(qRed(actual), qRed(expected), tolerance);
    EXPECT_NEAR(qGreen(actual), qGreen(expected), tolerance);
    EXPECT_NEAR(qBlue(actual), qBlue(expected), tolerance);
}

// An installation with a plain blue day image, a yellow night image and a green
// logo, and an empty user folder. The options show the whole Earth and nothing
// over it.
class EarthRendererTest : public ::testing::Test {
protected:
    EarthRendererTest()
        : installation_(temp_.Folder() + "install/"),
          local_(temp_.Folder() + "local/"),
          options_(EnumAppKind::Earth,
                   OptionsFiles{local_ + "Options.txt", local_ + "TimeZones.txt",
                                local_ + "Cities.txt", installation_ + "Earth/"}),
          pictures_(installation_) {
        std::filesystem::create_directories(local_);
        Save(installation_ + "Earth/Day.png", 360, 180, DayColour);
        Save(installation_ + "EarthNight/Night.jpg", 360, 180, NightColour);
        Save(installation_ + "UI/CustomLogo.png", 12, 8, LogoColour);
        options_.Background = {"Day.png", installation_ + "Earth/Day.png"};
        options_.Region = *Regions::Find("Earth (Complete)");
        options_.ShowClouds = false;
        options_.ShowWeather = false;
        options_.ShowTimeZonesOnWallpaper = false;
        options_.ShowTimeZonesOnScreenSaver = false;
    }

    EarthRenderer MakeRenderer(EnumAppMode mode = EnumAppMode::Desktop) {
        EarthRenderer renderer(RenderFolders{installation_, local_}, mode, pictures_);
        renderer.LoadStartupPictures();
        return renderer;
    }

    QImage Draw(EarthRenderer& renderer, const QRect& overlay = QRect(0, 0, 360, 180)) {
        QImage canvas(360, 180, QImage::Format_RGB32);
        canvas.fill(Qt::black);
        QPainter painter(&canvas);
        renderer.DrawEarth(painter, options_, canvas.rect(), overlay, Noon);
        return canvas;
    }

    void SaveClouds(int alpha) {
        Save(local_ + "Clouds.png", 360, 180, qRgba(255, 255, 255, alpha));
    }

    TempFolder temp_;
    std::string installation_;
    std::string local_;
    COptions options_;
    WeatherPictures pictures_;
};

// A single picture lays clouds and night into the day image at its own size and
// scales once; the running program scales each layer onto the picture. The two
// must look alike on the shipped maps.
TEST(EarthRendererSinglePictureTest, LayersLaidAtTheirOwnSizeLookLikeLayersDrawnOneByOne) {
    const TempFolder local;
    const std::string installation = SKYVANE_ASSETS_DIR;
    COptions options(EnumAppKind::Earth,
                     OptionsFiles{local.Folder() + "Options.txt", local.Folder() + "TimeZones.txt",
                                  local.Folder() + "Cities.txt", installation + "Earth/"});
    options.ShowWeather = false;
    options.ShowTimeZonesOnWallpaper = false;
    WeatherPictures pictures(installation);
    std::vector<QImage> composed;
    for (const bool single : {true, false}) {
        EarthRenderer renderer(RenderFolders{installation, local.Folder()}, EnumAppMode::Desktop,
                               pictures);
        renderer.SetSinglePicture(single);
        if (single) {
            renderer.PrepareNightLayer(Noon);
            renderer.PrepareCloudLayer();
        }
        renderer.LoadStartupPictures();
        composed.push_back(renderer.ComposeEarth(options, Screen::OfSize(640, 360), Noon));
    }
    ASSERT_EQ(composed[0].size(), composed[1].size());
    long long difference = 0;
    for (int y = 0; y < 360; ++y) {
        for (int x = 0; x < 640; ++x) {
            const QRgb a = composed[0].pixel(x, y);
            const QRgb b = composed[1].pixel(x, y);
            difference += std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
                          std::abs(qBlue(a) - qBlue(b));
        }
    }
    // Under one step of a channel on average: rounding, not a different picture.
    EXPECT_LT(static_cast<double>(difference) / (640.0 * 360.0 * 3.0), 1.0);
}

TEST_F(EarthRendererTest, CloudsAreDrawnOnlyWithShowCloudsAndUnderTheNight) {
    SaveClouds(128);
    EarthRenderer renderer = MakeRenderer();
    const QImage clear = Draw(renderer);
    ExpectColourNear(clear.pixel(DayPoint), DayColour);
    ExpectColourNear(clear.pixel(NightPoint), NightColour);

    options_.ShowClouds = true;
    const QImage cloudy = Draw(renderer);
    ExpectColourNear(cloudy.pixel(DayPoint), qRgb(128, 128, 228));
    ExpectColourNear(cloudy.pixel(NightPoint), NightColour);
}

TEST_F(EarthRendererTest, ACloudLayerThatCannotBeMadeIsLeftOutOnceWithItsReason) {
    TestSupport::WriteWholeFile(installation_ + "UI/Clouds-Fallback.jpg", "not a picture");
    EarthRenderer renderer = MakeRenderer();
    const QImage clear = Draw(renderer);
    EXPECT_TRUE(renderer.Problems().empty());
    options_.ShowClouds = true;
    // The first frame reads the day image meanwhile; later frames do not try again.
    EarthRenderer firstFrame = MakeRenderer();
    EXPECT_EQ(Draw(firstFrame), clear);
    EXPECT_EQ(Draw(firstFrame), clear);
    ASSERT_EQ(firstFrame.Problems().size(), 1U);
    EXPECT_EQ(firstFrame.Problems()[0].rfind(
                  "drawn without clouds: DownloadCloudsWork::GenClouds (122): \"" + installation_ +
                      "UI/Clouds-Fallback.jpg\" ",
                  0),
              0U)
        << firstFrame.Problems()[0];
    // The accessor itself still reports the failure; a new layer is drawn again.
    EXPECT_EQ(LocationOf([&] { firstFrame.CloudLayer(); }), "DownloadCloudsWork::GenClouds (122)");
    QImage overcast(360, 180, QImage::Format_ARGB32);
    overcast.fill(qRgba(255, 255, 255, 255));
    firstFrame.ReplaceCloudLayer(overcast);
    EXPECT_EQ(Draw(firstFrame).pixel(DayPoint), qRgb(255, 255, 255));
}

struct NightFileCase {
    const char* Name;
    std::string Content;
    const char* Reason;
};

void PrintTo(const NightFileCase& night, std::ostream* stream) {
    *stream << night.Name;
}

class EarthRendererNightFileTest : public EarthRendererTest,
                                   public ::testing::WithParamInterface<NightFileCase> {};

// A night picture that cannot be used leaves the whole map in daylight, in a
// running program and in a single picture alike; a lying header is refused
// before the mask or the pixels are sized from it.
TEST_P(EarthRendererNightFileTest, AnUnusableNightPictureLeavesTheNightSideOutWithItsReason) {
    const std::string night = installation_ + "EarthNight/Night.jpg";
    std::filesystem::remove(night);
    if (!GetParam().Content.empty()) {
        TestSupport::WriteWholeFile(night, GetParam().Content);
    }
    const std::string expected =
        "drawn without the night side: \"" + night + "\" " + GetParam().Reason;
    for (const bool single : {false, true}) {
        EarthRenderer renderer(RenderFolders{installation_, local_}, EnumAppMode::Desktop,
                               pictures_);
        renderer.SetSinglePicture(single);
        if (single) {
            renderer.PrepareNightLayer(Noon);
        }
        renderer.LoadStartupPictures();
        const QImage picture = renderer.ComposeEarth(options_, Screen::OfSize(200, 100), Noon);
        ASSERT_EQ(picture.size(), QSize(200, 100)) << single;
        ExpectColourNear(picture.pixel(1, 50), DayColour);
        ExpectColourNear(picture.pixel(100, 50), DayColour);
        ASSERT_EQ(renderer.Problems().size(), 1U) << single;
        EXPECT_EQ(renderer.Problems()[0].rfind(expected, 0), 0U) << renderer.Problems()[0];
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, EarthRendererNightFileTest,
    ::testing::Values(NightFileCase{"LyingHeader", TestSupport::LyingJpeg(65000),
                                    "claims 65000 x 65000 pixels, more than 21600 x 10800"},
                      NightFileCase{"Damaged", "\xFF\xD8\xFF garbage", "gives no picture size"},
                      NightFileCase{"Missing", "", "cannot be opened"}));

TEST_F(EarthRendererTest, NightLayerIsMadeOnDemandWithItsMask) {
    EarthRenderer renderer = MakeRenderer();
    ASSERT_TRUE(renderer.NightLayer().isNull());
    ASSERT_TRUE(renderer.NightMask().empty());
    const QImage picture = Draw(renderer);
    EXPECT_EQ(renderer.NightMask(), BuildNightMask(360, 180, Noon));
    const QImage night =
        Graphics::LoadPicture(installation_ + "EarthNight/Night.jpg", Graphics::WorldPicture);
    EXPECT_EQ(renderer.NightLayer(), MakeNightLayer(night, renderer.NightMask(), Noon));
    ExpectColourNear(picture.pixel(NightPoint), NightColour);
}

TEST_F(EarthRendererTest, MaskIsRebuiltForAnotherDateOnly) {
    EarthRenderer renderer = MakeRenderer();
    const QImage night =
        Graphics::LoadPicture(installation_ + "EarthNight/Night.jpg", Graphics::WorldPicture);
    renderer.BuildNightMask(Noon);
    const DateTime evening = Noon + TimeSpan(TimeSpan::TicksPerHour * 7);
    renderer.UpdateNightLayer(evening);
    EXPECT_EQ(renderer.NightMask(), BuildNightMask(360, 180, Noon));
    EXPECT_EQ(renderer.NightLayer(),
              MakeNightLayer(night, BuildNightMask(360, 180, Noon), evening));

    const DateTime summer = DateTime(2026, 6, 21, 3, 0, 0).WithKind(DateTime::Kind::Utc);
    renderer.UpdateNightLayer(summer);
    EXPECT_EQ(renderer.NightMask(), BuildNightMask(360, 180, summer));
    EXPECT_EQ(renderer.NightLayer(), MakeNightLayer(night, renderer.NightMask(), summer));
}

// Between refreshes the resident program keeps none of the pictures: each is made
// again, the same, for the next frame.
TEST_F(EarthRendererTest, ReleasedPicturesAreMadeAgainTheSameForTheNextFrame) {
    SaveClouds(90);
    options_.ShowClouds = true;
    EarthRenderer renderer = MakeRenderer();
    const QImage first = Draw(renderer);
    ASSERT_EQ(Draw(renderer), first);
    renderer.ReleasePictures();
    EXPECT_TRUE(renderer.NightLayer().isNull());
    EXPECT_EQ(Draw(renderer), first);
    EXPECT_FALSE(renderer.NightLayer().isNull());
}

TEST_F(EarthRendererTest, LogoSitsUnscaledInTheOverlayCornerAndAMissingLogoDrawsNothing) {
    const QRect overlay(20, 10, 200, 120);
    EarthRenderer renderer = MakeRenderer();
    const QImage withLogo = Draw(renderer, overlay);
    std::filesystem::remove(installation_ + "UI/CustomLogo.png");
    EarthRenderer withoutLogoRenderer = MakeRenderer();
    const QImage withoutLogo = Draw(withoutLogoRenderer, overlay);

    const QRect logo(220 - 12, 130 - 8, 12, 8);
    for (int y = 0; y < 180; ++y) {
        for (int x = 0; x < 360; ++x) {
            if (logo.contains(x, y)) {
                ASSERT_EQ(withLogo.pixel(x, y), LogoColour) << x << "," << y;
            } else {
                ASSERT_EQ(withLogo.pixel(x, y), withoutLogo.pixel(x, y)) << x << "," << y;
            }
        }
    }
}

TEST_F(EarthRendererTest, ComposedPictureHasTheScreenSizeAndItsWorkAreaForTheOverlay) {
    Screen screen;
    screen.Bounds = {100, 50, 420, 250};
    screen.WorkArea = {100, 80, 400, 250};
    EarthRenderer renderer = MakeRenderer();
    const QImage picture = renderer.ComposeEarth(options_, screen, Noon);
    ASSERT_EQ(picture.size(), QSize(320, 200));
    EXPECT_FALSE(picture.hasAlphaChannel());
    EXPECT_EQ(picture.pixel(299, 199), LogoColour);
    EXPECT_EQ(picture.pixel(288, 192), LogoColour);
    EXPECT_NE(picture.pixel(300, 199), LogoColour);
    EXPECT_NE(picture.pixel(287, 199), LogoColour);

    EarthRenderer another = MakeRenderer();
    QImage expected(320, 200, QImage::Format_RGB32);
    expected.fill(Qt::black);
    QPainter painter(&expected);
    another.DrawEarth(painter, options_, expected.rect(), QRect(0, 30, 300, 170), Noon);
    painter.end();
    EXPECT_EQ(picture, expected);
}

// A screen at 200 %: the picture has its device pixels, the map drawn at them and the
// overlays at twice their size; a window there draws the same, frame after frame.
TEST_F(EarthRendererTest, AScaledScreenGetsTheMapAtItsDevicePixelsAndTheOverlaysAtItsScale) {
    // A map of fine detail, which a picture scaled up from half the pixels would blur.
    ASSERT_TRUE(TestSupport::NoisePicture(720, 360).save(
        QString::fromStdString(installation_ + "Earth/Day.png")));
    Screen screen = Screen::OfSize(180, 90);
    screen.Ratio = 2;
    EarthRenderer renderer = MakeRenderer();
    const QImage picture = renderer.ComposeEarth(options_, screen, Noon);
    ASSERT_EQ(picture.size(), QSize(360, 180));
    const QRect logo(360 - 24, 180 - 16, 24, 16);
    EarthRenderer unscaled = MakeRenderer();
    const QImage atDevicePixels = Draw(unscaled);
    for (int y = 0; y < 180; ++y) {
        for (int x = 0; x < 360; ++x) {
            ASSERT_EQ(picture.pixel(x, y),
                      logo.contains(x, y) ? LogoColour : atDevicePixels.pixel(x, y))
                << x << "," << y;
        }
    }

    EarthRenderer windowRenderer = MakeRenderer();
    for (int frame = 0; frame < 3; ++frame) {
        QImage window(360, 180, QImage::Format_RGB32);
        window.setDevicePixelRatio(2);
        window.fill(Qt::black);
        QPainter painter(&window);
        windowRenderer.DrawEarth(painter, options_, QRect(0, 0, 180, 90), QRect(0, 0, 180, 90),
                                 Noon);
        painter.end();
        window.setDevicePixelRatio(1);
        EXPECT_EQ(window, picture) << "frame " << frame;
    }
}

// A refresh that keeps nothing draws every screen's picture from one set of layers,
// each at its own size with its own logo, and lets every picture go afterwards.
TEST_F(EarthRendererTest, EachScreenGetsItsPictureFromOneSetOfLayersThatIsThenLetGo) {
    EarthRenderer renderer = MakeRenderer();
    renderer.BuildNightMask(Noon);
    std::vector<QImage> pictures;
    renderer.ComposeEarthEach(options_, {Screen::OfSize(360, 180), Screen::OfSize(180, 90)}, Noon,
                              [&](QImage picture) { pictures.push_back(std::move(picture)); });
    ASSERT_EQ(pictures.size(), 2U);
    EXPECT_EQ(pictures[0].size(), QSize(360, 180));
    EXPECT_EQ(pictures[1].size(), QSize(180, 90));
    EarthRenderer layered = MakeRenderer();
    const QImage expected = Draw(layered);
    for (const QPoint point : {DayPoint, NightPoint}) {
        ExpectColourNear(pictures[0].pixel(point), expected.pixel(point));
        ExpectColourNear(pictures[1].pixel(point / 2), expected.pixel(point));
    }
    EXPECT_EQ(pictures[0].pixel(359, 179), LogoColour);
    EXPECT_EQ(pictures[1].pixel(179, 89), LogoColour);
    EXPECT_TRUE(renderer.NightLayer().isNull());
}

TEST_F(EarthRendererTest, DayImageIsKeptPerPathAndLoadedAgainWhenThePathChanges) {
    EarthRenderer renderer = MakeRenderer();
    ExpectColourNear(Draw(renderer).pixel(DayPoint), DayColour);

    const QRgb red = qRgb(220, 0, 0);
    Save(installation_ + "Earth/Day.png", 360, 180, red);
    ExpectColourNear(Draw(renderer).pixel(DayPoint), DayColour);

    Save(installation_ + "Earth/Other.png", 360, 180, red);
    options_.Background = {"Other.png", installation_ + "Earth/Other.png"};
    ExpectColourNear(Draw(renderer).pixel(DayPoint), red);
}

TEST_F(EarthRendererTest, KeptDayAndCloudsDrawTheSameAsDrawingThemAnew) {
    SaveClouds(90);
    options_.ShowClouds = true;
    options_.Region = Regions::Default();
    EarthRenderer renderer = MakeRenderer();
    const QImage first = Draw(renderer);
    EXPECT_EQ(Draw(renderer), first);
    EXPECT_EQ(Draw(renderer), first);

    // A new cloud layer or a new view is never hidden by the kept picture.
    QImage overcast(360, 180, QImage::Format_ARGB32);
    overcast.fill(qRgba(255, 255, 255, 255));
    renderer.ReplaceCloudLayer(overcast);
    EXPECT_EQ(Draw(renderer).pixel(DayPoint), qRgb(255, 255, 255));
    options_.ShowClouds = false;
    ExpectColourNear(Draw(renderer).pixel(DayPoint), DayColour);
    options_.Region = *Regions::Find("Africa");
    const QImage africa = Draw(renderer);
    EarthRenderer fresh = MakeRenderer();
    EXPECT_EQ(Draw(fresh), africa);
}

TEST_F(EarthRendererTest, CloudLayerIsTheSavedPictureUnchanged) {
    QImage saved(360, 180, QImage::Format_ARGB32);
    for (int y = 0; y < 180; ++y) {
        for (int x = 0; x < 360; ++x) {
            saved.setPixel(x, y, qRgba(255, 255, 255, (x + y) % 256));
        }
    }
    ASSERT_TRUE(saved.save(QString::fromStdString(local_ + "Clouds.png")));
    EarthRenderer renderer = MakeRenderer();
    EXPECT_EQ(renderer.CloudLayer(), QImage(QString::fromStdString(local_ + "Clouds.png")));
}

TEST_F(EarthRendererTest, CloudLayerIsMadeFromTheFallbackWithoutASavedOne) {
    const std::string fallback = installation_ + "UI/Clouds-Fallback.jpg";
    std::filesystem::copy_file(SKYVANE_CLOUDS_FALLBACK_FILE, fallback);
    EarthRenderer renderer = MakeRenderer();
    const QImage& layer = renderer.CloudLayer();
    ASSERT_FALSE(layer.isNull());
    EXPECT_EQ(layer.size(), QSize(4096, 2048));
    EXPECT_EQ(layer, DownloadCloudsWork::GenClouds(fallback));
}

struct OverlayCase {
    EnumAppMode Mode;
    bool ShowWeather;
    bool OnWallpaper;
    bool OnScreenSaver;
    bool Drawn;
};

void PrintTo(const OverlayCase& overlay, std::ostream* stream) {
    *stream << "mode " << static_cast<int>(overlay.Mode) << (overlay.ShowWeather ? " weather" : "")
            << (overlay.OnWallpaper ? " wallpaper" : "")
            << (overlay.OnScreenSaver ? " screen saver" : "");
}

class EarthRendererOverlayTest : public EarthRendererTest,
                                 public ::testing::WithParamInterface<OverlayCase> {};

TEST_P(EarthRendererOverlayTest, CitiesWithShowWeatherAndClocksByTheMode) {
    CCurrentWeather weather;
    weather.ReportDateTime = Noon - TimeSpan(TimeSpan::TicksPerHour);
    weather.Temprature = 21.0F;
    for (City& city : *options_.Cities) {
        city.CurrentWeather = weather;
    }
    EarthRenderer renderer = MakeRenderer(GetParam().Mode);
    const QImage plain = Draw(renderer);
    options_.ShowWeather = GetParam().ShowWeather;
    options_.ShowTimeZonesOnWallpaper = GetParam().OnWallpaper;
    options_.ShowTimeZonesOnScreenSaver = GetParam().OnScreenSaver;
    EXPECT_EQ(Draw(renderer) != plain, GetParam().Drawn);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, EarthRendererOverlayTest,
    ::testing::Values(OverlayCase{EnumAppMode::Desktop, true, false, false, true},
                      OverlayCase{EnumAppMode::Desktop, false, true, false, true},
                      OverlayCase{EnumAppMode::Desktop, false, false, true, false},
                      OverlayCase{EnumAppMode::ScreenSaver, false, true, false, false},
                      OverlayCase{EnumAppMode::ScreenSaver, false, false, true, true},
                      OverlayCase{EnumAppMode::Preview, false, false, true, true},
                      OverlayCase{EnumAppMode::Configure, false, true, true, false}));

}  // namespace

struct RefusedFileCase {
    const char* Name;
    Graphics::PictureBounds Bounds;
    const char* Reason;
};

void PrintTo(const RefusedFileCase& refused, std::ostream* stream) {
    *stream << refused.Name;
}

class PictureFileRefusalTest : public ::testing::TestWithParam<RefusedFileCase> {
protected:
    void SetUp() override {
        const std::string name = GetParam().Name;
        if (name == "Folder") {
            std::filesystem::create_directory(path_);
        } else if (name == "Pipe") {
            ASSERT_EQ(mkfifo(path_.c_str(), 0600), 0);
        } else if (name == "LargerThan64MiB") {
            // A valid picture at the start; the rest is a hole, never written.
            TestSupport::WriteWholeFile(path_, TestSupport::LyingJpeg(16));
            std::filesystem::resize_file(path_, Graphics::MaximumPictureFileBytes + 1);
        } else if (name == "IconClaimingScreenSize") {
            TestSupport::WriteWholeFile(path_, TestSupport::LyingJpeg(1025));
        } else {
            TestSupport::WriteWholeFile(path_, TestSupport::LyingJpeg(65000));
        }
    }

    TestSupport::TempFolder folder_;
    std::string path_ = folder_.Folder() + "picture.jpg";
};

// Nothing is decoded, and nothing waits for a writer, before a file has passed.
TEST_P(PictureFileRefusalTest, IsRefusedBeforeItsPixelsAreReadWithTheReason) {
    Graphics::PictureFile file(path_, GetParam().Bounds);
    EXPECT_FALSE(file.Size().isValid());
    EXPECT_TRUE(file.Read().isNull());
    EXPECT_EQ(file.Problem(), "\"" + path_ + "\" " + GetParam().Reason);
    // The largest picture allowed fits Qt's own allocation limit as 32-bit pixels.
    EXPECT_GE(static_cast<qint64>(QImageReader::allocationLimit()) * 1024 * 1024,
              qint64{21600} * 10800 * 4);
}

INSTANTIATE_TEST_SUITE_P(
    Files, PictureFileRefusalTest,
    ::testing::Values(RefusedFileCase{"Folder", Graphics::WorldPicture, "is not a regular file"},
                      RefusedFileCase{"Pipe", Graphics::WorldPicture, "is not a regular file"},
                      RefusedFileCase{"LargerThan64MiB", Graphics::WorldPicture,
                                      "is larger than 64 MiB"},
                      RefusedFileCase{"WorldClaimingMore", Graphics::WorldPicture,
                                      "claims 65000 x 65000 pixels, more than 21600 x 10800"},
                      RefusedFileCase{"IconClaimingScreenSize", Graphics::IconPicture,
                                      "claims 1025 x 1025 pixels, more than 1024 x 1024"}));
