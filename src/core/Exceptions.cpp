#include "core/Exceptions.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>

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

std::string CurrentExceptionText() {
    try {
        throw;
    } catch (const ApplicationException& error) {
        const std::string reason = FailureReason(error);
        return reason == error.Location ? reason : error.Location + ": " + reason;
    } catch (const CAtlException& error) {
        char text[40];
        std::snprintf(text, sizeof text, "CAtlException 0x%08X",
                      static_cast<unsigned>(error.Result));
        return text;
    } catch (const std::exception& error) {
        return error.what();
    } catch (...) {
        return "unknown failure";
    }
}
