#include "platform/RegistryText.h"

#include "core/UtilText.h"
#include "platform/Utf8.h"

namespace {

constexpr std::string_view Blanks = " \t\r";
constexpr std::string_view HexDigits = "0123456789abcdef";
constexpr std::string_view HexPrefix = "hex:";

void AppendQuoted(std::string& out, std::string_view text) {
    out += '"';
    for (const char character : text) {
        switch (character) {
            case '\\':
                out += "\\\\";
                break;
            case '"':
                out += "\\\"";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                out += character;
        }
    }
    out += '"';
}

// Reads the quoted text whose opening quote is at position and leaves position after the
// closing quote.
std::optional<std::string> ReadQuoted(std::string_view line, std::size_t& position) {
    std::string text;
    for (std::size_t index = position + 1; index < line.size(); ++index) {
        const char character = line[index];
        if (character == '"') {
            position = index + 1;
            if (!Utf8::IsValid(text)) {
                return std::nullopt;
            }
            return text;
        }
        if (character != '\\') {
            text += character;
            continue;
        }
        if (++index == line.size()) {
            return std::nullopt;
        }
        switch (line[index]) {
            case '\\':
                text += '\\';
                break;
            case '"':
                text += '"';
                break;
            case 'n':
                text += '\n';
                break;
            case 'r':
                text += '\r';
                break;
            default:
                return std::nullopt;
        }
    }
    return std::nullopt;
}

int HexValue(char character) {
    const std::size_t found = HexDigits.find(UtilText::ToLowerAscii(character));
    return found == std::string_view::npos ? -1 : static_cast<int>(found);
}

// "01,ff,00": two hex digits per byte, commas between, nothing else.
std::optional<RegistryText::Binary> ReadHex(std::string_view text) {
    RegistryText::Binary bytes;
    if (text.empty()) {
        return bytes;
    }
    if (text.size() % 3 != 2) {
        return std::nullopt;
    }
    for (std::size_t index = 0; index < text.size(); index += 3) {
        const int high = HexValue(text[index]);
        const int low = HexValue(text[index + 1]);
        if (high < 0 || low < 0 || (index + 2 < text.size() && text[index + 2] != ',')) {
            return std::nullopt;
        }
        bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
    }
    return bytes;
}

}  // namespace

std::size_t RegistryText::SharedPartsLength(std::string_view stored, std::string_view wanted) {
    std::size_t shared = 0;
    for (std::size_t index = 0;; ++index) {
        const bool storedBreak = index == stored.size() || stored[index] == '\\';
        const bool wantedBreak = index == wanted.size() || wanted[index] == '\\';
        if (storedBreak && wantedBreak) {
            shared = index;
            if (index == stored.size() || index == wanted.size()) {
                return shared;
            }
        } else if (storedBreak || wantedBreak ||
                   UtilText::ToLowerAscii(stored[index]) != UtilText::ToLowerAscii(wanted[index])) {
            return shared;
        }
    }
}

bool RegistryText::IsValidKeyPath(std::string_view path) {
    if (path.empty() || !Utf8::IsValid(path)) {
        return false;
    }
    bool partEmpty = true;
    for (const char character : path) {
        if (character == '\\') {
            if (partEmpty) {
                return false;
            }
            partEmpty = true;
        } else if (static_cast<unsigned char>(character) < 0x20 || character == 0x7F) {
            return false;
        } else {
            partEmpty = false;
        }
    }
    return !partEmpty;
}

bool RegistryText::IsStorableText(std::string_view text) {
    return text.find('\0') == std::string_view::npos && Utf8::IsValid(text);
}

std::string_view RegistryText::TrimBlanks(std::string_view text) {
    return UtilText::Trim(text, Blanks);
}

char RegistryText::FirstVisible(std::string_view text) {
    const std::size_t first = text.find_first_not_of(Blanks);
    return first == std::string_view::npos ? '\0' : text[first];
}

std::string RegistryText::FormatKeyLine(std::string_view hive, std::string_view keyPath) {
    std::string line = "[";
    line += hive;
    line += '\\';
    line += keyPath;
    line += ']';
    return line;
}

std::string RegistryText::FormatValueLine(std::string_view name, const Data& data) {
    std::string line;
    if (name.empty()) {
        line += '@';
    } else {
        AppendQuoted(line, name);
    }
    line += '=';
    if (const auto* text = std::get_if<std::string>(&data)) {
        AppendQuoted(line, *text);
        return line;
    }
    line += HexPrefix;
    bool first = true;
    for (const std::uint8_t byte : std::get<Binary>(data)) {
        if (!first) {
            line += ',';
        }
        first = false;
        line += HexDigits[byte >> 4];
        line += HexDigits[byte & 0x0F];
    }
    return line;
}

std::optional<std::string_view> RegistryText::ParseKeyLine(std::string_view line,
                                                           std::string_view hive) {
    if (line.size() < 2 || line.front() != '[' || line.back() != ']') {
        return std::nullopt;
    }
    const std::string_view inside = line.substr(1, line.size() - 2);
    if (inside.size() <= hive.size() || inside[hive.size()] != '\\' ||
        !UtilText::EqualsIgnoringAsciiCase(inside.substr(0, hive.size()), hive)) {
        return std::nullopt;
    }
    const std::string_view keyPath = inside.substr(hive.size() + 1);
    if (!IsValidKeyPath(keyPath)) {
        return std::nullopt;
    }
    return keyPath;
}

std::optional<RegistryText::NamedValue> RegistryText::ParseValueLine(std::string_view line) {
    if (line.empty() || line.find('\0') != std::string_view::npos) {
        return std::nullopt;
    }
    NamedValue value;
    std::size_t position = 0;
    if (line.front() == '@') {
        position = 1;
    } else if (line.front() == '"') {
        std::optional<std::string> name = ReadQuoted(line, position);
        if (!name) {
            return std::nullopt;
        }
        value.Name = std::move(*name);
    } else {
        return std::nullopt;
    }
    if (position == line.size() || line[position] != '=') {
        return std::nullopt;
    }
    const std::string_view data = line.substr(position + 1);
    if (!data.empty() && data.front() == '"') {
        std::size_t end = 0;
        std::optional<std::string> text = ReadQuoted(data, end);
        if (!text || end != data.size()) {
            return std::nullopt;
        }
        value.Value = std::move(*text);
        return value;
    }
    if (data.size() < HexPrefix.size() ||
        !UtilText::EqualsIgnoringAsciiCase(data.substr(0, HexPrefix.size()), HexPrefix)) {
        return std::nullopt;
    }
    std::optional<Binary> bytes = ReadHex(data.substr(HexPrefix.size()));
    if (!bytes) {
        return std::nullopt;
    }
    value.Value = std::move(*bytes);
    return value;
}
