#include "ui/WindowPlacement.h"

#include <algorithm>
#include <cstdint>

namespace {

std::int64_t OverlapArea(const ScreenRect& a, const ScreenRect& b) {
    const std::int64_t width = std::min(a.Right, b.Right) - std::max(a.Left, b.Left);
    const std::int64_t height = std::min(a.Bottom, b.Bottom) - std::max(a.Top, b.Top);
    return width > 0 && height > 0 ? width * height : 0;
}

// Squared distance between the pixels of the two rectangles; 0 when they share one.
std::int64_t GapSquared(const ScreenRect& rect, const ScreenRect& bounds) {
    const auto gap = [](int first, int last, int boundsFirst, int boundsLast) -> std::int64_t {
        return std::max({0, boundsFirst - last, first - boundsLast});
    };
    const std::int64_t x =
        gap(rect.Left, std::max(rect.Left, rect.Right - 1), bounds.Left, bounds.Right - 1);
    const std::int64_t y =
        gap(rect.Top, std::max(rect.Top, rect.Bottom - 1), bounds.Top, bounds.Bottom - 1);
    return x * x + y * y;
}

}  // namespace

const Screen& NearestScreen(const std::vector<Screen>& screens, const ScreenRect& rect) {
    const Screen* nearest = &screens.front();
    std::int64_t bestOverlap = -1;
    std::int64_t bestGap = 0;
    for (const Screen& screen : screens) {
        const std::int64_t overlap = OverlapArea(rect, screen.Bounds);
        const std::int64_t gap = GapSquared(rect, screen.Bounds);
        if (overlap > bestOverlap || (overlap == bestOverlap && overlap == 0 && gap < bestGap)) {
            nearest = &screen;
            bestOverlap = overlap;
            bestGap = gap;
        }
    }
    return *nearest;
}

QRect FitToNearestScreen(const QRect& rect, const std::vector<Screen>& screens) {
    const ScreenRect from = ScreenRect::FromQRect(rect);
    return FitRectToScreen(from, NearestScreen(screens, from)).ToQRect();
}

QPoint MenuPointOnScreens(QPoint point, const std::vector<Screen>& screens) {
    const ScreenRect at{point.x(), point.y(), point.x(), point.y()};
    const Screen& screen = NearestScreen(screens, at);
    if (GapSquared(at, screen.Bounds) == 0) {
        return point;
    }
    const ScreenRect& area = screen.WorkArea;
    return QPoint(std::clamp(point.x(), area.Left, std::max(area.Left, area.Right - 1)), point.y());
}
