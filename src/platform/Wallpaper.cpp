#include "platform/Wallpaper.h"

#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <cstdlib>
#include <cstring>

#include "platform/CommandRunner.h"
#include "platform/CosmicWallpaper.h"
#include "platform/DBusCaller.h"
#include "platform/DisplayChoice.h"
#include "platform/GSettingsWallpaper.h"
#include "platform/HyprpaperWallpaper.h"
#include "platform/LxqtWallpaper.h"
#include "platform/PlasmaWallpaper.h"
#include "platform/PlatformLog.h"
#include "platform/ProcessTable.h"
#include "platform/WlrootsWallpaper.h"
#include "platform/X11Wallpaper.h"
#include "platform/XfceWallpaper.h"

namespace {

// One name as desktops spell it in XDG_CURRENT_DESKTOP or DESKTOP_SESSION.
WallpaperDesktop DesktopOfName(const QString& name) {
    static const std::pair<const char*, WallpaperDesktop> Names[] = {
        {"gnome", WallpaperDesktop::Gnome},
        {"gnome-xorg", WallpaperDesktop::Gnome},
        {"unity", WallpaperDesktop::Unity},
        {"budgie", WallpaperDesktop::Budgie},
        {"budgie-desktop", WallpaperDesktop::Budgie},
        {"x-cinnamon", WallpaperDesktop::Cinnamon},
        {"cinnamon", WallpaperDesktop::Cinnamon},
        {"mate", WallpaperDesktop::Mate},
        {"kde", WallpaperDesktop::Plasma},
        {"plasma", WallpaperDesktop::Plasma},
        {"plasmawayland", WallpaperDesktop::Plasma},
        {"xfce", WallpaperDesktop::Xfce},
        {"lxqt", WallpaperDesktop::Lxqt},
        {"sway", WallpaperDesktop::Wlroots},
        {"wlroots", WallpaperDesktop::Wlroots},
        {"river", WallpaperDesktop::Wlroots},
        {"labwc", WallpaperDesktop::Wlroots},
        {"wayfire", WallpaperDesktop::Wlroots},
        {"niri", WallpaperDesktop::Wlroots},
        {"hyprland", WallpaperDesktop::Hyprland},
        {"cosmic", WallpaperDesktop::Cosmic}};
    const QString lowered = name.trimmed().toLower();
    for (const auto& [spelling, desktop] : Names) {
        if (lowered == QLatin1String(spelling)) {
            return desktop;
        }
    }
    return WallpaperDesktop::None;
}

const char* Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

}  // namespace

WallpaperDesktop ChooseWallpaperDesktop(const DesktopSession& session) {
    for (const QString& name :
         QString::fromStdString(session.CurrentDesktop).split(':', Qt::SkipEmptyParts)) {
        if (const WallpaperDesktop desktop = DesktopOfName(name);
            desktop != WallpaperDesktop::None) {
            return desktop;
        }
    }
    if (const WallpaperDesktop desktop = DesktopOfName(QString::fromStdString(session.SessionName));
        desktop != WallpaperDesktop::None) {
        return desktop;
    }
    if (session.HyprlandInstance) {
        return WallpaperDesktop::Hyprland;
    }
    if (session.SwaySocket) {
        return WallpaperDesktop::Wlroots;
    }
    return session.XDisplay && !session.Wayland ? WallpaperDesktop::X11 : WallpaperDesktop::None;
}

namespace {

// A compositor that draws no wallpaper itself: a daemon that runs, else swaybg of
// our own (null when it is not installed).
std::unique_ptr<WallpaperBackend> BackgroundClient() {
    for (const char* daemon : {"awww-daemon", "swww-daemon"}) {
        if (ProcessTable::RunsOwn(daemon)) {
            const std::string client(daemon, std::strchr(daemon, '-'));
            return std::make_unique<SwwwWallpaper>(client,
                                                   std::make_unique<ProcessCommandRunner>());
        }
    }
    if (QStandardPaths::findExecutable(QStringLiteral("swaybg")).isEmpty()) {
        qCWarning(lcPlatform) << "The wallpaper needs swaybg (Debian: swaybg) or a running "
                                 "awww/swww daemon on this compositor";
        return nullptr;
    }
    return std::make_unique<SwaybgWallpaper>();
}

}  // namespace

std::unique_ptr<WallpaperBackend> MakeWallpaperBackend() {
    DesktopSession session;
    session.CurrentDesktop = Environment("XDG_CURRENT_DESKTOP");
    session.SessionName = Environment("DESKTOP_SESSION");
    session.Wayland = IsWaylandSession();
    session.XDisplay = *Environment("DISPLAY") != '\0' && X11Wallpaper::CanConnect();
    session.SwaySocket = *Environment("SWAYSOCK") != '\0';
    session.HyprlandInstance = *Environment("HYPRLAND_INSTANCE_SIGNATURE") != '\0';

    auto gsettings = [](const char* name, const GSettingsWallpaper::Schema& schema) {
        return std::make_unique<GSettingsWallpaper>(name, schema,
                                                    std::make_unique<ProcessCommandRunner>());
    };
    switch (ChooseWallpaperDesktop(session)) {
        case WallpaperDesktop::Gnome:
            return gsettings("GNOME", GSettingsWallpaper::Gnome);
        case WallpaperDesktop::Unity:
            return gsettings("Unity", GSettingsWallpaper::Gnome);
        case WallpaperDesktop::Budgie:
            return gsettings("Budgie", GSettingsWallpaper::Gnome);
        case WallpaperDesktop::Cinnamon:
            return gsettings("Cinnamon", GSettingsWallpaper::Cinnamon);
        case WallpaperDesktop::Mate:
            return gsettings("MATE", GSettingsWallpaper::Mate);
        case WallpaperDesktop::Plasma:
            return std::make_unique<PlasmaWallpaper>(std::make_unique<SessionBusCaller>());
        case WallpaperDesktop::Xfce:
            return std::make_unique<XfceWallpaper>(std::make_unique<ProcessCommandRunner>());
        case WallpaperDesktop::Lxqt:
            return std::make_unique<LxqtWallpaper>(std::make_unique<ProcessCommandRunner>());
        case WallpaperDesktop::Wlroots:
            return BackgroundClient();
        case WallpaperDesktop::Hyprland:
            if (ProcessTable::RunsOwn("hyprpaper")) {
                return std::make_unique<HyprpaperWallpaper>(
                    std::make_unique<ProcessCommandRunner>());
            }
            return BackgroundClient();
        case WallpaperDesktop::Cosmic:
            return std::make_unique<CosmicWallpaper>(CosmicWallpaper::DefaultFolder());
        case WallpaperDesktop::X11:
            return std::make_unique<X11Wallpaper>();
        case WallpaperDesktop::None:
            break;
    }
    qCWarning(lcPlatform) << "The wallpaper cannot be set on this desktop: XDG_CURRENT_DESKTOP"
                          << session.CurrentDesktop.c_str() << "DESKTOP_SESSION"
                          << session.SessionName.c_str() << "Wayland" << session.Wayland
                          << "X display" << session.XDisplay;
    return nullptr;
}

bool ShowOnEachMonitor(const std::vector<MonitorPicture>& pictures,
                       const std::function<bool(const std::string&, const std::string&)>& show) {
    bool succeeded = !pictures.empty();
    for (const MonitorPicture& picture : pictures) {
        succeeded = show(picture.Monitor, picture.Path) && succeeded;
    }
    return succeeded;
}
