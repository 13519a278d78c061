#include "render/LocalWeatherLayout.h"

#include <gtest/gtest.h>

#include <vector>

#include "data/Settings.h"

namespace {

using namespace LocalWeatherLayout;

TEST(LocalWeatherLayoutTest, ForecastColumnsPairEachDayWithTheNightAfterIt) {
    const std::vector<ForecastColumn> fromDay = ForecastColumns(14, true);
    ASSERT_EQ(fromDay.size(), 7U);
    EXPECT_EQ(fromDay.front(), (ForecastColumn{0, 1}));
    EXPECT_EQ(fromDay.back(), (ForecastColumn{12, 13}));

    const std::vector<ForecastColumn> fromNight = ForecastColumns(14, false);
    ASSERT_EQ(fromNight.size(), 8U);
    EXPECT_EQ(fromNight.front(), (ForecastColumn{-1, 0}));
    EXPECT_EQ(fromNight[1], (ForecastColumn{1, 2}));
    EXPECT_EQ(fromNight.back(), (ForecastColumn{13, -1}));

    EXPECT_EQ(ForecastColumns(3, true), (std::vector<ForecastColumn>{{0, 1}, {2, -1}}));
    EXPECT_EQ(ForecastColumns(1, false), (std::vector<ForecastColumn>{{-1, 0}}));
    EXPECT_TRUE(ForecastColumns(0, true).empty());
}

TEST(LocalWeatherLayoutTest, LargeGrowsWithItsColumnsAndRowsAndWithoutColumnsIsSmall) {
    const LargeGeometry seven = LargeLayout(7, 5.0, 5.0);
    EXPECT_EQ(seven.Text, QRect(10, 85, 501, 165));
    EXPECT_EQ(seven.Picture, QSize(521, 260));
    EXPECT_EQ(seven.Panel, QRect(0, 75, 521, 185));

    // Fewer columns than the 270 pixels of the texts keep that width; the
    // rows' fractions are dropped one by one.
    const LargeGeometry one = LargeLayout(1, 40.9, 12.5);
    EXPECT_EQ(one.Text, QRect(10, 85, 295, 40 + 12 + 155));
    EXPECT_EQ(one.Picture, QSize(315, 75 + 207 + 20));

    // A credit line adds its height under the rows, not its width.
    const LargeGeometry credited = LargeLayout(7, 5.0, 5.0, true);
    EXPECT_EQ(credited.Picture, QSize(521, 260 + CreditHeight));
    EXPECT_EQ(credited.Panel, QRect(0, 75, 521, 185 + CreditHeight));

    const LargeGeometry none = LargeLayout(0, 5.0, 5.0);
    EXPECT_EQ(none.Picture, SmallSize);
    EXPECT_EQ(none.Panel, SmallPanel);
    EXPECT_EQ(none.Text, SmallTextRect);
}

struct ReachCase {
    const char* Name;
    ScreenRect Window;
    int Mode;
    ScreenRect Expected;
};

class KeepReachableTest : public ::testing::TestWithParam<ReachCase> {};

// One 1000 x 800 screen at the origin.
TEST_P(KeepReachableTest, AtLeastTheMarginStaysOnTheScreen) {
    const ReachCase& c = GetParam();
    const std::vector<Screen> screens{Screen::OfSize(1000, 800)};
    EXPECT_EQ(KeepReachable(c.Window, ReachableMargin(c.Mode), screens), c.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    OneScreen, KeepReachableTest,
    ::testing::Values(
        ReachCase{"NegativeLeftWithEnoughOnScreen",
                  {-190, 10, 100, 170},
                  CSettings::ModeSmall,
                  {-190, 10, 100, 170}},
        ReachCase{"OffTheLeft", {-250, 10, 40, 170}, CSettings::ModeLarge, {-190, 10, 100, 170}},
        ReachCase{"OffTheTop", {10, -150, 300, -10}, CSettings::ModeSmall, {10, -40, 300, 100}},
        ReachCase{"IconOnlyKeepsHalfTheIcon",
                  {-200, -150, 10, 10},
                  CSettings::ModeIconOnly,
                  {-110, -80, 100, 80}},
        ReachCase{"OffTheRightAndBottom",
                  {950, 790, 1240, 950},
                  CSettings::ModeLarge,
                  {900, 700, 1190, 860}}),
    [](const ::testing::TestParamInfo<ReachCase>& param) { return param.param.Name; });

// The window tests' monitors: 600 x 400 with 400 x 300 to its right, which
// leaves a corner below the right one that no monitor shows.
const std::vector<Screen> TwoScreens{Screen::OfSize(600, 400), [] {
                                         Screen right;
                                         right.Bounds = {600, 0, 1000, 300};
                                         right.WorkArea = right.Bounds;
                                         return right;
                                     }()};

TEST(LocalWeatherLayoutTest, AWindowWhereNoMonitorShowsItComesBackToTheNearestOne) {
    const QSize margin = ReachableMargin(CSettings::ModeLarge);
    // In the corner below the right monitor.
    EXPECT_EQ(KeepReachable({700, 350, 990, 510}, margin, TwoScreens),
              (ScreenRect{700, 200, 990, 360}));
    // Across both monitors with enough on the left one.
    EXPECT_EQ(KeepReachable({450, 250, 740, 410}, margin, TwoScreens),
              (ScreenRect{450, 250, 740, 410}));
}

TEST(LocalWeatherLayoutTest, TheTopLeftCornerIsKeptInsideTheMonitorTheWindowIsMostlyOn) {
    EXPECT_EQ(KeepTopLeftOnScreen({-250, -20, 40, 140}, TwoScreens), (ScreenRect{0, 0, 290, 160}));
    EXPECT_EQ(KeepTopLeftOnScreen({650, 10, 940, 170}, TwoScreens),
              (ScreenRect{650, 10, 940, 170}));
    // Mostly on the right monitor, whose left edge is not the desktop's.
    EXPECT_EQ(KeepTopLeftOnScreen({580, -30, 870, 130}, TwoScreens),
              (ScreenRect{600, 0, 890, 160}));
}

}  // namespace
