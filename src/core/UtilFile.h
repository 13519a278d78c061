#pragma once

#include <string>
#include <string_view>

namespace UtilFile {

// The whole file, byte for byte.
std::string ReadFileAscii(const std::string& path);
// Creates or truncates the file and writes all of the text; a write that cannot
// be completed raises rather than leaving a cut-off file reported as saved.
void WriteFileAscii(const std::string& path, std::string_view text);

}  // namespace UtilFile
