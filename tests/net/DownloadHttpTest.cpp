#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include "NetTestFixture.h"
#include "net/Internet.h"

using TestSupport::LocationOf;
using TestSupport::ServerBehaviour;
using TestSupport::ServerResponse;

std::uint16_t ClosedPort() {
    const int probe = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof(address);
    bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof(address));
    getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
    close(probe);
    return ntohs(address.sin_port);
}

namespace {

constexpr const char* InternetFailure = "AfxThrowInternetException (11)";

class DownloadHttpTest : public NetTest {
protected:
    HttpConnection Connect(InternetSession& session) {
        return HttpConnection(session, "127.0.0.1", server_.Port());
    }

    // The location each form raises for the response routed at target.
    std::pair<std::string, std::string> BothFormsRaise(const std::string& target) {
        InternetSession session;
        HttpConnection connection = Connect(session);
        return {LocationOf([&] { Util::DownloadHttp(Url(target)); }),
                LocationOf([&] { Util::DownloadHttp(target, connection); })};
    }
};

struct StatusCase {
    int Status;
    const char* UrlFormLocation;
    const char* ObjectFormLocation;
};

class DownloadHttpStatusTest : public DownloadHttpTest,
                               public ::testing::WithParamInterface<StatusCase> {};

TEST_P(DownloadHttpStatusTest, OnlyStatusesFrom200To299AreSuccess) {
    const StatusCase& statusCase = GetParam();
    const bool success = statusCase.Status >= 200 && statusCase.Status <= 299;
    Serve("/object", statusCase.Status, statusCase.Status == 204 ? "" : "body");
    const auto [urlForm, objectForm] = BothFormsRaise("/object");
    EXPECT_EQ(urlForm, statusCase.UrlFormLocation);
    EXPECT_EQ(objectForm, statusCase.ObjectFormLocation);
    if (success) {
        EXPECT_EQ(Util::DownloadHttp(Url("/object")), statusCase.Status == 204 ? "" : "body");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Statuses, DownloadHttpStatusTest,
    ::testing::Values(StatusCase{200, "no exception", "no exception"},
                      StatusCase{204, "no exception", "no exception"},
                      StatusCase{206, "no exception", "no exception"},
                      StatusCase{404, "Util::DownloadHttp (26)", "Util::DownloadHttp (52)"},
                      StatusCase{500, "Util::DownloadHttp (26)", "Util::DownloadHttp (52)"}));

TEST_F(DownloadHttpTest, EmptyBodyGivesEmptyText) {
    Serve("/empty", 200, "");
    EXPECT_EQ(Util::DownloadHttp(Url("/empty")), "");
}

TEST_F(DownloadHttpTest, BodyOfExactlyOneReadBufferArrivesWhole) {
    std::string body(4096, 'a');
    body.back() = 'z';
    Serve("/exact", 200, body);
    EXPECT_EQ(Util::DownloadHttp(Url("/exact")), body);
}

TEST_F(DownloadHttpTest, AnswerBrokenOffByTheServerRaisesInBothForms) {
    for (const auto behaviour : {ServerBehaviour::CutShort, ServerBehaviour::CloseWithoutAnswer}) {
        ServerResponse response;
        response.Body = "partial";
        response.Behaviour = behaviour;
        Serve("/broken", response);
        const auto [urlForm, objectForm] = BothFormsRaise("/broken");
        EXPECT_EQ(urlForm, InternetFailure);
        EXPECT_EQ(objectForm, InternetFailure);
    }
}

TEST_F(DownloadHttpTest, UrlWithOtherSchemeRaises24WithoutBeingOpened) {
    const TestSupport::TempFolder folder;
    TestSupport::WriteWholeFile(folder.Path() / "local.txt", "local");
    const std::string ftpUrl = "ftp://127.0.0.1:" + std::to_string(server_.Port()) + "/x";
    EXPECT_EQ(LocationOf([&] { Util::DownloadHttp(ftpUrl); }), "Util::DownloadHttp (24)");
    EXPECT_EQ(LocationOf([&] { Util::DownloadHttp("file://" + folder.Folder() + "local.txt"); }),
              "Util::DownloadHttp (24)");
    EXPECT_EQ(server_.ConnectionsAccepted(), 0);
}

TEST_F(DownloadHttpTest, ObjectsOfOneConnectionShareOneKeptAliveConnection) {
    Serve("/stations/A.TXT", 200, "alpha");
    Serve("/stations/B.TXT", 200, "bravo");
    Serve("/stations/C.TXT", 200, "charlie");
    InternetSession session;
    HttpConnection connection = Connect(session);
    EXPECT_EQ(Util::DownloadHttp("/stations/A.TXT", connection), "alpha");
    EXPECT_EQ(Util::DownloadHttp("stations/B.TXT", connection), "bravo");
    EXPECT_EQ(Util::DownloadHttp("/stations/C.TXT", connection), "charlie");

    EXPECT_EQ(server_.ConnectionsAccepted(), 1);
    const auto requests = server_.RequestsSeen();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[1].Target, "/stations/B.TXT");
    for (const auto& request : requests) {
        EXPECT_EQ(request.Method, "GET");
        EXPECT_EQ(request.Header("user-agent"), "Session");
        EXPECT_EQ(request.Header("accept"), "*/*");
        EXPECT_EQ(request.Header("cache-control"), "no-cache");
        EXPECT_EQ(request.Header("pragma"), "no-cache");
    }
}

TEST_F(DownloadHttpTest, FailedObjectDoesNotStopTheNextOnTheSameConnection) {
    Serve("/missing", 404, "not here");
    Serve("/present", 200, "here");
    InternetSession session;
    HttpConnection connection = Connect(session);
    EXPECT_EQ(LocationOf([&] { Util::DownloadHttp("/missing", connection); }),
              "Util::DownloadHttp (52)");
    EXPECT_EQ(Util::DownloadHttp("/present", connection), "here");
}

TEST_F(DownloadHttpTest, ClosedConnectionHasNoRequestObject) {
    InternetSession session;
    HttpConnection connection = Connect(session);
    connection.Close();
    EXPECT_EQ(LocationOf([&] { Util::DownloadHttp("/x", connection); }),
              "CPtr<class HttpFile>::operator -> (114)");
}

TEST_F(DownloadHttpTest, RefusedConnectionRaisesInBothForms) {
    const std::uint16_t port = ClosedPort();
    InternetSession session;
    HttpConnection connection(session, "127.0.0.1", port);
    EXPECT_EQ(LocationOf([&] { Util::DownloadHttp("/x", connection); }), InternetFailure);
    EXPECT_EQ(
        LocationOf([&] { Util::DownloadHttp("http://127.0.0.1:" + std::to_string(port) + "/x"); }),
        InternetFailure);
}

TEST_F(DownloadHttpTest, StalledServersEndWithinTheLowSpeedTime) {
    ServerResponse silent;
    silent.Behaviour = ServerBehaviour::NeverAnswer;
    Serve("/silent", silent);
    ServerResponse trickle;
    trickle.Body = "abcdefghijklmnopqrstuvwxyz";
    trickle.Behaviour = ServerBehaviour::Trickle;
    trickle.TrickleInterval = std::chrono::milliseconds(1500);
    Serve("/trickle", trickle);

    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(LocationOf([&] { Util::DownloadHttp(Url("/silent")); }), InternetFailure);
    EXPECT_EQ(LocationOf([&] { Util::DownloadHttp(Url("/trickle")); }), InternetFailure);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

TEST_F(DownloadHttpTest, TextLongerThanTheLimitIsRefusedWithOrWithoutDeclaredLength) {
    ServerResponse declared;
    declared.Body = std::string(TextLimit + 1, 't');
    Serve("/declared", declared);
    ServerResponse undeclared = declared;
    undeclared.SendLength = false;
    Serve("/undeclared", undeclared);
    Serve("/fits", 200, std::string(TextLimit, 't'));

    EXPECT_EQ(LocationOf([&] { Util::DownloadHttp(Url("/declared")); }), InternetFailure);
    EXPECT_EQ(LocationOf([&] { Util::DownloadHttp(Url("/undeclared")); }), InternetFailure);
    InternetSession session;
    HttpConnection connection = Connect(session);
    EXPECT_EQ(LocationOf([&] { Util::DownloadHttp("/undeclared", connection); }), InternetFailure);
    EXPECT_EQ(Util::DownloadHttp("/fits", connection).size(), TextLimit);
}

TEST_F(DownloadHttpTest, RedirectsAreFollowedOnlyToWebAddresses) {
    Serve("/target", 200, "arrived");
    ServerResponse toWeb;
    toWeb.Status = 302;
    toWeb.Headers = {{"Location", "/target"}};
    Serve("/moved", toWeb);
    ServerResponse toFile;
    toFile.Status = 302;
    toFile.Headers = {{"Location", "file:///etc/passwd"}};
    Serve("/to-file", toFile);
    ServerResponse loop;
    loop.Status = 302;
    loop.Headers = {{"Location", "/loop"}};
    Serve("/loop", loop);

    EXPECT_EQ(Util::DownloadHttp(Url("/moved")), "arrived");
    EXPECT_EQ(LocationOf([&] { Util::DownloadHttp(Url("/to-file")); }), InternetFailure);
    EXPECT_EQ(LocationOf([&] { Util::DownloadHttp(Url("/loop")); }), InternetFailure);
}

TEST_F(DownloadHttpTest, ProxyFromTheEnvironmentIsUsed) {
    Serve("http://weather.invalid/report.txt", 200, "via proxy");
    environment_.Set("http_proxy", server_.BaseUrl());
    EXPECT_EQ(Util::DownloadHttp("http://weather.invalid/report.txt"), "via proxy");
}

}  // namespace
