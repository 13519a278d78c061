#pragma once

#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/WallpaperOutput.h"

// One refresh's work, as its composer makes it on the main thread.
struct WallpaperJob {
    // The pictures, one per monitor where the desktop takes one per monitor, made on
    // the background; none when one failed. Absent when there is nothing to show (the
    // user's wallpaper comes back).
    std::function<std::vector<WallpaperPicture>()> Compose;
    // On the main thread once Compose has run, if it is given.
    std::function<void()> Done;
};

// The one owner of the wallpaper refresh: it has the pictures composed (by the job
// its composer makes) on the background, written and set, puts the user's wallpaper
// back when there is nothing to show, follows the screens, and remembers a refresh
// that came while one was under way, to make it once that one is done. Told by the
// timers, the results and the options; main thread only.
class WallpaperController : public QObject {
    Q_OBJECT

public:
    using Composer = std::function<WallpaperJob(bool perMonitor)>;

    WallpaperController(std::unique_ptr<WallpaperOutput> output, Composer composer,
                        QObject* parent = nullptr);

    // What the desktop shows now, kept to be put back; from here on a monitor
    // plugged in, taken away or resized gets its picture a second after the change.
    void Start();
    // One refresh; with wanted false (the wallpaper option is off) the user's
    // wallpaper comes back instead.
    void Refresh(bool wanted);
    // The user's wallpaper back, once this run has set one (at exit, for instance).
    void RestoreUserWallpaper();

signals:
    // Once a refresh's pictures have been handled; set is false when they failed.
    void refreshed(bool set);

private:
    void OnComposed(std::vector<WallpaperPicture> pictures);
    void OnPicturesHandled(bool set);

    std::unique_ptr<WallpaperOutput> output_;
    Composer composer_;
    bool wanted_ = true;
    bool composing_ = false;
    // A refresh came while the previous pictures were still under way.
    bool pending_ = false;
    QTimer screensSettle_;
};
