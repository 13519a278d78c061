#pragma once

#include <QObject>
#include <QSet>
#include <QSocketNotifier>
#include <QString>
#include <QTimer>
#include <memory>
#include <string>

class QLocalSocket;
class QLockFile;

// How the starts of one edition find and reach its running desktop instance: a lock
// file ("<class name>-<uid>.lock") tells whether one runs, and a local socket beside it
// ("<class name>-<uid>") carries the few messages another process may send it. Both live
// in the user's private runtime folder (Folders::RuntimeFolder); the socket is the
// user's alone (0600). The lock of a crashed instance (its process gone) is stale and
// never blocks the next start.
//
// The starts built on it:
// - Desktop start: when HoldLock() fails (another live instance holds the lock) and
//   Send(SecondDesktopStart) is delivered, end with exit code 0: the running instance
//   re-adds its tray icon and shows the balloon. Otherwise start normally, and Listen()
//   when the lock is held; the lock only detects a running instance, it blocks none.
// - Configure start: when AnotherInstanceRuns() and Send(ConfigureStart) is delivered,
//   end: the running instance opens its options. Otherwise show the options here.
// - A launcher's action ("--options", "--earth", ...): a desktop start that sends its
//   request (ConfigureStart, ShowEarthRequest, ...) instead of SecondDesktopStart, and
//   carries it out itself when it is the one that runs.
// - "--quit": Send(QuitRequest); the running instance exits with code 1, and the
//   quitting process ends with 0 when the message was delivered, 1 when no instance
//   answered.
//
// A channel without a usable runtime folder holds no lock, sends and serves nothing;
// the program then runs as if it were alone. The lock and Send work before the
// application object exists, so a start can decide before it makes one; Listen serves
// through the event loop of the thread that made the channel.
class InstanceChannel : public QObject {
    Q_OBJECT

public:
    // The numbers are shared with every other process of the program and never change.
    enum Message : int {
        SecondDesktopStart = 1154,
        ConfigureStart = 1155,
        QuitRequest = 1164,
        // A launcher's actions: open that window of the running instance.
        ShowEarthRequest = 1170,
        ShowLocalWeatherRequest = 1171,
        ShowTimeZonesRequest = 1172,
    };

    // The edition's hidden-window class name ("Earth_FormHidden", ...) names the channel.
    explicit InstanceChannel(const std::string& hiddenWindowClassName, QObject* parent = nullptr);
    ~InstanceChannel() override;

    // Takes the edition's lock and keeps it until the channel ends. False when a live
    // instance holds it, or when the lock cannot be made.
    bool HoldLock();
    // Whether a live instance other than this channel holds the lock. The lock is taken
    // only for the look and let go at once.
    bool AnotherInstanceRuns();

    // Hands the message to the channel that serves this edition, waiting briefly for the
    // connection and the write. True when it was delivered.
    bool Send(Message message);

    // Serves the socket: each well-formed message of a known number arrives as
    // messageReceived, queued on this object's thread, so a receiver may end the channel.
    // Anything else is dropped, and so is a client that stays silent, without ever
    // blocking the others. Needs the lock; a socket left by a dead instance is replaced,
    // one that a live instance serves is never taken. False when the channel cannot serve.
    //
    // A flood of clients cannot take the socket down: at most MaxHeldClients are held
    // at once (the others wait in the socket's backlog), and when the process runs out
    // of descriptors the socket stays and accepting is tried again a moment later.
    bool Listen();

    static constexpr int MaxHeldClients = 8;

    // Empty without a usable runtime folder.
    const QString& SocketPath() const { return socketPath_; }
    const QString& LockPath() const { return lockPath_; }

signals:
    void messageReceived(int message);

private:
    void AcceptClients();
    void Hold(int descriptor);
    void ReadFrom(QLocalSocket* client);
    void LetGo(QLocalSocket* client);
    void StopServing();

    QString socketPath_;
    QString lockPath_;
    std::unique_ptr<QLockFile> lock_;
    // The listening socket, its watch and the clients held; they go before the lock.
    int listening_ = -1;
    std::unique_ptr<QSocketNotifier> accepting_;
    QTimer acceptAgain_;
    QSet<QLocalSocket*> clients_;
};
