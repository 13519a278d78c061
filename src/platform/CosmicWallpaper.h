#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/Wallpaper.h"

// COSMIC's cosmic-bg follows its configuration folder
// (~/.config/cosmic/com.system76.CosmicBackground/v1/), one file a key in RON: "all"
// (the entry of every output), "same-on-all" (true or false), "backgrounds" (the
// outputs with entries of their own) and "output.<OUTPUT>" (those entries). One picture
// for all is the "all" entry; one per monitor, the outputs' own entries with
// same-on-all false. Files are replaced whole, as cosmic-config does. Record's values
// are those files with their text; Restore writes them back and removes the ones it
// added.
class CosmicWallpaper : public WallpaperBackend {
public:
    // The configuration folder, ending in "/".
    explicit CosmicWallpaper(std::string folder);
    // $XDG_CONFIG_HOME's (else ~/.config's) folder.
    static std::string DefaultFolder();

    std::string Name() const override { return "COSMIC"; }
    std::optional<RecordedWallpaper> Record() override;
    bool Set(const std::string& picturePath) override;
    bool PerMonitor() const override { return true; }
    bool SetEach(const std::vector<MonitorPicture>& pictures) override;
    bool Restore(const RecordedWallpaper& recorded) override;

    // One entry as cosmic-bg reads it: the picture stretched over the output.
    static std::string Entry(const std::string& output, const std::string& path);

private:
    // The keys of cosmic-bg's background configuration that are there now.
    std::vector<std::string> Keys() const;
    bool Write(const std::string& key, const std::string& text);

    std::string folder_;
};
