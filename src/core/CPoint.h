#pragma once

#include "core/Nullable.h"

// A point in whole pixels, such as a window position kept in the settings.
struct CPoint {
    int x = 0;
    int y = 0;

    constexpr bool operator==(const CPoint&) const = default;
};

template <>
struct NullableLocations<CPoint> {
    static constexpr const char* Value = "Nullable<class CPoint>::Value (20)";
};
