#include "core/Exceptions.h"

#include <cerrno>
#include <cstdio>
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
        return error.Message.empty() ? error.Location : error.Location + ": " + error.Message;
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
