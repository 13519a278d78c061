#pragma once

#include <chrono>
#include <string>
#include <vector>

// How the desktop backends run the settings tools of a desktop (gsettings, xfconf-query,
// pcmanfm-qt); the tests put a recording runner in its place.
class CommandRunner {
public:
    struct Result {
        // The program ran to its end by itself with exit code 0.
        bool Succeeded = false;
        // What it wrote to its standard output.
        std::string Output;
    };

    virtual ~CommandRunner() = default;
    virtual Result Run(const std::string& program, const std::vector<std::string>& arguments) = 0;
};

// Runs the program directly (no shell), waiting at most the time-out; a program still
// running then is killed and counts as failed.
class ProcessCommandRunner : public CommandRunner {
public:
    explicit ProcessCommandRunner(std::chrono::milliseconds timeout = std::chrono::seconds(10))
        : timeout_(timeout) {}

    Result Run(const std::string& program, const std::vector<std::string>& arguments) override;

private:
    std::chrono::milliseconds timeout_;
};
