#include "platform/DisplayChoice.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <QDir>
#include <QLibraryInfo>
#include <QStringList>
#include <cstdlib>
#include <cstring>

namespace {

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

bool XServerAnswers(const std::string& display) {
    xcb_connection_t* connection = xcb_connect(display.c_str(), nullptr);
    const bool answers = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return answers;
}

// The compositor's socket as a Wayland client finds it: a relative name lives in
// the runtime folder.
bool CompositorAnswers(const std::string& display) {
    const std::string runtime = Variable("XDG_RUNTIME_DIR");
    if (runtime.empty() && display.front() != '/') {
        return false;
    }
    const std::string path = display.front() == '/' ? display : runtime + "/" + display;
    sockaddr_un address{};
    if (path.size() >= sizeof address.sun_path) {
        return false;
    }
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (socket < 0) {
        return false;
    }
    const bool answers =
        ::connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(socket);
    return answers;
}

bool WaylandPluginInstalled() {
    QStringList folders{QLibraryInfo::path(QLibraryInfo::PluginsPath)};
    folders += QString::fromLocal8Bit(qgetenv("QT_PLUGIN_PATH")).split(':', Qt::SkipEmptyParts);
    for (const QString& folder : folders) {
        if (!QDir(folder + "/platforms").entryList({"libqwayland*.so"}, QDir::Files).isEmpty()) {
            return true;
        }
    }
    return false;
}

std::string XProblem(const std::string& display) {
    return "cannot open the X display \"" + display + "\": no X server answers there";
}

// Empty when the Wayland display can be used.
std::string WaylandProblem(const std::string& display) {
    if (!CompositorAnswers(display)) {
        return "cannot reach the Wayland display \"" + display + "\": no compositor answers there";
    }
    if (!WaylandPluginInstalled()) {
        return "the Wayland display \"" + display +
               "\" needs Qt's Wayland platform plugin (Debian: qt6-wayland), which is not "
               "installed";
    }
    return {};
}

}  // namespace

DisplayChoice ChooseDisplay() {
    const std::string x11 = Variable("DISPLAY");
    const std::string wayland = Variable("WAYLAND_DISPLAY");
    const std::string requested = Variable("QT_QPA_PLATFORM");
    if (requested == "xcb") {
        return {"", x11.empty()           ? "QT_QPA_PLATFORM is xcb but DISPLAY is not set"
                    : XServerAnswers(x11) ? ""
                                          : XProblem(x11)};
    }
    if (requested == "wayland") {
        return {"", wayland.empty() ? "QT_QPA_PLATFORM is wayland but WAYLAND_DISPLAY is not set"
                                    : WaylandProblem(wayland)};
    }
    if (!requested.empty()) {
        return {};
    }
    if (x11.empty() && wayland.empty()) {
        return {"",
                "there is no display to show the picture on (neither DISPLAY nor "
                "WAYLAND_DISPLAY is set)."};
    }
    if (!x11.empty() && XServerAnswers(x11)) {
        return {"xcb", ""};
    }
    const std::string waylandProblem = wayland.empty() ? "" : WaylandProblem(wayland);
    if (!wayland.empty() && waylandProblem.empty()) {
        return {"wayland", ""};
    }
    if (x11.empty()) {
        return {"", waylandProblem};
    }
    return {"", wayland.empty() ? XProblem(x11) : XProblem(x11) + "; " + waylandProblem};
}

bool IsWaylandSession() {
    return Variable("XDG_SESSION_TYPE") == "wayland" || !Variable("WAYLAND_DISPLAY").empty();
}
