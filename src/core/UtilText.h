#pragma once

#include <string>
#include <string_view>

// Trimming and case folding for the program's narrow texts: file names, keys,
// switches, codes. Only ASCII letters fold, whatever the user's locale; every
// other byte stays as it is.
namespace UtilText {

// What isspace() means in the "C" locale.
inline constexpr std::string_view WhiteSpace = " \t\r\n\v\f";

// Without any of the given characters at either end.
std::string_view Trim(std::string_view text, std::string_view characters = WhiteSpace);

char ToLowerAscii(char character);
std::string ToLowerAscii(std::string text);
std::string ToUpperAscii(std::string text);

bool EqualsIgnoringAsciiCase(std::string_view left, std::string_view right);
bool EndsWithIgnoringAsciiCase(std::string_view text, std::string_view suffix);

}  // namespace UtilText
