#pragma once

#include <cstddef>
#include <string_view>

// The platform layer keeps all text as UTF-8; these answer what the wide-character
// interfaces it stands in for would have seen.
namespace Utf8 {

// Well-formed UTF-8: no stray continuation bytes, overlong forms, surrogates or
// code points beyond U+10FFFF.
bool IsValid(std::string_view text);

// The number of UTF-16 code units the text becomes as a wide string. The text must be valid.
std::size_t WideLength(std::string_view text);

}  // namespace Utf8
