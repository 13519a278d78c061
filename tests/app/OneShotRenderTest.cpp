#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QImage>
#include <QString>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "app/OneShotRender.h"
#include "core/Exceptions.h"
#include "data/FavouriteCities.h"
#include "support/HostilePictures.h"
#include "support/LoopbackHttpServer.h"
#include "support/TestSupport.h"
#include "support/WorldForecastAnswer.h"
#include "weather/soap/NdfdTestServer.h"

namespace {

using OneShotRender::ParseArguments;

std::string MessageOf(const std::vector<std::string>& arguments) {
    try {
        ParseArguments(arguments);
    } catch (const ArgumentException& error) {
        return error.Message;
    }
    return "no exception";
}

TEST(OneShotRenderArgumentsTest, TakesTheFileSizeAndTimeInAnyOrder) {
    const auto request =
        ParseArguments({"--time", "2026-06-21T12:30:05Z", "out.PNG", "--size", "800x600"});
    EXPECT_EQ(request.File, "out.PNG");
    EXPECT_EQ(request.Width, 800);
    EXPECT_EQ(request.Height, 600);
    ASSERT_TRUE(request.Time.has_value());
    EXPECT_EQ(*request.Time, DateTime(2026, 6, 21, 12, 30, 5));
    EXPECT_EQ(request.Time->GetKind(), DateTime::Kind::Utc);
}

TEST(OneShotRenderArgumentsTest, WithoutSizeOrTimeTheScreenAndNowDecide) {
    const auto request = ParseArguments({"earth.jpg"});
    EXPECT_EQ(request.Width, 0);
    EXPECT_FALSE(request.Time.has_value());
    EXPECT_FALSE(request.Weather);
    EXPECT_TRUE(ParseArguments({"--weather", "earth.jpg"}).Weather);
}

TEST(OneShotRenderArgumentsTest, RefusesWhatItCannotHonour) {
    EXPECT_NE(MessageOf({}).find("needs the file"), std::string::npos);
    EXPECT_NE(MessageOf({"earth.gif"}).find(".png, .jpg or .bmp"), std::string::npos);
    EXPECT_NE(MessageOf({"earth"}).find(".png, .jpg or .bmp"), std::string::npos);
    EXPECT_NE(MessageOf({"dir.png/earth"}).find(".png, .jpg or .bmp"), std::string::npos);
    EXPECT_NE(MessageOf({"a.png", "b.png"}).find("unexpected argument \"b.png\""),
              std::string::npos);
    EXPECT_NE(MessageOf({"a.png", "--verbose"}).find("unexpected"), std::string::npos);
    EXPECT_NE(MessageOf({"a.png", "--size"}).find("needs a value"), std::string::npos);
    for (const char* size :
         {"800", "800x", "x600", "0x600", "800x0", "-8x6", "99999x10", "8x6x2"}) {
        EXPECT_NE(MessageOf({"a.png", "--size", size}).find("--size"), std::string::npos) << size;
    }
    for (const char* time : {"2026-06-21 12:30:05Z", "2026-06-21T12:30:05", "2026-02-30T00:00:00Z",
                             "2026-06-21T24:00:00Z", "2026-6-21T12:30:05Z", "now"}) {
        EXPECT_NE(MessageOf({"a.png", "--time", time}).find("--time"), std::string::npos) << time;
    }
    EXPECT_NE(MessageOf({"a.png", "--size", "8x6", "--size", "8x6"}).find("twice"),
              std::string::npos);
}

TEST(OneShotRenderArgumentsTest, TheFormatFollowsTheExtensionInAnyCase) {
    EXPECT_EQ(OneShotRender::FormatOf("/tmp/x.JPEG"), "jpg");
    EXPECT_EQ(OneShotRender::FormatOf("a.b/earth.Bmp"), "bmp");
    EXPECT_EQ(OneShotRender::FormatOf("earth.png"), "png");
}

// The real program, started as a user would.
struct RenderRun {
    int ExitCode = -1;
    std::string Errors;
};

// `prefix` goes before the command: environment settings, for example.
RenderRun RunProgram(const std::string& name, const std::string& arguments,
                     const std::string& programFolder = SKYVANE_RUNTIME_DIR,
                     const std::string& prefix = "") {
    const TestSupport::TempFolder folder;
    const std::string errors = folder.Folder() + "stderr.txt";
    const std::string command = prefix + "'" + programFolder + "/" + name + "' --render " +
                                arguments + " 2>'" + errors + "'";
    RenderRun run;
    const int status = std::system(command.c_str());
    run.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.Errors = TestSupport::ReadWholeFile(errors);
    return run;
}

class OneShotRenderProgramTest : public ::testing::Test {
protected:
    TestSupport::TempFolder output_;
    std::string Out(const std::string& name) const { return "'" + output_.Folder() + name + "'"; }
};

TEST_F(OneShotRenderProgramTest, EachEditionWritesItsPictureInTheRequestedSizeAndFormat) {
    for (const std::string name : {"terravue", "nimbara", "meridio"}) {
        for (const std::string extension : {"png", "jpg", "bmp"}) {
            const std::string file = output_.Folder() + name + "." + extension;
            const RenderRun run =
                RunProgram(name, "'" + file + "' --size 320x200 --time 2026-06-21T12:00:00Z");
            ASSERT_EQ(run.ExitCode, 0) << name << " " << extension << ": " << run.Errors;
            QImage picture;
            ASSERT_TRUE(picture.load(QString::fromStdString(file))) << file;
            EXPECT_EQ(picture.size(), QSize(320, 200)) << file;
        }
    }
}

TEST_F(OneShotRenderProgramTest, WithoutADisplayTheDefaultSizeIsFullHd) {
    const std::string file = output_.Folder() + "earth.png";
    const RenderRun run = RunProgram("terravue", "'" + file + "' --time 2026-06-21T12:00:00Z");
    ASSERT_EQ(run.ExitCode, 0) << run.Errors;
    QImage picture;
    ASSERT_TRUE(picture.load(QString::fromStdString(file)));
    EXPECT_EQ(picture.size(), QSize(1920, 1080));
}

// The sum of the channels over 21 x 21 pixels around a place of a 620 x 340
// picture of the default view: longitudes -145..165 and latitudes 90..-80, 2
// pixels per degree.
long Brightness(const QImage& image, double longitude, double latitude) {
    const int x = static_cast<int>((longitude + 145) * 2);
    const int y = static_cast<int>((90 - latitude) * 2);
    long sum = 0;
    for (int dy = -10; dy <= 10; ++dy) {
        for (int dx = -10; dx <= 10; ++dx) {
            const QRgb pixel = image.pixel(x + dx, y + dy);
            sum += qRed(pixel) + qGreen(pixel) + qBlue(pixel);
        }
    }
    return sum;
}

TEST_F(OneShotRenderProgramTest, TheTimeDecidesWhereItIsNight) {
    // At 12:00 UTC the sun stands over Africa and it is night in Australia;
    // twelve hours later it is the other way round.
    const std::string noon = output_.Folder() + "noon.png";
    const std::string midnight = output_.Folder() + "midnight.png";
    ASSERT_EQ(RunProgram("terravue", "'" + noon + "' --size 620x340 --time 2026-06-21T12:00:00Z")
                  .ExitCode,
              0);
    ASSERT_EQ(
        RunProgram("terravue", "'" + midnight + "' --size 620x340 --time 2026-06-22T00:00:00Z")
            .ExitCode,
        0);
    QImage atNoon(QString::fromStdString(noon));
    QImage atMidnight(QString::fromStdString(midnight));
    // Land shows day and night best: the Sahara (20 E, 20 N) and central
    // Australia (135 E, 25 S), 9 hours apart.
    EXPECT_GT(Brightness(atNoon, 20, 20), 2 * Brightness(atMidnight, 20, 20));
    EXPECT_GT(Brightness(atMidnight, 135, -25), 2 * Brightness(atNoon, 135, -25));
}

// A copy of the installation whose night picture's header claims 65000 x 65000
// pixels and whose fallback clouds do not decode, with a home of its own.
TEST_F(OneShotRenderProgramTest, UnusableNightAndCloudPicturesAreLeftOutWithWarnings) {
    const TestSupport::TempFolder copy;
    const std::string bin = copy.Folder() + "bin";
    std::filesystem::create_directories(bin + "/EarthNight");
    std::filesystem::create_directories(bin + "/UI");
    for (const auto& entry : std::filesystem::directory_iterator(SKYVANE_RUNTIME_DIR)) {
        const std::string name = entry.path().filename().string();
        if (name != "EarthNight" && name != "UI") {
            std::filesystem::create_symlink(entry.path(), bin + "/" + name);
        }
    }
    TestSupport::WriteWholeFile(bin + "/EarthNight/Night.jpg", TestSupport::LyingJpeg(65000));
    TestSupport::WriteWholeFile(bin + "/UI/Clouds-Fallback.jpg", "not a picture");
    const std::string home = copy.Folder() + "home";
    const std::string environment = "HOME='" + home + "' XDG_CONFIG_HOME='" + home +
                                    "/.config' XDG_DATA_HOME='" + home + "/.local/share' ";

    const std::string file = output_.Folder() + "hostile.png";
    const std::string arguments = " --size 620x340 --time 2026-06-21T12:00:00Z";
    const RenderRun run = RunProgram("terravue", "'" + file + "'" + arguments, bin, environment);
    ASSERT_EQ(run.ExitCode, 0) << run.Errors;
    EXPECT_NE(run.Errors.find("Terravue --render: warning: drawn without the night side: \"" + bin +
                              "/EarthNight/Night.jpg\" claims 65000 x 65000 pixels"),
              std::string::npos)
        << run.Errors;
    EXPECT_NE(run.Errors.find("Terravue --render: warning: drawn without clouds: "
                              "DownloadCloudsWork::GenClouds (122)"),
              std::string::npos)
        << run.Errors;

    // At noon UTC it is night in central Australia, except on a map without night.
    const std::string reference = output_.Folder() + "reference.png";
    const RenderRun normal =
        RunProgram("terravue", "'" + reference + "'" + arguments, SKYVANE_RUNTIME_DIR, environment);
    ASSERT_EQ(normal.ExitCode, 0) << normal.Errors;
    EXPECT_EQ(normal.Errors, "");
    const QImage hostile(QString::fromStdString(file));
    ASSERT_EQ(hostile.size(), QSize(620, 340));
    EXPECT_GT(Brightness(hostile, 135, -25),
              2 * Brightness(QImage(QString::fromStdString(reference)), 135, -25));
}

TEST_F(OneShotRenderProgramTest, AFailedRenderReportsOnStderrAndLeavesTheFileAlone) {
    const std::string file = output_.Folder() + "keep.png";
    TestSupport::WriteWholeFile(file, "old picture");
    const RenderRun bad = RunProgram("terravue", "'" + file + "' --size 0x0");
    EXPECT_EQ(bad.ExitCode, 1);
    EXPECT_NE(bad.Errors.find("Terravue --render: --size"), std::string::npos) << bad.Errors;
    const RenderRun unwritable =
        RunProgram("nimbara", "'" + output_.Folder() + "missing/folder/x.png' --size 64x32");
    EXPECT_EQ(unwritable.ExitCode, 1);
    EXPECT_NE(unwritable.Errors.find("Nimbara --render: cannot write"), std::string::npos)
        << unwritable.Errors;
    EXPECT_EQ(TestSupport::ReadWholeFile(file), "old picture");
}

// The cities' weather from loopback services: station files for the default
// cities and a forecast service for the home city.
class OneShotWeatherTest : public OneShotRenderProgramTest {
protected:
    OneShotWeatherTest() {
        for (const City& city : DefaultFavouriteCities()) {
            stations_.Route(
                "/metar/" + city.Station + ".TXT",
                TestSupport::Answer(200, "2026/06/21 11:00\n" + city.Station +
                                             " 211100Z 00000KT 10SM CLR 30/20 A3000\n"));
        }
        environment_.Set("SKYVANE_METAR_URL", stations_.BaseUrl() + "/metar");
        environment_.Set("SKYVANE_FORECAST_URL", forecast_.Endpoint());
        environment_.Set("SKYVANE_WORLD_FORECAST_URL", world_.BaseUrl() + "/v1/forecast");
        // Each test's own user folder: the one shared by the test program stays clean.
        environment_.Set("XDG_CONFIG_HOME", config_.Folder());
    }

    QImage Render(const std::string& name, const std::string& extra,
                  const std::string& edition = "terravue") {
        const std::string file = output_.Folder() + name;
        const RenderRun run = RunProgram(
            edition, "'" + file + "' --size 620x340 --time 2026-06-21T12:00:00Z" + extra);
        EXPECT_EQ(run.ExitCode, 0) << run.Errors;
        return QImage(QString::fromStdString(file));
    }

    TestSupport::TempFolder config_;
    TestSupport::LoopbackHttpServer stations_;
    NdfdTestServer forecast_;
    TestSupport::LoopbackHttpServer world_;
    TestSupport::ScopedEnvironment environment_;
};

// Miami (25.8 N, 80.3 W) on the default view at 2 pixels per degree.
int PixelsChangedAroundMiami(const QImage& a, const QImage& b) {
    int changed = 0;
    for (int y = 128 - 12; y <= 128 + 12; ++y) {
        for (int x = 129 - 12; x <= 129 + 12; ++x) {
            changed += a.pixel(x, y) != b.pixel(x, y) ? 1 : 0;
        }
    }
    return changed;
}

TEST_F(OneShotWeatherTest, TheCitiesWeatherIsFetchedAndDrawn) {
    const QImage plain = Render("plain.png", "");
    const QImage withWeather = Render("weather.png", " --weather");
    EXPECT_GT(PixelsChangedAroundMiami(plain, withWeather), 100);
    // One kept-alive connection fetched every city.
    EXPECT_EQ(stations_.RequestsSeen().size(), DefaultFavouriteCities().size() + 1);
    EXPECT_EQ(forecast_.CallCount(), 1);
}

// A home city outside the USA asks the worldwide service for its forecast, once,
// and never NDFD; the weather edition's picture shows the current weather.
TEST_F(OneShotWeatherTest, AHomeCityInEuropeGetsItsForecastFromTheWorldwideService) {
    const std::string paris =
        "/v1/forecast?latitude=48.733&longitude=2.400"
        "&hourly=temperature_2m,weather_code&timezone=auto&forecast_days=8";
    world_.Route(paris, TestSupport::Answer(200, TestSupport::WorldForecastAnswer()));
    TestSupport::WriteWholeFile(config_.Folder() + "Nimbara/Options.txt",
                                "HomeCity=113600;LFPO;France;Paris;Orly;48.733;2.4\r\n");
    const QImage plain = Render("plain.png", "", "nimbara");
    const QImage withWeather = Render("weather.png", " --weather", "nimbara");
    EXPECT_NE(plain, withWeather);
    const auto asked = world_.RequestsSeen();
    ASSERT_EQ(asked.size(), 1U);
    EXPECT_EQ(asked[0].Target, paris);
    EXPECT_EQ(forecast_.CallCount(), 0);
}

TEST_F(OneShotWeatherTest, WithTheServicesDownThePictureIsDrawnWithoutWeather) {
    // Two cities keep the pauses after each failed city short.
    TestSupport::WriteWholeFile(config_.Folder() + "Terravue/Cities.txt",
                                "358900;KMIA;USA;Miami;;25.791;-80.316\r\n"
                                "113600;LFPO;France;Paris;Orly;48.733;2.4\r\n");
    environment_.Set("SKYVANE_METAR_URL", "http://127.0.0.1:9/metar");
    environment_.Set("SKYVANE_FORECAST_URL", "http://127.0.0.1:9/forecast");
    const QImage plain = Render("plain.png", "");
    const QImage withoutWeather = Render("weather.png", " --weather");
    EXPECT_EQ(PixelsChangedAroundMiami(plain, withoutWeather), 0);
}

// The picture once replaced a FIFO or, through a link, a device node with a regular file.
TEST_F(OneShotRenderProgramTest, OnlyARegularFileIsReplacedAndALinkToOneIsFollowed) {
    const std::string fifo = output_.Folder() + "pipe.png";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const RenderRun refused = RunProgram("terravue", "'" + fifo + "' --size 64x32");
    EXPECT_EQ(refused.ExitCode, 1);
    EXPECT_NE(
        refused.Errors.find("Terravue --render: cannot write \"" + fifo + "\": not a regular file"),
        std::string::npos)
        << refused.Errors;
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));

    const std::string real = output_.Folder() + "pictures/earth.png";
    TestSupport::WriteWholeFile(real, "old picture");
    const std::string link = output_.Folder() + "earth.png";
    std::filesystem::create_symlink(real, link);
    const RenderRun followed = RunProgram("terravue", "'" + link + "' --size 64x32");
    ASSERT_EQ(followed.ExitCode, 0) << followed.Errors;
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(QImage(QString::fromStdString(real)).size(), QSize(64, 32));
}

}  // namespace
