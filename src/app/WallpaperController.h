#pragma once

#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/WallpaperOutput.h"

// The one owner of the wallpaper refresh: it composes the pictures (through the
// composer it is given), has them written and set, puts the user's wallpaper back
// when there is nothing to show, follows the screens, and remembers a refresh that
// came while a picture was under way, to make it once that one is done. Told by the
// timers, the results and the options; main thread only.
class WallpaperController : public QObject {
    Q_OBJECT

public:
    // The pictures of one refresh, one per monitor where the desktop takes one per
    // monitor; none when there is nothing to show (the user's wallpaper comes back).
    using Composer = std::function<std::vector<WallpaperPicture>(bool perMonitor)>;

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
    void OnPicturesHandled(bool set);

    std::unique_ptr<WallpaperOutput> output_;
    Composer composer_;
    bool wanted_ = true;
    // A refresh came while the previous pictures were still under way.
    bool pending_ = false;
    QTimer screensSettle_;
};
