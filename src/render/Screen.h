#pragma once

#include <QRect>
#include <cstdint>
#include <string>
#include <vector>

class QScreen;

// Virtual-screen pixels; right and bottom are exclusive.
struct ScreenRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    static ScreenRect FromQRect(const QRect& rect);
    QRect ToQRect() const { return QRect(Left, Top, Width(), Height()); }
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    ScreenRect Translated(int dx, int dy) const {
        return {Left + dx, Top + dy, Right + dx, Bottom + dy};
    }
    bool operator==(const ScreenRect&) const = default;
};

// One monitor: its bounds and its work area (the bounds without panels and docks), in
// the display's logical pixels; a picture for it has its device pixels.
class Screen {
public:
    ScreenRect Bounds;
    ScreenRect WorkArea;
    bool Primary = false;
    // The output's name as the display gives it ("HDMI-1"); empty when it has none.
    std::string Name;
    // Device pixels per logical pixel (2 on a screen scaled to 200 %).
    double Ratio = 1.0;

    // The bounds in device pixels. The origin stays: Qt gives a screen's logical
    // top-left in the display's own pixels.
    ScreenRect DeviceBounds() const;
    // The same screen as a picture of its own: bounds and work area from the origin.
    Screen AtOrigin() const;

    // A null screen raises "Screen::GetScreen (67)".
    static Screen GetScreen(const QScreen* screen);
    // Raises "Screen::PrimaryScreenWorkAreaRECT (97)" when the display has no screen.
    static Screen PrimaryScreen();
    static ScreenRect PrimaryScreenWorkAreaRECT();
    // A screen of the given size at the origin whose work area is all of it: the
    // picture size of a render without a display.
    static Screen OfSize(int width, int height);
};

// Every monitor of the display, in the display's order; the primary screen alone
// when the display lists none.
std::vector<Screen> GetScreens();

// The smallest rectangle holding the bounds of all the screens.
ScreenRect VirtualScreen(const std::vector<Screen>& screens);

// The monitor a window belongs to: the one its rectangle overlaps most, else the
// one closest to it (an empty rectangle counts as its top-left pixel); the first
// of equals. The list must not be empty.
const Screen& NearestScreen(const std::vector<Screen>& screens, const ScreenRect& rect);
// Squared distance between the pixels of the two rectangles; 0 when they share one.
std::int64_t GapSquared(const ScreenRect& rect, const ScreenRect& bounds);

// Moves the rectangle, never resizing it, into the screen's work area: up, left,
// down, right in that order, so the top-left corner wins when it is too large.
ScreenRect FitRectToScreen(ScreenRect rect, const Screen& screen);
