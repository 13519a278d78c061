#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// What a desktop showed, as its backend needs it to put it back.
struct RecordedWallpaper {
    // The picture's file path ("" when none); a file:// URI is turned into a path.
    std::string Picture;
    // Backend-specific keys and values, in the backend's own spelling.
    std::vector<std::pair<std::string, std::string>> Values;

    bool operator==(const RecordedWallpaper&) const = default;
};

// A picture made for one monitor.
struct MonitorPicture {
    // The monitor's name as the display gives it ("HDMI-1"); empty when unknown.
    std::string Monitor;
    // Where the monitor sits in the desktop's layout, in the desktop's own units.
    int X = 0;
    int Y = 0;
    int Width = 0;
    int Height = 0;
    std::string Path;

    // A picture for every monitor.
    static MonitorPicture ForAll(std::string path) {
        MonitorPicture picture;
        picture.Path = std::move(path);
        return picture;
    }
};

// The desktop wallpaper of one kind of desktop. Every operation says whether it worked and
// never raises; failures leave a line on lcPlatform.
class WallpaperBackend {
public:
    virtual ~WallpaperBackend() = default;
    // "GNOME", "Xfce", "X11", ...
    virtual std::string Name() const = 0;
    // Nullopt when the desktop's state cannot be read.
    virtual std::optional<RecordedWallpaper> Record() = 0;
    // Shows the picture stretched over every monitor and workspace.
    virtual bool Set(const std::string& picturePath) = 0;
    // Whether the desktop shows each monitor a picture of its own; otherwise one
    // picture spans the whole virtual screen.
    virtual bool PerMonitor() const { return false; }
    // Each monitor its own picture; a monitor the list does not name gets the first
    // (the primary monitor's).
    virtual bool SetEach(const std::vector<MonitorPicture>& pictures) {
        return !pictures.empty() && Set(pictures.front().Path);
    }
    // Puts a recorded state back. A record whose Picture the caller emptied clears the
    // picture instead: that is how a stale wallpaper of an earlier run is dropped.
    virtual bool Restore(const RecordedWallpaper& recorded) = 0;
};

// Shows each monitor's picture through show(monitor, path), every one even after one
// failed; true when there was a picture and all were shown.
bool ShowOnEachMonitor(const std::vector<MonitorPicture>& pictures,
                       const std::function<bool(const std::string&, const std::string&)>& show);

// The kinds of desktop a backend exists for.
enum class WallpaperDesktop {
    None,
    Gnome,
    Unity,
    Budgie,
    Cinnamon,
    Mate,
    Plasma,
    Xfce,
    Lxqt,
    // sway and the other compositors built on wlroots.
    Wlroots,
    Hyprland,
    Cosmic,
    X11
};

// What the choice of backend looks at.
struct DesktopSession {
    std::string CurrentDesktop;     // $XDG_CURRENT_DESKTOP: names separated by ":", first wins
    std::string SessionName;        // $DESKTOP_SESSION, when the former names nothing known
    bool Wayland = false;           // a Wayland session, whose X root (if any) nobody sees
    bool XDisplay = false;          // an X display that accepts a connection
    bool SwaySocket = false;        // $SWAYSOCK: sway's own session, whatever it is named
    bool HyprlandInstance = false;  // $HYPRLAND_INSTANCE_SIGNATURE
};

WallpaperDesktop ChooseWallpaperDesktop(const DesktopSession& session);

// Chosen once from XDG_CURRENT_DESKTOP (and what is running); null where nothing fits.
std::unique_ptr<WallpaperBackend> MakeWallpaperBackend();
