#include "platform/InstanceChannel.h"

#include <unistd.h>

#include <QByteArray>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QMetaObject>
#include <QTimer>
#include <optional>

#include "platform/Folders.h"
#include "platform/PlatformLog.h"

namespace {

// A message is the number in ASCII digits and a line feed, one per connection.
constexpr qsizetype MaxMessageDigits = 15;
constexpr int SendWaitMs = 1000;
// A client of ours writes at once; one that connects and says nothing is let go.
constexpr int ClientSilenceMs = 2000;

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
            return static_cast<int>(number);
        default:
            return std::nullopt;
    }
}

void LetGo(QLocalSocket* client) {
    client->abort();
    client->deleteLater();
}

// Whether a live instance answers on the socket; a file nobody serves refuses at once.
bool SomeoneServes(const QString& socketPath) {
    QLocalSocket probe;
    probe.connectToServer(socketPath, QIODevice::WriteOnly);
    const bool served = probe.waitForConnected(SendWaitMs);
    probe.abort();
    return served;
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
    // Only a dead owner makes the lock stale, not its age: an instance runs for days.
    lock_->setStaleLockTime(0);
}

InstanceChannel::~InstanceChannel() {
    if (server_) {
        server_->close();
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
    QLocalSocket socket;
    socket.connectToServer(socketPath_, QIODevice::WriteOnly);
    if (!socket.waitForConnected(SendWaitMs)) {
        qCInfo(lcPlatform) << "no running instance answers at" << socketPath_ << ":"
                           << socket.errorString();
        return false;
    }
    const QByteArray text = QByteArray::number(static_cast<int>(message)) + '\n';
    bool written = socket.write(text) == text.size();
    while (written && socket.bytesToWrite() > 0) {
        written = socket.waitForBytesWritten(SendWaitMs);
    }
    if (!written) {
        qCInfo(lcPlatform) << "message" << static_cast<int>(message)
                           << "not delivered:" << socket.errorString();
        return false;
    }
    socket.disconnectFromServer();
    return true;
}

bool InstanceChannel::Listen() {
    if (server_ && server_->isListening()) {
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
    QLocalServer::removeServer(socketPath_);
    server_ = std::make_unique<QLocalServer>();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_.get(), &QLocalServer::newConnection, this, &InstanceChannel::AcceptClients);
    if (!server_->listen(socketPath_)) {
        qCWarning(lcPlatform) << "cannot serve" << socketPath_ << ":" << server_->errorString();
        server_.reset();
        return false;
    }
    return true;
}

void InstanceChannel::AcceptClients() {
    while (QLocalSocket* client = server_->nextPendingConnection()) {
        auto* silence = new QTimer(client);
        silence->setSingleShot(true);
        connect(silence, &QTimer::timeout, client, [client] {
            qCInfo(lcPlatform) << "a client that sent nothing was let go";
            LetGo(client);
        });
        connect(client, &QLocalSocket::readyRead, this, [this, client] { ReadFrom(client); });
        connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
        silence->start(ClientSilenceMs);
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
