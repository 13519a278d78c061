#pragma once

#include <functional>
#include <string>

#include "core/Work.h"

// Fetches one URL as text on the worker thread, for the update check.
class DownloadHttpWork : public IWork {
public:
    std::string Url;
    bool CheckVersion = false;
    // Receives the downloaded text when CheckVersion is set; runs on the worker thread.
    std::function<void(const std::string& text)> VersionCheck;

    // A failed download or check leaves no trace.
    void DoWork() override;
};
