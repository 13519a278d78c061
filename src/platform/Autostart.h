#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The programs started at logon: one XDG autostart entry per name,
// $XDG_CONFIG_HOME/autostart/<name>.desktop, that starts the program with no arguments.

// Writes (or replaces) the entry atomically. Raises "AddStartupItem (1)" when there is no
// config folder, "AddStartupItem (2)" for a name that is no plain file name, and
// "AddStartupItem (3)" or the file writer's location when the file cannot be written.
void AddStartupItem(const std::string& name, const std::string& exePath);

// The program the entry starts; nullopt when there is no entry, it is hidden, or its
// Exec line cannot be read.
std::optional<std::string> StartupItemPath(const std::string& name);

namespace Util {

// Deletes the entry; a missing one is no failure, and no failure is reported.
void RemoveStartupItem(const std::string& name);

}  // namespace Util

// How desktop entry files (.desktop) quote and escape the program in their Exec key.
namespace DesktopEntryExec {

// The value that starts the program: quoted, with `"`, `` ` ``, `$` and `\` escaped inside
// the quotes, `%` doubled, then the string escapes of every value (`\\`, `\n`, `\t`, `\r`).
std::string Of(const std::string& program);

// The arguments of a value, every escape undone; field codes other than %% are dropped.
// Nullopt for an unterminated quote or a bad escape.
std::optional<std::vector<std::string>> Arguments(std::string_view value);

}  // namespace DesktopEntryExec
