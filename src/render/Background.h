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

template <class Function>
auto RunInBackground(Function&& function) {
    return QtConcurrent::run(&BackgroundThreads(), std::forward<Function>(function));
}

// The result of the work, once done; what it threw is thrown again as it was thrown.
template <class T>
T TakeResult(QFuture<T>& future) {
    try {
        return future.takeResult();
    } catch (const QUnhandledException& wrapped) {
        if (wrapped.exception()) {
            std::rethrow_exception(wrapped.exception());
        }
        throw;
    }
}
