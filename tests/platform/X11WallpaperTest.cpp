#include <gtest/gtest.h>

#include <QImage>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/X11Wallpaper.h"
#include "support/TestSupport.h"
#include "support/XServer.h"

using namespace TestSupport;

namespace {

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
    Xvfb server_{320, 240};
    X11Wallpaper backend_{server_.Display()};
};

TEST_F(X11WallpaperTest, RestorePutsTheUsersPixmapBackAndOursAreFreed) {
    Root root(server_.Display());
    const xcb_pixmap_t users = root.ShowUsersPixmap(Red, 320, 240);
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

// A root of 16 bits a pixel gets each colour packed into its own masks (5-6-5).
TEST_F(X11WallpaperTest, ARootOfSixteenBitsGetsThePictureInItsOwnPixels) {
    const Xvfb server(320, 240, 16);
    X11Wallpaper backend(server.Display());
    ASSERT_TRUE(backend.Set(Picture("E0.bmp")));
    Root root(server.Display());
    EXPECT_EQ(root.Pixel(40, 120) & 0xFFFF, 0x001FU);
    EXPECT_EQ(root.Pixel(319, 120) & 0xFFFF, 0x07E0U);
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
