#include "ui/WindowPlacement.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A larger monitor with a panel along its bottom, and a smaller one to its right.
std::vector<Screen> TwoMonitors() {
    Screen left;
    left.Bounds = {0, 0, 600, 400};
    left.WorkArea = {0, 0, 600, 370};
    left.Primary = true;
    Screen right;
    right.Bounds = {600, 0, 1000, 300};
    right.WorkArea = right.Bounds;
    return {left, right};
}

TEST(WindowPlacementTest, AWindowGoesToTheMonitorItOverlapsMost) {
    // 100 x 30 pixels on the left monitor, 200 x 30 on the right one.
    EXPECT_EQ(FitToNearestScreen(QRect(500, 100, 300, 30), TwoMonitors()),
              QRect(600, 100, 300, 30));
}

TEST(WindowPlacementTest, AWindowPastTheCornerIsMovedBackIntoTheWorkArea) {
    EXPECT_EQ(FitToNearestScreen(QRect(850, 290, 300, 30), TwoMonitors()),
              QRect(700, 270, 300, 30));
    // The left monitor's work area ends above its panel.
    EXPECT_EQ(FitToNearestScreen(QRect(-500, 390, 100, 20), TwoMonitors()), QRect(0, 350, 100, 20));
}

TEST(WindowPlacementTest, AnEmptyWindowBelongsToTheMonitorUnderItsCorner) {
    const std::vector<Screen> screens = TwoMonitors();
    EXPECT_EQ(&NearestScreen(screens, {599, 10, 599, 10}), &screens[0]);
    EXPECT_EQ(&NearestScreen(screens, {600, 10, 600, 10}), &screens[1]);
    // Below the right monitor, yet nearer to it than to the left one.
    EXPECT_EQ(&NearestScreen(screens, {900, 350, 900, 350}), &screens[1]);
}

TEST(WindowPlacementTest, AMenuPointOnNoMonitorHasItsXMovedOntoTheNearestWorkArea) {
    const std::vector<Screen> screens = TwoMonitors();
    EXPECT_EQ(MenuPointOnScreens(QPoint(700, 100), screens), QPoint(700, 100));
    EXPECT_EQ(MenuPointOnScreens(QPoint(1200, 350), screens), QPoint(999, 350));
    EXPECT_EQ(MenuPointOnScreens(QPoint(-40, 10), screens), QPoint(0, 10));
}

}  // namespace
