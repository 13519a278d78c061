#include "core/ErrorDisplay.h"

#include <cstdio>
#include <mutex>
#include <utility>

namespace {

std::mutex displayMutex;
ErrorDisplayFunction installedDisplay;

void WriteToStandardError(const std::string& text, const std::string& caption) {
    const std::string line = caption + ": " + text + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

}  // namespace

void SetErrorDisplay(ErrorDisplayFunction display) {
    const std::lock_guard lock(displayMutex);
    installedDisplay = std::move(display);
}

void ShowError(const std::string& text, const std::string& caption) {
    ErrorDisplayFunction display;
    {
        const std::lock_guard lock(displayMutex);
        display = installedDisplay;
    }
    // Called outside the lock: a message box runs its own event loop, which
    // may well lead to another ShowError or to a new display being installed.
    if (display) {
        display(text, caption);
    } else {
        WriteToStandardError(text, caption);
    }
}
