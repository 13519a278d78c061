#include "weather/soap/NdfdClient.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "support/LoopbackHttpServer.h"
#include "support/TestSupport.h"
#include "weather/soap/NdfdTestServer.h"

namespace {

using namespace std::chrono_literals;
using TestSupport::LocationOf;

constexpr const char* GetForecastLocation = "WeatherServiceNoaa::GetForecast (110)";

NdfdRequestParts SampleParts() {
    return MakeNdfdRequestParts(38.99f, -77.01f, DateTime(2013, 3, 27));
}

class NdfdClientTest : public ::testing::Test {
protected:
    NdfdClientTest() {
        limits.ConnectTimeout = 2s;
        limits.SendTimeout = 2s;
        limits.ReceiveTimeout = 2s;
    }

    std::string Call() { return CallNdfdGenByDay(server.Endpoint(), SampleParts(), limits); }

    NdfdTestServer server;
    NdfdTransportLimits limits;
};

TEST(NdfdRequestPartsTest, MakeParts_FormatsCoordinatesWithThreeDecimalsAndAsksForSevenDays) {
    const NdfdRequestParts parts = MakeNdfdRequestParts(40.7128f, -74.0060f, DateTime(2013, 3, 7));
    EXPECT_EQ(parts.latitude, "40.713");
    EXPECT_EQ(parts.longitude, "-74.006");
    EXPECT_EQ(parts.startDate, "2013-03-07");
    EXPECT_EQ(parts.numDays, "7");
    EXPECT_EQ(parts.Unit, "e");
    EXPECT_EQ(parts.format, "12 hourly");
}

TEST_F(NdfdClientTest, Call_SendsTheSixPartsWithTheirValuesInOrder) {
    Call();
    const NdfdTestServer::Request request = server.LastRequest();
    EXPECT_EQ(request.PartOrder, (std::vector<std::string>{"latitude", "longitude", "startDate",
                                                           "numDays", "Unit", "format"}));
    EXPECT_EQ(request.latitude, "38.990");
    EXPECT_EQ(request.longitude, "-77.010");
    EXPECT_EQ(request.startDate, "2013-03-27");
    EXPECT_EQ(request.numDays, "7");
    EXPECT_EQ(request.Unit, "e");
    EXPECT_EQ(request.format, "12 hourly");
}

TEST_F(NdfdClientTest, Call_PostsRpcEncodedOperationWithSoapActionToTheServicePath) {
    Call();
    const NdfdTestServer::Request request = server.LastRequest();
    EXPECT_EQ(request.SoapAction, "/xml/DWMLgen/wsdl/ndfdXML.wsdl#NDFDgenByDay");
    EXPECT_EQ(request.Path, "/xml/SOAP_server/ndfdXMLserver.php");
    EXPECT_NE(request.Envelope.find("http://schemas.xmlsoap.org/soap/encoding/"),
              std::string::npos);
    EXPECT_NE(
        request.Envelope.find("\"http://graphical.weather.gov/xml/DWMLgen/wsdl/ndfdXML.wsdl\""),
        std::string::npos);
    EXPECT_EQ(server.CallCount(), 1);
}

struct AnswerText {
    const char* Name;
    std::string Text;
};

void PrintTo(const AnswerText& text, std::ostream* out) {
    *out << text.Name;
}

class NdfdAnswerTextTest : public NdfdClientTest,
                           public ::testing::WithParamInterface<AnswerText> {};

// The DWML document travels as an escaped string inside the SOAP answer.
TEST_P(NdfdAnswerTextTest, Call_ReturnsTheAnswerTextUnchanged) {
    server.AnswerWith(GetParam().Text);
    EXPECT_EQ(Call(), GetParam().Text);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, NdfdAnswerTextTest,
    ::testing::Values(
        AnswerText{"Document", "<?xml version=\"1.0\"?>\n<dwml><data><parameters/></data></dwml>"},
        AnswerText{"XmlMarkup",
                   "<w summary=\"Rain &amp; Snow\"/> a < b & c > d ]]> <![CDATA[ x ]]> 'q'"},
        AnswerText{"Utf8",
                   "\xEF\xBB\xBF<p>M\xC3\xBCnchen \xE2\x80\x93 20 \xC2\xB0"
                   "C \xF0\x9F\x8C\xA7</p>"},
        AnswerText{"Empty", ""}),
    [](const ::testing::TestParamInfo<AnswerText>& parameter) { return parameter.param.Name; });

TEST_F(NdfdClientTest, Call_RaisesOnSoapFault) {
    server.FailWith("Point with latitude 99 not on grid");
    try {
        Call();
        FAIL() << "no exception";
    } catch (const ApplicationException& error) {
        EXPECT_EQ(error.Location, GetForecastLocation);
        EXPECT_NE(error.Message.find("not on grid"), std::string::npos) << error.Message;
    }
}

// A server error that is no SOAP fault is reported with the status the server gave.
TEST(NdfdClientHttpErrorTest, Call_RaisesWithTheServersOwnStatus) {
    TestSupport::LoopbackHttpServer site;
    // Bodies the runtime's parser reads differently: plain text, HTML, nothing.
    for (const char* body : {"Internal Server Error", "<html><body>Oops</body></html>", ""}) {
        site.Route("/ndfd", TestSupport::Answer(500, body));
        try {
            CallNdfdGenByDay(site.BaseUrl() + "/ndfd", SampleParts());
            ADD_FAILURE() << "no exception for " << body;
        } catch (const ApplicationException& error) {
            EXPECT_EQ(error.Location, GetForecastLocation);
            EXPECT_EQ(error.Message, "the service answered HTTP 500") << body;
        }
    }
}

TEST_F(NdfdClientTest, Call_RaisesWhenTheServerHangsUp) {
    server.HangUp();
    EXPECT_EQ(LocationOf([&] { Call(); }), GetForecastLocation);
}

TEST_F(NdfdClientTest, Call_RaisesWithinTheReceiveTimeoutWhenTheServerStalls) {
    server.Stall();
    limits.ReceiveTimeout = 300ms;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(LocationOf([&] { Call(); }), GetForecastLocation);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    EXPECT_EQ(server.CallCount(), 1);
}

TEST_F(NdfdClientTest, Call_RaisesWhenTheAnswerExceedsTheSizeLimit) {
    server.AnswerWith(std::string(limits.MaxAnswerBytes + 1, 'x'));
    EXPECT_EQ(LocationOf([&] { Call(); }), GetForecastLocation);
}

TEST_F(NdfdClientTest, Call_AcceptsAnAnswerBelowTheSizeLimit) {
    const std::string answer(limits.MaxAnswerBytes - 64 * 1024, 'x');
    server.AnswerWith(answer);
    EXPECT_EQ(Call(), answer);
}

TEST_F(NdfdClientTest, Call_DoesNotFallBackToPlainTextForHttpsEndpoint) {
    const std::string endpoint = "https://127.0.0.1:" + std::to_string(server.Port()) + "/x";
    EXPECT_EQ(LocationOf([&] { CallNdfdGenByDay(endpoint, SampleParts(), limits); }),
              GetForecastLocation);
}

TEST_F(NdfdClientTest, Call_KeepsConcurrentCallsApart) {
    std::string first;
    std::string second;
    std::thread other([&] { first = Call(); });
    second = Call();
    other.join();
    EXPECT_EQ(first, second);
    EXPECT_FALSE(first.empty());
    EXPECT_EQ(server.CallCount(), 2);
}

TEST(NdfdClientClosedPortTest, Call_RaisesWhenNothingListens) {
    // A bound socket that never listens keeps the port ours and refuses connections.
    const int socketFd = socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_GE(socketFd, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(bind(socketFd, reinterpret_cast<sockaddr*>(&address), length), 0);
    ASSERT_EQ(getsockname(socketFd, reinterpret_cast<sockaddr*>(&address), &length), 0);
    const std::string endpoint =
        "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/";
    EXPECT_EQ(LocationOf([&] { CallNdfdGenByDay(endpoint, SampleParts()); }), GetForecastLocation);
    close(socketFd);
}

TEST(ForecastEndpointTest, TriesTheCurrentHostThenTheOlderUnlessTheEnvironmentNamesAnother) {
    const std::vector<std::string> service{
        "https://digital.weather.gov/xml/SOAP_server/ndfdXMLserver.php",
        "https://graphical.weather.gov/xml/SOAP_server/ndfdXMLserver.php"};
    TestSupport::ScopedEnvironment environment("SKYVANE_FORECAST_URL", std::nullopt);
    EXPECT_EQ(ForecastEndpoints(), service);
    environment.Set("SKYVANE_FORECAST_URL", "");
    EXPECT_EQ(ForecastEndpoints(), service);
    environment.Set("SKYVANE_FORECAST_URL", "http://127.0.0.1:1/x");
    EXPECT_EQ(ForecastEndpoints(), std::vector<std::string>{"http://127.0.0.1:1/x"});
}

TEST_F(NdfdClientTest, ForecastEndpoint_OverrideReachesTheTestServer) {
    TestSupport::ScopedEnvironment environment("SKYVANE_FORECAST_URL", server.Endpoint());
    server.AnswerWith("<dwml/>");
    EXPECT_EQ(CallNdfdGenByDay(ForecastEndpoints().front(), SampleParts(), limits), "<dwml/>");
}

}  // namespace
