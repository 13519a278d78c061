#include <gtest/gtest.h>

#include <algorithm>

#include "render/Screen.h"
#include "support/TestSupport.h"

namespace {

Screen ScreenWithWorkArea(ScreenRect workArea) {
    Screen screen;
    screen.Bounds = workArea;
    screen.WorkArea = workArea;
    return screen;
}

TEST(FitRectToScreenTest, MovesARectangleHangingOverTheBottomRightBackInside) {
    const Screen screen = ScreenWithWorkArea({0, 0, 1000, 800});
    EXPECT_EQ(FitRectToScreen({900, 700, 1100, 900}, screen), (ScreenRect{800, 600, 1000, 800}));
}

TEST(FitRectToScreenTest, MovesARectangleHangingOverTheTopLeftBackInside) {
    const Screen screen = ScreenWithWorkArea({100, 50, 1000, 800});
    EXPECT_EQ(FitRectToScreen({-20, 0, 180, 100}, screen), (ScreenRect{100, 50, 300, 150}));
}

TEST(FitRectToScreenTest, ARectangleLargerThanTheWorkAreaKeepsItsTopLeftCorner) {
    const Screen screen = ScreenWithWorkArea({0, 0, 300, 300});
    EXPECT_EQ(FitRectToScreen({200, 200, 700, 600}, screen), (ScreenRect{0, 0, 500, 400}));
}

TEST(FitRectToScreenTest, ARectangleInsideStaysWhereItIs) {
    const Screen screen = ScreenWithWorkArea({0, 30, 1920, 1080});
    EXPECT_EQ(FitRectToScreen({10, 40, 110, 140}, screen), (ScreenRect{10, 40, 110, 140}));
}

TEST(ScreenTest, VirtualScreenIsTheUnionOfTheBounds) {
    const std::vector<Screen> screens{ScreenWithWorkArea({0, 0, 1920, 1080}),
                                      ScreenWithWorkArea({1920, -200, 3200, 824})};
    EXPECT_EQ(VirtualScreen(screens), (ScreenRect{0, -200, 3200, 1080}));
}

TEST(ScreenTest, ANullScreenRaisesWithItsLocation) {
    EXPECT_EQ(TestSupport::LocationOf<ApplicationException>([] { Screen::GetScreen(nullptr); }),
              "Screen::GetScreen (67)");
}

TEST(ScreenTest, TheDisplayListsItsPrimaryScreenWithAWorkAreaInsideItsBounds) {
    const std::vector<Screen> screens = GetScreens();
    ASSERT_FALSE(screens.empty());
    const auto primary = std::find_if(screens.begin(), screens.end(),
                                      [](const Screen& screen) { return screen.Primary; });
    ASSERT_NE(primary, screens.end());
    EXPECT_GT(primary->Bounds.Width(), 0);
    EXPECT_GE(primary->WorkArea.Left, primary->Bounds.Left);
    EXPECT_LE(primary->WorkArea.Right, primary->Bounds.Right);
    EXPECT_EQ(Screen::PrimaryScreenWorkAreaRECT(), primary->WorkArea);
}

}  // namespace
