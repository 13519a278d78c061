#include "core/WorkStop.h"

#include <condition_variable>
#include <mutex>
#include <utility>

namespace WorkStop {
namespace {

thread_local std::stop_token boundToken;

}  // namespace

std::stop_token Current() {
    return boundToken;
}

bool Requested() {
    return boundToken.stop_requested();
}

ThreadBinding::ThreadBinding(std::stop_token token)
    : previous_(std::exchange(boundToken, std::move(token))) {}

ThreadBinding::~ThreadBinding() {
    boundToken = std::move(previous_);
}

bool SleepFor(std::chrono::milliseconds duration) {
    std::mutex mutex;
    std::condition_variable_any wakeUp;
    std::unique_lock lock(mutex);
    const std::stop_token token = Current();
    wakeUp.wait_for(lock, token, duration, [] { return false; });
    return !token.stop_requested();
}

}  // namespace WorkStop
