#pragma once

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <stop_token>
#include <thread>

#include "core/Work.h"

// One background worker that runs queued items one after another, in the
// order they were queued, at below-normal priority. The worker's stop token
// (WorkStop) ends its transfers and pauses when the pool stops, so the pool
// always joins its worker.
class WorkPool {
public:
    static constexpr int DefaultStopWaitMilliseconds = 5000;
    // Added to the worker's nice value; Linux threads have their own.
    static constexpr int BelowNormalNiceIncrement = 5;

    WorkPool() = default;
    WorkPool(const WorkPool&) = delete;
    WorkPool& operator=(const WorkPool&) = delete;
    // Stops with the default wait.
    ~WorkPool();

    // Starts the worker and returns once it runs. A second call does nothing.
    // False when the thread cannot be started or the pool has stopped.
    bool Initialise();

    // Ownership passes to the pool. Before Initialise and after Stop the item
    // is destroyed unrun and false is returned.
    bool Queue(std::unique_ptr<IWork> item);

    // Lets the worker go on with the items queued before for up to
    // waitMilliseconds (0 = the default); then asks the running item to stop
    // (its transfers and pauses end within about a second), drops the items
    // still queued unrun and joins the worker.
    void Stop(int waitMilliseconds);

private:
    void RunWorker();
    void CloseQueue();

    // Held by Initialise and Stop only.
    std::mutex threadLock_;
    std::thread thread_;
    std::stop_source stop_;

    std::mutex lock_;
    std::condition_variable changed_;
    // A null entry is a stop request.
    std::deque<std::unique_ptr<IWork>> entries_;
    bool started_ = false;
    bool stopReached_ = false;
    bool closed_ = false;
};
