#include "app/WallpaperController.h"

#include <malloc.h>

#include <QGuiApplication>
#include <QScreen>
#include <utility>

#include "app/AppLog.h"
#include "core/Exceptions.h"
#include "render/Background.h"
#include "render/Graphics.h"

WallpaperController::WallpaperController(std::unique_ptr<WallpaperOutput> output, Composer composer,
                                         QObject* parent)
    : QObject(parent), output_(std::move(output)), composer_(std::move(composer)) {
    connect(output_.get(), &WallpaperOutput::finished, this,
            &WallpaperController::OnPicturesHandled);
    // The changes of one rearrangement of the screens come as one refresh.
    screensSettle_.setSingleShot(true);
    screensSettle_.setInterval(1000);
    connect(&screensSettle_, &QTimer::timeout, this, [this] { Refresh(wanted_); });
}

void WallpaperController::Start() {
    output_->RecordUserWallpaper();
    if (qGuiApp == nullptr) {
        return;
    }
    const auto watch = [this](QScreen* screen) {
        connect(screen, &QScreen::geometryChanged, &screensSettle_, qOverload<>(&QTimer::start));
        connect(screen, &QScreen::availableGeometryChanged, &screensSettle_,
                qOverload<>(&QTimer::start));
    };
    for (QScreen* screen : QGuiApplication::screens()) {
        watch(screen);
    }
    connect(qGuiApp, &QGuiApplication::screenAdded, this, [this, watch](QScreen* screen) {
        watch(screen);
        screensSettle_.start();
    });
    connect(qGuiApp, &QGuiApplication::screenRemoved, &screensSettle_, qOverload<>(&QTimer::start));
}

void WallpaperController::Refresh(bool wanted) {
    wanted_ = wanted;
    if (!wanted) {
        output_->RestoreUserWallpaper();
        return;
    }
    if (composing_ || output_->IsBusy()) {
        pending_ = true;
        return;
    }
    WallpaperJob job;
    try {
        job = composer_(output_->PerMonitor());
    } catch (...) {
        qCWarning(lcApp) << "the wallpaper was not made:" << CurrentExceptionText().c_str();
    }
    if (!job.Compose) {
        output_->RestoreUserWallpaper();
        return;
    }
    composing_ = true;
    RunInBackgroundThen(
        std::move(job.Compose), this,
        [this, done = std::move(job.Done)](QFuture<std::vector<WallpaperPicture>> made) {
            composing_ = false;
            std::vector<WallpaperPicture> pictures;
            try {
                pictures = TakeResult(made);
                if (done) {
                    done();
                }
            } catch (...) {
                qCWarning(lcApp) << "the wallpaper was not made:" << CurrentExceptionText().c_str();
            }
            OnComposed(std::move(pictures));
        });
}

void WallpaperController::OnComposed(std::vector<WallpaperPicture> pictures) {
    if (pictures.empty()) {
        output_->RestoreUserWallpaper();
    } else if (output_->SaveAndSetWallpaper(std::move(pictures))) {
        return;
    }
    if (std::exchange(pending_, false)) {
        Refresh(wanted_);
    }
}

void WallpaperController::RestoreUserWallpaper() {
    output_->RestoreUserWallpaper();
}

void WallpaperController::OnPicturesHandled(bool set) {
    // The refresh's pictures are gone: their memory goes back to the system rather
    // than staying with the process all day.
    Graphics::ReleaseSparePicture();
    ::malloc_trim(0);
    emit refreshed(set);
    if (std::exchange(pending_, false)) {
        Refresh(wanted_);
    }
}
