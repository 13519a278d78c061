#pragma once

#include <memory>
#include <mutex>
#include <thread>

#include "core/Work.h"

// One background worker that runs queued items one after another, in the
// order they were queued, at below-normal priority.
class WorkPool {
public:
    static constexpr int DefaultStopWaitMilliseconds = 5000;
    static constexpr int EndWaitMilliseconds = 60000;
    // Added to the worker's nice value; Linux threads have their own.
    static constexpr int BelowNormalNiceIncrement = 5;

    WorkPool();
    WorkPool(const WorkPool&) = delete;
    WorkPool& operator=(const WorkPool&) = delete;
    // Stops with the default wait.
    ~WorkPool();

    // Starts the worker and returns once it runs. A second call does nothing.
    // False when the thread cannot be started; the pool then drops every item.
    bool Initialise();

    // Ownership passes to the pool. Before Initialise and after Stop the item
    // is destroyed unrun and false is returned.
    bool Queue(std::unique_ptr<IWork> item);

    // Asks the worker to end after the items queued before, waits up to
    // waitMilliseconds (0 = the default) for it to acknowledge and then for it
    // to end. A worker that does not acknowledge in time is left to finish its
    // current item on its own. Items still queued are dropped unrun.
    void Stop(int waitMilliseconds);

private:
    struct State;
    static void RunWorker(std::shared_ptr<State> state);
    static void CloseQueue(State& state);

    std::mutex threadLock_;
    std::thread thread_;
    std::shared_ptr<State> state_;
};

namespace Program {

// The program's one pool; it stops itself at process teardown.
WorkPool& Pool();

}  // namespace Program
