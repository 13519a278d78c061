#include "app/WallpaperOutput.h"

#include <QMetaObject>
#include <filesystem>
#include <utility>

#include "app/AppLog.h"
#include "core/Exceptions.h"
#include "core/UtilText.h"
#include "render/Graphics.h"

namespace {

// Everything but the new picture goes; folders and special files stay.
void RemoveOtherPictures(const std::string& folder, const std::string& keep) {
    std::error_code error;
    const std::string kept =
        UtilText::ToLowerAscii(std::filesystem::path(keep).filename().string());
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        std::error_code status;
        if (entry.is_regular_file(status) &&
            UtilText::ToLowerAscii(entry.path().filename().string()) != kept) {
            std::filesystem::remove(entry.path(), status);
        }
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
    if (job_.joinable()) {
        job_.join();
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
        const std::string name = folder + "E" + std::to_string(number) + ".bmp";
        std::error_code error;
        if (!std::filesystem::exists(std::filesystem::symlink_status(name, error))) {
            return name;
        }
    }
    return {};
}

std::string WallpaperOutput::WriteAndSet(const QImage& picture, const std::string& folder,
                                         WallpaperBackend& backend) {
    if (folder.empty()) {
        return {};
    }
    const std::string file = FreeFileName(folder);
    if (file.empty()) {
        qCWarning(lcApp) << "every wallpaper file name of" << folder.c_str() << "is taken";
        return {};
    }
    try {
        // 24-bit, as desktops expect a wallpaper bitmap.
        Graphics::SavePicture(picture.convertToFormat(QImage::Format_RGB888), file, "bmp");
    } catch (...) {
        qCWarning(lcApp) << "the wallpaper" << file.c_str()
                         << "could not be written:" << CurrentExceptionText().c_str();
        return {};
    }
    if (!backend.Set(file)) {
        qCWarning(lcApp) << "the desktop did not take the wallpaper" << file.c_str();
        std::error_code error;
        std::filesystem::remove(file, error);
        return {};
    }
    RemoveOtherPictures(folder, file);
    return file;
}

bool WallpaperOutput::SaveAndSetWallpaper(QImage picture) {
    if (!backend_ || busy_) {
        return false;
    }
    JoinJob();
    busy_ = true;
    jobFile_.clear();
    job_ = std::thread([this, picture = std::move(picture)] {
        jobFile_ = WriteAndSet(picture, folder_, *backend_);
        const bool set = !jobFile_.empty();
        // The object outlives the thread (its destructor joins), so the post is safe.
        QMetaObject::invokeMethod(
            this, [this, set] { Finish(set); }, Qt::QueuedConnection);
    });
    return true;
}

void WallpaperOutput::TakeJobResult() {
    if (std::string file = std::exchange(jobFile_, {}); !file.empty()) {
        setThisRun_ = true;
        current_ = std::move(file);
    }
}

void WallpaperOutput::Finish(bool set) {
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
    std::error_code error;
    const std::string kept =
        keptFolder_ + "Last Wallpaper" + std::filesystem::path(current_).extension().string();
    std::filesystem::rename(current_, kept, error);
    if (error) {
        // Another file system: a copy does as well.
        error.clear();
        std::filesystem::copy_file(current_, kept,
                                   std::filesystem::copy_options::overwrite_existing, error);
    }
    if (error || !backend_->Set(kept)) {
        qCWarning(lcApp) << "the last picture could not be kept as" << kept.c_str();
        return;
    }
    setThisRun_ = false;
    current_.clear();
}
