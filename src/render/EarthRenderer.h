#pragma once

#include <QFuture>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <QSize>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/AppKind.h"
#include "core/DateTime.h"
#include "data/Options.h"
#include "data/Regions.h"
#include "render/Graphics.h"
#include "render/Screen.h"

class WeatherPictures;

// The Earth backgrounds to choose from: the names of the candidate pictures of
// the "Earth/" folder (ends in "/"), sorted by name.
std::vector<std::string> EarthBackgroundNames(const std::string& earthFolder);

// Where the renderer finds its pictures; both folders end in "/".
struct RenderFolders {
    std::string Installation;
    std::string LocalUserAppData;
};

// The Earth picture: the day image of the chosen background, the cloud layer and
// the night layer with city lights, then the overlays and the logo. Holds the
// pictures and the night mask between refreshes; main thread only.
class EarthRenderer {
public:
    EarthRenderer(RenderFolders folders, EnumAppMode mode, const WeatherPictures& pictures);

    // "EarthNight/Night.jpg" and "UI/CustomLogo.png".
    void LoadStartupPictures();
    // Lets go of every picture the next frame can make again: the day and night
    // images, the night and cloud layers and the kept map. The night mask (a day's
    // work to build) and the logo stay; so does the memory of a cloud layer that
    // could not be made.
    void ReleasePictures();
    // For a renderer that draws one picture and ends: the clouds and the night
    // layer are laid into the day image's own pixels, at its size, before the
    // picture is made, and the result is scaled onto it once; each layer is let
    // go as soon as it is laid.
    void SetSinglePicture(bool single) { single_ = single; }
    // For a single picture: the night layer for the instant (the night image,
    // its mask and the one made of both), and with clouds the cloud layer, are
    // made on helper threads from here on, while the caller reads its options
    // and the day image is read. Without threads to spare they are made when
    // their turn comes.
    void PrepareNightLayer(const DateTime& utcNow);
    void PrepareCloudLayer();

    // For the UTC date of the instant; a failure leaves a mask of daylight everywhere.
    void BuildNightMask(const DateTime& utcNow);
    // The night image with the mask shifted for the instant's time of day as
    // alpha. The mask is built first when there is none, or when it belongs to
    // another date or picture size.
    void UpdateNightLayer(const DateTime& utcNow);

    const std::vector<std::uint8_t>& NightMask() const { return mask_; }
    const QImage& NightLayer() const { return nightLayer_; }

    // "Clouds.png" of the user's data folder, else made from "UI/Clouds-Fallback.jpg";
    // the errors of making it reach the caller.
    const QImage& CloudLayer();
    void ReplaceCloudLayer(QImage layer);

    // What kept a layer out of the pictures drawn so far, each reason once, in
    // the order met: a night or day picture that is missing or cannot be used, a
    // cloud layer that cannot be made. The picture is drawn without that layer
    // (the day side black); clouds are not tried again until a new layer arrives.
    const std::vector<std::string>& Problems() const { return problems_; }

    // The day image, the clouds (with ShowClouds) and the night layer over the
    // target; the cities (with ShowWeather) over the target; the clocks of the
    // mode and the logo inside the overlay rectangle. The target is in the
    // painter's pixels; the overlays are laid out in logical pixels, ratio of
    // them to each logical one, so that they look the same on a scaled screen.
    void DrawEarth(QPainter& painter, COptions& options, const QRect& target, const QRect& overlay,
                   const DateTime& utcNow, double ratio = 1.0);
    // The chosen background cropped to the chosen view over the target, and
    // nothing else: the screen saver's preview.
    void DrawBackgroundRegion(QPainter& painter, const COptions& options, const QRect& target);
    // A picture of the screen's device pixels: the map over all of it, the clocks
    // and the logo inside its work area.
    QImage ComposeEarth(COptions& options, const Screen& screen, const DateTime& utcNow);
    // One picture for each screen, handed to take one at a time, all drawn from one
    // set of layers laid into the day image at its own size (as a single picture is
    // made); afterwards every picture is let go (ReleasePictures). For a refresh that
    // keeps nothing: the maps are read and scaled once, whatever the screens.
    void ComposeEarthEach(COptions& options, const std::vector<Screen>& screens,
                          const DateTime& utcNow, const std::function<void(QImage)>& take);

    // A renderer of its own for one refresh that keeps nothing, to compose on another
    // thread with pictures (which must outlive it): the night mask, the logo, a cloud
    // layer that arrived and what went wrong so far are copied from this one.
    std::unique_ptr<EarthRenderer> ForOneRefresh(const WeatherPictures& pictures) const;
    // What such a renderer found: its problems, and clouds that could not be made.
    void TakeFindings(const EarthRenderer& other);

private:
    // What the day image and the clouds were last drawn for.
    struct BaseKey {
        QSize Size;
        RegionRecord Region;
        qint64 Day = 0;
        qint64 Clouds = 0;

        bool operator==(const BaseKey&) const = default;
    };

    const QImage& DayImage(const COptions& options);
    void TakeDayImage(Graphics::PictureResult day, const std::string& path);
    void LoadNightImage();
    void TakeNightImage(Graphics::PictureResult night);
    void EnsureNightImage();
    // The cloud layer, or null when it cannot be made.
    const QImage* OptionalCloudLayer();
    void RecordProblem(const std::string& problem);
    // The mask kept for the instant's date; empty when there is none.
    const std::vector<std::uint8_t>& KeptMask(const DateTime& utcNow) const;
    void EnsureNightMask(const DateTime& utcNow);
    bool ShowsTimeZones(const COptions& options) const;
    void DrawDayAndClouds(QPainter& painter, const COptions& options, const QRect& target);
    // A single picture's layers in the day image's pixels; null without a day image.
    QImage LayersAtSourceSize(const COptions& options, const DateTime& utcNow);
    // The night layer of a single picture: prepared, or made now.
    QImage SingleNightLayer(const DateTime& utcNow);
    void DrawOverlays(QPainter& painter, COptions& options, const QRect& target,
                      const QRect& overlay, const DateTime& utcNow);

    RenderFolders folders_;
    EnumAppMode mode_;
    const WeatherPictures& pictures_;
    QImage night_;
    // Whether night_ holds what the file gave, a null image when it did not read.
    bool nightLoaded_ = false;
    QImage logo_;
    std::vector<std::uint8_t> mask_;
    DateTime maskDate_;
    QSize maskSize_;
    QImage nightLayer_;
    QImage cloudLayer_;
    bool cloudsFailed_ = false;
    std::vector<std::string> problems_;
    std::string dayPath_;
    QImage day_;
    // The day image and the clouds scaled to the target change only with the
    // view, the background, the cloud layer or the size: a frame drawn twice for
    // the same key keeps them and draws them unscaled after that.
    BaseKey baseKey_;
    QImage base_;
    bool single_ = false;
    struct PreparedNight {
        QImage Layer;
        // Why the night picture could not be used.
        std::string Problem;
    };
    QFuture<PreparedNight> preparedNight_;
    QFuture<QImage> preparedClouds_;
    // A single picture's layers, made before the picture itself.
    QImage singleLayers_;
};
