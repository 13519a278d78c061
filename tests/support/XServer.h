#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <string>

extern char** environ;

// A real X server for the tests that need one, and what a test asks of it.
namespace TestSupport {

// A private Xvfb on the first free display, at 24 bits unless told otherwise. It never resets (a
// reset after its last client left refuses whoever connects meanwhile), and it is ready once a
// client of its own has been let in.
class Xvfb {
public:
    Xvfb(int width, int height, int depth = 24) {
        int channel[2];
        if (::pipe(channel) != 0) {
            throw std::runtime_error("pipe");
        }
        ::fcntl(channel[0], F_SETFD, FD_CLOEXEC);
        const std::string fd = std::to_string(channel[1]);
        const std::string screen =
            std::to_string(width) + "x" + std::to_string(height) + "x" + std::to_string(depth);
        const char* arguments[] = {"Xvfb",         "-displayfd", fd.c_str(), "-screen",  "0",
                                   screen.c_str(), "-nolisten",  "tcp",      "-noreset", nullptr};
        const int spawned =
            ::posix_spawnp(&pid_, "Xvfb", nullptr, nullptr, const_cast<char**>(arguments), environ);
        ::close(channel[1]);
        std::string number;
        pollfd ready{channel[0], POLLIN, 0};
        char c = 0;
        while (spawned == 0 && ::poll(&ready, 1, 30000) == 1 && ::read(channel[0], &c, 1) == 1 &&
               c != '\n') {
            number += c;
        }
        ::close(channel[0]);
        if (spawned != 0 || number.empty()) {
            throw std::runtime_error("Xvfb did not start");
        }
        display_ = ":" + number;
        if (!Answers()) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
            throw std::runtime_error("Xvfb on " + display_ + " does not answer");
        }
    }
    Xvfb(const Xvfb&) = delete;
    Xvfb& operator=(const Xvfb&) = delete;
    ~Xvfb() {
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
    }

    const std::string& Display() const { return display_; }

private:
    bool Answers() const {
        for (int attempt = 0; attempt < 300; ++attempt) {
            xcb_connection_t* probe = xcb_connect(display_.c_str(), nullptr);
            const bool connected = xcb_connection_has_error(probe) == 0;
            xcb_disconnect(probe);
            if (connected) {
                return true;
            }
            ::usleep(20000);
        }
        return false;
    }

    pid_t pid_ = 0;
    std::string display_;
};

// What a test asks the X server itself, on a connection of its own.
class Root {
public:
    explicit Root(const std::string& display) : connection_(xcb_connect(display.c_str(), nullptr)) {
        root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
    }
    Root(const Root&) = delete;
    Root& operator=(const Root&) = delete;
    ~Root() { xcb_disconnect(connection_); }

    xcb_atom_t Atom(const char* name) {
        auto* reply = xcb_intern_atom_reply(
            connection_, xcb_intern_atom(connection_, 0, std::strlen(name), name), nullptr);
        const xcb_atom_t atom = reply->atom;
        std::free(reply);
        return atom;
    }

    std::optional<xcb_pixmap_t> Pixmap(const char* property) {
        auto* reply = xcb_get_property_reply(
            connection_,
            xcb_get_property(connection_, 0, root_, Atom(property), XCB_ATOM_PIXMAP, 0, 1),
            nullptr);
        std::optional<xcb_pixmap_t> pixmap;
        if (reply != nullptr && xcb_get_property_value_length(reply) == 4) {
            pixmap = *static_cast<xcb_pixmap_t*>(xcb_get_property_value(reply));
        }
        std::free(reply);
        return pixmap;
    }

    bool Exists(xcb_pixmap_t pixmap) {
        auto* reply =
            xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, pixmap), nullptr);
        std::free(reply);
        return reply != nullptr;
    }

    // 0xRRGGBB of the root window's pixel.
    xcb_window_t Window() const { return root_; }
    std::uint32_t Pixel(std::int16_t x, std::int16_t y) { return PixelOf(root_, x, y); }

    // 0xRRGGBB of a window's pixel as shown (0 when the window cannot be read).
    std::uint32_t PixelOf(xcb_window_t window, std::int16_t x, std::int16_t y) {
        auto* reply = xcb_get_image_reply(
            connection_,
            xcb_get_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, window, x, y, 1, 1, ~0U),
            nullptr);
        std::uint32_t pixel = 0;
        if (reply != nullptr) {
            std::memcpy(&pixel, xcb_get_image_data(reply), sizeof pixel);
        }
        std::free(reply);
        return pixel & 0xFFFFFF;
    }

    // A plain black window on the root, mapped, as another program would make one.
    xcb_window_t MakeWindow(std::uint16_t width, std::uint16_t height) {
        const xcb_window_t window = xcb_generate_id(connection_);
        const std::uint32_t values[] = {0, 1};  // black background, override-redirect
        xcb_create_window(connection_, XCB_COPY_FROM_PARENT, window, root_, 0, 0, width, height, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT,
                          XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT, values);
        xcb_map_window(connection_, window);
        Sync();
        return window;
    }
    void Resize(xcb_window_t window, std::uint32_t width, std::uint32_t height) {
        const std::uint32_t values[] = {width, height};
        xcb_configure_window(connection_, window,
                             XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT, values);
        Sync();
    }
    void Destroy(xcb_window_t window) {
        xcb_destroy_window(connection_, window);
        Sync();
    }
    void Sync() {
        std::free(
            xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
    }

    // Shows a one-colour pixmap the way a user's root setter leaves it.
    xcb_pixmap_t ShowUsersPixmap(std::uint32_t colour, std::uint16_t width, std::uint16_t height) {
        const xcb_pixmap_t pixmap = xcb_generate_id(connection_);
        xcb_create_pixmap(connection_, 24, pixmap, root_, width, height);
        const xcb_gcontext_t context = xcb_generate_id(connection_);
        xcb_create_gc(connection_, context, pixmap, XCB_GC_FOREGROUND, &colour);
        const xcb_rectangle_t all{0, 0, width, height};
        xcb_poly_fill_rectangle(connection_, pixmap, context, 1, &all);
        for (const char* property : {"_XROOTPMAP_ID", "ESETROOT_PMAP_ID"}) {
            xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, root_, Atom(property),
                                XCB_ATOM_PIXMAP, 32, 1, &pixmap);
        }
        xcb_change_window_attributes(connection_, root_, XCB_CW_BACK_PIXMAP, &pixmap);
        xcb_clear_area(connection_, 0, root_, 0, 0, 0, 0);
        xcb_set_close_down_mode(connection_, XCB_CLOSE_DOWN_RETAIN_PERMANENT);
        std::free(
            xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
        return pixmap;
    }

private:
    xcb_connection_t* connection_;
    xcb_window_t root_ = XCB_NONE;
};

}  // namespace TestSupport
