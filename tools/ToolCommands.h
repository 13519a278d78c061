#pragma once

#include <cstddef>
#include <cstdio>
#include <cstring>

// The command table of a command-line tool: each command has a Name, a Synopsis
// of its arguments and a Description.
namespace ToolCommands {

template <class Command, std::size_t Count>
const Command* Find(const Command (&commands)[Count], const char* name) {
    for (const Command& command : commands) {
        if (std::strcmp(command.Name, name) == 0) {
            return &command;
        }
    }
    return nullptr;
}

template <class Command, std::size_t Count>
void PrintUsage(const char* tool, const Command (&commands)[Count], std::FILE* to = stderr) {
    std::fprintf(to, "usage: %s COMMAND [ARGUMENTS]\n\ncommands:\n", tool);
    for (const Command& command : commands) {
        std::fprintf(to, "  %s%s%s\n      %s\n", command.Name, *command.Synopsis ? " " : "",
                     command.Synopsis, command.Description);
    }
}

}  // namespace ToolCommands
