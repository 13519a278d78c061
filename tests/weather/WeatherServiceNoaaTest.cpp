#include <gtest/gtest.h>

#include "support/LoopbackHttpServer.h"
#include "support/TestSupport.h"
#include "support/WorldForecastAnswer.h"
#include "weather/WeatherServiceNoaa.h"
#include "weather/soap/NdfdClient.h"
#include "weather/soap/NdfdTestServer.h"

using TestSupport::Answer;
using TestSupport::LoopbackHttpServer;
using TestSupport::ServerResponse;

namespace {

std::string Fixture(const std::string& name) {
    return TestSupport::ReadWholeFile(std::string(SKYVANE_TEST_DATA_DIR) + name);
}

WeatherRequest Request(int id, const std::string& station) {
    return WeatherRequest{id, 33.94F, -118.41F, station, true};
}

WeatherRequest ParisRequest() {
    return WeatherRequest{7, 48.733F, 2.4F, "LFPO", false};
}

// What the worldwide service is asked for Paris.
constexpr const char* ParisTarget =
    "/v1/forecast?latitude=48.733&longitude=2.400"
    "&hourly=temperature_2m,weather_code&timezone=auto&forecast_days=8";

// All three services on loopback: station files under /metar/, the forecast
// service answering the seven-day document and the worldwide one today's
// answer for Paris.
class WeatherServiceNoaaTest : public ::testing::Test {
protected:
    WeatherServiceNoaaTest() {
        metar.Route("/metar/KLAX.TXT", Answer(200, Fixture("KLAX.TXT")));
        metar.Route("/metar/KSFO.TXT",
                    Answer(200, "2013/03/27 19:56\nKSFO 271956Z 29012KT 10SM OVC015 M05/M12\n"));
        metar.Route("/metar/KJFK.TXT", Answer(404, "not found"));
        metar.Route("/metar/LFPO.TXT", Answer(404, "not found"));
        forecast.AnswerWith(Fixture("dwml-7day.xml"));
        world.Route(ParisTarget, Answer(200, TestSupport::WorldForecastAnswer()));
    }

    LoopbackHttpServer metar;
    NdfdTestServer forecast;
    LoopbackHttpServer world;
    TestSupport::ScopedEnvironment metarUrl{"SKYVANE_METAR_URL", metar.BaseUrl() + "/metar"};
    TestSupport::ScopedEnvironment forecastUrl{"SKYVANE_FORECAST_URL", forecast.Endpoint()};
    TestSupport::ScopedEnvironment worldUrl{"SKYVANE_WORLD_FORECAST_URL",
                                            world.BaseUrl() + "/v1/forecast"};
};

TEST_F(WeatherServiceNoaaTest, StationsShareOneConnectionAndAMissingOneDoesNotStopTheNext) {
    WeatherServiceNoaa service;
    const CCurrentWeather klax = service.GetCurrentWeather(Request(1, "KLAX"));
    EXPECT_EQ(klax.ReportDateTime, DateTime(2013, 3, 27, 18, 51, 0));
    EXPECT_EQ(klax.WeatherCode.Value(), EnumWeatherCode::PartlyCloudy);
    EXPECT_EQ(TestSupport::LocationOf<ApplicationException>(
                  [&] { service.GetCurrentWeather(Request(2, "KJFK")); }),
              "Util::DownloadHttp (52)");
    const CCurrentWeather ksfo = service.GetCurrentWeather(Request(3, "KSFO"));
    EXPECT_EQ(ksfo.Temprature.Value(), -5.0F);
    EXPECT_EQ(ksfo.DewPoint.Value(), -12.0F);

    EXPECT_EQ(metar.ConnectionsAccepted(), 1);
    const auto requests = metar.RequestsSeen();
    ASSERT_EQ(requests.size(), 3U);
    EXPECT_EQ(requests[1].Target, "/metar/KJFK.TXT");
}

TEST_F(WeatherServiceNoaaTest, StationCodesCannotReachOtherPaths) {
    WeatherServiceNoaa service;
    EXPECT_EQ(service.StationPath("../x?y"), "/metar/%2E%2E%2Fx%3Fy.TXT");
    EXPECT_EQ(service.StationPath("KLAX"), "/metar/KLAX.TXT");
}

TEST_F(WeatherServiceNoaaTest, BothHalvesComeBackInOneReport) {
    WeatherServiceNoaa service;
    const auto report = service.GetCurrentWeatherAndForecast(Request(42, "KLAX"));
    EXPECT_EQ(report->CityId, 42);
    EXPECT_EQ(report->Current.ReportDateTime, DateTime(2013, 3, 27, 18, 51, 0));
    EXPECT_GT(report->Forecast.ReportDateTime, InitialReportDateTime());
    EXPECT_EQ(report->Forecast.Items.size(), 14U);
    EXPECT_EQ(forecast.LastRequest().latitude, "33.940");
    EXPECT_EQ(forecast.LastRequest().longitude, "-118.410");
    EXPECT_EQ(forecast.LastRequest().startDate, DateTime::Now().ToXsdDateString());
}

// The service's current address first: one that moved (a redirect would turn the
// POST into a GET) or fails hands the call to the next, and the last failure counts.
TEST_F(WeatherServiceNoaaTest, AnAddressThatRedirectsOrFailsHandsTheCallToTheNext) {
    LoopbackHttpServer moved;
    ServerResponse redirect = Answer(301, "");
    redirect.Headers.emplace_back("Location", forecast.Endpoint());
    moved.Route("/ndfd", redirect);
    const NdfdRequestParts parts = MakeNdfdRequestParts(48.85F, 2.35F, DateTime(2026, 12, 9));
    const std::string answer =
        CallForecastService({moved.BaseUrl() + "/ndfd", forecast.Endpoint()}, parts);
    EXPECT_EQ(answer, Fixture("dwml-7day.xml"));
    ASSERT_EQ(moved.RequestsSeen().size(), 1U);
    EXPECT_EQ(moved.RequestsSeen().front().Method, "POST");
    EXPECT_EQ(forecast.LastRequest().latitude, "48.850");

    forecast.FailWith("no data for this point");
    EXPECT_EQ(TestSupport::LocationOf<ApplicationException>([&] {
                  CallForecastService({moved.BaseUrl() + "/ndfd", forecast.Endpoint()}, parts);
              }),
              "WeatherServiceNoaa::GetForecast (110)");
}

TEST_F(WeatherServiceNoaaTest, AFailedHalfKeepsItsInitialTime) {
    WeatherServiceNoaa service;
    forecast.FailWith("no data for this point");
    const auto withoutForecast = service.GetCurrentWeatherAndForecast(Request(1, "KLAX"));
    EXPECT_EQ(withoutForecast->Current.ReportDateTime, DateTime(2013, 3, 27, 18, 51, 0));
    EXPECT_EQ(withoutForecast->Forecast.ReportDateTime, InitialReportDateTime());

    forecast.AnswerWith(Fixture("dwml-7day.xml"));
    const auto withoutCurrent = service.GetCurrentWeatherAndForecast(Request(1, "KJFK"));
    EXPECT_EQ(withoutCurrent->Current.ReportDateTime, InitialReportDateTime());
    EXPECT_FALSE(withoutCurrent->Current.WeatherCode.HasValue());
    EXPECT_EQ(withoutCurrent->Forecast.Items.size(), 14U);

    forecast.FailWith("down");
    EXPECT_EQ(TestSupport::LocationOf<ApplicationException>(
                  [&] { service.GetCurrentWeatherAndForecast(Request(1, "KJFK")); }),
              "WeatherServiceNoaa::GetCurrentWeatherAndForecast (69)");
}

// Outside the USA only the worldwide service is asked, once, for the place.
TEST_F(WeatherServiceNoaaTest, AHomeCityOutsideTheUsaGetsTheWorldwideForecast) {
    WeatherServiceNoaa service;
    const auto report = service.GetCurrentWeatherAndForecast(ParisRequest());
    EXPECT_EQ(report->Current.ReportDateTime, InitialReportDateTime());
    EXPECT_GT(report->Forecast.ReportDateTime, InitialReportDateTime());
    EXPECT_EQ(report->Forecast.Source, ForecastSource::OpenMeteo);
    EXPECT_EQ(report->Forecast.Items.size(), 14U);
    EXPECT_EQ(forecast.CallCount(), 0);
    const auto requests = world.RequestsSeen();
    ASSERT_EQ(requests.size(), 1U);
    EXPECT_EQ(requests[0].Target, ParisTarget);
}

// In the USA NDFD comes first; when it fails, or has no period for the place,
// the worldwide service is asked, and when both fail the forecast is not
// replaced.
TEST_F(WeatherServiceNoaaTest, AUsHomeCityFallsBackOnTheWorldwideForecast) {
    WeatherServiceNoaa service;
    world.Route(
        "/v1/forecast?latitude=33.940&longitude=-118.410"
        "&hourly=temperature_2m,weather_code&timezone=auto&forecast_days=8",
        Answer(200, TestSupport::WorldForecastAnswer(-7 * 3600)));
    EXPECT_EQ(service.GetCurrentWeatherAndForecast(Request(1, "KLAX"))->Forecast.Source,
              ForecastSource::Ndfd);
    EXPECT_TRUE(world.RequestsSeen().empty());

    for (const bool fault : {true, false}) {
        if (fault) {
            forecast.FailWith("Point with latitude 33.94 longitude -118.41 is not on an NDFD grid");
        } else {
            forecast.AnswerWith(
                "<dwml><data><parameters><weather time-layout=\"k\"/>"
                "<conditions-icon time-layout=\"k\"/></parameters>"
                "<time-layout><layout-key>k</layout-key></time-layout></data></dwml>");
        }
        const auto report = service.GetCurrentWeatherAndForecast(Request(1, "KLAX"));
        EXPECT_EQ(report->Forecast.Source, ForecastSource::OpenMeteo) << fault;
        EXPECT_EQ(report->Forecast.Items.size(), 14U) << fault;
    }
    EXPECT_EQ(world.RequestsSeen().size(), 2U);

    // A worldwide answer larger than a text may be is refused like any other.
    ServerResponse huge;
    huge.Behaviour = TestSupport::ServerBehaviour::Huge;
    huge.HugeSize = 2 * 1024 * 1024;
    world.Route(world.RequestsSeen().back().Target, huge);
    const auto report = service.GetCurrentWeatherAndForecast(Request(1, "KLAX"));
    EXPECT_EQ(report->Current.ReportDateTime, DateTime(2013, 3, 27, 18, 51, 0));
    EXPECT_EQ(report->Forecast.ReportDateTime, InitialReportDateTime());
}

// The work item over the real client: a missing station costs one pause and
// the others still arrive, then the run is announced as done.
TEST_F(WeatherServiceNoaaTest, AWeatherRunFetchesEveryStationItCan) {
    struct Sink : IWeatherResultSink {
        void PushWeatherResult(std::unique_ptr<CWeatherReport> report, bool) override {
            reports.push_back(std::move(report));
        }
        void PostWeatherDone() override { ++done; }
        std::vector<std::unique_ptr<CWeatherReport>> reports;
        int done = 0;
    } sink;
    CWeatherDownloadWork work(sink, MakeWeatherServiceNoaa);
    int pauses = 0;
    work.Sleep = [&](int) { ++pauses; };
    work.ForecastRequests = {Request(1, "KLAX")};
    work.CurrentRequests = {Request(2, "KJFK"), Request(3, "KSFO")};
    work.DoWork();

    ASSERT_EQ(sink.reports.size(), 2U);
    EXPECT_EQ(sink.reports[0]->CityId, 1);
    EXPECT_EQ(sink.reports[0]->Forecast.Items.size(), 14U);
    EXPECT_EQ(sink.reports[1]->CityId, 3);
    EXPECT_EQ(pauses, 1);
    EXPECT_EQ(sink.done, 1);
    EXPECT_EQ(metar.ConnectionsAccepted(), 1);
}

TEST(WeatherServiceNoaaAddress, AnAddressThatIsNotHttpCannotMakeTheClient) {
    const TestSupport::ScopedEnvironment url("SKYVANE_METAR_URL", "ftp://example.invalid/x/");
    EXPECT_EQ(TestSupport::LocationOf<ApplicationException>([] { WeatherServiceNoaa service; }),
              "AfxThrowInternetException (11)");
}

}  // namespace
