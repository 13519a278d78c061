#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace UtilFile {

// The whole file, byte for byte.
std::string ReadFileAscii(const std::string& path);
// Creates or truncates the file and writes all of the text; a write that cannot
// be completed raises rather than leaving a cut-off file reported as saved.
void WriteFileAscii(const std::string& path, std::string_view text);

// A regular file, or a link that leads to one.
bool IsRegularFile(const std::string& path);

// Writes every byte, resuming after interruptions and partial writes. False,
// with errno set, when the descriptor takes no more.
bool WriteAll(int fd, std::string_view bytes);

// Flushes the folder that holds path, so that a rename there reaches the disk.
// Best effort: a folder that cannot be synced leaves the rename as durable as
// the file system makes it anyway.
void SyncFolderOf(const std::string& path);

}  // namespace UtilFile
