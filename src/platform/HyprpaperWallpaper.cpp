#include "platform/HyprpaperWallpaper.h"

#include <algorithm>
#include <utility>

#include "core/TextSplit.h"
#include "platform/PlatformLog.h"

HyprpaperWallpaper::HyprpaperWallpaper(std::unique_ptr<CommandRunner> runner)
    : runner_(std::move(runner)) {}

std::optional<RecordedWallpaper> HyprpaperWallpaper::Record() {
    const CommandRunner::Result listing = runner_->Run("hyprctl", {"hyprpaper", "listactive"});
    if (!listing.Succeeded) {
        qCWarning(lcPlatform) << "Hyprland: hyprpaper does not answer";
        return std::nullopt;
    }
    RecordedWallpaper recorded;
    for (const std::string& line : Split(listing.Output, '\n')) {
        const std::size_t separator = line.find(" = ");
        if (separator == std::string::npos) {
            continue;
        }
        std::string monitor = line.substr(0, separator);
        std::string path = line.substr(separator + 3);
        if (recorded.Picture.empty()) {
            recorded.Picture = path;
        }
        recorded.Values.emplace_back(std::move(monitor), std::move(path));
    }
    return recorded;
}

bool HyprpaperWallpaper::Show(const std::string& monitor, const std::string& path) {
    if (runner_->Run("hyprctl", {"hyprpaper", "wallpaper", monitor + "," + path}).Succeeded) {
        return true;
    }
    qCWarning(lcPlatform) << "Hyprland: hyprpaper did not show" << path.c_str() << "on"
                          << monitor.c_str();
    return false;
}

bool HyprpaperWallpaper::Set(const std::string& picturePath) {
    return Show({}, picturePath);
}

bool HyprpaperWallpaper::SetEach(const std::vector<MonitorPicture>& pictures) {
    return ShowOnEachMonitor(pictures, [this](const std::string& monitor, const std::string& path) {
        return Show(monitor, path);
    });
}

bool HyprpaperWallpaper::Restore(const RecordedWallpaper& recorded) {
    // hyprpaper cannot show "no picture".
    if (recorded.Picture.empty() || recorded.Values.empty()) {
        return false;
    }
    bool succeeded = true;
    for (const auto& [monitor, path] : recorded.Values) {
        succeeded = Show(monitor, path) && succeeded;
    }
    return succeeded;
}
