#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace TestSupport {

// The test's own environment with some variables replaced (a value) or removed (nullopt).
inline std::vector<std::string> EnvironmentWith(
    const std::map<std::string, std::optional<std::string>>& changes) {
    std::vector<std::string> result;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string line = *entry;
        if (changes.count(line.substr(0, line.find('='))) == 0) {
            result.push_back(line);
        }
    }
    for (const auto& [name, value] : changes) {
        if (value) {
            result.push_back(name + "=" + *value);
        }
    }
    return result;
}

// A program started as a user would start it; killed when the test forgets it. Its
// standard error goes to errorFile and its standard output to outputFile when named.
class ProgramRun {
public:
    ProgramRun(const std::string& path, const std::vector<std::string>& arguments,
               const std::vector<std::string>& environment, const std::string& errorFile = {},
               const std::string& outputFile = {}) {
        std::vector<char*> argv{const_cast<char*>(path.c_str())};
        for (const std::string& argument : arguments) {
            argv.push_back(const_cast<char*>(argument.c_str()));
        }
        argv.push_back(nullptr);
        std::vector<char*> envp;
        for (const std::string& line : environment) {
            envp.push_back(const_cast<char*>(line.c_str()));
        }
        envp.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        ::posix_spawn_file_actions_init(&actions);
        if (!errorFile.empty()) {
            ::posix_spawn_file_actions_addopen(&actions, 2, errorFile.c_str(),
                                               O_WRONLY | O_CREAT | O_TRUNC, 0644);
        }
        if (!outputFile.empty()) {
            ::posix_spawn_file_actions_addopen(&actions, 1, outputFile.c_str(),
                                               O_WRONLY | O_CREAT | O_TRUNC, 0644);
        }
        const int spawned =
            ::posix_spawn(&pid_, path.c_str(), &actions, nullptr, argv.data(), envp.data());
        ::posix_spawn_file_actions_destroy(&actions);
        if (spawned != 0) {
            throw std::runtime_error("cannot start " + path);
        }
    }
    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;
    ~ProgramRun() {
        if (!exitCode_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }

    bool Running() { return !Poll(); }
    pid_t Pid() const { return pid_; }
    void Signal(int signalNumber) { ::kill(pid_, signalNumber); }

    // The exit code (minus the signal for a program a signal killed), or nullopt while it
    // still runs.
    std::optional<int> WaitForExit(std::chrono::milliseconds limit) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (!Poll() && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return exitCode_;
    }

private:
    bool Poll() {
        if (exitCode_) {
            return true;
        }
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
        }
        return exitCode_.has_value();
    }

    pid_t pid_ = 0;
    std::optional<int> exitCode_;
};

// Polls the condition until it holds or the limit passes.
inline bool Eventually(const std::function<bool()>& condition,
                       std::chrono::milliseconds limit = std::chrono::seconds(15)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

}  // namespace TestSupport
