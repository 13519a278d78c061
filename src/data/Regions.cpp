#include "data/Regions.h"

#include <algorithm>
#include <array>

#include "core/Exceptions.h"

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

// The region names are plain ASCII, so folding ASCII letters is enough; any
// other byte must match exactly, which it never does.
char FoldCase(char character) {
    return character >= 'A' && character <= 'Z' ? static_cast<char>(character - 'A' + 'a')
                                                : character;
}

bool EqualIgnoringCase(std::string_view left, std::string_view right) {
    return std::ranges::equal(left, right,
                              [](char a, char b) { return FoldCase(a) == FoldCase(b); });
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
        if (EqualIgnoringCase(region.Name, name)) {
            return region;
        }
    }
    return std::nullopt;
}

}  // namespace Regions
