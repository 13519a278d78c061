#include "core/Exceptions.h"

#include <cerrno>

namespace {

std::uint32_t CaptureLastError() {
    return static_cast<std::uint32_t>(errno);
}

}  // namespace

ApplicationException::ApplicationException(const char* location, const char* message)
    : LastError(CaptureLastError()),
      Location(location != nullptr ? location : ""),
      Message(message != nullptr ? message : "") {}

void RaiseError(const char* location) {
    throw ApplicationException(location);
}

void RaiseError(const char* location, const char* message) {
    throw ApplicationException(location, message);
}

int RaiseUnlessHttpSuccess(int status, const char* location) {
    if (status < 200 || status > 299) {
        RaiseError(location);
    }
    return status;
}
