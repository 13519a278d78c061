#pragma once

#include <cstdint>

// A colour as one 32-bit ARGB word. Files carry only red, green and blue, so a
// colour read back is always opaque.
struct Color {
    std::uint32_t Argb = 0xFF000000;

    // Each component is cut to its low 8 bits, as the file reader does.
    static constexpr Color FromRgb(int red, int green, int blue) {
        return Color{0xFF000000U | ((static_cast<std::uint32_t>(red) & 0xFFU) << 16) |
                     ((static_cast<std::uint32_t>(green) & 0xFFU) << 8) |
                     (static_cast<std::uint32_t>(blue) & 0xFFU)};
    }

    constexpr int Alpha() const { return static_cast<int>((Argb >> 24) & 0xFFU); }
    constexpr int Red() const { return static_cast<int>((Argb >> 16) & 0xFFU); }
    constexpr int Green() const { return static_cast<int>((Argb >> 8) & 0xFFU); }
    constexpr int Blue() const { return static_cast<int>(Argb & 0xFFU); }

    constexpr bool operator==(const Color&) const = default;
};
