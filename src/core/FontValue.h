#pragma once

#include <string>

// A font as the options files describe it. Turning it into a drawing font (with
// the sans-serif fallback for a family that is not installed) is the renderer's job.
struct FontValue {
    static constexpr int Bold = 1;
    static constexpr int Italic = 2;
    static constexpr int Underline = 4;
    static constexpr int Strikeout = 8;

    std::string Family;
    double Size = 0.0;  // points
    int Style = 0;      // a combination of the bits above

    bool operator==(const FontValue&) const = default;
};
