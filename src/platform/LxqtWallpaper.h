#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/CommandRunner.h"
#include "platform/Wallpaper.h"

// LXQt's desktop is pcmanfm-qt's: set through its command line (which hands the change to
// the running desktop), recorded from the [Desktop] group of the lxqt profile's
// settings.conf, the very file pcmanfm-qt reads: the user's profile folder when there is
// one, else the first system configuration folder that has the profile. Record's values
// are Wallpaper and WallpaperMode as stored there.
//
// pcmanfm-qt takes a --wallpaper-mode only when it differs from the mode of its settings,
// and never stores it: a mode once changed cannot be put back. So the picture is set in
// the user's own mode (the program's pictures have the screen's size, which every mode
// shows alike); only where that mode shows no picture at all is it stretched.
class LxqtWallpaper : public WallpaperBackend {
public:
    static constexpr const char* Tool = "pcmanfm-qt";

    // An empty settings path means the file pcmanfm-qt itself reads, looked up anew
    // each time.
    explicit LxqtWallpaper(std::unique_ptr<CommandRunner> runner, std::string settingsPath = {});

    std::string Name() const override { return "LXQt"; }
    std::optional<RecordedWallpaper> Record() override;
    bool Set(const std::string& picturePath) override;
    // pcmanfm-qt scales its one picture to each monitor: the first monitor's picture
    // (the primary's) is the one that keeps its shape.
    bool PerMonitor() const override { return true; }
    // A record without a picture cannot be shown: pcmanfm-qt has no command for it,
    // and false says so.
    bool Restore(const RecordedWallpaper& recorded) override;

    // The settings file of pcmanfm-qt's lxqt profile, in pcmanfm-qt's own search order.
    static std::string ProfileSettingsPath();

private:
    bool Apply(const std::string& picturePath, const std::string& mode);
    std::string SettingsPath() const;

    std::unique_ptr<CommandRunner> runner_;
    std::string settingsPath_;
    // The mode this run gave the desktop, which a restore then gives back.
    bool changedMode_ = false;
};
