#pragma once

#include <signal.h>

#include <QObject>
#include <array>

class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP into terminationRequested on the thread that made
// the watcher, through its event loop, so that the program can run its orderly exit
// and end with a code of its own. The handler only writes the signal's number into a
// socket pair; everything else happens on that thread. One watcher at a time; the
// signals' previous handling comes back when it ends.
class UnixSignalWatcher : public QObject {
    Q_OBJECT

public:
    // Raises "UnixSignalWatcher::UnixSignalWatcher (1)" when another watcher lives and
    // "UnixSignalWatcher::UnixSignalWatcher (2)" when the socket pair or a handler
    // cannot be set up.
    explicit UnixSignalWatcher(QObject* parent = nullptr);
    ~UnixSignalWatcher() override;

signals:
    void terminationRequested(int signalNumber);

private:
    static constexpr std::array<int, 3> Watched{SIGTERM, SIGINT, SIGHUP};

    void RestoreHandlers(std::size_t count);
    void Drain();

    int readEnd_ = -1;
    int writeEnd_ = -1;
    std::array<struct sigaction, Watched.size()> previous_{};
    QSocketNotifier* notifier_ = nullptr;
};
