#include "app/WallpaperOutput.h"

#include <QMetaObject>
#include <algorithm>
#include <filesystem>
#include <utility>

#include "app/AppLog.h"
#include "core/Exceptions.h"
#include "core/UtilText.h"
#include "render/Background.h"
#include "render/Graphics.h"

namespace {

std::string LowerFileName(const std::string& path) {
    return UtilText::ToLowerAscii(std::filesystem::path(path).filename().string());
}

// Everything but the new pictures goes; folders and special files stay.
void RemoveOtherPictures(const std::string& folder, const std::vector<MonitorPicture>& keep) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        std::error_code status;
        const std::string name = LowerFileName(entry.path().string());
        if (entry.is_regular_file(status) &&
            std::none_of(keep.begin(), keep.end(), [&](const MonitorPicture& kept) {
                return LowerFileName(kept.Path) == name;
            })) {
            std::filesystem::remove(entry.path(), status);
        }
    }
}

void RemoveFiles(const std::vector<MonitorPicture>& pictures) {
    for (const MonitorPicture& picture : pictures) {
        std::error_code error;
        std::filesystem::remove(picture.Path, error);
    }
}

}  // namespace

WallpaperOutput::WallpaperOutput(std::unique_ptr<WallpaperBackend> backend, std::string folder,
                                 std::string keptFolder, QObject* parent)
    : QObject(parent),
      backend_(std::move(backend)),
      folder_(std::move(folder)),
      keptFolder_(std::move(keptFolder)) {}

WallpaperOutput::~WallpaperOutput() {
    JoinJob();
}

void WallpaperOutput::JoinJob() {
    if (job_.isValid()) {
        WaitFor(job_);
    }
}

void WallpaperOutput::RecordUserWallpaper() {
    if (!backend_) {
        return;
    }
    recorded_ = backend_->Record();
    if (!recorded_) {
        qCWarning(lcApp) << "the desktop's wallpaper could not be read; it will not be restored";
        return;
    }
    if (!recorded_->Picture.empty() &&
        UtilText::ToLowerAscii(recorded_->Picture).find(UtilText::ToLowerAscii(folder_)) !=
            std::string::npos) {
        qCInfo(lcApp) << "the desktop still shows a picture of ours:" << recorded_->Picture.c_str();
        // The backend takes a record without its picture as: clear the picture.
        recorded_->Picture.clear();
        backend_->Restore(*recorded_);
    }
}

std::string WallpaperOutput::FreeFileName(const std::string& folder) {
    for (int number = 0; number <= MaximumFileNumber; ++number) {
        const std::string name = folder + "E" + std::to_string(number) + FileExtension;
        std::error_code error;
        if (!std::filesystem::exists(std::filesystem::symlink_status(name, error))) {
            return name;
        }
    }
    return {};
}

std::vector<MonitorPicture> WallpaperOutput::WriteAndSet(std::vector<WallpaperPicture> pictures,
                                                         const std::string& folder,
                                                         WallpaperBackend& backend) {
    if (folder.empty() || pictures.empty()) {
        return {};
    }
    std::vector<MonitorPicture> written;
    for (WallpaperPicture& picture : pictures) {
        const std::string file = FreeFileName(folder);
        if (file.empty()) {
            qCWarning(lcApp) << "every wallpaper file name of" << folder.c_str() << "is taken";
            RemoveFiles(written);
            return {};
        }
        try {
            Graphics::SavePicture(std::exchange(picture.Image, {}), file, "jpg", Quality);
        } catch (...) {
            qCWarning(lcApp) << "the wallpaper" << file.c_str()
                             << "could not be written:" << CurrentExceptionText().c_str();
            RemoveFiles(written);
            return {};
        }
        written.push_back(picture.Place);
        written.back().Path = file;
    }
    if (!backend.SetEach(written)) {
        qCWarning(lcApp) << "the desktop did not take the wallpaper"
                         << written.front().Path.c_str();
        RemoveFiles(written);
        return {};
    }
    RemoveOtherPictures(folder, written);
    return written;
}

bool WallpaperOutput::SaveAndSetWallpaper(std::vector<WallpaperPicture> pictures) {
    if (!backend_ || busy_ || pictures.empty()) {
        return false;
    }
    JoinJob();
    busy_ = true;
    jobSet_.clear();
    job_ = RunInBackground([this, pictures = std::move(pictures)]() mutable {
        try {
            jobSet_ = WriteAndSet(std::move(pictures), folder_, *backend_);
        } catch (...) {
            qCWarning(lcApp) << "the wallpaper was not set:" << CurrentExceptionText().c_str();
            jobSet_.clear();
        }
        const bool set = !jobSet_.empty();
        // The object outlives the job (its destructor waits for it), so the post is safe.
        HandOverBackgroundWork();
        QMetaObject::invokeMethod(
            this, [this, set] { Finish(set); }, Qt::QueuedConnection);
    });
    return true;
}

void WallpaperOutput::TakeJobResult() {
    if (std::vector<MonitorPicture> set = std::exchange(jobSet_, {}); !set.empty()) {
        setThisRun_ = true;
        current_ = std::move(set);
    }
}

void WallpaperOutput::Finish(bool set) {
    TakeOverBackgroundWork();
    busy_ = false;
    // Taken here unless a restore took it first.
    TakeJobResult();
    emit finished(set);
}

void WallpaperOutput::RestoreUserWallpaper() {
    JoinJob();
    // A picture set just now counts even though its news has not arrived yet.
    TakeJobResult();
    if (!backend_ || !setThisRun_) {
        return;
    }
    if (recorded_ && backend_->Restore(*recorded_)) {
        setThisRun_ = false;
        return;
    }
    qCWarning(lcApp) << "the user's wallpaper cannot be put back; the last picture stays";
    KeepLastPicture();
}

void WallpaperOutput::KeepLastPicture() {
    std::vector<MonitorPicture> kept = current_;
    bool moved = true;
    for (std::size_t index = 0; index < kept.size() && moved; ++index) {
        const std::string number = index == 0 ? "" : " " + std::to_string(index + 1);
        kept[index].Path = keptFolder_ + "Last Wallpaper" + number +
                           std::filesystem::path(current_[index].Path).extension().string();
        std::error_code error;
        std::filesystem::rename(current_[index].Path, kept[index].Path, error);
        if (error) {
            // Another file system: a copy does as well.
            error.clear();
            std::filesystem::copy_file(current_[index].Path, kept[index].Path,
                                       std::filesystem::copy_options::overwrite_existing, error);
        }
        moved = !error;
    }
    if (!moved || kept.empty() || !backend_->SetEach(kept)) {
        qCWarning(lcApp) << "the last picture could not be kept in" << keptFolder_.c_str();
        return;
    }
    setThisRun_ = false;
    current_.clear();
}
