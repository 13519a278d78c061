#pragma once

#include <stdexcept>
#include <string>

#include "core/DateTime.h"

// A command line the tool cannot act on; reported on one line with exit code 2.
class BadArguments : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The whole text must be one finite decimal number; `what` names it in the error.
double ParseNumber(const std::string& text, const char* what);

// Within [low, high], else BadArguments naming `what`.
double ParseNumberInRange(const std::string& text, const char* what, double low, double high);

// YYYY-MM-DD, a real calendar date; 0 h of that date, kind UTC.
DateTime ParseUtcDate(const std::string& text);

// YYYY-MM-DDTHH:MM:SSZ, a real calendar date and time of day; kind UTC.
DateTime ParseUtcTime(const std::string& text);

// 2026-06-21T12:42:07Z, truncated to whole seconds.
std::string FormatUtcTime(const DateTime& moment);

// The text as a JSON string, quotes included; control characters as \u escapes.
std::string JsonString(const std::string& text);
