#pragma once

#include <stdexcept>

// A command line the tool cannot act on; reported on one line with exit code 2.
class BadArguments : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// An input that cannot be read or an output that cannot be written; exit code 1.
class ToolFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
