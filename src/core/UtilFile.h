#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace UtilFile {

inline constexpr std::size_t MiB = std::size_t{1} << 20;

// The whole file, byte for byte, when it is a regular file (a link to one is
// followed) of at most maxBytes. Anything else is refused without blocking and
// without reading more than maxBytes + 1 bytes, so neither a FIFO, a device nor
// a file that grows while it is read can hang the caller or fill its memory.
// A file that cannot be opened, and one that is not a regular file, raises
// "UtilFile::ReadFileAscii (12)"; a failed size query and a file over the limit
// "UtilFile::ReadFileAscii (13)"; a failed read "UtilFile::ReadFileAscii (17)".
// The exception's Message says why.
std::string ReadFileAscii(const std::string& path, std::size_t maxBytes);
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
