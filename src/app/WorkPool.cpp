#include "app/WorkPool.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <utility>

#include "app/AppLog.h"
#include "core/Exceptions.h"
#include "core/WorkStop.h"

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
        qCWarning(lcApp) << "a background item failed as it ended:"
                         << CurrentExceptionText().c_str();
    }
}

}  // namespace

WorkPool::~WorkPool() {
    try {
        Stop(0);
    } catch (...) {
        qCWarning(lcApp) << "the background work did not stop cleanly:"
                         << CurrentExceptionText().c_str();
    }
}

bool WorkPool::Initialise() {
    std::lock_guard threads(threadLock_);
    if (thread_.joinable()) {
        return true;
    }
    {
        std::lock_guard lock(lock_);
        if (closed_) {
            return false;
        }
    }
    try {
        thread_ = std::thread(&WorkPool::RunWorker, this);
    } catch (...) {
        qCWarning(lcApp) << "the background worker cannot start:" << CurrentExceptionText().c_str();
        return false;
    }
    std::unique_lock lock(lock_);
    changed_.wait(lock, [this] { return started_; });
    return true;
}

bool WorkPool::Queue(std::unique_ptr<IWork> item) {
    if (!item) {
        return false;
    }
    {
        std::lock_guard lock(lock_);
        if (started_ && !closed_) {
            entries_.push_back(std::move(item));
            changed_.notify_all();
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
        std::unique_lock lock(lock_);
        entries_.push_back(nullptr);
        changed_.notify_all();
        changed_.wait_for(lock, wait, [this] { return stopReached_; });
    }
    stop_.request_stop();
    CloseQueue();
    if (thread_.joinable()) {
        thread_.join();
    }
}

void WorkPool::CloseQueue() {
    std::deque<std::unique_ptr<IWork>> dropped;
    {
        std::lock_guard lock(lock_);
        closed_ = true;
        dropped.swap(entries_);
        changed_.notify_all();
    }
    for (std::unique_ptr<IWork>& item : dropped) {
        DestroyCatchingAll(item);
    }
}

void WorkPool::RunWorker() {
    LowerThreadPriority();
    const WorkStop::ThreadBinding binding(stop_.get_token());
    std::unique_lock lock(lock_);
    started_ = true;
    changed_.notify_all();
    while (true) {
        changed_.wait(lock, [this] { return closed_ || !entries_.empty(); });
        if (closed_) {
            break;
        }
        std::unique_ptr<IWork> item = std::move(entries_.front());
        entries_.pop_front();
        if (!item) {
            stopReached_ = true;
            changed_.notify_all();
            break;
        }
        lock.unlock();
        try {
            item->DoWork();
        } catch (...) {
            qCWarning(lcApp) << "a background item failed:" << CurrentExceptionText().c_str();
        }
        DestroyCatchingAll(item);
        lock.lock();
    }
}
