#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/CommandRunner.h"
#include "platform/Wallpaper.h"

// Hyprland's hyprpaper (0.8), told through hyprctl: "hyprctl hyprpaper listactive"
// prints "MONITOR = FILE" per monitor, "hyprctl hyprpaper wallpaper MONITOR,FILE" shows
// a picture (an empty monitor: every monitor without one of its own). The picture has
// the monitor's shape, so hyprpaper's own fit mode is left as it is. Record's values
// are the monitors with their files.
class HyprpaperWallpaper : public WallpaperBackend {
public:
    explicit HyprpaperWallpaper(std::unique_ptr<CommandRunner> runner);

    std::string Name() const override { return "Hyprland (hyprpaper)"; }
    std::optional<RecordedWallpaper> Record() override;
    bool Set(const std::string& picturePath) override;
    bool PerMonitor() const override { return true; }
    bool SetEach(const std::vector<MonitorPicture>& pictures) override;
    bool Restore(const RecordedWallpaper& recorded) override;

private:
    bool Show(const std::string& monitor, const std::string& path);

    std::unique_ptr<CommandRunner> runner_;
};
