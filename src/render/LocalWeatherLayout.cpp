#include "render/LocalWeatherLayout.h"

#include <algorithm>

#include "data/Settings.h"

namespace LocalWeatherLayout {

namespace {

constexpr QSize Margin(100, 100);
constexpr QSize IconOnlyMargin(LargeIconRect.width() / 2, LargeIconRect.height() / 2);
// Room beside the columns for the day and night labels, and below them.
constexpr int LabelsWidth = 25;
constexpr int ForecastExtraHeight = 155;
constexpr int MinTextWidth = 270;
constexpr int PanelTop = 75;
constexpr int Border = 20;

// How far apart two ranges are; negative: how much they overlap.
int Gap(int firstStart, int firstEnd, int secondStart, int secondEnd) {
    return std::max(firstStart, secondStart) - std::min(firstEnd, secondEnd);
}

// The shift that leaves at least `margin` of [start, end) inside [low, high).
int ShiftInto(int start, int end, int low, int high, int margin) {
    margin = std::min(margin, end - start);
    if (end < low + margin) {
        return low + margin - end;
    }
    if (start > high - margin) {
        return high - margin - start;
    }
    return 0;
}

}  // namespace

std::vector<ForecastColumn> ForecastColumns(int itemCount, bool firstIsDay) {
    const int skipped = firstIsDay ? 0 : 1;
    const int columns = std::max(itemCount + skipped + 1, 0) / 2;
    std::vector<ForecastColumn> result(static_cast<std::size_t>(columns));
    for (int column = 0; column < columns; ++column) {
        const int day = 2 * column - skipped;
        const int night = day + 1;
        ForecastColumn& entry = result[static_cast<std::size_t>(column)];
        entry.DayItem = day >= 0 && day < itemCount ? day : -1;
        entry.NightItem = night >= 0 && night < itemCount ? night : -1;
    }
    return result;
}

LargeGeometry LargeLayout(int columns, double dayRowHeight, double nightRowHeight,
                          bool withCredit) {
    if (columns <= 0) {
        return {SmallSize, SmallPanel, SmallTextRect};
    }
    const int width = std::max(ColumnWidth * columns, MinTextWidth) + LabelsWidth;
    const int height = static_cast<int>(dayRowHeight) + static_cast<int>(nightRowHeight) +
                       ForecastExtraHeight + (withCredit ? CreditHeight : 0);
    LargeGeometry geometry;
    geometry.Picture = QSize(std::max(IconOnlySize.width(), width + Border),
                             std::max(IconOnlySize.height(), PanelTop + height + Border));
    geometry.Panel = QRect(0, PanelTop, width + Border, height + Border);
    geometry.Text = QRect(SmallTextRect.x(), SmallTextRect.y(), width, height);
    return geometry;
}

QSize ReachableMargin(int mode) {
    return mode == CSettings::ModeIconOnly ? IconOnlyMargin : Margin;
}

ScreenRect KeepReachable(ScreenRect window, QSize margin, const std::vector<Screen>& screens) {
    const int marginX = std::min(margin.width(), window.Width());
    const int marginY = std::min(margin.height(), window.Height());
    for (const Screen& screen : screens) {
        const ScreenRect& bounds = screen.Bounds;
        if (-Gap(window.Left, window.Right, bounds.Left, bounds.Right) >= marginX &&
            -Gap(window.Top, window.Bottom, bounds.Top, bounds.Bottom) >= marginY) {
            return window;
        }
    }
    if (screens.empty()) {
        return window;
    }
    const ScreenRect& bounds = NearestScreen(screens, window).Bounds;
    return window.Translated(
        ShiftInto(window.Left, window.Right, bounds.Left, bounds.Right, marginX),
        ShiftInto(window.Top, window.Bottom, bounds.Top, bounds.Bottom, marginY));
}

ScreenRect KeepTopLeftOnScreen(ScreenRect window, const std::vector<Screen>& screens) {
    if (screens.empty()) {
        return window;
    }
    const ScreenRect& bounds = NearestScreen(screens, window).Bounds;
    return window.Translated(std::max(bounds.Left - window.Left, 0),
                             std::max(bounds.Top - window.Top, 0));
}

}  // namespace LocalWeatherLayout
