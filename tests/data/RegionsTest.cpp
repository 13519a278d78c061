#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "core/Exceptions.h"
#include "data/Regions.h"

namespace {

using namespace std::string_literals;

TEST(RegionsTest, TableHoldsTheWholeEarthViewsFirstThenTheContinents) {
    std::vector<std::string> names;
    for (const RegionRecord& region : Regions::All()) {
        names.push_back(region.Name);
    }
    EXPECT_EQ(names,
              (std::vector<std::string>{"Earth (Default)", "Earth (Complete)", "Africa", "Asia",
                                        "Australia", "Europe", "North America", "South America"}));
    EXPECT_EQ(Regions::Default(), (RegionRecord{"Earth (Default)", -145, 90, 165, -80}));
}

TEST(RegionsTest, EveryRegionIsANonEmptyRectangleOnTheMap) {
    for (const RegionRecord& region : Regions::All()) {
        EXPECT_LT(region.West, region.East) << region.Name;
        EXPECT_GT(region.North, region.South) << region.Name;
        EXPECT_GE(region.West, -180) << region.Name;
        EXPECT_LE(region.East, 180) << region.Name;
        EXPECT_LE(region.North, 90) << region.Name;
        EXPECT_GE(region.South, -90) << region.Name;
    }
}

TEST(RegionsTest, FindIgnoresCaseAndCopiesNameAndBounds) {
    EXPECT_EQ(Regions::Find("earth (complete)"),
              (RegionRecord{"Earth (Complete)", -180, 90, 180, -90}));
    EXPECT_EQ(Regions::Find("EARTH (DEFAULT)"), Regions::Default());
    EXPECT_EQ(Regions::Find(std::string("nOrTh AmErIcA")),
              (RegionRecord{"North America", -155, 80, -50, 0}));
    EXPECT_EQ(Regions::Find("South America"), (RegionRecord{"South America", -110, 20, -18, -65}));
}

TEST(RegionsTest, NamesThatAreNotWholeTableNamesAreNotFound) {
    for (const std::string& name :
         {"Moon"s, ""s, "Asia "s, " Asia"s, "Asi"s, "Asian"s, "Earth"s, "Asia\0"s, "Äsia"s}) {
        EXPECT_EQ(Regions::Find(name), std::nullopt) << name;
    }
}

TEST(RegionsTest, NullNameRaisesTheStringLibrarysFailure) {
    try {
        Regions::Find(static_cast<const char*>(nullptr));
        FAIL() << "no exception";
    } catch (const CAtlException& error) {
        EXPECT_EQ(error.Result, CAtlException::E_FAIL);
    }
}

}  // namespace
