#pragma once

#include <QException>
#include <QFuture>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>
#include <exception>
#include <utility>

// The threads of all the program's parallel work but the downloads, which have a
// worker of their own: reading maps, the night mask and layers, composing the
// wallpaper, writing and setting it. Work that waits for work not yet started runs
// it itself, so a task may wait for another without a thread to spare.
QThreadPool& BackgroundThreads();

// Waits at most milliseconds for the work under way; at exit, before the objects it
// draws with go. False when some is still running.
bool JoinBackgroundWork(int milliseconds);

// The pool hands work over under locks of Qt's own that ThreadSanitizer cannot see:
// what a thread did before handing over (starting work, ending it, posting its news)
// is made visible to the thread that takes over (the worker, a waiter, the receiver).
#if defined(__SANITIZE_THREAD__)
extern "C" void __tsan_acquire(void* address);
extern "C" void __tsan_release(void* address);
inline void HandOverBackgroundWork() {
    __tsan_release(&BackgroundThreads());
}
inline void TakeOverBackgroundWork() {
    __tsan_acquire(&BackgroundThreads());
}
#else
inline void HandOverBackgroundWork() {}
inline void TakeOverBackgroundWork() {}
#endif

template <class Function>
auto RunInBackground(Function&& function) {
    struct HandOverAtEnd {
        ~HandOverAtEnd() { HandOverBackgroundWork(); }
    };
    HandOverBackgroundWork();
    return QtConcurrent::run(&BackgroundThreads(),
                             [function = std::forward<Function>(function)]() mutable {
                                 TakeOverBackgroundWork();
                                 const HandOverAtEnd handOver;
                                 return function();
                             });
}

// Waits for the work to end.
inline void WaitFor(QFuture<void>& future) {
    future.waitForFinished();
    TakeOverBackgroundWork();
}

// The result of the work, once done; what it threw is thrown again as it was thrown.
template <class T>
T TakeResult(QFuture<T>& future) {
    try {
        T result = future.takeResult();
        TakeOverBackgroundWork();
        return result;
    } catch (const QUnhandledException& wrapped) {
        TakeOverBackgroundWork();
        if (wrapped.exception()) {
            std::rethrow_exception(wrapped.exception());
        }
        throw;
    }
}
