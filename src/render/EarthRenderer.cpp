#include "render/EarthRenderer.h"

#include <QPaintDevice>
#include <QPoint>
#include <QString>
#include <QTransform>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <system_error>
#include <utility>

#include "core/Exceptions.h"
#include "render/Background.h"
#include "render/CloudLayer.h"
#include "render/Graphics.h"
#include "render/NightMask.h"
#include "render/Overlays.h"
#include "render/RenderLog.h"

namespace {

constexpr const char* NightFile = "EarthNight/Night.jpg";
constexpr const char* LogoFile = "UI/CustomLogo.png";
constexpr const char* CloudsFallbackFile = "UI/Clouds-Fallback.jpg";
constexpr const char* SavedCloudsFile = "Clouds.png";

constexpr const char* WithoutNight = "drawn without the night side: ";
constexpr const char* WithoutDay = "the day side is drawn black: ";
constexpr const char* WithoutClouds = "drawn without clouds: ";

// "Clouds.png" of the user's data folder, else the layer made from the shipped clouds.
QImage LoadCloudLayer(const RenderFolders& folders) {
    QImage layer;
    const std::string saved = folders.LocalUserAppData + SavedCloudsFile;
    std::error_code error;
    if (std::filesystem::is_regular_file(saved, error)) {
        layer = Graphics::LoadPicture(saved, Graphics::WorldPicture);
    }
    // A saved layer that no longer reads is no better than none.
    if (layer.isNull()) {
        layer = DownloadCloudsWork::GenClouds(folders.Installation + CloudsFallbackFile);
    }
    return layer;
}

Graphics::PictureResult LoadDayImage(const std::string& path) {
    return path.empty() ? Graphics::PictureResult{}
                        : Graphics::ReadPicture(path, Graphics::WorldPicture);
}

// A picture kept at the target's size can be copied to the device pixel for
// pixel only when the painter scales by nothing but the device's own ratio and never
// moves by a fraction of a pixel.
bool MapsWholePixels(const QPainter& painter, qreal ratio) {
    const QTransform transform = painter.deviceTransform();
    return transform.type() <= QTransform::TxScale && transform.m11() == ratio &&
           transform.m22() == ratio && transform.dx() == std::trunc(transform.dx()) &&
           transform.dy() == std::trunc(transform.dy());
}

}  // namespace

std::vector<std::string> EarthBackgroundNames(const std::string& earthFolder) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(earthFolder, error)) {
        if (Graphics::IsCandidatePicture(entry)) {
            names.push_back(entry.path().filename().string());
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

EarthRenderer::EarthRenderer(RenderFolders folders, EnumAppMode mode,
                             const WeatherPictures& pictures)
    : folders_(std::move(folders)), mode_(mode), pictures_(pictures) {}

void EarthRenderer::LoadStartupPictures() {
    // A single picture makes its night layer from the file on its own.
    if (!single_) {
        LoadNightImage();
    }
    logo_ = Graphics::LoadPicture(folders_.Installation + LogoFile, Graphics::ScreenPicture);
}

void EarthRenderer::LoadNightImage() {
    TakeNightImage(
        Graphics::ReadPicture(folders_.Installation + NightFile, Graphics::WorldPicture));
}

void EarthRenderer::TakeNightImage(Graphics::PictureResult night) {
    night_ = std::move(night.Picture);
    nightLoaded_ = true;
    if (!night.Problem.empty()) {
        RecordProblem(WithoutNight + night.Problem);
    }
}

void EarthRenderer::RecordProblem(const std::string& problem) {
    if (std::find(problems_.begin(), problems_.end(), problem) == problems_.end()) {
        qCWarning(lcRender).noquote() << QString::fromStdString(problem);
        problems_.push_back(problem);
    }
}

const std::vector<std::uint8_t>& EarthRenderer::KeptMask(const DateTime& utcNow) const {
    static const std::vector<std::uint8_t> None;
    return maskDate_ == utcNow.Date() ? mask_ : None;
}

void EarthRenderer::ReleasePictures() {
    night_ = QImage();
    nightLoaded_ = false;
    nightLayer_ = QImage();
    day_ = QImage();
    dayPath_.clear();
    cloudLayer_ = QImage();
    base_ = QImage();
    baseKey_ = {};
}

// Loads once: a file that does not read is not tried again on every frame.
void EarthRenderer::EnsureNightImage() {
    if (!nightLoaded_) {
        LoadNightImage();
    }
}

// The mask belongs to a date and a picture size; another of either needs a new one.
void EarthRenderer::EnsureNightMask(const DateTime& utcNow) {
    EnsureNightImage();
    if (mask_.empty() || maskDate_ != utcNow.Date() || maskSize_ != night_.size()) {
        BuildNightMask(utcNow);
    }
}

void EarthRenderer::BuildNightMask(const DateTime& utcNow) {
    EnsureNightImage();
    // The old mask goes first: the two would otherwise be held at once.
    mask_ = {};
    mask_ = ::BuildNightMask(night_.width(), night_.height(), utcNow);
    maskDate_ = utcNow.Date();
    maskSize_ = night_.size();
}

// Runs at the thread's own priority: on Linux an unprivileged thread that lowers
// its priority cannot raise it again.
void EarthRenderer::UpdateNightLayer(const DateTime& utcNow) {
    EnsureNightMask(utcNow);
    nightLayer_ = MakeNightLayer(night_, mask_, utcNow, std::move(nightLayer_));
}

const QImage& EarthRenderer::CloudLayer() {
    if (cloudLayer_.isNull()) {
        cloudLayer_ =
            preparedClouds_.isValid() ? TakeResult(preparedClouds_) : LoadCloudLayer(folders_);
    }
    return cloudLayer_;
}

// Clouds are optional: a layer that cannot be made leaves them out, and is not
// made again for every frame.
const QImage* EarthRenderer::OptionalCloudLayer() {
    if (cloudsFailed_) {
        return nullptr;
    }
    try {
        return &CloudLayer();
    } catch (const ApplicationException& error) {
        cloudsFailed_ = true;
        RecordProblem(WithoutClouds + error.Location +
                      (error.Message.empty() ? "" : ": " + error.Message));
    }
    return nullptr;
}

namespace {

// The night image with its mask for the instant: the day's mask where one is kept
// for a picture of that size, else one made a row at a time as the rows are shaded.
QImage MakeNightLayerWithMask(const std::string& path, const std::vector<std::uint8_t>& mask,
                              QSize maskSize, const DateTime& utcNow, std::string& problem) {
    Graphics::PictureResult night = Graphics::ReadPicture(path, Graphics::WorldPicture);
    problem = night.Problem;
    if (night.Picture.isNull()) {
        return {};
    }
    if (!mask.empty() && night.Picture.size() == maskSize) {
        return MakeNightLayerInPlace(std::move(night.Picture), mask, utcNow);
    }
    return MakeNightLayerInPlace(std::move(night.Picture), utcNow);
}

// The whole of a world layer over the whole of a picture of the same world.
void LayOver(QImage& picture, const QImage& layer) {
    QPainter painter(&picture);
    Graphics::PreparePainter(painter);
    if (layer.format() == QImage::Format_Grayscale8) {
        painter.setCompositionMode(QPainter::CompositionMode_Screen);
    }
    painter.drawImage(QRectF(picture.rect()), layer, QRectF(layer.rect()));
}

}  // namespace

void EarthRenderer::PrepareNightLayer(const DateTime& utcNow) {
    // The helper gets a copy of the kept mask: the mask may be built anew on this
    // thread before the layer is taken.
    preparedNight_ = RunInBackground([path = folders_.Installation + NightFile,
                                      mask = KeptMask(utcNow), maskSize = maskSize_, utcNow] {
        PreparedNight prepared;
        prepared.Layer = MakeNightLayerWithMask(path, mask, maskSize, utcNow, prepared.Problem);
        return prepared;
    });
}

void EarthRenderer::PrepareCloudLayer() {
    preparedClouds_ = RunInBackground([folders = folders_] { return LoadCloudLayer(folders); });
}

void EarthRenderer::ReplaceCloudLayer(QImage layer) {
    cloudLayer_ = std::move(layer);
    cloudsFailed_ = false;
    base_ = QImage();
}

const QImage& EarthRenderer::DayImage(const COptions& options) {
    if (options.Background.Path != dayPath_) {
        day_ = QImage();
        TakeDayImage(LoadDayImage(options.Background.Path), options.Background.Path);
    }
    return day_;
}

void EarthRenderer::DrawBackgroundRegion(QPainter& painter, const COptions& options,
                                         const QRect& target) {
    DrawRegion(painter, DayImage(options), options.Region, target);
}

void EarthRenderer::TakeDayImage(Graphics::PictureResult day, const std::string& path) {
    day_ = std::move(day.Picture);
    dayPath_ = path;
    if (!day.Problem.empty()) {
        RecordProblem(WithoutDay + day.Problem);
    }
}

void EarthRenderer::DrawDayAndClouds(QPainter& painter, const COptions& options,
                                     const QRect& target) {
    // On the first frame of a process both pictures are missing: the day image is
    // read on a helper thread while the cloud layer is made here.
    if (options.ShowClouds && cloudLayer_.isNull() && !cloudsFailed_ &&
        options.Background.Path != dayPath_) {
        QFuture<Graphics::PictureResult> reading =
            RunInBackground([path = options.Background.Path] { return LoadDayImage(path); });
        OptionalCloudLayer();
        TakeDayImage(TakeResult(reading), options.Background.Path);
    }
    const QImage& day = DayImage(options);
    const QImage* clouds = options.ShowClouds ? OptionalCloudLayer() : nullptr;
    auto draw = [&](QPainter& onto, const QRect& rect) {
        DrawRegion(onto, day, options.Region, rect);
        if (clouds != nullptr) {
            DrawCloudLayer(onto, *clouds, options.Region, rect);
        }
    };

    // Only an opaque day image covers the whole target, so that the kept picture
    // can stand in for drawing both layers onto whatever was there.
    // Kept in the device's pixels: a scaled screen's window stays sharp.
    const qreal ratio = painter.device() != nullptr ? painter.device()->devicePixelRatioF() : 1.0;
    const QSize deviceSize = (QSizeF(target.size()) * ratio).toSize();
    const BaseKey key{deviceSize, options.Region, day.cacheKey(),
                      clouds != nullptr ? clouds->cacheKey() : 0};
    const bool keepable = !day.isNull() && !day.hasAlphaChannel() && !target.isEmpty() &&
                          MapsWholePixels(painter, ratio);
    if (!keepable || key != baseKey_) {
        base_ = QImage();
        baseKey_ = keepable ? key : BaseKey{};
        draw(painter, target);
        return;
    }
    if (base_.isNull()) {
        QImage base(deviceSize, QImage::Format_RGB32);
        if (base.isNull()) {
            draw(painter, target);
            return;
        }
        base.setDevicePixelRatio(ratio);
        QPainter basePainter(&base);
        Graphics::PreparePainter(basePainter);
        draw(basePainter, QRect(QPoint(0, 0), target.size()));
        basePainter.end();
        base_ = std::move(base);
    }
    painter.drawImage(target.topLeft(), base_);
}

QImage EarthRenderer::SingleNightLayer(const DateTime& utcNow) {
    PreparedNight prepared;
    if (preparedNight_.isValid()) {
        prepared = TakeResult(preparedNight_);
    } else {
        prepared.Layer = MakeNightLayerWithMask(folders_.Installation + NightFile, KeptMask(utcNow),
                                                maskSize_, utcNow, prepared.Problem);
    }
    if (!prepared.Problem.empty()) {
        RecordProblem(WithoutNight + prepared.Problem);
    }
    return std::move(prepared.Layer);
}

QImage EarthRenderer::LayersAtSourceSize(const COptions& options, const DateTime& utcNow) {
    // The day image is read while the helpers make the clouds and the night layer.
    DayImage(options);
    const QImage* clouds = options.ShowClouds ? OptionalCloudLayer() : nullptr;
    QImage layers = std::move(day_);
    day_ = QImage();
    dayPath_.clear();
    if (layers.isNull()) {
        return layers;
    }
    if (layers.format() != QImage::Format_RGB32 && layers.format() != QImage::Format_ARGB32) {
        layers = layers.convertToFormat(QImage::Format_ARGB32);
    }
    if (clouds != nullptr) {
        if (!LayCloudLayer(layers, *clouds)) {
            LayOver(layers, *clouds);
        }
        cloudLayer_ = QImage();
    }
    const QImage night = SingleNightLayer(utcNow);
    if (!night.isNull()) {
        LayOver(layers, night);
    }
    return layers;
}

bool EarthRenderer::ShowsTimeZones(const COptions& options) const {
    switch (mode_) {
        case EnumAppMode::Desktop:
            return options.ShowTimeZonesOnWallpaper;
        case EnumAppMode::ScreenSaver:
        case EnumAppMode::Preview:
            return options.ShowTimeZonesOnScreenSaver;
        case EnumAppMode::Configure:
            break;
    }
    return false;
}

void EarthRenderer::DrawEarth(QPainter& painter, COptions& options, const QRect& target,
                              const QRect& overlay, const DateTime& utcNow, double ratio) {
    Graphics::PreparePainter(painter);
    if (single_) {
        if (singleLayers_.isNull()) {
            singleLayers_ = LayersAtSourceSize(options, utcNow);
        }
        DrawRegion(painter, singleLayers_, options.Region, target);
        singleLayers_ = QImage();
    } else {
        DrawDayAndClouds(painter, options, target);
        if (nightLayer_.isNull()) {
            UpdateNightLayer(utcNow);
        }
        DrawRegion(painter, nightLayer_, options.Region, target);
    }
    if (ratio == 1.0) {
        DrawOverlays(painter, options, target, overlay, utcNow);
        return;
    }
    painter.save();
    painter.scale(ratio, ratio);
    const QRect logical((QPointF(target.topLeft()) / ratio).toPoint(),
                        (QSizeF(target.size()) / ratio).toSize());
    DrawOverlays(painter, options, logical, overlay, utcNow);
    painter.restore();
}

void EarthRenderer::DrawOverlays(QPainter& painter, COptions& options, const QRect& target,
                                 const QRect& overlay, const DateTime& utcNow) {
    if (options.ShowWeather) {
        DrawCities(painter, options, pictures_, target, utcNow);
    }
    if (ShowsTimeZones(options)) {
        DrawTimeZonesOnMap(painter, options, overlay, utcNow);
    }
    if (!logo_.isNull()) {
        const QPoint corner = overlay.topLeft() + QPoint(overlay.width(), overlay.height());
        painter.drawImage(corner - QPoint(logo_.width(), logo_.height()), logo_);
    }
}

QImage EarthRenderer::ComposeEarth(COptions& options, const Screen& screen,
                                   const DateTime& utcNow) {
    // A single picture's layers are laid before the picture is made, so that
    // the two are never held at once with the layers' sources.
    if (single_ && singleLayers_.isNull()) {
        singleLayers_ = LayersAtSourceSize(options, utcNow);
    }
    const ScreenRect device = screen.DeviceBounds();
    QImage picture =
        Graphics::NewPicture(QSize(device.Width(), device.Height()), QImage::Format_RGB32);
    if (picture.isNull()) {
        singleLayers_ = QImage();
        return picture;
    }
    // Opaque layers cover the whole picture, so a single picture skips clearing
    // memory that is painted over at once.
    if (!single_ || singleLayers_.isNull() || singleLayers_.hasAlphaChannel()) {
        picture.fill(Qt::black);
    }
    const QRect target(0, 0, picture.width(), picture.height());
    const QRect overlay =
        screen.WorkArea.Translated(-screen.Bounds.Left, -screen.Bounds.Top).ToQRect();
    QPainter painter(&picture);
    DrawEarth(painter, options, target, overlay, utcNow, screen.Ratio);
    painter.end();
    return picture;
}

void EarthRenderer::ComposeEarthEach(COptions& options, const std::vector<Screen>& screens,
                                     const DateTime& utcNow,
                                     const std::function<void(QImage)>& take) {
    const bool single = std::exchange(single_, true);
    // The night and cloud layers are made on helpers while the day map is read here.
    PrepareNightLayer(utcNow);
    if (options.ShowClouds && !cloudsFailed_ && cloudLayer_.isNull()) {
        PrepareCloudLayer();
    }
    const QImage layers = LayersAtSourceSize(options, utcNow);
    for (const Screen& screen : screens) {
        // Each picture draws from the same layers, which its drawing lets go.
        singleLayers_ = layers;
        take(ComposeEarth(options, screen, utcNow));
    }
    singleLayers_ = QImage();
    single_ = single;
    ReleasePictures();
}

std::unique_ptr<EarthRenderer> EarthRenderer::ForOneRefresh(const WeatherPictures& pictures) const {
    auto renderer = std::make_unique<EarthRenderer>(folders_, mode_, pictures);
    renderer->logo_ = logo_;
    renderer->mask_ = mask_;
    renderer->maskDate_ = maskDate_;
    renderer->maskSize_ = maskSize_;
    renderer->cloudLayer_ = cloudLayer_;
    renderer->cloudsFailed_ = cloudsFailed_;
    renderer->problems_ = problems_;
    return renderer;
}

void EarthRenderer::TakeFindings(const EarthRenderer& other) {
    for (const std::string& problem : other.problems_) {
        if (std::find(problems_.begin(), problems_.end(), problem) == problems_.end()) {
            problems_.push_back(problem);
        }
    }
    // Clouds that arrived meanwhile are tried, not the ones that failed.
    if (other.cloudsFailed_ && cloudLayer_.isNull()) {
        cloudsFailed_ = true;
    }
}
