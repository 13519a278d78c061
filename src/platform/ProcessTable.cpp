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

// The value of one variable of the process's environment as it started.
std::string EnvironmentValue(const std::filesystem::path& process, const std::string& name) {
    const std::string environment = ReadProcFile(process / "environ");
    const std::string prefix = name + "=";
    for (std::size_t start = 0; start < environment.size();) {
        const std::size_t end = std::min(environment.find('\0', start), environment.size());
        if (environment.compare(start, prefix.size(), prefix) == 0) {
            return environment.substr(start + prefix.size(), end - start - prefix.size());
        }
        start = end + 1;
    }
    return {};
}

}  // namespace

std::vector<Process> FindOwn(const std::string& name) {
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
        const char* display = std::getenv("WAYLAND_DISPLAY");
        if (comm != name.substr(0, 15) || !IsAlive(std::stoi(pid)) ||
            EnvironmentValue(entry.path(), "WAYLAND_DISPLAY") !=
                (display != nullptr ? display : "")) {
            continue;
        }
        Process process{std::stoi(pid), {}};
        const std::string line = ReadProcFile(entry.path() / "cmdline");
        for (std::size_t start = 0; start < line.size();) {
            const std::size_t end = line.find('\0', start);
            process.Arguments.push_back(line.substr(start, end - start));
            start = end == std::string::npos ? line.size() : end + 1;
        }
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
