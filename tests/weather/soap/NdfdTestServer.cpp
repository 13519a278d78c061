#include "weather/soap/NdfdTestServer.h"

#include <netinet/in.h>
#include <sys/socket.h>

#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "ServerndfdXMLBindingService.h"

namespace {

enum class Mode { Answer, Fault, Stall, HangUp };

constexpr const char* DefaultDwml =
    "<?xml version=\"1.0\"?><dwml version=\"1.0\"><head/><data/></dwml>";

// The names of the child elements of the operation element, in document order.
// The parts are flat text elements, so skipping to each closing tag is enough.
std::vector<std::string> ChildElementNames(const std::string& envelope) {
    std::vector<std::string> names;
    std::size_t position = envelope.find(":NDFDgenByDay");
    if (position == std::string::npos ||
        (position = envelope.find('>', position)) == std::string::npos) {
        return names;
    }
    while ((position = envelope.find('<', position)) != std::string::npos) {
        if (envelope.compare(position, 2, "</") == 0) {
            break;
        }
        const std::size_t nameEnd = envelope.find_first_of(" \t\r\n/>", position + 1);
        if (nameEnd == std::string::npos) {
            break;
        }
        std::string name = envelope.substr(position + 1, nameEnd - position - 1);
        const std::size_t tagEnd = envelope.find('>', nameEnd);
        if (tagEnd == std::string::npos) {
            break;
        }
        const bool selfClosing = envelope[tagEnd - 1] == '/';
        const std::string closing = "</" + name;
        names.push_back(std::move(name));
        position = selfClosing ? tagEnd + 1 : envelope.find(closing, tagEnd);
        if (!selfClosing && position != std::string::npos) {
            position = envelope.find('>', position);
        }
    }
    return names;
}

}  // namespace

struct NdfdTestServer::State : ndfdXMLBindingService {
    State() : ndfdXMLBindingService(SOAP_IO_DEFAULT | SOAP_C_UTFSTRING) {}

    int NDFDgenByDay(const std::string& latitude, const std::string& longitude,
                     const std::string& startDate, const std::string& numDays,
                     const std::string& Unit, const std::string& format,
                     std::string& dwmlByDayOut) override {
        Request request{latitude, longitude, startDate, numDays, Unit, format, {}, {}, {}, {}};
        const std::size_t bodyStart = received.find("\r\n\r\n");
        request.Envelope =
            bodyStart == std::string::npos ? received : received.substr(bodyStart + 4);
        request.PartOrder = ChildElementNames(request.Envelope);
        request.SoapAction = soap->action != nullptr ? soap->action : "";
        request.Path = soap->path;

        std::unique_lock lock(mutex);
        lastRequest = std::move(request);
        if (mode == Mode::Stall) {
            changed.wait(lock, [this] { return stopping; });
        }
        if (mode == Mode::Answer) {
            dwmlByDayOut = answer;
            return SOAP_OK;
        }
        return soap_receiverfault(faultString.c_str(), nullptr);
    }

    // Keeps a copy of every byte read, so that tests can see the request as sent.
    static size_t RecordingReceive(struct soap* context, char* buffer, size_t length) {
        auto* self = static_cast<State*>(context->user);
        const size_t count = self->originalReceive(context, buffer, length);
        self->received.append(buffer, count);
        return count;
    }

    void Run() {
        for (;;) {
            {
                std::lock_guard lock(mutex);
                if (stopping) {
                    return;
                }
            }
            if (!soap_valid_socket(accept())) {
                if (soap->errnum != 0) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(10));
                }
                continue;
            }
            bool hangUp = false;
            {
                std::lock_guard lock(mutex);
                ++callCount;
                hangUp = mode == Mode::HangUp;
            }
            received.clear();
            if (hangUp) {
                soap_force_close_socket();
            } else {
                serve();
            }
            destroy();
        }
    }

    // Used by the serving thread only.
    size_t (*originalReceive)(struct soap*, char*, size_t) = nullptr;
    std::string received;
    int port = 0;
    std::thread thread;

    mutable std::mutex mutex;
    std::condition_variable changed;
    Mode mode = Mode::Answer;
    std::string answer = DefaultDwml;
    std::string faultString;
    Request lastRequest;
    int callCount = 0;
    bool stopping = false;
};

NdfdTestServer::NdfdTestServer() : state_(std::make_unique<State>()) {
    soap* context = state_->soap;
    context->user = state_.get();
    soap_set_namespaces(context, namespaces);
    context->socket_flags = MSG_NOSIGNAL;
    // Short waits keep the loop responsive to Stop and to clients that go silent.
    context->accept_timeout = -50000;
    context->recv_timeout = 5;
    context->send_timeout = 5;
    state_->originalReceive = context->frecv;
    context->frecv = &State::RecordingReceive;
    if (!soap_valid_socket(state_->bind("127.0.0.1", 0, 16))) {
        throw std::runtime_error("the test SOAP server cannot bind to 127.0.0.1");
    }
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (getsockname(context->master, reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
        address.ss_family != AF_INET) {
        throw std::runtime_error("the test SOAP server has no IPv4 port");
    }
    state_->port = ntohs(reinterpret_cast<const sockaddr_in*>(&address)->sin_port);
    state_->thread = std::thread([this] { state_->Run(); });
}

NdfdTestServer::~NdfdTestServer() {
    {
        std::lock_guard lock(state_->mutex);
        state_->stopping = true;
    }
    state_->changed.notify_all();
    state_->thread.join();
}

void NdfdTestServer::AnswerWith(const std::string& dwml) {
    std::lock_guard lock(state_->mutex);
    state_->mode = Mode::Answer;
    state_->answer = dwml;
}

void NdfdTestServer::FailWith(const std::string& faultString) {
    std::lock_guard lock(state_->mutex);
    state_->mode = Mode::Fault;
    state_->faultString = faultString;
}

void NdfdTestServer::Stall() {
    std::lock_guard lock(state_->mutex);
    state_->mode = Mode::Stall;
    state_->faultString = "stopped";
}

void NdfdTestServer::HangUp() {
    std::lock_guard lock(state_->mutex);
    state_->mode = Mode::HangUp;
}

std::string NdfdTestServer::Endpoint() const {
    return "http://127.0.0.1:" + std::to_string(state_->port) +
           "/xml/SOAP_server/ndfdXMLserver.php";
}

int NdfdTestServer::Port() const {
    return state_->port;
}

NdfdTestServer::Request NdfdTestServer::LastRequest() const {
    std::lock_guard lock(state_->mutex);
    return state_->lastRequest;
}

int NdfdTestServer::CallCount() const {
    std::lock_guard lock(state_->mutex);
    return state_->callCount;
}
