#pragma once

#include <chrono>
#include <cstdint>

// Bounds that keep a stalled or oversized transfer from blocking the worker
// thread or filling memory. One set serves the whole process.
struct TransferLimits {
    std::chrono::milliseconds ConnectTimeout{30000};
    // A transfer slower than one byte per second for this long is abandoned.
    std::chrono::seconds LowSpeedTime{60};
    // Images and other files opened with InternetSession::OpenUrl.
    std::uint64_t MaxBinaryBytes = 64ull * 1024 * 1024;
    // Text fetched whole with Util::DownloadHttp.
    std::uint64_t MaxTextBytes = 1024ull * 1024;
    long MaxRedirects = 5;
};

TransferLimits CurrentTransferLimits();

// Returns the limits that were in force, so that a test can put them back.
TransferLimits SetTransferLimitsForTesting(const TransferLimits& limits);
