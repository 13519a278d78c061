#pragma once

#include <string>

// The desktops' settings name pictures by file:// URI, by path, or (older ones) by either.
namespace FileUri {

// The file:// URI of an absolute path, every reserved byte percent-encoded.
std::string FromPath(const std::string& path);

// The path a file:// URI names; any other text is taken as a path already.
std::string ToPath(const std::string& uriOrPath);

}  // namespace FileUri
