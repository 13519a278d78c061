#include "Arguments.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "core/Exceptions.h"

double ParseNumber(const std::string& text, const char* what) {
    double value = 0.0;
    const char* const end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    // from_chars also reads "nan" and "inf", which are not coordinates.
    if (text.empty() || error != std::errc() || stop != end || !std::isfinite(value)) {
        throw BadArguments(std::string(what) + " is not a number: \"" + text + "\"");
    }
    return value;
}

double ParseNumberInRange(const std::string& text, const char* what, double low, double high) {
    const double value = ParseNumber(text, what);
    if (value < low || value > high) {
        char range[64];
        std::snprintf(range, sizeof range, "%g to %g", low, high);
        throw BadArguments(std::string(what) + " " + text + " is outside " + range);
    }
    return value;
}

DateTime ParseUtcDate(const std::string& text) {
    const auto isDigitAt = [&text](std::size_t index) {
        return std::isdigit(static_cast<unsigned char>(text[index])) != 0;
    };
    bool wellFormed = text.size() == 10 && text[4] == '-' && text[7] == '-';
    for (std::size_t index = 0; wellFormed && index < text.size(); ++index) {
        wellFormed = index == 4 || index == 7 || isDigitAt(index);
    }
    if (!wellFormed) {
        throw BadArguments("date is not YYYY-MM-DD: \"" + text + "\"");
    }
    const int year = std::stoi(text.substr(0, 4));
    const int month = std::stoi(text.substr(5, 2));
    const int day = std::stoi(text.substr(8, 2));
    try {
        return DateTime(year, month, day).WithKind(DateTime::Kind::Utc);
    } catch (const ApplicationException&) {
        throw BadArguments("no such date: " + text);
    }
}

DateTime ParseUtcTime(const std::string& text) {
    static constexpr char Shape[] = "dddd-dd-ddTdd:dd:ddZ";
    bool wellFormed = text.size() == sizeof Shape - 1;
    for (std::size_t index = 0; wellFormed && index < text.size(); ++index) {
        wellFormed = Shape[index] == 'd'
                         ? std::isdigit(static_cast<unsigned char>(text[index])) != 0
                         : text[index] == Shape[index];
    }
    if (!wellFormed) {
        throw BadArguments("time is not YYYY-MM-DDTHH:MM:SSZ: \"" + text + "\"");
    }
    const auto field = [&text](std::size_t start, std::size_t length) {
        return std::stoi(text.substr(start, length));
    };
    try {
        return DateTime(field(0, 4), field(5, 2), field(8, 2), field(11, 2), field(14, 2),
                        field(17, 2))
            .WithKind(DateTime::Kind::Utc);
    } catch (const ApplicationException&) {
        throw BadArguments("no such time: " + text);
    }
}

std::string FormatUtcTime(const DateTime& moment) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02dZ", moment.Year(),
                  moment.Month(), moment.Day(), moment.Hour(), moment.Minute(), moment.Second());
    return text;
}

std::string JsonString(const std::string& text) {
    std::string json = "\"";
    for (const char character : text) {
        const auto code = static_cast<unsigned char>(character);
        if (character == '"' || character == '\\') {
            json += '\\';
            json += character;
        } else if (code < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", code);
            json += escaped;
        } else {
            json += character;
        }
    }
    return json + "\"";
}
