#include "app/WorkPool.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <utility>

// Shared by the pool and its thread, so that a worker abandoned at exit still
// finds it after the pool is gone.
struct WorkPool::State {
    std::mutex Lock;
    std::condition_variable Changed;
    // A null entry is a stop request.
    std::deque<std::unique_ptr<IWork>> Entries;
    bool Started = false;
    bool StopperWaiting = false;
    bool Acknowledged = false;
    bool Closed = false;
    bool Ended = false;
};

namespace {

void LowerThreadPriority() {
    const pid_t thread = gettid();
    errno = 0;
    const int nice = getpriority(PRIO_PROCESS, static_cast<id_t>(thread));
    if (errno != 0) {
        return;
    }
    // A failure leaves the worker at normal priority, which only costs responsiveness.
    setpriority(PRIO_PROCESS, static_cast<id_t>(thread),
                std::min(nice + WorkPool::BelowNormalNiceIncrement, 19));
}

void DestroyCatchingAll(std::unique_ptr<IWork>& item) {
    try {
        item.reset();
    } catch (...) {
    }
}

}  // namespace

WorkPool::WorkPool() : state_(std::make_shared<State>()) {}

WorkPool::~WorkPool() {
    try {
        Stop(0);
    } catch (...) {
    }
}

bool WorkPool::Initialise() {
    std::lock_guard threads(threadLock_);
    if (thread_.joinable()) {
        return true;
    }
    {
        std::lock_guard lock(state_->Lock);
        if (state_->Closed) {
            return false;
        }
    }
    try {
        thread_ = std::thread(&WorkPool::RunWorker, state_);
    } catch (...) {
        return false;
    }
    std::unique_lock lock(state_->Lock);
    state_->Changed.wait(lock, [this] { return state_->Started; });
    return true;
}

bool WorkPool::Queue(std::unique_ptr<IWork> item) {
    if (!item) {
        return false;
    }
    {
        std::lock_guard lock(state_->Lock);
        if (state_->Started && !state_->Closed) {
            state_->Entries.push_back(std::move(item));
            state_->Changed.notify_all();
            return true;
        }
    }
    DestroyCatchingAll(item);
    return false;
}

void WorkPool::Stop(int waitMilliseconds) {
    const auto wait = std::chrono::milliseconds(waitMilliseconds > 0 ? waitMilliseconds
                                                                     : DefaultStopWaitMilliseconds);
    std::lock_guard threads(threadLock_);
    if (thread_.joinable()) {
        std::unique_lock lock(state_->Lock);
        state_->Entries.push_back(nullptr);
        state_->StopperWaiting = true;
        state_->Changed.notify_all();
        const bool acknowledged =
            state_->Changed.wait_for(lock, wait, [this] { return state_->Acknowledged; });
        state_->StopperWaiting = false;
        const bool ended = acknowledged && state_->Changed.wait_for(
                                               lock, std::chrono::milliseconds(EndWaitMilliseconds),
                                               [this] { return state_->Ended; });
        lock.unlock();
        if (ended) {
            thread_.join();
        } else {
            // The worker holds its own reference to the shared state and
            // ends by itself once its current item returns.
            thread_.detach();
        }
    }
    CloseQueue(*state_);
}

void WorkPool::CloseQueue(State& state) {
    std::deque<std::unique_ptr<IWork>> dropped;
    {
        std::lock_guard lock(state.Lock);
        state.Closed = true;
        dropped.swap(state.Entries);
        state.Changed.notify_all();
    }
    for (std::unique_ptr<IWork>& item : dropped) {
        DestroyCatchingAll(item);
    }
}

// Holding the state by value keeps it alive for a worker that outlives its pool.
void WorkPool::RunWorker(std::shared_ptr<State> shared) {
    State& state = *shared;
    LowerThreadPriority();
    std::unique_lock lock(state.Lock);
    state.Started = true;
    state.Changed.notify_all();
    while (true) {
        state.Changed.wait(lock, [&state] { return state.Closed || !state.Entries.empty(); });
        if (state.Closed) {
            break;
        }
        std::unique_ptr<IWork> item = std::move(state.Entries.front());
        state.Entries.pop_front();
        if (!item) {
            // A stop request whose stopper has given up is ignored.
            if (state.StopperWaiting) {
                state.Acknowledged = true;
                break;
            }
            continue;
        }
        lock.unlock();
        try {
            item->DoWork();
        } catch (...) {
        }
        DestroyCatchingAll(item);
        lock.lock();
    }
    state.Ended = true;
    state.Changed.notify_all();
}

namespace Program {

WorkPool& Pool() {
    static WorkPool pool;
    return pool;
}

}  // namespace Program
