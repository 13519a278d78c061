#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/CommandRunner.h"
#include "platform/Wallpaper.h"

// LXQt's desktop is pcmanfm-qt's: set through its command line (which hands the change to
// the running desktop), recorded from the [Desktop] group of the lxqt profile's
// settings.conf. Record's values are Wallpaper and WallpaperMode as stored there.
class LxqtWallpaper : public WallpaperBackend {
public:
    static constexpr const char* Tool = "pcmanfm-qt";

    // An empty settings path means $XDG_CONFIG_HOME/pcmanfm-qt/lxqt/settings.conf.
    explicit LxqtWallpaper(std::unique_ptr<CommandRunner> runner, std::string settingsPath = {});

    std::string Name() const override { return "LXQt"; }
    std::optional<RecordedWallpaper> Record() override;
    bool Set(const std::string& picturePath) override;
    bool Restore(const RecordedWallpaper& recorded) override;

private:
    bool Apply(const std::string& picturePath, const std::string& mode);

    std::unique_ptr<CommandRunner> runner_;
    std::string settingsPath_;
};
