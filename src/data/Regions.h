#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

// A part of the Earth the map can show, bounded in whole degrees of longitude
// (west, east) and latitude (north, south).
struct RegionRecord {
    std::string Name;
    int West = 0;
    int North = 0;
    int East = 0;
    int South = 0;

    bool operator==(const RegionRecord&) const = default;
};

namespace Regions {

// The two whole-Earth views, then the continents, in the order lists show them.
std::span<const RegionRecord> All();
// "Earth (Default)", the first of the table.
const RegionRecord& Default();

// The first region whose name equals name, ignoring case; nullopt when none
// does, so the caller keeps what it had. A null name raises
// CAtlException(E_FAIL), as any name comparison handed a null text does.
std::optional<RegionRecord> Find(const char* name);
std::optional<RegionRecord> Find(std::string_view name);

}  // namespace Regions
