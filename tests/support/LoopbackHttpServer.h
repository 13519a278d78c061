#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace TestSupport {

// How a routed answer misbehaves, if at all.
enum class ServerBehaviour {
    Normal,
    CutShort,            // announces more bytes than it sends, then closes
    NeverAnswer,         // reads the request and stays silent
    CloseWithoutAnswer,  // reads the request and closes at once
    Trickle,             // sends the headers, then the body one byte per TrickleInterval
    Huge,                // a body of HugeSize bytes made while sending, never held whole
};

struct ServerResponse {
    int Status = 200;
    std::string Body;
    ServerBehaviour Behaviour = ServerBehaviour::Normal;
    std::chrono::milliseconds TrickleInterval{100};
    std::uint64_t HugeSize = 0;
    // Without a length the body ends when the server closes the connection.
    bool SendLength = true;
    std::vector<std::pair<std::string, std::string>> Headers;
};

// A well-behaved answer: the status and the whole body.
inline ServerResponse Answer(int status, std::string body) {
    ServerResponse response;
    response.Status = status;
    response.Body = std::move(body);
    return response;
}

struct SeenRequest {
    std::string Method;
    std::string Target;
    std::map<std::string, std::string> Headers;  // names in lower case

    std::string Header(const std::string& lowerCaseName) const {
        const auto found = Headers.find(lowerCaseName);
        return found != Headers.end() ? found->second : std::string();
    }
};

// An HTTP/1.1 server on 127.0.0.1 (a port the system picks) with keep-alive,
// served by one thread. Unknown targets get 404. Destruction ends the thread
// promptly, stalled clients included.
class LoopbackHttpServer {
public:
    LoopbackHttpServer();
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;
    ~LoopbackHttpServer();

    // The target is matched whole (path and query).
    void Route(const std::string& target, const ServerResponse& response);

    std::uint16_t Port() const { return port_; }
    // "http://127.0.0.1:<port>" without a trailing "/".
    std::string BaseUrl() const;
    int ConnectionsAccepted() const { return connectionsAccepted_.load(); }
    std::vector<SeenRequest> RequestsSeen() const;

private:
    struct Connection;

    void Run();
    void Accept();
    bool Receive(Connection& connection);
    bool ProcessInput(Connection& connection);
    bool Send(Connection& connection);
    void StartAnswer(Connection& connection, const ServerResponse& response);
    ServerResponse Lookup(const std::string& target) const;

    int listenSocket_ = -1;
    int wakeRead_ = -1;
    int wakeWrite_ = -1;
    std::uint16_t port_ = 0;
    std::atomic<int> connectionsAccepted_{0};
    mutable std::mutex mutex_;
    std::map<std::string, ServerResponse> routes_;
    std::vector<SeenRequest> requests_;
    std::vector<std::unique_ptr<Connection>> connections_;  // the server thread's own
    std::thread thread_;
};

}  // namespace TestSupport
