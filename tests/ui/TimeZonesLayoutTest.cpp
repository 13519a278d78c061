#include "ui/TimeZonesLayout.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr int Line = 22;

struct LayoutCase {
    const char* name;
    std::vector<int> widths;
    int workAreaWidth;
    TimeZonesLayout expected;
};

class LayoutTimeZonesWindowTest : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(LayoutTimeZonesWindowTest, GivesTheColumnsAndTheWindowSize) {
    EXPECT_EQ(LayoutTimeZonesWindow(GetParam().widths, GetParam().workAreaWidth, Line),
              GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    PartExamples, LayoutTimeZonesWindowTest,
    ::testing::Values(
        LayoutCase{"NoZoneIsAStripForTheNotice", {}, 600, {0, 0, QSize(200, Line)}},
        // -4 + 120 + 170 + 100 = 386.
        LayoutCase{"ZonesThatFitMakeOneRow", {100, 150, 80}, 600, {3, 0, QSize(386, Line)}},
        LayoutCase{"ARowExactlyAsWideAsTheWorkAreaFits", {100, 100}, 236, {2, 0, QSize(236, Line)}},
        // One pixel less: room for one 100 + 20 per row, so two rows of one.
        LayoutCase{"OnePixelLessMakesAGrid", {100, 100}, 235, {1, 100, QSize(116, 2 * Line)}},
        LayoutCase{
            "OneZoneWiderThanTheWorkAreaStaysOnOneRow", {900}, 600, {1, 0, QSize(916, Line)}},
        // Room for (600 + 4) / 150 = 4 per row: 3 rows, evened out to 4 columns.
        LayoutCase{"TenZonesWithRoomForFourMakeThreeRowsOfFour",
                   std::vector<int>(10, 130),
                   600,
                   {4, 130, QSize(596, 3 * Line)}},
        LayoutCase{"AColumnIsNeverWiderThanTheWorkAreaLessSixteen",
                   {700, 50},
                   600,
                   {1, 584, QSize(600, 2 * Line)}},
        LayoutCase{"ColumnsOfTinyEntriesAreTenWide", {3, 9, 5}, 50, {1, 10, QSize(26, 3 * Line)}}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

TEST(TimeZonesEntryBoxesTest, OneRowStartsAtEightAndSpacesEntriesByTheirOwnWidths) {
    const std::vector<int> widths{100, 150};
    const TimeZonesLayout layout = LayoutTimeZonesWindow(widths, 600, Line);
    EXPECT_EQ(TimeZonesEntryBoxes(layout, widths, Line),
              (std::vector<QRect>{QRect(8, 0, 150, Line), QRect(128, 0, 200, Line)}));
}

TEST(TimeZonesEntryBoxesTest, AGridFillsRowAfterRowInColumnsOfTheColumnWidth) {
    std::vector<int> widths(10, 130);
    widths[3] = 120;
    const TimeZonesLayout layout = LayoutTimeZonesWindow(widths, 600, Line);
    const std::vector<QRect> boxes = TimeZonesEntryBoxes(layout, widths, Line);
    ASSERT_EQ(boxes.size(), 10U);
    EXPECT_EQ(boxes[0], QRect(8, 0, 180, Line));
    EXPECT_EQ(boxes[3], QRect(458, 0, 180, Line));
    EXPECT_EQ(boxes[5], QRect(158, Line, 180, Line));
    EXPECT_EQ(boxes[9], QRect(158, 2 * Line, 180, Line));
}

}  // namespace
