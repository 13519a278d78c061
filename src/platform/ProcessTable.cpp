#include "platform/ProcessTable.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QProcess>
#include <QStringList>
#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "core/TextSplit.h"

namespace ProcessTable {
namespace {

// /proc's files tell no size: read until the end.
std::string ReadProcFile(const std::filesystem::path& path) {
    std::string text;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return text;
    }
    char buffer[4096];
    ssize_t count = 0;
    while ((count = ::read(fd, buffer, sizeof buffer)) > 0 && text.size() < (1U << 20)) {
        text.append(buffer, static_cast<std::size_t>(count));
    }
    ::close(fd);
    return text;
}

// The NUL-separated strings of a /proc file (a command line, an environment).
std::vector<std::string> ProcStrings(const std::filesystem::path& path) {
    const std::string text = ReadProcFile(path);
    if (text.empty()) {
        return {};
    }
    // Each string ends in a NUL: the piece after the last one is no string.
    std::vector<std::string> strings = Split(text, '\0');
    if (text.back() == '\0') {
        strings.pop_back();
    }
    return strings;
}

// The value of one variable of the process's environment as it started.
std::string EnvironmentValue(const std::filesystem::path& process, const std::string& name) {
    const std::string prefix = name + "=";
    for (const std::string& entry : ProcStrings(process / "environ")) {
        if (entry.rfind(prefix, 0) == 0) {
            return entry.substr(prefix.size());
        }
    }
    return {};
}

}  // namespace

std::vector<Process> FindOwn(const std::string& name) {
    const char* variable = std::getenv("WAYLAND_DISPLAY");
    const std::string display = variable != nullptr ? variable : "";
    std::vector<Process> found;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", error)) {
        const std::string pid = entry.path().filename().string();
        if (pid.find_first_not_of("0123456789") != std::string::npos) {
            continue;
        }
        struct stat status {};
        if (::stat(entry.path().c_str(), &status) != 0 || status.st_uid != ::getuid()) {
            continue;
        }
        std::string comm = ReadProcFile(entry.path() / "comm");
        if (!comm.empty() && comm.back() == '\n') {
            comm.pop_back();
        }
        // The kernel keeps 15 bytes of the name.
        if (comm != name.substr(0, 15) || !IsAlive(std::stoi(pid)) ||
            EnvironmentValue(entry.path(), "WAYLAND_DISPLAY") != display) {
            continue;
        }
        Process process{std::stoi(pid), ProcStrings(entry.path() / "cmdline")};
        if (!process.Arguments.empty()) {
            found.push_back(std::move(process));
        }
    }
    return found;
}

bool RunsOwn(const std::string& name) {
    return !FindOwn(name).empty();
}

std::optional<int> StartDetached(const std::vector<std::string>& arguments) {
    if (arguments.empty()) {
        return std::nullopt;
    }
    QStringList rest;
    for (std::size_t index = 1; index < arguments.size(); ++index) {
        rest << QString::fromStdString(arguments[index]);
    }
    QProcess process;
    process.setProgram(QString::fromStdString(arguments.front()));
    process.setArguments(rest);
    // What it says is for a terminal, not for this program's own output.
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    qint64 pid = 0;
    if (!process.startDetached(&pid) || pid <= 0) {
        return std::nullopt;
    }
    return static_cast<int>(pid);
}

bool IsAlive(int pid) {
    const std::string status = ReadProcFile("/proc/" + std::to_string(pid) + "/stat");
    // "pid (comm) S ...": the state follows the last parenthesis.
    const std::size_t close = status.rfind(')');
    return close != std::string::npos && close + 2 < status.size() && status[close + 2] != 'Z' &&
           status[close + 2] != 'X';
}

void End(int pid) {
    if (pid > 0) {
        ::kill(pid, SIGTERM);
    }
}

}  // namespace ProcessTable
