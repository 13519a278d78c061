#pragma once

#include <optional>
#include <string>

#include "platform/Wallpaper.h"

// Any X window manager without a desktop of its own (and Xvfb): the root window's
// background pixmap, set the way other root setters do it. The pixmap is made in a
// connection of its own that closes in RetainPermanent mode, so it outlives the call, and
// is named in the root properties _XROOTPMAP_ID and ESETROOT_PMAP_ID, which terminals and
// panels read for pseudo-transparency and the next setter frees. Our own root properties
// _SKYVANE_PMAP_ID and _SKYVANE_WALLPAPER tell our pixmap (and its picture) from a
// user's, so only ours is ever freed. Record's value "_XROOTPMAP_ID" names the user's
// pixmap (absent when the root had none, or showed ours).
class X11Wallpaper : public WallpaperBackend {
public:
    static constexpr const char* RootPixmapKey = "_XROOTPMAP_ID";

    // An empty display name means $DISPLAY.
    explicit X11Wallpaper(std::string displayName = {});

    // Whether the display accepts a connection.
    static bool CanConnect(const std::string& displayName = {});

    std::string Name() const override { return "X11"; }
    std::optional<RecordedWallpaper> Record() override;
    bool Set(const std::string& picturePath) override;
    bool Restore(const RecordedWallpaper& recorded) override;

private:
    std::string displayName_;
};
