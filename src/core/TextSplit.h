#pragma once

#include <string>
#include <string_view>
#include <vector>

// Cuts the text at every separator. Empty pieces are kept, and an empty text
// gives one empty piece, so a caller can always count fields.
std::vector<std::string> Split(std::string_view text, char separator);

// Reads one ";"-separated field of a writable line. The ";" is overwritten with
// a terminator and the cursor steps past it. The field that ends at a carriage
// return, line feed or the end of the text is the last one: the cursor is then
// cleared, and a further call raises "Tokenize (58)".
char* Tokenize(char*& cursor);
