#include "render/Screen.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "core/Exceptions.h"

ScreenRect ScreenRect::FromQRect(const QRect& rect) {
    return {rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height()};
}

Screen Screen::GetScreen(const QScreen* screen) {
    static constexpr const char* Location = "Screen::GetScreen (67)";
    if (screen == nullptr) {
        throw ApplicationException(Location);
    }
    Screen result;
    result.Bounds = ScreenRect::FromQRect(screen->geometry());
    result.WorkArea = ScreenRect::FromQRect(screen->availableGeometry());
    result.Primary = screen == QGuiApplication::primaryScreen();
    result.Name = screen->name().toStdString();
    result.Ratio = screen->devicePixelRatio() > 0 ? screen->devicePixelRatio() : 1.0;
    return result;
}

ScreenRect Screen::DeviceBounds() const {
    const auto device = [this](int length) {
        return static_cast<int>(std::lround(length * Ratio));
    };
    return {Bounds.Left, Bounds.Top, Bounds.Left + device(Bounds.Width()),
            Bounds.Top + device(Bounds.Height())};
}

Screen Screen::AtOrigin() const {
    Screen moved = *this;
    moved.Bounds = Bounds.Translated(-Bounds.Left, -Bounds.Top);
    moved.WorkArea = WorkArea.Translated(-Bounds.Left, -Bounds.Top);
    return moved;
}

Screen Screen::PrimaryScreen() {
    static constexpr const char* Location = "Screen::PrimaryScreenWorkAreaRECT (97)";
    const QScreen* primary =
        QGuiApplication::instance() != nullptr ? QGuiApplication::primaryScreen() : nullptr;
    if (primary == nullptr) {
        throw ApplicationException(Location);
    }
    return GetScreen(primary);
}

ScreenRect Screen::PrimaryScreenWorkAreaRECT() {
    return PrimaryScreen().WorkArea;
}

Screen Screen::OfSize(int width, int height) {
    Screen result;
    result.Bounds = {0, 0, width, height};
    result.WorkArea = result.Bounds;
    result.Primary = true;
    return result;
}

std::vector<Screen> GetScreens() {
    std::vector<Screen> screens;
    if (QGuiApplication::instance() != nullptr) {
        for (const QScreen* screen : QGuiApplication::screens()) {
            try {
                screens.push_back(Screen::GetScreen(screen));
            } catch (const ApplicationException&) {
                // A monitor that cannot be read is left out.
            }
        }
    }
    if (screens.empty()) {
        screens.push_back(Screen::PrimaryScreen());
    }
    return screens;
}

ScreenRect VirtualScreen(const std::vector<Screen>& screens) {
    if (screens.empty()) {
        return {};
    }
    ScreenRect result = screens.front().Bounds;
    for (const Screen& screen : screens) {
        result.Left = std::min(result.Left, screen.Bounds.Left);
        result.Top = std::min(result.Top, screen.Bounds.Top);
        result.Right = std::max(result.Right, screen.Bounds.Right);
        result.Bottom = std::max(result.Bottom, screen.Bounds.Bottom);
    }
    return result;
}

ScreenRect FitRectToScreen(ScreenRect rect, const Screen& screen) {
    const ScreenRect& area = screen.WorkArea;
    if (rect.Bottom > area.Bottom) {
        rect = rect.Translated(0, area.Bottom - rect.Bottom);
    }
    if (rect.Right > area.Right) {
        rect = rect.Translated(area.Right - rect.Right, 0);
    }
    if (rect.Top < area.Top) {
        rect = rect.Translated(0, area.Top - rect.Top);
    }
    if (rect.Left < area.Left) {
        rect = rect.Translated(area.Left - rect.Left, 0);
    }
    return rect;
}

namespace {

std::int64_t OverlapArea(const ScreenRect& a, const ScreenRect& b) {
    const std::int64_t width = std::min(a.Right, b.Right) - std::max(a.Left, b.Left);
    const std::int64_t height = std::min(a.Bottom, b.Bottom) - std::max(a.Top, b.Top);
    return width > 0 && height > 0 ? width * height : 0;
}

}  // namespace

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
