#pragma once

#include <cstdint>
#include <string>

// The program's one exception family. Every raise site passes a fixed location
// text ("Class::Method (N)") so that a failure can be traced to its origin.
// Handlers never select by type; the derived types exist for the few callers
// (and tests) that care about the kind of argument error.
class ApplicationException {
public:
    // Captures errno before anything else runs, so string allocation cannot
    // overwrite the error that caused the raise. A null text gives an empty string.
    explicit ApplicationException(const char* location, const char* message = nullptr);

    std::uint32_t LastError;
    std::string Location;
    std::string Message;
    std::string Remarks;
};

class ArgumentException : public ApplicationException {
public:
    using ApplicationException::ApplicationException;
};

// Not a kind of ArgumentException: a handler for that type must not catch these.
class ArgumentNullException : public ApplicationException {
public:
    using ApplicationException::ApplicationException;
};

class ArgumentOutOfRangeException : public ApplicationException {
public:
    using ApplicationException::ApplicationException;
};

class OverflowException : public ApplicationException {
public:
    using ApplicationException::ApplicationException;
};

// The string and container library's own failure: an HRESULT-style code only.
// Raised for out-of-bounds reads (E_INVALIDARG) and null names (E_FAIL).
class CAtlException {
public:
    static constexpr std::int32_t E_OUTOFMEMORY = static_cast<std::int32_t>(0x8007000E);
    static constexpr std::int32_t E_INVALIDARG = static_cast<std::int32_t>(0x80070057);
    static constexpr std::int32_t E_FAIL = static_cast<std::int32_t>(0x80004005);

    explicit CAtlException(std::int32_t result) : Result(result) {}

    std::int32_t Result;
};

[[noreturn]] void RaiseError(const char* location);
[[noreturn]] void RaiseError(const char* location, const char* message);

// Why the failure happened, for a log line or the command line: the message when
// there is one, else the system's text for LastError, else the location.
std::string FailureReason(const ApplicationException& error);

// Inside a catch block: what the exception in flight says, for a log line.
std::string CurrentExceptionText();

// Returns the status when it lies in 200..299, raises with the location otherwise.
int RaiseUnlessHttpSuccess(int status, const char* location);
