#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <chrono>
#include <functional>
#include <ostream>
#include <thread>

#include "app/Application.h"
#include "app/Program.h"
#include "net/DownloadHttpWork.h"
#include "support/EventLoopWait.h"
#include "support/LoopbackHttpServer.h"
#include "support/TestSupport.h"
#include "weather/WeatherServiceNoaa.h"
#include "weather/soap/NdfdTestServer.h"

namespace {

using namespace std::chrono_literals;
using TestSupport::LoopbackHttpServer;
using TestSupport::ServerBehaviour;
using TestSupport::ServerResponse;

class BackgroundWorkTest : public ::testing::Test {
protected:
    void SetUp() override {
        Program::ResetForTesting();
        Program::InitPathInfo("/usr/bin/terravue");
        Program::DetermineAppMode("");
    }
    void TearDown() override { Program::ResetForTesting(); }
};

// The whole way of the update check: the edition's version file from the site,
// downloaded by the pool's worker, announces a newer version to the main thread.
TEST_F(BackgroundWorkTest, TheUpdateCheckAnnouncesANewerVersionToTheMainThread) {
    LoopbackHttpServer site;
    ServerResponse versionFile;
    versionFile.Body = "Name=Terravue\r\nVersion=7.5.0\r\n";
    site.Route("/custom/plovex/other/version/Earth-Version-Desktop.txt?version=7.4.3", versionFile);
    const TestSupport::ScopedEnvironment root("SKYVANE_SITE_ROOT", site.BaseUrl());
    Application application;
    bool announced = false;
    // With the receiver as context the call is queued to the main thread.
    QObject::connect(&application.Results, &WorkResults::newVersionAvailable, &application.Results,
                     [&announced] { announced = true; });
    ASSERT_TRUE(application.Pool.Initialise());

    application.QueueUpdateCheck();

    EXPECT_TRUE(WaitUntil([&] { return announced; }));
    EXPECT_EQ(site.RequestsSeen().size(), 1U);
}

enum class Stalled { SilentServer, TricklingServer, ForecastService };

void PrintTo(Stalled value, std::ostream* out) {
    *out << (value == Stalled::SilentServer      ? "silent server"
             : value == Stalled::TricklingServer ? "trickling server"
                                                 : "forecast service");
}

class StopDuringTransferTest : public BackgroundWorkTest,
                               public ::testing::WithParamInterface<Stalled> {};

// However the server behaves, a stop ends the transfer and the pool joins its
// worker promptly.
TEST_P(StopDuringTransferTest, StopEndsTheTransferAndTheWorker) {
    LoopbackHttpServer server;
    NdfdTestServer forecast;
    ServerResponse response;
    response.Body = std::string(1000, 'x');
    response.Behaviour = GetParam() == Stalled::TricklingServer ? ServerBehaviour::Trickle
                                                                : ServerBehaviour::NeverAnswer;
    response.TrickleInterval = 1s;
    server.Route("/file.txt", response);
    server.Route("/metar/KLAX.TXT", TestSupport::Answer(200, "2013/03/27 18:51\nKLAX 271851Z\n"));
    forecast.Stall();
    TestSupport::ScopedEnvironment services("SKYVANE_METAR_URL", server.BaseUrl() + "/metar");
    services.Set("SKYVANE_FORECAST_URL", forecast.Endpoint());

    WorkPool pool;
    ASSERT_TRUE(pool.Initialise());
    WorkResults results;
    if (GetParam() == Stalled::ForecastService) {
        auto work = std::make_unique<CWeatherDownloadWork>(results, MakeWeatherServiceNoaa);
        work->ForecastRequests.push_back({1, 33.94F, -118.41F, "KLAX", true});
        pool.Queue(std::move(work));
        ASSERT_TRUE(WaitUntil([&] { return forecast.CallCount() == 1; }));
    } else {
        auto work = std::make_unique<DownloadHttpWork>();
        work->Url = server.BaseUrl() + "/file.txt";
        pool.Queue(std::move(work));
        ASSERT_TRUE(WaitUntil([&] { return !server.RequestsSeen().empty(); }));
        std::this_thread::sleep_for(1500ms);
    }

    const auto started = std::chrono::steady_clock::now();
    pool.Stop(100);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 2s);
}

INSTANTIATE_TEST_SUITE_P(Servers, StopDuringTransferTest,
                         ::testing::Values(Stalled::SilentServer, Stalled::TricklingServer,
                                           Stalled::ForecastService));

}  // namespace
