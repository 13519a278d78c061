#include "core/Exceptions.h"

#include <cerrno>
#include <cstring>

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

std::string FailureReason(const ApplicationException& error) {
    if (!error.Message.empty()) {
        return error.Message;
    }
    if (error.LastError != 0) {
        return std::strerror(static_cast<int>(error.LastError));
    }
    return error.Location;
}

int RaiseUnlessHttpSuccess(int status, const char* location) {
    if (status < 200 || status > 299) {
        RaiseError(location);
    }
    return status;
}
