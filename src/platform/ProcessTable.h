#pragma once

#include <optional>
#include <string>
#include <vector>

// The user's own background programs, as the wallpaper backends that run a program of
// their own (swaybg) see them: found by name in /proc, started detached so that they
// outlive the call, and ended.
namespace ProcessTable {

struct Process {
    int Pid = 0;
    // The command line, program first.
    std::vector<std::string> Arguments;
};

// This user's live processes whose program has that name and that talk to the same
// Wayland display as this process (a user may run two sessions).
std::vector<Process> FindOwn(const std::string& name);
// Whether such a process runs.
bool RunsOwn(const std::string& name);
// Starts the program (searched on PATH) without waiting for it; its pid, or nullopt
// when it could not start.
std::optional<int> StartDetached(const std::vector<std::string>& arguments);
// Whether the process still runs (not ended, not a zombie).
bool IsAlive(int pid);
// Asks the process to end (SIGTERM).
void End(int pid);

}  // namespace ProcessTable
