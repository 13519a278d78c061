#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QBuffer>
#include <QImage>
#include <filesystem>
#include <random>

#include "net/TransferLimits.h"
#include "render/CloudLayer.h"
#include "support/LoopbackHttpServer.h"
#include "support/TestSupport.h"

using TestSupport::Answer;
using TestSupport::LoopbackHttpServer;
using TestSupport::ServerBehaviour;
using TestSupport::ServerResponse;

namespace {

// A grey noise picture: small enough for the size tests, varied enough to pass
// the damage checks.
ServerResponse Misbehaving(ServerBehaviour behaviour) {
    ServerResponse response;
    response.Behaviour = behaviour;
    return response;
}

std::string NoisePng(int width, int height) {
    QImage picture(width, height, QImage::Format_Grayscale8);
    std::minstd_rand random(7);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            picture.scanLine(y)[x] = static_cast<uchar>(random() % 200 + 20);
        }
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    return bytes.toStdString();
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

    void Run() {
        DownloadCloudsWork work(files,
                                [this](QImage layer) { posted.push_back(std::move(layer)); });
        work.DoWork();
    }

    TestSupport::TempFolder folder;
    LoopbackHttpServer server;
    CloudDownloadFiles files{folder.Path().string() + "/CloudsUrls.txt",
                             folder.Path().string() + "/Clouds.jpg"};
    std::vector<QImage> posted;
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
    // Whatever the first source, the good one ends the round: no source twice.
    EXPECT_EQ(RequestsFor("/good.jpg"), 1);
    EXPECT_LE(RequestsFor("/missing.jpg") + RequestsFor("/short.jpg") + RequestsFor("/broken.jpg"),
              3);
}

TEST_F(DownloadCloudsWorkTest, ADownloadMustBeLargerThanTheMinimumSize) {
    std::string png = NoisePng(150, 120);
    ASSERT_LT(png.size(), 30720U);
    // Bytes after the picture's end do not disturb its decoding.
    png.resize(30720, '\0');
    server.Route("/exact.png", Answer(200, png));
    WriteSources({"/exact.png"});
    Run();
    EXPECT_TRUE(posted.empty());

    png.push_back('\0');
    server.Route("/exact.png", Answer(200, png));
    files.SourceList = folder.Path().string() + "/CloudsUrls2.txt";
    WriteSources({"/exact.png"});
    Run();
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

}  // namespace
