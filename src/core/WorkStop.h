#pragma once

#include <chrono>
#include <stop_token>

// The stop request that background work watches. Whoever owns a worker thread
// binds its stop token to that thread; whatever may block there (a transfer, a
// pause between attempts) asks it, so that a stop is prompt and no thread is
// ever left behind.
namespace WorkStop {

// The calling thread's token; one that never stops where none is bound.
std::stop_token Current();
bool Requested();

// Binds a token to the calling thread for as long as the binding lives.
class ThreadBinding {
public:
    explicit ThreadBinding(std::stop_token token);
    ThreadBinding(const ThreadBinding&) = delete;
    ThreadBinding& operator=(const ThreadBinding&) = delete;
    ~ThreadBinding();

private:
    std::stop_token previous_;
};

// Waits for the duration, or less when a stop is requested; false then.
bool SleepFor(std::chrono::milliseconds duration);

}  // namespace WorkStop
