#include "net/TransferLimits.h"

#include <mutex>

namespace {

std::mutex& LimitsMutex() {
    static std::mutex mutex;
    return mutex;
}

TransferLimits& Limits() {
    static TransferLimits limits;
    return limits;
}

}  // namespace

TransferLimits CurrentTransferLimits() {
    const std::lock_guard lock(LimitsMutex());
    return Limits();
}

TransferLimits SetTransferLimitsForTesting(const TransferLimits& limits) {
    const std::lock_guard lock(LimitsMutex());
    const TransferLimits previous = Limits();
    Limits() = limits;
    return previous;
}
