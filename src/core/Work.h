#pragma once

// A job for the background worker: made on the main thread, owned by the pool
// once queued, run and destroyed on the worker thread. It never touches a
// window; results go back through the hand-back interfaces of its owner.
class IWork {
public:
    virtual void DoWork() = 0;
    virtual ~IWork() = default;
};
