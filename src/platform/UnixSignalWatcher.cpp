#include "platform/UnixSignalWatcher.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QPointer>
#include <QSocketNotifier>
#include <atomic>
#include <cerrno>
#include <vector>

#include "core/Exceptions.h"

namespace {

// Where the handler writes; -1 while no watcher lives.
std::atomic<int> handlerWriteEnd{-1};
static_assert(std::atomic<int>::is_always_lock_free,
              "the signal handler may only use lock-free atomics");

// Async-signal-safe: one write, errno kept. A full pair drops the byte, and the
// bytes already waiting are enough to wake the watcher.
void OnTerminationSignal(int number) {
    const int savedErrno = errno;
    const unsigned char byte = static_cast<unsigned char>(number);
    const ssize_t written = ::write(handlerWriteEnd.load(), &byte, 1);
    static_cast<void>(written);
    errno = savedErrno;
}

void CloseBoth(int first, int second) {
    ::close(first);
    ::close(second);
}

}  // namespace

UnixSignalWatcher::UnixSignalWatcher(QObject* parent) : QObject(parent) {
    static constexpr const char* BusyLocation = "UnixSignalWatcher::UnixSignalWatcher (1)";
    static constexpr const char* SetUpLocation = "UnixSignalWatcher::UnixSignalWatcher (2)";
    int ends[2] = {-1, -1};
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, ends) != 0) {
        RaiseError(SetUpLocation);
    }
    int none = -1;
    if (!handlerWriteEnd.compare_exchange_strong(none, ends[1])) {
        CloseBoth(ends[0], ends[1]);
        RaiseError(BusyLocation);
    }
    readEnd_ = ends[0];
    writeEnd_ = ends[1];

    struct sigaction action {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (std::size_t index = 0; index < Watched.size(); ++index) {
        if (::sigaction(Watched[index], &action, &previous_[index]) != 0) {
            const int error = errno;
            RestoreHandlers(index);
            handlerWriteEnd.store(-1);
            CloseBoth(readEnd_, writeEnd_);
            errno = error;
            RaiseError(SetUpLocation);
        }
    }
    notifier_ = new QSocketNotifier(readEnd_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &UnixSignalWatcher::Drain);
}

UnixSignalWatcher::~UnixSignalWatcher() {
    RestoreHandlers(Watched.size());
    handlerWriteEnd.store(-1);
    // The notifier must not outlive the descriptor it watches.
    delete notifier_;
    CloseBoth(readEnd_, writeEnd_);
}

void UnixSignalWatcher::RestoreHandlers(std::size_t count) {
    for (std::size_t index = 0; index < count; ++index) {
        ::sigaction(Watched[index], &previous_[index], nullptr);
    }
}

void UnixSignalWatcher::Drain() {
    std::vector<int> numbers;
    unsigned char bytes[64];
    for (;;) {
        const ssize_t count = ::read(readEnd_, bytes, sizeof bytes);
        if (count > 0) {
            numbers.insert(numbers.end(), bytes, bytes + count);
        } else if (count < 0 && errno == EINTR) {
            continue;
        } else {
            break;
        }
    }
    // A receiver may end the watcher while it handles the signal.
    const QPointer<UnixSignalWatcher> alive(this);
    for (const int number : numbers) {
        emit terminationRequested(number);
        if (!alive) {
            return;
        }
    }
}
