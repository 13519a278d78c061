#pragma once

#include <cstddef>
#include <optional>
#include <string>

// The user's own files: "Options.txt", "Settings.txt", "Cities.txt" and "TimeZones.txt".
namespace UserFiles {

// Far above anything the program writes, far below what would hurt to hold in memory.
inline constexpr std::size_t MaximumBytes = std::size_t{4} << 20;

// The file's content; nullopt when nothing of that name exists. Whatever exists
// but cannot be read (no permission, a folder, a FIFO, a device, a link to none
// of them, a file over MaximumBytes) leaves one line on lcData and raises as
// UtilFile::ReadFileAscii does.
std::optional<std::string> Read(const std::string& path);

}  // namespace UserFiles
