#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QImage>
#include <ctime>
#include <filesystem>
#include <stop_token>

#include "core/WorkStop.h"
#include "net/TransferLimits.h"
#include "render/CloudLayer.h"
#include "render/Graphics.h"
#include "support/LoopbackHttpServer.h"
#include "support/TestPictures.h"
#include "support/TestSupport.h"

using TestSupport::Answer;
using TestSupport::LoopbackHttpServer;
using TestSupport::ServerBehaviour;
using TestSupport::ServerResponse;

namespace {

ServerResponse Misbehaving(ServerBehaviour behaviour) {
    ServerResponse response;
    response.Behaviour = behaviour;
    return response;
}

// Grey noise: small enough for the size tests, varied enough to pass the damage checks.
std::string NoisePng(int width, int height) {
    return TestSupport::EncodedPicture(TestSupport::NoisePicture(width, height), "png");
}

class DownloadCloudsWorkTest : public ::testing::Test {
protected:
    // Each test gets a list file of its own: lists are read once per process.
    void WriteSources(const std::vector<std::string>& routes) {
        std::string text;
        for (const std::string& route : routes) {
            text += "  " + server.BaseUrl() + route + " \r\n\r\n";
        }
        TestSupport::WriteWholeFile(files.SourceList, text);
    }

    int RequestsFor(const std::string& route) const {
        int count = 0;
        for (const auto& request : server.RequestsSeen()) {
            count += request.Target == route ? 1 : 0;
        }
        return count;
    }

    void Run(int layerWidth = 0) {
        DownloadCloudsWork work(
            files, [this](QImage layer) { posted.push_back(std::move(layer)); }, layerWidth);
        work.DoWork();
    }
    // A round over a list file of its own.
    void RunWith(const std::vector<std::string>& routes, int layerWidth = 0) {
        files.SourceList =
            folder.Path().string() + "/CloudsUrls" + std::to_string(++lists_) + ".txt";
        WriteSources(routes);
        Run(layerWidth);
    }

    TestSupport::TempFolder folder;
    LoopbackHttpServer server;
    CloudDownloadFiles files{folder.Path().string() + "/CloudsUrls.txt",
                             folder.Path().string() + "/Clouds.jpg",
                             folder.Path().string() + "/Clouds.png"};
    std::vector<QImage> posted;

private:
    int lists_ = 0;
};

TEST(DownloadCloudsSources, LinesAreTrimmedAndEmptyOnesSkipped) {
    EXPECT_EQ(DownloadCloudsWork::ParseSources(" http://a/1 \r\n\r\n\thttp://b/2\nhttp://c/3"),
              (std::vector<std::string>{"http://a/1", "http://b/2", "http://c/3"}));
    EXPECT_TRUE(DownloadCloudsWork::ParseSources("\r\n  \n").empty());
}

TEST_F(DownloadCloudsWorkTest, FailingSourcesAreSkippedUntilOneGivesAGoodPicture) {
    const std::string good = TestSupport::ReadWholeFile(SKYVANE_CLOUDS_FALLBACK_FILE);
    server.Route("/missing.jpg", Answer(404, "gone"));
    server.Route("/short.jpg", Answer(200, std::string(1000, 'x')));
    server.Route("/broken.jpg", Answer(200, std::string(40000, 'x')));
    server.Route("/good.jpg", Answer(200, good));
    WriteSources({"/missing.jpg", "/short.jpg", "/broken.jpg", "/good.jpg"});

    Run();

    ASSERT_EQ(posted.size(), 1U);
    EXPECT_EQ(posted[0].size(), QSize(4096, 2048));
    EXPECT_EQ(posted[0].format(), QImage::Format_Grayscale8);
    // The layer handed on is the one kept.
    EXPECT_EQ(QImage(QString::fromStdString(files.Layer)), posted[0]);
    // Whatever the first source, the good one ends the round: no source twice.
    EXPECT_EQ(RequestsFor("/good.jpg"), 1);
    EXPECT_LE(RequestsFor("/missing.jpg") + RequestsFor("/short.jpg") + RequestsFor("/broken.jpg"),
              3);
}

// As an HTTP date, the instant that many hours ago.
std::string HoursAgo(int hours) {
    const std::time_t then = std::time(nullptr) - static_cast<std::time_t>(hours) * 3600;
    std::tm parts{};
    gmtime_r(&then, &parts);
    char text[64];
    std::strftime(text, sizeof text, "%a, %d %b %Y %H:%M:%S GMT", &parts);
    return text;
}

// A live map is only live for a day: one its server last changed earlier is refused
// like a damaged one. A source served at several sizes is fetched once, at the size
// that covers the screens' world, no larger than the layer.
TEST_F(DownloadCloudsWorkTest, AStalePictureIsRefusedAndAServedSizeFitsTheScreens) {
    ServerResponse old = Answer(200, NoisePng(300, 200));
    old.Headers.emplace_back("Last-Modified", HoursAgo(25));
    server.Route("/old.png", old);
    RunWith({"/old.png"});
    EXPECT_TRUE(posted.empty());
    ServerResponse fresh = Answer(200, NoisePng(300, 200));
    fresh.Headers.emplace_back("Last-Modified", HoursAgo(23));
    server.Route("/fresh.png", fresh);
    RunWith({"/fresh.png"});
    EXPECT_EQ(posted.size(), 1U);

    server.Route("/maps/2048x1024/clouds.png", Answer(200, NoisePng(300, 200)));
    RunWith({"/maps/4096x2048/clouds.png", "/maps/1024x512/clouds.png"}, 1920);
    EXPECT_EQ(posted.size(), 2U);
    EXPECT_EQ(RequestsFor("/maps/2048x1024/clouds.png"), 1);
    EXPECT_EQ(server.RequestsSeen().size(), 3U);

    const auto fitted = [](int width) {
        return DownloadCloudsWork::FittedSource("https://a/images/1024x512/c.jpg", width);
    };
    EXPECT_EQ(fitted(1024), "https://a/images/1024x512/c.jpg");
    EXPECT_EQ(fitted(1025), "https://a/images/2048x1024/c.jpg");
    EXPECT_EQ(fitted(3840), "https://a/images/4096x2048/c.jpg");
    EXPECT_EQ(fitted(15360), "https://a/images/4096x2048/c.jpg");
    EXPECT_EQ(DownloadCloudsWork::FittedSource("https://a/8192x4096/c.jpg", 0),
              "https://a/8192x4096/c.jpg");
    EXPECT_EQ(DownloadCloudsWork::FittedSource("https://a/640x320/c.jpg", 3840),
              "https://a/640x320/c.jpg");
}

TEST_F(DownloadCloudsWorkTest, ADownloadMustBeLargerThanTheMinimumSize) {
    std::string png = NoisePng(150, 120);
    ASSERT_LT(png.size(), 30720U);
    // Bytes after the picture's end do not disturb its decoding.
    png.resize(30720, '\0');
    server.Route("/exact.png", Answer(200, png));
    RunWith({"/exact.png"});
    EXPECT_TRUE(posted.empty());

    png.push_back('\0');
    server.Route("/exact.png", Answer(200, png));
    RunWith({"/exact.png"});
    ASSERT_EQ(posted.size(), 1U);
    EXPECT_EQ(posted[0].size(), QSize(150, 120));
}

TEST_F(DownloadCloudsWorkTest, OversizedAndStalledDownloadsMoveOnToTheNextSource) {
    TransferLimits limits = CurrentTransferLimits();
    limits.MaxBinaryBytes = 256 * 1024;
    limits.LowSpeedTime = std::chrono::seconds(1);
    const TransferLimits old = SetTransferLimitsForTesting(limits);
    ServerResponse huge = Misbehaving(ServerBehaviour::Huge);
    huge.HugeSize = 4 * 1024 * 1024;
    server.Route("/huge.jpg", huge);
    server.Route("/silent.jpg", Misbehaving(ServerBehaviour::NeverAnswer));
    server.Route("/good.png", Answer(200, NoisePng(300, 200)));
    WriteSources({"/huge.jpg", "/silent.jpg", "/good.png"});

    Run();
    SetTransferLimitsForTesting(old);

    ASSERT_EQ(posted.size(), 1U);
    EXPECT_EQ(posted[0].size(), QSize(300, 200));
}

TEST_F(DownloadCloudsWorkTest, NoSourcesMeansNoAttempt) {
    Run();  // no list file at all
    files.SourceList = folder.Path().string() + "/Empty.txt";
    TestSupport::WriteWholeFile(files.SourceList, "\r\n \r\n");
    Run();
    EXPECT_TRUE(posted.empty());
    EXPECT_TRUE(server.RequestsSeen().empty());
}

TEST_F(DownloadCloudsWorkTest, AFileThatCannotBeCreatedEndsTheWorkWithoutTryingFurther) {
    const std::string picture = NoisePng(300, 200);
    server.Route("/a.png", Answer(200, picture));
    server.Route("/b.png", Answer(200, picture));
    WriteSources({"/a.png", "/b.png"});
    files.Download = folder.Path().string() + "/no such folder/Clouds.jpg";

    Run();

    EXPECT_TRUE(posted.empty());
    EXPECT_EQ(server.RequestsSeen().size(), 1U);
}

// A pipe under the download's name once held the worker in its open for good.
TEST_F(DownloadCloudsWorkTest, WhateverLiesUnderTheDownloadNameIsReplacedNotOpened) {
    server.Route("/good.jpg",
                 Answer(200, TestSupport::ReadWholeFile(SKYVANE_CLOUDS_FALLBACK_FILE)));
    WriteSources({"/good.jpg"});
    ASSERT_EQ(::mkfifo(files.Download.c_str(), 0600), 0);

    Run();

    ASSERT_EQ(posted.size(), 1U);
    EXPECT_TRUE(std::filesystem::is_regular_file(files.Download));
}

// A server may send a picture of any size: one larger than the layer needs is read
// smaller where its format can do so without holding the whole picture, and refused
// unread where it cannot.
TEST_F(DownloadCloudsWorkTest, APictureLargerThanTheLayerIsReadSmallerOrRefused) {
    const QImage large = TestSupport::NoisePicture(4200, 2100);
    server.Route("/sequential.jpg", Answer(200, TestSupport::EncodedPicture(large, "jpeg")));
    server.Route("/progressive.jpg", Answer(200, TestSupport::EncodedPicture(large, "jpeg", true)));
    server.Route("/large.png", Answer(200, NoisePng(4100, 2050)));
    RunWith({"/progressive.jpg", "/large.png"});
    EXPECT_TRUE(posted.empty());
    EXPECT_EQ(RequestsFor("/progressive.jpg") + RequestsFor("/large.png"), 2);

    RunWith({"/sequential.jpg"});
    ASSERT_EQ(posted.size(), 1U);
    EXPECT_EQ(posted[0].size(), QSize(4096, 2048));
}

// A stop ends the reading of a picture and the keeping of the layer at once: nothing
// comes of them, and nothing is written.
TEST(CloudPictureStopTest, AStopEndsReadingAndSavingWithNothingToShow) {
    TestSupport::TempFolder folder;
    const std::string picture = folder.Path().string() + "/Clouds.jpg";
    TestSupport::WriteWholeFile(picture, TestSupport::ReadWholeFile(SKYVANE_CLOUDS_FALLBACK_FILE));
    std::stop_source stop;
    const WorkStop::ThreadBinding binding(stop.get_token());
    const QImage layer = DownloadCloudsWork::GenClouds(picture);
    ASSERT_EQ(layer.size(), QSize(4096, 2048));

    stop.request_stop();
    EXPECT_EQ(TestSupport::LocationOf([&] { DownloadCloudsWork::GenClouds(picture); }),
              "DownloadCloudsWork::GenClouds (122)");
    const std::string kept = folder.Path().string() + "/Clouds.png";
    EXPECT_EQ(TestSupport::LocationOf([&] { Graphics::SavePicture(layer, kept, "png"); }),
              "Graphics::SavePicture (1)");
    EXPECT_FALSE(std::filesystem::exists(kept));
}

}  // namespace
