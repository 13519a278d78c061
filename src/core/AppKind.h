#pragma once

#include <cstdint>

#include "core/Nullable.h"

// The edition, chosen from the executable's name. Held by Program; lower layers take it as a value.
enum class EnumAppKind : std::int32_t { Earth = 0, Weather = 1, TimeZones = 2 };

// How the program was started: the desktop program, or the screen-saver form
// with its switches.
enum class EnumAppMode : std::int32_t { Desktop = 0, ScreenSaver = 1, Configure = 2, Preview = 3 };

template <>
struct NullableLocations<EnumAppKind> {
    static constexpr const char* Value = "Nullable<enum EnumAppKind>::Value (20)";
};

template <>
struct NullableLocations<EnumAppMode> {
    static constexpr const char* Value = "Nullable<enum EnumAppMode>::Value (20)";
};
