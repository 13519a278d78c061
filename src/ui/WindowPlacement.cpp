#include "ui/WindowPlacement.h"

#include <algorithm>
#include <cstdint>

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
