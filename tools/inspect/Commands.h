#pragma once

#include <string>
#include <vector>

// One subcommand of skyvane-inspect. Run gets the arguments after the subcommand's name,
// writes its answer to stdout and returns the exit code; it throws BadArguments for a
// command line it cannot act on.
struct Command {
    const char* Name;
    const char* Synopsis;
    const char* Description;
    int (*Run)(const std::vector<std::string>& arguments);
};

int RunSun(const std::vector<std::string>& arguments);
int RunZones(const std::vector<std::string>& arguments);
int RunZoneTime(const std::vector<std::string>& arguments);
int RunMetar(const std::vector<std::string>& arguments);
int RunDwml(const std::vector<std::string>& arguments);
int RunOpenMeteo(const std::vector<std::string>& arguments);
