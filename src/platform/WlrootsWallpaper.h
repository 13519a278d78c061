#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/CommandRunner.h"
#include "platform/Wallpaper.h"

// sway and the other wlroots compositors draw no wallpaper of their own: a client on
// the background layer does. Without a wallpaper daemon that runs, that is swaybg, one
// process for all outputs ("-o OUTPUT -i FILE -m MODE" per output), started by the
// session (sway's "output ... bg" lines) or by us. A new picture is a new swaybg that
// is given time to draw before the one before it ends, so the screen never flashes
// grey. Record's values are the command lines of the swaybg processes that ran, each
// as one "swaybg" value with the arguments separated by NUL; Restore starts them again.
class SwaybgWallpaper : public WallpaperBackend {
public:
    explicit SwaybgWallpaper(std::chrono::milliseconds drawTime = std::chrono::milliseconds(700))
        : drawTime_(drawTime) {}

    std::string Name() const override { return "wlroots (swaybg)"; }
    std::optional<RecordedWallpaper> Record() override;
    bool Set(const std::string& picturePath) override;
    bool PerMonitor() const override { return true; }
    bool SetEach(const std::vector<MonitorPicture>& pictures) override;
    bool Restore(const RecordedWallpaper& recorded) override;

    // swaybg's arguments for the pictures; an unnamed monitor is every output ("*").
    static std::vector<std::string> Arguments(const std::vector<MonitorPicture>& pictures);

private:
    // Starts each command line, waits until they had time to draw, then ends every
    // other swaybg of the user. False when one of them did not start or died at once.
    bool Replace(const std::vector<std::vector<std::string>>& commandLines);

    std::chrono::milliseconds drawTime_;
};

// A wallpaper daemon of the swww family that runs (swww, or awww as it is named now),
// told through its client: "query" lists each output with what it shows, "img -o
// OUTPUT FILE" shows a picture, "clear COLOUR -o OUTPUT" a colour. Record's values are
// the outputs with "image: FILE" or "color: RRGGBB", as query prints them.
class SwwwWallpaper : public WallpaperBackend {
public:
    // The client's name: "awww" or "swww".
    SwwwWallpaper(std::string client, std::unique_ptr<CommandRunner> runner);

    std::string Name() const override { return client_; }
    std::optional<RecordedWallpaper> Record() override;
    bool Set(const std::string& picturePath) override;
    bool PerMonitor() const override { return true; }
    bool SetEach(const std::vector<MonitorPicture>& pictures) override;
    bool Restore(const RecordedWallpaper& recorded) override;

private:
    bool Show(const std::string& output, const std::string& path);

    std::string client_;
    std::unique_ptr<CommandRunner> runner_;
};
