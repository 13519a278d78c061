#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

// The line layout of the registry store files, shared by their reader and writer. Lines
// handed to the readers are already trimmed of blanks.
namespace RegistryText {

using Binary = std::vector<std::uint8_t>;
using Data = std::variant<std::string, Binary>;

struct NamedValue {
    std::string Name;
    Data Value;
};

// Byte length of the leading key-path parts the two paths share, ignoring ASCII case.
std::size_t SharedPartsLength(std::string_view stored, std::string_view wanted);

// Non-empty parts between single backslashes, UTF-8, without control characters.
bool IsValidKeyPath(std::string_view path);
// UTF-8 without NUL: what a value line can carry.
bool IsStorableText(std::string_view text);

// Without spaces, tabs and carriage returns at either end.
std::string_view TrimBlanks(std::string_view text);
// The first character that is not a blank; NUL when there is none.
char FirstVisible(std::string_view text);

std::string FormatKeyLine(std::string_view hive, std::string_view keyPath);
std::string FormatValueLine(std::string_view name, const Data& data);

// The key path of a "[hive\path]" line; nullopt for another hive or a damaged line.
std::optional<std::string_view> ParseKeyLine(std::string_view line, std::string_view hive);
// A "name"=value line; nullopt when any part of it is damaged.
std::optional<NamedValue> ParseValueLine(std::string_view line);

}  // namespace RegistryText
