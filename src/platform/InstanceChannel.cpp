#include "platform/InstanceChannel.h"

#include <unistd.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

#include <QByteArray>
#include <QLocalSocket>
#include <QLockFile>
#include <QMetaObject>
#include <QTimer>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <optional>
#include <string>
#include <thread>
#include <utility>

#include "platform/Folders.h"
#include "platform/PlatformLog.h"

namespace {

// A message is the number in ASCII digits and a line feed, one per connection.
constexpr qsizetype MaxMessageDigits = 15;
constexpr int SendWaitMs = 1000;
// A client of ours writes at once; one that connects and says nothing is let go.
constexpr int ClientSilenceMs = 2000;
// Out of descriptors: the socket stays, and accepting is tried again after this.
constexpr int AcceptAgainMs = 1000;
constexpr int Backlog = 16;

std::optional<int> KnownMessage(const QByteArray& digits) {
    if (digits.isEmpty() || digits.size() > MaxMessageDigits) {
        return std::nullopt;
    }
    for (const char digit : digits) {
        if (digit < '0' || digit > '9') {
            return std::nullopt;
        }
    }
    const qlonglong number = digits.toLongLong();
    switch (number) {
        case InstanceChannel::SecondDesktopStart:
        case InstanceChannel::ConfigureStart:
        case InstanceChannel::QuitRequest:
        case InstanceChannel::ShowEarthRequest:
        case InstanceChannel::ShowLocalWeatherRequest:
        case InstanceChannel::ShowTimeZonesRequest:
            return static_cast<int>(number);
        default:
            return std::nullopt;
    }
}

// The socket's address; false when the path does not fit.
bool AddressOf(const QString& socketPath, sockaddr_un& address) {
    const QByteArray path = socketPath.toLocal8Bit();
    if (static_cast<std::size_t>(path.size()) >= sizeof address.sun_path) {
        return false;
    }
    address = sockaddr_un{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.constData(), static_cast<std::size_t>(path.size()) + 1);
    return true;
}

// A connection to whoever serves the socket, -1 when none answers within the wait.
// Plain sockets, for it runs before the application object exists. A full backlog
// (the server is busy) is waited out; a file nobody serves refuses at once.
int ConnectTo(const QString& socketPath) {
    sockaddr_un address{};
    if (!AddressOf(socketPath, address)) {
        return -1;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(SendWaitMs);
    while (true) {
        const int socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (socket < 0) {
            return -1;
        }
        if (::connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
            return socket;
        }
        const int error = errno;
        ::close(socket);
        if (error != EAGAIN || std::chrono::steady_clock::now() >= deadline) {
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

bool SomeoneServes(const QString& socketPath) {
    const int socket = ConnectTo(socketPath);
    if (socket < 0) {
        return false;
    }
    ::close(socket);
    return true;
}

}  // namespace

InstanceChannel::InstanceChannel(const std::string& hiddenWindowClassName, QObject* parent)
    : QObject(parent) {
    const std::optional<std::string> folder = Folders::RuntimeFolder();
    if (!folder) {
        qCWarning(lcPlatform) << "no private runtime folder; the instance check is off for"
                              << hiddenWindowClassName.c_str();
        return;
    }
    socketPath_ =
        QString::fromStdString(*folder + hiddenWindowClassName + "-" + std::to_string(::getuid()));
    lockPath_ = socketPath_ + ".lock";
    lock_ = std::make_unique<QLockFile>(lockPath_);
    acceptAgain_.setSingleShot(true);
    connect(&acceptAgain_, &QTimer::timeout, this, &InstanceChannel::AcceptClients);
    // Only a dead owner makes the lock stale, not its age: an instance runs for days.
    lock_->setStaleLockTime(0);
}

InstanceChannel::~InstanceChannel() {
    StopServing();
}

void InstanceChannel::StopServing() {
    accepting_.reset();
    acceptAgain_.stop();
    for (QLocalSocket* client : std::exchange(clients_, {})) {
        client->disconnect(this);
        delete client;
    }
    if (listening_ >= 0) {
        ::close(listening_);
        listening_ = -1;
        ::unlink(socketPath_.toLocal8Bit().constData());
    }
}

bool InstanceChannel::HoldLock() {
    if (!lock_) {
        return false;
    }
    if (lock_->isLocked() || lock_->tryLock(0)) {
        return true;
    }
    if (lock_->error() != QLockFile::LockFailedError) {
        qCWarning(lcPlatform) << "cannot make the instance lock" << lockPath_;
    }
    return false;
}

bool InstanceChannel::AnotherInstanceRuns() {
    if (!lock_ || lock_->isLocked()) {
        return false;
    }
    if (lock_->tryLock(0)) {
        lock_->unlock();
        return false;
    }
    return lock_->error() == QLockFile::LockFailedError;
}

bool InstanceChannel::Send(Message message) {
    if (socketPath_.isEmpty()) {
        return false;
    }
    const int socket = ConnectTo(socketPath_);
    if (socket < 0) {
        qCInfo(lcPlatform) << "no running instance answers at" << socketPath_;
        return false;
    }
    // A few bytes always fit a fresh connection's buffer: one write delivers them.
    const std::string text = std::to_string(static_cast<int>(message)) + '\n';
    const bool written =
        ::send(socket, text.data(), text.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(text.size());
    ::close(socket);
    if (!written) {
        qCInfo(lcPlatform) << "message" << static_cast<int>(message) << "not delivered";
    }
    return written;
}

bool InstanceChannel::Listen() {
    if (listening_ >= 0) {
        return true;
    }
    if (!lock_ || !lock_->isLocked()) {
        qCWarning(lcPlatform) << "not serving" << socketPath_ << "without the instance lock";
        return false;
    }
    if (SomeoneServes(socketPath_)) {
        qCWarning(lcPlatform) << "a live instance serves" << socketPath_;
        return false;
    }
    sockaddr_un address{};
    if (!AddressOf(socketPath_, address)) {
        qCWarning(lcPlatform) << "the socket path is too long to serve:" << socketPath_;
        return false;
    }
    const char* path = address.sun_path;
    ::unlink(path);
    listening_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    // The folder is the user's alone already; the socket is made so as well.
    if (listening_ < 0 ||
        ::bind(listening_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::chmod(path, 0600) != 0 || ::listen(listening_, Backlog) != 0) {
        qCWarning(lcPlatform) << "cannot serve" << socketPath_ << ":" << std::strerror(errno);
        StopServing();
        return false;
    }
    accepting_ = std::make_unique<QSocketNotifier>(listening_, QSocketNotifier::Read);
    connect(accepting_.get(), &QSocketNotifier::activated, this, &InstanceChannel::AcceptClients);
    return true;
}

void InstanceChannel::AcceptClients() {
    if (!accepting_) {
        return;
    }
    while (clients_.size() < MaxHeldClients) {
        const int client = ::accept4(listening_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (client >= 0) {
            Hold(client);
            continue;
        }
        if (errno == EINTR || errno == ECONNABORTED) {
            continue;
        }
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            accepting_->setEnabled(true);
            return;
        }
        // Out of descriptors, or memory: the socket stays and is looked at again later.
        qCWarning(lcPlatform) << "cannot take a client now:" << std::strerror(errno);
        accepting_->setEnabled(false);
        acceptAgain_.start(AcceptAgainMs);
        return;
    }
    // Held in full: the others wait in the backlog until one goes.
    accepting_->setEnabled(false);
}

void InstanceChannel::Hold(int descriptor) {
    auto* client = new QLocalSocket(this);
    if (!client->setSocketDescriptor(descriptor, QLocalSocket::ConnectedState,
                                     QIODevice::ReadOnly)) {
        ::close(descriptor);
        delete client;
        return;
    }
    clients_.insert(client);
    auto* silence = new QTimer(client);
    silence->setSingleShot(true);
    connect(silence, &QTimer::timeout, this, [this, client] {
        qCInfo(lcPlatform) << "a client that sent nothing was let go";
        LetGo(client);
    });
    connect(client, &QLocalSocket::readyRead, this, [this, client] { ReadFrom(client); });
    // A client may write its line and hang up at once: the line is read first.
    connect(client, &QLocalSocket::disconnected, this, [this, client] {
        ReadFrom(client);
        LetGo(client);
    });
    silence->start(ClientSilenceMs);
}

void InstanceChannel::LetGo(QLocalSocket* client) {
    if (!clients_.remove(client)) {
        return;
    }
    client->disconnect(this);
    client->abort();
    client->deleteLater();
    if (accepting_ && !accepting_->isEnabled() && !acceptAgain_.isActive()) {
        accepting_->setEnabled(true);
    }
}

void InstanceChannel::ReadFrom(QLocalSocket* client) {
    const QByteArray received = client->peek(MaxMessageDigits + 1);
    const qsizetype end = received.indexOf('\n');
    if (end < 0) {
        if (received.size() > MaxMessageDigits) {
            qCInfo(lcPlatform) << "an oversized message was dropped";
            LetGo(client);
        }
        return;
    }
    LetGo(client);
    const std::optional<int> message = KnownMessage(received.left(end));
    if (!message) {
        qCInfo(lcPlatform) << "a message that is not one of ours was dropped";
        return;
    }
    QMetaObject::invokeMethod(
        this, [this, number = *message] { emit messageReceived(number); }, Qt::QueuedConnection);
}
