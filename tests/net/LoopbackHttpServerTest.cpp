#include "support/LoopbackHttpServer.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <string>

namespace {

using TestSupport::LoopbackHttpServer;

// A raw client, so that the server is tested without the code under test.
class RawClient {
public:
    explicit RawClient(std::uint16_t port) : socket_(socket(AF_INET, SOCK_STREAM, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(port);
        connected_ = connect(socket_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
    }
    ~RawClient() { close(socket_); }

    bool Connected() const { return connected_; }
    void Send(const std::string& text) { send(socket_, text.data(), text.size(), MSG_NOSIGNAL); }
    // Everything until the server closes.
    std::string ReceiveAll() {
        std::string text;
        char buffer[4096];
        for (ssize_t count; (count = recv(socket_, buffer, sizeof(buffer), 0)) > 0;) {
            text.append(buffer, static_cast<std::size_t>(count));
        }
        return text;
    }

private:
    int socket_;
    bool connected_ = false;
};

TEST(LoopbackHttpServerTest, AnswersPipelinedRequestsOnOneConnection) {
    LoopbackHttpServer server;
    TestSupport::ServerResponse response;
    response.Body = "one";
    server.Route("/a", response);
    TestSupport::ServerResponse closing;
    closing.SendLength = false;
    closing.Body = "two";
    server.Route("/b", closing);
    RawClient client(server.Port());
    ASSERT_TRUE(client.Connected());
    client.Send("GET /a HTTP/1.1\r\nHost: x\r\n\r\nGET /b HTTP/1.1\r\nConnection: close\r\n\r\n");
    const std::string answer = client.ReceiveAll();
    EXPECT_NE(answer.find("HTTP/1.1 200 OK\r\nContent-Length: 3\r\n\r\none"), std::string::npos);
    EXPECT_NE(answer.find("\r\n\r\ntwo"), std::string::npos);
    EXPECT_EQ(server.ConnectionsAccepted(), 1);
    const auto requests = server.RequestsSeen();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].Header("host"), "x");
    EXPECT_EQ(requests[1].Target, "/b");
}

TEST(LoopbackHttpServerTest, StopsPromptlyWhileAClientWaitsForAnAnswer) {
    std::optional<LoopbackHttpServer> server(std::in_place);
    TestSupport::ServerResponse silent;
    silent.Behaviour = TestSupport::ServerBehaviour::NeverAnswer;
    server->Route("/silent", silent);
    RawClient client(server->Port());
    client.Send("GET /silent HTTP/1.1\r\n\r\n");
    while (server->RequestsSeen().empty()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    const auto start = std::chrono::steady_clock::now();
    server.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
    EXPECT_EQ(client.ReceiveAll(), "");
}

}  // namespace
