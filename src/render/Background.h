#pragma once

#include <QFuture>
#include <QFutureInterface>
#include <QRunnable>
#include <QThreadPool>
#include <exception>
#include <type_traits>
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

namespace BackgroundDetail {

// One piece of work with the future of its result. The thread that takes it up
// first takes over what its starter handed over, before any of the work's own
// memory is read; what the work threw is kept for the waiter as it was thrown.
template <class Function, class Result>
class Task : public QRunnable {
public:
    explicit Task(Function function) : function_(std::move(function)) {}

    QFuture<Result> Future() { return promise_.future(); }

    // What runs on the future's result once the work is done, attached before
    // the work can start.
    template <class Context, class Continuation>
    void Then(Context* context, Continuation continuation) {
        promise_.future().then(context, std::move(continuation));
    }

    void Start() {
        promise_.setThreadPool(&BackgroundThreads());
        promise_.setRunnable(this);
        promise_.reportStarted();
        HandOverBackgroundWork();
        BackgroundThreads().start(this);
    }

    void run() override {
        TakeOverBackgroundWork();
        if (!promise_.isCanceled()) {
            try {
                if constexpr (std::is_void_v<Result>) {
                    function_();
                } else {
                    promise_.reportAndMoveResult(function_());
                }
            } catch (...) {
                promise_.reportException(std::current_exception());
            }
        }
        HandOverBackgroundWork();
        promise_.reportFinished();
    }

private:
    Function function_;
    QFutureInterface<Result> promise_;
};

template <class Function>
auto* NewTask(Function&& function) {
    using Stored = std::decay_t<Function>;
    return new Task<Stored, std::invoke_result_t<Stored&>>(std::forward<Function>(function));
}

}  // namespace BackgroundDetail

// Runs the work on the background; its future gives the result.
template <class Function>
auto RunInBackground(Function&& function) {
    auto* task = BackgroundDetail::NewTask(std::forward<Function>(function));
    auto future = task->Future();
    task->Start();
    return future;
}

// Runs the work on the background and then the continuation with its future on
// the context's thread. The context must outlive the work, as every object does
// that the program's background work is joined before.
template <class Function, class Context, class Continuation>
void RunInBackgroundThen(Function&& function, Context* context, Continuation continuation) {
    auto* task = BackgroundDetail::NewTask(std::forward<Function>(function));
    task->Then(context, std::move(continuation));
    task->Start();
}

namespace BackgroundDetail {

// Waits for the work; what it left, its exception too, is then this thread's.
template <class T>
void AwaitWork(QFuture<T>& future) {
    struct TakeOverAtEnd {
        ~TakeOverAtEnd() { TakeOverBackgroundWork(); }
    };
    const TakeOverAtEnd takeOver;
    future.waitForFinished();
}

}  // namespace BackgroundDetail

// Waits for the work to end; what it threw is thrown again as it was thrown.
inline void WaitFor(QFuture<void>& future) {
    BackgroundDetail::AwaitWork(future);
}

// The result of the work, once done; what it threw is thrown again as it was thrown.
template <class T>
T TakeResult(QFuture<T>& future) {
    BackgroundDetail::AwaitWork(future);
    return future.takeResult();
}
