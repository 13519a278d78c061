#pragma once

#include <compare>
#include <string>
#include <string_view>

// A program version: major, minor and build, compared in that order.
class Version {
public:
    int Major = 0;
    int Minor = 0;
    int Build = 0;

    // "7.4.3", trimmed of blanks and line ends; fields past the third are ignored.
    static Version Parse(std::string_view text);

    std::string ToString() const;  // "7.4.3"

    auto operator<=>(const Version&) const = default;
};
