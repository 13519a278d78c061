#include "core/Util.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <locale.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/Exceptions.h"
#include "core/TextSplit.h"
#include "core/UtilFile.h"

namespace {

bool IsBlank(char character) {
    return character == ' ' || character == '\t';
}

const char* SkipBlanks(const char* text) {
    while (IsBlank(*text)) {
        ++text;
    }
    return text;
}

// The value parsers treat a null text as empty text.
std::vector<std::string> SplitFields(const char* text) {
    return Split(text != nullptr ? std::string_view(text) : std::string_view(), ',');
}

// The "C" locale is built into the C library, so creating it cannot fail.
locale_t ClassicLocale() {
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return locale;
}

// Formats into text; false when the buffer is too small, which callers report
// with their own location.
bool FormatInt(int value, std::string& text) {
    char buffer[100];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    if (error != std::errc()) {
        return false;
    }
    text.assign(buffer, end);
    return true;
}

// Large enough for every double in fixed notation with three decimals.
bool FormatDouble(double value, std::string& text) {
    char buffer[400];
    const auto [end, error] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 3);
    if (error != std::errc()) {
        return false;
    }
    text.assign(buffer, end);
    return true;
}

void WriteAll(int fd, std::string_view bytes, const char* location) {
    if (!UtilFile::WriteAll(fd, bytes)) {
        RaiseError(location);
    }
}

// The value text is written as one piece; location names what kind of text it was.
void WriteLine(int fd, std::string_view key, std::string_view value, const char* location) {
    static constexpr const char* LineLocation = "Util::WriteToFileAscii (64)";
    WriteAll(fd, key, LineLocation);
    WriteAll(fd, "=", LineLocation);
    WriteAll(fd, value, location);
    WriteAll(fd, "\r\n", LineLocation);
}

constexpr const char* RawValueLocation = "Util::WriteToFileAscii (69)";
constexpr const char* ConvertedValueLocation = "Util::WriteToFileAscii (74)";

std::string FormatIntForFile(int value) {
    std::string text;
    if (!FormatInt(value, text)) {
        static constexpr const char* Location = "Util::WriteToFileAscii (85)";
        RaiseError(Location);
    }
    return text;
}

std::string FormatDoubleForFile(double value) {
    std::string text;
    if (!FormatDouble(value, text)) {
        static constexpr const char* Location = "Util::WriteToFileAscii (97)";
        RaiseError(Location);
    }
    return text;
}

}  // namespace

namespace Util {

int ParseInt(const char* text) {
    if (text == nullptr) {
        static constexpr const char* Location = "Util::ParseInt (447)";
        throw ArgumentNullException(Location);
    }
    const char* position = SkipBlanks(text);
    bool negative = false;
    if (*position == '-') {
        negative = true;
        ++position;
    } else if (*position == '+') {
        ++position;
    }
    // Unsigned, so that the wrap-around the files rely on is well defined.
    std::uint32_t value = 0;
    bool sawDigit = false;
    for (; *position != '\0'; ++position) {
        if (IsBlank(*position)) {
            continue;
        }
        if (*position < '0' || *position > '9') {
            static constexpr const char* Location = "Util::ParseInt (486)";
            throw ArgumentException(Location);
        }
        value = value * 10U + static_cast<std::uint32_t>(*position - '0');
        sawDigit = true;
    }
    if (!sawDigit) {
        static constexpr const char* Location = "Util::ParseInt (495)";
        throw ArgumentException(Location);
    }
    return static_cast<int>(negative ? 0U - value : value);
}

double ParseDouble(const char* text) {
    if (text == nullptr) {
        static constexpr const char* Location = "Util::ParseDouble (508)";
        throw ArgumentNullException(Location);
    }
    const char* start = SkipBlanks(text);
    char* end = nullptr;
    const double value = strtod_l(start, &end, ClassicLocale());
    // "nan", "inf" and a number too large for a double are no value anything could use.
    if ((value == 0.0 && *start != '0') || !std::isfinite(value)) {
        static constexpr const char* Location = "Util::ParseDouble (516)";
        throw ArgumentException(Location);
    }
    if (*SkipBlanks(end) != '\0') {
        static constexpr const char* Location = "Util::ParseDouble (522)";
        throw ArgumentException(Location);
    }
    return value;
}

int ParseDigits(std::string_view text, int start, int count) {
    if (start < 0 || count < 0) {
        throw CAtlException(CAtlException::E_INVALIDARG);
    }
    std::uint32_t value = 0;
    for (int offset = 0; offset < count; ++offset) {
        const auto index = static_cast<std::size_t>(start) + static_cast<std::size_t>(offset);
        if (index >= text.size()) {
            throw CAtlException(CAtlException::E_INVALIDARG);
        }
        const char character = text[index];
        if (character < '0' || character > '9') {
            static constexpr const char* Location = "Util::ParseDigits (536)";
            RaiseError(Location);
        }
        value = value * 10U + static_cast<std::uint32_t>(character - '0');
    }
    return static_cast<int>(value);
}

void Parse(const char* text, bool& value) {
    if (text != nullptr && std::strcmp(text, "true") == 0) {
        value = true;
    } else if (text != nullptr && std::strcmp(text, "false") == 0) {
        value = false;
    } else {
        static constexpr const char* Location = "Util::Parse (203)";
        RaiseError(Location);
    }
}

void Parse(const char* text, Color& value) {
    const std::vector<std::string> fields = SplitFields(text);
    if (fields.size() < 3) {
        static constexpr const char* Location = "Util::Parse (212)";
        RaiseError(Location);
    }
    const int red = ParseInt(fields[0].c_str());
    const int green = ParseInt(fields[1].c_str());
    const int blue = ParseInt(fields[2].c_str());
    value = Color::FromRgb(red, green, blue);
}

void Parse(const char* text, CPoint& value) {
    const std::vector<std::string> fields = SplitFields(text);
    if (fields.size() != 2) {
        static constexpr const char* Location = "Util::Parse (232)";
        RaiseError(Location);
    }
    const int x = ParseInt(fields[0].c_str());
    const int y = ParseInt(fields[1].c_str());
    value = CPoint{x, y};
}

void Parse(const char* text, DateTime& value) {
    const std::vector<std::string> fields = SplitFields(text);
    if (fields.size() < 6) {
        static constexpr const char* Location = "Util::Parse (252)";
        RaiseError(Location);
    }
    int parts[6];
    for (std::size_t index = 0; index < 6; ++index) {
        parts[index] = ParseInt(fields[index].c_str());
    }
    value = DateTime(parts[0], parts[1], parts[2], parts[3], parts[4], parts[5]);
}

FontValue ParseFont(const char* text) {
    const std::vector<std::string> fields = SplitFields(text);
    if (fields.size() < 3) {
        static constexpr const char* Location = "Util::ParseFont (267)";
        RaiseError(Location);
    }
    FontValue font;
    font.Family = fields[0];
    font.Size = ParseDouble(fields[1].c_str());
    font.Style = ParseInt(fields[2].c_str());
    return font;
}

std::string ToString(int value) {
    std::string text;
    if (!FormatInt(value, text)) {
        static constexpr const char* Location = "Util::ToString (157)";
        RaiseError(Location);
    }
    return text;
}

std::string ToString(double value) {
    std::string text;
    if (!FormatDouble(value, text)) {
        static constexpr const char* Location = "Util::ToString (165)";
        RaiseError(Location);
    }
    return text;
}

void WriteToFileAscii(int fd, std::string_view key, bool value) {
    WriteLine(fd, key, value ? "true" : "false", RawValueLocation);
}

void WriteToFileAscii(int fd, std::string_view key, int value) {
    WriteLine(fd, key, FormatIntForFile(value), RawValueLocation);
}

void WriteToFileAscii(int fd, std::string_view key, const std::string& value) {
    WriteLine(fd, key, value, ConvertedValueLocation);
}

void WriteToFileAscii(int fd, std::string_view key, const char* value) {
    WriteLine(fd, key, value != nullptr ? value : "", RawValueLocation);
}

void WriteToFileAscii(int fd, std::string_view key, const FontValue& value) {
    const std::string text =
        value.Family + "," + FormatDoubleForFile(value.Size) + "," + FormatIntForFile(value.Style);
    WriteLine(fd, key, text, ConvertedValueLocation);
}

void WriteToFileAscii(int fd, std::string_view key, Color value) {
    const std::string text = FormatIntForFile(value.Red()) + "," + FormatIntForFile(value.Green()) +
                             "," + FormatIntForFile(value.Blue());
    WriteLine(fd, key, text, RawValueLocation);
}

void WriteToFileAscii(int fd, std::string_view key, const CPoint& value) {
    const std::string text = FormatIntForFile(value.x) + "," + FormatIntForFile(value.y);
    WriteLine(fd, key, text, RawValueLocation);
}

void WriteToFileAscii(int fd, std::string_view key, const DateTime& value) {
    const std::string text =
        FormatIntForFile(value.Year()) + "," + FormatIntForFile(value.Month()) + "," +
        FormatIntForFile(value.Day()) + "," + FormatIntForFile(value.Hour()) + "," +
        FormatIntForFile(value.Minute()) + "," + FormatIntForFile(value.Second());
    WriteLine(fd, key, text, RawValueLocation);
}

std::string AppendBackslash(std::string_view path) {
    if (path.empty()) {
        static constexpr const char* Location = "Util::AppendBackslash (166)";
        RaiseError(Location);
    }
    std::string result(path);
    if (result.back() != '/') {
        result += '/';
    }
    return result;
}

void EnsureDirectoryExists(const std::string& path) {
    static constexpr const char* Location = "Util::EnsureDirectoryExists (422)";
    struct stat status {};
    if (::stat(path.c_str(), &status) == 0) {
        if (!S_ISDIR(status.st_mode)) {
            errno = ENOTDIR;
            RaiseError(Location);
        }
        return;
    }
    if (::mkdir(path.c_str(), 0777) == 0) {
        return;
    }
    const int mkdirError = errno;
    // Someone else may have created it in the meantime.
    if (mkdirError == EEXIST && ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode)) {
        return;
    }
    errno = mkdirError;
    RaiseError(Location);
}

}  // namespace Util
