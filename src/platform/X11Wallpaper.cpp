#include "platform/X11Wallpaper.h"

#include <xcb/xcb.h>

#include <QImage>
#include <QImageReader>
#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include "platform/PlatformLog.h"

namespace {

// How the root window's pixels are laid out in a ZPixmap image.
struct PixelLayout {
    std::uint8_t Depth = 0;
    unsigned BitsPerPixel = 0;
    unsigned ScanlinePad = 0;
    std::uint32_t Masks[3] = {};  // red, green, blue
    bool LeastSignificantFirst = true;
};

class Connection {
public:
    explicit Connection(const std::string& displayName)
        : connection_(xcb_connect(displayName.empty() ? nullptr : displayName.c_str(), &number_)) {
        if (xcb_connection_has_error(connection_) != 0) {
            return;
        }
        xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection_));
        for (int i = 0; screens.rem > 0; ++i, xcb_screen_next(&screens)) {
            if (i == number_) {
                screen_ = screens.data;
            }
        }
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    ~Connection() { xcb_disconnect(connection_); }

    // The rest may be used only on an open connection.
    bool IsOpen() const { return screen_ != nullptr && xcb_connection_has_error(connection_) == 0; }
    xcb_connection_t* operator*() const { return connection_; }
    const xcb_screen_t& Screen() const { return *screen_; }
    xcb_window_t Root() const { return screen_->root; }

    xcb_atom_t Atom(const char* name) const {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
            connection_,
            xcb_intern_atom(connection_, 0, static_cast<std::uint16_t>(std::strlen(name)), name),
            nullptr);
        const xcb_atom_t atom = reply != nullptr ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
        std::free(reply);
        return atom;
    }

    // The root property's bytes when it has this type and format (8 or 32 bits an item).
    std::optional<std::string> Property(xcb_atom_t property, xcb_atom_t type,
                                        std::uint8_t format) const {
        xcb_get_property_reply_t* reply = xcb_get_property_reply(
            connection_, xcb_get_property(connection_, 0, Root(), property, type, 0, 1U << 20),
            nullptr);
        std::optional<std::string> value;
        if (reply != nullptr && reply->type == type && reply->format == format) {
            value.emplace(static_cast<const char*>(xcb_get_property_value(reply)),
                          static_cast<std::size_t>(xcb_get_property_value_length(reply)));
        }
        std::free(reply);
        return value;
    }

    std::optional<xcb_pixmap_t> PixmapProperty(xcb_atom_t property) const {
        const std::optional<std::string> value = Property(property, XCB_ATOM_PIXMAP, 32);
        if (!value || value->size() != sizeof(xcb_pixmap_t)) {
            return std::nullopt;
        }
        xcb_pixmap_t pixmap = XCB_NONE;
        std::memcpy(&pixmap, value->data(), sizeof pixmap);
        return pixmap == XCB_NONE ? std::nullopt : std::optional(pixmap);
    }

    void SetPixmapProperty(xcb_atom_t property, xcb_pixmap_t pixmap) const {
        xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, Root(), property, XCB_ATOM_PIXMAP,
                            32, 1, &pixmap);
    }

    bool Exists(xcb_drawable_t drawable) const {
        xcb_get_geometry_reply_t* reply =
            xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, drawable), nullptr);
        std::free(reply);
        return reply != nullptr;
    }

    // Whether the request went through; remembers the first failure for Succeeded.
    void Check(xcb_void_cookie_t cookie, const char* what) {
        if (xcb_generic_error_t* error = xcb_request_check(connection_, cookie)) {
            if (failure_ == nullptr) {
                failure_ = what;
                errorCode_ = error->error_code;
            }
            std::free(error);
        }
    }
    bool Succeeded(const char* operation) const {
        if (failure_ != nullptr) {
            qCWarning(lcPlatform) << "X11:" << operation << "failed at" << failure_ << "with error"
                                  << errorCode_;
        }
        return failure_ == nullptr;
    }

private:
    int number_ = 0;
    xcb_connection_t* connection_;
    const xcb_screen_t* screen_ = nullptr;
    const char* failure_ = nullptr;
    int errorCode_ = 0;
};

// The properties the root setters share, and ours.
struct RootAtoms {
    explicit RootAtoms(const Connection& connection)
        : RootPixmap(connection.Atom(X11Wallpaper::RootPixmapKey)),
          SetRootPixmap(connection.Atom("ESETROOT_PMAP_ID")),
          OurPixmap(connection.Atom("_SKYVANE_PMAP_ID")),
          OurPicture(connection.Atom("_SKYVANE_WALLPAPER")),
          Utf8String(connection.Atom("UTF8_STRING")) {}

    xcb_atom_t RootPixmap;
    xcb_atom_t SetRootPixmap;
    xcb_atom_t OurPixmap;
    xcb_atom_t OurPicture;
    xcb_atom_t Utf8String;
};

std::optional<PixelLayout> RootLayout(const Connection& connection) {
    const xcb_setup_t* setup = xcb_get_setup(*connection);
    const xcb_screen_t& screen = connection.Screen();
    PixelLayout layout;
    layout.Depth = screen.root_depth;
    layout.LeastSignificantFirst = setup->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST;
    for (xcb_format_iterator_t formats = xcb_setup_pixmap_formats_iterator(setup); formats.rem > 0;
         xcb_format_next(&formats)) {
        if (formats.data->depth == layout.Depth) {
            layout.BitsPerPixel = formats.data->bits_per_pixel;
            layout.ScanlinePad = formats.data->scanline_pad;
        }
    }
    for (xcb_depth_iterator_t depths = xcb_screen_allowed_depths_iterator(&screen); depths.rem > 0;
         xcb_depth_next(&depths)) {
        for (xcb_visualtype_iterator_t visuals = xcb_depth_visuals_iterator(depths.data);
             visuals.rem > 0; xcb_visualtype_next(&visuals)) {
            const xcb_visualtype_t* visual = visuals.data;
            if (visual->visual_id == screen.root_visual &&
                (visual->_class == XCB_VISUAL_CLASS_TRUE_COLOR ||
                 visual->_class == XCB_VISUAL_CLASS_DIRECT_COLOR)) {
                layout.Masks[0] = visual->red_mask;
                layout.Masks[1] = visual->green_mask;
                layout.Masks[2] = visual->blue_mask;
            }
        }
    }
    const bool supported =
        (layout.BitsPerPixel == 16 || layout.BitsPerPixel == 24 || layout.BitsPerPixel == 32) &&
        layout.ScanlinePad % 8 == 0 && layout.Masks[0] != 0 && layout.Masks[1] != 0 &&
        layout.Masks[2] != 0;
    if (!supported) {
        qCWarning(lcPlatform) << "X11: the root visual is not a true-colour one of 16, 24 or 32 "
                                 "bits per pixel";
        return std::nullopt;
    }
    return layout;
}

// An 8-bit channel in the bits of its mask.
std::uint32_t Channel(std::uint32_t value, std::uint32_t mask) {
    const int bits = std::popcount(mask);
    const int shift = std::countr_zero(mask);
    const std::uint32_t scaled = bits <= 8 ? value >> (8 - bits) : value << (bits - 8);
    return (scaled << shift) & mask;
}

std::size_t BytesPerRow(const PixelLayout& layout, std::uint16_t width) {
    const std::size_t bits = std::size_t{width} * layout.BitsPerPixel;
    return (bits + layout.ScanlinePad - 1) / layout.ScanlinePad * layout.ScanlinePad / 8;
}

std::vector<std::uint8_t> Encode(const QImage& picture, const PixelLayout& layout) {
    const auto width = static_cast<std::uint16_t>(picture.width());
    const std::size_t stride = BytesPerRow(layout, width);
    const std::size_t bytesPerPixel = layout.BitsPerPixel / 8;
    std::vector<std::uint8_t> pixels(stride * static_cast<std::size_t>(picture.height()));
    // The usual root (32 bits a pixel, 0xRRGGBB, least significant byte first) holds
    // an RGB32 row as it is.
    if (layout.BitsPerPixel == 32 && layout.LeastSignificantFirst && layout.Masks[0] == 0xFF0000 &&
        layout.Masks[1] == 0xFF00 && layout.Masks[2] == 0xFF &&
        std::endian::native == std::endian::little) {
        for (int y = 0; y < picture.height(); ++y) {
            std::memcpy(pixels.data() + stride * static_cast<std::size_t>(y),
                        picture.constScanLine(y), std::size_t{width} * 4);
        }
        return pixels;
    }
    for (int y = 0; y < picture.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        std::uint8_t* out = pixels.data() + stride * static_cast<std::size_t>(y);
        for (int x = 0; x < width; ++x, out += bytesPerPixel) {
            const std::uint32_t value =
                Channel(static_cast<std::uint32_t>(qRed(row[x])), layout.Masks[0]) |
                Channel(static_cast<std::uint32_t>(qGreen(row[x])), layout.Masks[1]) |
                Channel(static_cast<std::uint32_t>(qBlue(row[x])), layout.Masks[2]);
            for (std::size_t byte = 0; byte < bytesPerPixel; ++byte) {
                const std::size_t at =
                    layout.LeastSignificantFirst ? byte : bytesPerPixel - 1 - byte;
                out[at] = static_cast<std::uint8_t>(value >> (8 * byte));
            }
        }
    }
    return pixels;
}

std::string PixmapText(xcb_pixmap_t pixmap) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%x", static_cast<unsigned>(pixmap));
    return text;
}

std::optional<xcb_pixmap_t> PixmapOfText(const std::string& text) {
    if (text.size() < 3 || text.size() > 10 || text.compare(0, 2, "0x") != 0 ||
        text.find_first_not_of("0123456789abcdefABCDEF", 2) != std::string::npos) {
        return std::nullopt;
    }
    const auto pixmap = static_cast<xcb_pixmap_t>(std::strtoul(text.c_str() + 2, nullptr, 16));
    return pixmap == XCB_NONE ? std::nullopt : std::optional(pixmap);
}

// Shows the pixmap (or the server's default background for XCB_BACK_PIXMAP_NONE).
void ShowRootBackground(Connection& connection, xcb_pixmap_t pixmap) {
    connection.Check(xcb_change_window_attributes_checked(*connection, connection.Root(),
                                                          XCB_CW_BACK_PIXMAP, &pixmap),
                     "the root background");
    connection.Check(xcb_clear_area_checked(*connection, 0, connection.Root(), 0, 0, 0, 0),
                     "redrawing the root");
}

// Frees the root pixmap when it is ours: its whole retained connection goes with it.
void FreeOurShownPixmap(Connection& connection, const std::optional<xcb_pixmap_t>& shown,
                        const std::optional<xcb_pixmap_t>& ours) {
    if (shown && ours && *shown == *ours) {
        connection.Check(xcb_kill_client_checked(*connection, *ours), "freeing our old pixmap");
    }
}

}  // namespace

X11Wallpaper::X11Wallpaper(std::string displayName) : displayName_(std::move(displayName)) {}

bool X11Wallpaper::CanConnect(const std::string& displayName) {
    return Connection(displayName).IsOpen();
}

std::optional<RecordedWallpaper> X11Wallpaper::Record() {
    const Connection connection(displayName_);
    if (!connection.IsOpen()) {
        qCWarning(lcPlatform) << "X11: cannot open the display";
        return std::nullopt;
    }
    const RootAtoms atoms(connection);
    const std::optional<xcb_pixmap_t> shown = connection.PixmapProperty(atoms.RootPixmap);
    const std::optional<xcb_pixmap_t> ours = connection.PixmapProperty(atoms.OurPixmap);
    RecordedWallpaper recorded;
    if (shown && ours && *shown == *ours) {
        recorded.Picture = connection.Property(atoms.OurPicture, atoms.Utf8String, 8).value_or("");
    } else if (shown) {
        recorded.Values.emplace_back(RootPixmapKey, PixmapText(*shown));
    }
    return recorded;
}

bool X11Wallpaper::Set(const std::string& picturePath) {
    QImageReader reader(QString::fromStdString(picturePath));
    const QImage picture = reader.read();
    if (picture.isNull()) {
        qCWarning(lcPlatform) << "X11: cannot read" << picturePath.c_str() << ":"
                              << reader.errorString();
        return false;
    }
    Connection connection(displayName_);
    if (!connection.IsOpen()) {
        qCWarning(lcPlatform) << "X11: cannot open the display";
        return false;
    }
    const std::optional<PixelLayout> layout = RootLayout(connection);
    if (!layout) {
        return false;
    }
    const std::uint16_t width = connection.Screen().width_in_pixels;
    const std::uint16_t height = connection.Screen().height_in_pixels;
    const QImage fitted =
        picture.size() == QSize(width, height)
            ? picture
            : picture.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const std::vector<std::uint8_t> pixels =
        Encode(fitted.convertToFormat(QImage::Format_RGB32), *layout);

    const xcb_pixmap_t pixmap = xcb_generate_id(*connection);
    connection.Check(xcb_create_pixmap_checked(*connection, layout->Depth, pixmap,
                                               connection.Root(), width, height),
                     "creating the pixmap");
    const xcb_gcontext_t context = xcb_generate_id(*connection);
    connection.Check(xcb_create_gc_checked(*connection, context, pixmap, 0, nullptr),
                     "creating a graphics context");
    // Whole rows, as many as one request may carry (the 32-byte header spared).
    const std::size_t stride = BytesPerRow(*layout, width);
    const std::size_t requestBytes = std::size_t{xcb_get_maximum_request_length(*connection)} * 4;
    const std::size_t rowsPerRequest = std::max<std::size_t>(1, (requestBytes - 32) / stride);
    for (std::size_t top = 0; top < height; top += rowsPerRequest) {
        const std::size_t rows = std::min<std::size_t>(rowsPerRequest, height - top);
        connection.Check(xcb_put_image_checked(*connection, XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap,
                                               context, width, static_cast<std::uint16_t>(rows), 0,
                                               static_cast<std::int16_t>(top), 0, layout->Depth,
                                               static_cast<std::uint32_t>(rows * stride),
                                               pixels.data() + top * stride),
                         "drawing the picture");
    }
    xcb_free_gc(*connection, context);

    const RootAtoms atoms(connection);
    const std::optional<xcb_pixmap_t> shown = connection.PixmapProperty(atoms.RootPixmap);
    const std::optional<xcb_pixmap_t> ours = connection.PixmapProperty(atoms.OurPixmap);
    if (!connection.Succeeded("setting the wallpaper")) {
        return false;
    }
    connection.SetPixmapProperty(atoms.RootPixmap, pixmap);
    connection.SetPixmapProperty(atoms.SetRootPixmap, pixmap);
    connection.SetPixmapProperty(atoms.OurPixmap, pixmap);
    xcb_change_property(*connection, XCB_PROP_MODE_REPLACE, connection.Root(), atoms.OurPicture,
                        atoms.Utf8String, 8, static_cast<std::uint32_t>(picturePath.size()),
                        picturePath.data());
    ShowRootBackground(connection, pixmap);
    connection.Check(xcb_set_close_down_mode_checked(*connection, XCB_CLOSE_DOWN_RETAIN_PERMANENT),
                     "keeping the pixmap");
    FreeOurShownPixmap(connection, shown, ours);
    return connection.Succeeded("setting the wallpaper");
}

bool X11Wallpaper::Restore(const RecordedWallpaper& recorded) {
    Connection connection(displayName_);
    if (!connection.IsOpen()) {
        qCWarning(lcPlatform) << "X11: cannot open the display";
        return false;
    }
    const RootAtoms atoms(connection);
    const std::optional<xcb_pixmap_t> shown = connection.PixmapProperty(atoms.RootPixmap);
    const std::optional<xcb_pixmap_t> ours = connection.PixmapProperty(atoms.OurPixmap);
    xcb_pixmap_t previous = XCB_BACK_PIXMAP_NONE;
    for (const auto& [key, value] : recorded.Values) {
        if (key == RootPixmapKey) {
            previous = PixmapOfText(value).value_or(XCB_BACK_PIXMAP_NONE);
        }
    }
    if (previous != XCB_BACK_PIXMAP_NONE &&
        ((ours && previous == *ours) || !connection.Exists(previous))) {
        qCInfo(lcPlatform) << "X11: the recorded root pixmap is gone; the root is cleared";
        previous = XCB_BACK_PIXMAP_NONE;
    }
    if (previous != XCB_BACK_PIXMAP_NONE) {
        connection.SetPixmapProperty(atoms.RootPixmap, previous);
        connection.SetPixmapProperty(atoms.SetRootPixmap, previous);
    } else {
        xcb_delete_property(*connection, connection.Root(), atoms.RootPixmap);
        xcb_delete_property(*connection, connection.Root(), atoms.SetRootPixmap);
    }
    xcb_delete_property(*connection, connection.Root(), atoms.OurPixmap);
    xcb_delete_property(*connection, connection.Root(), atoms.OurPicture);
    ShowRootBackground(connection, previous);
    FreeOurShownPixmap(connection, shown, ours);
    return connection.Succeeded("restoring the wallpaper");
}
