#pragma once

#include <string>

// The Qt platform a windowed start can use, decided before the application object
// exists: Qt ends the whole process when its platform cannot open its display.
struct DisplayChoice {
    // "xcb" or "wayland" to be used; empty to leave QT_QPA_PLATFORM (the user's
    // own choice) as it stands.
    std::string Platform;
    // Why no display can be used; empty when one can.
    std::string Problem;
};

// X11 first where it answers (XWayland included), for a Wayland compositor lets no
// window place itself; else Wayland where the compositor answers and Qt's Wayland
// platform plugin is installed. A QT_QPA_PLATFORM of "xcb" or "wayland" is checked
// the same way, any other is taken as it is.
DisplayChoice ChooseDisplay();

// A Wayland session (XDG_SESSION_TYPE, or a WAYLAND_DISPLAY to talk to), even where
// this program runs on its X server.
bool IsWaylandSession();
