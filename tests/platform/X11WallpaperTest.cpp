#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <QImage>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <string>

#include "platform/X11Wallpaper.h"
#include "support/TestSupport.h"

extern char** environ;

using namespace TestSupport;

namespace {

// A private Xvfb on the first free display, 320 x 240 at 24 bits.
class Xvfb {
public:
    Xvfb() {
        int channel[2];
        if (::pipe(channel) != 0) {
            throw std::runtime_error("pipe");
        }
        ::fcntl(channel[0], F_SETFD, FD_CLOEXEC);
        const std::string fd = std::to_string(channel[1]);
        const char* arguments[] = {"Xvfb",       "-displayfd", fd.c_str(), "-screen", "0",
                                   "320x240x24", "-nolisten",  "tcp",      nullptr};
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
    }
    Xvfb(const Xvfb&) = delete;
    Xvfb& operator=(const Xvfb&) = delete;
    ~Xvfb() {
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
    }

    const std::string& Display() const { return display_; }

private:
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
    std::uint32_t Pixel(std::int16_t x, std::int16_t y) {
        auto* reply = xcb_get_image_reply(
            connection_,
            xcb_get_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, root_, x, y, 1, 1, ~0U), nullptr);
        std::uint32_t pixel = 0;
        std::memcpy(&pixel, xcb_get_image_data(reply), sizeof pixel);
        std::free(reply);
        return pixel & 0xFFFFFF;
    }

    // Shows a one-colour pixmap the way a user's root setter leaves it.
    xcb_pixmap_t ShowUsersPixmap(std::uint32_t colour) {
        const xcb_pixmap_t pixmap = xcb_generate_id(connection_);
        xcb_create_pixmap(connection_, 24, pixmap, root_, 320, 240);
        const xcb_gcontext_t context = xcb_generate_id(connection_);
        xcb_create_gc(connection_, context, pixmap, XCB_GC_FOREGROUND, &colour);
        const xcb_rectangle_t all{0, 0, 320, 240};
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

constexpr std::uint32_t Blue = 0x0000FF;
constexpr std::uint32_t Green = 0x00FF00;
constexpr std::uint32_t Red = 0xFF0000;

class X11WallpaperTest : public ::testing::Test {
protected:
    // 40 x 30, blue on the left and green on the right: stretched over the whole root, the
    // halves meet in its middle.
    std::string Picture(const char* name) {
        QImage picture(40, 30, QImage::Format_RGB32);
        picture.fill(QColor(Qt::blue));
        for (int y = 0; y < 30; ++y) {
            for (int x = 20; x < 40; ++x) {
                picture.setPixel(x, y, qRgb(0, 255, 0));
            }
        }
        const std::string path = folder_.Folder() + name;
        picture.save(QString::fromStdString(path), "BMP");
        return path;
    }
    void ExpectPictureShown(Root& root) {
        EXPECT_EQ(root.Pixel(40, 120), Blue);
        EXPECT_EQ(root.Pixel(150, 10), Blue);
        EXPECT_EQ(root.Pixel(170, 230), Green);
        EXPECT_EQ(root.Pixel(319, 120), Green);
    }

    TempFolder folder_;
    Xvfb server_;
    X11Wallpaper backend_{server_.Display()};
};

TEST_F(X11WallpaperTest, RestorePutsTheUsersPixmapBackAndOursAreFreed) {
    Root root(server_.Display());
    const xcb_pixmap_t users = root.ShowUsersPixmap(Red);
    const std::optional<RecordedWallpaper> recorded = backend_.Record();
    char usersText[16];
    std::snprintf(usersText, sizeof usersText, "0x%x", users);
    EXPECT_EQ(recorded, (RecordedWallpaper{"", {{"_XROOTPMAP_ID", usersText}}}));

    ASSERT_TRUE(backend_.Set(Picture("E0.bmp")));
    const std::optional<xcb_pixmap_t> first = root.Pixmap("_XROOTPMAP_ID");
    ASSERT_TRUE(first.has_value());
    EXPECT_NE(*first, users);
    EXPECT_EQ(root.Pixmap("ESETROOT_PMAP_ID"), first);
    ExpectPictureShown(root);

    ASSERT_TRUE(backend_.Set(Picture("E1.bmp")));
    const std::optional<xcb_pixmap_t> second = root.Pixmap("_XROOTPMAP_ID");
    EXPECT_NE(second, first);
    EXPECT_FALSE(root.Exists(*first));
    EXPECT_TRUE(root.Exists(users));
    // A later start finds our own picture, not a user's pixmap to keep.
    EXPECT_EQ(backend_.Record(), (RecordedWallpaper{folder_.Folder() + "E1.bmp", {}}));

    ASSERT_TRUE(backend_.Restore(*recorded));
    EXPECT_EQ(root.Pixmap("_XROOTPMAP_ID"), users);
    EXPECT_EQ(root.Pixmap("ESETROOT_PMAP_ID"), users);
    EXPECT_EQ(root.Pixel(40, 120), Red);
    EXPECT_FALSE(root.Exists(*second));
}

TEST_F(X11WallpaperTest, WithoutAPreviousPixmapRestoreClearsTheRoot) {
    Root root(server_.Display());
    const std::optional<RecordedWallpaper> recorded = backend_.Record();
    EXPECT_EQ(recorded, RecordedWallpaper{});
    EXPECT_FALSE(backend_.Set(folder_.Folder() + "missing.bmp"));
    EXPECT_EQ(root.Pixmap("_XROOTPMAP_ID"), std::nullopt);

    ASSERT_TRUE(backend_.Set(Picture("E0.bmp")));
    const std::optional<xcb_pixmap_t> ours = root.Pixmap("_XROOTPMAP_ID");
    ASSERT_TRUE(ours.has_value());
    ExpectPictureShown(root);

    ASSERT_TRUE(backend_.Restore(*recorded));
    EXPECT_EQ(root.Pixmap("_XROOTPMAP_ID"), std::nullopt);
    EXPECT_EQ(root.Pixmap("ESETROOT_PMAP_ID"), std::nullopt);
    EXPECT_FALSE(root.Exists(*ours));
    EXPECT_NE(root.Pixel(40, 120), Blue);
}

}  // namespace
