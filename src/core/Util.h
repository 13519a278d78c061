#pragma once

#include <string>
#include <string_view>

#include "core/CPoint.h"
#include "core/Color.h"
#include "core/DateTime.h"
#include "core/FontValue.h"

// Strict parsers and writers for the value texts of the program's data files.
// Every parser raises on the first thing it does not accept; callers decide
// what a failure means. The Parse overloads leave the target untouched when
// they raise, so a damaged value keeps the previous one.
namespace Util {

// Optional blanks and sign, then digits; blanks between and after the digits
// are ignored. Wraps silently on 32-bit overflow, as the stored files expect.
int ParseInt(const char* text);
// strtod syntax in the "C" locale, whatever the user's locale. A zero result
// is taken only when the text starts with "0", so "-0" and "abc" raise; so do
// "nan", "inf" and numbers beyond the range of a double.
double ParseDouble(const char* text);
// Exactly count decimal digits from index start. Reading past the end raises
// CAtlException(E_INVALIDARG).
int ParseDigits(std::string_view text, int start, int count);

// A null text reads as empty text.
void Parse(const char* text, bool& value);
void Parse(const char* text, Color& value);
void Parse(const char* text, CPoint& value);
void Parse(const char* text, DateTime& value);
// "Family,Size,Style"; the family is taken as it stands.
FontValue ParseFont(const char* text);

std::string ToString(int value);
std::string ToString(double value);  // "%.3f", always with "." as decimal point

// Each writes key, "=", the value text and "\r\n" to an open file descriptor.
// Interrupted and partial writes are resumed; a failed write raises.
void WriteToFileAscii(int fd, std::string_view key, bool value);
void WriteToFileAscii(int fd, std::string_view key, int value);
void WriteToFileAscii(int fd, std::string_view key, const std::string& value);
void WriteToFileAscii(int fd, std::string_view key, const char* value);  // the bytes as they are
void WriteToFileAscii(int fd, std::string_view key, const FontValue& value);
void WriteToFileAscii(int fd, std::string_view key, Color value);
void WriteToFileAscii(int fd, std::string_view key, const CPoint& value);
void WriteToFileAscii(int fd, std::string_view key, const DateTime& value);

// Appends the path separator "/" unless the path already ends with one.
std::string AppendBackslash(std::string_view path);
// Creates the folder (one level) unless it exists. A path that exists but is
// not a folder raises too, since nothing could be stored under it.
void EnsureDirectoryExists(const std::string& path);

}  // namespace Util
