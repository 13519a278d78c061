#include "support/LoopbackHttpServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <stdexcept>

namespace TestSupport {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t HugeChunk = 64 * 1024;

std::string ReasonPhrase(int status) {
    switch (status) {
        case 200:
            return "OK";
        case 204:
            return "No Content";
        case 206:
            return "Partial Content";
        case 301:
            return "Moved Permanently";
        case 302:
            return "Found";
        case 404:
            return "Not Found";
        case 500:
            return "Internal Server Error";
        default:
            return "Status";
    }
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// Parses one request head (without the blank line that ends it).
SeenRequest ParseHead(const std::string& head) {
    SeenRequest request;
    std::size_t lineStart = 0;
    bool first = true;
    while (lineStart <= head.size()) {
        auto lineEnd = head.find("\r\n", lineStart);
        if (lineEnd == std::string::npos) {
            lineEnd = head.size();
        }
        const std::string line = head.substr(lineStart, lineEnd - lineStart);
        if (first) {
            const auto space = line.find(' ');
            const auto secondSpace = line.find(' ', space + 1);
            request.Method = line.substr(0, space);
            if (space != std::string::npos) {
                request.Target = line.substr(space + 1, secondSpace - space - 1);
            }
            first = false;
        } else if (const auto colon = line.find(':'); colon != std::string::npos) {
            request.Headers[Lower(line.substr(0, colon))] = Trim(line.substr(colon + 1));
        }
        lineStart = lineEnd + 2;
    }
    return request;
}

}  // namespace

struct LoopbackHttpServer::Connection {
    int Socket = -1;
    std::string Input;
    std::string Output;
    std::size_t OutputSent = 0;
    std::uint64_t HugeRemaining = 0;
    std::string TrickleBody;
    std::size_t TrickleNext = 0;
    std::chrono::milliseconds TrickleInterval{0};
    Clock::time_point NextTrickle;
    bool Answering = false;
    bool Silent = false;
    bool CloseWhenSent = false;

    bool Trickling() const { return TrickleNext < TrickleBody.size(); }
    bool WantsWrite() const { return !Output.empty() || HugeRemaining > 0; }
    bool AnswerSent() const { return !Silent && !WantsWrite() && !Trickling(); }
};

LoopbackHttpServer::LoopbackHttpServer() {
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0) {
        throw std::runtime_error("cannot create the wake pipe");
    }
    wakeRead_ = pipeEnds[0];
    wakeWrite_ = pipeEnds[1];

    listenSocket_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof(address);
    if (listenSocket_ < 0 ||
        bind(listenSocket_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        listen(listenSocket_, 16) != 0 ||
        getsockname(listenSocket_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        close(wakeRead_);
        close(wakeWrite_);
        if (listenSocket_ >= 0) {
            close(listenSocket_);
        }
        throw std::runtime_error("cannot listen on the loopback interface");
    }
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Run(); });
}

LoopbackHttpServer::~LoopbackHttpServer() {
    const char stop = 's';
    while (write(wakeWrite_, &stop, 1) < 0 && errno == EINTR) {
    }
    thread_.join();
    for (const auto& connection : connections_) {
        close(connection->Socket);
    }
    close(listenSocket_);
    close(wakeRead_);
    close(wakeWrite_);
}

void LoopbackHttpServer::Route(const std::string& target, const ServerResponse& response) {
    const std::lock_guard lock(mutex_);
    routes_[target] = response;
}

std::string LoopbackHttpServer::BaseUrl() const {
    return "http://127.0.0.1:" + std::to_string(port_);
}

std::vector<SeenRequest> LoopbackHttpServer::RequestsSeen() const {
    const std::lock_guard lock(mutex_);
    return requests_;
}

ServerResponse LoopbackHttpServer::Lookup(const std::string& target) const {
    const std::lock_guard lock(mutex_);
    const auto found = routes_.find(target);
    if (found == routes_.end()) {
        ServerResponse missing;
        missing.Status = 404;
        return missing;
    }
    return found->second;
}

void LoopbackHttpServer::Run() {
    for (;;) {
        std::vector<pollfd> watched;
        watched.push_back({wakeRead_, POLLIN, 0});
        watched.push_back({listenSocket_, POLLIN, 0});
        int timeout = -1;
        const auto now = Clock::now();
        for (const auto& connection : connections_) {
            const short events = connection->WantsWrite() ? (POLLIN | POLLOUT) : POLLIN;
            watched.push_back({connection->Socket, events, 0});
            if (connection->Trickling() && !connection->WantsWrite()) {
                const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(
                                      connection->NextTrickle - now)
                                      .count();
                const int waitMs = static_cast<int>(std::max<long long>(wait, 0));
                timeout = timeout < 0 ? waitMs : std::min(timeout, waitMs);
            }
        }
        if (poll(watched.data(), watched.size(), timeout) < 0 && errno != EINTR) {
            return;
        }
        if (watched[0].revents != 0) {
            return;
        }
        // Only the connections polled above; new ones join on the next round.
        const std::size_t polledConnections = watched.size() - 2;
        std::vector<bool> keep(polledConnections, true);
        for (std::size_t index = 0; index < polledConnections; ++index) {
            Connection& connection = *connections_[index];
            const short events = watched[index + 2].revents;
            if ((events & (POLLIN | POLLHUP | POLLERR)) != 0) {
                keep[index] = Receive(connection);
            }
            if (keep[index] && (events & POLLOUT) != 0) {
                keep[index] = Send(connection);
            }
            if (keep[index] && connection.Trickling() && !connection.WantsWrite() &&
                Clock::now() >= connection.NextTrickle) {
                connection.Output.push_back(connection.TrickleBody[connection.TrickleNext++]);
                connection.NextTrickle += connection.TrickleInterval;
            }
        }
        for (std::size_t index = polledConnections; index-- > 0;) {
            if (!keep[index]) {
                close(connections_[index]->Socket);
                connections_.erase(connections_.begin() + static_cast<std::ptrdiff_t>(index));
            }
        }
        if (watched[1].revents != 0) {
            Accept();
        }
    }
}

void LoopbackHttpServer::Accept() {
    for (;;) {
        const int client = accept4(listenSocket_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (client < 0) {
            return;
        }
        auto connection = std::make_unique<Connection>();
        connection->Socket = client;
        connections_.push_back(std::move(connection));
        ++connectionsAccepted_;
    }
}

bool LoopbackHttpServer::Receive(Connection& connection) {
    char buffer[4096];
    const ssize_t received = recv(connection.Socket, buffer, sizeof(buffer), 0);
    if (received == 0) {
        return false;
    }
    if (received < 0) {
        return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
    }
    if (connection.Silent) {
        return true;
    }
    connection.Input.append(buffer, static_cast<std::size_t>(received));
    return ProcessInput(connection);
}

bool LoopbackHttpServer::ProcessInput(Connection& connection) {
    while (!connection.Answering) {
        const auto headEnd = connection.Input.find("\r\n\r\n");
        if (headEnd == std::string::npos) {
            break;
        }
        const SeenRequest request = ParseHead(connection.Input.substr(0, headEnd));
        connection.Input.erase(0, headEnd + 4);
        {
            const std::lock_guard lock(mutex_);
            requests_.push_back(request);
        }
        const ServerResponse response = Lookup(request.Target);
        if (response.Behaviour == ServerBehaviour::CloseWithoutAnswer) {
            return false;
        }
        StartAnswer(connection, response);
    }
    return true;
}

void LoopbackHttpServer::StartAnswer(Connection& connection, const ServerResponse& response) {
    connection.Answering = true;
    if (response.Behaviour == ServerBehaviour::NeverAnswer) {
        connection.Silent = true;
        return;
    }
    std::uint64_t announced = response.Body.size();
    if (response.Behaviour == ServerBehaviour::CutShort) {
        announced += 100;
        connection.CloseWhenSent = true;
    } else if (response.Behaviour == ServerBehaviour::Huge) {
        announced = response.HugeSize;
        connection.HugeRemaining = response.HugeSize;
    }
    if (!response.SendLength) {
        connection.CloseWhenSent = true;
    }

    std::string head = "HTTP/1.1 " + std::to_string(response.Status) + " " +
                       ReasonPhrase(response.Status) + "\r\n";
    if (response.SendLength && response.Status != 204) {
        head += "Content-Length: " + std::to_string(announced) + "\r\n";
    }
    for (const auto& [name, value] : response.Headers) {
        head += name + ": " + value + "\r\n";
    }
    if (connection.CloseWhenSent) {
        head += "Connection: close\r\n";
    }
    head += "\r\n";
    connection.Output += head;

    if (response.Behaviour == ServerBehaviour::Trickle) {
        connection.TrickleBody = response.Body;
        connection.TrickleNext = 0;
        connection.TrickleInterval = response.TrickleInterval;
        connection.NextTrickle = Clock::now();
    } else if (response.Behaviour != ServerBehaviour::Huge) {
        connection.Output += response.Body;
    }
}

bool LoopbackHttpServer::Send(Connection& connection) {
    if (connection.Output.empty() && connection.HugeRemaining > 0) {
        const auto size =
            static_cast<std::size_t>(std::min<std::uint64_t>(HugeChunk, connection.HugeRemaining));
        connection.Output.assign(size, 'x');
        connection.HugeRemaining -= size;
    }
    const ssize_t sent = send(connection.Socket, connection.Output.data() + connection.OutputSent,
                              connection.Output.size() - connection.OutputSent, MSG_NOSIGNAL);
    if (sent < 0) {
        return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
    }
    connection.OutputSent += static_cast<std::size_t>(sent);
    if (connection.OutputSent < connection.Output.size()) {
        return true;
    }
    connection.Output.clear();
    connection.OutputSent = 0;
    if (!connection.AnswerSent()) {
        return true;
    }
    if (connection.CloseWhenSent) {
        return false;
    }
    connection.Answering = false;
    // A request that arrived while this answer was going out is served now.
    return ProcessInput(connection);
}

}  // namespace TestSupport
