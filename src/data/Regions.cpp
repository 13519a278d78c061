#include "data/Regions.h"

#include <array>

#include "core/Exceptions.h"
#include "core/UtilText.h"

namespace {

const std::array<RegionRecord, 8>& Table() {
    static const std::array<RegionRecord, 8> table = {{
        {"Earth (Default)", -145, 90, 165, -80},
        {"Earth (Complete)", -180, 90, 180, -90},
        {"Africa", -33, 45, 76, -43},
        {"Asia", 25, 90, 153, -16},
        {"Australia", 94, 9, 180, -59},
        {"Europe", -13, 74, 50, 28},
        {"North America", -155, 80, -50, 0},
        {"South America", -110, 20, -18, -65},
    }};
    return table;
}

}  // namespace

namespace Regions {

std::span<const RegionRecord> All() {
    return Table();
}

const RegionRecord& Default() {
    return Table().front();
}

std::optional<RegionRecord> Find(const char* name) {
    if (name == nullptr) {
        throw CAtlException(CAtlException::E_FAIL);
    }
    return Find(std::string_view(name));
}

std::optional<RegionRecord> Find(std::string_view name) {
    for (const RegionRecord& region : Table()) {
        // The region names are plain ASCII, so folding ASCII letters is enough.
        if (UtilText::EqualsIgnoringAsciiCase(region.Name, name)) {
            return region;
        }
    }
    return std::nullopt;
}

}  // namespace Regions
