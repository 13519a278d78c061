#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/CommandRunner.h"
#include "platform/Wallpaper.h"

// Xfce keeps one backdrop per monitor and workspace in the xfconf channel "xfce4-desktop"
// (/backdrop/screen0/monitor<NAME>/workspace<N>/last-image and image-style), changed and
// read through xfconf-query. xfdesktop creates those properties for the monitors it
// sees; Set changes them all and creates none of its own. Record's values are the
// properties with their values.
class XfceWallpaper : public WallpaperBackend {
public:
    static constexpr const char* Channel = "xfce4-desktop";
    static constexpr const char* Stretched = "3";

    explicit XfceWallpaper(std::unique_ptr<CommandRunner> runner);

    std::string Name() const override { return "Xfce"; }
    std::optional<RecordedWallpaper> Record() override;
    bool Set(const std::string& picturePath) override;
    bool PerMonitor() const override { return true; }
    // A backdrop of a monitor the list does not name ("monitor0" of older xfdesktops,
    // a monitor plugged in since) gets the first picture.
    bool SetEach(const std::vector<MonitorPicture>& pictures) override;
    bool Restore(const RecordedWallpaper& recorded) override;

private:
    // The backdrop properties Skyvane changes (last-image, image-style) that exist now.
    std::optional<std::vector<std::string>> BackdropProperties();
    bool Write(const std::string& property, const std::string& value);

    std::unique_ptr<CommandRunner> runner_;
};
