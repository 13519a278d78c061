#include <xcb/xcb.h>

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QScreen>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "data/Options.h"
#include "data/Settings.h"
#include "support/EventLoopWait.h"
#include "support/TestSupport.h"
#include "ui/FormTimeZones.h"

namespace {

// The window on a bare X server, driven with xdotool as a user would, and seen
// through the X server's own eyes.
class FormTimeZonesX11Test : public ::testing::Test {
protected:
    FormTimeZonesX11Test()
        : options_(
              EnumAppKind::TimeZones,
              OptionsFiles{folder_.Folder() + "Options.txt", folder_.Folder() + "TimeZones.txt",
                           folder_.Folder() + "Cities.txt", folder_.Folder() + "Earth/"}),
          connection_(xcb_connect(nullptr, nullptr)) {}
    ~FormTimeZonesX11Test() override { xcb_disconnect(connection_); }

    static void Xdotool(const std::string& arguments) {
        const std::string command = "xdotool " + arguments;
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
    }

    // Where the X server has the window's top-left corner.
    QPoint Position(WId window) {
        auto* reply = xcb_translate_coordinates_reply(
            connection_, xcb_translate_coordinates(connection_, window, Root(), 0, 0), nullptr);
        const QPoint position = reply != nullptr ? QPoint(reply->dst_x, reply->dst_y) : QPoint();
        std::free(reply);
        return position;
    }
    bool Mapped(WId window) {
        auto* reply = xcb_get_window_attributes_reply(
            connection_, xcb_get_window_attributes(connection_, window), nullptr);
        const bool mapped = reply != nullptr && reply->map_state == XCB_MAP_STATE_VIEWABLE;
        std::free(reply);
        return mapped;
    }
    xcb_window_t Focus() {
        auto* reply =
            xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr);
        const xcb_window_t focus = reply != nullptr ? reply->focus : XCB_NONE;
        std::free(reply);
        return focus;
    }
    // The time of the last user action on the window, which a window manager
    // reads to decide whether a newly mapped window may take the focus.
    std::optional<std::uint32_t> UserTime(WId window) {
        const char* name = "_NET_WM_USER_TIME";
        auto* atom = xcb_intern_atom_reply(
            connection_, xcb_intern_atom(connection_, 0, std::strlen(name), name), nullptr);
        auto* reply = xcb_get_property_reply(
            connection_,
            xcb_get_property(connection_, 0, window, atom->atom, XCB_ATOM_CARDINAL, 0, 1), nullptr);
        std::free(atom);
        std::optional<std::uint32_t> time;
        if (reply != nullptr && xcb_get_property_value_length(reply) == 4) {
            std::memcpy(&time.emplace(), xcb_get_property_value(reply), 4);
        }
        std::free(reply);
        return time;
    }
    // Another program's window that has the keyboard.
    xcb_window_t FocusedOtherWindow() {
        const xcb_window_t window = xcb_generate_id(connection_);
        xcb_create_window(connection_, XCB_COPY_FROM_PARENT, window, Root(), 500, 500, 50, 50, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
        xcb_map_window(connection_, window);
        xcb_set_input_focus(connection_, XCB_INPUT_FOCUS_POINTER_ROOT, window, XCB_CURRENT_TIME);
        std::free(
            xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
        return window;
    }
    xcb_window_t Root() const {
        return xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
    }

    TestSupport::TempFolder folder_;
    COptions options_;
    CSettings settings_;
    xcb_connection_t* connection_;
};

TEST_F(FormTimeZonesX11Test, ADragPastTheScreensCornerStopsAtItsEdgesAndIsStored) {
    settings_.FormTimeZones_Location = CPoint{100, 100};
    CFormTimeZones window(options_, settings_);
    window.ShowWindow();
    ASSERT_TRUE(WaitUntil(
        [&] { return Mapped(window.winId()) && Position(window.winId()) == QPoint(100, 100); }));

    const QSize screen = QGuiApplication::primaryScreen()->size();
    Xdotool("mousemove --sync 110 105 mousedown 1 mousemove --sync 300 200 mousemove --sync " +
            std::to_string(screen.width() - 1) + " " + std::to_string(screen.height() - 1) +
            " mouseup 1");
    const QPoint corner(screen.width() - window.width(), screen.height() - window.height());
    EXPECT_TRUE(WaitUntil([&] { return Position(window.winId()) == corner; }));
    EXPECT_EQ(settings_.FormTimeZones_Location, (CPoint{corner.x(), corner.y()}));
}

TEST_F(FormTimeZonesX11Test, ACtrlClickHidesItAndItComesBackWithoutTakingTheFocus) {
    CFormTimeZones window(options_, settings_);
    window.SetHideIntervalForTest(500);
    window.ShowWindow();
    // Shown from the tray it takes the focus; then the user types elsewhere.
    ASSERT_TRUE(WaitUntil([&] { return Focus() == window.winId(); }));
    const xcb_window_t other = FocusedOtherWindow();
    ASSERT_EQ(Focus(), other);

    Xdotool("mousemove --sync 110 5 keydown ctrl click 1 keyup ctrl");
    EXPECT_TRUE(WaitUntil([&] { return !Mapped(window.winId()); }));
    EXPECT_TRUE(WaitUntil([&] { return Mapped(window.winId()); }));
    // Whatever the window would do on being shown is done by now.
    QElapsedTimer settling;
    settling.start();
    while (settling.elapsed() < 300) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    EXPECT_EQ(Focus(), other);
    EXPECT_FALSE(window.isActiveWindow());
    EXPECT_EQ(UserTime(window.winId()), std::optional<std::uint32_t>(0));
}

}  // namespace
