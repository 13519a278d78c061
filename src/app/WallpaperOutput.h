#pragma once

#include <QFuture>
#include <QImage>
#include <QObject>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Wallpaper.h"

// One picture to show: made for one monitor, or for the whole virtual screen where
// the desktop spans one picture over all. The place's path is set once it is written.
struct WallpaperPicture {
    MonitorPicture Place;
    QImage Image;
};

// The program's pictures as the desktop's wallpaper. Each picture (one per
// monitor, or one for all) is written under a fresh "E%i.jpg" name in the
// wallpaper folder and set through the desktop's backend on the background, so
// the main thread never waits for the disk or the desktop; the user's own
// wallpaper is put back only when this run has changed it. Where it cannot be
// (it could not be recorded, or the desktop does not take it back), the desktop
// is never left pointing into the wallpaper folder, which is emptied at exit: the
// last picture moves to "Last Wallpaper.jpg" of the kept folder and stays the
// wallpaper. Main thread only.
class WallpaperOutput : public QObject {
    Q_OBJECT

public:
    static constexpr int MaximumFileNumber = 99;

    // A null backend (a desktop nobody knows how to reach) sets nothing. Both
    // folders end in "/"; the kept folder lies outside the wallpaper folder.
    WallpaperOutput(std::unique_ptr<WallpaperBackend> backend, std::string folder,
                    std::string keptFolder, QObject* parent = nullptr);
    ~WallpaperOutput() override;

    // What the desktop shows now, kept to be put back. A picture of our own
    // folder (left by a run that could not restore) is not the user's: the
    // picture is cleared now, and clearing it is what is put back.
    void RecordUserWallpaper();

    // Whether the desktop takes one picture per monitor rather than one for all.
    bool PerMonitor() const { return backend_ && backend_->PerMonitor(); }
    // Starts writing and setting the pictures; false, with nothing started, while
    // the previous ones are still under way, without a backend or without pictures.
    bool SaveAndSetWallpaper(std::vector<WallpaperPicture> pictures);
    bool SaveAndSetWallpaper(QImage picture) {
        return SaveAndSetWallpaper({WallpaperPicture{{}, std::move(picture)}});
    }
    bool IsBusy() const { return busy_; }

    // Puts back what was recorded, once this run has set a picture since, else
    // keeps the last picture as the wallpaper; waits for a picture still under way
    // first.
    void RestoreUserWallpaper();

    // The pictures' format: JPEG at a quality that shows no loss, a tenth of a bitmap's
    // bytes (a refresh of the clocks comes every minute), and read by every desktop.
    static constexpr const char* FileExtension = ".jpg";
    static constexpr int Quality = 92;
    // The first free "E%i.jpg" of the folder (0 to 99); empty when all are taken.
    static std::string FreeFileName(const std::string& folder);
    // Writes each picture under a free name, one at a time, letting each go once
    // written, and sets them all; on success only those files stay in the folder
    // (folders and special files aside). On failure nothing changes: the desktop
    // keeps its picture and the folder its files. Returns the places with their
    // new files, empty on failure.
    static std::vector<MonitorPicture> WriteAndSet(std::vector<WallpaperPicture> pictures,
                                                   const std::string& folder,
                                                   WallpaperBackend& backend);
    // One picture for all; its new file, empty on failure.
    static std::string WriteAndSet(const QImage& picture, const std::string& folder,
                                   WallpaperBackend& backend) {
        const std::vector<MonitorPicture> set =
            WriteAndSet({WallpaperPicture{{}, picture}}, folder, backend);
        return set.empty() ? std::string() : set.front().Path;
    }

signals:
    // Main thread, once a picture has been handled; set is false when it failed.
    void finished(bool set);

private:
    void Finish(bool set);
    void JoinJob();
    void TakeJobResult();
    void KeepLastPicture();

    std::unique_ptr<WallpaperBackend> backend_;
    std::string folder_;
    std::string keptFolder_;
    std::optional<RecordedWallpaper> recorded_;
    bool setThisRun_ = false;
    // The pictures of the wallpaper folder that this run set last.
    std::vector<MonitorPicture> current_;
    bool busy_ = false;
    // What the job set (nothing when it failed), written before it posts its news;
    // taken by that news or by a restore that joined the job first.
    std::vector<MonitorPicture> jobSet_;
    QFuture<void> job_;
};
