#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "weather/WeatherDownloadWork.h"

class COptions;
class QImage;

// The private messages by which the worker reaches the hidden window; the
// numbers are shared with other processes of the program.
namespace WorkMessage {
inline constexpr unsigned WeatherPartial = 1124;
inline constexpr unsigned WeatherDone = 1125;
inline constexpr unsigned NewVersion = 1126;
inline constexpr unsigned CloudImage = 1127;
}  // namespace WorkMessage

// The hidden window as the worker sees it: a queue for the main thread.
class IHiddenWindowPoster {
public:
    // True when the message was queued. For the cloud image wParam is the
    // QImage*, owned by the receiver only when this returns true.
    virtual bool Post(unsigned message, std::uintptr_t wParam) = 0;
    virtual bool Exists() const = 0;
    virtual ~IHiddenWindowPoster() = default;
};

namespace Program {

inline constexpr int CloudImageAttempts = 11;
inline constexpr int CloudImageRetryMilliseconds = 5000;

// Null while no hidden window exists. Once a replacement returns, no post
// through the previous poster is in progress.
void SetHiddenWindowPoster(IHiddenWindowPoster* poster);

// Worker thread: keeps the report for the main thread (discarded while
// exiting) and, with postNow, posts the partial-result message.
void PushWeatherResult(std::unique_ptr<CWeatherReport> report, bool postNow);
// Main thread: applies every kept report to its city by the merge rule of the
// cities; reports of cities that no longer exist are dropped. False when
// there was nothing to take.
bool TakeWeatherResults(COptions& options);

// Each posts its message unless the program is exiting; false when not posted.
bool PostWeatherDone();
bool PostWeatherPartial();
bool PostNewVersion();

// Hands the image to the hidden window, retrying while the window exists and
// the program is not exiting; the image is released when it is not delivered.
bool PostCloudImage(std::unique_ptr<QImage> image);
// The pause between two attempts; null restores the real sleep.
void SetCloudImageRetryDelay(std::function<void(int milliseconds)> delay);

// Forwards a weather item's results to the functions above; lives for the process.
IWeatherResultSink& WeatherResultSink();

}  // namespace Program
